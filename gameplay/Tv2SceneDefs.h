#pragma once
// Scene definitions: the scene list ("data\ini\scenes.ini") that names each scene's
// document, and the scene documents with their resources, widget factories, approaches,
// scene actions and object definitions; the object, location, approach and action records
// are also what a category lists.
//
//   <scene_defs><scene_def name="atelier" filename="data\scenes\atelier.xml"/></scene_defs>
//
//   <scene_def scene_show_factories="candle_flame">
//     <resource_defs resourcegroup="scene">...</resource_defs>
//     <widgetfactories>...</widgetfactories>
//     <scene_approaches><scene_approach name="cupboard" anchor_left="212" .../></scene_approaches>
//     <actions><action condition_type="0" action_type="0" action_string="bats"/></actions>
//     <object_defs>
//       <object_def name="lantern" objecttype="0" caption="%obj_lantern%" category="light"
//                   resourcename="img_obj_lantern" width="48" height="64">
//         <actions>...</actions> <mouse_actions>...</mouse_actions>
//         <locations><location name="l1" anchor_left="150" anchor_top="200"/></locations>
//       </object_def>
//     </object_defs>
//   </scene_def>
//
// Values are written back only where they differ from their defaults, by the rules of
// each record; a list whose records write nothing leaves no element.

#include <cstdint>
#include <string>

#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2Interfaces.h"

// ---------------------------------------------------------------------------------------
// Records

class TSceneObjectAction : public TPersistObject, public virtual ISceneObjectAction {
 public:
  void Init() override;

  uint8_t GetConditionType() override { return conditionType_; }
  void SetConditionType(uint8_t value) override { conditionType_ = value; }
  std::string GetConditionString() override { return conditionString_; }
  void SetConditionString(const std::string& value) override { conditionString_ = value; }
  uint8_t GetActionType() override { return actionType_; }
  void SetActionType(uint8_t value) override { actionType_ = value; }
  std::string GetActionString() override { return actionString_; }
  void SetActionString(const std::string& value) override { actionString_ = value; }
  int32_t GetStartDelayTime() override { return startDelayTime_; }
  void SetStartDelayTime(int32_t value) override { startDelayTime_ = value; }

  // The name is not stored: the list names what it loads.
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  // Normalises first (and keeps it): without a condition string the types 4 to 11 fall
  // back to their base type 0 to 3; a condition string goes with types below 4.
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  uint8_t conditionType_ = 0;
  std::string conditionString_;
  uint8_t actionType_ = 2;
  std::string actionString_;
  int32_t startDelayTime_ = 0;
};

class TSceneObjectLocation : public TPersistObject, public virtual ISceneObjectLocation {
 public:
  void Init() override;

  Ref<ISceneObjectActionCollection> GetActions() override { return actions_; }
  std::string GetApproachName() override { return approachName_; }
  void SetApproachName(const std::string& value) override { approachName_ = value; }
  int32_t GetAnchorLeft() override { return anchorLeft_; }
  void SetAnchorLeft(int32_t value) override { anchorLeft_ = value; }
  int32_t GetAnchorTop() override { return anchorTop_; }
  void SetAnchorTop(int32_t value) override { anchorTop_ = value; }
  int32_t GetZ() override { return z_; }
  void SetZ(int32_t value) override { z_ = value; }
  int32_t GetTransparentLevel() override { return transparentLevel_; }
  void SetTransparentLevel(int32_t value) override { transparentLevel_ = value; }
  double GetZoomX() override { return zoomX_; }
  void SetZoomX(double value) override;
  double GetZoomY() override { return zoomY_; }
  void SetZoomY(double value) override;
  double GetAngle() override { return angle_; }
  void SetAngle(double value) override;
  uint8_t GetDifficulty() override { return difficulty_; }
  void SetDifficulty(uint8_t value) override { difficulty_ = value; }
  std::string GetCursor() override { return cursor_; }
  void SetCursor(const std::string& value) override { cursor_ = value; }
  void FillWidgetParams(const Ref<IParamCollection>& params) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  // Nearly invisible places are all written as 2.
  void LoadTransparency(const Ref<IHierStorage>& node);
  void SaveTransparency(const Ref<IHierStorage>& node);
  // One "zoom" when both factors are equal, else "zoomx" and "zoomy".
  void LoadZoom(const Ref<IHierStorage>& node);
  void SaveZoom(const Ref<IHierStorage>& node);

  std::string approachName_;
  int32_t anchorLeft_ = 0;
  int32_t anchorTop_ = 0;
  int32_t z_ = 0;
  int32_t transparentLevel_ = 255;
  double zoomX_ = 1;
  double zoomY_ = 1;
  double angle_ = 0;
  std::string cursor_ = "default";
  uint8_t difficulty_ = 1;
  Ref<ISceneObjectActionCollection> actions_;
};

class TSceneApproach : public TPersistObject, public virtual ISceneApproach {
 public:
  void Init() override;

  std::string GetResourceName() override { return resourceName_; }
  void SetResourceName(const std::string& value) override { resourceName_ = value; }
  int32_t GetResourceLeft() override { return resourceLeft_; }
  void SetResourceLeft(int32_t value) override { resourceLeft_ = value; }
  int32_t GetResourceTop() override { return resourceTop_; }
  void SetResourceTop(int32_t value) override { resourceTop_ = value; }
  int32_t GetWidth() override { return width_; }
  void SetWidth(int32_t value) override { width_ = value; }
  int32_t GetHeight() override { return height_; }
  void SetHeight(int32_t value) override { height_ = value; }
  int32_t GetAnchorLeft() override { return anchorLeft_; }
  void SetAnchorLeft(int32_t value) override { anchorLeft_ = value; }
  int32_t GetAnchorTop() override { return anchorTop_; }
  void SetAnchorTop(int32_t value) override { anchorTop_ = value; }
  std::string GetApproachShowFactories() override { return showFactories_; }
  void SetApproachShowFactories(const std::string& value) override { showFactories_ = value; }
  void FillWidgetParams(const Ref<IParamCollection>& params) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  std::string resourceName_;
  int32_t resourceLeft_ = 0;
  int32_t resourceTop_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t anchorLeft_ = 0;
  int32_t anchorTop_ = 0;
  std::string showFactories_;
  std::string aliases_;
  std::string extraParams_;
};

class TSceneObjectDef : public TPersistObject, public virtual ISceneObjectDef {
 public:
  void Init() override;

  Ref<ISceneObjectActionCollection> GetActions() override { return actions_; }
  uint8_t GetObjectType() override { return objectType_; }
  void SetObjectType(uint8_t value) override;
  std::string GetCaption() override;
  std::string GetCaptionText() override { return caption_; }
  void SetCaptionText(const std::string& value) override { caption_ = value; }
  std::string GetCategory() override { return category_; }
  void SetCategory(const std::string& value) override { category_ = value; }
  bool GetFirstGeneration() override { return firstGeneration_; }
  void SetFirstGeneration(bool value) override { firstGeneration_ = value; }
  bool GetLocationsAllEnabled() override { return locationsAllEnabled_; }
  void SetLocationsAllEnabled(bool value) override { locationsAllEnabled_ = value; }
  bool GetHideOnActivation() override { return hideOnActivation_; }
  void SetHideOnActivation(bool value) override { hideOnActivation_ = value; }
  bool GetDisabledOnStart() override { return disabledOnStart_; }
  void SetDisabledOnStart(bool value) override { disabledOnStart_ = value; }
  std::string GetResourceName() override { return resourceName_; }
  void SetResourceName(const std::string& value) override { resourceName_ = value; }
  int32_t GetResourceLeft() override { return resourceLeft_; }
  void SetResourceLeft(int32_t value) override;
  int32_t GetResourceTop() override { return resourceTop_; }
  void SetResourceTop(int32_t value) override;
  int32_t GetWidth() override { return width_; }
  void SetWidth(int32_t value) override;
  int32_t GetHeight() override { return height_; }
  void SetHeight(int32_t value) override;
  double GetCenterX() override { return centerX_; }
  void SetCenterX(double value) override;
  double GetCenterY() override { return centerY_; }
  void SetCenterY(double value) override;
  Ref<ISceneObjectLocationCollection> GetLocations() override { return locations_; }
  Ref<ISceneObjectActionCollection> GetMouseActions() override { return mouseActions_; }
  void FillWidgetParams(const std::string& locationName,
                        const Ref<IParamCollection>& params) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  // Hide-on-activation defaults to yes for type 0 only; scenery writes it as no.
  void LoadHideOnActivation(const Ref<IHierStorage>& node);
  void SaveHideOnActivation(const Ref<IHierStorage>& node);

  uint8_t objectType_ = otInactiveProp;
  std::string caption_;
  std::string category_;
  bool firstGeneration_ = false;
  bool locationsAllEnabled_ = false;
  bool hideOnActivation_ = false;
  bool disabledOnStart_ = false;
  std::string resourceName_;
  int32_t resourceLeft_ = 0;
  int32_t resourceTop_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  double centerX_ = 0;
  double centerY_ = 0;
  Ref<ISceneObjectLocationCollection> locations_;
  Ref<ISceneObjectActionCollection> actions_;
  Ref<ISceneObjectActionCollection> mouseActions_;
};

// ---------------------------------------------------------------------------------------
// Lists of records (TNamedRecordCollection: keyed by name, any case, in document order).

// Actions are named "loaded" + their position from 1 as they load; an action without an
// action string is not saved.
class TSceneObjectActionCollection : public TNamedRecordCollection,
                                     public virtual ISceneObjectActionCollection {
 public:
  void Init() override;
  Ref<ISceneObjectAction> GetItem(const Variant& address) override;
  void Add(const Ref<ISceneObjectAction>& item) override;
  Ref<ISceneObjectAction> AddAction() override;

 protected:
  Ref<TPersistObject> NewRecord() override;
  void ItemLoaded(const Ref<IInterface>& item) override;
  bool SaveItem(const Ref<IInterface>& item, const Ref<IHierStorage>& child) override;
};

// Locations are named "l1", "l2", ... by position; "spec" (exactly) keeps its name.
class TSceneObjectLocationCollection : public TNamedRecordCollection,
                                       public virtual ISceneObjectLocationCollection {
 public:
  void Init() override;
  // Removes the location, then names the others by their new positions.
  void Delete(const Variant& address) override;
  Ref<ISceneObjectLocation> GetItem(const Variant& address) override;
  void Add(const Ref<ISceneObjectLocation>& item) override;
  Ref<ISceneObjectLocation> AddLocation(const std::string& approachName, int32_t left, int32_t top,
                                        int32_t z, int32_t transparency, double zoomX, double zoomY,
                                        double angle) override;

 protected:
  Ref<TPersistObject> NewRecord() override;
};

class TSceneApproachCollection : public TNamedRecordCollection,
                                 public virtual ISceneApproachCollection {
 public:
  void Init() override;
  Ref<ISceneApproach> GetItem(const Variant& address) override;
  void Add(const Ref<ISceneApproach>& item) override;

 protected:
  Ref<TPersistObject> NewRecord() override;
};

class TSceneObjectDefCollection : public TNamedRecordCollection,
                                  public virtual ISceneObjectDefCollection {
 public:
  void Init() override;
  Ref<ISceneObjectDef> GetItem(const Variant& address) override;
  void Add(const Ref<ISceneObjectDef>& item) override;
  Ref<ISceneObjectDef> AddObjectDef(const std::string& name, const std::string& resourceName,
                                    int32_t left, int32_t top, int32_t width,
                                    int32_t height) override;

 protected:
  Ref<TPersistObject> NewRecord() override;
};

// ---------------------------------------------------------------------------------------
// Scenes

class TSceneDef : public TPersistObject, public virtual ISceneDef {
 public:
  void Init() override;
  ~TSceneDef() override;

  Ref<ISceneObjectActionCollection> GetActions() override { return actions_; }
  void SetEngine(IEngine* engine) override;
  void ReleaseEngine() override;
  void LoadResources() override;
  void RemoveResources() override;
  void SaveToFile(const std::string& fileName) override;
  std::string GetSceneMusicName() override { return sceneMusicName_; }
  int32_t GetIdenticalPartShift() override { return identicalPartShift_; }
  void SetIdenticalPartShift(int32_t value) override { identicalPartShift_ = value; }
  std::string GetSceneShowFactories() override { return sceneShowFactories_; }
  void SetSceneShowFactories(const std::string& value) override { sceneShowFactories_ = value; }
  std::string GetIdenticalShowFactories() override { return identicalShowFactories_; }
  void SetIdenticalShowFactories(const std::string& value) override {
    identicalShowFactories_ = value;
  }
  Ref<IWidget> CreateWidget(const std::string& factoryName,
                            const Ref<IParamCollection>& params) override;
  Ref<ISceneApproachCollection> GetSceneApproaches() override { return approaches_; }
  Ref<IResourceDefCollection> GetResourceDefs() override { return resourceDefs_; }
  Ref<ISceneObjectDefCollection> GetObjectDefs() override { return objectDefs_; }

  // The root's own name is not read: the scene list names the scene.
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  IEngine* GetEngine() const { return engine_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  // Tv2SceneDefsCheck.cpp: what the author is told about the scene once it is read, and
  // once the engine that holds the pictures is known.
  void WarnAboutMistakes() const;
  void WarnAboutActions(const Ref<ISceneObjectActionCollection>& actions, const std::string& owner,
                        const char* kind) const;
  void WarnAboutMissingPictures() const;

  IEngine* engine_ = nullptr;
  std::string dataFile_;  // the scene's file
  int32_t identicalPartShift_ = 256;
  std::string sceneShowFactories_;
  std::string identicalShowFactories_;
  std::string sceneMusicName_ = "default_music";
  Ref<IResourceDefCollection> resourceDefs_;
  Ref<IWidgetFactoryCollection> factories_;
  Ref<ISceneApproachCollection> approaches_;
  Ref<ISceneObjectActionCollection> actions_;
  Ref<ISceneObjectDefCollection> objectDefs_;
};

class TSceneDefRef : public TPersistObject, public virtual ISceneDefRef {
 public:
  void Init() override;

  std::string GetFileName() override { return fileName_; }
  void SetFileName(const std::string& value) override { fileName_ = value; }
  Ref<ISceneDef> LoadSceneDef() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  std::string fileName_;
};

class TSceneDefRefCollection : public TNamedRecordCollection,
                               public virtual ISceneDefRefCollection {
 public:
  void Init() override;
  Ref<ISceneDefRef> GetItem(const Variant& address) override;
  void Add(const Ref<ISceneDefRef>& item) override;
  void SaveToFile(IEngine* engine) override;

 protected:
  Ref<TPersistObject> NewRecord() override;
};

// The scene list of the game's scene-list file, or nothing (with a warning) when it
// cannot be read.
Ref<ISceneDefRefCollection> LoadSceneDefRefs(const std::string& path);

// Hundredths, halves to even: how zooms, angles and centres are kept.
double RoundToHundredths(double value);
