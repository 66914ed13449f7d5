// The plot state of one document's engine: the page being made and the
// working values of the strip being made.
#pragma once

#include "plot/plot_page.h"

namespace orv {

struct PlotState : PlotPage {
  StripAxes work;
  uint32_t flags = PF_XGRID | PF_YGRID;  // carried from strip to strip
  bool autoxl = false, autoxh = false, autoyl = false, autoyh = false;
  bool autozl = false, autozh = false;
  int nsteps = 400;
  double* xptr = nullptr;  // value of X's constant while a strip is being made
  bool lineplot = false;
  int plottrace = 0;
  Click click;  // the clicked point of engine-side read-outs

  Strip& current() { return strips[stripcount]; }
};

}  // namespace orv
