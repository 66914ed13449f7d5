// What a page looks like beyond its layout: traces placed finer than a page
// unit at high resolutions, tick numbers that never overprint, pictures
// drawn without smoothing, and a clear text on a page too small for its
// strips.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <vector>

#include "files.h"
#include "plot/draw.h"
#include "plot/plot_state.h"
#include "plot/recording_surface.h"
#include "render/page_export.h"
#include "render/qt_surface.h"
#include "worksheet.h"

namespace orv::test {
namespace {

// The page of [sheet] drawn at [scale] pixels per unit.
QImage drawAt(const PlotPage& page, int width, int height, double scale) {
  QImage image(static_cast<int>(width * scale), static_cast<int>(height * scale),
               QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.scale(scale, scale);
  QtSurface surface(painter, width, height, scale, plotFont(), true);
  drawPage(page, surface);
  return image;
}

TEST(PictureQualityTest, ATraceFollowsItsDataFinerThanAPageUnit) {
  Worksheet sheet;
  sheet.plot().page.width = 400;
  sheet.plot().page.height = 300;
  // A shallow red line: with whole-unit points it climbs in visible steps.
  ASSERT_EQ(sheet.run("Tracecolor = 2; Xmin = 0; Xmax = 1; Ymin = 0; Ymax = 1\nplot 0.2 + X/7\n")
                .rawStatus,
            "\u221A");
  constexpr double kScale = 4;
  QImage image = drawAt(sheet.plot(), 400, 300, kScale);
  // The centre row of the red pixels of each column, and the straight line
  // through them.
  std::vector<double> xs, ys;
  for (int x = image.width() / 4; x < image.width() * 3 / 4; ++x) {
    double weight = 0, sum = 0;
    for (int y = 0; y < image.height(); ++y) {
      QColor c(image.pixel(x, y));
      const double red = std::max(0, c.red() - c.green());
      weight += red;
      sum += red * y;
    }
    if (weight > 0) {
      xs.push_back(x);
      ys.push_back(sum / weight);
    }
  }
  ASSERT_GT(xs.size(), 500u);
  const double n = static_cast<double>(xs.size());
  double mx = 0, my = 0;
  for (std::size_t i = 0; i < xs.size(); ++i) mx += xs[i] / n, my += ys[i] / n;
  double sxy = 0, sxx = 0;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    sxy += (xs[i] - mx) * (ys[i] - my);
    sxx += (xs[i] - mx) * (xs[i] - mx);
  }
  const double slope = sxy / sxx;
  double worst = 0;
  for (std::size_t i = 0; i < xs.size(); ++i)
    worst = std::max(worst, std::fabs(ys[i] - (my + slope * (xs[i] - mx))));
  // Whole units would put points up to half a unit (2 pixels) off the line.
  EXPECT_LT(worst, 0.6) << "pixels off the straight line";
}

// The boxes of all texts on a recorded page; a tick number's digits fill the
// lower three quarters of its box.
struct TextBox {
  int left, bottom, right, top;
  std::string text;
};

std::vector<TextBox> textBoxes(const std::string& log, int charwidth, int charht) {
  std::vector<TextBox> boxes;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("DrawText ", 0) != 0) continue;
    std::istringstream in(line.substr(9));
    int h, v;
    in >> h >> v;
    const std::size_t quote = line.find('"');
    std::string text = line.substr(quote + 1, line.size() - quote - 2);
    boxes.push_back(
        {h, v, h + static_cast<int>(text.size()) * charwidth, v + charht * 3 / 4, text});
  }
  return boxes;
}

TEST(PictureQualityTest, TickNumbersNeverOverprintButEveryAxisKeepsSome) {
  const char* pages[] = {
      // Eight short strips with many decades on log axes.
      "Ystrips = 8\nYlogaxis = on; Ymin = 1e-20; Ymax = 1e20\nplot X\nnewaxis\nplot X\nnewaxis\n"
      "plot X\nnewaxis\nplot X\nnewaxis\nplot X\nnewaxis\nplot X\nnewaxis\nplot X\nnewaxis\n"
      "plot X\n",
      // Long numbers of a narrow range far from zero.
      "Xmin = 1000; Xmax = 1000.05; Ymin = 1000; Ymax = 1000.01\nplot X\n",
      "Xlogaxis = on; Xmin = 1e-30; Xmax = 1e30\nplot X\n",
  };
  for (const char* text : pages) {
    Worksheet sheet;
    ASSERT_EQ(sheet.run(text).rawStatus, "\u221A") << text;
    RecordingSurface s(640, 480, 7, 14);
    drawPage(sheet.plot(), s);
    const std::vector<TextBox> boxes = textBoxes(s.log(), 7, 14);
    int numbers = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      numbers += boxes[i].text.find_first_of("0123456789") != std::string::npos;
      for (std::size_t j = i + 1; j < boxes.size(); ++j) {
        const TextBox &a = boxes[i], &b = boxes[j];
        const bool overlap =
            a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top;
        EXPECT_FALSE(overlap) << text << "\"" << a.text << "\" at " << a.left << "," << a.bottom
                              << " overprints \"" << b.text << "\" at " << b.left << ","
                              << b.bottom;
      }
    }
    EXPECT_GE(numbers, 4) << text;
  }
}

TEST(PictureQualityTest, PicturesKeepSharpCellsOnEveryDevice) {
  QImage checker(2, 2, QImage::Format_RGB32);
  checker.setPixel(0, 0, qRgb(0, 0, 0));
  checker.setPixel(1, 1, qRgb(0, 0, 0));
  checker.setPixel(1, 0, qRgb(255, 255, 255));
  checker.setPixel(0, 1, qRgb(255, 255, 255));
  const QtPicture picture(checker);
  for (bool raster : {true, false}) {
    QImage image(300, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.scale(3, 3);
      QtSurface s(painter, 100, 100, 3, plotFont(), raster);
      s.DrawPicture(picture, Rect{90, 10, 10, 90}, Rect{100, 0, 0, 100});
    }
    int between = 0;
    for (int y = 40; y < 260; ++y)
      for (int x = 40; x < 260; ++x) {
        const int level = QColor(image.pixel(x, y)).lightness();
        if (std::abs(x - 150) > 2 && std::abs(y - 150) > 2) between += level > 10 && level < 245;
      }
    EXPECT_EQ(between, 0) << (raster ? "raster" : "vector");
  }
}

TEST(PictureQualityTest, APageTooSmallForItsStripsSaysSo) {
  Worksheet sheet;
  ASSERT_EQ(sheet.run("Ystrips = 4\nplot X\nnewaxis\nplot X\nnewaxis\nplot X\nnewaxis\nplot X\n")
                .rawStatus,
            "\u221A");
  RecordingSurface small(100, 100, 7, 14);
  drawPage(sheet.plot(), small);
  EXPECT_NE(small.log().find("\"The page is too small for its 4 strips\""), std::string::npos)
      << small.log();
  EXPECT_EQ(small.log().find("LineTo"), std::string::npos) << "no inverted axes";

  RecordingSurface large(640, 480, 7, 14);
  EXPECT_TRUE(pageHasRoom(sheet.plot(), large));

  TempDir dir;
  std::string error;
  EXPECT_FALSE(exportPage(sheet.plot(), dir.path("page.png"), {100, 100}, &error));
  EXPECT_EQ(error, "the page of 100 x 100 points is too small for its 4 strips");
  EXPECT_FALSE(std::filesystem::exists(dir.path("page.png")));
}

}  // namespace
}  // namespace orv::test
