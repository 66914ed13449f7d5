// Scoped care of the evaluator's array registers for code that evaluates
// expressions outside the statement flow: plot settings and traces, data
// files, tables and packages.
//
// After an evaluation that gives no value, gmissidx tells how many indices
// the array still lacks and gdim the size of its first missing dimension.
// Stale values would make the next evaluation look like an array, so a
// guard clears both on entry and gmissidx on exit. gdim is left for the
// caller: it is only read after an evaluation that set it.
#pragma once

#include <cstdint>

#include "lang/engine.h"

namespace orv {

class RegisterGuard {
 public:
  // What one evaluation gave.
  struct Probe {
    double value = 0;
    bool known = false;
    int missing = 0;   // indices the array lacks; 0 when known
    int64_t size = 0;  // gdim after the evaluation
    bool isArray() const { return missing != 0; }
  };

  explicit RegisterGuard(Engine& e) : e_(e) { clear(); }
  ~RegisterGuard() { e_.gmissidx = 0; }
  RegisterGuard(const RegisterGuard&) = delete;
  RegisterGuard& operator=(const RegisterGuard&) = delete;

  // Evaluates [expr] with cleared registers and clears gmissidx again.
  Probe probe(ExprNode* expr) {
    clear();
    Probe p;
    p.known = e_.EvalExpr(expr, &p.value);
    return finish(p);
  }
  // The same for the variable [s].
  Probe probe(Symbol* s) {
    clear();
    Probe p;
    p.known = e_.evalvar(s, &p.value);
    return finish(p);
  }

 private:
  void clear() {
    e_.gmissidx = 0;
    e_.gdim = 0;
  }
  Probe finish(Probe p) {
    p.missing = p.known ? 0 : e_.gmissidx;
    p.size = e_.gdim;
    e_.gmissidx = 0;
    return p;
  }

  Engine& e_;
};

}  // namespace orv
