#include "foundation/Variant.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "foundation/CheckedMath.h"
#include "foundation/Routines.h"

Variant Variant::Null() {
  Variant v;
  v.kind_ = Kind::Null;
  return v;
}

Variant Variant::SmallInt(int16_t value) {
  Variant v{int(value)};
  v.kind_ = Kind::SmallInt;
  return v;
}

Variant Variant::Currency(int64_t scaledBy10000) {
  Variant v;
  v.kind_ = Kind::Currency;
  v.int_ = scaledBy10000;
  return v;
}

Variant Variant::Date(double oleDate) {
  Variant v{oleDate};
  v.kind_ = Kind::Date;
  return v;
}

Variant Variant::Byte(uint8_t value) {
  Variant v{int(value)};
  v.kind_ = Kind::Byte;
  return v;
}

Variant Variant::ByteString(std::string bytes) {
  Variant v{std::move(bytes)};
  v.kind_ = Kind::ByteString;
  return v;
}

Variant Variant::ByteArray(std::vector<uint8_t> bytes) {
  Variant v;
  v.kind_ = Kind::ByteArray;
  v.bytes_ = std::move(bytes);
  return v;
}

bool Variant::IsNumeric() const {
  switch (kind_) {
    case Kind::SmallInt:
    case Kind::Integer:
    case Kind::Byte:
    case Kind::Single:
    case Kind::Double:
    case Kind::Currency:
    case Kind::Date:
      return true;
    default:
      return false;
  }
}

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

std::optional<double> ParseDouble(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<int64_t> ParseInt(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> Variant::TryDouble() const {
  switch (kind_) {
    case Kind::SmallInt:
    case Kind::Integer:
    case Kind::Byte:
    case Kind::Boolean:
      return kind_ == Kind::Boolean ? (int_ ? -1.0 : 0.0) : double(int_);
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
      return double_;
    case Kind::Currency:
      return double(int_) / 10000.0;
    case Kind::WideString:
    case Kind::ByteString:
      return ParseDouble(text_);
    default:
      return std::nullopt;
  }
}

std::optional<int64_t> Variant::TryInt() const {
  switch (kind_) {
    case Kind::SmallInt:
    case Kind::Integer:
    case Kind::Byte:
      return int_;
    case Kind::Boolean:
      return int_ ? -1 : 0;
    case Kind::WideString:
    case Kind::ByteString:
      if (auto i = ParseInt(text_)) return i;
      [[fallthrough]];
    default:
      if (auto d = TryDouble()) {
        if (!std::isfinite(*d)) return std::nullopt;
        return RoundHalfEven64(*d);
      }
      return std::nullopt;
  }
}

std::optional<bool> Variant::TryBool() const {
  if (kind_ == Kind::Boolean) return int_ != 0;
  if (IsString()) {
    std::string_view t = Trimmed(text_);
    if (SameText(t, "true")) return true;
    if (SameText(t, "false")) return false;
  }
  if (auto d = TryDouble()) return *d != 0;
  return std::nullopt;
}

int32_t Variant::ToInt(int32_t fallback) const {
  auto i = TryInt();
  return i ? SaturateInt32(*i) : fallback;
}

double Variant::ToDouble(double fallback) const { return TryDouble().value_or(fallback); }

bool Variant::ToBool(bool fallback) const { return TryBool().value_or(fallback); }

std::string Variant::ToString() const {
  char buffer[64];
  switch (kind_) {
    case Kind::SmallInt:
    case Kind::Integer:
    case Kind::Byte:
      return std::to_string(int_);
    case Kind::Boolean:
      return int_ ? "True" : "False";
    case Kind::Single: {
      auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, float(double_));
      return std::string(buffer, ec == std::errc() ? end : buffer);
    }
    case Kind::Double:
    case Kind::Date: {
      auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, double_);
      return std::string(buffer, ec == std::errc() ? end : buffer);
    }
    case Kind::Currency: {
      auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, double(int_) / 10000.0);
      return std::string(buffer, ec == std::errc() ? end : buffer);
    }
    case Kind::WideString:
    case Kind::ByteString:
      return text_;
    case Kind::ByteArray:
      return std::string(bytes_.begin(), bytes_.end());
    default:
      return {};
  }
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.kind_ != b.kind_) return false;
  switch (a.kind_) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
      return true;
    case Variant::Kind::Single:
    case Variant::Kind::Double:
    case Variant::Kind::Date:
      return std::memcmp(&a.double_, &b.double_, sizeof a.double_) == 0;
    case Variant::Kind::WideString:
    case Variant::Kind::ByteString:
      return a.text_ == b.text_;
    case Variant::Kind::ByteArray:
      return a.bytes_ == b.bytes_;
    case Variant::Kind::Interface:
      return a.interface_ == b.interface_;
    default:
      return a.int_ == b.int_;
  }
}
