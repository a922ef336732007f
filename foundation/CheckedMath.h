#pragma once
// Arithmetic on values that come from data. The original runtime trapped on integer
// division by zero, float overflow and rounding of NaN; here every such operation goes
// through these helpers, which never trap: they round half to even and saturate.

#include <cstdint>

// Nearest integer, ties to even; NaN gives 0; out of range saturates.
int32_t RoundHalfEven(double value);
int64_t RoundHalfEven64(double value);
// Toward zero; NaN gives 0; out of range saturates.
int32_t TruncSat(double value);
int64_t TruncSat64(double value);

int32_t SaturateInt32(int64_t value);

// Coordinates, sizes, offsets and spacings in pixels read from data are kept within this
// distance of 0: far beyond any picture or screen, yet sums of a hundred of them still fit
// in 32 bits. Rectangle arithmetic saturates besides, for values that grow at run time.
inline constexpr int32_t kDataCoordinateLimit = 1 << 24;
int32_t ClampCoordinate(int64_t value);
inline int32_t ClampCoordinate(int32_t value) {
  return ClampCoordinate(int64_t(value));
}
double ClampCoordinate(double value);

// Integer division and remainder truncating toward zero as the Pascal "div" and "mod";
// a zero divisor gives 0, and the one overflowing case (min / -1) saturates.
int32_t DivSafe(int32_t dividend, int32_t divisor);
int32_t ModSafe(int32_t dividend, int32_t divisor);
int64_t DivSafe64(int64_t dividend, int64_t divisor);
int64_t ModSafe64(int64_t dividend, int64_t divisor);
