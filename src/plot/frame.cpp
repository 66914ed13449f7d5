#include "plot/frame.h"

#include <climits>
#include <cmath>

#include "plot/axis.h"

namespace orv {

int itrunc(double d) {
  if (!(d > INT_MIN)) return d < 0 ? INT_MIN : 0;
  if (d >= INT_MAX) return INT_MAX;
  return static_cast<int>(d);
}

void AxisFrame::MapData(double x, double y, int* h, int* v) const {
  *h = pageCoord(xorg + (x - axes->xmin) * xs + 0.5);
  *v = pageCoord(yorg + (y - axes->ymin) * ys + 0.5);
}

Rect GetStripRect(const PlotPage& ps, int i, const Rect& window, int charht) {
  int top = window.top;
  if (!ps.title.empty()) top -= charht / 2 + charht;
  const int avail = top - window.bottom - (charht / 5 + charht + 7);
  auto height = [&](int j) {
    double f = ps.strips[j].height;
    return f > 0 ? itrunc(avail * f) : avail / (ps.nstrips + 1);
  };
  for (int j = 0; j < i && j < kMaxStrips; ++j) top -= height(j);
  return {top, window.left, top - height(i), window.right};
}

AxisFrame setscale(const PlotPage& ps, int i, const StripAxes& axes, Surface& s, bool* offPage) {
  AxisFrame f;
  f.axes = &axes;
  f.nstrips = ps.nstrips;
  s.GetTextSize("0", &f.charwidth, &f.charht);
  s.GetWindowRect(&f.window);
  Rect r = GetStripRect(ps, i, f.window, f.charht);
  int n = yaxischars(axes);
  if (ps.nstrips > 0 && n < 6) n = 6;
  f.xorg = f.window.left + (n + 2) * f.charwidth;
  if (!axes.ylab.empty()) {
    int w, h;
    s.GetTextSize(axes.ylab, &w, &h);
    if (w + f.charwidth > f.xorg) f.xorg = w + f.charwidth;
  }
  f.yorg = r.bottom + (3 * f.charht) / 2;
  if (!axes.has(PF_XTICKLABELS)) f.yorg -= f.charht;
  if (!axes.xlab.empty()) f.yorg += f.charht;
  f.yend = r.top - (3 * f.charht) / 2;
  f.xend = r.right - f.charwidth;
  f.ys = (f.yend - f.yorg) / (axes.ymax - axes.ymin);
  f.xs = (f.xend - f.xorg) / (axes.xmax - axes.xmin);
  f.ticsize = f.charht / 3;
  if (offPage) *offPage = f.yorg < f.window.bottom + 15;
  return f;
}

}  // namespace orv
