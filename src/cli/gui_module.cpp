#include "cli/gui_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>

namespace orv::cli {

namespace {

// The folder of the running executable.
std::filesystem::path executableFolder() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path(".") : self.parent_path();
}

}  // namespace

const GuiModule* guiModule(std::string* error) {
  static const GuiModule* module = nullptr;
  static std::string failure;
  static std::once_flag once;
  std::call_once(once, [] {
    const std::filesystem::path path = (executableFolder() / kGuiModulePath).lexically_normal();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* why = dlerror();
      failure = "cannot load the drawing module: " + std::string(why ? why : path.string());
      return;
    }
    using Entry = const GuiModule* (*)();
    auto entry = reinterpret_cast<Entry>(dlsym(handle, kGuiModuleEntry));
    if (!entry) {
      failure = "the drawing module " + path.string() + " has no entry point";
      return;
    }
    module = entry();
  });
  if (!module && error) *error = failure;
  return module;
}

Drawing::Drawing() : module_(guiModule(&error_)) {
  if (module_) application_ = module_->startDrawing();
}

Drawing::~Drawing() {
  if (module_) module_->endDrawing(application_);
}

}  // namespace orv::cli
