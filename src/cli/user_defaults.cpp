#include "cli/user_defaults.h"

#include <QSettings>
#include <QVariant>

namespace orv::cli {

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

}  // namespace

DocSettings readUserDefaults(QSettings& store) {
  DocSettings defaults;
  DocSettings s;
  s.format = readInt(store, "NumberFormat", 0, 2, defaults.format);
  s.places = readInt(store, "NumberDigits", 0, 255, defaults.places);
  s.degrees = readBool(store, "UseDegrees", defaults.degrees);
  return s;
}

DocSettings readUserDefaults() {
  QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Orvanel", "Orvanel");
  return readUserDefaults(store);
}

DocSettings resolveSettings(const RunOptions& options, const std::optional<DocSettings>& document,
                            const DocSettings& userDefaults) {
  DocSettings s = document ? *document : userDefaults;
  if (options.format) s.format = *options.format;
  if (options.places) s.places = *options.places;
  if (options.degrees) s.degrees = *options.degrees;
  return s;
}

}  // namespace orv::cli
