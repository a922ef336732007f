// What the item panel and the flights cost each frame: an idle frame of a panel of twenty
// items (budget 1 µs, no allocation), one found item hidden with the nineteen behind it
// starting their moves (budget 1 ms), the falling-object manager's update with ten
// flights in their show phase, and a fly widget's update (neither allocates). Counters:
// heap allocations per frame (or update).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "foundation/EngineGeneralClasses.h"
#include "gameplay/Tv2ManagerFallObj.h"
#include "gameplay/Tv2PanelManagers.h"
#include "gameplay/Tv2SceneDefs.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/FakeGameManagersOwner.h"
#include "tests/support/PanelFactories.h"

namespace {

constexpr int kItems = 20;
constexpr int kFlights = 10;

const char* const kLayout =
    R"(\shapes_items_interval=12\shapes_all_items_max_width=2000\shapes_max_height=70)"
    R"(\shapes_max_width=90\shapes_items_add_type=1\shapes_items_move_speed=2)";

// The phases of a flight stay alive: the flights wait in their show phase.
const char* const kPhaseFactories = R"(
  <widgetfactory type="WidgetFactory" name="gamefield_find_obj_show"><widgetstring>
    <widget type="test_box" name="show_%name_clone0%"/>
  </widgetstring></widgetfactory>)";

struct Play : FakePlayScreenGame {
  Play()
      : FakePlayScreenGame(panel_support::UiGroup(kLayout),
                           std::string(panel_support::kPanelItemFactories) + kPhaseFactories) {
    panel = owner->GetPanelManager();
    for (int i = 0; i < kItems; ++i) {
      Ref<TSceneObjectDef> object = TAbstractObject::Create<TSceneObjectDef>();
      object->SetName(std::string("o").append(std::to_string(i)));
      object->SetWidth(40 + i % 3 * 10);
      object->SetHeight(60);
      objects.push_back(Ref<ISceneObjectDef>(object.get()));
    }
  }
  // A hidden-shapes manager with every object listed, driven by the panel.
  Ref<THiddenShapesPanelManager> Fill() {
    Ref<THiddenShapesPanelManager> manager = TAbstractObject::Create<THiddenShapesPanelManager>();
    manager->Bind(owner, -1);
    for (const Ref<ISceneObjectDef>& object : objects) manager->AddItem(object);
    panel->SetPanelManager(Ref<IPanelManager>(manager.get()));
    return manager;
  }
  void Empty(const Ref<THiddenShapesPanelManager>& manager) {
    manager->Unbind();
    panel->SetPanelManager(nullptr);
    panel->GetChildren()->Clear();
  }

  Ref<IItemListPanelWidget> panel;
  std::vector<Ref<ISceneObjectDef>> objects;
};

// Allocations per call of Step over a thousand calls, after a few to settle.
template <class F>
double AllocationsPer(F step) {
  for (int i = 0; i < 10; ++i) step();
  return allocation_count::PerCall(1000, step);
}

void BM_PanelIdleFrame(benchmark::State& state) {
  Play play;
  Ref<THiddenShapesPanelManager> manager = play.Fill();
  auto frame = [&] { play.panel->Process(16); };
  double allocs = AllocationsPer(frame);
  for (auto _ : state) frame();
  state.counters["items"] = kItems;
  state.counters["allocs/frame"] = allocs;
  play.Empty(manager);
}
BENCHMARK(BM_PanelIdleFrame)->Unit(benchmark::kNanosecond);

void BM_HideOneStartNineteenMoves(benchmark::State& state) {
  Play play;
  for (auto _ : state) {
    state.PauseTiming();
    Ref<THiddenShapesPanelManager> manager = play.Fill();
    state.ResumeTiming();
    manager->ObjectFound(play.objects[0]);
    manager->ProcessPendingHides();
    state.PauseTiming();
    play.Empty(manager);
    state.ResumeTiming();
  }
  state.counters["moves"] = kItems - 1;
}
BENCHMARK(BM_HideOneStartNineteenMoves)->Unit(benchmark::kMicrosecond);

void BM_FallingObjectsUpdate(benchmark::State& state) {
  Play play;
  Ref<THiddenShapesPanelManager> panelManager = play.Fill();
  Ref<TAbstractFallObjManager> manager = TAbstractObject::Create<TAbstractFallObjManager>();
  manager->Bind(play.owner);
  for (int i = 0; i < kFlights; ++i) {
    const Ref<ISceneObjectDef>& object = play.objects[size_t(i)];
    Ref<ISceneObjectLocation> place =
        object->GetLocations()->AddLocation("", 100 + i * 50, 300, 0, 255, 1, 1, 0);
    Ref<IWidget> widget = play.owner->CreateSceneObjectWidget(object, place, 0, gkObjects);
    manager->AddObject(widget, nullptr);
  }
  auto update = [&] { manager->Update(); };
  double allocs = AllocationsPer(update);
  for (auto _ : state) update();
  state.counters["flights"] = manager->GetFlightCount();
  state.counters["allocs/update"] = allocs;
  manager->Clear();
  play.Empty(panelManager);
}
BENCHMARK(BM_FallingObjectsUpdate)->Unit(benchmark::kNanosecond);

void BM_FlyWidgetUpdate(benchmark::State& state) {
  Play play;
  Ref<IWidget> fly = Supports<IWidget>(CreateNamedObject("fly_widget", "fly"));
  for (const char* name : {"startposx", "startposy"}) fly->SetProperty(name, Variant(0));
  fly->SetProperty("endposx", Variant(1000));
  fly->SetProperty("endposy", Variant(-500));
  fly->SetProperty("timetolive", Variant(2000000000));
  fly->SetVisible(true);
  play.owner->AddWidgetToGroup(fly, gkAnimation, "");
  auto update = [&] { fly->Process(16); };
  double allocs = AllocationsPer(update);
  for (auto _ : state) update();
  state.counters["allocs/update"] = allocs;
  state.counters["dead"] = fly->IsDead();
}
BENCHMARK(BM_FlyWidgetUpdate)->Unit(benchmark::kNanosecond);

}  // namespace
