// Symbols, the 19-bucket symbol table and the string pool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

struct ExprNode;

struct Symbol {
  Symbol* next;       // next in the bucket; free-list link
  const char* name;   // string pool pointer
  uint8_t isindex;    // 1: a sum() index; 2: N after a table used it
  uint8_t islocal;    // 1: a formal parameter while its definition parses
  int16_t depth;      // evaluations in progress (recursion guard)
  uint16_t nparams;   // parameters; 0 for a variable or array
  int16_t ndims;      // array dimensions; 0 for a scalar
  ExprNode* def;      // the definition; null while undefined
};

// One area of 40,000 bytes filled from the front; emptied as a whole.
class StringPool {
 public:
  static constexpr std::size_t kSize = 40000;
  // Room exists when more than n bytes are left.
  bool room(std::size_t n) const { return kSize - used_ > n; }
  // Copies [len] bytes and a NUL; the caller has checked room(len).
  const char* put(const char* text, std::size_t len);
  const char* next() const { return area_ + used_; }
  void clear() { used_ = 0; }
  std::size_t used() const { return used_; }

 private:
  char area_[kSize];
  std::size_t used_ = 0;
};

// Symbol records come from blocks of 50 that are never given back.
class SymbolRecords {
 public:
  SymbolRecords() = default;
  SymbolRecords(const SymbolRecords&) = delete;
  SymbolRecords& operator=(const SymbolRecords&) = delete;
  ~SymbolRecords();
  Symbol* take();  // null when memory is exhausted
  void give(Symbol* s) {
    s->next = free_;
    free_ = s;
  }
  long handedOut = 0;  // records handed out since the last reset (nsyms)

 private:
  static constexpr int kBlock = 50;
  Symbol* free_ = nullptr;
  std::vector<Symbol*> blocks_;
};

// Every symbol of a name sits in the same chain, newest first, so the number
// of chains changes nothing but the speed of lookups in large worksheets.
inline constexpr int kBuckets = 1021;

// Shift-and-add over the bytes of a name, each byte sign-extended.
uint64_t symbolHash(const char* name);
inline unsigned symbolBucket(const char* name) {
  return static_cast<unsigned>(symbolHash(name) % kBuckets);
}

}  // namespace orv
