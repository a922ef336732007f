#pragma once
// Named Variant values ("params"): the loose settings of the engine options, the game
// object and the player's progress. Saved as
//   <params><param name="Volume" value="70"/>...</params>
// Values load back as strings; callers convert.

#include <string>
#include <string_view>

#include "foundation/EngineGeneralClasses.h"

class IParam : public virtual IInterface {
 public:
  virtual std::string GetName() = 0;
  virtual void SetName(const std::string& name) = 0;
  virtual Variant GetValue() = 0;
  virtual void SetValue(const Variant& value) = 0;
};

class IParamCollection : public virtual ICollection {
 public:
  // A position (integer) or a name (string, any case); nothing when absent.
  virtual Ref<IParam> FindParam(const Variant& address) = 0;
  // Appends the param under its name; a name already present is not stored.
  virtual void AddParam(const Ref<IParam>& param) = 0;
  // Sets the param of that name (any case), adding it when absent.
  virtual void SetValue(const std::string& name, const Variant& value) = 0;
  virtual Variant GetValue(const std::string& name, const Variant& def = {}) = 0;
};

class IPersistParamsObject : public virtual INamedObject {
 public:
  virtual Variant GetParamValue(const std::string& name) = 0;
  virtual Variant GetParamValueDef(const std::string& name, const Variant& def) = 0;
  virtual void SetParamValue(const std::string& name, const Variant& value) = 0;
  virtual Ref<IParamCollection> GetParams() = 0;
};

class TParam : public TPersistObject, public virtual IParam {
 public:
  void Init() override;
  std::string GetName() override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }
  Variant GetValue() override { return value_; }
  void SetValue(const Variant& value) override { value_ = value; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  Variant value_;
};

class TParamCollection : public TPersistCollection, public virtual IParamCollection {
 public:
  void Init() override;
  // "name" names the collection; every pair, "name" included, also becomes a param.
  void SetParam(const std::string& name, const Variant& value) override;

  Ref<IParam> FindParam(const Variant& address) override;
  void AddParam(const Ref<IParam>& param) override;
  void SetValue(const std::string& name, const Variant& value) override;
  Variant GetValue(const std::string& name, const Variant& def = {}) override;

 protected:
  void LoadItem(const Ref<IHierStorage>& child) override;
  bool SaveItem(const Ref<IInterface>& item, const Ref<IHierStorage>& child) override;
};

// A persistent object with a collection of params, saved as its "params" child.
class TPersistParamsObject : public TPersistObject, public virtual IPersistParamsObject {
 public:
  void Init() override;
  std::string GetName() override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }

  Variant GetParamValue(const std::string& name) override;
  Variant GetParamValueDef(const std::string& name, const Variant& def) override;
  void SetParamValue(const std::string& name, const Variant& value) override;
  Ref<IParamCollection> GetParams() override { return params_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 protected:
  Ref<IParamCollection> params_;
};

// Sets every param of Source on Target, in order.
void CopyParams(const Ref<IParamCollection>& source, const Ref<IParamCollection>& target);
Ref<IParamCollection> CloneParams(const Ref<IParamCollection>& source);
// A new, empty collection.
Ref<IParamCollection> NewParamCollection();
// A new collection of one param.
Ref<IParamCollection> SingleParam(const std::string& name, const Variant& value);
// The pairs of a parameter string as params (values as strings); nothing for a text
// without items.
Ref<IParamCollection> ParamsFromString(std::string_view text);
// Sets Name to "yes" or "no" when Params is given and Condition holds.
void SetParamBool(const Ref<IParamCollection>& params, const std::string& name, bool value,
                  bool condition = true);
