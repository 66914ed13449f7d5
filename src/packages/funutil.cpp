#include "packages/funutil.h"

#include "lang/engine.h"

namespace orv {

Block newBlock(std::size_t n) {
  if (n > SIZE_MAX / sizeof(double)) return nullptr;
  return Block(static_cast<double*>(std::malloc((n ? n : 1) * sizeof(double))));
}

bool resizeBlock(Block* b, std::size_t n) {
  if (n > SIZE_MAX / sizeof(double)) return false;
  void* p = std::realloc(b->get(), (n ? n : 1) * sizeof(double));
  if (!p) return false;
  (void)b->release();
  b->reset(static_cast<double*>(p));
  return true;
}

bool matrixArgument(Engine& e, int i, Block* data, int64_t* rows, int64_t* cols) {
  ExprNode* arg = e.MakeParmExpr(i);
  double* block = nullptr;
  bool got = e.GetExprMatrix(arg, &block, rows, cols);
  e.FreeExpr(arg);
  data->reset(got ? block : nullptr);
  return got && block;
}

}  // namespace orv
