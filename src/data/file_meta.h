// The type and creator codes and the column count that data files carry in
// their metadata (see doc/fork_files.h for where it is kept).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

class DataWriter;

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

// The metadata of a data file being written to [data]: its codes and, for
// a matrix ([cols] > 0), the column tag, as extended attributes of the new
// file itself, which move into place with it, and in the AppleDouble file
// that [side] (not yet open) writes beside it for other platforms and file
// systems without attributes. False when any of it fails.
bool attachDataFileInfo(DataWriter& data, DataWriter& side, uint32_t type, uint32_t creator,
                        int64_t cols);

// Removes the metadata kept beside [path].
void removeDataFileInfo(const std::string& path);

}  // namespace orv
