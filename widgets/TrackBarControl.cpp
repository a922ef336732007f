// The track bar: position, the slider's place, dragging and keys.

#include "widgets/TrackBarControl.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "platform/InputConstants.h"

const TPropertyTable& TTrackBarControl::Properties() {
  using T = TTrackBarControl;
  static const TPropertyTable table(
      TControlWidget::Properties(),
      {
          // Setting the range leaves the position where it is.
          Prop("min", &T::min_).Int().Always(),
          Prop("max", &T::max_).Int().Always(),
          Prop("frequency", &T::frequency_, &T::SetFrequency).Int().Always(),
          Prop("vertical", &T::vertical_).Bool(),
          Prop("position", &T::position_, &T::SetPosition),
          Prop<T>(
              "slidervisible",
              [](T& t) { return t.slider_ ? Variant(t.slider_->IsVisible()) : Variant::Null(); },
              [](T& t, const Variant& value) {
                if (auto visible = value.TryBool()) t.SetSliderVisible(*visible);
              }),
      });
  return table;
}

void TTrackBarControl::LoadFromXml(const Ref<IHierStorage>& node) {
  TControlWidget::LoadFromXml(node);
  if (frequency_ < 1) frequency_ = 1;
}

void TTrackBarControl::SetFrequency(int32_t value) {
  frequency_ = std::max(value, 1);
}

void TTrackBarControl::SetSliderVisible(bool value) {
  if (slider_) slider_->SetVisible(value);
}

void TTrackBarControl::SetOwner(IWidgetOwner* owner) {
  TControlWidget::SetOwner(owner);
  slider_ = Ref<IWidget>(Child("image_slider"));
}

void TTrackBarControl::ReleaseOwner() {
  slider_ = nullptr;
  TControlWidget::ReleaseOwner();
}

int64_t TTrackBarControl::Travel() const {
  if (!slider_) return 0;
  return vertical_ ? int64_t(height_) - slider_->GetHeight()
                   : int64_t(width_) - slider_->GetWidth();
}

void TTrackBarControl::SetPosition(int32_t value) {
  int64_t position = value;
  if (value < min_) {
    position = min_;
  } else if (value > max_) {
    position = max_;
  } else {
    position = int64_t(frequency_) * RoundHalfEven64(double(value) / frequency_);
    // The nearest step may lie outside the range (min 1, frequency 4: 1 gives 0).
    position = std::clamp<int64_t>(position, min_, max_);
  }
  bool changed = position != position_;
  position_ = int32_t(position);
  if (slider_ && max_ != min_) {
    double offset = double(Travel()) * (double(position_) - min_) / (double(max_) - min_);
    if (vertical_)
      slider_->SetAnchorTop(offset);
    else
      slider_->SetAnchorLeft(offset);
  }
  if (owner_ && changed) SendEvent(control_event::kTrackBarMoved);
}

void TTrackBarControl::RefreshSliderImages() {
  if (!slider_) return;
  Ref<IWidget> normal = slider_->FindWidget("image_slidernormal");
  if (Ref<IWidget> selected = slider_->FindWidget("image_sliderselected")) {
    selected->SetVisible(pressed_);
    if (normal) normal->SetVisible(!pressed_);
  } else if (normal) {
    normal->SetVisible(true);
  }
}

// ---------------------------------------------------------------------------------------
// Dragging

bool TTrackBarControl::MouseDown(const TPoint& point, uint32_t, int button) {
  if (button != 0 || !slider_) return false;
  double d = vertical_ ? point.Y - GetTop() : point.X - GetLeft();
  double start = vertical_ ? slider_->GetTop() : slider_->GetLeft();
  double size = vertical_ ? slider_->GetHeight() : slider_->GetWidth();
  if (d < start || d > start + size) return false;
  if (IWindow* window = Window()) window->SetCapture(Ref<IWidget>(this));
  pressed_ = true;
  grabOffset_ = RoundHalfEven(d - start);
  RefreshSliderImages();
  return true;
}

bool TTrackBarControl::MouseMove(const TPoint& point, uint32_t) {
  if (!pressed_ || !slider_) return false;
  int64_t travel = Travel();
  if (travel <= 0) return true;
  double coordinate = vertical_ ? point.Y : point.X;
  double o = coordinate - grabOffset_ - (vertical_ ? GetTop() : GetLeft());
  o = std::clamp(o, 0.0, double(travel));
  Ref<IWidget> self(this);
  double steps = (o * (double(max_) - min_) / double(travel) + min_) / frequency_;
  int64_t position = int64_t(frequency_) * RoundHalfEven64(steps);
  if (position != position_) SetPosition(SaturateInt32(position));
  // The slider follows the pointer, not the step the position snapped to.
  if (slider_ && max_ != min_) {
    if (vertical_)
      slider_->SetAnchorTop(o);
    else
      slider_->SetAnchorLeft(o);
  }
  return true;
}

bool TTrackBarControl::MouseUp(const TPoint&, uint32_t, int button) {
  bool handled = false;
  if (pressed_ && button == 0) {
    if (IWindow* window = Window()) window->ReleaseCapture();
    pressed_ = false;
    RefreshSliderImages();
    handled = true;
  }
  PlayEffectSound();
  return handled;
}

// ---------------------------------------------------------------------------------------
// Keys

void TTrackBarControl::Step(int32_t steps) {
  if (steps < 0 && position_ > min_)
    SetPosition(SaturateInt32(int64_t(position_) - frequency_));
  else if (steps > 0 && position_ < max_)
    SetPosition(SaturateInt32(int64_t(position_) + frequency_));
}

bool TTrackBarControl::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t) {
  // Tab is left to the screen, which moves the focus on: a focused bar must not keep it.
  if (keyCode == input::kVkTab) return false;
  if (!focused_ || message != input::kKeyDown) {
    RefreshSliderImages();
    return true;
  }
  Ref<IWidget> self(this);
  switch (keyCode) {
    case input::kVkEnd:
      if (position_ < max_) SetPosition(max_);
      break;
    case input::kVkHome:
      if (position_ > min_) SetPosition(min_);
      break;
    case input::kVkLeft:
    case input::kVkRight:
      if (!vertical_) Step(keyCode == input::kVkLeft ? -1 : 1);
      break;
    case input::kVkUp:
    case input::kVkDown:
      if (vertical_) Step(keyCode == input::kVkUp ? -1 : 1);
      break;
    default:
      return false;
  }
  RefreshSliderImages();
  return true;
}
