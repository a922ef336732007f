#pragma once
// How every user reaches a parametric function: the function itself, the owner that lends
// it a parameter space, and the collection of a composite's children.

#include <string>

#include "foundation/Interface.h"
#include "functions/ParamSpaces.h"

class IFunctionCollection;

// Lends its parameter space to the functions bound to it.
class IFunctionOwner : public virtual IInterface {
 public:
  virtual Ref<IParamSpace> GetParamSpace() = 0;
};

class IFunction : public virtual IInterface {
 public:
  virtual std::string GetName() const = 0;
  virtual void SetName(const std::string& name) = 0;
  // Binds the function's cells to the owner's (null: a top-level function, whose cells
  // must all be static); static cells return to their loaded values.
  virtual void SetOwner(IFunctionOwner* owner) = 0;
  virtual void Clear() = 0;
  // The one-time preparation: the "before" link, the class's hook, the "after" link.
  virtual void Execute() = 0;
  virtual Ref<IParamSpace> GetParamSpace() = 0;
  virtual int32_t GetInputCount() = 0;
  virtual int32_t GetOutputCount() = 0;
  virtual void SetInput(int32_t index, float value) = 0;
  virtual void SetOutput(int32_t index, float value) = 0;
  virtual float GetOutput(int32_t index) = 0;
  virtual float GetParamValue(const std::string& name) = 0;
  virtual void SetParamValue(const std::string& name, float value) = 0;
  virtual std::string GetParamDefName(int32_t col, int32_t row) = 0;
  virtual std::string GetParamName(int32_t col, int32_t row) = 0;
  // The function's own computation, run every frame.
  virtual void Calculate() = 0;
  virtual Ref<IFunctionCollection> GetFunctions() = 0;
};

// The children of a composite function, keyed by name.
class IFunctionCollection : public virtual IInterface {
 public:
  virtual int Count() const = 0;
  virtual void Delete(const std::string& key) = 0;
  virtual int IndexOf(const std::string& key) const = 0;
  virtual bool Contains(const std::string& key) const = 0;
  virtual void Clear() = 0;
  virtual Ref<IFunction> GetByKey(const std::string& key) const = 0;
  virtual Ref<IFunction> GetByIndex(int index) const = 0;
  virtual Ref<IFunction> GetByName(const std::string& name) const = 0;
  virtual bool Add(const Ref<IFunction>& function) = 0;
};
