// File metadata kept beside a file: the classic type and creator codes and
// the resource fork. They live in an AppleDouble file "._NAME" next to NAME
// (the form the other platform writes on foreign file systems); readers also
// accept the extended attributes user.com.apple.FinderInfo and
// user.com.apple.ResourceFork.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// A four-character code, first character in the most significant byte.
constexpr uint32_t fourCC(const char* s) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(s[i] ? s[i] : 0);
  return v;
}
// MakeOSType: the code of the first four bytes of [s], padded with NULs.
uint32_t MakeOSType(std::string_view s);

inline constexpr uint32_t kCreatorOrvl = fourCC("Orvl");

struct FileMetadata {
  uint32_t type = 0;
  uint32_t creator = 0;
  std::string resourceFork;  // raw bytes; empty when there is none
};

// The AppleDouble path of [path]: "dir/._name".
std::string appleDoublePath(const std::string& path);

// Decodes an AppleDouble file; false when [bytes] is not one. Entries out of
// bounds are ignored.
bool decodeAppleDouble(std::string_view bytes, FileMetadata* meta);
std::string encodeAppleDouble(const FileMetadata& meta);

// The metadata of the file at [path]: from its AppleDouble file, else from
// its extended attributes, else empty.
FileMetadata readFileMetadata(const std::string& path);

// Writes the AppleDouble file of [path]; false when it cannot be written.
bool writeFileMetadata(const std::string& path, const FileMetadata& meta);

// Removes the AppleDouble file of [path], if any.
void removeFileMetadata(const std::string& path);

}  // namespace orv
