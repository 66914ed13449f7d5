// The worksheet's text view. A single typed or pasted backslash does not go
// into the text: it asks for a run. Characters that have no place in a
// worksheet (controls below 7, the no-break space, the line separator) are
// refused when typed alone.
#pragma once

#include <QPlainTextEdit>

namespace orv::app {

class WorksheetEditor : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit WorksheetEditor(QWidget* parent = nullptr);

  // The text as the engine sees it: paragraph separators as line feeds,
  // every other character as it is.
  std::u16string rawText() const;

 signals:
  void runRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // True when the one-character [text] is handled here instead of inserted.
  bool interceptSingle(const QString& text);
};

}  // namespace orv::app
