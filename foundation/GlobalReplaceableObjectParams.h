#pragma once
// Replacement values for objects that carry "_object_guid": a global table, keyed by
// guid, of attribute values that win over the object's own whenever it loads, without
// touching the document that describes it. The game object loads and saves the table.
//
//   <global_replaceable_object_params>
//     <params name="GUID"><param name="x" value="5"/></params>
//   </global_replaceable_object_params>

#include <string>

#include "foundation/Params.h"

class IReplaceableObjectParamCollection : public virtual IParamCollection {
 public:
  virtual std::string GetName() = 0;
  virtual void SetName(const std::string& name) = 0;
};

// The replacement values of one guid (the collection's name).
class TReplaceableObjectParamCollection : public TParamCollection,
                                          public virtual IReplaceableObjectParamCollection {
 public:
  std::string GetName() override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }
};

class IGlobalReplaceableObjectParams : public virtual ICollection {
 public:
  // A position (integer) or a guid (string); nothing when absent.
  virtual Ref<IReplaceableObjectParamCollection> FindParams(const Variant& address) = 0;
  // Stores the collection under its guid; a guid already present is not stored again.
  virtual void AddParams(const Ref<IReplaceableObjectParamCollection>& params) = 0;
  // The guid's collection, made when absent and Create is set; nothing for ''.
  virtual Ref<IReplaceableObjectParamCollection> GetParams(const std::string& guid,
                                                           bool create) = 0;
  // Node as the object of that guid reads it: its own overlay over the guid's values
  // (each node gets its own), or Node itself when there are none.
  virtual Ref<IHierStorage> Overlay(const std::string& guid, const Ref<IHierStorage>& node) = 0;
};

class TGlobalReplaceableObjectParams : public TStaticCreationPersistItemCollection,
                                       public virtual IGlobalReplaceableObjectParams {
 public:
  void Init() override;

  Ref<IReplaceableObjectParamCollection> FindParams(const Variant& address) override;
  void AddParams(const Ref<IReplaceableObjectParamCollection>& params) override;
  Ref<IReplaceableObjectParamCollection> GetParams(const std::string& guid, bool create) override;
  Ref<IHierStorage> Overlay(const std::string& guid, const Ref<IHierStorage>& node) override;

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;
};

// The one table of the program (made on first use).
const Ref<IGlobalReplaceableObjectParams>& GlobalReplaceableObjectParams();
// Node overlaid with the table's values for Guid, or Node itself.
Ref<IHierStorage> ResolveObjectGuid(const std::string& guid, const Ref<IHierStorage>& node);
