// Installs the plot module (plot statements, page labels, the plot state)
// into an engine.
#pragma once

namespace orv {

class Engine;

void installPlotModule(Engine& e);

}  // namespace orv
