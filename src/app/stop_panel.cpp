#include "app/stop_panel.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

namespace orv::app {

StopPanel::StopPanel(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  stop_ = new QPushButton(tr("Stop"), this);
  stop_->setObjectName("stopParser");
  auto* busy = new QProgressBar(this);
  busy->setRange(0, 0);
  busy->setTextVisible(false);
  busy->setFixedWidth(120);
  layout->addWidget(stop_);
  layout->addWidget(busy);
  connect(stop_, &QPushButton::clicked, this, &StopPanel::stopPressed);
  for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence("Ctrl+.")}) {
    auto* shortcut = new QShortcut(key, parent, nullptr, nullptr, Qt::WindowShortcut);
    shortcut->setEnabled(false);
    connect(shortcut, &QShortcut::activated, this, [this] {
      if (isVisible()) stop_->click();
    });
    keys_.push_back(shortcut);
  }
  hide();
}

void StopPanel::showEvent(QShowEvent* event) {
  for (QShortcut* key : keys_) key->setEnabled(true);
  QFrame::showEvent(event);
}

void StopPanel::hideEvent(QHideEvent* event) {
  for (QShortcut* key : keys_) key->setEnabled(false);
  QFrame::hideEvent(event);
}

void StopPanel::showAtCorner() {
  adjustSize();
  move(0, parentWidget()->height() - height());
  raise();
  show();
}

}  // namespace orv::app
