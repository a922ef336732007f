// The packing game: drags, snapping, refused drops, switching, foreign groups, full
// groups, the win and the places a drop can go wrong.
#include <gtest/gtest.h>

#include <algorithm>

#include "minigames/MiniGamePackage.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/WidgetFixture.h"

namespace {

constexpr const char* kFactories = R"(
  <sounds>
    <sound name="pick" resourcename="snd_pick"/><sound name="unpick" resourcename="snd_unpick"/>
    <sound name="correct" resourcename="snd_correct"/><sound name="wrong" resourcename="snd_wrong"/>
  </sounds>
  <widgetfactories>
    <widgetfactory name="pick" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="pick_%id%" paused="yes" extraparams="\next="/></widgetstring>
    </widgetfactory>
    <widgetfactory name="no_cell" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="no_%id%" paused="yes" extraparams="\next=\on=%widget_name%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="green_cell" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="green_%id%" paused="yes" extraparams="\next=\on=%widget_name%\item=%name%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="red_cell" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="red_%id%" paused="yes" extraparams="\next=\on=%widget_name%\item=%name%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="full_group" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="full_%id%" paused="yes" extraparams="\next=\group=%group_id%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

// Cells c1 (100, 0) and c2 (200, 0) of group 1, c3 (100, 40) of group 2. Items: "one"
// (group 1, 10 x 10 at (0, 0)), "two" (group 1, two parts 20 apart, 30 x 10 at (0, 40)),
// "blue" (group 2, 10 x 10 at (0, 80)).
constexpr const char* kBoard = R"(
  <cell name="c1" group="1"/><cell name="c2" group="1"/><cell name="c3" group="2"/>
  <item name="one" group="1" cells="0x0"/>
  <item name="two" group="1" cells="0x0;20x0"/>
  <item name="blue" group="2" cells="0x0"/>
  <widgets>
    <widget type="test_box" name="bg" width="300" height="200" visible="yes" mousestop="yes"/>
    <widget type="test_box" name="c1" anchor_left="100" width="10" height="10" visible="yes"/>
    <widget type="test_box" name="c2" anchor_left="200" width="10" height="10" visible="yes"/>
    <widget type="test_box" name="c3" anchor_left="100" anchor_top="40" width="10" height="10" visible="yes"/>
    <widget type="test_box" name="one" width="10" height="10" z="1" visible="yes" mousestop="yes"/>
    <widget type="test_box" name="two" anchor_top="40" width="30" height="10" z="1" visible="yes" mousestop="yes"/>
    <widget type="test_box" name="blue" anchor_top="80" width="10" height="10" z="1" visible="yes" mousestop="yes"/>
  </widgets>)";

class Package : public WidgetFixture {
 protected:
  Package() { RegisterMiniGamesClasses(); }
  TPackageWidget* ShowGame(const std::string& attributes, const std::string& board = kBoard) {
    Ref<IWidget> w = Show(R"(<widget type="package_widget" name="minigame_pack" visible="yes"
        mousestop="yes" cellcount="3" )" +
                          attributes + ">" + kFactories + board + "</widget>");
    return dynamic_cast<TPackageWidget*>(w.get());
  }
  void Click(TPoint p) {
    window->mouse = p;
    window->HandleMouse(513, p, 0);
  }
  // Picks the item up at From, carries it to To and drops it there.
  void Drag(TPoint from, TPoint to) {
    Click(from);
    window->mouse = to;
    Frame(16);
    Click(to);
  }
  int Count(TPackageWidget* game, const std::string& prefix) {
    int n = 0;
    for (int i = 0; i < game->GetChildren()->Count(); ++i)
      n += game->GetChildren()->GetByIndex(i)->GetName().rfind(prefix, 0) == 0;
    return n;
  }
  TPoint At(TPackageWidget* game, const char* name) {
    Ref<IWidget> w = game->FindWidget(name);
    return {int32_t(w->GetAnchorLeft()), int32_t(w->GetAnchorTop())};
  }
  int Played(const std::string& resource) {
    return int(std::count(engine->playedSounds.begin(), engine->playedSounds.end(), resource));
  }
};

TEST_F(Package, ADropNearAFreeCellSnapsOntoIt) {
  TPackageWidget* game = ShowGame(R"(infelicity="5")");
  Click({5, 5});
  EXPECT_TRUE(game->IsDragging());
  EXPECT_EQ(game->FindWidget("one")->GetZ(), 5);
  EXPECT_EQ(Count(game, "pick_"), 1);
  EXPECT_EQ(Played("snd_pick"), 1);
  window->mouse = {108, 7};  // the item's corner 3 and 2 pixels off c1
  Frame(16);
  EXPECT_EQ(At(game, "one"), (TPoint{103, 2}));  // it follows the mouse
  Click({108, 7});
  EXPECT_FALSE(game->IsDragging());
  EXPECT_EQ(At(game, "one"), (TPoint{100, 0}));
  EXPECT_EQ(game->Occupant(0), "one");
  EXPECT_EQ(game->FindWidget("one")->GetZ(), 3);
  EXPECT_EQ(Played("snd_correct"), 1);
  EXPECT_GE(Count(game, "green_"), 1);
}

TEST_F(Package, RefusedDropsLeaveEveryItemOnItsCells) {
  struct Case {
    const char* attributes;
    TPoint from, to;  // "two" carried by its left end
  } cases[] = {
      {R"(infelicity="5")", {5, 45}, {105, 5}},               // part 2 on no cell
      {R"(infelicity="5" switch="yes")", {5, 45}, {105, 5}},  // ... even when switching
      {R"(infelicity="5")", {25, 45}, {125, 5}},              // onto "one" without switch
  };
  for (const Case& c : cases) {
    TPackageWidget* game = ShowGame(c.attributes);
    Drag({5, 5}, {105, 5});
    ASSERT_EQ(game->Occupant(0), "one") << c.attributes;
    Drag(c.from, c.to);
    EXPECT_EQ(game->Occupant(0), "one") << c.attributes;
    EXPECT_EQ(game->Occupant(1), "") << c.attributes;
    EXPECT_FALSE(game->IsDragging()) << c.attributes;
    EXPECT_GE(Played("snd_unpick"), 1) << c.attributes;
  }
}

TEST_F(Package, TwoPartsOnOneCellAreRefused) {
  TPackageWidget* game =
      ShowGame(R"(infelicity="15")",
               R"(<cell name="c1" group="1"/><item name="w" group="1" cells="0x0;10x0"/>
      <widgets><widget type="test_box" name="bg" width="300" height="200" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="c1" anchor_left="100" width="10" height="10" visible="yes"/>
        <widget type="test_box" name="w" width="20" height="10" z="1" visible="yes" mousestop="yes"/></widgets>)");
  Drag({5, 5}, {100, 5});
  EXPECT_EQ(game->Occupant(0), "");
  EXPECT_FALSE(game->IsWon());
}

TEST_F(Package, SwitchingPicksTheDisplacedItemUp) {
  TPackageWidget* game = ShowGame(R"(infelicity="5" switch="yes" engage_alien="yes")");
  Drag({5, 5}, {105, 5});
  Drag({5, 85}, {105, 5});  // "blue" onto "one": a foreign cell, so shown red
  EXPECT_EQ(game->Occupant(0), "blue");
  EXPECT_TRUE(game->IsDragging());
  EXPECT_EQ(game->DraggedName(), "one");
  EXPECT_EQ(game->FindWidget("one")->GetZ(), 5);
  EXPECT_GE(Count(game, "red_"), 1);
  EXPECT_GE(Played("snd_wrong"), 1);
  window->mouse = {215, 5};
  Frame(16);
  EXPECT_EQ(At(game, "one"), (TPoint{210, 0}));  // it follows from where it was taken
}

TEST_F(Package, WithoutForeignCellsAnItemOnOneIsLiftedAgain) {
  TPackageWidget* game = ShowGame(R"(infelicity="5" engage_alien="no")");
  Drag({5, 85}, {105, 5});
  EXPECT_EQ(game->Occupant(0), "");
  EXPECT_EQ(game->FindWidget("blue")->GetZ(), 5);
  EXPECT_EQ(Count(game, "red_"), 0);
  EXPECT_GE(Played("snd_unpick"), 1);
}

TEST_F(Package, AFullGroupHidesItsCells) {
  TPackageWidget* game = ShowGame(R"(infelicity="5" hide_full_group="yes")");
  Drag({5, 5}, {105, 5});
  EXPECT_TRUE(game->IsCellVisible(0));  // "two" of its group is not placed yet
  EXPECT_EQ(Count(game, "full_"), 0);
  Drag({5, 85}, {105, 45});
  EXPECT_FALSE(game->IsCellVisible(2));
  EXPECT_EQ(Count(game, "full_"), 1);
}

// Two cells, one of group -1, and two one-part items of group 1.
constexpr const char* kTwoCells = R"(<cell name="c1" group="1"/><cell name="c2" group="-1"/>
  <item name="one" group="1" cells="0x0"/><item name="two" group="1" cells="0x0"/>
  <widgets><widget type="test_box" name="bg" width="300" height="200" visible="yes" mousestop="yes"/>
    <widget type="test_box" name="c1" anchor_left="100" width="10" height="10" visible="yes"/>
    <widget type="test_box" name="c2" anchor_left="200" width="10" height="10" visible="yes"/>
    <widget type="test_box" name="one" width="10" height="10" z="1" visible="yes" mousestop="yes"/>
    <widget type="test_box" name="two" anchor_top="40" width="10" height="10" z="1" visible="yes" mousestop="yes"/></widgets>)";

TEST_F(Package, SolvedByTheLastDrop) {
  TPackageWidget* game = ShowGame(R"(infelicity="5" cellcount="2")", kTwoCells);
  Drag({5, 5}, {105, 5});
  EXPECT_FALSE(game->IsWon());
  Drag({5, 45}, {205, 5});  // group -1 counts as group 1
  EXPECT_TRUE(game->IsWon());
  EXPECT_EQ(Count(game, "win"), 1);
  Drag({105, 5}, {5, 5});  // moved off again: still won, no second "win"
  EXPECT_TRUE(game->IsWon());
  EXPECT_EQ(Count(game, "win"), 1);
}

TEST_F(Package, SkipWhileCarryingDropsFirstAndWinsOnce) {
  TPackageWidget* game = ShowGame(R"(infelicity="5" cellcount="2")", kTwoCells);
  Drag({5, 5}, {105, 5});
  Click({5, 45});
  window->mouse = {206, 4};
  Frame(16);
  // The drop solves the game, whose win drops again: it is won once, with one "win".
  game->SetProperty("need_skip", Variant(0));
  EXPECT_EQ(game->Occupant(1), "two");
  EXPECT_TRUE(game->IsWon());
  EXPECT_FALSE(game->IsDragging());
  EXPECT_EQ(Count(game, "win"), 1);
}

TEST_F(Package, AGameWithAnOffsetCarriesItemsUnderTheMouse) {
  TPackageWidget* game = ShowGame(R"(anchor_left="50" anchor_top="30" infelicity="5")");
  Click({55, 35});  // "one"'s corner
  window->mouse = {160, 40};
  Frame(16);
  EXPECT_EQ(At(game, "one"), (TPoint{105, 5}));
  Click({160, 40});
  EXPECT_EQ(game->Occupant(0), "one");
}

TEST_F(Package, TheBlockDropsADragThatLeavesIt) {
  TPackageWidget* game = ShowGame(
      R"(infelicity="5" block_drag="yes" block_width="150" block_height="100" return="yes")");
  Drag({5, 5}, {105, 5});
  Click({105, 5});           // picked up from c1
  window->mouse = {290, 5};  // beyond the block's right edge
  Frame(16);
  EXPECT_FALSE(game->IsDragging());
  EXPECT_EQ(game->Occupant(0), "one");  // returned to the cell it was taken from
  EXPECT_EQ(At(game, "one"), (TPoint{100, 0}));
}

TEST_F(Package, NoCellsOrNoFreeCellEndsEverything) {
  // Shuffling three items onto one cell places one and stops.
  TPackageWidget* game = ShowGame(R"(infelicity="5" shuffle="yes" cellcount="1")");
  EXPECT_EQ(game->CellCount(), 1);
  EXPECT_FALSE(game->Occupant(0).empty());
  // Without cells there is no free cell to find, and a drag comes to nothing.
  game = ShowGame(R"(infelicity="5" cellcount="0" return="yes")");
  EXPECT_EQ(game->FindFreeCell(), -1);
  Drag({5, 5}, {105, 5});
  EXPECT_FALSE(game->IsDragging());
  EXPECT_FALSE(game->IsWon());
}

}  // namespace
