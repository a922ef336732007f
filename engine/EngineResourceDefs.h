#pragma once
// Resources that parts of the game define at run time (an image for each picture file
// of a folder, say): a definition records name, registered resource type, file and
// further attributes; a collection of definitions belongs to one resource group, turns
// its definitions into engine resources on request and removes them again.
//
// XML: <resource_defs resourcegroup="G"><resource_def name="bg" type="ImageResource"
//      file="data\bg.png" typeparams="\format=png"/>...</resource_defs>

#include <string>
#include <string_view>
#include <vector>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"

class IResourceDefOwner : public virtual IInterface {
 public:
  // The engine the definitions load into, or nothing.
  virtual IEngine* GetTarget() = 0;
};

class IResourceDef : public virtual INamedObject {
 public:
  // Not counted: the owner is the collection that holds the definition.
  virtual void SetOwner(IResourceDefOwner* owner) = 0;
  virtual void ClearOwner() = 0;
  virtual std::string GetType() = 0;
  virtual void SetType(const std::string& type) = 0;
  virtual std::string GetFile() = 0;
  virtual void SetFile(const std::string& file) = 0;
  virtual std::string GetTypeParams() = 0;
  virtual void SetTypeParams(const std::string& params) = 0;
  // One "resource" element of a resource list, values escaped for XML.
  virtual std::string ToResourceXml() = 0;
};

class IResourceDefCollection : public virtual ICollection {
 public:
  virtual void SetTarget(IEngine* engine) = 0;
  // Clears every definition's owner and drops the target.
  virtual void ReleaseTarget() = 0;
  virtual std::string GetGroup() = 0;
  virtual void SetGroup(const std::string& group) = 0;
  virtual void LoadResources() = 0;
  virtual void LoadResource(const Variant& address) = 0;
  // The engine removes the collection's group; a collection without one removes what it
  // loaded, even once its definitions have been cleared.
  virtual void RemoveResources() = 0;
  virtual Ref<IResourceDef> Find(const Variant& address) = 0;
  // Stored under its name; a name already present is not stored.
  virtual void Add(const Ref<IResourceDef>& definition) = 0;
  // The definition of Name, made when missing, with the other values set.
  virtual Ref<IResourceDef> Define(const std::string& name, const std::string& type,
                                   const std::string& typeParams, const std::string& file) = 0;
  // An "ImageResource" for a picture file: the name is the template with "%name%"
  // replaced by the file's name without extension; the format is png for ".png" (any
  // case), jpeg otherwise; a file below the program folder is kept relative to it.
  virtual Ref<IResourceDef> DefineImageFromFile(const std::string& nameTemplate,
                                                const std::string& fileName) = 0;
};

class TResourceDef : public TPersistObject, public virtual IResourceDef {
 public:
  void Init() override;

  void SetOwner(IResourceDefOwner* owner) override { owner_ = owner; }
  void ClearOwner() override { owner_ = nullptr; }
  std::string GetType() override { return resourceType_; }
  void SetType(const std::string& type) override { resourceType_ = type; }
  std::string GetFile() override { return fileName_; }
  void SetFile(const std::string& file) override { fileName_ = file; }
  std::string GetTypeParams() override { return typeParams_; }
  void SetTypeParams(const std::string& params) override { typeParams_ = params; }
  std::string ToResourceXml() override;

  IResourceDefOwner* Owner() const { return owner_; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  IResourceDefOwner* owner_ = nullptr;
  std::string resourceType_;
  std::string typeParams_;
  std::string fileName_;
};

class TResourceDefCollection : public TCollection,
                               public virtual IPersistObject,
                               public virtual IResourceDefOwner,
                               public virtual IResourceDefCollection {
 public:
  // IPersistObject
  void LoadFromStorage(const Ref<IHierStorage>& node) override;
  void SaveToStorage(const Ref<IHierStorage>& node) override;
  std::string GetElementName() override { return "resource_defs"; }

  // IResourceDefOwner
  IEngine* GetTarget() override { return target_; }

  // IResourceDefCollection
  void SetTarget(IEngine* engine) override;
  void ReleaseTarget() override;
  std::string GetGroup() override { return group_; }
  void SetGroup(const std::string& group) override { group_ = group; }
  void LoadResources() override;
  void LoadResource(const Variant& address) override;
  void RemoveResources() override;
  Ref<IResourceDef> Find(const Variant& address) override;
  void Add(const Ref<IResourceDef>& definition) override;
  Ref<IResourceDef> Define(const std::string& name, const std::string& type,
                           const std::string& typeParams, const std::string& file) override;
  Ref<IResourceDef> DefineImageFromFile(const std::string& nameTemplate,
                                        const std::string& fileName) override;

 private:
  // Hands the engine a resource list of these elements.
  void LoadList(const std::string& elements);

  IEngine* target_ = nullptr;
  std::string group_;
  std::string dataFile_;  // the file the definitions were read from, for warnings
  // What this list asked the engine to load since its last removal: what a list without a
  // group removes.
  std::vector<std::string> loadedNames_;
};
