#include "packages/registry.h"

namespace orv {

// setuplfuns: ORDER PACKAGES (the function browser lists them so).
const Registry& standardRegistry() {
  static const Registry registry = [] {
    Registry r;
    setup_max(r);
    setup_linfit(r);
    setup_histogram(r);
    setup_fft(r);
    setup_svd(r);
    setup_SPICE(r);
    setup_mathlib(r);
    setup_ctab(r);  // last: ColorTable follows every package
    return r;
  }();
  return registry;
}

}  // namespace orv
