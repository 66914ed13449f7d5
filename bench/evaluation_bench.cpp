// Evaluation: a long sum, a recursive user function, and a whole run of a
// large generated worksheet.
#include <benchmark/benchmark.h>

#include "bench_util.h"
#include "long_worksheet.h"

namespace orv::bench {
namespace {

void BM_SumOfSquares(benchmark::State& state) {
  runSheet(state,
           std::string("sum(i^2, i, 1, ").append(std::to_string(state.range(0))).append(")=\n"));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SumOfSquares)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Fibonacci(benchmark::State& state) {
  runSheet(state, std::string("fib(n) = n when n < 2, fib(n-1) + fib(n-2)\nfib(")
                      .append(std::to_string(state.range(0)))
                      .append(")=\n"));
}
BENCHMARK(BM_Fibonacci)->Arg(25)->Arg(27)->Unit(benchmark::kMillisecond)->UseRealTime();

// Calls with many arguments, some unknown and passed by name.
void BM_ManyArguments(benchmark::State& state) {
  runSheet(state, std::string("g(a, b, c, d, e, f, h, k) = a + b*c - d + e*f - h + k\n"
                              "sum(g(i, 1, 2, i, 3, 4, i, q), i, 1, ")
                      .append(std::to_string(state.range(0)))
                      .append(")=\nq = 1\n"));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ManyArguments)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A loop whose steps assign: the while body runs compiled, ':=' as the tree.
void BM_WhileLoop(benchmark::State& state) {
  runSheet(state,
           std::string("n = ")
               .append(std::to_string(state.range(0)))
               .append("\ni := 0 ,, s := 0 ,, (i := i + 1 ,, s := s + i^2) while i < n\ns=\n"));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WhileLoop)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// 10,000 lines: 5,000 definitions and 5,000 evaluation requests with old
// results to replace, as a worksheet that has been run before.
std::string largeWorksheet() {
  std::string s;
  for (int i = 0; i < 5000; ++i) {
    std::string n = std::to_string(i);
    s.append("v").append(n).append(" = ").append(n).append(" * 1.5 + f(").append(n).append(")\n");
    s.append("v").append(n).append(" * 2 + sqrt(").append(n).append("):12.50 -- note\n");
  }
  s += "f(x) = x^2 / 3\n";
  return s;
}

void BM_LargeWorksheet(benchmark::State& state) { runSheet(state, largeWorksheet()); }
BENCHMARK(BM_LargeWorksheet)->Unit(benchmark::kMillisecond)->UseRealTime();

// Worksheets of 10,000 and 100,000 lines: time grows with the length alone.
void BM_LongWorksheet(benchmark::State& state) {
  runSheet(state, test::longWorksheet(static_cast<int>(state.range(0) / 4)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LongWorksheet)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace orv::bench

BENCHMARK_MAIN();
