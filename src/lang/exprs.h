// Expression nodes and their pooled allocator.
//
// A node is three words: its kind and two operands whose meaning depends on
// the kind. Kinds below 128 that are printable characters are the operator's
// own character; kinds from 128 on reuse the scanner's token codes.
#pragma once

#include <cstdint>
#include <vector>

namespace orv {

struct Symbol;
struct ExprNode;
class Engine;

// ORDER NODEKINDS: the evaluator's dispatch and freexpr follow this table.
enum NodeKind : int32_t {
  VAR = 1,    // sym: the Symbol
  CON = 2,    // value: the constant
  LIST = 3,   // left: element, right: next LIST (or the second item of a pair)
  CALL = 4,   // left: VAR of the function, right: LIST of arguments
  PARM = 5,   // parm: formal parameter number
  VEC = 6,    // block: heap doubles, count: element count
  SEL = 7,    // left: LIST of elements, count: element count
  IDX = 8,    // left: base, right: index expression
  DIMS = 9,   // left: element formula, right: size or LIST of sizes
  RNG = 10,   // left: base, right: LIST pair (lo, hi)
  MFUN = 11,  // entry: add-on entry point
  FOLD = 12,  // left: inner VEC or FOLD, count: size of the last dimension
  STR = 13,   // text: string pool pointer
  BLK = 14,   // block: heap memory; never built by the language
  CFUN = 15,  // entry: add-on entry point
  REF = 16,   // left: shared subtree, not owned
};

// Entry point of an add-on function; reads its arguments through the engine.
using AddOnEntry = bool (*)(Engine& engine, double* result);

struct ExprNode {
  int32_t op;
  union {
    ExprNode* left;
    Symbol* sym;
    double value;
    const char* text;
    double* block;
    int32_t parm;
    AddOnEntry entry;
  };
  union {
    ExprNode* right;
    int64_t count;
  };
};

// Nodes come from chunks of 100 slots. The first slot of each chunk links the
// chunks; the other 99 go on the free list, linked through `right`.
class NodePool {
 public:
  NodePool() = default;
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;
  ~NodePool();

  // A node from the free list, or null when memory is exhausted.
  ExprNode* take() {
    if (!freelist_ && !grow()) return nullptr;
    ExprNode* n = freelist_;
    freelist_ = n->right;
    ++inuse_;
    return n;
  }
  void give(ExprNode* n) {
    n->op = 0;
    n->right = freelist_;
    freelist_ = n;
    --inuse_;
  }
  long inuse() const { return inuse_; }

  // Returns every chunk when no node is in use; otherwise keeps them (they
  // are abandoned) and reports false. The pool starts afresh either way.
  bool reset();

 private:
  static constexpr int kChunk = 100;
  bool grow();
  void releaseChunks();

  ExprNode* chunklist_ = nullptr;
  ExprNode* freelist_ = nullptr;
  std::vector<ExprNode*> abandoned_;  // chunks kept alive after a leak
  long inuse_ = 0;
};

}  // namespace orv
