#include <gtest/gtest.h>

#include <set>

#include "tests/tools/AssetGenTestSupport.h"
#include "tools/assetgen/AssetArgs.h"

namespace {

// Every object the sample game hides, at the size its scene gives it.
struct ItemCase {
  const char* name;
  int w, h;
};
const ItemCase kItems[] = {
    {"lantern", 48, 64},     {"oil_can", 44, 44},      {"teacup", 40, 32},
    {"teapot", 56, 44},      {"wick_spool", 36, 36},   {"sugar_tin", 40, 48},
    {"shell", 48, 40},       {"anchor_charm", 40, 52}, {"kettle", 56, 48},
    {"lamp_glass", 36, 52},  {"apple", 40, 40},        {"lamp_post", 28, 80},
    {"book_stack", 56, 44},  {"candle", 20, 56},       {"hour_hand", 56, 14},
    {"minute_hand", 12, 76}, {"vase", 64, 64},         {"portrait", 64, 64},
    {"candlestick", 64, 64}, {"thimble", 28, 28},      {"sewing_drawer", 80, 48},
    {"cellar_key", 40, 24},  {"oil_lamp", 36, 48},     {"doll", 28, 36},
    {"moth_doll", 28, 36},   {"gear", 60, 60},
};

DecodedImage Item(const std::vector<std::string>& words) {
  ScratchDir dir;
  std::vector<std::string> line{"i.png", "item"};
  line.insert(line.end(), words.begin(), words.end());
  return DecodePng(ReadBytes(Generate("image", dir.Path(), line)[0]));
}

DecodedImage Item(const ItemCase& c, const std::string& light = "day") {
  return Item({std::string("item=") + c.name, "w=" + std::to_string(c.w),
               "h=" + std::to_string(c.h), "light=" + light});
}

uint8_t Channel(const DecodedImage& image, int x, int y, int channel) {
  return image.rgba[(static_cast<size_t>(y) * image.width + x) * 4 + channel];
}

// Summed colour of a channel, weighted by alpha (what the picture shows over black).
double Shown(const DecodedImage& image, int channel) {
  double sum = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      sum += Channel(image, x, y, channel) * image.Alpha(x, y) / 255.0;
  return sum;
}

TEST(AssetGenItem, EveryObjectIsDrawnInsideItsPictureWithAClearSurround) {
  std::set<std::vector<uint8_t>> seen;
  for (const ItemCase& c : kItems) {
    SCOPED_TRACE(c.name);
    const DecodedImage image = Item(c);
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, c.w);
    EXPECT_EQ(image.height, c.h);
    EXPECT_EQ(image.channels, 4);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{c.w - 1, 0}, std::pair{0, c.h - 1},
                        std::pair{c.w - 1, c.h - 1}})
      EXPECT_EQ(image.Alpha(x, y), 0) << "corner " << x << "," << y;
    EXPECT_GT(CountAlpha(image).partial, 0u) << "anti-aliased edges";
    size_t solid = 0;  // glass is see-through, yet plain to see
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) solid += image.Alpha(x, y) >= 128;
    EXPECT_GT(solid, static_cast<size_t>(c.w * c.h / 8)) << "a body to click on";
    EXPECT_TRUE(seen.insert(image.rgba).second) << "drawn like another object";
  }
}

// The place's light: dim keeps every pixel's alpha (the object keeps its shape) but shows
// about half as bright, bluer; lamp light is warmer than day.
TEST(AssetGenItem, LightDimsOrWarmsButKeepsTheShape) {
  const ItemCase key{"cellar_key", 40, 24};
  const DecodedImage day = Item(key), dim = Item(key, "dim"), lamp = Item(key, "lamp");
  ASSERT_TRUE(day.ok && dim.ok && lamp.ok);
  for (int y = 0; y < day.height; ++y)
    for (int x = 0; x < day.width; ++x)
      ASSERT_EQ(dim.Alpha(x, y), day.Alpha(x, y)) << x << "," << y;
  for (int channel = 0; channel < 3; ++channel) {
    const double ratio = Shown(dim, channel) / Shown(day, channel);
    EXPECT_GT(ratio, 0.35) << "still visible, channel " << channel;
    EXPECT_LT(ratio, 0.7) << "dimmed, channel " << channel;
  }
  EXPECT_GT(Shown(dim, 2) / Shown(day, 2), Shown(dim, 0) / Shown(day, 0)) << "the dark is blue";
  EXPECT_LT(Shown(lamp, 2), Shown(day, 2) * 0.95) << "lamp light has less blue";
  EXPECT_GT(Shown(lamp, 0), Shown(day, 0) * 0.97);
}

// The clock face places the hands by their pictures: the hour hand's end is on the dial's
// pin at its right (it points left, to nine), the minute hand's at its bottom (it points up,
// to twelve).
TEST(AssetGenItem, ClockHandsEndOnThePin) {
  const DecodedImage hour = Item({"item=hour_hand", "w=56", "h=14"});
  const DecodedImage minute = Item({"item=minute_hand", "w=12", "h=76"});
  ASSERT_TRUE(hour.ok && minute.ok);
  EXPECT_GT(hour.Alpha(53, 7), 240) << "the end on the pin";
  EXPECT_EQ(hour.Alpha(30, 2), 0) << "the shaft, slim";
  EXPECT_GT(hour.Alpha(4, 7), 128) << "the tip reaches the left end";
  EXPECT_EQ(hour.Alpha(4, 2), 0) << "and is pointed";
  EXPECT_GT(minute.Alpha(6, 73), 240);
  EXPECT_GT(minute.Alpha(6, 4), 128);
  EXPECT_EQ(minute.Alpha(2, 4), 0);
}

// A doll is of the colour it is given.
TEST(AssetGenItem, DollsTakeTheirColour) {
  const DecodedImage rose = Item({"item=doll", "w=28", "h=36", "color=d94f7a"});
  const DecodedImage sky = Item({"item=doll", "w=28", "h=36", "color=4fa3d9"});
  ASSERT_TRUE(rose.ok && sky.ok);
  EXPECT_GT(Shown(rose, 0), Shown(rose, 2));
  EXPECT_GT(Shown(sky, 2), Shown(sky, 0));
}

TEST(AssetGenItem, LinesNamingNoObjectAreRefused) {
  const std::vector<std::string> cases[] = {
      {"a.png", "item"},                             // no object named
      {"a.png", "item", "item=spoon"},               // not an object we draw
      {"a.png", "item", "item=doll", "light=noon"},  // no such light
      {"a.png", "item", "item=doll", "w=4"},         // too small to draw it
  };
  for (const auto& words : cases) {
    SCOPED_TRACE(words.back());
    ScratchDir dir;
    EXPECT_THROW(Generate("image", dir.Path(), words), assetgen::AssetError);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  }
}

}  // namespace
