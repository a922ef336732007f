#include "screens/Tv2GameScreenDiaryParticipant.h"

#include <exception>

#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"
#include "gameplay/Tv2UserGameData.h"
#include "screens/Tv2DiaryPages.h"
#include "screens/Tv2ProgressRecords.h"

namespace {

const char* const kMatchedPair = "show_mached_twain";
const char* const kTaskButtons[] = {"client", "candidate1", "candidate2", "candidate3"};
// The rows of category widgets on a participant's card.
constexpr int32_t kCategoryRowHeight = 30;

// The slot widget's own name: the last step of the slot's path.
std::string SlotWidgetName(const std::string& slot) {
  size_t slash = slot.rfind('/');
  return slash == std::string::npos ? slot : slot.substr(slash + 1);
}

IWidget* ParentWidget(IWidget* widget) {
  return widget ? InterfaceCast<IWidget>(widget->GetOwner()) : nullptr;
}

// The widget's former sibling of the same name goes before it joins Group.
void AddReplacing(IWidget* group, const Ref<IWidget>& widget) {
  Ref<IWidgetCollection> children = group ? group->GetChildren() : nullptr;
  if (!children) return;
  if (Ref<IWidget> former = children->GetByName(widget->GetName())) {
    former->SetDead(true);
    children->RemoveDead();
  }
  children->Add(widget);
}

void SetChildVisible(IWidget* page, const std::string& name, bool visible) {
  if (Ref<IWidget> child = page->FindWidget(name)) child->SetVisible(visible);
}

}  // namespace

const TPropertyTable& TDiaryPageParticipant::Properties() {
  using P = TDiaryPageParticipant;
  static const TPropertyTable table(
      TVisualGroupWidget::Properties(),
      {
          // Set by the matching game when its win has played out.
          Prop<P>("match_client", nullptr,
                  [](P& page, const Variant& value) { page.ClientMatched(value.ToString()); })
              .WriteOnly(),
      });
  return table;
}

void TDiaryPageParticipant::LoadFromXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::LoadFromXml(node);
  dataFile_ = StorageDataFile(node);
}

void TDiaryPageParticipant::ReleaseOwner() {
  TVisualGroupWidget::ReleaseOwner();
  selectTask_ = nullptr;
  case_ = nullptr;
  Clear();
}

void TDiaryPageParticipant::Clear() {
  SetChildVisible(this, "button_skip", false);
  records_.clear();
  BroadcastClear();
}

void TDiaryPageParticipant::BroadcastClear() {
  if (children_) children_->Broadcast("clear", Variant(""));
}

// ---------------------------------------------------------------------------------------
// Participants

void TDiaryPageParticipant::ShowParticipants(const Ref<IUGDCase>& gameCase) {
  std::vector<TRecord> former = std::move(records_);
  Clear();
  for (TRecord& record : former) {
    if (!record.widget) continue;
    record.widget->SetDead(true);
    if (IWidget* parent = ParentWidget(record.widget.get()))
      if (Ref<IWidgetCollection> siblings = parent->GetChildren()) siblings->RemoveDead();
  }
  case_ = gameCase;
  Ref<IParticipantCollection> participants = selectTask_ ? selectTask_->GetParticipants() : nullptr;
  if (!case_ || !participants) return;
  std::vector<std::string> names = SplitListItems(RecordText(case_.get(), "participant_list"));
  // Read side by side; a shorter task list leaves the last participants without a task.
  std::vector<std::string> tasks = SplitListItems(RecordText(case_.get(), "participant_tasks"));
  Ref<IParamCollection> params = NewParamCollection();
  for (size_t k = 0; k < names.size(); ++k)
    AddRecord(names[k], k < tasks.size() ? tasks[k] : std::string(), participants, params);
}

void TDiaryPageParticipant::AddRecord(const std::string& name, const std::string& taskName,
                                      const Ref<IParticipantCollection>& participants,
                                      const Ref<IParamCollection>& params) {
  Ref<IParticipant> participant = name.empty() ? nullptr : participants->GetItem(Variant(name));
  if (!participant) return;
  std::string slotPath = participant->GetSlot();
  params->SetValue("slot", Variant(slotPath));
  params->SetValue("name", Variant(participant->GetName()));
  params->SetValue("participant_avatar", Variant(participant->GetAvatar()));
  params->SetValue("participant_caption", Variant(participant->GetCaption()));
  params->SetValue("participant_desc", Variant(participant->GetDescription()));
  Ref<IWidget> widget = CreateWidgetFromFactory(
      participant->IsClient() ? "participant_client" : "participant_candidate", params);
  Ref<IWidget> slot = slotPath.empty() ? nullptr : FindWidget(slotPath);
  IWidget* group = ParentWidget(slot.get());
  if (!widget || !group) return;
  widget->SetAnchorLeft(slot->GetAnchorLeft());
  widget->SetAnchorTop(slot->GetAnchorTop());
  AddReplacing(group, widget);
  records_.push_back({name, taskName, participant, FindCaseTask(taskName), widget});
}

Ref<IUGDTask> TDiaryPageParticipant::FindCaseTask(const std::string& taskName) {
  Ref<IUGDStageCollection> stages = case_ && !taskName.empty() ? case_->GetStages() : nullptr;
  for (int i = 0; stages && i < stages->Count(); ++i) {
    Ref<IUGDStage> stage = stages->GetItem(Variant(i));
    Ref<IUGDTaskCollection> tasks = stage ? stage->GetTasks() : nullptr;
    if (Ref<IUGDTask> task = tasks ? tasks->GetItem(Variant(taskName)) : nullptr) return task;
  }
  return nullptr;
}

bool TDiaryPageParticipant::OnCurrentPage(const TRecord& record) {
  return pageName_.empty() || PathHasSegment(record.participant->GetSlot(), pageName_);
}

std::string TDiaryPageParticipant::GetTaskParticipant(const std::string& taskName) {
  if (taskName.empty()) return {};
  for (auto record = records_.rbegin(); record != records_.rend(); ++record)
    if (SameText(record->taskName, taskName)) return record->participantName;
  return {};
}

// ---------------------------------------------------------------------------------------
// Candidates and categories

void TDiaryPageParticipant::ShowCandidates(const Ref<IUGDStage>& stage,
                                           const Ref<IUserGameData>& data) {
  std::string matched = data ? data->GetMatchedClients() : std::string();
  bool allMatched = true;
  for (const TRecord& record : records_) {
    if (!record.participant->IsClient()) continue;
    allMatched = allMatched && NameListContains(matched, record.participantName);
    if (!allMatched && OnCurrentPage(record))
      SetChildVisible(this, "choose_hint_" + record.participantName, true);
  }
  if (allMatched) {
    BroadcastClear();
    ShowMatchedPair(data);
    return;
  }
  for (const char* button : kTaskButtons) SetChildVisible(this, button, false);
  Ref<IUGDTaskCollection> tasks = stage ? stage->GetTasks() : nullptr;
  for (size_t i = 0; i < records_.size(); ++i) {
    ShowCategories(records_[i]);
    const TRecord& record = records_[i];
    for (int t = 0; tasks && !record.taskName.empty() && t < tasks->Count(); ++t) {
      Ref<IUGDTask> task = tasks->GetItem(Variant(t));
      if (!task || !SameText(task->GetName(), record.taskName)) continue;
      if (record.task) record.task->SetCompleted(task->IsCompleted());
      if (task->IsCompleted()) continue;
      Ref<IWidget> button = FindWidget(SlotWidgetName(record.participant->GetSlot()));
      if (!button) continue;
      button->SetVisible(true);
      button->SetEnabled(true);
      // The diary starts the task named here when the button is clicked.
      button->SetExtraParam("task", Variant(record.taskName));
    }
  }
}

void TDiaryPageParticipant::ShowCategories(const TRecord& record) {
  Ref<IWidget> group = record.widget ? record.widget->FindWidget("category") : nullptr;
  Ref<IWidgetCollection> chips = group ? group->GetChildren() : nullptr;
  if (!chips) return;
  RemoveAllChildren(group.get());
  IGameScreenOwner* game = GameOfWidget(this);
  Ref<ICategoryCollection> categories =
      game ? Supports<ICategoryCollection>(game->GetParamValue("categories").RawInterface())
           : nullptr;
  bool client = record.participant->IsClient();
  std::string open = record.participant->GetOpenCategories();
  Ref<IParamCollection> params = NewParamCollection();
  int32_t y = 0;
  for (const std::string& name : SplitListNames(record.participant->GetCategories())) {
    Ref<ICategory> category = categories ? categories->GetItem(Variant(name)) : nullptr;
    params->SetValue("name", Variant(name));
    params->SetValue("category", Variant(category ? category->GetCaption() : std::string()));
    params->SetValue("anchor_top", Variant(y));
    Ref<IWidget> chip = CreateWidgetFromFactory("category", params);
    if (!chip) continue;
    y += kCategoryRowHeight;
    chips->Add(chip);
    if (!client && !NameListContains(open, name)) continue;
    if (Ref<IWidget> opened = chip->FindWidget("open")) opened->Restart();
  }
}

// ---------------------------------------------------------------------------------------
// Matching

bool TDiaryPageParticipant::IsMatchReady(const std::string& matchedClients) {
  matchedList_ = matchedClients;
  if (records_.empty()) return false;
  bool ready = true;
  bool unmatchedMet = false;
  for (const TRecord& record : records_) {
    if (!OnCurrentPage(record)) continue;
    bool client = record.participant->IsClient();
    bool listed = NameListContains(matchedClients, record.participantName);
    if (!unmatchedMet && client && listed) {
      ready = false;
    } else if (client && !listed) {
      ready = true;
      unmatchedMet = true;
      for (int i = 0; children_ && i < children_->Count(); ++i)
        if (IWidget* child = children_->ItemAt(i)) child->SetVisible(false);
      if (IWidget* game = ParentWidget(record.widget.get())) game->SetVisible(true);
    }
    // A participant without a task waits for nothing.
    if (record.task && !record.task->IsCompleted()) ready = false;
  }
  return ready;
}

void TDiaryPageParticipant::MatchClient() {
  IWidget* game = nullptr;
  for (const TRecord& record : records_) {
    if (!OnCurrentPage(record)) continue;
    if (record.participant->IsClient() && record.widget) {
      game = ParentWidget(record.widget.get());
      if (!game) continue;
      game->SetProperty("match_client", Variant(record.participantName));
      game->SetProperty("control_categories", Variant(record.participant->GetCategories()));
    } else if (game) {
      game->SetProperty("test_categories", Variant(record.participant->GetName()));
    }
  }
  for (const TRecord& record : records_)
    if (OnCurrentPage(record) && record.participant->IsClient())
      if (IWidget* clientGame = ParentWidget(record.widget.get()))
        clientGame->SetProperty("start_play", Variant(1));
}

void TDiaryPageParticipant::ClientMatched(const std::string& client) {
  // The diary may rebuild its pages meanwhile: this one stays alive to the end.
  Ref<IWidget> self(static_cast<IWidget*>(this));
  try {
    if (selectTask_) selectTask_->ClientMatched(client);
    if (!IsMatchReady(matchedList_ + ";" + client))
      ShowMatchedPair(selectTask_ ? selectTask_->GetUserGameData() : nullptr);
  } catch (const std::exception& e) {
    Warn(dataFile_, "participant page \"" + GetName() + "\": the match of \"" + client +
                        "\" not settled (" + e.what() + ")");
  }
}

void TDiaryPageParticipant::RemoveMatchedTwain() {
  if (!children_) return;
  if (Ref<IWidget> pair = children_->GetByName(kMatchedPair)) {
    pair->SetDead(true);
    // Gone at once: the diary asks whether the page holds a pair right after.
    children_->RemoveDead();
  }
}

void TDiaryPageParticipant::ShowMatchedPair(const Ref<IUserGameData>& data) {
  if (records_.empty()) return;
  std::string client, idealMatch;
  int clients = 0;
  for (const TRecord& record : records_) {
    if (record.participant->IsClient()) {
      client = record.participantName;
      ++clients;
    }
    if (record.participant->IsIdealMatch()) idealMatch = record.participantName;
  }
  // What the current stage still asks: a comparison of two scenes, or a gift or place to
  // choose (from the open ones, or already chosen).
  bool compare = false, pending = false, place = false;
  std::string scene;
  std::vector<std::string> open;
  Ref<IUGDStage> stage = case_ ? case_->CurrentStage() : nullptr;
  Ref<IUGDTaskCollection> tasks = stage ? stage->GetTasks() : nullptr;
  for (int i = 0; tasks && i < tasks->Count(); ++i) {
    Ref<IUGDTask> task = tasks->GetItem(Variant(i));
    if (!task) continue;
    if (!RecordText(task.get(), "scenename2").empty()) compare = true;
    std::string kind = RecordText(task.get(), "select_scene");
    if (kind != "gift" && kind != "place") continue;
    place = kind == "place";
    if (!task->IsCompleted()) pending = true;
    scene = RecordText(task.get(), "scenename");
    open = SplitListNames(!data   ? std::string()
                          : place ? data->GetOpenPlaces()
                                  : data->GetOpenGifts());
  }
  // Every parameter the pair's factory may name is given, so that none is left as its
  // "%name%" text.
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("client", Variant(client));
  for (const char* text : {"image_top", "image_bottom", "text_top", "text_bottom", "hint_text"})
    params->SetValue(text, Variant(""));
  for (const char* flag :
       {"hint_visible", "need_compare", "show_bottom_img", "show_bottom_img_text"})
    SetParamBool(params, flag, false);
  if (compare) {
    params->SetValue("image_top", Variant(client));
    params->SetValue("image_bottom", Variant(idealMatch));
    SetParamBool(params, "need_compare", true);
    params->SetValue("text_top", Variant("%diary_compare_participants%"));
    SetParamBool(params, "show_bottom_img", true);
  } else if (pending && !scene.empty()) {
    params->SetValue("text_top", Variant("%label_scene_" + scene + "%"));
    params->SetValue("image_top", Variant(scene));
  } else if (pending) {
    SetParamBool(params, "hint_visible", clients == 1);
    SetParamBool(params, "show_bottom_img", true);
    SetParamBool(params, "show_bottom_img_text", true);
    if (open.size() >= 2) {
      params->SetValue("image_top", Variant(open[0]));
      params->SetValue("image_bottom", Variant(open[1]));
      params->SetValue("text_top", Variant("%label_scene_" + open[0] + "%"));
      params->SetValue("text_bottom", Variant("%label_scene_" + open[1] + "%"));
      params->SetValue("hint_text",
                       Variant(place ? "%diary_select_place_scene%" : "%diary_select_place_gift%"));
    }
  }
  if (Ref<IWidget> pair = CreateWidgetFromFactory(kMatchedPair, params)) AddReplacing(this, pair);
}
