// read() through worksheet runs: shapes and elements, skipped bytes and
// lines, intervals, binary formats and their metadata (type and creator
// codes, column tag, string-list resource), and the messages that stop a run.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <string>

#include "data/textread.h"
#include "data_fixtures.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

// Strings 1..17 of a string list with [first] and [last] column as 16 and 17,
// in a resource file as string list [id].
std::string columnStrings(int16_t id, const std::string& first, const std::string& last,
                          int count = 17) {
  std::vector<std::string> s;
  for (int i = 1; i <= 15; ++i) s.push_back("s" + std::to_string(i));
  s.push_back(first);
  s.push_back(last);
  s.resize(static_cast<std::size_t>(count));
  return ResourceBuilder().add("STR#", id, stringList(s)).build();
}

TEST(ReadText, ShapeAndElementsThroughTheWorksheet) {
  TempDir dir;
  dir.put("m.txt", "x y z\n1 2 3\n4 5 6\n");
  dir.put("v.txt", "1 2 3 4");
  dir.put("lines.txt", "1\r\n2\r\n3\r\n");
  dir.put("quirks.txt", "3.5e - ?? 1.2.3\n");
  stamp(dir, "m.txt", "TEXT", "ttxt");
  Sheet s(dir);
  expectResults(s, {
                       {"read(\"m.txt\")", "{{1.00,2.00,3.00},{4.00,5.00,6.00}}"},
                       {"read(\"v.txt\", \"TEXT\")", "{1.00,2.00,3.00,4.00}"},
                       {"read(\"lines.txt\", \"TEXT\")", "{1.00,2.00,3.00}"},
                       {"read(\"quirks.txt\", \"TEXT\")", "{3.50,0.00,NAN04,1.20,3.00}"},
                       {"read(\"m.txt\")[2]", "{4.00,5.00,6.00}"},
                       {"read(\"m.txt\")[2, 3]", "6.00"},
                       // A column beyond the last runs into the next row, within the values.
                       {"read(\"m.txt\")[1, 5]", "5.00"},
                       {"read(\"m.txt\")[1, 7]", "?"},
                       {"read(\"m.txt\")[3, 1]", "?"},
                       {"read(\"v.txt\", \"TEXT\")[0.4]", "?"},
                       {"read(\"v.txt\", \"TEXT\")[0.5]", "?"},
                       {"read(\"v.txt\", \"TEXT\")[0.51]", "1.00"},
                       {"read(\"v.txt\", \"TEXT\")[1.5]", "2.00"},
                       {"read(\"v.txt\", \"TEXT\")[4.49]", "4.00"},
                       {"read(\"v.txt\", \"TEXT\")[4.5]", "?"},
                       // A row that holds only part of its values is not a row.
                       {"read(\"v.txt\", \"TEXT\", 3)[2, 1]", "?"},
                       {"read(\"m.txt\", ?, 0)", "{1.00,2.00,3.00,4.00,5.00,6.00}"},
                       {"count(read(\"m.txt\"))", "2.00"},  // rows
                       {"count(read(\"m.txt\", ?, 0))", "6.00"},
                   });
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
  expectResults(s, {
                       {"count(read(\"big.txt\", \"TEXT\", 0))", "3000.00"},
                       {"read(\"big.txt\", \"TEXT\")[300, 10]", "1.00"},
                       {"count(read(\"h.txt\", \"TEXT\", 0, 10))", "10.00"},
                       {"read(\"h.txt\", \"TEXT\", 0, 10)[10]", "10.00"},
                       {"read(\"h.txt\", \"TEXT\", 0, 10)[11]", "?"},
                       {"count(read(\"h.txt\", \"TEXT\", 0, 1000))", "100.00"},
                   });
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
  SheetResult r = s.run(
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
  EXPECT_EQ(r.rawStatus, kOk);
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
  EXPECT_EQ(r.rawStatus, " ?read() no values in file");
  r = s.run("read(\"i2\", \"DBL8\", ?, ?, 100)=\n");
  EXPECT_EQ(r.rawStatus, " ?read() no values in file");
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
  SheetResult r = s.run(
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
  EXPECT_EQ(r.rawStatus, " ?read() no values in file")
      << "an interval above the value count leaves none";
  // Steps far beyond any file, whose length in bytes is no 64-bit number.
  for (const char* fmt : {"INT2", "INT4", "BYT1"}) {
    SCOPED_TRACE(fmt);
    r = s.run(std::string("read(\"i4\", \"") + fmt + "\", 0, 0, 0, 2^62)=\n");
    EXPECT_EQ(r.rawStatus, " ?read() no values in file");
    r = s.run(std::string("read(\"i4\", \"") + fmt + "\", 0, 0, 0, 8e18)=\n");
    EXPECT_EQ(r.rawStatus, " ?read() no values in file");
  }

  for (const char* fmt : {"TEXT", "FLT4", "DBL8"}) {
    SCOPED_TRACE(fmt);
    r = s.run(std::string("read(\"b1\", \"") + fmt + "\", 0, 0, 0, 2)=\n");
    EXPECT_EQ(r.rawStatus, " read(,?) this format doesn't support interval parm");
    r = s.run(std::string("read(\"any\", \"") + fmt + "\", 0, 0, 0, 1)[1]=\n");
    EXPECT_EQ(r.rawStatus, kOk) << "an interval of 1 is no interval";
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
  SheetResult r = s.run(
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
  EXPECT_EQ(r.rawStatus, kOk) << r.text;
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
  expectResults(s, {
                       {"read(\"lf\", \"INT2\", ?, ?, -1)", "{1.00,2.00}"},
                       // 300 bytes end a line; the LF after it is passed over.
                       {"read(\"long\", \"INT2\", ?, ?, -3)", "{5.00,6.00}"},
                       {"read(\"crlf\", \"INT2\", ?, ?, -3)", "{7.00,8.00}"},
                       {"read(\"lf\", \"BYT1\", ?, 2, -9)", "{104.00,101.00}"},  // from the start
                   });
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
  SheetResult r = s.run(
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
  EXPECT_EQ(r.rawStatus, kOk);
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
  stamp(dir, "str", "INT2", "ttxt", columnStrings(2000, "4", "5"));
  dir.put("zero", six);
  stamp(dir, "zero", "INT2", "ttxt", columnStrings(2000, "0", "0"));
  dir.put("other", six);
  stamp(dir, "other", "INT2", "ttxt", columnStrings(2001, "1", "3"));
  dir.put("short", six);  // only 16 strings: string 17 counts as 0
  stamp(dir, "short", "INT2", "ttxt", columnStrings(2000, "1", "3", 16));
  dir.put("junk", six);
  stamp(dir, "junk", "INT2", "ttxt", std::string("not a resource file at all"));
  std::string d8;
  for (double v : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0}) d8 += std::string(reinterpret_cast<char*>(&v), 8);
  dir.put("d8", d8);
  stamp(dir, "d8", "DBL8", "Orvl", tag);
  Sheet s(dir);
  expectResults(s, {
                       {"read(\"tag\")", "{{1.00,2.00,3.00},{4.00,5.00,6.00}}"},
                       {"read(\"tag\", ?, 0)", "{1.00,2.00,3.00,4.00,5.00,6.00}"},
                       {"read(\"tag\", ?, 2)", "{{1.00,2.00},{3.00,4.00},{5.00,6.00}}"},
                       {"read(\"str\")", "{{1.00,2.00},{3.00,4.00},{5.00,6.00}}"},
                       {"read(\"zero\")", "{1.00,2.00,3.00,4.00,5.00,6.00}"},
                       {"read(\"other\")", "{1.00,2.00,3.00,4.00,5.00,6.00}"},
                       {"read(\"short\")", "{1.00,2.00,3.00,4.00,5.00,6.00}"},
                       {"read(\"junk\")", "{1.00,2.00,3.00,4.00,5.00,6.00}"},
                       {"read(\"d8\")", "{{1.00,2.00,3.00},{4.00,5.00,6.00}}"},
                       {"read(\"d8\")[2, 1]", "4.00"},
                       {"read(\"d8\", ?, 0)", "{1.00,2.00,3.00,4.00,5.00,6.00}"},
                   });
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
  SheetResult r = s.run("read(\"x\")=\n");
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
  auto status = [&](const std::string& sheet) { return s.run(sheet).rawStatus; };
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
  SheetResult r = s.run("read(\"t.txt\", \"BYT1\")[1]=\n");
  EXPECT_EQ(r["read(\"t.txt\", \"BYT1\")[1]"], "49.00");
}

TEST(ReadErrors, FiftyFilesARunAndTheTableEmptiesForTheNext) {
  TempDir dir;
  dir.put("t.txt", "1 2 3");
  stamp(dir, "t.txt", "TEXT", "Orvl");
  std::string fifty;
  for (int i = 0; i < 50; ++i) fifty += "read(\"t.txt\")[" + std::to_string(i % 3 + 1) + "]=\n";
  Sheet s(dir);
  EXPECT_EQ(s.run(fifty).rawStatus, kOk);
  EXPECT_EQ(s.run(fifty).rawStatus, kOk) << "the next run starts with an empty table";
  SheetResult r = s.run(fifty + "read(\"t.txt\")[1]=\n");
  EXPECT_EQ(r.rawStatus, " Too many data files.");
  // One read node evaluated many times reads once; "DBL8" takes no entry.
  EXPECT_EQ(s.run(fifty + "sum(read(\"t.txt\")[i], i, 1, 3)=\n").rawStatus,
            " Too many data files.");
  EXPECT_EQ(s.run("x := 0 ,, (x := x + read(\"t.txt\")[1]) while x < 5000\nx=\n")["x"], "5000.00");
  dir.put("d8", std::string(8, '\0'));
  EXPECT_EQ(s.run(fifty + "read(\"d8\", \"DBL8\")[1]=\n").rawStatus, kOk);
}

TEST(ReadNames, ThroughVariablesAndExpressions) {
  TempDir dir;
  dir.put("data", "1 2 3");
  dir.put("abc.txt", "4 5 6");
  Sheet s(dir);
  SheetResult r = s.run(
      "read(data, \"TEXT\")[1]=\n"
      "n = \"abc.txt\"\n"
      "read(n, \"TEXT\")[1]=\n"
      "read(\"abc\" | \".txt\", \"TEXT\")[2]=\n"
      "f = \"TEXT\"\n"
      "read(\"abc.txt\", f)[3]=\n");
  EXPECT_EQ(r.rawStatus, kOk);
  EXPECT_EQ(r["read(data, \"TEXT\")[1]"], "1.00") << "an undefined variable names its file";
  EXPECT_EQ(r["read(n, \"TEXT\")[1]"], "4.00");
  EXPECT_EQ(r["read(\"abc\" | \".txt\", \"TEXT\")[2]"], "5.00");
  EXPECT_EQ(r["read(\"abc.txt\", f)[3]"], "6.00");
}

// A file larger than the reading buffer: line ends of every convention fall
// on and around its piece boundaries, and a line longer than a piece makes
// it grow. The values are those of the whole text parsed at once.
TEST(ReadText, FilesLargerThanTheReadingBufferGiveTheValuesOfTheWholeText) {
  std::string text = "0\n";  // the first line end after one value: no columns
  for (int i = 0; text.size() < 300000; ++i) text += std::to_string(i % 977 - 300) + ".25\r";
  for (int i = 0; text.size() < 700000; ++i) text += std::to_string(i % 89) + " ";
  for (int i = 0; text.size() < 1000000; ++i)
    text += i % 7 == 0 ? "?? 1.2.3\r\n" : std::to_string(i) + "e-2\t-\r\n";
  text += "42";  // no line end at the very end
  const TextValues whole = readTextValues(text.data(), text.data() + text.size(), 0);
  ASSERT_EQ(whole.cols, 0);
  double sum = 0;
  int64_t known = 0;
  for (float v : whole.values)
    if (!std::isnan(v)) sum += v, ++known;

  TempDir dir;
  dir.put("big.txt", text);
  Sheet s(dir);
  char expected[64];
  SheetResult r = s.run(
      "v = read(\"big.txt\", \"TEXT\")\n"
      "k(x) = x when x > -1e30, 0\n"
      "count(v)=\n"
      "sum(k(v[i]), i, 1, count(v))=\n"
      "v[count(v)]=\n");
  EXPECT_EQ(r.rawStatus, kOk);
  EXPECT_EQ(r["count(v)"], std::to_string(whole.values.size()) + ".00");
  std::snprintf(expected, sizeof expected, "%.2f", sum);
  EXPECT_EQ(r["sum(k(v[i]), i, 1, count(v))"], expected) << known;
  EXPECT_EQ(r["v[count(v)]"], "42.00");
}

TEST(ReadErrors, FilesThatAreNoRegularFiles) {
  // A device never ends; it must not be read without end.
  TempDir dir;
  Sheet s(dir);
  EXPECT_EQ(s.run("read(\"/dev/zero\", \"BYT1\")=\n").rawStatus, " read(/dev/zero) can't open");
  EXPECT_EQ(s.run("read(\"/dev/zero\", \"TEXT\")=\n").rawStatus, " read(/dev/zero) can't open");
  EXPECT_EQ(s.run("include \"/dev/zero\"\n").rawStatus, " can't open include file");
}

}  // namespace
}  // namespace orv::test
