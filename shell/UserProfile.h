#pragma once
// The players: every profile has a name (its key, compared without case), per-player
// settings ("ShowHints", ...) and one text in which the gameplay keeps the player's whole
// progress; one profile is the current one. All of it lives in "users.dat" in the
// preference folder (enciphered with UserProfilesKey), loaded at the start and saved
// when the game ends:
//
//   <userprofiles current_user_profile_name="Ann">
//     <userprofile name="Ann">
//       <params><param name="ShowHints" value="yes"/></params>
//       <datastorage>&lt;usergamedata .../&gt;</datastorage>
//     </userprofile>
//   </userprofiles>
//
// Values are kept exactly as they are: nothing in a profile is translated.

#include <string>
#include <vector>

#include "shell/GameInterfaces.h"

class TUserProfile : public TPersistObject, public virtual IUserProfile {
 public:
  void Init() override;

  Ref<IParamCollection> GetParams() override { return params_; }
  std::string GetDataStorage() override { return dataStorage_; }
  void SetDataStorage(const std::string& text) override { dataStorage_ = text; }

  // Without a "datastorage" element the text stays as it was.
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  // "datastorage" only when the text is not empty.
  void SaveToXml(const Ref<IHierStorage>& node) override;

 private:
  Ref<IParamCollection> params_;
  std::string dataStorage_;
};

class TUserProfileCollection : public TPersistItemCollection,
                               public virtual IUserProfileCollection {
 public:
  void Init() override;

  // Removing the current profile leaves none current.
  void Delete(const Variant& address) override;
  void Clear() override;

  Ref<IUserProfile> GetItem(const Variant& address) override;
  Ref<IUserProfile> GetCurrent() override { return current_; }
  void SetCurrent(const std::string& name) override;
  Ref<IUserProfile> GetOrCreate(const std::string& name) override;
  // A file naming a player more than once keeps a copy of itself beside it, said in a
  // warning, before the next save leaves the later ones out.
  void LoadFromFile(IEngine* engine) override;
  void SaveToFile(IEngine* engine) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;
  // The names the last load met again after their first profile, as written there.
  const std::vector<std::string>& DuplicateNames() const { return duplicates_; }

 protected:
  // Into the profile of the element's name. A name met again in the same document (in any
  // case) loads nothing: the first profile of a name is the player's.
  void LoadItem(const Ref<IHierStorage>& child) override;

 private:
  // The current profile looked up again by its name (none once it is gone).
  void RefreshCurrent();

  Ref<IUserProfile> current_;
  std::vector<IUserProfile*> loaded_;  // during a load: the profiles it loaded
  std::vector<std::string> duplicates_;
};
