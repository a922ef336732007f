#include "functions/ParamSpaces.h"

#include <algorithm>
#include <utility>

// --- One definition -------------------------------------------------------------------

void TParamDef::Init() {
  TPersistObject::Init();
  elementName_ = "paramdef";
}

// "row" is never written: a saved space read again places its definitions in document
// order. A static cell keeps its "value"; the others name the owner's cell they stand for.
const TPropertyTable& TParamDef::Properties() {
  using D = TParamDef;
  static const TPropertyTable table(TPersistObject::Properties(),
                                    {
                                        Attr("row", &D::row_).Int(-1).NotSaved(),
                                        Attr("col", &D::col_).Int().Always(),
                                        Attr("static", &D::static_).Bool().Always(),
                                        Custom<D>("value", &D::LoadValue, &D::SaveValue),
                                        Custom<D>("outname", &D::LoadBinding, &D::SaveBinding),
                                    });
  return table;
}

void TParamDef::LoadValue(const Ref<IHierStorage>& node) {
  value_ = static_ ? static_cast<float>(ReadXmlFloat(node, "value", 0)) : 0.0f;
}

void TParamDef::SaveValue(const Ref<IHierStorage>& node) {
  if (static_) WriteXmlFloat(node, "value", value_, true);
}

void TParamDef::LoadBinding(const Ref<IHierStorage>& node) {
  outName_ = ReadXmlStr(node, "outname");
  if (static_ || !outName_.empty()) {
    outRow_ = 0;
    outCol_ = 0;
    return;
  }
  outRow_ = ReadXmlInt(node, "outrow", -1);
  outCol_ = ReadXmlInt(node, "outcol", -1);
  // Naming nothing binds to the owner's cell of the same name.
  if (outRow_ == -1 && outCol_ == -1) outName_ = GetName();
  if (outRow_ == -1) outRow_ = 0;
  if (outCol_ == -1) outCol_ = 0;
}

void TParamDef::SaveBinding(const Ref<IHierStorage>& node) {
  if (!outName_.empty()) WriteXmlStr(node, "outname", outName_, true);
}

// --- Definitions ----------------------------------------------------------------------

void TParamDefCollection::Init() {
  TPersistItemCollection::Init();
  elementName_ = "paramdefs";
  itemElementName_ = "paramdef";
}

void TParamDefCollection::Invalidate() {
  colCount_ = -1;
  rowCounts_.clear();
  cells_.clear();
}

void TParamDefCollection::Delete(const Variant& address) {
  Invalidate();
  TPersistItemCollection::Delete(address);
}

void TParamDefCollection::Clear() {
  Invalidate();
  TPersistItemCollection::Clear();
}

Ref<IParamDef> TParamDefCollection::GetByIndex(int index) {
  return Supports<IParamDef>(items_->GetByIndex(index));
}

Ref<IParamDef> TParamDefCollection::GetByName(const std::string& name) {
  if (name.empty()) return nullptr;
  return Supports<IParamDef>(items_->GetByKey(name));
}

bool TParamDefCollection::Add(const Ref<IParamDef>& def) {
  if (!def || !IsValidParamPlace(def->GetCol(), def->GetRow())) return false;
  std::string name = def->GetName();
  int before = items_->GetCount();
  // Keys are unique; a definition without a name has no key of its own.
  if (name.empty())
    items_->AddWithAutoKey(Ref<IInterface>(def.get()));
  else if (!items_->Contains(name))
    items_->Add(def, name);
  if (items_->GetCount() == before) return false;
  IndexAdded(def.get());
  return true;
}

void TParamDefCollection::IndexAdded(IParamDef* def) {
  // Kept up to date rather than dropped, so loading a long list stays linear.
  if (colCount_ < 0) return;
  size_t col = static_cast<size_t>(def->GetCol()), row = static_cast<size_t>(def->GetRow());
  if (col >= cells_.size()) {
    colCount_ = static_cast<int32_t>(col + 1);
    cells_.resize(col + 1);
    rowCounts_.resize(col + 1, 0);
  }
  if (row >= cells_[col].size()) {
    cells_[col].resize(row + 1, nullptr);
    rowCounts_[col] = static_cast<int32_t>(row + 1);
  }
  cells_[col][row] = def;  // the later of two at one place, as a full build gives
}

void TParamDefCollection::BuildIndex() {
  int32_t maxCol = -1;
  int count = items_->GetCount();
  for (int i = 0; i < count; ++i) {
    Ref<IParamDef> def = GetByIndex(i);
    // A definition moved outside the limits after it was added is left out.
    if (def && IsValidParamPlace(def->GetCol(), def->GetRow()))
      maxCol = std::max(maxCol, def->GetCol());
  }
  colCount_ = maxCol + 1;
  rowCounts_.assign(static_cast<size_t>(colCount_), 0);
  cells_.assign(static_cast<size_t>(colCount_), {});
  for (int i = 0; i < count; ++i) {
    Ref<IParamDef> def = GetByIndex(i);
    if (!def || !IsValidParamPlace(def->GetCol(), def->GetRow())) continue;
    int32_t& rows = rowCounts_[static_cast<size_t>(def->GetCol())];
    rows = std::max(rows, def->GetRow() + 1);
  }
  for (int32_t c = 0; c < colCount_; ++c)
    cells_[static_cast<size_t>(c)].assign(static_cast<size_t>(rowCounts_[static_cast<size_t>(c)]),
                                          nullptr);
  for (int i = 0; i < count; ++i) {
    Ref<IParamDef> def = GetByIndex(i);
    if (!def || !IsValidParamPlace(def->GetCol(), def->GetRow())) continue;
    cells_[static_cast<size_t>(def->GetCol())][static_cast<size_t>(def->GetRow())] = def.get();
  }
}

Ref<IParamDef> TParamDefCollection::FindAt(int32_t col, int32_t row) {
  if (colCount_ < 0) {
    int count = items_->GetCount();
    for (int i = 0; i < count; ++i) {
      Ref<IParamDef> def = GetByIndex(i);
      if (def && def->GetCol() == col && def->GetRow() == row) return def;
    }
    return nullptr;
  }
  if (col < 0 || col >= colCount_) return nullptr;
  const std::vector<IParamDef*>& column = cells_[static_cast<size_t>(col)];
  if (row < 0 || static_cast<size_t>(row) >= column.size()) return nullptr;
  return Ref<IParamDef>(column[static_cast<size_t>(row)]);
}

int32_t TParamDefCollection::GetColCount() {
  if (colCount_ < 0) BuildIndex();
  return colCount_;
}

int32_t TParamDefCollection::GetRowCount(int32_t col) {
  if (colCount_ < 0) BuildIndex();
  if (col < 0 || col >= colCount_) return 0;
  return rowCounts_[static_cast<size_t>(col)];
}

Ref<IInterface> TParamDefCollection::CreateItem(const Ref<IHierStorage>& child) {
  int32_t row = ReadXmlInt(child, "row", -1);
  int32_t col = ReadXmlInt(child, "col", 0);
  if (!IsValidParamPlace(col, row == -1 ? 0 : row)) return nullptr;
  Ref<IParamDef> existing = FindAt(col, row);
  reloading_ = existing.get();
  if (existing) return Ref<IInterface>(existing.get());
  return Ref<IInterface>(TAbstractObject::Create<TParamDef>().get());
}

void TParamDefCollection::Rekey(const Ref<IParamDef>& def) {
  std::string name = def->GetName();
  // Without a name, or with a name taken (by itself or another): the old key stays.
  if (name.empty() || items_->Contains(name)) return;
  int count = items_->GetCount();
  for (int index = 0; index < count; ++index) {
    if (Supports<IParamDef>(items_->GetByIndex(index)) != def) continue;
    Ref<IInterface> held(def.get());
    items_->Delete(Variant(int32_t(index)));
    items_->Add(held, name, index);
    return;
  }
}

void TParamDefCollection::ItemLoaded(const Ref<IInterface>& item) {
  Ref<IParamDef> def = Supports<IParamDef>(item);
  if (!def) return;
  if (def.get() == std::exchange(reloading_, nullptr)) {
    // Reloaded in place: its name or (through an overlay) its place may have changed.
    Invalidate();
    Rekey(def);
    return;
  }
  if (def->GetRow() == -1) def->SetRow(GetRowCount(def->GetCol()));
  Add(def);
}

// --- Space ----------------------------------------------------------------------------

void TParamSpace::Init() {
  TPersistObject::Init();
  elementName_ = "paramspace";
  defs_ = TAbstractObject::Create<TParamDefCollection>();
}

TParamSpace::~TParamSpace() {
  for (float* cell : storage_) delete cell;
}

void TParamSpace::LoadFromXml(const Ref<IHierStorage>& node) {
  TPersistObject::LoadFromXml(node);
  LoadObjectFromChild(defs_, node, "paramdefs");
}

void TParamSpace::SaveToXml(const Ref<IHierStorage>& node) {
  TPersistObject::SaveToXml(node);
  SaveObjectToChild(defs_, node, "paramdefs");
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
    matrix[static_cast<size_t>(c)].assign(static_cast<size_t>(defs_->GetRowCount(c)), nullptr);
  int count = defs_->Count();
  for (int i = 0; i < count; ++i) {
    Ref<IParamDef> def = defs_->GetByIndex(i);
    if (!def) continue;
    int32_t col = def->GetCol(), row = def->GetRow();
    if (!IsValidParamPlace(col, row) || static_cast<size_t>(col) >= matrix.size() ||
        static_cast<size_t>(row) >= matrix[static_cast<size_t>(col)].size())
      continue;
    float*& cell = matrix[static_cast<size_t>(col)][static_cast<size_t>(row)];
    // Two definitions at one place: the later wins, and the earlier storage goes.
    if (cell && storage_.erase(cell)) delete cell;
    cell = nullptr;
    if (def->GetStatic()) {
      cell = new float(def->GetValue());
      storage_.insert(cell);
    } else if (ownerSpace_) {
      // Positions outside the owner's matrix find nothing: the cell stays unbound.
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
  int count = defs_->Count();
  for (int i = 0; i < count; ++i) {
    Ref<IParamDef> def = defs_->GetByIndex(i);
    if (!def || !def->GetStatic()) continue;
    int32_t col = def->GetCol(), row = def->GetRow();
    float* own = GetCellPtr(col, row);
    if (own && col >= 0 && static_cast<size_t>(col) < copy.size() && row >= 0 &&
        static_cast<size_t>(row) < copy[static_cast<size_t>(col)].size()) {
      if (float* mine = copy[static_cast<size_t>(col)][static_cast<size_t>(row)]) *mine = *own;
    }
  }
}

void TParamSpace::DisposeMatrix(TFloatMatrix& matrix) {
  FreeMatrix(matrix);
}

int32_t TParamSpace::GetRowCount(int32_t col) const {
  if (col < 0 || static_cast<size_t>(col) >= matrix_.size()) return 0;
  return static_cast<int32_t>(matrix_[static_cast<size_t>(col)].size());
}

float* TParamSpace::GetCellPtr(int32_t col, int32_t row) const {
  if (col < 0 || static_cast<size_t>(col) >= matrix_.size()) return nullptr;
  const std::vector<float*>& column = matrix_[static_cast<size_t>(col)];
  if (row < 0 || static_cast<size_t>(row) >= column.size()) return nullptr;
  return column[static_cast<size_t>(row)];
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
