// The drawing surface on a QPainter: the plot window, PNG (QImage), SVG
// (QSvgGenerator), PDF (QPdfWriter) and printing. Page units are points with
// y upwards; the painter's device may have [scale] device pixels per point.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include "plot/surface.h"

namespace orv {

class QtPicture : public Picture {
 public:
  explicit QtPicture(QImage image) : image_(std::move(image)) {}
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  const QImage& image() const { return image_; }

 private:
  QImage image_;
};

// Loads the picture in the file at [path] (UTF-8); null when there is none.
std::shared_ptr<const Picture> loadPictureFile(const std::string& path);

class QtSurface : public Surface {
 public:
  // Draws a page of [width] x [height] points on [painter], whose device has
  // [scale] pixels per point. [raster]: the device is a pixel grid, so lines
  // and rectangles are aligned to its pixels.
  QtSurface(QPainter& painter, int width, int height, double scale, const QFont& font, bool raster);
  ~QtSurface() override;

  void FrameRect(const Rect& r) override;
  void PaintRect(const Rect& r) override;
  void FrameOval(const Rect& r) override;
  void PaintOval(const Rect& r) override;
  void BeginTrace() override;
  void EndTrace() override;
  void SaveGS() override;
  void RestoreGS() override;
  void ClipRect(const Rect& r) override;
  void GetWindowRect(Rect* r) override { *r = {height_, 0, 0, width_}; }
  void DrawText(std::string_view s) override;
  void GetTextSize(std::string_view s, int* w, int* h) override;
  void ShowBytes(const uint8_t* data, int width, int height, const Rect& r,
                 const uint8_t (*rgb)[3]) override;
  void DrawPicture(const Picture& picture, const Rect& target, const Rect& clip) override;

 protected:
  void StrokePath(const PathPoint* points, std::size_t count) override;

 private:
  QColor penColour() const;
  QRectF cvt(const Rect& r) const;  // pixel-aligned device-independent rectangle
  double align(double x) const;
  void drawSharp(const QImage& image, const QRectF& target);
  void setStroke();
  void setFill();
  // The painter's points of the path [p, n).
  void painterPoints(const PathPoint* p, std::size_t n);
  void strokeNow(const PathPoint* p, std::size_t n);
  void frameOvalNow(const Rect& r);

  // A trace is gathered into strokes and shapes in its colour and drawn at
  // its end with the pen set once, a few neighbouring strokes to a path:
  // dense markers are hundreds of thousands of tiny strokes, each of which
  // would otherwise pay the painter's whole set-up. A stroke or shape that
  // repeats one of the last few is left out; it would add nothing.
  struct Shape {
    enum Kind { kPaintRect, kFrameOval, kPaintOval } kind;
    Rect r;
  };
  bool gather() const { return gathering_; }
  bool repeatsRecentStroke(const PathPoint* p, std::size_t n) const;
  bool repeatsRecentShape(const Shape& shape) const;
  void gatherStroke(const PathPoint* p, std::size_t n);
  void gatherShape(const Shape& shape);
  void drawGathered();

  bool gathering_ = false;
  int gatheredColour_ = 0;
  std::vector<PathPoint> strokePoints_;    // the strokes' points, one after the other
  std::vector<std::size_t> strokeStarts_;  // where each stroke starts in strokePoints_
  std::vector<Shape> shapes_;

  QPainter& painter_;
  int width_, height_;
  double scale_;
  bool raster_;
  double lineOffset_;  // keeps 1-unit lines on whole pixels
  QFont font_;
  QFontMetricsF metrics_;
  std::vector<QPointF> points_;
};

// The plot font: [family] resolved through fontconfig (Helvetica becomes a
// metric-compatible substitute), [points] high.
QFont plotFont(const std::string& family = "Helvetica", int points = 12);

// The height of the text box of a line of [font], and the part of it below
// the baseline.
double textHeight(const QFont& font);
double textDescent(const QFont& font);

}  // namespace orv
