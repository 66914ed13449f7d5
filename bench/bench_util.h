// Shared pieces of the benchmarks: a host that ignores alerts and a run of a
// worksheet on a deep stack.
#pragma once

#include <string>

#include "doc/macroman.h"
#include "lang/engine.h"
#include "lang/large_stack.h"
#include "lang/memory_text.h"

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

}  // namespace orv::bench
