// The play screen's presses: the scene, an open approach, the two halves of a kind-2
// level and the item panel; near misses retried around the press; carrying an item;
// finds rewarded and misses punished.

#include "foundation/CheckedMath.h"
#include "foundation/Params.h"
#include "platform/InputConstants.h"
#include "screens/Tv2GameScreenGame.h"

namespace {

// Tried in this order around a press that hit nothing.
constexpr TPoint kRetryOffsets[] = {
    {-3, -1}, {-1, -3}, {-3, 1}, {1, -3}, {-1, 3}, {3, -1}, {-3, -2}, {-2, -3}, {1, 3}, {3, 1},
    {-3, 0},  {0, -3},  {-3, 2}, {2, -3}, {-2, 3}, {3, -2}, {0, 3},   {3, 0},   {2, 3}, {3, 2},
};

struct TComboStep {
  int32_t finds;
  int32_t bonus;
  const char* label;  // a language key: the player sees why the score jumps
};
// The fifth step closes the series; it pays in line with the four before it. The labels
// rise with the bonus, and the last two share the highest.
constexpr TComboStep kComboSteps[] = {{3, 300, "%SUPER!%"},
                                      {6, 700, "%EXCELLENT!%"},
                                      {9, 1200, "%GRAND!%"},
                                      {12, 2000, "%PERFECT!%"},
                                      {15, 3000, "%PERFECT!%"}};

constexpr int32_t kWrongClickWeight = 2000;
constexpr int32_t kPenaltyThreshold = 10000;
constexpr int32_t kPenaltyMs = 30000;

TPoint Minus(const TPoint& p, const Ref<IWidget>& widget) {
  return {SaturateInt32(int64_t(p.X) - RoundHalfEven(widget->GetAnchorLeft())),
          SaturateInt32(int64_t(p.Y) - RoundHalfEven(widget->GetAnchorTop()))};
}

bool StrictlyInside(const TRect& r, const TPoint& p) {
  return p.X > r.Left && p.X < r.Right && p.Y > r.Top && p.Y < r.Bottom;
}

// A zoom's sign; a zero zoom counts as +1.
int Sign(double value) {
  return value < 0 ? -1 : 1;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Routing

bool TTavelor2GameScreenGame::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool handled = TTv2GameplayScreen::HandleMouse(message, point, keys);
  if (handled || inputBlocked_) return handled;
  switch (message) {
    case input::kMouseMove:
      return OnMouseMove(point, keys);
    case input::kLeftButtonDown:
      return OnMouseDown(point, keys, 0);
    case input::kRightButtonDown:
      return OnMouseDown(point, keys, 1);
    case input::kMiddleButtonDown:
      return OnMouseDown(point, keys, 2);
    case input::kLeftButtonUp:
    case input::kRightButtonUp:
    case input::kMiddleButtonUp:
      return OnMouseUp(point, keys,
                       message == input::kLeftButtonUp    ? 0
                       : message == input::kRightButtonUp ? 1
                                                          : 2);
    default:
      return handled;
  }
}

bool TTavelor2GameScreenGame::AnimationUnderMouse() {
  return animationGroup_ && animationGroup_->WidgetAtPos(GetMousePos());
}

Ref<IWidget> TTavelor2GameScreenGame::HitAt(const Ref<IWidget>& container, const TPoint& point,
                                            bool skipSelf) {
  if (!container) return nullptr;
  Ref<IWidget> hit = container->WidgetAtPos(point);
  if (skipSelf && hit.get() == container.get()) return nullptr;
  return hit;
}

Ref<IWidget> TTavelor2GameScreenGame::HitWithRetries(const Ref<IWidget>& container,
                                                     const TPoint& point, bool skipSelf) {
  if (Ref<IWidget> hit = HitAt(container, point, skipSelf)) return hit;
  for (const TPoint& offset : kRetryOffsets)
    if (Ref<IWidget> hit = HitAt(container, {point.X + offset.X, point.Y + offset.Y}, skipSelf))
      return hit;
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// Presses

bool TTavelor2GameScreenGame::OnMouseDown(const TPoint& point, uint32_t, int button) {
  missFlag_ = false;
  fromPanel_ = false;
  bool result = false;
  if (AnimationUnderMouse() || blackScreen_) return false;
  const int32_t kind = LevelKind();
  const int32_t sceneBottom = uiGroup_ ? RoundHalfEven(uiGroup_->GetAnchorTop()) + 56 : kPanelTop;
  TPoint local = openApproach_ && kind != 2 ? Minus(point, openApproach_) : point;

  if (carrying_) {
    if (button == 1) result = true;
    if (carriedSource_) {
      const TPoint tested = openApproach_ ? local : point;
      if (button == 1 || StrictlyInside(carriedSource_->GetRect(), tested)) {
        carriedSource_->SetVisible(true);
        DropCarriedItem();
      }
    } else if (button == 1 || GetMousePos().Y > sceneBottom) {
      ReturnToPanel();
      return result;
    }
  }

  Ref<IWidget> hit;
  if (openApproach_ && !result && point.Y < kPanelTop) {
    hit = HitWithRetries(openApproach_, point, true);
    if (!hit) {
      Ref<IWidget> background = ChildNamed(openApproach_, "background_widget");
      if (background) {
        hit = background;
        if (!background->ContainsPoint(local, false)) {
          bool placed = false;
          if (carrying_ && levelManager_ && carriedObject_)
            placed = bool(levelManager_->PlacementHitTest(
                carriedObject_, Minus(local, openApproach_), openApproach_->GetName(), scene_));
          if (!placed && kind != 2) CloseApproach();
          return true;
        }
      }
    }
  }

  Ref<ISceneObjectDef> object;
  Ref<ISceneObjectLocation> location;
  if (hit) GetObjectDefs(hit, object, location);
  if (kind == 2 && (!hit || hit->GetName() == "background_widget" || !object ||
                    object->GetObjectType() != otIdentical)) {
    hit = HitWithRetries(leftPart_, local, true);
    if (!hit) hit = HitWithRetries(rightPart_, point, true);
  }
  if (!hit && local.Y < sceneBottom) {
    Ref<IWidget> container = openApproach_ ? openApproach_ : objectsGroup_;
    hit = HitWithRetries(container, point, true);
  }

  if (hit && levelManager_ && GetObjectDefs(hit, object, location)) {
    FindAttempt(hit, point);
    if (closed_) return true;
    UpdateSkipButtons();
    result = true;
  } else if (result || point.Y >= kPanelTop) {
    if (PanelPress(point)) result = true;
  } else {
    if (levelManager_) levelManager_->OnEmptyClick();
    if (!hit && !carrying_) missFlag_ = true;
    result = true;
  }

  ShowCursorPressed(true);
  if (hit && hit->GetName() == "background_widget") missFlag_ = true;
  if (button == 1) StopAmulet();
  return result;
}

void TTavelor2GameScreenGame::FindAttempt(const Ref<IWidget>& hit, const TPoint& point) {
  Ref<ISceneObjectDef> object;
  Ref<ISceneObjectLocation> location;
  GetObjectDefs(hit, object, location);
  KillAnimationWidget("hint_scenario_" + hit->GetName());
  hit->SetProperty("not_shine", Variant(1));
  Ref<ILevelManager> manager = levelManager_;
  switch (object->GetObjectType()) {
    case otActiveArea: {
      bool opens = !amuletMode_;
      if (!opens && location)
        if (Ref<ISceneObjectActionCollection> actions = location->GetActions())
          for (int i = 0; i < actions->Count() && !opens; ++i)
            if (Ref<ISceneObjectAction> action = actions->GetItem(Variant(i)))
              opens = action->GetActionType() == 1;
      if (opens) {
        manager->ActivateAtLocation(hit, object, point, location);
        OnMouseMove(point, 0);
      }
      break;
    }
    case otIdentical:
      manager->ActivateAtLocation(hit, object, point, location);
      OnMouseMove(point, 0);
      if (manager->ObjectClicked(hit, object, location, point)) {
        OnFound(point);
        hit->SetMouseStop(false);
        hit->SetEnabled(false);
      }
      break;
    default:
      if (manager->ObjectClicked(hit, object, location, point)) OnFound(point);
      break;
  }
}

bool TTavelor2GameScreenGame::PanelPress(const TPoint& point) {
  Ref<IPanelManager> manager = PanelManager();
  if (!manager || !manager->GetItemsMouseStop() || !panel_) return false;
  panel_->SetMouseStop(true);
  Ref<IWidget> hit = HitWithRetries(uiGroup_, point, true);
  panel_->SetMouseStop(false);
  if (!hit) return false;
  if (manager->GetSecondFlag()) {
    Ref<ISceneObjectDef> object = manager->GetItemObjectByWidget(hit, false);
    PutBackCarriedItem();
    if (CreateCarriedItem(object, point, true, {0, 0})) {
      manager->DecrementCount(hit);
      panel_->PlaySound("sound_get_from_panel", true, 100);
      StopAmulet();
    }
  }
  fromPanel_ = true;
  return true;
}

void TTavelor2GameScreenGame::ReturnToPanel() {
  Ref<IPanelManager> manager = PanelManager();
  if (manager && carriedObject_) {
    if (Ref<IWidget> item = manager->GetItemWidget(carriedObject_)) {
      item->SetProperty("fly_obj", Variant(0));
      item->SetVisible(true);
    }
    manager->HideAllShown();
    manager->RefreshLayout();
  }
  DropCarriedItem();
}

bool TTavelor2GameScreenGame::OnMouseUp(const TPoint& point, uint32_t, int) {
  if (AnimationUnderMouse() || blackScreen_) return false;
  bool result = false;
  if (carrying_ && carriedItem_ && levelManager_ && point.Y < kPanelTop) {
    TPoint at = openApproach_ ? Minus(point, openApproach_) : point;
    std::string approach = openApproach_ ? openApproach_->GetName() : std::string();
    Ref<ISceneObjectDef> carried = carriedObject_;
    Ref<IWidget> target = levelManager_->PlacementHitTest(carried, at, approach, scene_);
    Ref<ISceneObjectDef> object;
    Ref<ISceneObjectLocation> location;
    if (target && GetObjectDefs(target, object, location)) {
      KillAnimationWidget("hint_scenario_" + target->GetName());
      Ref<ILevelManager> manager = levelManager_;
      manager->AfterActivation(target, object, location);
      if (object->GetLocationsAllEnabled()) {
        if (!FindVisibleObjectWidget(object, gkObjects, nullptr)) DropCarriedItem();
      } else {
        DropCarriedItem();
      }
      if (manager->ObjectClicked(target, object, location, point)) {
        OnFound(point);
        result = true;
      }
    } else if (!fromPanel_ && missFlag_) {
      OnWrongClick(point);
      result = true;
    }
  } else if (!fromPanel_ && missFlag_) {
    OnWrongClick(point);
    result = true;
  }
  if (Ref<IPanelManager> manager = PanelManager()) manager->AfterChange();
  ShowCursorPressed(false);
  return result;
}

bool TTavelor2GameScreenGame::OnMouseMove(const TPoint& point, uint32_t) {
  if (carrying_ && carriedItem_) {
    TPoint mouse = GetMousePos();
    carriedItem_->SetAnchorLeft(carriedItem_->GetAnchorLeft() + (mouse.X - lastCarryPoint_.X));
    carriedItem_->SetAnchorTop(carriedItem_->GetAnchorTop() + (mouse.Y - lastCarryPoint_.Y));
    lastCarryPoint_ = mouse;
    return true;
  }
  const int32_t kind = LevelKind();
  Ref<IWidget> hovered;
  if (openApproach_) {
    hovered = HitAt(openApproach_, point, true);
  } else if (kind == 2) {
    hovered = HitAt(leftPart_, point, true);
    if (!hovered) hovered = HitAt(rightPart_, point, true);
  } else {
    hovered = HitAt(objectsGroup_, point, true);
  }
  const bool animation = AnimationUnderMouse();
  if (kind != 2 && !amuletMode_ && !carrying_ && !(scene_ && scene_->IsCompleted()) && !animation) {
    if (point.Y > kPanelTop + 1)
      ReselectCursor();
    else
      UpdateHoverCursor(hovered);
  }
  if (amuletMode_) UpdateAmuletDarkness(openApproach_ ? Minus(point, openApproach_) : point);
  if (animation) {
    SelectCursor("default");
  } else if (Ref<IPanelManager> manager = PanelManager()) {
    manager->ShowItemLabel(point);
  }
  return false;
}

// ---------------------------------------------------------------------------------------
// Cursors

void TTavelor2GameScreenGame::UpdateHoverCursor(const Ref<IWidget>& widget) {
  Ref<ICursor> current = CurrentCursor();
  std::string currentName = current ? current->GetName() : std::string();
  std::string name =
      widget ? widget->GetPropertyDef("cursor", Variant(currentName)).ToString() : currentName;
  if (name.empty()) name = currentName;
  if (name == screenCursor_) return;
  ShowCursorPressed(false);
  SelectCursor(name);
  screenCursor_ = name;
}

void TTavelor2GameScreenGame::ShowCursorPressed(bool pressed) {
  Ref<ICursor> cursor = CurrentCursor();
  Ref<IWidget> widget = cursor ? cursor->GetWidget() : nullptr;
  if (!widget) return;
  // The image going away stops first, so that only the one shown plays.
  if (Ref<IWidget> leaving = widget->FindWidget(pressed ? "unpressed" : "pressed")) {
    leaving->SetVisible(false);
    leaving->SetPaused(true);
  }
  if (Ref<IWidget> shown = widget->FindWidget(pressed ? "pressed" : "unpressed")) {
    shown->SetVisible(true);
    shown->Restart();
  }
}

void TTavelor2GameScreenGame::KillAnimationWidget(const std::string& name) {
  Ref<IWidget> widget = ChildNamed(animationGroup_, name);
  if (!widget) return;
  widget->SetDead(true);
  animationGroup_->GetChildren()->RemoveDead();
}

// ---------------------------------------------------------------------------------------
// Carrying

bool TTavelor2GameScreenGame::CreateCarriedItem(const Ref<ISceneObjectDef>& object,
                                                const TPoint& point, bool centred,
                                                const TPoint& offset) {
  if (!object) return false;
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("name", Variant(object->GetName()));
  if (centred) {
    params->SetValue("left", Variant(point.X - object->GetCenterX()));
    params->SetValue("top", Variant(point.Y - object->GetCenterY()));
  } else {
    params->SetValue("left", Variant(point.X - offset.X));
    params->SetValue("top", Variant(point.Y - offset.Y));
  }
  params->SetValue("width", Variant(object->GetWidth()));
  params->SetValue("height", Variant(object->GetHeight()));
  params->SetValue("resourcename", Variant(object->GetResourceName()));
  Ref<IPanelManager> manager = PanelManager();
  if (manager) {
    params->SetValue("zoomx", Variant(Sign(manager->GetItemProperty(object, "zoomx"))));
    params->SetValue("zoomy", Variant(Sign(manager->GetItemProperty(object, "zoomy"))));
  }
  Ref<IWidget> copy = CreateWidget("moving_object", params);
  if (!copy) return false;
  AddToAnimations(copy);
  SelectCursor("none");
  carriedItem_ = copy;
  carriedObject_ = object;
  if (manager)
    if (Ref<IWidget> item = manager->GetItemWidget(object))
      item->SetProperty("fly_obj", Variant(1));
  lastCarryPoint_ = point;
  carrying_ = true;
  return true;
}

void TTavelor2GameScreenGame::DropCarriedItem() {
  Ref<IPanelManager> manager = PanelManager();
  if (manager && carriedItem_) {
    if (Ref<IWidget> item = carriedObject_ ? manager->GetItemWidget(carriedObject_) : nullptr)
      item->SetProperty("fly_obj", Variant(0));
    manager->HideAllShown();
  }
  if (Ref<IWidget> copy = std::move(carriedItem_)) copy->SetDead(true);
  carriedItem_ = nullptr;
  carriedSource_ = nullptr;
  if (animationGroup_)
    if (Ref<IWidgetCollection> children = animationGroup_->GetChildren()) children->RemoveDead();
  carriedObject_ = nullptr;
  SelectCursor("default");
  carrying_ = false;
}

void TTavelor2GameScreenGame::PutBackCarriedItem() {
  if (!carrying_) return;
  if (carriedSource_) {
    carriedSource_->SetVisible(true);
  } else if (Ref<IPanelManager> manager = PanelManager()) {
    if (Ref<IWidget> item = carriedObject_ ? manager->GetItemWidget(carriedObject_) : nullptr)
      item->SetProperty("fly_obj", Variant(0));
    manager->HideAllShown();
  }
  DropCarriedItem();
}

bool TTavelor2GameScreenGame::TakeSceneObject(const Ref<IWidget>& objectWidget,
                                              const Ref<IWidget>& source, bool force, const TPoint&,
                                              const TPoint& centre) {
  if (Ref<IWidget> copy = carriedItem_) copy->SetDead(true);
  Ref<ISceneObjectDef> sourceObject = GetWidgetObjectDef(source);
  if (!sourceObject || sourceObject->GetObjectType() != otDisposable) {
    PutBackCarriedItem();
    carriedSource_ = source;
  }
  if (!CreateCarriedItem(GetWidgetObjectDef(objectWidget), centre, true, {0, 0})) return false;
  EnableSceneObject(carriedObject_, force);
  return true;
}

// ---------------------------------------------------------------------------------------
// Finds and misses

void TTavelor2GameScreenGame::OnFound(const TPoint& point) {
  ++combo_;
  for (const TComboStep& step : kComboSteps) {
    if (combo_ != step.finds) continue;
    AddScores(step.bonus);
    Ref<IParamCollection> label = NewParamCollection();
    label->SetValue("text", Variant(step.label));
    label->SetValue("bonus", Variant(step.bonus));
    label->SetValue("x", Variant(point.X));
    label->SetValue("y", Variant(point.Y));
    PlayEffect("combo_bonus", label);
    if (step.finds == 15) combo_ = 0;
    break;
  }
  PlaySound("sound_success_click");
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("radius", Variant(50));
  params->SetValue("duration", Variant(1000));
  params->SetValue("x", Variant(point.X));
  params->SetValue("y", Variant(point.Y));
  PlayEffect("ps_star_circle_wide", params);
  lastClick_ = levelClock_;
  lastFind_ = levelClock_;
  idle_ = 0;
  shineObject_ = nullptr;
  if (Ref<IWidget> shine = std::move(shineWidget_)) shine->SetDead(true);
  shineWidget_ = nullptr;
}

void TTavelor2GameScreenGame::OnWrongClick(const TPoint& point) {
  if (noLevelRunning_) return;
  combo_ = 0;
  if (LevelKind() != 4)
    wrongAccumulator_ = SaturateInt32(int64_t(wrongAccumulator_) + kWrongClickWeight);
  if (timed_ && wrongAccumulator_ > kPenaltyThreshold) {
    TickTimer(kPenaltyMs);
    Ref<IParamCollection> params = NewParamCollection();
    params->SetValue("x", Variant(point.X));
    params->SetValue("y", Variant(point.Y));
    params->SetValue("value", Variant(kPenaltyMs));
    params->SetValue("seconds", Variant(kPenaltyMs / 1000));
    PlayEffect("wrong_clicks_penalty", params);
    wrongAccumulator_ = 0;
    PlaySound("sound_wrong_clicks_penalty");
  }
  PlaySound("sound_wrong_click");
  lastClick_ = levelClock_;
  wrongClicks_ = SaturateInt32(int64_t(wrongClicks_) + 1);
}

void TTavelor2GameScreenGame::DecayClickCounters(int32_t elapsed) {
  if (lastClick_ >= 0 && int64_t(levelClock_) >= int64_t(lastClick_) + kComboWindowMs) {
    combo_ = 0;
    lastClick_ = -1;
  }
  if (wrongAccumulator_ > 0)
    wrongAccumulator_ = SaturateInt32(int64_t(wrongAccumulator_) - elapsed);
  else if (wrongAccumulator_ < 0)
    wrongAccumulator_ = 0;
}
