// The story flow of the diary: starting the current task, settling a finished one, the
// stages' and tasks' start and end screens, the next stage and case, the reset of the
// story, and what the screens the diary opened say when they close.

#include "foundation/CheckedMath.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2UserGameData.h"
#include "screens/Tv2DiaryPages.h"
#include "screens/Tv2GameScreenDiary.h"
#include "screens/Tv2ProgressRecords.h"

using namespace diary_text;

namespace {

constexpr std::string_view kOutParamPrefix = "out_param:";

int OpenTaskCount(const Ref<IUGDTaskCollection>& tasks) {
  int count = 0;
  for (int i = 0; i < tasks->Count(); ++i)
    if (Ref<IUGDTask> task = tasks->GetItem(Variant(i)); task && !task->IsCompleted()) ++count;
  return count;
}

Ref<IUGDTask> FirstOpenTask(const Ref<IUGDTaskCollection>& tasks) {
  for (int i = 0; i < tasks->Count(); ++i)
    if (Ref<IUGDTask> task = tasks->GetItem(Variant(i)); task && !task->IsCompleted()) return task;
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Texts of records and parameters

namespace diary_text {

std::string ParamText(const Ref<IParamCollection>& params, const std::string& name) {
  return params ? params->GetValue(name, Variant("")).ToString() : std::string();
}

}  // namespace diary_text

int32_t TTavelor2GameScreenDiary::NextCaseLevel(int32_t level) {
  return SaturateInt32((int64_t(DivSafe(level, 10)) + 1) * 10);
}

TTavelor2GameScreenDiary::TFlowScope::TFlowScope(TTavelor2GameScreenDiary& diary)
    : diary_(diary), ok_(++diary.flowDepth_ <= kMaxFlowDepth) {
  if (ok_) return;
  // Data that keeps settling and starting tasks without end: this flow stops here.
  Warn(DefaultScenarioFileName, "the diary's story flow goes round without end; stopped");
  ++diary_.generation_;
}

// ---------------------------------------------------------------------------------------
// Records

Ref<IUGDTask> TTavelor2GameScreenDiary::CurrentTask() {
  Ref<IUGDStage> stage = CurrentStage();
  if (!stage || currentTaskName_.empty()) return nullptr;
  return stage->GetTasks()->GetItem(Variant(currentTaskName_));
}

Ref<IParticipantCollection> TTavelor2GameScreenDiary::GetParticipants() {
  if (!owner_) return nullptr;
  return Supports<IParticipantCollection>(owner_->GetParamValue("participants").RawInterface());
}

// ---------------------------------------------------------------------------------------
// Starting a task

void TTavelor2GameScreenDiary::StartTask() {
  TFlowScope scope(*this);
  if (!scope) return;
  const int generation = generation_;
  Ref<IParamCollection> result = NewParamCollection();
  Ref<IUGDCase> gameCase = CurrentCase();
  Ref<IUGDStage> stage = CurrentStage();
  result->SetValue("case", Variant(gameCase ? gameCase->GetName() : std::string()));
  result->SetValue("stage", Variant(stage ? stage->GetName() : std::string()));
  Ref<IUGDTask> task = CurrentTask();
  // A done task is current only while nothing is selected.
  if (!task || task->IsCompleted() || Text(task, "scenename").empty()) return;
  RaiseCurtain();
  if (savedShine_ != "none") {
    SetText(stage, "shine_diary_button", "none");
    SetText(task, "shine_diary_button", savedShine_);
    savedShine_ = "none";
  }
  if (Text(task, "show_start_screen", "yes") == "yes") {
    SetText(task, "show_start_screen", "no");
    // A task that names no start screen starts at once.
    const std::string name = Text(task, "start_screen_name");
    pendingScreen_ = name;
    startScreenFlag_ = !name.empty();
    if (!name.empty()) return OpenPendingScreen(name, nullptr);
  } else {
    pendingScreen_.clear();
    startScreenFlag_ = false;
  }
  if (!Text(task, "select_scene_names").empty()) {
    OpenScreen("GS_SelectScene", task->GetParams());
    return;
  }
  LowerCurtain();
  result->SetValue("task", Variant(task->GetName()));
  result->SetValue("participant",
                   Variant(participantPage_ ? participantPage_->GetTaskParticipant(task->GetName())
                                            : std::string()));
  result->SetValue("play_mode", Variant(0));
  if (TaskSceneReady(task)) {
    if (std::string note = Text(task, "journal_note_on_start_task"); !note.empty() && progress_)
      progress_->AddToJournal(note);
    return CloseWithResult(result);
  }
  // A task whose scene cannot be played is done without play.
  task->SetCompleted(true);
  if (!Stopped(generation)) ChildClosed("GS_Game", task->GetParams());
}

bool TTavelor2GameScreenDiary::TaskSceneReady(const Ref<IUGDTask>& task) {
  if (!progress_ || !owner_) return false;
  std::string name = Text(task, "scenename");
  Ref<IUGDSceneCollection> scenes = progress_->GetScenes();
  if (Ref<IUGDScene> scene = scenes->GetItem(Variant(name))) {
    name = Text(scene, "scenename", name);
  } else if (Text(task, "enable_own_scene", "yes") == "yes") {
    Ref<TUGDScene> own = TAbstractObject::Create<TUGDScene>();
    own->SetName(name);
    own->SetParamValue("scenename", Variant(name));
    own->SetParamValue("ho_count", task->GetParamValueDef("ho_count", Variant(0)));
    scenes->Add(Ref<IUGDScene>(own.get()));
  } else {
    WarnAboutUnplayableTask(task->GetName(), name, true);
    return false;
  }
  Ref<ISceneDefRefCollection> defs =
      Supports<ISceneDefRefCollection>(owner_->GetParamValue("scene_defs").RawInterface());
  if (defs && !name.empty() && defs->GetItem(Variant(name))) return true;
  // Without any scene list, its own file was said to be missing.
  if (defs) WarnAboutUnplayableTask(task->GetName(), name, false);
  return false;
}

// ---------------------------------------------------------------------------------------
// Settling a task

void TTavelor2GameScreenDiary::SelectNextTask() {
  TFlowScope scope(*this);
  if (!scope) return;
  const int generation = generation_;
  OnTaskFinished();
  if (Stopped(generation)) return;
  ClearMap();
  Ref<IUGDStage> stage = CurrentStage();
  if (!stage) return;
  Ref<IUGDTaskCollection> tasks = stage->GetTasks();
  const int completed = tasks->Count() - OpenTaskCount(tasks);
  for (int i = 0; i < tasks->Count(); ++i) {
    Ref<IUGDTask> task = tasks->GetItem(Variant(i));
    if (!task || task->IsCompleted()) continue;
    if (task->GetParamValueDef("pos_in_stage", Variant(-1)).ToInt(-1) != completed + 1) continue;
    task->SetParamValue("pos_in_stage", Variant(-1));
    currentTaskName_ = task->GetName();
    SelectOnMap();
    if (!Stopped(generation)) StartTask();
    return;
  }
  Ref<IUGDCase> gameCase = CurrentCase();
  if (!Text(gameCase, "select_case_names").empty()) return OpenCaseSelection(gameCase);
  EnterStage();
  if (!Stopped(generation)) pickedAnotherTask_ = false;
}

void TTavelor2GameScreenDiary::OnTaskFinished() {
  TFlowScope scope(*this);
  if (!scope) return;
  const int generation = generation_;
  Ref<IUGDCase> gameCase = CurrentCase();
  Ref<IUGDStage> stage = CurrentStage();
  Ref<IUGDTask> task = CurrentTask();
  if (!gameCase || !stage || !task || !progress_) return;
  progress_->AddFindedVoodoo(Text(task, "finded_voodoo"));
  VoodooMiniGameStarts();
  if (!task->IsCompleted()) return;
  if (std::string end = Text(task, "end_screen_name"); !end.empty()) {
    SetText(task, "end_screen_name", "");
    if (!showEndScreen_.empty() && SameText(end, showEndScreen_)) {
      // Opened already when the diary was shown: wait for it, or go on when it has closed.
      showEndScreen_.clear();
      if (showEndScreenOpen_) {
        pendingScreen_ = end;
        settlingTask_ = task->GetName();
        return;
      }
    } else {
      pendingScreen_ = end;
      settlingTask_ = task->GetName();
      return OpenPendingScreen(end, nullptr);
    }
  }
  if (stage->IsCompleted() || AllCompleted(stage->GetTasks())) {
    stage->SetCompleted(true);
    settlingTask_ = task->GetName();
    if (StageFinale(stage)) return;
    settlingTask_.clear();
    if (gameCase->IsCompleted() || AllCompleted(gameCase->GetStages())) {
      gameCase->SetCompleted(true);
      Ref<IUGDCase> next = NextCase();
      if (!next) {
        // A game offered now would be lost with the reset: the new story hides the dolls
        // again.
        return ResetGameData();
      } else if (!Text(next, "select_case_names").empty()) {
        return OpenCaseSelection(next);
      } else if (!EnterNextStage()) {
        return;
      }
    } else if (!EnterNextStage()) {
      return;
    }
    if (Stopped(generation)) return;
  }
  progress_->SetLevel(SaturateInt32(int64_t(progress_->GetLevel()) + 1));
  SelectOnMap();
  if (Stopped(generation)) return;
  Ref<IUGDStage> current = CurrentStage();
  Ref<IUGDTask> selected = CurrentTask();
  if (current && selected && Text(selected, "forsed_show_diary", "no") == "no" &&
      OpenTaskCount(current->GetTasks()) == 1)
    StartTask();
}

Ref<IUGDCase> TTavelor2GameScreenDiary::NextCase() {
  Ref<IUGDCaseCollection> cases = progress_->GetCases();
  for (int i = 1; i < cases->Count(); ++i) {
    Ref<IUGDCase> candidate = cases->GetItem(Variant(i));
    if (!candidate || candidate->IsCompleted()) continue;
    Ref<IUGDStage> first = candidate->GetStages()->GetItem(Variant(0));
    if (!first) continue;
    progress_->SetParamValue("currentcase", Variant(candidate->GetName()));
    candidate->SetParamValue("currentstage", Variant(first->GetName()));
    progress_->SetLevel(NextCaseLevel(progress_->GetLevel()));
    return candidate;
  }
  return nullptr;
}

bool TTavelor2GameScreenDiary::EnterNextStage() {
  Ref<IUGDCase> gameCase = CurrentCase();
  if (!gameCase) return false;
  Ref<IUGDStage> stage = gameCase->CurrentStage();
  if (!stage || stage->IsCompleted()) {
    stage = nullptr;
    Ref<IUGDStageCollection> stages = gameCase->GetStages();
    for (int i = 0; i < stages->Count() && !stage; ++i)
      if (Ref<IUGDStage> candidate = stages->GetItem(Variant(i));
          candidate && !candidate->IsCompleted())
        stage = candidate;
    if (!stage) return false;
    gameCase->SetParamValue("currentstage", Variant(stage->GetName()));
  }
  EnterStage();
  return true;
}

bool TTavelor2GameScreenDiary::StageFinale(const Ref<IUGDStage>& stage) {
  if (participantPage_ && progress_ &&
      participantPage_->IsMatchReady(progress_->GetMatchedClients())) {
    SelectTab(1);
    requestedTab_ = 2;
    tabLock_ = true;
    participantPage_->MatchClient();
    return true;
  }
  if (Text(stage, "show_end_screen", "yes") != "yes") return false;
  const std::string end = Text(stage, "end_screen_name");
  if (end.empty()) return false;
  pendingScreen_ = end;
  SetText(stage, "end_screen_name", "");
  OpenPendingScreen(end, nullptr);
  return true;
}

void TTavelor2GameScreenDiary::OpenCaseSelection(const Ref<IUGDCase>& gameCase) {
  if (!gameCase || !progress_) return;
  const std::string names = Text(gameCase, "select_case_names");
  if (participantPage_) participantPage_->ShowParticipants(gameCase);
  progress_->SetParamValue("select_case_names", Variant(names));
  // Without the selection screen the current case goes on.
  if (!OpenScreen("GS_SelectCase", nullptr)) EnterStage();
}

bool TTavelor2GameScreenDiary::VoodooMiniGameStarts() {
  if (!voodooPage_ || !progress_) return false;
  // Played once: the page shows how it ended instead.
  if (!Text(progress_, kVoodooResult).empty()) return false;
  Ref<IUGDTask> task = CurrentTask();
  const bool pushed = Text(task, "push_minigame_voodoo", "no") == "yes";
  const int32_t need = voodooPage_->GetProperty("voodoo_count_need").ToInt(0);
  const bool allFound =
      need > 0 && int64_t(SplitListItems(progress_->GetFindedVoodoo()).size()) == int64_t(need) + 1;
  if (!pushed && !allFound) return false;
  SelectTab(2);
  if (Ref<IWidget> start = voodooPage_->FindWidget("start_minigame")) start->Restart();
  return true;
}

void TTavelor2GameScreenDiary::Update(int32_t dt) {
  TGameScreen::Update(dt);
  if (voodooResultKept_ || !voodooPage_ || !progress_) return;
  Ref<IWidget> game = voodooPage_->FindWidget("minigame");
  if (game && game->GetProperty("win").ToBool()) KeepVoodooResult("won");
}

void TTavelor2GameScreenDiary::KeepVoodooResult(const std::string& result) {
  if (!progress_ || voodooResultKept_) return;
  voodooResultKept_ = true;
  SetText(progress_, kVoodooResult, result);
  if (voodooPage_) {
    voodooPage_->SetProperty("minigame_result", Variant(result));
    // The page's own way of saying how its game ended, as on every later visit.
    if (Ref<IWidget> shown = voodooPage_->FindWidget("show_" + result)) shown->Restart();
  }
  progress_->StoreToProfile(owner_);
}

void TTavelor2GameScreenDiary::SkipVoodooGame() {
  Ref<IWidget> game = voodooPage_ ? voodooPage_->FindWidget("minigame") : nullptr;
  if (!game || voodooResultKept_ || game->GetProperty("win").ToBool()) return;
  KeepVoodooResult("skipped");
  // A skip is a win: the game shows itself done.
  game->SetProperty("need_skip", Variant(true));
}

// ---------------------------------------------------------------------------------------
// Stages

void TTavelor2GameScreenDiary::EnterStage() {
  Ref<IUGDStage> stage = CurrentStage();
  if (!stage) return;
  const int generation = generation_;
  if (participantPage_) {
    if (Ref<IWidget> hideAll = participantPage_->FindWidget("hide_all")) hideAll->Restart();
    const std::string pageName = Text(stage, "participant_page", "page1");
    participantPage_->SetPageName(pageName);
    if (Ref<IWidget> page = participantPage_->FindWidget(pageName)) page->SetVisible(true);
  }
  savedShine_ = Text(stage, "shine_diary_button", "none");
  const std::string showTab = Text(stage, "show_tab");
  if (showTab == "participant") SelectTab(1);
  if (showTab == "tasks") SelectTab(0);
  if (requestedTab_ == -1) {
    if (participantPage_ && participantPage_->FindWidget("show_mached_twain")) SelectTab(1);
  } else {
    SelectTab(requestedTab_);
    requestedTab_ = 0;
  }
  if (Text(stage, "show_start_screen", "yes") == "yes") {
    SetText(stage, "show_start_screen", "no");
    pendingScreen_ = Text(stage, "start_screen_name");
    if (!pendingScreen_.empty()) {
      pendingScreen_ = ResolveOutParam(pendingScreen_);
      startScreenFlag_ = Text(stage, "no_map_after_screen", "no") == "yes";
      OpenPendingScreen(pendingScreen_, nullptr);
      if (Stopped(generation)) return;
    }
  }
  if (pendingScreen_.empty() && Text(stage, "no_map_on_stage", "no") == "yes" &&
      Text(stage, "forsed_show_diary", "no") == "no") {
    SetText(stage, "no_map_on_stage", "no");
    // The map is not built yet: the stage's first open task is the one to start.
    if (Ref<IUGDTask> first = FirstOpenTask(stage->GetTasks())) currentTaskName_ = first->GetName();
    return StartTask();
  }
  RefreshMapAndPages();
}

std::string TTavelor2GameScreenDiary::ResolveOutParam(const std::string& text) {
  if (text.compare(0, kOutParamPrefix.size(), kOutParamPrefix) != 0 || !progress_) return text;
  std::vector<std::string> parts;
  std::string rest = text.substr(kOutParamPrefix.size());
  for (size_t start = 0;;) {
    size_t slash = rest.find('/', start);
    parts.push_back(
        rest.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (parts.size() < 2 || parts.size() > 4) return text;
  Ref<IUGDCase> gameCase = progress_->GetCases()->GetItem(Variant(parts[0]));
  if (!gameCase) return text;
  if (parts.size() == 2) return Text(gameCase, parts[1], text);
  Ref<IUGDStage> stage = gameCase->GetStages()->GetItem(Variant(parts[1]));
  if (!stage) return text;
  if (parts.size() == 3) return Text(stage, parts[2], text);
  Ref<IUGDTask> task = stage->GetTasks()->GetItem(Variant(parts[2]));
  return task ? Text(task, parts[3], text) : text;
}

// ---------------------------------------------------------------------------------------
// Screens the diary opened, and their closing

void TTavelor2GameScreenDiary::OpenPendingScreen(const std::string& name,
                                                 const Ref<IParamCollection>& params) {
  if (OpenScreen(name, params)) return;
  // The story goes on as if the screen had been shown and closed.
  pendingScreen_.clear();
  PendingScreenClosed();
}

void TTavelor2GameScreenDiary::PendingScreenClosed() {
  // An end screen interrupted the settling of a task: it goes on with that task, whatever
  // the map selected meanwhile.
  if (!startScreenFlag_ && !settlingTask_.empty()) currentTaskName_ = settlingTask_;
  settlingTask_.clear();
  // The voodoo game waits on its page: nothing would take the story up again after it,
  // so it does not stop the story.
  VoodooMiniGameStarts();
  if (startScreenFlag_)
    StartTask();
  else
    OnTaskFinished();
}

void TTavelor2GameScreenDiary::OnChildClosed(const std::string& name,
                                             const Ref<IParamCollection>& result) {
  TGameScreen::OnChildClosed(name, result);
  ChildClosed(name, result);
}

void TTavelor2GameScreenDiary::ChildClosed(const std::string& name,
                                           const Ref<IParamCollection>& result) {
  TFlowScope scope(*this);
  if (!scope) return;
  const int generation = generation_;
  RaiseCurtain();
  LowerCurtain();
  if (showEndScreenOpen_ && SameText(name, showEndScreen_)) showEndScreenOpen_ = false;
  if (result && SameText(ParamText(result, "user_quit"), "yes")) return CloseWithResult(result);
  if (!pendingScreen_.empty() && SameText(name, pendingScreen_)) {
    pendingScreen_.clear();
    const int resets = resets_;
    PendingScreenClosed();
    // After a reset the story starts anew: nothing of the old one goes on.
    if (resets != resets_) return;
  }
  if (SameText(name, "GS_Comics_final")) return ResetGameData();
  if (std::string scene = ParamText(result, "enable_scene_name");
      !scene.empty() && progress_ && owner_ && !progress_->GetScenes()->GetItem(Variant(scene)) &&
      !owner_->GetParamValue("scene_defs").IsClear()) {
    Ref<TUGDScene> added = TAbstractObject::Create<TUGDScene>();
    added->SetName(scene);
    added->SetParamValue("scenename", Variant(scene));
    progress_->GetScenes()->Add(Ref<IUGDScene>(added.get()));
  }
  if (Stopped(generation)) return;
  if (result && SameText(ParamText(result, "show_end_screen"), "yes")) {
    pendingScreen_ = ParamText(result, "end_screen_name");
    return OpenPendingScreen(pendingScreen_, result);
  }
  if (SameText(name, "GS_SelectCase")) return SelectNextTask();
  if (SameText(name, "GS_SelectTask") || SameText(name, "GS_Game")) OnTaskFinished();
}

void TTavelor2GameScreenDiary::ClientMatched(const std::string& clients) {
  if (progress_) progress_->AddMatchedClient(SplitListItems(clients).front());
  OnTaskFinished();
}

// ---------------------------------------------------------------------------------------
// A new story

void TTavelor2GameScreenDiary::ResetGameData() {
  if (progress_ && progress_->GetCases()->Count() > 0) {
    for (auto set : {&IUserGameData::SetJournal, &IUserGameData::SetMatchedClients,
                     &IUserGameData::SetFindedVoodoo, &IUserGameData::SetOpenGifts,
                     &IUserGameData::SetChosenGifts, &IUserGameData::SetOpenPlaces,
                     &IUserGameData::SetChosenPlaces, &IUserGameData::SetTempList})
      (progress_.get()->*set)(std::string());
    // A new story hides its dolls again, and their game with them.
    SetText(progress_, kVoodooResult, "");
    voodooResultKept_ = false;
    progress_->StoreToProfile(owner_);
    progress_->ResetScenes();
    ResetCases(progress_);
  }
  ++resets_;
  CloseWithResult(nullptr);
}
