// The gameplay screen base as the managers use it: its groups, the scene-object widgets
// and their definitions, the search for scene widgets, hint targets, effects, switches and
// the current scene.

#include <gtest/gtest.h>

#include "foundation/Random.h"
#include "gameplay/Tv2SceneDefs.h"
#include "gameplay/Tv2UserGameData.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/FakeLevelManager.h"
#include "tests/support/GameplayFixture.h"

using namespace gameplay_test;

namespace {

constexpr const char* kChair = R"(<object_def name="chair" objecttype="0" caption="%c%"
    resourcename="img_chair" width="40" height="20">
  <locations>
    <location name="l1" anchor_left="100" anchor_top="200"/>
    <location name="l2" anchor_left="50" anchor_top="60" approach_name="chest"/>
  </locations></object_def>)";

class GameplayScreen : public GameplayFixture {
 protected:
  GameplayScreen() {
    Tv2DeclarationsInit();
    StartOwner();
    chair = LoadRecord<TSceneObjectDef>(kChair);
  }

  Ref<ISceneObjectLocation> Location(const std::string& name) {
    return chair->GetLocations()->GetItem(Variant(name));
  }
  // A child widget (a "test_box") named Name added to the widget at Path.
  Ref<IWidget> AddBox(const std::string& path, const std::string& name, bool mouseStop = true) {
    Ref<IWidget> box = Supports<IWidget>(CreateNamedObject("test_box", name));
    box->SetMouseStop(mouseStop);
    owner->FindWidget(path)->GetChildren()->Add(box);
    return box;
  }
  Ref<IWidget> AddApproach(const std::string& name) {
    Ref<IWidget> approach = Supports<IWidget>(CreateNamedObject("group_widget", name));
    owner->GetWidgetGroup(gkApproaches)->GetChildren()->Add(approach);
    return approach;
  }
  static std::string Path(const Ref<IWidget>& widget) {
    return widget ? widget->GetPath() : std::string("(none)");
  }

  Ref<TSceneObjectDef> chair;
};

}  // namespace

TEST(ManagerNames, TablesAreIndexedByLevelKindAndBoundsChecked) {
  const char* levels[] = {"LevelManagerHiddenShapes",  "LevelManagerHiddenNames",
                          "LevelManagerFindIdentical", "LevelManagerHiddenParts",
                          "LevelManagerFindPlaces",    "LevelManagerQuest"};
  const char* panels[] = {"PanelManagerHiddenShapes", "PanelManagerHiddenNames",
                          "PanelManagerFindIdentical", "PanelManagerHiddenParts",
                          "PanelManagerFindPlaces"};
  for (int kind = 0; kind < 6; ++kind) EXPECT_EQ(LevelManagerName(kind), levels[kind]);
  for (int kind = 0; kind < 5; ++kind) EXPECT_EQ(PanelManagerName(kind), panels[kind]);
  for (int kind : {-1, 6, 7, 127, 255}) EXPECT_EQ(LevelManagerName(kind), "") << kind;
  for (int kind : {-1, 5, 6, 127, 255}) EXPECT_EQ(PanelManagerName(kind), "") << kind;
}

TEST_F(GameplayScreen, GroupsByKind) {
  const char* paths[] = {"",
                         "animation_group",
                         "objects_group",
                         "approaches_group",
                         "left_part/objects_group",
                         "right_part/objects_group",
                         "background_group",
                         "ui_group"};
  for (int kind = 1; kind <= 7; ++kind) {
    Ref<IWidget> group = owner->GetWidgetGroup(uint8_t(kind));
    ASSERT_TRUE(group) << kind;
    EXPECT_EQ(group.get(), owner->FindWidget(paths[kind]).get()) << kind;
  }
  EXPECT_FALSE(owner->GetWidgetGroup(0));
  EXPECT_FALSE(owner->GetWidgetGroup(8));
  EXPECT_FALSE(owner->GetWidgetGroup(255));
  EXPECT_EQ(owner->GetOwner(), game.get());
}

TEST_F(GameplayScreen, AnimationGroupPathTakesTheFirstFreeName) {
  EXPECT_EQ(owner->GetAnimationGroupPath(""), "");
  EXPECT_EQ(owner->GetAnimationGroupPath("spark"), "spark");
  AddBox("animation_group", "spark");
  EXPECT_EQ(owner->GetAnimationGroupPath("spark"), "spark1");
  AddBox("animation_group", "spark1");
  EXPECT_EQ(owner->GetAnimationGroupPath("spark"), "spark2");
}

TEST_F(GameplayScreen, FindsObjectWidgetsByObjectAndLocation) {
  EXPECT_FALSE(owner->FindSceneObjectWidget(Ref<ISceneObjectDef>(chair.get()), nullptr, gkObjects));
  Ref<IWidget> plain = AddBox("objects_group", "chair");
  EXPECT_EQ(
      owner->FindSceneObjectWidget(Ref<ISceneObjectDef>(chair.get()), Location("l1"), gkObjects),
      plain);
  Ref<IWidget> atL1 = AddBox("objects_group", "chair_l1", false);
  EXPECT_EQ(
      owner->FindSceneObjectWidget(Ref<ISceneObjectDef>(chair.get()), Location("l1"), gkObjects),
      atL1);
  // A kind without a group looks in "objects_group".
  EXPECT_EQ(owner->FindSceneObjectWidget(Ref<ISceneObjectDef>(chair.get()), Location("l1"), 0),
            atL1);
  // A location in an approach is looked for there only.
  EXPECT_FALSE(
      owner->FindSceneObjectWidget(Ref<ISceneObjectDef>(chair.get()), Location("l2"), gkObjects));
  AddApproach("chest");
  Ref<IWidget> inChest = AddBox("approaches_group/chest", "chair_l2");
  EXPECT_EQ(
      owner->FindSceneObjectWidget(Ref<ISceneObjectDef>(chair.get()), Location("l2"), gkObjects),
      inChest);
  // Without a location: the first that takes the mouse (chair_l1 does not).
  EXPECT_EQ(owner->FindVisibleObjectWidget(Ref<ISceneObjectDef>(chair.get()), gkObjects, nullptr),
            inChest);
  inChest->SetMouseStop(false);
  EXPECT_FALSE(
      owner->FindVisibleObjectWidget(Ref<ISceneObjectDef>(chair.get()), gkObjects, nullptr));
}

TEST_F(GameplayScreen, CreatesObjectWidgetsThatKnowTheirDefinitions) {
  Ref<ISceneObjectDef> object(chair.get());
  EXPECT_FALSE(owner->CreateSceneObjectWidget(object, nullptr, 0, gkObjects));
  // Kind 0 (the generator's) puts the widget into "objects_group".
  Ref<IWidget> widget = owner->CreateSceneObjectWidget(object, Location("l1"), 30, 0);
  ASSERT_TRUE(widget);
  EXPECT_EQ(Path(widget), "GS_Game/objects_group/chair_l1");
  EXPECT_EQ(widget->GetAnchorLeft(), 70);
  EXPECT_EQ(widget->GetWidth(), 40);
  Ref<ISceneObjectDef> foundObject;
  Ref<ISceneObjectLocation> foundLocation;
  EXPECT_TRUE(owner->GetObjectDefs(widget, foundObject, foundLocation));
  EXPECT_EQ(foundObject.get(), object.get());
  EXPECT_EQ(foundLocation.get(), Location("l1").get());
  EXPECT_EQ(owner->GetWidgetObjectDef(widget).get(), object.get());
  // Asked again: the same widget.
  EXPECT_EQ(owner->CreateSceneObjectWidget(object, Location("l1"), 30, 0), widget);

  // A location in an approach not made yet: the widget is made, but added nowhere.
  Ref<IWidget> loose = owner->CreateSceneObjectWidget(object, Location("l2"), 30, gkObjects);
  ASSERT_TRUE(loose);
  EXPECT_FALSE(loose->GetOwner());
  EXPECT_EQ(loose->GetAnchorLeft(), 50);
  AddApproach("chest");
  Ref<IWidget> inChest = owner->CreateSceneObjectWidget(object, Location("l2"), 30, gkObjects);
  EXPECT_NE(inChest, loose);
  EXPECT_EQ(Path(inChest), "GS_Game/approaches_group/chest/chair_l2");
  EXPECT_EQ(inChest->GetAnchorLeft(), 50);  // no shift inside an approach
  // Into the left half: kind 4.
  chair->GetLocations()->AddLocation("", 10, 10, 0, 255, 1, 1, 0);
  EXPECT_EQ(Path(owner->CreateSceneObjectWidget(object, Location("l3"), 0, gkLeftPart)),
            "GS_Game/left_part/objects_group/chair_l3");
}

TEST_F(GameplayScreen, ObjectDefinitionsOfWidgetsByTheirParameters) {
  Ref<IWidget> widget = AddBox("objects_group", "w");
  Ref<ISceneObjectDef> object;
  Ref<ISceneObjectLocation> location;
  EXPECT_FALSE(owner->GetObjectDefs(nullptr, object, location));
  EXPECT_FALSE(owner->GetObjectDefs(widget, object, location));
  widget->SetExtraParam("sceneobjectdef", Variant(Ref<IInterface>(chair.get())));
  EXPECT_TRUE(owner->GetObjectDefs(widget, object, location));  // no location: still true
  EXPECT_FALSE(location);
  widget->SetExtraParam("location", Variant(""));
  EXPECT_TRUE(owner->GetObjectDefs(widget, object, location));
  widget->SetExtraParam("location", Variant(Ref<IInterface>(chair.get())));  // no location
  EXPECT_FALSE(owner->GetObjectDefs(widget, object, location));
  widget->SetExtraParam("sceneobjectdef", Variant("chair"));
  EXPECT_FALSE(owner->GetObjectDefs(widget, object, location));
  EXPECT_FALSE(owner->GetWidgetObjectDef(widget));

  Ref<IWidget> background = AddBox("objects_group", "background_widget");
  background->SetExtraParam("sceneobjectdef", Variant(Ref<IInterface>(chair.get())));
  EXPECT_FALSE(owner->GetWidgetObjectDef(background));
  EXPECT_FALSE(owner->GetWidgetObjectDef(nullptr));
}

TEST_F(GameplayScreen, AddWidgetToGroupReplacesANamesake) {
  Ref<IWidget> old = AddBox("ui_group", "label");
  Ref<IWidget> fresh = Supports<IWidget>(CreateNamedObject("test_box", "label"));
  owner->AddWidgetToGroup(fresh, gkInterface, "");
  Ref<IWidgetCollection> children = owner->GetWidgetGroup(gkInterface)->GetChildren();
  EXPECT_EQ(children->Count(), 1);
  EXPECT_EQ(children->GetByName("label"), fresh);
  EXPECT_TRUE(old->IsDead());

  AddBox("ui_group", "panel");
  owner->GetWidgetGroup(gkInterface)->GetChildren()->Delete(Variant("panel"));
  Ref<IWidget> panel = Supports<IWidget>(CreateNamedObject("group_widget", "panel"));
  owner->AddWidgetToGroup(panel, gkInterface, "");
  owner->AddWidgetToGroup(Supports<IWidget>(CreateNamedObject("test_box", "item")), gkInterface,
                          "panel");
  EXPECT_TRUE(owner->FindWidget("ui_group/panel/item"));
  owner->AddWidgetToGroup(nullptr, gkInterface, "");
  owner->AddWidgetToGroup(fresh, 9, "");  // no such group: nothing
}

TEST_F(GameplayScreen, PlayEffectNamesTheEffectByAFreeName) {
  StartOwner(PlayWindow({}, R"(<widgetfactory type="WidgetFactory" name="spark"><widgetstring>
      <widget type="test_box" name="%name%" caption="%tone%"/></widgetstring></widgetfactory>)"));
  owner->PlayEffect("spark", nullptr);
  Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
  params->SetValue("tone", Variant("blue"));
  owner->PlayEffect("spark", params);
  owner->PlayEffect("smoke", nullptr);  // no such factory: nothing
  Ref<IWidgetCollection> effects = owner->GetWidgetGroup(gkAnimation)->GetChildren();
  ASSERT_EQ(effects->Count(), 2);
  EXPECT_TRUE(effects->GetByName("spark"));
  ASSERT_TRUE(effects->GetByName("spark1"));
  EXPECT_EQ(effects->GetByName("spark1")->GetProperty("caption").ToString(), "blue");
  EXPECT_EQ(params->GetValue("name").ToString(), "spark1");
}

TEST_F(GameplayScreen, FindSceneWidgetLooksInItsOrder) {
  // Namesakes everywhere; each step of the order is seen by taking the earlier ones away.
  Ref<IWidget> chest = AddApproach("chest");
  Ref<IWidget> attic = AddApproach("attic");
  Ref<IWidget> inChest = AddBox("approaches_group/chest", "lamp");
  Ref<IWidget> inAttic = AddBox("approaches_group/attic", "lamp");
  Ref<IWidget> inObjects = AddBox("objects_group", "lamp");
  Ref<IWidget> inLeft = AddBox("left_part/objects_group", "lamp");
  Ref<IWidget> inRight = AddBox("right_part/objects_group", "lamp");
  Ref<IWidget> caller = AddBox("ui_group", "caller");
  Ref<IWidget> uiLamp = AddBox("ui_group", "lamp");

  owner->SetOpenApproach(attic);
  EXPECT_EQ(owner->FindSceneWidget(caller, "lamp", "chest"), inAttic);
  attic->GetChildren()->Clear();
  EXPECT_EQ(owner->FindSceneWidget(caller, "lamp", "chest"), inObjects);
  owner->SetOpenApproach(nullptr);
  EXPECT_EQ(owner->FindSceneWidget(caller, "lamp", "chest"), inChest);
  // No approach named: the caller's owner looks.
  EXPECT_EQ(owner->FindSceneWidget(caller, "lamp", ""), uiLamp);
  EXPECT_EQ(owner->FindSceneWidget(nullptr, "lamp", ""), inObjects);
  owner->FindWidget("objects_group")->GetChildren()->Clear();
  owner->FindWidget("ui_group")->GetChildren()->Clear();
  // Nothing so far: every approach, then the halves.
  EXPECT_EQ(owner->FindSceneWidget(nullptr, "lamp", ""), inChest);
  chest->GetChildren()->Clear();
  EXPECT_EQ(owner->FindSceneWidget(nullptr, "lamp", ""), inLeft);
  owner->FindWidget("left_part/objects_group")->GetChildren()->Clear();
  EXPECT_EQ(owner->FindSceneWidget(nullptr, "lamp", ""), inRight);
  owner->FindWidget("right_part/objects_group")->GetChildren()->Clear();
  EXPECT_FALSE(owner->FindSceneWidget(nullptr, "lamp", "chest"));
}

TEST_F(GameplayScreen, SwitchWidgetAtOnceLaterOrFading) {
  Ref<IWidget> lamp = AddBox("objects_group", "lamp");
  lamp->SetVisible(false);
  owner->SwitchWidget(nullptr, "ghost", false, true, 0, "");
  owner->SwitchWidget(nullptr, "lamp", false, true, 0, "");
  owner->SwitchWidget(nullptr, "lamp", false, false, 3000, "");
  EXPECT_EQ(owner->TakeCalls(), (std::vector<std::string>{"ShowSceneWidget(lamp,1)",
                                                          "QueueDelayedAction(lamp,0,0,3000)"}));
  EXPECT_TRUE(lamp->IsVisible());

  owner->SwitchWidget(nullptr, "lamp", true, true, 500, "");
  EXPECT_EQ(owner->TakeCalls(), (std::vector<std::string>{"ShowSceneWidget(lamp,1)"}));
  EXPECT_EQ(lamp->GetTransparentLevel(), 0);
  Ref<IWidget> fadeIn = owner->FindWidget("animation_group/lamp");
  ASSERT_TRUE(fadeIn);
  EXPECT_EQ(fadeIn->GetProperty("caption").ToString(), "transparentlevel=255/500");

  owner->SwitchWidget(nullptr, "lamp", true, false, 400, "");
  EXPECT_TRUE(owner->TakeCalls().empty());
  Ref<IWidget> fadeOut = owner->FindWidget("animation_group/lamp");
  ASSERT_TRUE(fadeOut);
  EXPECT_EQ(fadeOut->GetProperty("caption").ToString(), "transparentlevel=0/400");
  EXPECT_TRUE(fadeIn->IsDead());  // the running fade is replaced
}

TEST_F(GameplayScreen, HintTargetsAreWantedAndNotAlreadyHinted) {
  Ref<FakeLevelManager> manager = TAbstractObject::Create<FakeLevelManager>();
  manager->wanted = {"cup", "jar", "bell"};
  std::string prefix;
  EXPECT_FALSE(owner->ResolveWidgetPath(false, prefix));  // no level manager
  owner->SetLevelManager(Ref<ILevelManager>(manager.get()));
  Ref<IWidget> boxes[4];
  const char* names[] = {"vase", "cup", "jar", "bell"};
  for (int i = 0; i < 4; ++i) {
    boxes[i] = AddBox("objects_group", std::string(names[i]) + "_l1");
    boxes[i]->SetExtraParam(
        "sceneobjectdef",
        Variant(Ref<IInterface>(
            LoadRecord<TSceneObjectDef>(std::string("<object_def name=\"") + names[i] + "\"/>")
                .get())));
  }
  EXPECT_EQ(owner->ResolveWidgetPath(false, prefix), boxes[1]);
  EXPECT_EQ(prefix, "objects_group/");
  AddBox("animation_group", "hint_scenario_cup_l1");
  EXPECT_EQ(owner->ResolveWidgetPath(false, prefix), boxes[2]);
  // Random: uniform over the two left.
  int seen[4] = {};
  SetRandomSeed(7);
  for (int i = 0; i < 200; ++i) {
    Ref<IWidget> target = owner->ResolveWidgetPath(true, prefix);
    for (int b = 0; b < 4; ++b) seen[b] += target == boxes[b];
  }
  EXPECT_EQ(seen[0] + seen[1], 0);
  EXPECT_GT(seen[2], 60);
  EXPECT_GT(seen[3], 60);
  EXPECT_EQ(seen[2] + seen[3], 200);

  Ref<IWidget> chest = AddApproach("chest");
  owner->SetOpenApproach(chest);
  EXPECT_FALSE(owner->ResolveWidgetPath(false, prefix));
  EXPECT_EQ(prefix, "approaches_group/chest/");
}

TEST_F(GameplayScreen, HintTargetsOfFindPlacesAreHiddenOnesAndOfIdenticalOnTheLeft) {
  Ref<FakeLevelManager> manager = TAbstractObject::Create<FakeLevelManager>();
  manager->wanted = {"vase"};
  owner->SetLevelManager(Ref<ILevelManager>(manager.get()));
  Ref<TSceneObjectDef> vase = LoadRecord<TSceneObjectDef>(R"(<object_def name="vase"/>)");
  Ref<IWidget> shown = AddBox("objects_group", "vase_l1");
  shown->SetVisible(true);
  shown->SetExtraParam("sceneobjectdef", Variant(Ref<IInterface>(vase.get())));
  Ref<IWidget> hidden = AddBox("objects_group", "vase_l2");
  hidden->SetVisible(false);
  hidden->SetExtraParam("sceneobjectdef", Variant(Ref<IInterface>(vase.get())));
  Ref<IWidget> left = AddBox("left_part/objects_group", "vase_l3");
  left->SetExtraParam("sceneobjectdef", Variant(Ref<IInterface>(vase.get())));

  struct Case {
    int tasktype;
    Ref<IWidget> target;
    const char* prefix;
  };
  const Case cases[] = {{0, shown, "objects_group/"},
                        {4, hidden, "objects_group/"},
                        {132, hidden, "objects_group/"},  // the top bit is not the kind
                        {2, left, "left_part/objects_group/"}};
  for (const Case& c : cases) {
    Ref<IUGDTask> task = Ref<IUGDTask>(
        LoadRecord<TUGDTask>("<task name=\"t\" tasktype=\"" + std::to_string(c.tasktype) + "\"/>")
            .get());
    owner->SetProgress(nullptr, nullptr, nullptr, task);
    std::string prefix;
    EXPECT_EQ(owner->ResolveWidgetPath(false, prefix), c.target) << c.tasktype;
    EXPECT_EQ(prefix, c.prefix) << c.tasktype;
  }
}
