// Golden drawing logs: tests/plot/pages/NAME.ov runs, its page is drawn on
// the recording surface, and the status, information line and drawing log
// must equal NAME.log.
#include <gtest/gtest.h>

#include "base/macroman.h"
#include "files.h"
#include "golden.h"
#include "plot/draw.h"
#include "plot_runner.h"

namespace orv::test {
namespace {

class PageLog : public testing::TestWithParam<std::string> {};

TEST_P(PageLog, MatchesGolden) {
  const std::filesystem::path dir = ORVANEL_PAGES_DIR;
  PlotRun r;
  r.run(readFile(dir / (GetParam() + ".ov")));
  RecordingSurface s = testSurface();
  std::string got = "status: " + r.status() + "\n";
  if (r.outcome.plot) {
    drawPage(r.plot(), s);
    got += "info: " + bytesToUtf8(showplotinfo(r.plot())) + "\n";
  }
  got += "----\n" + bytesToUtf8(s.log());
  expectGolden(dir / (GetParam() + ".log"), got);
}

INSTANTIATE_TEST_SUITE_P(Pages, PageLog, testing::ValuesIn(goldenNames(ORVANEL_PAGES_DIR, ".ov")),
                         [](const testing::TestParamInfo<std::string>& i) { return i.param; });

}  // namespace
}  // namespace orv::test
