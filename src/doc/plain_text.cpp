#include "doc/plain_text.h"

#include "base/macroman.h"

namespace orv {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// True when every character has a Mac OS Roman byte. U+FFFD stands for the
// byte 0x1A, which a Mac OS Roman file may hold.
bool fitsMacRoman(std::u16string_view text) {
  for (char16_t c : text)
    if (unicodeToMacRoman(c) == kNoByte && c != 0xFFFD) return false;
  return true;
}

}  // namespace

PlainText readPlainText(std::string_view bytes) {
  PlainText sheet;
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    sheet.bom = true;
    bytes.remove_prefix(kUtf8Bom.size());
  }
  sheet.macRoman = !isValidUtf8(bytes);
  sheet.text = decodeText(bytes);
  return sheet;
}

std::string writePlainText(std::u16string_view text, const PlainText& like) {
  std::string bytes = like.bom ? std::string(kUtf8Bom) : std::string();
  if (like.macRoman && fitsMacRoman(text))
    bytes += utf16ToBytes(text);
  else
    bytes += utf16ToUtf8(text);
  return bytes;
}

}  // namespace orv
