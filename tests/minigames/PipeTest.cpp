// The pipe game: turns, the turn list, the win test and the flow it plays, loops, skips
// and the data it must pass over.
#include <gtest/gtest.h>

#include "foundation/Random.h"
#include "minigames/MiniGamePipe.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/WidgetFixture.h"

namespace {

constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="element_0101" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="layer_%layer%" extraparams="\mask=0101"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="element_1100" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="layer_%layer%" extraparams="\mask=1100"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="turn" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="turn_%id%" paused="yes" extraparams="\angle=%angle%\elem=%elem%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="shuffle" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="shuffle_%id%" paused="yes" extraparams="\angle=%angle%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="pass" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="pass_%id%_%layer%" paused="yes" extraparams="\next=\code=%passcode%\elem=%elem%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes" extraparams="\next=\turns=%turns%"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

// Sides: 0 up, 1 right, 2 down, 3 left. "in" e0 at (0, 0) leads right into e1 at (20, 0),
// an elbow turned up-right that must turn twice to lead left-down into "out" e2 at (20, 20).
constexpr const char* kElements = R"(element="3"
    ><element widget="desk/e0" neibours="-1,1,-1,-1" links="3,1" type="in"/>
    <element widget="desk/e1" neibours="-1,-1,2,0" links="0,1"/>
    <element widget="desk/e2" neibours="1,-1,-1,-1" links="0,2" type="out"/>)";

constexpr const char* kDesk = R"(<widgets>
    <widget type="group_widget" name="desk" visible="yes" mousestop="yes"><widgets>
      <widget type="test_box" name="e0" width="10" height="10" visible="yes" mousestop="yes"/>
      <widget type="test_box" name="e1" anchor_left="20" width="10" height="10" visible="yes" mousestop="yes"/>
      <widget type="test_box" name="e2" anchor_left="20" anchor_top="20" width="10" height="10" visible="yes" mousestop="yes"/>
      <widget type="group_widget" name="e0_l" visible="yes"/>
      <widget type="group_widget" name="e1_l" visible="yes"/>
    </widgets></widget></widgets>)";

class Pipe : public WidgetFixture {
 protected:
  Pipe() { RegisterMiniGamesClasses(); }
  // The game inside a scene group that forwards "turns" to it, as a play screen's may.
  TPipeWidget* ShowGame(const std::string& attributes, const std::string& elements = kElements) {
    Ref<IWidget> scene = Show(R"(<widget type="group_widget" name="scene" visible="yes"
        mousestop="yes" aliases="\turns=minigame_pipe/turns"><widgets>
        <widget type="mg_pipe_widget" name="minigame_pipe" visible="yes" mousestop="yes"
        dest_pref="_l" )" + attributes +
                              " " + elements + kFactories + kDesk + "</widget></widgets></widget>");
    return dynamic_cast<TPipeWidget*>(scene->FindWidget("minigame_pipe").get());
  }
  void Click(int element, bool right = false) {
    TPoint p = element == 0 ? TPoint{5, 5} : element == 1 ? TPoint{25, 5} : TPoint{25, 25};
    window->mouse = p;
    window->HandleMouse(right ? 516 : 513, p, 0);
  }
  int Count(TPipeWidget* game, const std::string& prefix) {
    int n = 0;
    for (int i = 0; i < game->GetChildren()->Count(); ++i)
      n += game->GetChildren()->GetByIndex(i)->GetName().rfind(prefix, 0) == 0;
    return n;
  }
};

TEST_F(Pipe, TurnsShiftEverySideOfEveryPassage) {
  struct Case {
    int32_t turns;
    std::vector<int32_t> sides;
  } cases[] = {{1, {1, 3}},  {2, {2, 0}},  {4, {0, 2}},
               {-1, {3, 1}}, {-5, {3, 1}}, {2000000001, {1, 3}}};
  for (const Case& c : cases) {
    TPipeWidget* game = ShowGame(
        "", R"(element="1"><element widget="desk/e0" neibours="-1,-1,-1,-1" links="0,2"/>)");
    game->TurnElement(0, c.turns, "turn");
    EXPECT_EQ(game->Passages(0)[0], c.sides) << c.turns;
    EXPECT_EQ(game->GetProperty("turns").ToString(), std::to_string(c.turns) + ";");
  }
}

TEST_F(Pipe, ClicksTurnEitherWayWithFeedback) {
  TPipeWidget* game = ShowGame("");
  Click(0);
  Click(0);
  Click(0, true);
  EXPECT_EQ(game->GetProperty("turns").ToString(), "1;0;0;");
  Ref<IWidget> last = game->GetChildren()->GetByName("turn_2");
  ASSERT_TRUE(last);
  EXPECT_FALSE(last->IsPaused());  // started at once
  EXPECT_EQ(last->GetProperty("angle").ToInt(), 90);
  EXPECT_EQ(last->GetProperty("elem").ToString(), "desk/e0");
}

TEST_F(Pipe, LayersFromThePassagesMasks) {
  TPipeWidget* game = ShowGame("");
  Ref<IWidget> layers = game->FindWidget("desk/e0_l");
  ASSERT_EQ(layers->GetChildren()->Count(), 1);
  EXPECT_EQ(layers->GetChildren()->GetByIndex(0)->GetProperty("mask").ToString(), "0101");
  EXPECT_EQ(game->FindWidget("desk/e1_l")->GetChildren()->Count(), 1);
}

TEST_F(Pipe, TheWinTestPlaysTheFlowOnce) {
  TPipeWidget* game = ShowGame("");
  EXPECT_FALSE(game->GetProperty("win").ToBool());
  EXPECT_EQ(Count(game, "pass_"), 0);
  Click(1);
  EXPECT_FALSE(game->GetProperty("win").ToBool());
  Click(1);
  EXPECT_TRUE(game->GetProperty("win").ToBool());
  // Each passage from where it is entered: in from its open left side, the elbow from
  // the left, out from above; the first starts, the others follow in turn.
  struct Expected {
    const char* name;
    const char* code;
    bool paused;
    const char* next;
  } expected[] = {{"pass_0_0", "3_1", false, ";pass_1_0"},
                  {"pass_1_0", "3_2", true, ";pass_2_0"},
                  {"pass_2_0", "0_2", true, ""}};
  for (const Expected& e : expected) {
    Ref<IWidget> pass = game->GetChildren()->GetByName(e.name);
    ASSERT_TRUE(pass) << e.name;
    EXPECT_EQ(pass->GetProperty("code").ToString(), e.code);
    EXPECT_EQ(pass->IsPaused(), e.paused) << e.name;
    EXPECT_EQ(pass->GetProperty("next").ToString(), e.next) << e.name;
  }
  EXPECT_TRUE(game->GetProperty("win").ToBool());
  EXPECT_EQ(Count(game, "pass_"), 3);  // still there: not made again
  EXPECT_FALSE(game->IsWon());         // the game never reports itself
}

TEST_F(Pipe, TheFlowFollowsTheWinWidget) {
  TPipeWidget* game = ShowGame("");
  game->Win();
  ASSERT_TRUE(game->GetChildren()->GetByName("win"));
  EXPECT_EQ(game->GetChildren()->GetByName("win")->GetProperty("turns").ToString(), "0;0;0;");
  game->TurnElement(1, 2, "turn");
  EXPECT_TRUE(game->GetProperty("win").ToBool());
  EXPECT_EQ(game->GetChildren()->GetByName("win")->GetProperty("next").ToString(), ";pass_0_0");
  EXPECT_TRUE(game->GetChildren()->GetByName("pass_0_0")->IsPaused());
}

TEST_F(Pipe, WritingTurnsRestoresAndTestsTheWin) {
  TPipeWidget* game = ShowGame("");
  Click(0);
  Click(1, true);
  game->SetProperty("turns", Variant("0;2;0;"));
  EXPECT_EQ(game->GetProperty("turns").ToString(), "0;1;0;");  // 2 from -1
  game->SetProperty("turns", Variant("0;0;0;"));
  EXPECT_EQ(game->GetProperty("turns").ToString(), "0;0;0;");
  EXPECT_EQ(game->Passages(1)[0], (std::vector<int32_t>{0, 1}));
  // A list that completes the passage plays the flow at once.
  game->SetProperty("turns", Variant("0;2;0;7;9;x"));
  EXPECT_TRUE(game->GetChildren()->GetByName("pass_2_0"));
  EXPECT_EQ(game->GetProperty("turns").ToString(), "0;2;0;");
}

TEST_F(Pipe, OutEndsTheTraceAndLoopsEnd) {
  // "out" with a second passage leading on still ends the trace.
  TPipeWidget* game = ShowGame("", R"(element="3"
      ><element widget="desk/e0" neibours="-1,1" links="0,1" type="in"/>
      <element widget="desk/e1" neibours="0,2" links="0,1"  type="out"/>
      <element widget="desk/e2" neibours="1,1" links="0,1"/>)");
  EXPECT_TRUE(game->GetProperty("win").ToBool());
  // A ring of three without "out", and a ring the flow goes round before the end: the
  // trace and the flow end, with or without pass widgets.
  game = ShowGame("", R"(element="3"
      ><element widget="desk/e0" neibours="-1,1,2" links="0,1,2" type="in"/>
      <element widget="desk/e1" neibours="0,2" links="0,1"/>
      <element widget="desk/e2" neibours="1,0" links="0,1"/>)");
  EXPECT_FALSE(game->GetProperty("win").ToBool());
  game = ShowGame("", R"(element="4"
      ><element widget="desk/e0" neibours="-1,1,2" links="0,1,2" type="in" passfactory="none"/>
      <element widget="desk/e1" neibours="0,2,3" links="0,1,2" passfactory="none"/>
      <element widget="desk/e2" neibours="1,0" links="0,1" passfactory="none"/>
      <element widget="desk/e3" neibours="1" links="0" type="out" passfactory="none"/>)");
  EXPECT_TRUE(game->GetProperty("win").ToBool());
  EXPECT_EQ(Count(game, "pass_"), 0);
}

TEST_F(Pipe, AFactoryThatMadeNoPassIsAskedAgainUnderANewOwner) {
  // Loaded alone, the game's chain has no "flow" factory: its win test plays no pass
  // widget however often it runs; inside the scene that holds one, it does.
  std::string elements = kElements;
  for (size_t at = 0; (at = elements.find("<element ", at)) != std::string::npos; at += 9)
    elements.insert(at + 9, R"(passfactory="flow" )");
  Ref<IWidget> widget =
      Load(R"(<widget type="mg_pipe_widget" name="minigame_pipe" )" + elements + "</widget>");
  auto* game = dynamic_cast<TPipeWidget*>(widget.get());
  game->TurnElement(1, 2, "turn");
  EXPECT_TRUE(game->CheckWin());
  EXPECT_TRUE(game->CheckWin());
  EXPECT_EQ(Count(game, "pass_"), 0);
  Ref<IWidget> scene = Show(R"(<widget type="group_widget" name="scene"><widgetfactories>
      <widgetfactory name="flow" type="WidgetFactory"><widgetstring>
        <widget type="test_box" name="pass_%id%_%layer%" paused="yes"/>
      </widgetstring></widgetfactory></widgetfactories></widget>)");
  scene->GetChildren()->Add(widget);
  EXPECT_TRUE(game->CheckWin());
  EXPECT_EQ(Count(game, "pass_"), 3);
}

TEST_F(Pipe, BadDataIsPassedOver) {
  // Neighbours that are no element are open; sides past the element's are dropped; an
  // element without sides does not turn.
  TPipeWidget* game = ShowGame("", R"(element="2"
      ><element widget="desk/e0" neibours="7,-3,1" links="0,1,2,5,-1,x" type="in"/>
      <element widget="desk/e1" links="0" type="out"/>)");
  EXPECT_EQ(game->Passages(0)[0], (std::vector<int32_t>{0, 1, 2}));
  EXPECT_TRUE(game->Passages(1)[0].empty());
  game->TurnElement(1, 3, "turn");
  EXPECT_EQ(game->GetProperty("turns").ToString(), "0;0;");
  EXPECT_FALSE(game->GetProperty("win").ToBool());
  game->TurnElement(5, 1, "turn");
  EXPECT_EQ(game->GetProperty("turns").ToString(), "0;0;");
  // More elements declared than written: only those written.
  game = ShowGame("", R"(element="40"><element widget="desk/e0" neibours="-1" links="0"/>)");
  EXPECT_EQ(game->ElementCount(), 1);
}

TEST_F(Pipe, SkipHandsTheOwnerTheLoadedTurns) {
  TPipeWidget* game = ShowGame("");
  Click(0);
  Click(1);
  game->SetProperty("need_skip", Variant(0));
  // The scene forwarded its zeros to the game: every element back as loaded.
  EXPECT_EQ(game->GetProperty("turns").ToString(), "0;0;0;");
  EXPECT_TRUE(game->IsWon());
  EXPECT_EQ(game->GetChildren()->GetByName("win")->GetProperty("turns").ToString(), "0;0;0;");
}

TEST_F(Pipe, ShuffleTurnsEveryElementAtLoad) {
  SetRandomSeed(3);
  TPipeWidget* game = ShowGame(R"(shuffle="yes")");
  EXPECT_EQ(Count(game, "shuffle_"), 3);
  std::string turns = game->GetProperty("turns").ToString();
  for (char c : turns) EXPECT_TRUE(c == ';' || (c >= '0' && c <= '9')) << turns;
}

}  // namespace
