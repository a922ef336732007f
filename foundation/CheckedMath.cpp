#include "foundation/CheckedMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

template <class Int>
Int SaturatingFromDouble(double value) {
  if (std::isnan(value)) return 0;
  // Compare against the first double past the range: both bounds are exact powers of 2.
  constexpr double upper = -2.0 * double(std::numeric_limits<Int>::min() / 2);
  if (value >= upper) return std::numeric_limits<Int>::max();
  if (value < double(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  return static_cast<Int>(value);
}

}  // namespace

int64_t RoundHalfEven64(double value) {
  // nearbyint rounds ties to even in the default rounding mode.
  return SaturatingFromDouble<int64_t>(std::nearbyint(value));
}

int32_t RoundHalfEvenFar(double value) {
  return SaturatingFromDouble<int32_t>(std::nearbyint(value));
}

int32_t TruncSat(double value) { return SaturatingFromDouble<int32_t>(std::trunc(value)); }

int64_t TruncSat64(double value) { return SaturatingFromDouble<int64_t>(std::trunc(value)); }

int32_t ClampCoordinate(int64_t value) {
  return int32_t(std::clamp<int64_t>(value, -kDataCoordinateLimit, kDataCoordinateLimit));
}

double ClampCoordinate(double value) {
  if (std::isnan(value)) return 0;
  return std::clamp(value, double(-kDataCoordinateLimit), double(kDataCoordinateLimit));
}

int32_t SaturateInt32(int64_t value) {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

int32_t DivSafe(int32_t dividend, int32_t divisor) {
  return SaturateInt32(DivSafe64(dividend, divisor));
}

int32_t ModSafe(int32_t dividend, int32_t divisor) {
  return static_cast<int32_t>(ModSafe64(dividend, divisor));
}

int64_t DivSafe64(int64_t dividend, int64_t divisor) {
  if (divisor == 0) return 0;
  if (divisor == -1) {
    return dividend == std::numeric_limits<int64_t>::min() ? std::numeric_limits<int64_t>::max()
                                                           : -dividend;
  }
  return dividend / divisor;
}

int64_t ModSafe64(int64_t dividend, int64_t divisor) {
  if (divisor == 0 || divisor == -1) return 0;
  return dividend % divisor;
}
