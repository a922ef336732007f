// The pick-the-group game: pairs and triples, wrong pairs, the win and what is saved.
#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/XMLStorage.h"
#include "minigames/MiniGameTwainPick.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/WidgetFixture.h"

namespace {

// Element animations are named after their element, as the game looks them up.
constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="pick_animation" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="pick_%name%" paused="yes" extraparams="\next=\x=%x%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="unpick_animation" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="unpick_%name%" paused="yes"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="remove_animation" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="remove_%name%" paused="yes"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="shake" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="shake_%name%" paused="yes" extraparams="\v=%pickval1%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="wrong" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="wrong_%id%" paused="yes"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

class TwainPick : public WidgetFixture {
 protected:
  TwainPick() { RegisterMiniGamesClasses(); }
  // Elements a, b, c, d at x = 0, 20, 40, 60 (10 x 10), d with its own pick animation.
  TTwainPickWidget* ShowGame(const std::string& list, bool start = true) {
    Ref<IWidget> w = Show(R"(<widget type="TwainPickWidget" name="minigame_pick" visible="yes"
        mousestop="yes" list=")" +
                          list + "\">" + kFactories + R"(<widgets>
        <widget type="test_box" name="a" anchor_left="0" width="10" height="10" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="b" anchor_left="20" width="10" height="10" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="c" anchor_left="40" width="10" height="10" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="d" anchor_left="60" width="10" height="10" visible="yes" mousestop="yes"
                extraparams="\altpick=shake\pickval1=7"/>
      </widgets></widget>)");
    auto* game = dynamic_cast<TTwainPickWidget*>(w.get());
    if (start) {
      Frame(16);  // the intro factory makes nothing: input opens on the second update
      Frame(16);
    }
    return game;
  }
  void Click(const char* element) {
    int x = element[0] == 'a' ? 5 : element[0] == 'b' ? 25 : element[0] == 'c' ? 45 : 65;
    window->mouse = {x, 5};
    window->HandleMouse(513, {x, 5}, 0);
  }
  bool Has(TTwainPickWidget* game, const std::string& name) {
    return bool(game->GetChildren()->GetByName(name));
  }
};

TEST_F(TwainPick, InputOpensAfterTheIntro) {
  TTwainPickWidget* game = ShowGame("a-b", false);
  Click("a");
  EXPECT_FALSE(Has(game, "pick_a"));
  Frame(16);
  EXPECT_FALSE(game->IsStarted());
  Frame(16);
  EXPECT_TRUE(game->IsStarted());
  Click("a");
  EXPECT_TRUE(Has(game, "pick_a"));
}

TEST_F(TwainPick, PairsLeaveTheirGroupUntilTheWin) {
  TTwainPickWidget* game = ShowGame("a-b;c-d");
  Click("a");
  Ref<IWidget> pickA = game->GetChildren()->GetByName("pick_a");
  ASSERT_TRUE(pickA);
  EXPECT_FALSE(pickA->IsPaused());
  EXPECT_EQ(pickA->GetProperty("x").ToInt(), 0);
  Click("b");
  EXPECT_TRUE(Has(game, "remove_a"));
  EXPECT_TRUE(Has(game, "remove_b"));
  // b's pick plays first, then both removals.
  EXPECT_EQ(game->GetChildren()->GetByName("pick_b")->GetProperty("next").ToString(),
            ";remove_a;remove_b");
  EXPECT_EQ(game->GetProperty("list").ToString(), "c-d");
  EXPECT_FALSE(game->IsWon());
  Click("c");
  Click("d");
  EXPECT_TRUE(Has(game, "shake_d"));  // d's own pick animation, with its values
  EXPECT_EQ(game->GetChildren()->GetByName("shake_d")->GetProperty("v").ToInt(), 7);
  EXPECT_TRUE(game->GetProperty("win").ToBool());
  EXPECT_FALSE(game->GetProperty("need_skip").ToBool());
  EXPECT_FALSE(game->IsPlaying());  // won: input ends, as Win does
  EXPECT_TRUE(Has(game, "win"));
  EXPECT_EQ(game->GetProperty("list").ToString(), "");
}

TEST_F(TwainPick, WrongPairsAndTakingBackAPick) {
  TTwainPickWidget* game = ShowGame("a-b;c-d");
  Click("a");
  Click("c");
  EXPECT_TRUE(Has(game, "unpick_a"));
  EXPECT_TRUE(Has(game, "unpick_c"));
  EXPECT_EQ(game->GetChildren()->GetByName("pick_c")->GetProperty("next").ToString(),
            ";unpick_a;unpick_c");
  bool wrong = false;
  for (int i = 0; i < game->GetChildren()->Count(); ++i)
    wrong |= game->GetChildren()->GetByIndex(i)->GetName().rfind("wrong_", 0) == 0;
  EXPECT_TRUE(wrong);
  EXPECT_EQ(game->GetProperty("list").ToString(), "a-b;c-d");

  // Twice on one element: picked, then taken back after its pick.
  Click("b");
  Click("b");
  EXPECT_EQ(game->GetChildren()->GetByName("pick_b")->GetProperty("next").ToString(), "unpick_b");
  EXPECT_TRUE(game->GetChildren()->GetByName("unpick_b")->IsPaused());
  EXPECT_EQ(game->GetProperty("list").ToString(), "a-b;c-d");
}

TEST_F(TwainPick, TriplesAndSharedElements) {
  struct Case {
    const char* list;
    const char* first;
    const char* second;
    const char* left;
    bool won;
  } cases[] = {
      {"a-b-c", "a", "b", "c", true},             // a single leftover is no pair
      {"a-b-c;c-d", "a", "b", "c;c-d", false},    //
      {"a-b;a-c;c-d", "a", "b", "c;c-d", false},  // a leaves both its groups
      {"a-b;b-c-d", "b", "a", "c-d", false},
  };
  for (const Case& c : cases) {
    TTwainPickWidget* game = ShowGame(c.list);
    Click(c.first);
    Click(c.second);
    EXPECT_EQ(game->GetProperty("list").ToString(), c.left) << c.list;
    EXPECT_EQ(game->IsWon(), c.won) << c.list;
  }
}

TEST_F(TwainPick, NoPairAtLoadIsWonAtOnce) {
  for (const char* list : {"", "a", "a;b"}) {
    TTwainPickWidget* game = ShowGame(list, false);
    EXPECT_TRUE(game->IsWon()) << list;
    EXPECT_FALSE(game->IsPlaying()) << list;
    EXPECT_TRUE(Has(game, "win")) << list;
    EXPECT_FALSE(game->GetProperty("need_skip").ToBool()) << list;  // attached once won
  }
}

TEST_F(TwainPick, UnlistedClicksAndSkip) {
  TTwainPickWidget* game = ShowGame("a-b");
  Click("c");
  EXPECT_FALSE(Has(game, "pick_c"));
  game->SetProperty("need_skip", Variant(1));
  EXPECT_TRUE(game->IsWon());
  Ref<IWidget> win = game->GetChildren()->GetByName("win");
  ASSERT_TRUE(win);
  EXPECT_FALSE(win->IsPaused());
  Click("a");  // no input after the win
  EXPECT_FALSE(Has(game, "pick_a"));
}

TEST_F(TwainPick, SavedGameResumesWithTheGroupsLeft) {
  TTwainPickWidget* game = ShowGame("a-b;c-d");
  Click("a");
  Click("b");
  Ref<IHierStorageRoot> out = CreateXmlStorage("widget");
  game->SaveToXml(Ref<IHierStorage>(out.get()));
  EXPECT_EQ(out->GetAttr("list").ToString(), "c-d");
}

TEST_F(TwainPick, ShuffleMovesElementsAmongTheirPlaces) {
  Ref<IWidget> w =
      Show(std::string(R"(<widget type="TwainPickWidget" name="m" shuffle="yes" list="a-b;c">)") +
           R"(<widgets>
      <widget type="test_box" name="a" anchor_left="0" z="1"/>
      <widget type="test_box" name="b" anchor_left="20" z="2"/>
      <widget type="test_box" name="c" anchor_left="40" z="3"/></widgets></widget>)");
  std::vector<int> xs, zs;
  for (const char* n : {"a", "b", "c"}) {
    Ref<IWidget> e = w->FindWidget(n);
    xs.push_back(int(e->GetAnchorLeft()));
    zs.push_back(e->GetZ());
    EXPECT_EQ(e->GetZ(), int(e->GetAnchorLeft()) / 20 + 1) << n;  // place and z travel together
  }
  std::sort(xs.begin(), xs.end());
  EXPECT_EQ(xs, (std::vector<int>{0, 20, 40}));
}

}  // namespace
