#include "doc/apple_double.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace orv {

namespace {

constexpr uint32_t kMagic = 0x00051607;
constexpr uint32_t kVersion = 0x00020000;
constexpr uint32_t kResourceForkEntry = 2;
constexpr uint32_t kFinderInfoEntry = 9;
constexpr std::size_t kHeaderSize = 26;  // magic, version, 16 filler bytes, entry count
constexpr std::size_t kFinderInfoSize = 32;

uint32_t be32(std::string_view b, std::size_t at) {
  return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) |
         (uint32_t(uint8_t(b[at + 2])) << 8) | uint32_t(uint8_t(b[at + 3]));
}

void put32(std::string& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out += static_cast<char>((v >> s) & 0xFF);
}

std::string readWhole(const std::string& path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  *ok = static_cast<bool>(in);
  if (!*ok) return {};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string readXattr(const std::string& path, const char* name) {
  ssize_t n = getxattr(path.c_str(), name, nullptr, 0);
  if (n <= 0) return {};
  std::string value(static_cast<std::size_t>(n), '\0');
  n = getxattr(path.c_str(), name, value.data(), value.size());
  if (n < 0) return {};
  value.resize(static_cast<std::size_t>(n));
  return value;
}

}  // namespace

uint32_t MakeOSType(std::string_view s) {
  char c[4] = {};
  for (std::size_t i = 0; i < 4 && i < s.size(); ++i) c[i] = s[i];
  uint32_t v = 0;
  for (char ch : c) v = (v << 8) | static_cast<unsigned char>(ch);
  return v;
}

std::string appleDoublePath(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "._" + path;
  return path.substr(0, slash + 1) + "._" + path.substr(slash + 1);
}

bool decodeAppleDouble(std::string_view b, FileMetadata* meta) {
  if (b.size() < kHeaderSize || be32(b, 0) != kMagic) return false;
  std::size_t entries = (std::size_t(uint8_t(b[24])) << 8) | uint8_t(b[25]);
  *meta = FileMetadata{};
  for (std::size_t i = 0; i < entries; ++i) {
    std::size_t at = kHeaderSize + i * 12;
    if (at + 12 > b.size()) break;
    uint32_t id = be32(b, at);
    std::size_t offset = be32(b, at + 4);
    std::size_t length = be32(b, at + 8);
    if (offset > b.size() || length > b.size() - offset) continue;
    if (id == kFinderInfoEntry && length >= 8) {
      meta->type = be32(b, offset);
      meta->creator = be32(b, offset + 4);
    } else if (id == kResourceForkEntry) {
      meta->resourceFork.assign(b.substr(offset, length));
    }
  }
  return true;
}

std::string encodeAppleDouble(const FileMetadata& meta) {
  const bool fork = !meta.resourceFork.empty();
  const uint32_t entries = fork ? 2 : 1;
  std::string out;
  put32(out, kMagic);
  put32(out, kVersion);
  out.append(16, '\0');
  out += '\0';
  out += static_cast<char>(entries);
  const uint32_t infoAt = static_cast<uint32_t>(kHeaderSize + entries * 12);
  put32(out, kFinderInfoEntry);
  put32(out, infoAt);
  put32(out, kFinderInfoSize);
  if (fork) {
    put32(out, kResourceForkEntry);
    put32(out, infoAt + static_cast<uint32_t>(kFinderInfoSize));
    put32(out, static_cast<uint32_t>(meta.resourceFork.size()));
  }
  put32(out, meta.type);
  put32(out, meta.creator);
  out.append(kFinderInfoSize - 8, '\0');
  out += meta.resourceFork;
  return out;
}

FileMetadata readFileMetadata(const std::string& path) {
  FileMetadata meta;
  bool ok;
  std::string ad = readWhole(appleDoublePath(path), &ok);
  if (ok && decodeAppleDouble(ad, &meta)) return meta;
  std::string info = readXattr(path, "user.com.apple.FinderInfo");
  if (info.size() >= 8) {
    meta.type = be32(info, 0);
    meta.creator = be32(info, 4);
  }
  meta.resourceFork = readXattr(path, "user.com.apple.ResourceFork");
  return meta;
}

bool writeFileMetadata(const std::string& path, const FileMetadata& meta) {
  std::string target = appleDoublePath(path);
  std::string temp = target + ".tmp" + std::to_string(getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    std::string bytes = encodeAppleDouble(meta);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), target.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

void removeFileMetadata(const std::string& path) { std::remove(appleDoublePath(path).c_str()); }

}  // namespace orv
