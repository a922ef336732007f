// The cell-graph match game: lines along one direction number, swaps that stand or go
// back, refills along weighted links, the win when state 7 is left, and graphs that can
// never settle.
#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/Random.h"
#include "minigames/MiniGameXMatch.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/GameFeedback.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="blip_factory" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="blip_%id%" anchor_left="%anchor_left%" anchor_top="%anchor_top%"
              width="40" height="40" visible="yes" mousestop="yes"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="move_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="move_%id%" paused="yes" timetolive="1" extraparams="\elem=%name%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="boom_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="boom_%id%" paused="yes" timetolive="1" extraparams="\elem=%name%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="select_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="select_%id%" extraparams="\elem=%name%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="deselect_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="deselect_%id%" extraparams="\elem=%name%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="score_animation" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="score_%id%" paused="yes" timetolive="1"
              extraparams="\group=%group%\score=%score%\delta=%score_delta%\reverce=%score_reverce%"/>
    </widgetstring></widgetfactory>
    <widgetfactory name="win" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="win" paused="yes"/>
    </widgetstring></widgetfactory>
  </widgetfactories>
  <sounds>
    <sound name="select" resourcename="select"/><sound name="deselect" resourcename="deselect"/>
    <sound name="no_turn" resourcename="no_turn"/><sound name="boom" resourcename="boom"/>
  </sounds>)";

// Three respawn cells (0-2) above a 3 x 3 board (3-11, row by row, 50 pixels apart).
// Direction 0 runs along rows, 1 along columns; each cell pulls from the one above it with
// weight 1 (the top row from the respawn cells with RespawnWeight), nothing else feeds.
std::string Cells(int respawnWeight = 1, const std::string& extraLinks = "") {
  auto link = [](int cell, int weight, int direction) {
    return "<link cell=\"" + std::to_string(cell) + "\" weight=\"" + std::to_string(weight) +
           "\" direction=\"" + std::to_string(direction) + "\"/>";
  };
  std::string xml = "<cells>";
  for (int c = 0; c < 3; ++c)
    xml += "<cell id=\"" + std::to_string(c) + "\" anchor_left=\"" + std::to_string(c * 50) +
           "\" anchor_top=\"0\" respawn=\"yes\"/>";
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      int i = 3 + 3 * r + c;
      xml += "<cell id=\"" + std::to_string(i) + "\" anchor_left=\"" + std::to_string(c * 50) +
             "\" anchor_top=\"" + std::to_string(50 + r * 50) + "\"><links>";
      if (c > 0) xml += link(i - 1, 0, 0);
      if (c < 2) xml += link(i + 1, 0, 0);
      xml += r > 0 ? link(i - 3, 1, 1) : link(c, respawnWeight, 1);
      if (r < 2) xml += link(i + 3, 0, 1);
      if (i == 3) xml += extraLinks;
      xml += "</links></cell>";
    }
  return xml + "</cells>";
}

std::string ManyCells(int count) {
  std::string xml = "<cells>";
  for (int i = 0; i < count; ++i) xml += "<cell/>";
  return xml + "</cells>";
}

std::string Kinds(const std::string& scores, int minLength = 3) {
  std::string xml = "<elements min_length=\"" + std::to_string(minLength) + "\">";
  for (size_t k = 0; k < scores.size(); ++k)
    xml += "<element group=\"" + std::to_string(k) + "\" score=\"" +
           std::to_string(scores[k] - '0') + "\"/>";
  return xml + "</elements>";
}

class XMatch : public WidgetFixture {
 protected:
  XMatch() { RegisterMiniGamesClasses(); }

  TXMatchWidget* ShowGame(const std::string& children) {
    Ref<IWidget> w = Show(
        R"(<widget type="mg_xmatch_widget" name="minigame_xmatch" visible="yes" mousestop="yes">)" +
        std::string(kFactories) + children + "</widget>");
    return dynamic_cast<TXMatchWidget*>(w.get());
  }
  // Frames until the board takes input (or Limit frames).
  void Settle(TXMatchWidget* game, int limit = 300) {
    for (int i = 0; i < limit && !game->IsWon() &&
                    !(game->State() == TXMatchWidget::kInput && !game->IsQueueBusy());
         ++i)
      Frame(16);
  }
  // Groups of the visible cells, row by row ("010201122"); respawn cells get group 5.
  static void SetGroups(TXMatchWidget* game, const std::string& groups) {
    std::vector<TXMatchWidget::TCell>& cells = game->Cells();
    for (size_t i = 0; i < cells.size(); ++i) cells[i].group = i < 3 ? 5 : groups[i - 3] - '0';
  }
  static std::string Groups(TXMatchWidget* game) {
    std::string text;
    for (size_t i = 3; i < game->Cells().size(); ++i) text += char('0' + game->Cells()[i].group);
    return text;
  }
  void Click(TXMatchWidget* game, int cell) {
    Ref<IWidget> element = game->FindWidget(game->Cells()[size_t(cell)].element);
    ASSERT_TRUE(element);
    TPoint p{int(element->GetAnchorLeft()) + 20, int(element->GetAnchorTop()) + 20};
    window->mouse = p;
    window->HandleMouse(513, p, 1);
    window->HandleMouse(514, p, 0);
  }
};

TEST_F(XMatch, LinesRunAlongOneDirectionNumber) {
  struct Case {
    const char* groups;
    bool respawnInLine;  // the respawn cell above column 0 has group 0 too
    std::vector<int> marked;
  } cases[] = {
      {"000123451", false, {3, 4, 5}},  // a row
      {"012034056", false, {3, 6, 9}},  // a column
      {"001234567", false, {}},         // two are no line
      {"012034156", true, {}},          // a line through a respawn cell stops at it
      {"000110224", false, {3, 4, 5}},  // a bend is two directions: only the row counts
  };
  SetRandomSeed(1);
  TXMatchWidget* game = ShowGame(Cells() + Kinds("000"));
  for (const Case& c : cases) {
    SetGroups(game, c.groups);
    if (c.respawnInLine) game->Cells()[0].group = 0;
    EXPECT_EQ(game->FindRuns(), !c.marked.empty()) << c.groups;
    std::vector<int> marked;
    for (size_t i = 0; i < game->Cells().size(); ++i)
      if (game->Cells()[i].mark == -1) marked.push_back(int(i));
    EXPECT_EQ(marked, c.marked) << c.groups;
  }
}

TEST_F(XMatch, ALineExplodesRefillsAndWinsWhenSevenIsLeft) {
  SetRandomSeed(2);
  TXMatchWidget* game = ShowGame(Cells() + Kinds("300"));
  ASSERT_TRUE(game->IsBoardReady());
  Settle(game);
  ASSERT_EQ(game->State(), TXMatchWidget::kInput);
  EXPECT_TRUE(game->IsPlaying());
  SetGroups(game, "010201122");
  std::string respawned = game->Cells()[1].element;
  Click(game, 4);
  EXPECT_EQ(game->Selected(), 4);
  EXPECT_EQ(CountChildren(game, "select_"), 1);
  Click(game, 7);  // linked to 4: the two swap
  EXPECT_EQ(game->State(), TXMatchWidget::kSwap);
  EXPECT_EQ(Groups(game), "000211122");
  Frame(16);
  EXPECT_EQ(game->State(), TXMatchWidget::kExplode);
  EXPECT_EQ(CountChildren(game, "boom_"), 3);
  EXPECT_EQ(CountPlayed(*engine, "boom"), 1);
  EXPECT_EQ(game->Kinds()[0].score, 3);
  Settle(game);
  ASSERT_TRUE(game->IsWon());                      // kind 0 reached its 3, the others need none
  EXPECT_NE(game->Cells()[1].element, respawned);  // the respawn cell fed the row below
  for (size_t i = 3; i < game->Cells().size(); ++i) EXPECT_GE(game->Cells()[i].group, 0) << i;
  // The score feedback of kind 0: group 1, nothing more needed.
  bool scored = false;
  for (int i = 0; i < game->GetChildren()->Count(); ++i) {
    Ref<IWidget> w = game->GetChildren()->GetByIndex(i);
    if (w->GetName().rfind("score_", 0) == 0 && w->GetProperty("group").ToInt() == 1) {
      scored = true;
      EXPECT_EQ(w->GetProperty("reverce").ToInt(), 0);
      EXPECT_EQ(w->GetProperty("delta").ToInt(), w->GetProperty("score").ToInt());
    }
  }
  EXPECT_TRUE(scored);
}

TEST_F(XMatch, TwoKindsNeedingNothingAreWonWhenSevenIsLeft) {
  SetRandomSeed(2);
  TXMatchWidget* game = ShowGame(Cells() + Kinds("00"));
  Settle(game);
  ASSERT_EQ(game->State(), TXMatchWidget::kInput);
  EXPECT_FALSE(game->IsWon());  // not before a move has been played
  SetGroups(game, "010101011");
  Click(game, 4);
  Click(game, 7);
  Settle(game);
  EXPECT_TRUE(game->IsWon());
  EXPECT_EQ(game->State(), TXMatchWidget::kWon);
}

TEST_F(XMatch, AfterAMoveTheBoardIsPlayableAgain) {
  SetRandomSeed(6);
  TXMatchWidget* game = ShowGame(Cells() + Kinds("999"));
  Settle(game);
  SetGroups(game, "010201122");
  Click(game, 4);
  Click(game, 7);
  Settle(game);
  ASSERT_EQ(game->State(), TXMatchWidget::kInput);
  EXPECT_FALSE(game->FindRuns());
  EXPECT_GE(game->FindPossibleMove(), 0);
  EXPECT_FALSE(game->IsWon());
  EXPECT_EQ(game->Kinds()[0].score >= 3, true);
}

TEST_F(XMatch, ASwapWithoutALineGoesBack) {
  SetRandomSeed(2);
  TXMatchWidget* game = ShowGame(Cells() + Kinds("999"));
  Settle(game);
  SetGroups(game, "010201122");
  Click(game, 3);
  Click(game, 6);
  EXPECT_EQ(Groups(game), "210001122");
  Settle(game);
  EXPECT_EQ(Groups(game), "010201122");
  EXPECT_EQ(game->Selected(), -1);
  EXPECT_EQ(CountChildren(game, "deselect_"), 1);
  EXPECT_EQ(CountPlayed(*engine, "deselect"), 1);
  EXPECT_EQ(game->Kinds()[0].score, 0);
}

TEST_F(XMatch, AnUnlinkedClickMovesTheSelection) {
  SetRandomSeed(2);
  TXMatchWidget* game = ShowGame(Cells() + Kinds("999"));
  Settle(game);
  Click(game, 3);
  Click(game, 11);  // 3 does not link to 11
  EXPECT_EQ(game->Selected(), 11);
  EXPECT_EQ(game->State(), TXMatchWidget::kInput);
  EXPECT_EQ(CountChildren(game, "select_"), 2);
  EXPECT_EQ(CountChildren(game, "deselect_"), 0);
  Click(game, 0);  // respawn cells take no part in swaps
  EXPECT_EQ(game->Selected(), 11);
}

TEST_F(XMatch, WeightZeroLinksNeverFeed) {
  SetRandomSeed(2);
  TXMatchWidget* game = ShowGame(Cells(0) + Kinds("999"));
  Settle(game);
  SetGroups(game, "010201122");
  std::string respawned[3] = {game->Cells()[0].element, game->Cells()[1].element,
                              game->Cells()[2].element};
  Click(game, 4);
  Click(game, 7);
  for (int i = 0; i < 60; ++i) Frame(16);
  int empty = 0;
  for (size_t i = 3; i < game->Cells().size(); ++i) empty += game->Cells()[i].group < 0;
  EXPECT_EQ(empty, 3);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(game->Cells()[size_t(c)].element, respawned[c]);
}

TEST_F(XMatch, GraphsThatCannotSettleAreBounded) {
  struct Case {
    const char* name;
    std::string children;
    bool ready;
  } cases[] = {
      {"no kinds", Cells(), false},
      {"no cells", Kinds("00"), false},
      {"one kind", Cells() + Kinds("0"), true},
      {"no links", "<cells><cell/><cell/><cell/></cells>" + Kinds("000"), true},
      {"min_length past the board", Cells() + Kinds("000", 10), true},
      {"past 64 x 64", ManyCells(64 * 64 + 1) + Kinds("00"), false},
  };
  for (const Case& c : cases) {
    SetRandomSeed(4);
    TXMatchWidget* game = ShowGame(c.children);  // loading returns
    EXPECT_EQ(game->IsBoardReady(), c.ready) << c.name;
    for (int i = 0; i < 10; ++i) Frame(16);
    EXPECT_NE(game->State(), TXMatchWidget::kInput) << c.name;
    EXPECT_FALSE(game->IsWon()) << c.name;
    EXPECT_TRUE(game->GetProperty("need_skip").ToBool()) << c.name;
    game->SetProperty("need_skip", Variant(1));
    EXPECT_TRUE(game->IsWon()) << c.name;
    // Skipped, the board stops trying.
    int32_t before = game->GetProperty("id").ToInt();
    for (int i = 0; i < 3; ++i) Frame(16);
    EXPECT_EQ(game->GetProperty("id").ToInt(), before + 1) << c.name;
  }
}

TEST_F(XMatch, LinksToMissingCellsAreLeftOut) {
  WarningCapture warnings;
  SetRandomSeed(2);
  TXMatchWidget* game = ShowGame(
      Cells(1, R"(<link cell="12" weight="1"/><link cell="-1" weight="1"/>)") + Kinds("999"));
  EXPECT_EQ(game->Cells()[3].links.size(), 3u);
  EXPECT_EQ(warnings.Lines().size(), 2u);
  Settle(game);
  EXPECT_EQ(game->State(), TXMatchWidget::kInput);
}

}  // namespace
