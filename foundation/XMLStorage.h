#pragma once
// Hierarchical storage over the XML document model, the storage files (plain or
// enciphered) and the registry of open storage files.
//
// A storage spec names a storage file as a parameter string: "file=PATH" and, for an
// enciphered file, "cryptkey=KEY". A path with "\" separators must stand in braces
// ("file={data\ini\x.xml}\cryptkey=k") or use "/" ("file=data/ini/x.xml").
//
// An element whose "_outstorage" attribute holds a storage spec leans on that storage
// file (the overlay): attributes and children the element lacks are read from the
// file's root element. Storage files are read once and shared while they are open.

#include <string>
#include <string_view>

#include "foundation/PersistenceService.h"
#include "foundation/SimpleXML.h"

// A storage tied to one node of a document.
class IXMLStorageSlave : public virtual IHierStorage {
 public:
  // Wraps the node (of Document) and opens its "_outstorage" overlay. A syntax error of
  // the overlay file raises EXmlError.
  virtual void Attach(const Ref<IXmlNode>& node, const Ref<IXmlDocument>& document) = 0;
  // Lets go of node, document and overlay; the overlay itself is left as it is for its
  // other holders.
  virtual void Detach() = 0;
  virtual Ref<IXmlNode> GetNode() = 0;
};

class TXMLStorage : public TInterfacedObject, public IXMLStorageSlave, public IHierStorageRoot {
 public:
  // IHierStorage
  std::string GetName() override;
  int GetAttrCount() override;
  std::string GetAttrName(int index) override;
  Variant GetAttrByIndex(int index, const Variant& def = {}) override;
  Variant GetAttr(std::string_view name, const Variant& def = {}) override;
  TAttrLookup FindAttr(std::string_view name, std::string& text) override;
  void SetAttrByIndex(int index, const Variant& value) override;
  void SetAttr(std::string_view name, const Variant& value) override;
  void RemoveAttr(std::string_view name) override;
  Ref<IHierStorage> AddChild(std::string_view name) override;
  int GetChildCount(std::string_view name) override;
  Ref<IHierStorage> GetChild(std::string_view name, int index) override;
  Ref<IHierStorage> GetChildByName(std::string_view name) override;
  Variant GetText() override;
  void SetText(const Variant& value) override;
  Variant GetChildText(std::string_view name) override;
  void SetChildText(std::string_view name, const Variant& value) override;
  bool AppendStorage(const Ref<IHierStorage>& other) override;
  void RemoveChild(const Ref<IHierStorage>& child) override;
  Variant GetXml() override;
  Variant GetContent() override;
  void SetContent(const Variant& value) override;
  Variant GetChildContent(std::string_view name) override;
  void SetChildContent(std::string_view name, const Variant& value) override;
  Ref<IHierStorage> FindPath(std::string_view path, std::string_view container = {}) override;

  // IXMLStorageSlave
  void Attach(const Ref<IXmlNode>& node, const Ref<IXmlDocument>& document) override;
  void Detach() override;
  Ref<IXmlNode> GetNode() override { return node_; }

  // IHierStorageRoot
  bool CreateRoot(std::string_view name) override;
  bool LoadFromFile(const std::string& path) override;
  bool LoadFromText(std::string_view text) override;
  bool LoadObject(IPersistObject* object) override;
  bool SaveObject(IPersistObject* object) override;
  bool SaveToFile(const std::string& path, bool binaryXml = false) override;
  std::string GetXmlText() override;

  const Ref<IXmlDocument>& Document() const { return document_; }
  // The data path of the file this storage was read from, as its reader was given it
  // ('' for a storage made in memory); storages of its elements inherit it.
  const std::string& DataFile() const { return dataFile_; }
  void SetDataFile(std::string path) { dataFile_ = std::move(path); }
  // The storage of this element's "_outstorage" file, or nothing.
  TXMLStorage* Overlay() const { return overlay_.get(); }
  const std::string& OverlaySpec() const { return overlaySpec_; }

 private:
  // The cached children of Name (0 without a node).
  int CachedCount(std::string_view name);
  void DropCache();
  Ref<IHierStorage> StorageOver(const Ref<IXmlNode>& node);
  // Attaches to the document's root element (none when it has none).
  void AttachToRoot(const Ref<IXmlDocument>& document);

  Ref<IXmlDocument> document_;
  Ref<IXmlNode> node_;
  std::string cachedName_;
  Ref<IXmlNodeList> cachedList_;
  bool cacheValid_ = false;
  std::string overlaySpec_;
  Ref<TXMLStorage> overlay_;
  std::string dataFile_;
};

// A storage with no document and no node.
Ref<TXMLStorage> NewXmlStorage();
// A new document with one empty root element; none when that fails.
Ref<IHierStorageRoot> CreateXmlStorage(std::string_view rootName);
// The file read through the resource file tree; none when it cannot be read. A syntax
// error raises EXmlError.
Ref<IHierStorageRoot> LoadXmlStorageFromFile(const std::string& path);
// XML text (or the binary-xml form); a syntax error raises EXmlError. DataFile names the
// file the text came from, for the warnings about what its elements hold; with it, text
// the reader turns into a document without a root element for a reason it knows
// (XmlTextProblem) is said on the warning channel too.
Ref<IHierStorageRoot> LoadXmlStorageFromText(std::string_view text,
                                             std::string_view dataFile = {});
// The data path of the file a storage was read from; '' when it was not read from one.
std::string StorageDataFile(const Ref<IHierStorage>& storage);
// Why text gave a document without a root element, where the reader knows but does not
// raise: "Malformed UTF-8 text" for text that is not UTF-8. '' otherwise.
std::string XmlTextProblem(std::string_view text);

// The storage of the file a storage spec names, shared with every other caller while the file stays
// in the registry. A missing file gives a storage without a node; an empty "file"
// gives none, and so does a file that is already being opened further up (an
// "_outstorage" chain that comes back to itself). A syntax error raises EXmlError.
Ref<IHierStorageRoot> OpenXmlStorage(const std::string& spec);
// Writes the storage's whole document to the file its storage spec names (enciphered when it
// names a key), making the file's folder first, and makes the saved storage the one
// OpenXmlStorage gives for that file from now on. False when nothing was written.
bool SaveXmlStorage(const Ref<IHierStorage>& storage, const std::string& spec);
// Forgets every open storage file; the next OpenXmlStorage reads the file again.
// Storages already handed out stay valid for their holders.
void ClearXmlStorageRegistry();
// Whether a data path ("\" or "/" separators) has a ".." segment: paths in data that
// name where to write or what to run may not climb out of their folders.
bool DataPathClimbsOut(const std::string& path);
// Makes a folder (a data path) and its missing parents. An empty path raises
// Exception(""); true when the folder exists afterwards.
bool ForceDirectoryPath(const std::string& path);

// The registry's key for a file path: separators, "%apppath%" and letter case do not
// make two entries of one file.
std::string XmlStorageRegistryKey(const std::string& file);
