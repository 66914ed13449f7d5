#include "app/plot_window.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>
#include <QToolButton>

#include "app/dialogs.h"
#include "app/plot_view.h"
#include "plot/plotclick.h"
#include "render/qt_surface.h"

namespace orv::app {

namespace {

constexpr int kBand = 17;  // the bottom band of the information line, left out of copies
constexpr int kPrintWidth = 450, kPrintHeight = 610;

}  // namespace

PlotWindow::PlotWindow(Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::Window), dialogs_(dialogs) {
  view_ = new PlotView(this);
  setCentralWidget(view_);
  square_ = new QToolButton(view_);
  square_->setObjectName("makeSquare");
  square_->setText(tr("Square"));
  square_->setCheckable(true);
  square_->setAutoRaise(true);
  square_->setFixedHeight(kBand - 2);
  connect(square_, &QToolButton::toggled, this, &PlotWindow::makeSquare);

  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* print = file->addAction(tr("&Print..."), this, &PlotWindow::print);
  print->setObjectName("printPLOT");
  print->setShortcut(QKeySequence::Print);
  QAction* close = file->addAction(tr("&Close"), this, &QWidget::hide);
  close->setShortcut(QKeySequence::Close);
  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  QAction* copy = edit->addAction(tr("&Copy"), this, &PlotWindow::copy);
  copy->setObjectName("copy");
  copy->setShortcut(QKeySequence::Copy);
  QMenu* format = menuBar()->addMenu(tr("F&ormat"));
  format->addAction(tr("Plot &Font..."), this, &PlotWindow::plotFontRequested)
      ->setObjectName("changePlotFont");
  resize(640, 480 + menuBar()->sizeHint().height());
}

PageSpec PlotWindow::pageSpec() const {
  PageSpec spec;
  if (view_->width() > 0 && view_->height() > 0 && testAttribute(Qt::WA_WState_ExplicitShowHide)) {
    spec.width = view_->width();
    spec.height = view_->height();
  }
  QFontMetricsF metrics(view_->plotFont());
  spec.charwidth = static_cast<int>(metrics.horizontalAdvance(QLatin1Char('0')) + 0.5);
  spec.charht = static_cast<int>(textHeight(view_->plotFont()) + 0.5);
  return spec;
}

void PlotWindow::showPage(std::shared_ptr<const PlotPage> page, const QString& title) {
  setWindowTitle(title);
  view_->setPage(std::move(page));
  square_->setChecked(false);
  square_->setVisible(squareButtonShown(aspect()));
  placeBand();
  show();
  raise();
}

double PlotWindow::aspect() const {
  const auto& page = view_->page();
  if (!page) return 0;
  const StripAxes& a = page->strips[std::clamp(page->stripcount, 0, kMaxStrips - 1)].axes;
  return (a.ymax - a.ymin) / (a.xmax - a.xmin);
}

void PlotWindow::placeBand() {
  square_->adjustSize();
  square_->move(view_->width() - square_->width() - 4, view_->height() - square_->height());
}

void PlotWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  placeBand();
  if (squareRatio_ > 0 && !adjusting_) {
    // Keep the square shape: the height follows the width.
    adjusting_ = true;
    const int extra = height() - view_->height();
    resize(width(), static_cast<int>(width() / squareRatio_) + extra);
    adjusting_ = false;
  }
}

void PlotWindow::makeSquare(bool on) {
  squareRatio_ = 0;
  if (!on) return;
  const QRect area = view_->lastPlotArea();
  const double w =
      squareWidth(aspect(), area.width(), area.height(), view_->width(), view_->minimumWidth());
  if (w <= 0) {
    QApplication::beep();
    QSignalBlocker block(square_);
    square_->setChecked(false);
    return;
  }
  adjusting_ = true;
  resize(static_cast<int>(w), height());
  adjusting_ = false;
  squareRatio_ = static_cast<double>(view_->width()) / std::max(1, view_->height());
}

void PlotWindow::copy() {
  const double scale = devicePixelRatioF();
  const int w = view_->width(), h = view_->height();
  QImage page(static_cast<int>(w * scale), static_cast<int>(h * scale), QImage::Format_RGB32);
  page.setDevicePixelRatio(scale);
  {
    QPainter painter(&page);
    view_->render(painter, w, h, scale, true, true);
  }
  const int kept = std::max(1, h - kBand);
  QImage picture = page.copy(0, 0, page.width(), static_cast<int>(kept * scale));
  picture.setDevicePixelRatio(scale);

  QBuffer svg;
  svg.open(QIODevice::WriteOnly);
  {
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(QSize(w, kept));
    generator.setViewBox(QRect(0, 0, w, kept));
    QPainter painter(&generator);
    painter.translate(0, kept - h);  // the band at the bottom falls outside
    view_->render(painter, w, h, 1, false, true);
  }
  auto* data = new QMimeData;
  data->setImageData(picture);
  data->setData("image/svg+xml", svg.data());
  QApplication::clipboard()->setMimeData(data);
}

void PlotWindow::print() {
  QPrinter printer;
  if (!dialogs_.print(this, &printer)) return;
  view_->forgetClick();
  QPainter painter;
  if (!painter.begin(&printer)) {
    dialogs_.error(this, "Orvanel", tr("The plot could not be printed."));
    return;
  }
  // One unit is a point; the page is made smaller only when the paper is.
  const QRectF paper = printer.pageRect(QPrinter::Point);
  const double fit = std::min({1.0, paper.width() / kPrintWidth, paper.height() / kPrintHeight});
  const double scale = printer.resolution() / 72.0 * fit;
  painter.scale(scale, scale);
  view_->render(painter, kPrintWidth, kPrintHeight, scale, false, false);
  painter.end();
}

void PlotWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(tr("Copy"), this, &PlotWindow::copy);
  menu.addAction(tr("Print..."), this, &PlotWindow::print);
  menu.addAction(tr("Plot Font..."), this, &PlotWindow::plotFontRequested);
  menu.exec(event->globalPos());
}

}  // namespace orv::app
