// The pages of the plot benchmarks: a worksheet run once, its plot state kept
// for drawing.
#pragma once

#include <memory>
#include <string>

#include "bench_util.h"
#include "plot/plot_state.h"
#include "session/engine_assembly.h"

namespace orv::bench {

// 8 strips of 4 function traces of 30,000 points each.
inline const std::string kStripsSheet = [] {
  std::string s = "Ystrips = 8\nXmin = 0; Xmax = 20; Xsteps = 30000\n";
  for (int strip = 0; strip < 8; ++strip) {
    if (strip) s += "newaxis\n";
    for (int t = 1; t <= 4; ++t)
      s +=
          "plot sin(" + std::to_string(t + strip) + "*X) * exp(-X/" + std::to_string(4 * t) + ")\n";
  }
  return s;
}();

// The same page of stored arrays, each plotted with its default marker (a
// cross, an x, a triangle, a square); [marker] "0" draws lines instead.
inline std::string markersSheet(const std::string& marker = "") {
  std::string s = "Ystrips = 8\n";
  if (!marker.empty()) s += "Marker = " + marker + "\n";
  for (int strip = 0; strip < 8; ++strip) {
    if (strip) s += "newaxis\n";
    for (int t = 1; t <= 4; ++t) {
      const std::string name = "a" + std::to_string(strip) + std::to_string(t);
      s += name + "[i] = sin(" + std::to_string(t + strip) + "*i/1500) * exp(-i/" +
           std::to_string(6000 * t) + ") dim[30000]\nplot " + name + "\n";
    }
  }
  return s;
}

// A 1000 x 1000 image.
inline const std::string kImageSheet = "m[i, j] = sin(i/40) * cos(j/60) dim[1000, 1000]\nimage m\n";

class PlotPage {
 public:
  explicit PlotPage(const std::string& sheet) : engine_(makeEngine(host_)) {
    runText(*engine_, utf8ToUtf16(sheet));
  }
  PlotState& plot() { return engine_->plot(); }

 private:
  QuietHost host_;
  std::unique_ptr<Engine> engine_;
};

}  // namespace orv::bench
