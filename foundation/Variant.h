#pragma once
// The one dynamically typed value of the system: attribute and text values of XML nodes,
// properties of objects, parameters. It keeps every kind the binary XML form stores, so a
// value survives a save and load with its kind, plus interface references.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Interface.h"

class Variant {
 public:
  // The numbers are the kind codes of the binary XML form.
  enum class Kind : uint16_t {
    Empty = 0,
    Null = 1,
    SmallInt = 2,    // 16-bit integer
    Integer = 3,     // 32-bit integer
    Single = 4,      // 4-byte float
    Double = 5,      // 8-byte float
    Currency = 6,    // 64-bit integer holding value x 10000
    Date = 7,        // days since 30 December 1899, time of day as the fraction
    WideString = 8,  // text (held as UTF-8)
    Interface = 13,  // an interface reference
    Boolean = 11,
    Byte = 17,
    ByteString = 256,     // 8-bit text, bytes as they are
    ByteArray = 0x2011,
  };

  Variant() = default;
  Variant(int value) : kind_(Kind::Integer), int_(value) {}
  Variant(float value) : kind_(Kind::Single), double_(value) {}
  Variant(double value) : kind_(Kind::Double), double_(value) {}
  Variant(bool value) : kind_(Kind::Boolean), int_(value ? 1 : 0) {}
  Variant(const char* text) : kind_(Kind::WideString), text_(text) {}
  Variant(std::string text) : kind_(Kind::WideString), text_(std::move(text)) {}
  Variant(std::string_view text) : kind_(Kind::WideString), text_(text) {}
  Variant(Ref<IInterface> value) : kind_(Kind::Interface), interface_(std::move(value)) {}

  static Variant Null();
  static Variant SmallInt(int16_t value);
  static Variant Integer(int32_t value) { return Variant(int(value)); }
  static Variant Currency(int64_t scaledBy10000);
  static Variant Date(double oleDate);
  static Variant Byte(uint8_t value);
  static Variant ByteString(std::string bytes);
  static Variant ByteArray(std::vector<uint8_t> bytes);

  Kind GetKind() const { return kind_; }
  bool IsEmpty() const { return kind_ == Kind::Empty; }
  bool IsNull() const { return kind_ == Kind::Null; }
  // Empty or Null: "no value" to every reader.
  bool IsClear() const { return kind_ == Kind::Empty || kind_ == Kind::Null; }
  bool IsString() const { return kind_ == Kind::WideString || kind_ == Kind::ByteString; }
  // A whole number kind: 16- or 32-bit integer or byte.
  bool IsOrdinal() const {
    return kind_ == Kind::SmallInt || kind_ == Kind::Integer || kind_ == Kind::Byte;
  }
  bool IsNumeric() const;

  // Raw payloads; meaningful only for the matching kind.
  int64_t RawInt() const { return int_; }
  double RawFloat() const { return double_; }
  const std::string& RawText() const { return text_; }
  const std::vector<uint8_t>& RawBytes() const { return bytes_; }
  const Ref<IInterface>& RawInterface() const { return interface_; }

  // Conversions; std::nullopt when the value cannot be converted (text that is not a
  // number, a reference, an array). Texts are read with "." whatever the locale.
  std::optional<int64_t> TryInt() const;
  std::optional<double> TryDouble() const;
  std::optional<bool> TryBool() const;

  int32_t ToInt(int32_t fallback = 0) const;
  double ToDouble(double fallback = 0) const;
  bool ToBool(bool fallback = false) const;
  // Text form: numbers in decimal with "." and the shortest digits that read back,
  // Booleans "True"/"False", empty and null as ''.
  std::string ToString() const;

  friend bool operator==(const Variant& a, const Variant& b);

 private:
  Kind kind_ = Kind::Empty;
  int64_t int_ = 0;
  double double_ = 0;
  std::string text_;
  std::vector<uint8_t> bytes_;
  Ref<IInterface> interface_;
};
