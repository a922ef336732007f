// The main menu: the shared documents it publishes, the new player's road (new-player
// screen, difficulty, the play mode stored in the profile), the start button and the play
// screen's requests to be shown again.

#include <gtest/gtest.h>

#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "gameplay/Tv2UserGameData.h"
#include "screens/ScreensRegistration.h"
#include "screens/Tv2GameScreenMain.h"
#include "tests/support/FakeScreenOwner.h"
#include "tests/support/GameplayFixture.h"
#include "tests/support/WarningCapture.h"

namespace {

class MainMenu : public GameplayFixture {
 protected:
  MainMenu() { RegisterScreensClasses(); }
  ~MainMenu() override { MultiLanguages()->ClearStrings(); }

  // The menu, its children and the play screen under the identifier PlayId.
  void StartMenu(const std::string& playId = "GS_Game") {
    Start(GameXml(ScreenXml("GS_Main",
                            R"(<musics><music name="music_background" resourcename="theme"/>
                                 <music name="sub" resourcename="sub"/></musics>
                               <widgets>
                                 <widget type="test_box" name="welcome_message" extraparams="\text_utf8="/>
                                 <widget type="test_box" name="hide_desktop_screen"/>
                               </widgets>)",
                            "Tavelor2GameScreenMain") +
                  ScreenXml("GS_NewUser") + ScreenXml("GS_Dificult") + ScreenXml(playId)));
    engine->preferenceFolder = preferences.Path().string();
    Frame(16);
  }

  void ShowMenu() {
    ASSERT_TRUE(game->ShowScreen("GS_Main", nullptr));
    menu = dynamic_cast<TTavelor2GameScreenMain*>(
        game->GetScreens()->GetScreen(Variant("GS_Main")).get());
    ASSERT_TRUE(menu);
  }

  void CloseTop(const std::string& result = {}) {
    std::vector<std::string> stack = Stack();
    ASSERT_FALSE(stack.empty());
    game->CloseScreen(game->GetScreens()->GetScreen(Variant(stack.back())).get(),
                      result.empty() ? nullptr : ParamsFromString(result));
  }

  void Click(const std::string& name, int32_t code = 1) {
    Ref<TestBoxWidget> sender = TAbstractObject::Create<TestBoxWidget>();
    sender->SetName(name);
    menu->OnWidgetEvent(sender.get(), code, 0);
  }

  // The root element's name and the "play_mode" of a profile's storage.
  static std::pair<std::string, std::string> StoredPlayMode(const Ref<IUserProfile>& profile) {
    std::string problem;
    Ref<IHierStorageRoot> storage = ParseDataText(profile->GetDataStorage(), problem);
    if (!storage) return {"?", problem};
    return {storage->GetName(), ReadXmlStr(Ref<IHierStorage>(storage.get()), "play_mode")};
  }

  TTavelor2GameScreenMain* menu = nullptr;
};

}  // namespace

TEST_F(MainMenu, PublishesTheSharedDocumentsAndWithdrawsThem) {
  WriteData("data\\ini\\scenes.ini", R"(<scene_defs><scene_def name="market"/></scene_defs>)");
  WriteData("data\\ini\\categories.ini", R"(<categories><category name="tea"/></categories>)");
  WriteData("data\\ini\\participants.ini",
            R"(<participants><participant name="odile"/></participants>)");
  StartMenu();
  ShowMenu();
  for (const char* name : {"scene_defs", "categories", "participants"})
    EXPECT_FALSE(game->GetParamValue(name).IsClear()) << name;
  Ref<ICategoryCollection> categories =
      Supports<ICategoryCollection>(game->GetParamValue("categories").RawInterface());
  ASSERT_TRUE(categories);
  game->Done();
  EXPECT_TRUE(game->GetParamValue("categories").IsClear());
  EXPECT_TRUE(game->GetParamValue("scene_defs").IsClear());
}

TEST_F(MainMenu, AMissingDocumentIsSaidAndLeavesItsParameterUnset) {
  WarningCapture warnings;
  WriteData("data\\ini\\scenes.ini", R"(<scene_defs><scene_def name="market"/></scene_defs>)");
  WriteData("data\\ini\\participants.ini", "<participants");
  StartMenu();
  ShowMenu();
  EXPECT_FALSE(game->GetParamValue("scene_defs").IsClear());
  EXPECT_TRUE(game->GetParamValue("categories").IsClear());
  EXPECT_TRUE(game->GetParamValue("participants").IsClear());
  ASSERT_EQ(warnings.Lines().size(), 2u);
  EXPECT_NE(warnings.Lines()[0].find("categories.ini"), std::string::npos) << warnings.Lines()[0];
  EXPECT_NE(warnings.Lines()[1].find("participants.ini"), std::string::npos) << warnings.Lines()[1];
}

TEST_F(MainMenu, WithoutAPlayerTheNewPlayerScreenOpensOnceAShowing) {
  StartMenu();
  ShowMenu();
  EXPECT_EQ(Stack(), (std::vector<std::string>{"GS_Main", "GS_NewUser"}));
  EXPECT_EQ(Screen("GS_NewUser")->GetShowParams()->GetValue("Necessary").ToBool(), true);
  CloseTop();  // cancelled
  EXPECT_EQ(Stack(), (std::vector<std::string>{"GS_Main"}));
  EXPECT_TRUE(game->GetUserProfiles()->GetCurrent() == nullptr);
}

TEST_F(MainMenu, ANewPlayerGetsThePlayModeInTheProfile) {
  MultiLanguages()->SetString("welcome", "Welcome, %username%!");
  StartMenu();
  ShowMenu();
  CloseTop("user_name=Ann");
  ASSERT_EQ(Stack(), (std::vector<std::string>{"GS_Main", "GS_Dificult"}));
  EXPECT_EQ(DescribeParams(Screen("GS_Dificult")->GetShowParams()), "user_name=Ann;");
  const int saves = engine->preferenceSaves;
  CloseTop("user_name=Ann\\play_mode=1");

  Ref<IUserProfile> ann = game->GetUserProfiles()->GetCurrent();
  ASSERT_TRUE(ann);
  EXPECT_EQ(ann->GetName(), "Ann");
  EXPECT_EQ(StoredPlayMode(ann), (std::pair<std::string, std::string>{"gamescreen", "1"}));
  EXPECT_GT(engine->preferenceSaves, saves) << "the profiles are saved";
  EXPECT_EQ(menu->FindWidget("welcome_message")->GetProperty("text_utf8").ToString(),
            "Welcome, Ann!");
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  progress->AttachProfile(ann);
  EXPECT_EQ(progress->GetPlayMode(), 1) << "the progress reads the new player's storage";
}

TEST_F(MainMenu, APlayersOtherStoredValuesAreKept) {
  StartMenu();
  Ref<IUserProfile> bob = game->GetUserProfiles()->GetOrCreate("Bob");
  bob->SetDataStorage(R"(<usergamedata Level="3" scores="50" play_mode="0"/>)");
  TTavelor2GameScreenMain::WriteProfilePlayMode(game.get(),
                                                ParamsFromString("user_name=Bob\\play_mode=1"));
  EXPECT_EQ(game->GetUserProfiles()->GetCurrent(), bob);
  EXPECT_EQ(StoredPlayMode(bob), (std::pair<std::string, std::string>{"usergamedata", "1"}));
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  progress->AttachProfile(bob);
  EXPECT_EQ(progress->GetLevel(), 3);
  EXPECT_EQ(progress->GetScores(), 50);

  // Nothing to go by: nothing changes.
  TTavelor2GameScreenMain::WriteProfilePlayMode(game.get(), ParamsFromString("play_mode=0"));
  TTavelor2GameScreenMain::WriteProfilePlayMode(nullptr, ParamsFromString("user_name=Cy"));
  EXPECT_FALSE(game->GetUserProfiles()->GetItem(Variant("Cy")));
  EXPECT_EQ(game->GetUserProfiles()->GetCurrent(), bob);
}

TEST_F(MainMenu, StartOpensThePlayScreenWhichComesBackForAnotherTask) {
  for (const char* playId : {"GS_Game", "gs_game"}) {
    StartMenu(playId);
    game->GetUserProfiles()->GetOrCreate("Mira");
    game->GetUserProfiles()->SetCurrent("Mira");
    ShowMenu();
    Click("button_start", 2);
    EXPECT_EQ(Stack(), (std::vector<std::string>{"GS_Main"})) << "clicks only";
    engine->playedMusic.clear();
    engine->stoppedMusic.clear();
    Click("button_start");
    ASSERT_EQ(Stack(), (std::vector<std::string>{"GS_Main", playId}));
    EXPECT_EQ(DescribeParams(Screen(playId)->GetShowParams()), "show_diary=1;tab=-1;debug_mode=0;");
    EXPECT_EQ(engine->stoppedMusic, (std::vector<std::string>{"theme"}));
    EXPECT_EQ(engine->playedMusic, (std::vector<std::string>{"sub"}));

    CloseTop("case=c1\\task=t2");
    EXPECT_EQ(Stack(), (std::vector<std::string>{"GS_Main", playId})) << playId;
    EXPECT_EQ(DescribeParams(Screen(playId)->GetShowParams()), "case=c1;task=t2;");
    EXPECT_EQ(engine->playedMusic, (std::vector<std::string>{"sub"})) << "the menu music waits";

    CloseTop();
    EXPECT_EQ(Stack(), (std::vector<std::string>{"GS_Main"}));
    EXPECT_EQ(engine->stoppedMusic, (std::vector<std::string>{"theme", "sub"}));
    EXPECT_EQ(engine->playedMusic, (std::vector<std::string>{"sub", "theme"}));
    game->Done();
    game = nullptr;
  }
}
