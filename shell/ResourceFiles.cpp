#include "shell/ResourceFiles.h"

namespace {

const char* const kLoadModes = "synch/asynch";

}  // namespace

void TResourceFile::Init() {
  TPersistObject::Init();
  elementName_ = "resourcefile";
}

const TPropertyTable& TResourceFile::Properties() {
  using F = TResourceFile;
  static const TPropertyTable table(
      TPersistObject::Properties(),
      {
          Attr("filename", &F::fileName_).Str().Always(),
          Attr("loadmode", &F::GetLoadMode, &F::SetLoadMode).Enum(kLoadModes, lmAsynch).Always(),
      });
  return table;
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
  if (file) items_->Add(file, file->GetName());
}

void TResourceFileCollection::ItemLoaded(const Ref<IInterface>& item) {
  AddItem(Supports<IResourceFile>(item));
}
