// The text widget: glyph look-up, the single-line and wrapped layouts, and the cache.

#include "widgets/TextWidget.h"

#include <algorithm>
#include <exception>

#include "foundation/CheckedMath.h"
#include "foundation/MultiLanguages.h"
#include "foundation/TextConvert.h"

namespace {

constexpr char32_t kLineFeed = 0x0A;
constexpr char32_t kReplacement = 0xFFFD;

// A line may break after these.
bool IsBreak(char32_t c) {
  switch (c) {
    case 0x0020:  // space
    case 0x30FB:  // katakana middle dot
    case 0x3001:  // ideographic comma
    case 0x3002:  // ideographic full stop
    case 0xFF01:  // fullwidth exclamation mark
    case 0xFF1A:  // fullwidth colon
    case 0xFF1F:  // fullwidth question mark
      return true;
    default:
      return false;
  }
}

// Breaks that vanish when the line breaks at them; punctuation stays at the line's end.
bool IsSwallowed(char32_t c) {
  return c == 0x0020 || c == 0x30FB;
}

// Calls Each(code) for every character of Text; a byte that starts no UTF-8 character
// stands for one replacement character.
template <class Each>
void ForEachChar(std::string_view text, Each&& each) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    uint32_t code = 0;
    int length = DecodeUtf8(p, end, code);
    if (length <= 0) {
      code = kReplacement;
      length = 1;
    }
    each(char32_t(code));
    p += length;
  }
}

}  // namespace

void TTextWidget::Init() {
  TImageWidget::Init();
  textAlign_ = "left";
  vertAlign_ = "top";
  cacheDirty_ = true;
}

Ref<IFontResource> TTextWidget::GetFont() {
  return Supports<IFontResource>(GetImageResource());
}

int32_t TTextWidget::Advance(const TSymbolInfo& symbol) const {
  if (!symbol.visible) return 0;
  if (useFixedWidth_) return fixedWidth_;
  return SaturateInt32(int64_t(symbol.width) + symbol.before + symbol.after);
}

// ---------------------------------------------------------------------------------------
// Measurements

int32_t TTextWidget::TextWidth(std::string_view text) {
  Ref<IFontResource> font = GetFont();
  if (!font) return 0;
  int64_t width = 0;
  ForEachChar(text, [&](char32_t c) {
    Ref<ISymbol> glyph = font->FindSymbolByCode(int32_t(c));
    if (!glyph) return;
    width += useFixedWidth_ ? fixedWidth_
                            : int64_t(glyph->GetWidth()) + glyph->GetWLeft() + glyph->GetWRight();
  });
  return SaturateInt32(width);
}

int32_t TTextWidget::MaxGlyphHeight(std::string_view text) {
  Ref<IFontResource> font = GetFont();
  if (!font) return 0;
  int32_t height = 0;
  ForEachChar(text, [&](char32_t c) {
    if (Ref<ISymbol> glyph = font->FindSymbolByCode(int32_t(c)))
      height = std::max(height, glyph->GetHeight());
  });
  return height;
}

bool TTextWidget::GetCharRect(int32_t n, TRect& rect) {
  if (n <= 0 || n > int32_t(symbols_.size())) return false;
  const TSymbolInfo& s = symbols_[size_t(n - 1)];
  if (!s.visible) return false;
  int64_t left = RoundHalfEven(GetLeft());
  int64_t top = RoundHalfEven(GetTop());
  rect = TRect{SaturateInt32(left + s.rect.Left - s.before), SaturateInt32(top + s.rect.Top),
               SaturateInt32(left + s.rect.Right + s.after), SaturateInt32(top + s.rect.Bottom)};
  return true;
}

void TTextWidget::GetTextRect(TRect& rect) {
  rect = platform::OffsetRect(bounds_, RoundHalfEven(anchorLeft_), RoundHalfEven(anchorTop_));
}

TRect TTextWidget::GetRect() {
  TRect base = TImageWidget::GetRect();
  TRect text;
  GetTextRect(text);
  TRect result;
  UnionRects(base, text, result);
  return result;
}

bool TTextWidget::ContainsPoint(const TPoint& point, bool ignoreVisibility) {
  return TAbstractWidget::ContainsPoint(point, ignoreVisibility);
}

// ---------------------------------------------------------------------------------------
// Layout

void TTextWidget::Rebuild() {
  SetNeedsRedraw(true);
  invalidated_ = true;
  cacheDirty_ = true;
  Ref<IFontResource> font = GetFont();
  if (!font) return;
  fontHeight_ = font->GetMaxHeight();
  // The list keeps its room: a text that changes every frame allocates nothing.
  symbols_.clear();
  int32_t index = 0;
  ForEachChar(text_, [&](char32_t c) {
    TSymbolInfo& s = symbols_.emplace_back();
    s.character = c;
    s.index = ++index;
    if (Ref<ISymbol> glyph = font->FindSymbolByCode(int32_t(c))) {
      s.width = glyph->GetWidth();
      s.height = glyph->GetHeight();
      s.before = glyph->GetWLeft();
      s.after = glyph->GetWRight();
      s.visible = true;
    }
    s.rect = TRect{0, 0, s.width, s.height};
  });
  if (multiline_)
    LayoutLines();
  else
    LayoutSingleLine();
  const TRect oldBounds = bounds_;
  bounds_ = TRect{};
  bool first = true;
  for (const TSymbolInfo& s : symbols_) {
    if (!s.visible) continue;
    if (first)
      bounds_ = s.rect;
    else
      UnionRects(bounds_, s.rect, bounds_);
    first = false;
  }
  // Text that reaches past the widget moves the widget's rectangle: the dirty pass must
  // clear where the old text was, not only draw the new one.
  if (bounds_ != oldBounds) SetChanged();
}

int64_t TTextWidget::AlignX(int64_t lineWidth) const {
  if (textAlign_ == "right") return width_ - lineWidth;
  if (textAlign_ == "center") return (width_ - lineWidth) / 2;  // toward zero
  return 0;
}

void TTextWidget::PlaceRun(int32_t first, int32_t last, int64_t x, int64_t y) {
  for (int32_t i = first; i <= last; ++i) {
    TSymbolInfo& s = symbols_[size_t(i)];
    if (!s.visible) continue;
    int64_t left;
    if (useFixedWidth_) {
      // Centred in its cell.
      left = x + (int64_t(fixedWidth_) - s.width) / 2;
      x += fixedWidth_;
    } else {
      x += s.before;
      left = x;
      x += int64_t(s.width) + s.after;
    }
    s.rect = TRect{SaturateInt32(left), SaturateInt32(y), SaturateInt32(left + s.width),
                   SaturateInt32(y + s.height)};
  }
}

void TTextWidget::LayoutSingleLine() {
  int64_t total = 0;
  int32_t lineHeight = 0;
  bool full = false;
  for (TSymbolInfo& s : symbols_) {
    if (!s.visible) continue;
    // Nothing after the first character that does not fit, even narrower ones.
    if (full || total + Advance(s) > width_) {
      full = true;
      s.visible = false;
      continue;
    }
    total += Advance(s);
    lineHeight = std::max(lineHeight, s.height);
  }
  if (fontHeight_ > 0) lineHeight = fontHeight_;
  int64_t y = 0;
  if (vertAlign_ == "middle") y = (int64_t(height_) - lineHeight) / 2;
  if (vertAlign_ == "bottom") y = int64_t(height_) - lineHeight;
  PlaceRun(0, int32_t(symbols_.size()) - 1, AlignX(total), y);
}

void TTextWidget::LayoutLines() {
  const int32_t count = int32_t(symbols_.size());
  const int64_t step = lineHeight_ != 0 ? lineHeight_ : fontHeight_;
  const int64_t limit = width_;
  auto character = [&](int32_t i) { return symbols_[size_t(i)].character; };
  auto advance = [&](int32_t i) { return int64_t(Advance(symbols_[size_t(i)])); };
  int64_t top = 0;
  int32_t lines = 0;
  for (int32_t start = 0; start < count;) {
    // Walk until a line feed or the first character that overflows.
    int64_t width = 0;
    int32_t lastBreak = -1;
    int32_t end = -1;
    for (int32_t i = start; i < count && end < 0; ++i) {
      if (character(i) == kLineFeed) end = i;
      if (IsBreak(character(i))) lastBreak = i;
      if (!symbols_[size_t(i)].visible) continue;
      width += advance(i);
      if (width <= limit) continue;
      end = i;
      // Overflowing on a break: the breaks right after it stay on this line too.
      if (i != lastBreak) continue;
      for (int32_t j = i + 1; j < count; ++j) {
        if (character(j) == kLineFeed) {
          end = j;
          break;
        }
        if (!IsBreak(character(j))) break;
        end = j;
      }
    }
    if (end < 0) end = count - 1;

    if (width > limit) {
      if (lastBreak < 0) {
        // One long word: cut where it overflows, keeping at least its first character.
        while (width > limit && end > start) width -= advance(end--);
      } else {
        for (int32_t j = end; j >= lastBreak; --j) width -= advance(j);
        if (IsSwallowed(character(lastBreak)))
          symbols_[size_t(lastBreak)].visible = false;
        else
          width += advance(lastBreak);
        // A word after the break moves to the next line.
        for (int32_t j = lastBreak + 1; j <= end; ++j) {
          if (!IsBreak(character(j)) && character(j) != kLineFeed) {
            end = lastBreak;
            break;
          }
        }
      }
    }

    PlaceRun(start, end, AlignX(width), top);
    ++lines;
    start = end + 1;
    top += step;
    if (start < count && top > height_) {
      for (int32_t j = start; j < count; ++j) symbols_[size_t(j)].visible = false;
      break;
    }
  }

  int64_t offset = 0;
  int64_t block = int64_t(height_) - fontHeight_ - (lines - 1) * step;
  if (vertAlign_ == "middle") offset = block / 2;
  if (vertAlign_ == "bottom") offset = block;
  if (offset == 0 || lines == 0) return;
  for (TSymbolInfo& s : symbols_) {
    if (!s.visible) continue;
    s.rect.Top = SaturateInt32(s.rect.Top + offset);
    s.rect.Bottom = SaturateInt32(s.rect.Bottom + offset);
  }
}

// ---------------------------------------------------------------------------------------
// Drawing

void TTextWidget::RenderCache(IFontResource* font) {
  cache_->Clear();
  for (const TSymbolInfo& s : symbols_) {
    if (!s.visible) continue;
    Ref<ISymbol> glyph = font->FindSymbolByCode(int32_t(s.character));
    if (!glyph) continue;
    // Asked after the glyph: a font standing for several answers with the image of the
    // one that had it.
    Ref<ISurface> image = font->GetSurface();
    if (!image) continue;
    TRect target = platform::OffsetRect(s.rect, -int64_t(bounds_.Left), -int64_t(bounds_.Top));
    if (drawMode_ == dmFillColor)
      cache_->DrawColored(fillColor_, image.get(), bmNormal, 255, target, glyph->GetRect());
    else
      cache_->Draw(image.get(), glyph->GetRect(), bmNormal, 255, target);
  }
}

void TTextWidget::Draw(ISurface* surface, int32_t x, int32_t y) {
  if (!surface || !engine_) return;
  if (!cache_) {
    cache_ = engine_->CreateSurface();
    if (!cache_) return;
    cache_->SetHasAlpha(true);
    cacheDirty_ = true;
  }
  const int32_t width = bounds_.Width();
  const int32_t height = bounds_.Height();
  // Grown only: a text that changes every frame keeps one buffer. A size beyond what a
  // surface may have is cut down by it; that is asked once, not again every frame.
  if ((cache_->GetWidth() < width || cache_->GetHeight() < height) &&
      (width != cacheAsked_.X || height != cacheAsked_.Y)) {
    cache_->SetSize(width, height);
    cacheAsked_ = TPoint{width, height};
  }
  if (cacheDirty_) {
    Ref<IFontResource> font = GetFont();
    if (!font) return;
    RenderCache(font.get());
    cacheDirty_ = false;
  }
  if (width <= 0 || height <= 0) return;
  // The cache beyond the bounds is transparent: only the text's part is drawn.
  TRect target{SaturateInt32(int64_t(x) + bounds_.Left), SaturateInt32(int64_t(y) + bounds_.Top), 0,
               0};
  target.Right = SaturateInt32(int64_t(target.Left) + width);
  target.Bottom = SaturateInt32(int64_t(target.Top) + height);
  surface->Draw(cache_.get(), TRect{0, 0, width, height}, bmNormal, uint8_t(GetTransparentLevel()),
                target);
}

// ---------------------------------------------------------------------------------------
// Life and properties

void TTextWidget::Invalidate() {
  Rebuild();
  TImageWidget::Invalidate();
}

void TTextWidget::SetOwner(IWidgetOwner* owner) {
  TImageWidget::SetOwner(owner);
  // The font is reachable only through the owner's engine.
  Rebuild();
}

void TTextWidget::SetNeedsRedraw(bool value) {
  TImageWidget::SetNeedsRedraw(value);
  if (value) cacheDirty_ = true;
}

void TTextWidget::SetText(std::string_view text) {
  std::string translated = TranslateText(text);
  if (translated == text_) return;
  text_ = std::move(translated);
  Rebuild();
}

void TTextWidget::SetResourceName(const std::string& name) {
  TImageWidget::SetResourceName(name);
  Rebuild();
}

void TTextWidget::SetUseFixedWidth(bool value) {
  if (value == useFixedWidth_) return;
  useFixedWidth_ = value;
  Rebuild();
}

void TTextWidget::SetFixedWidth(int32_t value) {
  if (value == fixedWidth_) return;
  fixedWidth_ = value;
  Rebuild();
}

void TTextWidget::SetMultiline(bool value) {
  if (value == multiline_) return;
  multiline_ = value;
  Rebuild();
}

void TTextWidget::SetTextAlign(const std::string& value) {
  if (value == textAlign_) return;
  textAlign_ = value;
  Rebuild();
}

void TTextWidget::SetVertAlign(const std::string& value) {
  if (value == vertAlign_) return;
  vertAlign_ = value;
  Rebuild();
}

const TPropertyTable& TTextWidget::Properties() {
  using T = TTextWidget;
  static const TPropertyTable table(
      TImageWidget::Properties(),
      {
          Prop("text", &T::text_, &T::SetText).Text(),
          Prop("text_utf8", &T::text_, &T::SetText),
          Prop("textlineheight", &T::lineHeight_).Int().Coordinate().SavedWhen([](T& t) {
            return t.lineHeight_ > 0;
          }),
          Prop("multiline", &T::multiline_, &T::SetMultiline).Bool(),
          Prop("usefixedwidth", &T::useFixedWidth_, &T::SetUseFixedWidth).Bool(),
          Prop("fixedwidth", &T::fixedWidth_, &T::SetFixedWidth)
              .Int()
              .Coordinate()
              .SavedWhen(&T::useFixedWidth_),
          Prop("textalign", &T::textAlign_, &T::SetTextAlign).Str("left"),
          Prop("textvertalign", &T::vertAlign_, &T::SetVertAlign).Str("top"),
          Prop<T>("textwidth", [](T& t) { return t.TextWidth(t.text_); }),
      });
  return table;
}

void TTextWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TImageWidget::LoadFromXml(node);
  // Fixed widths of 0 are no fixed widths.
  if (fixedWidth_ == 0) useFixedWidth_ = false;
}
