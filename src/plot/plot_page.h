// A plot page as drawn: the strips with their axes, traces, images and
// pictures, the title, the page labels and the colour table. A run builds one
// in its plot state; at the end of the run a worksheet session publishes a
// copy that never changes, so windows draw and take clicks from it while the
// next run goes on.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plot/surface.h"

namespace orv {

// Plot flags of a strip.
enum PlotFlag : uint32_t {
  PF_XGRID = 0x001,
  PF_YGRID = 0x002,
  PF_ZBAR = 0x004,
  PF_XLOG = 0x008,
  PF_YLOG = 0x010,
  PF_ZLOG = 0x020,
  PF_XTICKLABELS = 0x080,
  PF_YTICKLABELS = 0x100,
  PF_AXISBOX = 0x200,
};

inline constexpr int kMaxStrips = 8;
inline constexpr std::size_t kLabelChars = 63;  // axis labels and title are cut here

// One trace: a function or array trace of Y values (kinds 0 and 1) or of
// (X, Y) pairs (kinds 2 and 3), in axis units (log10 on a log axis). NaN
// marks a gap; for pairs the X of the pair is NaN.
struct Trace {
  enum Kind : int { kLines = 0, kMarkers = 1, kPairMarkers = 2, kPairLines = 3 };
  int kind = kLines;
  double x0 = 0;     // X of the first value (kinds 0 and 1)
  double xstep = 0;  // X distance between values (kinds 0 and 1)
  int16_t marker = -1;
  int16_t markersize = 10;  // tenths
  int16_t colour = 0;       // 0 black, 1 red, 2 green, 3 blue
  std::vector<float> pts;

  bool pairs() const { return kind >= kPairMarkers; }
  std::size_t count() const { return pairs() ? pts.size() / 2 : pts.size(); }
};

// The image of a strip: one level per cell, 0 = no value, 1 to 255 colour
// levels. [cols] rows of [rows] bytes; the first byte row is the top of the
// picture (largest second index), the first index runs left to right.
struct StripImage {
  int rows = 0;  // cells along X (first index)
  int cols = 0;  // cells along Y (second index)
  std::vector<uint8_t> levels;
  bool empty() const { return levels.empty(); }
};

// The settings a strip keeps for its redraws.
struct StripAxes {
  double xmin = 0, xmax = 1, xdiv = 0;
  double ymin = 0, ymax = 1, ydiv = 0;
  double zmin = 0, zmax = 1;
  std::string xlab, ylab, zlab;
  uint32_t plotflags = PF_XGRID | PF_YGRID | PF_ZBAR | PF_XTICKLABELS | PF_YTICKLABELS;
  bool has(uint32_t flag) const { return (plotflags & flag) != 0; }
};

struct Strip {
  StripAxes axes;
  double height = 0;  // fraction of the page, 0 = an equal share
  std::vector<Trace> traces;
  StripImage image;
  std::shared_ptr<const Picture> picture;
  double picrect[4] = {0, 0, 0, 0};  // x, y, width, height; width 0 fills the plot area

  void clearData() {
    traces.clear();
    image = StripImage();
    picture.reset();
  }
};

// The page and font a run lays its strips out on, for the checks made while
// the worksheet runs (the front end sets its own).
struct PageSpec {
  int width = 640, height = 480;
  int charwidth = 7, charht = 14;
};

// A page label made by `label` or `slabel`: its text (Mac OS Roman) and the
// origin of its frame, in page units with y upwards.
struct PageLabel {
  std::string text;
  double x = 0, y = 0;
  bool shown = false;  // made in this run (an emptied label has no size)
};

// The clicked point.
struct Click {
  double x = -HUGE_VAL, y = 0;  // axis units; x = -infinity: none
  double z = -HUGE_VAL;         // image value, -infinity for a trace point, NaN for no value
  int trace = 0;
  int i = 0, j = 0;
  int strip = 0;
  bool any() const { return x != -HUGE_VAL; }
};

struct ColorTable {
  uint8_t rgb[256][3] = {};
  bool valid = false;
};

struct PlotPage {
  Strip strips[kMaxStrips];
  int stripcount = 0;  // index of the current strip
  int nstrips = 0;     // index of the last strip of the page
  std::string title;
  bool made = false;  // a strip was started in the last run and not discarded

  // Data range of the current strip, for the information line.
  float xlo = 0, xhi = 1, ylo = 0, yhi = 1;
  double zlo = HUGE_VAL, zhi = -HUGE_VAL;
  std::string pltukn;  // first undefined name of the last plot statement

  ColorTable ctab;  // not valid: the built-in table
  std::vector<PageLabel> labels;
  PageSpec page;
};

}  // namespace orv
