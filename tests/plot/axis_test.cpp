// Tick spacing, number formats, log ticks and the Y number margin.
#include "plot/axis.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "plot/draw.h"
#include "plot_runner.h"

namespace orv::test {
namespace {

TEST(NiceDivTest, RoundSpacingsOfOneTwoOrFiveTimesAPowerOfTen) {
  EXPECT_DOUBLE_EQ(nicediv(1), 0.2);
  EXPECT_DOUBLE_EQ(nicediv(7), 2);
  EXPECT_DOUBLE_EQ(nicediv(10), 5);
  EXPECT_DOUBLE_EQ(nicediv(100), 50);
  EXPECT_DOUBLE_EQ(nicediv(1e6), 5e5);
  EXPECT_NEAR(nicediv(0.001), 2e-4, 1e-18);
  // Degenerate ranges give a usable spacing instead of a fault.
  EXPECT_EQ(nicediv(0), 1);
  EXPECT_EQ(nicediv(-3), 1);
  EXPECT_EQ(nicediv(HUGE_VAL), 1);
}

TEST(YAxisCharsTest, MarginOfTheYNumbers) {
  StripAxes a;
  a.ymin = 0, a.ymax = 1;
  EXPECT_EQ(yaxischars(a), 5);  // "0.00" with a place to spare
  a.ymin = -1;
  EXPECT_EQ(yaxischars(a), 6);  // and a minus sign
  a.ymin = 1e6, a.ymax = 2e6;
  EXPECT_EQ(yaxischars(a), 9);  // exponent form
  a.plotflags |= PF_YLOG;
  EXPECT_EQ(yaxischars(a), 5);
  a.plotflags &= ~PF_YTICKLABELS;
  EXPECT_EQ(yaxischars(a), 0);
}

// The tick numbers drawn along the bottom of a one-strip page, in order,
// each with the h of its text.
struct Number {
  int h;
  std::string text;
};
std::vector<Number> xNumbers(const std::string& sheet, int* xorg = nullptr) {
  PlotRun r;
  r.run(sheet);
  EXPECT_TRUE(r.outcome.plot) << r.status();
  RecordingSurface s = testSurface();
  const Strip& strip = r.plot().strips[0];
  AxisFrame f = setscale(r.plot(), 0, strip.axes, s);
  if (xorg) *xorg = f.xorg;
  axis(s, f, true);
  std::vector<Number> out;
  std::istringstream lines(s.log());
  for (std::string line; std::getline(lines, line);) {
    int h, v, at = 0;
    if (std::sscanf(line.c_str(), "DrawText %d %d \"%n", &h, &v, &at) != 2 || at == 0) continue;
    if (v == f.yorg - f.ticsize - f.charht)
      out.push_back({h, line.substr(at, line.size() - at - 1)});
  }
  return out;
}

TEST(LinearAxisTest, ZeroToOneCentresTheFirstNumberAndEndsTheLastAtItsTick) {
  int xorg;
  auto n = xNumbers("Xmin = 0; Xmax = 1; plot X\n", &xorg);
  ASSERT_EQ(n.size(), 6u);
  EXPECT_EQ(n[0].text, "0.00");
  EXPECT_EQ(n[5].text, "1.00");
  // The axis runs from xorg (h of 0.00's tick) to xend = 633.
  EXPECT_EQ(n[5].h, 633 - 4 * 7);
  EXPECT_EQ(n[0].h, xorg - 4 * 7 / 2);
}

TEST(LinearAxisTest, AnXdivOfTooManyIntervalsIsIgnored) {
  auto n = xNumbers("Xmin = 0; Xmax = 10; Xdiv = 0.1; plot X\n");
  ASSERT_EQ(n.size(), 3u);
  EXPECT_EQ(n[1].text, "5");
  auto m = xNumbers("Xmin = 0; Xmax = 10; Xdiv = 2.5; plot X\n");
  ASSERT_EQ(m.size(), 5u);
  EXPECT_EQ(m[1].text, "2.50");
}

TEST(LinearAxisTest, LargeAndSmallRanges) {
  auto big = xNumbers("Xmin = 1e6; Xmax = 2e6; plot X\n");
  ASSERT_EQ(big.size(), 3u);
  EXPECT_EQ(big[1].text, "1.50e+06");
  auto small = xNumbers("Xmin = 0.001; Xmax = 0.002; plot X\n");
  ASSERT_EQ(small.size(), 6u);
  EXPECT_EQ(small[1].text, "0.00120");
}

TEST(LinearAxisTest, TheGridLineAtZeroIsDarkAndNoNumberReadsMinusZero) {
  PlotRun r;
  r.run("Xmin = -1; Xmax = 1; Ymin = -1; Ymax = 1; plot X\n");
  RecordingSurface s = testSurface();
  drawplot(r.plot(), s);
  const std::string& log = s.log();
  EXPECT_EQ(log.find("-0.00"), std::string::npos);
  EXPECT_EQ(log.find("\"-0\""), std::string::npos);
  // One dark vertical and one dark horizontal line: the ones through 0.
  std::size_t dark = 0;
  for (std::size_t p = log.find("ForeColor 5"); p != std::string::npos;
       p = log.find("ForeColor 5", p + 1))
    ++dark;
  EXPECT_EQ(dark, 2u);
  PlotRun fifths;
  fifths.run("Xmin = -1; Xmax = 1; Xdiv = 0.2; plot X\n");
  RecordingSurface s2 = testSurface();
  drawplot(fifths.plot(), s2);
  EXPECT_EQ(s2.log().find("-0.00"), std::string::npos);
}

TEST(LogAxisTest, ThreeDecadesTickAtOneTwoAndFive) {
  auto n = xNumbers("Xlogaxis = on; Xmin = 1; Xmax = 1000; plot X\n");
  std::vector<std::string> texts;
  for (auto& x : n) texts.push_back(x.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"1", "2", "5", "10", "20", "50", "100", "200", "500",
                                             "1000"}));
}

TEST(LogAxisTest, ManyDecadesStepOverDecades) {
  auto n = xNumbers("Xlogaxis = on; Xmin = 1e-30; Xmax = 1e30; plot X\n");
  ASSERT_GE(n.size(), 3u);
  ASSERT_LE(n.size(), 20u);
  EXPECT_EQ(n.front().text, "1E-30");
  EXPECT_EQ(n.back().text, "1E+30");
}

TEST(MarginTest, WithoutYNumbersTheMarginIsTwoCharactersOrEightOnAStack) {
  PlotRun one;
  one.run("Yticklabels = off; plot X\n");
  RecordingSurface s = testSurface();
  EXPECT_EQ(setscale(one.plot(), 0, one.plot().strips[0].axes, s).xorg, 2 * 7);
  PlotRun two;
  two.run("Yticklabels = off; plot X\nnewaxis\nplot X\n");
  EXPECT_EQ(setscale(two.plot(), 1, two.plot().strips[1].axes, s).xorg, 8 * 7);
}

}  // namespace
}  // namespace orv::test
