#include "screens/Tv2GameScreenDiary.h"

#include "foundation/EngineDeclarations.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2UserGameData.h"
#include "platform/InputConstants.h"
#include "screens/Tv2DiaryPages.h"
#include "shell/ControlReactions.h"

using namespace diary_text;

// ---------------------------------------------------------------------------------------
// Set-up and release

void TTavelor2GameScreenDiary::SetOwner(IGameScreenOwner* owner) {
  TGameScreen::SetOwner(owner);
  requestedTab_ = -1;
  savedShine_ = "none";
  tasksPage_ = Widget("page_tasks");
  participantPage_ = Supports<IDiaryPageParticipant>(Widget("page_participants"));
  journalPage_ = Supports<IDiaryJournal>(Widget("page_journal"));
  voodooPage_ = Supports<IDiaryPageVoodoo>(Widget("page_voodoo"));
  taskSceneGroup_ = Widget("page_tasks/SelectSceneGroup");
  participantSceneGroup_ = Widget("page_participants/SelectSceneGroup");
  labelGroup_ = Widget("page_tasks/labels_group");
  if (participantPage_) participantPage_->SetSelectTask(this);
  SelectTab(0);
}

void TTavelor2GameScreenDiary::ReleaseOwner() {
  ReleaseUserGameData();
  for (const Ref<IWidget>& widget :
       {selectedLabel_, taskSceneGroup_, participantSceneGroup_, labelGroup_})
    if (widget) widget->SetDead(true);
  if (participantPage_) participantPage_->SetSelectTask(nullptr);
  selectedLabel_ = nullptr;
  tasksPage_ = nullptr;
  participantPage_ = nullptr;
  journalPage_ = nullptr;
  voodooPage_ = nullptr;
  taskSceneGroup_ = nullptr;
  participantSceneGroup_ = nullptr;
  labelGroup_ = nullptr;
  TGameScreen::ReleaseOwner();
}

// ---------------------------------------------------------------------------------------
// The player's progress

void TTavelor2GameScreenDiary::ReadUserGameData() {
  if (!owner_) return;
  Ref<IUserProfileCollection> profiles = owner_->GetUserProfiles();
  Ref<IUserProfile> profile = profiles ? profiles->GetCurrent() : nullptr;
  if (progress_) {
    // The held progress keeps the play mode stored in its profile (the new-player screen
    // and the users screen write it there).
    Ref<TUserGameData> stored = TAbstractObject::Create<TUserGameData>();
    stored->AttachProfile(profile);
    if (stored->GetProfileName() == progress_->GetProfileName())
      progress_->SetPlayMode(stored->GetPlayMode());
    stored->ReleaseLinks();
    ReleaseUserGameData();
  }
  Ref<TUserGameData> data = TAbstractObject::Create<TUserGameData>();
  progress_ = Ref<IUserGameData>(data.get());
  progress_->AttachProfile(profile);
  // A story that names no case and stage of its own (new, or left by a scenario that no
  // longer has its case) starts anew.
  if (!CurrentStage()) {
    ResetCases(progress_);
    progress_->StoreToProfile(owner_);
  }
  owner_->SetParamValue(kUserGameDataParam, Variant(Ref<IInterface>(progress_.get())));
}

void TTavelor2GameScreenDiary::ResetCases(const Ref<IUserGameData>& progress) {
  Ref<IHierStorageRoot> scenario = LoadDataDocument(kScenarioFile);
  progress->LoadCases(Ref<IHierStorage>(scenario.get()));
  StartAtFirstCase(progress);
}

void TTavelor2GameScreenDiary::ReleaseUserGameData() {
  if (!progress_) return;
  if (owner_) owner_->SetParamValue(kUserGameDataParam, Variant::Null());
  Ref<IUserGameData> progress = std::move(progress_);
  progress_ = nullptr;
  progress->StoreToProfile(owner_);
  progress->ReleaseLinks();
}

// ---------------------------------------------------------------------------------------
// Showing and hiding

void TTavelor2GameScreenDiary::OnShow(const Ref<IParamCollection>& params) {
  TGameScreen::OnShow(params);
  ++generation_;
  if (progress_) {
    if (std::string name = ParamText(params, "enable_gift_scene"); !name.empty())
      progress_->AddOpenGift(name);
    if (std::string name = ParamText(params, "disable_gift_scene"); !name.empty())
      progress_->RemoveOpenGift(name);
    if (std::string name = ParamText(params, "enable_place_scene"); !name.empty())
      progress_->AddOpenPlace(name);
    if (std::string name = ParamText(params, "disable_place_scene"); !name.empty())
      progress_->RemoveOpenPlace(name);
  }
  startScreenFlag_ = false;
  if (params && params->GetValue("show_diary", Variant(0)).ToInt() == 1) ReadUserGameData();
  pickedAnotherTask_ = false;
  if (Ref<IWidget> black = Widget("black_screen")) black->SetTransparentLevel(255);
  showEndScreen_ = ParamText(params, "end_screen_name");
  showEndScreenOpen_ = !showEndScreen_.empty() && OpenScreen(showEndScreen_, nullptr);
  requestedTab_ = params ? params->GetValue("tab", Variant(-1)).ToInt(-1) : -1;
  if (requestedTab_ != -1) SelectTab(requestedTab_);
  RaiseCurtain();
}

void TTavelor2GameScreenDiary::OnShown(const Ref<IParamCollection>& params) {
  TGameScreen::OnShown(params);
  const int generation = generation_;
  LowerCurtain();
  if (Ref<ICursorCollection> cursors = owner_ ? owner_->GetCursors() : nullptr)
    if (Ref<ICursor> cursor = cursors->GetCurrentCursor()) cursors->SetCursor(cursor->GetName());
  RebuildPages();
  if (Stopped(generation)) return;
  SelectNextTask();
}

void TTavelor2GameScreenDiary::Hide() {
  ++generation_;
  RestartWidget("hide_desktop_screen");
  RaiseCurtain();
  UnloadGroups("comics", "sound");
  TGameScreen::Hide();
}

void TTavelor2GameScreenDiary::CloseWithResult(const Ref<IParamCollection>& result) {
  RaiseCurtain();
  // Whether or not the game lets the diary go, this flow has ended.
  ++generation_;
  Close(result);
}

bool TTavelor2GameScreenDiary::OpenScreen(const std::string& name,
                                          const Ref<IParamCollection>& params) {
  RaiseCurtain();
  if (owner_ && owner_->ShowScreen(name, params)) return true;
  LowerCurtain();
  Warn(GameFileName,
       "screen \"" + name + "\" not shown: the game file has no such screen, or it is open");
  return false;
}

// ---------------------------------------------------------------------------------------
// The black curtain, tabs and pages

void TTavelor2GameScreenDiary::RaiseCurtain() {
  if (Ref<IWidget> hide = Widget("hide_black")) hide->SetPaused(true);
  if (Ref<IWidget> black = Widget("black_screen")) black->SetTransparentLevel(255);
  RestartWidget("show_black");
  UnloadGroups("diary", "participants");
}

void TTavelor2GameScreenDiary::LowerCurtain() {
  UnloadGroups("comics", "sound");
  RestartWidget("hide_black");
}

// Their pictures and sounds are freed and load again when next used: the groups stay the
// game's (a resource list may well be named "diary" or "sound").
void TTavelor2GameScreenDiary::UnloadGroups(const char* first, const char* second) {
  if (IEngine* engine = GetEngine()) {
    engine->UnloadResources(first);
    engine->UnloadResources(second);
  }
}

void TTavelor2GameScreenDiary::SelectTab(int tab) {
  if (tabLock_) return;
  const bool voodooFound = progress_ && !progress_->GetFindedVoodoo().empty();
  const bool journalFilled = progress_ && !progress_->GetJournal().empty();
  if (tab == 2 && !voodooFound) return;
  if (tab == 3 && !journalFilled) tab = 0;
  if (tab < 0 || tab > 3) return;
  currentTab_ = tab;
  const Ref<IWidget> pages[] = {tasksPage_, participantPage_, voodooPage_, journalPage_};
  for (int i = 0; i < 4; ++i)
    if (pages[i]) pages[i]->SetVisible(i == tab);
}

void TTavelor2GameScreenDiary::UpdateTabButtons() {
  Ref<IWidget> buttons = Widget("tab_buttons");
  if (!buttons) return;
  auto show = [&](std::string_view name, bool visible) {
    if (Ref<IWidget> button = buttons->FindWidget(name)) button->SetVisible(visible);
  };
  show("button_journal", progress_ && !progress_->GetJournal().empty());
  show("button_voodoo", progress_ && !progress_->GetFindedVoodoo().empty());
  show("button_participant", participantPage_ && !participantPage_->IsEmpty());
  CloseUpTabs(*buttons);
}

// A hidden tab would leave a gap in the row: the shown tabs take, in order, the places the
// data gives the four tabs (read once, before any is moved).
void TTavelor2GameScreenDiary::CloseUpTabs(IWidget& buttons) {
  static constexpr std::string_view kTabs[] = {"button_tasks", "button_participant",
                                               "button_voodoo", "button_journal"};
  Ref<IWidget> tabs[std::size(kTabs)];
  for (size_t i = 0; i < std::size(kTabs); ++i) {
    tabs[i] = buttons.FindWidget(kTabs[i]);
    if (!tabPlacesRead_) tabPlaces_[i] = tabs[i] ? tabs[i]->GetAnchorLeft() : 0;
  }
  tabPlacesRead_ = true;
  size_t place = 0;
  for (size_t i = 0; i < std::size(kTabs); ++i)
    if (tabs[i] && tabs[i]->IsVisible()) tabs[i]->SetAnchorLeft(tabPlaces_[place++]);
}

void TTavelor2GameScreenDiary::RebuildPages() {
  Ref<IWidgetCollection> children = root_ ? root_->GetChildren() : nullptr;
  if (!children) return;
  Ref<IParamCollection> empty = NewParamCollection();
  if (voodooPage_) voodooPage_->SetDead(true);
  children->RemoveDead();
  voodooPage_ = nullptr;
  if (Ref<IWidget> page = CreateWidget("page_voodoo", empty)) {
    children->Add(page);
    voodooPage_ = Supports<IDiaryPageVoodoo>(page);
  }
  if (participantPage_) {
    participantPage_->SetSelectTask(nullptr);
    participantPage_->SetDead(true);
  }
  children->RemoveDead();
  participantPage_ = nullptr;
  participantSceneGroup_ = nullptr;
  if (Ref<IWidget> page = CreateWidget("page_participants", empty)) {
    children->Add(page);
    participantPage_ = Supports<IDiaryPageParticipant>(page);
  }
  if (participantPage_) {
    participantPage_->SetSelectTask(this);
    participantSceneGroup_ = participantPage_->FindWidget("SelectSceneGroup");
    Ref<IUGDStage> stage = CurrentStage();
    participantPage_->SetPageName(stage ? Text(stage, "participant_page", "page1") : "page1");
    if (Ref<IUGDCase> gameCase = CurrentCase()) participantPage_->ShowParticipants(gameCase);
  }
  // The map is built and its task selected once the task just played is settled
  // (SelectNextTask): selecting now would move the current task off it.
  SelectTab(0);
}

// ---------------------------------------------------------------------------------------
// Input

bool TTavelor2GameScreenDiary::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  if (TGameScreen::HandleMouse(message, point, keys)) return true;
  if (message != input::kLeftButtonDown || currentTab_ != 0 || !labelGroup_) return false;
  Ref<IWidgetCollection> labels = labelGroup_->GetChildren();
  if (!labels || !labelGroup_->IsVisible()) return false;
  // The top label under the point, whether or not labels take the mouse themselves.
  for (int i = labels->Count() - 1; i >= 0; --i) {
    Ref<IWidget> label = labels->GetByIndex(i);
    if (!label || label->IsDead() || !label->ContainsPoint(label->ScreenToLocalPoint(point), false))
      continue;
    ClickTask(label->GetProperty("task").ToString());
    return true;
  }
  return false;
}

void TTavelor2GameScreenDiary::OnWidgetEvent(IWidget* sender, int32_t code, int32_t param) {
  TGameScreen::OnWidgetEvent(sender, code, param);
  if (!sender) return;
  Ref<IWidget> keep(sender);
  using Screen = TTavelor2GameScreenDiary;
  static constexpr auto kStartParticipantTask = [](Screen& screen, IWidget& card) {
    screen.StartNamedTask(card.GetProperty("task").ToString(), false);
  };
  static constexpr auto kStartChoiceTask = [](Screen& screen, IWidget& choice) {
    const int generation = screen.generation_;
    screen.StartNamedTask(choice.GetProperty("taskname").ToString(), true);
    if (!screen.Stopped(generation)) screen.SelectTab(0);
  };
  static constexpr ControlReaction<Screen> kControls[] = {
      {"button_start", true, [](Screen& screen, IWidget&) { screen.StartTask(); }},
      {"button_next", true,
       [](Screen& screen, IWidget&) {
         if (screen.journalPage_) screen.journalPage_->NextPage();
       }},
      {"button_prev", true,
       [](Screen& screen, IWidget&) {
         if (screen.journalPage_) screen.journalPage_->PrevPage();
       }},
      {"set_play_mode_timed", true,
       [](Screen& screen, IWidget&) {
         if (screen.progress_) screen.progress_->SetPlayMode(0);
       }},
      {"set_play_mode_untimed", true,
       [](Screen& screen, IWidget&) {
         if (screen.progress_) screen.progress_->SetPlayMode(1);
       }},
      {"client", true, kStartParticipantTask},
      {"candidate1", true, kStartParticipantTask},
      {"candidate2", true, kStartParticipantTask},
      {"candidate3", true, kStartParticipantTask},
      {"match_compare", true,
       [](Screen& screen, IWidget&) {
         screen.SelectTab(0);
         screen.StartTask();
       }},
      {"match_gift", false, kStartChoiceTask},
      {"match_place", true, kStartChoiceTask},
      {"button_tasks", true, [](Screen& screen, IWidget&) { screen.SelectTab(0); }},
      {"button_participant", true, [](Screen& screen, IWidget&) { screen.SelectTab(1); }},
      {"button_voodoo", true, [](Screen& screen, IWidget&) { screen.SelectTab(2); }},
      {"button_skip_voodoo", true, [](Screen& screen, IWidget&) { screen.SkipVoodooGame(); }},
      {"button_journal", false, [](Screen& screen, IWidget&) { screen.SelectTab(3); }},
  };
  const std::string name = sender->GetName();
  if (ReactToControl(*this, *sender, name, code, kControls)) return;
  // The scene choices are made from a factory, one button per offered scene.
  if (code == control_event::kButtonClick && name.find("select_scene_") != std::string::npos) {
    const int generation = generation_;
    ChooseScene(sender->GetProperty("scenename").ToString());
    StartTask();
    if (!Stopped(generation)) HideSceneChoice();
  }
}

// ---------------------------------------------------------------------------------------
// Widgets

Ref<IWidget> TTavelor2GameScreenDiary::Widget(std::string_view path) {
  return root_ ? root_->FindWidget(path) : nullptr;
}
