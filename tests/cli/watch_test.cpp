// `orvanel run --watch` end to end: saves by another editor rerun the
// worksheet, Ctrl-C ends the watch, and -i never overwrites a newer save.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "command_fixture.h"

namespace orv::cli::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Polls [done] every 10 ms for up to [limit]; the time it took, or limit
// and more when it never came true.
Clock::duration waitUntil(const std::function<bool()>& done, Clock::duration limit = 10s) {
  const Clock::time_point start = Clock::now();
  while (!done() && Clock::now() - start < limit) std::this_thread::sleep_for(10ms);
  return Clock::now() - start;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

using WatchTest = CommandTest;

TEST_F(WatchTest, EverySaveRerunsWithinASecondAndCtrlCEndsTheWatch) {
  std::string sheet = write("sheet.txt", "x = 1\nx=\n");
  Child child(setup({"run", "--watch", sheet}), tmp_.path());
  ASSERT_TRUE(child.waitUntilCatching(SIGINT));
  ASSERT_LT(waitUntil([&] { return contains(child.outputSoFar(), "x:1.00"); }), 10s);

  write("sheet.txt", "x = 2\nx=\n");  // saved in place
  EXPECT_LT(waitUntil([&] { return contains(child.outputSoFar(), "x:2.00"); }), 1s);

  // Saved as a new file renamed over the old one.
  write("new.txt", "x = 3\nx=\n");
  ASSERT_EQ(std::rename(path("new.txt").c_str(), sheet.c_str()), 0);
  EXPECT_LT(waitUntil([&] { return contains(child.outputSoFar(), "x:3.00"); }), 1s);

  kill(child.pid(), SIGINT);
  ChildResult r = child.waitAtMost(5s);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "x = 1\nx:1.00\nx = 2\nx:2.00\nx = 3\nx:3.00\n");
  EXPECT_EQ(r.err, "\xE2\x88\x9A\n\xE2\x88\x9A\n\xE2\x88\x9A\n");
  EXPECT_EQ(read("sheet.txt"), "x = 3\nx=\n");
}

TEST_F(WatchTest, InPlaceLeavesAFileSavedDuringTheRunToTheNextRun) {
  std::string sheet = write("sheet.txt", "n := 0 ,, (n := n + 1) while n < 8000000\nn=\n");
  Child child(setup({"run", "--watch", "-i", sheet}), tmp_.path());
  ASSERT_TRUE(child.waitUntilCatching(SIGINT));
  std::this_thread::sleep_for(100ms);
  write("sheet.txt", "y = 5\ny=\n");  // the editor saves while the long run goes on

  EXPECT_LT(waitUntil([&] { return read("sheet.txt") == "y = 5\ny:5.00\n"; }), 10s)
      << read("sheet.txt");
  kill(child.pid(), SIGINT);
  ChildResult r = child.waitAtMost(5s);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_TRUE(contains(r.err, sheet + " changed during the run; results not written back\n"))
      << r.err;
  EXPECT_EQ(read("sheet.txt"), "y = 5\ny:5.00\n");
}

TEST_F(WatchTest, AMissingFileIsAnErrorAtOnce) {
  Child child(setup({"run", "--watch", path("missing.txt")}), tmp_.path());
  ChildResult r = child.waitAtMost(5s);
  EXPECT_EQ(r.exitStatus, 2);
}

}  // namespace
}  // namespace orv::cli::test
