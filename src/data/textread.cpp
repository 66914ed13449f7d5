#include "data/textread.h"

#include <cmath>
#include <limits>

namespace orv {

namespace {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline double pow10(long e) {
  if (e >= 0 && e <= 22) return kPow10[e];
  return std::pow(10.0, static_cast<double>(e));
}

// Reads one number at [p] (which starts with a digit, '.' or '-'); returns
// the position of the character that ended it.
const char* readnum(const char* p, const char* end, float* value) {
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  const char* digitsFrom = p;
  double ipart = 0;
  while (p < end && isDigit(*p)) ipart = ipart * 10 + (*p++ - '0');
  double fpart = 0;
  long k = 0;
  if (p < end && *p == '.') {
    ++p;
    while (p < end && isDigit(*p)) {
      if (k < 22) {
        fpart = fpart * 10 + (*p - '0');
        ++k;
      }
      ++p;
    }
  }
  double mantissa = ipart + (k ? fpart / kPow10[k] : 0.0);
  // A lone '-' or '.' is plain zero, not a negative zero.
  const bool digits = p - digitsFrom > (digitsFrom < end && *digitsFrom == '.' ? 1 : 0);
  float v = static_cast<float>(negative && digits ? -mantissa : mantissa);
  if (p < end && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    bool eneg = false;
    if (q < end && (*q == '+' || *q == '-')) eneg = *q++ == '-';
    if (q < end && isDigit(*q)) {
      long e = 0;
      while (q < end && isDigit(*q)) {
        if (e < 100000) e = e * 10 + (*q - '0');
        ++q;
      }
      v = static_cast<float>(v * pow10(eneg ? -e : e));
      p = q;
    }
  }
  *value = v;
  return p;
}

}  // namespace

TextValueReader::TextValueReader(int64_t limit, std::size_t expectedBytes) : limit_(limit) {
  // Room for a number in every three bytes, as most files need far less;
  // denser files grow the block.
  std::size_t room = expectedBytes / 3 + 400;
  if (limit > 0 && static_cast<uint64_t>(limit) < room) room = static_cast<std::size_t>(limit);
  out_.values.reserve(room);
}

bool TextValueReader::add(const char* text, const char* end) {
  const char* p = text;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  while (p < end && !full_) {
    char c = *p;
    if (!(isDigit(c) || c == '.' || c == '-' || c == '?')) {
      ++p;
      continue;
    }
    if (limit_ > 0 && static_cast<int64_t>(out_.values.size()) >= limit_) {
      full_ = true;
      break;
    }
    float v;
    if (c == '?') {
      while (p < end && *p == '?') ++p;
      v = nan;
    } else {
      p = readnum(p, end, &v);
    }
    out_.values.push_back(v);
    // Pass over the character that ended the value, then blanks and tabs,
    // then one line end. A piece ends right after a line end, so a line end
    // left for the next piece only repeats what this one found.
    bool endsLine = false;
    if (p < end) {
      endsLine = *p == '\n' || *p == '\r';
      ++p;
    }
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p < end && (*p == '\n' || *p == '\r')) {
      endsLine = true;
      ++p;
    }
    if (endsLine && firstLineEnd_ == 0) firstLineEnd_ = static_cast<int64_t>(out_.values.size());
  }
  return !full_;
}

TextValues TextValueReader::finish() {
  const int64_t count = static_cast<int64_t>(out_.values.size());
  out_.cols = firstLineEnd_ == 1 || firstLineEnd_ == count ? 0 : firstLineEnd_;
  return std::move(out_);
}

TextValues readTextValues(const char* text, const char* end, int64_t limit) {
  TextValueReader reader(limit, static_cast<std::size_t>(end - text));
  reader.add(text, end);
  return reader.finish();
}

std::size_t skipTextLines(const char* text, std::size_t size, std::size_t start, int64_t lines) {
  std::size_t p = start;
  bool afterCR = false;
  for (int64_t line = 0; line < lines; ++line) {
    std::size_t length = 0;
    for (;;) {
      if (p >= size) return 0;
      char c = text[p++];
      if (c == '\n' && afterCR && length == 0) {
        afterCR = false;
        continue;  // the LF of a CR LF line end
      }
      afterCR = false;
      if (c == '\r') {
        afterCR = true;
        break;
      }
      if (c == '\n') break;
      if (++length >= 300) break;
    }
  }
  if (p >= size) return 0;
  char c = text[p++];
  if (c != '\r' && c != '\n') --p;
  return p;
}

}  // namespace orv
