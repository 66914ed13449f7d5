#include <string>
#include <vector>

#include "app/application.h"
#include "cli/cli_main.h"
#include "cli/options.h"

// `orvanel run`, `orvanel convert` and the other commands go to the command
// line; `orvanel [FILE...]` starts the desktop application.
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (orv::cli::parseCommandLine(args).command == orv::cli::Command::kDesktop)
    return orv::app::runApplication(argc, argv);
  return orv::cli::cliMain(args);
}
