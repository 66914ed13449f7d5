// The pending path of the drawing surface.
#include "plot/surface.h"

#include <gtest/gtest.h>

namespace orv::test {
namespace {

// A surface that keeps its strokes: the points and the colour of each.
class StrokeSurface : public Surface {
 public:
  using Surface::setPathColumns;
  std::vector<std::pair<int, std::vector<PathPoint>>> strokes;
  void FrameRect(const Rect&) override {}
  void PaintRect(const Rect&) override {}
  void FrameOval(const Rect&) override {}
  void PaintOval(const Rect&) override {}
  void SaveGS() override {}
  void RestoreGS() override {}
  void ClipRect(const Rect&) override {}
  void GetWindowRect(Rect*) override {}
  void DrawText(std::string_view) override {}
  void GetTextSize(std::string_view, int* w, int* h) override { *w = *h = 0; }
  void ShowBytes(const uint8_t*, int, int, const Rect&, const uint8_t (*)[3]) override {}
  void DrawPicture(const Picture&, const Rect&, const Rect&) override {}

 protected:
  void StrokePath(const PathPoint* p, std::size_t n) override {
    strokes.push_back({colour(), std::vector<PathPoint>(p, p + n)});
  }
};

TEST(SurfaceTest, PathsAreStrokedByTheNextMoveInTheColourThen) {
  StrokeSurface s;
  s.MoveTo(0, 0);
  s.MoveTo(5, 5);
  EXPECT_TRUE(s.strokes.empty());  // two moves draw nothing
  s.LineTo(10, 5);
  s.Line(0, 5);
  EXPECT_TRUE(s.strokes.empty());
  s.ForeColor(kRed);
  s.MoveTo(0, 0);
  ASSERT_EQ(s.strokes.size(), 1u);
  EXPECT_EQ(s.strokes[0].first, kRed);
  EXPECT_EQ(s.strokes[0].second.size(), 3u);
  EXPECT_EQ(s.strokes[0].second[2].v, 10);
  s.LineTo(1, 1);
  s.ForeColor(kBlue);
  s.FinishPath();
  EXPECT_EQ(s.strokes[1].first, kBlue);
  s.FinishPath();
  EXPECT_EQ(s.strokes.size(), 2u);
  s.ForeColor(42);
  EXPECT_EQ(s.colour(), kBlack);
  int h, v;
  s.GetPen(&h, &v);
  EXPECT_EQ(h, 1);
}

TEST(SurfaceTest, DensePathsKeepTheFirstLowestHighestAndLastPointOfEachColumn) {
  StrokeSurface s;
  s.setPathColumns(2, 0);  // columns half a unit wide
  s.MoveTo(PagePoint{0, 5, 0.1, 5});
  for (double v : {7.0, 1.0, 9.0, 4.0, 6.0}) s.LineTo(PagePoint{0, 0, 0.3, v});
  s.LineTo(PagePoint{1, 3, 0.6, 3});  // the next column: one point
  s.LineTo(PagePoint{1, 8, 1.2, 8});
  s.LineTo(PagePoint{1, 2, 1.3, 2});  // lowest and last at once
  s.FinishPath();
  ASSERT_EQ(s.strokes.size(), 1u);
  std::vector<std::pair<double, double>> got;
  for (const PathPoint& p : s.strokes[0].second) got.emplace_back(p.h, p.v);
  const std::vector<std::pair<double, double>> want = {{0.1, 5}, {0.3, 1}, {0.3, 9}, {0.3, 6},
                                                       {0.6, 3}, {1.2, 8}, {1.3, 2}};
  EXPECT_EQ(got, want);

  // The pen keeps the whole units; a path that starts with a line starts at
  // the pen.
  int h, v;
  s.GetPen(&h, &v);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(v, 2);
  s.LineTo(PagePoint{9, 9, 9.25, 9.5});
  s.FinishPath();
  ASSERT_EQ(s.strokes.size(), 2u);
  EXPECT_EQ(s.strokes[1].second[0].h, 1);
  EXPECT_EQ(s.strokes[1].second[1].h, 9.25);
}

}  // namespace
}  // namespace orv::test
