// The plot statements as a run carries them out: strip start, settings,
// traces, images, pictures, strips and page labels. Each takes the engine
// whose plot state (Engine::plot()) it fills.
#pragma once

#include <string>

#include "plot/plot_state.h"

namespace orv {

class Engine;
struct ExprNode;

enum PlotKind { kImagePlot = 1, kTracePlot = 2, kPicturePlot = 3 };

// ---- Run (plot/plot.cpp)
// Start of pass 1: empties the page labels, applies the document's grid and
// box defaults, and lets the first plot statement discard the old strips.
void plotRunStart(Engine& e);
// End of pass 2: finishes the ranges (when [finish]) and closes the strips.
void plotRunEnd(Engine& e, bool finish);
// After a successful run: removes the trailing labels the run did not make.
void removeUnusedLabels(PlotState& ps);

// The common entry of `plot`, `plotline`, `image` and `imagefile` in pass 2.
// [rect] is the rectangle expression of `imagefile`, or null.
void GenPlot(Engine& e, ExprNode* tree, int kind, ExprNode* rect = nullptr);
bool StartPlot(Engine& e);
void KillPlot(Engine& e);
void autorange(PlotState& ps);

// ---- Settings (plot/settings.cpp)
int optsym(Engine& e, const char* name, double* out);
void setsyms(Engine& e);

// ---- Traces (plot/traces.cpp)
void AddTrace(Engine& e, ExprNode* tree);

// ---- Images and pictures (plot/imgplot.cpp)
void imgplot(Engine& e, ExprNode* tree);
void AddGraphic(Engine& e, ExprNode* name, ExprNode* rect);

// ---- Strips (plot/strips.cpp)
void axisstmt(Engine& e);
void setht(Engine& e);
void freestrips(Engine& e);
void KillStrips(PlotState& ps);
void closestrips(Engine& e);
void savestrip(PlotState& ps);

// ---- Page labels (plot/labels.cpp)
// Label [k] (from 1) shows [text] (Mac OS Roman).
void makeLabel(PlotState& ps, const std::string& text, int k);
void ClearLabs(PlotState& ps);

}  // namespace orv
