// The in-game menu: its buttons and queries, Escape and a click beside the controls.

#include "platform/InputConstants.h"
#include "tests/screens/LevelStatTestSupport.h"

namespace {

class GameMenu : public ScreensFixture {
 protected:
  void ShowMenu(const Ref<IParamCollection>& params = nullptr) {
    ASSERT_TRUE(game->ShowScreen("GS_GameMenu", params));
    Frame(250);
    TakeLog();
  }
  void Press(const std::string& button) {
    dynamic_cast<IEventHandler*>(Slave("GS_GameMenu"))
        ->OnWidgetEvent(Find("GS_GameMenu", button).get(), control_event::kButtonClick, 0);
    Frame(16);
  }
  void Answer(const std::string& button) {
    Ref<IParamCollection> reply(TAbstractObject::Create<TParamCollection>().get());
    reply->SetValue("Button", Variant(button));
    game->CloseScreen(Slave(game->GetTopScreenName()), reply);
    Frame(16);
  }
  // What the play screen heard last; "" when nothing.
  std::string Heard() {
    Ids log = TakeLog();
    return log.empty() ? std::string() : log.back();
  }
};

}  // namespace

TEST_F(GameMenu, ButtonsCloseOrAskFirst) {
  struct Case {
    const char* button;
    const char* answer;  // nothing: no query to answer
    Ids stack;
    const char* heard;
  };
  StartScreens();
  for (const Case& c : {
           Case{"button_unpause",
                nullptr,
                {"GS_Game"},
                "GS_Game.OnChildClosed(GS_GameMenu,Button=button_unpause;)"},
           Case{"button_restart",
                "button_yes",
                {"GS_Game"},
                "GS_Game.OnChildClosed(GS_GameMenu,Button=GS_QueryRestart;)"},
           Case{"button_restart", "button_no", {"GS_Game", "GS_GameMenu"}, ""},
           Case{"button_main_menu",
                "button_yes",
                {"GS_Game"},
                "GS_Game.OnChildClosed(GS_GameMenu,Button=GS_QueryMainMenu;)"},
           Case{"button_main_menu", "button_no", {"GS_Game", "GS_GameMenu"}, ""},
       }) {
    ShowMenu();
    Press(c.button);
    if (c.answer) {
      ASSERT_EQ(game->GetTopScreenName(),
                std::string(c.button) == "button_restart" ? "GS_QueryRestart" : "GS_QueryMainMenu");
      TakeLog();
      Answer(c.answer);
    }
    EXPECT_EQ(Stack(), c.stack) << c.button << " " << (c.answer ? c.answer : "");
    EXPECT_EQ(Heard(), c.heard) << c.button;
    if (Stack().size() > 1) {
      Press("button_unpause");
      ASSERT_EQ(Stack(), (Ids{"GS_Game"}));
    }
  }
}

TEST_F(GameMenu, QueriesTheGameFileLacksCountAsConfirmed) {
  StartScreens({});
  for (const char* button : {"button_restart", "button_main_menu"}) {
    ShowMenu();
    Press(button);
    EXPECT_EQ(Stack(), (Ids{"GS_Game"})) << button;
    EXPECT_EQ(Heard(), "GS_Game.OnChildClosed(GS_GameMenu,Button=" + std::string(button) + ";)");
  }
}

TEST_F(GameMenu, OptionsAndRulesOpenAboveTheMenu) {
  StartScreens();
  ShowMenu();
  Press("button_options");
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu", "GS_Options"}));
  Answer("button_close");
  Press("button_rules");
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu", "GS_HowToPlay"}));
  Answer("button_back");
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu"}));
}

TEST_F(GameMenu, CaptionShowsTheTextParameter) {
  StartScreens();
  Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
  params->SetValue("text", Variant("Level 3"));
  ShowMenu(params);
  EXPECT_EQ(Find("GS_GameMenu", "current_level_caption")->GetProperty("text_utf8").ToString(),
            "Level 3");
}

TEST_F(GameMenu, EscapeClosesWithoutResult) {
  StartScreens();
  ShowMenu();
  game->HandleKey(input::kKeyUp, input::kVkEscape, 0);
  game->HandleKey(input::kKeyDown, 'A', 0);
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu"}));
  game->HandleKey(input::kKeyDown, input::kVkEscape, 0);
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Game"}));
  EXPECT_EQ(Heard(), "GS_Game.OnChildClosed(GS_GameMenu,)");
}

TEST_F(GameMenu, EscapeHandledByAControlKeepsTheMenu) {
  std::string window = R"(<widgets><widget type="test_control" name="field" width="10"
                           height="10" tabstop="yes" handles_keys="27" visible="yes"/></widgets>)";
  Start(GameXml(ScreenXml("GS_Game", Box("scene", 0, 0, 4, 4)) +
                    ScreenXml("GS_GameMenu", window, "Tavelor2GameScreenMenu"),
                R"(maings="GS_Game")"));
  Frame(16);
  ShowMenu();
  game->HandleKey(input::kKeyDown, input::kVkEscape, 0);
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu"}));
}

TEST_F(GameMenu, ReleaseOnEmptySpaceClosesButNotUnderACapture) {
  StartScreens();
  for (uint32_t release : {input::kLeftButtonUp, input::kRightButtonUp, input::kMiddleButtonUp}) {
    ShowMenu();
    game->HandleMouse(input::kLeftButtonDown, {500, 500}, 0);
    game->HandleMouse(input::kMouseMove, {510, 500}, 0);
    Frame(16);
    EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu"})) << release;
    game->HandleMouse(release, {500, 500}, 0);
    Frame(16);
    EXPECT_EQ(Stack(), (Ids{"GS_Game"})) << release;
    EXPECT_EQ(Heard(), "GS_Game.OnChildClosed(GS_GameMenu,)") << release;
  }

  // Dragging the slider off its track and letting go there keeps the menu.
  ShowMenu();
  game->HandleMouse(input::kLeftButtonDown, {5, 105}, 0);
  ASSERT_TRUE(Slave("GS_GameMenu")->GetWindow()->GetCapture());
  game->HandleMouse(input::kMouseMove, {500, 500}, 0);
  game->HandleMouse(input::kLeftButtonUp, {500, 500}, 0);
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu"}));
}

TEST_F(GameMenu, ReleaseRightAfterShowingIsIgnored) {
  StartScreens();
  ASSERT_TRUE(game->ShowScreen("GS_GameMenu", nullptr));
  Frame(16);
  game->HandleMouse(input::kLeftButtonUp, {500, 500}, 0);
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu"}));
}
