// Runs worksheets for the plot tests and keeps the engine, so that its plot
// page can be drawn, clicked and inspected afterwards.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lang/engine.h"
#include "plot/plot_state.h"
#include "plot/recording_surface.h"

namespace orv::test {

class PlotHost : public Host {
 public:
  void bugAlert(std::string_view text) override { alerts.emplace_back(text); }
  std::shared_ptr<const Picture> loadPicture(const std::string& path) override;
  std::vector<std::string> alerts;
};

struct PlotRun {
  PlotHost host;
  std::unique_ptr<Engine> engine;
  RunOutcome outcome;
  std::string text;  // the worksheet after the run, UTF-8

  PlotRun();
  // Runs [sheet] (UTF-8), with every add-on function defined.
  PlotRun& run(const std::string& sheet);
  PlotState& plot() { return engine->plot(); }
  std::string status() const;  // UTF-8, without the leading blank
};

// A recording surface of the tests' standard page: 640 x 480, characters 7 x 14.
inline RecordingSurface testSurface() { return RecordingSurface(640, 480, 7, 14); }

}  // namespace orv::test
