// Symbol references, user-function calls with call-by-name parameters, the
// recursion guard, sum() and rand().
#include <cmath>
#include <cstdlib>
#include <random>

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

bool Engine::evalvar(Symbol* s, double* result) {
  if (toodeep(s)) return false;
  bool known;
  if (s->ndims < 1) {
    ++s->depth;
    known = EvalExpr(s->def, result);
    --s->depth;
  } else {
    known = evalavar(s, result);
  }
  if (!known && !uknvar) uknvar = s;
  return known;
}

// The argument list of a call: known arguments become constants, the others
// stay as their own expressions and are evaluated where they are used.
ExprNode* Engine::evalparms(ExprNode* list) {
  ExprNode* savedIndex = gindex;
  int savedMissing = gmissidx;
  gindex = nullptr;
  ExprNode* head = nullptr;
  ExprNode** tail = &head;
  for (ExprNode* l = list; l; l = l->right) {
    if (l->op != LIST) {
      BugAlert("evalparms bad list op=%ld", l->op);
      break;
    }
    double v;
    ExprNode* arg = l->left;
    ExprNode* item = arg && arg->op == CON ? makecon(arg->value)
                     : EvalExpr(arg, &v)   ? makecon(v)
                                           : arg;
    *tail = makexpr(item, LIST, nullptr);
    tail = &(*tail)->right;
  }
  getstr = nullptr;
  gmissidx = savedMissing;
  if (!savedMissing) uknvar = nullptr;
  gindex = savedIndex;
  return head;
}

bool Engine::evalcall(ExprNode* n, double* result) {
  ExprNode* args = evalparms(n->right);
  ExprNode* frame = makexpr(args, LIST, gparms);
  gparms = frame;
  bool known = EvalExpr(n->left, result);
  gparms = frame->right;
  freenode(frame);
  freeparms(args);
  return known;
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
  ExprNode* index = n->right->left;
  ExprNode* bounds = n->right->right;
  ExprNode* savedIndex = gindex;
  gindex = nullptr;
  double lo = 0, hi = 0;
  bool bounds_known = EvalExpr(bounds->left, &lo) && EvalExpr(bounds->right, &hi);
  gindex = savedIndex;
  gmissidx = 0;
  if (!index || index->op != VAR) return false;
  Symbol* s = index->sym;
  ExprNode* savedDef = s->def;
  ExprNode* counter = makecon(lo);
  s->def = counter;
  double total = 0;
  bool known = bounds_known;
  while (known && hi >= counter->value) {
    double term;
    known = EvalExpr(n->left, &term);
    if (known) total += term;
    counter->value += 1.0;
  }
  *result = total;
  freenode(counter);
  s->def = savedDef;
  return known;
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
