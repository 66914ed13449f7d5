// The type and creator codes and the column count that data files carry in
// their metadata (see doc/fork_files.h for where it is kept).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// A four-character code from the first four bytes of [s], padded with NULs.
uint32_t MakeOSType(std::string_view s);

inline const uint32_t kCreatorOrvl = MakeOSType("Orvl");

struct DataFileInfo {
  uint32_t type = 0;
  uint32_t creator = 0;
};

DataFileInfo readDataFileInfo(const std::string& path);

// The column count of a binary data file: the tag "[N" at the start of its
// resource fork, else first and last column from strings 16 and 17 of its
// 'STR#' 2000 resource, else 0.
int64_t getcols(const std::string& path);

// Writes the metadata of a data file just written: its codes, and for a
// matrix ([cols] > 0) the column tag. Returns false when it can't be written.
bool writeDataFileInfo(const std::string& path, uint32_t type, uint32_t creator, int64_t cols);

// Removes the metadata kept beside [path].
void removeDataFileInfo(const std::string& path);

}  // namespace orv
