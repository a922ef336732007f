#include "foundation/GeneralClasses.h"

#include <memory>

#include "foundation/Routines.h"

void TAbstractObject::ApplyParams(const std::string& params) {
  if (params.empty()) return;
  for (const TNameValuePair& pair : SplitNameValuePairs(params, '\\', '='))
    SetParam(pair.Name, Variant(pair.Value));
}

TClassesRegistry::TClassesRegistry() {
  list_.SetHashMode(THashMode::Crc32);
  list_.SetCaseInsensitive(true);
  list_.SetDuplicatesAction(TDuplicatesAction::Raise);
  list_.SetRaiseOnAbsence(false);
  list_.SetAutoFreeObjects(false);
  list_.SetOnDelete([](TElHashList&, void* record) { delete static_cast<TClassRecord*>(record); });
}

void TClassesRegistry::RegisterClassName(TClass classRef, const std::string& name) {
  auto record = std::make_unique<TClassRecord>(TClassRecord{name, classRef});
  list_.AddItem(name, record.get());
  record.release();
}

std::string TClassesRegistry::FindClassName(TClass classRef) const {
  for (int i = 0; i < list_.Count(); ++i) {
    auto* record = static_cast<const TClassRecord*>(list_.GetItemByIndex(i));
    if (record->ClassRef == classRef) return record->Name;
  }
  return {};
}

std::string TClassesRegistry::FindClassNameOf(const TAbstractObject& object) const {
  const std::type_info& type = typeid(object);
  for (int i = 0; i < list_.Count(); ++i) {
    auto* record = static_cast<const TClassRecord*>(list_.GetItemByIndex(i));
    if (*record->ClassRef->Type == type) return record->Name;
  }
  return {};
}

TClass TClassesRegistry::FindClass(std::string_view name) const {
  auto* record = static_cast<const TClassRecord*>(list_.GetItem(name));
  return record ? record->ClassRef : nullptr;
}

Ref<TAbstractObject> TClassesRegistry::CreateRegisteredObject(std::string_view text) const {
  std::string_view className = text;
  std::string params;
  size_t brace = text.find('{');
  if (brace != std::string_view::npos) {
    className = text.substr(0, brace);
    // The closing "}" is assumed and dropped unchecked; "name{" has nothing after the
    // brace, so there is no character to drop.
    std::string_view inside = text.substr(brace + 1);
    if (!inside.empty()) inside.remove_suffix(1);
    params = inside;
  }
  return CreateObjectOfClass(FindClass(className), params);
}

Ref<TAbstractObject> CreateObjectOfClass(TClass classRef, const std::string& params) {
  if (!classRef) return nullptr;
  Ref<TAbstractObject> object(classRef->NewInstance());
  object->Init();
  object->ApplyParams(params);
  return object;
}

TClassesRegistry& ClassesRegistry() {
  static TClassesRegistry registry;
  return registry;
}

void RegisterFoundationClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  // The foundation's creatable classes, one line each, in the order of their units.
}
