// The places of the sample game, each at the size its scene document gives it. The hidden
// objects are drawn by the game, not here: each place only lays the furniture they sit on
// (a stall's shelf under a kettle, a hook for a lamp), at the objects' centres as the scene
// documents give them, so that an object belongs where it lies yet stands out.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/assetgen/Pictures.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265f;

Rgba Hex(uint32_t rgb, float alpha = 1) {
  return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, alpha};
}

Shape Rect(float x0, float y0, float x1, float y1) { return RoundRect(x0, y0, x1, y1, 0); }

// A soft shadow, then the shape: furniture that stands off the wall behind it.
void Raised(Canvas& c, const Shape& s, const Paint& p, float drop = 6) {
  c.FillShape(Offset(s, drop, drop), Solid(Hex(0x000000, 0.35f)), drop * 2);
  c.FillShape(s, p);
}

// A plank, lit along its top edge.
void Plank(Canvas& c, float x0, float y0, float x1, float y1, Rgba wood) {
  Raised(c, Rect(x0, y0, x1, y1), Linear(0, y0, Shade(wood, 1.2f), 0, y1, Shade(wood, 0.7f)), 5);
  c.FillShape(Rect(x0, y0, x1, y0 + 2), Solid(Hex(0xffffff, 0.2f)));
}

// A toothed wheel with a hub and spokes cut out.
void Gear(Canvas& c, float cx, float cy, float r, int teeth, Rgba metal, float turn) {
  const Shape body =
      Union(Circle(cx, cy, r * 0.86f), Star(cx, cy, r, r * 0.8f, teeth, turn));
  Shape cut = Subtract(Circle(cx, cy, r * 0.66f), Circle(cx, cy, r * 0.2f));
  for (int i = 0; i < 5; ++i) {
    const float a = turn + i * 2 * kPi / 5;
    cut = Subtract(cut, Capsule(cx, cy, cx + std::cos(a) * r * 0.7f, cy + std::sin(a) * r * 0.7f,
                                r * 0.08f));
  }
  Raised(c, Subtract(body, cut),
         Radial(cx - r * 0.4f, cy - r * 0.4f, r * 1.6f, Shade(metal, 1.3f), Shade(metal, 0.6f)),
         std::max(3.0f, r * 0.06f));
  c.FillShape(Circle(cx, cy, r * 0.12f), Solid(Shade(metal, 0.4f)));
}

// ---- the market: three stalls under awnings before the harbour's houses ----

void Awning(Canvas& c, float x0, float x1, float y0, float y1, Rgba stripe) {
  const float w = 28;
  const Shape cloth = Union(Polygon({x0 - 10, y1, x0 + 14, y0, x1 - 14, y0, x1 + 10, y1}),
                            Shape{[=](float x, float y) {
                                    // scallops hanging below the straight edge
                                    const float u = std::fmod(x - x0 + 10, w) - w / 2;
                                    return std::sqrt(u * u + (y - y1) * (y - y1)) - w / 2;
                                  },
                                  {x0 - 10, y1, x1 + 10, y1 + w / 2}});
  c.FillShape(Offset(cloth, 0, 8), Solid(Hex(0x000000, 0.3f)), 12);
  c.FillShape(cloth, [=](float x, float y) {
    const bool dark = static_cast<int>(std::floor((x - x0 + 10) / w)) % 2 == 0;
    return Shade(dark ? stripe : Hex(0xf4ecd8), 0.85f + 0.2f * (y1 - y) / (y1 - y0));
  });
}

void Stall(Canvas& c, float x0, float x1, float awningTop, float shelf, float counter,
           Rgba stripe, Rgba wood) {
  for (float x : {x0 + 6, x1 - 20})
    Raised(c, Rect(x, awningTop + 40, x + 14, counter + 110),
           Linear(x, 0, Shade(wood, 1.1f), x + 14, 0, Shade(wood, 0.6f)), 4);
  // The stall's back board, darker so the wares on it read.
  c.FillShape(Rect(x0 + 20, awningTop + 40, x1 - 20, counter),
              Linear(0, awningTop, Shade(wood, 0.55f), 0, counter, Shade(wood, 0.4f)));
  Plank(c, x0 + 14, shelf, x1 - 14, shelf + 10, wood);
  // The counter: its top and a boarded front.
  c.FillShape(Rect(x0, counter + 12, x1, counter + 110), [=](float x, float) {
    const int board = static_cast<int>((x - x0) / 34);
    return Shade(wood, 0.7f + 0.15f * static_cast<float>(board % 2));
  });
  Plank(c, x0 - 8, counter, x1 + 8, counter + 12, Shade(wood, 1.15f));
  Awning(c, x0 - 6, x1 + 6, awningTop, awningTop + 50, stripe);
}

void MarketHouses(Canvas& c) {
  c.Fill(Linear(0, 0, Hex(0x8fc3e8), 0, 300, Hex(0xdcecf4)));
  c.FillShape(Ellipse(200, 40, 90, 18), Solid(Hex(0xffffff, 0.8f)), 14);
  c.FillShape(Ellipse(640, 28, 120, 16), Solid(Hex(0xffffff, 0.7f)), 14);
  const Rgba plaster[] = {Hex(0xe3c9a0), Hex(0xc98f6a), Hex(0xd9d1b8), Hex(0xa9b9a0),
                          Hex(0xe0b080), Hex(0xc7a98d)};
  float x = -20;
  for (int i = 0; x < 1024; ++i) {
    const float w = 150 + 30 * static_cast<float>(i % 3), top = 40 + 22 * static_cast<float>(i % 4);
    const Rgba wall = plaster[i % 6];
    c.FillShape(Rect(x, top, x + w, 520), Linear(0, top, wall, 0, 520, Shade(wall, 0.75f)));
    c.FillShape(Polygon({x - 8, top + 2, x + w / 2, top - 46, x + w + 8, top + 2}),
                Solid(Hex(0x8a4a36)));
    for (float wy = top + 30; wy < 330; wy += 80)
      for (float wx = x + 24; wx + 30 < x + w; wx += 52) {
        c.FillShape(Rect(wx - 3, wy - 3, wx + 33, wy + 47), Solid(Hex(0xf2ece0)));
        c.FillShape(Rect(wx, wy, wx + 30, wy + 44), Solid(Hex(0x4a6a84)));
        c.FillShape(Rect(wx + 14, wy, wx + 16, wy + 44), Solid(Hex(0xf2ece0)));
      }
    x += w;
  }
}

void Cobbles(Canvas& c, float top) {
  c.FillShape(Rect(0, top, 1024, 768), [=](float x, float y) {
    const float rowH = 18 + (y - top) * 0.05f;
    const int row = static_cast<int>((y - top) / rowH);
    const float shift = row % 2 ? 17.0f : 0.0f;
    const float u = std::fmod(x + shift, 34.0f), v = std::fmod(y - top, rowH);
    const float tone = 0.85f + 0.25f * Fbm(x / 30, y / 20, 61u, 2);
    Rgba stone = Shade(Hex(0x9a8f82), tone * (0.7f + 0.3f * (y - top) / (768 - top)));
    if (u < 2 || v < 2) stone = Shade(stone, 0.6f);
    return stone;
  });
}

void Fruit(Canvas& c, float x0, float x1, float y, Rgba colour, float r) {
  for (float x = x0 + r; x <= x1 - r; x += r * 1.9f)
    c.FillShape(Circle(x, y - r, r), Radial(x - r * 0.4f, y - r * 1.4f, r * 1.8f,
                                            Shade(colour, 1.3f), Shade(colour, 0.7f)));
}

Canvas MarketPicture() {
  Canvas c(1024, 768);
  MarketHouses(c);
  Cobbles(c, 520);
  // The shell's stall (shell on its shelf, the charm on its counter), the kettle and lamp
  // glass's ironmonger, the apples' fruit stall; the doors' strip along the right edge stays
  // plain wall.
  Stall(c, 40, 340, 70, 200, 446, Hex(0xb03a3a), Hex(0x8b5a2b));
  Stall(c, 400, 720, 150, 274, 406, Hex(0x3a7a4a), Hex(0x7a5232));
  Stall(c, 756, 940, 110, 220, 490, Hex(0x2e5e9e), Hex(0x9a6438));
  // Wares that keep the shelves busy but look unlike what is hidden.
  for (float x : {200.0f, 244.0f, 288.0f})
    c.FillShape(RoundRect(x, 168, x + 30, 200, 8), Solid(Hex(0x5c8a9e)));
  c.FillShape(Rect(60, 416, 150, 446), Solid(Hex(0xd8c8a0)));  // folded nets
  c.FillShape(Rect(70, 424, 140, 428), Solid(Hex(0x8a7a5a)));
  for (float x : {560.0f, 610.0f})
    c.FillShape(Rect(x, 240, x + 34, 274), Solid(Hex(0x6a5a4a)));  // tins
  c.FillShape(Rect(440, 378, 560, 406), Solid(Hex(0x3a4a5a)));     // a tool box
  c.FillShape(Rect(444, 382, 556, 386), Solid(Hex(0x6a7a8a)));
  Fruit(c, 776, 776 + 80, 220, Hex(0xe8a030), 11);   // oranges beside the apple
  Fruit(c, 800, 930, 490, Hex(0x9ac040), 12);        // pears beside the other
  // Barrels and sacks on the cobbles.
  for (float x : {120.0f, 600.0f}) {
    Raised(c, RoundRect(x, 560, x + 80, 660, 14),
           Linear(x, 0, Hex(0x9a6a3a), x + 80, 0, Hex(0x5a3a1a)), 8);
    for (float y : {580.0f, 636.0f}) c.FillShape(Rect(x, y, x + 80, y + 6), Solid(Hex(0x3a3a3a)));
  }
  Raised(c, Ellipse(300, 616, 46, 40), Solid(Hex(0xcdb58a)), 8);
  Raised(c, Ellipse(360, 626, 40, 34), Solid(Hex(0xbfa57a)), 8);
  return c;
}

// ---- the garden: one hedge, lawn and path in both halves; each half's furniture lies
// under its own twins of the objects ----

bool ReadPoint(const AssetArgs& args, const std::string& key, float& x, float& y) {
  if (!args.Has(key)) return false;
  const std::string text = args.Text(key, "");
  int px = 0, py = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d,%d%c", &px, &py, &tail) != 2)
    throw AssetError("'" + key + "' must be X,Y, not '" + text + "'");
  x = static_cast<float>(px);
  y = static_cast<float>(py);
  return true;
}

Canvas GardenPicture(const AssetArgs& args) {
  Canvas c(args.Int("w", 512, 64, 2048), args.Int("h", 620, 64, 2048));
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  c.Fill(Linear(0, 0, Hex(0x9cd0f0), 0, 120, Hex(0xe8f4f0)));
  // The back hedge, a wall of leaves.
  c.FillShape(BelowCurve([](float x) { return 70 + 14 * std::sin(x / 37) + 8 * std::sin(x / 11); },
                         0, w, 260),
              [](float x, float y) {
                return Shade(Hex(0x3f6e35), 0.75f + 0.45f * Fbm(x / 14, y / 14, 5u, 3));
              });
  // The lawn, striped by the mower.
  c.FillShape(Rect(0, 240, w, h), [](float x, float y) {
    const bool light = static_cast<int>(x / 64) % 2 == 0;
    const float grain = 0.85f + 0.2f * Fbm(x / 8, y / 8, 9u, 2);
    return Shade(light ? Hex(0x7fb24e) : Hex(0x6da043), grain);
  });
  // A gravel path winding down the half.
  c.FillShape(Shape{[=](float x, float y) {
                      const float mid = w * 0.5f + 70 * std::sin((y - 240) / 90);
                      return std::fabs(x - mid) - (26 + (y - 240) * 0.08f);
                    },
                    {0, 240, w, h}},
              [](float x, float y) {
                return Shade(Hex(0xd8c8a4), 0.85f + 0.25f * Fbm(x / 3, y / 3, 13u, 2));
              });
  // Flower beds along the hedge.
  const Rgba petals[] = {Hex(0xe05a6a), Hex(0xf4d35e), Hex(0xffffff), Hex(0xb07ad0)};
  Rng rng(17);
  for (int i = 0; i < 70; ++i) {
    const float x = static_cast<float>(rng.Range(0, w)), y = static_cast<float>(rng.Range(228, 262));
    c.FillShape(Circle(x, y, 4), Solid(petals[rng.Below(4)]));
  }
  // Each object's setting: a stone footing for the lamp post, a bench for the books, a
  // plinth for the candle.
  float x = 0, y = 0;
  if (ReadPoint(args, "post", x, y)) {
    c.FillShape(Ellipse(x, y, 30, 9), Solid(Hex(0x000000, 0.3f)), 6);
    c.FillShape(RoundRect(x - 20, y - 8, x + 20, y + 4, 3), Solid(Hex(0x9a968c)));
  }
  if (ReadPoint(args, "bench", x, y)) {
    c.FillShape(Ellipse(x, y + 40, 70, 10), Solid(Hex(0x000000, 0.3f)), 8);
    for (float lx : {x - 52, x + 44}) c.FillShape(Rect(lx, y, lx + 8, y + 38), Solid(Hex(0x3a2a1c)));
    for (float lx : {x - 52, x + 44}) c.FillShape(Rect(lx, y - 44, lx + 8, y), Solid(Hex(0x3a2a1c)));
    Raised(c, Rect(x - 60, y - 44, x + 60, y - 36), Solid(Hex(0x8b5a2b)), 3);
    Plank(c, x - 62, y, x + 62, y + 10, Hex(0x9a6438));
  }
  if (ReadPoint(args, "plinth", x, y)) {
    Raised(c, Rect(x - 18, y, x + 18, y + 70), Linear(x - 18, 0, Hex(0xc8c0b0), x + 18, 0,
                                                        Hex(0x8a8478)), 5);
    c.FillShape(Rect(x - 24, y - 2, x + 24, y + 8), Solid(Hex(0xd8d0c0)));
  }
  return c;
}

// ---- the clock tower: stone, beams, and the works of the clock ----

Canvas ClockTowerPicture() {
  Canvas c(1024, 768);
  c.Fill([](float x, float y) {  // stone blocks
    const int row = static_cast<int>(y / 48);
    const float u = std::fmod(x + (row % 2 ? 40.0f : 0.0f), 80.0f), v = std::fmod(y, 48.0f);
    Rgba stone = Shade(Hex(0x6a6058), 0.8f + 0.35f * Fbm(x / 40, y / 40, 31u, 3));
    if (u < 3 || v < 3) stone = Shade(stone, 0.55f);
    return stone;
  });
  // The back of the dial: light through its glass numbers.
  c.FillShape(Circle(512, 160, 200), Radial(512, 160, 200, Hex(0xfff0c0, 0.35f), Hex(0xfff0c0, 0)));
  c.FillShape(Circle(512, 160, 130), Solid(Hex(0x3a2e24)));
  c.FillShape(Circle(512, 160, 118), Radial(512, 130, 130, Hex(0xf4e4b8), Hex(0xc8a870)));
  for (int i = 0; i < 12; ++i) {
    const float a = i * kPi / 6;
    c.FillShape(Capsule(512 + std::cos(a) * 92, 160 + std::sin(a) * 92, 512 + std::cos(a) * 108,
                        160 + std::sin(a) * 108, 4),
                Solid(Hex(0x3a2e24)));
  }
  c.FillShape(Circle(512, 160, 10), Solid(Hex(0x3a2e24)));
  // The works: big bronze wheels turning on the wall, their teeth meshed.
  Gear(c, 300, 290, 110, 24, Hex(0xa8783a), 0.1f);
  Gear(c, 438, 372, 52, 12, Hex(0x9a6a30), 0.3f);
  Gear(c, 720, 330, 90, 20, Hex(0xa8783a), 0.2f);
  Gear(c, 620, 450, 40, 10, Hex(0x8a5a28), 0.0f);
  // The shaft from the works up to the hands.
  c.FillShape(Rect(506, 160, 518, 440), Solid(Hex(0x4a4038)));
  // Beams: two posts, a tie beam under the small gear, a brace, the floor joists.
  const Rgba oak = Hex(0x8a6038);
  for (float x : {60.0f, 930.0f})
    Raised(c, Rect(x, 0, x + 34, 768), Linear(x, 0, Shade(oak, 1.1f), x + 34, 0, Shade(oak, 0.6f)));
  Plank(c, 0, 218, 940, 240, oak);  // the small gear lies on it
  Raised(c, Polygon({94, 560, 120, 560, 360, 240, 334, 240}), Solid(Shade(oak, 0.9f)));
  // A shelf on brackets for the minute hand, a workbench for the big gear.
  Plank(c, 810, 298, 910, 308, Hex(0xa07040));
  c.FillShape(Polygon({830, 308, 846, 308, 830, 330}), Solid(Hex(0x5a3a20)));
  c.FillShape(Polygon({874, 308, 890, 308, 890, 330}), Solid(Hex(0x5a3a20)));
  // The floor: boards from 548, where the hour hand leans; a bench for the big gear.
  c.FillShape(Rect(0, 548, 1024, 768), [](float x, float y) {
    const int row = static_cast<int>((y - 548) / 30);
    const float seam = std::fmod(y - 548, 30.0f);
    Rgba wood = Shade(Hex(0x7a5a3a), 0.75f + 0.3f * Fbm(x / 120, y / 6, 7u + row, 2));
    if (seam < 2) wood = Shade(wood, 0.5f);
    return wood;
  });
  c.FillShape(Rect(0, 544, 1024, 550), Solid(Hex(0x2a1e14)));
  Plank(c, 90, 480, 250, 494, Hex(0xa07040));
  for (float x : {100.0f, 226.0f}) c.FillShape(Rect(x, 494, x + 14, 548), Solid(Hex(0x5a3a20)));
  // The pendulum swinging down the middle, and the rope of the bell.
  c.FillShape(Rect(509, 440, 515, 640), Solid(Hex(0x3a3a3a)));
  c.FillShape(Circle(512, 650, 30), Radial(502, 640, 40, Hex(0xe8c060), Hex(0x8a6020)));
  c.FillShape(Capsule(780, 0, 780, 500, 3), Solid(Hex(0xc8b088)));
  return c;
}

// ---- the parlour: damask, wainscot, a fireplace, the places of the gifts ----

Canvas ParlourPicture() {
  Canvas c(1024, 768);
  c.Fill([](float x, float y) {  // green damask
    const float u = std::fmod(x, 64.0f) - 32, v = std::fmod(y, 80.0f) - 40;
    const float motif = std::fabs(u) * 0.9f + std::fabs(v) * 0.6f;
    const Rgba base = Hex(0x3e5e4a);
    return motif < 18 && motif > 12 ? Shade(base, 1.25f) : Shade(base, 0.95f + 0.002f * y * 0.1f);
  });
  c.FillShape(Rect(0, 0, 1024, 26), Solid(Hex(0xe8dcc0)));
  // The wainscot and the floor.
  c.FillShape(Rect(0, 400, 1024, 560), Linear(0, 400, Hex(0x6a3e24), 0, 560, Hex(0x4a2a18)));
  for (float x = 20; x < 1024; x += 120)
    c.FillShape(Subtract(Rect(x, 420, x + 100, 540), Rect(x + 4, 424, x + 96, 536)),
                Solid(Hex(0x8a5a38)));
  c.FillShape(Rect(0, 396, 1024, 404), Solid(Hex(0x9a6a44)));
  c.FillShape(Rect(0, 560, 1024, 768), Linear(0, 560, Hex(0x5a3420), 0, 768, Hex(0x3a2014)));
  c.FillShape(Ellipse(520, 690, 380, 70), Solid(Hex(0x7a2a34)));  // the carpet
  c.FillShape(Subtract(Ellipse(520, 690, 350, 58), Ellipse(520, 690, 336, 52)),
              Solid(Hex(0xd8b060, 0.8f)));
  // The portrait's place: a paler square where a picture hung, and its nail.
  c.FillShape(Rect(476, 114, 548, 186), Solid(Hex(0x5e7e66)), 4);
  c.FillShape(Capsule(494, 114, 512, 96, 1.5f), Solid(Hex(0x2a2a2a)));
  c.FillShape(Capsule(530, 114, 512, 96, 1.5f), Solid(Hex(0x2a2a2a)));
  c.FillShape(Circle(512, 96, 4), Solid(Hex(0xc8a040)));
  // Two round tables on single legs, waiting for the vase.
  for (float x : {300.0f, 700.0f}) {
    c.FillShape(Ellipse(x, 500, 60, 10), Solid(Hex(0x000000, 0.35f)), 10);
    c.FillShape(Rect(x - 6, 338, x + 6, 492), Solid(Hex(0x5a3018)));
    c.FillShape(Polygon({x - 40, 500, x + 40, 500, x + 8, 470, x - 8, 470}), Solid(Hex(0x5a3018)));
    Raised(c, Ellipse(x, 336, 54, 10), Linear(0, 326, Hex(0xa06a40), 0, 346, Hex(0x6a3e22)), 4);
  }
  // The fireplace on the right, the candlestick's place on its mantel.
  c.FillShape(Rect(770, 452, 930, 640), Solid(Hex(0xd8ccb8)));
  c.FillShape(RoundRect(800, 490, 900, 640, 40), Solid(Hex(0x1a1210)));
  c.FillShape(Ellipse(850, 630, 40, 18), Radial(850, 630, 44, Hex(0xffc040), Hex(0xc03a10, 0)), 10);
  c.FillShape(Star(850, 612, 26, 10, 5, 0.2f), Solid(Hex(0xffa030, 0.85f)), 6);
  Plank(c, 756, 452, 944, 466, Hex(0xe8e0d0));
  // A tall window at the left with drawn curtains and the evening behind it.
  c.FillShape(Rect(120, 70, 240, 300), Linear(0, 70, Hex(0x2a3a6a), 0, 300, Hex(0xd08a60)));
  c.FillShape(Rect(176, 70, 184, 300), Solid(Hex(0xe8dcc0)));
  c.FillShape(Rect(120, 180, 240, 188), Solid(Hex(0xe8dcc0)));
  for (float x : {96.0f, 222.0f})
    c.FillShape(RoundRect(x, 56, x + 42, 320, 6), [=](float px, float) {
      return Shade(Hex(0x8a2a3a), 0.75f + 0.25f * std::sin((px - x) / 5));
    });
  // The sewing cabinet whose drawer (the game's) slides out of it, and a footstool for the
  // thimble.
  Raised(c, Rect(90, 440, 210, 600), Linear(90, 0, Hex(0x8a5a34), 210, 0, Hex(0x5a3620)));
  c.FillShape(Rect(100, 552, 200, 590), Solid(Hex(0x4a2a16)));
  c.FillShape(Circle(150, 571, 4), Solid(Hex(0xc8a040)));
  Plank(c, 84, 432, 216, 442, Hex(0x9a6a40));
  Raised(c, RoundRect(370, 534, 470, 566, 10), Solid(Hex(0x7a2a44)), 5);
  for (float x : {380.0f, 452.0f}) c.FillShape(Rect(x, 566, x + 8, 590), Solid(Hex(0x3a2010)));
  return c;
}

// ---- the cellar: dark vaults, shelves of jars, a locked door ----

void Jars(Canvas& c, float x0, float x1, float y, Rng& rng) {
  const Rgba glass[] = {Hex(0x6a8a3a), Hex(0xa05a2a), Hex(0x8a3a3a), Hex(0xb8a060), Hex(0x5a6a7a)};
  for (float x = x0; x + 18 < x1;) {
    const float w = static_cast<float>(rng.Range(18, 30)), h = static_cast<float>(rng.Range(26, 44));
    const Rgba g = glass[rng.Below(5)];
    c.FillShape(RoundRect(x, y - h, x + w, y, 5), Linear(x, 0, Shade(g, 1.1f), x + w, 0, Shade(g, 0.5f)));
    c.FillShape(Rect(x + 2, y - h - 6, x + w - 2, y - h + 2), Solid(Hex(0x8a7a60)));
    c.FillShape(Rect(x + 4, y - h + 6, x + 7, y - 6), Solid(Hex(0xffffff, 0.25f)));
    x += w + static_cast<float>(rng.Range(3, 12));
  }
}

Canvas CellarPicture() {
  Canvas c(1024, 768);
  c.Fill([](float x, float y) {  // rough blocks, darker toward the floor
    const int row = static_cast<int>(y / 40);
    const float u = std::fmod(x + (row % 2 ? 30.0f : 0.0f), 60.0f), v = std::fmod(y, 40.0f);
    Rgba stone = Shade(Hex(0x4a4640), 0.7f + 0.4f * Fbm(x / 30, y / 30, 71u, 3));
    if (u < 3 || v < 3) stone = Shade(stone, 0.45f);
    return stone;
  });
  // The vault's arches.
  for (float cx : {256.0f, 768.0f})
    c.FillShape(Subtract(Ellipse(cx, 560, 300, 560), Ellipse(cx, 560, 270, 530)),
                Solid(Hex(0x2e2a26)));
  // The floor of packed earth, where the crate stands.
  c.FillShape(Rect(0, 520, 1024, 768), [](float x, float y) {
    return Shade(Hex(0x3a3026), 0.75f + 0.35f * Fbm(x / 20, y / 10, 73u, 3));
  });
  // A grating high on the left lets in a thin shaft of day.
  c.FillShape(Rect(360, 40, 440, 80), Solid(Hex(0xb8c8d0)));
  for (float x = 368; x < 440; x += 16) c.FillShape(Rect(x, 40, x + 4, 80), Solid(Hex(0x1a1a1a)));
  c.FillShape(Polygon({360, 80, 440, 80, 520, 620, 380, 620}), Solid(Hex(0xd8e0e8, 0.1f)), 30);
  // The lamp's hook on the wall.
  c.FillShape(Rect(180, 116, 220, 122), Solid(Hex(0x2a2a2a)));
  c.FillShape(Capsule(200, 122, 200, 134, 2), Solid(Hex(0x2a2a2a)));
  // Shelves of jars on the left wall and beside the shelf the game shows.
  Rng rng(31);
  for (float y : {300.0f, 390.0f, 480.0f}) {
    Jars(c, 60, 300, y, rng);
    Plank(c, 50, y, 310, y + 10, Hex(0x6a4a30));
  }
  for (float x : {604.0f, 690.0f}) c.FillShape(Polygon({x, 220, x + 16, 220, x, 250}), Solid(Hex(0x2a2218)));
  // Barrels in the corner.
  for (float x : {600.0f, 700.0f}) {
    Raised(c, RoundRect(x, 470, x + 86, 590, 16),
           Linear(x, 0, Hex(0x7a5434), x + 86, 0, Hex(0x3a2414)), 8);
    for (float y : {490.0f, 566.0f}) c.FillShape(Rect(x, y, x + 86, y + 6), Solid(Hex(0x2a2a2a)));
  }
  // The locked door under its arch, the lock where the key goes.
  c.FillShape(RoundRect(836, 262, 924, 390, 40), Solid(Hex(0x1e1a16)));
  c.FillShape(RoundRect(848, 276, 912, 382, 30), [](float x, float) {
    return Shade(Hex(0x6a4426), 0.8f + 0.25f * static_cast<float>(static_cast<int>(x / 12) % 2));
  });
  for (float y : {300.0f, 356.0f}) c.FillShape(Rect(848, y, 912, y + 6), Solid(Hex(0x2a2a2a)));
  c.FillShape(Circle(880, 300, 16), Solid(Hex(0xd0a040, 0.25f)), 10);
  c.FillShape(Circle(880, 300, 7), Solid(Hex(0x3a3a3a)));
  c.FillShape(Polygon({877, 299, 883, 299, 885, 311, 875, 311}), Solid(Hex(0x111111)));
  // Dark all round but for the shaft of light: the cellar wants its lamp.
  c.Fill([](float x, float y) {
    const float dx = (x - 480) / 620, dy = (y - 360) / 480;
    return Rgba{0.02f, 0.02f, 0.05f, std::min(0.8f, 0.35f + 0.6f * (dx * dx + dy * dy))};
  });
  return c;
}

}  // namespace

Canvas PlacePicture(const AssetArgs& args) {
  const std::string place = args.Choice("place", {"market", "garden", "clocktower", "parlour", "cellar"});
  if (place == "garden") return GardenPicture(args);
  if (place == "clocktower") return ClockTowerPicture();
  if (place == "parlour") return ParlourPicture();
  if (place == "cellar") return CellarPicture();
  return MarketPicture();
}

}  // namespace assetgen
