// The bar under a worksheet's text that finds a word in it: Find opens it,
// the word is found as it is typed, Enter and Find Next go to the next place
// after the cursor, Shift+Enter and Find Previous to the one before, round
// the end of the text; Escape closes it. A word found nowhere colours the
// field, and beeps when it was asked for.
#pragma once

#include <QTextCursor>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

namespace orv::app {

class Dialogs;

class FindBar : public QWidget {
  Q_OBJECT

 public:
  FindBar(QPlainTextEdit* editor, Dialogs& dialogs, QWidget* parent);

  // Shows the bar with the field ready: the text's selection becomes the
  // word when it lies on one line.
  void open();
  // Select the next or previous place of the word; false when there is
  // none, or no word yet (the bar opens to ask for one).
  bool findNext();
  bool findPrevious();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool find(bool backward);
  void findAsTyped();
  QTextCursor search(const QString& word, const QTextCursor& from, bool backward) const;
  void showFound(bool found);

  QPlainTextEdit* editor_;
  Dialogs& dialogs_;
  QLineEdit* field_;
};

}  // namespace orv::app
