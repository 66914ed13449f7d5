#include "app/find_bar.h"

#include <QFont>
#include <QGridLayout>
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
  // Two rows in one grid, so that the fields and buttons line up.
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 3, 6, 3);
  grid->setVerticalSpacing(3);
  grid->setColumnStretch(1, 1);
  auto field = [this](const char* name) {
    auto* f = new QLineEdit(this);
    f->setObjectName(name);
    f->setClearButtonEnabled(true);
    f->installEventFilter(this);
    return f;
  };
  auto button = [this](const QString& text, const char* name) {
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setObjectName(name);
    b->setAutoRaise(true);
    return b;
  };
  field_ = field("findField");
  // Two small switches, as editors draw them: "Aa" for case, an underlined
  // "ab" for whole words; their tips say it in words.
  auto option = [&button](const QString& text, const char* name, const QString& tip) {
    QToolButton* b = button(text, name);
    b->setCheckable(true);
    b->setToolTip(tip);
    return b;
  };
  matchCase_ = option(tr("Aa"), "matchCase", tr("Match case"));
  wholeWords_ = option(tr("ab"), "wholeWords", tr("Whole words"));
  QFont underlined = wholeWords_->font();
  underlined.setUnderline(true);
  wholeWords_->setFont(underlined);
  auto* previous = button(tr("Previous"), "findPreviousButton");
  auto* next = button(tr("Next"), "findNextButton");
  auto* close = button(tr("Close"), "findCloseButton");
  const QList<QWidget*> findRow = {
      new QLabel(tr("Find:"), this), field_, matchCase_, wholeWords_, previous, next, close};
  for (int column = 0; column < findRow.size(); ++column)
    grid->addWidget(findRow[column], 0, column);
  replacement_ = field("replaceField");
  auto* replaceOne = button(tr("Replace"), "replaceButton");
  auto* replaceEvery = button(tr("Replace All"), "replaceAllButton");
  replaced_ = new QLabel(this);
  replaced_->setObjectName("replacedCount");
  replaceRow_ = {new QLabel(tr("Replace with:"), this), replacement_, replaceOne, replaceEvery,
                 replaced_};
  // Under the word's field, and the buttons under the find row's buttons.
  const int replaceColumns[] = {0, 1, 4, 5, 6};
  for (std::size_t i = 0; i < replaceRow_.size(); ++i)
    grid->addWidget(replaceRow_[i], 1, replaceColumns[i]);
  // Tab goes from the word to its replacement, then to the buttons.
  setTabOrder(field_, replacement_);
  setTabOrder(replacement_, matchCase_);

  connect(previous, &QToolButton::clicked, this, &FindBar::findPrevious);
  connect(next, &QToolButton::clicked, this, &FindBar::findNext);
  connect(close, &QToolButton::clicked, this, [this] {
    hide();
    editor_->setFocus();
  });
  connect(replaceOne, &QToolButton::clicked, this, &FindBar::replace);
  connect(replaceEvery, &QToolButton::clicked, this, &FindBar::replaceAll);
  connect(field_, &QLineEdit::textEdited, this, &FindBar::findAsTyped);
  connect(field_, &QLineEdit::textChanged, replaced_, &QLabel::clear);
  for (QToolButton* option : {matchCase_, wholeWords_})
    connect(option, &QToolButton::toggled, this, [this] {
      replaced_->clear();
      findAsTyped();
    });
  hide();
}

void FindBar::showReplaceRow(bool shown) {
  for (QWidget* w : replaceRow_) w->setVisible(shown);
}

void FindBar::open() {
  showReplaceRow(false);
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

void FindBar::openReplace() {
  open();
  replaced_->clear();
  showReplaceRow(true);
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

namespace {

// Letters, digits and '_' make up the names of worksheets.
bool isNameCharacter(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

}  // namespace

// The selection is a place of the word, as nextPlace would find it.
bool FindBar::selectionIsWord() const {
  const QString word = field_->text();
  const QTextCursor selection = editor_->textCursor();
  const Qt::CaseSensitivity cs = matchCase_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
  return !word.isEmpty() && selection.selectedText().compare(word, cs) == 0 &&
         standsAlone(selection);
}

// The text cannot change while a run goes on (the editor is read-only).
bool FindBar::canReplace() {
  if (!editor_->isReadOnly()) return true;
  dialogs_.beep();
  return false;
}

bool FindBar::replace() {
  if (field_->text().isEmpty()) {
    openReplace();
    return false;
  }
  if (!canReplace()) return false;
  if (selectionIsWord()) {
    QTextCursor c = editor_->textCursor();
    c.insertText(replacement_->text());
    editor_->setTextCursor(c);
  }
  return find(false);
}

int FindBar::replaceAll() {
  const QString word = field_->text();
  if (word.isEmpty()) {
    openReplace();
    return 0;
  }
  if (!canReplace()) return 0;
  QTextDocument* doc = editor_->document();
  QTextCursor edit(doc);
  edit.beginEditBlock();
  int count = 0;
  for (QTextCursor at = nextPlace(word, QTextCursor(doc), false); !at.isNull();
       at = nextPlace(word, at, false)) {
    at.insertText(replacement_->text());
    ++count;
  }
  edit.endEditBlock();
  showFound(count > 0);
  replaced_->setText(tr("%n replaced", nullptr, count));
  if (count == 0) dialogs_.beep();
  return count;
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

// Whole words are told apart here rather than by QTextDocument, which takes
// '_' for a word's end where names go on.
bool FindBar::standsAlone(const QTextCursor& place) const {
  if (!wholeWords_->isChecked()) return true;
  const QTextDocument* doc = editor_->document();
  const int start = place.selectionStart(), end = place.selectionEnd();
  return (start == 0 || !isNameCharacter(doc->characterAt(start - 1))) &&
         !isNameCharacter(doc->characterAt(end));
}

// The next place of [word] from [from] in one direction, or none.
QTextCursor FindBar::nextPlace(const QString& word, const QTextCursor& from, bool backward) const {
  QTextDocument* doc = editor_->document();
  QTextDocument::FindFlags flags;
  if (backward) flags |= QTextDocument::FindBackward;
  if (matchCase_->isChecked()) flags |= QTextDocument::FindCaseSensitively;
  for (QTextCursor at = doc->find(word, from, flags); !at.isNull(); at = doc->find(word, at, flags))
    if (standsAlone(at)) return at;
  return QTextCursor();
}

QTextCursor FindBar::search(const QString& word, const QTextCursor& from, bool backward) const {
  QTextDocument* doc = editor_->document();
  QTextCursor found = nextPlace(word, from, backward);
  if (found.isNull()) {
    // Round the end of the text to its other end.
    QTextCursor end(doc);
    if (backward) end.movePosition(QTextCursor::End);
    found = nextPlace(word, end, backward);
  }
  return found;
}

void FindBar::showFound(bool found) {
  field_->setStyleSheet(found ? QString() : QStringLiteral("QLineEdit { background: #f6caca; }"));
}

// Enter finds the next place (in the replacement field: replaces and finds
// it), Shift+Enter the one before, Escape closes.
bool FindBar::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == field_ || watched == replacement_) && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (watched == replacement_)
        replace();
      else
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
