// Conversions from real to integer that stay defined for every input:
// truncation toward zero, saturating at the int32 range, NaN giving 0.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

inline int32_t TruncToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

// Adds one half, then truncates toward zero: 2.5 gives 3, 2.49 gives 2.
inline int32_t RoundHalfUpToInt32(double value) { return TruncToInt32(value + 0.5); }
