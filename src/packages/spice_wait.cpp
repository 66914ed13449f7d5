#include "packages/spice_wait.h"

#include <sys/stat.h>
#include <unistd.h>

namespace orv::spice {

std::optional<FileState> observeFile(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  FileState s;
  s.readable = ::access(path.c_str(), R_OK) == 0;
  s.size = static_cast<int64_t>(st.st_size);
  s.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return s;
}

WaitResult waitForFile(const WaitProbe& probe, double seconds, int settleMs) {
  // The file as the previous attempt saw it, while no simulator ran.
  std::optional<FileState> before;
  for (double elapsed = 0; elapsed <= seconds; elapsed += 1) {
    std::optional<FileState> now = probe.observe();
    if (now && probe.simulatorRunning()) {
      now.reset();
    } else if (now && !before) {
      if (!probe.sleep(settleMs)) return WaitResult::kCanceled;
      before = now;
      now = probe.observe();
    }
    if (now && before && now->readable && *now == *before) return WaitResult::kReady;
    before = now;
    if (!probe.sleep(1000)) return WaitResult::kCanceled;
  }
  return WaitResult::kTimedOut;
}

}  // namespace orv::spice
