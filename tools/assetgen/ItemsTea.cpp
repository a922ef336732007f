// The tea things: cup and saucer, teapot, kettle, the tin of sugar.
#include "tools/assetgen/Items.h"

namespace assetgen::item {

namespace {

Shape Ring(float cx, float cy, float rx, float ry, float thick) {
  return Subtract(Ellipse(cx, cy, rx, ry), Ellipse(cx, cy, rx - thick, ry - thick));
}

const Rgba kChina = Hex(0xf4efe6);

}  // namespace

void Teacup(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.44f), rim = f.Y(0.2f), rx = f.w * 0.36f;
  Lit(c, Ellipse(f.X(0.5f), f.Y(0.88f), f.w * 0.5f, f.h * 0.12f), kChina, 2);  // the saucer
  c.FillShape(Ellipse(f.X(0.5f), f.Y(0.86f), f.w * 0.3f, f.h * 0.06f), Solid(Shade(kChina, 0.8f)));
  c.FillShape(Ring(f.X(0.8f), f.Y(0.46f), f.w * 0.14f, f.h * 0.2f, f.S(0.1f)),
              Solid(Shade(colour, 0.8f)));
  const Shape bowl =
      Intersect(Ellipse(cx, rim, rx, f.h * 0.66f), Rect(cx - rx, rim, cx + rx, f.Y(0.86f)));
  Lit(c, bowl, colour);
  c.FillShape(Intersect(bowl, Rect(cx - rx, f.Y(0.5f), cx + rx, f.Y(0.58f))), Solid(kChina));
  c.FillShape(Ellipse(cx, rim, rx, f.h * 0.12f), Solid(kChina));
  c.FillShape(Ellipse(cx, rim + f.h * 0.02f, rx * 0.84f, f.h * 0.08f),
              Solid(Hex(0x8a4a1e)));  // tea
  Gloss(c, cx - rx * 0.55f, f.Y(0.42f), f.S(0.06f), f.h * 0.1f);
}

void Teapot(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f);
  const Rgba dark = Shade(colour, 0.7f);
  c.FillShape(Ring(f.X(0.82f), f.Y(0.56f), f.w * 0.14f, f.h * 0.22f, f.S(0.1f)), Solid(dark));
  Lit(c,
      Polygon({f.X(0.28f), f.Y(0.72f), f.X(0.22f), f.Y(0.5f), f.X(0.04f), f.Y(0.22f), f.X(0.1f),
               f.Y(0.2f), f.X(0.32f), f.Y(0.5f)}),
      colour, 1.5f);  // the spout
  const Shape body = Ellipse(cx, f.Y(0.6f), f.w * 0.32f, f.h * 0.36f);
  Lit(c, body, colour, 4);
  c.FillShape(Intersect(body, Rect(f.X(0), f.Y(0.56f), f.X(1), f.Y(0.64f))), Solid(kChina));
  for (float u : {0.36f, 0.5f, 0.64f})
    c.FillShape(Circle(f.X(u), f.Y(0.6f), f.S(0.03f)), Solid(Shade(colour, 0.8f)));
  Lit(c, Ellipse(cx, f.Y(0.98f) - f.h * 0.04f, f.w * 0.2f, f.h * 0.05f), dark, 1);  // foot
  Lit(c, Ellipse(cx, f.Y(0.27f), f.w * 0.18f, f.h * 0.07f), colour, 2);             // lid
  Lit(c, Circle(cx, f.Y(0.16f), f.S(0.07f)), colour, 2);
  Gloss(c, f.X(0.36f), f.Y(0.42f), f.w * 0.08f, f.h * 0.06f);
}

void Kettle(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.48f);
  const Rgba dark = Shade(colour, 0.55f);
  // The handle arching over the lid.
  c.FillShape(Intersect(Ring(cx, f.Y(0.4f), f.w * 0.3f, f.h * 0.36f, f.S(0.07f)),
                        Rect(f.X(0), f.Y(0), f.X(1), f.Y(0.36f))),
              Solid(Hex(0x2a2018)));
  Lit(c,
      Polygon({f.X(0.74f), f.Y(0.72f), f.X(0.98f), f.Y(0.28f), f.X(1.0f), f.Y(0.34f), f.X(0.82f),
               f.Y(0.86f)}),
      colour, 1.5f);  // the spout
  const Shape body = Union(RoundRect(f.X(0.12f), f.Y(0.46f), f.X(0.84f), f.Y(0.98f), f.S(0.16f)),
                           Ellipse(cx, f.Y(0.5f), f.w * 0.3f, f.h * 0.16f));
  Lit(c, body, colour, 4);
  c.FillShape(Intersect(body, Rect(f.X(0), f.Y(0.62f), f.X(1), f.Y(0.62f) + f.S(0.05f))),
              Solid(dark));
  Lit(c, Ellipse(cx, f.Y(0.4f), f.w * 0.16f, f.h * 0.06f), Shade(colour, 0.85f), 1.5f);
  Lit(c, Circle(cx, f.Y(0.32f), f.S(0.07f)), Hex(0x2a2018), 1.5f);
  Gloss(c, f.X(0.3f), f.Y(0.66f), f.w * 0.06f, f.h * 0.12f, 0.45f);
}

void SugarTin(Canvas& c, const Frame& f, Rgba colour) {
  const Shape body = RoundRect(f.X(0.08f), f.Y(0.24f), f.X(0.92f), f.Y(0.98f), f.S(0.06f));
  Turned(c, body, colour, f.X(0.08f), f.X(0.92f));
  // The label with two lumps of sugar on it.
  c.FillShape(RoundRect(f.X(0.2f), f.Y(0.44f), f.X(0.8f), f.Y(0.82f), f.S(0.04f)),
              Solid(Hex(0xf4ecd4)));
  for (float u : {0.32f, 0.54f}) {
    const float x = f.X(u), y = f.Y(u == 0.32f ? 0.56f : 0.6f), s = f.S(0.15f);
    Lit(c, RoundRect(x, y, x + s, y + s, s * 0.15f), Hex(0xffffff), 1.5f);
    c.FillShape(Rect(x + s * 0.1f, y + s * 0.8f, x + s, y + s), Solid(Hex(0xb0b0b0)));
  }
  Turned(c, RoundRect(f.X(0.02f), f.Y(0.12f), f.X(0.98f), f.Y(0.28f), f.S(0.04f)),
         Shade(colour, 0.8f), f.X(0.02f), f.X(0.98f));
  Lit(c, RoundRect(f.X(0.4f), f.Y(0.02f), f.X(0.6f), f.Y(0.13f), f.S(0.04f)), Shade(colour, 0.8f),
      1.5f);
}

}  // namespace assetgen::item
