// Arrays as matrices of doubles: the conversion that packages and det()
// use, the LU decomposition and the determinant, and the loop index that
// steps through an array's elements.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "lang/engine.h"

namespace orv {

double* Engine::AddLoopIndex() {
  ExprNode* k = makecon(1);
  gindex = makexpr(k, LIST, gindex);
  return &k->value;
}

void Engine::RemoveLoopIndex() {
  if (!gindex) {
    BugAlert("RemoveLoopIndex() NULL list");
    return;
  }
  ExprNode* top = gindex;
  gindex = top->right;
  freenode(top->left);
  freenode(top);
}

// A copy of a stored array's block: a VEC (rows = count, cols = 0) or a
// FOLD directly over a VEC. Null when [e] names no such array.
double* Engine::copyfold(ExprNode* e, int64_t* rows, int64_t* cols) {
  if (!e || e->op != VAR) return nullptr;
  ExprNode* d = varval(e);
  if (!d) return nullptr;
  ExprNode* vec = d->op == VEC                                     ? d
                  : d->op == FOLD && d->left && d->left->op == VEC ? d->left
                                                                   : nullptr;
  if (!vec) return nullptr;
  auto* block =
      static_cast<double*>(std::malloc(static_cast<std::size_t>(vec->count) * sizeof(double)));
  if (!block) return nullptr;
  std::memcpy(block, vec->block, static_cast<std::size_t>(vec->count) * sizeof(double));
  if (d->op == VEC) {
    *rows = vec->count;
    *cols = 0;
  } else {
    *cols = d->count;
    *rows = d->count ? vec->count / d->count : 0;
  }
  return block;
}

bool Engine::GetMatrix(ExprNode* e, double** data, int64_t* rows, int64_t* cols) {
  gmissidx = 0;
  gdim = 0;
  double v;
  if (EvalExpr(e, &v)) {
    *rows = *cols = 0;
    *data = static_cast<double*>(std::malloc(sizeof(double)));
    if (!*data) return false;
    **data = v;
    return true;
  }
  if (!gmissidx) return false;
  const int64_t r = gdim;
  gmissidx = 0;
  gdim = 0;
  ExprNode* savedParms = gparms;
  if (e->op == PARM) {
    if (ExprNode* arg = getparm(e->parm)) {
      gparms = gparms->right;
      e = arg;
    }
  }
  if (double* block = copyfold(e, rows, cols)) {
    *data = block;
    gparms = savedParms;
    return true;
  }
  double* col = AddLoopIndex();
  gmissidx = 0;
  gdim = 0;
  bool known = EvalExpr(e, &v);
  const bool twoD = !known && gmissidx;
  const int64_t c = twoD ? gdim : 1;
  bool made = false;
  if (r * c == 0) {
    errmsg(" can't determine array size");
  } else if (r > kMaxArrayElements / c) {
    errmsg(" array is too large");
  } else if (double* block = static_cast<double*>(
                 std::malloc(static_cast<std::size_t>(r * c) * sizeof(double)))) {
    bool anyKnown = false;
    bool lacking = false;
    if (twoD) {
      double* row = AddLoopIndex();
      for (int64_t i = 1; i <= r && !stop; ++i) {
        *row = static_cast<double>(i);
        for (int64_t j = 1; j <= c; ++j) {
          *col = static_cast<double>(j);
          gmissidx = 0;
          bool k = EvalExpr(e, &v);
          block[(i - 1) * c + (j - 1)] = k ? v : kNan04;
          anyKnown |= k;
          lacking = !k && gmissidx;
        }
      }
      RemoveLoopIndex();
    } else {
      for (int64_t i = 1; i <= r; ++i) {
        *col = static_cast<double>(i);
        gmissidx = 0;
        bool k = EvalExpr(e, &v);
        block[i - 1] = k ? v : kNan04;
        anyKnown |= k;
        lacking = !k && gmissidx;
      }
    }
    if (!anyKnown) {
      if (lacking) errmsg(" array is > 2D");
      std::free(block);
    } else {
      *data = block;
      *rows = r;
      *cols = twoD ? c : 0;
      made = true;
    }
  } else {
    errmsg(" out of memory");
  }
  RemoveLoopIndex();
  gmissidx = 0;
  gparms = savedParms;
  return made;
}

// Crout's LU decomposition with implicit partial pivoting, in place on the
// row-major n x n matrix a; d becomes +1 or -1 with the row swaps. False for
// a matrix with a zero row.
bool Engine::LUdcomp(double* a, int n, int* d) {
  double* scale = static_cast<double*>(std::malloc(sizeof(double) * (n > 0 ? n : 1)));
  if (!scale) return false;
  *d = 1;
  auto at = [a, n](int i, int j) -> double& { return a[static_cast<std::size_t>(i) * n + j]; };
  for (int i = 0; i < n; ++i) {
    double big = 0;
    for (int j = 0; j < n; ++j) big = std::max(big, std::fabs(at(i, j)));
    if (big == 0) {
      std::free(scale);
      return false;
    }
    scale[i] = 1 / big;
  }
  // A column costs O(n^2), which for the largest matrices is seconds, so
  // the stop button is looked at for every row.
  for (int j = 0; j < n && !stop; ++j) {
    for (int i = 0; i < j && !stop; ++i) {
      if ((i & 0x3F) == 0) pollStop();
      double sum = at(i, j);
      for (int k = 0; k < i; ++k) sum -= at(i, k) * at(k, j);
      at(i, j) = sum;
    }
    double big = 0;
    int pivot = j;
    for (int i = j; i < n && !stop; ++i) {
      if ((i & 0x3F) == 0) pollStop();
      double sum = at(i, j);
      for (int k = 0; k < j; ++k) sum -= at(i, k) * at(k, j);
      at(i, j) = sum;
      double weight = scale[i] * std::fabs(sum);
      if (weight > big) {
        big = weight;
        pivot = i;
      }
    }
    if (pivot != j && big != 0) {
      for (int k = 0; k < n; ++k) std::swap(at(pivot, k), at(j, k));
      *d = -*d;
      scale[pivot] = scale[j];
    }
    if (at(j, j) == 0) at(j, j) = 1e-100;
    if (j != n - 1)
      for (int i = j + 1; i < n; ++i) at(i, j) /= at(j, j);
  }
  std::free(scale);
  return true;
}

// det(m)
bool Engine::evaldet(ExprNode* n, double* result) {
  ExprNode* saved = gindex;
  gindex = nullptr;
  double* a = nullptr;
  int64_t rows = 0, cols = 0;
  bool ok = GetMatrix(n->left, &a, &rows, &cols);
  gmissidx = 0;
  gindex = saved;
  if (!ok) return false;
  bool known = false;
  if (rows != cols) {
    errmsg(" det() matrix isn't square");
  } else if (rows > 46340) {
    errmsg(" array is too large");
  } else {
    int d;
    int size = static_cast<int>(rows);
    if (!LUdcomp(a, size, &d)) {
      *result = 0;
    } else {
      double det = d;
      for (int i = 0; i < size; ++i) det *= a[static_cast<std::size_t>(i) * size + i];
      *result = det;
    }
    known = !stop;
  }
  std::free(a);
  return known;
}

// Node kinds outside the evaluator's main switch, and those the modules own.
bool Engine::evalextension(ExprNode* n, double* result) {
  switch (n->op) {
    case ASSIGN:
      return evalasgn(n, result);
    case '|':
      return evalconcat(n, result);
    case FN_SPRINTF:
      return evalsprnt(n, result);
    case FN_DET:
      return evaldet(n, result);
    case CFUN:
      return evalcfun(n, result);
    case MFUN:
      return evalmfun(n, result);
    default:
      for (const auto& [op, function] : modules_.functions)
        if (op == n->op) return function(*this, n, result);
      return false;
  }
}

}  // namespace orv
