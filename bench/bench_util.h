// Shared pieces of the benchmarks: a host that ignores alerts and a run of a
// worksheet on a deep stack.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "base/large_stack.h"
#include "base/macroman.h"
#include "lang/engine.h"
#include "lang/memory_text.h"
#include "packages/registry.h"
#include "session/engine_assembly.h"

namespace orv::bench {

class QuietHost : public Host {
 public:
  void bugAlert(std::string_view) override {}
};

// Runs [utf8] once in [engine] and returns the outcome.
inline RunOutcome runText(Engine& engine, const std::u16string& text16) {
  MemoryText text(text16);
  RunOutcome out;
  runOnLargeStack([&] { out = engine.run(text); });
  return out;
}

// Runs [sheet] once per benchmark iteration in one engine, like repeated
// runs of one document; [enableAll] defines every add-on function.
inline void runSheet(benchmark::State& state, const std::string& sheet, bool enableAll = false) {
  QuietHost host;
  auto engineOwner = makeEngine(host);
  Engine& engine = *engineOwner;
  if (enableAll)
    for (std::size_t i = 0; i < engine.registry().functions().size(); ++i)
      engine.setAddOnEnabled(static_cast<int>(i), true);
  std::u16string text = utf8ToUtf16(sheet);
  for (auto _ : state) {
    RunOutcome out = runText(engine, text);
    if (!out.ok) state.SkipWithError("run failed");
  }
}

}  // namespace orv::bench
