// The desktop application: its worksheet windows, the one run that may go on
// at a time in the whole application, help, preferences and quitting.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "app/dialogs.h"

namespace orv {
class Registry;
}

namespace orv::app {

class FunctionBrowser;
class PreferencesWindow;
class WorksheetWindow;

class Application : public QObject {
  Q_OBJECT

 public:
  // [dialogs] answers every question; it must outlive the application.
  explicit Application(Dialogs& dialogs);
  ~Application() override;

  Dialogs& dialogs() { return dialogs_; }

  // A new untitled worksheet ("Untitled", "Untitled 2", ...), shown.
  WorksheetWindow* newDocument();
  // The window of the file at [path]: the open one, else a new one; null
  // (after telling the user why) when the file cannot be read.
  WorksheetWindow* openFile(const QString& path);
  // The open window of the file at [path] (compared as canonical paths).
  WorksheetWindow* findFile(const QString& path) const;
  // File > Open Recent: the worksheet files last opened or saved, newest
  // first, kept in the user's settings.
  QStringList recentFiles() const;
  void noteRecentFile(const QString& path);
  void clearRecentFiles();
  const std::vector<WorksheetWindow*>& windows() const { return windows_; }

  // Files that a later start of the application handed over (none: a new
  // document): opened and brought to the front now, or when the run ends.
  void openHandedOver(const QStringList& paths);

  // A run is going on somewhere: every document's actions are disabled.
  bool busy() const { return busy_; }
  void setBusy(bool busy);

  // The text of the worksheet at [path] for an include of [including]'s run:
  // an open document's, or the file's opened in a new window. False when
  // there is neither.
  bool includeText(const QString& path, WorksheetWindow* including, std::u16string* text);

  // The add-on function names enabled in the user defaults, which the
  // colouring shows as known words, and the flags of the next runs.
  std::vector<std::string> enabledAddOnNames() const;
  std::vector<bool> enabledAddOns() const;
  const Registry& registry() const;

  WorksheetWindow* showHelp();
  // The help worksheet [helpName] of the package or function [name]: the
  // one open already, else a new untitled worksheet that runs.
  WorksheetWindow* showFunctionHelp(const QString& helpName, const QString& name);
  // Window > Function Browser: made on first use and kept.
  FunctionBrowser* showFunctionBrowser();
  FunctionBrowser* functionBrowser() const;
  // An untitled worksheet named [title] holding [text], shown.
  WorksheetWindow* showTextDocument(const QString& title, const std::u16string& text);
  void showPreferences();
  // Closes every window, asking about unsaved changes; refuses during a run.
  bool quit();

  // After a run of [window]: the plot window of the document whose plot was
  // drawn last goes away, and [window]'s shows its page when [show].
  void plotAfterRun(WorksheetWindow* window, bool show);
  WorksheetWindow* plotDocument() const;

  // Called by a window when it is gone.
  void forget(WorksheetWindow* window);

 signals:
  void busyChanged(bool busy);

 private:
  WorksheetWindow* addWindow(WorksheetWindow* window);
  QString nextUntitledName();
  WorksheetWindow* showHelpSheet(const QString& resource, const QString& helpName,
                                 const QString& title);

  Dialogs& dialogs_;
  std::vector<WorksheetWindow*> windows_;
  int untitled_ = 0;
  bool busy_ = false;
  std::vector<QStringList> handedOver_;  // waiting for the run to end
  QPointer<WorksheetWindow> plotDocument_;
  QPointer<PreferencesWindow> preferences_;
  QPointer<FunctionBrowser> browser_;
};

// `orvanel [--new-instance] [FILE...]`: runs the desktop application, or
// hands the files to the one already running on this display (unless
// --new-instance) and returns.
int runApplication(int argc, char** argv);

}  // namespace orv::app
