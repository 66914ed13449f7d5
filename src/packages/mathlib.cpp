// The math library: functions of the C library made available in worksheets.
// They are MFUN functions, so an index applied to the call reaches their
// arguments and an array argument is worked element by element. Angle units
// do not apply; domain errors give the library's NaN or infinity as a known
// value.
#include <climits>
#include <cmath>

#include "lang/engine.h"
#include "packages/registry.h"

namespace orv {

namespace {

// f(x), x being the only argument.
template <double (*F)(double)>
bool unary(Engine& e, double* result) {
  double x;
  if (!e.GetParmVal(0, &x)) return false;
  *result = F(x);
  return true;
}

double cosh1(double x) { return std::cosh(x); }
double sinh1(double x) { return std::sinh(x); }
double tanh1(double x) { return std::tanh(x); }
double acosh1(double x) { return std::acosh(x); }
double asinh1(double x) { return std::asinh(x); }
double atanh1(double x) { return std::atanh(x); }
double tgamma1(double x) { return std::tgamma(x); }
double lgamma1(double x) {
  int sign;  // lgamma_r leaves the C library's global sign alone
  return ::lgamma_r(x, &sign);
}
double j0_1(double x) { return ::j0(x); }
double j1_1(double x) { return ::j1(x); }
double y0_1(double x) { return ::y0(x); }
double y1_1(double x) { return ::y1(x); }
double erf1(double x) { return std::erf(x); }
double erfc1(double x) { return std::erfc(x); }

// fmod(x, y): x (argument 1) first, y (argument 0) only when x is known.
bool fmodEntry(Engine& e, double* result) {
  double x, y;
  if (!e.GetParmVal(1, &x) || !e.GetParmVal(0, &y)) return false;
  *result = std::fmod(x, y);
  return true;
}

// f(n, x) with the order n truncated toward zero; n (argument 1) first, x
// (argument 0) only when n is known. An order beyond the range of int is
// taken as the nearest one in range; a NaN order gives NaN.
template <double (*F)(int, double)>
bool ordered(Engine& e, double* result) {
  double n, x;
  if (!e.GetParmVal(1, &n) || !e.GetParmVal(0, &x)) return false;
  if (std::isnan(n)) {
    *result = n;
    return true;
  }
  const double order = std::fmax(std::fmin(std::trunc(n), INT_MAX), INT_MIN);
  *result = F(static_cast<int>(order), x);
  return true;
}

double jn2(int n, double x) { return ::jn(n, x); }
double yn2(int n, double x) { return ::yn(n, x); }

}  // namespace

// ORDER MATHLIB: the function browser lists them so.
void setup_mathlib(Registry& r) {
  r.AddFunPkg("mathlib_", "math library");
  r.AddMFun("fmod", "x,y", "remainder x/y", fmodEntry);
  r.AddMFun("cosh", "x", "hyperbolic cosine", unary<cosh1>);
  r.AddMFun("sinh", "x", "hyperbolic sine", unary<sinh1>);
  r.AddMFun("tanh", "x", "hyperbolic tangent", unary<tanh1>);
  r.AddMFun("acosh", "x", "inverse hyperbolic cosine", unary<acosh1>);
  r.AddMFun("asinh", "x", "inverse hyperbolic sine", unary<asinh1>);
  r.AddMFun("atanh", "x", "inverse hyperbolic tangent", unary<atanh1>);
  r.AddMFun("tgamma", "x", "gamma function", unary<tgamma1>);
  r.AddMFun("lgamma", "x", "log gamma", unary<lgamma1>);
  r.AddMFun("besselj0", "x", "0th bessel 1st kind", unary<j0_1>);
  r.AddMFun("besselj1", "x", "1st bessel 1st kind", unary<j1_1>);
  r.AddMFun("besseljn", "n,x", "nth bessel 1st kind", ordered<jn2>);
  r.AddMFun("bessely0", "x", "0th bessel 2nd kind", unary<y0_1>);
  r.AddMFun("bessely1", "x", "1st bessel 2nd kind", unary<y1_1>);
  r.AddMFun("besselyn", "n,x", "nth bessel 2nd kind", ordered<yn2>);
  r.AddMFun("erf", "x", "error function", unary<erf1>);
  r.AddMFun("erfc", "x", "comp error function", unary<erfc1>);
  r.AddFunPkg(nullptr, nullptr);
}

}  // namespace orv
