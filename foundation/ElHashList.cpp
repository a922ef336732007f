#include "foundation/ElHashList.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstring>
#include <utility>

#include "foundation/Crc32.h"
#include "foundation/Exceptions.h"
#include "foundation/Routines.h"

uint32_t TElHashList::CalcSimpleHash(std::string_view key) {
  uint32_t h = 0;
  for (char c : key) h = h * 5 + static_cast<uint8_t>(c);
  return h;
}

uint32_t TElHashList::HashOf(std::string_view key) const {
  if (hashMode_ == THashMode::Crc32) return caseInsensitive_ ? StrCrc32NoCase(key) : StrCrc32(key);
  std::string folded;
  if (caseInsensitive_) {
    folded = UpperCaseAscii(key);
    key = folded;
  }
  if (hashMode_ == THashMode::Simple) return CalcSimpleHash(key);
  TMD5Digest digest = TCrMD5::Calculate(key);
  uint32_t hash = 0;
  std::memcpy(&hash, digest.data(), sizeof hash);
  return hash;
}

bool TElHashList::SameKey(std::string_view a, std::string_view b) const {
  return caseInsensitive_ ? SameText(a, b) : a == b;
}

int TElHashList::Find(uint32_t hash, std::string_view key) const {
  const uint32_t* hashes = hashes_.data();
  int i = 0;
#ifdef __SSE2__
  // Eight hashes a step: most searches pass every entry (a new name) or most of them.
  const __m128i wanted = _mm_set1_epi32(int32_t(hash));
  for (; i + 8 <= count_; i += 8) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hashes + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hashes + i + 4));
    __m128i hit = _mm_or_si128(_mm_cmpeq_epi32(a, wanted), _mm_cmpeq_epi32(b, wanted));
    if (!_mm_movemask_epi8(hit)) continue;
    for (int j = i; j < i + 8; ++j)
      if (hashes[j] == hash && SameKey(entries_[j].key, key)) return j;
  }
#endif
  for (; i < count_; ++i)
    if (hashes[i] == hash && SameKey(entries_[i].key, key)) return i;
  return -1;
}

void TElHashList::CheckIndex(int index) const {
  if (index < 0 || index >= count_) throw EElHashListError("Invalid index.");
}

void TElHashList::InsertItem(int index, std::string_view key, void* object) {
  if (index < 0 || index > count_) throw EElHashListError("Invalid position for HashList.");
  const uint32_t hash = HashOf(key);
  int existing = Find(hash, key);
  if (existing >= 0) {
    switch (duplicatesAction_) {
      case TDuplicatesAction::Raise:
        throw EElHashListError("Duplicate entry.");
      case TDuplicatesAction::Replace: {
        void* old = std::exchange(entries_[existing].object, object);
        // The replaced object leaves the list like a deleted one, unless it came back.
        if (old != object) Release(old);
        return;
      }
      case TDuplicatesAction::Ignore:
        return;
      case TDuplicatesAction::Accept:
        break;
    }
  }
  if (count_ == capacity_) Grow();
  std::move_backward(entries_.begin() + index, entries_.begin() + count_,
                     entries_.begin() + count_ + 1);
  std::move_backward(hashes_.begin() + index, hashes_.begin() + count_,
                     hashes_.begin() + count_ + 1);
  entries_[index] = {hash, object, std::string(key)};
  hashes_[size_t(index)] = hash;
  ++count_;
}

int TElHashList::IndexOf(std::string_view key) const {
  int index = Find(HashOf(key), key);
  if (index < 0 && raiseOnAbsence_) throw EElHashListError("Hash is absent.");
  return index;
}

void* TElHashList::GetItem(std::string_view key) const {
  int index = IndexOf(key);
  return index < 0 ? nullptr : entries_[index].object;
}

void* TElHashList::GetItemByIndex(int index) const {
  if (index < 0 || index >= count_) return nullptr;
  return entries_[index].object;
}

void TElHashList::Delete(int index) {
  CheckIndex(index);
  void* object = entries_[index].object;
  // The entry leaves before its object is released: a handler that reaches back into
  // the list (a destructor removing a sibling) then sees it consistent.
  std::move(entries_.begin() + index + 1, entries_.begin() + count_, entries_.begin() + index);
  std::move(hashes_.begin() + index + 1, hashes_.begin() + count_, hashes_.begin() + index);
  entries_[size_t(count_ - 1)] = TEntry{};
  hashes_[size_t(count_ - 1)] = 0;
  --count_;
  ShrinkIfSparse();
  Release(object);
}

void TElHashList::DeleteItem(std::string_view key) {
  int index = Find(HashOf(key), key);
  if (index < 0) throw EElHashListError("Hash not found.");
  Delete(index);
}

void TElHashList::Move(int fromIndex, int toIndex) {
  CheckIndex(fromIndex);
  CheckIndex(toIndex);
  auto from = entries_.begin() + fromIndex;
  auto to = entries_.begin() + toIndex;
  auto hashFrom = hashes_.begin() + fromIndex;
  auto hashTo = hashes_.begin() + toIndex;
  if (fromIndex < toIndex) {
    std::rotate(from, from + 1, to + 1);
    std::rotate(hashFrom, hashFrom + 1, hashTo + 1);
  } else if (fromIndex > toIndex) {
    std::rotate(to, from, from + 1);
    std::rotate(hashTo, hashFrom, hashFrom + 1);
  }
}

void TElHashList::Swap(int a, int b) {
  CheckIndex(a);
  CheckIndex(b);
  std::swap(entries_[size_t(a)], entries_[size_t(b)]);
  std::swap(hashes_[size_t(a)], hashes_[size_t(b)]);
}

void TElHashList::Clear() {
  std::vector<TEntry> old;
  old.swap(entries_);
  hashes_.clear();
  hashes_.shrink_to_fit();
  int oldCount = std::exchange(count_, 0);
  capacity_ = 0;
  for (int i = oldCount - 1; i >= 0; --i) Release(old[i].object);
}

void TElHashList::SetCapacity(int capacity) {
  if (capacity < count_ || capacity > kMaxCapacity)
    throw EElHashListError("Invalid ElHashList capacity.");
  bool shrinking = capacity < capacity_;
  entries_.resize(capacity);
  hashes_.resize(size_t(capacity));
  if (shrinking) {
    entries_.shrink_to_fit();
    hashes_.shrink_to_fit();
  }
  capacity_ = capacity;
}

void TElHashList::Grow() {
  int delta = capacity_ > 64 ? capacity_ / 4 : capacity_ > 8 ? 16 : 4;
  SetCapacity(capacity_ + delta);
}

void TElHashList::ShrinkIfSparse() {
  int half = capacity_ / 2;
  if (count_ < half) SetCapacity(half);
}

void TElHashList::Release(void* object) {
  if (onDelete_) onDelete_(*this, object);
  if (autoFreeObjects_ && freeObject_ && object) freeObject_(object);
}

void TElHashList::SetHashMode(THashMode mode) {
  if (mode == hashMode_) return;
  Clear();
  hashMode_ = mode;
  simpleHash_ = mode == THashMode::Simple;
}

void TElHashList::SetSimpleHash(bool flag) {
  if (flag == simpleHash_) return;
  Clear();
  simpleHash_ = flag;
  hashMode_ = flag ? THashMode::Simple : THashMode::Crc32;
}
