// The compiled evaluator: expression trees turned once into trees of
// closures (CNode), each a function pointer and the operands it needs, with
// parameters and constants resolved at compile time.
//
// A compiled node does what EvalExpr does for its tree node, through the
// shared rules of eval/semantics.h. What differs is only what is provably
// without effect: EvalExpr looks at the stop flag before every node, a
// compiled node only where the flag may have been set since it was last
// looked at (`check`); the poll and the stack check happen at calls,
// definitions, loops and sums. Whatever the compiler does not cover runs as
// the tree (FallbackNode).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "lang/engine.h"

namespace orv {

struct CNode {
  using Fn = bool (*)(Engine&, const CNode&, double*);
  virtual ~CNode() = default;
  Fn fn = nullptr;
  // The tree evaluator looks at the stop flag before this node, and the flag
  // may have been set since it was last looked at.
  bool check = false;
  // Evaluating the node never sets the stop flag (no error, no poll, no
  // user code).
  bool pure = false;
};

[[gnu::always_inline]] inline bool run(Engine& e, const CNode& c, double* result) {
  if (c.check && e.stop) return false;
  return c.fn(e, c, result);
}

// The compiled form of one tree; owns its nodes.
struct Code {
  std::vector<std::unique_ptr<CNode>> nodes;
  const CNode* entry = nullptr;
};

// A call site's memory of the compiled code of a definition: valid while
// the symbol still has that definition and no compiled code was dropped.
struct DefLink {
  ExprNode* def = nullptr;
  const Code* code = nullptr;
  uint64_t generation = 0;
};

// Off: the engine evaluates everything by the tree, for comparisons of the
// two evaluators. On by default.
void setCompiledEvaluation(Engine& e, bool enabled);

// Compiles [n] as EvalExpr would evaluate it; the nodes of [live] are
// constants whose values change between runs of the code.
std::unique_ptr<Code> compileTree(Engine& e, ExprNode* n, std::span<ExprNode* const> live = {});
// Compiles [n] as evalbool would read it in a loop whose step has just
// polled: the code's value is the truth, 0 or 1.
std::unique_ptr<Code> compileCondition(Engine& e, ExprNode* n);

}  // namespace orv
