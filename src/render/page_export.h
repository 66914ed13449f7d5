// Writes the plot page of a run to a PNG (at 2 pixels per point), SVG or PDF
// file, chosen by the file name's extension.
#pragma once

#include <string>

#include "plot/plot_state.h"

namespace orv {

struct ExportOptions {
  int width = 640, height = 480;  // points
  std::string fontFamily = "Helvetica";
  int fontSize = 12;
};

// True when [path] ends in .png, .svg or .pdf (any case).
bool isPlotFileName(const std::string& path);

// Sets [ps]'s page to the export page and font, for the checks of a run.
void setExportPage(PlotState& ps, const ExportOptions& options);

// Draws the page of [ps] into [path]. False with [error] set when the file
// cannot be written.
bool exportPage(PlotState& ps, const std::string& path, const ExportOptions& options,
                std::string* error);

}  // namespace orv
