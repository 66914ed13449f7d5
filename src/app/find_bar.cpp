#include "app/find_bar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QToolButton>

#include "app/dialogs.h"

namespace orv::app {

FindBar::FindBar(QPlainTextEdit* editor, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), editor_(editor), dialogs_(dialogs) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 3, 6, 3);
  layout->addWidget(new QLabel(tr("Find:"), this));
  field_ = new QLineEdit(this);
  field_->setObjectName("findField");
  field_->setClearButtonEnabled(true);
  field_->installEventFilter(this);
  layout->addWidget(field_, 1);
  auto button = [this, layout](const QString& text, const char* name) {
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setObjectName(name);
    b->setAutoRaise(true);
    layout->addWidget(b);
    return b;
  };
  connect(button(tr("Previous"), "findPreviousButton"), &QToolButton::clicked, this,
          &FindBar::findPrevious);
  connect(button(tr("Next"), "findNextButton"), &QToolButton::clicked, this, &FindBar::findNext);
  connect(button(tr("Close"), "findCloseButton"), &QToolButton::clicked, this, [this] {
    hide();
    editor_->setFocus();
  });
  connect(field_, &QLineEdit::textEdited, this, &FindBar::findAsTyped);
  hide();
}

void FindBar::open() {
  const QString selected = editor_->textCursor().selectedText();
  // A selection over a line end holds U+2029 in its text: not a word.
  if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) {
    field_->setText(selected);
    showFound(true);
  }
  show();
  field_->setFocus();
  field_->selectAll();
}

bool FindBar::findNext() { return find(false); }
bool FindBar::findPrevious() { return find(true); }

bool FindBar::find(bool backward) {
  const QString word = field_->text();
  if (word.isEmpty()) {
    open();
    return false;
  }
  const QTextCursor found = search(word, editor_->textCursor(), backward);
  showFound(!found.isNull());
  if (found.isNull()) {
    dialogs_.beep();
    return false;
  }
  editor_->setTextCursor(found);
  editor_->ensureCursorVisible();
  return true;
}

// While the word is typed, the first place from where the selection starts
// is selected, so that the selection grows with the word; a word found
// nowhere only colours the field.
void FindBar::findAsTyped() {
  const QString word = field_->text();
  if (word.isEmpty()) {
    showFound(true);
    return;
  }
  QTextCursor from = editor_->textCursor();
  from.setPosition(from.selectionStart());
  const QTextCursor found = search(word, from, false);
  showFound(!found.isNull());
  if (found.isNull()) return;
  editor_->setTextCursor(found);
  editor_->ensureCursorVisible();
}

QTextCursor FindBar::search(const QString& word, const QTextCursor& from, bool backward) const {
  QTextDocument* doc = editor_->document();
  const QTextDocument::FindFlags flags =
      backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  QTextCursor found = doc->find(word, from, flags);
  if (found.isNull()) {
    // Round the end of the text to its other end.
    QTextCursor end(doc);
    if (backward) end.movePosition(QTextCursor::End);
    found = doc->find(word, end, flags);
  }
  return found;
}

void FindBar::showFound(bool found) {
  field_->setStyleSheet(found ? QString() : QStringLiteral("QLineEdit { background: #f6caca; }"));
}

// Enter finds the next place, Shift+Enter the one before, Escape closes.
bool FindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == field_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      find(key->modifiers() & Qt::ShiftModifier);
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      hide();
      editor_->setFocus();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace orv::app
