// Arrays at run time: indices travel down the index stack (gindex) to the
// array nodes inside an expression, which pick their element or report the
// size of the dimension that is missing.
#include <cmath>
#include <cstring>

#include "eval/semantics.h"
#include "lang/engine.h"
#include "lang/whole_number.h"

namespace orv {

bool Engine::evalidx(ExprNode* n, double* result) {
  return indexOf(
      *this, [&](double* v) { return EvalExpr(n->right, v); },
      [&](double* v) { return EvalExpr(n->left, v); }, result);
}

// An array symbol takes its indices off the stack and evaluates its formula
// with them as parameters.
bool Engine::evalavar(Symbol* s, double* result) {
  const int n = s->ndims;
  ExprNode* taken = gindex;
  ExprNode* last = nullptr;
  int k = 0;
  for (ExprNode* l = gindex; l && k < n; l = l->right) {
    last = l;
    ++k;
  }
  ExprNode* rest = last ? last->right : gindex;
  if (last) last->right = nullptr;
  if (k == 0) taken = nullptr;
  gindex = rest;

  ExprNode* frame = nullptr;
  ExprNode frameNode;
  ExprNode* appendedAfter = nullptr;
  if (taken) {
    if (gparms && s->nparams > 0 && gparms->left) {
      appendedAfter = gparms->left;
      while (appendedAfter->right) appendedAfter = appendedAfter->right;
      appendedAfter->right = taken;
    } else {
      frameNode.op = LIST;
      frameNode.left = taken;
      frameNode.right = gparms;
      frame = &frameNode;
      gparms = frame;
    }
  }
  ++s->depth;
  ExprNode* formula = s->def;
  bool inBounds = true;
  if (formula && formula->op == DIMS) {
    inBounds = checkdims(s, formula->right, taken);
    formula = formula->left;
  }
  bool known = false;
  if (k < n)
    gmissidx = n - k;
  else if (inBounds)
    known = evalDefinition(formula, result);
  --s->depth;

  if (last) last->right = rest;
  gindex = taken ? taken : rest;
  if (frame) {
    gparms = frame->right;
  } else if (appendedAfter) {
    appendedAfter->right = nullptr;
  }
  return known;
}

// Checks the taken indices against the sizes of a dim[...] list, and reports
// the size of the first dimension without an index in gdim.
bool Engine::checkdims(Symbol* s, ExprNode* sizes, ExprNode* indices) {
  ExprNode* savedIndex = gindex;
  gindex = nullptr;
  bool inBounds = true;
  ExprNode* index = indices;
  for (ExprNode* l = sizes; l;) {
    ExprNode* e = l->op == LIST ? l->left : l;
    l = l->op == LIST ? l->right : nullptr;
    double size;
    bool known = EvalExpr(e, &size) && size >= 0;
    if (known && size == 0) size = 1;
    if (!index) {
      // A size too large to count is no size at all.
      std::optional<int64_t> rounded = known ? wholePart(std::nearbyint(size)) : std::nullopt;
      if (known) {
        gdim = rounded.value_or(0);
      } else {
        gdim = 0;
        if (uknvar) errmsg2(" %s dim[?]", s->name);
      }
      break;
    }
    if (known && index->left->value > size) inBounds = false;
    index = index->right;
  }
  gindex = savedIndex;
  return inBounds;
}

// {a, b, c}
bool Engine::evalsel(ExprNode* n, double* result) {
  if (!gindex) {
    gmissidx = 1;
    gdim = n->count;
    return false;
  }
  ExprNode* head = gindex;
  std::optional<int64_t> k = elementOf(head->left->value);
  if (!k || *k >= n->count) return false;
  ExprNode* l = n->left;
  for (int64_t i = 0; i < *k && l; ++i) {
    l = l->right;
    if (!l || l->op != LIST) {
      BugAlert("evalsel: bad list op=%ld", l ? l->op : 0);
      stop = 1;
      return false;
    }
  }
  if (!l) return false;
  gindex = head->right;
  bool known = EvalExpr(l->left, result);
  gindex = head;
  return known;
}

// A stored block of doubles; always the innermost level.
bool Engine::evalvec(ExprNode* n, double* result) {
  if (!gindex) {
    gmissidx = 1;
    gdim = n->count;
    return false;
  }
  std::optional<int64_t> k = elementOf(gindex->left->value);
  if (!k || *k >= n->count) return false;
  gvec = &n->block[*k];
  *result = *gvec;
  return true;
}

// One dimension of a stored multi-dimensional array: two indices become the
// linear index of the block below.
bool Engine::evalfold(ExprNode* n, double* result) {
  const int64_t f = n->count;
  if (!gindex) {
    double v;
    EvalExpr(n->left, &v);
    gmissidx = 2;
    gdim = f ? gdim / f : 0;
    return false;
  }
  if (!gindex->right) {
    gmissidx = 1;
    gdim = f;
    return false;
  }
  ExprNode* first = gindex;
  std::optional<int64_t> i = elementOf(first->left->value);
  std::optional<int64_t> j = elementOf(first->right->left->value);
  if (!i || !j || *j >= f) return false;
  // The row may lie beyond the block; the product then overflows, and the
  // block's own bound check could be fooled by what wraps.
  if (f > 0 && *i > (INT64_MAX - *j - 1) / f) return false;
  ExprNode linear;
  linear.op = CON;
  linear.value = static_cast<double>(*i * f + *j + 1);
  linear.right = nullptr;
  ExprNode link;
  link.op = LIST;
  link.left = &linear;
  link.right = first->right->right;
  gindex = &link;
  bool known = EvalExpr(n->left, result);
  gindex = first;
  return known;
}

// a[lo:hi]
bool Engine::evalrng(ExprNode* n, double* result) {
  ExprNode* saved = gindex;
  gindex = nullptr;
  ExprNode* pair = n->right;
  double lo = 1, hi = 0;
  if (!pair->left || !EvalExpr(pair->left, &lo)) lo = 1;
  bool hiKnown = pair->right && EvalExpr(pair->right, &hi);
  int64_t size = 0;
  if (hiKnown) {
    // A range too long to count has no size of its own; the base's applies.
    std::optional<int64_t> s = wholePart(hi - lo + 1);
    size = s && *s > 0 ? *s : 0;
  }
  gindex = saved;
  gmissidx = 0;
  if (!gindex) {
    if (size > 0) {
      gmissidx = 1;
      gdim = size;
      return false;
    }
    gdim = 0;
    double v;
    EvalExpr(n->left, &v);
    double rest = gmissidx && gdim ? static_cast<double>(gdim) - lo + 1 : 0;
    std::optional<int64_t> whole = wholePart(rest);
    gdim = whole && *whole > 0 ? *whole : 0;
    if (gmissidx < 1) gmissidx = 1;
    return false;
  }
  double i = gindex->left->value;
  if (size > 0 && i > static_cast<double>(size)) return false;
  ExprNode* head = gindex;
  ExprNode shifted;
  shifted.op = CON;
  shifted.value = i + lo - 1;
  shifted.right = nullptr;
  ExprNode link;
  link.op = LIST;
  link.left = &shifted;
  link.right = head->right;
  gindex = &link;
  bool known = EvalExpr(n->left, result);
  gindex = head;
  return known;
}

// count(x): the size of the first dimension of an array or a string's
// length; 0 for a plain value.
bool Engine::count(ExprNode* x, double* result) {
  int64_t savedDim = gdim;
  int savedMissing = gmissidx;
  ExprNode* savedIndex = gindex;
  gdim = 0;
  gmissidx = 0;
  gindex = nullptr;
  double v;
  bool known = EvalExpr(x, &v);
  bool r = false;
  if (known) {
    *result = 0;
    r = true;
  } else if (gmissidx) {
    *result = static_cast<double>(gdim);
    r = gdim != 0;
    uknvar = nullptr;
    getstr = nullptr;
  }
  gdim = savedDim;
  gmissidx = savedMissing;
  gindex = savedIndex;
  return r;
}

}  // namespace orv
