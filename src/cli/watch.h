// Watching a worksheet file for saves by another editor: its identity, size
// and modification time polled, so that an editor that writes in place and
// one that writes a new file and renames it over the old are both seen.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace orv::cli {

// What a save changes about a file. A missing file has exists false.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modified = 0;  // nanoseconds since the epoch

  bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::string& path);

// Calls [runOnce] at once, then each time [path] is saved again, until [stop]
// is set (by an interrupt while waiting or during a run). [runOnce] returns
// the stamp of the file it leaves behind (another than when it read it, when
// it wrote the file itself). Polls every [interval] milliseconds.
void watchFile(const std::string& path, const std::atomic<bool>& stop,
               const std::function<FileStamp()>& runOnce, int interval = 200);

}  // namespace orv::cli
