// Singular value decomposition on plain arrays (the Golub-Reinsch method:
// Householder bidiagonalisation, then implicitly shifted QR steps), used by
// SVD, solve and invert (packages/svd.cpp), the tests and the benchmarks.
//
// The work runs on the transposed factors: the columns of U and V are rows
// of contiguous doubles, so every Householder update and every rotation
// walks memory in order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv::svd {

enum class Status { Done, NoConvergence, Stopped, NoMemory };

// Called before each column of the reduction and each singular value of the
// diagonalisation; returns false to stop the decomposition.
using Poll = bool (*)(void* context);

// Decomposes A = U·diag(w)·Vᵀ, m >= n >= 1. [ut] holds Aᵀ (n rows of m
// values) and becomes Uᵀ; [vt] (n·n) receives Vᵀ; [w] (n) the singular
// values, not sorted. [poll] may be null.
Status decompose(double* ut, double* w, double* vt, int64_t m, int64_t n, Poll poll = nullptr,
                 void* context = nullptr);

// The same on the row-major m x n matrix [a], which becomes U; [v] (n·n,
// row-major) receives V. Needs room for a transposed copy of a.
Status svdcmp(double* a, double* w, double* v, int64_t m, int64_t n, Poll poll = nullptr,
              void* context = nullptr);

// dst (cols x rows) = the transpose of src (rows x cols).
void transpose(const double* src, int64_t rows, int64_t cols, double* dst);

// Transposes the n x n matrix [a] in place.
void transposeSquare(double* a, int64_t n);

// √(a² + b²) without needless overflow or underflow.
double pythag(double a, double b);

}  // namespace orv::svd
