// The function browser's part of the user defaults: each add-on function's
// enabled state under its name (what `orvanel run` reads when no --enable is
// given), and whether each of the browser's three groups is expanded.
#pragma once

#include <string>

#include "session/function_outline.h"

class QSettings;

namespace orv {

// The enabled states in [store], which must outlive this object.
class StoredEnableStates : public EnableStates {
 public:
  explicit StoredEnableStates(QSettings& store) : store_(store) {}
  bool enabled(const std::string& name) const override;
  void setEnabled(const std::string& name, bool on) override;

 private:
  QSettings& store_;
};

// The key that keeps [group]'s expanded state: ExpandDvar, ExpandBfun, ExpandOfun.
const char* expandKey(FunctionOutline::Group group);
// Whether [group] is shown expanded; "Basic Functions" is by default.
bool readExpanded(QSettings& store, FunctionOutline::Group group);
void storeExpanded(QSettings& store, FunctionOutline::Group group, bool expanded);

}  // namespace orv
