// Transform and curve widgets changed every frame, as a screen shows them: the update, the
// dirty pass, the rebuild of the widget's surface and the draw onto a 1024 x 768 frame.
// Each reports the heap allocations per frame (steady state: none expected) and the
// budget of a frame; "of_budget" is the time as a share of it.
//
//   RotateSmooth/128     a 128 x 128 picture turned smoothly by a new angle    0.2 ms
//   PieTurning/96        a 96 x 96 picture with a pie cut growing              0.05 ms
//   SmoothContour/256x64 an outline of thickness 3 around a 256 x 64 text      0.5 ms
//   SmoothCurve/1000     a 1,000-step curve with the soft pen, drawn again     1 ms

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/CurveWidgets.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// A picture W x H with a soft disc on a pattern, as drawn art is.
Ref<IResource> Picture(int32_t w, int32_t h) {
  Ref<TSurface> image = NewAlphaSurface(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      double dx = x - w / 2.0, dy = y - h / 2.0;
      double d = std::sqrt(dx * dx + dy * dy) / (w / 2.0);
      uint32_t alpha = d >= 1 ? 0 : uint32_t(255 * (1 - d * d));
      image->SetPixel(x, y, alpha << 24 | uint32_t(x * 2) << 16 | uint32_t(y * 2) << 8 | 0x40);
    }
  return MakeImage(Ref<ISurface>(image.get()));
}

struct Scene {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();
  Ref<IWidget> widget;
  Ref<TSurface> frame = NewAlphaSurface(1024, 768, 0xFF203040);

  explicit Scene(const std::string& xml) {
    RegisterWidgetTestClasses();
    RegisterWidgetsClasses();
    RegisterFunctionsClasses();
    window->engine = engine.get();
    engine->options["ScreenWidth"] = Variant(1024);
    engine->options["ScreenHeight"] = Variant(768);
    engine->resources["p128"] = Picture(128, 128);
    engine->resources["p96"] = Picture(96, 96);
    engine->resources["dot"] = Picture(3, 3);
    engine->resources["font"] = MakeFixedFont(U"SALTMARROW ", 32, 64);
    Ref<IHierStorageRoot> root = LoadXmlStorageFromText(xml);
    widget = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
    window->SetRoot(widget);
  }
  ~Scene() { window->SetRoot(nullptr); }

  void Frame() {
    widget->Process(16);
    window->dirtyRects.clear();
    engine->redrawRects.clear();
    widget->UpdateDirtyRects(false, false);
    widget->Draw(frame.get(), RoundHalfEven(widget->GetAnchorLeft()),
                 RoundHalfEven(widget->GetAnchorTop()));
  }
};

// Runs Change then a frame per iteration, after a few frames that grow every surface.
template <class F>
void Run(benchmark::State& state, Scene& scene, double budgetMs, F change) {
  int i = 0;
  for (; i < 50; ++i) {
    change(i);
    scene.Frame();
  }
  allocation_count::allocations = 0;
  allocation_count::counting = true;
  int64_t frames = 0;
  for (auto _ : state) {
    change(i++);
    scene.Frame();
    ++frames;
  }
  allocation_count::counting = false;
  state.counters["allocs_per_frame"] = double(allocation_count::allocations) / double(frames);
  state.counters["budget_ms"] = budgetMs;
  state.counters["of_budget"] = benchmark::Counter(
      double(frames) * budgetMs * 1e-3, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void RotateSmooth(benchmark::State& state) {
  Scene scene(R"(<widget type="rotate_widget" name="r" visible="yes" smooth="yes"
      anchor_left="400" anchor_top="300"><widgets><widget type="image_widget" name="p"
      resourcename="p128" visible="yes" width="128" height="128"/></widgets></widget>)");
  Run(state, scene, 0.2, [&](int i) { scene.widget->SetProperty("angle", Variant(i * 1.7)); });
}
BENCHMARK(RotateSmooth)->Name("RotateSmooth/128");

void PieTurning(benchmark::State& state) {
  Scene scene(R"(<widget type="cutsector_widget" name="pie" visible="yes" centerx="48"
      centery="48" startangle="-90" anchor_left="200" anchor_top="200"><widgets>
      <widget type="image_widget" name="p" resourcename="p96" visible="yes" width="96"
      height="96"/></widgets></widget>)");
  Run(state, scene, 0.05,
      [&](int i) { scene.widget->SetProperty("endangle", Variant(-90 + (i % 360) + 0.5)); });
}
BENCHMARK(PieTurning)->Name("PieTurning/96");

void SmoothContour(benchmark::State& state) {
  Scene scene(R"(<widget type="contour_widget" name="c" visible="yes" smooth="yes"
      contourthickness="3" contourcolor="$FFFFE080" anchor_left="300" anchor_top="40">
      <widgets><widget type="text_widget" name="t" resourcename="font" visible="yes"
      width="256" height="64" text="SALTMARROW"/></widgets></widget>)");
  // A new colour every frame: the outline is made again around the same text.
  Run(state, scene, 0.5, [&](int i) {
    scene.widget->SetProperty("contourcolor",
                              Variant(int32_t(0xFF000000u | uint32_t(i & 0xFFFFFF))));
  });
}
BENCHMARK(SmoothContour)->Name("SmoothContour/256x64");

void SmoothCurve(benchmark::State& state) {
  Scene scene(R"(<widget type="curve_widget" name="u" visible="yes" curve_time="0"><widgets>
      <widget type="image_widget" name="pen" resourcename="dot" width="3" height="3"/></widgets>
      <function type="path_arc"><paramspace><paramdefs>
      <paramdef name="x" col="0" static="yes"/><paramdef name="y" col="0" static="yes"/>
      <paramdef name="s" col="1" static="yes"/>
      <paramdef name="x1" col="2" static="yes" value="100"/>
      <paramdef name="y1" col="2" static="yes" value="300"/>
      <paramdef name="x2" col="2" static="yes" value="900"/>
      <paramdef name="y2" col="2" static="yes" value="300"/>
      <paramdef name="TotalTime" col="2" static="yes"/><paramdef name="l" col="2" static="yes"/>
      <paramdef name="cx" col="2" static="yes" value="500"/>
      <paramdef name="cy" col="2" static="yes" value="0"/>
      <paramdef name="r1" col="3" static="yes"/><paramdef name="r2" col="3" static="yes"/>
      <paramdef name="a1" col="3" static="yes"/><paramdef name="a2" col="3" static="yes"/>
      <paramdef name="direction" col="4" static="yes" value="0"/>
      </paramdefs></paramspace></function></widget>)");
  Ref<ICurveWidget> curve = Supports<ICurveWidget>(scene.widget);
  auto* widget = dynamic_cast<TCurveWidget*>(scene.widget.get());
  // The draw shift that makes the path 1,000 steps long.
  scene.Frame();
  float shift = widget->GetFunction()->GetStoredLength() / 1000;
  Run(state, scene, 1.0, [&](int i) { curve->SetDrawShift(shift * (1 + (i & 1) * 1e-6f)); });
  state.counters["steps"] = widget->TotalSteps();
  TRect r = widget->GetRect();
  state.counters["area_px"] = double(r.Right - r.Left) * double(r.Bottom - r.Top);
}
BENCHMARK(SmoothCurve)->Name("SmoothCurve/1000");

}  // namespace
