#include "engine/EngineResourceDefs.h"

#include "engine/EngineRoutines.h"
#include "foundation/Routines.h"
#include "foundation/SimpleXML.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"

// ---------------------------------------------------------------------------------------
// TResourceDef

void TResourceDef::Init() {
  TPersistObject::Init();
  elementName_ = "resource_def";
}

// Values are escaped, so a file name with "&" or a quote cannot spoil the list it goes
// into; type parameters whose name is no XML name are left out for the same reason.
std::string TResourceDef::ToResourceXml() {
  std::string xml = "<resource name=\"" + EscapeXml(name_) + "\" type=\"" +
                    EscapeXml(resourceType_) + "\" file=\"" + EscapeXml(fileName_) + "\"";
  for (const TNameValuePair& pair : SplitNameValuePairs(typeParams_, '\\', '=')) {
    if (!IsXmlName(pair.Name)) continue;
    if (pair.Name == "name" || pair.Name == "type" || pair.Name == "file") continue;
    xml += " " + pair.Name + "=\"" + EscapeXml(pair.Value) + "\"";
  }
  xml += "/>";
  return xml;
}

// "type" is the type of the resource to make, not the definition's own.
const TPropertyTable& TResourceDef::Properties() {
  using D = TResourceDef;
  static const TPropertyTable table(TPersistObject::Properties(),
                                    {
                                        Attr("type", &D::resourceType_).Str().Always(),
                                        Attr("file", &D::fileName_).Str().Always(),
                                        Attr("typeparams", &D::typeParams_).Str(),
                                    });
  return table;
}

// ---------------------------------------------------------------------------------------
// TResourceDefCollection

void TResourceDefCollection::LoadFromStorage(const Ref<IHierStorage>& node) {
  if (!node) return;
  dataFile_ = StorageDataFile(node);
  group_ = ReadXmlStr(node, "resourcegroup");
  int count = node->GetChildCount("resource_def");
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> child = node->GetChild("resource_def", i);
    if (!child) continue;
    Ref<TResourceDef> definition = TAbstractObject::Create<TResourceDef>();
    definition->LoadFromStorage(child);
    Add(Ref<IResourceDef>(definition.get()));
  }
}

void TResourceDefCollection::SaveToStorage(const Ref<IHierStorage>& node) {
  if (!node) return;
  WriteXmlStr(node, "resourcegroup", group_, !group_.empty());
  for (int i = 0; i < Count(); ++i) {
    SaveObjectToChild(Items().GetByIndex(i), node, "resource_def");
  }
}

void TResourceDefCollection::SetTarget(IEngine* engine) {
  target_ = engine;
  for (int i = 0; i < Count(); ++i) {
    if (Ref<IResourceDef> definition = Supports<IResourceDef>(Items().GetByIndex(i))) {
      definition->SetOwner(this);
    }
  }
}

void TResourceDefCollection::ReleaseTarget() {
  for (int i = 0; i < Count(); ++i) {
    if (Ref<IResourceDef> definition = Supports<IResourceDef>(Items().GetByIndex(i))) {
      definition->ClearOwner();
    }
  }
  target_ = nullptr;
}

void TResourceDefCollection::LoadList(const std::string& elements) {
  std::string text = "<resources><content>" + elements + "</content></resources>";
  // Every value is escaped, so the list parses; what may still fail is a resource's own
  // loading.
  try {
    if (Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(text, dataFile_)) {
      target_->LoadResources(Ref<IHierStorage>(storage.get()), group_, false);
    }
  } catch (const std::exception& error) {
    Warn(dataFile_, "the resources of group \"" + group_ + "\" do not load (" + error.what() +
                        "); the rest are not loaded");
  }
}

void TResourceDefCollection::LoadResources() {
  if (!target_ || Count() == 0) return;
  std::string elements;
  for (int i = 0; i < Count(); ++i) {
    if (Ref<IResourceDef> definition = Supports<IResourceDef>(Items().GetByIndex(i))) {
      elements += definition->ToResourceXml();
      loadedNames_.push_back(definition->GetName());
    }
  }
  LoadList(elements);
}

void TResourceDefCollection::LoadResource(const Variant& address) {
  Ref<IResourceDef> definition = Find(address);
  if (!definition || !target_) return;
  target_->DeleteResource(definition->GetName());
  loadedNames_.push_back(definition->GetName());
  LoadList(definition->ToResourceXml());
}

void TResourceDefCollection::RemoveResources() {
  if (!target_) return;
  std::vector<std::string> names = std::move(loadedNames_);
  loadedNames_.clear();
  if (!group_.empty()) return target_->RemoveResources(group_);
  // The engine reads an empty group as every resource: only what this list loaded is ours
  // to remove (also once a loading screen has emptied the list), and of those names only
  // resources without a group (a namesake another list loaded first was kept, and stays).
  for (const std::string& name : names) {
    Ref<IResource> resource = target_->GetResource(name);
    if (resource && resource->GetGroupName().empty()) target_->DeleteResource(name);
  }
}

Ref<IResourceDef> TResourceDefCollection::Find(const Variant& address) {
  return Supports<IResourceDef>(Items().GetItem(address));
}

void TResourceDefCollection::Add(const Ref<IResourceDef>& definition) {
  if (!definition) return;
  Items().Add(definition, definition->GetName());
}

Ref<IResourceDef> TResourceDefCollection::Define(const std::string& name, const std::string& type,
                                                 const std::string& typeParams,
                                                 const std::string& file) {
  Ref<IResourceDef> definition = Find(Variant(name));
  if (!definition) {
    definition = Ref<IResourceDef>(TAbstractObject::Create<TResourceDef>().get());
    definition->SetName(name);
    Add(definition);
    definition->SetOwner(this);
  }
  definition->SetName(name);
  definition->SetType(type);
  definition->SetFile(file);
  definition->SetTypeParams(typeParams);
  return definition;
}

Ref<IResourceDef> TResourceDefCollection::DefineImageFromFile(const std::string& nameTemplate,
                                                              const std::string& fileName) {
  std::string path = fileName;
  std::string folder = target_ ? target_->GetProgramFolder() : std::string();
  if (!folder.empty() && path.size() > folder.size() &&
      path.compare(0, folder.size(), folder) == 0) {
    path = path.substr(folder.size());
  }
  size_t slash = fileName.find_last_of("\\/");
  std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  size_t dot = base.find_last_of('.');
  std::string extension = dot == std::string::npos ? std::string() : base.substr(dot);
  if (dot != std::string::npos) base.resize(dot);
  std::string format = SameText(extension, ".png") ? "png" : "jpeg";
  return Define(ReplaceAll(nameTemplate, "%name%", base), "ImageResource", "\\format=" + format,
                path);
}
