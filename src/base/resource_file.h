// The classic resource file format (the content of a resource fork): a
// 16-byte header, the resource data, and a resource map of types and
// reference lists. Resources are found by four-character type and 16-bit id,
// in this file only. All numbers are big-endian.
//
// Every offset and length in the file is checked against its size, so any
// bytes can be opened: a damaged map means "not a resource file", a damaged
// reference means "no such resource".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// A four-character code, first character in the most significant byte.
constexpr uint32_t fourCharCode(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
         uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}

// Big-endian numbers at [offset] of [bytes]; the caller checks the bounds.
uint16_t readBigEndian16(std::string_view bytes, std::size_t offset);
uint32_t readBigEndian32(std::string_view bytes, std::size_t offset);

class ResourceFile {
 public:
  // Reads the header and map of [bytes]; nothing when they are not those of
  // a resource file.
  static std::optional<ResourceFile> open(std::string bytes);

  // The data of resource [type] [id], or nothing when the file has no such
  // resource (or only a damaged reference to one).
  std::optional<std::string_view> get(uint32_t type, int16_t id) const;

 private:
  ResourceFile() = default;
  std::string bytes_;
  std::size_t dataStart_ = 0, dataLength_ = 0;
  std::size_t typeList_ = 0;  // absolute offset of the type list's count
  std::size_t mapEnd_ = 0;
};

// Indexed string [index] (from 1) of the string-list ('STR#') resource data
// [list]: a 16-bit count, then length-prefixed strings back to back. Fails
// when [index] is outside 1..count, when the count is above 127, when a
// string up to and including the wanted one is longer than 39 characters,
// when the strings before it add up to 200 characters or more, or when the
// data ends early.
bool GetIndexedSTR(std::string_view list, int index, std::string* out);

}  // namespace orv
