// Golden files: a result compared with the file that holds what it must be.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orv::test {

// Fails the test unless [file] holds exactly [got]. A missing file fails
// too; with ORVANEL_UPDATE_GOLDEN=1 in the environment the file is written
// (created or replaced) instead, and the test notes it.
void expectGolden(const std::filesystem::path& file, const std::string& got);

// The stems of the files in [dir] ending in [extension], sorted.
std::vector<std::string> goldenNames(const std::filesystem::path& dir,
                                     const std::string& extension);

}  // namespace orv::test
