// The game's screen stack: showing, closing, popping and results, also when screens show
// and close screens from inside their hooks.

#include "foundation/Params.h"
#include "tests/support/GameFixture.h"

namespace {

class GameStack : public GameFixture {
 protected:
  // Screens A to D without effects; "H" closes with a 100 ms hide effect.
  void StartPlain() {
    Start(GameXml(ScreenXml("A", Box("a", 0, 0, 40, 40)) + ScreenXml("B", Box("b", 0, 0, 20, 20)) +
                  ScreenXml("C", Box("c", 0, 0, 10, 10)) + ScreenXml("D", Box("d", 0, 0, 5, 5)) +
                  ScreenXml("H", HideEffect(100) + Box("h", 0, 0, 8, 8))));
    Frame(16);  // the load completes; nothing is shown without a main screen
    ASSERT_TRUE(Stack().empty());
    TakeLog();
  }
  static Ref<IParamCollection> Result(const std::string& text) { return ParamsFromString(text); }
  bool Close(const std::string& id, const Ref<IParamCollection>& result = nullptr) {
    return game->CloseScreen(Screen(id), result);
  }
  using Ids = std::vector<std::string>;
};

TEST_F(GameStack, ShowingAScreenOnTheStackOrAnUnknownOneChangesNothing) {
  StartPlain();
  ASSERT_TRUE(game->ShowScreen("A", nullptr));
  ASSERT_TRUE(game->ShowScreen("B", nullptr));
  engine->pausedGroups.clear();
  TakeLog();

  EXPECT_FALSE(game->ShowScreen("B", nullptr));
  EXPECT_FALSE(game->ShowScreen("A", nullptr));
  EXPECT_FALSE(game->ShowScreen("nowhere", nullptr));
  EXPECT_EQ(Stack(), (Ids{"A", "B"}));
  EXPECT_TRUE(Screen("B")->IsActive()) << "the top screen was not covered";
  EXPECT_FALSE(Screen("A")->IsActive());
  EXPECT_TRUE(engine->pausedGroups.empty());
  EXPECT_TRUE(TakeLog().empty());
  EXPECT_EQ(game->GetTopScreenName(), "B");
}

TEST_F(GameStack, ShowingCoversTheTopScreenAndPostsTheNewScreensRectangle) {
  StartPlain();
  game->ShowScreen("A", nullptr);
  engine->redrawRects.clear();
  game->ShowScreen("B", nullptr);
  EXPECT_EQ(engine->pausedGroups, (std::vector<std::pair<std::string, bool>>{{"A", true}}));
  EXPECT_FALSE(Screen("A")->IsActive());
  EXPECT_TRUE(Screen("B")->IsActive());
  ASSERT_FALSE(engine->redrawRects.empty());
  EXPECT_EQ(engine->redrawRects.back(), (TRect{0, 0, 20, 20}));
}

TEST_F(GameStack, OnlyTheTopScreenCloses) {
  StartPlain();
  game->ShowScreen("A", nullptr);
  game->ShowScreen("H", nullptr);
  ASSERT_TRUE(Close("H", Result("Button=yes")));
  // Not the top screen, or no screen: refused, and the pending result stays.
  EXPECT_FALSE(Close("A", Result("Button=no")));
  EXPECT_FALSE(game->CloseScreen(nullptr, Result("Button=no")));
  EXPECT_FALSE(Close("B"));
  EXPECT_EQ(Stack(), (Ids{"A", "H"}));
  for (int i = 0; i < 10; ++i) Frame(50);
  EXPECT_EQ(Stack(), (Ids{"A"}));
  EXPECT_EQ(Screen("A")->lastChild, "H");
  EXPECT_EQ(DescribeParams(Screen("A")->lastResult), "Button=yes;");
}

TEST_F(GameStack, AScreenWithAHideEffectLeavesWhenTheEffectEnds) {
  StartPlain();
  game->ShowScreen("A", nullptr);
  game->ShowScreen("H", nullptr);
  TakeLog();
  engine->pausedGroups.clear();

  ASSERT_TRUE(Close("H", Result("Score=7")));
  EXPECT_EQ(engine->stoppedGroups, (Ids{"H"}));
  // Still the top screen while the effect runs: updated, drawn, and A stays covered.
  int32_t elapsed = 0;
  while (Stack().size() == 2 && elapsed < 1000) {
    EXPECT_FALSE(Screen("A")->IsActive()) << elapsed;
    EXPECT_TRUE(TakeLog().empty()) << elapsed;
    EXPECT_EQ(Render().get()->GetPixel(5, 5), 0xFFFFFFFFu) << "H is drawn, through its effect";
    Frame(16);
    elapsed += 16;
  }
  EXPECT_GE(elapsed, 100);
  EXPECT_LE(elapsed, 128);
  EXPECT_EQ(Stack(), (Ids{"A"}));
  // Uncovered in the update in which H left.
  EXPECT_TRUE(Screen("A")->IsActive());
  EXPECT_EQ(engine->pausedGroups, (std::vector<std::pair<std::string, bool>>{{"A", false}}));
  EXPECT_EQ(TakeLog(), (Ids{"A.OnChildClosed(H,Score=7;)"}));
}

TEST_F(GameStack, OneWalkPopsEveryScreenThatHasGoneAndHandsEachTheOneResult) {
  StartPlain();
  for (const char* id : {"A", "B", "H"}) game->ShowScreen(id, nullptr);
  ASSERT_TRUE(Close("H", Result("Button=ok")));
  // B hides itself under H (as a loading screen does); it has no effect, so it is gone at
  // once, but it leaves the stack only with H, in one walk.
  Screen("B")->Hide();
  TakeLog();
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{"A", "B", "H"}));
  EXPECT_EQ(Render().get()->GetPixel(15, 15), 0xFFFFFFFFu) << "A is drawn: B is no longer shown";
  for (int i = 0; i < 10 && Stack().size() == 3; ++i) Frame(50);
  EXPECT_EQ(Stack(), (Ids{"A"}));
  EXPECT_EQ(TakeLog(), (Ids{"B.OnChildClosed(H,Button=ok;)", "A.OnChildClosed(B,Button=ok;)"}));
  EXPECT_TRUE(Screen("A")->IsActive());
}

TEST_F(GameStack, AScreenThatLeavesWithoutClosingHandsOnNoResult) {
  StartPlain();
  game->ShowScreen("A", nullptr);
  game->ShowScreen("B", nullptr);
  TakeLog();
  ASSERT_TRUE(Close("B", Result("Button=ok")));
  EXPECT_EQ(TakeLog(), (Ids{"A.OnChildClosed(B,Button=ok;)"}));

  // C hides itself; the result of B's close was handed on already and must not reach A
  // a second time.
  game->ShowScreen("C", nullptr);
  TakeLog();
  Screen("C")->Hide();
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{"A"}));
  EXPECT_EQ(TakeLog(), (Ids{"A.OnChildClosed(C,)"}));
}

TEST_F(GameStack, HooksShowAndCloseScreens) {
  StartPlain();
  // A shows B from its show hook and from its shown hook: either way B ends on top and
  // A is covered.
  for (bool fromOnShow : {true, false}) {
    std::function<void(TestGameScreen&)> showB = [this](TestGameScreen&) {
      game->ShowScreen("B", nullptr);
    };
    Screen("A")->onShow = fromOnShow ? showB : nullptr;
    Screen("A")->onShown = fromOnShow ? nullptr : showB;
    ASSERT_TRUE(game->ShowScreen("A", nullptr));
    EXPECT_EQ(Stack(), (Ids{"A", "B"})) << fromOnShow;
    EXPECT_FALSE(Screen("A")->IsActive()) << fromOnShow;
    EXPECT_TRUE(Screen("B")->IsActive()) << fromOnShow;
    Screen("A")->onShow = Screen("A")->onShown = nullptr;
    ASSERT_TRUE(Close("B"));
    ASSERT_TRUE(Close("A"));
    ASSERT_TRUE(Stack().empty());
  }
  TakeLog();

  // Closing C wakes B, which closes itself with a result of its own; A then shows D.
  for (const char* id : {"A", "B", "C"}) game->ShowScreen(id, nullptr);
  Screen("B")->onChildClosed = [](TestGameScreen& b) { b.Close(ParamsFromString("from=B")); };
  Screen("A")->onChildClosed = [this](TestGameScreen&) { game->ShowScreen("D", nullptr); };
  TakeLog();
  ASSERT_TRUE(Close("C", Result("from=C")));
  EXPECT_EQ(Stack(), (Ids{"A", "D"}));
  EXPECT_EQ(TakeLog(), (Ids{"B.OnChildClosed(C,from=C;)", "A.OnChildClosed(B,from=B;)",
                            "D.OnShow()", "D.OnShown"}));
  EXPECT_FALSE(Screen("A")->IsActive());
  EXPECT_TRUE(Screen("D")->IsActive());

  // Nothing is left pending: D leaving by itself hands A no result.
  Screen("A")->onChildClosed = nullptr;
  Screen("D")->Hide();
  Frame(16);
  EXPECT_EQ(TakeLog(), (Ids{"A.OnChildClosed(D,)"}));
}

TEST_F(GameStack, AScreenClosingItselfWhileShownLeavesTheStackRight) {
  StartPlain();
  game->ShowScreen("A", nullptr);
  Screen("B")->onShown = [](TestGameScreen& b) { b.Close(ParamsFromString("quick=1")); };
  EXPECT_TRUE(game->ShowScreen("B", nullptr));
  EXPECT_EQ(Stack(), (Ids{"A"}));
  EXPECT_TRUE(Screen("A")->IsActive());
  EXPECT_EQ(Screen("A")->lastChild, "B");
  EXPECT_EQ(DescribeParams(Screen("A")->lastResult), "quick=1;");
}

TEST_F(GameStack, ActivationReachesEveryStackedScreenBottomFirst) {
  StartPlain();
  for (const char* id : {"A", "B"}) game->ShowScreen(id, nullptr);
  TakeLog();
  game->Activate(false);
  EXPECT_EQ(TakeLog(), (Ids{"A.OnActivateApp(0)", "B.OnActivateApp(0)"}));
}

TEST_F(GameStack, DoneReleasesScreensAndResourceGroups) {
  Start(GameXml(ScreenXml("A", Box("a", 0, 0, 4, 4)), {},
                R"(<resourcefiles><resourcefile name="one" filename="1.res" loadmode="synch"/>
                       <resourcefile name="two" filename="2.res"/></resourcefiles>)"));
  Frame(16);
  game->ShowScreen("A", nullptr);
  game->Done();
  EXPECT_TRUE(Stack().empty());
  EXPECT_EQ(Screen("A")->GetOwner(), nullptr);
  EXPECT_EQ(engine->removedGroups, (Ids{"two", "one"}));
  EXPECT_EQ(game->GetEngine(), nullptr);
  game = nullptr;
}

}  // namespace
