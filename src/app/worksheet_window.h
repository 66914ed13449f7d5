// A worksheet window: one document with its text view, the status line under
// it, the stop panel of its runs and the menus. The document's engine lives
// in its worksheet session; a run goes on the session's worker thread, and
// its result comes back to this window as a queued call.
#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>

#include "app/gui_host.h"
#include "session/worksheet_session.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;

namespace orv::app {

class Application;
class PlotWindow;
class FindBar;
class StopPanel;
class SyntaxOverlay;
class WorksheetEditor;

class WorksheetWindow : public QMainWindow {
  Q_OBJECT

 public:
  // An untitled document called [displayName] holding [doc].
  WorksheetWindow(Application& app, Document doc, const QString& displayName);
  ~WorksheetWindow() override;

  // The file this document was read from or saved to; empty when untitled.
  const QString& filePath() const { return filePath_; }
  void setFilePath(const QString& path);
  QString displayName() const { return displayName_; }
  // A help worksheet stays untitled and is known by its help name.
  void setHelpName(const QString& name) { helpName_ = name; }
  const QString& helpName() const { return helpName_; }

  Application& app() { return app_; }
  WorksheetEditor* editor() const { return editor_; }
  WorksheetSession& session() { return *session_; }
  QString statusText() const;
  void setStatusText(const QString& text);
  bool running() const { return running_; }
  bool isModified() const;

  // ---- Actions (the menu items call these; tests too)
  bool startRun();
  void stopRun();
  bool save();
  bool saveAs();
  bool revert();
  void printDocument();
  // Asks about unsaved changes; false when the user cancels or a run is
  // going on.
  bool maybeClose();

  // The application's busy state changed: enable or disable every action.
  void updateActions();
  void fillRecentMenu(QMenu* menu);
  // Shows the fault of a failed include at [pos] with [message].
  void showFault(std::size_t pos, const QString& message);
  // Recolours the text, e.g. after the enabled add-on functions changed.
  void recolour();

  // The plot window: shown with the last published page, or hidden.
  PlotWindow* plotWindow() const { return plotWindow_.get(); }
  void showPlot();
  void hidePlot();
  void changePlotFont();

 signals:
  void runFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildMenus();
  void applyDocumentToWindow();
  void finishRun(const RunResult& result);
  void replayEdits(const RunResult& result);
  void highlightLine(int pos);
  bool writeTo(const QString& path, DocForm form);
  void updateTitle();
  void updateFormatChecks();
  void setNumberFormat(int format);
  void setPlaces(int places);
  void setDegrees(bool on);
  void setColouring(bool on);
  void keepFramesInDocument();
  void applyPlotFont();

  Application& app_;
  GuiHost host_;
  std::unique_ptr<WorksheetSession> session_;
  WorksheetEditor* editor_;
  QLabel* status_;
  FindBar* findBar_;
  StopPanel* stopPanel_;
  SyntaxOverlay* overlay_;
  QString filePath_;
  QString displayName_;
  QString helpName_;
  std::u16string lineEnd_ = u"\n";  // of the file the text came from
  bool running_ = false;
  bool plotPlaced_ = false;  // the plot window has its first place
  bool replaying_ = false;   // the run's edits or a loaded text go in: no user edit
  int selectionStart_ = 0, selectionEnd_ = 0;

  QAction* newAction_ = nullptr;
  QAction* openAction_ = nullptr;
  QAction* closeAction_ = nullptr;
  QAction* saveAction_ = nullptr;
  QAction* saveAsAction_ = nullptr;
  QAction* revertAction_ = nullptr;
  QAction* printAction_ = nullptr;
  QAction* runAction_ = nullptr;
  QActionGroup* formatGroup_ = nullptr;
  QActionGroup* placesGroup_ = nullptr;
  QActionGroup* angleGroup_ = nullptr;
  QAction* colouringAction_ = nullptr;
  QAction* replaceAction_ = nullptr;
  QMenu* formatMenu_ = nullptr;
  QAction* printPlotAction_ = nullptr;
  std::unique_ptr<PlotWindow> plotWindow_;
};

}  // namespace orv::app
