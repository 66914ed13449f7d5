// histogram(array, lo, hi, nbins): counts the values of an array in nbins
// equal bins between lo and hi. Sets `bins` (the counts) and `mean` (of the
// counted values); the result is the number of values counted.
#include <cmath>
#include <cstring>

#include "lang/engine.h"
#include "lang/whole_number.h"
#include "packages/funutil.h"
#include "packages/registry.h"

namespace orv {

namespace {

// The array's values, one per element; false when it is not an array of
// known size. A two-dimensional array has rows for elements, which are not
// values: it gives none.
bool elementValues(Engine& e, Block* values, int64_t* count) {
  ExprNode* arg = e.MakeParmExpr(3);
  double v;
  bool isarray;
  int64_t n;
  const bool sized = !e.ProbeExpr(arg, &v, &isarray, &n) && isarray && n > 0;
  e.FreeExpr(arg);
  if (!sized) return false;
  int64_t rows, cols;
  *count = matrixArgument(e, 3, values, &rows, &cols) && cols == 0 ? rows : 0;
  return true;
}

bool histogramEntry(Engine& e, double* result) {
  double nbins, hi, lo;
  if (!e.GetParmVal(0, &nbins) || !e.GetParmVal(1, &hi) || !e.GetParmVal(2, &lo)) return false;
  nbins = std::trunc(nbins);
  if (!(nbins >= 1) || lo == hi) {
    e.ErrMsg(" illegal parameter value");
    return false;
  }
  Block values;
  int64_t count;
  if (!elementValues(e, &values, &count)) {
    if (!e.Stopped()) e.ErrMsg(" histogram(?,\xC9) array size?");
    return false;
  }
  if (e.Stopped()) return false;
  Block bins = nbins <= static_cast<double>(kMaxArrayElements)
                   ? newBlock(static_cast<std::size_t>(nbins))
                   : nullptr;
  if (!bins) {
    e.ErrMsg(" not enough memory");
    return false;
  }
  const auto nb = static_cast<int64_t>(nbins);
  std::memset(bins.get(), 0, static_cast<std::size_t>(nb) * sizeof(double));
  const double factor = nbins / (hi - lo);
  double counted = 0, sum = 0;
  for (int64_t k = 0; k < count; ++k) {
    const double v = values[k];
    if (!(lo <= v && v <= hi)) continue;  // also NaN, unknown elements
    // The top edge belongs to the last bin; rounding may not push a value
    // below it out of range either. Over the whole range of doubles the
    // product may be a NaN (an infinite difference times a zero factor),
    // which counts in the first bin.
    const int64_t bin = clampedWhole((v - lo) * factor, 0, nb - 1, 0);
    ++bins[bin];
    counted += 1;
    sum += v;
  }
  if (!e.SetVarMatrix("bins", bins.release(), nb, 0) || !e.SetVarVal("mean", sum / counted))
    return false;
  *result = counted;
  return true;
}

}  // namespace

void setup_histogram(Registry& r) {
  r.AddCFun("histogram", "array,lo,hi,nbins", "accumulate histogram", histogramEntry);
}

}  // namespace orv
