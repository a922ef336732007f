#include "minigames/MiniGameSimon.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

const TPropertyTable& TSimonWidget::Properties() {
  using S = TSimonWidget;
  static const TPropertyTable table(TMiniGameWidget::Properties(),
                                    {
                                        Attr("shootout", &S::shootout_).Bool(),
                                        Attr("snowball", &S::snowball_).Bool(true),
                                        Attr("start_task_size", &S::startSize_).Int(),
                                        Attr("increase", &S::increase_).Int(),
                                        Attr("tasks_count", &S::stageCount_).Int(),
                                    });
  return table;
}

void TSimonWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  active_.clear();
  for (const std::string& name : Split(ReadXmlStr(node, "items"), ';'))
    if (!name.empty()) active_.push_back(name);
  locked_.clear();
  if (shootout_)
    for (const std::string& name : Split(ReadXmlStr(node, "locked"), ';'))
      if (!name.empty()) locked_.push_back(name);
  startSize_ = std::clamp(startSize_, 0, kMaxLength);
  increase_ = std::max(increase_, 0);
  full_ = active_;
  stageLists_.clear();
  std::string buffer = ReadXmlStr(node, "index_buffer");
  if (!buffer.empty())
    for (const std::string& list : Split(buffer, ';')) {
      std::vector<int32_t>& positions = stageLists_.emplace_back();
      for (const std::string& name : Split(list, ',')) {
        auto found = std::find(full_.begin(), full_.end(), name);
        // A name that is no item stands for the first item.
        positions.push_back(found == full_.end() ? 0 : int32_t(found - full_.begin()));
      }
    }
  sequence_.clear();
  matched_ = 0;
  SetState(kStart);
}

// ---------------------------------------------------------------------------------------
// States

void TSimonWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (!IsQueueBusy()) NextState();
}

void TSimonWidget::NextState() {
  switch (state_) {
    case kStart:
    case kWrong:
    case kStageDone:
      SetState(kShow);
      break;
    case kShow:
      SetState(kInput);
      break;
    case kInput:
      if (matched_ >= length_) SetState(kStageDone);
      break;
    default:
      break;
  }
}

void TSimonWidget::SetState(uint8_t state) {
  state_ = state;
  switch (state) {
    case kStart:
      length_ = startSize_;
      lastQueuedName_ = "None_Animaion";
      stage_ = 1;
      NewSequence();
      SetState(kShow);
      break;
    case kShow:
      for (int32_t entry : sequence_) {
        Ref<IParamCollection> params = NewParams();
        params->SetValue("id", Variant::Integer(NextId()));
        params->SetValue("element", Variant(entry < int32_t(active_.size()) ? active_[size_t(entry)]
                                                                            : std::string()));
        Chained("show", params);
      }
      break;
    case kInput:
      matched_ = 0;
      break;
    case kWrong:
      NewSequence();
      AtOnce("wrong", NewParams());
      break;
    case kStageDone: {
      if (stage_ >= stageCount_) return SetState(kWon);
      ++stage_;
      if (shootout_) RemoveRandomElement();
      length_ = std::min(SaturatingAdd(length_, increase_), kMaxLength);
      // A stage with its own subset draws from it: the kept sequence belongs to another.
      if (!snowball_ || !stageLists_.empty())
        NewSequence();
      else
        FitSequence();
      Ref<IParamCollection> params = NewParams();
      params->SetValue("stage_num", Variant::Integer(stage_));
      AtOnce("next", params);
      break;
    }
    case kWon:
      Win();
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------
// Sequences

int32_t TSimonWidget::Draw(int32_t previous) const {
  int32_t count = int32_t(active_.size());
  int32_t entry = Random(count);
  if (entry == previous) ++entry;
  if (entry >= count) entry = 0;
  return entry;
}

void TSimonWidget::NewSequence() {
  // A stage past the lists keeps the elements it has.
  if (!stageLists_.empty() && stage_ >= 1 && stage_ <= int32_t(stageLists_.size())) {
    active_.clear();
    for (int32_t position : stageLists_[size_t(stage_ - 1)])
      if (position < int32_t(full_.size())) active_.push_back(full_[size_t(position)]);
  }
  sequence_.clear();
  FitSequence();
}

void TSimonWidget::FitSequence() {
  int32_t count = int32_t(active_.size());
  for (size_t i = 0; i < sequence_.size(); ++i)
    if (sequence_[i] < 0 || sequence_[i] >= count) sequence_[i] = Draw(i ? sequence_[i - 1] : -1);
  sequence_.resize(std::min(sequence_.size(), size_t(length_)));
  while (int32_t(sequence_.size()) < length_)
    sequence_.push_back(Draw(sequence_.empty() ? -1 : sequence_.back()));
}

bool TSimonWidget::IsLocked(const std::string& name) const {
  return std::find(locked_.begin(), locked_.end(), name) != locked_.end();
}

void TSimonWidget::RemoveRandomElement() {
  int32_t size = int32_t(sequence_.size());
  int32_t r = Random(size);
  // Past locked entries to the next free one; with every entry locked none leaves.
  for (int32_t step = 0; step < size; ++step) {
    int32_t at = (r + step) % size;
    int32_t position = sequence_[size_t(at)];
    if (position < 0 || position >= int32_t(active_.size())) continue;
    std::string name = active_[size_t(position)];
    if (IsLocked(name)) continue;
    active_.erase(active_.begin() + position);
    // The kept entries follow the shifted list; those of the element redraw later.
    for (int32_t& entry : sequence_)
      if (entry == position)
        entry = -1;
      else if (entry > position)
        --entry;
    Ref<IParamCollection> params = NewParams();
    params->SetValue("id", Variant::Integer(NextId()));
    params->SetValue("element", Variant(name));
    Chained("remove", params);
    return;
  }
}

std::vector<std::string> TSimonWidget::SequenceNames() const {
  std::vector<std::string> names;
  for (int32_t entry : sequence_)
    names.push_back(entry >= 0 && entry < int32_t(active_.size()) ? active_[size_t(entry)]
                                                                  : std::string());
  return names;
}

// ---------------------------------------------------------------------------------------
// Clicks and feedback

bool TSimonWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message == input::kLeftButtonDown && hovered_ && state_ == kInput)
    ClickElement(hovered_->GetName());
  return result;
}

void TSimonWidget::ClickElement(const std::string& name) {
  // The sequence is complete: its last pick still plays, and nothing is left to match.
  if (state_ != kInput || matched_ >= length_ || matched_ >= int32_t(sequence_.size())) return;
  auto found = std::find(active_.begin(), active_.end(), name);
  int32_t position = found == active_.end() ? -1 : int32_t(found - active_.begin());
  if (position != sequence_[size_t(matched_)]) return SetState(kWrong);
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(NextId()));
  params->SetValue("element", Variant(name));
  params->SetValue("mouse_x", Variant::Integer(mouse_.X));
  params->SetValue("mouse_y", Variant::Integer(mouse_.Y));
  Chained("pick", params);
  ++matched_;
}

bool TSimonWidget::IsQueueBusy() {
  Ref<IWidget> tail = children_->GetByName(lastQueuedName_);
  return tail && !tail->IsDead();
}

Ref<IWidget> TSimonWidget::Chained(const std::string& factory, Ref<IParamCollection> params) {
  Ref<IWidget> widget = CreateWidgetFromFactory(factory, params);
  if (!widget) return nullptr;
  children_->Add(widget);
  // A tail that has ended this frame would never start the new widget.
  Ref<IWidget> tail = children_->GetByName(lastQueuedName_);
  if (tail && !tail->IsDead())
    tail->SetProperty("next", Variant(widget->GetName()));
  else
    widget->SetPaused(false);
  lastQueuedName_ = widget->GetName();
  return widget;
}

Ref<IWidget> TSimonWidget::AtOnce(const std::string& factory, Ref<IParamCollection> params) {
  Ref<IWidget> widget = CreateWidgetFromFactory(factory, params);
  if (!widget) return nullptr;
  children_->Add(widget);
  widget->SetPaused(false);
  lastQueuedName_ = widget->GetName();
  return widget;
}
