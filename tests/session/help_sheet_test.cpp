// The help worksheets of the desktop application: each one opens as an
// untitled document and must run to the success mark, or to the unknown that
// its first line announces (as "? name?"), whichever add-on functions are
// enabled. The help of an add-on package or function (in functions/) runs to
// the success mark with the add-on functions enabled, and without them shows
// the unknown function but no fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/macroman.h"
#include "doc/document.h"
#include "fake_host.h"
#include "files.h"
#include "lang/addons.h"
#include "session/worksheet_session.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

// Every help worksheet, as its path below the help folder.
std::vector<fs::path> helpSheets() {
  std::vector<fs::path> sheets;
  for (const auto& entry : fs::recursive_directory_iterator(ORVANEL_HELP_DIR))
    if (entry.path().extension() == ".ov")
      sheets.push_back(entry.path().lexically_relative(ORVANEL_HELP_DIR));
  std::sort(sheets.begin(), sheets.end());
  return sheets;
}

bool isAddOnHelp(const fs::path& sheet) { return sheet.parent_path() == "functions"; }

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// "√", or the unknown named in quotes on the first line.
std::string expectedStatus(const std::string& text) {
  const std::string line = firstLine(text);
  const std::size_t open = line.find("\"? ");
  const std::size_t close = open == std::string::npos ? open : line.find("?\"", open + 3);
  if (close != std::string::npos) return line.substr(open + 1, close - open);
  return "\u221A";
}

struct Ran {
  RunResult result;
  std::string text;  // UTF-8, after the run
};

Ran runUntitled(const std::u16string& text, bool addOns, int times = 1) {
  test::FakeHost host;
  WorksheetSession session(host);
  session.setAddOnsEnabled(std::vector<bool>(session.registry().functions().size(), addOns));
  session.document().text = text;
  Ran ran;
  for (int i = 0; i < times; ++i) ran.result = session.run();
  ran.text = utf16ToUtf8(session.document().text);
  return ran;
}

// Columns of [line], tabs stopping every 8.
std::size_t width(const std::u16string& line) {
  std::size_t w = 0;
  for (char16_t c : line) w = c == u'\t' ? (w / 8 + 1) * 8 : w + 1;
  return w;
}

TEST(HelpSheets, EachRunsCleanWithEveryAddOnAndWithNone) {
  std::vector<fs::path> sheets = helpSheets();
  ASSERT_FALSE(sheets.empty()) << "no help worksheets in " << ORVANEL_HELP_DIR;
  for (const fs::path& path : sheets) {
    std::string bytes = test::readFile(fs::path(ORVANEL_HELP_DIR) / path);
    std::u16string text = readWorksheetText(bytes);
    std::string expected = expectedStatus(utf16ToUtf8(text));
    for (bool addOns : {true, false}) {
      SCOPED_TRACE(path.string() + (addOns ? " with add-ons" : " without add-ons"));
      Ran ran = runUntitled(text, addOns);
      ASSERT_TRUE(ran.result.completed) << ran.result.error;
      EXPECT_TRUE(ran.result.outcome.ok) << "line " << ran.result.line << ", column "
                                         << ran.result.column << ": " << ran.result.status;
      if (isAddOnHelp(path) && !addOns)
        EXPECT_TRUE(ran.result.status == expected || ran.result.status.rfind("? ", 0) == 0)
            << ran.result.status;
      else
        EXPECT_EQ(ran.result.status, expected);
      EXPECT_FALSE(ran.result.edits.empty()) << "the run wrote no results";
      EXPECT_NE(ran.text.find(':'), std::string::npos);
    }
  }
}

TEST(HelpSheets, StayTheSameOnTheNextRunAndFitNinetyColumns) {
  for (const fs::path& path : helpSheets()) {
    SCOPED_TRACE(path.string());
    std::u16string text = readWorksheetText(test::readFile(fs::path(ORVANEL_HELP_DIR) / path));
    Ran once = runUntitled(text, true);
    Ran twice = runUntitled(text, true, 2);
    EXPECT_EQ(once.text, twice.text);

    std::u16string after = utf8ToUtf16(once.text);
    std::size_t lineNo = 1, start = 0;
    while (start < after.size()) {
      std::size_t end = std::min(after.find(u'\n', start), after.size());
      std::u16string line = after.substr(start, end - start);
      EXPECT_LE(width(line), 90u) << "line " << lineNo << ": " << utf16ToUtf8(line);
      start = end + 1;
      ++lineNo;
    }
  }
}

// The entries of the help resource file: the name each is found under (its
// alias, or its path) and its file.
struct HelpResource {
  std::string name, file;
};

std::vector<HelpResource> helpResources() {
  const std::string qrc = test::readFile(fs::path(ORVANEL_HELP_DIR) / "help.qrc");
  std::vector<HelpResource> entries;
  for (std::size_t at = qrc.find("<file"); at != std::string::npos;
       at = qrc.find("<file", at + 1)) {
    const std::size_t open = qrc.find('>', at), end = qrc.find("</file>", at);
    if (open == std::string::npos || end == std::string::npos) break;
    HelpResource r;
    r.file = qrc.substr(open + 1, end - open - 1);
    const std::size_t alias = qrc.find("alias=\"", at);
    r.name = alias < open ? qrc.substr(alias + 7, qrc.find('"', alias + 7) - alias - 7) : r.file;
    entries.push_back(r);
  }
  return entries;
}

TEST(HelpSheets, TheResourceFileListsEveryHelpSheet) {
  ASSERT_NE(test::readFile(fs::path(ORVANEL_HELP_DIR) / "help.qrc").find("prefix=\"/help\""),
            std::string::npos);
  std::vector<std::string> listed;
  for (const HelpResource& r : helpResources()) listed.push_back(r.file);
  std::sort(listed.begin(), listed.end());
  std::vector<std::string> present;
  for (const fs::path& path : helpSheets()) present.push_back(path.generic_string());
  EXPECT_EQ(listed, present);
}

// Each package and each add-on function has its help, named like it, and
// there is no help of a name that is neither.
TEST(HelpSheets, EveryPackageAndAddOnFunctionHasItsOwn) {
  test::FakeHost host;
  WorksheetSession session(host);
  std::vector<std::string> names;
  for (const AddOnPackage& p : session.registry().packages()) names.push_back(p.prefix);
  for (const AddOnFunction& f : session.registry().functions()) names.push_back(f.name);
  std::sort(names.begin(), names.end());
  std::vector<std::string> sheets;
  for (const HelpResource& r : helpResources())
    if (isAddOnHelp(r.name)) sheets.push_back(fs::path(r.name).stem().string());
  std::sort(sheets.begin(), sheets.end());
  EXPECT_EQ(sheets, names);
}

}  // namespace
}  // namespace orv
