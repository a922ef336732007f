#include "tests/support/PlayScreenGame.h"

#include "foundation/Params.h"
#include "screens/ScreensRegistration.h"
#include "shell/Game.h"
#include "tests/support/FakeGameManagersOwner.h"
#include "tests/support/GameFixture.h"

namespace {

std::string Group(const std::string& name, const std::string& attrs,
                  const std::string& inner = {}) {
  return R"(<widget type="group_widget" name=")" + name + "\" " + attrs + ">" +
         (inner.empty() ? "" : "<widgets>" + inner + "</widgets>") + "</widget>";
}

std::string Window(const std::string& widgets, const std::string& factories) {
  const std::string click = R"(visible="yes" mousestop="yes")";
  std::string ui =
      Group(
          "hint_group", R"(visible="yes" anchor_left="20" anchor_top="74")",
          R"(<widget type="ButtonControl" name="button_hint" visible="yes" enabled="yes" mousestop="yes" width="70" height="70"/>)") +
      Group("ui_level_timer", "visible=\"yes\"",
            R"(<widget type="test_box" name="timer" visible="yes" extraparams="\text="/>)") +
      R"(<widget type="test_box" name="clock_second_arrow" visible="yes" extraparams="\angle=0"/>)"
      R"(<widget type="test_box" name="clock_minute_arrow" visible="yes" extraparams="\angle=0"/>)"
      R"(<widget type="test_box" name="ui_scores_text" visible="yes" extraparams="\text="/>)";
  return R"(<widgetfactories>
      <widgetfactory type="WidgetFactory" name="widget_sceneobject"><widgetstring>
        <widget type="test_box" name="%name%" anchor_left="%anchor_left%" anchor_top="%anchor_top%"
                width="%width%" height="%height%" z="%z%" extraparams="\not_shine=0"/>
      </widgetstring></widgetfactory>
      <widgetfactory type="WidgetFactory" name="widget_sceneapproach"><widgetstring>
        <widget type="group_widget" name="%name%" anchor_left="%anchor_left%" anchor_top="%anchor_top%"
                mousestop="yes"/>
      </widgetstring></widgetfactory>)" +
         factories + "</widgetfactories><widgets>" + Group("background_group", "visible=\"yes\"") +
         Group("objects_group", click) + Group("left_part", click, Group("objects_group", click)) +
         Group("right_part", click + R"( anchor_left="512")", Group("objects_group", click)) +
         Group("approaches_group", click) + Group("animation_group", "visible=\"yes\"") +
         Group("ui_group", click + R"( anchor_top="619")", ui) + widgets + "</widgets>";
}

}  // namespace

PlayScreenGame::PlayScreenGame(const std::string& widgets, const std::string& factories)
    : QuietGameFolder("play_screen_") {
  RegisterGameplayTestClasses();
  RegisterScreensClasses();
  std::string screens = R"(<gamescreen type="Tavelor2GameScreenGame" name="GS_Game"><window>)" +
                        Window(widgets, factories) + "</window></gamescreen>";
  for (const char* id : {"GS_LevelLoading", "GS_LevelStat", "GS_GameMenu", "GS_Diary"})
    screens +=
        std::string(R"(<gamescreen type="GameScreen" name=")") + id + R"("><window/></gamescreen>)";
  Start(R"(<game type="Game" name="play" splashlogosgs="" splashgs="" maings="" closequerygs="">)"
        "<gamescreens>" +
        screens + "</gamescreens></game>");
  screen = dynamic_cast<TTavelor2GameScreenGame*>(
      game->GetScreens()->GetScreen(Variant("GS_Game")).get());
  screen->LoadWindow();
}

void PlayScreenGame::Show(const std::string& params) {
  game->ShowScreen("GS_Game", ParamsFromString(params));
  Frame(16);
}

void PlayScreenGame::CloseTop() {
  std::string top = Top();
  if (top.empty() || top == "GS_Game") return;
  game->CloseScreen(game->GetScreens()->GetScreen(Variant(top)).get(), nullptr);
  Frame(16);
}

void PlayScreenGame::Frame(int32_t dt) {
  game->Update(dt);
  game->InvalidateAll();
}

std::string PlayScreenGame::Top() {
  return game->GetTopScreenName();
}
