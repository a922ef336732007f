// Item panel and fly widget.

#include "gameplay/Tv2ObjectsPanelGroup.h"

#include <cmath>
#include <numbers>

#include "foundation/CheckedMath.h"
#include "foundation/Params.h"

namespace {

constexpr std::string_view kLabelsPath = "../../item_labels";

void PurgeDead(const Ref<IWidget>& group) {
  if (!group) return;
  if (Ref<IWidgetCollection> children = group->GetChildren()) children->RemoveDead();
}

int32_t IntProperty(const Ref<IWidget>& widget, const std::string& name) {
  return widget ? widget->GetProperty(name).ToInt() : 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TItemListPanelWidget

void TItemListPanelWidget::Update(int32_t dt) {
  if (manager_) manager_->ProcessPendingHides();
  TVisualGroupWidget::Update(dt);
}

void TItemListPanelWidget::ReleaseOwner() {
  manager_ = nullptr;
  itemLabel_ = nullptr;
  TVisualGroupWidget::ReleaseOwner();
}

Ref<IWidget> TItemListPanelWidget::CreateItemWidget(const std::string& name,
                                                    const std::string& itemSource,
                                                    const std::string& factoryName, int32_t left,
                                                    int32_t top, int32_t width, int32_t height) {
  if (factoryName.empty()) return nullptr;
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("name", Variant(name));
  params->SetValue("item_source", Variant(itemSource));
  params->SetValue("left", Variant(left));
  params->SetValue("top", Variant(top));
  params->SetValue("width", Variant(width));
  params->SetValue("height", Variant(height));
  return CreateItem(factoryName, params);
}

Ref<IWidget> TItemListPanelWidget::CreateItem(const std::string& factoryName,
                                              const Ref<IParamCollection>& params) {
  Ref<IWidget> widget = CreateWidgetFromFactory(factoryName, params);
  if (!widget) return nullptr;
  if (Ref<IWidgetCollection> children = GetChildren()) {
    if (Ref<IWidget> old = FindWidget(widget->GetName())) {
      old->SetDead(true);
      children->RemoveDead();
    }
    children->Add(widget);
  }
  return widget;
}

void TItemListPanelWidget::DropItemLabel(const Ref<IWidget>& labels) {
  itemLabel_->SetDead(true);
  PurgeDead(labels);
}

bool TItemListPanelWidget::LayoutItemLabels(const std::string& factoryName,
                                            const Ref<IParamCollection>& params) {
  Ref<IWidget> labels = FindWidget(kLabelsPath);
  if (itemLabel_) DropItemLabel(labels);
  itemLabel_ = CreateWidgetFromFactory(factoryName, params);
  if (!itemLabel_ || !labels || !labels->GetChildren()) return false;
  labels->GetChildren()->Add(itemLabel_);
  // A three-piece caption centred on its anchor: left end, stretched middle, right end.
  int32_t textWidth = IntProperty(itemLabel_->FindWidget("text"), "textwidth");
  int32_t leftWidth = IntProperty(itemLabel_->FindWidget("left"), "width");
  double half = textWidth / 2.0;
  itemLabel_->SetProperty("middle_width", Variant(int32_t(int64_t(textWidth) + 1)));
  itemLabel_->SetProperty("middle_x", Variant(-half));
  itemLabel_->SetProperty("right_x", Variant(half));
  itemLabel_->SetProperty("left_x", Variant(-half - leftWidth + 1));
  return true;
}

void TItemListPanelWidget::RemoveItemLabel() {
  if (itemLabel_) DropItemLabel(FindWidget(kLabelsPath));
}

// ---------------------------------------------------------------------------------------
// TFlyWidget

void TFlyWidget::Update(int32_t dt) {
  TMoveWidget::Update(dt);
  // The base ends the move in the update that reaches the time to live without placing
  // the widget: the flight still lands on its end point in that update.
  UpdatePosition();
}

void TFlyWidget::UpdatePosition() {
  if (currentTime_ <= 0) {
    SetAnchorLeft(startX_);
    SetAnchorTop(startY_);
    return;
  }
  if (currentTime_ >= timeToLive_) {
    SetAnchorLeft(endX_);
    SetAnchorTop(endY_);
    return;
  }
  double t = double(currentTime_) / timeToLive_;
  double f = t * std::sin(t * std::numbers::pi / 2);
  auto along = [f](int32_t start, int32_t end) {
    return double(start) + double(RoundHalfEven64((double(end) - start) * f));
  };
  SetAnchorLeft(along(startX_, endX_));
  SetAnchorTop(along(startY_, endY_));
}
