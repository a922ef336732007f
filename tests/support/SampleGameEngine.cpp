#include "tests/support/SampleGameEngine.h"

#include <memory>

#include "engine/Engine.h"
#include "engine/EngineRegistration.h"
#include "engine/EngineRoutines.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/ResourceReader.h"
#include "functions/FunctionRegistration.h"
#include "gameplay/GameplayRegistration.h"
#include "gameplay/Tv2Declarations.h"
#include "minigames/MiniGamesRegistration.h"
#include "platform/Events.h"
#include "platform/Folders.h"
#include "platform/InputConstants.h"
#include "screens/ScreensRegistration.h"
#include "shell/ShellRegistration.h"
#include "widgets/WidgetsRegistration.h"

namespace {

void RegisterProgramClasses() {
  Tv2DeclarationsInit();
  RegisterFoundationClasses();
  RegisterEngineClasses();
  RegisterFunctionsClasses();
  RegisterShellClasses();
  RegisterWidgetsClasses();
  RegisterGameplayClasses();
  RegisterScreensClasses();
  RegisterMiniGamesClasses();
}

}  // namespace

SampleGameEngine::SampleGameEngine(const std::string& programFolder, const std::string& engineKey)
    : preferenceEnv_("GAME_PREFERENCE_DIR", preferences_.Path().string()) {
  RegisterProgramClasses();
  std::error_code ignored;
  previousFolder_ = std::filesystem::current_path(ignored);
  previousKey_ = EngineFileKey;
  EngineFileKey = engineKey;
  // "-changepath" names a folder relative to the program's own.
  const std::string relative =
      std::filesystem::relative(programFolder, platform::ProgramFolder(), ignored).string();
  const char* arguments[] = {"tavelor2", "-changepath", relative.c_str()};
  platform::SetProgramArguments(3, arguments);
  InitEngineRoutines();
  // The folder of the engine's files, for what reads them before the engine enters it.
  SetProgramFolder(GetProgramFolder());
  LoadLanguage("");
  engine_ = TAbstractObject::Create<TEngine>();
  auto owned = std::make_unique<platform::HeadlessPlatform>();
  platform_ = owned.get();
  engine_->UsePlatform(std::move(owned));
  ok_ = engine_->Initialize(GameFileName);
  if (ok_) engine_->StartRunning();
}

SampleGameEngine::~SampleGameEngine() {
  engine_->Finalize();
  engine_ = nullptr;
  MultiLanguages()->ClearStrings();
  const char* arguments[] = {"tavelor2"};
  platform::SetProgramArguments(1, arguments);
  SetProgramFolder("");
  EngineFileKey = previousKey_;
  std::error_code ignored;
  if (!previousFolder_.empty()) std::filesystem::current_path(previousFolder_, ignored);
}

std::string SampleGameEngine::Failure() const {
  return "the sample game did not start: " + engine_->FailureMessage();
}

bool SampleGameEngine::StepUntilLoaded(int limit) {
  TGame* game = Game();
  for (int i = 0; i < limit && game && game->IsLoading(); ++i) Step();
  return game && !game->IsLoading();
}

void SampleGameEngine::Step() {
  engine_->ProcessStep();
}

void SampleGameEngine::Wait(uint32_t milliseconds) {
  const uint32_t end = platform_->Milliseconds() + milliseconds;
  while (platform_->Milliseconds() < end) Step();
}

void SampleGameEngine::StepFrame() {
  const uint32_t before = platform_->PresentCount();
  for (int i = 0; i < 64 && platform_->PresentCount() == before; ++i) Step();
}

void SampleGameEngine::Post(const platform::Event& event) {
  platform_->PostEvent(event);
  // A step dispatches one event and draws no frame.
  Step();
}

void SampleGameEngine::Move(const TPoint& point) {
  platform_->WarpCursor(point);
  Post(platform::MouseEvent(input::kMouseMove, point.X, point.Y, 0));
  StepFrame();
}

void SampleGameEngine::Click(const TPoint& point, bool right) {
  const uint32_t flag = right ? platform::kMouseFlagRight : platform::kMouseFlagLeft;
  platform_->WarpCursor(point);
  Post(platform::MouseEvent(input::kMouseMove, point.X, point.Y, 0));
  Post(platform::MouseEvent(right ? input::kRightButtonDown : input::kLeftButtonDown, point.X,
                            point.Y, flag));
  Post(platform::MouseEvent(right ? input::kRightButtonUp : input::kLeftButtonUp, point.X, point.Y,
                            0));
  StepFrame();
}

uint32_t SampleGameEngine::Pixel(int32_t x, int32_t y) const {
  return platform_->ShownPixel(x, y);
}

TGame* SampleGameEngine::Game() const {
  return dynamic_cast<TGame*>(engine_->GetGame().get());
}

std::string SampleGameEngine::TopScreen() const {
  TGame* game = Game();
  return game ? game->GetTopScreenName() : std::string();
}
