// `orvanel check` end to end: recorded results against a new run in memory.
#include <gtest/gtest.h>

#include "cli/result_diff.h"
#include "command_fixture.h"

namespace orv::cli::test {
namespace {

class CheckCommandTest : public CommandTest {
 protected:
  // Writes [values] into data.txt through a worksheet, as users make data files.
  void writeData(const std::string& values) {
    std::string maker = write("maker.txt", "write(\"data.txt\", {" + values + "})\n");
    ASSERT_EQ(run({"run", "--overwrite", maker}).exitStatus, 0);
  }

  // Writes [sheet] and records its results with `run -i` and [options].
  std::string record(const std::string& sheet, std::vector<std::string> options = {}) {
    std::string file = write("sheet.txt", sheet);
    options.insert(options.begin(), {"run", "-i"});
    options.push_back(file);
    EXPECT_EQ(run(options).exitStatus, 0);
    return file;
  }
};

TEST_F(CheckCommandTest, AChangedDataFileMovesAResultAndNothingIsWritten) {
  writeData("1, 2, 3");
  std::string file = record("v = read(\"data.txt\")\nv[2]=\nv=\n");
  ChildResult r = run({"check", file});
  EXPECT_EQ(r.exitStatus, 0) << r.out;
  EXPECT_EQ(r.out, file + ": 2 results as recorded\n");

  writeData("1, 5, 3");
  const std::string recorded = read("sheet.txt");
  r = run({"check", file});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.out, file + ":2:6: was 2.00, now 5.00\n" + file +
                       ":3:3: was {1.00,2.00,3.00}, now {1.00,5.00,3.00}\n" + file +
                       ": 2 of 2 results changed\n");
  EXPECT_EQ(read("sheet.txt"), recorded);
}

TEST_F(CheckCommandTest, ToleranceAcceptsDriftInResultsAndTableRowsButNotAChange) {
  const std::vector<std::string> precise = {"--format", "sci", "--places", "12"};
  record("d = 0\nx = 1 + d\nx=\nNmax = 3\ntable N * x, \"t\"\n", precise);
  const std::string recorded = read("sheet.txt");
  auto check = [&](const std::string& drift, std::vector<std::string> options) {
    std::string text = recorded;
    text.replace(0, 5, "d = " + drift);
    std::string file = write("sheet.txt", text);
    options.insert(options.begin(), "check");
    options.insert(options.end(), precise.begin(), precise.end());
    options.push_back(file);
    return run(options);
  };
  EXPECT_EQ(check("1e-9", {"--tolerance", "1e-8"}).exitStatus, 0);
  ChildResult r = check("1e-9", {});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_NE(r.out.find("sheet.txt:3:3: was 1, now 1.000000001\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("sheet.txt:6:1: was 1 \"t\", now 1.000000001 \"t\"\n"), std::string::npos)
      << r.out;

  r = check("1e-3", {"--tolerance=1e-8"});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_NE(r.out.find(": 11 of 11 results changed\n"), std::string::npos) << r.out;
}

TEST_F(CheckCommandTest, ATableWithMoreRowsReportsTheNewOnes) {
  std::string file = record("Nsteps = 2\ntable N\nx = 1\n");
  std::string text = read("sheet.txt");
  text.replace(0, 10, "Nsteps = 3");
  write("sheet.txt", text);
  ChildResult r = run({"check", file});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.out, file + ":4:1: was 10.00, now 5.50\n" + file + ":5:1: was nothing, now 10.00\n" +
                       file + ": 2 of 3 results changed\n");
}

TEST_F(CheckCommandTest, AFailedRunReportsItsFaultAndUnreadableFilesAreUsageErrors) {
  std::string bad = write("bad.txt", "x = 1\ny = sqrt(-1)\ny=\n");
  std::string good = record("x = 2\nx=\n");
  ChildResult r = run({"check", bad, good});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.out, bad + ":3:3: sqrt() argument range error\n" + bad + ": the run failed\n" + good +
                       ": 1 result as recorded\n");

  r = run({"check", path("missing.txt"), good});
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.err, "orvanel: " + path("missing.txt") + ": No such file or directory\n");
  EXPECT_EQ(run({"check"}).exitStatus, 2);
  EXPECT_EQ(run({"check", "--plot", "a.png", good}).err,
            "orvanel: check: option '--plot' does not apply\n"
            "Try 'orvanel --help' for more information.\n");
}

TEST(SameResultTest, ComparesNumbersInEveryFormatAndTextExactly) {
  const std::optional<double> tol = 1e-6;
  EXPECT_TRUE(sameResult(u"12.3e3", u"12.30000001e3", tol));
  EXPECT_TRUE(sameResult(u"1.23e+04", u"12300.0000001", tol));
  EXPECT_TRUE(sameResult(u"{1.00,-2.00}", u"{1.0000001,-2.0000001}", tol));
  EXPECT_TRUE(sameResult(u"INF", u"inf", tol));
  EXPECT_TRUE(sameResult(u"2.00  ", u"2.00", std::nullopt));
  EXPECT_FALSE(sameResult(u"-INF", u"inf", tol));
  EXPECT_FALSE(sameResult(u"1.00", u"-1.00", tol));
  EXPECT_FALSE(sameResult(u"0.00", u"1e-300", tol));
  EXPECT_FALSE(sameResult(u"? y?", u"? z?", tol));
  EXPECT_FALSE(sameResult(u"\"a1\"", u"\"a1.0000001\"x", tol));
  EXPECT_FALSE(sameResult(u"1.00", u"1.000", std::nullopt));
  EXPECT_FALSE(sameResult(u"{1.00,2.00}", u"{1.00,2.00,3.00}", tol));
}

}  // namespace
}  // namespace orv::cli::test
