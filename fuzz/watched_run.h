// Runs a piece of fuzz work on a large stack with a stop button that a
// watchdog presses when the work takes longer than a limit, so that endless
// worksheets end.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/large_stack.h"

namespace orv::fuzz {

// Calls work(stop) and returns whether the watchdog had to press stop.
template <class Work>
bool runWatched(std::chrono::milliseconds limit, Work&& work) {
  std::atomic<bool> stop{false};
  std::mutex m;
  std::condition_variable done;
  bool finished = false;
  std::thread watchdog([&] {
    std::unique_lock lock(m);
    if (!done.wait_for(lock, limit, [&] { return finished; })) stop = true;
  });
  orv::runOnLargeStack([&] { work(stop); });
  {
    std::lock_guard lock(m);
    finished = true;
  }
  done.notify_one();
  watchdog.join();
  return stop;
}

}  // namespace orv::fuzz
