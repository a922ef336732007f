// Panel manager framework: the item records, finds, the per-frame hide step and the
// intermediate layouts the kinds are built from.

#include "gameplay/Tv2PanelManagers.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "foundation/CheckedMath.h"
#include "foundation/GeneralClasses.h"
#include "foundation/Params.h"
#include "foundation/Random.h"
#include "foundation/Warnings.h"

namespace {

constexpr int32_t kDefaultCapacity = 20;
constexpr int32_t kHideTime = 200;
constexpr int32_t kNoBaseTop = -2147483647 - 1;

double RealProperty(const Ref<IWidget>& widget, const std::string& name, double fallback = 0) {
  return widget ? widget->GetProperty(name).ToDouble(fallback) : fallback;
}

}  // namespace

const TPanelItem TAbstractPanelManager::kNoItem{};

// ---------------------------------------------------------------------------------------
// Records

void TAbstractPanelManager::Bind(IGameManagersOwner* owner, int32_t capacity) {
  panel_ = owner ? owner->GetPanelManager() : nullptr;
  items_.assign(size_t(capacity < 0 ? kDefaultCapacity : capacity), TPanelItem{});
  count_ = 0;
  checkBusy_ = pending_ = itemsMouseStop_ = secondFlag_ = moveSoundDue_ = false;
  createFactory_.clear();
  moveFactory_.clear();
  hideFactory_.clear();
  left_ = top_ = nextPosition_ = extent_ = interval_ = 0;
  addType_ = 0;
  counterBaseTop_ = kNoBaseTop;
}

void TAbstractPanelManager::Unbind() {
  for (int32_t i = 0; i < count_; ++i)
    if (items_[size_t(i)].widget) items_[size_t(i)].widget->SetDead(true);
  if (panel_ && panel_->GetChildren()) panel_->GetChildren()->RemoveDead();
  items_.clear();
  count_ = 0;
  panel_ = nullptr;
}

void TAbstractPanelManager::SetCapacity(int32_t capacity) {
  TPanelItem zeroed;
  zeroed.dueTime = 0;
  items_.resize(size_t(std::max(capacity, count_ + 1)), zeroed);
}

void TAbstractPanelManager::KeepSpareRecord() {
  if (count_ >= int32_t(items_.size()) - 1) items_.resize(size_t(count_) + 3, TPanelItem{});
}

int32_t TAbstractPanelManager::IndexOf(const Ref<ISceneObjectDef>& object) {
  for (int32_t i = 0; i < count_; ++i) {
    const TPanelItem& item = items_[size_t(i)];
    if (item.object.get() == object.get() || item.pairMember.get() == object.get()) return i;
  }
  return count_;
}

int32_t TAbstractPanelManager::IndexOfWidget(const Ref<IWidget>& widget) const {
  if (!widget) return count_;
  for (int32_t i = 0; i < count_; ++i)
    if (items_[size_t(i)].widget.get() == widget.get()) return i;
  return count_;
}

const TPanelItem& TAbstractPanelManager::ItemOf(const Ref<ISceneObjectDef>& object) {
  if (!object) return kNoItem;
  int32_t i = IndexOf(object);
  return i < count_ ? items_[size_t(i)] : kNoItem;
}

Ref<IWidget> TAbstractPanelManager::AddObject(const Ref<ISceneObjectDef>& object, int32_t left,
                                              int32_t top) {
  if (!object || !panel_) return nullptr;
  int32_t i = IndexOf(object);
  if (i < count_) {
    if (!object->GetLocationsAllEnabled()) {
      ++items_[size_t(i)].count;
      UpdateItemCounter(i);
    }
    return nullptr;
  }
  return panel_->CreateItemWidget(object->GetName(), object->GetResourceName(), createFactory_,
                                  left, top, object->GetWidth(), object->GetHeight());
}

void TAbstractPanelManager::AddItem(const Ref<ISceneObjectDef>& object) {
  KeepSpareRecord();
  TPanelItem& item = items_[size_t(count_)];
  item.count = 1;
  item.shown = extent_ >= nextPosition_;
  if (item.widget) {
    if (item.widget->IsVisible()) item.widget->SetVisible(item.shown);
    item.widget->SetMouseStop(itemsMouseStop_);
  }
  item.object = object;
  ++count_;
  KeepSpareRecord();
  AfterChange();
}

// ---------------------------------------------------------------------------------------
// Finds and the hide step

bool TAbstractPanelManager::ObjectFound(const Ref<ISceneObjectDef>& object) {
  if (!object) return false;
  int32_t i = IndexOf(object);
  if (i >= count_) return false;
  TPanelItem& item = items_[size_t(i)];
  if (--item.count >= 1) {
    UpdateItemCounter(i);
    return false;
  }
  pending_ = true;
  item.found = true;
  if (!checkBusy_) MarkItemHidden(i);
  return true;
}

void TAbstractPanelManager::DecrementCount(const Ref<IWidget>& widget) {
  int32_t i = IndexOfWidget(widget);
  if (i >= count_) return;
  TPanelItem& item = items_[size_t(i)];
  if (item.count > 1) {
    --item.count;
    UpdateItemCounter(i);
    ++item.count;
  } else {
    widget->SetVisible(false);
  }
}

void TAbstractPanelManager::MarkItemHidden(int32_t index) {
  PlayPanelSound("sound_panel_item_hide");
  TPanelItem& item = items_[size_t(index)];
  item.hideNow = true;
  item.found = false;
  moveSoundDue_ = true;
}

bool TAbstractPanelManager::ProcessPendingHides() {
  if (!pending_) return false;
  if (checkBusy_) {
    checkBusy_ = false;
    for (int32_t i = 0; i < count_; ++i) {
      const TPanelItem& item = items_[size_t(i)];
      if (item.widget && item.busy && item.shown) {
        checkBusy_ = true;
        return true;
      }
    }
    return false;
  }
  bool done = false;
  auto first = [this](bool TPanelItem::*flag) {
    for (int32_t i = 0; i < count_; ++i)
      if (items_[size_t(i)].*flag) return i;
    return int32_t(-1);
  };
  if (int32_t i = first(&TPanelItem::hideNow); i >= 0) {
    HideItem(i);
    done = true;
  } else if (int32_t j = first(&TPanelItem::found); j >= 0) {
    MarkItemHidden(j);
    done = true;
  }
  pending_ = done;
  return done;
}

void TAbstractPanelManager::HideItem(int32_t index) {
  if (index < 0 || index >= count_) return;
  TPanelItem& item = items_[size_t(index)];
  int32_t left = 0, top = 0;
  if (item.widget) {
    left = int32_t(item.widget->GetLeft());
    top = int32_t(item.widget->GetTop());
    item.widget->SetDead(true);
    if (panel_ && panel_->GetChildren()) panel_->GetChildren()->RemoveDead();
  }
  item = TPanelItem{};
  pending_ = false;
  if (addType_ == 1) {
    for (int32_t j = index + 1; j < count_; ++j) ShiftItem(j, left);
  } else if (addType_ == 2) {
    // Stops at the last item whatever the kind answers.
    for (int32_t j = index + 1; j < count_ && ShiftItemStep(j, left); ++j) {
    }
  } else {
    CloseGap(count_ - 1, index, top, left);
  }
  --count_;
  for (int32_t i = 0; i < count_; ++i)
    if (items_[size_t(i)].hideNow || items_[size_t(i)].found) pending_ = true;
}

void TAbstractPanelManager::ShiftItem(int32_t index, int32_t&) {
  if (moveSoundDue_) PlayPanelSound("sound_panel_items_move");
  moveSoundDue_ = false;
  items_[size_t(index) - 1] = items_[size_t(index)];
  items_[size_t(index)] = TPanelItem{};
}

void TAbstractPanelManager::CloseGap(int32_t last, int32_t index, int32_t, int32_t) {
  if (last == index || last < 0) return;
  items_[size_t(index)] = items_[size_t(last)];
  items_[size_t(last)] = TPanelItem{};
}

bool TAbstractPanelManager::ShiftItemStep(int32_t index, int32_t& position) {
  ShiftItem(index, position);
  return true;
}

void TAbstractPanelManager::SetItemBusy(const Ref<IWidget>& widget, bool busy) {
  int32_t i = IndexOfWidget(widget);
  if (i < count_) {
    items_[size_t(i)].busy = busy;
    if (busy) checkBusy_ = true;
  }
  pending_ = true;
}

void TAbstractPanelManager::PlayPanelSound(const char* name) {
  if (panel_) panel_->PlaySound(name, true, 100);
}

// ---------------------------------------------------------------------------------------
// Questions about items

TPoint TAbstractPanelManager::PanelScreenOffset() {
  if (!panel_) return {};
  TPoint origin = panel_->ScreenToLocalPoint(TPoint{0, 0});
  return TPoint{-origin.X, -origin.Y};
}

void TAbstractPanelManager::AnimateItem(const Ref<ISceneObjectDef>& object,
                                        const Ref<IParamCollection>& params) {
  if (!params) return;
  const Ref<IWidget>& widget = ItemOf(object).widget;
  double x = 0, y = 0;
  if (widget) {
    TPoint offset = PanelScreenOffset();
    x = widget->GetLeft() + offset.X;
    y = widget->GetTop() + offset.Y;
  }
  params->SetValue("endposx", Variant(x));
  params->SetValue("endposy", Variant(y));
}

void TAbstractPanelManager::UpdateItemVisibility(const Ref<IWidget>& widget, int32_t offset) {
  int32_t i = IndexOfWidget(widget);
  if (i >= count_) return;
  double left = widget->GetLeft() - offset;
  bool shown = RoundHalfEven(left + widget->GetWidth()) <= extent_ && left >= 0 &&
               widget->GetProperty("fly_obj").ToDouble() == 0;
  items_[size_t(i)].shown = shown;
  widget->SetVisible(shown);
}

bool TAbstractPanelManager::GetItemState(const Ref<ISceneObjectDef>& object) {
  return ItemOf(object).shown;
}

Ref<IWidget> TAbstractPanelManager::GetItemWidget(const Ref<ISceneObjectDef>& object) {
  return ItemOf(object).widget;
}

Ref<ISceneObjectDef> TAbstractPanelManager::GetItemObjectByWidget(const Ref<IWidget>& widget,
                                                                  bool second) {
  int32_t i = IndexOfWidget(widget);
  if (i >= count_) return nullptr;
  return second ? items_[size_t(i)].pairMember : items_[size_t(i)].object;
}

double TAbstractPanelManager::GetItemProperty(const Ref<ISceneObjectDef>&,
                                              const std::string& name) {
  // An item without a widget of its own stands unscaled.
  static constexpr std::string_view kScales[] = {"zoom", "zoomx", "zoomy"};
  return std::find(std::begin(kScales), std::end(kScales), name) != std::end(kScales) ? 1 : 0;
}

Ref<ISceneObjectDef> TAbstractPanelManager::GetPairedObject(const Ref<ISceneObjectDef>& object) {
  if (!object) return nullptr;
  const TPanelItem& item = ItemOf(object);
  return item.object.get() == object.get() ? item.pairMember : item.object;
}

int32_t TAbstractPanelManager::GetRemainingCount(const Ref<ISceneObjectDef>& object) {
  const TPanelItem& item = ItemOf(object);
  return item.shown ? item.count : 0;
}

void TAbstractPanelManager::HideAllShown() {
  for (int32_t i = 0; i < count_; ++i) {
    TPanelItem& item = items_[size_t(i)];
    if (!item.shown || !item.widget) continue;
    item.widget->SetVisible(true);
    UpdateItemCounter(i);
  }
  AfterChange();
}

void TAbstractPanelManager::ScheduleItem(const Ref<ISceneObjectDef>& object, int32_t& delay,
                                         double&, double&) {
  int32_t i = object ? IndexOf(object) : count_;
  if (i >= count_ || !panel_) return;
  items_[size_t(i)].dueTime =
      SaturateInt32(int64_t(panel_->GetProperty("currenttime").ToInt()) + delay);
}

void TAbstractPanelManager::SwapItems(const Ref<ISceneObjectDef>& first,
                                      const Ref<ISceneObjectDef>& second) {
  auto byObject = [this](const Ref<ISceneObjectDef>& object) {
    for (int32_t i = 0; i < count_; ++i)
      if (object && items_[size_t(i)].object.get() == object.get()) return i;
    return count_;
  };
  int32_t a = byObject(first), b = byObject(second);
  if (a < count_ && b < count_) std::swap(items_[size_t(a)], items_[size_t(b)]);
}

bool TAbstractPanelManager::ReadLayoutKey(const char* key, int32_t& value) {
  Variant v = panel_ ? panel_->GetProperty(key) : Variant();
  if (v.IsClear()) {  // an absent key reads 0
    value = 0;
    return true;
  }
  std::optional<int64_t> read = v.TryInt();
  if (!read) {
    Warn(panel_->GetPath(), std::string(key) + ": not a number \"" + v.ToString() +
                                "\"; the panel's layout stops here");
    return false;
  }
  value = SaturateInt32(*read);
  return true;
}

bool TAbstractPanelManager::ReadLayoutKeys(
    std::initializer_list<std::pair<const char*, int32_t*>> keys) {
  for (auto [key, value] : keys)
    if (!ReadLayoutKey(key, *value)) return false;
  return true;
}

Ref<IParamCollection> TAbstractPanelManager::NewParams() {
  return Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
}

Ref<IWidget> TAbstractPanelManager::CreatePanelWidget(const std::string& factory,
                                                      const Ref<IParamCollection>& params) {
  return panel_ && !factory.empty() ? panel_->CreateItem(factory, params) : nullptr;
}

Ref<IParamCollection> TAbstractPanelManager::MoveParams(const Ref<IWidget>& widget) {
  Ref<IParamCollection> params = NewParams();
  std::string name = widget->GetName();
  params->SetValue("name", Variant(name));
  params->SetValue("widgetname", Variant("ui_group/panel_scrollarea/ui_obj_list_panel/" + name));
  return params;
}

int64_t TAbstractPanelManager::RowWidth(int32_t first, int32_t end) const {
  int64_t width = 0;
  for (int32_t i = std::max(first, 0); i < end && i < count_; ++i)
    if (const Ref<IWidget>& widget = items_[size_t(i)].widget)
      width += int64_t(widget->GetWidth()) + interval_;
  return width;
}

// ---------------------------------------------------------------------------------------
// TAnimHideDiscoveredPanelManeger

void TAnimHideDiscoveredPanelManeger::MarkItemHidden(int32_t index) {
  const TPanelItem& item = items_[size_t(index)];
  if (item.found && !item.busy) PlayHideAnimation(item.widget);
  TAbstractPanelManager::MarkItemHidden(index);
}

void TAnimHideDiscoveredPanelManeger::PlayHideAnimation(const Ref<IWidget>& widget) {
  if (hideFactory_.empty() || !panel_ || !widget) return;
  Ref<IParamCollection> params = NewParams();
  params->SetValue("name", Variant(widget->GetName()));
  params->SetValue("x", Variant(widget->GetLeft()));
  params->SetValue("y", Variant(widget->GetTop()));
  params->SetValue("hide_time", Variant(kHideTime));
  if (Ref<IWidget> hide = panel_->CreateItem(hideFactory_, params))
    hide->SetProperty("surface", widget->GetProperty("image"));
}

void TAnimHideDiscoveredPanelManeger::CloseGap(int32_t last, int32_t index, int32_t top,
                                               int32_t left) {
  if (last < 0 || last >= count_) return;
  TPanelItem& moved = items_[size_t(last)];
  if (!items_[size_t(index)].widget && !moved.shown && moved.widget) {
    moved.widget->SetAnchorLeft(left);
    moved.widget->SetAnchorTop(top);
    moved.widget->SetVisible(true);
    moved.shown = true;
  }
  TAbstractPanelManager::CloseGap(last, index, top, left);
}

// ---------------------------------------------------------------------------------------
// TZoomItemsPanelManager

void TZoomItemsPanelManager::AddItem(const Ref<ISceneObjectDef>& object) {
  PlaceZoomed(items_[size_t(count_)].widget);
  TAnimHideDiscoveredPanelManeger::AddItem(object);
}

// The size is measured again after each step, so an item is zoomed once, to fit its box
// and touch it, and one lower than the box (zoomed or not) stands in the middle of its
// height.
void TZoomItemsPanelManager::PlaceZoomed(const Ref<IWidget>& widget) {
  if (!widget) return;
  const int32_t width = widget->GetWidth(), height = widget->GetHeight();
  // Sizes of 0 or less cannot be scaled to a maximum: such widgets keep their zoom.
  double zoom = 1;
  if (width > maxWidth_ && width > 0) zoom = double(maxWidth_) / width;
  if (height * zoom > maxHeight_ && height > 0) zoom = double(maxHeight_) / height;
  if (zoom != 1) widget->SetProperty("zoom", Variant(zoom));
  if (height * zoom < maxHeight_)
    widget->SetAnchorTop(widget->GetAnchorTop() + RoundHalfEven((maxHeight_ - height * zoom) / 2));
  nextPosition_ = SaturateInt32(int64_t(nextPosition_) + widget->GetWidth() + interval_);
}

void TZoomItemsPanelManager::AnimateItem(const Ref<ISceneObjectDef>& object,
                                         const Ref<IParamCollection>& params) {
  TAnimHideDiscoveredPanelManeger::AnimateItem(object, params);
  const Ref<IWidget>& widget = ItemOf(object).widget;
  if (!params || !widget) return;
  params->SetValue("endposx",
                   Variant(params->GetValue("endposx").ToDouble() + widget->GetWidth() / 2.0));
  params->SetValue("endposy",
                   Variant(params->GetValue("endposy").ToDouble() + widget->GetHeight() / 2.0));
  params->SetValue("endzoomx", widget->GetProperty("zoomx"));
  params->SetValue("endzoomy", widget->GetProperty("zoomy"));
  params->SetValue("endangle", Variant(0));
}

double TZoomItemsPanelManager::GetItemProperty(const Ref<ISceneObjectDef>& object,
                                               const std::string& name) {
  const Ref<IWidget>& widget = ItemOf(object).widget;
  if (!widget || name == "angle") return TAbstractPanelManager::GetItemProperty(object, name);
  return widget->GetProperty(name).ToDouble();
}

// ---------------------------------------------------------------------------------------
// TOneRowOfVarWidthItemsPanelManager

void TOneRowOfVarWidthItemsPanelManager::AddItem(const Ref<ISceneObjectDef>& object) {
  KeepSpareRecord();
  items_[size_t(count_)].widget =
      AddObject(object, SaturateInt32(int64_t(nextPosition_) + interval_), top_);
  if (!items_[size_t(count_)].widget && IndexOf(object) < count_) return;  // counted again
  TZoomItemsPanelManager::AddItem(object);
}

void TOneRowOfVarWidthItemsPanelManager::HideItem(int32_t index) {
  if (index < 0 || index >= count_) return;
  const TPanelItem& item = items_[size_t(index)];
  if (!item.widget || item.busy) return;
  nextPosition_ = SaturateInt32(int64_t(nextPosition_) - item.widget->GetWidth() - interval_);
  moveDelay_ = hideFactory_.empty() ? 0 : kHideTime;
  TZoomItemsPanelManager::HideItem(index);
}

void TOneRowOfVarWidthItemsPanelManager::ShiftItem(int32_t index, int32_t& position) {
  const Ref<IWidget>& widget = items_[size_t(index)].widget;
  if (widget && !items_[size_t(index) - 1].widget && !moveFactory_.empty() && panel_) {
    Ref<IParamCollection> params = MoveParams(widget);
    params->SetValue("endposx", Variant(position));
    params->SetValue("endposy", Variant(widget->GetTop()));
    params->SetValue("anim_speed", Variant(moveSpeed_));
    params->SetValue("currenttime", Variant(-moveDelay_));
    panel_->CreateItem(moveFactory_, params);
    moveDelay_ += Random(140);
  }
  if (widget) position = SaturateInt32(int64_t(position) + widget->GetWidth() + interval_);
  TZoomItemsPanelManager::ShiftItem(index, position);
}

void TOneRowOfVarWidthItemsPanelManager::CloseGap(int32_t last, int32_t index, int32_t top,
                                                  int32_t left) {
  if (last >= 0 && last < count_ && items_[size_t(last)].widget) {
    if (items_[size_t(last)].shown) {
      int32_t x = left;
      for (int32_t j = index + 1; j < count_; ++j) ShiftItem(j, x);
      // Every later item moved one record down: copying the last record into the gap now
      // would wipe the item that took it.
      return;
    }
    // The last item takes the freed place; the rest close up behind it at once.
    const Ref<IWidget>& moved = items_[size_t(last)].widget;
    nextPosition_ = SaturateInt32(int64_t(left) + moved->GetWidth() + interval_);
    for (int32_t j = index + 1; j < last; ++j) {
      TPanelItem& item = items_[size_t(j)];
      if (!item.widget) continue;
      item.widget->SetAnchorLeft(nextPosition_);
      nextPosition_ = SaturateInt32(int64_t(nextPosition_) + item.widget->GetWidth() + interval_);
      item.shown = nextPosition_ < extent_;
      item.widget->SetVisible(item.shown);
    }
  }
  TZoomItemsPanelManager::CloseGap(last, index, top, left);
}

void TOneRowOfVarWidthItemsPanelManager::FitItem(const Ref<ISceneObjectLocation>& location) {
  if (!location || count_ < 1) return;
  double zx = location->GetZoomX(), zy = location->GetZoomY();
  if (zx > 0 && zy > 0) return;
  const Ref<IWidget>& widget = items_[size_t(count_) - 1].widget;
  Ref<IWidget> inner = widget ? widget->FindWidget("inner_widget") : nullptr;
  if (!inner) return;
  if (zx < 0) inner->SetProperty("zoomx", Variant(-RealProperty(inner, "zoomx", 1)));
  if (zy < 0) inner->SetProperty("zoomy", Variant(-RealProperty(inner, "zoomy", 1)));
}

// ---------------------------------------------------------------------------------------
// THiddenShapesPanelManager

void THiddenShapesPanelManager::Bind(IGameManagersOwner* owner, int32_t capacity) {
  TOneRowOfVarWidthItemsPanelManager::Bind(owner, capacity);
  int32_t addType = 0;
  bool read = ReadLayoutKeys({{"shapes_items_interval", &interval_},
                              {"shapes_all_items_max_width", &extent_},
                              {"shapes_max_height", &maxHeight_},
                              {"shapes_max_width", &maxWidth_},
                              {"shapes_items_add_type", &addType}});
  if (read) addType_ = uint8_t(addType);
  if (!read || !ReadLayoutKey("shapes_items_move_speed", moveSpeed_)) return;
  createFactory_ = "panel_item_shape_create";
  moveFactory_ = "panel_item_move";
  hideFactory_ = "panel_item_hide";
  ++left_;
  ++top_;
  nextPosition_ = left_;
}

void THiddenShapesPanelManager::MarkItemFound(const Ref<ISceneObjectDef>& object) {
  const Ref<IWidget>& widget = ItemOf(object).widget;
  Ref<IWidget> inner = widget ? widget->FindWidget("inner_widget") : nullptr;
  if (!inner) return;
  if (Ref<IWidget> innermost = inner->FindWidget("inner_widget"))
    innermost->SetProperty("drawmode", Variant(0));
  widget->UpdateDirtyRects(true, true);
  widget->SetProperty("need_to_repaint", Variant(true));
}

void THiddenShapesPanelManager::ScheduleItem(const Ref<ISceneObjectDef>& object, int32_t& delay,
                                             double& x, double& y) {
  int32_t i = object ? IndexOf(object) : count_;
  if (i >= count_ || !panel_) return;
  TPanelItem& item = items_[size_t(i)];
  item.dueTime = SaturateInt32(int64_t(panel_->GetProperty("currenttime").ToInt()) + delay + 200);
  if (!item.widget) return;
  TPoint offset = PanelScreenOffset();
  x = double(left_) + interval_ + offset.X + 1;
  y = item.widget->GetTop() + offset.Y + 1;
  for (int32_t j = i - 1; j >= 0; --j) {
    const TPanelItem& before = items_[size_t(j)];
    if (!before.widget) continue;
    int64_t step = int64_t(before.widget->GetWidth()) + interval_;
    if (before.dueTime < 0 || before.dueTime > item.dueTime)
      x += double(step);
    else
      delay = SaturateInt32(delay + step * moveSpeed_);
  }
}

void THiddenShapesPanelManager::SwapItems(const Ref<ISceneObjectDef>& first,
                                          const Ref<ISceneObjectDef>& second) {
  TOneRowOfVarWidthItemsPanelManager::SwapItems(first, second);
  int32_t x = interval_;
  for (int32_t i = 0; i < count_; ++i) {
    const Ref<IWidget>& widget = items_[size_t(i)].widget;
    if (!widget) continue;
    widget->SetAnchorLeft(x);
    x = SaturateInt32(int64_t(x) + widget->GetWidth() + interval_);
  }
}

void RegisterPanelManagerClasses() {
  RegisterClassName<THiddenShapesPanelManager>("PanelManagerHiddenShapes");
  RegisterClassName<THiddenNamesPanelManager>("PanelManagerHiddenNames");
  RegisterClassName<TFindIdenticalPanelManager>("PanelManagerFindIdentical");
  RegisterClassName<THiddenPartsPanelManager>("PanelManagerHiddenParts");
  RegisterClassName<TFindPlacesPanelManager>("PanelManagerFindPlaces");
}
