// Runs arbitrary bytes as a worksheet through both passes. Endless loops are
// cut off by the stop button, pressed by a watchdog after a short while.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/macroman.h"
#include "lang/engine.h"
#include "lang/memory_text.h"
#include "session/engine_assembly.h"
#include "watched_run.h"

namespace {

class QuietHost : public orv::Host {
 public:
  void bugAlert(std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  orv::fuzz::runWatched(std::chrono::milliseconds(300), [&](std::atomic<bool>& stop) {
    QuietHost host;
    auto engineOwner = orv::makeEngine(host);
    orv::Engine& engine = *engineOwner;
    engine.setStopRequest(&stop);
    orv::MemoryText text(orv::bytesToUtf16(bytes));
    engine.run(text);
    engine.run(text);
  });
  return 0;
}
