// Image resources decoding PNG, JPEG and jpng files through their owner.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>

#include "engine/EngineRegistration.h"
#include "engine/EngineResources.h"
#include "engine/OwnPictureMark.h"
#include "foundation/XMLStorage.h"
#include "tests/engine/ImageFixtures.h"
#include "tests/support/FakeResourceOwner.h"
#include "tests/support/WarningCapture.h"

namespace {

struct Images : ::testing::Test {
  void SetUp() override {
    RegisterFoundationClasses();
    RegisterEngineClasses();
    owner = Ref<FakeResourceOwner>(new FakeResourceOwner());
  }
  // A resource made from one element of a resource list, given the owner.
  template <class I = IImageResource>
  Ref<I> Make(const std::string& xml) {
    Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(xml);
    Ref<IResourceSlave> resource =
        CreateResourceByType(ReadXmlStr(storage, "type"), ReadXmlStr(storage, "name"));
    if (!resource) return nullptr;
    Supports<IPersistObject>(resource)->LoadFromStorage(storage);
    resource->SetOwner(owner.get());
    return Supports<I>(resource);
  }
  Ref<IImageResource> Image(const std::string& file, const std::string& format) {
    return Make("<resource type=\"ImageResource\" name=\"i\" file=\"" + file + "\" format=\"" +
                format + "\"/>");
  }
  Ref<FakeResourceOwner> owner;
};

uint32_t Pixel(const Ref<IImageResource>& image, int32_t x, int32_t y) {
  return image->GetSurface()->GetPixel(x, y);
}

void ExpectEmpty(const Ref<IImageResource>& image) {
  ASSERT_TRUE(image);
  EXPECT_EQ(image->GetWidth(), 0);
  EXPECT_EQ(image->GetHeight(), 0);
  EXPECT_EQ(image->GetSurface(), nullptr);
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    int da = int((a >> shift) & 0xFF), db = int((b >> shift) & 0xFF);
    if (std::abs(da - db) > tolerance) return false;
  }
  return true;
}

}  // namespace

TEST_F(Images, PngsOfEveryColourType) {
  // Two pixels each: the surface's pixels and whether it has alpha.
  struct Case {
    const char* name;
    std::string file;
    uint32_t first, second;
    bool hasAlpha;
  } cases[] = {
      {"RGBA, partly transparent",
       fixtures::Png(2, 1, PNG_COLOR_TYPE_RGBA, {255, 0, 0, 128, 0, 255, 0, 255}), 0x80FF0000,
       0xFF00FF00, true},
      {"RGBA, all opaque", fixtures::Png(2, 1, PNG_COLOR_TYPE_RGBA, {1, 2, 3, 255, 4, 5, 6, 255}),
       0xFF010203, 0xFF040506, false},
      {"RGB", fixtures::Png(2, 1, PNG_COLOR_TYPE_RGB, {10, 20, 30, 40, 50, 60}), 0xFF0A141E,
       0xFF28323C, false},
      {"grey", fixtures::Png(2, 1, PNG_COLOR_TYPE_GRAY, {0x11, 0xEE}), 0xFF111111, 0xFFEEEEEE,
       false},
      {"palette", fixtures::Png(2, 1, PNG_COLOR_TYPE_PALETTE, {1, 0}, {9, 8, 7, 1, 2, 3}),
       0xFF010203, 0xFF090807, false},
      {"palette with transparency",
       fixtures::Png(2, 1, PNG_COLOR_TYPE_PALETTE, {1, 0}, {9, 8, 7, 1, 2, 3}, {255, 0}),
       0x00010203, 0xFF090807, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    owner->files["a.png"] = c.file;
    Ref<IImageResource> image = Image("a.png", "png");
    ASSERT_EQ(image->GetWidth(), 2);
    ASSERT_EQ(image->GetHeight(), 1);
    EXPECT_EQ(Pixel(image, 0, 0), c.first);
    EXPECT_EQ(Pixel(image, 1, 0), c.second);
    EXPECT_EQ(image->GetSurface()->GetHasAlpha(), c.hasAlpha);
  }
}

TEST_F(Images, InterlacedPngsFillEveryPixel) {
  std::vector<uint8_t> samples;
  for (int i = 0; i < 11 * 9; ++i)
    samples.insert(samples.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
  owner->files["a.png"] = fixtures::Png(11, 9, PNG_COLOR_TYPE_RGB, samples, {}, {}, true);
  Ref<IImageResource> image = Image("a.png", "png");
  ASSERT_EQ(image->GetWidth(), 11);
  ASSERT_EQ(image->GetHeight(), 9);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 11; ++x) {
      const uint8_t* s = &samples[size_t(y * 11 + x) * 3];
      ASSERT_EQ(Pixel(image, x, y), 0xFF000000u | uint32_t(s[0]) << 16 | uint32_t(s[1]) << 8 | s[2])
          << x << ", " << y;
    }
}

namespace {

// The place of the first IDAT chunk's length field.
size_t DataChunk(const std::string& png) {
  return png.find("IDAT") - 4;
}

uint32_t Read32(const std::string& png, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | uint8_t(png[at + i]);
  return v;
}

// The IDAT chunk's CRC made right again after its data changed.
void FixDataCrc(std::string& png) {
  size_t at = DataChunk(png);
  uint32_t length = Read32(png, at);
  uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4));
  for (size_t i = 0; i < 4; ++i) png[at + 8 + length + i] = char(crc >> (24 - 8 * i));
}

}  // namespace

TEST_F(Images, OnlyMarkedPngsSkipTheirChecksums) {
  const std::string plain = fixtures::Png(2, 1, PNG_COLOR_TYPE_RGB, {10, 20, 30, 40, 50, 60});
  std::string marked = plain;
  constexpr auto kMark = own_picture::Chunk();
  marked.insert(own_picture::kMarkOffset, reinterpret_cast<const char*>(kMark.data()), kMark.size());
  ASSERT_TRUE(own_picture::IsMarked(reinterpret_cast<const uint8_t*>(marked.data()), marked.size()));
  ASSERT_FALSE(own_picture::IsMarked(reinterpret_cast<const uint8_t*>(plain.data()), plain.size()));
  enum Damage { None, ChunkCrc, Adler };
  auto damaged = [](std::string png, Damage damage) {
    size_t at = DataChunk(png);
    size_t end = at + 8 + Read32(png, at);  // just past the chunk's data
    if (damage == ChunkCrc) png[end] = char(png[end] ^ 0x5A);
    if (damage == Adler) {
      png[end - 1] = char(png[end - 1] ^ 0x5A);  // the last byte of the zlib stream
      FixDataCrc(png);
    }
    return png;
  };
  struct Case {
    const char* name;
    const std::string& file;
    Damage damage;
    bool decodes;
  } cases[] = {
      {"outside, intact", plain, None, true},
      {"outside, a chunk checksum wrong", plain, ChunkCrc, false},
      {"outside, the data checksum wrong", plain, Adler, false},
      {"our own, intact", marked, None, true},
      {"our own, a chunk checksum wrong", marked, ChunkCrc, true},
      {"our own, the data checksum wrong", marked, Adler, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    owner->files["a.png"] = damaged(c.file, c.damage);
    Ref<IImageResource> image = Image("a.png", "png");
    if (!c.decodes) {
      ExpectEmpty(image);
      continue;
    }
    ASSERT_EQ(image->GetWidth(), 2);
    EXPECT_EQ(Pixel(image, 0, 0), 0xFF0A141Eu);
    EXPECT_EQ(Pixel(image, 1, 0), 0xFF28323Cu);
  }
}

TEST_F(Images, JpegsOfThreeChannelsOnly) {
  owner->files["c.jpg"] = fixtures::Jpeg(8, 8, 3, fixtures::Filled(8, 8, {200, 100, 50}));
  Ref<IImageResource> colour = Image("c.jpg", "jpeg");
  ASSERT_EQ(colour->GetWidth(), 8);
  EXPECT_TRUE(Near(Pixel(colour, 3, 3), 0xFFC86432, 3));
  EXPECT_EQ(Pixel(colour, 3, 3) >> 24, 0xFFu);
  EXPECT_FALSE(colour->GetSurface()->GetHasAlpha());

  owner->files["g.jpg"] = fixtures::Jpeg(8, 8, 1, fixtures::Filled(8, 8, {128}));
  ExpectEmpty(Image("g.jpg", "jpeg"));
}

TEST_F(Images, JpngTakesColourFromTheJpegAndAlphaFromTheGreyPng) {
  owner->files["pic.jpg"] = fixtures::Jpeg(4, 2, 3, fixtures::Filled(4, 2, {0, 0, 255}));
  owner->files["pic.png"] =
      fixtures::Png(4, 2, PNG_COLOR_TYPE_GRAY, {0, 50, 100, 150, 200, 250, 255, 1});
  Ref<IImageResource> image = Image("pic.png", "jpng");
  ASSERT_EQ(image->GetWidth(), 4);
  EXPECT_TRUE(image->GetSurface()->GetHasAlpha());
  EXPECT_EQ(Pixel(image, 1, 0) >> 24, 50u);
  EXPECT_EQ(Pixel(image, 3, 1) >> 24, 1u);
  EXPECT_TRUE(Near(Pixel(image, 1, 0) & 0xFFFFFF, 0x0000FF, 3));

  struct Case {
    const char* name;
    std::string alpha;
  } broken[] = {
      {"alpha of another size", fixtures::Png(2, 2, PNG_COLOR_TYPE_GRAY, {1, 2, 3, 4})},
      {"alpha in colour",
       fixtures::Png(4, 2, PNG_COLOR_TYPE_RGB, fixtures::Filled(4, 2, {1, 2, 3}))},
      {"alpha missing", ""},
  };
  for (const Case& c : broken) {
    SCOPED_TRACE(c.name);
    owner->files["pic.png"] = c.alpha;
    ExpectEmpty(Image("pic.png", "jpng"));
  }
  owner->files["pic.png"] = fixtures::Png(4, 2, PNG_COLOR_TYPE_GRAY, fixtures::Filled(4, 2, {9}));
  owner->files.erase("pic.jpg");
  ExpectEmpty(Image("pic.png", "jpng"));
}

// Each says once why, naming the file (here the picture itself: the resource was not
// read from a list file).
TEST_F(Images, DamagedOrHugeFilesGiveEmptyImages) {
  std::string png = fixtures::Png(3, 3, PNG_COLOR_TYPE_RGB, fixtures::Filled(3, 3, {1, 2, 3}));
  std::string jpeg = fixtures::Jpeg(16, 16, 3, fixtures::Filled(16, 16, {1, 2, 3}));
  const std::string notPng = "x.png does not decode as a PNG picture (damaged, or too large)";
  const std::string notJpeg =
      "x.png does not decode as a colour JPEG picture (damaged, or too large)";
  struct Case {
    const char* name;
    std::string bytes;
    const char* format;
    std::string says;
  } cases[] = {
      {"truncated png", png.substr(0, png.size() / 2), "png", notPng},
      {"png signature only", png.substr(0, 8), "png", notPng},
      {"random bytes as png", std::string(300, '\x5A'), "png", notPng},
      {"jpeg as png", jpeg, "png", notPng},
      {"truncated jpeg header", jpeg.substr(0, 20), "jpeg", notJpeg},
      {"png as jpeg", png, "jpeg", notJpeg},
      {"empty file", "", "png", "x.png is empty"},
      {"png too wide", fixtures::Png(20000, 1, PNG_COLOR_TYPE_GRAY, std::vector<uint8_t>(20000, 7)),
       "png", notPng},
      {"jpeg too tall", fixtures::Jpeg(8, 17000, 1, std::vector<uint8_t>(8 * 17000, 7)), "jpeg",
       notJpeg},
      {"png, unknown format", png, "unknown",
       "no picture format (\"format\" is png, jpeg or jpng)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WarningCapture warnings;
    owner->files["x.png"] = c.bytes;
    ExpectEmpty(Image("x.png", c.format));
    EXPECT_EQ(warnings.Lines(),
              std::vector<std::string>{"warning: x.png: resource \"i\": " + c.says});
  }
  ExpectEmpty(Make("<resource type=\"ImageResource\" name=\"n\" file=\"x.png\"/>"));
  WarningCapture warnings;
  ExpectEmpty(Image("missing.png", "png"));
  EXPECT_EQ(warnings.Lines(), std::vector<std::string>{"warning: missing.png: resource \"i\": "
                                                       "no such picture missing.png"});
}

TEST_F(Images, LoadByDemandDecodesOnFirstUseAndAgainAfterUnload) {
  owner->files["a.png"] = fixtures::Png(2, 2, PNG_COLOR_TYPE_GRAY, {1, 2, 3, 4});
  Ref<IImageResource> image = Make(
      "<resource type=\"ImageResource\" name=\"i\" file=\"a.png\" format=\"png\" "
      "loadbydemand=\"yes\"/>");
  EXPECT_EQ(owner->Opened("a.png"), 0);
  EXPECT_TRUE(image->IsLoadPending());
  EXPECT_EQ(image->GetHeight(), 2);
  image->GetSurface();
  image->GetWidth();
  EXPECT_EQ(owner->Opened("a.png"), 1);
  image->Unload();
  EXPECT_EQ(owner->Opened("a.png"), 1);
  EXPECT_EQ(image->GetWidth(), 2);
  EXPECT_EQ(owner->Opened("a.png"), 2);

  // Without load-by-demand the owner loads it at once.
  Image("a.png", "png");
  EXPECT_EQ(owner->Opened("a.png"), 3);
}

TEST_F(Images, ImageSavesItsAttributes) {
  owner->files["a.png"] = fixtures::Png(1, 1, PNG_COLOR_TYPE_GRAY, {1});
  Ref<IImageResource> image = Image("a.png", "png");
  Ref<IHierStorageRoot> out = CreateXmlStorage("resource");
  Supports<IPersistObject>(image)->SaveToStorage(out);
  EXPECT_EQ(out->GetXmlText(),
            "<resource name=\"i\" type=\"ImageResource\" file=\"a.png\" format=\"png\"/>");
}
