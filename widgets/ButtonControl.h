#pragma once
// "ButtonControl": the push button. Its look is the child "image_normal", swapped for
// "image_selected" while the cursor is over it and "image_disabled" while disabled (each
// falling back to "image_normal"), plus an optional "highlighter". A left press and a
// release over the button click it: the click performs the built-in action named by
// "actiontype", or sends event 1 when there is none.
//
//   <widget type="ButtonControl" name="button_play" width="200" height="56"
//           enabled="yes" visible="yes" mousestop="yes"
//           actiontype="showgamescreen" gamescreenname="GS_Options">
//     <widgets> image_normal, image_selected, image_disabled </widgets>
//   </widget>
//
// Action words ("actiontype", any case in XML): "closegamescreen" (with "GSParams" as the
// result), "showgamescreen" ("gamescreenname", "GSParams" as its parameters), "url" (the
// engine opens "url"), "run_file" (the engine opens "file_to_run"), "change_props" (the
// button sets its own properties from "props_to_change", "name=value" pairs joined by
// "\"). A button a screen class waits for has no action type.

#include <cstdint>
#include <string>

#include "widgets/ControlWidget.h"

class TButtonControl : public TControlWidget {
 public:
  enum : uint8_t { isNormal = 0, isSelected = 1, isDisabled = 2, isNone = 3 };

  void Init() override;
  void SetOwner(IWidgetOwner* owner) override;
  void SetEnabled(bool value) override;
  void Update(int32_t dt) override;
  bool MouseDown(const TPoint& point, uint32_t keys, int button) override;
  bool MouseUp(const TPoint& point, uint32_t keys, int button) override;

  // Shows the picture of State (isNormal .. isDisabled; any other shows none); nothing
  // when it is shown already.
  virtual void SetImageState(uint8_t state);
  // The picture for the button's state now: disabled, hovered or normal.
  virtual void RefreshImage();

  void LoadFromXml(const Ref<IHierStorage>& node) override;

  uint8_t GetImageState() const { return imageState_; }
  bool IsHovered() const { return hovered_; }
  const std::string& GetActionType() const { return actionType_; }

 protected:
  const TPropertyTable& Properties() override;
  std::string DefaultSoundEffectName() const override { return "sound_buttonclick"; }
  void Clicked() override;
  // The built-in action of the action type; false when there is none.
  bool RunAction();
  void ApplyPropsToChange();
  // Hides the button while a picture child shows an empty image ("check_images").
  void CheckImages();
  void SetHighlighted(bool value);
  // The highlighter is shown with the highlight, except on the disabled picture.
  void ShowHighlighter();

  bool hovered_ = false;
  bool imageCheckPending_ = false;
  uint8_t imageState_ = isNone;
  std::string actionType_;
  std::string gsParams_;
  std::string gameScreenName_;
  std::string url_;
  std::string fileToRun_;
  std::string propsToChange_;
  bool checkImages_ = false;
  bool highlighted_ = false;
};
