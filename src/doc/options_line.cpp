#include "doc/options_line.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace orv {

namespace {

constexpr std::string_view kLead = "Orvanel Options:";

bool isAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A cursor over the line with the reader's primitives.
class LineScanner {
 public:
  explicit LineScanner(std::string_view text) : text_(text) {}

  std::string_view rest() const { return text_.substr(p_); }

  // Steps over one character, whatever it is.
  void step() {
    if (p_ < text_.size()) ++p_;
  }

  // Passes [c] when it stands at the current place.
  void pass(char c) {
    if (p_ < text_.size() && text_[p_] == c) ++p_;
  }

  // scankey: passes [key] when it stands here followed by a character that
  // is not a letter or digit (or by the end).
  bool scankey(std::string_view key) {
    if (text_.substr(p_, key.size()) != key) return false;
    std::size_t after = p_ + key.size();
    if (after < text_.size() && isAlnum(text_[after])) return false;
    p_ = after;
    return true;
  }

  // A decimal number after optional blanks, with an optional sign; no digits
  // give 0. The value saturates at the limits of a 32-bit integer.
  int32_t decimal() {
    while (p_ < text_.size() && (text_[p_] == ' ' || text_[p_] == '\t')) ++p_;
    bool negative = false;
    if (p_ < text_.size() && (text_[p_] == '-' || text_[p_] == '+')) {
      negative = text_[p_] == '-';
      ++p_;
    }
    int64_t value = 0;
    while (p_ < text_.size() && text_[p_] >= '0' && text_[p_] <= '9') {
      value = value * 10 + (text_[p_++] - '0');
      if (value > INT32_MAX) value = int64_t(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int32_t>(value);
  }

  // scanquote: a name in double quotes of at most kFontNameMax characters. A
  // longer name is cut, and the reader then stands inside it.
  std::string quoted() {
    std::string name;
    if (p_ >= text_.size() || text_[p_] != '"') return name;
    ++p_;
    while (p_ < text_.size() && text_[p_] != '"' && name.size() < kFontNameMax) name += text_[p_++];
    pass('"');
    return name;
  }

 private:
  std::string_view text_;
  std::size_t p_ = 0;
};

uint8_t toByte(int32_t v, int lo, int hi, int fallback) {
  return static_cast<uint8_t>(v >= lo && v <= hi ? v : fallback);
}

void appendf(std::string* s, const char* format, long a) {
  char text[32];
  std::snprintf(text, sizeof text, format, a);
  *s += text;
}

void appendFrame(std::string* s, int32_t left, int32_t top, int32_t width, int32_t height) {
  for (int32_t v : {left, top, width, height}) appendf(s, "%ld ", v);
}

// A font name as the line can carry it: at most kFontNameMax bytes, and no
// character that would end the quoted name or the line early.
std::string lineFontName(const std::string& name) {
  std::string out = name.substr(0, kFontNameMax);
  for (char& c : out) {
    if (c == '"') c = '\'';
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return out;
}

// One label coordinate in 1000ths, truncated toward zero. A fraction that is
// a whole number of 1000ths but lands a hair below it in floating point keeps
// its value, so positions do not creep down by one with each save.
long labelCoord(double fraction) {
  if (std::isnan(fraction)) return 0;
  double v = fraction * 1000;
  double nearest = std::round(v);
  if (std::fabs(v - nearest) < 1e-6) v = nearest;
  v = std::trunc(v);
  if (v > kLabelCoordLimit) return kLabelCoordLimit;
  if (v < -kLabelCoordLimit) return -kLabelCoordLimit;
  return static_cast<long>(v);
}

}  // namespace

std::string MakePrefsHdr(const DocPrefs& prefs) {
  std::string line = "Orvanel Options: ";
  const char* format = prefs.numfmt == 2 ? "fix %ld " : prefs.numfmt == 1 ? "eng %ld " : "sci %ld ";
  appendf(&line, format, prefs.places);
  if (prefs.writefmt != 0) appendf(&line, "writefmt %ld ", prefs.writefmt);
  if (prefs.deg) line += "deg;";
  if (prefs.hidegrid) line += "hidegrid;";
  if (prefs.boxaxis) line += "boxaxis;";
  if (prefs.stxdisable) line += "stxdisable;";
  line += " twindow ";
  appendFrame(&line, prefs.twleft, prefs.twtop, prefs.twwidth, prefs.twheight);
  line += "pwindow ";
  appendFrame(&line, prefs.pwleft, prefs.pwtop, prefs.pwwidth, prefs.pwheight);
  line += "plotfont \"" + lineFontName(prefs.pfontName) + "\" ";
  appendf(&line, "%ld", prefs.pfontSize);
  return line;
}

bool AddLabelOrg(std::string* line, double x, double y) {
  char item[48];
  int n = std::snprintf(item, sizeof item, ";lab %ld %ld", labelCoord(x), labelCoord(y));
  if (n <= 0 || line->size() + static_cast<std::size_t>(n) >= kOptionsLineSize) return false;
  *line += item;
  return true;
}

std::string makeOptionsLine(const DocPrefs& prefs, const std::vector<LabelOrigin>& labels) {
  std::string line = MakePrefsHdr(prefs);
  for (std::size_t i = 0; i < labels.size() && i < kMaxHdrLabels; ++i)
    if (!AddLabelOrg(&line, labels[i].x, labels[i].y)) break;
  return line;
}

bool GetHdrPrefs(std::string_view line, DocPrefs* prefs, std::string_view* rest) {
  line = line.substr(0, kOptionsLineSize - 1);
  if (line.substr(0, kLead.size()) != kLead) return false;
  LineScanner s(line.substr(kLead.size()));
  DocPrefs p = *prefs;

  s.step();
  if (s.scankey("fix"))
    p.numfmt = 2;
  else if (s.scankey("eng"))
    p.numfmt = 1;
  else if (s.scankey("sci"))
    p.numfmt = 0;
  int32_t places = s.decimal();
  p.places = static_cast<uint8_t>(places < 0 ? 0 : places > 255 ? 255 : places);
  s.step();

  p.writefmt = 0;
  if (s.scankey("writefmt")) {
    p.writefmt = toByte(s.decimal(), 0, 5, 0);
    s.step();
  }
  uint8_t* flags[] = {&p.deg, &p.hidegrid, &p.boxaxis, &p.printasis, &p.stxdisable};
  const char* names[] = {"deg", "hidegrid", "boxaxis", "printasis", "stxdisable"};
  for (int i = 0; i < 5; ++i) {
    *flags[i] = 0;
    if (s.scankey(names[i])) {
      *flags[i] = 1;
      s.pass(';');
    }
  }

  s.step();
  if (!s.scankey("twindow")) return false;
  p.twleft = s.decimal();
  p.twtop = s.decimal();
  p.twwidth = s.decimal();
  p.twheight = s.decimal();
  s.step();
  if (!s.scankey("pwindow")) return false;
  p.pwleft = s.decimal();
  p.pwtop = s.decimal();
  p.pwwidth = s.decimal();
  p.pwheight = s.decimal();
  s.step();
  if (!s.scankey("plotfont")) return false;
  s.step();
  p.pfontName = s.quoted();
  p.pfontSize = s.decimal();

  p.tfontName.clear();
  p.tfontSize = 0;
  p.logaxes = 0;
  p.tabWidth = -1;
  *prefs = p;
  *rest = s.rest();
  return true;
}

bool NextHdrLabel(std::string_view* rest, double* x, double* y) {
  LineScanner s(*rest);
  if (!s.scankey(";lab")) return false;
  *x = s.decimal() / 1000.0;
  *y = s.decimal() / 1000.0;
  *rest = s.rest();
  return true;
}

}  // namespace orv
