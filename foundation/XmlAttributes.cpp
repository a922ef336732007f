// The one encoding of values in attributes.

#include "foundation/XmlAttributes.h"

#include <charconv>
#include <cmath>

#include "foundation/CheckedMath.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"

// ---------------------------------------------------------------------------------------
// Text conversions

std::string CommaToPoint(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == ',') c = '.';
  return out;
}

bool TryTextToInt(std::string_view text, int32_t& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text[0] == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  uint64_t magnitude = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (base == 16) {
    // Eight hexadecimal digits are a bit pattern (colours), so they may fill the sign.
    if (magnitude > 0xFFFFFFFFull) return false;
    uint32_t bits = static_cast<uint32_t>(magnitude);
    value = static_cast<int32_t>(negative ? 0u - bits : bits);
    return true;
  }
  if (magnitude > (negative ? 2147483648ull : 2147483647ull)) return false;
  value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                   : static_cast<int32_t>(magnitude);
  return true;
}

bool TryTextToFloat(std::string_view text, double& value) {
  std::string point = CommaToPoint(TrimBlanks(text));
  std::string_view digits = point;
  if (!digits.empty() && digits[0] == '+') {
    digits.remove_prefix(1);
    if (!digits.empty() && digits[0] == '-') return false;
  }
  double parsed = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
  if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(parsed))
    return false;
  value = parsed;
  return true;
}

std::string FormatFloatValue(double value) {
  double rounded = value;
  if (FloatPrecision > 0 && std::isfinite(value)) {
    double steps = value / FloatPrecision;
    // Beyond 2^53 steps every double is a whole number of steps already.
    if (std::fabs(steps) < 9.0e15) rounded = double(RoundHalfEven64(steps)) * FloatPrecision;
  }
  char buffer[64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::general, 15);
  if (error != std::errc()) return "0";
  return CommaToPoint(std::string_view(buffer, size_t(end - buffer)));
}

// ---------------------------------------------------------------------------------------
// Attribute readers and writers

namespace {

// The attribute's text into Text, or false when the element leaves it out and the default
// stands. Written gives the default's written form, made only for a storage that asks.
template <class Written>
bool AttrText(const Ref<IHierStorage>& node, std::string_view name, std::string& text,
              Written written) {
  switch (node->FindAttr(name, text)) {
    case TAttrLookup::Found:
      return true;
    case TAttrLookup::Absent:
      return false;
    case TAttrLookup::Ask:
      break;
  }
  text = node->GetAttr(name, Variant(written())).ToString();
  return true;
}

}  // namespace

std::string ReadXmlStr(const Ref<IHierStorage>& node, std::string_view name,
                       const std::string& def) {
  if (!node) return def;
  std::string text;
  return AttrText(node, name, text, [&] { return def; }) ? text : def;
}

void WriteXmlStr(const Ref<IHierStorage>& node, std::string_view name, const std::string& value,
                 bool force) {
  if (!node) return;
  if (!force && node->GetAttr(name, Variant(value)).ToString() == value) return;
  node->SetAttr(name, Variant(value));
}

std::string ReadXmlText(const Ref<IHierStorage>& node, std::string_view name,
                        const std::string& def) {
  return TranslateText(ReadXmlStr(node, name, def));
}

void WarnAboutNode(const Ref<IHierStorage>& node, std::string_view what) {
  if (!node) return Warn({}, what);
  std::string element = node->GetName();
  std::string name = node->GetAttr("name").ToString();
  if (!name.empty()) element += " \"" + name + "\"";
  Warn(StorageDataFile(node), element + ": " + std::string(what));
}

namespace {

// Text was there but is not a value of the attribute's kind: the default stands.
void WarnUnreadable(const Ref<IHierStorage>& node, std::string_view name, std::string_view text,
                    std::string_view expected) {
  WarnAboutNode(node, std::string(name) + "=\"" + std::string(text) + "\" is not " +
                          std::string(expected) + "; the default is used");
}

}  // namespace

bool ReadXmlBool(const Ref<IHierStorage>& node, std::string_view name, bool def) {
  std::string text;
  if (!node || !AttrText(node, name, text, [&] { return std::string(def ? "yes" : "no"); }))
    return def;
  if (text == "yes" || text == "-1") return true;
  if (text == "no" || text == "0") return false;
  if (!text.empty()) WarnUnreadable(node, name, text, "yes or no");
  return def;
}

void WriteXmlBool(const Ref<IHierStorage>& node, std::string_view name, bool value, bool force) {
  WriteXmlStr(node, name, value ? "yes" : "no", force);
}

// The default is asked in its written form: a replacement overlay compares the text it
// gets with its own value and drops a value that changes nothing.
int32_t ReadXmlInt(const Ref<IHierStorage>& node, std::string_view name, int32_t def) {
  std::string text;
  if (!node || !AttrText(node, name, text, [&] { return std::to_string(def); })) return def;
  int32_t value = def;
  if (TryTextToInt(text, value)) return value;
  if (!text.empty()) WarnUnreadable(node, name, text, "an integer");
  return def;
}

void WriteXmlInt(const Ref<IHierStorage>& node, std::string_view name, int32_t value, bool force) {
  char buffer[16];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)error;  // 16 characters always hold a 32-bit integer
  WriteXmlStr(node, name, std::string(buffer, end), force);
}

// Asked with the default in decimal, as a signed 32-bit number.
uint32_t ReadXmlHex(const Ref<IHierStorage>& node, std::string_view name, uint32_t def) {
  std::string text;
  if (!node ||
      !AttrText(node, name, text, [&] { return std::to_string(static_cast<int32_t>(def)); }))
    return def;
  int32_t value = 0;
  if (TryTextToInt(text, value)) return static_cast<uint32_t>(value);
  if (!text.empty()) WarnUnreadable(node, name, text, "a colour or number (\"$AARRGGBB\")");
  return def;
}

void WriteXmlHex(const Ref<IHierStorage>& node, std::string_view name, uint32_t value, bool force) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "$00000000";
  for (int i = 8; i >= 1; --i, value >>= 4) text[size_t(i)] = kDigits[value & 15];
  WriteXmlStr(node, name, text, force);
}

// Asked with the default as the float writer writes it.
double ReadXmlFloat(const Ref<IHierStorage>& node, std::string_view name, double def) {
  if (!node) return def;
  std::string text = ReadXmlStr(node, name, FormatFloatValue(def));
  double value = def;
  if (TryTextToFloat(text, value)) return value;
  if (!text.empty()) WarnUnreadable(node, name, text, "a number");
  return def;
}

void WriteXmlFloat(const Ref<IHierStorage>& node, std::string_view name, double value, bool force) {
  WriteXmlStr(node, name, FormatFloatValue(value), force);
}

int ReadXmlEnum(const Ref<IHierStorage>& node, std::string_view name, std::string_view list,
                int def) {
  std::string text;
  TAttrLookup found = node && def >= 0 ? node->FindAttr(name, text) : TAttrLookup::Absent;
  if (found == TAttrLookup::Absent) return def;
  TOneArrayOfString names = SplitString(list, '/');
  if (def >= int(names.size())) return def;
  if (found == TAttrLookup::Ask) text = node->GetAttr(name, Variant(names[size_t(def)])).ToString();
  if (text == names[size_t(def)]) return def;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == text) return int(i);
  if (!text.empty()) WarnUnreadable(node, name, text, "one of \"" + std::string(list) + "\"");
  return def;
}

void WriteXmlEnum(const Ref<IHierStorage>& node, std::string_view name, std::string_view list,
                  bool force, int index) {
  TOneArrayOfString names = SplitString(list, '/');
  if (index < 0 || index >= int(names.size())) return;
  WriteXmlStr(node, name, names[size_t(index)], force);
}

uint32_t ColorFromVariant(const Variant& value) {
  if (value.IsString()) {
    int32_t color = 0;
    return TryTextToInt(value.RawText(), color) ? uint32_t(color) : 0;
  }
  return uint32_t(value.TryInt().value_or(0));
}
