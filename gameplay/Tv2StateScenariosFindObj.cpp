#include "gameplay/Tv2StateScenariosFindObj.h"

#include <cmath>

void TStateScenarioFindObj::Init() {
  TStateScenarioZoomRotateWidget::Init();
  AddState("enter", "zoom_in_obj", TStateCallbacks().Enter([this](TState&) { SetUp(); }));
  AddZoomStates("stay_obj");
  AddState("stay_obj", "fly_obj", TStateCallbacks().Leave(When(&TStateScenario::TimerElapsed)));
  AddState("fly_obj", "exit",
           TStateCallbacks()
               .Enter([this](TState&) { OnEnterHook(); })
               .Leave(When(&TStateScenario::WaitListDone)));
  AddState("exit", "", TStateCallbacks().Enter([this](TState&) { OnExitHook(); }));
  RestartTimer(200);
}

const TPropertyTable& TStateScenarioFindObj::Properties() {
  using S = TStateScenarioFindObj;
  static const TPropertyTable table(TStateScenarioZoomRotateWidget::Properties(),
                                    {
                                        Attr("play_sound", &S::playSound_).Bool(true),
                                    });
  return table;
}

void TStateScenarioFindObj::SetUp() {
  if (gameOwner_) {
    if (Ref<IItemListPanelWidget> panel = gameOwner_->GetPanelManager())
      panelManager_ = panel->GetPanelManager();
    levelManager_ = gameOwner_->GetLevelManager();
  }
  if (playSound_) PlaySound("sound_find_object_zoom", true, 100);
  if (!widget_ || !panelManager_ || !gameOwner_) return;
  object_ = gameOwner_->GetWidgetObjectDef(widget_);
  widget_->SetMouseStop(false);
  restZoomX_ = restZoomY_ = 1;
  targetZoomX_ = WidgetNumber("zoomx", 1);
  targetZoomY_ = WidgetNumber("zoomy", 1);
  zoomFactor_ = 1.3;
  if (targetZoomX_ < 0) restZoomX_ = -restZoomX_;
  if (targetZoomY_ < 0) restZoomY_ = -restZoomY_;
  widget_->SetZ(700);
  targetAngle_ = panelManager_->GetItemProperty(object_, "angle");
  const double angle = WidgetNumber("angle", 0);
  // A widget shown at its plain size and about upright pops a little more.
  const bool nearRest = std::fabs(std::fabs(targetZoomX_) - std::fabs(restZoomX_)) <= 0.01 ||
                        std::fabs(std::fabs(targetZoomY_) - std::fabs(restZoomY_)) <= 0.01;
  if (nearRest && std::fabs(angle) <= 10) zoomFactor_ *= 1.1;
  targetTransparency_ = 255;
}

void TStateScenarioFindObj::ZoomOut() {
  TStateScenarioZoomRotateWidget::ZoomOut();
  zoomSpeedY_ = std::fabs(zoomSpeedX_) * (zoomSpeedY_ < 0 ? -1 : 1);
}

void TStateScenarioFindObj::OnEnterHook() {
  if (!widget_) return;
  widget_->SetTransparentLevel(255);
  TPoint topLeft = WidgetTopLeft();
  startX_ = topLeft.X;
  startY_ = topLeft.Y;
  if (panelManager_) panelManager_->ScheduleItem(object_, moveTime_, endX_, endY_);
  if (playSound_) PlaySound("sound_find_object_fly", true, 100);
  TStateScenarioZoomRotateWidget::OnEnterHook();
  widget_->SetDead(true);
}

void TStateScenarioFindObj::OnExitHook() {
  if (exitDone_) return;
  exitDone_ = true;
  Ref<ISceneObjectDef> object;
  Ref<ISceneObjectLocation> location;
  if (gameOwner_ && levelManager_ && gameOwner_->GetObjectDefs(widget_, object, location))
    levelManager_->AfterActivation(widget_, object, location);
  SetDead(true);
}
