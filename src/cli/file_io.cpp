#include "cli/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

namespace orv::cli {

namespace {

int readAll(int fd, std::string* bytes) {
  char chunk[65536];
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n == 0) return 0;
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes->append(chunk, static_cast<std::size_t>(n));
  }
}

int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// Closes [fd]; returns [error], or close's own error when [error] is 0.
int closeKeepingError(int fd, int error) {
  if (close(fd) != 0 && error == 0) error = errno;
  return error;
}

}  // namespace

int readWholeFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  if (path == "-") return readAll(STDIN_FILENO, bytes);
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  return closeKeepingError(fd, readAll(fd, bytes));
}

int writeWholeFile(const std::string& path, std::string_view bytes) {
  if (path == "-") return writeAll(STDOUT_FILENO, bytes);
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  return closeKeepingError(fd, writeAll(fd, bytes));
}

namespace {

// Writes [bytes] to a new file in [target]'s folder and renames it to
// [target]. [old] is the file it replaces, whose owner and permissions the
// new one keeps; null for a new file (mode 0666 less the umask).
int writeBesideAndRename(const std::string& target, std::string_view bytes,
                         const struct stat* old) {
  std::size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = folder + "." + base + ".XXXXXX";
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int error = writeAll(fd, bytes);
  if (error == 0) {
    mode_t mode;
    if (old) {
      // Keeping the owner only works for a privileged user; others get the file
      // as their own. The mode comes after, since a change of owner clears
      // set-id bits.
      int ignored = fchown(fd, old->st_uid, old->st_gid);
      (void)ignored;
      mode = old->st_mode & 07777;
    } else {
      mode_t mask = umask(0);
      umask(mask);
      mode = 0666 & ~mask;
    }
    if (fchmod(fd, mode) != 0 || fsync(fd) != 0) error = errno;
  }
  error = closeKeepingError(fd, error);
  if (error == 0 && rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) unlink(temp.c_str());
  return error;
}

}  // namespace

int replaceFileAtomically(const std::string& path, std::string_view bytes) {
  std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
  if (!real) return errno;
  std::string target = real.get();
  struct stat old;
  if (stat(target.c_str(), &old) != 0) return errno;
  if (!S_ISREG(old.st_mode)) return EINVAL;
  return writeBesideAndRename(target, bytes, &old);
}

int writeFileAtomically(const std::string& path, std::string_view bytes) {
  struct stat old;
  if (stat(path.c_str(), &old) == 0) return replaceFileAtomically(path, bytes);
  if (errno != ENOENT) return errno;
  return writeBesideAndRename(path, bytes, nullptr);
}

}  // namespace orv::cli
