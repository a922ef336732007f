#pragma once
// The people of the story and the object categories.
//
// "data\ini\participants.ini":
//   <participants>
//     <participant name="odile" caption="Odile Fenwarren" age="31" description="%desc_odile%"
//                  avatar="img_av_odile" slot="page1/client" type="client"
//                  categories="light;tea" open_categories="light"/>
//   </participants>
// "type" is "client" or "ideal_match" (exactly); "slot" is read but never written.
//
// "data\ini\categories.ini":
//   <categories>
//     <category name="light" caption="%cat_light%" description="%cat_light_desc%">
//       <resource_defs resourcegroup="categories">...</resource_defs>
//       <object_defs>...</object_defs>
//     </category>
//   </categories>

#include <string>

#include "gameplay/Tv2DataFiles.h"
#include "gameplay/Tv2Interfaces.h"

class TParticipant : public TPersistObject, public virtual IParticipant {
 public:
  void Init() override;

  std::string GetCaption() override;
  std::string GetDescription() override { return description_; }
  std::string GetAvatar() override { return avatar_; }
  std::string GetSlot() override { return slot_; }
  bool IsClient() override { return client_; }
  bool IsIdealMatch() override { return idealMatch_; }
  std::string GetCategories() override { return categories_; }
  std::string GetOpenCategories() override { return openCategories_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  // "type" is "client" or "ideal_match", exactly.
  void LoadType(const Ref<IHierStorage>& node);
  void SaveType(const Ref<IHierStorage>& node);

  std::string caption_;
  std::string age_;
  std::string description_;
  std::string avatar_;
  std::string slot_;
  std::string categories_;
  std::string openCategories_;
  bool client_ = false;
  bool idealMatch_ = false;
  std::string captionCache_;
  bool captionBuilt_ = false;
};

class TParticipantCollection : public TNamedRecordCollection,
                               public virtual IParticipantCollection {
 public:
  void Init() override;
  Ref<IParticipant> GetItem(const Variant& address) override;
  void Add(const Ref<IParticipant>& item) override;

 protected:
  Ref<TPersistObject> NewRecord() override;
};

class TCategory : public TPersistObject, public virtual ICategory {
 public:
  void Init() override;
  ~TCategory() override;

  void SetEngine(IEngine* engine) override;
  void ReleaseEngine() override;
  Ref<IResourceDefCollection> GetResourceDefs() override { return resourceDefs_; }
  Ref<ISceneObjectDefCollection> GetObjectDefs() override { return objectDefs_; }
  std::string GetCaption() override { return caption_; }
  void SetCaption(const std::string& value) override { caption_ = value; }
  std::string GetDescription() override { return description_; }
  void SetDescription(const std::string& value) override { description_ = value; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;

 private:
  std::string caption_;
  std::string description_;
  Ref<IResourceDefCollection> resourceDefs_;
  Ref<ISceneObjectDefCollection> objectDefs_;
};

class TCategoryCollection : public TNamedRecordCollection, public virtual ICategoryCollection {
 public:
  void Init() override;
  void SetEngine(IEngine* engine) override;
  void ReleaseEngine() override;
  Ref<ICategory> GetItem(const Variant& address) override;
  void Add(const Ref<ICategory>& item) override;
  void SaveToFile(IEngine* engine) override;

 protected:
  Ref<TPersistObject> NewRecord() override;
};

// The lists of the game's files, or nothing (with a warning) when a file cannot be read.
Ref<IParticipantCollection> LoadParticipants(const std::string& path);
Ref<ICategoryCollection> LoadCategories(const std::string& path);
