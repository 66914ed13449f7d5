// Traces, markers and the `imagefile` picture of a strip.
#include <algorithm>
#include <cmath>

#include "plot/draw.h"

namespace orv {

namespace {

constexpr int kTraceColours[4] = {kBlack, kRed, kGreen, kBlue};

// The Y range of a strip with the tolerance that keeps points on its edges.
struct YBounds {
  double lo, hi;
};

YBounds boundsOf(const StripAxes& a) {
  const double tol = (a.ymax - a.ymin) * 0.0001;
  return {a.ymin - tol, a.ymax + tol};
}

// The segment of a function trace from (x - xstep, y0) to (x, y1), cut where
// it leaves or enters the Y range. Returns whether the pen is up afterwards.
bool ClipLine(Surface& s, const AxisFrame& f, const YBounds& b, bool penup, double y0, double x,
              double y1, double xstep) {
  const StripAxes& a = *f.axes;
  const double hi = b.hi, lo = b.lo;
  const bool above = y1 > hi, below = y1 < lo, out = above || below;
  const double edge = below ? a.ymin : a.ymax;
  if (!penup) {
    if (out) {
      x += (edge - y0) * xstep / (y1 - y0) - xstep;
      y1 = edge;
    }
    s.LineTo(f.MapPoint(x, y1));
    return out;
  }
  if (std::isnan(y0)) {
    if (out) return true;
    s.MoveTo(f.MapPoint(x, y1));
    return false;
  }
  if ((y0 > hi && above) || (y0 < lo && below)) return true;
  const double entry = y0 > hi ? a.ymax : a.ymin;
  if (out && std::isinf(y1)) y1 = edge;
  const double ex = std::isfinite(y0) ? x + (entry - y0) * xstep / (y1 - y0) - xstep : x;
  s.MoveTo(f.MapPoint(ex, entry));
  s.LineTo(f.MapPoint(x, y1));
  return out;
}

// The points of a line trace inside the Y range, gathered by the surface's
// path columns: only the first, lowest, highest and last of a column reach
// the surface, which would keep no others. A trace of thousands of points
// then costs the surface a few calls per column.
class ColumnGather {
 public:
  ColumnGather(Surface& s, const AxisFrame& f) : line_{s, f} {}
  void add(double x, double y) {
    const AxisFrame& f = line_.f;
    points_.add(line_.s.pathColumn(f.xorg + (x - f.axes->xmin) * f.xs), {x, y}, line_);
  }
  void flush() { points_.flush(line_); }

 private:
  // The points kept hold data values: h is X, v is Y, which grows with the
  // page's v.
  struct Line {
    Surface& s;
    const AxisFrame& f;
    void operator()(const PathPoint& p) const { s.LineTo(f.MapPoint(p.h, p.v)); }
  };
  Line line_;
  ColumnPoints points_;
};

void drawRecord(Surface& s, const AxisFrame& f, const Trace& t) {
  s.ForeColor(kTraceColours[t.colour & 3]);
  s.BeginTrace();
  bool penup = true;
  double prev = NAN;
  double x = t.x0;
  const float* p = t.pts.data();
  const float* end = p + t.pts.size();
  const int shape = t.marker, size = t.markersize;
  const YBounds bounds = boundsOf(*f.axes);
  const bool gathering = t.kind == Trace::kLines && shape < 0 && s.reducesPaths();
  ColumnGather gather(s, f);
  while (p < end) {
    const double val = *p++;
    if (std::isnan(val)) {
      penup = true;
      if (t.pairs() && p < end) ++p;
    } else {
      switch (t.kind) {
        case Trace::kLines:
          // A line on from a drawn point to one inside the range.
          if (gathering && !penup && val >= bounds.lo && val <= bounds.hi) {
            gather.add(x, val);
            break;
          }
          gather.flush();
          penup = ClipLine(s, f, bounds, penup, prev, x, val, t.xstep);
          drawmarker(s, f, shape, size, x, val);
          break;
        case Trace::kMarkers:
          drawmarker(s, f, shape, size, x, val);
          break;
        case Trace::kPairMarkers:
          if (p < end) drawmarker(s, f, shape, size, val, *p++);
          break;
        default: {
          if (p >= end) break;
          const double y = *p++;
          const PagePoint point = f.MapPoint(val, y);
          if (penup)
            s.MoveTo(point);
          else
            s.LineTo(point);
          penup = false;
          drawmarker(s, f, shape, size, val, y);
        }
      }
    }
    prev = val;
    x += t.xstep;
  }
  gather.flush();
  s.FinishPath();
  s.EndTrace();
}

}  // namespace

void drawmarker(Surface& s, const AxisFrame& f, int shape, int size, double x, double y) {
  if (shape < 0) return;
  const StripAxes& a = *f.axes;
  // Points and limits are compared in single precision, the points' own: a
  // point at the limit stays in even when the float rounds above the double.
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  if (!(fx >= static_cast<float>(a.xmin) && fx <= static_cast<float>(a.xmax) &&
        fy >= static_cast<float>(a.ymin) && fy <= static_cast<float>(a.ymax)))
    return;
  const PagePoint point = f.MapPoint(x, y);
  const int h = point.h, v = point.v;
  const int r = f.ticsize * size / 20 + 1;
  const Rect box{v + r + 1, h - r, v - r, h + r + 1};
  switch (shape) {
    case 0:
      s.MoveTo(h - r, v);
      s.LineTo(h + r, v);
      s.MoveTo(h, v - r);
      s.LineTo(h, v + r);
      break;
    case 1:
      s.MoveTo(h - r, v - r);
      s.LineTo(h + r, v + r);
      s.MoveTo(h - r, v + r);
      s.LineTo(h + r, v - r);
      break;
    case 2:
      s.MoveTo(h, v - r);
      s.LineTo(h - r, v + r);
      s.LineTo(h + r, v + r);
      s.LineTo(h, v - r);
      break;
    case 3:
      s.MoveTo(h + r, v - r);
      s.LineTo(h - r, v - r);
      s.LineTo(h - r, v + r);
      s.LineTo(h + r, v + r);
      s.LineTo(h + r, v - r);
      break;
    case 4:
      s.PaintRect(box);
      break;
    case 5:
      s.FrameOval(box);
      break;
    default:
      s.PaintOval(box);
      break;
  }
  s.MoveTo(point);
}

void DrawTraces(Surface& s, const AxisFrame& f, const Strip& strip) {
  if (strip.traces.empty()) return;
  s.SaveGS();
  Rect clip = f.GetAxisRect();
  InsetRectx(&clip, -3, -3);
  s.ClipRect(clip);
  for (const Trace& t : strip.traces) drawRecord(s, f, t);
  s.ForeColor(kBlack);
  s.RestoreGS();
}

void DrawXpic(Surface& s, const AxisFrame& f, const Strip& strip) {
  if (!strip.picture) return;
  const Rect area = f.GetAxisRect();
  Rect target = area;
  if (strip.picrect[2] != 0) {
    int h0, v0, h1, v1;
    f.MapData(strip.picrect[0], strip.picrect[1], &h0, &v0);
    f.MapData(strip.picrect[0] + strip.picrect[2], strip.picrect[1] + strip.picrect[3], &h1, &v1);
    target = {std::max(v0, v1), std::min(h0, h1), std::min(v0, v1), std::max(h0, h1)};
  }
  s.DrawPicture(*strip.picture, target, area);
}

}  // namespace orv
