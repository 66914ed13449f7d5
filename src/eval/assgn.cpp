// Run-time assignment: ':=' on a variable replaces its definition by the
// value computed now (a constant, a string or a stored array); on an element
// of a stored array it changes that element in place.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "lang/engine.h"

namespace orv {

Symbol* Engine::lvar(ExprNode* n) {
  while (n && n->op == IDX) n = n->left;
  return n && n->op == VAR ? n->sym : nullptr;
}

void Engine::badel(const char* name) { errmsg2(" %s[?]:= non assignable element", name); }

// The definition of a variable, following plain references to other
// variables; null for a symbol under evaluation or a chain that loops.
ExprNode* Engine::varval(ExprNode* n) {
  Symbol* s = n->sym;
  for (int steps = 0; steps < 10000; ++steps) {
    if (s->depth) return nullptr;
    ExprNode* d = s->def;
    if (!d || d->op != VAR) return d;
    s = d->sym;
  }
  return nullptr;
}

double* Engine::newvec(int64_t n) {
  if (n < 1 || n > kMaxArrayElements) {
    errmsg(" array is too large");
    return nullptr;
  }
  auto* block = static_cast<double*>(std::malloc(static_cast<std::size_t>(n) * sizeof(double)));
  if (!block) errmsg(" out of memory");
  return block;
}

ExprNode* Engine::makevec(double* block, int64_t n) {
  ExprNode* v = makexpr(nullptr, VEC, nullptr);
  v->block = block;
  v->count = n;
  return v;
}

ExprNode* Engine::makefold(ExprNode* inner, int64_t size) {
  ExprNode* f = makexpr(inner, FOLD, nullptr);
  f->count = size;
  return f;
}

// A deep copy of a stored array, or null when [e] is none.
ExprNode* Engine::copyvec(ExprNode* e) {
  if (e && e->op == VAR) e = varval(e);
  if (!e) return nullptr;
  if (e->op == VEC) {
    double* block = newvec(e->count);
    if (!block) return nullptr;
    // Copied in pieces, so that Stop is seen while gigabytes are copied.
    constexpr int64_t kPiece = int64_t(1) << 20;
    for (int64_t at = 0; at < e->count; at += kPiece) {
      SpinWatch();
      if (stop) {
        std::free(block);
        return nullptr;
      }
      std::memcpy(block + at, e->block + at,
                  static_cast<std::size_t>(std::min(kPiece, e->count - at)) * sizeof(double));
    }
    return makevec(block, e->count);
  }
  if (e->op == FOLD) {
    ExprNode* inner = copyvec(e->left);
    return inner ? makefold(inner, e->count) : nullptr;
  }
  return nullptr;
}

// Allocates a stored array shaped like [e], with n elements in its first
// dimension, and computes its first element.
ExprNode* Engine::buildarr(ExprNode* e, int64_t n, double** first) {
  if (n < 1) {
    errmsg(" can't determine array size");
    return nullptr;
  }
  ExprNode* k = makecon(1);
  ExprNode* t = makexpr(e, IDX, k);
  gmissidx = 0;
  gdim = 0;
  double v;
  bool known = EvalExpr(t, &v);
  ExprNode* node = nullptr;
  if (known || !gmissidx) {
    if (double* block = newvec(n)) {
      block[0] = known ? v : kNan04;
      *first = block;
      node = makevec(block, n);
    }
  } else {
    int64_t m = gdim;
    if (m > 0 && n > kMaxArrayElements / m) {
      errmsg(" array is too large");
    } else if (ExprNode* inner = buildarr(t, n * m, first)) {
      node = makefold(inner, m);
    }
  }
  freenode(t);
  freenode(k);
  return node;
}

// Computes the remaining elements in row-major order, the last index
// varying fastest. The element e[k1]...[kd] is built once with constant
// indices that each step changes, and runs compiled.
void Engine::fillarr(double** cursor, int64_t n, ExprNode* node, ExprNode* e) {
  std::vector<int64_t> sizes{n};
  ExprNode* vec = node;
  for (; vec->op == FOLD; vec = vec->left) sizes.push_back(vec->count);
  const std::size_t d = sizes.size();
  std::vector<ExprNode*> ks(d);
  std::vector<ExprNode*> levels(d);
  ExprNode* element = e;
  for (std::size_t k = 0; k < d; ++k) {
    ks[k] = makecon(1);
    element = levels[k] = makexpr(element, IDX, ks[k]);
  }
  auto code = compileTransient(element, ks);
  // Element 1 was computed by buildarr.
  std::vector<int64_t> at(d, 1);
  bool skip = *cursor == vec->block;
  bool firstStep = true;
  for (;;) {
    if (skip) {
      skip = false;
      ++*cursor;
    } else {
      if (stop) break;
      for (std::size_t k = 0; k < d; ++k) ks[k]->value = static_cast<double>(at[k]);
      double v;
      bool known = code ? runTransient(*code, firstStep, &v) : EvalExpr(element, &v);
      firstStep = false;
      *(*cursor)++ = known ? v : kNan04;
    }
    std::size_t k = d;
    while (k > 0 && at[k - 1] == sizes[k - 1]) at[--k] = 1;
    if (k == 0) break;
    ++at[k - 1];
  }
  for (std::size_t k = d; k-- > 0;) {
    freenode(levels[k]);
    freenode(ks[k]);
  }
}

// x := value
bool Engine::evalasgn(ExprNode* n, double* /*result*/) {
  if (n->left && n->left->op == IDX) return evalasgnel(n);
  ExprNode* savedIndex = nullptr;
  Symbol* s = assignTarget(n, &savedIndex);
  if (!s) return false;
  double v = 0;
  bool known = EvalExpr(n->right, &v);
  return storeAssigned(n, s, known, v, savedIndex);
}

// The variable that x := value assigns, the registers set for evaluating
// the value and the index stack kept in [savedIndex]; null when there is
// nothing to evaluate (a fault, or x := with no value, which forgets x).
Symbol* Engine::assignTarget(ExprNode* n, ExprNode** savedIndex) {
  ExprNode* target = n->left;
  if (!target || target->op != VAR) {
    BugAlert("evalasgn of non-var op=%ld", target ? target->op : 0);
    return nullptr;
  }
  Symbol* s = target->sym;
  if (s->ndims != 0) {
    errmsg2(" can't assign to %s[]=", s->name);
    return nullptr;
  }
  if (s->isindex) {
    errmsg2(" can't assign to '%s'", s->name);
    return nullptr;
  }
  if (s->depth != 0) {
    errmsg2(" recursive assign to '%s'", s->name);
    return nullptr;
  }
  if (!n->right) {
    freexpr(s->def);
    s->def = nullptr;
    ++defChanges_;
    return nullptr;
  }
  *savedIndex = gindex;
  gindex = nullptr;
  gmissidx = 0;
  gdim = 0;
  getstr = nullptr;
  return s;
}

// Stores the value of x := value, evaluated into [known] and [v]: a
// number, a string, an array built from the value, or unknown.
bool Engine::storeAssigned(ExprNode* n, Symbol* s, bool known, double v, ExprNode* savedIndex) {
  if (!known && getstr && gmissidx) {
    ExprNode* str = makestr(getstr);
    freexpr(s->def);
    s->def = str;
    ++defChanges_;
    gmissidx = 0;
    getstr = nullptr;
    gindex = savedIndex;
    anyasgn = 1;
    return false;
  }
  bool isArray = false;
  ExprNode* array = nullptr;
  if (!known && gmissidx) {
    isArray = true;
    array = copyvec(n->right);
    if (!array && !stop) {
      int64_t size = gdim;
      double* first = nullptr;
      array = buildarr(n->right, size, &first);
      if (array) fillarr(&first, size, array, n->right);
    }
    gmissidx = 0;
    gdim = 0;
  } else if (!known) {
    v = kNan04;
  }
  gindex = savedIndex;
  if (s->def && (s->def->op != CON || isArray)) {
    freexpr(s->def);
    s->def = nullptr;
  }
  if (isArray)
    s->def = array;
  else if (s->def)
    s->def->value = v;
  else
    s->def = makecon(v);
  ++defChanges_;
  anyasgn = 1;
  return false;
}

// a[i] := value
bool Engine::evalasgnel(ExprNode* n) {
  ExprNode* target = n->left;
  Symbol* s = lvar(target);
  if (!s) {
    BugAlert("non-var[] :=");
    return false;
  }
  if (!s->def) {
    uknvar = s;
    return false;
  }
  if (s->def->op != VEC && s->def->op != FOLD) {
    badel(s->name);
    return false;
  }
  double old;
  gvec = nullptr;
  EvalExpr(target, &old);
  gmissidx = 0;
  if (!gvec) {
    badel(s->name);
    return false;
  }
  double* slot = gvec;  // the value's own reads move gvec
  uknvar = nullptr;
  uint64_t changes = defChanges_;
  double v;
  bool known = n->right && EvalExpr(n->right, &v);
  if (changes != defChanges_) {
    // The value replaced a definition; the element must be found again in
    // whatever the array is now.
    gvec = nullptr;
    if (s->def && (s->def->op == VEC || s->def->op == FOLD)) EvalExpr(target, &old);
    gmissidx = 0;
    slot = gvec;
    if (!slot) {
      badel(s->name);
      return false;
    }
  }
  if (known) {
    *slot = v;
    anyasgn = 1;
  } else {
    *slot = kNan04;
  }
  return false;
}

}  // namespace orv
