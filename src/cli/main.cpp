#include <string>
#include <vector>

#include "cli/cli_main.h"

int main(int argc, char** argv) {
  return orv::cli::cliMain(std::vector<std::string>(argv + 1, argv + argc));
}
