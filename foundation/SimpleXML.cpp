// The node tree: name table, node list, node kinds, children and paths.
#include "foundation/SimpleXML.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <unordered_set>

#include "foundation/Routines.h"
#include "foundation/SimpleXMLPrivate.h"
#include "foundation/TextConvert.h"

bool DefaultPreserveWhiteSpace = false;

void RaiseXml(const std::string& message) {
  throw EXmlError(message);
}

void RaiseXmlTooDeep() {
  RaiseXml("Elements are nested deeper than " + std::to_string(kXmlMaxDepth) + " levels");
}

bool IsNameStartCodePoint(uint32_t cp) {
  if (cp < 0x80) return (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') || cp == '_';
  if (cp < 0xC0) return cp == 0xAA || cp == 0xB5 || cp == 0xBA;
  return cp != 0xD7 && cp != 0xF7;
}

bool IsNameCodePoint(uint32_t cp) {
  if (cp < 0x80)
    return (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') || (cp >= '0' && cp <= '9') ||
           cp == '-' || cp == '.' || cp == ':' || cp == '_';
  return IsNameStartCodePoint(cp);
}

bool IsXmlName(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  bool first = true;
  while (p < end) {
    uint32_t cp;
    int n = DecodeUtf8(p, end, cp);
    if (n == 0) return false;
    if (first ? !IsNameStartCodePoint(cp) : !IsNameCodePoint(cp)) return false;
    first = false;
    p += n;
  }
  return !first;
}

// ---------------------------------------------------------------------------------------
// Name table

namespace {

bool SameName(const std::string& stored, std::string_view name) {
  if (stored.size() != name.size()) return false;
  const char* a = stored.data();
  const char* b = name.data();
  size_t n = name.size();
  for (; n >= 8; n -= 8, a += 8, b += 8) {
    uint64_t x, y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    if (x != y) return false;
  }
  for (; n > 0; --n)
    if (*a++ != *b++) return false;
  return true;
}

uint64_t HashSeed() {
  static const uint64_t seed = [] {
    std::random_device device;
    return (uint64_t(device()) << 32) ^ device() ^ 0x9E3779B97F4A7C15ull;
  }();
  return seed;
}

}  // namespace

TXmlNameTable::TXmlNameTable(int bucketCount, bool withCachedNames)
    : slots_(16, -1),
      seed_(HashSeed()),
      bucketCount_(std::max(bucketCount, 1)),
      cached_{0, 1, 2, 3, 4} {
  if (withCachedNames) RefreshCachedIds();
}

uint32_t TXmlNameTable::Hash(std::string_view name) {
  uint32_t hash = 0;
  const char* p = name.data();
  const char* end = p + name.size();
  while (p < end) {
    uint8_t byte = static_cast<uint8_t>(*p);
    if (byte < 0x80) {
      hash = hash * 33 + byte;
      ++p;
      continue;
    }
    uint32_t cp;
    int n = DecodeUtf8(p, end, cp);
    if (n == 0) {
      cp = 0xFFFD;
      n = 1;
    }
    if (cp >= 0x10000) {
      hash = hash * 33 + (0xD800 + ((cp - 0x10000) >> 10));
      cp = 0xDC00 + ((cp - 0x10000) & 0x3FF);
    }
    hash = hash * 33 + cp;
    p += n;
  }
  return hash;
}

// Multiplicative mixing with a seed chosen when the program starts: names in a file
// cannot be picked to collide.
uint64_t TXmlNameTable::IndexHash(std::string_view name) const {
  const uint64_t kMul = 0x9E3779B97F4A7C15ull;
  const auto* p = reinterpret_cast<const uint8_t*>(name.data());
  size_t n = name.size();
  uint64_t hash = seed_ ^ (n * kMul);
  for (; n > 8; n -= 8, p += 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    hash = (hash ^ word) * kMul;
    hash ^= hash >> 29;
  }
  // The last one to eight bytes, read without a byte loop (reads may overlap).
  uint64_t tail;
  if (n >= 4) {
    uint32_t first, last;
    std::memcpy(&first, p, 4);
    std::memcpy(&last, p + n - 4, 4);
    tail = first | uint64_t(last) << 32;
  } else {
    tail = n == 0 ? 0 : uint64_t(p[0]) | uint64_t(p[n / 2]) << 8 | uint64_t(p[n - 1]) << 16;
  }
  hash = (hash ^ tail) * kMul;
  hash ^= hash >> 32;
  hash *= 0xD6E8FEB86659FD93ull;
  return hash ^ (hash >> 32);
}

int32_t TXmlNameTable::Find(std::string_view name, uint64_t hash) const {
  size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    int32_t id = slots_[i];
    if (id < 0) return -1;
    if (hashes_[id] == hash && SameName(names_[id], name)) return id;
  }
}

void TXmlNameTable::Reindex(size_t slots) {
  std::vector<int32_t> old = std::move(slots_);
  slots_.assign(slots, -1);
  size_t mask = slots_.size() - 1;
  for (int32_t other : old) {
    if (other < 0) continue;
    size_t i = hashes_[other] & mask;
    while (slots_[i] >= 0) i = (i + 1) & mask;
    slots_[i] = other;
  }
}

void TXmlNameTable::Index(int32_t id, uint64_t hash) {
  // Grow to keep the index at most half full.
  if ((indexed_ + 1) * 2 > slots_.size()) Reindex(slots_.size() * 2);
  size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i] >= 0) i = (i + 1) & mask;
  slots_[i] = id;
  ++indexed_;
}

int32_t TXmlNameTable::FindID(std::string_view name) const {
  if (name.empty()) return -1;
  return Find(name, IndexHash(name));
}

int32_t TXmlNameTable::GetID(std::string_view name) {
  if (name.empty()) return -1;
  uint64_t hash = IndexHash(name);
  int32_t id = Find(name, hash);
  if (id >= 0) return id;
  id = int32_t(names_.size());
  names_.emplace_back(name);
  hashes_.push_back(hash);
  Index(id, hash);
  return id;
}

const std::string& TXmlNameTable::Name(int32_t id) const {
  static const std::string kEmpty;
  if (id < 0 || id >= int32_t(names_.size())) return kEmpty;
  return names_[id];
}

bool TXmlNameTable::GrowFollowers(size_t at) {
  if (at >= kFollowedNames) return false;
  size_t ids = std::min(std::max({at + 1, followerIds_ * 2, size_t(64)}), kFollowedNames);
  auto grown = std::make_unique<KnownName[]>(ids * kFollowers);
  std::copy(followers_.get(), followers_.get() + followerIds_ * kFollowers, grown.get());
  followers_ = std::move(grown);
  followerIds_ = ids;
  return true;
}

void TXmlNameTable::Reserve(size_t count) {
  names_.reserve(count);
  hashes_.reserve(count);
  // The index stays at most half full without growing on the way.
  size_t slots = slots_.size();
  while (slots < 2 * (count + 1)) slots *= 2;
  if (slots > slots_.size()) Reindex(slots);
}

int32_t TXmlNameTable::AppendName(std::string_view name) {
  int32_t id = int32_t(names_.size());
  bool empty = name.empty();
  uint64_t hash = empty ? 0 : IndexHash(name);
  // The empty name is never looked up (its id is -1); a repeated name is found at its
  // first id.
  int32_t first = empty ? -1 : Find(name, hash);
  hashes_.push_back(hash);
  names_.emplace_back(name);
  if (empty || first >= 0) return first;
  Index(id, hash);
  return id;
}

void TXmlNameTable::RefreshCachedIds() {
  static const char* const kCached[5] = {"#text", "#cdata-section", "#comment", "#document", "xml"};
  // Tables the system writes begin with them, in this order: no lookup needed then.
  bool inPlace = names_.size() >= 5;
  for (int i = 0; i < 5 && inPlace; ++i) inPlace = names_[size_t(i)] == kCached[i];
  for (int i = 0; i < 5; ++i) cached_[i] = inPlace ? i : GetID(kCached[i]);
}

TXmlNameTable* SharedXmlNameTable() {
  static Ref<TXmlNameTable> shared(new TXmlNameTable(4096));
  return shared.get();
}

// ---------------------------------------------------------------------------------------
// Node list

int TXmlNodeList::AddRef() {
  return owner_ ? owner_->AddRef() : TXmlBase::AddRef();
}
int TXmlNodeList::Release() {
  return owner_ ? owner_->Release() : TXmlBase::Release();
}

TXmlArray<Ref<TXmlNode>>& TXmlNodeList::Items() {
  return owner_ ? owner_->children_ : items_;
}

Ref<IXmlNode> TXmlNodeList::Item(int index) {
  TXmlArray<Ref<TXmlNode>>& items = Items();
  if (index < 0 || index >= int(items.size())) RaiseXml("List index out of bounds");
  return Ref<IXmlNode>(items[index].get());
}

std::string TXmlNodeList::GetXml() {
  std::string out;
  for (const Ref<TXmlNode>& node : Items()) node->WriteXml(out, 0);
  return out;
}

// ---------------------------------------------------------------------------------------
// Node base: children

namespace {

TXmlNode* NodeOf(const Ref<IXmlNode>& node) {
  return node ? static_cast<TXmlNode*>(node->GetObject()) : nullptr;
}

// Whether `target` lies in the subtree under `root` (root included). A node may sit in
// two lists at once, so this walks children rather than trusting parent links.
bool SubtreeContains(TXmlNode* root, TXmlNode* target) {
  std::vector<TXmlNode*> pending{root};
  std::unordered_set<TXmlNode*> seen;
  while (!pending.empty()) {
    TXmlNode* node = pending.back();
    pending.pop_back();
    if (node == target) return true;
    if (!seen.insert(node).second) continue;
    for (const Ref<TXmlNode>& child : node->RawChildren()) pending.push_back(child.get());
  }
  return false;
}

}  // namespace

TXmlNode::~TXmlNode() {
  // One pass: each child is let go while it is at hand.
  for (Ref<TXmlNode>& child : children_) {
    if (child->parent_ == this) child->parent_ = nullptr;
    child.reset();
  }
  if (ownsNames_) names_->Release();
}

void TXmlNode::HoldNames() {
  names_->AddRef();
  ownsNames_ = true;
}

void TXmlNode::Unlink(TXmlNode* child) {
  if (child->parent_ == this) child->parent_ = nullptr;
  // A node taken out of a loaded tree may live on elsewhere.
  child->MarkChanged();
  MarkChanged();
}

TXmlArray<Ref<TXmlNode>>& TXmlNode::Children() {
  PrepareChildren();
  return children_;
}

void TXmlNode::AdoptNew(TXmlNode* node) {
  MarkChanged();
  children_.emplace_back(node);
  node->parent_ = this;
}

void TXmlNode::CheckInsertable(TXmlNode* node) {
  if (node == this || (node->HasChildren() && SubtreeContains(node, this)))
    RaiseXml("A node cannot be inserted into its own subtree");
}

void TXmlNode::Insert(TXmlNode* node, size_t index) {
  CheckInsertable(node);
  PrepareChildren();
  MarkChanged();
  node->MarkChanged();
  if (node->names_ != names_) node->MoveToNameTable(names_, 0);
  index = std::min(index, children_.size());
  children_.insert(children_.begin() + index, Ref<TXmlNode>(node));
  node->parent_ = this;
}

void TXmlNode::ClearChildren() {
  for (const Ref<TXmlNode>& child : children_) Unlink(child.get());
  children_.clear();
}

void TXmlNode::RemoveAt(size_t index) {
  Unlink(children_[index].get());
  children_.erase(children_.begin() + index);
}

void TXmlNode::SetNameTable(TXmlNameTable* table) {
  if (table == names_) return;
  MarkChanged();
  TXmlNameTable* old = ownsNames_ ? names_ : nullptr;
  names_ = table;
  HoldNames();
  if (old) old->Release();
}

void TXmlNode::MoveToNameTable(TXmlNameTable* table, int depth) {
  CheckXmlDepth(depth);
  TXmlNameTable* old = names_;
  if (old == table) return;
  // The old table stays alive while its names are looked up.
  Ref<TXmlNameTable> keep(old);
  int32_t id = NodeNameId();
  if (NodeType() == NODE_ELEMENT || NodeType() == NODE_PROCESSING_INSTRUCTION)
    SetNodeNameId(table->GetID(old->Name(id)));
  for (TXmlAttrData& attr : attrs_) attr.nameId = table->GetID(old->Name(attr.nameId));
  SetNameTable(table);
  for (const Ref<TXmlNode>& child : children_) child->MoveToNameTable(table, depth + 1);
}

TXmlDocument* TXmlNode::OwnerDocument() {
  for (TXmlNode* node = this; node; node = node->parent_)
    if (node->NodeType() == NODE_DOCUMENT) return static_cast<TXmlDocument*>(node);
  return nullptr;
}

TXmlNode* TXmlNode::ChildElementById(int32_t nameId) {
  if (nameId < 0) return nullptr;
  for (const Ref<TXmlNode>& child : children_)
    if (child->NodeType() == NODE_ELEMENT && child->NodeNameId() == nameId) return child.get();
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// Node base: IXmlNode

Ref<IXmlNameTable> TXmlNode::GetNameTable() {
  return Ref<IXmlNameTable>(names_);
}

std::string TXmlNode::GetNodeName() {
  return names_->Name(NodeNameId());
}

std::string TXmlNode::GetText() {
  std::string text;
  CollectText(text, 0);
  return text;
}

void TXmlNode::SetVarValue(const Variant& value) {
  TXmlValue slot;
  slot.Set(value);
  SetText(slot.XmlText());
}

std::string TXmlNode::GetXml() {
  std::string out;
  WriteXml(out, 0);
  return out;
}

Ref<IXmlNode> TXmlNode::CloneNode(bool deep) {
  return Ref<IXmlNode>(Clone(deep, 0).get());
}

Ref<IXmlNode> TXmlNode::GetParentNode() {
  return Ref<IXmlNode>(parent_);
}

Ref<IXmlDocument> TXmlNode::GetOwnerDocument() {
  return Ref<IXmlDocument>(OwnerDocument());
}

Ref<IXmlNodeList> TXmlNode::GetChildNodes() {
  PrepareChildren();
  if (!childList_) {
    MarkChanged();
    childList_ = std::make_unique<TXmlNodeList>(this);
  }
  return Ref<IXmlNodeList>(childList_.get());
}

void TXmlNode::AppendChild(const Ref<IXmlNode>& node) {
  if (TXmlNode* n = NodeOf(node)) Insert(n, SIZE_MAX);
}

void TXmlNode::InsertBefore(const Ref<IXmlNode>& node, const Ref<IXmlNode>& reference) {
  TXmlNode* n = NodeOf(node);
  if (!n) return;
  TXmlNode* ref = NodeOf(reference);
  TXmlArray<Ref<TXmlNode>>& children = Children();
  auto it = std::find_if(children.begin(), children.end(),
                         [&](const Ref<TXmlNode>& c) { return c.get() == ref; });
  Insert(n, ref ? size_t(it - children.begin()) : children.size());
}

void TXmlNode::ReplaceChild(const Ref<IXmlNode>& newChild, const Ref<IXmlNode>& oldChild) {
  TXmlNode* n = NodeOf(newChild);
  TXmlNode* old = NodeOf(oldChild);
  if (!n || !old) return;
  TXmlArray<Ref<TXmlNode>>& children = Children();
  auto it = std::find_if(children.begin(), children.end(),
                         [&](const Ref<TXmlNode>& c) { return c.get() == old; });
  if (it == children.end()) return;
  if (n == old) return;
  size_t index = it - children.begin();
  Ref<TXmlNode> keep(old);
  Insert(n, index);
  Unlink(old);
  children_.erase(children_.begin() + index + 1);
}

int TXmlNode::RemoveChild(const Ref<IXmlNode>& node) {
  TXmlNode* n = NodeOf(node);
  TXmlArray<Ref<TXmlNode>>& children = Children();
  auto it = std::find_if(children.begin(), children.end(),
                         [&](const Ref<TXmlNode>& c) { return c.get() == n; });
  if (!n || it == children.end()) return -1;
  int index = int(it - children.begin());
  Unlink(n);
  children.erase(it);
  return index;
}

Ref<IXmlElement> TXmlNode::AppendElementById(int32_t nameId) {
  PrepareChildren();
  auto* element = new TXmlElement(names_, nameId);
  AdoptNew(element);
  return Ref<IXmlElement>(element);
}

Ref<IXmlElement> TXmlNode::AppendElement(std::string_view name) {
  return AppendElementById(names_->GetID(name));
}

Ref<IXmlNode> TXmlNode::AppendText(std::string_view text) {
  PrepareChildren();
  auto* node = new TXmlText(names_);
  node->Value().SetString(text);
  AdoptNew(node);
  return Ref<IXmlNode>(node);
}

Ref<IXmlNode> TXmlNode::AppendCDATA(std::string_view text) {
  PrepareChildren();
  auto* node = new TXmlCDATASection(names_, text);
  AdoptNew(node);
  return Ref<IXmlNode>(node);
}

Ref<IXmlNode> TXmlNode::AppendComment(std::string_view text) {
  PrepareChildren();
  auto* node = new TXmlComment(names_, text);
  AdoptNew(node);
  return Ref<IXmlNode>(node);
}

Ref<IXmlNode> TXmlNode::AppendProcessingInstructionById(int32_t targetId, std::string_view text) {
  PrepareChildren();
  auto* node = new TXmlProcessingInstruction(names_, targetId, text);
  AdoptNew(node);
  return Ref<IXmlNode>(node);
}

Ref<IXmlNode> TXmlNode::AppendProcessingInstruction(std::string_view target,
                                                    std::string_view text) {
  return AppendProcessingInstructionById(names_->GetID(target), text);
}

std::string TXmlNode::GetChildText(std::string_view name, std::string_view def) {
  return GetChildTextById(names_->FindID(name), def);
}

std::string TXmlNode::GetChildTextById(int32_t nameId, std::string_view def) {
  TXmlNode* child = ChildElementById(nameId);
  return child ? child->GetText() : std::string(def);
}

void TXmlNode::SetChildText(std::string_view name, std::string_view text) {
  SetChildTextById(names_->GetID(name), text);
}

void TXmlNode::SetChildTextById(int32_t nameId, std::string_view text) {
  EnsureChildById(nameId)->SetText(text);
}

Ref<IXmlNode> TXmlNode::GetRequiredChild(std::string_view name) {
  TXmlNode* child = ChildElementById(names_->FindID(name));
  if (!child) RaiseXml("Child element \"" + std::string(name) + "\" not found");
  return Ref<IXmlNode>(child);
}

Ref<IXmlNode> TXmlNode::GetRequiredChildById(int32_t nameId) {
  TXmlNode* child = ChildElementById(nameId);
  if (!child) RaiseXml("Child element \"" + names_->Name(nameId) + "\" not found");
  return Ref<IXmlNode>(child);
}

Ref<IXmlNode> TXmlNode::EnsureChild(std::string_view name) {
  return EnsureChildById(names_->GetID(name));
}

Ref<IXmlNode> TXmlNode::EnsureChildById(int32_t nameId) {
  if (TXmlNode* child = ChildElementById(nameId)) return Ref<IXmlNode>(child);
  return Ref<IXmlNode>(AppendElementById(nameId));
}

void TXmlNode::RemoveAllChildren() {
  PrepareChildren();
  ClearChildren();
}

// ---------------------------------------------------------------------------------------
// Node base: lookups and paths

Ref<IXmlNodeList> TXmlNode::GetChildrenByName(std::string_view name) {
  if (IsXmlName(name)) {
    Ref<TXmlNodeList> list(new TXmlNodeList());
    int32_t id = names_->FindID(name);
    if (id >= 0)
      for (const Ref<TXmlNode>& child : children_)
        if (child->NodeType() == NODE_ELEMENT && child->NodeNameId() == id)
          list->Items().push_back(child);
    return Ref<IXmlNodeList>(list.get());
  }
  if (name.empty() || name.back() != '*' || name.find('*') != name.size() - 1) return nullptr;
  name.remove_suffix(1);
  if (!name.empty() && name.back() == '/') name.remove_suffix(1);
  if (name.empty()) return GetChildNodes();
  Ref<IXmlNode> found = FindElement(name);
  return found ? found->GetChildNodes() : nullptr;
}

Ref<IXmlNode> TXmlNode::FindElement(std::string_view path) {
  if (IsXmlName(path)) return Ref<IXmlNode>(ChildElementById(names_->FindID(path)));
  Ref<IXmlNode> node(this);
  while (node) {
    size_t slash = path.find('/');
    std::string_view segment = path.substr(0, slash);
    if (segment == "..") {
      node = node->GetParentNode();
    } else if (size_t bracket = segment.find('['); bracket != std::string_view::npos) {
      std::string_view test = segment.substr(bracket + 1);
      if (!test.empty()) test.remove_suffix(1);
      size_t equals = test.find('=');
      if (equals != std::string_view::npos) {
        std::string_view attr = test.substr(0, equals);
        if (!attr.empty() && attr.front() == '@') attr.remove_prefix(1);
        node = node->FindChildByAttrText(segment.substr(0, bracket), attr, test.substr(equals + 1));
      }
    } else if (!segment.empty()) {
      node = node->FindChildNoCase(segment);
    }
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return node;
}

Ref<IXmlNode> TXmlNode::FindChildNoCase(std::string_view name) {
  if (!IsXmlName(name)) return nullptr;
  for (const Ref<TXmlNode>& child : children_)
    if (child->NodeType() == NODE_ELEMENT && SameText(names_->Name(child->NodeNameId()), name))
      return Ref<IXmlNode>(child.get());
  return nullptr;
}

namespace {

// Variant equality as a content author expects it: numbers compare as numbers (text
// that reads as one included), anything else as text.
bool ValuesEqual(const Variant& a, const Variant& b) {
  if (a.IsString() && b.IsString()) return a.RawText() == b.RawText();
  if (a.IsClear() || b.IsClear()) return a.IsClear() && b.IsClear();
  if (a.IsNumeric() || b.IsNumeric() || a.GetKind() == Variant::Kind::Boolean ||
      b.GetKind() == Variant::Kind::Boolean) {
    auto x = a.TryDouble();
    auto y = b.TryDouble();
    return x && y && *x == *y;
  }
  return a == b;
}

}  // namespace

Ref<IXmlNode> TXmlNode::FindChildByAttrValue(std::string_view name, std::string_view attr,
                                             const Variant& value) {
  int32_t nameId = names_->FindID(name);
  int32_t attrId = names_->FindID(attr);
  if (nameId < 0 || attrId < 0) return nullptr;
  for (const Ref<TXmlNode>& child : children_) {
    if (child->NodeType() != NODE_ELEMENT || child->NodeNameId() != nameId) continue;
    const TXmlAttrData* a = child->FindAttr(attrId);
    if (a && ValuesEqual(a->Get(), value)) return Ref<IXmlNode>(child.get());
  }
  return nullptr;
}

Ref<IXmlNode> TXmlNode::FindChildByAttrText(std::string_view name, std::string_view attr,
                                            std::string_view text) {
  int32_t nameId = names_->FindID(name);
  if (nameId < 0) return nullptr;
  int32_t attrId = names_->FindID(attr);
  for (const Ref<TXmlNode>& child : children_) {
    if (child->NodeType() != NODE_ELEMENT || child->NodeNameId() != nameId) continue;
    const TXmlAttrData* a = child->FindAttr(attrId);
    if (SameText(a ? a->GeneralText() : std::string(), text)) return Ref<IXmlNode>(child.get());
  }
  return nullptr;
}

Variant TXmlNode::GetValue(std::string_view path) {
  if (path.empty()) return GetVarValue();
  if (path.front() == '@') return GetVarAttr(path.substr(1), Variant(""));
  Ref<IXmlNode> node = FindElement(path);
  return node ? node->GetVarValue() : Variant("");
}

void TXmlNode::SetValue(std::string_view path, const Variant& value) {
  if (path.empty()) return SetVarValue(value);
  if (path.front() == '@') return SetVarAttr(path.substr(1), value);
  if (Ref<IXmlNode> node = FindElement(path)) return node->SetVarValue(value);
  // Missing: make the elements of a plain path one by one; a path that steps up or
  // tests attributes names nothing that can be made.
  std::vector<std::string_view> segments;
  for (size_t start = 0; start <= path.size();) {
    size_t slash = std::min(path.find('/', start), path.size());
    std::string_view segment = path.substr(start, slash - start);
    if (!segment.empty()) {
      if (!IsXmlName(segment)) return;
      segments.push_back(segment);
    }
    start = slash + 1;
  }
  if (segments.empty()) return;
  Ref<IXmlNode> node(this);
  for (std::string_view segment : segments) {
    Ref<IXmlNode> next = node->FindChildNoCase(segment);
    node = next ? next : Ref<IXmlNode>(node->AppendElement(segment));
  }
  node->SetVarValue(value);
}

// ---------------------------------------------------------------------------------------
// Element

void TXmlElement::PrepareChildren() {
  if (value_.IsClear()) return;
  auto* text = new TXmlText(names_);
  text->Value() = std::move(value_);
  text->Value().nameId = -1;
  value_.Clear();
  AdoptNew(text);
}

Ref<TXmlNode> TXmlElement::Clone(bool deep, int depth) {
  CheckXmlDepth(depth);
  Ref<TXmlElement> copy(new TXmlElement(names_, nameId_));
  copy->attrs_ = attrs_;
  copy->value_ = value_;
  if (deep)
    for (const Ref<TXmlNode>& child : children_) {
      Ref<TXmlNode> clone = child->Clone(true, depth + 1);
      copy->AdoptNew(clone.get());
    }
  return copy;
}

void TXmlNode::CollectChildText(std::string& out, int depth) {
  size_t start = out.size();
  std::string part;
  for (const Ref<TXmlNode>& child : children_) {
    int type = child->NodeType();
    if (type != NODE_ELEMENT && type != NODE_TEXT && type != NODE_CDATA_SECTION) continue;
    part.clear();
    child->CollectText(part, depth + 1);
    if (part.empty()) continue;
    if (out.size() > start) out += ' ';
    out += part;
  }
}

void TXmlElement::CollectText(std::string& out, int depth) {
  CheckXmlDepth(depth);
  if (children_.empty()) return value_.AppendXmlText(out);
  CollectChildText(out, depth);
}

void TXmlElement::SetText(std::string_view text) {
  MarkChanged();
  ClearChildren();
  value_.SetString(text);
}

Variant::Kind TXmlElement::GetValueType() {
  if (!children_.empty() || value_.IsEmpty()) return Variant::Kind::WideString;
  return value_.Kind();
}

Variant TXmlElement::GetVarValue() {
  if (!children_.empty()) return Variant(GetText());
  return value_.Get();
}

void TXmlElement::SetVarValue(const Variant& value) {
  MarkChanged();
  ClearChildren();
  value_.Set(value);
}

void TXmlElement::RemoveTextChildren() {
  PrepareChildren();
  for (size_t i = children_.size(); i-- > 0;) {
    int type = children_[i]->NodeType();
    if (type == NODE_TEXT || type == NODE_CDATA_SECTION) RemoveAt(i);
  }
}

void TXmlElement::ReplaceTextByCDATASection(std::string_view text) {
  RemoveTextChildren();
  // A section cannot hold "]]>": cut after its first "]" and go on in a new section.
  for (;;) {
    size_t end = text.find("]]>");
    if (end == std::string_view::npos) break;
    AppendCDATA(text.substr(0, end + 1));
    text.remove_prefix(end + 1);
  }
  AppendCDATA(text);
}

void TXmlElement::ReplaceTextByBinaryData(const void* data, size_t length, int lineLength) {
  RemoveTextChildren();
  std::string base64 = Base64Encode(data, length);
  if (lineLength >= 1) {
    // Breaks go before the 1-based positions L, 2L + 2, 3L + 4, ... of the result.
    std::string lines;
    size_t line = size_t(lineLength);
    size_t next = line;  // position of the next break
    for (size_t i = 0; i < base64.size(); ++i) {
      if (lines.size() + 1 == next) {
        lines += "\r\n";
        next += line + 2;
      }
      lines += base64[i];
    }
    base64 = std::move(lines);
  }
  AppendText(base64);
}

std::string TXmlElement::GetTextAsBinaryData() {
  std::string text = Utf8ToAnsi(GetText());
  std::string packed;
  for (char c : text)
    if (static_cast<uint8_t>(c) > 32) packed += c;
  return Base64Decode(packed);
}

// ---------------------------------------------------------------------------------------
// Text, character data, processing instruction

Ref<TXmlNode> TXmlText::Clone(bool, int) {
  Ref<TXmlText> copy(new TXmlText(names_));
  copy->value_ = value_;
  return copy;
}

void TXmlText::CollectText(std::string& out, int) {
  value_.AppendXmlText(out);
}

void TXmlText::SetText(std::string_view text) {
  MarkChanged();
  value_.SetString(text);
}

void TXmlText::SetVarValue(const Variant& value) {
  MarkChanged();
  value_.Set(value);
}

void TXmlCharacterData::SetText(std::string_view text) {
  MarkChanged();
  text_.SetString(text);
}

void TXmlProcessingInstruction::SetText(std::string_view text) {
  MarkChanged();
  text_.SetString(text);
}

void TXmlCharacterData::CollectText(std::string& out, int) {
  TXmlDocument* document = OwnerDocument();
  bool preserve = document ? document->GetPreserveWhiteSpace() : DefaultPreserveWhiteSpace;
  std::string_view text = RawText();
  if (!preserve) {
    // Bytes up to 32 are ASCII in UTF-8, so this trims characters, never part of one.
    while (!text.empty() && static_cast<uint8_t>(text.front()) <= 32) text.remove_prefix(1);
    while (!text.empty() && static_cast<uint8_t>(text.back()) <= 32) text.remove_suffix(1);
  }
  out += text;
}

Ref<TXmlNode> TXmlCDATASection::Clone(bool, int) {
  return Ref<TXmlNode>(new TXmlCDATASection(names_, RawText()));
}

Ref<TXmlNode> TXmlComment::Clone(bool, int) {
  return Ref<TXmlNode>(new TXmlComment(names_, RawText()));
}

Ref<TXmlNode> TXmlProcessingInstruction::Clone(bool, int) {
  // The declaration's version and encoding are attributes: the copy keeps them.
  Ref<TXmlProcessingInstruction> copy(new TXmlProcessingInstruction(names_, nameId_, RawText()));
  copy->attrs_ = attrs_;
  return copy;
}

void TXmlProcessingInstruction::CollectText(std::string& out, int) {
  out += RawText();
}

// ---------------------------------------------------------------------------------------
// Document

TXmlDocument::TXmlDocument(TXmlNameTable* names)
    : TXmlNode(names, nullptr), preserveWhiteSpace_(DefaultPreserveWhiteSpace) {}

TXmlDocument::~TXmlDocument() {
  ReleaseChildren();
}

TXmlArena* TXmlDocument::StartLoad(TXmlNameTable* names, size_t input) {
  loaded_ = Ref<TXmlArena>(TXmlArena::Make(names, input));
  return loaded_.get();
}

void TXmlDocument::ReleaseChildren() {
  TXmlArena* arena = loaded_.get();
  if (!arena || !arena->NodesHeldOnlyByTree()) {
    ClearChildren();
  } else {
    // Every node of the arena is in the tree as loaded and held by nothing else: they go
    // with the arena, unvisited. Children added since are let go as usual.
    for (Ref<TXmlNode>& child : children_) {
      if (child->Arena() == arena) {
        child.Detach();
        continue;
      }
      Unlink(child.get());
      child.reset();
    }
    children_.clear();
    arena->ForgetNodes();
  }
  loaded_ = nullptr;
}

Ref<TXmlNode> TXmlDocument::Clone(bool deep, int depth) {
  CheckXmlDepth(depth);
  Ref<TXmlDocument> copy(new TXmlDocument(names_));
  if (deep)
    for (const Ref<TXmlNode>& child : children_) {
      Ref<TXmlNode> clone = child->Clone(true, depth + 1);
      copy->AdoptNew(clone.get());
    }
  return copy;
}

void TXmlDocument::CollectText(std::string& out, int depth) {
  CollectChildText(out, depth);
}

void TXmlDocument::SetText(std::string_view text) {
  ReleaseChildren();
  TXmlNode::AppendText(text);
}

Ref<IXmlElement> TXmlDocument::GetDocumentElement() {
  for (const Ref<TXmlNode>& child : children_)
    if (child->NodeType() == NODE_ELEMENT)
      return Ref<IXmlElement>(static_cast<TXmlElement*>(child.get()));
  return nullptr;
}

Ref<IXmlElement> TXmlDocument::NewDocumentElement(std::string_view version,
                                                  std::string_view encoding,
                                                  std::string_view name) {
  return NewDocumentElementById(version, encoding, names_->GetID(name));
}

Ref<IXmlElement> TXmlDocument::NewDocumentElementById(std::string_view, std::string_view,
                                                      int32_t nameId) {
  ReleaseChildren();
  auto* element = new TXmlElement(names_, nameId);
  AdoptNew(element);
  return Ref<IXmlElement>(element);
}

Ref<IXmlElement> TXmlDocument::CreateElement(std::string_view name) {
  return CreateElementById(names_->GetID(name));
}

Ref<IXmlElement> TXmlDocument::CreateElementById(int32_t nameId) {
  return Ref<IXmlElement>(new TXmlElement(names_, nameId));
}

Ref<IXmlNode> TXmlDocument::CreateText(std::string_view text) {
  auto* node = new TXmlText(names_);
  node->Value().SetString(text);
  return Ref<IXmlNode>(node);
}

Ref<IXmlNode> TXmlDocument::CreateCDATASection(std::string_view text) {
  return Ref<IXmlNode>(new TXmlCDATASection(names_, text));
}

Ref<IXmlNode> TXmlDocument::CreateComment(std::string_view text) {
  return Ref<IXmlNode>(new TXmlComment(names_, text));
}

Ref<IXmlNode> TXmlDocument::CreateProcessingInstruction(std::string_view target,
                                                        std::string_view text) {
  return CreateProcessingInstructionById(names_->GetID(target), text);
}

Ref<IXmlNode> TXmlDocument::CreateProcessingInstructionById(int32_t targetId,
                                                            std::string_view text) {
  return Ref<IXmlNode>(new TXmlProcessingInstruction(names_, targetId, text));
}

void TXmlDocument::Reset() {
  ReleaseChildren();
  attrs_.clear();
}

Ref<IXmlDocument> CreateXmlDocument(std::string_view rootName, std::string_view version,
                                    std::string_view encoding, IXmlNameTable* nameTable) {
  TXmlNameTable* table =
      nameTable ? static_cast<TXmlNameTable*>(nameTable->GetObject()) : SharedXmlNameTable();
  Ref<TXmlDocument> document(new TXmlDocument(table));
  if (!rootName.empty()) document->NewDocumentElement(version, encoding, rootName);
  return Ref<IXmlDocument>(document.get());
}

Ref<IXmlDocument> LoadXmlDocumentFromXml(std::string_view text) {
  Ref<IXmlDocument> document = CreateXmlDocument();
  document->LoadXML(text);
  return document;
}
