// Panel managers of items at fixed places: the hidden parts of one complete object.

#include <cmath>
#include <string>

#include "foundation/CheckedMath.h"
#include "foundation/Params.h"
#include "gameplay/Tv2PanelManagers.h"

namespace {

// An object lies when it is clearly wider than high.
constexpr int32_t kLyingMargin = 32;

Ref<ISceneObjectLocation> Location(const Ref<ISceneObjectDef>& object, const Variant& address) {
  Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
  return locations ? locations->GetItem(address) : nullptr;
}

double Real(const Ref<IWidget>& widget, const char* name, double fallback) {
  return widget->GetProperty(name).ToDouble(fallback);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TFixedPlacedItemsPanelManager

Ref<IWidget> TFixedPlacedItemsPanelManager::PlaceItem(const Ref<ISceneObjectDef>& object) {
  Ref<ISceneObjectLocation> spec = Location(object, Variant("spec"));
  if (!spec) return nullptr;
  Ref<IWidget> widget = AddObject(object, SaturateInt32(int64_t(spec->GetAnchorLeft()) + left_),
                                  SaturateInt32(int64_t(spec->GetAnchorTop()) + top_));
  if (!widget) return nullptr;
  widget->SetProperty("angle", Variant(spec->GetAngle()));
  widget->SetProperty("zoomx", Variant(spec->GetZoomX()));
  widget->SetProperty("zoomy", Variant(spec->GetZoomY()));
  widget->SetZ(SaturateInt32(int64_t(widget->GetZ()) + spec->GetZ()));
  return widget;
}

void TFixedPlacedItemsPanelManager::AddItem(const Ref<ISceneObjectDef>& object) {
  if (!object) return;
  bool listed = IndexOf(object) < count_;
  Ref<IWidget> widget = PlaceItem(object);
  if (listed) return;  // counted again by AddObject
  KeepSpareRecord();
  items_[size_t(count_)].widget = widget;
  TAbstractPanelManager::AddItem(object);
}

double TFixedPlacedItemsPanelManager::GetItemProperty(const Ref<ISceneObjectDef>& object,
                                                      const std::string& name) {
  const Ref<IWidget>& widget = ItemOf(object).widget;
  if (!widget) return TAbstractPanelManager::GetItemProperty(object, name);
  return widget->GetProperty(name).ToDouble();
}

// ---------------------------------------------------------------------------------------
// THiddenPartsPanelManager

void THiddenPartsPanelManager::Bind(IGameManagersOwner* owner, int32_t capacity) {
  TFixedPlacedItemsPanelManager::Bind(owner, capacity);
  complete_ = nullptr;
  objectList_.clear();
  uprightMaxWidth_ = uprightMaxHeight_ = lyingMaxWidth_ = lyingMaxHeight_ = 0;
  lyingTopShift_ = leftShift_ = 0;
  scale_ = 1.0;
  createFactory_ = "panel_item_part_create";
  bool read = ReadLayoutKeys({{"complete_vertical_obj_max_width", &uprightMaxWidth_},
                              {"complete_vertical_obj_max_height", &uprightMaxHeight_},
                              {"complete_horizontal_obj_max_width", &lyingMaxWidth_},
                              {"complete_horizontal_obj_max_height", &lyingMaxHeight_},
                              {"complete_horizontal_obj_top_shift", &lyingTopShift_},
                              {"complete_obj_left_shift", &leftShift_}});
  if (!read) return;
  ++left_;
  ++top_;
}

void THiddenPartsPanelManager::Unbind() {
  // The picture is no item of the array: it leaves the panel with the items.
  if (complete_) {
    complete_->SetDead(true);
    if (panel_ && panel_->GetChildren()) panel_->GetChildren()->RemoveDead();
  }
  complete_ = nullptr;
  TFixedPlacedItemsPanelManager::Unbind();
}

void THiddenPartsPanelManager::AddItem(const Ref<ISceneObjectDef>& object) {
  if (!object) return;
  Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
  if (object->GetObjectType() == otComplete && locations && locations->Count() > 0 && panel_) {
    AddComplete(object);
    return;
  }
  bool listed = IndexOf(object) < count_;
  Ref<IWidget> widget = PlaceItem(object);
  if (widget && scale_ != 1.0) {
    widget->SetAnchorLeft(widget->GetAnchorLeft() * scale_ + leftShift_);
    widget->SetAnchorTop(widget->GetAnchorTop() * scale_);
    widget->SetProperty("zoomx", Variant(Real(widget, "zoomx", 1) * scale_));
    widget->SetProperty("zoomy", Variant(Real(widget, "zoomy", 1) * scale_));
  }
  if (listed) return;
  KeepSpareRecord();
  items_[size_t(count_)].widget = widget;
  TAbstractPanelManager::AddItem(object);
}

void THiddenPartsPanelManager::AddComplete(const Ref<ISceneObjectDef>& object) {
  Ref<IWidget> widget = panel_->CreateItemWidget(object->GetName(), object->GetResourceName(),
                                                 "panel_item_shape_create", left_, top_,
                                                 object->GetWidth(), object->GetHeight());
  if (!widget) return;
  complete_ = widget;
  objectList_ = ";" + object->GetName() + ";";
  // Parts are placed relative to the picture's own place.
  Ref<ISceneObjectLocation> first = Location(object, Variant(0));
  left_ = SaturateInt32(int64_t(left_) - first->GetAnchorLeft());
  top_ = SaturateInt32(int64_t(top_) - first->GetAnchorTop());

  const int32_t width = widget->GetWidth(), height = widget->GetHeight();
  const bool lying = int64_t(height) + kLyingMargin < width;
  if (lying) widget->SetAnchorTop(widget->GetAnchorTop() + lyingTopShift_);
  const int32_t maxWidth = lying ? lyingMaxWidth_ : uprightMaxWidth_;
  const int32_t maxHeight = lying ? lyingMaxHeight_ : uprightMaxHeight_;
  if (width > maxWidth || height > maxHeight) {
    // To the box's height, then, measured again, to its width when still too wide: the
    // picture fits its box and touches it. A size of 0 cannot be scaled to a maximum.
    double zoom = height > 0 ? double(maxHeight) / height : 1.0;
    if (width * zoom > maxWidth && width > 0) zoom = double(maxWidth) / width;
    if (Ref<IWidget> inner = widget->FindWidget("inner_widget")) {
      inner->SetProperty("zoom", Variant(zoom));
      scale_ = Real(inner, "zoom", zoom);
    }
  }
  if (width < lyingMaxWidth_) {
    leftShift_ = SaturateInt32(int64_t(leftShift_) + lyingMaxWidth_ / 2 - width / 2);
    widget->SetAnchorLeft(widget->GetAnchorLeft() + leftShift_);
  }
  // The parts stand scaled: a scale of 0 shrinks them away and leaves the shift unscaled.
  if (lying)
    top_ = SaturateInt32(int64_t(top_) +
                         (scale_ != 0 ? RoundHalfEven(lyingTopShift_ / scale_) : lyingTopShift_));
}

void THiddenPartsPanelManager::MarkItemFound(const Ref<ISceneObjectDef>& object) {
  if (const Ref<IWidget>& widget = ItemOf(object).widget) widget->SetVisible(true);
}
