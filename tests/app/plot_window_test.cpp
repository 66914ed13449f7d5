// The plot window as its user works it: shown after a run that plots, drawn
// from the published page (also while the next run goes on), the click
// read-out, labels that keep their place, the square button, copy and print.
#include "app/plot_window.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "app/application.h"
#include "app/plot_view.h"
#include "app/worksheet_editor.h"
#include "app/worksheet_window.h"
#include "files.h"
#include "render/page_export.h"
#include "scripted_dialogs.h"

namespace orv::test {
namespace {

using app::PlotView;
using app::PlotWindow;
using app::WorksheetWindow;

class PlotWindowTest : public ::testing::Test {
 protected:
  WorksheetWindow* runSheet(const QString& text) {
    WorksheetWindow* w = app_.newDocument();
    w->editor()->setPlainText(text);
    run(w);
    return w;
  }
  static void run(WorksheetWindow* w) {
    QSignalSpy finished(w, &WorksheetWindow::runFinished);
    ASSERT_TRUE(w->startRun());
    ASSERT_TRUE(finished.wait(20000));
  }
  // The page point of data point (x, y) in the last strip of a 0..10 x 0..10 page.
  static QPoint pointOf(PlotView* view, double x, double y) {
    const QRect area = view->lastPlotArea();
    return QPoint(area.left() + static_cast<int>(x / 10 * (area.right() - area.left())),
                  area.top() + static_cast<int>(y / 10 * (area.bottom() - area.top())));
  }

  TempDir dir_;
  ScriptedDialogs dialogs_;
  app::Application app_{dialogs_};
};

const QString kLine = "Xmin = 0; Xmax = 10; Ymin = 0; Ymax = 10\nplot X\n";

TEST_F(PlotWindowTest, ARunThatPlotsShowsThePageAndOneWithoutPlotsHidesIt) {
  WorksheetWindow* w = runSheet(kLine);
  PlotWindow* plot = w->plotWindow();
  EXPECT_TRUE(plot->isVisible());
  EXPECT_EQ(plot->windowTitle(), "PLOT of " + w->displayName());

  // The window shows the page as the export draws it.
  const QSize size = plot->view()->size();
  const QImage shown = plot->view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ExportOptions options;
  options.width = size.width();
  options.height = size.height();
  ASSERT_TRUE(exportPage(*w->session().plotPage(), dir_.path("page.png"), options, nullptr));
  const QImage exported = QImage(QString::fromStdString(dir_.path("page.png")))
                              .scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGB32);
  double difference = 0;
  int dark = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) {
      difference += std::abs(qGray(shown.pixel(x, y)) - qGray(exported.pixel(x, y)));
      dark += qGray(shown.pixel(x, y)) < 128;
    }
  EXPECT_GT(dark, 500) << "the window shows a blank page";
  EXPECT_LT(difference / (shown.width() * shown.height()), 6.0);

  // Another document's plotting run takes the plot window's place.
  WorksheetWindow* other = runSheet("plot sin(X)\n");
  EXPECT_FALSE(plot->isVisible());
  EXPECT_TRUE(other->plotWindow()->isVisible());
  other->editor()->setPlainText("1 + 1 =\n");
  run(other);
  EXPECT_FALSE(other->plotWindow()->isVisible());
}

TEST_F(PlotWindowTest, ClicksReadTracePointsAndImageCells) {
  WorksheetWindow* w = runSheet(kLine);
  PlotView* view = w->plotWindow()->view();
  const QPoint p = pointOf(view, 5, 5);
  view->clickAt(p.x() + 2, p.y() - 1);
  EXPECT_TRUE(view->infoText().startsWith("trace 1  X:5")) << view->infoText().toStdString();
  view->clickAt(5, 5);  // the information line's band: no strip
  EXPECT_TRUE(view->infoText().startsWith("Ylo:")) << view->infoText().toStdString();

  w->editor()->setPlainText(
      "Xmin = 0; Xmax = 10; Ymin = 0; Ymax = 10\nm[i, j] = i * j dim[10, 10]\nimage m\n");
  run(w);
  const QPoint cell = pointOf(view, 5.5, 5.5);
  view->clickAt(cell.x(), cell.y());
  EXPECT_TRUE(view->infoText().startsWith("image[")) << view->infoText().toStdString();
}

TEST_F(PlotWindowTest, ADraggedLabelKeepsItsPlaceThroughResizesSavesAndRuns) {
  WorksheetWindow* w = runSheet(kLine + "slabel \"peak\"\n");
  PlotView* view = w->plotWindow()->view();
  ASSERT_EQ(view->labelPlaces().size(), 1u);
  const LabelOrigin before = view->labelPlaces()[0];
  const QPoint grab(static_cast<int>(before.x * view->width()) + 8,
                    view->height() - static_cast<int>(before.y * view->height()) - 4);
  QTest::mousePress(view, Qt::LeftButton, {}, grab);
  QTest::mouseMove(view, grab + QPoint(60, -40));
  QTest::mouseRelease(view, Qt::LeftButton, {}, grab + QPoint(60, -40));
  const LabelOrigin moved = view->labelPlaces()[0];
  EXPECT_NEAR(moved.x, before.x + 60.0 / view->width(), 1e-9);
  EXPECT_NEAR(moved.y, before.y + 40.0 / view->height(), 1e-9);
  ASSERT_EQ(w->session().document().slabels.size(), 1u);
  EXPECT_EQ(w->session().document().slabels[0].x, moved.x);

  w->plotWindow()->resize(900, 700);
  EXPECT_EQ(view->labelPlaces()[0].x, moved.x);
  EXPECT_EQ(view->labelPlaces()[0].y, moved.y);
  run(w);  // the run lays the page out at the new size; the label stays put
  EXPECT_NEAR(view->labelPlaces()[0].x, moved.x, 1e-12);
  EXPECT_NEAR(view->labelPlaces()[0].y, moved.y, 1e-12);
}

TEST_F(PlotWindowTest, TheSquareButtonIsOfferedForModerateRatiosAndSquaresTheAxes) {
  WorksheetWindow* tall = runSheet("Xmin = 0; Xmax = 1; Ymin = 0; Ymax = 10\nplot X\n");
  EXPECT_FALSE(tall->plotWindow()->squareButton()->isVisibleTo(tall->plotWindow()));
  WorksheetWindow* w = runSheet(kLine);
  PlotWindow* plot = w->plotWindow();
  ASSERT_TRUE(plot->squareButton()->isVisibleTo(plot));
  plot->squareButton()->setChecked(true);
  QRect area = plot->view()->lastPlotArea();
  EXPECT_NEAR(area.width(), area.height(), 3);
  plot->resize(plot->width() + 120, plot->height());  // the shape is kept
  area = plot->view()->lastPlotArea();
  EXPECT_NEAR(area.width(), area.height(), 0.05 * area.height() + 3);
}

TEST_F(PlotWindowTest, CopyAndPrintGiveThePageWithoutTheInformationLine) {
  WorksheetWindow* w = runSheet(kLine);
  PlotWindow* plot = w->plotWindow();
  plot->copy();
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_TRUE(data && data->hasImage());
  const QImage image = qvariant_cast<QImage>(data->imageData());
  const double dpr = plot->devicePixelRatioF();
  EXPECT_EQ(image.width(), static_cast<int>(plot->view()->width() * dpr));
  EXPECT_EQ(image.height(), static_cast<int>((plot->view()->height() - 17) * dpr));
  EXPECT_TRUE(data->data("image/svg+xml").startsWith("<?xml"));

  dialogs_.printTo = QString::fromStdString(dir_.path("plot.pdf"));
  plot->print();
  const std::string pdf = dir_.get("plot.pdf");
  ASSERT_EQ(pdf.rfind("%PDF", 0), 0u);
  std::size_t pages = 0;
  for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
       at = pdf.find("/Type /Page", at + 1))
    pages += pdf.compare(at, 12, "/Type /Pages") != 0;
  EXPECT_EQ(pages, 1u);
}

// The window draws the page its last run published while the next run of
// the same document is building another one.
TEST_F(PlotWindowTest, RedrawsDuringTheNextRunShowThePreviousPage) {
  WorksheetWindow* w = runSheet(kLine);
  PlotView* view = w->plotWindow()->view();
  const QImage before = view->grab().toImage();
  w->editor()->setPlainText("Nsteps = 20000\nplot cos(X)\ni := 0 ,, (i := i + 1) while i >= 0\n");
  QSignalSpy finished(w, &WorksheetWindow::runFinished);
  ASSERT_TRUE(w->startRun());
  for (int k = 0; k < 10; ++k) {
    w->plotWindow()->resize(640 + 10 * k, 500);
    w->plotWindow()->resize(640, 480 + w->plotWindow()->height() - view->height());
    EXPECT_EQ(view->grab().toImage(), before);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(200, 200));  // no read-out during a run
    EXPECT_FALSE(view->click().any());
  }
  w->stopRun();
  ASSERT_TRUE(finished.wait(5000));
}

}  // namespace
}  // namespace orv::test
