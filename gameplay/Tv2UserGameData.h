#pragma once
// The player's progress: cases of stages of tasks, the scenes generated so far, the
// current case and stage, level, score, journal, matched clients, voodoo dolls found, gifts
// and places, and a few settings. It lives as the XML text of a "usergamedata" document
// in the player's profile:
//
//   <usergamedata Level="1" scores="1200" journal="note_lantern;" matched_clients=""
//                 finded_voodoo="" open_gifts="" chosen_gifts="" open_places=""
//                 chosen_places="" debug_mode="0" play_mode="0" need_mg_category_tut="yes">
//     <params><param name="currentcase" value="c1_lantern"/></params>
//     <scenes><scene name="atelier" generated="yes"><params>...</params></scene></scenes>
//     <cases><case name="c1_lantern"><params>...</params>
//       <stages><stage name="s1"><tasks><task name="t1" tasktype="0">...</task></tasks>
//       </stage></stages></case></cases>
//   </usergamedata>
//
// A new story's cases come from the scenario document ("data\ini\scenarios\default.ini"),
// whose root holds "case" elements of the same form.

#include <cstdint>
#include <string>
#include <string_view>

#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2Interfaces.h"

class TAbstractUGDObject : public TPersistParamsObject, public virtual IAbstractUGDObject {
 public:
  bool IsCompleted() override { return completed_; }
  void SetCompleted(bool value) override { completed_ = value; }

 protected:
  const TPropertyTable& Properties() override;

  bool completed_ = false;
};

class TUGDScene : public TAbstractUGDObject, public virtual IUGDScene {
 public:
  void Init() override;
  bool IsGenerated() override { return generated_; }
  void SetGenerated(bool value) override { generated_ = value; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  bool generated_ = false;
};

class TUGDTask : public TAbstractUGDObject, public virtual IUGDTask {
 public:
  void Init() override;
  uint8_t GetTaskType() override { return taskType_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  uint8_t taskType_ = 4;
};

class TUGDTaskCollection : public TNamedRecordCollection, public virtual IUGDTaskCollection {
 public:
  void Init() override;
  Ref<IUGDTask> GetItem(const Variant& address) override;
  void Add(const Ref<IUGDTask>& item) override;

 protected:
  Ref<TPersistObject> NewRecord() override;
};

class TUGDStage : public TAbstractUGDObject, public virtual IUGDStage {
 public:
  void Init() override;
  Ref<IParamCollection> GetStageParams() override { return params_; }
  Ref<IUGDTaskCollection> GetTasks() override { return tasks_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 private:
  Ref<IUGDTaskCollection> tasks_;
};

class TUGDStageCollection : public TNamedRecordCollection, public virtual IUGDStageCollection {
 public:
  void Init() override;
  Ref<IUGDStage> GetItem(const Variant& address) override;
  void Add(const Ref<IUGDStage>& item) override;

 protected:
  Ref<TPersistObject> NewRecord() override;
};

class TUGDCase : public TAbstractUGDObject, public virtual IUGDCase {
 public:
  void Init() override;
  Ref<IUGDStageCollection> GetStages() override { return stages_; }
  Ref<IUGDStage> CurrentStage() override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 private:
  Ref<IUGDStageCollection> stages_;
};

class TUGDCaseCollection : public TNamedRecordCollection, public virtual IUGDCaseCollection {
 public:
  void Init() override;
  Ref<IUGDCase> GetItem(const Variant& address) override;
  void Add(const Ref<IUGDCase>& item) override;

 protected:
  Ref<TPersistObject> NewRecord() override;
};

class TUGDSceneCollection : public TNamedRecordCollection, public virtual IUGDSceneCollection {
 public:
  void Init() override;
  Ref<IUGDScene> GetItem(const Variant& address) override;
  void Add(const Ref<IUGDScene>& item) override;

 protected:
  Ref<TPersistObject> NewRecord() override;
};

class TUserGameData : public TPersistParamsObject, public virtual IUserGameData {
 public:
  void Init() override;

  void AttachProfile(const Ref<IUserProfile>& profile) override;
  void ReleaseLinks() override;
  void StoreToProfile(IGameScreenOwner* game) override;
  void LoadCases(const Ref<IHierStorage>& node) override;
  int32_t GetDebugMode() override { return debugMode_; }
  void SetDebugMode(int32_t value) override { debugMode_ = value; }
  bool GetNeedMgCategoryTut() override { return needMgCategoryTut_; }
  void SetNeedMgCategoryTut(bool value) override { needMgCategoryTut_ = value; }
  std::string GetProfileName() override { return profileName_; }
  void SetProfileName(const std::string& value) override { profileName_ = value; }
  uint8_t GetPlayMode() override { return playMode_; }
  void SetPlayMode(uint8_t value) override { playMode_ = value; }

  std::string GetJournal() override { return journal_; }
  void SetJournal(const std::string& value) override { journal_ = value; }
  void AddToJournal(const std::string& name) override;
  std::string GetMatchedClients() override { return matchedClients_; }
  void SetMatchedClients(const std::string& value) override { matchedClients_ = value; }
  void AddMatchedClient(const std::string& name) override;
  std::string GetFindedVoodoo() override { return findedVoodoo_; }
  void SetFindedVoodoo(const std::string& value) override { findedVoodoo_ = value; }
  void AddFindedVoodoo(const std::string& name) override;
  std::string GetOpenGifts() override { return openGifts_; }
  void SetOpenGifts(const std::string& value) override { openGifts_ = value; }
  void AddOpenGift(const std::string& name) override;
  void RemoveOpenGift(const std::string& name) override;
  std::string GetChosenGifts() override { return chosenGifts_; }
  void SetChosenGifts(const std::string& value) override { chosenGifts_ = value; }
  void ChooseGift(const std::string& name, const std::string& value) override;
  std::string GetOpenPlaces() override { return openPlaces_; }
  void SetOpenPlaces(const std::string& value) override { openPlaces_ = value; }
  void AddOpenPlace(const std::string& name) override;
  void RemoveOpenPlace(const std::string& name) override;
  std::string GetChosenPlaces() override { return chosenPlaces_; }
  void SetChosenPlaces(const std::string& value) override { chosenPlaces_ = value; }
  void ChoosePlace(const std::string& name, const std::string& value) override;
  std::string GetTempList() override { return tempList_; }
  void SetTempList(const std::string& value) override { tempList_ = value; }
  void AddToTempList(const std::string& name) override;
  void RemoveFromTempList(const std::string& name) override;
  bool TempListContains(const std::string& name) override;

  Ref<IUGDSceneCollection> GetScenes() override { return scenes_; }
  Ref<IUGDCaseCollection> GetCases() override { return cases_; }
  Ref<IUGDCase> CurrentCase() override;
  void ResetScenes() override;
  int32_t GetLevel() override { return level_; }
  void SetLevel(int32_t value) override { level_ = value; }
  int32_t GetScores() override { return scores_; }
  void SetScores(int32_t value) override { scores_ = value; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  Ref<IUserProfile> GetProfile() const { return profile_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  void CreateLists();

  Ref<IUserProfile> profile_;
  std::string profileName_;
  int32_t level_ = 1;
  int32_t scores_ = 0;
  Ref<IUGDSceneCollection> scenes_;
  Ref<IUGDCaseCollection> cases_;
  std::string journal_;
  std::string matchedClients_;
  std::string findedVoodoo_;
  std::string openGifts_;
  std::string chosenGifts_;
  std::string openPlaces_;
  std::string chosenPlaces_;
  int32_t debugMode_ = 0;
  uint8_t playMode_ = 0;
  bool needMgCategoryTut_ = true;
  std::string tempList_;
};

// Name lists ("a;b;"): whether Name occurs anywhere in List (case matters; an empty name
// never does), and List with every whole entry Name removed (without regard to case).
bool NameListContains(const std::string& list, const std::string& name);
std::string RemoveNameListEntries(const std::string& list, const std::string& name);

// A profile's progress text as a document, read as every player's document is: nothing in
// it reaches another file, and what is dropped is said under "users.dat" for Player. None,
// with Problem saying why, when it holds no XML element.
Ref<IHierStorageRoot> ParseProgressText(const std::string& player, std::string_view text,
                                        std::string& problem);

// Progress text the game cannot read, kept in the profile under a parameter the game never
// reads, so that nothing the player had is saved over: "damaged_progress", or
// "damaged_progress-2", ... when that one holds other text (the same text is kept once).
// The parameter's name.
std::string KeepUnreadProgress(IUserProfile& profile, const std::string& text);
