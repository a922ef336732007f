// The text widget: layout with fonts of fixed metrics, measurements, and the cached
// rendering's pixels.

#include <string>
#include <vector>

#include "foundation/MultiLanguages.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/TextWidget.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// Glyphs 4 x 6 with no spacing; "i" is 1 wide.
constexpr std::u32string_view kMonoChars =
    U"abcdefg .\u3002\u3001\uFF01\uFF1A\uFF1F\u30FB\u3042\u3044\u3046\u3048\u304A";

class TextWidgets : public WidgetFixture {
 protected:
  TextWidgets() {
    RegisterWidgetsClasses();
    mono = MakeFixedFont(kMonoChars, 4, 6);
    mono->AddGlyph('i', TRect{0, 0, 1, 6});
    engine->resources->Put("mono", mono);
    spaced = MakeFixedFont(U"ab", 4, 6, 1, 2);  // advance 7: 1 before, 2 after
    engine->resources->Put("spaced", spaced);
    tall = MakeFixedFont(U"a", 4, 6);
    tall->AddGlyph('T', TRect{0, 0, 4, 9});
    engine->resources->Put("tall", tall);
    engine->resources->Put("picture", MakeImage(Ref<ISurface>(NewAlphaSurface(4, 4).get())));
  }

  Ref<IWidget> ShowText(const std::string& font, const std::string& attrs,
                        const std::string& text) {
    Ref<IWidget> w = Show(R"(<widget type="text_widget" name="t" visible="yes" resourcename=")" +
                          font + R"(" )" + attrs + "/>");
    w->SetProperty("text", Variant(text));
    return w;
  }

  static TTextWidget* Text(const Ref<IWidget>& widget) {
    auto* text = dynamic_cast<TTextWidget*>(widget.get());
    EXPECT_TRUE(text);
    return text;
  }

  // "x,y" of every shown glyph's top-left corner, "-" for every hidden character.
  static std::string Layout(const Ref<IWidget>& widget) {
    std::string out;
    for (const TSymbolInfo& s : Text(widget)->Symbols()) {
      if (!out.empty()) out += ' ';
      out += s.visible ? std::to_string(s.rect.Left) + "," + std::to_string(s.rect.Top) : "-";
    }
    return out;
  }

  Ref<FakeFontResource> mono, spaced, tall;
};

TEST_F(TextWidgets, Layout) {
  struct Case {
    const char* font;
    const char* attrs;
    const char* text;
    const char* expected;
  } cases[] = {
      // One line: nothing after the first character that does not fit, even narrower.
      {"mono", R"(width="14" height="6")", "abcdef", "0,0 4,0 8,0 - - -"},
      {"mono", R"(width="14" height="6")", "abcdi", "0,0 4,0 8,0 - -"},
      {"mono", R"(width="40" height="6")", "aZb", "0,0 - 4,0"},  // no glyph, no room
      {"mono", R"(width="40" height="6")",
       "a\xFF"
       "b",
       "0,0 - 4,0"},  // a stray byte is one unknown character
      // Word wrap: the space at the break is swallowed, the word moves down.
      {"mono", R"(multiline="yes" width="14" height="20")", "ab cd", "0,0 4,0 - 0,6 4,6"},
      {"mono", R"(multiline="yes" width="12" height="20")", "abc d", "0,0 4,0 8,0 - 0,6"},
      {"mono", R"(multiline="yes" width="40" height="20")", "ab cd", "0,0 4,0 8,0 12,0 16,0"},
      // Ideographic full stop: a break that stays at the end of its line.
      {"mono", R"(multiline="yes" width="16" height="20")", "\u3042\u3044\u3046\u3002\u3048\u304A",
       "0,0 4,0 8,0 12,0 0,6 4,6"},
      // A word longer than the line is cut, keeping at least its first character.
      {"mono", R"(multiline="yes" width="10" height="30")", "abcdef", "0,0 4,0 0,6 4,6 0,12 4,12"},
      {"mono", R"(multiline="yes" width="2" height="40")", "abc", "0,0 0,6 0,12"},
      // A line feed ends a short line; lines past the height are hidden.
      {"mono", R"(multiline="yes" width="40" height="20")", "ab\ncd", "0,0 4,0 - 0,6 4,6"},
      {"mono", R"(multiline="yes" width="40" height="10")", "ab\ncd\nef",
       "0,0 4,0 - 0,6 4,6 - - -"},
      {"mono", R"(multiline="yes" width="40" height="30" textlineheight="10")", "a\nb",
       "0,0 - 0,10"},
      // Vertical alignment: the last of three lines ends on the bottom.
      {"mono", R"(multiline="yes" textvertalign="bottom" width="40" height="30")", "a\nb\nc",
       "0,12 - 0,18 - 0,24"},
      {"mono", R"(multiline="yes" textvertalign="middle" width="40" height="30")", "a\nb\nc",
       "0,6 - 0,12 - 0,18"},
      {"mono", R"(textvertalign="middle" width="40" height="11")", "ab", "0,2 4,2"},
      {"mono", R"(textvertalign="bottom" width="40" height="11")", "ab", "0,5 4,5"},
      // Horizontal alignment, per line; halves truncate toward zero.
      {"mono", R"(textalign="right" width="20" height="6")", "ab", "12,0 16,0"},
      {"mono", R"(textalign="center" width="21" height="6")", "ab", "6,0 10,0"},
      {"mono", R"(textalign="right" width="5" height="6")", "ab", "1,0 -"},
      {"mono", R"(multiline="yes" textalign="center" width="1" height="6")", "a", "-1,0"},
      {"mono", R"(multiline="yes" textalign="center" width="16" height="20")", "ab\nabcd",
       "4,0 8,0 - 0,6 4,6 8,6 12,6"},
      {"mono", R"(multiline="yes" textalign="right" width="14" height="20")", "ab cd",
       "6,0 10,0 - 6,6 10,6"},
      // Fixed-width cells centre their glyphs; a width of 0 turns them off.
      {"mono", R"(usefixedwidth="yes" fixedwidth="10" width="40" height="6")", "ab", "3,0 13,0"},
      {"mono", R"(usefixedwidth="yes" fixedwidth="10" width="25" height="6")", "abc", "3,0 13,0 -"},
      {"mono", R"(usefixedwidth="yes" fixedwidth="2" width="40" height="6")", "ab", "-1,0 1,0"},
      {"mono", R"(usefixedwidth="yes" fixedwidth="0" width="40" height="6")", "ab", "0,0 4,0"},
      {"spaced", R"(usefixedwidth="yes" fixedwidth="10" width="40" height="6")", "ab", "3,0 13,0"},
      // Spacing before and after each glyph.
      {"spaced", R"(width="40" height="6")", "ab", "1,0 8,0"},
      {"spaced", R"(width="13" height="6")", "ab", "1,0 -"},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w = ShowText(c.font, c.attrs, c.text);
    EXPECT_EQ(Layout(w), c.expected) << c.attrs << " \"" << c.text << "\"";
  }
}

TEST_F(TextWidgets, BreakCharacters) {
  // "a", X, "bbb" on lines of three cells: a break after X moves "bbb" down whole.
  struct Case {
    const char* x;
    const char* expected;
  } cases[] = {
      {" ", "0,0 - 0,6 4,6 8,6"},        {"\u30FB", "0,0 - 0,6 4,6 8,6"},
      {"\u3001", "0,0 4,0 0,6 4,6 8,6"}, {"\u3002", "0,0 4,0 0,6 4,6 8,6"},
      {"\uFF01", "0,0 4,0 0,6 4,6 8,6"}, {"\uFF1A", "0,0 4,0 0,6 4,6 8,6"},
      {"\uFF1F", "0,0 4,0 0,6 4,6 8,6"}, {"c", "0,0 4,0 8,0 0,6 4,6"},  // no break: the word is cut
      {".", "0,0 4,0 8,0 0,6 4,6"},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w = ShowText("mono", R"(multiline="yes" width="12" height="20")",
                              std::string("a") + c.x + "bbb");
    EXPECT_EQ(Layout(w), c.expected) << c.x;
  }
}

TEST_F(TextWidgets, CharAndTextRectangles) {
  Ref<IWidget> w =
      ShowText("spaced", R"(anchor_left="10.5" anchor_top="20" width="13" height="6")", "ab");
  auto* t = Text(w);
  TRect r;
  ASSERT_TRUE(t->GetCharRect(1, r));
  // The glyph at (1, 0)-(5, 6) with its spacing, moved by the rounded anchor (10.5 -> 10).
  EXPECT_EQ(r, (TRect{10, 20, 17, 26}));
  EXPECT_FALSE(t->GetCharRect(0, r));
  EXPECT_FALSE(t->GetCharRect(2, r));  // hidden: it does not fit
  EXPECT_FALSE(t->GetCharRect(3, r));
  t->GetTextRect(r);
  EXPECT_EQ(r, (TRect{11, 20, 15, 26}));

  // The widget's rectangle takes in text that reaches past it.
  Ref<IWidget> low = ShowText(
      "mono", R"(multiline="yes" anchor_left="2" anchor_top="3" width="8" height="7")", "ab\ncd");
  EXPECT_EQ(low->GetRect(), (TRect{2, 3, 10, 15}));
  Text(low)->GetTextRect(r);
  EXPECT_EQ(r, (TRect{2, 3, 10, 15}));
  // Hit tests use that rectangle, not the font image.
  EXPECT_TRUE(low->ContainsPoint({9, 14}, false));
  EXPECT_FALSE(low->ContainsPoint({11, 14}, false));
}

TEST_F(TextWidgets, Measurements) {
  Ref<IWidget> w = ShowText("spaced", R"(width="40" height="6")", "ab");
  auto* t = Text(w);
  EXPECT_EQ(t->TextWidth("ab"), 14);
  EXPECT_EQ(t->TextWidth("aZa"), 14);  // no glyph, no width
  EXPECT_EQ(w->GetProperty("textwidth").ToInt(), 14);
  w->SetProperty("usefixedwidth", Variant(true));
  w->SetProperty("fixedwidth", Variant(9));
  EXPECT_EQ(t->TextWidth("abZ"), 18);
  EXPECT_EQ(t->MaxGlyphHeight("ab"), 6);

  Ref<IWidget> high = ShowText("tall", R"(width="40" height="20")", "aT");
  EXPECT_EQ(Text(high)->MaxGlyphHeight("aT"), 9);
  EXPECT_EQ(Text(high)->MaxGlyphHeight("a"), 6);
  EXPECT_EQ(Text(high)->MaxGlyphHeight(""), 0);
  // The line is as high as the font's tallest glyph.
  high->SetProperty("textvertalign", Variant("bottom"));
  EXPECT_EQ(Layout(high), "0,11 4,11");

  // Without a font there is nothing to measure or lay out.
  Ref<IWidget> bare = ShowText("picture", R"(width="40" height="6")", "ab");
  EXPECT_EQ(Text(bare)->TextWidth("ab"), 0);
  EXPECT_EQ(Text(bare)->MaxGlyphHeight("ab"), 0);
  EXPECT_TRUE(Text(bare)->Symbols().empty());
  TRect r;
  EXPECT_FALSE(Text(bare)->GetCharRect(1, r));
  Render();
}

// A font whose glyph table holds the limits of 32 bits: every layout, measurement,
// rectangle and drawing saturates rather than overflows.
TEST_F(TextWidgets, GlyphsAtTheIntegerLimits) {
  Ref<FakeFontResource> limits = MakeFixedFont(U"a ", 4, 6);
  limits->AddGlyph('M', TRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, INT32_MAX, INT32_MAX);
  limits->AddGlyph('N', TRect{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}, INT32_MIN, INT32_MIN);
  engine->resources->Put("limits", limits);
  EXPECT_EQ(limits->GetMaxHeight(), INT32_MAX);
  const char* layouts[] = {
      R"(width="2147483647" height="2147483647")",
      R"(width="40" height="20" textalign="right" textvertalign="bottom")",
      R"(multiline="yes" width="2147483647" height="2147483647" textalign="center")",
      R"(multiline="yes" width="40" height="20" textvertalign="middle" textlineheight="-2147483648")",
      R"(usefixedwidth="yes" fixedwidth="2147483647" width="40" height="20" anchor_left="-1e300")",
  };
  for (const char* layout : layouts) {
    SCOPED_TRACE(layout);
    Ref<IWidget> w = ShowText("limits", layout, "MaNM aN\nMM N a");
    auto* t = Text(w);
    TRect glyph;
    for (int32_t n = 0; n <= 16; ++n) t->GetCharRect(n, glyph);
    TRect text;
    t->GetTextRect(text);
    EXPECT_LE(text.Left, text.Right);
    TRect whole = w->GetRect();
    EXPECT_LE(whole.Top, whole.Bottom);
    DirtyPass();
    Render();
  }
  Ref<IWidget> w = ShowText("limits", R"(width="40" height="20")", "");
  EXPECT_EQ(Text(w)->TextWidth("MM"), INT32_MAX);
  EXPECT_EQ(Text(w)->TextWidth("NN"), INT32_MIN);
  EXPECT_EQ(Text(w)->MaxGlyphHeight("MN"), INT32_MAX);
}

TEST_F(TextWidgets, PropertiesAndTranslation) {
  SetLanguageVariable("score", "42");
  Ref<IWidget> w = Show(R"(<widget type="text_widget" resourcename="mono" visible="yes" width="40"
      height="20" text="%score% ab" textalign="right" multiline="yes"/>)");
  EXPECT_EQ(w->GetProperty("text").ToString(), "42 ab");
  EXPECT_EQ(w->GetProperty("textalign").ToString(), "right");
  EXPECT_TRUE(w->GetProperty("multiline").ToBool());
  w->SetProperty("text_utf8", Variant("%score%!"));
  EXPECT_EQ(w->GetProperty("text_utf8").ToString(), "42!");
  // The font changes: the layout follows.
  w->SetProperty("text", Variant("ab"));
  w->SetProperty("textalign", Variant("left"));
  w->SetProperty("resourcename", Variant("spaced"));
  EXPECT_EQ(Layout(w), "1,0 8,0");
  // The line height is only kept for the next layout.
  w->SetProperty("text", Variant("a\nb"));
  w->SetProperty("textlineheight", Variant(9));
  EXPECT_EQ(Layout(w), "1,0 - 1,6");
  w->Invalidate();
  EXPECT_EQ(Layout(w), "1,0 - 1,9");
  w->SetProperty("multiline", Variant("not a flag"));
  EXPECT_TRUE(w->GetProperty("multiline").ToBool());
}

TEST_F(TextWidgets, CachedRenderingPixels) {
  struct Case {
    const char* attrs;
    uint32_t a, b;  // the pixels of the two glyphs
  } cases[] = {
      {"", FixedFontPixel(0), FixedFontPixel(1)},
      {R"(drawmode="fillcolor" fillcolor="$FF2040F0")", 0xFF2040F0u, 0xFF2040F0u},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w = ShowText(
        "mono", std::string(R"(anchor_left="3" anchor_top="2" width="40" height="6" )") + c.attrs,
        "ab");
    TSurfacePtr frame = Render();
    EXPECT_EQ(frame->GetPixel(3, 2), c.a) << c.attrs;
    EXPECT_EQ(frame->GetPixel(6, 7), c.a) << c.attrs;
    EXPECT_EQ(frame->GetPixel(7, 2), c.b) << c.attrs;
    EXPECT_EQ(frame->GetPixel(10, 7), c.b) << c.attrs;
    EXPECT_EQ(frame->GetPixel(11, 2), 0u) << c.attrs;
    EXPECT_EQ(frame->GetPixel(3, 8), 0u) << c.attrs;
  }
  // Half transparent: the cache is drawn with the widget's level.
  Ref<IWidget> faint = ShowText("mono", R"(width="40" height="6" transparentlevel="0")", "ab");
  EXPECT_EQ(Render()->GetPixel(0, 0), 0u);
}

TEST_F(TextWidgets, ChangingTextReusesTheCacheAndLooksUpByCode) {
  Ref<IWidget> w = ShowText("mono", R"(width="40" height="6")", "ab");
  TSurfacePtr frame = NewSurface(64, 64);
  const char* texts[] = {"abc", "ba", "g", "abcdefg", "ab"};
  for (const char* text : texts) {
    w->SetProperty("text", Variant(text));
    w->Draw(frame.get(), 0, 0);
  }
  EXPECT_EQ(engine->surfacesCreated, 1);
  EXPECT_EQ(mono->textLookups, 0);
  EXPECT_GT(mono->codeLookups, 0);
  // What was drawn last is what the cache holds now: "ab" and nothing after it.
  TSurfacePtr last = Render();
  EXPECT_EQ(last->GetPixel(4, 0), FixedFontPixel(1));
  EXPECT_EQ(last->GetPixel(8, 0), 0u);
}

TEST_F(TextWidgets, DirtyRectanglesFollowTheText) {
  Ref<IWidget> w = ShowText("mono", R"(width="8" height="6" multiline="yes")", "ab");
  DirtyPass();
  EXPECT_EQ(window->dirtyRects, (std::vector<TRect>{{0, 0, 8, 6}}));
  DirtyPass();
  EXPECT_TRUE(window->dirtyRects.empty());
  w->SetProperty("text", Variant("ab\ncd"));
  DirtyPass();
  EXPECT_EQ(window->dirtyRects, (std::vector<TRect>{{0, 0, 8, 6}, {0, 0, 8, 12}}));
  // Shorter again: the second line's place is cleared.
  w->SetProperty("text", Variant("ab"));
  DirtyPass();
  EXPECT_EQ(window->dirtyRects, (std::vector<TRect>{{0, 0, 8, 12}, {0, 0, 8, 6}}));
  w->SetProperty("text", Variant("cd"));
  DirtyPass();
  EXPECT_EQ(window->dirtyRects, (std::vector<TRect>{{0, 0, 8, 6}}));
}

}  // namespace
