#pragma once
// A level manager for the tests of what drives or asks one (the play screen's base, the
// panel, the falling objects): it records the calls it gets as lines ("Init", "ObjectPlaced(
// ball_l1,ball,l1)") and answers IsWantedObject from a set of object names.

#include <set>
#include <string>
#include <vector>

#include "gameplay/Tv2Interfaces.h"

class FakeLevelManager : public TNamedObject, public virtual ILevelManager {
 public:
  using TNamedObject::Init;

  std::vector<std::string> calls;
  std::set<std::string> wanted;  // object names
  uint8_t mode = 0;
  bool allFound = false;

  void Init(IGameManagersOwner* owner) override;
  void Done() override;
  void Update() override {}
  Ref<IResourceDefCollection> LoadScene() override;
  void StartLevel() override;
  bool ObjectClicked(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                     const Ref<ISceneObjectLocation>& location, const TPoint& point) override;
  bool ActivateAtLocation(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                          const TPoint& point, const Ref<ISceneObjectLocation>& location) override;
  void OnEmptyClick() override;
  void AfterActivation(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                       const Ref<ISceneObjectLocation>& location) override;
  int32_t RemainingCount() override { return 0; }
  int32_t LeftToFindCount() override { return 0; }
  int32_t TotalCount() override { return 0; }
  Ref<IWidget> PlacementHitTest(const Ref<ISceneObjectDef>&, const TPoint&, const std::string&,
                                const Ref<IUGDScene>&) override {
    return nullptr;
  }
  void ResetActivateSequence(const Ref<IUGDScene>& scene) override;
  std::string GetActivateSequence(const Ref<IUGDScene>&) override { return ";"; }
  bool IsWantedObject(const Ref<ISceneObjectDef>& object) override;
  void BuildSceneView() override;
  void PlaySceneMusic() override;
  void StopSceneMusic() override;
  bool AllObjectsFound() override { return allFound; }
  Ref<IWidget> ChooseWantedHintObject() override { return nullptr; }
  Ref<IWidget> ChooseHintObject() override { return nullptr; }
  Ref<IWidget> RunSceneAction(const std::string& name, const Ref<IParamCollection>&) override;
  uint8_t GetMode() override { return mode; }
  void ShowHintText(const std::string& key) override;
  void ObjectPlaced(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                    const Ref<ISceneObjectLocation>& location) override;

  IGameManagersOwner* owner = nullptr;
};
