// Plain-text worksheets: UTF-8, or Mac OS Roman when the bytes are not valid
// UTF-8, with CR, LF or CR LF line ends kept as they are.
#pragma once

#include <string>
#include <string_view>

namespace orv {

struct PlainText {
  std::u16string text;
  bool macRoman = false;  // the bytes were not valid UTF-8
  bool bom = false;       // they began with a UTF-8 byte order mark
};

PlainText readPlainText(std::string_view bytes);

// The bytes of [text] in the form [like] was read in: Mac OS Roman or UTF-8,
// with the byte order mark when it had one. A text with characters that Mac
// OS Roman lacks is written as UTF-8, so nothing is lost.
std::string writePlainText(std::u16string_view text, const PlainText& like);

}  // namespace orv
