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
  return engine;
}

const Registry& addOnRegistry() { return standardRegistry(); }

}  // namespace orv
