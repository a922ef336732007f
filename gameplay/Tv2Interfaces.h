#pragma once
// How the pieces of the hidden-object gameplay reach each other: the scene definitions and
// their records (objects, locations, approaches, actions), the player's progress, the
// participants and categories, the scene generator, the managers of a level (level, panel,
// falling objects), the item panel widget, and the play screen as its managers see it
// (IGameManagersOwner). Also the tables of registered manager names by level kind.
//
// Name lists in the progress and in scene parameters are texts of names each followed by
// ";" ("a;b;"); pair lists hold value ":" name ";" entries.
//
// Back links: managers and the generator hold the play screen as a plain pointer; the play
// screen releases them before it goes.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/EngineResourceDefs.h"
#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"
#include "foundation/Params.h"
#include "shell/GameInterfaces.h"

class IGameManagersOwner;
class ILevelManager;
class IPanelManager;

// ---------------------------------------------------------------------------------------
// Scene records

// Object types ("objecttype"): which list of a player's scene an object goes into.
enum : uint8_t {
  otHiddenObject = 0,  // "ho_names"
  otIdentical = 1,     // "io_names"
  otHiddenPart = 2,    // "hp_names"
  otComplete = 3,      // "co_names"
  otDisposable = 4,    // "do_names"
  otInactiveProp = 5,  // "ip_names": scenery, the default type
  otActiveArea = 6,    // "aa_names": scenery that stops the mouse
  otVoodooDoll = 7,    // "vd_names"
};

class ISceneObjectAction : public virtual INamedObject {
 public:
  virtual uint8_t GetConditionType() = 0;
  virtual void SetConditionType(uint8_t value) = 0;
  virtual std::string GetConditionString() = 0;
  virtual void SetConditionString(const std::string& value) = 0;
  virtual uint8_t GetActionType() = 0;
  virtual void SetActionType(uint8_t value) = 0;
  virtual std::string GetActionString() = 0;
  virtual void SetActionString(const std::string& value) = 0;
  virtual int32_t GetStartDelayTime() = 0;
  virtual void SetStartDelayTime(int32_t value) = 0;
};

class ISceneObjectActionCollection : public virtual ICollection {
 public:
  // A position or a name; nothing when absent.
  virtual Ref<ISceneObjectAction> GetItem(const Variant& address) = 0;
  // Under the action's name; a name already present is refused.
  virtual void Add(const Ref<ISceneObjectAction>& item) = 0;
  // A new action with the defaults, added under a fresh name.
  virtual Ref<ISceneObjectAction> AddAction() = 0;
};

// Scenes, objects and locations carry actions.
class ISceneObjectActionsOwner : public virtual INamedObject {
 public:
  virtual Ref<ISceneObjectActionCollection> GetActions() = 0;
};

class ISceneObjectLocation : public virtual ISceneObjectActionsOwner {
 public:
  virtual std::string GetApproachName() = 0;
  virtual void SetApproachName(const std::string& value) = 0;
  virtual int32_t GetAnchorLeft() = 0;
  virtual void SetAnchorLeft(int32_t value) = 0;
  virtual int32_t GetAnchorTop() = 0;
  virtual void SetAnchorTop(int32_t value) = 0;
  virtual int32_t GetZ() = 0;
  virtual void SetZ(int32_t value) = 0;
  virtual int32_t GetTransparentLevel() = 0;
  virtual void SetTransparentLevel(int32_t value) = 0;
  // Zooms and the angle are kept rounded to hundredths.
  virtual double GetZoomX() = 0;
  virtual void SetZoomX(double value) = 0;
  virtual double GetZoomY() = 0;
  virtual void SetZoomY(double value) = 0;
  virtual double GetAngle() = 0;
  virtual void SetAngle(double value) = 0;
  virtual uint8_t GetDifficulty() = 0;
  virtual void SetDifficulty(uint8_t value) = 0;
  virtual std::string GetCursor() = 0;
  virtual void SetCursor(const std::string& value) = 0;
  // "anchor_left", "anchor_top", "z", "transparentlevel", "zoomx", "zoomy", "angle",
  // "cursor".
  virtual void FillWidgetParams(const Ref<IParamCollection>& params) = 0;
};

class ISceneObjectLocationCollection : public virtual ICollection {
 public:
  virtual Ref<ISceneObjectLocation> GetItem(const Variant& address) = 0;
  virtual void Add(const Ref<ISceneObjectLocation>& item) = 0;
  // A new location named "l" + a free number, with these values and difficulty 1.
  virtual Ref<ISceneObjectLocation> AddLocation(const std::string& approachName, int32_t left,
                                                int32_t top, int32_t z, int32_t transparency,
                                                double zoomX, double zoomY, double angle) = 0;
};

// A zoomed close-up of part of a scene.
class ISceneApproach : public virtual INamedObject {
 public:
  virtual std::string GetResourceName() = 0;
  virtual void SetResourceName(const std::string& value) = 0;
  virtual int32_t GetResourceLeft() = 0;
  virtual void SetResourceLeft(int32_t value) = 0;
  virtual int32_t GetResourceTop() = 0;
  virtual void SetResourceTop(int32_t value) = 0;
  virtual int32_t GetWidth() = 0;
  virtual void SetWidth(int32_t value) = 0;
  virtual int32_t GetHeight() = 0;
  virtual void SetHeight(int32_t value) = 0;
  virtual int32_t GetAnchorLeft() = 0;
  virtual void SetAnchorLeft(int32_t value) = 0;
  virtual int32_t GetAnchorTop() = 0;
  virtual void SetAnchorTop(int32_t value) = 0;
  virtual std::string GetApproachShowFactories() = 0;
  virtual void SetApproachShowFactories(const std::string& value) = 0;
  // "name", "anchor_left", "anchor_top", "resourcename", "resourceleft", "resourcetop",
  // "width", "height", "aliases", "extraparams".
  virtual void FillWidgetParams(const Ref<IParamCollection>& params) = 0;
};

class ISceneApproachCollection : public virtual ICollection {
 public:
  virtual Ref<ISceneApproach> GetItem(const Variant& address) = 0;
  virtual void Add(const Ref<ISceneApproach>& item) = 0;
};

// One thing that can be hidden in a scene (or listed by a category).
class ISceneObjectDef : public virtual ISceneObjectActionsOwner {
 public:
  // A change of type to or from 0 toggles hide-on-activation, which defaults to yes for
  // type 0 only, so the flag keeps its meaning relative to its default.
  virtual uint8_t GetObjectType() = 0;
  virtual void SetObjectType(uint8_t value) = 0;
  // The caption translated; the caption as stored.
  virtual std::string GetCaption() = 0;
  virtual std::string GetCaptionText() = 0;
  virtual void SetCaptionText(const std::string& value) = 0;
  virtual std::string GetCategory() = 0;
  virtual void SetCategory(const std::string& value) = 0;
  virtual bool GetFirstGeneration() = 0;
  virtual void SetFirstGeneration(bool value) = 0;
  virtual bool GetLocationsAllEnabled() = 0;
  virtual void SetLocationsAllEnabled(bool value) = 0;
  virtual bool GetHideOnActivation() = 0;
  virtual void SetHideOnActivation(bool value) = 0;
  virtual bool GetDisabledOnStart() = 0;
  virtual void SetDisabledOnStart(bool value) = 0;
  virtual std::string GetResourceName() = 0;
  virtual void SetResourceName(const std::string& value) = 0;
  // Moving the left (top) edge keeps the right (bottom) edge where it was.
  virtual int32_t GetResourceLeft() = 0;
  virtual void SetResourceLeft(int32_t value) = 0;
  virtual int32_t GetResourceTop() = 0;
  virtual void SetResourceTop(int32_t value) = 0;
  // A new size centres the object, which moves its locations (below).
  virtual int32_t GetWidth() = 0;
  virtual void SetWidth(int32_t value) = 0;
  virtual int32_t GetHeight() = 0;
  virtual void SetHeight(int32_t value) = 0;
  // A new centre moves every location so that the object stays where it is on screen.
  virtual double GetCenterX() = 0;
  virtual void SetCenterX(double value) = 0;
  virtual double GetCenterY() = 0;
  virtual void SetCenterY(double value) = 0;
  virtual Ref<ISceneObjectLocationCollection> GetLocations() = 0;
  virtual Ref<ISceneObjectActionCollection> GetMouseActions() = 0;
  // The parameters of a "widget_sceneobject" for the object at that location (its own
  // only when it has no location of that name).
  virtual void FillWidgetParams(const std::string& locationName,
                                const Ref<IParamCollection>& params) = 0;
};

class ISceneObjectDefCollection : public virtual ICollection {
 public:
  virtual Ref<ISceneObjectDef> GetItem(const Variant& address) = 0;
  virtual void Add(const Ref<ISceneObjectDef>& item) = 0;
  // A new object under Name, or Name followed by the first free number; appended.
  virtual Ref<ISceneObjectDef> AddObjectDef(const std::string& name,
                                            const std::string& resourceName, int32_t left,
                                            int32_t top, int32_t width, int32_t height) = 0;
};

// ---------------------------------------------------------------------------------------
// Scene definitions

class ISceneDef : public virtual ISceneObjectActionsOwner {
 public:
  // The engine the scene's resources load into; not held beyond ReleaseEngine.
  virtual void SetEngine(IEngine* engine) = 0;
  virtual void ReleaseEngine() = 0;
  virtual void LoadResources() = 0;
  virtual void RemoveResources() = 0;
  // Writes the scene as a plain file of the program folder; nothing without an engine.
  virtual void SaveToFile(const std::string& fileName) = 0;
  virtual std::string GetSceneMusicName() = 0;
  virtual int32_t GetIdenticalPartShift() = 0;
  virtual void SetIdenticalPartShift(int32_t value) = 0;
  virtual std::string GetSceneShowFactories() = 0;
  virtual void SetSceneShowFactories(const std::string& value) = 0;
  virtual std::string GetIdenticalShowFactories() = 0;
  virtual void SetIdenticalShowFactories(const std::string& value) = 0;
  // A widget from the scene's factory of that name; nothing when it has none.
  virtual Ref<IWidget> CreateWidget(const std::string& factoryName,
                                    const Ref<IParamCollection>& params) = 0;
  virtual Ref<ISceneApproachCollection> GetSceneApproaches() = 0;
  virtual Ref<IResourceDefCollection> GetResourceDefs() = 0;
  virtual Ref<ISceneObjectDefCollection> GetObjectDefs() = 0;
};

// One entry of the scene list: a scene name and the path of its document.
class ISceneDefRef : public virtual INamedObject {
 public:
  virtual std::string GetFileName() = 0;
  virtual void SetFileName(const std::string& value) = 0;
  // A fresh scene read from the file, named like the entry; an unreadable file gives an
  // empty scene.
  virtual Ref<ISceneDef> LoadSceneDef() = 0;
};

class ISceneDefRefCollection : public virtual ICollection {
 public:
  virtual Ref<ISceneDefRef> GetItem(const Variant& address) = 0;
  virtual void Add(const Ref<ISceneDefRef>& item) = 0;
  // Writes the list as the program folder's scene list; nothing without an engine.
  virtual void SaveToFile(IEngine* engine) = 0;
};

// ---------------------------------------------------------------------------------------
// The player's progress

class IAbstractUGDObject : public virtual IPersistParamsObject {
 public:
  virtual bool IsCompleted() = 0;
  virtual void SetCompleted(bool value) = 0;
};

class IUGDScene : public virtual IAbstractUGDObject {
 public:
  // The generator has chosen the scene's objects.
  virtual bool IsGenerated() = 0;
  virtual void SetGenerated(bool value) = 0;
};

class IUGDTask : public virtual IAbstractUGDObject {
 public:
  // The level kind the task is played as.
  virtual uint8_t GetTaskType() = 0;
};

class IUGDSceneCollection : public virtual ICollection {
 public:
  virtual Ref<IUGDScene> GetItem(const Variant& address) = 0;
  virtual void Add(const Ref<IUGDScene>& item) = 0;
};

class IUGDTaskCollection : public virtual ICollection {
 public:
  virtual Ref<IUGDTask> GetItem(const Variant& address) = 0;
  virtual void Add(const Ref<IUGDTask>& item) = 0;
};

class IUGDStage : public virtual IAbstractUGDObject {
 public:
  virtual Ref<IParamCollection> GetStageParams() = 0;
  virtual Ref<IUGDTaskCollection> GetTasks() = 0;
};

class IUGDStageCollection : public virtual ICollection {
 public:
  virtual Ref<IUGDStage> GetItem(const Variant& address) = 0;
  virtual void Add(const Ref<IUGDStage>& item) = 0;
};

class IUGDCase : public virtual IAbstractUGDObject {
 public:
  virtual Ref<IUGDStageCollection> GetStages() = 0;
  // The stage named by "currentstage", else the first (then named there); nothing
  // without stages.
  virtual Ref<IUGDStage> CurrentStage() = 0;
};

class IUGDCaseCollection : public virtual ICollection {
 public:
  virtual Ref<IUGDCase> GetItem(const Variant& address) = 0;
  virtual void Add(const Ref<IUGDCase>& item) = 0;
};

// Everything the game remembers of one player's story, kept inside their profile.
class IUserGameData : public virtual IPersistParamsObject {
 public:
  // Reads the progress from the profile's data storage.
  virtual void AttachProfile(const Ref<IUserProfile>& profile) = 0;
  // Lets go of the profile and the collections (before the object is dropped).
  virtual void ReleaseLinks() = 0;
  // Writes the progress into the profile and saves the game's profile list.
  virtual void StoreToProfile(IGameScreenOwner* game) = 0;
  // Empties the cases, then loads the "case" children of Node (none: empty).
  virtual void LoadCases(const Ref<IHierStorage>& node) = 0;
  virtual int32_t GetDebugMode() = 0;
  virtual void SetDebugMode(int32_t value) = 0;
  virtual bool GetNeedMgCategoryTut() = 0;
  virtual void SetNeedMgCategoryTut(bool value) = 0;
  virtual std::string GetProfileName() = 0;
  virtual void SetProfileName(const std::string& value) = 0;
  // 0 timed, 1 untimed.
  virtual uint8_t GetPlayMode() = 0;
  virtual void SetPlayMode(uint8_t value) = 0;

  virtual std::string GetJournal() = 0;
  virtual void SetJournal(const std::string& value) = 0;
  virtual void AddToJournal(const std::string& name) = 0;
  virtual std::string GetMatchedClients() = 0;
  virtual void SetMatchedClients(const std::string& value) = 0;
  virtual void AddMatchedClient(const std::string& name) = 0;
  virtual std::string GetFindedVoodoo() = 0;
  virtual void SetFindedVoodoo(const std::string& value) = 0;
  virtual void AddFindedVoodoo(const std::string& name) = 0;
  virtual std::string GetOpenGifts() = 0;
  virtual void SetOpenGifts(const std::string& value) = 0;
  virtual void AddOpenGift(const std::string& name) = 0;
  virtual void RemoveOpenGift(const std::string& name) = 0;
  virtual std::string GetChosenGifts() = 0;
  virtual void SetChosenGifts(const std::string& value) = 0;
  virtual void ChooseGift(const std::string& name, const std::string& value) = 0;
  virtual std::string GetOpenPlaces() = 0;
  virtual void SetOpenPlaces(const std::string& value) = 0;
  virtual void AddOpenPlace(const std::string& name) = 0;
  virtual void RemoveOpenPlace(const std::string& name) = 0;
  virtual std::string GetChosenPlaces() = 0;
  virtual void SetChosenPlaces(const std::string& value) = 0;
  virtual void ChoosePlace(const std::string& name, const std::string& value) = 0;
  // The in-memory list (never saved).
  virtual std::string GetTempList() = 0;
  virtual void SetTempList(const std::string& value) = 0;
  virtual void AddToTempList(const std::string& name) = 0;
  virtual void RemoveFromTempList(const std::string& name) = 0;
  virtual bool TempListContains(const std::string& name) = 0;

  virtual Ref<IUGDSceneCollection> GetScenes() = 0;
  virtual Ref<IUGDCaseCollection> GetCases() = 0;
  // The case named by "currentcase", else the first (then named there); nothing without
  // cases.
  virtual Ref<IUGDCase> CurrentCase() = 0;
  // Every scene not completed.
  virtual void ResetScenes() = 0;
  virtual int32_t GetLevel() = 0;
  virtual void SetLevel(int32_t value) = 0;
  virtual int32_t GetScores() = 0;
  virtual void SetScores(int32_t value) = 0;
};

// ---------------------------------------------------------------------------------------
// Participants and categories

class IParticipant : public virtual INamedObject {
 public:
  // The caption pattern of the language file with the participant's caption and age,
  // built on the first request.
  virtual std::string GetCaption() = 0;
  virtual std::string GetDescription() = 0;
  virtual std::string GetAvatar() = 0;
  virtual std::string GetSlot() = 0;
  virtual bool IsClient() = 0;
  virtual bool IsIdealMatch() = 0;
  // Category names separated by ";".
  virtual std::string GetCategories() = 0;
  virtual std::string GetOpenCategories() = 0;
};

class IParticipantCollection : public virtual ICollection {
 public:
  virtual Ref<IParticipant> GetItem(const Variant& address) = 0;
  virtual void Add(const Ref<IParticipant>& item) = 0;
};

class ICategory : public virtual INamedObject {
 public:
  virtual void SetEngine(IEngine* engine) = 0;
  virtual void ReleaseEngine() = 0;
  virtual Ref<IResourceDefCollection> GetResourceDefs() = 0;
  virtual Ref<ISceneObjectDefCollection> GetObjectDefs() = 0;
  virtual std::string GetCaption() = 0;
  virtual void SetCaption(const std::string& value) = 0;
  virtual std::string GetDescription() = 0;
  virtual void SetDescription(const std::string& value) = 0;
};

class ICategoryCollection : public virtual ICollection {
 public:
  virtual void SetEngine(IEngine* engine) = 0;
  virtual void ReleaseEngine() = 0;
  virtual Ref<ICategory> GetItem(const Variant& address) = 0;
  virtual void Add(const Ref<ICategory>& item) = 0;
  // Writes the list as the program folder's categories file; nothing without an engine.
  virtual void SaveToFile(IEngine* engine) = 0;
};

// ---------------------------------------------------------------------------------------
// The scene generator

// Chooses which objects of a scene appear where and which are wanted, and writes the
// choices as name lists into the parameters of the player's scene.
class ISceneGenerator : public virtual IInterface {
 public:
  virtual void Init(IGameManagersOwner* owner) = 0;
  virtual void Done() = 0;
  // Kind: a level kind (0 to 4), or below 0 for every list. True when the lists the kind
  // needs were filled; the scene's generated flag is set to the result.
  virtual bool GenerateLevel(const Ref<IUGDScene>& scene, int32_t kind) = 0;
};

// ---------------------------------------------------------------------------------------
// The managers of a level

// The rule keeper of one level: builds the scene's widgets, judges clicks, runs the
// objects' actions, chooses hint targets and tells when every object is found.
class ILevelManager : public virtual IInterface {
 public:
  virtual void Init(IGameManagersOwner* owner) = 0;
  virtual void Done() = 0;
  virtual void Update() = 0;
  // Loads the level's scene(s); the resource definitions the screen is to load.
  virtual Ref<IResourceDefCollection> LoadScene() = 0;
  virtual void StartLevel() = 0;
  virtual bool ObjectClicked(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                             const Ref<ISceneObjectLocation>& location, const TPoint& point) = 0;
  virtual bool ActivateAtLocation(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                                  const TPoint& point,
                                  const Ref<ISceneObjectLocation>& location) = 0;
  virtual void OnEmptyClick() = 0;
  virtual void AfterActivation(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                               const Ref<ISceneObjectLocation>& location) = 0;
  virtual int32_t RemainingCount() = 0;
  // What the player's counter shows: the hidden voodoo dolls count only once nothing else
  // is left, so that it matches what the panel still asks for.
  virtual int32_t LeftToFindCount() = 0;
  virtual int32_t TotalCount() = 0;
  // The widget of the object's location under Point where a carried object may be put.
  virtual Ref<IWidget> PlacementHitTest(const Ref<ISceneObjectDef>& object, const TPoint& point,
                                        const std::string& approachName,
                                        const Ref<IUGDScene>& scene) = 0;
  virtual void ResetActivateSequence(const Ref<IUGDScene>& scene) = 0;
  virtual std::string GetActivateSequence(const Ref<IUGDScene>& scene) = 0;
  virtual bool IsWantedObject(const Ref<ISceneObjectDef>& object) = 0;
  virtual void BuildSceneView() = 0;
  virtual void PlaySceneMusic() = 0;
  virtual void StopSceneMusic() = 0;
  virtual bool AllObjectsFound() = 0;
  virtual Ref<IWidget> ChooseWantedHintObject() = 0;
  virtual Ref<IWidget> ChooseHintObject() = 0;
  virtual Ref<IWidget> RunSceneAction(const std::string& name,
                                      const Ref<IParamCollection>& params) = 0;
  // The object type the level asks for.
  virtual uint8_t GetMode() = 0;
  virtual void ShowHintText(const std::string& key) = 0;
  // A found object's flight has ended (the falling-object manager tells).
  virtual void ObjectPlaced(const Ref<IWidget>& widget, const Ref<ISceneObjectDef>& object,
                            const Ref<ISceneObjectLocation>& location) = 0;
};

// Lays out the objects of a level in the item panel and takes found items off.
class IPanelManager : public virtual IInterface {
 public:
  // Capacity below 0: the default.
  virtual void Bind(IGameManagersOwner* owner, int32_t capacity) = 0;
  virtual void Unbind() = 0;
  virtual void AddItem(const Ref<ISceneObjectDef>& object) = 0;
  virtual void FitItem(const Ref<ISceneObjectLocation>& location) = 0;
  // Adds the item's screen position ("endposx", "endposy", ...) to Params.
  virtual void AnimateItem(const Ref<ISceneObjectDef>& object,
                           const Ref<IParamCollection>& params) = 0;
  virtual void MarkItemFound(const Ref<ISceneObjectDef>& object) = 0;
  // True when the object's item needs no more finds.
  virtual bool ObjectFound(const Ref<ISceneObjectDef>& object) = 0;
  virtual void DecrementCount(const Ref<IWidget>& widget) = 0;
  // The per-frame step; true while something was done or is busy.
  virtual bool ProcessPendingHides() = 0;
  virtual void SetItemBusy(const Ref<IWidget>& widget, bool busy) = 0;
  virtual void UpdateItemVisibility(const Ref<IWidget>& widget, int32_t offset) = 0;
  // Whether the object's item is shown (false when it is not listed).
  virtual bool GetItemState(const Ref<ISceneObjectDef>& object) = 0;
  virtual Ref<IWidget> GetItemWidget(const Ref<ISceneObjectDef>& object) = 0;
  virtual Ref<ISceneObjectDef> GetItemObjectByWidget(const Ref<IWidget>& widget, bool second) = 0;
  virtual double GetItemProperty(const Ref<ISceneObjectDef>& object, const std::string& name) = 0;
  virtual Ref<ISceneObjectDef> GetPairedObject(const Ref<ISceneObjectDef>& object) = 0;
  virtual bool GetItemsMouseStop() = 0;
  virtual bool GetSecondFlag() = 0;
  virtual void HideAllShown() = 0;
  virtual void SetCapacity(int32_t capacity) = 0;
  // Delay in and out; X and Y out, set by the kinds that compute a target.
  virtual void ScheduleItem(const Ref<ISceneObjectDef>& object, int32_t& delay, double& x,
                            double& y) = 0;
  virtual std::string GetItemPrefix() = 0;
  virtual int32_t GetRemainingCount(const Ref<ISceneObjectDef>& object) = 0;
  virtual void AfterChange() = 0;
  virtual void ShowItemLabel(const TPoint& point) = 0;
  virtual void SwapItems(const Ref<ISceneObjectDef>& first, const Ref<ISceneObjectDef>& second) = 0;
  virtual void ResetScroll() = 0;
  virtual void ScrollLeft(const Ref<IWidget>& leaveOut) = 0;
  virtual void ScrollRight(const Ref<IWidget>& leaveOut) = 0;
  virtual void RefreshLayout() = 0;
};

// The item panel: makes the item widgets the panel manager asks for and keeps them.
class IItemListPanelWidget : public virtual IWidget {
 public:
  virtual void SetPanelManager(const Ref<IPanelManager>& manager) = 0;
  virtual Ref<IPanelManager> GetPanelManager() = 0;
  virtual Ref<IWidget> CreateItemWidget(const std::string& name, const std::string& itemSource,
                                        const std::string& factoryName, int32_t left, int32_t top,
                                        int32_t width, int32_t height) = 0;
  virtual Ref<IWidget> CreateItem(const std::string& factoryName,
                                  const Ref<IParamCollection>& params) = 0;
  virtual bool LayoutItemLabels(const std::string& factoryName,
                                const Ref<IParamCollection>& params) = 0;
  virtual void RemoveItemLabel() = 0;
};

// Flights of found objects to their panel items.
class IFallObjManager : public virtual IInterface {
 public:
  virtual void Bind(IGameManagersOwner* owner) = 0;
  virtual void Clear() = 0;
  virtual void Update() = 0;
  virtual void AddObject(const Ref<IWidget>& widget, const Ref<IWidget>& source) = 0;
  virtual void AddPair(const Ref<IWidget>& first, const Ref<IWidget>& second,
                       const Ref<IWidget>& secondSource, const Ref<IWidget>& firstSource) = 0;
};

// ---------------------------------------------------------------------------------------
// The play screen as the managers see it

// Widget group kinds of GetWidgetGroup and AddWidgetToGroup.
enum : uint8_t {
  gkAnimation = 1,   // "animation_group"
  gkObjects = 2,     // "objects_group"
  gkApproaches = 3,  // "approaches_group"
  gkLeftPart = 4,    // "left_part/objects_group"
  gkRightPart = 5,   // "right_part/objects_group"
  gkBackground = 6,  // "background_group"
  gkInterface = 7,   // "ui_group"
};

// The path of a widget group kind in the play screen; '' for any other kind.
std::string_view WidgetGroupPath(int kind);

class IGameManagersOwner : public virtual IWidgetOwner {
 public:
  // The game.
  virtual IGameScreenOwner* GetOwner() = 0;
  virtual Ref<ISceneDefRefCollection> GetSceneDefs() = 0;
  virtual Ref<IUserGameData> GetUserGameData() = 0;
  virtual Ref<IUGDCase> GetCase() = 0;
  virtual Ref<IUGDStage> GetStage() = 0;
  virtual Ref<IUGDTask> GetTask() = 0;
  virtual Ref<IUGDScene> GetScene() = 0;
  virtual Ref<ILevelManager> GetLevelManager() = 0;
  // The item panel widget; its GetPanelManager gives the panel manager.
  virtual Ref<IItemListPanelWidget> GetPanelManager() = 0;
  virtual Ref<IWidget> GetWidgetGroup(uint8_t kind) = 0;
  // The object's widget at the location: the one there, else a new "widget_sceneobject".
  virtual Ref<IWidget> CreateSceneObjectWidget(const Ref<ISceneObjectDef>& object,
                                               const Ref<ISceneObjectLocation>& location,
                                               int32_t shiftX, uint8_t kind) = 0;
  virtual void EnableAmulet(const Ref<IWidget>& target) = 0;
  virtual bool IsAmuletActive() = 0;
  virtual void StartAmulet() = 0;
  virtual void StopAmulet() = 0;
  virtual void DisableAmulet() = 0;
  // Makes the scene current, generating it first when it has not been; false when that
  // fails (the current scene stays).
  virtual bool SetCurrentScene(const Ref<IUGDScene>& scene) = 0;
  // The definitions behind a scene-object widget; false when it is none. Location stays
  // empty for a widget of no location.
  virtual bool GetObjectDefs(const Ref<IWidget>& widget, Ref<ISceneObjectDef>& object,
                             Ref<ISceneObjectLocation>& location) = 0;
  virtual Ref<ISceneObjectDef> GetWidgetObjectDef(const Ref<IWidget>& widget) = 0;
  virtual Ref<IWidget> FindSceneObjectWidget(const Ref<ISceneObjectDef>& object,
                                             const Ref<ISceneObjectLocation>& location,
                                             uint8_t kind) = 0;
  virtual Ref<IWidget> FindVisibleObjectWidget(const Ref<ISceneObjectDef>& object, uint8_t kind,
                                               const Ref<ISceneObjectLocation>& location) = 0;
  virtual Ref<IWidget> FindSceneWidget(const Ref<IWidget>& widget, const std::string& name,
                                       const std::string& approachName) = 0;
  // A wanted object's widget for a hint (the first, or a random one), and the path of its
  // container with a trailing "/".
  virtual Ref<IWidget> ResolveWidgetPath(bool random, std::string& pathPrefix) = 0;
  // Makes the object the carried item, centred on Centre.
  virtual bool TakeSceneObject(const Ref<IWidget>& objectWidget, const Ref<IWidget>& source,
                               bool force, const TPoint& clickPoint, const TPoint& centre) = 0;
  virtual Ref<IWidget> GetCarriedItem() = 0;
  virtual Ref<ISceneObjectDef> GetCurrentObject() = 0;
  virtual void AddWidgetToGroup(const Ref<IWidget>& widget, uint8_t kind,
                                const std::string& subPath) = 0;
  virtual void UpdateObjectsLeftCount() = 0;
  virtual void AddScores(int32_t points) = 0;
  virtual void TickTimer(int32_t elapsedMs) = 0;
  virtual void SetInputBlocked(bool value) = 0;
  virtual bool IsInputBlocked() = 0;
  virtual void SetBlackScreen(bool value) = 0;
  virtual bool IsBlackScreen() = 0;
  // The first of Base, Base1, Base2, ... that no widget of the animation group bears.
  virtual std::string GetAnimationGroupPath(const std::string& base) = 0;
  virtual void PlayEffect(const std::string& factoryName, const Ref<IParamCollection>& params) = 0;
  virtual void LevelFailed() = 0;
  virtual void LevelWon() = 0;
  virtual void WriteLevelStatistics(bool value) = 0;
  virtual void CloseGameScreen(const Ref<IParamCollection>& params) = 0;
  virtual void ShowTutorial() = 0;
  virtual void EnableSceneObject(const Ref<ISceneObjectDef>& object, bool force) = 0;
  virtual int32_t GetTimeSinceLastFind() = 0;
  virtual void SetWidgetVisible(const Ref<IWidget>& widget, bool visible) = 0;
  virtual void SwitchWidget(const Ref<IWidget>& widget, const std::string& name, bool fade, bool on,
                            int32_t delay, const std::string& approachName) = 0;
  virtual void QueueDelayedAction(const Ref<IWidget>& widget, bool on, bool approach,
                                  int32_t delay) = 0;
  virtual void OpenApproach(const std::string& name, int32_t delay) = 0;
  virtual Ref<IWidget> GetOpenApproach() = 0;
  virtual Ref<IWidget> GetApproach(const std::string& name) = 0;
  virtual void PlaySceneSound(const std::string& name) = 0;
};

// ---------------------------------------------------------------------------------------
// Managers by level kind

// The level kind of a task type: the type without its top bit (0 to 5 in the game's data).
constexpr int32_t LevelKindOfType(int64_t taskType) {
  return int32_t(taskType & 0x7F);
}
// The level kind a task is played as; 0 without a task.
inline int32_t LevelKindOf(IUGDTask* task) {
  return task ? LevelKindOfType(task->GetTaskType()) : 0;
}

// The registered names of the level manager and the panel manager of a level kind; ''
// for a kind without one (kind 5 has no panel manager; kinds reach 127 and have none past
// the tables).
std::string_view LevelManagerName(int kind);
std::string_view PanelManagerName(int kind);
