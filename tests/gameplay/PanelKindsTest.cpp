// The five panel manager kinds: names in columns with counters, found pairs, the parts of
// a complete object, the scrolling inventory, and what each does with odd layouts.

#include <cmath>
#include <string>
#include <vector>

#include "foundation/EngineGeneralClasses.h"
#include "foundation/MultiLanguages.h"
#include "foundation/Routines.h"
#include "tests/gameplay/PanelTestSupport.h"

using namespace gameplay_test;

namespace {

const char* const kNamesLayout =
    R"(\names_col_interval=20\names_row_height=26\names_col_width=210\names_max_in_column=3)"
    R"(\names_left_shift=10\names_top_shift=6\names_max_columns_num=3\names_items_add_type=2)";

std::string PartsLayout(int lyingMaxHeight = 70) {
  return R"(\complete_vertical_obj_max_width=80\complete_vertical_obj_max_height=84)"
         R"(\complete_horizontal_obj_max_width=160\complete_horizontal_obj_max_height=)" +
         std::to_string(lyingMaxHeight) +
         R"(\complete_horizontal_obj_top_shift=8\complete_obj_left_shift=20)";
}

std::string IdenticalLayout(int extent) {
  return R"(\identical_items_interval=15\identical_left_coord=10\identical_top_coord=5)"
         R"(\identical_all_items_max_width=)" +
         std::to_string(extent) + R"(\identical_max_height=70\identical_max_width=90)";
}

std::string PlacesLayout(int interval, int extent) {
  return R"(\disposable_items_interval=)" + std::to_string(interval) +
         R"(\disposable_all_items_max_width=)" + std::to_string(extent) +
         R"(\disposable_max_height=60\disposable_max_width=80\disposable_items_add_type=0)"
         R"(\disposable_items_move_speed=2)";
}

class PanelKinds : public PanelFixture {
 protected:
  ~PanelKinds() override { MultiLanguages()->ClearStrings(); }

  static Ref<ISceneObjectDef> Captioned(const std::string& name, const std::string& caption) {
    return Object("\"" + name + "\" caption=\"" + caption + "\" width=\"30\" height=\"20\"");
  }
};

TEST_F(PanelKinds, FiveKindsAreRegistered) {
  for (const char* name :
       {"PanelManagerHiddenShapes", "PanelManagerHiddenNames", "PanelManagerFindIdentical",
        "PanelManagerHiddenParts", "PanelManagerFindPlaces"})
    EXPECT_TRUE(Supports<IPanelManager>(CreateNamedObject(name, ""))) << name;
}

// ---------------------------------------------------------------------------------------
// Hidden names

TEST_F(PanelKinds, NameCountersReadTheKeyOfTheirNumber) {
  struct Case {
    int count;
    bool nKey;
    const char* text;
  } cases[] = {
      {1, true, "apple"},      {2, true, "2 apples"},   {12, true, "12 apples12"},
      {20, true, "20 apples"}, {21, true, "21 apple"},  {23, true, "23 apples3"},
      {2, false, "2 apple"},   {20, false, "20 apple"}, {23, false, "23 apples3"},
  };
  ASSERT_TRUE(StartPanel(kNamesLayout));
  for (const Case& c : cases) {
    MultiLanguages()->ClearStrings();
    MultiLanguages()->SetString("obj_apple", "apple");
    MultiLanguages()->SetString("3_obj_apple", "apples3");
    MultiLanguages()->SetString("12_obj_apple", "apples12");
    if (c.nKey) MultiLanguages()->SetString("n_obj_apple", "apples");
    Ref<THiddenNamesPanelManager> manager = Bound<THiddenNamesPanelManager>();
    Ref<ISceneObjectDef> apple = Captioned("apple", "%obj_apple%");
    for (int i = 0; i < c.count; ++i) manager->AddItem(apple);
    EXPECT_EQ(manager->GetCount(), 1);
    EXPECT_EQ(Text(manager->GetItemWidget(apple), "text_utf8"), c.text)
        << c.count << (c.nKey ? " with" : " without") << " %n_ key";
    manager->Unbind();
  }
}

TEST_F(PanelKinds, NamesOfOneCaptionShareALineInColumns) {
  ASSERT_TRUE(StartPanel(kNamesLayout));
  MultiLanguages()->SetString("obj_apple", "apple");
  Ref<THiddenNamesPanelManager> manager = Bound<THiddenNamesPanelManager>();
  std::vector<Ref<ISceneObjectDef>> o = {
      Captioned("apple_a", "%obj_apple%"), Captioned("kettle", "kettle"),
      Captioned("shell", "shell"), Captioned("apple_b", "%obj_apple%"), Captioned("lamp", "lamp")};
  for (const Ref<ISceneObjectDef>& object : o) manager->AddItem(object);
  ASSERT_EQ(manager->GetCount(), 4);
  Ref<IWidget> apples = manager->GetItemWidget(o[3]);
  EXPECT_EQ(apples.get(), manager->GetItemWidget(o[0]).get());
  EXPECT_EQ(Text(apples, "text_utf8"), "2 apple");
  EXPECT_EQ(Text(apples, "resourcename"), "font_a");
  // Three to a column, 26 apart from the top shift; the next column 210 + 20 further.
  EXPECT_EQ(Top(manager->GetItemWidget(o[2])), 6 + 2 * 26);
  EXPECT_EQ(Left(manager->GetItemWidget(o[4])), 10 + 230);
  EXPECT_EQ(Top(manager->GetItemWidget(o[4])), 6);

  EXPECT_FALSE(manager->ObjectFound(o[3]));
  EXPECT_EQ(Text(apples, "text_utf8"), "apple");
  manager->MarkItemFound(o[0]);
  EXPECT_EQ(Text(apples, "fillcolor"), "2");
  EXPECT_TRUE(manager->ObjectFound(o[0]));

  Ref<IParamCollection> params = NewParams();
  manager->AnimateItem(o[1], params);
  EXPECT_DOUBLE_EQ(params->GetValue("endposx").ToDouble(), 10 + 105);
  EXPECT_DOUBLE_EQ(params->GetValue("endposy").ToDouble(), 6 + 26 + 13);
}

TEST_F(PanelKinds, ColumnsCloseUpStepwiseAndStopAtTheLastItem) {
  ASSERT_TRUE(StartPanel(kNamesLayout));
  Ref<THiddenNamesPanelManager> manager = Bound<THiddenNamesPanelManager>();
  std::vector<Ref<ISceneObjectDef>> o = {Captioned("a", "a"), Captioned("b", "b"),
                                         Captioned("c", "c")};
  for (const Ref<ISceneObjectDef>& object : o) manager->AddItem(object);
  EXPECT_TRUE(manager->ObjectFound(o[0]));
  EXPECT_TRUE(manager->ProcessPendingHides());
  ASSERT_EQ(manager->GetCount(), 2);
  EXPECT_EQ(manager->ItemAt(0).object.get(), o[1].get());
  EXPECT_EQ(manager->ItemAt(1).object.get(), o[2].get());
  EXPECT_FALSE(manager->ItemAt(2).widget);  // the spare record stays empty
  // Each lower item rose one row.
  EXPECT_EQ(Text(panel->FindWidget("move_b"), "caption"), "32>6 yes");
  EXPECT_EQ(Text(panel->FindWidget("move_c"), "caption"), "58>32 yes");
  EXPECT_FALSE(manager->ProcessPendingHides());
}

// The top item of a later column leaves upwards while its copy rises into the column before:
// both moves start together, the copy in that column's line: a column and the gap between
// columns to the left.
TEST_F(PanelKinds, ColumnTopItemAndItsRisingCopyStartTogether) {
  ASSERT_TRUE(StartPanel(kNamesLayout));
  Ref<THiddenNamesPanelManager> manager = Bound<THiddenNamesPanelManager>();
  std::vector<Ref<ISceneObjectDef>> o = {Captioned("a", "a"), Captioned("b", "b"),
                                         Captioned("c", "c"), Captioned("d", "d")};
  for (const Ref<ISceneObjectDef>& object : o) manager->AddItem(object);
  EXPECT_TRUE(manager->ObjectFound(o[0]));
  for (int step = 0; step < 4 && !panel->FindWidget("move_d_dupl"); ++step)
    manager->ProcessPendingHides();
  Ref<IWidget> leaving = panel->FindWidget("move_d");
  Ref<IWidget> rising = panel->FindWidget("move_d_dupl");
  ASSERT_TRUE(leaving);
  ASSERT_TRUE(rising);
  EXPECT_EQ(Text(rising, "currenttime"), Text(leaving, "currenttime"));
  EXPECT_EQ(Text(leaving, "endposx"), "240");
  EXPECT_EQ(Text(rising, "endposx"), "10");
}

// ---------------------------------------------------------------------------------------
// Hidden parts

TEST_F(PanelKinds, CompleteObjectStandsOrLiesAndScalesItsParts) {
  struct Case {
    int width, height;
    bool lying;
    double scale;
    int widgetLeft, widgetTop;
  } cases[] = {
      // Scaled to the box's height, then, when that is still too wide, to its width: the
      // picture fits its box (80 x 84 upright, 160 x 70 lying) and touches it.
      {300, 280, false, 80.0 / 300, 1, 1},       // 280 + 32 is not below 300
      {300, 200, true, 70.0 / 200, 1, 9},        // 232 is
      {100, 100, false, 80.0 / 100, 1 + 50, 1},  // narrower: moved right
      {200, 200, false, 0.4, 1, 1},              // the clock face
      {200, 50, true, 0.8, 1, 9},                // scaled up to the height, then down
      {300, 0, true, 160.0 / 300, 1, 9},         // no height to scale by: the width alone
  };
  ASSERT_TRUE(StartPanel(PartsLayout()));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    Ref<THiddenPartsPanelManager> manager = Bound<THiddenPartsPanelManager>();
    Ref<ISceneObjectDef> face =
        Object("\"face\" objecttype=\"3\" width=\"" + std::to_string(c.width) + "\" height=\"" +
                   std::to_string(c.height) + "\"",
               R"(<location name="spec" anchor_left="0" anchor_top="0"/>)");
    Ref<ISceneObjectDef> gear =
        Object(R"("gear" objecttype="2" width="20" height="20")",
               R"(<location name="spec" anchor_left="100" anchor_top="50" zoomx="2"/>
                                          <location name="l1" anchor_left="400" anchor_top="300"/>)");
    manager->AddItem(face);
    manager->AddItem(gear);
    ASSERT_TRUE(manager->GetCompleteWidget());
    EXPECT_EQ(manager->GetCount(), 1);  // the picture is no item
    EXPECT_EQ(manager->GetItemPrefix(), ";face;");
    EXPECT_NEAR(manager->GetScale(), c.scale, 1e-9);
    const int maxWidth = c.lying ? 160 : 80, maxHeight = c.lying ? 70 : 84;
    EXPECT_LE(c.width * c.scale, maxWidth + 1e-9);
    EXPECT_LE(c.height * c.scale, maxHeight + 1e-9);
    EXPECT_EQ(Left(manager->GetCompleteWidget()), c.widgetLeft);
    EXPECT_EQ(Top(manager->GetCompleteWidget()), c.widgetTop);
    Ref<IWidget> part = manager->GetItemWidget(gear);
    ASSERT_TRUE(part);
    int leftShift = c.width < 160 ? 20 + 80 - c.width / 2 : 20;
    int topOrigin = 1 + (c.lying ? int(std::lround(8 / c.scale)) : 0);
    EXPECT_NEAR(part->GetAnchorLeft(), 101 * c.scale + leftShift, 1e-6);
    EXPECT_NEAR(part->GetAnchorTop(), (50 + topOrigin) * c.scale, 1e-6);
    EXPECT_NEAR(manager->GetItemProperty(gear, "zoomx"), 2 * c.scale, 1e-6);

    // Found parts show and stay.
    EXPECT_TRUE(manager->ObjectFound(gear));
    manager->MarkItemFound(gear);
    EXPECT_TRUE(part->IsVisible());
    manager->ProcessPendingHides();
    EXPECT_EQ(manager->GetCount(), 1);
    manager->Unbind();
    EXPECT_TRUE(part->IsDead());
  }
  EXPECT_EQ(panel->GetChildren()->Count(), 0);
}

TEST_F(PanelKinds, ZoomedPictureFitsItsMaximaAndTakesItsPartsAlong) {
  // As the sample game draws it: the picture's zoom widget shows its zoom in the item's
  // size (with a pixel of its smooth edge), so a picture too wide for its maximum once
  // fitted to the height is narrowed to it, not shrunk by both factors; a picture that then
  // stands narrower than the lying maximum is centred in it, its parts with it.
  struct Case {
    int width, height;
    double scale;
    bool centred;
  } cases[] = {
      {200, 200, 0.4, true},                    // 84 wide at 84 / 200: narrowed to 80
      {300, 100, 70.0 / 100 * 160 / 210, false},  // lying: 210 wide at 0.7, narrowed to 160
      {40, 168, 0.5, true},                     // fitted to the height alone
  };
  const std::string shape = R"(
    <widgetfactory type="WidgetFactory" name="panel_item_shape_create"><widgetstring>
      <widget type="group_widget" name="%name%" anchor_left="%left%" anchor_top="%top%"
              visible="yes"><widgets>
        <widget type="zoom_widget" name="inner_widget" visible="yes"><widgets>
          <widget type="test_box" name="picture" visible="yes" width="%width%"
                  height="%height%"/>
        </widgets></widget>
      </widgets></widget>
    </widgetstring></widgetfactory>)";
  ASSERT_TRUE(StartOwner(PlayWindow({}, shape + panel_support::kPanelItemFactories,
                                    panel_support::PanelUi(PartsLayout()))));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    Ref<THiddenPartsPanelManager> manager = Bound<THiddenPartsPanelManager>();
    manager->AddItem(Object("\"face\" objecttype=\"3\" width=\"" + std::to_string(c.width) +
                                "\" height=\"" + std::to_string(c.height) + "\"",
                            R"(<location name="spec" anchor_left="0" anchor_top="0"/>)"));
    Ref<ISceneObjectDef> gear = Object(R"("gear" objecttype="2" width="20" height="20")",
                                       R"(<location name="spec" anchor_left="100" anchor_top="50"/>)");
    manager->AddItem(gear);
    Ref<IWidget> face = manager->GetCompleteWidget();
    ASSERT_TRUE(face);
    EXPECT_NEAR(manager->GetScale(), c.scale, 0.005);
    const int shown = face->GetWidth();
    EXPECT_NEAR(shown, c.width * c.scale, 1.5);
    // Centred: moved right by the key's 20 and the half of what it leaves of 160.
    const int shift = c.centred ? 20 + 80 - shown / 2 : 20;
    EXPECT_EQ(Left(face), c.centred ? 1 + shift : 1);
    // The part stands where its place lies on the picture shown, beside it by the key's
    // shift only where the picture takes the whole lying width.
    Ref<IWidget> part = manager->GetItemWidget(gear);
    ASSERT_TRUE(part);
    EXPECT_NEAR(part->GetAnchorLeft() - face->GetAnchorLeft(),
                101 * manager->GetScale() - 1 + (c.centred ? 0 : 20), 1e-6);
    manager->Unbind();
  }
}

TEST_F(PanelKinds, PartsOfAZeroScaleStayFinite) {
  // No lying maximum height: the picture scales to 0, and the top shift is not divided.
  ASSERT_TRUE(StartPanel(PartsLayout(0)));
  Ref<THiddenPartsPanelManager> manager = Bound<THiddenPartsPanelManager>();
  manager->AddItem(
      Object(R"("face" objecttype="3" width="300" height="200")", R"(<location name="spec"/>)"));
  Ref<ISceneObjectDef> gear =
      Object(R"("gear" objecttype="2" width="20" height="20")",
             R"(<location name="spec" anchor_left="100" anchor_top="50"/>)");
  manager->AddItem(gear);
  EXPECT_EQ(manager->GetScale(), 0);
  Ref<IWidget> part = manager->GetItemWidget(gear);
  ASSERT_TRUE(part);
  EXPECT_EQ(part->GetAnchorLeft(), 20);
  EXPECT_EQ(part->GetAnchorTop(), 0);
}

// ---------------------------------------------------------------------------------------
// Find identical

TEST_F(PanelKinds, SecondObjectOfANameIsThePairMember) {
  ASSERT_TRUE(StartPanel(IdenticalLayout(700)));
  Ref<TFindIdenticalPanelManager> manager = Bound<TFindIdenticalPanelManager>();
  Ref<ISceneObjectDef> left = Sized("lamp"), right = Sized("lamp"), book = Sized("book");
  manager->AddItem(left);
  manager->AddItem(right);
  manager->AddItem(book);
  ASSERT_EQ(manager->GetCount(), 2);
  EXPECT_EQ(manager->ItemAt(0).pairMember.get(), right.get());
  EXPECT_EQ(manager->GetPairedObject(left).get(), right.get());
  EXPECT_EQ(manager->GetPairedObject(right).get(), left.get());
  EXPECT_EQ(manager->GetItemWidget(right).get(), manager->GetItemWidget(left).get());

  // Found pairs line up from the left in the order they were found.
  Ref<IParamCollection> params = NewParams();
  manager->AnimateItem(book, params);
  EXPECT_EQ(Left(manager->GetItemWidget(book)), 0);
  manager->AnimateItem(left, params);
  EXPECT_EQ(Left(manager->GetItemWidget(left)), 40 + 15);
  EXPECT_FALSE(manager->GetItemWidget(left)->IsVisible());
}

TEST_F(PanelKinds, GapsNarrowToFitTheExtent) {
  struct Case {
    int extent, items, interval;
  } cases[] = {
      {700, 3, 15},  // room enough
      // Three of 40 + 15 from 10 into 100: each add starts again from 15, and the
      // third, 55 over the extent, takes it from two gaps.
      {100, 3, 15 - 55 / 2},
      {20, 1, 15},  // one item wider than the extent: no gap to narrow
  };
  ASSERT_TRUE(StartPanel(IdenticalLayout(700)));
  for (const Case& c : cases) {
    panel->SetProperty("identical_all_items_max_width", Variant(c.extent));
    Ref<TFindIdenticalPanelManager> manager = Bound<TFindIdenticalPanelManager>();
    for (int i = 0; i < c.items; ++i) manager->AddItem(Sized("o" + std::to_string(i)));
    EXPECT_EQ(manager->GetInterval(), c.interval) << c.extent << " " << c.items;
    manager->Unbind();
  }
}

// ---------------------------------------------------------------------------------------
// Find places

class Inventory : public PanelKinds {
 protected:
  Ref<TFindPlacesPanelManager> Start(int interval, int extent, int items) {
    if (!StartPanel(PlacesLayout(interval, extent))) return nullptr;
    Ref<TFindPlacesPanelManager> manager = Bound<TFindPlacesPanelManager>();
    for (int i = 0; i < items; ++i) {
      std::string name = "o" + std::to_string(i);
      objects.push_back(
          Object("\"" + name + "\" caption=\"%obj_" + name + "%\" width=\"40\" height=\"60\""));
      manager->AddItem(objects.back());
    }
    return manager;
  }
  Ref<IWidget> Scroll(int i) {
    return panel->FindWidget("panel_item_scroll_o" + std::to_string(i));
  }
  bool Shown(const char* button) { return Ui(button)->IsVisible(); }

  std::vector<Ref<ISceneObjectDef>> objects;
};

TEST_F(Inventory, ScrollsOneItemAtATime) {
  Ref<TFindPlacesPanelManager> manager = Start(10, 100, 4);
  ASSERT_TRUE(manager);
  EXPECT_TRUE(manager->GetItemsMouseStop());
  EXPECT_TRUE(manager->GetSecondFlag());
  manager->ScrollRight(nullptr);
  EXPECT_EQ(manager->GetScrollOffset(), 1);
  EXPECT_TRUE(Shown("button_inventory_scroll_left"));
  EXPECT_TRUE(Shown("button_inventory_scroll_right"));
  EXPECT_EQ(Text(Scroll(0), "caption"), "-50");
  EXPECT_EQ(Text(Scroll(1), "caption"), "10");
  EXPECT_EQ(Text(Scroll(3), "caption"), "110");
  EXPECT_FALSE(manager->GetItemState(objects[0]));
  EXPECT_TRUE(manager->GetItemState(objects[2]));
  EXPECT_FALSE(manager->GetItemState(objects[3]));
  EXPECT_EQ(Played("move.wav"), 1);

  manager->ScrollLeft(manager->GetItemWidget(objects[1]));
  EXPECT_EQ(manager->GetScrollOffset(), 0);
  EXPECT_FALSE(Shown("button_inventory_scroll_left"));
  EXPECT_EQ(Text(Scroll(2), "caption"), "60");  // the left-out item takes no place
  manager->ResetScroll();
  EXPECT_TRUE(Shown("button_inventory_scroll_right"));
}

TEST_F(Inventory, ScrollingEndsWhateverTheWidths) {
  // Items that take no room would never use up the overflow of a negative extent.
  Ref<TFindPlacesPanelManager> manager = Start(-40, -10, 3);
  ASSERT_TRUE(manager);
  manager->ScrollRight(nullptr);
  EXPECT_EQ(manager->GetScrollOffset(), 2);
}

TEST_F(Inventory, EmptyInventoryHidesBothScrollButtons) {
  Ref<TFindPlacesPanelManager> manager = Start(10, 100, 0);
  ASSERT_TRUE(manager);
  manager->DecrementCount(nullptr);
  EXPECT_FALSE(Shown("button_inventory_scroll_left"));
  EXPECT_FALSE(Shown("button_inventory_scroll_right"));
}

TEST_F(Inventory, CountersShowThePlacesStillOpen) {
  ASSERT_TRUE(StartPanel(PlacesLayout(10, 700)));
  Ref<TFindPlacesPanelManager> manager = Bound<TFindPlacesPanelManager>();
  Ref<IWidget> objectsGroup = owner->GetWidgetGroup(gkObjects);
  for (const char* place : {"vase_l1", "vase_l2"}) {
    Ref<IWidget> widget = Ref<IWidget>(Supports<IWidget>(CreateNamedObject("test_box", place)));
    ASSERT_TRUE(widget);
    objectsGroup->GetChildren()->Add(widget);
  }
  Ref<ISceneObjectDef> vase = Object(R"("vase" locations_all_enabled="yes" width="40" height="60")",
                                     R"(<location name="l1"/><location name="l2"/>)");
  manager->AddItem(vase);
  Ref<IWidget> counter = manager->GetItemWidget(vase)->FindWidget("count_text");
  ASSERT_TRUE(counter);
  EXPECT_TRUE(counter->IsVisible());
  EXPECT_EQ(Text(counter, "text"), "2");
  objectsGroup->FindWidget("vase_l1")->SetDead(true);
  objectsGroup->GetChildren()->RemoveDead();
  manager->AfterChange();
  EXPECT_FALSE(counter->IsVisible());
  EXPECT_FALSE(manager->GetItemWidget(vase)->FindWidget("count_bar")->IsVisible());
}

// Moving over the same item makes no new caption; left and hovered again, it has its
// caption again.
TEST_F(Inventory, CaptionFollowsTheItemUnderThePointer) {
  Ref<TFindPlacesPanelManager> manager = Start(10, 700, 2);
  ASSERT_TRUE(manager);
  Ref<IWidget> labels = Ui("item_labels");
  Ref<IWidget> first = manager->GetItemWidget(objects[0]);
  TPoint onFirst{int32_t(first->GetLeft()) + 5, int32_t(first->GetTop()) + 5};
  manager->ShowItemLabel(onFirst);
  ASSERT_EQ(labels->GetChildren()->Count(), 1);
  Ref<IWidget> caption = labels->GetChildren()->GetByIndex(0);
  manager->ShowItemLabel(TPoint{onFirst.X + 1, onFirst.Y});
  ASSERT_EQ(labels->GetChildren()->Count(), 1);
  EXPECT_EQ(labels->GetChildren()->GetByIndex(0), caption) << "the same item: no new caption";
  manager->ShowItemLabel(TPoint{5, 500});  // off every item
  EXPECT_EQ(labels->GetChildren()->Count(), 0);
  manager->ShowItemLabel(onFirst);
  EXPECT_EQ(labels->GetChildren()->Count(), 1) << "back on the item it left";
  Ref<IWidget> second = manager->GetItemWidget(objects[1]);
  manager->ShowItemLabel(TPoint{int32_t(second->GetLeft()) + 5, int32_t(second->GetTop()) + 5});
  EXPECT_EQ(labels->GetChildren()->Count(), 1);
}

}  // namespace
