#include "data/textread.h"

#include <algorithm>
#include <bit>
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

// How far a reader may look. Within a stretch of text that a line end
// follows, every number stops at that line end at the latest, so the reader
// need not look for the end of the text.
struct UpTo {
  const char* end;
  bool more(const char* p) const { return p < end; }
};
struct BeforeALineEnd {
  bool more(const char*) const { return true; }
};

// Applies an exponent that follows the number at [p] to its value rounded
// to single precision; returns the position after the number.
const char* applyExponent(const char* p, const char* end, float* value) {
  const char* q = p + 1;
  bool eneg = false;
  if (q < end && (*q == '+' || *q == '-')) eneg = *q++ == '-';
  if (q < end && isDigit(*q)) {
    long e = 0;
    while (q < end && isDigit(*q)) {
      if (e < 100000) e = e * 10 + (*q - '0');
      ++q;
    }
    *value = static_cast<float>(*value * pow10(eneg ? -e : e));
    return q;
  }
  return p;
}

inline const char* finishNumber(const char* p, const char* end, double mantissa, float* value) {
  *value = static_cast<float>(mantissa);
  if (p < end && (*p | 0x20) == 'e') return applyExponent(p, end, value);
  return p;
}

// The number's integer and fraction digits gathered in doubles, one digit
// at a time; fraction digits after the 22nd are passed over.
const char* readNumberByDigits(const char* p, const char* end, float* value) {
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
  return finishNumber(p, end, negative && digits ? -mantissa : mantissa, value);
}

inline unsigned digitAt(const char* p) { return static_cast<unsigned char>(*p) - unsigned{'0'}; }

struct DigitRuns {
  uint64_t ipart = 0, fpart = 0;
  std::ptrdiff_t n = 0, k = 0;  // integer and fraction digits
  const char* after = nullptr;  // the byte after the last digit or the '.'
};

// The integer and fraction digits at [p] gathered in integers; a count above
// 15 marks a run too long to be exact that way.
template <class Reach>
inline void readRuns(const char* p, Reach reach, DigitRuns* runs) {
  const char* intFrom = p;
  for (unsigned d; reach.more(p) && (d = digitAt(p)) < 10; ++p) runs->ipart = runs->ipart * 10 + d;
  runs->n = p - intFrom;
  if (reach.more(p) && *p == '.') {
    const char* fracFrom = ++p;
    for (unsigned d; reach.more(p) && (d = digitAt(p)) < 10; ++p)
      runs->fpart = runs->fpart * 10 + d;
    runs->k = p - fracFrom;
  }
  runs->after = p;
}

// Reads one number at [p] (which starts with a digit, '.' or '-'); returns
// the position of the character that ended it. Runs of up to 15 digits are
// exact in a double, so gathering them in integers gives the very bits
// readNumberByDigits gives, quicker; longer runs are read again that way.
template <class Reach>
inline const char* readNumber(const char* p, const char* end, Reach reach, float* value) {
  const char* start = p;
  const bool negative = *p == '-';
  p += negative;
  DigitRuns runs;
  readRuns(p, reach, &runs);
  if ((runs.n | runs.k) > 15) return readNumberByDigits(start, end, value);
  p = runs.after;
  double mantissa = static_cast<double>(static_cast<int64_t>(runs.ipart));
  if (runs.k) mantissa += static_cast<double>(static_cast<int64_t>(runs.fpart)) / kPow10[runs.k];
  // A lone '-' or '.' is plain zero, not a negative zero. The sign is set
  // without a branch, as signs in data are often as good as random.
  const uint64_t sign = static_cast<uint64_t>(negative && (runs.n | runs.k)) << 63;
  mantissa = std::bit_cast<double>(std::bit_cast<uint64_t>(mantissa) ^ sign);
  *value = static_cast<float>(mantissa);
  if (reach.more(p) && (*p | 0x20) == 'e') return applyExponent(p, end, value);
  return p;
}

}  // namespace

namespace textread_detail {

const char* readNumberDigitByDigit(const char* p, const char* end, float* value) {
  return readNumberByDigits(p, end, value);
}

}  // namespace textread_detail

TextValueReader::TextValueReader(int64_t limit, std::size_t expectedBytes, TextQuickWay way)
    : readWindow_(way == TextQuickWay::Portable ? portableTextWindowReader()
                                                : quickestTextWindowReader()),
      room_(limit > 0 ? limit : std::numeric_limits<int64_t>::max()) {
  // Room for a number in every three bytes, as most files need far less;
  // denser files grow the block.
  std::size_t room = expectedBytes / 3 + 400;
  if (static_cast<uint64_t>(room_) < room) room = static_cast<std::size_t>(room_);
  out_.values.reserve(room);
}

template <class Reach>
const char* TextValueReader::readValues(const char* p, const char* stop, const char* end,
                                        Reach reach) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  FloatBlock& values = out_.values;
  // The values go straight into the block's room, made without a value.
  const auto wanted = static_cast<std::size_t>(room_);
  const std::size_t count = values.size();
  values.resize(std::max(count, std::min(values.capacity(), wanted)));
  float* out = values.data() + count;
  float* outEnd = values.data() + values.size();
  // Once the first line end is known, windows are read the quick way; the
  // bytes of a window it leaves are read one by one.
  const char* quickFrom = p;
  const char* begin = p;
  const auto readWindow = readWindow_;
  const char* lastWindow = end - kTextWindowReach;
  while (p < stop) {
    if (p >= quickFrom && firstLineEnd_ != 0 && p - begin >= 8) {
      // Window after window while each takes all its bytes or leaves a
      // number that goes on into the next.
      while (p < stop && p <= lastWindow && p >= quickFrom && outEnd - out >= kTextWindow / 2 + 4) {
        bool again = false;
        const float* before = out;
        const int taken = readWindow(p, &out, &again);
        // A window with no plain number in it (exponents, long fractions)
        // sends the next few to the byte-by-byte reader straight away.
        quickFrom = again ? p + taken : p + (out == before ? 16 * kTextWindow : kTextWindow);
        p += taken;
      }
      if (p >= stop) break;
    }
    char c = *p;
    if (!(isDigit(c) || c == '.' || c == '-' || c == '?')) {
      ++p;
      continue;
    }
    if (out == outEnd) {
      const auto n = static_cast<std::size_t>(out - values.data());
      if (n >= wanted) {
        full_ = true;
        break;
      }
      values.resize(std::min(std::max<std::size_t>(2 * n, 1024), wanted));
      out = values.data() + n;
      outEnd = values.data() + values.size();
    }
    float* value = out++;
    if (c == '?') {
      while (reach.more(p) && *p == '?') ++p;
      *value = nan;
    } else {
      p = readNumber(p, end, reach, value);
    }
    // Pass over the character that ended the value, then blanks and tabs,
    // then one line end. A piece ends right after a line end, so a line end
    // left for the next piece only repeats what this one found.
    if (p == end) break;
    bool endsLine = *p == '\n' || *p == '\r';
    ++p;
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p < end && (*p == '\n' || *p == '\r')) {
      endsLine = true;
      ++p;
    }
    if (endsLine && firstLineEnd_ == 0) firstLineEnd_ = out - values.data();
  }
  values.resize(static_cast<std::size_t>(out - values.data()));
  return p;
}

bool TextValueReader::add(const char* text, const char* end) {
  if (full_) return false;
  // Values that start before the last line end are read without looking
  // for the end of the text; the rest with.
  const char* lastLineEnd = end;
  while (lastLineEnd > text && lastLineEnd[-1] != '\n' && lastLineEnd[-1] != '\r') --lastLineEnd;
  const char* p = text;
  if (lastLineEnd > text) p = readValues(p, lastLineEnd - 1, end, BeforeALineEnd{});
  if (!full_) readValues(p, end, end, UpTo{end});
  return !full_;
}

TextValues TextValueReader::finish() {
  const int64_t count = static_cast<int64_t>(out_.values.size());
  out_.cols = firstLineEnd_ == 1 || firstLineEnd_ == count ? 0 : firstLineEnd_;
  return std::move(out_);
}

TextValues readTextValues(const char* text, const char* end, int64_t limit, TextQuickWay way) {
  TextValueReader reader(limit, static_cast<std::size_t>(end - text), way);
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
