#pragma once
// Parametric functions: the common base and the expression function.
//
// Loading from XML ("paramspace", "preparation_function", "expression") and the other
// function classes come with the persistent object base; until then a function is set up
// through its parameter space and the setters below.

#include <string>

#include "foundation/GeneralClasses.h"
#include "functions/FunctionInterfaces.h"
#include "functions/ParseExpr.h"

class TFunction : public TAbstractObject, public IFunctionOwner, public IFunction {
 public:
  void Init() override;

  // IFunctionOwner: children and the preparation function bind to this function's cells.
  Ref<IParamSpace> GetParamSpace() override { return paramSpace_; }

  std::string GetName() const override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }
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

  Ref<IFunction> GetPreparationFunction() const { return preparation_; }
  void SetPreparationFunction(const Ref<IFunction>& function) { preparation_ = function; }

 protected:
  virtual void RunBefore();
  // The class's hook between the preparation links; nothing in the base.
  virtual void DoCalculate() {}
  virtual void RunAfter();

  IFunctionOwner* owner_ = nullptr;  // back link: the owner holds this function
  Ref<IParamSpace> paramSpace_;
  TFloatMatrix* matrix_ = nullptr;  // the space's matrix, fetched after every binding

 private:
  std::string name_;
  Ref<IFunction> preparation_;
  Ref<IFunction> beforeLink_;
  Ref<IFunction> afterLink_;
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

  // Run after every binding: defines the cells as variables and compiles the lines.
  void Compile();

  const std::string& GetExpression() const { return expression_; }
  void SetExpression(const std::string& text) { expression_ = text; }
  bool IsCompiled() const { return compiled_; }
  // What disabled the function (empty while it works), for tools and content authors.
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
};
