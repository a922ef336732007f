#pragma once
// Points, sizes and rectangles in integer pixels: the one set of geometry types every
// library uses (the engine's interfaces know them as TPoint and TRect). Rectangles are
// half-open: right and bottom are one past the last pixel. Fields are capitalised as in
// the engine's other records, since engine and game code use these types directly.

#include <algorithm>
#include <cstdint>

namespace platform {

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

  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

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
