// The strips of the page: `newaxis`, the strip heights from Ystrips, and the
// strip records' lifetime.
#include <cmath>

#include "lang/engine.h"
#include "lang/register_guard.h"
#include "plot/plot.h"

namespace orv {

void savestrip(PlotState& ps) { ps.current().axes = ps.work; }

void axisstmt(Engine& e) {
  if (!e.pass2 || e.initplot) return;
  PlotState& ps = e.plot();
  if (ps.stripcount >= kMaxStrips - 1) {
    e.errmsg(" too many strips");
    return;
  }
  if (ps.stripcount == ps.nstrips) ++ps.nstrips;
  savestrip(ps);
  ++ps.stripcount;
  Strip& next = ps.current();
  next.clearData();
  next.axes = ps.work;  // an empty last strip shows the axes of the one above
  Symbol* x = e.symref("X");
  e.freexpr(x->def);
  x->def = nullptr;
  ps.xptr = nullptr;
  e.initplot = 1;
}

void setht(Engine& e) {
  PlotState& ps = e.plot();
  for (Strip& s : ps.strips) s.height = 0;
  Symbol* s = e.symref("Ystrips");
  if (s->nparams) return;
  RegisterGuard::Probe p = RegisterGuard(e).probe(s);
  double v = p.value;
  const bool known = p.known, isArray = p.isArray();
  const int64_t c = p.size;
  e.uknvar = nullptr;
  if (known) {
    if (v > 0 && v <= kMaxStrips) {
      ps.nstrips = static_cast<int>(v - 1);
      return;
    }
  } else if (!isArray) {
    return;  // no value: the page keeps its strips
  } else if (c > 0 && c <= kMaxStrips) {
    double* k = e.AddLoopIndex();
    double sum = 0;
    for (int64_t i = 1; i <= c; ++i) {
      *k = static_cast<double>(i);
      e.gmissidx = 0;
      if (e.evalvar(s, &v) && v > 0) {
        ps.strips[i - 1].height = v;
        sum += v;
      }
    }
    e.RemoveLoopIndex();
    e.gmissidx = 0;
    e.uknvar = nullptr;
    if (sum > 0 && std::isfinite(sum)) {
      ps.nstrips = static_cast<int>(c - 1);
      for (Strip& st : ps.strips) st.height /= sum;
      return;
    }
    for (Strip& st : ps.strips) st.height = 0;
  }
  e.errmsg(" Ystrips:?");
}

void KillStrips(PlotState& ps) {
  for (int i = ps.stripcount; i >= 0; --i) ps.strips[i].clearData();
  ps.stripcount = 0;
}

void freestrips(Engine& e) {
  KillStrips(e.plot());
  e.firststrip = 0;
  setht(e);
}

void closestrips(Engine& e) {
  PlotState& ps = e.plot();
  if (e.firststrip) return;
  savestrip(ps);
  if (!e.initplot && ps.stripcount < ps.nstrips) ps.nstrips = ps.stripcount;
}

}  // namespace orv
