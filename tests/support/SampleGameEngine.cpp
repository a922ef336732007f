#include "tests/support/SampleGameEngine.h"

#include <memory>

#include "app/ProgramClasses.h"
#include "engine/Engine.h"
#include "engine/EngineRoutines.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "foundation/Random.h"
#include "foundation/ResourceReader.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "platform/Events.h"
#include "platform/Folders.h"
#include "platform/InputConstants.h"
#include "screens/Tv2GameScreenGame.h"

Ref<TUserGameData> PublishDocumentsAndNewStory(TGame& game) {
  game.SetParamValue("scene_defs",
                     Variant(Ref<IInterface>(LoadSceneDefRefs(ScenesFileName).get())));
  game.SetParamValue("participants",
                     Variant(Ref<IInterface>(LoadParticipants(ParticipantsFileName).get())));
  Ref<TUserGameData> story = TAbstractObject::Create<TUserGameData>();
  story->LoadCases(Ref<IHierStorage>(LoadDataDocument(DefaultScenarioFileName).get()));
  return story;
}

Ref<TUGDScene> AddTaskScene(TUserGameData& story, IUGDTask& task, const std::string& sceneName) {
  Ref<TUGDScene> scene = TAbstractObject::Create<TUGDScene>();
  scene->SetName(sceneName);
  scene->SetParamValue("scenename", Variant(sceneName));
  for (const char* count : {"ho_count", "io_count", "do_count"})
    if (!task.GetParamValue(count).IsClear())
      scene->SetParamValue(count, task.GetParamValue(count));
  story.GetScenes()->Add(Ref<IUGDScene>(scene.get()));
  return scene;
}

SampleGameEngine::SampleGameEngine(const std::string& programFolder, const std::string& engineKey,
                                   std::unique_ptr<IAudio> audio)
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
  // The folder of the engine's files, for what reads them before the engine enters it. The
  // program enters it once per process; an engine made after another was destroyed (which
  // went back to the folder before) must enter it again, or it reads no language file.
  SetProgramFolder(GetProgramFolder());
  std::filesystem::current_path(GetProgramFolder(), ignored);
  LoadLanguage("");
  engine_ = TAbstractObject::Create<TEngine>();
  auto owned = std::make_unique<platform::HeadlessPlatform>();
  platform_ = owned.get();
  engine_->UsePlatform(std::move(owned));
  if (audio) engine_->UseAudio(std::move(audio));
  ok_ = engine_->Initialize(GameFileName);
  if (ok_) engine_->StartRunning();
}

SampleGameEngine::~SampleGameEngine() {
  if (progress) progress->ReleaseLinks();
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

TTavelor2GameScreenGame* SampleGameEngine::StartTask(const std::string& caseName,
                                                     const std::string& taskName,
                                                     const std::string& participant,
                                                     const std::string& givenTime) {
  TGame* game = ok_ && StepUntilLoaded() ? Game() : nullptr;
  if (!game) return nullptr;
  progress = PublishDocumentsAndNewStory(*game);
  game->SetParamValue("user_game_data", Variant(Ref<IInterface>(progress.get())));
  Ref<IUGDCase> story = progress->GetCases()->GetItem(Variant(caseName));
  Ref<IUGDStage> stage = story ? story->CurrentStage() : nullptr;
  task = stage ? stage->GetTasks()->GetItem(Variant(taskName)) : nullptr;
  if (!task) return nullptr;
  if (!givenTime.empty()) task->SetParamValue("given_time", Variant(givenTime));
  AddTaskScene(*progress, *task, task->GetParamValueDef("scenename", Variant("")).ToString());
  if (beforeTask) beforeTask(*game);

  SetRandomSeed(1);
  game->ShowScreen("GS_Game",
                   ParamsFromString("\\case=" + caseName + "\\stage=" + stage->GetName() +
                                    "\\task=" + taskName + "\\participant=" + participant));
  auto* screen = dynamic_cast<TTavelor2GameScreenGame*>(
      game->GetScreens()->GetScreen(Variant("GS_Game")).get());
  if (!screen || !WaitFor([&] { return TopScreen() == "GS_Game"; }, 10000) ||
      !WaitFor([&] { return !screen->IsInputBlocked(); }, 10000))
    return nullptr;
  return screen;
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
