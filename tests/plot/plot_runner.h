// The worksheet of the plot tests: every add-on function defined, pictures
// loaded, and the last run's outcome kept beside the engine, whose plot page
// is then drawn, clicked and inspected.
#pragma once

#include "plot/plot_state.h"
#include "plot/recording_surface.h"
#include "worksheet.h"

namespace orv::test {

class PlotRun : public Worksheet {
 public:
  PlotRun() {
    enableAddOns();
    host.pictures = true;
  }
  PlotRun& run(const std::string& sheet) {
    last_ = Worksheet::run(sheet);
    outcome = last_.outcome;
    text = last_.text;
    return *this;
  }
  std::string status() const { return last_.status; }

  RunOutcome outcome;
  std::string text;  // the worksheet after the run, UTF-8

 private:
  SheetResult last_;
};

// A recording surface of the tests' standard page: 640 x 480, characters 7 x 14.
inline RecordingSurface testSurface() { return RecordingSurface(640, 480, 7, 14); }

}  // namespace orv::test
