#include "gameplay/Tv2Participants.h"

#include "foundation/MultiLanguages.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2SceneDefs.h"

// ---------------------------------------------------------------------------------------
// Participants

void TParticipant::Init() {
  TPersistObject::Init();
  elementName_ = "participant";
}

// Built once: later changes of the language or of the texts leave it as it was.
std::string TParticipant::GetCaption() {
  if (!captionBuilt_) {
    SetLanguageVariable("participant_name", caption_);
    SetLanguageVariable("participant_age", age_);
    captionCache_ = TranslateText("%participant_caption_pattern%");
    captionBuilt_ = true;
  }
  return captionCache_;
}

void TParticipant::LoadFromXml(const Ref<IHierStorage>& node) {
  SetName(ReadXmlStr(node, "name"));
  caption_ = ReadXmlStr(node, "caption");
  age_ = ReadXmlStr(node, "age");
  description_ = ReadXmlStr(node, "description");
  avatar_ = ReadXmlStr(node, "avatar");
  slot_ = ReadXmlStr(node, "slot");
  categories_ = ReadXmlStr(node, "categories");
  openCategories_ = ReadXmlStr(node, "open_categories");
  std::string type = ReadXmlStr(node, "type");
  client_ = type == "client";
  idealMatch_ = type == "ideal_match";
}

void TParticipant::SaveToXml(const Ref<IHierStorage>& node) {
  WriteXmlStr(node, "name", name_, true);
  WriteXmlStr(node, "caption", caption_, true);
  WriteXmlStr(node, "age", age_, true);
  WriteXmlStr(node, "description", description_, true);
  WriteXmlStr(node, "avatar", avatar_, true);
  if (client_)
    WriteXmlStr(node, "type", "client", true);
  else if (idealMatch_)
    WriteXmlStr(node, "type", "ideal_match", true);
  WriteXmlStr(node, "categories", categories_, true);
  WriteXmlStr(node, "open_categories", openCategories_, true);
}

void TParticipantCollection::Init() {
  TNamedRecordCollection::Init();
  elementName_ = "participants";
  itemElementName_ = "participant";
}

Ref<TPersistObject> TParticipantCollection::NewRecord() {
  return Ref<TPersistObject>(TAbstractObject::Create<TParticipant>().get());
}

Ref<IParticipant> TParticipantCollection::GetItem(const Variant& address) {
  return items_->GetAs<IParticipant>(address);
}

void TParticipantCollection::Add(const Ref<IParticipant>& item) {
  if (item) AddNamed(Ref<IInterface>(item.get()), item->GetName());
}

Ref<IParticipantCollection> LoadParticipants(const std::string& path) {
  return LoadDataList<TParticipantCollection, IParticipantCollection>(path);
}

// ---------------------------------------------------------------------------------------
// Categories

void TCategory::Init() {
  TPersistObject::Init();
  elementName_ = "category";
  resourceDefs_ =
      Ref<IResourceDefCollection>(TAbstractObject::Create<TResourceDefCollection>().get());
  objectDefs_ =
      Ref<ISceneObjectDefCollection>(TAbstractObject::Create<TSceneObjectDefCollection>().get());
}

TCategory::~TCategory() {
  if (resourceDefs_) resourceDefs_->ReleaseTarget();
}

void TCategory::SetEngine(IEngine* engine) {
  if (engine) resourceDefs_->SetTarget(engine);
}

void TCategory::ReleaseEngine() {
  resourceDefs_->ReleaseTarget();
}

void TCategory::LoadFromXml(const Ref<IHierStorage>& node) {
  SetName(ReadXmlStr(node, "name"));
  caption_ = ReadXmlStr(node, "caption");
  description_ = ReadXmlStr(node, "description");
  LoadObjectFromChild(Ref<IInterface>(resourceDefs_.get()), node, "resource_defs");
  LoadObjectFromChild(Ref<IInterface>(objectDefs_.get()), node, "object_defs");
}

void TCategory::SaveToXml(const Ref<IHierStorage>& node) {
  WriteXmlStr(node, "name", name_, true);
  WriteXmlStr(node, "caption", caption_, true);
  WriteXmlStr(node, "description", description_, true);
  SaveChildList(node, Ref<IInterface>(resourceDefs_.get()), "resource_defs");
  SaveChildList(node, Ref<IInterface>(objectDefs_.get()), "object_defs");
}

void TCategoryCollection::Init() {
  TNamedRecordCollection::Init();
  elementName_ = "categories";
  itemElementName_ = "category";
}

Ref<TPersistObject> TCategoryCollection::NewRecord() {
  return Ref<TPersistObject>(TAbstractObject::Create<TCategory>().get());
}

void TCategoryCollection::SetEngine(IEngine* engine) {
  for (int i = 0; i < Count(); ++i)
    if (Ref<ICategory> category = GetItem(Variant(i))) category->SetEngine(engine);
}

void TCategoryCollection::ReleaseEngine() {
  for (int i = 0; i < Count(); ++i)
    if (Ref<ICategory> category = GetItem(Variant(i))) category->ReleaseEngine();
}

Ref<ICategory> TCategoryCollection::GetItem(const Variant& address) {
  return items_->GetAs<ICategory>(address);
}

void TCategoryCollection::Add(const Ref<ICategory>& item) {
  if (item) AddNamed(Ref<IInterface>(item.get()), item->GetName());
}

void TCategoryCollection::SaveToFile(IEngine* engine) {
  WriteProgramFolderDocument(engine, this, "categories", CategoriesFileName);
}

Ref<ICategoryCollection> LoadCategories(const std::string& path) {
  return LoadDataList<TCategoryCollection, ICategoryCollection>(path);
}
