// Golden drawing logs: tests/plot/pages/NAME.ov runs, its page is drawn on
// the recording surface, and the status, information line and drawing log
// must equal NAME.log. ORVANEL_UPDATE_GOLDEN=1 writes the logs anew.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/macroman.h"
#include "plot/draw.h"
#include "plot_runner.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class PageLog : public testing::TestWithParam<std::string> {};

TEST_P(PageLog, MatchesGolden) {
  fs::path dir = ORVANEL_PAGES_DIR;
  fs::path expected = dir / (GetParam() + ".log");
  PlotRun r;
  r.run(readFile(dir / (GetParam() + ".ov")));
  RecordingSurface s = testSurface();
  std::string got = "status: " + r.status() + "\n";
  if (r.outcome.plot) {
    drawPage(r.plot(), s);
    got += "info: " + bytesToUtf8(showplotinfo(r.plot())) + "\n";
  }
  got += "----\n" + bytesToUtf8(s.log());
  if (!fs::exists(expected) || std::getenv("ORVANEL_UPDATE_GOLDEN")) {
    std::ofstream(expected, std::ios::binary) << got;
    GTEST_SKIP() << "wrote " << expected;
  }
  EXPECT_EQ(readFile(expected), got);
}

std::vector<std::string> pageNames() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(ORVANEL_PAGES_DIR))
    if (e.path().extension() == ".ov") names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Pages, PageLog, testing::ValuesIn(pageNames()),
                         [](const testing::TestParamInfo<std::string>& i) { return i.param; });

}  // namespace
}  // namespace orv::test
