// Odd worksheets run, draw and take clicks without a fault: huge and tiny
// ranges, infinities, empty and degenerate data, log axes of odd limits.
#include <gtest/gtest.h>

#include "plot/draw.h"
#include "plot/plotclick.h"
#include "plot_runner.h"

namespace orv::test {
namespace {

TEST(RobustnessTest, OddPagesDrawAndClick) {
  const char* sheets[] = {
      "Xmin = -1e308; Xmax = 1e308\nplot X\n",
      "Xmin = 1e15; Xmax = 1e15 + 2\nplot X\n",
      "Ymin = 1e-300; Ymax = 2e-300\nplot X\n",
      "plot 1/X\n",
      "Xmin = -1; Xmax = 1\nplot log(abs(X))\n",
      "plot {}\n",
      "plot {1}\n",
      "plot 0/0\nplot {0/0, 0/0}\n",
      "Xlogaxis = on; Ylogaxis = on; Xmin = 1e-300; Xmax = 1e300\nplot X\n",
      "Ylogaxis = on\nplot X - 2\n",
      "Xdiv = -1; Ydiv = 1e-300\nplot X\n",
      "Xlogaxis = on; Xdiv = 1e9; Xmin = 1; Xmax = 10\nplot X\n",
      "Marker = 1e300; Markersize = 99; Tracecolor = 1e300\nplot {1, 2, 3}\n",
      "Zmin = 1; Zmax = 1\nm[i, j] = i dim[3, 3]\nimage m\n",
      "m[i, j] = 0/0 dim[3, 3]\nimage m\n",
      "m[i, j] = 5 dim[2, 2]\nimage m\n",
      "Ystrips = {1e-9, 1}\nplot X\nnewaxis\nplot X\n",
      "Title = \"\"\nXlabel = \"\"\nplot X\nnewaxis\nnewaxis\n",
      "Yticklabels = off; Xticklabels = off; Axisbox = on\nplot X\n",
      "f[k] = k*X dim[20]\nplot f\n",
  };
  for (const char* sheet : sheets) {
    PlotRun r;
    r.run(sheet);
    RecordingSurface s(300, 200, 7, 14, false);
    drawPage(r.plot(), s);
    for (int h = 0; h < 300; h += 37)
      for (int v = 0; v < 200; v += 23) PlotClick(r.plot(), s, h, v);
    EXPECT_LE(showplotinfo(r.plot()).size(), 69u) << sheet;
  }
}

}  // namespace
}  // namespace orv::test
