// Number text that never depends on the process locale. A desktop
// application adopts the user's locale, under which printf would write
// "3,14"; results, tick numbers and data files always use a decimal point.
#pragma once

#include <locale.h>

namespace orv {

// While an instance lives, the calling thread formats and reads numbers in
// the "C" locale; the thread's previous locale comes back afterwards.
class CNumericScope {
 public:
  CNumericScope();
  ~CNumericScope();
  CNumericScope(const CNumericScope&) = delete;
  CNumericScope& operator=(const CNumericScope&) = delete;

 private:
  locale_t previous_;
};

}  // namespace orv
