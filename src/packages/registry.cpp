#include "packages/registry.h"

#include <cstring>

namespace orv {

void Registry::AddFunPkg(const char* prefix, const char* description) {
  if (!prefix) {
    openPackage_ = -1;
    return;
  }
  packages_.push_back({prefix, description});
  openPackage_ = static_cast<int>(packages_.size()) - 1;
}

void Registry::add(const char* name, const char* parmlist, const char* description, int kind,
                   AddOnEntry entry) {
  if (static_cast<int>(functions_.size()) >= kMaxFunctions) {
    alerts_.push_back("Too many add-on functions");
    return;
  }
  int nparms = 1;
  for (const char* p = parmlist; *p; ++p) nparms += *p == ',';
  functions_.push_back({name, parmlist, description, kind, entry, nparms, openPackage_});
}

void Registry::AddCFun(const char* name, const char* parmlist, const char* description,
                       AddOnEntry entry) {
  add(name, parmlist, description, CFUN, entry);
}

void Registry::AddMFun(const char* name, const char* parmlist, const char* description,
                       AddOnEntry entry) {
  add(name, parmlist, description, MFUN, entry);
}

int Registry::find(const std::string& name) const {
  for (std::size_t i = 0; i < functions_.size(); ++i)
    if (name == functions_[i].name) return static_cast<int>(i);
  return -1;
}

// setuplfuns: ORDER PACKAGES (the function browser lists them so).
const Registry& standardRegistry() {
  static const Registry registry = [] {
    Registry r;
    setup_max(r);
    setup_linfit(r);
    setup_histogram(r);
    setup_fft(r);
    setup_svd(r);
    setup_SPICE(r);
    setup_mathlib(r);
    setup_ctab(r);  // last: ColorTable follows every package
    return r;
  }();
  return registry;
}

}  // namespace orv
