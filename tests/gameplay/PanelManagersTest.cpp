// The panel manager framework over the hidden-shapes kind: records, finds, the per-frame
// hide step and the row layout.

#include <string>
#include <vector>

#include "tests/gameplay/PanelTestSupport.h"
#include "tests/support/WarningCapture.h"

using namespace gameplay_test;

namespace {

std::string ShapesLayout(int addType, int extent = 500) {
  return R"(shapes_items_interval=10\shapes_all_items_max_width=)" + std::to_string(extent) +
         R"(\shapes_max_height=60\shapes_max_width=100\shapes_items_add_type=)" +
         std::to_string(addType) + R"(\shapes_items_move_speed=2)";
}

class PanelManagers : public PanelFixture {
 protected:
  Ref<IItemListPanelWidget> StartPanel(const std::string& layout = ShapesLayout(1)) {
    return PanelFixture::StartPanel(layout);
  }
  Ref<THiddenShapesPanelManager> Shapes(int32_t capacity = -1) {
    return Bound<THiddenShapesPanelManager>(capacity);
  }
  Ref<ISceneObjectDef> Object(const std::string& name) { return Sized(name); }
  std::vector<Ref<ISceneObjectDef>> AddObjects(IPanelManager& manager, int n) {
    std::vector<Ref<ISceneObjectDef>> objects;
    for (int i = 0; i < n; ++i) {
      objects.push_back(Object("o" + std::to_string(i)));
      manager.AddItem(objects.back());
    }
    return objects;
  }
  // The objects of the items in record order.
  std::vector<ISceneObjectDef*> Order(const TAbstractPanelManager& manager) {
    std::vector<ISceneObjectDef*> order;
    for (int32_t i = 0; i < manager.GetCount(); ++i)
      order.push_back(manager.ItemAt(i).object.get());
    return order;
  }
};

TEST_F(PanelManagers, CapacityGrowsBeforeItFillsAndKeepsASpareRecord) {
  ASSERT_TRUE(StartPanel());
  Ref<TAbstractPanelManager> manager = TAbstractObject::Create<TAbstractPanelManager>();
  manager->Bind(owner, -1);
  EXPECT_EQ(manager->GetCapacity(), 20);
  AddObjects(*manager, 18);
  EXPECT_EQ(manager->GetCapacity(), 20);
  manager->AddItem(Object("nineteenth"));
  EXPECT_EQ(manager->GetCapacity(), 22);

  // Shrinking never takes the spare record: unlisted objects still read an empty item.
  for (int32_t capacity : {0, 5}) {
    manager->SetCapacity(capacity);
    EXPECT_EQ(manager->GetCapacity(), 20) << capacity;
    Ref<ISceneObjectDef> stranger = Object("stranger");
    EXPECT_FALSE(manager->GetItemState(stranger));
    EXPECT_FALSE(manager->GetItemWidget(stranger));
    EXPECT_EQ(manager->GetRemainingCount(stranger), 0);
  }
  Ref<TAbstractPanelManager> empty = TAbstractObject::Create<TAbstractPanelManager>();
  empty->Bind(owner, 0);
  empty->SetCapacity(0);
  EXPECT_EQ(empty->GetCapacity(), 1);
  EXPECT_FALSE(empty->GetItemWidget(Object("x")));
  empty->AddItem(Object("first"));
  EXPECT_EQ(empty->GetCount(), 1);
}

TEST_F(PanelManagers, ItemsStandInARowAndFoundOnesLeaveOnePerFrame) {
  Ref<IItemListPanelWidget> panel = StartPanel();
  ASSERT_TRUE(panel);
  Ref<THiddenShapesPanelManager> manager = Shapes();
  std::vector<Ref<ISceneObjectDef>> o = AddObjects(*manager, 3);
  // Left origin 1, then each 40 wide after an interval of 10.
  EXPECT_EQ(Left(manager->GetItemWidget(o[0])), 11);
  EXPECT_EQ(Left(manager->GetItemWidget(o[1])), 61);
  EXPECT_EQ(Left(manager->GetItemWidget(o[2])), 111);
  EXPECT_TRUE(manager->GetItemState(o[2]));

  EXPECT_TRUE(manager->ObjectFound(o[0]));
  EXPECT_TRUE(manager->ObjectFound(o[1]));
  EXPECT_TRUE(manager->ProcessPendingHides());
  EXPECT_EQ(manager->GetCount(), 2);
  EXPECT_TRUE(manager->ProcessPendingHides());
  EXPECT_EQ(manager->GetCount(), 1);
  // Add type 1: the rest shift one place each, in order.
  EXPECT_EQ(manager->ItemAt(0).object.get(), o[2].get());
  EXPECT_FALSE(manager->ProcessPendingHides());
  EXPECT_FALSE(panel->FindWidget("o0"));
  EXPECT_FALSE(panel->FindWidget("o1"));
  EXPECT_TRUE(panel->FindWidget("o2"));
}

TEST_F(PanelManagers, GapsCloseByTheAddType) {
  ASSERT_TRUE(StartPanel(ShapesLayout(0, 120)));
  // Add type 0: the last item, out of view, jumps into the freed place.
  Ref<THiddenShapesPanelManager> manager = Shapes();
  std::vector<Ref<ISceneObjectDef>> o = AddObjects(*manager, 3);
  EXPECT_FALSE(manager->GetItemState(o[2]));
  EXPECT_TRUE(manager->ObjectFound(o[0]));
  EXPECT_TRUE(manager->ProcessPendingHides());
  EXPECT_EQ(Order(*manager), (std::vector<ISceneObjectDef*>{o[2].get(), o[1].get()}));
  EXPECT_EQ(Left(manager->GetItemWidget(o[2])), 11);
  EXPECT_TRUE(manager->GetItemState(o[2]));
  EXPECT_TRUE(manager->GetItemWidget(o[2])->IsVisible());
  EXPECT_EQ(Left(manager->GetItemWidget(o[1])), 61);
  EXPECT_EQ(Played("move.wav"), 0);
  manager->Unbind();

  // Add type 1: every later item moves one place, with one move sound for them all.
  panel->SetProperty("shapes_items_add_type", Variant(1));
  manager = Shapes();
  o = AddObjects(*manager, 3);
  manager->ObjectFound(o[0]);
  manager->ProcessPendingHides();
  EXPECT_EQ(Order(*manager), (std::vector<ISceneObjectDef*>{o[1].get(), o[2].get()}));
  EXPECT_EQ(Text(panel->FindWidget("move_o1"), "caption"), "11");
  EXPECT_EQ(Text(panel->FindWidget("move_o2"), "caption"), "61");
  EXPECT_EQ(Played("move.wav"), 1);
  EXPECT_EQ(Played("hide.wav"), 2);
  manager->Unbind();

  // Add type 2 on a kind without steps of its own: one place each, ending at the last.
  panel->SetProperty("shapes_items_add_type", Variant(2));
  manager = Shapes();
  o = AddObjects(*manager, 3);
  manager->ObjectFound(o[1]);
  manager->ProcessPendingHides();
  EXPECT_EQ(Order(*manager), (std::vector<ISceneObjectDef*>{o[0].get(), o[2].get()}));
  EXPECT_FALSE(manager->ItemAt(2).object);
}

TEST_F(PanelManagers, ObjectListedTwiceNeedsTwoFinds) {
  ASSERT_TRUE(StartPanel());
  Ref<THiddenShapesPanelManager> manager = Shapes();
  Ref<ISceneObjectDef> apple = Object("apple");
  manager->AddItem(apple);
  manager->AddItem(apple);
  EXPECT_EQ(manager->GetCount(), 1);
  EXPECT_EQ(manager->GetRemainingCount(apple), 2);
  EXPECT_FALSE(manager->ObjectFound(apple));
  EXPECT_EQ(manager->GetRemainingCount(apple), 1);
  EXPECT_TRUE(manager->ObjectFound(apple));
  EXPECT_TRUE(manager->ProcessPendingHides());
  EXPECT_EQ(manager->GetCount(), 0);
}

TEST_F(PanelManagers, FoundItemWaitsWhileAShownItemIsBusy) {
  ASSERT_TRUE(StartPanel());
  Ref<THiddenShapesPanelManager> manager = Shapes();
  std::vector<Ref<ISceneObjectDef>> o = AddObjects(*manager, 2);
  Ref<IWidget> moving = manager->GetItemWidget(o[0]);
  manager->SetItemBusy(moving, true);
  EXPECT_TRUE(manager->ObjectFound(o[1]));
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_TRUE(manager->ProcessPendingHides());
    EXPECT_EQ(manager->GetCount(), 2);
  }
  manager->SetItemBusy(moving, false);
  int frames = 0;
  while (manager->GetCount() == 2 && frames < 5) {
    manager->ProcessPendingHides();
    ++frames;
  }
  EXPECT_EQ(manager->GetCount(), 1);
  EXPECT_LE(frames, 3);
  EXPECT_EQ(manager->ItemAt(0).object.get(), o[0].get());
}

TEST_F(PanelManagers, PairsAnswerBothWaysAndWidgetsNameTheirObjects) {
  ASSERT_TRUE(StartPanel());
  Ref<THiddenShapesPanelManager> manager = Shapes();
  std::vector<Ref<ISceneObjectDef>> o = AddObjects(*manager, 1);
  Ref<ISceneObjectDef> twin = Object("twin");
  const_cast<TPanelItem&>(manager->ItemAt(0)).pairMember = twin;
  EXPECT_EQ(manager->GetPairedObject(o[0]).get(), twin.get());
  EXPECT_EQ(manager->GetPairedObject(twin).get(), o[0].get());
  EXPECT_FALSE(manager->GetPairedObject(Object("stranger")));
  Ref<IWidget> widget = manager->GetItemWidget(twin);
  EXPECT_EQ(manager->GetItemObjectByWidget(widget, false).get(), o[0].get());
  EXPECT_EQ(manager->GetItemObjectByWidget(widget, true).get(), twin.get());
}

// An item too wide or too tall is zoomed once to fit its box of 100 x 60 and touch it; one
// lower than the box is centred in its height, whether zoomed or not.
TEST_F(PanelManagers, ItemsAreZoomedOnceToFitTheirBoxAndCentred) {
  struct Case {
    int32_t width, height;
    double zoom;
    int32_t top;
  } cases[] = {
      {40, 60, 1, 1},          // fits
      {40, 30, 1, 1 + 15},     // lower: centred
      {200, 30, 0.5, 1 + 22},  // wide and short: zoomed, then centred (22.5 to even)
      {50, 120, 0.5, 1},       // tall
      {200, 240, 0.25, 1},     // wider and taller: the height decides
      {300, 90, 1.0 / 3, 1 + 15},
  };
  ASSERT_TRUE(StartPanel());
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    Ref<THiddenShapesPanelManager> manager = Shapes();
    Ref<ISceneObjectDef> object = Sized("item", c.width, c.height);
    manager->AddItem(object);
    const double zoom = manager->GetItemProperty(object, "zoom");
    EXPECT_NEAR(zoom, c.zoom, 1e-9);
    EXPECT_LE(c.width * zoom, 100 + 1e-9);
    EXPECT_LE(c.height * zoom, 60 + 1e-9);
    EXPECT_EQ(Top(manager->GetItemWidget(object)), c.top);
    manager->Unbind();
  }
}

TEST_F(PanelManagers, UnreadableLayoutKeyDisablesItems) {
  WarningCapture warnings;
  ASSERT_TRUE(StartPanel(R"(shapes_items_interval=10\shapes_all_items_max_width=wide)"));
  Ref<THiddenShapesPanelManager> manager = Shapes();
  bool said = false;
  for (const std::string& line : warnings.Lines())
    said = said || line.find("shapes_all_items_max_width") != std::string::npos;
  EXPECT_TRUE(said);
  Ref<ISceneObjectDef> apple = Object("apple");
  manager->AddItem(apple);
  EXPECT_FALSE(manager->GetItemWidget(apple));
}

TEST_F(PanelManagers, EndPositionIsTheItemCentreOnTheScreen) {
  ASSERT_TRUE(StartPanel());
  Ref<THiddenShapesPanelManager> manager = Shapes();
  std::vector<Ref<ISceneObjectDef>> o = AddObjects(*manager, 2);
  Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
  manager->AnimateItem(o[1], params);
  EXPECT_DOUBLE_EQ(params->GetValue("endposx").ToDouble(), 61 + 20);
  EXPECT_DOUBLE_EQ(params->GetValue("endposy").ToDouble(), 1 + 30);
  manager->AnimateItem(Object("stranger"), params);
  EXPECT_DOUBLE_EQ(params->GetValue("endposx").ToDouble(), 0);
}

}  // namespace
