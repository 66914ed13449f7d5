// Plot settings: the worksheet variables with reserved names that a strip
// reads when it starts, checked and copied into the working values.
#include <cmath>

#include "lang/engine.h"
#include "lang/register_guard.h"
#include "plot/plot.h"

namespace orv {

namespace {

constexpr char kGe[] = "\xB3";  // the sign >= in Mac OS Roman

void badlog(Engine& e, const char* name) { e.errmsg2(" bad log axis limit: %s", name); }

// A flag variable: writes [bit] of [flags] when the variable is set.
void optflag(Engine& e, const char* name, uint32_t bit, uint32_t* flags) {
  double v;
  if (!optsym(e, name, &v)) return;
  if (v != 0)
    *flags |= bit;
  else
    *flags &= ~bit;
}

// Converts a given limit of a log axis to its logarithm.
void loglimit(Engine& e, const char* name, bool given, double* limit) {
  if (!given) return;
  if (*limit <= 0)
    badlog(e, name);
  else
    *limit = std::log10(*limit);
}

void setplotflags(Engine& e) {
  PlotState& ps = e.plot();
  StripAxes& a = ps.work;
  uint32_t f = ps.flags;
  optflag(e, "Xshowgrid", PF_XGRID, &f);
  optflag(e, "Axisbox", PF_AXISBOX, &f);
  optflag(e, "Yshowgrid", PF_YGRID, &f);
  f |= PF_ZBAR;
  optflag(e, "Zshowbar", PF_ZBAR, &f);
  f &= ~PF_XLOG;
  optflag(e, "Xlogaxis", PF_XLOG, &f);
  if (f & PF_XLOG) {
    loglimit(e, "Xmin", !ps.autoxl, &a.xmin);
    loglimit(e, "Xmax", !ps.autoxh, &a.xmax);
  }
  f &= ~PF_YLOG;
  optflag(e, "Ylogaxis", PF_YLOG, &f);
  if (f & PF_YLOG) {
    loglimit(e, "Ymin", !ps.autoyl, &a.ymin);
    loglimit(e, "Ymax", !ps.autoyh, &a.ymax);
  }
  f &= ~PF_ZLOG;
  optflag(e, "Zlogaxis", PF_ZLOG, &f);
  if (f & PF_ZLOG) {
    loglimit(e, "Zmin", !ps.autozl, &a.zmin);
    loglimit(e, "Zmax", !ps.autozh, &a.zmax);
  }
  f |= PF_XTICKLABELS;
  optflag(e, "Xticklabels", PF_XTICKLABELS, &f);
  f |= PF_YTICKLABELS;
  optflag(e, "Yticklabels", PF_YTICKLABELS, &f);
  ps.flags = f;
  a.plotflags = f;
}

// The range check of one axis, in axis units.
void checkrange(Engine& e, double* lo, double* hi, bool autolo, bool autohi, char axis) {
  if (*lo + std::fabs(*lo * 1e-6) < *hi) return;
  if (autolo) {
    *lo = *hi - 1;
  } else if (autohi) {
    *hi = *lo + 1;
  } else if (*lo >= *hi) {
    std::string m = std::string(" ") + axis + "min " + kGe + " " + axis + "max";
    e.errmsg(m);
  } else {
    e.errmsg(std::string(" ") + axis + " range is too small");
  }
}

// A label string, cut to the 63 characters its field holds.
std::string labelOf(Engine& e, const char* name) {
  std::string s = e.GetVarStr(name);
  if (s.size() > kLabelChars) s.resize(kLabelChars);
  return s;
}

void setaxislabs(Engine& e) {
  PlotState& ps = e.plot();
  ps.work.xlab = labelOf(e, "Xlabel");
  ps.work.ylab = labelOf(e, "Ylabel");
  ps.work.zlab = labelOf(e, "Zlabel");
  ps.title = labelOf(e, "Title");
}

// X must be free: undefined, or defined only as X = X.
void freeX(Engine& e) {
  PlotState& ps = e.plot();
  Symbol* x = e.symref("X");
  if (x->def) {
    ExprNode* d = x->def;
    bool free = x->nparams == 0 && x->ndims == 0 && d->op == VAR && d->sym->def &&
                d->sym->def->op == VAR && d->sym->def->sym == x;
    if (!free) e.errmsg(" X is not free");
    e.freexpr(x->def);
    x->def = nullptr;
  }
  x->nparams = 0;
  x->ndims = 0;
  x->def = e.makecon(0);
  x->isindex = 2;
  ps.xptr = &x->def->value;
}

}  // namespace

int optsym(Engine& e, const char* name, double* out) {
  Symbol* s = e.symref(name);
  if (s->nparams > 0) return 0;
  e.getstr = nullptr;
  RegisterGuard::Probe p = RegisterGuard(e).probe(s);
  const double v = p.value;
  bool valid = p.known && !std::isinf(v);
  e.getstr = nullptr;
  e.uknvar = nullptr;
  if (!valid && s->def) e.errmsg2(" %s:?", name);
  if (!valid || std::isnan(v)) return 0;
  *out = v;
  return 1;
}

void setsyms(Engine& e) {
  PlotState& ps = e.plot();
  StripAxes& a = ps.work;
  ps.autoxl = ps.autoxh = ps.autoyl = ps.autoyh = ps.autozl = ps.autozh = false;
  a.xmin = 0, a.xmax = 1, a.ymin = 0, a.ymax = 1, a.xdiv = a.ydiv = 0;
  if (e.stop) return;
  freeX(e);

  double v;
  if (optsym(e, "Xlo", &v)) ps.xlo = static_cast<float>(v);
  if (optsym(e, "Xhi", &v)) ps.xhi = static_cast<float>(v);
  if (optsym(e, "Yhi", &v)) ps.yhi = static_cast<float>(v);
  if (optsym(e, "Ylo", &v)) ps.ylo = static_cast<float>(v);

  auto limit = [&](const char* name, bool* autoflag, float range, double* out) {
    if (optsym(e, name, out)) return;
    *autoflag = true;
    if (std::isfinite(range)) *out = range;
  };
  limit("Xmin", &ps.autoxl, ps.xlo, &a.xmin);
  limit("Xmax", &ps.autoxh, ps.xhi, &a.xmax);
  limit("Ymin", &ps.autoyl, ps.ylo, &a.ymin);
  limit("Ymax", &ps.autoyh, ps.yhi, &a.ymax);

  ps.nsteps = 400;
  if (optsym(e, "Xsteps", &v)) {
    if (v < 2)
      e.errmsg(" Xsteps < 2");
    else if (v > 30000)
      e.errmsg(" Xsteps > 30000");
    else
      ps.nsteps = static_cast<int>(v + 0.5);
  }

  if (ps.zlo != ps.zhi && ps.zlo != HUGE_VAL && ps.zhi != -HUGE_VAL) {
    a.zmin = ps.zlo;
    a.zmax = ps.zhi;
  } else {
    a.zmin = 0;
    a.zmax = 1;
  }
  ps.autozl = !optsym(e, "Zmin", &a.zmin);
  ps.autozh = !optsym(e, "Zmax", &a.zmax);
  if (optsym(e, "Xdiv", &v)) a.xdiv = v;
  if (optsym(e, "Ydiv", &v)) a.ydiv = v;

  setplotflags(e);
  checkrange(e, &a.xmin, &a.xmax, ps.autoxl, ps.autoxh, 'X');
  checkrange(e, &a.ymin, &a.ymax, ps.autoyl, ps.autoyh, 'Y');
  setaxislabs(e);
}

}  // namespace orv
