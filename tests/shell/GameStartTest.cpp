// The game's start: logo screen, splash screen with the delayed resource lists, main
// screen; closing while loading and the close-query screen.

#include "tests/support/GameFixture.h"

namespace {

using Ids = std::vector<std::string>;
using Loads = std::vector<FakeGameEngine::ResourceLoad>;

class GameStart : public GameFixture {
 protected:
  static std::string Lists() {
    return R"(<resourcefiles>
      <resourcefile name="core" filename="data\core.res" loadmode="synch"/>
      <resourcefile name="levels" filename="data\levels.res" loadmode="asynch"/>
      <resourcefile name="extra" filename="data\extra.res"/>
      <resourcefile name="odd" filename="data\odd.res" loadmode="later"/>
      <resourcefile name="core" filename="data\again.res" loadmode="synch"/>
    </resourcefiles>)";
  }
  static std::string Screens(const std::string& splashWindow = {}) {
    return ScreenXml("GS_SplashLogos", Box("logo", 0, 0, 8, 8)) +
           ScreenXml("GS_Splash", splashWindow + Box("splash", 0, 0, 8, 8), "test_splash") +
           ScreenXml("GS_Main", Box("main", 0, 0, 8, 8));
  }
  static std::string Ids4() {
    return R"(splashlogosgs="GS_SplashLogos" splashgs="GS_Splash" maings="GS_Main")";
  }
  // Frames until the main screen is on top; false when it never comes.
  bool RunToMain() {
    for (int i = 0; i < 100; ++i) {
      if (game->GetTopScreenName() == "GS_Main") return true;
      Frame(16);
    }
    return false;
  }
};

TEST_F(GameStart, LogoThenSplashWithTheDelayedListsThenMain) {
  // Every pumped frame notes what is on view while the lists load.
  std::vector<std::string> onViewWhileLoading;
  engine->pump = [&] {
    Frame(16);
    onViewWhileLoading.push_back(game->GetTopScreenName());
  };
  Start(GameXml(Screens(), Ids4(), Lists()));
  EXPECT_EQ(engine->resourceLoads, (Loads{{"data\\core.res", "core", false}}))
      << "synchronous lists load at once, the first of a name only";
  EXPECT_EQ(Stack(), (Ids{"GS_SplashLogos"}));
  EXPECT_FALSE(game->CanClose());

  for (int i = 0; i < 5; ++i) Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_SplashLogos"})) << "nothing else happens while the logo shows";
  EXPECT_EQ(engine->resourceLoads.size(), 1u);

  TakeLog();
  ASSERT_TRUE(game->CloseScreen(Screen("GS_SplashLogos"), nullptr));
  Frame(16);  // the logo has gone; the load completes in the next update
  EXPECT_TRUE(Stack().empty());
  EXPECT_FALSE(game->CanClose());
  Frame(16);
  EXPECT_EQ(engine->resourceLoads, (Loads{{"data\\core.res", "core", false},
                                          {"data\\levels.res", "levels", true},
                                          {"data\\extra.res", "extra", true},
                                          {"data\\odd.res", "odd", true}}));
  EXPECT_EQ(onViewWhileLoading, (Ids{"GS_Splash", "GS_Splash", "GS_Splash"}));
  EXPECT_EQ(TakeLog(),
            (Ids{"GS_Splash.OnShow()", "GS_Splash.OnShown", "GS_Splash.OnShow(LoadComplete=True;)",
                 "GS_Splash.OnShown", "GS_Main.OnShow()", "GS_Main.OnShown"}));
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_TRUE(game->CanClose()) << "no close-query screen in this game";
}

TEST_F(GameStart, WithoutLogoTheLoadCompletesOnTheFirstUpdate) {
  Start(GameXml(ScreenXml("GS_Splash", Box("s", 0, 0, 4, 4), "test_splash") +
                    ScreenXml("GS_Main", Box("m", 0, 0, 4, 4)),
                R"(splashgs="GS_Splash" maings="GS_Main")"));
  EXPECT_TRUE(Stack().empty());
  EXPECT_FALSE(game->CanClose());
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_TRUE(game->CanClose());

  // No splash screen at all: straight to the main screen.
  game->Done();
  Start(GameXml(ScreenXml("GS_Main", Box("m", 0, 0, 4, 4)), R"(maings="GS_Main")"));
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
}

TEST_F(GameStart, ASplashScreenWithAHideEffectStillHearsThatLoadingIsComplete) {
  Start(GameXml(Screens(HideEffect(100)), Ids4()));
  game->CloseScreen(Screen("GS_SplashLogos"), nullptr);
  Frame(16);
  TakeLog();
  Frame(16);
  // The splash screen is hiding: it is told once it has gone.
  EXPECT_EQ(Stack(), (Ids{"GS_Splash"}));
  EXPECT_TRUE(game->CanClose()) << "loading has ended";
  ASSERT_TRUE(RunToMain());
  EXPECT_EQ(TakeLog(),
            (Ids{"GS_Splash.OnShow()", "GS_Splash.OnShown", "GS_Splash.OnShow(LoadComplete=True;)",
                 "GS_Splash.OnShown", "GS_Main.OnShow()", "GS_Main.OnShown"}));
  for (int i = 0; i < 20; ++i) Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_TRUE(dynamic_cast<TestSplashScreen*>(Screen("GS_Splash"))->mainRequested);
}

TEST_F(GameStart, ClosingAsksTheCloseQueryScreenOnce) {
  Start(GameXml(Screens() + ScreenXml("GS_Quit", Box("q", 0, 0, 4, 4)),
                Ids4() + R"( closequerygs="GS_Quit")"));
  EXPECT_FALSE(game->CanClose()) << "loading";
  EXPECT_EQ(Stack(), (Ids{"GS_SplashLogos"}));
  game->CloseScreen(Screen("GS_SplashLogos"), nullptr);
  Frame(16);
  Frame(16);
  ASSERT_EQ(Stack(), (Ids{"GS_Main"}));

  EXPECT_FALSE(game->CanClose());
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_Quit"}));
  EXPECT_TRUE(game->CanClose()) << "the close-query screen is on view already";
}

TEST_F(GameStart, InitializeSetsUpCursorsBorderAndCustomSettings) {
  engine->textFiles["data\\custom.ini|k1"] =
      R"(<settings><commands><command type="param_command" name="p" paramname="Level" value="3"/>
         </commands></settings>)";
  Start(GameXml(ScreenXml("GS_Border", Box("frame", 0, 0, 4, 4)), {},
                R"(<params><param name="Level" value="1"/></params>
                   <custom_settings><custom_setting name="c" filename="data\custom.ini" key="k1"/></custom_settings>
                   <cursors default_cursor_name="hand">
                     <cursor name="arrow"><widget type="test_box" name="a" width="2" height="2"/></cursor>
                     <cursor name="hand"><widget type="test_box" name="h" width="2" height="2"/></cursor>
                   </cursors>)"));
  EXPECT_EQ(engine->hiddenCursor, 1);
  ASSERT_TRUE(game->GetCursors()->GetCurrentCursor());
  EXPECT_EQ(game->GetCursors()->GetCurrentCursor()->GetName(), "hand");
  EXPECT_EQ(game->GetCursors()->GetCurrentCursor()->GetWidget()->GetOwner(),
            static_cast<IWidgetOwner*>(game.get()));
  EXPECT_TRUE(Stack().empty()) << "the border screen is never stacked";
  EXPECT_TRUE(Screen("GS_Border")->IsActive());
  EXPECT_EQ(game->GetParamValue("Level").ToString(), "3");
}

}  // namespace
