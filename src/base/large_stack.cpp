#include "base/large_stack.h"

#include <pthread.h>

#include <utility>

namespace orv {

namespace {
void* trampoline(void* arg) {
  (*static_cast<const std::function<void()>*>(arg))();
  return nullptr;
}
}  // namespace

bool LargeStackThread::start(std::function<void()> fn, std::size_t stackBytes) {
  static_assert(sizeof(pthread_t) == sizeof thread_);
  if (joinable_) return false;
  fn_ = std::move(fn);
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) return false;
  pthread_t thread;
  joinable_ = pthread_attr_setstacksize(&attr, stackBytes) == 0 &&
              pthread_create(&thread, &attr, trampoline, &fn_) == 0;
  pthread_attr_destroy(&attr);
  if (joinable_) thread_ = thread;
  return joinable_;
}

void LargeStackThread::join() {
  if (!joinable_) return;
  pthread_join(static_cast<pthread_t>(thread_), nullptr);
  joinable_ = false;
  fn_ = nullptr;
}

bool runOnLargeStack(const std::function<void()>& fn, std::size_t stackBytes) {
  LargeStackThread thread;
  if (!thread.start(fn, stackBytes)) return false;
  thread.join();
  return true;
}

}  // namespace orv
