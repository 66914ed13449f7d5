// The expression parser: recursive descent over the scanner's tokens,
// building expression trees. Each function returns true when its construct
// is present and hands the tree back through [t].
#include <cmath>

#include "lang/engine.h"

namespace orv {

// Guards the recursion of the parser: deeper nesting of parentheses and
// operands is reported instead of exhausting the stack. Long flat chains
// (a + b + c ...) are loops, not recursion, and are not limited here; the
// evaluator guards its own depth.
bool Engine::enterNesting() {
  if (++nest_ > kMaxNesting) {
    if (tokn != ABORT) errmsg(" expression too deeply nested");
    --nest_;
    return false;
  }
  return true;
}

namespace {

// Restores the nesting count on every path out of a parse function.
class Nesting {
 public:
  explicit Nesting(int& nest) : nest_(nest), saved_(nest) {}
  ~Nesting() { nest_ = saved_; }

 private:
  int& nest_;
  int saved_;
};

}  // namespace

// expr -> cond { (',' | ',,') [EOL] cond }
bool Engine::expr(ExprNode** t) {
  ExprNode* elem = nullptr;
  if (!cond(&elem)) return false;
  if (tokn != ',' && tokn != SEQ) {
    *t = elem;
    return true;
  }
  ExprNode* head = nullptr;
  ExprNode** tail = &head;
  for (;;) {
    int sep = tokn == ',' ? LIST : tokn == SEQ ? SEQ : 0;
    if (sep == 0) {
      *tail = makexpr(elem, LIST, nullptr);
      break;
    }
    accept(tokn);
    accept(EOL);
    ExprNode* node = makexpr(elem, sep, nullptr);
    *tail = node;
    tail = &node->right;
    elem = nullptr;
    if (!cond(&elem)) {
      missexpr();
      *tail = makexpr(nullptr, LIST, nullptr);
      break;
    }
  }
  *t = head;
  return true;
}

// cond -> aexpr [ 'otherwise' ] | aexpr 'when' bxpr
bool Engine::cond(ExprNode** t) {
  if (!aexpr(t)) return false;
  if (accept(KW_OTHERWISE)) return true;
  if (accept(KW_WHEN)) {
    ExprNode* c = nullptr;
    if (!bxpr(&c)) missexpr();
    *t = makexpr(*t, KW_WHEN, c);
  }
  return true;
}

// aexpr -> asgn [ 'while' bxpr ]
bool Engine::aexpr(ExprNode** t) {
  if (!asgn(t)) return false;
  if (accept(KW_WHILE)) {
    ExprNode* c = nullptr;
    if (!bxpr(&c)) missexpr();
    *t = makexpr(*t, KW_WHILE, c);
  }
  return true;
}

namespace {
// A variable or an indexed variable: what ':=' may assign to.
bool isLvalue(const ExprNode* n) {
  while (n && n->op == IDX) n = n->left;
  return n && n->op == VAR;
}
}  // namespace

// asgn -> orx [ ':=' ( '?' | bxpr ) ]
bool Engine::asgn(ExprNode** t) {
  if (!orx(t)) return false;
  if (!accept(ASSIGN)) return true;
  if (!isLvalue(*t)) errmsg(" := requires a variable");
  ExprNode* v = nullptr;
  if (!accept('?') && !bxpr(&v)) missexpr();
  *t = makexpr(*t, ASSIGN, v);
  return true;
}

// bxpr -> orx, with '=' read as a comparison
bool Engine::bxpr(ExprNode** t) {
  int saved = eqok;
  eqok = 1;
  bool r = orx(t);
  eqok = saved;
  return r;
}

// orx -> andx { 'or' andx }
bool Engine::orx(ExprNode** t) {
  if (!andx(t)) return false;
  while (tokn == KW_OR) {
    accept(KW_OR);
    ExprNode* r = nullptr;
    if (!andx(&r)) missexpr();
    *t = makexpr(*t, KW_OR, r);
  }
  return true;
}

// andx -> notx { 'and' notx }
bool Engine::andx(ExprNode** t) {
  if (!notx(t)) return false;
  while (tokn == KW_AND) {
    accept(KW_AND);
    ExprNode* r = nullptr;
    if (!notx(&r)) missexpr();
    *t = makexpr(*t, KW_AND, r);
  }
  return true;
}

// notx -> 'not' rel | rel
bool Engine::notx(ExprNode** t) {
  if (!accept(KW_NOT)) return rel(t);
  ExprNode* x = nullptr;
  if (!rel(&x)) missexpr();
  *t = makexpr(nullptr, KW_NOT, x);
  return true;
}

int Engine::Relop() {
  int op = tokn;
  if (op == GE || op == LE || op == EQ || op == NE || op == '<' || op == '>' ||
      (op == '=' && eqok)) {
    accept(op);
    return op;
  }
  return 0;
}

// rel -> term [ relop term { relop term } ] | 'known' aexpr | 'unknown' aexpr
bool Engine::rel(ExprNode** t) {
  if (tokn == KW_KNOWN || tokn == KW_UNKNOWN) {
    int op = tokn;
    accept(op);
    ExprNode* x = nullptr;
    if (!aexpr(&x)) missexpr();
    *t = makexpr(nullptr, op, x);
    return true;
  }
  if (!term(t)) return false;
  ExprNode* previous = nullptr;  // right operand of the last comparison
  int op;
  while ((op = Relop()) != 0) {
    ExprNode* r = nullptr;
    if (!term(&r)) {
      missexpr();
      if (!previous) *t = makexpr(*t, op, nullptr);
      break;
    }
    if (!previous) {
      *t = makexpr(*t, op, r);
    } else {
      // a < b < c: the second comparison refers to b's tree, not a copy.
      ExprNode* ref = makexpr(previous, REF, nullptr);
      *t = makexpr(*t, KW_AND, makexpr(ref, op, r));
    }
    previous = r;
  }
  return true;
}

// term -> mult { ('+' | '-') mult }
bool Engine::term(ExprNode** t) {
  if (!mult(t)) return false;
  while (tokn == '+' || tokn == '-') {
    int op = tokn;
    accept(op);
    ExprNode* r = nullptr;
    if (!mult(&r)) missexpr();
    *t = makexpr(*t, op, r);
  }
  return true;
}

// mult -> negate { ('*' | '/') negate }
bool Engine::mult(ExprNode** t) {
  if (!negate(t)) return false;
  while (tokn == '*' || tokn == '/') {
    int op = tokn;
    accept(op);
    ExprNode* r = nullptr;
    if (!negate(&r)) missexpr();
    *t = makexpr(*t, op, r);
  }
  return true;
}

// negate -> [EOL] '-' concat | [EOL] concat
bool Engine::negate(ExprNode** t) {
  Nesting guard(nest_);
  if (!enterNesting()) return false;
  accept(EOL);
  if (!accept('-')) return concat(t);
  ExprNode* x = nullptr;
  if (!concat(&x)) missexpr();
  *t = makexpr(makecon(0), '-', x);
  return true;
}

// concat -> pwr { '|' pwr }
bool Engine::concat(ExprNode** t) {
  if (!pwr(t)) return false;
  while (tokn == '|') {
    accept('|');
    ExprNode* r = nullptr;
    if (!pwr(&r)) missexpr();
    *t = makexpr(*t, '|', r);
  }
  return true;
}

// pwr -> primary { subscript } [ '^' negate ]
bool Engine::pwr(ExprNode** t) {
  if (!primary(t)) return false;
  while (tokn == '[') subscript(t);
  if (accept('^')) {
    ExprNode* r = nullptr;
    if (!negate(&r)) missexpr();
    *t = makexpr(*t, '^', r);
  }
  return true;
}

// subscript -> '[' aexpr { ',' aexpr } ']' | '[' [aexpr] ':' [aexpr] ']'
bool Engine::subscript(ExprNode** t) {
  accept('[');
  ExprNode* lo = nullptr;
  if (tokn != ':' && !aexpr(&lo)) {
    missexpr();
    return true;
  }
  if (accept(':')) {
    ExprNode* hi = nullptr;
    if (tokn != ']') aexpr(&hi);
    *t = makexpr(*t, RNG, makexpr(lo, LIST, hi));
    Require(']');
    return true;
  }
  *t = makexpr(*t, IDX, lo);
  while (accept(',')) {
    ExprNode* i = nullptr;
    if (!aexpr(&i)) {
      missexpr();
      return true;
    }
    *t = makexpr(*t, IDX, i);
  }
  Require(']');
  return true;
}

// primary -> builtin-call | name [ '(' args ')' ] | '#' | number | string
//          | '(' expr ')' | '{' list '}'
bool Engine::primary(ExprNode** t) {
  switch (tokn) {
    case VARIABLE: {
      Symbol* s = symref(tokstr);
      accept(VARIABLE);
      if (tokn == '(') return funcall(s, t);
      *t = makevar(s);
      chkparms(s, nullptr);
      return true;
    }
    case CONSTANT:
      *t = makecon(tokcon);
      accept(CONSTANT);
      return true;
    case STRING:
      *t = makestr(tokstr);
      accept(STRING);
      return true;
    case '#':
      *t = makecon(lastprint);
      accept('#');
      return true;
    case '(':
      return parenexp(t);
    case '{':
      return selist(t);
    default:
      if (isinfun(tokn)) return incall(t);
      return false;
  }
}

// Arguments in reverse: f(a, b, c) gives LIST(c, LIST(b, LIST(a))).
ExprNode* Engine::arglist(int close, int* count) {
  ExprNode* list = nullptr;
  *count = 0;
  do {
    ExprNode* a = nullptr;
    if (!aexpr(&a)) {
      missexpr();
      break;
    }
    list = makexpr(a, LIST, list);
    ++*count;
  } while (accept(','));
  Require(close);
  return list;
}

bool Engine::funcall(Symbol* s, ExprNode** t) {
  accept('(');
  int n;
  ExprNode* list = arglist(')', &n);
  *t = makexpr(makevar(s), CALL, list);
  chkparms(s, list);
  return true;
}

void Engine::chkparms(Symbol* s, ExprNode* list) {
  int n = 0;
  for (ExprNode* l = list; l; l = l->right) {
    if (l->op != LIST) {
      BugAlert("chkparms: bad list op=%ld", l->op);
      break;
    }
    ++n;
  }
  if (n == s->nparams) return;
  if (s->nparams == 0 && !s->islocal)
    s->nparams = static_cast<uint16_t>(n);
  else
    errmsg2(" Wrong number of params for %s()", s->name);
}

// parenexp -> '(' expr ')'
bool Engine::parenexp(ExprNode** t) {
  accept('(');
  *t = nullptr;
  if (!expr(t)) {
    missexpr();
    *t = nullptr;
  }
  Require(')');
  return true;
}

// selist -> '{' aexpr { ',' [EOL] aexpr } '}'
bool Engine::selist(ExprNode** t) {
  accept('{');
  ExprNode* head = nullptr;
  ExprNode** tail = &head;
  int64_t n = 0;
  do {
    accept(EOL);
    ExprNode* e = nullptr;
    if (!aexpr(&e)) {
      missexpr();
      break;
    }
    *tail = makexpr(e, LIST, nullptr);
    tail = &(*tail)->right;
    ++n;
  } while (accept(','));
  ExprNode* sel = makexpr(head, SEL, nullptr);
  sel->count = n;
  *t = sel;
  Require('}');
  return true;
}

// incall -> builtin '(' arguments ')'
bool Engine::incall(ExprNode** t) {
  int code = tokn;
  accept(code);
  Require('(');
  switch (code) {
    case FN_SUM:
      *t = sumcall();
      break;
    case FN_READ:
      *t = readcall();
      break;
    case FN_WRITE:
      *t = writecall();
      break;
    case FN_ATAN2:
    case FN_SPRINTF:
      *t = twoparm(code);
      break;
    default: {
      ExprNode* a = nullptr;
      if (!aexpr(&a)) missexpr();
      *t = makexpr(a, code, nullptr);
    }
  }
  Require(')');
  return true;
}

ExprNode* Engine::twoparm(int code) {
  ExprNode* a = nullptr;
  ExprNode* b = nullptr;
  if (!aexpr(&a)) missexpr();
  Require(',');
  if (!aexpr(&b)) missexpr();
  return makexpr(a, code, b);
}

// sum(body, index, lo, hi): the index becomes a symbol private to the sum.
ExprNode* Engine::sumcall() {
  ExprNode* body = nullptr;
  ExprNode* lo = nullptr;
  ExprNode* hi = nullptr;
  ExprNode* index = nullptr;
  if (!aexpr(&body)) missexpr();
  Require(',');
  Symbol* s = tokn == VARIABLE ? symref(tokstr) : nullptr;
  Require(VARIABLE);
  if (s && tokn != ABORT) {
    if (s->def) {
      errmsg2(" '%s' is already used", s->name);
    } else {
      s->name = "sum index";
      s->isindex = 1;
    }
    index = makevar(s);
  }
  Require(',');
  if (!aexpr(&lo)) missexpr();
  Require(',');
  if (!aexpr(&hi)) missexpr();
  ExprNode* tree = makexpr(body, FN_SUM, makexpr(index, LIST, makexpr(lo, LIST, hi)));
  if (tokn == ABORT) {
    freexpr(tree);
    return nullptr;
  }
  return tree;
}

// read(a1) or read(a1, a2, ..., a6); a2 to a6 may be '?' or left out.
ExprNode* Engine::readcall() {
  ExprNode* a[6] = {};
  if (!aexpr(&a[0])) missexpr();
  if (!accept(',')) return makexpr(a[0], FN_READ, nullptr);
  for (int i = 1; i < 6; ++i) {
    if (i > 1 && !accept(',')) break;
    if (tokn == ',' || tokn == ')') continue;
    if (!accept('?') && !aexpr(&a[i])) missexpr();
  }
  ExprNode* chain = makexpr(a[4], LIST, a[5]);
  for (int i = 3; i >= 0; --i) chain = makexpr(a[i], LIST, chain);
  return makexpr(chain, FN_READ, nullptr);
}

// write(a1, a2) or write(a1, a2, a3)
ExprNode* Engine::writecall() {
  ExprNode* a1 = nullptr;
  ExprNode* a2 = nullptr;
  ExprNode* a3 = nullptr;
  if (!aexpr(&a1)) missexpr();
  Require(',');
  if (!aexpr(&a2)) missexpr();
  if (!accept(',')) return makexpr(a1, FN_WRITE, a2);
  if (!aexpr(&a3)) missexpr();
  return makexpr(makexpr(a1, LIST, a3), FN_WRITE, a2);
}

}  // namespace orv
