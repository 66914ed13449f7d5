// End-to-end tests of `orvanel run`: the built executable runs small
// worksheets in a scratch folder, and the tests check its output files,
// standard streams and exit status.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "child_process.h"
#include "files.h"

namespace orv::cli::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr char kCheck[] = "\xE2\x88\x9A";  // √, the status of a successful run

// A worksheet that runs until it is stopped.
constexpr char kEndless[] = "x = 0\nx := x + 1 while 1\n";

class RunCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(dir_ / "config"); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  std::string write(const std::string& name, const std::string& content) {
    orv::test::writeFile(path(name), content);
    return path(name);
  }
  std::string read(const std::string& name) const { return orv::test::readFile(path(name)); }

  ChildSetup setup(std::vector<std::string> args) const {
    ChildSetup s;
    s.args = std::move(args);
    s.configHome = path("config");
    return s;
  }

  ChildResult run(std::vector<std::string> args) {
    return runOrvanel(setup(std::move(args)), scratch());
  }

  // Runs [sheet] from a file with [options] before the file name.
  ChildResult runSheet(const std::string& sheet, std::vector<std::string> options = {}) {
    std::string file = write("sheet.txt", sheet);
    options.insert(options.begin(), "run");
    options.push_back(file);
    return run(options);
  }

  std::string scratch() const { return dir_.string(); }

  orv::test::TempDir tmp_;
  fs::path dir_ = tmp_.path();
};

TEST_F(RunCommandTest, SuccessfulRunPrintsTheWorksheetWithResults) {
  ChildResult r = runSheet("x = 3\nx=\n");
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "x = 3\nx:3.00\n");
  EXPECT_EQ(r.err, std::string(kCheck) + "\n");

  r = runSheet("y + 1=\n");  // an unknown name still counts as success
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.err, "? y?\n");
}

TEST_F(RunCommandTest, FailedRunReportsFileLineColumnAndStillPrintsTheText) {
  ChildResult r = runSheet("a = 1\r\nb = 2\r\nx = 3 $\r\n");
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, path("sheet.txt") + ":3:6: missing ;\n");
  EXPECT_NE(r.out.find("x = 3 $\r\n"), std::string::npos) << r.out;
}

TEST_F(RunCommandTest, StandardInputIsAnUntitledWorksheet) {
  ChildSetup s = setup({"run", "-"});
  s.stdinPath = write("in.txt", "x = 3\nx=\n");
  ChildResult r = runOrvanel(s, scratch());
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "x = 3\nx:3.00\n");

  s.stdinPath = write("in.txt", "x = $\n");
  r = runOrvanel(s, scratch());
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "<stdin>:1:4: missing ;\n");
}

TEST_F(RunCommandTest, OutputOptionWritesTheFileInsteadEvenAfterAFailedRun) {
  ChildResult r = runSheet("x = 3\nx=\n", {"-o", path("out.txt")});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(read("out.txt"), "x = 3\nx:3.00\n");
  EXPECT_EQ(read("sheet.txt"), "x = 3\nx=\n");

  r = runSheet("x = 3 $\n", {"-o", path("out.txt")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(read("out.txt"), "x = 3 $\n");
}

TEST_F(RunCommandTest, InPlaceWritesBackOnlyWhenTheRunSucceeds) {
  write("real.txt", "x = 3\nx:1.00\n");
  chmod(path("real.txt").c_str(), 0640);
  fs::create_symlink(path("real.txt"), path("sheet.txt"));
  ChildResult r = run({"run", "-i", path("sheet.txt")});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(read("real.txt"), "x = 3\nx:3.00\n");
  EXPECT_TRUE(fs::is_symlink(path("sheet.txt")));
  EXPECT_EQ(fs::status(path("real.txt")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  const std::string failing = "x = 3\nx:1.00\ny = $\n";
  write("real.txt", failing);
  r = run({"run", "--in-place", "--places", "5", path("real.txt")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(read("real.txt"), failing);

  // No temporary file is left behind.
  for (const fs::directory_entry& e : fs::directory_iterator(dir_)) {
    std::string name = e.path().filename().string();
    EXPECT_TRUE(name == "real.txt" || name == "sheet.txt" || name == "config" ||
                name.rfind("child.", 0) == 0)
        << name;
  }
}

TEST_F(RunCommandTest, MacRomanWorksheetIsReadAndKeepsItsEncodingInPlace) {
  ChildResult r = runSheet("x = \xB9\nx=\n");
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "x = \xCF\x80\nx:3.14\n");

  r = run({"run", "-i", write("sheet.txt", "x = \xB9\nx=\n")});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(read("sheet.txt"), "x = \xB9\nx:3.14\n");
}

TEST_F(RunCommandTest, SettingOptionsChangeTheResults) {
  EXPECT_EQ(runSheet("x = 3\nx=\n", {"--places", "4"}).out, "x = 3\nx:3.0000\n");
  EXPECT_EQ(runSheet("sin(90)=\n", {"--degrees"}).out, "sin(90):1.00\n");
  EXPECT_EQ(runSheet("cos(pi)=\n", {"--degrees", "--radians"}).out, "cos(pi):-1.00\n");
  std::string sci = runSheet("x = 12345\nx=\n", {"--format", "sci", "--places", "3"}).out;
  EXPECT_NE(sci, runSheet("x = 12345\nx=\n", {"--format", "fix", "--places", "3"}).out);
  EXPECT_NE(sci.find('e'), std::string::npos) << sci;
}

TEST_F(RunCommandTest, UserDefaultsApplyUnlessAnOptionSaysOtherwise) {
  fs::create_directory(path("config/Orvanel"));
  write("config/Orvanel/Orvanel.conf", "[General]\nNumberDigits=4\nUseDegrees=true\n");
  EXPECT_EQ(runSheet("x = 3\nx=\n").out, "x = 3\nx:3.0000\n");
  EXPECT_EQ(runSheet("sin(90)=\n").out, "sin(90):1.0000\n");
  EXPECT_EQ(runSheet("x = 3\nx=\n", {"--places", "1"}).out, "x = 3\nx:3.0\n");
}

TEST_F(RunCommandTest, DataFilesBesideTheWorksheetAndTheOverwriteQuestion) {
  write("data.txt", "old");
  const std::string sheet = "write(\"data.txt\", {1, 2})\nread(\"data.txt\", \"TEXT\")=\n";
  ChildResult r = runSheet(sheet);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_NE(r.err.find("write('data.txt',) canceled"), std::string::npos) << r.err;
  EXPECT_EQ(read("data.txt"), "old");
  r = runSheet(sheet, {"--overwrite"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("read(\"data.txt\", \"TEXT\"):{1.00,2.00}"), std::string::npos) << r.out;
  EXPECT_EQ(read("data.txt"), "\t1\t2");
}

TEST_F(RunCommandTest, AFaultInAnIncludedWorksheetIsReportedAtItsPlaceFirst) {
  write("lib.ov", "a = 1\nb = $\n");
  ChildResult r = runSheet("include \"lib.ov\"\na=\n");
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, path("lib.ov") + ":2:4: missing ;\n" + path("sheet.txt") +
                       ":1:8: error in include file\n");
}

TEST_F(RunCommandTest, UsageErrorsAndUnreadableOrUnwritableFilesExitWithTwo) {
  ChildResult r = run({"run", "--bogus", path("sheet.txt")});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_NE(r.err.find("unknown option '--bogus'"), std::string::npos) << r.err;

  r = run({"run", path("missing.txt")});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "orvanel: " + path("missing.txt") + ": No such file or directory\n");

  r = runSheet("x = 3\nx=\n", {"-o", path("no/such/dir/out.txt")});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "orvanel: " + path("no/such/dir/out.txt") + ": No such file or directory\n");
}

TEST_F(RunCommandTest, CommandsOtherThanRun) {
  EXPECT_EQ(run({"--version"}).out, std::string("orvanel ") + ORVANEL_VERSION + "\n");
  ChildResult r = run({"convert", path("missing.ov"), path("b.txt")});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "orvanel: " + path("missing.ov") + ": No such file or directory\n");
}

TEST_F(RunCommandTest, InterruptStopsTheRunAndKeepsItsText) {
  Child child(setup({"run", write("sheet.txt", kEndless)}), scratch());
  ASSERT_TRUE(child.waitUntilCatching(SIGINT));
  std::this_thread::sleep_for(200ms);
  kill(child.pid(), SIGINT);
  ChildResult r = child.wait();
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.err, "stopped\n");
  EXPECT_EQ(r.out.rfind("x = 0\nx := x + 1 while 1", 0), 0u) << r.out;
}

TEST_F(RunCommandTest, SecondInterruptExitsAtOnce) {
  // The run is over at once, but its output fills a pipe nobody reads, so the
  // process stays blocked until the interrupts arrive.
  std::string sheet;
  for (int i = 0; i < 4000; ++i)
    sheet += "-- a comment line that makes the output outgrow a pipe\n";
  ChildSetup s = setup({"run", write("sheet.txt", sheet)});
  s.stdoutPipe = true;
  Child child(s, scratch());
  ASSERT_TRUE(child.waitUntilCatching(SIGINT));
  std::this_thread::sleep_for(300ms);
  kill(child.pid(), SIGINT);
  std::this_thread::sleep_for(200ms);
  kill(child.pid(), SIGINT);
  EXPECT_EQ(child.wait().exitStatus, 130);
}

TEST_F(RunCommandTest, TerminalShowsTheElapsedTimeOfLongRunsOnly) {
  ChildSetup s = setup({"run", write("sheet.txt", "x = 3\nx=\n")});
  s.stderrTerminal = true;
  // The terminal turns \n into \r\n.
  EXPECT_EQ(runOrvanel(s, scratch()).err, std::string(kCheck) + "\r\n");

  write("sheet.txt", kEndless);
  Child child(s, scratch());
  ASSERT_TRUE(child.waitUntilCatching(SIGINT));
  std::this_thread::sleep_for(1300ms);
  kill(child.pid(), SIGINT);
  ChildResult r = child.wait();
  EXPECT_EQ(r.exitStatus, 0);
  std::size_t shown = r.err.find("\rrunning\xE2\x80\xA6 ");
  std::size_t erased = r.err.rfind("\r\033[K");
  ASSERT_NE(shown, std::string::npos) << r.err;
  ASSERT_NE(erased, std::string::npos) << r.err;
  EXPECT_LT(shown, erased);
  EXPECT_EQ(r.err.substr(erased + 4), "stopped\r\n");
}

}  // namespace
}  // namespace orv::cli::test
