#include "golden.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "files.h"

namespace fs = std::filesystem;

namespace orv::test {

void expectGolden(const fs::path& file, const std::string& got) {
  const char* update = std::getenv("ORVANEL_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    if (!fs::exists(file) || readFile(file) != got) {
      writeFile(file, got);
      testing::Test::RecordProperty("golden", "wrote " + file.string());
    }
    return;
  }
  if (!fs::exists(file)) {
    ADD_FAILURE() << "golden file " << file
                  << " is missing; run with ORVANEL_UPDATE_GOLDEN=1 to write it, then check it";
    return;
  }
  EXPECT_EQ(readFile(file), got) << "differs from " << file;
}

std::vector<std::string> goldenNames(const fs::path& dir, const std::string& extension) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == extension) names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace orv::test
