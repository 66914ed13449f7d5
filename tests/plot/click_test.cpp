// The click read-out, page labels and the square button.
#include <gtest/gtest.h>

#include <cmath>

#include "plot/draw.h"
#include "plot/plotclick.h"
#include "plot_runner.h"

namespace orv::test {
namespace {

// The page point of data (x, y) in strip [i].
void pagePoint(PlotRun& r, int i, double x, double y, int* h, int* v) {
  RecordingSurface s = testSurface();
  AxisFrame f = setscale(r.plot(), i, r.plot().strips[i].axes, s);
  f.MapData(x, y, h, v);
}

TEST(ClickTest, NearestPointOfTheThirdTrace) {
  PlotRun r;
  r.run(
      "Xmin = 0; Xmax = 10; Ymin = 0; Ymax = 10\nplot {1, 2}\nplot {5, 5}\n"
      "a[i] = i dim[11]\nb[i] = 11 - i dim[11]\nplot {a, b}\n");
  int h, v;
  pagePoint(r, 0, 4, 7, &h, &v);
  RecordingSurface s = testSurface();
  ASSERT_TRUE(PlotClick(r.plot(), s, h + 3, v - 2));
  EXPECT_EQ(r.plot().click.trace, 3);
  EXPECT_EQ(showplotinfo(r.plot(), r.plot().click), "trace 3  X:4  Y:7");
  // Ten units away is too far.
  EXPECT_FALSE(PlotClick(r.plot(), s, h + 10, v + 10 + 40));
  EXPECT_EQ(showplotinfo(r.plot(), r.plot().click), "Ylo:0  Yhi:10");
}

TEST(ClickTest, EqualDistancesKeepTheFirstPointMet) {
  PlotRun r;
  r.run(
      "Xmin = 0; Xmax = 10; Ymin = 0; Ymax = 10\nplot {{2, 2}, {2, 2}}\n"
      "Marker = 2\nplot {{2, 2}, {2, 2}}\n");
  int h, v;
  pagePoint(r, 0, 2, 2, &h, &v);
  RecordingSurface s = testSurface();
  ASSERT_TRUE(PlotClick(r.plot(), s, h + 2, v));
  EXPECT_EQ(r.plot().click.trace, 1);
}

TEST(ClickTest, FunctionTracesAreSearchedNearTheClickedX) {
  PlotRun r;
  r.run("Xmin = 0; Xmax = 2; Xsteps = 30000\nplot X^2\n");
  int h, v;
  pagePoint(r, 0, 1.5, 2.25, &h, &v);
  RecordingSurface s = testSurface();
  ASSERT_TRUE(PlotClick(r.plot(), s, h, v));
  EXPECT_NEAR(r.plot().click.x, 1.5, 0.01);
  EXPECT_NEAR(r.plot().click.y, 2.25, 0.03);
}

TEST(ClickTest, LogAxesShowValuesConvertedBack) {
  PlotRun r;
  r.run("Xlogaxis = on; Xmin = 1; Xmax = 1000; Ymin = 0; Ymax = 5\nplot {{100, 10}, {3, 4}}\n");
  int h, v;
  pagePoint(r, 0, 2, 3, &h, &v);
  RecordingSurface s = testSurface();
  ASSERT_TRUE(PlotClick(r.plot(), s, h, v));
  EXPECT_EQ(r.plot().click.x, 2);
  EXPECT_EQ(showplotinfo(r.plot(), r.plot().click), "trace 1  X:100  Y:3");
}

TEST(ClickTest, ImageCells) {
  PlotRun r;
  r.run(
      "Xmin = 0; Xmax = 4; Ymin = 0; Ymax = 2; Zmin = 0; Zmax = 255\n"
      "m[i, j] = 10*i + j when i != 2, 0/0 dim[4, 2]\nimage m\n");
  RecordingSurface s = testSurface();
  int h, v;
  pagePoint(r, 0, 2.5, 1.5, &h, &v);  // first index 3, second index 2
  ASSERT_TRUE(PlotClick(r.plot(), s, h, v));
  EXPECT_EQ(showplotinfo(r.plot(), r.plot().click), "image[3,2]  X:3  Y:2  Z:32");
  pagePoint(r, 0, 1.5, 0.5, &h, &v);
  ASSERT_TRUE(PlotClick(r.plot(), s, h, v));
  EXPECT_EQ(showplotinfo(r.plot(), r.plot().click), "image[2,1]  X:2  Y:1  Z:?");
  // Just below the plot area is outside the image.
  pagePoint(r, 0, 0.5, 0, &h, &v);
  EXPECT_FALSE(PlotClick(r.plot(), s, h, v - 3));
}

TEST(ClickTest, OutsideEveryStripFindsNothing) {
  PlotRun r;
  r.run("plot {0.5, 0.5}\nnewaxis\nplot X\n");
  RecordingSurface s = testSurface();
  int h, v;
  pagePoint(r, 0, 0.5, 0.5, &h, &v);
  ASSERT_TRUE(PlotClick(r.plot(), s, h, v));
  EXPECT_EQ(r.plot().click.strip, 0);
  double ch, cv, ho, vo;
  EXPECT_TRUE(ClickPix(r.plot(), s, &ch, &cv, &ho, &vo));
  EXPECT_NEAR(ch, h, 1);
  EXPECT_FALSE(PlotClick(r.plot(), s, 300, 5));  // the information line's band
  EXPECT_FALSE(r.plot().click.any());
  EXPECT_FALSE(ClickPix(r.plot(), s, &ch, &cv, &ho, &vo));
}

TEST(LabelTest, NumbersPlacesAndSurplus) {
  PlotRun r;
  r.run("slabel \"one\"\nx = 2\nlabel x= ; rest\nslabel \"three\"\n");
  auto& labels = r.plot().labels;
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[0].text, "one");
  EXPECT_EQ(labels[0].x, 50);
  EXPECT_EQ(labels[0].y, 48);
  EXPECT_EQ(labels[1].text, " x:2.00 ");
  EXPECT_EQ(labels[2].y, 30 + 18 * 3);
  // A moved label keeps its place; labels the run no longer makes go.
  labels[0].x = 200;
  labels[0].y = 300;
  r.run("slabel \"again\"\n");
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].x, 200);
  EXPECT_EQ(labels[0].text, "again");
  // An emptied label is brought back inside the page.
  labels[0].x = -40;
  labels[0].y = 900;
  r.run("slabel \"back\"\n");
  EXPECT_EQ(labels[0].x, 2);
  EXPECT_EQ(labels[0].y, 480 - 20);
  r.run("slabel 3\n");
  EXPECT_EQ(r.status(), "can't get string");
}

TEST(SquareButtonTest, RatioLimitsAndWidth) {
  EXPECT_FALSE(squareButtonShown(10));
  EXPECT_FALSE(squareButtonShown(0.1));
  EXPECT_TRUE(squareButtonShown(6));
  EXPECT_TRUE(squareButtonShown(1.0 / 9));
  EXPECT_TRUE(squareButtonShown(1));
  EXPECT_FALSE(squareButtonShown(NAN));
  // A 400 x 200 plot area of a 1 : 1 data range wants half the plot width.
  EXPECT_DOUBLE_EQ(squareWidth(1, 400, 200, 500, 100), 500 * 0.5 + 0.5 * 60);
  EXPECT_EQ(squareWidth(0.2, 400, 200, 1000, 100), 0);  // wider than 2000
  EXPECT_EQ(squareWidth(1, 400, 200, 500, 400), 0);     // narrower than the window may be
}

}  // namespace
}  // namespace orv::test
