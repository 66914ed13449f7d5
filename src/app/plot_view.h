// The plot page of a worksheet, drawn at the view's size from the last page
// its session published (never from a run's working state), with the click
// read-out and its dashed cross-hair, and page labels the user drags.
//
// Page coordinates have y upwards from the view's bottom edge. Label places
// are kept as fractions of the view, so resizing never moves them.
#pragma once

#include <QFont>
#include <QWidget>
#include <memory>
#include <vector>

#include "doc/doc_prefs.h"
#include "plot/plot_page.h"

class QPainter;

namespace orv::app {

class PlotView : public QWidget {
  Q_OBJECT

 public:
  explicit PlotView(QWidget* parent = nullptr);

  // A run's page; the read-out is forgotten and the labels take the page's.
  void setPage(std::shared_ptr<const PlotPage> page);
  const std::shared_ptr<const PlotPage>& page() const { return page_; }
  void setPlotFont(const QFont& font);
  const QFont& plotFont() const { return font_; }
  // Off while the document runs: no clicks, no drags.
  void setInteractive(bool on) { interactive_ = on; }

  // The read-out at page point (h, v); none when nothing is there.
  void clickAt(int h, int v);
  void forgetClick();
  const Click& click() const { return click_; }
  QString infoText() const;

  // The label places as fractions of the view; setting them moves the labels.
  std::vector<LabelOrigin> labelPlaces() const;
  void setLabelPlaces(const std::vector<LabelOrigin>& places);

  // Draws the page on [painter] as a [width] x [height] page with [scale]
  // device pixels per unit: the labels at their places, the cross-hair and
  // the information line when asked for.
  void render(QPainter& painter, int width, int height, double scale, bool raster,
              bool withInfo) const;

  // The plot area of the last strip at this view's size, for the square
  // button: left, bottom, right, top in page units.
  QRect lastPlotArea() const;

 signals:
  void readOutChanged(const QString& text);
  void labelsMoved();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct Label {
    std::string text;  // Mac OS Roman
    double fx = 0, fy = 0;
  };
  int labelAt(int h, int v) const;
  std::vector<PageLabel> labelsAt(int width, int height) const;

  std::shared_ptr<const PlotPage> page_;
  std::vector<Label> labels_;
  Click click_;
  QFont font_;
  bool interactive_ = true;
  int dragging_ = -1;
  QPointF dragOffset_;
};

}  // namespace orv::app
