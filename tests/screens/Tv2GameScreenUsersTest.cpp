// The game's players: a new player chooses the play mode and is not made current;
// deleting asks for a new player when none is left, and deletes only players' rows.

#include "foundation/GameDeclarations.h"
#include "screens/Tv2GameScreenUsers.h"
#include "tests/screens/MenuScreensFixture.h"
#include "tests/support/WarningCapture.h"
#include "widgets/ListBoxControl.h"

namespace {

class Users : public MenuScreensFixture {
 protected:
  Users() { engine->preferenceFolder = preferences.Path().string() + "/"; }

  void StartUsers(const std::vector<std::string>& names, const std::string& current,
                  bool difficulty = true) {
    std::string window = R"(<widgets><widget type="ListBoxControl" name="listbox_profiles"
                            width="40" height="40" rowheight="10" enabled="yes" visible="yes"/>)" +
                         Button("button_ok") + Button("button_create") + Button("button_delete") +
                         "</widgets>";
    StartScreens(ScreenXml("GS_Users", window, "TV2GameScreenUsers") + ScreenXml("GS_NewUser") +
                 (difficulty ? ScreenXml("GS_Dificult") : std::string()) +
                 ScreenXml("GS_QueryDeleteProfile"));
    for (const std::string& name : names) Profiles()->GetOrCreate(name);
    Profiles()->SetCurrent(current);
    ShowAndSettle("GS_Users");
  }
  Ref<IUserProfileCollection> Profiles() { return game->GetUserProfiles(); }
  IListBoxControl* List() {
    return dynamic_cast<IListBoxControl*>(Find("GS_Users", "listbox_profiles").get());
  }
  Ids Rows() { return ListRows("GS_Users", "listbox_profiles"); }
  std::string ShowParams(const std::string& id) {
    return DescribeParams(dynamic_cast<TGameScreen*>(Slave(id))->GetShowParams());
  }
  void Close(const std::string& id, const Ref<IParamCollection>& result) {
    ASSERT_EQ(game->GetTopScreenName(), id);
    game->CloseScreen(Slave(id), result);
  }
  void AnswerDelete(const std::string& button) {
    Close("GS_QueryDeleteProfile", SingleParam("Button", Variant(button)));
  }
};

TEST_F(Users, ANewPlayerChoosesThePlayModeAndLeavesTheCurrentOne) {
  StartUsers({"Ann"}, "Ann");
  int saves = engine->preferenceSaves;
  Send("GS_Users", "button_create");
  Close("GS_NewUser", SingleParam("user_name", Variant("Bram")));
  ASSERT_EQ(game->GetTopScreenName(), "GS_Dificult");
  EXPECT_EQ(ShowParams("GS_Dificult"), "user_name=Bram;");

  Ref<IParamCollection> chosen = SingleParam("user_name", Variant("Bram"));
  chosen->SetValue("play_mode", Variant(1));
  Close("GS_Dificult", chosen);
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_Users"}));
  EXPECT_EQ(CurrentPlayer(), "Ann");
  ASSERT_TRUE(Profiles()->GetItem(Variant("Bram")));
  EXPECT_EQ(Profiles()->GetItem(Variant("Bram"))->GetDataStorage(),
            R"(<gamescreen play_mode="1"/>)");
  EXPECT_EQ(Rows(), (Ids{NewUserCaption, "Ann", "Bram"}));
  EXPECT_EQ(List()->GetSelected(), 2);
  EXPECT_GT(engine->preferenceSaves, saves);
}

TEST_F(Users, WithoutTheDifficultyScreenTheNewPlayerPlaysTimed) {
  StartUsers({"Ann"}, "Ann", false);
  Send("GS_Users", "button_create");
  Close("GS_NewUser", SingleParam("user_name", Variant("Bram")));
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_Users"}));
  ASSERT_TRUE(Profiles()->GetItem(Variant("Bram")));
  EXPECT_EQ(Profiles()->GetItem(Variant("Bram"))->GetDataStorage(),
            R"(<gamescreen play_mode="0"/>)");
  EXPECT_EQ(CurrentPlayer(), "Ann");
}

TEST_F(Users, APlayModeJoinsWhatTheStorageHolds) {
  StartUsers({"Ann"}, "Ann");
  Profiles()->GetItem(Variant("Ann"))->SetDataStorage(R"(<usergamedata Level="4"/>)");
  ASSERT_TRUE(game->ShowScreen("GS_Dificult", nullptr));
  Close("GS_Dificult", SingleParam("user_name", Variant("Ann")));  // timed by default
  EXPECT_EQ(Profiles()->GetItem(Variant("Ann"))->GetDataStorage(),
            R"(<usergamedata Level="4" play_mode="0"/>)");

  // A storage that cannot be read stays as it was, and says so.
  WarningCapture warnings;
  Profiles()->GetItem(Variant("Ann"))->SetDataStorage("<usergamedata");
  ASSERT_TRUE(game->ShowScreen("GS_Dificult", nullptr));
  Close("GS_Dificult", SingleParam("user_name", Variant("Ann")));
  EXPECT_EQ(Profiles()->GetItem(Variant("Ann"))->GetDataStorage(), "<usergamedata");
  EXPECT_EQ(warnings.Lines().size(), 1u);
}

TEST_F(Users, CancelledOrNamelessAnswersCreateNoOne) {
  StartUsers({"Ann"}, "Ann");
  Send("GS_Users", "button_create");
  Close("GS_NewUser", nullptr);
  EXPECT_EQ(game->GetTopScreenName(), "GS_Dificult") << "it closes itself without parameters";
  EXPECT_EQ(ShowParams("GS_Dificult"), "");
  Close("GS_Dificult", SingleParam("play_mode", Variant(1)));
  EXPECT_EQ(Profiles()->Count(), 1);
  EXPECT_EQ(Rows(), (Ids{NewUserCaption, "Ann"}));
}

TEST_F(Users, DeletingTheLastPlayerAsksForANewOne) {
  StartUsers({"Ann"}, "Ann");
  ASSERT_EQ(List()->GetSelected(), 1);
  Send("GS_Users", "button_delete");
  AnswerDelete("button_yes");
  EXPECT_EQ(Profiles()->Count(), 0);
  EXPECT_EQ(CurrentPlayer(), "(none)");
  EXPECT_EQ(game->GetTopScreenName(), "GS_NewUser");
  EXPECT_EQ(ShowParams("GS_NewUser"), "Necessary=True;");
}

TEST_F(Users, ConfirmingADeleteWithoutAPlayersRowDeletesNothing) {
  StartUsers({"Ann", "Bob"}, "Ann");
  auto confirm = [&] {
    Slave("GS_Users")
        ->OnChildClosed("GS_QueryDeleteProfile", SingleParam("Button", Variant("button_yes")));
  };
  List()->SetSelected(0);  // the create row
  confirm();
  EXPECT_EQ(Profiles()->Count(), 2);
  EXPECT_EQ(Rows(), (Ids{NewUserCaption, "Ann", "Bob"}));

  List()->ClearRows();  // no row at all
  confirm();
  EXPECT_EQ(Profiles()->Count(), 2);
  EXPECT_EQ(CurrentPlayer(), "Ann");
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_Users"}));

  // A player's row goes.
  game->CloseScreen(Slave("GS_Users"), nullptr);
  ShowAndSettle("GS_Users");
  List()->SetSelected(2);
  confirm();
  EXPECT_EQ(Rows(), (Ids{NewUserCaption, "Ann"}));
  EXPECT_FALSE(Profiles()->GetItem(Variant("Bob")));
}

}  // namespace
