// The entry point of the drawing module (see cli/gui_module.h): the desktop
// application, the export of plot pages and picture files, all of Qt that
// the orvanel executable may need.
#include <QGuiApplication>
#include <cstdio>

#include "app/application.h"
#include "cli/gui_module.h"
#include "render/page_export.h"
#include "render/qt_surface.h"

namespace {

void* startDrawing() {
  if (QCoreApplication::instance()) return nullptr;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Standard error belongs to the run's status; Qt's notes about the session
  // (no runtime folder, no display) are not for it.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "orvanel: %s\n", text.toLocal8Bit().constData());
  });
  static int argc = 1;
  static char name[] = "orvanel";
  static char* argv[] = {name, nullptr};
  return new QGuiApplication(argc, argv);
}

void endDrawing(void* application) { delete static_cast<QGuiApplication*>(application); }

const orv::cli::GuiModule kModule = {
    &orv::app::runApplication, &startDrawing, &endDrawing,           &orv::exportPageSpec,
    &orv::exportPage,          &orv::pageSvg, &orv::loadPictureFile,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const orv::cli::GuiModule* orvanel_gui_module() {
  return &kModule;
}
