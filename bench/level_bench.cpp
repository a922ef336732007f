// What a running level costs: its start (the scene document read, 200 objects entered,
// their widgets made plainly), one find in it (the click judged, the activation played,
// the object taken off the level), and one frame of a level with animations running (the
// level's update, the end test and three scenarios), with its allocations counted.
#include <benchmark/benchmark.h>

#include <string>

#include "foundation/Random.h"
#include "foundation/XMLStorage.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2LevelManagers.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "shell/Game.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/FakeGameManagersOwner.h"

namespace {

constexpr int kObjects = 200;

// Objects carried to their places in a quest: wanted without a panel.
std::string SceneDocument() {
  std::string text = "<scene_def><object_defs>";
  for (int i = 0; i < kObjects; ++i) {
    std::string name = "obj" + std::to_string(i);
    text += "<object_def name=\"" + name + "\" objecttype=\"4\" disabled_on_start=\"yes\" " +
            "caption=\"cap_" + name + "\" width=\"40\" height=\"30\"><locations>" +
            "<location name=\"l1\" anchor_left=\"" + std::to_string(10 + i * 4) +
            "\" anchor_top=\"300\"><actions><action condition_type=\"1\" action_type=\"3\" " +
            "action_string=\"nothing\"/></actions></location></locations></object_def>";
  }
  return text + "</object_defs></scene_def>";
}

struct Play : FakePlayScreenGame {
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  Ref<TUGDScene> scene = TAbstractObject::Create<TUGDScene>();
  Ref<TAbstractLevelManager> level;

  Play() {
    Tv2DeclarationsInit();
    Write("room.xml", SceneDocument());
    Write("scenes.ini", R"(<scene_defs><scene_def name="room" filename="room.xml"/></scene_defs>)");
    Publish("scene_defs", Ref<IInterface>(LoadSceneDefRefs("scenes.ini").get()));
    scene->SetName("room");
    scene->SetGenerated(true);
    std::string list = ";";
    for (int i = 0; i < kObjects; ++i) list += "obj" + std::to_string(i) + "/l1;";
    scene->SetParamValue("do_names", Variant(list));
    progress->GetScenes()->Add(Ref<IUGDScene>(scene.get()));
    Ref<TUGDTask> task = TAbstractObject::Create<TUGDTask>();
    task->SetParamValue("scenename", Variant("room"));
    owner->SetProgress(Ref<IUserGameData>(progress.get()), nullptr, nullptr,
                       Ref<IUGDTask>(task.get()));
  }

  // The level and its widgets go before the owner that they point back to.
  ~Play() { Clear(); }

  void Clear() {
    if (level) level->Done();
    level = nullptr;
    for (uint8_t kind : {gkObjects, gkApproaches, gkAnimation})
      owner->GetWidgetGroup(kind)->GetChildren()->Clear();
  }
  // A new level over the same scene.
  void Restart() {
    Clear();
    Start();
  }
  void Start() {
    level = Supports<TAbstractLevelManager>(CreateNamedObject("LevelManagerQuest"));
    owner->SetLevelManager(Ref<ILevelManager>(level.get()));
    level->Init(owner);
    level->LoadScene();
    level->StartLevel();
  }
  void Find(int i) {
    Ref<IWidget> widget =
        owner->GetWidgetGroup(gkObjects)->GetChildren()->GetByIndex(i % kObjects);
    Ref<ISceneObjectDef> object;
    Ref<ISceneObjectLocation> location;
    owner->GetObjectDefs(widget, object, location);
    level->ObjectClicked(widget, object, location, TPoint{100, 300});
    level->AfterActivation(widget, object, location);
  }
  void Frame() {
    level->Update();
    benchmark::DoNotOptimize(level->AllObjectsFound());
    Ref<IWidget> animations = owner->GetWidgetGroup(gkAnimation);
    animations->Process(16);
    animations->UpdateDirtyRects(false, false);
  }
  void AddScenario(const std::string& xml) {
    Ref<IHierStorageRoot> node = LoadXmlStorageFromText(xml);
    Ref<IWidget> scenario = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(node.get())));
    owner->AddWidgetToGroup(scenario, gkAnimation, {});
  }
};

Play& Game() {
  static Play play;
  return play;
}

void BM_LevelStart(benchmark::State& state) {
  Play& play = Game();
  for (auto _ : state) {
    state.PauseTiming();
    play.Clear();
    state.ResumeTiming();
    play.Start();
  }
  if (play.level->RemainingCount() != kObjects) state.SkipWithError("objects missing");
  state.counters["objects"] = kObjects;
}
BENCHMARK(BM_LevelStart)->Unit(benchmark::kMillisecond);

void BM_LevelFind(benchmark::State& state) {
  Play& play = Game();
  play.Restart();
  int found = 0;
  for (auto _ : state) {
    if (found == kObjects) {
      state.PauseTiming();
      play.Restart();
      found = 0;
      state.ResumeTiming();
    }
    play.Find(found++);
  }
  state.counters["objects"] = kObjects;
}
BENCHMARK(BM_LevelFind)->Unit(benchmark::kMicrosecond);

void BM_LevelFrame(benchmark::State& state) {
  Play& play = Game();
  play.Restart();
  for (int i = 0; i < kObjects / 2; ++i) play.Find(i);
  // A penalty waiting on its timer, a panel item gliding, and a level opening waiting for
  // its child.
  play.AddScenario(R"(<widget type="state_scenario_penalty" name="penalty" duration="100000000"/>)");
  play.AddScenario(R"(<widget type="state_scenario_panel_item_move" name="glide"
      widgetname="objects_group/obj199_l1" endposx="900" endposy="10"
      max_anim_time="100000000"/>)");
  play.AddScenario(R"(<widget type="state_scenario_game_start_level" name="start"><widgets>
      <widget type="test_box" name="title" timetolive="100000000"/></widgets></widget>)");
  for (int i = 0; i < 10; ++i) play.Frame();

  constexpr int kCountedFrames = 1000;
  const double allocsPerFrame = allocation_count::PerCall(kCountedFrames, [&] { play.Frame(); });

  for (auto _ : state) play.Frame();
  if (play.owner->GetWidgetGroup(gkAnimation)->GetChildren()->Count() != 3)
    state.SkipWithError("a scenario ended");
  state.counters["allocs/frame"] = allocsPerFrame;
}
BENCHMARK(BM_LevelFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
