#include "tools/layoutcheck/TextChecks.h"

#include <algorithm>

#include "widgets/TextWidget.h"

namespace {

bool IsSpace(char32_t c) {
  return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == 0xA0;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

void CheckTextFits(TTextWidget& text, const CheckContext& context) {
  if (Trimmed(text.GetText()).empty()) return;
  Ref<IFontResource> font = Supports<IFontResource>(text.GetImageResource());
  if (!font) return;  // the engine warns about a missing font
  const TRect box{0, 0, text.GetWidth(), text.GetHeight()};
  bool cut = false, past = false;
  TRect takes{};
  bool any = false;
  for (const TSymbolInfo& symbol : text.Symbols()) {
    if (!symbol.visible) {
      // Characters the font lacks take no room by design; the others were dropped.
      if (!IsSpace(symbol.character) && font->FindSymbolByCode(int32_t(symbol.character)))
        cut = true;
      continue;
    }
    const TRect& r = symbol.rect;
    if (!any) takes = r;
    takes = TRect{std::min(takes.Left, r.Left), std::min(takes.Top, r.Top),
                  std::max(takes.Right, r.Right), std::max(takes.Bottom, r.Bottom)};
    any = true;
    // Sideways a glyph's bearing may lean a pixel out; a line that does not fit is cut.
    if (r.Top < box.Top || r.Bottom > box.Bottom) past = true;
  }
  if (!cut && !past) return;
  const std::string size = std::to_string(box.Width()) + "x" + std::to_string(box.Height());
  const std::string what = cut ? "is cut"
                               : "reaches past its height, to (" + std::to_string(takes.Left) +
                                     "," + std::to_string(takes.Top) + " " +
                                     std::to_string(takes.Width()) + "x" +
                                     std::to_string(takes.Height()) + ")";
  context.reports->Add(context.file, text.GetPath(),
                       "text \"" + text.GetText() + "\" does not fit its " + size + " box at " +
                           text.GetResourceName() + ": " + what);
}

void CheckInternalName(TTextWidget& text, const CheckContext& context) {
  const std::string shown = Trimmed(text.GetText());
  if (shown.empty()) return;
  if (context.names && context.names->count(shown))
    context.reports->Add(context.file, text.GetPath(),
                         "shows the internal name \"" + shown + "\" instead of a caption");
}
