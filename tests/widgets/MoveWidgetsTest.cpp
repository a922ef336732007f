// Move, circular-motion and rectangle widgets over the shared widget fixture.

#include <cmath>
#include <string>

#include "foundation/CheckedMath.h"
#include "foundation/XMLStorage.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/MoveWidgets.h"
#include "widgets/RectWidget.h"
#include "widgets/WidgetsRegistration.h"

namespace {

class MoveWidgets : public WidgetFixture {
 protected:
  MoveWidgets() { RegisterWidgetsClasses(); }

  // A move widget from (0, 0) to (100, 50) over a second, with extra attributes.
  Ref<IWidget> ShowMove(const std::string& attributes) {
    return Show(R"(<widget type="move_widget" name="mover" visible="yes" startposx="0"
                    startposy="0" endposx="100" endposy="50" timetolive="1000" )" +
                attributes + "/>");
  }
};

TPoint Anchors(const Ref<IWidget>& w) {
  return TPoint{int32_t(w->GetAnchorLeft()), int32_t(w->GetAnchorTop())};
}

// ---------------------------------------------------------------------------------------
// Move

TEST_F(MoveWidgets, MovesAndFadesWithItsClock) {
  Ref<IWidget> w = ShowMove(R"(start_trans_level="255" end_trans_level="0")");
  EXPECT_EQ(Anchors(w), (TPoint{0, 0}));
  EXPECT_EQ(w->GetTransparentLevel(), 255);
  struct Case {
    int32_t dt;
    TPoint at;
    int32_t level;
  };
  // 12.5 rounds to even; 255 - 255 * 500 div 1000 truncates toward zero.
  const Case cases[] = {{250, {25, 12}, 192}, {250, {50, 25}, 128}, {250, {75, 38}, 64}};
  for (const Case& c : cases) {
    w->Process(c.dt);
    EXPECT_EQ(Anchors(w), c.at) << w->GetProperty("currenttime").ToString();
    EXPECT_EQ(w->GetTransparentLevel(), c.level);
  }
}

TEST_F(MoveWidgets, NegativeStartTimeDelaysTheMove) {
  Ref<IWidget> w = ShowMove(R"(currenttime="-300")");
  w->Process(200);
  EXPECT_EQ(Anchors(w), (TPoint{0, 0}));
  w->Process(200);  // 100 ms into the move
  EXPECT_EQ(Anchors(w), (TPoint{10, 5}));
}

// A clock set back by property (as a flying caption's is, to wait a second) rests on the
// start point too, on a line or an arc, instead of standing where the move would have been
// that long before it started.
TEST_F(MoveWidgets, ClockSetBackRestsOnTheStartPoint) {
  for (const char* type : {"move_widget", "circular_motion_widget"}) {
    Ref<IWidget> w = Show(std::string(R"(<widget type=")") + type +
                          R"(" visible="yes" startposx="10" startposy="0" endposx="0"
                              endposy="10" timetolive="900"/>)");
    w->SetProperty("currenttime", Variant(-1000));
    EXPECT_EQ(Anchors(w), (TPoint{10, 0})) << type;
    w->Process(500);
    EXPECT_EQ(Anchors(w), (TPoint{10, 0})) << type;
  }
}

TEST_F(MoveWidgets, EndsFrozenOrDeadWithoutReachingTheEnd) {
  struct Case {
    const char* freeze;
    bool paused, visible, dead;
  };
  const Case cases[] = {{"yes", true, false, false}, {"no", false, true, true}};
  for (const Case& c : cases) {
    Ref<IWidget> w = ShowMove(std::string("freeze_on_finish=\"") + c.freeze + "\"");
    w->Process(400);
    w->Process(400);
    w->Process(400);  // past the end: not moved onto (100, 50)
    EXPECT_EQ(Anchors(w), (TPoint{80, 40})) << c.freeze;
    EXPECT_EQ(w->IsPaused(), c.paused) << c.freeze;
    EXPECT_EQ(w->IsVisible(), c.visible) << c.freeze;
    EXPECT_EQ(w->IsDead(), c.dead) << c.freeze;
  }
}

TEST_F(MoveWidgets, ZeroTimeToLiveFinishesAtOnceWithoutMoving) {
  Ref<IWidget> w = Show(R"(<widget type="move_widget" visible="yes" startposx="7" startposy="9"
                            endposx="100" endposy="50"/>)");
  w->Process(16);
  EXPECT_EQ(Anchors(w), (TPoint{7, 9}));
  EXPECT_TRUE(w->IsDead());
  w->SetProperty("currenttime", Variant(500));  // placed at once: the start point
  EXPECT_EQ(Anchors(w), (TPoint{7, 9}));
}

TEST_F(MoveWidgets, FarPointsAndLongTimesDoNotOverflow) {
  Ref<IWidget> w = Show(R"(<widget type="move_widget" visible="yes" startposx="-2000000000"
                            endposx="2000000000" startposy="2000000000" endposy="-2000000000"
                            timetolive="2000000000"/>)");
  // Points from data are kept within the limit of coordinates.
  EXPECT_EQ(w->GetAnchorLeft(), -kDataCoordinateLimit);
  EXPECT_EQ(w->GetAnchorTop(), kDataCoordinateLimit);
  w->Process(1000000000);  // half way
  EXPECT_EQ(w->GetAnchorLeft(), 0.0);
  EXPECT_EQ(w->GetAnchorTop(), 0.0);
}

TEST_F(MoveWidgets, PropertiesPlaceOnlyThroughTheClock) {
  Ref<IWidget> w = ShowMove("");
  w->SetProperty("endposx", Variant(200));  // no immediate move
  EXPECT_EQ(Anchors(w), (TPoint{0, 0}));
  EXPECT_TRUE(w->GetProperty("endposx").IsClear());  // not readable
  w->SetProperty("currenttime", Variant(500));
  EXPECT_EQ(Anchors(w), (TPoint{100, 25}));
  EXPECT_EQ(w->GetProperty("currenttime").ToInt(), 500);
  w->SetProperty("freeze_on_finish", Variant(true));
  w->Process(600);
  EXPECT_TRUE(w->IsPaused());
  EXPECT_FALSE(w->IsDead());
}

TEST_F(MoveWidgets, RestartMovesAgainFromTheStart) {
  Ref<IWidget> w = ShowMove(R"(freeze_on_finish="yes")");
  w->Process(1200);
  ASSERT_TRUE(w->IsPaused());
  w->Restart();
  EXPECT_FALSE(w->IsPaused());
  EXPECT_EQ(Anchors(w), (TPoint{0, 0}));
  w->Process(500);
  EXPECT_EQ(Anchors(w), (TPoint{50, 25}));
}

TEST_F(MoveWidgets, SavesOnlyTheSurfaceWidgetsKeys) {
  Ref<IWidget> w =
      ShowMove(R"(start_trans_level="10" freeze_on_finish="yes" fillcolor="$FF00FF00")");
  Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
  SaveObject(Ref<IInterface>(w.get()), Ref<IHierStorage>(saved.get()));
  std::string xml = saved->GetXml().ToString();
  for (const char* key : {"startposx", "endposx", "start_trans_level", "freeze_on_finish"})
    EXPECT_EQ(xml.find(key), std::string::npos) << xml;
  EXPECT_EQ(ReadXmlHex(Ref<IHierStorage>(saved.get()), "fillcolor", 0), 0xFF00FF00u);
}

// The picture comes from data: "surface" is copied from another widget's "image" when the
// mover gets its owner.
TEST_F(MoveWidgets, TakesItsPictureFromAnotherWidgetsImage) {
  Ref<IWidget> group = Show(R"(<widget type="group_widget" visible="yes"><widgets>
      <widget type="test_box" name="picture" width="4" height="3" color="$FF112233"/>
      <widget type="move_widget" name="mover" visible="yes" redefinedparams="surface=../picture/image"
              startposx="10" startposy="20" endposx="10" endposy="20" timetolive="1000"/>
    </widgets></widget>)");
  Ref<IWidget> mover = group->FindWidget("mover");
  EXPECT_EQ(mover->GetWidth(), 4);
  EXPECT_EQ(mover->GetHeight(), 3);
  group->Process(16);
  TSurfacePtr frame = Render();
  EXPECT_EQ(frame->GetPixel(10, 20), 0xFF112233u);
  EXPECT_EQ(frame->GetPixel(13, 22), 0xFF112233u);
  EXPECT_EQ(frame->GetPixel(14, 22), 0u);
}

// ---------------------------------------------------------------------------------------
// Circular motion

TEST_F(MoveWidgets, CircleFromZeroToPiPassesBelowTheCentre) {
  Ref<IWidget> w = Show(R"(<widget type="circular_motion_widget" visible="yes" startposx="10"
                            endposx="-10" timetolive="1000"/>)");
  w->Process(500);
  EXPECT_NEAR(w->GetAnchorLeft(), 0.0, 1e-9);
  EXPECT_NEAR(w->GetAnchorTop(), 10.0, 1e-9);
}

TEST_F(MoveWidgets, CircleAcrossTheNegativeAxisGoesThroughPi) {
  // From 3/4 pi to -3/4 pi: the short way, through pi (left of the centre), not through 0.
  Ref<IWidget> w = Show(R"(<widget type="circular_motion_widget" visible="yes" centerx="5"
                            centery="5" startposx="-5" startposy="15" endposx="-5" endposy="-5"
                            timetolive="1000"/>)");
  w->Process(500);
  EXPECT_NEAR(w->GetAnchorLeft(), 5 - 10 * std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(w->GetAnchorTop(), 5.0, 1e-9);
  w->Process(250);
  EXPECT_LT(w->GetAnchorLeft(), 5.0);
  EXPECT_LT(w->GetAnchorTop(), 5.0);
}

// ---------------------------------------------------------------------------------------
// Rectangle

TEST_F(MoveWidgets, RectFillsWithItsColourAtItsTransparency) {
  Show(R"(<widget type="rect_widget" visible="yes" anchor_left="2" anchor_top="3" width="4"
           height="2" color="$FFFF0000" transparentlevel="128"/>)");
  TSurfacePtr frame = Render(16, 16, 0xFF0000FF);
  EXPECT_EQ(frame->GetPixel(2, 3), 0xFF80007Fu);
  EXPECT_EQ(frame->GetPixel(5, 4), 0xFF80007Fu);
  EXPECT_EQ(frame->GetPixel(6, 4), 0xFF0000FFu);
  EXPECT_EQ(frame->GetPixel(2, 5), 0xFF0000FFu);
}

TEST_F(MoveWidgets, RectWithoutEngineDrawsNothing) {
  Ref<IWidget> w = Load(R"(<widget type="rect_widget" visible="yes" width="4" height="4"
                            color="$FFFF0000"/>)");
  TSurfacePtr frame = NewSurface(8, 8);
  w->Draw(frame.get(), 0, 0);
  EXPECT_EQ(frame->GetPixel(0, 0), 0u);
}

TEST_F(MoveWidgets, RectResizedByPropertyDrawsItsNewSize) {
  Ref<IWidget> w = Show(R"(<widget type="rect_widget" visible="yes" width="2" height="2"
                            color="$FF00FF00"/>)");
  Render();
  w->SetProperty("width", Variant(5));
  TSurfacePtr frame = Render(16, 16);
  EXPECT_EQ(frame->GetPixel(4, 1), 0xFF00FF00u);
  EXPECT_EQ(frame->GetPixel(5, 1), 0u);
  int made = engine->surfacesCreated;
  Render(16, 16);
  EXPECT_EQ(engine->surfacesCreated, made);  // the stencil is kept
}

TEST_F(MoveWidgets, RectColourProperty) {
  Ref<IWidget> w = Show(R"(<widget type="rect_widget" visible="yes" width="2" height="2"/>)");
  struct Case {
    Variant value;
    uint32_t color;
  };
  const Case cases[] = {{Variant("$FF00FF00"), 0xFF00FF00u},
                        {Variant("255"), 0x000000FFu},
                        {Variant("not a number"), 0u},
                        {Variant(int32_t(0x80102030)), 0x80102030u}};
  for (const Case& c : cases) {
    w->SetProperty("color", c.value);
    EXPECT_EQ(uint32_t(w->GetProperty("color").ToInt()), c.color) << c.value.ToString();
  }
  DirtyPass();
  w->SetProperty("color", Variant(int32_t(0x80102030)));
  EXPECT_FALSE(w->NeedsRedraw());  // the same colour again
  w->SetProperty("color", Variant("$FF000000"));
  EXPECT_TRUE(w->NeedsRedraw());
}

}  // namespace
