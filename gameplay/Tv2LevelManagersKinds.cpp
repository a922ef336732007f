// The six level kinds: their modes and animations, how each builds its level, and what
// each changes of the scene managers.

#include "foundation/GeneralClasses.h"
#include "foundation/Random.h"
#include "gameplay/Tv2LevelManagers.h"

namespace {

constexpr const char* kFindOffset = "gamefield_find_obj_offset";
constexpr const char* kFind = "gamefield_find_obj";
constexpr const char* kScore = "focus_object_find_score";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

void RegisterLevelManagerClasses() {
  RegisterClassName<THiddenShapesLevelManager>("LevelManagerHiddenShapes");
  RegisterClassName<THiddenNamesLevelManager>("LevelManagerHiddenNames");
  RegisterClassName<TFindIdenticalLevelManager>("LevelManagerFindIdentical");
  RegisterClassName<THiddenPartsLevelManager>("LevelManagerHiddenParts");
  RegisterClassName<TFindPlacesLevelManager>("LevelManagerFindPlaces");
  RegisterClassName<TQuestLevelManager>("LevelManagerQuest");
}

// ---------------------------------------------------------------------------------------
// Hidden shapes and hidden names

void THiddenShapesLevelManager::StartLevel() {
  SetModeAndScenarios(otHiddenObject, kFindOffset, kScore);
  TSingleSceneLevelManager::StartLevel();
  ReadLevelObjects(scene_, sceneDef_, gkObjects);
  ShuffleLevelObjects();
}

void THiddenShapesLevelManager::ObjectPlaced(const Ref<IWidget>& widget,
                                             const Ref<ISceneObjectDef>& object,
                                             const Ref<ISceneObjectLocation>& location) {
  AfterActivation(widget, object, location);
}

void THiddenNamesLevelManager::StartLevel() {
  THiddenShapesLevelManager::StartLevel();
}

// ---------------------------------------------------------------------------------------
// Find identical

void TFindIdenticalLevelManager::StartLevel() {
  SetModeAndScenarios(otIdentical, kFindOffset, kScore);
  TDoubleSceneLevelManager::StartLevel();
  ReadLevelObjects(leftScene_, leftDef_, gkLeftPart);
  ReadLevelObjects(rightScene_, rightDef_, gkRightPart);
  PairIdenticalObjects();
  Ref<IUGDTask> task = owner_ ? owner_->GetTask() : nullptr;
  if (!task) return;
  SwitchApproach(true, task->GetParamValueDef("scene1_app", Variant("none")).ToString());
  SwitchApproach(false, task->GetParamValueDef("scene2_app", Variant("none")).ToString());
}

void TFindIdenticalLevelManager::PairIdenticalObjects() {
  std::vector<Ref<ISceneObjectDef>> pairs;
  for (size_t i = 0; i < objects_.size(); ++i) {
    // Empty slots are room to grow, not objects: they pair with nothing.
    if (!objects_[i]) continue;
    const std::string name = objects_[i]->GetName();
    for (size_t j = i + 1; j < objects_.size(); ++j) {
      if (!objects_[j] || objects_[j]->GetName() != name) continue;
      pairs.push_back(objects_[i]);
      pairs.push_back(objects_[j]);
    }
  }
  objects_ = std::move(pairs);
  remaining_ = int32_t(objects_.size());
}

void TFindIdenticalLevelManager::SwitchApproach(bool left, const std::string& approachName) {
  if (approachName == "none" || !owner_) return;
  owner_->OpenApproach(approachName, 0);
  Ref<IWidget> approach = owner_->GetOpenApproach();
  Ref<IWidget> leftPart = Group(gkLeftPart);
  Ref<IWidget> rightPart = Group(gkRightPart);
  Ref<IWidget> background = Group(gkBackground);
  auto setZ = [](const Ref<IWidget>& widget, int32_t z) {
    if (widget) widget->SetZ(z);
  };
  auto ownerOf = [](const Ref<IWidget>& widget) -> Ref<IWidget> {
    return widget ? Ref<IWidget>(InterfaceCast<IWidget>(widget->GetOwner())) : nullptr;
  };
  auto hide = [&](const char* name) {
    if (Ref<IWidget> widget = background ? background->FindWidget(name) : nullptr)
      widget->SetVisible(false);
  };
  if (left) {
    if (!approach) return;
    if (leftPart && leftDef_)
      approach->SetAnchorLeft(leftPart->GetAnchorLeft() + leftDef_->GetIdenticalPartShift() - 171);
    setZ(rightPart, 602);
    hide("left_background_part_widget");
    setZ(background, 111);
    setZ(ownerOf(rightPart), 112);
    setZ(ownerOf(leftPart), 99);
  } else {
    if (approach && rightDef_)
      approach->SetAnchorLeft(approach->GetAnchorLeft() + rightDef_->GetIdenticalPartShift() - 512);
    hide("right_background_part_widget");
    setZ(background, 111);
    setZ(ownerOf(leftPart), 112);
    setZ(ownerOf(rightPart), 99);
  }
}

// ---------------------------------------------------------------------------------------
// Hidden parts and quest

void THiddenPartsLevelManager::StartLevel() {
  SetModeAndScenarios(otHiddenPart, kFind, kScore);
  TSingleSceneLevelManager::StartLevel();
  ReadLevelObjects(scene_, sceneDef_, gkObjects);
}

void TQuestLevelManager::StartLevel() {
  SetModeAndScenarios(otDisposable, kFindOffset, kScore);
  TSingleSceneLevelManager::StartLevel();
  ReadLevelObjects(scene_, sceneDef_, gkObjects);
}

// ---------------------------------------------------------------------------------------
// Find places

void TFindPlacesLevelManager::StartLevel() {
  SetModeAndScenarios(otDisposable, "", "");
  TSingleSceneLevelManager::StartLevel();
  ReadLevelObjects(scene_, sceneDef_, gkObjects);
}

void TFindPlacesLevelManager::ObjectPlaced(const Ref<IWidget>&, const Ref<ISceneObjectDef>& object,
                                           const Ref<ISceneObjectLocation>&) {
  if (!panel_) return;
  Ref<IWidget> item = panel_->GetItemWidget(object);
  panel_->UpdateItemVisibility(item, 0);
  if (owner_)
    if (Ref<IItemListPanelWidget> panel = owner_->GetPanelManager()) panel->Invalidate();
  panel_->RefreshLayout();
}

bool TFindPlacesLevelManager::ObjectFound(const Ref<IUGDScene>& scene,
                                          const Ref<ISceneObjectDef>& object,
                                          const Ref<ISceneObjectLocation>& location) {
  if (!object || !location || !scene || !object->GetLocations()) return false;
  std::string doNames = scene->GetParamValueDef("do_names", Variant(";")).ToString();
  const std::string used =
      scene->GetParamValueDef("names_activate_sequence", Variant(";")).ToString();
  const std::string prefix = ";" + object->GetName() + "/";
  if (!Contains(doNames, prefix + location->GetName() + ";")) {
    // Put at another of its places than the listed one: the entry follows the object.
    Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
    for (int i = 0; i < locations->Count(); ++i) {
      const std::string entry = prefix + locations->GetItem(Variant(i))->GetName() + ";";
      const size_t at = doNames.find(entry);
      if (at == std::string::npos || Contains(used, entry)) continue;
      doNames.erase(at, entry.size() - 1);
      doNames += object->GetName() + "/" + location->GetName() + ";";
      scene->SetParamValue("do_names", Variant(doNames));
      break;
    }
  }
  return TSingleSceneLevelManager::ObjectFound(scene, object, location);
}

Ref<IWidget> TFindPlacesLevelManager::ChooseWantedHintObject() {
  Ref<IWidget> container = HintContainer();
  Ref<IWidgetCollection> children = container ? container->GetChildren() : nullptr;
  std::vector<Ref<IWidget>> candidates;
  auto carries = [](const Ref<ISceneObjectActionsOwner>& owner) {
    Ref<ISceneObjectActionCollection> actions = owner ? owner->GetActions() : nullptr;
    for (int i = 0; actions && i < actions->Count(); ++i) {
      uint8_t type = actions->GetItem(Variant(i))->GetActionType();
      if (type == 2 || type == 7 || type == 6 || type == 5) return true;
    }
    return false;
  };
  for (int i = 0; children && i < children->Count(); ++i) {
    Ref<IWidget> child = children->GetByIndex(i);
    if (!child->IsVisible() || !child->IsMouseStop()) continue;
    Ref<ISceneObjectDef> object;
    Ref<ISceneObjectLocation> location;
    owner_->GetObjectDefs(child, object, location);
    if (!object || object->GetObjectType() != otActiveArea) continue;
    // Entered once for each of the object and its place that gives something.
    if (carries(object)) candidates.push_back(child);
    if (carries(location)) candidates.push_back(child);
  }
  if (candidates.empty()) return TSingleSceneLevelManager::ChooseWantedHintObject();
  return candidates[size_t(Random(int(candidates.size())))];
}
