// The table of setting variables and the table of built-in functions, which
// the scanner, the colouring and the function browser share: every name the
// engine reads as a setting is listed, every listed name is read, and the
// scanner's words are the tables' names.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "doc/stxcolor.h"
#include "files.h"
#include "lang/setting_names.h"
#include "lang/tokens.h"
#include "worksheet.h"

namespace orv::test {
namespace {

// The token the scanner makes of [word].
int scan(const std::string& word) {
  FakeHost host;
  Engine e(host);
  e.WESetTextStorage(nullptr, 0, word);
  e.accept(NOTOK);
  return e.tokn;
}

bool isNamedConstant(const std::string& name) {
  return std::find(std::begin(kNamedConstants), std::end(kNamedConstants), name) !=
         std::end(kNamedConstants);
}

TEST(BrowserTables, TheScannerKnowsEachBuiltInAndConstantByItsPlaceInTheTables) {
  for (int i = 0; i < kBuiltinCount; ++i) {
    EXPECT_EQ(scan(kBuiltins[i].name), FN_ABS + i) << kBuiltins[i].name;
    EXPECT_STRNE(kBuiltins[i].description, "") << kBuiltins[i].name;
  }
  std::set<std::string> settings;
  for (const SettingEntry& s : kSettings) {
    EXPECT_TRUE(settings.insert(s.name).second) << s.name << " twice";
    EXPECT_STRNE(s.description, "") << s.name;
    // A setting is a variable to the scanner unless it is a named constant.
    EXPECT_EQ(scan(s.name), isNamedConstant(s.name) ? CONSTANT : VARIABLE) << s.name;
  }
  for (const char* c : kNamedConstants) EXPECT_EQ(settings.count(c), 1u) << c;

  const SyntaxWords words;
  for (const BuiltinEntry& b : kBuiltins) EXPECT_TRUE(words.matchkey(b.name)) << b.name;
  for (const SettingEntry& s : kSettings) EXPECT_TRUE(words.matchkey(s.name)) << s.name;
}

// A run that plots a function and an image, makes a table and writes a
// file reads every setting; the names it looked up without the worksheet
// defining them are exactly the listed settings that are not constants.
TEST(BrowserTables, TheSettingsAreTheNamesTheEngineReads) {
  TempDir dir;
  Worksheet sheet;
  sheet.documentPath(dir.path("sheet.ov"));
  SheetResult r = sheet.run(
      "f(x) = x^2\n"
      "plot f(X)\n"
      "img[i, j] = i + j dim[3, 3]\n"
      "image img\n"
      "table f(N)\n"
      "write(\"out.txt\", {1, 2})\n");
  ASSERT_TRUE(r.ok) << r.status;

  const std::set<std::string> own = {"f", "x", "img", "i", "j"};
  std::set<std::string> read;
  for (const Symbol* bucket : sheet.engine().hashtab)
    for (const Symbol* s = bucket; s; s = s->next)
      if (!own.count(s->name)) read.insert(s->name);
  std::set<std::string> listed;
  for (const SettingEntry& s : kSettings)
    if (!isNamedConstant(s.name)) listed.insert(s.name);
  EXPECT_EQ(read, listed);
}

}  // namespace
}  // namespace orv::test
