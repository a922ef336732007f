// Values of the model: the value slot, the XML text form of every kind, Base64, dates,
// and the attribute getters and setters.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "foundation/Routines.h"
#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"

// ---------------------------------------------------------------------------------------
// Value slot

void TXmlValue::ReleaseOwned() {
  if (Place() == kBoxed) delete Pointer<Variant>();
  if (Place() == kHeap) delete[] Pointer<char>();
  state_ = 0;
}

void TXmlValue::Take(TXmlValue& other) {
  nameId = other.nameId;
  if (other.Place() == kArena) {
    SetString(other.Text());
    other.Release();
    return;
  }
  std::memcpy(data_, other.data_, kRoom);
  state_ = other.state_;
  other.state_ = 0;
}

TXmlValue& TXmlValue::operator=(TXmlValue&& other) {
  if (this == &other) return *this;
  Release();
  Take(other);
  return *this;
}

TXmlValue& TXmlValue::operator=(const TXmlValue& other) {
  if (this == &other) return *this;
  nameId = other.nameId;
  if (other.Place() == kBoxed) {
    Set(*other.Pointer<Variant>());
  } else if (other.IsString()) {
    SetString(other.Text());
  } else {
    Release();
  }
  return *this;
}

Variant::Kind TXmlValue::Kind() const {
  if (Place() == kEmpty) return Variant::Kind::Empty;
  if (Place() == kBoxed) return Pointer<Variant>()->GetKind();
  return Variant::Kind::WideString;
}

bool TXmlValue::IsClear() const {
  return Place() == kEmpty || (Place() == kBoxed && Pointer<Variant>()->IsNull());
}

Variant TXmlValue::Get() const {
  if (Place() == kEmpty) return Variant();
  if (Place() == kBoxed) return *Pointer<Variant>();
  return Variant(Text());
}

void TXmlValue::Set(const Variant& value) {
  if (value.IsEmpty()) return Clear();
  if (value.GetKind() == Variant::Kind::WideString) return SetString(value.RawText());
  auto* boxed = new Variant(value);
  Release();
  SetPointer(boxed);
  state_ = State(0, kBoxed);
}

void TXmlValue::TooLong() {
  throw Exception("Value too long");
}

char* TXmlValue::PrepareLongString(size_t length, TXmlArena* arena) {
  if (length >= kLongest) TooLong();
  Release();
  char* text = arena ? static_cast<char*>(arena->Allocate(length)) : new char[length];
  SetPointer(text);
  state_ = State(length, arena ? kArena : kHeap);
  return text;
}

void TXmlValue::SetLongStringIn(TXmlArena* arena, std::string_view text) {
  const char* own = IsString() ? Text().data() : nullptr;
  if (own && text.data() >= own && text.data() < own + Length()) {
    // Setting a value from a part of itself: copy first.
    std::string copy(text);
    return SetLongStringIn(arena, std::string_view(copy));
  }
  char* to = PrepareString(text.size(), arena);
  if (!text.empty()) std::memcpy(to, text.data(), text.size());
}

void TXmlValue::SetString(std::string_view text) {
  SetStringIn(nullptr, text);
}

void TXmlValue::Clear() {
  Release();
}

void TXmlValue::AppendXmlText(std::string& out) const {
  if (Place() == kBoxed)
    out += XmlTextOfValue(*Pointer<Variant>());
  else
    out += Text();
}

std::string TXmlValue::XmlText() const {
  std::string out;
  AppendXmlText(out);
  return out;
}

std::string TXmlValue::GeneralText() const {
  if (Place() == kBoxed) return Pointer<Variant>()->ToString();
  return std::string(Text());
}

// ---------------------------------------------------------------------------------------
// Text forms

namespace {

// The general decimal form: up to 15 significant digits, "." as separator whatever the
// process locale, exponents without "+" or leading zeros ("1E20", "1E-5").
std::string FloatText(double value) {
  char buffer[64];
  char* end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr;
  std::string text;
  text.reserve(size_t(end - buffer));
  // Infinities and NaN read "INF" and "NAN", as the exponent's "E" is upper case.
  for (char* p = buffer; p < end; ++p) text += (*p >= 'a' && *p <= 'z') ? char(*p - 32) : *p;
  size_t e = text.find('E');
  if (e == std::string::npos) return text;
  std::string_view exponent = std::string_view(text).substr(e + 1);
  bool negative = !exponent.empty() && exponent[0] == '-';
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) exponent.remove_prefix(1);
  while (exponent.size() > 1 && exponent[0] == '0') exponent.remove_prefix(1);
  return text.substr(0, e) + "E" + (negative ? "-" : "") + std::string(exponent);
}

// Appends the number in decimal with at least `digits` digits (zeros in front).
void AppendPadded(std::string& out, int value, int digits) {
  char buffer[16];
  char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  std::string_view text(buffer, size_t(end - buffer));
  if (!text.empty() && text[0] == '-') {
    out += '-';
    text.remove_prefix(1);
  }
  if (int(text.size()) < digits) out.append(size_t(digits) - text.size(), '0');
  out += text;
}

std::string DateText(double value) {
  int fields[6];
  DecodeXmlDateTime(value, fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
  static const char kSeparators[] = "--T--";
  std::string text;
  for (int i = 0; i < 6; ++i) {
    if (i > 0) text += kSeparators[i - 1];
    AppendPadded(text, fields[i], i == 0 ? 4 : 2);
  }
  return text;
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return 0;
}

// Days from 1 January 1970 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = yoe + era * 400;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  day = int(doy - (153 * mp + 2) / 5 + 1);
  month = int(mp < 10 ? mp + 3 : mp - 9);
  year = int(y + (month <= 2));
}

const int64_t kOleEpoch = DaysFromCivil(1899, 12, 30);

[[noreturn]] void RaiseConvert(const std::string& text, const char* what) {
  throw Exception("'" + text + "' is not a valid " + what);
}

}  // namespace

std::string XmlTextOfValue(const Variant& value) {
  switch (value.GetKind()) {
    case Variant::Kind::Empty:
      return {};
    case Variant::Kind::Null:
      return "{{null}}";
    case Variant::Kind::SmallInt:
    case Variant::Kind::Integer:
    case Variant::Kind::Byte:
      return std::to_string(value.RawInt());  // no grouping or locale in integers
    case Variant::Kind::Single:
      return FloatText(float(value.RawFloat()));
    case Variant::Kind::Double:
      return FloatText(value.RawFloat());
    case Variant::Kind::Currency:
      return FloatText(double(value.RawInt()) / 10000.0);
    case Variant::Kind::Date:
      return DateText(value.RawFloat());
    case Variant::Kind::WideString:
    case Variant::Kind::ByteString:
      return value.RawText();
    case Variant::Kind::Boolean:
      return value.RawInt() ? "1" : "0";
    case Variant::Kind::ByteArray:
      return Base64Encode(value.RawBytes().data(), value.RawBytes().size());
    default:
      return value.ToString();
  }
}

std::string Base64Encode(const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::string out;
  out.reserve((length + 2) / 3 * 4);
  for (size_t i = 0; i < length; i += 3) {
    uint32_t group = uint32_t(bytes[i]) << 16;
    if (i + 1 < length) group |= uint32_t(bytes[i + 1]) << 8;
    if (i + 2 < length) group |= bytes[i + 2];
    out += kBase64[(group >> 18) & 63];
    out += kBase64[(group >> 12) & 63];
    out += i + 1 < length ? kBase64[(group >> 6) & 63] : '=';
    out += i + 2 < length ? kBase64[group & 63] : '=';
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i + 4 <= text.size(); i += 4) {
    uint32_t group = 0;
    for (int k = 0; k < 4; ++k) group = (group << 6) | Base64Value(text[i + k]);
    out += char(group >> 16);
    if (text[i + 2] != '=') out += char(group >> 8);
    if (text[i + 2] != '=' && text[i + 3] != '=') out += char(group);
  }
  return out;
}

bool EncodeXmlDateTime(int year, int month, int day, int hour, int minute, int second,
                       TDateTime& result) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap)) return false;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  double days = double(DaysFromCivil(year, month, day) - kOleEpoch);
  double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  result = days < 0 ? days - time : days + time;
  return true;
}

void DecodeXmlDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                       int& second) {
  if (!std::isfinite(value) || std::fabs(value) > 3e6) value = 0;
  double whole = std::trunc(value);
  int64_t days = int64_t(whole);
  int64_t ms = std::llround(std::fabs(value - whole) * 86400000.0);
  if (ms >= 86400000) {
    ms = 0;
    days += value < 0 ? -1 : 1;
  }
  CivilFromDays(days + kOleEpoch, year, month, day);
  hour = int(ms / 3600000);
  minute = int(ms / 60000 % 60);
  second = int(ms / 1000 % 60);
}

// ---------------------------------------------------------------------------------------
// Attributes

TXmlAttrData* TXmlNode::FindAttr(int32_t nameId) {
  for (TXmlAttrData& attr : attrs_)
    if (attr.nameId == nameId) return &attr;
  return nullptr;
}

const TXmlAttrData* TXmlNode::FindAttrByName(std::string_view name) {
  int32_t id = names_->FindID(name);
  return id < 0 ? nullptr : FindAttr(id);
}

TXmlAttrData& TXmlNode::EnsureAttr(int32_t nameId) {
  MarkChanged();
  if (TXmlAttrData* attr = FindAttr(nameId)) return *attr;
  attrs_.emplace_back();
  attrs_.back().nameId = nameId;
  return attrs_.back();
}

int32_t TXmlNode::GetAttrNameId(int index) {
  if (index < 0 || index >= int(attrs_.size())) RaiseXml("List index out of bounds");
  return attrs_[index].nameId;
}

std::string TXmlNode::GetAttrName(int index) {
  return names_->Name(GetAttrNameId(index));
}

void TXmlNode::RemoveAttr(std::string_view name) {
  RemoveAttrById(names_->FindID(name));
}

void TXmlNode::RemoveAttrById(int32_t nameId) {
  for (size_t i = 0; i < attrs_.size(); ++i)
    if (attrs_[i].nameId == nameId) {
      attrs_.erase(attrs_.begin() + i);
      return;
    }
}

bool TXmlNode::HasAttr(std::string_view name) {
  return FindAttrByName(name) != nullptr;
}

Variant::Kind TXmlNode::GetAttrType(std::string_view name) {
  const TXmlAttrData* attr = FindAttrByName(name);
  return attr ? attr->Kind() : Variant::Kind::WideString;
}

Variant::Kind TXmlNode::GetAttrTypeById(int32_t nameId) {
  const TXmlAttrData* attr = FindAttr(nameId);
  return attr ? attr->Kind() : Variant::Kind::WideString;
}

Variant TXmlNode::GetVarAttr(std::string_view name, const Variant& def) {
  const TXmlAttrData* attr = FindAttrByName(name);
  return attr ? attr->Get() : def;
}

Variant TXmlNode::GetVarAttrById(int32_t nameId, const Variant& def) {
  const TXmlAttrData* attr = FindAttr(nameId);
  return attr ? attr->Get() : def;
}

void TXmlNode::SetVarAttr(std::string_view name, const Variant& value) {
  SetVarAttrById(names_->GetID(name), value);
}

void TXmlNode::SetVarAttrById(int32_t nameId, const Variant& value) {
  EnsureAttr(nameId).Set(value);
}

std::string TXmlNode::GetRequiredAttr(std::string_view name) {
  const TXmlAttrData* attr = FindAttrByName(name);
  if (!attr) RaiseXml("Attribute \"" + std::string(name) + "\" not specified");
  return attr->GeneralText();
}

std::string TXmlNode::GetRequiredAttrById(int32_t nameId) {
  const TXmlAttrData* attr = FindAttr(nameId);
  if (!attr) RaiseXml("Attribute \"" + names_->Name(nameId) + "\" not specified");
  return attr->GeneralText();
}

std::string TXmlNode::GetAttr(std::string_view name, std::string_view def) {
  const TXmlAttrData* attr = FindAttrByName(name);
  return attr ? attr->GeneralText() : std::string(def);
}

bool TXmlNode::FindAttrText(std::string_view name, std::string& text) {
  const TXmlAttrData* attr = FindAttrByName(name);
  if (attr) text = attr->GeneralText();
  return attr != nullptr;
}

std::string TXmlNode::GetAttrById(int32_t nameId, std::string_view def) {
  const TXmlAttrData* attr = FindAttr(nameId);
  return attr ? attr->GeneralText() : std::string(def);
}

void TXmlNode::SetAttr(std::string_view name, std::string_view value) {
  SetAttrById(names_->GetID(name), value);
}

void TXmlNode::SetAttrById(int32_t nameId, std::string_view value) {
  EnsureAttr(nameId).SetString(value);
}

bool TXmlNode::GetBoolAttr(std::string_view name, bool def) {
  return GetBoolAttrById(names_->FindID(name), def);
}

bool TXmlNode::GetBoolAttrById(int32_t nameId, bool def) {
  const TXmlAttrData* attr = FindAttr(nameId);
  if (!attr) return def;
  Variant value = attr->Get();
  if (auto b = value.TryBool()) return *b;
  RaiseConvert(value.ToString(), "boolean value");
}

void TXmlNode::SetBoolAttr(std::string_view name, bool value) {
  SetBoolAttrById(names_->GetID(name), value);
}

void TXmlNode::SetBoolAttrById(int32_t nameId, bool value) {
  EnsureAttr(nameId).Set(Variant(value));
}

int32_t TXmlNode::GetIntAttr(std::string_view name, int32_t def) {
  return GetIntAttrById(names_->FindID(name), def);
}

int32_t TXmlNode::GetIntAttrById(int32_t nameId, int32_t def) {
  const TXmlAttrData* attr = FindAttr(nameId);
  if (!attr) return def;
  Variant value = attr->Get();
  auto i = value.TryInt();
  if (!i || *i < INT32_MIN || *i > INT32_MAX) RaiseConvert(value.ToString(), "integer value");
  return int32_t(*i);
}

void TXmlNode::SetIntAttr(std::string_view name, int32_t value) {
  SetIntAttrById(names_->GetID(name), value);
}

void TXmlNode::SetIntAttrById(int32_t nameId, int32_t value) {
  EnsureAttr(nameId).Set(Variant::Integer(value));
}

namespace {

// "YYYY-MM-DDTHH-MM-SS": each field the run of digits at its place; a missing separator
// ends the reading and leaves the later fields 0.
bool ParseDateText(std::string_view text, TDateTime& result) {
  static const char kSeparators[] = "--T--";
  int fields[6] = {0, 0, 0, 0, 0, 0};
  size_t pos = 0;
  for (int f = 0; f < 6; ++f) {
    int value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      value = std::min(value * 10 + (text[pos] - '0'), 100000);
      ++pos;
    }
    fields[f] = value;
    if (f == 5 || pos >= text.size() || text[pos] != kSeparators[f]) break;
    ++pos;
  }
  return EncodeXmlDateTime(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
                           result);
}

}  // namespace

TDateTime TXmlNode::GetDateTimeAttr(std::string_view name, TDateTime def) {
  return GetDateTimeAttrById(names_->FindID(name), def);
}

TDateTime TXmlNode::GetDateTimeAttrById(int32_t nameId, TDateTime def) {
  const TXmlAttrData* attr = FindAttr(nameId);
  if (!attr) return def;
  Variant value = attr->Get();
  TDateTime result = 0;
  if (value.IsString()) {
    if (!ParseDateText(value.RawText(), result)) RaiseConvert(value.RawText(), "date and time");
    return result;
  }
  if (auto d = value.TryDouble()) return *d;
  RaiseConvert(value.ToString(), "date and time");
}

void TXmlNode::SetDateTimeAttr(std::string_view name, TDateTime value) {
  SetDateTimeAttrById(names_->GetID(name), value);
}

void TXmlNode::SetDateTimeAttrById(int32_t nameId, TDateTime value) {
  EnsureAttr(nameId).Set(Variant::Date(value));
}

double TXmlNode::GetFloatAttr(std::string_view name, double def) {
  return GetFloatAttrById(names_->FindID(name), def);
}

double TXmlNode::GetFloatAttrById(int32_t nameId, double def) {
  const TXmlAttrData* attr = FindAttr(nameId);
  if (!attr) return def;
  Variant value = attr->Get();
  if (value.IsNumeric()) return *value.TryDouble();
  // Either decimal separator reads: "1,5" and "1.5" are the same number.
  std::string text = value.ToString();
  if (size_t comma = text.find(','); comma != std::string::npos) text[comma] = '.';
  if (auto d = Variant(text).TryDouble()) return *d;
  RaiseConvert(text, "floating point value");
}

void TXmlNode::SetFloatAttr(std::string_view name, double value) {
  SetFloatAttrById(names_->GetID(name), value);
}

void TXmlNode::SetFloatAttrById(int32_t nameId, double value) {
  EnsureAttr(nameId).Set(Variant(value));
}

int32_t TXmlNode::GetHexAttr(std::string_view name, int32_t def) {
  return GetHexAttrById(names_->FindID(name), def);
}

int32_t TXmlNode::GetHexAttrById(int32_t nameId, int32_t def) {
  const TXmlAttrData* attr = FindAttr(nameId);
  if (!attr) return def;
  std::string text = attr->GeneralText();
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
      value > 0xFFFFFFFFu || text[0] == '-' || text[0] == '+')
    RaiseConvert("$" + text, "integer value");
  return int32_t(uint32_t(value));
}

void TXmlNode::SetHexAttr(std::string_view name, int32_t value, int digits) {
  SetHexAttrById(names_->GetID(name), value, digits);
}

void TXmlNode::SetHexAttrById(int32_t nameId, int32_t value, int digits) {
  std::string text;
  char buffer[16];
  char* end = std::to_chars(buffer, buffer + sizeof buffer, uint32_t(value), 16).ptr;
  size_t length = size_t(end - buffer);
  size_t width = size_t(std::clamp(digits, 0, 8));
  if (length < width) text.append(width - length, '0');
  for (char* p = buffer; p < end; ++p) text += (*p >= 'a' && *p <= 'f') ? char(*p - 32) : *p;
  EnsureAttr(nameId).SetString(text);
}

int TXmlNode::GetEnumAttr(std::string_view name, const TXmlTexts& values, int def) {
  return GetEnumAttrById(names_->FindID(name), values, def);
}

int TXmlNode::GetEnumAttrById(int32_t nameId, const TXmlTexts& values, int def) {
  const TXmlAttrData* attr = FindAttr(nameId);
  if (!attr) return def;
  std::string text = attr->GeneralText();
  for (size_t i = 0; i < values.size(); ++i)
    if (SameText(values[i], text)) return int(i);
  std::string valid;
  for (size_t i = 0; i < values.size(); ++i) valid += (i ? "\r\n" : "") + values[i];
  RaiseXml("Wrong value of attribute \"" + names_->Name(nameId) + "\" in element \"" +
           GetNodeName() + "\".\r\nValid values are:\r\n" + valid);
}

int TXmlNode::GetRequiredEnumAttr(std::string_view name, const TXmlTexts& values) {
  int32_t id = names_->FindID(name);
  if (id < 0 || !FindAttr(id)) RaiseXml("Attribute \"" + std::string(name) + "\" not found");
  return GetEnumAttrById(id, values, 0);
}

int TXmlNode::GetRequiredEnumAttrById(int32_t nameId, const TXmlTexts& values) {
  if (!FindAttr(nameId)) RaiseXml("Attribute \"" + names_->Name(nameId) + "\" not found");
  return GetEnumAttrById(nameId, values, 0);
}
