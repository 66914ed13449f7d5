// A part of a loop that the tree evaluates at the loop's first step and
// compiled code from its second on; the code lives as long as the loop.
#pragma once

#include <cstdint>
#include <memory>

#include "lang/engine.h"

namespace orv {

class LoopStep {
 public:
  explicit LoopStep(ExprNode* n) : n_(n) {}

  // The part as EvalExpr evaluates it.
  bool value(Engine& e, double* v) {
    if (++steps_ == 2) code_ = e.compileTransient(n_);
    if (!code_) return e.EvalExpr(n_, v);
    return e.runTransient(*code_, steps_ == 2, v);
  }
  // The part as evalbool reads it.
  bool truth(Engine& e, int* t) {
    if (++steps_ == 2) code_ = e.compileTransientCondition(n_);
    if (!code_) return e.evalbool(n_, t);
    return e.runTransientCondition(*code_, steps_ == 2, t);
  }

 private:
  ExprNode* n_;
  std::unique_ptr<Code, void (*)(Code*)> code_{nullptr, nullptr};
  int64_t steps_ = 0;
};

}  // namespace orv
