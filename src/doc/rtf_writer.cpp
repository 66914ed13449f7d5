#include "doc/rtf_writer.h"

#include <cstdio>

#include "base/code_pages.h"

namespace orv {

namespace {

// \cfN of each TextStyle: the colour table lists black, red, green, blue and
// brown after the automatic colour.
constexpr const char* kColourTable =
    "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green255\\blue0;"
    "\\red0\\green0\\blue255;\\red153\\green102\\blue51;}\n";

int colourIndex(int style) { return style >= kStyleRed && style <= kStyleBrown ? style + 1 : 1; }

void appendNumber(std::string* out, const char* format, long n) {
  char text[32];
  std::snprintf(text, sizeof text, format, n);
  *out += text;
}

// Appends one character that is not a line end: ASCII as it is, anything
// else as \uN with a Windows-1252 fallback.
void appendCharacter(std::string* out, char16_t c) {
  if (c == u'\\' || c == u'{' || c == u'}') {
    *out += '\\';
    *out += static_cast<char>(c);
  } else if (c == u'\t') {
    *out += "\\tab ";
  } else if (c >= 0x20 && c < 0x7F) {
    *out += static_cast<char>(c);
  } else {
    appendNumber(out, "\\u%ld", c > 0x7FFF ? long(c) - 0x10000 : long(c));
    // The fallback for readers without \uN is always an escaped byte: some
    // readers take a literal one as the end of the control word.
    int fallback = c >= 0x80 ? encodeWindows1252(c) : -1;
    appendNumber(out, "\\'%02lx", fallback >= 0 ? fallback : '?');
  }
}

// Text where line ends are blanks: font names and the comment.
void appendFlat(std::string* out, std::u16string_view text) {
  for (char16_t c : text) appendCharacter(out, c == u'\n' || c == u'\r' ? u' ' : c);
}

void appendHeader(std::string* out, const RtfLayout& layout,
                  std::optional<std::u16string_view> comment) {
  *out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1";
  if (layout.tabTwips > 0) appendNumber(out, "\\deftab%ld", layout.tabTwips);
  *out += "\n{\\fonttbl{\\f0\\fmodern\\fcharset0 ";
  appendFlat(out, layout.fontName);
  *out += ";}}\n";
  *out += kColourTable;
  if (comment) {
    *out += "{\\info{\\doccomm ";
    appendFlat(out, *comment);
    *out += "}}\n";
  }
  *out += "\\pard\\plain\\f0";
  appendNumber(out, "\\fs%ld", layout.fontHalfPoints > 0 ? layout.fontHalfPoints : 24);
  *out += "\\cf1\n";
}

}  // namespace

std::string writeRtf(std::u16string_view text, const std::vector<ColorRun>& colours,
                     const RtfLayout& layout, std::optional<std::u16string_view> comment) {
  std::string out;
  out.reserve(text.size() + text.size() / 4 + 512);
  appendHeader(&out, layout, comment);

  std::size_t run = 0;
  int current = kStyleBlack;
  for (std::size_t i = 0; i < text.size(); ++i) {
    while (run < colours.size() && colours[run].pos + colours[run].len <= i) ++run;
    int style = run < colours.size() && colours[run].pos <= i ? colours[run].style : kStyleBlack;
    if (colourIndex(style) != colourIndex(current)) {
      appendNumber(&out, "\\cf%ld ", colourIndex(style));
      current = style;
    }
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += "\\par\n";
    } else {
      appendCharacter(&out, c);
    }
  }
  out += "}\n";
  return out;
}

}  // namespace orv
