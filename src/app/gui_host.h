// The engine's host for a worksheet window. Its calls arrive on the run's
// worker thread; those that need the window are carried out on the GUI
// thread: the alerts are posted without waiting, the overwrite question and
// the open-document lookup for `include` wait for their answer (the GUI
// thread never waits for the worker, so this cannot deadlock).
#pragma once

#include <QPointer>

#include "lang/host.h"

namespace orv::app {

class WorksheetWindow;

class GuiHost : public Host {
 public:
  explicit GuiHost(WorksheetWindow* window) : window_(window) {}
  void bugAlert(std::string_view text) override;
  bool confirmOverwrite(const std::string& fileName) override;
  bool openDocumentText(const std::string& path, std::u16string* text) override;
  void includeFailed(const std::string& path, const std::u16string& text, std::size_t pos,
                     std::string_view message) override;
  std::shared_ptr<const Picture> loadPicture(const std::string& path) override;

 private:
  QPointer<WorksheetWindow> window_;
};

}  // namespace orv::app
