// The play screen's mini-games (skip buttons, hints, quest texts), the scene widgets and
// approaches the managers switch, the amulet, the tutorial text and the end of a level.

#include <cmath>
#include <exception>

#include "foundation/CheckedMath.h"
#include "foundation/Params.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "screens/Tv2GameScreenGame.h"

namespace {

// The children of a group as they are now: handlers may change the group.
std::vector<Ref<IWidget>> ChildrenOf(const Ref<IWidget>& group) {
  std::vector<Ref<IWidget>> result;
  Ref<IWidgetCollection> children = group ? group->GetChildren() : nullptr;
  if (!children) return result;
  result.reserve(children->Count());
  for (int i = 0; i < children->Count(); ++i)
    if (Ref<IWidget> child = children->GetByIndex(i)) result.push_back(child);
  return result;
}

bool Flag(const Ref<IWidget>& widget, const char* name, bool def) {
  return widget->GetPropertyDef(name, Variant(def)).ToBool(def);
}

std::string Text(const Ref<IWidget>& widget, const char* name) {
  return widget->GetPropertyDef(name, Variant("")).ToString();
}

void ShowAndRestart(const Ref<IWidget>& widget, const char* child, bool visible) {
  if (!widget) return;
  widget->SetVisible(visible);
  if (Ref<IWidget> step = ChildNamed(widget, child)) step->Restart();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Mini-games

void TTavelor2GameScreenGame::ForEachMiniGame(
    const std::function<void(const Ref<IWidget>&)>& visit) {
  for (const Ref<IWidget>& child : ChildrenOf(openApproach_ ? openApproach_ : objectsGroup_))
    if (child->GetName().find("minigame") != std::string::npos) visit(child);
}

void TTavelor2GameScreenGame::UpdateSkipButtons() {
  ForEachMiniGame([&](const Ref<IWidget>& game) {
    const bool paused = game->IsPaused();
    if (!Flag(game, "need_skip", false) || paused) return;
    const bool level = Flag(game, "need_skip_level", false);
    Ref<IWidget> skip = Ui(level ? "button_skip_level" : "button_skip");
    if (skip && !skip->IsVisible()) SetupSkipButton(skip, game);
  });
}

void TTavelor2GameScreenGame::SetupSkipButton(const Ref<IWidget>& skip, const Ref<IWidget>& game) {
  skip->SetVisible(true);
  skip->Resume();
  Ref<IWidget> button = ChildNamed(skip, "button");
  if (button) {
    std::string path = openApproach_
                           ? "\\../../../../approaches_group/" + openApproach_->GetName() + "/"
                           : std::string("\\../../../objects_group/");
    button->SetProperty("props_to_change",
                        Variant(path + game->GetName() + "/need_skip=0;\\visible=0"));
  }
  Ref<IWidget> text = skip->FindWidget("button/text");
  if (!text) return;
  const double w = text->GetPropertyDef("textwidth", Variant(text->GetWidth())).ToDouble();
  text->SetProperty("width", Variant(w));
  const double half = w / 2;
  if (button) button->SetAnchorLeft(-half);
  for (const char* name : {"middle_background", "middle_border"}) {
    if (Ref<IWidget> part = ChildNamed(skip, name)) {
      part->SetAnchorLeft(-half);
      part->SetProperty("width", Variant(w));
      part->SetProperty("shiftleft", Variant(-half));
    }
  }
  if (Ref<IWidget> part = ChildNamed(skip, "left_background"))
    part->SetAnchorLeft(-half - part->GetWidth());
  if (Ref<IWidget> part = ChildNamed(skip, "left_border")) {
    part->SetAnchorLeft(-half - part->GetWidth());
    if (button) {
      button->SetVisible(true);
      button->SetAnchorLeft(-half - part->GetWidth());
    }
    text->SetAnchorLeft(part->GetWidth());
  }
  for (const char* name : {"right_background", "right_border"})
    if (Ref<IWidget> part = ChildNamed(skip, name)) part->SetAnchorLeft(half - 1);
  if (Ref<IWidget> part = ChildNamed(skip, "bar")) part->SetAnchorLeft(-half - 21);
  if (Ref<IWidget> part = ChildNamed(skip, "bar_fin")) {
    part->SetAnchorLeft(-half - 21);
    part->SetProperty("width", Variant(w + 43));
  }
  if (Ref<IWidget> part = ChildNamed(skip, "akkumulate")) {
    part->SetProperty("value", Variant(w + 43));
    part->Restart();
  }
}

void TTavelor2GameScreenGame::HideSkipButtons() {
  ShowAndRestart(Ui("button_skip"), "reset", false);
  ShowAndRestart(Ui("button_skip_level"), "reset", false);
}

bool TTavelor2GameScreenGame::IsSkipButtonPress(IWidget* sender, std::string& group) {
  if (sender->GetName() != "button") return false;
  auto* owner = InterfaceCast<IWidget>(sender->GetOwner());
  if (!owner || InterfaceCast<IWidget>(owner->GetOwner()) != uiGroup_.get()) return false;
  group = owner->GetName();
  return group == "button_skip" || group == "button_skip_level";
}

void TTavelor2GameScreenGame::ApplyButtonProps(IWidget* button) {
  // The button's own reading of the list: items at "\", name and value at "=".
  const std::string props = button->GetPropertyDef("props_to_change", Variant("")).ToString();
  for (const TNameValuePair& pair : SplitNameValuePairs(props, '\\', '=')) {
    if (pair.Name.empty()) continue;
    try {
      button->SetProperty(pair.Name, Variant(pair.Value));
    } catch (const std::exception& error) {
      Warn(GetName(), "skip button: \"" + pair.Name + "\": " + error.what());
    }
  }
}

bool TTavelor2GameScreenGame::HintMiniGame() {
  bool shown = false;
  ForEachMiniGame([&](const Ref<IWidget>& game) {
    if (Flag(game, "win", true)) return;
    std::string key = Text(game, "instance_hint");
    if (key.empty()) return;
    if (levelManager_) levelManager_->ShowHintText(key);
    shown = true;
  });
  return shown;
}

void TTavelor2GameScreenGame::ShowMiniGameQuest() {
  ForEachMiniGame([&](const Ref<IWidget>& game) {
    if (Flag(game, "win", true)) return;
    // A game without a key has no quest: an empty text would pause the scene each time.
    std::string key = Text(game, "instance_hint");
    if (key.empty() || (userGameData_ && userGameData_->TempListContains(key))) return;
    Ref<IParamCollection> params = NewParamCollection();
    params->SetValue("text", Variant("%" + key + "%"));
    ShowQuestWidget(MakeWidget("task_quest", params));
    if (userGameData_) userGameData_->AddToTempList(key);
  });
}

void TTavelor2GameScreenGame::ActivateAllInGroup(const Ref<IWidget>& group) {
  for (const Ref<IWidget>& child : ChildrenOf(group)) {
    Ref<ISceneObjectDef> object;
    Ref<ISceneObjectLocation> location;
    if (levelManager_ && GetObjectDefs(child, object, location))
      levelManager_->AfterActivation(child, object, location);
  }
}

void TTavelor2GameScreenGame::SkipLevel() {
  if (!levelManager_) return;
  for (const Ref<IWidget>& group : {approachesGroup_, objectsGroup_, leftObjects_, rightObjects_})
    ActivateAllInGroup(group);
  LevelWon();
}

// ---------------------------------------------------------------------------------------
// Scene widgets and approaches

void TTavelor2GameScreenGame::ShowSceneWidget(const Ref<IWidget>& widget, bool on) {
  if (!widget) return;
  if (widget->IsVisible()) {
    widget->SetVisible(on);
  } else {
    Ref<ISceneObjectDef> object = GetWidgetObjectDef(widget);
    if (object && object->GetObjectType() == otDisposable)
      widget->SetMouseStop(on);
    else
      widget->SetVisible(on);
  }
  widget->SetPaused(!on);
}

void TTavelor2GameScreenGame::EnableSceneObject(const Ref<ISceneObjectDef>& object, bool force) {
  if (!object) return;
  int32_t n = 1;
  if (object->GetObjectType() != otDisposable)
    if (Ref<IPanelManager> manager = PanelManager()) n = manager->GetRemainingCount(object);
  if (n <= 0) return;
  const std::string used = levelManager_ ? levelManager_->GetActivateSequence(scene_) : "";
  if (Ref<ISceneObjectLocationCollection> locations = object->GetLocations()) {
    for (int i = 0; i < locations->Count(); ++i) {
      Ref<ISceneObjectLocation> location = locations->GetItem(Variant(i));
      Ref<IWidget> widget = FindSceneObjectWidget(object, location, gkObjects);
      if (!widget || !levelManager_ || widget->IsMouseStop()) continue;
      if (used.find(";" + object->GetName() + "/" + location->GetName() + ";") != std::string::npos)
        continue;
      if (force || !widget->IsPaused()) widget->SetMouseStop(true);
    }
  }
  if (n <= 1 || LevelKind() != 1) return;
  const std::string caption = object->GetCaption();
  auto enableSameCaption = [&](const Ref<IWidget>& group) {
    for (const Ref<IWidget>& child : ChildrenOf(group)) {
      Ref<ISceneObjectDef> other = GetWidgetObjectDef(child);
      if (other && other->GetObjectType() == otHiddenObject && other->GetCaption() == caption)
        child->SetMouseStop(true);
    }
  };
  enableSameCaption(objectsGroup_);
  for (const Ref<IWidget>& approach : ChildrenOf(approachesGroup_)) enableSameCaption(approach);
}

void TTavelor2GameScreenGame::QueueDelayedAction(const Ref<IWidget>& widget, bool on, bool approach,
                                                 int32_t delay) {
  if (int32_t(delayed_.size()) - delayedCount_ <= 1) delayed_.resize(delayedCount_ + 3);
  delayed_[delayedCount_++] = TDelayedSwitch{widget, on, delay, approach};
}

void TTavelor2GameScreenGame::ProcessDelayedActions(int32_t elapsed) {
  // Switching may queue more: entries are read by index, never held.
  for (int32_t i = 0; i < delayedCount_; ++i) {
    if (!delayed_[i].widget || delayed_[i].delay <= 0) continue;
    delayed_[i].delay = SaturateInt32(int64_t(delayed_[i].delay) - elapsed);
    if (delayed_[i].delay > 0) continue;
    TDelayedSwitch entry = delayed_[i];
    if (entry.approach)
      OpenApproach(entry.widget->GetName(), 0);
    else
      ShowSceneWidget(entry.widget, entry.on);
    if (closed_) return;
  }
}

void TTavelor2GameScreenGame::OpenApproach(const std::string& name, int32_t delay) {
  if (!approachesGroup_) return;
  if (delay >= 1) {
    if (Ref<IWidget> approach = ChildNamed(approachesGroup_, name))
      QueueDelayedAction(approach, true, true, delay);
    return;
  }
  openApproach_ = ChildNamed(approachesGroup_, name);
  if (!openApproach_) return;
  if (openApproach_->IsVisible()) {
    CloseApproach();
    return;
  }
  if (objectsGroup_) objectsGroup_->SetPaused(true);
  openApproach_->SetPaused(false);
  openApproach_->SetVisible(true);
  approachesGroup_->SetVisible(true);
  if (approachObscuring_) approachObscuring_->SetVisible(true);
  ShowNamedChildEffect(openApproach_, "show_effect");
  UpdateSkipButtons();
  ShowMiniGameQuest();
}

bool TTavelor2GameScreenGame::ShowNamedChildEffect(const Ref<IWidget>& widget,
                                                   const std::string& property) {
  if (!widget) return false;
  Ref<IWidget> child = ChildNamed(widget, Text(widget, property.c_str()));
  if (child) child->Resume();
  return bool(child);
}

void TTavelor2GameScreenGame::CloseApproach() {
  std::vector<Ref<IWidget>> approaches = ChildrenOf(approachesGroup_);
  if (!approaches.empty()) {
    if (openApproach_) {
      openApproach_->SetVisible(false);
      openApproach_->SetPaused(true);
      ShowNamedChildEffect(openApproach_, "hide_effect");
    }
    openApproach_ = nullptr;
    for (const Ref<IWidget>& approach : approaches)
      if (approach->IsVisible()) {
        openApproach_ = approach;
        break;
      }
    if (!openApproach_) {
      approachesGroup_->SetVisible(false);
      if (objectsGroup_) objectsGroup_->SetPaused(false);
      if (approachObscuring_) approachObscuring_->SetVisible(false);
    }
  }
  HideSkipButtons();
}

// ---------------------------------------------------------------------------------------
// The amulet

void TTavelor2GameScreenGame::EnableAmulet(const Ref<IWidget>& target) {
  if (!target) return;
  amuletEnabled_ = true;
  amuletTarget_ = target;
  if (Ref<IWidget> button = Ui("button_amulet")) {
    button->SetEnabled(true);
    button->SetMouseStop(true);
  }
}

void TTavelor2GameScreenGame::DisableAmulet() {
  if (Ref<IWidget> button = Ui("button_amulet")) {
    button->SetEnabled(false);
    button->SetMouseStop(false);
  }
}

// While the amulet is active its button gives way to the return button, the scene darkens
// and the help text plays its "start" step; "stop" when it ends.
void TTavelor2GameScreenGame::ShowAmuletControls(bool active) {
  if (Ref<IWidget> button = Ui("button_amulet")) button->SetVisible(!active);
  if (Ref<IWidget> back = Ui("button_amulet_return")) back->SetVisible(active);
  ShowWidget("amulet_darkness", active);
  ShowAndRestart(Ui("voodoo_help_text"), active ? "start" : "stop", active);
}

void TTavelor2GameScreenGame::StartAmulet() {
  if (!amuletTarget_) return;
  ShowAmuletControls(true);
  amuletMode_ = true;
  SelectCursor("amulet");
  PlaySound("sound_voodoo_crystal");
  OnMouseMove(GetMousePos(), 0);
}

void TTavelor2GameScreenGame::StopAmulet() {
  if (!amuletTarget_) return;
  ShowAmuletControls(false);
  amuletMode_ = false;
  ReselectCursor();
  amuletTarget_->SetTransparentLevel(0);
  StopSound("sound_voodoo_crystal");
}

void TTavelor2GameScreenGame::UpdateAmuletDarkness(const TPoint& point) {
  Ref<ICursor> cursor = CurrentCursor();
  Ref<IWidget> cursorWidget = cursor ? cursor->GetWidget() : nullptr;
  if (!amuletTarget_ || !amuletTarget_->GetOwner() || !cursorWidget) {
    StopAmulet();
    return;
  }
  if (openApproach_)
    for (const Ref<IWidget>& child : ChildrenOf(openApproach_))
      if (child->GetName().find("minigame") != std::string::npos) {
        StopAmulet();
        return;
      }
  double d = kAmuletFar;
  IWidgetOwner* owner = amuletTarget_->GetOwner();
  const bool inView = openApproach_ ? owner == InterfaceCast<IWidgetOwner>(openApproach_.get())
                                    : owner == InterfaceCast<IWidgetOwner>(objectsGroup_.get());
  if (inView)
    d = std::hypot(point.X - amuletTarget_->GetAnchorLeft(),
                   point.Y - amuletTarget_->GetAnchorTop());
  Ref<IWidget> mask = Ui("color_mask");
  Ref<IWidget> shine = cursorWidget->FindWidget("shine");
  if (mask && shine) {
    if (Ref<ISurface> image = mask->GetImage(); image && image->GetWidth() > 0) {
      // The distance reaches 1310: a narrower mask is read at its last column.
      int32_t x = std::clamp(RoundHalfEven(d), 0, image->GetWidth() - 1);
      shine->SetProperty("fillcolor", Variant(int(image->GetPixel(x, 0))));
    }
  }
  const double level = d < kAmuletNear ? (kAmuletNear - d) * 255 / kAmuletNear : 0;
  amuletTarget_->SetProperty("transparentlevel", Variant(level));
  Ref<IWidget> darkness = FindWidget("amulet_darkness");
  IEngine* engine = GetEngine();
  if (!darkness || !engine) return;
  TPoint mouse = point;
  if (openApproach_) {
    mouse.X += RoundHalfEven(openApproach_->GetAnchorLeft());
    mouse.Y += RoundHalfEven(openApproach_->GetAnchorTop());
  }
  const int32_t width = engine->GetOption("ScreenWidth").ToInt(1024);
  const int32_t height = engine->GetOption("ScreenHeight").ToInt(768);
  const int32_t x = std::min(std::max(-421, mouse.X), width + 79);
  const int32_t y = std::min(std::max(-282, mouse.Y), height + 282);
  darkness->SetAnchorLeft(x - darkness->GetWidth() / 2.0);
  darkness->SetAnchorTop(y - darkness->GetHeight() / 2.0);
}

// ---------------------------------------------------------------------------------------
// Tutorial

void TTavelor2GameScreenGame::ShowTutorial() {
  if (tutorialFactory_.empty()) return;
  Ref<IParamCollection> params = NewParamCollection();
  if (task_ && userGameData_)
    if (Ref<IUGDCase> current = userGameData_->CurrentCase()) {
      params->SetValue(
          "text", Variant("%ingame_tutorial_" + current->GetName() + "_" + task_->GetName() + "%"));
      params->SetValue("play_mode", Variant(int(userGameData_->GetPlayMode())));
    }
  AddToAnimations(MakeWidget(tutorialFactory_, params));
}

// ---------------------------------------------------------------------------------------
// The level's end

void TTavelor2GameScreenGame::LevelWon() {
  if (!task_) return;
  DropCarriedItem();
  completion_ = true;
  const int32_t kind = LevelKind();
  if (kind != 2) {
    if (approachesGroup_) approachesGroup_->SetVisible(false);
    if (objectsGroup_) objectsGroup_->SetPaused(false);
    openApproach_ = nullptr;
    if (approachObscuring_) approachObscuring_->SetVisible(false);
  }
  task_->SetCompleted(true);
  if (scene_) scene_->SetCompleted(true);
  if (previousScene_) previousScene_->SetCompleted(true);
  std::string sound = TaskText("sound_complete_scene");
  if (sound.empty())
    sound = amuletEnabled_ ? "sound_level_complete_voodoo" : "sound_level_complete";
  if (Ref<IParamCollection> params = task_->GetParams()) {
    AddToAnimations(MakeWidget(TaskText("ingame_win_factory"), nullptr));
    if (TaskText("levelstat_after_task", "yes") == "no") {
      CloseGameScreen(params);
      PlaySound(sound);
      return;
    }
  }
  if (kind == 4) {
    AddToAnimations(MakeWidget("win_first_date_level_anim", nullptr));
    inputBlocked_ = true;
  } else {
    AddToAnimations(MakeWidget("win_level_anim", nullptr));
    obscuringSwitch_ = false;
    SetInputBlocked(true);
  }
  noLevelRunning_ = true;
  PlaySound(sound);
  ReselectCursor();
}

void TTavelor2GameScreenGame::LevelFailed() {
  timer_ = 0;
  levelOver_ = true;
  completion_ = false;
  ReselectCursor();
  ResetTaskProgress();
  AddToAnimations(MakeWidget("loose_level_anim", nullptr));
  PlaySound("sound_level_failed");
  SetInputBlocked(true);
}

void TTavelor2GameScreenGame::WriteLevelStatistics(bool complete) {
  if (!task_) return;
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("scores", Variant(SaturateInt32(int64_t(shownScore_) + pendingScore_)));
  const int64_t given = timed_ ? GivenTime() : 0;
  const int64_t spent = given + banked_ - timer_;
  params->SetValue("time",
                   Variant(SaturateInt32(RoundHalfEven64(std::fabs(double(spent)) / 1000))));
  params->SetValue("complete", Variant(complete && completion_));
  params->SetValue("level_statistic", Variant(TaskText("level_statistic")));
  params->SetValue("tasktype", Variant(int(task_->GetTaskType())));
  params->SetValue("task", Variant(task_->GetName()));
  if (scene_) params->SetValue("participant", scene_->GetParamValueDef("participant", Variant("")));
  params->SetValue("participant", Variant(participant_));
  if (scene_ && levelManager_)
    params->SetValue("scenename", scene_->GetParamValueDef("scenename", Variant("")));
  Ref<IPanelManager> manager = PanelManager();
  if (LevelKind() == 3 && manager)
    params->SetValue("object_names", Variant(manager->GetItemPrefix()));
  else if (levelManager_)
    params->SetValue("object_names", Variant(levelManager_->GetActivateSequence(scene_)));
  if (previousScene_)
    params->SetValue("participant2", previousScene_->GetParamValueDef("participant", Variant("")));
  params->SetValue("hints_used", Variant(hintsUsed_));
  params->SetValue("wrong_clicks", Variant(wrongClicks_));
  ReselectCursor();
  if (owner_ && owner_->ShowScreen("GS_LevelStat", params)) {
    // The statistics screen has the points now; refused, they stay with the level.
    shownScore_ = 0;
    pendingScore_ = 0;
    return;
  }
  CloseGameScreen(task_->GetParams());
}

void TTavelor2GameScreenGame::CloseGameScreen(const Ref<IParamCollection>& params) {
  if (firstClose_) {
    firstClose_ = false;
    if (Ref<IWidget> animation = MakeWidget("close_gamescreen_anim", params)) {
      AddToAnimations(animation);
      obscuringSwitch_ = false;
      inputBlocked_ = true;
      if (obscuring_) obscuring_->SetVisible(false);
      return;
    }
    // Without the animation nothing would call back: the screen closes at once.
  }
  // The task's own parameters are saved with the progress: the result is a copy.
  Ref<IParamCollection> result = params ? CloneParams(params) : NewParamCollection();
  if (task_) {
    if (task_->IsCompleted()) result->SetValue("show_diary", Variant(1));
    result->SetValue("end_screen_name", Variant(TaskText("end_screen_name")));
  }
  closed_ = Close(result);
}
