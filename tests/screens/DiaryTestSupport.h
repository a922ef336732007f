#pragma once
// The diary's tests: a game with the play screen ("GS_Game", a test screen) and over it the
// diary, a current player whose progress the test writes, the screens the diary opens
// (test screens "GS_Letter", "GS_End", "GS_TaskStart", "GS_SelectScene", "GS_SelectCase",
// "GS_Comics_final") and page stand-ins (DiaryPageDoubles.h).
//
//   TTavelor2GameScreenDiary* diary = OpenDiary(Story(Case("c1", Stage("s1",
//       Task("t1", {{"scenename", "market"}})))));
//   Click("button_start");
//   EXPECT_EQ(GameResult(), "case=c1;stage=s1;task=t1;participant=;play_mode=0;");

#include <initializer_list>
#include <string>
#include <utility>

#include "foundation/Params.h"
#include "gameplay/Tv2UserGameData.h"
#include "screens/ScreensRegistration.h"
#include "screens/Tv2DiaryPages.h"
#include "screens/Tv2GameScreenDiary.h"
#include "tests/screens/DiaryPageDoubles.h"
#include "tests/support/FakeScreenOwner.h"
#include "tests/support/GameplayFixture.h"

namespace diary_test {

using Pairs = std::initializer_list<std::pair<std::string, std::string>>;

inline std::string ParamsXml(Pairs params) {
  if (params.size() == 0) return {};
  std::string xml = "<params>";
  for (const auto& [name, value] : params)
    xml += "<param name=\"" + name + "\" value=\"" + value + "\"/>";
  return xml + "</params>";
}

inline std::string Task(const std::string& name, Pairs params = {}, bool completed = false,
                        int type = 0) {
  return "<task name=\"" + name + "\" tasktype=\"" + std::to_string(type) + "\" completed=\"" +
         (completed ? "yes" : "no") + "\">" + ParamsXml(params) + "</task>";
}

inline std::string Stage(const std::string& name, const std::string& tasks, Pairs params = {},
                         bool completed = false) {
  return "<stage name=\"" + name + "\" completed=\"" + (completed ? "yes" : "no") + "\">" +
         ParamsXml(params) + "<tasks>" + tasks + "</tasks></stage>";
}

inline std::string Case(const std::string& name, const std::string& stages, Pairs params = {},
                        bool completed = false) {
  return "<case name=\"" + name + "\" completed=\"" + (completed ? "yes" : "no") + "\">" +
         ParamsXml(params) + "<stages>" + stages + "</stages></case>";
}

// The progress of the cases; Attrs go on the root ("Level=\"17\"").
inline std::string Story(const std::string& cases, const std::string& attrs = {}) {
  return "<usergamedata " + attrs + "><cases>" + cases + "</cases></usergamedata>";
}

// A scenario file of those cases.
inline std::string Scenario(const std::string& cases) {
  return "<scenario>" + cases + "</scenario>";
}

class DiaryFixture : public GameplayFixture {
 protected:
  DiaryFixture() {
    RegisterScreensClasses();
    RegisterDiaryPageDoubles();
    ResetDiaryPageDoubles();
  }
  ~DiaryFixture() override { ResetDiaryPageDoubles(); }

  // The diary's window: the tasks page with its label and scene-choice groups, the tab
  // buttons, the curtain widgets, a journal, and factories for labels ("label_" or
  // "selected_" + name, their parameters kept as extra parameters), scene choices
  // ("select_scene_" + scene) and the two rebuilt pages.
  static std::string DiaryWindow(const std::string& effects = {}) {
    auto box = [](const std::string& name, const std::string& attrs = {}) {
      return "<widget type=\"test_box\" name=\"" + name + "\" width=\"10\" height=\"10\" " + attrs +
             "/>";
    };
    auto group = [](const std::string& name, const std::string& inner,
                    const std::string& attrs = "visible=\"yes\"") {
      return "<widget type=\"group_widget\" name=\"" + name + "\" " + attrs + "><widgets>" + inner +
             "</widgets></widget>";
    };
    auto factory = [](const std::string& name, const std::string& widget) {
      return "<widgetfactory type=\"WidgetFactory\" name=\"" + name + "\"><widgetstring>" + widget +
             "</widgetstring></widgetfactory>";
    };
    const std::string label =
        R"(anchor_left="%anchor_left%" anchor_top="%anchor_top%" width="40" height="20" visible="yes" extraparams="\switch_card=%switch_card%\label_caption=%caption%\name1=%name1%\complete=%complete%"/>)";
    return effects + "<widgetfactories>" +
           factory("task_label", "<widget type=\"test_box\" name=\"label_%name%\" " + label) +
           factory("selected_task_label",
                   "<widget type=\"test_box\" name=\"selected_%name%\" " + label) +
           factory(
               "select_scene",
               R"(<widget type="test_box" name="select_scene_%scenename%" anchor_top="%y%" width="10" height="10" extraparams="\scenename=%scenename%\id=%id%"/>)") +
           factory(
               "page_voodoo",
               R"(<widget type="test_voodoo_page" name="page_voodoo" extraparams="\voodoo_count_need=2\minigame_result="><widgets><widget type="test_box" name="start_minigame"/><widget type="test_box" name="minigame" extraparams="\win=0\need_skip=0"/></widgets></widget>)") +
           factory(
               "page_participants",
               R"(<widget type="test_participant_page" name="page_participants"><widgets><widget type="group_widget" name="SelectSceneGroup"/><widget type="test_box" name="hide_all"/><widget type="group_widget" name="page1"/></widgets></widget>)") +
           "</widgetfactories><widgets>" +
           group("page_tasks",
                 group("labels_group", "", "visible=\"yes\" width=\"400\" height=\"400\"") +
                     group("SelectSceneGroup", "", "visible=\"no\"") + box("button_start")) +
           group("task_group", box("button_start", "visible=\"yes\"")) +
           group("tab_buttons", box("button_tasks", "anchor_left=\"40\" visible=\"yes\"") +
                                    box("button_participant", "anchor_left=\"190\"") +
                                    box("button_voodoo", "anchor_left=\"340\"") +
                                    box("button_journal", "anchor_left=\"490\"")) +
           "<widget type=\"test_journal_page\" name=\"page_journal\"/>" + box("black_screen") +
           box("show_black") + box("hide_black") + box("hide_desktop_screen") + "</widgets>";
  }

  static std::string OtherScreens() {
    std::string screens = ScreenXml("GS_Game", Box("game", 0, 0, 10, 10));
    for (const char* id : {"GS_Letter", "GS_End", "GS_TaskStart", "GS_SelectScene", "GS_SelectCase",
                           "GS_Comics_final"})
      screens += ScreenXml(id, Box(id, 0, 0, 10, 10));
    return screens;
  }

  // Starts the game with the player Mira whose progress is Progress (no progress when
  // empty), the scene list of SceneNames ("market;garden;"), then shows "GS_Game" and
  // over it "GS_Diary" with ShowParams.
  TTavelor2GameScreenDiary* OpenDiary(const std::string& progress,
                                      const std::string& showParams = "show_diary=1",
                                      const std::string& sceneNames = "market;garden;atelier;",
                                      const std::string& diaryEffects = {}) {
    Start(GameXml(OtherScreens() +
                  ScreenXml("GS_Diary", DiaryWindow(diaryEffects), "Tavelor2GameScreenDiary")));
    if (!game) return nullptr;
    std::string scenes;
    for (const std::string& name : SplitListNames(sceneNames))
      scenes += "<scene_def name=\"" + name + "\"/>";
    if (!scenes.empty()) PublishSceneDefs("<scene_defs>" + scenes + "</scene_defs>");
    Frame(16);
    Ref<IUserProfileCollection> profiles = game->GetUserProfiles();
    Ref<IUserProfile> profile = profiles->GetOrCreate("Mira");
    profiles->SetCurrent("Mira");
    profile->SetDataStorage(progress);
    diary = dynamic_cast<TTavelor2GameScreenDiary*>(
        game->GetScreens()->GetScreen(Variant("GS_Diary")).get());
    EXPECT_TRUE(diary) << "GS_Diary is no diary";
    EXPECT_TRUE(game->ShowScreen("GS_Game", nullptr));
    TakeLog();
    game->ShowScreen("GS_Diary", ParamsFromString(showParams));
    return diary;
  }

  Ref<IUserGameData> Progress() { return diary ? diary->GetUserGameData() : nullptr; }

  Ref<IUGDTask> FindTask(const std::string& caseName, const std::string& stageName,
                         const std::string& taskName) {
    Ref<IUserGameData> progress = Progress();
    Ref<IUGDCase> gameCase = progress ? progress->GetCases()->GetItem(Variant(caseName)) : nullptr;
    Ref<IUGDStage> stage = gameCase ? gameCase->GetStages()->GetItem(Variant(stageName)) : nullptr;
    return stage ? stage->GetTasks()->GetItem(Variant(taskName)) : nullptr;
  }

  // A control event of the diary from a widget of that name (and properties).
  void Click(const std::string& name, Pairs properties = {}, int32_t code = 1) {
    Ref<TestBoxWidget> sender = TAbstractObject::Create<TestBoxWidget>();
    sender->SetName(name);
    for (const auto& [property, value] : properties)
      sender->SetExtraParam(property, Variant(value));
    diary->OnWidgetEvent(sender.get(), code, 0);
  }

  // Closes the top screen (a screen the diary opened) with Result.
  void CloseTop(const std::string& result = {}) {
    std::vector<std::string> stack = Stack();
    ASSERT_FALSE(stack.empty());
    game->CloseScreen(game->GetScreens()->GetScreen(Variant(stack.back())).get(),
                      result.empty() ? nullptr : ParamsFromString(result));
  }

  // The diary's result as the play screen got it; "-" while the diary is on the stack.
  std::string GameResult() {
    std::vector<std::string> stack = Stack();
    if (std::find(stack.begin(), stack.end(), "GS_Diary") != stack.end()) return "-";
    TestGameScreen* play = Screen("GS_Game");
    return play && play->lastChild == "GS_Diary" ? DescribeParams(play->lastResult) : "?";
  }

  // How often the log shows "ID.OnShow".
  int Shown(const std::string& id) {
    int count = 0;
    for (const std::string& line : GameLog())
      if (line.rfind(id + ".OnShow(", 0) == 0) ++count;
    return count;
  }

  TTavelor2GameScreenDiary* diary = nullptr;
};

}  // namespace diary_test
