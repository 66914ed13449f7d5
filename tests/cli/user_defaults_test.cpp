#include "cli/user_defaults.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <fstream>

namespace orv::cli {
namespace {

// Reads the user defaults from a settings file holding [content].
DocSettings defaultsFrom(const std::string& content) {
  QTemporaryDir dir;
  std::string path = dir.filePath("Orvanel.conf").toStdString();
  std::ofstream(path) << content;
  QSettings store(QString::fromStdString(path), QSettings::IniFormat);
  return readUserDefaults(store);
}

void expectSettings(const DocSettings& s, int format, int places, bool degrees) {
  EXPECT_EQ(s.format, format);
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

TEST(UserDefaultsTest, UnusableValuesFallBackToTheDefaults) {
  expectSettings(defaultsFrom("[General]\nNumberFormat=3\nNumberDigits=256\nUseDegrees=maybe\n"), 2,
                 2, false);
  expectSettings(defaultsFrom("[General]\nNumberFormat=-1\nNumberDigits=abc\nUseDegrees=\n"), 2, 2,
                 false);
}

TEST(UserDefaultsTest, OptionsOverrideTheDocumentWhichReplacesTheUserDefaults) {
  const DocSettings user{0, 6, true};
  const DocSettings document{1, 3, false};
  RunOptions none;
  expectSettings(resolveSettings(none, std::nullopt, user), 0, 6, true);
  expectSettings(resolveSettings(none, document, user), 1, 3, false);

  RunOptions places;
  places.places = 9;
  expectSettings(resolveSettings(places, std::nullopt, user), 0, 9, true);
  expectSettings(resolveSettings(places, document, user), 1, 9, false);

  RunOptions all;
  all.format = 2;
  all.places = 0;
  all.degrees = true;
  expectSettings(resolveSettings(all, document, user), 2, 0, true);
}

}  // namespace
}  // namespace orv::cli
