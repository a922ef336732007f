#include "gameplay/Tv2GameplayScreen.h"

#include <exception>

#include "foundation/Random.h"
#include "gameplay/Tv2SceneGenerator.h"

namespace {

constexpr const char* kPanelPath = "ui_group/panel_scrollarea/ui_obj_list_panel";

// The interface a widget property holds, or nothing (no value, another kind, a failure).
template <class I>
Ref<I> PropertyAs(const Ref<IWidget>& widget, const char* name) {
  try {
    return Supports<I>(widget->GetProperty(name).RawInterface());
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace

Ref<IWidget> ChildNamed(const Ref<IWidget>& container, std::string_view name) {
  if (!container) return nullptr;
  Ref<IWidgetCollection> children = container->GetChildren();
  return children ? children->GetByName(name) : nullptr;
}

// ---------------------------------------------------------------------------------------
// What the screen holds

Ref<ISceneDefRefCollection> TTv2GameplayScreen::GetSceneDefs() {
  if (!owner_) return nullptr;
  return Supports<ISceneDefRefCollection>(owner_->GetParamValue("scene_defs").RawInterface());
}

Ref<IItemListPanelWidget> TTv2GameplayScreen::GetPanelManager() {
  return Supports<IItemListPanelWidget>(FindWidget(kPanelPath));
}

Ref<IWidget> TTv2GameplayScreen::GetWidgetGroup(uint8_t kind) {
  std::string_view path = WidgetGroupPath(kind);
  return path.empty() ? nullptr : FindWidget(path);
}

Ref<IWidget> TTv2GameplayScreen::GetApproach(const std::string& name) {
  return ChildNamed(GetWidgetGroup(gkApproaches), name);
}

void TTv2GameplayScreen::SetWidgetVisible(const Ref<IWidget>& widget, bool visible) {
  if (widget) widget->SetVisible(visible);
}

int32_t TTv2GameplayScreen::LevelKind() {
  return LevelKindOf(task_.get());
}

Ref<ISceneGenerator> TTv2GameplayScreen::MakeSceneGenerator() {
  return Ref<ISceneGenerator>(TAbstractObject::Create<TTavelor2SceneGenerator>().get());
}

Ref<IWidget> TTv2GameplayScreen::MakeSceneObjectWidget(const Ref<ISceneObjectDef>& object,
                                                       const Ref<ISceneObjectLocation>& location) {
  Ref<IParamCollection> params = NewParamCollection();
  object->FillWidgetParams(location->GetName(), params);
  return CreateWidget("widget_sceneobject", params);
}

// ---------------------------------------------------------------------------------------
// The scene's widgets

bool TTv2GameplayScreen::SetCurrentScene(const Ref<IUGDScene>& scene) {
  if (!scene) return false;
  bool result = true;
  if (!scene->IsGenerated()) {
    Ref<ISceneGenerator> generator = MakeSceneGenerator();
    if (!generator) return false;
    generator->Init(this);
    result = generator->GenerateLevel(scene, -1);
    generator->Done();
    if (result && userGameData_) userGameData_->StoreToProfile(owner_);
  }
  if (!result) return false;
  if (scene_) previousScene_ = scene_;
  scene_ = scene;
  return true;
}

bool TTv2GameplayScreen::GetObjectDefs(const Ref<IWidget>& widget, Ref<ISceneObjectDef>& object,
                                       Ref<ISceneObjectLocation>& location) {
  object = nullptr;
  location = nullptr;
  if (!widget) return false;
  object = PropertyAs<ISceneObjectDef>(widget, kObjectDefParam);
  if (!object) return false;
  Variant value;
  try {
    value = widget->GetProperty(kLocationParam);
  } catch (const std::exception&) {
    return false;
  }
  if (value.IsClear() || (value.IsString() && value.RawText().empty())) return true;
  location = Supports<ISceneObjectLocation>(value.RawInterface());
  return bool(location);
}

Ref<ISceneObjectDef> TTv2GameplayScreen::GetWidgetObjectDef(const Ref<IWidget>& widget) {
  if (!widget || widget->GetName() == "background_widget") return nullptr;
  return PropertyAs<ISceneObjectDef>(widget, kObjectDefParam);
}

Ref<IWidget> TTv2GameplayScreen::FindSceneObjectWidget(const Ref<ISceneObjectDef>& object,
                                                       const Ref<ISceneObjectLocation>& location,
                                                       uint8_t kind) {
  if (!object || !location) return nullptr;
  Ref<IWidget> container;
  std::string approach = location->GetApproachName();
  if (!approach.empty()) {
    container = GetApproach(approach);
  } else {
    container = GetWidgetGroup(kind);
    if (!container) container = GetWidgetGroup(gkObjects);
  }
  if (!container) return nullptr;
  std::string name = object->GetName();
  if (Ref<IWidget> widget = ChildNamed(container, name + "_" + location->GetName())) return widget;
  return ChildNamed(container, name);
}

Ref<IWidget> TTv2GameplayScreen::FindVisibleObjectWidget(
    const Ref<ISceneObjectDef>& object, uint8_t kind, const Ref<ISceneObjectLocation>& location) {
  if (location) return FindSceneObjectWidget(object, location, kind);
  if (!object) return nullptr;
  Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
  for (int i = 0; i < locations->Count(); ++i) {
    Ref<IWidget> widget = FindSceneObjectWidget(object, locations->GetItem(Variant(i)), kind);
    if (widget && widget->IsMouseStop()) return widget;
  }
  return nullptr;
}

Ref<IWidget> TTv2GameplayScreen::CreateSceneObjectWidget(const Ref<ISceneObjectDef>& object,
                                                         const Ref<ISceneObjectLocation>& location,
                                                         int32_t shiftX, uint8_t kind) {
  if (!object || !location) return nullptr;
  if (Ref<IWidget> widget = FindVisibleObjectWidget(object, kind, location)) return widget;
  Ref<IWidget> widget = MakeSceneObjectWidget(object, location);
  if (!widget) return nullptr;
  // Kept as extra parameters: a widget keeps only the properties its class declares.
  widget->SetExtraParam(kObjectDefParam, Variant(Ref<IInterface>(object.get())));
  widget->SetExtraParam(kLocationParam, Variant(Ref<IInterface>(location.get())));

  Ref<IWidget> target;
  std::string approach = location->GetApproachName();
  Ref<IWidget> approaches = GetWidgetGroup(gkApproaches);
  if (!approach.empty() && approaches) {
    // An approach not made yet (they come after generation) takes nothing: the widget is
    // made again in the approach when the level builds it.
    target = ChildNamed(approaches, approach);
  } else {
    widget->SetAnchorLeft(widget->GetAnchorLeft() - shiftX);
    // The generator's kind 0 names no group: its objects go where the finders look first.
    target = GetWidgetGroup(kind);
    if (!target) target = GetWidgetGroup(gkObjects);
  }
  if (target)
    if (Ref<IWidgetCollection> children = target->GetChildren()) children->Add(widget);
  return widget;
}

Ref<IWidget> TTv2GameplayScreen::FindSceneWidget(const Ref<IWidget>& widget,
                                                 const std::string& name,
                                                 const std::string& approachName) {
  auto in = [&](const Ref<IWidget>& container) -> Ref<IWidget> {
    return container ? container->FindWidget(name) : nullptr;
  };
  auto inGroups = [&]() -> Ref<IWidget> {
    for (uint8_t kind : {gkObjects, gkLeftPart, gkRightPart})
      if (Ref<IWidget> found = in(GetWidgetGroup(kind))) return found;
    return nullptr;
  };
  Ref<IWidget> found;
  Ref<IWidget> approaches = GetWidgetGroup(gkApproaches);
  if (openApproach_) {
    found = in(openApproach_);
    if (!found) found = inGroups();
  } else if (!approachName.empty() && approaches) {
    found = in(ChildNamed(approaches, approachName));
    if (!found) found = inGroups();
  } else if (widget && widget->GetOwner()) {
    found = widget->GetOwner()->FindWidget(name);
  } else {
    found = in(GetWidgetGroup(gkObjects));
  }
  if (found) return found;
  if (approaches)
    if (Ref<IWidgetCollection> children = approaches->GetChildren())
      for (int i = 0; i < children->Count(); ++i)
        if ((found = in(children->GetByIndex(i)))) return found;
  for (uint8_t kind : {gkLeftPart, gkRightPart})
    if ((found = in(GetWidgetGroup(kind)))) return found;
  return nullptr;
}

Ref<IWidget> TTv2GameplayScreen::ResolveWidgetPath(bool random, std::string& pathPrefix) {
  Ref<IWidget> container;
  if (openApproach_) {
    container = openApproach_;
    pathPrefix = "approaches_group/" + openApproach_->GetName() + "/";
  } else if (LevelKind() == 2 && (container = GetWidgetGroup(gkLeftPart))) {
    pathPrefix = "left_part/objects_group/";
  } else {
    container = GetWidgetGroup(gkObjects);
    pathPrefix = "objects_group/";
  }
  Ref<IWidgetCollection> children = container ? container->GetChildren() : nullptr;
  if (!children || !levelManager_) return nullptr;
  Ref<IWidget> animations = GetWidgetGroup(gkAnimation);
  const bool findPlaces = LevelKind() == 4;
  auto qualifies = [&](const Ref<IWidget>& child) {
    if (!child || !levelManager_->IsWantedObject(GetWidgetObjectDef(child))) return false;
    // Its hint is already on its way.
    if (ChildNamed(animations, "hint_scenario_" + child->GetName())) return false;
    return !findPlaces || !child->IsVisible();
  };
  int count = 0;
  if (random)
    for (int i = 0; i < children->Count(); ++i) count += qualifies(children->GetByIndex(i));
  int wanted = random ? Random(count) : 0;
  for (int i = 0; i < children->Count(); ++i) {
    Ref<IWidget> child = children->GetByIndex(i);
    if (!qualifies(child)) continue;
    if (wanted-- == 0) return child;
  }
  return nullptr;
}

void TTv2GameplayScreen::AddWidgetToGroup(const Ref<IWidget>& widget, uint8_t kind,
                                          const std::string& subPath) {
  if (!widget) return;
  Ref<IWidget> target = GetWidgetGroup(kind);
  if (target && !subPath.empty()) target = target->FindWidget(subPath);
  Ref<IWidgetCollection> children = target ? target->GetChildren() : nullptr;
  if (!children) return;
  // A widget of the same name is replaced.
  if (Ref<IWidget> old = children->GetByName(widget->GetName())) {
    old->SetDead(true);
    children->RemoveDead();
  }
  children->Add(widget);
}

std::string TTv2GameplayScreen::GetAnimationGroupPath(const std::string& base) {
  if (base.empty()) return {};
  Ref<IWidget> animations = GetWidgetGroup(gkAnimation);
  std::string name = base;
  for (int number = 1; ChildNamed(animations, name); ++number) name = base + std::to_string(number);
  return name;
}

void TTv2GameplayScreen::PlayEffect(const std::string& factoryName,
                                    const Ref<IParamCollection>& params) {
  Ref<IParamCollection> values = params ? params : NewParamCollection();
  values->SetValue("name", Variant(GetAnimationGroupPath(factoryName)));
  AddWidgetToGroup(CreateWidget(factoryName, values), gkAnimation, {});
}

void TTv2GameplayScreen::SwitchWidget(const Ref<IWidget>& widget, const std::string& name,
                                      bool fade, bool on, int32_t delay,
                                      const std::string& approachName) {
  Ref<IWidget> target = FindSceneWidget(widget, name, approachName);
  if (!target) return;
  if (fade && on) {
    target->SetTransparentLevel(0);
    ShowSceneWidget(target, true);
    StartSmoothAction(target, 255, delay, false);
  } else if (fade) {
    StartSmoothAction(target, 0, delay, true);
  } else if (delay <= 0) {
    ShowSceneWidget(target, on);
  } else {
    QueueDelayedAction(target, on, false, delay);
  }
}

void TTv2GameplayScreen::StartSmoothAction(const Ref<IWidget>& target, int32_t value,
                                           int32_t duration, bool hideOnEnd) {
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("name", Variant(target->GetName()));
  params->SetValue("properties", Variant("transparentlevel"));
  params->SetValue("value", Variant(value));
  params->SetValue("duration", Variant(duration));
  Ref<IWidget> action = CreateWidget("smooth_action", params);
  if (!action) return;
  AddWidgetToGroup(action, gkAnimation, {});
  action->SetProperty("widget", Variant(Ref<IInterface>(target.get())));
  action->SetProperty("hide_on_end", Variant(hideOnEnd));
}
