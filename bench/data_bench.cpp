// Data files: reading and writing through worksheet runs (a document in a
// temporary folder, the files beside it), and the "TEXT" parser on bytes
// already in memory.
//
// The "TEXT" file is the one bench/numpy_data.py reads with numpy.loadtxt:
// 10^6 numbers, 10 a line, each sin(i) * 1000 printed with "%.6g".
//
// Every iteration starts with the memory of the previous one given back to
// the system: fresh memory is what the first run of a document gets, and
// touching it for the first time costs far more than copying into it.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_util.h"
#include "data/textread.h"
#include "session/engine_assembly.h"

namespace orv::bench {
namespace {

constexpr int kTextValues = 1000000;
constexpr int kInt2Values = 10000000;
constexpr int kWriteValues = 1000000;

std::string textData() {
  std::string s;
  s.reserve(kTextValues * 10);
  char buf[32];
  for (int i = 0; i < kTextValues; ++i) {
    int n = std::snprintf(buf, sizeof buf, "%.6g", std::sin(i) * 1000);
    s.append(buf, static_cast<std::size_t>(n));
    s += (i % 10 == 9) ? '\n' : ' ';
  }
  return s;
}

// The folder of the benchmark's worksheet and its data files, made once.
class Folder {
 public:
  Folder() {
    char pattern[] = "/tmp/orvanel-data-bench-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    path_ = pattern;
    text_ = textData();
    put("values.txt", text_);
    std::string i2(static_cast<std::size_t>(kInt2Values) * 2, '\0');
    for (int i = 0; i < kInt2Values; ++i) {
      auto v = static_cast<uint16_t>(i * 7);
      i2[2 * i] = static_cast<char>(v >> 8);
      i2[2 * i + 1] = static_cast<char>(v & 0xFF);
    }
    put("values.int2", i2);
    std::string d8(static_cast<std::size_t>(kWriteValues) * 8, '\0');
    for (int i = 0; i < kWriteValues; ++i) {
      double v = std::sin(i) * 1000;
      std::memcpy(d8.data() + 8 * i, &v, 8);
    }
    put("values.dbl8", d8);
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string path(const std::string& name) const { return path_ + "/" + name; }
  const std::string& text() const { return text_; }

 private:
  void put(const std::string& name, const std::string& bytes) {
    std::ofstream out(path(name), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string path_, text_;
};

const Folder& folder() {
  static Folder f;
  return f;
}

class OverwritingHost : public QuietHost {
 public:
  bool confirmOverwrite(const std::string&) override { return true; }
};

// Gives the memory freed by the previous iteration back to the system, so
// that each iteration pays for fresh memory the way the first run of a
// document does.
void coldMemory(benchmark::State& state) {
  state.PauseTiming();
  malloc_trim(0);
  state.ResumeTiming();
}

// Runs [sheet] once per iteration in a document beside the data files.
void runInFolder(benchmark::State& state, const std::string& sheet, int64_t items) {
  OverwritingHost host;
  auto engineOwner = makeEngine(host);
  Engine& engine = *engineOwner;
  engine.setDocumentPath(folder().path("sheet.ov"));
  std::u16string text = utf8ToUtf16(sheet);
  for (auto _ : state) {
    coldMemory(state);
    RunOutcome out = runText(engine, text);
    if (!out.ok) state.SkipWithError(("run failed: " + out.status).c_str());
  }
  state.SetItemsProcessed(state.iterations() * items);
}

// The "TEXT" file through read(), from the file on disk to the table.
void BM_ReadText(benchmark::State& state) {
  runInFolder(state, "read(\"values.txt\", \"TEXT\")[1]=\n", kTextValues);
}
BENCHMARK(BM_ReadText)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parser alone on the same bytes in memory, the quickest way this
// processor runs (Arg 0) and the way every processor runs (Arg 1).
void BM_TextParser(benchmark::State& state) {
  const std::string& text = folder().text();
  const TextQuickWay way = state.range(0) ? TextQuickWay::Portable : TextQuickWay::Quickest;
  for (auto _ : state) {
    coldMemory(state);
    TextValues t = readTextValues(text.data(), text.data() + text.size(), 0, way);
    benchmark::DoNotOptimize(t.values.data());
    if (t.values.size() != static_cast<std::size_t>(kTextValues)) state.SkipWithError("count");
  }
  state.SetItemsProcessed(state.iterations() * kTextValues);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_TextParser)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// 10^7 "INT2" values; with an interval every [k]th of them (items are the
// values stored).
void BM_ReadInt2(benchmark::State& state) {
  const int64_t k = state.range(0);
  runInFolder(state, "read(\"values.int2\", \"INT2\", 0, 0, 0, " + std::to_string(k) + ")[1]=\n",
              k > 0 ? kInt2Values / k : kInt2Values);
  state.SetBytesProcessed(state.iterations() * int64_t{kInt2Values} * 2);
}
BENCHMARK(BM_ReadInt2)->Arg(0)->Arg(3)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

// The source of the write benchmarks alone: 10^6 doubles read as "DBL8".
void BM_ReadDbl8(benchmark::State& state) {
  runInFolder(state, "read(\"values.dbl8\", \"DBL8\")[1]=\n", kWriteValues);
}
BENCHMARK(BM_ReadDbl8)->Unit(benchmark::kMillisecond)->UseRealTime();

// 10^6 values written, replacing the file of the previous iteration. The
// time includes the "DBL8" read of the source (BM_ReadDbl8).
void BM_WriteText(benchmark::State& state) {
  runInFolder(state, "write(\"out.txt\", read(\"values.dbl8\", \"DBL8\"), \"TEXT\")\n",
              kWriteValues);
}
BENCHMARK(BM_WriteText)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteDbl8(benchmark::State& state) {
  runInFolder(state, "write(\"out.dbl8\", read(\"values.dbl8\", \"DBL8\"), \"DBL8\")\n",
              kWriteValues);
}
BENCHMARK(BM_WriteDbl8)->Unit(benchmark::kMillisecond)->UseRealTime();

// Element by element: an array given by a formula over the read values.
void BM_WriteTextFormula(benchmark::State& state) {
  runInFolder(state,
              "d = read(\"values.dbl8\", \"DBL8\")\nf[i] = d[i] dim[" +
                  std::to_string(kWriteValues) + "]\nwrite(\"out2.txt\", f, \"TEXT\")\n",
              kWriteValues);
}
BENCHMARK(BM_WriteTextFormula)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace orv::bench

BENCHMARK_MAIN();
