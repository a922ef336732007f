#pragma once
// "text_widget": a text drawn with a bitmap font resource, one glyph per character, on
// one line or wrapped into the widget's rectangle, aligned both ways, and cached in a
// surface of its own so that an unchanged text costs one copy per frame.
//
// Text is UTF-8; the characters are Unicode code points and a font's glyph of a
// character is the one named by its code. Characters the font lacks take no room.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "widgets/ResourceWidgets.h"

// The measurements of a text widget, for controls that place a caret or a highlight.
class ITextWidget : public virtual IWidget {
 public:
  // The sum of the advances of the characters that have a glyph; 0 without a font.
  virtual int32_t TextWidth(std::string_view text) = 0;
  // The tallest glyph among the characters; 0 for an empty text or without a font.
  virtual int32_t MaxGlyphHeight(std::string_view text) = 0;
  // Character N (from 1) as laid out, with the spacing around its glyph, in the owner's
  // coordinates; false when N is outside the text or the character is not shown.
  virtual bool GetCharRect(int32_t n, TRect& rect) = 0;
  // The union of the shown glyphs in the owner's coordinates.
  virtual void GetTextRect(TRect& rect) = 0;
};

// One character of the text and the place of its glyph relative to the widget.
struct TSymbolInfo {
  char32_t character = 0;
  int32_t index = 0;  // from 1
  TRect rect;         // (0, 0, glyph width, glyph height) until laid out
  int32_t width = 0;  // of the glyph
  int32_t height = 0;
  int32_t before = 0;  // the glyph's "wleft"
  int32_t after = 0;   // the glyph's "wright"
  bool visible = false;
};

class TTextWidget : public TImageWidget, public virtual ITextWidget {
 public:
  void Init() override;

  int32_t TextWidth(std::string_view text) override;
  int32_t MaxGlyphHeight(std::string_view text) override;
  bool GetCharRect(int32_t n, TRect& rect) override;
  void GetTextRect(TRect& rect) override;

  TRect GetRect() override;
  void Invalidate() override;
  void SetOwner(IWidgetOwner* owner) override;
  void SetNeedsRedraw(bool value) override;
  void Draw(ISurface* surface, int32_t x, int32_t y) override;
  // The rectangle with the text: glyphs come from a shared font image, whose pixels say
  // nothing about this widget.
  bool ContainsPoint(const TPoint& point, bool ignoreVisibility) override;
  // The layout follows the new font.
  void SetResourceName(const std::string& name) override;

  void LoadFromXml(const Ref<IHierStorage>& node) override;

  const std::string& GetText() const { return text_; }
  // Translated, then laid out again when it differs.
  void SetText(std::string_view text);
  const std::vector<TSymbolInfo>& Symbols() const { return symbols_; }
  // Relative to the widget; empty when nothing is shown.
  const TRect& TextBounds() const { return bounds_; }

 protected:
  const TPropertyTable& Properties() override;

  Ref<IFontResource> GetFont();
  void Rebuild();
  void LayoutSingleLine();
  void LayoutLines();
  // Places the shown symbols First..Last from X on the line at Y.
  void PlaceRun(int32_t first, int32_t last, int64_t x, int64_t y);
  int64_t AlignX(int64_t lineWidth) const;
  int32_t Advance(const TSymbolInfo& symbol) const;
  void RenderCache(IFontResource* font);
  void SetMultiline(bool value);
  void SetUseFixedWidth(bool value);
  void SetFixedWidth(int32_t value);
  void SetTextAlign(const std::string& value);
  void SetVertAlign(const std::string& value);

  std::string text_;
  int32_t fixedWidth_ = 0;
  bool useFixedWidth_ = false;
  std::string textAlign_ = "left";
  std::string vertAlign_ = "top";
  bool multiline_ = false;
  int32_t lineHeight_ = 0;
  TRect bounds_;
  Ref<ISurface> cache_;
  TPoint cacheAsked_;  // the size last asked of the cache
  bool cacheDirty_ = true;
  int32_t fontHeight_ = 0;
  std::vector<TSymbolInfo> symbols_;
};
