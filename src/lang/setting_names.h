// The reserved names of the worksheet variables that hold plot and table
// settings, and the scanner's named constants, each with the call form and
// the one-line description the function browser shows. The syntax colouring
// shows the names as recognised words.
#pragma once

namespace orv {

struct SettingEntry {
  const char* name;
  const char* suffix;  // shown right after the name: "=n", "" for none
  const char* description;
};

// ORDER SETTINGS
inline constexpr SettingEntry kSettings[] = {
    {"X", "", "independent plot variable"},
    {"Xmin", "=n", "minimum value for X axis"},
    {"Xmax", "=n", "maximum value for X axis"},
    {"Xsteps", "=n", "resolution for stepping X values"},
    {"Xdiv", "=n", "distance between X axis ticks"},
    {"Xlo", "=n", "initial X axis min for autorange"},
    {"Xhi", "=n", "initial X axis max for autorange"},
    {"Xlabel", "=\"label\"", "add X axis label"},
    {"Xlogaxis", "=on", "use log X axis"},
    {"Xshowgrid", "=off", "suppress vertical grid lines"},
    {"Xticklabels", "=off", "suppress X axis numeric tick labels"},
    {"Ymin", "=n", "minimum value for Y axis"},
    {"Ymax", "=n", "maximum value for Y axis"},
    {"Ydiv", "=n", "distance between axis ticks"},
    {"Ylo", "=n", "initial Y axis min for autorange"},
    {"Yhi", "=n", "initial Y axis max for autorange"},
    {"Ylabel", "=\"label\"", "add Y axis label"},
    {"Ylogaxis", "=on", "use log Y axis"},
    {"Yshowgrid", "=off", "supress horizontal grid lines"},
    {"Yticklabels", "=off", "suppress Y axis numeric tick labels"},
    {"Ystrips", "={1,1,0.5}", "preset relative height of each strip"},
    {"Zmin", "=n", "image data minimum"},
    {"Zmax", "=n", "image data maximum"},
    {"Zlabel", "=\"label\"", "add Z axis label"},
    {"Zlogaxis", "=on", "log image data"},
    {"Zshowbar", "=off", "suppress Z axis color bar"},
    {"Title", "=\"label\"", "add label at top of plot page"},
    {"N", " ", "table variable"},
    {"Nmin", "=n", "table var minimum"},
    {"Nmax", "=n", "table var maximum"},
    {"Nsteps", "=n", "table var step"},
    {"Radians", "", "1 or pi/180"},
    {"pi", "", "3.14159..."},
    {"on", " ", "1"},
    {"off", "", "0"},
    {"Tracecolor", "=n", "1-black, 2-red, 3-green, 4-blue"},
    {"Marker", "=n", "7 shapes"},
    {"Markersize", "=n", "scale marker size by n"},
    {"Axisbox", "=on", "draw a box around the plot"},
    {"Nspaces", "=n", "table column width"},
    {"Tabwidth", "=n", "tab width in points"},
    {"Writeformat", "=\"FLT4\"", "default data file format"},
};
inline constexpr int kSettingCount = 42;
static_assert(sizeof kSettings / sizeof kSettings[0] == kSettingCount);

}  // namespace orv
