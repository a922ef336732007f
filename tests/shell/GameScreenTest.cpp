// One game screen: its window, input guard, mouse routing, focus and Tab, cursor, sounds,
// show completion and dirty pass.

#include <climits>

#include "foundation/XMLStorage.h"
#include "platform/InputConstants.h"
#include "tests/support/GameFixture.h"

namespace {

using Ids = std::vector<std::string>;

class GameScreenTest : public GameFixture {
 protected:
  // Screen "S" with the given window, in an otherwise empty game; shown.
  TestGameScreen* ShowScreen(const std::string& window, const std::string& attrs = {},
                             const std::string& children = {}) {
    Start(
        GameXml(ScreenXml("S", window, "test_screen", attrs) + ScreenXml("T", Box("t", 0, 0, 2, 2)),
                {}, children));
    Frame(16);
    game->ShowScreen("S", nullptr);
    return Screen("S");
  }
  TestBoxWidget* BoxAt(TestGameScreen* screen, const std::string& path) {
    auto* box = dynamic_cast<TestBoxWidget*>(screen->FindWidget(path).get());
    EXPECT_TRUE(box) << path;
    return box;
  }
};

TEST_F(GameScreenTest, TheWindowTakesItsPlaceFromLeftOrAnchorLeft) {
  struct Case {
    const char* attrs;
    int32_t left, top;
  } cases[] = {
      {R"(left="5" top="6")", 5, 6},
      {R"(anchor_left="7" anchor_top="8")", 7, 8},
      {R"(left="1" anchor_left="9" top="2" anchor_top="9")", 1, 2},
      {R"(left="x" top="")", 0, 0},
  };
  RegisterGameTestClasses();
  for (const Case& c : cases) {
    Ref<IHierStorageRoot> node = LoadXmlStorageFromText(
        std::string(R"(<gamescreen type="GameScreen" name="S"><window )") + c.attrs +
        "><widgets><widget type=\"test_box\" name=\"b\" visible=\"yes\" width=\"2\" "
        "height=\"2\"/></widgets></window></gamescreen>");
    Ref<IGameScreenSlave> screen =
        Supports<IGameScreenSlave>(CreateObjectFromXml(Ref<IHierStorage>(node.get())));
    ASSERT_TRUE(screen);
    Ref<IWidget> root = screen->GetRootWidget();
    EXPECT_EQ(root->GetAnchorLeft(), c.left) << c.attrs;
    EXPECT_EQ(root->GetAnchorTop(), c.top) << c.attrs;
    EXPECT_TRUE(root->IsMouseStop());
    EXPECT_EQ(screen->GetRect(), (TRect{c.left, c.top, c.left + 2, c.top + 2})) << c.attrs;
    EXPECT_TRUE(screen->GetMusics());
  }
}

TEST_F(GameScreenTest,
       ClicksAreSwallowedForTwoHundredMillisecondsAfterShowingAndAfterAChildCloses) {
  TestGameScreen* s = ShowScreen(Box("b", 0, 0, 10, 10, R"(mousestop="yes")"));
  TestBoxWidget* box = BoxAt(s, "b");
  Frame(199);
  EXPECT_TRUE(game->HandleMouse(input::kLeftButtonDown, {5, 5}, 0)) << "swallowed: handled";
  EXPECT_TRUE(box->mouseMessages.empty());
  Frame(1);
  EXPECT_FALSE(game->HandleMouse(input::kLeftButtonDown, {5, 5}, 0)) << "the box does not handle";
  EXPECT_EQ(box->mouseMessages, (std::vector<uint32_t>{input::kLeftButtonDown}));

  game->ShowScreen("T", nullptr);
  game->CloseScreen(Screen("T"), nullptr);
  Frame(100);
  game->HandleMouse(input::kLeftButtonDown, {5, 5}, 0);
  EXPECT_EQ(box->mouseMessages.size(), 1u) << "guarded again after the child closed";
  Frame(100);
  game->HandleMouse(input::kLeftButtonUp, {5, 5}, 0);
  EXPECT_EQ(box->mouseMessages.size(), 2u);
}

TEST_F(GameScreenTest, TheInputGuardDoesNotComeBackAfterWeeks) {
  TestGameScreen* s = ShowScreen(Box("b", 0, 0, 10, 10, R"(mousestop="yes")"));
  // A frame step is at most 500 ms; a month of them must not wrap the timer.
  for (int i = 0; i < 3; ++i) s->Update(INT32_MAX);
  EXPECT_EQ(s->GetInputTimer(), INT32_MAX);
  game->HandleMouse(input::kLeftButtonDown, {5, 5}, 0);
  EXPECT_EQ(BoxAt(s, "b")->mouseMessages.size(), 1u);
}

TEST_F(GameScreenTest, MouseGoesToTheCaptureOrToAMouseStopUnderThePoint) {
  TestGameScreen* s = ShowScreen(R"(<widgets>
      <widget type="test_box" name="stop" visible="yes" mousestop="yes" handles="yes" width="10" height="10"/>
      <widget type="test_box" name="pass" visible="yes" anchor_left="20" width="10" height="10"/>
    </widgets>)");
  Frame(250);
  EXPECT_TRUE(game->HandleMouse(input::kMouseMove, {5, 5}, 0));
  EXPECT_FALSE(game->HandleMouse(input::kMouseMove, {25, 5}, 0)) << "not a mouse stop";
  EXPECT_FALSE(game->HandleMouse(input::kMouseMove, {50, 50}, 0)) << "nothing there";
  EXPECT_TRUE(BoxAt(s, "pass")->mouseMessages.empty());

  s->SetCapture(s->FindWidget("pass"));
  EXPECT_FALSE(game->HandleMouse(input::kMouseMove, {5, 5}, 0));
  EXPECT_EQ(BoxAt(s, "pass")->mouseMessages.size(), 1u) << "the capture gets it anywhere";
  EXPECT_EQ(BoxAt(s, "stop")->mouseMessages.size(), 1u);
  s->ReleaseCapture();
  EXPECT_TRUE(game->HandleMouse(input::kMouseMove, {5, 5}, 0));
}

TEST_F(GameScreenTest, TabMovesTheFocusAmongVisibleTabStops) {
  TestGameScreen* s = ShowScreen(R"(<widgets>
      <widget type="test_control" name="a" visible="yes" tabstop="yes" handles_keys="65"/>
      <widget type="test_control" name="b" visible="yes"/>
      <widget type="test_control" name="c" visible="no" tabstop="yes"/>
      <widget type="test_control" name="d" visible="yes" tabstop="yes"/>
    </widgets>)");
  EXPECT_EQ(TakeLog(), (Ids{"S.OnShow()", "a.SetFocus", "S.OnShown"}));
  auto tab = [this] { return game->HandleKey(input::kKeyUp, input::kVkTab, 0); };
  EXPECT_TRUE(tab());
  EXPECT_EQ(s->GetFocus()->GetName(), "d");
  EXPECT_TRUE(tab());
  EXPECT_EQ(s->GetFocus()->GetName(), "a") << "wraps round";
  EXPECT_EQ(TakeLog(), (Ids{"a.Key(257,9)", "a.KillFocus", "d.SetFocus", "d.Key(257,9)",
                            "d.KillFocus", "a.SetFocus"}));
  EXPECT_TRUE(game->HandleKey(input::kKeyDown, 65, 0)) << "the focused control's answer";
  EXPECT_FALSE(game->HandleKey(input::kKeyDown, 66, 0));

  // A single tab stop keeps the focus; without any, keys go nowhere.
  s->FindWidget("d")->SetVisible(false);
  EXPECT_TRUE(tab());
  EXPECT_EQ(s->GetFocus()->GetName(), "a");
  s->FindWidget("a")->SetVisible(false);
  s->ClearFocus();
  EXPECT_FALSE(tab());
  EXPECT_FALSE(s->GetFocus());
}

TEST_F(GameScreenTest, ScreensSwitchTheCursorWhileShown) {
  std::string cursors = R"(<cursors default_cursor_name="none-such">
      <cursor name="arrow"><widget type="test_box" name="a"/></cursor>
      <cursor name="hand"><widget type="test_box" name="h"/></cursor>
    </cursors>)";
  Start(GameXml(ScreenXml("S", Box("s", 0, 0, 2, 2), "test_screen", R"(cursor_name="hand")") +
                    ScreenXml("T", Box("t", 0, 0, 2, 2)),
                {}, cursors));
  Frame(16);
  Ref<ICursorCollection> all = game->GetCursors();
  EXPECT_EQ(all->GetCurrentCursor()->GetName(), "arrow") << "the default names no cursor";
  game->ShowScreen("S", nullptr);
  EXPECT_EQ(all->GetCurrentCursor()->GetName(), "hand");
  EXPECT_TRUE(all->GetCurrentCursor()->GetWidget()->IsVisible());
  EXPECT_FALSE(all->GetItem(Variant("arrow"))->GetWidget()->IsVisible());
  game->ShowScreen("T", nullptr);
  EXPECT_EQ(all->GetCurrentCursor()->GetName(), "arrow") << "no cursor_name: the default";
  game->CloseScreen(Screen("T"), nullptr);
  EXPECT_EQ(all->GetCurrentCursor()->GetName(), "hand") << "restored by the hide";
  game->CloseScreen(Screen("S"), nullptr);
  EXPECT_EQ(all->GetCurrentCursor()->GetName(), "arrow");
}

TEST_F(GameScreenTest, ShowingAndHidingPlayTheirSoundsAndTheBackgroundMusic) {
  ShowScreen(R"(<musics><music name="music_background" resourcename="theme"/>
                        <music name="other" resourcename="other"/></musics>)" +
                 Box("b", 0, 0, 2, 2),
             {}, R"(<sounds><sound name="sound_show_window" resourcename="whoosh"/>
                          <sound name="sound_hide_window" resourcename="thud"/></sounds>)");
  EXPECT_EQ(engine->playedSounds, (Ids{"whoosh"}));
  EXPECT_EQ(engine->playedMusic, (Ids{"theme"}));
  game->CloseScreen(Screen("S"), nullptr);
  EXPECT_EQ(engine->playedSounds, (Ids{"whoosh", "thud"}));
  EXPECT_EQ(engine->stoppedMusic, (Ids{"theme"}));
}

TEST_F(GameScreenTest, OnShownWaitsForTheShowEffect) {
  TestGameScreen* s = ShowScreen(ShowEffect(50) + Box("b", 0, 0, 10, 10, R"(mousestop="yes")"));
  EXPECT_EQ(TakeLog(), (Ids{"S.OnShow()"}));
  for (int i = 0; i < 10; ++i) Frame(16);
  EXPECT_EQ(TakeLog(), (Ids{"S.OnShown"})) << "once, after the effect";
  // The guard counts from OnShown, not from the show.
  EXPECT_LT(s->GetInputTimer(), 200);
}

TEST_F(GameScreenTest, ACoveredScreenPostsItsRectanglesOnceMore) {
  TestGameScreen* s = ShowScreen(Box("b", 0, 0, 10, 10));
  Frame(16);
  EXPECT_TRUE(s->UpdateDirtyRects());
  s->Deactivate();
  s->FindWidget("b")->SetProperty("color", Variant(int32_t(0xFF00FF00)));
  engine->redrawRects.clear();
  EXPECT_FALSE(s->UpdateDirtyRects());
  EXPECT_EQ(engine->redrawRects, (std::vector<TRect>{{0, 0, 10, 10}}));
  s->FindWidget("b")->SetProperty("color", Variant(int32_t(0xFF0000FF)));
  engine->redrawRects.clear();
  EXPECT_FALSE(s->UpdateDirtyRects());
  EXPECT_TRUE(engine->redrawRects.empty());
}

TEST_F(GameScreenTest, WidgetsReachTheGameThroughTheScreen) {
  TestGameScreen* s = ShowScreen(Box("b", 0, 0, 2, 2));
  Ref<IWidget> box = s->FindWidget("b");
  EXPECT_EQ(box->GetPath(), "S/b");
  EXPECT_EQ(box->FindWidget("window:/b"), box);
  IWidgetOwner* owner = box->GetOwner();
  ASSERT_TRUE(owner);
  EXPECT_EQ(owner->GetEngine(), engine.get());
  EXPECT_EQ(owner->GetWindow(), static_cast<IWindow*>(s));
  EXPECT_EQ(owner->GetEventHandler()->GetGameScreenOwner(),
            static_cast<IGameScreenOwner*>(game.get()));
  engine->cursor = {3, 4};
  EXPECT_EQ(owner->GetMousePos(), (TPoint{3, 4}));
}

TEST_F(GameScreenTest, ASavedScreenLoadsBackTheSame) {
  RegisterGameTestClasses();
  Ref<IHierStorageRoot> node = LoadXmlStorageFromText(
      R"(<gamescreen type="GameScreen" name="S" cursor_name="hand"><window left="4" top="5">
           <musics><music name="music_background" resourcename="theme"/></musics>
           <widgets><widget type="test_box" name="b" visible="yes" width="3" height="2"/></widgets>
         </window></gamescreen>)");
  Ref<INamedObject> screen = CreateObjectFromXml(Ref<IHierStorage>(node.get()));
  Ref<IHierStorageRoot> saved = CreateXmlStorage("gamescreen");
  ASSERT_TRUE(SaveObject(screen, Ref<IHierStorage>(saved.get())));
  Ref<IGameScreenSlave> again =
      Supports<IGameScreenSlave>(CreateObjectFromXml(Ref<IHierStorage>(saved.get())));
  ASSERT_TRUE(again) << saved->GetXmlText();
  EXPECT_EQ(again->GetName(), "S");
  EXPECT_EQ(again->GetRect(), (TRect{4, 5, 7, 7})) << saved->GetXmlText();
  EXPECT_FALSE(again->GetRootWidget()->IsVisible());
  EXPECT_TRUE(again->GetMusics()->FindMusic(Variant("music_background")));
  EXPECT_EQ(dynamic_cast<TGameScreen*>(again.get())->GetCursorName(), "hand");
}

}  // namespace
