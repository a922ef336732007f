#include "gameplay/Tv2DataFiles.h"

#include <utility>

#include "foundation/Exceptions.h"
#include "foundation/ResourceReader.h"
#include "foundation/Streams.h"
#include "foundation/Warnings.h"

namespace {

bool HasRoot(const Ref<IHierStorageRoot>& storage) {
  return storage && !Ref<IHierStorage>(storage.get())->GetName().empty();
}

}  // namespace

Ref<IHierStorageRoot> ParseDataText(std::string_view text, std::string& problem,
                                    std::string_view dataFile) {
  problem.clear();
  try {
    // Text that is no UTF-8 is told by the caller, once.
    if (!XmlTextProblem(text).empty()) dataFile = {};
    Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(text, dataFile);
    if (HasRoot(storage)) return storage;
    problem = XmlTextProblem(text);
    if (problem.empty()) problem = "no XML element";
  } catch (const Exception& e) {
    problem = e.Message();
  }
  return nullptr;
}

Ref<IHierStorageRoot> LoadDataDocument(const std::string& path, bool warnMissing) {
  Ref<IStream> stream;
  std::string bytes;
  try {
    stream = OpenResourceStream(path, true);
    if (stream) bytes = ReadStreamToString(stream.get());
  } catch (const Exception& e) {
    Warn(path, "not read (" + e.Message() + ")");
    return nullptr;
  }
  if (!stream) {
    if (warnMissing) Warn(path, "no such file");
    return nullptr;
  }
  std::string problem;
  Ref<IHierStorageRoot> storage = ParseDataText(bytes, problem, path);
  if (!storage) Warn(path, "not read (" + problem + ")");
  return storage;
}

void WriteProgramFolderDocument(IEngine* engine, IPersistObject* object, const std::string& root,
                                const std::string& fileName) {
  if (!engine || !object) return;
  Ref<IHierStorageRoot> storage = CreateXmlStorage(root);
  if (!storage) return;
  storage->SaveObject(object);
  std::string text = storage->GetXmlText();
  if (!text.empty() && !engine->WriteProgramFolderFile(text, fileName)) Warn(fileName, "not saved");
}

void SaveChildList(const Ref<IHierStorage>& node, const Ref<IInterface>& list,
                   const std::string& element, const std::string& itemElement) {
  Ref<ICollection> collection = Supports<ICollection>(list);
  if (!node || !collection || collection->Count() == 0) return;
  Ref<IHierStorage> child = node->AddChild(element);
  if (!child) return;
  SaveObject(list, child);
  if (!itemElement.empty() && child->GetChildCount(itemElement) == 0) node->RemoveChild(child);
}

bool LoadDataGuarded(const std::string& file, const std::function<void()>& load) {
  TWarningFileScope scope(file);
  try {
    load();
    return true;
  } catch (const Exception& e) {
    Warn(file, "the rest not read (" + e.Message() + ")");
    return false;
  }
}

void WarnDataFile(std::string_view what) {
  Warn({}, what);
}

// ---------------------------------------------------------------------------------------

bool TNamedRecordCollection::AddNamed(const Ref<IInterface>& item, const std::string& name) {
  return item && !items_->Contains(name) && items_->Add(item, name);
}

Ref<IInterface> TNamedRecordCollection::CreateItem(const Ref<IHierStorage>&) {
  return Ref<IInterface>(NewRecord().get());
}

void TNamedRecordCollection::ItemLoaded(const Ref<IInterface>& item) {
  Ref<INamedObject> named = Supports<INamedObject>(item);
  if (named && !AddNamed(item, named->GetName()))
    WarnDataFile("\"" + itemElementName_ + "\" \"" + named->GetName() +
                 "\" dropped: the name is taken");
}
