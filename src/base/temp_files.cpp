#include "base/temp_files.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace orv {

namespace {

// Room for the temporary files that exist at one time; one beyond these is
// still made, only not removed by a signal.
constexpr int kSlots = 32;
constexpr std::size_t kPathRoom = 4096;

enum SlotState { kFree, kClaimed, kLive };

struct Slot {
  std::atomic<int> state{kFree};
  char path[kPathRoom];
};

Slot gSlots[kSlots];

static_assert(std::atomic<int>::is_always_lock_free);

void remember(const std::string& path) {
  if (path.size() >= kPathRoom) return;
  for (Slot& s : gSlots) {
    int expected = kFree;
    if (s.state.compare_exchange_strong(expected, kClaimed)) {
      std::memcpy(s.path, path.c_str(), path.size() + 1);
      s.state.store(kLive);
      return;
    }
  }
}

void forget(const std::string& path) {
  for (Slot& s : gSlots) {
    int expected = kLive;
    if (s.state.load() == kLive && path == s.path &&
        s.state.compare_exchange_strong(expected, kClaimed)) {
      s.state.store(kFree);
      return;
    }
  }
}

// Twelve characters of letters and digits from the kernel's random source.
std::string randomName() {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[12];
  std::size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  std::string name;
  for (std::size_t i = 0; i < sizeof bytes; ++i) {
    // Without the random source (never on Linux 3.17 and later), the
    // exclusive creation below still refuses every existing name.
    unsigned v = i < got ? bytes[i] : static_cast<unsigned>(getpid() + i * 7919);
    name += kAlphabet[v % (sizeof kAlphabet - 1)];
  }
  return name;
}

}  // namespace

int createTempBeside(const std::string& target, std::string* temp, mode_t mode) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = target + ".orvanel-" + randomName() + ".tmp";
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) {
      remember(name);
      *temp = name;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

bool renameTemp(const std::string& temp, const std::string& target) {
  if (std::rename(temp.c_str(), target.c_str()) != 0) return false;
  forget(temp);
  return true;
}

void removeTemp(const std::string& temp) {
  ::unlink(temp.c_str());
  forget(temp);
}

namespace {

int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

}  // namespace

int writeFileAtomically(const std::string& path, std::string_view bytes) {
  std::string target = path;
  std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
  if (real) target = real.get();
  struct stat old;
  const bool existed = ::stat(target.c_str(), &old) == 0;
  if (existed && S_ISDIR(old.st_mode)) return EISDIR;
  if (existed && S_ISCHR(old.st_mode)) {
    int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = writeAll(fd, bytes);
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
  }
  if (existed && !S_ISREG(old.st_mode)) return EINVAL;
  std::string temp;
  int fd = createTempBeside(target, &temp);
  if (fd < 0) return errno;
  int error = writeAll(fd, bytes);
  if (error == 0 && existed) {
    // Keeping the owner only works for a privileged user; others get the
    // file as their own. The mode comes after, since a change of owner
    // clears set-id bits.
    int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    (void)ignored;
    if (::fchmod(fd, old.st_mode & 07777) != 0) error = errno;
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && !renameTemp(temp, target)) error = errno;
  if (error != 0) removeTemp(temp);
  return error;
}

void removeTempFilesNow() {
  for (Slot& s : gSlots)
    if (s.state.load() == kLive) ::unlink(s.path);
}

}  // namespace orv
