// A stretch of worksheet text in one colour, as the syntax colouring finds it
// and the RTF writer and the text window apply it.
#pragma once

#include <cstddef>

namespace orv {

// Text colours, numbered as TextStorage::setStyle numbers them.
enum TextStyle : int {
  kStyleBlack = 0,
  kStyleRed = 1,  // results
  kStyleGreen = 2,
  kStyleBlue = 3,   // comments
  kStyleBrown = 4,  // recognised words
};

struct ColorRun {
  std::size_t pos;  // in UTF-16 code units (one byte each in the engine's copy)
  std::size_t len;
  int style;
};

}  // namespace orv
