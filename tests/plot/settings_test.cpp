// Settings read at strip start, their checks and messages, and strip layout.
#include <gtest/gtest.h>

#include <cmath>

#include "plot/frame.h"
#include "plot_runner.h"

namespace orv::test {
namespace {

// The status of a run of [sheet], and its plot state.
struct Ran {
  std::string status;
  StripAxes axes;
  PlotState* ps;
  std::unique_ptr<PlotRun> run;
};
Ran ran(const std::string& sheet) {
  auto r = std::make_unique<PlotRun>();
  r->run(sheet);
  Ran out{r->status(), r->plot().strips[r->plot().stripcount].axes, &r->plot(), nullptr};
  out.run = std::move(r);
  return out;
}

TEST(SettingsTest, DefaultsAndAutomaticLimits) {
  Ran r = ran("plot sin(X)\n");
  EXPECT_EQ(r.status, "√");
  EXPECT_EQ(r.axes.xmin, 0);
  EXPECT_EQ(r.axes.xmax, 1);
  EXPECT_EQ(r.ps->nsteps, 400);
  ASSERT_EQ(r.ps->strips[0].traces.size(), 1u);
  EXPECT_EQ(r.ps->strips[0].traces[0].count(), 400u);
  // The Y limits are the exact data extremes.
  EXPECT_FLOAT_EQ(static_cast<float>(r.axes.ymax), static_cast<float>(std::sin(1.0)));

  Ran five = ran("Xmin = 5\nplot X\n");
  EXPECT_EQ(five.axes.xmin, 5);
  EXPECT_EQ(five.axes.xmax, 6);
}

TEST(SettingsTest, RangeMessagesShowTheSignAsUtf8) {
  EXPECT_EQ(ran("Xmin = 5; Xmax = 5\nplot X\n").status, "Xmin ≥ Xmax");
  EXPECT_EQ(ran("Ymin = 2; Ymax = 1\nplot X\n").status, "Ymin ≥ Ymax");
  EXPECT_EQ(ran("Xmin = 1; Xmax = 1.0000001\nplot X\n").status, "X range is too small");
  // A failed strip start discards the page.
  Ran bad = ran("Xmin = 5; Xmax = 5\nplot X\n");
  EXPECT_FALSE(bad.run->outcome.plot);
  EXPECT_TRUE(bad.ps->strips[0].traces.empty());
}

TEST(SettingsTest, Xsteps) {
  EXPECT_EQ(ran("Xsteps = 1.5\nplot X\n").status, "Xsteps < 2");
  EXPECT_EQ(ran("Xsteps = 30001\nplot X\n").status, "Xsteps > 30000");
  EXPECT_EQ(ran("Xsteps = 30000\nplot X\n").ps->nsteps, 30000);
  EXPECT_EQ(ran("Xsteps = 99.5\nplot X\n").ps->nsteps, 100);
  Ran two = ran("Xsteps = 2; Xmin = 1; Xmax = 3\nplot X^2\n");
  const Trace& t = two.ps->strips[0].traces[0];
  ASSERT_EQ(t.pts.size(), 2u);
  EXPECT_EQ(t.pts[0], 1);
  EXPECT_EQ(t.pts[1], 9);
}

TEST(SettingsTest, LogAxisLimits) {
  EXPECT_EQ(ran("Xlogaxis = on; Xmin = 0\nplot X\n").status, "bad log axis limit: Xmin");
  EXPECT_EQ(ran("Ylogaxis = on; Ymax = -1\nplot X\n").status, "bad log axis limit: Ymax");
  Ran r = ran("Xlogaxis = on; Xmin = 10; Xmax = 1000\nplot X\n");
  EXPECT_DOUBLE_EQ(r.axes.xmin, 1);
  EXPECT_DOUBLE_EQ(r.axes.xmax, 3);
  EXPECT_TRUE(r.axes.has(PF_XLOG));
}

TEST(SettingsTest, UnusableValues) {
  EXPECT_EQ(ran("Ymin = 1/0\nplot X\n").status, "Ymin:?");
  EXPECT_EQ(ran("Ymin = q\nplot X\n").status, "Ymin:?");
  Ran nan = ran("Ymin = 0/0\nplot X\n");  // NaN is as good as not set
  EXPECT_EQ(nan.status, "√");
  EXPECT_EQ(nan.axes.ymin, 0);
  EXPECT_EQ(ran("Ymin = sqrt(-1)/0 * 0 \nplot X\n").status.substr(0, 4), "sqrt");
  EXPECT_EQ(ran("Xlabel = 3\nplot X\n").status, "Xlabel ?");
  EXPECT_EQ(ran("X = 2\nplot X\n").status, "X is not free");
  EXPECT_EQ(ran("X = X\nplot X\n").status, "√");
  EXPECT_EQ(ran("plot X\nX := 2\n").status, "can't assign to 'X'");
}

TEST(SettingsTest, LabelsAreCutAtSixtyThreeCharacters) {
  Ran r = ran("Xlabel = \"" + std::string(80, 'a') + "\"\nTitle = \"t\"\nplot X\n");
  EXPECT_EQ(r.axes.xlab, std::string(63, 'a'));
  EXPECT_EQ(r.ps->title, "t");
}

TEST(SettingsTest, FlagsAndDocumentDefaults) {
  Ran r = ran("Xshowgrid = off; Axisbox = on; Zshowbar = off; Xticklabels = off\nplot X\n");
  EXPECT_FALSE(r.axes.has(PF_XGRID));
  EXPECT_TRUE(r.axes.has(PF_YGRID));
  EXPECT_TRUE(r.axes.has(PF_AXISBOX));
  EXPECT_FALSE(r.axes.has(PF_ZBAR));
  EXPECT_FALSE(r.axes.has(PF_XTICKLABELS));
  PlotRun doc;
  DocSettings s;
  s.hideGrid = true;
  s.boxAxis = true;
  doc.settings(s);
  doc.run("plot X\n");
  EXPECT_FALSE(doc.plot().strips[0].axes.has(PF_XGRID | PF_YGRID));
  EXPECT_TRUE(doc.plot().strips[0].axes.has(PF_AXISBOX));
}

TEST(StripsTest, EqualStripsAndTheShrinkingPage) {
  PlotRun r;
  r.run("Ystrips = 3\nplot X\n");
  EXPECT_EQ(r.plot().stripcount, 0);
  EXPECT_EQ(r.plot().nstrips, 0);  // the page shrank to the one strip drawn
  r.run("plot X\nnewaxis\nplot X\n");
  EXPECT_EQ(r.plot().nstrips, 1);
  r.run("plot X\n");
  EXPECT_EQ(r.plot().nstrips, 0);
  EXPECT_EQ(r.plot().stripcount, 0);
}

TEST(StripsTest, RelativeHeights) {
  PlotRun r;
  r.run("Ystrips = {1, 1, 0.5}\nplot X\nnewaxis\nplot X\nnewaxis\nplot X\n");
  ASSERT_EQ(r.status(), "√");
  Rect page{480, 0, 0, 640};
  const int avail = 480 - (14 / 5 + 14 + 7);
  Rect s0 = GetStripRect(r.plot(), 0, page, 14), s1 = GetStripRect(r.plot(), 1, page, 14),
       s2 = GetStripRect(r.plot(), 2, page, 14);
  EXPECT_EQ(s0.top, 480);
  EXPECT_EQ(s0.top - s0.bottom, static_cast<int>(avail * 0.4));
  EXPECT_EQ(s1.top, s0.bottom);
  EXPECT_EQ(s1.top - s1.bottom, static_cast<int>(avail * 0.4));
  EXPECT_EQ(s2.top - s2.bottom, static_cast<int>(avail * 0.2));

  PlotRun over;
  over.run("Ystrips = {2, 0, 1}\nplot X\nnewaxis\nplot X\nnewaxis\nplot X\n");
  EXPECT_EQ(over.status(), "Ystrip is off page");
  EXPECT_EQ(ran("Ystrips = 9\nplot X\n").status, "Ystrips:?");
  EXPECT_EQ(ran("Ystrips = {0, -1}\nplot X\n").status, "Ystrips:?");
}

TEST(StripsTest, NewaxisNeedsAStartedStripAndEightAreTheMost) {
  PlotRun r;
  r.run("newaxis\nplot X\n");
  EXPECT_EQ(r.plot().stripcount, 0);
  std::string eight = "plot X\n";
  for (int i = 0; i < 7; ++i) eight += "newaxis\nplot X\n";
  r.run(eight);
  EXPECT_EQ(r.status(), "√");
  EXPECT_EQ(r.plot().stripcount, 7);
  r.run(eight + "newaxis\n");
  EXPECT_EQ(r.status(), "too many strips");
  // A newaxis after the last plot leaves an empty strip with the axes above.
  r.run("Xmin = 2; Xmax = 3\nplot X\nnewaxis\n");
  EXPECT_EQ(r.plot().stripcount, 1);
  EXPECT_TRUE(r.plot().strips[1].traces.empty());
  EXPECT_EQ(r.plot().strips[1].axes.xmin, 2);
}

TEST(StripsTest, SettingsAssignedBetweenStrips) {
  PlotRun r;
  r.run("Xmax := 2\nplot X\nnewaxis\nXmax := 4\nplot X\n");
  EXPECT_EQ(r.plot().strips[0].axes.xmax, 2);
  EXPECT_EQ(r.plot().strips[1].axes.xmax, 4);
}

TEST(PlotOutcomeTest, ARunWithoutPlotStatementsMakesNoPage) {
  PlotRun r;
  r.run("x = 1\nx=\n");
  EXPECT_FALSE(r.outcome.plot);
  r.run("plot X\n");
  EXPECT_TRUE(r.outcome.plot);
  r.run("x = 1\n");
  EXPECT_FALSE(r.outcome.plot);
  // A run that fails after its plot still has its page.
  r.run("plot X\nsqrt(-1)=\n");
  EXPECT_FALSE(r.outcome.ok);
  EXPECT_TRUE(r.outcome.plot);
}

}  // namespace
}  // namespace orv::test
