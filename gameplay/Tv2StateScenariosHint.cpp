#include "gameplay/Tv2StateScenariosHint.h"

#include <algorithm>
#include <cmath>

#include "foundation/CheckedMath.h"

void TStateScenarioHint::Init() {
  TStateScenarioZoomRotateWidget::Init();
  AddState("enter", "release_arrow", TStateCallbacks().Enter([this](TState&) { SetUp(); }));
  AddState("release_arrow", "activation_hint",
           TStateCallbacks()
               .Enter([this](TState&) { LaunchArrow(); })
               .Leave(When(&TStateScenario::TimerElapsed)));
  AddState("activation_hint", "zoom_in_obj",
           TStateCallbacks()
               .Enter([this](TState&) { Activate(); })
               .Leave(When(&TStateScenario::TimerElapsed)));
  AddZoomStates("after_hint");
  AddState("after_hint", "exit", TStateCallbacks().Leave(When(&TStateScenario::WaitListDone)));
  AddState("exit", "", TStateCallbacks().Enter([this](TState&) { SetDead(true); }));
}

const TPropertyTable& TStateScenarioHint::Properties() {
  using S = TStateScenarioHint;
  static const TPropertyTable table(TStateScenarioZoomRotateWidget::Properties(),
                                    {
                                        Attr("duration", &S::duration_).Str(),
                                        Attr("hint_object_widgetname", &S::hintedName_).Str(),
                                        Attr("button_widgetname", &S::buttonName_).Str(),
                                        Attr("angle", &S::angle_).Str(),
                                    });
  return table;
}

void TStateScenarioHint::SetUp() {
  if (!gameOwner_) return;
  button_ = gameOwner_->FindWidget(buttonName_);
  if (button_) button_->SetVisible(false);
  if (!widget_) widget_ = gameOwner_->FindWidget(hintedName_);
  if (!widget_) return;
  visibleAtStart_ = widget_->IsVisible();
  savedTransparency_ = widget_->GetTransparentLevel();
}

std::string TStateScenarioHint::StarName(int n) {
  std::string base = (widget_ ? widget_->GetName() : std::string()) + "_hint" + std::to_string(n);
  return gameOwner_ ? gameOwner_->GetAnimationGroupPath(base) : base;
}

void TStateScenarioHint::AddToAnimationGroup(const Ref<IWidget>& widget) {
  if (!widget || !gameOwner_) return;
  if (Ref<IWidget> group = gameOwner_->GetWidgetGroup(gkAnimation))
    if (Ref<IWidgetCollection> children = group->GetChildren()) children->Add(widget);
}

void TStateScenarioHint::LaunchArrow() {
  if (!widget_) return;
  Ref<IParamCollection> arrowParams = NewParamCollection();
  arrowParams->SetValue("angle", Variant(angle_));
  Ref<IWidget> arrow = CreateChildWidget("hint_arrow", arrowParams, false);

  const int32_t targetX = RoundHalfEven(widget_->GetLeft() + widget_->GetWidth() / 2);
  const int32_t targetY = RoundHalfEven(widget_->GetTop() + widget_->GetHeight() / 2);
  const double distance = std::hypot(double(targetX - kArrowX), double(targetY - kArrowY));
  // A target on the arrow's start still takes a moment: the star steps divide by it.
  flightTime_ = std::max(1, RoundHalfEven(distance / kArrowSpeed));

  if (arrow) {
    const int32_t halfW = arrow->GetWidth() / 2, halfH = arrow->GetHeight() / 2;
    Ref<IParamCollection> moveParams = NewParamCollection();
    moveParams->SetValue("duration", Variant(flightTime_));
    moveParams->SetValue("x1", Variant(kArrowX - halfW));
    moveParams->SetValue("y1", Variant(kArrowY - halfH));
    moveParams->SetValue("x2", Variant(targetX - halfW));
    moveParams->SetValue("y2", Variant(targetY - halfH));
    Ref<IWidget> mover = CreateChildWidget("hint_arrow_move", moveParams, true);
    if (mover) mover->SetProperty("surface", Variant(Ref<IInterface>(arrow->GetImage().get())));
    arrow->SetDead(true);
    if (mover) mover->Process(60);
  }

  const double stepX = double(targetX - kArrowX) / flightTime_;
  const double stepY = double(targetY - kArrowY) / flightTime_;
  for (int n = 0; n < 5; ++n) {
    Ref<IParamCollection> params = NewParamCollection();
    params->SetValue("x", Variant(RoundHalfEven(kArrowX - 10.0 * n * stepX)));
    params->SetValue("y", Variant(RoundHalfEven(kArrowY - 10.0 * n * stepY)));
    params->SetValue("name", Variant(StarName(n)));
    AddToAnimationGroup(CreateWidgetFromFactory("ps_star_line", params));
  }
  RestartTimer(std::min(700, flightTime_));
}

void TStateScenarioHint::Activate() {
  if (button_) button_->SetVisible(true);
  if (!widget_) return;
  restZoomX_ = targetZoomX_ = WidgetNumber("zoomx", 1);
  restZoomY_ = targetZoomY_ = WidgetNumber("zoomy", 1);
  zoomFactor_ = 1.2;
  savedTransparency_ = widget_->GetTransparentLevel();
  if (visibleAtStart_) {
    widget_->SetTransparentLevel(1);
    targetTransparency_ = 255;
  } else {
    targetTransparency_ = savedTransparency_;
    widget_->SetTransparentLevel(0);
    widget_->SetVisible(true);
  }
  RestartTimer(std::max(0, flightTime_ - 700));
}

void TStateScenarioHint::ZoomIn() {
  if (widget_) {
    Ref<IParamCollection> params = NewParamCollection();
    params->SetValue("radius", Variant(70));
    params->SetValue("duration", Variant(2000));
    double x = widget_->GetAnchorLeft(), y = widget_->GetAnchorTop();
    if (Ref<IWidget> approach = gameOwner_ ? gameOwner_->GetOpenApproach() : nullptr) {
      x += approach->GetAnchorLeft();
      y += approach->GetAnchorTop();
    }
    params->SetValue("x", Variant(RoundHalfEven(x)));
    params->SetValue("y", Variant(RoundHalfEven(y)));
    params->SetValue("name", Variant(StarName(5)));
    AddToAnimationGroup(CreateWidgetFromFactory("ps_star_circle_wide", params));
  }
  TStateScenarioZoomRotateWidget::ZoomIn();
  PlaySound("sound_hint_indicate", true, 100);
}

void TStateScenarioHint::ZoomOut() {
  TStateScenarioZoomRotateWidget::ZoomOut();
  targetTransparency_ = visibleAtStart_ ? savedTransparency_ : 0;
  transparencyStep_ = -transparencyStep_;
  if (widget_) fading_ = widget_->GetTransparentLevel() != targetTransparency_;
}

void TStateScenarioHint::Finish() {
  if (finished_) return;
  finished_ = true;
  if (widget_) {
    widget_->SetTransparentLevel(savedTransparency_);
    widget_->SetVisible(visibleAtStart_);
  }
  if (button_) button_->SetVisible(true);
  TStateScenarioZoomRotateWidget::SetDead(true);
}

void TStateScenarioHint::SetDead(bool value) {
  if (value && !finished_)
    Finish();
  else
    TStateScenarioZoomRotateWidget::SetDead(value);
}
