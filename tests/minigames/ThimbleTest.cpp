// The shell game: its states, the moves that carry the ball, wrong and right guesses and
// the data it cannot play.
#include <gtest/gtest.h>

#include "foundation/Random.h"
#include "minigames/MiniGameThimble.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/ChildClicks.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

using child_clicks::Finish;
using child_clicks::Named;

constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="begin_animation" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="begin_%id%" paused="yes"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="show_ball_anim" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="ball_%id%" paused="yes"
        extraparams="\cup=%elem_widget%\v=%show_ball_1%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="swapA" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="mv_%id%" paused="yes"
        extraparams="\kind=A\e0=%elem_0%\e1=%elem_1%\e2=%elem_2%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="swapB" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="mv_%id%" paused="yes"
        extraparams="\kind=B\e0=%elem_0%\e1=%elem_1%\e2=%elem_2%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="fail" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="fail_%id%" paused="yes"
        extraparams="\cup=%elem_widget%\ball=%ball_widget%\v=%fail_1%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="success" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="ok_%id%" paused="yes"
        extraparams="\next=\cup=%elem_widget%\v=%fail_1%\curr=%curr_task%\count=%task_count%\need=%task_need%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

const std::vector<std::string> kFeedback = {"begin_", "ball_", "mv_", "fail_", "ok_"};

class Thimble : public WidgetFixture {
 protected:
  Thimble() { RegisterMiniGamesClasses(); }
  // Cups c0, c1, c2 at x = 0, 20, 40; move A swaps positions 0 and 1, move B 1 and 2.
  TThimbleWidget* ShowGame(
      const std::string& tasks,
      const std::string& moves = R"(<game_action anim_name="swapA" order="1;0;2"/>
                                                        <game_action anim_name="swapB" order="0;2;1"/>)",
      int cups = 3) {
    std::string elements, children;
    for (int i = 0; i < cups; ++i) {
      std::string n = "c" + std::to_string(i);
      elements += "<element widget=\"" + n + "\"/>";
      children += "<widget type=\"test_box\" name=\"" + n + "\" anchor_left=\"" +
                  std::to_string(i * 20) +
                  "\" width=\"10\" height=\"10\" visible=\"yes\" mousestop=\"yes\" "
                  "extraparams=\"\\show_ball_1=" +
                  std::to_string(i + 10) + "\\fail_1=" + std::to_string(i + 20) + "\"/>";
    }
    Ref<IWidget> w = Show(
        R"(<widget type="mg_thimble_widget" name="minigame_cups" visible="yes" mousestop="yes">)" +
        std::string(kFactories) + "<elements>" + elements + "</elements><game_actions>" + moves +
        "</game_actions><tasks>" + tasks + "</tasks><widgets>" + children +
        R"(<widget type="test_box" name="table" anchor_top="40" width="10" height="10" visible="yes" mousestop="yes"/>)" +
        "</widgets></widget>");
    return dynamic_cast<TThimbleWidget*>(w.get());
  }
  // The feedback ends; one frame moves the game on.
  void Advance(TThimbleWidget* game) {
    Finish(*game, kFeedback);
    Frame(16);
  }
  void AdvanceTo(TThimbleWidget* game, TThimbleWidget::TState state) {
    for (int i = 0; i < 5 && game->State() != state; ++i) Advance(game);
    ASSERT_EQ(game->State(), state);
  }
  void ToWait(TThimbleWidget* game) { AdvanceTo(game, TThimbleWidget::kWait); }
  void Click(const std::string& name) { child_clicks::Press(*window, *window->root, name); }
  std::string BallCup(TThimbleWidget* game) {
    return game->Cups()[size_t(game->BallPosition())].widget;
  }
  std::string EmptyCup(TThimbleWidget* game) {
    return game->Cups()[size_t((game->BallPosition() + 1) % 3)].widget;
  }
};

TEST_F(Thimble, EachAttemptShowsTheBallThenShufflesThenWaits) {
  SetRandomSeed(3);
  TThimbleWidget* game = ShowGame("<task/>");
  EXPECT_EQ(game->State(), TThimbleWidget::kBegin);
  ASSERT_EQ(Named(*game, "begin_").size(), 1u);
  Frame(16);  // the queue plays: nothing moves on
  EXPECT_EQ(game->State(), TThimbleWidget::kBegin);

  Advance(game);
  EXPECT_EQ(game->State(), TThimbleWidget::kShowBall);
  auto ball = Named(*game, "ball_");
  ASSERT_EQ(ball.size(), 1u);
  std::string ballCup = ball[0]->GetProperty("cup").ToString();
  EXPECT_EQ(ballCup, BallCup(game));
  EXPECT_EQ(ball[0]->GetProperty("v").ToInt(), 10 + (ballCup[1] - '0'));  // the cup's own values

  Advance(game);
  EXPECT_EQ(game->State(), TThimbleWidget::kShuffle);
  auto moves = Named(*game, "mv_");
  ASSERT_EQ(moves.size(), 4u);  // size 3 gives four moves
  // Each move names the cups as they stand before it; the ball travels with its cup.
  std::vector<std::string> cups = {"c0", "c1", "c2"};
  for (const Ref<IWidget>& move : moves) {
    EXPECT_EQ(move->GetProperty("e0").ToString(), cups[0]);
    EXPECT_EQ(move->GetProperty("e1").ToString(), cups[1]);
    EXPECT_EQ(move->GetProperty("e2").ToString(), cups[2]);
    if (move->GetProperty("kind").ToString() == "A")
      std::swap(cups[0], cups[1]);
    else
      std::swap(cups[1], cups[2]);
  }
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(game->Cups()[i].widget, cups[i]);
  EXPECT_EQ(BallCup(game), ballCup);

  Click(ballCup);  // no guess while the moves play
  EXPECT_EQ(game->State(), TThimbleWidget::kShuffle);
  Advance(game);
  EXPECT_EQ(game->State(), TThimbleWidget::kWait);
  Frame(16);
  EXPECT_EQ(game->State(), TThimbleWidget::kWait);  // it waits for a guess
}

TEST_F(Thimble, WrongGuessReplaysTheTaskRightGuessesWin) {
  SetRandomSeed(5);
  TThimbleWidget* game = ShowGame(R"(<task size="0"/><task size="1"/>)");
  ToWait(game);
  std::string ball = BallCup(game), wrong = EmptyCup(game);
  Click("table");  // not a cup
  EXPECT_EQ(game->State(), TThimbleWidget::kWait);
  Click(wrong);
  auto fails = Named(*game, "fail_");
  ASSERT_EQ(fails.size(), 1u);
  EXPECT_EQ(fails[0]->GetProperty("cup").ToString(), wrong);
  EXPECT_EQ(fails[0]->GetProperty("ball").ToString(), ball);
  EXPECT_EQ(fails[0]->GetProperty("v").ToInt(), 20 + (wrong[1] - '0'));
  // The same task again: the ball is placed anew.
  EXPECT_EQ(game->State(), TThimbleWidget::kShowBall);
  EXPECT_EQ(game->CurrentTask(), 0);
  EXPECT_EQ(Named(*game, "ball_").size(), 1u);

  AdvanceTo(game, TThimbleWidget::kShuffle);
  EXPECT_EQ(Named(*game, "mv_").size(), 1u);  // size 0: one move
  Advance(game);
  Click(BallCup(game));
  auto oks = Named(*game, "ok_");
  ASSERT_EQ(oks.size(), 1u);
  EXPECT_EQ(oks[0]->GetProperty("curr").ToInt(), 0);
  EXPECT_EQ(oks[0]->GetProperty("count").ToInt(), 2);
  EXPECT_EQ(oks[0]->GetProperty("need").ToInt(), 2);
  EXPECT_EQ(game->CurrentTask(), 1);
  EXPECT_EQ(game->State(), TThimbleWidget::kShowBall);

  AdvanceTo(game, TThimbleWidget::kShuffle);
  EXPECT_EQ(Named(*game, "mv_").size(), 2u);
  Advance(game);
  Click(BallCup(game));
  oks = Named(*game, "ok_");
  ASSERT_EQ(oks.size(), 1u);
  EXPECT_EQ(oks[0]->GetProperty("curr").ToInt(), 1);
  EXPECT_EQ(oks[0]->GetProperty("need").ToInt(), 1);
  EXPECT_TRUE(game->IsWon());
  EXPECT_EQ(game->State(), TThimbleWidget::kWon);
  EXPECT_EQ(oks[0]->GetProperty("next").ToString(), ";win");  // the win follows the success
}

TEST_F(Thimble, MovesAreArrangementsDrawnWithRepetition) {
  WarningCapture warnings;
  struct Case {
    const char* order;
    std::vector<std::string> after;  // empty: the move is dropped
  } cases[] = {
      {"1;0;2", {"c1", "c0", "c2"}},
      {"2;0;1", {"c2", "c0", "c1"}},  // new[i] = old[order[i]]
      {"0;1;2", {"c0", "c1", "c2"}},
      {"1;1;0", {}},
      {"0;1", {}},
      {"0;1;2;", {}},
      {"a;b;c", {}},
      {"0;1;5", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    warnings.Clear();
    ResetWarnings();  // each case says its lines again
    TThimbleWidget* game =
        ShowGame(R"(<task size="0"/>)",
                 std::string("<game_action anim_name=\"swapA\" order=\"") + c.order + "\"/>");
    EXPECT_EQ(game->Moves().size(), c.after.empty() ? 0u : 1u) << c.order;
    if (c.after.empty()) {
      EXPECT_EQ(warnings.Lines().size(), 2u) << c.order;  // the move, then the game
      continue;
    }
    ToWait(game);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(game->Cups()[i].widget, c.after[i]) << c.order;
  }
  // One move, drawn four times.
  TThimbleWidget* game = ShowGame("<task/>", R"(<game_action anim_name="swapB" order="0;2;1"/>)");
  AdvanceTo(game, TThimbleWidget::kShuffle);
  EXPECT_EQ(Named(*game, "mv_").size(), 4u);
}

TEST_F(Thimble, WithoutCupsMovesOrTasksOnlySkipEnds) {
  WarningCapture warnings;
  struct Case {
    const char* tasks;
    const char* moves;
    int cups;
  } cases[] = {
      {"", R"(<game_action anim_name="swapA" order="1;0;2"/>)", 3},
      {"<task/>", "", 3},
      {"<task/>", "", 0},
  };
  for (const Case& c : cases) {
    warnings.Clear();
    ResetWarnings();  // each case says its lines again
    TThimbleWidget* game = ShowGame(c.tasks, c.moves, c.cups);
    for (int i = 0; i < 4; ++i) Advance(game);
    EXPECT_EQ(game->State(), TThimbleWidget::kBegin) << c.tasks << c.moves;
    EXPECT_FALSE(warnings.Lines().empty());
    EXPECT_TRUE(game->GetProperty("need_skip").ToBool());
    game->SetProperty("need_skip", Variant(0));
    EXPECT_TRUE(game->IsWon());
  }
}

TEST_F(Thimble, SkipEndsPlay) {
  TThimbleWidget* game = ShowGame("<task/>");
  ToWait(game);
  game->SetProperty("need_skip", Variant(false));
  EXPECT_TRUE(game->IsWon());
  Click(BallCup(game));
  EXPECT_TRUE(Named(*game, "ok_").empty());
  Advance(game);
  EXPECT_EQ(game->State(), TThimbleWidget::kWait);
}

}  // namespace
