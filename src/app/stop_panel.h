// The panel a running worksheet shows at its window's lower left: a Stop
// button and a busy indicator. Escape and Ctrl+. press Stop.
#pragma once

#include <QFrame>

class QPushButton;

namespace orv::app {

class StopPanel : public QFrame {
  Q_OBJECT

 public:
  explicit StopPanel(QWidget* parent);
  // Shows the panel at the lower left corner of its parent.
  void showAtCorner();
  QPushButton* stopButton() const { return stop_; }

 signals:
  void stopPressed();

 private:
  QPushButton* stop_;
};

}  // namespace orv::app
