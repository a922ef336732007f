// The check box: six pictures and the toggle.

#include "widgets/CheckBoxControl.h"

namespace {

// By state: the picture, then the one it falls back to.
struct TStatePictures {
  std::string_view picture, fallback;
};
constexpr TStatePictures kPictures[] = {
    {"image_uncheck_disabled", "image_uncheck_normal"},
    {"image_check_disabled", "image_check_normal"},
    {"image_uncheck_normal", {}},
    {"image_uncheck_selected", "image_uncheck_normal"},
    {"image_check_normal", {}},
    {"image_check_selected", "image_check_normal"},
};

}  // namespace

const TPropertyTable& TCheckBoxControl::Properties() {
  using B = TCheckBoxControl;
  static const TPropertyTable table(TControlWidget::Properties(),
                                    {
                                        Prop("CheckBoxState", &B::checked_, &B::SetChecked),
                                    });
  return table;
}

void TCheckBoxControl::RefreshImage() {
  if (!enabled_)
    imageState_ = checked_ ? isCheckDisabled : isUncheckDisabled;
  else if (hovered_)
    imageState_ = checked_ ? isCheckSelected : isUncheckSelected;
  else
    imageState_ = checked_ ? isCheckNormal : isUncheckNormal;
  for (const TStatePictures& p : kPictures) HideChild(Child(p.picture));
  const TStatePictures& shown = kPictures[imageState_];
  IWidget* picture = Child(shown.picture);
  if (!picture && !shown.fallback.empty()) picture = Child(shown.fallback);
  ShowChild(picture);
}

void TCheckBoxControl::SetChecked(bool value) {
  checked_ = value;
  RefreshImage();
}

void TCheckBoxControl::SetOwner(IWidgetOwner* owner) {
  TControlWidget::SetOwner(owner);
  RefreshImage();
}

void TCheckBoxControl::SetEnabled(bool value) {
  TControlWidget::SetEnabled(value);
  RefreshImage();
}

void TCheckBoxControl::Update(int32_t dt) {
  TControlWidget::Update(dt);
  if (!Engine()) return;
  bool inside = CursorInside();
  if (inside == hovered_) return;
  hovered_ = inside;
  RefreshImage();
}

bool TCheckBoxControl::MouseDown(const TPoint&, uint32_t, int button) {
  return PressForClick(button);
}

bool TCheckBoxControl::MouseUp(const TPoint& point, uint32_t, int button) {
  return ReleaseForClick(point, button);
}

void TCheckBoxControl::Clicked() {
  checked_ = !checked_;
  RefreshImage();
  SendEvent(control_event::kCheckBoxToggled);
}
