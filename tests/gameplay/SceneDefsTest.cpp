// The scene list and the scene documents: reading, writing back, and what an unreadable
// file gives.

#include <gtest/gtest.h>

#include "gameplay/Tv2SceneDefs.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/GameplayFixture.h"
#include "tests/support/WarningCapture.h"

using namespace gameplay_test;

namespace {

class SceneDefs : public GameplayFixture {
 protected:
  SceneDefs() { Tv2DeclarationsInit(); }

  Ref<ISceneDef> SceneOf(const std::string& document) {
    WriteData("data\\scenes\\room.xml", document);
    Ref<TSceneDefRef> ref = TAbstractObject::Create<TSceneDefRef>();
    ref->SetName("room");
    ref->SetFileName("data\\scenes\\room.xml");
    return ref->LoadSceneDef();
  }

  WarningCapture warnings;
};

constexpr const char* kFullScene = R"(<scene_def name="ignored" identical_part_shift="300"
    scene_show_factories="candle;dust" identical_show_factories="half_bg" scene_music_name="music_cellar">
  <resource_defs resourcegroup="scene">
    <resource_def name="img_bg" type="ImageResource" file="data\gfx\bg.png" typeparams="\format=png"/>
  </resource_defs>
  <widgetfactories>
    <widgetfactory type="WidgetFactory" name="candle"><widgetstring>
      <widget type="test_box" name="candle_%id%" width="4" height="8"/></widgetstring></widgetfactory>
  </widgetfactories>
  <scene_approaches><scene_approach name="cupboard" anchor_left="212" width="600" height="440"/></scene_approaches>
  <actions><action condition_type="0" action_type="0" action_string="bats" startdelaytime="3000"/></actions>
  <object_defs>
    <object_def name="lantern" objecttype="0" caption="%obj_lantern%" width="48" height="64">
      <locations><location name="l1" anchor_left="150" anchor_top="200"/></locations>
    </object_def>
    <object_def name="door" objecttype="6" width="48" height="48">
      <locations><location name="l1" anchor_left="980" anchor_top="100">
        <actions><action condition_type="1" action_type="1" action_string="cupboard"/></actions>
      </location></locations>
    </object_def>
  </object_defs>
</scene_def>)";

}  // namespace

TEST_F(SceneDefs, ListKeepsDocumentOrderAndDropsASecondName) {
  Ref<ISceneDefRefCollection> list = PublishSceneDefs(
      R"(<scene_defs><scene_def name="atelier" filename="data\scenes\atelier.xml"/>
           <scene_def name="market"/><scene_def name="ATELIER" filename="x"/></scene_defs>)");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->GetItem(Variant(0))->GetFileName(), "data\\scenes\\atelier.xml");
  EXPECT_EQ(list->GetItem(Variant("Market"))->GetFileName(), "");
  EXPECT_EQ(warnings.Lines(),
            (std::vector<std::string>{"warning: data\\ini\\scenes.ini: \"scene_def\" \"ATELIER\" "
                                      "dropped: the name is taken"}));

  // Loading again adds to what the list holds and keeps the first of each name.
  Ref<IHierStorageRoot> more = LoadDataDocument("data\\ini\\scenes.ini");
  auto* persist = dynamic_cast<IPersistObject*>(list.get());
  more->LoadObject(persist);
  EXPECT_EQ(list->Count(), 2);
  EXPECT_EQ(list->GetItem(Variant(0))->GetFileName(), "data\\scenes\\atelier.xml");
}

TEST_F(SceneDefs, ListWritesItsEntriesIntoTheProgramFolder) {
  Ref<ISceneDefRefCollection> list =
      PublishSceneDefs(R"(<scene_defs><scene_def name="a" filename="f.xml"/><scene_def name="b"/>
                          </scene_defs>)");
  list->SaveToFile(nullptr);
  list->SaveToFile(engine.get());
  ASSERT_EQ(engine->programFiles.count("data\\ini\\scenes.ini"), 1u);
  std::string problem;
  Ref<IHierStorageRoot> saved =
      ParseDataText(engine->programFiles["data\\ini\\scenes.ini"], problem);
  ASSERT_TRUE(saved) << problem;
  EXPECT_EQ(saved->GetName(), "scene_defs");
  ASSERT_EQ(saved->GetChildCount("scene_def"), 2);
  EXPECT_EQ(Attributes(saved->GetChild("scene_def", 0)), "name=a filename=f.xml");
  EXPECT_EQ(Attributes(saved->GetChild("scene_def", 1)), "name=b filename=");
}

TEST_F(SceneDefs, UnreadableListsAndScenesAreSaidAndGiveDefaults) {
  EXPECT_FALSE(LoadSceneDefRefs("data\\ini\\nothing.ini"));
  WriteData("data\\ini\\broken.ini", "<scene_defs><scene_def name=\"a\"");
  EXPECT_FALSE(LoadSceneDefRefs("data\\ini\\broken.ini"));
  ASSERT_EQ(warnings.Lines().size(), 2u);
  EXPECT_EQ(warnings.Lines()[0], "warning: data\\ini\\nothing.ini: no such file");
  EXPECT_NE(warnings.Lines()[1].find("warning: data\\ini\\broken.ini: not read ("),
            std::string::npos);
  warnings.Clear();

  // A scene whose file is missing or broken is empty, named, and new at each request.
  Ref<TSceneDefRef> ref = TAbstractObject::Create<TSceneDefRef>();
  ref->SetName("ghost");
  ref->SetFileName("data\\scenes\\ghost.xml");
  Ref<ISceneDef> first = ref->LoadSceneDef();
  Ref<ISceneDef> second = ref->LoadSceneDef();
  ASSERT_TRUE(first && second);
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(first->GetName(), "ghost");
  EXPECT_EQ(first->GetSceneMusicName(), "default_music");
  EXPECT_EQ(first->GetIdenticalPartShift(), 256);
  EXPECT_EQ(first->GetObjectDefs()->Count(), 0);
  EXPECT_EQ(warnings.Lines(),
            (std::vector<std::string>{"warning: data\\scenes\\ghost.xml: no such file"}));

  Ref<ISceneDef> broken = SceneOf("<scene_def identical_part_shift=\"3\"><object_defs>");
  EXPECT_EQ(broken->GetName(), "room");
  EXPECT_EQ(broken->GetIdenticalPartShift(), 256);
}

TEST_F(SceneDefs, SceneReadsEveryPartAndIsNamedByItsListEntry) {
  Ref<ISceneDef> scene = SceneOf(kFullScene);
  EXPECT_EQ(scene->GetName(), "room");
  EXPECT_EQ(scene->GetIdenticalPartShift(), 300);
  EXPECT_EQ(scene->GetSceneShowFactories(), "candle;dust");
  EXPECT_EQ(scene->GetIdenticalShowFactories(), "half_bg");
  EXPECT_EQ(scene->GetSceneMusicName(), "music_cellar");
  EXPECT_EQ(scene->GetResourceDefs()->Count(), 1);
  EXPECT_EQ(scene->GetResourceDefs()->GetGroup(), "scene");
  EXPECT_EQ(scene->GetSceneApproaches()->GetItem(Variant("cupboard"))->GetAnchorLeft(), 212);
  EXPECT_EQ(scene->GetActions()->GetItem(Variant(0))->GetActionString(), "bats");
  ASSERT_EQ(scene->GetObjectDefs()->Count(), 2);
  Ref<ISceneObjectDef> door = scene->GetObjectDefs()->GetItem(Variant("door"));
  EXPECT_EQ(door->GetLocations()->GetItem(Variant("l1"))->GetActions()->Count(), 1);

  Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
  params->SetValue("id", Variant("7"));
  Ref<IWidget> candle = scene->CreateWidget("candle", params);
  ASSERT_TRUE(candle);
  EXPECT_EQ(candle->GetName(), "candle_7");
  EXPECT_FALSE(scene->CreateWidget("smoke", params));
}

TEST_F(SceneDefs, SceneRoundTripKeepsWhatItReadButItsMusic) {
  Ref<ISceneDef> scene = SceneOf(kFullScene);
  auto& persist = dynamic_cast<IPersistObject&>(*scene);
  Ref<IHierStorage> saved = Saved(persist, "scene_def");
  EXPECT_EQ(
      Attributes(saved),
      "identical_part_shift=300 scene_show_factories=candle;dust identical_show_factories=half_bg");
  for (const char* child :
       {"resource_defs", "widgetfactories", "scene_approaches", "actions", "object_defs"})
    EXPECT_EQ(saved->GetChildCount(child), 1) << child;

  Ref<TSceneDef> again = TAbstractObject::Create<TSceneDef>();
  again->LoadFromStorage(saved);
  EXPECT_EQ(again->GetSceneMusicName(), "default_music");  // never written
  EXPECT_EQ(Attributes(Saved(*again, "scene_def")), Attributes(saved));
  EXPECT_EQ(again->GetObjectDefs()->Count(), 2);
  EXPECT_EQ(again->GetResourceDefs()->Count(), 1);
  EXPECT_EQ(again->GetActions()->Count(), 1);
}

TEST_F(SceneDefs, PartShiftAndEmptyActionsAreLeftOutAtTheirDefaults) {
  struct Case {
    const char* document;
    const char* attributes;
    int actions;  // "actions" elements written
  };
  const Case cases[] = {
      {R"(<scene_def identical_part_shift="256"/>)", "", 0},
      {R"(<scene_def identical_part_shift="255"/>)", "identical_part_shift=255", 0},
      {R"(<scene_def identical_part_shift="257"/>)", "identical_part_shift=257", 0},
      {R"(<scene_def identical_part_shift="wide"/>)", "", 0},
      {R"(<scene_def><actions><action action_string=""/><action/></actions></scene_def>)", "", 0},
      {R"(<scene_def><actions><action action_string=""/><action action_string="a"/></actions></scene_def>)",
       "", 1},
  };
  for (const Case& c : cases) {
    Ref<ISceneDef> scene = SceneOf(c.document);
    Ref<IHierStorage> saved = Saved(dynamic_cast<IPersistObject&>(*scene), "scene_def");
    EXPECT_EQ(Attributes(saved), c.attributes) << c.document;
    EXPECT_EQ(saved->GetChildCount("actions"), c.actions) << c.document;
  }
}

TEST_F(SceneDefs, EngineLinkGovernsResourcesAndSaving) {
  Ref<ISceneDef> scene = SceneOf(kFullScene);
  scene->RemoveResources();
  scene->SaveToFile("data\\scenes\\copy.xml");
  EXPECT_TRUE(engine->removedGroups.empty());
  EXPECT_TRUE(engine->programFiles.empty());

  scene->SetEngine(engine.get());
  scene->RemoveResources();
  scene->SaveToFile("data\\scenes\\copy.xml");
  EXPECT_EQ(engine->removedGroups, (std::vector<std::string>{"scene"}));
  ASSERT_EQ(engine->programFiles.count("data\\scenes\\copy.xml"), 1u);
  EXPECT_NE(engine->programFiles["data\\scenes\\copy.xml"].find("<scene_def"), std::string::npos);

  scene->ReleaseEngine();
  scene->RemoveResources();
  EXPECT_EQ(engine->removedGroups.size(), 1u);

  // A list without a group of its own never asks for the empty group, which is every
  // resource of the game.
  Ref<ISceneDef> ungrouped = SceneOf(
      R"(<scene_def><resource_defs><resource_def name="img_bg" type="ImageResource"/></resource_defs></scene_def>)");
  ungrouped->SetEngine(engine.get());
  ungrouped->RemoveResources();
  EXPECT_EQ(engine->removedGroups.size(), 1u);
}
