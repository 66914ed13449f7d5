#include "frontend/user_defaults.h"

#include <QSettings>
#include <QVariant>

#include "base/macroman.h"
#include "doc/document.h"
#include "frontend/function_states.h"

namespace orv {

namespace {

// The integer stored under [key] when it is one within [lo, hi], else [fallback].
int readInt(QSettings& store, const char* key, int lo, int hi, int fallback) {
  QVariant v = store.value(key);
  if (!v.isValid()) return fallback;
  bool ok = false;
  int n = v.toInt(&ok);
  return ok && n >= lo && n <= hi ? n : fallback;
}

bool readBool(QSettings& store, const char* key, bool fallback) {
  QVariant v = store.value(key);
  if (!v.isValid()) return fallback;
  QString text = v.toString().trimmed().toLower();
  if (text == "true" || text == "1" || text == "yes") return true;
  if (text == "false" || text == "0" || text == "no") return false;
  return fallback;
}

// A font name stored under [key] as the settings record holds it: Mac OS
// Roman, at most kFontNameMax bytes.
std::string readFontName(QSettings& store, const char* key, const std::string& fallback) {
  QString name = store.value(key).toString().trimmed();
  if (name.isEmpty()) return fallback;
  return utf16ToBytes(name.toStdU16String()).substr(0, kFontNameMax);
}

}  // namespace

std::unique_ptr<QSettings> userStore() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Orvanel",
                                     "Orvanel");
}

QString userSetting(QSettings& store, const char* key) {
  QVariant v = store.value(key);
  if (v.isValid()) return v.toString();
  for (const RegisteredDefault& d : kRegisteredDefaults)
    if (std::string_view(d.key) == key) return d.value;
  return QString();
}

DocSettings readUserDefaults(QSettings& store) {
  DocSettings defaults;
  DocSettings s;
  s.format = NumberFormat{readInt(store, "NumberFormat", 0, 2, static_cast<int>(defaults.format))};
  s.places = readInt(store, "NumberDigits", 0, 255, defaults.places);
  s.degrees = readBool(store, "UseDegrees", defaults.degrees);
  return s;
}

DocSettings readUserDefaults() {
  QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Orvanel", "Orvanel");
  return readUserDefaults(store);
}

DocPrefs readDocumentDefaults(QSettings& store) {
  DocPrefs p = defaultPrefs();
  DocSettings s = readUserDefaults(store);
  p.numfmt = static_cast<uint8_t>(s.format);
  p.places = static_cast<uint8_t>(s.places);
  p.deg = s.degrees ? 1 : 0;
  p.writefmt = static_cast<uint8_t>(readInt(store, "WriteFormat", 0, 5, p.writefmt));
  p.hidegrid = readBool(store, "ShowGridLines", !p.hidegrid) ? 0 : 1;
  p.boxaxis = readBool(store, "ShowAxisBox", p.boxaxis) ? 1 : 0;
  p.tabWidth = readInt(store, "TabWidth", 1, 900, p.tabWidth);
  p.tfontName = readFontName(store, "TextFont", p.tfontName);
  p.tfontSize = readInt(store, "TextFontSize", 1, 1600, p.tfontSize);
  p.pfontName = readFontName(store, "PlotFont", p.pfontName);
  p.pfontSize = readInt(store, "PlotFontSize", 1, 1600, p.pfontSize);
  return p;
}

DocPrefs readDocumentDefaults() {
  QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Orvanel", "Orvanel");
  return readDocumentDefaults(store);
}

std::string readSimulatorCommand(QSettings& store) {
  QString command = store.value("SpiceCommand").toString().trimmed();
  return command.isEmpty() ? "ngspice" : command.toStdString();
}

std::string readSimulatorCommand() { return readSimulatorCommand(*userStore()); }

DocSettings resolveSettings(const SettingChoices& given, const std::optional<DocSettings>& document,
                            const DocSettings& userDefaults) {
  DocSettings s = document ? *document : userDefaults;
  if (given.format) s.format = *given.format;
  if (given.places) s.places = *given.places;
  if (given.degrees) s.degrees = *given.degrees;
  return s;
}

std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable, QSettings& store,
                                   std::string* unknown) {
  const auto& funs = registry.functions();
  std::vector<bool> on(funs.size(), false);
  if (!enable) {
    // The states the function browser keeps.
    const StoredEnableStates states(store);
    for (std::size_t i = 0; i < funs.size(); ++i) on[i] = states.enabled(funs[i].name);
    return on;
  }
  if (*enable == "all") return std::vector<bool>(funs.size(), true);
  if (*enable == "none") return on;
  std::size_t from = 0;
  while (from <= enable->size()) {
    std::size_t comma = enable->find(',', from);
    std::string name =
        enable->substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    int slot = registry.find(name);
    if (slot < 0) {
      *unknown = name;
      return on;
    }
    on[static_cast<std::size_t>(slot)] = true;
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return on;
}

std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable, std::string* unknown) {
  QSettings store("Orvanel", "Orvanel");
  return enabledFunctions(registry, enable, store, unknown);
}

}  // namespace orv
