// The control base: mouse dispatch, hit tests, focus among child controls, the click.

#include "widgets/ControlWidget.h"

#include "foundation/CheckedMath.h"
#include "platform/InputConstants.h"

void TControlWidget::Init() {
  TVisualGroupWidget::Init();
  soundEffectName_ = DefaultSoundEffectName();
}

const TPropertyTable& TControlWidget::Properties() {
  using C = TControlWidget;
  static const TPropertyTable table(
      TVisualGroupWidget::Properties(),
      {
          Attr("width", &C::width_).Int().Coordinate().Always(),
          Attr("height", &C::height_).Int().Coordinate().Always(),
          // Set as a property, through SetEnabled: a button shows its picture for it.
          Prop("enabled", &C::enabled_, &C::SetEnabled).Bool(),
          Prop("tabstop", &C::tabStop_, &C::SetTabStop).Bool(),
          Prop("maskwidget", &C::maskWidgetName_).Str(),
          Attr("sound_effect_name", &C::soundEffectName_).Str([](C& c) {
            return c.DefaultSoundEffectName();
          }),
      });
  return table;
}

TRect TControlWidget::GetRect() {
  int32_t left = RoundHalfEven(anchorLeft_);
  int32_t top = RoundHalfEven(anchorTop_);
  return TRect{left, top, SaturateInt32(int64_t(left) + width_),
               SaturateInt32(int64_t(top) + height_)};
}

bool TControlWidget::ContainsPoint(const TPoint& point, bool ignoreVisibility) {
  if (!ignoreVisibility && !IsVisible()) return false;
  double left = GetLeft();
  double top = GetTop();
  if (point.X < left || point.X > left + width_ || point.Y < top || point.Y > top + height_)
    return false;
  if (maskWidgetName_.empty()) return true;
  Ref<IWidget> mask = FindWidget(maskWidgetName_);
  // A mask name that finds nothing leaves the rectangle.
  if (!mask) return true;
  TPoint local{SaturateInt32(int64_t(point.X) - RoundHalfEven(left)),
               SaturateInt32(int64_t(point.Y) - RoundHalfEven(top))};
  return mask->ContainsPoint(local, true);
}

Ref<IWidget> TControlWidget::WidgetAtPos(const TPoint& point) {
  if (Ref<IWidget> child = TVisualGroupWidget::WidgetAtPos(point)) return child;
  if (IsVisible() && IsMouseStop() && ContainsPoint(point, false)) return Ref<IWidget>(this);
  return nullptr;
}

bool TControlWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  TPoint local = ScreenToLocalPoint(point);
  switch (message) {
    case input::kMouseMove:
      return MouseMove(local, keys);
    case input::kLeftButtonDown:
      return MouseDown(local, keys, 0);
    case input::kRightButtonDown:
      return MouseDown(local, keys, 1);
    case input::kMiddleButtonDown:
      return MouseDown(local, keys, 2);
    case input::kLeftButtonUp:
      return MouseUp(local, keys, 0);
    case input::kRightButtonUp:
      return MouseUp(local, keys, 1);
    case input::kMiddleButtonUp:
      return MouseUp(local, keys, 2);
    case input::kLeftButtonDoubleClick:
      return DoubleClick(local, keys, 0);
    case input::kRightButtonDoubleClick:
      return DoubleClick(local, keys, 1);
    case input::kMiddleButtonDoubleClick:
      return DoubleClick(local, keys, 2);
    default:
      return false;
  }
}

bool TControlWidget::MouseMove(const TPoint&, uint32_t) {
  return false;
}

bool TControlWidget::MouseDown(const TPoint&, uint32_t, int button) {
  if (!focused_ && IsTabStop() && button == 0)
    if (IWindow* window = Window()) window->SetFocus(Ref<IWidget>(this));
  return false;
}

bool TControlWidget::MouseUp(const TPoint&, uint32_t, int) {
  return false;
}

bool TControlWidget::DoubleClick(const TPoint&, uint32_t, int) {
  return false;
}

// ---------------------------------------------------------------------------------------
// Focus

void TControlWidget::OnSetFocus() {
  TVisualGroupWidget::OnSetFocus();
  focused_ = true;
}

void TControlWidget::OnKillFocus() {
  TVisualGroupWidget::OnKillFocus();
  focused_ = false;
  if (Ref<IWidget> child = std::move(focusedChild_)) child->OnKillFocus();
}

void TControlWidget::OnLoseCapture() {
  TVisualGroupWidget::OnLoseCapture();
  pressed_ = false;
}

void TControlWidget::ReleaseOwner() {
  focusedChild_ = nullptr;
  pressed_ = false;
  focused_ = false;
  TVisualGroupWidget::ReleaseOwner();
}

Ref<IWidget> TControlWidget::NextTabControl(int after) {
  int start = after + 1 < 0 ? 0 : after + 1;
  for (int i = start; i < children_->WidgetCount(); ++i) {
    IWidget* child = children_->WidgetAt(i);
    if (child->IsTabStop() && child->IsVisible()) return Ref<IWidget>(child);
  }
  return nullptr;
}

bool TControlWidget::HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) {
  if (!focused_) return TVisualGroupWidget::HandleKey(message, keyCode, keyData);
  if (!focusedChild_) {
    focusedChild_ = NextTabControl(-1);
    if (focusedChild_) focusedChild_->OnSetFocus();
  }
  if (Ref<IWidget> child = focusedChild_) {
    if (child->HandleKey(message, keyCode, keyData)) return true;
    if (children_->WidgetCount() > 0 && keyCode == input::kVkTab && message == input::kKeyUp) {
      child->OnKillFocus();
      focusedChild_ = NextTabControl(children_->IndexOf(child->GetName()));
      if (focusedChild_) {
        focusedChild_->OnSetFocus();
        return true;
      }
    }
  }
  return TVisualGroupWidget::HandleKey(message, keyCode, keyData);
}

// ---------------------------------------------------------------------------------------
// Events, sounds, children

void TControlWidget::SendEvent(int32_t code) {
  IEventHandler* handler = owner_ ? owner_->GetEventHandler() : nullptr;
  if (handler) handler->OnWidgetEvent(this, code, 0);
}

void TControlWidget::PlayEffectSound() {
  PlaySound(soundEffectName_, true, 100, 0);
}

bool TControlWidget::PressForClick(int button) {
  if (button != 0 || !enabled_) return false;
  if (IWindow* window = Window()) window->SetCapture(Ref<IWidget>(this));
  pressed_ = true;
  PlayEffectSound();
  return true;
}

bool TControlWidget::ReleaseForClick(const TPoint& point, int button) {
  if (!pressed_ || button != 0) return false;
  // The click may close the screen or change the tree: the control stays until done.
  Ref<IWidget> self(this);
  if (ContainsPoint(point, false)) Clicked();
  if (IWindow* window = Window()) window->ReleaseCapture();
  pressed_ = false;
  return true;
}

bool TControlWidget::CursorInside() {
  IEngine* engine = Engine();
  if (!engine) return false;
  TPoint cursor;
  engine->GetCursorPos(cursor);
  return ContainsPoint(ScreenToLocalPoint(cursor), false);
}

IWidget* TControlWidget::Child(std::string_view name) {
  return children_->WidgetAt(children_->IndexOf(name));
}

void TControlWidget::HideChild(IWidget* child) {
  if (!child) return;
  child->SetVisible(false);
  child->Pause();
}

void TControlWidget::ShowChild(IWidget* child) {
  if (!child) return;
  child->SetVisible(true);
  child->Resume();
}
