// The user defaults and the settings a run starts from, shared by the front
// ends.
//
// A setting given explicitly (on the command line) wins; then the document's
// own settings (its options line); then the user defaults, kept in the Qt
// settings store of organisation and application "Orvanel"
// (~/.config/Orvanel/Orvanel.conf), which the desktop application's
// preferences edit too.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "doc/doc_prefs.h"
#include "lang/addons.h"
#include "session/worksheet_session.h"

class QSettings;

namespace orv {

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

// The user's store: organisation and application "Orvanel".
std::unique_ptr<QSettings> userStore();

// The value under [key]: the stored one, else the registered default, else
// an empty string.
QString userSetting(QSettings& store, const char* key);

// Reads NumberFormat, NumberDigits and UseDegrees from [store]. Missing or
// unusable values give the defaults: fixed format, 2 places, radians.
DocSettings readUserDefaults(QSettings& store);

// The same from the user's own store.
DocSettings readUserDefaults();

// Everything a document without settings of its own starts from: the above
// and WriteFormat, ShowGridLines, ShowAxisBox, TabWidth, TextFont,
// TextFontSize, PlotFont and PlotFontSize, with the defaults of a fresh user
// for missing or unusable values.
DocPrefs readDocumentDefaults(QSettings& store);
DocPrefs readDocumentDefaults();

// Which add-on functions a run defines, one flag per registry slot: from
// [enable] (all, none or a comma-separated list of names) when given, else
// the state kept under each function's name in [store] (never set means
// disabled). An unknown name in [enable] is returned in [unknown].
std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable, QSettings& store,
                                   std::string* unknown);
std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable, std::string* unknown);

// SpiceCommand: the circuit simulator that runspice starts, a program name
// looked up on the PATH or a path; "ngspice" when unset or empty.
std::string readSimulatorCommand(QSettings& store);
std::string readSimulatorCommand();

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
