#pragma once
// Controls: the widgets a player operates (buttons, check boxes, edit fields, lists,
// sliders, picture sequences, the high-score grid). Each is a group whose look is made of
// children with fixed names ("image_normal", "text", ...; a missing one is skipped), and
// each reports what the player did to its screen as an event: OnWidgetEvent (control,
// code, 0) to the event handler of its owner chain.
//
// A control is disabled and outside the tab order unless its XML says "enabled" and
// "tabstop" are "yes". Its rectangle is its own "width" x "height" at its anchor, whatever
// its children cover.

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/MultiLanguages.h"
#include "shell/WidgetClasses.h"

// "Control": the base of the controls. Turns the screen's mouse messages into four
// handlers, keeps the enabled, tab-stop, pressed and focused flags, tests hits against its
// rectangle (or the pixels of a mask widget) and passes the keyboard focus among child
// controls with Tab.
class TControlWidget : public TVisualGroupWidget {
 public:
  void Init() override;

  // Point: in the coordinates of the control's owner. Button: 0 left, 1 right, 2 middle.
  // True when handled. The base takes the focus on a left press (when a tab stop) and
  // handles nothing.
  virtual bool MouseMove(const TPoint& point, uint32_t keys);
  virtual bool MouseDown(const TPoint& point, uint32_t keys, int button);
  virtual bool MouseUp(const TPoint& point, uint32_t keys, int button);
  virtual bool DoubleClick(const TPoint& point, uint32_t keys, int button);

  TRect GetRect() override;
  double GetLeft() override { return anchorLeft_; }
  double GetTop() override { return anchorTop_; }
  int32_t GetWidth() override { return width_; }
  int32_t GetHeight() override { return height_; }
  bool IsEnabled() override { return enabled_; }
  void SetEnabled(bool value) override { enabled_ = value; }
  bool IsTabStop() override { return tabStop_; }
  void SetTabStop(bool value) override { tabStop_ = value; }
  // A child first, else the control itself when it is a visible mouse stop under Point.
  Ref<IWidget> WidgetAtPos(const TPoint& point) override;
  // Edges included; with a mask widget, only over its pixels (hidden or not).
  bool ContainsPoint(const TPoint& point, bool ignoreVisibility) override;
  void OnLoseCapture() override;
  void OnKillFocus() override;
  void OnSetFocus() override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  // While focused: the focused child control's, with Tab (on release) moving to the next.
  bool HandleKey(uint32_t message, uintptr_t keyCode, intptr_t keyData) override;
  void ReleaseOwner() override;

  bool IsPressed() const { return pressed_; }
  bool IsFocused() const { return focused_; }
  const Ref<IWidget>& GetFocusedChild() const { return focusedChild_; }
  const std::string& GetSoundEffectName() const { return soundEffectName_; }

 protected:
  const TPropertyTable& Properties() override;
  // "sound_effect_name" when the XML has none.
  virtual std::string DefaultSoundEffectName() const { return "sound_effect"; }

  // The first visible tab-stop child from position After + 1; nothing past the last.
  Ref<IWidget> NextTabControl(int after);
  // OnWidgetEvent (this, Code, 0) to the owner chain's event handler.
  void SendEvent(int32_t code);
  IWindow* Window() const { return owner_ ? owner_->GetWindow() : nullptr; }
  IEngine* Engine() const { return owner_ ? owner_->GetEngine() : nullptr; }
  // The sound of "sound_effect_name" at volume 100.
  void PlayEffectSound();

  // The click of a button or a check box. A left press on an enabled control captures
  // the mouse, sets pressed and plays the sound; false otherwise.
  bool PressForClick(int button);
  // The left release that ends a press: Clicked() when it is over the control, then the
  // capture is released. False (nothing changes) for any other release.
  bool ReleaseForClick(const TPoint& point, int button);
  virtual void Clicked() {}
  // Whether the engine's cursor is over the control now.
  bool CursorInside();

  // The child of that name, nothing when there is none.
  IWidget* Child(std::string_view name);
  // Hidden and paused; shown and running. Nothing for a missing child.
  static void HideChild(IWidget* child);
  static void ShowChild(IWidget* child);

  int32_t width_ = 0;
  int32_t height_ = 0;
  bool enabled_ = false;
  bool tabStop_ = false;
  bool pressed_ = false;
  bool focused_ = false;
  Ref<IWidget> focusedChild_;
  std::string maskWidgetName_;
  std::string soundEffectName_ = "sound_effect";
};
