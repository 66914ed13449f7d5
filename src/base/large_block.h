// Memory for large blocks of data-file values and bytes. Memory fresh from
// the system costs a fault per page at its first touch, and at 4 KiB a page
// that costs several times what filling the page does; blocks of 4 MiB and
// more therefore start on a 2 MiB boundary and ask for large pages, where
// the system has them.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace orv {

// A block of [bytes] that free() releases; null when there is no memory.
void* allocateLarge(std::size_t bytes);

// An allocator of such blocks. Elements made without a value are left
// uninitialised, so that growing a vector that is about to be filled costs
// no pass over its memory.
template <typename T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <typename U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) {}

  T* allocate(std::size_t n) {
    void* p = allocateLarge(n * sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) { std::free(p); }

  template <typename U>
  void construct(U* p) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator&) { return true; }
};

using FloatBlock = std::vector<float, LargeBlockAllocator<float>>;
using ByteBlock = std::vector<char, LargeBlockAllocator<char>>;

}  // namespace orv
