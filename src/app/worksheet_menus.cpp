// The menus of a worksheet window: File, Edit, Calculate, Format, Window
// and Help, with their shortcuts, and the Open Recent list filled as it
// opens.
#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "app/application.h"
#include "app/find_bar.h"
#include "app/function_browser.h"
#include "app/plot_window.h"
#include "app/worksheet_editor.h"
#include "app/worksheet_window.h"

namespace orv::app {

void WorksheetWindow::buildMenus() {
  auto action = [this](QMenu* menu, const QString& title, const char* name,
                       const QKeySequence& key = {}) {
    QAction* a = menu->addAction(title);
    a->setObjectName(name);
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
  };

  QMenu* file = menuBar()->addMenu(tr("&File"));
  newAction_ = action(file, tr("&New"), "newDocument", QKeySequence::New);
  connect(newAction_, &QAction::triggered, &app_, [this] { app_.newDocument(); });
  openAction_ = action(file, tr("&Open..."), "openDocument", QKeySequence::Open);
  connect(openAction_, &QAction::triggered, this, [this] {
    for (const QString& path : app_.dialogs().openFiles(this)) app_.openFile(path);
  });
  QMenu* recent = file->addMenu(tr("Open &Recent"));
  recent->setObjectName("openRecent");
  connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillRecentMenu(recent); });
  file->addSeparator();
  closeAction_ = action(file, tr("&Close"), "close", QKeySequence::Close);
  connect(closeAction_, &QAction::triggered, this, &QWidget::close);
  saveAction_ = action(file, tr("&Save"), "saveDocument", QKeySequence::Save);
  connect(saveAction_, &QAction::triggered, this, &WorksheetWindow::save);
  saveAsAction_ = action(file, tr("Save &As..."), "saveDocumentAs", QKeySequence("Ctrl+Shift+S"));
  connect(saveAsAction_, &QAction::triggered, this, &WorksheetWindow::saveAs);
  revertAction_ = action(file, tr("&Revert to Saved"), "revertDocumentToSaved");
  connect(revertAction_, &QAction::triggered, this, &WorksheetWindow::revert);
  file->addSeparator();
  printAction_ = action(file, tr("&Print..."), "printDocument", QKeySequence::Print);
  connect(printAction_, &QAction::triggered, this, &WorksheetWindow::printDocument);
  printPlotAction_ = action(file, tr("Print P&lot..."), "printPLOT", QKeySequence("Ctrl+Shift+P"));
  connect(printPlotAction_, &QAction::triggered, this, [this] { plotWindow_->print(); });
  file->addSeparator();
  QAction* quit = action(file, tr("&Quit"), "quit", QKeySequence::Quit);
  connect(quit, &QAction::triggered, &app_, [this] { app_.quit(); });

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  QAction* undo = action(edit, tr("&Undo"), "undo", QKeySequence::Undo);
  connect(undo, &QAction::triggered, editor_, &QPlainTextEdit::undo);
  QAction* redo = action(edit, tr("&Redo"), "redo", QKeySequence("Ctrl+Shift+Z"));
  connect(redo, &QAction::triggered, editor_, &QPlainTextEdit::redo);
  edit->addSeparator();
  connect(action(edit, tr("Cu&t"), "cut", QKeySequence::Cut), &QAction::triggered, editor_,
          &QPlainTextEdit::cut);
  connect(action(edit, tr("&Copy"), "copy", QKeySequence::Copy), &QAction::triggered, editor_,
          &QPlainTextEdit::copy);
  connect(action(edit, tr("&Paste"), "paste", QKeySequence::Paste), &QAction::triggered, editor_,
          &QPlainTextEdit::paste);
  connect(action(edit, tr("Select &All"), "selectAll", QKeySequence::SelectAll),
          &QAction::triggered, editor_, &QPlainTextEdit::selectAll);
  edit->addSeparator();
  connect(action(edit, tr("&Find..."), "find", QKeySequence::Find), &QAction::triggered, findBar_,
          &FindBar::open);
  connect(action(edit, tr("Find &Next"), "findNext", QKeySequence::FindNext), &QAction::triggered,
          findBar_, &FindBar::findNext);
  connect(action(edit, tr("Find Pre&vious"), "findPrevious", QKeySequence::FindPrevious),
          &QAction::triggered, findBar_, &FindBar::findPrevious);
  // Not QKeySequence::Replace: some desktops make that Ctrl+R, which runs.
  replaceAction_ = action(edit, tr("Rep&lace..."), "replace", QKeySequence("Ctrl+H"));
  connect(replaceAction_, &QAction::triggered, findBar_, &FindBar::openReplace);
  edit->addSeparator();
  QAction* prefs = action(edit, tr("Pr&eferences..."), "showPreferences", QKeySequence("Ctrl+,"));
  connect(prefs, &QAction::triggered, &app_, [this] { app_.showPreferences(); });

  QMenu* calculate = menuBar()->addMenu(tr("&Calculate"));
  runAction_ = action(calculate, tr("&Calculate"), "parseDocument", QKeySequence("Ctrl+R"));
  connect(runAction_, &QAction::triggered, this, &WorksheetWindow::startRun);

  formatMenu_ = menuBar()->addMenu(tr("F&ormat"));
  formatGroup_ = new QActionGroup(this);
  const char* formatNames[] = {"sciFormat", "engFormat", "fixFormat"};
  const QString formatTitles[] = {tr("&Scientific"), tr("&Engineering"), tr("&Fixed")};
  for (int f = 0; f < 3; ++f) {
    QAction* a = action(formatMenu_, formatTitles[f], formatNames[f]);
    a->setCheckable(true);
    a->setData(f);
    formatGroup_->addAction(a);
    connect(a, &QAction::triggered, this, [this, f] { setNumberFormat(f); });
  }
  QMenu* places = formatMenu_->addMenu(tr("&Places"));
  placesGroup_ = new QActionGroup(this);
  for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 15}) {
    QAction* a = places->addAction(QString::number(n));
    a->setObjectName("setPlaces");
    a->setCheckable(true);
    a->setData(n);
    placesGroup_->addAction(a);
    connect(a, &QAction::triggered, this, [this, n] { setPlaces(n); });
  }
  formatMenu_->addSeparator();
  angleGroup_ = new QActionGroup(this);
  QAction* deg = action(formatMenu_, tr("&Degrees"), "useDeg");
  QAction* rad = action(formatMenu_, tr("&Radians"), "useRad");
  for (QAction* a : {deg, rad}) {
    a->setCheckable(true);
    angleGroup_->addAction(a);
  }
  connect(deg, &QAction::triggered, this, [this] { setDegrees(true); });
  connect(rad, &QAction::triggered, this, [this] { setDegrees(false); });
  formatMenu_->addSeparator();
  colouringAction_ = action(formatMenu_, tr("Syntax &Colouring"), "toggleStx");
  colouringAction_->setCheckable(true);
  connect(colouringAction_, &QAction::triggered, this, &WorksheetWindow::setColouring);
  QAction* plotFont = action(formatMenu_, tr("Plot &Font..."), "changePlotFont");
  connect(plotFont, &QAction::triggered, this, &WorksheetWindow::changePlotFont);
  connect(formatMenu_, &QMenu::aboutToShow, this, &WorksheetWindow::updateFormatChecks);

  QMenu* window = menuBar()->addMenu(tr("&Window"));
  QAction* browser =
      action(window, tr("&Function Browser"), "showFuncWindow", QKeySequence("Ctrl+Shift+F"));
  connect(browser, &QAction::triggered, &app_, [this] { app_.showFunctionBrowser(); });
  window->addSeparator();
  connect(window, &QMenu::aboutToShow, this, [this, window] {
    for (QAction* a : window->actions())
      if (a->property("windowEntry").toBool()) window->removeAction(a), a->deleteLater();
    for (WorksheetWindow* w : app_.windows()) {
      QAction* entry = window->addAction(w->displayName());
      entry->setProperty("windowEntry", true);
      entry->setCheckable(true);
      entry->setChecked(w == this);
      connect(entry, &QAction::triggered, w, [w] {
        w->show();
        w->raise();
        w->activateWindow();
      });
    }
    if (FunctionBrowser* b = app_.functionBrowser(); b && b->isVisible()) {
      QAction* entry = window->addAction(b->windowTitle());
      entry->setProperty("windowEntry", true);
      connect(entry, &QAction::triggered, &app_, [this] { app_.showFunctionBrowser(); });
    }
  });

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  QAction* guide = action(help, tr("Orvanel &Help"), "showGenHelp", QKeySequence::HelpContents);
  connect(guide, &QAction::triggered, &app_, [this] { app_.showHelp(); });
  QAction* about = action(help, tr("&About Orvanel"), "about");
  connect(about, &QAction::triggered, this, [this] {
    QMessageBox::about(this, tr("About Orvanel"),
                       tr("Orvanel, a worksheet calculator: an engineer's notebook that "
                          "computes."));
  });
  updateFormatChecks();
}

// The recent files, each under its name with its folder beside it, and a
// way to forget them all.
void WorksheetWindow::fillRecentMenu(QMenu* menu) {
  menu->clear();
  const QStringList files = app_.recentFiles();
  for (const QString& path : files) {
    const QFileInfo info(path);
    QAction* a = menu->addAction(tr("%1 — %2").arg(info.fileName(), info.absolutePath()));
    a->setData(path);
    connect(a, &QAction::triggered, &app_, [this, path] { app_.openFile(path); });
  }
  if (files.isEmpty()) menu->addAction(tr("No Recent Files"))->setEnabled(false);
  menu->addSeparator();
  QAction* clear = menu->addAction(tr("Clear Menu"));
  clear->setEnabled(!files.isEmpty());
  connect(clear, &QAction::triggered, &app_, [this] { app_.clearRecentFiles(); });
}

}  // namespace orv::app
