// Drawing the parts of a strip and the whole page from the stored records.
#pragma once

#include <string>

#include "plot/frame.h"
#include "plot/plot_page.h"

namespace orv {

// The traces of [strip], clipped to its plot area enlarged by 3 units.
void DrawTraces(Surface& s, const AxisFrame& f, const Strip& strip);

// One marker of [shape] (0 to 6; -1 none) and [size] tenths at (x, y).
void drawmarker(Surface& s, const AxisFrame& f, int shape, int size, double x, double y);

// The `imagefile` picture of [strip].
void DrawXpic(Surface& s, const AxisFrame& f, const Strip& strip);

// The image of [strip] and its colour bar.
void DrawImage(Surface& s, const AxisFrame& f, const Strip& strip, const ColorTable& ctab);
void Zaxis(Surface& s, const AxisFrame& f, const Strip& strip, const ColorTable& ctab);

// False when the page drawn on [s] leaves a strip no plot area (too many
// strips for its height, or too narrow for the tick numbers); the text then
// says what the page is: "too small for its 4 strips".
bool pageHasRoom(const PlotPage& ps, Surface& s);
std::string pageTooSmallText(const PlotPage& ps);

// Every strip of the page, then the title; on a page without room for its
// strips, only the text that says so.
void drawplot(const PlotPage& ps, Surface& s);

// The page as exported: drawplot, the page labels at their places and the
// information line at the bottom, which shows [click] when there is one.
// [labels] stand instead of the page's own labels when given (a window
// whose user moved them); [info] false leaves the information line out.
void drawPage(const PlotPage& ps, Surface& s, const Click& click = Click(),
              const std::vector<PageLabel>* labels = nullptr, bool info = true);

// The text of the information line (Mac OS Roman).
std::string showplotinfo(const PlotPage& ps, const Click& click = Click());

}  // namespace orv
