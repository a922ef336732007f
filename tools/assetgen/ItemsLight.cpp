// What gives or keeps light: the lantern, the lamps and their parts, candles, wick and oil.
#include <cmath>

#include "tools/assetgen/Items.h"

namespace assetgen::item {

namespace {

// A ring to hang or carry a thing by.
Shape Ring(float cx, float cy, float r, float thick) {
  return Subtract(Circle(cx, cy, r), Circle(cx, cy, r - thick));
}

// Lamp glass: see-through, darker at its sides, bright along a streak.
void Glass(Canvas& c, const Shape& s, Rgba tint, float x0, float x1) {
  const float span = std::max(1.0f, x1 - x0);
  c.FillShape(s, [=](float x, float) {
    const float edge = std::fabs((x - x0) / span - 0.5f) * 2;  // 0 middle, 1 sides
    return Rgba{tint.r * (0.8f + 0.2f * edge), tint.g * (0.85f + 0.15f * edge), tint.b,
                0.5f + 0.4f * edge};
  });
}

}  // namespace

void Lantern(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f);
  const Rgba dark = Shade(colour, 0.55f);
  c.FillShape(Ring(cx, f.Y(0.08f), f.S(0.13f), f.S(0.05f)), Solid(dark));
  Lit(c,
      Polygon({f.X(0.34f), f.Y(0.13f), f.X(0.66f), f.Y(0.13f), f.X(0.9f), f.Y(0.26f), f.X(0.1f),
               f.Y(0.26f)}),
      colour);
  // The glass with the flame's light filling it.
  c.FillShape(Rect(f.X(0.18f), f.Y(0.26f), f.X(0.82f), f.Y(0.82f)),
              Radial(cx, f.Y(0.6f), f.S(0.5f), Hex(0xfff0b0), Hex(0xd08a30)));
  Flame(c, cx, f.Y(0.72f), f.S(0.16f), f.h * 0.28f);
  for (float u : {0.18f, 0.82f})
    c.FillShape(Capsule(f.X(u), f.Y(0.26f), f.X(u), f.Y(0.82f), f.S(0.05f)), Solid(dark));
  c.FillShape(Rect(f.X(0.18f), f.Y(0.5f), f.X(0.82f), f.Y(0.5f) + f.S(0.04f)),
              Solid(Fade(dark, 0.7f)));
  Lit(c, RoundRect(f.X(0.08f), f.Y(0.82f), f.X(0.92f), f.Y(0.98f), f.S(0.05f)), colour);
  Gloss(c, f.X(0.3f), f.Y(0.42f), f.S(0.05f), f.h * 0.1f, 0.5f);
}

void OilCan(Canvas& c, const Frame& f, Rgba colour) {
  const Rgba dark = Shade(colour, 0.5f);
  // The long spout first, so that the body sits over its root.
  c.FillShape(Capsule(f.X(0.6f), f.Y(0.5f), f.X(0.97f), f.Y(0.05f), f.S(0.045f)), Solid(dark));
  c.FillShape(Capsule(f.X(0.6f), f.Y(0.5f), f.X(0.97f), f.Y(0.05f), f.S(0.02f)),
              Solid(Shade(colour, 1.15f)));
  c.FillShape(Intersect(Ring(f.X(0.16f), f.Y(0.62f), f.S(0.2f), f.S(0.07f)),
                        Rect(f.X(-0.1f), f.Y(0.3f), f.X(0.2f), f.Y(0.95f))),
              Solid(dark));
  const Shape body = Union(RoundRect(f.X(0.16f), f.Y(0.46f), f.X(0.72f), f.Y(0.98f), f.S(0.08f)),
                           Polygon({f.X(0.16f), f.Y(0.5f), f.X(0.72f), f.Y(0.5f), f.X(0.54f),
                                    f.Y(0.26f), f.X(0.34f), f.Y(0.26f)}));
  Turned(c, body, colour, f.X(0.16f), f.X(0.72f));
  c.FillShape(RoundRect(f.X(0.36f), f.Y(0.16f), f.X(0.52f), f.Y(0.28f), f.S(0.03f)), Solid(dark));
  c.FillShape(Rect(f.X(0.16f), f.Y(0.62f), f.X(0.72f), f.Y(0.62f) + f.S(0.05f)), Solid(dark));
  c.FillShape(Rect(f.X(0.16f), f.Y(0.86f), f.X(0.72f), f.Y(0.86f) + f.S(0.04f)), Solid(dark));
  Gloss(c, f.X(0.3f), f.Y(0.74f), f.S(0.05f), f.S(0.09f));
}

void WickSpool(Canvas& c, const Frame& f, Rgba colour) {
  const Rgba wood = Hex(0xa0703a);
  const float cx = f.X(0.5f), rx = f.w * 0.44f, ry = f.h * 0.1f;
  Turned(c, Ellipse(cx, f.Y(0.88f), rx, ry), wood, cx - rx, cx + rx);
  const Shape wound = Rect(f.X(0.14f), f.Y(0.14f), f.X(0.86f), f.Y(0.88f));
  Turned(c, wound, colour, f.X(0.14f), f.X(0.86f));
  for (float v = 0.24f; v < 0.86f; v += 0.1f)  // the turns of the wick
    c.FillShape(Intersect(wound, Rect(f.X(0), f.Y(v), f.X(1), f.Y(v) + f.S(0.025f))),
                Solid(Shade(colour, 0.6f)));
  // The loose end hanging down the side.
  c.FillShape(Capsule(f.X(0.84f), f.Y(0.44f), f.X(0.98f), f.Y(0.7f), f.S(0.04f)),
              Solid(Shade(colour, 0.9f)));
  Turned(c, Ellipse(cx, f.Y(0.13f), rx, ry), wood, cx - rx, cx + rx);
  c.FillShape(Ellipse(cx, f.Y(0.12f), rx * 0.85f, ry * 0.7f), Solid(Shade(wood, 1.2f)));
  c.FillShape(Ellipse(cx, f.Y(0.12f), f.S(0.08f), f.S(0.04f)), Solid(Hex(0x3a2414)));
}

void LampGlass(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f);
  const Shape chimney = Union(Ellipse(cx, f.Y(0.6f), f.w * 0.44f, f.h * 0.22f),
                              RoundRect(f.X(0.3f), f.Y(0.02f), f.X(0.7f), f.Y(0.6f), f.S(0.08f)));
  Glass(c, chimney, colour, f.X(0.06f), f.X(0.94f));
  // The lip at the top and the collar it stands in.
  c.FillShape(Ellipse(cx, f.Y(0.03f), f.w * 0.2f, f.S(0.05f)), Solid(Shade(colour, 0.75f)));
  Lit(c, RoundRect(f.X(0.18f), f.Y(0.84f), f.X(0.82f), f.Y(0.98f), f.S(0.05f)), Hex(0xb89048));
  c.FillShape(Capsule(f.X(0.3f), f.Y(0.1f), f.X(0.3f), f.Y(0.7f), f.S(0.06f)),
              Solid(Hex(0xffffff, 0.85f)));
  c.FillShape(Capsule(f.X(0.74f), f.Y(0.5f), f.X(0.7f), f.Y(0.72f), f.S(0.03f)),
              Solid(Hex(0xffffff, 0.6f)));
}

void LampPost(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f);
  Lit(c, RoundRect(f.X(0.1f), f.Y(0.9f), f.X(0.9f), f.Y(1), f.S(0.1f)), colour);
  Turned(c, Rect(f.X(0.36f), f.Y(0.3f), f.X(0.64f), f.Y(0.92f)), colour, f.X(0.36f), f.X(0.64f));
  c.FillShape(Capsule(f.X(0.12f), f.Y(0.36f), f.X(0.88f), f.Y(0.36f), f.S(0.06f)),
              Solid(Shade(colour, 0.7f)));  // the arm a ladder leans on
  c.FillShape(Rect(f.X(0.3f), f.Y(0.82f), f.X(0.7f), f.Y(0.86f)), Solid(Shade(colour, 1.3f)));
  // The lamp at the top: its glass aglow, its hood and finial.
  c.FillShape(Polygon({f.X(0.24f), f.Y(0.11f), f.X(0.76f), f.Y(0.11f), f.X(0.66f), f.Y(0.28f),
                       f.X(0.34f), f.Y(0.28f)}),
              Radial(cx, f.Y(0.18f), f.w * 0.5f, Hex(0xfff2b8), Hex(0xe0a040)));
  c.FillShape(Capsule(cx, f.Y(0.11f), cx, f.Y(0.28f), f.S(0.04f)), Solid(Shade(colour, 0.8f)));
  Lit(c, Polygon({f.X(0.1f), f.Y(0.12f), f.X(0.9f), f.Y(0.12f), f.X(0.5f), f.Y(0.04f)}), colour, 2);
  Lit(c, Rect(f.X(0.3f), f.Y(0.28f), f.X(0.7f), f.Y(0.31f)), colour, 1);
  c.FillShape(Circle(cx, f.Y(0.03f), f.S(0.12f)), Solid(Shade(colour, 0.8f)));
}

void Candle(Canvas& c, const Frame& f, Rgba colour) {
  const Shape wax =
      Union(RoundRect(f.X(0.16f), f.Y(0.32f), f.X(0.84f), f.Y(0.98f), f.S(0.12f)),
            Union(Capsule(f.X(0.28f), f.Y(0.34f), f.X(0.26f), f.Y(0.5f), f.S(0.12f)),
                  Capsule(f.X(0.72f), f.Y(0.34f), f.X(0.76f), f.Y(0.62f), f.S(0.1f))));
  Turned(c, wax, colour, f.X(0.1f), f.X(0.9f));
  c.FillShape(Ellipse(f.X(0.5f), f.Y(0.33f), f.w * 0.3f, f.S(0.1f)), Solid(Shade(colour, 0.85f)));
  c.FillShape(Capsule(f.X(0.5f), f.Y(0.33f), f.X(0.5f), f.Y(0.27f), f.S(0.05f)),
              Solid(Hex(0x2a2018)));
  Flame(c, f.X(0.5f), f.Y(0.28f), f.w * 0.42f, f.h * 0.26f);
}

void Candlestick(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f);
  const Rgba wax = Hex(0xf4ecdc);
  // Foot, stem with its knop, the drip pan; the candle in it.
  Lit(c,
      Union(Ellipse(cx, f.Y(0.92f), f.w * 0.3f, f.h * 0.06f),
            Polygon({cx - f.w * 0.22f, f.Y(0.92f), cx + f.w * 0.22f, f.Y(0.92f), cx + f.w * 0.06f,
                     f.Y(0.8f), cx - f.w * 0.06f, f.Y(0.8f)})),
      colour);
  Turned(c, Rect(cx - f.w * 0.045f, f.Y(0.46f), cx + f.w * 0.045f, f.Y(0.82f)), colour,
         cx - f.w * 0.05f, cx + f.w * 0.05f);
  Turned(c, Ellipse(cx, f.Y(0.64f), f.w * 0.1f, f.h * 0.045f), colour, cx - f.w * 0.1f,
         cx + f.w * 0.1f);
  Turned(c, Rect(cx - f.w * 0.08f, f.Y(0.17f), cx + f.w * 0.08f, f.Y(0.46f)), wax, cx - f.w * 0.08f,
         cx + f.w * 0.08f);
  Lit(c, Ellipse(cx, f.Y(0.46f), f.w * 0.2f, f.h * 0.05f), colour, 2);
  c.FillShape(Capsule(cx, f.Y(0.17f), cx, f.Y(0.13f), f.S(0.02f)), Solid(Hex(0x2a2018)));
  Flame(c, cx, f.Y(0.14f), f.w * 0.1f, f.h * 0.14f);
  Gloss(c, cx - f.w * 0.1f, f.Y(0.9f), f.w * 0.08f, f.h * 0.02f);
}

// Unlit: the cellar waits for it to be found.
void OilLamp(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f);
  const Rgba dark = Shade(colour, 0.45f);
  c.FillShape(Ring(cx, f.Y(0.06f), f.S(0.12f), f.S(0.05f)), Solid(dark));
  c.FillShape(Capsule(cx, f.Y(0.12f), cx, f.Y(0.2f), f.S(0.04f)), Solid(dark));
  Glass(c,
        Union(Ellipse(cx, f.Y(0.46f), f.w * 0.24f, f.h * 0.14f),
              RoundRect(f.X(0.38f), f.Y(0.18f), f.X(0.62f), f.Y(0.46f), f.S(0.04f))),
        Hex(0xd8e8ec), f.X(0.26f), f.X(0.74f));
  c.FillShape(Capsule(f.X(0.42f), f.Y(0.24f), f.X(0.4f), f.Y(0.5f), f.S(0.03f)),
              Solid(Hex(0xffffff, 0.8f)));
  c.FillShape(Rect(cx - f.S(0.03f), f.Y(0.5f), cx + f.S(0.03f), f.Y(0.58f)), Solid(Hex(0x2a2018)));
  Lit(c, RoundRect(f.X(0.26f), f.Y(0.58f), f.X(0.74f), f.Y(0.65f), f.S(0.02f)), Shade(colour, 0.8f),
      1);
  Lit(c, Ellipse(cx, f.Y(0.79f), f.w * 0.4f, f.h * 0.15f), colour);  // the oil's fount
  Lit(c, RoundRect(f.X(0.28f), f.Y(0.92f), f.X(0.72f), f.Y(0.99f), f.S(0.02f)), Shade(colour, 0.8f),
      1);
  c.FillShape(Intersect(Ring(f.X(0.9f), f.Y(0.78f), f.S(0.14f), f.S(0.05f)),
                        Rect(f.X(0.88f), f.Y(0.5f), f.X(1.1f), f.Y(1))),
              Solid(dark));  // the finger ring
  Gloss(c, f.X(0.36f), f.Y(0.74f), f.w * 0.1f, f.h * 0.04f);
}

}  // namespace assetgen::item
