#include "gameplay/Tv2UserGameData.h"

#include "foundation/Exceptions.h"
#include "foundation/GameDeclarations.h"
#include "foundation/PlayerFiles.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"

namespace {

// The collection of a record's child list, loaded from the first child of that name.
template <class I, class T>
Ref<I> NewList() {
  return Ref<I>(TAbstractObject::Create<T>().get());
}

void LoadList(const Ref<IInterface>& list, const Ref<IHierStorage>& node, const char* element) {
  LoadObjectFromChild(list, node, element);
}

// The named item of a keyed list, else the first (whose name is then kept under Param);
// nothing when the list is empty.
template <class I, class L>
Ref<I> CurrentItem(IPersistParamsObject& owner, const Ref<L>& list, const std::string& param) {
  if (!list) return nullptr;
  Variant name = owner.GetParamValue(param);
  if (!name.IsClear())
    if (Ref<I> item = list->GetItem(Variant(name.ToString()))) return item;
  Ref<I> first = list->GetItem(Variant(0));
  if (first) owner.SetParamValue(param, Variant(first->GetName()));
  return first;
}

// Where the warnings say a progress that cannot be read went.
std::string KeptProgressSaid(const std::string& parameter) {
  return "its text is kept in the profile as the parameter \"" + parameter + "\"";
}

// Appends Name and ";" unless it occurs in the list already.
void AddName(std::string& list, const std::string& name) {
  if (!NameListContains(list, name)) list += name + ";";
}

}  // namespace

Ref<IHierStorageRoot> ParseProgressText(const std::string& player, std::string_view text,
                                        std::string& problem) {
  return ParsePlayerText(text, UserProfilesFileName, problem,
                         "player \"" + player + "\": progress: ");
}

std::string KeepUnreadProgress(IUserProfile& profile, const std::string& text) {
  Ref<IParamCollection> params = profile.GetParams();
  for (int number = 1;; ++number) {
    std::string name = "damaged_progress";
    if (number > 1) name += "-" + std::to_string(number);
    Ref<IParam> held = params ? params->FindParam(Variant(name)) : nullptr;
    if (held && held->GetValue().ToString() != text) continue;
    if (!held && params) params->SetValue(name, Variant(text));
    return name;
  }
}

bool NameListContains(const std::string& list, const std::string& name) {
  return !name.empty() && list.find(name) != std::string::npos;
}

std::string RemoveNameListEntries(const std::string& list, const std::string& name) {
  std::string result;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) {  // an unfinished last entry is no entry: kept as it is
      result.append(list, start, std::string::npos);
      break;
    }
    if (!SameText(std::string_view(list).substr(start, end - start), name))
      result.append(list, start, end - start + 1);
    start = end + 1;
  }
  return result;
}

// ---------------------------------------------------------------------------------------
// Records

const TPropertyTable& TAbstractUGDObject::Properties() {
  using U = TAbstractUGDObject;
  static const TPropertyTable table(TPersistParamsObject::Properties(),
                                    {Attr("completed", &U::completed_).Bool()});
  return table;
}

void TUGDScene::Init() {
  TAbstractUGDObject::Init();
  elementName_ = "scene";
}

const TPropertyTable& TUGDScene::Properties() {
  using S = TUGDScene;
  static const TPropertyTable table(TAbstractUGDObject::Properties(),
                                    {Attr("generated", &S::generated_).Bool()});
  return table;
}

void TUGDTask::Init() {
  TAbstractUGDObject::Init();
  elementName_ = "task";
}

// A task type that is no number reads as 4.
const TPropertyTable& TUGDTask::Properties() {
  using T = TUGDTask;
  static const TPropertyTable table(TAbstractUGDObject::Properties(),
                                    {Attr("tasktype", &T::taskType_).Int(4)});
  return table;
}

void TUGDStage::Init() {
  TAbstractUGDObject::Init();
  elementName_ = "stage";
  tasks_ = NewList<IUGDTaskCollection, TUGDTaskCollection>();
}

void TUGDStage::LoadFromXml(const Ref<IHierStorage>& node) {
  TAbstractUGDObject::LoadFromXml(node);
  LoadList(Ref<IInterface>(tasks_.get()), node, "tasks");
}

void TUGDStage::SaveToXml(const Ref<IHierStorage>& node) {
  TAbstractUGDObject::SaveToXml(node);
  SaveChildList(node, Ref<IInterface>(tasks_.get()), "tasks");
}

void TUGDCase::Init() {
  TAbstractUGDObject::Init();
  elementName_ = "case";
  stages_ = NewList<IUGDStageCollection, TUGDStageCollection>();
}

Ref<IUGDStage> TUGDCase::CurrentStage() {
  return CurrentItem<IUGDStage>(*this, stages_, "currentstage");
}

void TUGDCase::LoadFromXml(const Ref<IHierStorage>& node) {
  TAbstractUGDObject::LoadFromXml(node);
  LoadList(Ref<IInterface>(stages_.get()), node, "stages");
}

void TUGDCase::SaveToXml(const Ref<IHierStorage>& node) {
  TAbstractUGDObject::SaveToXml(node);
  SaveChildList(node, Ref<IInterface>(stages_.get()), "stages");
}

// ---------------------------------------------------------------------------------------
// Lists

#define UGD_LIST(Collection, Interface, Item, Record, element, itemElement) \
  void Collection::Init() {                                                 \
    TNamedRecordCollection::Init();                                         \
    elementName_ = element;                                                 \
    itemElementName_ = itemElement;                                         \
  }                                                                         \
  Ref<Item> Collection::GetItem(const Variant& address) {                   \
    return items_->GetAs<Item>(address);                                    \
  }                                                                         \
  void Collection::Add(const Ref<Item>& item) {                             \
    if (item) AddNamed(Ref<IInterface>(item.get()), item->GetName());       \
  }                                                                         \
  Ref<TPersistObject> Collection::NewRecord() {                             \
    return Ref<TPersistObject>(TAbstractObject::Create<Record>().get());    \
  }

UGD_LIST(TUGDTaskCollection, IUGDTaskCollection, IUGDTask, TUGDTask, "tasks", "task")
UGD_LIST(TUGDStageCollection, IUGDStageCollection, IUGDStage, TUGDStage, "stages", "stage")
UGD_LIST(TUGDCaseCollection, IUGDCaseCollection, IUGDCase, TUGDCase, "cases", "case")
UGD_LIST(TUGDSceneCollection, IUGDSceneCollection, IUGDScene, TUGDScene, "scenes", "scene")

#undef UGD_LIST

// ---------------------------------------------------------------------------------------
// TUserGameData

void TUserGameData::Init() {
  TPersistParamsObject::Init();
  elementName_ = "usergamedata";
  CreateLists();
}

void TUserGameData::CreateLists() {
  scenes_ = NewList<IUGDSceneCollection, TUGDSceneCollection>();
  cases_ = NewList<IUGDCaseCollection, TUGDCaseCollection>();
}

void TUserGameData::AttachProfile(const Ref<IUserProfile>& profile) {
  profile_ = profile;
  if (!profile) return;
  profileName_ = profile->GetName();
  std::string text = profile->GetDataStorage();
  if (text.empty()) return;
  std::string problem;
  Ref<IHierStorageRoot> storage = ParseProgressText(profileName_, text, problem);
  const std::string player = "player \"" + profileName_ + "\": ";
  if (!storage) {
    // Nothing of it can be played: it moves out of the way of the new story.
    const std::string kept = KeepUnreadProgress(*profile, text);
    profile->SetDataStorage({});
    Warn(UserProfilesFileName, player + "progress not read (" + problem + "); " +
                                   KeptProgressSaid(kept) + "; the story starts anew");
    return;
  }
  if (LoadDataGuarded(UserProfilesFileName, [&] { storage->LoadObject(this); })) return;
  // What was read is played and saved over the text; the whole text stays beside it.
  const std::string kept = KeepUnreadProgress(*profile, text);
  Warn(UserProfilesFileName, player + "progress read only in part; " + KeptProgressSaid(kept));
}

void TUserGameData::ReleaseLinks() {
  profile_ = nullptr;
  // Fresh empty lists in place of the old ones, so a late call finds something to use.
  params_ = Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
  CreateLists();
}

void TUserGameData::StoreToProfile(IGameScreenOwner* game) {
  if (!profile_ || !game) return;
  Ref<IUserProfileCollection> profiles = game->GetUserProfiles();
  if (!profiles) return;
  Ref<IHierStorageRoot> storage = CreateXmlStorage("usergamedata");
  if (!storage) return;
  storage->SaveObject(this);
  profile_->SetDataStorage(storage->GetXmlText());
  profiles->SaveToFile(game->GetEngine());
}

void TUserGameData::LoadCases(const Ref<IHierStorage>& node) {
  cases_->Clear();
  if (!node) return;
  // The node itself is the list: its "case" children load into the cases.
  auto* list = InterfaceCast<TUGDCaseCollection>(cases_.get());
  if (!list) return;
  try {
    list->LoadFromXml(node);
  } catch (const Exception& e) {
    WarnDataFile("the rest of the cases not read (" + e.Message() + ")");
  }
}

void TUserGameData::AddToJournal(const std::string& name) {
  AddName(journal_, name);
}

void TUserGameData::AddMatchedClient(const std::string& name) {
  AddName(matchedClients_, name);
}

void TUserGameData::AddFindedVoodoo(const std::string& name) {
  if (!name.empty()) AddName(findedVoodoo_, name);
}

void TUserGameData::AddOpenGift(const std::string& name) {
  AddName(openGifts_, name);
}

void TUserGameData::RemoveOpenGift(const std::string& name) {
  openGifts_ = RemoveNameListEntries(openGifts_, name);
}

void TUserGameData::ChooseGift(const std::string& name, const std::string& value) {
  if (!NameListContains(chosenGifts_, name)) chosenGifts_ += value + ":" + name + ";";
  RemoveOpenGift(name);
}

void TUserGameData::AddOpenPlace(const std::string& name) {
  AddName(openPlaces_, name);
}

void TUserGameData::RemoveOpenPlace(const std::string& name) {
  openPlaces_ = RemoveNameListEntries(openPlaces_, name);
}

void TUserGameData::ChoosePlace(const std::string& name, const std::string& value) {
  if (!NameListContains(chosenPlaces_, name)) chosenPlaces_ += value + ":" + name + ";";
  RemoveOpenPlace(name);
}

void TUserGameData::AddToTempList(const std::string& name) {
  if (!name.empty()) AddName(tempList_, name);
}

// The temporary list is searched for ";" + name: its first entry, with no ";" before it,
// stays in place (the play screen's restart takes it out itself). A match must be the
// whole entry: "a" leaves "x;ab;" as it is.
void TUserGameData::RemoveFromTempList(const std::string& name) {
  if (name.empty()) return;
  const std::string needle = ";" + name;
  size_t at = tempList_.find(needle);
  while (at != std::string::npos) {
    size_t end = at + needle.size();
    if (end == tempList_.size() || tempList_[end] == ';') {
      tempList_.erase(at, needle.size());
      at = tempList_.find(needle, at);
    } else {
      at = tempList_.find(needle, at + 1);
    }
  }
}

bool TUserGameData::TempListContains(const std::string& name) {
  return NameListContains(tempList_, name);
}

Ref<IUGDCase> TUserGameData::CurrentCase() {
  return CurrentItem<IUGDCase>(*this, cases_, "currentcase");
}

void TUserGameData::ResetScenes() {
  for (int i = 0; i < scenes_->Count(); ++i)
    if (Ref<IUGDScene> scene = scenes_->GetItem(Variant(i))) scene->SetCompleted(false);
}

// Every value is written, its default or not.
const TPropertyTable& TUserGameData::Properties() {
  using G = TUserGameData;
  static const TPropertyTable table(
      TPersistParamsObject::Properties(),
      {
          Attr("Level", &G::level_).Int(1).Always(),
          Attr("scores", &G::scores_).Int().Always(),
          Attr("journal", &G::journal_).Str().Always(),
          Attr("matched_clients", &G::matchedClients_).Str().Always(),
          Attr("finded_voodoo", &G::findedVoodoo_).Str().Always(),
          Attr("open_gifts", &G::openGifts_).Str().Always(),
          Attr("chosen_gifts", &G::chosenGifts_).Str().Always(),
          Attr("open_places", &G::openPlaces_).Str().Always(),
          Attr("chosen_places", &G::chosenPlaces_).Str().Always(),
          Attr("debug_mode", &G::debugMode_).Int().Always(),
          Attr("play_mode", &G::playMode_).Int().Always(),
          Attr("need_mg_category_tut", &G::needMgCategoryTut_).Bool(true).Always(),
      });
  return table;
}

void TUserGameData::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistParamsObject::LoadFromXml(node);
  LoadList(Ref<IInterface>(scenes_.get()), node, "scenes");
  LoadList(Ref<IInterface>(cases_.get()), node, "cases");
  tempList_.clear();
}

void TUserGameData::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistParamsObject::SaveToXml(node);
  SaveChildList(node, Ref<IInterface>(scenes_.get()), "scenes");
  SaveChildList(node, Ref<IInterface>(cases_.get()), "cases");
}
