// Symbol references, user-function calls with call-by-name parameters, the
// recursion guard, sum() and rand().
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>

#include "eval/loop_step.h"
#include "eval/semantics.h"
#include "lang/engine.h"

namespace orv {

struct Engine::RandomState {
  random_data data{};
  char state[256] = {};
  bool seeded = false;
};

Engine::RandomState* Engine::newRandomState() { return new RandomState; }
void Engine::deleteRandomState(RandomState* r) { delete r; }

// At most 10001 nested evaluations of one function; a variable or array met
// again while it is being evaluated is simply unknown.
bool Engine::toodeep(Symbol* s) {
  if (s->depth < 1) return false;
  if (s->nparams == 0) return true;
  if (s->depth > 10000) {
    errmsg2(" Recursion limit %s()", s->name);
    stop = 1;
  }
  return false;
}

// A plain variable met by the tree is mostly met once: only functions and
// array formulas go to compiled code from here (compiled code reaches the
// code of any definition through its links).
bool Engine::evalvar(Symbol* s, double* result) {
  return symbolOf(
      *this, s,
      [&](double* v) { return s->nparams > 0 ? evalDefinition(s->def, v) : EvalExpr(s->def, v); },
      result);
}

bool Engine::evalcall(ExprNode* n, double* result) {
  int count = 0;
  for (ExprNode* l = n->right; l; l = l->right) ++count;
  return callOf(
      *this, n->right, count, [&](int, ExprNode* arg, double* v) { return EvalExpr(arg, v); },
      [&](double* v) { return EvalExpr(n->left, v); }, result);
}

ExprNode* Engine::getparm(int i) {
  if (!gparms || !gparms->left) return nullptr;
  ExprNode* l = gparms->left;
  for (int k = i; k > 0; --k) {
    if (l->op != LIST) {
      BugAlert("getparm: bad list op=%ld", l->op);
      return nullptr;
    }
    l = l->right;
    if (!l) {
      BugAlert("getparm: bad parm number by %ld.", k);
      return nullptr;
    }
  }
  if (l->op != LIST) {
    BugAlert("getparm: bad list op=%ld", l->op);
    return nullptr;
  }
  return l->left;
}

// A parameter: the caller's argument, evaluated in the caller's frame.
bool Engine::evalparm(ExprNode* n, double* result) {
  ExprNode* arg = getparm(n->parm);
  if (!arg) return false;
  if (arg->op == CON) {
    *result = arg->value;
    return true;
  }
  ExprNode* frame = gparms;
  gparms = frame->right;
  bool known = EvalExpr(arg, result);
  gparms = frame;
  return known;
}

// sum(body, index, lo, hi): the index symbol holds a counter constant while
// the body is evaluated for lo, lo + 1, ... up to hi.
bool Engine::evalsum(ExprNode* n, double* result) {
  ExprNode* bounds = n->right->right;
  LoopStep body(n->left);
  return sumOf(
      *this, n, [&](int k, double* v) { return EvalExpr(k ? bounds->right : bounds->left, v); },
      [&](double* v) { return body.value(*this, v); }, result);
}

// rand(x): a value in [0, x) from a 31-bit generator seeded from the system's
// entropy on first use; rand(0) reseeds it with 42 for a repeatable sequence.
double Engine::randr(double x) {
  RandomState& r = *random_;
  if (!r.seeded) {
    std::random_device device;
    initstate_r(device(), r.state, sizeof r.state, &r.data);
    r.seeded = true;
  }
  if (x == 0) {
    srandom_r(42, &r.data);
    return 0;
  }
  int32_t v;
  random_r(&r.data, &v);
  return v * x / 2147483648.0;
}

}  // namespace orv
