#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "tests/tools/AssetGenTestSupport.h"
#include "tools/assetgen/AssetArgs.h"
#include "tools/assetgen/Fonts.h"

namespace {

struct Symbol {
  int code, left, top, width, height, wleft, wright;
};

// Reads the table the way the font resource does: "symbol" elements inside "symbols".
std::vector<Symbol> ReadSymbols(const std::string& xml) {
  std::vector<Symbol> out;
  const std::regex symbol(
      "<symbol scancode=\"(\\d+)\" left=\"(\\d+)\" top=\"(\\d+)\" width=\"(\\d+)\" "
      "height=\"(\\d+)\" wleft=\"(-?\\d+)\" wright=\"(-?\\d+)\"/>");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), symbol); it != std::sregex_iterator();
       ++it) {
    const std::smatch& m = *it;
    out.push_back({std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]),
                   std::stoi(m[5]), std::stoi(m[6]), std::stoi(m[7])});
  }
  return out;
}

struct FontFiles {
  DecodedImage atlas;
  std::string xml;
  std::vector<Symbol> symbols;
};

FontFiles MakeFont(const ScratchDir& dir, const std::vector<std::string>& words) {
  const std::vector<std::string> written = Generate("font", dir.Path(), words);
  EXPECT_EQ(written,
            (std::vector<std::string>{dir.File(words[0] + ".png"), dir.File(words[0] + ".xml")}));
  FontFiles f;
  f.atlas = DecodePng(ReadBytes(written[0]));
  const std::vector<uint8_t> xml = ReadBytes(written[1]);
  f.xml.assign(xml.begin(), xml.end());
  f.symbols = ReadSymbols(f.xml);
  return f;
}

TEST(AssetGenFont, TableCoversAsciiAndLatin1InsideTheAtlas) {
  struct Case {
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {{"plain", "size=16"}},
      {{"fancy", "face=DejaVuSans-Bold.ttf", "size=24", "color=fff2a8", "color2=f0a030",
        "outline=2", "shadow_x=2", "shadow_y=2", "atlas_width=256"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words[0]);
    ScratchDir dir;
    const FontFiles f = MakeFont(dir, c.words);
    ASSERT_TRUE(f.atlas.ok);
    EXPECT_EQ(f.atlas.channels, 4);
    EXPECT_EQ(f.xml.rfind("<symbols>", 0), 0u);
    EXPECT_NE(f.xml.find("</symbols>"), std::string::npos);

    std::map<int, Symbol> byCode;
    for (const Symbol& s : f.symbols) byCode[s.code] = s;
    EXPECT_EQ(byCode.size(), f.symbols.size()) << "each code once";
    for (int code = 32; code <= 126; ++code) EXPECT_TRUE(byCode.count(code)) << code;
    for (int code = 160; code <= 255; ++code) EXPECT_TRUE(byCode.count(code)) << code;

    const int height = f.symbols.front().height;
    for (const Symbol& s : f.symbols) {
      SCOPED_TRACE(s.code);
      EXPECT_EQ(s.height, height) << "one height, so the baselines line up";
      EXPECT_GT(s.width, 0);
      EXPECT_GE(s.left, 0);
      EXPECT_GE(s.top, 0);
      EXPECT_LE(s.left + s.width, f.atlas.width);
      EXPECT_LE(s.top + s.height, f.atlas.height);
      EXPECT_GT(s.width + s.wleft + s.wright, 0) << "every glyph advances the pen";
    }
    // Rectangles never overlap, and nothing is drawn outside them.
    std::vector<int> owner(static_cast<size_t>(f.atlas.width) * f.atlas.height, -1);
    for (const Symbol& s : f.symbols) {
      for (int y = s.top; y < s.top + s.height; ++y) {
        for (int x = s.left; x < s.left + s.width; ++x) {
          int& o = owner[static_cast<size_t>(y) * f.atlas.width + x];
          EXPECT_EQ(o, -1) << "glyph " << s.code << " overlaps glyph " << o;
          o = s.code;
        }
      }
    }
    size_t stray = 0;
    for (int y = 0; y < f.atlas.height; ++y)
      for (int x = 0; x < f.atlas.width; ++x)
        stray += owner[static_cast<size_t>(y) * f.atlas.width + x] < 0 && f.atlas.Alpha(x, y) != 0;
    EXPECT_EQ(stray, 0u);
    // Letters have ink with soft edges; the blank has none.
    AlphaCounts ink;
    const Symbol& a = byCode.at('A');
    for (int y = a.top; y < a.top + a.height; ++y)
      for (int x = a.left; x < a.left + a.width; ++x) {
        const uint8_t v = f.atlas.Alpha(x, y);
        (v == 0 ? ink.clear : v == 255 ? ink.opaque : ink.partial)++;
      }
    EXPECT_GT(ink.opaque, 0u);
    EXPECT_GT(ink.partial, 0u);
    const Symbol& blank = byCode.at(' ');
    for (int y = blank.top; y < blank.top + blank.height; ++y)
      for (int x = blank.left; x < blank.left + blank.width; ++x) EXPECT_EQ(f.atlas.Alpha(x, y), 0);
  }
}

TEST(AssetGenFont, SpacingMatchesTheOutlineFont) {
  // Spacing is what the text widget adds: wleft before the cell, wright after it. Their sum
  // with the width is the font's advance plus the extra spacing asked for.
  ScratchDir dir;
  const FontFiles plain = MakeFont(dir, {"a", "size=20", "chars=65-90,105"});
  const FontFiles spaced =
      MakeFont(dir, {"b", "size=20", "chars=65-90,105", "outline=2", "spacing=5"});
  ASSERT_EQ(plain.symbols.size(), 27u);
  ASSERT_EQ(spaced.symbols.size(), 27u);
  for (size_t i = 0; i < plain.symbols.size(); ++i) {
    const Symbol& p = plain.symbols[i];
    const Symbol& s = spaced.symbols[i];
    ASSERT_EQ(p.code, s.code);
    EXPECT_EQ(s.width + s.wleft + s.wright, p.width + p.wleft + p.wright + 5) << p.code;
    EXPECT_EQ(s.width, p.width + 4) << "the outline widens each side";
  }
  // "I" and "W" have different advances in a proportional font.
  const auto advance = [](const Symbol& s) { return s.width + s.wleft + s.wright; };
  EXPECT_LT(advance(plain.symbols['I' - 'A']), advance(plain.symbols['W' - 'A']));
}

TEST(AssetGenFont, CharacterListsAndTheirErrors) {
  EXPECT_EQ(assetgen::ParseCodeRanges("65-67,8364,66"), (std::vector<int>{65, 66, 67, 8364}));
  for (const char* bad : {"", "a-b", "70-60", "0", "65-", "65,,66", "70000", "65-99999999999"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(assetgen::ParseCodeRanges(bad), assetgen::AssetError);
  }
  // Atlases that cannot be made are refused before anything is drawn.
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"big", "size=256", "chars=1-65535"},
        std::vector<std::string>{"narrow", "size=40", "atlas_width=16"},
        std::vector<std::string>{"nofont", "face=Missing.ttf"},
        std::vector<std::string>{"typo", "colour=ffffff"}}) {
    SCOPED_TRACE(words[0]);
    ScratchDir dir;
    EXPECT_THROW(Generate("font", dir.Path(), words), assetgen::AssetError);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  }
  // A code the font lacks is left out of the table instead of drawing a box.
  ScratchDir dir;
  const FontFiles f = MakeFont(dir, {"c", "chars=65,57344"});  // U+E000, private use
  ASSERT_EQ(f.symbols.size(), 1u);
  EXPECT_EQ(f.symbols[0].code, 65);
}

}  // namespace
