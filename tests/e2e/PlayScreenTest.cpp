// The first case's levels played as the program plays them: the real engine over the
// headless backend on the built program folder, its game file, windows, pictures and
// texts; the gameplay's documents read by the game's loaders and a new story published as
// the main menu and the diary will publish them; "GS_Game" shown with the case, stage and
// task; the level loaded by the real loading screen, generated with a seed and played by
// presses through the window's event queue. What the player sees is read back from the
// display.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Engine.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Routines.h"
#include "screens/Tv2GameScreenGame.h"
#include "shell/WidgetFactories.h"
#include "tests/e2e/SampleGameFixture.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/SampleGameEngine.h"
#include "tests/support/TempFolder.h"

namespace {

class PlayScreen : public ::testing::Test {
 protected:
  // The atelier started with 16 ms frames, as the diary starts it.
  void StartLevel(const std::string& givenTime = {}) {
    StartTask("c1_lantern", "t1", "odile", givenTime);
  }
  void StartTask(const std::string& caseName, const std::string& taskName,
                 const std::string& participant, const std::string& givenTime = {}) {
    ASSERT_TRUE(run.Ok()) << run.Failure();
    run.Platform().SetFrameInterval(16);
    screen = run.StartTask(caseName, taskName, participant, givenTime);
    ASSERT_TRUE(screen) << taskName << " never started; top: " << run.TopScreen();
    progress = run.progress;
    task = run.task;
  }

  // The pixel of a loaded picture.
  uint32_t ImagePixel(const std::string& name, int32_t x, int32_t y) {
    Ref<IImageResource> image = Supports<IImageResource>(run.Engine().GetResource(name));
    Ref<ISurface> surface = image ? image->GetSurface() : nullptr;
    return surface ? surface->GetPixel(x, y) : 0;
  }
  // Pixels of the display in [Left, Right) x [Top, Bottom) that are exactly Colour.
  int CountPixels(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    int count = 0;
    for (int32_t y = top; y < bottom; ++y)
      for (int32_t x = left; x < right; ++x) count += run.Pixel(x, y) == colour;
    return count;
  }
  // Whether every colour channel of A and B differs by at most Tolerance.
  static bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16})
      if (std::abs(int(a >> shift & 255) - int(b >> shift & 255)) > tolerance) return false;
    return true;
  }
  int32_t Score() { return screen->GetShownScore() + screen->GetPendingScore(); }
  Ref<IWidget> Widget(const std::string& path) { return screen->FindWidget(path); }
  bool Won(const std::string& game) {
    Ref<IWidget> widget = Widget("approaches_group/" + game);
    return widget && widget->GetProperty("win").ToBool();
  }
  // The number a text widget of the top screen shows ("6,603" reads 6603).
  int32_t ShownNumber(const std::string& path) {
    Ref<IGameScreenSlave> top = run.Game()->GetScreens()->GetScreen(Variant(run.TopScreen()));
    Ref<IWidget> text = top ? top->GetRootWidget()->FindWidget(path) : nullptr;
    std::string digits;
    for (char c : text ? text->GetProperty("text").ToString() : std::string())
      if (c >= '0' && c <= '9') digits += c;
    return digits.empty() ? -1 : std::stoi(digits);
  }

  SampleGameEngine run{SAMPLE_GAME_DIR, SampleGameKey()};
  TTavelor2GameScreenGame* screen = nullptr;
  Ref<TUserGameData> progress;
  Ref<IUGDTask> task;
};

// Silhouettes of the panel's shapes: their pictures filled with one colour.
constexpr uint32_t kSilhouette = 0xFF2A2A2A;

TEST_F(PlayScreen, AtelierPlayedToItsEnd) {
  ASSERT_NO_FATAL_FAILURE(StartLevel());
  ASSERT_TRUE(screen->GetLevelManager());
  EXPECT_EQ(screen->GetLevelManager()->RemainingCount(), 17) << "six shapes and eleven dolls";
  EXPECT_GT(screen->GetTimer(), 290000);
  EXPECT_LE(screen->GetTimer(), 300000);

  // Past the tutorial text and the loading picture's fade: the scene's picture where
  // nothing lies on it, the lantern over it, the six silhouettes in the panel.
  run.Wait(3000);
  EXPECT_EQ(run.Pixel(60, 120), ImagePixel("img_SceneBackground", 60, 120));
  EXPECT_EQ(run.Pixel(150, 200), ImagePixel("img_obj_lantern", 24, 32));
  const int silhouettes = CountPixels(150, 675, 874, 768, kSilhouette);
  EXPECT_GT(silhouettes, 6 * 500);

  // The hint, ready after half a second of play, points at an object.
  run.Click({55, 728});
  EXPECT_EQ(screen->GetHintsUsed(), 1);
  Ref<IWidget> animations = Widget("animation_group");
  bool pointing = false;
  for (int i = 0; i < animations->GetChildren()->Count(); ++i)
    pointing |= animations->GetChildren()->GetByIndex(i)->GetName().starts_with("hint_scenario_");
  EXPECT_TRUE(pointing);
  run.Wait(2500);

  // Three quick finds, equally spaced: each pays the same for its speed, and the third
  // the combo's 300 on top; their silhouettes leave the panel.
  run.Click({150, 200});
  run.Wait(300);
  int32_t before = Score();
  run.Click({330, 430});
  const int32_t second = Score() - before;
  EXPECT_GT(second, 0);
  run.Wait(300);
  before = Score();
  run.Click({520, 300});
  EXPECT_EQ(screen->GetCombo(), 3);
  EXPECT_EQ(Score() - before, second + 300);
  run.Wait(3000);
  EXPECT_EQ(screen->GetLevelManager()->RemainingCount(), 14);
  EXPECT_LT(CountPixels(150, 675, 874, 768, kSilhouette), silhouettes * 3 / 4);

  // A miss on the bare wall.
  run.Click({60, 560});
  EXPECT_EQ(screen->GetWrongClicks(), 1);
  EXPECT_EQ(screen->GetCombo(), 0);

  // The cupboard: its frame and its game drawn, the game's quest shown once; the pairs
  // clicked one after the other solve it.
  run.Click({980, 100});
  ASSERT_TRUE(screen->GetOpenApproach());
  EXPECT_EQ(screen->GetOpenApproach()->GetName(), "cupboard");
  Ref<IWidget> quest = Widget("animation_group/task_quest");
  ASSERT_TRUE(quest);
  EXPECT_EQ(quest->GetProperty("text").ToString(), TranslateText("%mg_hint_pick%"));
  run.Wait(1800);
  EXPECT_EQ(run.Pixel(222, 100), ImagePixel("img_approach_frame", 10, 10));
  const uint32_t moth = ImagePixel("img_mg_moth", 40, 40);
  EXPECT_EQ(run.Pixel(312, 210), moth);
  EXPECT_FALSE(Won("cupboard/minigame_pick"));
  for (const TPoint& token :
       {TPoint{312, 210}, TPoint{672, 390}, TPoint{492, 210}, TPoint{312, 390}}) {
    run.Click(token);
    run.Wait(300);
  }
  run.Wait(1000);
  EXPECT_TRUE(Won("cupboard/minigame_pick"));
  EXPECT_NE(run.Pixel(312, 210), moth) << "the solved pairs have left the board";
  run.Click({40, 600});
  EXPECT_FALSE(screen->GetOpenApproach());

  // The chest: its quest, then the skip button skips the jigsaw.
  run.Click({980, 180});
  quest = Widget("animation_group/task_quest");
  ASSERT_TRUE(quest);
  EXPECT_EQ(quest->GetProperty("text").ToString(), TranslateText("%mg_hint_jigsaw%"));
  run.Wait(1800);
  EXPECT_TRUE(Widget("ui_group/button_skip")->IsVisible());
  EXPECT_FALSE(Won("chest/minigame_jigsaw"));
  run.Click({512, 615});
  EXPECT_TRUE(Won("chest/minigame_jigsaw"));
  EXPECT_FALSE(Widget("ui_group/button_skip")->IsVisible());
  run.Wait(400);
  run.Click({40, 600});
  EXPECT_FALSE(screen->GetOpenApproach());

  // The last shapes leave the doll, which the amulet finds: the darkness falls, the doll
  // shows under the crystal; found, the level is won.
  for (const TPoint& shape : {TPoint{700, 480}, TPoint{850, 200}, TPoint{620, 140}}) {
    run.Click(shape);
    run.Wait(300);
  }
  run.Wait(800);
  // The ten coloured dolls, one amulet catch each, each after the last one's sparkle.
  for (const TPoint& doll : {TPoint{90, 90}, TPoint{250, 300}, TPoint{440, 80}, TPoint{760, 300},
                             TPoint{880, 620}, TPoint{100, 470}, TPoint{300, 110},
                             TPoint{600, 420}, TPoint{230, 640}, TPoint{900, 400}}) {
    run.Click({824, 724});
    run.Wait(100);
    run.Click(doll);
    run.Wait(2700);
  }
  EXPECT_EQ(screen->GetLevelManager()->RemainingCount(), 1) << "the moth doll is left";
  EXPECT_EQ(CountPixels(150, 675, 874, 768, kSilhouette), 0);
  ASSERT_TRUE(screen->GetAmuletTarget());
  // The doll (28 x 36 at (420, 560)) is all but invisible until the crystal comes near it.
  // Its upper left part is read: the cursor covers the rest.
  auto dollPixelsShown = [&] {
    int shown = 0;
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 12; ++x) {
        const uint32_t doll = ImagePixel("img_doll_moth", x, y);
        if (doll >> 24 == 255) shown += Near(run.Pixel(406 + x, 542 + y), doll, 8);
      }
    return shown;
  };
  int dollPixels = 0;
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 12; ++x) dollPixels += ImagePixel("img_doll_moth", x, y) >> 24 == 255;
  ASSERT_GT(dollPixels, 50);
  EXPECT_EQ(dollPixelsShown(), 0);
  const uint32_t lit = run.Pixel(100, 300);
  run.Click({824, 724});
  EXPECT_TRUE(screen->IsAmuletMode());
  run.Move({420, 560});
  EXPECT_EQ(screen->GetAmuletTarget()->GetProperty("transparentlevel").ToInt(), 255);
  run.Wait(50);
  EXPECT_GT(dollPixelsShown(), dollPixels * 9 / 10);
  EXPECT_LT(run.Pixel(100, 300) & 0xFF, lit & 0xFF) << "the darkness covers the room";
  run.Click({420, 560});
  ASSERT_TRUE(run.WaitFor([&] { return task->IsCompleted(); }, 5000));
  EXPECT_TRUE(progress->GetScenes()->GetItem(Variant("atelier"))->IsCompleted());
  const std::string dolls = progress->GetFindedVoodoo();
  EXPECT_EQ(std::count(dolls.begin(), dolls.end(), ';'), 11);
  EXPECT_NE((";" + dolls).find(";doll_moth;"), std::string::npos);

  // The statistics show the level's points (handed over when they open) and the new
  // total, which the story keeps.
  int32_t levelScore = 0;
  ASSERT_TRUE(run.WaitFor(
      [&] {
        if (Score()) levelScore = Score();
        return run.TopScreen() == "GS_LevelStat";
      },
      15000));
  run.Wait(500);
  EXPECT_EQ(ShownNumber("level_scores"), levelScore);
  const int32_t total = ShownNumber("all_scores");
  EXPECT_GT(total, levelScore);
  EXPECT_EQ(progress->GetScores(), total);
  run.Click({512, 700});
  ASSERT_TRUE(run.WaitFor([&] { return run.TopScreen() != "GS_LevelStat"; }, 5000));
  run.Wait(500);
  EXPECT_EQ(progress->GetScores(), total);
}

// What a level or the diary lets go of is theirs alone. A scene whose resource list names
// no group (here a copy of the atelier's) removes only the resources it defined when its
// level ends; the diary unloads the groups it frees, which load again when next drawn, so
// the pictures of a list that happens to be named "diary" (here the main menu's
// background) still draw after the diary has been shown and hidden.
TEST_F(PlayScreen, LevelEndAndDiaryLeaveOtherResourcesDrawing) {
  ASSERT_TRUE(run.Ok()) << run.Failure();
  std::ifstream file(std::string(SAMPLE_GAME_DIR) + "/data/scenes/atelier.xml");
  std::string atelier{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const std::string grouped = " resourcegroup=\"scene\"";
  const size_t at = atelier.find(grouped);
  ASSERT_NE(at, std::string::npos);
  atelier.erase(at, grouped.size());
  TempFolder copy;
  copy.Write("atelier.xml", atelier);
  run.beforeTask = [&](TGame& game) {
    Ref<ISceneDefRefCollection> scenes =
        Supports<ISceneDefRefCollection>(game.GetParamValue("scene_defs").RawInterface());
    ASSERT_TRUE(scenes && scenes->GetItem(Variant("atelier")));
    scenes->GetItem(Variant("atelier"))->SetFileName(copy / "atelier.xml");
  };
  ASSERT_TRUE(run.StepUntilLoaded());
  Ref<IResource> background = run.Engine().GetResource("img_background");
  ASSERT_TRUE(background);
  background->SetGroupName("diary");
  // The background where the main menu draws nothing over it.
  auto menuDrawn = [&] {
    if (!run.WaitFor([&] { return run.TopScreen() == "GS_Main"; }, 8000)) return false;
    run.Wait(1000);
    for (const TPoint p : {TPoint{20, 130}, TPoint{140, 280}, TPoint{700, 200}})
      if (run.Pixel(p.X, p.Y) != ImagePixel("img_background", p.X, p.Y)) return false;
    return true;
  };
  // A player, so that the main menu greets her; past the splash's continue button.
  run.Game()->GetUserProfiles()->GetOrCreate("Ann");
  run.Game()->GetUserProfiles()->SetCurrent("Ann");
  run.Wait(1500);
  run.Click({512, 700});
  ASSERT_TRUE(menuDrawn());

  ASSERT_NO_FATAL_FAILURE(StartLevel());
  EXPECT_TRUE(run.Engine().GetResource("img_SceneBackground"));
  ASSERT_TRUE(run.Game()->CloseScreen(screen, nullptr));
  EXPECT_TRUE(menuDrawn()) << "after the level";
  EXPECT_FALSE(run.Engine().GetResource("img_SceneBackground")) << "the scene's own go";

  // The diary of a new story opens its letter over itself; the letter read, the map shown,
  // the diary is left.
  auto closeTop = [&](const std::string& id) {
    ASSERT_TRUE(run.WaitFor([&] { return run.TopScreen() == id; }, 8000)) << run.TopScreen();
    run.Wait(1500);
    ASSERT_TRUE(run.Game()->CloseScreen(
        run.Game()->GetScreens()->GetScreen(Variant(id)).get(), nullptr));
  };
  ASSERT_TRUE(run.Game()->ShowScreen("GS_Diary", ParamsFromString("\\show_diary=1")));
  ASSERT_NO_FATAL_FAILURE(closeTop("GS_Letter"));
  ASSERT_NO_FATAL_FAILURE(closeTop("GS_Diary"));
  EXPECT_TRUE(menuDrawn()) << "after the diary";
  EXPECT_TRUE(run.Engine().GetResource("img_background"));
}

// Every text the play screen shows on one line holds there whole, in its font: each
// game's quest on its band and as the level's hint, the cellar's quest, the amulet's help,
// the out-of-hints text, each level kind's line and each place's title.
TEST_F(PlayScreen, EveryLineOfTheScreenHoldsItsTextWhole) {
  ASSERT_NO_FATAL_FAILURE(StartLevel());
  std::vector<std::string> hints = {"quest_cellar", "hint_cupidon_out_of_cash"};
  const std::string marker = "instance_hint=";
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(SAMPLE_GAME_DIR) + "/data/scenes")) {
    std::ifstream file(entry.path());
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) {
      const size_t begin = at + marker.size();
      hints.push_back(text.substr(begin, text.find_first_of("\\\"", begin) - begin));
    }
  }
  ASSERT_GT(hints.size(), 10u);
  // The widget's text at its width: one line of it, not cut.
  auto fits = [](const Ref<IWidget>& line, const std::string& key) {
    ASSERT_TRUE(line) << key;
    line->SetProperty("text", Variant("%" + key + "%"));
    const std::string shown = line->GetProperty("text").ToString();
    EXPECT_EQ(shown.find('%'), std::string::npos) << key << ": no such text";
    EXPECT_LE(line->GetProperty("textwidth").ToInt(), line->GetWidth()) << shown;
  };
  Ref<IWidget> animations = Widget("animation_group");
  for (const std::string& key : hints) {
    Ref<IParamCollection> params = NewParamCollection();
    params->SetValue("text", Variant("%" + key + "%"));
    Ref<IWidget> quest = screen->CreateWidget("task_quest", params);
    ASSERT_TRUE(quest) << key;
    animations->GetChildren()->Add(quest);
    fits(quest->FindWidget("text"), key);
    quest->SetDead(true);
    animations->GetChildren()->RemoveDead();
    fits(Widget("texthint/text"), key);
  }
  fits(Widget("ui_group/voodoo_help_text/label"), "voodoo_help");
  for (int kind = 0; kind <= 5; ++kind)
    fits(Widget("ui_group/ui_task_type_text"), "task_type_" + std::to_string(kind));
  for (const char* task : {"task_t1", "task_t2", "task_t3", "task_t4", "task_t5", "task_t6"}) {
    Ref<IWidget> start = screen->CreateWidget("start_level_anim", NewParamCollection());
    ASSERT_TRUE(start);
    animations->GetChildren()->Add(start);
    fits(start->FindWidget("title"), task);
    start->SetDead(true);
    animations->GetChildren()->RemoveDead();
  }
}

// The panel's pictures show whole, at their own sizes (a picture widget cuts, it does not
// scale): the frame, the items' well, the menu's and the diary's buttons, the clock's
// dial and a find-places item's count badge.
TEST_F(PlayScreen, PanelPicturesShowWhole) {
  ASSERT_NO_FATAL_FAILURE(StartLevel());
  std::vector<Ref<IWidget>> pictures;
  for (const char* path :
       {"ui_group/panel_back", "ui_group/panel_items_back", "ui_group/clock_dial",
        "ui_group/buttons/button_menu/image_normal", "ui_group/buttons/button_menu/image_selected",
        "ui_group/button_diary/image_normal", "ui_group/button_diary/image_selected"})
    pictures.push_back(Widget(path));
  Ref<IItemListPanelWidget> panel =
      Supports<IItemListPanelWidget>(Widget("ui_group/panel_scrollarea/ui_obj_list_panel"));
  ASSERT_TRUE(panel);
  Ref<IWidget> item = panel->CreateItemWidget("vase_test", "img_SceneBackground",
                                              "panel_item_disposable_create", 0, 0, 40, 40);
  ASSERT_TRUE(item);
  pictures.push_back(item->FindWidget("count_bar"));
  for (const Ref<IWidget>& picture : pictures) {
    ASSERT_TRUE(picture);
    SCOPED_TRACE(picture->GetName());
    const std::string name = picture->GetProperty("resourcename").ToString();
    Ref<IImageResource> image = Supports<IImageResource>(run.Engine().GetResource(name));
    ASSERT_TRUE(image) << name;
    EXPECT_EQ(picture->GetWidth(), image->GetWidth()) << name;
    EXPECT_EQ(picture->GetHeight(), image->GetHeight()) << name;
  }
}

TEST_F(PlayScreen, AtelierLostWhenTheTimeRunsOut) {
  ASSERT_NO_FATAL_FAILURE(StartLevel("25000"));
  const int32_t total = progress->GetScores();
  run.Click({150, 200});
  ASSERT_TRUE(run.WaitFor([&] { return screen->IsLevelOver(); }, 30000));
  EXPECT_FALSE(screen->IsCompleted());
  EXPECT_FALSE(task->IsCompleted());
  ASSERT_TRUE(run.WaitFor([&] { return run.TopScreen() == "GS_LevelStat"; }, 15000));
  EXPECT_EQ(progress->GetScores(), total);
}

// The timer asks for its accent at every update until the last ten seconds. Over five
// seconds of play with the output running along, the sample's accent starts about once a
// second: never again while it plays, and long enough not to end every few frames.
TEST(TimedLevel, TheTimersAccentStartsAboutOnceASecond) {
  auto owned = std::make_unique<FakeAudio>();
  FakeAudio& audio = *owned;
  SampleGameEngine run{SAMPLE_GAME_DIR, SampleGameKey(), std::move(owned)};
  ASSERT_TRUE(run.Ok()) << run.Failure();
  run.Platform().SetFrameInterval(16);
  TTavelor2GameScreenGame* screen = run.StartAtelier("60000");
  ASSERT_TRUE(screen);
  Ref<IWidget> timer = screen->FindWidget("ui_group/ui_level_timer/timer");
  Ref<ISound> accent = timer ? timer->FindSound("sound_accent_time") : nullptr;
  ASSERT_TRUE(accent);
  Ref<ISoundResource> resource =
      Supports<ISoundResource>(run.Engine().GetResource(accent->GetResourceName()));
  ASSERT_TRUE(resource && resource->GetSampleHandle());
  const AudioHandle sample = resource->GetSampleHandle();
  auto play = [&](uint32_t milliseconds) {
    const uint32_t end = run.Platform().Milliseconds() + milliseconds;
    while (run.Platform().Milliseconds() < end) {
      const uint32_t before = run.Platform().Milliseconds();
      run.Step();
      audio.Advance(int(run.Platform().Milliseconds() - before));
    }
  };
  play(500);
  const size_t from = audio.calls.size();
  play(5000);
  std::vector<AudioHandle> channels;
  int starts = 0;
  for (size_t i = from; i < audio.calls.size(); ++i) {
    const AudioCall& call = audio.calls[i];
    if (call.op == "GetSampleChannel" && call.handle == sample && call.result)
      channels.push_back(call.result);
    if (call.op == "Play" && std::count(channels.begin(), channels.end(), call.handle)) ++starts;
  }
  EXPECT_GE(starts, 4);
  EXPECT_LE(starts, 6);
  EXPECT_GT(screen->GetTimer(), 10000) << "the accent is asked for only before the last ten seconds";
}

TEST_F(PlayScreen, ClockTowerEndsWhenItsFourPartsAreOnTheFace) {
  ASSERT_NO_FATAL_FAILURE(StartTask("stylist_case", "t4", ""));
  ASSERT_TRUE(screen->GetLevelManager());
  EXPECT_EQ(screen->GetLevelManager()->RemainingCount(), 4);
  run.Wait(2000);

  // The gearbox's unsolved game takes the hint: its hint text shows below the close-up,
  // then fades away.
  run.Click({980, 100});
  ASSERT_TRUE(screen->GetOpenApproach());
  run.Wait(1800);  // past the game's quest text
  std::vector<uint32_t> before;
  for (int32_t y = 545; y < 605; ++y)
    for (int32_t x = 212; x < 812; ++x) before.push_back(run.Pixel(x, y));
  const int32_t hintsUsed = screen->GetHintsUsed();
  run.Click({55, 728});
  run.Wait(500);
  EXPECT_EQ(screen->GetHintsUsed(), hintsUsed) << "the game took the hint";
  Ref<IWidget> hint = Widget("texthint/text");
  ASSERT_TRUE(hint);
  EXPECT_EQ(TranslateText(hint->GetProperty("text").ToString()), TranslateText("%mg_hint_gears%"));
  EXPECT_EQ(hint->GetTransparentLevel(), 255);
  int changed = 0;
  for (int32_t y = 545, i = 0; y < 605; ++y)
    for (int32_t x = 212; x < 812; ++x) changed += run.Pixel(x, y) != before[size_t(i++)];
  EXPECT_GT(changed, 200) << "the hint's letters";
  run.Wait(4000);
  EXPECT_EQ(hint->GetTransparentLevel(), 0);
  run.Click({40, 600});
  EXPECT_FALSE(screen->GetOpenApproach());
  run.Wait(500);

  // Each part where the generator hid it; its flight onto the face counts it.
  Ref<IUGDScene> scene = progress->GetScenes()->GetItem(Variant("clocktower"));
  ASSERT_TRUE(scene);
  int clicked = 0;
  for (const std::string& entry :
       SplitString(scene->GetParamValueDef("hp_names", Variant("")).ToString(), ';')) {
    std::string_view object, location;
    SplitWidgetPath(entry, object, location);
    const std::string name = std::string(object) + "_" + std::string(location);
    Ref<IWidget> part = Widget("objects_group/" + name);
    ASSERT_TRUE(part) << name;
    run.Click({int32_t(part->GetAnchorLeft()), int32_t(part->GetAnchorTop())});
    run.Wait(400);
    ++clicked;
  }
  EXPECT_EQ(clicked, 4);
  ASSERT_TRUE(run.WaitFor([&] { return screen->GetLevelManager()->RemainingCount() == 0; }, 5000));
  EXPECT_EQ(Widget("ui_group/ui_objects_count_text")->GetProperty("text").ToString(), "0");
  ASSERT_TRUE(run.WaitFor([&] { return run.TopScreen() == "GS_LevelStat"; }, 15000));
  EXPECT_TRUE(task->IsCompleted());
  EXPECT_TRUE(scene->IsCompleted());
}

// The cellar's pipes, turned at random when they load, solved by clicks: each element is
// turned on by left clicks until the water's way is whole (the straight pipes e0 and e2 by
// an even number of turns, the elbow e1 by whole turns). The game never ends itself; its
// watcher sees the win, lets the water run and ends it as the other games end: "Solved!"
// over it, no skip offered any more, its door ticked, then its close-up closed.
TEST_F(PlayScreen, CellarPipesSolvedByClicksEndTheirGame) {
  ASSERT_NO_FATAL_FAILURE(StartTask("stylist_case", "t6", "", "300000"));
  run.Wait(1500);
  run.Click({980, 100});
  ASSERT_TRUE(screen->GetOpenApproach());
  run.Wait(1800);
  Ref<IWidget> game = Widget("approaches_group/pipes/minigame_pipes");
  ASSERT_TRUE(game);
  const auto turns = SplitString(game->GetProperty("turns").ToString(), ';');
  ASSERT_EQ(turns.size(), 3u);
  struct Element {
    TPoint centre;
    int period;  // turns that give the same passage again
  } elements[] = {{{382, 300}, 2}, {{482, 300}, 4}, {{482, 400}, 2}};
  for (size_t i = 0; i < 3; ++i) {
    const int period = elements[i].period;
    const int clicks = (period - std::stoi(turns[i]) % period) % period;
    for (int k = 0; k < clicks; ++k) run.Click(elements[i].centre);
  }
  // A quarter of a second per tile. (Reading "win" plays the water: it is read only after.)
  run.Wait(650);
  EXPECT_TRUE(Widget("approaches_group/pipes/minigame_pipes/desk/e2_water")->IsVisible())
      << "the water has reached the outlet";
  EXPECT_TRUE(game->GetProperty("win").ToBool()) << game->GetProperty("turns").ToString();
  EXPECT_TRUE(game->GetProperty("need_skip").ToBool());
  EXPECT_TRUE(game->IsVisible());
  // The water run, the game ends: "Solved!" over it, the door ticked and shut, no skip.
  ASSERT_TRUE(run.WaitFor([&] { return !game->GetProperty("need_skip").ToBool(); }, 2000));
  run.Wait(100);
  ASSERT_TRUE(screen->GetOpenApproach());
  Ref<IWidget> win = Widget("approaches_group/pipes/minigame_pipes/win");
  ASSERT_TRUE(win);
  EXPECT_TRUE(win->IsVisible());
  EXPECT_EQ(TranslateText(win->FindWidget("text")->GetProperty("text").ToString()),
            TranslateText("%mg_solved%"));
  EXPECT_FALSE(Widget("ui_group/button_skip")->IsVisible());
  EXPECT_EQ(Widget("objects_group/door_pipes_l1/inner_widget/inner_widget")->GetProperty("resourceleft").ToInt(),
            48);
  EXPECT_FALSE(Widget("objects_group/door_pipes_l1")->IsMouseStop());
  // Then the close-up closes by itself.
  ASSERT_TRUE(run.WaitFor([&] { return !screen->GetOpenApproach(); }, 2000));
  EXPECT_FALSE(Widget("approaches_group/pipes")->IsVisible());
}

// The parlour's packing game solved by a quick drag, the box dropped onto its cell while
// the pick's own step still runs: the win follows that step (which starts it again rather
// than unpausing it) and shows as the other games' do. "Solved!" over the board for its
// time, the door ticked as it starts; then the close-up closes by itself.
TEST_F(PlayScreen, PackingGameSolvedByAQuickDragShowsItsWin) {
  ASSERT_NO_FATAL_FAILURE(StartTask("stylist_case", "t5_gift", ""));
  run.Wait(1500);
  run.Click({980, 100});
  ASSERT_TRUE(screen->GetOpenApproach());
  run.Wait(1800);
  const std::string game = "approaches_group/sewing_box/minigame_package";
  ASSERT_TRUE(Widget(game));
  Ref<IWidget> door = Widget("objects_group/door_sewing_box_l1/inner_widget/inner_widget");
  ASSERT_TRUE(door);
  EXPECT_EQ(door->GetProperty("resourceleft").ToInt(), 0);
  const uint32_t board = run.Pixel(240, 440);  // where the band lies, away from its text
  run.Click({332, 270});
  run.Move({572, 270});
  run.Click({572, 270});
  EXPECT_TRUE(Won("sewing_box/minigame_package"));
  run.Wait(300);
  ASSERT_TRUE(screen->GetOpenApproach()) << "closed before its win showed";
  EXPECT_EQ(door->GetProperty("resourceleft").ToInt(), 48) << "the door ticked with the win";
  EXPECT_FALSE(Widget("objects_group/door_sewing_box_l1")->IsMouseStop());
  Ref<IWidget> win = Widget(game + "/win");
  ASSERT_TRUE(win);
  EXPECT_TRUE(win->IsVisible());
  EXPECT_EQ(TranslateText(win->FindWidget("text")->GetProperty("text").ToString()),
            TranslateText("%mg_solved%"));
  EXPECT_LT(run.Pixel(240, 440) & 0xFF, board & 0xFF) << "the band darkens the board";
  run.Wait(800);
  EXPECT_TRUE(screen->GetOpenApproach()) << "the message lasts its time";
  ASSERT_TRUE(run.WaitFor([&] { return !screen->GetOpenApproach(); }, 1000));
  EXPECT_EQ(door->GetProperty("resourceleft").ToInt(), 48);
}

// The market's four games behind their doors: each shows its quest on its first opening
// and none on the next of the same play, then its skip button. The crate's compare game is
// solved by a click on the left cup and one on the right bell (the game's corner is at
// (232, 110)); the others are skipped, each with its own button. Each win says "Solved!"
// over its game, ticks its door, which opens it no more, and closes its close-up by itself.
TEST_F(PlayScreen, MarketGamesShowTheirQuestsOnceAndAreSolvedOrSkipped) {
  ASSERT_TRUE(run.Ok()) << run.Failure();
  run.Platform().SetFrameInterval(16);
  screen = run.StartTask("c1_lantern", "t2", "bastien", "300000");
  ASSERT_TRUE(screen) << "the market never started; top: " << run.TopScreen();
  run.Wait(1500);
  struct Game {
    int32_t doorTop;
    const char* path;  // approach/game
    const char* hint;
    bool solved;
  };
  const Game games[] = {
      {100, "stall/minigame_match3", "mg_hint_match3", false},
      {180, "crate/minigame_compare", "mg_hint_compare", true},
      {260, "barrel/minigame_simon", "mg_hint_simon", false},
      {340, "awning/minigame_words", "mg_hint_words", false},
  };
  for (const Game& g : games) {
    SCOPED_TRACE(g.path);
    const std::string approach(g.path, std::string_view(g.path).find('/'));
    run.Click({980, g.doorTop});
    ASSERT_TRUE(screen->GetOpenApproach());
    EXPECT_EQ(screen->GetOpenApproach()->GetName(), approach);
    Ref<IWidget> quest = Widget("animation_group/task_quest");
    ASSERT_TRUE(quest);
    EXPECT_EQ(quest->GetProperty("text").ToString(),
              TranslateText(std::string("%") + g.hint + "%"));
    run.Wait(1800);
    run.Click({40, 600});
    EXPECT_FALSE(screen->GetOpenApproach());
    run.Wait(300);
    run.Click({980, g.doorTop});
    ASSERT_TRUE(screen->GetOpenApproach());
    EXPECT_FALSE(Widget("animation_group/task_quest")) << "a second quest in one play";
    run.Wait(400);
    EXPECT_TRUE(Widget("ui_group/button_skip")->IsVisible());
    EXPECT_FALSE(Won(g.path));
    if (g.solved) {
      run.Click({342, 240});
      run.Wait(300);
      EXPECT_FALSE(Won(g.path));
      run.Click({642, 400});
    } else {
      run.Click({512, 615});
      EXPECT_FALSE(Widget("ui_group/button_skip")->IsVisible());
    }
    EXPECT_TRUE(Won(g.path));
    // "Solved!" over the board, the door on its ticked half and shut; the skip gone.
    run.Wait(300);
    ASSERT_TRUE(screen->GetOpenApproach());
    Ref<IWidget> win = Widget("approaches_group/" + std::string(g.path) + "/win");
    ASSERT_TRUE(win);
    EXPECT_TRUE(win->IsVisible());
    EXPECT_EQ(TranslateText(win->FindWidget("text")->GetProperty("text").ToString()),
              TranslateText("%mg_solved%"));
    EXPECT_FALSE(Widget("ui_group/button_skip")->IsVisible());
    const std::string door = "objects_group/door_" + approach + "_l1";
    EXPECT_EQ(Widget(door + "/inner_widget/inner_widget")->GetProperty("resourceleft").ToInt(), 48);
    EXPECT_FALSE(Widget(door)->IsMouseStop());
    // The close-up closes by itself once the message has shown.
    run.Wait(700);
    EXPECT_TRUE(screen->GetOpenApproach()) << "closed before its message ended";
    ASSERT_TRUE(run.WaitFor([&] { return !screen->GetOpenApproach(); }, 1500));
    EXPECT_FALSE(Widget("approaches_group/" + approach)->IsVisible());
    EXPECT_FALSE(Widget("ui_group/button_skip")->IsVisible());
    run.Wait(300);
  }
  // A done door opens its close-up no more.
  run.Click({980, 100});
  EXPECT_FALSE(screen->GetOpenApproach());
}

}  // namespace
