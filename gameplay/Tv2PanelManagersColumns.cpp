// Panel managers of fixed-size columns: the hidden names, one caption per line.

#include <string>

#include "foundation/CheckedMath.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "gameplay/Tv2PanelManagers.h"

namespace {

constexpr int32_t kColumnMoveDelay = 200;
constexpr int32_t kRiseMoveDelay = 320;

// The language's text of the key, empty when it has none (or there is no key).
std::string CounterWord(const std::string& key, const std::string& rest) {
  TMultiLanguages* language = MultiLanguages();
  return language && !rest.empty() ? language->GetString(key) : std::string();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TFixedSizeColumnsPanelManager

void TFixedSizeColumnsPanelManager::Bind(IGameManagersOwner* owner, int32_t capacity) {
  TAnimHideDiscoveredPanelManeger::Bind(owner, capacity);
  itemsInColumn_ = itemsPerColumn_ = rowHeight_ = columnWidth_ = 0;
  columnX_ = left_;
}

bool TFixedSizeColumnsPanelManager::InTopRow(const Ref<IWidget>& widget) const {
  return RoundHalfEven(widget->GetTop()) == top_;
}

void TFixedSizeColumnsPanelManager::AddItem(const Ref<ISceneObjectDef>& object) {
  if (!object) return;
  if (itemsInColumn_ >= itemsPerColumn_) {
    columnX_ = SaturateInt32(int64_t(columnX_) + columnWidth_ + interval_);
    nextPosition_ = SaturateInt32(int64_t(columnX_) + columnWidth_);
    itemsInColumn_ = 0;
  }
  Ref<IWidget> widget =
      AddObject(object, columnX_, SaturateInt32(int64_t(itemsInColumn_) * rowHeight_ + top_));
  if (!widget) return;
  ++itemsInColumn_;
  KeepSpareRecord();
  items_[size_t(count_)].widget = widget;
  TAnimHideDiscoveredPanelManeger::AddItem(object);
}

void TFixedSizeColumnsPanelManager::HideItem(int32_t index) {
  if (index < 0 || index >= count_) return;
  const TPanelItem& item = items_[size_t(index)];
  if (!item.widget || item.busy) return;
  if (--itemsInColumn_ <= 0) {
    nextPosition_ = SaturateInt32(int64_t(nextPosition_) - columnWidth_ - interval_);
    itemsInColumn_ = itemsPerColumn_;
  }
  TAnimHideDiscoveredPanelManeger::HideItem(index);
}

void TFixedSizeColumnsPanelManager::ShiftItem(int32_t index, int32_t& position) {
  const Ref<IWidget>& widget = items_[size_t(index)].widget;
  if (widget && !items_[size_t(index) - 1].widget && panel_) {
    int32_t left = RoundHalfEven(widget->GetLeft());
    int32_t top = RoundHalfEven(widget->GetTop());
    bool topRow = InTopRow(widget);
    Ref<IParamCollection> params = MoveParams(widget);
    params->SetValue("endposx", Variant(left));
    params->SetValue("endposy", Variant(SaturateInt32(int64_t(top) - rowHeight_)));
    params->SetValue("startposx", Variant(left));
    params->SetValue("startposy", Variant(top));
    params->SetValue("change_source_place", Variant(topRow ? "no" : "yes"));
    params->SetValue("currenttime", Variant(-kColumnMoveDelay));
    CreatePanelWidget(moveFactory_, params);
    if (topRow) {
      // The item leaves upwards while a copy rises into the previous column's last row.
      Ref<IParamCollection> rise = MoveParams(widget);
      // Columns stand a column and their gap apart: the copy lands in the line of the
      // column before, where its names stand.
      int32_t x = SaturateInt32(int64_t(left) - columnWidth_ - interval_);
      rise->SetValue("name", Variant(widget->GetName() + "_dupl"));
      rise->SetValue("endposx", Variant(x));
      rise->SetValue("startposx", Variant(x));
      rise->SetValue("endposy",
                     Variant(SaturateInt32(top + int64_t(itemsPerColumn_ - 1) * rowHeight_)));
      rise->SetValue("startposy",
                     Variant(SaturateInt32(top + int64_t(itemsPerColumn_) * rowHeight_)));
      rise->SetValue("change_source_place", Variant("yes"));
      // The copy rises while the item leaves: both start after the same delay.
      rise->SetValue("currenttime", Variant(-kColumnMoveDelay));
      CreatePanelWidget(moveFactory_, rise);
    }
  }
  TAnimHideDiscoveredPanelManeger::ShiftItem(index, position);
}

bool TFixedSizeColumnsPanelManager::ShiftItemStep(int32_t index, int32_t& position) {
  if (index <= 0 || index >= count_ || items_[size_t(index) - 1].widget) return false;
  const Ref<IWidget>& widget = items_[size_t(index)].widget;
  if (widget && !InTopRow(widget)) {
    ShiftItem(index, position);
    return true;
  }
  TPanelItem& last = items_[size_t(count_) - 1];
  if (!last.shown && last.widget) {
    Ref<IParamCollection> params = MoveParams(last.widget);
    params->SetValue("endposx", Variant(position));
    params->SetValue("startposx", Variant(position));
    params->SetValue("endposy",
                     Variant(SaturateInt32(int64_t(itemsPerColumn_ - 1) * rowHeight_ + top_)));
    params->SetValue("startposy",
                     Variant(SaturateInt32(int64_t(itemsPerColumn_) * rowHeight_ + top_)));
    params->SetValue("change_source_place", Variant("yes"));
    params->SetValue("currenttime", Variant(-kRiseMoveDelay));
    CreatePanelWidget(moveFactory_, params);
    items_[size_t(index) - 1] = last;
    last = TPanelItem{};
  } else {
    for (int32_t j = index; j < count_; ++j) ShiftItem(j, position);
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// THiddenNamesPanelManager

void THiddenNamesPanelManager::Bind(IGameManagersOwner* owner, int32_t capacity) {
  TFixedSizeColumnsPanelManager::Bind(owner, capacity);
  int32_t columns = 0, addType = 0;
  bool read = ReadLayoutKeys({{"names_col_interval", &interval_},
                              {"names_row_height", &rowHeight_},
                              {"names_col_width", &columnWidth_},
                              {"names_max_in_column", &itemsPerColumn_},
                              {"names_left_shift", &left_}});
  if (!read) return;
  columnX_ = left_;
  if (!ReadLayoutKeys({{"names_top_shift", &top_}, {"names_max_columns_num", &columns}})) return;
  extent_ = SaturateInt32(int64_t(columns) * columnWidth_ + left_ + 1);
  if (!ReadLayoutKey("names_items_add_type", addType)) return;
  addType_ = uint8_t(addType);
  createFactory_ = "panel_item_name_create";
  moveFactory_ = "panel_item_name_move";
  hideFactory_ = "panel_item_hide";
}

int32_t THiddenNamesPanelManager::IndexOf(const Ref<ISceneObjectDef>& object) {
  int32_t i = TFixedSizeColumnsPanelManager::IndexOf(object);
  if (i < count_ || !object) return i;
  // Objects of one displayed caption share one line.
  std::string caption = object->GetCaption();
  for (int32_t j = 0; j < count_; ++j) {
    const Ref<ISceneObjectDef>& listed = items_[size_t(j)].object;
    if (listed && listed->GetCaption() == caption) return j;
  }
  return count_;
}

Ref<IWidget> THiddenNamesPanelManager::AddObject(const Ref<ISceneObjectDef>& object, int32_t left,
                                                 int32_t top) {
  if (!object || !panel_) return nullptr;
  Ref<IWidget> widget = panel_->CreateItemWidget(
      object->GetName(), object->GetCaption(), createFactory_, left, top, columnWidth_, rowHeight_);
  if (widget) {
    widget->SetProperty("resourcename", widget->GetProperty("item_font"));
    widget->SetProperty("fillcolor", widget->GetProperty("item_color"));
  }
  return widget;
}

void THiddenNamesPanelManager::AddItem(const Ref<ISceneObjectDef>& object) {
  if (!object) return;
  int32_t i = IndexOf(object);
  if (i < count_) {
    ++items_[size_t(i)].count;
    UpdateItemCounter(i);
    return;
  }
  TFixedSizeColumnsPanelManager::AddItem(object);
}

void THiddenNamesPanelManager::UpdateItemCounter(int32_t index) {
  if (index < 0 || index >= count_) return;
  const TPanelItem& item = items_[size_t(index)];
  if (!item.widget || !item.object) return;
  const int32_t n = item.count;
  const int32_t m = n <= 20 ? n : ModSafe(n, 10);
  const std::string caption = item.object->GetCaption();
  std::string text;
  if (m == 1) {
    text = n == 1 ? caption : std::to_string(n) + " " + caption;
  } else {
    // "%ball%" counted 3 times reads "3_ball", else "n_ball", else the caption: lookups
    // that may well be missing, so they ask the table quietly.
    std::string key = item.object->GetCaptionText();
    std::string rest = key.empty() ? std::string() : key.substr(1);
    if (!rest.empty() && rest.back() == '%') rest.pop_back();
    std::string word = CounterWord(std::to_string(m) + "_" + rest, rest);
    if (word.empty()) word = CounterWord("n_" + rest, rest);
    if (word.empty()) word = caption;
    text = std::to_string(n) + " " + word;
  }
  item.widget->SetProperty("text_utf8", Variant(text));
  PlayHideAnimation(item.widget);
  item.widget->SetProperty("resourcename", item.widget->GetProperty("item_font"));
  item.widget->SetProperty("fillcolor", item.widget->GetProperty("item_color"));
}

void THiddenNamesPanelManager::MarkItemFound(const Ref<ISceneObjectDef>& object) {
  const Ref<IWidget>& widget = ItemOf(object).widget;
  if (!widget) return;
  widget->SetProperty("resourcename", widget->GetProperty("found_item_font"));
  widget->SetProperty("fillcolor", widget->GetProperty("found_item_color"));
}

void THiddenNamesPanelManager::SwapItems(const Ref<ISceneObjectDef>& first,
                                         const Ref<ISceneObjectDef>& second) {
  TFixedSizeColumnsPanelManager::SwapItems(first, second);
  Ref<IWidget> a = GetItemWidget(first), b = GetItemWidget(second);
  if (!a || !b) return;
  double left = a->GetAnchorLeft(), top = a->GetAnchorTop();
  a->SetAnchorLeft(b->GetAnchorLeft());
  a->SetAnchorTop(b->GetAnchorTop());
  b->SetAnchorLeft(left);
  b->SetAnchorTop(top);
}

void THiddenNamesPanelManager::AnimateItem(const Ref<ISceneObjectDef>& object,
                                           const Ref<IParamCollection>& params) {
  TFixedSizeColumnsPanelManager::AnimateItem(object, params);
  const Ref<IWidget>& widget = ItemOf(object).widget;
  if (!params || !widget) return;
  params->SetValue("endposx",
                   Variant(params->GetValue("endposx").ToDouble() + widget->GetWidth() / 2.0));
  params->SetValue("endposy",
                   Variant(params->GetValue("endposy").ToDouble() + widget->GetHeight() / 2.0));
}
