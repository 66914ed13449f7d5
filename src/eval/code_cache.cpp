// The compiled code of a run's definitions: compiled when a definition is
// evaluated the second time, kept until its tree is freed or the next run
// begins.
#include <unordered_map>

#include "eval/compiled.h"
#include "lang/engine.h"

namespace orv {

struct Engine::CodeCache {
  struct Entry {
    int uses = 0;  // evaluations before compiling; negative: not worth it
    std::unique_ptr<Code> code;
  };
  std::unordered_map<const ExprNode*, Entry> entries;
  // Code dropped while it may still be running (a definition freed during
  // its own evaluation); freed with the cache.
  std::vector<std::unique_ptr<Code>> retired;
  bool disabled = false;  // every evaluation by the tree
};

namespace {

// Definitions whose tree EvalExpr evaluates as fast as compiled code would:
// values, stored arrays, strings and add-on entries.
bool worthCompiling(const ExprNode* def) {
  switch (def->op) {
    case CON:
    case VAR:
    case PARM:
    case VEC:
    case FOLD:
    case SEL:
    case STR:
    case BLK:
    case DIMS:
    case CFUN:
    case MFUN:
      return false;
    default:
      return true;
  }
}

}  // namespace

namespace {

void makeCache(std::unique_ptr<Engine::CodeCache, void (*)(Engine::CodeCache*)>& cache) {
  if (!cache) cache = {new Engine::CodeCache, [](Engine::CodeCache* c) { delete c; }};
}

}  // namespace

void setCompiledEvaluation(Engine& e, bool enabled) {
  makeCache(e.codeCache_);
  e.codeCache_->disabled = !enabled;
}

const Code* Engine::codeFor(ExprNode* def) {
  if (!worthCompiling(def)) return nullptr;
  makeCache(codeCache_);
  if (codeCache_->disabled) return nullptr;
  auto [it, added] = codeCache_->entries.try_emplace(def);
  if (added) ++codeCount_;
  CodeCache::Entry& entry = it->second;
  if (entry.code) return entry.code.get();
  if (entry.uses < 0 || ++entry.uses < 2) return nullptr;
  entry.code = compileTree(*this, def);
  return entry.code.get();
}

bool Engine::evalDefinition(ExprNode* def, double* result) {
  if (!def) return false;
  const Code* code = codeFor(def);
  if (!code) return EvalExpr(def, result);
  if (!enterEval()) return false;
  return code->entry->fn(*this, *code->entry, result);
}

bool Engine::runDefinition(ExprNode* def, DefLink& link, double* result) {
  if (!def) return false;
  const Code* code = link.code;
  if (link.def != def || link.generation != codeGeneration_) {
    code = codeFor(def);
    if (code) link = {def, code, codeGeneration_};
  }
  if (!code) return EvalExpr(def, result);
  if (!enterEval()) return false;
  return code->entry->fn(*this, *code->entry, result);
}

namespace {

// Transient code for [n] from [compile], owned by the caller; null when
// compiling [n] gains nothing or compiled evaluation is off.
template <class Compile>
std::unique_ptr<Code, void (*)(Code*)> transientCode(const Engine::CodeCache* cache, ExprNode* n,
                                                     Compile&& compile) {
  std::unique_ptr<Code, void (*)(Code*)> code{nullptr, [](Code* c) { delete c; }};
  if (n && worthCompiling(n) && !(cache && cache->disabled)) code.reset(compile().release());
  return code;
}

}  // namespace

std::unique_ptr<Code, void (*)(Code*)> Engine::compileTransient(ExprNode* n,
                                                                std::span<ExprNode* const> live) {
  return transientCode(codeCache_.get(), n, [&] { return compileTree(*this, n, live); });
}

bool Engine::runTransient(const Code& code, bool checkStack, double* result) {
  cmdper();
  if (stop) return false;
  if (checkStack && stackExhausted()) {
    errmsg(" evaluation too deeply nested");
    return false;
  }
  return code.entry->fn(*this, *code.entry, result);
}

std::unique_ptr<Code, void (*)(Code*)> Engine::compileTransientCondition(ExprNode* n) {
  return transientCode(codeCache_.get(), n, [&] { return compileCondition(*this, n); });
}

bool Engine::runTransientCondition(const Code& code, bool checkStack, int* truth) {
  // evalbool's entry: the stack, but neither a poll nor the stop flag.
  if (checkStack && stackExhausted()) {
    errmsg(" evaluation too deeply nested");
    return false;
  }
  double v;
  if (!orv::run(*this, *code.entry, &v)) return false;
  *truth = v != 0;
  return true;
}

void Engine::dropCode(ExprNode* n) {
  if (!worthCompiling(n)) return;  // never compiled, so never a key
  auto it = codeCache_->entries.find(n);
  if (it == codeCache_->entries.end()) return;
  if (it->second.code) {
    codeCache_->retired.push_back(std::move(it->second.code));
    ++codeGeneration_;
  }
  codeCache_->entries.erase(it);
  --codeCount_;
}

void Engine::clearCode() {
  if (codeCache_) {
    bool disabled = codeCache_->disabled;
    codeCache_.reset();
    if (disabled) setCompiledEvaluation(*this, false);
  }
  codeCount_ = 0;
  ++codeGeneration_;
}

}  // namespace orv
