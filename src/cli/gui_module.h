// What the command line needs of Qt: the desktop application, the export of
// plot pages and picture files. It lives in a module of its own
// (lib/orvanel/orvanel-gui.so beside the executable's bin/), loaded on first
// use, so that a run which draws nothing neither loads nor links Qt.
#pragma once

#include <memory>
#include <string>

#include "plot/plot_page.h"
#include "plot/surface.h"
#include "render/page_export.h"

namespace orv::cli {

struct GuiModule {
  // The desktop application with the program's arguments; its exit status.
  int (*runApplication)(int argc, char** argv);
  // The application object that drawing needs, made unless there is one;
  // endDrawing deletes what startDrawing made (null is nothing).
  void* (*startDrawing)();
  void (*endDrawing)(void* application);
  PageSpec (*exportPageSpec)(const ExportOptions& options);
  bool (*exportPage)(const PlotPage& page, const std::string& path, const ExportOptions& options,
                     std::string* error);
  std::string (*pageSvg)(const PlotPage& page, const ExportOptions& options);
  std::shared_ptr<const Picture> (*loadPicture)(const std::string& path);
};

// The name of the function the module exports: it returns the table.
inline constexpr char kGuiModuleEntry[] = "orvanel_gui_module";

// The module's file, relative to the folder of the executable.
inline constexpr char kGuiModulePath[] = "../lib/orvanel/orvanel-gui.so";

// The module, loaded on the first call; null with [error] set when it cannot
// be loaded.
const GuiModule* guiModule(std::string* error);

// Drawing for the length of a command: the module loaded and its
// application object made (when none exists) for as long as this lives.
class Drawing {
 public:
  Drawing();
  ~Drawing();
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;
  // Null with error() set when the module cannot be loaded.
  const GuiModule* module() const { return module_; }
  const std::string& error() const { return error_; }

 private:
  const GuiModule* module_ = nullptr;
  void* application_ = nullptr;
  std::string error_;
};

}  // namespace orv::cli
