#include "session/source_location.h"

#include <algorithm>

namespace orv {

SourceLocation locate(std::u16string_view text, std::size_t pos) {
  pos = std::min(pos, text.size());
  SourceLocation where;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < pos; ++i) {
    char16_t c = text[i];
    if (c == u'\n' || (c == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))) {
      ++where.line;
      lineStart = i + 1;
    }
  }
  // A position between the CR and LF of one line end stays at the end of its line.
  for (std::size_t i = lineStart; i < pos; ++i) {
    if (text[i] == u'\r') continue;
    bool pairTail = text[i] >= 0xDC00 && text[i] <= 0xDFFF && i > lineStart &&
                    text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
    if (!pairTail) ++where.column;
  }
  return where;
}

}  // namespace orv
