#pragma once
// Parametric functions: the common base, the collection of children, the composite, and
// every concrete class that data selects by type name (the registration is in
// FunctionRegistration.h).
//
// A function owns a parameter space (its child "paramspace"): column 0 holds its
// outputs, column 1 its inputs, further columns what each class reads. Users bind it with
// SetOwner, prepare it once with Execute and call Calculate every frame. A cell that is
// unbound (null) is never read or written: a calculation that needs it leaves its output
// unchanged.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/EngineGeneralClasses.h"
#include "functions/FunctionInterfaces.h"
#include "functions/ParseExpr.h"

// "functions": the children of a composite, each created from its element's "type".
class TFunctionCollection : public TTypedCreationPersistItemCollection,
                            public virtual IFunctionCollection {
 public:
  void Init() override;

  void Delete(const Variant& address) override;
  void Clear() override;
  Ref<IFunction> GetByKey(const std::string& key) override { return GetByName(key); }
  Ref<IFunction> GetByIndex(int index) override;
  Ref<IFunction> GetByName(const std::string& name) override;
  // Unnamed functions are all taken (under keys of their own).
  bool Add(const Ref<IFunction>& function) override;

  // The children in order, for the loops that run every frame (no reference counting,
  // no lookup). Valid until the collection changes.
  const std::vector<IFunction*>& Functions();

  // What every composite does with its children.
  void SetOwnerAll(IFunctionOwner* owner);
  void ExecuteAll();
  void CalculateAll();
  void ClearAll();

 protected:
  void ItemLoaded(const Ref<IInterface>& item) override;

 private:
  std::vector<IFunction*> functions_;
  bool listed_ = false;
};

// The base of every function ("function"); it has no type name of its own.
class TFunction : public TPersistObject, public IFunctionOwner, public virtual IFunction {
 public:
  void Init() override;

  // IFunctionOwner: children and the preparation function bind to this function's cells.
  Ref<IParamSpace> GetParamSpace() override { return paramSpace_; }

  void SetOwner(IFunctionOwner* owner) override;
  void Clear() override;
  void Execute() override;
  int32_t GetInputCount() override { return paramSpace_->GetRowCount(1); }
  int32_t GetOutputCount() override { return paramSpace_->GetRowCount(0); }
  void SetInput(int32_t index, float value) override { paramSpace_->SetCellValue(1, index, value); }
  void SetOutput(int32_t index, float value) override {
    paramSpace_->SetCellValue(0, index, value);
  }
  float GetOutput(int32_t index) override { return paramSpace_->GetCellValue(0, index); }
  float GetParamValue(const std::string& name) override {
    return paramSpace_->GetValueByName(name);
  }
  void SetParamValue(const std::string& name, float value) override {
    paramSpace_->SetValueByName(name, value);
  }
  std::string GetParamDefName(int32_t col, int32_t row) override;
  std::string GetParamName(int32_t col, int32_t row) override;
  Ref<IFunctionCollection> GetFunctions() override { return nullptr; }

  // "name", the child "paramspace" and the optional child "preparation_function".
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  Ref<IFunction> GetPreparationFunction() const { return preparation_; }
  void SetPreparationFunction(const Ref<IFunction>& function) { preparation_ = function; }
  IFunctionOwner* GetOwner() const { return owner_; }

 protected:
  virtual void RunBefore();
  // The class's hook between the preparation links; nothing in the base.
  virtual void DoCalculate() {}
  virtual void RunAfter();

  // The bound matrix, for the classes' calculations: counts are 0 and cells null before
  // the first SetOwner and outside the matrix.
  int32_t ColCount() const { return matrix_ ? static_cast<int32_t>(matrix_->size()) : 0; }
  int32_t RowCount(int32_t col) const;
  float* Cell(int32_t col, int32_t row) const;
  // The column's cells (empty outside the matrix).
  const std::vector<float*>& Column(int32_t col) const;
  // Every cell of the column bound.
  static bool AllBound(const std::vector<float*>& column);

  IFunctionOwner* owner_ = nullptr;  // back link: the owner holds this function
  Ref<IParamSpace> paramSpace_;
  TFloatMatrix* matrix_ = nullptr;  // the space's matrix, fetched after every binding

 private:
  Ref<IFunction> preparation_;
  Ref<IFunction> beforeLink_;
  Ref<IFunction> afterLink_;
};

// A function of Base's kind with children in "functions", bound to its own cells: they
// take it as their owner, run before it and are cleared with it.
template <class Base>
class TParentFunction : public Base {
 public:
  void Init() override {
    Base::Init();
    functions_ = TAbstractObject::Create<TFunctionCollection>();
  }
  void SetOwner(IFunctionOwner* owner) override {
    Base::SetOwner(owner);
    functions_->SetOwnerAll(this);
  }
  void Clear() override {
    functions_->ClearAll();
    Base::Clear();
  }
  Ref<IFunctionCollection> GetFunctions() override { return functions_; }
  TFunctionCollection& Children() { return *functions_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override {
    Base::LoadFromXml(node);
    functions_ = TAbstractObject::Create<TFunctionCollection>();
    LoadObjectFromChild(functions_, node, "functions");
  }
  void SaveToXml(const Ref<IHierStorage>& node) override {
    Base::SaveToXml(node);
    SaveObjectToChild(functions_, node, "functions");
  }

 protected:
  void RunBefore() override {
    Base::RunBefore();
    functions_->ExecuteAll();
  }

  Ref<TFunctionCollection> functions_;
};

// "function_complex": calculates every child in turn.
class TComplexFunction : public TParentFunction<TFunction> {
 public:
  void Calculate() override;
};

// Calculates one child, chosen by GetIndex; no child for an index outside the children.
class TSelectorFunction : public TComplexFunction {
 public:
  void Calculate() override;
  virtual int32_t GetIndex() = 0;
};

// "function_selector", "function_selector_func": child 0 computes the index in its
// out(0) and is also the candidate at index 0.
class TFuncSelectorFunction : public TSelectorFunction {
 public:
  int32_t GetIndex() override;
};

// "function_selector_const": the index is the cell (2, 0).
class TConstSelectorFunction : public TSelectorFunction {
 public:
  int32_t GetIndex() override;
};

// Functions whose every column k >= 1 is one input group with its result in out(k - 1).
class TColumnFunction : public TFunction {
 public:
  void Calculate() final;

 protected:
  // False leaves the output unchanged. Every cell of the column is bound.
  virtual bool CalculateColumn(const std::vector<float*>& column, float& result) = 0;
};

// "function_sum": c0 + c1 + ...; 0 for an empty column.
class TSumFunction : public TColumnFunction {
 protected:
  bool CalculateColumn(const std::vector<float*>& column, float& result) override;
};

// "function_multiply": c0 * c1 * ...; 1 for an empty column.
class TMultiplyFunction : public TColumnFunction {
 protected:
  bool CalculateColumn(const std::vector<float*>& column, float& result) override;
};

// "function_substr": c0 - c1 - ...; 0 for an empty column.
class TSubstrFunction : public TColumnFunction {
 protected:
  bool CalculateColumn(const std::vector<float*>& column, float& result) override;
};

// "function_division": c0 divided by every later cell that is not 0.
class TDivisionFunction : public TColumnFunction {
 protected:
  bool CalculateColumn(const std::vector<float*>& column, float& result) override;
};

// "function_polinom2": x, a, b, c give x*x*a + x*b + c.
class TPolinom2Function : public TColumnFunction {
 protected:
  bool CalculateColumn(const std::vector<float*>& column, float& result) override;
};

// "function_sin": amplitude, t, period, phase, offsets...
class TSinFunction : public TColumnFunction {
 protected:
  bool CalculateColumn(const std::vector<float*>& column, float& result) override;
};

// "function_linear_segment": from, to, t, duration.
class TLinearSegmentFunction : public TColumnFunction {
 protected:
  bool CalculateColumn(const std::vector<float*>& column, float& result) override;
};

// "function_random": range, offsets...: a uniform draw in [0, range) plus the offsets.
class TRandomFunction : public TColumnFunction {
 protected:
  bool CalculateColumn(const std::vector<float*>& column, float& result) override;
};

// "function_int_random": range, offsets...: Random(Trunc(range)) plus the offsets.
class TIntRandomFunction : public TColumnFunction {
 protected:
  bool CalculateColumn(const std::vector<float*>& column, float& result) override;
};

// "function_switch": a, b, less, equal, greater.
class TSwitchFunction : public TColumnFunction {
 protected:
  bool CalculateColumn(const std::vector<float*>& column, float& result) override;
};

// "function_arithmetic": operands in column 2i + 1 joined left to right by the codes in
// column 2i + 2 (0 +, 1 -, 2 *, 3 /, 4 max, 5 min, 6 mod, 7 div); the result in out(i).
// A zero divisor of 3, 6 and 7 leaves the value as it is, like the division function.
class TArithmeticFunction : public TFunction {
 public:
  void Calculate() override;
};

// "function_interval": x := c(1, i); the value of the first threshold in column 2i + 2
// that x does not exceed, from column 2i + 3; the last value past them.
class TIntervalFunction : public TFunction {
 public:
  void Calculate() override;
};

// "function_piecewise": x := c(1, 0); linear interpolation between the knots of column
// 2i + 2 and the values of column 2i + 3.
class TPiecewiseLinearInterpolationFunction : public TFunction {
 public:
  void Calculate() override;
};

// "function_montecarlo": a random pixel of a surface whose alpha reaches a threshold.
// Cell (1, 0) holds a surface handle (SurfaceHandles.h), (1, 1) the threshold, (1, 2) the
// tries; outputs found, x, y, red, green, blue, alpha.
class TMonteCarloFunction : public TFunction {
 public:
  // Tries past this are not made: a stray count must not stall the frame.
  static constexpr int32_t kMaxTries = 65536;
  void Calculate() override;
};

// "function_eval": a program of expression lines over the cells of its space. Each cell
// is a variable of the parser, named by its definition; assignments write into the cells.
// Any failure, compiling or evaluating, disables the function until it is bound again.
class TEvalFunction : public TFunction {
 public:
  void Init() override;

  void SetOwner(IFunctionOwner* owner) override;
  void Clear() override;
  void Calculate() override;

  // The base, then the text of the child element "expression".
  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;

  // Run after every binding: defines the cells as variables and compiles the lines.
  void Compile();

  const std::string& GetExpression() const { return expression_; }
  void SetExpression(const std::string& text) { expression_ = text; }
  bool IsCompiled() const { return compiled_; }
  // What disabled the function (empty while it works), for tools and content authors;
  // also said on the warning channel, naming the file the function was read from.
  const std::string& GetLastError() const { return lastError_; }
  // The value of the last line at the last Calculate.
  float GetLastValue() const { return lastValue_; }

 private:
  void Reset(const std::string& error);

  TExpressionParser parser_;
  std::string expression_;
  bool compiled_ = false;
  std::string lastError_;
  float lastValue_ = 0;
  std::string dataFile_;
};
