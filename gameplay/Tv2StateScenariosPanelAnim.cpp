#include "gameplay/Tv2StateScenariosPanelAnim.h"

#include <cmath>
#include <numbers>

#include "foundation/CheckedMath.h"

void TStateScenarioAnimPanelItem::SetOwner(IWidgetOwner* owner) {
  TStateScenarioAbstractAnimWidget::SetOwner(owner);
  panelManager_ = nullptr;
  if (!gameOwner_) return;
  if (Ref<IItemListPanelWidget> panel = gameOwner_->GetPanelManager())
    panelManager_ = panel->GetPanelManager();
  if (panelManager_ && widget_) panelManager_->SetItemBusy(widget_, true);
}

void TStateScenarioAnimPanelItem::ReleaseOwner() {
  if (panelManager_ && widget_) panelManager_->SetItemBusy(widget_, false);
  panelManager_ = nullptr;
  TStateScenarioAbstractAnimWidget::ReleaseOwner();
}

void TStateScenarioAnimPanelItem::PreparePanel() {
  if (!widget_ || !panelManager_) return;
  panelManager_->UpdateItemVisibility(widget_, RoundHalfEven(widget_->GetLeft() - endX_));
  Ref<ISceneObjectDef> object = panelManager_->GetItemObjectByWidget(widget_, false);
  if (gameOwner_ && object) gameOwner_->EnableSceneObject(object, false);
}

// ---------------------------------------------------------------------------------------
// The glide

void TStateScenarioMovePanelItem::Init() {
  TStateScenarioAnimPanelItem::Init();
  AddState("enter", "exit",
           TStateCallbacks()
               .Enter([this](TState&) { SetUpMove(); })
               .Update([this](TState&, int32_t) { Move(); })
               .Leave([this](TState&) { return MoveDone(); }));
  AddState("exit", "", TStateCallbacks().Enter([this](TState&) { OnExitHook(); }));
}

void TStateScenarioMovePanelItem::SetUpMove() {
  PreparePanel();
  if (widget_) {
    // The points were the item's top-left; the glide moves its anchor.
    const double dx = widget_->GetAnchorLeft() - widget_->GetLeft();
    const double dy = widget_->GetAnchorTop() - widget_->GetTop();
    startX_ += dx;
    endX_ += dx;
    startY_ += dy;
    endY_ += dy;
  }
  currentTime_ = 0;
}

void TStateScenarioMovePanelItem::Move() {
  if (!widget_) return;
  const double t = double(currentTime_) / (moveTime_ == 0 ? 1 : moveTime_);
  const double f = t * std::sin(t * std::numbers::pi / 2);
  widget_->SetAnchorLeft(startX_ + RoundHalfEven((endX_ - startX_) * f));
  widget_->SetAnchorTop(startY_ + RoundHalfEven((endY_ - startY_) * f));
}

bool TStateScenarioMovePanelItem::MoveDone() {
  return currentTime_ > moveTime_;
}

void TStateScenarioMovePanelItem::OnExitHook() {
  if (widget_ && !exitDone_) {
    widget_->SetAnchorLeft(endX_);
    widget_->SetAnchorTop(endY_);
  }
  TStateScenarioAnimPanelItem::OnExitHook();
}

// ---------------------------------------------------------------------------------------
// The flying picture

void TStateScenarioMovePanelItemPicture::Init() {
  TStateScenarioAnimPanelItem::Init();
  AddState("enter", "exit",
           TStateCallbacks()
               .Enter([this](TState&) { OnEnterHook(); })
               .Leave(When(&TStateScenario::WaitListDone)));
  AddState("exit", "", TStateCallbacks().Enter([this](TState&) { OnExitHook(); }));
}

void TStateScenarioMovePanelItemPicture::OnEnterHook() {
  PreparePanel();
  if (widget_) visibleAtStart_ = widget_->IsVisible();
  TStateScenarioAnimPanelItem::OnEnterHook();
}
