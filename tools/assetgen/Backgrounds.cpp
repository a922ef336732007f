// Full-screen pictures: gradients, patterns, abstract shapes and two text-free scenes.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/Pictures.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265f;

Rgba Hex(uint32_t rgb, float alpha = 1) {
  return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, alpha};
}

// Design coordinates are those of a 1024 x 768 screen; other sizes scale them.
struct Design {
  float sx, sy;
  float X(float x) const { return x * sx; }
  float Y(float y) const { return y * sy; }
  float S(float v) const { return v * std::min(sx, sy); }
};

Design DesignOf(const Canvas& c) {
  return {c.Width() / 1024.0f, c.Height() / 768.0f};
}

Canvas SizedCanvas(const AssetArgs& args, int width = 1024, int height = 768) {
  return Canvas(args.Int("w", width, 1, 2048), args.Int("h", height, 1, 2048));
}

float Hash01(int a, int b) {
  uint32_t h = static_cast<uint32_t>(a) * 2654435761u ^ static_cast<uint32_t>(b) * 2246822519u;
  h = (h ^ (h >> 15)) * 2246822519u;
  h ^= h >> 13;
  return static_cast<float>(h & 0xFFFF) / 65535.0f;
}

// A darkening toward the corners that makes flat scenes feel lit from the middle.
void Vignette(Canvas& c, float strength) {
  const float cx = c.Width() / 2.0f, cy = c.Height() / 2.0f;
  const float r = std::sqrt(cx * cx + cy * cy);
  c.Fill([=](float x, float y) {
    const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) / r;
    return Rgba{0, 0, 0, strength * d * d};
  });
}

}  // namespace

Canvas GradientPicture(const AssetArgs& args) {
  Canvas c = SizedCanvas(args);
  const Rgba top = args.Colour("top", Hex(0x1b2a4a));
  const Rgba bottom = args.Colour("bottom", Hex(0xe08a5a));
  const std::string style = args.Choice("style", {"vertical", "diagonal", "radial"});
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  if (style == "vertical") c.Fill(Linear(0, 0, top, 0, h, bottom));
  if (style == "diagonal") c.Fill(Linear(0, 0, top, w, h, bottom));
  // "radius": where the radial gradient reaches its outer colour, which then holds out to
  // the edges (a soft hole whose rim matches a flat colour beside it); the corners' distance
  // by default.
  // "inner": the inner colour holds out to it (a clear core under the pointer), 0 by default.
  const float corner = std::sqrt(w * w + h * h) / 2;
  const float radius = static_cast<float>(args.Real("radius", corner, 1, 4096));
  const float inner = std::min(static_cast<float>(args.Real("inner", 0, 0, 4096)), radius - 1);
  if (style == "radial" && inner <= 0) c.Fill(Radial(w / 2, h / 2, radius, top, bottom));
  if (style == "radial" && inner > 0)
    c.Fill([=](float x, float y) {
      const float d = std::sqrt((x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2));
      return Mix(top, bottom, std::clamp((d - inner) / (radius - inner), 0.0f, 1.0f));
    });
  return c;
}

Canvas PatternPicture(const AssetArgs& args) {
  Canvas c = SizedCanvas(args);
  const Rgba back = args.Colour("back", Hex(0x2e3f5c));
  const Rgba fore = args.Colour("fore", Hex(0x44597d));
  const std::string style = args.Choice("style", {"checker", "stripes", "dots", "waves"});
  const float cell = static_cast<float>(args.Int("cell", 64, 4, 1024));
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  c.Fill(Solid(back));
  if (style == "checker") {
    c.Fill([=](float x, float y) {
      const int parity = (static_cast<int>(x / cell) + static_cast<int>(y / cell)) % 2;
      return parity ? fore : Rgba{};
    });
  } else if (style == "stripes") {
    const Shape stripe{[=](float x, float y) {
                         const float u = std::fmod(x + y + 4 * cell, cell) - cell / 2;
                         return std::fabs(u) - cell / 4;
                       },
                       {0, 0, w, h}};
    c.FillShape(stripe, Solid(fore));
  } else if (style == "dots") {
    const Shape dots{[=](float x, float y) {
                       const int row = static_cast<int>(y / cell);
                       const float shift = row % 2 ? cell / 2 : 0;
                       const float u = std::fmod(x + shift, cell) - cell / 2;
                       const float v = std::fmod(y, cell) - cell / 2;
                       return std::sqrt(u * u + v * v) - cell * 0.22f;
                     },
                     {0, 0, w, h}};
    c.FillShape(dots, Solid(fore));
  } else {
    const Shape waves{[=](float x, float y) {
                        const float v = y + std::sin(x / cell * 2 * kPi) * cell * 0.25f;
                        return std::fabs(std::fmod(v + 8 * cell, cell) - cell / 2) - cell * 0.18f;
                      },
                      {0, 0, w, h}};
    c.FillShape(waves, Solid(fore));
  }
  Vignette(c, 0.35f);
  return c;
}

Canvas ShapesPicture(const AssetArgs& args) {
  Canvas c = SizedCanvas(args);
  const Rgba top = args.Colour("top", Hex(0x243b55));
  const Rgba bottom = args.Colour("bottom", Hex(0x141e30));
  const int count = args.Int("count", 40, 0, 2000);
  Rng rng(static_cast<uint64_t>(args.Int("seed", 1, 0, 1 << 30)));
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  c.Fill(Linear(0, 0, top, 0, h, bottom));
  const Rgba palette[] = {Hex(0xf4d35e), Hex(0xee964b), Hex(0xf95738),
                          Hex(0x5fa8d3), Hex(0x9bc53d), Hex(0xc3a6ff)};
  for (int i = 0; i < count; ++i) {
    const float x = static_cast<float>(rng.Range(0, w)), y = static_cast<float>(rng.Range(0, h));
    const float size = static_cast<float>(rng.Range(0.02, 0.12)) * std::min(w, h);
    const Rgba colour = Fade(palette[rng.Below(6)], static_cast<float>(rng.Range(0.15, 0.55)));
    const float feather = rng.Below(3) == 0 ? size * 0.6f : 1.0f;
    switch (rng.Below(3)) {
      case 0:
        c.FillShape(Circle(x, y, size), Solid(colour), feather);
        break;
      case 1:
        c.FillShape(RoundRect(x - size, y - size, x + size, y + size, size * 0.25f), Solid(colour),
                    feather);
        break;
      default:
        c.FillShape(Star(x, y, size, size * 0.5f, 3, static_cast<float>(rng.Range(0, kPi))),
                    Solid(colour), feather);
    }
  }
  Vignette(c, 0.4f);
  return c;
}

// ---- a room ----

namespace {

void RoomWall(Canvas& c, const Design& d) {
  const float w = static_cast<float>(c.Width());
  c.Fill(Linear(0, 0, Hex(0x7d6450), 0, d.Y(500), Hex(0xc6a587)));
  const float stripe = d.X(48);
  const Shape stripes{
      [=](float x, float) { return std::fabs(std::fmod(x, stripe) - stripe / 2) - stripe * 0.2f; },
      {0, 0, w, d.Y(500)}};
  c.FillShape(stripes, Solid(Hex(0xffffff, 0.07f)));
  for (float y = d.Y(60); y < d.Y(470); y += d.Y(70)) {
    for (float x = 0; x < w; x += stripe) {
      const float shift = static_cast<int>(y / d.Y(70)) % 2 ? stripe / 2 : 0;
      c.FillShape(Star(x + shift, y, d.S(6), d.S(2.5f), 4, 0), Solid(Hex(0x5a4030, 0.25f)));
    }
  }
  c.FillShape(RoundRect(0, 0, w, d.Y(18), 0), Solid(Hex(0xe8d8c0)));
  c.FillShape(RoundRect(0, d.Y(18), w, d.Y(24), 0), Solid(Hex(0x000000, 0.2f)));
}

void RoomFloor(Canvas& c, const Design& d) {
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  const float top = d.Y(512), plankH = d.Y(32), plankW = d.X(220);
  c.FillShape(RoundRect(0, top, w, h, 0), [=](float x, float y) {
    const int row = static_cast<int>((y - top) / plankH);
    const float offset = Hash01(row, 7) * plankW;
    const int plank = static_cast<int>((x + offset) / plankW);
    const float seam = std::min(std::fmod(y - top, plankH), std::fmod(x + offset, plankW));
    const float grain = 0.88f + 0.24f * Fbm(x / d.X(140), y / d.Y(5), 3u + plank * 17u, 3);
    const float tone = (0.8f + 0.35f * Hash01(row, plank)) * grain;
    const float depth = 0.75f + 0.25f * (y - top) / (h - top);
    Rgba wood = Shade(Hex(0x7a5232), tone * depth);
    if (seam < 1.5f) wood = Shade(wood, 0.55f);
    return wood;
  });
  // Skirting board.
  c.FillShape(RoundRect(0, d.Y(486), w, d.Y(514), 0),
              Linear(0, d.Y(486), Hex(0x6b4a33), 0, d.Y(514), Hex(0x3d2818)));
  c.FillShape(RoundRect(0, d.Y(486), w, d.Y(489), 0), Solid(Hex(0xffffff, 0.18f)));
  // Daylight from the window, falling on the floor.
  c.FillShape(
      Polygon({d.X(610), d.Y(520), d.X(880), d.Y(520), d.X(800), d.Y(760), d.X(440), d.Y(760)}),
      Solid(Hex(0xfff4d0, 0.10f)), d.S(40));
}

void RoomWindow(Canvas& c, const Design& d) {
  c.FillShape(RoundRect(d.X(596), d.Y(84), d.X(884), d.Y(384), d.S(4)), Solid(Hex(0x000000, 0.3f)),
              d.S(10));
  c.FillShape(RoundRect(d.X(600), d.Y(80), d.X(880), d.Y(380), d.S(4)), Solid(Hex(0xf2ebe0)));
  const Box glass{d.X(616), d.Y(96), d.X(864), d.Y(364)};
  c.FillShape(RoundRect(glass.x0, glass.y0, glass.x1, glass.y1, 0),
              Linear(0, glass.y0, Hex(0x6fa8dc), 0, glass.y1, Hex(0xd6eaf8)));
  c.FillShape(Intersect(Ellipse(d.X(700), d.Y(150), d.X(60), d.Y(18)),
                        RoundRect(glass.x0, glass.y0, glass.x1, glass.y1, 0)),
              Solid(Hex(0xffffff, 0.8f)), d.S(14));
  c.FillShape(Intersect(Ellipse(d.X(800), d.Y(200), d.X(50), d.Y(14)),
                        RoundRect(glass.x0, glass.y0, glass.x1, glass.y1, 0)),
              Solid(Hex(0xffffff, 0.7f)), d.S(12));
  c.FillShape(Intersect(Ellipse(d.X(760), d.Y(400), d.X(220), d.Y(80)),
                        RoundRect(glass.x0, glass.y0, glass.x1, glass.y1, 0)),
              Solid(Hex(0x6d9f5b)));
  c.FillShape(Intersect(Ellipse(d.X(640), d.Y(410), d.X(150), d.Y(70)),
                        RoundRect(glass.x0, glass.y0, glass.x1, glass.y1, 0)),
              Solid(Hex(0x5a8a4a)));
  c.FillShape(RoundRect(d.X(734), d.Y(96), d.X(746), d.Y(364), 0), Solid(Hex(0xf2ebe0)));
  c.FillShape(RoundRect(d.X(616), d.Y(224), d.X(864), d.Y(236), 0), Solid(Hex(0xf2ebe0)));
  c.FillShape(RoundRect(d.X(586), d.Y(372), d.X(894), d.Y(394), d.S(3)),
              Linear(0, d.Y(372), Hex(0xfaf5ee), 0, d.Y(394), Hex(0xb8ada0)));
  // Curtains with soft folds, and their rod.
  auto curtain = [&](float x0, float x1) {
    c.FillShape(RoundRect(x0, d.Y(60), x1, d.Y(430), d.S(6)), [=](float x, float y) {
      const float fold = 0.78f + 0.22f * std::sin((x - x0) / d.X(9));
      return Shade(Mix(Hex(0x9c2f3a), Hex(0x6e1f2a), (y - d.Y(60)) / d.Y(370)), fold);
    });
  };
  curtain(d.X(556), d.X(636));
  curtain(d.X(844), d.X(924));
  c.FillShape(Capsule(d.X(540), d.Y(58), d.X(940), d.Y(58), d.S(5)), Solid(Hex(0x3a2a1c)));
  c.FillShape(Circle(d.X(540), d.Y(58), d.S(9)), Solid(Hex(0x5a4030)));
  c.FillShape(Circle(d.X(940), d.Y(58), d.S(9)), Solid(Hex(0x5a4030)));
}

void RoomPainting(Canvas& c, const Design& d) {
  const float dx = 200;  // the painting hangs between the bookshelf and the window
  auto X = [&](float x) { return d.X(x + dx); };
  c.FillShape(RoundRect(X(144), d.Y(126), X(346), d.Y(278), 0), Solid(Hex(0x000000, 0.35f)),
              d.S(10));
  c.FillShape(RoundRect(X(136), d.Y(116), X(340), d.Y(270), d.S(2)),
              Linear(X(136), d.Y(116), Hex(0xe7c45a), X(340), d.Y(270), Hex(0x8d6a1f)));
  const Shape inner = RoundRect(X(152), d.Y(132), X(324), d.Y(254), 0);
  c.FillShape(inner, Linear(0, d.Y(132), Hex(0xf0b27a), 0, d.Y(254), Hex(0xfbe3c2)));
  c.FillShape(Intersect(Circle(X(280), d.Y(180), d.S(18)), inner), Solid(Hex(0xfff2b0)), d.S(3));
  c.FillShape(Intersect(Ellipse(X(200), d.Y(262), d.X(90), d.Y(55)), inner), Solid(Hex(0x7a9a5a)));
  c.FillShape(Intersect(Ellipse(X(300), d.Y(270), d.X(90), d.Y(50)), inner), Solid(Hex(0x55783f)));
}

void RoomClock(Canvas& c, const Design& d) {
  const float x = d.X(180), y = d.Y(110), r = d.S(40);
  c.FillShape(Circle(x + d.S(4), y + d.S(5), r), Solid(Hex(0x000000, 0.3f)), d.S(8));
  c.FillShape(Circle(x, y, r), Solid(Hex(0x3a2a1c)));
  c.FillShape(Circle(x, y, r * 0.85f),
              Radial(x - r * 0.3f, y - r * 0.3f, r, Hex(0xfffdf6), Hex(0xe4dccb)));
  for (int i = 0; i < 12; ++i) {
    const float a = i * kPi / 6;
    c.FillShape(Capsule(x + std::cos(a) * r * 0.68f, y + std::sin(a) * r * 0.68f,
                        x + std::cos(a) * r * 0.76f, y + std::sin(a) * r * 0.76f, d.S(1.4f)),
                Solid(Hex(0x3a2a1c)));
  }
  c.FillShape(Capsule(x, y, x + r * 0.35f, y - r * 0.3f, d.S(2.2f)), Solid(Hex(0x222222)));
  c.FillShape(Capsule(x, y, x - r * 0.1f, y - r * 0.62f, d.S(1.6f)), Solid(Hex(0x222222)));
  c.FillShape(Circle(x, y, d.S(3)), Solid(Hex(0xa03030)));
}

void RoomBookshelf(Canvas& c, const Design& d, Rng& rng) {
  c.FillShape(RoundRect(d.X(66), d.Y(256), d.X(310), d.Y(606), d.S(4)), Solid(Hex(0x000000, 0.35f)),
              d.S(14));
  c.FillShape(RoundRect(d.X(60), d.Y(250), d.X(300), d.Y(600), d.S(3)),
              Linear(d.X(60), 0, Hex(0x6b4328), d.X(300), 0, Hex(0x4a2d1a)));
  c.FillShape(RoundRect(d.X(74), d.Y(264), d.X(286), d.Y(588), 0), Solid(Hex(0x2e1c10)));
  const Rgba bookColours[] = {Hex(0x8e2c2c), Hex(0x2c5e8e), Hex(0x3f7a3a), Hex(0xc9a227),
                              Hex(0x6a3d8a), Hex(0xd0d0c0), Hex(0x2a2a2a), Hex(0xb5651d)};
  const float shelves[] = {340, 430, 520, 588};
  float previousTop = 264;
  for (float shelf : shelves) {
    float x = 80;
    while (x < 270) {
      const float bw = static_cast<float>(rng.Range(10, 24));
      const float bh = static_cast<float>(rng.Range(0.6, 0.92)) * (shelf - previousTop - 10);
      if (rng.Below(9) == 0) {  // a gap now and then
        x += bw;
        continue;
      }
      const Rgba colour = bookColours[rng.Below(8)];
      const float right = std::min(x + bw, 280.0f);
      c.FillShape(RoundRect(d.X(x), d.Y(shelf - bh), d.X(right), d.Y(shelf), d.S(1.5f)),
                  Linear(d.X(x), 0, Shade(colour, 1.15f), d.X(right), 0, Shade(colour, 0.7f)));
      c.FillShape(
          RoundRect(d.X(x + 2), d.Y(shelf - bh * 0.8f), d.X(right - 2), d.Y(shelf - bh * 0.75f), 0),
          Solid(Hex(0xf0e0a0, 0.5f)));
      x = right + 1;
    }
    if (shelf < 588) {
      c.FillShape(RoundRect(d.X(74), d.Y(shelf), d.X(286), d.Y(shelf + 10), 0),
                  Linear(0, d.Y(shelf), Hex(0x7a5232), 0, d.Y(shelf + 10), Hex(0x4a2d1a)));
    }
    previousTop = shelf + 10;
  }
  // A small globe on top.
  c.FillShape(RoundRect(d.X(176), d.Y(238), d.X(204), d.Y(250), d.S(2)), Solid(Hex(0x3a2a1c)));
  c.FillShape(Circle(d.X(190), d.Y(212), d.S(24)),
              Radial(d.X(182), d.Y(204), d.S(30), Hex(0x7fc1e8), Hex(0x2a6a9a)));
  c.FillShape(
      Intersect(Ellipse(d.X(184), d.Y(206), d.S(10), d.S(14)), Circle(d.X(190), d.Y(212), d.S(24))),
      Solid(Hex(0x6aa04a)));
  c.FillShape(
      Intersect(Ellipse(d.X(202), d.Y(222), d.S(8), d.S(6)), Circle(d.X(190), d.Y(212), d.S(24))),
      Solid(Hex(0x6aa04a)));
}

void RoomTable(Canvas& c, const Design& d) {
  c.FillShape(Ellipse(d.X(560), d.Y(648), d.X(200), d.Y(18)), Solid(Hex(0x000000, 0.35f)), d.S(20));
  const Rgba wood = Hex(0x9a6438);
  for (float x : {424.0f, 680.0f})
    c.FillShape(RoundRect(d.X(x), d.Y(500), d.X(x + 16), d.Y(642), d.S(3)),
                Linear(d.X(x), 0, Shade(wood, 1.1f), d.X(x + 16), 0, Shade(wood, 0.6f)));
  c.FillShape(RoundRect(d.X(412), d.Y(488), d.X(708), d.Y(512), d.S(2)), Solid(Shade(wood, 0.7f)));
  c.FillShape(RoundRect(d.X(396), d.Y(468), d.X(724), d.Y(492), d.S(6)),
              Linear(0, d.Y(468), Shade(wood, 1.2f), 0, d.Y(492), Shade(wood, 0.8f)));
  // A vase of flowers and a closed book.
  for (int i = 0; i < 5; ++i) {
    const float tx = d.X(500 + i * 10), ty = d.Y(360 + (i % 2) * 14);
    c.FillShape(Capsule(d.X(520), d.Y(430), tx, ty, d.S(1.6f)), Solid(Hex(0x3f7a3a)));
    const Rgba petal = i % 2 ? Hex(0xf4d35e) : Hex(0xe05a6a);
    c.FillShape(Star(tx, ty, d.S(11), d.S(5), 5, static_cast<float>(i)), Solid(petal));
    c.FillShape(Circle(tx, ty, d.S(3.5f)), Solid(Hex(0x7a4a1a)));
  }
  c.FillShape(Union(Ellipse(d.X(520), d.Y(444), d.X(24), d.Y(26)),
                    RoundRect(d.X(510), d.Y(410), d.X(530), d.Y(430), d.S(3))),
              Linear(d.X(496), 0, Hex(0x5b8fcf), d.X(544), 0, Hex(0x23497a)));
  c.FillShape(Ellipse(d.X(512), d.Y(436), d.X(6), d.Y(12)), Solid(Hex(0xffffff, 0.35f)), d.S(4));
  c.FillShape(RoundRect(d.X(600), d.Y(452), d.X(684), d.Y(468), d.S(2)), Solid(Hex(0x2c5e8e)));
  c.FillShape(RoundRect(d.X(604), d.Y(455), d.X(684), d.Y(465), 0), Solid(Hex(0xf3ead8)));
}

void RoomRug(Canvas& c, const Design& d) {
  const float x = d.X(520), y = d.Y(700);
  c.FillShape(Ellipse(x, y, d.X(330), d.Y(56)), Solid(Hex(0x8a2b2b)));
  c.FillShape(Subtract(Ellipse(x, y, d.X(300), d.Y(46)), Ellipse(x, y, d.X(286), d.Y(40))),
              Solid(Hex(0xe0b050, 0.8f)));
  c.FillShape(Subtract(Ellipse(x, y, d.X(200), d.Y(28)), Ellipse(x, y, d.X(190), d.Y(24))),
              Solid(Hex(0xe0b050, 0.6f)));
  c.FillShape(Ellipse(x, y, d.X(60), d.Y(9)), Solid(Hex(0xe0b050, 0.6f)));
}

void RoomLamp(Canvas& c, const Design& d) {
  const float x = d.X(955);
  c.FillShape(Circle(x, d.Y(270), d.S(220)),
              Radial(x, d.Y(270), d.S(220), Hex(0xffe6a0, 0.35f), Hex(0xffe6a0, 0)));
  c.FillShape(Ellipse(x, d.Y(694), d.X(48), d.Y(10)), Solid(Hex(0x000000, 0.35f)), d.S(8));
  c.FillShape(Ellipse(x, d.Y(688), d.X(36), d.Y(8)), Solid(Hex(0x2a2a2a)));
  c.FillShape(Capsule(x, d.Y(290), x, d.Y(686), d.S(4)),
              Linear(x - d.S(4), 0, Hex(0x9a9a9a), x + d.S(4), 0, Hex(0x3a3a3a)));
  c.FillShape(Polygon({x - d.X(52), d.Y(300), x + d.X(52), d.Y(300), x + d.X(30), d.Y(226),
                       x - d.X(30), d.Y(226)}),
              Linear(0, d.Y(226), Hex(0xfff3d0), 0, d.Y(300), Hex(0xe8c98a)));
}

}  // namespace

Canvas RoomPicture(const AssetArgs& args) {
  Canvas c = SizedCanvas(args);
  Rng rng(static_cast<uint64_t>(args.Int("seed", 1, 0, 1 << 30)));
  const Design d = DesignOf(c);
  RoomWall(c, d);
  RoomFloor(c, d);
  RoomWindow(c, d);
  RoomPainting(c, d);
  RoomClock(c, d);
  RoomBookshelf(c, d, rng);
  RoomRug(c, d);
  RoomTable(c, d);
  RoomLamp(c, d);
  Vignette(c, 0.45f);
  return c;
}

// ---- a night sky ----

Canvas NightSkyPicture(const AssetArgs& args) {
  Canvas c = SizedCanvas(args);
  const int starCount = args.Int("stars", 350, 0, 20000);
  const uint32_t seed = static_cast<uint32_t>(args.Int("seed", 1, 0, 1 << 30));
  Rng rng(seed);
  const Design d = DesignOf(c);
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());

  const Rgba top = Hex(0x040818), middle = Hex(0x17204a), horizon = Hex(0x4a3462);
  c.Fill([=](float, float y) {
    const float t = y / h;
    return t < 0.55f ? Mix(top, middle, t / 0.55f) : Mix(middle, horizon, (t - 0.55f) / 0.45f);
  });
  // A faint band of distant stars across the sky.
  c.Fill([=](float x, float y) {
    const float along = (x * 0.8f + y * 0.6f), across = (-x * 0.6f + y * 0.8f) - d.S(120);
    const float band = std::exp(-(across * across) / (d.S(110) * d.S(110)));
    const float cloud = Fbm(along / d.S(90), across / d.S(70), seed, 4);
    return Rgba{0.75f, 0.8f, 1.0f, 0.22f * band * cloud};
  });
  for (int i = 0; i < starCount; ++i) {
    const float x = static_cast<float>(rng.Range(0, w)),
                y = static_cast<float>(rng.Range(0, h * 0.8));
    const float bright = static_cast<float>(rng.Range(0.35, 1.0));
    const Rgba tint = Mix(Hex(0xffffff), rng.Below(2) ? Hex(0xbcd0ff) : Hex(0xffe2b8), 0.5f);
    if (rng.Below(14) == 0) {
      const float r = d.S(static_cast<float>(rng.Range(1.4, 2.4)));
      c.FillShape(Circle(x, y, r * 4), Radial(x, y, r * 4, Fade(tint, 0.35f), Fade(tint, 0)));
      c.FillShape(Capsule(x - r * 5, y, x + r * 5, y, d.S(0.5f)), Solid(Fade(tint, 0.45f)), 1.5f);
      c.FillShape(Capsule(x, y - r * 5, x, y + r * 5, d.S(0.5f)), Solid(Fade(tint, 0.45f)), 1.5f);
      c.FillShape(Circle(x, y, r), Solid(tint));
    } else {
      c.FillShape(Circle(x, y, d.S(static_cast<float>(rng.Range(0.5, 1.3)))),
                  Solid(Fade(tint, bright)));
    }
  }
  // A shooting star.
  c.FillShape(Capsule(d.X(220), d.Y(90), d.X(340), d.Y(150), d.S(1.2f)),
              Linear(d.X(220), d.Y(90), Hex(0xffffff, 0), d.X(340), d.Y(150), Hex(0xffffff, 0.9f)));
  // The moon, its glow and its seas.
  const float mx = d.X(800), my = d.Y(150), mr = d.S(46);
  c.FillShape(Circle(mx, my, mr * 3.2f),
              Radial(mx, my, mr * 3.2f, Hex(0xfff6d8, 0.3f), Hex(0xfff6d8, 0)));
  const Shape moon = Circle(mx, my, mr);
  c.FillShape(moon, Radial(mx - mr * 0.4f, my - mr * 0.4f, mr * 2, Hex(0xfffbea), Hex(0xd8cfa8)));
  const float seas[][3] = {
      {-0.3f, -0.2f, 0.28f}, {0.25f, 0.1f, 0.22f}, {-0.05f, 0.4f, 0.18f}, {0.35f, -0.4f, 0.12f}};
  for (const auto& s : seas)
    c.FillShape(Intersect(Circle(mx + s[0] * mr, my + s[1] * mr, s[2] * mr), moon),
                Solid(Hex(0x8a8266, 0.28f)), d.S(4));
  // Two lines of hills, trees and a lit cottage.
  auto backHill = [=](float x) {
    return d.Y(560) + d.S(40) * std::sin(x / d.X(170)) +
           d.S(40) * Fbm(x / d.X(90), 0.5f, seed + 1, 3);
  };
  auto frontHill = [=](float x) {
    return d.Y(640) + d.S(30) * std::sin(x / d.X(110) + 1) +
           d.S(30) * Fbm(x / d.X(70), 1.5f, seed + 2, 3);
  };
  c.FillShape(BelowCurve(backHill, 0, w, h), Solid(Hex(0x1c1d3c)));
  c.FillShape(BelowCurve(frontHill, 0, w, h), Solid(Hex(0x0b0c1b)));
  const float houseX = d.X(260), houseY = frontHill(houseX) + d.S(8);
  c.FillShape(Circle(houseX, houseY - d.S(30), d.S(70)),
              Radial(houseX, houseY - d.S(30), d.S(70), Hex(0xffc860, 0.25f), Hex(0xffc860, 0)));
  c.FillShape(RoundRect(houseX - d.S(40), houseY - d.S(50), houseX + d.S(40), houseY, 0),
              Solid(Hex(0x090a14)));
  c.FillShape(Polygon({houseX - d.S(50), houseY - d.S(48), houseX + d.S(50), houseY - d.S(48),
                       houseX, houseY - d.S(90)}),
              Solid(Hex(0x090a14)));
  c.FillShape(RoundRect(houseX - d.S(22), houseY - d.S(38), houseX - d.S(6), houseY - d.S(22), 0),
              Solid(Hex(0xffd36b)));
  c.FillShape(RoundRect(houseX + d.S(6), houseY - d.S(38), houseX + d.S(22), houseY - d.S(22), 0),
              Solid(Hex(0xffd36b)));
  for (int i = 0; i < 18; ++i) {
    const float x = static_cast<float>(rng.Range(0, w));
    if (std::fabs(x - houseX) < d.S(70)) continue;
    const float base = frontHill(x) + d.S(10), height = d.S(static_cast<float>(rng.Range(50, 120)));
    for (int tier = 0; tier < 3; ++tier) {
      const float ty = base - height * tier * 0.28f, half = height * (0.3f - tier * 0.07f);
      c.FillShape(Polygon({x - half, ty, x + half, ty, x, ty - height * 0.45f}),
                  Solid(Hex(0x05060d)));
    }
  }
  return c;
}

}  // namespace assetgen
