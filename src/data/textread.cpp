#include "data/textread.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
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

// The quick way through a text of plain numbers: the bytes of a 64-byte
// window are classified at once into bit masks, and every number in it that
// is a plain run of digits with a sign and a point is read from its run,
// without stepping byte by byte. Anything else (exponents, '?', a second
// point or sign, long runs, a run that goes on past the window) is left to
// the byte-by-byte reader from where the window stopped.
constexpr int kWindow = 64;
// Bytes from a window's start that reading it may look at.
constexpr std::ptrdiff_t kWindowReach = kWindow + 32;

struct WindowMasks {
  uint64_t number = 0;  // digits, '.' and '-'
  uint64_t dot = 0, minus = 0, question = 0, exponent = 0;
};

inline WindowMasks classifyWindow(const char* p) {
  WindowMasks m;
#if defined(__SSE2__)
  for (int i = 0; i < kWindow / 16; ++i) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8('0' - 1)),
                                        _mm_cmplt_epi8(x, _mm_set1_epi8('9' + 1)));
    const __m128i dot = _mm_cmpeq_epi8(x, _mm_set1_epi8('.'));
    const __m128i minus = _mm_cmpeq_epi8(x, _mm_set1_epi8('-'));
    const __m128i question = _mm_cmpeq_epi8(x, _mm_set1_epi8('?'));
    const __m128i exponent =
        _mm_cmpeq_epi8(_mm_or_si128(x, _mm_set1_epi8(0x20)), _mm_set1_epi8('e'));
    auto bits = [i](__m128i v) {
      return static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(v))) << (16 * i);
    };
    m.number |= bits(_mm_or_si128(digit, _mm_or_si128(dot, minus)));
    m.dot |= bits(dot);
    m.minus |= bits(minus);
    m.question |= bits(question);
    m.exponent |= bits(exponent);
  }
#else
  for (int i = 0; i < kWindow; ++i) {
    const char c = p[i];
    const uint64_t bit = uint64_t{1} << i;
    if (isDigit(c) || c == '.' || c == '-') m.number |= bit;
    if (c == '.') m.dot |= bit;
    if (c == '-') m.minus |= bit;
    if (c == '?') m.question |= bit;
    if ((c | 0x20) == 'e') m.exponent |= bit;
  }
#endif
  return m;
}

inline uint64_t load8(const char* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// The low four bits of the last [n] (at most 8) bytes of eight.
constexpr uint64_t lastNibbles(int n) { return n ? 0x0F0F0F0F0F0F0F0F << (64 - 8 * n) : 0; }
constexpr uint64_t kLastNibbles[9] = {lastNibbles(0), lastNibbles(1), lastNibbles(2),
                                      lastNibbles(3), lastNibbles(4), lastNibbles(5),
                                      lastNibbles(6), lastNibbles(7), lastNibbles(8)};

// The value of the digits in the low four bits of the last bytes of eight
// (first byte lowest), other bytes zero.
inline uint64_t nibblesValue(uint64_t v) {
  v = v * 10 + (v >> 8);
  return ((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32)) +
          ((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32))) >>
         32;
}

// The value of the [n] (at most 8) digits that end right before [p]; up to
// eight bytes before [p] are read.
inline uint64_t digitsBefore(const char* p, int n) {
  return nibblesValue(load8(p - 8) & kLastNibbles[n]);
}

const double kTenths[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};

// The value of a number's [n] integer digits ending at [intEnd] and [k]
// fraction digits ending at [end] (both at most 8), as readNumber gathers
// it: the integer part plus the fraction divided by 10^k.
[[gnu::noinline]] double gatheredDigits(const char* intEnd, const char* end, int n, int k) {
  const uint64_t ipart = digitsBefore(intEnd, n);
  const uint64_t fpart = digitsBefore(end, k);
  return static_cast<double>(static_cast<int64_t>(ipart)) +
         static_cast<double>(static_cast<int64_t>(fpart)) / kPow10[k];
}

// The same value, quicker, of digits and a point that fit in the eight
// bytes before [end]: the digits are joined into one integer, the point
// taken out, and scaled by 10^-k. That is within four units of the last
// place of the gathered value, so the two round to the same single-precision
// number unless they lie within a few units of a point halfway between two
// such numbers; there (about one number in 30 million) the gathered value is
// worked out.
inline double joinedDigits(const char* end, int point, int n, int k) {
  const uint64_t w = load8(end - 8);
  // With a point, the integer digits move up a byte to meet the fraction.
  const uint64_t shifted = w << (8 * point);
  const uint64_t nibbles =
      (w & kLastNibbles[k]) | (shifted & kLastNibbles[n + k] & ~kLastNibbles[k]);
  const double joined = static_cast<double>(static_cast<int64_t>(nibblesValue(nibbles)));
  const double value = joined * kTenths[k];
  const uint64_t belowSingle = std::bit_cast<uint64_t>(value) & 0x1FFFFFFF;
  if (belowSingle - (0x10000000 - 8) < 16) return gatheredDigits(end - k - point, end, n, k);
  return value;
}

// Reads the plain numbers of the window at [p] into [*to], which has room
// for kWindow / 2 (as many as a window can hold);
// returns how many of its bytes were taken, and in [again] whether the rest
// is for the quick way too. The bytes from 8 before [p] to kWindowReach after
// it may be looked at. The byte-by-byte reader goes on from the position
// returned, at a value's start or between values.
inline int readWindow(const char* p, float** to, bool* again) {
  const WindowMasks m = classifyWindow(p);
  const uint64_t starts = m.number & ~(m.number << 1);
  const uint64_t ends = ~m.number & (m.number << 1);
  // For each point, the first byte after it that is neither a digit nor a
  // sign: the carry of adding the point's next bit runs through the digits.
  const uint64_t digitsAndSigns = m.number & ~m.dot;
  const uint64_t afterPoint = ((m.dot << 1) + digitsAndSigns) & ~digitsAndSigns;
  // Numbers the quick way does not read: with a sign inside, with a second
  // point, or with an exponent. They and a '?' end the quick reading.
  const uint64_t odd =
      (m.minus & ~starts) | (afterPoint & m.dot) | (m.exponent & ends) | m.question;
  const int limit = std::countr_zero(odd);
  float* out = *to;
  // Every number before [limit] has one start, one end and at most one
  // point, so the three masks are walked together.
  uint64_t left = starts, endsLeft = ends, dotsLeft = m.dot;
  for (; left; left &= left - 1, endsLeft &= endsLeft - 1) {
    const int s = std::countr_zero(left);
    const int e = std::countr_zero(endsLeft);
    if (e >= limit) {
      // A number that goes on past the window starts the next one.
      *again = e == kWindow && limit == kWindow && s > 0;
      *to = out;
      return std::min(s, limit);
    }
    const bool negative = (m.minus >> s) & 1;
    const int dotAt = std::countr_zero(dotsLeft);
    const bool point = dotAt < e;
    dotsLeft &= dotsLeft - static_cast<uint64_t>(point);
    const int intEnd = point ? dotAt : e;
    const int n = intEnd - s - negative;
    const int k = point ? e - dotAt - 1 : 0;
    double mantissa;
    if (e - s - negative <= 8) {
      mantissa = joinedDigits(p + e, point, n, k);
    } else if (n <= 8 && k <= 8) {
      mantissa = gatheredDigits(p + intEnd, p + e, n, k);
    } else {
      *again = false;
      *to = out;
      return s;
    }
    const uint64_t sign = static_cast<uint64_t>(negative & ((n | k) != 0)) << 63;
    mantissa = std::bit_cast<double>(std::bit_cast<uint64_t>(mantissa) ^ sign);
    *out++ = static_cast<float>(mantissa);
  }
  *again = false;
  *to = out;
  return limit;
}

}  // namespace

namespace textread_detail {

const char* readNumberDigitByDigit(const char* p, const char* end, float* value) {
  return readNumberByDigits(p, end, value);
}

}  // namespace textread_detail

TextValueReader::TextValueReader(int64_t limit, std::size_t expectedBytes)
    : room_(limit > 0 ? limit : std::numeric_limits<int64_t>::max()) {
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
  while (p < stop) {
    if (p >= quickFrom && firstLineEnd_ != 0 && p - begin >= 8 && end - p >= kWindowReach &&
        outEnd - out >= kWindow / 2) {
      bool again = false;
      const float* before = out;
      const int taken = readWindow(p, &out, &again);
      // A window with no plain number in it (exponents, long fractions)
      // sends the next few to the byte-by-byte reader straight away.
      quickFrom = again ? p + taken : p + (out == before ? 16 * kWindow : kWindow);
      p += taken;
      continue;
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
