// Groups and their child lists: z order, the update loop, dead children, caching and the
// mouse modes.

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "foundation/XMLStorage.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

class WidgetGroup : public WidgetFixture {
 protected:
  Ref<IWidget> Box(const std::string& name, int z, const std::string& extra = {}) {
    return Load("<widget type=\"test_box\" name=\"" + name + "\" z=\"" + std::to_string(z) +
                "\" width=\"4\" height=\"4\" visible=\"yes\" " + extra + "/>");
  }
  static std::string Names(const Ref<IWidgetCollection>& children) {
    std::string names;
    for (int i = 0; i < children->Count(); ++i) names += children->GetByIndex(i)->GetName();
    return names;
  }
};

TEST_F(WidgetGroup, ChildrenAreInsertedInZOrderAfterTheirEquals) {
  struct Case {
    int z;
    const char* order;
  } cases[] = {{5, "abdc"}, {0, "dabc"}, {9, "abcd"}, {10, "abcd"}, {1, "adbc"}};
  for (const Case& c : cases) {
    Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"/>)");
    Ref<IWidgetCollection> children = root->GetChildren();
    children->Add(Box("a", 1));
    children->Add(Box("b", 5));
    children->Add(Box("c", 9));
    ASSERT_TRUE(children->Add(Box("d", c.z)));
    EXPECT_EQ(Names(children), c.order) << "z " << c.z;
    EXPECT_EQ(children->GetByName("D").get(), children->GetByKey(Variant("d")).get());
  }
}

TEST_F(WidgetGroup, ASecondChildOfTheSameNameIsRefused) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"><widgets>
      <widget type="test_box" name="b"/><widget type="test_box" name="B"/></widgets></widget>)");
  Ref<IWidgetCollection> children = root->GetChildren();
  EXPECT_EQ(children->Count(), 1);
  Ref<IWidget> other = Box("b", 0);
  EXPECT_FALSE(children->Add(other));
  EXPECT_EQ(other->GetOwner(), nullptr);
  EXPECT_EQ(children->Count(), 1);
}

// A child of a type nobody registered is skipped, and its file says so once: the author
// learns why the widget is missing.
TEST_F(WidgetGroup, AChildOfAnUnregisteredTypeIsSkippedWithOneWarningNamingTheFile) {
  TempFolder folder;
  folder.Write("screen.xml", R"(<widget type="group_widget" name="root" visible="yes"><widgets>
      <widget type="no_such_widget" name="ghost"/>
      <widget type="test_box" name="box"/>
    </widgets></widget>)");
  std::string path = folder / "screen.xml";
  WarningCapture warnings;
  Ref<IHierStorageRoot> storage = LoadXmlStorageFromFile(path);
  Ref<IWidget> root = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(storage.get())));
  ASSERT_TRUE(root);
  EXPECT_EQ(Names(root->GetChildren()), "box");
  EXPECT_EQ(warnings.Lines(),
            std::vector<std::string>{"warning: " + path +
                                     ": widget \"ghost\": type \"no_such_widget\" is not "
                                     "registered; the element is skipped"});
}

TEST_F(WidgetGroup, ChildrenDrawInAscendingZ) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes" anchor_left="2">
    <widgets>
      <widget type="test_box" name="high" z="9" width="4" height="4" visible="yes" color="$FF0000FF"/>
      <widget type="test_box" name="low" z="1" width="6" height="6" visible="yes" color="$FFFF0000"/>
      <widget type="test_box" name="hidden" z="20" width="6" height="6" color="$FF00FF00"/>
    </widgets></widget>)");
  DirtyPass();  // sorts
  TSurfacePtr frame = Render(16, 16);
  EXPECT_EQ(frame->GetPixel(3, 3), 0xFF0000FFu);
  EXPECT_EQ(frame->GetPixel(7, 5), 0xFFFF0000u);
  EXPECT_EQ(frame->GetPixel(1, 1), 0u);
  EXPECT_EQ(root->GetRect(), (TRect{2, 0, 8, 6}));

  // A child that changes its z moves before the next pass.
  root->FindWidget("high")->SetZ(0);
  DirtyPass();
  EXPECT_EQ(Render(16, 16)->GetPixel(3, 3), 0xFFFF0000u);
}

// The order is kept up to date by the pass after any change of a z: a property, SetZ or a
// broadcast; equal z keep the order they had.
TEST_F(WidgetGroup, ChildrenAreSortedAgainAfterEveryKindOfZChange) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"/>)");
  Ref<IWidgetCollection> children = root->GetChildren();
  children->Add(Box("a", 1));
  children->Add(Box("b", 5));
  children->Add(Box("c", 9));
  DirtyPass();
  EXPECT_EQ(Names(children), "abc");
  root->FindWidget("c")->SetProperty("z", Variant(0));
  EXPECT_EQ(Names(children), "abc");  // not before the pass
  DirtyPass();
  EXPECT_EQ(Names(children), "cab");
  children->Broadcast("z", Variant(3));
  DirtyPass();
  EXPECT_EQ(Names(children), "cab");
  root->FindWidget("a")->SetZ(4);
  DirtyPass();
  EXPECT_EQ(Names(children), "cba");
  // A child added out of order by its key alone takes its place at the next pass.
  Ref<IWidget> d = Box("d", 1);
  d->SetOwner(dynamic_cast<IWidgetOwner*>(root.get()));
  ASSERT_TRUE(children->Insert(d, "d"));
  DirtyPass();
  EXPECT_EQ(Names(children), "dcba");
}

// Large groups in every starting order: the sort is stable, and each child stays
// reachable by its key and by its new position.
TEST_F(WidgetGroup, SortingKeepsEqualZInTheirOrderAndKeysWithTheirWidgets) {
  struct Case {
    const char* what;
    int (*z)(int index, int count);
  } cases[] = {
      {"reverse", [](int i, int n) { return n - i; }},
      {"reverse with ties", [](int i, int n) { return (n - i) / 3; }},
      {"shuffled with negatives", [](int i, int) { return (i * 37) % 11 - 5; }},
      {"limits", [](int i, int) { return i % 3 == 0   ? INT32_MIN
                                         : i % 3 == 1 ? INT32_MAX
                                                      : 0; }},
      {"in order", [](int i, int) { return i / 4; }},
  };
  constexpr int kCount = 300;
  for (const Case& c : cases) {
    Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"/>)");
    Ref<IWidgetCollection> children = root->GetChildren();
    for (int i = 0; i < kCount; ++i) children->Add(Box("w" + std::to_string(i), 0));
    std::vector<std::pair<int, std::string>> expected;
    for (int i = 0; i < kCount; ++i) {
      children->GetByIndex(i)->SetZ(c.z(i, kCount));
      expected.emplace_back(c.z(i, kCount), "w" + std::to_string(i));
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    children->SortByZ();
    ASSERT_EQ(children->Count(), kCount) << c.what;
    for (int i = 0; i < kCount; ++i) {
      Ref<IWidget> widget = children->GetByIndex(i);
      ASSERT_EQ(widget->GetName(), expected[size_t(i)].second) << c.what << " at " << i;
      EXPECT_EQ(children->GetByKey(Variant(widget->GetName())).get(), widget.get()) << c.what;
    }
    // The pass after the sort walks the new order.
    DirtyPass();
    EXPECT_EQ(children->GetByIndex(0)->GetName(), expected[0].second) << c.what;
  }
}

TEST_F(WidgetGroup, DeadChildrenLeaveInTheUpdateTheyDieIn) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"><widgets>
      <widget type="test_box" name="brief" width="2" height="2" visible="yes" timetolive="30"/>
      <widget type="test_box" name="stays" width="2" height="2" visible="yes" anchor_left="5"/>
    </widgets></widget>)");
  Frame(20);
  EXPECT_EQ(root->GetChildren()->Count(), 2);
  window->dirtyRects.clear();
  root->Process(10);
  EXPECT_EQ(root->GetChildren()->Count(), 1);
  EXPECT_EQ(window->dirtyRects, (std::vector<TRect>{{0, 0, 2, 2}}));
}

TEST_F(WidgetGroup, PausedOrAlreadyUpdatedChildrenAreNotUpdated) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"><widgets>
      <widget type="test_box" name="p" paused="yes"/><widget type="test_box" name="u"/>
      <widget type="test_box" name="n"/></widgets></widget>)");
  root->FindWidget("u")->SetUpdated(true);
  root->Process(10);
  EXPECT_EQ(WidgetFixture::Box(root->FindWidget("p"))->updates, 0);
  EXPECT_EQ(WidgetFixture::Box(root->FindWidget("u"))->updates, 0);
  EXPECT_EQ(WidgetFixture::Box(root->FindWidget("n"))->updates, 1);
  root->Process(10);
  EXPECT_EQ(WidgetFixture::Box(root->FindWidget("n"))->updates, 1);  // no pass between
  DirtyPass();
  root->Process(10);
  EXPECT_EQ(WidgetFixture::Box(root->FindWidget("n"))->updates, 2);
}

// Removes the siblings it names and adds one, from inside its update.
class SiblingRemover : public TestBoxWidget {
 public:
  std::vector<std::string> victims;
  Ref<IWidget> newcomer;
  void Update(int32_t dt) override {
    TestBoxWidget::Update(dt);
    Ref<IWidgetCollection> siblings = owner_ ? owner_->FindWidget("")->GetChildren() : nullptr;
    if (!siblings) return;
    for (const std::string& v : victims)
      if (siblings->Contains(v)) siblings->Delete(Variant(v));
    if (newcomer) siblings->Add(std::exchange(newcomer, nullptr));
  }
};

TEST_F(WidgetGroup, UpdateLoopSurvivesChildrenRemovingSiblings) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"><widgets>
      <widget type="test_box" name="x" z="1"/><widget type="test_box" name="y" z="2"/>
      </widgets></widget>)");
  Ref<SiblingRemover> remover = TAbstractObject::Create<SiblingRemover>();
  remover->SetName("remover");
  remover->victims = {"x", "y"};
  remover->newcomer = Box("late", 5);
  Ref<IWidget> late = remover->newcomer;
  root->GetChildren()->Add(Ref<IWidget>(remover.get()));
  ASSERT_EQ(root->GetChildren()->GetByIndex(0).get(), static_cast<IWidget*>(remover.get()));

  root->Process(10);
  EXPECT_EQ(root->GetChildren()->Count(), 2);
  EXPECT_EQ(remover->updates, 1);
  EXPECT_EQ(WidgetFixture::Box(late)->updates, 0);  // waits for the next frame
  Frame(0);
  root->Process(10);
  EXPECT_EQ(WidgetFixture::Box(late)->updates, 1);
}

// Held by nothing but its group, a child that removes itself while it updates lives until
// the loop is done with it (AddressSanitizer watches), and is released afterwards.
TEST_F(WidgetGroup, AChildRemovingItselfInItsUpdateIsReleasedAfterTheLoop) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"><widgets>
      <widget type="test_box" name="after" z="9"/></widgets></widget>)");
  Ref<SiblingRemover> remover = TAbstractObject::Create<SiblingRemover>();
  remover->SetName("self");
  remover->victims = {"self"};
  root->GetChildren()->Add(Ref<IWidget>(remover.get()));
  IWidget* self = remover.get();
  remover = nullptr;
  ASSERT_EQ(root->GetChildren()->GetByIndex(0).get(), self);

  root->Process(10);
  EXPECT_EQ(root->GetChildren()->Count(), 1);
  EXPECT_TRUE(root->FindWidget("after"));
}

// The mouse modes over a child, over an empty area of the group and outside.
TEST_F(WidgetGroup, MouseModesRouteHitsAndEvents) {
  struct Case {
    const char* mode;
    const char* atChild;  // WidgetAtPos at (7, 7): "" none, else the name
    const char* atEmpty;  // at (25, 5), over a child that is no mouse stop
    bool handled;         // the group's HandleMouse at (7, 7), when the group was hit
    const char* got;      // boxes that got the event, in order
  } cases[] = {
      {"top_by_pos", "top", "", false, ""},
      {"top_or_self_by_pos", "top", "root", false, ""},
      {"self_by_pos", "root", "root", false, ""},
      {"give_to_all", "root", "root", true, "top,under,deco,"},
      {"give_to_all_by_pos", "root", "root", false, "top,under,"},
      {"give_until_process_by_pos", "root", "root", true, "top,"},
  };
  for (const Case& c : cases) {
    Ref<IWidget> root = Show(std::string(R"(<widget type="group_widget" name="root" visible="yes"
        mousestop="yes" process_mouse_type=")") +
                             c.mode + R"("><widgets>
        <widget type="test_box" name="deco" z="0" width="10" height="10" anchor_left="20" visible="yes"/>
        <widget type="test_box" name="under" z="1" width="10" height="10" anchor_left="5" anchor_top="5"
                visible="yes" mousestop="yes"/>
        <widget type="test_box" name="top" z="2" width="10" height="10" visible="yes" mousestop="yes"
                handles="yes"/></widgets></widget>)");
    auto nameAt = [&](TPoint p) {
      Ref<IWidget> w = root->WidgetAtPos(p);
      return w ? w->GetName() : std::string();
    };
    EXPECT_EQ(nameAt({7, 7}), c.atChild) << c.mode;
    EXPECT_EQ(nameAt({25, 5}), c.atEmpty) << c.mode;
    EXPECT_EQ(nameAt({50, 50}), "") << c.mode;

    Ref<IWidget> hit = root->WidgetAtPos({7, 7});
    if (hit.get() != root.get()) continue;
    EXPECT_EQ(root->HandleMouse(513, {7, 7}, 0), c.handled) << c.mode;
    std::string got;
    for (const char* name : {"top", "under", "deco"})
      if (!WidgetFixture::Box(root->FindWidget(name))->mouseMessages.empty())
        got += std::string(name) + ",";
    EXPECT_EQ(got, c.got) << c.mode;
  }
}

TEST_F(WidgetGroup, GroupWithoutVisibleChildrenIsEmptyAndNeverHit) {
  for (int mode = 0; mode <= 5; ++mode) {
    Ref<IWidget> root =
        Show(R"(<widget type="group_widget" name="root" visible="yes" mousestop="yes"
        anchor_left="4" anchor_top="6"><widgets><widget type="test_box" name="h" width="5" height="5"
        mousestop="yes"/></widgets></widget>)");
    root->SetProperty("process_mouse_type", Variant(mode));
    EXPECT_EQ(root->GetRect(), (TRect{4, 6, 4, 6}));
    EXPECT_FALSE(root->WidgetAtPos({4, 6})) << mode;
    EXPECT_FALSE(root->WidgetAtPos({6, 8})) << mode;
  }
}

TEST_F(WidgetGroup, TranslucentGroupIsDrawnFromOneCachedImage) {
  Ref<IWidget> root =
      Show(R"(<widget type="group_widget" name="root" visible="yes" transparentlevel="128">
    <widgets>
      <widget type="test_box" name="red" z="1" width="6" height="4" visible="yes" color="$FFFF0000"/>
      <widget type="test_box" name="blue" z="2" width="4" height="4" anchor_left="4" visible="yes"
              color="$FF0000FF"/>
    </widgets></widget>)");
  EXPECT_TRUE(root->GetProperty("caching").ToBool());
  Frame(0);
  TSurfacePtr frame = Render(16, 8, 0xFF000000);
  auto channels = [](uint32_t p) {
    return std::array<int, 3>{int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255)};
  };
  auto near = [](int a, int b) { return std::abs(a - b) <= 3; };
  // Red alone, half covered; where blue lies over red only blue shows, at half strength:
  // the children were merged before the group's transparency applied.
  auto red = channels(frame->GetPixel(1, 1));
  EXPECT_TRUE(near(red[0], 128) && red[1] == 0 && red[2] == 0) << std::hex << frame->GetPixel(1, 1);
  auto overlap = channels(frame->GetPixel(5, 1));
  EXPECT_TRUE(overlap[0] == 0 && overlap[1] == 0 && near(overlap[2], 128))
      << std::hex << frame->GetPixel(5, 1);
  EXPECT_EQ(frame->GetPixel(9, 1), 0xFF000000u);
  EXPECT_TRUE(root->GetProperty("cachesurface").RawInterface());

  // A child that changes is seen in the next picture.
  root->FindWidget("blue")->SetProperty("color", Variant(int32_t(0xFF00FF00)));
  Frame(16);
  auto green = channels(Render(16, 8, 0xFF000000)->GetPixel(5, 1));
  EXPECT_TRUE(green[0] == 0 && near(green[1], 128) && green[2] == 0);
}

TEST_F(WidgetGroup, GroupMadeTranslucentAfterLoadingIsDrawnTranslucent) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"><widgets>
      <widget type="test_box" name="red" width="4" height="4" visible="yes" color="$FFFF0000"/>
    </widgets></widget>)");
  EXPECT_FALSE(root->GetProperty("caching").ToBool());
  struct Case {
    int32_t level, red;
  } cases[] = {{255, 255}, {128, 128}, {2, 2}, {0, 0}, {255, 255}};
  for (const Case& c : cases) {
    root->SetTransparentLevel(c.level);
    Frame(16);
    const uint32_t pixel = Render(8, 8, 0xFF000000)->GetPixel(1, 1);
    EXPECT_NEAR(int(pixel >> 16 & 255), c.red, 3) << c.level << " " << std::hex << pixel;
  }
}

TEST_F(WidgetGroup, CachingGroupWithoutEngineDrawsNothing) {
  Ref<IWidget> group =
      Load(R"(<widget type="group_widget" name="g" visible="yes" caching="yes"><widgets>
      <widget type="test_box" name="b" width="2" height="2" visible="yes"/></widgets></widget>)");
  TSurfacePtr frame = NewSurface(4, 4);
  group->Draw(frame.get(), 0, 0);  // no owner, so no engine to render the cache with
  EXPECT_EQ(frame->GetPixel(0, 0), 0u);
  EXPECT_TRUE(group->GetProperty("cachesurface").RawInterface() == nullptr);
}

TEST_F(WidgetGroup, BroadcastAndPauseReachEveryChild) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"><widgets>
      <widget type="test_box" name="a"/><widget type="test_box" name="b"/></widgets></widget>)");
  root->GetChildren()->Broadcast("caption", Variant("hi"));
  EXPECT_EQ(root->GetProperty("a/caption").ToString(), "hi");
  EXPECT_EQ(root->GetProperty("b/caption").ToString(), "hi");
  root->Pause();
  EXPECT_TRUE(root->FindWidget("a")->IsPaused());
  root->Resume();
  EXPECT_FALSE(root->FindWidget("b")->IsPaused());
  root->GetChildren()->Delete(Variant("a"));
  EXPECT_EQ(root->GetChildren()->Count(), 1);
  EXPECT_FALSE(root->FindWidget("a"));
}

}  // namespace

TEST(SurfaceOffset, AnchorsUpToTheNearestCachingGroupOrTheScreen) {
  RegisterWidgetTestClasses();
  Ref<IHierStorageRoot> xml = LoadXmlStorageFromText(
      R"(<widget type="group_widget" name="root" anchor_left="1000" anchor_top="2000"><widgets>
         <widget type="group_widget" name="outer" anchor_left="100" anchor_top="200"><widgets>
           <widget type="group_widget" name="inner" anchor_left="10" anchor_top="20"><widgets>
             <widget type="test_box" name="box" anchor_left="1" anchor_top="2"/>
           </widgets></widget></widgets></widget></widgets></widget>)");
  Ref<IWidget> root = Supports<IWidget>(CreateObjectFromXml(Ref<IHierStorage>(xml.get())));
  ASSERT_TRUE(root);
  Ref<IWidget> box = root->FindWidget("outer/inner/box");
  ASSERT_TRUE(box);
  struct Case {
    const char* caching;  // the group drawing into its own surface, if any
    TPoint expected;
  } cases[] = {{"", {1116, 2227}}, {"outer", {16, 27}}, {"inner", {6, 7}}};
  for (const Case& c : cases) {
    for (const char* name : {"outer", "inner"})
      root->FindWidget(name == std::string("outer") ? "outer" : "outer/inner")
          ->SetProperty("caching", Variant(name == std::string(c.caching)));
    TPoint at = GetSurfaceOffset(box.get(), TPoint{5, 5});
    EXPECT_EQ(at.X, c.expected.X) << c.caching;
    EXPECT_EQ(at.Y, c.expected.Y) << c.caching;
  }
  EXPECT_EQ(GetSurfaceOffset(nullptr, TPoint{3, 4}).X, 3);
}
