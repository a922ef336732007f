// The records of a scene: what they read, what they write back, and the side effects of
// their setters.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gameplay/Tv2SceneDefs.h"
#include "tests/gameplay/GameplayTestSupport.h"
#include "tests/support/GameFixture.h"

using namespace gameplay_test;

namespace {

struct WriteCase {
  const char* read;
  const char* written;  // the attributes of the saved element, in order
};

template <class T>
void ExpectWritten(const std::vector<WriteCase>& cases, const std::string& root) {
  for (const WriteCase& c : cases) {
    Ref<T> record = LoadRecord<T>(c.read);
    EXPECT_EQ(Attributes(Saved(*record, root)), c.written) << c.read;
  }
}

std::vector<std::string> LocationNames(const Ref<ISceneObjectLocationCollection>& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list->Count(); ++i) names.push_back(list->GetItem(Variant(i))->GetName());
  return names;
}

Ref<ISceneObjectLocationCollection> Locations(const std::vector<std::string>& names) {
  Ref<ISceneObjectLocationCollection> list(
      TAbstractObject::Create<TSceneObjectLocationCollection>().get());
  for (const std::string& name : names) {
    Ref<TSceneObjectLocation> location = TAbstractObject::Create<TSceneObjectLocation>();
    location->SetName(name);
    list->Add(Ref<ISceneObjectLocation>(location.get()));
  }
  return list;
}

}  // namespace

TEST(SceneObjectDef, WritesOnlyWhatDiffersFromItsDefaults) {
  ExpectWritten<TSceneObjectDef>(
      {
          {R"(<object_def name="a"/>)", "name=a resourcename= width=0 height=0"},
          // Type 0 hides on activation by default; other types do not.
          {R"(<object_def name="a" objecttype="0" caption="%obj_a%"/>)",
           "name=a objecttype=0 caption=%obj_a% resourcename= width=0 height=0"},
          {R"(<object_def name="a" objecttype="0" hide_on_activation="no"/>)",
           "name=a objecttype=0 hide_on_activation=no resourcename= width=0 height=0"},
          {R"(<object_def name="a" objecttype="4" hide_on_activation="yes"/>)",
           "name=a objecttype=4 hide_on_activation=yes resourcename= width=0 height=0"},
          // Scenery writes its flag as no, and no caption.
          {R"(<object_def name="a" caption="%x%" hide_on_activation="yes"/>)",
           "name=a hide_on_activation=no resourcename= width=0 height=0"},
          {R"(<object_def name="a" objecttype="1" caption="%unknown_item%"/>)",
           "name=a objecttype=1 resourcename= width=0 height=0"},
          {R"(<object_def name="a" category="tea" first_generation="yes" disabled_on_start="yes"
                          locations_all_enabled="-1" resourcename="img" resourceleft="-3"
                          resourcetop="4" width="10" height="8"/>)",
           "name=a category=tea first_generation=yes locations_all_enabled=yes "
           "disabled_on_start=yes resourcename=img resourcetop=4 width=10 height=8"},
          // A centre is written when its whole part is not the half size.
          {R"(<object_def name="a" width="5" centerx="2.7" centery="3.456" height="5"/>)",
           "name=a resourcename= width=5 height=5 centery=3.46"},
          {R"(<object_def name="a" width="5" height="4" centerx="4"/>)",
           "name=a resourcename= width=5 height=4 centerx=4"},
      },
      "object_def");
}

TEST(SceneObjectDef, ReadsCentreAndHideFlagFromWhatItJustRead) {
  Ref<TSceneObjectDef> object =
      LoadRecord<TSceneObjectDef>(R"(<object_def name="a" width="5" height="7" objecttype="0"/>)");
  EXPECT_DOUBLE_EQ(object->GetCenterX(), 2.5);
  EXPECT_DOUBLE_EQ(object->GetCenterY(), 3.5);
  EXPECT_TRUE(object->GetHideOnActivation());
  // A centre 2.7 of width 5 is not written, so it reads back as 2.5.
  object->SetCenterX(2.7);
  Ref<TSceneObjectDef> again = TAbstractObject::Create<TSceneObjectDef>();
  again->LoadFromStorage(Saved(*object, "object_def"));
  EXPECT_DOUBLE_EQ(again->GetCenterX(), 2.5);
  EXPECT_EQ(LoadRecord<TSceneObjectDef>(R"(<object_def objecttype="3"/>)")->GetHideOnActivation(),
            false);
  EXPECT_EQ(LoadRecord<TSceneObjectDef>(R"(<object_def objecttype="x"/>)")->GetObjectType(), 5);
}

TEST(SceneObjectDef, ChangingTypeKeepsTheHideFlagRelativeToItsDefault) {
  Ref<TSceneObjectDef> object =
      LoadRecord<TSceneObjectDef>(R"(<object_def name="a" objecttype="0"/>)");
  object->SetObjectType(3);
  EXPECT_FALSE(object->GetHideOnActivation());
  EXPECT_EQ(Attributes(Saved(*object, "object_def")),
            "name=a objecttype=3 resourcename= width=0 height=0");
  object->SetObjectType(4);  // neither old nor new type is 0
  EXPECT_FALSE(object->GetHideOnActivation());
  object->SetObjectType(0);
  EXPECT_TRUE(object->GetHideOnActivation());
}

TEST(SceneObjectDef, CentreMovesTheLocationsByTheirZoomHalvesToEven) {
  struct Case {
    double zoom, from, to;
    int32_t anchor;  // from 100
  };
  const Case cases[] = {
      {1, 0, 2.5, 102}, {1, 0, 3.5, 104},  {1, 0, -2.5, 98},  {1.5, 10, 12.5, 104},
      {-1, 0, 2.5, 98}, {2, 1, 1.25, 100}, {2, 1, 1.75, 102}, {0.5, 3, 8, 102},
  };
  for (const Case& c : cases) {
    Ref<TSceneObjectDef> object = TAbstractObject::Create<TSceneObjectDef>();
    object->SetCenterX(c.from);
    object->SetCenterY(c.from);
    Ref<ISceneObjectLocation> location =
        object->GetLocations()->AddLocation("", 100, 100, 0, 255, c.zoom, c.zoom, 0);
    object->SetCenterX(c.to);
    object->SetCenterY(c.to);
    EXPECT_EQ(location->GetAnchorLeft(), c.anchor) << c.zoom << " " << c.from << " " << c.to;
    EXPECT_EQ(location->GetAnchorTop(), c.anchor) << c.zoom << " " << c.from << " " << c.to;
  }
}

TEST(SceneObjectDef, SizesAndEdgesRecentreTheObject) {
  Ref<TSceneObjectDef> object = TAbstractObject::Create<TSceneObjectDef>();
  object->SetWidth(20);
  object->SetHeight(10);
  Ref<ISceneObjectLocation> location =
      object->GetLocations()->AddLocation("", 100, 100, 0, 255, 2, 1, 0);
  object->SetWidth(30);  // centre 10 -> 15, moved 5 at zoom 2
  EXPECT_DOUBLE_EQ(object->GetCenterX(), 15);
  EXPECT_EQ(location->GetAnchorLeft(), 110);
  object->SetResourceLeft(4);  // the right edge stays: width 34
  EXPECT_EQ(object->GetWidth(), 26);
  EXPECT_EQ(object->GetResourceLeft(), 4);
  object->SetResourceTop(-2);
  EXPECT_EQ(object->GetHeight(), 12);
  EXPECT_DOUBLE_EQ(object->GetCenterY(), 6);
  EXPECT_EQ(location->GetAnchorTop(), 101);
}

TEST(SceneObjectDef, WidgetParamsNameTheObjectAtItsLocation) {
  Ref<TSceneObjectDef> object = LoadRecord<TSceneObjectDef>(
      R"(<object_def name="vase" resourcename="img_vase" resourceleft="2" width="40" height="30">
           <locations><location name="l1" anchor_left="300" anchor_top="200" z="3" zoom="1.5"
                                angle="12.5" cursor="hand" transparentlevel="100"/></locations>
         </object_def>)");
  Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
  object->FillWidgetParams("l1", params);
  EXPECT_EQ(DescribeParams(params),
            "name=vase_l1;resourcename=img_vase;resourceleft=2;resourcetop=0;width=40;height=30;"
            "centerx=20;centery=15;anchor_left=300;anchor_top=200;z=3;transparentlevel=100;"
            "zoomx=1.5;zoomy=1.5;angle=12.5;cursor=hand;");
  Ref<IParamCollection> own(TAbstractObject::Create<TParamCollection>().get());
  object->FillWidgetParams("l9", own);
  EXPECT_EQ(DescribeParams(own),
            "name=vase;resourcename=img_vase;resourceleft=2;resourcetop=0;width=40;height=30;"
            "centerx=20;centery=15;");
}

TEST(SceneObjectLocation, WritesTransparencyZoomAndAngleByTheirRules) {
  ExpectWritten<TSceneObjectLocation>(
      {
          {R"(<location name="l1"/>)", "name=l1 anchor_left=0 anchor_top=0"},
          {R"(<location name="l1" transparentlevel="3"/>)",
           "name=l1 anchor_left=0 anchor_top=0 transparentlevel=2"},
          {R"(<location name="l1" transparentlevel="5"/>)",
           "name=l1 anchor_left=0 anchor_top=0 transparentlevel=2"},
          {R"(<location name="l1" transparentlevel="255"/>)", "name=l1 anchor_left=0 anchor_top=0"},
          {R"(<location name="l1" transparentlevel="100"/>)",
           "name=l1 anchor_left=0 anchor_top=0 transparentlevel=100"},
          {R"(<location name="l1" zoom="1.5"/>)", "name=l1 anchor_left=0 anchor_top=0 zoom=1.5"},
          {R"(<location name="l1" zoomx="1.5"/>)",
           "name=l1 anchor_left=0 anchor_top=0 zoomx=1.5 zoomy=1"},
          {R"(<location name="l1" zoom="2" zoomy="2.004"/>)",
           "name=l1 anchor_left=0 anchor_top=0 zoom=2"},
          {R"(<location name="l1" angle="0.004" cursor="default" difficulty="1"/>)",
           "name=l1 anchor_left=0 anchor_top=0"},
          {R"(<location name="spec" approach_name="chest" anchor_left="-4" anchor_top="7" z="2"
                       angle="-90.125" cursor="hand" difficulty="3"/>)",
           "name=spec approach_name=chest anchor_left=-4 anchor_top=7 z=2 angle=-90.12 "
           "cursor=hand difficulty=3"},
      },
      "location");
}

TEST(SceneApproach, WritesInItsOwnOrder) {
  ExpectWritten<TSceneApproach>(
      {
          {R"(<scene_approach name="a"/>)", "name=a resourcename= width=0 height=0"},
          {R"(<scene_approach width="600" height="440" resourcename="frame" resourceleft="1"
                resourcetop="0" extraparams="\hint=1" aliases="x=y" approach_show_factories="f"
                anchor_top="90" anchor_left="212" name="cupboard"/>)",
           "name=cupboard anchor_left=212 anchor_top=90 approach_show_factories=f aliases=x=y "
           "extraparams=\\hint=1 resourcename=frame resourceleft=1 width=600 height=440"},
      },
      "scene_approach");
}

TEST(SceneObjectAction, NormalisesConditionsBeforeWriting) {
  ExpectWritten<TSceneObjectAction>(
      {
          {R"(<action action_string="x"/>)", "action_string=x"},
          {R"(<action condition_type="9" action_string="x"/>)", "condition_type=1 action_string=x"},
          {R"(<action condition_type="4"  action_string="x"/>)", "action_string=x"},
          {R"(<action condition_type="11" action_string="x"/>)",
           "condition_type=3 action_string=x"},
          {R"(<action condition_type="12" action_string="x"/>)",
           "condition_type=12 action_string=x"},
          {R"(<action condition_type="2" condition_string="k" action_string="x"/>)",
           "condition_type=2 action_string=x"},
          {R"(<action condition_type="6" condition_string="k" action_type="0" action_string="x"
                      startdelaytime="3000"/>)",
           "condition_type=6 condition_string=k action_type=0 action_string=x startdelaytime=3000"},
          {R"(<action action_type="2" action_string="" startdelaytime="-5"/>)", "action_string="},
      },
      "action");
  // The change is kept in the action.
  Ref<TSceneObjectAction> action =
      LoadRecord<TSceneObjectAction>(R"(<action condition_type="9" action_string="x"/>)");
  Saved(*action, "action");
  EXPECT_EQ(action->GetConditionType(), 1);
}

TEST(SceneObjectActions, LoadedActionsAreNumberedAndEmptyOnesAreNotWritten) {
  Ref<TSceneObjectDef> object = LoadRecord<TSceneObjectDef>(
      R"(<object_def name="a"><actions><action action_string="p"/><action action_string=""/>
           <action action_string="q"/></actions>
           <mouse_actions><action action_string=""/></mouse_actions></object_def>)");
  Ref<ISceneObjectActionCollection> actions = object->GetActions();
  ASSERT_EQ(actions->Count(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(actions->GetItem(Variant(i))->GetName(), "loaded" + std::to_string(i + 1));
  Ref<IHierStorage> saved = Saved(*object, "object_def");
  ASSERT_EQ(saved->GetChildCount("actions"), 1);
  EXPECT_EQ(saved->GetChild("actions", 0)->GetChildCount("action"), 2);
  // Every mouse action was empty: no element.
  EXPECT_EQ(saved->GetChildCount("mouse_actions"), 0);
  Ref<ISceneObjectAction> added = actions->AddAction();
  EXPECT_EQ(actions->Count(), 4);
  EXPECT_EQ(added->GetActionType(), 2);
}

TEST(SceneObjectLocations, DeletingRenumbersWithoutLosingAny) {
  struct Case {
    std::vector<std::string> names;
    Variant deleted;
    std::vector<std::string> after;
  };
  const Case cases[] = {
      {{"l1", "spec", "l3"}, Variant("l1"), {"spec", "l2"}},
      {{"l1", "l2", "l3"}, Variant(1), {"l1", "l2"}},
      {{"l1", "l2"}, Variant("L2"), {"l1"}},
      // Out of order and with gaps: the new names meet the old ones and none is lost.
      {{"l1", "l3", "l2"}, Variant("l1"), {"l1", "l2"}},
      {{"l3", "l1", "l2", "l4"}, Variant("l4"), {"l1", "l2", "l3"}},
      {{"l2", "l1", "spec"}, Variant(2), {"l1", "l2"}},
      {{"Spec", "l5"}, Variant("l5"), {"l1"}},  // only "spec" itself keeps its name
  };
  for (const Case& c : cases) {
    Ref<ISceneObjectLocationCollection> list = Locations(c.names);
    list->Delete(c.deleted);
    EXPECT_EQ(LocationNames(list), c.after) << c.deleted.ToString();
    for (const std::string& name : c.after) EXPECT_TRUE(list->GetItem(Variant(name))) << name;
  }
}

TEST(SceneObjectLocations, AddLocationTakesTheNextFreeNumber) {
  struct Case {
    std::vector<std::string> names;
    std::string added;
  };
  const Case cases[] = {
      {{}, "l1"},
      {{"l1"}, "l2"},
      {{"spec"}, "l2"},
      {{"l2", "l3"}, "l4"},  // "l" + count + 1 is taken: the next free number above it
      {{"l1", "l3", "l5"}, "l4"},
  };
  for (const Case& c : cases) {
    Ref<ISceneObjectLocationCollection> list = Locations(c.names);
    Ref<ISceneObjectLocation> location =
        list->AddLocation("chest", 5, 6, 7, 100, 1.234, 0.5, 45.678);
    ASSERT_TRUE(location);
    EXPECT_EQ(location->GetName(), c.added);
    EXPECT_EQ(list->Count(), int(c.names.size()) + 1);
    EXPECT_EQ(location->GetApproachName(), "chest");
    EXPECT_DOUBLE_EQ(location->GetZoomX(), 1.23);
    EXPECT_DOUBLE_EQ(location->GetAngle(), 45.68);
    EXPECT_EQ(location->GetDifficulty(), 1);
  }
}

TEST(SceneObjectDefs, AddObjectDefNumbersTakenNames) {
  struct Case {
    std::vector<std::string> names;
    std::string added;
  };
  const Case cases[] = {{{}, "vase"},
                        {{"vase"}, "vase1"},
                        {{"vase", "vase1"}, "vase2"},
                        {{"VASE", "vase2"}, "vase1"}};
  for (const Case& c : cases) {
    Ref<ISceneObjectDefCollection> list(TAbstractObject::Create<TSceneObjectDefCollection>().get());
    for (const std::string& name : c.names) list->AddObjectDef(name, "", 0, 0, 1, 1);
    Ref<ISceneObjectDef> object = list->AddObjectDef("vase", "img_vase", 3, 4, 40, 30);
    EXPECT_EQ(object->GetName(), c.added);
    EXPECT_EQ(list->GetItem(Variant(list->Count() - 1))->GetName(), c.added);
    EXPECT_EQ(object->GetWidth(), 40);
    EXPECT_EQ(object->GetResourceLeft(), 3);
    EXPECT_DOUBLE_EQ(object->GetCenterX(), 20);
    EXPECT_DOUBLE_EQ(object->GetCenterY(), 15);
  }
}
