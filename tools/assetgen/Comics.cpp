// The gull that idles on the main screen, as animation strips, and the panels of the
// comics (the final one and the match's): each a small scene of its own with a frame.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/Pictures.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265f;

Rgba Hex(uint32_t rgb, float alpha = 1) {
  return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, alpha};
}

// One gull in a W x H frame at (x, y): Lift raises the body, Wing is the wing's angle
// (0 folded, 1 up), Look turns the head to the left (-1) or right (1).
void DrawGull(Canvas& c, float x, float y, float w, float h, float lift, float wing, float look) {
  const float u = std::min(w / 64, h / 48);
  const float cx = x + w / 2, cy = y + h * 0.62f - lift * u;
  c.FillShape(Ellipse(cx, y + h - 3 * u, 14 * u, 2.5f * u), Solid(Hex(0, 0.25f)), 3 * u);
  // Legs, body, tail.
  c.FillShape(Capsule(cx - 3 * u, cy + 7 * u, cx - 3 * u, y + h - 4 * u, 1 * u),
              Solid(Hex(0xe8902a)));
  c.FillShape(Capsule(cx + 3 * u, cy + 7 * u, cx + 3 * u, y + h - 4 * u, 1 * u),
              Solid(Hex(0xe8902a)));
  c.FillShape(Polygon({cx - 12 * u, cy, cx - 22 * u, cy - 4 * u, cx - 20 * u, cy + 4 * u}),
              Solid(Hex(0x3a3f48)));
  c.FillShape(Grow(Ellipse(cx, cy, 13 * u, 8 * u), 1 * u), Solid(Hex(0x5a6068)));
  c.FillShape(Ellipse(cx, cy, 13 * u, 8 * u),
              Linear(0, cy - 8 * u, Hex(0xffffff), 0, cy + 8 * u, Hex(0xc8ced6)));
  // The wing swings from the shoulder.
  const float angle = -wing * kPi * 0.45f;
  const float sx = cx - 2 * u, sy = cy - 3 * u;
  const float tx = sx - std::cos(angle) * 16 * u, ty = sy + std::sin(angle) * 16 * u;
  c.FillShape(Polygon({sx + 6 * u, sy, tx, ty, sx - 4 * u, sy + 5 * u}),
              Linear(sx, sy, Hex(0x9aa3ad), tx, ty, Hex(0x2f343b)));
  // Head and beak.
  const float hx = cx + look * 11 * u, hy = cy - 10 * u;
  c.FillShape(Grow(Circle(hx, hy, 6 * u), 1 * u), Solid(Hex(0x5a6068)));
  c.FillShape(Circle(hx, hy, 6 * u), Solid(Hex(0xffffff)));
  const float bx = hx + look * 6 * u;
  c.FillShape(Polygon({bx, hy - 1.5f * u, bx + look * 8 * u, hy + 0.5f * u, bx, hy + 2 * u}),
              Solid(Hex(0xf2b233)));
  c.FillShape(Circle(hx + look * 2.5f * u, hy - 1.5f * u, 1.3f * u), Solid(Hex(0x101010)));
}

// The match of case 1 in three panels: the lampwright's lantern, the ferryman's boat, and
// the two of them at one table under one lamp.
void DrawMatchPanel(Canvas& c, int panel, float w, float h, float ground) {
  switch (panel) {
    case 1:  // a lantern alight on the atelier's bench
      c.FillShape(RoundRect(w * 0.25f, ground - h * 0.06f, w * 0.75f, ground, 4),
                  Solid(Hex(0x7b4a2a)));
      c.FillShape(Circle(w * 0.5f, ground - h * 0.25f, h * 0.16f), Solid(Hex(0xffe9a8, 0.5f)));
      c.FillShape(RoundRect(w * 0.46f, ground - h * 0.33f, w * 0.54f, ground - h * 0.06f, 4),
                  Solid(Hex(0xe0a030)));
      c.FillShape(Circle(w * 0.5f, ground - h * 0.2f, h * 0.04f), Solid(Hex(0xfff6d0)));
      break;
    case 2:  // the ferry on the water, its lamp lit at the bow
      c.FillShape(Polygon({w * 0.25f, ground - h * 0.08f, w * 0.75f, ground - h * 0.08f, w * 0.68f,
                           ground + h * 0.04f, w * 0.32f, ground + h * 0.04f}),
                  Solid(Hex(0x5a3a22)));
      c.FillShape(Capsule(w * 0.5f, ground - h * 0.08f, w * 0.5f, h * 0.2f, 3),
                  Solid(Hex(0x3b2a20)));
      c.FillShape(Circle(w * 0.72f, ground - h * 0.14f, h * 0.035f), Solid(Hex(0xffe066)));
      break;
    default:  // two cups and one lamp, and a heart above them
      c.FillShape(RoundRect(w * 0.2f, ground - h * 0.04f, w * 0.8f, ground, 3),
                  Solid(Hex(0x7b4a2a)));
      c.FillShape(Circle(w * 0.38f, ground - h * 0.08f, h * 0.05f), Solid(Hex(0xf4f1ea)));
      c.FillShape(Circle(w * 0.62f, ground - h * 0.08f, h * 0.05f), Solid(Hex(0xf4f1ea)));
      c.FillShape(Capsule(w * 0.5f, ground - h * 0.04f, w * 0.5f, h * 0.38f, 3),
                  Solid(Hex(0x222222)));
      c.FillShape(Circle(w * 0.5f, h * 0.36f, h * 0.05f), Solid(Hex(0xffe066)));
      c.FillShape(Circle(w * 0.47f, h * 0.16f, h * 0.035f), Solid(Hex(0xd0304a)));
      c.FillShape(Circle(w * 0.53f, h * 0.16f, h * 0.035f), Solid(Hex(0xd0304a)));
      c.FillShape(Polygon({w * 0.44f, h * 0.17f, w * 0.56f, h * 0.17f, w * 0.5f, h * 0.25f}),
                  Solid(Hex(0xd0304a)));
      break;
  }
}

}  // namespace

Canvas GullPicture(const AssetArgs& args) {
  const int fw = args.Int("w", 64, 16, 512), fh = args.Int("h", 48, 12, 512);
  const int frames = args.Int("frames", 4, 1, 32);
  const std::string style = args.Choice("style", {"idle", "flap", "look"});
  Canvas c(fw * frames, fh);
  for (int i = 0; i < frames; ++i) {
    const float phase = static_cast<float>(i) / frames;
    const float x = static_cast<float>(i * fw);
    if (style == "idle")
      DrawGull(c, x, 0, fw, fh, std::sin(phase * 2 * kPi) * 1.5f, 0, 1);
    else if (style == "flap")
      DrawGull(c, x, 0, fw, fh, 4 + std::sin(phase * 2 * kPi) * 3,
               0.5f + 0.5f * std::sin(phase * 2 * kPi), 1);
    else
      DrawGull(c, x, 0, fw, fh, 0, 0, phase < 0.5f ? 1 : -1);
  }
  return c;
}

Canvas ComicPicture(const AssetArgs& args) {
  Canvas c(args.Int("w", 600, 64, 2048), args.Int("h", 400, 64, 2048));
  const int panel = args.Int("panel", 1, 1, 3);
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  // Each panel has a sky of its own colour, so that a glance at one pixel tells them apart.
  static const uint32_t skies[3][2] = {
      {0xf6b26b, 0xc0504d}, {0x6fb7b7, 0x24506f}, {0x8e7cc3, 0x2b1d4a}};
  // The match's story has skies of its own, so that its panels never pass for the final's.
  static const uint32_t matchSkies[3][2] = {
      {0xfbe3a1, 0xd98c3a}, {0x9fd3e8, 0x3a7ca5}, {0xf7c6d0, 0x9c4f6b}};
  const bool match = args.Choice("story", {"final", "match"}) == "match";
  const uint32_t* sky = match ? matchSkies[panel - 1] : skies[panel - 1];
  c.Fill(Linear(0, 0, Hex(sky[0]), 0, h, Hex(sky[1])));
  const float ground = h * 0.72f;
  c.FillShape(RoundRect(-10, ground, w + 10, h + 10, 0),
              Solid(Hex(match && panel == 2 ? 0x24506f : 0x3b2a20)));
  if (match) {
    DrawMatchPanel(c, panel, w, h, ground);
  } else {
    switch (panel) {
      case 1:  // morning: the diary on a table by the window
        c.FillShape(RoundRect(w * 0.55f, h * 0.12f, w * 0.9f, h * 0.55f, 6), Solid(Hex(0xfff2cc)));
        c.FillShape(RoundRect(w * 0.2f, ground - h * 0.1f, w * 0.55f, ground, 4),
                    Solid(Hex(0x7b4a2a)));
        c.FillShape(RoundRect(w * 0.28f, ground - h * 0.17f, w * 0.45f, ground - h * 0.1f, 3),
                    Solid(Hex(0x8c1c13)));
        break;
      case 2:  // afternoon: two cups and a lamp
        c.FillShape(Circle(w * 0.3f, ground - h * 0.06f, h * 0.06f), Solid(Hex(0xf4f1ea)));
        c.FillShape(Circle(w * 0.45f, ground - h * 0.06f, h * 0.06f), Solid(Hex(0xf4f1ea)));
        c.FillShape(Capsule(w * 0.75f, ground, w * 0.75f, h * 0.3f, 4), Solid(Hex(0x222222)));
        c.FillShape(Polygon({w * 0.68f, h * 0.3f, w * 0.82f, h * 0.3f, w * 0.78f, h * 0.18f,
                             w * 0.72f, h * 0.18f}),
                    Solid(Hex(0xffe066)));
        break;
      default:  // night: an open door and the moon
        c.FillShape(Circle(w * 0.8f, h * 0.2f, h * 0.08f), Solid(Hex(0xfdf6d8)));
        c.FillShape(RoundRect(w * 0.35f, h * 0.25f, w * 0.55f, ground, 3), Solid(Hex(0xffd27a)));
        c.FillShape(Polygon({w * 0.35f, h * 0.25f, w * 0.42f, h * 0.3f, w * 0.42f, ground + 6,
                             w * 0.35f, ground}),
                    Solid(Hex(0x5a3a22)));
        break;
    }
  }
  // The frame: ink outline inside a paper margin.
  const Shape inside = RoundRect(10, 10, w - 10, h - 10, 6);
  c.FillShape(Subtract(RoundRect(-1, -1, w + 1, h + 1, 0), Grow(inside, 4)), Solid(Hex(0xf7f3e8)));
  c.FillShape(Subtract(Grow(inside, 4), inside), Solid(Hex(0x1a1a1a)));
  return c;
}

}  // namespace assetgen
