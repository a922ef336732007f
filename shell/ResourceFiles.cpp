#include "shell/ResourceFiles.h"

namespace {

const char* const kLoadModes = "synch/asynch";

}  // namespace

void TResourceFile::Init() {
  TPersistObject::Init();
  elementName_ = "resourcefile";
}

void TResourceFile::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  fileName_ = ReadXmlStr(node, "filename");
  SetLoadMode(uint8_t(ReadXmlEnum(node, "loadmode", kLoadModes, lmAsynch)));
}

void TResourceFile::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  WriteXmlStr(node, "filename", fileName_, true);
  WriteXmlEnum(node, "loadmode", kLoadModes, true, loadMode_);
}

void TResourceFileCollection::Init() {
  TStaticCreationPersistItemCollection::Init();
  elementName_ = "resourcefiles";
  itemElementName_ = "resourcefile";
  SetItemClass(ClassOf<TResourceFile>());
}

Ref<IResourceFile> TResourceFileCollection::GetItem(const Variant& address) {
  return items_->GetAs<IResourceFile>(address);
}

void TResourceFileCollection::AddItem(const Ref<IResourceFile>& file) {
  if (file) items_->Add(Ref<IInterface>(file.get()), file->GetName());
}

void TResourceFileCollection::ItemLoaded(const Ref<IInterface>& item) {
  AddItem(Supports<IResourceFile>(item));
}
