// The sample game's gameplay documents, read by the game's own loaders from the built
// program folder: the scene list and the atelier, the participants, the categories, the
// scenario of a new story, and the play screen's window the game file reaches through
// "_outstorage". The atelier is generated for the first task as the play screen does it,
// and its pictures load at the objects' sizes.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "foundation/GameDeclarations.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Random.h"
#include "foundation/ResourceReader.h"
#include "foundation/Routines.h"
#include "gameplay/Tv2Declarations.h"
#include "gameplay/Tv2PanelManagers.h"
#include "gameplay/Tv2Participants.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "tests/e2e/SampleGameFixture.h"
#include "tests/support/EngineHarness.h"

namespace {

std::set<std::string> Names(const std::string& list) {
  std::set<std::string> names;
  for (const std::string& entry : SplitString(list, ';'))
    names.insert(entry.substr(0, entry.find('/')));
  return names;
}

class GameplayData : public SampleGameFixture {};

}  // namespace

TEST_F(GameplayData, DocumentsLoadThroughTheGamesLoaders) {
  Ref<ISceneDefRefCollection> scenes = LoadSceneDefRefs(ScenesFileName);
  ASSERT_TRUE(scenes);
  Ref<ISceneDefRef> atelierRef = scenes->GetItem(Variant("atelier"));
  ASSERT_TRUE(atelierRef);
  Ref<ISceneDef> atelier = atelierRef->LoadSceneDef();
  EXPECT_EQ(atelier->GetObjectDefs()->Count(), 21);
  EXPECT_EQ(atelier->GetSceneApproaches()->Count(), 3);
  EXPECT_EQ(atelier->GetResourceDefs()->GetGroup(), "scene");

  Ref<IParticipantCollection> participants = LoadParticipants(ParticipantsFileName);
  ASSERT_TRUE(participants);
  ASSERT_EQ(participants->Count(), 3);
  EXPECT_TRUE(participants->GetItem(Variant("odile"))->IsClient());
  EXPECT_EQ(participants->GetItem(Variant("odile"))->GetCategories(), "light;tea");
  EXPECT_TRUE(participants->GetItem(Variant("bastien"))->IsIdealMatch());
  EXPECT_TRUE(participants->GetItem(Variant("milo"))->IsIdealMatch());

  Ref<ICategoryCollection> categories = LoadCategories(CategoriesFileName);
  ASSERT_TRUE(categories);
  std::vector<std::string> names;
  for (int i = 0; i < categories->Count(); ++i)
    names.push_back(categories->GetItem(Variant(i))->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"light", "tea", "sea", "books", "clocks"}));

  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  Ref<IHierStorageRoot> scenario = LoadDataDocument(DefaultScenarioFileName);
  ASSERT_TRUE(scenario);
  progress->LoadCases(Ref<IHierStorage>(scenario.get()));
  struct Case {
    const char* caseName;
    const char* task;
    int kind;
  };
  const Case tasks[] = {{"c1_lantern", "t1", 0},        {"c1_lantern", "t2", 1},
                        {"c1_lantern", "t3", 2},        {"stylist_case", "t4", 3},
                        {"stylist_case", "t5_gift", 4}, {"stylist_case", "t6", 5}};
  for (const Case& c : tasks) {
    Ref<IUGDCase> found = progress->GetCases()->GetItem(Variant(c.caseName));
    ASSERT_TRUE(found) << c.caseName;
    Ref<IUGDTask> task = found->CurrentStage()->GetTasks()->GetItem(Variant(c.task));
    ASSERT_TRUE(task) << c.task;
    EXPECT_EQ(task->GetTaskType(), c.kind) << c.task;
  }
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}

TEST_F(GameplayData, AtelierGeneratedForTheFirstTask) {
  ASSERT_TRUE(LoadPlayScreen());
  Ref<IHierStorage> window = GameScreenNode()->GetChild("window", 0);
  ASSERT_TRUE(window);
  EXPECT_NE(ReadXmlStr(window, "_outstorage").find("data\\screens\\game.xml"), std::string::npos);
  for (uint8_t kind = gkAnimation; kind <= gkInterface; ++kind)
    EXPECT_TRUE(owner->GetWidgetGroup(kind)) << int(kind);

  Ref<TUserGameData> progress = PublishDocumentsAndNewStory();
  Ref<IUGDCase> lantern = progress->GetCases()->GetItem(Variant("c1_lantern"));
  Ref<IUGDStage> stage = lantern->CurrentStage();
  Ref<IUGDTask> t1 = stage->GetTasks()->GetItem(Variant("t1"));
  Ref<TUGDScene> scene = AddTaskScene(*progress, *t1, t1->GetParamValue("scenename").ToString());
  owner->SetProgress(Ref<IUserGameData>(progress.get()), lantern, stage, t1);

  SetRandomSeed(1);
  ASSERT_TRUE(owner->SetCurrentScene(Ref<IUGDScene>(scene.get())));
  EXPECT_EQ(
      Names(scene->GetParamValue("ho_names").ToString()),
      (std::set<std::string>{"lantern", "oil_can", "teacup", "teapot", "wick_spool", "sugar_tin"}));
  EXPECT_EQ(Names(scene->GetParamValue("vd_names").ToString()),
            (std::set<std::string>{"doll_moth", "doll_rose_a", "doll_rose_b", "doll_sky_a",
                                   "doll_sky_b", "doll_leaf_a", "doll_leaf_b", "doll_ember_a",
                                   "doll_ember_b", "doll_ash_a", "doll_ash_b"}));
  EXPECT_EQ(Names(scene->GetParamValue("aa_names").ToString()),
            (std::set<std::string>{"door_cupboard", "door_chest", "door_easel"}));
  EXPECT_EQ(scene->GetParamValue("ip_names").ToString(), ";workbench/l1;");
  // Every listed object stands in the scene at its place.
  Ref<IWidget> lanternWidget = owner->FindWidget("objects_group/lantern_l1");
  ASSERT_TRUE(lanternWidget);
  EXPECT_EQ(lanternWidget->GetAnchorLeft(), 150);
  EXPECT_EQ(lanternWidget->GetAnchorTop(), 200);
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}

// Each level opens under the name of its own place: the start's title is the task's
// caption, as the task map names the task, and no two tasks share one.
TEST_F(GameplayData, EachLevelOpensUnderItsOwnPlacesName) {
  ASSERT_TRUE(LoadPlayScreen());
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  progress->LoadCases(Ref<IHierStorage>(LoadDataDocument(DefaultScenarioFileName).get()));
  std::set<std::string> titles;
  int tasksSeen = 0;
  for (const char* caseName : {"c1_lantern", "stylist_case"}) {
    Ref<IUGDTaskCollection> tasks =
        progress->GetCases()->GetItem(Variant(caseName))->CurrentStage()->GetTasks();
    for (int i = 0; i < tasks->Count(); ++i) {
      Ref<IUGDTask> task = tasks->GetItem(Variant(i));
      SCOPED_TRACE(task->GetName());
      Ref<IWidget> start = owner->CreateWidget("start_level_anim", task->GetParams());
      ASSERT_TRUE(start);
      Ref<IWidget> title = start->FindWidget("title");
      ASSERT_TRUE(title);
      const std::string shown = title->GetProperty("text").ToString();
      EXPECT_EQ(shown, TranslateText(task->GetParamValue("caption").ToString()));
      EXPECT_EQ(shown.find('%'), std::string::npos) << shown;
      EXPECT_FALSE(shown.empty());
      titles.insert(shown);
      ++tasksSeen;
    }
  }
  EXPECT_EQ(int(titles.size()), tasksSeen) << "a place named twice";
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}

// The second case's data keeps what its authors must keep: the case the case picker
// clears and its letter and final comic; every task with its statistics and no screens of
// its own; the cellar chosen on the scene picker; the scenes' resources in the scene group;
// the cellar's music known to the play screen; and every object that shows only when
// something gives it is given by a forced enable (the quest's key and lamp, the thimble).
TEST_F(GameplayData, SecondCaseKeepsTheAuthorsTraps) {
  ASSERT_TRUE(LoadPlayScreen());
  Ref<TUserGameData> progress = TAbstractObject::Create<TUserGameData>();
  progress->LoadCases(Ref<IHierStorage>(LoadDataDocument(DefaultScenarioFileName).get()));
  Ref<IUGDCase> stylist = progress->GetCases()->GetItem(Variant("stylist_case"));
  ASSERT_TRUE(stylist);
  EXPECT_EQ(stylist->GetParamValue("select_case_names").ToString(), "stylist_case");
  Ref<IParamCollection> stage = stylist->CurrentStage()->GetStageParams();
  const std::pair<const char*, const char*> stageParams[] = {
      {"show_start_screen", "yes"},
      {"start_screen_name", "GS_Letter2"},
      {"show_end_screen", "yes"},
      {"end_screen_name", "GS_Comics_final"}};
  for (auto [name, value] : stageParams) EXPECT_EQ(stage->GetValue(name).ToString(), value) << name;
  Ref<IUGDTaskCollection> tasks = stylist->CurrentStage()->GetTasks();
  ASSERT_EQ(tasks->Count(), 3);
  for (int i = 0; i < tasks->Count(); ++i) {
    Ref<IUGDTask> task = tasks->GetItem(Variant(i));
    SCOPED_TRACE(task->GetName());
    EXPECT_EQ(task->GetParamValue("level_statistic").ToString(), "normal");
    EXPECT_EQ(task->GetParamValue("show_start_screen").ToString(), "no");
    EXPECT_FALSE(task->GetParamValue("scenename").ToString().empty());
  }
  Ref<IUGDTask> t6 = tasks->GetItem(Variant("t6"));
  EXPECT_EQ(t6->GetParamValue("select_scene_names").ToString(), "cellar");
  EXPECT_EQ(t6->GetParamValue("task_quest").ToString(), "quest_cellar");
  EXPECT_NE(TranslateText("%quest_cellar%"), "%quest_cellar%");
  EXPECT_NE(tasks->GetItem(Variant("t5_gift"))->GetName().find("gift"), std::string::npos);

  Ref<ISceneDefRefCollection> scenes = LoadSceneDefRefs(ScenesFileName);
  ASSERT_TRUE(scenes);
  for (const char* name : {"clocktower", "parlour", "cellar"}) {
    SCOPED_TRACE(name);
    Ref<ISceneDef> scene = scenes->GetItem(Variant(name))->LoadSceneDef();
    EXPECT_EQ(scene->GetResourceDefs()->GetGroup(), "scene");
    const std::string music = scene->GetSceneMusicName();
    EXPECT_TRUE(owner->GetMusics()->FindMusic(Variant(music))) << music;
    // What forced enables give: "object_location" of every action of type 5.
    std::set<std::string> given;
    auto collect = [&](const Ref<ISceneObjectActionCollection>& actions) {
      for (int i = 0; actions && i < actions->Count(); ++i)
        if (Ref<ISceneObjectAction> action = actions->GetItem(Variant(i));
            action->GetActionType() == 5)
          given.insert(action->GetActionString());
    };
    Ref<ISceneObjectDefCollection> objects = scene->GetObjectDefs();
    for (int i = 0; i < objects->Count(); ++i) {
      Ref<ISceneObjectDef> object = objects->GetItem(Variant(i));
      collect(object->GetActions());
      Ref<ISceneObjectLocationCollection> locations = object->GetLocations();
      for (int j = 0; j < locations->Count(); ++j)
        collect(locations->GetItem(Variant(j))->GetActions());
    }
    for (int i = 0; i < objects->Count(); ++i) {
      Ref<ISceneObjectDef> object = objects->GetItem(Variant(i));
      if (object->GetObjectType() != otDisposable || !object->GetDisabledOnStart()) continue;
      EXPECT_TRUE(given.count(object->GetName() + "_l1")) << object->GetName();
    }
  }
  EXPECT_EQ(scenes->GetItem(Variant("cellar"))->LoadSceneDef()->GetSceneMusicName(),
            "music_cellar");
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}

// Each kind's panel of the play window holds its sample scene's objects, as a level adds
// them: within the panel's extent, one line for the market's two apples, the identical
// objects of both garden halves as pairs, the clock's parts at their places on the face.
TEST_F(GameplayData, PanelsHoldTheSampleScenesObjects) {
  ASSERT_TRUE(LoadPlayScreen());
  Ref<IItemListPanelWidget> panel = owner->GetPanelManager();
  ASSERT_TRUE(panel);
  Ref<ISceneDefRefCollection> scenes = LoadSceneDefRefs(ScenesFileName);
  ASSERT_TRUE(scenes);
  struct Case {
    int kind;
    std::vector<std::string> scenes;
    std::vector<int> types;  // in the order a level adds them
    int items;
  } cases[] = {
      {0, {"atelier"}, {otHiddenObject}, 6},
      {1, {"market"}, {otHiddenObject}, 5},
      {2, {"garden_left", "garden_right"}, {otIdentical}, 3},
      {3, {"clocktower"}, {otComplete, otHiddenPart}, 4},
      {4, {"parlour"}, {otDisposable}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenes.front());
    Ref<IPanelManager> manager =
        Supports<IPanelManager>(CreateNamedObject(PanelManagerName(c.kind)));
    auto* framework = dynamic_cast<TAbstractPanelManager*>(manager.get());
    ASSERT_TRUE(framework);
    manager->Bind(owner.get(), -1);
    panel->SetPanelManager(manager);
    std::map<std::string, Ref<ISceneObjectDef>> objects;
    for (int type : c.types)
      for (const std::string& name : c.scenes) {
        Ref<ISceneObjectDefCollection> defs =
            scenes->GetItem(Variant(name))->LoadSceneDef()->GetObjectDefs();
        for (int i = 0; i < defs->Count(); ++i) {
          Ref<ISceneObjectDef> object = defs->GetItem(Variant(i));
          if (object->GetObjectType() != type) continue;
          manager->AddItem(object);
          objects[name + "/" + object->GetName()] = object;
        }
      }
    ASSERT_EQ(framework->GetCount(), c.items);
    for (int i = 0; i < framework->GetCount(); ++i) {
      const Ref<IWidget>& widget = framework->ItemAt(i).widget;
      ASSERT_TRUE(widget) << i;
      EXPECT_GE(widget->GetLeft(), 0) << widget->GetName();
      EXPECT_LE(widget->GetLeft() + widget->GetWidth(), 724) << widget->GetName();
    }
    if (c.kind == 1) {
      Ref<IWidget> apples = manager->GetItemWidget(objects["market/apple_a"]);
      EXPECT_EQ(apples.get(), manager->GetItemWidget(objects["market/apple_b"]).get());
      EXPECT_EQ(apples->GetProperty("text_utf8").ToString(), "2 Apples");
    }
    if (c.kind == 2) {
      for (const char* name : {"lamp_post", "book_stack", "candle"})
        EXPECT_EQ(manager->GetPairedObject(objects[std::string("garden_left/") + name]).get(),
                  objects[std::string("garden_right/") + name].get());
    }
    if (c.kind == 3) {
      auto* parts = dynamic_cast<THiddenPartsPanelManager*>(manager.get());
      ASSERT_TRUE(parts && parts->GetCompleteWidget());
      // The 200 x 200 face fits the upright maxima as it stands: 84 high, then narrowed to
      // 80 wide, so 80 x 80 (the zoom widget keeps the scale as near as it can, and the
      // parts take what it kept). It stands centred in the lying maximum (160 wide, after
      // the 20 of the left shift) at the panel's first place (1, 1), and the parts land on
      // it at their places, scaled alike.
      const double scale = parts->GetScale();
      EXPECT_NEAR(scale, 80.0 / 200, 0.005);
      const Ref<IWidget>& face = parts->GetCompleteWidget();
      EXPECT_NEAR(face->GetWidth(), 80, 1);
      EXPECT_NEAR(face->GetHeight(), 80, 1);
      const double shift = 20 + (160 - face->GetWidth()) / 2;
      EXPECT_EQ(face->GetAnchorLeft(), shift + 1);
      EXPECT_EQ(face->GetAnchorTop(), 1);
      for (const char* name : {"gear_big", "gear_small", "hand_hour", "hand_minute"}) {
        Ref<ISceneObjectDef> part = objects[std::string("clocktower/") + name];
        Ref<ISceneObjectLocation> spec = part->GetLocations()->GetItem(Variant("spec"));
        Ref<IWidget> widget = manager->GetItemWidget(part);
        EXPECT_NEAR(widget->GetAnchorLeft(), (spec->GetAnchorLeft() + 1) * scale + shift, 1)
            << name;
        EXPECT_NEAR(widget->GetAnchorTop(), (spec->GetAnchorTop() + 1) * scale, 1) << name;
      }
    }
    manager->Unbind();
    panel->SetPanelManager(nullptr);
  }
  EXPECT_TRUE(warnings.Lines().empty()) << warnings.Lines().front();
}

// The pictures of every sample scene's objects, through a real engine.
TEST(GameplayDataPictures, ScenePicturesHaveTheObjectsSizes) {
  EngineHarness h;
  ASSERT_TRUE(h.Start());
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(SAMPLE_GAME_DIR);
  SetProgramFolder(std::string(SAMPLE_GAME_DIR) + "/");
  ClearResourceCache();

  Ref<ISceneDefRefCollection> scenes = LoadSceneDefRefs(ScenesFileName);
  ASSERT_EQ(scenes->Count(), 7);
  for (int s = 0; s < scenes->Count(); ++s) {
    Ref<ISceneDef> scene = scenes->GetItem(Variant(s))->LoadSceneDef();
    SCOPED_TRACE(scenes->GetItem(Variant(s))->GetName());
    scene->SetEngine(h.engine.get());
    scene->LoadResources();
    Ref<ISceneObjectDefCollection> objects = scene->GetObjectDefs();
    ASSERT_GT(objects->Count(), 0);
    int doors = 0;
    for (int i = 0; i < objects->Count(); ++i) {
      Ref<ISceneObjectDef> object = objects->GetItem(Variant(i));
      SCOPED_TRACE(object->GetName());
      Ref<IImageResource> image =
          Supports<IImageResource>(h.engine->GetResource(object->GetResourceName()));
      ASSERT_TRUE(image);
      ASSERT_TRUE(image->GetSurface());
      EXPECT_EQ(image->GetHeight(), object->GetHeight());
      if (object->GetResourceName() == "img_door") {
        // A close-up's door: its picture holds the shut door and, beside it, the door of a
        // game done, which a won game's win shows by shifting the picture 48 pixels.
        ++doors;
        EXPECT_EQ(object->GetWidth(), 48);
        ASSERT_EQ(image->GetWidth(), 2 * object->GetWidth());
        int differ = 0;
        for (int32_t y = 0; y < image->GetHeight(); ++y)
          for (int32_t x = 0; x < object->GetWidth(); ++x)
            differ += image->GetSurface()->GetPixel(x, y) !=
                      image->GetSurface()->GetPixel(x + object->GetWidth(), y);
        EXPECT_GT(differ, 100) << "the done half shows no tick";
      } else {
        EXPECT_EQ(image->GetWidth(), object->GetWidth());
      }
      // Presses are judged on the picture's own pixels: what the player clicks, and where
      // the scripts click (its centre), must be opaque. Plain scenery takes no presses.
      const int type = object->GetObjectType();
      if (type != otInactiveProp && type != otComplete) {
        EXPECT_GT(image->GetSurface()->GetPixel(int32_t(object->GetCenterX()),
                                                int32_t(object->GetCenterY())) >> 24,
                  0u)
            << "a clear centre";
      }
    }
    EXPECT_EQ(doors, scene->GetSceneApproaches()->Count()) << "a door to each close-up";
    EXPECT_TRUE(Supports<IImageResource>(h.engine->GetResource("img_SceneBackground")));
    scene->RemoveResources();
    scene->ReleaseEngine();
  }
  std::filesystem::current_path(before);
  SetProgramFolder("");
  ClearResourceCache();
}
