// The results a run changed: the text of a worksheet before its run compared
// with the text after, through the run's own edits.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/worksheet_session.h"

namespace orv::cli {

// A result that moved, at its place in the text before the run. [was] or
// [now] is empty when the text had no result there, or has none any more (a
// table row that went away).
struct ResultChange {
  std::size_t line = 0, column = 0;  // 1-based; columns count UTF-16 code units
  std::u16string was, now;
};

// The results in which [before] and the text that [edits] make of it differ.
// A result is the text after a request's colon up to the line end or a
// comment, blanks at its end aside; the rows a table statement writes are
// compared row by row. With a [tolerance], numbers whose relative difference
// is at most that are equal; anything else is compared as text. [*compared]
// gets the number of results and rows the run wrote anew.
std::vector<ResultChange> changedResults(std::u16string_view before,
                                         const std::vector<TextEdit>& edits,
                                         std::optional<double> tolerance, std::size_t* compared);

// True when the results [a] and [b] are the same: as text, or with a
// [tolerance] item by item, numbers by value and the rest as text.
bool sameResult(std::u16string_view a, std::u16string_view b, std::optional<double> tolerance);

}  // namespace orv::cli
