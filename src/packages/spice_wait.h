// Waiting for a simulator's output file.
//
// A raw file is ready when it exists, can be read, no simulator started for
// this worksheet is still running, and it has stopped changing. The
// simulator writes its files while it runs (and Linux has no mandatory locks
// to keep a reader out), so "exists" alone would hand over a partial file or
// one left by an earlier run.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orv::spice {

struct FileState {
  bool readable = false;
  int64_t size = 0;
  int64_t modified = 0;  // nanoseconds
  bool operator==(const FileState&) const = default;
};

// The state of the file at [path]; none when there is no regular file.
std::optional<FileState> observeFile(const std::string& path);

struct WaitProbe {
  // The file's state now; none when it does not exist (or has no path).
  std::function<std::optional<FileState>()> observe;
  // Whether a simulator started for this worksheet is still running.
  std::function<bool()> simulatorRunning;
  // Sleeps [ms] milliseconds; false when the stop button was pressed.
  std::function<bool(int ms)> sleep;
};

enum class WaitResult { kReady, kTimedOut, kCanceled };

// One attempt at once and one a second after each failed attempt, as long
// as the seconds waited do not exceed [seconds]: floor(seconds) + 1
// attempts, none for a negative time. After the last failed attempt it
// still waits its second. A file seen for the first time is looked at again
// after [settleMs] to see whether it still changes.
WaitResult waitForFile(const WaitProbe& probe, double seconds, int settleMs = 100);

}  // namespace orv::spice
