// Tables, loading and unpacking of the Fourier transforms; the passes
// themselves are in butterfly.cpp.
#include "packages/fftmain.h"

#include <bit>
#include <cmath>
#include <new>
#include <numbers>

namespace orv::fft {

// ---------------------------------------------------------------------------
// Tables
// ---------------------------------------------------------------------------

// Fills the span S = entries / 2 from the angles up to π/4 (the rest follow
// by symmetry, which keeps cos(π/2) exactly 0), then every smaller span from
// every other entry of the next larger one.
bool Tables::growTwiddles(std::size_t entries) {
  std::unique_ptr<double[]> re(new (std::nothrow) double[entries]);
  std::unique_ptr<double[]> im(new (std::nothrow) double[entries]);
  if (!re || !im) return false;
  const std::size_t span = entries / 2;
  double* cr = re.get() + span;  // cos θ
  double* ci = im.get() + span;  // -sin θ
  for (std::size_t o = 0; o < span; ++o) {
    if (4 * o <= span) {
      const double theta = std::numbers::pi * static_cast<double>(o) / static_cast<double>(span);
      cr[o] = std::cos(theta);
      ci[o] = -std::sin(theta);
    } else if (2 * o <= span) {  // θ = π/2 - φ
      const std::size_t q = span / 2 - o;
      cr[o] = -ci[q];
      ci[o] = -cr[q];
    } else {  // θ = π - φ
      cr[o] = -cr[span - o];
      ci[o] = ci[span - o];
    }
  }
  for (std::size_t s = span / 2; s >= 1; s /= 2) {
    for (std::size_t o = 0; o < s; ++o) {
      re[s + o] = re[2 * s + 2 * o];
      im[s + o] = im[2 * s + 2 * o];
    }
  }
  re[0] = im[0] = 0;
  twr_ = std::move(re);
  twi_ = std::move(im);
  twiddles_ = entries;
  return true;
}

bool Tables::init(std::size_t n, bool real) {
  if (n < 2 || !isPowerOfTwo(n)) return false;
  const std::size_t entries = real ? 2 * n : n;
  if (twiddles_ < entries && !growTwiddles(entries)) return false;
  if (n_ == n) return true;
  n_ = 0;
  windowFor_ = 0;
  rev_.reset(new (std::nothrow) uint32_t[n]);
  if (!rev_) return false;
  rev_[0] = 0;
  for (std::size_t j = 1; j < n; ++j)
    rev_[j] = static_cast<uint32_t>((rev_[j >> 1] >> 1) | ((j & 1) ? n >> 1 : 0));
  n_ = n;
  return true;
}

// cw[i] = (1 + cos(-π + i·π/N)) / √1.5 for i = 0 ... 2N - 1, a raised cosine
// whose mean square is 1. Written as 2·sin²(i·π/2N) / √1.5, which is the same
// value without the cancellation near i = 0; the window is symmetric about N.
bool Tables::initWindow() {
  if (windowFor_ == n_) return true;
  const std::size_t points = 2 * n_;
  window_.reset(new (std::nothrow) double[points]);
  if (!window_) return false;
  const double norm = std::sqrt(1.5);
  for (std::size_t i = 0; i <= n_; ++i) {
    const double s =
        std::sin(std::numbers::pi * static_cast<double>(i) / static_cast<double>(points));
    window_[i] = 2 * s * s / norm;
    if (i > 0 && i < n_) window_[points - i] = window_[i];
  }
  windowFor_ = n_;
  return true;
}

// ---------------------------------------------------------------------------
// Loading in bit-reversed order
// ---------------------------------------------------------------------------

namespace {

// Entry j of x's pairs, times its window entries or the scale.
template <bool Windowed>
inline void pairAt(const double* x, const double* window, double scale, std::size_t j, double* r,
                   double* i) {
  if (Windowed) {
    *r = x[2 * j] * window[2 * j];
    *i = x[2 * j + 1] * window[2 * j + 1];
  } else {
    *r = x[2 * j] * scale;
    *i = x[2 * j + 1] * scale;
  }
}

// Puts pair j of x at position rev(j) of re and im. Done naively the writes
// go to places a power of two apart, which all fall into the same few cache
// sets; so the indices are split as (hi, mid, lo) with 3-bit hi and lo,
// rev(j) = (rev(lo), rev(mid), rev(hi)), and each mid moves an 8 x 8 tile:
// eight runs of eight pairs read, eight runs of eight values written.
template <bool Windowed>
void loadBitReversed(const Tables& t, const double* x, const double* window, double scale,
                     double* re, double* im) {
  const std::size_t n = t.size();
  const uint32_t* rev = t.bitReversal();
  if (n < 64) {
    for (std::size_t j = 0; j < n; ++j)
      pairAt<Windowed>(x, window, scale, j, &re[rev[j]], &im[rev[j]]);
    return;
  }
  static constexpr std::size_t kRev3[8] = {0, 4, 2, 6, 1, 5, 3, 7};
  const int shift = std::countr_zero(n) - 3;  // the place of hi
  for (std::size_t mid = 0; mid < n >> 6; ++mid) {
    const std::size_t midRev = rev[mid << 3];  // rev(mid), already in place
    double tr[8][8], ti[8][8];                 // [lo][rev(hi)]
    for (std::size_t hi = 0; hi < 8; ++hi) {
      const std::size_t first = (hi << shift) | (mid << 3);
      for (std::size_t lo = 0; lo < 8; ++lo)
        pairAt<Windowed>(x, window, scale, first | lo, &tr[lo][kRev3[hi]], &ti[lo][kRev3[hi]]);
    }
    for (std::size_t lo = 0; lo < 8; ++lo) {
      const std::size_t to = (kRev3[lo] << shift) | midRev;
      for (std::size_t k = 0; k < 8; ++k) {
        re[to + k] = tr[lo][k];
        im[to + k] = ti[lo][k];
      }
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Transforms
// ---------------------------------------------------------------------------

namespace {

// x, with a zero made +0: results show "0.00", never "-0.00", where the
// arithmetic left a signed zero. (The compiler keeps x + 0 as written.)
inline double plusZero(double x) { return x + 0.0; }

}  // namespace

void complexTransform(const Tables& t, double* rows, double* work, bool inverse) {
  const std::size_t n = t.size();
  double* re = work;
  double* im = work + n;
  // The inverse divides by N before the passes (N is a power of two, so the
  // product with 1/N is the same exact quotient).
  const double scale = inverse ? 1 / static_cast<double>(n) : 1;
  loadBitReversed<false>(t, rows, nullptr, scale, re, im);
  butterflies(t, re, im, inverse);
  for (std::size_t k = 0; k < n; ++k) {
    rows[2 * k] = plusZero(re[k]);
    rows[2 * k + 1] = plusZero(im[k]);
  }
}

namespace {

// Packs 2N reals (times the window, if any) as N complex values in
// bit-reversed order and runs the forward passes.
void packAndTransform(const Tables& t, const double* x, const double* window, double* re,
                      double* im) {
  if (window)
    loadBitReversed<true>(t, x, window, 1, re, im);
  else
    loadBitReversed<false>(t, x, nullptr, 1, re, im);
  butterflies(t, re, im, false);
}

// The transform of real data at the frequencies j and N - j: X[j] = (ar,
// ai), X[N - j] = (br, bi).
struct Pair {
  double ar, ai, br, bi;
};

// Separates the transforms of the even and the odd values (the unpacking of
// a real transform done as a complex one of half the size) at the
// frequencies j and N - j, 0 < j < N/2.
inline Pair separate(const Tables& t, const double* re, const double* im, std::size_t j) {
  const std::size_t n = t.size();
  const std::size_t m = n - j;
  const double h1r = (re[j] + re[m]) / 2, h1i = (im[j] - im[m]) / 2;
  const double h2r = (im[j] + im[m]) / 2, h2i = -(re[j] - re[m]) / 2;
  // Twiddle (cos θ, -sin θ) with θ = j·π/N: the table's span N.
  const double wr = t.twiddleRe()[n + j], wi = t.twiddleIm()[n + j];
  return {h1r + wr * h2r - wi * h2i, h1i + wr * h2i + wi * h2r,  //
          h1r - wr * h2r + wi * h2i, -h1i + wr * h2i + wi * h2r};
}

}  // namespace

void realTransform(const Tables& t, const double* x, double* out, double* work) {
  const std::size_t n = t.size();
  double* re = work;
  double* im = work + n;
  packAndTransform(t, x, nullptr, re, im);
  for (std::size_t j = 1; j < n / 2; ++j) {
    const Pair p = separate(t, re, im, j);
    out[2 * j] = plusZero(p.ar);
    out[2 * j + 1] = plusZero(p.ai);
    out[2 * (n - j)] = plusZero(p.br);
    out[2 * (n - j) + 1] = plusZero(p.bi);
  }
  out[n] = plusZero(re[n / 2]);
  out[n + 1] = plusZero(-im[n / 2]);  // the sign changes
  out[0] = plusZero(re[0] + im[0]);
  out[1] = 0;
  out[2 * n] = plusZero(re[0] - im[0]);
  out[2 * n + 1] = 0;
}

void powerSpectrum(const Tables& t, const double* x, double* out, double* work) {
  const std::size_t n = t.size();
  double* re = work;
  double* im = work + n;
  packAndTransform(t, x, t.window(), re, im);
  // S = 2N² is a power of two: dividing by it is exact scaling.
  const double s = 2 * static_cast<double>(n) * static_cast<double>(n);
  for (std::size_t j = 1; j < n / 2; ++j) {
    const Pair p = separate(t, re, im, j);
    out[j] = (p.ar * p.ar + p.ai * p.ai) / s;
    out[n - j] = (p.br * p.br + p.bi * p.bi) / s;
  }
  out[n / 2] = (re[n / 2] * re[n / 2] + im[n / 2] * im[n / 2]) / s;
  const double first = re[0] + im[0], last = re[0] - im[0];
  out[0] = first * first / (2 * s);
  out[n] = last * last / (2 * s);
}

}  // namespace orv::fft
