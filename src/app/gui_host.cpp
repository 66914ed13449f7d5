#include "app/gui_host.h"

#include <QApplication>
#include <QFile>
#include <QMetaObject>

#include "app/application.h"
#include "app/worksheet_window.h"
#include "base/macroman.h"
#include "render/qt_surface.h"

namespace orv::app {

namespace {

QString fromMacRoman(std::string_view bytes) { return QString::fromStdString(bytesToUtf8(bytes)); }

}  // namespace

void GuiHost::bugAlert(std::string_view text) {
  QPointer<WorksheetWindow> window = window_;
  const QString message = fromMacRoman(text);
  QMetaObject::invokeMethod(
      qApp,
      [window, message] {
        if (window) window->app().dialogs().error(window, "Orvanel", message);
      },
      Qt::QueuedConnection);
}

bool GuiHost::confirmOverwrite(const std::string& fileName) {
  QPointer<WorksheetWindow> window = window_;
  const QString name = QString::fromStdString(fileName);
  bool overwrite = false;
  QMetaObject::invokeMethod(
      qApp,
      [window, name, &overwrite] {
        if (window) overwrite = window->app().dialogs().confirmOverwrite(window, name);
      },
      Qt::BlockingQueuedConnection);
  return overwrite;
}

bool GuiHost::openDocumentText(const std::string& path, std::u16string* text) {
  QPointer<WorksheetWindow> window = window_;
  const QString file = QFile::decodeName(QByteArray::fromStdString(path));
  bool found = false;
  QMetaObject::invokeMethod(
      qApp,
      [window, file, text, &found] {
        if (window) found = window->app().includeText(file, window, text);
      },
      Qt::BlockingQueuedConnection);
  return found;
}

void GuiHost::includeFailed(const std::string& path, const std::u16string&, std::size_t pos,
                            std::string_view message) {
  QPointer<WorksheetWindow> window = window_;
  const QString file = QFile::decodeName(QByteArray::fromStdString(path));
  const QString text = fromMacRoman(message);
  QMetaObject::invokeMethod(
      qApp,
      [window, file, pos, text] {
        if (!window) return;
        if (WorksheetWindow* included = window->app().findFile(file))
          included->showFault(pos, text);
      },
      Qt::QueuedConnection);
}

// Pictures are read on the worker: QImage does not need the GUI thread.
std::shared_ptr<const Picture> GuiHost::loadPicture(const std::string& path) {
  return loadPictureFile(path);
}

}  // namespace orv::app
