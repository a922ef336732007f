#include "foundation/PropertyTable.h"

#include <algorithm>

namespace {

uint64_t lookups = 0;

}  // namespace

void TPropertyRow::Load(TPersistObject& object, const Ref<IHierStorage>& node) const {
  if (custom_) {
    if (customLoad_) customLoad_(object, node);
  } else if (xml_.form != TForm::None) {
    access_->Load(object, xml_, node);
  }
}

void TPropertyRow::Save(TPersistObject& object, const Ref<IHierStorage>& node) const {
  if (custom_) {
    if (customSave_) customSave_(object, node);
  } else if (xml_.form != TForm::None) {
    access_->Save(object, xml_, node);
  }
}

TPropertyTable::TPropertyTable(std::initializer_list<TPropertyRow> rows) : rows_(rows) {
  for (TPropertyRow& row : rows_) row.table_ = this;
  for (const TPropertyRow& row : rows_) {
    if (!row.IsProperty()) continue;
    auto at = std::find_if(index_.begin(), index_.end(),
                           [&](const Entry& e) { return e.name == row.Name(); });
    if (at == index_.end()) at = index_.insert(index_.end(), Entry{row.Name()});
    // A later row of the same class replaces an earlier one, as a derived class would.
    if (row.CanRead()) at->reader = &row;
    if (row.CanWrite()) at->writer = &row;
  }
  std::sort(index_.begin(), index_.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
}

TPropertyTable::TPropertyTable(const TPropertyTable& base, std::initializer_list<TPropertyRow> rows)
    : TPropertyTable(rows) {
  base_ = &base;
  // The base's names that this class does not answer itself.
  std::vector<Entry> own = std::move(index_);
  index_ = base.index_;
  for (const Entry& entry : own) {
    auto at = std::lower_bound(index_.begin(), index_.end(), entry.name,
                               [](const Entry& e, std::string_view name) { return e.name < name; });
    if (at == index_.end() || at->name != entry.name) at = index_.insert(at, Entry{entry.name});
    if (entry.reader) at->reader = entry.reader;
    if (entry.writer) at->writer = entry.writer;
  }
}

const TPropertyTable::Entry* TPropertyTable::Find(std::string_view name) const {
  ++lookups;
  auto at = std::lower_bound(index_.begin(), index_.end(), name,
                             [](const Entry& e, std::string_view n) { return e.name < n; });
  return at != index_.end() && at->name == name ? &*at : nullptr;
}

const TPropertyRow* TPropertyTable::Reader(std::string_view name) const {
  const Entry* entry = Find(name);
  return entry ? entry->reader : nullptr;
}

const TPropertyRow* TPropertyTable::Writer(std::string_view name) const {
  const Entry* entry = Find(name);
  return entry ? entry->writer : nullptr;
}

bool TPropertyTable::Declares(const TPropertyRow* row) const {
  for (const TPropertyTable* table = row ? row->Table() : nullptr; table; table = table->base_)
    if (table == this) return true;
  return false;
}

void TPropertyTable::Load(TPersistObject& object, const Ref<IHierStorage>& node) const {
  if (base_) base_->Load(object, node);
  for (const TPropertyRow& row : rows_) row.Load(object, node);
}

void TPropertyTable::Save(TPersistObject& object, const Ref<IHierStorage>& node) const {
  if (base_) base_->Save(object, node);
  for (const TPropertyRow& row : rows_) row.Save(object, node);
}

uint64_t TPropertyTable::LookupCount() {
  return lookups;
}
