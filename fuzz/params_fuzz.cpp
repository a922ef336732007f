// Parameter strings come from data files that content authors write: every routine that
// reads them must take any bytes without crashing, and keep the count rule (one entry per
// item, the entries without a pair last and empty).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/GeneralClasses.h"
#include "foundation/Routines.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

struct TFuzzObject : TAbstractObject {
  int calls = 0;
  void SetParam(const std::string&, const Variant& value) override {
    Check(value.IsString());
    ++calls;
  }
};

void RegisterOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterClassName<TFuzzObject>("fuzz_object");
}

// The separators in use by the system's data.
constexpr char kSeparators[] = {'\\', ',', ';', ':', '/', '_', '='};

void CheckSplit(std::string_view text, char separator, char pairSeparator) {
  TOneArrayOfString items = SplitString(text, separator);
  for (const std::string& item : items) Check(!item.empty());

  TTwoArrayOfString pairs = SplitNameValuePairs(text, separator, pairSeparator);
  Check(pairs.size() == items.size());
  size_t withPair = 0;
  for (const std::string& item : items) withPair += item.find(pairSeparator) != std::string::npos;
  for (size_t i = withPair; i < pairs.size(); ++i)
    Check(pairs[i].Name.empty() && pairs[i].Value.empty());

  std::string value;
  if (!pairs.empty()) {
    Check(GetNamedValue(text, pairs[0].Name, separator, pairSeparator, value));
    Check(value == pairs[0].Value);
  } else {
    Check(!GetNamedValue(text, "", separator, pairSeparator, value) && value.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegisterOnce();
  std::string_view text(reinterpret_cast<const char*>(data), size);

  CheckSplit(text, '\\', '=');
  if (size > 0) {
    char separator = kSeparators[data[0] % 7];
    char pairSeparator = kSeparators[(data[0] / 7) % 7];
    CheckSplit(text.substr(1), separator, pairSeparator);
  }

  // Every walk may cover the whole text, so only the first braces and the edges.
  int braces = 0;
  for (int position = -1; position <= int(size) + 1; ++position) {
    bool edge = position < 2 || position >= int(size);
    bool brace = !edge && text[position - 1] == '{' && ++braces <= 64;
    if (!edge && !brace) continue;
    int closing = FindClosingBrace(text, position);
    Check(closing == 0 || (closing >= position && closing <= int(size)));
    if (closing > 0 && text[position - 1] == '{') Check(text[closing - 1] == '}');
  }

  Ref<TAbstractObject> object = CreateRegisteredObject(text);
  if (object) Check(dynamic_cast<TFuzzObject*>(object.get()) != nullptr);
  Ref<TAbstractObject> named = CreateRegisteredObject("fuzz_object{" + std::string(text) + "}");
  Check(named && static_cast<size_t>(static_cast<TFuzzObject*>(named.get())->calls) ==
                     SplitString(text, '\\').size());
  return 0;
}
