// The user defaults in the Qt settings store, for the desktop application:
// the readings of frontend/settings_source.h over a QSettings store.
//
// The store is kept under organisation and application "Orvanel"
// (~/.config/Orvanel/Orvanel.conf), which the application's preferences
// edit. A setting given explicitly (on the command line) wins; then the
// document's own settings (its options line); then the user defaults.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frontend/settings_source.h"

class QSettings;

namespace orv {

// A QSettings store as text values by key.
class QtSettingsSource : public SettingsSource {
 public:
  explicit QtSettingsSource(QSettings& store) : store_(store) {}
  std::optional<std::string> value(const std::string& key) const override;

 private:
  QSettings& store_;
};

// The user's store: organisation and application "Orvanel".
std::unique_ptr<QSettings> userStore();

QString userSetting(QSettings& store, const char* key);
DocSettings readUserDefaults(QSettings& store);
DocPrefs readDocumentDefaults(QSettings& store);
std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable, QSettings& store,
                                   std::string* unknown);
std::string readSimulatorCommand(QSettings& store);

// The same from the user's own store.
DocSettings readUserDefaults();
DocPrefs readDocumentDefaults();
std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable, std::string* unknown);
std::string readSimulatorCommand();

}  // namespace orv
