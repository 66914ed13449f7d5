// The language's evaluation rules, written once for both evaluators.
//
// Each construct is a template over how its parts are evaluated: the tree
// evaluator passes callables that evaluate subtrees with EvalExpr, the
// compiled evaluator (eval/compiled.h) passes callables that run compiled
// nodes. The order in which parts are evaluated, the registers each
// construct sets (gindex, gmissidx, gdim, gvec, getstr, uknvar) and the
// three-valued logic live here and nowhere else.
//
// A part callable evaluates one part and returns whether its value is known:
// value parts have the signature bool(double*), condition parts bool(int*).
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>

#include "lang/engine.h"

namespace orv {

// ---------------------------------------------------------------------------
// Arithmetic and comparison
// ---------------------------------------------------------------------------

inline double compareValues(int op, double a, double b) {
  switch (op) {
    case '<':
      return a < b;
    case '>':
      return a > b;
    case GE:
      return a >= b;
    case LE:
      return a <= b;
    case '=':
    case EQ:
      return a == b;
    default:
      return a != b;  // NE: also true when either is a NaN
  }
}

// The value of a binary operator whose operands are both known; false (with
// an alert) for a node kind that is no binary operator.
[[gnu::always_inline]] inline bool binaryValue(Engine& e, int op, double a, double b,
                                               double* result) {
  switch (op) {
    case '+':
      *result = a + b;
      return true;
    case '-':
      *result = a - b;
      return true;
    case '*':
      *result = a * b;
      return true;
    case '/':
      *result = a / b;
      return true;
    case '^':
      *result = b == 2.0 ? a * a : std::pow(a, b);
      return true;
    case '<':
    case '>':
    case '=':
    case GE:
    case LE:
    case EQ:
    case NE:
      *result = compareValues(op, a, b);
      return true;
    case FN_ATAN2:
      *result = std::atan2(a, b == 0 ? 0.0 : b) / e.angunits;
      return true;
    default:
      e.BugAlert("EvalExpr unknown op=%ld", op);
      return false;
  }
}

// Binary operators and one-argument built-ins: the left operand first; an
// unknown one ends the evaluation before the right is looked at.
template <class Left, class Right>
[[gnu::always_inline]] inline bool binaryOf(Engine& e, int op, Left&& left, Right&& right,
                                            double* result) {
  double a;
  if (!left(&a)) return false;
  bool known;
  if (isinfun(op) && e.builtin1(op, result, &known, a)) return known;
  double b;
  if (!right(&b)) return false;
  return binaryValue(e, op, a, b, result);
}

// ---------------------------------------------------------------------------
// Conditions: known or unknown, and unknown is not false
// ---------------------------------------------------------------------------

template <class Left, class Right>
inline bool andOf(Engine& e, Left&& left, Right&& right, int* truth) {
  int a = 0, b = 0;
  bool ka = left(&a);
  if (!ka && e.gmissidx) return false;
  if (ka && !a) {
    *truth = 0;
    return true;
  }
  bool kb = right(&b);
  if (kb && !b) {
    *truth = 0;
    return true;
  }
  if (!ka || !kb) return false;
  *truth = 1;
  return true;
}

template <class Left, class Right>
inline bool orOf(Engine& e, Left&& left, Right&& right, int* truth) {
  int a = 0, b = 0;
  bool ka = left(&a);
  if (!ka && e.gmissidx) return false;
  if (ka && a) {
    *truth = 1;
    return true;
  }
  bool kb = right(&b);
  if (kb && b) {
    *truth = 1;
    return true;
  }
  if (!ka || !kb) return false;
  *truth = 0;
  return true;
}

template <class Operand>
inline bool notOf(Operand&& operand, int* truth) {
  int a;
  if (!operand(&a)) return false;
  *truth = !a;
  return true;
}

// known x, unknown x: always known themselves.
template <class Operand>
inline bool knownOf(Engine& e, bool wantKnown, Operand&& operand, int* truth) {
  double v;
  bool known = operand(&v);
  e.uknvar = nullptr;
  e.gmissidx = 0;
  *truth = wantKnown == known;
  return true;
}

// A value read as a condition: any value but 0 is true, a NaN too.
template <class Operand>
inline bool truthOf(Operand&& operand, int* truth) {
  double v;
  if (!operand(&v)) return false;
  *truth = v != 0;
  return true;
}

// v when c
template <class Cond, class Value>
inline bool whenOf(Cond&& cond, Value&& value, double* result) {
  int truth;
  if (!cond(&truth) || !truth) return false;
  return value(result);
}

// a, b, c: the first alternative that applies. A guarded alternative whose
// condition holds is the result even when its value is unknown. [items] is
// walked with begin(), valid(k) and next(k) and gives for alternative k:
// kind(k), cond(k, int*) and value(k, double*); the last alternative of a
// malformed list may be a bare value.
enum class Alternative { kPlain, kGuarded, kBare };

template <class Items>
inline bool alternativesOf(Engine& e, Items&& items, double* result) {
  for (auto k = items.begin(); items.valid(k); k = items.next(k)) {
    switch (items.kind(k)) {
      case Alternative::kBare:
        return items.value(k, result);
      case Alternative::kGuarded: {
        int truth;
        if (!items.cond(k, &truth)) return false;
        if (truth) return items.value(k, result);
        continue;
      }
      case Alternative::kPlain:
        e.gmissidx = 0;
        if (items.value(k, result)) return true;
        if (e.gmissidx || e.stop) return false;
        continue;
    }
  }
  return false;
}

// body while c: the loop's value is the body's last value.
template <class Cond, class Body>
inline bool whileOf(Engine& e, Cond&& cond, Body&& body, double* result) {
  bool known = false;
  for (;;) {
    if (e.stop) return known;
    e.cmdper();
    int truth;
    if (!cond(&truth)) return false;
    if (!truth) return known;
    known = body(result);
  }
}

// a ,, b: the value of b.
template <class First, class Second>
inline bool sequenceOf(Engine& e, First&& first, Second&& second, double* result) {
  first(result);
  e.gmissidx = 0;
  return second(result);
}

// ---------------------------------------------------------------------------
// Symbols, calls, sums and indices
// ---------------------------------------------------------------------------

// The value of symbol [s]: [definition] evaluates a scalar symbol's
// definition; arrays take their indices off the index stack.
template <class Definition>
[[gnu::always_inline]] inline bool symbolOf(Engine& e, Symbol* s, Definition&& definition,
                                            double* result) {
  if (s->depth >= 1 && e.toodeep(s)) return false;
  bool known;
  if (s->ndims < 1) {
    ++s->depth;
    known = definition(result);
    --s->depth;
  } else {
    known = e.evalavar(s, result);
  }
  if (!known && !e.uknvar) e.uknvar = s;
  return known;
}

// The argument nodes of a call frame, kept on the caller's stack: a LIST
// node per argument, in the order of the call's list, whose element is a
// constant node for a known argument or the argument's own expression.
class FrameArgs {
 public:
  explicit FrameArgs(int count) {
    if (count > kInline) heap_.reset(new ExprNode[2 * static_cast<std::size_t>(count)]);
    nodes_ = count > kInline ? heap_.get() : inline_;
  }
  FrameArgs(const FrameArgs&) = delete;
  FrameArgs& operator=(const FrameArgs&) = delete;

  ExprNode* constant(int k, double v) {
    ExprNode* c = &nodes_[2 * k + 1];
    c->op = CON;
    c->value = v;
    c->right = nullptr;
    return c;
  }
  void link(int k, ExprNode* item) {
    ExprNode* l = &nodes_[2 * k];
    l->op = LIST;
    l->left = item;
    l->right = nullptr;
    if (k > 0) nodes_[2 * (k - 1)].right = l;
  }
  ExprNode* head(int count) { return count > 0 ? &nodes_[0] : nullptr; }

 private:
  static constexpr int kInline = 6;
  ExprNode inline_[2 * kInline];
  std::unique_ptr<ExprNode[]> heap_;
  ExprNode* nodes_;
};

// A call f(args): the arguments are evaluated apart from any outer indices;
// known arguments become constants, the others stay as their own
// expressions and are evaluated where they are used. [argument](k, tree, v)
// evaluates argument k (not a constant), [body] the function in the new
// frame. [list] holds [count] LIST nodes.
template <class Argument, class Body>
inline bool callOf(Engine& e, ExprNode* list, int count, Argument&& argument, Body&& body,
                   double* result) {
  ExprNode* savedIndex = e.gindex;
  int savedMissing = e.gmissidx;
  e.gindex = nullptr;
  FrameArgs args(count);
  int k = 0;
  for (ExprNode* l = list; l && k < count; l = l->right, ++k) {
    if (l->op != LIST) {
      e.BugAlert("evalparms bad list op=%ld", l->op);
      break;
    }
    double v;
    ExprNode* arg = l->left;
    ExprNode* item = arg && arg->op == CON  ? args.constant(k, arg->value)
                     : argument(k, arg, &v) ? args.constant(k, v)
                                            : arg;
    args.link(k, item);
  }
  e.getstr = nullptr;
  e.gmissidx = savedMissing;
  if (!savedMissing) e.uknvar = nullptr;
  e.gindex = savedIndex;
  ExprNode frame;
  frame.op = LIST;
  frame.left = args.head(k);
  frame.right = e.gparms;
  e.gparms = &frame;
  bool known = body(result);
  e.gparms = frame.right;
  return known;
}

// sum(body, index, lo, hi): the index symbol holds a counter constant while
// the body is evaluated for lo, lo + 1, ... up to hi. [bound](k, v)
// evaluates the lower (k = 0) or upper bound; [body](v) the body, once per
// step.
template <class Bound, class Body>
inline bool sumOf(Engine& e, ExprNode* n, Bound&& bound, Body&& body, double* result) {
  ExprNode* index = n->right->left;
  ExprNode* savedIndex = e.gindex;
  e.gindex = nullptr;
  double lo = 0, hi = 0;
  bool bounds_known = bound(0, &lo) && bound(1, &hi);
  e.gindex = savedIndex;
  e.gmissidx = 0;
  if (!index || index->op != VAR) return false;
  Symbol* s = index->sym;
  ExprNode* savedDef = s->def;
  ExprNode* counter = e.makecon(lo);
  s->def = counter;
  double total = 0;
  bool known = bounds_known;
  while (known && hi >= counter->value) {
    double term;
    known = body(&term);
    if (known) total += term;
    counter->value += 1.0;
  }
  *result = total;
  e.freenode(counter);
  s->def = savedDef;
  return known;
}

// a[i]: the index is evaluated apart from any outer indices, then pushed in
// front of them while the base is evaluated.
template <class Index, class Base>
[[gnu::always_inline]] inline bool indexOf(Engine& e, Index&& index, Base&& base, double* result) {
  ExprNode* saved = e.gindex;
  e.gindex = nullptr;
  double v;
  bool known = index(&v);
  if (!known) {
    e.gindex = saved;
    e.gdim = 0;
    e.gmissidx = 0;
    return false;
  }
  e.gvec = nullptr;
  ExprNode con;
  con.op = CON;
  con.value = v;
  con.right = nullptr;
  ExprNode link;
  link.op = LIST;
  link.left = &con;
  link.right = saved;
  e.gindex = &link;
  known = base(result);
  e.gindex = saved;
  return known;
}

}  // namespace orv
