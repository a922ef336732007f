#pragma once
// "state_scenario_find_obj": the pop and flight of a found object. The object's widget
// zooms up and back while it turns to the angle of its panel item, rests 200 ms, then a
// picture of it flies to the place the panel manager gives its item; when the flight has
// landed the level manager learns that the activation is over (AfterActivation).
//
// "play_sound" (default yes) plays "sound_find_object_zoom" and "sound_find_object_fly".

#include "gameplay/Tv2StateScenariosBaseAnim.h"

class TStateScenarioFindObj : public TStateScenarioZoomRotateWidget {
 public:
  void Init() override;
  void OnEnterHook() override;
  void OnExitHook() override;
  void ZoomOut() override;

 protected:
  const TPropertyTable& Properties() override;
  void SetUp();

  Ref<IPanelManager> panelManager_;
  Ref<ILevelManager> levelManager_;
  Ref<ISceneObjectDef> object_;
  bool playSound_ = true;
};
