// Small pictures with partial alpha: a logo, objects to find, an animation strip, the
// mouse cursor and button faces. Edges are anti-aliased or soft, so every one of them has
// alpha values between 0 and 255.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/Fonts.h"
#include "tools/assetgen/Pictures.h"

namespace assetgen {

namespace {

constexpr float kPi = 3.14159265f;

Rgba Hex(uint32_t rgb, float alpha = 1) {
  return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, alpha};
}

Rgba Grey(Rgba c) {
  const float v = 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
  return {v, v, v, c.a};
}

// Draws `shape` with a soft drop shadow, a darker rim and a top-to-bottom shaded fill.
void Embossed(Canvas& c, const Shape& shape, Rgba colour, float rim, float shadow) {
  const float top = shape.bounds.y0, bottom = shape.bounds.y1;
  if (shadow > 0)
    c.FillShape(Offset(Grow(shape, rim), shadow * 0.6f, shadow), Solid(Hex(0, 0.35f)),
                shadow * 1.5f);
  if (rim > 0) c.FillShape(Grow(shape, rim), Solid(Shade(colour, 0.45f)));
  c.FillShape(shape, Linear(0, top, Shade(colour, 1.3f), 0, bottom, Shade(colour, 0.75f)));
}

// The emblem: a magnifying glass of radius r around (cx, cy) over a sparkle, its handle
// to the lower right; the rim runs from colour at the top to colour2 at the bottom.
void Emblem(Canvas& c, float cx, float cy, float r, Rgba colour, Rgba colour2) {
  c.FillShape(
      Offset(Capsule(cx + r * 0.7f, cy + r * 0.7f, cx + r * 1.45f, cy + r * 1.45f, r * 0.16f), 3,
             4),
      Solid(Hex(0, 0.35f)), 5);
  c.FillShape(Offset(Circle(cx, cy, r * 1.12f), 3, 4), Solid(Hex(0, 0.35f)), 6);
  c.FillShape(Capsule(cx + r * 0.7f, cy + r * 0.7f, cx + r * 1.45f, cy + r * 1.45f, r * 0.16f),
              Linear(cx, cy, Hex(0x8a4b1f), cx + r * 1.5f, cy + r * 1.5f, Hex(0x4a2510)));
  c.FillShape(Circle(cx, cy, r), Radial(cx - r * 0.3f, cy - r * 0.3f, r * 1.4f,
                                        Hex(0xd8f0ff, 0.55f), Hex(0x6aa8d8, 0.35f)));
  c.FillShape(Star(cx, cy, r * 0.55f, r * 0.16f, 4, 0), Solid(Hex(0xfff4c0, 0.9f)));
  c.FillShape(Subtract(Circle(cx, cy, r * 1.12f), Circle(cx, cy, r)),
              Linear(cx, cy - r, Shade(colour, 1.2f), cx, cy + r, colour2));
  c.FillShape(Ellipse(cx - r * 0.35f, cy - r * 0.45f, r * 0.28f, r * 0.13f),
              Solid(Hex(0xffffff, 0.6f)), 3);
}

}  // namespace

Canvas LogoPicture(const AssetArgs& args, const PictureContext& context) {
  Canvas c(args.Int("w", 512, 64, 2048), args.Int("h", 192, 32, 1024));
  std::string text = args.Text("text", "Tavelor");
  std::replace(text.begin(), text.end(), '_', ' ');  // a source line has no blanks in a value
  const std::string face = ResolveFont(args.Text("face", "DejaVuSans-Bold.ttf"), context);
  const Rgba colour = args.Colour("color", Hex(0xffd54a));
  const Rgba colour2 = args.Colour("color2", Hex(0xe0701a));
  const Rgba outline = args.Colour("outline_color", Hex(0x3a1c0a));
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());

  // The emblem, the game's whole idea in one picture.
  const float r = h * 0.3f, cx = h * 0.45f, cy = h * 0.42f;
  Emblem(c, cx, cy, r, colour, colour2);

  // The name, as large as fits to the right of the emblem.
  const int pad = std::max(2, static_cast<int>(h / 40));
  const float room = w - (cx + r * 1.5f) - 8;
  int size = static_cast<int>(h * 0.42f);
  Mask mask = RenderTextMask(face, size, text, pad);
  if (mask.width > room) {  // shrink in proportion, then by steps for the last pixels
    size = std::max(6, static_cast<int>(size * std::max(room, 0.0f) / mask.width));
    mask = RenderTextMask(face, size, text, pad);
    for (int tries = 0; tries < 8 && mask.width > room && size > 6; ++tries)
      mask = RenderTextMask(face, --size, text, pad);
  }
  const Mask rim = Dilate(mask, static_cast<float>(pad));
  const int tx = static_cast<int>(cx + r * 1.5f) + 4, ty = static_cast<int>((h - mask.height) / 2);
  c.FillMask(rim, tx + pad, ty + pad + 1, Solid(Hex(0, 0.4f)));
  c.FillMask(rim, tx, ty, Solid(outline));
  c.FillMask(
      mask, tx, ty,
      Linear(0, static_cast<float>(ty), colour, 0, static_cast<float>(ty + mask.height), colour2));
  return c;
}

// The program's icon: the logo's emblem on a tile of the title screen's colours.
Canvas IconPicture(const AssetArgs& args) {
  const int size = args.Int("size", 128, 16, 1024);
  Canvas c(size, size);
  const float s = static_cast<float>(size);
  c.FillShape(RoundRect(s * 0.03f, s * 0.03f, s * 0.97f, s * 0.97f, s * 0.18f),
              Linear(0, 0, Hex(0x1b2a4a), 0, s, Hex(0xe08a5a)));
  Emblem(c, s * 0.42f, s * 0.42f, s * 0.25f, Hex(0xffd54a), Hex(0xe0701a));
  return c;
}

Canvas OrbPicture(const AssetArgs& args) {
  const int size = args.Int("size", 64, 8, 1024);
  const Rgba colour = args.Colour("color", Hex(0x6ec6ff));
  Canvas c(size, size);
  const float s = static_cast<float>(size), m = s / 2;
  c.FillShape(Circle(m, m, s * 0.32f), Solid(Fade(colour, 0.55f)), s * 0.3f);
  c.FillShape(Circle(m, m, s * 0.3f),
              Radial(m - s * 0.08f, m - s * 0.08f, s * 0.34f, Shade(colour, 1.7f), colour),
              s * 0.04f);
  c.FillShape(Ellipse(m - s * 0.09f, m - s * 0.12f, s * 0.1f, s * 0.06f),
              Solid(Hex(0xffffff, 0.7f)), s * 0.05f);
  return c;
}

Canvas StarPicture(const AssetArgs& args) {
  const int size = args.Int("size", 64, 8, 1024);
  const int points = args.Int("points", 5, 3, 12);
  const Rgba colour = args.Colour("color", Hex(0xffd54a));
  Canvas c(size, size);
  const float s = static_cast<float>(size), m = s / 2;
  c.FillShape(Circle(m, m, s * 0.3f), Solid(Fade(colour, 0.45f)), s * 0.35f);
  const Shape star = Star(m, m + s * 0.02f, s * 0.4f, s * 0.18f, points, 0);
  c.FillShape(Grow(star, s * 0.025f), Solid(Shade(colour, 0.5f)));
  c.FillShape(star,
              Linear(0, m - s * 0.4f, Shade(colour, 1.4f), 0, m + s * 0.4f, Shade(colour, 0.8f)));
  c.FillShape(Intersect(star, Circle(m - s * 0.1f, m - s * 0.12f, s * 0.14f)),
              Solid(Hex(0xffffff, 0.35f)), s * 0.08f);
  return c;
}

Canvas KeyPicture(const AssetArgs& args) {
  Canvas c(args.Int("w", 96, 16, 1024), args.Int("h", 48, 8, 1024));
  const Rgba colour = args.Colour("color", Hex(0xe0b040));
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  const float u = h / 48;  // drawn for a 96 x 48 key
  const float bx = 22 * u, by = 22 * u;
  Shape key = Subtract(Circle(bx, by, 17 * u), Circle(bx, by, 8 * u));
  key = Union(std::move(key), RoundRect(36 * u, 18 * u, w - 6 * u, 26 * u, 2 * u));
  key = Union(std::move(key), RoundRect(w - 22 * u, 24 * u, w - 16 * u, 36 * u, 1 * u));
  key = Union(std::move(key), RoundRect(w - 13 * u, 24 * u, w - 6 * u, 33 * u, 1 * u));
  Embossed(c, key, colour, 1.3f * u, 3 * u);
  c.FillShape(Capsule(40 * u, 19.5f * u, w - 10 * u, 19.5f * u, 0.8f * u),
              Solid(Hex(0xffffff, 0.55f)));
  c.FillShape(Subtract(Circle(bx, by, 15 * u), Circle(bx + 2 * u, by + 2 * u, 14 * u)),
              Solid(Hex(0xffffff, 0.5f)));
  return c;
}

Canvas CupPicture(const AssetArgs& args) {
  const int size = args.Int("size", 80, 16, 1024);
  const Rgba colour = args.Colour("color", Hex(0xd9534f));
  Canvas c(size, size);
  const float u = size / 80.0f;
  auto P = [u](float v) { return v * u; };
  // Steam first, so the cup stands in front of it.
  for (int k = 0; k < 2; ++k) {
    const float x0 = P(33 + k * 12);
    for (int i = 0; i < 6; ++i) {
      const float y0 = P(22 - i * 3.2f), y1 = P(22 - (i + 1) * 3.2f);
      const float a = x0 + std::sin(i * 1.1f + k) * P(3),
                  b = x0 + std::sin((i + 1) * 1.1f + k) * P(3);
      c.FillShape(Capsule(a, y0, b, y1, P(1.6f)), Solid(Hex(0xffffff, 0.35f - i * 0.05f)), P(2));
    }
  }
  c.FillShape(Ellipse(P(41), P(72), P(35), P(7)), Solid(Hex(0, 0.3f)), P(4));
  c.FillShape(Ellipse(P(40), P(69), P(34), P(7)),
              Linear(0, P(62), Hex(0xf4f1ea), 0, P(76), Hex(0xb8b2a6)));
  c.FillShape(Ellipse(P(40), P(67), P(22), P(4)), Solid(Hex(0xd8d2c6)));
  const Shape handle =
      Subtract(Ellipse(P(61), P(44), P(12), P(11)), Ellipse(P(61), P(44), P(6), P(6)));
  c.FillShape(Grow(handle, P(1)), Solid(Shade(colour, 0.45f)));
  c.FillShape(handle, Solid(Shade(colour, 0.9f)));
  const Shape body = Union(Polygon({P(17), P(30), P(63), P(30), P(57), P(60), P(23), P(60)}),
                           Ellipse(P(40), P(60), P(17), P(6)));
  c.FillShape(Grow(body, P(1)), Solid(Shade(colour, 0.45f)));
  c.FillShape(body, Linear(P(17), 0, Shade(colour, 1.25f), P(63), 0, Shade(colour, 0.7f)));
  c.FillShape(Ellipse(P(40), P(30), P(23), P(5.5f)), Solid(Shade(colour, 1.3f)));
  c.FillShape(Ellipse(P(40), P(30.5f), P(20), P(4)), Solid(Hex(0x4a2a14)));
  c.FillShape(Capsule(P(24), P(36), P(27), P(54), P(1.6f)), Solid(Hex(0xffffff, 0.45f)), P(2));
  return c;
}

// A thing to hide in a scene: one shape of w x h in a colour, embossed, opaque at its
// centre (clicks are judged by alpha) and soft at its edge. "frame" is a framed panel
// that fills its whole size, the background of an approach.
Canvas ObjectPicture(const AssetArgs& args) {
  Canvas c(args.Int("w", 48, 4, 1024), args.Int("h", 48, 4, 1024));
  const std::string shape = args.Choice("shape", {"round", "box", "tall", "frame"});
  const Rgba colour = args.Colour("color", Hex(0x9a6b3c));
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  const float m = std::min(w, h);
  const float rim = std::max(1.0f, m * 0.04f);
  const float inset = rim + 1;
  if (shape == "frame") {
    c.Fill(Solid(Shade(colour, 0.6f)));
    const float border = m * 0.06f;
    c.FillShape(RoundRect(border, border, w - border, h - border, m * 0.02f),
                Linear(0, border, Shade(colour, 1.35f), 0, h - border, Shade(colour, 1.05f)));
    return c;
  }
  Shape body = Ellipse(w / 2, h / 2, w / 2 - inset, h / 2 - inset);
  if (shape == "box") body = RoundRect(inset, inset, w - inset, h - inset, m * 0.12f);
  if (shape == "tall") {
    const float r = std::max(1.0f, std::min(w / 2 - inset, h / 4));
    body = Capsule(w / 2, inset + r, w / 2, h - inset - r, r);
  }
  Embossed(c, body, colour, rim * 0.7f, 0);
  c.FillShape(Ellipse(w * 0.4f, h * 0.3f, w * 0.14f, h * 0.08f), Solid(Hex(0xffffff, 0.45f)),
              m * 0.06f);
  return c;
}

// A participant's portrait: head and shoulders in "color" against "back", in a frame; "hair"
// tells the people apart at a glance (short, long or a cap).
Canvas PortraitPicture(const AssetArgs& args) {
  const int size = args.Int("size", 96, 16, 1024);
  const Rgba colour = args.Colour("color", Hex(0x5b9bd5));
  const Rgba back = args.Colour("back", Hex(0xf3e6c8));
  const Rgba skin = args.Colour("skin", Hex(0xe8b894));
  const std::string hair = args.Choice("hair", {"short", "long", "cap"});
  Canvas c(size, size);
  const float s = static_cast<float>(size);
  c.Fill(Solid(Shade(back, 0.6f)));
  c.FillShape(RoundRect(s * 0.05f, s * 0.05f, s * 0.95f, s * 0.95f, s * 0.04f),
              Linear(0, 0, Shade(back, 1.1f), 0, s, back));
  const float hx = s / 2, hy = s * 0.4f, hr = s * 0.17f;
  const Rgba hairColour = Shade(colour, 0.45f);
  if (hair == "long")
    c.FillShape(
        RoundRect(hx - hr * 1.3f, hy - hr * 1.2f, hx + hr * 1.3f, hy + hr * 0.8f, hr * 0.6f),
        Solid(hairColour));
  Embossed(c, Ellipse(hx, s * 0.95f, s * 0.32f, s * 0.24f), colour, s * 0.01f, 0);
  c.FillShape(Circle(hx, hy, hr), Solid(skin));
  if (hair == "cap")
    c.FillShape(
        RoundRect(hx - hr * 1.2f, hy - hr * 1.25f, hx + hr * 1.4f, hy - hr * 0.35f, hr * 0.3f),
        Solid(hairColour));
  else
    c.FillShape(Ellipse(hx, hy - hr * 0.75f, hr * 1.05f, hr * 0.5f), Solid(hairColour));
  return c;
}

// A pipe tile's layer: a tube from the centre to each side whose mark in "sides" is 1,
// sides counter-clockwise from the top: up, left, down, right, as the sample counts a
// pipe tile's sides.
Canvas PipePicture(const AssetArgs& args) {
  const int size = args.Int("size", 100, 8, 1024);
  Canvas c(size, size);
  const std::string sides = args.Text("sides", "1010");
  const Rgba colour = args.Colour("color", Hex(0x7a8a96));
  const float m = static_cast<float>(size), centre = m / 2, r = m * 0.13f;
  const float ends[4][2] = {{centre, 0}, {0, centre}, {centre, m}, {m, centre}};
  for (size_t i = 0; i < 4 && i < sides.size(); ++i)
    if (sides[i] == '1')
      Embossed(c, Capsule(centre, centre, ends[i][0], ends[i][1], r), colour, r * 0.25f, 0);
  Embossed(c, Ellipse(centre, centre, r * 1.3f, r * 1.3f), colour, r * 0.25f, 0);
  return c;
}

Canvas StripPicture(const AssetArgs& args) {
  const int fw = args.Int("w", 64, 4, 1024), fh = args.Int("h", 64, 4, 1024);
  const int frames = args.Int("frames", 8, 1, 256);
  const int columns = args.Int("columns", std::min(frames, 4), 1, 256);
  const std::string style = args.Choice("style", {"sparkle", "spinner"});
  const Rgba colour = args.Colour("color", Hex(0xffe066));
  const int rows = (frames + columns - 1) / columns;
  if (static_cast<long>(fw) * columns > 8192 || static_cast<long>(fh) * rows > 8192)
    throw AssetError("the strip would be larger than 8192 pixels");
  Canvas c(fw * columns, fh * rows);
  const float s = static_cast<float>(std::min(fw, fh));
  for (int i = 0; i < frames; ++i) {
    const float phase = static_cast<float>(i) / frames;
    const float cx = (i % columns) * fw + fw / 2.0f, cy = (i / columns) * fh + fh / 2.0f;
    if (style == "sparkle") {
      const float grow = 0.55f + 0.45f * std::sin(phase * kPi);
      c.FillShape(Circle(cx, cy, s * 0.18f * grow), Solid(Fade(colour, 0.5f)), s * 0.25f);
      c.FillShape(Star(cx, cy, s * 0.46f * grow, s * 0.08f, 4, phase * kPi / 2),
                  Radial(cx, cy, s * 0.46f * grow, Hex(0xffffff), Fade(colour, 0.6f)));
    } else {
      for (int k = 0; k < 8; ++k) {
        const float a = k * kPi / 4;
        const float age = std::fmod(phase * 8 - k + 16, 8.0f) / 8;  // the newest dot is brightest
        c.FillShape(Circle(cx + std::cos(a) * s * 0.32f, cy + std::sin(a) * s * 0.32f, s * 0.08f),
                    Solid(Fade(colour, 1 - 0.85f * age)));
      }
    }
  }
  return c;
}

Canvas CursorPicture(const AssetArgs& args) {
  const int size = args.Int("size", 32, 16, 256);
  const bool pressed = args.Choice("state", {"normal", "pressed"}) == "pressed";
  Canvas c(size, size);
  const float u = size / 32.0f;
  // The tip sits at (2, 2): the cursor's hot spot.
  const Shape arrow = Polygon({2 * u, 2 * u, 2 * u, 24 * u, 7.5f * u, 19 * u, 11.5f * u, 28 * u,
                               15.5f * u, 26.2f * u, 11.6f * u, 17.6f * u, 18.6f * u, 17.6f * u});
  const float drop = pressed ? 1 : 2.5f;
  c.FillShape(Offset(arrow, drop * u, drop * u), Solid(Hex(0, 0.4f)), 2.5f * u);
  c.FillShape(Grow(arrow, 1.1f * u), Solid(Hex(0x101010)));
  const Rgba top = pressed ? Hex(0xffe9a0) : Hex(0xffffff);
  const Rgba bottom = pressed ? Hex(0xe0b040) : Hex(0xc8d0dc);
  c.FillShape(arrow, Linear(0, 2 * u, top, 0, 28 * u, bottom));
  return c;
}

Canvas ButtonPicture(const AssetArgs& args) {
  Canvas c(args.Int("w", 200, 16, 2048), args.Int("h", 56, 12, 1024));
  const std::string state = args.Choice("state", {"normal", "selected", "disabled", "chosen"});
  Rgba colour = args.Colour("color", Hex(0x3b7dd8));
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  const float radius = (h - 16) * 0.35f;
  // Margins leave room for the glow of the selected state, so all states line up.
  const Shape face = RoundRect(7, 6, w - 7, h - 10, radius);
  if (state == "selected") {
    colour = Shade(colour, 1.15f);
    c.FillShape(Grow(face, 4), Solid(Hex(0xffe066)), 5);
  }
  // The option a player has chosen: a button that cannot be pressed again, yet must read
  // as the live choice, not as greyed out; warm and ringed, unlike both other states.
  if (state == "chosen") {
    colour = args.Colour("chosen_color", Hex(0xd88a1c));
    c.FillShape(Grow(face, 4), Solid(Hex(0xfff2b0)), 2);
  }
  if (state == "disabled") colour = Fade(Grey(colour), 0.75f);
  c.FillShape(Offset(face, 0, 3), Solid(Hex(0, state == "disabled" ? 0.2f : 0.4f)), 6);
  c.FillShape(Grow(face, 1.5f), Solid(Shade(colour, 0.45f)));
  c.FillShape(face, Linear(0, 6, Shade(colour, 1.3f), 0, h - 10, Shade(colour, 0.75f)));
  c.FillShape(RoundRect(12, 8, w - 12, h / 2 - 2, radius * 0.8f),
              Linear(0, 8, Hex(0xffffff, state == "disabled" ? 0.15f : 0.35f), 0, h / 2,
                     Hex(0xffffff, 0.05f)));
  return c;
}

}  // namespace assetgen
