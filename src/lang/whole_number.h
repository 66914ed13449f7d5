// Whole numbers from worksheet values. Converting a double that lies outside
// the range of the integer type is undefined behaviour, so every conversion
// of a value that a worksheet computed (indices, sizes, counts, settings)
// goes through these checks first.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

namespace orv {

// trunc(v) when it lies within int64_t; nothing for a NaN, an infinity or a
// value of magnitude 2^63 or more.
inline std::optional<int64_t> wholePart(double v) {
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (!(v > -kLimit && v < kLimit)) return std::nullopt;
  return static_cast<int64_t>(v);
}

// trunc(v) limited to [lo, hi]; a NaN gives [nan].
inline int64_t clampedWhole(double v, int64_t lo, int64_t hi, int64_t nan) {
  if (std::isnan(v)) return nan;
  if (v <= static_cast<double>(lo)) return lo;
  if (v >= static_cast<double>(hi)) return hi;
  return static_cast<int64_t>(v);
}

// The 0-based element that index value v selects: the nearest integer with
// halves rounding up, for v > 0. Nothing for an index that selects no
// element of any array (not above 0, NaN, or too large to count).
inline std::optional<int64_t> elementOf(double v) {
  if (!(v > 0)) return std::nullopt;
  return wholePart(v - 0.5);
}

}  // namespace orv
