#include "base/fork_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

namespace orv {

namespace {

// Forks larger than this are not read (the classic format tops out at 16 MiB).
constexpr std::size_t kMaxFork = std::size_t(64) << 20;

std::optional<std::string> readSmallFile(const std::string& path) {
  // Without O_NONBLOCK, opening a named pipe waits for a writer; only a
  // regular file is read.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat st;
  std::optional<std::string> result;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && std::size_t(st.st_size) <= kMaxFork) {
    std::string bytes;
    char chunk[65536];
    for (;;) {
      ssize_t n = read(fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) result = std::move(bytes);
        break;
      }
      bytes.append(chunk, static_cast<std::size_t>(n));
      if (bytes.size() > kMaxFork) break;
    }
  }
  close(fd);
  return result;
}

std::optional<std::string> readAttribute(const std::string& path, const char* name) {
  ssize_t size = getxattr(path.c_str(), name, nullptr, 0);
  if (size < 0 || std::size_t(size) > kMaxFork) return std::nullopt;
  std::string value(static_cast<std::size_t>(size), '\0');
  size = getxattr(path.c_str(), name, value.data(), value.size());
  if (size < 0) return std::nullopt;
  value.resize(static_cast<std::size_t>(size));
  return value;
}

std::optional<AppleDouble> sideFile(const std::string& path) {
  std::optional<std::string> bytes = readSmallFile(appleDoublePath(path));
  if (!bytes) return std::nullopt;
  return readAppleDouble(*bytes);
}

}  // namespace

// A file with Finder information in its attributes keeps all its metadata
// there: the attributes were replaced together with the data, while an
// AppleDouble file beside it may be another writer's.
std::optional<std::string> readResourceFork(const std::string& path) {
  if (!readAttribute(path, "user.com.apple.FinderInfo")) {
    std::optional<AppleDouble> side = sideFile(path);
    if (side && side->resourceFork) return side->resourceFork;
  }
  return readAttribute(path, "user.com.apple.ResourceFork");
}

std::optional<FinderInfo> readFinderInfo(const std::string& path) {
  std::optional<std::string> value = readAttribute(path, "user.com.apple.FinderInfo");
  if (!value || value->size() < kFinderInfoSize) {
    std::optional<AppleDouble> side = sideFile(path);
    if (side && side->finderInfo) return side->finderInfo;
    return std::nullopt;
  }
  FinderInfo info;
  value->copy(info.data(), kFinderInfoSize);
  return info;
}

}  // namespace orv
