// The market's wares (a scallop shell, an anchor charm, an apple) and the garden's books.
#include <cmath>

#include "tools/assetgen/Items.h"

namespace assetgen::item {

void Shell(Canvas& c, const Frame& f, Rgba colour) {
  const float hx = f.X(0.5f), hy = f.Y(0.9f);  // the hinge the ribs fan from
  const float r = std::min(f.w * 0.5f, f.h * 0.84f);
  constexpr int kRibs = 9;
  const float spread = 1.2f;  // radians either side of upright
  std::vector<float> fan{hx, hy};
  for (int i = 0; i <= 24; ++i) {
    const float a = -spread + 2 * spread * static_cast<float>(i) / 24;
    fan.push_back(hx + std::sin(a) * r * 0.94f);
    fan.push_back(hy - std::cos(a) * r * 0.94f);
  }
  Shape shell = Polygon(fan);
  for (int i = 0; i < kRibs; ++i) {  // the scalloped edge, one bump per rib
    const float a = -spread + 2 * spread * (static_cast<float>(i) + 0.5f) / kRibs;
    shell =
        Union(shell, Circle(hx + std::sin(a) * r * 0.9f, hy - std::cos(a) * r * 0.9f, r * 0.15f));
  }
  Lit(c, shell, colour, 4);
  for (int i = 1; i < kRibs; ++i) {
    const float a = -spread + 2 * spread * static_cast<float>(i) / kRibs;
    c.FillShape(
        Intersect(shell, Capsule(hx, hy, hx + std::sin(a) * r, hy - std::cos(a) * r, f.S(0.025f))),
        Solid(Fade(Shade(colour, 0.55f), 0.8f)));
  }
  for (float k : {0.45f, 0.7f})  // bands of growth
    c.FillShape(Intersect(shell, Subtract(Circle(hx, hy, r * k + 1), Circle(hx, hy, r * k))),
                Solid(Hex(0xc87a5a, 0.5f)));
  Lit(c,
      Polygon({f.X(0.28f), f.Y(0.78f), f.X(0.72f), f.Y(0.78f), f.X(0.6f), f.Y(0.99f), f.X(0.4f),
               f.Y(0.99f)}),
      Shade(colour, 0.9f), 2);  // the ears at the hinge
  Gloss(c, f.X(0.38f), f.Y(0.34f), f.w * 0.08f, f.h * 0.06f, 0.45f);
}

void AnchorCharm(Canvas& c, const Frame& f, Rgba colour) {
  const float cx = f.X(0.5f), t = f.S(0.08f);
  Shape anchor = Subtract(Circle(cx, f.Y(0.1f), f.S(0.15f)), Circle(cx, f.Y(0.1f), f.S(0.08f)));
  anchor = Union(anchor, Capsule(cx, f.Y(0.19f), cx, f.Y(0.9f), t * 0.8f));
  anchor = Union(anchor, Capsule(f.X(0.2f), f.Y(0.3f), f.X(0.8f), f.Y(0.3f), t * 0.6f));
  const float ay = f.Y(0.52f), ar = f.w * 0.42f;
  anchor = Union(anchor, Intersect(Subtract(Ellipse(cx, ay, ar, f.h * 0.4f),
                                            Ellipse(cx, ay, ar - t * 1.1f, f.h * 0.4f - t * 1.1f)),
                                   Rect(f.X(0), ay + f.h * 0.08f, f.X(1), f.Y(1))));
  for (float side : {-1.0f, 1.0f}) {  // the flukes at the arms' ends
    const float x = cx + side * ar, y = ay + f.h * 0.1f;
    anchor = Union(anchor, Polygon({x - side * t * 0.4f, y + t, x + side * t * 0.9f, y - t * 1.6f,
                                    x + side * t * 1.1f, y + t * 0.6f}));
  }
  Lit(c, anchor, colour, 2.5f);
  Gloss(c, cx - t * 0.3f, f.Y(0.5f), t * 0.3f, f.h * 0.14f, 0.5f);
}

void Apple(Canvas& c, const Frame& f, Rgba colour) {
  const Shape body =
      Union(Circle(f.X(0.36f), f.Y(0.6f), f.S(0.36f)), Circle(f.X(0.64f), f.Y(0.6f), f.S(0.36f)));
  c.FillShape(Capsule(f.X(0.5f), f.Y(0.3f), f.X(0.56f), f.Y(0.04f), f.S(0.04f)),
              Solid(Hex(0x5a3a1e)));
  const Rgba leaf = Hex(0x4a9a3a);
  c.FillShape(Polygon({f.X(0.55f), f.Y(0.16f), f.X(0.72f), f.Y(0.02f), f.X(0.96f), f.Y(0.06f),
                       f.X(0.78f), f.Y(0.22f)}),
              Linear(f.X(0.55f), 0, Shade(leaf, 1.2f), f.X(0.95f), 0, Shade(leaf, 0.7f)));
  c.FillShape(Capsule(f.X(0.58f), f.Y(0.15f), f.X(0.9f), f.Y(0.07f), 0.4f),
              Solid(Shade(leaf, 0.6f)));
  c.FillShape(body,
              Radial(f.X(0.34f), f.Y(0.4f), f.S(0.9f), Shade(colour, 1.25f), Shade(colour, 0.55f)));
  c.FillShape(Ellipse(f.X(0.5f), f.Y(0.3f), f.S(0.1f), f.S(0.05f)), Solid(Shade(colour, 0.5f)), 2);
  c.FillShape(Ellipse(f.X(0.7f), f.Y(0.74f), f.S(0.14f), f.S(0.1f)), Solid(Hex(0xe8b040, 0.3f)), 4);
  Gloss(c, f.X(0.3f), f.Y(0.44f), f.S(0.08f), f.S(0.12f), 0.6f);
}

void BookStack(Canvas& c, const Frame& f, Rgba colour) {
  struct Book {
    float u0, u1, v0, v1;
    Rgba cover;
  };
  const Book books[] = {{0.02f, 0.96f, 0.68f, 0.99f, colour},
                        {0.1f, 0.9f, 0.4f, 0.68f, Hex(0x3a6a8a)},
                        {0.0f, 0.82f, 0.12f, 0.4f, Hex(0x8a2e2e)}};
  for (const Book& b : books) {
    const float x0 = f.X(b.u0), x1 = f.X(b.u1), y0 = f.Y(b.v0), y1 = f.Y(b.v1);
    const float inset = std::max(1.5f, (y1 - y0) * 0.16f);
    Lit(c, RoundRect(x0, y0, x1, y1, f.S(0.04f)), b.cover, 2);
    // The pages along the fore edge, the spine's gilt bands at the other.
    c.FillShape(Rect(x1 - f.w * 0.14f, y0 + inset, x1 - 1, y1 - inset), Solid(Hex(0xf2ead4)));
    for (float y = y0 + inset + 2; y < y1 - inset - 1; y += 2)
      c.FillShape(Rect(x1 - f.w * 0.14f, y, x1 - 1, y + 0.6f), Solid(Hex(0xb8ac90)));
    for (float u : {0.05f, 0.1f})
      c.FillShape(Rect(x0 + f.w * u, y0, x0 + f.w * u + 1.2f, y1), Solid(Hex(0xe0c060)));
  }
  // A ribbon marker hanging out of the top book.
  c.FillShape(Polygon({f.X(0.5f), f.Y(0.4f), f.X(0.56f), f.Y(0.4f), f.X(0.56f), f.Y(0.56f),
                       f.X(0.53f), f.Y(0.52f), f.X(0.5f), f.Y(0.56f)}),
              Solid(Hex(0xd8b040)));
}

}  // namespace assetgen::item
