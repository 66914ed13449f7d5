// End-to-end tests of `orvanel run`: the built executable runs small
// worksheets in a scratch folder, and the tests check its output files,
// standard streams and exit status.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

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

namespace orv::cli::test {
namespace {

// Every name in the scratch folder that looks like one of our temporary files.
std::vector<std::string> temporaryFiles(const fs::path& dir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir)) {
    std::string name = e.path().filename().string();
    if (name.find(".orvanel-") != std::string::npos) names.push_back(name);
  }
  return names;
}

TEST_F(RunCommandTest, FilesThatAreNoWorksheetsAreRefusedWithoutWaiting) {
  ChildResult r = run({"run", "/dev/zero"});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "orvanel: /dev/zero: not a regular file\n");
  r = run({"convert", "/dev/zero", path("out.txt")});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "orvanel: /dev/zero: not a regular file\n");
  ASSERT_EQ(mkfifo(path("pipe.txt").c_str(), 0600), 0);
  r = run({"run", path("pipe.txt")});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "orvanel: " + path("pipe.txt") + ": not a regular file\n");
  // Named pipes beside a worksheet or a data file, or as a picture, are no
  // metadata and no picture.
  ASSERT_EQ(mkfifo(path("._sheet.txt").c_str(), 0600), 0);
  write("d", "1 2 3");
  ASSERT_EQ(mkfifo(path("._d").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(path("pic.png").c_str(), 0600), 0);
  r = runSheet("count(read(\"d\", \"TEXT\"))=\n");
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "count(read(\"d\", \"TEXT\")):3.00\n");
  r = runSheet("imagefile \"pic.png\"\n", {"--plot", path("page.png")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_NE(r.err.find("imagefile can't read"), std::string::npos) << r.err;
}

TEST_F(RunCommandTest, InPlaceRefusesWhatItCannotWriteBackSafely) {
  // A read-only worksheet, even for a privileged user.
  const std::string sheet = "x = 3\nx:1.00\n";
  write("ro.txt", sheet);
  chmod(path("ro.txt").c_str(), 0444);
  ChildResult r = run({"run", "-i", path("ro.txt")});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
  EXPECT_EQ(read("ro.txt"), sheet);

  // RTF content that a save would drop.
  write("pic.rtf",
        "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 x = 3\\par x:1.00\\par"
        "{\\pict\\pngblip 89504e47}{\\footnote a note}}");
  const std::string before = read("pic.rtf");
  r = run({"run", "-i", path("pic.rtf")});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_NE(r.err.find("\\pict, \\footnote"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("use -o"), std::string::npos) << r.err;
  EXPECT_EQ(read("pic.rtf"), before);
  r = run({"run", "-o", path("out.txt"), path("pic.rtf")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;

  // A worksheet that another program saved while the run went on.
  write("busy.txt", "s = sum(i, i, 1, 3e7)\ns=\n");
  Child child(setup({"run", "-i", path("busy.txt")}), scratch());
  ASSERT_TRUE(child.waitUntilCatching(SIGINT));
  write("busy.txt", "-- edited elsewhere\n");
  r = child.wait();
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_NE(r.err.find("changed by another program"), std::string::npos) << r.err;
  EXPECT_EQ(read("busy.txt"), "-- edited elsewhere\n");

  // A stopped run.
  write("endless.txt", std::string("y = 2\ny:1.00\n") + kEndless);
  Child stopped(setup({"run", "-i", path("endless.txt")}), scratch());
  ASSERT_TRUE(stopped.waitUntilCatching(SIGINT));
  std::this_thread::sleep_for(200ms);
  kill(stopped.pid(), SIGINT);
  r = stopped.wait();
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.err, "stopped\n");
  EXPECT_EQ(read("endless.txt"), std::string("y = 2\ny:1.00\n") + kEndless);
  EXPECT_EQ(temporaryFiles(dir_), std::vector<std::string>{});
}

TEST_F(RunCommandTest, FailedWritesKeepTheOldFileAndSayWhy) {
  write("out.txt", "old");
  write("page.pdf", "old");
  write("sheet.txt", "-- " + std::string(300000, 'x') + "\nplot sin(X)\n");
  // A file size limit fails the writes as a full disk does; the child
  // inherits it, and the ignored SIGXFSZ.
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 2000;
  signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ChildResult output = run({"run", "-o", path("out.txt"), path("sheet.txt")});
  ChildResult plot = run({"run", "-o", "/dev/null", "--plot", path("page.pdf"), path("sheet.txt")});
  ChildResult convert = run({"convert", path("sheet.txt"), path("out.txt")});
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_EQ(output.exitStatus, 2);
  EXPECT_EQ(output.err, "orvanel: " + path("out.txt") + ": File too large\n");
  EXPECT_EQ(plot.exitStatus, 2);
  EXPECT_NE(plot.err.find("cannot write the PDF file: File too large"), std::string::npos)
      << plot.err;
  EXPECT_EQ(convert.exitStatus, 2) << convert.err;
  EXPECT_EQ(read("out.txt"), "old");
  EXPECT_EQ(read("page.pdf"), "old");
  EXPECT_EQ(temporaryFiles(dir_), std::vector<std::string>{});

  // Writing a worksheet's results over itself is safe.
  write("self.txt", "x = 2\nx=\n");
  ChildResult r = run({"run", "-o", path("self.txt"), path("self.txt")});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(read("self.txt"), "x = 2\nx:2.00\n");
}

TEST_F(RunCommandTest, TerminationRemovesTemporaryFiles) {
  for (int signal : {SIGTERM, SIGINT}) {
    Child child(setup({"run", write("sheet.txt", "f[i] = i dim[1e12]\nwrite(\"big\", f)\n")}),
                scratch());
    ASSERT_TRUE(child.waitUntilCatching(SIGINT));
    std::this_thread::sleep_for(300ms);
    kill(child.pid(), signal);
    if (signal == SIGINT) {
      std::this_thread::sleep_for(100ms);
      kill(child.pid(), SIGINT);
    }
    child.wait();
    EXPECT_EQ(temporaryFiles(dir_), std::vector<std::string>{}) << signal;
    fs::remove(path("big"));
  }
}

TEST_F(RunCommandTest, ConfineKeepsFilesWithinTheWorksheetsFolder) {
  fs::create_directory(dir_ / "work");
  fs::create_directory(dir_ / "work" / "sub");
  write("secret", "42");
  write("work/sub/d", "7");
  fs::create_symlink(path("secret"), path("work/link"));
  auto sheetIn = [&](const std::string& text) {
    std::string file = write("work/s.txt", text);
    return run({"run", "--confine", file});
  };
  EXPECT_EQ(sheetIn("read(\"sub:d\", \"TEXT\")[1]=\n").out, "read(\"sub:d\", \"TEXT\")[1]:7.00\n");
  for (const std::string& name :
       {std::string("::secret"), path("secret"), std::string("link"), std::string("sub:::link")}) {
    ChildResult r = sheetIn("read(\"" + name + "\")[1]=\n");
    EXPECT_EQ(r.exitStatus, 1) << name;
    EXPECT_NE(r.err.find("'" + name + "' is outside the worksheet's folder"), std::string::npos)
        << r.err;
  }
  ChildResult r = sheetIn("write(\"::new\", {1})\n");
  EXPECT_NE(r.err.find("outside the worksheet's folder"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(path("new")));
  r = sheetIn("include \"::other.txt\"\n");
  EXPECT_NE(r.err.find("outside the worksheet's folder"), std::string::npos) << r.err;
  r = sheetIn("imagefile \"::pic.png\"\n");
  EXPECT_NE(r.err.find("outside the worksheet's folder"), std::string::npos) << r.err;
  // Without the option, nothing changes.
  r = run({"run", path("work/s.txt")});
  EXPECT_EQ(r.err.find("outside"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace orv::cli::test
