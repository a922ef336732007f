// Match three: runs, swaps that stand or go back, explosions that score against targets,
// falls and fills, shuffles when no move is left, clicks, and boards that can never be
// played.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "foundation/Random.h"
#include "minigames/MiniGame3Match.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/GameFeedback.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

// Motion lives one frame; "_i" motions are told apart by their names.
constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="desk_item" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="%name%" anchor_left="%left%" anchor_top="%top%" width="10" height="10"
              visible="yes" extraparams="\resD=%resD%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="move_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="%name%" paused="yes" timetolive="1" extraparams="\link=%link%\valX=%valX%\valY=%valY%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="move_animation_i" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="i%name%" paused="yes" timetolive="1"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="fall_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="%name%" paused="yes" timetolive="1" extraparams="\valY=%valY%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="fall_animation_i" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="i%name%" paused="yes" timetolive="1"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="boom_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="%name%" paused="yes" timetolive="1" extraparams="\link=%link%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="boom_animation_i" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="i%name%" paused="yes" timetolive="1"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="select_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="%name%" extraparams="\link=%link%\x=%x%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="deselect_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="%name%" timetolive="1"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="begin_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="begin_%id%" paused="yes" timetolive="1"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="scoring" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="scoring_%id%" extraparams="\score=%score%\need=%score_need%\who=%score_name%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="win" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="win" paused="yes"/>
    </widgetstring></widgetfactory>
  </widgetfactories>
  <sounds>
    <sound name="select" resourcename="select"/><sound name="deselect" resourcename="deselect"/>
    <sound name="no_turn" resourcename="no_turn"/><sound name="boom" resourcename="boom"/>
    <sound name="fall" resourcename="fall"/><sound name="success" resourcename="success"/>
  </sounds>)";

// A 4 x 4 board of four kinds without a run; swapping (1, 2) and (1, 3) makes a run of
// three 0s in row 2, swapping (0, 0) and (1, 0) makes none.
const std::vector<std::string> kLayout = {"0123", "1230", "0301", "2012"};

class Match3 : public WidgetFixture {
 protected:
  Match3() { RegisterMiniGamesClasses(); }

  // The game at (20, 30), its board at (100, 50) inside it.
  T3MatchWidget* ShowGame(const std::string& attributes) {
    Ref<IWidget> w = Show(
        R"(<widget type="MiniGame3MatchWidget" name="minigame_match" visible="yes" mousestop="yes"
               anchor_left="20" anchor_top="30" )" +
        attributes + ">" + kFactories + R"(<widgets>
          <widget type="test_box" name="bg" z="-1" width="400" height="300" visible="yes" mousestop="yes"/>
          <widget type="test_box" name="t0" extraparams="\text=0"/>
          <widget type="group_widget" name="board" anchor_left="100" anchor_top="50" visible="yes">
            <widgets><widget type="group_widget" name="inner" visible="yes"/></widgets>
          </widget></widgets></widget>)");
    return dynamic_cast<T3MatchWidget*>(w.get());
  }
  // Four kinds on 4 x 4 cells 10 pixels apart.
  static std::string Board4x4(const std::string& more = "") {
    return R"(deskx="4" desky="4" itemcount="4" resdelta="1" step="9" )" + more;
  }
  // Frames until the board takes input (or Limit frames).
  void Settle(T3MatchWidget* game, int limit = 400) {
    for (int i = 0; i < limit && !(game->State() == T3MatchWidget::kInput && !game->IsQueueBusy());
         ++i)
      Frame(16);
  }
  // Visible rows, top first; the store above is filled with kind 3.
  static void SetLayout(T3MatchWidget* game, const std::vector<std::string>& rows) {
    T3MatchBoard& board = game->Board();
    int32_t h = board.VisibleRows();
    for (int32_t c = 0; c < board.Columns(); ++c)
      for (int32_t r = 0; r < board.Height(); ++r)
        board.At(c, r).kind = r < h ? 3 : rows[size_t(r - h)][size_t(c)] - '0';
  }
  static std::vector<std::string> Layout(T3MatchWidget* game) {
    T3MatchBoard& board = game->Board();
    std::vector<std::string> rows;
    for (int32_t r = board.VisibleRows(); r < board.Height(); ++r) {
      std::string row;
      for (int32_t c = 0; c < board.Columns(); ++c) row += char('0' + board.At(c, r).kind);
      rows.push_back(row);
    }
    return rows;
  }
  void ClickAt(int x, int y) {
    window->mouse = {x, y};
    window->HandleMouse(513, {x, y}, 1);
    window->HandleMouse(514, {x, y}, 0);
  }
  // The middle of visible cell (column, row) on the screen.
  void ClickCell(int column, int row) {
    ClickAt(20 + 100 + 10 * column + 5, 30 + 50 + 10 * row + 5);
  }
};

TEST(Match3Board, RunsMarkTheirCells) {
  struct Case {
    std::vector<std::string> rows;
    int marked;
  } cases[] = {
      {{"00001", "12312", "23123", "31231", "12312"}, 4},  // a run of four
      {{"00012", "02312", "03123", "31231", "12312"}, 5},  // an L of two runs of three
      {{"00120", "12312", "23123", "31231", "12312"}, 0},  // two in a row is no run
      {{"01231", "02312", "03123", "01231", "02312"}, 5},  // a column of five
  };
  for (const Case& c : cases) {
    T3MatchBoard board;
    board.Resize(5, 5);
    for (int32_t r = 0; r < 5; ++r)
      for (int32_t col = 0; col < 5; ++col) {
        board.At(col, r).kind = 9;  // the store takes no part in runs
        board.At(col, r + 5).kind = c.rows[size_t(r)][size_t(col)] - '0';
      }
    EXPECT_EQ(board.FindMatches(3), c.marked > 0) << c.rows[0];
    int marked = 0;
    for (int32_t col = 0; col < 5; ++col)
      for (int32_t r = 0; r < 10; ++r) marked += board.IsMarked(col, r);
    EXPECT_EQ(marked, c.marked) << c.rows[0];
  }
}

TEST(Match3Board, ShufflesKeepTheItemsAndFindAMove) {
  T3MatchBoard board;
  board.Resize(4, 4);
  const char* rows[] = {"0123", "2301", "0123", "2301"};  // no run, no move
  for (int32_t r = 0; r < 4; ++r)
    for (int32_t c = 0; c < 4; ++c) board.At(c, r + 4).kind = rows[r][c] - '0';
  ASSERT_FALSE(board.FindMatches(3));
  ASSERT_FALSE(board.FindPossibleMove(3));
  SetRandomSeed(3);
  int tries = 0;
  while (!(board.FindPossibleMove(3) && !board.FindMatches(3)) && tries < 100) {
    board.Shuffle(nullptr);
    ++tries;
  }
  EXPECT_LT(tries, 100);
  std::map<int, int> kinds;
  for (int32_t r = 4; r < 8; ++r)
    for (int32_t c = 0; c < 4; ++c) ++kinds[board.At(c, r).kind];
  EXPECT_EQ(kinds, (std::map<int, int>{{0, 4}, {1, 4}, {2, 4}, {3, 4}}));
}

TEST_F(Match3, WithoutTargetsTheSettledBoardIsWon) {
  SetRandomSeed(11);
  T3MatchWidget* game = ShowGame(Board4x4());
  ASSERT_TRUE(game->IsBoardReady());
  EXPECT_TRUE(game->IsInitialPhase());
  EXPECT_EQ(game->FindWidget("board/inner")->GetChildren()->Count() >= 32, true);
  for (int i = 0; i < 400 && !game->IsWon(); ++i) Frame(16);
  EXPECT_TRUE(game->IsWon());
  EXPECT_EQ(game->Score(), 0);  // the initial runs score nothing
  EXPECT_FALSE(game->IsInitialPhase());
  EXPECT_FALSE(game->IsPlaying());
  // Every visible cell holds an item, placed at its cell.
  T3MatchBoard& board = game->Board();
  for (int32_t c = 0; c < 4; ++c)
    for (int32_t r = 4; r < 8; ++r) {
      ASSERT_GE(board.At(c, r).item, 0);
      Ref<IWidget> item = game->FindWidget(game->ItemPath(board.At(c, r)));
      ASSERT_TRUE(item);
      EXPECT_EQ(item->GetProperty("resD").ToInt(), board.At(c, r).kind);
    }
}

TEST_F(Match3, ASwapWithoutARunGoesBack) {
  SetRandomSeed(5);
  T3MatchWidget* game = ShowGame(Board4x4(R"(global_target="50")"));
  Settle(game);
  ASSERT_EQ(game->State(), T3MatchWidget::kInput);
  SetLayout(game, kLayout);
  ClickCell(0, 0);
  EXPECT_EQ(game->Selected(), (TPoint{0, 4}));
  EXPECT_EQ(CountPlayed(*engine, "select"), 1);
  ClickCell(1, 0);
  EXPECT_EQ(game->State(), T3MatchWidget::kSwap);
  EXPECT_EQ(Layout(game)[0], "1023");
  EXPECT_EQ(CountChildren(game, "move_"), 2);
  Ref<IWidget> move = game->GetChildren()->GetByIndex(game->GetChildren()->Count() - 1);
  EXPECT_EQ(move->GetProperty("valY").ToInt(), 0);
  Settle(game);
  EXPECT_EQ(Layout(game), kLayout);  // the cells end where they began
  EXPECT_EQ(game->Selected(), (TPoint{-1, -1}));
  EXPECT_EQ(game->Score(), 0);
  EXPECT_EQ(CountPlayed(*engine, "deselect"), 1);
}

TEST_F(Match3, ARunExplodesScoresFallsAndFills) {
  SetRandomSeed(5);
  T3MatchWidget* game = ShowGame(Board4x4(R"(targets="2:t0;50:t1;50:t2;50:t3")"));
  EXPECT_EQ(game->FindWidget("t0")->GetProperty("text").ToInt(), 2);
  Settle(game);
  ASSERT_EQ(game->State(), T3MatchWidget::kInput);
  SetLayout(game, kLayout);
  ClickCell(1, 2);
  ClickCell(1, 3);
  Frame(16);  // the swap has played: the run explodes
  EXPECT_EQ(game->State(), T3MatchWidget::kExplode);
  EXPECT_EQ(CountChildren(game, "boom_"), 3);
  EXPECT_EQ(CountPlayed(*engine, "boom"), 1);
  EXPECT_EQ(CountPlayed(*engine, "success"), 1);  // target 0 reached this turn
  Settle(game);
  EXPECT_GE(game->Score(), 3);
  const T3MatchWidget::TTarget& t0 = game->Targets()[0];
  EXPECT_EQ(t0.remaining, 0);
  EXPECT_EQ(t0.total, 3);  // a reached target counts no more
  EXPECT_GE(CountPlayed(*engine, "fall"), 1);
  bool shownZero = false;
  for (int i = 0; i < game->GetChildren()->Count(); ++i) {
    Ref<IWidget> w = game->GetChildren()->GetByIndex(i);
    if (w->GetName().rfind("scoring_", 0) == 0 && w->GetProperty("who").ToString() == "t0")
      shownZero |= w->GetProperty("need").ToInt() == 0;
  }
  EXPECT_TRUE(shownZero);
  // The board is full again and holds no run.
  for (const std::string& row : Layout(game)) EXPECT_EQ(row.find('/'), std::string::npos);
  EXPECT_FALSE(game->Board().FindMatches(3));
  EXPECT_FALSE(game->IsWon());
}

TEST_F(Match3, ClicksSelectCells) {
  struct Case {
    const char* attributes;
    TPoint first, second;  // screen points
    TPoint selected;       // after both clicks
  } cases[] = {
      // The selected cell again deselects; a diagonal one is selected instead.
      {"", {125, 85}, {125, 85}, {-1, -1}},
      {"", {125, 85}, {135, 95}, {1, 5}},
      // Just left of or above the board is no cell; nor is right of it.
      {"", {119, 85}, {119, 85}, {-1, -1}},
      {"", {125, 79}, {125, 79}, {-1, -1}},
      {"", {161, 85}, {161, 85}, {-1, -1}},
      // Without a pitch nothing can be picked.
      {R"(resdelta="0" step="0")", {125, 85}, {125, 85}, {-1, -1}},
  };
  for (const Case& c : cases) {
    SetRandomSeed(5);
    std::string attributes =
        *c.attributes ? std::string(R"(deskx="4" desky="4" itemcount="4" )") + c.attributes
                      : Board4x4();
    T3MatchWidget* game = ShowGame(attributes + R"( global_target="50")");
    Settle(game);
    ASSERT_EQ(game->State(), T3MatchWidget::kInput);
    ClickAt(c.first.X, c.first.Y);
    ClickAt(c.second.X, c.second.Y);
    EXPECT_EQ(game->Selected(), c.selected) << c.first.X << "," << c.first.Y << " " << c.attributes;
    EXPECT_EQ(game->State(), T3MatchWidget::kInput);
  }
}

TEST_F(Match3, NoMoveLeftShufflesUntilOneExists) {
  SetRandomSeed(5);
  T3MatchWidget* game = ShowGame(Board4x4(R"(global_target="50")"));
  Settle(game);
  SetLayout(game, kLayout);
  ClickCell(1, 2);
  ClickCell(1, 3);
  // While the items fall, the board is changed to one with no move left.
  for (int i = 0; i < 20 && game->State() != T3MatchWidget::kFall; ++i) Frame(16);
  ASSERT_EQ(game->State(), T3MatchWidget::kFall);
  SetLayout(game, {"0123", "2301", "0123", "2301"});
  ASSERT_FALSE(game->Board().FindPossibleMove(3));
  Frame(16);
  EXPECT_EQ(game->State(), T3MatchWidget::kSettle);
  EXPECT_EQ(CountPlayed(*engine, "no_turn"), 1);
  EXPECT_GT(CountChildren(game, "imove_"), 0);  // shuffled with "move_animation_i"
  Settle(game);
  EXPECT_EQ(game->State(), T3MatchWidget::kInput);
  EXPECT_TRUE(game->Board().FindPossibleMove(3));
  EXPECT_FALSE(game->Board().FindMatches(3));
  std::string all;
  for (const std::string& row : Layout(game)) all += row;
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, "0000111122223333");
}

TEST_F(Match3, ABoardWithoutMovesShufflesUntilSkipped) {
  // Nine items of a thousand kinds: no shuffle can ever make a run.
  SetRandomSeed(8);
  T3MatchWidget* game = ShowGame(R"(deskx="3" desky="3" itemcount="1000" resdelta="1" step="9")");
  for (int i = 0; i < 10; ++i) Frame(16);
  EXPECT_EQ(game->State(), T3MatchWidget::kSettle);
  int32_t before = game->GetProperty("id").ToInt();
  for (int i = 0; i < 5; ++i) Frame(16);
  EXPECT_GT(game->GetProperty("id").ToInt(), before + 1);  // still shuffling, a few a frame
  game->SetProperty("need_skip", Variant(1));
  for (int i = 0; i < 3; ++i) Frame(16);
  before = game->GetProperty("id").ToInt();
  for (int i = 0; i < 5; ++i) Frame(16);
  EXPECT_EQ(game->GetProperty("id").ToInt(), before + 1);  // skipped: the shuffling stops
  EXPECT_TRUE(game->IsWon());
}

TEST_F(Match3, BoardsThatCanNeverSettleStayEmpty) {
  struct Case {
    const char* attributes;
    const char* warning;
  } cases[] = {
      {"", "0 x 0"},  // the defaults
      {R"(deskx="4" desky="4" itemcount="1")", "1 kinds"},
      {R"(deskx="4" desky="4" itemcount="0")", "0 kinds"},
      {R"(deskx="4" desky="4" itemcount="4" minsize="1")", "runs of 1"},
      {R"(deskx="2" desky="1" itemcount="4" minsize="2")", "2 x 1"},
      {R"(deskx="3" desky="3" itemcount="4" minsize="4")", "runs of 4"},
      {R"(deskx="-3" desky="4" itemcount="4")", "0 x 4"},
      {R"(deskx="65" desky="4" itemcount="4")", "64 x 64"},
  };
  for (const Case& c : cases) {
    WarningCapture warnings;
    T3MatchWidget* game = ShowGame(c.attributes);
    for (int i = 0; i < 20; ++i) Frame(16);
    EXPECT_FALSE(game->IsBoardReady()) << c.attributes;
    EXPECT_EQ(game->FindWidget("board/inner")->GetChildren()->Count(), 0) << c.attributes;
    EXPECT_FALSE(game->IsWon()) << c.attributes;
    EXPECT_TRUE(game->GetProperty("need_skip").ToBool()) << c.attributes;
    ASSERT_EQ(warnings.Lines().size(), 1u) << c.attributes;
    EXPECT_NE(warnings.Lines()[0].find(c.warning), std::string::npos) << warnings.Lines()[0];
    game->SetProperty("need_skip", Variant(true));
    EXPECT_TRUE(game->IsWon()) << c.attributes;
  }
}

TEST_F(Match3, FewerTargetsThanKindsAndASkipMidway) {
  SetRandomSeed(9);
  T3MatchWidget* game = ShowGame(Board4x4(R"(targets="50:t0")"));
  Settle(game);
  ASSERT_EQ(game->State(), T3MatchWidget::kInput);
  SetLayout(game, {"1023", "0231", "1312", "2101"});  // swap (1,2)-(1,3): three 1s
  ClickCell(1, 2);
  ClickCell(1, 3);
  game->SetProperty("need_skip", Variant(0));  // skipped while the swap plays
  Settle(game);
  EXPECT_GE(game->Score(), 3);
  EXPECT_EQ(game->Targets()[0].remaining, 50);  // kind 1 has no target
  EXPECT_TRUE(game->IsWon());
  EXPECT_FALSE(game->IsPlaying());  // the board settled, but a won game takes no input
}

}  // namespace
