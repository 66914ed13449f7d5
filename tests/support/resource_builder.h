// Builds classic resource files for the tests: header, data, and a map with
// one type list and one reference list per type.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orv::test {

class ResourceBuilder {
 public:
  ResourceBuilder& add(std::string_view type, int16_t id, std::string data) {
    resources_[std::string(type)].push_back({id, std::move(data)});
    return *this;
  }

  std::string build() const {
    std::string data;
    struct Ref {
      int16_t id;
      uint32_t offset;
    };
    std::vector<std::pair<std::string, std::vector<Ref>>> types;
    for (const auto& [type, list] : resources_) {
      types.push_back({type, {}});
      for (const auto& [id, bytes] : list) {
        types.back().second.push_back({id, static_cast<uint32_t>(data.size())});
        put32(&data, static_cast<uint32_t>(bytes.size()));
        data += bytes;
      }
    }
    std::string typeList;
    put16(&typeList, static_cast<uint16_t>(types.size() - 1));
    std::string refs;
    std::size_t refStart = 2 + 8 * types.size();
    for (const auto& [type, list] : types) {
      typeList += type;
      put16(&typeList, static_cast<uint16_t>(list.size() - 1));
      put16(&typeList, static_cast<uint16_t>(refStart + refs.size()));
      for (const Ref& r : list) {
        put16(&refs, static_cast<uint16_t>(r.id));
        put16(&refs, 0xFFFF);    // no name
        put32(&refs, r.offset);  // attributes 0, then the 3-byte offset
        put32(&refs, 0);
      }
    }
    std::string map(16, '\0');
    put32(&map, 0);
    put16(&map, 0);
    put16(&map, 0);
    put16(&map, 28);
    put16(&map, static_cast<uint16_t>(28 + typeList.size() + refs.size()));
    map += typeList + refs;

    std::string file;
    uint32_t dataStart = 256;
    put32(&file, dataStart);
    put32(&file, static_cast<uint32_t>(dataStart + data.size()));
    put32(&file, static_cast<uint32_t>(data.size()));
    put32(&file, static_cast<uint32_t>(map.size()));
    file.resize(dataStart, '\0');
    return file + data + map;
  }

  static void put16(std::string* s, uint16_t v) {
    *s += static_cast<char>(v >> 8);
    *s += static_cast<char>(v & 0xFF);
  }
  static void put32(std::string* s, uint32_t v) {
    put16(s, static_cast<uint16_t>(v >> 16));
    put16(s, static_cast<uint16_t>(v & 0xFFFF));
  }

 private:
  std::map<std::string, std::vector<std::pair<int16_t, std::string>>> resources_;
};

// A string-list resource of [strings].
inline std::string stringList(const std::vector<std::string>& strings) {
  std::string s;
  ResourceBuilder::put16(&s, static_cast<uint16_t>(strings.size()));
  for (const std::string& item : strings) {
    s += static_cast<char>(item.size());
    s += item;
  }
  return s;
}

}  // namespace orv::test
