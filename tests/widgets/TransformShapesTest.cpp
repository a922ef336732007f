// Contour, scroll-area, cut-sector and mask widgets over the shared widget fixture.

#include <random>
#include <string>
#include <vector>

#include "tests/support/FakeResources.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/TransformWidgets.h"
#include "widgets/WidgetsRegistration.h"

namespace {

uint32_t Tell(int32_t x, int32_t y) {
  return 0xFF000000u | uint32_t(x + 1) << 16 | uint32_t(y + 1) << 8;
}

class TransformShapes : public WidgetFixture {
 protected:
  TransformShapes() { RegisterWidgetsClasses(); }

  // Picture "p", W x H, every pixel Fill, except the listed ones.
  void AddPicture(int32_t w, int32_t h, uint32_t fill,
                  std::initializer_list<std::pair<TPoint, uint32_t>> pixels = {}) {
    Ref<TSurface> image = NewAlphaSurface(w, h, fill);
    for (auto [p, value] : pixels) image->SetPixel(p.X, p.Y, value);
    engine->resources->Put("p", MakeImage(Ref<ISurface>(image.get())));
  }
  void AddTellingPicture(int32_t w, int32_t h) {
    Ref<TSurface> image = NewAlphaSurface(w, h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) image->SetPixel(x, y, Tell(x, y));
    engine->resources->Put("p", MakeImage(Ref<ISurface>(image.get())));
  }

  Ref<IWidget> ShowAround(const std::string& type, const std::string& attributes, int32_t w,
                          int32_t h) {
    return Show("<widget type=\"" + type + "\" name=\"t\" visible=\"yes\" " + attributes +
                "><widgets><widget type=\"image_widget\" name=\"inner\" resourcename=\"p\" "
                "visible=\"yes\" width=\"" +
                std::to_string(w) + "\" height=\"" + std::to_string(h) + "\"/></widgets></widget>");
  }
};

// ---------------------------------------------------------------------------------------
// Contour

TEST_F(TransformShapes, ContourGrowsByItsThicknessOnEachSide) {
  AddPicture(10, 10, 0xFFFFFFFF);
  Ref<IWidget> w = ShowAround("contour_widget",
                              R"(contourthickness="3" anchor_left="20" anchor_top="30")", 10, 10);
  EXPECT_EQ(w->GetWidth(), 16);
  EXPECT_EQ(w->GetHeight(), 16);
  EXPECT_EQ(w->GetLeft(), 17);
  EXPECT_EQ(w->GetRect(), (TRect{17, 27, 33, 43}));
}

TEST_F(TransformShapes, HardContourAroundOnePixel) {
  const uint32_t color = 0xFF00FF00;
  struct Case {
    int32_t thickness;
    std::vector<std::pair<TPoint, uint32_t>> expected;  // offsets from the pixel
  };
  const Case cases[] = {
      {1,
       {{{-1, 0}, 255},
        {{1, 0}, 255},
        {{0, -1}, 255},
        {{0, 1}, 255},
        {{-1, -1}, 128},
        {{1, 1}, 128},
        {{-2, 0}, 0},
        {{-1, -2}, 0}}},
      {2,
       {{{-2, 0}, 255},
        {{0, 2}, 255},
        {{1, 1}, 255},
        {{2, 1}, 204},
        {{-1, -2}, 204},
        {{2, 2}, 128},
        {{-2, -2}, 128},
        {{3, 0}, 0}}},
  };
  for (const Case& c : cases) {
    AddPicture(7, 7, 0, {{{3, 3}, 0xFFFF0000}});
    ShowAround("contour_widget",
               "anchor_left=\"8\" anchor_top=\"8\" contourcolor=\"$FF00FF00\" "
               "contourthickness=\"" +
                   std::to_string(c.thickness) + "\"",
               7, 7);
    TSurfacePtr frame = Render(20, 20);
    const int32_t cx = 8 + 3, cy = 8 + 3;  // the pixel on the frame: the outline is around
    EXPECT_EQ(frame->GetPixel(cx, cy), 0xFFFF0000u);
    for (auto [offset, alpha] : c.expected) {
      uint32_t want = alpha ? (color & 0xFFFFFF) | alpha << 24 : 0;
      EXPECT_EQ(frame->GetPixel(cx + offset.X, cy + offset.Y), want)
          << "t " << c.thickness << " at " << offset.X << "," << offset.Y;
    }
  }
}

TEST_F(TransformShapes, AlphaAtTheLimitCountsAsTransparent) {
  for (int limit : {50, 49}) {
    AddPicture(3, 3, 0, {{{1, 1}, 0x32FF0000}});  // alpha 50
    ShowAround("contour_widget",
               "contourcolor=\"$FF0000FF\" alphalimit=\"" + std::to_string(limit) + "\"", 3, 3);
    TSurfacePtr frame = Render(8, 8);
    EXPECT_EQ(frame->GetPixel(1, 0), limit == 50 ? 0u : 0xFF0000FFu) << limit;
  }
}

TEST_F(TransformShapes, SmoothContourFadesWithDistanceAndTintsTranslucentEdges) {
  AddPicture(9, 9, 0, {{{4, 4}, 0x64FF0000}});  // one pixel of alpha 100
  ShowAround("contour_widget", R"(smooth="yes" contourthickness="3" contourcolor="$FF0000FF")", 9,
             9);
  TSurfacePtr frame = Render(16, 16);
  const int32_t x = 4, y = 4;
  struct Case {
    TPoint offset;
    uint32_t alpha;  // the kernel's weight: alpha 100 scales it by 100 / 100
  };
  const Case cases[] = {{{1, 0}, 255},   {{0, -2}, 252}, {{3, 0}, 128},
                        {{-2, -2}, 179}, {{3, 1}, 0},    {{4, 0}, 0}};
  for (const Case& c : cases) {
    uint32_t want = c.alpha ? 0x000000FFu | c.alpha << 24 : 0;
    EXPECT_EQ(frame->GetPixel(x + c.offset.X, y + c.offset.Y), want)
        << c.offset.X << "," << c.offset.Y;
  }
  // The pixel itself takes in the outline's colour by its transparency (155).
  EXPECT_EQ(frame->GetPixel(x, y), 0xC264009Au);
}

TEST_F(TransformShapes, NegativeThicknessIsNone) {
  AddPicture(4, 4, 0xFFFFFFFF);
  WarningCapture warnings;
  Ref<IWidget> w = ShowAround("contour_widget", R"(contourthickness="-5")", 4, 4);
  EXPECT_EQ(w->GetWidth(), 4);
  EXPECT_EQ(w->GetProperty("contourthickness").ToInt(), 0);
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_NE(warnings.Lines()[0].find("contourthickness -5 read as 0"), std::string::npos);
  w->SetProperty("contourthickness", Variant(2));
  EXPECT_EQ(w->GetWidth(), 8);
  w->SetProperty("contourthickness", Variant(-3));
  EXPECT_EQ(w->GetWidth(), 4);
  EXPECT_EQ(w->GetRect().Width(), 4);
  Render();
}

TEST_F(TransformShapes, HiddenOutlineDrawsTheVisibleChildOnly) {
  AddPicture(2, 2, 0xFFFF0000);
  Ref<IWidget> w =
      ShowAround("contour_widget", R"(showcontour="no" contourcolor="$FF0000FF")", 2, 2);
  w->SetProperty("anchor_left", Variant(2));
  TSurfacePtr frame = Render(8, 8);
  EXPECT_EQ(frame->GetPixel(3, 1), 0xFFFF0000u);
  EXPECT_EQ(frame->GetPixel(1, 1), 0u);
  w->SetProperty("showcontour", Variant(true));
  w->FindWidget("inner")->SetVisible(false);  // an outline around an unseen child
  frame = Render(8, 8);
  EXPECT_EQ(frame->GetPixel(3, 1), 0u);
  EXPECT_EQ(frame->GetPixel(1, 1), 0xFF0000FFu);
}

// ---------------------------------------------------------------------------------------
// Scroll area

TEST_F(TransformShapes, ScrollAreaShowsAShiftedViewportOfItsChild) {
  AddTellingPicture(200, 4);
  Ref<IWidget> w = ShowAround("scrollarea_widget",
                              R"(width="100" height="3" shiftleft="30" anchor_left="5")", 200, 4);
  TSurfacePtr frame = Render(128, 8);
  EXPECT_EQ(frame->GetPixel(4, 0), 0u);
  EXPECT_EQ(frame->GetPixel(5, 0), Tell(30, 0));
  EXPECT_EQ(frame->GetPixel(104, 2), Tell(129, 2));
  EXPECT_EQ(frame->GetPixel(105, 0), 0u);
  EXPECT_EQ(frame->GetPixel(5, 3), 0u);
  // A click at viewport x 10 reaches the child at x 40.
  EXPECT_EQ(w->FindWidget("inner")->ScreenToLocalPoint(TPoint{15, 2}), (TPoint{40, 2}));
  w->SetProperty("shiftleft", Variant(0));
  EXPECT_EQ(Render(128, 8)->GetPixel(5, 0), Tell(0, 0));
  w->SetProperty("width", Variant(10));
  EXPECT_EQ(w->GetWidth(), 10);
  EXPECT_EQ(Render(128, 8)->GetPixel(15, 0), 0u);
}

// ---------------------------------------------------------------------------------------
// Cut sector

TEST_F(TransformShapes, SectorsAreErasedWithRowsGrowingDownward) {
  struct Case {
    double start, end;
    TPoint erased[3], kept[3];
  };
  const Case cases[] = {
      // A quarter right of and below the centre.
      {0, 90, {{15, 15}, {15, 10}, {11, 19}}, {{15, 5}, {5, 15}, {10, 15}}},
      // A wedge around the positive x axis.
      {-45, 45, {{15, 10}, {15, 14}, {15, 6}}, {{10, 15}, {5, 10}, {15, 16}}},
  };
  AddPicture(20, 20, 0xFFFFFFFF);
  for (const Case& c : cases) {
    ShowAround("cutsector_widget",
               "centerx=\"10\" centery=\"10\" startangle=\"" + std::to_string(c.start) +
                   "\" endangle=\"" + std::to_string(c.end) + "\"",
               20, 20);
    TSurfacePtr frame = Render(20, 20);
    for (TPoint p : c.erased) EXPECT_EQ(frame->GetPixel(p.X, p.Y), 0u) << p.X << "," << p.Y;
    for (TPoint p : c.kept) EXPECT_EQ(frame->GetPixel(p.X, p.Y), 0xFFFFFFFFu) << p.X << "," << p.Y;
  }
}

// The rows' edges are found without the angle of every pixel: the result is the angle
// test's, pixel for pixel.
TEST_F(TransformShapes, SectorEraseGivesTheSamePixelsAsTheAngleTest) {
  struct Sector {
    double cx, cy, start, end;
  };
  std::vector<Sector> sectors = {
      {10, 10, 0, 90},     {10, 10, -45, 45},    {10.5, 9.25, 30, 300}, {0, 0, 0, 360},
      {-5, 40, 10, 80},    {12, 12, -200, -100}, {12, 12, 90, 90},      {12, 12, 270, 90},
      {12, 12, 100, 1000}, {12, 12, -90, 400},   {33, -3, 180, 270},    {12, 12.5, 179, 181},
      {12, 12, -180, 180}, {12, 12, 45, 45.001}, {12.3, 7.7, -30, -10}, {12, 12, 0, 0},
  };
  std::mt19937 random(7);
  std::uniform_real_distribution<double> place(-10, 40), angle(-400, 400);
  for (int i = 0; i < 200; ++i) {
    double a = angle(random), b = angle(random);
    sectors.push_back({place(random), place(random), std::min(a, b), std::max(a, b)});
  }
  const int32_t w = 33, h = 29;
  for (const Sector& s : sectors) {
    TSurfacePtr image = NewSurface(w, h, 0xFFFFFFFF);
    TCutSectorWidget::EraseSector(image.get(), w, h, s.cx, s.cy, s.start, s.end);
    int wrong = 0;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        bool in = TCutSectorWidget::InSector(x, y, s.cx, s.cy, s.start, s.end);
        wrong += (image->GetPixel(x, y) == 0) != in;
      }
    EXPECT_EQ(wrong, 0) << s.cx << "," << s.cy << " " << s.start << ".." << s.end;
  }
}

// ---------------------------------------------------------------------------------------
// Mask

class MaskWidget : public TransformShapes {
 protected:
  // A mask widget "m" over an 8 x 8 picture and a hidden 4 x 4 box "shape" at (6, 2).
  Ref<IWidget> ShowMask() {
    AddTellingPicture(8, 8);
    return Show(R"(<widget type="group_widget" visible="yes"><widgets>
        <widget type="mask_widget" name="m" visible="yes"><widgets>
          <widget type="image_widget" name="inner" resourcename="p" visible="yes" width="8"
                  height="8"/></widgets></widget>
        <widget type="test_box" name="shape" anchor_left="6" anchor_top="2" width="4" height="4"
                color="$FF000000"/>
      </widgets></widget>)");
  }
  int Shown(const TSurfacePtr& frame) {
    int shown = 0;
    for (int32_t y = 0; y < 8; ++y)
      for (int32_t x = 0; x < 8; ++x) shown += frame->GetPixel(x, y) == Tell(x, y);
    return shown;
  }
};

TEST_F(MaskWidget, FillLevelHidesOrShowsTheChild) {
  Ref<IWidget> group = ShowMask();
  Ref<IWidget> m = group->FindWidget("m");
  Frame(16);
  EXPECT_EQ(Shown(Render()), 64);
  struct Case {
    int32_t level;
    int shown;
  };
  const Case cases[] = {{0, 0}, {255, 64}, {256, 0}, {1, 64}, {-1, 64}};
  for (const Case& c : cases) {
    m->SetProperty("fillMaskWithLevel", Variant(c.level));
    Frame(16);
    EXPECT_EQ(Shown(Render()), c.shown) << c.level;
  }
}

TEST_F(MaskWidget, LevelSetBeforeTheFirstFrameHolds) {
  Ref<IWidget> group = ShowMask();
  group->FindWidget("m")->SetProperty("fillMaskWithLevel", Variant(0));
  Frame(16);
  EXPECT_EQ(Shown(Render()), 0);
}

TEST_F(MaskWidget, SubtractingAShapeHalfOutsideClearsOnlyTheOverlap) {
  Ref<IWidget> group = ShowMask();
  Ref<IWidget> m = group->FindWidget("m");
  Frame(16);
  m->SetProperty("substractFromMaskRect",
                 Variant(Ref<IInterface>(group->FindWidget("shape").get())));
  Frame(16);
  TSurfacePtr frame = Render();
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      bool cleared = x >= 6 && y >= 2 && y < 6;
      EXPECT_EQ(frame->GetPixel(x, y), cleared ? 0u : Tell(x, y)) << x << "," << y;
    }
  // Not a widget: nothing happens.
  m->SetProperty("substractFromMask", Variant(7));
  m->SetProperty("substractFromMask", Variant());
  EXPECT_EQ(Shown(Render()), 64 - 8);
}

TEST_F(MaskWidget, SubtractingByShapeClearsUnderItsOpaquePixelsOnly) {
  Ref<IWidget> group = ShowMask();
  Ref<IWidget> m = group->FindWidget("m");
  Ref<IWidget> shape = group->FindWidget("shape");
  shape->SetProperty("color", Variant(0));  // wholly transparent
  Frame(16);
  m->SetProperty("substractFromMask", Variant(Ref<IInterface>(shape.get())));
  Frame(16);
  EXPECT_EQ(Shown(Render()), 64);
  shape->SetProperty("color", Variant(int32_t(0x80000000)));
  m->SetProperty("substractFromMask", Variant(Ref<IInterface>(shape.get())));
  Frame(16);
  EXPECT_EQ(Shown(Render()), 64 - 8);
}

TEST_F(MaskWidget, ChildGrownAfterTheMaskShowsOnlyWithinIt) {
  Show(R"(<widget type="mask_widget" name="m" visible="yes"><widgets>
      <widget type="test_box" name="box" visible="yes" width="4" height="4" color="$FFFF0000"/>
    </widgets></widget>)");
  Frame(16);
  Render();
  window->root->FindWidget("box")->SetProperty("width", Variant(6));
  window->root->FindWidget("box")->SetProperty("height", Variant(7));
  Frame(16);
  TSurfacePtr frame = Render(16, 16);
  EXPECT_EQ(frame->GetPixel(3, 3), 0xFFFF0000u);
  EXPECT_EQ(frame->GetPixel(4, 3), 0u);
  EXPECT_EQ(frame->GetPixel(3, 4), 0u);
}

}  // namespace
