#include "foundation/GeneralClasses.h"

#include <memory>
#include <typeindex>
#include <unordered_map>

#include "foundation/Routines.h"

void TAbstractObject::ApplyParams(const std::string& params) {
  if (params.empty()) return;
  for (const TNameValuePair& pair : SplitNameValuePairs(params, '\\', '='))
    SetParam(pair.Name, Variant(pair.Value));
}

namespace {

// FindClassNameOf's answers by registry: every persistent object asks for its class's name
// when it is made, and the list is searched one entry at a time. A registration clears
// its registry's answers.
std::unordered_map<std::type_index, std::string>& NamesOfTypes(const TClassesRegistry* registry) {
  static std::unordered_map<const TClassesRegistry*,
                            std::unordered_map<std::type_index, std::string>>
      answers;
  return answers[registry];
}

}  // namespace

TClassesRegistry::TClassesRegistry() {
  // A registry made where another one was has none of its answers.
  NamesOfTypes(this).clear();
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
  NamesOfTypes(this).clear();
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
  std::unordered_map<std::type_index, std::string>& known = NamesOfTypes(this);
  auto found = known.find(std::type_index(type));
  if (found != known.end()) return found->second;
  std::string name;
  for (int i = 0; i < list_.Count(); ++i) {
    auto* record = static_cast<const TClassRecord*>(list_.GetItemByIndex(i));
    if (*record->ClassRef->Type == type) {
      name = record->Name;
      break;
    }
  }
  known.emplace(std::type_index(type), name);
  return name;
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
