// The story flow over any progress and any scenario, through the diary and through the task
// map: showing them, starting tasks, settling them, map clicks, scene choices, the case and
// scene pickers' clicks and controls, the results of the screens they open and resets must
// end, without a crash and without unbounded depth, and leave the screen stack sound (the
// main menu at the bottom, at most one of each screen).
//
// The diary's pages are the real ones, on a case whose participants the data may name; so
// are the task map and both pickers.
//
// Input: eight action bytes, then the player's progress document, a byte 0xFF, and the
// scenario document ("data\ini\scenarios\default.ini"). Bytes below 0x80 act on the diary
// over the play screen (shown first when the first byte is one of them); the others on the
// map, the pickers and the play screen itself.
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

// A label factory for the map and the pickers: test boxes at the factory's anchors.
std::string LabelFactory(const std::string& name) {
  return R"(<widgetfactory type="WidgetFactory" name=")" + name +
         R"("><widgetstring><widget type="test_box" name="%name%" visible="yes" mousestop="yes"
           anchor_left="%anchor_left%" anchor_top="%anchor_top%" width="40" height="20"/>
         </widgetstring></widgetfactory>)";
}

std::string PickerWindow(const std::string& factory) {
  return "<widgetfactories>" + LabelFactory(factory) + R"(</widgetfactories><widgets>
      <widget type="group_widget" name="labels_group" visible="yes" mousestop="yes"/>
      <widget type="test_box" name="button_ok"/></widgets>)";
}

std::string MapWindow() {
  return "<widgetfactories>" + LabelFactory("task_label") + LabelFactory("selected_task_label") +
         R"(</widgetfactories><widgets>
      <widget type="group_widget" name="labels_group" visible="yes" mousestop="yes"/>
      <widget type="group_widget" name="animation_group" visible="yes"/>
      <widget type="text_widget" name="current_level_caption"/>
      <widget type="test_box" name="black_screen"/><widget type="test_box" name="button_start"/>
      </widgets>)";
}

// A game of the main menu, the play screen, the diary, the task map, the pickers and the
// screens they open, in a working folder of its own, with warnings kept quiet.
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
    std::string screens =
        Screen("GS_Diary", "Tavelor2GameScreenDiary", DiaryWindow()) +
        Screen("GS_SelectTask", "Tavelor2GameScreenSelectTask", MapWindow()) +
        Screen("GS_SelectCase", "Tavelor2GameScreenSelectCase", PickerWindow("case_label")) +
        Screen("GS_SelectScene", "Tavelor2GameScreenSelectScene", PickerWindow("scene_label"));
    for (const char* id : {"GS_Main", "GS_Game", "GS_End", "GS_Start", "GS_Comics_final"})
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
    Check(game->ShowScreen("GS_Main", nullptr));
    Check(game->ShowScreen("GS_Game", nullptr));
  }

  void Frame() {
    game->Update(250);
    game->InvalidateAll();
  }

  bool DiaryOnTop() { return game->GetTopScreenName() == "GS_Diary"; }

  // Closes the top screen; the main menu stays, and so does the play screen unless Play.
  void CloseTop(const char* result, bool play = false) {
    const std::string top = game->GetTopScreenName();
    if (top == "GS_Main" || (top == "GS_Game" && !play)) return;
    Ref<IGameScreenSlave> screen = game->GetScreens()->GetScreen(Variant(top));
    game->CloseScreen(screen.get(), result ? ParamsFromString(result) : nullptr);
  }

  // The top screen's control Name sends its click.
  void Control(const std::string& name) {
    Ref<IGameScreenSlave> top = game->GetScreens()->GetScreen(Variant(game->GetTopScreenName()));
    auto* handler = dynamic_cast<IEventHandler*>(top.get());
    if (!handler) return;
    Ref<TestBoxWidget> sender = TAbstractObject::Create<TestBoxWidget>();
    sender->SetName(name);
    handler->OnWidgetEvent(sender.get(), 1, 0);
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
    if (action & 0x80) return ActOnMapAndPickers(action);
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

  // Bits 4-6 choose the action, bit 3 a variant, bits 0-2 a label's place in its list.
  void ActOnMapAndPickers(uint8_t action) {
    const bool variant = action & 8;
    const int32_t i = action & 7;
    const uint32_t press = variant ? input::kRightButtonDown : input::kLeftButtonDown;
    switch ((action >> 4) & 7) {
      case 0:
        return CloseTop(variant ? "user_quit=yes" : nullptr, true);
      case 1:
        if (game->GetTopScreenName() == "GS_Main")
          game->ShowScreen("GS_SelectTask",
                           ParamsFromString(variant ? "play_mode=1" : "play_mode=0"));
        return;
      case 2:  // a task label on the map
        game->HandleMouse(press, {250 * i + 5, 50 * i + 5}, 0);
        return;
      case 3:  // a case label
        game->HandleMouse(press, {5, 300 * i + 5}, 0);
        return;
      case 4:  // a scene label
        game->HandleMouse(press, {200 * i + 5, 40 * i + 5}, 0);
        return;
      case 5:
        return Control(variant ? "button_start" : "button_ok");
      case 6: {
        static const char* const results[] = {"", "enable_scene_name=garden", "user_quit=yes",
                                              "show_end_screen=yes\\end_screen_name=GS_Start"};
        return CloseTop(results[i % 4]);
      }
      default:
        if (variant)
          game->ShowScreen("GS_SelectScene",
                           ParamsFromString("select_scene_names=market;garden\\scenename=market"));
        else
          game->ShowScreen("GS_SelectCase", nullptr);
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
  if (!(data[0] & 0x80)) play.game->ShowScreen("GS_Diary", ParamsFromString("show_diary=1"));
  for (size_t i = 0; i < kActions; ++i) {
    play.Frame();
    play.Act(data[i]);
    Ref<IGSCollection> stack = play.game->GetStack();
    Check(stack->Count() >= 1);
    Check(stack->GetScreen(Variant(0))->GetName() == "GS_Main");
    for (int below = 0; below < stack->Count(); ++below)
      for (int above = below + 1; above < stack->Count(); ++above)
        Check(stack->GetScreen(Variant(below))->GetName() !=
              stack->GetScreen(Variant(above))->GetName());
  }
  play.game->Done();
  play.game = nullptr;
  return 0;
}
