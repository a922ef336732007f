#pragma once
// The level managers: the rule keepers of one level. The play screen creates the manager
// of the task's level kind by its registered name, hands it itself (IGameManagersOwner)
// and drives it through ILevelManager: load the scene, start the level (which builds the
// scene's widgets from the player's scene lists), judge clicks, run the scene objects'
// actions, choose hint targets, tell the finds and the end.
//
//   kind  registered name               class                        mode
//   0     "LevelManagerHiddenShapes"    THiddenShapesLevelManager    0 hidden objects
//   1     "LevelManagerHiddenNames"     THiddenNamesLevelManager     0 hidden objects
//   2     "LevelManagerFindIdentical"   TFindIdenticalLevelManager   1 identical pairs
//   3     "LevelManagerHiddenParts"     THiddenPartsLevelManager     2 hidden parts
//   4     "LevelManagerFindPlaces"      TFindPlacesLevelManager      4 objects put back
//   5     "LevelManagerQuest"           TQuestLevelManager           4 objects carried
//
// The used list of a scene ("names_activate_sequence" of the player's scene) holds one
// entry ";object/location" per activation, newest first, and always begins with ";".
//
// Scene actions (action records of objects, locations and scenes) run through
// ExecuteAction: a condition (gate by condition type, then a test of widgets, the carried
// item or the current object) and an effect (show a widget from a factory, open an
// approach, put an object into the panel, switch widgets, let the player carry an object,
// show a hint text, run another named action, keep a journal note).

#include <cstdint>
#include <string>
#include <vector>

#include "gameplay/Tv2Interfaces.h"

// What an action runs with, besides the action itself.
struct TActionContext {
  ISceneDef* sceneDef = nullptr;  // named actions, factories, "identical_part_shift"
  std::string approachName;       // of the activated location; '' for the main scene
  int32_t shift = 0;              // of the half-scene being handled
  IWidget* widget = nullptr;      // the activated object's widget
  TPoint point{0, 0};
  uint8_t groupKind = gkObjects;
  std::string usedList;  // "names_activate_sequence" as it was
  IParamCollection* params = nullptr;
  bool activating = false;  // a real activation, not a replay at level start
  bool byDefault = false;   // the answer of condition types 3, 7 and 11
};

class TAbstractLevelManager : public TNamedObject, public virtual ILevelManager {
 public:
  using TNamedObject::Init;

  // ILevelManager
  void Init(IGameManagersOwner* owner) override;
  void Done() override;
  void Update() override;
  Ref<IResourceDefCollection> LoadScene() override { return nullptr; }
  void StartLevel() override;
  bool ObjectClicked(const Ref<IWidget>&, const Ref<ISceneObjectDef>&,
                     const Ref<ISceneObjectLocation>&, const TPoint&) override {
    return false;
  }
  bool ActivateAtLocation(const Ref<IWidget>&, const Ref<ISceneObjectDef>&, const TPoint&,
                          const Ref<ISceneObjectLocation>&) override {
    return false;
  }
  void OnEmptyClick() override {}
  void AfterActivation(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                       const Ref<ISceneObjectLocation>& location) override;
  int32_t RemainingCount() override { return remaining_; }
  int32_t LeftToFindCount() override;
  int32_t TotalCount() override { return total_; }
  Ref<IWidget> PlacementHitTest(const Ref<ISceneObjectDef>& object, const TPoint& point,
                                const std::string& approachName,
                                const Ref<IUGDScene>& scene) override;
  void ResetActivateSequence(const Ref<IUGDScene>& scene) override;
  std::string GetActivateSequence(const Ref<IUGDScene>& scene) override;
  bool IsWantedObject(const Ref<ISceneObjectDef>& object) override;
  void BuildSceneView() override {}
  void PlaySceneMusic() override {}
  void StopSceneMusic() override {}
  bool AllObjectsFound() override;
  Ref<IWidget> ChooseWantedHintObject() override { return nullptr; }
  Ref<IWidget> ChooseHintObject() override;
  Ref<IWidget> RunSceneAction(const std::string&, const Ref<IParamCollection>&) override {
    return nullptr;
  }
  uint8_t GetMode() override { return mode_; }
  void ShowHintText(const std::string& key) override;
  void ObjectPlaced(const Ref<IWidget>&, const Ref<ISceneObjectDef>&,
                    const Ref<ISceneObjectLocation>&) override {}

  // The finding itself: the panel is told, the object leaves the level, the used list
  // gets the place. False when the place was used already.
  virtual bool ObjectFound(const Ref<IUGDScene>& scene, const Ref<ISceneObjectDef>& object,
                           const Ref<ISceneObjectLocation>& location);
  void SetModeAndScenarios(uint8_t mode, const std::string& findScenario,
                           const std::string& scoreScenario);
  // Builds the level from the player's scene: approaches, the objects of every list,
  // the scene's widgets, the scene's start actions and the replay of the used list.
  void ReadLevelObjects(const Ref<IUGDScene>& scene, const Ref<ISceneDef>& sceneDef,
                        uint8_t groupKind);
  void CreateSceneWidgets(const Ref<ISceneDef>& sceneDef, uint8_t groupKind, int32_t shift);
  void AddLevelObject(const Ref<ISceneObjectDef>& object);
  bool AddToActivateSequence(const Ref<IUGDScene>& scene, const std::string& listName,
                             const std::string& entry);
  void StartFindAnimation(const Ref<IWidget>& widget, bool force);
  void ShuffleLevelObjects();
  void SwapLevelObjects(int32_t i, int32_t j);
  void CheckAmuletSign();
  // Plays an activation: the score and its flying text, the widget's visibility, and
  // the actions of the location, the object and the scene.
  void ActivateObject(const Ref<ISceneDef>& sceneDef, const Ref<ISceneObjectDef>& object,
                      const Ref<ISceneObjectLocation>& location, int32_t shift,
                      const Ref<IWidget>& widget, const TPoint& point, uint8_t groupKind,
                      const std::string& usedList, bool activating);
  void ExecuteAction(ISceneObjectAction* action, const TActionContext& context);
  virtual void OnMiss(const Ref<IWidget>&) {}
  // Whether the landing of a found object's flight (ObjectPlaced) ends its activation;
  // where it does not, the find scenario's end does.
  virtual bool LandingEndsActivation() const { return false; }

  // The points of a find TimeSinceLastFind ms after the one before (at least 1 ms).
  static int32_t FindScore(int32_t timeSinceLastFind);

  const std::vector<Ref<ISceneObjectDef>>& GetLevelObjects() const { return objects_; }
  bool IsRunning() const { return running_; }
  const std::string& GetFindScenario() const { return findScenario_; }
  const std::string& GetScoreScenario() const { return scoreScenario_; }
  IGameManagersOwner* GetOwner() const { return owner_; }

 protected:
  // The entries of one name list into the level (see the table in the .cpp).
  void AddListedLevelObjects(ISceneDef* sceneDef, const std::string& list,
                             const std::string& usedList, uint8_t groupKind, bool noGame);
  void AddToPanel(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                  const Ref<ISceneObjectLocation>& location);
  bool EvaluateCondition(ISceneObjectAction* action, const TActionContext& context,
                         Ref<IWidget>& looked);
  void PerformAction(ISceneObjectAction* action, const TActionContext& context,
                     Ref<IWidget>& looked);
  void TakeObjectAction(ISceneObjectAction* action, const TActionContext& context, bool enable,
                        Ref<IWidget>& looked);
  // The widget group of Kind, its children, its child Name.
  Ref<IWidget> Group(uint8_t kind);
  // The find scenario of Widget's object, which hands it to AfterActivation once flown.
  void PlayFindScenario(const Ref<IWidget>& widget);
  // Puts Widget into group Kind in place of a child of its name.
  void ReplaceInGroup(const Ref<IWidget>& widget, uint8_t kind);
  // The open approach, else the objects group.
  Ref<IWidget> HintContainer();
  // A widget from the play screen's factory of that name.
  Ref<IWidget> CreateOwnerWidget(const std::string& factoryName,
                                 const Ref<IParamCollection>& params);
  int32_t TaskKind();

  IGameManagersOwner* owner_ = nullptr;
  Ref<IPanelManager> panel_;
  Ref<IFallObjManager> fall_;
  std::vector<Ref<ISceneObjectDef>> objects_;
  int32_t remaining_ = 0;
  int32_t total_ = 0;
  uint8_t mode_ = 0;
  std::string findScenario_;
  std::string scoreScenario_;
  bool running_ = false;
  // The actions being run, innermost last: a named action leading back to one of them
  // is skipped.
  std::vector<ISceneObjectAction*> runningActions_;
};

// ---------------------------------------------------------------------------------------
// One scene, or two halves side by side

class TSingleSceneLevelManager : public TAbstractLevelManager {
 public:
  void Done() override;
  void Update() override;
  Ref<IResourceDefCollection> LoadScene() override;
  void StartLevel() override;
  bool ObjectClicked(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                     const Ref<ISceneObjectLocation>& location, const TPoint& point) override;
  bool ActivateAtLocation(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                          const TPoint& point, const Ref<ISceneObjectLocation>& location) override;
  void AfterActivation(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                       const Ref<ISceneObjectLocation>& location) override;
  Ref<IWidget> PlacementHitTest(const Ref<ISceneObjectDef>& object, const TPoint& point,
                                const std::string& approachName,
                                const Ref<IUGDScene>& scene) override;
  void BuildSceneView() override;
  void PlaySceneMusic() override;
  void StopSceneMusic() override;
  Ref<IWidget> ChooseWantedHintObject() override;
  Ref<IWidget> RunSceneAction(const std::string& name,
                              const Ref<IParamCollection>& params) override;

  // The amulet's find of a voodoo doll: its dialog opens and the doll's activation waits
  // until the dialog is gone.
  void VoodooFound(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                   const Ref<ISceneObjectLocation>& location);
  bool IsVoodooPending() const { return voodooPending_; }
  // Hands a doll still in the level to the amulet.
  void ArmAmuletForNextDoll();
  const Ref<IUGDScene>& GetLevelScene() const { return scene_; }
  const Ref<ISceneDef>& GetSceneDef() const { return sceneDef_; }

 protected:
  Ref<IUGDScene> scene_;
  Ref<ISceneDef> sceneDef_;
  Ref<IWidget> voodooDialog_;
  bool voodooPending_ = false;
  Ref<IWidget> savedWidget_;
  Ref<ISceneObjectDef> savedObject_;
  Ref<ISceneObjectLocation> savedLocation_;
};

class TDoubleSceneLevelManager : public TAbstractLevelManager {
 public:
  void Done() override;
  Ref<IResourceDefCollection> LoadScene() override;
  void StartLevel() override;
  bool ObjectClicked(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                     const Ref<ISceneObjectLocation>& location, const TPoint& point) override;
  bool ActivateAtLocation(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                          const TPoint& point, const Ref<ISceneObjectLocation>& location) override;
  void AfterActivation(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                       const Ref<ISceneObjectLocation>& location) override;
  void ObjectPlaced(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                    const Ref<ISceneObjectLocation>& location) override;
  bool LandingEndsActivation() const override { return true; }
  // A pair counts once.
  int32_t RemainingCount() override;
  int32_t LeftToFindCount() override { return RemainingCount(); }
  int32_t TotalCount() override;
  Ref<IWidget> PlacementHitTest(const Ref<ISceneObjectDef>& object, const TPoint& point,
                                const std::string& approachName,
                                const Ref<IUGDScene>& scene) override;
  void BuildSceneView() override;
  void PlaySceneMusic() override;
  void StopSceneMusic() override;
  Ref<IWidget> ChooseWantedHintObject() override;

 protected:
  // The twin of Widget's name in the left or right part, else in the open approach.
  Ref<IWidget> Twin(const Ref<IWidget>& widget, bool left);
  bool IsLeftTwin(const Ref<IWidget>& widget);

  Ref<IUGDScene> leftScene_;
  Ref<IUGDScene> rightScene_;
  Ref<ISceneDef> leftDef_;
  Ref<ISceneDef> rightDef_;
};

// ---------------------------------------------------------------------------------------
// The six kinds

class THiddenShapesLevelManager : public TSingleSceneLevelManager {
 public:
  void StartLevel() override;
  void ObjectPlaced(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                    const Ref<ISceneObjectLocation>& location) override;
  bool LandingEndsActivation() const override { return true; }
};

class THiddenNamesLevelManager : public THiddenShapesLevelManager {
 public:
  void StartLevel() override;
};

class TFindIdenticalLevelManager : public TDoubleSceneLevelManager {
 public:
  void StartLevel() override;
  // Pairs the objects of both halves that share a name; the others leave the level.
  void PairIdenticalObjects();
  void SwitchApproach(bool left, const std::string& approachName);
};

class THiddenPartsLevelManager : public TSingleSceneLevelManager {
 public:
  void StartLevel() override;
};

class TFindPlacesLevelManager : public TSingleSceneLevelManager {
 public:
  void StartLevel() override;
  void ObjectPlaced(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                    const Ref<ISceneObjectLocation>& location) override;
  // An object put at another of its own places than the listed one moves its entry of
  // "do_names" to the place used.
  bool ObjectFound(const Ref<IUGDScene>& scene, const Ref<ISceneObjectDef>& object,
                   const Ref<ISceneObjectLocation>& location) override;
  Ref<IWidget> ChooseWantedHintObject() override;
};

class TQuestLevelManager : public TSingleSceneLevelManager {
 public:
  void StartLevel() override;
};

// The six level managers under their names, in kind order.
void RegisterLevelManagerClasses();
