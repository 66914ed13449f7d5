#include "base/resource_file.h"

namespace orv {

namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kMapHeaderSize = 28;  // header copy, next map, file ref, attributes, offsets
constexpr std::size_t kTypeEntrySize = 8;
constexpr std::size_t kReferenceSize = 12;

// [offset, offset + length) lies within [0, size).
bool fits(std::size_t offset, std::size_t length, std::size_t size) {
  return offset <= size && length <= size - offset;
}

}  // namespace

uint16_t readBigEndian16(std::string_view bytes, std::size_t offset) {
  return static_cast<uint16_t>(uint8_t(bytes[offset]) << 8 | uint8_t(bytes[offset + 1]));
}

uint32_t readBigEndian32(std::string_view bytes, std::size_t offset) {
  return uint32_t(readBigEndian16(bytes, offset)) << 16 | readBigEndian16(bytes, offset + 2);
}

std::optional<ResourceFile> ResourceFile::open(std::string bytes) {
  std::string_view b = bytes;
  if (b.size() < kHeaderSize) return std::nullopt;
  std::size_t dataStart = readBigEndian32(b, 0);
  std::size_t mapStart = readBigEndian32(b, 4);
  std::size_t dataLength = readBigEndian32(b, 8);
  std::size_t mapLength = readBigEndian32(b, 12);
  if (!fits(dataStart, dataLength, b.size()) || !fits(mapStart, mapLength, b.size()) ||
      mapLength < kMapHeaderSize + 2)
    return std::nullopt;
  std::size_t typeList = mapStart + readBigEndian16(b, mapStart + 24);
  if (!fits(typeList, 2, mapStart + mapLength)) return std::nullopt;

  ResourceFile file;
  file.dataStart_ = dataStart;
  file.dataLength_ = dataLength;
  file.typeList_ = typeList;
  file.mapEnd_ = mapStart + mapLength;
  file.bytes_ = std::move(bytes);
  return file;
}

std::optional<std::string_view> ResourceFile::get(uint32_t type, int16_t id) const {
  std::string_view b = bytes_;
  std::size_t types = (readBigEndian16(b, typeList_) + 1u) & 0xFFFF;  // stored as count - 1
  for (std::size_t t = 0; t < types; ++t) {
    std::size_t entry = typeList_ + 2 + t * kTypeEntrySize;
    if (!fits(entry, kTypeEntrySize, mapEnd_)) return std::nullopt;
    if (readBigEndian32(b, entry) != type) continue;
    std::size_t count = readBigEndian16(b, entry + 4) + 1u;
    std::size_t refs = typeList_ + readBigEndian16(b, entry + 6);
    for (std::size_t r = 0; r < count; ++r) {
      std::size_t ref = refs + r * kReferenceSize;
      if (!fits(ref, kReferenceSize, mapEnd_)) break;
      if (static_cast<int16_t>(readBigEndian16(b, ref)) != id) continue;
      std::size_t at = readBigEndian32(b, ref + 4) & 0xFFFFFF;  // low 3 bytes: offset in the data
      if (!fits(at, 4, dataLength_)) return std::nullopt;
      std::size_t length = readBigEndian32(b, dataStart_ + at);
      if (!fits(at + 4, length, dataLength_)) return std::nullopt;
      return b.substr(dataStart_ + at + 4, length);
    }
  }
  return std::nullopt;
}

bool GetIndexedSTR(std::string_view list, int index, std::string* out) {
  if (list.size() < 2) return false;
  int count = readBigEndian16(list, 0);
  if (count > 127 || index < 1 || index > count) return false;
  std::size_t p = 2;
  std::size_t passed = 0;
  for (int i = 1; i <= index; ++i) {
    if (passed >= 200 || p >= list.size()) return false;
    std::size_t len = static_cast<unsigned char>(list[p]);
    if (len > 39 || !fits(p + 1, len, list.size())) return false;
    if (i == index) {
      out->assign(list.substr(p + 1, len));
      return true;
    }
    passed += len;
    p += 1 + len;
  }
  return false;
}

}  // namespace orv
