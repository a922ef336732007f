#pragma once
// The base of the play screen: a screen that is the managers' IGameManagersOwner. It keeps
// the level's progress records, its managers and its open approach, and answers the
// owner operations that work on its widget tree: the widget groups, the scene-object
// widgets and their definitions, the search for a scene's widgets, hint targets, adding
// to groups, effects, switching widgets, and making a scene current (generating it when
// it has not been).
//
// The window holds the groups by these names (the kinds of GetWidgetGroup):
//   animation_group (1), objects_group (2), approaches_group (3),
//   left_part/objects_group (4), right_part/objects_group (5), background_group (6),
//   ui_group (7)
// and the widget factories "widget_sceneobject" (a scene object at a location: "name",
// "resourcename", "resourceleft", "resourcetop", "width", "height", "centerx", "centery",
// "anchor_left", "anchor_top", "z", "transparentlevel", "zoomx", "zoomy", "angle",
// "cursor"), "widget_sceneapproach" and "smooth_action".
//
// What the play screen itself does (scores, timer, the amulet, carrying an item, the
// level's end, showing scene widgets, delayed switches, approaches) stays abstract here.

#include <cstdint>
#include <string>

#include "gameplay/Tv2Interfaces.h"
#include "shell/GameScreen.h"

class TTv2GameplayScreen : public TGameScreen, public virtual IGameManagersOwner {
 public:
  // The scene-object widget's extra parameters that hold its definitions.
  static constexpr const char* kObjectDefParam = "sceneobjectdef";
  static constexpr const char* kLocationParam = "location";

  // IGameManagersOwner: what the screen holds
  IGameScreenOwner* GetOwner() override { return owner_; }
  Ref<ISceneDefRefCollection> GetSceneDefs() override;
  Ref<IUserGameData> GetUserGameData() override { return userGameData_; }
  Ref<IUGDCase> GetCase() override { return case_; }
  Ref<IUGDStage> GetStage() override { return stage_; }
  Ref<IUGDTask> GetTask() override { return task_; }
  Ref<IUGDScene> GetScene() override { return scene_; }
  Ref<ILevelManager> GetLevelManager() override { return levelManager_; }
  Ref<IItemListPanelWidget> GetPanelManager() override;
  Ref<IWidget> GetWidgetGroup(uint8_t kind) override;
  bool IsInputBlocked() override { return inputBlocked_; }
  bool IsBlackScreen() override { return blackScreen_; }
  Ref<IWidget> GetCarriedItem() override { return carriedItem_; }
  Ref<ISceneObjectDef> GetCurrentObject() override { return carriedObject_; }
  Ref<IWidget> GetOpenApproach() override { return openApproach_; }
  Ref<IWidget> GetApproach(const std::string& name) override;
  void SetWidgetVisible(const Ref<IWidget>& widget, bool visible) override;
  void PlaySceneSound(const std::string& name) override { PlaySound(name); }

  // IGameManagersOwner: the scene's widgets
  bool SetCurrentScene(const Ref<IUGDScene>& scene) override;
  bool GetObjectDefs(const Ref<IWidget>& widget, Ref<ISceneObjectDef>& object,
                     Ref<ISceneObjectLocation>& location) override;
  Ref<ISceneObjectDef> GetWidgetObjectDef(const Ref<IWidget>& widget) override;
  Ref<IWidget> FindSceneObjectWidget(const Ref<ISceneObjectDef>& object,
                                     const Ref<ISceneObjectLocation>& location,
                                     uint8_t kind) override;
  Ref<IWidget> FindVisibleObjectWidget(const Ref<ISceneObjectDef>& object, uint8_t kind,
                                       const Ref<ISceneObjectLocation>& location) override;
  Ref<IWidget> CreateSceneObjectWidget(const Ref<ISceneObjectDef>& object,
                                       const Ref<ISceneObjectLocation>& location, int32_t shiftX,
                                       uint8_t kind) override;
  Ref<IWidget> FindSceneWidget(const Ref<IWidget>& widget, const std::string& name,
                               const std::string& approachName) override;
  Ref<IWidget> ResolveWidgetPath(bool random, std::string& pathPrefix) override;
  void AddWidgetToGroup(const Ref<IWidget>& widget, uint8_t kind,
                        const std::string& subPath) override;
  std::string GetAnimationGroupPath(const std::string& base) override;
  void PlayEffect(const std::string& factoryName, const Ref<IParamCollection>& params) override;
  void SwitchWidget(const Ref<IWidget>& widget, const std::string& name, bool fade, bool on,
                    int32_t delay, const std::string& approachName) override;

  // The play screen's own: a scene widget switched on or off at once.
  virtual void ShowSceneWidget(const Ref<IWidget>& widget, bool on) = 0;

  // The level kind of the task played (its type without the top bit), 0 without a task.
  int32_t LevelKind();

 protected:
  // The generator SetCurrentScene uses; nothing makes the generation fail.
  virtual Ref<ISceneGenerator> MakeSceneGenerator();
  // A new widget of the object at the location: the factory "widget_sceneobject" with the
  // object's parameters.
  virtual Ref<IWidget> MakeSceneObjectWidget(const Ref<ISceneObjectDef>& object,
                                             const Ref<ISceneObjectLocation>& location);
  // The widget factory "smooth_action" fading Target's transparency to Value.
  void StartSmoothAction(const Ref<IWidget>& target, int32_t value, int32_t duration,
                         bool hideOnEnd);

  Ref<IUserGameData> userGameData_;
  Ref<IUGDCase> case_;
  Ref<IUGDStage> stage_;
  Ref<IUGDTask> task_;
  Ref<IUGDScene> scene_;
  Ref<IUGDScene> previousScene_;
  Ref<ILevelManager> levelManager_;
  Ref<IWidget> openApproach_;
  Ref<IWidget> carriedItem_;
  Ref<ISceneObjectDef> carriedObject_;
  bool inputBlocked_ = false;
  bool blackScreen_ = false;
};

// The widget at Name among the children of Container (nothing without either).
Ref<IWidget> ChildNamed(const Ref<IWidget>& container, std::string_view name);
