// The ring puzzle: rings turned by dragging round their roots, turning others along.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "foundation/Random.h"
#include "minigames/MiniGameRingPuzzle.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/FeedbackFactories.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegrees = 180 / kPi;

class RingPuzzle : public WidgetFixture {
 protected:
  RingPuzzle() { RegisterMiniGamesClasses(); }
  // Ring widgets w0 (30..70, root 50,50), w1 (100..140, root 120,50) and w2 (170..210,
  // root 190,50) over a background; Rings is the "ring" elements.
  TRingPuzzleWidget* ShowGame(const std::string& rings, const std::string& attrs = "") {
    Ref<IWidget> w = Show(
        R"(<widget type="mg_ring_widget" name="minigame_rings" visible="yes" mousestop="yes" )" +
        attrs + ">" + FeedbackFactories({{"turn", "sign"}, {"rotate", "sign"}, {"win", ""}}) +
        "<rings>" + rings + R"(</rings><widgets>
        <widget type="test_box" name="bg" width="300" height="200" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="w0" anchor_left="30" anchor_top="30" width="40" height="40" visible="yes" mousestop="yes" extraparams="\angle=0"/>
        <widget type="test_box" name="w1" anchor_left="100" anchor_top="30" width="40" height="40" visible="yes" mousestop="yes" extraparams="\angle=0"/>
        <widget type="test_box" name="w2" anchor_left="170" anchor_top="30" width="40" height="40" visible="yes" mousestop="yes" extraparams="\angle=0"/>
        <widget type="test_box" name="r0" extraparams="\text="/>
        </widgets></widget>)");
    return dynamic_cast<TRingPuzzleWidget*>(w.get());
  }
  void Mouse(uint32_t message, int x, int y) {
    window->mouse = {x, y};
    window->HandleMouse(message, {x, y}, 0);
  }
  // Presses at From, moves to To, one update.
  void DragRing0(TPoint from, TPoint to) {
    Mouse(513, from.X, from.Y);
    Mouse(512, to.X, to.Y);
    Frame(16);
  }
  static double Angle(TRingPuzzleWidget* game, int ring) {
    return game->Rings()[size_t(ring)].angle;
  }
};

// Ring 0 turns; ring 1 stands at 90 degrees as its neighbour, so nothing is solved.
const char* const kTwoRings =
    R"(<ring widget="w0" rootx="50" rooty="50" neibours="1"/><ring widget="w1" rootx="120" rooty="50" angle="90" locked="yes"/>)";

TEST_F(RingPuzzle, PointerAnglesAboutTheRoot) {
  struct Case {
    TPoint p;
    double expected;
  } cases[] = {
      {{65, 50}, kPi}, {{35, 50}, 0}, {{50, 35}, kPi / 2}, {{50, 65}, -kPi / 2}, {{50, 50}, 0},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(TRingPuzzleWidget::PointerAngle({50, 50}, c.p), c.expected, 1e-12)
        << c.p.X << "," << c.p.Y;
}

TEST_F(RingPuzzle, CrossingTheSeamTurnsALittle) {
  TRingPuzzleWidget* game = ShowGame(kTwoRings);
  DragRing0({65, 48}, {65, 52});  // just across +-180 degrees
  double a = TRingPuzzleWidget::PointerAngle({50, 50}, {65, 48}) -
             TRingPuzzleWidget::PointerAngle({50, 50}, {65, 52}) - 2 * kPi;
  EXPECT_NEAR(Angle(game, 0), a * kDegrees, 1e-9);
  EXPECT_NEAR(Angle(game, 0), -15.2, 0.1);
  EXPECT_NEAR(game->FindWidget("w0")->GetProperty("angle").ToDouble(), a * kDegrees, 1e-9);
  EXPECT_EQ(MadeValues(game, "turn", "sign"), (std::vector<std::string>{"-1"}));
  Mouse(514, 65, 52);
  EXPECT_EQ(MadeValues(game, "turn", "sign"), (std::vector<std::string>{"-1", "0"}));
  EXPECT_EQ(game->Grabbed(), -1);
  Frame(16);
  EXPECT_NEAR(game->FindWidget("r0")->GetProperty("text").ToDouble(), Angle(game, 0), 1e-6);
}

TEST_F(RingPuzzle, LockedRingsTurnOnlyAlong) {
  // w1 is locked: dragging it does nothing; ring 0 carries it along at half its turn.
  TRingPuzzleWidget* game = ShowGame(
      R"(<ring widget="w0" rootx="50" rooty="50" weights="1:0.5" neibours="2"/>)"
      R"(<ring id="1" widget="w1" rootx="120" rooty="50" locked="yes"/><ring widget="w2" angle="45"/>)");
  DragRing0({120, 35}, {135, 50});
  EXPECT_EQ(Angle(game, 1), 0);
  EXPECT_TRUE(MadeWidgets(game, "rotate_").empty());
  Mouse(514, 135, 50);
  DragRing0({50, 35}, {35, 50});  // a quarter turn: +90 degrees
  EXPECT_NEAR(Angle(game, 0), 90, 1e-9);
  EXPECT_NEAR(Angle(game, 1), 45, 1e-9);
  EXPECT_EQ(MadeWidgets(game, "rotate_").size(), 1u);
}

TEST_F(RingPuzzle, WeightDirectionsAndWrapping) {
  struct Case {
    const char* weights;
    TPoint from, to;  // a quarter turn either way
    double ring1;
  } cases[] = {
      {"1:1_1", {50, 35}, {35, 50}, 90},  // only while ring 0's angle grows
      {"1:1_1", {35, 50}, {50, 35}, 0},
      {"1:2_2", {50, 35}, {35, 50}, 0},  // only while it falls
      {"1:2_2", {35, 50}, {50, 35}, -180},
      {"1:1_7", {35, 50}, {50, 35}, -90},  // anything else: always
  };
  for (const Case& c : cases) {
    TRingPuzzleWidget* game =
        ShowGame(std::string(R"(<ring widget="w0" rootx="50" rooty="50" neibours="2" weights=")") +
                 c.weights + R"("/><ring id="1" widget="w1"/><ring widget="w2" angle="45"/>)");
    DragRing0(c.from, c.to);
    EXPECT_NEAR(Angle(game, 1), c.ring1, 1e-9) << c.weights << " " << c.from.X;
  }
  // Angles stay within -360 to 360 however far a ring turns.
  TRingPuzzleWidget* game = ShowGame(
      R"(<ring widget="w0" rootx="50" rooty="50" neibours="1"/><ring widget="w1" angle="45"/>)");
  Mouse(513, 50, 35);
  const TPoint circle[] = {{35, 50}, {50, 65}, {65, 50}, {50, 35}};
  for (int lap = 0; lap < 3; ++lap)
    for (TPoint p : circle) {
      Mouse(512, p.X, p.Y);
      Frame(16);
      EXPECT_LE(std::fabs(Angle(game, 0)), 360);
    }
  EXPECT_NEAR(std::remainder(Angle(game, 0), 360), 0, 1e-6);
}

TEST_F(RingPuzzle, SlippingOffTheRingsTurnsOneStep) {
  TRingPuzzleWidget* game = ShowGame(
      R"(<ring widget="w0" rootx="50" rooty="50" neibours="1" step="0.5"/><ring widget="w1" angle="90" locked="yes"/>)");
  Mouse(513, 50, 35);
  Mouse(512, 90, 100);  // on the background
  Frame(16);
  EXPECT_NEAR(Angle(game, 0), 0.5 * kDegrees, 1e-9);
  EXPECT_EQ(game->Grabbed(), -1);
  Frame(16);
  EXPECT_NEAR(Angle(game, 0), 0.5 * kDegrees, 1e-9);
}

TEST_F(RingPuzzle, AgreeingRingsWinOnceARingIsHeld) {
  TRingPuzzleWidget* game = ShowGame(
      R"(<ring widget="w0" rootx="50" rooty="50" neibours="1"/><ring widget="w1" angle="0.4"/>)");
  Frame(16);
  EXPECT_FALSE(game->IsWon());  // tested only while a ring is held
  DragRing0({50, 35}, {50, 35});
  EXPECT_TRUE(game->IsWon());
  EXPECT_TRUE(game->FindWidget("win"));
  // Beyond the tolerance (about twice the difference counts) nothing is solved.
  game = ShowGame(
      R"(<ring widget="w0" rootx="50" rooty="50" neibours="1"/><ring widget="w1" angle="0.6"/>)");
  DragRing0({50, 35}, {50, 35});
  EXPECT_FALSE(game->IsWon());
  // Without neighbour lists a held ring wins.
  game = ShowGame(R"(<ring widget="w0" rootx="50" rooty="50"/><ring widget="w1" angle="33"/>)");
  DragRing0({50, 35}, {50, 35});
  EXPECT_TRUE(game->IsWon());
}

TEST_F(RingPuzzle, ScrambleByWholeStepsUnlessTheStepIsZero) {
  SetRandomSeed(7);
  TRingPuzzleWidget* game = ShowGame(
      R"(<ring widget="w0" neibours="1"/><ring widget="w1" step="0"/><ring widget="w2" step="-1"/>)",
      R"(shuffle="yes")");
  double steps = Angle(game, 0) / (0.2 * kPi * kDegrees);
  EXPECT_NEAR(steps, std::round(steps), 1e-9);
  EXPECT_EQ(Angle(game, 1), 0);
  EXPECT_EQ(Angle(game, 2), 0);
  EXPECT_TRUE(MadeWidgets(game, "turn_").empty());  // not playing yet
}

TEST_F(RingPuzzle, UnknownRingsInListsAreSkipped) {
  WarningCapture warnings;
  TRingPuzzleWidget* game = ShowGame(
      R"(<ring widget="w0" rootx="50" rooty="50" neibours="1;7;x" weights="9:1;1:0.5"/><ring id="1" widget="w1" angle="90"/>)");
  EXPECT_EQ(game->Rings()[0].neighbours, (std::vector<int32_t>{1}));
  ASSERT_EQ(game->Rings()[0].weights.size(), 1u);
  EXPECT_EQ(game->Rings()[0].weights[0].ring, 1);
  EXPECT_EQ(warnings.Lines().size(), 3u);
  DragRing0({50, 35}, {35, 50});
  EXPECT_NEAR(Angle(game, 1), 135, 1e-9);
}

}  // namespace
