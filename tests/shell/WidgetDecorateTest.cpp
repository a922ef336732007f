// Decorating widgets: the replicator, hit tests through a decorating widget, the linked
// surface widget.

#include "tests/support/WidgetFixture.h"

namespace {

class WidgetDecorate : public WidgetFixture {};

TEST_F(WidgetDecorate, ReplicatorDrawsItsChildInAGrid) {
  Ref<IWidget> r = Show(R"(<widget type="replicator_widget" name="r" cols="3" rows="2" visible="yes"
      anchor_left="1"><widgets><widget type="test_box" name="cell" width="10" height="20"
      anchor_left="5" visible="yes" color="$FF00FF00"/></widgets></widget>)");
  EXPECT_EQ(r->GetWidth(), 30);
  EXPECT_EQ(r->GetHeight(), 40);
  TSurfacePtr frame = Render(64, 64);
  TestBoxWidget* cell = WidgetFixture::Box(r->FindWidget("cell"));
  EXPECT_EQ(cell->drawnAt,
            (std::vector<TPoint>{{1, 0}, {1, 20}, {11, 0}, {11, 20}, {21, 0}, {21, 20}}));
  EXPECT_EQ(frame->GetPixel(30, 39), 0xFF00FF00u);
  EXPECT_EQ(frame->GetPixel(31, 0), 0u);
  EXPECT_EQ(frame->GetPixel(1, 40), 0u);
}

TEST_F(WidgetDecorate, ReplicatorWithoutChildIsEmpty) {
  Ref<IWidget> r = Show(R"(<widget type="replicator_widget" cols="3" rows="2" visible="yes"/>)");
  EXPECT_EQ(r->GetWidth(), 0);
  EXPECT_EQ(r->GetHeight(), 0);
  EXPECT_EQ(Render(8, 8)->GetPixel(0, 0), 0u);
}

TEST_F(WidgetDecorate, HugeGridFromDataDrawsOnlyWhatTheTargetShows) {
  Ref<IWidget> r = Show(R"(<widget type="replicator_widget" cols="2000000000" rows="2000000000"
      visible="yes"><widgets><widget type="test_box" name="cell" width="8" height="8"/></widgets></widget>)");
  Render(32, 16);
  EXPECT_EQ(WidgetFixture::Box(r->FindWidget("cell"))->drawnAt.size(), 8u);
  EXPECT_EQ(r->GetWidth(), INT32_MAX);
}

TEST_F(WidgetDecorate, HugeGridPlacedFarBeforeTheTargetDrawsOnlyWhatTheTargetShows) {
  Ref<IWidget> r = Show(R"(<widget type="replicator_widget" cols="2147483647" rows="2147483647"
      anchor_left="-16777216" anchor_top="-16777213" visible="yes"><widgets>
      <widget type="test_box" name="cell" width="8" height="8"/></widgets></widget>)");
  Render(32, 16);
  std::vector<TPoint> drawn = WidgetFixture::Box(r->FindWidget("cell"))->drawnAt;
  ASSERT_EQ(drawn.size(), 12u);
  EXPECT_EQ(drawn.front(), (TPoint{0, -5}));
  EXPECT_EQ(drawn.back(), (TPoint{24, 11}));
}

TEST_F(WidgetDecorate, HitsReachTheChildOnlyThroughAMouseStop) {
  const char* xml = R"(<widget type="replicator_widget" name="r" visible="yes" anchor_left="10"
      mousestop="%s"><widgets><widget type="test_box" name="cell" width="10" height="10"
      visible="yes" mousestop="yes"/></widgets></widget>)";
  char text[512];
  std::snprintf(text, sizeof text, xml, "no");
  EXPECT_FALSE(Show(text)->WidgetAtPos({12, 2}));
  std::snprintf(text, sizeof text, xml, "yes");
  Ref<IWidget> r = Show(text);
  Ref<IWidget> hit = r->WidgetAtPos({12, 2});
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->GetName(), "cell");
  // Beyond the child but inside the grid of one: the replicator itself.
  r->FindWidget("cell")->SetMouseStop(false);
  EXPECT_EQ(r->WidgetAtPos({12, 2}).get(), r.get());
}

TEST_F(WidgetDecorate, WidgetPropertySwapsTheChild) {
  Ref<IWidget> r = Show(R"(<widget type="replicator_widget" name="r" visible="yes"><widgets>
      <widget type="test_box" name="old" width="2" height="2"/></widgets></widget>)");
  Ref<IWidget> old = r->FindWidget("anything");
  ASSERT_TRUE(old);
  EXPECT_EQ(old->GetOwner(), dynamic_cast<IWidgetOwner*>(r.get()));
  Ref<IWidget> fresh = Load(R"(<widget type="test_box" name="new" width="5" height="1"/>)");
  r->SetProperty("widget", Variant(Ref<IInterface>(fresh.get())));
  EXPECT_EQ(old->GetOwner(), nullptr);
  EXPECT_EQ(fresh->GetOwner(), dynamic_cast<IWidgetOwner*>(r.get()));
  EXPECT_EQ(r->GetWidth(), 5);
  r->SetProperty("widget", Variant("not a widget"));
  EXPECT_EQ(r->GetWidth(), 5);
  r->SetProperty("widget", Variant::Null());
  EXPECT_EQ(r->GetWidth(), 0);
  EXPECT_EQ(fresh->GetOwner(), nullptr);
}

TEST_F(WidgetDecorate, LinkedSurfaceShowsAnotherWidgetEveryUpdate) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"><widgets>
      <widget type="test_box" name="src" width="3" height="2" visible="yes" color="$FF0000FF"/>
      <widget type="linked_surface_widget" name="link" anchor_left="10" visible="yes"
              linked_widget_name="../src"/></widgets></widget>)");
  Ref<IWidget> link = root->FindWidget("link");
  Frame(16);
  EXPECT_EQ(link->GetWidth(), 3);
  EXPECT_EQ(Render(16, 4)->GetPixel(12, 1), 0xFF0000FFu);
  root->FindWidget("src")->SetProperty("color", Variant(int32_t(0xFFFF0000)));
  Frame(16);
  EXPECT_EQ(Render(16, 4)->GetPixel(12, 1), 0xFFFF0000u);

  // A path that finds nothing keeps the last surface.
  link->SetProperty("linked_widget_name", Variant("../gone"));
  Frame(16);
  EXPECT_EQ(link->GetWidth(), 3);
}

}  // namespace
