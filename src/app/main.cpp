#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_main.h"
#include "cli/gui_module.h"
#include "cli/options.h"

// `orvanel run`, `orvanel convert` and the other commands go to the command
// line; `orvanel [FILE...]` starts the desktop application, which comes with
// the rest of Qt in the drawing module.
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (orv::cli::parseCommandLine(args).command != orv::cli::Command::kDesktop)
    return orv::cli::cliMain(args);
  std::string error;
  const orv::cli::GuiModule* gui = orv::cli::guiModule(&error);
  if (!gui) {
    std::fprintf(stderr, "orvanel: %s\n", error.c_str());
    return 1;
  }
  return gui->runApplication(argc, argv);
}
