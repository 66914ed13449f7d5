// The plot statements' common entry, the strip start, the automatic range
// and the plot's part of the run.
#include "plot/plot.h"

#include <cmath>
#include <limits>

#include "lang/engine.h"
#include "plot/frame.h"
#include "plot/plotclick.h"
#include "plot/recording_surface.h"

namespace orv {

namespace {

// Writes a data-range value back into its setting variable; an infinite
// value is written as NaN, and a function or array is left as it is.
void SetSymb(Engine& e, const char* name, float value) {
  Symbol* s = e.symref(name);
  if (s->nparams || s->ndims) return;
  double v = std::isinf(value) ? std::numeric_limits<double>::quiet_NaN() : value;
  e.freexpr(s->def);
  s->def = e.makecon(v);
}

// The range of one axis follows the data where its limits are automatic.
void autoaxis(double* lo, double* hi, bool autolo, bool autohi, float dlo, float dhi) {
  if (autolo && std::isfinite(dlo) && dlo != *lo) *lo = dlo;
  if (autohi && std::isfinite(dhi)) *hi = dhi;
  if (*lo + std::fabs(*lo * 1e-6) >= *hi) {
    *lo = *hi - 1;
    *hi = *hi + 1;
  }
}

}  // namespace

void plotRunStart(Engine& e) {
  PlotState& ps = e.plot();
  ClearLabs(ps);
  e.firststrip = 1;
  ps.made = false;
  ps.flags &= ~(PF_XGRID | PF_YGRID | PF_AXISBOX);
  if (!e.settings().hideGrid) ps.flags |= PF_XGRID | PF_YGRID;
  if (e.settings().boxAxis) ps.flags |= PF_AXISBOX;
}

void plotRunEnd(Engine& e, bool finish) {
  if (finish && !e.initplot) {
    autorange(e.plot());
    savestrip(e.plot());
  }
  closestrips(e);
  e.plot().xptr = nullptr;  // X's constant goes with the symbols
}

void removeUnusedLabels(PlotState& ps) {
  while (!ps.labels.empty() && !ps.labels.back().shown) ps.labels.pop_back();
}

void autorange(PlotState& ps) {
  StripAxes& a = ps.work;
  autoaxis(&a.ymin, &a.ymax, ps.autoyl, ps.autoyh, ps.ylo, ps.yhi);
  autoaxis(&a.xmin, &a.xmax, ps.autoxl, ps.autoxh, ps.xlo, ps.xhi);
}

void KillPlot(Engine& e) {
  PlotState& ps = e.plot();
  KillStrips(ps);
  ps.strips[0].clearData();
  ps.made = false;
}

bool StartPlot(Engine& e) {
  if (!e.initplot) return true;
  PlotState& ps = e.plot();
  setsyms(e);
  if (e.tokn == ABORT) {
    KillPlot(e);
    return false;
  }
  ps.current().clearData();
  if (e.firststrip) freestrips(e);
  if (e.tokn == ABORT) {
    KillPlot(e);
    return false;
  }
  ps.made = true;
  savestrip(ps);
  RecordingSurface metrics(ps.page.width, ps.page.height, ps.page.charwidth, ps.page.charht, false);
  bool offPage = false;
  setscale(ps, ps.stripcount, ps.current().axes, metrics, &offPage);
  if (offPage) e.errmsg(" Ystrip is off page");
  ps.xlo = ps.ylo = HUGE_VALF;
  ps.xhi = ps.yhi = -HUGE_VALF;
  ps.zlo = HUGE_VAL;
  ps.zhi = -HUGE_VAL;
  ps.click = Click();
  e.initplot = 0;
  ps.plottrace = 0;
  return true;
}

void GenPlot(Engine& e, ExprNode* tree, int kind, ExprNode* rect) {
  if (!StartPlot(e)) return;
  PlotState& ps = e.plot();
  e.uknvar = nullptr;
  switch (kind) {
    case kImagePlot:
      imgplot(e, tree);
      break;
    case kTracePlot: {
      AddTrace(e, tree);
      if (e.stop) break;
      autorange(ps);
      ++ps.plottrace;
      SetSymb(e, "Ylo", ps.ylo);
      SetSymb(e, "Yhi", ps.yhi);
      SetSymb(e, "Xlo", ps.xlo);
      SetSymb(e, "Xhi", ps.xhi);
      break;
    }
    default:
      AddGraphic(e, tree, rect);
      break;
  }
  savestrip(ps);
  ps.pltukn = e.uknvar ? e.uknvar->name : "";
  e.uknvar = nullptr;
}

}  // namespace orv
