// File names relative to the worksheet (colons, slashes, untitled
// documents) and include files: where they are found, and faults, cycles
// and nesting.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "data_fixtures.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

TEST(FileNames, ColonsSlashesAndUntitledDocuments) {
  TempDir dir;
  dir.put("top", "1");
  dir.put("work/beside", "2");
  dir.put("work/data/run1", "3");
  dir.put("work/data/sub/run2", "4");
  dir.put("other/x", "5");
  Sheet s(dir, "work/sheet.ov");
  SheetResult r = s.run(
      "read(\"::top\", \"TEXT\")=\n"
      "read(\"beside\", \"TEXT\")=\n"
      "read(\":beside\", \"TEXT\")=\n"
      "read(\"data:run1\", \"TEXT\")=\n"
      "read(\":data:sub:run2\", \"TEXT\")=\n"
      "read(\"data/run1\", \"TEXT\")=\n"
      "read(\"::other:x\", \"TEXT\")=\n"
      "read(\"" +
      dir.path("top") + "\", \"TEXT\")=\n");
  EXPECT_EQ(r.rawStatus, kOk);
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
  EXPECT_EQ(r.rawStatus, kOk);
  EXPECT_EQ(dir.get("up.txt"), "\t1\t2");
  EXPECT_EQ(dir.get("work/data/down.txt"), "\t3");

  // Untitled: relative names lead nowhere, absolute ones still work.
  Sheet untitled;
  EXPECT_EQ(untitled.run("read(\"top\", \"TEXT\")=\n").rawStatus, " read(top) can't open");
  EXPECT_EQ(untitled.run("read(\"" + dir.path("top") + "\", \"TEXT\")[1]=\n").rawStatus, kOk);
  EXPECT_EQ(untitled.run("include \"lib\"\n").rawStatus, " bad file name 'lib'");
  EXPECT_EQ(untitled.run("write(\"" + dir.path("w") + "\", {1})\n").rawStatus,
            "can't write from untitled document");
  EXPECT_FALSE(dir.exists("w"));
}

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
  SheetResult r = s.run(
      "include \"lib.ov\"\n"
      "include userlib\n"
      "include \"sub:deep\"\n"
      "g(2)=\nu=\nw=\n");
  EXPECT_EQ(r.rawStatus, kOk) << r.text;
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
  EXPECT_EQ(r.rawStatus, kOk) << r.text;
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
  EXPECT_EQ(r.rawStatus, " can't open include file");
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
  SheetResult r = s.run("x = 1\ninclude \"bad.ov\"\ny = 2\n");
  EXPECT_EQ(r.rawStatus, " error in include file");
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(s.host.includeFailures.size(), 1u);
  EXPECT_EQ(s.host.includeFailures[0].rfind(dir.path("bad.ov") + " @", 0), 0u)
      << s.host.includeFailures[0];

  s.host.includeFailures.clear();
  r = s.run("include \"outer.ov\"\n");
  EXPECT_EQ(r.rawStatus, " error in include file");
  EXPECT_EQ(s.host.includeFailures.size(), 1u) << "reported once, where it happened";

  r = s.run("include \"self.ov\"\n");
  EXPECT_EQ(r.rawStatus, " include nesting too deep");
  r = s.run("include \"ping.ov\"\np=\n");
  EXPECT_EQ(r.rawStatus, " include nesting too deep");
  // A definition ahead of the include meets itself on the second round.
  s.host.includeFailures.clear();
  r = s.run("include \"defines.ov\"\n");
  EXPECT_EQ(r.rawStatus, " error in include file");
  ASSERT_EQ(s.host.includeFailures.size(), 1u);
  EXPECT_NE(s.host.includeFailures[0].find("already defined"), std::string::npos)
      << s.host.includeFailures[0];
  // The document is fine again afterwards.
  r = s.run("include \"nothere\"\n");
  EXPECT_EQ(r.rawStatus, " can't open include file");
  // A file far larger than any worksheet (a disk image) is not read.
  dir.put("huge.ov", "");
  std::filesystem::resize_file(dir.path("huge.ov"), std::uintmax_t(300) << 20);
  r = s.run("include \"huge.ov\"\n");
  EXPECT_EQ(r.rawStatus, " can't open include file");
  dir.put("ok.ov", "q = 5\n");
  r = s.run("include \"ok.ov\"\nq=\n");
  EXPECT_EQ(r.rawStatus, kOk);
  EXPECT_EQ(r["q"], "5.00");
}

}  // namespace
}  // namespace orv::test
