#pragma once
// Objects that live in XML documents: named objects, persistent objects that load and
// save themselves through a storage node, property objects, the collections of them,
// the routines that create objects from nodes by registered type name, and the
// attribute readers and writers that fix how every value is written in every file.
//
// How a class loads and saves itself:
//
//   class TLogo : public TPropertyObject {
//    protected:
//     void Init() override { TPropertyObject::Init(); elementName_ = "logo"; }
//     void LoadFromXml(const Ref<IHierStorage>& node) override {
//       TPropertyObject::LoadFromXml(node);            // "name" first
//       alpha_ = ReadXmlFloat(node, "alpha", 1.0);
//     }
//     void SaveToXml(const Ref<IHierStorage>& node) override {
//       TPropertyObject::SaveToXml(node);              // "name" and "type"
//       WriteXmlFloat(node, "alpha", alpha_, alpha_ != 1.0);  // left out at its default
//     }
//   };
//
// An owner creates it from a child element by its "type" (CreateObjectFromXml) or as a
// known class (CreateAndLoadObject<TLogo>), and saves it with SaveObjectToChild.

#include <string>
#include <string_view>

#include "foundation/GeneralClasses.h"
#include "foundation/PersistenceService.h"
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

  // The object's own values. Overrides call the inherited operation first.
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
  // "name" and "_object_guid"; descendants add theirs and call this for the rest.
  void SetProperty(const std::string& name, const Variant& value) override;

 protected:
  // "name" and "_object_guid"; Null for every other name.
  virtual Variant DoGetProperty(const std::string& name);
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

// ---------------------------------------------------------------------------------------
// Attribute readers and writers: the one encoding of values in every XML file.
//
// Readers give the default for a missing node, a missing attribute or text that does not
// convert; text that does not convert is also said on the warning channel. Writers with Force set
// the attribute; without it they change only an attribute that holds another value, so an absent
// attribute stays absent. Objects pass Force exactly when the value differs from its default, so
// defaults stay out of files. Numbers are read and written the same under every locale.

std::string ReadXmlStr(const Ref<IHierStorage>& node, std::string_view name,
                       const std::string& def = {});
void WriteXmlStr(const Ref<IHierStorage>& node, std::string_view name, const std::string& value,
                 bool force = false);
// ReadXmlStr, then TranslateText: texts the player sees.
std::string ReadXmlText(const Ref<IHierStorage>& node, std::string_view name,
                        const std::string& def = {});
// "yes"/"no"; "-1" reads as yes and "0" as no. Anything else gives the default.
bool ReadXmlBool(const Ref<IHierStorage>& node, std::string_view name, bool def = false);
void WriteXmlBool(const Ref<IHierStorage>& node, std::string_view name, bool value,
                  bool force = false);
// Decimal, or hexadecimal after "$" (or "0x").
int32_t ReadXmlInt(const Ref<IHierStorage>& node, std::string_view name, int32_t def = 0);
void WriteXmlInt(const Ref<IHierStorage>& node, std::string_view name, int32_t value,
                 bool force = false);
// Colours 0xAARRGGBB: written "$AARRGGBB".
uint32_t ReadXmlHex(const Ref<IHierStorage>& node, std::string_view name, uint32_t def = 0);
void WriteXmlHex(const Ref<IHierStorage>& node, std::string_view name, uint32_t value,
                 bool force = false);
// "," reads as "."; written with "." rounded to FloatPrecision.
double ReadXmlFloat(const Ref<IHierStorage>& node, std::string_view name, double def = 0);
void WriteXmlFloat(const Ref<IHierStorage>& node, std::string_view name, double value,
                   bool force = false);
// The index of the attribute's text among the "/"-separated names of List.
int ReadXmlEnum(const Ref<IHierStorage>& node, std::string_view name, std::string_view list,
                int def = 0);
void WriteXmlEnum(const Ref<IHierStorage>& node, std::string_view name, std::string_view list,
                  bool force, int index);

// Says on the warning channel, naming the node's file, what was dropped from the node's
// element: 'widget "title": What'.
void WarnAboutNode(const Ref<IHierStorage>& node, std::string_view what);

// The text conversions behind them.
std::string CommaToPoint(std::string_view text);
// Rounded to the nearest multiple of FloatPrecision (ties to even), up to 15 significant
// digits, "." as the decimal point: 0.333 gives "0.33" at precision 0.01, 2.0 gives "2".
std::string FormatFloatValue(double value);
bool TryTextToInt(std::string_view text, int32_t& value);
bool TryTextToFloat(std::string_view text, double& value);
