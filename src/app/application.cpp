#include "app/application.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <algorithm>
#include <cstring>

#include "app/document_file.h"
#include "app/function_browser.h"
#include "app/instance_link.h"
#include "app/preferences_window.h"
#include "app/worksheet_editor.h"
#include "app/worksheet_window.h"
#include "frontend/user_defaults.h"
#include "lang/addons.h"
#include "session/engine_assembly.h"

namespace orv::app {

namespace {

QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

}  // namespace

Application::Application(Dialogs& dialogs) : dialogs_(dialogs) {}

Application::~Application() {
  // Windows still open at the end (tests) go with the application.
  std::vector<WorksheetWindow*> open = windows_;
  for (WorksheetWindow* w : open) delete w;
  delete preferences_;
  delete browser_;
}

WorksheetWindow* Application::addWindow(WorksheetWindow* window) {
  windows_.push_back(window);
  window->show();
  return window;
}

QString Application::nextUntitledName() {
  ++untitled_;
  return untitled_ == 1 ? QString("Untitled") : QString("Untitled %1").arg(untitled_);
}

WorksheetWindow* Application::newDocument() {
  if (busy_) return nullptr;
  return addWindow(new WorksheetWindow(*this, newDocumentFromDefaults(), nextUntitledName()));
}

WorksheetWindow* Application::findFile(const QString& path) const {
  const QString wanted = canonical(path);
  if (wanted.isEmpty()) return nullptr;
  for (WorksheetWindow* w : windows_)
    if (!w->filePath().isEmpty() && canonical(w->filePath()) == wanted) return w;
  return nullptr;
}

WorksheetWindow* Application::openFile(const QString& path) {
  if (WorksheetWindow* open = findFile(path)) {
    noteRecentFile(open->filePath());
    open->show();
    open->raise();
    open->activateWindow();
    return open;
  }
  Document doc;
  QString error;
  if (!readDocumentFile(path, &doc, &error)) {
    dialogs_.error(nullptr, "Orvanel", error);
    return nullptr;
  }
  // A converted legacy document is saved under a new name ending in .ov;
  // its converted text exists nowhere on disk yet.
  const bool converted = doc.converted && doc.forceSaveAs;
  QString name = path;
  if (converted)
    name = QFile::decodeName(
        QByteArray::fromStdString(convertedName(QFile::encodeName(path).toStdString())));
  auto* window = new WorksheetWindow(*this, std::move(doc), QFileInfo(name).fileName());
  window->setFilePath(name);
  if (converted) window->editor()->document()->setModified(true);
  return addWindow(window);
}

namespace {

constexpr int kRecentFiles = 10;
constexpr char kRecentKey[] = "RecentFiles";

}  // namespace

QStringList Application::recentFiles() const {
  return userStore()->value(kRecentKey).toStringList();
}

void Application::noteRecentFile(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList files = recentFiles();
  files.removeAll(absolute);
  files.prepend(absolute);
  while (files.size() > kRecentFiles) files.removeLast();
  userStore()->setValue(kRecentKey, files);
}

void Application::clearRecentFiles() { userStore()->remove(kRecentKey); }

bool Application::includeText(const QString& path, WorksheetWindow* including,
                              std::u16string* text) {
  WorksheetWindow* included = findFile(path);
  if (!included) included = findFile(path + ".ov");
  if (!included && QFileInfo(path).isFile()) {
    included = openFile(path);
    if (included && including) {
      // The included window stands behind the including one.
      including->raise();
      including->activateWindow();
    }
  }
  if (!included) return false;
  *text = included->editor()->rawText();
  if (including) included->setStatusText("included by: " + including->displayName());
  return true;
}

void Application::setBusy(bool busy) {
  busy_ = busy;
  for (WorksheetWindow* w : windows_) w->updateActions();
  emit busyChanged(busy);
  if (!busy) {
    std::vector<QStringList> waiting;
    waiting.swap(handedOver_);
    for (const QStringList& paths : waiting) openHandedOver(paths);
  }
}

void Application::openHandedOver(const QStringList& paths) {
  if (busy_) {
    handedOver_.push_back(paths);
    return;
  }
  WorksheetWindow* front = nullptr;
  for (const QString& path : paths)
    if (WorksheetWindow* w = openFile(path)) front = w;
  if (paths.isEmpty()) front = newDocument();
  if (front) {
    front->raise();
    front->activateWindow();
  }
}

const Registry& Application::registry() const { return addOnRegistry(); }

std::vector<bool> Application::enabledAddOns() const {
  std::string unknown;
  return enabledFunctions(registry(), std::nullopt, &unknown);
}

std::vector<std::string> Application::enabledAddOnNames() const {
  std::vector<bool> on = enabledAddOns();
  std::vector<char> flags(on.begin(), on.end());
  return enabledNames(registry(), flags);
}

WorksheetWindow* Application::showHelp() {
  return showHelpSheet(":/help/orvanel_help.ov", "OrvanelHelp.ov", tr("Orvanel Help"));
}

WorksheetWindow* Application::showFunctionHelp(const QString& helpName, const QString& name) {
  return showHelpSheet(functionHelpResource(helpName), helpName, tr("%1 Help").arg(name));
}

WorksheetWindow* Application::showHelpSheet(const QString& resource, const QString& helpName,
                                            const QString& title) {
  for (WorksheetWindow* open : windows_) {
    if (open->helpName() != helpName) continue;
    open->show();
    open->raise();
    open->activateWindow();
    return open;
  }
  QFile file(resource);
  if (!file.open(QIODevice::ReadOnly)) {
    dialogs_.error(nullptr, "Orvanel", tr("The help worksheet is missing from this build."));
    return nullptr;
  }
  const QByteArray bytes = file.readAll();
  // Help stays untitled: Save asks for a name, and relative data names are
  // refused as in any untitled worksheet.
  Document doc = openDocument(std::string_view(bytes.constData(), bytes.size()), "", std::nullopt,
                              readDocumentDefaults());
  doc.forceSaveAs = true;
  auto* window = new WorksheetWindow(*this, std::move(doc), title);
  window->setHelpName(helpName);
  // Help is written in lines of up to 90 columns: the window shows them unbroken
  // where the screen has room.
  const WorksheetEditor* editor = window->editor();
  const int wanted = editor->fontMetrics().horizontalAdvance(QString(92, 'M')) +
                     2 * static_cast<int>(editor->document()->documentMargin()) +
                     2 * editor->frameWidth() + editor->verticalScrollBar()->sizeHint().width();
  const QScreen* screen = window->screen();
  const int room = screen ? screen->availableGeometry().width() : wanted;
  window->resize(std::clamp(wanted, window->width(), std::max(window->width(), room)),
                 window->height());
  addWindow(window);
  window->raise();
  window->activateWindow();
  return window;
}

FunctionBrowser* Application::functionBrowser() const { return browser_; }

FunctionBrowser* Application::showFunctionBrowser() {
  if (!browser_) browser_ = new FunctionBrowser(*this);
  browser_->show();
  browser_->raise();
  browser_->activateWindow();
  return browser_;
}

WorksheetWindow* Application::showTextDocument(const QString& title, const std::u16string& text) {
  Document doc = newDocumentFromDefaults();
  doc.text = text;
  return addWindow(new WorksheetWindow(*this, std::move(doc), title));
}

void Application::showPreferences() {
  if (!preferences_) preferences_ = new PreferencesWindow(dialogs_);
  preferences_->show();
  preferences_->raise();
  preferences_->activateWindow();
}

bool Application::quit() {
  if (busy_) {
    QApplication::beep();
    return false;
  }
  std::vector<WorksheetWindow*> open = windows_;
  for (WorksheetWindow* w : open)
    if (!w->close()) return false;
  if (preferences_) preferences_->close();
  if (browser_) browser_->close();
  QApplication::quit();
  return true;
}

WorksheetWindow* Application::plotDocument() const { return plotDocument_; }

void Application::plotAfterRun(WorksheetWindow* window, bool show) {
  if (plotDocument_ && plotDocument_ != window) plotDocument_->hidePlot();
  plotDocument_ = nullptr;
  if (!show) {
    window->hidePlot();
    return;
  }
  plotDocument_ = window;
  window->showPlot();
}

void Application::forget(WorksheetWindow* window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

int runApplication(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setOrganizationName("Orvanel");
  QApplication::setApplicationName("Orvanel");
  QApplication::setApplicationDisplayName("Orvanel");
  Dialogs dialogs;
  Application app(dialogs);
  const bool newInstance = argc > 1 && std::strcmp(argv[1], "--new-instance") == 0;
  QStringList paths;
  for (int i = newInstance ? 2 : 1; i < argc; ++i)
    paths << QFileInfo(QFile::decodeName(argv[i])).absoluteFilePath();
  InstanceLink link(InstanceLink::defaultSocketPath());
  if (!newInstance) {
    if (link.handOver(paths)) return 0;
    QObject::connect(&link, &InstanceLink::filesHandedOver, &app, &Application::openHandedOver);
    link.listen();
  }
  for (const std::string& alert : addOnRegistry().alerts())
    dialogs.error(nullptr, "Orvanel", QString::fromStdString(alert));
  int opened = 0;
  for (const QString& path : paths) opened += app.openFile(path) != nullptr;
  if (opened == 0) app.newDocument();
  return QApplication::exec();
}

}  // namespace orv::app
