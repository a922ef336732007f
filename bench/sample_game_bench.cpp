// The sample game headless, on the built program folder:
//
//   start to first frame   engine made, game file and start-up resource lists read, the
//                          game initialised, until the first frame is presented
//   start-up work          the first frame, plus the step, once the logos are done, that
//                          reads the remaining resource lists and loads every screen's
//                          window (the gallery with all its games among them); the logos'
//                          own frames are left out, they only wait; counter "gallery_games"
//   main screen frame      one loop step on the main screen (its animated and moving
//                          widgets, the border screen and the cursor); counters give the
//                          median and the worst step, and the process's peak memory
//   playthrough            the end-to-end playthrough (tests/e2e/playthrough_*.script: the
//                          runs of the game on one fresh preference folder, seeded
//                          as the end-to-end runs are), once; its screenshots are left out
//                          (writing pictures is the test's work, not the game's). Counters:
//                          wall time, frames, simulated time, the median and the worst
//                          frame outside loading (the start and the level loads), the
//                          slowest level load and the peak memory; a table of frames per
//                          screen follows the run
//
// The headless clock moves one frame interval per present, so no step sleeps: the times are
// the program's work alone. Run from an optimised build (build/release) after building ALL;
// the playthrough alone: sample_game_bench --benchmark_filter=playthrough. With
// PLAYTHROUGH_SLOW_MS set, every playthrough frame over that many milliseconds of processor
// time is said on stderr with its span on CLOCK_MONOTONIC, to cut out of a profile made with
// `perf record -k CLOCK_MONOTONIC`; bench/playthrough_fresh.sh runs it in fresh processes.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/ProgramClasses.h"
#include "bench/FrameTimes.h"
#include "engine/Engine.h"
#include "engine/EngineRoutines.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Random.h"
#include "platform/Folders.h"
#include "platform/InputConstants.h"
#include "platform/Script.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/Game.h"

namespace {

using Clock = std::chrono::steady_clock;

// Wall and this thread's processor time over the spans between Start and Stop: on a busy
// machine the wall time includes waiting for a core, the processor time is the work.
class Stopwatch {
 public:
  void Start() {
    wallBegin_ = Clock::now();
    cpuBegin_ = ThreadCpu();
    if (first == Clock::time_point()) first = wallBegin_;
  }
  void Stop() {
    wall += std::chrono::duration<double>(Clock::now() - wallBegin_).count();
    cpu += ThreadCpu() - cpuBegin_;
  }
  double wall = 0, cpu = 0;
  Clock::time_point first;  // the first Start

 private:
  static double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
  }
  Clock::time_point wallBegin_;
  double cpuBegin_ = 0;
};

// As the program starts: declarations, classes, the program folder, the language file.
void PrepareProgram() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterProgramClasses();
  // The program folder is the game's, reached from this program's folder the way a
  // player reaches another copy of the data: "-changepath".
  const char* arguments[] = {"sample_game_bench", "-changepath", SAMPLE_GAME_FROM_BENCH};
  platform::SetProgramArguments(3, arguments);
  static std::filesystem::path preferences =
      std::filesystem::temp_directory_path() / "sample_game_bench_preferences";
  std::filesystem::create_directories(preferences);
  setenv("GAME_PREFERENCE_DIR", preferences.c_str(), 1);
  InitEngineRoutines();
  LoadLanguage("");
}

class SampleGame {
 public:
  // Script: commands run as GAME_SCRIPT's are, the program ending when they run out.
  explicit SampleGame(std::vector<platform::ScriptCommand> script = {}) {
    PrepareProgram();
    engine_ = TAbstractObject::Create<TEngine>();
    auto owned = std::make_unique<platform::HeadlessPlatform>();
    platform_ = owned.get();
    if (!script.empty()) {
      owned->SetScript(std::make_unique<platform::ScriptRunner>(
          std::move(script), owned->GetWindow(), owned->GetVideo(), owned->GetClock(), true));
    }
    engine_->UsePlatform(std::move(owned));
    ok_ = engine_->Initialize(GameFileName);
    if (ok_) engine_->StartRunning();
  }
  ~SampleGame() { engine_->Finalize(); }
  bool Ok() const { return ok_; }
  std::string Failure() const {
    return "the sample game did not start: " + engine_->FailureMessage();
  }
  // Steps until a frame has been presented; false when none came in limit steps.
  bool StepToFrame(int limit = 64) {
    uint32_t before = platform_->PresentCount();
    for (int i = 0; i < limit && platform_->PresentCount() == before; ++i) engine_->ProcessStep();
    return platform_->PresentCount() != before;
  }
  // Steps until the game has loaded; adds the times of the step that finished loading to
  // Watch; false when loading never ended.
  bool StepUntilLoaded(Stopwatch& watch) {
    auto* game = dynamic_cast<TGame*>(engine_->GetGame().get());
    for (int i = 0; i < 4000 && game && game->IsLoading(); ++i) {
      watch.Start();
      engine_->ProcessStep();
      if (!game->IsLoading()) return watch.Stop(), true;
    }
    return false;
  }
  // The games the gallery screen holds once loaded.
  int GalleryGames() {
    auto* game = dynamic_cast<TGame*>(engine_->GetGame().get());
    Ref<IGameScreenSlave> gallery =
        game ? game->GetScreens()->GetScreen(Variant("GS_Gallery")) : nullptr;
    Ref<IWidget> root = gallery ? gallery->GetRootWidget() : nullptr;
    Ref<IWidget> entries = root ? root->FindWidget("entries") : nullptr;
    return entries ? entries->GetChildren()->Count() : 0;
  }
  std::string TopScreen() {
    Ref<IGame> game = engine_->GetGame();
    return game ? game->GetTopScreenName() : std::string();
  }
  // Past the logos and the splash screen, whose continue button is clicked once the game
  // has loaded; false when the main screen never came.
  bool StepToMainScreen() {
    auto* game = dynamic_cast<TGame*>(engine_->GetGame().get());
    for (int i = 0; i < 4000 && game && (game->IsLoading() || TopScreen() != "GS_Splash"); ++i)
      engine_->ProcessStep();
    // The splash screen takes clicks 200 ms after it was shown.
    for (int i = 0; i < 50; ++i) StepToFrame();
    if (game) {
      game->HandleMouse(input::kLeftButtonDown, TPoint{512, 700}, 0);
      game->HandleMouse(input::kLeftButtonUp, TPoint{512, 700}, 0);
    }
    for (int i = 0; i < 4000 && TopScreen() != "GS_Main"; ++i) engine_->ProcessStep();
    return TopScreen() == "GS_Main";
  }
  TEngine& Engine() { return *engine_; }
  uint32_t PresentCount() const { return platform_->PresentCount(); }
  uint32_t SimulatedMilliseconds() const { return platform_->Milliseconds(); }

 private:
  Ref<TEngine> engine_;
  platform::HeadlessPlatform* platform_ = nullptr;
  bool ok_ = false;
};

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void BM_StartToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    Clock::time_point begin = Clock::now();
    SampleGame game;
    if (!game.Ok()) return state.SkipWithError(game.Failure().c_str());
    if (!game.StepToFrame()) return state.SkipWithError("no frame was presented");
    // Finalising, when game goes, is not part of the start.
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - begin).count());
  }
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_StartToFirstFrame)
    ->Name("start to first frame")
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

void BM_StartUpWork(benchmark::State& state) {
  int games = 0;
  std::vector<double> cpu;
  for (auto _ : state) {
    Stopwatch watch;
    watch.Start();
    SampleGame game;
    if (!game.Ok()) return state.SkipWithError(game.Failure().c_str());
    if (!game.StepToFrame()) return state.SkipWithError("no frame was presented");
    watch.Stop();
    if (!game.StepUntilLoaded(watch)) return state.SkipWithError("the game never loaded");
    state.SetIterationTime(watch.wall);
    cpu.push_back(watch.cpu);
    games = game.GalleryGames();
  }
  std::sort(cpu.begin(), cpu.end());
  if (!cpu.empty()) state.counters["cpu_median_ms"] = cpu[cpu.size() / 2] * 1e3;
  state.counters["gallery_games"] = games;
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_StartUpWork)
    ->Name("start-up work")
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

void BM_MainScreenFrame(benchmark::State& state) {
  SampleGame game;
  if (!game.Ok()) return state.SkipWithError(game.Failure().c_str());
  // Up to the main screen, then two seconds of it so every widget is running.
  if (!game.StepToMainScreen()) return state.SkipWithError("the main screen never came");
  for (int i = 0; i < 250; ++i) game.StepToFrame();
  if (!bench::TimeFrames(state, [&] { game.StepToFrame(); })) return;
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_MainScreenFrame)
    ->Name("main screen frame")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------------------
// The playthrough

// The frames one screen had on top.
struct ScreenFrames {
  std::vector<double> seconds;
  // The most processor time one frame took: a frame far slower by the wall clock waited
  // (for the disk, as saving the player's files does, or for a core).
  double worstCpu = 0;
  double Median() const { return seconds.empty() ? 0 : seconds[seconds.size() / 2]; }
  double Worst() const { return seconds.empty() ? 0 : seconds.back(); }
};

struct PlaythroughTimes {
  std::map<std::string, ScreenFrames> screens;
  std::vector<double> loads;  // each level load: the frames on its loading screen together
  double wall = 0;
  uint32_t frames = 0;
  uint64_t simulatedMs = 0;
};

double SlowestLoad(const PlaythroughTimes& times) {
  return times.loads.empty() ? 0 : *std::max_element(times.loads.begin(), times.loads.end());
}

// The loading screen's frames are where a level is built, the frames before the first
// screen where the game starts; every other screen should keep a steady frame.
constexpr const char* kLevelLoading = "GS_LevelLoading";
constexpr const char* kStart = "(start)";
// The runs in the order they share the preference folder.
constexpr const char* kPlaythroughRuns[] = {"playthrough_1", "playthrough_2", "playthrough_3"};

// One run: the game on Script until it ends, each frame timed with the events handled
// before it and put under the screen on top when it began. '' or why the run failed.
std::string PlayRun(std::vector<platform::ScriptCommand> script, PlaythroughTimes& times) {
  Clock::time_point runBegin = Clock::now();
  const char* slowSetting = std::getenv("PLAYTHROUGH_SLOW_MS");
  const double slowCpu = slowSetting ? std::atof(slowSetting) * 1e-3 : 1e9;
  SampleGame game(std::move(script));
  if (!game.Ok()) return game.Failure();
  TEngine& engine = game.Engine();
  std::string screen = kStart;
  Stopwatch frame;
  double load = 0;
  uint32_t presents = game.PresentCount();
  while (!engine.Terminated()) {
    frame.Start();
    engine.ProcessStep();
    frame.Stop();
    if (game.PresentCount() == presents) continue;
    presents = game.PresentCount();
    ScreenFrames& frames = times.screens[screen];
    frames.seconds.push_back(frame.wall);
    frames.worstCpu = std::max(frames.worstCpu, frame.cpu);
    if (frame.cpu > slowCpu) {
      // steady_clock is CLOCK_MONOTONIC on Linux.
      auto at = [](Clock::time_point t) {
        return std::chrono::duration<double>(t.time_since_epoch()).count();
      };
      std::fprintf(stderr, "slow frame %u on %s: cpu %.1f ms, wall %.1f ms, %.6f..%.6f\n",
                   times.frames, screen.c_str(), frame.cpu * 1e3, frame.wall * 1e3,
                   at(frame.first), at(Clock::now()));
    }
    ++times.frames;
    if (screen == kLevelLoading) {
      load += frame.wall;
    } else if (load > 0) {
      times.loads.push_back(load);
      load = 0;
    }
    frame = Stopwatch();
    screen = game.TopScreen();
    if (screen.empty()) screen = kStart;
  }
  if (load > 0) times.loads.push_back(load);
  times.simulatedMs += game.SimulatedMilliseconds();
  std::string failure = engine.ScriptFailure();
  if (failure.empty()) failure = engine.FailureMessage();
  times.wall += std::chrono::duration<double>(Clock::now() - runBegin).count();
  return failure;
}

void PrintScreenTable(const PlaythroughTimes& times) {
  std::printf("%-24s %8s %10s %10s %14s\n", "screen on top", "frames", "median ms", "worst ms",
              "worst cpu ms");
  for (const auto& [name, frames] : times.screens) {
    std::printf("%-24s %8zu %10.3f %10.3f %14.3f\n", name.c_str(), frames.seconds.size(),
                frames.Median() * 1e3, frames.Worst() * 1e3, frames.worstCpu * 1e3);
  }
  std::printf("level loads: %zu, slowest %.1f ms\n", times.loads.size(), SlowestLoad(times) * 1e3);
}

void BM_Playthrough(benchmark::State& state) {
  PrepareProgram();
  // A fresh preference folder: run 1 makes the player the others go on with.
  std::filesystem::path preferences = std::getenv("GAME_PREFERENCE_DIR");
  for (auto _ : state) {
    std::filesystem::remove_all(preferences);
    std::filesystem::create_directories(preferences);
    PlaythroughTimes times;
    for (const char* run : kPlaythroughRuns) {
      std::vector<platform::ScriptCommand> script;
      std::string error;
      std::string path = std::string(PLAYTHROUGH_SCRIPTS) + "/" + run + ".script";
      if (!platform::LoadScript(path, script, error)) return state.SkipWithError(error.c_str());
      std::erase_if(script, [](const platform::ScriptCommand& command) {
        return command.op == platform::ScriptOp::Screenshot;
      });
      // As GAME_RANDOM_SEED seeds the end-to-end runs.
      SetRandomSeed(9);
      error = PlayRun(std::move(script), times);
      if (!error.empty()) {
        error = std::string(run) + ": " + error;
        return state.SkipWithError(error.c_str());
      }
    }
    state.SetIterationTime(times.wall);
    ScreenFrames steady;
    for (auto& [name, frames] : times.screens) {
      std::sort(frames.seconds.begin(), frames.seconds.end());
      if (name != kLevelLoading && name != kStart)
        steady.seconds.insert(steady.seconds.end(), frames.seconds.begin(), frames.seconds.end());
    }
    std::sort(steady.seconds.begin(), steady.seconds.end());
    state.counters["wall_s"] = times.wall;
    state.counters["frames"] = times.frames;
    state.counters["simulated_s"] = double(times.simulatedMs) / 1e3;
    state.counters["median_ms"] = steady.Median() * 1e3;
    state.counters["worst_ms"] = steady.Worst() * 1e3;
    state.counters["load_worst_ms"] = SlowestLoad(times) * 1e3;
    PrintScreenTable(times);
  }
  std::filesystem::remove_all(preferences);
  std::filesystem::create_directories(preferences);
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_Playthrough)
    ->Name("playthrough")
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
