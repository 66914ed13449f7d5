// The add-on interface: the engine calls through which package entry points
// read their arguments, walk arrays, set worksheet variables and report
// errors, and the definition of the enabled functions in every run.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "lang/addons.h"
#include "lang/engine.h"
#include "lang/register_guard.h"

namespace orv {

void Engine::setAddOnEnabled(int slot, bool enabled) {
  const auto& funs = registry_->functions();
  if (slot < 0 || slot >= static_cast<int>(funs.size())) return;
  if (enabled_.size() < funs.size()) enabled_.resize(funs.size(), 0);
  enabled_[static_cast<std::size_t>(slot)] = enabled ? 1 : 0;
}

bool Engine::addOnEnabled(int slot) const {
  return slot >= 0 && static_cast<std::size_t>(slot) < enabled_.size() && enabled_[slot];
}

// Defines the enabled add-on functions for a run.
void Engine::Predef() {
  const auto& funs = registry_->functions();
  for (std::size_t i = 0; i < funs.size(); ++i) {
    if (!addOnEnabled(static_cast<int>(i))) continue;
    Symbol* s = symref(funs[i].name);
    if (s->def) {
      char text[200];
      std::snprintf(text, sizeof text, "Duplicate XFun name '%s'", funs[i].name);
      BugAlert(text);
      continue;
    }
    ExprNode* n = makexpr(nullptr, funs[i].kind, nullptr);
    n->entry = funs[i].entry;
    s->def = n;
    s->nparams = static_cast<uint16_t>(funs[i].nparms);
  }
}

bool Engine::evalcfun(ExprNode* n, double* result) {
  ExprNode* saved = gindex;
  gindex = nullptr;
  bool known = n->entry(*this, result);
  gmissidx = 0;
  gindex = saved;
  return known;
}

bool Engine::evalmfun(ExprNode* n, double* result) { return n->entry(*this, result); }

bool Engine::GetParmVal(int i, double* v) { return evalArgument(i, v); }

ExprNode* Engine::MakeParmExpr(int i) { return makeparm(i); }

bool Engine::ProbeExpr(ExprNode* e, double* v, bool* isarray, int64_t* size) {
  RegisterGuard::Probe p = RegisterGuard(*this).probe(e);
  *v = p.value;
  *isarray = p.isArray();
  *size = p.size;
  return p.known;
}

double* Engine::AddIndex(ExprNode** e) {
  ExprNode* k = makecon(1);
  *e = makexpr(*e, IDX, k);
  return &k->value;
}

void Engine::RemoveIndex(ExprNode** e) {
  ExprNode* n = *e;
  if (!n || n->op != IDX) {
    BugAlert("RemoveIndex() xpr is not index");
    return;
  }
  *e = n->left;
  freexpr(n->right);
  freenode(n);
}

ExprNode* Engine::MakeVarExpr(const char* name) { return makevar(symref(name)); }

// The checks of a package setting a worksheet variable.
Symbol* Engine::settable(const char* name) {
  Symbol* s = symref(name);
  if (s->nparams || s->ndims) {
    errmsg2(" can't assign to '%s'", s->name);
    return nullptr;
  }
  return s;
}

bool Engine::SetVarVal(const char* name, double v) {
  Symbol* s = settable(name);
  if (!s) return false;
  if (s->def && s->def->op == CON) {
    s->def->value = v;
  } else {
    freexpr(s->def);
    s->def = makecon(v);
  }
  ++defChanges_;
  anyasgn = 1;
  return true;
}

bool Engine::SetVarString(const char* name, const char* text) {
  Symbol* s = settable(name);
  if (!s) return false;
  ExprNode* str = makestr(text);
  freexpr(s->def);
  s->def = str;
  ++defChanges_;
  anyasgn = 1;
  return true;
}

bool Engine::SetVarMatrix(const char* name, double* data, int64_t rows, int64_t cols) {
  if (!data || rows < 0 || cols < 0 || (rows == 0 && cols > 0)) {
    BugAlert("SetVarMatrix() parameter err");
    std::free(data);
    return false;
  }
  Symbol* s = settable(name);
  if (!s) {
    std::free(data);
    return false;
  }
  ExprNode* def;
  if (cols > 0) {
    def = makefold(makevec(data, rows * cols), cols);
  } else if (rows > 0) {
    def = makevec(data, rows);
  } else {
    def = makecon(data[0]);
    std::free(data);
  }
  freexpr(s->def);
  s->def = def;
  ++defChanges_;
  anyasgn = 1;
  return true;
}

void Engine::FoldVar(const char* name, int64_t n) {
  Symbol* s = symref(name);
  if (n >= 1 && s->def) s->def = makefold(s->def, n);
}

void Engine::AddFunDim(const char* name, int64_t n) {
  if (n < 0) return;
  Symbol* s = symref(name);
  if (s->def && s->nparams > 0 && s->ndims == 0) {
    s->def = makexpr(s->def, DIMS, makexpr(makecon(static_cast<double>(n)), LIST, nullptr));
    s->ndims = 1;
  } else if (s->def && s->def->op == DIMS && s->ndims > 0) {
    ExprNode** tail = &s->def->right;
    while (*tail) tail = &(*tail)->right;
    *tail = makexpr(makecon(static_cast<double>(n)), LIST, nullptr);
    ++s->ndims;
  } else {
    char text[200];
    std::snprintf(text, sizeof text, "AddFunDim() invalid symbol '%s'", name);
    BugAlert(text);
  }
}

}  // namespace orv
