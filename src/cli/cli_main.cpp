#include "cli/cli_main.h"

#include <cstdio>

#include "cli/check_command.h"
#include "cli/convert_command.h"
#include "cli/export_command.h"
#include "cli/options.h"
#include "cli/run_command.h"

#ifndef ORVANEL_VERSION
#error "ORVANEL_VERSION must be defined by the build"
#endif

namespace orv::cli {

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "orvanel: %s\n", message.c_str());
  return kExitUsage;
}

}  // namespace

int cliMain(const std::vector<std::string>& args) {
  CommandLine line = parseCommandLine(args);
  switch (line.command) {
    case Command::kHelp:
      std::fputs(usageText().c_str(), stdout);
      return kExitOk;
    case Command::kVersion:
      std::printf("orvanel %s\n", ORVANEL_VERSION);
      return kExitOk;
    case Command::kRun:
      return runCommand(line.run);
    case Command::kCheck:
      return checkCommand(line.check);
    case Command::kExport:
      return exportCommand(line.run);
    case Command::kConvert:
      return convertCommand(line.convert);
    case Command::kDesktop:
      return fail("the desktop application is not part of this build; use 'orvanel run FILE'");
    case Command::kUsageError:
      break;
  }
  std::fprintf(stderr, "orvanel: %s\nTry 'orvanel --help' for more information.\n",
               line.error.c_str());
  return kExitUsage;
}

}  // namespace orv::cli
