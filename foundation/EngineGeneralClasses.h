#pragma once
// Objects that live in XML documents: named objects, persistent objects that load and
// save themselves through a storage node, property objects, the collections of them,
// the routines that create objects from nodes by registered type name, and the
// attribute readers and writers that fix how every value is written in every file.
//
// A class declares its values once, in a table of properties beside the class (see
// foundation/PropertyTable.h); loading, saving, GetProperty and SetProperty walk the tables
// of the class chain:
//
//   class TLogo : public TPropertyObject {
//    protected:
//     void Init() override { TPropertyObject::Init(); elementName_ = "logo"; }
//     const TPropertyTable& Properties() override;
//    private:
//     double alpha_ = 1.0;
//   };
//
//   const TPropertyTable& TLogo::Properties() {
//     static const TPropertyTable table(TPropertyObject::Properties(), {
//         Prop("alpha", &TLogo::alpha_).Float(1.0),  // left out of files at 1
//     });
//     return table;
//   }
//
// LoadFromXml and SaveToXml are overridden only for child elements (call the inherited
// operation first). An owner creates the object from a child element by its "type"
// (CreateObjectFromXml) or as a known class (CreateAndLoadObject<TLogo>), and saves it with
// SaveObjectToChild.

#include <string>
#include <string_view>

#include "foundation/GeneralClasses.h"
#include "foundation/PersistenceService.h"
#include "foundation/PropertyTable.h"
#include "foundation/TMYCollection.h"

// ---------------------------------------------------------------------------------------
// Interfaces

class INamedObject : public virtual IInterface {
 public:
  virtual std::string GetName() = 0;
  virtual void SetName(const std::string& name) = 0;
};

class IPropertyObject : public virtual INamedObject {
 public:
  // Properties are matched by their exact names; unknown names are ignored and give
  // Null.
  virtual void SetProperty(const std::string& name, const Variant& value) = 0;
  virtual Variant GetProperty(const std::string& name) = 0;
  // The property, or Default when it is Null or Empty.
  virtual Variant GetPropertyDef(const std::string& name, const Variant& def) = 0;
};

class ICollection : public virtual IInterface {
 public:
  virtual int Count() = 0;
  // A position (integer) or a key (string); see TBaseCollection::Delete.
  virtual void Delete(const Variant& address) = 0;
  virtual int IndexOf(std::string_view key) = 0;
  virtual bool Contains(std::string_view key) = 0;
  virtual void Clear() = 0;
};

class IPersistObject : public virtual IInterface {
 public:
  virtual void LoadFromStorage(const Ref<IHierStorage>& node) = 0;
  virtual void SaveToStorage(const Ref<IHierStorage>& node) = 0;
  virtual std::string GetElementName() = 0;
};

class IPersistObjectEx : public virtual IPersistObject {
 public:
  virtual bool TrySaveToXml(const Ref<IHierStorage>& node) = 0;
  // Whether collections save the object.
  virtual bool GetStored() = 0;
  virtual void SetStored(bool stored) = 0;
  virtual void Reset() = 0;
};

// ---------------------------------------------------------------------------------------
// Objects

class TNamedObject : public TAbstractObject, public virtual INamedObject {
 public:
  std::string GetName() override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }
  // "name" (exactly) sets the name.
  void SetParam(const std::string& name, const Variant& value) override;
  // Copies what a target of this kind takes from this object.
  virtual void AssignTo(TNamedObject& target);

 protected:
  std::string name_;
};

class TPersistObject : public TNamedObject, public virtual IPersistObjectEx {
 public:
  void Init() override;
  // Raises Exception("Invalid class typecast") when Target is no TPersistObject.
  void AssignTo(TNamedObject& target) override;

  // Reads the reserved attributes ("_outstorage", "template", "_object_guid"), lays the
  // overlay of the object's guid over the node, then LoadFromXml.
  void LoadFromStorage(const Ref<IHierStorage>& node) override;
  // SaveToXml into the node, or into the "_outstorage" file; then the reserved
  // attributes.
  void SaveToStorage(const Ref<IHierStorage>& node) override;
  std::string GetElementName() override { return elementName_; }
  bool TrySaveToXml(const Ref<IHierStorage>& node) override;
  bool GetStored() override { return stored_; }
  void SetStored(bool stored) override { stored_ = stored; }
  void Reset() override {}

  // The object's own values: "name", then the attributes of the property table ("type"
  // too when saving). Overrides add child elements and call the inherited operation first.
  virtual void LoadFromXml(const Ref<IHierStorage>& node);
  virtual void SaveToXml(const Ref<IHierStorage>& node);

  const std::string& OutStorage() const { return outStorage_; }
  void SetOutStorage(const std::string& spec) { outStorage_ = spec; }
  bool IsTemplate() const { return isTemplate_; }
  void SetIsTemplate(bool value) { isTemplate_ = value; }
  const std::string& ObjectGuid() const { return objectGuid_; }
  void SetObjectGuid(const std::string& guid) { objectGuid_ = guid; }
  const std::string& TypeName() const { return typeName_; }

 protected:
  // The rows of the object's class: classes with values of their own override it and
  // chain their table to the base class's (foundation/PropertyTable.h).
  virtual const TPropertyTable& Properties();
  // Writes the template's values that differ from those its file holds.
  void SaveTemplateDiff(const Ref<IHierStorage>& node);

  std::string outStorage_;
  bool isTemplate_ = false;
  bool stored_ = true;
  std::string objectGuid_;
  std::string elementName_;  // set by descendants in Init
  std::string typeName_;     // the name the class is registered under
};

class TPropertyObject : public TPersistObject, public virtual IPropertyObject {
 public:
  Variant GetProperty(const std::string& name) override { return DoGetProperty(name); }
  Variant GetPropertyDef(const std::string& name, const Variant& def) override;
  // The row that writes Name; values that do not convert are ignored.
  void SetProperty(const std::string& name, const Variant& value) override;

  // The rows that answer every later read and write of Name, for callers that use one
  // property often (a bound function, every frame): false when Name must be asked by
  // name each time (widgets: a path, an alias, an extra parameter). A row may be nothing:
  // no class reads (writes) the property.
  virtual bool ResolveProperty(const std::string& name, const TPropertyRow*& reader,
                               const TPropertyRow*& writer);
  // Through rows from ResolveProperty, as numbers: false when there is no value.
  bool ReadNumber(const TPropertyRow* reader, double& value);
  void WriteNumber(const TPropertyRow* writer, double value);

 protected:
  // "name" and "_object_guid".
  const TPropertyTable& Properties() override;
  // The row that reads Name, or Null.
  virtual Variant DoGetProperty(const std::string& name);
  // Writes through Row, and tells PropertyChanged when the row asks for it.
  void WriteProperty(const TPropertyRow& row, const Variant& value);
  // A row that redraws or invalidates changed the value it stores.
  virtual void PropertyChanged(const TPropertyRow& row);
};

// An ordered collection of interfaces under unique case-insensitive keys.
class TCollection : public TAbstractObject, public virtual ICollection {
 public:
  void Init() override;
  int Count() override { return items_->GetCount(); }
  void Delete(const Variant& address) override { items_->Delete(address); }
  int IndexOf(std::string_view key) override { return items_->IndexOf(key); }
  bool Contains(std::string_view key) override { return items_->Contains(key); }
  void Clear() override { items_->Clear(); }

  TInterfaceCollection& Items() { return *items_; }

 protected:
  Ref<TInterfaceCollection> items_;
};

// A persistent collection: one child element named ItemElementName per item.
class TPersistCollection : public TPersistObject, public virtual ICollection {
 public:
  void Init() override;
  int Count() override { return items_->GetCount(); }
  void Delete(const Variant& address) override { items_->Delete(address); }
  int IndexOf(std::string_view key) override { return items_->IndexOf(key); }
  bool Contains(std::string_view key) override { return items_->Contains(key); }
  void Clear() override { items_->Clear(); }
  void Reset() override { Clear(); }

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  TInterfaceCollection& Items() { return *items_; }
  const std::string& ItemElementName() const { return itemElementName_; }

 protected:
  // One item element each; nothing in the base. Nothing is loaded while
  // ItemElementName is empty (nothing could have been saved either).
  virtual void LoadItem(const Ref<IHierStorage>& child);
  // False (the child is removed again) when the item was not written.
  virtual bool SaveItem(const Ref<IInterface>& item, const Ref<IHierStorage>& child);

  std::string itemElementName_;
  Ref<TInterfaceCollection> items_;
};

// Items are created per child element and load themselves from it.
class TPersistItemCollection : public TPersistCollection {
 protected:
  void LoadItem(const Ref<IHierStorage>& child) override;
  bool SaveItem(const Ref<IInterface>& item, const Ref<IHierStorage>& child) override;
  // The new item for a child element, or nothing to skip it.
  virtual Ref<IInterface> CreateItem(const Ref<IHierStorage>& child);
  // The item has loaded; descendants store it (the base keeps nothing).
  virtual void ItemLoaded(const Ref<IInterface>& item);
};

// Items of one class.
class TStaticCreationPersistItemCollection : public TPersistItemCollection {
 public:
  TClass ItemClass() const { return itemClass_; }
  void SetItemClass(TClass itemClass) { itemClass_ = itemClass; }

 protected:
  Ref<IInterface> CreateItem(const Ref<IHierStorage>& child) override;
  TClass itemClass_ = nullptr;
};

// Items of the class registered under each element's "type".
class TTypedCreationPersistItemCollection : public TPersistItemCollection {
 protected:
  Ref<IInterface> CreateItem(const Ref<IHierStorage>& child) override;
};

// ---------------------------------------------------------------------------------------
// Creating, loading and saving objects through nodes

// The registered object of TypeText ("name" or "name{params}") named Name; nothing for
// an unregistered type or an object without INamedObject.
Ref<INamedObject> CreateNamedObject(std::string_view typeText, const std::string& name = {});
bool LoadObject(const Ref<IInterface>& object, const Ref<IHierStorage>& node);
bool SaveObject(const Ref<IInterface>& object, const Ref<IHierStorage>& node);
// Loads from the Index-th child named ElementName (the object's own element name when
// empty); false when there is none.
bool LoadObjectFromChild(const Ref<IInterface>& object, const Ref<IHierStorage>& node,
                         std::string_view elementName = {}, int index = 0);
// A new instance of the class loaded from that child; nothing when it cannot be.
Ref<TAbstractObject> CreateAndLoadObject(TClass classRef, const Ref<IHierStorage>& node,
                                         std::string_view elementName = {}, int index = 0);
template <class T>
Ref<T> CreateAndLoadObject(const Ref<IHierStorage>& node, std::string_view elementName = {},
                           int index = 0) {
  Ref<TAbstractObject> object = CreateAndLoadObject(ClassOf<T>(), node, elementName, index);
  return Ref<T>(static_cast<T*>(object.get()));
}
// CreateNamedObject for the node's "type" and "name". A type that names no registered
// class gives nothing and a warning naming the node's file.
Ref<INamedObject> CreateNamedObjectOf(const Ref<IHierStorage>& node);
// The object named by the node's "type" and "name", loaded from the node.
Ref<INamedObject> CreateObjectFromXml(const Ref<IHierStorage>& node);
Ref<INamedObject> CreateObjectFromChild(const Ref<IHierStorage>& node, std::string_view elementName,
                                        int index = 0);
// Adds a child (named ElementName, else the object's element name) and saves the object
// into it. True without a child when the object is not to be stored.
bool SaveObjectToChild(const Ref<IInterface>& object, const Ref<IHierStorage>& node,
                       std::string_view elementName = {});
