#include "functions/ParamSpaces.h"

#include <algorithm>

namespace {

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

// --- Definitions ----------------------------------------------------------------------

void TParamDefCollection::Invalidate() {
  colCount_ = -1;
  rowCounts_.clear();
  cells_.clear();
}

int TParamDefCollection::IndexOf(const std::string& key) const {
  if (key.empty()) return -1;
  for (size_t i = 0; i < items_.size(); ++i)
    if (SameText(items_[i]->GetName(), key)) return static_cast<int>(i);
  return -1;
}

void TParamDefCollection::Delete(const std::string& key) {
  int index = IndexOf(key);
  Invalidate();
  if (index >= 0) items_.erase(items_.begin() + index);
}

void TParamDefCollection::Clear() {
  Invalidate();
  items_.clear();
}

Ref<IParamDef> TParamDefCollection::GetByIndex(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<size_t>(index)];
}

Ref<IParamDef> TParamDefCollection::GetByName(const std::string& name) const {
  return GetByIndex(IndexOf(name));
}

bool TParamDefCollection::Add(const Ref<IParamDef>& def) {
  if (!def) return false;
  Invalidate();
  // Keys are unique; a definition without a name has no key and is always taken.
  if (!def->GetName().empty() && IndexOf(def->GetName()) >= 0) return false;
  items_.push_back(def);
  return true;
}

void TParamDefCollection::BuildIndex() {
  int32_t maxCol = -1;
  for (const Ref<IParamDef>& def : items_)
    if (def->GetRow() >= 0) maxCol = std::max(maxCol, def->GetCol());  // col < 0 is left out
  colCount_ = maxCol + 1;
  rowCounts_.assign(static_cast<size_t>(colCount_), 0);
  // A definition without a place (negative column or row) is left out of the index.
  for (const Ref<IParamDef>& def : items_) {
    int32_t col = def->GetCol(), row = def->GetRow();
    if (col < 0 || row < 0) continue;
    rowCounts_[col] = std::max(rowCounts_[col], row + 1);
  }
  cells_.assign(static_cast<size_t>(colCount_), {});
  for (int32_t c = 0; c < colCount_; ++c)
    cells_[c].assign(static_cast<size_t>(rowCounts_[c]), nullptr);
  for (const Ref<IParamDef>& def : items_) {
    int32_t col = def->GetCol(), row = def->GetRow();
    if (col >= 0 && row >= 0) cells_[col][row] = def.get();
  }
}

Ref<IParamDef> TParamDefCollection::FindAt(int32_t col, int32_t row) {
  if (colCount_ < 0) {
    for (const Ref<IParamDef>& def : items_)
      if (def->GetCol() == col && def->GetRow() == row) return def;
    return nullptr;
  }
  if (col < 0 || col >= colCount_ || row < 0 || row >= rowCounts_[col]) return nullptr;
  return Ref<IParamDef>(cells_[col][row]);
}

int32_t TParamDefCollection::GetColCount() {
  if (colCount_ < 0) BuildIndex();
  return colCount_;
}

int32_t TParamDefCollection::GetRowCount(int32_t col) {
  if (colCount_ < 0) BuildIndex();
  if (col < 0 || col >= colCount_) return 0;
  return rowCounts_[col];
}

// --- Space ----------------------------------------------------------------------------

void TParamSpace::Init() {
  TAbstractObject::Init();
  defs_ = TAbstractObject::Create<TParamDefCollection>();
}

TParamSpace::~TParamSpace() {
  for (float* cell : storage_) delete cell;
}

void TParamSpace::SetOwnerSpace(const Ref<IParamSpace>& space) {
  ownerSpace_ = space;
  BuildMatrix(matrix_);
}

void TParamSpace::ReleaseOwnerSpace() {
  FreeMatrix(matrix_);
  ownerSpace_ = nullptr;
}

Ref<IParamDef> TParamSpace::AddParamDef(const std::string& name, int32_t col, int32_t row,
                                        bool isStatic, const std::string& outName, float value) {
  Ref<TParamDef> def = TAbstractObject::Create<TParamDef>();
  def->SetName(name);
  def->SetCol(col);
  def->SetRow(row);
  def->SetStatic(isStatic);
  def->SetOutName(outName);
  def->SetValue(value);
  defs_->Add(def);
  return def;
}

void TParamSpace::BuildMatrix(TFloatMatrix& matrix) {
  // Building again must not leave the old static values visible: release them first.
  FreeMatrix(matrix);
  int32_t cols = defs_->GetColCount();
  matrix.assign(static_cast<size_t>(cols), {});
  for (int32_t c = 0; c < cols; ++c)
    matrix[c].assign(static_cast<size_t>(defs_->GetRowCount(c)), nullptr);
  for (int i = 0; i < defs_->Count(); ++i) {
    Ref<IParamDef> def = defs_->GetByIndex(i);
    int32_t col = def->GetCol(), row = def->GetRow();
    if (col < 0 || row < 0) continue;
    float*& cell = matrix[col][row];
    // Two definitions at one place: the later wins, and the earlier storage goes.
    if (cell && storage_.erase(cell)) delete cell;
    cell = nullptr;
    if (def->GetStatic()) {
      cell = new float(def->GetValue());
      storage_.insert(cell);
    } else if (ownerSpace_) {
      cell = def->GetOutName().empty() ? ownerSpace_->GetCellPtr(def->GetOutCol(), def->GetOutRow())
                                       : ownerSpace_->GetCellPtrByName(def->GetOutName());
    }
  }
}

void TParamSpace::FreeMatrix(TFloatMatrix& matrix) {
  for (std::vector<float*>& column : matrix)
    for (float* cell : column)
      if (cell && storage_.erase(cell)) delete cell;
  matrix.clear();
}

void TParamSpace::CreateMatrixCopy(TFloatMatrix& copy) {
  copy.clear();
  BuildMatrix(copy);
  for (int i = 0; i < defs_->Count(); ++i) {
    Ref<IParamDef> def = defs_->GetByIndex(i);
    if (!def->GetStatic()) continue;
    float* own = GetCellPtr(def->GetCol(), def->GetRow());
    int32_t col = def->GetCol(), row = def->GetRow();
    if (own && col >= 0 && static_cast<size_t>(col) < copy.size() && row >= 0 &&
        static_cast<size_t>(row) < copy[col].size() && copy[col][row])
      *copy[col][row] = *own;
  }
}

void TParamSpace::DisposeMatrix(TFloatMatrix& matrix) {
  FreeMatrix(matrix);
}

int32_t TParamSpace::GetRowCount(int32_t col) const {
  if (col < 0 || static_cast<size_t>(col) >= matrix_.size()) return 0;
  return static_cast<int32_t>(matrix_[col].size());
}

float* TParamSpace::GetCellPtr(int32_t col, int32_t row) const {
  if (col < 0 || static_cast<size_t>(col) >= matrix_.size()) return nullptr;
  if (row < 0 || static_cast<size_t>(row) >= matrix_[col].size()) return nullptr;
  return matrix_[col][row];
}

float TParamSpace::GetCellValue(int32_t col, int32_t row) const {
  float* cell = GetCellPtr(col, row);
  return cell ? *cell : 0.0f;
}

void TParamSpace::SetCellValue(int32_t col, int32_t row, float value) {
  if (float* cell = GetCellPtr(col, row)) *cell = value;
}

float* TParamSpace::GetCellPtrByName(const std::string& name) const {
  Ref<IParamDef> def = defs_->GetByName(name);
  return def ? GetCellPtr(def->GetCol(), def->GetRow()) : nullptr;
}

float TParamSpace::GetValueByName(const std::string& name) const {
  float* cell = GetCellPtrByName(name);
  return cell ? *cell : 0.0f;
}

void TParamSpace::SetValueByName(const std::string& name, float value) {
  if (float* cell = GetCellPtrByName(name)) *cell = value;
}
