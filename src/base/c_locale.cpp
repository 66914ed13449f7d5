#include "base/c_locale.h"

namespace orv {

namespace {

locale_t cLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
  return c;
}

}  // namespace

CNumericScope::CNumericScope() : previous_(cLocale() ? uselocale(cLocale()) : locale_t{}) {}

CNumericScope::~CNumericScope() {
  if (previous_) uselocale(previous_);
}

}  // namespace orv
