// Flights of found objects: clones, the two phases, arrival and the panel item.

#include <algorithm>
#include <string>
#include <vector>

#include "gameplay/GameplayRegistration.h"
#include "gameplay/Tv2ManagerFallObj.h"
#include "gameplay/Tv2PanelManagers.h"
#include "gameplay/Tv2SceneDefs.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/FakeLevelManager.h"
#include "tests/support/GameplayFixture.h"

using namespace gameplay_test;

namespace {

const char* const kItemFactory = R"(
  <widgetfactory type="WidgetFactory" name="panel_item_shape_create"><widgetstring>
    <widget type="test_box" name="%name%" anchor_left="%left%" anchor_top="%top%"
            width="%width%" height="%height%" visible="yes" extraparams="fly_obj=0"/>
  </widgetstring></widgetfactory>)";

// Both phases show what they were given in their captions.
const char* const kPhaseFactories = R"(
  <widgetfactory type="WidgetFactory" name="gamefield_find_obj_show"><widgetstring>
    <widget type="test_box" name="show" caption="%endzoomx%"/>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="gamefield_find_obj_fall"><widgetstring>
    <widget type="test_box" name="fall" caption="%endzoomx%,%endzoomx0%"/>
  </widgetstring></widgetfactory>)";

const char* const kPanelUi = R"(
  <widget type="group_widget" name="panel_scrollarea" visible="yes"><widgets>
    <widget type="obj_list_panel" name="ui_obj_list_panel" visible="yes"
            extraparams="shapes_items_interval=10\shapes_all_items_max_width=900\shapes_max_height=100\shapes_max_width=100"/>
  </widgets></widget>)";

class FallObjManager : public GameplayFixture {
 protected:
  FallObjManager() { RegisterGameplayClasses(); }

  bool Start(bool phases = false) {
    Tv2DeclarationsInit();
    std::string factories = std::string(kItemFactory) + (phases ? kPhaseFactories : "");
    if (!StartOwner(PlayWindow({}, factories, kPanelUi))) return false;
    level = TAbstractObject::Create<FakeLevelManager>();
    owner->SetLevelManager(Ref<ILevelManager>(level.get()));
    panelManager = TAbstractObject::Create<THiddenShapesPanelManager>();
    panelManager->Bind(owner, -1);
    owner->GetPanelManager()->SetPanelManager(Ref<IPanelManager>(panelManager.get()));
    manager = TAbstractObject::Create<TAbstractFallObjManager>();
    manager->Bind(owner);
    return true;
  }
  // An object in the panel and its widget in the objects group (kind) at (100, 50).
  Ref<IWidget> Found(const std::string& name, double zoomX = 1, uint8_t kind = gkObjects) {
    Ref<TSceneObjectDef> object = LoadRecord<TSceneObjectDef>(
        "<object_def name=\"" + name + "\" width=\"40\" height=\"30\"><locations>" +
        "<location name=\"l1\" anchor_left=\"100\" anchor_top=\"50\" zoomx=\"" +
        std::to_string(zoomX) + "\"/></locations></object_def>");
    objects.push_back(Ref<ISceneObjectDef>(object.get()));
    panelManager->AddItem(objects.back());
    return owner->CreateSceneObjectWidget(objects.back(),
                                          object->GetLocations()->GetItem(Variant(0)), 0, kind);
  }
  Ref<IWidget> Item(size_t i) { return panelManager->GetItemWidget(objects[i]); }
  Ref<IWidget> Animation(const std::string& name) {
    return owner->GetWidgetGroup(gkAnimation)->FindWidget(name);
  }
  int Placed() {
    return int(std::count_if(level->calls.begin(), level->calls.end(), [](const std::string& c) {
      return c.rfind("ObjectPlaced(", 0) == 0;
    }));
  }

  Ref<FakeLevelManager> level;
  Ref<THiddenShapesPanelManager> panelManager;
  Ref<TAbstractFallObjManager> manager;
  std::vector<Ref<ISceneObjectDef>> objects;
};

TEST_F(FallObjManager, FlightWithoutAnimationsEndsInTwoUpdates) {
  ASSERT_TRUE(Start());
  Ref<IWidget> ball = Found("ball");
  ASSERT_TRUE(ball);
  manager->AddObject(ball, nullptr);
  EXPECT_TRUE(ball->IsDead());  // without a source it leaves the scene
  EXPECT_EQ(Item(0)->GetProperty("fly_obj").ToInt(), 1);
  EXPECT_TRUE(Item(0)->IsVisible());
  ASSERT_TRUE(Animation("kill_" + ball->GetName() + "_clone0"));
  EXPECT_EQ(Animation("kill_" + ball->GetName() + "_clone0")->GetAnchorLeft(),
            ball->GetAnchorLeft());
  manager->Update();
  EXPECT_EQ(Placed(), 0);
  manager->Update();
  EXPECT_EQ(manager->GetFlightCount(), 0);
  ASSERT_EQ(Placed(), 1);
  EXPECT_EQ(level->calls.back(), "ObjectPlaced(" + ball->GetName() + ",ball,l1)");
  EXPECT_EQ(Item(0)->GetProperty("fly_obj").ToInt(), 0);
  EXPECT_TRUE(Item(0)->IsVisible());
}

TEST_F(FallObjManager, WithSourceTheObjectStays) {
  ASSERT_TRUE(Start());
  Ref<IWidget> ball = Found("ball");
  Ref<IWidget> source = Found("box");
  manager->AddObject(ball, source);
  EXPECT_FALSE(ball->IsDead());
  EXPECT_EQ(manager->GetFlightCount(), 1);
}

TEST_F(FallObjManager, FindPlacesModeHidesTheItemInFlight) {
  ASSERT_TRUE(Start());
  level->mode = 4;
  Ref<IWidget> ball = Found("ball");
  manager->AddObject(ball, nullptr);
  EXPECT_FALSE(Item(0)->IsVisible());
  manager->Update();
  manager->Update();
  EXPECT_TRUE(Item(0)->IsVisible());
}

TEST_F(FallObjManager, FlightsEndingTogetherAreAllNotified) {
  ASSERT_TRUE(Start());
  manager->AddObject(Found("ball"), nullptr);
  manager->AddObject(Found("cup"), nullptr);
  manager->Update();
  manager->Update();
  EXPECT_EQ(manager->GetFlightCount(), 0);
  EXPECT_EQ(Placed(), 2);
}

TEST_F(FallObjManager, FallStartsWhenTheShowEndsAndArrivalWaitsForTheFall) {
  ASSERT_TRUE(Start(true));
  Ref<IWidget> ball = Found("ball");
  // A panel that scales its items would hand over the item's own zoom instead.
  owner->GetPanelManager()->SetPanelManager(nullptr);
  manager->Bind(owner);
  manager->AddObject(ball, nullptr);
  Ref<IWidget> show = Animation("show");
  ASSERT_TRUE(show);
  EXPECT_EQ(show->GetProperty("caption").ToString(), "1");
  manager->Update();  // the show still plays
  EXPECT_FALSE(Animation("fall"));
  show->SetDead(true);
  manager->Update();
  Ref<IWidget> fall = Animation("fall");
  ASSERT_TRUE(fall);
  EXPECT_EQ(fall->GetProperty("caption").ToString(), "1,1");
  manager->Update();
  EXPECT_EQ(Placed(), 0);
  fall->SetDead(true);
  manager->Update();
  EXPECT_EQ(Placed(), 1);
}

TEST_F(FallObjManager, MirroredObjectLandsMirroredInBothPhases) {
  ASSERT_TRUE(Start(true));
  Ref<IWidget> ball = Found("ball", -1);
  owner->GetPanelManager()->SetPanelManager(nullptr);
  manager->Bind(owner);
  manager->AddObject(ball, nullptr);
  Ref<IWidget> show = Animation("show");
  ASSERT_TRUE(show);
  EXPECT_EQ(show->GetProperty("caption").ToString(), "-1");
  show->SetDead(true);
  manager->Update();
  ASSERT_TRUE(Animation("fall"));
  EXPECT_EQ(Animation("fall")->GetProperty("caption").ToString(), "-1,-1");
}

TEST_F(FallObjManager, PairsStartFromTheirHalvesOnTheScreen) {
  ASSERT_TRUE(Start());
  owner->FindWidget("right_part")->SetAnchorLeft(512);
  Ref<IWidget> left = Found("lamp", 1, gkLeftPart);
  Ref<IWidget> right = Found("lamp", 1, gkRightPart);
  ASSERT_TRUE(left && right);
  manager->AddPair(left, right, nullptr, nullptr);
  const std::string key = "kill_" + left->GetName();
  ASSERT_TRUE(Animation(key + "_clone0") && Animation(key + "_clone1"));
  EXPECT_EQ(Animation(key + "_clone0")->GetAnchorLeft(), left->GetAnchorLeft());
  EXPECT_EQ(Animation(key + "_clone1")->GetAnchorLeft(), right->GetAnchorLeft() + 512);
  manager->Update();
  manager->Update();
  EXPECT_EQ(Placed(), 2);  // one arrival per object of the pair
}

TEST_F(FallObjManager, ClearEndsEveryFlight) {
  ASSERT_TRUE(Start(true));
  manager->AddObject(Found("ball"), nullptr);
  Ref<IWidget> show = Animation("show");
  ASSERT_TRUE(show);
  manager->Clear();
  EXPECT_EQ(manager->GetFlightCount(), 0);
  EXPECT_TRUE(show->IsDead());
  EXPECT_FALSE(Animation("show"));
  EXPECT_EQ(Placed(), 0);
}

}  // namespace
