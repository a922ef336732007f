#include <gtest/gtest.h>

#include "tests/tools/AssetGenTestSupport.h"
#include "tools/assetgen/AssetArgs.h"

namespace {

using assetgen::AssetError;

// Every picture kind, small where the kind allows, with the size its file must have.
struct PictureCase {
  std::vector<std::string> words;
  int width, height;
  bool sprite;  // partial alpha expected (else an opaque RGB picture)
};

const PictureCase kPictures[] = {
    {{"a.png", "gradient", "w=64", "h=48"}, 64, 48, false},
    {{"a.png", "gradient", "w=64", "h=48", "style=radial"}, 64, 48, false},
    {{"a.png", "pattern", "w=80", "h=60", "style=dots", "cell=16"}, 80, 60, false},
    {{"a.png", "pattern", "w=80", "h=60", "style=waves", "cell=16"}, 80, 60, false},
    {{"a.png", "shapes", "w=96", "h=72", "count=12"}, 96, 72, false},
    {{"a.png", "room", "w=256", "h=192"}, 256, 192, false},
    {{"a.png", "nightsky", "w=256", "h=192", "stars=50"}, 256, 192, false},
    {{"a.png", "logo", "w=256", "h=96", "text=Sample_Game"}, 256, 96, true},
    {{"a.png", "orb", "size=32"}, 32, 32, true},
    {{"a.png", "star", "size=40", "points=6"}, 40, 40, true},
    {{"a.png", "key"}, 96, 48, true},
    {{"a.png", "cup", "size=48"}, 48, 48, true},
    {{"a.png", "strip", "w=16", "h=20", "frames=6", "columns=4"}, 64, 40, true},
    {{"a.png", "strip", "style=spinner", "w=16", "h=16", "frames=3", "columns=3"}, 48, 16, true},
    {{"a.png", "cursor", "state=pressed"}, 32, 32, true},
    {{"a.png", "button", "w=120", "h=40", "state=selected"}, 120, 40, true},
    {{"a.png", "button", "w=120", "h=40", "state=disabled"}, 120, 40, true},
    {{"a.png", "checkbox", "size=24", "state=selected", "checked=yes"}, 24, 24, true},
    {{"a.png", "checkbox", "state=disabled"}, 32, 32, true},
    {{"a.png", "slider", "style=track", "w=100", "h=20"}, 100, 20, true},
    {{"a.png", "slider", "style=knob", "state=pressed"}, 20, 36, true},
    {{"a.png", "frame", "style=edit", "w=120", "h=40"}, 120, 40, true},
    {{"a.png", "frame", "style=list", "w=80", "h=60"}, 80, 60, true},
    {{"a.png", "frame", "style=highlight", "w=80", "h=20"}, 80, 20, true},
    {{"a.png", "arrow", "dir=down", "state=selected"}, 32, 32, true},
    {{"a.png", "arrow", "style=pointer", "w=24", "h=40"}, 24, 40, true},
    {{"a.png", "frame", "style=panel", "part=glass", "w=60", "h=24"}, 60, 24, true},
    {{"a.png", "frame", "style=panel", "part=rim", "w=60", "h=24"}, 60, 24, true},
    {{"a.png", "page", "w=200", "h=120", "title=One", "text=a_b|c", "size=12"}, 200, 120, true},
    {{"a.png", "object", "w=40", "h=30"}, 40, 30, true},
    {{"a.png", "object", "w=20", "h=60", "shape=tall"}, 20, 60, true},
    {{"a.png", "object", "w=90", "h=20", "shape=box", "color=4caf50"}, 90, 20, true},
    {{"a.png", "object", "w=60", "h=44", "shape=frame"}, 60, 44, false},
    {{"a.png", "pipe", "size=40", "sides=1001"}, 40, 40, true},
    {{"a.png", "gull", "style=flap", "frames=3"}, 192, 48, true},
    {{"a.png", "gull", "style=look", "w=32", "h=24", "frames=2"}, 64, 24, true},
    {{"a.png", "comic", "w=120", "h=80", "panel=3"}, 120, 80, false},
    {{"a.png", "comic", "w=120", "h=80", "panel=2", "story=match"}, 120, 80, false},
    {{"a.png", "portrait", "size=48", "hair=cap"}, 48, 48, false},
    {{"a.png", "door", "size=24"}, 48, 24, true},
    {{"a.png", "door", "size=24", "frames=1"}, 24, 24, true},
    {{"a.png", "clock", "size=40"}, 40, 40, true},
    {{"a.png", "item", "item=teapot", "w=56", "h=44"}, 56, 44, true},
    {{"a.png", "item", "item=doll", "w=28", "h=36", "color=4fa3d9", "light=dim"}, 28, 36, true},
};

TEST(AssetGenImage, EveryPictureDecodesToItsSizeAndAlpha) {
  for (const PictureCase& c : kPictures) {
    SCOPED_TRACE(c.words[1] + " " + (c.words.size() > 2 ? c.words.back() : ""));
    ScratchDir dir;
    const std::vector<std::string> written = Generate("image", dir.Path(), c.words);
    ASSERT_EQ(written, std::vector<std::string>{dir.File("a.png")});
    const DecodedImage image = DecodePng(ReadBytes(written[0]));
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    const AlphaCounts alpha = CountAlpha(image);
    if (c.sprite) {
      EXPECT_EQ(image.channels, 4);
      EXPECT_GT(alpha.partial, 0u) << "soft or anti-aliased edges";
      EXPECT_GT(alpha.clear, 0u) << "a sprite has a transparent surround";
      EXPECT_GT(alpha.opaque + alpha.partial, alpha.partial / 2) << "and something to see";
    } else {
      EXPECT_EQ(image.channels, 3) << "an opaque picture is stored without alpha";
    }
  }
}

TEST(AssetGenImage, CursorTipIsItsHotSpot) {
  ScratchDir dir;
  const DecodedImage cursor =
      DecodePng(ReadBytes(Generate("image", dir.Path(), {"c.png", "cursor"})[0]));
  ASSERT_TRUE(cursor.ok);
  EXPECT_GT(cursor.Alpha(2, 2), 128) << "the arrow's tip covers the hot spot (2, 2)";
  EXPECT_EQ(cursor.Alpha(30, 2), 0) << "top right is outside the arrow";
}

// A radial gradient given a radius holds its outer colour beyond it: the middles of the
// edges are as dark as the corners, and the centre is clear.
TEST(AssetGenImage, RadialGradientHoldsItsOuterColourBeyondItsRadius) {
  ScratchDir dir;
  const DecodedImage hole = DecodePng(ReadBytes(Generate(
      "image", dir.Path(),
      {"h.png", "gradient", "style=radial", "w=64", "h=64", "radius=30", "top=00000000",
       "bottom=000000f0"})[0]));
  ASSERT_TRUE(hole.ok);
  EXPECT_LT(hole.Alpha(32, 32), 8);
  for (auto [x, y] : {std::pair{0, 32}, std::pair{32, 0}, std::pair{63, 32}, std::pair{0, 0}})
    EXPECT_NEAR(hole.Alpha(x, y), 0xf0, 2) << x << "," << y;
  EXPECT_NEAR(hole.Alpha(47, 32), 0x78, 8) << "half way out, half as dark";
  // With "inner", the inner colour holds out to it: a clear core, then the ramp.
  const DecodedImage core = DecodePng(ReadBytes(Generate(
      "image", dir.Path(),
      {"c.png", "gradient", "style=radial", "w=64", "h=64", "inner=10", "radius=30",
       "top=00000000", "bottom=000000f0"})[0]));
  ASSERT_TRUE(core.ok);
  EXPECT_EQ(core.Alpha(40, 32), 0) << "within the core";
  EXPECT_NEAR(core.Alpha(52, 32), 0x78, 8) << "half way from the core to the radius";
  EXPECT_NEAR(core.Alpha(63, 32), 0xf0, 2);
}

// The rim of a panel frame is its ring alone: clear inside, where the glass goes.
TEST(AssetGenImage, PanelRimIsClearInside) {
  ScratchDir dir;
  const DecodedImage rim = DecodePng(ReadBytes(Generate(
      "image", dir.Path(), {"r.png", "frame", "style=panel", "part=rim", "w=60", "h=24"})[0]));
  ASSERT_TRUE(rim.ok);
  EXPECT_EQ(rim.Alpha(30, 12), 0);
  EXPECT_GT(rim.Alpha(30, 2), 128) << "the rim along the top";
}

TEST(AssetGenImage, JpegAndJpngPair) {
  ScratchDir dir;
  const auto jpg =
      Generate("image", dir.Path(), {"photo.jpg", "room", "w=128", "h=96", "quality=80"});
  ASSERT_EQ(jpg, std::vector<std::string>{dir.File("photo.jpg")});
  const DecodedImage photo = DecodeJpeg(ReadBytes(jpg[0]));
  ASSERT_TRUE(photo.ok);
  EXPECT_EQ(photo.width, 128);
  EXPECT_EQ(photo.height, 96);
  EXPECT_EQ(photo.channels, 3) << "the image resource accepts 24-bit JPEGs only";

  // jpng: the resource names the PNG; the colour is the same name with ".jpg".
  const auto pair = Generate("image", dir.Path(), {"badge.jpng", "star", "size=48"});
  ASSERT_EQ(pair, (std::vector<std::string>{dir.File("badge.png"), dir.File("badge.jpg")}));
  const DecodedImage alpha = DecodePng(ReadBytes(pair[0]));
  const DecodedImage colour = DecodeJpeg(ReadBytes(pair[1]));
  ASSERT_TRUE(alpha.ok);
  ASSERT_TRUE(colour.ok);
  EXPECT_EQ(alpha.channels, 1) << "the alpha of a jpng is a greyscale PNG";
  EXPECT_EQ(colour.channels, 3);
  EXPECT_EQ(alpha.width, colour.width);
  EXPECT_EQ(alpha.height, colour.height);
  // Grey carries the alpha: the star's middle is opaque, its corners clear, edges between.
  EXPECT_EQ(alpha.rgba[(24 * 48 + 24) * 4], 255);
  EXPECT_EQ(alpha.rgba[0], 0);
  size_t partial = 0;
  for (size_t i = 0; i < alpha.rgba.size(); i += 4)
    partial += alpha.rgba[i] > 0 && alpha.rgba[i] < 255;
  EXPECT_GT(partial, 0u);
  // The colour under the star's soft edge is the star's, not black: no dark fringe.
  const size_t edge = (24 * 48 + 3) * 4;  // left of the glow, inside the bled border
  EXPECT_GT(colour.rgba[edge] + colour.rgba[edge + 1] + colour.rgba[edge + 2], 200);
}

TEST(AssetGenImage, BadLinesAreRefusedWithoutWritingAnything) {
  struct Case {
    std::vector<std::string> words;
    const char* why;
  };
  const Case cases[] = {
      {{"a.png", "teapot"}, "unknown picture kind"},
      {{"a.png", "orb", "sise=20"}, "unknown parameter (a typo)"},
      {{"a.png", "orb", "size=20", "size=30"}, "a repeated parameter"},
      {{"a.png", "orb", "size"}, "not key=value"},
      {{"a.png", "orb", "size=big"}, "not a number"},
      {{"a.png", "orb", "size=100000"}, "too large"},
      {{"a.png", "orb", "color=blue"}, "not a colour"},
      {{"a.png", "button", "state=pressed"}, "not one of the states"},
      {{"a.png", "orb", "quality=50"}, "quality is for JPEG only"},
      {{"a.gif", "orb"}, "unknown image format"},
      {{"../a.png", "orb"}, "a name that leaves the output folder"},
      {{"sub/a.png", "orb"}, "a name with a folder"},
      {{"a.png"}, "no picture kind"},
      {{"a.png", "strip", "w=1024", "h=1024", "frames=64", "columns=64"}, "a strip too large"},
      {{"a.png", "logo", "face=NoSuchFont.ttf"}, "a missing font"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ScratchDir dir;
    EXPECT_THROW(Generate("image", dir.Path(), c.words), AssetError);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  }
  ScratchDir dir;
  EXPECT_THROW(Generate("texture", dir.Path(), {"a.png", "orb"}), AssetError);
}

TEST(AssetGenArgs, ReadersCheckTheirValues) {
  const assetgen::AssetArgs args({"n=12", "neg=-3", "x=0.5", "c=ff8000", "ca=ff800040", "f=yes"});
  EXPECT_EQ(args.Int("n", 0, 0, 100), 12);
  EXPECT_EQ(args.Int("neg", 0, -5, 5), -3);
  EXPECT_EQ(args.Int("absent", 7, 0, 100), 7);
  EXPECT_THROW(args.Int("n", 0, 0, 10), AssetError);
  EXPECT_DOUBLE_EQ(args.Real("x", 0, 0, 1), 0.5);
  const assetgen::Rgba c = args.Colour("c", {});
  EXPECT_FLOAT_EQ(c.r, 1.0f);
  EXPECT_FLOAT_EQ(c.g, 128 / 255.0f);
  EXPECT_FLOAT_EQ(c.a, 1.0f) << "six digits are opaque";
  EXPECT_FLOAT_EQ(args.Colour("ca", {}).a, 64 / 255.0f);
  EXPECT_TRUE(args.Flag("f", false));
  EXPECT_NO_THROW(args.CheckAllUsed());

  const assetgen::AssetArgs unused({"a=1", "b=2"});
  unused.Int("a", 0, 0, 9);
  EXPECT_THROW(unused.CheckAllUsed(), AssetError);
  EXPECT_THROW(assetgen::AssetArgs({"=1"}), AssetError);
  EXPECT_THROW(assetgen::AssetArgs({"n=99999999999999999999"}).Int("n", 0, 0, 1 << 30), AssetError);
  EXPECT_THROW(assetgen::AssetArgs({"x=nan"}).Real("x", 0, 0, 1), AssetError);
  EXPECT_THROW(assetgen::AssetArgs({"c=ff80zz"}).Colour("c", {}), AssetError);
  EXPECT_THROW(assetgen::AssetArgs({"f=maybe"}).Flag("f", false), AssetError);
}

}  // namespace
