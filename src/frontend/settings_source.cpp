#include "frontend/settings_source.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "base/macroman.h"
#include "doc/document.h"

namespace orv {

namespace {

// The white space that Qt's trimming removes (QChar::isSpace).
bool isSpace16(char16_t c) {
  return (c >= 9 && c <= 13) || c == ' ' || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

std::u16string trimmed16(const std::string& utf8) {
  std::u16string s = utf8ToUtf16(utf8);
  std::size_t from = 0, to = s.size();
  while (from < to && isSpace16(s[from])) ++from;
  while (to > from && isSpace16(s[to - 1])) --to;
  return s.substr(from, to - from);
}

std::string lowerAscii(std::u16string s) {
  std::string out;
  for (char16_t c : s) {
    if (c >= 0x80) return "";  // none of the words compared with
    out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  }
  return out;
}

// A decimal integer with an optional sign and white space around it, as
// QString::toInt reads one; nothing when the text is not one or is out of
// the range of int.
std::optional<int> toInt(const std::string& text) {
  std::u16string s = trimmed16(text);
  std::string digits;
  for (char16_t c : s) {
    if (c >= 0x80) return std::nullopt;
    digits += static_cast<char>(c);
  }
  if (digits.empty()) return std::nullopt;
  std::size_t i = digits[0] == '+' || digits[0] == '-' ? 1 : 0;
  if (digits.size() <= i) return std::nullopt;
  for (std::size_t k = i; k < digits.size(); ++k)
    if (digits[k] < '0' || digits[k] > '9') return std::nullopt;
  errno = 0;
  long long v = std::strtoll(digits.c_str(), nullptr, 10);
  if (errno == ERANGE || v < INT_MIN || v > INT_MAX) return std::nullopt;
  return static_cast<int>(v);
}

// The integer stored under [key] when it is one within [lo, hi], else [fallback].
int readInt(const SettingsSource& store, const char* key, int lo, int hi, int fallback) {
  std::optional<std::string> v = store.value(key);
  if (!v) return fallback;
  std::optional<int> n = toInt(*v);
  return n && *n >= lo && *n <= hi ? *n : fallback;
}

bool readBool(const SettingsSource& store, const char* key, bool fallback) {
  std::optional<std::string> v = store.value(key);
  if (!v) return fallback;
  std::string text = lowerAscii(trimmed16(*v));
  if (text == "true" || text == "1" || text == "yes") return true;
  if (text == "false" || text == "0" || text == "no") return false;
  return fallback;
}

// A font name stored under [key] as the settings record holds it: Mac OS
// Roman, at most kFontNameMax bytes.
std::string readFontName(const SettingsSource& store, const char* key,
                         const std::string& fallback) {
  std::u16string name = trimmed16(store.value(key).value_or(""));
  if (name.empty()) return fallback;
  return utf16ToBytes(name).substr(0, kFontNameMax);
}

// A flag as a stored value gives it: anything but nothing, "0" and "false"
// (in any case) is true.
bool storedFlag(const std::optional<std::string>& v) {
  if (!v || v->empty()) return false;
  std::string text = lowerAscii(utf8ToUtf16(*v));
  return text != "0" && text != "false";
}

}  // namespace

std::string userSetting(const SettingsSource& store, const std::string& key) {
  if (std::optional<std::string> v = store.value(key)) return *v;
  for (const RegisteredDefault& d : kRegisteredDefaults)
    if (key == d.key) return d.value;
  return "";
}

DocSettings readUserDefaults(const SettingsSource& store) {
  DocSettings defaults;
  DocSettings s;
  s.format = NumberFormat{readInt(store, "NumberFormat", 0, 2, static_cast<int>(defaults.format))};
  s.places = readInt(store, "NumberDigits", 0, 255, defaults.places);
  s.degrees = readBool(store, "UseDegrees", defaults.degrees);
  return s;
}

DocPrefs readDocumentDefaults(const SettingsSource& store) {
  DocPrefs p = defaultPrefs();
  DocSettings s = readUserDefaults(store);
  p.numfmt = static_cast<uint8_t>(s.format);
  p.places = static_cast<uint8_t>(s.places);
  p.deg = s.degrees ? 1 : 0;
  p.writefmt = static_cast<uint8_t>(readInt(store, "WriteFormat", 0, 5, p.writefmt));
  p.hidegrid = readBool(store, "ShowGridLines", !p.hidegrid) ? 0 : 1;
  p.boxaxis = readBool(store, "ShowAxisBox", p.boxaxis) ? 1 : 0;
  p.tabWidth = readInt(store, "TabWidth", 1, 900, p.tabWidth);
  p.tfontName = readFontName(store, "TextFont", p.tfontName);
  p.tfontSize = readInt(store, "TextFontSize", 1, 1600, p.tfontSize);
  p.pfontName = readFontName(store, "PlotFont", p.pfontName);
  p.pfontSize = readInt(store, "PlotFontSize", 1, 1600, p.pfontSize);
  return p;
}

std::string readSimulatorCommand(const SettingsSource& store) {
  std::u16string command = trimmed16(store.value("SpiceCommand").value_or(""));
  return command.empty() ? "ngspice" : utf16ToUtf8(command);
}

DocSettings resolveSettings(const SettingChoices& given, const std::optional<DocSettings>& document,
                            const DocSettings& userDefaults) {
  DocSettings s = document ? *document : userDefaults;
  if (given.format) s.format = *given.format;
  if (given.places) s.places = *given.places;
  if (given.degrees) s.degrees = *given.degrees;
  return s;
}

std::vector<bool> enabledFunctions(const Registry& registry,
                                   const std::optional<std::string>& enable,
                                   const SettingsSource& store, std::string* unknown) {
  const auto& funs = registry.functions();
  std::vector<bool> on(funs.size(), false);
  if (!enable) {
    for (std::size_t i = 0; i < funs.size(); ++i) on[i] = storedFlag(store.value(funs[i].name));
    return on;
  }
  if (*enable == "all") return std::vector<bool>(funs.size(), true);
  if (*enable == "none") return on;
  std::size_t from = 0;
  while (from <= enable->size()) {
    std::size_t comma = enable->find(',', from);
    std::string name =
        enable->substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    int slot = registry.find(name);
    if (slot < 0) {
      *unknown = name;
      return on;
    }
    on[static_cast<std::size_t>(slot)] = true;
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return on;
}

}  // namespace orv
