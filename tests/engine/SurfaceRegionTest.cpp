// Sizes, pixel access, clipping of rectangle operations, the redraw region and masked
// copying.

#include <algorithm>
#include <climits>

#include "tests/engine/SurfaceTestSupport.h"

namespace {

std::vector<TRect> RegionRects(const TSurface& surface) {
  std::vector<TRect> rects;
  for (int32_t i = 0; i < surface.Region().Count(); ++i) rects.push_back(surface.Region().Rect(i));
  return rects;
}

TEST(SurfaceSize, SizesAreCappedAndNeverNegative) {
  struct Case {
    int32_t Width, Height;
    int32_t ExpectedWidth, ExpectedHeight;
    bool HasPixels;
  };
  const Case cases[] = {
      {3, 2, 3, 2, true},
      {0, 0, 0, 0, false},
      {-5, 10, 0, 10, false},
      {10, INT_MIN, 10, 0, false},
      {INT_MAX, 1, TSurface::kMaxSide, 1, true},
      // Both sides capped, then the area: 16384 x 2048 pixels.
      {INT_MAX, INT_MAX, TSurface::kMaxSide, int32_t(TSurface::kMaxPixels / TSurface::kMaxSide),
       true},
  };
  for (const Case& c : cases) {
    Ref<TSurface> s = TAbstractObject::Create<TSurface>();
    s->SetSize(c.Width, c.Height);
    SCOPED_TRACE(std::to_string(c.Width) + " x " + std::to_string(c.Height));
    EXPECT_EQ(s->GetWidth(), c.ExpectedWidth);
    EXPECT_EQ(s->GetHeight(), c.ExpectedHeight);
    EXPECT_EQ(s->GetScanLine(0) != nullptr, c.HasPixels);
    if (c.HasPixels) {
      EXPECT_EQ(s->GetPixel(c.ExpectedWidth - 1, c.ExpectedHeight - 1), 0u);
      s->SetPixel(c.ExpectedWidth - 1, c.ExpectedHeight - 1, 0x12345678);
      EXPECT_EQ(s->GetPixel(c.ExpectedWidth - 1, c.ExpectedHeight - 1), 0xFF345678u);
    }
  }
}

TEST(SurfaceSize, NewSizeStartsZeroed) {
  Ref<TSurface> s = MakeSurface(4, 4, true, 0xFFFFFFFF);
  s->SetSize(4, 4);
  EXPECT_EQ(s->GetPixel(3, 3), 0u);
  s->SetPixel(1, 1, 0x80FFFFFF);
  s->Clear();
  EXPECT_EQ(s->GetPixel(1, 1), 0u);
  // Small and screen-sized blocks, each filled and then sized anew (the block a size
  // leaves may be the next one's): every row starts on a cache line and every pixel is 0.
  for (int32_t side : {3, 17, 1024, 1500}) {
    SCOPED_TRACE(side);
    for (int pass = 0; pass < 2; ++pass) {
      s->SetSize(side, side + 1);
      for (int32_t y : {0, side / 2, side}) {
        uint32_t* row = s->GetScanLine(y);
        ASSERT_NE(row, nullptr);
        if (y == 0) {
          EXPECT_EQ(reinterpret_cast<uintptr_t>(row) % 64, 0u);
        }
        for (int32_t x = 0; x < side; ++x) ASSERT_EQ(row[x], 0u) << x << "," << y;
      }
      for (int32_t y = 0; y <= side; ++y)
        std::fill_n(s->GetScanLine(y), side, 0xFFFFFFFFu);
    }
  }
}

TEST(SurfaceSize, PixelsStartOnACacheLine) {
  Ref<TSurface> s = TAbstractObject::Create<TSurface>();
  for (int32_t width : {1, 3, 17, 640}) {
    SCOPED_TRACE(width);
    s->SetSize(width, 5);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(s->GetScanLine(0)) % 64, 0u);
    s->SetSizeForOverwrite(width, 5);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(s->GetScanLine(0)) % 64, 0u);
    EXPECT_EQ(s->GetScanLine(4), s->GetScanLine(0) + 4 * width);
  }
}

TEST(SurfacePixels, CheckedAccessIgnoresOutsideAndHonoursClip) {
  Ref<TSurface> s = MakeSurface(4, 3, true);
  EXPECT_EQ(s->GetScanLine(-1), nullptr);
  EXPECT_EQ(s->GetScanLine(3), nullptr);
  EXPECT_EQ(s->GetScanLine(2), s->PixelAddress(0, 2));
  s->SetPixel(4, 0, 0x11111111);
  s->SetPixel(-1, 0, 0x11111111);
  EXPECT_EQ(s->GetPixel(4, 0), 0u);
  EXPECT_EQ(s->GetPixel(0, -1), 0u);
  s->SetPixel(1, 1, 0x40112233);
  EXPECT_EQ(s->PixelValue(1, 1), 0x40112233u);  // with alpha: kept as given
  s->SetClipRect(true, {2, 0, 4, 3});
  s->SetPixel(0, 0, 0x11111111);
  s->SetPixel(3, 0, 0x22222222);
  EXPECT_EQ(s->GetPixel(0, 0), 0u);
  EXPECT_EQ(s->GetPixel(3, 0), 0x22222222u);
}

TEST(SurfaceRects, IntersectAndUnion) {
  TRect out;
  EXPECT_TRUE(IntersectRects({0, 0, 10, 10}, {5, 5, 15, 15}, out));
  EXPECT_EQ(out, (TRect{5, 5, 10, 10}));
  // Touching edges do not overlap.
  EXPECT_FALSE(IntersectRects({0, 0, 10, 10}, {10, 0, 20, 10}, out));
  EXPECT_EQ(out, TRect{});
  UnionRects({0, 0, 10, 10}, {20, 5, 30, 15}, out);
  EXPECT_EQ(out, (TRect{0, 0, 30, 15}));
}

TEST(SurfaceRegion, AddedRectanglesMergeWhenTheyOverlap) {
  struct Case {
    const char* Name;
    std::vector<TRect> Added;
    std::vector<TRect> Expected;
  };
  const Case cases[] = {
      {"overlap merges", {{0, 0, 10, 10}, {5, 5, 15, 15}}, {{0, 0, 15, 15}}},
      {"touching stays apart",
       {{0, 0, 10, 10}, {10, 0, 20, 10}},
       {{0, 0, 10, 10}, {10, 0, 20, 10}}},
      {"inside changes nothing", {{0, 0, 10, 10}, {2, 2, 5, 5}}, {{0, 0, 10, 10}}},
      {"bridge joins two", {{0, 0, 10, 10}, {20, 0, 30, 10}, {5, 0, 25, 5}}, {{0, 0, 30, 10}}},
      // The merged rectangle reaches one that the first pass had already passed over.
      {"growth reaches a checked one",
       {{0, 0, 25, 2}, {20, 5, 30, 8}, {5, 0, 8, 6}},
       {{0, 0, 30, 8}}},
      {"others keep their order",
       {{0, 0, 5, 5}, {10, 10, 20, 20}, {12, 0, 18, 12}},
       {{0, 0, 5, 5}, {10, 0, 20, 20}}},
      {"empty is ignored", {{0, 0, 5, 5}, {7, 7, 7, 9}}, {{0, 0, 5, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Ref<TSurface> s = MakeSurface(40, 40, false);
    int32_t count = 0;
    for (const TRect& r : c.Added) count = s->AddRegionRect(r);
    EXPECT_EQ(count, int32_t(c.Expected.size()));
    EXPECT_EQ(RegionRects(*s), c.Expected);
    EXPECT_TRUE(s->ClipEnabled());
    EXPECT_TRUE(s->RegionActive());
  }
}

TEST(SurfaceRegion, ClearingAndSettingAClipEndTheRegion) {
  Ref<TSurface> s = MakeSurface(40, 40, false);
  s->AddRegionRect({0, 0, 10, 10});
  s->SetClipRect(true, {0, 0, 5, 5});
  EXPECT_FALSE(s->RegionActive());
  s->AddRegionRect({20, 20, 30, 30});
  s->ClearRegion();
  EXPECT_EQ(s->Region().Count(), 0);
  EXPECT_FALSE(s->ClipEnabled());
  EXPECT_FALSE(s->RegionActive());
}

TEST(SurfaceRegion, OneDrawDrawsOncePerRegionRectangle) {
  Ref<TSurface> dst = MakeSurface(20, 10, true, 0x00000000);
  Ref<TSurface> src = MakeSurface(20, 10, true, 0xFF00FF00);
  dst->AddRegionRect({0, 0, 4, 4});
  dst->AddRegionRect({10, 2, 14, 6});
  ASSERT_EQ(dst->Region().Count(), 2);
  EXPECT_TRUE(dst->Draw(src.get(), {0, 0, 20, 10}, bmNormal, 255, {2, 0, 22, 10}));
  EXPECT_EQ(dst->GetPixel(1, 1), 0u);           // left of the destination
  EXPECT_EQ(dst->GetPixel(3, 3), 0xFF00FF00u);  // first rectangle
  EXPECT_EQ(dst->GetPixel(5, 3), 0u);           // between them
  EXPECT_EQ(dst->GetPixel(13, 5), 0xFF00FF00u);
  EXPECT_EQ(dst->GetPixel(13, 6), 0u);
  EXPECT_EQ(dst->ClipRect(), (TRect{10, 2, 14, 6}));
  // Nothing in common with any region rectangle: nothing drawn, false.
  EXPECT_FALSE(dst->Draw(src.get(), {0, 0, 2, 2}, bmNormal, 255, {16, 8, 18, 10}));
  EXPECT_TRUE(
      dst->DrawColored(0xFF0000FF, src.get(), bmNormal, 255, {0, 0, 20, 10}, {0, 0, 20, 10}));
  EXPECT_EQ(dst->GetPixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(dst->GetPixel(5, 0), 0u);
}

TEST(SurfaceClip, RectanglesAreCutTogether) {
  struct Case {
    const char* Name;
    bool Clip;
    TRect ClipRect, Dst, Src;
    bool Ok;
    TRect ExpectedDst, ExpectedSrc;
  };
  // Destination 10 x 10, source 8 x 8.
  const Case cases[] = {
      {"inside", false, {}, {1, 1, 4, 4}, {2, 2, 5, 5}, true, {1, 1, 4, 4}, {2, 2, 5, 5}},
      {"off the left", false, {}, {-3, 0, 5, 4}, {0, 0, 8, 4}, true, {0, 0, 5, 4}, {3, 0, 8, 4}},
      {"source longer", false, {}, {0, 0, 3, 3}, {0, 0, 8, 8}, true, {0, 0, 3, 3}, {0, 0, 3, 3}},
      {"source off its right",
       false,
       {},
       {0, 0, 6, 4},
       {6, 0, 12, 4},
       true,
       {0, 0, 2, 4},
       {6, 0, 8, 4}},
      {"source off its top",
       false,
       {},
       {0, 5, 4, 9},
       {0, -2, 4, 2},
       true,
       {0, 7, 4, 9},
       {0, 0, 4, 2}},
      {"off the bottom right",
       false,
       {},
       {7, 8, 15, 16},
       {0, 0, 8, 8},
       true,
       {7, 8, 10, 10},
       {0, 0, 3, 2}},
      {"clip cuts",
       true,
       {2, 2, 6, 6},
       {0, 0, 8, 8},
       {0, 0, 8, 8},
       true,
       {2, 2, 6, 6},
       {2, 2, 6, 6}},
      {"clip and edge",
       true,
       {-5, -5, 3, 3},
       {-2, -2, 6, 6},
       {0, 0, 8, 8},
       true,
       {0, 0, 3, 3},
       {2, 2, 5, 5}},
      {"wholly outside", false, {}, {10, 0, 14, 4}, {0, 0, 4, 4}, false, {}, {}},
      {"source outside", false, {}, {0, 0, 4, 4}, {8, 8, 12, 12}, false, {}, {}},
      {"upside down", false, {}, {4, 4, 0, 0}, {0, 0, 4, 4}, false, {}, {}},
      {"outside the clip", true, {0, 0, 2, 2}, {4, 4, 6, 6}, {0, 0, 2, 2}, false, {}, {}},
      {"huge",
       false,
       {},
       {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
       {INT_MIN, 0, INT_MAX, 8},
       false,
       {},
       {}},
      {"huge source", false, {}, {0, 0, 4, 4}, {-4, INT_MIN, INT_MAX, INT_MAX}, false, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Ref<TSurface> s = MakeSurface(10, 10, true);
    s->SetClipRect(c.Clip, c.ClipRect);
    TRect dst = c.Dst;
    TSurface::TClipSource source{c.Src, 8, 8};
    ASSERT_EQ(s->ClipRects(dst, &source, 1), c.Ok);
    if (!c.Ok) continue;
    EXPECT_EQ(dst, c.ExpectedDst);
    EXPECT_EQ(source.Rect, c.ExpectedSrc);
  }
}

TEST(SurfaceClip, DrawingOutsideTheSurfaceTouchesNothing) {
  Ref<TSurface> dst = MakeSurface(6, 6, true, 0x01020304);
  Ref<TSurface> src = MakeSurface(4, 4, true, 0xFFFFFFFF);
  const TRect rects[] = {{INT_MIN, INT_MIN, INT_MIN + 4, INT_MIN + 4},
                         {INT_MAX - 4, INT_MAX - 4, INT_MAX, INT_MAX},
                         {-4, -4, 0, 0},
                         {6, 0, 10, 4},
                         {INT_MIN, INT_MIN, INT_MAX, INT_MAX}};
  for (const TRect& r : rects) {
    for (uint8_t mode = 0; mode <= 6; ++mode) {
      dst->Draw(src.get(), {0, 0, 4, 4}, mode, 255, r);
      dst->Draw(src.get(), r, mode, 200, {0, 0, 4, 4});
      dst->DrawColored(0xFFFFFFFF, src.get(), mode, 200, r, {0, 0, 4, 4});
    }
    dst->DrawMasked(src.get(), {0, 0, 4, 4}, r, {0, 0, 4, 4}, src.get());
  }
  EXPECT_EQ(dst->GetPixel(0, 0), 0x01020304u);
  EXPECT_EQ(dst->GetPixel(5, 5), 0x01020304u);
}

TEST(SurfaceMasked, CopiesWhereTheMaskIsNotTransparent) {
  Ref<TSurface> dst = MakeSurface(6, 4, false, 0xFF000000);
  Ref<TSurface> src = MakeSurface(6, 4, true, 0x40ABCDEF);
  Ref<TSurface> mask = MakeSurface(6, 4, true);
  *mask->PixelAddress(1, 1) = 0x01000000;
  *mask->PixelAddress(2, 1) = 0x00FFFFFF;  // colour alone does not count
  EXPECT_TRUE(dst->DrawMasked(src.get(), {0, 0, 6, 4}, {0, 0, 6, 4}, {0, 0, 6, 4}, mask.get()));
  EXPECT_EQ(dst->GetPixel(1, 1), 0xFFABCDEFu);  // alpha forced without HasAlpha
  EXPECT_EQ(dst->GetPixel(2, 1), 0xFF000000u);
}

// The mask is smaller than source and destination: only the part the mask covers is
// drawn, and the mask is never read past its own pixels.
TEST(SurfaceMasked, ClipsToTheMask) {
  Ref<TSurface> dst = MakeSurface(8, 8, true);
  Ref<TSurface> src = MakeSurface(8, 8, true, 0xFF112233);
  Ref<TSurface> mask = MakeSurface(3, 2, true, 0xFF000000);
  EXPECT_TRUE(dst->DrawMasked(src.get(), {0, 0, 8, 8}, {1, 1, 9, 9}, {0, 0, 8, 8}, mask.get()));
  EXPECT_EQ(dst->GetPixel(1, 1), 0xFF112233u);
  EXPECT_EQ(dst->GetPixel(3, 2), 0xFF112233u);
  EXPECT_EQ(dst->GetPixel(4, 2), 0u);
  EXPECT_EQ(dst->GetPixel(3, 3), 0u);
  // A mask rectangle starting inside the mask: the destination loses the same.
  dst->Clear();
  EXPECT_TRUE(dst->DrawMasked(src.get(), {0, 0, 8, 8}, {0, 0, 8, 8}, {2, 1, 6, 5}, mask.get()));
  EXPECT_EQ(dst->GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(dst->GetPixel(1, 0), 0u);
  EXPECT_EQ(dst->GetPixel(0, 1), 0u);
  EXPECT_FALSE(dst->DrawMasked(src.get(), {0, 0, 8, 8}, {0, 0, 8, 8}, {3, 0, 6, 2}, mask.get()));
  EXPECT_FALSE(dst->DrawMasked(src.get(), {0, 0, 8, 8}, {0, 0, 8, 8}, {0, 0, 3, 2}, nullptr));
}

TEST(SurfaceDraw, SelfCopyDownwardsKeepsTheRows) {
  Ref<TSurface> s = MakeSurface(3, 4, true);
  for (int32_t y = 0; y < 4; ++y) *s->PixelAddress(0, y) = 0xFF000000u + uint32_t(y);
  EXPECT_TRUE(s->Draw(s.get(), {0, 0, 3, 3}, bmBltFast, 255, {0, 1, 3, 4}));
  EXPECT_EQ(s->GetPixel(0, 1), 0xFF000000u);
  EXPECT_EQ(s->GetPixel(0, 2), 0xFF000001u);
  EXPECT_EQ(s->GetPixel(0, 3), 0xFF000002u);
}

}  // namespace
