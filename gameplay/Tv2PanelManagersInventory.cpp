// The find-places panel manager: a scrolling inventory of objects each to be put into
// its places, with a counter of the places still open and a caption under the pointer.

#include <algorithm>
#include <cmath>
#include <string>

#include "foundation/CheckedMath.h"
#include "foundation/Params.h"
#include "gameplay/Tv2PanelManagers.h"

namespace {

constexpr const char* kLeftButton = "../../button_inventory_scroll_left";
constexpr const char* kRightButton = "../../button_inventory_scroll_right";
// An item fits in view while the row stays this far inside the extent.
constexpr int32_t kFitMargin = 50;
constexpr int32_t kNoBaseTop = -2147483647 - 1;

void SetVisible(const Ref<IWidget>& widget, bool visible) {
  if (widget) widget->SetVisible(visible);
}

}  // namespace

void TFindPlacesPanelManager::Bind(IGameManagersOwner* owner, int32_t capacity) {
  TOneRowOfVarWidthItemsPanelManager::Bind(owner, capacity);
  owner_ = nullptr;
  scrollOffset_ = 0;
  lastHovered_.clear();
  foundNames_.clear();
  int32_t addType = 0;
  bool read = ReadLayoutKeys({{"disposable_items_interval", &interval_},
                              {"disposable_all_items_max_width", &extent_},
                              {"disposable_max_height", &maxHeight_},
                              {"disposable_max_width", &maxWidth_},
                              {"disposable_items_add_type", &addType}});
  if (read) addType_ = uint8_t(addType);
  if (!read || !ReadLayoutKey("disposable_items_move_speed", moveSpeed_)) return;
  createFactory_ = "panel_item_disposable_create";
  moveFactory_ = "panel_item_move";
  owner_ = owner;
  itemsMouseStop_ = true;
  secondFlag_ = true;
}

void TFindPlacesPanelManager::Unbind() {
  owner_ = nullptr;
  TOneRowOfVarWidthItemsPanelManager::Unbind();
}

void TFindPlacesPanelManager::AnimateItem(const Ref<ISceneObjectDef>& object,
                                          const Ref<IParamCollection>& params) {
  TOneRowOfVarWidthItemsPanelManager::AnimateItem(object, params);
  const Ref<IWidget>& widget = ItemOf(object).widget;
  if (!widget || !params) return;
  // The object goes back to the end of the row in view.
  int64_t left = int64_t(interval_) + RowWidth(scrollOffset_, count_ - 1);
  widget->SetAnchorLeft(double(left));
  TPoint offset = PanelScreenOffset();
  double endX = left + widget->GetWidth() > extent_
                    ? double(extent_) + offset.X
                    : double(left) + widget->GetWidth() / 2.0 + offset.X;
  params->SetValue("endposx", Variant(endX));
  params->SetValue("endposy", Variant(widget->GetTop() + widget->GetHeight() / 2.0 + offset.Y));
  widget->SetVisible(false);
  double zoom = std::fabs(widget->GetProperty("zoomx").ToDouble(1));
  params->SetValue("endzoomx", Variant(zoom));
  params->SetValue("endzoomy", Variant(zoom));
  params->SetValue("endangle", Variant(0));
}

void TFindPlacesPanelManager::MarkItemFound(const Ref<ISceneObjectDef>& object) {
  if (!object) return;
  int32_t fitting = 0;
  int64_t width = 0;
  for (; fitting < count_; ++fitting) {
    int64_t next = RowWidth(fitting, fitting + 1);
    if (width + next >= int64_t(extent_) - kFitMargin) break;
    width += next;
  }
  if (fitting == count_ && scrollOffset_ > 0) ScrollLeft(nullptr);
  foundNames_ += object->GetName() + ";";
}

void TFindPlacesPanelManager::DecrementCount(const Ref<IWidget>& widget) {
  TOneRowOfVarWidthItemsPanelManager::DecrementCount(widget);
  AfterChange();
  SetScrollButtons(RowWidth(scrollOffset_, count_));
}

void TFindPlacesPanelManager::ShowButton(const char* path, bool visible) {
  if (panel_) SetVisible(panel_->FindWidget(path), visible);
}

void TFindPlacesPanelManager::SetScrollButtons(int64_t widthFromOffset) {
  if (count_ == 0) {
    // An empty inventory has nothing to scroll to either side.
    ShowButton(kLeftButton, false);
    ShowButton(kRightButton, false);
    return;
  }
  ShowButton(kRightButton, int64_t(extent_) - widthFromOffset < 1);
  if (scrollOffset_ > 0) ShowButton(kLeftButton, true);
}

void TFindPlacesPanelManager::LayOutScrolled(const Ref<IWidget>& leaveOut) {
  if (!panel_) return;
  const std::string skipped = leaveOut ? leaveOut->GetName() : std::string();
  auto place = [&](const Ref<IWidget>& widget, int64_t x) {
    const std::string name = widget->GetName();
    if (Ref<IWidget> leftover = panel_->FindWidget("panel_item_scroll_" + name)) {
      leftover->SetDead(true);
      if (Ref<IWidgetCollection> children = panel_->GetChildren()) children->RemoveDead();
    }
    Ref<IParamCollection> params = NewParams();
    params->SetValue("name", Variant(name));
    params->SetValue("anchor_left", Variant(SaturateInt32(x)));
    CreatePanelWidget("panel_item_scroll", params);
    // The scroll widget moves the item; whether it will be in view is known now.
    double old = widget->GetAnchorLeft();
    widget->SetAnchorLeft(double(SaturateInt32(x)));
    UpdateItemVisibility(widget, 0);
    widget->SetAnchorLeft(old);
  };
  auto step = [&](const Ref<IWidget>& widget) { return int64_t(widget->GetWidth()) + interval_; };
  int64_t x = 0;
  for (int32_t i = std::min(scrollOffset_, count_) - 1; i >= 0; --i) {
    Ref<IWidget> widget = items_[size_t(i)].widget;
    if (!widget || (!skipped.empty() && widget->GetName() == skipped)) continue;
    x -= step(widget);
    place(widget, x);
  }
  x = interval_;
  for (int32_t i = std::max(scrollOffset_, 0); i < count_; ++i) {
    Ref<IWidget> widget = items_[size_t(i)].widget;
    if (!widget || (!skipped.empty() && widget->GetName() == skipped)) continue;
    place(widget, x);
    x += step(widget);
  }
  SetScrollButtons(RowWidth(scrollOffset_, count_));
}

void TFindPlacesPanelManager::ResetScroll() {
  scrollOffset_ = 0;
  LayOutScrolled(nullptr);
  ShowButton(kLeftButton, false);
  ShowButton(kRightButton, false);
  int64_t widths = 0;
  for (int32_t i = 0; i < count_; ++i)
    if (const Ref<IWidget>& widget = items_[size_t(i)].widget) widths += widget->GetWidth();
  if (widths > extent_) ShowButton(kRightButton, true);
}

void TFindPlacesPanelManager::ScrollLeft(const Ref<IWidget>& leaveOut) {
  if (scrollOffset_ > 0) --scrollOffset_;
  if (scrollOffset_ == 0) ShowButton(kLeftButton, false);
  LayOutScrolled(leaveOut);
  PlayPanelSound("sound_panel_items_move");
}

void TFindPlacesPanelManager::ScrollRight(const Ref<IWidget>& leaveOut) {
  if (count_ >= 1) {
    int64_t sum = 0;
    for (int32_t i = std::max(scrollOffset_, 0); i < count_ && sum <= extent_; ++i)
      sum += RowWidth(i, i + 1);
    int64_t overflow = sum - extent_;
    if (overflow < 1) ShowButton(kRightButton, false);
    // Items of no width (or less) would never use the overflow up: the last item ends it.
    while (overflow > 0 && scrollOffset_ < count_ - 1) {
      overflow -= RowWidth(scrollOffset_, scrollOffset_ + 1);
      ++scrollOffset_;
      ShowButton(kLeftButton, true);
    }
  }
  LayOutScrolled(leaveOut);
  PlayPanelSound("sound_panel_items_move");
}

void TFindPlacesPanelManager::ShowItemLabel(const TPoint& point) {
  if (!panel_) return;
  TPoint shifted{SaturateInt32(int64_t(point.X) + panel_->GetProperty("shiftleft").ToInt(0)),
                 SaturateInt32(int64_t(point.Y) + panel_->GetProperty("shifttop").ToInt(0))};
  TPoint local = panel_->ScreenToLocalPoint(shifted);
  bool mouseStop = panel_->IsMouseStop();
  panel_->SetMouseStop(true);
  Ref<IWidget> hit = panel_->WidgetAtPos(local);
  panel_->SetMouseStop(mouseStop);
  // The item is the panel's own child that holds the widget under the point.
  IWidget* panelWidget = panel_.get();
  auto ownerOf = [](const Ref<IWidget>& widget) {
    return InterfaceCast<IWidget>(widget->GetOwner());
  };
  while (hit && hit.get() != panelWidget && ownerOf(hit) && ownerOf(hit) != panelWidget)
    hit = Ref<IWidget>(ownerOf(hit));
  if (!hit || hit.get() == panelWidget || ownerOf(hit) != panelWidget) {
    panel_->RemoveItemLabel();
    // Forgotten with its caption: the pointer back on the same item shows it again.
    lastHovered_.clear();
    return;
  }
  std::string name = hit->GetName();
  if (name == lastHovered_) return;
  lastHovered_ = name;
  Ref<ISceneObjectDef> object = GetItemObjectByWidget(hit, false);
  std::string key = object ? object->GetCaptionText() : std::string();
  if (key.empty() || key == "unknown_item") return;
  Ref<IParamCollection> params = NewParams();
  params->SetValue("x", Variant(hit->GetAnchorLeft() + hit->GetProperty("width").ToDouble() / 2));
  params->SetValue("y", Variant(0));
  params->SetValue("text", Variant(key));
  panel_->LayoutItemLabels("item_name_label", params);
}

void TFindPlacesPanelManager::UpdateItemCounter(int32_t index) {
  if (index < 0 || index >= count_) return;
  const TPanelItem& item = items_[size_t(index)];
  const Ref<IWidget>& widget = item.widget;
  if (!widget) return;
  Ref<IWidget> text = widget->FindWidget("count_text");
  if (text) {
    text->SetVisible(item.count > 1);
    text->SetProperty("text", Variant(std::to_string(item.count)));
    if (counterBaseTop_ == kNoBaseTop) counterBaseTop_ = text->GetAnchorTop();
  }
  Ref<IWidget> bar = widget->FindWidget("count_bar");
  if (!bar) return;
  nextPosition_ = SaturateInt32(int64_t(nextPosition_) - widget->GetWidth());
  bar->SetVisible(item.count > 1);
  if (item.count == 2) {
    double rise = widget->GetAnchorTop() - top_;
    if (text && text->GetAnchorTop() == counterBaseTop_ && rise != 0) {
      text->SetAnchorTop(text->GetAnchorTop() - rise);
      bar->SetAnchorTop(bar->GetAnchorTop() - rise);
    }
    Ref<IWidget> inner = widget->FindWidget("inner_widget");
    if (inner && inner->GetAnchorLeft() == 0 && inner->GetWidth() < bar->GetWidth()) {
      // The bar is wider than the picture: the picture moves right and the row with it.
      inner->SetAnchorLeft(double(bar->GetWidth() - inner->GetWidth()));
      int64_t x = int64_t(RoundHalfEven(widget->GetAnchorLeft())) + widget->GetWidth();
      for (int32_t j = index + 1; j < count_; ++j) {
        const Ref<IWidget>& later = items_[size_t(j)].widget;
        if (!later) continue;
        later->SetAnchorLeft(double(SaturateInt32(x)));
        x += int64_t(later->GetWidth()) + interval_;
      }
    }
  }
  nextPosition_ = SaturateInt32(int64_t(nextPosition_) + widget->GetWidth());
}

int32_t TFindPlacesPanelManager::OpenPlaces(const Ref<ISceneObjectDef>& object,
                                            const std::string& sequence) {
  Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
  if (!locations || !owner_) return 0;
  const std::string name = object->GetName();
  int32_t open = 0;
  for (int i = 0; i < locations->Count(); ++i) {
    Ref<ISceneObjectLocation> location = locations->GetItem(Variant(i));
    if (!location) continue;
    Ref<IWidget> group = owner_->GetApproach(location->GetApproachName());
    if (!group) group = owner_->GetWidgetGroup(gkObjects);
    const std::string place = name + "_" + location->GetName();
    if (!group || !group->FindWidget(place)) continue;
    if (sequence.find(name + "/" + location->GetName() + ";") == std::string::npos) ++open;
  }
  return open;
}

void TFindPlacesPanelManager::AfterChange() {
  if (!owner_) return;
  Ref<IUGDScene> scene = owner_->GetScene();
  const std::string sequence =
      scene ? scene->GetParamValueDef("names_activate_sequence", Variant("")).ToString() : "";
  Ref<IWidget> carried = owner_->GetCarriedItem();
  Ref<ISceneObjectDef> current = carried ? owner_->GetCurrentObject() : nullptr;
  for (int32_t i = 0; i < count_; ++i) {
    const TPanelItem& item = items_[size_t(i)];
    if (!item.widget || !item.object) continue;
    int32_t open = item.object->GetLocationsAllEnabled() ? OpenPlaces(item.object, sequence) : 0;
    Ref<IWidget> bar = item.widget->FindWidget("count_bar");
    Ref<IWidget> text = item.widget->FindWidget("count_text");
    SetVisible(bar, open >= 2);
    SetVisible(text, open >= 2);
    if (text && open >= 2) text->SetProperty("text", Variant(std::to_string(open)));
    if (current && current->GetName() == item.object->GetName()) {
      SetVisible(carried->FindWidget("inner/count_bar"), true);
      if (Ref<IWidget> carriedText = carried->FindWidget("inner/count_text"))
        carriedText->SetProperty("text", Variant(std::to_string(open)));
    }
  }
}
