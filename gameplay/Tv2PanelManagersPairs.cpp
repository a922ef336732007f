// Panel managers of one row with variable gaps: the found pairs of identical objects.

#include <string>

#include "foundation/CheckedMath.h"
#include "foundation/Params.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2PanelManagers.h"

namespace {

constexpr int32_t kIdenticalInterval = 15;

bool InList(const std::string& list, const std::string& name) {
  for (const std::string& entry : SplitString(list, ';'))
    if (entry == name) return true;
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TVariateIntervalsPanelManager

void TVariateIntervalsPanelManager::AddItem(const Ref<ISceneObjectDef>& object) {
  if (!object) return;
  const std::string name = object->GetName();
  for (int32_t i = 0; i < count_; ++i) {
    TPanelItem& item = items_[size_t(i)];
    if (item.object && item.object->GetName() == name) {
      item.pairMember = object;
      return;
    }
  }
  KeepSpareRecord();
  Ref<IWidget> widget = AddObject(object, left_, top_);
  if (!widget && IndexOf(object) < count_) return;  // counted again
  items_[size_t(count_)].widget = widget;
  TZoomItemsPanelManager::AddItem(object);
  fillWidth_ = SaturateInt32(int64_t(fillWidth_) + nextPosition_);
  nextPosition_ = 0;
  if (int64_t(fillWidth_) - left_ > extent_) {
    // One item wider than the extent has no gap to narrow.
    if (count_ > 1)
      interval_ = SaturateInt32(interval_ - DivSafe64(int64_t(fillWidth_) - extent_, count_ - 1));
    fillWidth_ = extent_;
  }
}

void TVariateIntervalsPanelManager::MarkItemFound(const Ref<ISceneObjectDef>& object) {
  const Ref<IWidget>& widget = ItemOf(object).widget;
  if (!widget || fillWidth_ <= left_ || widget->IsVisible()) return;
  widget->SetAnchorLeft(double(nextPosition_) + left_);
  widget->SetVisible(true);
  nextPosition_ = SaturateInt32(int64_t(nextPosition_) + widget->GetWidth() + interval_);
}

void TVariateIntervalsPanelManager::ScheduleItem(const Ref<ISceneObjectDef>& object, int32_t& delay,
                                                 double& x, double& y) {
  int32_t i = object ? IndexOf(object) : count_;
  if (i >= count_ || !panel_) return;
  TPanelItem& item = items_[size_t(i)];
  item.dueTime = SaturateInt32(int64_t(panel_->GetProperty("currenttime").ToInt()) + delay);
  if (!item.widget) return;
  TPoint offset = PanelScreenOffset();
  int64_t before = 0;
  for (int32_t j = 0; j < count_; ++j) {
    const TPanelItem& other = items_[size_t(j)];
    if (j != i && other.widget && other.dueTime >= 0)
      before += int64_t(other.widget->GetWidth()) + interval_;
  }
  if (fillWidth_ < extent_) {
    // The width the items leave spreads over the gaps.
    int32_t extra = RoundHalfEven(double(int64_t(extent_) - fillWidth_) / (int64_t(count_) + 1));
    interval_ = SaturateInt32(int64_t(interval_) + extra);
    left_ = SaturateInt32(int64_t(left_) + extra);
    fillWidth_ = extent_;
  }
  x = double(offset.X) + double(left_) + double(before);
  y = item.widget->GetTop() + offset.Y;
}

// ---------------------------------------------------------------------------------------
// TFindIdenticalPanelManager

void TFindIdenticalPanelManager::Bind(IGameManagersOwner* owner, int32_t capacity) {
  TVariateIntervalsPanelManager::Bind(owner, capacity);
  foundList_.clear();
  fillWidth_ = 0;
  createFactory_ = "panel_item_place_only_create";
  moveFactory_ = "panel_item_move";
  bool read = !panel_ || ReadLayoutKeys({{"identical_items_interval", &interval_},
                                         {"identical_left_coord", &left_},
                                         {"identical_top_coord", &top_},
                                         {"identical_all_items_max_width", &extent_},
                                         {"identical_max_height", &maxHeight_},
                                         {"identical_max_width", &maxWidth_}});
  if (!read) return;
  addType_ = 0;
  fillWidth_ = left_;
}

void TFindIdenticalPanelManager::AddItem(const Ref<ISceneObjectDef>& object) {
  interval_ = kIdenticalInterval;
  TVariateIntervalsPanelManager::AddItem(object);
}

void TFindIdenticalPanelManager::AnimateItem(const Ref<ISceneObjectDef>& object,
                                             const Ref<IParamCollection>& params) {
  TVariateIntervalsPanelManager::AnimateItem(object, params);
  const Ref<IWidget>& widget = ItemOf(object).widget;
  if (!widget) return;
  // Found pairs line up from the left in the order they were found.
  int64_t left = 0;
  for (int32_t i = 0; i < count_; ++i) {
    const Ref<IWidget>& other = items_[size_t(i)].widget;
    if (other && InList(foundList_, other->GetName()))
      left += int64_t(other->GetWidth()) + kIdenticalInterval;
  }
  widget->SetAnchorLeft(double(left));
  widget->SetVisible(false);
  foundList_ += ";" + widget->GetName();
  if (params)
    params->SetValue(
        "endposx", Variant(double(left + PanelScreenOffset().X) - double(widget->GetWidth() / 2)));
}
