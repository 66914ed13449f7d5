#include "frontend/user_defaults.h"

#include <QSettings>
#include <QVariant>

namespace orv {

std::optional<std::string> QtSettingsSource::value(const std::string& key) const {
  QVariant v = store_.value(QString::fromStdString(key));
  if (!v.isValid()) return std::nullopt;
  return v.toString().toStdString();
}

std::unique_ptr<QSettings> userStore() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Orvanel",
                                     "Orvanel");
}

QString userSetting(QSettings& store, const char* key) {
  return QString::fromStdString(userSetting(QtSettingsSource(store), key));
}

DocSettings readUserDefaults(QSettings& store) { return readUserDefaults(QtSettingsSource(store)); }

DocPrefs readDocumentDefaults(QSettings& store) {
  return readDocumentDefaults(QtSettingsSource(store));
}

std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable, QSettings& store,
                                   std::string* unknown) {
  return enabledFunctions(registry, enable, QtSettingsSource(store), unknown);
}

std::string readSimulatorCommand(QSettings& store) {
  return readSimulatorCommand(QtSettingsSource(store));
}

DocSettings readUserDefaults() { return readUserDefaults(*userStore()); }

DocPrefs readDocumentDefaults() { return readDocumentDefaults(*userStore()); }

std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable, std::string* unknown) {
  return enabledFunctions(registry, enable, *userStore(), unknown);
}

std::string readSimulatorCommand() { return readSimulatorCommand(*userStore()); }

}  // namespace orv
