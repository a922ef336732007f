// Mini-games on the widget tests' fake screen. Reported beside the time: the heap
// allocations per frame (none expected once a game runs).
//
//   RhythmUpdate      the rhythm game's frame with 6 lanes of 20 live blips, by click, no
//                     spawn due (at most 5 us, no allocation)
//   TilePuzzleLoad    a 4 x 4 sliding-tile puzzle loaded from XML, its scramble making
//                     1,000 feedback widgets from a one-element template (at most 20 ms)

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <new>
#include <string>

#include "foundation/Random.h"
#include "foundation/XMLStorage.h"
#include "minigames/MiniGameGuitarHero.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"
#include "tests/support/CountingAllocator.h"

namespace {

struct Screen {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();

  Screen() {
    RegisterWidgetTestClasses();
    RegisterWidgetsClasses();
    RegisterMiniGamesClasses();
    SetRandomSeed(5);
    window->engine = engine.get();
  }
  ~Screen() { window->SetRoot(nullptr); }
  static Ref<IWidget> Load(const std::string& xml) {
    Ref<IHierStorageRoot> root = LoadXmlStorageFromText(xml);
    return Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
  }
};

std::string RhythmGame() {
  std::string layers, controls;
  for (int i = 0; i < 6; ++i) {
    std::string n = std::to_string(i), x = std::to_string(40 * i);
    layers += "<layer control_widget=\"ctl" + n + "\" respawn_left=\"" + x +
              "\" check_left=\"-9999\" check_right=\"9999\" check_top=\"600\" check_bottom=\"620\" "
              "dead_left=\"-9999\" dead_right=\"9999\" dead_top=\"700\" "
              "dead_bottom=\"720\"><blips><blip/></blips></layer>";
    controls +=
        "<widget type=\"test_box\" name=\"ctl" + n + "\" anchor_left=\"" + x +
        "\" anchor_top=\"650\" width=\"30\" height=\"30\" visible=\"yes\" mousestop=\"yes\"/>";
  }
  return R"(<widget type="mg_guitarhero_widget" name="minigame_rhythm" visible="yes" mousestop="yes"
      score="1000" duration="100000000">
    <widgetfactories><widgetfactory name="blip" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="blip_%id%" paused="yes" anchor_left="%start_x%" anchor_top="%start_y%"
        width="20" height="20" visible="yes"/></widgetstring></widgetfactory></widgetfactories>
    <layers>)" +
         layers + "</layers><widgets>" + controls + "</widgets></widget>";
}

void RhythmUpdate(benchmark::State& state) {
  Screen screen;
  Ref<IWidget> widget = Screen::Load(RhythmGame());
  screen.window->SetRoot(widget);
  auto* game = dynamic_cast<TMiniGameGuitarHero*>(widget.get());
  for (const auto& lane : game->Lanes())
    for (int i = 0; i < 20; ++i) {
      lane->Spawn();
      lane->Blips().back().widget->SetAnchorTop(20 * i);  // spread above the zones
    }
  for (int i = 0; i < 10; ++i) widget->Process(16);
  allocation_count::allocations = 0;
  allocation_count::counting = true;
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) widget->Process(16);
  std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  allocation_count::counting = false;
  double frames = double(state.iterations());
  state.counters["allocs_per_frame"] = double(allocation_count::allocations) / frames;
  state.counters["us_per_frame"] = spent.count() / frames * 1e6;
  size_t blips = 0;
  for (const auto& lane : game->Lanes()) blips += lane->Blips().size();
  state.counters["blips"] = double(blips);
}
BENCHMARK(RhythmUpdate)->Unit(benchmark::kMicrosecond);

std::string TilePuzzle() {
  std::string items, tiles;
  for (int i = 0; i < 16; ++i) {
    std::string n = "tile" + std::to_string(i);
    items += (i ? ";" : "") + n;
    tiles += "<widget type=\"test_box\" name=\"" + n + "\" anchor_left=\"" +
             std::to_string(50 * (i % 4)) + "\" anchor_top=\"" + std::to_string(50 * (i / 4)) +
             "\" width=\"48\" height=\"48\" visible=\"yes\"/>";
  }
  return R"(<widget type="mg_15puzzle_widget" name="minigame_tiles" visible="yes" mousestop="yes"
      dim_x="4" dim_y="4" hole_ids="15" items=")" +
         items + R"(">
    <widgetfactories><widgetfactory name="shuffle" type="WidgetFactory"><widgetstring>
      <widget type="test_box" name="shuffle_%id%" paused="yes"/></widgetstring></widgetfactory></widgetfactories>
    <widgets>)" +
         tiles + "</widgets></widget>";
}

void TilePuzzleLoad(benchmark::State& state) {
  Screen screen;
  std::string xml = TilePuzzle();
  int64_t children = 0;
  for (auto _ : state) {
    Ref<IWidget> widget = Screen::Load(xml);
    children = widget->GetChildren()->Count();
    benchmark::DoNotOptimize(widget);
  }
  state.counters["children"] = double(children);
}
BENCHMARK(TilePuzzleLoad)->Unit(benchmark::kMillisecond);

}  // namespace
