// The widget base: clock, properties, aliases, paths, sounds and the function widget.

#include <climits>

#include "foundation/XMLStorage.h"
#include "tests/support/WidgetFixture.h"

namespace {

class WidgetBase : public WidgetFixture {};

const char* kTree = R"(<widget type="group_widget" name="root" visible="yes">
  <widgets>
    <widget type="group_widget" name="a" visible="yes" anchor_left="10">
      <widgets><widget type="test_box" name="b" width="10" height="4" visible="yes"/></widgets>
    </widget>
    <widget type="test_box" name="c" width="3" height="3" visible="yes" z="2"/>
  </widgets>
</widget>)";

TEST_F(WidgetBase, ClockAdvancesByTimeRateTruncatedTowardZero) {
  struct Case {
    const char* rate;
    int32_t dt;
    int32_t expected;
  } cases[] = {
      {"0.5", 15, 7},
      {"1", 15, 15},
      {"0.25", 3, 0},
      {"-0.5", 15, -7},
      {"1e12", 1000, INT32_MAX},  // saturates instead of overflowing
  };
  for (const Case& c : cases) {
    Ref<IWidget> w =
        Load(std::string(R"(<widget type="test_box" time_rate=")") + c.rate + R"("/>)");
    w->Process(c.dt);
    EXPECT_EQ(w->GetProperty("currenttime").ToInt(), c.expected) << c.rate;
    EXPECT_EQ(Box(w)->lastDt, c.expected) << c.rate;
  }
}

TEST_F(WidgetBase, ClockSaturatesOnLongRuns) {
  Ref<IWidget> w = Load(R"(<widget type="test_box" currenttime="2147483000"/>)");
  w->Process(1000);
  EXPECT_EQ(w->GetProperty("currenttime").ToInt(), INT32_MAX);
}

TEST_F(WidgetBase, TimeToLiveEndsTheWidget) {
  Ref<IWidget> w = Load(R"(<widget type="test_box" timetolive="1000"/>)");
  w->Process(999);
  EXPECT_FALSE(w->IsDead());
  w->Process(1);
  EXPECT_TRUE(w->IsDead());

  Ref<IWidget> forever = Load(R"(<widget type="test_box"/>)");
  forever->Process(1000000);
  EXPECT_FALSE(forever->IsDead());
}

TEST_F(WidgetBase, PropertiesAnswerInTheirOrder) {
  Ref<IWidget> w = Load(R"(<widget type="test_box" name="w" width="5" z="3"
      aliases="\left=anchor_top\alpha=transparentlevel,beta"
      extraparams="z=7\beta=4\gamma=x"/>)");
  // Built-in names come before aliases, aliases before extra parameters, extra
  // parameters before "z" and the other flags.
  EXPECT_EQ(w->GetProperty("left").ToDouble(), 0.0);
  EXPECT_EQ(w->GetProperty("alpha").ToInt(), 255);
  EXPECT_EQ(w->GetProperty("z").ToString(), "7");
  EXPECT_EQ(w->GetProperty("gamma").ToString(), "x");
  EXPECT_EQ(w->GetProperty("name").ToString(), "w");
  EXPECT_TRUE(w->GetProperty("nothing").IsNull());

  w->SetProperty("alpha", Variant(100));
  EXPECT_EQ(w->GetTransparentLevel(), 100);
  EXPECT_EQ(w->GetProperty("beta").ToInt(), 100);
  w->SetProperty("z", Variant(9));
  EXPECT_EQ(w->GetZ(), 3);  // the extra parameter took it
  w->SetProperty("width", Variant("not a number"));
  EXPECT_EQ(w->GetWidth(), 5);
}

TEST_F(WidgetBase, AliasesThatLeadBackToThemselvesEndAtOnce) {
  Ref<IWidget> w = Load(R"(<widget type="test_box" aliases="\a=b\b=a\c=d,e\d=c,e\e=c,d,width"/>)");
  EXPECT_TRUE(w->GetProperty("a").IsNull());
  w->SetProperty("a", Variant(1));
  // "e" reaches "width" after its looping aliases are cut.
  EXPECT_EQ(w->GetProperty("c").ToInt(), 0);
  w->SetProperty("c", Variant(6));
  EXPECT_EQ(w->GetWidth(), 6);
}

TEST_F(WidgetBase, PathsReachOwnersSiblingsAndTheWindow) {
  Ref<IWidget> root = Show(kTree);
  Ref<IWidget> b = root->FindWidget("a/b");
  ASSERT_TRUE(b);
  Ref<IWidget> a = root->FindWidget("a");
  Ref<IWidget> c = root->FindWidget("c");
  struct Case {
    const char* path;
    IWidget* expected;
  } cases[] = {
      {"", b.get()},          {".", b.get()},           {"..", a.get()},
      {"../..", root.get()},  {"../../c", c.get()},     {"window:", root.get()},
      {"window:/c", c.get()}, {"window:/a/b", b.get()}, {"../x", nullptr},
  };
  for (const Case& k : cases) EXPECT_EQ(b->FindWidget(k.path).get(), k.expected) << k.path;

  EXPECT_EQ(root->GetProperty("a/b/width").ToInt(), 10);
  EXPECT_TRUE(root->GetProperty("x/width").IsNull());
  root->SetProperty("a/b/anchor_left", Variant(5));
  EXPECT_EQ(b->GetAnchorLeft(), 5.0);
  EXPECT_EQ(b->GetPath(), "screen/root/a/b");
}

TEST_F(WidgetBase, RedefinedParametersCopyOnOwnerAndRestart) {
  Ref<IWidget> root = Show(R"(<widget type="group_widget" name="root" visible="yes"><widgets>
      <widget type="test_box" name="src" width="12"/>
      <widget type="test_box" name="dst" redefinedparams="anchor_top=../src/width\height=nothing\width=height"/>
    </widgets></widget>)");
  Ref<IWidget> dst = root->FindWidget("dst");
  EXPECT_EQ(dst->GetAnchorTop(), 12.0);
  root->FindWidget("src")->SetProperty("width", Variant(20));
  dst->Restart();
  EXPECT_EQ(dst->GetAnchorTop(), 20.0);
}

TEST_F(WidgetBase, CurrentTimeMarksRedrawOnlyWhenItChanges) {
  Ref<IWidget> w = Load(R"(<widget type="test_box" currenttime="40"/>)");
  w->SetProperty("currenttime", Variant(40));
  EXPECT_FALSE(w->NeedsRedraw());
  w->SetProperty("currenttime", Variant(41));
  EXPECT_TRUE(w->NeedsRedraw());
}

TEST_F(WidgetBase, FunctionWidgetDrivesItsProperties) {
  Ref<IWidget> w = Show(R"(<widget type="test_box" name="w" width="4" height="4" visible="yes">
      <function_widget type="test_function" name="f" output="anchor_left" input="currenttime"
                       scale="0.5" offset="10"/></widget>)");
  auto* f =
      dynamic_cast<TestFunction*>(static_cast<TAbstractWidget*>(Box(w))->GetFunctionWidget().get());
  ASSERT_TRUE(f);
  // Getting the owner restarts the function once and evaluates it once.
  EXPECT_EQ(f->executes, 1);
  EXPECT_EQ(f->calculates, 1);
  EXPECT_EQ(w->GetAnchorLeft(), 10.0);

  struct Step {
    int32_t dt;
    double left;
  } steps[] = {{20, 20}, {20, 30}, {0, 30}, {100, 80}};
  for (const Step& s : steps) {
    Frame(s.dt);
    EXPECT_EQ(w->GetAnchorLeft(), s.left);
  }
  // The property's value is pushed in as the output's start value before each run.
  EXPECT_EQ(f->pushedOutputs.back(), 30.0f);
  // Moving posts the old and the new rectangle.
  EXPECT_EQ(window->dirtyRects, (std::vector<TRect>{{30, 0, 34, 4}, {80, 0, 84, 4}}));

  w->Restart();
  EXPECT_EQ(f->executes, 2);
  EXPECT_EQ(w->GetAnchorLeft(), 10.0);
  w->ReleaseOwner();
  EXPECT_EQ(f->clears, 1);
}

// A bound property is read and written through its rows: a frame looks up no name.
TEST_F(WidgetBase, BoundPropertiesAreNotLookedUpByNameEachFrame) {
  Ref<IWidget> w = Show(R"(<widget type="test_box" width="4" height="4" visible="yes">
      <function_widget type="test_function" output="anchor_left" input="currenttime"
                       scale="0.5"/></widget>)");
  Frame(16);
  uint64_t before = TPropertyTable::LookupCount();
  for (int i = 0; i < 50; ++i) Frame(16);
  EXPECT_EQ(TPropertyTable::LookupCount(), before);
  EXPECT_EQ(w->GetAnchorLeft(), 0.5 * 16 * 51);
}

// Names that an alias or an extra parameter may answer are asked by name; a new extra
// parameter makes the bindings again.
TEST_F(WidgetBase, BindingsFollowAliasesAndNewExtraParameters) {
  Ref<IWidget> w = Show(R"(<widget type="test_box" visible="yes" aliases="\visible=tabstop">
      <function_widget type="test_function" output="z" offset="5"/></widget>)");
  EXPECT_EQ(w->GetZ(), 5);
  w->SetZ(2);
  w->SetExtraParam("z", Variant(1));
  uint64_t before = TPropertyTable::LookupCount();
  Frame(16);
  EXPECT_GT(TPropertyTable::LookupCount(), before);
  EXPECT_EQ(w->GetZ(), 2) << "the extra parameter answers before the widget's z";
  EXPECT_EQ(w->GetProperty("z").ToInt(), 5);

  Ref<IWidget> aliased = Show(R"(<widget type="test_box" visible="yes" aliases="\z=width">
      <function_widget type="test_function" output="z" offset="7"/></widget>)");
  EXPECT_EQ(aliased->GetZ(), 0);
  EXPECT_EQ(aliased->GetProperty("width").ToInt(), 7) << "the alias took the output";
}

TEST_F(WidgetBase, PausedWidgetIsNotEvaluatedOnGettingItsOwner) {
  Ref<IWidget> w = Show(R"(<widget type="test_box" paused="yes">
      <function_widget type="test_function" output="anchor_top" offset="3"/></widget>)");
  auto* f =
      dynamic_cast<TestFunction*>(static_cast<TAbstractWidget*>(Box(w))->GetFunctionWidget().get());
  ASSERT_TRUE(f);
  EXPECT_EQ(f->executes, 1);
  EXPECT_EQ(f->calculates, 0);
}

TEST_F(WidgetBase, PlaySoundWithGivenValuesRestoresTheDescription) {
  Ref<IWidget> w = Show(R"(<widget type="test_box"><sounds>
      <sound name="click" resourcename="click.wav" volume="50" pan="0"/></sounds></widget>)");
  auto game = TAbstractObject::Create<TestSoundCollection>();
  game->AddSound("theme", "theme.ogg");
  window->gameSounds = Ref<ISoundCollection>(game.get());

  EXPECT_NE(w->PlaySound("click", true, 80, -20), 0u);
  ASSERT_EQ(engine->playedVolumePan.size(), 1u);
  EXPECT_EQ(engine->playedVolumePan[0], std::make_pair(80, -20));
  Ref<ISound> click = w->FindSound("click");
  EXPECT_EQ(click->GetVolume(), 50);
  EXPECT_EQ(click->GetPan(), 0);

  // Not among its own sounds: the owner chain's.
  EXPECT_NE(w->PlaySound("theme"), 0u);
  EXPECT_EQ(w->PlaySound("missing"), 0u);
  w->StopSound("click");
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"click.wav", "theme.ogg"}));
  EXPECT_EQ(engine->stoppedSounds, (std::vector<std::string>{"click.wav"}));

  Ref<IWidget> orphan = Load(R"(<widget type="test_box"><sounds>
      <sound name="click" resourcename="click.wav"/></sounds></widget>)");
  EXPECT_EQ(orphan->PlaySound("click"), 0u);
}

TEST_F(WidgetBase, SavesOnlyWhatDiffersFromDefaults) {
  Ref<IWidget> w = Load(R"(<widget type="surface_widget" name="s" currenttime="5" time_rate="2"
      aliases="\a=b" extraparams="k=v" visible="yes"/>)");
  w->Process(100);
  Ref<IHierStorageRoot> out = CreateXmlStorage("widget");
  ASSERT_TRUE(SaveObject(w, Ref<IHierStorage>(out.get())));
  EXPECT_EQ(out->GetXmlText(),
            R"(<widget name="s" type="surface_widget" paused="no" currenttime="5" time_rate="2" )"
            R"(aliases="\a=b" extraparams="\k=v" visible="yes" fillcolor="$00000000"/>)");
}

}  // namespace
