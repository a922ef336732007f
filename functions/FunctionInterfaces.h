#pragma once
// How every user reaches a parametric function: the function itself, the owner that lends
// it a parameter space, the collection of a composite's children and the path functions.

#include <cstdint>
#include <string>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"
#include "functions/ParamSpaces.h"

class IFunctionCollection;

// Lends its parameter space to the functions bound to it.
class IFunctionOwner : public virtual IInterface {
 public:
  virtual Ref<IParamSpace> GetParamSpace() = 0;
};

// A parametric function. The name comes from INamedObject.
class IFunction : public virtual INamedObject {
 public:
  // Binds the function's cells to the owner's (null: a top-level function, whose cells
  // must all be static); static cells return to their loaded values.
  virtual void SetOwner(IFunctionOwner* owner) = 0;
  virtual void Clear() = 0;
  // The one-time preparation: the "before" link, the class's hook, the "after" link.
  virtual void Execute() = 0;
  virtual Ref<IParamSpace> GetParamSpace() = 0;
  // 0 before the first SetOwner.
  virtual int32_t GetInputCount() = 0;
  virtual int32_t GetOutputCount() = 0;
  // Unbound or missing cells are never touched: writes are dropped, reads give 0.
  virtual void SetInput(int32_t index, float value) = 0;
  virtual void SetOutput(int32_t index, float value) = 0;
  virtual float GetOutput(int32_t index) = 0;
  virtual float GetParamValue(const std::string& name) = 0;
  virtual void SetParamValue(const std::string& name, float value) = 0;
  // The definition's Name at (col, row); empty when none.
  virtual std::string GetParamDefName(int32_t col, int32_t row) = 0;
  // The definition's OutName when set, else its Name: the user's property for the cell.
  virtual std::string GetParamName(int32_t col, int32_t row) = 0;
  // The function's own computation, run every frame.
  virtual void Calculate() = 0;
  // The children of a composite; null for the others.
  virtual Ref<IFunctionCollection> GetFunctions() = 0;
};

// The children of a composite function, keyed by name (without regard to case). Count,
// Delete, IndexOf, Contains and Clear come from ICollection.
class IFunctionCollection : public virtual ICollection {
 public:
  virtual Ref<IFunction> GetByKey(const std::string& key) = 0;
  virtual Ref<IFunction> GetByIndex(int index) = 0;
  virtual Ref<IFunction> GetByName(const std::string& name) = 0;
  // Stores the function under its name; false when the name is taken.
  virtual bool Add(const Ref<IFunction>& function) = 0;
};

// A function that turns an integer step into a point of a path: cells (0, 0) and (0, 1)
// are x and y, (1, 0) the step, (2, 4) the duration and (2, 5) the stored length.
class IPathFunction : public virtual IFunction {
 public:
  virtual int32_t GetDuration() = 0;
  virtual float GetStoredLength() = 0;
  virtual void GetBounds(TRect& bounds) = 0;
  virtual float GetX() = 0;
  virtual float GetY() = 0;
  // Cell (1, 0) := step, then Calculate.
  virtual void SetStep(int32_t step) = 0;
};
