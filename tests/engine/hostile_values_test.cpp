// Values that no ordinary worksheet computes but a careless or hostile one
// can: infinite or huge indices and sizes, arguments outside a function's
// domain, formats that ask for gigabytes, a full string pool, and work too
// large to wait for, which Stop must still end quickly.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/large_stack.h"
#include "base/macroman.h"
#include "lang/memory_text.h"
#include "session/engine_assembly.h"
#include "worksheet.h"

namespace orv::test {
namespace {

TEST(HostileValues, AssigningAnElementAtAnInfiniteIndexIsRefused) {
  for (const char* index : {"1/0", "1e300", "-1/0", "0/0", "9.3e18"}) {
    std::string sheet = std::string("v := {1,2,3}\nv[") + index + "] := 7\nv=\n";
    SheetResult r = runSheet(sheet);
    EXPECT_FALSE(r.ok) << index;
    EXPECT_EQ(r.status, "v[?]:= non assignable element") << index;
  }
  SheetResult r = runSheet("m := {{1,2},{3,4}}\nm[4.7e18, 1] := 7\nm=\n");
  EXPECT_EQ(r.status, "m[?]:= non assignable element");
}

TEST(HostileValues, DomainErrorsOfEveryBuiltInStopTheRun) {
  const char* cases[][2] = {{"acos(2)", "acos"},     {"asin(-2)", "asin"},   {"cos(1/0)", "cos"},
                            {"sin(-1/0)", "sin"},    {"tan(1/0)", "tan"},    {"ln(-1)", "ln"},
                            {"log(-1)", "log"},      {"sqrt(-1/0)", "sqrt"}, {"acos(1/0)", "acos"},
                            {"sin(1e308*10)", "sin"}};
  for (auto& c : cases) {
    SheetResult r = runSheet(std::string(c[0]) + "\n");
    EXPECT_FALSE(r.ok) << c[0];
    EXPECT_EQ(r.status, std::string(c[1]) + "() argument range error") << c[0];
  }
  DocSettings degrees;
  degrees.degrees = true;
  EXPECT_EQ(runSheet("cos(1/0)\n", degrees).status, "cos() argument range error");
  // Poles and overflows give their infinity; a NaN argument passes through.
  SheetResult r = runSheet("ln(0)\nexp(1000)\natan(1/0)\nabs(-1/0)\ntrunc(1/0)\nsin(0/0)\n");
  EXPECT_TRUE(r.ok) << r.status;
  EXPECT_EQ(r.text,
            "ln(0):-inf\nexp(1000):inf\natan(1/0):1.57\nabs(-1/0):inf\ntrunc(1/0):inf\n"
            "sin(0/0):NAN04\n");
}

TEST(HostileValues, MathLibraryDomainErrorsGiveTheLibrarysValue) {
  SheetResult r = runSheet(
      "acosh(0.5)\natanh(2)\nlgamma(-1)\nfmod(1/0, 2)\nbessely0(-1)\nbesselyn(1, -1)\n"
      "tgamma(-1)\ncosh(1/0)\n",
      {}, true);
  EXPECT_TRUE(r.ok) << r.status;
  EXPECT_EQ(r.text,
            "acosh(0.5):NAN04\natanh(2):NAN04\nlgamma(-1):inf\nfmod(1/0, 2):NAN04\n"
            "bessely0(-1):NAN04\nbesselyn(1, -1):NAN04\ntgamma(-1):NAN04\ncosh(1/0):inf\n");
}

TEST(HostileValues, HistogramOverTheWholeRangeOfDoubles) {
  SheetResult r =
      runSheet("n := histogram({1e308, -1e308, 0}, -1e308, 1e308, 3)\nbins=\n", {}, true);
  EXPECT_TRUE(r.ok) << r.status;
  EXPECT_NE(r.text.find("bins:{3.00,0.00,0.00}"), std::string::npos) << r.text;
}

TEST(HostileValues, TableStepsThatAreNoNumber) {
  SheetResult r = runSheet("Nsteps = 0/0\ntable N\n");
  EXPECT_EQ(r.status, "Nsteps:?");
  r = runSheet("Nsteps = 1/0\ntable N\n");
  EXPECT_EQ(r.status, "Nsteps > 1000");
}

TEST(HostileValues, SprintfWithHugeWidthsAndPrecisionsEndsAtOnce) {
  auto start = std::chrono::steady_clock::now();
  SheetResult r = runSheet(
      "count(sprintf(\"%.2147483647f\", 2))\ncount(sprintf(\"%99999999999999999999d\", 1))\n"
      "sprintf(\"%.2147483647f\", 2)[255]\nsprintf(\"%2147483647d\", 2)[255]\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(r.ok) << r.status;
  EXPECT_EQ(r.text,
            "count(sprintf(\"%.2147483647f\", 2)):255.00\n"
            "count(sprintf(\"%99999999999999999999d\", 1)):255.00\n"
            "sprintf(\"%.2147483647f\", 2)[255]:48.00\nsprintf(\"%2147483647d\", 2)[255]:32.00\n");
}

// Strings are kept until memory runs out; the pool's limit stands in for the
// end of memory here.
TEST(HostileValues, StringMemoryRunningOutIsTheRunsOneMessage) {
  Worksheet w;
  w.engine().strpool_.setLimit(std::size_t(1) << 20);
  SheetResult r = w.run("i := 0\n(i := i + 1 ,, s := sprintf(\"%200d\", i)) while i < 1000000\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, "out of memory");
  EXPECT_TRUE(r.alerts.empty());
  // The next run starts with the pool emptied.
  w.engine().strpool_.setLimit(SIZE_MAX);
  EXPECT_TRUE(w.run("s := sprintf(\"%200d\", 5)\ns[200]=\n").ok);
}

// Runs [sheet], sets the stop flag once [before] has passed, and returns
// how long the run took to end after that.
std::chrono::milliseconds stopLatency(const char* sheet, std::chrono::milliseconds before,
                                      RunOutcome* out) {
  FakeHost host;
  std::unique_ptr<Engine> owner = makeEngine(host);
  Engine& e = *owner;
  std::atomic<bool> stop{false};
  e.setStopRequest(&stop);
  MemoryText t(utf8ToUtf16(sheet));
  std::chrono::steady_clock::time_point stoppedAt;
  std::thread stopper([&] {
    std::this_thread::sleep_for(before);
    stoppedAt = std::chrono::steady_clock::now();
    stop = true;
  });
  runOnLargeStack([&] { *out = e.run(t); });
  auto end = std::chrono::steady_clock::now();
  stopper.join();
  return std::chrono::duration_cast<std::chrono::milliseconds>(end - stoppedAt);
}

TEST(HostileValues, StopEndsLargeWorkQuickly) {
  // Each would take many seconds; Stop must end it within a fraction of one
  // (the bound leaves room for a loaded machine and the sanitizers).
  const char* sheets[] = {// The decomposition of a 2500 x 2500 matrix (stopped inside det).
                          "m[i,j] = sin(i*j) dim[2500,2500]\ndet(m)\n",
                          // Storing 2^28 elements.
                          "a[i] = i dim[268435456]\nb := a\n",
                          // One element of a huge sum.
                          "sum(sum(k, k, 1, 1e7), j, 1, 1e6)\n"};
  for (const char* sheet : sheets) {
    RunOutcome out;
    auto latency = stopLatency(sheet, std::chrono::milliseconds(1500), &out);
    EXPECT_EQ(out.status, " stopped") << sheet;
    EXPECT_LT(latency.count(), 400) << sheet;
  }
}

}  // namespace
}  // namespace orv::test
