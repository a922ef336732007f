#pragma once
// Arithmetic on values that come from data. Integer division by zero, a float too large
// for an integer and NaN must not stop the program or be undefined behaviour, whatever a
// file holds; every such operation goes through these helpers, which never trap: they
// round half to even and saturate.

#include <cstdint>

// Nearest integer, ties to even; NaN gives 0; out of range saturates.
int32_t RoundHalfEvenFar(double value);
// Inline, without the library call, for values within 2^30 of 0 (every coordinate): every
// widget's rectangle is rounded each frame. Adding 2^52 to the magnitude leaves it in the
// binade where a double's unit is 1, so the addition rounds it, ties to even (the rounding
// mode is never changed); taking 2^52 away again is exact.
inline int32_t RoundHalfEven(double value) {
  if (!(value > -1073741824.0 && value < 1073741824.0)) return RoundHalfEvenFar(value);
  constexpr double kUnitBinade = 4503599627370496.0;  // 2^52
  const double magnitude = value < 0 ? -value : value;
  const double rounded = (magnitude + kUnitBinade) - kUnitBinade;
  return int32_t(value < 0 ? -rounded : rounded);
}
int64_t RoundHalfEven64(double value);
// Toward zero; NaN gives 0; out of range saturates.
int32_t TruncSat(double value);
int64_t TruncSat64(double value);

int32_t SaturateInt32(int64_t value);
// A + B, held at the int32 bounds instead of wrapping.
inline int32_t SaturatingAdd(int32_t a, int64_t b) {
  return SaturateInt32(int64_t(a) + b);
}

// Coordinates, sizes, offsets and spacings in pixels read from data are kept within this
// distance of 0: far beyond any picture or screen, yet sums of a hundred of them still fit
// in 32 bits. Rectangle arithmetic saturates besides, for values that grow at run time.
inline constexpr int32_t kDataCoordinateLimit = 1 << 24;
int32_t ClampCoordinate(int64_t value);
inline int32_t ClampCoordinate(int32_t value) {
  return ClampCoordinate(int64_t(value));
}
double ClampCoordinate(double value);

// Integer division truncating toward zero, and its remainder, which takes the sign of the
// dividend (-7 / 2 = -3, -7 % 2 = -1); a zero divisor gives 0, and the one overflowing case
// (min / -1) saturates.
int32_t DivSafe(int32_t dividend, int32_t divisor);
int32_t ModSafe(int32_t dividend, int32_t divisor);
int64_t DivSafe64(int64_t dividend, int64_t divisor);
int64_t ModSafe64(int64_t dividend, int64_t divisor);
