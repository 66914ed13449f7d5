// The numeric side of the Fourier transforms, on plain arrays: the cached
// tables, the radix-2 complex transform, the real transform and the windowed
// power spectrum. The worksheet functions (packages/fft.cpp) and the tests
// and benchmarks call these directly.
//
// Complex data are rows (re, im) of doubles, interleaved. The transforms use
// a work area of 2N doubles that the caller provides, so that a transform
// allocates nothing of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orv::fft {

// True when n is a power of two (n >= 1).
inline bool isPowerOfTwo(std::size_t n) { return n && !(n & (n - 1)); }

// Tables for transforms of one size N, kept between calls. The twiddles of
// the pass with span s are the entries s ... 2s-1 of one table: entry s + o
// holds (cos θ, -sin θ) with θ = o·π/s. They do not depend on N, so the table
// only grows; the bit-reversal table and the window belong to the current N.
class Tables {
 public:
  // Makes the tables for complex transforms of size n (a power of two >= 2);
  // [real] also makes the separation twiddles of a real transform of 2n
  // values. False when memory runs out (the tables are then empty).
  bool init(std::size_t n, bool real);
  // Makes the raised-cosine window over 2N points (after init). False when
  // memory runs out.
  bool initWindow();

  std::size_t size() const { return n_; }
  const uint32_t* bitReversal() const { return rev_.get(); }
  // Twiddles: entry s + o for the span s, offset o; see above.
  const double* twiddleRe() const { return twr_.get(); }
  const double* twiddleIm() const { return twi_.get(); }
  const double* window() const { return window_.get(); }

 private:
  bool growTwiddles(std::size_t entries);
  std::size_t n_ = 0;
  std::size_t twiddles_ = 0;  // entries in twr_, twi_ (a power of two)
  std::size_t windowFor_ = 0;
  std::unique_ptr<uint32_t[]> rev_;
  std::unique_ptr<double[]> twr_, twi_;
  std::unique_ptr<double[]> window_;
};

// The complex transform of N = t.size() rows, in place in [rows] (2N
// doubles); [work] holds 2N doubles. Forward: X[k] = Σ x[j]·e^(-2πi·jk/N),
// unscaled; inverse: the conjugate twiddles and the factor 1/N.
void complexTransform(const Tables& t, double* rows, double* work, bool inverse);

// The forward transform of 2N real values x (N = t.size(), tables made with
// real = true) into N + 1 rows (re, im) for the frequencies 0 ... N; out
// holds 2N + 2 doubles, work 2N. x and out may be the same block.
void realTransform(const Tables& t, const double* x, double* out, double* work);

// The one-sided power spectrum of the 2N values x multiplied by the window
// (after initWindow): N + 1 values into out; work holds 2N doubles. The
// values add up to the mean square of the windowed data. x and out may be
// the same block.
void powerSpectrum(const Tables& t, const double* x, double* out, double* work);

// The passes of the transform on separate real and imaginary parts, loaded
// in bit-reversed order (packages/butterfly.cpp).
void butterflies(const Tables& t, double* re, double* im, bool inverse);

}  // namespace orv::fft
