// The diary's story flow over any progress and any scenario: showing the diary, starting
// tasks, settling them, map clicks, scene choices, the results of the screens it opens and
// resets must end, without a crash and without unbounded depth, and leave the screen
// stack sound (the play screen at the bottom, at most one of each screen).
//
// The diary's pages are the real ones, on a case whose participants the data may name.
//
// Input: eight action bytes, then the player's progress document, a byte 0xFF, and the
// scenario document ("data\ini\scenarios\default.ini").
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/Params.h"
#include "foundation/ResourceReader.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "platform/InputConstants.h"
#include "screens/ScreensRegistration.h"
#include "screens/Tv2GameScreenDiary.h"
#include "shell/Game.h"
#include "tests/support/GameFixture.h"
#include "tests/support/QuietGameFolder.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr size_t kActions = 8;

std::string Screen(const std::string& id, const std::string& type, const std::string& window) {
  return "<gamescreen type=\"" + type + "\" name=\"" + id + "\"><window>" + window +
         "</window></gamescreen>";
}

std::string DiaryWindow() {
  const std::string label =
      R"(anchor_left="%anchor_left%" anchor_top="%anchor_top%" width="40" height="20" visible="yes"/>)";
  return R"(<widgetfactories>
      <widgetfactory type="WidgetFactory" name="task_label"><widgetstring>
        <widget type="test_box" name="label_%name%" )" +
         label + R"(</widgetstring></widgetfactory>
      <widgetfactory type="WidgetFactory" name="selected_task_label"><widgetstring>
        <widget type="test_box" name="selected_%name%" )" +
         label + R"(</widgetstring></widgetfactory>
      <widgetfactory type="WidgetFactory" name="select_scene"><widgetstring>
        <widget type="test_box" name="select_scene_%scenename%" anchor_top="%y%"/>
      </widgetstring></widgetfactory>
      <widgetfactory type="WidgetFactory" name="page_voodoo"><widgetstring>
        <widget type="diary_page_voodoo" name="page_voodoo" voodoo_count_need="1"><widgets>
          <widget type="group_widget" name="minigame"><widgets>
            <widget type="test_box" name="doll"/></widgets></widget>
          <widget type="test_box" name="start_minigame"/></widgets></widget>
      </widgetstring></widgetfactory>
      <widgetfactory type="WidgetFactory" name="page_participants"><widgetstring>
        <widget type="diary_participant_page" name="page_participants"><widgets>
          <widget type="group_widget" name="SelectSceneGroup"/>
          <widget type="group_widget" name="page1"><widgets>
            <widget type="test_box" name="client"/><widget type="test_box" name="candidate1"/>
          </widgets></widget></widgets></widget>
      </widgetstring></widgetfactory></widgetfactories><widgets>
      <widget type="diary_journal" name="page_journal"/>
      <widget type="group_widget" name="page_tasks" visible="yes"><widgets>
        <widget type="group_widget" name="labels_group" visible="yes"/>
        <widget type="group_widget" name="SelectSceneGroup"/></widgets></widget>
      <widget type="test_box" name="black_screen"/><widget type="test_box" name="hide_black"/>
      </widgets>)";
}

// A game of the play screen, the diary and the screens the diary opens, in a working folder
// of its own, with warnings kept quiet.
struct DiaryGame : QuietGameFolder {
  DiaryGame() : QuietGameFolder("diary_flow_") {
    RegisterGameTestClasses();
    RegisterScreensClasses();
    std::filesystem::create_directories(folder / "data" / "ini" / "scenarios");
    Write("data/ini/scenes.ini",
          R"(<scene_defs><scene_def name="market"/><scene_def name="garden"/></scene_defs>)");
    Write("data/ini/participants.ini",
          R"(<participants><participant name="odile" type="client" slot="page1/client"
               categories="light;tea"/><participant name="bastien" type="ideal_match"
               slot="page1/candidate1" categories="light"/></participants>)");
  }
  void Start(std::string_view progress, std::string_view scenario) {
    Write("data/ini/scenarios/default.ini", scenario);
    std::string screens = Screen("GS_Diary", "Tavelor2GameScreenDiary", DiaryWindow());
    for (const char* id :
         {"GS_Game", "GS_End", "GS_SelectScene", "GS_SelectCase", "GS_Comics_final"})
      screens += Screen(id, "test_screen", {});
    QuietGameFolder::Start(
        R"(<game type="Game" name="diary" splashlogosgs="" splashgs="" maings="" closequerygs="">
           <gamescreens>)" +
        screens + "</gamescreens></game>");
    Check(bool(game));
    game->SetParamValue("scene_defs",
                        Variant(Ref<IInterface>(LoadSceneDefRefs("data\\ini\\scenes.ini").get())));
    game->SetParamValue(
        "participants",
        Variant(Ref<IInterface>(LoadParticipants("data\\ini\\participants.ini").get())));
    Ref<IUserProfile> profile = game->GetUserProfiles()->GetOrCreate("Mira");
    game->GetUserProfiles()->SetCurrent("Mira");
    profile->SetDataStorage(std::string(progress));
    diary = dynamic_cast<TTavelor2GameScreenDiary*>(
        game->GetScreens()->GetScreen(Variant("GS_Diary")).get());
    Check(diary != nullptr);
    Check(game->ShowScreen("GS_Game", nullptr));
  }

  void Frame() {
    game->Update(250);
    game->InvalidateAll();
  }

  bool DiaryOnTop() { return game->GetTopScreenName() == "GS_Diary"; }

  void CloseTop(const char* result) {
    const std::string top = game->GetTopScreenName();
    if (top == "GS_Game") return;
    Ref<IGameScreenSlave> screen = game->GetScreens()->GetScreen(Variant(top));
    game->CloseScreen(screen.get(), result ? ParamsFromString(result) : nullptr);
  }

  void Click(const std::string& name, const std::string& properties) {
    if (!DiaryOnTop()) return;
    Ref<TestBoxWidget> sender = TAbstractObject::Create<TestBoxWidget>();
    sender->SetName(name);
    for (const TNameValuePair& pair : SplitNameValuePairs(properties, '\\', '='))
      sender->SetExtraParam(pair.Name, Variant(pair.Value));
    diary->OnWidgetEvent(sender.get(), 1, 0);
  }

  void Act(uint8_t action) {
    switch (action % 8) {
      case 0:
        return Click("button_start", {});
      case 1:
        return CloseTop(nullptr);
      case 2:
        return CloseTop("enable_scene_name=market");
      case 3:
        return CloseTop(action & 8 ? "user_quit=yes"
                                   : "show_end_screen=yes\\end_screen_name=GS_End");
      case 4:
        if (DiaryOnTop())
          game->HandleMouse(input::kLeftButtonDown, {5, int32_t((action >> 3) % 8) * 50 + 5}, 0);
        return;
      case 5:
        if (game->GetTopScreenName() == "GS_Game")
          game->ShowScreen("GS_Diary",
                           ParamsFromString(action & 8 ? "show_diary=1\\end_screen_name=GS_End"
                                                       : "show_diary=1\\tab=3"));
        return;
      case 6:
        return Click(action & 8 ? "select_scene_x" : "client", "scenename=garden\\task=t1");
      default:
        if (!DiaryOnTop()) return;
        if (action & 8)
          diary->ClientMatched("client;");
        else
          diary->OnTaskFinished();
    }
  }

  TTavelor2GameScreenDiary* diary = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static DiaryGame play;
  if (size < kActions) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data) + kActions, size - kActions);
  size_t split = rest.find('\xff');
  std::string_view progress = rest.substr(0, split);
  std::string_view scenario = split == std::string_view::npos ? rest : rest.substr(split + 1);
  play.Start(progress, scenario);
  play.game->ShowScreen("GS_Diary", ParamsFromString("show_diary=1"));
  for (size_t i = 0; i < kActions; ++i) {
    play.Frame();
    play.Act(data[i]);
    Ref<IGSCollection> stack = play.game->GetStack();
    Check(stack->Count() >= 1 && stack->Count() <= 6);
    Check(stack->GetScreen(Variant(0))->GetName() == "GS_Game");
  }
  play.game->Done();
  play.game = nullptr;
  return 0;
}
