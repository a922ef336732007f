// The built program folder's resource lists, loaded by a real engine headless: every
// resource they name exists, decodes and has the size the sample game's screens rely on.
// The shipped high scores, alone and in the high-score screen's grid. The custom settings
// as the started game applies them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include "engine/EngineResources.h"
#include "engine/EngineSurface.h"
#include "foundation/EngineDeclarations.h"
#include "foundation/EngineGeneralClasses.h"
#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Params.h"
#include "foundation/ResourceReader.h"
#include "foundation/XMLStorage.h"
#include "foundation/XmlAttributes.h"
#include "gameplay/Tv2Declarations.h"
#include "shell/HighScores.h"
#include "tests/support/EngineHarness.h"
#include "tests/e2e/SampleGameFixture.h"
#include "tests/support/FakeResources.h"
#include "tests/support/SampleGameEngine.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

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
  // The element of the program folder's game file at Path ("gamescreen" or "widget"
  // elements by name, joined by "/"), or none.
  Ref<IHierStorage> GameFileElement(const std::string& path);
  Ref<IImageResource> Image(const std::string& name) {
    return Supports<IImageResource>(h.engine->GetResource(name));
  }

  std::string gameKey = GameKey();
  EngineHarness h;
  std::string harnessKey;
  std::filesystem::path before;
};

Ref<IHierStorage> SampleData::GameFileElement(const std::string& path) {
  Ref<IHierStorageRoot> root =
      LoadXmlStorageFromText(h.engine->ReadTextFile("data\\ini\\Tavelor2.ini", gameKey));
  if (!root) return nullptr;
  Ref<IHierStorage> node = root->GetChildByName("gamescreens");
  const char* kind = "gamescreen";
  size_t start = 0;
  while (node && start <= path.size()) {
    size_t slash = std::min(path.find('/', start), path.size());
    std::string name = path.substr(start, slash - start);
    Ref<IHierStorage> found;
    for (int i = 0; !found && i < node->GetChildCount(kind); ++i) {
      Ref<IHierStorage> child = node->GetChild(kind, i);
      if (child->GetAttr("name").ToString() == name) found = child;
    }
    if (!found) return nullptr;
    start = slash + 1;
    if (start > path.size()) return found;
    node = found->GetChildByName(std::string(kind) == "gamescreen" ? "window/widgets" : "widgets");
    kind = "widget";
  }
  return nullptr;
}

TEST_F(SampleData, StartListGivesCursorsAndFontsWithGlyphs) {
  h.engine->LoadResourcesFromFile("data\\ini\\resources_start.ini", "start", false);
  for (const char* name : {"font_title", "font_small", "font_main", "font_button"}) {
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
                        {"img_orb", 64, 64},
                        {"img_btn_normal", 200, 56},
                        {"img_btn_small_disabled", 150, 48},
                        {"img_check_selected", 32, 32},
                        {"img_uncheck_disabled", 32, 32},
                        {"img_slider_track", 320, 36},
                        {"img_slider_knob_pressed", 20, 36},
                        {"img_edit_frame", 320, 48},
                        {"img_list_frame", 420, 220},
                        {"img_arrow_down_selected", 32, 32},
                        {"img_rules_3", 600, 400},
                        {"img_diary_bg", 1024, 768},
                        {"img_letter", 600, 560},
                        {"img_comic_match_2", 600, 400},
                        {"img_av_odile", 96, 96},
                        {"img_cat_tea", 24, 24},
                        // The play screen's panel shows these whole, at these sizes.
                        {"img_panel_play", 1024, 149},
                        {"img_panel_items", 732, 97},
                        {"img_btn_panel_normal", 96, 40},
                        {"img_btn_panel_selected", 96, 40},
                        {"img_orb_badge", 24, 24},
                        {"img_clock_dial", 48, 48},
                        {"img_panel_menu", 640, 480}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ref<IImageResource> image = Image(c.name);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->GetSurface());
    EXPECT_EQ(image->GetWidth(), c.width);
    EXPECT_EQ(image->GetHeight(), c.height);
  }
  // Sounds (from data\sounds.vkd) and the music are there by name.
  for (const char* name : {"snd_click", "snd_whoosh", "mus_theme", "mus_game"})
    EXPECT_TRUE(h.engine->GetResource(name)) << name;
}

// Every sound the game plays by name is in the game file's list, on a sound the resource
// lists hold: the screens' and effects' sounds, the play screen's, the task map's, the
// options' and the mini-games' own. A name missing here plays nothing, silently.
TEST_F(SampleData, GameFileNamesEveryGameSound) {
  h.engine->LoadResourcesFromFile("data\\ini\\resources_main.ini", "main", false);
  Ref<IHierStorageRoot> root =
      LoadXmlStorageFromText(h.engine->ReadTextFile("data\\ini\\Tavelor2.ini", gameKey));
  ASSERT_TRUE(root);
  Ref<IHierStorage> sounds = root->GetChildByName("sounds");
  ASSERT_TRUE(sounds);
  std::map<std::string, std::string> listed;
  for (int i = 0; i < sounds->GetChildCount("sound"); ++i) {
    Ref<IHierStorage> sound = sounds->GetChild("sound", i);
    listed[sound->GetAttr("name").ToString()] = sound->GetAttr("resourcename").ToString();
  }
  const char* const names[] = {
      "sound_buttonclick", "sound_effect", "sound_show_window", "sound_hide_window",
      "sound_success_click", "sound_wrong_click", "sound_wrong_clicks_penalty",
      "sound_get_from_panel", "sound_find_object_zoom", "sound_find_object_fly",
      "sound_hint_indicate", "sound_hint_ready", "sound_add_scores", "sound_level_start",
      "sound_level_complete", "sound_level_complete_voodoo", "sound_level_failed",
      "sound_panel_item_hide", "sound_panel_items_move", "sound_voodoo_crystal",
      "sound_accent_time", "sound_maplabel_select", "sound_history_page_next",
      "sound_history_page_prev", "sound_checksoundvolume", "select", "deselect", "no_turn",
      "success", "boom", "fall", "pick", "unpick", "correct", "wrong", "combo_1", "combo_2",
      "combo_3"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    auto found = listed.find(name);
    ASSERT_NE(found, listed.end());
    EXPECT_TRUE(Supports<ISoundResource>(h.engine->GetResource(found->second))) << found->second;
  }
  // A find chimes one of two notes by turns.
  EXPECT_TRUE(dynamic_cast<TSoundGroupResource*>(
      h.engine->GetResource(listed["sound_success_click"]).get()));
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

// The high-score screen's grid from the program folder's game file, handed the shipped
// timed table with one new record of seven digits: each row shows its player and its score
// with the separator, the new record in the selected colour, exactly as the grid's text
// widgets draw those texts alone.
TEST_F(SampleData, HighScoreGridShowsTheShippedTable) {
  ASSERT_TRUE(MultiLanguages()->LoadFile(std::string(SAMPLE_GAME_DIR) + "/lang/default.lng"));
  RegisterWidgetsClasses();
  h.engine->LoadResourcesFromFile("data\\ini\\resources_start.ini", "start", false);
  Ref<IHierStorage> node = GameFileElement("GS_HighScores/high_scores_grid");
  ASSERT_TRUE(node);
  Ref<IWidget> grid = Supports<IWidget>(CreateObjectFromXml(node));
  ASSERT_TRUE(grid);
  Ref<FakeWindow> window = TAbstractObject::Create<FakeWindow>();
  window->engine = h.engine.get();
  window->SetRoot(grid);

  TempFolder preferences;
  Ref<FakeEngine> files(new FakeEngine());
  files->programFolder = std::string(SAMPLE_GAME_DIR) + "/";
  files->preferenceFolder = preferences.Path().string();
  Ref<THighScores> scores = TAbstractObject::Create<THighScores>(HighScoreTableParams);
  scores->LoadFromFile(files.get(), false);
  Ref<IRecordTable> table = scores->GetTables()->GetItem(Variant("0"));
  ASSERT_TRUE(table);
  table->AddScoreRecord(ParamsFromString("Score=1234567\\Player=Mira"));
  ASSERT_EQ(table->GetLastIndex(), 0);
  grid->SetProperty("recordtable", Variant(Ref<IInterface>(table.get())));

  const int32_t width = grid->GetWidth(), height = grid->GetHeight();
  const int32_t rowHeight = ReadXmlInt(node, "rowheight");
  const uint32_t colour = ReadXmlHex(node, "color"), selected = ReadXmlHex(node, "selectedcolor");
  ASSERT_NE(colour, selected);
  Ref<TSurface> drawn = NewAlphaSurface(width, height);
  grid->Draw(drawn.get(), 0, 0);

  struct Row {
    const char* player;
    const char* score;
  };
  const Row rows[] = {
      {"Mira", "1,234,567"}, {"Ada", "30,000"}, {"Barnaby", "20,000"}, {"Clementine", "10,000"}};
  Ref<TSurface> expected = NewAlphaSurface(width, height);
  for (size_t i = 0; i < std::size(rows); ++i) {
    for (auto [name, text] : {std::pair{"player", rows[i].player}, {"score", rows[i].score}}) {
      Ref<IWidget> cell = grid->FindWidget(name);
      ASSERT_TRUE(cell) << name;
      cell->SetProperty("fillcolor", Variant(int32_t(i == 0 ? selected : colour)));
      cell->SetProperty("text_utf8", Variant(text));
      cell->Draw(expected.get(), int32_t(std::lround(cell->GetAnchorLeft())),
                 int32_t(std::lround(cell->GetAnchorTop())) + rowHeight * int32_t(i));
    }
  }
  int inked = 0;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      ASSERT_EQ(drawn->GetPixel(x, y), expected->GetPixel(x, y)) << x << "," << y;
      if (drawn->GetPixel(x, y) >> 24) ++inked;
    }
  // Four rows of text, nothing below them.
  EXPECT_GT(inked, 400);
  for (int32_t y = rowHeight * 4; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) ASSERT_EQ(drawn->GetPixel(x, y), 0u) << x << "," << y;
  MultiLanguages()->ClearStrings();
}

// The game's custom settings, read from their own file under the key the game file gives
// them and run once the game has started, without a warning: hints on; the extras' sparkle
// loaded into a group of its own, four frames in one column; the version label added to
// the main menu's buttons; the title's text changed.
TEST(SampleCustomSettings, AppliedToTheStartedGameWithoutWarnings) {
  WarningCapture warnings;
  SampleGameEngine run(SAMPLE_GAME_DIR, SampleGameKey());
  ASSERT_TRUE(run.Ok()) << run.Failure();
  ASSERT_TRUE(run.StepUntilLoaded());
  EXPECT_EQ(run.Game()->GetParamValue("ShowHints").ToString(), "yes");

  Ref<IImageResource> sparkle =
      Supports<IImageResource>(run.Engine().GetResource("img_extras_sparkle"));
  ASSERT_TRUE(sparkle);
  EXPECT_EQ(Supports<IResource>(sparkle)->GetGroupName(), "extras");
  Ref<ISurface> strip = sparkle->GetSurface();
  ASSERT_TRUE(strip);
  EXPECT_EQ(strip->GetWidth(), 32);
  EXPECT_EQ(strip->GetHeight(), 4 * 32);

  Ref<IGameScreenSlave> menu = run.Game()->GetScreens()->GetScreen(Variant("GS_Main"));
  ASSERT_TRUE(menu);
  Ref<IWidget> label = menu->GetRootWidget()->FindWidget("menu_group/version_label");
  ASSERT_TRUE(label);
  EXPECT_TRUE(label->IsVisible());
  EXPECT_EQ(label->GetProperty("text").ToString(), TranslateText("%label_version%"));
  Ref<IWidget> title = menu->GetRootWidget()->FindWidget("title");
  ASSERT_TRUE(title);
  EXPECT_EQ(title->GetProperty("text").ToString(), TranslateText("%title_main%"));
  EXPECT_NE(TranslateText("%title_main%"), TranslateText("%main_title%"));
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}

// Engines made one after another in one process each start in the program folder and read
// its language file, whatever the one before left.
TEST(SampleGameEngines, OneAfterAnotherReadTheLanguageFile) {
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    SampleGameEngine engine(SAMPLE_GAME_DIR, SampleGameKey());
    ASSERT_TRUE(engine.Ok()) << engine.Failure();
    EXPECT_EQ(TranslateText("%label_version%"), "Sample game, version 1");
  }
}

}  // namespace
