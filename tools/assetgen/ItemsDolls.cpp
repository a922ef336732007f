// The voodoo dolls: stuffed cloth of their colour, button eyes, a stitched mouth and seam, a
// pin stuck in; the moth doll paler, on a moth's wings.
#include <cmath>

#include "tools/assetgen/Items.h"

namespace assetgen::item {

namespace {

// Cloth: lit as a body, with the weave showing through.
void Cloth(Canvas& c, const Shape& s, Rgba colour, float edge) {
  Lit(c, s, colour, edge);
  c.FillShape(s, [](float x, float y) {
    const bool thread =
        (static_cast<int>(std::floor(x)) + static_cast<int>(std::floor(y))) % 2 == 0;
    return Hex(thread ? 0x000000 : 0xffffff, 0.07f);
  });
}

// `reach` is how far out the arms go, as a fraction of the half width.
void DollBody(Canvas& c, const Frame& f, Rgba colour, float reach) {
  const float cx = f.X(0.5f), limb = f.S(0.1f);
  const Rgba thread = Shade(colour, 0.4f);
  const Shape limbs = Union(
      Union(Capsule(f.X(0.41f), f.Y(0.7f), f.X(0.33f), f.Y(0.95f), limb),
            Capsule(f.X(0.59f), f.Y(0.7f), f.X(0.67f), f.Y(0.95f), limb)),
      Capsule(cx - f.w * 0.5f * reach, f.Y(0.46f), cx + f.w * 0.5f * reach, f.Y(0.46f), limb));
  Cloth(c, limbs, Shade(colour, 0.9f), limb);
  Cloth(c, RoundRect(f.X(0.28f), f.Y(0.34f), f.X(0.72f), f.Y(0.78f), f.S(0.14f)), colour,
        f.S(0.14f));
  Stitches(c, cx, f.Y(0.4f), cx, f.Y(0.76f), 4, f.S(0.06f), thread);
  const float headR = f.S(0.24f), headY = f.Y(0.2f);
  Cloth(c, Circle(cx, headY, headR), Shade(colour, 1.08f), headR * 0.7f);
  for (float side : {-1.0f, 1.0f}) {  // button eyes
    const float ex = cx + side * headR * 0.42f, ey = headY - headR * 0.12f, er = headR * 0.24f;
    c.FillShape(Circle(ex, ey, er), Solid(Hex(0x1a1410)));
    c.FillShape(Circle(ex - er * 0.3f, ey - er * 0.3f, er * 0.35f), Solid(Hex(0xffffff, 0.7f)));
  }
  // The mouth: a seam sewn shut.
  const float my = headY + headR * 0.5f, mx = headR * 0.45f;
  c.FillShape(Capsule(cx - mx, my, cx + mx, my, std::max(0.45f, headR * 0.06f)), Solid(thread));
  Stitches(c, cx - mx, my, cx + mx, my, 3, headR * 0.14f, thread);
  // The pin through the chest, its pearl head out to one side.
  const float px = f.X(0.62f), py = f.Y(0.56f), hx = f.X(0.86f), hy = f.Y(0.3f);
  c.FillShape(Capsule(px, py, hx, hy, std::max(0.5f, f.S(0.02f))), Solid(Hex(0xd8d8d8)));
  Lit(c, Circle(hx, hy, f.S(0.06f)), Hex(0xf4f0e8), 1);
}

}  // namespace

void Doll(Canvas& c, const Frame& f, Rgba colour) {
  DollBody(c, f, colour, 0.84f);
}

void MothDoll(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f);
  const Rgba wing = Shade(colour, 1.1f), vein = Shade(colour, 0.55f);
  for (float side : {-1.0f, 1.0f}) {
    const float ux = cx + side * f.w * 0.3f, lx = cx + side * f.w * 0.26f;
    const Shape upper =
        Union(Ellipse(ux, f.Y(0.36f), f.w * 0.22f, f.h * 0.17f),
              Polygon({cx, f.Y(0.46f), ux + side * f.w * 0.18f, f.Y(0.2f), ux, f.Y(0.5f)}));
    const Shape lower = Ellipse(lx, f.Y(0.64f), f.w * 0.18f, f.h * 0.14f);
    Lit(c, lower, Shade(wing, 0.85f), f.S(0.08f));
    Lit(c, upper, wing, f.S(0.08f));
    c.FillShape(Circle(ux + side * f.w * 0.04f, f.Y(0.34f), f.S(0.1f)), Solid(vein));  // eye spots
    c.FillShape(Circle(ux + side * f.w * 0.04f, f.Y(0.34f), f.S(0.05f)), Solid(Hex(0xf0e0a0)));
    c.FillShape(Circle(lx, f.Y(0.66f), f.S(0.05f)), Solid(vein));
    // The feelers, ending in knobs.
    const float tx = cx + side * f.w * 0.3f, ty = f.Y(0.01f) + f.S(0.04f);
    c.FillShape(Capsule(cx + side * f.S(0.08f), f.Y(0.06f), tx, ty, std::max(0.5f, f.S(0.02f))),
                Solid(vein));
    c.FillShape(Circle(tx, ty, f.S(0.045f)), Solid(vein));
  }
  DollBody(c, f, Mix(colour, Hex(0xf0e8d8), 0.55f), 0.5f);
}

}  // namespace assetgen::item
