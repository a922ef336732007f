// The pieces of the controls: check boxes, the track bar's groove and knob, frames behind
// edit fields and lists, the list's arrow buttons, and the pages of the rules. Every piece
// has soft edges (partial alpha) and a transparent surround where it is not rectangular.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/assetgen/Fonts.h"
#include "tools/assetgen/Pictures.h"

namespace assetgen {

namespace {

Rgba Hex(uint32_t rgb, float alpha = 1) {
  return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, alpha};
}

Rgba Grey(Rgba c) {
  const float v = 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
  return {v, v, v, c.a};
}

// A text value of a source line: "_" stands for a blank, "|" ends a line.
std::vector<std::string> Lines(std::string text) {
  std::replace(text.begin(), text.end(), '_', ' ');
  std::vector<std::string> lines;
  size_t start = 0;
  while (true) {
    size_t bar = text.find('|', start);
    lines.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return lines;
}

}  // namespace

Canvas CheckBoxPicture(const AssetArgs& args) {
  const int size = args.Int("size", 32, 12, 256);
  const std::string state = args.Choice("state", {"normal", "selected", "disabled"});
  const bool checked = args.Flag("checked", false);
  Rgba colour = args.Colour("color", Hex(0xf4ead2));
  Rgba mark = args.Colour("mark_color", Hex(0x2f8f3a));
  Canvas c(size, size);
  const float s = static_cast<float>(size), u = s / 32;
  const Shape box = RoundRect(5 * u, 5 * u, s - 5 * u, s - 5 * u, 5 * u);
  if (state == "selected") c.FillShape(Grow(box, 3 * u), Solid(Hex(0xffe066, 0.9f)), 4 * u);
  if (state == "disabled") {
    colour = Fade(Grey(colour), 0.7f);
    mark = Fade(Grey(mark), 0.7f);
  }
  c.FillShape(Offset(box, 0, 1.5f * u), Solid(Hex(0, 0.35f)), 3 * u);
  c.FillShape(Grow(box, 1.5f * u), Solid(Shade(colour, 0.35f)));
  c.FillShape(box, Linear(0, 5 * u, Shade(colour, 1.1f), 0, s - 5 * u, Shade(colour, 0.8f)));
  if (checked) {
    // A tick: a short stroke down, a long one up.
    const Shape tick = Union(Capsule(10 * u, 16 * u, 14.5f * u, 21.5f * u, 2.4f * u),
                             Capsule(14.5f * u, 21.5f * u, 23 * u, 9.5f * u, 2.4f * u));
    c.FillShape(Offset(tick, 0.8f * u, 1.2f * u), Solid(Hex(0, 0.3f)), 1.5f * u);
    c.FillShape(tick, Linear(0, 9 * u, Shade(mark, 1.3f), 0, 22 * u, mark));
  }
  return c;
}

Canvas SliderPicture(const AssetArgs& args) {
  const std::string style = args.Choice("style", {"knob", "track"});
  const bool knob = style == "knob";
  Canvas c(args.Int("w", knob ? 20 : 320, 8, 2048), args.Int("h", 36, 8, 512));
  const std::string state = args.Choice("state", {"normal", "pressed"});
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  if (!knob) {
    // A groove across the middle, lit from above.
    const float r = std::max(3.0f, h * 0.14f);
    const Shape groove = Capsule(r + 1, h / 2, w - r - 1, h / 2, r);
    c.FillShape(Grow(groove, 1), Solid(Hex(0xffffff, 0.35f)));
    c.FillShape(groove, Linear(0, h / 2 - r, Hex(0x1a1410), 0, h / 2 + r, Hex(0x4a3a2a)));
    return c;
  }
  Rgba colour = args.Colour("color", Hex(0xd9a441));
  if (state == "pressed") colour = Shade(colour, 1.25f);
  const Shape body = RoundRect(2, 2, w - 2, h - 3, std::min(w, h) * 0.3f);
  c.FillShape(Offset(body, 0, 1.5f), Solid(Hex(0, 0.4f)), 2.5f);
  c.FillShape(Grow(body, 1), Solid(Shade(colour, 0.4f)));
  c.FillShape(body, Linear(2, 0, Shade(colour, 1.3f), w - 2, 0, Shade(colour, 0.75f)));
  for (int i = -1; i <= 1; ++i) {
    const float y = h / 2 + i * h * 0.15f;
    c.FillShape(Capsule(w * 0.3f, y, w * 0.7f, y, 0.8f), Solid(Hex(0x3a2410, 0.6f)));
  }
  return c;
}

Canvas FramePicture(const AssetArgs& args) {
  Canvas c(args.Int("w", 320, 1, 2048), args.Int("h", 48, 1, 2048));
  const std::string style = args.Choice("style", {"edit", "list", "panel", "highlight", "caret"});
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  if (style == "caret") {
    c.FillShape(RoundRect(0, 0, w, h, 0.5f), Solid(args.Colour("color", Hex(0xffffff))));
    return c;
  }
  if (style == "highlight") {
    const Rgba colour = args.Colour("color", Hex(0xffe066, 0.45f));
    c.FillShape(RoundRect(2, 2, w - 2, h - 2, h * 0.3f), Solid(colour), 3);
    return c;
  }
  const float radius = std::min({w, h, 48.0f}) * (style == "edit" ? 0.3f : 0.12f);
  const Shape face = RoundRect(3, 3, w - 3, h - 4, radius);
  c.FillShape(Offset(face, 0, 2), Solid(Hex(0, 0.35f)), 4);
  if (style == "edit") {
    // Paper in a dark rim, with the shadow of the rim along its top.
    const Rgba paper = args.Colour("color", Hex(0xfbf4e2));
    c.FillShape(Grow(face, 1.5f), Solid(Hex(0x3a2a1a)));
    c.FillShape(face, Solid(paper));
    c.FillShape(Intersect(face, Offset(face, 0, 4)), Solid(Shade(paper, 0.96f)));
    return c;
  }
  // "list" and "panel": dark glass in a light rim. "part" keeps one layer of the two, so
  // that a control can lay its rim over its glass as pieces of its own.
  const std::string part = args.Choice("part", {"whole", "glass", "rim"});
  const Rgba glass =
      args.Colour("color", style == "list" ? Hex(0x101c2c, 0.82f) : Hex(0x14202e, 0.7f));
  const Rgba rim = Hex(0xe8d6a8, 0.9f);
  if (part == "rim") {
    c = Canvas(c.Width(), c.Height());  // without the shadow, which the glass carries
    c.FillShape(Subtract(Grow(face, 2), face), Solid(rim));
    return c;
  }
  if (part == "whole") c.FillShape(Grow(face, 2), Solid(rim));
  c.FillShape(face, Linear(0, 3, Shade(glass, 1.35f), 0, h, glass));
  return c;
}

// An arrow that points up, a shaft under a broad head, lit from its left: it is turned
// to point elsewhere.
Canvas PointerPicture(const AssetArgs& args) {
  Canvas c(args.Int("w", 32, 8, 512), args.Int("h", 48, 8, 512));
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  const Rgba colour = args.Colour("color", Hex(0xffd54a));
  const float m = w / 2, head = h * 0.45f, shaft = w * 0.16f;
  const Shape arrow = Union(Polygon({m, 2, w - 2, head, 2, head}),
                            RoundRect(m - shaft, head - 1, m + shaft, h - 2, shaft * 0.6f));
  c.FillShape(Grow(arrow, 1.5f), Solid(Hex(0x3a1c0a)));
  c.FillShape(arrow, Linear(2, 0, Shade(colour, 1.3f), w - 2, 0, Shade(colour, 0.8f)));
  return c;
}

Canvas ArrowPicture(const AssetArgs& args) {
  if (args.Choice("style", {"button", "pointer"}) == "pointer") return PointerPicture(args);
  const int size = args.Int("size", 32, 12, 256);
  const bool up = args.Choice("dir", {"up", "down"}) == "up";
  const std::string state = args.Choice("state", {"normal", "selected", "disabled"});
  Rgba colour = args.Colour("color", Hex(0x3b7dd8));
  Canvas c(size, size);
  const float s = static_cast<float>(size), m = s / 2;
  if (state == "selected") {
    colour = Shade(colour, 1.2f);
    c.FillShape(Circle(m, m, s * 0.46f), Solid(Hex(0xffe066)), 3);
  }
  if (state == "disabled") colour = Fade(Grey(colour), 0.6f);
  const Shape disc = Circle(m, m, s * 0.4f);
  c.FillShape(Offset(disc, 0, 1.5f), Solid(Hex(0, 0.35f)), 3);
  c.FillShape(Grow(disc, 1.2f), Solid(Shade(colour, 0.45f)));
  c.FillShape(disc, Linear(0, m - s * 0.4f, Shade(colour, 1.3f), 0, m + s * 0.4f, colour));
  const float d = up ? -1 : 1, t = s * 0.2f;
  const Shape arrow =
      Polygon({m - t, m - d * t * 0.5f, m + t, m - d * t * 0.5f, m, m + d * t * 0.8f});
  c.FillShape(arrow, Solid(Hex(0xffffff, state == "disabled" ? 0.5f : 0.95f)));
  return c;
}

Canvas PagePicture(const AssetArgs& args, const PictureContext& context) {
  Canvas c(args.Int("w", 600, 64, 2048), args.Int("h", 400, 64, 2048));
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());
  const std::string title = Lines(args.Text("title", "")).front();
  const std::vector<std::string> lines = Lines(args.Text("text", ""));
  const std::string bold = ResolveFont(args.Text("title_face", "DejaVuSans-Bold.ttf"), context);
  const std::string face = ResolveFont(args.Text("face", "DejaVuSans.ttf"), context);
  const int titleSize = args.Int("title_size", 34, 6, 200);
  const int size = args.Int("size", 24, 6, 200);
  const Rgba ink = args.Colour("color", Hex(0x3a2414));
  // Paper with a torn-looking deckle of two shades, on a soft shadow.
  const Shape sheet = RoundRect(6, 6, w - 8, h - 10, 10);
  c.FillShape(Offset(sheet, 3, 4), Solid(Hex(0, 0.35f)), 8);
  c.FillShape(Grow(sheet, 1.5f), Solid(Hex(0x8a6a40)));
  c.FillShape(sheet, Radial(w / 2, h / 2, std::max(w, h) * 0.7f, Hex(0xfff6dc), Hex(0xe8d2a0)));
  float y = 28;
  if (!title.empty()) {
    const Mask mask = RenderTextMask(bold, titleSize, title, 2);
    c.FillMask(mask, static_cast<int>((w - mask.width) / 2), static_cast<int>(y), Solid(ink));
    y += mask.height + 10;
    c.FillShape(Capsule(w * 0.2f, y, w * 0.8f, y, 1.2f), Solid(Fade(ink, 0.5f)));
    y += 18;
  }
  for (const std::string& line : lines) {
    if (!line.empty()) {
      const Mask mask = RenderTextMask(face, size, line, 2);
      c.FillMask(mask, 40, static_cast<int>(y), Solid(ink));
    }
    y += size * 1.45f;
  }
  return c;
}

}  // namespace assetgen
