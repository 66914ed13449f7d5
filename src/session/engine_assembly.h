// An engine with every module: the language with data files, plots and the
// packages compiled into Orvanel.
#pragma once

#include <memory>

namespace orv {

class Engine;
class Host;
class Registry;

std::unique_ptr<Engine> makeEngine(Host& host);

// The add-on functions of every engine makeEngine makes.
const Registry& addOnRegistry();

}  // namespace orv
