// The diary's task map: one label per task of the current case up to the current stage,
// the selected task's label, and the choice of a gift or place scene for it.

#include "foundation/Routines.h"
#include "screens/Tv2DiaryPages.h"
#include "screens/Tv2GameScreenDiary.h"

using namespace diary_text;

namespace {

constexpr int kLabelRowHeight = 50;
constexpr int kSceneChoiceSpacing = 270;

// The scene of the task's entry ("task:scene") in a chosen list; the entry's name must be
// the whole task name ("t1" does not take "t10:x").
bool FindChosenScene(const std::string& list, const std::string& taskName, std::string& scene) {
  for (const std::string& entry : SplitListItems(list)) {
    size_t colon = entry.find(':');
    if (colon == std::string::npos || entry.compare(0, colon, taskName) != 0) continue;
    scene = entry.substr(colon + 1);
    return true;
  }
  return false;
}

bool IsGiftOrPlace(const std::string& selectScene) {
  return selectScene == "gift" || selectScene == "place";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Building and clearing

void TTavelor2GameScreenDiary::RefreshMapAndPages() {
  const int generation = generation_;
  ClearMap();
  UpdateTabButtons();
  BuildMap();
  if (Stopped(generation)) return;
  if (participantPage_) participantPage_->ShowCandidates(CurrentStage(), progress_);
  if (progress_) {
    if (journalPage_) journalPage_->SetNotes(progress_->GetJournal());
    if (voodooPage_) {
      const std::string result = Text(progress_, kVoodooResult);
      voodooResultKept_ = !result.empty();
      voodooPage_->SetProperty("minigame_result", Variant(result));
      voodooPage_->UpdateCounter(progress_->GetFindedVoodoo());
    }
  }
  tabLock_ = false;
}

void TTavelor2GameScreenDiary::ClearMap() {
  HideSceneChoice();
  RemoveAllChildren(labelGroup_.get());
  if (participantPage_) participantPage_->RemoveMatchedTwain();
}

void TTavelor2GameScreenDiary::BuildMap() {
  mapRowOffset_ = 0;
  Ref<IUGDCase> gameCase = CurrentCase();
  Ref<IUGDStage> stage = CurrentStage();
  if (!gameCase || !stage) return;
  Ref<IUGDStageCollection> stages = gameCase->GetStages();
  for (int s = 0; s < stages->Count(); ++s) {
    Ref<IUGDStage> earlier = stages->GetItem(Variant(s));
    if (!earlier || earlier == stage) break;
    Ref<IUGDTaskCollection> tasks = earlier->GetTasks();
    for (int t = 0; t < tasks->Count(); ++t)
      MakeTaskLabel(tasks->GetItem(Variant(t)), mapRowOffset_++, false, true);
  }
  Ref<IUGDTaskCollection> tasks = stage->GetTasks();
  for (int t = 0; t < tasks->Count(); ++t)
    MakeTaskLabel(tasks->GetItem(Variant(t)), t + mapRowOffset_, false, true);
  if (tasks->Count() == 0) return;
  if (Ref<IUGDTask> first = tasks->GetItem(Variant(0))) currentTaskName_ = first->GetName();
  SelectOnMap();
}

Ref<IWidget> TTavelor2GameScreenDiary::MakeTaskLabel(const Ref<IUGDTask>& task, int row,
                                                     bool selected, bool putOnMap) {
  if (!task) return nullptr;
  Ref<IParamCollection> params = NewParamCollection();
  const std::string sceneName = Text(task, "scenename");
  params->SetValue("scenename", Variant(sceneName));
  params->SetValue("name", Variant(task->GetName()));
  params->SetValue("complete", Variant(task->IsCompleted()));
  params->SetValue("caption", Variant(Text(task, "caption", sceneName)));
  params->SetValue("description", Variant(Text(task, "description")));
  params->SetValue("task_icon", Variant(Text(task, "task_icon")));
  const bool flip = pickedAnotherTask_ && flipCard_ && !task->IsCompleted();
  params->SetValue("switch_card", Variant(flip ? -1 : 0));
  flipCard_ = false;
  params->SetValue("anchor_left", Variant(task->GetParamValueDef("anchor_left", Variant(0))));
  params->SetValue("anchor_top",
                   Variant(task->GetParamValueDef(
                       "anchor_top", Variant(SaturateInt32(int64_t(row) * kLabelRowHeight)))));
  const std::string selectScene = Text(task, "select_scene");
  if (sceneName.empty() && IsGiftOrPlace(selectScene)) {
    std::vector<std::string> items = SplitListItems(
        selectScene == "gift" ? (progress_ ? progress_->GetOpenGifts() : std::string())
                              : (progress_ ? progress_->GetOpenPlaces() : std::string()));
    for (size_t i = 0; i < items.size(); ++i)
      params->SetValue(i == 0 ? "name" : "name" + std::to_string(i), Variant(items[i]));
  } else if (IsGiftOrPlace(selectScene)) {
    params->SetValue("name", Variant(Text(task, "scenename", "noname")));
  }
  Ref<IWidget> startButton = tasksPage_ ? tasksPage_->FindWidget("button_start") : nullptr;
  if (startButton) startButton->SetAnchorTop(300);
  if (LevelKindOf(task.get()) == 2) {
    params->SetValue("name", Variant(sceneName));
    params->SetValue("name1", Variant(Text(task, "scenename2")));
    if (startButton) startButton->SetAnchorTop(620);
  }
  Ref<IWidget> label = CreateWidget(selected ? "selected_task_label" : "task_label", params);
  if (!label) return nullptr;
  // A label without a "task" property of its own keeps the name as an extra parameter.
  label->SetProperty("task", Variant(task->GetName()));
  if (label->GetProperty("task").ToString() != task->GetName())
    label->SetExtraParam("task", Variant(task->GetName()));
  Ref<IWidgetCollection> children = labelGroup_ ? labelGroup_->GetChildren() : nullptr;
  if (putOnMap && children) {
    children->RemoveDead();
    if (!children->GetByName(label->GetName())) children->Add(label);
    label->SetVisible(IsShown());
  }
  return label;
}

// ---------------------------------------------------------------------------------------
// Selection

int TTavelor2GameScreenDiary::TaskRow(const std::string& taskName) {
  Ref<IUGDStage> stage = CurrentStage();
  int index = stage ? stage->GetTasks()->IndexOf(taskName) : -1;
  return std::max(index, 0) + mapRowOffset_;
}

void TTavelor2GameScreenDiary::SelectOnMap() {
  Ref<IUGDStage> stage = CurrentStage();
  if (!stage) return;
  const int generation = generation_;
  Ref<IUGDTaskCollection> tasks = stage->GetTasks();
  Ref<IUGDTask> task = CurrentTask();
  if (!task || task->IsCompleted()) {
    task = nullptr;
    for (int i = 0; i < tasks->Count() && !task; ++i)
      if (Ref<IUGDTask> candidate = tasks->GetItem(Variant(i));
          candidate && !candidate->IsCompleted())
        task = candidate;
    // With every task done nothing is selected; the current task stays, for the stage's
    // settlement to find.
    if (task) currentTaskName_ = task->GetName();
  }
  if (task) {
    const std::string selectScene = Text(task, "select_scene");
    std::string scene;
    if (selectScene == "gift" || selectScene == "place") {
      const bool place = selectScene == "place";
      const std::string chosen =
          progress_ ? (place ? progress_->GetChosenPlaces() : progress_->GetChosenGifts())
                    : std::string();
      if (FindChosenScene(chosen, task->GetName(), scene))
        ApplyChosenScene(task, place);
      else
        OfferSceneChoice(progress_
                             ? (place ? progress_->GetOpenPlaces() : progress_->GetOpenGifts())
                             : std::string());
      if (Stopped(generation)) return;
    } else {
      HideSceneChoice();
    }
  }
  if (selectedLabel_) selectedLabel_->SetDead(true);
  if (Ref<IWidgetCollection> labels = labelGroup_ ? labelGroup_->GetChildren() : nullptr)
    labels->RemoveDead();
  selectedLabel_ = nullptr;
  if (task) selectedLabel_ = MakeTaskLabel(task, TaskRow(task->GetName()), true, true);
}

void TTavelor2GameScreenDiary::ClickTask(const std::string& taskName) {
  Ref<IUGDStage> stage = CurrentStage();
  Ref<IUGDTask> task =
      stage && !taskName.empty() ? stage->GetTasks()->GetItem(Variant(taskName)) : nullptr;
  if (!task) return;
  if (task->GetName() == currentTaskName_) return StartTask();
  pickedAnotherTask_ = true;
  flipCard_ = !task->IsCompleted();
  currentTaskName_ = task->GetName();
  const int generation = generation_;
  SelectOnMap();
  if (!Stopped(generation)) PlaySound("sound_maplabel_select");
}

void TTavelor2GameScreenDiary::StartNamedTask(const std::string& taskName, bool needScene) {
  Ref<IUGDStage> stage = CurrentStage();
  Ref<IUGDTask> task =
      stage && !taskName.empty() ? stage->GetTasks()->GetItem(Variant(taskName)) : nullptr;
  if (!task) return;
  // The page's buttons start only open tasks; the matched pair's picks select any task.
  if (!needScene && task->IsCompleted()) return;
  currentTaskName_ = task->GetName();
  const int generation = generation_;
  SelectOnMap();
  if (Stopped(generation)) return;
  if (needScene && Text(task, "scenename").empty()) return;
  StartTask();
}

// ---------------------------------------------------------------------------------------
// The scene of a gift or place task

void TTavelor2GameScreenDiary::OfferSceneChoice(const std::string& list) {
  for (const Ref<IWidget>& group : {taskSceneGroup_, participantSceneGroup_}) {
    if (!group) continue;
    RemoveAllChildren(group.get());
    group->SetVisible(true);
  }
  std::vector<std::string> items = SplitListItems(list);
  if (items.size() == 2 && !items[0].empty() && items[1].empty()) {
    const int generation = generation_;
    ChooseScene(items[0]);
    StartTask();
    if (!Stopped(generation)) HideSceneChoice();
    return;
  }
  for (size_t k = 0; k < items.size(); ++k) {
    if (items[k].empty()) continue;
    Ref<IParamCollection> params = NewParamCollection();
    params->SetValue("scenename", Variant(items[k]));
    params->SetValue("id", Variant(int(k)));
    params->SetValue("y", Variant(SaturateInt32(int64_t(k) * kSceneChoiceSpacing)));
    for (const Ref<IWidget>& group : {taskSceneGroup_, participantSceneGroup_}) {
      Ref<IWidgetCollection> children = group ? group->GetChildren() : nullptr;
      if (!children) continue;
      if (Ref<IWidget> choice = CreateWidget("select_scene", params)) children->Add(choice);
    }
  }
  ShowWidget("task_group/button_start", false);
}

void TTavelor2GameScreenDiary::HideSceneChoice() {
  for (const Ref<IWidget>& group : {taskSceneGroup_, participantSceneGroup_}) {
    if (!group) continue;
    if (Ref<IWidgetCollection> children = group->GetChildren())
      for (int i = 0; i < children->Count(); ++i)
        if (IWidget* child = children->ItemAt(i)) child->SetDead(true);
    group->SetVisible(false);
  }
  ShowWidget("task_group/button_start", true);
}

void TTavelor2GameScreenDiary::ChooseScene(const std::string& sceneName) {
  Ref<IUGDTask> task = CurrentTask();
  if (!task) return;
  SetText(task, "scenename", sceneName);
  SetText(task, "task_quest", "hint_" + sceneName + "_task");
  if (!progress_) return;
  const std::string selectScene = Text(task, "select_scene");
  if (selectScene == "gift") {
    progress_->ChooseGift(sceneName, task->GetName());
    progress_->RemoveOpenGift(sceneName);
  } else if (selectScene == "place") {
    progress_->ChoosePlace(sceneName, task->GetName());
    progress_->RemoveOpenPlace(sceneName);
  }
}

void TTavelor2GameScreenDiary::ApplyChosenScene(const Ref<IUGDTask>& task, bool place) {
  std::string scene;
  if (task && progress_ &&
      FindChosenScene(place ? progress_->GetChosenPlaces() : progress_->GetChosenGifts(),
                      task->GetName(), scene))
    SetText(task, "scenename", scene);
  HideSceneChoice();
}
