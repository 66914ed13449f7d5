// Whole-file reading and atomic replacement, for data files and include
// files.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// Reads the file at [path] into [bytes]; false with errno set on failure.
bool readFileBytes(const std::string& path, std::string* bytes);

bool fileExists(const std::string& path);

// The last component of a path.
std::string lastPathComponent(const std::string& path);

// A file being written: the data goes to a temporary file beside the target,
// which replaces the target only when commit() is called, so a failed or
// stopped write never leaves a half-written file in its place.
class DataWriter {
 public:
  ~DataWriter();
  // Creates the temporary file; false when it cannot be created.
  bool open(const std::string& target);
  void write(const void* data, std::size_t n);
  void write(const std::string& s) { write(s.data(), s.size()); }
  // Moves the data into place; false (and the target untouched) on error.
  bool commit();
  // Throws the temporary file away.
  void discard();
  bool failed() const { return failed_; }
  const std::string& target() const { return target_; }

 private:
  void flush();
  std::string target_, temp_;
  int fd_ = -1;
  std::string buffer_;
  bool failed_ = false;
};

}  // namespace orv
