#include "cli/check_command.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/macroman.h"
#include "cli/cli_host.h"
#include "cli/console.h"
#include "cli/result_diff.h"
#include "cli/run_setup.h"
#include "cli/signals.h"
#include "session/worksheet_session.h"

namespace orv::cli {

namespace {

void report(const std::string& line) { std::printf("%s\n", line.c_str()); }

std::string shown(const std::u16string& result) {
  return result.empty() ? "nothing" : utf16ToUtf8(result);
}

std::string plural(std::size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// Checks one worksheet; returns its exit status.
int checkFile(const CheckOptions& options, const std::string& file, Console& console) {
  const std::string name = displayName(file);
  CliHost host(console, options.overwrite);
  WorksheetSession session(host);
  std::string bytes;
  if (int status = loadWorksheet(session, file, options.settings, options.enable, console, &bytes))
    return status;
  const std::u16string before = session.document().text;
  installInterruptHandler(&session.stopFlag(), console.terminal());
  RunResult result = runWithProgress(session, console);
  installInterruptHandler(nullptr, console.terminal());
  if (!result.completed) {
    report(name + ": internal: " + result.error);
    return kExitRunFailed;
  }
  if (!result.outcome.ok) {
    report(faultLine(name, result));
    report(name + ": the run failed");
    return kExitRunFailed;
  }
  if (result.stopped) {
    report(name + ": stopped");
    return kExitRunFailed;
  }
  std::size_t compared = 0;
  std::vector<ResultChange> changes =
      changedResults(before, result.edits, options.tolerance, &compared);
  for (const ResultChange& c : changes)
    report(name + ":" + std::to_string(c.line) + ":" + std::to_string(c.column) + ": was " +
           shown(c.was) + ", now " + shown(c.now));
  if (changes.empty()) {
    report(name + ": " + plural(compared, "result") + " as recorded");
    return kExitOk;
  }
  report(name + ": " + std::to_string(changes.size()) + " of " + plural(compared, "result") +
         " changed");
  return kExitRunFailed;
}

}  // namespace

int checkCommand(const CheckOptions& options) {
  Console console(isatty(STDERR_FILENO) == 1);
  int status = kExitOk;
  for (const std::string& file : options.files) {
    status = std::max(status, checkFile(options, file, console));
    std::fflush(stdout);
  }
  return status;
}

}  // namespace orv::cli
