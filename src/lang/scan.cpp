// The scanner: turns the worksheet buffer into tokens, one lookahead at a
// time, and the parser primitives accept and Require.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "lang/engine.h"

namespace orv {

namespace {

inline bool isLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool isAlnum(unsigned char c) { return isLetter(c) || isDigit(c); }

// ORDER TOKENS: multi-character operators, codes 128 + index.
constexpr const char* kMultis[] = {":=", ",,", ">=", "<=", "==", "!="};

// ORDER TOKENS: single-character punctuation.
constexpr unsigned char kPunct[] = {',', ':', '=',     '(',     ')',     '*', '-', '/',
                                    '+', '^', '>',     '<',     kGeByte, kLeByte, kNeByte, '[',
                                    ']', '{', '}',     '#',     '?',     '|'};

// The reserved words: named constants, keywords and built-in functions. A
// word matches when it equals the whole run of ASCII letters and digits at
// the scan position (so "plot_x" is the keyword plot, "atan2" is not atan).
enum class WordKind { Constant, Keyword, Builtin };
struct Word {
  std::string_view text;
  WordKind kind;
  int code;  // token code, or for constants: 0 pi, 1 Radians, 2 on, 3 off
};

std::vector<Word> makeWords() {
  std::vector<Word> w;
  for (int i = 0; i < kNamedConstantCount; ++i)
    w.push_back({kNamedConstants[i], WordKind::Constant, i});
  for (int i = 0; i < kKeywordCount; ++i) w.push_back({kKeywords[i], WordKind::Keyword, KW_AND + i});
  for (int i = 0; i < kBuiltinCount; ++i)
    w.push_back({kBuiltins[i].name, WordKind::Builtin, FN_ABS + i});
  std::sort(w.begin(), w.end(), [](const Word& a, const Word& b) { return a.text < b.text; });
  return w;
}

const Word* findWord(std::string_view run) {
  static const std::vector<Word> words = makeWords();
  auto it = std::lower_bound(words.begin(), words.end(), run,
                             [](const Word& w, std::string_view r) { return w.text < r; });
  return it != words.end() && it->text == run ? &*it : nullptr;
}

// Power of ten of an engineering suffix letter; false for other letters.
bool suffixPower(unsigned char c, int* power) {
  switch (c) {
    case 'G': *power = 9; return true;
    case 'M': *power = 6; return true;
    case 'K': *power = 3; return true;
    case 'm': *power = -3; return true;
    case 'u': *power = -6; return true;
    case kMicroByte: *power = -6; return true;
    case 'n': *power = -9; return true;
    case 'p': *power = -12; return true;
    case 'f': *power = -15; return true;
    default: return false;
  }
}

// Scans a number at [p]: decimal digits with an optional fraction and one
// optional suffix, or 0x and hex digits. Returns its length, 0 when the text
// is not a number (a bare exponent letter, for example "1e").
std::size_t scanNumber(const char* p, double* value) {
  const char* q = p;
  if (q[0] == '0' && q[1] == 'x') {
    q += 2;
    uint64_t v = 0;
    for (;; ++q) {
      unsigned char c = *q;
      int d;
      if (isDigit(c)) d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else break;
      v = v * 16 + d;
    }
    *value = static_cast<double>(static_cast<int64_t>(v));
    return q - p;
  }
  const char* digitsEnd;
  while (isDigit(*q)) ++q;
  if (*q == '.') {
    ++q;
    while (isDigit(*q)) ++q;
  }
  digitsEnd = q;
  long exponent = 0;
  unsigned char c = *q;
  int power;
  if (c == 'e' || c == 'E') {
    const char* r = q + 1;
    bool negative = false;
    if (*r == '-' || *r == '+') negative = *r++ == '-';
    if (!isDigit(*r)) return 0;
    for (; isDigit(*r); ++r)
      if (exponent < 100000) exponent = exponent * 10 + (*r - '0');
    if (negative) exponent = -exponent;
    q = r;
  } else if (suffixPower(c, &power)) {
    exponent = power;
    ++q;
  }
  // The value is the decimal number written, correctly rounded: the digits
  // and the exponent go through one decimal-to-binary conversion.
  char text[64];
  std::size_t ndigits = digitsEnd - p;
  double v;
  if (ndigits + 12 < sizeof text) {
    std::memcpy(text, p, ndigits);
    int extra = std::snprintf(text + ndigits, sizeof text - ndigits, "e%ld", exponent);
    auto r = std::from_chars(text, text + ndigits + extra, v);
    if (r.ec != std::errc()) {
      double m = 0;
      std::from_chars(p, digitsEnd, m);
      v = m * std::pow(10.0, static_cast<double>(exponent));
    }
  } else {
    std::from_chars(p, digitsEnd, v);
    if (exponent != 0) v *= std::pow(10.0, static_cast<double>(exponent));
  }
  *value = v;
  return q - p;
}

}  // namespace

// scan -> skip { blank | comment } ( EOF | EOL | constant | keyword | multi
//         | punctuation | builtin | name | string )
// Reserved words are looked up once for the letter run at the position;
// since a word is reserved in one table only, the rules' order is kept.
void Engine::scan(std::size_t& p) {
  tokn = NOTOK;
  const char* b = cstring.c_str();
  for (;;) {
    while (b[p] == ' ' || b[p] == '\t') ++p;
    if (b[p] == '~') {
      const char* close = std::strchr(b + p + 1, '~');
      p = close ? (close - b) + 1 : cstring.size();
    } else if (b[p] == '-' && b[p + 1] == '-') {
      while (b[p] && b[p] != '\n' && b[p] != '\r') ++p;
    } else {
      break;
    }
  }
  const char* s = b + p;
  unsigned char c = *s;
  if (c == '\0') {
    tokn = EOFTOK;
    return;
  }
  if (c == '\n' || c == '\r' || c == ';') {
    tokn = EOL;
    ++p;
    return;
  }
  std::size_t len;
  if (c == kPiByte || c == kInfinityByte) {
    tokn = CONSTANT;
    tokcon = c == kPiByte ? 2 * std::asin(1.0) : HUGE_VAL;
    ++p;
    return;
  }
  if (isLetter(c)) {
    len = 1;
    while (isAlnum(static_cast<unsigned char>(s[len]))) ++len;
    if (const Word* w = findWord(std::string_view(s, len))) {
      p += len;
      if (w->kind != WordKind::Constant) {
        tokn = w->code;
        return;
      }
      static const double kConstants[] = {2 * std::asin(1.0), 0, 1, 0};
      tokn = CONSTANT;
      tokcon = w->code == 1 ? 1.0 / angunits : kConstants[w->code];
      return;
    }
  }
  if (isDigit(c) || (c == '.' && isDigit(static_cast<unsigned char>(s[1])))) {
    len = scanNumber(s, &tokcon);
    if (len == 0) return;  // NOTOK
    tokn = CONSTANT;
    p += len;
    return;
  }
  for (int i = 0; i < 6; ++i) {
    if (s[0] == kMultis[i][0] && s[1] == kMultis[i][1]) {
      tokn = ASSIGN + i;
      p += 2;
      return;
    }
  }
  if (const void* hit = std::memchr(kPunct, c, sizeof kPunct)) {
    (void)hit;
    tokn = c == kGeByte ? int(GE) : c == kLeByte ? int(LE) : c == kNeByte ? int(NE) : int(c);
    ++p;
    return;
  }
  if (isLetter(c) || c == '_') {
    const char* e = s + 1;
    while (isAlnum(static_cast<unsigned char>(*e)) || *e == '_') ++e;
    len = e - s;
    p += len;
    if (len > 127) {
      errmsg(" name is too long");
      return;
    }
    std::memcpy(tokstr, s, len);
    tokstr[len] = '\0';
    tokn = VARIABLE;
    return;
  }
  if (c == '"') {
    const char* e = s + 1;
    while (*e && *e != '"' && *e != '\n' && *e != '\r') ++e;
    if (*e != '"') return;  // unclosed on its line: NOTOK
    len = e - s - 1;
    p += len + 2;
    if (len > 127) {
      errmsg(" name is too long");
      return;
    }
    std::memcpy(tokstr, s + 1, len);
    tokstr[len] = '\0';
    tokn = STRING;
    return;
  }
}

bool Engine::accept(int code) {
  if (tokn != code) return false;
  lastsel = selo < cstring.size() ? selo : cstring.size();
  std::size_t p = lastsel;
  scan(p);
  selo = selhi = p;
  return true;
}

void Engine::Require(int code) {
  if (accept(code)) return;
  if (code == EOL && tokn == ':') {
    // A complete statement that still carries an old result: remove it.
    selo = lastsel;
    selhi = lastsel + 1;
    WEDelete();
    del2eol();
    accept(':');
    return;
  }
  errmsg2(" missing %s", pritok(code).c_str());
}

std::string Engine::pritok(int code) {
  switch (code) {
    case EOFTOK: return "<EOF>";
    case 1:
    case 2: return "VARIABLE";
    case CONSTANT: return "CONSTANT";
    case EOL: return ";";
    default:
      if (code >= 5 && code <= 127) return std::string(1, static_cast<char>(code));
      return "?";
  }
}

}  // namespace orv
