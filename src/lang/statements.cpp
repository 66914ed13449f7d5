// Statements: the statement loop's unit of work, definitions of variables,
// functions and arrays, and the statements handed on to other modules.
#include <vector>

#include "lang/engine.h"

namespace orv {

// stmt -> EOL | line-statement | [ 'label' ] estmt EOL
// line-statement -> 'include' name | 'table' list | 'slabel' aexpr   (modules)
bool Engine::stmt() {
  if (accept(EOL)) return true;
  for (auto statement : modules_.lineStatements)
    if (statement(*this)) return true;
  bool label = accept(KW_LABEL);
  const std::size_t start = lastsel;
  std::vector<std::pair<std::size_t, std::string>> inserted;
  if (label && pass2) insertLog_ = &inserted;
  bool ok = estmt();
  insertLog_ = nullptr;
  if (ok && tokn != EOFTOK) Require(EOL);
  if (label && pass2) {
    ++labn;
    if (!stop) labline(start, labn, inserted);
  }
  return ok || label;
}

// estmt -> module-statement                   plot, image, imagefile, newaxis
//        | expr ( EOL | ':' | '=' EOL )       evaluation request
//        | expr '=' expr                      definition
bool Engine::estmt() {
  for (auto statement : modules_.statements)
    if (statement(*this)) return true;
  ExprNode* lhs = nullptr;
  if (!expr(&lhs)) return false;
  switch (tokn) {
    case ABORT:
      freexpr(lhs);
      return false;
    case EOL:
    case EOFTOK:
      insert(":");
      break;
    case ':':
      if (!pass2) del2eol();
      accept(':');
      break;
    case '=':
      accept('=');
      if (tokn == EOL) {
        replace(":");
        break;
      }
      definition(lhs);
      return true;
    default:
      Require('=');
      freexpr(lhs);
      return false;
  }
  if (pass2) eval(lhs);
  freexpr(lhs);
  return true;
}

// The definition L = R, after the '='.
void Engine::definition(ExprNode* lhs) {
  if (lhs->op == CALL) {
    if (!fundef(lhs)) {
      errmsg(" illegal parameter name");
      freexpr(lhs);
    }
    return;
  }
  if (lhs->op == IDX) {
    if (!arraydef(lhs)) {
      errmsg(" illegal index name");
      freexpr(lhs);
    }
    return;
  }
  ExprNode* rhs = nullptr;
  expr(&rhs);
  if (pass2 || !rhs) {
    freexpr(lhs);
    freexpr(rhs);
    return;
  }
  Symbol* left = lhs->op == VAR ? lhs->sym : nullptr;
  Symbol* right = rhs->op == VAR ? rhs->sym : nullptr;
  if (!left && !right) {
    errmsg(" illegal definition");
    freexpr(lhs);
    freexpr(rhs);
    return;
  }
  // x = y with both names defines each by the other.
  if (left) defvar(left, rhs);
  if (right) defvar(right, lhs);
  if (!right) freexpr(lhs);
  if (!left) freexpr(rhs);
}

void Engine::defvar(Symbol* s, ExprNode* e) {
  ExprNode* d = s->def;
  if (!d) {
    s->def = e;
    return;
  }
  // An earlier two-way link s = t may be replaced silently.
  if (d->op == VAR) {
    Symbol* t = d->sym;
    if (!t->def || (t->def->op == VAR && t->def->sym == s)) {
      freexpr(d);
      s->def = e;
      return;
    }
  }
  // The reverse of an existing link keeps the definition s has.
  if (e->op == VAR && e->sym->def && e->sym->def->op == VAR && e->sym->def->sym == s) {
    freexpr(e);
    return;
  }
  errmsg2(" '%s' is already defined", s->name);
  freexpr(d);
  s->def = e;
}

// Makes a local symbol for each plain name of an argument list, numbering
// them along the list from [first]. False (and no locals) when an element is
// not a plain name.
bool Engine::fparm(ExprNode* list, int* count) {
  int i = 0;
  for (ExprNode* l = list; l; l = l->right) {
    if (l->op != LIST) {
      BugAlert("fparm: bad list op=%ld", l->op);
      break;
    }
    if (!l->left || l->left->op != VAR) {
      killocals();
      return false;
    }
    Symbol* local = localsym(l->left->sym);
    local->def = makeparm(i++);
  }
  *count = i;
  return true;
}

// fundef -> f '(' name { ',' name } ')' '=' expr
bool Engine::fundef(ExprNode* call) {
  int n;
  if (!fparm(call->right, &n)) return false;
  ExprNode* body = nullptr;
  if (!expr(&body)) missexpr();
  killocals();
  Symbol* f = call->left->sym;
  if (!pass2) {
    if (f->def) {
      errmsg2(" '%s' is already defined", f->name);
      freexpr(f->def);
    }
    f->nparams = static_cast<uint16_t>(n);
    f->def = body;
  } else {
    freexpr(body);
  }
  freexpr(call);
  return true;
}

// arraydef -> a '[' name { ',' name } ']' '=' expr [ 'dim' '[' size { ',' size } ']' ]
//           | f '(' names ')' '[' names ']' '=' ...
bool Engine::arraydef(ExprNode* lhs) {
  std::vector<ExprNode*> indices;  // leftmost first after the reverse below
  ExprNode* base = lhs;
  while (base->op == IDX) {
    indices.insert(indices.begin(), base->right);
    base = base->left;
  }
  for (ExprNode* i : indices)
    if (!i || i->op != VAR) return false;
  int nparams = 0;
  Symbol* s;
  if (base->op == VAR) {
    s = base->sym;
  } else if (base->op == CALL) {
    if (!fparm(base->right, &nparams)) return false;
    s = base->left->sym;
  } else {
    return false;
  }
  int ndims = static_cast<int>(indices.size());
  for (int p = 0; p < ndims; ++p) localsym(indices[p]->sym)->def = makeparm(nparams + p);
  ExprNode* formula = nullptr;
  if (!expr(&formula)) missexpr();
  ExprNode* def = setdim(formula, ndims);
  killocals();
  if (!pass2) {
    if (s->def) {
      errmsg2(" '%s' is already defined", s->name);
      freexpr(s->def);
    }
    s->def = def;
    s->ndims = static_cast<int16_t>(ndims);
    s->nparams = static_cast<uint16_t>(nparams);
  } else {
    freexpr(def);
  }
  freexpr(lhs);
  return true;
}

// setdim -> [ 'dim' '[' size { ',' size } ']' ]: wraps the formula in a DIMS
// node holding the sizes, first dimension first.
ExprNode* Engine::setdim(ExprNode* formula, int ndims) {
  if (!accept(KW_DIM)) return formula;
  Require('[');
  std::vector<ExprNode*> sizes;
  do {
    ExprNode* e = nullptr;
    if (!aexpr(&e)) {
      missexpr();
      break;
    }
    sizes.push_back(e);
  } while (accept(','));
  Require(']');
  if (static_cast<int>(sizes.size()) > ndims) {
    errmsg(" too many dimensions");
    for (ExprNode* e : sizes) freexpr(e);
    return formula;
  }
  if (sizes.empty()) return formula;
  ExprNode* list = sizes.size() == 1 ? sizes[0] : nullptr;
  if (!list)
    for (auto it = sizes.rbegin(); it != sizes.rend(); ++it) list = makexpr(*it, LIST, list);
  return makexpr(formula, DIMS, list);
}

// The label of a `label` line: the text after the keyword to the end of its
// line, with the results this run wrote into it, cut before its first ';'.
void Engine::labline(std::size_t start, int k,
                     const std::vector<std::pair<std::size_t, std::string>>& inserted) {
  std::size_t end = start;
  while (end < cstring.size() && cstring[end] != '\n' && cstring[end] != '\r') ++end;
  std::string text;
  std::size_t at = start;
  for (const auto& [pos, piece] : inserted) {
    if (pos < at || pos > end) continue;
    text.append(cstring, at, pos - at);
    text += piece;
    at = pos;
  }
  text.append(cstring, at, end - at);
  std::size_t semi = text.find(';');
  if (semi != std::string::npos) text.resize(semi);
  if (modules_.labelText) modules_.labelText(*this, text, k);
}

}  // namespace orv
