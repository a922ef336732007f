// The item panel (items, replacement, the floating caption) and the fly widget's curve.

#include <cmath>
#include <numbers>
#include <string>

#include "foundation/Params.h"
#include "gameplay/GameplayRegistration.h"
#include "gameplay/Tv2ObjectsPanelGroup.h"
#include "tests/support/GameplayFixture.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/WidgetsRegistration.h"

namespace {

const char* const kPanelFactories = R"(
  <widgetfactory type="WidgetFactory" name="item"><widgetstring>
    <widget type="test_box" name="%name%" anchor_left="%left%" anchor_top="%top%"
            width="%width%" height="%height%" caption="%item_source%"/>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="label"><widgetstring>
    <widget type="group_widget" name="label"
            extraparams="middle_width=0\middle_x=0\right_x=0\left_x=0"><widgets>
      <widget type="group_widget" name="text" extraparams="textwidth=%tw%"/>
      <widget type="test_box" name="left" width="%lw%" height="5"/>
    </widgets></widget>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="bare_label"><widgetstring>
    <widget type="group_widget" name="label"
            extraparams="middle_width=0\middle_x=0\right_x=0\left_x=0"/>
  </widgetstring></widgetfactory>)";

std::string PanelUi(bool labels = true) {
  return std::string(R"(<widget type="group_widget" name="panel_scrollarea" visible="yes"><widgets>
             <widget type="obj_list_panel" name="ui_obj_list_panel" visible="yes"/>
           </widgets></widget>)") +
         (labels ? R"(<widget type="group_widget" name="item_labels" visible="yes"/>)" : "");
}

class ObjectsPanel : public GameplayFixture {
 protected:
  ObjectsPanel() { RegisterGameplayClasses(); }

  Ref<IItemListPanelWidget> StartPanel(bool labels = true) {
    if (!StartOwner(PlayWindow({}, kPanelFactories, PanelUi(labels)))) return nullptr;
    Ref<IItemListPanelWidget> panel = owner->GetPanelManager();
    EXPECT_TRUE(panel);
    return panel;
  }

  static Ref<IParamCollection> Params(std::initializer_list<std::pair<const char*, Variant>> list) {
    Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
    for (auto& [name, value] : list) params->SetValue(name, value);
    return params;
  }
};

TEST_F(ObjectsPanel, ItemWidgetsCarryTheirParametersAndReplaceTheirNamesakes) {
  Ref<IItemListPanelWidget> panel = StartPanel();
  ASSERT_TRUE(panel);
  Ref<IWidget> first = panel->CreateItemWidget("ball", "pic_ball", "item", 10, 20, 30, 40);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->GetAnchorLeft(), 10);
  EXPECT_EQ(first->GetAnchorTop(), 20);
  EXPECT_EQ(first->GetWidth(), 30);
  EXPECT_EQ(first->GetProperty("caption").ToString(), "pic_ball");
  Ref<IWidget> second = panel->CreateItemWidget("ball", "pic_ball2", "item", 50, 20, 30, 40);
  ASSERT_TRUE(second);
  EXPECT_TRUE(first->IsDead());
  ASSERT_EQ(panel->GetChildren()->Count(), 1);
  EXPECT_EQ(panel->GetChildren()->GetByIndex(0).get(), second.get());
}

TEST_F(ObjectsPanel, EmptyOrUnknownFactoryMakesNothing) {
  Ref<IItemListPanelWidget> panel = StartPanel();
  ASSERT_TRUE(panel);
  EXPECT_FALSE(panel->CreateItemWidget("ball", "pic", "", 0, 0, 1, 1));
  EXPECT_FALSE(panel->CreateItemWidget("ball", "pic", "no_such_factory", 0, 0, 1, 1));
  EXPECT_EQ(panel->GetChildren()->Count(), 0);
}

TEST_F(ObjectsPanel, CaptionIsCentredOnItsAnchor) {
  Ref<IItemListPanelWidget> panel = StartPanel();
  ASSERT_TRUE(panel);
  ASSERT_TRUE(panel->LayoutItemLabels("label", Params({{"tw", Variant(45)}, {"lw", Variant(10)}})));
  Ref<IWidget> label = owner->FindWidget("ui_group/item_labels/label");
  ASSERT_TRUE(label);
  EXPECT_EQ(label->GetProperty("middle_width").ToInt(), 46);
  EXPECT_DOUBLE_EQ(label->GetProperty("middle_x").ToDouble(), -22.5);
  EXPECT_DOUBLE_EQ(label->GetProperty("right_x").ToDouble(), 22.5);
  EXPECT_DOUBLE_EQ(label->GetProperty("left_x").ToDouble(), -31.5);

  // Missing pieces read 0; the old caption goes.
  ASSERT_TRUE(panel->LayoutItemLabels("bare_label", Params({})));
  EXPECT_TRUE(label->IsDead());
  Ref<IWidget> bare = owner->FindWidget("ui_group/item_labels/label");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->GetProperty("middle_width").ToInt(), 1);
  EXPECT_DOUBLE_EQ(bare->GetProperty("left_x").ToDouble(), 1);

  panel->RemoveItemLabel();
  EXPECT_FALSE(owner->FindWidget("ui_group/item_labels/label"));
}

TEST_F(ObjectsPanel, CaptionWithoutLabelGroupIsNotShown) {
  Ref<IItemListPanelWidget> panel = StartPanel(false);
  ASSERT_TRUE(panel);
  EXPECT_FALSE(panel->LayoutItemLabels("label", Params({{"tw", Variant(45)}, {"lw", Variant(10)}})));
  EXPECT_FALSE(panel->LayoutItemLabels("no_such_factory", Params({})));
  panel->RemoveItemLabel();  // nothing to remove from
}

// ---------------------------------------------------------------------------------------
// Fly widget

class FlyWidget : public WidgetFixture {
 protected:
  FlyWidget() {
    RegisterWidgetsClasses();
    RegisterGameplayClasses();
  }
  // From (0, 0) to (1000, -500) over TimeToLive.
  Ref<IWidget> ShowFly(int32_t timeToLive, int32_t currentTime = 0) {
    return Show(R"(<widget type="fly_widget" name="fly" visible="yes" startposx="0" startposy="0"
                   endposx="1000" endposy="-500" timetolive=")" +
                std::to_string(timeToLive) + R"(" currenttime=")" + std::to_string(currentTime) +
                R"("/>)");
  }
};

TPoint Anchors(const Ref<IWidget>& w) {
  return TPoint{int32_t(w->GetAnchorLeft()), int32_t(w->GetAnchorTop())};
}

TEST_F(FlyWidget, SpeedsUpTowardsTheEndPointAndDiesThere) {
  Ref<IWidget> w = ShowFly(2000, -100);
  w->Process(50);  // still waiting
  EXPECT_EQ(Anchors(w), (TPoint{0, 0}));
  w->Process(1050);  // half time: 0.5 * sin(pi / 4) of the way, not half way
  double f = 0.5 * std::sin(std::numbers::pi / 4);
  EXPECT_NEAR(f, 0.354, 0.001);
  EXPECT_EQ(Anchors(w), (TPoint{int32_t(std::lround(1000 * f)), int32_t(std::lround(-500 * f))}));
  EXPECT_FALSE(w->IsDead());
  w->Process(1000);  // the end: exactly on the end point, and done
  EXPECT_EQ(Anchors(w), (TPoint{1000, -500}));
  EXPECT_TRUE(w->IsDead());
}

TEST_F(FlyWidget, ZeroTimeToLiveEndsAtOnceWithoutDividing) {
  Ref<IWidget> w = ShowFly(0);
  EXPECT_EQ(Anchors(w), (TPoint{0, 0}));
  w->Process(16);
  EXPECT_EQ(Anchors(w), (TPoint{1000, -500}));
  EXPECT_TRUE(w->IsDead());
}

}  // namespace
