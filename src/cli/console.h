// Standard error of a command-line run: whole message lines, and on a
// terminal a one-line elapsed-time display that messages clear first.
// Safe to call from the run's thread and the waiting thread at once.
#pragma once

#include <mutex>
#include <string_view>

namespace orv::cli {

class Console {
 public:
  // [terminal]: standard error is a terminal, so the time display is shown.
  explicit Console(bool terminal) : terminal_(terminal) {}

  bool terminal() const { return terminal_; }

  // Writes [text] and a line end.
  void line(std::string_view text);

  // Shows "running… S s" in place of the previous display.
  void showElapsed(double seconds);

  // Erases the time display, if one is shown.
  void clearElapsed();

 private:
  void clearLocked();

  std::mutex mutex_;
  const bool terminal_;
  bool shown_ = false;
};

}  // namespace orv::cli
