// The calculation run as a whole: text edits, the stop flag, limits that
// must end a run cleanly instead of crashing it, and the text around it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/macroman.h"
#include "lang/memory_text.h"
#include "worksheet.h"

namespace orv::test {
namespace {

TEST(MemoryText, EditsInTextOrderAreAppliedInOneSweep) {
  MemoryText t(u"abcdefghij");
  t.insert(2, "XY");  // abXYcdefghij
  t.remove(6, 2);     // abXYcdghij
  t.insert(10, "!");  // abXYcdghij!
  EXPECT_EQ(t.length(), 11u);
  EXPECT_EQ(t.utf8(), "abXYcdghij!");
}

TEST(MemoryText, EditsBehindEarlierOnesStillLandRight) {
  MemoryText t(u"0123456789");
  t.insert(8, "b");
  t.insert(2, "a");  // behind the first edit
  t.remove(0, 1);
  EXPECT_EQ(t.utf8(), "1a234567b89");
  EXPECT_EQ(t.history().size(), 3u);
}

TEST(MemoryText, KeepsCharactersOutsideTheEightBitSet) {
  MemoryText t(utf8ToUtf16("x -- \xE6\x97\xA5\xF0\x9F\x98\x80\n"));
  EXPECT_EQ(t.bytes(), std::string("x -- ") + char(kNoByte) + char(kNoByte) + char(kNoByte) + "\n");
  t.insert(1, "\xB9");
  EXPECT_EQ(t.utf8(), "x\xCF\x80 -- \xE6\x97\xA5\xF0\x9F\x98\x80\n");
}

TEST(TextBuffer, EditsKeepBufferPositionsValid) {
  Worksheet w;
  Engine& e = w.engine();
  MemoryText t(u"0123456789abcdefghijklmnop");
  e.WESetTextStorage(&t, 0, t.bytes());
  e.lastsel = 10;
  e.insert("5");
  EXPECT_EQ(e.seloff, 1);
  e.lastsel = 20;
  e.insert("Z");
  EXPECT_EQ(t.utf8(), "01234567895abcdefghijZklmnop");
  // replace: the one character before lastsel, seloff unchanged.
  e.lastsel = 23;
  e.replace(":");
  EXPECT_EQ(e.seloff, 2);
  EXPECT_EQ(t.utf8(), "01234567895abcdefghijZkl:nop");
}

TEST(Run, EmptyTextAndMissingFinalLineFeed) {
  SheetResult r = runSheet("");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, "\n");
  EXPECT_EQ(r.status, "\xE2\x88\x9A");
  EXPECT_EQ(runSheet("2+3").text, "2+3:5.00\n");
}

TEST(Run, CharactersOutsideMacRomanSurviveAndAreUnrecognizedInCode) {
  SheetResult r = runSheet("x = 3 -- \xE6\x97\xA5\xE6\x9C\xAC\nx=\n");
  EXPECT_EQ(r.text, "x = 3 -- \xE6\x97\xA5\xE6\x9C\xAC\nx:3.00\n");
  r = runSheet("x = \xE6\x97\xA5\n");
  EXPECT_FALSE(r.ok);
  r = runSheet(std::string("x = 1\n\0y = 2\ny=\n", 15));
  EXPECT_FALSE(r.ok) << "a NUL in the text must not end the worksheet silently";
}

TEST(Run, StopBeforeTheRunEvaluatesNothing) {
  Worksheet w;
  w.stop = true;
  SheetResult r = w.run("x = 2\nx=\ny\n");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.rawStatus, " stopped");
  EXPECT_EQ(r.text, "x = 2\nx:\ny:\n");
}

TEST(Run, StopDuringALongEvaluation) {
  Worksheet w;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    w.stop = true;
  });
  SheetResult r = w.run("sum(i, i, 1, 1e12)\n1+1\n");
  stopper.join();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.rawStatus, " stopped");
  EXPECT_EQ(r.text, "sum(i, i, 1, 1e12):\n1+1:\n");
}

TEST(Run, TenThousandAndOneNestedCallsFit) {
  SheetResult r = runSheet("f(n) = f(n-1) + 1 when n > 0, 0\nf(10000)=\n");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, "f(n) = f(n-1) + 1 when n > 0, 0\nf(10000):10000.00\n");
  r = runSheet("f(n) = f(n-1) + 1 when n > 0, 0\nf(10001)=\n");
  EXPECT_EQ(r.status, "Recursion limit f()");
}

TEST(Run, ASmallStackEndsTheRunInsteadOfCrashing) {
  Worksheet w;
  SheetResult r = w.run("f(n) = f(n-1) + 1 when n > 0, 0\nf(10000)=\n", std::size_t(1) << 20);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.rawStatus, " evaluation too deeply nested");
}

// Strings outgrow the pool's first chunk (and a string may be longer than a
// chunk's rest); the ones kept before stay readable.
TEST(Run, StringsOutgrowThePoolsFirstChunk) {
  std::string sheet;
  for (int i = 0; i < 400; ++i) sheet += "\"" + std::string(120, 'a' + i % 26) + "\"\n";
  SheetResult r = runSheet(sheet);
  EXPECT_TRUE(r.ok) << r.status;
  const std::string last = "\"" + std::string(120, 'a' + 399 % 26) + "\"";
  EXPECT_EQ(r[last], last);
  r = runSheet(
      "a := sprintf(\"first %d\", 7)\ni := 0\n"
      "(i := i + 1 ,, s := sprintf(\"%250d\", i)) while i < 2000\n"
      "count(a)=\na[7]=\ns[250]=\ncount(s)=\n");
  EXPECT_TRUE(r.ok) << r.status;
  EXPECT_EQ(r["count(a)"], "7.00");
  EXPECT_EQ(r["a[7]"], "55.00");
  EXPECT_EQ(r["s[250]"], "48.00");
  EXPECT_EQ(r["count(s)"], "250.00");
}

TEST(Run, DeepNestingIsReported) {
  std::string sheet(6000, '(');
  sheet += "1" + std::string(6000, ')') + "\n";
  SheetResult r = runSheet(sheet);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, "expression too deeply nested");
  // A flat chain is a loop, not nesting; a chain too long to evaluate is
  // reported by the evaluator.
  std::string chain = "1";
  for (int i = 0; i < 100000; ++i) chain += "+1";
  EXPECT_EQ(runSheet(chain + "\n").text, chain + ":100001.00\n");
  Worksheet w;
  EXPECT_EQ(w.run(chain + "\n", std::size_t(1) << 20).rawStatus, " evaluation too deeply nested");
}

TEST(Run, TabWidth) { EXPECT_EQ(runSheet("Tabwidth = 900\n").outcome.tabWidth, 900); }

TEST(Run, RepeatedRunsInOneEngineLeaveNoNodesBehind) {
  Worksheet w;
  for (int i = 0; i < 3; ++i)
    w.run("f(x) = x^2\na = {1, f(2), 3}\na=\nsum(f(k), k, 1, 4)=\nu + 1\n");
  EXPECT_TRUE(w.host.alerts.empty()) << w.host.alerts[0];
}

}  // namespace
}  // namespace orv::test
