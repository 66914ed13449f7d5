// The table statement: rows of values written into the text below it. Each
// run deletes the rows of the previous run in pass 1 and writes them again
// in pass 2.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lang/engine.h"
#include "lang/register_guard.h"

namespace orv {

namespace {

inline bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool isAlnum(unsigned char c) {
  return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool isLineEnd(char c) { return c == '\n' || c == '\r' || c == '\0'; }

// One item of a table line at [p]: a quoted text, one of the words INF,
// -INF, Inf, -Inf, NAN04, a '?', or a number. Returns the position after it,
// or null when no item starts there.
const char* skipnum(const char* p) {
  if (*p == '"') {
    ++p;
    while (*p != '"' && !isLineEnd(*p)) ++p;
    return *p == '"' ? p + 1 : p;
  }
  for (const char* w : {"INF", "-INF", "Inf", "-Inf", "NAN04"}) {
    std::size_t n = std::strlen(w);
    if (std::strncmp(p, w, n) == 0 && !isAlnum(static_cast<unsigned char>(p[n]))) return p + n;
  }
  if (*p == '?') return p + 1;
  const char* q = p;
  if (*q == '-' && isDigit(static_cast<unsigned char>(q[1]))) ++q;
  bool digits = false;
  while (isDigit(static_cast<unsigned char>(*q))) ++q, digits = true;
  if (*q == '.') ++q;
  while (isDigit(static_cast<unsigned char>(*q))) ++q, digits = true;
  if (!digits) return nullptr;
  if (*q == 'e') {
    const char* e = q + 1;
    if (*e == '-' || *e == '+') ++e;
    if (isDigit(static_cast<unsigned char>(*e))) {
      while (isDigit(static_cast<unsigned char>(*e))) ++e;
      q = e;
    }
  }
  return q;
}

inline const char* skipblanks(const char* p) {
  while (*p == ' ' || *p == '\t' || *p == 1 || static_cast<unsigned char>(*p) == 0xCA) ++p;
  return p;
}

// The end of the table line at [p] including its line end, or null when the
// line is not a table line: items only, or one or more blanks only.
const char* skipline(const char* p) {
  // An empty line separates the table from what follows; a line of blanks
  // is taken for an empty row.
  if (*p == '\n' || *p == '\r') return nullptr;
  p = skipblanks(p);
  while (!isLineEnd(*p)) {
    const char* q = skipnum(p);
    if (!q) return nullptr;
    p = skipblanks(q);
  }
  if (*p == '\0') return p;
  if (*p == '\r' && p[1] == '\n') return p + 2;
  return p + 1;
}

}  // namespace

// Deletes the rows that an earlier run wrote below the statement.
void Engine::deltable() {
  const char* b = cstring.c_str();
  const char* start = b + selo;
  const char* end = start;
  while (*end) {
    const char* next = skipline(end);
    if (!next || next == end) break;
    end = next;
  }
  if (end == start) return;
  selhi = static_cast<std::size_t>(end - b);
  WEDelete();
}

// The cell format's width: Nspaces when it is a usable number, else 8.
int Engine::setnfmt() {
  Symbol* s = symref("Nspaces");
  if (!s->def) return 8;
  double v;
  if (GetVarVal("Nspaces", &v) && v > -61 && v < 61) return static_cast<int>(std::trunc(v));
  errmsg(" Nspaces:?");
  return 8;
}

// Reads a table setting: its value, the default when undefined, or false
// after reporting [message] when it is defined but has no usable value.
bool Engine::tablesetting(const char* name, double fallback, double excluded, const char* message,
                          double* value) {
  Symbol* s = symref(name);
  if (!s->def) {
    *value = fallback;
    return true;
  }
  if (s->nparams == 0 && GetVarVal(name, value) && *value != excluded) return true;
  errmsg(message);
  return false;
}

// Sets up N for the rows; false after reporting a message.
bool Engine::setnsyms(TableRange* range) {
  double nmin, nmax, nsteps;
  if (!tablesetting("Nmin", 1, -HUGE_VAL, " Nmin:?", &nmin)) return false;
  if (!tablesetting("Nmax", 10, HUGE_VAL, " Nmax:?", &nmax)) return false;
  if (nmin >= nmax) {
    const char msg[] = {' ', 'N', 'm', 'i', 'n', ' ', static_cast<char>(kGeByte), ' ', 'N', 'm', 'a', 'x', '\0'};
    errmsg(msg);
    return false;
  }
  if (!tablesetting("Nsteps", 10, std::nan(""), " Nsteps:?", &nsteps)) return false;
  if (std::isnan(nsteps)) {
    errmsg(" Nsteps:?");  // a value that is no number of lines
    return false;
  }
  nsteps = std::trunc(nsteps);
  if (nsteps < 2) {
    errmsg(" Nsteps < 2");
    return false;
  }
  if (nsteps > 1000) {
    errmsg(" Nsteps > 1000");
    return false;
  }
  Symbol* n = symref("N");
  if (n->def) {
    ExprNode* d = n->def;
    bool link = d->op == VAR && d->sym->def && d->sym->def->op == VAR && d->sym->def->sym == n;
    if (!link || n->nparams || n->ndims) {
      errmsg(" N is not free");
      return false;
    }
    freexpr(d);
    n->def = nullptr;
  }
  n->def = makecon(nmin);
  n->isindex = 2;
  range->n = n;
  range->first = nmin;
  range->step = (nmax - nmin) / (nsteps - 1);
  range->steps = static_cast<int>(nsteps);
  return true;
}

// The text of one cell: the value's result text, a string in quotes, or '?'.
std::string Engine::tablenum(ExprNode* e, int width) {
  RegisterGuard guard(*this);
  getstr = nullptr;
  double v;
  std::string value;
  if (EvalExpr(e, &v)) {
    char text[kNumberText];
    int len = sprintnum(text, sizeof text, v);
    value.assign(text, static_cast<std::size_t>(std::min(len, 39)));
  } else if (getstr && gmissidx) {
    value = "\"" + std::string(getstr).substr(0, 37) + "\"";
  } else {
    value = "?";
  }
  getstr = nullptr;
  char cell[128];
  std::snprintf(cell, sizeof cell, "%*s", width, value.c_str());
  return cell;
}

// Where the rows go: the end of the statement's line, after any comment
// that follows the statement, so the comment stays on the statement's line.
// The scanner reads the line end again from there.
std::size_t Engine::rowposition() const { return tokn == EOL && selo > 0 ? selo - 1 : lastsel; }

void Engine::insertrow(std::size_t at, const std::string& row) {
  setinsert(at);
  WEInsert(row);
}

// The array form: one expression naming an array writes its elements, one
// row per element of the first dimension. False when E is no array.
bool Engine::tablearray(ExprNode* e, int width) {
  gmissidx = 0;
  gdim = 0;
  getstr = nullptr;
  double v;
  if (EvalExpr(e, &v) || !gmissidx) {
    gmissidx = 0;
    getstr = nullptr;
    return false;
  }
  const int64_t rows = gdim;
  double* col = AddLoopIndex();
  gmissidx = 0;
  gdim = 0;
  getstr = nullptr;
  bool twoD = !EvalExpr(e, &v) && gmissidx && !getstr;
  const int64_t cols = twoD ? gdim : 1;
  getstr = nullptr;
  double* row = twoD ? AddLoopIndex() : col;
  if (rows * cols == 0 || rows * cols > 2000 || rows < 0 || cols < 0) {
    errmsg(" table is too large");
  } else {
    const std::size_t at = rowposition();
    for (int64_t i = 1; i <= rows && !stop; ++i) {
      *row = static_cast<double>(i);
      std::string line = "\n";
      for (int64_t j = 1; j <= cols; ++j) {
        if (twoD) *col = static_cast<double>(j);
        if (j > 1) line += '\t';
        line += tablenum(e, width);
      }
      insertrow(at, line);
    }
    if (tokn == EOFTOK) insertrow(at, "\n");
  }
  if (twoD) RemoveLoopIndex();
  RemoveLoopIndex();
  gmissidx = 0;
  return true;
}

// table -> 'table' aexpr { ',' aexpr }
void Engine::tablestmt() {
  std::vector<ExprNode*> list;
  do {
    ExprNode* e = nullptr;
    if (!aexpr(&e)) {
      missexpr();
      break;
    }
    list.push_back(e);
  } while (accept(','));
  if (!pass2) {
    if (tokn != ABORT) deltable();
  } else if (tokn != ABORT) {
    int width = setnfmt();
    if (!(list.size() == 1 && tablearray(list[0], width)) && tokn != ABORT) writetable(list, width);
  }
  for (ExprNode* e : list) freexpr(e);
  Require(EOL);
}

// The rows of N from Nmin to Nmax: one line per value, one cell per
// expression.
void Engine::writetable(const std::vector<ExprNode*>& list, int width) {
  TableRange range;
  if (!setnsyms(&range)) return;
  double cells = static_cast<double>(list.size()) * range.steps;
  if (cells < 1 || cells > 2000) {
    errmsg(" table is too large");
  } else if (tokn != ABORT) {
    const std::size_t at = rowposition();
    double* nvalue = &range.n->def->value;
    for (int i = 0; i < range.steps && !stop; ++i) {
      std::string line = "\n";
      for (std::size_t j = 0; j < list.size(); ++j) {
        if (j > 0) line += '\t';
        line += tablenum(list[j], width);
      }
      insertrow(at, line);
      *nvalue += range.step;
    }
    if (tokn == EOFTOK) insertrow(at, "\n");
  }
  freexpr(range.n->def);
  range.n->def = nullptr;
}

}  // namespace orv
