// A level played from a saved task of any values: the task's type (0 to 255), its times,
// its play mode and any further parameters (scene names, factories, quest keys, counters)
// must set up, start, take presses, run its frames and end without a crash or a hang.
//
// Input: a byte for the task type, four bytes each for "task_time" and "given_time", a byte
// for the play mode, then a parameter string of further task parameters.
#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/Params.h"
#include "foundation/Random.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "platform/InputConstants.h"
#include "shell/Game.h"
#include "tests/support/GameFixture.h"
#include "tests/support/PlayScreenGame.h"

namespace {

const char* const kScene = R"(<scene_def><widgetfactories>
    <widgetfactory type="WidgetFactory" name="complete_scene"><widgetstring>
      <widget type="test_box" name="complete_scene"/></widgetstring></widgetfactory>
    <widgetfactory type="WidgetFactory" name="mg_box"><widgetstring>
      <widget type="test_box" name="minigame_box" visible="yes" extraparams="\instance_hint=mg_hint\win=0\need_skip=1"/>
    </widgetstring></widgetfactory></widgetfactories>
  <scene_approaches>
    <scene_approach name="box" anchor_left="212" anchor_top="90" approach_show_factories="mg_box"
                    width="600" height="440"/></scene_approaches>
  <object_defs>
    <object_def name="cup" objecttype="0" caption="cup" width="40" height="40">
      <locations><location name="l1" anchor_left="100" anchor_top="100"/></locations></object_def>
    <object_def name="lamp" objecttype="1" caption="lamp" width="40" height="40">
      <locations><location name="l1" anchor_left="300" anchor_top="100"/></locations></object_def>
    <object_def name="key" objecttype="4" width="40" height="40">
      <locations><location name="l1" anchor_left="500" anchor_top="100"/>
        <location name="l2" anchor_left="500" anchor_top="300"/></locations></object_def>
    <object_def name="doll" objecttype="7" width="40" height="40">
      <locations><location name="l1" anchor_left="700" anchor_top="100"/></locations></object_def>
    <object_def name="door" objecttype="6" width="40" height="40">
      <locations><location name="l1" anchor_left="900" anchor_top="100">
        <actions><action condition_type="1" action_type="1" action_string="box"/></actions>
      </location></locations></object_def>
  </object_defs></scene_def>)";

const char* const kLists =
    R"(<param name="ho_names" value=";cup/l1;"/><param name="io_names" value=";lamp/l1;"/>)"
    R"(<param name="do_names" value=";key/l1;"/><param name="vd_names" value=";doll/l1;"/>)"
    R"(<param name="aa_names" value=";door/l1;"/>)";

int32_t Int32(const uint8_t* data) {
  uint32_t value;
  std::memcpy(&value, data, 4);
  return int32_t(value);
}

std::string Escaped(std::string text) {
  std::string result;
  for (char c : text) {
    if (c == '"')
      result += "&quot;";
    else if (c == '<')
      result += "&lt;";
    else if (c == '&')
      result += "&amp;";
    else if (uint8_t(c) >= 32)
      result += c;
  }
  return result;
}

struct Play : PlayScreenGame {
  Play() {
    Write("scenes.ini", R"(<scene_defs><scene_def name="room" filename="room.xml"/></scene_defs>)");
    Write("room.xml", kScene);
    Publish("scene_defs", Ref<IInterface>(LoadSceneDefRefs("scenes.ini").get()));
  }
};

void Press(Play& play, const TPoint& point, uint32_t down, uint32_t up) {
  play.engine->cursor = point;
  play.game->HandleMouse(input::kMouseMove, point, 0);
  play.game->HandleMouse(down, point, 0);
  play.game->HandleMouse(up, point, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Play play;
  if (size < 10) return 0;
  SetRandomSeed(size);
  std::string task = "<param name=\"scenename\" value=\"room\"/>";
  task += "<param name=\"task_time\" value=\"" + std::to_string(Int32(data + 1)) + "\"/>";
  task += "<param name=\"given_time\" value=\"" + std::to_string(Int32(data + 5)) + "\"/>";
  std::string progressText =
      "<usergamedata play_mode=\"" + std::to_string(data[9] % 3) +
      "\"><scenes><scene name=\"room\" generated=\"yes\"><params>" + kLists +
      "<param name=\"scenename\" value=\"room\"/></params></scene></scenes>"
      "<cases><case name=\"c\"><stages><stage name=\"s\"><tasks>"
      "<task name=\"t\" tasktype=\"" +
      std::to_string(data[0]) + "\"><params>" + task +
      "</params></task></tasks></stage></stages></case></cases></usergamedata>";
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  std::string problem;
  if (Ref<IHierStorageRoot> storage = ParseDataText(progressText, problem))
    storage->LoadObject(progress.get());
  // The rest: further task parameters, any names and values.
  Ref<IUGDTask> saved = progress->GetCases()
                            ->GetItem(Variant("c"))
                            ->GetStages()
                            ->GetItem(Variant("s"))
                            ->GetTasks()
                            ->GetItem(Variant("t"));
  if (Ref<IParamCollection> extra = ParamsFromString(
          Escaped(std::string(reinterpret_cast<const char*>(data) + 10, size - 10))))
    for (int i = 0; i < extra->Count(); ++i)
      if (Ref<IParam> param = extra->FindParam(Variant(i)))
        saved->SetParamValue(param->GetName(), param->GetValue());
  play.Publish("user_game_data", Ref<IInterface>(progress.get()));

  play.Show("\\case=c\\stage=s\\task=t\\participant=p");
  play.CloseTop();
  play.screen->SetInputBlocked(false);
  for (int i = 0; i < 20; ++i) play.Frame(i % 5 == 4 ? 1500 : 16);
  const TPoint points[] = {{120, 120}, {320, 120}, {520, 120},  {920, 120}, {600, 600},
                           {55, 728},  {0, 0},     {1023, 767}, {400, 300}};
  for (const TPoint& point : points) {
    Press(play, point, input::kLeftButtonDown, input::kLeftButtonUp);
    play.Frame(16);
  }
  Press(play, {300, 300}, input::kRightButtonDown, input::kRightButtonUp);
  play.screen->UseHint();
  play.screen->StartAmulet();
  play.Frame(16);
  play.screen->StopAmulet();
  for (int i = 0; i < 10; ++i) play.Frame(4000);
  play.screen->LevelWon();
  play.screen->WriteLevelStatistics(true);
  for (int i = 0; i < 5 && !play.Top().empty(); ++i) {
    play.CloseTop();
    if (play.Top() == "GS_Game") play.screen->CloseGameScreen(nullptr);
    play.Frame(16);
  }
  // Whatever is left goes before the next input.
  while (!play.Top().empty()) {
    std::string top = play.Top();
    play.game->CloseScreen(play.game->GetScreens()->GetScreen(Variant(top)).get(), nullptr);
    play.Frame(16);
    if (play.Top() == top) break;
  }
  progress->ReleaseLinks();
  return 0;
}
