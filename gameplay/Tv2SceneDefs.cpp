#include "gameplay/Tv2SceneDefs.h"

#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2Declarations.h"
#include "shell/WidgetFactories.h"

// ---------------------------------------------------------------------------------------
// TSceneDef

void TSceneDef::Init() {
  TPersistObject::Init();
  elementName_ = "scene_def";
  Ref<TResourceDefCollection> resources = TAbstractObject::Create<TResourceDefCollection>();
  resourceDefs_ = Ref<IResourceDefCollection>(resources.get());
  factories_ =
      Ref<IWidgetFactoryCollection>(TAbstractObject::Create<TWidgetFactoryCollection>().get());
  approaches_ =
      Ref<ISceneApproachCollection>(TAbstractObject::Create<TSceneApproachCollection>().get());
  actions_ = Ref<ISceneObjectActionCollection>(
      TAbstractObject::Create<TSceneObjectActionCollection>().get());
  objectDefs_ =
      Ref<ISceneObjectDefCollection>(TAbstractObject::Create<TSceneObjectDefCollection>().get());
}

TSceneDef::~TSceneDef() {
  // The definitions point back at their collection, never at an engine that has gone.
  if (resourceDefs_) resourceDefs_->ReleaseTarget();
}

void TSceneDef::SetEngine(IEngine* engine) {
  resourceDefs_->SetTarget(engine);
  engine_ = engine;
  WarnAboutMissingPictures();
}

void TSceneDef::ReleaseEngine() {
  resourceDefs_->ReleaseTarget();
  engine_ = nullptr;
}

void TSceneDef::LoadResources() {
  resourceDefs_->LoadResources();
}

// Through the definitions: a list without a group of its own removes the resources it
// loaded, where the engine would read the empty group as every resource of the game.
void TSceneDef::RemoveResources() {
  if (engine_) resourceDefs_->RemoveResources();
}

void TSceneDef::SaveToFile(const std::string& fileName) {
  WriteProgramFolderDocument(engine_, this, "scene_def", fileName);
}

Ref<IWidget> TSceneDef::CreateWidget(const std::string& factoryName,
                                     const Ref<IParamCollection>& params) {
  Ref<IWidgetFactory> factory = factories_->GetItem(Variant(factoryName));
  return factory ? factory->CreateWidget(params) : nullptr;
}

// The scene's own name is not read: its list entry names it. Its music is never written.
const TPropertyTable& TSceneDef::Properties() {
  using S = TSceneDef;
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Attr("identical_part_shift", &S::identicalPartShift_).Int(256),
          Attr("scene_show_factories", &S::sceneShowFactories_).Str(),
          Attr("identical_show_factories", &S::identicalShowFactories_).Str(),
          Attr("scene_music_name", &S::sceneMusicName_).Str("default_music").NotSaved(),
      });
  return table;
}

void TSceneDef::LoadFromXml(const Ref<IHierStorage>& node) {
  if (!node) return;
  dataFile_ = StorageDataFile(node);
  Properties().Load(*this, node);
  LoadObjectFromChild(Ref<IInterface>(resourceDefs_.get()), node, "resource_defs");
  LoadObjectFromChild(Ref<IInterface>(factories_.get()), node, "widgetfactories");
  LoadObjectFromChild(Ref<IInterface>(approaches_.get()), node, "scene_approaches");
  LoadObjectFromChild(Ref<IInterface>(actions_.get()), node, "actions");
  LoadObjectFromChild(Ref<IInterface>(objectDefs_.get()), node, "object_defs");
  WarnAboutMistakes();
}

void TSceneDef::SaveToXml(const Ref<IHierStorage>& node) {
  if (!node) return;
  Properties().Save(*this, node);
  SaveChildList(node, Ref<IInterface>(resourceDefs_.get()), "resource_defs");
  SaveChildList(node, Ref<IInterface>(factories_.get()), "widgetfactories");
  SaveChildList(node, Ref<IInterface>(approaches_.get()), "scene_approaches");
  SaveChildList(node, Ref<IInterface>(actions_.get()), "actions", "action");
  SaveChildList(node, Ref<IInterface>(objectDefs_.get()), "object_defs");
}

// ---------------------------------------------------------------------------------------
// TSceneDefRef

void TSceneDefRef::Init() {
  TPersistObject::Init();
  elementName_ = "scene_def";
}

Ref<ISceneDef> TSceneDefRef::LoadSceneDef() {
  Ref<TSceneDef> scene = TAbstractObject::Create<TSceneDef>();
  if (Ref<IHierStorageRoot> storage = LoadDataDocument(fileName_)) {
    LoadDataGuarded(fileName_, [&] { storage->LoadObject(scene.get()); });
  }
  scene->SetName(name_);
  return Ref<ISceneDef>(scene.get());
}

const TPropertyTable& TSceneDefRef::Properties() {
  using R = TSceneDefRef;
  static const TPropertyTable table(TPersistObject::Properties(),
                                    {
                                        Attr<R>("name", &R::name_).Str().Always(),
                                        Attr("filename", &R::fileName_).Str().Always(),
                                    });
  return table;
}

void TSceneDefRef::LoadFromXml(const Ref<IHierStorage>& node) {
  Properties().Load(*this, node);
}

void TSceneDefRef::SaveToXml(const Ref<IHierStorage>& node) {
  Properties().Save(*this, node);
}

// ---------------------------------------------------------------------------------------
// TSceneDefRefCollection

void TSceneDefRefCollection::Init() {
  TNamedRecordCollection::Init();
  elementName_ = "scene_defs";
  itemElementName_ = "scene_def";
}

Ref<TPersistObject> TSceneDefRefCollection::NewRecord() {
  return Ref<TPersistObject>(TAbstractObject::Create<TSceneDefRef>().get());
}

Ref<ISceneDefRef> TSceneDefRefCollection::GetItem(const Variant& address) {
  return items_->GetAs<ISceneDefRef>(address);
}

void TSceneDefRefCollection::Add(const Ref<ISceneDefRef>& item) {
  if (item) AddNamed(Ref<IInterface>(item.get()), item->GetName());
}

void TSceneDefRefCollection::SaveToFile(IEngine* engine) {
  WriteProgramFolderDocument(engine, this, "scene_defs", ScenesFileName);
}

Ref<ISceneDefRefCollection> LoadSceneDefRefs(const std::string& path) {
  return LoadDataList<TSceneDefRefCollection, ISceneDefRefCollection>(path);
}
