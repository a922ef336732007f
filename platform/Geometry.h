#pragma once
// Points, sizes and rectangles in integer pixels: the one set of geometry types every
// library uses (the engine's interfaces know them as TPoint and TRect). Rectangles are
// half-open: right and bottom are one past the last pixel. Fields are capitalised as in
// the engine's other records, since engine and game code use these types directly.

#include <algorithm>
#include <climits>
#include <cstdint>

namespace platform {

// A 64-bit result brought back into 32 bits, saturating: coordinates from data may sit at
// the limits, and their sums must not wrap around.
inline int32_t Saturate32(int64_t value) {
  return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

struct Point {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int32_t Width = 0;
  int32_t Height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  int32_t Width() const { return Saturate32(int64_t(Right) - Left); }
  int32_t Height() const { return Saturate32(int64_t(Bottom) - Top); }
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The rectangle moved by (dx, dy), every side saturating.
inline Rect OffsetRect(const Rect& r, int64_t dx, int64_t dy) {
  return Rect{Saturate32(r.Left + dx), Saturate32(r.Top + dy), Saturate32(r.Right + dx),
              Saturate32(r.Bottom + dy)};
}

// False when the intersection is empty (left not below right, or top not below bottom);
// Out is then the empty rectangle (0, 0, 0, 0).
inline bool IntersectRects(const Rect& a, const Rect& b, Rect& out) {
  Rect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
         std::min(a.Bottom, b.Bottom)};
  if (r.Empty()) {
    out = Rect{};
    return false;
  }
  out = r;
  return true;
}

// The bounding rectangle of both.
inline void UnionRects(const Rect& a, const Rect& b, Rect& out) {
  out = Rect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
             std::max(a.Bottom, b.Bottom)};
}

}  // namespace platform
