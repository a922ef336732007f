// Scripting widgets per frame, on the widget tests' fake engine and screen.
//
//   FlashSteps   200 running flash steps, each driving two properties of its own box
//                (a float anchor and an integer transparency): one frame of the group
//                (update and dirty pass). Counters: heap allocations and property
//                look-ups by name per frame (steady state: none of either).
//   RevealBuild  a letter-by-letter reveal of a 300-character text built from scratch:
//                300 letters and 300 fade widgets made by the screen's factories.

#include <benchmark/benchmark.h>

#include <string>

#include "foundation/XMLStorage.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

namespace {

struct Screen {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();

  Screen() {
    RegisterWidgetTestClasses();
    RegisterWidgetsClasses();
    window->engine = engine.get();
  }
  ~Screen() { window->SetRoot(nullptr); }

  Ref<IWidget> Show(const std::string& xml) {
    Ref<IWidget> widget = Supports<IWidget>(
        CreateObjectFromXml(Ref<IHierStorage>(LoadXmlStorageFromText(xml).get())));
    window->SetRoot(widget);
    return widget;
  }

  void Frame(const Ref<IWidget>& root, int32_t dt) {
    window->dirtyRects.clear();
    engine->redrawRects.clear();
    root->Process(dt);
    root->UpdateDirtyRects(false, false);
  }
};

std::string FlashStepsXml(int count) {
  std::string xml = R"(<widget type="group_widget" name="root" visible="yes"><widgets>)";
  for (int i = 0; i < count; ++i) {
    std::string n = std::to_string(i);
    xml += R"(<widget type="test_box" name="box)" + n + R"(" visible="yes" width="4" height="4"
                      anchor_top=")" +
           std::to_string(i % 100 * 7) + R"("/>)";
    xml += R"(<widget type="flash_scenario" name="step)" + n + R"(" linked_widget_name="box)" + n +
           R"(" duration="100000000" properties="anchor_left;transparentlevel"
                      value="1000;inc:-255"/>)";
  }
  return xml + "</widgets></widget>";
}

void BM_FlashSteps(benchmark::State& state) {
  constexpr int kSteps = 200;
  Screen screen;
  Ref<IWidget> root = screen.Show(FlashStepsXml(kSteps));
  for (int i = 0; i < 10; ++i) screen.Frame(root, 16);  // started, vectors grown

  constexpr int kCountedFrames = 1000;
  uint64_t lookupsBefore = TPropertyTable::LookupCount();
  double allocsPerFrame =
      allocation_count::PerCall(kCountedFrames, [&] { screen.Frame(root, 16); });
  double lookupsPerFrame = double(TPropertyTable::LookupCount() - lookupsBefore) / kCountedFrames;

  for (auto _ : state) screen.Frame(root, 16);
  state.counters["steps"] = kSteps;
  state.counters["allocs/frame"] = allocsPerFrame;
  state.counters["lookups/frame"] = lookupsPerFrame;
}
BENCHMARK(BM_FlashSteps)->Unit(benchmark::kMicrosecond);

std::string RevealXml(int length) {
  std::string text;
  const std::string words = "the quick brown fox jumps over a lazy dog. ";
  while (int(text.size()) < length) text += words;
  text.resize(size_t(length));
  const std::string letter = R"(<widget type="text_widget" name="%name%" resourcename="mono"
      anchor_left="%anchor_left%" anchor_top="%anchor_top%" width="%width%" height="%height%"
      visible="yes"/>)";
  return R"(<widget type="group_widget" name="root" visible="yes">
    <widgetfactories>
      <widgetfactory type="WidgetFactory" name="vizualization_letter"><widgetstring>)" +
         letter + R"(</widgetstring></widgetfactory>
      <widgetfactory type="WidgetFactory" name="transparent_widget"><widgetstring>
        <widget type="move_scenario" name="%name%" timetolive="300" start_trans_level="0"
                end_trans_level="255" startposx="%anchor_left%" endposx="%anchor_left%"
                startposy="0" endposy="%anchor_top%"/>
      </widgetstring></widgetfactory>
    </widgetfactories>
    <widgets><widget type="control_text_vizualization" name="rules" visible="yes"
                     letterdelaytime="20"><widgets>
      <widget type="group_widget" name="letters_group" visible="yes"/>
      <widget type="text_widget" name="text" resourcename="mono" width="1000" height="400"
              visible="yes" text=")" +
         text + R"("/>
    </widgets></widget></widgets></widget>)";
}

void BM_RevealBuild(benchmark::State& state) {
  constexpr int kLength = 300;
  Screen screen;
  screen.engine->resources["mono"] = MakeFixedFont(U"abcdefghijklmnopqrstuvwxyz .", 10, 16);
  Ref<IWidget> root = screen.Show(RevealXml(kLength));
  Ref<IWidget> rules = root->FindWidget("rules");
  for (auto _ : state) rules->SetProperty("InitVizualization", Variant(1));
  state.counters["letters"] = kLength;
}
BENCHMARK(BM_RevealBuild)->Unit(benchmark::kMillisecond);

}  // namespace
