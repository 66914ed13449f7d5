// The free-form "TEXT" data format: numbers standing among other characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/large_block.h"
#include "data/text_windows.h"

namespace orv {

struct TextValues {
  FloatBlock values;
  int64_t cols = 0;  // 0: one-dimensional
};

// Which quick way through plain numbers a reader takes: the quickest this
// processor runs, or the one every processor runs (for the tests that hold
// the two against each other).
enum class TextQuickWay { Quickest, Portable };

// Reads the numbers of [text, end). [limit] > 0 stops after that many
// values. A run of '?' is one missing value (NaN); a lone '-' or '.' is 0;
// every other character separates numbers. The column count is the number
// of values up to the first that ends a line, unless that is 1 or all of
// them, or no value ends a line.
TextValues readTextValues(const char* text, const char* end, int64_t limit,
                          TextQuickWay way = TextQuickWay::Quickest);

// The same for a text that comes in pieces, each ending right after a line
// end (CR or LF) or at the end of the text, so that a file is read through a
// small buffer: [expectedBytes] sizes the first reservation.
class TextValueReader {
 public:
  TextValueReader(int64_t limit, std::size_t expectedBytes,
                  TextQuickWay way = TextQuickWay::Quickest);
  // Reads the numbers of the next piece; false once [limit] values are read.
  bool add(const char* text, const char* end);
  TextValues finish();

 private:
  template <class Reach>
  const char* readValues(const char* p, const char* stop, const char* end, Reach reach);

  TextWindowReader readWindow_;  // the quick way through 64 bytes
  TextValues out_;
  int64_t room_;              // values wanted at most
  int64_t firstLineEnd_ = 0;  // values up to the first that ends a line
  bool full_ = false;
};

// The position after [lines] lines of [text, end) from [start], lines ending
// at CR, at LF (a LF right after a CR belongs to that line end) or after 300
// bytes; a CR or LF right after the last line is passed over too. 0 when the
// text ends first.
std::size_t skipTextLines(const char* text, std::size_t size, std::size_t start, int64_t lines);

// One number read the plainest way, a digit at a time, for the tests that
// hold the quick ways against it: the number at [p] (a digit, '.' or '-')
// into [value]; returns the position of the character that ended it.
namespace textread_detail {
const char* readNumberDigitByDigit(const char* p, const char* end, float* value);
}  // namespace textread_detail

}  // namespace orv
