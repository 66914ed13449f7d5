#include "session/engine_assembly.h"

#include "data/data_module.h"
#include "lang/engine.h"
#include "packages/registry.h"
#include "plot/plot_module.h"

namespace orv {

std::unique_ptr<Engine> makeEngine(Host& host) {
  auto engine = std::make_unique<Engine>(host, &standardRegistry());
  installDataModule(*engine);
  installPlotModule(*engine);
  // A stopped run leaves no circuit simulator behind.
  engine->modules().runEnds.push_back([](Engine& e, RunOutcome&) {
    if (e.stopRequest_ && e.stopRequest_->load()) e.endSimulators();
  });
  return engine;
}

const Registry& addOnRegistry() { return standardRegistry(); }

}  // namespace orv
