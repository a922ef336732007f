#pragma once
// Moves of the item panel's items. While one runs the item is busy for the panel manager.
//
// "state_scenario_panel_item_move": the item glides to ("endposx", "endposy") in its
// move time, slow at first; it ends exactly on the end point.
// "state_scenario_panel_item_picture_move": a picture of the item flies there instead.

#include "gameplay/Tv2StateScenariosBaseAnim.h"

class TStateScenarioAnimPanelItem : public TStateScenarioAbstractAnimWidget {
 public:
  void SetOwner(IWidgetOwner* owner) override;
  void ReleaseOwner() override;

 protected:
  // What both moves tell the panel and the scene first.
  void PreparePanel();

  Ref<IPanelManager> panelManager_;
};

class TStateScenarioMovePanelItem : public TStateScenarioAnimPanelItem {
 public:
  void Init() override;
  void OnExitHook() override;

 protected:
  void SetUpMove();
  void Move();
  bool MoveDone();
};

class TStateScenarioMovePanelItemPicture : public TStateScenarioAnimPanelItem {
 public:
  void Init() override;
  void OnEnterHook() override;
};
