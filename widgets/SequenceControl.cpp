// The sequence control: its children one at a time, on a timer or on clicks.

#include "widgets/SequenceControl.h"

void TSequenceControl::Init() {
  TControlWidget::Init();
  current_ = -1;
}

const TPropertyTable& TSequenceControl::Properties() {
  using S = TSequenceControl;
  static const TPropertyTable table(
      TControlWidget::Properties(),
      {
          Prop("step_duration_time", &S::stepDuration_).Int().Always(),
      });
  return table;
}

void TSequenceControl::LoadFromXml(const Ref<IHierStorage>& node) {
  TControlWidget::LoadFromXml(node);
  for (IWidget* child : children_->Widgets()) HideChild(child);
}

bool TSequenceControl::IsEmptyPicture(IWidget* child) {
  IEngine* engine = Engine();
  if (!engine) return false;
  std::string name = child->GetProperty("resourcename").ToString();
  Ref<IImageResource> image = Supports<IImageResource>(engine->GetResource(name));
  return image && image->GetWidth() < 1 && image->GetHeight() < 1;
}

void TSequenceControl::ShowStep(int32_t i) {
  // Children with empty pictures are passed over, one after another.
  for (;; ++i) {
    if (i < 0 || i >= children_->WidgetCount()) {
      if (i >= 0) SendEvent(control_event::kSequenceEnd);
      return;
    }
    if (i == current_) return;
    HideChild(children_->WidgetAt(current_));
    current_ = i;
    Ref<IWidget> child(children_->WidgetAt(i));
    if (IsEmptyPicture(child.get())) continue;
    currentTime_ = 0;
    child->SetVisible(true);
    child->Restart();
    return;
  }
}

void TSequenceControl::Update(int32_t dt) {
  TControlWidget::Update(dt);
  Ref<IWidget> self(this);
  if (current_ < 0 && currentTime_ >= 0) ShowStep(0);
  if (children_->WidgetCount() > 0 && stepDuration_ > 0 && currentTime_ >= stepDuration_)
    ShowStep(current_ + 1);
}

bool TSequenceControl::MouseDown(const TPoint& point, uint32_t keys, int button) {
  Ref<IWidget> self(this);
  TControlWidget::MouseDown(point, keys, button);
  ShowStep(current_ + 1);
  return false;
}
