#include "screens/Tv2GameScreenSelectTask.h"

#include "foundation/CheckedMath.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2UserGameData.h"
#include "platform/InputConstants.h"
#include "screens/Tv2GameScreenSelectCase.h"
#include "screens/Tv2ProgressRecords.h"
#include "shell/WidgetClasses.h"

namespace {

const char* const kSelectCaseNames = "select_case_names";
const char* const kShowStartScreen = "show_start_screen";
const char* const kStartScreenName = "start_screen_name";
const char* const kShowEndScreen = "show_end_screen";
const char* const kEndScreenName = "end_screen_name";
const char* const kSceneName = "scenename";
const char* const kObjectsLeftCount = "objects_left_count";
const char* const kLabelCountKey = "label_objects_left_count";
const char* const kGameScreen = "GS_Game";
constexpr int64_t kLabelStepX = 250;
constexpr int64_t kLabelStepY = 50;

}  // namespace

// ---------------------------------------------------------------------------------------
// Set-up, showing and hiding

void TTavelor2GameScreenSelectTask::SetOwner(IGameScreenOwner* owner) {
  TGameScreen::SetOwner(owner);
  labelGroup_ = FindWidget("labels_group");
  animationGroup_ = FindWidget("animation_group");
  shared_ = NewParamCollection();
}

void TTavelor2GameScreenSelectTask::ReleaseOwner() {
  ClearLabels();
  if (Ref<IWidget> animations = animationGroup_)
    if (Ref<IWidgetCollection> children = animations->GetChildren()) children->Clear();
  DropProgress();
  labelGroup_ = nullptr;
  animationGroup_ = nullptr;
  selectedLabel_ = nullptr;
  TGameScreen::ReleaseOwner();
}

void TTavelor2GameScreenSelectTask::OnShow(const Ref<IParamCollection>& params) {
  TGameScreen::OnShow(params);
  startScreen_ = false;
  if (params && params->FindParam(Variant("play_mode")))
    playMode_ = uint8_t(params->GetValue("play_mode").ToInt(0));
  LoadProgress();
}

void TTavelor2GameScreenSelectTask::OnShown(const Ref<IParamCollection>& params) {
  TGameScreen::OnShown(params);
  Ref<IUGDCase> gameCase = CurrentCase();
  if (OfferCaseSelection(gameCase)) return;
  EnterStage(CurrentStage());
  AfterChildClosed(false);
}

void TTavelor2GameScreenSelectTask::Hide() {
  ClearLabels();
  DropProgress();
  RestartWidget("hide_desktop_screen");
  TGameScreen::Hide();
}

void TTavelor2GameScreenSelectTask::LoadProgress() {
  DropProgress();
  Ref<IUserProfileCollection> profiles = owner_ ? owner_->GetUserProfiles() : nullptr;
  Ref<IUserProfile> current = profiles ? profiles->GetCurrent() : nullptr;
  if (!current) return;
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  progress->AttachProfile(current);
  progress_ = Ref<IUserGameData>(progress.get());
  // A new player's storage already holds the play mode they chose, so an empty storage
  // does not tell a player without a story: the missing case and stage do.
  if (!CurrentStageOf(progress_)) LoadScenario(true);
  progress_->SetPlayMode(playMode_);
  owner_->SetParamValue(kUserGameDataParam, Variant(Ref<IInterface>(progress_.get())));
}

void TTavelor2GameScreenSelectTask::LoadScenario(bool bothModes) {
  Ref<IHierStorageRoot> scenario = LoadDataDocument(DefaultScenarioFileName);
  for (uint8_t mode = 0; mode <= 1; ++mode) {
    if (bothModes) progress_->SetPlayMode(mode);
    progress_->LoadCases(scenario ? Ref<IHierStorage>(scenario.get()) : nullptr);
    StartAtFirstCase(progress_);
    if (!bothModes) break;
  }
  progress_->StoreToProfile(owner_);
}

void TTavelor2GameScreenSelectTask::DropProgress() {
  if (owner_) owner_->SetParamValue(kUserGameDataParam, Variant::Null());
  Ref<IUserGameData> progress = progress_;
  progress_ = nullptr;
  if (!progress) return;
  progress->StoreToProfile(owner_);
  progress->ReleaseLinks();
}

// ---------------------------------------------------------------------------------------
// The progress

Ref<IUGDTaskCollection> TTavelor2GameScreenSelectTask::StageTasks() {
  Ref<IUGDStage> stage = CurrentStage();
  return stage ? stage->GetTasks() : nullptr;
}

int32_t TTavelor2GameScreenSelectTask::CountObjectsLeft(const Ref<IUGDTask>& task) {
  if (!task) return -1;
  int32_t count = RecordInt(task.get(), kObjectsLeftCount, -1);
  Ref<IUGDSceneCollection> scenes = progress_ ? progress_->GetScenes() : nullptr;
  Ref<IUGDScene> scene =
      scenes ? scenes->GetItem(Variant(RecordText(task.get(), kSceneName))) : nullptr;
  if (!scene || count >= 0) return count;
  switch (LevelKindOf(task.get())) {
    case 0:
    case 1:
      return RecordInt(scene.get(), "ho_count", -1);
    case 2:
      return RecordInt(scene.get(), "io_count", -1);
    case 4:
      return RecordInt(scene.get(), "do_count", -1);
    default:
      return -1;
  }
}

std::string TTavelor2GameScreenSelectTask::ObjectsLeftText(int32_t count) {
  // Nothing left or nothing known: the label hides its count, and no language has a key
  // for it.
  if (count <= 0) return std::string();
  if (count > 20) count %= 10;
  if (count == 1) return std::string("%") + kLabelCountKey + "%";
  std::string text = TranslateText("%" + std::to_string(count) + "_" + kLabelCountKey + "%");
  if (text.empty()) text = TranslateText(std::string("%n_") + kLabelCountKey + "%");
  return text;
}

bool TTavelor2GameScreenSelectTask::EnsureTaskScene(const Ref<IUGDTask>& task) {
  Ref<IParamCollection> params = task ? task->GetParams() : nullptr;
  Ref<IUGDSceneCollection> scenes = progress_ ? progress_->GetScenes() : nullptr;
  Ref<ISceneDefRefCollection> defs =
      owner_ ? Supports<ISceneDefRefCollection>(owner_->GetParamValue("scene_defs").RawInterface())
             : nullptr;
  if (!params || !scenes || !defs) return false;
  std::string name = RecordText(task.get(), kSceneName);
  if (Ref<IUGDScene> scene = scenes->GetItem(Variant(name))) {
    name = RecordText(scene.get(), kSceneName);
  } else {
    if (!RecordYes(task.get(), "enable_own_scene", "yes")) {
      WarnAboutUnplayableTask(task->GetName(), name, true);
      return false;
    }
    Ref<TUGDScene> own = TAbstractObject::Create<TUGDScene>();
    own->SetName(name);
    own->SetParamValue(kSceneName, Variant(name));
    scenes->Add(Ref<IUGDScene>(own.get()));
  }
  if (!name.empty() && defs->GetItem(Variant(name))) return true;
  WarnAboutUnplayableTask(task->GetName(), name, false);
  return false;
}

bool TTavelor2GameScreenSelectTask::OfferCaseSelection(const Ref<IUGDCase>& gameCase) {
  std::string offer = RecordText(gameCase.get(), kSelectCaseNames);
  if (offer.empty() || !progress_ || !owner_) return false;
  progress_->SetParamValue(kSelectCaseNames, Variant(offer));
  owner_->ShowScreen("GS_SelectCase", nullptr);
  gameCase->SetParamValue(kSelectCaseNames, Variant(""));
  return true;
}

void TTavelor2GameScreenSelectTask::RaiseLevel(int64_t level) {
  progress_->SetLevel(SaturateInt32(level));
}

// ---------------------------------------------------------------------------------------
// The map

void TTavelor2GameScreenSelectTask::ClearLabels() {
  RemoveAllChildren(labelGroup_.get());
}

Ref<IWidget> TTavelor2GameScreenSelectTask::MakeLabel(const Ref<IUGDTask>& task, int index,
                                                      bool selected, bool add) {
  shared_->SetValue("name", Variant(task->GetName()));
  shared_->SetValue("text", Variant(" - " + RecordText(task.get(), kSceneName)));
  shared_->SetValue("anchor_left", Variant(RecordInt(task.get(), "anchor_left",
                                                     SaturateInt32(kLabelStepX * index))));
  shared_->SetValue("anchor_top", Variant(RecordInt(task.get(), "anchor_top",
                                                    SaturateInt32(kLabelStepY * index))));
  int32_t count = CountObjectsLeft(task);
  shared_->SetValue("objects_left_visible", Variant(count > 0 ? "yes" : "no"));
  if (count > 0) shared_->SetValue(kObjectsLeftCount, Variant(count));
  if (selected) shared_->SetValue(kLabelCountKey, Variant(ObjectsLeftText(count)));
  Ref<IWidget> label = CreateWidget(selected ? "selected_task_label" : "task_label", shared_);
  if (!label) return nullptr;
  label->SetExtraParam("task", Variant(task->GetName()));
  Ref<IWidget> group = labelGroup_;
  Ref<IWidgetCollection> labels = group ? group->GetChildren() : nullptr;
  if (!add || !labels) return label;
  labels->RemoveDead();
  if (!labels->GetByName(label->GetName())) labels->Add(label);
  label->SetVisible(IsShown());
  return label;
}

void TTavelor2GameScreenSelectTask::RebuildTaskLabels() {
  Ref<IUGDCase> gameCase = CurrentCase();
  Ref<IUGDStage> stage = CurrentStage();
  Ref<IUGDTaskCollection> tasks = StageTasks();
  if (!gameCase || !stage || !tasks || tasks->Count() == 0) return;
  for (int i = 0; i < tasks->Count(); ++i)
    if (Ref<IUGDTask> task = tasks->GetItem(Variant(i))) MakeLabel(task, i, false, true);
  if (Ref<IWidget> captionWidget = FindWidget("current_level_caption")) {
    Ref<IUGDTask> first = tasks->GetItem(Variant(0));
    if (first && first->GetName() == "tutorial_task") {
      caption_ = TranslateText("%tutorial_level%");
      SetLanguageVariable("level_start_string", "");
    } else {
      caption_ = gameCase->GetName() + " - " + stage->GetName();
      SetLanguageVariable("level_start_string", caption_);
    }
    if (captionWidget) captionWidget->SetProperty("text_utf8", Variant(caption_));
    shared_->SetValue("text", Variant(caption_));
  }
  Ref<IUGDTask> first = tasks->GetItem(Variant(0));
  selectedTask_ = first ? first->GetName() : std::string();
  SelectMapTask();
}

void TTavelor2GameScreenSelectTask::SelectMapTask() {
  Ref<IUGDTaskCollection> tasks = StageTasks();
  if (!tasks) return;
  Ref<IUGDTask> task = tasks->GetItem(Variant(selectedTask_));
  if (!task || task->IsCompleted()) {
    task = nullptr;
    for (int i = 0; i < tasks->Count() && !task; ++i)
      if (Ref<IUGDTask> open = tasks->GetItem(Variant(i)); open && !open->IsCompleted())
        task = open;
    // Every task done: the map offers none.
    selectedTask_ = task ? task->GetName() : std::string();
  }
  if (!task) return;
  if (Ref<IWidget> previous = selectedLabel_) {
    previous->SetDead(true);
    if (Ref<IWidget> group = labelGroup_) group->GetChildren()->RemoveDead();
  }
  RefreshLabels();
  selectedLabel_ = MakeLabel(task, tasks->IndexOf(task->GetName()), true, true);
}

void TTavelor2GameScreenSelectTask::RefreshLabels() {
  Ref<IWidget> group = labelGroup_;
  Ref<IWidgetCollection> labels = group ? group->GetChildren() : nullptr;
  Ref<IUGDTaskCollection> tasks = StageTasks();
  if (!labels || !tasks) return;
  for (int i = 0; i < labels->Count(); ++i) {
    Ref<IWidget> label = labels->GetByIndex(i);
    Ref<IUGDTask> task = label ? tasks->GetItem(label->GetProperty("task")) : nullptr;
    if (!task || !EnsureTaskScene(task) || task->IsCompleted()) continue;
    label->SetVisible(true);
    int32_t count = RecordInt(task.get(), kObjectsLeftCount, -1);
    if (count <= 0) continue;
    if (Ref<IWidget> active = label->FindWidget("task_label_active")) active->SetVisible(true);
    if (Ref<IWidget> text = label->FindWidget("task_label_active/count_text")) {
      text->SetProperty("text", Variant(std::to_string(count)));
      text->SetVisible(true);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Picking and starting

bool TTavelor2GameScreenSelectTask::HandleMouse(uint32_t message, const TPoint& point,
                                                uint32_t keys) {
  bool handled = TGameScreen::HandleMouse(message, point, keys);
  if (handled || message != input::kLeftButtonDown) return handled;
  Ref<IWidget> label = LabelUnder(labelGroup_, point);
  if (!label) return handled;
  std::string task = label->GetProperty("task").ToString();
  if (task != selectedTask_) {
    selectedTask_ = task;
    SelectMapTask();
    PlaySound("sound_maplabel_select");
  } else {
    StartSelectedTask();
  }
  return true;
}

void TTavelor2GameScreenSelectTask::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (sender && code == control_event::kButtonClick && sender->GetName() == "button_start")
    StartSelectedTask();
}

void TTavelor2GameScreenSelectTask::StartSelectedTask() {
  Ref<IUGDCase> gameCase = CurrentCase();
  Ref<IUGDStage> stage = CurrentStage();
  Ref<IUGDTaskCollection> tasks = StageTasks();
  if (!tasks || !owner_) return;
  shared_->SetValue("case", Variant(gameCase->GetName()));
  shared_->SetValue("stage", Variant(stage->GetName()));
  Ref<IUGDTask> task = tasks->GetItem(Variant(selectedTask_));
  Ref<IParamCollection> taskParams = task ? task->GetParams() : nullptr;
  if (!taskParams) return;
  if (RecordYes(task.get(), kShowStartScreen, "yes")) {
    task->SetParamValue(kShowStartScreen, Variant("no"));
    pendingScreen_ = RecordText(task.get(), kStartScreenName);
    startScreen_ = !pendingScreen_.empty();
    // The task starts again when its start screen closes; one that cannot be shown does
    // not hold the task back.
    if (startScreen_ && owner_->ShowScreen(pendingScreen_, nullptr)) return;
    pendingScreen_.clear();
    startScreen_ = false;
  } else {
    startScreen_ = false;
  }
  if (IEngine* engine = GetEngine()) {
    engine->UnloadResources("comics");
    engine->UnloadResources("speech");
  }
  if (!RecordText(task.get(), "select_scene_names").empty()) {
    owner_->ShowScreen("GS_SelectScene", taskParams);
    return;
  }
  shared_->SetValue("task", Variant(task->GetName()));
  shared_->SetValue("play_mode", Variant(int(playMode_)));
  // The labels lent "text" to each other; the play screen shows the caption.
  shared_->SetValue("text", Variant(caption_));
  if (EnsureTaskScene(task)) {
    owner_->ShowScreen(kGameScreen, shared_);
    return;
  }
  // Without any scene list nothing can be told about the task: it waits, unplayed.
  if (owner_->GetParamValue("scene_defs").IsClear()) {
    Warn(ScenesFileName, "no scene list: task \"" + task->GetName() + "\" not started");
    return;
  }
  // A task whose scene cannot be played counts as played.
  task->SetCompleted(true);
  OnChildClosed(kGameScreen, taskParams);
}

// ---------------------------------------------------------------------------------------
// The story

void TTavelor2GameScreenSelectTask::EnterStage(const Ref<IUGDStage>& stage) {
  if (stage && RecordYes(stage.get(), kShowStartScreen, "yes")) {
    pendingScreen_ = RecordText(stage.get(), kStartScreenName);
    if (!pendingScreen_.empty()) {
      startScreen_ = RecordYes(stage.get(), "no_map_after_screen", "no");
      if (owner_) owner_->ShowScreen(pendingScreen_, nullptr);
    }
    stage->SetParamValue(kShowStartScreen, Variant("no"));
  }
  RebuildTaskLabels();
  if (stage && pendingScreen_.empty() && RecordYes(stage.get(), "no_map_on_stage", "no"))
    StartSelectedTask();
}

void TTavelor2GameScreenSelectTask::OnChildClosed(const std::string& name,
                                                  const Ref<IParamCollection>& result) {
  TGameScreen::OnChildClosed(name, result);
  if (result && SameText(result->GetValue("user_quit", Variant("no")).ToString(), "yes")) {
    Close(result);
    return;
  }
  if (!pendingScreen_.empty() && SameText(name, pendingScreen_)) {
    pendingScreen_.clear();
    if (startScreen_)
      StartSelectedTask();
    else
      AfterChildClosed(true);
  }
  if (result && progress_) {
    std::string enabled = result->GetValue("enable_scene_name", Variant("")).ToString();
    Ref<IUGDSceneCollection> scenes = progress_->GetScenes();
    if (!enabled.empty() && scenes && !scenes->GetItem(Variant(enabled)) && owner_ &&
        !owner_->GetParamValue("scene_defs").IsClear()) {
      Ref<TUGDScene> scene = TAbstractObject::Create<TUGDScene>();
      scene->SetName(enabled);
      scene->SetParamValue(kSceneName, Variant(enabled));
      scenes->Add(Ref<IUGDScene>(scene.get()));
    }
    if (SameText(result->GetValue(kShowEndScreen, Variant("no")).ToString(), "yes")) {
      pendingScreen_ = result->GetValue(kEndScreenName, Variant("")).ToString();
      if (owner_) owner_->ShowScreen(pendingScreen_, result);
      return;
    }
  }
  if (SameText(name, "GS_SelectCase")) {
    if (!OfferCaseSelection(CurrentCase())) {
      EnterStage(CurrentStage());
      AfterChildClosed(false);
    }
  } else if (SameText(name, "GS_SelectTask") || SameText(name, kGameScreen)) {
    AfterChildClosed(true);
  }
  // Back on top: nothing above covers the map any more.
  if (IsActive()) {
    ShowWidget("black_screen", false);
    if (Ref<IWidget> curtain = FindWidget("hide_desktop_screen")) curtain->Pause();
  }
}

void TTavelor2GameScreenSelectTask::AfterChildClosed(bool afterChild) {
  Ref<IUGDCase> gameCase = CurrentCase();
  Ref<IUGDStage> stage = CurrentStage();
  Ref<IUGDTaskCollection> tasks = StageTasks();
  if (!gameCase || !stage || !tasks) return;
  Ref<IUGDTask> task = tasks->GetItem(Variant(selectedTask_));
  if (!task || !task->IsCompleted()) {
    if (afterChild && RecordYes(stage.get(), "no_map_on_stage", "no")) Close(nullptr);
    RebuildTaskLabels();
    return;
  }
  if (Ref<IWidget> group = labelGroup_)
    if (Ref<IWidget> label = group->GetChildren()->GetByName(task->GetName())) label->SetDead(true);
  bool stageDone = false;
  if (stage->IsCompleted() || AllCompleted(tasks)) {
    stageDone = true;
    stage->SetCompleted(true);
    ClearLabels();
    if (RecordYes(stage.get(), kShowEndScreen, "no")) {
      if (owner_) owner_->ShowScreen(RecordText(stage.get(), kEndScreenName), nullptr);
      stage->SetParamValue(kShowEndScreen, Variant("no"));
    }
  }
  if (gameCase->IsCompleted() || AllCompleted(gameCase->GetStages())) {
    gameCase->SetCompleted(true);
    gameCase = NextCase();
    if (!gameCase) {
      // The story is over: it starts anew.
      LoadScenario(false);
      Close(nullptr);
      return;
    }
    if (OfferCaseSelection(gameCase)) return;
  }
  if (stageDone) {
    Ref<IUGDStage> next = NextStage(gameCase);
    if (!next) return;
    EnterStage(next);
  }
  RaiseLevel(int64_t(progress_->GetLevel()) + 1);
  SelectMapTask();
  RebuildTaskLabels();
}

Ref<IUGDCase> TTavelor2GameScreenSelectTask::NextCase() {
  Ref<IUGDCaseCollection> cases = progress_->GetCases();
  for (int i = 1; cases && i < cases->Count(); ++i) {
    Ref<IUGDCase> next = cases->GetItem(Variant(i));
    Ref<IUGDStageCollection> stages = next ? next->GetStages() : nullptr;
    Ref<IUGDStage> first = stages ? stages->GetItem(Variant(0)) : nullptr;
    if (!next || next->IsCompleted() || !first) continue;
    progress_->SetParamValue("currentcase", Variant(next->GetName()));
    next->SetParamValue("currentstage", Variant(first->GetName()));
    RaiseLevel((int64_t(progress_->GetLevel()) / 10 + 1) * 10);
    return next;
  }
  return nullptr;
}

Ref<IUGDStage> TTavelor2GameScreenSelectTask::NextStage(const Ref<IUGDCase>& gameCase) {
  Ref<IUGDStage> current = gameCase->CurrentStage();
  if (current && !current->IsCompleted()) return current;
  Ref<IUGDStageCollection> stages = gameCase->GetStages();
  for (int i = 0; stages && i < stages->Count(); ++i) {
    Ref<IUGDStage> stage = stages->GetItem(Variant(i));
    if (!stage || stage->IsCompleted()) continue;
    gameCase->SetParamValue("currentstage", Variant(stage->GetName()));
    return stage;
  }
  return nullptr;
}
