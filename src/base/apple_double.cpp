#include "base/apple_double.h"

#include <vector>

#include "base/resource_file.h"

namespace orv {

namespace {

constexpr uint32_t kMagic = 0x00051607;
constexpr std::size_t kHeaderSize = 26;  // magic, version, 16 bytes filler, entry count
constexpr std::size_t kEntrySize = 12;   // id, offset, length
constexpr uint32_t kResourceForkEntry = 2;
constexpr uint32_t kFinderInfoEntry = 9;

void put32(std::string* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) *out += static_cast<char>((v >> shift) & 0xFF);
}

}  // namespace

std::optional<AppleDouble> readAppleDouble(std::string_view bytes) {
  if (bytes.size() < kHeaderSize || readBigEndian32(bytes, 0) != kMagic) return std::nullopt;
  uint32_t version = readBigEndian32(bytes, 4);
  if (version != 0x00010000 && version != 0x00020000) return std::nullopt;
  std::size_t entries = readBigEndian16(bytes, 24);
  AppleDouble result;
  for (std::size_t i = 0; i < entries; ++i) {
    std::size_t at = kHeaderSize + i * kEntrySize;
    if (at + kEntrySize > bytes.size()) break;
    uint32_t id = readBigEndian32(bytes, at);
    std::size_t offset = readBigEndian32(bytes, at + 4);
    std::size_t length = readBigEndian32(bytes, at + 8);
    if (offset > bytes.size() || length > bytes.size() - offset) continue;
    if (id == kResourceForkEntry) {
      result.resourceFork = std::string(bytes.substr(offset, length));
    } else if (id == kFinderInfoEntry && length >= kFinderInfoSize) {
      FinderInfo info;
      bytes.copy(info.data(), kFinderInfoSize, offset);
      result.finderInfo = info;
    }
  }
  return result;
}

std::string writeAppleDouble(const AppleDouble& entries) {
  struct Entry {
    uint32_t id;
    std::string_view data;
  };
  std::vector<Entry> list;
  if (entries.finderInfo)
    list.push_back({kFinderInfoEntry, {entries.finderInfo->data(), kFinderInfoSize}});
  if (entries.resourceFork) list.push_back({kResourceForkEntry, *entries.resourceFork});

  std::string out;
  put32(&out, kMagic);
  put32(&out, 0x00020000);
  out.append(16, '\0');
  out += static_cast<char>(list.size() >> 8);
  out += static_cast<char>(list.size() & 0xFF);
  std::size_t offset = kHeaderSize + list.size() * kEntrySize;
  for (const Entry& e : list) {
    put32(&out, e.id);
    put32(&out, static_cast<uint32_t>(offset));
    put32(&out, static_cast<uint32_t>(e.data.size()));
    offset += e.data.size();
  }
  for (const Entry& e : list) out += e.data;
  return out;
}

FinderInfo makeFinderInfo(uint32_t type, uint32_t creator) {
  FinderInfo info{};
  for (int i = 0; i < 4; ++i) {
    info[i] = static_cast<char>(type >> (24 - 8 * i));
    info[4 + i] = static_cast<char>(creator >> (24 - 8 * i));
  }
  return info;
}

std::string appleDoublePath(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, name) + "._" + path.substr(name);
}

}  // namespace orv
