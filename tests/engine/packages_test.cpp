// The package functions: Fourier transforms against a direct DFT, the SVD
// against its defining properties, solve and invert, math library domain
// errors, linfit and histogram edge cases, and how the
// functions take their arguments and store their results in a run.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>

#include "packages/fftmain.h"
#include "packages/registry.h"
#include "packages/svdcmp.h"
#include "worksheet.h"

namespace orv::test {
namespace {

using Complex = std::complex<long double>;

std::vector<double> randomValues(std::size_t n, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> dist(-1, 1);
  std::vector<double> v(n);
  for (double& x : v) x = dist(gen);
  return v;
}

// X[k] = Σ x[j]·e^(-2πi·jk/n) in long double, the angle reduced exactly.
std::vector<Complex> dft(const std::vector<Complex>& x) {
  const std::size_t n = x.size();
  std::vector<Complex> out(n);
  for (std::size_t k = 0; k < n; ++k)
    for (std::size_t j = 0; j < n; ++j) {
      const long double a = -2 * std::numbers::pi_v<long double> * ((j * k) % n) / n;
      out[k] += x[j] * Complex(std::cos(a), std::sin(a));
    }
  return out;
}

// A worksheet run with every add-on function enabled, whose engine stays
// alive so that the variables the packages stored can be read afterwards.
class Live : public Worksheet {
 public:
  explicit Live(const std::string& sheet) {
    enableAddOns();
    SheetResult r = run(sheet);
    outcome = r.outcome;
    text = r.text;
  }
  // The value of a scalar variable; NaN when it has none.
  double value(const char* name) {
    double v = NAN;
    runOnLargeStack([&] {
      engine.stop = 0;  // the end of a run leaves it set
      if (!engine.GetVarVal(name, &v)) v = NAN;
    });
    return v;
  }
  // The block of a stored array, with its shape (cols 0 for a vector).
  std::vector<double> array(const char* name, int64_t* rows = nullptr, int64_t* cols = nullptr) {
    std::vector<double> out;
    runOnLargeStack([&] {
      int64_t r = 0, c = 0;
      ExprNode* var = engine.MakeVarExpr(name);
      if (double* block = engine.copyfold(var, &r, &c)) {
        out.assign(block, block + (c ? r * c : r));
        std::free(block);
      }
      engine.FreeExpr(var);
      if (rows) *rows = r;
      if (cols) *cols = c;
    });
    return out;
  }
  Engine& engine = Worksheet::engine();
  RunOutcome outcome;
  std::string text;
};

// A worksheet list of the numbers, {a,b,...}, exact to the last bit.
std::string list(const std::vector<double>& v) {
  char num[40];
  std::string s = "{";
  for (std::size_t i = 0; i < v.size(); ++i) {
    std::snprintf(num, sizeof num, "%s%.17g", i ? "," : "", v[i]);
    s += num;
  }
  return s + "}";
}

// ===========================================================================
// Fourier transforms
// ===========================================================================

TEST(PackagesFft, ComplexTransformMatchesDirectDftInBothDirections) {
  fft::Tables t;
  for (std::size_t n = 4; n <= 1024; n *= 2) {
    ASSERT_TRUE(t.init(n, false));
    std::vector<double> rows = randomValues(2 * n, static_cast<unsigned>(n)), work(2 * n);
    std::vector<Complex> x(n);
    for (std::size_t j = 0; j < n; ++j) x[j] = Complex(rows[2 * j], rows[2 * j + 1]);
    const std::vector<Complex> want = dft(x);
    std::vector<double> fwd = rows;
    fft::complexTransform(t, fwd.data(), work.data(), false);
    std::vector<double> inv = rows;
    fft::complexTransform(t, inv.data(), work.data(), true);
    const double tol = 1e-14 * std::sqrt(static_cast<double>(n)) * std::log2(n);
    for (std::size_t k = 0; k < n; ++k) {
      EXPECT_NEAR(fwd[2 * k], static_cast<double>(want[k].real()), tol) << n << " " << k;
      EXPECT_NEAR(fwd[2 * k + 1], static_cast<double>(want[k].imag()), tol) << n << " " << k;
      // The inverse is the conjugate twiddles with 1/n: X[-k] / n.
      const Complex back = want[(n - k) % n] / static_cast<long double>(n);
      EXPECT_NEAR(inv[2 * k], static_cast<double>(back.real()), tol / n) << n << " " << k;
      EXPECT_NEAR(inv[2 * k + 1], static_cast<double>(back.imag()), tol / n) << n << " " << k;
    }
  }
}

// Sizes past the blocks that the passes run in cache: some bins of each.
TEST(PackagesFft, LargeTransformsMatchDirectSumsAtSampleBins) {
  fft::Tables t;
  for (std::size_t n : {std::size_t(4096), std::size_t(1) << 17}) {
    ASSERT_TRUE(t.init(n, false));
    std::vector<double> rows = randomValues(2 * n, 3), work(2 * n);
    const std::vector<double> x = rows;
    fft::complexTransform(t, rows.data(), work.data(), false);
    for (std::size_t k :
         {std::size_t(0), std::size_t(1), std::size_t(777), n / 2 - 1, n / 2, n / 2 + 3, n - 1}) {
      Complex sum = 0;
      for (std::size_t j = 0; j < n; ++j) {
        const long double a = -2 * std::numbers::pi_v<long double> * ((j * k) % n) / n;
        sum += Complex(x[2 * j], x[2 * j + 1]) * Complex(std::cos(a), std::sin(a));
      }
      EXPECT_NEAR(rows[2 * k], static_cast<double>(sum.real()), 1e-11) << n << " " << k;
      EXPECT_NEAR(rows[2 * k + 1], static_cast<double>(sum.imag()), 1e-11) << n << " " << k;
    }
  }
}

TEST(PackagesFft, InverseOfForwardGivesTheDataBackUpTo65536Points) {
  fft::Tables t;
  for (std::size_t n = 4; n <= 65536; n *= 2) {
    ASSERT_TRUE(t.init(n, false));
    const std::vector<double> x = randomValues(2 * n, 7);
    std::vector<double> rows = x, work(2 * n);
    fft::complexTransform(t, rows.data(), work.data(), false);
    fft::complexTransform(t, rows.data(), work.data(), true);
    double worst = 0;
    for (std::size_t i = 0; i < 2 * n; ++i) worst = std::max(worst, std::fabs(rows[i] - x[i]));
    EXPECT_LT(worst, 1e-12) << n;
  }
}

TEST(PackagesFft, RealTransformMatchesDirectDftAndEndsAreReal) {
  fft::Tables t;
  for (std::size_t n = 4; n <= 1024; n *= 2) {
    ASSERT_TRUE(t.init(n / 2, true));
    const std::vector<double> x = randomValues(n, static_cast<unsigned>(n) + 1);
    std::vector<double> out(n + 2, 99), work(n);
    fft::realTransform(t, x.data(), out.data(), work.data());
    const std::vector<Complex> want = dft(std::vector<Complex>(x.begin(), x.end()));
    const double tol = 1e-14 * std::sqrt(static_cast<double>(n)) * std::log2(n);
    for (std::size_t k = 0; k <= n / 2; ++k) {
      EXPECT_NEAR(out[2 * k], static_cast<double>(want[k].real()), tol) << n << " " << k;
      EXPECT_NEAR(out[2 * k + 1], static_cast<double>(want[k].imag()), tol) << n << " " << k;
    }
    EXPECT_EQ(out[1], 0.0);
    EXPECT_EQ(out[n + 1], 0.0);
  }
}

// Sum of P = mean square of the windowed data (Parseval); with the window's
// mean square 1, a sine of amplitude 1 on a bin has power 1/2 around that bin.
TEST(PackagesFft, PowerSpectrumOfSineAndConstant) {
  const std::size_t n = 256;
  fft::Tables t;
  ASSERT_TRUE(t.init(n / 2, true));
  ASSERT_TRUE(t.initWindow());
  const double* window = t.window();
  std::vector<double> x(n), p(n / 2 + 1), work(n);
  for (std::size_t i = 0; i < n; ++i) x[i] = std::sin(2 * std::numbers::pi * 20 * i / n);
  fft::powerSpectrum(t, x.data(), p.data(), work.data());
  double total = 0, meanSquare = 0;
  for (double v : p) total += v;
  for (std::size_t i = 0; i < n; ++i) meanSquare += x[i] * window[i] * x[i] * window[i] / n;
  EXPECT_NEAR(total, meanSquare, 1e-14);
  EXPECT_NEAR(p[19] + p[20] + p[21], 0.5, 1e-14);
  EXPECT_NEAR(p[19], p[21], 1e-15);
  for (std::size_t k = 0; k <= n / 2; ++k)
    if (k < 19 || k > 21) {
      EXPECT_LT(p[k], 1e-28) << k;
    }

  std::fill(x.begin(), x.end(), 3.0);
  fft::powerSpectrum(t, x.data(), p.data(), work.data());
  EXPECT_NEAR(p[0] + p[1], 9.0, 1e-13);  // the window's mean square is 1
  EXPECT_NEAR(p[0], 6.0, 1e-13);         // (3·mean(window))² = 9·(2/3)
  for (std::size_t k = 2; k <= n / 2; ++k) EXPECT_LT(p[k], 1e-28) << k;
}

// The cached tables follow the size and direction of each call.
TEST(PackagesFft, TablesFollowSizeAndDirectionFromCallToCall) {
  Live r(
      "fft({{1,0},{0,0},{0,0},{0,0}})\na := transform\n"
      "fft({{0,0},{1,0},{0,0},{0,0},{0,0},{0,0},{0,0},{0,0}})\nb := transform\n"
      "invfft({{4,0},{0,0},{0,0},{0,0}})\nc := transform\n"
      "rfft({0,1,0,0})\nd := transform\n");
  ASSERT_TRUE(r.outcome.ok) << r.outcome.status;
  int64_t rows, cols;
  EXPECT_EQ(r.array("a", &rows, &cols), std::vector<double>({1, 0, 1, 0, 1, 0, 1, 0}));
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(cols, 2);
  // A delay of one: X[k] = e^(-2πik/8).
  std::vector<double> b = r.array("b");
  ASSERT_EQ(b.size(), 16u);
  for (int k = 0; k < 8; ++k) {
    EXPECT_NEAR(b[2 * k], std::cos(2 * std::numbers::pi * k / 8), 1e-15);
    EXPECT_NEAR(b[2 * k + 1], -std::sin(2 * std::numbers::pi * k / 8), 1e-15);
  }
  EXPECT_EQ(r.array("c"), std::vector<double>({1, 0, 1, 0, 1, 0, 1, 0}));
  std::vector<double> d = r.array("d", &rows, &cols);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(cols, 2);
  ASSERT_EQ(d.size(), 6u);
  EXPECT_NEAR(d[0], 1, 1e-15);
  EXPECT_NEAR(d[2], 0, 1e-15);
  EXPECT_NEAR(d[3], -1, 1e-15);
  EXPECT_NEAR(d[4], -1, 1e-15);
  EXPECT_EQ(d[5], 0);
}

TEST(PackagesFft, WorksheetResultsAreTheKernels) {
  Live r(
      "c[i, j] = sin(i * 3.7 + j * 1.3) dim[64, 2]\nm := c\nfft(m)\nf := transform\n"
      "r[i] = cos(i * i) dim[64]\nv := r\npwrspec(v)\np := transform\nrfft(v)\n");
  ASSERT_TRUE(r.outcome.ok) << r.outcome.status;
  std::vector<double> m = r.array("m"), v = r.array("v"), work(128), out(66), power(33);
  fft::Tables t;
  ASSERT_TRUE(t.init(64, false));
  fft::complexTransform(t, m.data(), work.data(), false);
  EXPECT_EQ(r.array("f"), m);
  ASSERT_TRUE(t.init(32, true) && t.initWindow());
  fft::realTransform(t, v.data(), out.data(), work.data());
  EXPECT_EQ(r.array("transform"), out);
  fft::powerSpectrum(t, v.data(), power.data(), work.data());
  int64_t rows, cols;
  EXPECT_EQ(r.array("p", &rows, &cols), power);
  EXPECT_EQ(rows, 33);
  EXPECT_EQ(cols, 0);
}

// ===========================================================================
// SVD, solve, invert
// ===========================================================================

// A = U·diag(w)·Vᵀ with orthonormal columns of U and V, w >= 0.
void expectDecomposition(const std::vector<double>& a, int64_t m, int64_t n, unsigned seed) {
  std::vector<double> u = a, w(static_cast<std::size_t>(n)), v(static_cast<std::size_t>(n * n));
  ASSERT_EQ(svd::svdcmp(u.data(), w.data(), v.data(), m, n), svd::Status::Done) << m << "x" << n;
  double norm = 0;
  for (double x : a) norm = std::max(norm, std::fabs(x));
  for (int64_t i = 0; i < m; ++i)
    for (int64_t j = 0; j < n; ++j) {
      double s = 0;
      for (int64_t k = 0; k < n; ++k) s += u[i * n + k] * w[k] * v[j * n + k];
      EXPECT_NEAR(s, a[i * n + j], 1e-12 * (norm + 1)) << m << "x" << n << " seed " << seed;
    }
  for (int64_t p = 0; p < n; ++p) {
    EXPECT_GE(w[p], 0);
    for (int64_t q = 0; q < n; ++q) {
      double uu = 0, vv = 0;
      for (int64_t i = 0; i < m; ++i) uu += u[i * n + p] * u[i * n + q];
      for (int64_t i = 0; i < n; ++i) vv += v[i * n + p] * v[i * n + q];
      const double id = p == q ? 1 : 0;
      // A zero singular value may leave its column of U zero.
      if (w[p] != 0 && w[q] != 0) {
        EXPECT_NEAR(uu, id, 1e-12) << m << "x" << n << " " << p << q;
      }
      EXPECT_NEAR(vv, id, 1e-12) << m << "x" << n << " " << p << q;
    }
  }
}

TEST(PackagesSvd, ReconstructsWithOrthonormalFactors) {
  const std::vector<std::pair<int64_t, int64_t>> shapes = {{1, 1}, {2, 1},   {2, 2},  {3, 2},
                                                           {7, 7}, {40, 13}, {60, 60}};
  unsigned seed = 1;
  for (auto [m, n] : shapes) {
    ++seed;
    expectDecomposition(randomValues(m * n, seed), m, n, seed);
  }
  // Rank-deficient: two equal columns, and a zero matrix.
  std::vector<double> a = randomValues(30, 5);
  for (int i = 0; i < 10; ++i) a[i * 3 + 2] = a[i * 3];
  expectDecomposition(a, 10, 3, 5);
  expectDecomposition(std::vector<double>(12, 0.0), 4, 3, 0);
  // Widely graded scales.
  std::vector<double> g = randomValues(25, 9);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) g[i * 5 + j] *= std::pow(1e-6, i);
  expectDecomposition(g, 5, 5, 9);
}

TEST(PackagesSvd, NonFiniteDataEndsWithoutConvergenceInsteadOfRunningAway) {
  std::vector<double> a = {1, 2, 3, NAN, 5, 6}, w(2), v(4);
  EXPECT_EQ(svd::svdcmp(a.data(), w.data(), v.data(), 3, 2), svd::Status::NoConvergence);
  Live r("SVD({{1,2},{3,0/0},{5,6}})\n");
  EXPECT_EQ(r.outcome.status, " SVD did not converge after 30 iterations");
}

TEST(PackagesSvd, StopEndsTheDecomposition) {
  int polls = 0;
  auto stopAtThird = [](void* c) { return ++*static_cast<int*>(c) < 3; };
  std::vector<double> a = randomValues(100, 3), w(10), v(100);
  EXPECT_EQ(svd::svdcmp(a.data(), w.data(), v.data(), 10, 10, stopAtThird, &polls),
            svd::Status::Stopped);
  EXPECT_EQ(polls, 3);
}

TEST(PackagesSvd, WorksheetStoresFactorsOfTheShapesGiven) {
  Live r("SVD({{1,2},{3,4},{5,6}})\n");
  ASSERT_TRUE(r.outcome.ok) << r.outcome.status;
  int64_t rows, cols;
  r.array("_U", &rows, &cols);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(cols, 2);
  r.array("_V", &rows, &cols);
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(cols, 2);
  std::vector<double> w = r.array("_W", &rows, &cols);
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(cols, 0);
  std::sort(w.begin(), w.end());
  // √ of the eigenvalues of AᵀA = {{35,44},{44,56}}: (91 ± √8185) / 2.
  const double big = (91 + std::sqrt(8185.0)) / 2;
  EXPECT_NEAR(w[1], std::sqrt(big), 1e-14);
  EXPECT_NEAR(w[0], std::sqrt(24 / big), 1e-14);
  EXPECT_EQ(r.text, "SVD({{1,2},{3,4},{5,6}}):\n");
}

TEST(PackagesSolve, LeastSquaresMatchesNormalEquations) {
  // Fit y = c0 + c1·t + c2·t² to 20 noisy points.
  std::vector<double> a, b;
  std::vector<double> noise = randomValues(20, 4);
  for (int i = 0; i < 20; ++i) {
    const double t = i * 0.25;
    a.insert(a.end(), {1, t, t * t});
    b.push_back(2 - t + 0.5 * t * t + 0.1 * noise[i]);
  }
  Live s("A = " + list(a) + "\nM[i, j] = A[3 * (i - 1) + j] dim[20, 3]\nz := solve(M, " + list(b) +
         ")\n");
  ASSERT_TRUE(s.outcome.ok) << s.outcome.status;
  EXPECT_EQ(s.value("z"), 0);
  std::vector<double> x = s.array("_X");
  ASSERT_EQ(x.size(), 3u);
  // Normal equations AᵀA·x = Aᵀb by Cramer's rule on the 3 x 3 system.
  double g[3][3] = {}, h[3] = {};
  for (int i = 0; i < 20; ++i)
    for (int p = 0; p < 3; ++p) {
      h[p] += a[i * 3 + p] * b[i];
      for (int q = 0; q < 3; ++q) g[p][q] += a[i * 3 + p] * a[i * 3 + q];
    }
  auto det = [](double m[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  };
  const double d = det(g);
  for (int c = 0; c < 3; ++c) {
    double gc[3][3];
    for (int p = 0; p < 3; ++p)
      for (int q = 0; q < 3; ++q) gc[p][q] = q == c ? h[p] : g[p][q];
    EXPECT_NEAR(x[c], det(gc) / d, 1e-11) << c;
  }
}

TEST(PackagesSolve, RankDeficientGivesMinimumNormAndCountsZeroedValues) {
  // Columns equal: x1 + x2 = 3 in the least-squares sense; least norm has
  // x1 = x2.
  Live r("z := solve({{1,1},{1,1},{2,2}}, {3,3,6})\n");
  ASSERT_TRUE(r.outcome.ok) << r.outcome.status;
  EXPECT_EQ(r.value("z"), 1);
  std::vector<double> x = r.array("_X");
  ASSERT_EQ(x.size(), 2u);
  EXPECT_NEAR(x[0], 1.5, 1e-14);
  EXPECT_NEAR(x[1], 1.5, 1e-14);
  // Square and regular.
  Live s("z := solve({{2,1},{1,3}}, {3,5})\n");
  EXPECT_EQ(s.value("z"), 0);
  x = s.array("_X");
  EXPECT_NEAR(x[0], 0.8, 1e-15);
  EXPECT_NEAR(x[1], 1.4, 1e-15);
}

TEST(PackagesInvert, InverseAndPseudoInverse) {
  std::vector<double> a = randomValues(36, 11);
  Live s("A = " + list(a) + "\nM[i, j] = A[6 * (i - 1) + j] dim[6, 6]\nz := invert(M)\n");
  ASSERT_TRUE(s.outcome.ok) << s.outcome.status;
  EXPECT_EQ(s.value("z"), 0);
  std::vector<double> inv = s.array("_Inv");
  ASSERT_EQ(inv.size(), 36u);
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j) {
      double p = 0;
      for (int k = 0; k < 6; ++k) p += a[i * 6 + k] * inv[k * 6 + j];
      EXPECT_NEAR(p, i == j ? 1 : 0, 1e-12) << i << j;
    }
  // Singular, rank 1: the pseudo-inverse of A is Aᵀ / |A|² = Aᵀ / 25.
  Live t("z := invert({{1,2},{2,4}})\n");
  EXPECT_EQ(t.value("z"), 1);
  std::vector<double> pinv = t.array("_Inv");
  ASSERT_EQ(pinv.size(), 4u);
  const double want[] = {1, 2, 2, 4};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(pinv[k], want[k] / 25, 1e-15);
}

// solve's A is argument 1 and B argument 0; each message names its side.
TEST(PackagesSolve, ArgumentsAreCheckedInTheirOwnOrder) {
  EXPECT_EQ(Live("solve({1,2,3}, {{1,0},{0,1},{1,1}})\n").outcome.status,
            " solve(?,\xC9) array size?");
  EXPECT_EQ(Live("solve({{1,0},{0,1},{1,1}}, {1,2})\n").outcome.status, " solve( ,?) vector size?");
  EXPECT_EQ(Live("solve({{1,0},{0,1},{1,1}}, 3)\n").outcome.status, " solve( ,?) vector size?");
  EXPECT_EQ(Live("solve({{1,2,3}}, {1})\n").outcome.status, " solve(?,\xC9) array size?");
}

// ===========================================================================
// Math library
// ===========================================================================

// Two-argument functions evaluate argument 1 first and argument 0 only
// when it is known, so the first unknown is the one named.
TEST(PackagesMathlib, DomainErrorsAreKnownValuesAndUnknownArgumentsUnknown) {
  Live r(
      "acosh(0.5)=\nbessely0(0)=\nfmod(1, 0)=\ntgamma(-1)=\nfmod(u, y)=\nbesseljn(n, x)=\n"
      "besseljn(0/0, 1)=\n");
  EXPECT_TRUE(r.outcome.ok);
  EXPECT_EQ(r.text,
            "acosh(0.5):NAN04\nbessely0(0):-inf\nfmod(1, 0):NAN04\ntgamma(-1):NAN04\n"
            "fmod(u, y):? u?\nbesseljn(n, x):? n?\nbesseljn(0/0, 1):NAN04\n");
}

TEST(PackagesMathlib, AppliesElementByElementToArrays) {
  Live r(
      "a := cosh({0, 1, 2})\nb := fmod({7, 8, 9}, 4)\nc[i] = besseljn(i - 1, 2) dim[3]\nd := c\n");
  ASSERT_TRUE(r.outcome.ok) << r.outcome.status;
  EXPECT_EQ(r.array("a"), std::vector<double>({1, std::cosh(1.0), std::cosh(2.0)}));
  EXPECT_EQ(r.array("b"), std::vector<double>({3, 0, 1}));
  EXPECT_EQ(r.array("d"), std::vector<double>({::j0(2), ::j1(2), ::jn(2, 2)}));
}

// ===========================================================================
// linfit and histogram
// ===========================================================================

TEST(PackagesLinfit, SkipsUnusablePointsAndTakesStoredMatrices) {
  Live r(
      "r1 := linfit({{0,1},{1,3},{q,7},{2,0/0},{2,5}})\n"
      "p[i, j] = (i when j == 1, 3 * i - 2) dim[50, 2]\nm := p\nr2 := linfit(m)\ns2 := slope\n");
  ASSERT_TRUE(r.outcome.ok) << r.outcome.status;
  EXPECT_EQ(r.value("r1"), 1);
  EXPECT_EQ(r.value("s2"), 3);
  EXPECT_EQ(r.value("intercept"), -2);
  EXPECT_NEAR(r.value("r2"), 1, 1e-15);
}

TEST(PackagesLinfit, DegenerateDataGivesNonFiniteValuesWithoutMessage) {
  Live r("r1 := linfit({{1,1},{1,2}})\ns1 := slope\nr2 := linfit({{u,1},{v,2}})\n");
  ASSERT_TRUE(r.outcome.ok) << r.outcome.status;
  EXPECT_TRUE(std::isnan(r.value("r1")));
  EXPECT_FALSE(std::isfinite(r.value("s1")));
  EXPECT_TRUE(std::isnan(r.value("r2")));
}

TEST(PackagesLinfit, RejectsWhatIsNotAListOfPairs) {
  for (const char* arg : {"{{1,2}}", "{1,2,3}", "5", "{{1,2,3},{4,5,6}}", "u"})
    EXPECT_EQ(Live(std::string("linfit(") + arg + ")\n").outcome.status,
              " linfit() expects array of {x,y}")
        << arg;
}

TEST(PackagesHistogram, BinsEdgesAndWhatIsNotCounted) {
  Live r(
      "n1 := histogram({0, 0.5, 1, 1.5, -0.1, 0/0, u}, 0, 1, 2.9)\nb1 := bins\nm1 := mean\n"
      "n2 := histogram({0.3, 0.2}, 1, 0, 4)\nb2 := bins\nm2 := mean\n"
      "n3 := histogram({0.3, 0.99999999999999989}, 0, 1, 3)\nb3 := bins\n");
  ASSERT_TRUE(r.outcome.ok) << r.outcome.status;
  EXPECT_EQ(r.value("n1"), 3);
  EXPECT_EQ(r.array("b1"), std::vector<double>({1, 2}));  // 2.9 bins are 2; 1 is in the last
  EXPECT_EQ(r.value("m1"), 0.5);
  EXPECT_EQ(r.value("n2"), 0);  // lo > hi counts nothing
  EXPECT_EQ(r.array("b2"), std::vector<double>({0, 0, 0, 0}));
  EXPECT_TRUE(std::isnan(r.value("m2")));
  // (1 - 2^-53)·3 rounds to 3: still the last bin.
  EXPECT_EQ(r.value("n3"), 2);
  EXPECT_EQ(r.array("b3"), std::vector<double>({1, 0, 1}));
}

TEST(PackagesHistogram, ArgumentsAreNumberedFromTheLast) {
  // nbins is argument 0, hi 1, lo 2, the array 3; an unknown bound gives no
  // value and no message.
  Live r("histogram({1, 2, 3}, 0, 4, 2)=\nbins=\nhistogram({1, 2}, 0, h, 2)=\n");
  EXPECT_TRUE(r.outcome.ok);
  EXPECT_EQ(r.text,
            "histogram({1, 2, 3}, 0, 4, 2):3.00\nbins:{1.00,2.00}\n"
            "histogram({1, 2}, 0, h, 2):? h?\n");
}

}  // namespace
}  // namespace orv::test
