// Arrays: element reads in a loop over a stored array, building a stored
// matrix from a formula, det() and a long table.
#include <benchmark/benchmark.h>

#include "bench_util.h"

namespace orv::bench {
namespace {

// One million element reads, each in a loop step with two assignments.
void BM_StoredArrayLoop(benchmark::State& state) {
  const std::string n = std::to_string(state.range(0));
  runSheet(state,
           std::string("b[i] = i dim[")
               .append(n)
               .append("]\nv := b\nn = ")
               .append(n)
               .append("\ni := 0 ,, s := 0 ,, (i := i + 1 ,, s := s + v[i]) while i < n\ns=\n"));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StoredArrayLoop)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same loop without the element read: the difference is the read.
void BM_LoopWithoutRead(benchmark::State& state) {
  const std::string n = std::to_string(state.range(0));
  runSheet(state, std::string("n = ").append(n).append(
                      "\ni := 0 ,, s := 0 ,, (i := i + 1 ,, s := s + i) while i < n\ns=\n"));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoopWithoutRead)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Building and storing the whole array alone, for comparison with the loop.
void BM_StoreFormulaArray(benchmark::State& state) {
  const std::string n = std::to_string(state.range(0));
  runSheet(state, std::string("b[i] = i dim[").append(n).append("]\nv := b\n"));
}
BENCHMARK(BM_StoreFormulaArray)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A million elements of an array formula read in sums, its sizes written
// out (0) or named by a variable (1): the sizes are evaluated at every
// element, and the element is compiled code either way.
void BM_FormulaElementsInSums(benchmark::State& state) {
  const char* size = state.range(0) ? "n" : "1000";
  runSheet(state, std::string("n = 1000\na[i, j] = sin(i)*cos(j) dim[")
                      .append(size)
                      .append(", ")
                      .append(size)
                      .append("]\nsum(sum(a[i, j], j, 1, n), i, 1, n)=\n"));
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_FormulaElementsInSums)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BuildMatrix(benchmark::State& state) {
  const std::string n = std::to_string(state.range(0));
  runSheet(state, std::string("a[i, j] = i * 0.5 + j dim[")
                      .append(n)
                      .append(", ")
                      .append(n)
                      .append("]\nm := a\nm[")
                      .append(n)
                      .append(", ")
                      .append(n)
                      .append("]=\n"));
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_BuildMatrix)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The comparison with NumPy: a matrix of sin(i)*cos(j) stored with
// ':=' and summed element by element.
void BM_StoreAndSumMatrix(benchmark::State& state) {
  const std::string n = std::to_string(state.range(0));
  runSheet(state, std::string("a[i, j] = sin(i)*cos(j) dim[")
                      .append(n)
                      .append(", ")
                      .append(n)
                      .append("]\nm := a\nsum(sum(m[i, j], j, 1, ")
                      .append(n)
                      .append("), i, 1, ")
                      .append(n)
                      .append(")=\n"));
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_StoreAndSumMatrix)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Element reads of a stored vector in a sum, and of an array formula.
void BM_SumStoredVector(benchmark::State& state) {
  const std::string n = std::to_string(state.range(0));
  runSheet(state, std::string("b[i] = i dim[")
                      .append(n)
                      .append("]\nv := b\nsum(v[i] + b[i], i, 1, ")
                      .append(n)
                      .append(")=\n"));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SumStoredVector)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Determinant(benchmark::State& state) {
  const std::string n = std::to_string(state.range(0));
  runSheet(state, std::string("a[i, j] = 1 / (i + j) + (i == j) dim[")
                      .append(n)
                      .append(", ")
                      .append(n)
                      .append("]\nm := a\ndet(m)=\n"));
}
BENCHMARK(BM_Determinant)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Table(benchmark::State& state) {
  runSheet(state, "Nsteps = 1000\nNmax = 1000\ntable N, sqrt(N)\n");
}
BENCHMARK(BM_Table)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace orv::bench

BENCHMARK_MAIN();
