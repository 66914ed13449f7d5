// linfit(XYpoints): the least-squares straight line through points {x, y}.
// Sets `slope` and `intercept`; the result is the correlation coefficient.
#include <cmath>

#include "lang/engine.h"
#include "packages/funutil.h"
#include "packages/registry.h"

namespace orv {

namespace {

// True when [arg] is an array of at least two elements whose first element
// is an array of two: the shape of a list of points.
bool pointList(Engine& e, ExprNode* arg) {
  double v;
  bool isarray;
  int64_t n;
  if (e.ProbeExpr(arg, &v, &isarray, &n) || !isarray || n < 2) return false;
  ExprNode* first = arg;
  e.AddIndex(&first);  // the first point, arg[1]
  const bool pair = !e.ProbeExpr(first, &v, &isarray, &n) && isarray && n == 2;
  e.RemoveIndex(&first);
  return pair;
}

bool linfitEntry(Engine& e, double* result) {
  ExprNode* arg = e.MakeParmExpr(0);
  const bool shaped = pointList(e, arg);
  e.FreeExpr(arg);
  if (e.Stopped()) return false;
  if (!shaped) {
    e.ErrMsg(" linfit() expects array of {x,y}");
    return false;
  }
  // The points as an n x 2 block; unknown coordinates come as NaN and are
  // skipped with the NaNs. No block (no known coordinate at all) means no
  // usable point.
  Block xy;
  int64_t rows = 0, cols = 0;
  if (!matrixArgument(e, 0, &xy, &rows, &cols) || cols != 2) rows = 0;
  if (e.Stopped()) return false;
  double n = 0, sx = 0, sxx = 0, sy = 0, syy = 0, sxy = 0;
  for (int64_t k = 0; k < rows; ++k) {
    const double x = xy[2 * k], y = xy[2 * k + 1];
    if (std::isnan(x) || std::isnan(y)) continue;
    n += 1;
    sx += x;
    sxx += x * x;
    sy += y;
    syy += y * y;
    sxy += x * y;
  }
  const double d = n * sxx - sx * sx;
  if (!e.SetVarVal("slope", (n * sxy - sx * sy) / d) ||
      !e.SetVarVal("intercept", (sxx * sy - sx * sxy) / d))
    return false;
  *result = (n * sxy - sx * sy) / std::sqrt((n * syy - sy * sy) * d);
  return true;
}

}  // namespace

void setup_linfit(Registry& r) {
  r.AddCFun("linfit", "XYpoints", "least squares fit", linfitEntry);
}

}  // namespace orv
