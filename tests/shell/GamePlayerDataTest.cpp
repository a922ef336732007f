// The game keeps the player data: made with the game, loaded at its start, the profiles
// saved at its end.

#include "foundation/GameDeclarations.h"
#include "tests/shell/PlayerDataTestSupport.h"
#include "tests/support/GameFixture.h"

namespace {

class GamePlayerData : public GameFixture {
 protected:
  GamePlayerData()
      : savedTables_{HighScoreTableParams, LevelRecordTableParams}, savedKey_(UserProfilesKey) {
    HighScoreTableParams = kHighScoreTables;
    LevelRecordTableParams = kLevelRecordTables;
    UserProfilesKey.clear();
    engine->preferenceFolder = preferences.Path().string();
  }
  ~GamePlayerData() override {
    HighScoreTableParams = savedTables_[0];
    LevelRecordTableParams = savedTables_[1];
    UserProfilesKey = savedKey_;
  }

 private:
  std::string savedTables_[2];
  std::string savedKey_;
};

}  // namespace

TEST_F(GamePlayerData, MadeWithTheGameLoadedAtTheStartProfilesSavedAtTheEnd) {
  const std::string users =
      R"(<userprofiles current_user_profile_name="Ann"><userprofile name="Ann"><params/>)"
      R"(</userprofile></userprofiles>)";
  preferences.Write("users.dat", users);
  Ref<TGame> made = Load(GameXml(""));
  ASSERT_TRUE(made->GetHighScores());
  EXPECT_EQ(made->GetHighScores()->GetTables()->Count(), 2);
  EXPECT_EQ(made->GetLevelRecords()->GetTables()->Count(), 2);
  ASSERT_TRUE(made->GetUserProfiles());
  EXPECT_EQ(made->GetUserProfiles()->Count(), 0);

  Start(GameXml(""));
  Ref<IUserProfileCollection> profiles = game->GetUserProfiles();
  ASSERT_TRUE(profiles->GetCurrent());
  EXPECT_EQ(profiles->GetCurrent()->GetName(), "Ann");
  profiles->GetOrCreate("Bob");

  game->Done();
  game = nullptr;
  EXPECT_EQ(preferences.Read("users.dat"),
            R"(<userprofiles current_user_profile_name="Ann"><userprofile name="Ann"><params/>)"
            R"(</userprofile><userprofile name="Bob"><params/></userprofile></userprofiles>)");
  EXPECT_FALSE(std::filesystem::exists(preferences / "highscores.dat"));
  EXPECT_FALSE(std::filesystem::exists(preferences / "records.dat"));
}
