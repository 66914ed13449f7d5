// The passes of the radix-2 decimation-in-time transform. The pass with span
// s combines the points p and p + s of every group of 2s points with the
// butterfly t = w·a[p + s]; a[p + s] = a[p] - t; a[p] = a[p] + t.
//
// The arithmetic of every butterfly is exactly that, but the order of work is
// arranged for the memory: the passes with small spans run block by block
// while a block sits in the cache, and two passes at a time go over the
// points (four points in registers), which halves the sweeps over the data.
// Real and imaginary parts are separate arrays, so the loops along a group
// run on contiguous doubles and vectorise.
#include <algorithm>

#include "packages/fftmain.h"

namespace orv::fft {
namespace {

// Blocks of points whose passes with smaller spans run together while the
// block stays in a cache: 2 x 16 KiB (first level), 2 x 512 KiB (second).
constexpr std::size_t kBlocks[] = {2048, 65536};

// t = w·q (the conjugate of w for the inverse); q = p - t; p = p + t.
template <bool Inverse>
inline void butterfly(double& pr, double& pi, double& qr, double& qi, double wr, double wi) {
  const double tr = Inverse ? wr * qr + wi * qi : wr * qr - wi * qi;
  const double ti = Inverse ? wr * qi - wi * qr : wr * qi + wi * qr;
  qr = pr - tr;
  qi = pi - ti;
  pr += tr;
  pi += ti;
}

// The passes with spans 1 and 2 over four points at a time. Their twiddles
// are the table's exact 1 and -i, so the products are written out.
template <bool Inverse>
void firstTwoPasses(double* re, double* im, std::size_t begin, std::size_t end) {
  for (std::size_t g = begin; g < end; g += 4) {
    const double a0r = re[g] + re[g + 1], a0i = im[g] + im[g + 1];
    const double a1r = re[g] - re[g + 1], a1i = im[g] - im[g + 1];
    const double a2r = re[g + 2] + re[g + 3], a2i = im[g + 2] + im[g + 3];
    const double a3r = re[g + 2] - re[g + 3], a3i = im[g + 2] - im[g + 3];
    // t = -i·a3 forward, +i·a3 inverse.
    const double tr = Inverse ? -a3i : a3i;
    const double ti = Inverse ? a3r : -a3r;
    re[g] = a0r + a2r;
    im[g] = a0i + a2i;
    re[g + 2] = a0r - a2r;
    im[g + 2] = a0i - a2i;
    re[g + 1] = a1r + tr;
    im[g + 1] = a1i + ti;
    re[g + 3] = a1r - tr;
    im[g + 3] = a1i - ti;
  }
}

// The passes with spans s and 2s on one group of 4s points, given as four
// runs of s points each (p0 ... p3), the twiddles of the span s (w1) and of
// the span 2s (w2 for the first half, w3 for the second).
template <bool Inverse>
void fourRuns(double* __restrict r0, double* __restrict i0, double* __restrict r1,
              double* __restrict i1, double* __restrict r2, double* __restrict i2,
              double* __restrict r3, double* __restrict i3, const double* __restrict w1r,
              const double* __restrict w1i, const double* __restrict w2r,
              const double* __restrict w2i, const double* __restrict w3r,
              const double* __restrict w3i, std::size_t s) {
  for (std::size_t o = 0; o < s; ++o) {
    double a0r = r0[o], a0i = i0[o], a1r = r1[o], a1i = i1[o];
    double a2r = r2[o], a2i = i2[o], a3r = r3[o], a3i = i3[o];
    butterfly<Inverse>(a0r, a0i, a1r, a1i, w1r[o], w1i[o]);
    butterfly<Inverse>(a2r, a2i, a3r, a3i, w1r[o], w1i[o]);
    butterfly<Inverse>(a0r, a0i, a2r, a2i, w2r[o], w2i[o]);
    butterfly<Inverse>(a1r, a1i, a3r, a3i, w3r[o], w3i[o]);
    r0[o] = a0r, i0[o] = a0i, r1[o] = a1r, i1[o] = a1i;
    r2[o] = a2r, i2[o] = a2i, r3[o] = a3r, i3[o] = a3i;
  }
}

// The passes with spans s and 2s over [begin, end), a multiple of 4s long.
template <bool Inverse>
void twoPasses(double* re, double* im, std::size_t begin, std::size_t end, std::size_t s,
               const double* twr, const double* twi) {
  for (std::size_t g = begin; g < end; g += 4 * s) {
    double* r = re + g;
    double* i = im + g;
    fourRuns<Inverse>(r, i, r + s, i + s, r + 2 * s, i + 2 * s, r + 3 * s, i + 3 * s, twr + s,
                      twi + s, twr + 2 * s, twi + 2 * s, twr + 3 * s, twi + 3 * s, s);
  }
}

// The pass with span s on one group of 2s points, as two runs of s points.
template <bool Inverse>
void twoRuns(double* __restrict r0, double* __restrict i0, double* __restrict r1,
             double* __restrict i1, const double* __restrict wr, const double* __restrict wi,
             std::size_t s) {
  for (std::size_t o = 0; o < s; ++o) {
    double a0r = r0[o], a0i = i0[o], a1r = r1[o], a1i = i1[o];
    butterfly<Inverse>(a0r, a0i, a1r, a1i, wr[o], wi[o]);
    r0[o] = a0r, i0[o] = a0i, r1[o] = a1r, i1[o] = a1i;
  }
}

// The pass with span s over [begin, end), a multiple of 2s long.
template <bool Inverse>
void onePass(double* re, double* im, std::size_t begin, std::size_t end, std::size_t s,
             const double* twr, const double* twi) {
  for (std::size_t g = begin; g < end; g += 2 * s)
    twoRuns<Inverse>(re + g, im + g, re + g + s, im + g + s, twr + s, twi + s, s);
}

// The passes with spans from, 2·from, ... below to, over [begin, end).
template <bool Inverse>
void passes(const Tables& t, double* re, double* im, std::size_t begin, std::size_t end,
            std::size_t from, std::size_t to) {
  std::size_t s = from;
  if (s == 1 && to >= 4) {
    firstTwoPasses<Inverse>(re, im, begin, end);
    s = 4;
  }
  for (; 4 * s <= to; s *= 4)
    twoPasses<Inverse>(re, im, begin, end, s, t.twiddleRe(), t.twiddleIm());
  if (s < to) onePass<Inverse>(re, im, begin, end, s, t.twiddleRe(), t.twiddleIm());
}

template <bool Inverse>
void allPasses(const Tables& t, double* re, double* im) {
  const std::size_t n = t.size();
  std::size_t from = 1;
  for (std::size_t block : kBlocks) {
    if (block >= n) break;
    for (std::size_t b = 0; b < n; b += block)
      passes<Inverse>(t, re, im, b, b + block, from, block);
    from = block;
  }
  passes<Inverse>(t, re, im, 0, n, from, n);
}

}  // namespace

void butterflies(const Tables& t, double* re, double* im, bool inverse) {
  if (inverse)
    allPasses<true>(t, re, im);
  else
    allPasses<false>(t, re, im);
}

}  // namespace orv::fft
