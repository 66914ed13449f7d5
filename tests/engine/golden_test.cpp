// Golden worksheets: tests/sheets/NAME.ov runs and must give NAME.expected
// (status line, alerts, then the text after the run). A first line
// "-- options: ..." sets the run's format, places and angle unit; "once"
// there skips the check that a second run leaves the text unchanged;
// "addons" enables every add-on function; "saved" runs the sheet as the
// file it is (names of files are relative to tests/sheets), else untitled.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sheet_runner.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Options {
  DocSettings settings;
  bool once = false;
  bool enableAll = false;
  bool saved = false;
};

Options optionsOf(const std::string& sheet) {
  Options o;
  const std::string tag = "-- options:";
  if (sheet.compare(0, tag.size(), tag) != 0) return o;
  std::istringstream words(sheet.substr(tag.size(), sheet.find('\n') - tag.size()));
  std::string w;
  while (words >> w) {
    if (w == "sci") o.settings.format = 0;
    if (w == "eng") o.settings.format = 1;
    if (w == "fix") o.settings.format = 2;
    if (w == "degrees") o.settings.degrees = true;
    if (w == "once") o.once = true;
    if (w == "addons") o.enableAll = true;
    if (w == "saved") o.saved = true;
    if (w.rfind("places=", 0) == 0) o.settings.places = std::stoi(w.substr(7));
  }
  return o;
}

class GoldenSheet : public testing::TestWithParam<std::string> {};

TEST_P(GoldenSheet, MatchesExpected) {
  fs::path dir = ORVANEL_SHEETS_DIR;
  fs::path input = dir / (GetParam() + ".ov");
  fs::path expected = dir / (GetParam() + ".expected");
  std::string sheet = readFile(input);
  Options o = optionsOf(sheet);
  const std::string path = o.saved ? input.string() : "";
  SheetResult first = runSheet(sheet, o.settings, o.enableAll, path);
  std::string got = describe(first);
  if (!fs::exists(expected) || std::getenv("ORVANEL_UPDATE_GOLDEN")) {
    std::ofstream(expected, std::ios::binary) << got;
    GTEST_SKIP() << "wrote " << expected;
  }
  EXPECT_EQ(readFile(expected), got);
  if (!o.once && first.ok) {
    SheetResult second = runSheet(first.text, o.settings, o.enableAll, path);
    EXPECT_EQ(first.text, second.text) << "a second run changed the text";
  }
}

std::vector<std::string> sheetNames() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(ORVANEL_SHEETS_DIR))
    if (e.path().extension() == ".ov") names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Sheets, GoldenSheet, testing::ValuesIn(sheetNames()),
                         [](const testing::TestParamInfo<std::string>& i) {
                           std::string n = i.param;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
}  // namespace orv::test
