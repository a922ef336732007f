#include "foundation/EngineGeneralClasses.h"

#include "foundation/CheckedMath.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/Exceptions.h"
#include "foundation/GlobalReplaceableObjectParams.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"

// ---------------------------------------------------------------------------------------
// Named and persistent objects

void TNamedObject::SetParam(const std::string& name, const Variant& value) {
  // The one construction parameter of every named object: its name.
  if (name == "name") SetName(value.ToString());
}

void TNamedObject::AssignTo(TNamedObject& target) {
  target.SetName(name_);
}

void TPersistObject::Init() {
  TNamedObject::Init();
  typeName_ = FindClassNameOf(*this);
  stored_ = true;
  isTemplate_ = false;
  objectGuid_.clear();
}

void TPersistObject::AssignTo(TNamedObject& target) {
  auto* persist = InterfaceCast<TPersistObject>(&target);
  if (!persist) throw Exception("Invalid class typecast");
  TNamedObject::AssignTo(target);
  persist->outStorage_ = outStorage_;
  persist->isTemplate_ = isTemplate_;
  persist->stored_ = stored_;
  persist->elementName_ = elementName_;
  persist->typeName_ = typeName_;
}

const TPropertyTable& TPersistObject::Properties() {
  static const TPropertyTable table({});
  return table;
}

void TPersistObject::LoadFromXml(const Ref<IHierStorage>& node) {
  SetName(ReadXmlStr(node, "name"));
  Properties().Load(*this, node);
}

void TPersistObject::SaveToXml(const Ref<IHierStorage>& node) {
  WriteXmlStr(node, "name", name_, !name_.empty());
  WriteXmlStr(node, "type", typeName_, !typeName_.empty());
  Properties().Save(*this, node);
}

bool TPersistObject::TrySaveToXml(const Ref<IHierStorage>& node) {
  SaveToXml(node);
  return true;
}

void TPersistObject::LoadFromStorage(const Ref<IHierStorage>& node) {
  outStorage_ = ReadXmlStr(node, "_outstorage");
  isTemplate_ = ReadXmlBool(node, "template", false);
  objectGuid_ = ReadXmlStr(node, "_object_guid");
  // The "_outstorage" values need nothing here: the node itself prefers them.
  if (objectGuid_.empty()) return LoadFromXml(node);
  LoadFromXml(ResolveObjectGuid(objectGuid_, node));
}

void TPersistObject::SaveToStorage(const Ref<IHierStorage>& node) {
  if (!node) return;
  if (outStorage_.empty()) {
    SaveToXml(node);
  } else if (isTemplate_) {
    if (Ref<IHierStorage> storage = OpenXmlStorage(outStorage_)) SaveToXml(storage);
    SaveTemplateDiff(node);
  } else {
    std::string rootName = node->GetName();
    if (rootName.empty()) rootName = elementName_;
    if (Ref<IHierStorageRoot> storage = CreateXmlStorage(rootName)) {
      SaveToXml(storage);
      SaveXmlStorage(storage, outStorage_);
    }
  }
  WriteXmlStr(node, "_object_guid", objectGuid_, !objectGuid_.empty());
  WriteXmlStr(node, "_outstorage", outStorage_, !outStorage_.empty());
  WriteXmlBool(node, "template", isTemplate_, isTemplate_);
}

void TPersistObject::SaveTemplateDiff(const Ref<IHierStorage>& node) {
  Ref<IHierStorage> saved = OpenXmlStorage(outStorage_);
  Ref<IHierStorage> original = OpenXmlStorage(outStorage_);
  if (!saved || !original) return;
  for (int i = 0; i < saved->GetAttrCount(); ++i) {
    std::string name = saved->GetAttrName(i);
    std::string value = saved->GetAttrByIndex(i, "").ToString();
    if (value != original->GetAttr(name, "").ToString()) node->SetAttr(name, value);
  }
}

// ---------------------------------------------------------------------------------------
// Property objects

const TPropertyTable& TPropertyObject::Properties() {
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Prop("name", &TPropertyObject::GetName, &TPropertyObject::SetName).AfterAliases(),
          Prop("_object_guid", &TPropertyObject::objectGuid_).AfterAliases(),
      });
  return table;
}

Variant TPropertyObject::DoGetProperty(const std::string& name) {
  const TPropertyRow* row = Properties().Reader(name);
  return row ? row->Get(*this) : Variant::Null();
}

Variant TPropertyObject::GetPropertyDef(const std::string& name, const Variant& def) {
  Variant value = DoGetProperty(name);
  return value.IsClear() ? def : value;
}

void TPropertyObject::SetProperty(const std::string& name, const Variant& value) {
  if (const TPropertyRow* row = Properties().Writer(name)) WriteProperty(*row, value);
}

void TPropertyObject::WriteProperty(const TPropertyRow& row, const Variant& value) {
  if (row.Set(*this, value) && (row.Redraws() || row.Invalidates())) PropertyChanged(row);
}

void TPropertyObject::PropertyChanged(const TPropertyRow&) {}

bool TPropertyObject::ResolveProperty(const std::string& name, const TPropertyRow*& reader,
                                      const TPropertyRow*& writer) {
  reader = Properties().Reader(name);
  writer = Properties().Writer(name);
  return true;
}

bool TPropertyObject::ReadNumber(const TPropertyRow* reader, double& value) {
  return reader && reader->GetNumber(*this, value);
}

void TPropertyObject::WriteNumber(const TPropertyRow* writer, double value) {
  if (writer && writer->SetNumber(*this, value) && (writer->Redraws() || writer->Invalidates()))
    PropertyChanged(*writer);
}

// ---------------------------------------------------------------------------------------
// Collections

void TCollection::Init() {
  TAbstractObject::Init();
  items_ = Ref<TInterfaceCollection>(new TInterfaceCollection());
}

void TPersistCollection::Init() {
  TPersistObject::Init();
  items_ = Ref<TInterfaceCollection>(new TInterfaceCollection());
}

void TPersistCollection::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  if (!node || itemElementName_.empty()) return;
  int count = node->GetChildCount(itemElementName_);
  for (int i = 0; i < count; ++i)
    if (Ref<IHierStorage> child = node->GetChild(itemElementName_, i)) LoadItem(child);
}

void TPersistCollection::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  if (!node) return;
  for (int i = 0; i < items_->GetCount(); ++i) {
    Ref<IInterface> item = items_->GetByIndex(i);
    Ref<IHierStorage> child = node->AddChild(itemElementName_);
    if (item && child && !SaveItem(item, child)) node->RemoveChild(child);
  }
}

void TPersistCollection::LoadItem(const Ref<IHierStorage>&) {}

bool TPersistCollection::SaveItem(const Ref<IInterface>&, const Ref<IHierStorage>&) {
  return false;
}

void TPersistItemCollection::LoadItem(const Ref<IHierStorage>& child) {
  Ref<IInterface> item = CreateItem(child);
  if (!item) return;
  if (Ref<IPersistObject> persist = Supports<IPersistObject>(item)) persist->LoadFromStorage(child);
  ItemLoaded(item);
}

bool TPersistItemCollection::SaveItem(const Ref<IInterface>& item, const Ref<IHierStorage>& child) {
  Ref<IPersistObject> persist = Supports<IPersistObject>(item);
  if (!persist) return false;
  if (Ref<IPersistObjectEx> ex = Supports<IPersistObjectEx>(item); ex && !ex->GetStored())
    return false;
  persist->SaveToStorage(child);
  return true;
}

Ref<IInterface> TPersistItemCollection::CreateItem(const Ref<IHierStorage>&) {
  return nullptr;
}

void TPersistItemCollection::ItemLoaded(const Ref<IInterface>&) {}

Ref<IInterface> TStaticCreationPersistItemCollection::CreateItem(const Ref<IHierStorage>&) {
  return Ref<IInterface>(CreateObjectOfClass(itemClass_).get());
}

Ref<IInterface> TTypedCreationPersistItemCollection::CreateItem(const Ref<IHierStorage>& child) {
  return Ref<IInterface>(CreateNamedObjectOf(child).get());
}

// ---------------------------------------------------------------------------------------
// Object input and output

Ref<INamedObject> CreateNamedObject(std::string_view typeText, const std::string& name) {
  Ref<INamedObject> object = Supports<INamedObject>(CreateRegisteredObject(typeText));
  if (object && !name.empty()) object->SetName(name);
  return object;
}

Ref<INamedObject> CreateNamedObjectOf(const Ref<IHierStorage>& node) {
  std::string type = ReadXmlStr(node, "type");
  Ref<INamedObject> object = CreateNamedObject(type, ReadXmlStr(node, "name"));
  if (!object && !ClassesRegistry().FindClass(type.substr(0, type.find('{'))))
    WarnAboutNode(node, "type \"" + type + "\" is not registered; the element is skipped");
  return object;
}

bool LoadObject(const Ref<IInterface>& object, const Ref<IHierStorage>& node) {
  Ref<IPersistObject> persist = Supports<IPersistObject>(object);
  if (!persist || !node) return false;
  persist->LoadFromStorage(node);
  return true;
}

bool SaveObject(const Ref<IInterface>& object, const Ref<IHierStorage>& node) {
  Ref<IPersistObject> persist = Supports<IPersistObject>(object);
  if (!persist || !node) return false;
  persist->SaveToStorage(node);
  return true;
}

bool LoadObjectFromChild(const Ref<IInterface>& object, const Ref<IHierStorage>& node,
                         std::string_view elementName, int index) {
  Ref<IPersistObject> persist = Supports<IPersistObject>(object);
  if (!persist || !node) return false;
  std::string name = elementName.empty() ? persist->GetElementName() : std::string(elementName);
  if (index < 0 || index >= node->GetChildCount(name)) return false;
  Ref<IHierStorage> child = node->GetChild(name, index);
  if (!child) return false;
  persist->LoadFromStorage(child);
  return true;
}

Ref<TAbstractObject> CreateAndLoadObject(TClass classRef, const Ref<IHierStorage>& node,
                                         std::string_view elementName, int index) {
  if (!classRef || !node) return nullptr;
  if (!elementName.empty() && (index < 0 || index >= node->GetChildCount(elementName)))
    return nullptr;
  Ref<TAbstractObject> object = CreateObjectOfClass(classRef);
  if (!LoadObjectFromChild(object, node, elementName, index)) return nullptr;
  return object;
}

Ref<INamedObject> CreateObjectFromXml(const Ref<IHierStorage>& node) {
  if (!node) return nullptr;
  Ref<INamedObject> object = CreateNamedObjectOf(node);
  if (!LoadObject(object, node)) return nullptr;
  return object;
}

Ref<INamedObject> CreateObjectFromChild(const Ref<IHierStorage>& node, std::string_view elementName,
                                        int index) {
  if (!node || index < 0 || index >= node->GetChildCount(elementName)) return nullptr;
  return CreateObjectFromXml(node->GetChild(elementName, index));
}

bool SaveObjectToChild(const Ref<IInterface>& object, const Ref<IHierStorage>& node,
                       std::string_view elementName) {
  Ref<IPersistObject> persist = Supports<IPersistObject>(object);
  if (!persist || !node) return false;
  std::string name = elementName.empty() ? persist->GetElementName() : std::string(elementName);
  if (name.empty()) return false;
  if (Ref<IPersistObjectEx> ex = Supports<IPersistObjectEx>(object); ex && !ex->GetStored())
    return true;
  Ref<IHierStorage> child = node->AddChild(name);
  if (!child) return false;
  persist->SaveToStorage(child);
  return true;
}
