#include "frontend/user_defaults.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "files.h"
#include "frontend/ini_settings.h"
#include "packages/registry.h"

namespace orv::cli {
namespace {

// What [read] finds in a settings file holding [content].
template <class Read>
auto fromStore(const std::string& content, Read read) {
  QTemporaryDir dir;
  std::string path = dir.filePath("Orvanel.conf").toStdString();
  orv::test::writeFile(path, content);
  QSettings store(QString::fromStdString(path), QSettings::IniFormat);
  return read(store);
}

DocSettings defaultsFrom(const std::string& content) {
  return fromStore(content, [](QSettings& s) { return readUserDefaults(s); });
}

void expectSettings(const DocSettings& s, int format, int places, bool degrees) {
  EXPECT_EQ(static_cast<int>(s.format), format);
  EXPECT_EQ(s.places, places);
  EXPECT_EQ(s.degrees, degrees);
}

TEST(UserDefaultsTest, ReadsStoredValuesWithFixedTwoPlacesRadiansForAFreshUser) {
  expectSettings(defaultsFrom(""), 2, 2, false);
  expectSettings(defaultsFrom("[General]\nNumberFormat=0\nNumberDigits=255\nUseDegrees=true\n"), 0,
                 255, true);
  expectSettings(defaultsFrom("[General]\nNumberFormat=1\nNumberDigits=0\nUseDegrees=false\n"), 1,
                 0, false);
}

// The add-on functions a run defines, from --enable or the stored states.
std::vector<bool> enabledFrom(const std::string& content, std::optional<std::string> enable,
                              std::string* unknown) {
  return fromStore(content, [&](QSettings& s) {
    return enabledFunctions(standardRegistry(), enable, s, unknown);
  });
}

TEST(UserDefaultsTest, AddOnFunctionsAreDisabledUnlessStoredOrGiven) {
  const Registry& r = standardRegistry();
  const auto max = static_cast<std::size_t>(r.find("max"));
  const auto ave = static_cast<std::size_t>(r.find("ave"));
  std::string unknown;
  std::vector<bool> on = enabledFrom("", std::nullopt, &unknown);
  EXPECT_EQ(std::count(on.begin(), on.end(), true), 0);
  on = enabledFrom("[General]\nmax=true\nave=false\n", std::nullopt, &unknown);
  EXPECT_TRUE(on[max]);
  EXPECT_FALSE(on[ave]);
  on = enabledFrom("[General]\nmax=true\n", std::string("none"), &unknown);
  EXPECT_FALSE(on[max]);
  on = enabledFrom("", std::string("all"), &unknown);
  EXPECT_EQ(std::count(on.begin(), on.end(), true), static_cast<long>(on.size()));
  on = enabledFrom("", std::string("ave,max"), &unknown);
  EXPECT_TRUE(on[max] && on[ave]);
  EXPECT_TRUE(unknown.empty());
  enabledFrom("", std::string("max,nosuch"), &unknown);
  EXPECT_EQ(unknown, "nosuch");
}

TEST(UserDefaultsTest, UnusableValuesFallBackToTheDefaults) {
  expectSettings(defaultsFrom("[General]\nNumberFormat=3\nNumberDigits=256\nUseDegrees=maybe\n"), 2,
                 2, false);
  expectSettings(defaultsFrom("[General]\nNumberFormat=-1\nNumberDigits=abc\nUseDegrees=\n"), 2, 2,
                 false);
}

DocPrefs documentDefaultsFrom(const std::string& content) {
  return fromStore(content, [](QSettings& s) { return readDocumentDefaults(s); });
}

TEST(UserDefaultsTest, ADocumentWithoutSettingsStartsFromTheWholeDefaultsTable) {
  DocPrefs fresh = documentDefaultsFrom("");
  EXPECT_EQ(fresh.numfmt, 2);
  EXPECT_EQ(fresh.places, 2);
  EXPECT_EQ(fresh.deg, 0);
  EXPECT_EQ(fresh.writefmt, 0);
  EXPECT_EQ(fresh.hidegrid, 0);
  EXPECT_EQ(fresh.boxaxis, 0);
  EXPECT_EQ(fresh.tabWidth, 36);
  EXPECT_EQ(fresh.tfontName, "Menlo");
  EXPECT_EQ(fresh.tfontSize, 11);
  EXPECT_EQ(fresh.pfontName, "Helvetica");
  EXPECT_EQ(fresh.pfontSize, 12);

  DocPrefs stored = documentDefaultsFrom(
      "[General]\nNumberFormat=1\nWriteFormat=5\nShowGridLines=false\nShowAxisBox=true\n"
      "TabWidth=24\nTextFont=Courier New\nTextFontSize=13\nPlotFont=\xC3\x9C\nPlotFontSize=9\n");
  EXPECT_EQ(stored.numfmt, 1);
  EXPECT_EQ(stored.writefmt, 5);
  EXPECT_EQ(stored.hidegrid, 1);
  EXPECT_EQ(stored.boxaxis, 1);
  EXPECT_EQ(stored.tabWidth, 24);
  EXPECT_EQ(stored.tfontName, "Courier New");
  EXPECT_EQ(stored.tfontSize, 13);
  EXPECT_EQ(stored.pfontName, "\x86");  // Mac OS Roman, as the options line carries it
  EXPECT_EQ(stored.pfontSize, 9);

  DocPrefs bad = documentDefaultsFrom("[General]\nWriteFormat=6\nTabWidth=0\nTextFont=\n");
  EXPECT_EQ(bad.writefmt, 0);
  EXPECT_EQ(bad.tabWidth, 36);
  EXPECT_EQ(bad.tfontName, "Menlo");
  DocSettings run = documentSettings(stored);
  EXPECT_EQ(run.format, NumberFormat::kEng);
  EXPECT_EQ(run.writeFormat, 5);
  EXPECT_TRUE(run.hideGrid);
  EXPECT_TRUE(run.boxAxis);
}

// The preferences window shows the registered defaults; a fresh user's
// documents must start from the same values.
TEST(UserDefaultsTest, TheRegisteredDefaultsAgreeWithAFreshDocument) {
  const DocPrefs fresh = documentDefaultsFrom("");
  auto registered = [](const char* key) {
    return fromStore("", [key](QSettings& s) { return userSetting(s, key).toStdString(); });
  };
  EXPECT_EQ(registered("NumberFormat"), std::to_string(fresh.numfmt));
  EXPECT_EQ(registered("NumberDigits"), std::to_string(fresh.places));
  EXPECT_EQ(registered("WriteFormat"), std::to_string(fresh.writefmt));
  EXPECT_EQ(registered("ShowGridLines"), fresh.hidegrid ? "false" : "true");
  EXPECT_EQ(registered("ShowAxisBox"), fresh.boxaxis ? "true" : "false");
  EXPECT_EQ(registered("UseDegrees"), fresh.deg ? "true" : "false");
  EXPECT_EQ(registered("TabWidth"), std::to_string(fresh.tabWidth));
  EXPECT_EQ(registered("TextFont"), fresh.tfontName);
  EXPECT_EQ(registered("TextFontSize"), std::to_string(fresh.tfontSize));
  EXPECT_EQ(registered("PlotFont"), fresh.pfontName);
  EXPECT_EQ(registered("PlotFontSize"), std::to_string(fresh.pfontSize));
  EXPECT_EQ(fromStore("[General]\nTabWidth=24\n",
                      [](QSettings& s) { return userSetting(s, "TabWidth").toStdString(); }),
            "24");
}

TEST(UserDefaultsTest, OptionsOverrideTheDocumentWhichReplacesTheUserDefaults) {
  const DocSettings user{NumberFormat::kSci, 6, true};
  const DocSettings document{NumberFormat::kEng, 3, false};
  SettingChoices none;
  expectSettings(resolveSettings(none, std::nullopt, user), 0, 6, true);
  expectSettings(resolveSettings(none, document, user), 1, 3, false);

  SettingChoices places;
  places.places = 9;
  expectSettings(resolveSettings(places, std::nullopt, user), 0, 9, true);
  expectSettings(resolveSettings(places, document, user), 1, 9, false);

  SettingChoices all;
  all.format = NumberFormat::kFix;
  all.places = 0;
  all.degrees = true;
  expectSettings(resolveSettings(all, document, user), 2, 0, true);
}

TEST(UserDefaultsTest, SimulatorCommandDefaultsToNgspice) {
  auto commandFrom = [](const std::string& content) {
    QTemporaryDir dir;
    std::string path = dir.filePath("Orvanel.conf").toStdString();
    std::ofstream(path) << content;
    QSettings store(QString::fromStdString(path), QSettings::IniFormat);
    return readSimulatorCommand(store);
  };
  EXPECT_EQ(commandFrom(""), "ngspice");
  EXPECT_EQ(commandFrom("[General]\nSpiceCommand=\n"), "ngspice");
  EXPECT_EQ(commandFrom("[General]\nSpiceCommand=/opt/spice/bin/ngspice\n"),
            "/opt/spice/bin/ngspice");
}

// The command line reads the store without Qt; it must find what QSettings
// finds in the same file, however the file was written or edited.
TEST(UserDefaultsTest, TheFileIsReadAsQSettingsReadsIt) {
  const char* files[] = {
      "[General]\nNumberFormat=1\nNumberDigits= 7 \nTextFont=\"  Courier New  \"\n",
      "NumberFormat=0\n[General]\nNumberDigits=3\n[Other]\nNumberFormat=1\n",
      "[general]\nNumberFormat = 1 ; a comment\n; NumberDigits=9\nTabWidth=\"1;2\"\n",
      "[General]\nTextFont=a, b\nPlotFont=\"a, b\"\nSpiceCommand=x\\ty\\\\z\\x41\\101\n",
      "[General]\nmax=true\nave=FALSE\nsum=0\nlog=\nint=no\nstd=\"\"\n",
      "\xEF\xBB\xBF[General]\nUseDegrees=true\nPlotFont=@String(Times)\nTextFont=@@x\n",
      "[General]\nNumberFormat=@Invalid()\nNumber%46ormat=2\nTabWidth=12\nTabWidth=13\n",
      "[General]\nTextFont=line\\\nnext\nPlotFont=\\\"q\\\" \nNumberDigits=\n",
      "[%General]\nNumberFormat=1\n[General]\nPlotFont=\xC3\x9C b\n",
  };
  const char* keys[] = {"NumberFormat",
                        "NumberDigits",
                        "TextFont",
                        "PlotFont",
                        "TabWidth",
                        "SpiceCommand",
                        "UseDegrees",
                        "max",
                        "ave",
                        "sum",
                        "log",
                        "int",
                        "std",
                        "General/NumberFormat",
                        "Other/NumberFormat"};
  for (const char* content : files) {
    QTemporaryDir dir;
    std::string path = dir.filePath("Orvanel.conf").toStdString();
    orv::test::writeFile(path, content);
    QSettings store(QString::fromStdString(path), QSettings::IniFormat);
    IniSettings ini;
    ini.addFile(path);
    for (const char* key : keys) {
      QVariant v = store.value(key);
      std::optional<std::string> expected;
      if (v.isValid()) expected = v.toString().toStdString();
      EXPECT_EQ(ini.value(key), expected) << key << " in\n" << content;
    }
    EXPECT_EQ(readDocumentDefaults(ini).tfontName, readDocumentDefaults(store).tfontName);
    std::string unknown;
    EXPECT_EQ(enabledFunctions(standardRegistry(), std::nullopt, ini, &unknown),
              enabledFunctions(standardRegistry(), std::nullopt, store, &unknown));
  }
}

// The user's files: the application's before the organisation's.
TEST(UserDefaultsTest, TheUsersFilesAreReadInQSettingsOrder) {
  QTemporaryDir dir;
  const std::string home = dir.path().toStdString();
  std::filesystem::create_directories(home + "/Orvanel");
  orv::test::writeFile(home + "/Orvanel/Orvanel.conf", "[General]\nNumberDigits=5\n");
  orv::test::writeFile(home + "/Orvanel.conf", "[General]\nNumberDigits=6\nNumberFormat=0\n");
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  const IniSettings store = IniSettings::user();
  if (old)
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  expectSettings(readUserDefaults(store), 0, 5, false);
}

}  // namespace
}  // namespace orv::cli
