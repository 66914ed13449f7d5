// Package functions: the Fourier transform and SVD kernels on plain arrays,
// and the same functions called from worksheets the way users call them (the
// time of one call, data building left out). bench/numpy_compare.py times
// the NumPy equivalents.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "bench_util.h"
#include "packages/fftmain.h"
#include "packages/svdcmp.h"
#include "session/engine_assembly.h"

namespace orv::bench {
namespace {

std::vector<double> randomValues(std::size_t n) {
  std::mt19937_64 gen(12345);
  std::uniform_real_distribution<double> dist(-1, 1);
  std::vector<double> v(n);
  for (double& x : v) x = dist(gen);
  return v;
}

// ---------------------------------------------------------------------------
// Kernels
// ---------------------------------------------------------------------------

// Forward and inverse transforms alternate, so the data keep their scale.
void BM_FftKernel(benchmark::State& state) {
  const std::size_t n = std::size_t(1) << state.range(0);
  fft::Tables t;
  if (!t.init(n, false)) return state.SkipWithError("no memory");
  std::vector<double> rows = randomValues(2 * n), work(2 * n);
  bool inverse = false;
  for (auto _ : state) {
    fft::complexTransform(t, rows.data(), work.data(), inverse);
    inverse = !inverse;
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}
BENCHMARK(BM_FftKernel)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();

// Real transform of 2^k values (a complex transform of half the size).
void BM_RfftKernel(benchmark::State& state) {
  const std::size_t n = std::size_t(1) << state.range(0);
  fft::Tables t;
  if (!t.init(n / 2, true)) return state.SkipWithError("no memory");
  std::vector<double> x = randomValues(n), out(n + 2), work(n);
  for (auto _ : state) {
    fft::realTransform(t, x.data(), out.data(), work.data());
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_RfftKernel)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PwrspecKernel(benchmark::State& state) {
  const std::size_t n = std::size_t(1) << state.range(0);
  fft::Tables t;
  if (!t.init(n / 2, true) || !t.initWindow()) return state.SkipWithError("no memory");
  std::vector<double> x = randomValues(n), out(n / 2 + 1), work(n);
  for (auto _ : state) {
    fft::powerSpectrum(t, x.data(), out.data(), work.data());
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_PwrspecKernel)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime();

// U, V and W of a random m x n matrix (copied in each time: O(mn) against
// the O(mn²) of the decomposition).
void BM_SvdKernel(benchmark::State& state) {
  const int64_t m = state.range(0), n = state.range(1);
  std::vector<double> a = randomValues(static_cast<std::size_t>(m * n));
  std::vector<double> ut(a.size()), w(static_cast<std::size_t>(n)),
      vt(static_cast<std::size_t>(n * n));
  for (auto _ : state) {
    svd::transpose(a.data(), m, n, ut.data());
    if (svd::decompose(ut.data(), w.data(), vt.data(), m, n) != svd::Status::Done)
      state.SkipWithError("no convergence");
    benchmark::DoNotOptimize(ut.data());
  }
}
BENCHMARK(BM_SvdKernel)
    ->Args({300, 300})
    ->Args({500, 500})
    ->Args({500, 300})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// ---------------------------------------------------------------------------
// Worksheets
// ---------------------------------------------------------------------------

std::string num(int64_t v) { return std::to_string(v); }

// The cost of one call as a worksheet makes it: each iteration runs [setup]
// alone and then [setup] followed by [calls] copies of [call], in the same
// engine (as reruns of one document), and takes the difference per call.
void perCall(benchmark::State& state, const std::string& setup, const std::string& call,
             int calls) {
  QuietHost host;
  auto engineOwner = makeEngine(host);
  Engine& engine = *engineOwner;
  for (std::size_t i = 0; i < engine.registry().functions().size(); ++i)
    engine.setAddOnEnabled(static_cast<int>(i), true);
  std::string withCalls = setup;
  for (int i = 0; i < calls; ++i) withCalls += call + "\n";
  const std::u16string base = utf8ToUtf16(setup), full = utf8ToUtf16(withCalls);
  auto seconds = [&](const std::u16string& text) {
    const auto t0 = std::chrono::steady_clock::now();
    const RunOutcome out = runText(engine, text);
    if (!out.ok) state.SkipWithError("run failed");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  };
  seconds(full);  // tables and memory as after a first run
  for (auto _ : state) {
    const double alone = seconds(base);
    state.SetIterationTime(std::max(0.0, seconds(full) - alone) / calls);
  }
}

std::string complexData(int64_t n) {
  return "c[i, j] = sin(i * j * 0.001) dim[" + num(n) + ", 2]\nm := c\n";
}
std::string realData(int64_t n) { return "r[i] = sin(i * 0.001) dim[" + num(n) + "]\nv := r\n"; }
std::string matrixData(int64_t m, int64_t n) {
  return "a[i, j] = 1 / (i + j) + sin(i * j) dim[" + num(m) + ", " + num(n) + "]\nm := a\n";
}

void BM_FftSheet(benchmark::State& state) {
  perCall(state, complexData(int64_t(1) << state.range(0)), "fft(m)", 10);
}
void BM_RfftSheet(benchmark::State& state) {
  perCall(state, realData(int64_t(1) << state.range(0)), "rfft(v)", 10);
}
void BM_PwrspecSheet(benchmark::State& state) {
  perCall(state, realData(int64_t(1) << state.range(0)), "pwrspec(v)", 10);
}
BENCHMARK(BM_FftSheet)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_RfftSheet)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_PwrspecSheet)->Arg(20)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_SvdSheet(benchmark::State& state) {
  perCall(state, matrixData(state.range(0), state.range(0)), "SVD(m)", 3);
}
void BM_InvertSheet(benchmark::State& state) {
  perCall(state, matrixData(state.range(0), state.range(0)), "invert(m)", 3);
}
void BM_SolveSheet(benchmark::State& state) {
  perCall(state,
          matrixData(state.range(0), state.range(1)) + "b[i] = cos(i) dim[" + num(state.range(0)) +
              "]\nw := b\n",
          "solve(m, w)", 3);
}
BENCHMARK(BM_SvdSheet)->Arg(300)->Arg(500)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_InvertSheet)->Arg(300)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SolveSheet)->Args({500, 300})->Unit(benchmark::kMillisecond)->UseManualTime();

// max walks the array element by element through the evaluator.
void BM_MaxSheet(benchmark::State& state) {
  perCall(state, "b[i] = sin(i) dim[" + num(state.range(0)) + "]\nv := b\n", "max(v)=", 5);
}
BENCHMARK(BM_MaxSheet)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
}  // namespace orv::bench

BENCHMARK_MAIN();
