// The sample game's six tasks played through the play screen's base on the game's own play
// window (game.xml), with the gameplay's documents of the built program folder: each level
// is generated with a fixed seed and started, its wanted objects are clicked (or carried
// to their places, which is the play screen's part), frames run until the level counts
// every object found, and the used lists, the journal and the voodoo dolls are as the
// story needs them.
//
// The play screen (its panel manager, its find animations, carrying and the amulet
// button) comes later; here the test does what it will do: it binds the panel manager of
// the level kind to the window's item panel (the hidden-shapes one where the kind has none
// yet), and where the screen ends an activation itself (find places, quest) the test
// calls AfterActivation. A hidden part ends its own, when its find scenario has flown.

#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/GameDeclarations.h"
#include "foundation/GeneralClasses.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Random.h"
#include "foundation/ResourceReader.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2LevelManagers.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "minigames/MiniGamesRegistration.h"
#include "shell/WidgetFactories.h"
#include "tests/e2e/SampleGameFixture.h"

namespace {

class GameplayLevels : public SampleGameFixture {
 protected:
  ~GameplayLevels() override {
    if (level) level->Done();
  }

  // The play screen on the game's own window, with the game's documents and a new story.
  void Open() {
    RegisterMiniGamesClasses();  // the scenes' approaches hold mini-games
    ASSERT_TRUE(LoadPlayScreen());
    progress = PublishDocumentsAndNewStory();
  }

  // The task's scene (and a second half), made as the diary makes them, and its level
  // started.
  void Play(const std::string& caseName, const std::string& taskName) {
    if (level) level->Done();
    level = nullptr;
    for (uint8_t kind = gkObjects; kind <= gkBackground; ++kind)
      if (Ref<IWidget> group = owner->GetWidgetGroup(kind)) group->GetChildren()->Clear();
    owner->GetWidgetGroup(gkAnimation)->GetChildren()->Clear();
    owner->SetOpenApproach(nullptr);
    Ref<IUGDCase> found = progress->GetCases()->GetItem(Variant(caseName));
    ASSERT_TRUE(found);
    Ref<IUGDStage> stage = found->CurrentStage();
    task = stage->GetTasks()->GetItem(Variant(taskName));
    ASSERT_TRUE(task);
    for (const char* param : {"scenename", "scenename2"}) {
      std::string name = task->GetParamValueDef(param, Variant("")).ToString();
      if (!name.empty() && !progress->GetScenes()->GetItem(Variant(name)))
        AddTaskScene(*progress, *task, name);
    }
    owner->SetProgress(Ref<IUserGameData>(progress.get()), found, stage, task);
    const int kind = task->GetTaskType();
    BindPanel(kind);
    SetRandomSeed(1);
    level = Supports<TAbstractLevelManager>(CreateNamedObject(LevelManagerName(kind)));
    ASSERT_TRUE(level);
    owner->SetLevelManager(Ref<ILevelManager>(level.get()));
    level->Init(owner.get());
    ASSERT_TRUE(level->LoadScene());
    level->StartLevel();
  }

  void BindPanel(int kind) {
    Ref<IItemListPanelWidget> panel = owner->GetPanelManager();
    ASSERT_TRUE(panel) << "the play window has no item panel";
    panel->GetChildren()->Clear();
    panel->SetPanelManager(nullptr);
    if (kind == 5) return;  // a quest lists nothing
    std::string name(PanelManagerName(kind));
    Ref<IPanelManager> manager = Supports<IPanelManager>(CreateNamedObject(name));
    if (!manager) manager = Supports<IPanelManager>(CreateNamedObject("PanelManagerHiddenShapes"));
    ASSERT_TRUE(manager);
    manager->Bind(owner.get(), -1);
    panel->SetPanelManager(manager);
  }

  Ref<IUGDScene> Scene(const std::string& name) {
    return progress->GetScenes()->GetItem(Variant(name));
  }
  // The entries (object, location) of a list of the player's scene.
  std::vector<std::pair<std::string, std::string>> Entries(const std::string& scene,
                                                           const std::string& list) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& entry :
         SplitString(Scene(scene)->GetParamValueDef(list, Variant("")).ToString(), ';')) {
      std::string_view object, location;
      SplitWidgetPath(entry, object, location);
      entries.emplace_back(std::string(object), std::string(location));
    }
    return entries;
  }

  struct Target {
    Ref<IWidget> widget;
    Ref<ISceneObjectDef> object;
    Ref<ISceneObjectLocation> location;
    TPoint point;
  };
  // The widget of Object at Location in the group of Kind, with its definitions.
  Target At(const std::string& object, const std::string& location, uint8_t kind = gkObjects) {
    Target t;
    std::string path = std::string(WidgetGroupPath(kind)) + "/" + object + "_" + location;
    t.widget = owner->FindWidget(path);
    EXPECT_TRUE(t.widget) << path;
    if (t.widget) {
      owner->GetObjectDefs(t.widget, t.object, t.location);
      t.point = TPoint{int32_t(t.widget->GetAnchorLeft()), int32_t(t.widget->GetAnchorTop())};
    }
    return t;
  }
  bool Click(const Target& t) {
    return t.widget && level->ObjectClicked(t.widget, t.object, t.location, t.point);
  }
  // The player puts (or uses) the object at its place.
  bool Place(const Target& t) {
    return t.widget && level->ActivateAtLocation(t.widget, t.object, t.point, t.location);
  }
  void Done(const Target& t) { level->AfterActivation(t.widget, t.object, t.location); }

  // Frames of the animations and the level until every object is found.
  bool RunUntilAllFound(int limit = 2000) {
    Ref<IWidget> animations = owner->GetWidgetGroup(gkAnimation);
    for (int frame = 0; frame < limit && !level->AllObjectsFound(); ++frame) {
      animations->Process(16);
      animations->UpdateDirtyRects(false, false);
      level->Update();
    }
    return level->AllObjectsFound();
  }
  // Every doll of Scene but Keep caught with the amulet, each once the one before has
  // left its dialog and the level.
  void CatchDolls(const std::string& scene, const std::string& keep = {}) {
    Ref<IWidget> animations = owner->GetWidgetGroup(gkAnimation);
    for (auto& [object, location] : Entries(scene, "vd_names")) {
      if (object == keep) continue;
      const int32_t before = level->RemainingCount();
      owner->amuletActive = true;
      EXPECT_FALSE(Click(At(object, location))) << object;
      owner->amuletActive = false;
      for (int frame = 0; frame < 400 && level->RemainingCount() == before; ++frame) {
        animations->Process(16);
        animations->UpdateDirtyRects(false, false);
        level->Update();
      }
      EXPECT_EQ(level->RemainingCount(), before - 1) << object;
    }
  }
  bool Journals(const std::string& note) {
    return (";" + progress->GetJournal()).find(";" + note + ";") != std::string::npos;
  }

  Ref<TUserGameData> progress;
  Ref<IUGDTask> task;
  Ref<TAbstractLevelManager> level;
};

}  // namespace

TEST_F(GameplayLevels, PlaysEveryTaskOfTheStory) {
  ASSERT_NO_FATAL_FAILURE(Open());

  // t1, the atelier (hidden shapes): six shapes, then the voodoo doll through the amulet.
  ASSERT_NO_FATAL_FAILURE(Play("c1_lantern", "t1"));
  auto shapes = Entries("atelier", "ho_names");
  ASSERT_EQ(shapes.size(), 6u);
  EXPECT_EQ(Entries("atelier", "vd_names").size(), 11u);
  EXPECT_EQ(level->RemainingCount(), 17) << "six shapes and eleven dolls";
  for (auto& [object, location] : shapes) EXPECT_TRUE(Click(At(object, location))) << object;
  EXPECT_FALSE(RunUntilAllFound(300)) << "the dolls are still hidden";
  EXPECT_EQ(level->RemainingCount(), 11);
  // The amulet takes one doll at a time: each catch hands it the next.
  CatchDolls("atelier", "doll_moth");
  EXPECT_EQ(level->RemainingCount(), 1);
  EXPECT_TRUE(Journals("note_lantern"));
  owner->amuletActive = true;
  EXPECT_FALSE(Click(At("doll_moth", "l1")));
  owner->amuletActive = false;
  EXPECT_TRUE(RunUntilAllFound()) << "the doll is found once its dialog has gone";
  const std::string found = progress->GetFindedVoodoo();
  EXPECT_EQ(std::count(found.begin(), found.end(), ';'), 11);
  EXPECT_NE((";" + progress->GetFindedVoodoo()).find(";doll_moth;"), std::string::npos);
  EXPECT_NE(level->GetActivateSequence(Scene("atelier")).find(";doll_moth/l1;"), std::string::npos);

  // t2, the market (hidden names): six objects, two of them apples of one caption.
  ASSERT_NO_FATAL_FAILURE(Play("c1_lantern", "t2"));
  auto names = Entries("market", "ho_names");
  EXPECT_EQ(names.size(), 6u);
  CatchDolls("market");
  for (auto& [object, location] : names) EXPECT_TRUE(Click(At(object, location))) << object;
  EXPECT_TRUE(RunUntilAllFound());
  const std::string all = progress->GetFindedVoodoo();
  EXPECT_EQ(std::count(all.begin(), all.end(), ';'), 13) << "every doll of the story";

  // t3, the garden (find identical): each pair found by its left twin.
  ASSERT_NO_FATAL_FAILURE(Play("c1_lantern", "t3"));
  EXPECT_EQ(level->RemainingCount(), 3);
  for (auto& [object, location] : Entries("garden_left", "io_names"))
    EXPECT_TRUE(Click(At(object, location, gkLeftPart))) << object;
  EXPECT_TRUE(RunUntilAllFound());
  EXPECT_EQ(Entries("garden_right", "names_activate_sequence").size(), 3u);

  // t4, the clock tower (hidden parts): the four parts; the face waits in the panel.
  ASSERT_NO_FATAL_FAILURE(Play("stylist_case", "t4"));
  auto parts = Entries("clocktower", "hp_names");
  EXPECT_EQ(parts.size(), 4u);
  EXPECT_EQ(level->RemainingCount(), 4);
  for (auto& [object, location] : parts) EXPECT_TRUE(Click(At(object, location))) << object;
  EXPECT_TRUE(RunUntilAllFound());

  // t5, the parlour (find places): the vase at both its places, the others where listed,
  // and the thimble from the drawer.
  ASSERT_NO_FATAL_FAILURE(Play("stylist_case", "t5_gift"));
  auto places = Entries("parlour", "do_names");
  EXPECT_EQ(std::count(places.begin(), places.end(),
                       std::make_pair(std::string("vase"), std::string("l2"))),
            1)
      << "every place of the vase is listed";
  EXPECT_EQ(level->RemainingCount(), 5);
  for (auto& [object, location] : places) {
    Target t = At(object, location);
    EXPECT_TRUE(Place(t)) << object;
    if (object == "thimble") continue;  // it comes from the drawer below
    Done(t);
  }
  owner->TakeCalls();
  Place(At("sewing_drawer", "l1"));
  auto calls = owner->TakeCalls();
  EXPECT_NE(std::find_if(calls.begin(), calls.end(),
                         [](const std::string& c) {
                           return c.rfind("TakeSceneObject(thimble_l1,sewing_drawer_l1,1", 0) == 0;
                         }),
            calls.end());
  Done(At("thimble", "l1"));
  EXPECT_TRUE(RunUntilAllFound());
  const std::string placed = level->GetActivateSequence(Scene("parlour"));
  for (const char* entry : {";vase/l1;", ";vase/l2;", ";thimble/l1;", ";sewing_drawer/l1;"})
    EXPECT_NE(placed.find(entry), std::string::npos) << entry << " in " << placed;

  // t6, the cellar (quest): the crate gives the key, the key opens the door and keeps a
  // note; the shelf gives the lamp, which goes onto its hook.
  owner->TakeCalls();
  ASSERT_NO_FATAL_FAILURE(Play("stylist_case", "t6"));
  calls = owner->TakeCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "QueueDelayedAction(bats,1,0,3000)"),
            calls.end());
  EXPECT_EQ(level->RemainingCount(), 2);
  Ref<IWidget> door = owner->FindWidget("objects_group/door_open_l1");
  ASSERT_TRUE(door);
  EXPECT_FALSE(door->IsVisible());
  for (const char* giver : {"crate", "shelf"}) Place(At(giver, "l1"));
  calls = owner->TakeCalls();
  for (const char* taken :
       {"TakeSceneObject(cellar_key_l1,crate_l1,1", "TakeSceneObject(oil_lamp_l1,shelf_l1,1"})
    EXPECT_NE(std::find_if(calls.begin(), calls.end(),
                           [&](const std::string& c) { return c.rfind(taken, 0) == 0; }),
              calls.end())
        << taken;
  for (const char* object : {"cellar_key", "oil_lamp"}) {
    Target t = At(object, "l1");
    EXPECT_TRUE(Place(t)) << object;
    Done(t);
  }
  EXPECT_TRUE(door->IsVisible());
  EXPECT_TRUE(Journals("note_cellar"));
  EXPECT_TRUE(level->AllObjectsFound());
  const std::string used = level->GetActivateSequence(Scene("cellar"));
  for (const char* entry : {";cellar_key/l1;", ";oil_lamp/l1;", ";crate/l1;", ";shelf/l1;"})
    EXPECT_NE(used.find(entry), std::string::npos) << entry << " in " << used;
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}

// The play window's "smooth_action" (a flash step handed its target as "widget") fades a
// scene widget in from nothing and out again, hiding it at the end, and then goes.
TEST_F(GameplayLevels, SmoothActionFadesASceneWidgetInAndOut) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_NO_FATAL_FAILURE(Play("stylist_case", "t6"));
  Ref<IWidget> door = owner->FindWidget("objects_group/door_open_l1");
  ASSERT_TRUE(door);
  ASSERT_FALSE(door->IsVisible());
  Ref<IWidget> animations = owner->GetWidgetGroup(gkAnimation);
  animations->GetChildren()->Clear();
  auto frames = [&](int count) {
    for (int i = 0; i < count; ++i) {
      animations->Process(16);
      animations->UpdateDirtyRects(false, false);
    }
  };

  owner->SwitchWidget(nullptr, "door_open_l1", true, true, 320, {});
  EXPECT_TRUE(door->IsVisible());
  EXPECT_EQ(door->GetTransparentLevel(), 0);
  ASSERT_EQ(animations->GetChildren()->Count(), 1);
  frames(10);
  EXPECT_GT(door->GetTransparentLevel(), 0);
  EXPECT_LT(door->GetTransparentLevel(), 255);
  frames(20);
  EXPECT_EQ(door->GetTransparentLevel(), 255);
  EXPECT_TRUE(door->IsVisible());
  EXPECT_EQ(animations->GetChildren()->Count(), 0) << "the step goes when it ends";

  owner->SwitchWidget(nullptr, "door_open_l1", true, false, 320, {});
  frames(10);
  EXPECT_TRUE(door->IsVisible());
  EXPECT_LT(door->GetTransparentLevel(), 255);
  frames(20);
  EXPECT_EQ(door->GetTransparentLevel(), 0);
  EXPECT_FALSE(door->IsVisible());
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}

// Every approach of the story's scenes that holds a mini-game holds one, made when the
// level starts: of the type the story gives that approach, named as a mini-game, with a
// hint the language file translates, offering its skip and not yet won; its door opens it.
// Skipped, it counts as won: its win says "Solved!" over the board and ticks the door,
// which opens it no more, then hides the close-up.
TEST_F(GameplayLevels, ApproachesHoldTheirMiniGames) {
  ASSERT_NO_FATAL_FAILURE(Open());
  struct Case {
    const char* caseName;
    const char* task;
    const char* approach;
    const char* type;
  };
  const Case cases[] = {
      {"c1_lantern", "t1", "easel", "mg_move_widget"},
      {"c1_lantern", "t2", "stall", "MiniGame3MatchWidget"},
      {"c1_lantern", "t2", "crate", "mg_compare_widget"},
      {"c1_lantern", "t2", "barrel", "simon_widget"},
      {"c1_lantern", "t2", "awning", "mg_FindWords_widget"},
      {"stylist_case", "t4", "gearbox", "mg_gear_widget"},
      {"stylist_case", "t4", "dial", "mg_ring_widget"},
      {"stylist_case", "t4", "pendulum", "mg_guitarhero_widget"},
      {"stylist_case", "t4", "tiles", "mg_15puzzle_widget"},
      {"stylist_case", "t5_gift", "sewing_box", "package_widget"},
      {"stylist_case", "t5_gift", "teatable", "mg_thimble_widget"},
      {"stylist_case", "t5_gift", "shelf", "mg_scales_widget"},
      {"stylist_case", "t5_gift", "windowsill", "shooter_widget"},
      {"stylist_case", "t6", "pipes", "mg_pipe_widget"},
      {"stylist_case", "t6", "jars", "mg_gathering_widget"},
      {"stylist_case", "t6", "map", "mg_graph_widget"},
      {"stylist_case", "t6", "mosaic", "mg_xmatch_widget"},
  };
  std::string played;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.approach);
    if (played != c.task) {
      ASSERT_NO_FATAL_FAILURE(Play(c.caseName, c.task));
      played = c.task;
      // The atelier's three doors, four in every other scene.
      EXPECT_EQ(owner->GetWidgetGroup(gkApproaches)->GetChildren()->Count(),
                played == "t1" ? 3 : 4);
    }
    Ref<IWidget> approach = owner->GetApproach(c.approach);
    ASSERT_TRUE(approach);
    Ref<IWidget> game;
    int games = 0;
    Ref<IWidgetCollection> children = approach->GetChildren();
    for (int i = 0; i < children->Count(); ++i) {
      Ref<IWidget> child = children->GetByIndex(i);
      if (child->GetName().find("minigame") == std::string::npos) continue;
      game = child;
      ++games;
    }
    ASSERT_EQ(games, 1);
    auto* object = dynamic_cast<TAbstractObject*>(game.get());
    ASSERT_TRUE(object);
    EXPECT_EQ(ClassesRegistry().FindClassNameOf(*object), c.type);
    const std::string hint = game->GetProperty("instance_hint").ToString();
    ASSERT_FALSE(hint.empty());
    const std::string text = TranslateText("%" + hint + "%");
    EXPECT_FALSE(text.empty() || text.find('%') != std::string::npos) << hint;
    EXPECT_TRUE(game->GetProperty("need_skip").ToBool());
    EXPECT_FALSE(game->GetProperty("win").ToBool());
    // It fills the approach's frame inside its border, and a child takes the presses
    // that fall on no piece of the game.
    EXPECT_EQ(game->GetAnchorLeft(), 20);
    EXPECT_EQ(game->GetAnchorTop(), 20);
    bool background = false;
    Ref<IWidgetCollection> pieces = game->GetChildren();
    for (int i = 0; i < pieces->Count(); ++i) {
      Ref<IWidget> piece = pieces->GetByIndex(i);
      background =
          background ||
          (piece->IsMouseStop() && piece->GetAnchorLeft() == 0 && piece->GetAnchorTop() == 0 &&
           piece->GetWidth() == game->GetWidth() && piece->GetHeight() == game->GetHeight());
    }
    EXPECT_TRUE(background) << "no full-area background";

    owner->TakeCalls();
    Place(At(std::string("door_") + c.approach, "l1"));
    auto calls = owner->TakeCalls();
    EXPECT_NE(
        std::find(calls.begin(), calls.end(), "OpenApproach(" + std::string(c.approach) + ",0)"),
        calls.end());
    approach->SetVisible(true);  // as the play screen opens it; the fixture only records it

    // The door's widget shows the left half of its picture and takes the presses.
    Ref<IWidget> door = owner->GetWidgetGroup(gkObjects)->FindWidget(
        std::string("door_") + c.approach + "_l1");
    ASSERT_TRUE(door);
    Ref<IWidget> doorPicture = door->FindWidget("inner_widget/inner_widget");
    ASSERT_TRUE(doorPicture);
    EXPECT_EQ(doorPicture->GetProperty("resourceleft").ToInt(), 0);
    EXPECT_TRUE(door->IsMouseStop());

    game->SetProperty("need_skip", Variant(false));
    EXPECT_TRUE(game->GetProperty("win").ToBool());
    EXPECT_FALSE(game->GetProperty("need_skip").ToBool());
    auto frame = [&] {
      game->Process(16);
      game->UpdateDirtyRects(false, false);
    };
    // The win waits for what the game still shows as it begins (the tiles' scramble, the
    // ball shown under its cup); then "Solved!" over the board, the door at once on its ticked half and shut.
    Ref<IWidget> win = game->FindWidget("win");
    ASSERT_TRUE(win);
    for (int waited = 0; waited < 100 && !win->IsVisible(); ++waited) frame();
    ASSERT_TRUE(win->IsVisible());
    EXPECT_EQ(TranslateText(win->FindWidget("text")->GetProperty("text").ToString()),
              TranslateText("%mg_solved%"));
    EXPECT_EQ(doorPicture->GetProperty("resourceleft").ToInt(), 48);
    EXPECT_FALSE(door->IsMouseStop());
    // The message stays for its time, then the close-up hides, which closes it.
    int frames = 0;
    for (; frames < 300 && approach->IsVisible(); ++frames) frame();
    EXPECT_FALSE(approach->IsVisible()) << "the win leaves the close-up open";
    EXPECT_GE(frames * 16, 1400) << "the close-up hid before its message ended";
    EXPECT_LE(frames * 16, 1400 + 32);
    EXPECT_FALSE(game->FindWidget("win")) << "the message outlives its close-up";
  }
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}
