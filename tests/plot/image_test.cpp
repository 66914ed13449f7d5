// Image plots: sampling, levels, the Z range, the colour bar and ColorTable.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "plot/draw.h"
#include "plot_runner.h"

namespace orv::test {
namespace {

const StripImage& image(PlotRun& r) { return r.plot().strips[0].image; }

TEST(ImageTest, OnlyFiniteTwoDimensionalArrays) {
  PlotRun r;
  for (const char* sheet :
       {"a[i] = i dim[3]\nimage a\n", "image 3\n", "m[i, j] = i*j\nimage m\n"}) {
    r.run(sheet);
    EXPECT_EQ(r.status(), "image array must be finite 2D") << sheet;
  }
}

TEST(ImageTest, LevelsWithinTheZRange) {
  PlotRun r;
  r.run("Zmin = 0; Zmax = 1\nm = {{0, 1}, {0/0, 0.5}}\nimage m\n");
  ASSERT_EQ(r.status(), "√");
  const StripImage& img = image(r);
  ASSERT_EQ(img.rows, 2);
  ASSERT_EQ(img.cols, 2);
  // Byte row 0 is the top: second index 2. First index runs left to right.
  EXPECT_EQ(img.levels, (std::vector<uint8_t>{255, 127, 1, 0}));
}

TEST(ImageTest, WithoutZLimitsTheImageUsesItsOwnRange) {
  PlotRun r;
  r.run("m[i, j] = 10*i + j dim[2, 3]\nimage m\n");
  EXPECT_EQ(r.plot().strips[0].axes.zmin, 11);
  EXPECT_EQ(r.plot().strips[0].axes.zmax, 23);
  EXPECT_EQ(image(r).levels.front(), 42);  // first index 1, second index 3: 13
  EXPECT_EQ(image(r).levels.back(), 212);  // first index 2, second index 1: 21
  // The same image in a second run looks the same.
  std::vector<uint8_t> first = image(r).levels;
  r.run("m[i, j] = 10*i + j dim[2, 3]\nimage m\n");
  EXPECT_EQ(image(r).levels, first);
  EXPECT_EQ(showplotinfo(r.plot()), "Zlo:11  Zhi:23");
}

TEST(ImageTest, LargeArraysAreSampled) {
  PlotRun r;
  r.run("m[i, j] = i dim[4000, 10]\nimage m\n");
  EXPECT_EQ(image(r).rows, 3000);
  EXPECT_EQ(image(r).cols, 10);
  EXPECT_NEAR(r.plot().strips[0].axes.zmax, 4000, 0.5);  // index step 4000 / 3000
}

TEST(ImageTest, ASecondImageReplacesTheFirstWithItsOwnSize) {
  PlotRun r;
  r.run("a[i, j] = i dim[2, 2]\nb[i, j] = j dim[30, 20]\nimage a\nimage b\n");
  EXPECT_EQ(image(r).rows, 30);
  EXPECT_EQ(image(r).cols, 20);
  EXPECT_EQ(image(r).levels.size(), 600u);
}

TEST(ImageTest, LogColourBarCarriesItsSuffix) {
  PlotRun r;
  r.run("Zlogaxis = on; Zlabel = \"dB\"\nm[i, j] = 10^(i + j) dim[3, 3]\nimage m\n");
  RecordingSurface s = testSurface();
  drawplot(r.plot(), s);
  EXPECT_NE(s.log().find("\"1e+06 (log)\""), std::string::npos) << s.log();
  EXPECT_NE(s.log().find("\"100\""), std::string::npos);
  EXPECT_NE(s.log().find("\"dB\""), std::string::npos);
  r.run("Zlogaxis = on; Zmin = 0\nm[i, j] = 10^(i + j) dim[3, 3]\nimage m\n");
  EXPECT_EQ(r.status(), "bad log axis limit: Zmin");
}

TEST(PictureTest, ImagefileRectanglesAndMessages) {
  const std::string pic =
      (std::filesystem::temp_directory_path() / "orvanel-test-pic.png").string();
  std::ofstream(pic) << "x";
  const std::string name = "\"" + pic + "\"";
  PlotRun r;
  r.run("Xmin = 0; Xmax = 10; Ymin = 0; Ymax = 10\nimagefile(" + name + ", {1, 2, 4, 3})\n");
  ASSERT_EQ(r.status(), "√");
  RecordingSurface s = testSurface();
  drawplot(r.plot(), s);
  AxisFrame f = setscale(r.plot(), 0, r.plot().strips[0].axes, s);
  int h0, v0, h1, v1;
  f.MapData(1, 2, &h0, &v0);
  f.MapData(5, 5, &h1, &v1);
  Rect area = f.GetAxisRect();
  std::ostringstream want;
  want << "DrawPicture 40 30 " << v1 << " " << h0 << " " << v0 << " " << h1 << " " << area.top
       << " " << area.left << " " << area.bottom << " " << area.right << "\n";
  EXPECT_NE(s.log().find(want.str()), std::string::npos) << s.log();
  r.run("imagefile " + name + "\nimagefile " + name + "\n");
  EXPECT_EQ(r.status(), "imagefile already defined");
  r.run("imagefile " + name + ", {1, 2, 3}\n");
  EXPECT_EQ(r.status(), "imagefile rectangle?");
  r.run("imagefile \"/nonexistent/p.png\"\n");
  EXPECT_EQ(r.status(), "imagefile can't read");
  r.run("imagefile 3\n");
  EXPECT_EQ(r.status(), "imagefile can't read");
  std::filesystem::remove(pic);
}

TEST(ColorTableTest, BuiltInTablesAndRgbRows) {
  PlotRun r;
  r.run("ColorTable(0)\n");
  EXPECT_TRUE(r.plot().ctab.valid);
  EXPECT_EQ(r.plot().ctab.rgb[0][0], 255);
  EXPECT_EQ(r.plot().ctab.rgb[255][2], 0);
  r.run("ColorTable(2)\n");
  EXPECT_EQ(r.status(), "No built-in table 2");
  EXPECT_EQ(r.plot().ctab.rgb[0][0], 255);
  EXPECT_EQ(r.plot().ctab.rgb[255][1], 8);  // the colour scale
  r.run("t[i, c] = (i - 1)/255 * (c == 1) - 0.5*(c == 3) dim[256, 3]\nColorTable(t)\n");
  EXPECT_EQ(r.status(), "√");
  EXPECT_EQ(r.plot().ctab.rgb[255][0], 255);
  EXPECT_EQ(r.plot().ctab.rgb[128][0], 128);
  EXPECT_EQ(r.plot().ctab.rgb[9][2], 0);  // clamped below 0
  r.run("t[i, c] = 2 dim[256, 3]\nColorTable(t)\n");
  EXPECT_EQ(r.plot().ctab.rgb[7][1], 255);  // clamped above 1
  r.run("t[i, c] = 0 dim[255, 3]\nColorTable(t)\n");
  EXPECT_EQ(r.status(), "ColorTable(?) expects {{red,grn,blu},...}");
  EXPECT_EQ(r.plot().ctab.rgb[7][1], 255);  // unchanged
}

TEST(ColorTableTest, BuiltInScale) {
  uint8_t t[256][3];
  BuiltInCtable(1, t);
  EXPECT_EQ(t[0][0] + t[0][1] + t[0][2], 3 * 255);
  EXPECT_EQ(t[1][1], 8);
  EXPECT_EQ(t[255][1], 8);
  EXPECT_EQ(t[1][0], 0);
  BuiltInCtable(2, t);
  EXPECT_EQ(t[0][0], 255);
  EXPECT_EQ(t[255][0], 0);
}

}  // namespace
}  // namespace orv::test
