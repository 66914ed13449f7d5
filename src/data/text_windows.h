// The quick way through a text of plain numbers, 64 bytes at a time.
#pragma once

#include <cstddef>

namespace orv {

constexpr int kTextWindow = 64;
// Bytes from a window's start that reading it may look at (its own); the 8
// bytes before its start may be looked at too.
constexpr std::ptrdiff_t kTextWindowReach = kTextWindow;

// Reads the plain numbers of the window at [p] into [*to], which has room
// for kTextWindow / 2 + 4 values (a window holds at most kTextWindow / 2;
// up to four more may be written past the last and are overwritten later);
// returns how many of the window's bytes were taken, and in [again] whether
// the rest is for the quick way too. Numbers it does not read (exponents,
// '?', a second point or sign, runs of more than eight digits on either side
// of the point, a number going on past the window) are left to a
// byte-by-byte reader, which goes on from the position returned, at a
// value's start or between values.
using TextWindowReader = int (*)(const char* p, float** to, bool* again);

// The quickest reader this processor runs (vector instructions where it has
// them), and the one every processor runs; the two give the same bits.
TextWindowReader quickestTextWindowReader();
TextWindowReader portableTextWindowReader();

}  // namespace orv
