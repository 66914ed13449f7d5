// The preferences window: the user defaults that new documents and
// `orvanel run` start from, stored in the settings store as soon as they
// change. Open documents keep their own settings.
#pragma once

#include <QWidget>

class QPushButton;
class QSettings;

namespace orv::app {

class Dialogs;

class PreferencesWindow : public QWidget {
  Q_OBJECT

 public:
  explicit PreferencesWindow(Dialogs& dialogs, QWidget* parent = nullptr);
  ~PreferencesWindow() override;

  // The font buttons' actions: the chosen font's family and its size in
  // whole points (truncated) are stored.
  void changeTextFont();
  void changePlotFont();

 private:
  void changeFont(const char* nameKey, const char* sizeKey, QPushButton* button,
                  const QString& title);
  void showFont(const char* nameKey, const char* sizeKey, QPushButton* button);

  Dialogs& dialogs_;
  std::unique_ptr<QSettings> store_;
  QPushButton* textFont_;
  QPushButton* plotFont_;
};

}  // namespace orv::app
