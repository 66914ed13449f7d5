#include "base/macroman.h"

#include <array>

namespace orv {

namespace {

// Unicode characters of the bytes 0x80 to 0xFF.
constexpr char16_t kHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7};

struct Entry {
  char16_t unit;
  unsigned char byte;
};

// Sorted reverse table, plus look-alikes people type for the same sign.
constexpr std::array<Entry, 131> makeReverse() {
  std::array<Entry, 131> t{};
  for (int i = 0; i < 128; ++i) t[i] = {kHigh[i], static_cast<unsigned char>(0x80 + i)};
  t[128] = {0x03BC, 0xB5};  // GREEK SMALL LETTER MU -> micro sign
  t[129] = {0x2126, 0xBD};  // OHM SIGN -> Omega
  t[130] = {0x00A4, 0xDB};  // CURRENCY SIGN, the byte's older meaning
  for (std::size_t i = 1; i < t.size(); ++i)
    for (std::size_t j = i; j > 0 && t[j - 1].unit > t[j].unit; --j) {
      Entry e = t[j];
      t[j] = t[j - 1];
      t[j - 1] = e;
    }
  return t;
}
constexpr auto kReverse = makeReverse();

// Decodes one UTF-8 sequence at [i]; returns its length, 0 when invalid.
int decodeUtf8(std::string_view s, std::size_t i, char32_t* out) {
  auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  int len;
  char32_t cp;
  if (c < 0x80) {
    *out = c;
    return 1;
  } else if (c >= 0xC2 && c <= 0xDF) {
    len = 2, cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3, cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4, cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (int k = 1; k < len; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  *out = cp;
  return len;
}

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

char16_t macRomanToUnicode(unsigned char byte) {
  if (byte < 0x80) return byte == kNoByte ? char16_t(0xFFFD) : char16_t(byte);
  return kHigh[byte - 0x80];
}

unsigned char unicodeToMacRoman(char16_t unit) {
  if (unit < 0x80) return static_cast<unsigned char>(unit);
  std::size_t lo = 0, hi = kReverse.size();
  while (lo < hi) {
    std::size_t mid = (lo + hi) / 2;
    if (kReverse[mid].unit < unit)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < kReverse.size() && kReverse[lo].unit == unit ? kReverse[lo].byte : kNoByte;
}

std::string utf16ToBytes(std::u16string_view text) {
  std::string out(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    out[i] = static_cast<char>(unicodeToMacRoman(text[i]));
  return out;
}

std::u16string bytesToUtf16(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    out[i] = macRomanToUnicode(static_cast<unsigned char>(bytes[i]));
  return out;
}

bool isValidUtf8(std::string_view text) {
  char32_t c;
  for (std::size_t i = 0; i < text.size();) {
    int n = decodeUtf8(text, i, &c);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t c;
    int n = decodeUtf8(text, i, &c);
    if (n == 0) {
      out += char16_t(0xFFFD);
      ++i;
      continue;
    }
    i += n;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    appendUtf8(out, c);
  }
  return out;
}

std::u16string decodeText(std::string_view fileBytes) {
  if (isValidUtf8(fileBytes)) return utf8ToUtf16(fileBytes);
  return bytesToUtf16(fileBytes);
}

std::string bytesToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char b : bytes) appendUtf8(out, macRomanToUnicode(b));
  return out;
}

}  // namespace orv
