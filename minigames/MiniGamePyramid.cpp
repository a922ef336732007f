#include "minigames/MiniGamePyramid.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/Params.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "minigames/MiniGame.h"
#include "platform/InputConstants.h"

namespace {

double NumberOf(IWidget* widget, const char* name) {
  return widget ? widget->GetProperty(name).ToDouble(0) : 0;
}

}  // namespace

const TPropertyTable& TPyramidWidget::Properties() {
  using P = TPyramidWidget;
  static const TPropertyTable table(TVisualGroupWidget::Properties(),
                                    {
                                        Attr("dubl", &P::copies_).Int(2),
                                        Prop<P>("items", [](P& p) { return p.ItemsText(); }),
                                        Prop<P>("stages", [](P& p) { return p.StagesText(); }),
                                    });
  return table;
}

void TPyramidWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TVisualGroupWidget::LoadFromXml(node);
  if (!node) return;
  if (copies_ < 0) copies_ = 0;
  if (copies_ > kMaxCopies) {
    WarnAboutNode(node, "\"dubl\" " + std::to_string(copies_) + " is more than " +
                            std::to_string(kMaxCopies) + " copies; " + std::to_string(kMaxCopies) +
                            " are used");
    copies_ = kMaxCopies;
  }
  ParseItems(ReadXmlStr(node, "items"));
  ParseStages(ReadXmlStr(node, "stages"));
  if (int32_t(stageSizes_.size()) > kMaxStages) {
    WarnAboutNode(node, std::to_string(stageSizes_.size()) + " stages are more than " +
                            std::to_string(kMaxStages) + "; the first are played");
    stageSizes_.resize(size_t(kMaxStages));
  }
  int64_t pooled =
      std::count_if(items_.begin(), items_.end(), [](const TItem& item) { return item.level > 0; });
  if (pooled * copies_ > kMaxPool)
    WarnAboutNode(node, "the pool of " + std::to_string(pooled) + " items x " +
                            std::to_string(copies_) + " copies holds more than " +
                            std::to_string(kMaxPool) + "; the first are used");
  currentStage_ = 0;
  stack_.clear();
  stageTasks_.clear();
  for (int32_t s = 0; s < int32_t(stageSizes_.size()); ++s) stageTasks_.push_back(GenerateTask(s));
  // The sizes as drawn: a raised stage must still fit on the stack.
  largestSize_ = 0;
  for (int32_t size : stageSizes_) largestSize_ = std::max(largestSize_, size);
  ShowTask();
}

void TPyramidWidget::ParseItems(const std::string& text) {
  items_.clear();
  if (text.empty()) return;
  int32_t level = 0;
  for (const std::string& levelText : TMiniGameWidget::Split(text, ';')) {
    for (const std::string& name : TMiniGameWidget::Split(levelText, '-'))
      if (!name.empty()) items_.push_back({name, level});
    ++level;
  }
}

void TPyramidWidget::ParseStages(const std::string& text) {
  stageSizes_.clear();
  if (text.empty()) return;
  for (const std::string& entry : TMiniGameWidget::Split(text, ';')) {
    if (entry.empty()) continue;
    int32_t size = 0;
    TryTextToInt(entry, size);
    stageSizes_.push_back(std::max(size, 0));
  }
}

std::string TPyramidWidget::ItemsText() const {
  std::string text;
  int32_t level = 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i && items_[i].level == level) text += '-';
    // Levels without items keep their place.
    for (; level < items_[i].level; ++level) text += ';';
    text += items_[i].name;
  }
  return text;
}

std::string TPyramidWidget::StagesText() const {
  std::string text;
  for (int32_t size : stageSizes_) text += std::to_string(size) + ";";
  return text;
}

bool TPyramidWidget::IsItem(const std::string& name) const {
  return std::any_of(items_.begin(), items_.end(),
                     [&](const TItem& item) { return item.name == name; });
}

std::vector<std::string> TPyramidWidget::GenerateTask(int32_t stage) {
  int32_t deepest = 0;
  int32_t apexCount = 0;
  for (const TItem& item : items_) {
    deepest = std::max(deepest, item.level);
    if (item.level == 0) ++apexCount;
  }
  // The pool: levels 1 .. deepest in order, each item's copies in turn.
  std::vector<const TItem*> pool;
  for (int32_t level = 1; level <= deepest; ++level)
    for (const TItem& item : items_)
      if (item.level == level)
        for (int32_t c = 0; c < copies_ && int32_t(pool.size()) < kMaxPool; ++c)
          pool.push_back(&item);
  int32_t poolSize = int32_t(pool.size());
  int32_t& size = stageSizes_[size_t(stage)];
  size = std::max(size, deepest + 1);
  // More places than the pool and the apex can fill could never be drawn.
  size = std::min(size, poolSize + 1);
  std::vector<int32_t> available(static_cast<size_t>(poolSize));  // pool positions, in order
  for (int32_t i = 0; i < poolSize; ++i) available[size_t(i)] = i;
  std::vector<int32_t> left(size_t(deepest + 1), 0);  // available entries per level
  for (const TItem* item : pool) ++left[size_t(item->level)];
  std::vector<bool> kept(size_t(poolSize), true);
  for (int32_t removals = poolSize - size + 1; removals > 0; --removals) {
    // The last entry of a level is protected: every level keeps one.
    for (int32_t level = 1; level <= deepest; ++level) {
      if (left[size_t(level)] != 1) continue;
      auto last = std::find_if(available.begin(), available.end(),
                               [&](int32_t i) { return pool[size_t(i)]->level == level; });
      available.erase(last);
      left[size_t(level)] = 0;
    }
    if (available.empty()) break;
    size_t k = size_t(Random(int32_t(available.size())));
    int32_t removed = available[k];
    available.erase(available.begin() + std::ptrdiff_t(k));
    kept[size_t(removed)] = false;
    --left[size_t(pool[size_t(removed)]->level)];
  }
  int32_t top = std::min(size - 1, poolSize);
  std::vector<std::string> task(size_t(std::max(top + 1, 0)));
  int32_t position = top - 1;
  for (int32_t i = 0; i < poolSize && position >= 0; ++i)
    if (kept[size_t(i)]) task[size_t(position--)] = pool[size_t(i)]->name;
  // Without an apex item the column has no top.
  if (apexCount > 0)
    task[size_t(top)] = items_[size_t(Random(apexCount))].name;
  else
    task.pop_back();
  for (size_t i = 0; i < task.size(); ++i) {
    task[i] += '_';
    task[i] += std::to_string(i);
    task[i] += '_';
    task[i] += std::to_string(stage);
  }
  return task;
}

std::vector<std::string> TPyramidWidget::TaskItems(int32_t stage) const {
  std::vector<std::string> names;
  if (stage < 0 || stage >= StageCount()) return names;
  for (const std::string& entry : stageTasks_[size_t(stage)]) names.push_back(ItemOf(entry));
  return names;
}

std::string TPyramidWidget::ItemOf(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
  return last.substr(0, last.find('_'));
}

Ref<IWidget> TPyramidWidget::MakeItemWidget(IWidget* group, const std::string& name,
                                            const std::string& item, IWidget* previous,
                                            const std::string& previousItem, int32_t z) {
  Ref<IWidget> menu = FindWidget("menu/" + item);
  double left = NumberOf(menu.get(), "dx");
  double top = NumberOf(menu.get(), "dy");
  if (previous) {
    Ref<IWidget> previousMenu = FindWidget("menu/" + previousItem);
    left += NumberOf(previous, "left") + NumberOf(previousMenu.get(), "px");
    top += NumberOf(previous, "top") + NumberOf(previousMenu.get(), "py");
  } else {
    left += NumberOf(group, "px");
    top += NumberOf(group, "py");
  }
  Ref<IParamCollection> params = TMiniGameWidget::NewParams();
  params->SetValue("name", Variant(name));
  params->SetValue("pleft", Variant::Integer(RoundHalfEven(left)));
  params->SetValue("ptop", Variant::Integer(RoundHalfEven(top)));
  params->SetValue("z", Variant::Integer(z));
  for (const char* field : {"resourcename", "resourcetop", "width", "height"})
    params->SetValue(field, menu ? menu->GetProperty(field) : Variant(std::string()));
  Ref<IWidget> widget = CreateWidgetFromFactory("pyramiditem", params);
  if (widget && group)
    if (Ref<IWidgetCollection> children = group->GetChildren()) children->Add(widget);
  return widget;
}

void TPyramidWidget::ShowTask() {
  Ref<IWidget> tasks = FindWidget("tasks");
  int32_t slots = tasks ? tasks->GetProperty("tasks").ToInt(0) : 0;
  for (int32_t k = 0; k < slots; ++k) {
    Ref<IWidget> slot = FindWidget("tasks/task" + std::to_string(k));
    if (!slot) continue;
    int32_t stage = currentStage_ + k;
    if (stage >= StageCount()) {
      slot->SetVisible(false);
      slot->SetNeedsRedraw(true);
      continue;
    }
    Ref<IWidget> inner = slot->FindWidget("inner");
    Ref<IWidgetCollection> children = inner ? inner->GetChildren() : nullptr;
    if (children) {
      for (int i = 0; i < children->Count(); ++i) children->GetByIndex(i)->SetDead(true);
      children->RemoveDead();
    }
    const std::vector<std::string>& task = stageTasks_[size_t(stage)];
    Ref<IWidget> previous;
    for (size_t i = 0; i < task.size() && inner; ++i) {
      Ref<IWidget> made =
          MakeItemWidget(inner.get(), task[i], ItemOf(task[i]), previous.get(),
                         i ? ItemOf(task[i - 1]) : std::string(), int32_t(stack_.size()));
      previous = made;
    }
    slot->SetNeedsRedraw(true);
  }
}

Ref<IWidget> TPyramidWidget::WidgetAtPos(const TPoint& point) {
  // Hidden, or no longer taking the mouse: the clicks go to what lies beneath.
  if (!IsVisible() || !IsMouseStop()) {
    hovered_ = nullptr;
    return nullptr;
  }
  hovered_ = TVisualGroupWidget::WidgetAtPos(point);
  return Ref<IWidget>(this);
}

bool TPyramidWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TVisualGroupWidget::HandleMouse(message, point, keys);
  if (message != input::kLeftButtonDown || !hovered_) return result;
  std::string name = hovered_->GetName();
  if (IsItem(name))
    StackItem(name);
  else if (!stack_.empty() && "pyramid/" + name == stack_.back())
    PopItem();
  else if (name == "Trash")
    ClearStack();
  return result;
}

void TPyramidWidget::StackItem(const std::string& item) {
  if (int32_t(stack_.size()) >= largestSize_) return;
  Ref<IWidget> previous = stack_.empty() ? nullptr : FindWidget(stack_.back());
  if (previous) previous->SetMouseStop(false);
  int32_t n = int32_t(stack_.size()) + 1;
  std::string name = item + "_" + std::to_string(n);
  std::string previousItem = stack_.empty() ? std::string() : ItemOf(stack_.back());
  stack_.push_back("pyramid/" + name);
  Ref<IWidget> group = FindWidget("pyramid");
  if (group)
    MakeItemWidget(group.get(), name, item, n == 1 ? nullptr : previous.get(), previousItem, n);
  if (currentStage_ < StageCount() && StackMatchesTask()) {
    ++currentStage_;
    ClearStack();
    ShowTask();
  }
  if (currentStage_ == StageCount()) {
    if (Ref<IWidget> win = CreateWidgetFromFactory("win", TMiniGameWidget::NewParams()))
      children_->Add(win);
    SetMouseStop(false);
  }
}

bool TPyramidWidget::StackMatchesTask() const {
  const std::vector<std::string>& task = stageTasks_[size_t(currentStage_)];
  if (task.size() != stack_.size()) return false;
  for (size_t i = 0; i < task.size(); ++i)
    if (ItemOf(task[i]) != ItemOf(stack_[i])) return false;
  return true;
}

void TPyramidWidget::PopItem() {
  if (stack_.empty()) return;
  if (Ref<IWidget> top = FindWidget(stack_.back())) {
    top->SetDead(true);
    if (Ref<IWidget> group = FindWidget("pyramid"))
      if (Ref<IWidgetCollection> children = group->GetChildren()) children->RemoveDead();
  }
  stack_.pop_back();
  if (!stack_.empty())
    if (Ref<IWidget> below = FindWidget(stack_.back())) below->SetMouseStop(true);
}

void TPyramidWidget::ClearStack() {
  while (!stack_.empty()) PopItem();
}
