#include "tools/assetgen/Fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>
#include <set>

namespace assetgen {

namespace {

// Owns a FreeType library and one face at one pixel size.
class FontFace {
 public:
  FontFace(const std::string& path, int size) {
    if (FT_Init_FreeType(&library_)) throw AssetError("FreeType cannot start");
    if (FT_New_Face(library_, path.c_str(), 0, &face_)) {
      FT_Done_FreeType(library_);
      throw AssetError("cannot open font " + path);
    }
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(size))) {
      FT_Done_Face(face_);
      FT_Done_FreeType(library_);
      throw AssetError("font " + path + " has no size " + std::to_string(size));
    }
  }
  ~FontFace() {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  FT_Face Get() const { return face_; }
  int Ascender() const { return static_cast<int>(face_->size->metrics.ascender >> 6); }
  int Descender() const { return static_cast<int>(-(face_->size->metrics.descender >> 6)); }

  // Renders `code`; false when the font has no glyph for it.
  bool Load(int code) {
    const FT_UInt index = FT_Get_Char_Index(face_, static_cast<FT_ULong>(code));
    if (index == 0 && code != 0) return false;
    if (FT_Load_Glyph(face_, index, FT_LOAD_RENDER) != 0) return false;
    const FT_Bitmap& bm = face_->glyph->bitmap;
    return bm.width == 0 || bm.rows == 0 || bm.pixel_mode == FT_PIXEL_MODE_GRAY;
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// The rendered bitmap of the glyph just loaded, copied into `mask` at (x, y).
void CopyBitmap(const FT_GlyphSlot slot, Mask& mask, int x, int y) {
  const FT_Bitmap& bm = slot->bitmap;
  for (unsigned row = 0; row < bm.rows; ++row) {
    const unsigned char* src = bm.buffer + static_cast<long>(row) * bm.pitch;
    for (unsigned col = 0; col < bm.width; ++col) {
      const int mx = x + static_cast<int>(col), my = y + static_cast<int>(row);
      if (mx < 0 || my < 0 || mx >= mask.width || my >= mask.height) continue;
      float& c = mask.cover[static_cast<size_t>(my) * mask.width + mx];
      c = std::max(c, src[col] / 255.0f);
    }
  }
}

Mask EmptyMask(int width, int height) {
  Mask m;
  m.width = width;
  m.height = height;
  m.cover.assign(static_cast<size_t>(width) * height, 0.0f);
  return m;
}

Mask Shifted(const Mask& m, int dx, int dy) {
  Mask out = EmptyMask(m.width, m.height);
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x)
      out.cover[static_cast<size_t>(y) * m.width + x] = m.At(x - dx, y - dy);
  return out;
}

// Decodes UTF-8 leniently: a broken sequence gives U+FFFD and reading goes on.
std::vector<int> DecodeUtf8(const std::string& s) {
  std::vector<int> out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    int code = len == 1 ? c : c & (0x7F >> len);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      const unsigned char cc = static_cast<unsigned char>(s[i + k]);
      ok = ok && (cc >> 6) == 2;
      code = (code << 6) | (cc & 0x3F);
    }
    out.push_back(ok ? code : 0xFFFD);
    i += ok ? len : 1;
  }
  return out;
}

}  // namespace

std::vector<int> ParseCodeRanges(const std::string& text) {
  std::vector<int> codes;
  std::set<long> seen;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(start, end - start);
    char* rest = nullptr;
    const long first = std::strtol(item.c_str(), &rest, 10);
    long last = first;
    if (*rest == '-') last = std::strtol(rest + 1, &rest, 10);
    if (item.empty() || *rest != '\0' || first < 1 || last < first || last > 0xFFFF)
      throw AssetError("character list: '" + item + "' is not a code or a range of codes");
    for (long c = first; c <= last; ++c)
      if (seen.insert(c).second) codes.push_back(static_cast<int>(c));
    start = end + 1;
  }
  return codes;
}

FontAtlas BuildFontAtlas(const FontStyle& style, const std::vector<int>& codes) {
  FontFace face(style.facePath, style.size);
  FT_Face f = face.Get();

  // One cell height for all glyphs: the font's ascent and descent, stretched to fit any
  // glyph (accented capitals) that reaches beyond them.
  int above = face.Ascender(), below = face.Descender();
  for (int code : codes) {
    if (!face.Load(code)) continue;
    above = std::max(above, f->glyph->bitmap_top);
    below = std::max(below, static_cast<int>(f->glyph->bitmap.rows) - f->glyph->bitmap_top);
  }
  const int pad = style.outline;
  const int sx = style.shadowX > 0 ? style.shadowX : 0, sy = style.shadowY > 0 ? style.shadowY : 0;
  const int cellHeight = above + below + 2 * pad + sy;

  // Measure and place every glyph first, so that an atlas too large is refused before
  // anything is drawn.
  std::vector<Glyph> glyphs;
  const int gap = 1;  // a blank pixel between neighbours: no glyph bleeds into another
  int x = gap, y = gap;
  for (int code : codes) {
    if (!face.Load(code)) continue;
    const FT_GlyphSlot slot = f->glyph;
    const int advance = static_cast<int>((slot->advance.x + 32) >> 6);
    const int bw = static_cast<int>(slot->bitmap.width);
    Glyph g;
    g.code = code;
    g.height = cellHeight;
    if (bw == 0) {  // a blank: its cell is the advance, nothing drawn
      g.width = std::max(1, advance);
      g.wright = advance + style.spacing - g.width;
    } else {
      g.width = bw + 2 * pad + sx;
      g.wleft = slot->bitmap_left - pad;
      g.wright = advance + style.spacing - g.width - g.wleft;
    }
    if (g.width + 2 * gap > style.atlasWidth)
      throw AssetError("a glyph is wider than the atlas; raise atlas_width");
    if (x + g.width + gap > style.atlasWidth) {
      x = gap;
      y += cellHeight + gap;
    }
    if (y + cellHeight + gap > 8192)
      throw AssetError(
          "the atlas would be taller than 8192 pixels: fewer characters or a wider atlas");
    g.left = x;
    g.top = y;
    x += g.width + gap;
    glyphs.push_back(g);
  }

  FontAtlas atlas;
  atlas.image = Canvas(style.atlasWidth, glyphs.empty() ? 1 : y + cellHeight + gap);
  for (const Glyph& g : glyphs) {
    face.Load(g.code);
    const FT_GlyphSlot slot = f->glyph;
    if (slot->bitmap.width == 0) continue;
    Canvas cell(g.width, g.height);
    Mask fill = EmptyMask(g.width, g.height);
    CopyBitmap(slot, fill, pad, pad + above - slot->bitmap_top);
    const Mask edge = pad > 0 ? Dilate(fill, static_cast<float>(pad)) : fill;
    if (sx > 0 || sy > 0) cell.FillMask(Shifted(edge, sx, sy), 0, 0, Solid(style.shadowColour));
    if (pad > 0) cell.FillMask(edge, 0, 0, Solid(style.outlineColour));
    const float top = static_cast<float>(pad), bottom = static_cast<float>(pad + above + below);
    cell.FillMask(fill, 0, 0, Linear(0, top, style.colour, 0, bottom, style.colour2));
    atlas.image.Draw(cell, g.left, g.top);
  }
  atlas.glyphs = std::move(glyphs);
  return atlas;
}

std::string SymbolsXml(const std::vector<Glyph>& glyphs) {
  std::string xml = "<symbols>\n";
  for (const Glyph& g : glyphs) {
    xml += "<symbol scancode=\"" + std::to_string(g.code) + "\" left=\"" + std::to_string(g.left) +
           "\" top=\"" + std::to_string(g.top) + "\" width=\"" + std::to_string(g.width) +
           "\" height=\"" + std::to_string(g.height) + "\" wleft=\"" + std::to_string(g.wleft) +
           "\" wright=\"" + std::to_string(g.wright) + "\"/>\n";
  }
  return xml + "</symbols>\n";
}

Mask RenderTextMask(const std::string& facePath, int size, const std::string& text, int pad) {
  FontFace face(facePath, size);
  FT_Face f = face.Get();
  const std::vector<int> codes = DecodeUtf8(text);
  // First pass measures, second draws.
  int width = 0;
  FT_UInt previous = 0;
  std::vector<int> pens;
  for (int code : codes) {
    const FT_UInt index = FT_Get_Char_Index(f, static_cast<FT_ULong>(code));
    if (previous && index && FT_HAS_KERNING(f)) {
      FT_Vector kern;
      if (!FT_Get_Kerning(f, previous, index, FT_KERNING_DEFAULT, &kern))
        width += static_cast<int>(kern.x >> 6);
    }
    pens.push_back(width);
    if (face.Load(code)) width += static_cast<int>((f->glyph->advance.x + 32) >> 6);
    previous = index;
  }
  Mask m = EmptyMask(width + 2 * pad + 2, face.Ascender() + face.Descender() + 2 * pad);
  for (size_t i = 0; i < codes.size(); ++i) {
    if (!face.Load(codes[i])) continue;
    CopyBitmap(f->glyph, m, pad + 1 + pens[i] + f->glyph->bitmap_left,
               pad + face.Ascender() - f->glyph->bitmap_top);
  }
  return m;
}

}  // namespace assetgen
