// The string pool and the symbol table.
#include "lang/symtab.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "lang/engine.h"

namespace orv {

StringPool::~StringPool() {
  for (char* c : chunks_) std::free(c);
}

bool StringPool::reserve(std::size_t len) {
  if (static_cast<std::size_t>(end_ - at_) > len) return true;
  const std::size_t size = std::max(kChunk, len + 1);
  if (size > limit_ - std::min(limit_, held_)) return false;
  // Only the chunk being filled is ever left with room: a long string takes
  // a chunk of its own and the rest goes on in it.
  char* chunk = static_cast<char*>(std::malloc(size));
  if (!chunk) return false;
  chunks_.push_back(chunk);
  held_ += size;
  at_ = chunk;
  end_ = chunk + size;
  return true;
}

const char* StringPool::put(const char* text, std::size_t len) {
  char* at = at_;
  std::memcpy(at, text, len);
  at[len] = '\0';
  at_ += len + 1;
  used_ += len + 1;
  return at;
}

void StringPool::clear() {
  used_ = 0;
  if (chunks_.empty()) return;
  for (std::size_t i = 1; i < chunks_.size(); ++i) std::free(chunks_[i]);
  chunks_.resize(1);
  held_ = kChunk;
  // Every chunk holds at least kChunk bytes; the first serves as a standard one.
  at_ = chunks_[0];
  end_ = at_ + kChunk;
}

SymbolRecords::~SymbolRecords() {
  for (Symbol* b : blocks_) std::free(b);
}

Symbol* SymbolRecords::take() {
  if (!free_) {
    auto* block = static_cast<Symbol*>(std::calloc(kBlock, sizeof(Symbol)));
    if (!block) return nullptr;
    blocks_.push_back(block);
    for (int i = kBlock - 1; i >= 0; --i) give(&block[i]);
  }
  Symbol* s = free_;
  free_ = s->next;
  ++handedOut;
  *s = Symbol{};
  return s;
}

uint64_t symbolHash(const char* name) {
  uint64_t h = 0;
  for (const char* p = name; *p; ++p)
    h = h * 8 + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
  return h;
}

// ---------------------------------------------------------------------------
// Strings
// ---------------------------------------------------------------------------

bool Engine::chkstrs(std::size_t n) {
  if (strpool_.reserve(n)) return true;
  // The run's message rather than an alert: a loop that keeps strings until
  // memory runs out would otherwise raise one alert per string it tries to
  // keep. The message also stops the run.
  errmsg(" out of memory");
  return false;
}

const char* Engine::putstr(const char* text, std::size_t len) {
  if (!chkstrs(len)) return "";  // the pass is ending; nothing may point past the pool
  return strpool_.put(text, len);
}

const char* Engine::putstr(const char* text) { return putstr(text, std::strlen(text)); }

// ---------------------------------------------------------------------------
// Symbols
// ---------------------------------------------------------------------------

Symbol* Engine::allocsym() {
  Symbol* s = symrecs_.take();
  if (!s) throw std::bad_alloc();
  return s;
}

Symbol* Engine::lookup(const char* name) const {
  for (Symbol* s = hashtab[symbolBucket(name)]; s; s = s->next)
    if (std::strcmp(s->name, name) == 0) return s;
  return nullptr;
}

Symbol* Engine::symref(const char* name) {
  if (Symbol* s = lookup(name)) return s;
  unsigned b = symbolBucket(name);
  Symbol* s = allocsym();
  s->name = putstr(name);
  s->next = hashtab[b];
  hashtab[b] = s;
  return s;
}

Symbol* Engine::localsym(Symbol* global) {
  unsigned b = symbolBucket(global->name);
  Symbol* s = allocsym();
  s->name = global->name;
  s->islocal = 1;
  s->next = hashtab[b];
  hashtab[b] = s;
  locals_.push_back(s);
  return s;
}

// Removes the local symbols; only their own chains need a look.
void Engine::killocals() {
  for (Symbol* local : locals_) {
    Symbol** link = &hashtab[symbolBucket(local->name)];
    while (*link && *link != local) link = &(*link)->next;
    if (!*link) continue;
    *link = local->next;
    freexpr(local->def);
    symrecs_.give(local);
  }
  locals_.clear();
}

void Engine::freesyms() {
  for (Symbol*& head : hashtab) {
    while (Symbol* s = head) {
      head = s->next;
      freexpr(s->def);
      s->def = nullptr;
      symrecs_.give(s);
    }
  }
  locals_.clear();
  strpool_.clear();
  symrecs_.handedOut = 0;
}

}  // namespace orv
