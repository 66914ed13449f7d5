// Legacy worksheets: the resource file format, string lists, the settings
// and label resources, and the AppleDouble file and extended attribute that
// keep a resource fork on Linux.
#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "base/apple_double.h"
#include "base/fork_files.h"
#include "base/resource_file.h"
#include "doc/legacy_prefs.h"
#include "files.h"
#include "resource_builder.h"

namespace orv::test {
namespace {

// A 'PRef' resource: byte 1 the grid/log/box bits, byte 2 colouring and
// print bits, places, write format, number format, degrees, two frames.
std::string pref(uint8_t flags, uint8_t stx, int places, int writefmt, int numfmt, bool degrees,
                 const int (&frames)[8]) {
  std::string r(32, '\0');
  r[1] = static_cast<char>(flags);
  r[2] = static_cast<char>(stx);
  r[3] = static_cast<char>(places);
  r[4] = static_cast<char>(writefmt);
  r[5] = static_cast<char>(numfmt);
  r[11] = degrees ? 1 : 0;
  for (int i = 0; i < 8; ++i) {
    r[16 + 2 * i] = static_cast<char>(frames[i] >> 8);
    r[17 + 2 * i] = static_cast<char>(frames[i] & 0xFF);
  }
  return r;
}

// A 'LBLS' record.
std::string labelRecord(float x, float y, bool positionOnly, const std::string& text) {
  std::string r;
  ResourceBuilder::put32(&r, std::bit_cast<uint32_t>(x));
  ResourceBuilder::put32(&r, std::bit_cast<uint32_t>(y));
  r += '\0';
  r += static_cast<char>(positionOnly ? 0x80 : 0);
  ResourceBuilder::put16(&r, static_cast<uint16_t>(text.size()));
  return r + text;
}

ResourceFile open(const std::string& bytes) {
  std::optional<ResourceFile> f = ResourceFile::open(bytes);
  EXPECT_TRUE(f.has_value());
  return f ? *f : *ResourceFile::open(ResourceBuilder().add("none", 0, "").build());
}

TEST(ResourceFile, FindsResourcesByTypeAndIdOnly) {
  std::string bytes = ResourceBuilder()
                          .add("STR#", 129, "fonts")
                          .add("STR#", 2000, "columns")
                          .add("PRef", 128, "prefs")
                          .add("PRef", -1, "negative id")
                          .build();
  ResourceFile f = open(bytes);
  EXPECT_EQ(f.get(fourCharCode("STR#"), 129), "fonts");
  EXPECT_EQ(f.get(fourCharCode("STR#"), 2000), "columns");
  EXPECT_EQ(f.get(fourCharCode("PRef"), 128), "prefs");
  EXPECT_EQ(f.get(fourCharCode("PRef"), -1), "negative id");
  EXPECT_FALSE(f.get(fourCharCode("PRef"), 129));
  EXPECT_FALSE(f.get(fourCharCode("LBLS"), 128));
  EXPECT_FALSE(f.get(fourCharCode("str#"), 129));
}

TEST(ResourceFile, DamagedFilesAreNotResourceFilesAndDamagedEntriesAreMissing) {
  for (const std::string& bytes :
       {std::string(), std::string(15, '\0'), std::string("[3\0\0\0\0\0\0\0", 10),
        std::string(16, '\xFF'), std::string(64, '\0')})
    EXPECT_FALSE(ResourceFile::open(bytes)) << bytes.size();

  std::string good = ResourceBuilder().add("PRef", 128, "abcdef").build();
  // A file cut anywhere has lost part of its map.
  for (std::size_t n = 0; n < good.size(); ++n)
    EXPECT_FALSE(ResourceFile::open(good.substr(0, n))) << n;
  // A data length pointing past the data area.
  std::string bad = good;
  bad[256 + 3] = '\x7F';
  EXPECT_FALSE(open(bad).get(fourCharCode("PRef"), 128));
  // A reference offset past the data.
  bad = good;
  bad[bad.size() - 6] = '\x10';
  EXPECT_FALSE(open(bad).get(fourCharCode("PRef"), 128));
}

TEST(ResourceFile, IndexedStrings) {
  std::string s;
  std::string list = stringList({"Monaco", "9", "", "Helvetica"});
  EXPECT_TRUE(GetIndexedSTR(list, 1, &s));
  EXPECT_EQ(s, "Monaco");
  EXPECT_TRUE(GetIndexedSTR(list, 3, &s));
  EXPECT_EQ(s, "");
  EXPECT_TRUE(GetIndexedSTR(list, 4, &s));
  EXPECT_EQ(s, "Helvetica");
  EXPECT_FALSE(GetIndexedSTR(list, 0, &s));
  EXPECT_FALSE(GetIndexedSTR(list, 5, &s));

  // A string of 40 characters can't be had, nor any string after it.
  list = stringList({"ok", std::string(40, 'x'), "later"});
  EXPECT_TRUE(GetIndexedSTR(list, 1, &s));
  EXPECT_FALSE(GetIndexedSTR(list, 2, &s));
  EXPECT_FALSE(GetIndexedSTR(list, 3, &s));
  EXPECT_TRUE(GetIndexedSTR(stringList({std::string(39, 'x')}), 1, &s));

  // Strings before the wanted one may add up to less than 200 characters.
  std::vector<std::string> many(17, std::string(39, 'y'));
  list = stringList(many);
  EXPECT_TRUE(GetIndexedSTR(list, 6, &s));   // 5 * 39 = 195 passed
  EXPECT_FALSE(GetIndexedSTR(list, 7, &s));  // 234 passed

  // Counts above 127, short data, and a length past the end.
  std::vector<std::string> lots(128, "a");
  EXPECT_FALSE(GetIndexedSTR(stringList(lots), 1, &s));
  EXPECT_FALSE(GetIndexedSTR(std::string("\0", 1), 1, &s));
  EXPECT_FALSE(GetIndexedSTR(std::string("\0\2\3ab", 5), 1, &s));
  EXPECT_FALSE(GetIndexedSTR(std::string("\0\2\1a", 4), 2, &s));
}

constexpr int kFrames[8] = {500, 300, 40, 100, 400, 200, 600, 120};

TEST(LegacyPrefs, SettingsFromThePrefResource) {
  std::string bytes = ResourceBuilder()
                          .add("PRef", 128, pref(0x92, 0x09, 5, 3, 1, true, kFrames))
                          .add("STR#", 129, stringList({"Monaco", "9", "Times", "14", "1200"}))
                          .build();
  DocPrefs p;
  ASSERT_TRUE(GetResPrefs(open(bytes), &p));
  // 0x92: grid shown, log x axis, axis box.
  EXPECT_EQ(p.hidegrid, 0);
  EXPECT_EQ(p.logaxes, 16);
  EXPECT_EQ(p.boxaxis, 1);
  EXPECT_EQ(p.stxdisable, 0);
  EXPECT_EQ(p.printasis, 1);
  EXPECT_EQ(p.places, 5);
  EXPECT_EQ(p.writefmt, 3);
  EXPECT_EQ(p.numfmt, 1);
  EXPECT_EQ(p.deg, 1);
  // A top of 100 counted down on a 1000-point screen: top 900, bottom 600.
  EXPECT_EQ(p.twwidth, 500);
  EXPECT_EQ(p.twheight, 300);
  EXPECT_EQ(p.twleft, 40);
  EXPECT_EQ(p.twtop, 900);
  EXPECT_EQ(p.twtop - p.twheight, 600);
  EXPECT_EQ(p.pwtop, 880);
  EXPECT_EQ(p.tfontName, "Monaco");
  EXPECT_EQ(p.tfontSize, 9);
  EXPECT_EQ(p.pfontName, "Times");
  EXPECT_EQ(p.pfontSize, 14);
  EXPECT_EQ(p.tabWidth, 36);  // 1200 is out of range

  // Grid hidden, no box, colouring off, a tab width of 24.
  bytes = ResourceBuilder()
              .add("PRef", 128, pref(0x60, 0x00, 2, 0, 2, false, kFrames))
              .add("STR#", 129, stringList({"Monaco", "9", "Times", "14", "24"}))
              .build();
  ASSERT_TRUE(GetResPrefs(open(bytes), &p));
  EXPECT_EQ(p.hidegrid, 1);
  EXPECT_EQ(p.logaxes, 0x60);
  EXPECT_EQ(p.boxaxis, 0);
  EXPECT_EQ(p.stxdisable, 1);
  EXPECT_EQ(p.deg, 0);
  EXPECT_EQ(p.tabWidth, 24);
}

TEST(LegacyPrefs, FontsThatCantBeReadAndMissingResources) {
  // A 40-character font name makes it and every later string unreadable.
  std::string bytes =
      ResourceBuilder()
          .add("PRef", 128, pref(0, 1, 2, 0, 2, false, kFrames))
          .add("STR#", 129, stringList({std::string(40, 'M'), "9", "Times", "14", "24"}))
          .build();
  DocPrefs p;
  ASSERT_TRUE(GetResPrefs(open(bytes), &p));
  EXPECT_EQ(p.tfontName, "");
  EXPECT_EQ(p.pfontName, "");
  EXPECT_EQ(p.tfontSize, 0);
  EXPECT_EQ(p.tabWidth, 0);  // can't be had: 0, which is "not set"

  // Without 'STR#' 129 there are no fonts and no tab width.
  bytes = ResourceBuilder().add("PRef", 128, pref(0, 1, 2, 0, 2, false, kFrames)).build();
  p.tfontName = "kept?";
  ASSERT_TRUE(GetResPrefs(open(bytes), &p));
  EXPECT_EQ(p.tfontName, "");
  EXPECT_EQ(p.tabWidth, -1);

  // Without 'PRef' there are no settings at all, and the record is untouched.
  bytes = ResourceBuilder().add("STR#", 129, stringList({"Monaco"})).build();
  DocPrefs q;
  q.places = 7;
  EXPECT_FALSE(GetResPrefs(open(bytes), &q));
  EXPECT_EQ(q.places, 7);
  EXPECT_EQ(q.tfontName, "");

  // A short 'PRef' reads as zeros past its end; unknown formats are not taken.
  bytes = ResourceBuilder().add("PRef", 128, std::string("\0\x02\x01\x04\x09\x07", 6)).build();
  q.numfmt = 1;
  ASSERT_TRUE(GetResPrefs(open(bytes), &q));
  EXPECT_EQ(q.places, 4);
  EXPECT_EQ(q.writefmt, 0);
  EXPECT_EQ(q.numfmt, 1);
  EXPECT_EQ(q.twtop, 1000);
}

TEST(LegacyPrefs, LabelRecordsBackToBack) {
  std::string first = labelRecord(0.25f, 0.75f, false, "Hello");
  std::string second = labelRecord(0.5f, 0.125f, true, "");
  ASSERT_EQ(first.size(), 17u);  // the second record starts at offset 17
  std::vector<LegacyLabel> labels;
  ASSERT_TRUE(
      GetResLabels(open(ResourceBuilder().add("LBLS", 128, first + second).build()), &labels));
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0].origin.x, 0.25);
  EXPECT_EQ(labels[0].origin.y, 0.75);
  EXPECT_FALSE(labels[0].positionOnly);
  EXPECT_EQ(labels[0].text, "Hello");
  EXPECT_EQ(labels[1].origin.y, 0.125);
  EXPECT_TRUE(labels[1].positionOnly);
  EXPECT_EQ(labels[1].text, "");

  // A record whose text runs past the end ends the list; so does a stub.
  labels.clear();
  std::string cut = first + labelRecord(0, 0, false, "long text").substr(0, 15);
  ASSERT_TRUE(GetResLabels(open(ResourceBuilder().add("LBLS", 128, cut).build()), &labels));
  EXPECT_EQ(labels.size(), 1u);
  labels.clear();
  ASSERT_TRUE(
      GetResLabels(open(ResourceBuilder().add("LBLS", 128, first + "stub").build()), &labels));
  EXPECT_EQ(labels.size(), 1u);
  EXPECT_FALSE(GetResLabels(open(ResourceBuilder().add("PRef", 128, "").build()), &labels));
}

TEST(AppleDouble, EntriesRoundTripAndDamagedEntriesAreLeftOut) {
  AppleDouble a;
  a.finderInfo = makeFinderInfo(fourCharCode("TEXT"), fourCharCode("Orvl"));
  a.resourceFork = std::string("fork\0bytes", 10);
  std::string bytes = writeAppleDouble(a);
  std::optional<AppleDouble> b = readAppleDouble(bytes);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->finderInfo, a.finderInfo);
  EXPECT_EQ(b->resourceFork, a.resourceFork);
  EXPECT_EQ(std::string(b->finderInfo->data(), 8), "TEXTOrvl");

  // The other platform writes a long Finder information entry (with extended
  // attributes after the 32 bytes) and "Mac OS X" in the filler.
  std::string mac = bytes.substr(0, 8) + "Mac OS X        ";
  ResourceBuilder::put16(&mac, 2);
  ResourceBuilder::put32(&mac, 9);
  ResourceBuilder::put32(&mac, 50);
  ResourceBuilder::put32(&mac, 3730);
  ResourceBuilder::put32(&mac, 2);
  ResourceBuilder::put32(&mac, 50 + 3730);
  ResourceBuilder::put32(&mac, 4);
  mac.resize(50, '\0');
  mac += std::string(a.finderInfo->data(), 32) + std::string(3730 - 32, 'A') + "RSRC";
  b = readAppleDouble(mac);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->resourceFork, "RSRC");
  EXPECT_EQ(b->finderInfo, a.finderInfo);

  // An entry beyond the end of the file is left out; a wrong magic is no file.
  b = readAppleDouble(mac.substr(0, mac.size() - 1));
  ASSERT_TRUE(b);
  EXPECT_FALSE(b->resourceFork);
  EXPECT_FALSE(readAppleDouble("\x00\x05\x16\x00" + bytes.substr(4)));
  EXPECT_FALSE(readAppleDouble(bytes.substr(0, 20)));
  EXPECT_EQ(appleDoublePath("dir/sub/sheet.ov"), "dir/sub/._sheet.ov");
  EXPECT_EQ(appleDoublePath("sheet"), "._sheet");
}

TEST(AppleDouble, ResourceForkFromTheSideFileOrTheExtendedAttribute) {
  TempDir dir;
  std::string sheet = dir.path("sheet");
  writeFile(sheet, "x = 1\n");
  EXPECT_FALSE(readResourceFork(sheet));

  AppleDouble a;
  a.resourceFork = "from the side file";
  writeFile(appleDoublePath(sheet), writeAppleDouble(a));
  EXPECT_EQ(readResourceFork(sheet), "from the side file");
  EXPECT_FALSE(readFinderInfo(sheet));

  std::filesystem::remove(appleDoublePath(sheet));
  const std::string value = "from the attribute";
  if (setxattr(sheet.c_str(), "user.com.apple.ResourceFork", value.data(), value.size(), 0) == 0) {
    EXPECT_EQ(readResourceFork(sheet), value);
  } else {
    std::printf("(extended attributes not supported here: errno %d)\n", errno);
  }
}

}  // namespace
}  // namespace orv::test
