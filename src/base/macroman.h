// Conversions between the engine's 8-bit text and Unicode.
//
// The engine works on one byte per UTF-16 code unit: the Mac OS Roman byte of
// the character where it has one, else kNoByte. kNoByte matches no scanner
// rule and converts back to U+FFFD.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

inline constexpr unsigned char kNoByte = 0x1A;

// The Unicode character of a Mac OS Roman byte.
char16_t macRomanToUnicode(unsigned char byte);

// The Mac OS Roman byte of a UTF-16 code unit, or kNoByte.
unsigned char unicodeToMacRoman(char16_t unit);

// Whole-string conversions. Surrogate halves map to kNoByte each, keeping the
// one-byte-per-unit rule.
std::string utf16ToBytes(std::u16string_view text);
std::u16string bytesToUtf16(std::string_view bytes);

// UTF-8 helpers for the front ends. decodeText reads UTF-8 and falls back to
// Mac OS Roman for the whole input when it is not valid UTF-8.
bool isValidUtf8(std::string_view text);
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
std::u16string decodeText(std::string_view fileBytes);

// Appends code point [c] to [out] in UTF-8.
void appendUtf8(std::string& out, char32_t c);

// Mac OS Roman bytes straight to UTF-8 (messages and status texts).
std::string bytesToUtf8(std::string_view bytes);

}  // namespace orv
