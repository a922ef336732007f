// The diary's story flow: starting tasks, settling them, stages and cases, the reset, and
// the results of the screens it opens.

#include <gtest/gtest.h>

#include <climits>

#include "tests/screens/DiaryTestSupport.h"
#include "tests/support/WarningCapture.h"

using namespace diary_test;

namespace {

class DiaryFlow : public DiaryFixture {};

const std::string kPlain =
    Story(Case("c1", Stage("s1", Task("t1", {{"scenename", "market"}}) +
                                     Task("t2", {{"scenename", "garden"}}) +
                                     Task("t3", {{"scenename", "atelier"}}))));

}  // namespace

TEST_F(DiaryFlow, StartTaskOpensAStartScreenOnceAndClosesWithTheTaskToPlay) {
  struct Row {
    const char* what;
    std::string task;
    // What one press of "button_start" leads to: the screen shown over the diary, or the
    // diary's result ("-" while it stays).
    const char* shown;
    const char* result;
  };
  const Row cases[] = {
      {"a start screen opens first",
       Task("t1", {{"scenename", "market"}, {"start_screen_name", "GS_TaskStart"}}), "GS_TaskStart",
       "-"},
      {"no start screen named: the task starts", Task("t1", {{"scenename", "market"}}), "",
       "case=c1;stage=s1;task=t1;participant=Bastien;play_mode=0;"},
      {"start screen switched off",
       Task("t1", {{"scenename", "market"},
                   {"show_start_screen", "no"},
                   {"start_screen_name", "GS_TaskStart"}}),
       "", "case=c1;stage=s1;task=t1;participant=Bastien;play_mode=0;"},
      {"the scene is picked first",
       Task("t1", {{"scenename", "market"}, {"select_scene_names", "garden;atelier;"}}),
       "GS_SelectScene", "-"},
      {"no scene: nothing", Task("t1", {{"caption", "Letter"}}), "", "-"},
      {"every task done: nothing selected", Task("t1", {{"scenename", "market"}}, true), "", "-"},
  };
  for (const Row& c : cases) {
    TestParticipantPage::taskParticipants["t1"] = "Bastien";
    ASSERT_TRUE(OpenDiary(
        Story(Case("c1", Stage("s1", c.task + Task("t9", {{"scenename", "garden"}}, true))))));
    TakeLog();
    Click("button_start");
    EXPECT_EQ(GameResult(), c.result) << c.what;
    if (*c.shown) {
      EXPECT_EQ(Stack().back(), c.shown) << c.what;
      EXPECT_EQ(diary->GetPendingScreenName(),
                std::string(c.shown == std::string("GS_TaskStart") ? "GS_TaskStart" : ""))
          << c.what;
    } else {
      EXPECT_EQ(Shown("GS_TaskStart") + Shown("GS_SelectScene"), 0) << c.what;
    }
    game->Done();
    game = nullptr;
  }
}

TEST_F(DiaryFlow, ClosingTheStartScreenStartsTheTaskAndItIsNotShownAgain) {
  ASSERT_TRUE(OpenDiary(
      Story(Case("c1", Stage("s1", Task("t1", {{"scenename", "market"},
                                               {"start_screen_name", "GS_TaskStart"},
                                               {"journal_note_on_start_task", "note_garden"}}) +
                                       Task("t2") + Task("t3"))))));
  Click("button_start");
  ASSERT_EQ(Stack().back(), "GS_TaskStart");
  CloseTop();
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t1;participant=;play_mode=0;");
  Ref<IUserGameData> progress =
      Supports<IUserGameData>(game->GetParamValue("user_game_data").RawInterface());
  ASSERT_TRUE(progress);
  EXPECT_EQ(progress->GetJournal(), "note_garden;");

  game->ShowScreen("GS_Diary", ParamsFromString("show_diary=0"));
  TakeLog();
  Click("button_start");
  EXPECT_EQ(Shown("GS_TaskStart"), 0);
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t1;participant=;play_mode=0;");
}

TEST_F(DiaryFlow, AScreenTheGameRefusesIsNamedAndTheStoryGoesOn) {
  WarningCapture warnings;
  ASSERT_TRUE(OpenDiary(Story(Case(
      "c1", Stage("s1", Task("t1", {{"scenename", "market"}, {"start_screen_name", "GS_Missing"}}) +
                            Task("t2") + Task("t3"))))));
  Click("button_start");
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t1;participant=;play_mode=0;");
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_NE(warnings.Lines()[0].find("screen \"GS_Missing\" not shown"), std::string::npos)
      << warnings.Lines()[0];
}

TEST_F(DiaryFlow, ATaskWhoseSceneIsNotReadyIsDoneWithoutPlay) {
  ASSERT_TRUE(OpenDiary(Story(Case("c1", Stage("s1", Task("t1", {{"scenename", "nowhere"}}) +
                                                         Task("t2", {{"scenename", "market"}}) +
                                                         Task("t3", {{"scenename", "garden"}}))))));
  WarningCapture warnings;
  Click("button_start");
  EXPECT_EQ(warnings.Lines(),
            std::vector<std::string>{"warning: data\\ini\\scenarios\\default.ini: task \"t1\": "
                                     "scene \"nowhere\" is not in the scene list "
                                     "(data\\ini\\scenes.ini); the task is done without play"});
  EXPECT_EQ(GameResult(), "-");
  EXPECT_TRUE(FindTask("c1", "s1", "t1")->IsCompleted());
  EXPECT_EQ(diary->GetCurrentTaskName(), "t2");
  EXPECT_EQ(Progress()->GetLevel(), 2);
  Ref<IUGDScene> own = Progress()->GetScenes()->GetItem(Variant("nowhere"));
  ASSERT_TRUE(own) << "the task's own scene is made";
  EXPECT_EQ(own->GetParamValue("scenename").ToString(), "nowhere");
  Click("button_start");
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t2;participant=;play_mode=0;");
}

TEST_F(DiaryFlow, TheLastOpenTaskOfAStageStartsByItselfUnlessTheDiaryIsForced) {
  for (const char* forced : {"no", "yes"}) {
    ASSERT_TRUE(OpenDiary(Story(Case(
        "c1",
        Stage("s1", Task("t1", {{"scenename", "nowhere"}}) +
                        Task("t2", {{"scenename", "market"}, {"forsed_show_diary", forced}}))))));
    Click("button_start");
    EXPECT_EQ(GameResult(), forced == std::string("no")
                                ? "case=c1;stage=s1;task=t2;participant=;play_mode=0;"
                                : "-")
        << forced;
    game->Done();
    game = nullptr;
  }
}

TEST_F(DiaryFlow, ATaskWithAPositionStartsByItselfOnceItsTurnComes) {
  const std::string story = Story(
      Case("c1", Stage("s1", Task("t1", {{"scenename", "market"}}, true) +
                                 Task("t2", {{"scenename", "market"}, {"pos_in_stage", "3"}}) +
                                 Task("t3", {{"scenename", "garden"}}, true) +
                                 Task("t4", {{"scenename", "atelier"}}) +
                                 Task("t5", {{"scenename", "atelier"}}))));
  ASSERT_TRUE(OpenDiary(story));
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t2;participant=;play_mode=0;");

  game->ShowScreen("GS_Diary", ParamsFromString("show_diary=1"));
  EXPECT_EQ(GameResult(), "-") << "only once";
}

TEST_F(DiaryFlow, TheEndOfACaseMovesToTheNextOneAndItsLevels) {
  struct Row {
    const char* level;
    int32_t expected;
  };
  for (const Row& c : {Row{"17", 21}, Row{"2147483640", INT_MAX}}) {
    ASSERT_TRUE(
        OpenDiary(Story(Case("c1", Stage("s1", Task("t1", {{"scenename", "nowhere"}}))) +
                            Case("c2", Stage("s1", Task("t1", {{"scenename", "market"}}) +
                                                       Task("t2", {{"scenename", "garden"}}))),
                        std::string("Level=\"") + c.level + "\"")));
    Click("button_start");
    EXPECT_EQ(GameResult(), "-");
    EXPECT_EQ(Progress()->GetLevel(), c.expected) << c.level;
    EXPECT_EQ(Progress()->CurrentCase()->GetName(), "c2");
    EXPECT_EQ(Progress()->CurrentCase()->GetParamValue("currentstage").ToString(), "s1");
    EXPECT_TRUE(Progress()->GetCases()->GetItem(Variant("c1"))->IsCompleted());
    game->Done();
    game = nullptr;
  }
}

TEST_F(DiaryFlow, NextCaseLevelSaturates) {
  struct Row {
    int32_t level, next;
  };
  for (const Row& c :
       {Row{17, 20}, Row{0, 10}, Row{20, 30}, Row{INT_MAX - 3, INT_MAX}, Row{INT_MIN, -2147483630}})
    EXPECT_EQ(TTavelor2GameScreenDiary::NextCaseLevel(c.level), c.next) << c.level;
}

TEST_F(DiaryFlow, TheLastCaseResetsTheStoryOnceAndTheDiaryClosesWithoutResult) {
  // No scene list at all: every task is done without play, and the new story's one task
  // would start again at once.
  const std::string cases = Case("c1", Stage("s1", Task("t1", {{"scenename", "market"}})));
  WriteData(TTavelor2GameScreenDiary::kScenarioFile, Scenario(cases));
  ASSERT_TRUE(
      OpenDiary(Story(cases, "journal=\"note_a;\" finded_voodoo=\"doll;\""), "show_diary=1", ""));
  Click("button_start");
  EXPECT_EQ(GameResult(), "");
  EXPECT_EQ(diary->GetResetCount(), 1);
  Ref<IUserGameData> progress =
      Supports<IUserGameData>(game->GetParamValue("user_game_data").RawInterface());
  ASSERT_TRUE(progress);
  EXPECT_EQ(progress->GetJournal(), "");
  EXPECT_EQ(progress->GetFindedVoodoo(), "");
  EXPECT_FALSE(progress->CurrentCase()->IsCompleted()) << "the story starts anew";
}

// A story whose current case has no stage to play (none stored, or "currentcase" naming a
// case gone and the case it falls back to without stages) starts from the scenario; a
// story with a stage keeps its own cases.
TEST_F(DiaryFlow, AStoryWithoutACurrentStageStartsFromTheScenario) {
  WriteData(TTavelor2GameScreenDiary::kScenarioFile,
            Scenario(Case("c2", Stage("s1", Task("fresh", {{"scenename", "market"}})))));
  const std::string gone = R"(<params><param name="currentcase" value="gone"/></params>)";
  struct Row {
    const char* what;
    std::string story;
    const char* currentCase;
    const char* currentTask;
  } rows[] = {
      {"no cases", "<usergamedata/>", "c2", "fresh"},
      {"a case gone, the first without stages",
       "<usergamedata>" + gone + "<cases>" + Case("old", "") + "</cases></usergamedata>", "c2",
       "fresh"},
      {"a case gone, the first with a stage",
       "<usergamedata>" + gone + "<cases>" +
           Case("old", Stage("s1", Task("kept", {{"scenename", "market"}}))) +
           "</cases></usergamedata>",
       "old", "kept"},
  };
  for (const Row& c : rows) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(OpenDiary(c.story));
    ASSERT_TRUE(Progress()->CurrentCase());
    EXPECT_EQ(Progress()->CurrentCase()->GetName(), c.currentCase);
    EXPECT_EQ(diary->GetCurrentTaskName(), c.currentTask);
    game->Done();
    game = nullptr;
  }
}

TEST_F(DiaryFlow, ClosingTheFinalComicResetsOnce) {
  const std::string cases = Case("c1", Stage("s1", Task("t1", {{"scenename", "nowhere"}}),
                                             {{"end_screen_name", "GS_Comics_final"}}));
  WriteData(TTavelor2GameScreenDiary::kScenarioFile, Scenario(cases));
  ASSERT_TRUE(OpenDiary(Story(cases)));
  Click("button_start");
  ASSERT_EQ(Stack().back(), "GS_Comics_final");
  EXPECT_EQ(diary->GetResetCount(), 0);
  CloseTop();
  EXPECT_EQ(diary->GetResetCount(), 1);
  EXPECT_EQ(GameResult(), "");
}

TEST_F(DiaryFlow, TheEndScreenOfTheShowParametersOpensOnce) {
  const std::string story = Story(
      Case("c1", Stage("s1", Task("t1", {{"scenename", "market"}, {"end_screen_name", "GS_End"}}) +
                                 Task("t2", {{"scenename", "garden"}}) +
                                 Task("t3", {{"scenename", "garden"}}))));
  // With a show effect the diary is shown only once the end screen has closed.
  for (bool effect : {false, true}) {
    ASSERT_TRUE(OpenDiary(story, "show_diary=1", "market;garden;",
                          effect ? ShowEffect(100) : std::string()));
    for (int i = 0; i < 3; ++i) Frame(100);
    Click("button_start");
    ASSERT_EQ(GameResult(), "case=c1;stage=s1;task=t1;participant=;play_mode=0;") << effect;
    // The level is won: the play screen marks the task and asks for the diary again.
    FindTask("c1", "s1", "t1")->SetCompleted(true);
    game->ShowScreen("GS_Diary", ParamsFromString("show_diary=1\\end_screen_name=GS_End"));
    ASSERT_EQ(Stack().back(), "GS_End") << effect;
    for (int i = 0; i < 3; ++i) Frame(100);
    CloseTop();
    for (int i = 0; i < 3; ++i) Frame(100);
    EXPECT_EQ(Shown("GS_End"), 1) << effect;
    EXPECT_EQ(Stack().back(), "GS_Diary") << effect;
    EXPECT_EQ(FindTask("c1", "s1", "t1")->GetParamValue("end_screen_name").ToString(), "")
        << effect;
    EXPECT_EQ(diary->GetCurrentTaskName(), "t2") << effect;
    EXPECT_EQ(Progress()->GetLevel(), 2) << effect << ": the task was settled once";
    game->Done();
    game = nullptr;
  }
}

TEST_F(DiaryFlow, ChildResults) {
  ASSERT_TRUE(OpenDiary(kPlain));
  ASSERT_TRUE(game->ShowScreen("GS_Letter", nullptr));
  CloseTop("enable_scene_name=garden_right");
  Ref<IUGDScene> scene = Progress()->GetScenes()->GetItem(Variant("garden_right"));
  ASSERT_TRUE(scene);
  EXPECT_EQ(scene->GetParamValue("scenename").ToString(), "garden_right");

  TakeLog();
  ASSERT_TRUE(game->ShowScreen("GS_Letter", nullptr));
  CloseTop("show_end_screen=yes\\end_screen_name=GS_End");
  EXPECT_EQ(Stack().back(), "GS_End");
  EXPECT_EQ(diary->GetPendingScreenName(), "GS_End");
  EXPECT_EQ(Shown("GS_End"), 1);
  CloseTop();

  ASSERT_TRUE(game->ShowScreen("GS_Letter", nullptr));
  CloseTop("user_quit=yes\\x=1");
  EXPECT_EQ(GameResult(), "user_quit=yes;x=1;");
}

TEST_F(DiaryFlow, OutParameterNamesReadTheNamedRecord) {
  ASSERT_TRUE(OpenDiary(Story(Case(
      "c1",
      Stage("s1",
            Task("t1", {{"scenename", "market"}, {"letter", "GS_Task"}}) + Task("t2") + Task("t3"),
            {{"letter", "GS_Stage"}}),
      {{"letter", "GS_Letter"}}))));
  struct Row {
    const char* text;
    const char* resolved;
  };
  const Row cases[] = {
      {"out_param:c1/letter", "GS_Letter"},
      {"out_param:c1/s1/letter", "GS_Stage"},
      {"out_param:c1/s1/t1/letter", "GS_Task"},
      {"out_param:c1/s1/t1/none", "out_param:c1/s1/t1/none"},
      {"out_param:c9/letter", "out_param:c9/letter"},
      {"out_param:c1/s9/letter", "out_param:c1/s9/letter"},
      {"out_param:c1/s1/t9/letter", "out_param:c1/s1/t9/letter"},
      {"out_param:c1", "out_param:c1"},
      {"out_param:c1/s1/t1/letter/x", "out_param:c1/s1/t1/letter/x"},
      {"GS_Plain", "GS_Plain"},
  };
  for (const Row& c : cases) EXPECT_EQ(diary->ResolveOutParam(c.text), c.resolved) << c.text;
}

TEST_F(DiaryFlow, AStageStartScreenOpensOnItsFirstEntryOnly) {
  ASSERT_TRUE(OpenDiary(
      Story(Case("c1",
                 Stage("s1", Task("t1", {{"scenename", "market"}}) + Task("t2") + Task("t3"),
                       {{"start_screen_name", "out_param:c1/letter"}}),
                 {{"letter", "GS_Letter"}}))));
  ASSERT_EQ(Stack().back(), "GS_Letter");
  EXPECT_EQ(diary->GetPendingScreenName(), "GS_Letter");
  CloseTop("enable_scene_name=garden_right");
  EXPECT_EQ(Stack().back(), "GS_Diary");
  EXPECT_TRUE(Progress()->GetScenes()->GetItem(Variant("garden_right")));

  game->CloseScreen(diary, nullptr);
  game->ShowScreen("GS_Diary", ParamsFromString("show_diary=1"));
  EXPECT_EQ(Shown("GS_Letter"), 1);
}

TEST_F(DiaryFlow, AStageWithoutMapStartsItsTaskAfterTheStartScreen) {
  ASSERT_TRUE(OpenDiary(Story(
      Case("c1", Stage("s1", Task("t1", {{"scenename", "market"}}) + Task("t2"),
                       {{"start_screen_name", "GS_Letter"}, {"no_map_after_screen", "yes"}})))));
  ASSERT_EQ(Stack().back(), "GS_Letter");
  CloseTop();
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t1;participant=;play_mode=0;");
}

TEST_F(DiaryFlow, AStageThatSkipsTheMapStartsItsFirstOpenTask) {
  ASSERT_TRUE(
      OpenDiary(Story(Case("c1", Stage("s1",
                                       Task("t1", {{"scenename", "market"}}, true) +
                                           Task("t2", {{"scenename", "garden"}}) + Task("t3"),
                                       {{"no_map_on_stage", "yes"}})))));
  EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t2;participant=;play_mode=0;");
}

TEST_F(DiaryFlow, AClientReadyToBeMatchedTakesOverTheStagesEnd) {
  TestParticipantPage::matchReady = true;
  ASSERT_TRUE(OpenDiary(
      Story(Case("c1", Stage("s1", Task("t1", {{"scenename", "nowhere"}})) +
                           Stage("s2", Task("t1", {{"scenename", "market"}}) + Task("t2"))),
            "matched_clients=\"odile;\"")));
  TestParticipantPage::calls.clear();
  Click("button_start");
  EXPECT_EQ(TestParticipantPage::calls,
            (std::vector<std::string>{"IsMatchReady(odile;)", "MatchClient"}));
  EXPECT_EQ(diary->GetCurrentTab(), 1);
  EXPECT_TRUE(diary->IsTabLocked());

  TestParticipantPage::matchReady = false;
  diary->ClientMatched("bastien;x;");
  EXPECT_EQ(Progress()->GetMatchedClients(), "odile;bastien;");
  EXPECT_EQ(Progress()->CurrentCase()->GetParamValue("currentstage").ToString(), "s2");
  EXPECT_FALSE(diary->IsTabLocked());
  EXPECT_EQ(diary->GetCurrentTab(), 1) << "the lock holds until the new stage's map is built";
}

TEST_F(DiaryFlow, TheVoodooGamesResultIsKeptAndTheGameIsNotStartedAgain) {
  const std::string story = Story(
      Case("c1", Stage("s1", Task("t1", {{"scenename", "nowhere"}, {"finded_voodoo", "doll_b"}}) +
                                 Task("t2", {{"scenename", "market"}}) + Task("t3"))),
      "finded_voodoo=\"doll_a;\"");
  struct Case {
    const char* how;
    const char* result;
  };
  for (const Case& c : {Case{"won", "won"}, Case{"skip", "skipped"}}) {
    ASSERT_TRUE(OpenDiary(story));
    Ref<IWidget> page = diary->GetRootWidget()->FindWidget("page_voodoo");
    Ref<IWidget> miniGame = page->FindWidget("minigame");
    ASSERT_TRUE(miniGame);
    Frame(16);
    EXPECT_EQ(Progress()->GetParamValue("voodoo_minigame").ToString(), "") << "not played yet";
    if (c.how == std::string("won")) {
      miniGame->SetProperty("win", Variant(true));
    } else {
      Click("button_skip_voodoo");
      EXPECT_TRUE(miniGame->GetProperty("need_skip").ToBool()) << "a skip is the game's own";
    }
    Frame(16);
    EXPECT_EQ(Progress()->GetParamValue("voodoo_minigame").ToString(), c.result);
    EXPECT_EQ(page->GetProperty("minigame_result").ToString(), c.result);
    // Stored at once: the player's file has it before the diary closes.
    EXPECT_NE(game->GetUserProfiles()->GetCurrent()->GetDataStorage().find(
                  std::string("voodoo_minigame\" value=\"") + c.result),
              std::string::npos);
    // The last doll comes with t1: the game played already is not started again.
    Click("button_start");
    EXPECT_EQ(Progress()->GetFindedVoodoo(), "doll_a;doll_b;");
    EXPECT_NE(diary->GetCurrentTab(), 2) << c.how;
    game->Done();
    game = nullptr;
  }
}

TEST_F(DiaryFlow, TheVoodooGameWaitsOnItsPageWhileTheStoryGoesOn) {
  // Nothing in the story resumes it once the game has taken over: the game is offered on
  // its page, and the task after the end screen is settled as without dolls.
  ASSERT_TRUE(OpenDiary(Story(
      Case("c1", Stage("s1", Task("t1", {{"scenename", "nowhere"},
                                         {"finded_voodoo", "doll_b"},
                                         {"end_screen_name", "GS_End"}})) +
                     Stage("s2", Task("t2", {{"scenename", "market"}}))),
      "finded_voodoo=\"doll_a;\"")));
  Click("button_start");
  ASSERT_EQ(Stack().back(), "GS_End");
  EXPECT_EQ(diary->GetCurrentTab(), 2) << "the game is offered";
  CloseTop();
  EXPECT_EQ(Progress()->CurrentCase()->GetParamValue("currentstage").ToString(), "s2");
}

TEST_F(DiaryFlow, AllDollsFoundStartTheVoodooMiniGame) {
  ASSERT_TRUE(OpenDiary(Story(
      Case("c1", Stage("s1", Task("t1", {{"scenename", "nowhere"}, {"finded_voodoo", "doll_b"}}) +
                                 Task("t2", {{"scenename", "market"}}) + Task("t3"))),
      "finded_voodoo=\"doll_a;\"")));
  Click("button_start");
  EXPECT_EQ(Progress()->GetFindedVoodoo(), "doll_a;doll_b;");
  EXPECT_EQ(diary->GetCurrentTab(), 2);
  EXPECT_EQ(TestVoodooPage::counted, (std::vector<std::string>{"doll_a;"}));
}
