// A score text that changes every frame: the text widget lays it out again and renders
// its cache, then draws it onto a 1024 x 768 frame, once per frame. Measured with the
// glyph look-up a font answers by character code, and with the look-up by the glyph's
// name (the decimal text of the code, hashed per character) that the code path avoids.
// A text that stays the same costs the copy of its cache only; that is measured too.
// The time per iteration is the text's cost per frame.
//
//   ScoreText/by_code     rebuild + render + draw, glyphs by code
//   ScoreText/by_name     the same, glyphs by their decimal names
//   StaticText            an unchanged text: the cached copy alone

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <string>
#include <unordered_map>

#include "foundation/XMLStorage.h"
#include "tests/support/FakeResources.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

namespace {

constexpr std::u32string_view kChars = U"0123456789 :SCORE";
constexpr int32_t kGlyphWidth = 12;
constexpr int32_t kGlyphHeight = 24;

// A font whose glyphs are found by name only: every look-up writes the code in decimal
// and hashes that text, as a table keyed by glyph names does.
class NamedFont : public FakeImageResource, public virtual IFontResource {
 public:
  std::unordered_map<std::string, Ref<ISymbol>> glyphs;
  int32_t maxHeight = 0;

  int32_t GetMaxHeight() override { return maxHeight; }
  Ref<ISymbol> FindSymbol(std::string_view text) override {
    uint32_t code = 0;
    if (text.empty() || DecodeUtf8(text.data(), text.data() + text.size(), code) <= 0)
      return nullptr;
    char name[12];
    auto [end, error] = std::to_chars(name, name + sizeof name, code);
    (void)error;
    auto it = glyphs.find(std::string(name, end));
    return it == glyphs.end() ? nullptr : it->second;
  }
};

Ref<IResource> MakeNamedFont() {
  Ref<FakeFontResource> source = MakeFixedFont(kChars, kGlyphWidth, kGlyphHeight);
  Ref<NamedFont> font = TAbstractObject::Create<NamedFont>();
  font->surface = source->surface;
  font->maxHeight = source->maxHeight;
  for (auto& [code, glyph] : source->glyphs) font->glyphs[std::to_string(code)] = glyph;
  return font;
}

struct Scene {
  Ref<FakeEngine> engine{new FakeEngine()};
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();
  Ref<IWidget> text;
  Ref<TSurface> frame = NewAlphaSurface(1024, 768, 0xFF203040);

  explicit Scene(const Ref<IResource>& font) {
    RegisterWidgetTestClasses();
    RegisterWidgetsClasses();
    window->engine = engine.get();
    engine->resources->Put("score", font);
    Ref<IHierStorageRoot> xml = LoadXmlStorageFromText(
        R"(<widget type="text_widget" name="score" resourcename="score" visible="yes"
           anchor_left="800" anchor_top="20" width="200" height="30" textalign="right"
           textvertalign="middle"/>)");
    text = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(xml.get())));
    window->SetRoot(text);
  }
  ~Scene() { window->SetRoot(nullptr); }

  void Frame(int32_t score, const std::string& property, char (&buffer)[16]) {
    std::snprintf(buffer, sizeof buffer, "SCORE %06d", score % 1000000);
    text->SetProperty(property, Variant(buffer));
    text->Process(16);
    window->dirtyRects.clear();
    engine->redrawRects.clear();
    text->UpdateDirtyRects(false, false);
    text->Draw(frame.get(), 800, 20);
  }
};

void RunScore(benchmark::State& state, const Ref<IResource>& font) {
  Scene scene(font);
  const std::string property = "text";
  char buffer[16];
  int32_t score = 0;
  for (auto _ : state) {
    scene.Frame(score, property, buffer);
    score += 37;
  }
}

void ScoreTextByCode(benchmark::State& state) {
  RunScore(state, MakeFixedFont(kChars, kGlyphWidth, kGlyphHeight));
}
BENCHMARK(ScoreTextByCode)->Name("ScoreText/by_code");

void ScoreTextByName(benchmark::State& state) {
  RunScore(state, MakeNamedFont());
}
BENCHMARK(ScoreTextByName)->Name("ScoreText/by_name");

void StaticText(benchmark::State& state) {
  Scene scene(MakeFixedFont(kChars, kGlyphWidth, kGlyphHeight));
  const std::string property = "text";
  char buffer[16];
  scene.Frame(123456, property, buffer);
  for (auto _ : state) scene.Frame(123456, property, buffer);
}
BENCHMARK(StaticText);

}  // namespace
