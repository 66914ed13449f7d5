// The result text that an evaluation request writes after its colon.
#include <string>

#include "lang/engine.h"

namespace orv {

void Engine::eval(ExprNode* n) {
  if (stop) return;
  uknvar = nullptr;
  gmissidx = 0;
  gdim = 0;
  anyasgn = 0;
  neval(n);
}

bool Engine::neval(ExprNode* n) {
  getstr = nullptr;
  double v;
  if (EvalExpr(n, &v)) {
    char text[kNumberText];
    int len = sprintnum(text, sizeof text, v);
    insert(std::string_view(text, static_cast<std::size_t>(len)));
    lastprint = v;
    return true;
  }
  if (getstr && gmissidx == 1) {
    std::string quoted = "\"";
    quoted += getstr;
    quoted += '"';
    insert(quoted);
    getstr = nullptr;
    gmissidx = 0;
    return false;
  }
  if (gmissidx) {
    showarray(n);
    return false;
  }
  if (anyasgn || stop) return false;
  if (uknvar) anyukn = uknvar;
  std::string text = "?";
  if (uknvar && !(n->op == VAR && n->sym == uknvar)) {
    text += ' ';
    text += uknvar->name;
    if (uknvar->nparams) text += "()";
    if (uknvar->ndims || (uknvar->def && uknvar->def->op == SEL)) text += "[]";
    text += '?';
  }
  insert(text);
  return false;
}

// Shows an array as a brace list of at most ten elements; a list of unknown
// size shows three. Each element is an evaluation request of its own.
void Engine::showarray(ExprNode* n) {
  insert("{");
  int64_t count = gdim;
  bool cut = false;
  if (count == 0) {
    count = 3;
    cut = true;
  } else if (count > 10) {
    count = 10;
    cut = true;
  }
  ExprNode* k = makecon(1);
  ExprNode* element = makexpr(n, IDX, k);
  for (int64_t i = 0; i < count && !stop; ++i) {
    eval(element);
    if (i < count - 1 && !stop) insert(",");
    k->value += 1;
  }
  freenode(element);
  freenode(k);
  if (stop) return;
  if (cut) insert(",...");
  insert("}");
}

}  // namespace orv
