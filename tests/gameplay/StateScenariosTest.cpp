// The play screen's animation scenarios: move times, flights, zooms and turns, the hint,
// the panel item glide, and the scenarios that switch the screen's state.

#include <gtest/gtest.h>

#include "gameplay/Tv2StateScenariosBaseAnim.h"
#include "gameplay/Tv2StateScenariosHint.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/GameplayFixture.h"

using namespace gameplay_test;

namespace {

std::string Factory(const std::string& name, const std::string& widget) {
  return "<widgetfactory type=\"WidgetFactory\" name=\"" + name + "\"><widgetstring>" + widget +
         "</widgetstring></widgetfactory>";
}

// The pictures and effects the scenarios make: boxes that live for their given time.
const std::string kEffects =
    Factory("fly_picture",
            R"(<widget type="test_box" name="%name%_fly" timetolive="%move_time%"
                       caption="%x1%,%y1%-%x2%,%y2%"/>)") +
    Factory("hint_arrow", R"(<widget type="test_box" name="arrow" width="20" height="10"/>)") +
    Factory("hint_arrow_move",
            R"(<widget type="test_box" name="arrow_move" timetolive="%duration%"/>)") +
    Factory("ps_star_line", R"(<widget type="test_box" name="%name%" timetolive="50"/>)") +
    Factory("ps_star_circle_wide",
            R"(<widget type="test_box" name="%name%" timetolive="50" caption="%x%,%y%"/>)");

class Scenarios : public GameplayFixture {
 protected:
  void Start(const std::string& factories, const std::string& objects = {}) {
    Tv2DeclarationsInit();
    StartOwner(PlayWindow({}, kEffects + factories));
    if (!objects.empty()) {
      Ref<IHierStorageRoot> storage = LoadXmlStorageFromText("<widgets>" + objects + "</widgets>");
      Ref<IWidget> group = owner->GetWidgetGroup(gkObjects);
      for (int i = 0; i < storage->GetChildCount("widget"); ++i) {
        Ref<IWidget> widget =
            Supports<IWidget>(CreateNamedObjectOf(storage->GetChild("widget", i)));
        Supports<IPersistObject>(widget)->LoadFromStorage(storage->GetChild("widget", i));
        group->GetChildren()->Add(widget);
      }
    }
  }
  // A scenario of the factory, made with Params ("name=value" pairs), in the animation group.
  template <class T = IWidget>
  Ref<T> Make(const std::string& factory,
              std::initializer_list<std::pair<const char*, Variant>> params = {}) {
    Ref<IParamCollection> values(TAbstractObject::Create<TParamCollection>().get());
    for (auto& [name, value] : params) values->SetValue(name, value);
    Ref<IWidget> widget = owner->CreateWidget(factory, values);
    EXPECT_TRUE(widget) << factory;
    owner->AddWidgetToGroup(widget, gkAnimation, {});
    return Supports<T>(widget);
  }
  // One frame of the animation group: its update, then the pass that lets it update again.
  void Step(int dt = 16) {
    Ref<IWidget> group = owner->GetWidgetGroup(gkAnimation);
    group->Process(dt);
    group->UpdateDirtyRects(false, false);
  }
  // Frames of Dt ms until Widget dies (at most Limit frames); the frames it took.
  int RunUntilDead(const Ref<IWidget>& widget, int dt = 16, int limit = 1000) {
    int frames = 0;
    while (!widget->IsDead() && frames < limit) {
      Step(dt);
      ++frames;
    }
    EXPECT_TRUE(widget->IsDead()) << "still alive after " << limit << " frames";
    return frames;
  }
  Ref<IWidget> Box() { return owner->FindWidget("objects_group/box"); }
};

const std::string kBox =
    R"(<widget type="rotate_widget" name="box" anchor_left="100" anchor_top="100" visible="yes">
         <widgets><widget type="test_box" name="inner" anchor_left="-10" anchor_top="-10"
                          width="20" height="20" visible="yes"/></widgets></widget>)";

}  // namespace

TEST_F(Scenarios, MoveTimeFollowsSpeedAndMaximum) {
  Start(Factory("mover", R"(<widget type="state_scenario_move_widget" name="mover"
      widgetname="objects_group/box" endposx="%x%" endposy="100" anim_speed="%speed%"
      max_anim_time="%max%"/>)"),
        kBox);
  struct Case {
    int speed, max, endX, moveTime;
  } cases[] = {
      {0, 500, 200, 500},  // no speed: the maximum
      {0, 0, 200, 0},      //
      {2, 0, 200, 200},    // 100 px at 2 ms each
      {2, 150, 200, 150},  // a smaller positive maximum caps it
      {2, 300, 200, 200},  // a larger one does not
      {1, 0, 100, 0},      // already there
  };
  for (const Case& c : cases) {
    auto mover = Make<TStateScenarioAbstractAnimWidget>(
        "mover", {{"x", Variant(c.endX)}, {"speed", Variant(c.speed)}, {"max", Variant(c.max)}});
    ASSERT_TRUE(mover);
    EXPECT_EQ(mover->GetMoveTime(), c.moveTime) << c.speed << " " << c.max << " " << c.endX;
    mover->SetDead(true);
    owner->GetWidgetGroup(gkAnimation)->GetChildren()->RemoveDead();
  }
}

TEST_F(Scenarios, MoveFliesAPictureAndPutsTheWidgetAtTheEnd) {
  Start(Factory("mover", R"(<widget type="state_scenario_move_widget" name="mover"
      widgetname="objects_group/box" endposx="300" endposy="40" max_anim_time="100"
      change_source_place="yes"/>)"),
        kBox);
  Ref<IWidget> box = Box();
  const int left = int(box->GetLeft()), top = int(box->GetTop());
  auto mover = Make<TStateScenarioAbstractAnimWidget>("mover");
  ASSERT_TRUE(mover);
  // Not given: the start is where the box's picture begins.
  EXPECT_EQ(mover->GetStartX(), box->GetLeft());
  EXPECT_EQ(mover->GetStartY(), box->GetTop());
  Step();
  Ref<IWidget> picture = mover->FindWidget("box_fly");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->GetProperty("caption").ToString(),
            std::to_string(left) + "," + std::to_string(top) + "-300,40");
  EXPECT_FALSE(box->IsVisible()) << "hidden while its picture flies";
  RunUntilDead(Ref<IWidget>(mover.get()));
  EXPECT_TRUE(box->IsVisible());
  EXPECT_EQ(box->GetLeft(), 300);
  EXPECT_EQ(box->GetTop(), 40);
}

TEST_F(Scenarios, PanelItemGlideEndsOnItsEndPoint) {
  Start(Factory("glide", R"(<widget type="state_scenario_panel_item_move" name="glide"
      widgetname="objects_group/box" endposx="%x%" endposy="%y%" max_anim_time="%t%"/>)"),
        R"(<widget type="test_box" name="box" anchor_left="100" anchor_top="100" width="20"
                   height="20" visible="yes"/>)");
  Ref<IWidget> box = Box();
  struct Case {
    int x, y, time, dt;
  } cases[] = {{300, 50, 100, 16}, {37, 211, 90, 7}, {-20, 0, 0, 16}, {500, 500, 1000, 33}};
  for (const Case& c : cases) {
    auto glide = Make("glide", {{"x", Variant(c.x)}, {"y", Variant(c.y)}, {"t", Variant(c.time)}});
    RunUntilDead(glide, c.dt);
    EXPECT_EQ(box->GetLeft(), c.x);
    EXPECT_EQ(box->GetTop(), c.y);
  }
}

namespace {

// The zoom steps driven one by one.
class ZoomProbe : public TStateScenarioZoomRotateWidget {
 public:
  void Set(const Ref<IWidget>& widget, double factor, double targetAngle) {
    widget_ = widget;
    restZoomX_ = restZoomY_ = 1;
    targetZoomX_ = WidgetNumber("zoomx", 1);
    targetZoomY_ = WidgetNumber("zoomy", 1);
    zoomFactor_ = factor;
    targetAngle_ = targetAngle;
    targetTransparency_ = 255;
  }
  // Steps of Dt ms until the zoom is done; the steps taken.
  int Run(int dt) {
    int steps = 0;
    do {
      ZoomStep(dt);
      ++steps;
    } while (!ZoomApply() && steps < 10000);
    return steps;
  }
};

}  // namespace

TEST_F(Scenarios, ZoomReturnsToRestAndTheTurnStopsAtItsTarget) {
  Start({}, kBox);
  Ref<IWidget> box = Box();
  struct Case {
    double angle, target, factor;
  } cases[] = {{0, 0, 1.3}, {5, 30, 1.43}, {200, -20, 1.3}, {80, 10, 1.2}};
  for (const Case& c : cases) {
    box->SetProperty("zoomx", Variant(1.0));
    box->SetProperty("zoomy", Variant(1.0));
    box->SetProperty("angle", Variant(c.angle));
    auto probe = TAbstractObject::Create<ZoomProbe>();
    probe->Set(box, c.factor, c.target);
    probe->ZoomIn();
    EXPECT_GT(probe->GetTargetZoomX(), 1.0);
    probe->Run(16);
    EXPECT_DOUBLE_EQ(box->GetProperty("zoomx").ToDouble(), probe->GetTargetZoomX());
    probe->ZoomOut();
    int steps = probe->Run(16);
    EXPECT_LT(steps, 10000);
    EXPECT_DOUBLE_EQ(box->GetProperty("zoomx").ToDouble(), 1.0) << c.angle;
    EXPECT_DOUBLE_EQ(box->GetProperty("zoomy").ToDouble(), 1.0) << c.angle;
    const double expected = c.angle > 180 && c.target <= 0 ? c.target + 360 : c.target;
    EXPECT_DOUBLE_EQ(box->GetProperty("angle").ToDouble(), expected) << c.angle;
    EXPECT_FALSE(probe->IsRotating());
  }
}

TEST_F(Scenarios, HintOfAHiddenWidgetFadesItInFromNothingAndHidesItAgain) {
  const std::string hint = Factory("hint", R"(<widget type="state_scenario_hint" name="hint"
      hint_object_widgetname="objects_group/box" button_widgetname="ui_group/button_hint"/>)");
  Start(hint, kBox);
  Ref<IWidget> button = Supports<IWidget>(CreateNamedObject("test_box", "button_hint"));
  button->SetVisible(true);
  owner->GetWidgetGroup(gkInterface)->GetChildren()->Add(button);
  Ref<IWidget> box = Box();
  box->SetVisible(false);
  box->SetTransparentLevel(200);

  auto scenario = Make<TStateScenarioHint>("hint");
  ASSERT_TRUE(scenario);
  Step();
  EXPECT_FALSE(button->IsVisible()) << "the button hides while the arrow flies";
  EXPECT_GT(scenario->GetFlightTime(), 0);
  // Five star lines, named after the widget.
  for (int n = 0; n < 5; ++n)
    EXPECT_TRUE(owner->FindWidget("animation_group/box_hint" + std::to_string(n))) << n;

  int lowest = 255;
  bool shown = false;
  for (int frame = 0; frame < 2000 && !scenario->IsDead(); ++frame) {
    Step();
    if (box->IsVisible()) {
      shown = true;
      lowest = std::min(lowest, box->GetTransparentLevel());
    }
  }
  ASSERT_TRUE(scenario->IsDead());
  EXPECT_TRUE(shown);
  EXPECT_LT(lowest, 50) << "faded in from nothing";
  EXPECT_FALSE(box->IsVisible());
  EXPECT_EQ(box->GetTransparentLevel(), 200);
  EXPECT_DOUBLE_EQ(box->GetProperty("zoomx").ToDouble(), 1.0);
  EXPECT_TRUE(button->IsVisible());
}

TEST_F(Scenarios, HintAtTheArrowsStartTakesAMoment) {
  const std::string hint = Factory("hint", R"(<widget type="state_scenario_hint" name="hint"
      hint_object_widgetname="objects_group/box"/>)");
  // Centred on (53, 726).
  Start(hint, R"(<widget type="test_box" name="box" anchor_left="43" anchor_top="716"
                         width="20" height="20" visible="yes"/>)");
  auto scenario = Make<TStateScenarioHint>("hint");
  Step();
  EXPECT_EQ(scenario->GetFlightTime(), 1);
  Ref<IWidget> star = owner->FindWidget("animation_group/box_hint4");
  ASSERT_TRUE(star);
  RunUntilDead(Ref<IWidget>(scenario.get()));
}

TEST_F(Scenarios, LevelEndWritesTheStatisticsOnce) {
  Start(Factory("win", R"(<widget type="state_scenario_end_level" name="win"/>)") +
        Factory("lose", R"(<widget type="state_scenario_end_level" name="lose" complete="no"/>)") +
        Factory("close", R"(<widget type="state_scenario_close_screen" name="close"/>)"));
  struct Case {
    const char* factory;
    std::vector<std::string> calls;
  } cases[] = {
      {"win", {"WriteLevelStatistics(1)"}},
      {"lose", {"WriteLevelStatistics(0)"}},
      {"close", {"WriteLevelStatistics(1)", "CloseGameScreen()"}},
  };
  for (const Case& c : cases) {
    owner->TakeCalls();
    Ref<IWidget> scenario = Make(c.factory);
    RunUntilDead(scenario);
    // Finishing after the end adds nothing.
    dynamic_cast<TStateScenario*>(scenario.get())->Finish();
    EXPECT_EQ(owner->TakeCalls(), c.calls) << c.factory;
  }
}

TEST_F(Scenarios, PenaltyAndLevelStartSwitchTheScreensState) {
  Start(Factory("penalty", R"(<widget type="state_scenario_penalty" name="penalty"
                                      duration="100"/>)") +
        Factory("start", R"(<widget type="state_scenario_game_start_level" name="start">
                              <widgets><widget type="test_box" name="title" timetolive="200"/>
                              </widgets></widget>)"));
  Ref<IWidget> penalty = Make("penalty");
  owner->TakeCalls();
  Step();
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{"SetBlackScreen(1)"});
  EXPECT_TRUE(owner->IsBlackScreen());
  int frames = RunUntilDead(penalty);
  EXPECT_GE(frames * 16, 100);
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{"SetBlackScreen(0)"});

  // Without a timer of its own the opening hands input back in its first frame, then
  // waits for its children.
  Ref<IWidget> start = Make("start");
  Step();
  EXPECT_EQ(owner->TakeCalls(), (std::vector<std::string>{"SetInputBlocked(1)", "ShowTutorial()",
                                                          "SetInputBlocked(0)"}));
  EXPECT_FALSE(start->IsDead());
  RunUntilDead(start);
  EXPECT_GE(start->GetPropertyDef("currenttime", 0).ToInt(), 200);
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{});

  // A click ends it early, and its hooks do not run again.
  start = Make("start");
  Step();
  owner->TakeCalls();
  start->HandleMouse(514, TPoint{5, 5}, 0);
  EXPECT_TRUE(start->IsDead());
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{});
}
