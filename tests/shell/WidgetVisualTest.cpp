// Visual widgets: the dirty-rectangle pass and the surface widget.

#include "foundation/CheckedMath.h"
#include "shell/WidgetFactories.h"
#include "tests/support/WidgetFixture.h"

namespace {

class WidgetVisual : public WidgetFixture {};

using Rects = std::vector<TRect>;

TEST_F(WidgetVisual, DirtyPassPostsNewMovedAndHiddenRectanglesOnce) {
  Ref<IWidget> w = Show(R"(<widget type="test_box" width="10" height="5" visible="yes"
                                   anchor_left="3" anchor_top="4"/>)");
  struct Step {
    const char* what;
    void (*change)(IWidget*);
    Rects expected;
  } steps[] = {
      {"first pass", [](IWidget*) {}, {{3, 4, 13, 9}}},
      {"unchanged", [](IWidget*) {}, {}},
      {"moved one pixel", [](IWidget* x) { x->SetAnchorLeft(4); }, {{3, 4, 13, 9}, {4, 4, 14, 9}}},
      {"resized",
       [](IWidget* x) { x->SetProperty("width", Variant(6)); },
       {{4, 4, 14, 9}, {4, 4, 10, 9}}},
      {"needs redraw", [](IWidget* x) { x->Invalidate(); }, {{4, 4, 10, 9}}},
      {"same z and level",
       [](IWidget* x) {
         x->SetZ(0);
         x->SetTransparentLevel(255);
       },
       {}},
      {"other level", [](IWidget* x) { x->SetTransparentLevel(128); }, {{4, 4, 10, 9}}},
      {"hidden", [](IWidget* x) { x->SetVisible(false); }, {{4, 4, 10, 9}}},
      {"still hidden", [](IWidget*) {}, {}},
      {"moved while hidden", [](IWidget* x) { x->SetAnchorTop(0); }, {}},
      {"shown again", [](IWidget* x) { x->SetVisible(true); }, {{4, 0, 10, 5}}},
  };
  for (const Step& s : steps) {
    s.change(w.get());
    Frame(16);
    EXPECT_EQ(window->dirtyRects, s.expected) << s.what;
    EXPECT_EQ(engine->redrawRects, s.expected) << s.what;
  }
}

TEST_F(WidgetVisual, RectanglesTravelInScreenCoordinates) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"
        anchor_left="100" anchor_top="50"><widgets>
      <widget type="group_widget" name="g" visible="yes" anchor_left="10" anchor_top="20"><widgets>
        <widget type="test_box" name="b" width="2" height="2" visible="yes" anchor_left="1"/>
      </widgets></widget></widgets></widget>)");
  DirtyPass();
  Ref<IWidget> b = root->FindWidget("g/b");
  window->dirtyRects.clear();
  b->SetAnchorLeft(3);
  DirtyPass();
  EXPECT_EQ(window->dirtyRects, (Rects{{111, 70, 113, 72}, {113, 70, 115, 72}}));
  EXPECT_EQ(LocalToScreen(b.get(), TPoint{3, 0}), (TPoint{113, 70}));
  EXPECT_EQ(b->ScreenToLocalPoint(TPoint{113, 70}), (TPoint{3, 0}));

  // A group that moves makes every child post its old and new place; the group posts the
  // rectangle it posted last and its new one.
  root->FindWidget("g")->SetAnchorTop(0);
  DirtyPass();
  EXPECT_EQ(
      window->dirtyRects,
      (Rects{{113, 70, 115, 72}, {113, 50, 115, 52}, {111, 70, 113, 72}, {113, 50, 115, 52}}));
}

// Coordinates from data are kept within the limit of data coordinates when read or set.
TEST_F(WidgetVisual, CoordinatesFromDataAreKeptWithinTheLimit) {
  const int32_t limit = kDataCoordinateLimit;
  Ref<IWidget> b = Show(R"(<widget type="test_box" name="b" visible="yes" width="2147483647"
      height="-2147483648" anchor_left="2147483647" anchor_top="-2147483648"/>)");
  EXPECT_EQ(b->GetAnchorLeft(), limit);
  EXPECT_EQ(b->GetAnchorTop(), -limit);
  EXPECT_EQ(b->GetWidth(), limit);
  EXPECT_EQ(b->GetHeight(), -limit);
  b->SetProperty("anchor_top", Variant(1e300));
  b->SetProperty("width", Variant(-1e300));
  EXPECT_EQ(b->GetAnchorTop(), limit);
  EXPECT_EQ(b->GetWidth(), -limit);
  DirtyPass();
  Render();
}

// What still grows past 32 bits at run time (anchors moved by code, as the cursor follows
// the mouse less its hot spot) saturates in the rectangle arithmetic instead of wrapping.
TEST_F(WidgetVisual, RectanglesBeyondTheIntegerLimitsSaturate) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"
        anchor_left="100" anchor_top="50"><widgets>
      <widget type="test_box" name="b" visible="yes" width="10" height="10" anchor_left="5"
              anchor_top="5"/></widgets></widget>)");
  Ref<IWidget> b = root->FindWidget("b");
  DirtyPass();
  struct Case {
    const char* what;
    double rootLeft, childLeft;
    bool farRight;  // where every posted rectangle must stay: far right, or far left
  } cases[] = {
      {"the child far out", 100, 1e12, true},
      {"the group far out", -1e12, 5, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    root->SetAnchorLeft(c.rootLeft);
    b->SetAnchorLeft(c.childLeft);
    window->dirtyRects.clear();
    DirtyPass();
    // Each widget that moved posts its old place, then its new one.
    ASSERT_FALSE(window->dirtyRects.empty());
    for (size_t i = 1; i < window->dirtyRects.size(); i += 2) {
      const TRect& r = window->dirtyRects[i];
      EXPECT_EQ(r.Top, 55);
      EXPECT_EQ(r.Bottom, 65);
      EXPECT_LE(r.Left, r.Right);
      if (c.farRight)
        EXPECT_EQ(r.Left, INT32_MAX);
      else
        EXPECT_LT(r.Right, INT32_MIN + 100);
    }
    EXPECT_EQ(LocalToScreen(b.get(), TPoint{0, INT32_MIN}).Y, INT32_MIN + 50);
    Render();
  }
}

class SurfaceWidget : public WidgetFixture {
 protected:
  // 4 x 4: alpha grows with x: 0, 10, 11, 255; colour red.
  TSurfacePtr MakeSurface() {
    TSurfacePtr s = NewSurface(4, 4);
    const uint32_t alpha[4] = {0, 10, 11, 255};
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) s->SetPixel(x, y, (alpha[x] << 24) | 0xFF0000u);
    return s;
  }
};

TEST_F(SurfaceWidget, HitsOnlyPixelsWithAlphaElevenOrMore) {
  Ref<IWidget> w =
      Show(R"(<widget type="surface_widget" visible="yes" anchor_left="10" anchor_top="20"/>)");
  w->SetProperty("surface", Variant(MakeSurface()));
  EXPECT_EQ(w->GetWidth(), 4);
  struct Case {
    TPoint p;
    bool inside;
  } cases[] = {
      {{10, 20}, false},
      {{11, 21}, false},
      {{12, 22}, true},
      {{13, 23}, true},
      // The right and bottom edges belong to the rectangle but not to the surface.
      {{14, 23}, false},
      {{13, 24}, false},
      {{14, 24}, false},
      {{9, 20}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(w->ContainsPoint(c.p, false), c.inside) << c.p.X << "," << c.p.Y;
  w->SetVisible(false);
  EXPECT_FALSE(w->ContainsPoint(TPoint{13, 23}, false));
  EXPECT_TRUE(w->ContainsPoint(TPoint{13, 23}, true));
}

TEST_F(SurfaceWidget, DrawsAShiftedPartCopiedOrFilled) {
  Ref<IWidget> w = Show(R"(<widget type="surface_widget" visible="yes" anchor_left="1"/>)");
  TSurfacePtr source = NewSurface(4, 4, 0xFF0000FF);
  source->SetPixel(2, 1, 0xFF00FF00);
  w->SetProperty("surface", Variant(source));
  w->SetProperty("shiftleft", Variant(2));
  w->SetProperty("shifttop", Variant(1));
  w->SetProperty("width", Variant(2));
  w->SetProperty("height", Variant(2));
  TSurfacePtr frame = Render(8, 8);
  EXPECT_EQ(frame->GetPixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(frame->GetPixel(2, 1), 0xFF0000FFu);
  EXPECT_EQ(frame->GetPixel(3, 0), 0u);

  DirtyPass();
  w->SetProperty("fillcolor", Variant("$FFFF0000"));
  w->SetProperty("drawmode", Variant(1));
  EXPECT_TRUE(w->NeedsRedraw());
  frame = Render(8, 8);
  EXPECT_EQ(frame->GetPixel(1, 0), 0xFFFF0000u);
  EXPECT_EQ(w->GetProperty("fillcolor").ToInt(), int32_t(0xFFFF0000u));

  DirtyPass();
  w->SetProperty("fillcolor", Variant("$FFFF0000"));
  w->SetProperty("drawmode", Variant(1));
  EXPECT_FALSE(w->NeedsRedraw());
}

TEST_F(SurfaceWidget, NullSurfaceResetsSizeAndShifts) {
  Ref<IWidget> w = Show(R"(<widget type="surface_widget" visible="yes"/>)");
  w->SetProperty("surface", Variant(MakeSurface()));
  w->SetProperty("shiftleft", Variant(1));
  w->SetProperty("surface", Variant::Null());
  EXPECT_EQ(w->GetWidth(), 0);
  EXPECT_EQ(w->GetHeight(), 0);
  EXPECT_EQ(w->GetProperty("shiftleft").ToInt(), 0);
  EXPECT_TRUE(w->GetProperty("surface").RawInterface() == nullptr);
  EXPECT_EQ(Render(4, 4)->GetPixel(0, 0), 0u);
}

TEST_F(SurfaceWidget, ImageOfAWidgetIsDrawnAtItsOrigin) {
  Ref<IWidget> w = Show(R"(<widget type="test_box" width="3" height="2" visible="yes"
                                   anchor_left="7" color="$FF123456"/>)");
  Ref<ISurface> image = w->GetImage();
  ASSERT_TRUE(image);
  EXPECT_EQ(image->GetWidth(), 3);
  EXPECT_EQ(image->GetHeight(), 2);
  EXPECT_TRUE(image->GetHasAlpha());
  EXPECT_EQ(image->GetPixel(0, 0), 0xFF123456u);
  EXPECT_EQ(image->GetPixel(2, 1), 0xFF123456u);
  EXPECT_FALSE(Load(R"(<widget type="test_box" width="3" height="2"/>)")->GetImage());
}

}  // namespace
