// The high scores: the untimed table first, the mode buttons switching tables, and the
// cleared tables after the query is answered yes.

#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "screens/Tv2GameScreenHighScores.h"
#include "tests/screens/MenuScreensFixture.h"

namespace {

class HighScores : public MenuScreensFixture {
 protected:
  HighScores() : savedTables_(HighScoreTableParams) {
    HighScoreTableParams =
        "record_table={name=0\\max_records=10\\record_structure={param=Score\\param=Player}}\\"
        "record_table={name=1\\max_records=10\\record_structure={param=Score\\param=Player}}";
    engine->preferenceFolder = preferences.Path().string() + "/";
    engine->programFolder = program.Path().string() + "/";
    MultiLanguages()->SetString("play_mode0", "Classic");
    MultiLanguages()->SetString("play_mode1", "Relax");
  }
  ~HighScores() override {
    HighScoreTableParams = savedTables_;
    MultiLanguages()->ClearStrings();
  }

  void StartHighScores() {
    std::string window = R"(<widgets><widget type="HighScoresGridControl"
                            name="high_scores_grid" width="100" height="100" visible="yes"/>
                            <widget type="text_widget" name="label_playmode" visible="yes"/>)" +
                         Button("button_classic") + Button("button_relax") + "</widgets>";
    StartScreens(ScreenXml("GS_HighScores", window, "Tavelor2GameScreenHighScores") +
                 ScreenXml("GS_ClearHighScores"));
    ShowAndSettle("GS_HighScores");
  }
  IInterface* Table(int index) {
    return Ref<IInterface>(game->GetHighScores()->GetTables()->GetItem(Variant(index)).get()).get();
  }
  IInterface* Shown() {
    return Find("GS_HighScores", "high_scores_grid")
        ->GetProperty("recordtable")
        .RawInterface()
        .get();
  }
  // "classic", "relax" or both: the visible mode buttons; then the label.
  std::string Looks() {
    std::string looks;
    if (Find("GS_HighScores", "button_classic")->IsVisible()) looks += "classic ";
    if (Find("GS_HighScores", "button_relax")->IsVisible()) looks += "relax ";
    return looks + Find("GS_HighScores", "label_playmode")->GetProperty("text_utf8").ToString();
  }
  int Rows(int table) {
    return game->GetHighScores()->GetTables()->GetItem(Variant(table))->GetRecords()->Count();
  }
  void AddScore(const std::string& table, int score) {
    Ref<IParamCollection> row = SingleParam("Score", Variant(score));
    row->SetValue("Player", Variant("Ann"));
    ASSERT_TRUE(game->GetHighScores()->AddRecordMatched(row, table));
  }

  TempFolder program;

 private:
  std::string savedTables_;
};

TEST_F(HighScores, TheUntimedTableFirstThenTheButtonsSwitch) {
  StartHighScores();
  EXPECT_EQ(Shown(), Table(1));
  EXPECT_EQ(Looks(), "classic Relax");
  Send("GS_HighScores", "button_classic");
  EXPECT_EQ(Shown(), Table(0));
  EXPECT_EQ(Looks(), "relax Classic");
  Send("GS_HighScores", "button_relax", 2);  // not a click
  EXPECT_EQ(Shown(), Table(0));
  Send("GS_HighScores", "button_relax");
  EXPECT_EQ(Shown(), Table(1));
  EXPECT_EQ(Looks(), "classic Relax");
}

TEST_F(HighScores, AYesToTheQueryClearsAndSavesTheTables) {
  StartHighScores();
  AddScore("0", 300);
  AddScore("1", 200);
  for (const char* answer : {"button_no", "button_yes"}) {
    ASSERT_TRUE(game->ShowScreen("GS_ClearHighScores", nullptr));
    game->CloseScreen(Slave("GS_ClearHighScores"), SingleParam("Button", Variant(answer)));
    bool cleared = std::string(answer) == "button_yes";
    EXPECT_EQ(Rows(0), cleared ? 0 : 1) << answer;
    EXPECT_EQ(Rows(1), cleared ? 0 : 1) << answer;
  }
  EXPECT_TRUE(std::filesystem::exists(preferences / "highscores.dat"));
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_HighScores"}));
}

}  // namespace
