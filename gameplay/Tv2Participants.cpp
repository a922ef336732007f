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

// Every attribute is written but the slot, which is only read.
const TPropertyTable& TParticipant::Properties() {
  using P = TParticipant;
  static const TPropertyTable table(TPersistObject::Properties(),
                                    {
                                        Attr<P>("name", &P::name_).Str().Always(),
                                        Attr("caption", &P::caption_).Str().Always(),
                                        Attr("age", &P::age_).Str().Always(),
                                        Attr("description", &P::description_).Str().Always(),
                                        Attr("avatar", &P::avatar_).Str().Always(),
                                        Attr("slot", &P::slot_).Str().NotSaved(),
                                        Custom<P>("type", &P::LoadType, &P::SaveType),
                                        Attr("categories", &P::categories_).Str().Always(),
                                        Attr("open_categories", &P::openCategories_).Str().Always(),
                                    });
  return table;
}

void TParticipant::LoadType(const Ref<IHierStorage>& node) {
  std::string type = ReadXmlStr(node, "type");
  client_ = type == "client";
  idealMatch_ = type == "ideal_match";
  if (!type.empty() && !client_ && !idealMatch_)
    WarnAboutNode(node,
                  "type \"" + type +
                      "\" is neither \"client\" nor \"ideal_match\"; the participant is neither");
}

void TParticipant::SaveType(const Ref<IHierStorage>& node) {
  if (client_)
    WriteXmlStr(node, "type", "client", true);
  else if (idealMatch_)
    WriteXmlStr(node, "type", "ideal_match", true);
}

void TParticipant::LoadFromXml(const Ref<IHierStorage>& node) {
  Properties().Load(*this, node);
}

void TParticipant::SaveToXml(const Ref<IHierStorage>& node) {
  Properties().Save(*this, node);
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

const TPropertyTable& TCategory::Properties() {
  using C = TCategory;
  static const TPropertyTable table(TPersistObject::Properties(),
                                    {
                                        Attr<C>("name", &C::name_).Str().Always(),
                                        Attr("caption", &C::caption_).Str().Always(),
                                        Attr("description", &C::description_).Str().Always(),
                                    });
  return table;
}

void TCategory::LoadFromXml(const Ref<IHierStorage>& node) {
  Properties().Load(*this, node);
  LoadObjectFromChild(Ref<IInterface>(resourceDefs_.get()), node, "resource_defs");
  LoadObjectFromChild(Ref<IInterface>(objectDefs_.get()), node, "object_defs");
}

void TCategory::SaveToXml(const Ref<IHierStorage>& node) {
  Properties().Save(*this, node);
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
