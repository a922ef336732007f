#pragma once
// The base of every object described by data, and the registry that builds objects from
// a registered type name and a parameter string.

#include <string>
#include <string_view>
#include <typeinfo>

#include "foundation/ElHashList.h"
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
  // Splits Params at "\" and "=" and hands every entry to SetParam, in order, values as
  // strings. Items without "=" give entries with an empty name and value at the end.
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

// A class reference: what the registry needs to make an instance of one class. There is
// exactly one per class (ClassOf<T>), so its address identifies the class.
struct TClassRef {
  TAbstractObject* (*NewInstance)();
  const std::type_info* Type;  // what the instances are, to find the class of an object
};
using TClass = const TClassRef*;

namespace class_ref_detail {
template <class T>
TAbstractObject* NewInstance() {
  return new T();
}
template <class T>
inline const TClassRef kClassRef{&NewInstance<T>, &typeid(T)};
}  // namespace class_ref_detail

template <class T>
TClass ClassOf() {
  return &class_ref_detail::kClassRef<T>;
}

// One registry entry, owned by the registry.
struct TClassRecord {
  std::string Name;  // as registered
  TClass ClassRef = nullptr;
};

// Case-insensitive names to classes. Names are kept as CRC-32 keys of their upper-cased
// text; registration order is kept for FindClassName.
class TClassesRegistry {
 public:
  TClassesRegistry();

  // "Duplicate entry." (EElHashListError) when the name is registered already.
  void RegisterClassName(TClass classRef, const std::string& name);
  template <class T>
  void RegisterClassName(const std::string& name) {
    RegisterClassName(ClassOf<T>(), name);
  }
  // The name the class was first registered under, '' when none.
  std::string FindClassName(TClass classRef) const;
  // The name the object's own (most derived) class was first registered under, ''
  // when none.
  std::string FindClassNameOf(const TAbstractObject& object) const;
  // The class registered under Name (any case), or nothing.
  TClass FindClass(std::string_view name) const;
  // Text is a registered name, optionally followed at once by "{" and a parameter string
  // closed by "}" (the last character is dropped unchecked). An unknown name gives
  // nothing; exceptions of Init or SetParam propagate.
  Ref<TAbstractObject> CreateRegisteredObject(std::string_view text) const;

  int Count() const { return list_.Count(); }

 private:
  TElHashList list_;
};

// The one registry of the program.
TClassesRegistry& ClassesRegistry();

// The same operations on the program's registry.
inline void RegisterClassName(TClass classRef, const std::string& name) {
  ClassesRegistry().RegisterClassName(classRef, name);
}
template <class T>
void RegisterClassName(const std::string& name) {
  ClassesRegistry().RegisterClassName<T>(name);
}
inline std::string FindClassName(TClass classRef) {
  return ClassesRegistry().FindClassName(classRef);
}
template <class T>
std::string FindClassName() {
  return ClassesRegistry().FindClassName(ClassOf<T>());
}
inline std::string FindClassNameOf(const TAbstractObject& object) {
  return ClassesRegistry().FindClassNameOf(object);
}
// A new instance of the class built with Params (Init, then ApplyParams); nothing for
// no class.
Ref<TAbstractObject> CreateObjectOfClass(TClass classRef, const std::string& params = {});
inline Ref<TAbstractObject> CreateRegisteredObject(std::string_view text) {
  return ClassesRegistry().CreateRegisteredObject(text);
}

// Registration. Every library has one function, Register<Subsystem>Classes(), that
// lists the type names of its creatable classes, one line each:
//   RegisterClassName<TImageWidget>("image_widget");
// The program calls them once at start-up, in build order (foundation, engine,
// functions, shell, widgets, gameplay, screens, minigames), before anything creates an
// object by name. Static initialisers are not used: the linker drops unreferenced
// objects of static libraries, and with them their registrations.
// Later calls do nothing.
void RegisterFoundationClasses();
