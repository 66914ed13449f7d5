// Writing worksheets as RTF that other RTF readers open with the same text:
// one font, the colours of the syntax colouring as text colours, the tab
// interval, and the options line as the document comment.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "doc/color_run.h"

namespace orv {

struct RtfLayout {
  std::u16string fontName = u"Menlo";
  int fontHalfPoints = 22;
  int tabTwips = 0;  // default tab interval; 0 writes none
};

// The RTF file of [text] with [colours] (runs in increasing order, not
// overlapping; text outside them is black) and, when given, [comment] as the
// \doccomm of the information group. Line ends (CR, LF, CR LF) become \par;
// characters outside printable ASCII are written as \uN with a Windows-1252
// fallback (\'3f, a question mark, where there is none).
std::string writeRtf(std::u16string_view text, const std::vector<ColorRun>& colours,
                     const RtfLayout& layout, std::optional<std::u16string_view> comment);

}  // namespace orv
