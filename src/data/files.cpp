// File names relative to the worksheet, whole-file reading, and files
// written beside their target and moved into place.
#include "data/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/macroman.h"
#include "data/file_meta.h"
#include "base/temp_files.h"
#include "lang/engine.h"

namespace orv {

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool InputFile::open(const std::string& path) {
  // Only regular files: a device or a pipe may never end (and opening a
  // pipe would wait for a writer).
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  int error = 0;
  if (fstat(fd, &st) != 0)
    error = errno;
  else if (S_ISDIR(st.st_mode))
    error = EISDIR;
  else if (!S_ISREG(st.st_mode))
    error = EINVAL;
  if (error) {
    ::close(fd);
    errno = error;
    return false;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  size_ = static_cast<std::size_t>(st.st_size);
  return true;
}

ssize_t InputFile::read(std::size_t offset, void* out, std::size_t n) const {
  std::size_t got = 0;
  while (got < n) {
    ssize_t k =
        ::pread(fd_, static_cast<char*>(out) + got, n - got, static_cast<off_t>(offset + got));
    if (k < 0 && errno == EINTR) continue;
    if (k < 0) return -1;
    if (k == 0) break;
    got += static_cast<std::size_t>(k);
  }
  return static_cast<ssize_t>(got);
}

bool readFileBytes(const std::string& path, std::string* bytes, std::size_t most) {
  InputFile file;
  if (!file.open(path)) return false;
  if (file.size() > most) {
    errno = EFBIG;
    return false;
  }
  // The size known, and one more byte to notice a file that grew.
  bytes->resize(file.size() + 1);
  std::size_t got = 0;
  for (;;) {
    ssize_t n = file.read(got, bytes->data() + got, bytes->size() - got);
    if (n < 0) return false;
    got += static_cast<std::size_t>(n);
    if (got < bytes->size()) break;
    if (got > most) {
      errno = EFBIG;
      return false;
    }
    bytes->resize(bytes->size() + bytes->size() / 2 + 65536);
  }
  bytes->resize(got);
  return true;
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string lastPathComponent(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ---------------------------------------------------------------------------
// DataWriter
// ---------------------------------------------------------------------------

DataWriter::~DataWriter() { discard(); }

bool DataWriter::open(const std::string& target) {
  target_ = target;
  fd_ = createTempBeside(target, &temp_);
  if (fd_ < 0) {
    fail(errno);
    temp_.clear();
    return false;
  }
  // A replaced file keeps its permissions.
  struct stat st;
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd_, st.st_mode & 07777);
  return true;
}

namespace {
constexpr std::size_t kWriteBuffer = std::size_t(1) << 16;
}  // namespace

// Small pieces gather in the buffer; a large one goes to the file directly.
void DataWriter::write(const void* data, std::size_t n) {
  if (failed()) return;
  if (buffer_.size() + n > kWriteBuffer) {
    flush();
    if (n >= kWriteBuffer) {
      writeOut(data, n);
      return;
    }
  }
  if (buffer_.capacity() < kWriteBuffer) buffer_.reserve(kWriteBuffer);
  buffer_.append(static_cast<const char*>(data), n);
}

void DataWriter::writeOut(const void* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n && !failed()) {
    ssize_t k = ::write(fd_, static_cast<const char*>(data) + done, n - done);
    if (k < 0 && errno == EINTR) continue;
    if (k < 0)
      fail(errno);
    else if (k == 0)
      fail(EIO);
    else
      done += static_cast<std::size_t>(k);
  }
}

void DataWriter::flush() {
  writeOut(buffer_.data(), buffer_.size());
  buffer_.clear();
}

bool DataWriter::setAttribute(const char* name, const std::string& value) {
  if (fd_ < 0 || failed()) return false;
  if (::fsetxattr(fd_, name, value.data(), value.size(), 0) == 0) return true;
  if (errno == ENOTSUP) return true;
  fail(errno);
  return false;
}

bool DataWriter::finish() {
  if (fd_ < 0) {
    fail(EBADF);
    return false;
  }
  flush();
  if (!failed() && ::fsync(fd_) != 0) fail(errno);
  if (::close(fd_) != 0) fail(errno);
  fd_ = -1;
  if (failed()) discard();
  return !failed();
}

bool DataWriter::publish() {
  if (failed() || temp_.empty()) return false;
  if (!renameTemp(temp_, target_)) {
    fail(errno);
    discard();
    return false;
  }
  temp_.clear();
  return true;
}

void DataWriter::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) removeTemp(temp_);
  temp_.clear();
  buffer_.clear();
}

// ---------------------------------------------------------------------------
// Names
// ---------------------------------------------------------------------------

// A name as written in the worksheet to a path: absolute names stay as they
// are; others are relative to the worksheet's folder, with the old colon
// separators converted ("::" is the parent folder). None for an untitled
// worksheet.
std::optional<std::string> Engine::macPath(const std::string& name) const {
  std::string utf8 = bytesToUtf8(name);
  if (utf8.empty()) return std::nullopt;
  if (utf8[0] == '/') return utf8;
  if (documentPath_.empty()) return std::nullopt;
  std::string converted;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == ':' && i + 1 < utf8.size() && utf8[i + 1] == ':') {
      converted += "../";
      ++i;
    } else {
      converted += utf8[i] == ':' ? '/' : utf8[i];
    }
  }
  std::size_t slash = documentPath_.rfind('/');
  std::string folder = slash == std::string::npos ? "." : documentPath_.substr(0, slash);
  return folder + "/" + converted;
}

namespace {

// [path] with ".." and symbolic links resolved; for a file that does not
// exist yet, its folder's resolved path and its name. Empty when not even
// the folder exists.
std::string resolvedPath(const std::string& path) {
  if (char* real = realpath(path.c_str(), nullptr)) {
    std::string r = real;
    std::free(real);
    return r;
  }
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return "";
  char* real = realpath(folder.empty() ? "/" : folder.c_str(), nullptr);
  if (!real) return "";
  std::string r = real;
  std::free(real);
  return (r == "/" ? "" : r) + "/" + name;
}

}  // namespace

// Under confinement: reports a [path] (named [name] in the worksheet) that
// lies outside the allowed folder and returns true.
bool Engine::outsideConfinement(const std::string& path, const std::string& name) {
  if (!confined_) return false;
  std::string root = confinement_.empty() ? "" : resolvedPath(confinement_);
  std::string resolved = resolvedPath(path);
  if (!root.empty() && !resolved.empty() &&
      (resolved == root || resolved.compare(0, root.size() + 1, root + "/") == 0 || root == "/"))
    return false;
  errmsg2(" '%s' is outside the worksheet's folder", name.c_str());
  return true;
}

// The type code of a data file (or of [format] when one is given), -1 when
// the file can't be found. Sets isOrvl from the file's creator code.
int64_t Engine::OpenDataFile(const std::string& name, const std::string& format,
                             std::string* path) {
  std::optional<std::string> p = macPath(name);
  if (!p || outsideConfinement(*p, name) || !fileExists(*p)) return -1;
  DataFileInfo info = readDataFileInfo(*p);
  isOrvl = info.creator == kCreatorOrvl;
  *path = *p;
  return format.empty() ? int64_t{info.type} : int64_t{MakeOSType(format)};
}

}  // namespace orv
