#pragma once
// The game's resource lists: enciphered resource-list files, each loaded into the resource
// group of its entry's name, at once when the game starts ("synch") or while the splash
// screen is on view ("asynch", the default).
//
//   <resourcefiles>
//     <resourcefile name="menu" filename="data\res\menu.res" loadmode="synch"/>
//   </resourcefiles>

#include <string>

#include "shell/GameInterfaces.h"

// "ResourceFile"
class TResourceFile : public TPersistObject, public virtual IResourceFile {
 public:
  void Init() override;

  std::string GetFileName() override { return fileName_; }
  void SetFileName(const std::string& fileName) override { fileName_ = fileName; }
  uint8_t GetLoadMode() override { return loadMode_; }
  void SetLoadMode(uint8_t mode) override { loadMode_ = mode == lmSynch ? lmSynch : lmAsynch; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  std::string fileName_;
  uint8_t loadMode_ = lmAsynch;
};

class TResourceFileCollection : public TStaticCreationPersistItemCollection,
                                public virtual IResourceFileCollection {
 public:
  void Init() override;
  Ref<IResourceFile> GetItem(const Variant& address) override;
  void AddItem(const Ref<IResourceFile>& file) override;

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};
