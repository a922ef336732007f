// The graph game in ravel mode with 20 vertices and 40 edges drawn by curve widgets at
// 1024 x 768: one drag frame per iteration (the vertex follows the mouse, the crossings are
// computed, its four edges get their new ends and every edge its colour, then the frame is
// drawn), at most 1 ms; and the crossing test of the 780 edge pairs alone, at most 20 us.
// The move feedback a game's data would add is left out: it is the data's cost. The board
// under the vertices takes the mouse between them, as every game's background does.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <string>

#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#include "minigames/MiniGameGraph.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// Vertex i on a circle, joined to i + 1 and i + 3: a tangle with many crossings.
std::string GraphXml() {
  std::string vertices, boxes;
  for (int i = 0; i < 20; ++i) {
    double a = 2 * std::numbers::pi * i / 20;
    int x = 500 + int(std::lround(250 * std::cos(a))),
        y = 380 + int(std::lround(250 * std::sin(a)));
    vertices += "<vertex name=\"v" + std::to_string(i) + "\" neighbors=\"" +
                std::to_string((i + 1) % 20) + ";" + std::to_string((i + 3) % 20) + "\"/>";
    boxes += "<widget type=\"image_widget\" name=\"v" + std::to_string(i) +
             "\" resourcename=\"dot\" anchor_left=\"" + std::to_string(x) + "\" anchor_top=\"" +
             std::to_string(y) +
             "\" width=\"24\" height=\"24\" visible=\"yes\" mousestop=\"yes\"/>";
  }
  return R"(<widget type="mg_graph_widget" name="minigame_graph" visible="yes" mousestop="yes"
      mode="ravel" shuffle="no" area_width="1000" area_height="740"><widgetfactories>
    <widgetfactory name="graph_edge" type="WidgetFactory"><widgetstring>
      <widget type="curve_widget" name="edge_%id%" visible="yes" mousestop="no"><widgets>
        <widget type="image_widget" name="pen" resourcename="pen" width="3" height="3"/></widgets>
        <function type="path_segment"><paramspace><paramdefs>
          <paramdef name="x" col="0" row="0" static="yes"/><paramdef name="y" col="0" row="1" static="yes"/>
          <paramdef name="s" col="1" row="0" static="yes"/>
          <paramdef name="x1" col="2" row="0" static="yes"/><paramdef name="y1" col="2" row="1" static="yes"/>
          <paramdef name="x2" col="2" row="2" static="yes"/><paramdef name="y2" col="2" row="3" static="yes"/>
          <paramdef name="TotalTime" col="2" row="4" static="yes"/><paramdef name="length" col="2" row="5" static="yes"/>
        </paramdefs></paramspace></function></widget>
    </widgetstring></widgetfactory></widgetfactories><vertice>)" +
         vertices +
         R"(</vertice><widgets><widget type="image_widget" name="board" resourcename="board"
             width="1024" height="768" visible="yes" mousestop="yes"/>)" +
         boxes + "</widgets></widget>";
}

struct Scene {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();
  Ref<TSurface> frame = NewAlphaSurface(1024, 768, 0xFF101828);
  Ref<IWidget> widget;
  TGraphWidget* game = nullptr;

  Scene() {
    RegisterWidgetTestClasses();
    RegisterFunctionsClasses();
    RegisterWidgetsClasses();
    RegisterMiniGamesClasses();
    window->engine = engine.get();
    engine->resources["pen"] = MakeImage(Ref<ISurface>(NewAlphaSurface(3, 3, 0xFFFFFFFF).get()));
    engine->resources["board"] =
        MakeImage(Ref<ISurface>(NewAlphaSurface(1024, 768, 0xFF203040).get()));
    engine->resources["dot"] = MakeImage(Ref<ISurface>(NewAlphaSurface(24, 24, 0xFFFFC040).get()));
    Ref<IHierStorageRoot> root = LoadXmlStorageFromText(GraphXml());
    widget = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
    game = dynamic_cast<TGraphWidget*>(widget.get());
    window->SetRoot(widget);
    widget->Draw(frame.get(), 0, 0);
  }
  ~Scene() { window->SetRoot(nullptr); }
};

void DragFrame(benchmark::State& state) {
  Scene scene;
  const auto& v0 = scene.game->Vertices()[0];
  TPoint grip{v0.x + 5, v0.y + 5};
  scene.window->mouse = grip;
  scene.window->HandleMouse(513, grip, 1);
  int step = 0;
  int64_t moves = 0;
  for (auto _ : state) {
    // Back and forth across the tangle, so that crossings come and go.
    TPoint p{grip.X - 40 * (step % 12), grip.Y - 25 * (step % 12)};
    ++step;
    scene.window->mouse = p;
    scene.window->HandleMouse(512, p, 1);
    int32_t x = v0.x;
    scene.widget->Process(16);
    moves += x != v0.x;
    scene.widget->UpdateDirtyRects(false, false);
    scene.widget->Draw(scene.frame.get(), 0, 0);
  }
  state.counters["edges"] = double(scene.game->Edges().size());
  state.counters["moving_share"] = double(moves) / double(state.iterations());
}
BENCHMARK(DragFrame)->Unit(benchmark::kMicrosecond);

void Crossings(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) scene.game->ComputeCrossings();
  state.counters["edges"] = double(scene.game->Edges().size());
}
BENCHMARK(Crossings)->Unit(benchmark::kMicrosecond);

}  // namespace
