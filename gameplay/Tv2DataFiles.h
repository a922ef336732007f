#pragma once
// Reading the gameplay's plain XML documents (the scene list and the scenes, the
// participants, the categories, the scenario of a new story) and the progress text of a
// profile. What cannot be read gives no document and one warning naming the file, so a
// loader goes on with its defaults; what a loader drops from a document it read is warned
// about under the same file name.

#include <functional>
#include <string>
#include <string_view>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"
#include "foundation/XMLStorage.h"

// The document at Path (through the resource file tree); nothing when the file is missing,
// is not XML or has no root element, with a warning saying which (a missing file is not
// warned about without WarnMissing).
Ref<IHierStorageRoot> LoadDataDocument(const std::string& path, bool warnMissing = true);

// The document of XML text; nothing when it does not parse or has no root element, with
// the reason in Problem. Its elements name DataFile in their warnings.
Ref<IHierStorageRoot> ParseDataText(std::string_view text, std::string& problem,
                                    std::string_view dataFile = {});

// Writes Object as a plain document with Root under the program folder as FileName;
// nothing without an engine, a warning when it cannot be written.
void WriteProgramFolderDocument(IEngine* engine, IPersistObject* object, const std::string& root,
                                const std::string& fileName);

// Runs Load over a document that may lean on further files ("_outstorage"): a document
// error raised by one of them is warned about under File and ends the load; false then.
// Warnings that name no file meanwhile name File.
bool LoadDataGuarded(const std::string& file, const std::function<void()>& load);

// A list of class T read from the document at Path, as I; nothing (with a warning) when
// the document cannot be read.
template <class T, class I>
Ref<I> LoadDataList(const std::string& path) {
  Ref<IHierStorageRoot> storage = LoadDataDocument(path);
  if (!storage) return nullptr;
  Ref<T> list = TAbstractObject::Create<T>();
  LoadDataGuarded(path, [&] { storage->LoadObject(list.get()); });
  return Ref<I>(list.get());
}

// Saves List into a new child Element of Node when it holds items; with ItemElement, the
// child goes again when no item wrote one (records that write nothing).
void SaveChildList(const Ref<IHierStorage>& node, const Ref<IInterface>& list,
                   const std::string& element, const std::string& itemElement = {});

// Warns about What under the file being read (LoadDataGuarded's, see TWarningFileScope).
void WarnDataFile(std::string_view what);

// A list of records keyed by their names (any case), in document order: a record whose
// name is taken is dropped with a warning.
class TNamedRecordCollection : public TPersistItemCollection {
 public:
  // Stores the item under Name; false when the name is taken.
  bool AddNamed(const Ref<IInterface>& item, const std::string& name);

 protected:
  Ref<IInterface> CreateItem(const Ref<IHierStorage>& child) override;
  void ItemLoaded(const Ref<IInterface>& item) override;
  // A new, empty record of the list's kind.
  virtual Ref<TPersistObject> NewRecord() = 0;
};
