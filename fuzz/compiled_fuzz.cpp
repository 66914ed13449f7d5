// Runs arbitrary bytes as a worksheet twice over, once by the tree evaluator
// alone and once with compiled evaluation, and aborts when the two differ in
// text, status or fault position. Inputs that use rand() or that the
// watchdog had to stop are not compared: their results depend on chance or
// on timing.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/macroman.h"
#include "eval/compiled.h"
#include "lang/engine.h"
#include "lang/memory_text.h"
#include "session/engine_assembly.h"
#include "watched_run.h"

namespace {

class QuietHost : public orv::Host {
 public:
  void bugAlert(std::string_view text) override { alerts += std::string(text) + '\n'; }
  std::string alerts;
};

struct Outcome {
  std::string text;
  bool stopped = false;
};

Outcome runTwice(std::string_view bytes, bool compiled) {
  Outcome out;
  out.stopped = orv::fuzz::runWatched(std::chrono::milliseconds(300), [&](std::atomic<bool>& stop) {
    QuietHost host;
    auto engineOwner = orv::makeEngine(host);
    orv::Engine& engine = *engineOwner;
    orv::setCompiledEvaluation(engine, compiled);
    engine.setStopRequest(&stop);
    orv::MemoryText text(orv::bytesToUtf16(bytes));
    for (int i = 0; i < 2; ++i) {
      orv::RunOutcome r = engine.run(text);
      out.text += r.status + "@" + std::to_string(r.ok ? -1 : static_cast<long>(r.faultPos)) + "\n";
    }
    out.text += text.utf8() + host.alerts;
  });
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.find("rand") != std::string_view::npos) return 0;
  Outcome tree = runTwice(bytes, false);
  Outcome compiled = runTwice(bytes, true);
  if (tree.stopped || compiled.stopped) return 0;
  if (tree.text != compiled.text) {
    std::fprintf(stderr, "tree:\n%s\ncompiled:\n%s\n", tree.text.c_str(), compiled.text.c_str());
    std::abort();
  }
  return 0;
}
