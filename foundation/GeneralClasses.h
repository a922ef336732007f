#pragma once
// The base of every object described by data, and the registry that builds objects from
// a registered type name and a parameter string.

#include <functional>
#include <string>

#include "foundation/Interface.h"
#include "foundation/Variant.h"

// Every data-described object is built in two phases: Init (virtual, so the most derived
// override runs; overrides call the inherited Init first), then SetParam for every pair
// of the construction string. C++ constructors cannot dispatch virtually, so objects
// are made through Create, never with a constructor of their own that does work.
class TAbstractObject : public TInterfacedObject {
 public:
  virtual void Init() {}
  // Unknown names are ignored; overrides never raise for them.
  virtual void SetParam(const std::string& name, const Variant& value) {
    (void)name;
    (void)value;
  }
  // Splits Params at "\" and "=" and hands every entry to SetParam, in order.
  void ApplyParams(const std::string& params);

  // Builds a T: Init, then ApplyParams. Exceptions from either propagate (and free it).
  template <class T>
  static Ref<T> Create(const std::string& params = {}) {
    Ref<T> object(new T());
    object->Init();
    object->ApplyParams(params);
    return object;
  }
};
