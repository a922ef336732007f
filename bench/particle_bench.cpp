// Particle systems at 1024 x 768, one frame per iteration: the update (births, moves,
// deaths), the dirty pass and the draw onto the frame. Reported per frame beside the time:
// the heap allocations (none expected once the system runs at its size), the live
// particles, and the share of the frame that the bare coloured draws of the same pictures
// at the same places take (the rest is the systems' own work).
//
//   Stochastic     10,000 live 8 x 8 sparks born and dying (at most 2 ms a frame)
//   Function       10,000 particles moved by a one-line Update expression (at most 5 ms)
//   MultiRockets   1,000 rockets with 10 sparks each, ordinary style (at most 5 ms)
//   *AtTheCap      each kind held at its limit of live particles, births beyond it
//                  dropped: what data that asks for too much costs a frame (at most 16 ms)

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "foundation/Params.h"
#include "foundation/Random.h"
#include "foundation/XMLStorage.h"
#include "functions/FunctionRegistration.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"
#include "tests/support/CountingAllocator.h"

namespace {

// Keeps the coloured draws of one frame, to replay them bare.
class RecordingSurface : public TSurface {
 public:
  struct Call {
    uint32_t color;
    ISurface* source;
    uint8_t mode, alpha;
    TRect dst, src;
  };
  std::vector<Call> calls;
  bool DrawColored(uint32_t color, ISurface* source, uint8_t mode, uint8_t alpha, const TRect& dst,
                   const TRect& src) override {
    calls.push_back({color, source, mode, alpha, dst, src});
    return TSurface::DrawColored(color, source, mode, alpha, dst, src);
  }
};

struct Scene {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();
  Ref<IWidget> system;
  Ref<TSurface> frame = NewAlphaSurface(1024, 768, 0xFF101828);

  explicit Scene(const std::string& xml) {
    RegisterWidgetTestClasses();
    RegisterFunctionsClasses();
    RegisterWidgetsClasses();
    SetRandomSeed(11);
    window->engine = engine.get();
    engine->resources["spark"] = MakeImage(Ref<ISurface>(NewAlphaSurface(8, 8, 0xFFFFFFFF).get()));
    Ref<IHierStorageRoot> root = LoadXmlStorageFromText(xml);
    system = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(root.get())));
    window->SetRoot(system);
  }
  ~Scene() { window->SetRoot(nullptr); }

  void Frame() {
    system->Process(16);
    window->dirtyRects.clear();
    engine->redrawRects.clear();
    system->UpdateDirtyRects(false, false);
    system->Draw(frame.get(), 0, 0);
  }
  int32_t Count() { return system->GetProperty("count").ToInt(); }

  // Seconds the coloured draws of one frame take when made directly.
  double BareDrawSeconds() {
    Ref<RecordingSurface> recorder(new RecordingSurface());
    recorder->SetSize(1024, 768);
    system->Draw(recorder.get(), 0, 0);
    constexpr int kRounds = 20;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i)
      for (const RecordingSurface::Call& c : recorder->calls)
        frame->DrawColored(c.color, c.source, c.mode, c.alpha, c.dst, c.src);
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / kRounds;
  }
};

void Run(benchmark::State& state, Scene& scene, int warmFrames) {
  for (int i = 0; i < warmFrames; ++i) scene.Frame();
  allocation_count::allocations = 0;
  allocation_count::counting = true;
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) scene.Frame();
  std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  allocation_count::counting = false;
  double frames = double(state.iterations());
  double perFrame = spent.count() / frames;
  state.counters["allocs_per_frame"] = double(allocation_count::allocations) / frames;
  state.counters["particles"] = scene.Count();
  state.counters["ms_per_frame"] = perFrame * 1000;
  state.counters["drawcolored_share"] = scene.BareDrawSeconds() / perFrame;
}

void Stochastic(benchmark::State& state) {
  // 10,000 a second living 1 s: about 10,000 live, 160 born and 160 dying each frame.
  Scene scene(R"(<widget type="stochastic_particle_system" name="sparks" visible="yes"
      emission_x="512" emission_y="384" emission_radius="300" emission_count="10000"
      spread="360" speed_min="20" speed_max="200" lifetime_min="1000" lifetime_max="1000"
      gravity_min="0" gravity_max="40" color_start="$FFFFE080" color_end="$FFFF4020"
      alfa_start="255" alfa_end="0" color_variation="50">
      <widgets><widget type="image_widget" name="spark" resourcename="spark" width="8"
      height="8" visible="yes"/></widgets></widget>)");
  Run(state, scene, 120);
}
BENCHMARK(Stochastic)->Unit(benchmark::kMillisecond);

void StochasticAtTheCap(benchmark::State& state) {
  // A million a second living 10 s: the system stays full, as many die as may be born.
  Scene scene(R"(<widget type="stochastic_particle_system" name="sparks" visible="yes"
      emission_x="512" emission_y="384" emission_radius="300" emission_count="1000000"
      spread="360" speed_min="20" speed_max="200" lifetime_min="10000" lifetime_max="10000"
      gravity_min="0" gravity_max="40" color_start="$FFFFE080" color_end="$FFFF4020"
      alfa_start="255" alfa_end="0" color_variation="50">
      <widgets><widget type="image_widget" name="spark" resourcename="spark" width="8"
      height="8" visible="yes"/></widgets></widget>)");
  Run(state, scene, 10);
}
BENCHMARK(StochasticAtTheCap)->Unit(benchmark::kMillisecond);

// The particle cells: (1, 0) age, (1, 1) phase, (1, 2) row; (0, 0) dead, (0, 1..2) x, y,
// (0, 3) picture, (0, 4..7) colour and alpha.
const char* kFunctionSystem = R"(<widget type="function_particle_system" name="fps"
    visible="yes" init_creation_count="10000">
  <paramspace><paramdefs>
    <paramdef name="age" col="1" row="0" static="yes"/>
    <paramdef name="phase" col="1" row="1" static="yes"/>
    <paramdef name="dead" col="0" row="0" static="yes"/>
    <paramdef name="x" col="0" row="1" static="yes" value="512"/>
    <paramdef name="y" col="0" row="2" static="yes" value="384"/>
    <paramdef name="image" col="0" row="3" static="yes"/>
    <paramdef name="r" col="0" row="4" static="yes" value="255"/>
    <paramdef name="g" col="0" row="5" static="yes" value="200"/>
    <paramdef name="b" col="0" row="6" static="yes" value="80"/>
    <paramdef name="a" col="0" row="7" static="yes" value="255"/>
  </paramdefs></paramspace>
  <function type="function_complex"><paramspace><paramdefs>
      <paramdef name="time" col="1" row="0" static="yes"/>
      <paramdef name="index" col="2" row="0" static="yes"/>
    </paramdefs></paramspace><functions>
    <function type="function_eval" name="Create"><paramspace><paramdefs>
      <paramdef name="age0" col="0" static="yes"/><paramdef name="phase" col="0" static="yes"/>
      <paramdef name="index" col="2"/>
    </paramdefs></paramspace><expression>phase := index / 1000</expression></function>
    <function type="function_eval" name="Update"><paramspace><paramdefs>
      <paramdef name="age" col="1" static="yes"/><paramdef name="phase" col="1" static="yes"/>
      <paramdef name="dead" col="0" static="yes"/>
      <paramdef name="x" col="0" static="yes"/>
    </paramdefs></paramspace><expression>x := 512 + 500 * sin(age / 700 + phase)</expression></function>
  </functions></function>
  <widgets><widget type="image_widget" name="spark" resourcename="spark" width="8" height="8"
    visible="yes"/></widgets></widget>)";

void Function(benchmark::State& state) {
  Scene scene(kFunctionSystem);
  Run(state, scene, 30);
}
BENCHMARK(Function)->Unit(benchmark::kMillisecond);

void FunctionAtTheCap(benchmark::State& state) {
  std::string xml = kFunctionSystem;
  xml.replace(xml.find("\"10000\""), 7, "\"1000000\"");
  Scene scene(xml);
  Run(state, scene, 10);
}
BENCHMARK(FunctionAtTheCap)->Unit(benchmark::kMillisecond);

// A particle type with (1, 0) age, (1, 1..2) start x, y; (0, 0) dead, (0, 1..2) x, y,
// (0, 3) picture, (0, 4..7) colour and alpha.
std::string Type(const std::string& name, const std::string& create, const std::string& update,
                 const std::string& count, const std::string& inner,
                 const std::string& trail = {}) {
  // A trail: afterglow copies back along (0, -Trail), one every two pixels.
  const std::string style = trail.empty() ? "" : R"( particlestyle="afterglow")";
  const std::string trailCells = trail.empty()
                                     ? ""
                                     : R"(<paramdef name="dx" col="0" row="8" static="yes"/>
      <paramdef name="dy" col="0" row="9" static="yes" value=")" +
                                           trail + R"("/>
      <paramdef name="density" col="0" row="10" static="yes" value="0.5"/>)";
  return R"(<particle_type name=")" + name + "\"" + style + R"(><paramspace><paramdefs>
      <paramdef name="age" col="1" row="0" static="yes"/>
      <paramdef name="sx" col="1" row="1" static="yes"/>
      <paramdef name="sy" col="1" row="2" static="yes"/>
      <paramdef name="dead" col="0" row="0" static="yes"/>
      <paramdef name="x" col="0" row="1" static="yes"/>
      <paramdef name="y" col="0" row="2" static="yes"/>
      <paramdef name="image" col="0" row="3" static="yes"/>
      <paramdef name="r" col="0" row="4" static="yes" value="255"/>
      <paramdef name="g" col="0" row="5" static="yes" value="220"/>
      <paramdef name="b" col="0" row="6" static="yes" value="120"/>
      <paramdef name="a" col="0" row="7" static="yes" value="255"/>)" +
         trailCells + R"(
    </paramdefs></paramspace>
    <function type="function_complex"><paramspace><paramdefs>
      <paramdef name="count" col="2" row="0" static="yes" value=")" +
         count + R"("/>
      <paramdef name="index" col="2" row="1" static="yes"/>
    </paramdefs></paramspace><functions>
      <function type="function_eval" name="Create"><paramspace><paramdefs>
        <paramdef name="age0" col="0" static="yes"/><paramdef name="sx" col="0" static="yes"/>
        <paramdef name="sy" col="0" static="yes"/>
        <paramdef name="x" col="1" static="yes"/><paramdef name="y" col="1" static="yes"/>
        <paramdef name="count" col="2"/><paramdef name="index" col="2"/>
      </paramdefs></paramspace><expression>)" +
         create + R"(</expression></function>
      <function type="function_eval" name="Update"><paramspace><paramdefs>
        <paramdef name="age" col="1" static="yes"/><paramdef name="sx" col="1" static="yes"/>
        <paramdef name="sy" col="1" static="yes"/>
        <paramdef name="dead" col="0" static="yes"/>
        <paramdef name="x" col="0" static="yes"/><paramdef name="y" col="0" static="yes"/>
      </paramdefs></paramspace><expression>)" +
         update + R"(</expression></function>
    </functions></function>)" +
         (inner.empty() ? "" : "<particle_types>" + inner + "</particle_types>") +
         "</particle_type>";
}

// Rockets asked for by the given number, each with sparks of Spark's type under it; the
// rockets never die.
void Sky(benchmark::State& state, const std::string& spark, int32_t rockets) {
  std::string rocket = Type("rocket", "sx := 12 + random_int(1000)\nsy := 100 + random_int(560)",
                            "x := sx\ny := sy + 50 * sin(age / 400 + sx)", "0", spark);
  Scene scene(R"(<widget type="multi_particle_system" name="sky" visible="yes">
      <widgets><widget type="image_widget" name="spark" resourcename="spark" width="8"
      height="8" visible="yes"/></widgets><particle_types>)" +
              rocket + "</particle_types></widget>");
  auto params = TAbstractObject::Create<TParamCollection>();
  params->SetValue("particles_count", Variant(rockets));
  scene.system->Notify(1, Variant(Ref<IInterface>(params.get())));
  Run(state, scene, 60);
}

void MultiRockets(benchmark::State& state) {
  // Sparks at 20 a second living 0.5 s: 10 under each rocket.
  Sky(state,
      Type("spark", "sx := x\nsy := y", "dead := age > 500\nx := sx + age / 25\ny := sy + age / 10",
           "20", ""),
      1000);
}
BENCHMARK(MultiRockets)->Unit(benchmark::kMillisecond);

void MultiAtTheCap(benchmark::State& state) {
  // Rockets asked for by the million, each with sparks at 20 a second that never die.
  Sky(state, Type("spark", "sx := x\nsy := y", "x := sx + age / 25\ny := sy + age / 10", "20", ""),
      1000000);
}
BENCHMARK(MultiAtTheCap)->Unit(benchmark::kMillisecond);

void FireworksAtTheCap(benchmark::State& state) {
  // A hundred rockets, each asking for sparks by the ten thousand a second, the sparks with
  // the sample's trails of 6 copies (12 pixels at 0.5): the sparks fill the system.
  Sky(state,
      Type("spark", "sx := x\nsy := y", "x := sx + age / 25\ny := sy + age / 10", "10000", "",
           "12"),
      100);
}
BENCHMARK(FireworksAtTheCap)->Unit(benchmark::kMillisecond);

}  // namespace
