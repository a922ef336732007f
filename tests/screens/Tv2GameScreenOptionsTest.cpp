// The game's options: the play-mode switch, on the progress the game has published or,
// without one, on the current player's own, which is withdrawn when the screen closes.

#include "gameplay/Tv2UserGameData.h"
#include "screens/Tv2GameScreenOptions.h"
#include "tests/screens/MenuScreensFixture.h"

namespace {

class Options : public MenuScreensFixture {
 protected:
  Options() { engine->preferenceFolder = preferences.Path().string() + "/"; }

  void StartOptions(const std::string& player) {
    std::string window = "<widgets>" + Button("set_play_mode_timed") +
                         Button("set_play_mode_untimed") + Button("button_close") + "</widgets>";
    StartScreens(ScreenXml("GS_Options", window, "TV2GameScreenOptions"));
    if (player.empty()) return;
    game->GetUserProfiles()->GetOrCreate(player)->SetDataStorage(
        R"(<usergamedata Level="3" scores="500" play_mode="1"/>)");
    game->GetUserProfiles()->SetCurrent(player);
  }
  // Which of the two buttons are enabled: "timed", "untimed".
  std::string Enabled() {
    std::string enabled;
    if (Find("GS_Options", "set_play_mode_timed")->IsEnabled()) enabled += "timed";
    if (Find("GS_Options", "set_play_mode_untimed")->IsEnabled()) enabled += "untimed";
    return enabled;
  }
  IInterface* Published() { return game->GetParamValue("user_game_data").RawInterface().get(); }
  std::string Stored() { return game->GetUserProfiles()->GetCurrent()->GetDataStorage(); }
};

TEST_F(Options, ThePublishedProgressIsSwitchedAndKept) {
  StartOptions("Ann");
  // The diary's progress, with the level's points not yet stored.
  Ref<IUserGameData> diary = PublishProgress(R"(<usergamedata/>)");
  dynamic_cast<TUserGameData*>(diary.get())->AttachProfile(game->GetUserProfiles()->GetCurrent());
  diary->SetScores(900);
  ShowAndSettle("GS_Options");
  EXPECT_EQ(Published(), Ref<IInterface>(diary.get()).get());
  EXPECT_EQ(Enabled(), "timed") << "the player plays untimed";

  Send("GS_Options", "set_play_mode_timed");
  EXPECT_EQ(diary->GetPlayMode(), 0);
  EXPECT_EQ(Enabled(), "untimed");
  EXPECT_NE(Stored().find(R"(scores="900")"), std::string::npos) << Stored();

  Send("GS_Options", "button_close");
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(Published(), Ref<IInterface>(diary.get()).get()) << "the diary's stays";
  EXPECT_EQ(diary->GetScores(), 900);
  EXPECT_TRUE(dynamic_cast<TUserGameData*>(diary.get())->GetProfile());
}

TEST_F(Options, WithoutAPublishedProgressThePlayersOwnIsLentWhileTheScreenShows) {
  StartOptions("Ann");
  ShowAndSettle("GS_Options");
  auto* own = dynamic_cast<TUserGameData*>(
      ScreenAs<TTV2GameScreenOptions>("GS_Options")->GetProgress().get());
  ASSERT_TRUE(own);
  EXPECT_EQ(Published(), static_cast<IInterface*>(static_cast<IUserGameData*>(own)));
  EXPECT_EQ(Enabled(), "timed") << "the player plays untimed";

  Ref<TUserGameData> keep(own);
  Send("GS_Options", "set_play_mode_timed");
  EXPECT_EQ(Enabled(), "untimed");
  EXPECT_NE(Stored().find(R"(play_mode="0")"), std::string::npos) << Stored();
  EXPECT_NE(Stored().find(R"(scores="500")"), std::string::npos) << Stored();

  Send("GS_Options", "button_close");
  EXPECT_TRUE(game->GetParamValue("user_game_data").IsClear());
  EXPECT_FALSE(keep->GetProfile()) << "its links are let go";
}

TEST_F(Options, WithoutAPlayerTheButtonsDoNothing) {
  StartOptions("");
  ShowAndSettle("GS_Options");
  EXPECT_TRUE(game->GetParamValue("user_game_data").IsClear());
  Send("GS_Options", "set_play_mode_untimed");
  EXPECT_EQ(Enabled(), "timeduntimed");
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_Options"}));
}

}  // namespace
