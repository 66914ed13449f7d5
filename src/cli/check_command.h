// `orvanel check`: worksheets as their own regression tests. Each worksheet
// runs in memory and every result the run would write is compared with the
// one recorded in the file; nothing is written back.
#pragma once

#include "cli/exit_status.h"
#include "cli/options.h"

namespace orv::cli {

// Prints each changed result as FILE:LINE:COL: was OLD, now NEW and a summary
// line per file on standard output. Returns kExitOk when every result is as
// recorded, kExitRunFailed when one moved or a run failed, kExitUsage when a
// file could not be read.
int checkCommand(const CheckOptions& options);

}  // namespace orv::cli
