// `orvanel export`: the worksheet after its run as an HTML or Markdown page.
#pragma once

#include "cli/exit_status.h"
#include "cli/options.h"

namespace orv::cli {

// Runs [options].file and writes the page to [options].output: HTML for
// .html, Markdown for .md with the plot page as an SVG file beside it. The
// worksheet itself is not written. Returns kExitOk, kExitRunFailed when the
// run failed (the page, showing the fault, is still written) or kExitUsage.
int exportCommand(const RunOptions& options);

// The SVG file beside the Markdown page [output]: its name with ".svg" for
// its extension.
std::string plotFileBeside(const std::string& output);

}  // namespace orv::cli
