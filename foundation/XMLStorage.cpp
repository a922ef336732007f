#include "foundation/XMLStorage.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <unordered_map>
#include <vector>

#include "foundation/Cipher.h"
#include "foundation/EngineGeneralClasses.h"
#include "foundation/GlobalOptions.h"
#include "foundation/ResourceReader.h"
#include "foundation/Routines.h"
#include "foundation/SafeFile.h"
#include "foundation/TextConvert.h"
#include "foundation/Warnings.h"

namespace {

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Names arrive in the code page; the document holds UTF-8.
std::string NameIn(std::string_view name) {
  return IsAscii(name) ? std::string(name) : AnsiToUtf8(name);
}

std::string NameOut(const std::string& name) {
  return IsAscii(name) ? name : Utf8ToAnsi(name);
}

// A value's text taken as UTF-8: malformed text is dropped rather than written into a
// document that would not read back.
std::string ValueIn(const Variant& value) {
  std::string text = value.ToString();
  switch (CheckUtf8(text)) {
    case Utf8State::Canonical:
      return text;
    case Utf8State::NeedsRewrite: {
      std::string canonical;
      return CanonicalUtf8(text, canonical) ? canonical : std::string();
    }
    case Utf8State::Malformed:
      break;
  }
  return {};
}

Variant ValueOut(std::string text) {
  return Variant::ByteString(std::move(text));
}

Ref<IXmlNode> NodeOf(const Ref<IHierStorage>& storage) {
  Ref<IXMLStorageSlave> slave = Supports<IXMLStorageSlave>(storage);
  return slave ? slave->GetNode() : nullptr;
}

std::string ReadFileThroughTree(const std::string& path, bool& found) {
  Ref<IStream> stream = OpenResourceStream(path, true);
  found = stream != nullptr;
  return ReadStreamToString(stream.get());
}

// ---- the registry of open storage files

struct OpenStorages {
  std::mutex lock;  // guards the map; never held while a file is read or parsed
  std::unordered_map<std::string, Ref<TXMLStorage>> byFile;
  // Files being opened right now, innermost last: an "_outstorage" chain that comes
  // back to one of them is cut there.
  std::vector<std::string> opening;
};

OpenStorages& Registry() {
  static OpenStorages registry;
  return registry;
}

Ref<TXMLStorage> FindOpen(const std::string& key) {
  OpenStorages& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto it = registry.byFile.find(key);
  return it == registry.byFile.end() ? nullptr : it->second;
}

void SetOpen(const std::string& key, Ref<TXMLStorage> storage) {
  OpenStorages& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.lock);
  registry.byFile[key] = std::move(storage);
}

void ForgetOpen(const std::string& key) {
  OpenStorages& registry = Registry();
  std::lock_guard<std::mutex> guard(registry.lock);
  registry.byFile.erase(key);
}

class OpeningGuard {
 public:
  explicit OpeningGuard(std::string key) { Registry().opening.push_back(std::move(key)); }
  ~OpeningGuard() { Registry().opening.pop_back(); }
  OpeningGuard(const OpeningGuard&) = delete;
  OpeningGuard& operator=(const OpeningGuard&) = delete;

  static bool IsOpening(const std::string& key) {
    const std::vector<std::string>& opening = Registry().opening;
    return std::find(opening.begin(), opening.end(), key) != opening.end();
  }
};

struct StorageSpec {
  std::string file;
  std::string key;
};

StorageSpec ParseSpec(const std::string& spec) {
  StorageSpec result;
  GetNamedValue(spec, "file", '\\', '=', result.file);
  GetNamedValue(spec, "cryptkey", '\\', '=', result.key);
  return result;
}

std::string FolderOf(const std::string& dataPath) {
  std::string normalized = NormalizeResourcePath(dataPath);
  size_t slash = normalized.rfind('\\');
  return slash == std::string::npos ? std::string() : normalized.substr(0, slash);
}

bool IsInside(const std::filesystem::path& path, const std::string& folder) {
  if (folder.empty()) return false;
  std::string inside = std::filesystem::path(folder).lexically_normal().string();
  if (inside.back() != '/') inside += '/';
  return path.string().compare(0, inside.size(), inside) == 0;
}

// Storage paths come from data, and data may come from anyone: a save goes only under
// the program folder or the preference folder, never up and out with "..". '' when the
// file may be written, else why not.
std::string SaveTargetProblem(const std::string& dataPath) {
  if (DataPathClimbsOut(dataPath)) return "the path climbs out with \"..\"";
  std::string native = NormalizeResourcePath(dataPath);
  std::replace(native.begin(), native.end(), '\\', '/');
  std::error_code error;
  std::filesystem::path target = std::filesystem::absolute(native, error).lexically_normal();
  std::filesystem::path real = std::filesystem::weakly_canonical(target, error);
  for (const std::string& folder : {ProgramFolder(), PreferenceFolder()}) {
    if (folder.empty()) continue;
    if (IsInside(target, folder)) return {};
    std::filesystem::path realFolder = std::filesystem::weakly_canonical(folder, error);
    if (!error && IsInside(real, realFolder.string())) return {};
  }
  return "outside the program and preference folders";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Attributes

std::string TXMLStorage::GetName() {
  return node_ ? NameOut(node_->GetNodeName()) : std::string();
}

int TXMLStorage::GetAttrCount() {
  return node_ ? node_->GetAttrCount() : 0;
}

std::string TXMLStorage::GetAttrName(int index) {
  if (index < 0 || index >= GetAttrCount()) return {};
  return NameOut(node_->GetAttrName(index));
}

Variant TXMLStorage::GetAttrByIndex(int index, const Variant& def) {
  if (index < 0 || index >= GetAttrCount()) return ValueOut(def.ToString());
  return ValueOut(node_->GetAttrById(node_->GetAttrNameId(index)));
}

Variant TXMLStorage::GetAttr(std::string_view name, const Variant& def) {
  if (node_) {
    std::string xmlName = NameIn(name);
    if (node_->HasAttr(xmlName)) return ValueOut(node_->GetAttr(xmlName));
  }
  if (overlay_) return overlay_->GetAttr(name, def);
  return ValueOut(def.ToString());
}

TAttrLookup TXMLStorage::FindAttr(std::string_view name, std::string& text) {
  if (node_) {
    bool found = IsAscii(name) ? node_->FindAttrText(name, text)
                               : node_->FindAttrText(AnsiToUtf8(name), text);
    if (found) return TAttrLookup::Found;
  }
  if (overlay_) return overlay_->FindAttr(name, text);
  return TAttrLookup::Absent;
}

void TXMLStorage::SetAttrByIndex(int index, const Variant& value) {
  if (index < 0 || index >= GetAttrCount()) return;
  node_->SetAttrById(node_->GetAttrNameId(index), ValueIn(value));
}

void TXMLStorage::SetAttr(std::string_view name, const Variant& value) {
  if (!node_) return;
  std::string xmlName = NameIn(name);
  if (!IsXmlName(xmlName)) return;
  node_->SetAttr(xmlName, ValueIn(value));
}

void TXMLStorage::RemoveAttr(std::string_view name) {
  if (node_) node_->RemoveAttr(NameIn(name));
}

// ---------------------------------------------------------------------------------------
// Children

Ref<IHierStorage> TXMLStorage::StorageOver(const Ref<IXmlNode>& node) {
  if (!node) return nullptr;
  Ref<TXMLStorage> storage = NewXmlStorage();
  storage->dataFile_ = dataFile_;
  storage->Attach(node, document_);
  return Ref<IHierStorage>(storage.get());
}

void TXMLStorage::DropCache() {
  cacheValid_ = false;
  cachedName_.clear();
  cachedList_.reset();
}

int TXMLStorage::CachedCount(std::string_view name) {
  if (!node_) return 0;
  if (!cacheValid_ || cachedName_ != name) {
    std::string xmlName = NameIn(name);
    cachedName_ = name;
    cacheValid_ = true;
    if (name.empty())
      cachedList_ = node_->GetChildNodes();
    else if (IsXmlName(xmlName))
      cachedList_ = node_->GetChildrenByName(xmlName);
    else
      cachedList_.reset();  // no element can have such a name
  }
  return cachedList_ ? cachedList_->Count() : 0;
}

Ref<IHierStorage> TXMLStorage::AddChild(std::string_view name) {
  if (!node_) return nullptr;
  std::string xmlName = NameIn(name);
  if (!IsXmlName(xmlName)) return nullptr;
  Ref<IXmlNode> child(node_->AppendElement(xmlName).get());
  DropCache();
  return StorageOver(child);
}

int TXMLStorage::GetChildCount(std::string_view name) {
  int count = CachedCount(name);
  if (count == 0 && overlay_) return overlay_->GetChildCount(name);
  return count;
}

Ref<IHierStorage> TXMLStorage::GetChild(std::string_view name, int index) {
  int count = CachedCount(name);
  if (index >= 0 && index < count) return StorageOver(cachedList_->Item(index));
  if (overlay_) return overlay_->GetChild(name, index);
  return nullptr;
}

Ref<IHierStorage> TXMLStorage::GetChildByName(std::string_view name) {
  if (!node_) return nullptr;
  return StorageOver(node_->FindElement(NameIn(name)));
}

// ---------------------------------------------------------------------------------------
// Texts and contents

Variant TXMLStorage::GetText() {
  return ValueOut(node_ ? node_->GetText() : std::string());
}

void TXMLStorage::SetText(const Variant& value) {
  if (!node_) return;
  node_->SetText(ValueIn(value));
  DropCache();
}

Variant TXMLStorage::GetChildText(std::string_view name) {
  Ref<IHierStorage> child = GetChild(name, 0);
  return child ? child->GetText() : Variant();
}

void TXMLStorage::SetChildText(std::string_view name, const Variant& value) {
  Ref<IHierStorage> child = GetChild(name, 0);
  if (!child) child = AddChild(name);
  if (child) child->SetText(value);
}

bool TXMLStorage::AppendStorage(const Ref<IHierStorage>& other) {
  Ref<IXmlNode> otherNode = NodeOf(other);
  if (!node_ || !otherNode) return false;
  node_->AppendChild(otherNode->CloneNode(true));
  DropCache();
  return true;
}

void TXMLStorage::RemoveChild(const Ref<IHierStorage>& child) {
  Ref<IXmlNode> childNode = NodeOf(child);
  if (!node_ || !childNode) return;
  node_->RemoveChild(childNode);
  DropCache();
}

Variant TXMLStorage::GetXml() {
  return Variant(node_ ? node_->GetXml() : std::string());
}

Variant TXMLStorage::GetContent() {
  if (!node_) return ValueOut({});
  Ref<IXmlNodeList> children = node_->GetChildNodes();
  int count = children ? children->Count() : 0;
  if (count == 0 || (count == 1 && children->Item(0)->GetNodeType() == NODE_TEXT))
    return ValueOut(node_->GetText());
  return ValueOut(children->GetXml());
}

void TXMLStorage::SetContent(const Variant& value) {
  if (!node_) return;
  std::string text = ValueIn(value);
  Ref<IXmlNode> root;
  try {
    Ref<IXmlDocument> parsed = LoadXmlFromBuffer(text.data(), text.size());
    if (parsed) root = Ref<IXmlNode>(parsed->GetDocumentElement().get());
  } catch (const std::exception&) {
    root.reset();  // not XML: it is plain text
  }
  if (root) {
    node_->AppendChild(root->CloneNode(true));
    DropCache();
  } else {
    SetText(Variant(text));
  }
}

Variant TXMLStorage::GetChildContent(std::string_view name) {
  Ref<IHierStorage> child = GetChild(name, 0);
  return child ? child->GetContent() : Variant();
}

void TXMLStorage::SetChildContent(std::string_view name, const Variant& value) {
  Ref<IHierStorage> child = GetChild(name, 0);
  if (!child) child = AddChild(name);
  if (child) child->SetContent(value);
}

namespace {

// The first of the nodes named Segment, or carrying it as "name", without case.
Ref<IXmlNode> FindCandidate(const Ref<IXmlNode>& parent, const std::string& segment) {
  if (!parent) return nullptr;
  Ref<IXmlNodeList> children = parent->GetChildNodes();
  int count = children ? children->Count() : 0;
  for (int i = 0; i < count; ++i) {
    Ref<IXmlNode> child = children->Item(i);
    if (SameText(child->GetNodeName(), segment) || SameText(child->GetAttr("name"), segment))
      return child;
  }
  return nullptr;
}

}  // namespace

Ref<IHierStorage> TXMLStorage::FindPath(std::string_view path, std::string_view container) {
  if (path.empty()) return Ref<IHierStorage>(this);
  Ref<IXmlNode> node = node_;
  std::string containerName = NameIn(container);
  size_t start = 0;
  while (node && start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    std::string segment = NameIn(path.substr(start, slash - start));
    start = slash + 1;
    Ref<IXmlNode> next;
    if (!containerName.empty()) next = FindCandidate(node->FindElement(containerName), segment);
    if (!next) next = FindCandidate(node, segment);
    node = next;
  }
  return StorageOver(node);
}

// ---------------------------------------------------------------------------------------
// Attaching

void TXMLStorage::Attach(const Ref<IXmlNode>& node, const Ref<IXmlDocument>& document) {
  Ref<IXmlNode> newNode = node;  // the arguments may be our own fields
  Ref<IXmlDocument> newDocument = document;
  Detach();
  document_ = std::move(newDocument);
  node_ = std::move(newNode);
  if (!node_) return;
  overlaySpec_ = node_->GetAttr("_outstorage");
  if (overlaySpec_.empty()) return;
  Ref<IHierStorageRoot> opened = OpenXmlStorage(overlaySpec_);
  Ref<TXMLStorage> overlay(InterfaceCast<TXMLStorage>(opened.get()));
  std::string what = "\"_outstorage\" \"" + overlaySpec_ + "\"";
  if (!overlay) {
    Warn(dataFile_, what + " names no file, or one whose chain leads back to itself; not read");
    return;
  }
  if (!overlay->node_) Warn(dataFile_, what + ": no such file, or one without a root element");
  // An overlay whose chain leads back here would make every read go round for ever.
  for (TXMLStorage* link = overlay.get(); link; link = link->overlay_.get()) {
    if (link == this) {
      Warn(dataFile_, what + ": its chain leads back to itself; not read");
      return;
    }
  }
  overlay_ = overlay;
}

void TXMLStorage::Detach() {
  DropCache();
  document_.reset();
  node_.reset();
  overlaySpec_.clear();
  overlay_.reset();  // shared with other holders: only our reference goes
}

void TXMLStorage::AttachToRoot(const Ref<IXmlDocument>& document) {
  Ref<IXmlNode> root(document ? document->GetDocumentElement().get() : nullptr);
  Attach(root, document);
}

// ---------------------------------------------------------------------------------------
// Whole documents

bool TXMLStorage::CreateRoot(std::string_view name) {
  try {
    std::string xmlName = NameIn(name);
    if (!IsXmlName(xmlName)) return false;
    Detach();
    AttachToRoot(CreateXmlDocument(xmlName));
    return node_ != nullptr;
  } catch (const std::exception&) {
    return false;
  }
}

bool TXMLStorage::LoadFromFile(const std::string& path) {
  try {
    bool found = false;
    std::string bytes = ReadFileThroughTree(path, found);
    if (!found) return false;
    Ref<IXmlDocument> document = LoadXmlFromBuffer(bytes.data(), bytes.size());
    if (!document) return false;
    dataFile_ = path;
    AttachToRoot(document);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TXMLStorage::LoadFromText(std::string_view text) {
  try {
    Ref<IXmlDocument> document = LoadXmlFromBuffer(text.data(), text.size());
    if (!document) return false;
    AttachToRoot(document);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TXMLStorage::LoadObject(IPersistObject* object) {
  if (object) object->LoadFromStorage(Ref<IHierStorage>(this));
  return true;
}

bool TXMLStorage::SaveObject(IPersistObject* object) {
  if (object) object->SaveToStorage(Ref<IHierStorage>(this));
  return true;
}

bool TXMLStorage::SaveToFile(const std::string& path, bool binaryXml) {
  if (!document_) return false;
  std::string bytes;
  if (binaryXml) {
    std::ostringstream out;
    document_->SaveBinaryToStream(out, 0);
    bytes = out.str();
  } else {
    bytes = document_->GetXml();
  }
  std::string native = NativePathForWriting(path);
  return !native.empty() && WriteFileSafely(native, bytes);
}

std::string TXMLStorage::GetXmlText() {
  return document_ ? document_->GetXml() : std::string();
}

// ---------------------------------------------------------------------------------------
// Free functions

Ref<TXMLStorage> NewXmlStorage() {
  return Ref<TXMLStorage>(new TXMLStorage());
}

Ref<IHierStorageRoot> CreateXmlStorage(std::string_view rootName) {
  Ref<TXMLStorage> storage = NewXmlStorage();
  if (!storage->CreateRoot(rootName)) return nullptr;
  return Ref<IHierStorageRoot>(storage.get());
}

Ref<IHierStorageRoot> LoadXmlStorageFromFile(const std::string& path) {
  bool found = false;
  std::string bytes = ReadFileThroughTree(path, found);
  if (!found) return nullptr;
  return LoadXmlStorageFromText(bytes, path);
}

Ref<IHierStorageRoot> LoadXmlStorageFromText(std::string_view text, std::string_view dataFile) {
  Ref<TXMLStorage> storage = NewXmlStorage();
  storage->SetDataFile(std::string(dataFile));
  Ref<IXmlDocument> document = LoadXmlFromBuffer(text.data(), text.size());
  storage->Attach(Ref<IXmlNode>(document->GetDocumentElement().get()), document);
  if (!storage->GetNode() && !dataFile.empty()) {
    if (std::string problem = XmlTextProblem(text); !problem.empty())
      Warn(dataFile, "does not parse (" + problem + "); nothing of it is read");
  }
  return Ref<IHierStorageRoot>(storage.get());
}

std::string StorageDataFile(const Ref<IHierStorage>& storage) {
  auto* xml = InterfaceCast<TXMLStorage>(storage.get());
  return xml ? xml->DataFile() : std::string();
}

std::string XmlTextProblem(std::string_view text) {
  if (text.substr(0, kBinaryXmlMagic.size()) == kBinaryXmlMagic) return {};
  text = text.substr(0, text.find('\0'));
  return CheckUtf8(text) == Utf8State::Malformed ? "Malformed UTF-8 text" : "";
}

std::string XmlStorageRegistryKey(const std::string& file) {
  std::string path = NormalizeResourcePath(file);
  std::string key;
  key.reserve(path.size());
  for (char c : path) {
    if (c == '\\' && !key.empty() && key.back() == '\\') continue;
    key += UpCaseAscii(c);
  }
  while (key.size() >= 2 && key[0] == '.' && key[1] == '\\') key.erase(0, 2);
  return key;
}

Ref<IHierStorageRoot> OpenXmlStorage(const std::string& spec) {
  StorageSpec parsed = ParseSpec(spec);
  if (parsed.file.empty()) return nullptr;
  std::string key = XmlStorageRegistryKey(parsed.file);
  if (Ref<TXMLStorage> open = FindOpen(key)) return Ref<IHierStorageRoot>(open.get());
  if (OpeningGuard::IsOpening(key)) return nullptr;

  OpeningGuard guard(key);
  std::string text = LoadResourceToString(parsed.file);
  if (!parsed.key.empty())
    text = TCipher_Xtea(parsed.key).CodeString(text, kCipherDecipher, kFormatHex);
  Ref<IHierStorageRoot> storage = LoadXmlStorageFromText(text, parsed.file);
  SetOpen(key, Ref<TXMLStorage>(static_cast<TXMLStorage*>(storage.get())));
  return storage;
}

bool SaveXmlStorage(const Ref<IHierStorage>& storage, const std::string& spec) {
  Ref<TXMLStorage> saved(InterfaceCast<TXMLStorage>(storage.get()));
  StorageSpec parsed = ParseSpec(spec);
  if (!saved || !saved->Document() || parsed.file.empty()) return false;

  if (std::string problem = SaveTargetProblem(parsed.file); !problem.empty()) {
    Warn(parsed.file, "storage not saved: " + problem);
    return false;
  }
  std::string text = saved->GetXmlText();
  if (!parsed.key.empty())
    text = TCipher_Xtea(parsed.key).CodeString(text, kCipherEncipher, kFormatHex);
  std::string folder = FolderOf(parsed.file);
  if (!folder.empty()) ForceDirectoryPath(folder);
  std::string native = NativePathForWriting(parsed.file);
  if (native.empty() || !WriteFileSafely(native, text)) return false;

  // From now on the file is what this storage holds; a storage over a child element is
  // not the file's root, so the root gets a storage of its own.
  std::string key = XmlStorageRegistryKey(parsed.file);
  Ref<IXmlNode> root(saved->Document()->GetDocumentElement().get());
  if (saved->GetNode() == root) {
    SetOpen(key, saved);
    return true;
  }
  try {
    Ref<TXMLStorage> rootStorage = NewXmlStorage();
    rootStorage->Attach(root, saved->Document());
    SetOpen(key, rootStorage);
  } catch (const std::exception&) {
    ForgetOpen(key);  // read afresh from the file on the next open
  }
  return true;
}

void ClearXmlStorageRegistry() {
  // Released outside the lock: a storage that goes may release others.
  std::unordered_map<std::string, Ref<TXMLStorage>> released;
  {
    OpenStorages& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    released.swap(registry.byFile);
  }
}

bool DataPathClimbsOut(const std::string& path) {
  std::string normalized = NormalizeResourcePath(path);
  for (size_t start = 0; start <= normalized.size();) {
    size_t end = std::min(normalized.find('\\', start), normalized.size());
    if (normalized.compare(start, end - start, "..") == 0) return true;
    start = end + 1;
  }
  return false;
}

bool ForceDirectoryPath(const std::string& path) {
  if (path.empty()) throw Exception("");
  std::string folder = NormalizeResourcePath(path);
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  if (folder.size() < 3 || IsDirectory(folder)) return true;
  size_t slash = folder.rfind('\\');
  if (slash != std::string::npos && slash > 0) {
    std::string parent = folder.substr(0, slash);
    if (parent != folder && !ForceDirectoryPath(parent)) return false;
  }
  std::string native = NativePathForWriting(folder);
  if (native.empty()) return IsDirectory(folder);
  return mkdir(native.c_str(), 0777) == 0 || IsDirectory(folder);
}
