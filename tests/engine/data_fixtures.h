// What the data-file suites share: a worksheet in its own folder, big-endian
// bytes, and the metadata written beside a data file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "base/apple_double.h"
#include "base/resource_file.h"
#include "data/file_meta.h"
#include "files.h"
#include "resource_builder.h"
#include "worksheet.h"

namespace orv::test {

// One document: a worksheet file [name] in the folder [dir], or untitled.
class Sheet : public Worksheet {
 public:
  Sheet() = default;
  explicit Sheet(const TempDir& dir, const std::string& name = "sheet.ov") {
    documentPath(dir.path(name));
  }
};

inline const std::string kOk = "\xE2\x88\x9A";  // the success mark

// A request and the result its run writes after the ':'.
struct Expected {
  std::string request, result;
};

// Runs the [expected] requests, each "request=" on a line of its own, and
// checks that the run succeeds with those results.
inline void expectResults(Worksheet& s, std::initializer_list<Expected> expected) {
  std::string text;
  for (const Expected& e : expected) text += e.request + "=\n";
  const SheetResult r = s.run(text);
  EXPECT_EQ(r.rawStatus, kOk) << r.text;
  for (const Expected& e : expected) EXPECT_EQ(r[e.request], e.result) << e.request;
}

inline std::string be16(uint16_t v) { return {char(v >> 8), char(v & 0xFF)}; }
inline std::string be32(uint32_t v) { return be16(uint16_t(v >> 16)) + be16(uint16_t(v & 0xFFFF)); }
inline std::string int2s(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += be16(static_cast<uint16_t>(v));
  return s;
}

// Metadata beside [name]: type and creator codes, and optionally a resource
// fork, in the "._NAME" file.
inline void stamp(const TempDir& dir, const std::string& name, const char* type,
                  const char* creator, std::optional<std::string> fork = std::nullopt) {
  AppleDouble entries;
  entries.finderInfo = makeFinderInfo(MakeOSType(type), MakeOSType(creator));
  entries.resourceFork = std::move(fork);
  std::filesystem::path p(name);
  dir.put((p.parent_path() / ("._" + p.filename().string())).string(), writeAppleDouble(entries));
}

}  // namespace orv::test
