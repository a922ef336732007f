// The task map: the labels and their counts, starting tasks through their start screens
// and the scene picker, and the story moving on when the play screen closes.

#include <algorithm>

#include "foundation/MultiLanguages.h"
#include "gameplay/Tv2UserGameData.h"
#include "screens/Tv2GameScreenSelectTask.h"
#include "tests/screens/MenuScreensFixture.h"
#include "tests/support/WarningCapture.h"

namespace {

std::string Task(const std::string& name, const std::string& params, int kind = 0) {
  return R"(<task name=")" + name + R"(" tasktype=")" + std::to_string(kind) +
         R"("><params><param name="show_start_screen" value="no"/>)" + params + "</params></task>";
}
std::string P(const std::string& name, const std::string& value) {
  return R"(<param name=")" + name + R"(" value=")" + value + R"("/>)";
}
std::string Stage(const std::string& name, const std::string& tasks,
                  const std::string& params = {}) {
  return R"(<stage name=")" + name + R"("><params>)" + P("show_start_screen", "no") + params +
         "</params><tasks>" + tasks + "</tasks></stage>";
}
std::string Case(const std::string& name, const std::string& stages,
                 const std::string& params = {}) {
  return R"(<case name=")" + name + R"("><params>)" + params + "</params><stages>" + stages +
         "</stages></case>";
}
std::string Story(const std::string& cases, const std::string& attrs = R"(Level="1")") {
  return "<usergamedata " + attrs + R"(><scenes><scene name="room"><params>)" +
         P("scenename", "room") + P("ho_count", "5") + P("io_count", "7") + P("do_count", "9") +
         "</params></scene></scenes><cases>" + cases + "</cases></usergamedata>";
}

class TaskMap : public MenuScreensFixture {
 protected:
  TaskMap() {
    engine->preferenceFolder = preferences.Path().string() + "/";
    WriteData("data\\scenes\\room.xml", "<scene_def/>");
    WriteData("data\\ini\\scenarios\\default.ini",
              "<scenario>" + Case("fresh", Stage("f1", Task("ft1", P("scenename", "room")))) +
                  "</scenario>");
  }

  // The map over the main menu, for the player Ann whose storage holds Story.
  void StartMap(const std::string& story, const std::string& extraScreens = {}) {
    std::string window = "<widgetfactories>" + BoxFactory("task_label") +
                         R"(<widgetfactory type="WidgetFactory" name="selected_task_label">
                              <widgetstring><widget type="test_box" name="%name%_selected"
                              visible="yes" mousestop="yes" anchor_left="%anchor_left%" anchor_top="%anchor_top%"
                              width="100" height="20"/></widgetstring></widgetfactory>
                            </widgetfactories><widgets>)" +
                         Group("labels_group") + Group("animation_group") +
                         R"(<widget type="text_widget" name="current_level_caption"/>)" +
                         Button("button_start") + "</widgets>";
    StartScreens(ScreenXml("GS_SelectTask", window, "Tavelor2GameScreenSelectTask") +
                 ScreenXml("GS_Game") + ScreenXml("GS_SelectScene") + ScreenXml("GS_SelectCase") +
                 ScreenXml("start_t1") + extraScreens);
    PublishSceneDefs(R"(<scene_defs><scene_def name="room" filename="data\scenes\room.xml"/>
                        </scene_defs>)");
    Ref<IUserProfile> ann = game->GetUserProfiles()->GetOrCreate("Ann");
    ann->SetDataStorage(story);
    game->GetUserProfiles()->SetCurrent("Ann");
    ShowAndSettle("GS_SelectTask", SingleParam("play_mode", Variant(1)));
  }
  TTavelor2GameScreenSelectTask* Map() {
    return ScreenAs<TTavelor2GameScreenSelectTask>("GS_SelectTask");
  }
  Ref<IUserGameData> Progress() { return Map()->GetProgress(); }
  Ref<IUGDTask> TaskOf(const std::string& caseName, const std::string& stage,
                       const std::string& task) {
    Ref<IUGDCase> c = Progress()->GetCases()->GetItem(Variant(caseName));
    Ref<IUGDStage> s = c ? c->GetStages()->GetItem(Variant(stage)) : nullptr;
    return s ? s->GetTasks()->GetItem(Variant(task)) : nullptr;
  }
  // The play screen finishes the task it was started on.
  void PlayAndWin(const std::string& caseName, const std::string& stage, const std::string& task) {
    Send("GS_SelectTask", "button_start");
    ASSERT_EQ(game->GetTopScreenName(), "GS_Game");
    TaskOf(caseName, stage, task)->SetCompleted(true);
    game->CloseScreen(Slave("GS_Game"), nullptr);
  }
};

TEST_F(TaskMap, ASelectedLabelSaysHowManyObjectsAreLeft) {
  MultiLanguages()->SetString("3_label_objects_left_count", "three to find");
  MultiLanguages()->SetString("5_label_objects_left_count", "five to find");
  MultiLanguages()->SetString("n_label_objects_left_count", "some to find");
  struct Row {
    int32_t count;
    std::string text;
  } rows[] = {
      {3, "three to find"},
      {21, "%label_objects_left_count%"},
      {1, "%label_objects_left_count%"},
      {25, "five to find"},
      {7, "some to find"},  // no key of its own
      {0, ""},
      {-1, ""},
  };
  for (const Row& c : rows)
    EXPECT_EQ(TTavelor2GameScreenSelectTask::ObjectsLeftText(c.count), c.text) << c.count;

  StartMap(Story(
      Case("c1", Stage("s1", Task("t1", P("scenename", "room") + P("objects_left_count", "25"))))));
  EXPECT_EQ(Map()->GetSelectedTask(), "t1");
  EXPECT_EQ(Map()->GetSharedParams()->GetValue("label_objects_left_count").ToString(),
            "five to find");
  EXPECT_EQ(Children("GS_SelectTask", "labels_group"), (Ids{"t1", "t1_selected"}));
  MultiLanguages()->ClearStrings();
}

TEST_F(TaskMap, TasksWithoutACountShowTheirScenesCountForTheirKind) {
  std::string tasks;
  // "high" tasks carry the task type's top bit, which is no part of the level kind.
  for (int kind = 0; kind <= 5; ++kind) {
    tasks += Task("k" + std::to_string(kind), P("scenename", "room"), kind);
    tasks += Task("high" + std::to_string(kind), P("scenename", "room"), 128 | kind);
  }
  tasks += Task("own", P("scenename", "room") + P("objects_left_count", "4"), 2);
  tasks += Task("elsewhere", P("scenename", "nowhere") + P("enable_own_scene", "no"), 0);
  StartMap(Story(Case("c1", Stage("s1", tasks))));
  struct Row {
    const char* task;
    int32_t count;
  } rows[] = {{"k0", 5}, {"k1", 5},  {"k2", 7},  {"k3", -1},
              {"k4", 9}, {"k5", -1}, {"own", 4}, {"elsewhere", -1}};
  for (const Row& c : rows) {
    EXPECT_EQ(Map()->CountObjectsLeft(TaskOf("c1", "s1", c.task)), c.count) << c.task;
    if (c.task[0] == 'k') {
      EXPECT_EQ(Map()->CountObjectsLeft(TaskOf("c1", "s1", "high" + std::string(c.task + 1))),
                c.count)
          << c.task << " with the top bit";
    }
  }
}

TEST_F(TaskMap, AStartScreenOpensFirstAndItsClosingStartsTheTask) {
  StartMap(Story(
      Case("c1", Stage("s1", R"(<task name="t1" tasktype="0"><params>)" + P("scenename", "room") +
                                 P("start_screen_name", "start_t1") + "</params></task>")),
      R"(Level="1" play_mode="0")"));
  Send("GS_SelectTask", "button_start");
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_SelectTask", "start_t1"}));
  game->CloseScreen(Slave("start_t1"), nullptr);
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_SelectTask", "GS_Game"}));
  EXPECT_EQ(Map()->GetSharedParams()->GetValue("task").ToString(), "t1");
  EXPECT_EQ(Map()->GetSharedParams()->GetValue("case").ToString(), "c1");
  EXPECT_EQ(Map()->GetSharedParams()->GetValue("stage").ToString(), "s1");
  EXPECT_EQ(Map()->GetSharedParams()->GetValue("play_mode").ToInt(), 1);
  EXPECT_EQ(Map()->GetSharedParams()->GetValue("text").ToString(), "c1 - s1");
}

TEST_F(TaskMap, ATaskOfferingScenesGoesThroughTheScenePicker) {
  StartMap(Story(Case("c1", Stage("s1", Task("t1", P("select_scene_names", "room;attic"))))));
  Send("GS_SelectTask", "button_start");
  EXPECT_EQ(game->GetTopScreenName(), "GS_SelectScene");
  // The picker writes the choice into the task's own parameters.
  Ref<IParamCollection> task = TaskOf("c1", "s1", "t1")->GetParams();
  task->Delete(Variant("select_scene_names"));
  task->SetValue("scenename", Variant("room"));
  game->CloseScreen(Slave("GS_SelectScene"), nullptr);
  EXPECT_EQ(game->GetTopScreenName(), "GS_SelectTask");
  Send("GS_SelectTask", "button_start");
  EXPECT_EQ(game->GetTopScreenName(), "GS_Game");
}

TEST_F(TaskMap, ClicksSelectALabelThenStartIt) {
  StartMap(Story(Case(
      "c1", Stage("s1", Task("t1", P("scenename", "room")) + Task("t2", P("scenename", "room"))))));
  EXPECT_EQ(Map()->GetSelectedTask(), "t1");
  Press(255, 55);  // t2 at 250 x 1, 50 x 1
  EXPECT_EQ(Map()->GetSelectedTask(), "t2");
  EXPECT_EQ(game->GetTopScreenName(), "GS_SelectTask");
  Press(255, 55);
  EXPECT_EQ(game->GetTopScreenName(), "GS_Game");
  EXPECT_EQ(Map()->GetSharedParams()->GetValue("task").ToString(), "t2");
}

TEST_F(TaskMap, AFinishedCaseStartsTheNextAtTheNextTenAndTheTaskAddsOne) {
  StartMap(Story(Case("c1", Stage("s1", Task("t1", P("scenename", "room")))) +
                     Case("c2", Stage("s2", Task("t2", P("scenename", "room")))),
                 R"(Level="17")"));
  PlayAndWin("c1", "s1", "t1");
  EXPECT_EQ(Progress()->GetLevel(), 21);
  EXPECT_EQ(Param(Progress(), "currentcase"), "c2");
  EXPECT_EQ(Map()->GetSelectedTask(), "t2");
  EXPECT_TRUE(Progress()->GetCases()->GetItem(Variant("c1"))->IsCompleted());
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_SelectTask"}));
}

TEST_F(TaskMap, TheLevelCounterSaturates) {
  StartMap(Story(Case("c1", Stage("s1", Task("t1", P("scenename", "room")))) +
                     Case("c2", Stage("s2", Task("t2", P("scenename", "room")) +
                                                Task("t3", P("scenename", "room")))),
                 R"(Level="2147483645")"));
  PlayAndWin("c1", "s1", "t1");
  EXPECT_EQ(Progress()->GetLevel(), 2147483647);
  PlayAndWin("c2", "s2", "t2");
  EXPECT_EQ(Progress()->GetLevel(), 2147483647);
}

TEST_F(TaskMap, FinishingTheLastTaskStartsTheStoryAnewAndCloses) {
  StartMap(Story(Case("c1", Stage("s1", Task("t1", P("scenename", "room"))))));
  PlayAndWin("c1", "s1", "t1");
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(game->GetParamValue("user_game_data").IsClear(), true);
  Ref<TUserGameData> stored = TAbstractObject::Create<TUserGameData>();
  stored->AttachProfile(game->GetUserProfiles()->GetCurrent());
  EXPECT_EQ(Param(stored, "currentcase"), "fresh");
  EXPECT_FALSE(stored->GetCases()->GetItem(Variant("c1")));
}

TEST_F(TaskMap, ANewPlayerWithOnlyAPlayModeGetsTheScenario) {
  StartMap(R"(<gamescreen play_mode="1"/>)");
  ASSERT_TRUE(Progress());
  EXPECT_EQ(Param(Progress(), "currentcase"), "fresh");
  EXPECT_EQ(Map()->GetSelectedTask(), "ft1");
  EXPECT_EQ(Children("GS_SelectTask", "labels_group"), (Ids{"ft1", "ft1_selected"}));
  // Published for the screens above, stored back when the map closes.
  EXPECT_EQ(game->GetParamValue("user_game_data").RawInterface().get(),
            Ref<IInterface>(Progress().get()).get());
  game->CloseScreen(Slave("GS_SelectTask"), nullptr);
  EXPECT_NE(game->GetUserProfiles()->GetCurrent()->GetDataStorage().find("ft1"), std::string::npos);
}

TEST_F(TaskMap, ATaskWithoutAPlayableSceneCountsAsPlayedUnlessNoSceneListIsThere) {
  StartMap(Story(Case("c1", Stage("s1", Task("t1", P("scenename", "attic")) +
                                            Task("t2", P("scenename", "room"))))));
  WarningCapture warnings;
  Send("GS_SelectTask", "button_start");
  EXPECT_TRUE(TaskOf("c1", "s1", "t1")->IsCompleted());
  EXPECT_EQ(Map()->GetSelectedTask(), "t2");
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_SelectTask"}));
  const std::string said =
      "warning: data\\ini\\scenarios\\default.ini: task \"t1\": scene \"attic\" is not in the "
      "scene list (data\\ini\\scenes.ini); the task is done without play";
  EXPECT_NE(std::find(warnings.Lines().begin(), warnings.Lines().end(), said),
            warnings.Lines().end());
  warnings.Clear();

  game->SetParamValue("scene_defs", Variant::Null());
  Send("GS_SelectTask", "button_start");
  EXPECT_FALSE(TaskOf("c1", "s1", "t2")->IsCompleted());
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_SelectTask"}));
  EXPECT_EQ(warnings.Lines().size(), 1u);
}

TEST_F(TaskMap, ACaseOfferingCasesOpensTheCasePicker) {
  StartMap(Story(Case("c1", Stage("s1", Task("t1", P("scenename", "room"))),
                      P("select_case_names", "c2;c3"))));
  EXPECT_EQ(game->GetTopScreenName(), "GS_SelectCase");
  EXPECT_EQ(Param(Progress(), "select_case_names"), "c2;c3");
  EXPECT_EQ(Param(Progress()->GetCases()->GetItem(Variant("c1")), "select_case_names"), "");
  game->CloseScreen(Slave("GS_SelectCase"), nullptr);
  EXPECT_EQ(game->GetTopScreenName(), "GS_SelectTask");
  EXPECT_EQ(Map()->GetSelectedTask(), "t1");
}

}  // namespace
