// Controls under the player's hand, on the widget tests' fake engine and screen.
//
//   ControlsHover   30 controls (15 buttons, 15 check boxes) with the cursor moving from
//                   one to the next every frame: each control reads the cursor in its
//                   update, two of them change their pictures, then the dirty pass. Time
//                   and heap allocations per frame (none expected).
//   ListBoxRedraw   a list box drawing its 12 rows through its one text child
//   GridRedraw      a high-score grid drawing 10 rows of two columns

#include <benchmark/benchmark.h>

#include <string>

#include "foundation/Params.h"
#include "foundation/XMLStorage.h"
#include "shell/HighScores.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/ListBoxControl.h"
#include "widgets/WidgetsRegistration.h"

namespace {

constexpr int kControls = 30;
constexpr int kColumns = 6;
constexpr int kCell = 50;

struct Screen {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();
  Ref<TSurface> frame = NewAlphaSurface(1024, 768, 0xFF203040);

  Screen() {
    RegisterWidgetTestClasses();
    RegisterWidgetsClasses();
    window->engine = engine.get();
    engine->resources["face"] = MakeImage(Ref<ISurface>(NewAlphaSurface(40, 40, 0xFF8080C0).get()));
    engine->resources["font"] =
        MakeFixedFont(U" 0123456789,ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 10, 16);
  }
  ~Screen() { window->SetRoot(nullptr); }

  Ref<IWidget> Show(const std::string& xml) {
    Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(xml);
    Ref<IWidget> widget = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(storage.get())));
    window->SetRoot(widget);
    return widget;
  }
};

std::string Picture(const std::string& name) {
  return R"(<widget type="image_widget" name=")" + name +
         R"(" resourcename="face" width="40" height="40" visible="yes"/>)";
}

std::string HoverScreenXml() {
  std::string xml =
      R"(<widget type="group_widget" name="root" visible="yes" mousestop="yes"><widgets>)";
  for (int i = 0; i < kControls; ++i) {
    bool button = i % 2 == 0;
    xml += std::string(R"(<widget type=")") + (button ? "ButtonControl" : "CheckBoxControl") +
           R"(" name="c)" + std::to_string(i) + R"(" anchor_left=")" +
           std::to_string(i % kColumns * kCell) + R"(" anchor_top=")" +
           std::to_string(i / kColumns * kCell) +
           R"(" width="40" height="40" enabled="yes" visible="yes" mousestop="yes"><widgets>)";
    if (button) {
      for (const char* name : {"image_normal", "image_selected", "image_disabled"})
        xml += Picture(name);
    } else {
      for (const char* name :
           {"image_check_normal", "image_check_selected", "image_check_disabled",
            "image_uncheck_normal", "image_uncheck_selected", "image_uncheck_disabled"})
        xml += Picture(name);
    }
    xml += "</widgets></widget>";
  }
  return xml + "</widgets></widget>";
}

void ControlsHover(benchmark::State& state) {
  Screen screen;
  Ref<IWidget> root = screen.Show(HoverScreenXml());
  int step = 0;
  auto frame = [&] {
    // The cursor moves on to the middle of the next control.
    int i = step++ % kControls;
    screen.engine->cursor = TPoint{i % kColumns * kCell + 20, i / kColumns * kCell + 20};
    root->Process(16);
    screen.window->dirtyRects.clear();
    screen.engine->redrawRects.clear();
    root->UpdateDirtyRects(false, false);
  };
  for (int i = 0; i < 2 * kControls; ++i) frame();  // settle: first passes, vector growth

  // Counted over frames of their own, outside the timing loop, so the harness's
  // bookkeeping does not count.
  constexpr int kCountedFrames = 600;
  double allocsPerFrame = allocation_count::PerCall(kCountedFrames, frame);

  for (auto _ : state) frame();
  state.counters["controls"] = kControls;
  state.counters["allocs/frame"] = allocsPerFrame;
}
BENCHMARK(ControlsHover)->Unit(benchmark::kMicrosecond);

void ListBoxRedraw(benchmark::State& state) {
  Screen screen;
  Ref<IWidget> root = screen.Show(
      R"(<widget type="ListBoxControl" name="list" anchor_left="100" anchor_top="100" width="400"
          height="480" rowheight="40" color="$FFF0E6D2" selectedcolor="$FFFFE066" visible="yes">
          <widgets><widget type="text_widget" name="text" resourcename="font" width="380"
          height="40" textvertalign="middle" drawmode="fillcolor"/></widgets></widget>)");
  Ref<IListBoxControl> list = Supports<IListBoxControl>(root);
  for (int i = 0; i < 12; ++i) list->AddRow("Player number " + std::to_string(i + 1), "");
  list->SetSelected(3);
  for (auto _ : state) root->Draw(screen.frame.get(), 100, 100);
  state.counters["rows"] = 12;
}
BENCHMARK(ListBoxRedraw)->Unit(benchmark::kMicrosecond);

void GridRedraw(benchmark::State& state) {
  Screen screen;
  Ref<IWidget> root = screen.Show(
      R"(<widget type="HighScoresGridControl" name="grid" anchor_left="100" anchor_top="100"
          width="500" height="400" rowheight="40" color="$FFF0E6D2" selectedcolor="$FFFFE066"
          column_name_with_format_number="Score" visible="yes">
          <columns><column name="Player" widgetname="player"/>
          <column name="Score" widgetname="score"/></columns><widgets>
          <widget type="text_widget" name="player" resourcename="font" width="300" height="40"
          textvertalign="middle" drawmode="fillcolor" visible="yes"/>
          <widget type="text_widget" name="score" resourcename="font" anchor_left="300"
          width="200" height="40" textalign="right" textvertalign="middle" drawmode="fillcolor"
          visible="yes"/></widgets></widget>)");
  Ref<TRecordTable> table = TAbstractObject::Create<TRecordTable>(
      "name=0\\max_records=10\\record_structure={param=Score\\param=Player}");
  for (int i = 0; i < 10; ++i)
    table->AddScoreRecord(ParamsFromString("Score=" + std::to_string(1000000 + i * 12345) +
                                           "\\Player=Player " + std::to_string(i + 1)));
  root->SetProperty("recordtable", Variant(Ref<IInterface>(table.get())));
  for (auto _ : state) root->Draw(screen.frame.get(), 100, 100);
  state.counters["rows"] = 10;
}
BENCHMARK(GridRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace
