// Whole-file reading and atomic replacement, for data files and include
// files.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orv {

// Reads the file at [path] into [bytes]; false with errno set on failure.
// Only regular files are read, and at most [most] bytes (EFBIG beyond).
bool readFileBytes(const std::string& path, std::string* bytes,
                   std::size_t most = std::size_t(256) << 20);

// An open regular file read at given positions: data files are read in
// pieces straight into the values they become.
class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();
  // False with errno set when [path] is no regular file that can be read.
  bool open(const std::string& path);
  std::size_t size() const { return size_; }
  // Reads up to [n] bytes at [offset] into [out]: fewer only at the end of
  // the file; -1 with errno set on an error.
  ssize_t read(std::size_t offset, void* out, std::size_t n) const;

 private:
  int fd_ = -1;
  std::size_t size_ = 0;
};

bool fileExists(const std::string& path);

// The last component of a path.
std::string lastPathComponent(const std::string& path);

// A file being written: the data goes to a temporary file beside the target,
// which replaces the target only when commit() is called, so a failed or
// stopped write never leaves a half-written file in its place. The first
// failure is kept with its errno value; later writes do nothing.
class DataWriter {
 public:
  ~DataWriter();
  // Creates the temporary file; false when it cannot be created.
  bool open(const std::string& target);
  void write(const void* data, std::size_t n);
  void write(const std::string& s) { write(s.data(), s.size()); }
  // Attaches the extended attribute [name] to the file. True when it was
  // set or the file system keeps no such attributes (the caller then has
  // other means); false when setting it failed otherwise.
  bool setAttribute(const char* name, const std::string& value);
  // Writes out what is buffered and closes the file, which stays beside
  // the target; false on error.
  bool finish();
  // Moves the finished file into place; false (and the target untouched)
  // on error.
  bool publish();
  // finish() and publish().
  bool commit() { return finish() && publish(); }
  // Throws the temporary file away.
  void discard();
  bool failed() const { return error_ != 0; }
  // The errno value of the first failure, 0 when none.
  int error() const { return error_; }
  const std::string& target() const { return target_; }

 private:
  void flush();
  void writeOut(const void* data, std::size_t n);
  void fail(int error) {
    if (error_ == 0) error_ = error;
  }
  std::string target_, temp_;
  int fd_ = -1;
  std::string buffer_;
  int error_ = 0;
};

}  // namespace orv
