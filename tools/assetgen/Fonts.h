#pragma once
// Bitmap fonts: glyphs rendered from an outline font with FreeType into one atlas picture
// with alpha, and the glyph table the font resource reads: a "symbols" element with one
// "symbol" per character (its code, its rectangle in the atlas and its spacing).

#include <string>
#include <vector>

#include "tools/assetgen/AssetArgs.h"
#include "tools/assetgen/Canvas.h"

namespace assetgen {

struct FontStyle {
  std::string facePath;
  int size = 20;             // pixels per em
  Rgba colour{1, 1, 1, 1};   // glyph top
  Rgba colour2{1, 1, 1, 1};  // glyph bottom (a vertical gradient)
  int outline = 0;           // outline width in pixels, 0 for none
  Rgba outlineColour{0, 0, 0, 1};
  int shadowX = 0, shadowY = 0;  // drop-shadow offset, 0 0 for none
  Rgba shadowColour{0, 0, 0, 0.5f};
  int spacing = 0;  // extra advance after every glyph
  int atlasWidth = 512;
};

// One row of the glyph table. Every glyph of a font has the same height, so that the
// baselines line up when the text widget places glyphs by their top edge.
struct Glyph {
  int code = 0;
  int left = 0, top = 0, width = 0, height = 0;  // rectangle in the atlas
  int wleft = 0, wright = 0;  // space before and after; width + wleft + wright = advance
};

struct FontAtlas {
  Canvas image{1, 1};
  std::vector<Glyph> glyphs;  // in the order of the requested codes; missing ones left out
};

// "32-126,160-255,8364": single codes and inclusive ranges, separated by commas.
std::vector<int> ParseCodeRanges(const std::string& text);

FontAtlas BuildFontAtlas(const FontStyle& style, const std::vector<int>& codes);

// The glyph table as XML text: "<symbols>", one "<symbol .../>" line per glyph, "</symbols>".
std::string SymbolsXml(const std::vector<Glyph>& glyphs);

// One line of text (UTF-8) as coverage, `pad` empty pixels on every side.
Mask RenderTextMask(const std::string& facePath, int size, const std::string& text, int pad);

}  // namespace assetgen
