#pragma once
// Image and bitmap-font resources over plain surfaces, for widget tests and benchmarks
// that need resources without files or an engine. Put them into FakeEngine::resources.
//
//   Ref<FakeFontResource> font = MakeFixedFont(U"ab c", 4, 6);   // 4 x 6 cells
//   engine->resources->Put("font", font);
//   // <widget type="text_widget" resourcename="font" .../>
//
// The fixed font's glyph of the I-th listed character covers the cell at x = I * width of
// its one-row image, every pixel FixedFontPixel(I): opaque and different per glyph, so a
// test can tell from a pixel which glyph was drawn there.

#include <algorithm>
#include <map>
#include <string>
#include <string_view>

#include "engine/EngineSurface.h"
#include "foundation/EngineGeneralClasses.h"
#include "foundation/EngineInterfaces.h"
#include "foundation/TextConvert.h"

// A loaded image: its surface is all there is.
class FakeImageResource : public TNamedObject, public virtual IImageResource {
 public:
  Ref<ISurface> surface;
  // Calls of Load and Unload.
  int loads = 0;
  int unloads = 0;

  std::string GetFileName() override { return {}; }
  bool IsLoadPending() override { return false; }
  std::string GetGroupName() override { return {}; }
  void SetGroupName(const std::string&) override {}
  void Load() override { ++loads; }
  void Unload() override { ++unloads; }
  void SetOwner(IResourceOwner*) override {}
  void Detach() override {}
  int32_t GetWidth() override { return surface ? surface->GetWidth() : 0; }
  int32_t GetHeight() override { return surface ? surface->GetHeight() : 0; }
  Ref<ISurface> GetSurface() override { return surface; }
};

class FakeSymbol : public TNamedObject, public virtual ISymbol {
 public:
  int32_t code = 0;
  TRect rect;
  int32_t wleft = 0, wright = 0;

  int32_t GetCode() override { return code; }
  void SetCode(int32_t value) override { code = value; }
  TRect GetRect() override { return rect; }
  void SetRect(const TRect& value) override { rect = value; }
  int32_t GetWidth() override { return rect.Width(); }
  int32_t GetHeight() override { return rect.Height(); }
  int32_t GetWLeft() override { return wleft; }
  int32_t GetWRight() override { return wright; }
  void SetWLeft(int32_t value) override { wleft = value; }
  void SetWRight(int32_t value) override { wright = value; }
};

// Glyphs by character code. Counts how it is asked, so tests can see the look-up by code
// is the one used.
class FakeFontResource : public FakeImageResource, public virtual IFontResource {
 public:
  std::map<int32_t, Ref<ISymbol>> glyphs;
  int32_t maxHeight = 0;
  int textLookups = 0;
  int codeLookups = 0;

  int32_t GetMaxHeight() override { return maxHeight; }
  Ref<ISymbol> FindSymbol(std::string_view text) override {
    ++textLookups;
    uint32_t code = 0;
    if (text.empty() || DecodeUtf8(text.data(), text.data() + text.size(), code) <= 0)
      return nullptr;
    return Find(int32_t(code));
  }
  Ref<ISymbol> FindSymbolByCode(int32_t code) override {
    ++codeLookups;
    return Find(code);
  }
  Ref<FakeSymbol> AddGlyph(int32_t code, const TRect& rect, int32_t wleft = 0, int32_t wright = 0) {
    Ref<FakeSymbol> symbol = TAbstractObject::Create<FakeSymbol>();
    symbol->SetName(std::to_string(code));
    symbol->code = code;
    symbol->rect = rect;
    symbol->wleft = wleft;
    symbol->wright = wright;
    glyphs[code] = Ref<ISymbol>(symbol.get());
    maxHeight = std::max(maxHeight, rect.Height());
    return symbol;
  }

 private:
  Ref<ISymbol> Find(int32_t code) {
    auto it = glyphs.find(code);
    return it == glyphs.end() ? nullptr : it->second;
  }
};

inline Ref<TSurface> NewAlphaSurface(int32_t width, int32_t height, uint32_t fill = 0) {
  Ref<TSurface> surface = TAbstractObject::Create<TSurface>();
  surface->SetSize(width, height);
  surface->SetHasAlpha(true);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) surface->SetPixel(x, y, fill);
  return surface;
}

inline Ref<FakeImageResource> MakeImage(const Ref<ISurface>& surface) {
  Ref<FakeImageResource> image = TAbstractObject::Create<FakeImageResource>();
  image->surface = surface;
  return image;
}

// The colour of every pixel of the I-th glyph of a fixed font.
inline uint32_t FixedFontPixel(int index) {
  return 0xFF000000u | uint32_t(0x10 + index * 0x21) << 16 | uint32_t(0x80 + index * 0x13) << 8 |
         uint32_t(0x40 + index * 0x07);
}

// Every character of Chars gets a Width x Height glyph with the given spacing.
inline Ref<FakeFontResource> MakeFixedFont(std::u32string_view chars, int32_t width, int32_t height,
                                           int32_t wleft = 0, int32_t wright = 0) {
  Ref<FakeFontResource> font = TAbstractObject::Create<FakeFontResource>();
  const int32_t count = int32_t(chars.size());
  Ref<TSurface> image = NewAlphaSurface(std::max(1, count * width), std::max(1, height));
  for (int32_t i = 0; i < count; ++i) {
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) image->SetPixel(i * width + x, y, FixedFontPixel(i));
    font->AddGlyph(int32_t(chars[size_t(i)]), TRect{i * width, 0, (i + 1) * width, height}, wleft,
                   wright);
  }
  font->surface = Ref<ISurface>(image.get());
  return font;
}
