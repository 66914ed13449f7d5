// How expressions become traces, their styles, gaps and ranges.
#include <gtest/gtest.h>

#include <cmath>

#include "plot/draw.h"
#include "plot_runner.h"

namespace orv::test {
namespace {

const std::vector<Trace>& traces(PlotRun& r) { return r.plot().strips[0].traces; }

TEST(TraceTest, ArraysSpreadOverTheXAxis) {
  PlotRun r;
  r.run("Xmin = 0; Xmax = 10\nplot {1, 4, 9}\nplotline {1, 4, 9}\n");
  ASSERT_EQ(traces(r).size(), 2u);
  const Trace& m = traces(r)[0];
  EXPECT_EQ(m.kind, Trace::kMarkers);
  EXPECT_EQ(m.x0, 0);
  EXPECT_EQ(m.xstep, 5);
  EXPECT_EQ(m.pts, (std::vector<float>{1, 4, 9}));
  EXPECT_EQ(traces(r)[1].kind, Trace::kLines);
  EXPECT_EQ(traces(r)[1].marker, -1);
  // With Marker = 0 the markers of `plot` become lines.
  r.run("Marker = 0\nplot {1, 4, 9}\n");
  EXPECT_EQ(traces(r)[0].kind, Trace::kLines);
  EXPECT_EQ(traces(r)[0].marker, -1);
}

TEST(TraceTest, TwoElementListsArePairs) {
  PlotRun r;
  r.run("a[i] = i dim[4]\nb[i] = 10*i dim[4]\nplot {a, b}\n");
  ASSERT_EQ(traces(r).size(), 1u);
  EXPECT_EQ(traces(r)[0].kind, Trace::kPairMarkers);
  EXPECT_EQ(traces(r)[0].pts, (std::vector<float>{1, 10, 2, 20, 3, 30, 4, 40}));
  // Two numbers are a parametric pair that does not depend on X.
  r.run("Xsteps = 3\nplot {3, 5}\n");
  EXPECT_EQ(traces(r)[0].pts, (std::vector<float>{3, 5, 3, 5, 3, 5}));
  // An n x 2 array: the first index chooses the point.
  r.run("m[i, j] = i + 100*(j - 1) dim[3, 2]\nplotline m\n");
  EXPECT_EQ(traces(r)[0].kind, Trace::kPairLines);
  EXPECT_EQ(traces(r)[0].pts, (std::vector<float>{1, 101, 2, 102, 3, 103}));
}

TEST(TraceTest, AParametricPairDrawsACircleAsXRunsFromZeroToOne) {
  PlotRun r;
  r.run("Xsteps = 9\nplotline {cos(2*pi*X), sin(2*pi*X)}\n");
  const Trace& t = traces(r)[0];
  ASSERT_EQ(t.count(), 9u);
  EXPECT_FLOAT_EQ(t.pts[0], 1);
  EXPECT_NEAR(t.pts[4], 0, 1e-6);
  EXPECT_FLOAT_EQ(t.pts[5], 1);
  EXPECT_FLOAT_EQ(t.pts[16], 1);
  EXPECT_FLOAT_EQ(r.plot().xlo, -1);
}

TEST(TraceTest, ArraysOfFunctionsOfXMakeAFamily) {
  PlotRun r;
  r.run("f[k] = k*X dim[3]\nXsteps = 5\nplot f\nplot X\n");
  ASSERT_EQ(traces(r).size(), 4u);
  EXPECT_EQ(traces(r)[2].pts[4], 3);
  // Each member is its own trace; the next trace number jumps past them.
  EXPECT_EQ(traces(r)[1].colour, 1);
  EXPECT_EQ(traces(r)[3].colour, 0);  // trace number 4
}

TEST(TraceTest, TheLastMarkerAtAnInexactLimitIsDrawn) {
  PlotRun r;
  r.run("Xmin = 0; Xmax = 2*pi\nplot {0.5, 1, 0, -1, -0.5}\n");
  RecordingSurface s = testSurface();
  drawplot(r.plot(), s);
  int h, v;
  AxisFrame f = setscale(r.plot(), 0, r.plot().strips[0].axes, s);
  f.MapData(2 * M_PI, -0.5, &h, &v);
  // The plus of the last point: its second stroke ends at (h, v + r).
  const int rr = f.ticsize * 10 / 20 + 1;
  EXPECT_NE(s.log().find("LineTo " + std::to_string(h) + " " + std::to_string(v + rr)),
            std::string::npos);
}

TEST(TraceTest, StylesPerTrace) {
  PlotRun r;
  r.run("Tracecolor = 6\nMarker = 9; Markersize = 2.5\nplot {1, 2}\nplot {1,2,3}\n");
  EXPECT_EQ(traces(r)[0].colour, 1);
  EXPECT_EQ(traces(r)[1].marker, 1);  // 9 - 1 - 7
  EXPECT_EQ(traces(r)[1].markersize, 25);
  r.run("plot X\nplot X\nplot X\nplot X\nplot X\n");
  EXPECT_EQ(traces(r)[4].colour, 0);  // the fifth trace is black again
  r.run("Tracecolor = {4, 3}\nplot X\nplot X\n");
  EXPECT_EQ(traces(r)[0].colour, 3);
  EXPECT_EQ(traces(r)[1].colour, 2);
}

TEST(TraceTest, GapsAndRangesAfterEachTrace) {
  PlotRun r;
  r.run("Xmin = -1; Xmax = 1; Xsteps = 5\nplot 1/X when X != 0, q\nYlo=\nplot X - 5\nYlo=\n");
  const Trace& t = traces(r)[0];
  EXPECT_TRUE(std::isnan(t.pts[2]));
  EXPECT_NE(r.text.find("Ylo:-2.00"), std::string::npos) << r.text;
  EXPECT_NE(r.text.find("Ylo:-6.00"), std::string::npos) << r.text;
}

TEST(TraceTest, UndefinedNamesAreShownOnTheInformationLine) {
  PlotRun r;
  r.run("plot y*X\n");
  EXPECT_EQ(r.status(), "√");
  EXPECT_EQ(showplotinfo(r.plot()), "? y?");
  r.run("Xsteps = 2\nplot 0/0\n");
  EXPECT_EQ(showplotinfo(r.plot()), "No defined points.");
}

TEST(TraceTest, LogAxesStoreLogarithms) {
  PlotRun r;
  r.run(
      "Xlogaxis = on; Ylogaxis = on; Xmin = 1; Xmax = 100; Xsteps = 3\nplot X^2\n"
      "plot {1, 10, 100}\n");
  EXPECT_EQ(traces(r)[0].pts, (std::vector<float>{0, 2, 4}));
  const Trace& a = traces(r)[1];
  EXPECT_EQ(a.kind, Trace::kPairMarkers);
  EXPECT_FLOAT_EQ(a.pts[0], 0);
  EXPECT_FLOAT_EQ(a.pts[2], static_cast<float>(std::log10(50.5)));
  EXPECT_FLOAT_EQ(a.pts[3], 1);
  EXPECT_EQ(showplotinfo(r.plot()), "Ylo:1  Yhi:1e+04");
}

TEST(TraceTest, AStoppedOrFailingEvaluationEndsTheRunCleanly) {
  PlotRun r;
  r.run("Xmin = -1\nplot sqrt(X)\n");
  EXPECT_EQ(r.status(), "sqrt() argument range error");
  r.run("plot X\n");
  EXPECT_EQ(r.status(), "√");
}

}  // namespace
}  // namespace orv::test
