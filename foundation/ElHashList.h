#pragma once
// An ordered list of (key hash, object) entries. An item is found by a 32-bit hash of its
// key (CRC-32, a simple hash or the first bytes of an MD5 digest) in a linear scan over the
// stored hashes; the key's text is kept beside its hash and compared only where hashes
// match, so two keys of equal hashes ("Nidmovh" and "Bubanxn" under CRC-32) stay two keys.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/CryptMD5.h"

enum class THashMode : uint8_t {
  MD5 = 0,     // MD5 digest of the key (its first four bytes)
  Simple = 1,  // h := h * 5 + byte, modulo 2^32
  Crc32 = 2,
};

// What InsertItem does when an entry with the key's hash exists already.
enum class TDuplicatesAction : uint8_t {
  Accept = 0,   // add a second entry
  Raise = 1,    // "Duplicate entry."
  Replace = 2,  // the existing entry takes the new object
  Ignore = 3,   // leave the list unchanged
};

class TElHashList {
 public:
  // Called for every object that leaves the list, after its entry has gone.
  using TDeleteEvent = std::function<void(TElHashList& list, void* object)>;
  // How an object is freed when AutoFreeObjects is set (the list holds untyped pointers).
  using TFreeObject = void (*)(void* object);

  static constexpr int kMaxCapacity = 134217727;

  TElHashList() = default;
  ~TElHashList() { Clear(); }
  TElHashList(const TElHashList&) = delete;
  TElHashList& operator=(const TElHashList&) = delete;

  void AddItem(std::string_view key, void* object) { InsertItem(count_, key, object); }
  // Index in 0..Count, else "Invalid position for HashList."; duplicates as DuplicatesAction.
  void InsertItem(int index, std::string_view key, void* object);
  // -1 (or "Hash is absent." with RaiseOnAbsence) when no entry has the key's hash.
  int IndexOf(std::string_view key) const;
  void* GetItem(std::string_view key) const;
  // Nothing outside 0..Count-1; never raises.
  void* GetItemByIndex(int index) const;
  // "Invalid index." outside 0..Count-1.
  void Delete(int index);
  // "Hash not found." when absent.
  void DeleteItem(std::string_view key);
  // Takes the entry out and puts it in at ToIndex; "Invalid index." when either is outside.
  void Move(int fromIndex, int toIndex);
  // Exchanges the entries at A and B; "Invalid index." when either is outside.
  void Swap(int a, int b);
  void Clear();
  // "Invalid ElHashList capacity." below Count or above kMaxCapacity.
  void SetCapacity(int capacity);

  bool AutoFreeObjects() const { return autoFreeObjects_; }
  void SetAutoFreeObjects(bool flag) { autoFreeObjects_ = flag; }
  void SetFreeObject(TFreeObject freeObject) { freeObject_ = freeObject; }
  bool CaseInsensitive() const { return caseInsensitive_; }
  void SetCaseInsensitive(bool flag) { caseInsensitive_ = flag; }
  THashMode HashMode() const { return hashMode_; }
  // A change of hash mode clears the list first (the stored hashes would not match).
  void SetHashMode(THashMode mode);
  bool SimpleHash() const { return simpleHash_; }
  // True selects the simple hash, false CRC-32; clears the list when it changes.
  void SetSimpleHash(bool flag);
  TDuplicatesAction DuplicatesAction() const { return duplicatesAction_; }
  void SetDuplicatesAction(TDuplicatesAction action) { duplicatesAction_ = action; }
  bool RaiseOnAbsence() const { return raiseOnAbsence_; }
  void SetRaiseOnAbsence(bool flag) { raiseOnAbsence_ = flag; }
  void SetOnDelete(TDeleteEvent handler) { onDelete_ = std::move(handler); }

  int Count() const { return count_; }
  int Capacity() const { return capacity_; }

  static uint32_t CalcSimpleHash(std::string_view key);

 private:
  struct TEntry {
    uint32_t hash = 0;  // in MD5 mode the first four digest bytes
    void* object = nullptr;
    std::string key;  // as given; compared with the case rule where hashes match
  };

  uint32_t HashOf(std::string_view key) const;
  bool SameKey(std::string_view a, std::string_view b) const;
  int Find(uint32_t hash, std::string_view key) const;
  void Grow();
  void ShrinkIfSparse();
  void Release(void* object);
  void CheckIndex(int index) const;

  bool autoFreeObjects_ = false;
  bool caseInsensitive_ = false;
  THashMode hashMode_ = THashMode::MD5;
  std::vector<TEntry> entries_;  // Capacity entries, the first Count in use
  // The entries' hashes side by side: a search reads them without touching the entries.
  std::vector<uint32_t> hashes_;
  int count_ = 0;
  int capacity_ = 0;
  TDeleteEvent onDelete_;
  bool simpleHash_ = false;
  TDuplicatesAction duplicatesAction_ = TDuplicatesAction::Accept;
  bool raiseOnAbsence_ = false;
  TFreeObject freeObject_ = nullptr;
};
