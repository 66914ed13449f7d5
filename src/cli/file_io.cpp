#include "cli/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/temp_files.h"

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
    if (bytes->size() + static_cast<std::size_t>(n) > kMaxWorksheetBytes) return kFileTooLarge;
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

std::string fileErrorText(int error) {
  switch (error) {
    case kNotRegularFile:
      return "not a regular file";
    case kFileTooLarge:
      return "too large for a worksheet";
    case kChangedOnDisk:
      return "changed by another program during the run; not written";
    case kReadOnly:
      return "the file is read-only; not written";
    default:
      return std::strerror(error);
  }
}

int readWholeFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  if (path == "-") return readAll(STDIN_FILENO, bytes);
  // Without O_NONBLOCK, opening a named pipe waits for a writer.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno;
  struct stat st;
  if (fstat(fd, &st) != 0) return closeKeepingError(fd, errno);
  if (S_ISDIR(st.st_mode)) return closeKeepingError(fd, EISDIR);
  if (!S_ISREG(st.st_mode)) return closeKeepingError(fd, kNotRegularFile);
  if (static_cast<std::size_t>(st.st_size) > kMaxWorksheetBytes)
    return closeKeepingError(fd, kFileTooLarge);
  return closeKeepingError(fd, readAll(fd, bytes));
}

int writeWholeFile(const std::string& path, std::string_view bytes) {
  if (path == "-") return writeAll(STDOUT_FILENO, bytes);
  return writeFileAtomically(path, bytes);
}

int checkWritable(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno;
  // A privileged user may write any file; the mode still says what the
  // owner wants.
  if ((st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0) return kReadOnly;
  return 0;
}

int replaceFileAtomically(const std::string& path, std::string_view before,
                          std::string_view bytes) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return kNotRegularFile;
  if (int error = checkWritable(path)) return error;
  std::string now;
  if (int error = readWholeFile(path, &now)) return error;
  if (now != before) return kChangedOnDisk;
  return writeFileAtomically(path, bytes);
}

}  // namespace orv::cli
