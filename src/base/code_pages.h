// The 8-bit code pages that RTF files name for their \'hh bytes.
#pragma once

#include <cstdint>

namespace orv {

enum class CodePage {
  kWindows1252,  // \ansi, \ansicpg1252; also the stand-in for code pages we lack
  kMacRoman,     // \mac, \ansicpg10000, \fcharset77
};

// The code page of an RTF \ansicpgN or \cpgN number.
CodePage codePageOf(int32_t number);

// The Unicode character of [byte] in [page].
char16_t decodeByte(CodePage page, unsigned char byte);

// The Windows-1252 byte of [unit], or -1 when it has none.
int encodeWindows1252(char16_t unit);

}  // namespace orv
