// The orvanel executable's entry: picks the command and returns the exit
// status.
#pragma once

#include <string>
#include <vector>

namespace orv::cli {

// [args] are the arguments after the program name.
int cliMain(const std::vector<std::string>& args);

}  // namespace orv::cli
