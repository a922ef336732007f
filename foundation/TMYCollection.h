#pragma once
// Keyed collections: ordered items under unique keys compared without ASCII case (by the
// CRC-32 of the upper-cased key). An item is addressed by a Variant: a 16- or 32-bit
// integer or a byte is a position, a string is a key, and any other kind addresses
// nothing. The four kinds differ in what they hold and how an item is released.

#include <memory>
#include <string>
#include <string_view>

#include "foundation/ElHashList.h"
#include "foundation/Interface.h"
#include "foundation/Variant.h"

class TBaseCollection : public TInterfacedObject {
 public:
  TBaseCollection();
  // Destroying the collection releases every item by the rule of its kind.
  ~TBaseCollection() override = default;

  // Stores Item under Key (or under the next automatic key) at Index (-1 appends).
  // Gives Item, or nothing when the key is taken or the index is bad.
  void* AddItem(void* item, bool autoKey, int index, const std::string& key);
  void* GetItem(const Variant& address) const;
  // The same look-ups without a Variant (nothing to copy on a per-frame path).
  void* GetItemByIndex(int index) const { return list_.GetItemByIndex(index); }
  void* GetItemByKey(std::string_view key) const { return list_.GetItem(key); }
  int IndexOf(std::string_view key) const;
  bool Contains(std::string_view key) const { return IndexOf(key) >= 0; }
  // "Invalid index." for a position outside the list, "Hash not found." for an absent
  // key; other kinds of address do nothing.
  void Delete(const Variant& address);
  // Moves Key's item to Target (a position or another item's key); false when either is
  // absent or the position is outside the list.
  bool MoveItem(std::string_view key, const Variant& target);
  void Clear() { list_.Clear(); }
  int GetCount() const { return list_.Count(); }

  // Automatic keys continue after the largest key seen: "!" .. "Z", then "Z!", ...
  const std::string& LastKey() const { return lastKey_; }

 protected:
  // Sets the list's rules. A kind's constructor runs its own override (which calls this
  // one first): C++ dispatches no virtual call from the base constructor.
  virtual void InitHashList();
  std::string NextAutoKey();
  TElHashList& HashList() { return list_; }
  const TElHashList& HashList() const { return list_; }

 private:
  TElHashList list_;
  std::string lastKey_;
};

// Untyped pointers; nothing happens to an item that leaves.
class TPointerCollection : public TBaseCollection {
 public:
  void* Add(void* item, const std::string& key, int index = -1) {
    return AddItem(item, false, index, key);
  }
  void* AddWithAutoKey(void* item, int index = -1) { return AddItem(item, true, index, {}); }
};

// Owns its objects: an object that leaves is deleted.
template <class T>
class TObjectCollection : public TBaseCollection {
 public:
  TObjectCollection() { InitHashList(); }

  // Gives the object, now owned by the collection; a refused object is deleted and
  // the result is nothing.
  T* Add(std::unique_ptr<T> item, const std::string& key, int index = -1) {
    return Store(std::move(item), false, index, key);
  }
  T* AddWithAutoKey(std::unique_ptr<T> item, int index = -1) {
    return Store(std::move(item), true, index, {});
  }
  T* GetItem(const Variant& address) const {
    return static_cast<T*>(TBaseCollection::GetItem(address));
  }
  T* GetByIndex(int index) const { return static_cast<T*>(GetItemByIndex(index)); }
  T* GetByKey(std::string_view key) const { return static_cast<T*>(GetItemByKey(key)); }

 protected:
  void InitHashList() override {
    TBaseCollection::InitHashList();
    HashList().SetFreeObject([](void* object) { delete static_cast<T*>(object); });
    HashList().SetAutoFreeObjects(true);
  }

 private:
  T* Store(std::unique_ptr<T> item, bool autoKey, int index, const std::string& key) {
    if (!AddItem(item.get(), autoKey, index, key)) return nullptr;
    return item.release();
  }
};

// Holds one reference to each stored interface.
class TInterfaceCollection : public TBaseCollection {
 public:
  TInterfaceCollection() { InitHashList(); }

  // Gives back the interface it was given; a refused one is not kept (see Contains).
  Ref<IInterface> Add(const Ref<IInterface>& item, const std::string& key, int index = -1) {
    return Store(item, false, index, key);
  }
  Ref<IInterface> AddWithAutoKey(const Ref<IInterface>& item, int index = -1) {
    return Store(item, true, index, {});
  }
  Ref<IInterface> GetItem(const Variant& address) const {
    return Ref<IInterface>(static_cast<IInterface*>(TBaseCollection::GetItem(address)));
  }
  Ref<IInterface> GetByIndex(int index) const {
    return Ref<IInterface>(static_cast<IInterface*>(GetItemByIndex(index)));
  }
  Ref<IInterface> GetByKey(std::string_view key) const {
    return Ref<IInterface>(static_cast<IInterface*>(GetItemByKey(key)));
  }
  // The item's interface I, or nothing.
  template <class I>
  Ref<I> GetAs(const Variant& address) const {
    return Supports<I>(GetItem(address));
  }

 protected:
  void InitHashList() override;

 private:
  Ref<IInterface> Store(const Ref<IInterface>& item, bool autoKey, int index,
                        const std::string& key);
};

// Copies of strings.
class TStringCollection : public TBaseCollection {
 public:
  TStringCollection() { InitHashList(); }

  // Stores a copy of Text and gives Text back; a refused text is not kept.
  std::string Add(const std::string& text, const std::string& key, int index = -1) {
    Store(text, false, index, key);
    return text;
  }
  std::string AddWithAutoKey(const std::string& text, int index = -1) {
    Store(text, true, index, {});
    return text;
  }
  // Replaces the text under Key; false when Key is absent.
  bool SetItem(std::string_view key, const std::string& text);
  // The text, or '' when the address finds nothing.
  std::string GetItem(const Variant& address) const;

 protected:
  void InitHashList() override;

 private:
  void Store(const std::string& text, bool autoKey, int index, const std::string& key);
};
