#pragma once
// The objects behind the XML interfaces (name table, arena, value slots, node classes)
// and the helpers the sources of the unit share (model, text reader and writer, binary
// form); not for other units.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "foundation/Exceptions.h"
#include "foundation/SimpleXML.h"

class TXmlNode;
class TXmlNodeList;
class TXmlNameTable;
class TXmlDocument;

// Names of the cached ids every name table starts with, ids 0 to 4.
constexpr int XML_ID_TEXT = 0;
constexpr int XML_ID_CDATA = 1;
constexpr int XML_ID_COMMENT = 2;
constexpr int XML_ID_DOCUMENT = 3;
constexpr int XML_ID_XML = 4;

// ---------------------------------------------------------------------------------------
// Objects

class TXmlBase : public TInterfacedObject, public virtual IXmlBase {
 public:
  TXmlBase* GetObject() override { return this; }
};

// Interned names: a name's id is its index, given in the order names are first seen.
// Lookups go through an index of their own with a seeded hash, so that no set of names
// (however chosen) makes them slow; the buckets the binary form stores are computed from
// the names when it is written.
class TXmlNameTable final : public TXmlBase, public IXmlNameTable {
 public:
  // A table starts with the five cached names unless it is to be filled from a file.
  explicit TXmlNameTable(int bucketCount = 4096, bool withCachedNames = true);
  int32_t GetID(std::string_view name) override;
  std::string GetName(int32_t id) override { return std::string(Name(id)); }

  // The id of a name already interned, or -1; never adds the name.
  int32_t FindID(std::string_view name) const;
  const std::string& Name(int32_t id) const;
  int32_t Count() const { return int32_t(names_.size()); }
  // The bucket count of the binary form, and the bucket of a name there.
  int BucketCount() const { return bucketCount_; }
  int BucketOfName(std::string_view name) const { return int(Hash(name) % uint32_t(bucketCount_)); }
  // Adds a name under the next id even when it is already present (the binary form
  // gives every name its id); lookups keep finding the first, whose id this gives (-1
  // for the empty name).
  int32_t AppendName(std::string_view name);
  void Reserve(size_t count);
  // Looks the five cached names up again after names were appended from a file.
  void RefreshCachedIds();
  int32_t CachedId(int which) const { return cached_[which]; }

  // The hash of the name's UTF-16 units that the binary form's buckets use.
  static uint32_t Hash(std::string_view name);

  // A name by its bytes, as the text reader compares it with the text: names of up to
  // 16 bytes, as two eight-byte words.
  struct KnownName {
    uint64_t w0 = 0, w1 = 0;  // its bytes, zero beyond its length
    uint64_t m0 = 0, m1 = 0;  // which bytes of the two words are the name's
    uint32_t length = 0;      // 0: nothing known
    int32_t id = -1;
  };
  // Names come in the same order again and again: an element's name, then its
  // attributes', then the next element's. For each name (and for the start of a text,
  // under the id -1) the table remembers a few names that followed it, those met most
  // often first, so that a reader recognises the next name by its bytes, without hashing
  // the name again and looking it up.
  // Only the first names get them, which are those of every document: a file of
  // countless names of its own leaves no lasting memory behind.
  static constexpr int kFollowers = 4;
  static constexpr size_t kFollowedNames = size_t(1) << 14;
  // None for a name beyond the first ones.
  KnownName* FollowersOf(int32_t id) {
    size_t at = size_t(uint32_t(id + 1));
    if (at >= followerIds_ && !GrowFollowers(at)) return nullptr;
    return followers_.get() + at * kFollowers;
  }

 private:
  uint64_t IndexHash(std::string_view name) const;
  int32_t Find(std::string_view name, uint64_t hash) const;
  void Index(int32_t id, uint64_t hash);
  void Reindex(size_t slots);

  std::vector<std::string> names_;
  std::vector<uint64_t> hashes_;  // per id: its index hash
  std::vector<int32_t> slots_;    // open addressing: ids, -1 free; a power of two long
  bool GrowFollowers(size_t at);
  std::unique_ptr<KnownName[]> followers_;  // kFollowers per id + 1
  size_t followerIds_ = 0;
  uint64_t seed_;
  size_t indexed_ = 0;
  int bucketCount_;
  int32_t cached_[5];
};

// The table shared by every document made without one of its own.
TXmlNameTable* SharedXmlNameTable();

// The memory of one load: a copy of the loaded text, the nodes made from it and their
// attribute and child arrays, taken from the system in blocks and handed back all at
// once. Values that need no change are views into the copy of the text, so a node of a
// loaded document costs no allocation of its own, to make or to free.
//
// Each node keeps its arena alive, so a node outlives its document, or moves into another
// one, as any node does. When the document lets go of its nodes and nothing else holds
// any of them, they go with the arena in one step, without being visited one by one.
// That needs the tree to be as it was loaded: the first change to a node of the arena
// (an attribute set, a child added or removed, a node moved) makes the arena release its
// nodes one by one from then on. Nodes made and arrays grown through the node interface
// use the heap, so editing a document for a long time never piles up memory here.
class TXmlArena {
 public:
  // An arena for the load of `input` bytes; the nodes of the arena use the table, which
  // the arena holds for them. Its first block comes with it, sized for what a small
  // input makes.
  static TXmlArena* Make(TXmlNameTable* names, size_t input);
  TXmlArena(const TXmlArena&) = delete;
  TXmlArena& operator=(const TXmlArena&) = delete;

  // Room for `size` bytes, aligned for any node or array element.
  void* Allocate(size_t size) {
    size = (size + 7) & ~size_t(7);
    if (size > size_t(end_ - next_)) return AllocateSlow(size);
    void* room = next_;
    next_ += size;
    return room;
  }
  // A copy of the text (up to its first zero byte when `upToZero`) followed by
  // kXmlTextPadding zero bytes, so that a reader may look at a block of bytes at any place
  // of it without checking for its end. When asked, tells where the first byte beyond
  // ASCII is (the size of the copy when there is none).
  std::string_view CopyText(std::string_view text, size_t* firstWide = nullptr,
                            bool upToZero = false);
  // Room for a text of `size` bytes and its kXmlTextPadding, filled by the caller.
  char* TextRoom(size_t size);
  // Held by the document loading into it and by every node made in it.
  void AddRef() { ++refs_; }
  void Release() {
    if (--refs_ == 0) Destroy();
  }
  TXmlNameTable* Names() const { return names_; }

  // --- the nodes of the arena
  void NodeMade() {
    ++nodes_;
    ++refs_;
  }
  void NodeGone() {
    --nodes_;
    Release();
  }
  // References to nodes of the arena, from anywhere (their parents included).
  void NodeReferenced() { ++nodeRefs_; }
  void NodeUnreferenced() { --nodeRefs_; }
  // A node of the arena changed or moved since it was loaded.
  void MarkChanged() { changed_ = true; }
  // Whether every node of the arena is held only by its parent, in the tree as loaded:
  // then the tree's owner may let all of them go at once.
  bool NodesHeldOnlyByTree() const { return !changed_ && nodeRefs_ == nodes_; }
  // Forgets every node at once (their owner has dropped its references without releasing
  // them); their memory goes with the arena.
  void ForgetNodes() {
    refs_ -= nodes_;
    nodes_ = 0;
    nodeRefs_ = 0;
  }

 private:
  explicit TXmlArena(TXmlNameTable* names);
  ~TXmlArena();
  void Destroy();
  // A new block when `size` does not fit; one of its own for something large.
  void* AllocateSlow(size_t size);
  char* next_ = nullptr;
  char* end_ = nullptr;
  // The newest block; each begins with a link to the one before and its size.
  void* blocks_ = nullptr;
  size_t blockSize_ = 4096;
  size_t largestBlock_ = 64 * 1024;  // what blocks grow to: more for a large input
  size_t refs_ = 0;
  size_t nodes_ = 0;
  size_t nodeRefs_ = 0;
  bool changed_ = false;
  TXmlNameTable* names_;  // counted
};

// Readable zero bytes after the copy of a loaded text.
constexpr size_t kXmlTextPadding = 32;

// The count of the text's bytes, or of those before its first zero byte when `upToZero`;
// `firstWide` becomes the place of the first byte beyond ASCII among them (their count
// when there is none).
size_t ScanXmlText(std::string_view text, bool upToZero, size_t& firstWide);

// The next capacity of a full attribute or child array: by 4 while below 9, by 16 up to
// 64, then by a quarter.
inline size_t XmlGrownCapacity(size_t capacity) {
  if (capacity < 9) return capacity + 4;
  if (capacity <= 64) return capacity + 16;
  return capacity + capacity / 4;
}

// The attribute and child arrays of a node: a vector whose room comes from the heap or,
// for a node being loaded, from its arena. Elements are moved by copying their bytes,
// which suits what the arrays hold (node references and value slots).
template <class T>
class TXmlArray {
 public:
  TXmlArray() = default;
  TXmlArray(const TXmlArray& other) { CopyFrom(other); }
  TXmlArray& operator=(const TXmlArray& other) {
    if (this != &other) {
      clear();
      CopyFrom(other);
    }
    return *this;
  }
  ~TXmlArray() {
    clear();
    if (onHeap_) ::operator delete(data_);
  }

  T* begin() const { return data_; }
  T* end() const { return data_ + size_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](size_t index) const { return data_[index]; }
  T& back() const { return data_[size_ - 1]; }

  template <class... Args>
  T& emplace_back(Args&&... args) {
    if (size_ == capacity_) Reallocate(XmlGrownCapacity(capacity_), nullptr);
    T* slot = new (data_ + size_) T(std::forward<Args>(args)...);
    ++size_;
    return *slot;
  }
  void push_back(T value) { emplace_back(std::move(value)); }
  // Appends, growing in the arena while the array lives there (loading only).
  template <class... Args>
  T& EmplaceBackIn(TXmlArena* arena, Args&&... args) {
    if (size_ == capacity_) Reallocate(XmlGrownCapacity(capacity_), onHeap_ ? nullptr : arena);
    T* slot = new (data_ + size_) T(std::forward<Args>(args)...);
    ++size_;
    return *slot;
  }
  T* insert(T* position, T value) {
    size_t index = size_t(position - data_);
    if (size_ == capacity_) Reallocate(XmlGrownCapacity(capacity_), nullptr);
    std::memmove(static_cast<void*>(data_ + index + 1), data_ + index, (size_ - index) * sizeof(T));
    new (data_ + index) T(std::move(value));
    ++size_;
    return data_ + index;
  }
  T* erase(T* position) {
    position->~T();
    std::memmove(static_cast<void*>(position), position + 1,
                 size_t(end() - position - 1) * sizeof(T));
    --size_;
    return position;
  }
  void clear() {
    T* items = data_;
    size_t count = size_;
    size_ = 0;
    for (size_t i = 0; i < count; ++i) items[i].~T();
  }
  void reserve(size_t capacity) {
    if (capacity > capacity_) Reallocate(capacity, nullptr);
  }
  // Room for `capacity` elements in all, from the arena while the array has no heap room.
  // The arena must be the one of the node that owns the array: its memory lasts as long
  // as that node.
  void ReserveIn(TXmlArena* arena, size_t capacity) {
    if (capacity > capacity_) Reallocate(capacity, onHeap_ ? nullptr : arena);
  }
  // Counts in `count` elements the caller has made after the end, in reserved room.
  void CommitReserved(size_t count) { size_ += uint32_t(count); }
  // Appends an element the caller has room for (reserved before).
  template <class... Args>
  T& EmplaceBackReserved(Args&&... args) {
    T* slot = new (data_ + size_) T(std::forward<Args>(args)...);
    ++size_;
    return *slot;
  }

 private:
  void Reallocate(size_t capacity, TXmlArena* arena) {
    if (capacity > (size_t(1) << 31) / sizeof(T)) throw std::bad_alloc();
    size_t bytes = capacity * sizeof(T);
    T* fresh = static_cast<T*>(arena ? arena->Allocate(bytes) : ::operator new(bytes));
    if (size_) std::memcpy(static_cast<void*>(fresh), data_, size_ * sizeof(T));
    if (onHeap_) ::operator delete(data_);
    data_ = fresh;
    capacity_ = uint32_t(capacity);
    onHeap_ = arena == nullptr;
  }
  void CopyFrom(const TXmlArray& other) {
    reserve(other.size_);
    for (const T& item : other) emplace_back(item);
  }

  T* data_ = nullptr;
  uint32_t size_ = 0;
  uint32_t capacity_ : 31 = 0;
  uint32_t onHeap_ : 1 = 0;
};

// A value slot: strings (everything parsed from text) held in the slot itself when short,
// in the arena of a loaded node or on the heap when longer, any other kind boxed.
// Loading a document thus costs few allocations, and a slot takes 16 bytes.
class TXmlValue {
 public:
  TXmlValue() = default;
  // A view of a string in the arena of the slot's node (see SetView), under a name.
  TXmlValue(int32_t name, std::string_view text)
      : state_(State(text.size(), kArena)), nameId(name) {
    SetPointer(text.data());
  }
  // A string of up to kRoom bytes held in the slot, given as the bytes of a word.
  TXmlValue(int32_t name, uint64_t bytes, size_t length)
      : state_(State(length, kInline)), nameId(name) {
    std::memcpy(data_, &bytes, sizeof bytes);
  }
  // A moved string that lay in an arena is copied: the slot it goes to may not live there.
  TXmlValue(TXmlValue&& other) { Take(other); }
  TXmlValue& operator=(TXmlValue&& other);
  TXmlValue(const TXmlValue& other) { *this = other; }
  TXmlValue& operator=(const TXmlValue& other);
  ~TXmlValue() {
    if (Place() >= kHeap) ReleaseOwned();
  }

  Variant::Kind Kind() const;
  bool IsEmpty() const { return Place() == kEmpty; }
  // Empty or Null.
  bool IsClear() const;
  bool IsString() const { return Place() != kEmpty && Place() != kBoxed; }
  // The string value (empty for other kinds).
  std::string_view Text() const {
    if (Place() == kInline) return std::string_view(data_, Length());
    if (Place() == kEmpty || Place() == kBoxed) return {};
    return std::string_view(Pointer<const char>(), Length());
  }
  Variant Get() const;
  void Set(const Variant& value);
  void SetString(std::string_view text);
  // The same for a slot of a node that lives in `arena` (none: the heap): a string too
  // long for the slot is kept in the arena.
  void SetStringIn(TXmlArena* arena, std::string_view text) {
    // A short string over a slot that owns nothing: copied in place. The copy reads all
    // before it writes, so a part of the slot's own text is copied right.
    if (text.size() > kRoom || Place() >= kHeap) return SetLongStringIn(arena, text);
    CopyShort(data_, text.data(), text.size());
    state_ = State(text.size(), kInline);
  }
  // The string as it lies in the arena of the slot's node, without a copy; at most
  // kLongest - 1 bytes.
  void SetView(std::string_view text) {
    if (text.size() >= kLongest) TooLong();
    Release();
    SetPointer(text.data());
    state_ = State(text.size(), kArena);
  }
  // Makes the value a string of `length` bytes and returns where to write them.
  char* PrepareString(size_t length, TXmlArena* arena = nullptr) {
    if (length > kRoom) return PrepareLongString(length, arena);
    Release();
    state_ = State(length, kInline);
    return data_;
  }
  void Clear();
  // The XML text form of the value (what the writer escapes).
  void AppendXmlText(std::string& out) const;
  std::string XmlText() const;
  // The general conversion to text.
  std::string GeneralText() const;

  // The longest string a slot holds, plus one.
  static constexpr size_t kLongest = size_t(1) << 29;

 private:
  enum Where : uint8_t { kEmpty, kInline, kArena, kHeap, kBoxed };
  static constexpr size_t kRoom = 8;
  [[noreturn]] static void TooLong();
  static uint32_t State(size_t length, Where place) { return uint32_t(length) << 3 | place; }
  Where Place() const { return Where(state_ & 7); }
  uint32_t Length() const { return state_ >> 3; }
  template <class T>
  T* Pointer() const {
    T* pointer;
    std::memcpy(&pointer, data_, sizeof pointer);
    return pointer;
  }
  template <class T>
  void SetPointer(T* pointer) {
    std::memcpy(data_, &pointer, sizeof pointer);
  }
  // Frees what the value owns; inline so that the common case (nothing) costs a test.
  void Release() {
    if (Place() >= kHeap) ReleaseOwned();
    state_ = 0;
  }
  void ReleaseOwned();
  void Take(TXmlValue& other);
  char* PrepareLongString(size_t length, TXmlArena* arena);
  void SetLongStringIn(TXmlArena* arena, std::string_view text);
  // Copies up to 8 bytes without a call: two overlapping moves of the widest size that
  // fits, both read before either is written.
  static void CopyShort(char* to, const char* from, size_t n) {
    if (n >= 4) {
      uint32_t head, tail;
      std::memcpy(&head, from, 4);
      std::memcpy(&tail, from + n - 4, 4);
      std::memcpy(to, &head, 4);
      std::memcpy(to + n - 4, &tail, 4);
    } else if (n > 0) {
      char first = from[0], middle = from[n / 2], last = from[n - 1];
      to[0] = first;
      to[n / 2] = middle;
      to[n - 1] = last;
    }
  }

  alignas(8) char data_[kRoom];  // the text, or a pointer to it or to the boxed value
  // The length and where the string or value is, in one word: written whole, so that
  // reading it back right after never waits on a partly written word.
  uint32_t state_ = 0;

 public:
  int32_t nameId = -1;  // the attribute's name; unused for element values
};
using TXmlAttrData = TXmlValue;

class TXmlNodeList : public TXmlBase, public IXmlNodeList {
 public:
  // A list of its own (as GetChildrenByName hands out), or the child list of `owner`,
  // which then shares the owner's lifetime and reference count.
  explicit TXmlNodeList(TXmlNode* owner = nullptr) : owner_(owner) {}
  int AddRef() override;
  int Release() override;

  int Count() override { return int(Items().size()); }
  Ref<IXmlNode> Item(int index) override;
  std::string GetXml() override;

  TXmlArray<Ref<TXmlNode>>& Items();
  TXmlNode* Owner() const { return owner_; }

 private:
  TXmlNode* owner_;
  TXmlArray<Ref<TXmlNode>> items_;  // only for a list of its own
};

class TXmlNode : public TXmlBase, public virtual IXmlNode {
 public:
  // A node made in an arena is given it here as well as to operator new; its table is
  // then held by the arena, unless it is another one.
  TXmlNode(TXmlNameTable* names, TXmlArena* arena) : names_(names), arena_(arena) {
    if (!arena || arena->Names() != names) HoldNames();
  }
  ~TXmlNode() override;

  // Every node begins with a word naming its arena (none for a node on the heap).
  static void* operator new(size_t size);
  static void* operator new(size_t size, TXmlArena* arena);
  static void operator delete(void* node);
  static void operator delete(void* node, TXmlArena* arena);
  // The arena the node was made in, or null.
  TXmlArena* Arena() const { return arena_; }

  // The arena learns of every reference to its nodes.
  int AddRef() final {
    if (arena_) arena_->NodeReferenced();
    return TXmlBase::AddRef();
  }
  int Release() final {
    if (arena_) arena_->NodeUnreferenced();
    return TXmlBase::Release();
  }

  // --- the virtual operations of every kind
  virtual int32_t NodeNameId() const = 0;
  virtual void SetNodeNameId(int32_t) {}
  virtual int NodeType() const = 0;
  virtual Ref<TXmlNode> Clone(bool deep, int depth) = 0;
  // Appends the XML text of the node.
  virtual void WriteXml(std::string& out, int depth) = 0;
  // Appends the node's text (GetText).
  virtual void CollectText(std::string& out, int depth) = 0;
  // Called before the child list is handed out or added to.
  virtual void PrepareChildren() {}

  // --- IXmlNode
  Ref<IXmlNameTable> GetNameTable() override;
  std::string GetNodeName() override;
  int32_t GetNodeNameId() override { return NodeNameId(); }
  int GetNodeType() override { return NodeType(); }
  std::string GetText() override;
  Variant::Kind GetValueType() override { return Variant::Kind::WideString; }
  Variant GetVarValue() override { return Variant(GetText()); }
  void SetVarValue(const Variant& value) override;
  std::string GetXml() override;
  Ref<IXmlNode> CloneNode(bool deep) override;
  Ref<IXmlNode> GetParentNode() override;
  Ref<IXmlDocument> GetOwnerDocument() override;
  Ref<IXmlNodeList> GetChildNodes() override;
  void AppendChild(const Ref<IXmlNode>& node) override;
  void InsertBefore(const Ref<IXmlNode>& node, const Ref<IXmlNode>& reference) override;
  void ReplaceChild(const Ref<IXmlNode>& newChild, const Ref<IXmlNode>& oldChild) override;
  int RemoveChild(const Ref<IXmlNode>& node) override;
  Ref<IXmlElement> AppendElementById(int32_t nameId) override;
  Ref<IXmlElement> AppendElement(std::string_view name) override;
  Ref<IXmlNode> AppendText(std::string_view text) override;
  Ref<IXmlNode> AppendCDATA(std::string_view text) override;
  Ref<IXmlNode> AppendComment(std::string_view text) override;
  Ref<IXmlNode> AppendProcessingInstructionById(int32_t targetId, std::string_view text) override;
  Ref<IXmlNode> AppendProcessingInstruction(std::string_view target,
                                            std::string_view text) override;
  std::string GetChildText(std::string_view name, std::string_view def) override;
  std::string GetChildTextById(int32_t nameId, std::string_view def) override;
  void SetChildText(std::string_view name, std::string_view text) override;
  void SetChildTextById(int32_t nameId, std::string_view text) override;
  Ref<IXmlNode> GetRequiredChild(std::string_view name) override;
  Ref<IXmlNode> GetRequiredChildById(int32_t nameId) override;
  Ref<IXmlNode> EnsureChild(std::string_view name) override;
  Ref<IXmlNode> EnsureChildById(int32_t nameId) override;
  void RemoveAllChildren() override;
  Ref<IXmlNodeList> GetChildrenByName(std::string_view name) override;
  Ref<IXmlNode> FindElement(std::string_view path) override;
  Ref<IXmlNode> FindChildNoCase(std::string_view name) override;
  Ref<IXmlNode> FindChildByAttrValue(std::string_view name, std::string_view attr,
                                     const Variant& value) override;
  Ref<IXmlNode> FindChildByAttrText(std::string_view name, std::string_view attr,
                                    std::string_view text) override;

  int GetAttrCount() override { return int(attrs_.size()); }
  int32_t GetAttrNameId(int index) override;
  std::string GetAttrName(int index) override;
  void RemoveAttr(std::string_view name) override;
  void RemoveAttrById(int32_t nameId) override;
  void ClearAttrs() override { attrs_.clear(); }
  bool HasAttr(std::string_view name) override;
  bool HasAttrById(int32_t nameId) override { return FindAttr(nameId) != nullptr; }
  Variant::Kind GetAttrType(std::string_view name) override;
  Variant::Kind GetAttrTypeById(int32_t nameId) override;
  Variant GetVarAttr(std::string_view name, const Variant& def) override;
  Variant GetVarAttrById(int32_t nameId, const Variant& def) override;
  void SetVarAttr(std::string_view name, const Variant& value) override;
  void SetVarAttrById(int32_t nameId, const Variant& value) override;
  std::string GetRequiredAttr(std::string_view name) override;
  std::string GetRequiredAttrById(int32_t nameId) override;
  std::string GetAttr(std::string_view name, std::string_view def) override;
  bool FindAttrText(std::string_view name, std::string& text) override;
  std::string GetAttrById(int32_t nameId, std::string_view def) override;
  void SetAttr(std::string_view name, std::string_view value) override;
  void SetAttrById(int32_t nameId, std::string_view value) override;
  bool GetBoolAttr(std::string_view name, bool def) override;
  bool GetBoolAttrById(int32_t nameId, bool def) override;
  void SetBoolAttr(std::string_view name, bool value) override;
  void SetBoolAttrById(int32_t nameId, bool value) override;
  int32_t GetIntAttr(std::string_view name, int32_t def) override;
  int32_t GetIntAttrById(int32_t nameId, int32_t def) override;
  void SetIntAttr(std::string_view name, int32_t value) override;
  void SetIntAttrById(int32_t nameId, int32_t value) override;
  TDateTime GetDateTimeAttr(std::string_view name, TDateTime def) override;
  TDateTime GetDateTimeAttrById(int32_t nameId, TDateTime def) override;
  void SetDateTimeAttr(std::string_view name, TDateTime value) override;
  void SetDateTimeAttrById(int32_t nameId, TDateTime value) override;
  double GetFloatAttr(std::string_view name, double def) override;
  double GetFloatAttrById(int32_t nameId, double def) override;
  void SetFloatAttr(std::string_view name, double value) override;
  void SetFloatAttrById(int32_t nameId, double value) override;
  int32_t GetHexAttr(std::string_view name, int32_t def) override;
  int32_t GetHexAttrById(int32_t nameId, int32_t def) override;
  void SetHexAttr(std::string_view name, int32_t value, int digits) override;
  void SetHexAttrById(int32_t nameId, int32_t value, int digits) override;
  int GetEnumAttr(std::string_view name, const TXmlTexts& values, int def) override;
  int GetEnumAttrById(int32_t nameId, const TXmlTexts& values, int def) override;
  int GetRequiredEnumAttr(std::string_view name, const TXmlTexts& values) override;
  int GetRequiredEnumAttrById(int32_t nameId, const TXmlTexts& values) override;
  Variant GetValue(std::string_view path) override;
  void SetValue(std::string_view path, const Variant& value) override;

  Ref<IXmlElement> AsElement() override { return nullptr; }
  Ref<IXmlNode> AsText() override { return nullptr; }
  Ref<IXmlNode> AsCDATASection() override { return nullptr; }
  Ref<IXmlNode> AsComment() override { return nullptr; }
  Ref<IXmlNode> AsProcessingInstruction() override { return nullptr; }

  // --- for the readers, writers and the document
  TXmlNameTable* Names() const { return names_; }
  TXmlNode* Parent() const { return parent_; }
  // The children; the element rule runs first.
  TXmlArray<Ref<TXmlNode>>& Children();
  // The children as they are, without making a list.
  const TXmlArray<Ref<TXmlNode>>& RawChildren() const { return children_; }
  bool HasChildren() const { return !children_.empty(); }
  // The attributes as they are, for readers and writers; changes go through EnsureAttr.
  TXmlArray<TXmlAttrData>& Attrs() { return attrs_; }
  TXmlAttrData* FindAttr(int32_t nameId);
  TXmlAttrData& EnsureAttr(int32_t nameId);
  // Appends a node the caller has just made (no checks: it is new and on this table).
  void AdoptNew(TXmlNode* node);
  // The same for a reader: the child array of a node that lives in an arena grows there,
  // and the tree stays as loaded.
  void AdoptLoaded(TXmlNode* node) {
    children_.EmplaceBackIn(arena_, node);
    node->parent_ = this;
  }
  // Records that the node changes after it was loaded (see TXmlArena).
  void MarkChanged() {
    if (arena_) arena_->MarkChanged();
  }
  void Insert(TXmlNode* node, size_t index);
  void ClearChildren();
  void RemoveAt(size_t index);
  void ReserveChildren(size_t count) { children_.ReserveIn(arena_, children_.size() + count); }
  void WriteAttrs(std::string& out) const;
  void WriteChildrenXml(std::string& out, int depth);
  // Puts the node and its subtree on another name table.
  void MoveToNameTable(TXmlNameTable* table, int depth);
  void SetNameTable(TXmlNameTable* table);
  TXmlDocument* OwnerDocument();
  // First child element with the id, or null.
  TXmlNode* ChildElementById(int32_t nameId);

 protected:
  const TXmlAttrData* FindAttrByName(std::string_view name);
  void CheckInsertable(TXmlNode* node);
  // The texts of the element, text and CDATA children, one space between two.
  void CollectChildText(std::string& out, int depth);
  // Lets go of a child at hand in the child array (which the caller then shrinks).
  void Unlink(TXmlNode* child);
  void HoldNames();

  TXmlNameTable* names_;  // counted by the node when ownsNames_, else by its arena
  TXmlArena* arena_;
  bool ownsNames_ = false;
  TXmlNode* parent_ = nullptr;
  TXmlArray<Ref<TXmlNode>> children_;
  std::unique_ptr<TXmlNodeList> childList_;
  TXmlArray<TXmlAttrData> attrs_;

  friend class TXmlNodeList;
};

class TXmlElement : public TXmlNode, public IXmlElement {
 public:
  TXmlElement(TXmlNameTable* names, int32_t nameId, TXmlArena* arena = nullptr)
      : TXmlNode(names, arena), nameId_(nameId) {}

  int32_t NodeNameId() const override { return nameId_; }
  void SetNodeNameId(int32_t id) override { nameId_ = id; }
  int NodeType() const override { return NODE_ELEMENT; }
  Ref<TXmlNode> Clone(bool deep, int depth) override;
  void WriteXml(std::string& out, int depth) override;
  void CollectText(std::string& out, int depth) override;
  void PrepareChildren() override;

  void SetText(std::string_view text) override;
  Variant::Kind GetValueType() override;
  Variant GetVarValue() override;
  void SetVarValue(const Variant& value) override;
  Ref<IXmlElement> AsElement() override { return Ref<IXmlElement>(this); }

  void ReplaceTextByCDATASection(std::string_view text) override;
  void ReplaceTextByBinaryData(const void* data, size_t length, int lineLength) override;
  std::string GetTextAsBinaryData() override;

  TXmlValue& StoredValue() { return value_; }

 private:
  void RemoveTextChildren();
  int32_t nameId_;
  TXmlValue value_;
};

class TXmlText : public TXmlNode {
 public:
  explicit TXmlText(TXmlNameTable* names, TXmlArena* arena = nullptr) : TXmlNode(names, arena) {}
  int32_t NodeNameId() const override { return names_->CachedId(XML_ID_TEXT); }
  int NodeType() const override { return NODE_TEXT; }
  Ref<TXmlNode> Clone(bool deep, int depth) override;
  void WriteXml(std::string& out, int depth) override;
  void CollectText(std::string& out, int depth) override;
  void SetText(std::string_view text) override;
  Variant::Kind GetValueType() override { return value_.Kind(); }
  Variant GetVarValue() override { return value_.Get(); }
  void SetVarValue(const Variant& value) override;
  Ref<IXmlNode> AsText() override { return Ref<IXmlNode>(this); }

  TXmlValue& Value() { return value_; }

 private:
  TXmlValue value_;
};

// Text-like nodes holding a plain string.
class TXmlCharacterData : public TXmlNode {
 public:
  TXmlCharacterData(TXmlNameTable* names, std::string_view text, TXmlArena* arena = nullptr)
      : TXmlNode(names, arena) {
    text_.SetStringIn(arena, text);
  }
  void CollectText(std::string& out, int depth) override;
  void SetText(std::string_view text) override;
  std::string_view RawText() const { return text_.Text(); }
  // For a reader: the text as loaded.
  TXmlValue& TextSlot() { return text_; }

 protected:
  TXmlValue text_;  // a string
};

class TXmlCDATASection : public TXmlCharacterData {
 public:
  using TXmlCharacterData::TXmlCharacterData;
  int32_t NodeNameId() const override { return names_->CachedId(XML_ID_CDATA); }
  int NodeType() const override { return NODE_CDATA_SECTION; }
  Ref<TXmlNode> Clone(bool deep, int depth) override;
  void WriteXml(std::string& out, int depth) override;
  Ref<IXmlNode> AsCDATASection() override { return Ref<IXmlNode>(this); }
};

class TXmlComment : public TXmlCharacterData {
 public:
  using TXmlCharacterData::TXmlCharacterData;
  int32_t NodeNameId() const override { return names_->CachedId(XML_ID_COMMENT); }
  int NodeType() const override { return NODE_COMMENT; }
  Ref<TXmlNode> Clone(bool deep, int depth) override;
  void WriteXml(std::string& out, int depth) override;
  Ref<IXmlNode> AsComment() override { return Ref<IXmlNode>(this); }
};

class TXmlProcessingInstruction : public TXmlNode {
 public:
  TXmlProcessingInstruction(TXmlNameTable* names, int32_t targetId, std::string_view text,
                            TXmlArena* arena = nullptr)
      : TXmlNode(names, arena), nameId_(targetId) {
    text_.SetStringIn(arena, text);
  }
  int32_t NodeNameId() const override { return nameId_; }
  void SetNodeNameId(int32_t id) override { nameId_ = id; }
  int NodeType() const override { return NODE_PROCESSING_INSTRUCTION; }
  Ref<TXmlNode> Clone(bool deep, int depth) override;
  void WriteXml(std::string& out, int depth) override;
  void CollectText(std::string& out, int depth) override;
  void SetText(std::string_view text) override;
  Ref<IXmlNode> AsProcessingInstruction() override { return Ref<IXmlNode>(this); }
  std::string_view RawText() const { return text_.Text(); }
  TXmlValue& TextSlot() { return text_; }

 private:
  int32_t nameId_;
  TXmlValue text_;  // a string
};

class TXmlDocument : public TXmlNode, public IXmlDocument {
 public:
  explicit TXmlDocument(TXmlNameTable* names);
  ~TXmlDocument() override;

  int32_t NodeNameId() const override { return names_->CachedId(XML_ID_DOCUMENT); }
  int NodeType() const override { return NODE_DOCUMENT; }
  Ref<TXmlNode> Clone(bool deep, int depth) override;
  void WriteXml(std::string& out, int depth) override;
  void CollectText(std::string& out, int depth) override;
  void SetText(std::string_view text) override;

  Ref<IXmlElement> GetDocumentElement() override;
  std::string SaveBinaryXml() override;
  bool GetPreserveWhiteSpace() override { return preserveWhiteSpace_; }
  void SetPreserveWhiteSpace(bool value) override { preserveWhiteSpace_ = value; }
  Ref<IXmlElement> NewDocumentElement(std::string_view version, std::string_view encoding,
                                      std::string_view name) override;
  Ref<IXmlElement> NewDocumentElementById(std::string_view version, std::string_view encoding,
                                          int32_t nameId) override;
  Ref<IXmlElement> CreateElement(std::string_view name) override;
  Ref<IXmlElement> CreateElementById(int32_t nameId) override;
  Ref<IXmlNode> CreateText(std::string_view text) override;
  Ref<IXmlNode> CreateCDATASection(std::string_view text) override;
  Ref<IXmlNode> CreateComment(std::string_view text) override;
  Ref<IXmlNode> CreateProcessingInstruction(std::string_view target,
                                            std::string_view text) override;
  Ref<IXmlNode> CreateProcessingInstructionById(int32_t targetId, std::string_view text) override;
  void LoadXML(std::string_view text) override;
  void LoadBinaryXml(std::string_view bytes) override;
  void LoadFromStream(std::istream& stream) override;
  void LoadFromFile(const std::string& path) override;
  void LoadFromResource(std::string_view type, std::string_view name) override;
  void SaveToStream(std::ostream& stream) override;
  void SaveToFile(const std::string& path) override;
  void SaveBinaryToStream(std::ostream& stream, uint32_t flags) override;
  void SaveBinaryToFile(const std::string& path, uint32_t flags) override;

  // Parses XML text (UTF-8) into the document's children.
  void ParseText(std::string_view text);
  // Bytes of a file or buffer: the binary-xml form, or text in the encoding its
  // declaration names. Malformed UTF-8 gives an empty document, or, when
  // `ansiFallback`, is read in the code page.
  void LoadBytes(std::string_view bytes, bool ansiFallback, bool upToZero = false);
  // The same for a file's bytes, read straight into the arena of the load. False when
  // the file cannot be opened. A file of exactly the binary form's magic is text when
  // `magicAloneIsText`.
  bool LoadFileBytes(const std::string& path, bool ansiFallback, bool upToZero,
                     bool magicAloneIsText);
  // Parses text that lies in `arena` followed by its padding; firstWide: the place of its
  // first byte beyond ASCII (its size when none).
  void ParseLoaded(TXmlArena* arena, std::string_view text, size_t firstWide, bool ansiFallback);
  // Empties the document: children and attributes.
  void Reset();
  // A new arena for a load of `input` bytes into the document (on the table `names`).
  TXmlArena* StartLoad(TXmlNameTable* names, size_t input);
  // Lets go of the children: with the arena of the last load in one step, when nothing
  // but the tree holds its nodes.
  void ReleaseChildren();

 private:
  bool preserveWhiteSpace_;
  Ref<TXmlArena> loaded_;  // the arena of the last load
};

// Default of every new document's preserve-whitespace flag.
extern bool DefaultPreserveWhiteSpace;

// ---------------------------------------------------------------------------------------
// Helpers of the unit

// Writes a plain file safely (false when it could not be written; "res:" paths never are).
bool WriteXmlFileBytes(const std::string& path, std::string_view bytes);

// The text conversions the model uses, for its neighbours.
// "1"/"0", decimals with ".", dates as "YYYY-MM-DDTHH-MM-SS", byte arrays in Base64.
std::string XmlTextOfValue(const Variant& value);
std::string Base64Encode(const void* data, size_t length);
std::string Base64Decode(std::string_view text);
// OLE dates and calendar fields (ms is dropped on decoding after rounding).
bool EncodeXmlDateTime(int year, int month, int day, int hour, int minute, int second,
                       TDateTime& result);
void DecodeXmlDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                       int& second);

[[noreturn]] void RaiseXml(const std::string& message);
[[noreturn]] void RaiseXmlTooDeep();
// Raises when a walk goes deeper than kXmlMaxDepth.
inline void CheckXmlDepth(int depth) {
  if (depth > kXmlMaxDepth) RaiseXmlTooDeep();
}

// Characters of names. Code points beyond ASCII count as letters except the few
// Latin-1 signs and punctuation that are plainly not.
bool IsNameStartCodePoint(uint32_t cp);
bool IsNameCodePoint(uint32_t cp);

// Appends the text with '"', '&', '<', '>' and NUL written as references.
void AppendEscaped(std::string& out, std::string_view text);

// Writes the binary-xml form of a document.
void WriteBinaryXml(TXmlDocument& document, uint32_t flags, std::string& out, std::ostream* stream);
// Reads the binary-xml form (magic included) into an emptied document.
void ReadBinaryXml(TXmlDocument& document, std::string_view bytes);

// Packed integers of the binary-xml form: 0 to 127 in one byte, up to 32511 in two,
// anything else as 0xFF and four bytes.
std::string PackXmlInteger(int32_t value);
// Reads one at `pos` and moves past it; raises "Data reading error" when cut short.
int32_t UnpackXmlInteger(std::string_view bytes, size_t& pos);
