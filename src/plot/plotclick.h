// The click read-out: the trace point or image cell nearest to a page point,
// and the square button's checks of the axis ratio.
#pragma once

#include "plot/frame.h"
#include "plot/plot_state.h"

namespace orv {

inline bool inRect(const Rect& r, int h, int v) {
  return r.left <= h && h <= r.right && r.bottom <= v && v <= r.top;
}

// Finds the point of [page] under page coordinates (h, v) with the metrics of
// [s] and puts it in [click]; false (and no clicked point) when none.
bool PlotClick(const PlotPage& page, Surface& s, int h, int v, Click* click);
inline bool PlotClick(PlotState& ps, Surface& s, int h, int v) {
  return PlotClick(ps, s, h, v, &ps.click);
}

// The nearest trace point of [strip] within 10 units of (h, v).
bool ClosePoint(const Strip& strip, const AxisFrame& f, int h, int v, double* x, double* y,
                int* trace);

// The image cell of [strip] under (h, v): its value (NaN for none), upper
// right corner and indices from 1.
bool ImgPoint(const Strip& strip, const AxisFrame& f, int h, int v, double* x, double* y, double* z,
              int* i, int* j);

// The page position of the clicked point and of its strip's plot area
// origin, for the cross-hair; false when there is no clicked point.
bool ClickPix(const PlotPage& page, const Click& click, Surface& s, double* h, double* v,
              double* ho, double* vo);
inline bool ClickPix(const PlotState& ps, Surface& s, double* h, double* v, double* ho,
                     double* vo) {
  return ClickPix(ps, ps.click, s, h, v, ho, vo);
}

// Whether the square button is offered for an axis ratio
// a = (ymax - ymin) / (xmax - xmin).
bool squareButtonShown(double a);

// The window width that gives both axes the same scale: the plot area is
// [areaWidth] x [areaHeight] and the window [windowWidth] wide; 60 units of
// the width are margins that do not scale. 0 when the width would be below
// [minWidth] or above 2000.
double squareWidth(double a, double areaWidth, double areaHeight, double windowWidth,
                   double minWidth);

}  // namespace orv
