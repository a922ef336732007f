#pragma once
// The scene picker ("Tavelor2GameScreenSelectScene", shown as "GS_SelectScene" with the
// parameters of the task being started): one label per scene of the task's
// "select_scene_names" that the player has and has not completed, made from the window's
// factory "scene_label" (parameters "name", "anchor_left" = 200 and "anchor_top" = 40 x the
// name's place in the offer) into "labels_group". The last such scene is preselected. A
// click on the selected label, or any control event, writes it as the task's "scenename",
// removes "select_scene_names" and closes the screen.

#include "screens/Tv2GameScreenSelectCase.h"

class TTavelor2GameScreenSelectScene : public TTv2LabelPickerScreen {
 public:
  void Show(const Ref<IParamCollection>& params) override;

 protected:
  const char* LabelProperty() const override { return "scenename"; }
  void Confirm(bool byClick) override;
  Ref<IAbstractUGDObject> FindRecord(const std::string& name) override;

  // The task's parameters the screen was shown with.
  Ref<IParamCollection> taskParams_;
};
