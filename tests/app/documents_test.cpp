// Documents in windows: save, reopen and revert keep text, settings and
// labels; includes open the other document; fonts are stored in whole
// points; help opens once.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "app/application.h"
#include "app/preferences_window.h"
#include "app/worksheet_editor.h"
#include "app/worksheet_window.h"
#include "files.h"
#include "frontend/user_defaults.h"
#include "scripted_dialogs.h"

namespace orv::test {
namespace {

using app::WorksheetWindow;

class DocumentsTest : public ::testing::Test {
 protected:
  static bool run(WorksheetWindow* w) {
    QSignalSpy finished(w, &WorksheetWindow::runFinished);
    return w->startRun() && finished.wait(20000);
  }
  static QString text(WorksheetWindow* w) {
    return QString::fromStdU16String(w->editor()->rawText());
  }
  QString path(const std::string& name) { return QString::fromStdString(dir_.path(name)); }

  TempDir dir_;
  ScriptedDialogs dialogs_;
  app::Application app_{dialogs_};
};

TEST_F(DocumentsTest, SaveReopenAndRevertKeepTextSettingsAndLabels) {
  WorksheetWindow* w = app_.newDocument();
  w->editor()->setPlainText("plot X\nslabel \"peak\"\n1/30000 =\n");
  w->findChild<QAction*>("sciFormat")->trigger();
  EXPECT_FALSE(w->isModified() && w->editor()->document()->availableUndoSteps() == 0);
  w->session().document().slabels = {{0.25, 0.75}};
  ASSERT_TRUE(run(w));
  EXPECT_EQ(text(w), "plot X\nslabel \"peak\"\n1/30000 :3.3e-05\n");

  // The first save of a new document asks for a name and a form.
  dialogs_.saveTargets = {app::SaveTarget{path("sheet.ov"), DocForm::kRtf}};
  ASSERT_TRUE(w->save());
  EXPECT_EQ(dialogs_.saveAsAsked, 1);
  EXPECT_FALSE(w->isModified());
  EXPECT_EQ(w->displayName(), "sheet.ov");
  const std::string saved = dir_.get("sheet.ov");
  EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u);
  EXPECT_NE(saved.find("sci 2"), std::string::npos);
  EXPECT_NE(saved.find(";lab 250 750"), std::string::npos);
  ASSERT_TRUE(w->save());  // now it has a name
  EXPECT_EQ(dialogs_.saveAsAsked, 1);
  w->close();

  WorksheetWindow* again = app_.openFile(path("sheet.ov"));
  ASSERT_TRUE(again);
  EXPECT_EQ(text(again), "plot X\nslabel \"peak\"\n1/30000 :3.3e-05\n");
  EXPECT_EQ(again->session().document().prefs.numfmt, 0);
  ASSERT_EQ(again->session().document().slabels.size(), 1u);
  EXPECT_EQ(app_.openFile(path("sheet.ov")), again);  // an open file comes forward

  again->editor()->setPlainText("changed\n");
  ASSERT_TRUE(again->revert());
  EXPECT_EQ(text(again), "plot X\nslabel \"peak\"\n1/30000 :3.3e-05\n");
  EXPECT_EQ(again->session().document().slabels.size(), 1u);  // replaced, not appended
  EXPECT_FALSE(again->isModified());
}

TEST_F(DocumentsTest, PlainTextStaysPlainAndACancelledSaveAsKeepsAsking) {
  dir_.put("notes.txt", "x = 2\r\nx =\r\n");
  WorksheetWindow* w = app_.openFile(path("notes.txt"));
  ASSERT_TRUE(w);
  ASSERT_TRUE(run(w));
  dialogs_.saveTargets = {app::SaveTarget{}};
  EXPECT_FALSE(w->save());  // a plain file is first saved through Save As: cancelled
  dialogs_.saveTargets = {app::SaveTarget{path("notes.txt"), DocForm::kPlain}};
  ASSERT_TRUE(w->save());
  EXPECT_EQ(dir_.get("notes.txt"), "x = 2\r\nx :2.00\r\n");
  EXPECT_EQ(dialogs_.saveAsAsked, 2);
}

TEST_F(DocumentsTest, PrintingWritesTheColouredTextAndLeavesTheDocumentAlone) {
  WorksheetWindow* w = app_.newDocument();
  QTest::keyClicks(w->editor(), "x = 2 -- a note");
  const int steps = w->editor()->document()->availableUndoSteps();
  dialogs_.printTo = path("sheet.pdf");
  w->printDocument();
  EXPECT_EQ(dir_.get("sheet.pdf").rfind("%PDF", 0), 0u);
  EXPECT_EQ(w->editor()->document()->availableUndoSteps(), steps);
}

TEST_F(DocumentsTest, ClosingAskAboutUnsavedChanges) {
  WorksheetWindow* w = app_.newDocument();
  QTest::keyClicks(w->editor(), "1 =");
  dialogs_.saveAnswers = {app::SaveAnswer::kCancel};
  EXPECT_FALSE(w->close());
  dialogs_.saveAnswers = {app::SaveAnswer::kDiscard};
  EXPECT_TRUE(w->close());
  EXPECT_EQ(dialogs_.saveAsked, 2);
}

TEST_F(DocumentsTest, IncludeOpensTheOtherDocumentAndUsesItsUnsavedText) {
  dir_.put("units.ov", "inch = 25.4\n");
  dir_.put("main.ov", "include \"units.ov\"\n2 * inch =\n");
  WorksheetWindow* main = app_.openFile(path("main.ov"));
  ASSERT_TRUE(run(main));
  EXPECT_EQ(text(main), "include \"units.ov\"\n2 * inch :50.80\n");
  WorksheetWindow* units = app_.findFile(path("units.ov"));
  ASSERT_TRUE(units);
  EXPECT_EQ(units->statusText(), "included by: main.ov");

  units->editor()->setPlainText("inch = 25\n");  // not saved: the open text counts
  ASSERT_TRUE(run(main));
  EXPECT_EQ(text(main), "include \"units.ov\"\n2 * inch :50.00\n");
  EXPECT_EQ(app_.windows().size(), 2u);

  units->editor()->setPlainText("inch = )\n");
  ASSERT_TRUE(run(main));
  EXPECT_EQ(main->statusText(), " error in include file");
  QTest::qWait(50);  // the included window's fault arrives as a queued call
  EXPECT_NE(units->statusText(), "included by: main.ov");
}

TEST_F(DocumentsTest, PreferencesStoreFontSizesInWholePoints) {
  app::PreferencesWindow prefs(dialogs_);
  QFont chosen("DejaVu Sans");
  chosen.setPointSizeF(13.5);
  dialogs_.fonts = {chosen};
  prefs.changeTextFont();
  auto store = userStore();
  EXPECT_EQ(store->value("TextFontSize").toInt(), 13);
  EXPECT_EQ(store->value("TextFont").toString(), "DejaVu Sans");
  EXPECT_FALSE(store->contains("PlotFont"));  // defaults are never written
}

TEST_F(DocumentsTest, HelpOpensOnceAndStaysUntitled) {
  WorksheetWindow* help = app_.showHelp();
  ASSERT_TRUE(help) << dialogs_.errors.join("; ").toStdString();
  EXPECT_EQ(app_.showHelp(), help);
  EXPECT_TRUE(help->filePath().isEmpty());
  EXPECT_TRUE(help->session().documentPath().empty());
  ASSERT_TRUE(run(help));
  EXPECT_EQ(help->statusText(), QString::fromUtf8("\u221A"));
}

TEST_F(DocumentsTest, OpenRecentListsFilesOpenedOrSavedNewestFirst) {
  app_.clearRecentFiles();
  dir_.put("a.ov", "a = 1\n");
  dir_.put("b.ov", "b = 2\n");
  WorksheetWindow* a = app_.openFile(path("a.ov"));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(app_.openFile(path("b.ov")), nullptr);
  EXPECT_EQ(app_.recentFiles(), QStringList({path("b.ov"), path("a.ov")}));
  // Opening a file again, or saving one under a new name, puts it first.
  app_.openFile(path("a.ov"));
  EXPECT_EQ(app_.recentFiles(), QStringList({path("a.ov"), path("b.ov")}));
  dialogs_.saveTargets = {app::SaveTarget{path("c.ov"), DocForm::kPlain}};
  ASSERT_TRUE(a->saveAs());
  EXPECT_EQ(app_.recentFiles().first(), path("c.ov"));

  // The menu of any window, filled as it opens: a file gone from the disk
  // is reported, not opened.
  auto* menu = a->findChild<QMenu*>("openRecent");
  ASSERT_NE(menu, nullptr);
  emit menu->aboutToShow();
  QList<QAction*> items;
  for (QAction* item : menu->actions())
    if (!item->data().toString().isEmpty()) items.push_back(item);
  ASSERT_EQ(items.size(), 3);
  EXPECT_EQ(items[2]->data().toString(), path("b.ov"));
  std::filesystem::remove(dir_.path("b.ov"));
  items[2]->trigger();
  EXPECT_EQ(dialogs_.errors.size(), 1);
  EXPECT_EQ(app_.windows().size(), 2u);

  menu->actions().last()->trigger();  // Clear Menu
  EXPECT_TRUE(app_.recentFiles().isEmpty());
  emit menu->aboutToShow();
  ASSERT_EQ(menu->actions().size(), 3);  // "No Recent Files", a line, Clear Menu
  EXPECT_FALSE(menu->actions().first()->isEnabled());
  EXPECT_FALSE(menu->actions().last()->isEnabled());
}

}  // namespace
}  // namespace orv::test
