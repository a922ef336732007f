#pragma once
// Parameter spaces: named 4-byte float cells in a (column, row) matrix. A cell either owns
// its storage (static) or is bound to a cell of the owner's space, so a tree of functions
// shares one set of numbers without copying.
//
// XML: "paramspace" > "paramdefs" > "paramdef" (name, row, col, static, value, outname,
// outrow, outcol). A definition that names nothing to bind to binds to the owner's cell
// of its own name; one without "row" takes the next free row of its column.

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "foundation/EngineGeneralClasses.h"

// Column-major: matrix[col][row]. A null pointer is an unbound cell.
using TFloatMatrix = std::vector<std::vector<float*>>;

// Places past these are refused: a stray "row" of two billion must not allocate a column
// of two billion cells, and no function reads anywhere near so many.
constexpr int32_t kMaxParamCols = 256;
constexpr int32_t kMaxParamRows = 4096;

inline bool IsValidParamPlace(int32_t col, int32_t row) {
  return col >= 0 && col < kMaxParamCols && row >= 0 && row < kMaxParamRows;
}

// One cell definition. The name comes from INamedObject.
class IParamDef : public virtual INamedObject {
 public:
  virtual int32_t GetRow() const = 0;
  virtual void SetRow(int32_t row) = 0;
  virtual int32_t GetCol() const = 0;
  virtual void SetCol(int32_t col) = 0;
  virtual bool GetStatic() const = 0;
  virtual void SetStatic(bool value) = 0;
  virtual int32_t GetOutRow() const = 0;
  virtual void SetOutRow(int32_t row) = 0;
  virtual int32_t GetOutCol() const = 0;
  virtual void SetOutCol(int32_t col) = 0;
  virtual std::string GetOutName() const = 0;
  virtual void SetOutName(const std::string& name) = 0;
  virtual float GetValue() const = 0;
  virtual void SetValue(float value) = 0;
};

// The definitions of a space, keyed by name (without regard to case), with a lazily built
// (column, row) index. Count, Delete, IndexOf, Contains and Clear come from ICollection.
class IParamDefCollection : public virtual ICollection {
 public:
  virtual Ref<IParamDef> GetByKey(const std::string& key) = 0;
  virtual Ref<IParamDef> GetByIndex(int index) = 0;
  virtual Ref<IParamDef> GetByName(const std::string& name) = 0;
  // False when the definition is not taken: a (non-empty) name that is there already, or
  // a place outside the matrix limits.
  virtual bool Add(const Ref<IParamDef>& def) = 0;
  virtual Ref<IParamDef> FindAt(int32_t col, int32_t row) = 0;
  virtual int32_t GetColCount() = 0;
  virtual int32_t GetRowCount(int32_t col) = 0;
};

class IParamSpace : public virtual IInterface {
 public:
  // Remembers the owner's space and builds the matrix: static cells get fresh storage
  // holding their loaded values, the others are bound to the owner's cells.
  virtual void SetOwnerSpace(const Ref<IParamSpace>& space) = 0;
  virtual void ReleaseOwnerSpace() = 0;
  virtual Ref<IParamDef> AddParamDef(const std::string& name, int32_t col, int32_t row,
                                     bool isStatic, const std::string& outName, float value) = 0;
  virtual int32_t GetColCount() = 0;
  virtual int32_t GetRowCount(int32_t col) const = 0;
  // Cell accessors never touch an unbound cell: reads give 0, writes are dropped.
  virtual float GetCellValue(int32_t col, int32_t row) const = 0;
  virtual void SetCellValue(int32_t col, int32_t row, float value) = 0;
  virtual float GetValueByName(const std::string& name) const = 0;
  virtual void SetValueByName(const std::string& name, float value) = 0;
  virtual float* GetCellPtr(int32_t col, int32_t row) const = 0;
  virtual float* GetCellPtrByName(const std::string& name) const = 0;
  virtual TFloatMatrix& GetMatrix() = 0;
  virtual Ref<IParamDefCollection> GetParamDefs() const = 0;
  // A second matrix bound like the own one, with private static cells holding the own
  // cells' current values; hand it back to DisposeMatrix.
  virtual void CreateMatrixCopy(TFloatMatrix& copy) = 0;
  virtual void DisposeMatrix(TFloatMatrix& matrix) = 0;
};

// "paramdef".
class TParamDef : public TPersistObject, public virtual IParamDef {
 public:
  void Init() override;

  int32_t GetRow() const override { return row_; }
  void SetRow(int32_t row) override { row_ = row; }
  int32_t GetCol() const override { return col_; }
  void SetCol(int32_t col) override { col_ = col; }
  bool GetStatic() const override { return static_; }
  void SetStatic(bool value) override { static_ = value; }
  int32_t GetOutRow() const override { return outRow_; }
  void SetOutRow(int32_t row) override { outRow_ = row; }
  int32_t GetOutCol() const override { return outCol_; }
  void SetOutCol(int32_t col) override { outCol_ = col; }
  std::string GetOutName() const override { return outName_; }
  void SetOutName(const std::string& name) override { outName_ = name; }
  float GetValue() const override { return value_; }
  void SetValue(float value) override { value_ = value; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  void LoadValue(const Ref<IHierStorage>& node);
  void SaveValue(const Ref<IHierStorage>& node);
  // "outname", or "outrow" and "outcol" (never written).
  void LoadBinding(const Ref<IHierStorage>& node);
  void SaveBinding(const Ref<IHierStorage>& node);

  int32_t row_ = -1;
  int32_t col_ = 0;
  bool static_ = false;
  int32_t outRow_ = 0;
  int32_t outCol_ = 0;
  std::string outName_;
  float value_ = 0;
};

// "paramdefs".
class TParamDefCollection : public TPersistItemCollection, public virtual IParamDefCollection {
 public:
  void Init() override;

  void Delete(const Variant& address) override;
  void Clear() override;
  Ref<IParamDef> GetByKey(const std::string& key) override { return GetByName(key); }
  Ref<IParamDef> GetByIndex(int index) override;
  Ref<IParamDef> GetByName(const std::string& name) override;
  bool Add(const Ref<IParamDef>& def) override;
  Ref<IParamDef> FindAt(int32_t col, int32_t row) override;
  int32_t GetColCount() override;
  int32_t GetRowCount(int32_t col) override;

 protected:
  // A repeated (col, row) reloads the definition already there; a place outside the
  // limits is skipped.
  Ref<IInterface> CreateItem(const Ref<IHierStorage>& child) override;
  // A definition without "row" takes the next free row of its column.
  void ItemLoaded(const Ref<IInterface>& item) override;

 private:
  void Invalidate();
  void BuildIndex();
  void IndexAdded(IParamDef* def);
  // Keeps a reloaded definition findable under the name its later element gave it.
  void Rekey(const Ref<IParamDef>& def);

  // The definition CreateItem handed out for reloading, until ItemLoaded sees it.
  IParamDef* reloading_ = nullptr;
  // The index: -1 columns while it is invalid.
  int32_t colCount_ = -1;
  std::vector<int32_t> rowCounts_;
  std::vector<std::vector<IParamDef*>> cells_;
};

// "paramspace".
class TParamSpace : public TPersistObject, public virtual IParamSpace {
 public:
  void Init() override;
  ~TParamSpace() override;

  void SetOwnerSpace(const Ref<IParamSpace>& space) override;
  void ReleaseOwnerSpace() override;
  Ref<IParamDef> AddParamDef(const std::string& name, int32_t col, int32_t row, bool isStatic,
                             const std::string& outName, float value) override;
  int32_t GetColCount() override { return defs_->GetColCount(); }
  int32_t GetRowCount(int32_t col) const override;
  float GetCellValue(int32_t col, int32_t row) const override;
  void SetCellValue(int32_t col, int32_t row, float value) override;
  float GetValueByName(const std::string& name) const override;
  void SetValueByName(const std::string& name, float value) override;
  float* GetCellPtr(int32_t col, int32_t row) const override;
  float* GetCellPtrByName(const std::string& name) const override;
  TFloatMatrix& GetMatrix() override { return matrix_; }
  Ref<IParamDefCollection> GetParamDefs() const override { return defs_; }
  void CreateMatrixCopy(TFloatMatrix& copy) override;
  void DisposeMatrix(TFloatMatrix& matrix) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

 private:
  void BuildMatrix(TFloatMatrix& matrix);
  void FreeMatrix(TFloatMatrix& matrix);

  Ref<IParamDefCollection> defs_;
  Ref<IParamSpace> ownerSpace_;
  TFloatMatrix matrix_;
  // Every static storage this space made, for its own matrix and for copies: only these
  // are ever released, whatever happened to the definitions since.
  std::unordered_set<float*> storage_;
};
