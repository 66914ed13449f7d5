// The panel a running worksheet shows at its window's lower left: a Stop
// button and a busy indicator. While it shows, Escape and Ctrl+. press Stop;
// at other times those keys are the focused widget's.
#pragma once

#include <QFrame>
#include <vector>

class QPushButton;
class QShortcut;

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

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QPushButton* stop_;
  std::vector<QShortcut*> keys_;
};

}  // namespace orv::app
