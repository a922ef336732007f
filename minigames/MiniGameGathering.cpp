#include "minigames/MiniGameGathering.h"

#include <algorithm>

#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

// A random task takes at most this many elements of one group: a data slip in "min" must
// not fill the memory.
constexpr int32_t kMostRandomPerGroup = 1000;

}  // namespace

void TMiniGameGathering::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  current_ = 0;
  collection_.clear();
  resetWidget_ = ReadXmlStr(node, "reset_widget", "null_widget");
  checkOrder_ = ReadXmlBool(node, "check_order", false);
  sequence_ = FindWidget(ReadXmlStr(node, "sequence"));
  ReadGroups(node);
  ReadTasks(node);
  taskWidgets_.clear();
  std::string names = ReadXmlStr(node, "task_widgets");
  if (!names.empty()) taskWidgets_ = Split(names, ';');
  if (tasks_.empty()) WarnAboutNode(node, "no \"task\": only its skip ends the game");
  ShowTask();
  playing_ = true;
}

void TMiniGameGathering::ReadGroups(const Ref<IHierStorage>& node) {
  groups_.clear();
  int32_t running = 0;
  int count = node->GetChildCount("element_group");
  for (int g = 0; g < count; ++g) {
    Ref<IHierStorage> groupNode = node->GetChild("element_group", g);
    TElemGroup group;
    group.min = ReadXmlInt(groupNode, "min", 0);
    group.max = ReadXmlInt(groupNode, "max", 1);
    group.replace = ReadXmlBool(groupNode, "replace", false);
    group.unique = ReadXmlBool(groupNode, "unique", false);
    group.order = ReadXmlInt(groupNode, "order", g);
    group.id = ReadXmlInt(groupNode, "id", g);
    group.checkOrder = ReadXmlBool(groupNode, "check_order", false);
    int elements = groupNode->GetChildCount("element");
    for (int e = 0; e < elements; ++e) {
      Ref<IHierStorage> elementNode = groupNode->GetChild("element", e);
      TElement element;
      element.id = ReadXmlInt(elementNode, "id", ++running);
      element.pushWidget = ReadXmlStr(elementNode, "push_widget", "null_widget");
      element.userPush = ReadXmlStr(elementNode, "user_push", "null_widget");
      element.gamePush = ReadXmlStr(elementNode, "game_push", element.userPush);
      element.popWidget = ReadXmlStr(elementNode, "pop_widget", "null_widget");
      element.userPop = ReadXmlStr(elementNode, "user_pop", "null_widget");
      element.gamePop = ReadXmlStr(elementNode, "game_pop", element.userPop);
      // A click yields +id for a push and -id for a pop, and 0 for nothing.
      if (element.id <= 0) {
        WarnAboutNode(elementNode, "id " + std::to_string(element.id) +
                                       " is not positive; the element is dropped");
        continue;
      }
      group.elements.push_back(std::move(element));
    }
    groups_.push_back(std::move(group));
  }
}

void TMiniGameGathering::ReadTasks(const Ref<IHierStorage>& node) {
  tasks_.clear();
  int count = node->GetChildCount("task");
  for (int t = 0; t < count; ++t) {
    Ref<IHierStorage> taskNode = node->GetChild("task", t);
    std::string list = ReadXmlStr(taskNode, "element");
    if (list.empty()) {
      tasks_.push_back(RandomTask(ReadXmlInt(taskNode, "size", 0)));
      continue;
    }
    TiArray task;
    for (const std::string& entry : Split(list, ';')) {
      if (entry.empty()) continue;  // a trailing ";" is no entry
      int32_t id = 0;
      if (!TryTextToInt(entry, id)) {
        WarnAboutNode(taskNode, "element \"" + entry + "\" is no number; left out of the task");
        continue;
      }
      if (!FindElement(id).element) {
        WarnAboutNode(taskNode, "element " + entry + " names no element; left out of the task");
        continue;
      }
      task.push_back(id);
    }
    tasks_.push_back(std::move(task));
  }
}

TMiniGameGathering::TiArray TMiniGameGathering::RandomTask(int32_t size) const {
  TiArray task;
  for (const TElemGroup& group : groups_) {
    // An empty group has nothing to draw.
    if (group.elements.empty()) continue;
    int64_t k = size == 0
                    ? int64_t(group.min) + Random(int32_t(std::clamp<int64_t>(
                                               int64_t(group.max) - group.min + 1, 0, INT32_MAX)))
                    : int64_t(group.min) + 1;
    k = std::clamp<int64_t>(k, 0, kMostRandomPerGroup);
    for (int64_t i = 0; i < k; ++i)
      task.push_back(group.elements[size_t(Random(int32_t(group.elements.size())))].id);
  }
  return task;
}

TMiniGameGathering::TFound TMiniGameGathering::FindElement(int32_t id) const {
  for (size_t g = 0; g < groups_.size(); ++g)
    for (const TElement& element : groups_[g].elements)
      if (element.id == id) return {int(g), &element};
  return {};
}

int32_t TMiniGameGathering::CollectedInGroup(int group) const {
  return int32_t(std::count_if(collection_.begin(), collection_.end(),
                               [&](int32_t id) { return GroupOf(id) == group; }));
}

// ---------------------------------------------------------------------------------------
// Play

bool TMiniGameGathering::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message == input::kLeftButtonDown && playing_ && hovered_)
    ClickWidget(GetHoveredWidgetName());
  return result;
}

void TMiniGameGathering::ClickWidget(const std::string& name) {
  TFound found;
  bool pop = false;
  for (size_t g = 0; g < groups_.size(); ++g)
    for (const TElement& element : groups_[g].elements) {
      if (element.pushWidget == name) found = {int(g), &element}, pop = false;
      if (element.popWidget == name) found = {int(g), &element}, pop = true;
    }
  if (!found.element) {
    if (name == resetWidget_) EmptyCollection();
    return;
  }
  if (pop)
    Pop(found);
  else
    Push(found);
  if (TaskMet()) FinishTask();
}

Ref<IWidget> TMiniGameGathering::ElementWidget(const std::string& factory, const TElement& element,
                                               int32_t size, int32_t groupCount) {
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(NextId()));
  params->SetValue("push_name", Variant(element.pushWidget));
  params->SetValue("pop_name", Variant(element.popWidget));
  params->SetValue("size", Variant::Integer(size));
  params->SetValue("group_count", Variant::Integer(groupCount));
  Ref<IWidget> widget = CreateWidgetFromFactory(factory, params);
  if (!widget) return nullptr;
  // Without a sequence widget the feedback still shows, among the game's own children.
  Ref<IWidgetCollection> into = sequence_ ? sequence_->GetChildren() : nullptr;
  (into ? into : GetChildren())->Add(widget);
  return widget;
}

void TMiniGameGathering::Pop(const TFound& found) {
  auto last = std::find(collection_.rbegin(), collection_.rend(), found.element->id);
  if (last != collection_.rend()) collection_.erase(std::next(last).base());
  if (Ref<IWidget> widget =
          ElementWidget(found.element->userPop, *found.element, int32_t(collection_.size()),
                        CollectedInGroup(found.group)))
    widget->SetPaused(false);
}

void TMiniGameGathering::Push(const TFound& found) {
  const TElemGroup& group = groups_[size_t(found.group)];
  int32_t inGroup = CollectedInGroup(found.group);
  if (inGroup < group.max) {
    collection_.push_back(found.element->id);
    EnqueueWidget(ElementWidget(found.element->userPush, *found.element,
                                int32_t(collection_.size()), CollectedInGroup(found.group)));
    return;
  }
  if (!group.replace) return;
  // The group's element collected last gives way.
  auto old = std::find_if(collection_.rbegin(), collection_.rend(),
                          [&](int32_t id) { return GroupOf(id) == found.group; });
  if (old == collection_.rend()) return;  // a group whose max is 0 or less holds nothing
  TFound replaced = FindElement(*old);
  int32_t size = int32_t(collection_.size());
  EnqueueWidget(ElementWidget(replaced.element->userPop, *replaced.element, size, inGroup));
  EnqueueWidget(ElementWidget(found.element->userPush, *found.element, size, inGroup));
  collection_.erase(std::next(old).base());
  collection_.push_back(found.element->id);
}

void TMiniGameGathering::EmptyCollection() {
  collection_.clear();
  Ref<IWidget> widget = CreateWidgetFromFactory("remove", NewParams());
  if (!widget) return;
  children_->Add(widget);
  EnqueueWidget(widget);
}

void TMiniGameGathering::FinishTask() {
  ++current_;
  Ref<IParamCollection> params = NewParams();
  params->SetValue("current", Variant::Integer(current_));
  params->SetValue("task_left", Variant::Integer(int32_t(tasks_.size()) - current_));
  MakeFeedback("next", params);
  if (current_ == int32_t(tasks_.size())) {
    Win();
    return;
  }
  EmptyCollection();
  ShowTask();
}

void TMiniGameGathering::ShowTask() {
  for (size_t i = 0; i < taskWidgets_.size(); ++i) {
    Ref<IWidget> shown = FindWidget(taskWidgets_[i]);
    Ref<IWidgetCollection> children = shown ? shown->GetChildren() : nullptr;
    if (!children) continue;
    for (int c = 0; c < children->Count(); ++c) children->GetByIndex(c)->SetDead(true);
    children->RemoveDead();
    children->Clear();
    size_t t = size_t(current_) + i;
    if (t >= tasks_.size()) continue;
    const TiArray& task = tasks_[t];
    for (size_t j = 0; j < task.size(); ++j) {
      TFound found = FindElement(task[j]);
      if (!found.element) continue;
      int32_t sameGroup = 0;
      for (size_t k = 0; k <= j; ++k) sameGroup += GroupOf(task[k]) == found.group;
      Ref<IParamCollection> params = NewParams();
      params->SetValue("id", Variant::Integer(NextId()));
      params->SetValue("push_name", Variant(found.element->pushWidget));
      params->SetValue("pop_name", Variant(found.element->popWidget));
      params->SetValue("size", Variant::Integer(int32_t(j)));
      params->SetValue("group_count", Variant::Integer(sameGroup));
      Ref<IWidget> widget = CreateWidgetFromFactory(found.element->gamePush, params);
      if (!widget) continue;
      children->Add(widget);
      EnqueueWidget(widget);
    }
  }
}

// ---------------------------------------------------------------------------------------
// The task test

bool TMiniGameGathering::GroupChecksOrder(int32_t groupId) const {
  // The id names a group by its position; an id that is no position means its own group.
  if (groupId >= 0 && size_t(groupId) < groups_.size()) return groups_[size_t(groupId)].checkOrder;
  for (const TElemGroup& group : groups_)
    if (group.id == groupId) return group.checkOrder;
  return false;
}

TMiniGameGathering::TiArray TMiniGameGathering::GroupRuns(const TiArray& entries) const {
  TiArray runs;
  for (int32_t id : entries) {
    int32_t group = groups_[size_t(GroupOf(id))].id;
    if (runs.empty() || runs.back() != group) runs.push_back(group);
  }
  return runs;
}

TMiniGameGathering::TiArray TMiniGameGathering::EntriesOfGroup(const TiArray& entries,
                                                               int32_t groupId) const {
  TiArray of;
  for (int32_t id : entries)
    if (groups_[size_t(GroupOf(id))].id == groupId) of.push_back(id);
  return of;
}

bool TMiniGameGathering::TaskMet() const {
  // Without a task only the skip ends the game.
  if (size_t(current_) >= tasks_.size()) return false;
  const TiArray& task = tasks_[size_t(current_)];
  if (task.size() != collection_.size()) return false;
  TiArray taskRuns = GroupRuns(task);
  if (checkOrder_ && taskRuns != GroupRuns(collection_)) return false;
  for (int32_t group : taskRuns) {
    TiArray wanted = EntriesOfGroup(task, group);
    TiArray held = EntriesOfGroup(collection_, group);
    if (wanted.size() != held.size()) return false;
    if (!GroupChecksOrder(group)) {
      std::sort(wanted.begin(), wanted.end());
      std::sort(held.begin(), held.end());
    }
    if (wanted != held) return false;
  }
  return true;
}

void TMiniGameGathering::ReleaseOwner() {
  groups_.clear();
  tasks_.clear();
  collection_.clear();
  taskWidgets_.clear();
  sequence_ = nullptr;
  TMiniGameWidget::ReleaseOwner();
}
