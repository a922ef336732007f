#pragma once
// "TrackBarControl": a slider. Its position runs from "min" to "max" in steps of
// "frequency" (at least 1); the child "image_slider" shows it, moved along the control's
// width ("vertical": its height) in proportion, and follows the pointer while dragged. The
// slider's own children "image_slidernormal" and "image_sliderselected" are its released
// and pressed look. Every change of the position sends event 3: by a drag, by the arrow
// keys, Home and End, or by the property "position".

#include <cstdint>

#include "widgets/ControlWidget.h"

class TTrackBarControl : public TControlWidget {
 public:
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;
  bool IsTabStop() override { return tabStop_ && IsVisible() && enabled_; }
  bool MouseDown(const TPoint& point, uint32_t keys, int button) override;
  bool MouseMove(const TPoint& point, uint32_t keys) override;
  bool MouseUp(const TPoint& point, uint32_t keys, int button) override;
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;

  // Below the minimum: the minimum; above the maximum: the maximum; else the nearest
  // step of the frequency, kept within the two.
  void SetPosition(int32_t value);
  int32_t GetPosition() const { return position_; }
  int32_t GetMin() const { return min_; }
  int32_t GetMax() const { return max_; }
  int32_t GetFrequency() const { return frequency_; }
  const Ref<IWidget>& GetSlider() const { return slider_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;
  void SetFrequency(int32_t value);
  void SetSliderVisible(bool value);
  // The pressed or the released look of the slider.
  void RefreshSliderImages();
  // How far the slider can travel: the control's size less the slider's.
  int64_t Travel() const;
  // Moves the position by Steps frequencies when that stays within the range.
  void Step(int32_t steps);

  int32_t min_ = 0;
  int32_t max_ = 0;
  int32_t position_ = 0;
  int32_t frequency_ = 1;
  bool vertical_ = false;
  Ref<IWidget> slider_;
  int32_t grabOffset_ = 0;
};
