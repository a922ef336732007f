// Things of Ysolde's house: the clock's wheels and hands, the parlour's gifts, the cellar's key.
#include <cmath>

#include "tools/assetgen/Items.h"

namespace assetgen::item {

namespace {

// A clock hand from its end at (ex, ey), which lies on the dial's pin, to its tip at
// (tx, ty): a boss on the pin, a slim shaft, a spade near the tip.
void Hand(Canvas& c, float ex, float ey, float tx, float ty, float width, Rgba colour) {
  const float dx = tx - ex, dy = ty - ey, len = std::hypot(dx, dy);
  const float ux = dx / len, uy = dy / len, nx = -uy, ny = ux;
  const float half = width * 0.5f, boss = half * 0.6f;
  const float hx = ex + ux * boss, hy = ey + uy * boss;    // the boss ends where the hand does
  const float sx = ex + dx * 0.72f, sy = ey + dy * 0.72f;  // the spade's widest point
  Shape hand = Capsule(hx, hy, sx, sy, half * 0.35f);
  hand = Union(hand, Polygon({sx - ux * len * 0.12f, sy - uy * len * 0.12f, sx + nx * half,
                              sy + ny * half, tx, ty, sx - nx * half, sy - ny * half}));
  hand = Union(hand, Circle(hx, hy, boss));
  Lit(c, hand, colour, 1.5f);
  c.FillShape(Circle(hx, hy, boss * 0.45f), Solid(Hex(0xc8a050)));
}

}  // namespace

// A clock's wheel: teeth round a rim, five spokes, the hub it turns on.
void Gear(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f), cy = f.Y(0.5f), r = std::min(f.w, f.h) * 0.5f;
  const Shape wheel = Union(Circle(cx, cy, r * 0.8f), Star(cx, cy, r, r * 0.74f, 12, 0.13f));
  Shape cut = Subtract(Circle(cx, cy, r * 0.6f), Circle(cx, cy, r * 0.22f));
  for (int i = 0; i < 5; ++i) {
    const float a = 0.3f + static_cast<float>(i) * 1.2566f;
    cut = Subtract(
        cut, Capsule(cx, cy, cx + std::cos(a) * r * 0.7f, cy + std::sin(a) * r * 0.7f, r * 0.09f));
  }
  Lit(c, Subtract(wheel, cut), colour, r * 0.12f);
  c.FillShape(Subtract(Circle(cx, cy, r * 0.6f), Circle(cx, cy, r * 0.55f)),
              Solid(Shade(colour, 0.6f)));
  c.FillShape(Circle(cx, cy, r * 0.09f), Solid(Shade(colour, 0.35f)));
}

// On the pin at the right end, pointing left: the hour hand lies on the dial at nine o'clock.
void HourHand(Canvas& c, const Frame& f, Rgba colour) {
  Hand(c, f.X(1), f.Y(0.5f), f.X(0), f.Y(0.5f), f.h, colour);
}

// On the pin at the bottom, pointing up: the minute hand stands at twelve.
void MinuteHand(Canvas& c, const Frame& f, Rgba colour) {
  Hand(c, f.X(0.5f), f.Y(1), f.X(0.5f), f.Y(0), f.w, colour);
}

void Vase(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f);
  // Flowers first: their stems go down into the neck.
  const struct {
    float u, v;
    uint32_t petal;
  } flowers[] = {{0.3f, 0.14f, 0xe05a6a}, {0.52f, 0.06f, 0xf4d35e}, {0.72f, 0.16f, 0xf0f0f0}};
  for (const auto& fl : flowers)
    c.FillShape(Capsule(f.X(fl.u), f.Y(fl.v), cx, f.Y(0.34f), f.S(0.018f)), Solid(Hex(0x3a7a2a)));
  c.FillShape(Ellipse(f.X(0.62f), f.Y(0.25f), f.S(0.07f), f.S(0.03f)), Solid(Hex(0x4a9a3a)));
  for (const auto& fl : flowers) {
    const float x = f.X(fl.u), y = f.Y(fl.v), r = f.S(0.075f);
    for (int i = 0; i < 5; ++i) {
      const float a = static_cast<float>(i) * 1.2566f;
      Lit(c, Circle(x + std::cos(a) * r, y + std::sin(a) * r, r * 0.75f), Hex(fl.petal), 1);
    }
    c.FillShape(Circle(x, y, r * 0.55f), Solid(Hex(0xe0a020)));
  }
  const Shape vase = Union(
      Union(Ellipse(cx, f.Y(0.7f), f.w * 0.27f, f.h * 0.26f),
            RoundRect(cx - f.w * 0.1f, f.Y(0.32f), cx + f.w * 0.1f, f.Y(0.56f), f.S(0.03f))),
      Union(Ellipse(cx, f.Y(0.32f), f.w * 0.15f, f.h * 0.04f),
            RoundRect(cx - f.w * 0.14f, f.Y(0.92f), cx + f.w * 0.14f, f.Y(0.99f), f.S(0.02f))));
  Turned(c, vase, colour, cx - f.w * 0.27f, cx + f.w * 0.27f);
  c.FillShape(Intersect(vase, Rect(f.X(0), f.Y(0.64f), f.X(1), f.Y(0.72f))), Solid(Hex(0xf0e6c8)));
  for (float u = 0.3f; u < 0.72f; u += 0.1f)
    c.FillShape(Circle(f.X(u), f.Y(0.68f), f.S(0.018f)), Solid(Shade(colour, 0.8f)));
  c.FillShape(Ellipse(cx, f.Y(0.32f), f.w * 0.1f, f.h * 0.022f), Solid(Shade(colour, 0.35f)));
  Gloss(c, cx - f.w * 0.13f, f.Y(0.8f), f.w * 0.04f, f.h * 0.08f);
}

void Portrait(Canvas& c, const Frame& f, Rgba colour) {
  const Rgba gilt = Hex(0xc8a040);
  Lit(c, RoundRect(f.X(0), f.Y(0), f.X(1), f.Y(1), f.S(0.04f)), gilt, f.S(0.1f));
  const float b = f.S(0.14f);
  const float x0 = f.X(0) + b, y0 = f.Y(0) + b, x1 = f.X(1) - b, y1 = f.Y(1) - b;
  c.FillShape(Rect(x0 - 1, y0 - 1, x1 + 1, y1 + 1), Solid(Shade(gilt, 0.45f)));
  const Shape canvas = Rect(x0, y0, x1, y1);
  c.FillShape(canvas, Radial(f.X(0.45f), f.Y(0.35f), f.S(0.6f), Hex(0x6a6a48), Hex(0x2a2a1c)));
  // The sitter: a lady in the colour of her dress, her hair up.
  const float cx = f.X(0.5f);
  c.FillShape(Intersect(canvas, Ellipse(cx, y1 + f.h * 0.04f, f.w * 0.3f, f.h * 0.26f)),
              Linear(0, f.Y(0.6f), Shade(colour, 1.1f), 0, y1, Shade(colour, 0.6f)));
  c.FillShape(Rect(cx - f.S(0.04f), f.Y(0.5f), cx + f.S(0.04f), f.Y(0.62f)), Solid(Hex(0xe0b090)));
  c.FillShape(Circle(cx, f.Y(0.22f), f.S(0.1f)), Solid(Hex(0x5a3420)));  // the bun
  c.FillShape(Ellipse(cx, f.Y(0.4f), f.S(0.11f), f.S(0.14f)),
              Radial(cx - f.S(0.04f), f.Y(0.36f), f.S(0.2f), Hex(0xf4d0b0), Hex(0xc89070)));
  c.FillShape(Intersect(Ellipse(cx, f.Y(0.34f), f.S(0.13f), f.S(0.1f)),
                        Rect(f.X(0), f.Y(0.2f), f.X(1), f.Y(0.34f))),
              Solid(Hex(0x5a3420)));
  c.FillShape(Circle(cx, f.Y(0.66f), f.S(0.025f)), Solid(Hex(0xf0f0f0)));  // a brooch
  Gloss(c, f.X(0.15f), f.Y(0.1f), f.S(0.08f), f.S(0.03f), 0.5f);
}

void Thimble(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f);
  const Shape body = Union(Ellipse(cx, f.Y(0.32f), f.w * 0.32f, f.h * 0.26f),
                           Polygon({f.X(0.18f), f.Y(0.32f), f.X(0.82f), f.Y(0.32f), f.X(0.88f),
                                    f.Y(0.86f), f.X(0.12f), f.Y(0.86f)}));
  Turned(c, body, colour, f.X(0.12f), f.X(0.88f));
  for (int row = 0; row < 4; ++row)  // the dimples that catch the needle
    for (int col = 0; col < 5; ++col) {
      const float u = 0.26f + 0.12f * static_cast<float>(col) + (row % 2 ? 0.06f : 0.0f);
      c.FillShape(
          Intersect(body, Circle(f.X(u), f.Y(0.2f + 0.14f * static_cast<float>(row)), f.S(0.035f))),
          Solid(Hex(0x000000, 0.35f)));
    }
  Turned(c, RoundRect(f.X(0.08f), f.Y(0.8f), f.X(0.92f), f.Y(0.98f), f.S(0.06f)),
         Shade(colour, 0.85f), f.X(0.08f), f.X(0.92f));
}

void SewingDrawer(Canvas& c, const Frame& f, Rgba colour) {
  // The drawer pulled out, seen a little from above: its inside and what lies in it, then
  // its front with the knob.
  c.FillShape(Polygon({f.X(0.06f), f.Y(0.04f), f.X(0.94f), f.Y(0.04f), f.X(1), f.Y(0.44f), f.X(0),
                       f.Y(0.44f)}),
              Solid(Shade(colour, 1.15f)));
  c.FillShape(Polygon({f.X(0.1f), f.Y(0.08f), f.X(0.9f), f.Y(0.08f), f.X(0.95f), f.Y(0.44f),
                       f.X(0.05f), f.Y(0.44f)}),
              Linear(0, f.Y(0.08f), Shade(colour, 0.45f), 0, f.Y(0.44f), Shade(colour, 0.7f)));
  const uint32_t threads[] = {0xd94f4f, 0x4f7ad9, 0xe0c030};
  for (int i = 0; i < 3; ++i) {
    const float x = f.X(0.16f + 0.14f * static_cast<float>(i)), y = f.Y(0.22f);
    Lit(c, RoundRect(x, y, x + f.w * 0.1f, y + f.h * 0.22f, f.S(0.03f)), Hex(threads[i]), 1.5f);
    c.FillShape(Rect(x - 1, y, x + f.w * 0.1f + 1, y + f.S(0.05f)), Solid(Hex(0xc8a070)));
    c.FillShape(Rect(x - 1, y + f.h * 0.22f - f.S(0.05f), x + f.w * 0.1f + 1, y + f.h * 0.22f),
                Solid(Hex(0xc8a070)));
  }
  const float px = f.X(0.74f), py = f.Y(0.3f);
  Lit(c, Circle(px, py, f.S(0.2f)), Hex(0xc83a4a), 3);  // the pincushion and its pins
  for (float a : {-2.4f, -1.6f, -0.8f}) {
    const float ex = px + std::cos(a) * f.S(0.3f), ey = py + std::sin(a) * f.S(0.3f);
    c.FillShape(Capsule(px, py, ex, ey, 0.5f), Solid(Hex(0xd0d0d0)));
    c.FillShape(Circle(ex, ey, f.S(0.04f)), Solid(Hex(0xf0f0f0)));
  }
  const Shape front = RoundRect(f.X(0), f.Y(0.44f), f.X(1), f.Y(1), f.S(0.05f));
  c.FillShape(front, [=](float x, float y) {
    const float grain = 0.9f + 0.12f * std::sin(y * 1.3f + std::sin(x * 0.15f) * 2);
    return Shade(colour, grain * (1.2f - 0.4f * (y - f.Y(0.44f)) / (f.h * 0.56f)));
  });
  c.FillShape(Subtract(RoundRect(f.X(0.05f), f.Y(0.52f), f.X(0.95f), f.Y(0.92f), f.S(0.03f)),
                       RoundRect(f.X(0.06f), f.Y(0.54f), f.X(0.94f), f.Y(0.9f), f.S(0.03f))),
              Solid(Shade(colour, 0.6f)));
  Lit(c, Circle(f.X(0.5f), f.Y(0.72f), f.S(0.09f)), Hex(0xd0a040), 2);
}

void CellarKey(Canvas& c, const Frame& f, Rgba colour) {
  const float cy = f.Y(0.5f), r = f.h * 0.46f, bx = f.X(0) + r;
  Shape key = Subtract(Circle(bx, cy, r), Circle(bx, cy, r * 0.5f));          // the bow
  key = Union(key, Capsule(bx + r * 0.8f, cy, f.X(0.97f), cy, f.h * 0.11f));  // the shank
  key = Union(
      key, RoundRect(bx + r * 0.9f, cy - f.h * 0.2f, bx + r * 1.3f, cy + f.h * 0.2f, 1));  // collar
  // The bit, with its wards cut.
  key = Union(key, Subtract(Rect(f.X(0.74f), cy, f.X(0.95f), f.Y(0.98f)),
                            Rect(f.X(0.8f), f.Y(0.7f), f.X(0.85f), f.Y(1))));
  Lit(c, key, colour, 2);
  Gloss(c, bx - r * 0.4f, cy - r * 0.5f, r * 0.3f, r * 0.15f, 0.6f);
  c.FillShape(Rect(bx + r, cy - f.h * 0.06f, f.X(0.9f), cy - f.h * 0.02f),
              Solid(Hex(0xffffff, 0.4f)));
}

}  // namespace assetgen::item
