// The per-document settings record that the options line, the legacy resource
// decoder and the document exchange.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// Longest font name a settings record holds, in bytes.
inline constexpr std::size_t kFontNameMax = 40;

struct DocPrefs {
  uint8_t numfmt = 2;  // 0 scientific, 1 engineering, 2 fixed
  uint8_t places = 2;
  uint8_t writefmt = 0;  // data-file format of write(): 0 "TEXT" ... 5 "DBL8"
  uint8_t deg = 0;
  uint8_t hidegrid = 0;
  uint8_t boxaxis = 0;
  uint8_t printasis = 0;  // read and ignored
  uint8_t stxdisable = 0;
  uint8_t logaxes = 0;  // legacy log-axis bits: 16 x, 32 y, 64 z
  // Window frames in screen points, origin at the bottom left; top = y + height.
  int32_t twwidth = 0, twheight = 0, twleft = 0, twtop = 0;
  int32_t pwwidth = 0, pwheight = 0, pwleft = 0, pwtop = 0;
  std::string tfontName;  // Mac OS Roman bytes, at most kFontNameMax
  std::string pfontName;
  int32_t tfontSize = 0;  // points
  int32_t pfontSize = 0;
  int32_t tabWidth = -1;  // points; -1 = not set
};

// A page label's origin as fractions of the plot view's width and height.
struct LabelOrigin {
  double x = 0;
  double y = 0;
};

}  // namespace orv
