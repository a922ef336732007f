// Smooth-move, zoom, rotate, timed rotate and masked widgets over the shared fixture.

#include <cmath>
#include <string>

#include "foundation/XMLStorage.h"
#define COUNTING_ALLOCATOR_COUNTERS_ONLY
#include "tests/support/CountingAllocator.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/TransformWidgets.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// Pixel (x, y) of a test picture: opaque, and telling its own place.
uint32_t Tell(int32_t x, int32_t y) {
  return 0xFF000000u | uint32_t(x + 1) << 16 | uint32_t(y + 1) << 8;
}

class TransformWidgets : public WidgetFixture {
 protected:
  TransformWidgets() { RegisterWidgetsClasses(); }

  // An image resource W x H whose pixels tell their place; Holes lists transparent ones.
  void AddPicture(const std::string& name, int32_t w, int32_t h,
                  std::initializer_list<TPoint> holes = {}) {
    Ref<TSurface> image = NewAlphaSurface(w, h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) image->SetPixel(x, y, Tell(x, y));
    for (TPoint p : holes) image->SetPixel(p.X, p.Y, 0);
    engine->resources->Put(name, MakeImage(Ref<ISurface>(image.get())));
  }

  // A transform of Type around an image widget of the picture "p", W x H at (0, 0).
  Ref<IWidget> ShowAround(const std::string& type, const std::string& attributes, int32_t w,
                          int32_t h) {
    return Show("<widget type=\"" + type + "\" name=\"t\" visible=\"yes\" " + attributes +
                "><widgets><widget type=\"image_widget\" name=\"inner\" resourcename=\"p\" "
                "visible=\"yes\" width=\"" +
                std::to_string(w) + "\" height=\"" + std::to_string(h) + "\"/></widgets></widget>");
  }

  static TTransformWidget* Transform(const Ref<IWidget>& w) {
    auto* t = dynamic_cast<TTransformWidget*>(w.get());
    EXPECT_TRUE(t);
    return t;
  }
};

// ---------------------------------------------------------------------------------------
// Smooth move

TEST_F(TransformWidgets, SmoothMoveSplitsAnchorsIntoWholeAndQuantisedFraction) {
  Ref<IWidget> w = ShowAround("smooth_move_widget", "", 2, 2);
  auto* s = dynamic_cast<TSmoothMoveWidget*>(w.get());
  struct Case {
    double value, whole, fraction;
  };
  const Case cases[] = {{10.6, 10, 0.5}, {-0.3, -1, 0.5}, {3.0, 3, 0}, {7.99, 7, 0.75}};
  for (const Case& c : cases) {
    w->SetProperty("anchor_left", Variant(c.value));
    EXPECT_EQ(w->GetAnchorLeft(), c.whole) << c.value;
    EXPECT_EQ(s->GetFractionX(), c.fraction) << c.value;
    EXPECT_EQ(w->GetProperty("anchor_left").ToDouble(), c.whole + c.fraction) << c.value;
  }
  w->SetProperty("sampling_step", Variant(0.0));  // no quantising
  w->SetProperty("anchor_left", Variant(10.6));
  EXPECT_NEAR(s->GetFractionX(), 0.6, 1e-12);
}

TEST_F(TransformWidgets, SmoothMoveDrawsHalfAPixelRight) {
  engine->resources->Put("p", MakeImage(Ref<ISurface>(NewAlphaSurface(2, 1, 0xFFC8C8C8).get())));
  Ref<IWidget> w = ShowAround("smooth_move_widget", R"(anchor_left="10.6")", 2, 1);
  EXPECT_EQ(w->GetWidth(), 3);  // one spare pixel for the shift
  TSurfacePtr frame = Render(16, 4, 0xFF000000);
  auto grey = [&](int32_t x) { return int32_t(frame->GetPixel(x, 0) & 0xFF); };
  // Columns 10 and 12 are half covered, column 11 whole.
  EXPECT_EQ(grey(9), 0);
  EXPECT_GT(grey(10), 20);
  EXPECT_LT(grey(10), 120);
  EXPECT_EQ(grey(11), 0xC8);
  EXPECT_EQ(grey(12), grey(10));
  EXPECT_EQ(grey(13), 0);
}

// The grid side is Int(1 / step): each of its side x side positions is rendered once.
TEST_F(TransformWidgets, SmoothMoveCachesEachFractionalPositionOnce) {
  struct Case {
    const char* step;
    int32_t side;
  } cases[] = {{"0.25", 4}, {"0.05", 20}, {"0.3", 3}};
  AddPicture("p", 4, 4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    Ref<IWidget> w = ShowAround("smooth_move_widget",
                                std::string(R"(caching="yes" sampling_step=")") + c.step + "\"", 4, 4);
    auto* s = dynamic_cast<TSmoothMoveWidget*>(w.get());
    ASSERT_EQ(s->CacheSize(), c.side);
    Render(16, 16);
    int made = engine->surfacesCreated;
    double step = w->GetProperty("sampling_step").ToDouble();
    auto visitAll = [&] {
      for (int j = 0; j < c.side; ++j)
        for (int i = 0; i < c.side; ++i) {
          // The middle of each step, clear of rounding at its edges.
          w->SetProperty("anchor_left", Variant(10 + (i + 0.5) * step));
          w->SetProperty("anchor_top", Variant(5 + (j + 0.5) * step));
          Render(16, 16);
        }
    };
    visitAll();
    EXPECT_EQ(engine->surfacesCreated - made, c.side * c.side - 1);  // (0, 0) was drawn already
    visitAll();
    EXPECT_EQ(engine->surfacesCreated - made, c.side * c.side - 1);
  }
  Ref<IWidget> w = ShowAround("smooth_move_widget", R"(caching="yes")", 4, 4);
  auto* s = dynamic_cast<TSmoothMoveWidget*>(w.get());
  Render(16, 16);
  int made = engine->surfacesCreated;
  w->SetProperty("sampling_step", Variant(0.0));  // a step of 0: no cache, no trap
  EXPECT_EQ(s->CacheSize(), 0);
  w->SetProperty("anchor_left", Variant(3.3));
  Render(16, 16);
  EXPECT_EQ(engine->surfacesCreated - made, 0);
}

// A grid whose pictures, all drawn, would pass 32 MiB is not kept: 400 positions of a
// 201 x 201 surface come to about 62 MiB. The author is told once.
TEST_F(TransformWidgets, SmoothMoveCacheTooLargeForItsPicturesIsNotKept) {
  AddPicture("p", 200, 200);
  WarningCapture warnings;
  Ref<IWidget> w = ShowAround("smooth_move_widget", R"(caching="yes" sampling_step="0.05")", 200,
                              200);
  Render(16, 16);
  int made = engine->surfacesCreated;
  for (int i = 0; i < 5; ++i) {
    w->SetProperty("anchor_left", Variant(10 + (i + 0.5) * 0.05));
    Render(16, 16);
  }
  EXPECT_EQ(engine->surfacesCreated - made, 0);
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_NE(warnings.Lines()[0].find("smooth_move_widget \"t\""), std::string::npos);
  EXPECT_NE(warnings.Lines()[0].find("0.05"), std::string::npos);
}

// ---------------------------------------------------------------------------------------
// Zoom

TEST_F(TransformWidgets, ZoomKeepsAMagnitudeOfAtLeastOneThousandth) {
  Ref<IWidget> w = ShowAround("zoom_widget", "", 4, 4);
  struct Case {
    double set, stored;
  };
  const Case cases[] = {{0, 0.001}, {-0.0001, -0.001}, {0.0005, 0.001}, {2.5, 2.5}, {-3, -3}};
  for (const Case& c : cases) {
    w->SetProperty("zoom", Variant(c.set));
    EXPECT_EQ(w->GetProperty("zoomx").ToDouble(), c.stored) << c.set;
    EXPECT_EQ(w->GetProperty("zoomy").ToDouble(), c.stored) << c.set;
  }
}

TEST_F(TransformWidgets, ZoomPlacesAndHitTestsThroughItsScaledSurface) {
  AddPicture("p", 10, 10, {{0, 0}, {9, 9}});
  Ref<IWidget> w = ShowAround("zoom_widget", R"(zoom="2" centerx="10" centery="10"
                              anchor_left="30.5" anchor_top="40" mousestop="yes")",
                              10, 10);
  EXPECT_EQ(w->GetLeft(), 30 - 20);
  EXPECT_EQ(w->GetTop(), 40 - 20);
  EXPECT_EQ(w->GetWidth(), 21);
  struct Case {
    TPoint point;
    bool hit;
  };
  // The surface's corner is at (10, 20); the anchor's half pixel puts the child's column
  // 0 at 11 and 12 (2 x 2 per pixel), its last at 29 and 30. Pixels (0, 0) and (9, 9) are
  // holes.
  const Case cases[] = {{{10, 20}, false}, {{11, 21}, false}, {{13, 20}, true}, {{12, 22}, true},
                        {{29, 39}, false}, {{27, 39}, true},  {{9, 25}, false}, {{31, 25}, false}};
  for (const Case& c : cases)
    EXPECT_EQ(w->ContainsPoint(c.point, false), c.hit) << c.point.X << "," << c.point.Y;
  TSurfacePtr frame = Render(64, 64);
  EXPECT_EQ(frame->GetPixel(10, 22), 0u);
  EXPECT_EQ(frame->GetPixel(11, 22), Tell(0, 1));
  EXPECT_EQ(frame->GetPixel(14, 21), Tell(1, 0));
  EXPECT_EQ(frame->GetPixel(30, 38), 0u);
}

TEST_F(TransformWidgets, ScreenToLocalGoesThroughZoomAndRotation) {
  AddPicture("p", 4, 2);
  struct Case {
    const char* type;
    const char* attributes;
    TPoint screen, child;
  };
  const Case cases[] = {
      // Halved: the child's (2, 3) is at twice that from the anchor.
      {"zoom_widget", R"(zoom="2" anchor_left="10" anchor_top="10")", {14, 16}, {2, 3}},
      {"zoom_widget", R"(zoom="2" anchor_left="10" anchor_top="10")", {15, 17}, {2, 4}},
      // Turned a quarter: the child's (x, y) is drawn at (20 + y, 20 - x).
      {"rotate_widget", R"(angle="90" anchor_left="20" anchor_top="20")", {20, 20}, {0, 0}},
      {"rotate_widget", R"(angle="90" anchor_left="20" anchor_top="20")", {21, 20}, {0, 1}},
      {"rotate_widget", R"(angle="90" anchor_left="20" anchor_top="20")", {20, 17}, {3, 0}},
      {"rotate_widget", R"(angle="90" anchor_left="20" anchor_top="20")", {21, 18}, {2, 1}},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w = ShowAround(c.type, c.attributes, 4, 2);
    Ref<IWidget> inner = w->FindWidget("inner");
    EXPECT_EQ(inner->ScreenToLocalPoint(c.screen), c.child) << c.type << " " << c.screen.X;
  }
}

TEST_F(TransformWidgets, ZoomWithTwoFactorsSavesBothAndLoadsBack) {
  Ref<IWidget> w = ShowAround("zoom_widget", R"(zoomx="2" zoomy="3")", 4, 4);
  Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
  SaveObject(Ref<IInterface>(w.get()), Ref<IHierStorage>(saved.get()));
  std::string xml = saved->GetXml().ToString();
  EXPECT_NE(xml.find("zoomx=\"2\""), std::string::npos) << xml;
  EXPECT_NE(xml.find("zoomy=\"3\""), std::string::npos) << xml;
  Ref<IWidget> again = Load(xml);
  EXPECT_EQ(again->GetProperty("zoomx").ToDouble(), 2);
  EXPECT_EQ(again->GetProperty("zoomy").ToDouble(), 3);
}

// A still transform costs one blit: it is rebuilt when the child or the transform changes.
TEST_F(TransformWidgets, RebuildsOnlyWhenChildOrTransformChanges) {
  Ref<IWidget> w = Show(R"(<widget type="zoom_widget" visible="yes" zoom="2"><widgets>
      <widget type="test_box" name="box" visible="yes" width="4" height="4" color="$FFFF0000"/>
    </widgets></widget>)");
  TTransformWidget* t = Transform(w);
  for (int i = 0; i < 5; ++i) {
    Frame(16);
    Render();
  }
  EXPECT_EQ(t->RebuildCount(), 1);
  w->FindWidget("box")->SetProperty("width", Variant(5));  // the child changed
  Frame(16);
  Render();
  EXPECT_EQ(t->RebuildCount(), 2);
  w->SetProperty("zoom", Variant(3));  // the transform changed
  Frame(16);
  TSurfacePtr frame = Render();
  EXPECT_EQ(t->RebuildCount(), 3);
  EXPECT_EQ(frame->GetPixel(14, 11), 0xFFFF0000u);
  EXPECT_EQ(frame->GetPixel(16, 11), 0u);  // 5 * 3 + 1 wide
}

TEST_F(TransformWidgets, NotifyReleasesTheSurfaces) {
  AddPicture("p", 4, 4);
  Ref<IWidget> w = ShowAround("zoom_widget", R"(zoom="2")", 4, 4);
  Render();
  int made = engine->surfacesCreated;
  w->Notify(TTransformWidget::kReleaseSurfaces, Variant());
  TSurfacePtr frame = Render();
  EXPECT_EQ(engine->surfacesCreated, made + 2);  // the surface and the child's picture
  EXPECT_EQ(frame->GetPixel(1, 1), Tell(0, 0));
}

// ---------------------------------------------------------------------------------------
// Rotation

TEST_F(TransformWidgets, TwoByThreePictureTurnedAQuarter) {
  AddPicture("p", 2, 3);
  Ref<IWidget> w =
      ShowAround("rotate_widget", R"(angle="90" anchor_left="10" anchor_top="10")", 2, 3);
  EXPECT_EQ(w->GetWidth(), 4);  // radius sqrt(13) / 2
  TSurfacePtr frame = Render(32, 32);
  // The picture's top row lies along the left, its right column along the top.
  struct Case {
    TPoint screen, source;
  };
  const Case cases[] = {{{10, 9}, {1, 0}},  {{10, 10}, {0, 0}}, {{11, 9}, {1, 1}},
                        {{11, 10}, {0, 1}}, {{12, 9}, {1, 2}},  {{12, 10}, {0, 2}}};
  int drawn = 0;
  for (const Case& c : cases)
    EXPECT_EQ(frame->GetPixel(c.screen.X, c.screen.Y), Tell(c.source.X, c.source.Y))
        << c.screen.X << "," << c.screen.Y;
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x) drawn += frame->GetPixel(x, y) != 0;
  EXPECT_EQ(drawn, 6);
  // Every pixel drawn lies in the rectangle redrawn.
  TRect r = w->GetRect();
  EXPECT_TRUE(r.Left <= 10 && r.Top <= 9 && r.Right >= 13 && r.Bottom >= 11);
}

TEST_F(TransformWidgets, WholeTurnsDrawTheChildUnturnedInTheMiddle) {
  AddPicture("p", 4, 2);
  Ref<IWidget> w = ShowAround("rotate_widget", R"(angle="720")", 4, 2);
  EXPECT_EQ(w->GetWidth(), 5);  // 2 * trunc(2.236) + 1
  Ref<TSurface> image = TAbstractObject::Create<TSurface>();
  image->SetHasAlpha(true);
  image->SetSize(5, 5);
  w->Draw(image.get(), 0, 1);  // the drawing origin moves up by trunc(2.236) - 1
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 5; ++x) {
      bool inside = x < 4 && y >= 1 && y < 3;
      EXPECT_EQ(image->GetPixel(x, y), inside ? Tell(x, y - 1) : 0u) << x << "," << y;
    }
}

TEST_F(TransformWidgets, TimedRotationTurnsBackwardsOncePerRotationTime) {
  AddPicture("p", 4, 4);
  Ref<IWidget> w =
      ShowAround("rotate_widget_timed", R"(rotate="yes" rotationtime="1000" startangle="0")", 4, 4);
  auto* r = dynamic_cast<TRotateWidget*>(w.get());
  w->Process(250);
  EXPECT_EQ(r->GetAngle(), -90);
  w->Process(500);
  EXPECT_EQ(r->GetAngle(), -270);
  w->SetProperty("rotationtime", Variant(0));  // no turning, no trap
  w->SetProperty("startangle", Variant(30));
  w->Process(16);
  EXPECT_EQ(r->GetAngle(), 30);
  Render();
}

TEST_F(TransformWidgets, TurningEveryFrameAllocatesNothing) {
  AddPicture("p", 32, 32);
  Ref<IWidget> w = ShowAround("rotate_widget", R"(smooth="yes")", 32, 32);
  TSurfacePtr frame = NewSurface(64, 64);
  auto step = [&](int i) {
    w->SetProperty("angle", Variant(i * 3.7));
    w->Process(16);
    DirtyPass();
    w->Draw(frame.get(), 20, 20);
  };
  for (int i = 0; i < 5; ++i) step(i);
  int made = engine->surfacesCreated;
  allocation_count::allocations = 0;
  allocation_count::counting = true;
  for (int i = 5; i < 100; ++i) step(i);
  allocation_count::counting = false;
  EXPECT_EQ(allocation_count::allocations, 0);
  EXPECT_EQ(engine->surfacesCreated, made);
  EXPECT_EQ(Transform(w)->RebuildCount(), 100);
}

TEST_F(TransformWidgets, BreathingZoomAllocatesNothingOnceGrown) {
  AddPicture("p", 40, 20);
  Ref<IWidget> w = ShowAround("zoom_widget", R"(smooth="yes")", 40, 20);
  TSurfacePtr frame = NewSurface(128, 64);
  auto step = [&](int i) {
    w->SetProperty("zoom", Variant(1 + 0.2 * std::sin(i / 5.0)));
    w->Process(16);
    DirtyPass();
    w->Draw(frame.get(), 4, 4);
  };
  for (int i = 0; i < 40; ++i) step(i);
  int made = engine->surfacesCreated;
  allocation_count::allocations = 0;
  allocation_count::counting = true;
  for (int i = 40; i < 140; ++i) step(i);
  allocation_count::counting = false;
  EXPECT_EQ(allocation_count::allocations, 0);
  EXPECT_EQ(engine->surfacesCreated, made);
}

// ---------------------------------------------------------------------------------------
// Masked

TEST_F(TransformWidgets, MaskedWidgetShowsTheChildWhereTheMaskIsOpaque) {
  AddPicture("p", 4, 4);
  Ref<TSurface> mask = NewAlphaSurface(3, 3, 0xFFFFFFFF);
  mask->SetPixel(1, 1, 0x00FFFFFF);
  engine->resources->Put("hole", MakeImage(Ref<ISurface>(mask.get())));
  ShowAround("masked_widget", R"(resourcename="hole")", 4, 4);
  TSurfacePtr frame = Render(8, 8);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x) {
      bool shown = x < 3 && y < 3 && !(x == 1 && y == 1);  // the mask is 3 x 3
      EXPECT_EQ(frame->GetPixel(x, y), shown ? Tell(x, y) : 0u) << x << "," << y;
    }
  ShowAround("masked_widget", R"(resourcename="missing")", 4, 4);
  EXPECT_EQ(Render(8, 8)->GetPixel(0, 0), 0u);
}

}  // namespace
