// A worksheet window as its user works it: runs started by a typed
// backslash, one undo step per run, faults, the stop button, the overwrite
// question, and colours that stay out of the document.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <filesystem>
#include <utility>

#include "app/application.h"
#include "app/worksheet_editor.h"
#include "app/worksheet_window.h"
#include "base/macroman.h"
#include "fake_host.h"
#include "files.h"
#include "frontend/user_defaults.h"
#include "scripted_dialogs.h"
#include "session/worksheet_session.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
using app::WorksheetWindow;

class WindowTest : public ::testing::Test {
 protected:
  WorksheetWindow* window(const QString& text) {
    WorksheetWindow* w = app_.newDocument();
    w->editor()->setPlainText(text);
    return w;
  }
  // Runs [w] as a user would with Ctrl+R and waits for the result.
  static bool run(WorksheetWindow* w) {
    QSignalSpy finished(w, &WorksheetWindow::runFinished);
    if (!w->startRun()) return false;
    return finished.wait(20000);
  }
  static QString text(WorksheetWindow* w) {
    return QString::fromStdU16String(w->editor()->rawText());
  }
  static QAction* action(WorksheetWindow* w, const char* name) {
    return w->findChild<QAction*>(name);
  }

  ScriptedDialogs dialogs_;
  app::Application app_{dialogs_};
};

TEST_F(WindowTest, ATypedBackslashRunsInsteadOfGoingIntoTheText) {
  WorksheetWindow* w = window("x = 3\nx * 2 =\n");
  QSignalSpy finished(w, &WorksheetWindow::runFinished);
  w->editor()->moveCursor(QTextCursor::End);
  QTest::keyClicks(w->editor(), "\\");
  ASSERT_TRUE(finished.wait(20000));
  EXPECT_EQ(text(w), "x = 3\nx * 2 :6.00\n");
  EXPECT_EQ(w->statusText(), QString::fromUtf8("\u221A"));
  EXPECT_TRUE(w->isModified());

  // Typed alone, a no-break space and a line separator are refused too.
  QTest::keyClicks(w->editor(), QString(QChar(0x00A0)));
  EXPECT_EQ(text(w), "x = 3\nx * 2 :6.00\n");
}

TEST_F(WindowTest, OneUndoTakesBackAWholeRunAndARunThatChangesNothingAddsNoStep) {
  WorksheetWindow* w = window("a = 2\na =\nb = a^3\nb =\n");
  w->editor()->document()->setModified(false);
  ASSERT_TRUE(run(w));
  EXPECT_EQ(text(w), "a = 2\na :2.00\nb = a^3\nb :8.00\n");
  w->editor()->undo();
  EXPECT_EQ(text(w), "a = 2\na =\nb = a^3\nb =\n");
  w->editor()->redo();
  const int steps = w->editor()->document()->availableUndoSteps();
  ASSERT_TRUE(run(w));  // the same results again: no edit, no undo step
  EXPECT_EQ(w->editor()->document()->availableUndoSteps(), steps);
}

TEST_F(WindowTest, AFailedRunPutsTheCaretAtTheFaultAndHighlightsItsLine) {
  WorksheetWindow* w = window("a = 1\nb = )\nc = 2\n");
  w->editor()->moveCursor(QTextCursor::End);
  ASSERT_TRUE(run(w));
  EXPECT_FALSE(w->statusText().isEmpty());
  EXPECT_NE(w->statusText(), QString::fromUtf8("\u221A"));
  EXPECT_EQ(w->editor()->textCursor().block().blockNumber(), 1);
  ASSERT_EQ(w->editor()->extraSelections().size(), 1);
  EXPECT_EQ(w->editor()->extraSelections()[0].cursor.block().blockNumber(), 1);
  // Typing clears the status line.
  QTest::keyClicks(w->editor(), " ");
  EXPECT_TRUE(w->statusText().isEmpty());
}

TEST_F(WindowTest, StopEndsALongRunAndEveryActionWaitsForIt) {
  WorksheetWindow* w = window("i := 0 ,, (i := i + 1) while i >= 0\n");
  WorksheetWindow* other = app_.newDocument();
  QSignalSpy finished(w, &WorksheetWindow::runFinished);
  ASSERT_TRUE(w->startRun());
  EXPECT_TRUE(w->editor()->isReadOnly());
  EXPECT_TRUE(other->editor()->isReadOnly());
  for (const char* name : {"parseDocument", "saveDocument", "close", "fixFormat"}) {
    EXPECT_FALSE(action(w, name)->isEnabled()) << name;
    EXPECT_FALSE(action(other, name)->isEnabled()) << name;
  }
  EXPECT_FALSE(other->startRun());  // one run at a time
  EXPECT_FALSE(w->close());         // no closing under a run
  QPushButton* stop = w->findChild<QPushButton*>("stopParser");
  ASSERT_TRUE(stop);
  EXPECT_TRUE(stop->isVisible());
  QTest::qWait(50);
  stop->click();
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_EQ(w->statusText(), " stopped");
  EXPECT_FALSE(stop->isVisible());
  EXPECT_FALSE(w->editor()->isReadOnly());
  EXPECT_TRUE(action(other, "parseDocument")->isEnabled());
  w->editor()->setPlainText("1 + 1 =\n");
  ASSERT_TRUE(run(w));
  EXPECT_EQ(text(w), "1 + 1 :2.00\n");
}

TEST_F(WindowTest, TheOverwriteQuestionIsAnsweredThroughTheDialogs) {
  TempDir dir;
  dir.put("d.txt", "old\n");
  dir.put("sheet.ov", "write(\"d.txt\", {1, 2})\n");
  WorksheetWindow* w = app_.openFile(QString::fromStdString(dir.path("sheet.ov")));
  ASSERT_TRUE(w);
  dialogs_.overwriteAnswers = {false};
  ASSERT_TRUE(run(w));
  EXPECT_EQ(dialogs_.overwriteAsked, QStringList{"d.txt"});
  EXPECT_EQ(dir.get("d.txt"), "old\n");
  EXPECT_NE(w->statusText(), QString::fromUtf8("\u221A"));

  dialogs_.overwriteAnswers = {true};
  ASSERT_TRUE(run(w));
  EXPECT_EQ(w->statusText(), QString::fromUtf8("\u221A"));
  EXPECT_NE(dir.get("d.txt"), "old\n");
}

TEST_F(WindowTest, ThePreferenceForStrangersWorksheetsKeepsFilesInTheirFolder) {
  TempDir dir;
  dir.put("outside.txt", "1 2 3\n");
  dir.put("inner/sheet.ov", "read(\"../outside.txt\", \"TEXT\")[2] =\n");
  WorksheetWindow* w = app_.openFile(QString::fromStdString(dir.path("inner/sheet.ov")));
  ASSERT_TRUE(w);
  ASSERT_TRUE(run(w));
  EXPECT_EQ(text(w), "read(\"../outside.txt\", \"TEXT\")[2] :2.00\n");
  userStore()->setValue("ConfineFiles", "true");
  ASSERT_TRUE(run(w));
  userStore()->remove("ConfineFiles");
  EXPECT_TRUE(w->statusText().contains("outside the worksheet's folder"))
      << w->statusText().toStdString();
}

TEST_F(WindowTest, ColouringStaysOutOfTheUndoHistoryAndTheModifiedMark) {
  WorksheetWindow* w = window("x := 3 -- note\nsin(x) =\n");
  w->editor()->document()->clearUndoRedoStacks();
  w->editor()->document()->setModified(false);
  action(w, "toggleStx")->trigger();  // off
  action(w, "toggleStx")->trigger();  // on again: the whole text is coloured
  w->recolour();
  EXPECT_FALSE(w->isModified());
  EXPECT_FALSE(w->editor()->document()->isUndoAvailable());
  const QTextBlock first = w->editor()->document()->begin();
  bool blue = false;
  for (const QTextLayout::FormatRange& r : first.layout()->formats())
    blue |= r.format.foreground().color() == QColor(0, 0, 255) && r.start == 7;
  EXPECT_TRUE(blue);
}

// Every golden worksheet gives the same text and status in a window as in a
// session of the engine alone.
TEST_F(WindowTest, GoldenWorksheetsGiveTheEnginesTextAndStatus) {
  int sheets = 0;
  for (const auto& entry : fs::directory_iterator(ORVANEL_SHEETS_DIR)) {
    if (entry.path().extension() != ".ov") continue;
    const QString sheet = QString::fromStdString(readFile(entry.path()));
    FakeHost host;
    WorksheetSession engine(host);
    engine.document().text = sheet.toStdU16String();
    RunResult expected = engine.run();

    WorksheetWindow* w = window(sheet);
    ASSERT_TRUE(run(w)) << entry.path();
    // The text view holds line feeds for every kind of line end.
    QString expectedText = QString::fromStdU16String(engine.document().text);
    expectedText.replace("\r\n", "\n").replace('\r', '\n');
    EXPECT_EQ(text(w), expectedText) << entry.path();
    EXPECT_EQ(w->statusText().toStdString(), bytesToUtf8(expected.outcome.status)) << entry.path();
    w->editor()->document()->setModified(false);
    w->close();
    ++sheets;
  }
  EXPECT_GT(sheets, 100);
}

TEST_F(WindowTest, FindGoesRoundTheTextBothWaysAndBeepsForAWordThatIsNowhere) {
  WorksheetWindow* w = window("alpha = 1\nbeta = alpha\nALPHA =\n");
  w->show();
  auto* field = w->findChild<QLineEdit*>("findField");
  ASSERT_NE(field, nullptr);
  EXPECT_FALSE(field->isVisible());
  auto selection = [w] {
    const QTextCursor c = w->editor()->textCursor();
    return std::make_pair(c.selectionStart(), c.selectedText());
  };

  action(w, "find")->trigger();
  EXPECT_TRUE(field->isVisible());
  // The word is found as it is typed, the selection growing with it.
  w->editor()->moveCursor(QTextCursor::Start);
  QTest::keyClicks(field, "be");
  EXPECT_EQ(selection(), std::make_pair(10, QString("be")));
  field->clear();
  QTest::keyClicks(field, "alpha");
  EXPECT_EQ(selection(), std::make_pair(17, QString("alpha")));
  // Enter and Find Next go on from there, whatever the case of the letters,
  // and round the end.
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(selection(), std::make_pair(23, QString("ALPHA")));
  action(w, "findNext")->trigger();
  EXPECT_EQ(selection(), std::make_pair(0, QString("alpha")));
  action(w, "findNext")->trigger();
  EXPECT_EQ(selection(), std::make_pair(17, QString("alpha")));
  action(w, "findNext")->trigger();
  EXPECT_EQ(selection(), std::make_pair(23, QString("ALPHA")));
  action(w, "findNext")->trigger();
  EXPECT_EQ(selection(), std::make_pair(0, QString("alpha")));
  // Shift+Enter and Find Previous go back, round the start.
  QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(selection(), std::make_pair(23, QString("ALPHA")));
  action(w, "findPrevious")->trigger();
  EXPECT_EQ(selection(), std::make_pair(17, QString("alpha")));
  EXPECT_EQ(dialogs_.beeps, 0);

  // A word that is nowhere leaves the selection; typed, it only colours the
  // field, asked for, it beeps. The text is not touched by any of it.
  field->clear();
  QTest::keyClicks(field, "zz");
  EXPECT_EQ(dialogs_.beeps, 0);
  EXPECT_EQ(selection(), std::make_pair(17, QString("alpha")));
  field->setText("gamma");
  action(w, "findNext")->trigger();
  EXPECT_EQ(dialogs_.beeps, 1);
  EXPECT_EQ(selection(), std::make_pair(17, QString("alpha")));
  EXPECT_EQ(text(w), "alpha = 1\nbeta = alpha\nALPHA =\n");
  EXPECT_FALSE(w->isModified());

  // Escape closes the bar; Find opens it with the selected word.
  QTest::keyClick(field, Qt::Key_Escape);
  EXPECT_FALSE(field->isVisible());
  QTextCursor c = w->editor()->textCursor();
  c.setPosition(10);
  c.setPosition(14, QTextCursor::KeepAnchor);
  w->editor()->setTextCursor(c);
  action(w, "find")->trigger();
  EXPECT_TRUE(field->isVisible());
  EXPECT_EQ(field->text(), "beta");
}

TEST_F(WindowTest, ReplaceOneAtATimeOrAllAsOneUndoStepAndNotDuringARun) {
  WorksheetWindow* w = window("a = 1\nb = a + A\na =\n");
  w->show();
  auto* field = w->findChild<QLineEdit*>("findField");
  auto* replacement = w->findChild<QLineEdit*>("replaceField");
  ASSERT_NE(replacement, nullptr);
  action(w, "find")->trigger();
  EXPECT_FALSE(replacement->isVisible());
  action(w, "replace")->trigger();
  EXPECT_TRUE(replacement->isVisible());

  // Replace takes the selected place and selects the next; a place not
  // selected is only found.
  w->editor()->moveCursor(QTextCursor::Start);
  QTest::keyClicks(field, "a");
  replacement->setText("alpha");
  QTest::keyClick(replacement, Qt::Key_Return);
  EXPECT_EQ(text(w), "alpha = 1\nb = a + A\na =\n");
  EXPECT_EQ(w->editor()->textCursor().selectionStart(), 14);
  action(w, "findNext")->trigger();
  EXPECT_EQ(w->editor()->textCursor().selectedText(), "A");
  w->findChild<QToolButton*>("replaceButton")->click();
  EXPECT_EQ(text(w), "alpha = 1\nb = a + alpha\na =\n");

  // Replace All: every place, whatever its case, even when the replacement
  // holds the word; one Undo takes it all back.
  auto replaceAll = [&](const char* word, const char* with) {
    field->setText(word);
    replacement->setText(with);
    w->findChild<QToolButton*>("replaceAllButton")->click();
    return w->findChild<QLabel*>("replacedCount")->text();
  };
  EXPECT_EQ(replaceAll("A", "(a+1)"), "6 replaced");
  EXPECT_EQ(text(w), "(a+1)lph(a+1) = 1\nb = (a+1) + (a+1)lph(a+1)\n(a+1) =\n");
  action(w, "undo")->trigger();
  EXPECT_EQ(text(w), "alpha = 1\nb = a + alpha\na =\n");
  EXPECT_EQ(dialogs_.beeps, 0);

  // Match case and Whole words: only the variable a, not A nor the a's
  // inside alpha.
  w->findChild<QToolButton*>("matchCase")->setChecked(true);
  w->findChild<QToolButton*>("wholeWords")->setChecked(true);
  EXPECT_EQ(replaceAll("a", "x"), "2 replaced");
  EXPECT_EQ(text(w), "alpha = 1\nb = x + alpha\nx =\n");
  action(w, "undo")->trigger();
  EXPECT_EQ(replaceAll("ALPHA", "x"), "0 replaced");
  EXPECT_EQ(dialogs_.beeps, 1) << "ALPHA is nowhere when case matters";
  w->findChild<QToolButton*>("matchCase")->setChecked(false);
  w->findChild<QToolButton*>("wholeWords")->setChecked(false);

  // Nothing to replace, or a run going on: the text stays, with a beep.
  replaceAll("zz", "x");
  EXPECT_EQ(dialogs_.beeps, 2);
  app_.setBusy(true);
  EXPECT_FALSE(action(w, "replace")->isEnabled());
  replaceAll("alpha", "x");
  EXPECT_EQ(dialogs_.beeps, 3);
  app_.setBusy(false);
  EXPECT_EQ(text(w), "alpha = 1\nb = a + alpha\na =\n");

  // A name goes on through '_': a_1 is no place of the whole word a.
  w->editor()->setPlainText("a_1 = a + _a\n");
  w->findChild<QToolButton*>("wholeWords")->setChecked(true);
  EXPECT_EQ(replaceAll("a", "x"), "1 replaced");
  EXPECT_EQ(text(w), "a_1 = x + _a\n");
}

}  // namespace
}  // namespace orv::test
