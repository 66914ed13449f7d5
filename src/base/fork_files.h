// Where a file's Finder information and resource fork are kept on Linux: the
// extended attributes user.com.apple.FinderInfo and
// user.com.apple.ResourceFork, or else the AppleDouble file "._NAME" beside
// it.
#pragma once

#include <optional>
#include <string>

#include "base/apple_double.h"

namespace orv {

// The resource fork of the file [path], or nothing when it has none that
// can be read.
std::optional<std::string> readResourceFork(const std::string& path);

// The Finder information of the file [path], or nothing.
std::optional<FinderInfo> readFinderInfo(const std::string& path);

}  // namespace orv
