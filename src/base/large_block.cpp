#include "base/large_block.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace orv {

void* allocateLarge(std::size_t bytes) {
  constexpr std::size_t kLargePage = std::size_t(2) << 20;
  if (bytes < 2 * kLargePage) return std::malloc(bytes ? bytes : 1);
  if (bytes > SIZE_MAX - kLargePage) return nullptr;
  const std::size_t rounded = (bytes + kLargePage - 1) & ~(kLargePage - 1);
  void* p = std::aligned_alloc(kLargePage, rounded);
  if (p) madvise(p, rounded, MADV_HUGEPAGE);
  return p;
}

}  // namespace orv
