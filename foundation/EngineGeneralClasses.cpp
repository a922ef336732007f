#include "foundation/EngineGeneralClasses.h"

#include <charconv>
#include <cmath>

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
  auto* persist = dynamic_cast<TPersistObject*>(&target);
  if (!persist) throw Exception("Invalid class typecast");
  TNamedObject::AssignTo(target);
  persist->outStorage_ = outStorage_;
  persist->isTemplate_ = isTemplate_;
  persist->stored_ = stored_;
  persist->elementName_ = elementName_;
  persist->typeName_ = typeName_;
}

void TPersistObject::LoadFromXml(const Ref<IHierStorage>& node) {
  SetName(ReadXmlStr(node, "name"));
}

void TPersistObject::SaveToXml(const Ref<IHierStorage>& node) {
  WriteXmlStr(node, "name", name_, !name_.empty());
  WriteXmlStr(node, "type", typeName_, !typeName_.empty());
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

Variant TPropertyObject::DoGetProperty(const std::string& name) {
  if (name == "name") return Variant(name_);
  if (name == "_object_guid") return Variant(objectGuid_);
  return Variant::Null();
}

Variant TPropertyObject::GetPropertyDef(const std::string& name, const Variant& def) {
  Variant value = DoGetProperty(name);
  return value.IsClear() ? def : value;
}

void TPropertyObject::SetProperty(const std::string& name, const Variant& value) {
  if (name == "name")
    SetName(value.ToString());
  else if (name == "_object_guid")
    objectGuid_ = value.ToString();
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
  if (!LoadObjectFromChild(Ref<IInterface>(object.get()), node, elementName, index)) return nullptr;
  return object;
}

Ref<INamedObject> CreateObjectFromXml(const Ref<IHierStorage>& node) {
  if (!node) return nullptr;
  Ref<INamedObject> object = CreateNamedObjectOf(node);
  if (!LoadObject(Ref<IInterface>(object.get()), node)) return nullptr;
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

// ---------------------------------------------------------------------------------------
// Text conversions

std::string CommaToPoint(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == ',') c = '.';
  return out;
}

bool TryTextToInt(std::string_view text, int32_t& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text[0] == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  uint64_t magnitude = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (base == 16) {
    // Eight hexadecimal digits are a bit pattern (colours), so they may fill the sign.
    if (magnitude > 0xFFFFFFFFull) return false;
    uint32_t bits = static_cast<uint32_t>(magnitude);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
  }
  if (magnitude > (negative ? 2147483648ull : 2147483647ull)) return false;
  value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                   : static_cast<int32_t>(magnitude);
  return true;
}

bool TryTextToFloat(std::string_view text, double& value) {
  std::string point = CommaToPoint(TrimBlanks(text));
  std::string_view digits = point;
  if (!digits.empty() && digits[0] == '+') {
    digits.remove_prefix(1);
    if (!digits.empty() && digits[0] == '-') return false;
  }
  double parsed = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
  if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(parsed))
    return false;
  value = parsed;
  return true;
}

std::string FormatFloatValue(double value) {
  double rounded = value;
  if (FloatPrecision > 0 && std::isfinite(value)) {
    double steps = value / FloatPrecision;
    // Beyond 2^53 steps every double is a whole number of steps already.
    if (std::fabs(steps) < 9.0e15) rounded = double(RoundHalfEven64(steps)) * FloatPrecision;
  }
  char buffer[64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::general, 15);
  if (error != std::errc()) return "0";
  return CommaToPoint(std::string_view(buffer, size_t(end - buffer)));
}

// ---------------------------------------------------------------------------------------
// Attribute readers and writers

void WarnAboutNode(const Ref<IHierStorage>& node, std::string_view what) {
  if (!node) return Warn({}, what);
  std::string element = node->GetName();
  std::string name = node->GetAttr("name").ToString();
  if (!name.empty()) element += " \"" + name + "\"";
  Warn(StorageDataFile(node), element + ": " + std::string(what));
}

namespace {

// Text was there but is not a value of the attribute's kind: the default stands.
void WarnUnreadable(const Ref<IHierStorage>& node, std::string_view name, std::string_view text,
                    std::string_view expected) {
  WarnAboutNode(node, std::string(name) + "=\"" + std::string(text) + "\" is not " +
                          std::string(expected) + "; the default is used");
}

}  // namespace

std::string ReadXmlStr(const Ref<IHierStorage>& node, std::string_view name,
                       const std::string& def) {
  if (!node) return def;
  return node->GetAttr(name, Variant(def)).ToString();
}

void WriteXmlStr(const Ref<IHierStorage>& node, std::string_view name, const std::string& value,
                 bool force) {
  if (!node) return;
  if (!force && node->GetAttr(name, Variant(value)).ToString() == value) return;
  node->SetAttr(name, Variant(value));
}

std::string ReadXmlText(const Ref<IHierStorage>& node, std::string_view name,
                        const std::string& def) {
  return TranslateText(ReadXmlStr(node, name, def));
}

bool ReadXmlBool(const Ref<IHierStorage>& node, std::string_view name, bool def) {
  std::string text = ReadXmlStr(node, name, def ? "yes" : "no");
  if (text == "yes" || text == "-1") return true;
  if (text == "no" || text == "0") return false;
  if (!text.empty()) WarnUnreadable(node, name, text, "yes or no");
  return def;
}

void WriteXmlBool(const Ref<IHierStorage>& node, std::string_view name, bool value, bool force) {
  WriteXmlStr(node, name, value ? "yes" : "no", force);
}

int32_t ReadXmlInt(const Ref<IHierStorage>& node, std::string_view name, int32_t def) {
  if (!node) return def;
  std::string text = ReadXmlStr(node, name);
  int32_t value = def;
  if (TryTextToInt(text, value)) return value;
  if (!text.empty()) WarnUnreadable(node, name, text, "an integer");
  return def;
}

void WriteXmlInt(const Ref<IHierStorage>& node, std::string_view name, int32_t value, bool force) {
  char buffer[16];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)error;  // 16 characters always hold a 32-bit integer
  WriteXmlStr(node, name, std::string(buffer, end), force);
}

uint32_t ReadXmlHex(const Ref<IHierStorage>& node, std::string_view name, uint32_t def) {
  if (!node) return def;
  std::string text = ReadXmlStr(node, name);
  int32_t value = 0;
  if (TryTextToInt(text, value)) return static_cast<uint32_t>(value);
  if (!text.empty()) WarnUnreadable(node, name, text, "a colour or number (\"$AARRGGBB\")");
  return def;
}

void WriteXmlHex(const Ref<IHierStorage>& node, std::string_view name, uint32_t value, bool force) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "$00000000";
  for (int i = 8; i >= 1; --i, value >>= 4) text[size_t(i)] = kDigits[value & 15];
  WriteXmlStr(node, name, text, force);
}

double ReadXmlFloat(const Ref<IHierStorage>& node, std::string_view name, double def) {
  if (!node) return def;
  std::string text = ReadXmlStr(node, name);
  double value = def;
  if (TryTextToFloat(text, value)) return value;
  if (!text.empty()) WarnUnreadable(node, name, text, "a number");
  return def;
}

void WriteXmlFloat(const Ref<IHierStorage>& node, std::string_view name, double value, bool force) {
  WriteXmlStr(node, name, FormatFloatValue(value), force);
}

int ReadXmlEnum(const Ref<IHierStorage>& node, std::string_view name, std::string_view list,
                int def) {
  TOneArrayOfString names = SplitString(list, '/');
  if (def < 0 || def >= int(names.size())) return def;
  std::string text = ReadXmlStr(node, name, names[size_t(def)]);
  if (text == names[size_t(def)]) return def;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == text) return int(i);
  if (!text.empty()) WarnUnreadable(node, name, text, "one of \"" + std::string(list) + "\"");
  return def;
}

void WriteXmlEnum(const Ref<IHierStorage>& node, std::string_view name, std::string_view list,
                  bool force, int index) {
  TOneArrayOfString names = SplitString(list, '/');
  if (index < 0 || index >= int(names.size())) return;
  WriteXmlStr(node, name, names[size_t(index)], force);
}
