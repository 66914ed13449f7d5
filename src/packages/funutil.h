// Small helpers shared by the packages: owned heap blocks of doubles in the
// form the add-on interface hands over, and matrix arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace orv {

class Engine;

struct FreeDeleter {
  void operator()(double* p) const { std::free(p); }
};

// A malloc'ed block of doubles, the kind GetExprMatrix returns and
// SetVarMatrix takes over (hand it on with release()).
using Block = std::unique_ptr<double[], FreeDeleter>;

// A block of n doubles (at least one), or null when memory runs out or n is
// out of range.
Block newBlock(std::size_t n);

// Resizes [b] to n doubles, keeping its contents; false (b unchanged) when
// memory runs out.
bool resizeBlock(Block* b, std::size_t n);

// The matrix form of argument i of the current call (0 is the last
// argument): rows and cols as GetExprMatrix gives them (a number: 0 and 0; a
// vector: cols = 0). False when the argument has no matrix form.
bool matrixArgument(Engine& e, int i, Block* data, int64_t* rows, int64_t* cols);

}  // namespace orv
