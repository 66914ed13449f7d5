// `orvanel run --plot OUT --size WxH`: parsing, and the page written after
// the run by the built executable.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_process.h"
#include "cli/options.h"
#include "files.h"

namespace orv::cli::test {
namespace {

namespace fs = std::filesystem;

TEST(PlotOptionTest, ParsesThePlotFileAndThePageSize) {
  CommandLine line = parseCommandLine({"run", "--plot", "p.PNG", "--size=300x200", "s.txt"});
  ASSERT_EQ(line.command, Command::kRun) << line.error;
  EXPECT_EQ(line.run.plot, "p.PNG");
  EXPECT_EQ(line.run.plotWidth, 300);
  EXPECT_EQ(line.run.plotHeight, 200);
  line = parseCommandLine({"run", "--plot=a/b.svg", "s.txt"});
  EXPECT_EQ(line.run.plot, "a/b.svg");
  EXPECT_EQ(line.run.plotWidth, 640);
  EXPECT_EQ(line.run.plotHeight, 480);
  EXPECT_EQ(parseCommandLine({"run", "--plot", "x.pdf", "s"}).run.plot, "x.pdf");
}

TEST(PlotOptionTest, RejectsOtherFileTypesAndSizes) {
  for (std::vector<std::string> args : {std::vector<std::string>{"run", "--plot", "p.gif", "s"},
                                        {"run", "--plot", ".png", "s"},
                                        {"run", "--plot", "dir/.png", "s"},
                                        {"run", "--size", "640", "s"},
                                        {"run", "--size", "99x400", "s"},
                                        {"run", "--size", "400x4001", "s"},
                                        {"run", "--size", "x400", "s"},
                                        {"run", "--size", "4e2x400", "s"},
                                        {"run", "--plot"}}) {
    CommandLine line = parseCommandLine(args);
    EXPECT_EQ(line.command, Command::kUsageError) << args[2];
  }
}

class PlotRunTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(dir_ / "config"); }

  ChildResult run(const std::string& sheet, std::vector<std::string> options) {
    std::string file = (dir_ / "sheet.txt").string();
    orv::test::writeFile(file, sheet);
    ChildSetup s;
    s.args = {"run"};
    s.args.insert(s.args.end(), options.begin(), options.end());
    s.args.push_back(file);
    s.configHome = (dir_ / "config").string();
    return runOrvanel(s, dir_.string());
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  orv::test::TempDir tmp_;
  fs::path dir_ = tmp_.path();
};

// Width and height of a PNG file from its header.
std::pair<int, int> pngSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char h[24] = {};
  in.read(reinterpret_cast<char*>(h), sizeof h);
  auto be = [&](int at) {
    return (h[at] << 24) | (h[at + 1] << 16) | (h[at + 2] << 8) | h[at + 3];
  };
  return {be(16), be(20)};
}

// The dynamic loader names every library it loads when LD_DEBUG=files: a run
// that draws nothing loads no Qt, a run that writes its plot loads the
// drawing module, and Qt with it.
TEST_F(PlotRunTest, OnlyARunThatDrawsLoadsQt) {
  setenv("LD_DEBUG", "files", 1);
  ChildResult plain = run("x = 1\nx=\n", {});
  ChildResult drawn = run("plot X\n", {"--plot", path("loaded.png")});
  unsetenv("LD_DEBUG");
  EXPECT_EQ(plain.exitStatus, 0) << plain.err;
  EXPECT_EQ(drawn.exitStatus, 0) << drawn.err;
  EXPECT_EQ(plain.err.find("libQt6"), std::string::npos);
  EXPECT_EQ(plain.err.find("orvanel-gui.so"), std::string::npos);
  EXPECT_NE(drawn.err.find("orvanel-gui.so"), std::string::npos);
  EXPECT_NE(drawn.err.find("libQt6Gui"), std::string::npos);
  EXPECT_TRUE(fs::exists(path("loaded.png")));
}

TEST_F(PlotRunTest, WritesThePageAtTwicePageSize) {
  ChildResult r =
      run("plot sin(X)\nnewaxis\nplot X\n", {"--plot", path("p.png"), "--size", "300x200"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "\xE2\x88\x9A\n");
  EXPECT_EQ(pngSize(path("p.png")), (std::pair<int, int>{600, 400}));
  r = run("plot X\n", {"--plot", path("p.svg")});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_TRUE(fs::exists(path("p.svg")));
}

TEST_F(PlotRunTest, NoPlotWritesNothingAndSaysSoWithoutFailing) {
  ChildResult r = run("x = 1\nx=\n", {"--plot", path("none.png")});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "x = 1\nx:1.00\n");
  EXPECT_NE(r.err.find("made no plot"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(path("none.png")));
}

TEST_F(PlotRunTest, AFailedRunStillDrawsItsPageAndAnUnwritableFileIsAnError) {
  ChildResult r = run("plot X\nsqrt(-1)=\n", {"--plot", path("failed.pdf")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_TRUE(fs::exists(path("failed.pdf")));
  r = run("plot X\n", {"--plot", path("missing/dir/p.png")});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_NE(r.err.find("p.png"), std::string::npos) << r.err;
}

TEST_F(PlotRunTest, PicturesAreReadBesideTheWorksheet) {
  ChildResult r = run("plot X\n", {"--plot", path("pic.png")});
  ASSERT_EQ(r.exitStatus, 0);
  r = run("imagefile \"pic.png\", {0, 0, 0.5, 0.5}\nplot X\n", {"--plot", path("page.png")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  r = run("imagefile \"absent.png\"\n", {"--plot", path("page.png")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_NE(r.err.find("imagefile can't read"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace orv::cli::test
