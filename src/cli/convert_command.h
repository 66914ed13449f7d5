// `orvanel convert IN OUT`: a worksheet written again in the other form, or a
// legacy worksheet brought to the current one.
#pragma once

#include "cli/options.h"

namespace orv::cli {

// Reads IN (with its resource fork) and writes OUT. Returns the exit status:
// 0, or 2 when a file can't be read or written.
int convertCommand(const ConvertOptions& options);

}  // namespace orv::cli
