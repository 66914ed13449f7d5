// write() of every format, its round trips through read(), the metadata it
// writes, and the replacement of an existing file: cancelled, failed or
// stopped writes keep the old file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <thread>

#include "data_fixtures.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

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
    SheetResult w = s.run(
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
    ASSERT_EQ(w.rawStatus, kOk) << w.text;
    EXPECT_EQ(dir.get("v"), dir.get("fv"));
    EXPECT_EQ(dir.get("m"), dir.get("fm"));
    EXPECT_EQ(dir.get("._v"), dir.get("._fv"));
    EXPECT_EQ(dir.get("._m"), dir.get("._fm"));
    // Read back by the type stored with the file, without a format.
    SheetResult r = s.run("read(\"v\")=\nread(\"m\")=\nread(\"fm\")=\n");
    EXPECT_EQ(r.rawStatus, kOk) << r.text;
    EXPECT_EQ(r["read(\"v\")"], f.vector);
    EXPECT_EQ(r["read(\"m\")"], f.matrix);
    EXPECT_EQ(r["read(\"fm\")"], f.matrix);
  }
}

TEST(WriteRead, BytesOfEachFormat) {
  TempDir dir;
  Sheet s(dir);
  SheetResult r = s.run(
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
  ASSERT_EQ(r.rawStatus, kOk) << r.text;
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
  SheetResult r = s.run(
      "Writeformat = \"INT2\"\n"
      "write(\"a\", {1, 2})\n"
      "write(\"b\", {1, 2}, \"BYT1\")\n");
  EXPECT_EQ(r.rawStatus, kOk);
  EXPECT_EQ(dir.get("a"), int2s({1, 2}));
  EXPECT_EQ(dir.get("b"), "\x01\x02");
  EXPECT_EQ(readAppleDouble(dir.get("._a"))->finderInfo->data()[0], 'I');

  r = s.run("write(\"c\", {1, 2}, \"int2\")\n");
  EXPECT_EQ(r.rawStatus, "write() unknown fmt=int2");
  EXPECT_FALSE(dir.exists("c")) << "no file for an unknown format in the call";

  r = s.run("Writeformat = \"LONG\"\nwrite(\"d\", {1, 2})\n");
  EXPECT_EQ(r.rawStatus, "write() unknown fmt=LONG");

  r = s.run("write(\"e\", {1, 2}, \"DBL8 please\")\n");
  EXPECT_EQ(r.rawStatus, kOk) << "four characters decide";
  EXPECT_EQ(dir.get("e").size(), 16u);
}

TEST(WriteRead, NothingToWrite) {
  TempDir dir;
  Sheet s(dir);
  SheetResult r = s.run("write(\"f\", 5)\n");
  EXPECT_EQ(r.rawStatus, "write() can't determine array size. No data written.");
  EXPECT_TRUE(dir.exists("f"));
  EXPECT_EQ(dir.get("f"), "");
  r = s.run("write(5, {1})\n");
  EXPECT_EQ(r.rawStatus, " write( file name?, )");
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
  SheetResult r = s.run("write(\"sub:old.txt\", {1, 2})\nafter = 1\nafter=\n");
  EXPECT_EQ(r.rawStatus, " write('sub:old.txt',) canceled");
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(s.host.asked, std::vector<std::string>{"old.txt"});
  EXPECT_EQ(dir.get("sub/old.txt"), "old contents");
  EXPECT_EQ(dir.get("sub/._old.txt"), oldSide);
  EXPECT_EQ(r["after"], "") << "the run stopped at the write";

  // A failing write over an existing file leaves it as it was.
  s.host.overwrite = true;
  r = s.run("write(\"sub:old.txt\", 5)\n");
  EXPECT_EQ(r.rawStatus, "write() can't determine array size. No data written.");
  EXPECT_EQ(dir.get("sub/old.txt"), "old contents");
  r = s.run("write(\"sub:old.txt\", {1, 2}, \"XXXX\")\n");
  EXPECT_EQ(dir.get("sub/old.txt"), "old contents");
  EXPECT_EQ(s.host.asked.size(), 2u) << "an unknown format is found before the question";

  // Overwrite: replaced in full, metadata too.
  r = s.run("write(\"sub:old.txt\", {{1, 2}, {3, 4}}, \"INT2\")\n");
  EXPECT_EQ(r.rawStatus, kOk);
  EXPECT_EQ(dir.get("sub/old.txt"), int2s({1, 2, 3, 4}));
  r = s.run("read(\"sub:old.txt\")=\n");
  EXPECT_EQ(r["read(\"sub:old.txt\")"], "{{1.00,2.00},{3.00,4.00}}");
  // A vector over a matrix file drops the old column tag.
  r = s.run("write(\"sub:old.txt\", {5, 6, 7, 8}, \"INT2\")\nread(\"sub:old.txt\")=\n");
  EXPECT_EQ(r["read(\"sub:old.txt\")"], "{5.00,6.00,7.00,8.00}");

  // No temporary file stays behind, whatever happened.
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"sub"}));
  EXPECT_EQ(dir.entries("sub"), (std::vector<std::string>{"._old.txt", "old.txt"}));
}

TEST(WriteReplace, UnwritableFolder) {
  TempDir dir;
  Sheet s(dir);
  SheetResult r = s.run("write(\"missing:f\", {1})\n");
  EXPECT_EQ(r.rawStatus, " write file 'missing:f' can't create: No such file or directory");
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
  SheetResult r = s.run("f[i] = i dim[200000000]\nwrite(\"big\", f, \"BYT1\")\n");
  button.join();
  EXPECT_EQ(r.rawStatus, " stopped");
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
  SheetResult r = s.run("write(\"x\", {1,2})\n");
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
  SheetResult r = s.run("f[i] = i dim[1e12]\nwrite(\"big\", f, \"BYT1\")\n");
  auto took = std::chrono::steady_clock::now() - start;
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, SIG_DFL);
  EXPECT_EQ(r.rawStatus, " write file 'big' can't write: File too large");
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_EQ(dir.get("big"), "old contents");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"big"});
}

TEST(WriteSafety, DataAndMetadataTravelTogether) {
  TempDir dir;
  Sheet s(dir);
  s.host.overwrite = true;
  SheetResult r = s.run("write(\"m\", {{1,2,3},{4,5,6}}, \"DBL8\")\n");
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

}  // namespace
}  // namespace orv::test
