// The QPainter surface: a multi-strip page exported as PNG, SVG and PDF has
// the right size and is not blank; the plot font resolves through
// fontconfig.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "files.h"
#include "plot/plot_state.h"
#include "render/page_export.h"
#include "render/qt_surface.h"
#include "worksheet.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

constexpr char kSheet[] =
    "Title = \"Three strips\"\n"
    "Ystrips = {2, 1, 1}\n"
    "Xmin = 0; Xmax = 6\n"
    "plot sin(X)\nplot cos(X)\nnewaxis\n"
    "m[i, j] = i*j dim[20, 10]\nimage m\nnewaxis\n"
    "Marker = 7\nplot {1, 3, 2, 5}\nslabel \"note\"\n";

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sheet_.plot().page = exportPageSpec(options_);
    SheetResult r = sheet_.run(kSheet);
    ASSERT_TRUE(r.outcome.plot);
    ASSERT_EQ(r.rawStatus, "\u221A");
    dir_ = dirOwner_.path();
  }

  std::string exportTo(const std::string& name) {
    std::string path = (dir_ / name).string();
    std::string error;
    EXPECT_TRUE(exportPage(sheet_.plot(), path, options_, &error)) << error;
    return readFile(path);
  }

  Worksheet sheet_;
  TempDir dirOwner_;
  ExportOptions options_{500, 400};
  fs::path dir_;
};

TEST_F(RenderTest, PngIsTwiceThePageSizeAndDrawsEveryStrip) {
  exportTo("page.png");
  QImage image(QString::fromStdString((dir_ / "page.png").string()));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.width(), 1000);
  EXPECT_EQ(image.height(), 800);
  // Each horizontal band of a strip holds dark pixels (axes, text) and the
  // image strip holds coloured ones.
  auto count = [&](int y0, int y1, auto test) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < image.width(); ++x) n += test(QColor(image.pixel(x, y)));
    return n;
  };
  auto dark = [](const QColor& c) { return c.lightness() < 80; };
  auto coloured = [](const QColor& c) { return c.saturation() > 100; };
  EXPECT_GT(count(60, 380, dark), 500);
  EXPECT_GT(count(400, 560, coloured), 10000);
  EXPECT_GT(count(600, 760, dark), 300);
  EXPECT_GT(count(780, 800, dark), 50);  // the information line
}

TEST_F(RenderTest, SvgAndPdfHaveThePageSizeInPoints) {
  std::string svg = exportTo("page.svg");
  EXPECT_NE(svg.find("width=\"500"), std::string::npos);
  EXPECT_NE(svg.find("height=\"400"), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 500 400\""), std::string::npos);
  EXPECT_GT(std::count(svg.begin(), svg.end(), '\n'), 200);
  EXPECT_NE(svg.find("<image"), std::string::npos);
  EXPECT_NE(svg.find("Three strips"), std::string::npos);

  std::string pdf = exportTo("page.pdf");
  ASSERT_EQ(pdf.compare(0, 5, "%PDF-"), 0);
  std::size_t at = pdf.find("/MediaBox [0 0 ");
  ASSERT_NE(at, std::string::npos);
  double w = 0, h = 0;
  ASSERT_EQ(std::sscanf(pdf.c_str() + at, "/MediaBox [0 0 %lf %lf]", &w, &h), 2);
  EXPECT_NEAR(w, 500, 0.5);
  EXPECT_NEAR(h, 400, 0.5);
  EXPECT_GT(pdf.size(), 5000u);
}

TEST_F(RenderTest, UnknownExtensionsAndUnwritableFilesAreReported) {
  std::string error;
  EXPECT_FALSE(exportPage(sheet_.plot(), (dir_ / "page.gif").string(), options_, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(exportPage(sheet_.plot(), "/nonexistent/dir/p.png", options_, &error));
  EXPECT_FALSE(exportPage(sheet_.plot(), "/nonexistent/dir/p.pdf", options_, &error));
}

TEST(PlotFontTest, HelveticaResolvesToAnInstalledFamilyWithCharacterMetrics) {
  QFont font = plotFont("Helvetica", 12);
  QFontInfo info(font);
  EXPECT_FALSE(info.family().isEmpty());
  if (fs::exists("/usr/share/fonts/opentype/urw-base35")) {
    EXPECT_EQ(info.family().toStdString().rfind("Nimbus Sans", 0), 0u)
        << info.family().toStdString();
  }
  PlotState ps;
  ps.page = exportPageSpec(ExportOptions{});
  EXPECT_GE(ps.page.charwidth, 6);
  EXPECT_LE(ps.page.charwidth, 8);
  EXPECT_GE(ps.page.charht, 12);
  EXPECT_LE(ps.page.charht, 16);
}

TEST(QtSurfaceTest, FilledRectanglesAreAlignedToPixels) {
  QImage image(200, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    QtSurface s(painter, 200, 200, 1, plotFont(), true);
    s.ForeColor(kBlack);
    s.PaintRect(Rect{150, 10, 100, 60});  // y upwards: rows 50 to 99
  }
  EXPECT_EQ(QColor(image.pixel(10, 50)).lightness(), 0);
  EXPECT_EQ(QColor(image.pixel(59, 99)).lightness(), 0);
  EXPECT_EQ(QColor(image.pixel(60, 99)).lightness(), 255);
  EXPECT_EQ(QColor(image.pixel(10, 49)).lightness(), 255);
  EXPECT_EQ(QColor(image.pixel(10, 100)).lightness(), 255);
}

}  // namespace
}  // namespace orv::test

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
