// Matrix operations built on one singular value decomposition: SVD(A)
// stores the factors _U, _V, _W; invert(A) the inverse _Inv; solve(A, B) the
// least-squares solution _X of A·x = B. invert and solve yield the number of
// singular values they treat as zero.
#include <algorithm>

#include "lang/engine.h"
#include "packages/funutil.h"
#include "packages/registry.h"
#include "packages/svdcmp.h"

namespace orv {

namespace {

// Singular values below the largest times this are taken as zero.
constexpr double kSingular = 1e-16;

bool pollEngine(void* engine) {
  auto* e = static_cast<Engine*>(engine);
  e->SpinWatch();
  return !e->Stopped();
}

// A decomposition in the transposed form of svdcmp.h: ut = Uᵀ (n x m),
// vt = Vᵀ (n x n), w (n).
struct Factors {
  Block ut, vt, w;
  int64_t m = 0, n = 0;
};

// Decomposes the m x n block [a] (m >= n >= 1). False, with the message
// given, when memory runs out or the method does not converge, and quietly
// when the run was stopped.
bool factor(Engine& e, const double* a, int64_t m, int64_t n, Factors* f) {
  f->m = m;
  f->n = n;
  f->ut = newBlock(static_cast<std::size_t>(m * n));
  f->vt = newBlock(static_cast<std::size_t>(n * n));
  f->w = newBlock(static_cast<std::size_t>(n));
  if (!f->ut || !f->vt || !f->w) {
    e.ErrMsg(" not enough memory");
    return false;
  }
  svd::transpose(a, m, n, f->ut.get());
  switch (svd::decompose(f->ut.get(), f->w.get(), f->vt.get(), m, n, pollEngine, &e)) {
    case svd::Status::Done:
      return true;
    case svd::Status::Stopped:
      return false;
    case svd::Status::NoMemory:
      e.ErrMsg(" not enough memory");
      return false;
    case svd::Status::NoConvergence:
      e.ErrMsg(" SVD did not converge after 30 iterations");
      return false;
  }
  return false;
}

// Turns the signed zeros the method leaves in U and V into +0, so that
// they show as "0.00".
void plusZeros(double* a, int64_t count) {
  for (int64_t i = 0; i < count; ++i) a[i] += 0.0;
}

// Sets the singular values below wmax·1e-16 to 0; returns how many.
int64_t dropSmall(double* w, int64_t n) {
  double wmax = 0;
  for (int64_t j = 0; j < n; ++j) wmax = std::max(wmax, w[j]);
  int64_t zeroed = 0;
  for (int64_t j = 0; j < n; ++j)
    if (w[j] < wmax * kSingular) w[j] = 0, ++zeroed;
  return zeroed;
}

// SVD(A): A is m x n, m >= n >= 1.
bool svdEntry(Engine& e, double*) {
  Block a;
  int64_t m, n;
  const bool got = matrixArgument(e, 0, &a, &m, &n);
  if (e.Stopped()) return false;
  if (!got || n < 1 || m < n) {
    e.ErrMsg(" SVD(?) array size?");
    return false;
  }
  Factors f;
  if (!factor(e, a.get(), m, n, &f)) return false;
  svd::transpose(f.ut.get(), n, m, a.get());
  svd::transposeSquare(f.vt.get(), n);
  plusZeros(a.get(), m * n);
  plusZeros(f.vt.get(), n * n);
  if (e.SetVarMatrix("_U", a.release(), m, n) && e.SetVarMatrix("_V", f.vt.release(), n, n))
    e.SetVarMatrix("_W", f.w.release(), n, 0);
  return false;
}

// invert(A): Inv = V·diag(1/w)·Uᵀ, the zeroed singular values giving zero
// columns, so a singular A gets its pseudo-inverse.
bool invertEntry(Engine& e, double* result) {
  Block a;
  int64_t m, n;
  const bool got = matrixArgument(e, 0, &a, &m, &n);
  if (e.Stopped()) return false;
  if (!got || n < 1 || m != n) {
    e.ErrMsg(" invert(?) array size?");
    return false;
  }
  Factors f;
  Block inv = newBlock(static_cast<std::size_t>(n * n));
  if (!inv) {
    e.ErrMsg(" not enough memory");
    return false;
  }
  if (!factor(e, a.get(), n, n, &f)) return false;
  const int64_t zeroed = dropSmall(f.w.get(), n);
  double* vt = f.vt.get();
  for (int64_t k = 0; k < n; ++k) {
    const double wk = f.w[k];
    for (int64_t i = 0; i < n; ++i) vt[k * n + i] = wk != 0 ? vt[k * n + i] / wk : 0;
  }
  // Inv[i][j] = Σk V'[i][k]·U[j][k], summed over k in order, row by row.
  std::fill(inv.get(), inv.get() + n * n, 0.0);
  for (int64_t k = 0; k < n; ++k) {
    const double* uk = f.ut.get() + k * n;
    for (int64_t i = 0; i < n; ++i) {
      const double v = vt[k * n + i];
      double* row = inv.get() + i * n;
      for (int64_t j = 0; j < n; ++j) row[j] += v * uk[j];
    }
  }
  e.SetVarMatrix("_Inv", inv.release(), n, n);
  *result = static_cast<double>(zeroed);
  return true;
}

// solve(A, B): x = V·diag(1/w)·Uᵀ·B, the least-squares solution for m > n
// and the one of least norm for a rank-deficient A.
bool solveEntry(Engine& e, double* result) {
  Block a, b;
  int64_t m, n, bn, bcols;
  bool got = matrixArgument(e, 1, &a, &m, &n);
  if (e.Stopped()) return false;
  if (!got || n < 1 || m < n) {
    e.ErrMsg(" solve(?,\xC9) array size?");
    return false;
  }
  got = matrixArgument(e, 0, &b, &bn, &bcols);
  if (e.Stopped()) return false;
  if (!got || bcols != 0 || bn != m) {
    e.ErrMsg(" solve( ,?) vector size?");
    return false;
  }
  Factors f;
  Block x = newBlock(static_cast<std::size_t>(n));
  Block t = newBlock(static_cast<std::size_t>(n));
  if (!x || !t) {
    e.ErrMsg(" not enough memory");
    return false;
  }
  if (!factor(e, a.get(), m, n, &f)) return false;
  const int64_t zeroed = dropSmall(f.w.get(), n);
  for (int64_t j = 0; j < n; ++j) {
    const double* uj = f.ut.get() + j * m;  // column j of U
    double s = 0;
    for (int64_t i = 0; i < m; ++i) s += uj[i] * b[i];
    t[j] = f.w[j] != 0 ? s / f.w[j] : 0;
  }
  std::fill(x.get(), x.get() + n, 0.0);
  for (int64_t k = 0; k < n; ++k) {
    const double* vk = f.vt.get() + k * n;  // column k of V
    for (int64_t j = 0; j < n; ++j) x[j] += vk[j] * t[k];
  }
  e.SetVarMatrix("_X", x.release(), n, 0);
  *result = static_cast<double>(zeroed);
  return true;
}

}  // namespace

void setup_svd(Registry& r) {
  r.AddFunPkg("SVD_", "matrix operations");
  r.AddCFun("SVD", "A", "Singular Value Decomposition", svdEntry);
  r.AddCFun("solve", "A,B", "solve linear equations", solveEntry);
  r.AddCFun("invert", "A", "invert matrix", invertEntry);
  r.AddFunPkg(nullptr, nullptr);
}

}  // namespace orv
