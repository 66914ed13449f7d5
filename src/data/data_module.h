// Installs the data module (include, table, read, write) into an engine.
#pragma once

namespace orv {

class Engine;

void installDataModule(Engine& e);

}  // namespace orv
