// The play screen at work, on the tests' fake engine with a level of the atelier's shape
// (six hidden shapes, a doll, scenery, three doors, the hidden-shapes managers), and the
// sample game's own atelier through the real engine:
//
//   atelier frame   one frame of a running timed level: the update (clock, timer, hint
//                   charge, count-up, managers), the dirty pass and the draw; counters give
//                   the median and the worst frame and the allocations per frame
//   atelier frame, real engine
//                   one loop step of the sample game's first task on the program folder
//                   (its game file, windows and pictures, headless): the same frame,
//                   presented; the same counters
//   missed press    a press in the scene that hits none of sixty objects: the press and its
//                   twenty retries around it, with the allocations per press
#include <benchmark/benchmark.h>

#include <string>

#include "bench/FrameTimes.h"
#include "engine/EngineSurface.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Random.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "platform/InputConstants.h"
#include "shell/Game.h"
#include "tests/support/CountingAllocator.h"
#include "tests/support/PlayScreenGame.h"
#include "tests/support/SampleGameEngine.h"

namespace {

struct TObject {
  const char* name;
  int type, width, height, x, y;
};
// The atelier of the sample game: centres in screen pixels.
constexpr TObject kAtelier[] = {
    {"lantern", 0, 48, 64, 150, 200},       {"oil_can", 0, 44, 44, 330, 430},
    {"teacup", 0, 40, 32, 520, 300},        {"teapot", 0, 56, 44, 700, 480},
    {"wick_spool", 0, 36, 36, 850, 200},    {"sugar_tin", 0, 40, 48, 620, 140},
    {"doll_moth", 7, 28, 36, 420, 560},     {"workbench", 5, 320, 60, 512, 610},
    {"door_cupboard", 6, 48, 48, 980, 100}, {"door_chest", 6, 48, 48, 980, 180},
    {"door_easel", 6, 48, 48, 980, 260},
};

std::string ObjectDef(const std::string& name, int type, int w, int h, int x, int y) {
  return "<object_def name=\"" + name + "\" objecttype=\"" + std::to_string(type) +
         "\" caption=\"" + name + "\" width=\"" + std::to_string(w) + "\" height=\"" +
         std::to_string(h) + "\"><locations><location name=\"l1\" anchor_left=\"" +
         std::to_string(x) + "\" anchor_top=\"" + std::to_string(y) +
         "\"/></locations></object_def>";
}

// A running level of Objects (and Extra, sixty spread objects when asked).
struct Level {
  explicit Level(bool sixty) {
    SetRandomSeed(7);
    // The language file's separator of minutes and seconds.
    SetLanguageVariable("time_separator", ":");
    std::string defs, shapes = ";", props = ";", doll = ";";
    for (const TObject& o : kAtelier) {
      defs += ObjectDef(o.name, o.type, o.width, o.height, o.x, o.y);
      std::string entry = std::string(o.name) + "/l1;";
      if (o.type == 0) shapes += entry;
      if (o.type == 5) props += entry;
      if (o.type == 7) doll += entry;
    }
    std::string areas = ";door_cupboard/l1;door_chest/l1;door_easel/l1;";
    if (sixty)
      for (int i = 0; i < 60 - int(std::size(kAtelier)); ++i) {
        std::string name = "prop" + std::to_string(i);
        defs += ObjectDef(name, 5, 30, 30, 60 + (i % 10) * 90, 40 + (i / 10) * 90);
        props += name + "/l1;";
      }
    play.Write("scenes.ini",
               R"(<scene_defs><scene_def name="atelier" filename="atelier.xml"/></scene_defs>)");
    play.Write("atelier.xml", "<scene_def><object_defs>" + defs + "</object_defs></scene_def>");
    play.Publish("scene_defs", Ref<IInterface>(LoadSceneDefRefs("scenes.ini").get()));
    std::string text =
        R"(<usergamedata play_mode="0"><scenes><scene name="atelier" generated="yes"><params>)"
        R"(<param name="ho_names" value=")" +
        shapes + R"("/><param name="ip_names" value=")" + props +
        R"("/><param name="vd_names" value=")" + doll + R"("/><param name="aa_names" value=")" +
        areas +
        R"("/></params></scene></scenes><cases><case name="c1"><stages><stage name="s1"><tasks>)"
        R"(<task name="t1" tasktype="0"><params><param name="scenename" value="atelier"/>)"
        R"(<param name="given_time" value="300000"/></params></task></tasks></stage></stages>)"
        R"(</case></cases></usergamedata>)";
    progress = TAbstractObject::Create<TUserGameData>();
    std::string problem;
    if (Ref<IHierStorageRoot> storage = ParseDataText(text, problem))
      storage->LoadObject(progress.get());
    play.Publish("user_game_data", Ref<IInterface>(progress.get()));
    play.Show("\\case=c1\\stage=s1\\task=t1\\participant=odile");
    play.CloseTop();
    play.screen->SetInputBlocked(false);
    // Past the input guard and the loading picture's fade; the hint button charged.
    for (int i = 0; i < 100; ++i) play.Frame(16);
    surface = Ref<TSurface>(new TSurface());
    surface->SetSize(1024, 768);
  }
  ~Level() { progress->ReleaseLinks(); }

  // Update, dirty pass and draw.
  void Frame() {
    play.game->Update(16);
    play.game->InvalidateAll();
    play.game->Draw(surface.get(), 0, 0);
  }

  PlayScreenGame play;
  Ref<TUserGameData> progress;
  Ref<TSurface> surface;
};

void BM_AtelierFrame(benchmark::State& state) {
  Level level(false);
  if (!level.play.screen->GetLevelManager()) return state.SkipWithError("the level did not start");
  // Counted between two idle shines (one every 6 s without a find), which make a widget.
  const double allocations = allocation_count::PerCall(250, [&] { level.Frame(); });
  if (!bench::TimeFrames(state, [&] { level.Frame(); })) return;
  state.counters["allocs_per_frame"] = allocations;
}
BENCHMARK(BM_AtelierFrame)->Name("atelier frame")->UseManualTime()->Unit(benchmark::kMicrosecond);

// The sample game's own atelier through the real engine (the program folder's game file,
// windows and pictures, headless): the first task started as the diary starts it, then one
// loop step per iteration, which is one frame (update, dirty pass, draw, present).
void BM_AtelierFrameRealEngine(benchmark::State& state) {
  Tv2DeclarationsInit();
  SampleGameEngine run(SAMPLE_GAME_DIR, EngineFileKey);
  if (!run.Ok()) return state.SkipWithError(run.Failure().c_str());
  run.Platform().SetFrameInterval(16);
  if (!run.StartAtelier()) return state.SkipWithError("the atelier did not start");
  // Past the tutorial text and the loading picture's fade.
  run.Wait(3000);
  // Counted over two seconds of the timer (its text changes), before the first idle shine
  // (6 s without a find), which makes a widget.
  const double allocations = allocation_count::PerCall(150, [&] { run.StepFrame(); });
  if (!bench::TimeFrames(state, [&] { run.StepFrame(); })) return;
  state.counters["allocs_per_frame"] = allocations;
}
BENCHMARK(BM_AtelierFrameRealEngine)
    ->Name("atelier frame, real engine")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

void BM_MissedPress(benchmark::State& state) {
  Level level(true);
  if (!level.play.screen->GetLevelManager()) return state.SkipWithError("the level did not start");
  const TPoint empty{975, 560};  // between the scenery, above the panel
  auto press = [&] { level.play.game->HandleMouse(input::kLeftButtonDown, empty, 0); };
  for (auto _ : state) press();
  state.counters["allocs_per_press"] = allocation_count::PerCall(500, press);
}
BENCHMARK(BM_MissedPress)->Name("missed press, 60 objects")->Unit(benchmark::kMicrosecond);

}  // namespace
