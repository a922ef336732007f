// The picture kind "item": a hidden object drawn by name ("item=teacup") at the size its scene
// gives it, outlined so that it stands out from its place, and lit as that place is lit
// ("light=day" outdoors, "lamp" indoors, "dim" in the dark).
#include "tools/assetgen/Items.h"

#include <cmath>

#include "tools/assetgen/Pictures.h"

namespace assetgen {

namespace {

using item::Hex;

struct ItemKind {
  const char* name;
  item::Drawing draw;
  uint32_t colour;  // when the line gives none
};

const ItemKind kItems[] = {
    {"lantern", item::Lantern, 0xe0a030},
    {"oil_can", item::OilCan, 0x7a8a96},
    {"wick_spool", item::WickSpool, 0xe8e0c8},
    {"lamp_glass", item::LampGlass, 0xcfe8f0},
    {"lamp_post", item::LampPost, 0x37474f},
    {"candle", item::Candle, 0xfff3e0},
    {"candlestick", item::Candlestick, 0xffd54f},
    {"oil_lamp", item::OilLamp, 0xe08030},
    {"teacup", item::Teacup, 0xd9534f},
    {"teapot", item::Teapot, 0x5b9bd5},
    {"kettle", item::Kettle, 0x455a64},
    {"sugar_tin", item::SugarTin, 0x4caf50},
    {"shell", item::Shell, 0xe8c4a0},
    {"anchor_charm", item::AnchorCharm, 0x607d8b},
    {"apple", item::Apple, 0xc62828},
    {"book_stack", item::BookStack, 0x8d6e63},
    {"gear", item::Gear, 0x9e9e9e},
    {"hour_hand", item::HourHand, 0x212121},
    {"minute_hand", item::MinuteHand, 0x424242},
    {"vase", item::Vase, 0x5c6bc0},
    {"portrait", item::Portrait, 0xa1887f},
    {"thimble", item::Thimble, 0xb0bec5},
    {"sewing_drawer", item::SewingDrawer, 0x6d4c41},
    {"cellar_key", item::CellarKey, 0xc8a040},
    {"doll", item::Doll, 0xd94f7a},
    {"moth_doll", item::MothDoll, 0x8e6bbf},
};

constexpr float kOutline = 1.3f;  // pixels round the drawing
constexpr int kMargin = 2;        // room the outline needs inside the picture

// A dark line round whatever is drawn: the drawing's alpha grown by kOutline, under it.
Canvas Outlined(const Canvas& art) {
  float reach[5][5];  // how much of a neighbour's alpha the line takes, by offset
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx)
      reach[dy + 2][dx + 2] =
          std::clamp(kOutline + 0.5f - std::hypot(float(dx), float(dy)), 0.0f, 1.0f);
  Canvas out(art.Width(), art.Height());
  const Rgba ink = Hex(0x1c140c, 0.9f);
  for (int y = 0; y < art.Height(); ++y)
    for (int x = 0; x < art.Width(); ++x) {
      float cover = 0;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
          cover = std::max(cover, art.Pixel(x + dx, y + dy).a * reach[dy + 2][dx + 2]);
      out.Blend(x, y, ink, cover);
    }
  out.Draw(art, 0, 0);
  return out;
}

// The place's light over the whole drawing; its alpha stays, so a dim object keeps its shape.
Canvas Lighted(const Canvas& art, const std::string& light) {
  if (light == "day") return Canvas(art);
  const Rgba tint = light == "dim" ? Rgba{0.5f, 0.52f, 0.64f, 1} : Rgba{1.0f, 0.95f, 0.84f, 1};
  Canvas out(art.Width(), art.Height());
  for (int y = 0; y < art.Height(); ++y)
    for (int x = 0; x < art.Width(); ++x) {
      const Rgba p = art.Pixel(x, y);
      out.Blend(x, y, {p.r * tint.r, p.g * tint.g, p.b * tint.b, p.a}, 1);
    }
  return out;
}

}  // namespace

Canvas ItemPicture(const AssetArgs& args) {
  std::vector<std::string> names;
  for (const ItemKind& k : kItems) names.push_back(k.name);
  if (!args.Has("item")) throw AssetError("'item' must name the object to draw");
  const std::string name = args.Choice("item", names);
  const ItemKind* kind = nullptr;
  for (const ItemKind& k : kItems)
    if (name == k.name) kind = &k;
  Canvas art(args.Int("w", 48, 12, 512), args.Int("h", 48, 12, 512));
  const Rgba colour = args.Colour("color", Hex(kind->colour));
  const std::string light = args.Choice("light", {"day", "lamp", "dim"});
  const item::Frame frame{kMargin, kMargin, static_cast<float>(art.Width() - 2 * kMargin),
                          static_cast<float>(art.Height() - 2 * kMargin)};
  kind->draw(art, frame, colour);
  return Lighted(Outlined(art), light);
}

}  // namespace assetgen
