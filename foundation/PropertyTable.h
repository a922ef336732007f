#pragma once
// Properties declared once. A class lists its properties in a table beside it: the name,
// how the value is read and written, its form in XML, its default, when it is left out of
// a saved file and what a change of it means. The base classes answer GetProperty,
// SetProperty, LoadFromXml and SaveToXml from the tables of the class chain, so nobody
// writes a property's name a second time.
//
//   const TPropertyTable& TLogo::Properties() {
//     static const TPropertyTable table(TPropertyObject::Properties(), {
//         Prop("alpha", &TLogo::alpha_).Float(1.0),             // property and attribute
//         Prop("size", &TLogo::GetSize, &TLogo::SetSize).Int(),  // through a getter and setter
//         Prop("area", &TLogo::GetArea),                         // read only, not in files
//         Attr("file", &TLogo::file_).Str().Always(),            // attribute only, always written
//     });
//     return table;
//   }
//
// Rows are read from a node in the order of the chain, base class first, and written in
// the same order, so the attributes of a saved element keep that order. A row over a field
// and a setter function writes properties through the setter (its side effects are for
// changes at run time) and reads files straight into the field; a row whose getter is a
// function reads files through its setter. Attribute code of its own goes in its place
// with Custom(name, load, save), or replaces a row's form with Xml(load, save).
//
// A property is found by name through an index built once per class: the most derived
// class's row that reads, and the one that writes, each name. Callers that read or write
// one property often (the function a widget is bound to) keep its rows and use them
// without looking the name up again. ReadOnly() and WriteOnly() leave the other direction
// to the base classes; AfterAliases() puts a widget's row after its aliases and extra
// parameters; Redraws() and Invalidates() tell the object when a field row changed.
//
// Values: what the getter gives becomes a Variant by its C++ type (bool, integer, floating,
// string, Variant, Ref of an interface). SetProperty converts the value to the setter's type
// and ignores a value that does not convert; an integer saturates to 32 bits, then narrows
// as a cast does. XML forms: Int (decimal, "$" hexadecimal read too), Hex ("$AARRGGBB"; set
// as a property, text is read as a number too and bad text gives 0), Bool ("yes"/"no"),
// Float (rounded to FloatPrecision), Str, Text (translated when read), Enum (one name of a
// "/"-separated list). An integer read from XML that does not fit the field saturates. A
// default is a value, a member pointer (the default follows another field) or a callable
// taking the object.
//
// Saving: an attribute is written with force when it differs from its default, so files
// keep no defaults, and left as it is otherwise (a node that holds another value gets the
// default). Always() writes it always, SavedWhen(p) forces it exactly when p holds, and
// SkipDefault() writes nothing at all at the default. NotSaved() only reads it.
// Coordinate() keeps a value in pixels within the limit of data coordinates.

#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "foundation/CheckedMath.h"
#include "foundation/PersistenceService.h"
#include "foundation/Variant.h"
#include "foundation/XmlAttributes.h"

class TPersistObject;
class TPropertyTable;

// ---------------------------------------------------------------------------------------
// Rows

namespace property_detail {

// How one row reaches the value of an object: made by Prop, Attr and Custom.
class TAccess {
 public:
  virtual ~TAccess() = default;
  virtual bool CanRead() const = 0;
  virtual bool CanWrite() const = 0;
  virtual Variant Get(TPersistObject& object) const = 0;
  // False when the value does not convert or equals the stored one.
  virtual bool Set(TPersistObject& object, const Variant& value) const = 0;
  // The value as a number, as Get(...).TryDouble() gives it.
  virtual bool GetNumber(TPersistObject& object, double& value) const = 0;
  // Set(Variant(value)), without the Variant for numeric values.
  virtual bool SetNumber(TPersistObject& object, double value) const = 0;
  virtual void Load(TPersistObject& object, const class TRowXml& xml,
                    const Ref<IHierStorage>& node) const = 0;
  virtual void Save(TPersistObject& object, const class TRowXml& xml,
                    const Ref<IHierStorage>& node) const = 0;
};

enum class TForm : uint8_t { None, Int, Hex, Bool, Float, Str, Text, Enum };
enum class TSaveMode : uint8_t { Changed, Always, When, SkipDefault, Never };

// What a row needs to read and write its attribute.
class TRowXml {
 public:
  std::string name;
  std::string enumList;
  TForm form = TForm::None;
  TSaveMode save = TSaveMode::Changed;
};

}  // namespace property_detail

// One property or attribute of a class: see the top of this file.
class TPropertyRow {
 public:
  const std::string& Name() const { return xml_.name; }
  bool IsProperty() const { return property_; }
  bool CanRead() const { return property_ && !writeOnly_ && access_ && access_->CanRead(); }
  bool CanWrite() const { return property_ && !readOnly_ && access_ && access_->CanWrite(); }
  bool InXml() const { return custom_ || xml_.form != TForm::None; }
  // Answered after a widget's aliases and extra parameters, not before.
  bool AfterAliases() const { return afterAliases_; }
  // A change calls for a redraw / changes the place or size.
  bool Redraws() const { return redraws_; }
  bool Invalidates() const { return invalidates_; }
  // The table that declares the row.
  const TPropertyTable* Table() const { return table_; }

  Variant Get(TPersistObject& object) const { return access_->Get(object); }
  // Values that do not convert are ignored; true when the stored value changed.
  bool Set(TPersistObject& object, const Variant& value) const {
    return access_->Set(object, value);
  }
  bool GetNumber(TPersistObject& object, double& value) const {
    return access_->GetNumber(object, value);
  }
  bool SetNumber(TPersistObject& object, double value) const {
    return access_->SetNumber(object, value);
  }
  void Load(TPersistObject& object, const Ref<IHierStorage>& node) const;
  void Save(TPersistObject& object, const Ref<IHierStorage>& node) const;

 private:
  using TForm = property_detail::TForm;
  template <class C, class T>
  friend class TRowBuilder;
  template <class C>
  friend class TCustomRowBuilder;
  friend class TPropertyTable;

  property_detail::TRowXml xml_;
  std::shared_ptr<const property_detail::TAccess> access_;
  std::function<void(TPersistObject&, const Ref<IHierStorage>&)> customLoad_;
  std::function<void(TPersistObject&, const Ref<IHierStorage>&)> customSave_;
  const TPropertyTable* table_ = nullptr;
  bool custom_ = false;
  bool property_ = false;
  bool readOnly_ = false;
  bool writeOnly_ = false;
  bool afterAliases_ = false;
  bool redraws_ = false;
  bool invalidates_ = false;
};

// The rows of one class, chained to the table of its base class, with an index of the
// property names of the whole chain built once.
class TPropertyTable {
 public:
  TPropertyTable(std::initializer_list<TPropertyRow> rows);
  TPropertyTable(const TPropertyTable& base, std::initializer_list<TPropertyRow> rows);
  TPropertyTable(const TPropertyTable&) = delete;
  TPropertyTable& operator=(const TPropertyTable&) = delete;

  // The row of the most derived class that reads (writes) the property Name; nothing when
  // no class of the chain does.
  const TPropertyRow* Reader(std::string_view name) const;
  const TPropertyRow* Writer(std::string_view name) const;
  // Whether Row belongs to this table or to a table derived from it.
  bool Declares(const TPropertyRow* row) const;

  // The attributes of every row of the chain, base class first.
  void Load(TPersistObject& object, const Ref<IHierStorage>& node) const;
  void Save(TPersistObject& object, const Ref<IHierStorage>& node) const;

  // Look-ups by name so far, for tests that show a path makes none.
  static uint64_t LookupCount();

 private:
  struct Entry {
    std::string_view name;
    const TPropertyRow* reader = nullptr;
    const TPropertyRow* writer = nullptr;
  };
  const Entry* Find(std::string_view name) const;

  const TPropertyTable* base_ = nullptr;
  std::vector<TPropertyRow> rows_;
  std::vector<Entry> index_;  // sorted by name
};

// ---------------------------------------------------------------------------------------
// Building rows

namespace property_detail {

template <class T>
using Plain = std::remove_cvref_t<T>;

template <class T>
constexpr bool kInteger = std::is_integral_v<T> && !std::is_same_v<T, bool>;

template <class T>
struct IsRef : std::false_type {};
template <class T>
struct IsRef<Ref<T>> : std::true_type {
  using Interface = T;
};

// The class a member pointer belongs to; void for anything else.
template <class M>
struct MemberClass {
  using type = void;
};
template <class C, class M>
struct MemberClass<M C::*> {
  using type = C;
};
template <class F>
using ClassOfMember = typename MemberClass<Plain<F>>::type;

// The class of the object: given, else taken from the member pointers (the more derived).
template <class Given, class G, class S>
struct ObjectClass {
  using FromGetter = ClassOfMember<G>;
  using FromSetter = ClassOfMember<S>;
  using type = std::conditional_t<
      !std::is_void_v<Given>, Given,
      std::conditional_t<std::is_void_v<FromGetter>, FromSetter,
                         std::conditional_t<std::is_void_v<FromSetter> ||
                                                std::is_base_of_v<FromSetter, FromGetter>,
                                            FromGetter, FromSetter>>>;
};

template <class T>
Variant ToVariant(const T& value) {
  if constexpr (std::is_same_v<T, Variant>)
    return value;
  else if constexpr (std::is_same_v<T, bool>)
    return Variant(value);
  else if constexpr (kInteger<T>)
    return Variant(int(value));
  else if constexpr (std::is_floating_point_v<T>)
    return Variant(double(value));
  else if constexpr (IsRef<T>::value)
    return Variant(Ref<IInterface>(value.get()));
  else
    return Variant(std::string(value));
}

template <class T>
T IntegerFrom(int64_t value) {
  return T(SaturateInt32(value));
}

// Value to T as SetProperty converts it; false when it does not convert.
template <class T>
bool FromVariant(const Variant& value, bool color, T& out) {
  if constexpr (std::is_same_v<T, Variant>) {
    out = value;
  } else if constexpr (std::is_same_v<T, bool>) {
    auto v = value.TryBool();
    if (!v) return false;
    out = *v;
  } else if constexpr (kInteger<T>) {
    if (color) {
      out = T(ColorFromVariant(value));
      return true;
    }
    auto v = value.TryInt();
    if (!v) return false;
    out = IntegerFrom<T>(*v);
  } else if constexpr (std::is_floating_point_v<T>) {
    auto v = value.TryDouble();
    if (!v) return false;
    out = T(*v);
  } else if constexpr (IsRef<T>::value) {
    if (value.GetKind() != Variant::Kind::Interface) return false;
    out = Supports<typename IsRef<T>::Interface>(value.RawInterface());
  } else {
    out = value.ToString();
  }
  return true;
}

// An integer read from XML into a narrower field saturates.
template <class T>
T FieldFromXml(int32_t value) {
  if constexpr (kInteger<T> && std::is_signed_v<T>) {
    using L = std::numeric_limits<T>;
    if (int64_t(value) < int64_t(L::min())) return L::min();
    if (int64_t(value) > int64_t(L::max())) return L::max();
    return T(value);
  } else if constexpr (kInteger<T>) {
    if (value < 0) return 0;
    if (uint64_t(value) > uint64_t(std::numeric_limits<T>::max()))
      return std::numeric_limits<T>::max();
    return T(value);
  } else {
    return T(value);
  }
}

// The typed half of a row: default and save condition, and the XML forms over T.
template <class C, class T>
class TTypedAccess : public TAccess {
 public:
  std::function<T(C&)> def = [](C&) { return T{}; };
  std::function<bool(C&)> saveWhen;
  bool color = false;
  bool coordinate = false;

  // A coordinate kept within the limit of data coordinates; anything else as it is.
  T Limited(T value) const {
    if constexpr (kInteger<T> && std::is_signed_v<T>) {
      if (coordinate) return T(ClampCoordinate(int64_t(value)));
    } else if constexpr (std::is_floating_point_v<T>) {
      if (coordinate) return T(ClampCoordinate(double(value)));
    }
    return value;
  }

  virtual T Value(C& object) const = 0;
  // A value read from XML: into the field when the getter is one, else through the setter.
  virtual void Assign(C& object, const T& value) const = 0;

  void Load(TPersistObject& object, const TRowXml& xml,
            const Ref<IHierStorage>& node) const override {
    C& c = static_cast<C&>(object);
    T d = def(c);
    if constexpr (std::is_same_v<T, bool>) {
      if (xml.form == TForm::Bool) return Assign(c, ReadXmlBool(node, xml.name, d));
    } else if constexpr (kInteger<T>) {
      switch (xml.form) {
        case TForm::Int:
          return Assign(c, Limited(FieldFromXml<T>(ReadXmlInt(node, xml.name, int32_t(d)))));
        case TForm::Hex:
          return Assign(c, T(ReadXmlHex(node, xml.name, uint32_t(d))));
        case TForm::Enum:
          return Assign(c, T(ReadXmlEnum(node, xml.name, xml.enumList, int(d))));
        default:
          break;
      }
    } else if constexpr (std::is_floating_point_v<T>) {
      if (xml.form == TForm::Float)
        return Assign(c, Limited(T(ReadXmlFloat(node, xml.name, double(d)))));
    } else if constexpr (std::is_same_v<T, std::string>) {
      if (xml.form == TForm::Str) return Assign(c, ReadXmlStr(node, xml.name, d));
      if (xml.form == TForm::Text) return Assign(c, ReadXmlText(node, xml.name, d));
    }
  }

  void Save(TPersistObject& object, const TRowXml& xml,
            const Ref<IHierStorage>& node) const override {
    C& c = static_cast<C&>(object);
    T value = Value(c);
    bool force = true;
    switch (xml.save) {
      case TSaveMode::Never:
        return;
      case TSaveMode::Always:
        break;
      case TSaveMode::When:
        force = saveWhen(c);
        break;
      case TSaveMode::Changed:
        force = !(value == def(c));
        break;
      case TSaveMode::SkipDefault:
        if (value == def(c)) return;
        break;
    }
    if constexpr (std::is_same_v<T, bool>) {
      WriteXmlBool(node, xml.name, value, force);
    } else if constexpr (kInteger<T>) {
      if (xml.form == TForm::Int) WriteXmlInt(node, xml.name, int32_t(value), force);
      if (xml.form == TForm::Hex) WriteXmlHex(node, xml.name, uint32_t(value), force);
      if (xml.form == TForm::Enum) WriteXmlEnum(node, xml.name, xml.enumList, force, int(value));
    } else if constexpr (std::is_floating_point_v<T>) {
      WriteXmlFloat(node, xml.name, double(value), force);
    } else if constexpr (std::is_same_v<T, std::string>) {
      WriteXmlStr(node, xml.name, value, force);
    }
  }
};

// The row over a getter G and a setter S: member pointers to data or functions, or
// callables taking the object (std::nullptr_t for none).
template <class C, class T, class G, class S>
class TAccessOf final : public TTypedAccess<C, T> {
 public:
  TAccessOf(G getter, S setter) : get_(getter), set_(setter) {}

  bool CanRead() const override { return !std::is_null_pointer_v<G>; }
  bool CanWrite() const override { return !std::is_null_pointer_v<S>; }

  T Value(C& object) const override {
    if constexpr (std::is_null_pointer_v<G>)
      return T{};
    else
      return T(std::invoke(get_, object));
  }

  void Assign(C& object, const T& value) const override {
    if constexpr (std::is_member_object_pointer_v<G>)
      object.*get_ = value;
    else if constexpr (std::is_member_object_pointer_v<S>)
      object.*set_ = value;
    else if constexpr (!std::is_null_pointer_v<S>)
      std::invoke(set_, object, value);
  }

  Variant Get(TPersistObject& object) const override {
    if constexpr (std::is_null_pointer_v<G>)
      return Variant::Null();
    else
      return ToVariant<T>(std::invoke(get_, static_cast<C&>(object)));
  }

  bool Set(TPersistObject& object, const Variant& value) const override {
    T converted{};
    if (!FromVariant<T>(value, this->color, converted)) return false;
    return Store(static_cast<C&>(object), this->Limited(converted));
  }

  bool GetNumber(TPersistObject& object, double& value) const override {
    if constexpr ((kInteger<T> || std::is_floating_point_v<T>)&&!std::is_null_pointer_v<G>) {
      value = double(T(std::invoke(get_, static_cast<C&>(object))));
      return true;
    } else {
      auto v = Get(object).TryDouble();
      if (!v) return false;
      value = *v;
      return true;
    }
  }

  bool SetNumber(TPersistObject& object, double value) const override {
    if constexpr (std::is_floating_point_v<T>) {
      return Store(static_cast<C&>(object), this->Limited(T(value)));
    } else if constexpr (kInteger<T>) {
      if (this->color) return Store(static_cast<C&>(object), T(ColorFromVariant(Variant(value))));
      if (!std::isfinite(value)) return false;
      return Store(static_cast<C&>(object), this->Limited(IntegerFrom<T>(RoundHalfEven64(value))));
    } else {
      return Set(object, Variant(value));
    }
  }

 private:
  // A field takes the value when it differs; a setter function is always called and does
  // its own comparing.
  bool Store(C& object, const T& value) const {
    if constexpr (std::is_null_pointer_v<S>) {
      return false;
    } else if constexpr (std::is_member_object_pointer_v<S>) {
      if (object.*set_ == value) return false;
      object.*set_ = value;
      return true;
    } else {
      std::invoke(set_, object, value);
      return true;
    }
  }

  G get_;
  S set_;
};

// Row code of its own, for attributes that no form describes.
template <class C>
using TXmlCode = std::function<void(C&, const Ref<IHierStorage>&)>;

template <class C>
std::function<void(TPersistObject&, const Ref<IHierStorage>&)> Erase(TXmlCode<C> code) {
  if (!code) return nullptr;
  return [code = std::move(code)](TPersistObject& object, const Ref<IHierStorage>& node) {
    code(static_cast<C&>(object), node);
  };
}

}  // namespace property_detail

// What Prop and Attr give: a row under construction. Every call returns the builder, and
// the builder becomes the row where the table takes it.
template <class C, class T>
class TRowBuilder {
 public:
  using Form = property_detail::TForm;
  using SaveMode = property_detail::TSaveMode;

  template <class G, class S>
  TRowBuilder(std::string_view name, bool property, G getter, S setter) {
    auto access = std::make_shared<property_detail::TAccessOf<C, T, G, S>>(getter, setter);
    typed_ = access.get();
    row_.access_ = std::move(access);
    row_.xml_.name = std::string(name);
    row_.property_ = property;
  }

  // The XML form and the default: a value, a member pointer of the object (the default
  // follows another field) or a callable taking the object.
  template <class D = T>
  TRowBuilder& Int(D def = D{}) {
    return SetForm(Form::Int, def);
  }
  template <class D = T>
  TRowBuilder& Hex(D def = D{}) {
    typed_->color = true;
    return SetForm(Form::Hex, def);
  }
  template <class D = bool>
  TRowBuilder& Bool(D def = false) {
    return SetForm(Form::Bool, def);
  }
  template <class D = double>
  TRowBuilder& Float(D def = 0.0) {
    return SetForm(Form::Float, def);
  }
  template <class D = std::string>
  TRowBuilder& Str(D def = {}) {
    return SetForm(Form::Str, def);
  }
  // A text the player sees: translated when read.
  template <class D = std::string>
  TRowBuilder& Text(D def = {}) {
    return SetForm(Form::Text, def);
  }
  // One of the "/"-separated names of List, held as its index.
  template <class D = int>
  TRowBuilder& Enum(std::string_view list, D def = 0) {
    row_.xml_.enumList = std::string(list);
    return SetForm(Form::Enum, def);
  }

  // A coordinate, size, offset or spacing in pixels: kept within kDataCoordinateLimit of 0
  // when read from a file or set, so that the sums layouts make of them cannot overflow.
  TRowBuilder& Coordinate() {
    typed_->coordinate = true;
    return *this;
  }

  TRowBuilder& Always() { return Save(SaveMode::Always); }
  template <class P>
  TRowBuilder& SavedWhen(P when) {
    typed_->saveWhen = [when](C& object) { return bool(std::invoke(when, object)); };
    return Save(SaveMode::When);
  }
  TRowBuilder& SkipDefault() { return Save(SaveMode::SkipDefault); }
  TRowBuilder& NotSaved() { return Save(SaveMode::Never); }
  // Attribute code of its own in place of the form (either may be nullptr).
  TRowBuilder& Xml(property_detail::TXmlCode<C> load, property_detail::TXmlCode<C> save) {
    row_.customLoad_ = property_detail::Erase<C>(std::move(load));
    row_.customSave_ = property_detail::Erase<C>(std::move(save));
    row_.custom_ = true;
    return *this;
  }

  TRowBuilder& ReadOnly() { return Mark(&TPropertyRow::readOnly_); }
  TRowBuilder& WriteOnly() { return Mark(&TPropertyRow::writeOnly_); }
  TRowBuilder& AfterAliases() { return Mark(&TPropertyRow::afterAliases_); }
  TRowBuilder& Redraws() { return Mark(&TPropertyRow::redraws_); }
  TRowBuilder& Invalidates() { return Mark(&TPropertyRow::invalidates_); }

  operator TPropertyRow() const { return row_; }

 private:
  template <class D>
  TRowBuilder& SetForm(Form form, D def) {
    row_.xml_.form = form;
    if constexpr (std::is_invocable_v<D, C&>)
      typed_->def = [def](C& object) { return T(std::invoke(def, object)); };
    else
      typed_->def = [value = T(def)](C&) { return value; };
    return *this;
  }
  TRowBuilder& Save(SaveMode mode) {
    row_.xml_.save = mode;
    return *this;
  }
  TRowBuilder& Mark(bool TPropertyRow::*flag) {
    row_.*flag = true;
    return *this;
  }

  TPropertyRow row_;
  property_detail::TTypedAccess<C, T>* typed_ = nullptr;
};

// A row with attribute code of its own and no property.
template <class C>
class TCustomRowBuilder {
 public:
  TCustomRowBuilder(std::string_view name, property_detail::TXmlCode<C> load,
                    property_detail::TXmlCode<C> save) {
    row_.xml_.name = std::string(name);
    row_.customLoad_ = property_detail::Erase<C>(std::move(load));
    row_.customSave_ = property_detail::Erase<C>(std::move(save));
    row_.custom_ = true;
  }
  operator TPropertyRow() const { return row_; }

 private:
  TPropertyRow row_;
};

namespace property_detail {

template <class Given, class G, class S>
using ObjectOf = typename ObjectClass<Given, G, S>::type;

// The argument of a setter: a member function, or a callable taking the object first.
template <class F>
struct SetterArg : SetterArg<decltype(&F::operator())> {};
template <class C, class R, class A>
struct SetterArg<R (C::*)(A)> {
  using type = Plain<A>;
};
template <class L, class R, class C, class A>
struct SetterArg<R (L::*)(C, A) const> {
  using type = Plain<A>;
};

// The value type: what the getter gives, else what the setter takes.
template <class C, class G, class S>
struct ValueOf {
  static auto Pick() {
    if constexpr (!std::is_null_pointer_v<G>)
      return std::type_identity<Plain<std::invoke_result_t<G, C&>>>{};
    else if constexpr (std::is_member_object_pointer_v<S>)
      return std::type_identity<Plain<std::invoke_result_t<S, C&>>>{};
    else
      return std::type_identity<typename SetterArg<S>::type>{};
  }
  using type = typename decltype(Pick())::type;
};

template <class Given, class G, class S>
auto MakeRow(std::string_view name, bool property, G getter, S setter) {
  using C = ObjectOf<Given, G, S>;
  using T = typename ValueOf<C, G, S>::type;
  return TRowBuilder<C, T>(name, property, getter, setter);
}

}  // namespace property_detail

// A named property (and, with a form, an attribute too) over a field, read only over a
// getter, or over a getter and a setter (either may be nullptr). Member pointers name the
// class themselves; callables taking the object need it given: Prop<TLogo>(...).
template <class Given = void, class F>
auto Prop(std::string_view name, F fieldOrGetter) {
  if constexpr (std::is_member_object_pointer_v<F>)
    return property_detail::MakeRow<Given>(name, true, fieldOrGetter, fieldOrGetter);
  else
    return property_detail::MakeRow<Given>(name, true, fieldOrGetter, nullptr);
}
template <class Given = void, class G, class S>
auto Prop(std::string_view name, G getter, S setter) {
  return property_detail::MakeRow<Given>(name, true, getter, setter);
}

// An attribute that is no property: read and written only in XML.
template <class Given = void, class F>
auto Attr(std::string_view name, F field) {
  return property_detail::MakeRow<Given>(name, false, field, field);
}
template <class Given = void, class G, class S>
auto Attr(std::string_view name, G getter, S setter) {
  return property_detail::MakeRow<Given>(name, false, getter, setter);
}

// Attribute code of its own, in its place among the rows (either side may be nullptr).
template <class C>
TCustomRowBuilder<C> Custom(std::string_view name, property_detail::TXmlCode<C> load,
                            property_detail::TXmlCode<C> save) {
  return TCustomRowBuilder<C>(name, std::move(load), std::move(save));
}
