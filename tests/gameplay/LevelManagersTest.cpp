// The level managers: building a level from a player's scene, finds, scores, hits of
// carried objects, hints, the amulet and the pairs of find-identical levels.

#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/Random.h"
#include "gameplay/Tv2LevelManagers.h"
#include "gameplay/Tv2PanelManagers.h"
#include "gameplay/Tv2SceneDefs.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/GameplayFixture.h"
#include "tests/support/PanelFactories.h"

using namespace gameplay_test;

namespace {

std::string Factory(const std::string& name, const std::string& widget) {
  return "<widgetfactory type=\"WidgetFactory\" name=\"" + name + "\"><widgetstring>" + widget +
         "</widgetstring></widgetfactory>";
}

// An object with a location "l1" at (X, 100), Extra attributes, Inner elements and
// More locations after "l1".
std::string Obj(const std::string& name, int type, int x, const std::string& extra = {},
                const std::string& inner = {}, const std::string& more = {}) {
  return "<object_def name=\"" + name + "\" objecttype=\"" + std::to_string(type) +
         "\" caption=\"%" + name + "%\" width=\"20\" height=\"10\" " + extra + ">" + inner +
         "<locations><location name=\"l1\" anchor_left=\"" + std::to_string(x) +
         "\" anchor_top=\"100\"/>" + more + "</locations></object_def>";
}

class Levels : public GameplayFixture {
 protected:
  Levels() { Tv2DeclarationsInit(); }

  // A play window whose owner makes what the managers ask of it.
  void Open(const std::string& factories = {}, const std::string& ui = {}) {
    StartOwner(PlayWindow(ui, Factory("voodoo_dialog", R"(<widget type="test_box"
                                          name="voodoo_dialog" timetolive="100"/>)") +
                                  Factory("blink_diary", R"(<widget type="test_box"
                                          name="blink_diary"/>)") +
                                  Factory("diary_shine", R"(<widget type="test_box"
                                          name="diary_shine"/>)") +
                                  Factory("background_widget", R"(<widget type="test_box"
                                          name="background_widget"/>)") +
                                  factories));
  }

  // Scene document Name with Objects (and anything else inside the scene_def).
  void Scene(const std::string& name, const std::string& objects, const std::string& more = {},
             const std::string& attrs = {}) {
    WriteData("data\\scenes\\" + name + ".xml", "<scene_def " + attrs + ">" + more +
                                                    "<object_defs>" + objects +
                                                    "</object_defs></scene_def>");
    sceneList += "<scene_def name=\"" + name + "\" filename=\"data\\scenes\\" + name + ".xml\"/>";
    PublishSceneDefs("<scene_defs>" + sceneList + "</scene_defs>");
  }

  // The progress with the scenes (name, params) and task t of Kind with TaskParams.
  void Progress(int kind, const std::vector<std::pair<std::string, std::string>>& scenes,
                const std::string& taskParams, const std::string& attrs = {}) {
    std::string sceneXml;
    for (auto& [name, params] : scenes)
      sceneXml +=
          "<scene name=\"" + name + "\" generated=\"yes\"><params>" + params + "</params></scene>";
    progress = PublishProgress("<usergamedata " + attrs + "><scenes>" + sceneXml +
                               "</scenes><cases><case name=\"c\"><stages><stage name=\"s\"><tasks>"
                               "<task name=\"t\" tasktype=\"" +
                               std::to_string(kind) + "\"><params>" + taskParams +
                               "</params></task></tasks></stage></stages></case></cases>"
                               "</usergamedata>");
    Ref<IUGDCase> c = progress->GetCases()->GetItem(Variant("c"));
    Ref<IUGDStage> s = c->GetStages()->GetItem(Variant("s"));
    owner->SetProgress(progress, c, s, s->GetTasks()->GetItem(Variant("t")));
  }

  static std::string Param(const std::string& name, const std::string& value) {
    return "<param name=\"" + name + "\" value=\"" + value + "\"/>";
  }

  // The manager of Kind made by its name, loaded and started.
  Ref<TAbstractLevelManager> Level(int kind, bool start = true) {
    manager = Supports<TAbstractLevelManager>(CreateNamedObject(LevelManagerName(kind)));
    EXPECT_TRUE(manager) << kind;
    if (!manager) return nullptr;
    owner->SetLevelManager(Ref<ILevelManager>(manager.get()));
    manager->Init(owner);
    manager->LoadScene();
    if (start) manager->StartLevel();
    return manager;
  }

  // "button_amulet" with its hidden "sign" in the interface group.
  void AddAmuletButton() {
    Ref<IWidget> button = Supports<IWidget>(CreateNamedObject("group_widget", "button_amulet"));
    button->SetVisible(true);
    Ref<IWidget> sign = Supports<IWidget>(CreateNamedObject("test_box", "sign"));
    button->GetChildren()->Add(sign);
    owner->GetWidgetGroup(gkInterface)->GetChildren()->Add(button);
  }

  Ref<IUGDScene> SceneOf(const std::string& name) {
    return progress->GetScenes()->GetItem(Variant(name));
  }
  Ref<ISceneObjectDef> Def(const std::string& name) {
    auto* single = dynamic_cast<TSingleSceneLevelManager*>(manager.get());
    return single->GetSceneDef()->GetObjectDefs()->GetItem(Variant(name));
  }
  Ref<IWidget> Widget(const std::string& path) { return owner->FindWidget(path); }
  int LevelObjectCount() {
    int count = 0;
    for (auto& object : manager->GetLevelObjects()) count += bool(object);
    return count;
  }

  void TearDown() override {
    if (manager) manager->Done();
    manager = nullptr;
  }

  std::string sceneList;
  Ref<IUserGameData> progress;
  Ref<TAbstractLevelManager> manager;
};

}  // namespace

TEST(LevelScores, SquareRootOfFiftyMillionOverTheTimeSinceTheLastFind) {
  struct Case {
    int32_t ms, points;
  } cases[] = {{50000000, 1}, {1, 7071}, {0, 7071}, {-5, 7071}, {5000, 100}, {2000000000, 0}};
  for (const Case& c : cases) EXPECT_EQ(TAbstractLevelManager::FindScore(c.ms), c.points) << c.ms;
}

TEST_F(Levels, EachKindHasItsClassModeAndScenarios) {
  Open();
  struct Case {
    int kind;
    uint8_t mode;
    const char* find;
    const char* score;
  } cases[] = {
      {0, 0, "gamefield_find_obj_offset", "focus_object_find_score"},
      {1, 0, "gamefield_find_obj_offset", "focus_object_find_score"},
      {2, 1, "gamefield_find_obj_offset", "focus_object_find_score"},
      {3, 2, "gamefield_find_obj", "focus_object_find_score"},
      {4, 4, "", ""},
      {5, 4, "gamefield_find_obj_offset", "focus_object_find_score"},
  };
  Scene("room", Obj("cup", 0, 100));
  for (const Case& c : cases) {
    Progress(c.kind, {{"room", ""}}, Param("scenename", "room") + Param("scenename2", "room"));
    Ref<TAbstractLevelManager> level = Level(c.kind);
    ASSERT_TRUE(level);
    EXPECT_EQ(level->GetMode(), c.mode) << c.kind;
    EXPECT_EQ(level->GetFindScenario(), c.find) << c.kind;
    EXPECT_EQ(level->GetScoreScenario(), c.score) << c.kind;
    EXPECT_EQ(c.kind == 2, bool(dynamic_cast<TDoubleSceneLevelManager*>(level.get())));
    EXPECT_TRUE(level->AllObjectsFound()) << "nothing listed, nothing to find";
    level->Done();
  }
  manager = nullptr;
}

TEST_F(Levels, ListedObjectsByTypeUsedDisabledAndMode) {
  Open();
  Scene("room", Obj("shape", 0, 100) + Obj("twin", 1, 120) + Obj("part", 2, 140) +
                    Obj("whole", 3, 160) + Obj("carry", 4, 180, "disabled_on_start=\"yes\"") +
                    Obj("bag", 4, 200) + Obj("prop", 5, 220) +
                    Obj("shut", 5, 240, "disabled_on_start=\"yes\"") + Obj("door", 6, 260) +
                    Obj("doll", 7, 280) + Obj("extra", 6, 300, "disabled_on_start=\"yes\""));
  const std::string lists =
      Param("ho_names", ";shape/l1;") + Param("io_names", ";twin/l1;") +
      Param("hp_names", ";part/l1;") + Param("co_names", ";whole/l1;") +
      Param("do_names", ";carry/l1;bag/l1;") + Param("ip_names", ";prop/l1;shut/l1;") +
      Param("aa_names", ";door/l1;") + Param("vd_names", ";doll/l1;ghost/l1;") +
      Param("ng_names", ";extra/l1;");
  struct Case {
    int kind;
    int levelObjects;
    std::vector<std::string> visible, hidden, missing;
  } cases[] = {
      // Hidden shapes: the shape, both disposables and the doll are in the level.
      {0,
       4,
       {"shape_l1", "twin_l1", "part_l1", "prop_l1", "door_l1", "doll_l1", "extra_l1"},
       {"carry_l1", "bag_l1", "shut_l1"},
       {"whole_l1"}},
      // Hidden parts: the part is wanted; the complete object's widget stays hidden.
      {3, 3, {"part_l1", "shape_l1"}, {"whole_l1", "carry_l1"}, {"doll_l1"}},
      // Quest: disposables and the doll.
      {5, 3, {"shape_l1", "part_l1", "door_l1"}, {"carry_l1", "bag_l1"}, {"whole_l1"}},
  };
  for (const Case& c : cases) {
    for (const char* group : {"objects_group", "approaches_group", "background_group"})
      Widget(group)->GetChildren()->Clear();
    Progress(c.kind, {{"room", lists}}, Param("scenename", "room"));
    Level(c.kind);
    EXPECT_EQ(LevelObjectCount(), c.levelObjects) << c.kind;
    EXPECT_EQ(manager->TotalCount(), c.levelObjects) << c.kind;
    for (auto& name : c.visible) {
      Ref<IWidget> w = Widget("objects_group/" + name);
      EXPECT_TRUE(w && w->IsVisible()) << c.kind << " " << name;
    }
    for (auto& name : c.hidden) {
      Ref<IWidget> w = Widget("objects_group/" + name);
      EXPECT_TRUE(w && !w->IsVisible()) << c.kind << " " << name;
    }
    for (auto& name : c.missing) EXPECT_FALSE(Widget("objects_group/" + name)) << c.kind << name;
    EXPECT_TRUE(Widget("background_group/background_widget"));
    EXPECT_EQ(SceneOf("room")->GetParamValue("names_activate_sequence").ToString(), ";");
    // The no-game list turns its objects into scenery.
    EXPECT_EQ(Def("extra")->GetObjectType(), otInactiveProp);
    manager->Done();
  }
  manager = nullptr;
}

TEST_F(Levels, DisabledDisposablesAreWantedWithoutAPanelAndUsedOnesAreSkipped) {
  Open();
  Scene("room", Obj("key", 4, 100, "disabled_on_start=\"yes\"") +
                    Obj("lamp", 4, 200, "disabled_on_start=\"yes\"") +
                    Obj("coin", 4, 300, "disabled_on_start=\"yes\" locations_all_enabled=\"yes\""));
  Progress(5, {{"room", Param("do_names", ";key/l1;lamp/l1;coin/l1;")}},
           Param("scenename", "room"));
  Level(5, false);
  // Used at level start: a used list written before the start is reset first.
  SceneOf("room")->SetParamValue("names_activate_sequence", Variant(";key/l1;"));
  manager->StartLevel();
  EXPECT_EQ(LevelObjectCount(), 3);
  EXPECT_TRUE(manager->IsWantedObject(Def("key")));
  Ref<IWidget> key = Widget("objects_group/key_l1");
  ASSERT_TRUE(key);
  EXPECT_TRUE(key->IsPaused());
  EXPECT_FALSE(key->IsMouseStop());
}

TEST_F(Levels, ObjectFoundKeepsOneEntryPerPlaceAndShowsTheAmuletSignForTheLastDoll) {
  Open();
  AddAmuletButton();
  Scene("room", Obj("key", 4, 100, "disabled_on_start=\"yes\"", {},
                    "<location name=\"l2\" anchor_left=\"500\" anchor_top=\"5\"/>") +
                    Obj("doll", 7, 300));
  Progress(5, {{"room", Param("do_names", ";key/l1;") + Param("vd_names", ";doll/l1;")}},
           Param("scenename", "room"));
  Level(5);
  auto* single = dynamic_cast<TSingleSceneLevelManager*>(manager.get());
  Ref<IUGDScene> scene = single->GetLevelScene();
  Ref<ISceneObjectDef> key = Def("key");
  Ref<ISceneObjectLocation> l1 = key->GetLocations()->GetItem(Variant("l1"));
  Ref<ISceneObjectLocation> l2 = key->GetLocations()->GetItem(Variant("l2"));
  Ref<IWidget> sign = Widget("ui_group/button_amulet/sign");
  ASSERT_TRUE(sign);
  EXPECT_FALSE(sign->IsVisible());
  EXPECT_TRUE(Widget("ui_group/button_amulet")->IsMouseStop());

  owner->TakeCalls();
  EXPECT_TRUE(manager->ObjectFound(scene, key, l1));
  EXPECT_EQ(manager->RemainingCount(), 1);
  EXPECT_TRUE(sign->IsVisible()) << "only the doll is left";
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{"UpdateObjectsLeftCount()"});
  // The object is no longer in the level: nothing changes but the answer.
  EXPECT_TRUE(manager->ObjectFound(scene, key, l1));
  EXPECT_EQ(manager->RemainingCount(), 1);
  EXPECT_EQ(manager->GetActivateSequence(scene), ";key/l1;");
  // The same place twice adds nothing; another place adds an entry.
  EXPECT_FALSE(manager->AddToActivateSequence(scene, "names_activate_sequence", "key/l1"));
  EXPECT_TRUE(manager->AddToActivateSequence(scene, "names_activate_sequence", "key/l2"));
  EXPECT_EQ(manager->GetActivateSequence(scene), ";key/l2;key/l1;");
  EXPECT_FALSE(manager->ObjectFound(scene, nullptr, l1));
}

TEST_F(Levels, PlacementHitTestIsStrictAndKeepsToItsApproach) {
  Open();
  Scene("room",
        "<object_def name=\"key\" objecttype=\"4\" width=\"21\" height=\"11\" "
        "disabled_on_start=\"yes\"><locations>"
        "<location name=\"l1\" anchor_left=\"100\" anchor_top=\"100\" zoomx=\"-2\"/>"
        "<location name=\"l2\" anchor_left=\"100\" anchor_top=\"100\" approach_name=\"chest\"/>"
        "</locations></object_def>");
  Progress(5, {{"room", Param("do_names", ";key/l1;")}}, Param("scenename", "room"));
  Level(5);
  Ref<ISceneObjectDef> key = Def("key");
  Ref<IWidget> widget = Widget("objects_group/key_l1");
  ASSERT_TRUE(widget);
  widget->SetMouseStop(true);
  // |zoomx| 2 x half width 10 + 10 = 30 across, 1 x 5 + 10 = 15 down; strict.
  struct Case {
    int x, y;
    bool hit;
  } cases[] = {{100, 100, true},  {71, 100, true}, {70, 100, false}, {129, 100, true},
               {130, 100, false}, {100, 86, true}, {100, 85, false}, {100, 115, false}};
  for (const Case& c : cases)
    EXPECT_EQ(bool(manager->PlacementHitTest(key, TPoint{c.x, c.y}, "", nullptr)), c.hit)
        << c.x << "," << c.y;
  EXPECT_FALSE(manager->PlacementHitTest(key, TPoint{100, 100}, "other", nullptr));
  // A place already used is no target.
  dynamic_cast<TSingleSceneLevelManager*>(manager.get())
      ->AddToActivateSequence(SceneOf("room"), "names_activate_sequence", "key/l1");
  EXPECT_FALSE(manager->PlacementHitTest(key, TPoint{100, 100}, "", nullptr));
}

TEST_F(Levels, HintChoiceClearsTheMarksWhenEveryCandidateIsMarked) {
  Open();
  const std::string opens =
      "<actions><action condition_type=\"1\" action_type=\"1\" action_string=\"chest\"/>"
      "</actions>";
  Scene("room",
        Obj("door", 6, 100, {}, opens) + Obj("gate", 6, 200, {}, opens) + Obj("wall", 6, 300));
  Progress(0, {{"room", Param("aa_names", ";door/l1;gate/l1;wall/l1;")}},
           Param("scenename", "room"));
  Level(0);
  for (const char* name : {"door_l1", "gate_l1", "wall_l1"})
    Widget(std::string("objects_group/") + name)->SetExtraParam("not_shine", Variant(1));
  SetRandomSeed(7);
  Ref<IWidget> chosen = manager->ChooseHintObject();
  ASSERT_TRUE(chosen);
  EXPECT_NE(chosen->GetName(), "wall_l1") << "a wall has nothing to hint at";
  for (const char* name : {"door_l1", "gate_l1"})
    EXPECT_EQ(Widget(std::string("objects_group/") + name)->GetPropertyDef("not_shine", 0).ToInt(),
              0);
  // Nothing to hint at: nothing.
  for (const char* name : {"door_l1", "gate_l1"})
    Widget(std::string("objects_group/") + name)->SetVisible(false);
  EXPECT_FALSE(manager->ChooseHintObject());
}

TEST_F(Levels, AmuletCatchesOnlyDollsAndTheDollWaitsForItsDialog) {
  Open();
  Scene("room", Obj("cup", 0, 100) + Obj("doll", 7, 300));
  Progress(0, {{"room", Param("ho_names", ";cup/l1;") + Param("vd_names", ";doll/l1;")}},
           Param("scenename", "room"));
  Level(0);
  Ref<IWidget> doll = Widget("objects_group/doll_l1");
  Ref<IWidget> cup = Widget("objects_group/cup_l1");
  ASSERT_TRUE(doll && cup);
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{"EnableAmulet(doll_l1)"});
  owner->amuletActive = true;
  Ref<ISceneObjectDef> cupDef = Def("cup"), dollDef = Def("doll");
  auto l1 = [](const Ref<ISceneObjectDef>& d) { return d->GetLocations()->GetItem(Variant(0)); };
  EXPECT_FALSE(manager->ObjectClicked(cup, cupDef, l1(cupDef), TPoint{100, 100}));
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{});
  EXPECT_EQ(manager->RemainingCount(), 2);

  owner->timeSinceLastFind = 1;
  EXPECT_FALSE(manager->ObjectClicked(doll, dollDef, l1(dollDef), TPoint{300, 100}));
  EXPECT_EQ(owner->TakeCalls(),
            (std::vector<std::string>{"DisableAmulet()", "AddScores(7071)", "StopAmulet()"}));
  EXPECT_EQ(progress->GetFindedVoodoo(), "doll;");
  EXPECT_TRUE(doll->IsDead());
  EXPECT_TRUE(Widget("ui_group/blink_diary"));
  EXPECT_TRUE(Widget("ui_group/diary_shine"));
  Ref<IWidget> dialog = Widget("animation_group/voodoo_dialog");
  ASSERT_TRUE(dialog);
  // The doll stays in the level while its dialog shows.
  manager->Update();
  EXPECT_EQ(manager->RemainingCount(), 2);
  dialog->SetDead(true);
  manager->Update();
  EXPECT_EQ(manager->RemainingCount(), 1);
  EXPECT_EQ(manager->GetActivateSequence(SceneOf("room")), ";doll/l1;");
}


TEST_F(Levels, AmuletTakesTheNextDollOnceADollsDialogIsGone) {
  Open();
  AddAmuletButton();
  Scene("room", Obj("cup", 0, 100) + Obj("doll", 7, 300) + Obj("doll2", 7, 500));
  Progress(0,
           {{"room", Param("ho_names", ";cup/l1;") + Param("vd_names", ";doll/l1;doll2/l1;")}},
           Param("scenename", "room"));
  Level(0);
  Ref<IWidget> doll = Widget("objects_group/doll_l1");
  Ref<IWidget> doll2 = Widget("objects_group/doll2_l1");
  ASSERT_TRUE(doll && doll2);
  owner->TakeCalls();
  owner->amuletActive = true;
  Ref<ISceneObjectDef> dollDef = Def("doll");
  manager->ObjectClicked(doll, dollDef, dollDef->GetLocations()->GetItem(Variant(0)),
                         TPoint{300, 100});
  owner->amuletActive = false;
  Ref<IWidget> button = Widget("ui_group/button_amulet");
  EXPECT_FALSE(button->IsMouseStop()) << "no second catch while the dialog shows";
  owner->TakeCalls();
  Widget("animation_group/voodoo_dialog")->SetDead(true);
  manager->Update();
  // Without a new target the second doll could never be caught and the level never end.
  EXPECT_EQ(owner->TakeCalls(),
            (std::vector<std::string>{"UpdateObjectsLeftCount()", "EnableAmulet(doll2_l1)"}));
  EXPECT_TRUE(button->IsMouseStop());
  EXPECT_EQ(manager->RemainingCount(), 2);

  // The last doll caught: no doll is left to hand on.
  owner->amuletActive = true;
  Ref<ISceneObjectDef> doll2Def = Def("doll2");
  manager->ObjectClicked(doll2, doll2Def, doll2Def->GetLocations()->GetItem(Variant(0)),
                         TPoint{500, 100});
  Widget("animation_group/voodoo_dialog")->SetDead(true);
  owner->TakeCalls();
  manager->Update();
  EXPECT_EQ(owner->TakeCalls(), std::vector<std::string>{"UpdateObjectsLeftCount()"});
  EXPECT_EQ(manager->RemainingCount(), 1);
}
// The counter asks for what the panel shows: the dolls, hidden in the scene and absent from
// the panel, count only once nothing else is left; the remaining count keeps them all.
TEST_F(Levels, LeftToFindCountLeavesTheHiddenDollsOutUntilOnlyTheyRemain) {
  Open();
  AddAmuletButton();
  Scene("room",
        Obj("cup", 0, 100) + Obj("pot", 0, 200) + Obj("doll", 7, 300) + Obj("doll2", 7, 500));
  Progress(
      0, {{"room", Param("ho_names", ";cup/l1;pot/l1;") + Param("vd_names", ";doll/l1;doll2/l1;")}},
      Param("scenename", "room"));
  Level(0);
  Ref<IUGDScene> scene = dynamic_cast<TSingleSceneLevelManager*>(manager.get())->GetLevelScene();
  struct Step {
    const char* found;
    int32_t left, remaining;
  };
  const Step steps[] = {
      {nullptr, 2, 4}, {"cup", 1, 3}, {"pot", 2, 2}, {"doll", 1, 1}, {"doll2", 0, 0}};
  for (const Step& step : steps) {
    if (step.found) {
      Ref<ISceneObjectDef> object = Def(step.found);
      manager->ObjectFound(scene, object, object->GetLocations()->GetItem(Variant(0)));
    }
    const std::string after = step.found ? step.found : "the start";
    EXPECT_EQ(manager->LeftToFindCount(), step.left) << "after " << after;
    EXPECT_EQ(manager->RemainingCount(), step.remaining) << "after " << after;
  }
}

TEST_F(Levels, FindIdenticalPairsNamesakesAndCountsPairs) {
  Open();
  // Listed first; the documents follow with their resources.
  Scene("left", {});
  Scene("right", {});
  WriteData("data\\scenes\\left.xml",
            "<scene_def><resource_defs resourcegroup=\"scene\">"
            "<resource_def name=\"img_SceneBackground\" type=\"ImageResource\" file=\"l.png\"/>"
            "<resource_def name=\"img_shared\" type=\"ImageResource\" file=\"s.png\"/>"
            "</resource_defs><object_defs>" +
                Obj("lamp", 1, 100) + Obj("book", 1, 120) + Obj("cup", 1, 140) +
                Obj("lonely", 1, 160) + "</object_defs></scene_def>");
  WriteData("data\\scenes\\right.xml",
            "<scene_def><resource_defs resourcegroup=\"scene\">"
            "<resource_def name=\"img_SceneBackground\" type=\"ImageResource\" file=\"r.png\"/>"
            "<resource_def name=\"img_shared\" type=\"ImageResource\" file=\"x.png\"/>"
            "</resource_defs><object_defs>" +
                Obj("lamp", 1, 100) + Obj("book", 1, 120) + Obj("cup", 1, 140) +
                Obj("other", 1, 160) + "</object_defs></scene_def>");
  const std::string io = Param("io_names", ";lamp/l1;book/l1;cup/l1;lonely/l1;other/l1;");
  Progress(2, {{"left", io}, {"right", io}},
           Param("scenename", "left") + Param("scenename2", "right"));
  manager = Supports<TAbstractLevelManager>(CreateNamedObject("LevelManagerFindIdentical"));
  owner->SetLevelManager(Ref<ILevelManager>(manager.get()));
  manager->Init(owner);
  Ref<IResourceDefCollection> resources = manager->LoadScene();
  ASSERT_TRUE(resources);
  EXPECT_EQ(resources->Find(Variant("img_SceneBackground"))->GetFile(), "l.png");
  EXPECT_EQ(resources->Find(Variant("img_SceneBackground_right"))->GetFile(), "r.png");
  EXPECT_EQ(resources->Find(Variant("img_shared"))->GetFile(), "s.png");
  manager->StartLevel();
  EXPECT_EQ(manager->RemainingCount(), 3);
  EXPECT_EQ(manager->TotalCount(), 4) << "eight read, halved";
  EXPECT_EQ(manager->GetLevelObjects().size(), 6u);

  // A pair found: both twins leave the level, one pair counts.
  Ref<IWidget> left = Widget("left_part/objects_group/lamp_l1");
  Ref<IWidget> right = Widget("right_part/objects_group/lamp_l1");
  ASSERT_TRUE(left && right);
  Ref<ISceneObjectDef> object;
  Ref<ISceneObjectLocation> location;
  owner->GetObjectDefs(left, object, location);
  manager->AfterActivation(left, object, location);
  owner->GetObjectDefs(right, object, location);
  manager->AfterActivation(right, object, location);
  EXPECT_EQ(manager->RemainingCount(), 2);
  EXPECT_EQ(manager->LeftToFindCount(), 2) << "pairs, as the remaining count";
  EXPECT_EQ(manager->GetActivateSequence(SceneOf("left")), ";lamp/l1;");
  EXPECT_EQ(manager->GetActivateSequence(SceneOf("right")), ";lamp/l1;");
}

TEST_F(Levels, FindIdenticalWithoutNamesakesIsCompleteAtOnce) {
  Open();
  Scene("left", Obj("lamp", 1, 100));
  Scene("right", Obj("book", 1, 100));
  Progress(2, {{"left", Param("io_names", ";lamp/l1;")}, {"right", Param("io_names", ";book/l1;")}},
           Param("scenename", "left") + Param("scenename2", "right"));
  Level(2);
  EXPECT_EQ(manager->RemainingCount(), 0);
  EXPECT_TRUE(manager->AllObjectsFound());
}

TEST_F(Levels, FindPlacesRewritesTheListedPlaceToTheUsedOne) {
  Open();
  Scene("room", Obj("vase", 4, 100, "disabled_on_start=\"yes\"", {},
                    "<location name=\"l2\" anchor_left=\"300\" anchor_top=\"5\"/>") +
                    Obj("clock", 4, 200, "disabled_on_start=\"yes\""));
  Progress(4, {{"room", Param("do_names", ";vase/l1;clock/l1;")}}, Param("scenename", "room"));
  Level(4);
  Ref<IUGDScene> scene = SceneOf("room");
  Ref<ISceneObjectDef> vase = Def("vase");
  Ref<ISceneObjectLocation> l2 = vase->GetLocations()->GetItem(Variant("l2"));
  EXPECT_TRUE(manager->ObjectFound(scene, vase, l2));
  EXPECT_EQ(scene->GetParamValue("do_names").ToString(), ";clock/l1;vase/l2;");
  EXPECT_EQ(manager->GetActivateSequence(scene), ";vase/l2;");
  EXPECT_EQ(manager->RemainingCount(), 1);
  // The listed place itself changes nothing.
  Ref<ISceneObjectDef> clock = Def("clock");
  EXPECT_TRUE(manager->ObjectFound(scene, clock, clock->GetLocations()->GetItem(Variant("l1"))));
  EXPECT_EQ(scene->GetParamValue("do_names").ToString(), ";clock/l1;vase/l2;");
  EXPECT_FALSE(manager->ObjectFound(scene, vase, nullptr));
}

TEST_F(Levels, SceneWidgetsComeFromTheSceneFactoriesAndApproaches) {
  Open();
  Scene("room", Obj("cup", 0, 100),
        "<widgetfactories>" +
            Factory("candle", R"(<widget type="test_box" name="candle" anchor_left="40"/>)") +
            Factory("game", R"(<widget type="test_box" name="game_%play_mode%"/>)") +
            "</widgetfactories><scene_approaches><scene_approach name=\"chest\" "
            "anchor_left=\"212\" anchor_top=\"90\" approach_show_factories=\"game\"/>"
            "</scene_approaches>",
        "scene_show_factories=\"candle;missing\"");
  Progress(1, {{"room", Param("ho_names", ";cup/l1;")}}, Param("scenename", "room"),
           "play_mode=\"1\"");
  Level(1);
  EXPECT_TRUE(Widget("objects_group/candle"));
  EXPECT_TRUE(Widget("approaches_group/chest"));
  EXPECT_TRUE(Widget("approaches_group/chest/game_1"));
}

TEST_F(Levels, ShuffleKeepsTheGeneratedOrderWithoutFirstGeneration) {
  StartOwner(PlayWindow({}, panel_support::kPanelItemFactories,
                        panel_support::PanelUi(
                            R"(\shapes_items_interval=10\shapes_all_items_max_width=700)"
                            R"(\shapes_max_height=60\shapes_max_width=100)"
                            R"(\shapes_items_add_type=1\shapes_items_move_speed=2)")));
  const std::vector<std::string> names = {"fan", "cup", "bell", "key", "owl", "jar"};
  std::string list = ";";
  for (const std::string& name : names) list += name + "/l1;";
  // The generator's order, then the same objects with one placed first.
  for (bool firstGeneration : {false, true}) {
    std::string objects;
    for (size_t i = 0; i < names.size(); ++i)
      objects += Obj(names[i], 0, 100 + 40 * int(i),
                     firstGeneration && i == 2 ? "first_generation=\"yes\"" : "");
    sceneList.clear();
    Scene("room", objects);
    bool reordered = false;
    for (uint64_t seed = 1; seed <= 8; ++seed) {
      for (const char* group : {"objects_group", "background_group"})
        Widget(group)->GetChildren()->Clear();
      Ref<IItemListPanelWidget> panel = owner->GetPanelManager();
      ASSERT_TRUE(panel);
      panel->GetChildren()->Clear();
      Ref<IPanelManager> shapes =
          Supports<IPanelManager>(CreateNamedObject("PanelManagerHiddenShapes"));
      ASSERT_TRUE(shapes);
      shapes->Bind(owner, -1);
      panel->SetPanelManager(shapes);
      Progress(0, {{"room", Param("ho_names", list)}}, Param("scenename", "room"));
      SetRandomSeed(seed);
      Level(0);
      std::vector<std::string> order;
      for (auto& object : manager->GetLevelObjects())
        if (object) order.push_back(object->GetName());
      std::vector<std::string> sorted = order, expected = names;
      std::sort(sorted.begin(), sorted.end());
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(sorted, expected) << "every object once, seed " << seed;
      if (!firstGeneration) {
        EXPECT_EQ(order, names) << "seed " << seed;
      }
      reordered = reordered || order != names;
      manager->Done();
    }
    EXPECT_EQ(reordered, firstGeneration);
  }
  manager = nullptr;
}

TEST_F(Levels, AFindCountsOnceWhereItsFlightOrItsFindScenarioEnds) {
  // Hidden parts count a part when its find scenario has flown it onto the picture; hidden
  // shapes count a shape when its flight to the panel lands, and play no find scenario.
  const std::string findScenarios =
      Factory("gamefield_find_obj", R"(<widget type="state_scenario_find_obj"
              name="find_%widgetname%" widgetname="%widgetname%" play_sound="no"/>)") +
      Factory("gamefield_find_obj_offset", R"(<widget type="state_scenario_find_obj"
              name="find_%widgetname%" widgetname="%widgetname%" play_sound="no"/>)");
  StartOwner(PlayWindow(
      {}, panel_support::kPanelItemFactories + findScenarios,
      panel_support::PanelUi(R"(\complete_vertical_obj_max_width=80)"
                             R"(\complete_vertical_obj_max_height=84)"
                             R"(\complete_horizontal_obj_max_width=160)"
                             R"(\complete_horizontal_obj_max_height=70)"
                             R"(\complete_horizontal_obj_top_shift=8\complete_obj_left_shift=20)"
                             R"(\shapes_items_interval=10\shapes_all_items_max_width=700)"
                             R"(\shapes_max_height=60\shapes_max_width=100)")));
  Scene("room",
        "<object_def name=\"face\" objecttype=\"3\" width=\"80\" height=\"80\">"
        "<locations><location name=\"spec\" anchor_left=\"0\" anchor_top=\"0\"/>"
        "</locations></object_def>" +
            Obj("gear", 2, 300, {}, {},
                "<location name=\"spec\" anchor_left=\"40\" anchor_top=\"30\"/>") +
            Obj("cup", 0, 500));
  struct Case {
    int kind;
    const char* panel;
    std::string lists;
    const char* found;
    bool scenario;
  } cases[] = {
      {3, "PanelManagerHiddenParts",
       Param("co_names", ";face/spec;") + Param("hp_names", ";gear/l1;"), "gear", true},
      {0, "PanelManagerHiddenShapes", Param("ho_names", ";cup/l1;"), "cup", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    for (const char* group : {"objects_group", "animation_group", "background_group"})
      Widget(group)->GetChildren()->Clear();
    Ref<IItemListPanelWidget> panel = owner->GetPanelManager();
    ASSERT_TRUE(panel);
    panel->GetChildren()->Clear();
    Ref<IPanelManager> kindPanel = Supports<IPanelManager>(CreateNamedObject(c.panel));
    ASSERT_TRUE(kindPanel);
    kindPanel->Bind(owner, -1);
    panel->SetPanelManager(kindPanel);
    Progress(c.kind, {{"room", c.lists}}, Param("scenename", "room"));
    Level(c.kind);
    ASSERT_EQ(manager->RemainingCount(), 1);
    Ref<IWidget> widget = Widget(std::string("objects_group/") + c.found + "_l1");
    ASSERT_TRUE(widget);
    Ref<ISceneObjectDef> object = Def(c.found);
    EXPECT_TRUE(manager->ObjectClicked(widget, object,
                                       object->GetLocations()->GetItem(Variant("l1")),
                                       TPoint{int32_t(widget->GetAnchorLeft()), 100}));
    EXPECT_EQ(bool(Widget(std::string("animation_group/find_") + c.found + "_l1")), c.scenario);
    Ref<IWidget> animations = owner->GetWidgetGroup(gkAnimation);
    for (int frame = 0; frame < 500 && !manager->AllObjectsFound(); ++frame) {
      animations->Process(16);
      animations->UpdateDirtyRects(false, false);
      manager->Update();
    }
    EXPECT_TRUE(manager->AllObjectsFound());
    EXPECT_EQ(manager->RemainingCount(), 0);
    EXPECT_EQ(manager->GetActivateSequence(SceneOf("room")), std::string(";") + c.found + "/l1;");
    Ref<IWidget> item = kindPanel->GetItemWidget(object);
    if (c.kind == 3) {
      EXPECT_TRUE(item && item->IsVisible()) << "the part shows on the face";
    }
    manager->Done();
  }
  manager = nullptr;
}
