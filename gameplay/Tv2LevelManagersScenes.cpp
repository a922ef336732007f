// Levels on one scene (with the voodoo dolls and the amulet) and on two half-scenes.

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "gameplay/Tv2LevelManagers.h"

namespace {

constexpr const char* kUsedList = "names_activate_sequence";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The scene named by the task's parameter Name and its definition: the definition
// reference of that name, else the one the player's scene names as its "scenename".
bool LoadLevelScene(IGameManagersOwner* owner, const std::string& name, Ref<ISceneDef>& sceneDef,
                    Ref<IUGDScene>& scene) {
  sceneDef = nullptr;
  scene = nullptr;
  if (!owner) return false;
  Ref<IUGDTask> task = owner->GetTask();
  Ref<IUserGameData> progress = owner->GetUserGameData();
  if (!task || !task->GetParams() || !progress) return false;
  const std::string sceneName = task->GetParamValueDef(name, Variant("")).ToString();
  if (Ref<IUGDSceneCollection> scenes = progress->GetScenes())
    scene = scenes->GetItem(Variant(sceneName));
  Ref<ISceneDefRefCollection> refs = owner->GetSceneDefs();
  Ref<ISceneDefRef> ref = refs ? refs->GetItem(Variant(sceneName)) : nullptr;
  if (!ref && refs && scene)
    ref = refs->GetItem(Variant(scene->GetParamValueDef("scenename", Variant("")).ToString()));
  if (ref) sceneDef = ref->LoadSceneDef();
  if (sceneDef) sceneDef->SetEngine(owner->GetEngine());
  return sceneDef && scene;
}

void ReleaseSceneDef(Ref<ISceneDef>& sceneDef) {
  if (sceneDef) {
    sceneDef->RemoveResources();
    sceneDef->ReleaseEngine();
  }
  sceneDef = nullptr;
}

Ref<IMusic> SceneMusic(IGameManagersOwner* owner, const Ref<ISceneDef>& sceneDef) {
  if (!owner || !sceneDef) return nullptr;
  auto* screen = InterfaceCast<IGameScreenSlave>(owner);
  Ref<IMusicCollection> musics = screen ? screen->GetMusics() : nullptr;
  return musics ? musics->FindMusic(Variant(sceneDef->GetSceneMusicName())) : nullptr;
}

void PlayMusic(IGameManagersOwner* owner, const Ref<ISceneDef>& sceneDef, bool play) {
  Ref<IMusic> music = SceneMusic(owner, sceneDef);
  IEngine* engine = owner ? owner->GetEngine() : nullptr;
  if (!music || !engine) return;
  if (play)
    engine->PlayMusic(music);
  else
    engine->StopMusic(music);
}

Ref<IWidget> PickOne(const std::vector<Ref<IWidget>>& candidates) {
  return candidates.empty() ? nullptr : candidates[size_t(Random(int(candidates.size())))];
}

}  // namespace

// ---------------------------------------------------------------------------------------
// One scene

Ref<IResourceDefCollection> TSingleSceneLevelManager::LoadScene() {
  if (!LoadLevelScene(owner_, "scenename", sceneDef_, scene_)) return nullptr;
  return sceneDef_->GetResourceDefs();
}

void TSingleSceneLevelManager::Done() {
  ReleaseSceneDef(sceneDef_);
  scene_ = nullptr;
  voodooDialog_ = nullptr;
  savedWidget_ = nullptr;
  savedObject_ = nullptr;
  savedLocation_ = nullptr;
  TAbstractLevelManager::Done();
}

void TSingleSceneLevelManager::BuildSceneView() {
  CreateSceneWidgets(sceneDef_, gkObjects, 0);
}

void TSingleSceneLevelManager::StartLevel() {
  TAbstractLevelManager::StartLevel();
  if (owner_)
    owner_->AddWidgetToGroup(CreateOwnerWidget("background_widget", nullptr), gkBackground, {});
}

void TSingleSceneLevelManager::PlaySceneMusic() {
  PlayMusic(owner_, sceneDef_, true);
}

void TSingleSceneLevelManager::StopSceneMusic() {
  PlayMusic(owner_, sceneDef_, false);
}

Ref<IWidget> TSingleSceneLevelManager::RunSceneAction(const std::string& name,
                                                      const Ref<IParamCollection>& params) {
  return sceneDef_ ? sceneDef_->CreateWidget(name, params) : nullptr;
}

Ref<IWidget> TSingleSceneLevelManager::PlacementHitTest(const Ref<ISceneObjectDef>& object,
                                                        const TPoint& point,
                                                        const std::string& approachName,
                                                        const Ref<IUGDScene>& scene) {
  return TAbstractLevelManager::PlacementHitTest(object, point, approachName,
                                                 scene ? scene : scene_);
}

bool TSingleSceneLevelManager::ObjectClicked(const Ref<IWidget>& widget,
                                             const Ref<ISceneObjectDef>& object,
                                             const Ref<ISceneObjectLocation>& location,
                                             const TPoint& point) {
  if (!owner_) return false;
  if (owner_->IsAmuletActive()) {
    // The amulet catches dolls only.
    if (!object || object->GetObjectType() != otVoodooDoll) return false;
    VoodooFound(widget, object, location);
    ActivateObject(sceneDef_, object, location, 0, widget, point, gkObjects, {}, true);
    owner_->StopAmulet();
    if (Ref<IWidget> amulet =
            Group(gkInterface) ? Group(gkInterface)->FindWidget("button_amulet") : nullptr) {
      amulet->SetMouseStop(false);
      amulet->SetEnabled(false);
    }
    return false;
  }
  if (IsWantedObject(object)) {
    StartFindAnimation(widget, false);
    ActivateObject(sceneDef_, object, location, 0, widget, point, gkObjects, {}, true);
    return true;
  }
  OnMiss(widget);
  return false;
}

bool TSingleSceneLevelManager::ActivateAtLocation(const Ref<IWidget>& widget,
                                                  const Ref<ISceneObjectDef>& object,
                                                  const TPoint& point,
                                                  const Ref<ISceneObjectLocation>& location) {
  if (!owner_ || !object) return false;
  bool answer = location && AddToActivateSequence(scene_, kUsedList,
                                                  object->GetName() + "/" + location->GetName());
  ActivateObject(sceneDef_, object, location, 0, widget, point, gkObjects, {}, true);
  return answer;
}

void TSingleSceneLevelManager::AfterActivation(const Ref<IWidget>& widget,
                                               const Ref<ISceneObjectDef>& object,
                                               const Ref<ISceneObjectLocation>& location) {
  if (!owner_ || !ObjectFound(scene_, object, location)) return;
  Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
  if (object->GetLocationsAllEnabled() && locations) {
    // The item leaves the panel once the object stands at every one of its places.
    const std::string used = GetActivateSequence(scene_);
    bool everywhere = true;
    for (int i = 0; i < locations->Count() && everywhere; ++i)
      everywhere = Contains(
          used, ";" + object->GetName() + "/" + locations->GetItem(Variant(i))->GetName() + ";");
    if (everywhere && panel_) panel_->ObjectFound(object);
  } else if (panel_) {
    panel_->ObjectFound(object);
  }
  TAbstractLevelManager::AfterActivation(widget, object, location);
}

Ref<IWidget> TSingleSceneLevelManager::ChooseWantedHintObject() {
  if (!owner_ || !panel_) return nullptr;
  Ref<IWidget> container = HintContainer();
  if (!container) return nullptr;
  const std::string containerName = container->GetName();
  std::vector<Ref<IWidget>> candidates;
  for (const Ref<ISceneObjectDef>& object : objects_) {
    if (!object) continue;
    Ref<IWidget> item = panel_->GetItemWidget(object);
    if (!item || !item->IsVisible()) continue;
    Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
    for (int i = 0; locations && i < locations->Count(); ++i) {
      Ref<IWidget> widget =
          owner_->FindSceneObjectWidget(object, locations->GetItem(Variant(i)), gkObjects);
      if (!widget || !widget->IsMouseStop() || !widget->GetOwner()) continue;
      if (widget->GetOwner()->GetName() == containerName) candidates.push_back(widget);
    }
  }
  return PickOne(candidates);
}

void TSingleSceneLevelManager::Update() {
  TAbstractLevelManager::Update();
  if (!voodooPending_) return;
  if (voodooDialog_ && !voodooDialog_->IsDead() && voodooDialog_->GetOwner()) return;
  voodooPending_ = false;
  voodooDialog_ = nullptr;
  // Moved out first: AfterActivation may end the level and clear them.
  Ref<IWidget> widget = std::move(savedWidget_);
  Ref<ISceneObjectDef> object = std::move(savedObject_);
  Ref<ISceneObjectLocation> location = std::move(savedLocation_);
  AfterActivation(widget, object, location);
  if (owner_ && !voodooPending_) ArmAmuletForNextDoll();
}

void TSingleSceneLevelManager::ArmAmuletForNextDoll() {
  // A catch disables the amulet; a scene may hide several dolls, and one left uncaught
  // would keep the level from ever ending.
  for (const Ref<ISceneObjectDef>& doll : objects_) {
    if (!doll || doll->GetObjectType() != otVoodooDoll) continue;
    Ref<ISceneObjectLocationCollection> locations = doll->GetLocations();
    for (int i = 0; locations && i < locations->Count(); ++i) {
      Ref<IWidget> widget =
          owner_->FindSceneObjectWidget(doll, locations->GetItem(Variant(i)), gkObjects);
      if (!widget || widget->IsDead() || !widget->GetOwner()) continue;
      owner_->EnableAmulet(widget);
      Ref<IWidget> ui = Group(gkInterface);
      if (Ref<IWidget> amulet = ui ? ui->FindWidget("button_amulet") : nullptr) {
        amulet->SetMouseStop(true);
        amulet->SetEnabled(true);
      }
      return;
    }
  }
}

void TSingleSceneLevelManager::VoodooFound(const Ref<IWidget>& widget,
                                           const Ref<ISceneObjectDef>& object,
                                           const Ref<ISceneObjectLocation>& location) {
  if (!owner_ || !object) return;
  if (Ref<IUserGameData> progress = owner_->GetUserGameData())
    progress->AddFindedVoodoo(object->GetName());
  savedWidget_ = widget;
  savedObject_ = object;
  savedLocation_ = location;
  owner_->DisableAmulet();
  Ref<IParamCollection> params = NewParamCollection();
  params->SetValue("doll_name", Variant(object->GetName()));
  voodooDialog_ = CreateOwnerWidget("voodoo_dialog", params);
  voodooPending_ = true;
  if (voodooDialog_)
    if (Ref<IWidget> animations = Group(gkAnimation); animations && animations->GetChildren())
      animations->GetChildren()->Add(voodooDialog_);
  if (Ref<IWidget> ui = Group(gkInterface))
    if (Ref<IWidget> sign = ui->FindWidget("button_amulet/sign")) {
      sign->SetPaused(true);
      sign->SetVisible(false);
    }
  ReplaceInGroup(CreateOwnerWidget("blink_diary", params), gkInterface);
  ReplaceInGroup(CreateOwnerWidget("diary_shine", params), gkInterface);
  if (widget) widget->SetDead(true);
}

// ---------------------------------------------------------------------------------------
// Two half-scenes

Ref<IResourceDefCollection> TDoubleSceneLevelManager::LoadScene() {
  if (!LoadLevelScene(owner_, "scenename", leftDef_, leftScene_) ||
      !LoadLevelScene(owner_, "scenename2", rightDef_, rightScene_))
    return nullptr;
  Ref<IResourceDefCollection> left = leftDef_->GetResourceDefs();
  Ref<IResourceDefCollection> right = rightDef_->GetResourceDefs();
  if (!left || !right) return left;
  // Both halves name their background alike; the right one is kept under its own name.
  if (Ref<IResourceDef> background = right->Find(Variant("img_SceneBackground"))) {
    right->Delete(Variant("img_SceneBackground"));
    background->SetName("img_SceneBackground_right");
    right->Add(background);
  }
  for (int i = 0; i < right->Count(); ++i) {
    Ref<IResourceDef> definition = right->Find(Variant(i));
    if (definition && !left->Find(Variant(definition->GetName()))) left->Add(definition);
  }
  return left;
}

void TDoubleSceneLevelManager::Done() {
  ReleaseSceneDef(leftDef_);
  ReleaseSceneDef(rightDef_);
  leftScene_ = nullptr;
  rightScene_ = nullptr;
  if (Ref<IWidget> background = Group(gkBackground)) background->SetZ(0);
  TAbstractLevelManager::Done();
}

void TDoubleSceneLevelManager::BuildSceneView() {
  if (leftDef_) CreateSceneWidgets(leftDef_, gkLeftPart, leftDef_->GetIdenticalPartShift());
  if (rightDef_) CreateSceneWidgets(rightDef_, gkRightPart, rightDef_->GetIdenticalPartShift());
}

void TDoubleSceneLevelManager::StartLevel() {
  TAbstractLevelManager::StartLevel();
  Ref<IUGDTask> task = owner_ ? owner_->GetTask() : nullptr;
  if (!task || !leftDef_ || !rightDef_) return;
  auto shiftOf = [&](const char* name, const Ref<ISceneDef>& sceneDef) {
    return task->GetParamValueDef(name, Variant(sceneDef->GetIdenticalPartShift()))
        .ToInt(sceneDef->GetIdenticalPartShift());
  };
  const int32_t leftShift = shiftOf("scene1_shiftleft", leftDef_);
  const int32_t rightShift = shiftOf("scene2_shiftleft", rightDef_);
  leftDef_->SetIdenticalPartShift(leftShift);
  rightDef_->SetIdenticalPartShift(rightShift);
  Ref<IParamCollection> params = NewParamCollection();
  auto background = [&](const char* approachParam, const char* factory, const char* part,
                        int32_t shift) {
    if (task->GetParamValueDef(approachParam, Variant("none")).ToString() == "none") return;
    params->SetValue("resourceleft", Variant(SaturateInt32(int64_t(shift) + 171)));
    owner_->AddWidgetToGroup(CreateOwnerWidget(factory, params), gkBackground, {});
    if (Ref<IWidget> widget = owner_->FindWidget(part))
      widget->SetProperty("shiftleft", Variant(shift));
  };
  background("scene1_app", "left_background_part_widget", "left_part", leftShift);
  background("scene2_app", "right_background_part_widget", "right_part", rightShift);
}

void TDoubleSceneLevelManager::PlaySceneMusic() {
  PlayMusic(owner_, leftDef_, true);
}

void TDoubleSceneLevelManager::StopSceneMusic() {
  PlayMusic(owner_, leftDef_, false);
}

int32_t TDoubleSceneLevelManager::RemainingCount() {
  return RoundHalfEven(remaining_ / 2.0);
}

int32_t TDoubleSceneLevelManager::TotalCount() {
  return RoundHalfEven(total_ / 2.0);
}

Ref<IWidget> TDoubleSceneLevelManager::Twin(const Ref<IWidget>& widget, bool left) {
  if (!owner_ || !widget) return nullptr;
  const std::string name = widget->GetName();
  Ref<IWidget> twin =
      owner_->FindWidget(std::string(left ? "left_part" : "right_part") + "/objects_group/" + name);
  if (twin) return twin;
  Ref<IWidget> approach = owner_->GetOpenApproach();
  return approach ? approach->FindWidget(name) : nullptr;
}

bool TDoubleSceneLevelManager::IsLeftTwin(const Ref<IWidget>& widget) {
  return owner_ && widget &&
         owner_->FindWidget("left_part/objects_group/" + widget->GetName()).get() == widget.get();
}

bool TDoubleSceneLevelManager::ObjectClicked(const Ref<IWidget>& widget,
                                             const Ref<ISceneObjectDef>& object,
                                             const Ref<ISceneObjectLocation>&,
                                             const TPoint& point) {
  if (!widget || !owner_ || !IsWantedObject(object)) {
    OnMiss(widget);
    return false;
  }
  Ref<IWidget> left = Twin(widget, true);
  Ref<IWidget> right = Twin(widget, false);
  Ref<ISceneObjectDef> leftObject, rightObject;
  Ref<ISceneObjectLocation> leftLocation, rightLocation;
  if (left) owner_->GetObjectDefs(left, leftObject, leftLocation);
  if (right) owner_->GetObjectDefs(right, rightObject, rightLocation);
  if (left && right && leftObject && rightObject) {
    ActivateObject(leftDef_, leftObject, leftLocation, 0, left, point, gkLeftPart, {}, true);
    ActivateObject(rightDef_, rightObject, rightLocation, 0, right, point, gkRightPart, {}, true);
    if (fall_) fall_->AddPair(left, right, nullptr, nullptr);
  }
  return true;
}

bool TDoubleSceneLevelManager::ActivateAtLocation(const Ref<IWidget>& widget,
                                                  const Ref<ISceneObjectDef>& object, const TPoint&,
                                                  const Ref<ISceneObjectLocation>& location) {
  if (!owner_ || !object || !location) return false;
  return AddToActivateSequence(IsLeftTwin(widget) ? leftScene_ : rightScene_, kUsedList,
                               object->GetName() + "/" + location->GetName());
}

void TDoubleSceneLevelManager::AfterActivation(const Ref<IWidget>& widget,
                                               const Ref<ISceneObjectDef>& object,
                                               const Ref<ISceneObjectLocation>& location) {
  if (!owner_ || !widget) return;
  if (IsLeftTwin(widget)) {
    ObjectFound(leftScene_, object, location);
    // The pair counts once in the panel.
    if (panel_) panel_->ObjectFound(object);
    TAbstractLevelManager::AfterActivation(widget, object, location);
  } else if (Twin(widget, false).get() == widget.get()) {
    ObjectFound(rightScene_, object, location);
    TAbstractLevelManager::AfterActivation(widget, object, location);
  }
}

void TDoubleSceneLevelManager::ObjectPlaced(const Ref<IWidget>& widget,
                                            const Ref<ISceneObjectDef>& object,
                                            const Ref<ISceneObjectLocation>& location) {
  AfterActivation(widget, object, location);
}

Ref<IWidget> TDoubleSceneLevelManager::PlacementHitTest(const Ref<ISceneObjectDef>& object,
                                                        const TPoint& point,
                                                        const std::string& approachName,
                                                        const Ref<IUGDScene>& scene) {
  if (scene) return TAbstractLevelManager::PlacementHitTest(object, point, approachName, scene);
  Ref<IWidget> widget =
      TAbstractLevelManager::PlacementHitTest(object, point, approachName, leftScene_);
  return widget ? widget
                : TAbstractLevelManager::PlacementHitTest(object, point, approachName, rightScene_);
}

Ref<IWidget> TDoubleSceneLevelManager::ChooseWantedHintObject() {
  if (!owner_) return nullptr;
  std::vector<Ref<IWidget>> candidates;
  for (const Ref<IWidget>& container :
       {owner_->GetOpenApproach(), Group(gkLeftPart), Group(gkRightPart)}) {
    Ref<IWidgetCollection> children = container ? container->GetChildren() : nullptr;
    for (int i = 0; children && i < children->Count(); ++i) {
      Ref<IWidget> child = children->GetByIndex(i);
      if (!child->IsVisible() || !child->IsMouseStop()) continue;
      Ref<ISceneObjectDef> object = owner_->GetWidgetObjectDef(child);
      if (object && object->GetObjectType() == otIdentical) candidates.push_back(child);
    }
  }
  return PickOne(candidates);
}
