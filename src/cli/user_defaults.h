// The settings a run starts from.
//
// A setting given on the command line wins; then the document's own settings
// (its options line); then the user defaults, kept in the Qt settings store of
// organisation and application "Orvanel" (~/.config/Orvanel/Orvanel.conf),
// which the desktop application's preferences edit too.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "doc/doc_prefs.h"
#include "lang/engine.h"
#include "packages/registry.h"

class QSettings;

namespace orv::cli {

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

// SpiceCommand: the circuit simulator that runspice starts, a program name
// looked up on the PATH or a path; "ngspice" when unset or empty.
std::string readSimulatorCommand(QSettings& store);
std::string readSimulatorCommand();

// The run settings of a document's settings record.
DocSettings documentSettings(const DocPrefs& prefs);

// Which add-on functions a run defines, one flag per registry slot: from
// [enable] (all, none or a comma-separated list of names) when given, else
// the state kept under each function's name in [store] (never set means
// disabled). An unknown name in [enable] is returned in [unknown].
std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable, QSettings& store,
                                   std::string* unknown);
std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable, std::string* unknown);

// The settings of a run: [options] over [document] (when the document carries
// settings) over [userDefaults].
DocSettings resolveSettings(const RunOptions& options, const std::optional<DocSettings>& document,
                            const DocSettings& userDefaults);

}  // namespace orv::cli
