#include "minigames/MiniGameMoveObjects.h"

#include <algorithm>
#include <cmath>

#include "foundation/CheckedMath.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

const TPropertyTable& TMoverWidget::Properties() {
  using M = TMoverWidget;
  static const TPropertyTable table(
      TMiniGameWidget::Properties(),
      {
          Attr("itemcount", &M::itemCount_).Int(),
          // Accepted for the data's sake: the items stay where the layout puts them.
          Attr("shuffle", &M::shuffle_).Bool(),
      });
  return table;
}

void TMoverWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  items_.clear();
  for (int32_t i = 0; i < itemCount_; ++i) {
    Ref<IHierStorage> item = node->GetChild("item", i);
    if (!item) break;
    items_.push_back(ReadXmlStr(item, "name"));
  }
  playing_ = true;
  dragged_ = "null_widget";
  dragging_ = false;
}

void TMoverWidget::ReleaseOwner() {
  items_.clear();
  TMiniGameWidget::ReleaseOwner();
}

bool TMoverWidget::IsItem(const std::string& name) const {
  return std::find(items_.begin(), items_.end(), name) != items_.end();
}

void TMoverWidget::MakeItemFeedback(const std::string& factory) {
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant(std::to_string(NextId())));
  EnqueueWidget(MakeChild(factory, params));
}

bool TMoverWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (!playing_) return result;
  if (message == input::kLeftButtonDown) {
    std::string name = hovered_ ? hovered_->GetName() : std::string();
    if (!hovered_ || !IsItem(name)) {
      // A press beside the items lets the drag go where it is, without a drop.
      dragged_ = "null_widget";
      dragging_ = false;
    } else if (dragging_) {
      Drop();
    } else {
      PickUp(hovered_);
    }
  } else if (message == input::kLeftButtonUp) {
    Drop();
  }
  return result;
}

void TMoverWidget::PickUp(const Ref<IWidget>& item) {
  PlaySound("pick", true, 100, 0);
  dragged_ = item->GetName();
  offset_ = {SaturateInt32(RoundHalfEven(item->GetAnchorLeft()) - int64_t(mouse_.X)),
             SaturateInt32(RoundHalfEven(item->GetAnchorTop()) - int64_t(mouse_.Y))};
  dragging_ = true;
  MakeItemFeedback("pick");
}

void TMoverWidget::Drop() {
  if (!dragging_) return;
  PlaySound("unpick", true, 100, 0);
  if (Ref<IWidget> item = FindWidget(dragged_)) {
    double left = item->GetLeft(), top = item->GetTop();
    double right = left + item->GetWidth(), bottom = top + item->GetHeight();
    double dx = 0, dy = 0;
    if (right > double(blockLeft_) + blockWidth_) dx = double(blockLeft_) + blockWidth_ - right;
    if (left + dx < blockLeft_) dx = blockLeft_ - left;
    if (bottom > double(blockTop_) + blockHeight_) dy = double(blockTop_) + blockHeight_ - bottom;
    if (top + dy < blockTop_) dy = blockTop_ - top;
    item->SetAnchorLeft(item->GetAnchorLeft() + dx);
    item->SetAnchorTop(item->GetAnchorTop() + dy);
  }
  dragged_ = "null_widget";
  dragging_ = false;
  MakeItemFeedback("unpick");
}

void TMoverWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (!dragging_) return;
  Ref<IWidget> item = FindWidget(dragged_);
  if (!item) return;
  item->SetAnchorLeft(double(mouse_.X) + offset_.X);
  item->SetAnchorTop(double(mouse_.Y) + offset_.Y);
  int64_t left = RoundHalfEven(item->GetLeft()), top = RoundHalfEven(item->GetTop());
  TPoint topLeft{SaturateInt32(left), SaturateInt32(top)};
  TPoint bottomRight{SaturateInt32(left + item->GetWidth()),
                     SaturateInt32(top + item->GetHeight())};
  if (IsOutsideBlock(topLeft) || IsOutsideBlock(bottomRight)) Drop();
}
