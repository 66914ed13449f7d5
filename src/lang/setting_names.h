// The reserved names of the worksheet variables that hold plot and table
// settings, and the scanner's named constants. The syntax colouring shows
// them as recognised words; the function browser lists them.
#pragma once

namespace orv {

// ORDER SETTINGS
inline constexpr const char* kSettingNames[] = {
    "X",         "Xmin",        "Xmax",     "Xsteps",    "Xdiv",        "Xlo",
    "Xhi",       "Xlabel",      "Xlogaxis", "Xshowgrid", "Xticklabels", "Ymin",
    "Ymax",      "Ydiv",        "Ylo",      "Yhi",       "Ylabel",      "Ylogaxis",
    "Yshowgrid", "Yticklabels", "Ystrips",  "Zmin",      "Zmax",        "Zlabel",
    "Zlogaxis",  "Zshowbar",    "Title",    "N",         "Nmin",        "Nmax",
    "Nsteps",    "Radians",     "pi",       "on",        "off",         "Tracecolor",
    "Marker",    "Markersize",  "Axisbox",  "Nspaces",   "Tabwidth",    "Writeformat"};
inline constexpr int kSettingCount = 42;
static_assert(sizeof kSettingNames / sizeof kSettingNames[0] == kSettingCount);

}  // namespace orv
