// Strings: a string behaves as a one-dimensional array of character codes.
#include <cmath>
#include <cstring>

#include "lang/engine.h"

namespace orv {

bool Engine::indexstr(double* result) {
  std::size_t len = std::strlen(getstr);
  if (!gindex) {
    gmissidx = 1;
    gdim = static_cast<int64_t>(len);
    return false;
  }
  double k = gindex->left->value - 1;
  gmissidx = 0;
  if (k >= 0 && k < static_cast<double>(len)) {
    *result = static_cast<signed char>(getstr[static_cast<std::size_t>(k)]);
    getstr = nullptr;
    return true;
  }
  return false;
}

// Operations whose modules are not part of this build yet give no value.
bool Engine::evalextension(ExprNode* /*n*/, double* /*result*/) { return false; }

}  // namespace orv
