// `orvanel run`: one calculation run of one worksheet without a display.
#pragma once

#include "cli/exit_status.h"
#include "cli/options.h"

namespace orv::cli {

// Reads the worksheet, runs it, writes the resulting text and reports the
// status line on standard error. Returns the exit status.
int runCommand(const RunOptions& options);

}  // namespace orv::cli
