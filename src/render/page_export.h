// Writes the plot page of a run to a PNG (at 2 pixels per point), SVG or PDF
// file, chosen by the file name's extension.
#pragma once

#include <string>

#include "plot/plot_page.h"

namespace orv {

struct ExportOptions {
  int width = 640, height = 480;  // points
  std::string fontFamily = "Helvetica";
  int fontSize = 12;
};

// True when [path] ends in .png, .svg or .pdf (any case).
bool isPlotFileName(const std::string& path);

// The export page and its font's metrics, for the checks of a run.
PageSpec exportPageSpec(const ExportOptions& options);

// The SVG document of [page].
std::string pageSvg(const PlotPage& page, const ExportOptions& options);

// Draws [page] into [path]. False with [error] set when the file cannot be
// written.
bool exportPage(const PlotPage& page, const std::string& path, const ExportOptions& options,
                std::string* error);

}  // namespace orv
