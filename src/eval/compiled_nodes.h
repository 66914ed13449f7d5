// The kinds of compiled node. Each one's run function evaluates its tree
// node through the rules of eval/semantics.h, with compiled parts.
#pragma once

#include <vector>

#include "eval/compiled.h"
#include "eval/semantics.h"
#include "lang/whole_number.h"

namespace orv {

// EvalExpr's look at the poll, the stop flag and the stack, at the nodes
// that keep it: calls and definitions.
[[gnu::always_inline]] inline bool enter(Engine& e) {
  e.cmdper();
  if (e.stop) return false;
  if (e.stackExhausted()) {
    e.errmsg(" evaluation too deeply nested");
    return false;
  }
  return true;
}

// EvalExpr(def) for the definition of a symbol, through the link of the
// node that names it.
[[gnu::always_inline]] inline bool runLinked(Engine& e, ExprNode* def, DefLink& link, double* r) {
  if (def && def == link.def && link.generation == e.codeGeneration_) {
    if (!enter(e)) return false;
    return link.code->entry->fn(e, *link.code->entry, r);
  }
  return e.runDefinition(def, link, r);
}

// The same inside a call, which has polled and looked at the stack: the
// definition runs at the call's depth, so only the stop flag can differ.
[[gnu::always_inline]] inline bool runLinkedInCall(Engine& e, ExprNode* def, DefLink& link,
                                                   double* r) {
  if (def && def == link.def && link.generation == e.codeGeneration_) {
    if (e.stop) return false;
    return link.code->entry->fn(e, *link.code->entry, r);
  }
  return e.runDefinition(def, link, r);
}

// Runs [c] as a value part of a rule.
inline auto part(Engine& e, const CNode* c) {
  return [&e, c](double* v) { return run(e, *c, v); };
}

// Runs [c], whose value is a truth of 0 or 1, as a condition part.
inline auto condPart(Engine& e, const CNode* c) {
  return [&e, c](int* t) {
    double v;
    if (!run(e, *c, &v)) return false;
    *t = v != 0;
    return true;
  };
}

struct ConstNode : CNode {
  double value = 0;
  static bool eval(Engine&, const CNode& c, double* r) {
    *r = static_cast<const ConstNode&>(c).value;
    return true;
  }
};

// A constant node whose value the caller changes between runs.
struct LiveConstNode : CNode {
  const double* value = nullptr;
  static bool eval(Engine&, const CNode& c, double* r) {
    *r = *static_cast<const LiveConstNode&>(c).value;
    return true;
  }
};

// EvalExpr of a missing tree.
struct NullNode : CNode {
  static bool eval(Engine&, const CNode&, double*) { return false; }
};

struct FallbackNode : CNode {
  ExprNode* tree = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    return e.EvalExpr(static_cast<const FallbackNode&>(c).tree, r);
  }
};

struct CondFallbackNode : CNode {
  ExprNode* tree = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    int t;
    if (!e.evalbool(static_cast<const CondFallbackNode&>(c).tree, &t)) return false;
    *r = t;
    return true;
  }
};

struct VarNode : CNode {
  Symbol* sym = nullptr;
  mutable DefLink link;
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const VarNode&>(c);
    Symbol* s = n.sym;
    ExprNode* d = s->def;
    // A constant definition (a sum's counter, a value set by ':='): what
    // symbolOf and EvalExpr do with it, without the calls.
    if (s->depth == 0 && s->ndims < 1 && d && d->op == CON) {
      *r = d->value;
      return true;
    }
    return symbolOf(
        e, s, [&](double* v) { return runLinked(e, s->def, n.link, v); }, r);
  }
};

// evalparm(tree): a known argument of a well-formed frame is read in place.
[[gnu::always_inline]] inline bool parameter(Engine& e, ExprNode* tree, double* r) {
  ExprNode* frame = e.gparms;
  if (frame && frame->left) {
    ExprNode* l = frame->left;
    int i = tree->parm;
    while (i > 0 && l->op == LIST && l->right) {
      l = l->right;
      --i;
    }
    if (i == 0 && l->op == LIST && l->left && l->left->op == CON) {
      *r = l->left->value;
      return true;
    }
  }
  return e.evalparm(tree, r);
}

struct ParmNode : CNode {
  ExprNode* tree = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    return parameter(e, static_cast<const ParmNode&>(c).tree, r);
  }
};

// A binary operator or a one-argument built-in; Op 0 reads the operator
// from the node. A constant operand is read in place, as the tree does.
struct BinaryNodeBase : CNode {
  int op = 0;
  const CNode* left = nullptr;
  const CNode* right = nullptr;
  double leftValue = 0, rightValue = 0;
  ExprNode* leftParm = nullptr;  // shape 3
  bool leftCheck = false;        // shape 3: the left operand's check
};

// Shape: 0 both operands compiled (or a live constant), 1 a constant right
// operand, 2 a constant left operand, 3 a parameter and a constant.
template <int Op, int Shape = 0>
struct BinaryNode : BinaryNodeBase {
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const BinaryNodeBase&>(c);
    auto constant = [](double k) {
      return [k](double* v) {
        *v = k;
        return true;
      };
    };
    if constexpr (Shape == 3) {
      auto left = [&](double* v) {
        if (n.leftCheck && e.stop) return false;
        return parameter(e, n.leftParm, v);
      };
      return binaryOf(e, Op ? Op : n.op, left, constant(n.rightValue), r);
    } else if constexpr (Shape == 1)
      return binaryOf(e, Op ? Op : n.op, part(e, n.left), constant(n.rightValue), r);
    else if constexpr (Shape == 2)
      return binaryOf(e, Op ? Op : n.op, constant(n.leftValue), part(e, n.right), r);
    else
      return binaryOf(e, Op ? Op : n.op, part(e, n.left), part(e, n.right), r);
  }
};

struct AndNode : CNode {
  const CNode* left = nullptr;
  const CNode* right = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const AndNode&>(c);
    int t;
    if (!andOf(e, condPart(e, n.left), condPart(e, n.right), &t)) return false;
    *r = t;
    return true;
  }
};

struct OrNode : AndNode {
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const AndNode&>(c);
    int t;
    if (!orOf(e, condPart(e, n.left), condPart(e, n.right), &t)) return false;
    *r = t;
    return true;
  }
};

struct NotNode : CNode {
  const CNode* operand = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    int t;
    if (!notOf(condPart(e, static_cast<const NotNode&>(c).operand), &t)) return false;
    *r = t;
    return true;
  }
};

struct KnownNode : CNode {
  bool wantKnown = true;
  const CNode* operand = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const KnownNode&>(c);
    int t;
    knownOf(e, n.wantKnown, part(e, n.operand), &t);
    *r = t;
    return true;
  }
};

// A condition evaluated for its value: 1 or 0.
struct CondValueNode : CNode {
  const CNode* cond = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    int t;
    if (!condPart(e, static_cast<const CondValueNode&>(c).cond)(&t)) return false;
    *r = t ? 1.0 : 0.0;
    return true;
  }
};

struct WhenNode : CNode {
  const CNode* cond = nullptr;
  const CNode* value = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const WhenNode&>(c);
    return whenOf(condPart(e, n.cond), part(e, n.value), r);
  }
};

struct AlternativesNode : CNode {
  struct Item {
    Alternative kind;
    const CNode* cond;
    const CNode* value;
  };
  std::vector<Item> items;

  struct Walk {
    Engine& e;
    const std::vector<Item>& items;
    int begin() const { return 0; }
    bool valid(int k) const { return k < static_cast<int>(items.size()); }
    static int next(int k) { return k + 1; }
    Alternative kind(int k) const { return items[k].kind; }
    bool cond(int k, int* t) const { return condPart(e, items[k].cond)(t); }
    bool value(int k, double* v) const { return run(e, *items[k].value, v); }
  };
  static bool eval(Engine& e, const CNode& c, double* r) {
    return alternativesOf(e, Walk{e, static_cast<const AlternativesNode&>(c).items}, r);
  }
};

struct SequenceNode : CNode {
  const CNode* first = nullptr;
  const CNode* second = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const SequenceNode&>(c);
    return sequenceOf(e, part(e, n.first), part(e, n.second), r);
  }
};

// x := value: the value compiled, the checks and the storing the tree's own.
struct AssignNode : CNode {
  ExprNode* tree = nullptr;
  const CNode* value = nullptr;
  static bool eval(Engine& e, const CNode& c, double* /*r*/) {
    const auto& n = static_cast<const AssignNode&>(c);
    ExprNode* savedIndex = nullptr;
    Symbol* s = e.assignTarget(n.tree, &savedIndex);
    if (!s) return false;
    double v = 0;
    const bool known = run(e, *n.value, &v);
    return e.storeAssigned(n.tree, s, known, v, savedIndex);
  }
};

struct WhileNode : CNode {
  const CNode* cond = nullptr;
  const CNode* body = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const WhileNode&>(c);
    return whileOf(e, condPart(e, n.cond), part(e, n.body), r);
  }
};

struct SumNode : CNode {
  ExprNode* tree = nullptr;
  const CNode* lo = nullptr;
  const CNode* hi = nullptr;
  const CNode* body = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const SumNode&>(c);
    bool first = true;
    return sumOf(
        e, n.tree, [&](int k, double* v) { return run(e, *(k ? n.hi : n.lo), v); },
        [&](double* v) {
          // EvalExpr's entry for the body; every step runs at one depth.
          e.cmdper();
          if (e.stop) return false;
          if (first) {
            first = false;
            if (e.stackExhausted()) {
              e.errmsg(" evaluation too deeply nested");
              return false;
            }
          }
          return run(e, *n.body, v);
        },
        r);
  }
};

struct CallNode : CNode {
  ExprNode* list = nullptr;
  int count = 0;
  std::vector<const CNode*> args;  // null for a constant argument
  Symbol* function = nullptr;
  mutable DefLink link;
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const CallNode&>(c);
    if (!enter(e)) return false;
    return callOf(
        e, n.list, n.count, [&](int k, ExprNode*, double* v) { return run(e, *n.args[k], v); },
        [&](double* v) {
          // EvalExpr(f): the arguments may have set the stop flag.
          if (e.stop) return false;
          Symbol* f = n.function;
          return symbolOf(
              e, f, [&](double* w) { return runLinkedInCall(e, f->def, n.link, w); }, v);
        },
        r);
  }
};

// a[i] in general.
struct IndexNode : CNode {
  const CNode* index = nullptr;
  const CNode* base = nullptr;
  static bool eval(Engine& e, const CNode& c, double* r) {
    const auto& n = static_cast<const IndexNode&>(c);
    return indexOf(e, part(e, n.index), part(e, n.base), r);
  }
};

// s[i1, ..., id] for a symbol: the nested indexOf steps flattened, and the
// element of a stored array or an array formula taken without putting the
// indices on the index stack.
struct SymbolIndexNode : CNode {
  static constexpr int kMaxDims = 4;
  Symbol* sym = nullptr;
  int dims = 0;
  const CNode* index[kMaxDims] = {};  // index[0] is the leftmost
  bool checkAfter[kMaxDims] = {};     // the flag may be set by index[k]
  mutable DefLink formulaLink;
  static bool eval(Engine& e, const CNode& c, double* r);
};

}  // namespace orv
