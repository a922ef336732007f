// The quick decoder of the asset generator's pictures against libpng: the same pixels,
// the same alpha, the same refusals, for the sample game's pictures and for hand-made
// files (each filter, damaged data, headers the generator never writes).
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/EngineResources.h"
#include "engine/EngineResourcesImages.h"
#include "engine/EngineSurface.h"
#include "engine/OwnPictureMark.h"
#include "engine/OwnPngDecode.h"

namespace {

constexpr int32_t kMaxSide = TImageResource::kMaxImageSide;

struct Decoded {
  bool ok = false;
  int32_t width = 0, height = 0;
  bool hasAlpha = false;
  std::vector<uint32_t> pixels;
};

Decoded FromSurface(bool ok, TSurface& surface) {
  Decoded d;
  d.ok = ok;
  if (!ok) return d;
  d.width = surface.GetWidth();
  d.height = surface.GetHeight();
  d.hasAlpha = surface.GetHasAlpha();
  const uint32_t* p = surface.GetScanLine(0);
  d.pixels.assign(p, p + size_t(d.width) * size_t(d.height));
  return d;
}

Decoded Fast(const std::string& png) {
  Ref<TSurface> surface = TAbstractObject::Create<TSurface>();
  return FromSurface(own_png::DecodeColour(png, *surface, kMaxSide), *surface);
}

Decoded ByLibpng(const std::string& png) {
  Ref<TSurface> surface = TAbstractObject::Create<TSurface>();
  return FromSurface(DecodePngImageByLibpng(png, *surface, kMaxSide), *surface);
}

Decoded Either(const std::string& png) {
  Ref<TSurface> surface = TAbstractObject::Create<TSurface>();
  return FromSurface(DecodePngImage(png, *surface, kMaxSide), *surface);
}

void ExpectSame(const Decoded& a, const Decoded& b) {
  ASSERT_EQ(a.ok, b.ok);
  ASSERT_EQ(a.width, b.width);
  ASSERT_EQ(a.height, b.height);
  EXPECT_EQ(a.hasAlpha, b.hasAlpha);
  for (size_t i = 0; i < a.pixels.size(); ++i)
    ASSERT_EQ(a.pixels[i], b.pixels[i]) << "pixel " << i % size_t(a.width) << ", "
                                        << i / size_t(a.width);
}

struct Grey {
  bool ok = false;
  int32_t width = 0, height = 0;
  std::vector<uint8_t> values;
};

Grey FastGrey(const std::string& png) {
  Grey g;
  g.ok = own_png::DecodeGrey(png, g.values, g.width, g.height, kMaxSide);
  return g;
}

Grey GreyByLibpng(const std::string& png) {
  Grey g;
  g.ok = DecodeGreyPngByLibpng(png, g.values, g.width, g.height, kMaxSide);
  return g;
}

// ---------------------------------------------------------------------------------------
// Hand-made PNGs: the rows given already filtered, each led by its filter byte.

std::string Be32(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
  std::string body = type + data;
  uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
  return Be32(uint32_t(data.size())) + body + Be32(crc);
}

std::string Zlib(const std::string& raw) {
  uLongf size = compressBound(uLong(raw.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size,
            reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 6);
  out.resize(size);
  return out;
}

struct Header {
  uint32_t width, height;
  uint8_t colour;  // 0 grey, 2 RGB, 6 RGBA
  uint8_t depth = 8;
  uint8_t interlace = 0;
};

std::string Ihdr(const Header& h) {
  return Chunk("IHDR", Be32(h.width) + Be32(h.height) +
                           std::string{char(h.depth), char(h.colour), 0, 0, char(h.interlace)});
}

// The signature, the header, the mark, what comes before the data, the zlib stream in
// chunks of at most split bytes, the end.
std::string Marked(const std::string& ihdr, const std::string& stream, size_t split = 1 << 20,
                   const std::string& before = {}) {
  constexpr auto kMark = own_picture::Chunk();
  std::string png = "\x89PNG\r\n\x1a\n" + ihdr +
                    std::string(reinterpret_cast<const char*>(kMark.data()), kMark.size()) + before;
  for (size_t at = 0; at < stream.size(); at += split) png += Chunk("IDAT", stream.substr(at, split));
  return png + Chunk("IEND", "");
}

// Rows of varied bytes for the header, each filtered by filters[y % size]. With levels,
// the pixels take only that many values, so the predictors meet their ties.
std::string Rows(const Header& h, const std::vector<uint8_t>& filters, uint32_t levels = 256) {
  size_t bpp = h.colour == 6 ? 4 : h.colour == 2 ? 3 : 1;
  size_t n = h.width * bpp;
  std::vector<uint8_t> pixels(n * h.height);
  uint32_t seed = 12345;
  for (uint8_t& v : pixels) {
    seed = seed * 1103515245u + 12345u;
    v = uint8_t((seed >> 16) % levels * (255 / std::max(levels - 1, 1u)));
  }
  std::string raw;
  for (size_t y = 0; y < h.height; ++y) {
    uint8_t filter = filters[y % filters.size()];
    raw += char(filter);
    const uint8_t* row = &pixels[y * n];
    const uint8_t* above = y > 0 ? row - n : nullptr;
    for (size_t i = 0; i < n; ++i) {
      int a = i >= bpp ? row[i - bpp] : 0, b = above ? above[i] : 0;
      int c = above && i >= bpp ? above[i - bpp] : 0;
      int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      int predicted[5] = {0, a, b, (a + b) / 2, paeth};
      raw += char(row[i] - predicted[filter % 5]);
    }
  }
  return raw;
}

std::string Plain(const Header& h, const std::vector<uint8_t>& filters) {
  return Marked(Ihdr(h), Zlib(Rows(h, filters)));
}

// A zlib stream whose Adler-32 does not fit its data.
std::string WrongChecksum(std::string stream) {
  stream.back() = char(stream.back() ^ 0x5A);
  return stream;
}

}  // namespace

TEST(OwnPngDecode, EverySampleGamePictureDecodesQuicklyAsLibpngDoes) {
  size_t pictures = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(SAMPLE_GAME_DIR)) {
    if (entry.path().extension() != ".png") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string png{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!own_picture::IsMarked(reinterpret_cast<const uint8_t*>(png.data()), png.size())) continue;
    SCOPED_TRACE(entry.path().string());
    ++pictures;
    Decoded fast = Fast(png);
    ASSERT_TRUE(fast.ok);
    ExpectSame(fast, ByLibpng(png));
    if (png[25] == 0) {  // grey: the alpha of a jpng pair
      Grey quick = FastGrey(png), reference = GreyByLibpng(png);
      ASSERT_TRUE(quick.ok);
      EXPECT_EQ(quick.width, reference.width);
      EXPECT_EQ(quick.height, reference.height);
      EXPECT_EQ(quick.values, reference.values);
    }
  }
  // The program folder has its pictures (a build without them would prove nothing).
  EXPECT_GT(pictures, 0u);
}

TEST(OwnPngDecode, HandMadeFilesDecodeAsLibpngDoesOrGoToIt) {
  const Header rgb{7, 5, 2}, rgba{9, 4, 6}, grey{13, 3, 0};
  const std::vector<uint8_t> allFilters{0, 1, 2, 3, 4};
  const std::string rgbRows = Rows(rgb, allFilters);
  const std::string rgbStream = Zlib(rgbRows);
  std::string tooFew = rgbRows.substr(0, rgbRows.size() - 1);
  std::string tooMany = rgbRows + std::string(4, '\0');
  std::string badFilter = rgbRows;
  badFilter[(1 + 7 * 3) * 2] = 5;
  std::string hugeChunk = Be32(0xFFFFFFF0u) + "teXt";
  struct Case {
    const char* name;
    std::string png;
    bool quick;  // whether the quick way takes it
  } cases[] = {
      // Each filter on the first row (nothing above) and on rows below every other.
      {"RGB, each filter", Plain(rgb, allFilters), true},
      {"RGB, Average and Paeth", Plain(rgb, {3, 4, 4, 3}), true},
      {"RGB, Paeth and Average meeting ties",
       Marked(Ihdr({16, 6, 2}), Zlib(Rows({16, 6, 2}, {4, 3, 4}, 5))), true},
      {"RGBA, each filter", Plain(rgba, allFilters), true},
      {"RGBA, Paeth meeting ties", Marked(Ihdr({16, 6, 6}), Zlib(Rows({16, 6, 6}, {4}, 5))), true},
      {"RGBA, Paeth then Sub", Plain(rgba, {4, 1}), true},
      {"grey, each filter", Plain(grey, {4, 3, 2, 1, 0}), true},
      {"one pixel wide", Plain({1, 6, 6}, {1, 4, 3, 2, 0, 1}), true},
      {"RGB wide enough for whole vector steps", Plain({37, 3, 2}, {1, 2, 1}), true},
      {"RGBA wide enough for whole vector steps", Plain({37, 3, 6}, {1, 2, 1}), true},
      {"RGBA, all opaque", Marked(Ihdr({2, 1, 6}), Zlib(std::string("\0\1\2\3\xff\4\5\6\xff", 9))),
       true},
      {"data in many chunks", Marked(Ihdr(rgb), rgbStream, 5), true},
      {"an ancillary chunk skipped", Marked(Ihdr(rgb), rgbStream, 1 << 20, Chunk("teXt", "a=b")),
       true},
      {"the data's checksum wrong", Marked(Ihdr(rgb), WrongChecksum(rgbStream)), true},
      {"truncated data", Marked(Ihdr(rgb), rgbStream).substr(0, 60), false},
      {"data missing", Marked(Ihdr(rgb), ""), false},
      {"inflates to too few bytes", Marked(Ihdr(rgb), Zlib(tooFew)), false},
      {"inflates to too many bytes", Marked(Ihdr(rgb), Zlib(tooMany)), false},
      {"data after the stream", Marked(Ihdr(rgb), rgbStream + "xyz"), false},
      {"stream cut before its checksum",
       Marked(Ihdr(rgb), rgbStream.substr(0, rgbStream.size() - 4)), false},
      {"a filter that is none", Marked(Ihdr(rgb), Zlib(badFilter)), false},
      {"transparency chunk", Marked(Ihdr(rgb), rgbStream, 1 << 20, Chunk("tRNS", "\0\1\0\2\0\3")),
       false},
      {"an unknown critical chunk", Marked(Ihdr(rgb), rgbStream, 1 << 20, Chunk("CRIT", "x")),
       false},
      {"a chunk longer than the file", Marked(Ihdr(rgb), rgbStream, 1 << 20, hugeChunk), false},
      {"header too short", Marked(Chunk("IHDR", Ihdr(rgb).substr(8, 12)), rgbStream), false},
      {"16 bits a sample", Marked(Ihdr({7, 5, 2, 16}), Zlib(Rows({7, 10, 2}, {0}))), false},
      {"interlaced", Marked(Ihdr({7, 5, 2, 8, 1}), rgbStream), false},
      {"palette", Marked(Ihdr({7, 5, 3}), rgbStream), false},
      {"grey with alpha", Marked(Ihdr({7, 5, 4}), rgbStream), false},
      {"no width", Marked(Ihdr({0, 5, 2}), rgbStream), false},
      {"wider than allowed", Marked(Ihdr({20000, 1, 0}), Zlib(Rows({20000, 1, 0}, {0}))), false},
      {"more pixels than a surface holds",
       Marked(Ihdr({16384, 16384, 0}), Zlib(std::string(16385, '\0'))), false},
      {"a side beyond 31 bits", Marked(Ihdr({0x80000000u, 1, 0}), rgbStream), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Decoded fast = Fast(c.png), reference = ByLibpng(c.png);
    EXPECT_EQ(fast.ok, c.quick);
    if (fast.ok) ExpectSame(fast, reference);
    // Whichever way it goes, the answer is libpng's.
    ExpectSame(Either(c.png), reference);
  }
}

TEST(OwnPngDecode, GreyPicturesDecodeAsLibpngDoesOrGoToIt) {
  const Header grey{13, 3, 0};
  struct Case {
    const char* name;
    std::string png;
    bool quick;
  } cases[] = {
      {"each filter", Plain(grey, {4, 3, 2, 1, 0}), true},
      {"in many chunks", Marked(Ihdr(grey), Zlib(Rows(grey, {1, 2})), 3), true},
      {"RGB, refused", Plain({4, 2, 2}, {1}), false},
      {"grey with alpha, to libpng", Marked(Ihdr({4, 2, 4}), Zlib(Rows({8, 2, 0}, {0}))), false},
      {"truncated", Plain(grey, {1}).substr(0, 70), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Grey fast = FastGrey(c.png), reference = GreyByLibpng(c.png);
    EXPECT_EQ(fast.ok, c.quick);
    if (fast.ok) {
      EXPECT_EQ(fast.width, reference.width);
      EXPECT_EQ(fast.height, reference.height);
      EXPECT_EQ(fast.values, reference.values);
    }
    Grey either;
    either.ok = DecodeGreyPng(c.png, either.values, either.width, either.height, kMaxSide);
    EXPECT_EQ(either.ok, reference.ok);
    EXPECT_EQ(either.width, reference.width);
    EXPECT_EQ(either.values, reference.values);
  }
}
