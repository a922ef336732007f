// The mini-games' board logic where it runs on every click or frame, with factories that
// make nothing: the pipe game's win test over a passage of 45 elements (the trace and the
// flow it plays), and the feedback queue's busy test in a packing game of 64 cells.
// Counters: heap allocations per call (must be 0).
#include <benchmark/benchmark.h>

#include <string>

#include "foundation/XMLStorage.h"
#include "minigames/MiniGamePackage.h"
#include "minigames/MiniGamePipe.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/WidgetFixture.h"

namespace {

constexpr int kCalls = 1000;  // calls whose allocations are counted

Ref<IWidget> LoadWidget(const std::string& xml) {
  RegisterWidgetTestClasses();
  RegisterMiniGamesClasses();
  Ref<IHierStorageRoot> root = LoadXmlStorageFromText(xml);
  return Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
}

// A straight run: "in", 43 pipes, "out", each joined left (side 1) to right (side 3).
std::string PipeRun(int elements) {
  std::string xml = R"(<widget type="mg_pipe_widget" name="minigame_pipe" element=")" +
                    std::to_string(elements) + "\">";
  for (int i = 0; i < elements; ++i) {
    std::string left = i ? std::to_string(i - 1) : "-1";
    std::string right = i + 1 < elements ? std::to_string(i + 1) : "-1";
    const char* type = i == 0 ? "in" : i + 1 == elements ? "out" : "common";
    xml += "<element widget=\"desk/e" + std::to_string(i) + "\" neibours=\"-1," + left + ",-1," +
           right + "\" links=\"1,3\" type=\"" + type + "\"/>";
  }
  return xml + "</widget>";
}

void BM_PipeWinTest(benchmark::State& state) {
  Ref<IWidget> widget = LoadWidget(PipeRun(45));
  auto* game = dynamic_cast<TPipeWidget*>(widget.get());
  if (!game->CheckWin()) state.SkipWithError("the passage is not complete");
  double allocs = allocation_count::PerCall(kCalls, [&] { game->CheckWin(); });
  for (auto _ : state) benchmark::DoNotOptimize(game->CheckWin());
  state.counters["allocs/call"] = allocs;
}
BENCHMARK(BM_PipeWinTest)->Unit(benchmark::kMicrosecond);

// 8 x 8 cells of 40 pixels, one item; the item picked up once queues its "pick".
std::string PackingBoard() {
  std::string cells, widgets;
  for (int i = 0; i < 64; ++i) {
    std::string name = "c" + std::to_string(i);
    cells += "<cell name=\"" + name + "\" group=\"1\"/>";
    widgets += "<widget type=\"group_widget\" name=\"" + name + "\" anchor_left=\"" +
               std::to_string(40 * (i % 8)) + "\" anchor_top=\"" + std::to_string(40 * (i / 8)) +
               "\"/>";
  }
  return R"(<widget type="package_widget" name="minigame_pack" cellcount="64">)" + cells +
         R"(<item name="box" group="1" cells="0x0"/>
            <widgetfactories><widgetfactory name="pick" type="WidgetFactory"><widgetstring>
              <widget type="group_widget" name="pick_%id%" paused="yes"/>
            </widgetstring></widgetfactory></widgetfactories><widgets>)" +
         widgets + R"(<widget type="group_widget" name="box"/></widgets></widget>)";
}

void BM_QueueBusy64Cells(benchmark::State& state) {
  Ref<IWidget> widget = LoadWidget(PackingBoard());
  auto* game = dynamic_cast<TPackageWidget*>(widget.get());
  game->BeginDrag("box");
  if (!game->IsQueueBusy()) state.SkipWithError("nothing queued");
  double allocs = allocation_count::PerCall(kCalls, [&] { game->IsQueueBusy(); });
  for (auto _ : state) benchmark::DoNotOptimize(game->IsQueueBusy());
  state.counters["allocs/call"] = allocs;
}
BENCHMARK(BM_QueueBusy64Cells)->Unit(benchmark::kMicrosecond);

}  // namespace
