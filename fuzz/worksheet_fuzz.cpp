// Runs arbitrary bytes as a worksheet through both passes. Endless loops are
// cut off by the stop button, pressed by a watchdog after a short while.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <thread>

#include "base/large_stack.h"
#include "base/macroman.h"
#include "lang/engine.h"
#include "lang/memory_text.h"
#include "session/engine_assembly.h"

namespace {

class QuietHost : public orv::Host {
 public:
  void bugAlert(std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::atomic<bool> stop{false};
  std::mutex m;
  std::condition_variable done;
  bool finished = false;
  std::thread watchdog([&] {
    std::unique_lock lock(m);
    if (!done.wait_for(lock, std::chrono::milliseconds(300), [&] { return finished; })) stop = true;
  });
  orv::runOnLargeStack([&] {
    QuietHost host;
    auto engineOwner = orv::makeEngine(host);
    orv::Engine& engine = *engineOwner;
    engine.setStopRequest(&stop);
    orv::MemoryText text(orv::bytesToUtf16(bytes));
    engine.run(text);
    engine.run(text);
  });
  {
    std::lock_guard lock(m);
    finished = true;
  }
  done.notify_one();
  watchdog.join();
  return 0;
}
