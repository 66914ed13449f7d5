// Reading RTF worksheets, our own and those written by other programs: the
// text, the document comment that carries the options line, and the font and
// tab interval of the text.
//
// Understood: groups; control words and symbols; \'hh in the document's code
// page (\ansi, \ansicpgN, \mac) or the font's (\fcharset77 is Mac OS Roman);
// \uN with its \ucN fallback; \par, \line and a backslash before a line end as
// line ends; \tab and the named punctuation; skipped destinations (\*, the
// font, colour and style tables, pictures, headers, field instructions, and
// \info except \doccomm); \binN. Everything else is passed over. The reader
// never fails: any bytes give some text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct RtfDocument {
  std::u16string text;
  bool hasComment = false;
  std::u16string comment;   // the \doccomm text
  std::u16string fontName;  // the font of the text's first character; empty when none is named
  int fontHalfPoints = 24;  // its size in half points (\fsN)
  int defaultTab = 0;       // \deftabN in twips; 0 when not given
  // The skipped destinations that held content a reader sees (pictures,
  // objects, footnotes, headers, field instructions), by control word, each
  // once in the order met.
  std::vector<std::string> dropped;
};

// True when [bytes] start as an RTF file does.
bool isRtf(std::string_view bytes);

RtfDocument readRtf(std::string_view bytes);

}  // namespace orv
