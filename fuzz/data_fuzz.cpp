// Arbitrary bytes as data files: the "TEXT" parser and line skipping, the
// AppleDouble and resource file readers, the SPICE raw-file reader, and
// read() of every format through a worksheet run, with the bytes as the data
// file and as its side file.
//
// Values that survive a read unchanged must survive a write too: "INT2" and
// "BYT1" data read and written back gives the file's own bytes again.
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/apple_double.h"
#include "base/macroman.h"
#include "base/resource_file.h"
#include "data/file_meta.h"
#include "data/textread.h"
#include "lang/engine.h"
#include "lang/memory_text.h"
#include "packages/spice_raw.h"
#include "session/engine_assembly.h"
#include "text_reference.h"
#include "watched_run.h"

namespace {

class OverwritingHost : public orv::Host {
 public:
  void bugAlert(std::string_view) override {}
  bool confirmOverwrite(const std::string&) override { return true; }
};

// The folder of the data files, made once and removed at exit.
const std::string& folder() {
  static char pattern[] = "/tmp/orvanel-data-fuzz-XXXXXX";
  static const std::string path = [] {
    if (!mkdtemp(pattern)) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(pattern, ec);
    });
    return std::string(pattern);
  }();
  return path;
}

void put(const std::string& name, std::string_view bytes) {
  std::ofstream out(folder() + "/" + name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string get(const std::string& name) {
  std::ifstream in(folder() + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs each of [sheets] in one document inside the folder and returns the
// status of the last one; endless work is cut off by the stop button after a
// short while.
std::string run(const std::vector<std::string>& sheets) {
  std::string result;
  orv::fuzz::runWatched(std::chrono::seconds(1), [&](std::atomic<bool>& stop) {
    OverwritingHost host;
    auto engineOwner = orv::makeEngine(host);
    orv::Engine& engine = *engineOwner;
    engine.setDocumentPath(folder() + "/sheet.ov");
    engine.setStopRequest(&stop);
    for (const std::string& sheet : sheets) {
      orv::MemoryText text(orv::utf8ToUtf16(sheet));
      result = engine.run(text).status;
    }
  });
  return result;
}

// The bytes as a SPICE raw file, asked for a few signal names: whatever the
// header says, no more points come back than it states, and each has one
// value (two for complex data).
void rawFile(std::string_view bytes) {
  for (std::string_view signal : {"v(out)", "v(1)", "time", "x"}) {
    orv::spice::HeaderResult h = orv::spice::readHeader(bytes, signal);
    if (h.readTo > bytes.size()) std::abort();
    if (h.status != orv::spice::HeaderStatus::kOk) continue;
    const orv::spice::RawHeader& r = h.header;
    if (r.signal < 1 || r.signal >= r.variables || r.dataStart > bytes.size()) std::abort();
    if (r.independent.empty() || r.independent.size() > orv::spice::kMaxNameLength) std::abort();
    orv::spice::RawData d = orv::spice::readData(bytes, r, -1, nullptr);
    if (static_cast<int64_t>(d.points()) > r.points) std::abort();
    if (d.y.size() != d.points() * (r.complex ? 2 : 1)) std::abort();
  }
  std::size_t p = 0;
  double v;
  for (std::size_t before = p; orv::spice::scanNumber(bytes, &p, &v); before = p)
    if (p <= before) std::abort();
}

void pureParts(std::string_view bytes) {
  rawFile(bytes);
  const char* p = bytes.data();
  const std::size_t n = bytes.size();
  int64_t limit = n > 0 ? static_cast<unsigned char>(p[0]) % 8 : 0;
  orv::TextValues t = orv::readTextValues(p, p + n, limit);
  if (limit > 0 && static_cast<int64_t>(t.values.size()) > limit) std::abort();
  if (t.cols < 0 || t.cols > static_cast<int64_t>(t.values.size())) std::abort();
  // The quick ways through a text give the bits of the plain reader.
  auto plainBits = [&](const orv::TextValues& quick, int64_t wanted) {
    const orv::TextValues plain = orv::test::referenceTextRead(bytes, wanted);
    return quick.cols == plain.cols && quick.values.size() == plain.values.size() &&
           (quick.values.empty() || std::memcmp(quick.values.data(), plain.values.data(),
                                                quick.values.size() * sizeof(float)) == 0);
  };
  if (!plainBits(t, limit) || !plainBits(orv::readTextValues(p, p + n, 0), 0) ||
      !plainBits(orv::readTextValues(p, p + n, 0, orv::TextQuickWay::Portable), 0))
    std::abort();
  for (int64_t lines : {1, 2, 7, 1000}) {
    std::size_t at = orv::skipTextLines(p, n, n > 3 ? 3 : 0, lines);
    if (at > n) std::abort();
  }

  auto strings = [](std::string_view list) {
    std::string s;
    for (int i = 0; i <= 130; i += (i < 20 ? 1 : 37)) orv::GetIndexedSTR(list, i, &s);
  };
  auto resources = [&](const std::string& fork) {
    std::optional<orv::ResourceFile> file = orv::ResourceFile::open(fork);
    if (!file) return;
    for (int16_t id : {int16_t(2000), int16_t(0), int16_t(-1), int16_t(128)})
      if (std::optional<std::string_view> r = file->get(orv::fourCharCode("STR#"), id)) strings(*r);
    if (fork.size() >= 16) {
      // Whatever type the bytes name at the start of the map, if any.
      file->get(orv::readBigEndian32(fork, 0), 0);
    }
  };
  resources(std::string(bytes));
  strings(bytes);
  if (std::optional<orv::AppleDouble> ad = orv::readAppleDouble(bytes)) {
    if (ad->resourceFork) resources(*ad->resourceFork);
    // What is written must read back the same.
    std::optional<orv::AppleDouble> again = orv::readAppleDouble(orv::writeAppleDouble(*ad));
    if (!again || again->finderInfo != ad->finderInfo || again->resourceFork != ad->resourceFork)
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size > (1u << 16)) return 0;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  pureParts(bytes);

  // The bytes as a data file, with metadata beside it: either the bytes
  // themselves as the side file, or a well-formed side file whose Finder
  // information and resource fork come from the bytes.
  auto at = [&](std::size_t i) { return i < size ? data[i] : 0; };
  put("f", bytes);
  if (at(0) & 1) {
    put("._f", bytes);
  } else {
    orv::AppleDouble side;
    orv::FinderInfo info{};
    for (std::size_t i = 0; i < 8; ++i) info[i] = static_cast<char>(at(i + 1));
    side.finderInfo = info;
    side.resourceFork = std::string(bytes.substr(size > 9 ? 9 : size));
    put("._f", orv::writeAppleDouble(side));
  }
  // Parameters from the bytes too: small ones mostly, and now and then one
  // far beyond any file.
  static const char* const kLengths[] = {"0", "1", "2", "3", "7", "100", "1e9", "9e18"};
  static const char* const kIntervals[] = {"0", "1", "2", "3", "7", "4097", "40001", "2^62"};
  const std::string cols = std::to_string(at(1) % 5), length = kLengths[at(2) % 8],
                    skip = (at(6) & 15) == 0   ? "-9e18"
                           : (at(6) & 15) == 1 ? "9e18"
                                               : std::to_string(static_cast<int8_t>(at(3))),
                    interval = kIntervals[at(4) % 8];
  std::vector<std::string> sheets;
  for (const char* format : {"TEXT", "FLT4", "INT2", "BYT1", "INT4", "DBL8", ""}) {
    const std::string args = std::string("\"f\", \"") + format + "\", " + cols + ", " + length +
                             ", " + skip + ", " + interval;
    sheets.push_back("read(" + args + ")=\nread(" + args + ")[2, 2]=\ncount(read(" + args +
                     "))=\n");
  }
  run(sheets);

  // Round trips, for a quarter of the inputs (writing costs a sync): what
  // was read, written back in its own format, is the file.
  if ((at(5) & 3) != 0) return 0;
  put("._f", "");
  for (const char* format : {"INT2", "BYT1"}) {
    const std::size_t valueSize = format[0] == 'I' ? 2 : 1;
    const std::size_t whole = size / valueSize * valueSize;
    if (whole == 0) continue;
    std::string status = run({std::string("x := read(\"f\", \"") + format +
                              "\")\nwrite(\"w\", x, \"" + format + "\")\n"});
    if (status != "\xC3") continue;  // the success mark; else stopped, or another message
    if (get("w") != bytes.substr(0, whole)) std::abort();
  }
  return 0;
}
