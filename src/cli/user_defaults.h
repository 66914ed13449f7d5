// The settings a run starts from.
//
// A setting given on the command line wins; then the document's own settings
// (its options line); then the user defaults, kept in the Qt settings store of
// organisation and application "Orvanel" (~/.config/Orvanel/Orvanel.conf),
// which the desktop application's preferences edit too.
#pragma once

#include <optional>

#include "cli/options.h"
#include "lang/engine.h"

class QSettings;

namespace orv::cli {

// Reads NumberFormat, NumberDigits and UseDegrees from [store]. Missing or
// unusable values give the defaults: fixed format, 2 places, radians.
DocSettings readUserDefaults(QSettings& store);

// The same from the user's own store.
DocSettings readUserDefaults();

// The settings of a run: [options] over [document] (when the document carries
// settings) over [userDefaults].
DocSettings resolveSettings(const RunOptions& options, const std::optional<DocSettings>& document,
                            const DocSettings& userDefaults);

}  // namespace orv::cli
