// Sub-pixel placement, scaling with mirroring, and rotation.

#include <cmath>
#include <limits>

#include "tests/engine/SurfaceTestSupport.h"

namespace {

constexpr uint32_t kMarker = 0x5A123456;

// A source whose pixels are all different: alpha 255, red = x, green = y.
Ref<TSurface> Numbered(int32_t width, int32_t height) {
  Ref<TSurface> s = MakeSurface(width, height, true);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      *s->PixelAddress(x, y) = 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | 0x80;
  return s;
}

uint32_t NumberedPixel(int32_t x, int32_t y) {
  return 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | 0x80;
}

void ExpectNear(uint32_t actual, uint32_t expected, const std::string& what) {
  for (int shift = 0; shift < 32; shift += 8) {
    int a = int((actual >> shift) & 0xFF), e = int((expected >> shift) & 0xFF);
    EXPECT_LE(std::abs(a - e), 1) << what << ": " << Hex(actual) << " expected " << Hex(expected);
  }
}

TEST(SurfaceDrawAt, WholePositionsArePlainCopies) {
  Ref<TSurface> src = Numbered(3, 2);
  Ref<TSurface> dst = MakeSurface(40, 30, true, kMarker);
  EXPECT_TRUE(dst->DrawAt(src.get(), 10.0, 20.0));
  EXPECT_EQ(dst->GetPixel(10, 20), NumberedPixel(0, 0));
  EXPECT_EQ(dst->GetPixel(12, 21), NumberedPixel(2, 1));
  EXPECT_EQ(dst->GetPixel(13, 20), kMarker);
  EXPECT_EQ(dst->GetPixel(10, 22), kMarker);
  EXPECT_FALSE(dst->DrawAt(src.get(), 40.0, 0.0));
}

// At (10.5, 20.0) the picture is drawn half a pixel right, through a scratch area 3 pixels
// larger than the source whose margin ends as pixels 0.
TEST(SurfaceDrawAt, FractionalPositionsBlendNeighbours) {
  Ref<TSurface> src = MakeSurface(2, 1, true);
  *src->PixelAddress(0, 0) = 0xFF0000C8;
  *src->PixelAddress(1, 0) = 0xFF000064;
  ForEachKernelTable([&] {
    Ref<TSurface> dst = MakeSurface(20, 30, true, kMarker);
    EXPECT_TRUE(dst->DrawAt(src.get(), 10.5, 20.0));
    EXPECT_EQ(dst->GetPixel(9, 20), kMarker);
    ExpectNear(dst->GetPixel(10, 20), 0x7F000064, "half of the first pixel");
    ExpectNear(dst->GetPixel(11, 20), 0xFF000096, "both pixels");
    ExpectNear(dst->GetPixel(12, 20), 0x7F000032, "half of the second pixel");
    EXPECT_EQ(dst->GetPixel(14, 20), 0u);  // the scratch margin
    EXPECT_EQ(dst->GetPixel(14, 23), 0u);
    EXPECT_EQ(dst->GetPixel(15, 20), kMarker);
    EXPECT_EQ(dst->GetPixel(10, 24), kMarker);
  });
}

TEST(SurfaceDrawAt, SmallFractionsTouchOnlyTheCoveredPixels) {
  Ref<TSurface> src = MakeSurface(2, 2, true, 0xFF204060);
  ForEachKernelTable([&] {
    Ref<TSurface> dst = MakeSurface(6, 6, false, kMarker);
    EXPECT_TRUE(dst->DrawAt(src.get(), 0.5, 0.25));
    // Rows 0..2 and columns 0..2 are covered, partly.
    ExpectNear(dst->GetPixel(1, 1), 0xFF204060, "fully covered");
    EXPECT_EQ(dst->GetPixel(0, 0) >> 24, 255u);  // no alpha: forced
    EXPECT_EQ(dst->GetPixel(3, 1), kMarker);
    EXPECT_EQ(dst->GetPixel(1, 3), kMarker);
    // Negative positions below 1 are drawn in place too.
    Ref<TSurface> other = MakeSurface(6, 6, true, kMarker);
    EXPECT_TRUE(other->DrawAt(src.get(), -0.5, -0.5));
    ExpectNear(other->GetPixel(0, 0), 0xFF204060, "inside");
    ExpectNear(other->GetPixel(1, 1), 0x3F081018, "a quarter");
    EXPECT_EQ(other->GetPixel(2, 0), kMarker);
  });
}

TEST(SurfaceScaled, NearestDoublingRepeatsPixels) {
  Ref<TSurface> src = Numbered(2, 2);
  Ref<TSurface> dst = MakeSurface(5, 5, true, kMarker);
  EXPECT_TRUE(dst->DrawScaled(src.get(), false, 2, 2, 0, 0));
  EXPECT_EQ(dst->GetPixel(0, 0), NumberedPixel(0, 0));
  EXPECT_EQ(dst->GetPixel(1, 1), NumberedPixel(0, 0));
  EXPECT_EQ(dst->GetPixel(2, 1), NumberedPixel(1, 0));
  EXPECT_EQ(dst->GetPixel(3, 3), NumberedPixel(1, 1));
  // Beyond the source: alpha 0, colours kept.
  EXPECT_EQ(dst->GetPixel(4, 0), kMarker & kColourMask);
  EXPECT_EQ(dst->GetPixel(0, 4), kMarker & kColourMask);
}

TEST(SurfaceScaled, NegativeScalesMirror) {
  struct Case {
    double ScaleX, ScaleY;
    int32_t (*MapX)(int32_t);
    int32_t (*MapY)(int32_t);
  };
  const Case cases[] = {
      {-1, 1, [](int32_t x) { return 2 - x; }, [](int32_t y) { return y; }},
      {1, -1, [](int32_t x) { return x; }, [](int32_t y) { return 1 - y; }},
      {-1, -1, [](int32_t x) { return 2 - x; }, [](int32_t y) { return 1 - y; }},
  };
  Ref<TSurface> src = Numbered(3, 2);
  for (const Case& c : cases) {
    for (bool smooth : {false, true}) {  // smoothing is not used for a mere mirror
      Ref<TSurface> dst = MakeSurface(3, 2, true);
      EXPECT_TRUE(dst->DrawScaled(src.get(), smooth, c.ScaleX, c.ScaleY, 0, 0));
      for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
          EXPECT_EQ(dst->GetPixel(x, y), NumberedPixel(c.MapX(x), c.MapY(y)))
              << c.ScaleX << " " << c.ScaleY << " at " << x << "," << y;
    }
  }
}

TEST(SurfaceScaled, SmoothOffsetsBlendAndTheLastColumnRepeats) {
  Ref<TSurface> src = MakeSurface(2, 1, true);
  *src->PixelAddress(0, 0) = 0xFF0000C8;
  *src->PixelAddress(1, 0) = 0xFF000064;
  ForEachKernelTable([&] {
    Ref<TSurface> dst = MakeSurface(3, 1, false);
    EXPECT_TRUE(dst->DrawScaled(src.get(), true, 1, 1, 0.5, 0));
    ExpectNear(dst->GetPixel(0, 0), 0xFF000096, "between");
    ExpectNear(dst->GetPixel(1, 0), 0xFF000064, "last column");
    EXPECT_EQ(dst->GetPixel(2, 0), 0xFF000000u);  // outside, no alpha: 255
  });
}

TEST(SurfaceScaled, ScalingALargePictureDownSmoothly) {
  // A horizontal ramp stays a ramp: each pixel lies between its neighbours.
  Ref<TSurface> src = MakeSurface(200, 50, true);
  for (int32_t y = 0; y < 50; ++y)
    for (int32_t x = 0; x < 200; ++x) *src->PixelAddress(x, y) = 0xFF000000u | uint32_t(x);
  ForEachKernelTable([&] {
    Ref<TSurface> dst = MakeSurface(150, 37, true);
    EXPECT_TRUE(dst->DrawScaled(src.get(), true, 0.75, 0.75, 0, 0));
    for (int32_t x = 0; x < 150; ++x) {
      uint32_t blue = dst->GetPixel(x, 20) & 0xFF;
      double at = x / 0.75;
      EXPECT_LE(std::fabs(blue - at), 1.5) << x;
      EXPECT_EQ(dst->GetPixel(x, 20) >> 24, 255u);
    }
  });
}

TEST(SurfaceScaled, BadScalesDrawNothing) {
  Ref<TSurface> src = Numbered(3, 3);
  Ref<TSurface> dst = MakeSurface(4, 4, true, kMarker);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(dst->DrawScaled(src.get(), true, 0, 1, 0, 0));
  EXPECT_FALSE(dst->DrawScaled(src.get(), false, 1, 0, 0, 0));
  EXPECT_FALSE(dst->DrawScaled(src.get(), true, nan, 1, 0, 0));
  EXPECT_FALSE(dst->DrawScaled(src.get(), true, 1, 1, inf, 0));
  EXPECT_FALSE(dst->DrawTransformed(src.get(), {0, 0}, 0, true, 0, 0, 0, 0));
  EXPECT_FALSE(dst->DrawTransformed(src.get(), {0, 0}, 0, true, 1, 0, 0, 0));
  EXPECT_FALSE(dst->DrawTransformed(src.get(), {0, 0}, nan, true, 1, 1, 0, 0));
  EXPECT_EQ(dst->GetPixel(0, 0), kMarker);
  EXPECT_EQ(dst->GetPixel(3, 3), kMarker);
}

// Rotations by right angles with scale 1 and no offset are exact pixel moves, smoothing
// or not. Source 3 x 2, centre (4, 4): the centre shows source position (4, 4).
TEST(SurfaceTransformed, RightAnglesMovePixelsExactly) {
  struct Case {
    double Angle;
    // Destination pixel -> source pixel.
    int32_t (*SourceX)(int32_t x, int32_t y);
    int32_t (*SourceY)(int32_t x, int32_t y);
  };
  const Case cases[] = {
      {0, [](int32_t x, int32_t) { return x; }, [](int32_t, int32_t y) { return y; }},
      {90, [](int32_t, int32_t y) { return 8 - y; }, [](int32_t x, int32_t) { return x; }},
      {180, [](int32_t x, int32_t) { return 8 - x; }, [](int32_t, int32_t y) { return 8 - y; }},
      {270, [](int32_t, int32_t y) { return y; }, [](int32_t x, int32_t) { return 8 - x; }},
  };
  Ref<TSurface> src = Numbered(3, 2);
  for (const Case& c : cases) {
    for (bool smooth : {false, true}) {
      Ref<TSurface> dst = MakeSurface(12, 12, true, kMarker);
      EXPECT_TRUE(dst->DrawTransformed(src.get(), {4, 4}, c.Angle, smooth, 1, 1, 0, 0));
      int drawn = 0;
      for (int32_t y = 0; y < 12; ++y) {
        for (int32_t x = 0; x < 12; ++x) {
          int32_t sx = c.SourceX(x, y), sy = c.SourceY(x, y);
          bool inside = sx >= 0 && sx < 3 && sy >= 0 && sy < 2;
          if (!inside) continue;
          ++drawn;
          EXPECT_EQ(dst->GetPixel(x, y), NumberedPixel(sx, sy))
              << "angle " << c.Angle << " at " << x << "," << y;
        }
      }
      EXPECT_EQ(drawn, 6);
    }
  }
}

TEST(SurfaceTransformed, OnlyTheBoxAroundTheRotatedPictureIsRendered) {
  Ref<TSurface> src = MakeSurface(4, 4, true, 0xFF336699);
  ForEachKernelTable([&] {
    Ref<TSurface> dst = MakeSurface(40, 40, true, kMarker);
    // The centre (20, 20) shows source position (2, 2): the picture's middle.
    EXPECT_TRUE(dst->DrawTransformed(src.get(), {20, 20}, 30, true, 1, 1, -18, -18));
    ExpectNear(dst->GetPixel(20, 20), 0xFF336699, "inside");
    // In the box but off the picture: alpha 0, colours kept.
    EXPECT_EQ(dst->GetPixel(16, 16), kMarker & kColourMask);
    // Beyond the box (picture corners within 3 pixels of the centre, plus 2): untouched.
    EXPECT_EQ(dst->GetPixel(10, 10), kMarker);
    EXPECT_EQ(dst->GetPixel(30, 20), kMarker);
  });
}

// Wide pictures are rendered in strips of columns; where the strips fall must not show.
TEST(SurfaceTransformed, AWidePictureTurnedInClippedPartsEqualsItTurnedWhole) {
  Ref<TSurface> src = Numbered(250, 180);
  for (double angle : {30.0, 3.0, -100.0}) {
    ForEachKernelTable([&] {
      Ref<TSurface> whole = MakeSurface(300, 220, true, kMarker);
      Ref<TSurface> parts = MakeSurface(300, 220, true, kMarker);
      const TPoint centre{150, 110};
      EXPECT_TRUE(whole->DrawTransformed(src.get(), centre, angle, true, 1.25, 1.25, -30, -20));
      for (TRect clip : {TRect{0, 0, 37, 220}, TRect{37, 0, 201, 220}, TRect{201, 0, 300, 220}}) {
        parts->SetClipRect(true, clip);
        EXPECT_TRUE(parts->DrawTransformed(src.get(), centre, angle, true, 1.25, 1.25, -30, -20));
      }
      int32_t differing = 0;
      for (int32_t y = 0; y < 220; ++y)
        for (int32_t x = 0; x < 300; ++x)
          differing += whole->GetPixel(x, y) != parts->GetPixel(x, y) ? 1 : 0;
      EXPECT_EQ(differing, 0) << "angle " << angle;
      // The centre shows source position offset + centre: (120, 90).
      ExpectNear(whole->GetPixel(150, 110), NumberedPixel(120, 90), "centre");
      // An opaque picture stays opaque, also where neighbours are blended.
      for (int32_t y = 100; y < 120; ++y)
        for (int32_t x = 140; x < 160; ++x) ASSERT_EQ(whole->GetPixel(x, y) >> 24, 255u);
    });
  }
}

TEST(SurfaceTransformed, UnequalOrNegativeScalesUseTheWholeSurface) {
  Ref<TSurface> src = Numbered(3, 2);
  Ref<TSurface> dst = MakeSurface(6, 4, true, kMarker);
  // Mirrored about centre x = 1: destination x shows source 2 - x.
  EXPECT_TRUE(dst->DrawTransformed(src.get(), {1, 0}, 0, true, -1, 1, 0, 0));
  EXPECT_EQ(dst->GetPixel(0, 0), NumberedPixel(2, 0));
  EXPECT_EQ(dst->GetPixel(2, 1), NumberedPixel(0, 1));
  EXPECT_EQ(dst->GetPixel(5, 3), kMarker & kColourMask);
  // Twice as wide: each source column twice.
  EXPECT_TRUE(dst->DrawTransformed(src.get(), {0, 0}, 0, false, 2, 1, 0, 0));
  EXPECT_EQ(dst->GetPixel(1, 0), NumberedPixel(0, 0));
  EXPECT_EQ(dst->GetPixel(5, 1), NumberedPixel(2, 1));
}

TEST(SurfaceTransformed, SmoothingAtTheLastColumnUsesTheDestination) {
  Ref<TSurface> src = MakeSurface(2, 2, true, 0xFF0000C8);
  ForEachKernelTable([&] {
    Ref<TSurface> dst = MakeSurface(4, 4, true, 0xFF000064);
    // Offset half a pixel: the right neighbour of column 1 is missing.
    EXPECT_TRUE(dst->DrawTransformed(src.get(), {0, 0}, 0, true, 2, 1, 0.5, 0));
    ExpectNear(dst->GetPixel(2, 0), 0xFF000096, "half source, half destination");
  });
}

TEST(SurfaceTransformed, ExtremeInputsStayInBounds) {
  Ref<TSurface> src = Numbered(5, 4);
  Ref<TSurface> dst = MakeSurface(16, 16, true, kMarker);
  const double big = 1e300;
  const double values[] = {0.5, -0.5, 1e-9, -1e-9, 3e9, -3e9, big, -big};
  for (double a : values) {
    for (double b : values) {
      dst->DrawScaled(src.get(), true, a, b, b, a);
      dst->DrawScaled(src.get(), false, a, a, b, b);
      dst->DrawTransformed(src.get(), {INT32_MAX, INT32_MIN}, a, true, b, b, a, b);
      dst->DrawTransformed(src.get(), {3, 3}, 45, true, a, b, 0, 0);
      dst->DrawTransformed(src.get(), {3, 3}, 30, true, a, a, b, -b);
      dst->DrawAt(src.get(), a, b);
      dst->DrawAt(src.get(), a + 0.5, b);
    }
  }
  SUCCEED() << "no access outside the surfaces (AddressSanitizer watches)";
}

}  // namespace
