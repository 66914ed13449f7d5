// The evaluator's dispatch over node kinds, the arithmetic and comparison
// operators and the one-argument built-in functions.
#include <cmath>

#include "eval/semantics.h"
#include "lang/engine.h"

namespace orv {

bool Engine::enterEval() {
  cmdper();
  if (stop) return false;
  if (stackExhausted()) {
    errmsg(" evaluation too deeply nested");
    return false;
  }
  return true;
}

bool Engine::EvalExpr(ExprNode* n, double* result) {
  if (!n) return false;
  if (!enterEval()) return false;
  switch (n->op) {
    case VAR:
      return evalvar(n->sym, result);
    case CON:
      *result = n->value;
      return true;
    case LIST:
      return evalalternatives(n, result);
    case CALL:
      return evalcall(n, result);
    case PARM:
      return evalparm(n, result);
    case VEC:
      return evalvec(n, result);
    case SEL:
      return evalsel(n, result);
    case IDX:
      return evalidx(n, result);
    case RNG:
      return evalrng(n, result);
    case FOLD:
      return evalfold(n, result);
    case DIMS:
      return false;
    case STR:
      getstr = n->text;
      return indexstr(result);
    case BLK:
      return true;
    case REF:
      return EvalExpr(n->left, result);
    case SEQ:
      return sequenceOf(
          *this, [&](double* v) { return EvalExpr(n->left, v); },
          [&](double* v) { return EvalExpr(n->right, v); }, result);
    case KW_AND:
    case KW_OR:
    case KW_NOT:
    case KW_UNKNOWN:
    case KW_KNOWN: {
      int truth;
      if (!evalbool(n, &truth)) return false;
      *result = truth ? 1.0 : 0.0;
      return true;
    }
    case KW_WHEN:
      return evalwhen(n, result);
    case KW_WHILE:
      return evalwhile(n, result);
    case FN_COUNT:
      return count(n->left, result);
    case FN_SUM:
      return evalsum(n, result);
    case CFUN:
    case MFUN:
    case '|':
    case ASSIGN:
    case FN_DET:
    case FN_READ:
    case FN_SPRINTF:
    case FN_WRITE:
      return evalextension(n, result);
    default:
      return evalbinary(n, result);
  }
}

// Binary operators and one-argument built-ins; constant operands need no
// dispatch.
bool Engine::evalbinary(ExprNode* n, double* result) {
  auto operand = [this](ExprNode* x) {
    return [this, x](double* v) {
      if (x && x->op == CON) {
        *v = x->value;
        return true;
      }
      return EvalExpr(x, v);
    };
  };
  return binaryOf(*this, n->op, operand(n->left), operand(n->right), result);
}

bool Engine::builtin1(int op, double* result, bool* known, double x) {
  double r;
  switch (op) {
    case FN_ABS:
      r = std::fabs(x);
      break;
    case FN_ACOS:
      r = std::acos(x) / angunits;
      break;
    case FN_ASIN:
      r = std::asin(x) / angunits;
      break;
    case FN_ATAN:
      r = std::atan(x) / angunits;
      break;
    case FN_COS:
      r = std::cos(x * angunits);
      break;
    case FN_EXP:
      r = std::exp(x);
      break;
    case FN_LN:
      r = std::log(x);
      break;
    case FN_LOG:
      r = std::log10(x);
      break;
    case FN_RAND:
      r = randr(x);
      break;
    case FN_SIN:
      r = std::sin(x * angunits);
      break;
    case FN_SQRT:
      r = std::sqrt(x);
      break;
    case FN_TAN:
      r = std::tan(x * angunits);
      break;
    case FN_TRUNC:
      r = std::trunc(x);
      break;
    default:
      return false;
  }
  // A domain error is a NaN made from an argument that was none. errno
  // cannot tell: the compiler may compute these functions inline or assume
  // they leave errno alone (sin, cos and tan of an infinity).
  if (std::isnan(r) && !std::isnan(x)) {
    errmsg2(" %s() argument range error", kBuiltins[op - FN_ABS].name);
    *known = false;
    return true;
  }
  *result = r;
  *known = true;
  return true;
}

}  // namespace orv
