#include "screens/Tv2GameScreenGame.h"

#include <algorithm>

#include "engine/EngineRoutines.h"
#include "foundation/CheckedMath.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2SceneGenerator.h"
#include "platform/InputConstants.h"
#include "screens/Tv2ProgressRecords.h"
#include "shell/ControlReactions.h"
#include "shell/WidgetClasses.h"

namespace {

// Keys of a ";"-list, each entry compared whole: the first entry has no ";" before it.
std::string WithoutEntry(const std::string& list, const std::string& key) {
  std::string result;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string_view entry(list.data() + start, end - start);
    if (!entry.empty() && entry != key) {
      result.append(entry);
      result += ';';
    }
    start = end + 1;
  }
  return result;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Helpers

Ref<IWidget> TTavelor2GameScreenGame::Ui(std::string_view name) {
  return uiGroup_ ? uiGroup_->FindWidget(name) : nullptr;
}

Ref<IPanelManager> TTavelor2GameScreenGame::PanelManager() {
  return panel_ ? panel_->GetPanelManager() : nullptr;
}

Variant TTavelor2GameScreenGame::TaskParam(const std::string& name, const Variant& def) {
  return task_ ? task_->GetParamValueDef(name, def) : def;
}

int32_t TTavelor2GameScreenGame::TaskInt(const std::string& name, int32_t def) {
  Variant value = TaskParam(name, Variant(def));
  std::optional<int64_t> number = value.TryInt();
  if (!number) {
    std::optional<double> real = value.TryDouble();
    return real ? TruncSat(*real) : def;
  }
  return SaturateInt32(*number);
}

int32_t TTavelor2GameScreenGame::GivenTime() {
  return std::min(TaskInt("given_time", kDefaultGivenTime), kMaxGivenTime);
}

void TTavelor2GameScreenGame::WarnAboutTask(const std::string& what) {
  // Tasks are written in the scenario; a player's progress holds copies of them.
  if (task_) Warn(DefaultScenarioFileName, "task \"" + task_->GetName() + "\": " + what);
}

std::string TTavelor2GameScreenGame::TaskText(const std::string& name, const std::string& def) {
  Variant value = TaskParam(name, Variant(def));
  return value.IsClear() ? def : value.ToString();
}

void TTavelor2GameScreenGame::SetTaskParam(const std::string& name, const Variant& value) {
  if (task_) task_->SetParamValue(name, value);
}

Ref<ICursor> TTavelor2GameScreenGame::CurrentCursor() {
  Ref<ICursorCollection> cursors = owner_ ? owner_->GetCursors() : nullptr;
  return cursors ? cursors->GetCurrentCursor() : nullptr;
}

void TTavelor2GameScreenGame::SelectCursor(const std::string& name) {
  if (Ref<ICursorCollection> cursors = owner_ ? owner_->GetCursors() : nullptr)
    cursors->SetCursor(name);
}

void TTavelor2GameScreenGame::ReselectCursor() {
  Ref<ICursor> current = CurrentCursor();
  if (!current) return;
  screenCursor_ = current->GetName();
  SelectCursor(screenCursor_);
}

Ref<IWidget> TTavelor2GameScreenGame::MakeWidget(const std::string& factory,
                                                 const Ref<IParamCollection>& params) {
  if (factory.empty()) return nullptr;
  return CreateWidget(factory, params ? params : NewParamCollection());
}

void TTavelor2GameScreenGame::AddToAnimations(const Ref<IWidget>& widget) {
  if (!widget || !animationGroup_) return;
  if (Ref<IWidgetCollection> children = animationGroup_->GetChildren()) children->Add(widget);
}

void TTavelor2GameScreenGame::ShowScoreText() {
  if (scoresText_) scoresText_->SetProperty("text", Variant(FormatThousands(shownScore_)));
}

Ref<IPanelManager> TTavelor2GameScreenGame::MakePanelManager(int32_t kind) {
  std::string_view name = PanelManagerName(kind);
  if (name.empty()) return nullptr;
  return Supports<IPanelManager>(CreateNamedObject(name, "Panel"));
}

Ref<ILevelManager> TTavelor2GameScreenGame::MakeLevelManager(int32_t kind) {
  std::string_view name = LevelManagerName(kind);
  if (name.empty()) return nullptr;
  return Supports<ILevelManager>(CreateNamedObject(name, "LevelManager"));
}

// ---------------------------------------------------------------------------------------
// Attachment, showing, hiding

void TTavelor2GameScreenGame::SetOwner(IGameScreenOwner* owner) {
  TTv2GameplayScreen::SetOwner(owner);
  panel_ =
      Supports<IItemListPanelWidget>(FindWidget("ui_group/panel_scrollarea/ui_obj_list_panel"));
  backgroundGroup_ = FindWidget("background_group");
  objectsGroup_ = FindWidget("objects_group");
  approachesGroup_ = FindWidget("approaches_group");
  leftObjects_ = FindWidget("left_part/objects_group");
  rightObjects_ = FindWidget("right_part/objects_group");
  leftPart_ = FindWidget("left_part");
  rightPart_ = FindWidget("right_part");
  uiGroup_ = FindWidget("ui_group");
  animationGroup_ = FindWidget("animation_group");
  hintGroup_ = FindWidget("ui_group/hint_group");
  hintButton_ = FindWidget("ui_group/hint_group/button_hint");
  hintFront_ = FindWidget("ui_group/hint_group/image_hint_front");
  hintBack_ = FindWidget("ui_group/hint_group/image_hint_back");
  hintAfter_ = FindWidget("ui_group/hint_group/image_hint_after");
  approachObscuring_ = FindWidget("approach_obscuring_widget");
  obscuring_ = FindWidget("obscuring_widget");
  blackScreenWidget_ = FindWidget("black_screen");
  loadingScreen_ = FindWidget("loading_screen");
  minuteHand_ = FindWidget("ui_group/clock_minute_arrow");
  secondHand_ = FindWidget("ui_group/clock_second_arrow");
  timerText_ = FindWidget("ui_group/ui_level_timer/timer");
  accentSound_ = timerText_ ? timerText_->FindSound("sound_accent_time") : nullptr;
  objectsCountText_ = FindWidget("ui_group/ui_objects_count_text");
  scoresText_ = FindWidget("ui_group/ui_scores_text");
  openApproach_ = nullptr;
}

void TTavelor2GameScreenGame::OnShow(const Ref<IParamCollection>& params) {
  TTv2GameplayScreen::OnShow(params);
  closed_ = false;
  levelStarted_ = false;
  subScreenParams_ = params ? params : NewParamCollection();
  if (params && params->GetValue("show_diary").ToInt() == 1) {
    ReselectCursor();
    if (owner_) owner_->ShowScreen("GS_Diary", params);
    return;
  }
  firstClose_ = true;
  ClearScene();
  ReadUserGameData(params);
  SetupTaskUi();
  ShowTaskLabel(params);
}

void TTavelor2GameScreenGame::OnShown(const Ref<IParamCollection>& params) {
  TTv2GameplayScreen::OnShown(params);
  if (params && params->GetValue("show_diary").ToInt() != 0) return;
  SetupLevel();
  if (Ref<IWidget> amulet = Ui("button_amulet")) amulet->SetEnabled(false);
}

void TTavelor2GameScreenGame::ReadUserGameData(const Ref<IParamCollection>& params) {
  userGameData_ = PublishedProgress(owner_);
  case_ = nullptr;
  stage_ = nullptr;
  task_ = nullptr;
  if (!userGameData_) return;
  auto param = [&](const char* name) {
    return params ? params->GetValue(name).ToString() : std::string();
  };
  if (Ref<IUGDCaseCollection> cases = userGameData_->GetCases())
    case_ = cases->GetItem(Variant(param("case")));
  if (case_)
    if (Ref<IUGDStageCollection> stages = case_->GetStages())
      stage_ = stages->GetItem(Variant(param("stage")));
  if (stage_)
    if (Ref<IUGDTaskCollection> tasks = stage_->GetTasks())
      task_ = tasks->GetItem(Variant(param("task")));
  timed_ = userGameData_->GetPlayMode() == 0;
  participant_ = param("participant");
  shownScore_ = userGameData_->GetScores();
  ShowScoreText();
  const bool halves = LevelKind() == 2;
  if (leftPart_) leftPart_->SetVisible(halves);
  if (rightPart_) rightPart_->SetVisible(halves);
}

void TTavelor2GameScreenGame::SetupTaskUi() {
  HideSkipButtons();
  const int32_t kind = LevelKind();
  // A kind without a level has no name either.
  if (Ref<IWidget> text = Ui("ui_task_type_text"))
    text->SetProperty("text", Variant(LevelManagerName(kind).empty()
                                          ? std::string()
                                          : "%task_type_" + std::to_string(kind) + "%"));
  if (Ref<IWidget> hideClock = Ui("ui_hide_clock_group")) hideClock->SetVisible(!timed_);
  menuButton_ = Ui("buttons/button_menu");
  if (menuButton_) menuButton_->SetVisible(true);
  const bool timedMode = userGameData_ && userGameData_->GetPlayMode() == 0;
  if (Ref<IWidget> timer = Ui("ui_level_timer")) timer->SetVisible(timedMode);
  ShowWidget("interface_middle_line", kind == 2);
  if (Ref<IWidget> back = Ui("panel_complete_part_back")) back->SetVisible(kind == 3);
  if (Ui("panel_scrollarea"))
    if (Ref<IWidget> left = Ui("button_inventory_scroll_left")) left->SetVisible(false);
  if (Ref<IWidget> right = Ui("button_inventory_scroll_right")) right->SetVisible(false);
}

void TTavelor2GameScreenGame::ShowTaskLabel(const Ref<IParamCollection>& params) {
  if (!loadingScreen_) return;
  loadingScreen_->SetProperty("text", params ? params->GetValue("text", Variant("")) : Variant(""));
  Ref<IWidget> inner = loadingScreen_->FindWidget("inner_widget");
  Ref<IWidgetCollection> children = inner ? inner->GetChildren() : nullptr;
  if (!children) return;
  if (Ref<IWidget> old = children->GetByName("selected_task_label")) {
    old->SetDead(true);
    children->RemoveDead();
  }
  if (params && !params->GetValue("caption").ToString().empty())
    if (Ref<IWidget> label = MakeWidget("selected_task_label", params)) children->Add(label);
}

// ---------------------------------------------------------------------------------------
// Set-up and start of a level

void TTavelor2GameScreenGame::SetupLevel() {
  if (!task_) return;
  inputBlocked_ = true;
  obscuringSwitch_ = true;
  amuletEnabled_ = false;
  questName_ = "none";
  questShowing_ = false;
  const int32_t kind = LevelKind();
  if (panel_) {
    panel_->SetPanelManager(MakePanelManager(kind));
    if (Ref<IPanelManager> manager = panel_->GetPanelManager()) manager->Bind(this, -1);
  }
  levelManager_ = MakeLevelManager(kind);
  StopAmulet();
  if (LevelManagerName(kind).empty())
    WarnAboutTask("tasktype " + std::to_string(task_->GetTaskType()) +
                  " is no level kind (0 to 5); its level has nothing to play");
  if (!levelManager_) return;
  levelManager_->Init(this);
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("resource_defs", Variant(Ref<IInterface>(levelManager_->LoadScene().get())));
  ReselectCursor();
  levelManager_->PlaySceneMusic();
  if (owner_) owner_->ShowScreen("GS_LevelLoading", params);
}

void TTavelor2GameScreenGame::StartLevel() {
  levelStarted_ = true;
  if (task_ && TaskText("shine_diary_button", "none") == "at_start") ShineDiaryButton();
  if (levelManager_) {
    levelManager_->StartLevel();
    UpdateObjectsLeftCount();
    if (levelManager_->RemainingCount() == 0)
      WarnAboutTask("no object of scene \"" + TaskText("scenename") + "\" that a level of kind " +
                    std::to_string(LevelKind()) +
                    " wants has a location; the level is won at once");
  }
  PlaySound("sound_level_start");
  if (task_) {
    timer_ = TaskInt("task_time", 0);
    if (timed_ && timer_ < 1) {
      timer_ = GivenTime();
      if (TaskInt("given_time", kDefaultGivenTime) > kMaxGivenTime)
        WarnAboutTask("given_time " + TaskText("given_time") +
                      " is more than the clock shows (99:59); 99:59 is given");
      else if (timer_ < 1)
        WarnAboutTask("given_time " + TaskText("given_time") +
                      " is no time: the level is lost at once");
    }
    firstTick_ = true;
    hintsUsed_ = TaskInt("hints_used", 0);
    successClicks_ = TaskInt("success_clicks", 0);
    wrongClicks_ = TaskInt("wrong_clicks", 0);
    tutorialFactory_ = TaskText("activate_start_factory", "yes") == "yes"
                           ? TaskText("ingame_start_factory")
                           : std::string();
    SetTaskParam("activate_start_factory", Variant("no"));
    if (userGameData_) SetTaskParam("play_mode", Variant(int(userGameData_->GetPlayMode())));
    AddToAnimations(MakeWidget("start_level_anim", task_->GetParams()));
  }
  timeSeparator_ = TranslateText("%time_separator%");
  lastSecondShown_ = -1;
  levelClock_ = 0;
  hintRequirement_ = kStartHintRequirement;
  hintCharge_ = kStartHintRequirement - 500;
  hintReady_ = false;
  UpdateHintCharge();
  noLevelRunning_ = false;
  ShowTaskQuest();
}

void TTavelor2GameScreenGame::ShowTaskQuest() {
  if (!task_ || !TaskText("ingame_start_factory").empty()) return;
  std::string quest = TaskText("task_quest");
  if (quest.empty()) return;
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("text", Variant("%" + quest + "%"));
  ShowQuestWidget(MakeWidget("task_quest", params));
}

void TTavelor2GameScreenGame::ShowQuestWidget(const Ref<IWidget>& quest) {
  if (!quest) return;
  AddToAnimations(quest);
  questShowing_ = true;
  questName_ = quest->GetName();
  PauseScene(true);
}

void TTavelor2GameScreenGame::PauseScene(bool pause) {
  for (const Ref<IWidget>& group : {objectsGroup_, approachesGroup_}) {
    if (!group) continue;
    group->SetPaused(pause);
    group->SetMouseStop(!pause);
  }
}

void TTavelor2GameScreenGame::ShineDiaryButton() {
  if (Ref<IWidget> shine = MakeWidget("diary_shine", nullptr)) {
    if (Ref<IWidgetCollection> children = uiGroup_ ? uiGroup_->GetChildren() : nullptr) {
      if (Ref<IWidget> old = children->GetByName(shine->GetName())) {
        old->SetDead(true);
        children->RemoveDead();
      }
      children->Add(shine);
    }
  }
  SetTaskParam("shine_diary_button", Variant("none"));
}

// ---------------------------------------------------------------------------------------
// Clearing

void TTavelor2GameScreenGame::ResetDelayedQueue() {
  delayed_.assign(20, TDelayedSwitch{});
  delayedCount_ = 0;
}

void TTavelor2GameScreenGame::ClearScene() {
  if (IEngine* engine = GetEngine()) engine->UnloadResources("scene");
  RemoveAllChildren(objectsGroup_.get());
  RemoveAllChildren(leftObjects_.get());
  RemoveAllChildren(rightObjects_.get());
  if (approachesGroup_) approachesGroup_->SetVisible(false);
  if (objectsGroup_) objectsGroup_->SetPaused(false);
  openApproach_ = nullptr;
  if (approachObscuring_) approachObscuring_->SetVisible(false);
  RemoveAllChildren(approachesGroup_.get());
  RemoveAllChildren(animationGroup_.get());
  RemoveAllChildren(backgroundGroup_.get());
  RemoveAllChildren(loadingScreen_.get());
  RemoveAllChildren(panel_.get());
  if (objectsCountText_) {
    objectsCountText_->SetProperty("text", Variant(""));
    objectsCountText_->SetProperty("Count", Variant(0));
  }
  if (scoresText_) scoresText_->SetProperty("text", Variant(""));
  DropCarriedItem();
  for (const Ref<IWidget>& hand : {minuteHand_, secondHand_})
    if (hand) hand->SetProperty("angle", Variant(180));
  if (timerText_) {
    timerText_->SetProperty("text", Variant(""));
    timerText_->SetTransparentLevel(255);
  }
  scene_ = nullptr;
  previousScene_ = nullptr;
  if (obscuring_) obscuring_->SetVisible(true);
  if (blackScreenWidget_) {
    blackScreenWidget_->SetTransparentLevel(0);
    blackScreenWidget_->SetVisible(false);
  }
  if (loadingScreen_) {
    loadingScreen_->SetTransparentLevel(255);
    loadingScreen_->SetVisible(true);
  }
  if (Ref<ILevelManager> manager = std::move(levelManager_)) manager->Done();
  levelManager_ = nullptr;
  blackScreen_ = false;
  noLevelRunning_ = true;
  inputBlocked_ = true;
  firstTick_ = false;
  completion_ = true;
  combo_ = 0;
  wrongAccumulator_ = 0;
  hintRequirement_ = kClearHintRequirement;
  hintReady_ = false;
  hintCharge_ = -1;
  lastClick_ = -1;
  lastFind_ = -1;
  hintsUsed_ = 0;
  wrongClicks_ = 0;
  successClicks_ = 0;
  pendingScore_ = 0;
  banked_ = 0;
  pulseStep_ = 0;
  pointingAngle_ = 0;
  ResetDelayedQueue();
  completionPending_ = false;
  levelOver_ = false;
  if (Ref<IWidget> shine = std::move(shineWidget_)) shine->SetDead(true);
  shineWidget_ = nullptr;
  shineObject_ = nullptr;
  hintScenario_ = nullptr;
  completionScenario_ = nullptr;
  // The hint target belongs to the scene just cleared.
  hintTarget_ = nullptr;
  // Amulet mode ends while its target is still known: the darkness, the crystal's sound
  // and the hint charge would otherwise stay as they are into the next level.
  StopAmulet();
  amuletMode_ = false;
  amuletTarget_ = nullptr;
  carriedSource_ = nullptr;
  carriedItem_ = nullptr;
  carriedObject_ = nullptr;
  if (panel_) {
    if (Ref<IPanelManager> manager = panel_->GetPanelManager()) manager->Unbind();
    panel_->SetPanelManager(nullptr);
  }
}

// ---------------------------------------------------------------------------------------
// Hiding and release

void TTavelor2GameScreenGame::WriteTaskCounters() {
  if (timer_ < 0) timer_ = 0;
  if (!task_ || !task_->GetParams()) return;
  shownScore_ = SaturateInt32(int64_t(shownScore_) + pendingScore_);
  pendingScore_ = 0;
  if (shownScore_ > 0 && userGameData_) {
    int64_t scores = int64_t(TaskInt("scores", 0)) + shownScore_ - userGameData_->GetScores();
    SetTaskParam("scores", Variant(SaturateInt32(scores)));
    userGameData_->SetScores(shownScore_);
  } else {
    SetTaskParam("scores", Variant(0));
  }
  if (levelManager_) SetTaskParam("objects_left_count", Variant(levelManager_->RemainingCount()));
  SetTaskParam("hints_used", Variant(hintsUsed_));
  SetTaskParam("success_clicks", Variant(successClicks_));
  SetTaskParam("wrong_clicks", Variant(wrongClicks_));
  task_ = nullptr;
}

void TTavelor2GameScreenGame::Hide() {
  WriteTaskCounters();
  SelectCursor("default");
  ClearScene();
  TTv2GameplayScreen::Hide();
}

void TTavelor2GameScreenGame::ReleaseOwner() {
  // The counters are written before the scene goes: clearing drops the points still
  // counting up and the level manager that knows the objects left.
  WriteTaskCounters();
  ClearScene();
  userGameData_ = nullptr;
  case_ = nullptr;
  stage_ = nullptr;
  scene_ = nullptr;
  previousScene_ = nullptr;
  levelManager_ = nullptr;
  subScreenParams_ = nullptr;
  openApproach_ = nullptr;
  panel_ = nullptr;
  backgroundGroup_ = objectsGroup_ = approachesGroup_ = leftObjects_ = rightObjects_ = nullptr;
  leftPart_ = rightPart_ = uiGroup_ = animationGroup_ = nullptr;
  hintGroup_ = hintButton_ = hintFront_ = hintBack_ = hintAfter_ = nullptr;
  approachObscuring_ = obscuring_ = blackScreenWidget_ = loadingScreen_ = nullptr;
  minuteHand_ = secondHand_ = timerText_ = objectsCountText_ = scoresText_ = nullptr;
  accentSound_ = nullptr;
  menuButton_ = nullptr;
  delayed_.clear();
  delayedCount_ = 0;
  TTv2GameplayScreen::ReleaseOwner();
}

void TTavelor2GameScreenGame::Deactivate() {
  TTv2GameplayScreen::Deactivate();
  inputBlocked_ = true;
  noLevelRunning_ = true;
}

void TTavelor2GameScreenGame::OnActivateApp(bool active) {
  TTv2GameplayScreen::OnActivateApp(active);
  SetInputBlocked(!active);
}

// ---------------------------------------------------------------------------------------
// Restart, menu, diary

void TTavelor2GameScreenGame::ResetTaskProgress() {
  shownScore_ = 0;
  if (task_) {
    SetTaskParam("task_time", Variant(0));
    shownScore_ = TaskInt("scores", 0);
    SetTaskParam("scores", Variant(0));
    if (userGameData_) {
      // Each key leaves the list as a whole entry, the first one included, so that every
      // mini-game's quest shows again on the next play.
      std::string list = userGameData_->GetTempList();
      auto forget = [&](const Ref<IWidget>& group) {
        Ref<IWidgetCollection> children = group ? group->GetChildren() : nullptr;
        if (!children) return;
        for (int i = 0; i < children->Count(); ++i) {
          Ref<IWidget> child = children->GetByIndex(i);
          if (!child || child->GetName().find("minigame") == std::string::npos) continue;
          std::string key = child->GetPropertyDef("instance_hint", Variant("")).ToString();
          if (!key.empty()) list = WithoutEntry(list, key);
        }
      };
      forget(objectsGroup_);
      if (Ref<IWidgetCollection> approaches =
              approachesGroup_ ? approachesGroup_->GetChildren() : nullptr)
        for (int i = 0; i < approaches->Count(); ++i) forget(approaches->GetByIndex(i));
      userGameData_->SetTempList(list);
    }
    SetTaskParam("hints_used", Variant(0));
    SetTaskParam("success_clicks", Variant(0));
    SetTaskParam("wrong_clicks", Variant(0));
    Ref<ISceneGenerator> generator = MakeSceneGenerator();
    if (generator) {
      generator->Init(this);
      const int32_t kind = LevelKind();
      if (scene_) generator->GenerateLevel(scene_, kind);
      if (previousScene_) generator->GenerateLevel(previousScene_, kind);
      generator->Done();
    }
    if (scene_) scene_->SetCompleted(false);
    if (previousScene_) previousScene_->SetCompleted(false);
  }
  if (userGameData_) {
    int32_t total = SaturateInt32(int64_t(userGameData_->GetScores()) - shownScore_);
    userGameData_->SetScores(total);
    shownScore_ = total;
  }
  if (levelManager_) {
    levelManager_->ResetActivateSequence(scene_);
    levelManager_->ResetActivateSequence(previousScene_);
  }
}

void TTavelor2GameScreenGame::Restart() {
  if (menuButton_) menuButton_->SetVisible(true);
  ResetTaskProgress();
  ClearScene();
  ShowScoreText();
  SetupLevel();
}

void TTavelor2GameScreenGame::QuitToMenu() {
  if (levelManager_) levelManager_->StopSceneMusic();
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("user_quit", Variant("yes"));
  if (task_) {
    if (Ref<IWidget> exit = MakeWidget(TaskText("ingame_exit_menu_factory"), nullptr)) {
      AddToAnimations(exit);
      exit->Process(0);
    }
  }
  firstClose_ = false;
  CloseGameScreen(params);
}

void TTavelor2GameScreenGame::OpenGameMenu() {
  obscuringSwitch_ = false;
  ReselectCursor();
  if (owner_) owner_->ShowScreen("GS_GameMenu", subScreenParams_);
  obscuringSwitch_ = true;
}

void TTavelor2GameScreenGame::OpenDiary() {
  if (!subScreenParams_) subScreenParams_ = NewParamCollection();
  subScreenParams_->SetValue("tab", Variant(-1));
  subScreenParams_->SetValue("tab", Variant(3));
  obscuringSwitch_ = false;
  ReselectCursor();
  if (owner_) owner_->ShowScreen("GS_Diary", subScreenParams_);
  subScreenParams_->SetValue("tab", Variant(-1));
  obscuringSwitch_ = true;
}

// ---------------------------------------------------------------------------------------
// Keys, controls and the screens above

bool TTavelor2GameScreenGame::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t) {
  if (message == input::kKeyDown && keyCode == input::kVkEscape) {
    // The menu may restart or quit the level: amulet mode must not outlive it.
    StopAmulet();
    OpenGameMenu();
  }
  return false;
}

void TTavelor2GameScreenGame::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TTv2GameplayScreen::OnWidgetEvent(sender, code, param);
  if (code != 1 || !sender) return;
  std::string name = sender->GetName();
  std::string skipGroup;
  if (IsSkipButtonPress(sender, skipGroup)) {
    ApplyButtonProps(sender);
    name = skipGroup;
  }
  using Screen = TTavelor2GameScreenGame;
  static constexpr ControlReaction<Screen> kControls[] = {
      {"button_hint", false,
       [](Screen& screen, IWidget&) {
         if (!screen.IsAmuletActive()) screen.UseHint();
       }},
      {"button_menu", false,
       [](Screen& screen, IWidget&) {
         screen.StopAmulet();
         if (screen.menuButton_) screen.menuButton_->SetVisible(false);
         screen.OpenGameMenu();
       }},
      {"button_diary", false,
       [](Screen& screen, IWidget&) {
         screen.StopAmulet();
         if (screen.menuButton_) screen.menuButton_->SetVisible(false);
         screen.OpenDiary();
       }},
      {"button_amulet", false,
       [](Screen& screen, IWidget&) {
         if (screen.carrying_) return;
         if (screen.IsAmuletActive())
           screen.StopAmulet();
         else
           screen.StartAmulet();
       }},
      {"button_amulet_return", false, [](Screen& screen, IWidget&) { screen.StopAmulet(); }},
      {"button_skip", false, [](Screen& screen, IWidget&) { screen.HideSkipButtons(); }},
      {"button_skip_level", false, [](Screen& screen, IWidget&) { screen.SkipLevel(); }},
      {"button_inventory_scroll_left", false,
       [](Screen& screen, IWidget&) {
         if (Ref<IPanelManager> manager = screen.PanelManager()) manager->ScrollLeft(nullptr);
       }},
      {"button_inventory_scroll_right", false,
       [](Screen& screen, IWidget&) {
         if (Ref<IPanelManager> manager = screen.PanelManager()) manager->ScrollRight(nullptr);
       }},
  };
  ReactToControl(*this, *sender, name, code, kControls);
}

void TTavelor2GameScreenGame::OnChildClosed(const std::string& name,
                                            const Ref<IParamCollection>& result) {
  TTv2GameplayScreen::OnChildClosed(name, result);
  closed_ = false;
  if (SameText(name, "GS_Diary")) {
    if (result) {
      const bool hasTask = bool(result->FindParam(Variant("task")));
      if ((hasTask && !task_) ||
          (task_ && result->GetValue("task", Variant("!@#")).ToString() != task_->GetName())) {
        closed_ = Close(result);
        if (closed_) return;
      }
    }
    if (!task_) {
      closed_ = Close(result);
      if (closed_) return;
    }
    if (obscuring_) obscuring_->SetVisible(false);
    // Covering the screen stopped the level: it runs again, or input could never come back.
    if (levelStarted_ && task_ && !task_->IsCompleted()) noLevelRunning_ = false;
    if (!result || (levelStarted_ && task_ &&
                    result->GetValue("task", Variant("")).ToString() == task_->GetName()))
      SetInputBlocked(false);
  } else if (SameText(name, "GS_LevelLoading")) {
    StartLevel();
    noLevelRunning_ = false;
    if (Ref<IPanelManager> manager = PanelManager()) manager->ResetScroll();
    UpdateSkipButtons();
    return;
  } else if (SameText(name, "GS_LevelStat")) {
    ReselectCursor();
    firstClose_ = false;
    if (task_) {
      if (levelManager_) levelManager_->StopSceneMusic();
      if (task_->IsCompleted()) {
        std::string note = TaskText("journal_note_on_end_task");
        if (!note.empty() && userGameData_) userGameData_->AddToJournal(note);
        ShineDiaryButton();
        std::string select = TaskText("select_scene");
        if (userGameData_ && select == "gift") userGameData_->SetChosenGifts("");
        if (userGameData_ && select == "place") userGameData_->SetChosenPlaces("");
        CloseGameScreen(task_->GetParams());
        if (closed_) return;
      } else {
        Restart();
      }
    }
    if (IEngine* engine = GetEngine()) engine->HideSystemCursor();
  } else if (SameText(name, "GS_GameMenu")) {
    if (result && result->FindParam(Variant("Button"))) {
      std::string button = result->GetValue("Button").ToString();
      if (button == "GS_QueryMainMenu") QuitToMenu();
      if (closed_) return;
      if (button == "GS_QueryRestart") Restart();
    }
    noLevelRunning_ = false;
  } else if (SameText(name, "GS_Quit")) {
    noLevelRunning_ = false;
  }
  if (closed_) return;
  if (menuButton_) menuButton_->SetVisible(true);
  SetInputBlocked(false);
}
