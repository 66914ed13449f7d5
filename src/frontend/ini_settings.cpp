#include "frontend/ini_settings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/macroman.h"

namespace orv {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\n' || c == '\r'; }
bool isSpace(char c) { return isBlank(c) || isLineEnd(c) || c == '\f' || c == '\v'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One logical line of [data] from [*pos]: its text (without the line end)
// and the offset of its first '=' within it, or npos. A backslash escapes
// the next character, a line end included; a ';' outside quotes ends the
// line and starts a comment, which a ';' at the start of a line is whole.
bool nextLine(std::string_view data, std::size_t* pos, std::string_view* line,
              std::size_t* equals) {
  std::size_t i = *pos;
  const std::size_t n = data.size();
  while (i < n && isSpace(data[i])) ++i;
  std::size_t start = i;
  *equals = std::string_view::npos;
  bool inQuotes = false;
  while (i < n) {
    const char ch = data[i++];
    if (ch == '=') {
      if (*equals == std::string_view::npos) *equals = i - 1 - start;
    } else if (isLineEnd(ch)) {
      --i;
      break;
    } else if (ch == '\\') {
      if (i < n) {
        const char next = data[i++];
        if (i < n && isLineEnd(next) && isLineEnd(data[i]) && data[i] != next) ++i;
      }
    } else if (ch == '"') {
      inQuotes = !inQuotes;
    } else if (ch == ';') {
      if (i == start + 1) {
        while (i < n && !isLineEnd(data[i])) ++i;
        while (i < n && isSpace(data[i])) ++i;
        start = i;
        *equals = std::string_view::npos;
        inQuotes = false;
      } else if (!inQuotes) {
        --i;
        break;
      }
    }
  }
  *pos = i;
  *line = data.substr(start, i - start);
  return i > start;
}

// A key as written in the file: '\' stands for '/', %XX and %UXXXX for
// characters.
std::string unescapedKey(std::string_view key) {
  std::string out;
  for (std::size_t i = 0; i < key.size();) {
    const char ch = key[i];
    if (ch == '\\') {
      out += '/';
      ++i;
      continue;
    }
    if (ch == '%' && i + 1 < key.size()) {
      std::size_t first = i + 1, digits = 2;
      if (key[first] == 'U') ++first, digits = 4;
      char32_t code = 0;
      bool ok = first + digits <= key.size();
      for (std::size_t k = first; ok && k < first + digits; ++k) {
        int d = hexDigit(key[k]);
        ok = d >= 0;
        code = code * 16 + static_cast<char32_t>(d);
      }
      if (ok) {
        appendUtf8(out, code);
        i = first + digits;
        continue;
      }
    }
    appendUtf8(out, static_cast<unsigned char>(ch));
    ++i;
  }
  return out;
}

// A value as written in the file: surrounding blanks dropped unless quoted,
// C escapes, and commas outside quotes separating the items of a list.
// Returns whether it is a list.
bool unescapedValue(std::string_view s, std::string* out) {
  static constexpr char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                         {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                         {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
  bool list = false, inQuotes = false, quoted = false;
  std::size_t i = 0, keep = 0;  // blanks at the end are dropped down to keep
  auto skipBlanks = [&] {
    while (i < s.size() && isBlank(s[i])) ++i;
    keep = out->size();
  };
  auto chopBlanks = [&] {
    while (out->size() > keep && isBlank(out->back())) out->pop_back();
  };
  out->clear();
  skipBlanks();
  while (i < s.size()) {
    const char ch = s[i];
    if (ch == '\\') {
      if (++i >= s.size()) break;
      const char e = s[i++];
      bool done = false;
      for (const auto& code : kEscapes)
        if (e == code[0]) {
          *out += code[1];
          done = true;
        }
      if (done) {
        keep = out->size();
        continue;
      }
      if ((e == 'x' && i < s.size() && hexDigit(s[i]) >= 0) || (e >= '0' && e <= '7')) {
        const int base = e == 'x' ? 16 : 8;
        char32_t code = e == 'x' ? 0 : static_cast<char32_t>(e - '0');
        while (i < s.size()) {
          int d = hexDigit(s[i]);
          if (d < 0 || d >= base) break;
          code = code * static_cast<char32_t>(base) + static_cast<char32_t>(d);
          ++i;
        }
        appendUtf8(*out, code);
      } else if (isLineEnd(e) && i < s.size() && isLineEnd(s[i]) && s[i] != e) {
        ++i;
      }
      keep = out->size();
    } else if (ch == '"') {
      ++i;
      quoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) skipBlanks();
    } else if (ch == ',' && !inQuotes) {
      if (!quoted) chopBlanks();
      list = true;
      out->clear();
      quoted = false;
      ++i;
      skipBlanks();
    } else {
      *out += ch;
      ++i;
    }
  }
  if (!quoted) chopBlanks();
  return list;
}

// The text QSettings' value gives for a stored text: "@String(...)" and
// "@ByteArray(...)" hold plain text, "@@" stands for "@", "@Invalid()" is no
// value, and other typed values are no text.
std::optional<std::string> storedText(const std::string& s) {
  if (s.empty() || s[0] != '@') return s;
  if (s.back() == ')') {
    if (s.rfind("@String(", 0) == 0) return s.substr(8, s.size() - 9);
    if (s.rfind("@ByteArray(", 0) == 0) return s.substr(11, s.size() - 12);
    if (s == "@Invalid()") return std::nullopt;
    for (const char* typed : {"@Variant(", "@DateTime(", "@Rect(", "@Size(", "@Point("})
      if (s.rfind(typed, 0) == 0) return std::string();
  }
  if (s.rfind("@@", 0) == 0) return s.substr(1);
  return s;
}

}  // namespace

void IniSettings::addText(std::string_view data) {
  if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);
  std::map<std::string, std::optional<std::string>> file;
  std::string section;
  std::size_t pos = 0, equals = 0;
  std::string_view line;
  while (nextLine(data, &pos, &line, &equals)) {
    if (line[0] == '[') {
      std::size_t close = line.find(']');
      std::string_view name =
          trimmed(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      if (equalsIgnoringCase(name, "general"))
        section.clear();
      else if (equalsIgnoringCase(name, "%general"))
        section = std::string(name.substr(1)) + "/";
      else
        section = unescapedKey(name) + "/";
      continue;
    }
    if (equals == std::string_view::npos) continue;
    std::string key = section + unescapedKey(trimmed(line.substr(0, equals)));
    std::string text;
    const bool list = unescapedValue(line.substr(equals + 1), &text);
    file[key] = list ? std::optional<std::string>("") : storedText(text);
  }
  for (auto& [key, value] : file) values_.emplace(key, std::move(value));
}

void IniSettings::addFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  std::ostringstream text;
  text << in.rdbuf();
  addText(text.str());
}

std::optional<std::string> IniSettings::value(const std::string& key) const {
  auto it = values_.find(key);
  return it == values_.end() ? std::nullopt : it->second;
}

IniSettings IniSettings::user() {
  std::string home;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') {
    home = config;
  } else {
    const char* h = std::getenv("HOME");
    home = std::string(h ? h : "") + "/.config";
  }
  IniSettings s;
  for (const std::string& dir : {home, std::string("/etc/xdg")}) {
    s.addFile(dir + "/Orvanel/Orvanel.conf");
    s.addFile(dir + "/Orvanel.conf");
  }
  return s;
}

}  // namespace orv
