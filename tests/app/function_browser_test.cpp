// The function browser as its user works it: a click in the Enabled column
// decides what the next run of any worksheet defines and what colours as a
// known word, locked rows beep, help opens once per name, and the groups'
// expanded states last from one browser to the next.
#include "app/function_browser.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTreeView>

#include "app/application.h"
#include "app/function_outline_model.h"
#include "app/syntax_overlay.h"
#include "app/worksheet_editor.h"
#include "app/worksheet_window.h"
#include "frontend/user_defaults.h"
#include "lang/addons.h"
#include "scripted_dialogs.h"

namespace orv::test {
namespace {

using app::FunctionBrowser;
using app::FunctionOutlineModel;
using app::WorksheetWindow;

// Counts the beeps the browser asks for.
class BeepingDialogs : public ScriptedDialogs {
 public:
  void beep() override { ++beeps; }
  int beeps = 0;
};

class FunctionBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Every test starts as a fresh user of the browser.
    auto store = userStore();
    for (const AddOnFunction& f : app_.registry().functions()) store->remove(f.name);
    for (const char* key : {"ExpandDvar", "ExpandBfun", "ExpandOfun"}) store->remove(key);
  }

  // The index of the row called [name] in [column], searched in the whole outline.
  static QModelIndex find(FunctionBrowser* b, const QString& name, int column) {
    const QModelIndexList hits = b->model()->match(b->model()->index(0, 0), Qt::DisplayRole, name,
                                                   1, Qt::MatchExactly | Qt::MatchRecursive);
    return hits.isEmpty() ? QModelIndex() : hits[0].siblingAtColumn(column);
  }
  // Clicks the Enabled cell of [name]'s row as the user does.
  static void clickEnable(FunctionBrowser* b, const QString& name) {
    const QModelIndex cell = find(b, name, FunctionOutlineModel::kEnable);
    ASSERT_TRUE(cell.isValid()) << name.toStdString();
    b->view()->scrollTo(cell);
    QTest::mouseClick(b->view()->viewport(), Qt::LeftButton, {},
                      b->view()->visualRect(cell).center());
  }
  static bool run(WorksheetWindow* w) {
    QSignalSpy finished(w, &WorksheetWindow::runFinished);
    return w->startRun() && finished.wait(20000);
  }
  static QString text(WorksheetWindow* w) {
    return QString::fromStdU16String(w->editor()->rawText());
  }
  // Whether the first line of [w] colours [length] characters at [start] brown.
  static bool brownAt(WorksheetWindow* w, int start, int length) {
    const QTextBlock first = w->editor()->document()->begin();
    for (const QTextLayout::FormatRange& r : first.layout()->formats())
      if (r.start == start && r.length == length &&
          r.format.foreground().color() == app::SyntaxOverlay::colourOf(kStyleBrown))
        return true;
    return false;
  }

  BeepingDialogs dialogs_;
  app::Application app_{dialogs_};
};

TEST_F(FunctionBrowserTest, AClickedSwitchDecidesTheNextRunAndTheColoursOfEveryWorksheet) {
  WorksheetWindow* w = app_.newDocument();
  w->editor()->setPlainText("max({1, 5})=\n");
  ASSERT_TRUE(run(w));
  EXPECT_EQ(text(w), "max({1, 5}):? max()?\n");
  EXPECT_FALSE(brownAt(w, 0, 3));

  FunctionBrowser* browser = app_.showFunctionBrowser();
  EXPECT_EQ(find(browser, "max", FunctionOutlineModel::kEnable).data().toString(), " ");
  clickEnable(browser, "max");
  EXPECT_EQ(find(browser, "max", FunctionOutlineModel::kEnable).data().toString(), "\u221A");
  EXPECT_EQ(find(browser, "max_", FunctionOutlineModel::kEnable).data().toString(), "-");
  EXPECT_TRUE(brownAt(w, 0, 3)) << "the open worksheet recolours at once";
  ASSERT_TRUE(run(w));
  EXPECT_EQ(text(w), "max({1, 5}):5.00\n");

  // The command line reads the same state.
  std::string unknown;
  std::vector<bool> cli = enabledFunctions(app_.registry(), std::nullopt, &unknown);
  const int slot = app_.registry().find("max");
  EXPECT_TRUE(cli[static_cast<std::size_t>(slot)]);
  EXPECT_FALSE(cli[static_cast<std::size_t>(app_.registry().find("min"))]);

  // Switching the package off takes max with it.
  clickEnable(browser, "max_");
  EXPECT_FALSE(userStore()->value("max").toBool());
  ASSERT_TRUE(run(w));
  EXPECT_EQ(text(w), "max({1, 5}):? max()?\n");
  EXPECT_EQ(dialogs_.beeps, 0);
}

TEST_F(FunctionBrowserTest, ALockedRowBeepsAndChangesNothing) {
  FunctionBrowser* browser = app_.showFunctionBrowser();
  clickEnable(browser, "sin");
  clickEnable(browser, "Defined Variables");
  EXPECT_EQ(dialogs_.beeps, 2);
  EXPECT_EQ(find(browser, "sin", FunctionOutlineModel::kEnable).data().toString(), "x");
  EXPECT_FALSE(userStore()->contains("sin"));
  // A click elsewhere on an add-on row switches nothing.
  const QModelIndex name = find(browser, "max_", FunctionOutlineModel::kDescription);
  QTest::mouseClick(browser->view()->viewport(), Qt::LeftButton, {},
                    browser->view()->visualRect(name).center());
  EXPECT_FALSE(userStore()->contains("max"));
}

TEST_F(FunctionBrowserTest, HelpOpensOncePerNameAsAnUntitledWorksheetThatRuns) {
  FunctionBrowser* browser = app_.showFunctionBrowser();
  const std::size_t before = app_.windows().size();
  const QModelIndex histogram = find(browser, "histogram", FunctionOutlineModel::kDescription);
  browser->view()->scrollTo(histogram);
  // A double-click as the window system delivers it: a click, then the double-click.
  const QPoint at = browser->view()->visualRect(histogram).center();
  QTest::mouseClick(browser->view()->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(browser->view()->viewport(), Qt::LeftButton, {}, at);
  ASSERT_EQ(app_.windows().size(), before + 1);
  WorksheetWindow* help = app_.windows().back();
  EXPECT_TRUE(help->filePath().isEmpty());
  EXPECT_EQ(help->helpName(), "histogram.ov");
  ASSERT_TRUE(browser->openHelp(find(browser, "histogram", 3)));
  ASSERT_TRUE(browser->openHelp(find(browser, "FFT_", 0)));
  EXPECT_EQ(app_.windows().size(), before + 2);
  EXPECT_EQ(app_.windows()[before], help);
  EXPECT_FALSE(browser->openHelp(find(browser, "sin", 0)));
  EXPECT_FALSE(browser->openHelp(find(browser, "Basic Functions", 0)));
  EXPECT_EQ(app_.windows().size(), before + 2);

  clickEnable(browser, "histogram");
  ASSERT_TRUE(run(help));
  EXPECT_EQ(help->statusText(), QString::fromUtf8("\u221A"));
  EXPECT_TRUE(dialogs_.errors.isEmpty()) << dialogs_.errors.join("; ").toStdString();
}

TEST_F(FunctionBrowserTest, TheGroupsOpenAsTheUserLeftThem) {
  FunctionBrowser* browser = app_.showFunctionBrowser();
  QTreeView* view = browser->view();
  auto expanded = [view, browser](const char* group) {
    return view->isExpanded(find(browser, group, 0));
  };
  // A fresh user sees the built-in functions only.
  EXPECT_FALSE(expanded("Defined Variables"));
  EXPECT_TRUE(expanded("Basic Functions"));
  EXPECT_FALSE(expanded("Optional Functions"));
  EXPECT_FALSE(userStore()->contains("ExpandBfun"));

  view->collapse(find(browser, "Basic Functions", 0));
  view->expand(find(browser, "Optional Functions", 0));
  browser->close();
  delete browser;
  EXPECT_FALSE(userStore()->value("ExpandBfun").toBool());
  EXPECT_TRUE(userStore()->value("ExpandOfun").toBool());

  browser = app_.showFunctionBrowser();
  EXPECT_FALSE(browser->view()->isExpanded(find(browser, "Basic Functions", 0)));
  EXPECT_TRUE(browser->view()->isExpanded(find(browser, "Optional Functions", 0)));
  EXPECT_FALSE(browser->view()->isExpanded(find(browser, "Defined Variables", 0)));
}

TEST_F(FunctionBrowserTest, TheWindowMenuOpensTheBrowserAndListsIt) {
  WorksheetWindow* w = app_.newDocument();
  QAction* open = w->findChild<QAction*>("showFuncWindow");
  ASSERT_TRUE(open);
  EXPECT_TRUE(open->isEnabled());
  EXPECT_EQ(app_.functionBrowser(), nullptr);
  open->trigger();
  FunctionBrowser* browser = app_.functionBrowser();
  ASSERT_TRUE(browser);
  EXPECT_TRUE(browser->isVisible());
  open->trigger();
  EXPECT_EQ(app_.functionBrowser(), browser);

  QMenu* menu = nullptr;
  for (QAction* a : w->menuBar()->actions())
    if (a->menu() && a->menu()->actions().contains(open)) menu = a->menu();
  ASSERT_TRUE(menu);
  emit menu->aboutToShow();
  QStringList entries;
  for (QAction* a : menu->actions())
    if (a->property("windowEntry").toBool()) entries << a->text();
  EXPECT_TRUE(entries.contains(browser->windowTitle())) << entries.join(", ").toStdString();
}

}  // namespace
}  // namespace orv::test
