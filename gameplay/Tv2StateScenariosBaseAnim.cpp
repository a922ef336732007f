#include "gameplay/Tv2StateScenariosBaseAnim.h"

#include <algorithm>
#include <cmath>

#include "foundation/CheckedMath.h"

namespace {

double Sign(double value) {
  return value < 0 ? -1.0 : 1.0;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The link to the play screen

void TStateScenarioGameManager::SetOwner(IWidgetOwner* owner) {
  TStateScenario::SetOwner(owner);
  gameOwner_ = owner ? InterfaceCast<IGameManagersOwner>(owner->GetWindow()) : nullptr;
  if (owner && !gameOwner_) SetDead(true);
}

// ---------------------------------------------------------------------------------------
// Waiting for the children

void TStateScenarioWaitWidgetsGameManager::Init() {
  TStateScenarioGameManager::Init();
  AddState("enter", "wait_widgets",
           TStateCallbacks()
               .Enter([this](TState&) { OnEnterHook(); })
               .Leave(When(&TStateScenario::TimerElapsed)));
  AddState("wait_widgets", "exit",
           TStateCallbacks()
               .Enter([this](TState&) { OnExitHook(); })
               .Leave(When(&TStateScenario::WaitListDone)));
  AddState("exit", "", TStateCallbacks().Enter([this](TState&) { SetDead(true); }));
}

void TStateScenarioWaitWidgetsGameManager::OnExitHook() {
  for (IWidget* child : children_->Widgets()) AddWaitWidget(child->GetName());
}

// ---------------------------------------------------------------------------------------
// One animated widget

const TPropertyTable& TStateScenarioAbstractAnimWidget::Properties() {
  using S = TStateScenarioAbstractAnimWidget;
  static const TPropertyTable table(
      TStateScenarioGameManager::Properties(),
      {
          Attr("widgetname", &S::widgetName_).Str(),
          Attr("startposx", &S::startX_).Float(kNotGiven),
          Attr("startposy", &S::startY_).Float(kNotGiven),
          Attr("endposx", &S::endX_).Float(kNotGiven),
          Attr("endposy", &S::endY_).Float(kNotGiven),
          Attr("max_anim_time", &S::maxAnimTime_).Int(0),
          Attr("anim_speed", &S::animSpeed_).Int(0),
          Attr("change_source_place", &S::changeSourcePlace_).Bool(false),
          Attr("process_in_global_coords", &S::globalCoords_).Bool(false),
          Prop("widget", &S::GetWidgetProperty, &S::SetWidgetProperty),
      });
  return table;
}

TPoint TStateScenarioAbstractAnimWidget::WidgetTopLeft() {
  TPoint point{RoundHalfEven(widget_->GetLeft()), RoundHalfEven(widget_->GetTop())};
  if (!globalCoords_) return point;
  TPoint local{SaturateInt32(int64_t(point.X) - RoundHalfEven(widget_->GetAnchorLeft())),
               SaturateInt32(int64_t(point.Y) - RoundHalfEven(widget_->GetAnchorTop()))};
  return GetSurfaceOffset(widget_.get(), local);
}

void TStateScenarioAbstractAnimWidget::SetOwner(IWidgetOwner* owner) {
  TStateScenarioGameManager::SetOwner(owner);
  if (!widget_ && owner && !widgetName_.empty()) widget_ = owner->FindWidget(widgetName_);
  if (!widget_ && gameOwner_ && !widgetName_.empty()) widget_ = gameOwner_->FindWidget(widgetName_);
  if (!widget_) return;
  // The points first: a missing end point is the widget's own place, which the move time
  // below measures against.
  TPoint topLeft = WidgetTopLeft();
  for (double* x : {&startX_, &endX_})
    if (*x == kNotGiven) *x = topLeft.X;
  for (double* y : {&startY_, &endY_})
    if (*y == kNotGiven) *y = topLeft.Y;
  if (animSpeed_ < 1) {
    moveTime_ = maxAnimTime_;
  } else {
    double distance = std::hypot(endX_ - widget_->GetAnchorLeft(), endY_ - widget_->GetAnchorTop());
    moveTime_ = RoundHalfEven(distance * animSpeed_);
    if (maxAnimTime_ > 0) moveTime_ = std::min(moveTime_, maxAnimTime_);
  }
  visibleAtStart_ = widget_->IsVisible();
}

void TStateScenarioAbstractAnimWidget::StartFlight() {
  if (!widget_) return;
  if (visibleAtStart_) {
    Ref<IParamCollection> params = NewParamCollection();
    params->SetValue("name", Variant(widget_->GetName()));
    params->SetValue("x1", Variant(RoundHalfEven(startX_)));
    params->SetValue("y1", Variant(RoundHalfEven(startY_)));
    params->SetValue("x2", Variant(RoundHalfEven(endX_)));
    params->SetValue("y2", Variant(RoundHalfEven(endY_)));
    params->SetValue("move_time", Variant(moveTime_));
    flyPicture_ = CreateChildWidget("fly_picture", params, true);
    if (flyPicture_)
      flyPicture_->SetProperty("surface", Variant(Ref<IInterface>(widget_->GetImage().get())));
    widget_->SetVisible(false);
  }
  if (changeSourcePlace_) {
    TPoint topLeft = WidgetTopLeft();
    widget_->SetAnchorLeft(widget_->GetAnchorLeft() + (endX_ - topLeft.X));
    widget_->SetAnchorTop(widget_->GetAnchorTop() + (endY_ - topLeft.Y));
  }
}

void TStateScenarioAbstractAnimWidget::OnEnterHook() {
  StartFlight();
}

void TStateScenarioAbstractAnimWidget::OnExitHook() {
  // Finish may come after the exit state: the widget is shown once.
  if (exitDone_) return;
  exitDone_ = true;
  if (widget_ && visibleAtStart_) widget_->SetVisible(true);
  SetDead(true);
}

void TStateScenarioAbstractAnimWidget::Finish() {
  OnExitHook();
  TStateScenarioGameManager::Finish();
}

void TStateScenarioSimpleMoveWidget::Init() {
  TStateScenarioAbstractAnimWidget::Init();
  AddState("enter", "exit",
           TStateCallbacks()
               .Enter([this](TState&) { OnEnterHook(); })
               .Leave(When(&TStateScenario::WaitListDone)));
  AddState("exit", "", TStateCallbacks().Enter([this](TState&) { OnExitHook(); }));
}

// ---------------------------------------------------------------------------------------
// Zoom, turn and fade

double TStateScenarioZoomRotateWidget::WidgetNumber(const char* name, double def) {
  return widget_ ? widget_->GetPropertyDef(name, Variant(def)).ToDouble(def) : def;
}

void TStateScenarioZoomRotateWidget::SetWidgetNumber(const char* name, double value) {
  if (widget_) widget_->SetProperty(name, Variant(value));
}

void TStateScenarioZoomRotateWidget::AddZoomStates(const std::string& next) {
  auto step = [this](TState&, int32_t dt) { ZoomStep(dt); };
  auto apply = [this](TState&) { return ZoomApply(); };
  AddState("zoom_in_obj", "zoom_out_obj",
           TStateCallbacks().Enter([this](TState&) { ZoomIn(); }).Update(step).Leave(apply));
  AddState("zoom_out_obj", next,
           TStateCallbacks().Enter([this](TState&) { ZoomOut(); }).Update(step).Leave(apply));
}

void TStateScenarioZoomRotateWidget::ZoomIn() {
  if (!widget_ || targetZoomX_ == 0 || targetZoomY_ == 0) return;
  zoomable_ = !widget_->GetProperty("zoomx").IsClear();
  const double zx = std::fabs(targetZoomX_), zy = std::fabs(targetZoomY_);
  const double rx = std::fabs(restZoomX_), ry = std::fabs(restZoomY_);
  double tx = std::max({zx, zy, rx}) * zoomFactor_ * Sign(targetZoomX_);
  double ty = std::max({zx, zy, ry}) * zoomFactor_ * Sign(targetZoomY_);
  const double angle = WidgetNumber("angle", 0);
  const int32_t transparency = widget_->GetTransparentLevel();
  // A turned or faint widget needs a bigger zoom to be seen.
  if ((angle > 70 || angle < -70 || transparency < 100) &&
      zoomFactor_ - 0.9 > std::fabs(tx) - std::min(zx, rx)) {
    tx *= zoomFactor_;
    ty *= zoomFactor_;
  }
  targetZoomX_ = tx;
  targetZoomY_ = ty;
  zoomSpeedX_ = tx * 0.001;
  const double speed = std::fabs(zoomSpeedX_);
  const double t1 = (std::fabs(tx) - zx) / speed;
  zoomSpeedY_ = t1 > 0 ? Sign(ty) * (std::fabs(ty) - zy) / t1 : 0;
  const double total = t1 + (std::fabs(tx) - rx) / speed;
  if (angle > 180 && targetAngle_ <= 0) targetAngle_ += 360;
  rotating_ = angle != targetAngle_ && !widget_->GetProperty("angle").IsClear();
  if (rotating_) {
    angleStep_ = std::fabs(targetAngle_ - angle) / std::max(total, 1.0);
    if (angle > targetAngle_ || (tx < 0 && ty < 0)) angleStep_ = -angleStep_;
  }
  fading_ = transparency != targetTransparency_;
  if (fading_) transparencyStep_ = (targetTransparency_ - transparency) / std::max(total, 1.0);
  zoomingIn_ = true;
  pendingZoomX_ = pendingZoomY_ = pendingAngle_ = 0;
  pendingTransparency_ = 0;
}

void TStateScenarioZoomRotateWidget::ZoomOut() {
  zoomSpeedX_ = -zoomSpeedX_;
  zoomSpeedY_ = -zoomSpeedY_;
  pendingZoomX_ = pendingZoomY_ = pendingAngle_ = 0;
  pendingTransparency_ = 0;
  zoomingIn_ = false;
}

void TStateScenarioZoomRotateWidget::ZoomStep(int32_t dt) {
  if (rotating_) pendingAngle_ += dt * angleStep_;
  if (fading_)
    pendingTransparency_ =
        SaturateInt32(int64_t(pendingTransparency_) + RoundHalfEven(dt * transparencyStep_));
  pendingZoomX_ += dt * zoomSpeedX_;
  pendingZoomY_ += dt * zoomSpeedY_;
}

bool TStateScenarioZoomRotateWidget::ZoomApply() {
  if (!widget_) return true;
  const double zx = WidgetNumber("zoomx", 1), zy = WidgetNumber("zoomy", 1);
  bool done;
  if (!zoomable_) {
    // A widget without a zoom would never reach its target.
    done = true;
  } else if (zoomingIn_) {
    done = std::fabs(zx) >= std::fabs(targetZoomX_) || std::fabs(zy) >= std::fabs(targetZoomY_);
    SetWidgetNumber("zoomx", done ? targetZoomX_ : zx + pendingZoomX_);
    SetWidgetNumber("zoomy", done ? targetZoomY_ : zy + pendingZoomY_);
  } else {
    done = std::fabs(zx + pendingZoomX_) <= std::fabs(restZoomX_) ||
           std::fabs(zx) < std::fabs(pendingZoomX_) ||
           std::fabs(zy + pendingZoomY_) <= std::fabs(restZoomY_) ||
           std::fabs(zy) < std::fabs(pendingZoomY_);
    SetWidgetNumber("zoomx", done ? restZoomX_ : zx + pendingZoomX_);
    SetWidgetNumber("zoomy", done ? restZoomY_ : zy + pendingZoomY_);
  }
  pendingZoomX_ = pendingZoomY_ = 0;

  if (rotating_) {
    const double next = WidgetNumber("angle", 0) + pendingAngle_;
    const bool arrived = angleStep_ >= 0 ? next >= targetAngle_ : next <= targetAngle_;
    if (arrived) {
      SetWidgetNumber("angle", targetAngle_);
      rotating_ = false;
    } else {
      SetWidgetNumber("angle", next);
      // The way out waits for the turn to end.
      if (!zoomingIn_) done = false;
    }
    pendingAngle_ = 0;
  }

  if (fading_) {
    int32_t level = std::clamp<int32_t>(
        SaturateInt32(int64_t(widget_->GetTransparentLevel()) + pendingTransparency_), 0, 255);
    if (transparencyStep_ >= 0 ? level >= targetTransparency_ : level <= targetTransparency_) {
      level = targetTransparency_;
      fading_ = false;
    }
    widget_->SetTransparentLevel(level);
    pendingTransparency_ = 0;
  }
  return done;
}
