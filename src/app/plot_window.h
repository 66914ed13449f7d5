// The plot window of a worksheet: the plot view with the information line
// and the square button in its bottom band, Copy, Print and Plot Font. Its
// close button only hides it; the document's next run that shows a plot
// brings it back.
#pragma once

#include <QMainWindow>
#include <memory>

#include "plot/plot_page.h"

class QToolButton;

namespace orv::app {

class Dialogs;
class PlotView;

class PlotWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit PlotWindow(Dialogs& dialogs, QWidget* parent = nullptr);

  PlotView* view() const { return view_; }
  QToolButton* squareButton() const { return square_; }

  // After a run: the page, the title, the square button's offer.
  void showPage(std::shared_ptr<const PlotPage> page, const QString& title);
  // The page size a run lays its strips out on: the view's size, or the
  // default page before the window was ever shown.
  PageSpec pageSpec() const;

  // Copy: a picture of the page without its information line, as an image
  // and as SVG.
  void copy();
  // Print: the page laid out at 450 x 610 units on one sheet, without the
  // read-out.
  void print();
  // The square button: the window's width set so both axes have one scale,
  // kept while it is on; a beep when that width is out of reach.
  void makeSquare(bool on);

 signals:
  void plotFontRequested();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  double aspect() const;  // the last strip's (ymax - ymin) / (xmax - xmin)
  void placeBand();

  Dialogs& dialogs_;
  PlotView* view_;
  QToolButton* square_;
  double squareRatio_ = 0;  // width / height kept while the button is on
  bool adjusting_ = false;
};

}  // namespace orv::app
