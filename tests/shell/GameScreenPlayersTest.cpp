// The players' screens, the question dialogs, the options and the quit confirmation, with
// the real controls of the widget library.

#include "foundation/GameDeclarations.h"
#include "foundation/GlobalOptions.h"
#include "foundation/MultiLanguages.h"
#include "platform/InputConstants.h"
#include "shell/GameScreenOptions.h"
#include "shell/GameScreenUsers.h"
#include "tests/support/FakeResources.h"
#include "tests/support/GameFixture.h"
#include "widgets/ListBoxControl.h"
#include "widgets/WidgetsRegistration.h"

namespace {

using Ids = std::vector<std::string>;

std::string Button(const std::string& name) {
  return R"(<widget type="ButtonControl" name=")" + name +
         R"(" width="10" height="10" enabled="yes" visible="yes"/>)";
}

class PlayerScreens : public GameFixture {
 protected:
  PlayerScreens() {
    RegisterWidgetsClasses();
    engine->preferenceFolder = preferences.Path().string() + "/";
    // The name field refuses characters its font has no glyph for.
    engine->resources["mono"] =
        MakeFixedFont(U"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ %0123456789", 4, 6);
  }

  void StartGame(const std::string& params = {}) {
    std::string screens =
        ScreenXml("GS_Main", Box("m", 0, 0, 4, 4)) + ScreenXml("GS_QueryNotUniqueName", {}) +
        ScreenXml("GS_HighScores", {}) +
        ScreenXml("GS_NewUser",
                  "<widgets>" +
                      std::string(R"(<widget type="EditControl" name="edit_name" width="40"
                          height="10" enabled="yes" tabstop="yes" visible="yes"><widgets>
                          <widget type="text_widget" name="text" resourcename="mono"
                                  width="40" height="10" visible="yes"/></widgets></widget>)") +
                      Button("button_ok") + Button("button_cancel") + "</widgets>",
                  "GameScreenNewUser") +
        ScreenXml("GS_Users",
                  R"(<widgets><widget type="ListBoxControl" name="listbox_profiles" width="40"
                      height="40" rowheight="10" enabled="yes" visible="yes"/>)" +
                      Button("button_ok") + Button("button_delete") + "</widgets>",
                  "GameScreenUserProfiles") +
        ScreenXml("GS_QueryDeleteProfile",
                  R"(<widgets><widget type="text_widget" name="label_user_profile_name"
                      width="40" height="10" visible="yes" text="old"/>)" +
                      Button("button_yes") + Button("button_no") +
                      R"(<widget type="text_widget" name="title" visible="yes"/></widgets>)",
                  "GameScreenQueryDeleteProfile") +
        ScreenXml("GS_Quit",
                  "<widgets>" + Button("button_exit") + Button("button_cancel") + "</widgets>",
                  "GameScreenQuit") +
        ScreenXml("GS_Options", OptionsWindow(), "GameScreenOptions");
    Start(GameXml(screens, R"(maings="GS_Main")",
                  "<params>" + params + R"(<param name="ShowHints" value="yes"/></params>)"));
    Frame(16);
    ASSERT_EQ(Stack(), (Ids{"GS_Main"}));
  }
  static std::string OptionsWindow() {
    std::string window = R"(<sounds><sound name="sound_checksoundvolume" resourcename="snd_check"/>
                            </sounds><widgets>)";
    for (const char* box : {"checkbox_showhints", "checkbox_screenmode", "checkbox_widescreenmode"})
      window += std::string(R"(<widget type="CheckBoxControl" name=")") + box +
                R"(" width="10" height="10" enabled="yes" visible="yes"/>)";
    for (const char* bar : {"trackbar_soundvolume", "trackbar_musicvolume"})
      window += std::string(R"(<widget type="TrackBarControl" name=")") + bar +
                R"(" width="100" height="10" min="0" max="100" enabled="yes" tabstop="yes"
                    visible="yes"/>)";
    return window + Button("button_close") + Button("button_highscores") + "</widgets>";
  }

  // The control's event, as the control sends it.
  void Send(const std::string& id, const std::string& widget, int code) {
    dynamic_cast<IEventHandler*>(Slave(id))->OnWidgetEvent(Find(id, widget).get(), code, 0);
  }
  void Type(const std::string& text) {
    for (char c : text) game->HandleKey(input::kChar, uintptr_t(uint8_t(c)), 0);
  }
  void Key(uintptr_t key) { game->HandleKey(input::kKeyDown, key, 0); }
  Ref<IUserProfileCollection> Profiles() { return game->GetUserProfiles(); }
  IListBoxControl* List() {
    return dynamic_cast<IListBoxControl*>(Find("GS_Users", "listbox_profiles").get());
  }
  std::vector<std::string> Rows() { return ListRows("GS_Users", "listbox_profiles"); }
  void ShowUsers(const std::vector<std::string>& names, const std::string& current) {
    for (const std::string& name : names) Profiles()->GetOrCreate(name);
    Profiles()->SetCurrent(current);
    ASSERT_TRUE(game->ShowScreen("GS_Users", nullptr));
  }
  // Delete the selected row and answer the question.
  void DeleteSelected(const std::string& answer) {
    Send("GS_Users", "button_delete", 1);
    ASSERT_EQ(game->GetTopScreenName(), "GS_QueryDeleteProfile");
    Send("GS_QueryDeleteProfile", answer, 1);
  }
};

// ---------------------------------------------------------------------------------------
// A new player's name

TEST_F(PlayerScreens, NewUserFinishAcceptsOnlyUniqueTrimmedNames) {
  struct Case {
    const char* typed;
    uintptr_t key;
    bool necessary;
    Ids stack;           // after the key
    std::string result;  // what GS_Main heard, when the screen closed
  } cases[] = {
      {"  Mira  ", input::kVkReturn, false, {"GS_Main"}, "user_name=Mira;"},
      {"   ", input::kVkReturn, false, {"GS_Main", "GS_NewUser", "GS_QueryNotUniqueName"}, ""},
      // Nothing typed: the placeholder is no name.
      {"", input::kVkReturn, false, {"GS_Main", "GS_NewUser", "GS_QueryNotUniqueName"}, ""},
      {"Your name", input::kVkReturn, false, {"GS_Main"}, "user_name=Your name;"},
      {"ann", input::kVkReturn, false, {"GS_Main", "GS_NewUser", "GS_QueryNotUniqueName"}, ""},
      {"Bob", input::kVkEscape, false, {"GS_Main"}, "(none)"},
      {"Bob", input::kVkEscape, true, {"GS_Main", "GS_NewUser"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + " " + std::to_string(c.key));
    StartGame();
    MultiLanguages()->SetString("label_player", "Your name");
    Profiles()->GetOrCreate("Ann");
    Screen("GS_Main")->lastResult = nullptr;
    Screen("GS_Main")->lastChild.clear();
    ASSERT_TRUE(game->ShowScreen("GS_NewUser",
                                 c.necessary ? SingleParam("Necessary", Variant(true)) : nullptr));
    EXPECT_EQ(Find("GS_NewUser", "button_cancel")->IsEnabled(), !c.necessary);
    Type(c.typed);
    Key(c.key);
    EXPECT_EQ(Stack(), c.stack);
    if (!c.result.empty()) {
      EXPECT_EQ(Screen("GS_Main")->lastChild, "GS_NewUser");
      Ref<IParamCollection> result = Screen("GS_Main")->lastResult;
      EXPECT_EQ(result ? DescribeParams(result) : "(none)", c.result);
    }
    game->Done();
    game = nullptr;
    MultiLanguages()->ClearStrings();
  }
}

TEST_F(PlayerScreens, NewUserShowsThePlaceholderOrTheGivenName) {
  StartGame();
  ASSERT_TRUE(game->ShowScreen("GS_NewUser", SingleParam("user_name", Variant("Zoe"))));
  EXPECT_EQ(Find("GS_NewUser", "edit_name")->GetProperty("text_utf8").ToString(), "Zoe");
  Send("GS_NewUser", "button_ok", 1);
  EXPECT_EQ(DescribeParams(Screen("GS_Main")->lastResult), "user_name=Zoe;");

  // Untyped, the field shows the placeholder (the translation of "%label_player%").
  ASSERT_TRUE(game->ShowScreen("GS_NewUser", nullptr));
  EXPECT_TRUE(Find("GS_NewUser", "edit_name")->GetProperty("default_value").ToBool());
  Send("GS_NewUser", "button_cancel", 1);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_FALSE(Screen("GS_Main")->lastResult);
}

// ---------------------------------------------------------------------------------------
// The players

TEST_F(PlayerScreens, ProfilesListTheCreateRowThenThePlayersWithTheCurrentSelected) {
  StartGame();
  ShowUsers({"A", "B"}, "B");
  EXPECT_EQ(Rows(), (Ids{NewUserCaption, "A", "B"}));
  EXPECT_EQ(List()->GetSelected(), 2);
  ASSERT_TRUE(game->CloseScreen(Slave("GS_Users"), nullptr));
  EXPECT_TRUE(Rows().empty()) << "hiding clears the rows";
}

TEST_F(PlayerScreens, DeletingTheCurrentPlayerMakesTheNextRowCurrent) {
  StartGame();
  ShowUsers({"A", "B"}, "A");
  int saves = engine->preferenceSaves;
  List()->SetSelected(1);
  Send("GS_Users", "button_delete", 1);
  EXPECT_EQ(
      Find("GS_QueryDeleteProfile", "label_user_profile_name")->GetProperty("text").ToString(),
      "A");
  Send("GS_QueryDeleteProfile", "button_no", 1);
  EXPECT_EQ(Rows(), (Ids{NewUserCaption, "A", "B"})) << "answered no";
  EXPECT_EQ(engine->preferenceSaves, saves);

  DeleteSelected("button_yes");
  EXPECT_EQ(game->GetTopScreenName(), "GS_Users");
  EXPECT_EQ(Rows(), (Ids{NewUserCaption, "B"}));
  EXPECT_EQ(List()->GetSelected(), 1);
  EXPECT_EQ(CurrentPlayer(), "B");
  EXPECT_EQ(engine->preferenceSaves, saves + 1) << "users.dat saved";
}

TEST_F(PlayerScreens, DeletingTheLastPlayerAsksForANewOne) {
  StartGame();
  ShowUsers({"A"}, "A");
  List()->SetSelected(1);
  DeleteSelected("button_yes");
  EXPECT_EQ(Profiles()->Count(), 0);
  EXPECT_EQ(CurrentPlayer(), "(none)");
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_Users", "GS_NewUser"}));
  EXPECT_FALSE(Find("GS_NewUser", "button_cancel")->IsEnabled()) << "shown with Necessary";

  // The name comes back: the player is made, chosen and saved, and the list closes.
  int saves = engine->preferenceSaves;
  Type("Cleo");
  Key(input::kVkReturn);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(CurrentPlayer(), "Cleo");
  EXPECT_EQ(engine->preferenceSaves, saves + 1);
}

TEST_F(PlayerScreens, APlayerNamedLikeTheCreateRowKeepsARowOfItsOwn) {
  StartGame();
  ShowUsers({"A"}, "A");
  ASSERT_TRUE(game->CloseScreen(Slave("GS_Users"), nullptr));
  std::string caption = NewUserCaption;
  ShowUsers({caption, "1"}, "1");
  EXPECT_EQ(Rows(), (Ids{caption, "A", caption, "1"}));
  EXPECT_EQ(List()->GetSelected(), 3);
  List()->SetSelected(2);
  Send("GS_Users", "listbox_profiles", 5);
  EXPECT_EQ(game->GetTopScreenName(), "GS_Users") << "a player's row, not the create row";
  DeleteSelected("button_yes");
  EXPECT_FALSE(Profiles()->GetItem(Variant(caption)));
  EXPECT_TRUE(Profiles()->GetItem(Variant("A")));
  EXPECT_TRUE(Profiles()->GetItem(Variant("1")));
}

TEST_F(PlayerScreens, ChoosingAPlayerMakesItCurrentWithItsHintSetting) {
  StartGame();
  ShowUsers({"A", "B"}, "A");
  Profiles()->GetItem(Variant("B"))->GetParams()->SetValue("ShowHints", Variant("no"));
  int saves = engine->preferenceSaves;
  List()->SetSelected(2);
  Send("GS_Users", "listbox_profiles", 5);
  Send("GS_Users", "listbox_profiles", 6);  // the double click confirms
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(CurrentPlayer(), "B");
  EXPECT_EQ(game->GetParamValue("ShowHints").ToString(), "no") << "the chosen player's";
  EXPECT_EQ(engine->preferenceSaves, saves + 1);

  // The create row opens the new-player screen.
  ASSERT_TRUE(game->ShowScreen("GS_Users", nullptr));
  List()->SetSelected(0);
  Send("GS_Users", "listbox_profiles", 5);
  EXPECT_EQ(game->GetTopScreenName(), "GS_NewUser");
}

TEST_F(PlayerScreens, TheDeleteQueryShowsANameAsItWasTyped) {
  StartGame();
  Ref<TParamCollection> params = TAbstractObject::Create<TParamCollection>();
  params->SetValue("user_name", Variant("50% %title%"));
  params->SetValue("title", Variant("Delete?"));
  params->SetValue("..", Variant("not the screen"));
  ASSERT_TRUE(game->ShowScreen("GS_QueryDeleteProfile", Ref<IParamCollection>(params.get())));
  EXPECT_EQ(
      Find("GS_QueryDeleteProfile", "label_user_profile_name")->GetProperty("text").ToString(),
      "50% %title%");
  EXPECT_EQ(Find("GS_QueryDeleteProfile", "title")->GetProperty("text").ToString(), "Delete?");
  Send("GS_QueryDeleteProfile", "button_no", 1);
  EXPECT_EQ(DescribeParams(Screen("GS_Main")->lastResult), "Button=button_no;");
}

// ---------------------------------------------------------------------------------------
// Options and quit

class OptionsScreen : public PlayerScreens {
 protected:
  void StartOptions(const std::string& params) {
    StartGame(params);
    ASSERT_TRUE(game->ShowScreen("GS_Options", nullptr));
  }
  Ref<IWidget> Control(const std::string& name) { return Find("GS_Options", name); }
  int CheckSounds() {
    return int(std::count(engine->playedSounds.begin(), engine->playedSounds.end(), "snd_check"));
  }
};

TEST_F(OptionsScreen, OpeningShowsTheOptionsAndSetsNothing) {
  StartOptions(R"(<param name="SoundVolume" value="55"/><param name="MusicVolume" value="loud"/>
                  <param name="FullScreenMode" value="yes"/><param name="WideScreenMode" value="no"/>
                  <param name="IsAvailableWindowedMode" value="yes"/>
                  <param name="IsAvailableWideScreenMode" value="no"/>)");
  EXPECT_EQ(Control("trackbar_soundvolume")->GetProperty("position").ToInt(), 55);
  EXPECT_EQ(Control("trackbar_musicvolume")->GetProperty("position").ToInt(), 0) << "no integer";
  EXPECT_TRUE(Control("checkbox_screenmode")->GetProperty("CheckBoxState").ToBool());
  EXPECT_FALSE(Control("checkbox_widescreenmode")->GetProperty("CheckBoxState").ToBool());
  EXPECT_TRUE(Control("checkbox_showhints")->GetProperty("CheckBoxState").ToBool());
  EXPECT_TRUE(Control("checkbox_screenmode")->IsEnabled());
  EXPECT_FALSE(Control("checkbox_widescreenmode")->IsEnabled()) << "availability no";
  // The track bars moved, and said so: nothing was set, nothing played.
  EXPECT_EQ(game->GetParamValue("MusicVolume").ToString(), "loud");
  EXPECT_EQ(CheckSounds(), 0);
}

TEST_F(OptionsScreen, AVolumeChangeSetsTheOptionThenPlaysTheSample) {
  StartOptions(R"(<param name="SoundVolume" value="70"/><param name="MusicVolume" value="30"/>)");
  Control("trackbar_soundvolume")->SetProperty("position", Variant(40));
  EXPECT_EQ(game->GetParamValue("SoundVolume").ToString(), "40");
  EXPECT_EQ(CheckSounds(), 1);
  Control("trackbar_musicvolume")->SetProperty("position", Variant(90));
  EXPECT_EQ(game->GetParamValue("MusicVolume").ToString(), "90");
  EXPECT_EQ(CheckSounds(), 1) << "only the sound volume plays its sample";
  std::string stored;
  EXPECT_TRUE(GetGlobalOption("MusicVolume", stored));
  EXPECT_EQ(stored, "90");
}

TEST_F(OptionsScreen, CheckBoxesSetTheirOptionsAndHintsTheCurrentPlayers) {
  StartOptions({});
  Profiles()->GetOrCreate("Mira");
  Profiles()->SetCurrent("Mira");
  struct Case {
    const char* box;
    const char* option;
  } cases[] = {{"checkbox_screenmode", "FullScreenMode"},
               {"checkbox_widescreenmode", "WideScreenMode"},
               {"checkbox_showhints", "ShowHints"}};
  for (const Case& c : cases) {
    bool checked = Control(c.box)->GetProperty("CheckBoxState").ToBool();
    Control(c.box)->SetProperty("CheckBoxState", Variant(!checked));
    Send("GS_Options", c.box, 2);
    EXPECT_EQ(game->GetParamValue(c.option).ToString(), checked ? "no" : "yes") << c.box;
  }
  EXPECT_EQ(Profiles()->GetCurrent()->GetParams()->GetValue("ShowHints").ToString(), "no");
}

TEST_F(OptionsScreen, ButtonsAndEscape) {
  StartOptions({});
  Send("GS_Options", "button_highscores", 1);
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_Options", "GS_HighScores"}));
  ASSERT_TRUE(game->CloseScreen(Screen("GS_HighScores"), nullptr));
  Send("GS_Options", "button_close", 1);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  ASSERT_TRUE(game->ShowScreen("GS_Options", nullptr));
  Key(input::kVkEscape);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
}

// The sliders are the screen's tab stops: Tab, also with Shift, goes from one to the other
// and round, and the arrows move the one that has the focus.
TEST_F(OptionsScreen, TabMovesTheFocusFromSliderToSlider) {
  StartOptions(R"(<param name="SoundVolume" value="50"/><param name="MusicVolume" value="50"/>)");
  auto focused = [&] {
    Ref<IWidget> focus = dynamic_cast<IWindow*>(Slave("GS_Options"))->GetFocus();
    return focus ? focus->GetName() : std::string("(none)");
  };
  struct Step {
    std::vector<std::pair<uint32_t, uintptr_t>> keys;
    const char* focus;
  } steps[] = {
      {{{input::kKeyDown, input::kVkRight}}, "trackbar_soundvolume"},
      {{{input::kKeyDown, input::kVkTab}, {input::kKeyUp, input::kVkTab}}, "trackbar_musicvolume"},
      {{{input::kKeyDown, input::kVkLeft}}, "trackbar_musicvolume"},
      {{{input::kKeyDown, input::kVkShift},
        {input::kKeyDown, input::kVkTab},
        {input::kKeyUp, input::kVkTab},
        {input::kKeyUp, input::kVkShift}},
       "trackbar_soundvolume"},
  };
  for (const Step& step : steps) {
    for (const auto& [message, key] : step.keys) game->HandleKey(message, key, 0);
    EXPECT_EQ(focused(), step.focus);
  }
  EXPECT_EQ(Control("trackbar_soundvolume")->GetProperty("position").ToInt(), 51);
  EXPECT_EQ(Control("trackbar_musicvolume")->GetProperty("position").ToInt(), 49);
}

TEST_F(PlayerScreens, QuitEndsTheProgramOrGoesBack) {
  StartGame();
  ASSERT_TRUE(game->ShowScreen("GS_Quit", nullptr));
  Send("GS_Quit", "button_cancel", 1);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(engine->terminateCalls, 0);
  ASSERT_TRUE(game->ShowScreen("GS_Quit", nullptr));
  Send("GS_Quit", "button_exit", 1);
  EXPECT_EQ(engine->terminateCalls, 1);
  // A screen shown above the quit screen ends the game when it closes.
  ASSERT_TRUE(game->ShowScreen("GS_HighScores", nullptr));
  ASSERT_TRUE(game->CloseScreen(Screen("GS_HighScores"), nullptr));
  EXPECT_EQ(engine->terminateCalls, 2);
}

}  // namespace
