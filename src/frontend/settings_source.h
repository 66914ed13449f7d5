// The user defaults without Qt: what the front ends read from the user's
// settings store, as text values by key, and the settings a run starts from.
//
// The desktop application reads the store through QSettings
// (frontend/user_defaults.h); a command-line run reads its file directly
// (frontend/ini_settings.h), so that a run which draws nothing needs no Qt.
// Both give the same answers: the conversions below are the ones QSettings'
// values get.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "doc/doc_prefs.h"
#include "lang/addons.h"
#include "session/worksheet_session.h"

namespace orv {

// Text values by key.
class SettingsSource {
 public:
  virtual ~SettingsSource() = default;
  // The value under [key] as UTF-8; nothing when the key has no value.
  virtual std::optional<std::string> value(const std::string& key) const = 0;
};

// The registered defaults: what each key of the store yields until the user
// stores a value of their own. Nothing of this table is ever written into
// the store.
struct RegisteredDefault {
  const char* key;
  const char* value;
};
inline constexpr RegisteredDefault kRegisteredDefaults[] = {
    {"NumberFormat", "2"},     {"NumberDigits", "2"},     {"WriteFormat", "0"},
    {"ShowGridLines", "true"}, {"ShowAxisBox", "false"},  {"UseDegrees", "false"},
    {"TabWidth", "36"},        {"TextFontSize", "11"},    {"PlotFontSize", "12"},
    {"TextFont", "Menlo"},     {"PlotFont", "Helvetica"}, {"ExpandBfun", "true"},
    {"ConfineFiles", "false"},
};

// The value under [key]: the stored one, else the registered default, else
// an empty string.
std::string userSetting(const SettingsSource& store, const std::string& key);

// Reads NumberFormat, NumberDigits and UseDegrees. Missing or unusable
// values give the defaults: fixed format, 2 places, radians.
DocSettings readUserDefaults(const SettingsSource& store);

// Everything a document without settings of its own starts from: the above
// and WriteFormat, ShowGridLines, ShowAxisBox, TabWidth, TextFont,
// TextFontSize, PlotFont and PlotFontSize, with the defaults of a fresh user
// for missing or unusable values.
DocPrefs readDocumentDefaults(const SettingsSource& store);

// Which add-on functions a run defines, one flag per registry slot: from
// [enable] (all, none or a comma-separated list of names) when given, else
// the state kept under each function's name in [store] (never set means
// disabled). An unknown name in [enable] is returned in [unknown].
std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable,
                                   const SettingsSource& store, std::string* unknown);

// SpiceCommand: the circuit simulator that runspice starts, a program name
// looked up on the PATH or a path; "ngspice" when unset or empty.
std::string readSimulatorCommand(const SettingsSource& store);

// Settings given explicitly for one run; empty ones are not given.
struct SettingChoices {
  std::optional<NumberFormat> format;
  std::optional<int> places;
  std::optional<bool> degrees;
};

// The settings of a run: [given] over [document] (when the document carries
// settings) over [userDefaults].
DocSettings resolveSettings(const SettingChoices& given, const std::optional<DocSettings>& document,
                            const DocSettings& userDefaults);

}  // namespace orv
