// Data files: the "TEXT" parser on its own, read() and write() of every
// format through worksheet runs, file metadata beside the data (type and
// creator codes, column tag, string-list resource), file names relative to
// the worksheet, atomic replacement, and include files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "data/file_meta.h"
#include "data/textread.h"
#include "doc/apple_double.h"
#include "doc/macroman.h"
#include "doc/resource_file.h"
#include "lang/engine.h"
#include "lang/large_stack.h"
#include "lang/memory_text.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Fixtures: a fresh folder for the worksheet and its files, and runs with a
// document path inside it.
// ---------------------------------------------------------------------------

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "orvanel-data-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string path(const std::string& name = "") const {
    return name.empty() ? path_ : path_ + "/" + name;
  }
  void put(const std::string& name, std::string_view bytes) const {
    fs::create_directories(fs::path(path(name)).parent_path());
    std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string get(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool exists(const std::string& name) const { return fs::exists(path(name)); }
  // Every entry of the folder, for checking that no temporary file stays.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
};

class DataHost : public Host {
 public:
  void bugAlert(std::string_view text) override { alerts.push_back(bytesToUtf8(text)); }
  bool confirmOverwrite(const std::string& fileName) override {
    asked.push_back(fileName);
    return overwrite;
  }
  void includeFailed(const std::string& path, const std::u16string&, std::size_t pos,
                     std::string_view message) override {
    includeFailures.push_back(path + " @" + std::to_string(pos) + ":" + bytesToUtf8(message));
  }
  bool overwrite = false;
  std::vector<std::string> alerts, asked, includeFailures;
};

struct Result {
  std::string text;    // the worksheet after the run, UTF-8
  std::string status;  // status line as the engine set it (leading blank kept)
  bool ok = false;

  // The result written after "[request]:" on a line of its own.
  std::string operator[](const std::string& request) const {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
      if (line.size() > request.size() && line.compare(0, request.size(), request) == 0 &&
          line[request.size()] == ':')
        return line.substr(request.size() + 1);
    return "<no line " + request + ">";
  }
};

// One document: a worksheet file [name] in its own folder (or untitled),
// run as often as a test likes in one engine.
class Sheet {
 public:
  explicit Sheet(const TempDir& dir, const std::string& name = "sheet.ov") : engine_(host) {
    engine_.setDocumentPath(dir.path(name));
    engine_.setStopRequest(&stop);
  }
  struct Untitled {};
  explicit Sheet(Untitled) : engine_(host) {}

  Result run(const std::string& utf8) {
    Result r;
    runOnLargeStack([&] {
      MemoryText text(utf8ToUtf16(utf8));
      RunOutcome out = engine_.run(text);
      r.text = text.utf8();
      r.status = bytesToUtf8(out.status);
      r.ok = out.ok;
    });
    return r;
  }
  DataHost host;
  std::atomic<bool> stop{false};  // the stop button

 private:
  Engine engine_;
};

const std::string kOk = "\xE2\x88\x9A";  // the success mark

// ---------------------------------------------------------------------------
// Binary fixtures
// ---------------------------------------------------------------------------

std::string be16(uint16_t v) { return {char(v >> 8), char(v & 0xFF)}; }
std::string be32(uint32_t v) { return be16(uint16_t(v >> 16)) + be16(uint16_t(v & 0xFFFF)); }
std::string int2s(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += be16(static_cast<uint16_t>(v));
  return s;
}

// Metadata beside [name]: type and creator codes, and optionally a resource
// fork, in the "._NAME" file.
void stamp(const TempDir& dir, const std::string& name, const char* type, const char* creator,
           std::optional<std::string> fork = std::nullopt) {
  AppleDouble entries;
  entries.finderInfo = makeFinderInfo(MakeOSType(type), MakeOSType(creator));
  entries.resourceFork = std::move(fork);
  fs::path p(name);
  std::string side = (p.parent_path() / ("._" + p.filename().string())).string();
  dir.put(side, writeAppleDouble(entries));
}

// A classic resource file with one string-list resource 'STR#' [id].
std::string resourceFileWithStrings(int16_t id, const std::vector<std::string>& strings) {
  std::string list = be16(static_cast<uint16_t>(strings.size()));
  for (const std::string& s : strings) list += char(s.size()) + s;
  std::string data = be32(static_cast<uint32_t>(list.size())) + list;
  // Map: reserved header copy, next map, file reference, attributes, the
  // type list and name list offsets; then the type list (count - 1; type,
  // count - 1, reference list offset from the type list) and the one
  // reference (id, no name, attributes and 3-byte data offset, handle).
  std::string typeList = be16(0) + "STR#" + be16(0) + be16(2 + 8);
  std::string refs = be16(static_cast<uint16_t>(id)) + be16(0xFFFF) + be32(0) + be32(0);
  std::string map = std::string(16, '\0') + be32(0) + be16(0) + be16(0) + be16(28) +
                    be16(static_cast<uint16_t>(28 + typeList.size() + refs.size())) + typeList +
                    refs;
  const uint32_t dataStart = 256;
  std::string file = be32(dataStart) + be32(dataStart + static_cast<uint32_t>(data.size())) +
                     be32(static_cast<uint32_t>(data.size())) +
                     be32(static_cast<uint32_t>(map.size()));
  file.resize(dataStart, '\0');
  return file + data + map;
}

// Strings 1..17 of a string list with [first] and [last] column as 16 and 17.
std::vector<std::string> columnStrings(const std::string& first, const std::string& last) {
  std::vector<std::string> s;
  for (int i = 1; i <= 15; ++i) s.push_back("s" + std::to_string(i));
  s.push_back(first);
  s.push_back(last);
  return s;
}

// ---------------------------------------------------------------------------
// The "TEXT" parser
// ---------------------------------------------------------------------------

TextValues parse(std::string_view text, int64_t limit = 0) {
  return readTextValues(text.data(), text.data() + text.size(), limit);
}

std::string show(const TextValues& t) {
  std::string s = "cols " + std::to_string(t.cols) + ":";
  for (float v : t.values) {
    char buf[32];
    std::snprintf(buf, sizeof buf, " %g", static_cast<double>(v));
    s += std::isnan(v) ? " ?" : buf;
  }
  return s;
}

TEST(TextFormat, NumbersAmongOtherCharacters) {
  // An 'e' without digits ends the number; a lone '-' or '.' is zero; a run
  // of '?' is one missing value; the character that ends a number is passed
  // over, so 1.2.3 is 1.2 and 3.
  EXPECT_EQ(show(parse("3.5e 3.5e+ 2e3 -1.5E-1 1e-3")), "cols 0: 3.5 3.5 2000 -0.15 0.001");
  EXPECT_EQ(show(parse("- . -. 7")), "cols 0: 0 0 0 7");
  EXPECT_EQ(show(parse("?? ? 1 ???x?")), "cols 0: ? ? 1 ? ?");
  EXPECT_EQ(show(parse("1.2.3")), "cols 0: 1.2 3");
  EXPECT_EQ(show(parse("1--2")), "cols 0: 1 -2") << "the '-' ending 1 is passed over";
  EXPECT_EQ(show(parse("x=+4,y=5;Inf NaN inf")), "cols 0: 4 5");
  EXPECT_EQ(show(parse("\xA5\xFF"
                       "12\x80")),
            "cols 0: 12")
      << "bytes outside ASCII separate";
  // Rounded to single precision before the exponent is applied.
  EXPECT_EQ(parse("0.1").values[0], 0.1f);
  EXPECT_EQ(parse("16777217").values[0], 16777216.0f);
  EXPECT_EQ(show(parse("1e400 -1e400 1e-400")), "cols 0: inf -inf 0");
  EXPECT_TRUE(parse("").values.empty());
  EXPECT_TRUE(parse("no numbers here, just words\n").values.empty());
  // A very long run of digits is still one number.
  EXPECT_EQ(parse(std::string(400, '9')).values.size(), 1u);
  EXPECT_EQ(parse("0." + std::string(300, '0') + "5").values[0], 0.0f);
}

TEST(TextFormat, ColumnsFromTheFirstLineEndInEveryLineEndConvention) {
  for (const char* eol : {"\n", "\r", "\r\n"}) {
    SCOPED_TRACE(testing::PrintToString(eol));
    auto lines = [&](std::initializer_list<const char*> ls) {
      std::string s;
      for (const char* l : ls) s += std::string(l) + eol;
      return s;
    };
    EXPECT_EQ(show(parse(lines({"1 2 3", "4 5 6"}))), "cols 3: 1 2 3 4 5 6");
    // Blanks and tabs before the line end, a comma ending the last number.
    EXPECT_EQ(show(parse(lines({"1\t2 \t", "3\t4"}))), "cols 2: 1 2 3 4");
    EXPECT_EQ(show(parse(lines({"1,2,3,", "4,5,6,"}))), "cols 3: 1 2 3 4 5 6");
    // A header line without digits, '.' or '-' is passed over.
    EXPECT_EQ(show(parse(lines({"time volts", "0 1", "1 2"}))), "cols 2: 0 1 1 2");
    // One value per line, a single line, and all values on the first line:
    // one-dimensional.
    EXPECT_EQ(show(parse(lines({"1", "2", "3"}))), "cols 0: 1 2 3");
    EXPECT_EQ(show(parse(lines({"1 2 3 4"}))), "cols 0: 1 2 3 4");
    EXPECT_EQ(show(parse(lines({"1 2 3", "", "4"}))), "cols 3: 1 2 3 4");
  }
  // No line end at all.
  EXPECT_EQ(show(parse("1 2 3 4")), "cols 0: 1 2 3 4");
  // A header with a '-' gives values of its own, and the line ends there.
  EXPECT_EQ(show(parse("ch-A ch-B\n1 2\n")), "cols 2: 0 0 1 2");
  // A blank and then a comma before the line end: that line does not end
  // at a value, the next one does.
  EXPECT_EQ(show(parse("1 2 ,\n3 4\n5 6\n")), "cols 4: 1 2 3 4 5 6");
  // '?' values end lines too.
  EXPECT_EQ(show(parse("? 1\n2 ??\n")), "cols 2: ? 1 2 ?");
}

TEST(TextFormat, LimitStopsAfterThatManyValues) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += std::to_string(i) + "\n";
  TextValues t = parse(text, 10);
  ASSERT_EQ(t.values.size(), 10u);
  EXPECT_EQ(t.values[9], 9.0f);
  EXPECT_EQ(parse(text, 0).values.size(), 100u);
  EXPECT_EQ(parse(text, 1000).values.size(), 100u);
  // Columns only from what was read.
  EXPECT_EQ(parse("1 2 3\n4 5 6\n", 2).cols, 0);
  EXPECT_EQ(parse("1 2\n3 4\n5 6\n", 3).cols, 2);
}

TEST(TextFormat, ManyMoreNumbersThanBytesOverThree) {
  // One digit and a separator per number: half the size, far above
  // size / 3 + 400. All of them are read.
  std::string text;
  for (int i = 0; i < 30000; ++i) text += "7,";
  TextValues t = parse(text);
  EXPECT_EQ(t.values.size(), 30000u);
  // '?' runs separated by one character: the densest missing values.
  EXPECT_EQ(parse(std::string(9001, '?').replace(1, 1, " ")).values.size(), 2u);
}

std::size_t skip(std::string_view text, int64_t lines) {
  return skipTextLines(text.data(), text.size(), 0, lines);
}

TEST(TextFormat, SkippingLines) {
  EXPECT_EQ(skip("ab\ncd\nef\n", 2), 6u);
  EXPECT_EQ(skip("ab\rcd\ref\r", 2), 6u);
  EXPECT_EQ(skip("ab\r\ncd\r\nef\r\n", 2), 8u);
  EXPECT_EQ(skip("ab\r\ncd\r\nef\r\n", 1), 4u);
  // Blank lines count; a LF after a CR belongs to the CR.
  EXPECT_EQ(skip("\n\nx", 2), 2u);
  EXPECT_EQ(skip("a\r\n\nb", 2), 4u);
  EXPECT_EQ(skip("a\r\r\nb", 2), 4u);
  // After the lines one more CR or LF is passed over.
  EXPECT_EQ(skip("a\n\nb", 1), 3u);
  // A line longer than 300 bytes ends after 300.
  std::string longLine(1000, 'x');
  EXPECT_EQ(skip(longLine, 1), 300u);
  EXPECT_EQ(skip(longLine, 3), 900u);
  // More lines than the text has, or no byte after the last line: from the
  // start.
  EXPECT_EQ(skip("a\nb\nc", 5), 0u);
  EXPECT_EQ(skip("a\nb\n", 2), 0u);
  EXPECT_EQ(skip("", 1), 0u);
  EXPECT_EQ(skipTextLines("zz\nab\ncd\n", 9, 3, 1), 6u) << "counts from the given start";
}

// ---------------------------------------------------------------------------
// read() through worksheet runs
// ---------------------------------------------------------------------------

TEST(ReadText, ShapeAndElementsThroughTheWorksheet) {
  TempDir dir;
  dir.put("m.txt", "x y z\n1 2 3\n4 5 6\n");
  dir.put("v.txt", "1 2 3 4");
  dir.put("lines.txt", "1\r\n2\r\n3\r\n");
  dir.put("quirks.txt", "3.5e - ?? 1.2.3\n");
  stamp(dir, "m.txt", "TEXT", "ttxt");
  Sheet s(dir);
  Result r = s.run(
      "read(\"m.txt\")=\n"
      "read(\"v.txt\", \"TEXT\")=\n"
      "read(\"lines.txt\", \"TEXT\")=\n"
      "read(\"quirks.txt\", \"TEXT\")=\n"
      "read(\"m.txt\")[2]=\n"
      "read(\"m.txt\")[2, 3]=\n"
      "read(\"m.txt\")[1, 5]=\n"
      "read(\"m.txt\")[1, 7]=\n"
      "read(\"m.txt\")[3, 1]=\n"
      "read(\"v.txt\", \"TEXT\")[0.4]=\n"
      "read(\"v.txt\", \"TEXT\")[0.5]=\n"
      "read(\"v.txt\", \"TEXT\")[0.51]=\n"
      "read(\"v.txt\", \"TEXT\")[1.5]=\n"
      "read(\"v.txt\", \"TEXT\")[4.49]=\n"
      "read(\"v.txt\", \"TEXT\")[4.5]=\n"
      "read(\"v.txt\", \"TEXT\", 3)[2, 1]=\n"
      "read(\"m.txt\", ?, 0)=\n"
      "count(read(\"m.txt\"))=\n"
      "count(read(\"m.txt\", ?, 0))=\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(r["read(\"m.txt\")"], "{{1.00,2.00,3.00},{4.00,5.00,6.00}}");
  EXPECT_EQ(r["read(\"v.txt\", \"TEXT\")"], "{1.00,2.00,3.00,4.00}");
  EXPECT_EQ(r["read(\"lines.txt\", \"TEXT\")"], "{1.00,2.00,3.00}");
  EXPECT_EQ(r["read(\"quirks.txt\", \"TEXT\")"], "{3.50,0.00,NAN04,1.20,3.00}");
  EXPECT_EQ(r["read(\"m.txt\")[2]"], "{4.00,5.00,6.00}");
  EXPECT_EQ(r["read(\"m.txt\")[2, 3]"], "6.00");
  // A column beyond the last runs into the next row, within the values.
  EXPECT_EQ(r["read(\"m.txt\")[1, 5]"], "5.00");
  EXPECT_EQ(r["read(\"m.txt\")[1, 7]"], "?");
  EXPECT_EQ(r["read(\"m.txt\")[3, 1]"], "?");
  EXPECT_EQ(r["read(\"v.txt\", \"TEXT\")[0.4]"], "?");
  EXPECT_EQ(r["read(\"v.txt\", \"TEXT\")[0.5]"], "?");
  EXPECT_EQ(r["read(\"v.txt\", \"TEXT\")[0.51]"], "1.00");
  EXPECT_EQ(r["read(\"v.txt\", \"TEXT\")[1.5]"], "2.00");
  EXPECT_EQ(r["read(\"v.txt\", \"TEXT\")[4.49]"], "4.00");
  EXPECT_EQ(r["read(\"v.txt\", \"TEXT\")[4.5]"], "?");
  // A row that holds only part of its values is not a row.
  EXPECT_EQ(r["read(\"v.txt\", \"TEXT\", 3)[2, 1]"], "?");
  EXPECT_EQ(r["read(\"m.txt\", ?, 0)"], "{1.00,2.00,3.00,4.00,5.00,6.00}");
  EXPECT_EQ(r["count(read(\"m.txt\"))"], "2.00") << "rows";
  EXPECT_EQ(r["count(read(\"m.txt\", ?, 0))"], "6.00");
}

TEST(ReadText, MoreNumbersThanTheFirstGuessAndTheLengthLimit) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 3000; ++i) text += (i % 10 == 9) ? "1\n" : "1 ";
  dir.put("big.txt", text);  // 6000 bytes, 3000 numbers: far above 6000 / 3 + 400
  std::string hundred;
  for (int i = 1; i <= 100; ++i) hundred += std::to_string(i) + " ";
  dir.put("h.txt", hundred);
  Sheet s(dir);
  Result r = s.run(
      "count(read(\"big.txt\", \"TEXT\", 0))=\n"
      "read(\"big.txt\", \"TEXT\")[300, 10]=\n"
      "count(read(\"h.txt\", \"TEXT\", 0, 10))=\n"
      "read(\"h.txt\", \"TEXT\", 0, 10)[10]=\n"
      "read(\"h.txt\", \"TEXT\", 0, 10)[11]=\n"
      "count(read(\"h.txt\", \"TEXT\", 0, 1000))=\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(r["count(read(\"big.txt\", \"TEXT\", 0))"], "3000.00");
  EXPECT_EQ(r["read(\"big.txt\", \"TEXT\")[300, 10]"], "1.00");
  EXPECT_EQ(r["count(read(\"h.txt\", \"TEXT\", 0, 10))"], "10.00");
  EXPECT_EQ(r["read(\"h.txt\", \"TEXT\", 0, 10)[10]"], "10.00");
  EXPECT_EQ(r["read(\"h.txt\", \"TEXT\", 0, 10)[11]"], "?");
  EXPECT_EQ(r["count(read(\"h.txt\", \"TEXT\", 0, 1000))"], "100.00");
}

TEST(ReadSkip, BytesForwardAndLinesInEachLineEndConvention) {
  TempDir dir;
  dir.put("lf.txt", "head one\nhead two\n1 2\n3 4\n");
  dir.put("cr.txt", "head one\rhead two\r1 2\r3 4\r");
  dir.put("crlf.txt", "head 1\r\nhead 2\r\n5 6\r\n7 8\r\n");
  dir.put("digits.txt", "0123456789 10 11");
  dir.put("h.txt", "h1\nh2\n1 2\n3 4\n");
  dir.put("i2", int2s({10, 20, 30, 40}));
  Sheet s(dir);
  Result r = s.run(
      "read(\"lf.txt\", \"TEXT\", ?, ?, -2)=\n"
      "read(\"cr.txt\", \"TEXT\", ?, ?, -2)=\n"
      "read(\"crlf.txt\", \"TEXT\", ?, ?, -2)=\n"
      "read(\"crlf.txt\", \"TEXT\", ?, ?, -3)=\n"
      "read(\"h.txt\", \"TEXT\", ?, ?, -2)=\n"
      "read(\"h.txt\", \"TEXT\", ?, ?, -40)=\n"
      "read(\"digits.txt\", \"TEXT\", ?, ?, 10)=\n"
      "read(\"digits.txt\", \"TEXT\", ?, ?, 9)=\n"
      "read(\"i2\", \"INT2\", ?, ?, 4)=\n"
      "read(\"i2\", \"INT2\", ?, ?, 3)=\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(r["read(\"lf.txt\", \"TEXT\", ?, ?, -2)"], "{{1.00,2.00},{3.00,4.00}}");
  EXPECT_EQ(r["read(\"cr.txt\", \"TEXT\", ?, ?, -2)"], "{{1.00,2.00},{3.00,4.00}}");
  EXPECT_EQ(r["read(\"crlf.txt\", \"TEXT\", ?, ?, -2)"], "{{5.00,6.00},{7.00,8.00}}");
  EXPECT_EQ(r["read(\"crlf.txt\", \"TEXT\", ?, ?, -3)"], "{7.00,8.00}");
  // More lines than the file has: from its start, header digits and all.
  EXPECT_EQ(r["read(\"h.txt\", \"TEXT\", ?, ?, -2)"], "{{1.00,2.00},{3.00,4.00}}");
  EXPECT_EQ(r["read(\"h.txt\", \"TEXT\", ?, ?, -40)"], "{1.00,2.00,1.00,2.00,3.00,4.00}");
  EXPECT_EQ(r["read(\"digits.txt\", \"TEXT\", ?, ?, 10)"], "{10.00,11.00}");
  EXPECT_EQ(r["read(\"digits.txt\", \"TEXT\", ?, ?, 9)"], "{9.00,10.00,11.00}");
  EXPECT_EQ(r["read(\"i2\", \"INT2\", ?, ?, 4)"], "{30.00,40.00}");
  // An odd skip splits the values: what stays is read from there.
  EXPECT_EQ(r["read(\"i2\", \"INT2\", ?, ?, 3)"], "{5120.00,7680.00}");

  // A skip past the end leaves no values.
  r = s.run("read(\"i2\", \"INT2\", ?, ?, 100)=\n");
  EXPECT_EQ(r.status, " ?read() no values in file");
  r = s.run("read(\"i2\", \"DBL8\", ?, ?, 100)=\n");
  EXPECT_EQ(r.status, " ?read() no values in file");
}

TEST(ReadInterval, EveryKthValueOfTheIntegerFormats) {
  TempDir dir;
  std::string i2, i4, b1;
  for (int i = 0; i < 20000; ++i) i2 += be16(static_cast<uint16_t>(i));
  for (int i = 0; i < 20; ++i) i4 += be32(static_cast<uint32_t>(i * 100000));
  for (int i = 0; i < 20; ++i) b1 += char(i);
  dir.put("i2", i2);
  dir.put("i4", i4);
  dir.put("b1", b1);
  dir.put("any", "12345678");
  Sheet s(dir);
  Result r = s.run(
      "read(\"i2\", \"INT2\", 0, 0, 0, 3)[1]=\n"
      "read(\"i2\", \"INT2\", 0, 0, 0, 3)[2]=\n"
      "read(\"i2\", \"INT2\", 0, 0, 0, 3)[3]=\n"
      "count(read(\"i2\", \"INT2\", 0, 0, 0, 3))=\n"
      "read(\"i2\", \"INT2\", 0, 0, 0, 5000)=\n"
      "read(\"i2\", \"INT2\", 0, 0, 0, 4097)=\n"
      "read(\"i2\", \"INT2\", 0, 2, 0, 5000)=\n"
      "read(\"i2\", \"INT2\", 0, 0, 2, 5000)=\n"
      "read(\"i2\", \"INT2\", 0, 3, 0, 1)=\n"
      "read(\"i4\", \"INT4\", 0, 0, 0, 7)=\n"
      "read(\"b1\", \"BYT1\", 0, 0, 0, 3)=\n"
      "read(\"b1\", \"BYT1\", 0, 0, 0, 20)=\n"
      "read(\"b1\", \"BYT1\", 0, 0, 0, 21)=\n");
  EXPECT_EQ(r["read(\"i2\", \"INT2\", 0, 0, 0, 3)[1]"], "0.00");
  EXPECT_EQ(r["read(\"i2\", \"INT2\", 0, 0, 0, 3)[2]"], "3.00");
  EXPECT_EQ(r["read(\"i2\", \"INT2\", 0, 0, 0, 3)[3]"], "6.00");
  EXPECT_EQ(r["count(read(\"i2\", \"INT2\", 0, 0, 0, 3))"], "6666.00");
  EXPECT_EQ(r["read(\"i2\", \"INT2\", 0, 0, 0, 5000)"], "{0.00,5000.00,10000.00,15000.00}");
  EXPECT_EQ(r["read(\"i2\", \"INT2\", 0, 0, 0, 4097)"], "{0.00,4097.00,8194.00,12291.00}");
  EXPECT_EQ(r["read(\"i2\", \"INT2\", 0, 2, 0, 5000)"], "{0.00,5000.00}");
  EXPECT_EQ(r["read(\"i2\", \"INT2\", 0, 0, 2, 5000)"], "{1.00,5001.00,10001.00}")
      << "positions count from the skip; fewer values remain";
  EXPECT_EQ(r["read(\"i2\", \"INT2\", 0, 3, 0, 1)"], "{0.00,1.00,2.00}");
  EXPECT_EQ(r["read(\"i4\", \"INT4\", 0, 0, 0, 7)"], "{0.00,700000.00}");
  EXPECT_EQ(r["read(\"b1\", \"BYT1\", 0, 0, 0, 3)"], "{0.00,3.00,6.00,9.00,12.00,15.00}");
  EXPECT_EQ(r["read(\"b1\", \"BYT1\", 0, 0, 0, 20)"], "{0.00}");
  EXPECT_EQ(r.status, " ?read() no values in file")
      << "an interval above the value count leaves none";
  // Steps far beyond any file, whose length in bytes is no 64-bit number.
  for (const char* fmt : {"INT2", "INT4", "BYT1"}) {
    SCOPED_TRACE(fmt);
    r = s.run(std::string("read(\"i4\", \"") + fmt + "\", 0, 0, 0, 2^62)=\n");
    EXPECT_EQ(r.status, " ?read() no values in file");
    r = s.run(std::string("read(\"i4\", \"") + fmt + "\", 0, 0, 0, 8e18)=\n");
    EXPECT_EQ(r.status, " ?read() no values in file");
  }

  for (const char* fmt : {"TEXT", "FLT4", "DBL8"}) {
    SCOPED_TRACE(fmt);
    r = s.run(std::string("read(\"b1\", \"") + fmt + "\", 0, 0, 0, 2)=\n");
    EXPECT_EQ(r.status, " read(,?) this format doesn't support interval parm");
    r = s.run(std::string("read(\"any\", \"") + fmt + "\", 0, 0, 0, 1)[1]=\n");
    EXPECT_EQ(r.status, kOk) << "an interval of 1 is no interval";
  }
}

TEST(ReadBinary, LargeFilesReadInPiecesAndLongSteps) {
  // Values are their position modulo 1000, so any value shows where it was
  // read from; pieces of the file end between values and inside steps.
  TempDir dir;
  std::string i2, i4, b1;
  for (int i = 0; i < 200000; ++i) i2 += be16(static_cast<uint16_t>(i % 1000));
  for (int i = 0; i < 40000; ++i) i4 += be32(static_cast<uint32_t>(i % 1000));
  for (int i = 0; i < 140000; ++i) b1 += static_cast<char>(i % 250);
  dir.put("i2", i2);
  dir.put("i4", i4);
  dir.put("b1", b1);
  Sheet s(dir);
  Result r = s.run(
      "a = read(\"i2\", \"INT2\")\n"
      "count(a)=\n"
      "{a[32768], a[32769], a[65537], a[200000]}=\n"
      "b = read(\"i2\", \"INT2\", 0, 0, 0, 3)\n"
      "count(b)=\n"
      "{b[10922], b[10923], b[10924], b[66666]}=\n"
      "c = read(\"i2\", \"INT2\", 0, 0, 0, 40001)\n"
      "c=\n"
      "d = read(\"i4\", \"INT4\", 0, 0, 4, 7)\n"
      "count(d)=\n"
      "{d[2340], d[2341], d[5713]}=\n"
      "e = read(\"b1\", \"BYT1\", 0, 0, 0, 65537)\n"
      "e=\n"
      "f = read(\"b1\", \"BYT1\", 0, 70000)\n"
      "{count(f), f[65536], f[65537], f[70000]}=\n");
  EXPECT_EQ(r.status, kOk) << r.text;
  EXPECT_EQ(r["count(a)"], "200000.00");
  EXPECT_EQ(r["{a[32768], a[32769], a[65537], a[200000]}"], "{767.00,768.00,536.00,999.00}");
  EXPECT_EQ(r["count(b)"], "66666.00");
  EXPECT_EQ(r["{b[10922], b[10923], b[10924], b[66666]}"], "{763.00,766.00,769.00,995.00}");
  EXPECT_EQ(r["c"], "{0.00,1.00,2.00,3.00}");
  EXPECT_EQ(r["count(d)"], "5714.00");
  EXPECT_EQ(r["{d[2340], d[2341], d[5713]}"], "{374.00,381.00,985.00}");
  EXPECT_EQ(r["e"], "{0.00,37.00}");
  EXPECT_EQ(r["{count(f), f[65536], f[65537], f[70000]}"], "{70000.00,35.00,36.00,249.00}");
}

TEST(ReadBinary, LinesSkippedBeforeBinaryValues) {
  TempDir dir;
  dir.put("lf", "header\n" + int2s({1, 2}));
  dir.put("long", std::string(900, 'x') + "\n" + int2s({5, 6}));
  std::string crlf;
  for (int i = 0; i < 3; ++i) crlf += std::string(299, 'x') + "\r\n";
  dir.put("crlf", crlf + int2s({7, 8}));
  dir.put("short", "a\nb\n");
  Sheet s(dir);
  Result r = s.run(
      "read(\"lf\", \"INT2\", ?, ?, -1)=\n"
      "read(\"long\", \"INT2\", ?, ?, -3)=\n"
      "read(\"crlf\", \"INT2\", ?, ?, -3)=\n"
      "read(\"lf\", \"BYT1\", ?, 2, -9)=\n");
  EXPECT_EQ(r.status, kOk) << r.text;
  EXPECT_EQ(r["read(\"lf\", \"INT2\", ?, ?, -1)"], "{1.00,2.00}");
  // 300 bytes end a line; the LF after it is passed over.
  EXPECT_EQ(r["read(\"long\", \"INT2\", ?, ?, -3)"], "{5.00,6.00}");
  EXPECT_EQ(r["read(\"crlf\", \"INT2\", ?, ?, -3)"], "{7.00,8.00}");
  EXPECT_EQ(r["read(\"lf\", \"BYT1\", ?, 2, -9)"], "{104.00,101.00}") << "from the start";
}

TEST(ReadBinary, MissingValueMarkersOnlyInOwnFiles) {
  TempDir dir;
  std::string i2 = int2s({-32768, -1, 32767, 5});
  std::string i4 = be32(0x80000000u) + be32(0xFFFFFFFFu) + be32(0x7FFFFFFFu);
  const std::string b1("\x00\x7F\x80\xFF", 4);
  for (const char* creator : {"Orvl", "ttxt"}) {
    dir.put(std::string("i2.") + creator, i2);
    stamp(dir, std::string("i2.") + creator, "INT2", creator);
    dir.put(std::string("i4.") + creator, i4);
    stamp(dir, std::string("i4.") + creator, "INT4", creator);
  }
  dir.put("b1", b1);
  stamp(dir, "b1", "BYT1", "Orvl");
  float f[] = {1.5f, -2.25f, std::nanf(""), 3e38f};
  std::string f4;
  for (float v : f) f4 += be32(std::bit_cast<uint32_t>(v));
  dir.put("f4", f4);
  double d[] = {0.1, -1e300, 7};
  dir.put("d8", std::string(reinterpret_cast<const char*>(d), sizeof d));
  Sheet s(dir);
  Result r = s.run(
      "read(\"i2.Orvl\")=\n"
      "read(\"i2.ttxt\")=\n"
      "read(\"i4.Orvl\")=\n"
      "read(\"i4.ttxt\")=\n"
      "read(\"b1\")=\n"
      "read(\"f4\", \"FLT4\")=\n"
      "read(\"f4\", \"FLT4\")[4] / 1e38=\n"
      "read(\"d8\", \"DBL8\")[1] * 10=\n"
      "read(\"d8\", \"DBL8\")[2] / 1e299=\n"
      "read(\"d8\", \"DBL8\")[3]=\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(r["read(\"i2.Orvl\")"], "{NAN04,-1.00,32767.00,5.00}");
  EXPECT_EQ(r["read(\"i2.ttxt\")"], "{-32768.00,-1.00,32767.00,5.00}");
  EXPECT_EQ(r["read(\"i4.Orvl\")"], "{NAN04,-1.00,2147483648.00}");
  EXPECT_EQ(r["read(\"i4.ttxt\")"], "{-2147483648.00,-1.00,2147483648.00}")
      << "values are kept in single precision";
  EXPECT_EQ(r["read(\"b1\")"], "{0.00,127.00,128.00,255.00}");
  EXPECT_EQ(r["read(\"f4\", \"FLT4\")"], "{1.50,-2.25,NAN04,3.00e+38}");
  EXPECT_EQ(r["read(\"f4\", \"FLT4\")[4] / 1e38"], "3.00");
  // "DBL8" keeps its doubles.
  EXPECT_EQ(r["read(\"d8\", \"DBL8\")[1] * 10"], "1.00");
  EXPECT_EQ(r["read(\"d8\", \"DBL8\")[2] / 1e299"], "-10.00");
  EXPECT_EQ(r["read(\"d8\", \"DBL8\")[3]"], "7.00");

  // Bytes that are no whole value at the end are left out; a length limits.
  dir.put("odd", "\x01\x02\x03");
  r = s.run(
      "read(\"odd\", \"INT2\")=\nread(\"f4\", \"FLT4\", 0, 2)=\nread(\"d8\", \"DBL8\", 0, 2)=\n");
  EXPECT_EQ(r["read(\"odd\", \"INT2\")"], "{258.00}");
  EXPECT_EQ(r["read(\"f4\", \"FLT4\", 0, 2)"], "{1.50,-2.25}");
  EXPECT_EQ(r["read(\"d8\", \"DBL8\", 0, 2)"], "{0.10,-1.00e+300}");
}

TEST(ReadBinary, ColumnCountFromTagOrStringList) {
  TempDir dir;
  const std::string six = int2s({1, 2, 3, 4, 5, 6});
  std::string tag = "[3";
  tag.resize(10, '\0');
  tag.replace(3, 4, "junk");  // bytes after the NUL carry no meaning
  dir.put("tag", six);
  stamp(dir, "tag", "INT2", "Orvl", tag);
  dir.put("str", six);
  stamp(dir, "str", "INT2", "ttxt", resourceFileWithStrings(2000, columnStrings("4", "5")));
  dir.put("zero", six);
  stamp(dir, "zero", "INT2", "ttxt", resourceFileWithStrings(2000, columnStrings("0", "0")));
  dir.put("other", six);
  stamp(dir, "other", "INT2", "ttxt", resourceFileWithStrings(2001, columnStrings("1", "3")));
  dir.put("short", six);  // only 16 strings: string 17 counts as 0
  std::vector<std::string> sixteen = columnStrings("1", "3");
  sixteen.pop_back();
  stamp(dir, "short", "INT2", "ttxt", resourceFileWithStrings(2000, sixteen));
  dir.put("junk", six);
  stamp(dir, "junk", "INT2", "ttxt", std::string("not a resource file at all"));
  std::string d8;
  for (double v : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0}) d8 += std::string(reinterpret_cast<char*>(&v), 8);
  dir.put("d8", d8);
  stamp(dir, "d8", "DBL8", "Orvl", tag);
  Sheet s(dir);
  Result r = s.run(
      "read(\"tag\")=\n"
      "read(\"tag\", ?, 0)=\n"
      "read(\"tag\", ?, 2)=\n"
      "read(\"str\")=\n"
      "read(\"zero\")=\n"
      "read(\"other\")=\n"
      "read(\"short\")=\n"
      "read(\"junk\")=\n"
      "read(\"d8\")=\n"
      "read(\"d8\")[2, 1]=\n"
      "read(\"d8\", ?, 0)=\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(r["read(\"tag\")"], "{{1.00,2.00,3.00},{4.00,5.00,6.00}}");
  EXPECT_EQ(r["read(\"tag\", ?, 0)"], "{1.00,2.00,3.00,4.00,5.00,6.00}");
  EXPECT_EQ(r["read(\"tag\", ?, 2)"], "{{1.00,2.00},{3.00,4.00},{5.00,6.00}}");
  EXPECT_EQ(r["read(\"str\")"], "{{1.00,2.00},{3.00,4.00},{5.00,6.00}}");
  EXPECT_EQ(r["read(\"zero\")"], "{1.00,2.00,3.00,4.00,5.00,6.00}");
  EXPECT_EQ(r["read(\"other\")"], "{1.00,2.00,3.00,4.00,5.00,6.00}");
  EXPECT_EQ(r["read(\"short\")"], "{1.00,2.00,3.00,4.00,5.00,6.00}");
  EXPECT_EQ(r["read(\"junk\")"], "{1.00,2.00,3.00,4.00,5.00,6.00}");
  EXPECT_EQ(r["read(\"d8\")"], "{{1.00,2.00,3.00},{4.00,5.00,6.00}}");
  EXPECT_EQ(r["read(\"d8\")[2, 1]"], "4.00");
  EXPECT_EQ(r["read(\"d8\", ?, 0)"], "{1.00,2.00,3.00,4.00,5.00,6.00}");
}

TEST(ReadBinary, MetadataInExtendedAttributes) {
  TempDir dir;
  dir.put("x", int2s({-32768, 1, 2, 3}));
  std::string finder(32, '\0');
  finder.replace(0, 8, "INT2Orvl");
  if (setxattr(dir.path("x").c_str(), "user.com.apple.FinderInfo", finder.data(), finder.size(),
               0) != 0)
    GTEST_SKIP() << "no user extended attributes here (errno " << errno << ")";
  std::string tag("[2\0\0\0\0\0\0\0\0", 10);
  ASSERT_EQ(
      setxattr(dir.path("x").c_str(), "user.com.apple.ResourceFork", tag.data(), tag.size(), 0), 0);
  Sheet s(dir);
  Result r = s.run("read(\"x\")=\n");
  EXPECT_EQ(r["read(\"x\")"], "{{NAN04,1.00},{2.00,3.00}}");
  // The attributes win over a side file, which may be another writer's.
  stamp(dir, "x", "BYT1", "ttxt");
  r = s.run("read(\"x\")=\n");
  EXPECT_EQ(r["read(\"x\")"], "{{NAN04,1.00},{2.00,3.00}}");
}

TEST(ReadErrors, MessagesThatStopTheRun) {
  TempDir dir;
  dir.put("t.txt", "1 2 3");
  stamp(dir, "t.txt", "TEXT", "Orvl");
  dir.put("plain", "1 2 3");
  dir.put("empty", "");
  dir.put("words", "no numbers\n");
  Sheet s(dir);
  auto status = [&](const std::string& sheet) { return s.run(sheet).status; };
  EXPECT_EQ(status("read(5)=\n"), " read( file name? )");
  EXPECT_EQ(status("read(\"nothere\")=\n"), " read(nothere) can't open");
  EXPECT_EQ(status("read(\"t.txt\", \"TEXT\", -1)=\n"), " read(,?) parameter error");
  EXPECT_EQ(status("read(\"t.txt\", \"TEXT\", 0, -1)=\n"), " read(,?) parameter error");
  EXPECT_EQ(status("read(\"t.txt\", \"TEXT\", 0, 0, 0, -1)=\n"), " read(,?) parameter error");
  EXPECT_EQ(status("read(\"t.txt\", \"TEXT\", 0, 0, qq)=\n"), " read(,?) parameter error");
  EXPECT_EQ(status("read(\"t.txt\", \"text\")=\n"), " unknown data file type");
  EXPECT_EQ(status("read(\"t.txt\", \"TEX\")=\n"), " unknown data file type");
  EXPECT_EQ(status("read(\"plain\")=\n"), " unknown data file type");
  EXPECT_EQ(status("read(\"empty\", \"TEXT\")=\n"), " ?read() no values in file");
  EXPECT_EQ(status("read(\"words\", \"TEXT\")=\n"), " ?read() no values in file");
  EXPECT_EQ(status("read(\"empty\", \"FLT4\")=\n"), " ?read() no values in file");
  EXPECT_EQ(status("read(\"empty\", \"DBL8\")=\n"), " ?read() no values in file");
  // A folder is no data file.
  fs::create_directory(dir.path("folder"));
  EXPECT_EQ(status("read(\"folder\", \"TEXT\")=\n"), " read(folder) can't open");
  // The first four characters of a format name decide.
  EXPECT_EQ(status("read(\"t.txt\", \"TEXTfile\")[1]=\n"), kOk);
  // A format given in the worksheet wins over the type with the file.
  Result r = s.run("read(\"t.txt\", \"BYT1\")[1]=\n");
  EXPECT_EQ(r["read(\"t.txt\", \"BYT1\")[1]"], "49.00");
}

TEST(ReadErrors, FiftyFilesARunAndTheTableEmptiesForTheNext) {
  TempDir dir;
  dir.put("t.txt", "1 2 3");
  stamp(dir, "t.txt", "TEXT", "Orvl");
  std::string fifty;
  for (int i = 0; i < 50; ++i) fifty += "read(\"t.txt\")[" + std::to_string(i % 3 + 1) + "]=\n";
  Sheet s(dir);
  EXPECT_EQ(s.run(fifty).status, kOk);
  EXPECT_EQ(s.run(fifty).status, kOk) << "the next run starts with an empty table";
  Result r = s.run(fifty + "read(\"t.txt\")[1]=\n");
  EXPECT_EQ(r.status, " Too many data files.");
  // One read node evaluated many times reads once; "DBL8" takes no entry.
  EXPECT_EQ(s.run(fifty + "sum(read(\"t.txt\")[i], i, 1, 3)=\n").status, " Too many data files.");
  EXPECT_EQ(s.run("x := 0 ,, (x := x + read(\"t.txt\")[1]) while x < 5000\nx=\n")["x"], "5000.00");
  dir.put("d8", std::string(8, '\0'));
  EXPECT_EQ(s.run(fifty + "read(\"d8\", \"DBL8\")[1]=\n").status, kOk);
}

TEST(ReadNames, ThroughVariablesAndExpressions) {
  TempDir dir;
  dir.put("data", "1 2 3");
  dir.put("abc.txt", "4 5 6");
  Sheet s(dir);
  Result r = s.run(
      "read(data, \"TEXT\")[1]=\n"
      "n = \"abc.txt\"\n"
      "read(n, \"TEXT\")[1]=\n"
      "read(\"abc\" | \".txt\", \"TEXT\")[2]=\n"
      "f = \"TEXT\"\n"
      "read(\"abc.txt\", f)[3]=\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(r["read(data, \"TEXT\")[1]"], "1.00") << "an undefined variable names its file";
  EXPECT_EQ(r["read(n, \"TEXT\")[1]"], "4.00");
  EXPECT_EQ(r["read(\"abc\" | \".txt\", \"TEXT\")[2]"], "5.00");
  EXPECT_EQ(r["read(\"abc.txt\", f)[3]"], "6.00");
}

// ---------------------------------------------------------------------------
// File names relative to the worksheet
// ---------------------------------------------------------------------------

TEST(FileNames, ColonsSlashesAndUntitledDocuments) {
  TempDir dir;
  dir.put("top", "1");
  dir.put("work/beside", "2");
  dir.put("work/data/run1", "3");
  dir.put("work/data/sub/run2", "4");
  dir.put("other/x", "5");
  Sheet s(dir, "work/sheet.ov");
  Result r = s.run(
      "read(\"::top\", \"TEXT\")=\n"
      "read(\"beside\", \"TEXT\")=\n"
      "read(\":beside\", \"TEXT\")=\n"
      "read(\"data:run1\", \"TEXT\")=\n"
      "read(\":data:sub:run2\", \"TEXT\")=\n"
      "read(\"data/run1\", \"TEXT\")=\n"
      "read(\"::other:x\", \"TEXT\")=\n"
      "read(\"" +
      dir.path("top") + "\", \"TEXT\")=\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(r["read(\"::top\", \"TEXT\")"], "{1.00}");
  EXPECT_EQ(r["read(\"beside\", \"TEXT\")"], "{2.00}");
  EXPECT_EQ(r["read(\":beside\", \"TEXT\")"], "{2.00}");
  EXPECT_EQ(r["read(\"data:run1\", \"TEXT\")"], "{3.00}");
  EXPECT_EQ(r["read(\":data:sub:run2\", \"TEXT\")"], "{4.00}");
  EXPECT_EQ(r["read(\"data/run1\", \"TEXT\")"], "{3.00}");
  EXPECT_EQ(r["read(\"::other:x\", \"TEXT\")"], "{5.00}");
  EXPECT_EQ(r["read(\"" + dir.path("top") + "\", \"TEXT\")"], "{1.00}");

  // Writing goes to the same places.
  r = s.run("write(\"::up.txt\", {1, 2})\nwrite(\"data:down.txt\", {3})\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(dir.get("up.txt"), "\t1\t2");
  EXPECT_EQ(dir.get("work/data/down.txt"), "\t3");

  // Untitled: relative names lead nowhere, absolute ones still work.
  Sheet untitled{Sheet::Untitled{}};
  EXPECT_EQ(untitled.run("read(\"top\", \"TEXT\")=\n").status, " read(top) can't open");
  EXPECT_EQ(untitled.run("read(\"" + dir.path("top") + "\", \"TEXT\")[1]=\n").status, kOk);
  EXPECT_EQ(untitled.run("include \"lib\"\n").status, " bad file name 'lib'");
  EXPECT_EQ(untitled.run("write(\"" + dir.path("w") + "\", {1})\n").status,
            "can't write from untitled document");
  EXPECT_FALSE(dir.exists("w"));
}

// ---------------------------------------------------------------------------
// write() and its round trips through read()
// ---------------------------------------------------------------------------

struct FormatCase {
  const char* name;
  const char* vector;  // what read() gives back for {1, -2.5, 0/0, 250}
  const char* matrix;  // and for {{1, 2, 3}, {4, 0/0, 6}}
};

const FormatCase kFormats[] = {
    {"TEXT", "{1.00,-2.50,NAN04,250.00}", "{{1.00,2.00,3.00},{4.00,NAN04,6.00}}"},
    {"FLT4", "{1.00,-2.50,NAN04,250.00}", "{{1.00,2.00,3.00},{4.00,NAN04,6.00}}"},
    {"INT2", "{1.00,-2.00,NAN04,250.00}", "{{1.00,2.00,3.00},{4.00,NAN04,6.00}}"},
    {"BYT1", "{1.00,254.00,0.00,250.00}", "{{1.00,2.00,3.00},{4.00,0.00,6.00}}"},
    {"INT4", "{1.00,-2.00,NAN04,250.00}", "{{1.00,2.00,3.00},{4.00,NAN04,6.00}}"},
    {"DBL8", "{1.00,-2.50,NAN04,250.00}", "{{1.00,2.00,3.00},{4.00,NAN04,6.00}}"},
};

TEST(WriteRead, RoundTripsOfEveryFormatInOneAndTwoDimensions) {
  TempDir dir;
  Sheet s(dir);
  s.host.overwrite = true;
  for (const FormatCase& f : kFormats) {
    SCOPED_TRACE(f.name);
    const std::string fmt = std::string("\"") + f.name + "\"";
    // Stored arrays take the fast path; formula arrays are written element
    // by element; both must give the same bytes.
    Result w = s.run(
        "v := {1, -2.5, 0/0, 250}\n"
        "m := {{1, 2, 3}, {4, 0/0, 6}}\n"
        "fv[i] = v[i] dim[4]\n"
        "fm[i, j] = m[i, j] dim[2, 3]\n"
        "write(\"v\", v, " +
        fmt +
        ")\n"
        "write(\"m\", m, " +
        fmt +
        ")\n"
        "write(\"fv\", fv, " +
        fmt +
        ")\n"
        "write(\"fm\", fm, " +
        fmt + ")\n");
    ASSERT_EQ(w.status, kOk) << w.text;
    EXPECT_EQ(dir.get("v"), dir.get("fv"));
    EXPECT_EQ(dir.get("m"), dir.get("fm"));
    EXPECT_EQ(dir.get("._v"), dir.get("._fv"));
    EXPECT_EQ(dir.get("._m"), dir.get("._fm"));
    // Read back by the type stored with the file, without a format.
    Result r = s.run("read(\"v\")=\nread(\"m\")=\nread(\"fm\")=\n");
    EXPECT_EQ(r.status, kOk) << r.text;
    EXPECT_EQ(r["read(\"v\")"], f.vector);
    EXPECT_EQ(r["read(\"m\")"], f.matrix);
    EXPECT_EQ(r["read(\"fm\")"], f.matrix);
  }
}

TEST(WriteRead, BytesOfEachFormat) {
  TempDir dir;
  Sheet s(dir);
  Result r = s.run(
      "m := {{1, 2, 3}, {4, 5, 6}}\n"
      "write(\"m.txt\", m)\n"
      "write(\"v.txt\", {1, 2.5, 1/3, 1e20, -0.000001234567891, 0/0})\n"
      "write(\"s.txt\", {{\"ab\", 1}, {2, \"c\"}})\n"
      "write(\"i2\", {70000, -70000, -1.7, 32768, 3e9, 0/0}, \"INT2\")\n"
      "write(\"b1\", {300, -1, 255.9, -256.5, 3e9, 0/0}, \"BYT1\")\n"
      "write(\"i4\", {-1.7, 3e9, 2^63, 0/0}, \"INT4\")\n"
      "write(\"f4\", {1, -2}, \"FLT4\")\n"
      "write(\"d8\", {1.5}, \"DBL8\")\n"
      "write(\"mf\", m, \"FLT4\")\n"
      "write(\"mt\", m, \"TEXT\")\n");
  ASSERT_EQ(r.status, kOk) << r.text;
  EXPECT_EQ(dir.get("m.txt"), "\t1\t2\t3\n\t4\t5\t6\n");
  EXPECT_EQ(dir.get("v.txt"), "\t1\t2.5\t0.3333333\t1e+20\t-1.234568e-06\t?");
  EXPECT_EQ(dir.get("i2"), int2s({4464, -4464, -1, -32768, 0, -32768}));
  EXPECT_EQ(dir.get("b1"), std::string("\x2C\xFF\xFF\x00\x00\x00", 6));
  EXPECT_EQ(dir.get("i4"), be32(0xFFFFFFFFu) + be32(3000000000u) + be32(0) + be32(0x80000000u));
  EXPECT_EQ(dir.get("f4"), be32(0x3F800000u) + be32(0xC0000000u));
  double d = 1.5;
  EXPECT_EQ(dir.get("d8"), std::string(reinterpret_cast<const char*>(&d), 8));

  // Metadata: type and creator codes always; the column tag only for a
  // matrix in a binary format.
  std::optional<AppleDouble> mf = readAppleDouble(dir.get("._mf"));
  ASSERT_TRUE(mf && mf->finderInfo && mf->resourceFork);
  EXPECT_EQ(std::string(mf->finderInfo->data(), 8), "FLT4Orvl");
  ASSERT_EQ(mf->resourceFork->size(), 10u);
  EXPECT_EQ(mf->resourceFork->substr(0, 3), std::string("[3\0", 3));
  std::optional<AppleDouble> mt = readAppleDouble(dir.get("._mt"));
  ASSERT_TRUE(mt && mt->finderInfo);
  EXPECT_EQ(std::string(mt->finderInfo->data(), 8), "TEXTOrvl");
  EXPECT_FALSE(mt->resourceFork);
  std::optional<AppleDouble> i2 = readAppleDouble(dir.get("._i2"));
  ASSERT_TRUE(i2 && i2->finderInfo);
  EXPECT_EQ(std::string(i2->finderInfo->data(), 8), "INT2Orvl");
  EXPECT_FALSE(i2->resourceFork);

  // Read back: wrapped values, and strings kept apart from numbers.
  r = s.run("read(\"i2\")=\nread(\"b1\")=\nread(\"i4\")=\nread(\"s.txt\")=\n");
  EXPECT_EQ(r["read(\"i2\")"], "{4464.00,-4464.00,-1.00,NAN04,0.00,NAN04}");
  EXPECT_EQ(r["read(\"b1\")"], "{44.00,255.00,255.00,0.00,0.00,0.00}");
  EXPECT_EQ(r["read(\"i4\")"], "{-1.00,-1294967296.00,0.00,NAN04}");
  EXPECT_EQ(dir.get("s.txt"), "ab\t1\n\t2c\n");
}

TEST(WriteRead, FormatFromWriteformatAndTheDocumentSetting) {
  TempDir dir;
  Sheet s(dir);
  Result r = s.run(
      "Writeformat = \"INT2\"\n"
      "write(\"a\", {1, 2})\n"
      "write(\"b\", {1, 2}, \"BYT1\")\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(dir.get("a"), int2s({1, 2}));
  EXPECT_EQ(dir.get("b"), "\x01\x02");
  EXPECT_EQ(readAppleDouble(dir.get("._a"))->finderInfo->data()[0], 'I');

  r = s.run("write(\"c\", {1, 2}, \"int2\")\n");
  EXPECT_EQ(r.status, "write() unknown fmt=int2");
  EXPECT_FALSE(dir.exists("c")) << "no file for an unknown format in the call";

  r = s.run("Writeformat = \"LONG\"\nwrite(\"d\", {1, 2})\n");
  EXPECT_EQ(r.status, "write() unknown fmt=LONG");

  r = s.run("write(\"e\", {1, 2}, \"DBL8 please\")\n");
  EXPECT_EQ(r.status, kOk) << "four characters decide";
  EXPECT_EQ(dir.get("e").size(), 16u);
}

TEST(WriteRead, NothingToWrite) {
  TempDir dir;
  Sheet s(dir);
  Result r = s.run("write(\"f\", 5)\n");
  EXPECT_EQ(r.status, "write() can't determine array size. No data written.");
  EXPECT_TRUE(dir.exists("f"));
  EXPECT_EQ(dir.get("f"), "");
  r = s.run("write(5, {1})\n");
  EXPECT_EQ(r.status, " write( file name?, )");
}

// ---------------------------------------------------------------------------
// Replacing a file
// ---------------------------------------------------------------------------

TEST(WriteReplace, CancelOverwriteAndFailuresKeepTheOldFile) {
  TempDir dir;
  dir.put("sub/old.txt", "old contents");
  stamp(dir, "sub/old.txt", "TEXT", "ttxt");
  const std::string oldSide = dir.get("sub/._old.txt");
  Sheet s(dir);

  // Cancel: asked with the last path component, nothing changes, the run
  // stops with the name as written.
  Result r = s.run("write(\"sub:old.txt\", {1, 2})\nafter = 1\nafter=\n");
  EXPECT_EQ(r.status, " write('sub:old.txt',) canceled");
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(s.host.asked, std::vector<std::string>{"old.txt"});
  EXPECT_EQ(dir.get("sub/old.txt"), "old contents");
  EXPECT_EQ(dir.get("sub/._old.txt"), oldSide);
  EXPECT_EQ(r["after"], "") << "the run stopped at the write";

  // A failing write over an existing file leaves it as it was.
  s.host.overwrite = true;
  r = s.run("write(\"sub:old.txt\", 5)\n");
  EXPECT_EQ(r.status, "write() can't determine array size. No data written.");
  EXPECT_EQ(dir.get("sub/old.txt"), "old contents");
  r = s.run("write(\"sub:old.txt\", {1, 2}, \"XXXX\")\n");
  EXPECT_EQ(dir.get("sub/old.txt"), "old contents");
  EXPECT_EQ(s.host.asked.size(), 2u) << "an unknown format is found before the question";

  // Overwrite: replaced in full, metadata too.
  r = s.run("write(\"sub:old.txt\", {{1, 2}, {3, 4}}, \"INT2\")\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(dir.get("sub/old.txt"), int2s({1, 2, 3, 4}));
  r = s.run("read(\"sub:old.txt\")=\n");
  EXPECT_EQ(r["read(\"sub:old.txt\")"], "{{1.00,2.00},{3.00,4.00}}");
  // A vector over a matrix file drops the old column tag.
  r = s.run("write(\"sub:old.txt\", {5, 6, 7, 8}, \"INT2\")\nread(\"sub:old.txt\")=\n");
  EXPECT_EQ(r["read(\"sub:old.txt\")"], "{5.00,6.00,7.00,8.00}");

  // No temporary file stays behind, whatever happened.
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"sub"}));
  std::vector<std::string> sub;
  for (const auto& e : fs::directory_iterator(dir.path("sub"))) sub.push_back(e.path().filename());
  std::sort(sub.begin(), sub.end());
  EXPECT_EQ(sub, (std::vector<std::string>{"._old.txt", "old.txt"}));
}

TEST(WriteReplace, UnwritableFolder) {
  TempDir dir;
  Sheet s(dir);
  Result r = s.run("write(\"missing:f\", {1})\n");
  EXPECT_EQ(r.status, " write file 'missing:f' can't create: No such file or directory");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

TEST(WriteReplace, StopDuringTheWriteKeepsTheOldFile) {
  TempDir dir;
  dir.put("big", "old contents");
  Sheet s(dir);
  s.host.overwrite = true;
  // Element by element, far more than can be written before the stop.
  std::thread button([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    s.stop = true;
  });
  Result r = s.run("f[i] = i dim[200000000]\nwrite(\"big\", f, \"BYT1\")\n");
  button.join();
  EXPECT_EQ(r.status, " stopped");
  EXPECT_EQ(dir.get("big"), "old contents");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"big"});
}

TEST(WriteSafety, LinksPlantedAtTheOldTemporaryNamesAreNotFollowed) {
  TempDir dir;
  dir.put("victim", "precious");
  const std::string pid = std::to_string(getpid());
  ASSERT_EQ(symlink(dir.path("victim").c_str(), dir.path("x.orvanel-" + pid + ".tmp").c_str()), 0);
  ASSERT_EQ(symlink(dir.path("victim").c_str(), dir.path("._x.orvanel-" + pid + ".tmp").c_str()),
            0);
  Sheet s(dir);
  Result r = s.run("write(\"x\", {1,2})\n");
  EXPECT_TRUE(r.ok) << r.status;
  EXPECT_EQ(dir.get("victim"), "precious");
  EXPECT_EQ(dir.get("x"), "\t1\t2");
  EXPECT_EQ(dir.entries().size(), 5u) << "no temporary file stays";
}

TEST(WriteSafety, TheFirstFailedWriteEndsTheWriteWithItsReason) {
  TempDir dir;
  dir.put("big", "old contents");
  Sheet s(dir);
  s.host.overwrite = true;
  // A file size limit fails writes as a full disk does.
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 1 << 20;
  std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  auto start = std::chrono::steady_clock::now();
  Result r = s.run("f[i] = i dim[1e12]\nwrite(\"big\", f, \"BYT1\")\n");
  auto took = std::chrono::steady_clock::now() - start;
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, SIG_DFL);
  EXPECT_EQ(r.status, " write file 'big' can't write: File too large");
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_EQ(dir.get("big"), "old contents");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"big"});
}

TEST(WriteSafety, DataAndMetadataTravelTogether) {
  TempDir dir;
  Sheet s(dir);
  s.host.overwrite = true;
  Result r = s.run("write(\"m\", {{1,2,3},{4,5,6}}, \"DBL8\")\n");
  ASSERT_TRUE(r.ok) << r.status;
  char type[32];
  if (getxattr(dir.path("m").c_str(), "user.com.apple.FinderInfo", type, sizeof type) != 32)
    GTEST_SKIP() << "no user extended attributes here";
  EXPECT_TRUE(dir.exists("._m")) << "the AppleDouble file is still written";
  // Another run's metadata beside the file (written between our data and
  // our side file) does not change what the data means.
  stamp(dir, "m", "BYT1", "Orvl");
  r = s.run("read(\"m\")=\n");
  EXPECT_EQ(r["read(\"m\")"], "{{1.00,2.00,3.00},{4.00,5.00,6.00}}");
}

TEST(ReadErrors, FilesThatAreNoRegularFiles) {
  // A device never ends; it must not be read without end.
  TempDir dir;
  Sheet s(dir);
  EXPECT_EQ(s.run("read(\"/dev/zero\", \"BYT1\")=\n").status, " read(/dev/zero) can't open");
  EXPECT_EQ(s.run("read(\"/dev/zero\", \"TEXT\")=\n").status, " read(/dev/zero) can't open");
  EXPECT_EQ(s.run("include \"/dev/zero\"\n").status, " can't open include file");
}

// ---------------------------------------------------------------------------
// include
// ---------------------------------------------------------------------------

class HomeDir {
 public:
  explicit HomeDir(const std::string& home) {
    const char* old = std::getenv("HOME");
    if (old) old_ = old;
    setenv("HOME", home.c_str(), 1);
  }
  ~HomeDir() {
    if (old_)
      setenv("HOME", old_->c_str(), 1);
    else
      unsetenv("HOME");
  }

 private:
  std::optional<std::string> old_;
};

TEST(Include, BesideTheWorksheetAndFromTheUserFolder) {
  TempDir dir;
  HomeDir home(dir.path("home"));
  const std::string lib = "k = 7\ng(x) = x * k\nk=\n-- evaluations here are not run\n";
  dir.put("work/lib.ov", lib);
  dir.put("home/Documents/Orvanel/userlib", "u = 11\n");
  dir.put("home/Documents/Orvanel/sub/deep", "w = 13\n");
  dir.put("home/Documents/Orvanel/lib.ov", "k = 99\n");
  Sheet s(dir, "work/sheet.ov");
  Result r = s.run(
      "include \"lib.ov\"\n"
      "include userlib\n"
      "include \"sub:deep\"\n"
      "g(2)=\nu=\nw=\n");
  EXPECT_EQ(r.status, kOk) << r.text;
  EXPECT_EQ(r["g(2)"], "14.00") << "the file beside the worksheet comes first";
  EXPECT_EQ(r["u"], "11.00");
  EXPECT_EQ(r["w"], "13.00");
  EXPECT_EQ(dir.get("work/lib.ov"), lib) << "an included worksheet is not changed";

  // An include inside an included worksheet is relative to that worksheet.
  dir.put("libs/outer.ov", "include \"inner.ov\"\ninclude \"::shared:common\"\n");
  dir.put("libs/inner.ov", "ii = 21\n");
  dir.put("shared/common", "cc = 22\n");
  dir.put("home/Documents/Orvanel/user.ov", "include \"userinner\"\n");
  dir.put("home/Documents/Orvanel/userinner", "ui = 23\n");
  r = s.run("include \"::libs:outer.ov\"\ninclude \"user.ov\"\nii=\ncc=\nui=\n");
  EXPECT_EQ(r.status, kOk) << r.text;
  EXPECT_EQ(r["ii"], "21.00");
  EXPECT_EQ(r["cc"], "22.00");
  EXPECT_EQ(r["ui"], "23.00");
  // ... while read() and write() in its definitions, evaluated for this
  // worksheet, are relative to this worksheet.
  dir.put("libs/reader.ov", "rd = read(\"here.txt\", \"TEXT\")[1]\n");
  dir.put("work/here.txt", "31");
  r = s.run("include \"::libs:reader.ov\"\nrd=\n");
  EXPECT_EQ(r["rd"], "31.00");

  // "lib" is not "lib.ov": no extension is tried on disk.
  dir.put("work/only.ov", "z = 1\n");
  r = s.run("include only\n");
  EXPECT_EQ(r.status, " can't open include file");
}

TEST(Include, FaultsCyclesAndNesting) {
  TempDir dir;
  HomeDir home(dir.path("home"));
  dir.put("bad.ov", "a = 1\nb = = 2\n");
  dir.put("self.ov", "include \"self.ov\"\n");
  dir.put("ping.ov", "include \"pong.ov\"\np = 1\n");
  dir.put("defines.ov", "d = 1\ninclude \"defines.ov\"\n");
  dir.put("pong.ov", "include \"ping.ov\"\n");
  dir.put("outer.ov", "include \"bad.ov\"\n");
  Sheet s(dir);
  Result r = s.run("x = 1\ninclude \"bad.ov\"\ny = 2\n");
  EXPECT_EQ(r.status, " error in include file");
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(s.host.includeFailures.size(), 1u);
  EXPECT_EQ(s.host.includeFailures[0].rfind(dir.path("bad.ov") + " @", 0), 0u)
      << s.host.includeFailures[0];

  s.host.includeFailures.clear();
  r = s.run("include \"outer.ov\"\n");
  EXPECT_EQ(r.status, " error in include file");
  EXPECT_EQ(s.host.includeFailures.size(), 1u) << "reported once, where it happened";

  r = s.run("include \"self.ov\"\n");
  EXPECT_EQ(r.status, " include nesting too deep");
  r = s.run("include \"ping.ov\"\np=\n");
  EXPECT_EQ(r.status, " include nesting too deep");
  // A definition ahead of the include meets itself on the second round.
  s.host.includeFailures.clear();
  r = s.run("include \"defines.ov\"\n");
  EXPECT_EQ(r.status, " error in include file");
  ASSERT_EQ(s.host.includeFailures.size(), 1u);
  EXPECT_NE(s.host.includeFailures[0].find("already defined"), std::string::npos)
      << s.host.includeFailures[0];
  // The document is fine again afterwards.
  r = s.run("include \"nothere\"\n");
  EXPECT_EQ(r.status, " can't open include file");
  // A file far larger than any worksheet (a disk image) is not read.
  dir.put("huge.ov", "");
  std::filesystem::resize_file(dir.path("huge.ov"), std::uintmax_t(300) << 20);
  r = s.run("include \"huge.ov\"\n");
  EXPECT_EQ(r.status, " can't open include file");
  dir.put("ok.ov", "q = 5\n");
  r = s.run("include \"ok.ov\"\nq=\n");
  EXPECT_EQ(r.status, kOk);
  EXPECT_EQ(r["q"], "5.00");
}

}  // namespace
}  // namespace orv::test
