// The built program folder's resource lists, loaded by a real engine headless: every
// resource they name exists, decodes and has the size the sample game's screens rely on.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "foundation/EngineDeclarations.h"
#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/ResourceReader.h"
#include "gameplay/Tv2Declarations.h"
#include "shell/HighScores.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WidgetFixture.h"

namespace {

// The harness starts its engine on a game file of its own, under its own key; the sample
// game's lists are then read from the program folder under the game's engine key.
class SampleData : public ::testing::Test {
 protected:
  // The game's engine key, taken before the first harness installs its own.
  static std::string GameKey() {
    Tv2DeclarationsInit();
    static const std::string key = EngineFileKey;
    return key;
  }
  void SetUp() override {
    ASSERT_TRUE(h.Start());
    harnessKey = EngineFileKey;
    EngineFileKey = gameKey;
    before = std::filesystem::current_path();
    std::filesystem::current_path(SAMPLE_GAME_DIR);
    SetProgramFolder(std::string(SAMPLE_GAME_DIR) + "/");
  }
  void TearDown() override {
    EngineFileKey = harnessKey;
    if (!before.empty()) std::filesystem::current_path(before);
  }
  Ref<IImageResource> Image(const std::string& name) {
    return Supports<IImageResource>(h.engine->GetResource(name));
  }

  std::string gameKey = GameKey();
  EngineHarness h;
  std::string harnessKey;
  std::filesystem::path before;
};

TEST_F(SampleData, StartListGivesCursorsAndFontsWithGlyphs) {
  h.engine->LoadResourcesFromFile("data\\ini\\resources_start.ini", "start", false);
  for (const char* name : {"font_title", "font_small"}) {
    SCOPED_TRACE(name);
    Ref<IFontResource> font = Supports<IFontResource>(h.engine->GetResource(name));
    ASSERT_TRUE(font);
    ASSERT_TRUE(font->GetSurface());
    EXPECT_GT(font->GetMaxHeight(), 8);
    // The title's letters come from the glyph table beside the font's picture.
    for (const char* letter : {"T", "a", "v", "e", "l", "o", "r"})
      EXPECT_TRUE(font->FindSymbol(letter)) << letter;
  }
  // The cursor pictures live in the program's embedded archive, which this test program
  // carries too.
  for (const char* name : {"cur_normal", "cur_pressed"}) {
    Ref<IImageResource> cursor = Image(name);
    ASSERT_TRUE(cursor) << name;
    ASSERT_TRUE(cursor->GetSurface()) << name;
    EXPECT_EQ(cursor->GetWidth(), 32) << name;
  }
}

TEST_F(SampleData, MainListGivesThePicturesAtTheirSizes) {
  h.engine->LoadResourcesFromFile("data\\ini\\resources_main.ini", "main", false);
  struct Case {
    const char* name;
    int32_t width, height;
  };
  const Case cases[] = {{"img_background", 1024, 768},
                        {"img_sparkle", 256, 128},
                        {"img_star_glow", 96, 96},
                        {"img_star", 64, 64},
                        {"img_orb", 64, 64}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ref<IImageResource> image = Image(c.name);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->GetSurface());
    EXPECT_EQ(image->GetWidth(), c.width);
    EXPECT_EQ(image->GetHeight(), c.height);
  }
  // Sounds (from data\sounds.vkd) and the music are there by name.
  for (const char* name : {"snd_click", "snd_whoosh", "mus_theme"})
    EXPECT_TRUE(h.engine->GetResource(name)) << name;
}

// The shipped high scores, read as the game reads them while the player has none: preset
// rows under the names the language file gives their keys, best first.
TEST(SampleHighScores, PresetRowsUnderTranslatedNames) {
  Tv2DeclarationsInit();
  ASSERT_TRUE(MultiLanguages()->LoadFile(std::string(SAMPLE_GAME_DIR) + "/lang/default.lng"));
  TempFolder preferences;
  Ref<FakeEngine> engine(new FakeEngine());
  engine->programFolder = std::string(SAMPLE_GAME_DIR) + "/";
  engine->preferenceFolder = preferences.Path().string();
  Ref<THighScores> scores = TAbstractObject::Create<THighScores>(HighScoreTableParams);
  scores->LoadFromFile(engine.get(), false);
  MultiLanguages()->ClearStrings();
  const char* expected[2][3] = {{"Ada", "Barnaby", "Clementine"}, {"Dorian", "Eudora", "Felix"}};
  for (int t = 0; t < 2; ++t) {
    Ref<IRecordTable> table = scores->GetTables()->GetItem(Variant(std::to_string(t)));
    ASSERT_TRUE(table);
    Ref<IRecordCollection> records = table->GetRecords();
    ASSERT_EQ(records->Count(), 3);
    for (int i = 0; i < 3; ++i) {
      Ref<IParamCollection> row = records->GetItem(Variant(i))->GetParams();
      EXPECT_EQ(row->GetValue("Player").ToString(), expected[t][i]);
      EXPECT_EQ(row->GetValue("Const").ToString(), "yes");
      if (i > 0) {
        EXPECT_LT(records->GetItem(Variant(i))->GetScore(),
                  records->GetItem(Variant(i - 1))->GetScore());
      }
    }
  }
}

}  // namespace
