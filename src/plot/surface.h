// The drawing surface: pen-and-rectangle operations with integer page
// coordinates, y growing upwards. All plot drawing goes through it; the
// render library implements it with QPainter and the tests with a recording
// surface that writes one line per operation.
//
// The surface keeps the pen and one pending line path: LineTo adds a segment
// to the path, and the path is stroked, in the colour current at that moment,
// by the next MoveTo or by FinishPath.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace orv {

// A page rectangle; top is the larger v. It covers left <= h <= right and
// bottom <= v <= top.
struct Rect {
  int top = 0, left = 0, bottom = 0, right = 0;
  bool operator==(const Rect&) const = default;
};

// left += dh, right -= dh, bottom += dv, top -= dv; negative values enlarge.
inline void InsetRectx(Rect* r, int dh, int dv) {
  r->left += dh;
  r->right -= dh;
  r->bottom += dv;
  r->top -= dv;
}

// Pen colour numbers.
enum PenColour : int { kBlack = 0, kRed = 1, kGreen = 2, kBlue = 3, kLightGrey = 4, kDarkGrey = 5 };

// A picture loaded by the front end for `imagefile`.
class Picture {
 public:
  virtual ~Picture() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
};

// A point of a pending path in page units. Points given as whole units are
// exact; trace points keep the fraction their data mapped to.
struct PathPoint {
  double h, v;
};

// A data point mapped onto the page: the whole units the drawing logic and
// the logs work in, and the exact position they were rounded from, which
// painters with finer resolution than a page unit draw at.
struct PagePoint {
  int h, v;
  double exactH, exactV;
};

// The first, lowest and highest (by v) and last of a run of points in one
// column, in the order they came: all that a stroke through the run covers.
class ColumnPoints {
 public:
  bool empty() const { return count_ == 0; }
  // Adds [p] in column [key]; a point of another column first hands the
  // points kept of the column before to [out].
  template <typename Emit>
  void add(double key, const PathPoint& p, Emit&& out) {
    if (count_ > 0 && key != key_) flush(out);
    if (count_ == 0) {
      key_ = key;
      first_ = low_ = high_ = p;
      lowAt_ = highAt_ = 0;
    } else {
      if (p.v < low_.v) low_ = p, lowAt_ = count_;
      if (p.v > high_.v) high_ = p, highAt_ = count_;
    }
    last_ = p;
    ++count_;
  }
  // Hands the kept points to [out], each once, and starts afresh.
  template <typename Emit>
  void flush(Emit&& out) {
    if (count_ == 0) return;
    const std::size_t last = count_ - 1;
    const bool lowFirst = lowAt_ < highAt_;
    const std::size_t a = lowFirst ? lowAt_ : highAt_, b = lowFirst ? highAt_ : lowAt_;
    out(first_);
    if (a != 0 && a != last) out(lowFirst ? low_ : high_);
    if (b != 0 && b != last && b != a) out(lowFirst ? high_ : low_);
    if (last != 0) out(last_);
    count_ = 0;
  }

 private:
  double key_ = 0;
  std::size_t count_ = 0, lowAt_ = 0, highAt_ = 0;
  PathPoint first_{}, low_{}, high_{}, last_{};
};

class Surface {
 public:
  virtual ~Surface() = default;

  // ---- Pen and lines
  void MoveTo(int h, int v);
  void LineTo(int h, int v);
  void Move(int dh, int dv) { MoveTo(lastx_ + dh, lasty_ + dv); }
  void Line(int dh, int dv) { LineTo(lastx_ + dh, lasty_ + dv); }
  // The same at a mapped point: the pen goes to its whole units, the path
  // gets its exact position.
  void MoveTo(const PagePoint& p);
  void LineTo(const PagePoint& p);
  void FinishPath();
  // Whether the path keeps only a few points per column (see setPathColumns),
  // and the column of page position [h] then.
  bool reducesPaths() const { return columnsPerUnit_ > 0; }
  double pathColumn(double h) const {
    // floor() without a library call: the shifted value is positive, where
    // truncation is floor.
    const double at = (h + columnOffset_) * columnsPerUnit_ + 1e9;
    return at > 0 && at < 2e9 ? static_cast<double>(static_cast<int64_t>(at)) : at;
  }
  void GetPen(int* h, int* v) const {
    *h = lastx_;
    *v = lasty_;
  }
  void ForeColor(int n);
  int colour() const { return colour_; }

  // ---- Shapes, drawn at once
  virtual void FrameRect(const Rect& r) = 0;
  virtual void PaintRect(const Rect& r) = 0;
  virtual void FrameOval(const Rect& r) = 0;
  virtual void PaintOval(const Rect& r) = 0;

  // ---- Traces
  // A trace's lines and markers come between these two calls, in one
  // colour. A surface may gather them and draw them at EndTrace; nothing
  // else is drawn in between.
  virtual void BeginTrace() {}
  virtual void EndTrace() {}

  // ---- Clipping and state
  virtual void SaveGS() = 0;
  virtual void RestoreGS() = 0;
  virtual void ClipRect(const Rect& r) = 0;
  virtual void GetWindowRect(Rect* r) = 0;

  // ---- Text (Mac OS Roman bytes); the text box's bottom left is at the pen.
  virtual void DrawText(std::string_view s) = 0;
  virtual void GetTextSize(std::string_view s, int* w, int* h) = 0;

  // ---- Images
  // Draws [width] x [height] levels, row after row with the first row at the
  // top, scaled into [r] without smoothing, each level in the colour of its
  // entry of [rgb] (256 entries of red, green, blue).
  virtual void ShowBytes(const uint8_t* data, int width, int height, const Rect& r,
                         const uint8_t (*rgb)[3]) = 0;
  // Draws [picture] scaled into [target], clipped to [clip].
  virtual void DrawPicture(const Picture& picture, const Rect& target, const Rect& clip) = 0;

 protected:
  // Strokes the pending path in the current colour.
  virtual void StrokePath(const PathPoint* points, std::size_t count) = 0;
  // Dense paths: a path with many points in one column of [perUnit] columns
  // a unit (h + [offset] gives the column) keeps only its first, lowest,
  // highest and last point there, in their order. The strokes between them
  // cover no more, and a trace of thousands of points then reaches the
  // painter as a few per column. 0, the default, keeps every point.
  void setPathColumns(double perUnit, double offset) {
    columnsPerUnit_ = perUnit;
    columnOffset_ = offset;
  }
  // Called by MoveTo, LineTo and ForeColor for surfaces that log them.
  virtual void noteMoveTo(int /*h*/, int /*v*/) {}
  virtual void noteLineTo(int /*h*/, int /*v*/) {}
  virtual void noteFinishPath() {}
  virtual void noteForeColor(int /*n*/) {}

 private:
  void addPoint(double h, double v);
  void strokePending();
  std::vector<PathPoint> path_;
  ColumnPoints column_;  // the path's current column
  double columnsPerUnit_ = 0, columnOffset_ = 0;
  int lastx_ = 0, lasty_ = 0;
  int colour_ = 0;
};

// The built-in colour scale: white through blue and green to red.
void colormap(int i, uint8_t* r, uint8_t* g, uint8_t* b);

// Fills a 256-entry table: 1 the colour scale, anything else the grey ramp
// from white (0) to black (255).
void BuiltInCtable(int n, uint8_t (*table)[3]);

}  // namespace orv
