// Falling-object manager.

#include "gameplay/Tv2ManagerFallObj.h"

#include <cmath>

#include "foundation/CheckedMath.h"
#include "foundation/Params.h"

namespace {

constexpr uint8_t kModeHalfScenes = 1;
constexpr uint8_t kModeFindPlaces = 4;
constexpr int32_t kRightHalfShift = 512;

double Real(const Ref<IWidget>& widget, const char* name, double fallback) {
  return widget ? widget->GetProperty(name).ToDouble(fallback) : fallback;
}

// The group that holds the widget, when it is a widget.
Ref<IWidget> OwnerGroup(const Ref<IWidget>& widget) {
  if (!widget) return nullptr;
  return Ref<IWidget>(InterfaceCast<IWidget>(widget->GetOwner()));
}

std::string NameOf(const Ref<IWidget>& widget) {
  return widget ? widget->GetName() : std::string();
}

int32_t Sign(double value) {
  return value < 0 ? -1 : 1;
}

bool Finished(const Ref<IWidget>& widget) {
  return !widget || widget->IsDead();
}

}  // namespace

void TAbstractFallObjManager::Bind(IGameManagersOwner* owner) {
  owner_ = owner;
  Ref<IItemListPanelWidget> panel = owner ? owner->GetPanelManager() : nullptr;
  panelManager_ = panel ? panel->GetPanelManager() : nullptr;
  levelManager_ = owner ? owner->GetLevelManager() : nullptr;
  flights_.clear();
}

Ref<IWidget> TAbstractFallObjManager::CreateScreenWidget(const std::string& factory,
                                                         const Ref<IParamCollection>& params) {
  // The screen itself lends no factories to its root: its window's reach the animation
  // group through the group's owner chain.
  Ref<IWidgetOwner> group = Supports<IWidgetOwner>(owner_->GetWidgetGroup(gkAnimation));
  return group ? group->CreateWidgetFromFactory(factory, params) : nullptr;
}

uint8_t TAbstractFallObjManager::LevelMode() {
  return levelManager_ ? levelManager_->GetMode() : 0;
}

void TAbstractFallObjManager::ShowPanelItem(const Ref<ISceneObjectDef>& object, bool flying) {
  if (!panelManager_ || !object) return;
  Ref<IWidget> item = panelManager_->GetItemWidget(object);
  if (!item) return;
  // Kept beside the item's own properties, as the play screen keeps an object's records.
  item->SetExtraParam("fly_obj", Variant(flying ? 1 : 0));
  item->SetVisible(!flying || LevelMode() != kModeFindPlaces);
}

void TAbstractFallObjManager::SetUpClone(Clone& clone, const Ref<IWidget>& widget,
                                         const Ref<IWidget>& source) {
  clone.widget = widget;
  if (owner_) owner_->GetObjectDefs(widget, clone.object, clone.location);
  const Ref<IWidget>& from = source ? source : widget;
  clone.zoomX = Real(from, "zoomx", 1);
  clone.zoomY = Real(from, "zoomy", 1);
  if (source) {
    clone.zoomX = std::fabs(clone.zoomX);
    clone.zoomY = std::fabs(clone.zoomY);
  }
  ShowPanelItem(clone.object, true);
  double offsetX = 0, offsetY = 0;
  Ref<IWidget> group = OwnerGroup(from);
  if (group && group->GetName() != "objects_group") {
    offsetX = group->GetAnchorLeft();
    offsetY = group->GetAnchorTop();
  }
  clone.x = from->GetAnchorLeft() + offsetX;
  clone.y = from->GetAnchorTop() + offsetY;
}

std::string TAbstractFallObjManager::CloneName(const Flight& flight, int32_t k) const {
  return flight.key + "_clone" + std::to_string(k);
}

Ref<IWidget> TAbstractFallObjManager::AnimationClone(const Flight& flight, int32_t k) {
  Ref<IWidget> group = owner_ ? owner_->GetWidgetGroup(gkAnimation) : nullptr;
  return group ? group->FindWidget(CloneName(flight, k)) : nullptr;
}

void TAbstractFallObjManager::AddObject(const Ref<IWidget>& widget, const Ref<IWidget>& source) {
  if (!widget || !owner_) return;
  Flight& flight = flights_.emplace_back();
  flight.key = "kill_" + widget->GetName();
  flight.cloneCount = 1;
  SetUpClone(flight.clones[0], widget, source);
  MakeClones(flight);
  if (!source) widget->SetDead(true);
}

void TAbstractFallObjManager::AddPair(const Ref<IWidget>& first, const Ref<IWidget>& second,
                                      const Ref<IWidget>& secondSource,
                                      const Ref<IWidget>& firstSource) {
  if (!first || !owner_) return;
  Flight flight;
  flight.key = "kill_" + first->GetName();
  flight.cloneCount = second ? 2 : 1;
  SetUpClone(flight.clones[0], first, firstSource);
  if (second) SetUpClone(flight.clones[1], second, secondSource);
  // The double scene: each half stands shifted on the screen.
  Ref<IWidget> leftPart = OwnerGroup(owner_->GetWidgetGroup(gkLeftPart));
  Ref<IWidget> rightPart = OwnerGroup(owner_->GetWidgetGroup(gkRightPart));
  for (int32_t k = 0; k < flight.cloneCount; ++k) {
    Clone& clone = flight.clones[k];
    Ref<IWidget> group = OwnerGroup(clone.widget);
    std::string half = NameOf(OwnerGroup(group));
    const Ref<IWidget>& part = leftPart && half == leftPart->GetName()     ? leftPart
                               : rightPart && half == rightPart->GetName() ? rightPart
                                                                           : Ref<IWidget>();
    if (group && part)
      clone.x += -RoundHalfEven(Real(part, "shiftleft", 0)) + RoundHalfEven(part->GetAnchorLeft());
    else if (group)
      clone.x += RoundHalfEven(group->GetAnchorLeft());
  }
  flights_.push_back(std::move(flight));
  Flight& added = flights_.back();
  MakeClones(added);
  Ref<IWidget> clone0 = AnimationClone(added, 0), clone1 = AnimationClone(added, 1);
  if (clone0 && clone1) {
    double z0 = Real(clone0, "zoomx", 0), z1 = Real(clone1, "zoomx", 0);
    if ((z0 < 0 && z1 > 0) || (z0 > 0 && z1 < 0)) clone1->SetProperty("zoomx", Variant(-z1));
  }
  StartShow(added);
}

void TAbstractFallObjManager::MakeClones(Flight& flight) {
  for (int32_t k = 0; k < flight.cloneCount; ++k) {
    Clone& clone = flight.clones[k];
    const Ref<IWidget>& widget = clone.widget;
    IWidgetOwner* widgetOwner = widget ? widget->GetOwner() : nullptr;
    if (!widgetOwner) continue;
    Ref<IWidget> group = OwnerGroup(widget);
    int32_t d = 0;
    if (LevelMode() == kModeHalfScenes && group && group->GetName() != "objects_group") {
      d = -RoundHalfEven(group->GetAnchorLeft());
      Ref<IWidget> above = OwnerGroup(group);
      if (above) d -= RoundHalfEven(above->GetAnchorLeft());
      if (NameOf(above) == "right_part") d += kRightHalfShift;
    }
    Ref<IParamCollection> params = NewParamCollection();
    std::string name = CloneName(flight, k);
    params->SetValue("name", Variant(name));
    params->SetValue("z", Variant(widget->GetZ()));
    params->SetValue("centerx", widget->GetProperty("centerx"));
    params->SetValue("centery", widget->GetProperty("centery"));
    params->SetValue("anchor_left",
                     Variant(SaturateInt32(int64_t(RoundHalfEven(widget->GetAnchorLeft())) + d)));
    params->SetValue("anchor_top", Variant(RoundHalfEven(widget->GetAnchorTop())));
    params->SetValue("transparentlevel", Variant(widget->GetTransparentLevel()));
    params->SetValue("angle", widget->GetProperty("angle"));
    params->SetValue("zoomx", Variant(clone.zoomX));
    params->SetValue("zoomy", Variant(clone.zoomY));
    if (Ref<IWidget> inner = widget->FindWidget("inner_widget")) {
      for (const char* key : {"width", "height", "resourcename", "resourceleft", "resourcetop"})
        params->SetValue(key, inner->GetProperty(key));
    }
    // A copy standing where the object stood...
    Ref<IWidget> standing = widgetOwner->CreateWidgetFromFactory("widget_sceneobject", params);
    if (standing && group && group->GetChildren()) group->GetChildren()->Add(standing);
    // ...and an invisible one at its screen place, which flies.
    clone.x += d;
    params->SetValue("anchor_left", Variant(clone.x));
    params->SetValue("anchor_top", Variant(clone.y));
    params->SetValue("transparentlevel", Variant(0));
    Ref<IWidget> flying = widgetOwner->CreateWidgetFromFactory("widget_sceneobject", params);
    if (flying) owner_->AddWidgetToGroup(flying, gkAnimation, "");
  }
  StartShow(flight);
}

void TAbstractFallObjManager::StartShow(Flight& flight) {
  Ref<IParamCollection> params = NewParamCollection();
  for (int32_t k = 0; k < flight.cloneCount; ++k) {
    const Clone& clone = flight.clones[k];
    std::string suffix = "_clone" + std::to_string(k);
    std::string name = CloneName(flight, k);
    Ref<IWidget> anim = AnimationClone(flight, k);
    params->SetValue("name" + suffix, Variant(flight.key + "_" + std::to_string(k)));
    params->SetValue("endzoomx", Variant(Real(anim, "zoomx", 0) < 0 ? -1 : 1));
    params->SetValue("endzoomy", Variant(Real(anim, "zoomy", 0) < 0 ? -1 : 1));
    params->SetValue("endangle", Variant(0));
    if (panelManager_) panelManager_->AnimateItem(clone.object, params);
    Ref<IWidget> group = OwnerGroup(clone.widget);
    std::string near = NameOf(group) == "objects_group"
                           ? "objects_group/" + name
                           : "approaches_group/" + NameOf(group) + "/" + name;
    params->SetValue("near" + suffix, Variant(near));
    params->SetValue("anim" + suffix, Variant(name));
  }
  flight.showWidget = CreateScreenWidget("gamefield_find_obj_show", params);
  if (flight.showWidget) owner_->AddWidgetToGroup(flight.showWidget, gkAnimation, "");
  flight.showRunning = true;
}

void TAbstractFallObjManager::StartFall(Flight& flight) {
  flight.showRunning = false;
  Ref<IParamCollection> params = NewParamCollection();
  for (int32_t k = 0; k < flight.cloneCount; ++k) {
    std::string index = std::to_string(k);
    std::string suffix = "_clone" + index;
    Ref<IWidget> anim = AnimationClone(flight, k);
    Variant zoomX(Sign(Real(anim, "zoomx", 0))), zoomY(Sign(Real(anim, "zoomy", 0)));
    params->SetValue("name" + suffix, Variant(flight.key + "_" + index));
    params->SetValue("endzoomx", zoomX);
    params->SetValue("endzoomx" + index, zoomX);
    params->SetValue("centerzoomx" + index, zoomX);
    params->SetValue("endzoomy", zoomY);
    params->SetValue("endzoomy" + index, zoomY);
    params->SetValue("centerzoomy" + index, zoomY);
    params->SetValue("endangle", Variant(0));
    params->SetValue("endangle" + index, Variant(0));
    if (panelManager_) panelManager_->AnimateItem(flight.clones[k].object, params);
    params->SetValue("anim" + suffix, Variant(CloneName(flight, k)));
  }
  flight.fallWidget = CreateScreenWidget("gamefield_find_obj_fall", params);
  if (flight.fallWidget) {
    owner_->AddWidgetToGroup(flight.fallWidget, gkAnimation, "");
    flight.fallWidget->SetPaused(false);
  }
  flight.fallRunning = true;
}

void TAbstractFallObjManager::EndFlight(Flight& flight) {
  flight.fallRunning = false;
  for (int32_t k = 0; k < flight.cloneCount; ++k) {
    const Clone& clone = flight.clones[k];
    if (levelManager_) levelManager_->ObjectPlaced(clone.widget, clone.object, clone.location);
    ShowPanelItem(clone.object, false);
  }
  if (flight.showWidget) flight.showWidget->SetDead(true);
  if (flight.fallWidget) flight.fallWidget->SetDead(true);
}

void TAbstractFallObjManager::Update() {
  // From the last: a flight that ends is erased without skipping the one before it.
  for (size_t i = flights_.size(); i-- > 0;) {
    Flight& flight = flights_[i];
    if (flight.showRunning) {
      if (Finished(flight.showWidget)) StartFall(flight);
    } else if (flight.fallRunning && Finished(flight.fallWidget)) {
      EndFlight(flight);
      flights_.erase(flights_.begin() + std::ptrdiff_t(i));
    }
  }
}

void TAbstractFallObjManager::Clear() {
  for (Flight& flight : flights_) {
    if (flight.showWidget) flight.showWidget->SetDead(true);
    if (flight.fallWidget) flight.fallWidget->SetDead(true);
  }
  flights_.clear();
  Ref<IWidget> group = owner_ ? owner_->GetWidgetGroup(gkAnimation) : nullptr;
  if (group && group->GetChildren()) group->GetChildren()->RemoveDead();
}
