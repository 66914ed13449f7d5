// The packages compiled into Orvanel and their set-up routines.
#pragma once

#include "lang/addons.h"

namespace orv {

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
