#include "base/large_stack.h"

#include <pthread.h>

namespace orv {

namespace {
void* trampoline(void* arg) {
  (*static_cast<const std::function<void()>*>(arg))();
  return nullptr;
}
}  // namespace

bool runOnLargeStack(const std::function<void()>& fn, std::size_t stackBytes) {
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) return false;
  pthread_t thread;
  bool ok =
      pthread_attr_setstacksize(&attr, stackBytes) == 0 &&
      pthread_create(&thread, &attr, trampoline, const_cast<std::function<void()>*>(&fn)) == 0;
  pthread_attr_destroy(&attr);
  if (ok) pthread_join(thread, nullptr);
  return ok;
}

}  // namespace orv
