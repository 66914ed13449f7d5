// A worksheet after its run as a page to read elsewhere: a self-contained
// HTML page (inline styles, the plot inline as SVG, nothing fetched from
// anywhere) or Markdown with the text as a code block and the plot linked.
#pragma once

#include <string>
#include <vector>

#include "doc/color_run.h"

namespace orv::cli {

struct SheetPage {
  std::string title;           // UTF-8, the worksheet's file name
  std::u16string text;         // the worksheet after the run
  std::vector<ColorRun> runs;  // its syntax colours, in order
  std::string status;          // the status line or the fault, UTF-8
  bool failed = false;         // the run failed at a fault
  std::string svg;             // the plot page as an SVG document; empty for none
};

// The HTML page of [page].
std::string htmlPage(const SheetPage& page);

// The Markdown page of [page]; [plotLink] names the SVG file of its plot
// (ignored when the page has none).
std::string markdownPage(const SheetPage& page, const std::string& plotLink);

}  // namespace orv::cli
