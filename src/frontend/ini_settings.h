// The user's settings store read without Qt. On this platform QSettings
// keeps the store in INI files; this reads them the way QSettings does:
// the user's file of the application, then the organisation's, then the
// system's two, the first value found winning; sections, escaped keys,
// quoted and escaped values, comments after ';', and lists (which give an
// empty text, as QSettings' value does for them).
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "frontend/settings_source.h"

namespace orv {

class IniSettings : public SettingsSource {
 public:
  // The store of organisation and application "Orvanel".
  static IniSettings user();

  // Adds the keys of the INI text [text] that are not there yet.
  void addText(std::string_view text);
  // The same with the text of the file at [path]; no file adds nothing.
  void addFile(const std::string& path);

  std::optional<std::string> value(const std::string& key) const override;

 private:
  // Key (sections joined with '/') to value; nothing for an invalid value.
  std::map<std::string, std::optional<std::string>> values_;
};

}  // namespace orv
