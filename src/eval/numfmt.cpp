// Number text for results and table cells, in the document's format.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "lang/engine.h"

namespace orv {

// Writes the text of [x] into [out] (at most size - 1 characters and a NUL)
// and returns its length. NaN prints NAN04 in every format.
int Engine::sprintnum(char* out, std::size_t size, double x) const {
  const int code = static_cast<int>(settings_.format);
  const int places = settings_.places;
  char format[32];
  if (std::isnan(x)) {
    std::strcpy(format, "NAN04");
  } else if (code == 0) {
    std::snprintf(format, sizeof format, "%%1.%dg", places);
  } else if (code == 1) {
    if (std::isinf(x)) {
      std::strcpy(format, x > 0 ? "INF" : "-INF");
    } else {
      double lg = x == 0 ? 0 : std::log10(std::fabs(x));
      int e3 = static_cast<int>(lg < 0 ? std::trunc(lg / 3 - 1) : std::trunc(lg / 3));
      int d = std::max(places - 3, 0);
      int digits = std::max(static_cast<int>(std::trunc(d + (3 * (e3 + 1) - lg))), 0);
      if (e3 != 0) {
        x /= std::pow(10.0, 3 * e3);
        std::snprintf(format, sizeof format, "%%1.%dfe%d", digits, 3 * e3);
      } else {
        std::snprintf(format, sizeof format, "%%1.%df", digits);
      }
    }
  } else {
    double lg = x == 0 ? 0 : std::log10(std::fabs(x));
    std::snprintf(format, sizeof format, places + lg + 2 >= 30 ? "%%1.%de" : "%%1.%df", places);
  }
  int len = std::snprintf(out, size, format, x);
  if (len < 0) len = 0;
  return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(len), size - 1));
}

}  // namespace orv
