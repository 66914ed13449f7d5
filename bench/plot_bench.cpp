// Plots: evaluating and storing traces and images, and drawing whole pages
// through the recording surface.
#include <benchmark/benchmark.h>

#include "bench_util.h"
#include "plot/draw.h"
#include "plot/plot_state.h"
#include "plot/recording_surface.h"
#include "plot_pages.h"

namespace orv::bench {
namespace {

void BM_FunctionTrace30000(benchmark::State& state) {
  runSheet(state, "Xmin = 0; Xmax = 20; Xsteps = 30000\nplot sin(X) * exp(-X/5)\n");
  state.SetItemsProcessed(state.iterations() * 30000);
}
BENCHMARK(BM_FunctionTrace30000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImageEvaluation1000(benchmark::State& state) {
  runSheet(state, kImageSheet);
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_ImageEvaluation1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Drawing 8 strips of 4 traces of 30,000 points; [log] records every
// operation as text, as the golden tests do.
void BM_PageRecording(benchmark::State& state) {
  PlotPage page(kStripsSheet);
  for (auto _ : state) {
    RecordingSurface s(640, 480, 7, 14, state.range(0) != 0);
    drawplot(page.plot(), s);
    benchmark::DoNotOptimize(s.log().size());
  }
}
BENCHMARK(BM_PageRecording)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImagePageRecording(benchmark::State& state) {
  PlotPage page(kImageSheet);
  for (auto _ : state) {
    RecordingSurface s(640, 480, 7, 14, true);
    drawplot(page.plot(), s);
    benchmark::DoNotOptimize(s.log().size());
  }
}
BENCHMARK(BM_ImagePageRecording)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace orv::bench

BENCHMARK_MAIN();
