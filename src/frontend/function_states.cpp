#include "frontend/function_states.h"

#include <QSettings>

#include "frontend/user_defaults.h"

namespace orv {

bool StoredEnableStates::enabled(const std::string& name) const {
  return store_.value(QString::fromStdString(name), false).toBool();
}

void StoredEnableStates::setEnabled(const std::string& name, bool on) {
  store_.setValue(QString::fromStdString(name), on);
}

const char* expandKey(FunctionOutline::Group group) {
  switch (group) {
    case FunctionOutline::kDefinedVariables:
      return "ExpandDvar";
    case FunctionOutline::kBasicFunctions:
      return "ExpandBfun";
    case FunctionOutline::kOptionalFunctions:
      return "ExpandOfun";
  }
  return "";
}

bool readExpanded(QSettings& store, FunctionOutline::Group group) {
  return userSetting(store, expandKey(group)) == "true";
}

void storeExpanded(QSettings& store, FunctionOutline::Group group, bool expanded) {
  store.setValue(expandKey(group), expanded);
}

}  // namespace orv
