#pragma once
// "CheckBoxControl": a box that is checked or not ("CheckBoxState"). A left press and a
// release over it toggle it and send event 2; the press plays the control's sound, as a
// button's does. Its look is one of six children, by state:
//   "image_uncheck_normal", "image_uncheck_selected" (hovered), "image_uncheck_disabled",
//   "image_check_normal", "image_check_selected", "image_check_disabled";
// a missing selected or disabled picture falls back to the normal one of its kind.

#include <cstdint>

#include "widgets/ControlWidget.h"

class TCheckBoxControl : public TControlWidget {
 public:
  enum : uint8_t {
    isUncheckDisabled = 0,
    isCheckDisabled = 1,
    isUncheckNormal = 2,
    isUncheckSelected = 3,
    isCheckNormal = 4,
    isCheckSelected = 5,
  };

  void SetOwner(IWidgetOwner* owner) override;
  void SetEnabled(bool value) override;
  void Update(int32_t dt) override;
  bool MouseDown(const TPoint& point, uint32_t keys, int button) override;
  bool MouseUp(const TPoint& point, uint32_t keys, int button) override;

  bool IsChecked() const { return checked_; }
  void SetChecked(bool value);
  // The state the pictures show now.
  uint8_t GetImageState() const { return imageState_; }

 protected:
  const TPropertyTable& Properties() override;
  void Clicked() override;
  // Hides the six pictures and shows the one for the box's state.
  void RefreshImage();

  bool checked_ = false;
  bool hovered_ = false;
  uint8_t imageState_ = isUncheckDisabled;
};
