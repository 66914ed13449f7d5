#include "plot/plotclick.h"

#include <cmath>

#include "lang/whole_number.h"

namespace orv {

namespace {

// Squared page distance from (h, v) to the data point (x, y).
inline double dist2(const AxisFrame& f, int h, int v, double x, double y) {
  int ph, pv;
  f.MapData(x, y, &ph, &pv);
  double dh = ph - h, dv = pv - v;
  return dh * dh + dv * dv;
}

}  // namespace

bool ClosePoint(const Strip& strip, const AxisFrame& f, int h, int v, double* x, double* y,
                int* trace) {
  const StripAxes& a = *f.axes;
  double best = 100;
  int t = 1;
  for (const Trace& rec : strip.traces) {
    double last = HUGE_VAL;
    const float* p = rec.pts.data();
    if (rec.pairs()) {
      const std::size_t n = rec.count();
      for (std::size_t k = 0; k < n; ++k) {
        double px = p[2 * k], py = p[2 * k + 1];
        if (!(p[2 * k] >= static_cast<float>(a.xmin) && p[2 * k] <= static_cast<float>(a.xmax)))
          continue;
        double d = dist2(f, h, v, px, py);
        last = d;
        if (d < best) {
          best = d;
          *x = px, *y = py, *trace = t;
          if (d < 18) break;
        }
      }
    } else {
      double xc = f.PixToX(h);
      if (!(xc >= a.xmin && xc <= a.xmax)) break;
      const int64_t n = static_cast<int64_t>(rec.count());
      const int width = f.xend - f.xorg;
      const int64_t m = width > 0 ? n / width : n;
      double first = (xc - rec.x0) / rec.xstep + 0.5 - 5.0 * static_cast<double>(m);
      int64_t k = first > 0 ? clampedWhole(first, 0, n, 0) : 0;
      for (int64_t end = k + 10 * m + 1; k < end && k < n; ++k) {
        if (std::isnan(p[k])) continue;
        double px = static_cast<double>(k) * rec.xstep + rec.x0;
        double d = dist2(f, h, v, px, p[k]);
        last = d;
        if (d < best) {
          best = d;
          *x = px, *y = p[k], *trace = t;
        }
      }
    }
    if (last < 18) break;
    ++t;
  }
  return best < 100;
}

bool ImgPoint(const Strip& strip, const AxisFrame& f, int h, int v, double* x, double* y, double* z,
              int* i, int* j) {
  const StripImage& img = strip.image;
  const StripAxes& a = *f.axes;
  if (img.empty() || f.xend <= f.xorg || f.yend <= f.yorg) return false;
  // Floor division: a point left of or below the plot area is in no cell.
  if (h < f.xorg || v < f.yorg) return false;
  const int64_t i0 = int64_t{img.rows} * (h - f.xorg) / (f.xend - f.xorg);
  const int64_t j0 = int64_t{img.cols} * (v - f.yorg) / (f.yend - f.yorg);
  if (i0 >= img.rows || j0 >= img.cols) return false;
  const int r = img.cols - 1 - static_cast<int>(j0);
  const uint8_t level = img.levels[static_cast<std::size_t>(r) * img.rows + i0];
  *z = level > 0 ? (level - 0.5) * (a.zmax - a.zmin) / 255 + a.zmin : NAN;
  *x = static_cast<double>(i0 + 1) * (a.xmax - a.xmin) / img.rows + a.xmin;
  *y = static_cast<double>(j0 + 1) * (a.ymax - a.ymin) / img.cols + a.ymin;
  *i = static_cast<int>(i0) + 1;
  *j = static_cast<int>(j0) + 1;
  return true;
}

bool PlotClick(const PlotPage& ps, Surface& s, int h, int v, Click* click) {
  Rect window;
  s.GetWindowRect(&window);
  int cw, ch;
  s.GetTextSize("0", &cw, &ch);
  for (int i = 0; i <= ps.stripcount && i < kMaxStrips; ++i) {
    const Strip& strip = ps.strips[i];
    if (!inRect(GetStripRect(ps, i, window, ch), h, v)) continue;
    AxisFrame f = setscale(ps, i, strip.axes, s);
    *click = Click();
    Click c;
    c.strip = i;
    if (ClosePoint(strip, f, h, v, &c.x, &c.y, &c.trace)) {
      c.z = -HUGE_VAL;
      *click = c;
      return true;
    }
    if (ImgPoint(strip, f, h, v, &c.x, &c.y, &c.z, &c.i, &c.j)) {
      *click = c;
      return true;
    }
  }
  *click = Click();
  return false;
}

bool ClickPix(const PlotPage& ps, const Click& click, Surface& s, double* h, double* v, double* ho,
              double* vo) {
  if (!click.any()) return false;
  const int i = click.strip;
  AxisFrame f = setscale(ps, i, ps.strips[i].axes, s);
  *ho = f.xorg;
  *vo = f.yorg;
  *h = f.xorg + (click.x - f.axes->xmin) * f.xs;
  *v = f.yorg + (click.y - f.axes->ymin) * f.ys;
  return true;
}

bool squareButtonShown(double a) { return !(a > 6 || a < 1.0 / 9) && std::isfinite(a); }

double squareWidth(double a, double areaWidth, double areaHeight, double windowWidth,
                   double minWidth) {
  double p = areaHeight / areaWidth;
  double k = p / a;
  double w = windowWidth * k + (1 - k) * 60;
  if (!std::isfinite(w) || minWidth > w || w > 2000) return 0;
  return w;
}

}  // namespace orv
