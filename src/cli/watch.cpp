#include "cli/watch.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

namespace orv::cli {

namespace {

// Sleeps [ms] milliseconds in short steps; false when [stop] was set meanwhile.
bool pause(const std::atomic<bool>& stop, int ms) {
  constexpr int kStep = 20;
  for (int waited = 0; waited < ms; waited += kStep) {
    if (stop.load()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kStep));
  }
  return !stop.load();
}

}  // namespace

FileStamp stampOf(const std::string& path) {
  FileStamp stamp;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return stamp;
  stamp.exists = true;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modified =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return stamp;
}

void watchFile(const std::string& path, const std::atomic<bool>& stop,
               const std::function<FileStamp()>& runOnce, int interval) {
  FileStamp seen = runOnce();
  while (pause(stop, interval)) {
    FileStamp now = stampOf(path);
    if (now == seen || !now.exists) continue;
    // An editor may still be writing: run once the file has held still for
    // a moment.
    if (!pause(stop, interval / 4)) break;
    if (!(stampOf(path) == now)) continue;
    seen = runOnce();
  }
}

}  // namespace orv::cli
