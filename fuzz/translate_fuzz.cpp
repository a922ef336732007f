// Texts with "%" keys come from data files and language files that translators write:
// expansion must end, and stay bounded, for any text over a table whose keys refer to
// each other in circles.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/MultiLanguages.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

TMultiLanguages& Translator() {
  static TMultiLanguages translator;
  static bool filled = [] {
    TMultiLanguages& t = translator;
    t.SetString("a", "A%b%");
    t.SetString("b", "%c%B%%");
    t.SetString("c", "%a%%a%C");  // a -> b -> c -> a, doubling each round
    t.SetString("self", "<%self%>");
    t.SetString("pad", "  p  ");
    t.SetString("var", "%who%!");  // a variable inside a table text
    t.SetString("lone", "50%");
    t.SetVariable("who", "%a%");  // variable values are inserted as they are
    return true;
  }();
  (void)filled;
  return translator;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  TMultiLanguages& translator = Translator();
  for (bool trim : {false, true}) {
    std::string expanded = translator.ExpandText(text, trim);
    // Each key of the input can insert at most the bounded expansion of one lookup
    // chain; the whole stays within the translator's limit plus the input's own text.
    Check(expanded.size() <=
          TMultiLanguages::kMaxExpandedLength + size + 64 * TMultiLanguages::kMaxExpansionDepth);
  }
  if (text.find('%') == std::string_view::npos) Check(translator.ExpandText(text) == text);
  return 0;
}
