// The sliding-tile puzzle: the scramble and its feedback, slides and swaps back to the
// solved board, and boards that cannot be scrambled.
#include <gtest/gtest.h>

#include <map>

#include "foundation/Random.h"
#include "minigames/MiniGame15Puzzle.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/ChildClicks.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

using child_clicks::Finish;
using child_clicks::Named;

constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="shuffle" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="sh_%id%" paused="yes"
        extraparams="\next=\n1=%name1%\n2=%name2%\x1=%x1%\y1=%y1%\x2=%x2%\y2=%y2%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="move" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="mv_%id%" paused="yes"
        extraparams="\next=\n1=%name1%\n2=%name2%\x1=%x1%\y1=%y1%\x2=%x2%\y2=%y2%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="pick" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="pick_%id%" paused="yes" extraparams="\tile=%name%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="unpick" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="unpick_%id%" paused="yes" extraparams="\tile=%name%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

class Puzzle15 : public WidgetFixture {
 protected:
  Puzzle15() { RegisterMiniGamesClasses(); }
  // Tiles t0..t15, 10 x 10, at x = 12 i (they stay where they are: only feedback moves).
  T15PuzzleWidget* ShowGame(const std::string& attributes) {
    std::string children;
    for (int i = 0; i < 16; ++i)
      children += "<widget type=\"test_box\" name=\"t" + std::to_string(i) + "\" anchor_left=\"" +
                  std::to_string(12 * i) +
                  "\" width=\"10\" height=\"10\" visible=\"yes\" mousestop=\"yes\"/>";
    Ref<IWidget> w = Show(
        R"(<widget type="mg_15puzzle_widget" name="minigame_tiles" visible="yes" mousestop="yes"
        shift_left="100" shift_top="200" shift_width="30" shift_height="40" )" +
        attributes + ">" + kFactories + "<widgets>" + children + "</widgets></widget>");
    return dynamic_cast<T15PuzzleWidget*>(w.get());
  }
  void Click(const std::string& name) { child_clicks::Press(*window, *window->root, name); }
  // The move plays out; the next frame checks the board.
  void Settle(T15PuzzleWidget* game) {
    Finish(*game, {"mv_", "pick_", "unpick_"});
    Frame(16);
  }
  static std::vector<std::string> Board(T15PuzzleWidget* game) {
    std::vector<std::string> cells;
    for (int y = 0; y < game->DimY(); ++y)
      for (int x = 0; x < game->DimX(); ++x) cells.push_back(game->At(x, y).widget);
    return cells;
  }
};

TEST_F(Puzzle15, ScrambleUndoneBySlidesWins) {
  SetRandomSeed(17);
  T15PuzzleWidget* game = ShowGame(R"(items="t0;t1;t2;t3;t4;t5;t6;t7;t8" hole_ids="8")");
  auto shuffles = Named(*game, "sh_");
  ASSERT_EQ(shuffles.size(), 1000u);
  EXPECT_EQ(game->State(), T15PuzzleWidget::kPlay);
  EXPECT_TRUE(game->IsPlaying());
  // Replaying the feedback gives the board: each move takes the hole to the tile's point.
  std::vector<std::string> board = {"t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8"};
  std::map<std::string, TPoint> at;
  for (int i = 0; i < 9; ++i) at[board[size_t(i)]] = {100 + 30 * (i % 3), 200 + 40 * (i / 3)};
  for (const Ref<IWidget>& s : shuffles) {
    std::string hole = s->GetProperty("n1").ToString(), tile = s->GetProperty("n2").ToString();
    ASSERT_EQ(hole, "t8");
    ASSERT_EQ(TPoint(s->GetProperty("x1").ToInt(), s->GetProperty("y1").ToInt()), at[tile]);
    ASSERT_EQ(TPoint(s->GetProperty("x2").ToInt(), s->GetProperty("y2").ToInt()), at[hole]);
    std::swap(at[hole], at[tile]);
  }
  for (int i = 0; i < 9; ++i) {
    TPoint p = at[game->At(i % 3, i / 3).widget];
    EXPECT_EQ(p, TPoint(100 + 30 * (i % 3), 200 + 40 * (i / 3)));
  }
  Finish(*game, {"sh_"});

  // Sliding the tiles back in reverse order restores the board (the scramble may have
  // passed the solved board on its way: the win comes there); the hole counts too.
  for (size_t i = shuffles.size(); i-- > 0 && !game->IsWon();) {
    Click(shuffles[i]->GetProperty("n2").ToString());
    auto moves = Named(*game, "mv_");
    ASSERT_EQ(moves.size(), 1u) << i;
    EXPECT_EQ(moves[0]->GetProperty("n2").ToString(), "t8");
    EXPECT_EQ(game->State(), T15PuzzleWidget::kCheck);
    Click(shuffles[i]->GetProperty("n2").ToString());  // no clicks while it checks
    Frame(16);
    EXPECT_EQ(game->State(), T15PuzzleWidget::kCheck);  // the move still plays
    Settle(game);
    ASSERT_EQ(game->IsWon(), game->IsSolved()) << i;
  }
  EXPECT_TRUE(game->IsSolved());
  EXPECT_TRUE(game->IsWon());
  EXPECT_EQ(game->State(), T15PuzzleWidget::kWon);
}

TEST_F(Puzzle15, OnlyTilesNextToAHoleMove) {
  T15PuzzleWidget* game = ShowGame(R"(dim_x="2" dim_y="2" items="t0;t1;t2;t3" hole_ids="3")");
  Finish(*game, {"sh_"});
  std::vector<std::string> before = Board(game);
  // The tile diagonal to the hole.
  int hole = int(std::find(before.begin(), before.end(), "t3") - before.begin());
  std::string far = before[size_t(3 - hole)];
  Click(far);
  EXPECT_TRUE(Named(*game, "mv_").empty());
  EXPECT_EQ(game->State(), T15PuzzleWidget::kPlay);
  EXPECT_EQ(Board(game), before);
}

TEST_F(Puzzle15, SwapModePicksAnyTwoTiles) {
  SetRandomSeed(4);
  T15PuzzleWidget* game = ShowGame(
      R"(dim_x="3" dim_y="2" all_neibours="yes" all_holes="yes" items="t0;t1;t2;t3;t4;t5")");
  EXPECT_EQ(Named(*game, "sh_").size(), 1000u);
  Finish(*game, {"sh_"});
  // Put each home cell's tile in place by swaps, row by row.
  for (int cell = 0; cell < 6; ++cell) {
    std::string wanted = "t" + std::to_string(cell);
    std::string there = game->At(cell % 3, cell / 3).widget;
    if (there == wanted) continue;
    Click(there);
    auto picks = Named(*game, "pick_");
    ASSERT_EQ(picks.size(), 1u);
    EXPECT_EQ(picks[0]->GetProperty("tile").ToString(), there);
    EXPECT_FALSE(picks[0]->IsPaused());
    Click(wanted);
    EXPECT_EQ(game->At(cell % 3, cell / 3).widget, wanted);
    auto unpicks = Named(*game, "unpick_");
    ASSERT_EQ(unpicks.size(), 1u);
    EXPECT_EQ(unpicks[0]->GetProperty("tile").ToString(), wanted);
    Settle(game);
  }
  EXPECT_TRUE(game->IsWon());
}

TEST_F(Puzzle15, MovesNeedBothWidgets) {
  // The hole's cell has no tile: nothing can move.
  T15PuzzleWidget* game = ShowGame(R"(dim_x="2" dim_y="2" items="t0;;t2;t3" hole_ids="1")");
  EXPECT_TRUE(Named(*game, "sh_").empty());
  EXPECT_EQ(Board(game), (std::vector<std::string>{"t0", "null_widget", "t2", "t3"}));
  Click("t0");
  EXPECT_TRUE(Named(*game, "mv_").empty());
  EXPECT_EQ(Board(game), (std::vector<std::string>{"t0", "null_widget", "t2", "t3"}));
}

TEST_F(Puzzle15, BoardsThatCannotScramble) {
  WarningCapture warnings;
  struct Case {
    const char* attributes;
    int dimX, dimY;
    size_t shuffles;
    size_t warnings;
  } cases[] = {
      {R"(dim_x="2" dim_y="2" items="t0;t1;t2;t3")", 2, 2, 0, 0},  // no hole
      {R"(dim_x="2" dim_y="2")", 2, 2, 0, 0},                      // no items: a set, solved grid
      {R"(dim_x="1" dim_y="1" items="t0" hole_ids="0")", 1, 1, 0, 0},  // a hole with no neighbour
      {R"(dim_x="2" dim_y="1" items="t0;t1" hole_ids="0;1")", 2, 1, 0,
       0},  // holes move only with tiles
      {R"(dim_x="1" dim_y="3" items="t0;t1;t2" hole_ids="2;9;-1")", 1, 3, 1000, 0},  // one column
      {R"(dim_x="65" dim_y="2" items="t0")", 0, 0, 0, 2},  // refused, then 1 item for 0 cells
      {R"(dim_x="-3" dim_y="2" items="t0")", 0, 2, 0, 1},
      {R"(dim_x="2" dim_y="1" items="t0;t1;t2" hole_ids="x;1")", 2, 1, 1000, 2},
  };
  for (const Case& c : cases) {
    warnings.Clear();
    ResetWarnings();  // each case says its lines again
    T15PuzzleWidget* game = ShowGame(c.attributes);
    EXPECT_EQ(game->DimX(), c.dimX) << c.attributes;
    EXPECT_EQ(game->DimY(), c.dimY) << c.attributes;
    EXPECT_EQ(Named(*game, "sh_").size(), c.shuffles) << c.attributes;
    EXPECT_EQ(warnings.Lines().size(), c.warnings) << c.attributes;
    EXPECT_EQ(game->State(), T15PuzzleWidget::kPlay) << c.attributes;
    if (c.shuffles == 0) {
      EXPECT_TRUE(game->IsSolved()) << c.attributes;
    }
    EXPECT_FALSE(game->IsWon()) << c.attributes;
  }
}

TEST_F(Puzzle15, TwoHolesNeverSwapInTheScramble) {
  SetRandomSeed(8);
  T15PuzzleWidget* game =
      ShowGame(R"(dim_x="3" dim_y="3" items="t0;t1;t2;t3;t4;t5;t6;t7;t8" hole_ids="7;8")");
  for (const Ref<IWidget>& s : Named(*game, "sh_")) {
    std::string a = s->GetProperty("n1").ToString(), b = s->GetProperty("n2").ToString();
    ASSERT_TRUE(a == "t7" || a == "t8");
    ASSERT_TRUE(b != "t7" && b != "t8");
  }
  // The holes keep their own order, so the board can still be solved.
  std::vector<std::string> board = Board(game);
  auto hole7 = std::find(board.begin(), board.end(), "t7");
  auto hole8 = std::find(board.begin(), board.end(), "t8");
  EXPECT_NE(hole7, board.end());
  EXPECT_NE(hole8, board.end());
}

TEST_F(Puzzle15, SkipEndsPlay) {
  T15PuzzleWidget* game = ShowGame(R"(dim_x="2" dim_y="1" items="t0;t1" hole_ids="1")");
  Finish(*game, {"sh_"});
  game->SetProperty("need_skip", Variant(1));
  EXPECT_TRUE(game->IsWon());
  Click("t0");
  EXPECT_TRUE(Named(*game, "mv_").empty());
}

}  // namespace
