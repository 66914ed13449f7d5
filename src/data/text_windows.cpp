#include "data/text_windows.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORV_TEXT_WINDOWS_AVX2 1
#endif

namespace orv {

namespace {

// A window is read in two steps. The first finds each number from bit masks
// of the window's bytes and takes its integer and fraction digits as two
// 8-byte words; the second turns the words into floats, several at a time
// where the processor can. A value is "integer part + fraction / 10^k" in
// doubles rounded to a float, as the byte-by-byte reader has it.

struct WindowMasks {
  uint64_t number = 0;  // digits, '.' and '-'
  uint64_t dot = 0, minus = 0, question = 0, exponent = 0;
};

// At most kTextWindow / 2 numbers, and room to round that up to four.
constexpr int kMostNumbers = kTextWindow / 2 + 4;

struct WindowNumbers {
  // The digits in the low four bits of the last bytes of each word (first
  // byte lowest), every other bit zero.
  alignas(32) uint64_t intDigits[kMostNumbers];
  alignas(32) uint64_t fractionDigits[kMostNumbers];
  alignas(32) double divisor[kMostNumbers];  // 10^k for k fraction digits
  alignas(32) uint64_t sign[kMostNumbers];   // the sign bit of a negative value
  int count = 0;
};

// The low four bits of the last [n] (at most 8) bytes of eight.
constexpr uint64_t lastNibbles(int n) { return n ? 0x0F0F0F0F0F0F0F0F << (64 - 8 * n) : 0; }
constexpr uint64_t kLastNibbles[9] = {lastNibbles(0), lastNibbles(1), lastNibbles(2),
                                      lastNibbles(3), lastNibbles(4), lastNibbles(5),
                                      lastNibbles(6), lastNibbles(7), lastNibbles(8)};

// By the length t of a number's point and fraction digits (t - 1 digits
// after a point, none without one): the fraction digits' bits, and 10^(t-1).
constexpr uint64_t kFractionNibbles[10] = {
    lastNibbles(0), lastNibbles(0), lastNibbles(1), lastNibbles(2), lastNibbles(3),
    lastNibbles(4), lastNibbles(5), lastNibbles(6), lastNibbles(7), lastNibbles(8)};
constexpr double kDivisor[10] = {1e0, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

inline uint64_t load8(const char* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

[[gnu::always_inline]] inline WindowMasks classifyPortably(const char* p) {
  WindowMasks m;
#if defined(__SSE2__)
  for (int i = 0; i < kTextWindow / 16; ++i) {
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
  for (int i = 0; i < kTextWindow; ++i) {
    const char c = p[i];
    const uint64_t bit = uint64_t{1} << i;
    if ((c >= '0' && c <= '9') || c == '.' || c == '-') m.number |= bit;
    if (c == '.') m.dot |= bit;
    if (c == '-') m.minus |= bit;
    if (c == '?') m.question |= bit;
    if ((c | 0x20) == 'e') m.exponent |= bit;
  }
#endif
  return m;
}

// Finds the window's plain numbers and puts their digits into [numbers];
// returns how many bytes were taken (see TextWindowReader).
[[gnu::always_inline]] inline int collectNumbers(const char* p, const WindowMasks& m,
                                                 WindowNumbers* numbers, bool* again) {
  const uint64_t starts = m.number & ~(m.number << 1);
  const uint64_t ends = ~m.number & (m.number << 1);
  const uint64_t digits = m.number & ~(m.dot | m.minus);
  // For each point, the first byte after it that is neither a digit nor a
  // sign: the carry of adding the point's next bit runs through the digits.
  const uint64_t digitsAndSigns = m.number & ~m.dot;
  const uint64_t afterPoint = ((m.dot << 1) + digitsAndSigns) & ~digitsAndSigns;
  // The first of nine digits in a row.
  uint64_t nine = digits & (digits >> 1);
  nine &= nine >> 2;
  nine &= nine >> 4;
  nine &= digits >> 8;
  // A sign with no digit after it, nor after a point after it.
  const uint64_t bareSign = m.minus & starts & ~(digits >> 1) & ~((m.dot >> 1) & (digits >> 2));
  // Numbers the quick way does not read: with a sign inside, with a second
  // point, with an exponent, with more than eight digits on either side of
  // the point, or a sign without digits. They and a '?' end the quick reading.
  const uint64_t odd = (m.minus & ~starts) | (afterPoint & m.dot) | (m.exponent & ends) |
                       m.question | nine | bareSign;
  const int limit = std::countr_zero(odd);
  // Every number that ends before [limit] has one start, one end and one
  // end of its integer digits (its point, or its end when it has no point),
  // so the three masks are walked together.
  uint64_t startsLeft = starts;
  uint64_t endsLeft = limit == kTextWindow ? ends : ends & ((uint64_t{1} << limit) - 1);
  uint64_t intEndsLeft = m.dot | (ends & ~afterPoint);
  int i = 0;
  for (; endsLeft; startsLeft &= startsLeft - 1, endsLeft &= endsLeft - 1,
                   intEndsLeft &= intEndsLeft - 1, ++i) {
    const int s = std::countr_zero(startsLeft);
    const int e = std::countr_zero(endsLeft);
    const int intEnd = std::countr_zero(intEndsLeft);
    const uint64_t negative = (m.minus >> s) & 1;
    const int n = intEnd - s - static_cast<int>(negative);
    // The point and what follows it: a point read as a leading zero of the
    // fraction leaves its value as it is.
    const int tail = e - intEnd;
    numbers->intDigits[i] = load8(p + intEnd - 8) & kLastNibbles[n];
    numbers->fractionDigits[i] = load8(p + e - 8) & kFractionNibbles[tail];
    numbers->divisor[i] = kDivisor[tail];
    numbers->sign[i] = negative << 63;
  }
  numbers->count = i;
  if (!startsLeft) {
    *again = false;
    return limit;
  }
  // The first number not read goes on past the limit or the window; one that
  // runs past the window's end starts the next window.
  const int s = std::countr_zero(startsLeft);
  *again = limit == kTextWindow && s > 0 && (ends >> s) == 0;
  return std::min(s, limit);
}

// The value of the digits of a word of WindowNumbers.
[[gnu::always_inline]] inline uint64_t digitsValue(uint64_t v) {
  v = v * 10 + (v >> 8);
  return ((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32)) +
          ((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32))) >>
         32;
}

[[gnu::always_inline]] inline float numberValue(const WindowNumbers& numbers, int i) {
  const double ipart = static_cast<double>(static_cast<int64_t>(digitsValue(numbers.intDigits[i])));
  const double fpart =
      static_cast<double>(static_cast<int64_t>(digitsValue(numbers.fractionDigits[i])));
  const double value = ipart + fpart / numbers.divisor[i];
  return static_cast<float>(
      std::bit_cast<double>(std::bit_cast<uint64_t>(value) ^ numbers.sign[i]));
}

int readPortably(const char* p, float** to, bool* again) {
  WindowNumbers numbers;
  const int taken = collectNumbers(p, classifyPortably(p), &numbers, again);
  float* out = *to;
  for (int i = 0; i < numbers.count; ++i) *out++ = numberValue(numbers, i);
  *to = out;
  return taken;
}

#if ORV_TEXT_WINDOWS_AVX2

#define ORV_AVX2 gnu::target("avx2,bmi,bmi2")

// One bit for each byte of the [half]th 32 of a window.
[[ORV_AVX2]] inline uint64_t maskBits(__m256i bytes, int half) {
  return static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(bytes))) << (32 * half);
}

[[ORV_AVX2]] inline WindowMasks classifyAvx2(const char* p) {
  WindowMasks m;
  for (int i = 0; i < kTextWindow / 32; ++i) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * i));
    const __m256i digit = _mm256_and_si256(_mm256_cmpgt_epi8(x, _mm256_set1_epi8('0' - 1)),
                                           _mm256_cmpgt_epi8(_mm256_set1_epi8('9' + 1), x));
    const __m256i dot = _mm256_cmpeq_epi8(x, _mm256_set1_epi8('.'));
    const __m256i minus = _mm256_cmpeq_epi8(x, _mm256_set1_epi8('-'));
    const __m256i question = _mm256_cmpeq_epi8(x, _mm256_set1_epi8('?'));
    const __m256i exponent =
        _mm256_cmpeq_epi8(_mm256_or_si256(x, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('e'));
    m.number |= maskBits(_mm256_or_si256(digit, _mm256_or_si256(dot, minus)), i);
    m.dot |= maskBits(dot, i);
    m.minus |= maskBits(minus, i);
    m.question |= maskBits(question, i);
    m.exponent |= maskBits(exponent, i);
  }
  return m;
}

// The digits of four words as four doubles: pairs, then fours, then eights
// of digits are joined by multiplying and adding in each lane.
[[ORV_AVX2]] inline __m256d digitsValues(__m256i words) {
  const __m256i pairs = _mm256_maddubs_epi16(words, _mm256_set1_epi16(0x010A));
  const __m256i fours = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00010064));
  const __m256i eights = _mm256_add_epi64(_mm256_mul_epu32(fours, _mm256_set1_epi64x(10000)),
                                          _mm256_srli_epi64(fours, 32));
  // Below 2^52, so the bits of 2^52 + value are exact; 2^52 taken off again.
  const __m256d twoTo52 = _mm256_set1_pd(4503599627370496.0);
  return _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(eights, _mm256_castpd_si256(twoTo52))),
                       twoTo52);
}

[[ORV_AVX2]] inline __m256i load4(const uint64_t* words) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(words));
}

[[ORV_AVX2]] int readAvx2(const char* p, float** to, bool* again) {
  WindowNumbers numbers;
  const int taken = collectNumbers(p, classifyAvx2(p), &numbers, again);
  // Four at a time; the four words past the last number are made zeros.
  const int count = numbers.count;
  const __m256i zeros = _mm256_setzero_si256();
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(numbers.intDigits + count), zeros);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(numbers.fractionDigits + count), zeros);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(numbers.sign + count), zeros);
  _mm256_storeu_pd(numbers.divisor + count, _mm256_set1_pd(1));
  float* out = *to;
  for (int i = 0; i < count; i += 4) {
    const __m256d ipart = digitsValues(load4(numbers.intDigits + i));
    const __m256d fpart = digitsValues(load4(numbers.fractionDigits + i));
    __m256d value = _mm256_add_pd(ipart, _mm256_div_pd(fpart, _mm256_load_pd(numbers.divisor + i)));
    value = _mm256_xor_pd(value, _mm256_castsi256_pd(load4(numbers.sign + i)));
    _mm_storeu_ps(out + i, _mm256_cvtpd_ps(value));
  }
  *to = out + count;
  return taken;
}

#endif

}  // namespace

TextWindowReader portableTextWindowReader() { return readPortably; }

TextWindowReader quickestTextWindowReader() {
#if ORV_TEXT_WINDOWS_AVX2
  static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                           __builtin_cpu_supports("bmi2");
  if (avx2) return readAvx2;
#endif
  return readPortably;
}

}  // namespace orv
