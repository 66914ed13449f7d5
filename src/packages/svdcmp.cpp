#include "packages/svdcmp.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace orv::svd {

double pythag(double a, double b) {
  const double absa = std::fabs(a), absb = std::fabs(b);
  if (absa > absb) {
    const double r = absb / absa;
    return absa * std::sqrt(1 + r * r);
  }
  if (absb == 0) return 0;
  const double r = absa / absb;
  return absb * std::sqrt(1 + r * r);
}

void transpose(const double* src, int64_t rows, int64_t cols, double* dst) {
  constexpr int64_t kTile = 32;
  for (int64_t i0 = 0; i0 < rows; i0 += kTile)
    for (int64_t j0 = 0; j0 < cols; j0 += kTile)
      for (int64_t i = i0; i < std::min(rows, i0 + kTile); ++i)
        for (int64_t j = j0; j < std::min(cols, j0 + kTile); ++j)
          dst[j * rows + i] = src[i * cols + j];
}

void transposeSquare(double* a, int64_t n) {
  for (int64_t i = 0; i < n; ++i)
    for (int64_t j = i + 1; j < n; ++j) std::swap(a[i * n + j], a[j * n + i]);
}

namespace {

struct FreeDoubles {
  void operator()(double* p) const { std::free(p); }
};

// ---------------------------------------------------------------------------
// Row operations. The columns of U and V are stored as rows; these run along
// them. Each keeps the arithmetic of the plain loops exactly (every sum in
// the order of its terms) and only changes the order of independent work.
// ---------------------------------------------------------------------------

// out[j] = Σ x[k]·col_j[k] over k in [lo, hi) for the rows col_j = base +
// j·stride, j in [from, to). Four sums run side by side to fill the
// pipeline, each still adding its terms in order.
void rowDots(const double* x, const double* base, int64_t stride, int64_t from, int64_t to,
             int64_t lo, int64_t hi, double* out) {
  int64_t j = from;
  for (; j + 4 <= to; j += 4) {
    const double* c0 = base + j * stride;
    const double* c1 = c0 + stride;
    const double* c2 = c1 + stride;
    const double* c3 = c2 + stride;
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (int64_t k = lo; k < hi; ++k) {
      const double xk = x[k];
      s0 += xk * c0[k];
      s1 += xk * c1[k];
      s2 += xk * c2[k];
      s3 += xk * c3[k];
    }
    out[j] = s0, out[j + 1] = s1, out[j + 2] = s2, out[j + 3] = s3;
  }
  for (; j < to; ++j) {
    const double* cj = base + j * stride;
    double sum = 0;
    for (int64_t k = lo; k < hi; ++k) sum += x[k] * cj[k];
    out[j] = sum;
  }
}

// Columns of rotation chains go through in strips of this many values; the
// row carried from one rotation to the next stays in a small buffer.
constexpr int64_t kStrip = 32;

// Rotation of the carried strip x with the strip q; the rotated x goes to
// [out], and x becomes the rotated q (row p := c·p + s·q, row q := c·q -
// s·p, with p = x).
inline void rotateOn(double* __restrict x, double* __restrict out, const double* __restrict q,
                     int64_t len, double c, double s) {
  for (int64_t w = 0; w < len; ++w) {
    const double y = x[w], z = q[w];
    out[w] = y * c + z * s;
    x[w] = z * c - y * s;
  }
}

// The same, the carried strip x staying the first row: x := c·x + s·q,
// q := c·q - s·x.
inline void rotateAgainst(double* __restrict x, double* __restrict q, int64_t len, double c,
                          double s) {
  for (int64_t w = 0; w < len; ++w) {
    const double y = x[w], z = q[w];
    x[w] = y * c + z * s;
    q[w] = z * c - y * s;
  }
}

// The rotations t = 0 ... count - 1 in order, each of the rows p = first + t
// and q = p + 1 (row p := c·p + s·q, row q := c·q - s·p, with c[t], s[t]),
// over len values of rows stride apart. The row shared by two consecutive
// rotations is carried over instead of stored and loaded again.
void rotateChain(double* rows, int64_t stride, int64_t len, int64_t first, int64_t count,
                 const double* c, const double* s) {
  if (count <= 0) return;
  double x[kStrip];
  for (int64_t at = 0; at < len; at += kStrip) {
    const int64_t width = std::min(kStrip, len - at);
    double* row = rows + first * stride + at;
    std::copy(row, row + width, x);
    for (int64_t t = 0; t < count; ++t, row += stride)
      rotateOn(x, row, row + stride, width, c[t], s[t]);
    std::copy(x, x + width, row);
  }
}

// The rotations t = 0 ... count - 1 in order, each of the row p and the row
// first + t (the same formula as above), the row p carried throughout.
void rotateFan(double* rows, int64_t stride, int64_t len, int64_t p, int64_t first, int64_t count,
               const double* c, const double* s) {
  if (count <= 0) return;
  double x[kStrip];
  for (int64_t at = 0; at < len; at += kStrip) {
    const int64_t width = std::min(kStrip, len - at);
    double* pivot = rows + p * stride + at;
    std::copy(pivot, pivot + width, x);
    for (int64_t t = 0; t < count; ++t)
      rotateAgainst(x, rows + (first + t) * stride + at, width, c[t], s[t]);
    std::copy(x, x + width, pivot);
  }
}

// The state of one decomposition. U(k, i), the element in row k and column
// i of the m x n matrix being reduced (A at first, U at the end), is
// ut[i·m + k]; V(k, i) is vt[i·n + k].
struct Work {
  double* ut;
  double* w;
  double* vt;
  int64_t m, n;
  double* rv1;                // the superdiagonal, n values
  double* tmp;                // m values
  double* row;                // n values
  double* sums;               // n values
  double *cv, *sv, *cu, *su;  // rotations of V and U, n values each
  double anorm = 0;
  double g = 0, scale = 0;

  double& U(int64_t k, int64_t i) { return ut[i * m + k]; }
  double* column(int64_t i) { return ut + i * m; }

  void leftHouseholder(int64_t i);
  void rightHouseholder(int64_t i);
  void accumulateRight();
  void accumulateLeft();
  Status diagonalise(Poll poll, void* context);
  void cancel(int64_t l, int64_t k);
  void qrStep(int64_t l, int64_t k);
};

// Zeroes column i of U below the diagonal. Sets g (the new diagonal value
// divided by the column's scale) and scale.
void Work::leftHouseholder(int64_t i) {
  double* ci = column(i);
  double s = 0;
  g = scale = 0;
  for (int64_t k = i; k < m; ++k) scale += std::fabs(ci[k]);
  if (scale == 0) return;
  for (int64_t k = i; k < m; ++k) {
    ci[k] /= scale;
    s += ci[k] * ci[k];
  }
  const double f = ci[i];
  g = f > 0 ? -std::sqrt(s) : std::sqrt(s);
  const double h = f * g - s;
  ci[i] = f - g;
  rowDots(ci, ut, m, i + 1, n, i, m, sums);
  for (int64_t j = i + 1; j < n; ++j) {
    double* cj = column(j);
    const double fj = sums[j] / h;
    for (int64_t k = i; k < m; ++k) cj[k] += fj * ci[k];
  }
  for (int64_t k = i; k < m; ++k) ci[k] *= scale;
}

// Zeroes row i of U right of the superdiagonal. The row runs across the
// stored columns, so the products of the other rows with it are gathered
// in tmp column by column, and the update goes column by column too.
void Work::rightHouseholder(int64_t i) {
  const int64_t l = i + 1;
  double s = 0;
  g = scale = 0;
  if (i == n - 1) return;
  for (int64_t k = l; k < n; ++k) scale += std::fabs(U(i, k));
  if (scale == 0) return;
  for (int64_t k = l; k < n; ++k) {
    U(i, k) /= scale;
    s += U(i, k) * U(i, k);
  }
  const double f = U(i, l);
  g = f > 0 ? -std::sqrt(s) : std::sqrt(s);
  const double h = f * g - s;
  U(i, l) = f - g;
  for (int64_t k = l; k < n; ++k) rv1[k] = U(i, k) / h;
  std::fill(tmp + l, tmp + m, 0.0);
  for (int64_t k = l; k < n; ++k) {
    const double aik = U(i, k);
    const double* ck = column(k);
    for (int64_t j = l; j < m; ++j) tmp[j] += ck[j] * aik;
  }
  for (int64_t k = l; k < n; ++k) {
    const double r = rv1[k];
    double* ck = column(k);
    for (int64_t j = l; j < m; ++j) ck[j] += tmp[j] * r;
  }
  for (int64_t k = l; k < n; ++k) U(i, k) *= scale;
}

// V = the product of the right-hand transformations.
void Work::accumulateRight() {
  int64_t l = n;
  double gi = 0;
  for (int64_t i = n - 1; i >= 0; --i) {
    double* vi = vt + i * n;  // column i of V
    if (i < n - 1) {
      if (gi != 0) {
        const double pivot = U(i, l);
        for (int64_t j = l; j < n; ++j) vi[j] = (U(i, j) / pivot) / gi;
        for (int64_t k = l; k < n; ++k) row[k] = U(i, k);
        rowDots(row, vt, n, l, n, l, n, sums);
        for (int64_t j = l; j < n; ++j) {
          double* vj = vt + j * n;
          const double s = sums[j];
          for (int64_t k = l; k < n; ++k) vj[k] += s * vi[k];
        }
      }
      for (int64_t j = l; j < n; ++j) vt[j * n + i] = vi[j] = 0;
    }
    vi[i] = 1;
    gi = rv1[i];
    l = i;
  }
}

// U = the product of the left-hand transformations, in place.
void Work::accumulateLeft() {
  for (int64_t i = n - 1; i >= 0; --i) {
    const int64_t l = i + 1;
    double* ci = column(i);
    for (int64_t j = l; j < n; ++j) U(i, j) = 0;
    double gi = w[i];
    if (gi != 0) {
      gi = 1 / gi;
      rowDots(ci, ut, m, l, n, l, m, sums);
      for (int64_t j = l; j < n; ++j) {
        double* cj = column(j);
        const double f = (sums[j] / ci[i]) * gi;
        for (int64_t k = i; k < m; ++k) cj[k] += f * ci[k];
      }
      for (int64_t j = i; j < m; ++j) ci[j] *= gi;
    } else {
      for (int64_t j = i; j < m; ++j) ci[j] = 0;
    }
    ci[i] += 1;
  }
}

// w[l - 1] is negligible: rotations that cancel rv1[l] ... rv1[k].
void Work::cancel(int64_t l, int64_t k) {
  double c = 0, s = 1;
  int64_t count = 0;
  for (int64_t i = l; i <= k; ++i) {
    const double f = s * rv1[i];
    rv1[i] = c * rv1[i];
    if (std::fabs(f) + anorm == anorm) break;
    const double gi = w[i];
    double h = pythag(f, gi);
    w[i] = h;
    h = 1 / h;
    c = gi * h;
    s = -f * h;
    cu[count] = c, su[count] = s, ++count;
  }
  rotateFan(ut, m, m, l - 1, l, count, cu, su);  // columns l - 1 and i of U
}

// One implicitly shifted QR step on the bidiagonal block l ... k, the shift
// taken from its bottom 2 x 2 minor.
void Work::qrStep(int64_t l, int64_t k) {
  double x = w[l];
  const int64_t nm = k - 1;
  double y = w[nm];
  double z = w[k];
  double gg = rv1[nm];
  double h = rv1[k];
  double f = ((y - z) * (y + z) + (gg - h) * (gg + h)) / (2 * h * y);
  gg = pythag(f, 1);
  f = ((x - z) * (x + z) + h * ((y / (f + (f >= 0 ? std::fabs(gg) : -std::fabs(gg)))) - h)) / x;
  double c = 1, s = 1;
  for (int64_t j = l; j <= nm; ++j) {
    const int64_t i = j + 1;
    gg = rv1[i];
    y = w[i];
    h = s * gg;
    gg = c * gg;
    z = pythag(f, h);
    rv1[j] = z;
    c = f / z;
    s = h / z;
    f = x * c + gg * s;
    gg = gg * c - x * s;
    h = y * s;
    y *= c;
    cv[j - l] = c, sv[j - l] = s;  // columns j and i of V
    z = pythag(f, h);
    w[j] = z;
    if (z != 0) {
      z = 1 / z;
      c = f * z;
      s = h * z;
    }
    f = c * gg + s * y;
    x = c * y - s * gg;
    cu[j - l] = c, su[j - l] = s;  // columns j and i of U
  }
  rotateChain(vt, n, n, l, k - l, cv, sv);
  rotateChain(ut, m, m, l, k - l, cu, su);
  rv1[l] = 0;
  rv1[k] = f;
  w[k] = x;
}

Status Work::diagonalise(Poll poll, void* context) {
  for (int64_t k = n - 1; k >= 0; --k) {
    if (poll && !poll(context)) return Status::Stopped;
    for (int its = 1;; ++its) {
      // Find the block l ... k: rv1[l] negligible, or w[l - 1] negligible.
      // rv1[0] is always 0, which also ends the search for data whose norm
      // is not a number.
      bool cancelFirst = true;
      int64_t l = k;
      for (; l >= 0; --l) {
        if (l == 0 || std::fabs(rv1[l]) + anorm == anorm) {
          cancelFirst = false;
          break;
        }
        if (std::fabs(w[l - 1]) + anorm == anorm) break;
      }
      if (cancelFirst) cancel(l, k);
      if (l == k) {
        if (w[k] < 0) {  // singular values are made non-negative
          w[k] = -w[k];
          for (int64_t j = 0; j < n; ++j) vt[k * n + j] = -vt[k * n + j];
        }
        break;
      }
      if (its == 30) return Status::NoConvergence;
      qrStep(l, k);
    }
  }
  return Status::Done;
}

}  // namespace

Status decompose(double* ut, double* w, double* vt, int64_t m, int64_t n, Poll poll,
                 void* context) {
  std::unique_ptr<double, FreeDoubles> space(
      static_cast<double*>(std::malloc(static_cast<std::size_t>(7 * n + m) * sizeof(double))));
  if (!space) return Status::NoMemory;
  double* p = space.get();
  Work work{ut,
            w,
            vt,
            m,
            n,
            p,
            p + n,
            p + n + m,
            p + 2 * n + m,
            p + 3 * n + m,
            p + 4 * n + m,
            p + 5 * n + m,
            p + 6 * n + m};
  for (int64_t i = 0; i < n; ++i) {
    if (poll && !poll(context)) return Status::Stopped;
    work.rv1[i] = work.scale * work.g;
    work.leftHouseholder(i);
    w[i] = work.scale * work.g;
    work.rightHouseholder(i);
    work.anorm = std::max(work.anorm, std::fabs(w[i]) + std::fabs(work.rv1[i]));
  }
  work.accumulateRight();
  work.accumulateLeft();
  return work.diagonalise(poll, context);
}

Status svdcmp(double* a, double* w, double* v, int64_t m, int64_t n, Poll poll, void* context) {
  std::unique_ptr<double, FreeDoubles> ut(
      static_cast<double*>(std::malloc(static_cast<std::size_t>(m * n) * sizeof(double))));
  if (!ut) return Status::NoMemory;
  transpose(a, m, n, ut.get());
  const Status status = decompose(ut.get(), w, v, m, n, poll, context);
  transpose(ut.get(), n, m, a);
  transposeSquare(v, n);
  return status;
}

}  // namespace orv::svd
