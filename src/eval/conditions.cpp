// Conditions with three-valued logic, guarded values, alternatives and
// loops. A condition is known or unknown; unknown is not false.
#include "eval/loop_step.h"
#include "eval/semantics.h"
#include "lang/engine.h"

namespace orv {

bool Engine::evalbool(ExprNode* n, int* truth) {
  if (!n) return false;
  if (stackExhausted()) {
    errmsg(" evaluation too deeply nested");
    return false;
  }
  auto cond = [this](ExprNode* x) { return [this, x](int* t) { return evalbool(x, t); }; };
  auto value = [this](ExprNode* x) { return [this, x](double* v) { return EvalExpr(x, v); }; };
  switch (n->op) {
    case KW_AND:
      return andOf(*this, cond(n->left), cond(n->right), truth);
    case KW_OR:
      return orOf(*this, cond(n->left), cond(n->right), truth);
    case KW_NOT:
      return notOf(cond(n->right), truth);
    case KW_KNOWN:
    case KW_UNKNOWN:
      return knownOf(*this, n->op == KW_KNOWN, value(n->right), truth);
    case '=':
    case EQ:
    case '<':
    case '>':
    case GE:
    case LE:
    case NE:
      return truthOf([&](double* v) { return evalbinary(n, v); }, truth);
    default:
      return truthOf(value(n), truth);
  }
}

// v when c
bool Engine::evalwhen(ExprNode* n, double* result) {
  return whenOf([&](int* t) { return evalbool(n->right, t); },
                [&](double* v) { return EvalExpr(n->left, v); }, result);
}

namespace {

// The alternatives of a LIST chain, as alternativesOf walks them.
class TreeAlternatives {
 public:
  TreeAlternatives(Engine& e, ExprNode* n) : e_(e), n_(n) {}
  ExprNode* begin() const { return n_; }
  static bool valid(ExprNode* l) { return l != nullptr; }
  static ExprNode* next(ExprNode* l) { return l->op == LIST ? l->right : nullptr; }
  static Alternative kind(ExprNode* l) {
    if (l->op != LIST) return Alternative::kBare;
    return l->left && l->left->op == KW_WHEN ? Alternative::kGuarded : Alternative::kPlain;
  }
  bool cond(ExprNode* l, int* truth) { return e_.evalbool(l->left->right, truth); }
  bool value(ExprNode* l, double* v) {
    if (l->op != LIST) return e_.EvalExpr(l, v);
    return e_.EvalExpr(kind(l) == Alternative::kGuarded ? l->left->left : l->left, v);
  }

 private:
  Engine& e_;
  ExprNode* n_;
};

}  // namespace

bool Engine::evalalternatives(ExprNode* n, double* result) {
  return alternativesOf(*this, TreeAlternatives(*this, n), result);
}

// body while c: the loop's value is the body's last value.
bool Engine::evalwhile(ExprNode* n, double* result) {
  LoopStep test(n->right);
  LoopStep body(n->left);
  return whileOf(
      *this, [&](int* t) { return test.truth(*this, t); },
      [&](double* v) { return body.value(*this, v); }, result);
}

}  // namespace orv
