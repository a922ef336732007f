#include "foundation/MultiLanguages.h"

#include <cstring>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/GameDeclarations.h"
#include "foundation/Routines.h"
#include "foundation/Warnings.h"
#include "foundation/XMLStorage.h"

std::string LanguageFileName = "res:iniresource/default.lng";

namespace {

// Decimal digits only; anything else (or an empty text) is 0, as is a number too large.
int DecimalOrZero(std::string_view text) {
  if (text.empty() || text.size() > 9) return 0;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::string SystemErrorMessage(int code) {
  char buffer[256];
  // The GNU form may give its own static text instead of filling the buffer.
  const char* text = strerror_r(code, buffer, sizeof buffer);
  return text ? std::string(text) : std::string();
}

// ---------------------------------------------------------------------------------------

std::string TMultiLanguages::ExpandText(std::string_view text, bool trimLookups) {
  Expansion state;
  std::string out;
  Expand(text, trimLookups, 0, state, out);
  return out;
}

std::string TMultiLanguages::GetString(std::string_view key, std::string_view def) {
  Expansion state;
  std::string out;
  std::string text = strings_.GetItem(Variant(key));
  if (text.empty() && !strings_.Contains(key)) text = def;
  Expand(text, false, 1, state, out);
  return out;
}

void TMultiLanguages::Expand(std::string_view rest, bool trimLookups, int depth, Expansion& state,
                             std::string& out) {
  if (depth > kMaxExpansionDepth) {
    out += rest;
    return;
  }
  while (true) {
    size_t p = rest.find('%');
    if (p == std::string_view::npos) break;
    out += rest.substr(0, p);
    rest.remove_prefix(p + 1);
    size_t q = rest.find('%');
    if (q == std::string_view::npos) {
      out += '%';  // a lone "%"
      break;
    }
    if (q == 0) {
      out += '%';  // "%%"
      rest.remove_prefix(1);
      continue;
    }
    std::string_view key = rest.substr(0, q);
    rest.remove_prefix(q + 1);
    AppendKey(key, trimLookups, depth, state, out);
  }
  out += rest;
}

void TMultiLanguages::AppendKey(std::string_view key, bool trimLookups, int depth, Expansion& state,
                                std::string& out) {
  if (key.size() >= 2 && key[0] == '0' && key[1] == 'x') {
    if (int code = DecimalOrZero(key.substr(2))) out += SystemErrorMessage(code);
    return;
  }
  for (size_t i = 0; i < variableNames_.size(); ++i)
    if (variableNames_[i] == key) {
      out += variableValues_[i];
      return;
    }
  // Past the limits the key stays as written, so the cut is visible and ends.
  if (depth >= kMaxExpansionDepth || ++state.lookups > kMaxLookups ||
      state.length > kMaxExpandedLength) {
    out += '%';
    out += key;
    out += '%';
    return;
  }
  int index = strings_.IndexOf(key);
  if (index < 0) {
    Warn(files_, "no text for the key \"" + std::string(key) + "\"; it reads as nothing");
    return;
  }
  std::string expanded;
  Expand(strings_.GetItem(Variant(index)), false, depth + 1, state, expanded);
  state.length += expanded.size();
  out += trimLookups ? std::string(TrimBlanks(expanded)) : expanded;
}

void TMultiLanguages::SetVariable(const std::string& name, const std::string& value) {
  for (size_t i = 0; i < variableNames_.size(); ++i)
    if (SameText(variableNames_[i], name)) {
      variableNames_[i] = name;
      variableValues_[i] = value;
      return;
    }
  variableNames_.push_back(name);
  variableValues_.push_back(value);
}

void TMultiLanguages::SetString(const std::string& key, const std::string& text) {
  if (!strings_.SetItem(key, text)) strings_.Add(text, key);
}

bool TMultiLanguages::LoadFromNode(const Ref<IHierStorage>& node) {
  id_ = ReadXmlStr(node, "id");
  name_ = ReadXmlStr(node, "name");
  Ref<IHierStorage> strings = node ? node->GetChild("strings", 0) : nullptr;
  if (!strings) return false;
  int count = strings->GetChildCount("string");
  for (int i = 0; i < count; ++i) {
    Ref<IHierStorage> item = strings->GetChild("string", i);
    std::string key = ReadXmlStr(item, "name");
    if (!key.empty()) SetString(key, item->GetText().ToString());
  }
  return true;
}

bool TMultiLanguages::LoadFile(const std::string& path) {
  try {
    Ref<IHierStorage> root = LoadXmlStorageFromFile(path);
    if (!root || !LoadFromNode(root)) return false;
    files_ += files_.empty() ? path : " + " + path;
    return true;
  } catch (const std::exception& error) {
    // A damaged language file leaves the table as it was.
    Warn(path, std::string("does not parse (") + error.what() + "); its texts are not used");
    return false;
  }
}

// ---------------------------------------------------------------------------------------

TMultiLanguages* MultiLanguages() {
  static TMultiLanguages translator;
  return &translator;
}

std::string LiteralText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

std::string TranslateText(std::string_view text, bool trimLookups) {
  TMultiLanguages* translator = MultiLanguages();
  return translator ? translator->ExpandText(text, trimLookups) : std::string(text);
}

void SetLanguageVariable(const std::string& name, const std::string& value) {
  if (TMultiLanguages* translator = MultiLanguages()) translator->SetVariable(name, value);
}

bool LoadLanguage(const std::string& name) {
  TMultiLanguages* translator = MultiLanguages();
  if (!translator) return false;
  translator->ClearStrings();
  bool loaded = translator->LoadFile(LanguageFileName);
  if (!name.empty() && translator->LoadFile("%apppath%Languages\\" + name + ".lng")) loaded = true;
  std::string caption = translator->ExpandText(NewUserCaptionKey);
  if (!caption.empty()) NewUserCaption = caption;
  return loaded;
}

std::string GetLanguageId() {
  TMultiLanguages* translator = MultiLanguages();
  return translator ? translator->Id() : std::string();
}
