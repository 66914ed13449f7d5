// AppleDouble files: the "._NAME" file beside NAME that holds what a file
// system without forks cannot, namely the Finder information (type and
// creator codes) and the resource fork. Version 2, as the other platform
// itself writes on foreign file systems; version 1 is read too.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

inline constexpr std::size_t kFinderInfoSize = 32;
using FinderInfo = std::array<char, kFinderInfoSize>;  // type, creator, then flags

struct AppleDouble {
  std::optional<FinderInfo> finderInfo;
  std::optional<std::string> resourceFork;
};

// Reads an AppleDouble file; nothing when [bytes] are not one. Entries that
// lie outside the file are left out.
std::optional<AppleDouble> readAppleDouble(std::string_view bytes);

// The AppleDouble file of [entries].
std::string writeAppleDouble(const AppleDouble& entries);

// Finder information with [type] and [creator] and no flags.
FinderInfo makeFinderInfo(uint32_t type, uint32_t creator);

// The path of the AppleDouble file of [path]: "._" before the last component.
std::string appleDoublePath(const std::string& path);

}  // namespace orv
