#include "data/file_meta.h"

#include <cstdio>
#include <optional>

#include "base/apple_double.h"
#include "base/fork_files.h"
#include "base/resource_file.h"
#include "data/files.h"

namespace orv {

uint32_t MakeOSType(std::string_view s) {
  uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i)
    v = (v << 8) | (i < s.size() ? static_cast<unsigned char>(s[i]) : 0u);
  return v;
}

DataFileInfo readDataFileInfo(const std::string& path) {
  DataFileInfo info;
  if (std::optional<FinderInfo> f = readFinderInfo(path)) {
    info.type = readBigEndian32(std::string_view(f->data(), f->size()), 0);
    info.creator = readBigEndian32(std::string_view(f->data(), f->size()), 4);
  }
  return info;
}

namespace {

int64_t decimal(const std::string& s) {
  int64_t n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    if (n < (int64_t(1) << 40)) n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

int64_t getcols(const std::string& path) {
  std::optional<std::string> fork = readResourceFork(path);
  if (!fork || fork->empty()) return 0;
  if ((*fork)[0] == '[') {
    int64_t n = 0;
    for (std::size_t i = 1; i < fork->size() && i < 10; ++i) {
      char c = (*fork)[i];
      if (c < '0' || c > '9') break;
      n = n * 10 + (c - '0');
    }
    return n;
  }
  std::optional<ResourceFile> file = ResourceFile::open(*fork);
  if (!file) return 0;
  std::optional<std::string_view> list = file->get(fourCharCode("STR#"), 2000);
  if (!list) return 0;
  std::string first, last;
  int64_t lo = GetIndexedSTR(*list, 16, &first) ? decimal(first) : 0;
  int64_t hi = GetIndexedSTR(*list, 17, &last) ? decimal(last) : 0;
  if (lo == 0 && hi == 0) return 0;
  return hi - lo + 1;
}

bool attachDataFileInfo(DataWriter& data, DataWriter& side, uint32_t type, uint32_t creator,
                        int64_t cols) {
  AppleDouble entries;
  entries.finderInfo = makeFinderInfo(type, creator);
  if (cols > 0) {
    std::string tag = "[" + std::to_string(cols);
    tag.resize(10, '\0');
    tag[9] = '\0';
    entries.resourceFork = tag;
  }
  const FinderInfo& info = *entries.finderInfo;
  if (!data.setAttribute("user.com.apple.FinderInfo", std::string(info.data(), info.size())))
    return false;
  if (entries.resourceFork &&
      !data.setAttribute("user.com.apple.ResourceFork", *entries.resourceFork))
    return false;
  if (!side.open(appleDoublePath(data.target()))) return false;
  side.write(writeAppleDouble(entries));
  return !side.failed();
}

void removeDataFileInfo(const std::string& path) { std::remove(appleDoublePath(path).c_str()); }

}  // namespace orv
