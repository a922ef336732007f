#include "tools/assetgen/ItemParts.h"

#include <cmath>

namespace assetgen::item {

namespace {

float Clamp01(float v) {
  return std::clamp(v, 0.0f, 1.0f);
}

}  // namespace

Rgba Hex(uint32_t rgb, float alpha) {
  return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, alpha};
}

Shape Rect(float x0, float y0, float x1, float y1) {
  return RoundRect(x0, y0, x1, y1, 0);
}

void Lit(Canvas& c, const Shape& s, Rgba colour, float edge) {
  const Box b = s.bounds;
  const float bw = std::max(1.0f, b.x1 - b.x0), bh = std::max(1.0f, b.y1 - b.y0);
  const auto distance = s.distance;
  c.FillShape(s, [=](float x, float y) {
    const float across = Clamp01(((x - b.x0) / bw + (y - b.y0) / bh) * 0.5f);
    const float rim = Clamp01(-distance(x, y) / std::max(0.5f, edge));
    return Shade(colour, (1.3f - 0.55f * across) * (0.72f + 0.28f * rim));
  });
}

void Turned(Canvas& c, const Shape& s, Rgba colour, float x0, float x1) {
  const float span = std::max(1.0f, x1 - x0);
  c.FillShape(s, [=](float x, float) {
    const float u = Clamp01((x - x0) / span);
    const float light = 1 - std::fabs(u - 0.32f) / 0.68f;  // 1 at the bright line, 0 at a side
    return Shade(colour, 0.62f + 0.7f * light);
  });
}

void Gloss(Canvas& c, float cx, float cy, float rx, float ry, float alpha) {
  c.FillShape(Ellipse(cx, cy, rx, ry), Solid(Hex(0xffffff, alpha)),
              std::max(1.0f, std::min(rx, ry)));
}

void Flame(Canvas& c, float cx, float base, float w, float h) {
  c.FillShape(Ellipse(cx, base - h * 0.5f, w * 1.1f, h * 0.62f), Solid(Hex(0xffd070, 0.35f)),
              std::max(1.5f, w * 0.8f));
  const Shape outer = Union(
      Ellipse(cx, base - h * 0.3f, w * 0.5f, h * 0.3f),
      Polygon({cx - w * 0.48f, base - h * 0.34f, cx, base - h, cx + w * 0.48f, base - h * 0.34f}));
  c.FillShape(outer, Linear(0, base - h, Hex(0xffe680), 0, base, Hex(0xff8a20)));
  c.FillShape(Ellipse(cx, base - h * 0.3f, w * 0.22f, h * 0.2f), Solid(Hex(0xfffbe8)));
}

void Stitches(Canvas& c, float ax, float ay, float bx, float by, int count, float size,
              Rgba colour) {
  const float dx = bx - ax, dy = by - ay, len = std::max(0.01f, std::hypot(dx, dy));
  const float nx = -dy / len * size, ny = dx / len * size;  // across the seam
  for (int i = 0; i < count; ++i) {
    const float t = (static_cast<float>(i) + 0.5f) / static_cast<float>(count);
    const float x = ax + dx * t, y = ay + dy * t;
    c.FillShape(Capsule(x - nx, y - ny, x + nx, y + ny, std::max(0.45f, size * 0.3f)),
                Solid(colour));
  }
}

}  // namespace assetgen::item
