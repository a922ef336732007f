// The new player's choice of play mode: timed or untimed, handed on with the new-player
// screen's result.
#include <gtest/gtest.h>

#include "screens/ScreensRegistration.h"
#include "screens/Tv2GameScreenDificult.h"
#include "tests/support/GameFixture.h"
#include "widgets/WidgetsRegistration.h"

namespace {

using Ids = std::vector<std::string>;

class GameScreenDificult : public GameFixture {
 protected:
  GameScreenDificult() {
    RegisterGameTestClasses();
    RegisterWidgetsClasses();
    RegisterScreensClasses();
    std::string window = R"(<widgets>
        <widget type="ButtonControl" name="set_play_mode_timed" visible="yes" width="10" height="10"/>
        <widget type="ButtonControl" name="set_play_mode_untimed" visible="yes" width="10" height="10"
                anchor_left="20"/>
        <widget type="test_box" name="button_ok" visible="yes" anchor_left="40"/>
        <widget type="test_box" name="button_cancel" visible="yes" anchor_left="60"/></widgets>)";
    Start(GameXml(
        ScreenXml("GS_Main", Box("m", 0, 0, 2, 2)) +
            ScreenXml("GS_Dificult", window, "Tv2GameScreenDificult", R"(cursor_name="hand")"),
        {}, R"(<cursors default_cursor_name="arrow">
                           <cursor name="arrow"><widget type="test_box" name="a"/></cursor>
                           <cursor name="hand"><widget type="test_box" name="h"/></cursor>
                         </cursors>
                         <sounds><sound name="sound_show_window" resourcename="whoosh"/></sounds>)"));
    Frame(16);
    game->ShowScreen("GS_Main", nullptr);
    TakeLog();
    engine->playedSounds.clear();
  }

  TTv2GameScreenDificult* Dificult() {
    return dynamic_cast<TTv2GameScreenDificult*>(
        game->GetScreens()->GetScreen(Variant("GS_Dificult")).get());
  }
  void Click(const char* name) {
    TTv2GameScreenDificult* screen = Dificult();
    screen->OnWidgetEvent(screen->FindWidget(name).get(), control_event::kButtonClick, 0);
  }
  // "T" and "U" for the enabled timed and untimed buttons, "-" for disabled ones.
  std::string Enabled() {
    return std::string(Dificult()->FindWidget("set_play_mode_timed")->IsEnabled() ? "T" : "-") +
           (Dificult()->FindWidget("set_play_mode_untimed")->IsEnabled() ? "U" : "-");
  }
};

}  // namespace

TEST_F(GameScreenDificult, ShownWithoutTheNewPlayerItClosesUnseen) {
  ASSERT_TRUE(game->ShowScreen("GS_Dificult", nullptr));
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(TakeLog(), (Ids{"GS_Main.OnChildClosed(GS_Dificult,)"}));
  // Nothing of the show follows the close: no sound, no cursor, no root on view.
  EXPECT_TRUE(engine->playedSounds.empty());
  EXPECT_EQ(game->GetCursors()->GetCurrentCursor()->GetName(), "arrow");
  EXPECT_FALSE(Dificult()->GetRootWidget()->IsVisible());
  EXPECT_FALSE(Dificult()->IsActive());
}

TEST_F(GameScreenDificult, ThePlayerChoosesAModeAndTheResultCarriesIt) {
  struct Case {
    std::vector<const char*> clicks;
    const char* enabled;
    const char* closedWith;  // "" for no result; "(open)" when still shown
  };
  for (const Case& c : {
           Case{{}, "T-", "(open)"},
           Case{{"button_ok"}, "T-", "user_name=Mira;play_mode=1;"},
           Case{{"set_play_mode_timed", "button_ok"}, "-U", "user_name=Mira;play_mode=0;"},
           Case{{"set_play_mode_timed", "set_play_mode_untimed", "button_ok"},
                "T-",
                "user_name=Mira;play_mode=1;"},
           Case{{"set_play_mode_timed", "button_cancel"}, "-U", ""},
       }) {
    ASSERT_TRUE(game->ShowScreen("GS_Dificult", SingleParam("user_name", Variant("Mira"))));
    EXPECT_EQ(game->GetCursors()->GetCurrentCursor()->GetName(), "hand");
    EXPECT_EQ(engine->playedSounds, (Ids{"whoosh"}));
    for (const char* click : c.clicks) {
      if (std::string(click).rfind("button_", 0) == 0) {
        EXPECT_EQ(Enabled(), c.enabled);
      }
      Click(click);
    }
    TakeLog();
    if (std::string(c.closedWith) == "(open)") {
      EXPECT_EQ(Enabled(), c.enabled);
      EXPECT_EQ(Dificult()->GetPlayMode(), 1);
      EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_Dificult"}));
      game->CloseScreen(Dificult(), nullptr);
    } else {
      EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
      EXPECT_EQ(DescribeParams(Screen("GS_Main")->lastResult), c.closedWith);
    }
    TakeLog();
    engine->playedSounds.clear();
  }
}
