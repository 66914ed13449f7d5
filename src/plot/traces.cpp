// Making traces: a function of X, a one-dimensional array spread over the X
// axis (or a family of functions, one per element), or (X, Y) pairs. Points
// are stored as single-precision floats in axis units.
#include <cmath>
#include <new>

#include "lang/engine.h"
#include "lang/register_guard.h"
#include "plot/frame.h"
#include "plot/plot.h"

namespace orv {

namespace {

// Widens a float data range by [v].
inline void widen(float v, float* lo, float* hi) {
  if (v < *lo) *lo = v;
  if (v > *hi) *hi = v;
}

// Evaluates [tree] with the evaluator's array state cleared; true when known
// and not NaN.
bool value(Engine& e, ExprNode* tree, double* v) {
  e.gmissidx = 0;
  e.getstr = nullptr;
  bool known = e.EvalExpr(tree, v);
  e.gmissidx = 0;
  return known && !std::isnan(*v);
}

// The style of trace number [trace]: colour, marker shape and size, read with
// an implicit loop index trace + 1 so that array styles give one per trace.
void setmarker(Engine& e, Trace* t, int trace) {
  double* k = e.AddLoopIndex();
  *k = trace + 1;
  double v;
  double colour = trace;
  if (optsym(e, "Tracecolor", &v) && v >= 1) colour = std::trunc(v - 1);
  t->colour = static_cast<int16_t>(std::fmod(colour, 4));

  double shape = trace;
  if (optsym(e, "Marker", &v)) {
    if (v >= 0) shape = std::trunc(v - 1);
    if (v == 0) {
      if (t->kind == Trace::kMarkers) t->kind = Trace::kLines;
      if (t->kind == Trace::kPairMarkers) t->kind = Trace::kPairLines;
    }
  } else if (t->kind == Trace::kLines || t->kind == Trace::kPairLines) {
    shape = -1;
  }
  if (shape >= 7) shape = std::fmod(shape, 7);
  t->marker = static_cast<int16_t>(shape);

  t->markersize = 10;
  if (optsym(e, "Markersize", &v) && v >= 0 && v < 100)
    t->markersize = static_cast<int16_t>(v * 10);
  e.RemoveLoopIndex();
}

// Appends a trace to the current strip; null when memory runs out, which
// drops the trace without a message.
Trace* newTrace(PlotState& ps) {
  try {
    ps.current().traces.emplace_back();
    return &ps.current().traces.back();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool reserve(PlotState& ps, Trace* t, std::size_t floats) {
  try {
    t->pts.reserve(floats);
    return true;
  } catch (const std::bad_alloc&) {
    ps.current().traces.pop_back();
    return false;
  }
}

void yfun(Engine& e, ExprNode* tree, int trace) {
  PlotState& ps = e.plot();
  const StripAxes& a = ps.work;
  Trace* t = newTrace(ps);
  if (!t || !reserve(ps, t, static_cast<std::size_t>(ps.nsteps))) return;
  t->kind = Trace::kLines;
  t->x0 = a.xmin;
  t->xstep = (a.xmax - a.xmin) / (ps.nsteps - 1);
  setmarker(e, t, trace);
  t->marker = -1;
  const bool xlog = a.has(PF_XLOG), ylog = a.has(PF_YLOG);
  double* xp = ps.xptr;
  double x = a.xmin;
  float lo = ps.ylo, hi = ps.yhi;
  for (int i = 0; i < ps.nsteps; ++i, x += t->xstep) {
    if (e.stop) {
      t->pts.resize(static_cast<std::size_t>(ps.nsteps), NAN);
      break;
    }
    *xp = xlog ? std::pow(10.0, x) : x;
    double v;
    if (value(e, tree, &v)) {
      if (ylog) v = std::log10(v);
      float f = static_cast<float>(v);
      t->pts.push_back(f);
      if (!std::isnan(f)) widen(f, &lo, &hi);
    } else {
      t->pts.push_back(NAN);
    }
  }
  ps.ylo = lo;
  ps.yhi = hi;
}

void xyarray(Engine& e, ExprNode* tree, int trace) {
  PlotState& ps = e.plot();
  const StripAxes& a = ps.work;
  double* xp = ps.xptr;
  *xp = 0;
  RegisterGuard guard(e);
  RegisterGuard::Probe whole = guard.probe(tree);
  int64_t c = whole.isArray() ? whole.size : 0;
  int64_t n = c > 0 ? c : ps.nsteps;
  const bool list = c == 2;
  double* comp;
  double* point;
  if (list) {
    // The first index chooses X or Y; the length comes from the X part.
    comp = e.AddLoopIndex();
    RegisterGuard::Probe x = guard.probe(tree);
    n = x.isArray() && x.size > 0 ? x.size : ps.nsteps;
    e.RemoveLoopIndex();
    point = e.AddLoopIndex();
    comp = e.AddLoopIndex();
  } else {
    comp = e.AddLoopIndex();
    point = e.AddLoopIndex();
  }
  if (n > kMaxArrayElements) n = kMaxArrayElements;
  Trace* t = newTrace(ps);
  if (t && reserve(ps, t, static_cast<std::size_t>(2 * n))) {
    t->kind = ps.lineplot ? Trace::kPairLines : Trace::kPairMarkers;
    setmarker(e, t, trace);
    const bool xlog = a.has(PF_XLOG), ylog = a.has(PF_YLOG);
    const double dx = n > 1 ? 1.0 / static_cast<double>(n - 1) : 0;
    bool stored = false;
    for (int64_t p = 1; p <= n && !e.stop; ++p) {
      *point = static_cast<double>(p);
      *comp = 1;
      double x = 0, y = 0;
      bool ok = value(e, tree, &x);
      if (ok) {
        *comp = 2;
        ok = value(e, tree, &y);
      }
      if (ok && xlog) x = std::log10(x);
      if (ok && ylog) y = std::log10(y);
      if (ok && !std::isnan(x) && !std::isnan(y)) {
        float fx = static_cast<float>(x), fy = static_cast<float>(y);
        t->pts.push_back(fx);
        t->pts.push_back(fy);
        widen(fx, &ps.xlo, &ps.xhi);
        widen(fy, &ps.ylo, &ps.yhi);
        stored = true;
      } else if (stored) {
        t->pts.push_back(NAN);
        t->pts.push_back(NAN);
        stored = false;
      }
      *xp += dx;
    }
  }
  e.RemoveLoopIndex();
  e.RemoveLoopIndex();
}

void yarray(Engine& e, ExprNode* tree, int trace, int64_t size) {
  PlotState& ps = e.plot();
  const StripAxes& a = ps.work;
  int64_t n = size > 0 ? size : ps.nsteps;
  if (n < 2) n = 2;
  if (n > kMaxArrayElements) n = kMaxArrayElements;

  // Is it an array of functions of X, or two-dimensional?
  double* k = e.AddLoopIndex();
  Symbol* xs = e.symref("X");
  ExprNode* xdef = xs->def;
  xs->def = nullptr;
  e.uknvar = nullptr;
  RegisterGuard::Probe p = RegisterGuard(e).probe(tree);
  const bool twoD = p.isArray();
  const bool ofX = !p.known && !twoD && e.uknvar == xs;
  xs->def = xdef;
  e.uknvar = nullptr;
  if (twoD || n == 2) {
    e.RemoveLoopIndex();
    xyarray(e, tree, trace);
    return;
  }
  if (ofX) {
    for (int64_t i = 1; i <= n && !e.stop; ++i) {
      *k = static_cast<double>(i);
      yfun(e, tree, ps.plottrace);
      ++ps.plottrace;
    }
    e.RemoveLoopIndex();
    return;
  }

  const bool xlog = a.has(PF_XLOG), ylog = a.has(PF_YLOG);
  Trace* t = newTrace(ps);
  if (t && reserve(ps, t, static_cast<std::size_t>(xlog ? 2 * n : n))) {
    double x0 = a.xmin, step = (a.xmax - a.xmin) / static_cast<double>(n - 1);
    if (xlog) {
      x0 = std::pow(10.0, a.xmin);
      step = (std::pow(10.0, a.xmax) - x0) / static_cast<double>(n - 1);
      t->kind = ps.lineplot ? Trace::kPairLines : Trace::kPairMarkers;
    } else {
      t->kind = ps.lineplot ? Trace::kLines : Trace::kMarkers;
    }
    t->x0 = x0;
    t->xstep = step;
    setmarker(e, t, trace);
    double x = x0;
    for (int64_t i = 1; i <= n && !e.stop; ++i, x += step) {
      *k = static_cast<double>(i);
      *ps.xptr = x;
      double v;
      bool ok = value(e, tree, &v);
      if (ok && ylog) v = std::log10(v);
      float f = ok ? static_cast<float>(v) : NAN;
      if (ok && !std::isnan(f)) widen(f, &ps.ylo, &ps.yhi);
      if (xlog) {
        t->pts.push_back(ok && !std::isnan(f) ? static_cast<float>(std::log10(x)) : NAN);
        t->pts.push_back(f);
      } else {
        t->pts.push_back(f);
      }
    }
  }
  e.RemoveLoopIndex();
}

}  // namespace

void AddTrace(Engine& e, ExprNode* tree) {
  if (e.stop) return;
  PlotState& ps = e.plot();
  if (!ps.xptr) return;
  *ps.xptr = ps.work.xmin;
  RegisterGuard::Probe p = RegisterGuard(e).probe(tree);
  const int missing = p.missing;
  const int64_t size = p.size;
  e.gdim = 0;
  if (missing >= 2)
    xyarray(e, tree, ps.plottrace);
  else if (missing == 1)
    yarray(e, tree, ps.plottrace, size);
  else
    yfun(e, tree, ps.plottrace);
}

}  // namespace orv
