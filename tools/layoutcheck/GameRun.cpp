#include "tools/layoutcheck/GameRun.h"

#include <cstdlib>
#include <memory>

#include "app/ProgramClasses.h"
#include "engine/EngineRoutines.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "foundation/Random.h"
#include "foundation/ResourceReader.h"
#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "platform/Folders.h"
#include "screens/Tv2GameScreenGame.h"

namespace {

constexpr int kLoadSteps = 20000;
constexpr uint32_t kSettleMs = 3000;
constexpr uint32_t kTaskStartMs = 15000;
const char* const kPlayerName = "Player";

std::filesystem::path MakePreferenceFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "layoutcheck-XXXXXX").string();
  return mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
}

}  // namespace

GameRun::GameRun(const std::filesystem::path& programFolder) {
  RegisterProgramClasses();
  preferences_ = MakePreferenceFolder();
  if (preferences_.empty()) {
    failure_ = "cannot make a preference folder";
    return;
  }
  setenv("GAME_PREFERENCE_DIR", preferences_.c_str(), 1);
  // "-changepath" names a folder relative to the program's own.
  std::error_code ignored;
  const std::string relative =
      std::filesystem::relative(std::filesystem::absolute(programFolder, ignored),
                                platform::ProgramFolder(), ignored)
          .string();
  const char* arguments[] = {"layoutcheck", "-changepath", relative.c_str()};
  platform::SetProgramArguments(3, arguments);
  InitEngineRoutines();
  SetProgramFolder(GetProgramFolder());
  std::filesystem::current_path(GetProgramFolder(), ignored);
  if (ignored) {
    failure_ = "cannot enter the program folder " + programFolder.string();
    return;
  }
  // The language file the start-up parameters name, as the program reads it.
  ReadStartupParams();
  LoadLanguage("");
  engine_ = TAbstractObject::Create<TEngine>();
  auto owned = std::make_unique<platform::HeadlessPlatform>();
  platform_ = owned.get();
  engine_->UsePlatform(std::move(owned));
  if (!engine_->Initialize(GameFileName)) {
    failure_ = "the game did not start: " + engine_->FailureMessage();
    return;
  }
  engine_->StartRunning();
  TGame* game = dynamic_cast<TGame*>(engine_->GetGame().get());
  for (int i = 0; i < kLoadSteps && game && game->IsLoading(); ++i) engine_->ProcessStep();
  if (!game || game->IsLoading()) {
    failure_ = "the game never finished loading";
    return;
  }
  // A player of one's own: the menu greets them and the diary keeps their story.
  if (Ref<IUserProfileCollection> profiles = game->GetUserProfiles()) {
    profiles->GetOrCreate(kPlayerName);
    profiles->SetCurrent(kPlayerName);
  }
  baseScreens_ = game->GetStack()->Count();
  ready_ = true;
}

GameRun::~GameRun() {
  if (story_) story_->ReleaseLinks();
  if (engine_) engine_->Finalize();
  engine_ = nullptr;
  std::error_code ignored;
  if (!preferences_.empty()) std::filesystem::remove_all(preferences_, ignored);
}

TGame& GameRun::Game() const {
  return *dynamic_cast<TGame*>(engine_->GetGame().get());
}

void GameRun::Wait(uint32_t milliseconds) {
  const uint32_t end = platform_->Milliseconds() + milliseconds;
  while (platform_->Milliseconds() < end) engine_->ProcessStep();
}

void GameRun::StartStory() {
  TGame& game = Game();
  game.SetParamValue("scene_defs",
                     Variant(Ref<IInterface>(LoadSceneDefRefs(ScenesFileName).get())));
  game.SetParamValue("participants",
                     Variant(Ref<IInterface>(LoadParticipants(ParticipantsFileName).get())));
  if (story_) story_->ReleaseLinks();
  story_ = TAbstractObject::Create<TUserGameData>();
  story_->LoadCases(Ref<IHierStorage>(LoadDataDocument(DefaultScenarioFileName).get()));
  game.SetParamValue("user_game_data", Variant(Ref<IInterface>(story_.get())));
}

void GameRun::ShowAndSettle(const std::string& screen, const Ref<IParamCollection>& params) {
  Game().ShowScreen(screen, params);
  Wait(kSettleMs);
}

void GameRun::OfferCases(const std::string& offer) {
  if (story_) story_->SetParamValue("select_case_names", Variant(offer));
}

void GameRun::AddScenes(const TaskToPlay& play, const std::vector<std::string>& names) {
  Ref<IUGDCase> story = story_ ? story_->GetCases()->GetItem(Variant(play.caseName)) : nullptr;
  Ref<IUGDStage> stage = story ? story->GetStages()->GetItem(Variant(play.stageName)) : nullptr;
  Ref<IUGDTask> task = stage ? stage->GetTasks()->GetItem(Variant(play.taskName)) : nullptr;
  if (!task) return;
  for (const std::string& name : names) {
    if (story_->GetScenes()->GetItem(Variant(name))) continue;
    Ref<TUGDScene> scene = TAbstractObject::Create<TUGDScene>();
    scene->SetName(name);
    scene->SetParamValue("scenename", Variant(name));
    for (const char* count : {"ho_count", "io_count", "do_count"})
      if (!task->GetParamValue(count).IsClear())
        scene->SetParamValue(count, task->GetParamValue(count));
    story_->GetScenes()->Add(Ref<IUGDScene>(scene.get()));
  }
}

void GameRun::CloseShownScreens() {
  TGame& game = Game();
  // A screen may show another as it closes; the count bounds the walk.
  for (int tries = 0; tries < 32 && game.GetStack()->Count() > baseScreens_; ++tries) {
    Ref<IGameScreenSlave> top = game.GetStack()->GetScreen(Variant(game.GetStack()->Count() - 1));
    if (!top || !game.CloseScreen(top.get(), nullptr)) break;
    Wait(500);
  }
}

void GameRun::CloseScreensAbove(const std::string& screen) {
  TGame& game = Game();
  bool closed = false;
  for (int tries = 0;
       tries < 8 && game.GetStack()->Count() > baseScreens_ && game.GetTopScreenName() != screen;
       ++tries) {
    Ref<IGameScreenSlave> top = game.GetStack()->GetScreen(Variant(game.GetStack()->Count() - 1));
    if (!top || !game.CloseScreen(top.get(), nullptr)) break;
    Wait(500);
    closed = true;
  }
  if (closed) Wait(kSettleMs);
}

bool GameRun::PlayTask(const TaskToPlay& play) {
  StartStory();
  Ref<IUGDCase> story = story_->GetCases()->GetItem(Variant(play.caseName));
  Ref<IUGDStage> stage = story ? story->GetStages()->GetItem(Variant(play.stageName)) : nullptr;
  Ref<IUGDTask> task = stage ? stage->GetTasks()->GetItem(Variant(play.taskName)) : nullptr;
  if (!task) return false;
  AddScenes(play, play.scenes);
  SetRandomSeed(1);
  TGame& game = Game();
  game.ShowScreen(
      "GS_Game", ParamsFromString("\\case=" + play.caseName + "\\stage=" + play.stageName +
                                  "\\task=" + play.taskName + "\\participant=" + play.participant));
  auto* screen = dynamic_cast<TTavelor2GameScreenGame*>(
      game.GetScreens()->GetScreen(Variant("GS_Game")).get());
  const uint32_t end = platform_->Milliseconds() + kTaskStartMs;
  while (platform_->Milliseconds() < end) {
    if (screen && game.GetTopScreenName() == "GS_Game" && !screen->IsInputBlocked()) {
      Wait(kSettleMs);
      return true;
    }
    engine_->ProcessStep();
  }
  return false;
}
