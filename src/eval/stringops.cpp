// Strings: a string behaves as a one-dimensional array of character codes;
// concatenation with '|' and sprintf() make new ones in the string pool.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "lang/engine.h"
#include "lang/whole_number.h"

namespace orv {

namespace {
// The largest width or precision handed to the C library. A result keeps
// its first 255 characters, which are the same with this limit as with any
// larger width or precision (padding on the left stays padding, digits on
// the right are cut anyway), while the C library's work stays small.
constexpr int kMaxFieldWidth = 1024;
}  // namespace

bool Engine::indexstr(double* result) {
  std::size_t len = std::strlen(getstr);
  if (!gindex) {
    gmissidx = 1;
    gdim = static_cast<int64_t>(len);
    return false;
  }
  double k = gindex->left->value - 1;
  gmissidx = 0;
  if (k >= 0 && k < static_cast<double>(len)) {
    *result = static_cast<signed char>(getstr[static_cast<std::size_t>(k)]);
    getstr = nullptr;
    return true;
  }
  return false;
}

// a | b
bool Engine::evalconcat(ExprNode* n, double* result) {
  ExprNode* saved = gindex;
  gindex = nullptr;
  getstr = nullptr;
  gmissidx = 0;
  double v;
  std::string joined;
  bool ok = false;
  if (EvalExpr(n->left, &v) || !getstr || !gmissidx) {
    notstr();
  } else {
    joined = getstr;
    getstr = nullptr;
    gmissidx = 0;
    uknvar = nullptr;
    if (EvalExpr(n->right, &v) || !getstr || !gmissidx) {
      notstr();
    } else {
      uknvar = nullptr;
      if (joined.size() + std::strlen(getstr) >= 256) {
        toolong();
      } else {
        joined += getstr;
        ok = true;
      }
    }
  }
  if (!ok) {
    gmissidx = 0;
    getstr = nullptr;
    gindex = saved;
    return false;
  }
  getstr = putstr(joined.c_str(), joined.size());
  gindex = saved;
  return indexstr(result);
}

// Classifies a format with exactly one conversion: 1 real, 2 integer,
// 3 string, 4 character array (%#s); 0 after reporting what is wrong. The
// format handed to the C library is rebuilt from the parts it accepts, so
// characters that were skipped (length modifiers, '*') never reach it.
int Engine::checkformat(const char* format, std::string* safeFormat) {
  const char* p = format;
  while ((p = std::strchr(p, '%')) && p[1] == '%') p += 2;
  if (!p) {
    errmsg(" sprintf(?,) no conversion specifier");
    return 0;
  }
  std::string spec = "%";
  ++p;
  bool hash = false;
  for (; *p && std::strchr(" -+0#", *p); ++p) {
    hash |= *p == '#';
    spec += *p;
  }
  int cls = 0;
  for (; *p; ++p) {
    if (*p >= '0' && *p <= '9') {
      int number = 0;
      for (; *p >= '0' && *p <= '9'; ++p)
        number = std::min(number * 10 + (*p - '0'), kMaxFieldWidth + 1);
      spec += std::to_string(std::min(number, kMaxFieldWidth));
      --p;
      continue;
    }
    if (*p == '.') {
      spec += *p;
      continue;
    }
    if (std::strchr("efgEG", *p))
      cls = 1;
    else if (std::strchr("diouxX", *p))
      cls = 2;
    else if (*p == 'c')
      cls = 2;
    else if (*p == 's')
      cls = hash ? 4 : 3;
    if (cls) break;
  }
  if (!cls) {
    errmsg(" sprintf(?,) illegal format");
    return 0;
  }
  if (cls == 2 && *p != 'c') spec += "ll";
  if (cls == 4) spec.erase(std::remove(spec.begin(), spec.end(), '#'), spec.end());
  spec += *p;
  const char* rest = p + 1;
  for (const char* q = rest; (q = std::strchr(q, '%'));) {
    if (q[1] != '%') {
      errmsg(" sprintf(?,) multiple specifiers");
      return 0;
    }
    q += 2;
  }
  const char* first = std::strchr(format, '%');
  while (first[1] == '%') first = std::strchr(first + 2, '%');
  *safeFormat = std::string(format, first - format) + spec + rest;
  return cls;
}

// Packs the first n (at most 255) elements of a numeric array into bytes;
// out[0] holds the count and the text follows, NUL-terminated.
int Engine::packchars(ExprNode* e, int64_t n, char* out) {
  if (n > 255) n = 255;
  if (n < 0) n = 0;
  double* k = AddLoopIndex();
  for (int64_t i = 1; i <= n; ++i) {
    *k = static_cast<double>(i);
    double v;
    char c = '?';
    if (EvalExpr(e, &v)) {
      double t = std::trunc(v);
      int code = std::isfinite(t) ? static_cast<int>(std::fmod(t, 256.0)) : '?';
      if (code == 13 || code == 34) code = 92;
      c = static_cast<char>(code);
    }
    out[i] = c;
  }
  RemoveLoopIndex();
  out[0] = static_cast<char>(n);
  out[n + 1] = '\0';
  return static_cast<int>(n);
}

// sprintf(format, value)
bool Engine::evalsprnt(ExprNode* n, double* result) {
  ExprNode* saved = gindex;
  getstr = nullptr;
  gindex = nullptr;
  gmissidx = 0;
  double v;
  bool isString = !EvalExpr(n->left, &v) && getstr && gmissidx;
  std::string format = isString ? getstr : "";
  gmissidx = 0;
  gindex = saved;
  if (!isString) {
    const char msg[] = {
        ' ', 's', 'p', 'r', 'i', 'n', 't', 'f', '(', '?',
        'f', 'o', 'r', 'm', 'a', 't', ' ', '?', ',', static_cast<char>(kEllipsisByte),
        ')', '\0'};
    errmsg(msg);
    return false;
  }
  uknvar = nullptr;
  std::string safe;
  int cls = checkformat(format.c_str(), &safe);
  if (!cls) return false;

  gindex = nullptr;
  gdim = 0;
  gmissidx = 0;
  getstr = nullptr;
  double value = 0;
  bool known = EvalExpr(n->right, &value);
  bool haveText = false;
  std::string text;
  if (!known && getstr && gmissidx) {
    text = getstr;
    haveText = true;
  } else if (cls == 4 && !known && gmissidx) {
    char packed[257];
    int len = packchars(n->right, gdim, packed);
    text.assign(packed + 1, static_cast<std::size_t>(len));
    haveText = true;
  }
  getstr = nullptr;
  gmissidx = 0;
  gindex = saved;

  char out[256] = {};
  if (cls >= 3) {
    if (!haveText) return false;
    std::snprintf(out, sizeof out, safe.c_str(), text.c_str());
    uknvar = nullptr;
  } else if (!known) {
    return false;
  } else if (cls == 2) {
    long long i = clampedWhole(value, -9200000000000000000, 9200000000000000000, 0);
    if (safe.back() == 'c')
      std::snprintf(out, sizeof out, safe.c_str(), static_cast<int>(i));
    else
      std::snprintf(out, sizeof out, safe.c_str(), i);
  } else {
    std::snprintf(out, sizeof out, safe.c_str(), value);
  }
  getstr = putstr(out);
  return indexstr(result);
}

// Evaluates argument i of the current call as its parameter would be.
bool Engine::evalArgument(int i, double* result) {
  ExprNode* arg = getparm(i);
  if (!arg) return false;
  ExprNode* frame = gparms;
  gparms = frame->right;
  bool known = EvalExpr(arg, result);
  gparms = frame;
  return known;
}

bool Engine::GetParmName(int i, std::string* out) {
  getstr = nullptr;
  double v;
  bool known = evalArgument(i, &v);
  gmissidx = 0;
  if (known || !getstr) return false;
  *out = getstr;
  getstr = nullptr;
  uknvar = nullptr;
  return true;
}

std::string Engine::GetVarStr(const char* name) {
  Symbol* s = symref(name);
  if (!s->def) return "";
  ExprNode* saved = gindex;
  gindex = nullptr;
  getstr = nullptr;
  double v;
  bool known = EvalExpr(s->def, &v);
  gmissidx = 0;
  gindex = saved;
  if (known || !getstr) {
    errmsg2(" %s ?", s->name);
    return "";
  }
  std::string text = getstr;
  getstr = nullptr;
  uknvar = nullptr;
  return text;
}

}  // namespace orv
