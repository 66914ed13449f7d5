// The add-on functions: packages register their functions once per process
// into one table, in a fixed order; each document's engine defines the
// enabled ones at the start of every run. The table also feeds the function
// browser.
#pragma once

#include <string>
#include <vector>

#include "lang/exprs.h"

namespace orv {

struct AddOnFunction {
  const char* name;         // as written in worksheets
  const char* parmlist;     // e.g. "array,lo,hi,nbins"
  const char* description;
  int kind;                 // CFUN or MFUN
  AddOnEntry entry;
  int nparms;               // commas in parmlist + 1
  int package;              // index into packages(), -1 for none
};

struct AddOnPackage {
  const char* prefix;       // e.g. "FFT_"
  const char* description;  // e.g. "Fourier transform routines"
};

class Registry {
 public:
  static constexpr int kMaxFunctions = 40;

  // Opens a package group; null, null closes it.
  void AddFunPkg(const char* prefix, const char* description);
  void AddCFun(const char* name, const char* parmlist, const char* description, AddOnEntry entry);
  void AddMFun(const char* name, const char* parmlist, const char* description, AddOnEntry entry);

  const std::vector<AddOnFunction>& functions() const { return functions_; }
  const std::vector<AddOnPackage>& packages() const { return packages_; }
  // Slot of a function name, or -1.
  int find(const std::string& name) const;
  // Internal-error texts raised while registering ("Too many add-on functions").
  const std::vector<std::string>& alerts() const { return alerts_; }

 private:
  void add(const char* name, const char* parmlist, const char* description, int kind,
           AddOnEntry entry);
  std::vector<AddOnFunction> functions_;
  std::vector<AddOnPackage> packages_;
  std::vector<std::string> alerts_;
  int openPackage_ = -1;
};

// The packages compiled into Orvanel, registered in their fixed order. Built
// on first use and never changed afterwards.
const Registry& standardRegistry();

// Set-up routine of each package (packages/*.cpp).
void setup_max(Registry& r);
void setup_linfit(Registry& r);
void setup_histogram(Registry& r);
void setup_fft(Registry& r);
void setup_svd(Registry& r);
void setup_SPICE(Registry& r);  // packages/spice.cpp
void setup_mathlib(Registry& r);
void setup_ctab(Registry& r);  // plot/Ctab.cpp

}  // namespace orv
