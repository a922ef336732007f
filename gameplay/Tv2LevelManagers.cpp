#include "gameplay/Tv2LevelManagers.h"

#include <cmath>
#include <cstdlib>

#include "foundation/CheckedMath.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/Random.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2GameplayScreen.h"
#include "shell/GameScreen.h"
#include "shell/WidgetFactories.h"

namespace {

constexpr const char* kUsedList = "names_activate_sequence";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

Ref<IWidget> Child(const Ref<IWidget>& container, std::string_view path) {
  return container ? container->FindWidget(path) : nullptr;
}

// Whether the object or its location carries an action that hints can point at.
bool HasHintAction(const Ref<ISceneObjectActionsOwner>& owner) {
  if (!owner) return false;
  Ref<ISceneObjectActionCollection> actions = owner->GetActions();
  for (int i = 0; actions && i < actions->Count(); ++i) {
    uint8_t type = actions->GetItem(Variant(i))->GetActionType();
    if (type == 8 || type == 1) return true;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Life

void TAbstractLevelManager::Init(IGameManagersOwner* owner) {
  owner_ = owner;
  panel_ = nullptr;
  if (owner_)
    if (Ref<IItemListPanelWidget> panel = owner_->GetPanelManager())
      panel_ = panel->GetPanelManager();
  objects_.assign(20, nullptr);
  remaining_ = 0;
  total_ = 0;
  fall_ = Supports<IFallObjManager>(CreateNamedObject("AbstractFallObjManager", "FallManager"));
  if (fall_) fall_->Bind(owner);
}

void TAbstractLevelManager::Done() {
  if (fall_) fall_->Clear();
  fall_ = nullptr;
  objects_.clear();
  if (panel_) panel_->Unbind();
  panel_ = nullptr;
  owner_ = nullptr;
}

void TAbstractLevelManager::Update() {
  if (owner_ && fall_) fall_->Update();
}

void TAbstractLevelManager::StartLevel() {
  running_ = true;
}

void TAbstractLevelManager::SetModeAndScenarios(uint8_t mode, const std::string& findScenario,
                                                const std::string& scoreScenario) {
  mode_ = mode;
  findScenario_ = findScenario;
  scoreScenario_ = scoreScenario;
}

bool TAbstractLevelManager::AllObjectsFound() {
  if (!running_) return false;
  for (const Ref<ISceneObjectDef>& object : objects_)
    if (object) return false;
  return true;
}

Ref<IWidget> TAbstractLevelManager::Group(uint8_t kind) {
  return owner_ ? owner_->GetWidgetGroup(kind) : nullptr;
}

void TAbstractLevelManager::ReplaceInGroup(const Ref<IWidget>& widget, uint8_t kind) {
  if (owner_ && widget) owner_->AddWidgetToGroup(widget, kind, {});
}

Ref<IWidget> TAbstractLevelManager::HintContainer() {
  if (!owner_) return nullptr;
  Ref<IWidget> container = owner_->GetOpenApproach();
  return container ? container : Group(gkObjects);
}

Ref<IWidget> TAbstractLevelManager::CreateOwnerWidget(const std::string& factoryName,
                                                      const Ref<IParamCollection>& params) {
  // The screen makes it through its root widget, which holds the window's factories.
  auto* screen = InterfaceCast<TGameScreen>(owner_);
  return screen ? screen->CreateWidget(factoryName, params) : nullptr;
}

int32_t TAbstractLevelManager::TaskKind() {
  return LevelKindOf(owner_ ? owner_->GetTask().get() : nullptr);
}

// ---------------------------------------------------------------------------------------
// The used list

void TAbstractLevelManager::ResetActivateSequence(const Ref<IUGDScene>& scene) {
  if (scene) scene->SetParamValue(kUsedList, Variant(";"));
}

std::string TAbstractLevelManager::GetActivateSequence(const Ref<IUGDScene>& scene) {
  return scene ? scene->GetParamValueDef(kUsedList, Variant(";")).ToString() : ";";
}

bool TAbstractLevelManager::AddToActivateSequence(const Ref<IUGDScene>& scene,
                                                  const std::string& listName,
                                                  const std::string& entry) {
  if (!scene) return false;
  std::string list = scene->GetParamValueDef(listName, Variant(";")).ToString();
  if (Contains(list, ";" + entry + ";")) return false;
  scene->SetParamValue(listName, Variant(";" + entry + list));
  return true;
}

// ---------------------------------------------------------------------------------------
// Objects of the level

void TAbstractLevelManager::AddLevelObject(const Ref<ISceneObjectDef>& object) {
  if (remaining_ + 1 >= int32_t(objects_.size())) objects_.resize(size_t(remaining_) + 3);
  objects_[size_t(remaining_)] = object;
  ++remaining_;
  ++total_;
}

bool TAbstractLevelManager::IsWantedObject(const Ref<ISceneObjectDef>& object) {
  if (!object) return false;
  uint8_t type = object->GetObjectType();
  if (type != mode_ && type != otDisposable) return false;
  return (panel_ && panel_->GetItemState(object)) || object->GetDisabledOnStart();
}

bool TAbstractLevelManager::ObjectFound(const Ref<IUGDScene>& scene,
                                        const Ref<ISceneObjectDef>& object,
                                        const Ref<ISceneObjectLocation>& location) {
  if (!object || !owner_) return false;
  if (panel_) panel_->MarkItemFound(object);
  bool answer = true;
  for (Ref<ISceneObjectDef>& slot : objects_) {
    if (slot.get() != object.get()) continue;
    if (scene && location)
      answer =
          AddToActivateSequence(scene, kUsedList, object->GetName() + "/" + location->GetName());
    slot = nullptr;
    --remaining_;
    CheckAmuletSign();
    owner_->UpdateObjectsLeftCount();
    break;
  }
  return answer;
}

int32_t TAbstractLevelManager::LeftToFindCount() {
  int32_t others = 0;
  for (const Ref<ISceneObjectDef>& object : objects_)
    if (object && object->GetObjectType() != otVoodooDoll) ++others;
  return others > 0 ? others : remaining_;
}

void TAbstractLevelManager::CheckAmuletSign() {
  if (remaining_ != 1) return;
  for (const Ref<ISceneObjectDef>& object : objects_) {
    if (!object) continue;
    if (object->GetObjectType() == otVoodooDoll)
      if (Ref<IWidget> sign = Child(Group(gkInterface), "button_amulet/sign")) {
        sign->Restart();
        sign->SetVisible(true);
      }
    return;
  }
}

void TAbstractLevelManager::AfterActivation(const Ref<IWidget>& widget,
                                            const Ref<ISceneObjectDef>& object,
                                            const Ref<ISceneObjectLocation>&) {
  if (!owner_) return;
  if (widget && object) widget->SetMouseStop(false);
  if (!AllObjectsFound()) return;
  Ref<IUserGameData> progress = owner_->GetUserGameData();
  if (progress && progress->GetDebugMode() == 1) owner_->LevelWon();
}

// ---------------------------------------------------------------------------------------
// Building the level

void TAbstractLevelManager::ReadLevelObjects(const Ref<IUGDScene>& scene,
                                             const Ref<ISceneDef>& sceneDef, uint8_t groupKind) {
  if (!scene || !owner_) return;
  ResetActivateSequence(scene);
  if (!owner_->SetCurrentScene(scene)) return;
  if (!sceneDef) return;

  Ref<ISceneApproachCollection> approaches = sceneDef->GetSceneApproaches();
  for (int i = 0; approaches && i < approaches->Count(); ++i) {
    Ref<IParamCollection> params = NewParamCollection();
    approaches->GetItem(Variant(i))->FillWidgetParams(params);
    owner_->AddWidgetToGroup(CreateOwnerWidget("widget_sceneapproach", params), gkApproaches, {});
  }

  const std::string usedList = scene->GetParamValueDef(kUsedList, Variant("")).ToString();
  auto list = [&](const char* name) {
    return scene->GetParamValueDef(name, Variant("")).ToString();
  };
  // A complete object goes into the panel before its parts: they are placed on it.
  const bool parts = mode_ == otHiddenPart;
  for (const char* name :
       {"ho_names", "io_names", parts ? "co_names" : "hp_names", parts ? "hp_names" : "co_names",
        "do_names", "ip_names", "aa_names", "vd_names"})
    AddListedLevelObjects(sceneDef.get(), list(name), usedList, groupKind, false);
  AddListedLevelObjects(sceneDef.get(), list("ng_names"), usedList, groupKind, true);

  BuildSceneView();

  TActionContext start;
  start.sceneDef = sceneDef.get();
  start.shift = groupKind == gkObjects ? 0 : sceneDef->GetIdenticalPartShift();
  start.groupKind = groupKind;
  start.usedList = usedList;
  Ref<ISceneObjectActionCollection> actions = sceneDef->GetActions();
  for (int i = 0; actions && i < actions->Count(); ++i)
    ExecuteAction(actions->GetItem(Variant(i)).get(), start);

  Ref<ISceneObjectDefCollection> objects = sceneDef->GetObjectDefs();
  for (const std::string& entry : SplitString(usedList, ';')) {
    std::string_view objectName, locationName;
    SplitWidgetPath(entry, objectName, locationName);
    Ref<ISceneObjectDef> object = objects->GetItem(Variant(std::string(objectName)));
    if (!object || !object->GetLocations()) continue;
    Ref<ISceneObjectLocation> location =
        object->GetLocations()->GetItem(Variant(std::string(locationName)));
    Ref<IWidget> widget = owner_->FindVisibleObjectWidget(object, groupKind, location);
    ActivateObject(sceneDef, object, location, start.shift, widget, TPoint{0, 0}, groupKind,
                   usedList, false);
  }
}

// What each object type of a list becomes:
//   0, 1, 2  unless used: a widget; of the level's type: a level object in the panel;
//            shown unless disabled on start
//   3        (hidden-parts levels) a hidden widget, and the object into the panel
//   4        hidden widgets at every location; a level object unless used (anywhere,
//            or here when all locations count); in the panel unless disabled on start
//   5, 6     scenery, shown unless disabled on start (always for the no-game list)
//   7        (modes 0 and 4) a faint doll that the amulet can catch
void TAbstractLevelManager::AddListedLevelObjects(ISceneDef* sceneDef, const std::string& list,
                                                  const std::string& usedList, uint8_t groupKind,
                                                  bool noGame) {
  Ref<ISceneObjectDefCollection> objects = sceneDef->GetObjectDefs();
  for (const std::string& entry : SplitString(list, ';')) {
    std::string_view objectName, locationName;
    SplitWidgetPath(entry, objectName, locationName);
    Ref<ISceneObjectDef> object = objects->GetItem(Variant(std::string(objectName)));
    if (!object) continue;
    Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
    if (!locations) continue;
    if (noGame) object->SetObjectType(otInactiveProp);
    const bool used = Contains(usedList, ";" + entry + ";");
    Ref<ISceneObjectLocation> location = locations->GetItem(Variant(std::string(locationName)));
    auto create = [&](const Ref<ISceneObjectLocation>& at) {
      Ref<IWidget> widget = owner_->CreateSceneObjectWidget(object, at, 0, groupKind);
      // A widget the generator made on the scene's first play holds the generator's own
      // reading of the scene: it gets this level's, which the panel and the finds know.
      if (widget && owner_->GetWidgetObjectDef(widget).get() != object.get()) {
        widget->SetExtraParam(TTv2GameplayScreen::kObjectDefParam,
                              Variant(Ref<IInterface>(object.get())));
        widget->SetExtraParam(TTv2GameplayScreen::kLocationParam,
                              Variant(Ref<IInterface>(at.get())));
      }
      return widget;
    };
    const bool disabled = object->GetDisabledOnStart();
    const uint8_t type = object->GetObjectType();
    switch (type) {
      case otHiddenObject:
      case otIdentical:
      case otHiddenPart: {
        if (used) break;
        Ref<IWidget> widget = create(location);
        if (type == mode_) {
          AddLevelObject(object);
          AddToPanel(widget, object, location);
        }
        if (widget && !disabled) widget->SetVisible(true);
        break;
      }
      case otComplete: {
        if (mode_ != otHiddenPart) break;
        if (Ref<IWidget> widget = create(location)) {
          widget->SetVisible(false);
          widget->SetMouseStop(false);
        }
        if (panel_) panel_->AddItem(object);
        break;
      }
      case otDisposable: {
        auto prepare = [&](const Ref<IWidget>& widget) {
          widget->SetVisible(false);
          widget->SetMouseStop(!disabled);
          widget->SetPaused(disabled);
        };
        Ref<IWidget> widget = create(location);
        if (!widget) break;
        prepare(widget);
        const bool taken = object->GetLocationsAllEnabled()
                               ? used
                               : Contains(usedList, ";" + object->GetName() + "/");
        if (taken) break;
        AddLevelObject(object);
        if (!disabled) AddToPanel(widget, object, location);
        for (int i = 0; i < locations->Count(); ++i)
          if (Ref<IWidget> other = create(locations->GetItem(Variant(i)))) prepare(other);
        break;
      }
      case otInactiveProp:
      case otActiveArea: {
        if (Ref<IWidget> widget = create(location)) {
          if (!disabled || noGame) widget->SetVisible(true);
          widget->SetMouseStop(type == otActiveArea);
        }
        break;
      }
      case otVoodooDoll: {
        if (mode_ != otHiddenObject && mode_ != otDisposable) break;
        Ref<IWidget> widget = create(location);
        if (!used) AddLevelObject(object);
        if (widget) {
          widget->SetMouseStop(true);
          widget->SetVisible(true);
          widget->SetTransparentLevel(2);
          owner_->EnableAmulet(widget);
        }
        if (Ref<IWidget> amulet = Child(Group(gkInterface), "button_amulet"))
          amulet->SetMouseStop(true);
        break;
      }
      default:
        break;
    }
  }
}

void TAbstractLevelManager::AddToPanel(const Ref<IWidget>& widget,
                                       const Ref<ISceneObjectDef>& object,
                                       const Ref<ISceneObjectLocation>& location) {
  if (!panel_) return;
  panel_->AddItem(object);
  if (widget) widget->SetMouseStop(panel_->GetItemState(object));
  panel_->FitItem(location);
}

void TAbstractLevelManager::CreateSceneWidgets(const Ref<ISceneDef>& sceneDef, uint8_t groupKind,
                                               int32_t shift) {
  if (!sceneDef || !owner_) return;
  Ref<IParamCollection> params = NewParamCollection();
  Ref<IUserGameData> progress = owner_->GetUserGameData();
  params->SetValue("play_mode", Variant(int32_t(progress ? progress->GetPlayMode() : 0)));
  // Find-identical levels show no approaches.
  if (TaskKind() != 2) {
    Ref<ISceneApproachCollection> approaches = sceneDef->GetSceneApproaches();
    for (int i = 0; approaches && i < approaches->Count(); ++i) {
      Ref<ISceneApproach> approach = approaches->GetItem(Variant(i));
      for (const std::string& name : SplitString(approach->GetApproachShowFactories(), ';'))
        owner_->AddWidgetToGroup(sceneDef->CreateWidget(name, params), gkApproaches,
                                 approach->GetName());
    }
  }
  const std::string factories =
      shift != 0 ? sceneDef->GetIdenticalShowFactories() : sceneDef->GetSceneShowFactories();
  for (const std::string& name : SplitString(factories, ';')) {
    Ref<IWidget> widget = sceneDef->CreateWidget(name, params);
    if (!widget) continue;
    widget->SetAnchorLeft(widget->GetAnchorLeft() - shift);
    owner_->AddWidgetToGroup(widget, groupKind, {});
  }
}

void TAbstractLevelManager::ShuffleLevelObjects() {
  if (!panel_) return;
  std::vector<int32_t> positions;
  bool anyFirst = false;
  for (size_t i = 0; i < objects_.size(); ++i) {
    const Ref<ISceneObjectDef>& object = objects_[i];
    if (!object) continue;
    Ref<IWidget> item = panel_->GetItemWidget(object);
    if (!item || !item->IsVisible()) continue;
    positions.push_back(int32_t(i));
    anyFirst = anyFirst || object->GetFirstGeneration();
  }
  // Without an object placed first the generator's order stands.
  if (!anyFirst) return;
  for (int32_t j : positions) SwapLevelObjects(j, positions[size_t(Random(int(positions.size())))]);
}

void TAbstractLevelManager::SwapLevelObjects(int32_t i, int32_t j) {
  if (i < 0 || j < 0 || size_t(i) >= objects_.size() || size_t(j) >= objects_.size()) return;
  std::swap(objects_[size_t(i)], objects_[size_t(j)]);
  if (panel_) panel_->SwapItems(objects_[size_t(i)], objects_[size_t(j)]);
}

// ---------------------------------------------------------------------------------------
// Clicks

Ref<IWidget> TAbstractLevelManager::PlacementHitTest(const Ref<ISceneObjectDef>& object,
                                                     const TPoint& point,
                                                     const std::string& approachName,
                                                     const Ref<IUGDScene>& scene) {
  if (!object || !owner_) return nullptr;
  Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
  if (!locations) return nullptr;
  const double halfW = object->GetWidth() / 2;
  const double halfH = object->GetHeight() / 2;
  const std::string used = GetActivateSequence(scene);
  for (int i = 0; i < locations->Count(); ++i) {
    Ref<ISceneObjectLocation> location = locations->GetItem(Variant(i));
    if (location->GetApproachName() != approachName) continue;
    const double x = point.X, y = point.Y;
    const double left = location->GetAnchorLeft(), top = location->GetAnchorTop();
    const double spanX = std::fabs(location->GetZoomX()) * halfW + 10;
    const double spanY = std::fabs(location->GetZoomY()) * halfH + 10;
    if (!(x > left - spanX && x < left + spanX && y > top - spanY && y < top + spanY)) continue;
    if (scene && Contains(used, ";" + object->GetName() + "/" + location->GetName() + ";"))
      continue;
    Ref<IWidget> widget = owner_->FindSceneObjectWidget(object, location, gkObjects);
    if (widget && widget->IsMouseStop()) return widget;
  }
  return nullptr;
}

int32_t TAbstractLevelManager::FindScore(int32_t timeSinceLastFind) {
  // Two finds in the same millisecond count as 1 ms apart.
  const double ms = timeSinceLastFind < 1 ? 1.0 : double(timeSinceLastFind);
  return RoundHalfEven(std::sqrt(50000000.0 / ms));
}

void TAbstractLevelManager::ActivateObject(const Ref<ISceneDef>& sceneDef,
                                           const Ref<ISceneObjectDef>& object,
                                           const Ref<ISceneObjectLocation>& location, int32_t shift,
                                           const Ref<IWidget>& widget, const TPoint& point,
                                           uint8_t groupKind, const std::string& usedList,
                                           bool activating) {
  if (!object || !owner_) return;
  Ref<IParamCollection> params = NewParamCollection();
  if (location) {
    params->SetValue("anchor_left",
                     Variant(SaturateInt32(int64_t(location->GetAnchorLeft()) + shift)));
    params->SetValue("anchor_top", Variant(location->GetAnchorTop()));
    if (widget) params->SetValue("name", Variant(object->GetName() + "_" + location->GetName()));
  } else if (widget) {
    params->SetValue("anchor_left",
                     Variant(SaturateInt32(int64_t(TruncSat(widget->GetAnchorLeft())) + shift)));
    params->SetValue("anchor_top", Variant(TruncSat(widget->GetAnchorTop())));
    params->SetValue("name", Variant(object->GetName()));
  }

  if (activating) {
    int32_t x = point.X, y = std::max(point.Y, 30);
    if (point.X < 0 || point.Y < 0) {
      x = 683;
      y = 384;
    }
    params->SetValue("x", Variant(x));
    params->SetValue("y", Variant(y));
    const uint8_t type = object->GetObjectType();
    if ((type == mode_ || type == otVoodooDoll) && groupKind != gkRightPart) {
      params->SetValue("caption", Variant(object->GetCaption()));
      owner_->AddScores(FindScore(owner_->GetTimeSinceLastFind()));
      Ref<IWidget> score = CreateOwnerWidget(scoreScenario_, params);
      Ref<IWidget> animations = Group(gkAnimation);
      if (score && animations && animations->GetChildren()) {
        animations->GetChildren()->Add(score);
        // Keep the flying score on the screen.
        if (Ref<IWidget> text = Child(score, "text")) {
          const double width =
              text->GetPropertyDef("textwidth", Variant(text->GetWidth())).ToDouble();
          const double excess = width + score->GetLeft() + 30 - DesignWidth;
          if (excess > 0) score->SetAnchorLeft(score->GetAnchorLeft() - excess);
        }
      }
    }
  }

  if (widget) widget->SetVisible(!object->GetHideOnActivation());

  if (!location) return;
  const std::string widgetName =
      widget ? widget->GetName() : object->GetName() + "_" + location->GetName();
  params->SetValue("widgetname", Variant(widgetName));
  params->SetValue("zoom", Variant(location->GetZoomX()));
  params->SetValue("angle", Variant(location->GetAngle()));

  TActionContext context;
  context.sceneDef = sceneDef.get();
  context.approachName = location->GetApproachName();
  context.shift = shift;
  context.widget = widget.get();
  context.point = point;
  context.groupKind = groupKind;
  context.usedList = usedList;
  context.params = params.get();
  context.activating = activating;
  for (ISceneObjectActionsOwner* owner : {static_cast<ISceneObjectActionsOwner*>(location.get()),
                                          static_cast<ISceneObjectActionsOwner*>(object.get()),
                                          static_cast<ISceneObjectActionsOwner*>(sceneDef.get())}) {
    if (!owner) continue;
    Ref<ISceneObjectActionCollection> actions = owner->GetActions();
    for (int i = 0; actions && i < actions->Count(); ++i)
      ExecuteAction(actions->GetItem(Variant(i)).get(), context);
  }
}

void TAbstractLevelManager::StartFindAnimation(const Ref<IWidget>& widget, bool force) {
  if ((findScenario_.empty() && !force) || !widget || !owner_) return;
  Ref<ISceneObjectDef> object;
  Ref<ISceneObjectLocation> location;
  owner_->GetObjectDefs(widget, object, location);
  if (!object || !panel_ || !panel_->GetItemWidget(object) || !fall_) return;
  // Made before the flight, which takes the widget out of the scene.
  if (!LandingEndsActivation()) PlayFindScenario(widget);
  fall_->AddObject(widget, nullptr);
}

void TAbstractLevelManager::PlayFindScenario(const Ref<IWidget>& widget) {
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("widgetname", Variant(widget->GetName()));
  Ref<IWidget> scenario = CreateOwnerWidget(findScenario_, params);
  if (!scenario) return;
  // Given, not looked up by name: the widget may share its name with one in an approach.
  scenario->SetProperty("widget", Variant(Ref<IInterface>(widget.get())));
  owner_->AddWidgetToGroup(scenario, gkAnimation, {});
}

// ---------------------------------------------------------------------------------------
// Hints

Ref<IWidget> TAbstractLevelManager::ChooseHintObject() {
  Ref<IWidget> container = HintContainer();
  Ref<IWidgetCollection> children = container ? container->GetChildren() : nullptr;
  if (!children) return nullptr;
  auto notShine = [](const Ref<IWidget>& child) {
    return child->GetPropertyDef("not_shine", Variant(0)).ToInt();
  };
  // A second round after the marks of clicked widgets are cleared.
  for (int round = 0; round < 2; ++round) {
    std::vector<Ref<IWidget>> candidates;
    bool marked = false;
    for (int i = 0; i < children->Count(); ++i) {
      Ref<IWidget> child = children->GetByIndex(i);
      if (!child->IsVisible() || !child->IsMouseStop()) continue;
      Ref<ISceneObjectDef> object;
      Ref<ISceneObjectLocation> location;
      owner_->GetObjectDefs(child, object, location);
      if (!HasHintAction(location) && !HasHintAction(object)) continue;
      if (notShine(child) != 0) {
        marked = true;
        continue;
      }
      candidates.push_back(child);
    }
    if (!candidates.empty()) return candidates[size_t(Random(int(candidates.size())))];
    if (!marked) break;
    for (int i = 0; i < children->Count(); ++i) {
      Ref<IWidget> child = children->GetByIndex(i);
      if (notShine(child) != 0) child->SetProperty("not_shine", Variant(0));
    }
  }
  return nullptr;
}

void TAbstractLevelManager::ShowHintText(const std::string& key) {
  if (!owner_) return;
  Ref<IWidget> hint = owner_->FindWidget("texthint");
  if (!hint) return;
  if (Ref<IWidget> text = Child(hint, "text")) text->SetProperty("text", Variant("%" + key + "%"));
  if (Ref<IWidget> show = Child(hint, "show")) show->SetPaused(false);
}
