// The gears game: meshing and the rates that flow from the drivers, drags onto pins, the
// script push, and the layouts that used to turn wrong.
#include <gtest/gtest.h>

#include "minigames/MiniGameGear.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/ChildClicks.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

using child_clicks::Named;

constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="pick_gear" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="pick_%id%" paused="yes" extraparams="\gear=%name%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="unpick" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="unpick_%id%" paused="yes" extraparams="\gear=%name%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="push_impulse" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="push_%pin_id%" paused="yes"
        extraparams="\gear=%gear_name%\gid=%gear_id%\rate=%impulse%\n=%id%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

struct GearData {
  const char* name;
  double radius;
};

class Gears : public WidgetFixture {
 protected:
  Gears() { RegisterMiniGamesClasses(); }
  // Gear widgets g0.. (20 x 20, loose ones at x = 300 + 30 i, y = 300) over a 400 x 400
  // background.
  TMiniGameGear* ShowGame(const std::string& attributes, const std::vector<GearData>& gears,
                          const std::string& pins) {
    std::string gearList,
        children =
            R"(<widget type="test_box" name="bg" width="400" height="400" visible="yes" mousestop="yes"/>)";
    for (size_t i = 0; i < gears.size(); ++i) {
      gearList += std::string("<gear widget=\"") + gears[i].name + "\"" +
                  (gears[i].radius > 0 ? " radius=\"" + std::to_string(gears[i].radius) + "\""
                                       : std::string()) +
                  "/>";
      if (std::string(gears[i].name).rfind("ghost", 0) == 0) continue;  // a gear without widget
      children += std::string("<widget type=\"test_box\" name=\"") + gears[i].name +
                  "\" anchor_left=\"" + std::to_string(300 + 30 * i) +
                  "\" anchor_top=\"300\" z=\"2\" width=\"20\" height=\"20\" visible=\"yes\" "
                  "mousestop=\"yes\" "
                  "extraparams=\"\\time_rate=9\\startangle=5\\angle=7\"/>";
    }
    Ref<IWidget> w = Show(
        R"(<widget type="mg_gear_widget" name="minigame_gearbox" visible="yes" mousestop="yes" )" +
        attributes + ">" + kFactories + "<gears>" + gearList + "</gears><pins>" + pins +
        "</pins><widgets>" + children + "</widgets></widget>");
    return dynamic_cast<TMiniGameGear*>(w.get());
  }
  double Rate(const char* gear) {
    return window->root->FindWidget(gear)->GetProperty("time_rate").ToDouble();
  }
  void Press(const char* name) { child_clicks::Press(*window, *window->root, name); }
  void PressAt(TPoint at) {
    window->mouse = at;
    window->HandleMouse(513, at, 1);
  }
  void MoveTo(TPoint at) {
    window->mouse = at;
    window->HandleMouse(512, at, 0);
    Frame(16);
  }
};

TEST_F(Gears, RatesFlowByTheRatioOfTheRadii) {
  // Radii 20 and 40 meshing exactly, the first on a driver of rate 1.
  TMiniGameGear* game = ShowGame("", {{"g0", 20}, {"g1", 40}, {"g2", 20}}, R"(
      <pin gear="0" x="0" y="0" lock_impulse="yes" lock_gears="yes"/>
      <pin gear="1" x="60" y="0"/>
      <pin gear="2" x="120" y="0" need_impulse_not_null="yes"/>)");
  EXPECT_DOUBLE_EQ(Rate("g0"), 1);
  EXPECT_DOUBLE_EQ(Rate("g1"), -0.5);
  EXPECT_DOUBLE_EQ(Rate("g2"), 1);
  EXPECT_EQ(window->root->FindWidget("g1")->GetProperty("angle").ToInt(),
            0);                                                     // from "startangle" 0
  EXPECT_EQ(window->root->FindWidget("g2")->GetAnchorLeft(), 120);  // placed on its pin
  // The pin's widget names the gear it turned.
  Ref<IWidget> push = game->GetChildren()->GetByName("push_2");
  ASSERT_TRUE(push);
  EXPECT_EQ(push->GetProperty("gear").ToString(), "g2");
  EXPECT_EQ(push->GetProperty("gid").ToInt(), 2);
  EXPECT_DOUBLE_EQ(push->GetProperty("rate").ToDouble(), 1);
  EXPECT_FALSE(push->IsPaused());
  // Every pin that must turn turns: won while loading.
  EXPECT_TRUE(game->IsWon());
  EXPECT_FALSE(game->IsPlaying());
}

TEST_F(Gears, MeshingTable) {
  struct Case {
    int infelicity;
    double r0, r1;
    int distance;
    double rate1;  // of the second gear; 0: no mesh or no rate
  } cases[] = {
      {0, 20, 40, 60, -0.5},
      {0, 20, 40, 59, 0},                       // overlapping by 1 with no tolerance
      {0, 20, 40, 61, 0},                       // apart
      {2, 20, 40, 58, -(20.0 - 2) / (40 - 2)},  // within the tolerance: e = 2
      {2, 20, 40, 57, 0},
      {10, 20, 10, 20, 0},  // the rim overlap equals the radius: a zero divisor, no rate
  };
  for (const Case& c : cases) {
    TMiniGameGear* game = ShowGame(
        "infelicity=\"" + std::to_string(c.infelicity) + "\"", {{"g0", c.r0}, {"g1", c.r1}},
        "<pin gear=\"0\" x=\"0\" y=\"0\" lock_impulse=\"yes\"/><pin gear=\"1\" x=\"" +
            std::to_string(c.distance) + "\" y=\"0\" need_impulse_not_null=\"yes\"/>");
    EXPECT_NEAR(Rate("g1"), c.rate1, 1e-9) << c.infelicity << " " << c.r1 << " " << c.distance;
    EXPECT_EQ(game->IsWon(), c.rate1 != 0) << c.distance;
    EXPECT_EQ(bool(game->GetChildren()->GetByName("push_1")), c.rate1 != 0) << c.distance;
  }
}

TEST_F(Gears, DriversKeepTheirOwnRate) {
  // Two drivers at either end of a chain: the second meshes a turning pin but keeps its 2.
  TMiniGameGear* game = ShowGame("", {{"g0", 20}, {"g1", 40}, {"g2", 20}}, R"(
      <pin gear="0" x="0" y="0" lock_impulse="yes"/>
      <pin gear="1" x="60" y="0"/>
      <pin gear="2" x="120" y="0" lock_impulse="yes" impulse="2"/>)");
  EXPECT_DOUBLE_EQ(Rate("g0"), 1);
  EXPECT_DOUBLE_EQ(Rate("g1"), -0.5);
  EXPECT_DOUBLE_EQ(Rate("g2"), 2);
  EXPECT_FALSE(game->GetChildren()->GetByName("push_2"));
  EXPECT_TRUE(game->IsWon());  // no pin needs a rate
}

TEST_F(Gears, DragsOntoPinsAndOffThem) {
  TMiniGameGear* game = ShowGame("infelicity=\"5\"", {{"g0", 20}, {"g1", 40}, {"g2", 20}}, R"(
      <pin gear="0" x="0" y="0" lock_impulse="yes" lock_gears="yes"/>
      <pin gear="1" x="60" y="0"/>
      <pin x="120" y="0" need_impulse_not_null="yes"/>)");
  ASSERT_TRUE(game->IsPlaying());
  PressAt({200, 200});  // the background: no drag starts or ends
  EXPECT_EQ(game->DraggedGear(), -1);
  EXPECT_TRUE(Named(*game, "unpick_").empty());
  Press("g0");  // on a pin that locks its gear
  EXPECT_EQ(game->DraggedGear(), -1);

  // g2 dropped near the occupied pin 1 stays loose.
  Press("g2");  // at (370, 310): its anchor is 10 up and to the left
  EXPECT_EQ(game->DraggedGear(), 2);
  ASSERT_EQ(Named(*game, "pick_").size(), 1u);
  EXPECT_EQ(Named(*game, "pick_")[0]->GetProperty("gear").ToString(), "g2");
  MoveTo({72, 11});
  EXPECT_EQ(window->root->FindWidget("g2")->GetAnchorLeft(), 62);
  PressAt({72, 11});
  EXPECT_EQ(game->DraggedGear(), -1);
  EXPECT_EQ(game->PinOf(2), -1);
  EXPECT_EQ(Named(*game, "unpick_").size(), 1u);

  // Within 5 of the free pin 2 it snaps there and turns: the pin that must turn does.
  PressAt({72, 11});
  MoveTo({133, 13});
  PressAt({133, 13});
  EXPECT_EQ(game->PinOf(2), 2);
  EXPECT_EQ(window->root->FindWidget("g2")->GetAnchorLeft(), 120);
  EXPECT_DOUBLE_EQ(Rate("g2"), 1);
  EXPECT_TRUE(game->IsWon());
}

TEST_F(Gears, PickingUpStopsWhatItDrove) {
  TMiniGameGear* game = ShowGame("infelicity=\"5\"", {{"g0", 20}, {"g1", 40}, {"g2", 20}}, R"(
      <pin gear="0" x="0" y="0" lock_impulse="yes"/>
      <pin gear="1" x="60" y="0" need_impulse_not_null="yes"/>
      <pin gear="2" x="120" y="0" need_impulse_not_null="yes"/>)");
  ASSERT_TRUE(game->IsWon());  // won while loading, and no input after
  game = ShowGame("infelicity=\"5\"", {{"g0", 20}, {"g1", 40}, {"g2", 20}, {"g3", 20}}, R"(
      <pin gear="0" x="0" y="0" lock_impulse="yes"/>
      <pin gear="1" x="60" y="0"/>
      <pin gear="2" x="120" y="0"/>
      <pin x="300" y="0" need_impulse_not_null="yes"/>)");
  ASSERT_DOUBLE_EQ(Rate("g2"), 1);
  Press("g1");
  EXPECT_EQ(game->DraggedGear(), 1);
  EXPECT_DOUBLE_EQ(Rate("g1"), 0);
  EXPECT_DOUBLE_EQ(Rate("g2"), 0);
  EXPECT_DOUBLE_EQ(Rate("g0"), 1);
  // Another gear pressed during the drag takes it over; the first stays loose.
  Press("g3");
  EXPECT_EQ(game->DraggedGear(), 3);
  EXPECT_EQ(game->PinOf(1), -1);
}

TEST_F(Gears, BlockRectangleEndsAndBoundsDrags) {
  TMiniGameGear* game = ShowGame(
      R"(block_drag="yes" block_left="0" block_top="0" block_width="350" block_height="350")",
      {{"g0", 20}}, R"(<pin x="500" y="500" need_impulse_not_null="yes"/>)");
  Press("g0");  // (310, 310), anchor (300, 300)
  MoveTo({345, 340});
  EXPECT_EQ(game->DraggedGear(), 0);
  EXPECT_EQ(window->root->FindWidget("g0")->GetAnchorLeft(), 335);
  MoveTo({360, 340});  // out of the block: the drag ends, the gear back inside it
  EXPECT_EQ(game->DraggedGear(), -1);
  EXPECT_EQ(window->root->FindWidget("g0")->GetAnchorLeft(), 330);  // its right edge on the block's
  EXPECT_EQ(window->root->FindWidget("g0")->GetAnchorTop(), 330);
}

TEST_F(Gears, ScriptsPushGearsOntoPins) {
  TMiniGameGear* game = ShowGame("infelicity=\"5\"", {{"g0", 20}, {"g1", 40}}, R"(
      <pin gear="0" x="0" y="0" lock_impulse="yes"/>
      <pin x="60" y="0" need_impulse_not_null="yes"/>)");
  game->SetProperty("gear_name", Variant("g1"));
  game->SetProperty("gear_name_x", Variant("not a number"));  // ignored
  game->SetProperty("gear_name_x", Variant(-120));
  game->SetProperty("gear_name_y", Variant(2));
  game->SetProperty("push_gear", Variant(1));
  EXPECT_EQ(game->PinOf(1), 1);
  EXPECT_DOUBLE_EQ(Rate("g1"), -0.5);
  EXPECT_TRUE(game->IsWon());
}

TEST_F(Gears, DataThatNamesNothing) {
  WarningCapture warnings;
  TMiniGameGear* game = ShowGame("", {{"g0", 20}, {"ghost", 20}}, R"(
      <pin gear="5" x="0" y="0" lock_impulse="yes"/>
      <pin gear="0" x="40" y="0"/>
      <pin gear="0" x="80" y="0"/>
      <pin gear="-4" x="40" y="0" need_impulse_not_null="yes"/>)");
  ASSERT_EQ(game->Pins().size(), 4u);
  EXPECT_EQ(game->Pins()[0].gear, -1);  // past the gears
  EXPECT_EQ(game->Pins()[1].gear, 0);
  EXPECT_EQ(game->Pins()[2].gear, -1);  // the gear is on an earlier pin
  EXPECT_EQ(game->Pins()[3].gear, -1);
  EXPECT_EQ(warnings.Lines().size(), 4u);  // the missing widget and three pins
  EXPECT_FALSE(game->IsWon());
  // Pins without gears are not read.
  game = ShowGame("", {}, R"(<pin x="0" y="0" need_impulse_not_null="yes"/>)");
  EXPECT_TRUE(game->Pins().empty());
}

}  // namespace
