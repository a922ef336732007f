#include "foundation/TMYCollection.h"

#include "foundation/CheckedMath.h"
#include "foundation/Exceptions.h"
#include "foundation/Routines.h"

namespace {

bool IsPosition(const Variant& address) {
  return address.IsOrdinal();
}

int PositionOf(const Variant& address) {
  return SaturateInt32(address.RawInt());
}

}  // namespace

TBaseCollection::TBaseCollection() {
  TBaseCollection::InitHashList();
}

void TBaseCollection::InitHashList() {
  list_.SetSimpleHash(false);
  list_.SetDuplicatesAction(TDuplicatesAction::Raise);
  list_.SetHashMode(THashMode::Crc32);
  list_.SetCaseInsensitive(true);
  list_.SetRaiseOnAbsence(false);
  list_.SetAutoFreeObjects(false);
}

std::string TBaseCollection::NextAutoKey() {
  char last = list_.CaseInsensitive() ? 'Z' : 'z';
  if (lastKey_.empty()) {
    lastKey_ = "!";
  } else if (lastKey_.back() == last || static_cast<unsigned char>(lastKey_.back()) == 0xFF) {
    // A key ending in the highest byte cannot be increased either.
    lastKey_ += '!';
  } else {
    ++lastKey_.back();
  }
  return lastKey_;
}

void* TBaseCollection::AddItem(void* item, bool autoKey, int index, const std::string& key) {
  std::string actualKey;
  if (autoKey) {
    actualKey = NextAutoKey();
  } else {
    actualKey = key;
    if (CompareText(key, lastKey_) > 0) lastKey_ = key;
  }
  try {
    if (index == -1) {
      list_.AddItem(actualKey, item);
    } else {
      list_.InsertItem(index, actualKey, item);
    }
  } catch (const EElHashListError&) {
    return nullptr;
  }
  return item;
}

void* TBaseCollection::GetItem(const Variant& address) const {
  if (IsPosition(address)) return list_.GetItemByIndex(PositionOf(address));
  if (address.IsString()) return list_.GetItem(address.RawText());
  return nullptr;
}

int TBaseCollection::IndexOf(std::string_view key) const {
  return list_.IndexOf(key);
}

void TBaseCollection::Delete(const Variant& address) {
  if (IsPosition(address)) {
    list_.Delete(PositionOf(address));
  } else if (address.IsString()) {
    list_.DeleteItem(address.RawText());
  }
}

bool TBaseCollection::MoveItem(std::string_view key, const Variant& target) {
  try {
    int to = -1;
    if (IsPosition(target)) {
      to = PositionOf(target);
    } else if (target.IsString()) {
      to = list_.IndexOf(target.RawText());
    } else {
      return false;
    }
    int from = list_.IndexOf(key);
    if (from < 0 || to < 0 || to >= list_.Count()) return false;
    list_.Move(from, to);
    return true;
  } catch (const EElHashListError&) {
    return false;
  }
}

void TInterfaceCollection::InitHashList() {
  TBaseCollection::InitHashList();
  HashList().SetOnDelete([](TElHashList&, void* object) {
    if (object) static_cast<IInterface*>(object)->Release();
  });
}

Ref<IInterface> TInterfaceCollection::Store(const Ref<IInterface>& item, bool autoKey, int index,
                                            const std::string& key) {
  // The collection's own reference: taken before the entry exists, given back on refusal.
  Ref<IInterface> held = item;
  if (AddItem(held.get(), autoKey, index, key)) held.Detach();
  return item;
}

void TStringCollection::InitHashList() {
  TBaseCollection::InitHashList();
  HashList().SetOnDelete(
      [](TElHashList&, void* object) { delete static_cast<std::string*>(object); });
}

void TStringCollection::Store(const std::string& text, bool autoKey, int index,
                              const std::string& key) {
  auto record = std::make_unique<std::string>(text);
  if (AddItem(record.get(), autoKey, index, key)) record.release();
}

bool TStringCollection::SetItem(std::string_view key, const std::string& text) {
  auto* record = static_cast<std::string*>(HashList().GetItem(key));
  if (!record) return false;
  *record = text;
  return true;
}

std::string TStringCollection::GetItem(const Variant& address) const {
  auto* record = static_cast<const std::string*>(TBaseCollection::GetItem(address));
  return record ? *record : std::string();
}
