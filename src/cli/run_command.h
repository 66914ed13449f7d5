// `orvanel run`: one calculation run of one worksheet without a display.
#pragma once

#include "cli/options.h"

namespace orv::cli {

// Exit statuses of the command line.
inline constexpr int kExitOk = 0;         // the run succeeded (also "stopped", "? y?")
inline constexpr int kExitRunFailed = 1;  // the run failed at a fault position
inline constexpr int kExitUsage = 2;      // usage errors, unreadable or unwritable files

// Reads the worksheet, runs it, writes the resulting text and reports the
// status line on standard error. Returns the exit status.
int runCommand(const RunOptions& options);

}  // namespace orv::cli
