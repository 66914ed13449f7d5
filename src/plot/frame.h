// The axis frame of a strip: its plot area on the page and the mapping from
// data values (axis units) to page coordinates that every drawing step uses.
#pragma once

#include "plot/plot_page.h"
#include "plot/surface.h"

namespace orv {

struct AxisFrame {
  const StripAxes* axes = nullptr;
  int xorg = 0, yorg = 0, xend = 0, yend = 0;  // plot area: left, bottom, right, top
  double xs = 1, ys = 1;                       // page units per data unit
  int charwidth = 7, charht = 14;              // size of "0" in the plot font
  int ticsize = 4;
  Rect window;      // the whole page
  int nstrips = 0;  // index of the last strip of the page

  // Data values to page coordinates, limited to +-32000.
  void MapData(double x, double y, int* h, int* v) const;
  // The same point with its exact page position as well.
  inline PagePoint MapPoint(double x, double y) const;
  double PixToX(double h) const { return (h - xorg) / xs + axes->xmin; }
  // The plot area: top yend, left xorg + 1, bottom yorg, right xend + 1.
  Rect GetAxisRect() const { return {yend, xorg + 1, yorg, xend + 1}; }
};

// A page coordinate from a double: +-32000 at most, NaN as -32000, then
// truncated.
inline int pageCoord(double d) {
  if (!(d >= -32000)) return -32000;
  if (d > 32000) return 32000;
  return static_cast<int>(d);
}

PagePoint AxisFrame::MapPoint(double x, double y) const {
  const double h = xorg + (x - axes->xmin) * xs, v = yorg + (y - axes->ymin) * ys;
  auto limit = [](double d) { return d >= -32000 ? (d > 32000 ? 32000 : d) : -32000; };
  return {pageCoord(h + 0.5), pageCoord(v + 0.5), limit(h), limit(v)};
}

// Truncates toward zero into the int range; NaN gives 0.
int itrunc(double d);

// The page rectangle of strip [i] on a page [window] whose characters are
// [charht] high.
Rect GetStripRect(const PlotPage& ps, int i, const Rect& window, int charht);

// The axis frame of strip [i], drawn with the metrics of [s]; [axes] are the
// strip's settings. Sets [offPage] when the plot area leaves the page.
AxisFrame setscale(const PlotPage& ps, int i, const StripAxes& axes, Surface& s,
                   bool* offPage = nullptr);

}  // namespace orv
