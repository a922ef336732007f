// The control base (hit tests, focus among child controls, saving) and the button (click,
// action words, pictures, hover, sound).

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/XMLStorage.h"
#include "tests/widgets/ControlTestSupport.h"
#include "widgets/ButtonControl.h"
#include "widgets/EditControl.h"

namespace {

class Controls : public ControlFixture {
 protected:
  template <class T>
  static T* As(const Ref<IWidget>& widget) {
    auto* t = dynamic_cast<T*>(widget.get());
    EXPECT_TRUE(t);
    return t;
  }
};

// ---------------------------------------------------------------------------------------
// The base

TEST_F(Controls, HitTestTakesEveryEdgeInAndNeedsVisibility) {
  Ref<IWidget> c = Load(R"(<widget type="Control" name="c" anchor_left="10" anchor_top="20"
                            width="40" height="30" visible="yes"/>)");
  struct Case {
    TPoint point;
    bool inside;
  };
  const Case cases[] = {{{10, 20}, true},  {{50, 50}, true},  {{30, 35}, true}, {{9, 20}, false},
                        {{51, 50}, false}, {{50, 51}, false}, {{10, 19}, false}};
  for (const Case& c2 : cases)
    EXPECT_EQ(c->ContainsPoint(c2.point, false), c2.inside) << c2.point.X << "," << c2.point.Y;
  EXPECT_EQ(c->GetRect(), (TRect{10, 20, 50, 50}));
  c->SetVisible(false);
  EXPECT_FALSE(c->ContainsPoint({30, 35}, false));
  EXPECT_TRUE(c->ContainsPoint({30, 35}, true));
}

TEST_F(Controls, MaskWidgetShapesTheHitEvenWhenHidden) {
  // The mask's left half is opaque, its right half transparent.
  Ref<TSurface> mask = NewAlphaSurface(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 20; ++x) mask->SetPixel(x, y, 0xFF000000);
  engine->resources->Put("half", MakeImage(Ref<ISurface>(mask.get())));
  Ref<IWidget> c = Show(R"(<widget type="Control" name="c" anchor_left="10" anchor_top="10"
      width="40" height="40" visible="yes" maskwidget="mask"><widgets>)" +
                        Picture("mask", "half", 40, 40, R"(visible="no")") + "</widgets></widget>");
  EXPECT_TRUE(c->ContainsPoint({15, 15}, false));
  EXPECT_FALSE(c->ContainsPoint({45, 15}, false));
  // A mask name that finds nothing leaves the rectangle.
  c->SetProperty("maskwidget", Variant("nothing"));
  EXPECT_TRUE(c->ContainsPoint({45, 15}, false));
}

TEST_F(Controls, IsItsOwnHitWhenNoChildIsAMouseStop) {
  ShowScreen(Button("b", 10, 10, R"(enabled="yes")"));
  Ref<IWidget> hit = window->WidgetAtPos({20, 20});
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->GetName(), "b");
  EXPECT_FALSE(window->WidgetAtPos({60, 60}));
}

// Tab (released) moves the focus among child controls; past the last one no child has it
// and the key is not handled; the next key gives the first child the focus again.
TEST_F(Controls, TabPastTheLastChildLeavesNoneFocused) {
  auto edit = [](const std::string& name, int left) {
    return R"(<widget type="EditControl" name=")" + name + R"(" anchor_left=")" +
           std::to_string(left) + R"(" width="30" height="10" visible="yes" enabled="yes"
           tabstop="yes"><widgets>)" +
           TextChild("text", 0, 0, 30) + "</widgets></widget>";
  };
  Ref<IWidget> c = Show(R"(<widget type="Control" name="c" width="100" height="10"
      visible="yes"><widgets>)" +
                        edit("e1", 0) + edit("e2", 40) + "</widgets></widget>");
  auto* control = As<TControlWidget>(c);
  window->SetFocus(c);
  auto focused = [&] {
    const Ref<IWidget>& child = control->GetFocusedChild();
    return child ? child->GetName() : std::string("none");
  };
  EXPECT_TRUE(KeyUp(input::kVkTab));
  EXPECT_EQ(focused(), "e2");
  EXPECT_FALSE(KeyUp(input::kVkTab));
  EXPECT_EQ(focused(), "none");
  Type(U"a");
  EXPECT_EQ(focused(), "e1");
  EXPECT_EQ(c->GetProperty("e1/value").ToString(), "a");
  // Losing the focus takes it from the child too.
  window->ClearFocus();
  EXPECT_EQ(focused(), "none");
  EXPECT_FALSE(KeyUp(input::kVkTab));
}

TEST_F(Controls, SavesItsKeysOnlyWhereTheyDifferFromTheDefaults) {
  struct Case {
    const char* xml;
    std::vector<std::pair<const char*, const char*>> attributes;  // "" for not written
  };
  const Case cases[] = {
      {R"(<widget type="Control" name="c"/>)",
       {{"width", "0"},
        {"height", "0"},
        {"enabled", ""},
        {"tabstop", ""},
        {"maskwidget", ""},
        {"sound_effect_name", ""}}},
      {R"(<widget type="Control" name="c" width="5" enabled="yes" tabstop="yes"
          maskwidget="m" sound_effect_name="sound_buttonclick"/>)",
       {{"width", "5"},
        {"enabled", "yes"},
        {"tabstop", "yes"},
        {"maskwidget", "m"},
        {"sound_effect_name", "sound_buttonclick"}}},
      {R"(<widget type="ButtonControl" name="c" sound_effect_name="sound_buttonclick"
          actiontype="URL" url="u" check_images="yes" highlighted="yes"/>)",
       {{"sound_effect_name", ""},
        {"actiontype", "url"},
        {"url", "u"},
        {"gamescreenname", ""},
        {"check_images", ""},
        {"highlighted", ""}}},
      {R"(<widget type="ButtonControl" name="c" sound_effect_name="sound_effect"/>)",
       {{"sound_effect_name", "sound_effect"}}},
  };
  for (const Case& c : cases) {
    Ref<IWidget> w = Load(c.xml);
    Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
    As<TPersistObject>(w)->SaveToXml(Ref<IHierStorage>(saved.get()));
    for (const auto& [name, value] : c.attributes)
      EXPECT_EQ(saved->GetAttr(name).ToString(), value) << c.xml << "\n" << name;
  }
}

// ---------------------------------------------------------------------------------------
// The click

TEST_F(Controls, ButtonPressAndRelease) {
  struct Case {
    const char* what;
    const char* attrs;
    std::vector<std::pair<uint32_t, TPoint>> input;
    std::vector<bool> handled;
    size_t events;
  };
  const TPoint in{20, 20}, out{80, 80}, edge{50, 50};
  const Case cases[] = {
      {"release over it clicks",
       R"(enabled="yes")",
       {{input::kLeftButtonDown, in}, {input::kLeftButtonUp, in}},
       {true, true},
       1},
      {"the bottom-right edge is over it",
       R"(enabled="yes")",
       {{input::kLeftButtonDown, in}, {input::kLeftButtonUp, edge}},
       {true, true},
       1},
      {"release outside cancels",
       R"(enabled="yes")",
       {{input::kLeftButtonDown, in}, {input::kLeftButtonUp, out}},
       {true, true},
       0},
      {"without enabled the button ignores clicks",
       "",
       {{input::kLeftButtonDown, in}, {input::kLeftButtonUp, in}},
       {false, false},
       0},
      {"the right button neither presses",
       R"(enabled="yes")",
       {{input::kRightButtonDown, in}, {input::kRightButtonUp, in}},
       {false, false},
       0},
      {"nor completes a left press",
       R"(enabled="yes")",
       {{input::kLeftButtonDown, in}, {input::kRightButtonUp, in}, {input::kLeftButtonUp, in}},
       {true, false, true},
       1},
      {"a release without a press", R"(enabled="yes")", {{input::kLeftButtonUp, in}}, {false}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    window->events.clear();
    Ref<IWidget> root = ShowScreen(Button("b", 10, 10, c.attrs));
    for (size_t i = 0; i < c.input.size(); ++i) {
      bool handled = Mouse(c.input[i].first, c.input[i].second.X, c.input[i].second.Y);
      EXPECT_EQ(handled, c.handled[i]) << i;
    }
    EXPECT_EQ(window->events.size(), c.events);
    for (const WidgetEvent& e : window->events) EXPECT_EQ(e, (WidgetEvent{"b", 1, 0}));
    // The capture is given back in every case.
    EXPECT_FALSE(window->capture);
    EXPECT_FALSE(As<TControlWidget>(root->FindWidget("b"))->IsPressed());
  }
}

TEST_F(Controls, PressCapturesAndPlaysTheClickAtFullVolume) {
  ShowScreen(Button("b", 10, 10, R"(enabled="yes")") +
             Button("quiet", 60, 10, R"(enabled="yes" sound_effect_name="sound_effect")"));
  Press(20, 20);
  ASSERT_TRUE(window->capture);
  EXPECT_EQ(window->capture->GetName(), "b");
  // While captured, the release goes to the button wherever it is.
  Release(200, 200);
  Click(70, 20);
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"snd_click", "snd_effect"}));
  EXPECT_EQ(engine->playedVolumePan[0], (std::pair<int32_t, int32_t>{100, 0}));
  // A button takes no keyboard focus.
  EXPECT_FALSE(window->focus);
}

// One row per action word: what the click does to the screens, the system's opener, the
// events and the button itself.
TEST_F(Controls, ActionWords) {
  struct Case {
    const char* attrs;
    std::vector<std::string> shown, closed, opened;
    size_t events;
    bool visibleAfter;
  };
  const Case cases[] = {
      {R"(actiontype="closegamescreen")", {}, {"screen"}, {}, 0, true},
      {R"(actiontype="CloseGameScreen" GSParams="result=1\next=GS_Main")",
       {},
       {"screen(result=1;next=GS_Main;)"},
       {},
       0,
       true},
      {R"(actiontype="showgamescreen" gamescreenname="GS_Options")",
       {"GS_Options"},
       {},
       {},
       0,
       true},
      {R"(actiontype="showgamescreen" gamescreenname="GS_Rules" GSParams="page=2")",
       {"GS_Rules(page=2;)"},
       {},
       {},
       0,
       true},
      {R"(actiontype="showgamescreen")", {}, {}, {}, 0, true},
      {R"(actiontype="url" url="https://example.org/")",
       {},
       {},
       {"RunProgram https://example.org/"},
       0,
       true},
      {R"(actiontype="run_file" file_to_run="manual.pdf")",
       {},
       {},
       {"OpenFile manual.pdf"},
       0,
       true},
      {R"(actiontype="change_props" props_to_change="visible=false\enabled=0")",
       {},
       {},
       {},
       0,
       false},
      {"", {}, {}, {}, 1, true},
      {R"(actiontype="pressme")", {}, {}, {}, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attrs);
    window->events.clear();
    screens->shown.clear();
    screens->closed.clear();
    engine->opened.clear();
    Ref<IWidget> root = ShowScreen(Button("b", 10, 10, std::string(R"(enabled="yes" )") + c.attrs));
    Click(20, 20);
    EXPECT_EQ(screens->shown, c.shown);
    EXPECT_EQ(screens->closed, c.closed);
    EXPECT_EQ(engine->opened, c.opened);
    EXPECT_EQ(window->events.size(), c.events);
    EXPECT_EQ(root->FindWidget("b")->IsVisible(), c.visibleAfter);
  }
}

TEST_F(Controls, ActionTypeSetAsAPropertyIsComparedAsItIs) {
  Ref<IWidget> root = ShowScreen(Button("b", 10, 10, R"(enabled="yes")"));
  root->SetProperty("b/actiontype", Variant("ShowGameScreen"));
  root->SetProperty("b/gamescreenname", Variant("GS_Options"));
  Click(20, 20);
  EXPECT_TRUE(screens->shown.empty());
  EXPECT_EQ(window->events, (std::vector<WidgetEvent>{{"b", 1, 0}}));
  root->SetProperty("b/actiontype", Variant("showgamescreen"));
  Click(20, 20);
  EXPECT_EQ(screens->shown, (std::vector<std::string>{"GS_Options"}));
}

// ---------------------------------------------------------------------------------------
// Pictures

TEST_F(Controls, PicturesForStatesAndTheirFallbacks) {
  const std::string all = Picture("image_normal", "red") + Picture("image_selected", "green") +
                          Picture("image_disabled", "grey");
  const std::string normalOnly = Picture("image_normal", "red");
  const std::string lit = all + Picture("highlighter", "white");
  struct Case {
    const char* what;
    std::string pictures;
    const char* attrs;
    bool hovered;
    std::vector<std::string> visible;
  };
  const Case cases[] = {
      {"normal", all, R"(enabled="yes")", false, {"image_normal"}},
      {"hovered", all, R"(enabled="yes")", true, {"image_selected"}},
      {"disabled (no enabled in XML)", all, "", false, {"image_disabled"}},
      {"disabled under the cursor", all, "", true, {"image_disabled"}},
      {"hovered without a selected picture",
       normalOnly,
       R"(enabled="yes")",
       true,
       {"image_normal"}},
      {"disabled without a disabled picture", normalOnly, "", false, {"image_normal"}},
      {"no pictures", Picture("other", "blue"), R"(enabled="yes")", true, {"other"}},
      {"highlighted",
       lit,
       R"(enabled="yes" highlighted="yes")",
       false,
       {"image_normal", "highlighter"}},
      {"highlighted and hovered",
       lit,
       R"(enabled="yes" highlighted="yes")",
       true,
       {"image_selected", "highlighter"}},
      {"highlighted but disabled", lit, R"(highlighted="yes")", false, {"image_disabled"}},
      {"not highlighted", lit, R"(enabled="yes")", false, {"image_normal"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ref<IWidget> root = ShowScreen(Button("b", 10, 10, c.attrs, c.pictures));
    engine->cursor = c.hovered ? TPoint{20, 20} : TPoint{100, 100};
    Frame(16);
    EXPECT_EQ(VisibleChildren(root->FindWidget("b")), c.visible);
  }
}

TEST_F(Controls, HoverFollowsTheEngineCursorAndEnabling) {
  Ref<IWidget> root = ShowScreen(Button("b", 10, 10, R"(enabled="yes")"));
  Ref<IWidget> b = root->FindWidget("b");
  auto* button = As<TButtonControl>(b);
  Frame(16);
  EXPECT_EQ(button->GetImageState(), TButtonControl::isNormal);
  engine->cursor = {30, 30};  // no mouse message: the update reads the cursor
  Frame(16);
  EXPECT_TRUE(button->IsHovered());
  EXPECT_EQ(VisibleChildren(b), std::vector<std::string>{"image_selected"});
  // The change is posted: the button's rectangle.
  EXPECT_NE(std::find(window->dirtyRects.begin(), window->dirtyRects.end(), TRect{10, 10, 50, 50}),
            window->dirtyRects.end());
  b->SetProperty("enabled", Variant(false));
  EXPECT_EQ(VisibleChildren(b), std::vector<std::string>{"image_disabled"});
  b->SetProperty("enabled", Variant(true));
  engine->cursor = {5, 5};
  Frame(16);
  EXPECT_EQ(VisibleChildren(b), std::vector<std::string>{"image_normal"});
}

TEST_F(Controls, CheckImagesHidesTheButtonWhileAPictureIsEmpty) {
  Ref<IWidget> root =
      ShowScreen(Button("b", 10, 10, R"(enabled="yes" check_images="yes")",
                        Picture("image_normal", "empty") + Picture("image_selected", "green")));
  Ref<IWidget> b = root->FindWidget("b");
  Frame(16);
  EXPECT_FALSE(b->IsVisible());
  // Still checked at every update; once the picture is there the check ends (the button
  // stays as it is).
  engine->resources->Put(
      "empty", MakeImage(Ref<ISurface>(NewAlphaSurface(40, 40, 0xFFFF0000).get())));
  Frame(16);
  b->SetVisible(true);
  engine->resources->Put("empty", MakeImage(Ref<ISurface>(NewAlphaSurface(0, 0).get())));
  Frame(16);
  EXPECT_TRUE(b->IsVisible());
  // Without the flag the button shows whatever its pictures hold.
  Ref<IWidget> plain =
      ShowScreen(Button("p", 10, 10, R"(enabled="yes")", Picture("image_normal", "empty")));
  Frame(16);
  EXPECT_TRUE(plain->FindWidget("p")->IsVisible());
}

}  // namespace
