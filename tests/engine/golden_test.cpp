// Golden worksheets: tests/sheets/NAME.ov runs and must give NAME.expected
// (status line, alerts, then the text after the run). A first line
// "-- options: ..." sets the run's format, places and angle unit; "once"
// there skips the check that a second run leaves the text unchanged;
// "addons" enables every add-on function; "saved" runs the sheet as the
// file it is (names of files are relative to tests/sheets), else untitled.
#include "golden.h"

#include <gtest/gtest.h>

#include <sstream>

#include "files.h"
#include "worksheet.h"

namespace orv::test {
namespace {

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
    if (w == "sci") o.settings.format = NumberFormat::kSci;
    if (w == "eng") o.settings.format = NumberFormat::kEng;
    if (w == "fix") o.settings.format = NumberFormat::kFix;
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
  const std::filesystem::path dir = ORVANEL_SHEETS_DIR;
  std::string sheet = readFile(dir / (GetParam() + ".ov"));
  Options o = optionsOf(sheet);
  const std::string path = o.saved ? (dir / (GetParam() + ".ov")).string() : "";
  SheetResult first = runSheet(sheet, o.settings, o.enableAll, path);
  expectGolden(dir / (GetParam() + ".expected"), describe(first));
  if (!o.once && first.ok) {
    SheetResult second = runSheet(first.text, o.settings, o.enableAll, path);
    EXPECT_EQ(first.text, second.text) << "a second run changed the text";
  }
}

INSTANTIATE_TEST_SUITE_P(Sheets, GoldenSheet,
                         testing::ValuesIn(goldenNames(ORVANEL_SHEETS_DIR, ".ov")),
                         [](const testing::TestParamInfo<std::string>& i) {
                           std::string n = i.param;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
}  // namespace orv::test
