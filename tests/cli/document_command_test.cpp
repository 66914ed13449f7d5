// End-to-end tests of worksheet documents on the command line: RTF written by
// other programs, `run -i` keeping an RTF worksheet and its options line,
// -o in either form, `convert`, and legacy worksheets with a resource fork.
#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/apple_double.h"
#include "base/macroman.h"
#include "child_process.h"
#include "doc/rtf_reader.h"
#include "files.h"
#include "resource_builder.h"

namespace orv::cli::test {
namespace {

namespace fs = std::filesystem;
using orv::test::ResourceBuilder;
using orv::test::stringList;

constexpr char kCheck[] = "\xE2\x88\x9A\n";  // √

class DocumentCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_ / "config" / "Orvanel"); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  std::string write(const std::string& name, const std::string& content) {
    orv::test::writeFile(path(name), content);
    return path(name);
  }
  std::string read(const std::string& name) const { return orv::test::readFile(path(name)); }

  // Copies a document made by another program into the scratch folder.
  std::string fixture(const std::string& name, const std::string& as) {
    return write(as, orv::test::readFile(std::string(ORVANEL_DOC_DATA_DIR) + "/" + name));
  }

  ChildResult run(std::vector<std::string> args) {
    ChildSetup s;
    s.args = std::move(args);
    s.configHome = path("config");
    return runOrvanel(s, dir_.string());
  }

  std::string comment(const std::string& name) { return utf16ToUtf8(readRtf(read(name)).comment); }

  orv::test::TempDir tmp_;
  fs::path dir_ = tmp_.path();
};

TEST_F(DocumentCommandTest, AWorksheetSavedByAnotherRtfEditorRuns) {
  for (const char* name : {"circle_pandoc.rtf", "circle_libreoffice.rtf"}) {
    ChildResult r = run({"run", fixture(name, "sheet.rtf")});
    EXPECT_EQ(r.exitStatus, 0) << name;
    EXPECT_EQ(r.err, kCheck);
    EXPECT_NE(r.out.find("area = \xCF\x80 * r^2\narea:19.63\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("-- braces {} and a \\ backslash\ncount(d):3.00\n"), std::string::npos);
  }
  // The other platform's file carries an options line: fixed with 3 places,
  // degrees.
  ChildResult r = run({"run", fixture("other_platform.rtf", "sheet.ov")});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_NE(r.out.find("area:19.635\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("sin(angle):0.500\n"), std::string::npos) << r.out;
  // An option still wins over the document.
  r = run({"run", "--radians", "--places", "2", path("sheet.ov")});
  EXPECT_NE(r.out.find("sin(angle):-0.99\n"), std::string::npos) << r.out;
}

TEST_F(DocumentCommandTest, InPlaceKeepsAnRtfWorksheetRtfWithItsSettings) {
  fixture("other_platform.rtf", "sheet.ov");
  ChildResult r = run({"run", "-i", path("sheet.ov")});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "");
  std::string once = read("sheet.ov");
  RtfDocument doc = readRtf(once);
  EXPECT_EQ(once.rfind("{\\rtf1", 0), 0u);
  EXPECT_EQ(comment("sheet.ov")
                .rfind("Orvanel Options: fix 3 deg; twindow 120 760 560 480 "
                       "pwindow 700 760 480 360 plotfont \"Helvetica\" 12",
                       0),
            0u);
  EXPECT_NE(utf16ToUtf8(doc.text).find("sin(angle):0.500\n"), std::string::npos);
  EXPECT_EQ(doc.fontName, u"Menlo-Regular");
  EXPECT_EQ(doc.defaultTab, 720);
  EXPECT_NE(once.find("\\cf2 0.500"), std::string::npos);  // results are red

  // Running again changes nothing; a setting given for the run is kept.
  run({"run", "-i", path("sheet.ov")});
  EXPECT_EQ(read("sheet.ov"), once);
  run({"run", "-i", "--places", "1", path("sheet.ov")});
  EXPECT_EQ(comment("sheet.ov").rfind("Orvanel Options: fix 1 deg; ", 0), 0u);
  EXPECT_NE(utf16ToUtf8(readRtf(read("sheet.ov")).text).find("sin(angle):0.5\n"),
            std::string::npos);

  // A failed run leaves the file as it was.
  std::string before = read("sheet.ov");
  write("bad.ov", before.substr(0, before.rfind('}')) + "y = $\\par}");
  before = read("bad.ov");
  r = run({"run", "-i", path("bad.ov")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(read("bad.ov"), before);

  // The worksheet's Tabwidth becomes the RTF's tab interval.
  write("tabs.ov", "{\\rtf1\\ansi Tabwidth := 24\\par}");
  run({"run", "-i", path("tabs.ov")});
  EXPECT_EQ(readRtf(read("tabs.ov")).defaultTab, 480);
}

TEST_F(DocumentCommandTest, OutputFormFollowsTheName) {
  write("config/Orvanel/Orvanel.conf", "[General]\nNumberDigits=4\nTextFont=Courier\n");
  write("sheet.txt", "x = 1.5\nx=\n");
  ChildResult r = run({"run", "-o", path("out.ov"), path("sheet.txt")});
  EXPECT_EQ(r.exitStatus, 0);
  RtfDocument out = readRtf(read("out.ov"));
  EXPECT_EQ(out.text, u"x = 1.5\nx:1.5000\n");
  EXPECT_EQ(out.fontName, u"Courier");
  EXPECT_EQ(utf16ToUtf8(out.comment).rfind("Orvanel Options: fix 4  twindow ", 0), 0u);
  run({"run", "-o", path("out.rtf"), path("sheet.txt")});
  EXPECT_EQ(read("out.rtf"), read("out.ov"));
  run({"run", "-o", path("out.text"), path("out.ov")});
  EXPECT_EQ(read("out.text"), "x = 1.5\nx:1.5000\n");
  // Plain text stays plain text in place.
  run({"run", "-i", path("sheet.txt")});
  EXPECT_EQ(read("sheet.txt"), "x = 1.5\nx:1.5000\n");
}

TEST_F(DocumentCommandTest, ConvertBetweenRtfAndPlainText) {
  fixture("circle_libreoffice.rtf", "in.rtf");
  ChildResult r = run({"convert", path("in.rtf"), path("plain.txt")});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(read("plain.txt"),
            orv::test::readFile(std::string(ORVANEL_DOC_DATA_DIR) + "/circle.txt"));
  r = run({"convert", path("plain.txt"), path("again.ov")});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(utf8ToUtf16(read("plain.txt")), readRtf(read("again.ov")).text);
  EXPECT_EQ(comment("again.ov").rfind("Orvanel Options: fix 2  twindow", 0), 0u);
  // The options line survives a conversion from RTF to RTF.
  fixture("other_platform.rtf", "op.ov");
  run({"convert", path("op.ov"), path("op2.rtf")});
  EXPECT_EQ(comment("op2.rtf").rfind("Orvanel Options: fix 3 deg; ", 0), 0u);
  EXPECT_NE(comment("op2.rtf").find(";lab 250 250;lab 500 750"), std::string::npos);
  r = run({"convert", path("op.ov"), path("no/dir/x.txt")});
  EXPECT_EQ(r.exitStatus, 2);
}

// A worksheet of an older version: Mac OS Roman text with CR line ends, its
// settings and labels in the resource fork kept in "._NAME".
std::string legacyFork() {
  std::string pref(32, '\0');
  pref[1] = static_cast<char>(0x92 | 0x20);  // grid, log x and y, box
  pref[2] = 1;
  pref[3] = 3;   // places
  pref[5] = 2;   // fixed
  pref[11] = 1;  // degrees
  std::string label;
  ResourceBuilder::put32(&label, std::bit_cast<uint32_t>(0.5f));
  ResourceBuilder::put32(&label, std::bit_cast<uint32_t>(0.25f));
  label += std::string("\0\0\0\x04", 4) + "Peak";
  AppleDouble side;
  side.resourceFork = ResourceBuilder()
                          .add("PRef", 128, pref)
                          .add("STR#", 129, stringList({"Monaco", "9", "Times", "12", "1200"}))
                          .add("LBLS", 128, label)
                          .build();
  return writeAppleDouble(side);
}

TEST_F(DocumentCommandTest, ALegacyDocumentConverts) {
  write("old", "a = 30\rsin(a)=\r");
  write("._old", legacyFork());
  ChildResult r = run({"convert", path("old"), path("old.ov")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  RtfDocument doc = readRtf(read("old.ov"));
  EXPECT_EQ(utf16ToUtf8(doc.text),
            "-- Converted Preferences --\n"
            "Xlogaxis:=on\n"
            "Ylogaxis:=on\n"
            "slabel \"Peak\"\n"
            "---------------------------\n"
            "a = 30\nsin(a)=\n");
  EXPECT_EQ(utf16ToUtf8(doc.comment).rfind("Orvanel Options: fix 3 deg;boxaxis; twindow ", 0), 0u);
  EXPECT_NE(utf16ToUtf8(doc.comment).find(";lab 500 250"), std::string::npos);
  EXPECT_EQ(doc.fontName, u"Monaco");
  EXPECT_EQ(doc.fontHalfPoints, 18);
  EXPECT_EQ(doc.defaultTab, 36 * 20);
  EXPECT_EQ(read("old"), "a = 30\rsin(a)=\r");  // the old file stays as it was

  // The converted document runs with the old settings.
  r = run({"run", path("old.ov")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("sin(a):0.500"), std::string::npos) << r.out;

  // Running the old one works too, but writing it back in place would need a
  // new name.
  r = run({"run", path("old")});
  EXPECT_NE(r.out.find("sin(a):0.500"), std::string::npos) << r.out;
  r = run({"run", "-i", path("old")});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_NE(r.err.find("orvanel convert " + path("old") + " " + path("old.ov")), std::string::npos)
      << r.err;
  EXPECT_EQ(read("old"), "a = 30\rsin(a)=\r");
}

TEST_F(DocumentCommandTest, AnIncludedWorksheetMayBeRtf) {
  write("lib.ov", "{\\rtf1\\ansi\\uc0 r = 2\\par area(x) = \\u960  * x^2\\par}");
  write("sheet.txt", "include \"lib.ov\"\narea(r)=\n");
  ChildResult r = run({"run", path("sheet.txt")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "include \"lib.ov\"\narea(r):12.57\n");
}

}  // namespace
}  // namespace orv::cli::test
