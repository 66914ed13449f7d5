#include "cli/console.h"

#include <cstdio>

namespace orv::cli {

void Console::line(std::string_view text) {
  std::lock_guard lock(mutex_);
  clearLocked();
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

void Console::showElapsed(double seconds) {
  if (!terminal_) return;
  std::lock_guard lock(mutex_);
  std::fprintf(stderr, "\rrunning\u2026 %.1f s", seconds);
  std::fflush(stderr);
  shown_ = true;
}

void Console::clearElapsed() {
  std::lock_guard lock(mutex_);
  clearLocked();
}

void Console::clearLocked() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace orv::cli
