// Symbols, the symbol table and the string pool.
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

// Strings kept until the run's reset: chunks filled from the front, a new
// chunk begun when the current one is full, so a string once stored never
// moves. A string too long for a chunk gets a chunk of its own size.
class StringPool {
 public:
  static constexpr std::size_t kChunk = 64 * 1024;
  StringPool() = default;
  StringPool(const StringPool&) = delete;
  StringPool& operator=(const StringPool&) = delete;
  ~StringPool();
  // Makes room for [len] bytes and a NUL; false when memory is exhausted.
  bool reserve(std::size_t len);
  // Copies [len] bytes and a NUL; the caller has reserved the room.
  const char* put(const char* text, std::size_t len);
  // Forgets every string; the first chunk is kept for the next run.
  void clear();
  std::size_t used() const { return used_; }
  // Bytes the pool may hold in all; reserve fails beyond them, as when
  // memory runs out (tests use it to reach that path).
  void setLimit(std::size_t bytes) { limit_ = bytes; }

 private:
  std::vector<char*> chunks_;  // the first one kChunk bytes, later ones at least that
  char* at_ = nullptr;         // next free byte of the last chunk
  char* end_ = nullptr;        // end of the last chunk
  std::size_t used_ = 0;       // bytes handed out since the last clear
  std::size_t held_ = 0;       // bytes of all chunks
  std::size_t limit_ = SIZE_MAX;
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
inline constexpr int kBuckets = 16381;

// Shift-and-add over the bytes of a name, each byte sign-extended.
uint64_t symbolHash(const char* name);
inline unsigned symbolBucket(const char* name) {
  return static_cast<unsigned>(symbolHash(name) % kBuckets);
}

}  // namespace orv
