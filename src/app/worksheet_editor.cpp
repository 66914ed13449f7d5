#include "app/worksheet_editor.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

namespace orv::app {

WorksheetEditor::WorksheetEditor(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setInputMethodHints(Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
  setTabChangesFocus(false);
}

std::u16string WorksheetEditor::rawText() const {
  QString text = document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  return text.toStdU16String();
}

bool WorksheetEditor::interceptSingle(const QString& text) {
  if (text.size() != 1) return false;
  const char16_t c = text[0].unicode();
  if (c == u'\\') {
    if (!isReadOnly()) emit runRequested();
    return true;
  }
  return c < 7 || c == 0x00A0 || c == 0x2028;
}

void WorksheetEditor::keyPressEvent(QKeyEvent* event) {
  // Shift+Return would insert a line separator.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      (event->modifiers() & Qt::ShiftModifier)) {
    event->accept();
    return;
  }
  if (!(event->modifiers() & Qt::ControlModifier) && interceptSingle(event->text())) {
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void WorksheetEditor::inputMethodEvent(QInputMethodEvent* event) {
  if (event->preeditString().isEmpty() && interceptSingle(event->commitString())) {
    event->accept();
    return;
  }
  QPlainTextEdit::inputMethodEvent(event);
}

void WorksheetEditor::insertFromMimeData(const QMimeData* source) {
  if (source->hasText() && interceptSingle(source->text())) return;
  QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace orv::app
