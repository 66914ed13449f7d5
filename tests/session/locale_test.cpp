// Number text never follows the process locale: every golden worksheet, a
// data file round trip and a plot page give the same under a decimal-comma
// locale as under "C".
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/macroman.h"
#include "fake_host.h"
#include "plot/draw.h"
#include "plot/recording_surface.h"
#include "session/worksheet_session.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  std::u16string text;
  std::string status;
  std::string drawing;
};

Outcome runSheet(const std::u16string& text, const std::string& path = "") {
  test::FakeHost host;
  host.overwrite = true;
  WorksheetSession session(host);
  session.setDocumentPath(path);
  session.document().text = text;
  RunResult result = session.run();
  Outcome out{session.document().text, result.status, ""};
  if (auto page = session.plotPage()) {
    RecordingSurface surface;
    drawPage(*page, surface);
    out.drawing = surface.log();
  }
  return out;
}

std::u16string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return utf8ToUtf16(bytes.str());
}

// Runs [run] once in the "C" locale and once with a decimal comma.
class DecimalComma : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
      FAIL() << "the de_DE.UTF-8 locale is missing; scripts/setup generates it";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    std::setlocale(LC_ALL, "C");
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }

  template <typename F>
  void expectSame(F run, const std::string& what) {
    std::setlocale(LC_ALL, "C");
    Outcome c = run();
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    Outcome comma = run();
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(c.text, comma.text) << what;
    EXPECT_EQ(c.status, comma.status) << what;
    EXPECT_EQ(c.drawing, comma.drawing) << what;
  }
};

TEST_F(DecimalComma, GoldenWorksheetsGiveTheSameText) {
  int sheets = 0;
  for (const auto& entry : fs::directory_iterator(ORVANEL_SHEETS_DIR)) {
    if (entry.path().extension() != ".ov") continue;
    const std::u16string text = fileText(entry.path());
    expectSame([&] { return runSheet(text); }, entry.path().filename().string());
    ++sheets;
  }
  EXPECT_GT(sheets, 100);
}

TEST_F(DecimalComma, DataFilesAndPlotPagesAreWrittenAlike) {
  const fs::path dir = fs::temp_directory_path() / ("orvanel-locale-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::u16string sheet =
      u"m := {{1.5, -2.25}, {3.125, 1e-7}}\nwrite(\"m.txt\", m)\n"
      u"read(\"m.txt\")[2, 1] =\nread(\"m.txt\")[2, 2] * 1e7 =\nsprintf(\"%8.3f|%g\", pi, 0.5) =\n";
  expectSame([&] { return runSheet(sheet, (dir / "sheet.ov").string()); }, "data");
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  runSheet(sheet, (dir / "sheet.ov").string());
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(fileText(dir / "m.txt").find(u','), std::u16string::npos);
  fs::remove_all(dir);

  const std::u16string plotting = fileText(fs::path(ORVANEL_EXAMPLES_DIR) / "plotting.ov");
  expectSame([&] { return runSheet(plotting); }, "plotting.ov");
}

}  // namespace
}  // namespace orv
