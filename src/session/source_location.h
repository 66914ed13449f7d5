// Line and column of a text position, for FILE:LINE:COLUMN messages.
#pragma once

#include <cstddef>
#include <string_view>

namespace orv {

struct SourceLocation {
  std::size_t line = 1;    // 1-based; CR, LF and CR LF each end a line
  std::size_t column = 1;  // 1-based, in characters (a surrogate pair is one)
};

// The location of UTF-16 position [pos] in [text]; a position past the end
// counts as the end.
SourceLocation locate(std::u16string_view text, std::size_t pos);

}  // namespace orv
