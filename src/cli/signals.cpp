#include "cli/signals.h"

#include <signal.h>
#include <unistd.h>

#include "base/temp_files.h"

namespace orv::cli {

namespace {

// The handler may only touch lock-free atomics and call async-signal-safe
// functions.
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<std::atomic<bool>*>::is_always_lock_free);

std::atomic<std::atomic<bool>*> gStop{nullptr};
std::atomic<bool> gEraseLine{false};
std::atomic<bool> gInterrupted{false};

void onInterrupt(int) {
  if (gInterrupted.exchange(true)) {
    if (gEraseLine.load()) {
      static const char kErase[] = "\r\033[K";
      ssize_t ignored = write(STDERR_FILENO, kErase, sizeof kErase - 1);
      (void)ignored;
    }
    removeTempFilesNow();
    _exit(130);
  }
  if (std::atomic<bool>* stop = gStop.load()) stop->store(true);
}

// A request to end the process: our temporary files go first, then the
// signal takes its default course.
void onTerminate(int signal) {
  removeTempFilesNow();
  ::signal(signal, SIG_DFL);
  raise(signal);
}

}  // namespace

void installInterruptHandler(std::atomic<bool>* stop, bool eraseLine) {
  gStop.store(stop);
  gEraseLine.store(eraseLine);
  struct sigaction action = {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  struct sigaction terminate = {};
  terminate.sa_handler = onTerminate;
  sigemptyset(&terminate.sa_mask);
  for (int signal : {SIGTERM, SIGHUP}) sigaction(signal, &terminate, nullptr);
}

}  // namespace orv::cli
