// The play screen's set-up, start, restart, release and the screens it opens.

#include <gtest/gtest.h>

#include <typeinfo>

#include "engine/EngineRoutines.h"
#include "foundation/Params.h"
#include "platform/InputConstants.h"
#include "tests/support/PlayScreenFixture.h"
#include "tests/support/WarningCapture.h"

namespace {

using Ids = std::vector<std::string>;

class GameScreenGameSetup : public PlayScreenFixture {};

TEST_F(GameScreenGameSetup, KindsChooseManagersHalvesAndMiddleLine) {
  struct Case {
    int type;
    const char* level;
    const char* panel;
    bool halves;
  };
  const Case cases[] = {
      {0, "LevelManagerHiddenShapes", "PanelManagerHiddenShapes", false},
      {1, "LevelManagerHiddenNames", "PanelManagerHiddenNames", false},
      {2, "LevelManagerFindIdentical", "PanelManagerFindIdentical", true},
      {3, "LevelManagerHiddenParts", "PanelManagerHiddenParts", false},
      {4, "LevelManagerFindPlaces", "PanelManagerFindPlaces", false},
      {5, "LevelManagerQuest", "", false},
      {6, "", "", false},
      {127, "", "", false},
      {128 + 2, "LevelManagerFindIdentical", "PanelManagerFindIdentical", true},  // top bit off
  };
  Progress(0);
  StartGame();
  auto* test = dynamic_cast<TestPlayScreen*>(screen);
  ASSERT_TRUE(test);
  // Of the class the table names (none for ""), under the manager's own name.
  auto expectManager = [](const Ref<IInterface>& made, const char* className, const char* name) {
    if (!*className) {
      EXPECT_FALSE(made) << name;
      return;
    }
    ASSERT_TRUE(made) << name;
    Ref<IInterface> expected = CreateNamedObject(className);
    EXPECT_EQ(typeid(*made.get()), typeid(*expected.get()));
    EXPECT_EQ(Supports<INamedObject>(made)->GetName(), name);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    int kind = c.type & 0x7F;
    expectManager(Ref<IInterface>(test->TableLevelManager(kind).get()), c.level, "LevelManager");
    expectManager(Ref<IInterface>(test->TablePanelManager(kind).get()), c.panel, "Panel");
    Progress(c.type);
    game->GetParams()->SetValue("user_game_data", Variant(Ref<IInterface>(progress.get())));
    screen->ReadUserGameData(ParamsFromString("\\case=c\\stage=s\\task=t"));
    screen->SetupTaskUi();
    EXPECT_EQ(W("left_part")->IsVisible(), c.halves);
    EXPECT_EQ(W("right_part")->IsVisible(), c.halves);
    EXPECT_EQ(W("interface_middle_line")->IsVisible(), c.halves);
    // A kind without a level has no name to translate.
    EXPECT_EQ(W("ui_group/ui_task_type_text")->GetProperty("text").ToString(),
              *c.level ? "%task_type_" + std::to_string(kind) + "%" : "");
  }
}

// A saved task of an unknown kind plays without managers on the real screen.
TEST_F(GameScreenGameSetup, UnknownKindGetsNoManagersAndStillRuns) {
  for (int type : {6, 127, 255}) {
    SCOPED_TRACE(type);
    Progress(type);
    StartGame(Window(), "Tavelor2GameScreenGame");
    ShowPlayScreen();
    EXPECT_FALSE(screen->GetLevelManager());
    EXPECT_EQ(Stack(), (Ids{"GS_Game"})) << "no loading without a level manager";
    for (int i = 0; i < 5; ++i) Frame(16);
    game->Done();
    game = nullptr;
  }
}

TEST_F(GameScreenGameSetup, TimerStartsFromTaskTimeGivenTimeAndPlayMode) {
  struct Case {
    const char* mode;
    const char* params;
    int32_t timer;
  };
  const Case cases[] = {
      {"0", "", 600000},
      {"0", R"(<param name="given_time" value="300000"/>)", 300000},
      {"0", R"(<param name="task_time" value="0"/><param name="given_time" value="25000"/>)",
       25000},
      {"0", R"(<param name="task_time" value="5000"/><param name="given_time" value="300000"/>)",
       5000},
      {"1", "", 0},
      {"1", R"(<param name="task_time" value="7000"/><param name="given_time" value="300000"/>)",
       7000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " " + c.params);
    Progress(0, c.params, std::string("play_mode=\"") + c.mode + "\"");
    manager = TAbstractObject::Create<PlayLevelManager>();
    TestPlayScreen::nextLevelManager = Ref<ILevelManager>(manager.get());
    StartGame();
    ASSERT_TRUE(StartLevel());
    EXPECT_EQ(screen->GetTimer(), c.timer) << "the first tick leaves the timer";
    EXPECT_EQ(screen->IsTimed(), std::string(c.mode) == "0");
    EXPECT_EQ(W("ui_group/ui_level_timer")->IsVisible(), std::string(c.mode) == "0");
    game->Done();
    game = nullptr;
  }
}

TEST_F(GameScreenGameSetup, StartRunsManagerAndReadsTaskOnce) {
  Progress(0,
           Param("ingame_start_factory", "tutorial_panel") + Param("hints_used", "2") +
               Param("wrong_clicks", "3") + Param("shine_diary_button", "at_start"),
           R"(play_mode="1" scores="1500")");
  ASSERT_TRUE(StartLevel());
  EXPECT_EQ(manager->calls, (Ids{"Init", "LoadScene", "PlaySceneMusic", "StartLevel"}));
  EXPECT_EQ(screen->GetHintsUsed(), 2);
  EXPECT_EQ(screen->GetWrongClicks(), 3);
  EXPECT_EQ(screen->GetShownScore(), 1500);
  EXPECT_EQ(W("ui_group/ui_scores_text")->GetProperty("text").ToString(), FormatThousands(1500));
  EXPECT_EQ(task->GetParamValue("activate_start_factory").ToString(), "no");
  EXPECT_EQ(task->GetParamValue("play_mode").ToInt(), 1);
  EXPECT_EQ(task->GetParamValue("shine_diary_button").ToString(), "none");
  EXPECT_TRUE(W("ui_group/diary_shine"));
  EXPECT_TRUE(W("animation_group/start_level_anim"));
  EXPECT_EQ(screen->GetHintRequirement(), 23000);
  EXPECT_EQ(screen->GetHintCharge(), 22500 + 250) << "charged past the input guard";
  EXPECT_EQ(engine->playedSounds, (Ids{"sound_level_start"}));

  screen->ShowTutorial();
  EXPECT_EQ(W("animation_group/tutorial_panel")->GetProperty("caption").ToString(),
            "%ingame_tutorial_c_t%");

  // The second start of the task does not read the tutorial factory again.
  manager = TAbstractObject::Create<PlayLevelManager>();
  TestPlayScreen::nextLevelManager = Ref<ILevelManager>(manager.get());
  screen->Restart();
  CloseTop();
  screen->ShowTutorial();
  EXPECT_FALSE(W("animation_group/tutorial_panel"));
}

TEST_F(GameScreenGameSetup, TaskQuestPausesTheSceneUntilItsWidgetGoes) {
  Progress(0, Param("task_quest", "quest_cellar"));
  ASSERT_TRUE(StartLevel());
  Ref<IWidget> quest = W("animation_group/task_quest");
  ASSERT_TRUE(quest);
  EXPECT_EQ(quest->GetProperty("caption").ToString(), "%quest_cellar%");
  EXPECT_TRUE(W("objects_group")->IsPaused());
  EXPECT_FALSE(W("approaches_group")->IsMouseStop());
  int32_t timer = screen->GetTimer();
  Frame(100);
  EXPECT_EQ(screen->GetTimer(), timer) << "the quest text holds the timer";
  quest->SetDead(true);
  Frame(16);  // the quest is seen gone
  Frame(16);  // the first tick
  Frame(16);
  EXPECT_FALSE(W("objects_group")->IsPaused());
  EXPECT_TRUE(W("objects_group")->IsMouseStop());
  EXPECT_LT(screen->GetTimer(), timer);
}

TEST_F(GameScreenGameSetup, InputBlockingIsIgnoredWhileNoLevelRuns) {
  Progress(0);
  ShowPlayScreen();
  ASSERT_EQ(Stack(), (Ids{"GS_Game", "GS_LevelLoading"}));
  EXPECT_TRUE(screen->IsInputBlocked());
  screen->SetInputBlocked(false);
  EXPECT_TRUE(screen->IsInputBlocked()) << "between the clear and the start";
  CloseTop();
  screen->SetInputBlocked(false);
  EXPECT_FALSE(screen->IsInputBlocked());
  EXPECT_FALSE(W("obscuring_widget")->IsVisible());
  screen->SetInputBlocked(true);
  EXPECT_TRUE(W("obscuring_widget")->IsVisible()) << "the obscuring switch is on";
}

TEST_F(GameScreenGameSetup, EscapeOpensTheMenuOtherKeysDoNothing) {
  Progress(0);
  ASSERT_TRUE(StartLevel());
  EXPECT_FALSE(screen->HandleKey(input::kKeyDown, 'A', 0));
  EXPECT_EQ(Stack(), (Ids{"GS_Game"}));
  EXPECT_FALSE(screen->HandleKey(input::kKeyUp, input::kVkEscape, 0));
  EXPECT_EQ(Stack(), (Ids{"GS_Game"}));
  EXPECT_FALSE(screen->HandleKey(input::kKeyDown, input::kVkEscape, 0));
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu"}));
  EXPECT_FALSE(screen->IsLevelRunning());
  CloseTop();
  EXPECT_TRUE(screen->IsLevelRunning());
  EXPECT_FALSE(screen->IsInputBlocked());
}

// Escape, a restart and a lost level end amulet mode: the darkness, the crystal's sound
// and the frozen hint charge do not outlive it.
TEST_F(GameScreenGameSetup, AmuletModeEndsOnEscapeAndWhenTheSceneClears) {
  Progress(0);
  ASSERT_TRUE(StartLevel());
  Ref<IWidget> doll = AddObject("objects_group", "doll", 7, 300, 300);
  screen->EnableAmulet(doll);
  screen->StartAmulet();
  ASSERT_TRUE(screen->IsAmuletMode());
  ASSERT_TRUE(W("amulet_darkness")->IsVisible());
  screen->HandleKey(input::kKeyDown, input::kVkEscape, 0);
  EXPECT_FALSE(screen->IsAmuletMode());
  EXPECT_FALSE(W("amulet_darkness")->IsVisible());
  CloseTop();

  screen->StartAmulet();
  ASSERT_TRUE(screen->IsAmuletMode());
  engine->stoppedSounds.clear();
  screen->ClearScene();
  EXPECT_FALSE(screen->IsAmuletMode());
  EXPECT_FALSE(W("amulet_darkness")->IsVisible());
  EXPECT_EQ(engine->stoppedSounds, (Ids{"sound_voodoo_crystal"}));
  EXPECT_FALSE(screen->GetAmuletTarget());
}

TEST_F(GameScreenGameSetup, ClearSceneDropsTheHintTarget) {
  Progress(0);
  ASSERT_TRUE(StartLevel());
  Ref<IWidget> cup = AddObject("objects_group", "cup", 0, 300, 300);
  manager->wantedHint = cup;
  engine->cursor = {55, 728};  // over the hint button
  Frame(600);                  // ready; the hover chooses the target
  ASSERT_EQ(screen->GetHintTarget(), cup);
  screen->ClearScene();
  EXPECT_FALSE(screen->GetHintTarget());
}

TEST_F(GameScreenGameSetup, RestartPutsTheTaskScoresBack) {
  Progress(0, Param("scores", "400") + Param("task_time", "9000") + Param("hints_used", "4"),
           R"(play_mode="0" scores="1000")");
  ASSERT_TRUE(StartLevel());
  screen->AddScores(50);
  manager = TAbstractObject::Create<PlayLevelManager>();
  TestPlayScreen::nextLevelManager = Ref<ILevelManager>(manager.get());
  screen->Restart();
  EXPECT_EQ(progress->GetScores(), 600);
  EXPECT_EQ(screen->GetShownScore(), 600);
  EXPECT_EQ(task->GetParamValue("scores").ToInt(), 0);
  EXPECT_EQ(task->GetParamValue("task_time").ToInt(), 0);
  EXPECT_EQ(task->GetParamValue("hints_used").ToInt(), 0);
  EXPECT_EQ(W("ui_group/ui_scores_text")->GetProperty("text").ToString(), "600");
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_LevelLoading"}));
}

// Every mini-game key leaves the in-memory list on a restart, the list's first included.
TEST_F(GameScreenGameSetup, RestartForgetsEveryMiniGameKey) {
  Progress(0);
  ASSERT_TRUE(StartLevel());
  progress->SetTempList("mg_a;other;mg_b;");
  for (const char* name : {"minigame_a", "minigame_b"}) {
    Ref<IWidget> game = AddObject("objects_group", name, 5, 10, 10);
    game->SetExtraParam("instance_hint",
                        Variant(std::string(name) == "minigame_a" ? "mg_a" : "mg_b"));
  }
  screen->ResetTaskProgress();
  EXPECT_EQ(progress->GetTempList(), "other;");
}

TEST_F(GameScreenGameSetup, DiaryResultForAnotherTaskClosesTheScreen) {
  Progress(0);
  ASSERT_TRUE(StartLevel());
  screen->OnWidgetEvent(W("ui_group/button_diary").get(), 1, 0);
  ASSERT_EQ(Stack(), (Ids{"GS_Game", "GS_Diary"}));
  EXPECT_EQ(screen->GetShowParams()->GetValue("tab").ToInt(), -1);
  CloseTop(ParamsFromString("\\task=t"));
  EXPECT_EQ(Stack(), (Ids{"GS_Game"}));
  EXPECT_FALSE(screen->IsInputBlocked()) << "the task played: input comes back";

  screen->OnWidgetEvent(W("ui_group/button_diary").get(), 1, 0);
  CloseTop(ParamsFromString("\\task=t2"));
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{})) << "another task: the play screen closes with the result";
  EXPECT_TRUE(screen->IsInputBlocked()) << "nothing acts on the closed level";
}

TEST_F(GameScreenGameSetup, ShownWithDiaryOpensTheDiaryAndClosesWithoutATask) {
  Progress(0);
  StartGame();
  game->ShowScreen("GS_Game", ParamsFromString("\\show_diary=1"));
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_Diary"}));
  EXPECT_FALSE(screen->GetLevelManager()) << "the level waits for the diary";
  CloseTop(ParamsFromString("\\case=c\\stage=s\\task=t"));
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{}));
}

TEST_F(GameScreenGameSetup, GameMenuAnswersQuitAndRestart) {
  Progress(0, Param("ingame_exit_menu_factory", "win_level_anim"));
  ASSERT_TRUE(StartLevel());
  screen->OnWidgetEvent(W("ui_group/buttons/button_menu").get(), 1, 0);
  EXPECT_FALSE(W("ui_group/buttons/button_menu")->IsVisible());
  ASSERT_EQ(Stack(), (Ids{"GS_Game", "GS_GameMenu"}));
  manager = TAbstractObject::Create<PlayLevelManager>();
  TestPlayScreen::nextLevelManager = Ref<ILevelManager>(manager.get());
  CloseTop(ParamsFromString("\\Button=GS_QueryRestart"));
  EXPECT_EQ(Stack(), (Ids{"GS_Game", "GS_LevelLoading"}));
  CloseTop();
  screen->OnWidgetEvent(W("ui_group/buttons/button_menu").get(), 1, 0);
  Ref<PlayLevelManager> running = manager;
  CloseTop(ParamsFromString("\\Button=GS_QueryMainMenu"));
  Frame(16);
  EXPECT_EQ(Stack(), (Ids{}));
  EXPECT_NE(std::find(running->calls.begin(), running->calls.end(), "StopSceneMusic"),
            running->calls.end());
}

// The counters are written before the scene is cleared: the points still counting up
// and the objects left reach the task.
TEST_F(GameScreenGameSetup, HideAndReleaseWriteTheCountersFirst) {
  Progress(0, Param("scores", "100"), R"(play_mode="0" scores="1000")");
  ASSERT_TRUE(StartLevel());
  manager->remaining = 4;
  screen->AddScores(300);  // 1 moved, 299 pending
  screen->ReleaseOwner();
  EXPECT_EQ(progress->GetScores(), 1300);
  EXPECT_EQ(task->GetParamValue("scores").ToInt(), 400);
  EXPECT_EQ(task->GetParamValue("objects_left_count").ToInt(), 4);
  EXPECT_EQ(task->GetParamValue("hints_used").ToInt(), 0);
  EXPECT_FALSE(screen->GetLevelManager());
}

// The counter shows what is left to find (the hidden dolls left out); the task keeps the
// remaining count, as the task map reads it.
TEST_F(GameScreenGameSetup, CounterShowsWhatIsLeftToFind) {
  Progress(0);
  ASSERT_TRUE(StartLevel());
  manager->remaining = 7;
  manager->leftToFind = 6;
  screen->UpdateObjectsLeftCount();
  Ref<IWidget> counter = W("ui_group/ui_objects_count_text");
  ASSERT_TRUE(counter);
  EXPECT_EQ(counter->GetProperty("text").ToString(), "6");
  EXPECT_EQ(counter->GetProperty("Count").ToInt(), 6);
  screen->ReleaseOwner();
  EXPECT_EQ(task->GetParamValue("objects_left_count").ToInt(), 7);
}

TEST_F(GameScreenGameSetup, NearMaximumTotalsSaturate) {
  Progress(0, Param("task_time", "2147483000"), R"(play_mode="1" scores="2147483000")");
  ASSERT_TRUE(StartLevel());
  screen->AddScores(10000);
  for (int i = 0; i < 200; ++i) screen->AddScores(0);
  EXPECT_EQ(screen->GetShownScore(), 2147483647);
  screen->TickTimer(900);
  screen->TickTimer(900);
  EXPECT_EQ(screen->GetTimer(), 2147483647) << "untimed: the elapsed time saturates";
  screen->Update(2147483647);
  screen->Update(2147483647);
  EXPECT_EQ(screen->GetLevelClock(), 2147483647);
  EXPECT_GE(screen->GetTimeSinceLastFind(), 0);
}

}  // namespace
