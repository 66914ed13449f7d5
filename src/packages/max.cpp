// Array utilities: max, min, maxindex, minindex and ave reduce an array (or
// a single number) to one value, walking it element by element.
#include <cmath>

#include "lang/engine.h"
#include "packages/registry.h"

namespace orv {

namespace {

enum class Reduce { Max, Min, MaxIndex, MinIndex, Ave };

// The block of the argument when it names a stored one-dimensional array, so
// a reduction reads the values without evaluating them one by one.
const ExprNode* storedVector(Engine& e) {
  ExprNode* arg = e.getparm(0);
  if (!arg || arg->op != VAR) return nullptr;
  const ExprNode* d = e.varval(arg);
  return d && d->op == VEC ? d : nullptr;
}

bool reduce(Engine& e, double* result, Reduce what) {
  ExprNode* arg = e.MakeParmExpr(0);
  double v;
  bool isarray;
  int64_t n;
  bool known = e.ProbeExpr(arg, &v, &isarray, &n);
  if (known) {
    e.FreeExpr(arg);
    *result = what == Reduce::MaxIndex || what == Reduce::MinIndex ? 0 : v;
    return true;
  }
  if (!isarray || n <= 0) {
    e.FreeExpr(arg);
    return false;
  }
  const bool wantMax = what == Reduce::Max || what == Reduce::MaxIndex;
  double best = wantMax ? -HUGE_VAL : HUGE_VAL;
  double bestIndex = 0;
  double sum = 0;
  int64_t count = 0;
  auto take = [&](int64_t i, double x) {
    if (what == Reduce::Ave) {
      if (!std::isnan(x)) sum += x, ++count;
    } else if (wantMax ? x > best : x < best) {
      best = x;
      bestIndex = static_cast<double>(i);
    }
  };
  if (const ExprNode* vec = storedVector(e); vec && vec->count == n) {
    // A stored vector: its elements are the block itself.
    for (int64_t i = 1; i <= n; ++i) take(i, vec->block[i - 1]);
  } else {
    double* k = e.AddLoopIndex();
    for (int64_t i = 1; i <= n && !e.Stopped(); ++i) {
      *k = static_cast<double>(i);
      if (e.EvalExpr(arg, &v)) take(i, v);
    }
    e.RemoveLoopIndex();
  }
  e.FreeExpr(arg);
  switch (what) {
    case Reduce::Max:
    case Reduce::Min: *result = best; return true;
    case Reduce::MaxIndex:
    case Reduce::MinIndex: *result = bestIndex; return true;
    case Reduce::Ave:
      if (count < 1) return false;
      *result = sum / static_cast<double>(count);
      return true;
  }
  return false;
}

bool maxEntry(Engine& e, double* r) { return reduce(e, r, Reduce::Max); }
bool minEntry(Engine& e, double* r) { return reduce(e, r, Reduce::Min); }
bool maxindexEntry(Engine& e, double* r) { return reduce(e, r, Reduce::MaxIndex); }
bool minindexEntry(Engine& e, double* r) { return reduce(e, r, Reduce::MinIndex); }
bool aveEntry(Engine& e, double* r) { return reduce(e, r, Reduce::Ave); }

}  // namespace

void setup_max(Registry& r) {
  r.AddFunPkg("max_", "array utilities");
  r.AddCFun("max", "array", "max value in array", maxEntry);
  r.AddCFun("min", "array", "min value in array", minEntry);
  r.AddCFun("maxindex", "array", "index of max value", maxindexEntry);
  r.AddCFun("minindex", "array", "index of min value", minindexEntry);
  r.AddCFun("ave", "array", "average of array values", aveEntry);
  r.AddFunPkg(nullptr, nullptr);
}

}  // namespace orv
