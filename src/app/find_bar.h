// The bar under a worksheet's text that finds a word in it: Find opens it,
// the word is found as it is typed, Enter and Find Next go to the next place
// after the cursor, Shift+Enter and Find Previous to the one before, round
// the end of the text; Escape closes it. A word found nowhere colours the
// field, and beeps when it was asked for. Case is aside, and a word may stand
// inside another, unless Match case and Whole words say otherwise. Replace
// opens the bar with a second row that replaces the selected place and finds
// the next, or every place at once as one step of the undo history.
#pragma once

#include <QTextCursor>
#include <QWidget>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace orv::app {

class Dialogs;

class FindBar : public QWidget {
  Q_OBJECT

 public:
  FindBar(QPlainTextEdit* editor, Dialogs& dialogs, QWidget* parent);

  // Shows the bar with the field ready: the text's selection becomes the
  // word when it lies on one line.
  void open();
  // The same with the replacement row as well.
  void openReplace();
  // Select the next or previous place of the word; false when there is
  // none, or no word yet (the bar opens to ask for one).
  bool findNext();
  bool findPrevious();
  // Replaces the place of the word that is selected, if one is, and selects
  // the next; false (with a beep) when the text cannot change or the word
  // is nowhere.
  bool replace();
  // Replaces every place of the word; how many.
  int replaceAll();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool find(bool backward);
  bool canReplace();
  bool selectionIsWord() const;
  bool standsAlone(const QTextCursor& place) const;
  void findAsTyped();
  QTextCursor nextPlace(const QString& word, const QTextCursor& from, bool backward) const;
  QTextCursor search(const QString& word, const QTextCursor& from, bool backward) const;
  void showFound(bool found);
  void showReplaceRow(bool shown);

  QPlainTextEdit* editor_;
  Dialogs& dialogs_;
  QLineEdit* field_;
  QToolButton* matchCase_;
  QToolButton* wholeWords_;
  std::vector<QWidget*> replaceRow_;  // label, field, buttons, count
  QLineEdit* replacement_;
  QLabel* replaced_;  // what Replace All did
};

}  // namespace orv::app
