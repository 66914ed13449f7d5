// An engine with every module: the language with data files, plots and the
// packages compiled into Orvanel.
#pragma once

#include <memory>

namespace orv {

class Engine;
class Host;

std::unique_ptr<Engine> makeEngine(Host& host);

}  // namespace orv
