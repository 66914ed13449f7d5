// Axes, ticks and grid lines of a strip: round tick spacings and number
// formats on linear axes, chosen multiples within each decade on log axes.
#pragma once

#include <string>

#include "plot/frame.h"

namespace orv {

// A round tick spacing (1, 2 or 5 times a power of ten) for a linear range.
double nicediv(double range);

// The printf format of the tick numbers from [lo] to [hi] at spacing [d].
std::string nicefmt(double lo, double hi, double d);

// Characters to reserve left of the Y axis for its tick numbers.
int yaxischars(const StripAxes& a);

// Prints [v] with [format] at the pen: [align] 0 ends the text at the pen,
// 2 centres it, 1 centres it unless it is longer than 9 characters, when it
// starts 5 character widths left of the pen.
void drawlab(Surface& s, const AxisFrame& f, int align, const char* format, double v);

// Draws the ticks, tick numbers, grid lines (when [grid] and the strip's
// flags allow), the axis lines and the axis labels of a strip.
void axis(Surface& s, const AxisFrame& f, bool grid);

}  // namespace orv
