// Image resources decoding PNG, JPEG and jpng files through their owner.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/EngineRegistration.h"
#include "engine/EngineResources.h"
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
