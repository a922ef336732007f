#include "shell/UserProfile.h"

#include <algorithm>

#include "foundation/GameDeclarations.h"
#include "foundation/PlayerFiles.h"
#include "foundation/XMLStorage.h"

void TUserProfile::Init() {
  TPersistObject::Init();
  elementName_ = "userprofile";
  params_ = Ref<IParamCollection>(TAbstractObject::Create<TParamCollection>().get());
  dataStorage_.clear();
}

void TUserProfile::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  if (!node) return;
  LoadObjectFromChild(params_, node, "params");
  if (node->GetChildCount("datastorage") > 0)
    dataStorage_ = node->GetChildText("datastorage").ToString();
}

void TUserProfile::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  SaveObjectToChild(params_, node, "params");
  if (!dataStorage_.empty()) node->AddChild("datastorage")->SetText(Variant(dataStorage_));
}

// ---------------------------------------------------------------------------------------

void TUserProfileCollection::Init() {
  TPersistItemCollection::Init();
  elementName_ = "userprofiles";
  itemElementName_ = "userprofile";
  current_ = nullptr;
}

void TUserProfileCollection::Delete(const Variant& address) {
  TPersistItemCollection::Delete(address);
  RefreshCurrent();
}

void TUserProfileCollection::Clear() {
  TPersistItemCollection::Clear();
  RefreshCurrent();
}

void TUserProfileCollection::RefreshCurrent() {
  if (current_) current_ = GetItem(Variant(current_->GetName()));
}

Ref<IUserProfile> TUserProfileCollection::GetItem(const Variant& address) {
  return items_->GetAs<IUserProfile>(address);
}

void TUserProfileCollection::SetCurrent(const std::string& name) {
  current_ = name.empty() ? nullptr : GetItem(Variant(name));
}

Ref<IUserProfile> TUserProfileCollection::GetOrCreate(const std::string& name) {
  if (Ref<IUserProfile> profile = GetItem(Variant(name))) return profile;
  Ref<TUserProfile> profile = TAbstractObject::Create<TUserProfile>();
  profile->SetName(name);
  items_->Add(profile, name);
  return Ref<IUserProfile>(profile.get());
}

void TUserProfileCollection::LoadItem(const Ref<IHierStorage>& child) {
  std::string name = ReadXmlStr(child, "name");
  Ref<IUserProfile> profile = GetOrCreate(name);
  if (std::find(loaded_.begin(), loaded_.end(), profile.get()) != loaded_.end()) {
    duplicates_.push_back(name);
    return;
  }
  loaded_.push_back(profile.get());
  LoadObject(profile, child);
}

// "current_user_profile_name" names one of the profiles, so it is read after them and is
// no row of a property table.
void TUserProfileCollection::LoadFromXml(const Ref<IHierStorage>& node) {
  loaded_.clear();
  duplicates_.clear();
  TPersistItemCollection::LoadFromXml(node);
  loaded_.clear();
  SetCurrent(ReadXmlStr(node, "current_user_profile_name"));
}

void TUserProfileCollection::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistItemCollection::SaveToXml(node);
  if (current_) WriteXmlStr(node, "current_user_profile_name", current_->GetName(), true);
}

void TUserProfileCollection::LoadFromFile(IEngine* engine) {
  if (!engine) return;
  // No fallback: the program folder holds no players.
  std::string path = PlayerFilePath(engine->GetPreferenceFolder(), UserProfilesFileName);
  Ref<IHierStorageRoot> storage =
      LoadPlayerDocument(path, UserProfilesKey, "the game starts with no players");
  if (!storage) return;
  LoadPlayerObject(storage, *this, UserProfilesFileName);
  if (duplicates_.empty()) return;
  // The next save leaves them out: the file as it is stays beside it.
  std::string names;
  for (const std::string& name : duplicates_)
    names += (names.empty() ? "\"" : ", \"") + name + "\"";
  KeepCopyOfPlayerFile(
      path, (duplicates_.size() == 1 ? "player " + names + " is" : "players " + names + " are") +
                " named more than once: only the first of each name is kept");
}

void TUserProfileCollection::SaveToFile(IEngine* engine) {
  if (Ref<IHierStorageRoot> storage = CreateXmlStorage("userprofiles")) {
    storage->SaveObject(this);
    SavePlayerDocument(engine, storage, UserProfilesFileName, UserProfilesKey);
  }
}
