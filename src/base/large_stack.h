// Runs a function on a thread with a deep stack. A calculation run recurses
// over expression trees and user-function calls (10001 nested calls must
// fit), far deeper than a default thread stack allows.
#pragma once

#include <cstddef>
#include <functional>

namespace orv {

inline constexpr std::size_t kRunStackBytes = std::size_t(512) << 20;

// A joinable thread with a deep stack.
class LargeStackThread {
 public:
  LargeStackThread() = default;
  ~LargeStackThread() { join(); }
  LargeStackThread(const LargeStackThread&) = delete;
  LargeStackThread& operator=(const LargeStackThread&) = delete;

  // Starts [fn] on a new thread with [stackBytes] of stack. False (and
  // nothing started) when no such thread can be made or one is running.
  bool start(std::function<void()> fn, std::size_t stackBytes = kRunStackBytes);
  // Waits for the thread started last, if any.
  void join();

 private:
  std::function<void()> fn_;
  unsigned long thread_ = 0;  // pthread_t
  bool joinable_ = false;
};

// Calls [fn] on a new thread with [stackBytes] of stack and waits for it.
// Returns false (and calls nothing) when no such thread can be made.
bool runOnLargeStack(const std::function<void()>& fn, std::size_t stackBytes = kRunStackBytes);

}  // namespace orv
