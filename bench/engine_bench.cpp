// The engine's own cost per frame, headless, with a game that draws nothing:
//
//   loop step        one paced loop step: pacing, update, invalidation, present, end
//   present full     a whole 1024 x 768 frame invalidated and sent to the display
//   present 32x32    one small dirty rectangle invalidated and sent
//
// The headless clock moves one frame interval per present, so no step ever sleeps: the
// times are the engine's work alone.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "engine/Engine.h"
#include "engine/EngineRegistration.h"
#include "foundation/Cipher.h"
#include "foundation/EngineDeclarations.h"
#include "gameplay/Tv2Declarations.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

// A game that does nothing at all, so only the engine is measured.
class TIdleGame : public TPersistObject, public virtual IGame {
 public:
  void Initialize(const Ref<IEngine>&) override {}
  void Done() override {}
  void Update(int32_t) override {}
  void Draw(ISurface*, int32_t, int32_t) override {}
  bool HandleMouse(uint32_t, const TPoint&, uint32_t) override { return false; }
  bool HandleKey(uint32_t, uintptr_t, intptr_t) override { return false; }
  void Activate(bool) override {}
  bool CanClose() override { return true; }
  void SetOption(const std::string&, const std::string&) override {}
  void InvalidateAll() override {}
  std::string GetTopScreenName() override { return {}; }
};

// A running engine on the headless backend, after its first frame.
class BenchEngine {
 public:
  BenchEngine() {
    Tv2DeclarationsInit();
    RegisterFoundationClasses();
    RegisterEngineClasses();
    static bool registered = false;
    if (!registered) RegisterClassName<TIdleGame>("IdleGame");
    registered = true;
    folder_ = std::filesystem::temp_directory_path() / "engine_bench_game";
    std::filesystem::create_directories(folder_);
    std::string file = (folder_ / "game.ini").string();
    std::ofstream(file) << TCipher_Xtea(EngineFileKey)
                               .CodeString("<game type=\"IdleGame\"/>", kCipherEncipher,
                                           kFormatHex);
    engine_ = TAbstractObject::Create<TEngine>();
    engine_->UsePlatform(std::make_unique<platform::HeadlessPlatform>());
    ok_ = engine_->Initialize(file);
    if (!ok_) return;
    engine_->StartRunning();
    for (int i = 0; i < 4; ++i) engine_->ProcessStep();
  }
  ~BenchEngine() {
    engine_->Finalize();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  bool Ok() const { return ok_; }
  TEngine& Engine() { return *engine_; }

 private:
  std::filesystem::path folder_;
  Ref<TEngine> engine_;
  bool ok_ = false;
};

void BM_LoopStep(benchmark::State& state) {
  BenchEngine bench;
  if (!bench.Ok()) return state.SkipWithError("the engine did not start");
  for (auto _ : state) bench.Engine().ProcessStep();
}
BENCHMARK(BM_LoopStep)->Name("loop step");

void Present(benchmark::State& state, TRect dirty) {
  BenchEngine bench;
  if (!bench.Ok()) return state.SkipWithError("the engine did not start");
  for (auto _ : state) {
    bench.Engine().RedrawRect(dirty);
    bench.Engine().ProcessStep();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * dirty.Width() * dirty.Height() * 4);
}

void BM_PresentFull(benchmark::State& state) {
  Present(state, TRect{0, 0, 1024, 768});
}
BENCHMARK(BM_PresentFull)->Name("present full 1024x768");

void BM_PresentSmall(benchmark::State& state) {
  Present(state, TRect{500, 300, 532, 332});
}
BENCHMARK(BM_PresentSmall)->Name("present 32x32");

}  // namespace
