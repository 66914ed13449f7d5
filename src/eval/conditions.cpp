// Conditions with three-valued logic, guarded values, alternatives and
// loops. A condition is known or unknown; unknown is not false.
#include "lang/engine.h"

namespace orv {

bool Engine::evalbool(ExprNode* n, int* truth) {
  if (!n) return false;
  if (stackExhausted()) {
    errmsg(" evaluation too deeply nested");
    return false;
  }
  switch (n->op) {
    case KW_AND: {
      int a = 0, b = 0;
      bool ka = evalbool(n->left, &a);
      if (!ka && gmissidx) return false;
      if (ka && !a) {
        *truth = 0;
        return true;
      }
      bool kb = evalbool(n->right, &b);
      if (kb && !b) {
        *truth = 0;
        return true;
      }
      if (!ka || !kb) return false;
      *truth = 1;
      return true;
    }
    case KW_OR: {
      int a = 0, b = 0;
      bool ka = evalbool(n->left, &a);
      if (!ka && gmissidx) return false;
      if (ka && a) {
        *truth = 1;
        return true;
      }
      bool kb = evalbool(n->right, &b);
      if (kb && b) {
        *truth = 1;
        return true;
      }
      if (!ka || !kb) return false;
      *truth = 0;
      return true;
    }
    case KW_NOT: {
      int a;
      if (!evalbool(n->right, &a)) return false;
      *truth = !a;
      return true;
    }
    case KW_KNOWN:
    case KW_UNKNOWN: {
      double v;
      bool known = EvalExpr(n->right, &v);
      uknvar = nullptr;
      gmissidx = 0;
      *truth = (n->op == KW_KNOWN) == known;
      return true;
    }
    case '=':
    case EQ:
    case '<':
    case '>':
    case GE:
    case LE:
    case NE: {
      double v;
      if (!evalbinary(n, &v)) return false;
      *truth = v != 0;
      return true;
    }
    default: {
      double v;
      if (!EvalExpr(n, &v)) return false;
      *truth = v != 0;  // a NaN is true
      return true;
    }
  }
}

// v when c
bool Engine::evalwhen(ExprNode* n, double* result) {
  int truth;
  if (!evalbool(n->right, &truth) || !truth) return false;
  return EvalExpr(n->left, result);
}

// a, b, c: the first alternative that applies. A guarded alternative whose
// condition holds is the result even when its value is unknown.
bool Engine::evalalternatives(ExprNode* n, double* result) {
  for (ExprNode* l = n; l; l = l->right) {
    if (l->op != LIST) return EvalExpr(l, result);
    ExprNode* e = l->left;
    if (e && e->op == KW_WHEN) {
      int truth;
      if (!evalbool(e->right, &truth)) return false;
      if (truth) return EvalExpr(e->left, result);
      continue;
    }
    gmissidx = 0;
    if (EvalExpr(e, result)) return true;
    if (gmissidx || stop) return false;
  }
  return false;
}

// body while c: the loop's value is the body's last value.
bool Engine::evalwhile(ExprNode* n, double* result) {
  bool known = false;
  for (;;) {
    if (stop) return known;
    cmdper();
    int truth;
    if (!evalbool(n->right, &truth)) return false;
    if (!truth) return known;
    known = EvalExpr(n->left, result);
  }
}

}  // namespace orv
