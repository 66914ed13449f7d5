#include "app/plot_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "base/macroman.h"
#include "plot/draw.h"
#include "plot/frame.h"
#include "plot/plotclick.h"
#include "render/qt_surface.h"

namespace orv::app {

namespace {

// A surface that only measures text in [font], on a page of the given size.
struct Metrics {
  Metrics(int width, int height, const QFont& font)
      : image(1, 1, QImage::Format_RGB32),
        painter(&image),
        surface(painter, width, height, 1, font, true) {}
  QImage image;
  QPainter painter;
  QtSurface surface;
};

}  // namespace

PlotView::PlotView(QWidget* parent) : QWidget(parent), font_(orv::plotFont()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
  setMinimumSize(120, 100);
}

void PlotView::setPage(std::shared_ptr<const PlotPage> page) {
  page_ = std::move(page);
  click_ = Click();
  labels_.clear();
  if (page_) {
    const double w = std::max(1, page_->page.width), h = std::max(1, page_->page.height);
    for (const PageLabel& l : page_->labels)
      labels_.push_back({l.shown ? l.text : std::string(), l.x / w, l.y / h});
  }
  update();
  emit readOutChanged(infoText());
}

void PlotView::setPlotFont(const QFont& font) {
  font_ = font;
  update();
}

QString PlotView::infoText() const {
  if (!page_) return QString();
  return QString::fromStdString(bytesToUtf8(showplotinfo(*page_, click_)));
}

void PlotView::clickAt(int h, int v) {
  if (!page_) return;
  Metrics m(width(), height(), font_);
  PlotClick(*page_, m.surface, h, v, &click_);
  update();
  emit readOutChanged(infoText());
}

void PlotView::forgetClick() {
  click_ = Click();
  update();
  emit readOutChanged(infoText());
}

std::vector<LabelOrigin> PlotView::labelPlaces() const {
  std::vector<LabelOrigin> places;
  for (const Label& l : labels_) places.push_back({l.fx, l.fy});
  return places;
}

void PlotView::setLabelPlaces(const std::vector<LabelOrigin>& places) {
  for (std::size_t i = 0; i < places.size() && i < labels_.size(); ++i) {
    labels_[i].fx = places[i].x;
    labels_[i].fy = places[i].y;
  }
  update();
}

std::vector<PageLabel> PlotView::labelsAt(int width, int height) const {
  std::vector<PageLabel> out;
  for (const Label& l : labels_) {
    PageLabel p;
    p.text = l.text;
    p.x = l.fx * width;
    p.y = l.fy * height;
    p.shown = !l.text.empty();
    out.push_back(p);
  }
  return out;
}

void PlotView::render(QPainter& painter, int width, int height, double scale, bool raster,
                      bool withInfo) const {
  painter.fillRect(QRectF(0, 0, width, height), Qt::white);
  if (!page_) return;
  QtSurface surface(painter, width, height, scale, font_, raster);
  const std::vector<PageLabel> labels = labelsAt(width, height);
  drawPage(*page_, surface, click_, &labels, withInfo);
  double h, v, ho, vo;
  if (withInfo && ClickPix(*page_, click_, surface, &h, &v, &ho, &vo)) {
    // The dashed cross-hair from the axes to the point, in y-down device
    // coordinates.
    QPen pen(Qt::black, 1, Qt::CustomDashLine);
    pen.setDashPattern({5, 2});
    painter.setPen(pen);
    QPainterPath path(QPointF(ho, height - v));
    path.lineTo(h, height - v);
    path.lineTo(h, height - vo);
    painter.drawPath(path);
  }
}

QRect PlotView::lastPlotArea() const {
  if (!page_) return QRect();
  Metrics m(width(), height(), font_);
  const int i = std::clamp(page_->stripcount, 0, kMaxStrips - 1);
  const AxisFrame f = setscale(*page_, i, page_->strips[i].axes, m.surface);
  return QRect(QPoint(f.xorg, f.yorg), QPoint(f.xend, f.yend));
}

void PlotView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  render(painter, width(), height(), devicePixelRatioF(), true, true);
}

int PlotView::labelAt(int h, int v) const {
  QFontMetricsF metrics(font_);
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    const Label& l = labels_[i];
    if (l.text.empty()) continue;
    const double x = l.fx * width(), y = l.fy * height();
    const double w = metrics.horizontalAdvance(QString::fromStdString(bytesToUtf8(l.text))) + 12;
    if (h >= x && h <= x + w && v >= y && v <= y + textHeight(font_)) return static_cast<int>(i);
  }
  return -1;
}

void PlotView::mousePressEvent(QMouseEvent* event) {
  if (!interactive_ || event->button() != Qt::LeftButton) return;
  const int h = static_cast<int>(event->position().x());
  const int v = static_cast<int>(height() - event->position().y());
  dragging_ = labelAt(h, v);
  if (dragging_ >= 0) {
    const Label& l = labels_[static_cast<std::size_t>(dragging_)];
    dragOffset_ = QPointF(l.fx * width() - h, l.fy * height() - v);
    setCursor(Qt::ClosedHandCursor);
    return;
  }
  clickAt(h, v);
}

void PlotView::mouseMoveEvent(QMouseEvent* event) {
  if (!interactive_ || !(event->buttons() & Qt::LeftButton)) return;
  const double h = event->position().x(), v = height() - event->position().y();
  if (dragging_ >= 0) {
    if (!rect().contains(event->position().toPoint())) return;
    Label& l = labels_[static_cast<std::size_t>(dragging_)];
    l.fx = (h + dragOffset_.x()) / width();
    l.fy = (v + dragOffset_.y()) / height();
    update();
    return;
  }
  clickAt(static_cast<int>(h), static_cast<int>(v));  // the read-out follows the mouse
}

void PlotView::mouseReleaseEvent(QMouseEvent*) {
  if (dragging_ < 0) return;
  dragging_ = -1;
  unsetCursor();
  emit labelsMoved();
}

}  // namespace orv::app
