// Show and hide effects of a screen's root widget.

#include "shell/AppearanceEffects.h"
#include "tests/support/WidgetFixture.h"

namespace {

class AppearanceEffects : public WidgetFixture {
 protected:
  // A root with content and, as Effects says, "show" and "hide" effects that animate the
  // captured picture through a surface widget.
  Ref<IWidget> ShowRoot(const std::string& effects, const std::string& rootAttrs = {}) {
    std::string xml = R"(<widget type="appearance_effect_widget" name="root" mousestop="yes" )" +
                      rootAttrs + ">" + effects + R"(
        <widgets><widget type="test_box" name="content" width="4" height="4" anchor_left="2"
            visible="yes" mousestop="yes" color="$FFFF0000"/></widgets></widget>)";
    return Show(xml);
  }
  static std::string Effect(const char* name, int duration) {
    return std::string(R"(<widget type="func_appearance_effect" name=")") + name +
           R"(" durationtime=")" + std::to_string(duration) + R"(" surfaceparamname="pic/surface">
           <sounds><sound name="sound_effect" resourcename=")" +
           name + R"(.wav"/></sounds>
           <widgets><widget type="surface_widget" name="pic" visible="yes"/></widgets></widget>)";
  }
  static std::string BothEffects(int show = 100, int hide = 50) {
    return "<effects><widgets>" + Effect("show_effect", show) + Effect("hide_effect", hide) +
           "</widgets></effects>";
  }
  static bool Applying(const Ref<IWidget>& root) {
    return root->GetProperty("applyingeffect").ToBool();
  }
};

TEST_F(AppearanceEffects, ShowEffectRunsToCompletionOverAFrozenPicture) {
  Ref<IWidget> root = ShowRoot(BothEffects());
  root->SetVisible(true);
  EXPECT_TRUE(root->IsVisible());
  EXPECT_TRUE(Applying(root));
  EXPECT_EQ(root->GetProperty("effect_state").ToInt(), 0);
  // The picture stands where the content stood.
  EXPECT_EQ(Render(8, 8)->GetPixel(2, 0), 0xFFFF0000u);
  EXPECT_EQ(root->GetRect(), (TRect{2, 0, 6, 4}));

  // The content is frozen meanwhile: neither updated nor drawn.
  Ref<IWidget> content = root->FindWidget("content");
  content->SetProperty("color", Variant(int32_t(0xFF00FF00)));
  Frame(60);
  EXPECT_TRUE(Applying(root));
  EXPECT_EQ(Box(content)->updates, 0);
  EXPECT_EQ(Render(8, 8)->GetPixel(2, 0), 0xFFFF0000u);
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"show_effect.wav"}));

  Frame(40);
  EXPECT_FALSE(Applying(root));
  EXPECT_EQ(root->GetProperty("effect_state").ToInt(), 1);
  EXPECT_TRUE(root->IsVisible());
  EXPECT_EQ(Render(8, 8)->GetPixel(2, 0), 0xFF00FF00u);
  EXPECT_EQ(engine->playedSounds.size(), 1u);
  // The area of the ended effect is posted once more.
  EXPECT_FALSE(window->dirtyRects.empty());
  Frame(16);
  EXPECT_EQ(Box(content)->updates, 1);
}

TEST_F(AppearanceEffects, HideEffectHidesOnlyWhenItEnds) {
  Ref<IWidget> root = ShowRoot(BothEffects(0, 50));
  root->SetVisible(true);
  Frame(16);
  ASSERT_FALSE(Applying(root));
  root->SetVisible(false);
  EXPECT_TRUE(Applying(root));
  EXPECT_TRUE(root->IsVisible());
  Frame(30);
  EXPECT_TRUE(root->IsVisible());
  Frame(30);
  EXPECT_FALSE(Applying(root));
  EXPECT_FALSE(root->IsVisible());
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"show_effect.wav", "hide_effect.wav"}));
}

TEST_F(AppearanceEffects, MissingOrDisabledEffectsShowAndHideAtOnce) {
  struct Case {
    const char* what;
    std::string effects;
    std::string attrs;
    bool showRuns;
  } cases[] = {
      {"no effects element", "", "", false},
      {"no hide effect", "<effects><widgets>" + Effect("show_effect", 10) + "</widgets></effects>",
       "", true},
      {"effects disabled", BothEffects(), R"(enable_effects="no")", false},
  };
  for (const Case& c : cases) {
    Ref<IWidget> root = ShowRoot(c.effects, c.attrs);
    root->SetVisible(true);
    EXPECT_TRUE(root->IsVisible()) << c.what;
    EXPECT_EQ(Applying(root), c.showRuns) << c.what;
    Frame(10);
    Frame(10);
    EXPECT_FALSE(Applying(root)) << c.what;
    root->SetVisible(false);
    EXPECT_FALSE(root->IsVisible()) << c.what;
    EXPECT_FALSE(Applying(root)) << c.what;
  }
  // Without an owner nothing can be captured: at once as well.
  Ref<IWidget> orphan =
      Load(R"(<widget type="appearance_effect_widget" name="o">)" + BothEffects() + "</widget>");
  orphan->SetVisible(true);
  EXPECT_TRUE(orphan->IsVisible());
  EXPECT_FALSE(Applying(orphan));
}

TEST_F(AppearanceEffects, VisibilityChangesWhileAnEffectRuns) {
  Ref<IWidget> root = ShowRoot(BothEffects(100, 100));
  // Hiding during a hide: the running hide ends (hidden now) and no second one starts.
  root->SetVisible(true);
  Frame(100);
  root->SetVisible(false);
  ASSERT_TRUE(Applying(root));
  root->SetVisible(false);
  EXPECT_FALSE(root->IsVisible());
  EXPECT_FALSE(Applying(root));

  // Showing during a hide: the hide ends, then the show starts from a fresh picture.
  root->SetVisible(true);
  Frame(100);
  root->SetVisible(false);
  root->SetVisible(true);
  EXPECT_TRUE(root->IsVisible());
  EXPECT_TRUE(Applying(root));

  // Hiding during a show ends the show, which hides at once; the hide effect then runs.
  root->SetVisible(false);
  EXPECT_FALSE(root->IsVisible());
  EXPECT_TRUE(Applying(root));
  Frame(100);
  EXPECT_FALSE(Applying(root));
  EXPECT_FALSE(root->IsVisible());
}

TEST_F(AppearanceEffects, ZeroDurationEndsOnTheFirstUpdate) {
  Ref<IWidget> root = ShowRoot(BothEffects(0, 0));
  root->SetVisible(true);
  EXPECT_TRUE(Applying(root));
  root->Process(0);
  EXPECT_FALSE(Applying(root));
}

TEST_F(AppearanceEffects, EndlessEffectCostsOneLookPerUpdate) {
  Ref<IWidget> root = ShowRoot(BothEffects(1000000, 0));
  root->SetVisible(true);
  for (int i = 0; i < 5; ++i) Frame(16);  // returns: the state is read once per update
  EXPECT_TRUE(Applying(root));
  // The animation (or a script) may end it through the effect's "state".
  auto* widget = dynamic_cast<TAbstractEffectWidget*>(root.get());
  ASSERT_TRUE(widget && widget->GetEffects());
  widget->GetEffects()->FindWidget("show_effect")->SetProperty("state", Variant(1));
  Frame(16);
  EXPECT_FALSE(Applying(root));
}

TEST_F(AppearanceEffects, ScreenWidgetsTakeNoClicksWhileAnEffectRuns) {
  Ref<IWidget> root = ShowRoot(BothEffects(100, 100));
  root->SetVisible(true);
  EXPECT_FALSE(root->IsMouseStop());
  EXPECT_FALSE(window->WidgetAtPos({3, 1}));
  Frame(100);
  Ref<IWidget> hit = window->WidgetAtPos({3, 1});
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->GetName(), "content");

  Ref<IWidget> through = ShowRoot(BothEffects(100, 100), R"(skip_process_mouse="no")");
  through->SetVisible(true);
  EXPECT_TRUE(through->IsMouseStop());
}

TEST_F(AppearanceEffects, StartParametersAnswerAsProperties) {
  Ref<IWidget> root = ShowRoot(BothEffects());
  auto* widget = dynamic_cast<TAbstractEffectWidget*>(root.get());
  Ref<IAppearanceEffects> effects = widget->GetEffects();
  Ref<IParamCollection> params(TAbstractObject::Create<TParamCollection>().get());
  params->SetValue("speed", Variant(3));
  effects->ApplyEffect("show_effect", nullptr, params);
  Ref<IWidget> effect = effects->FindWidget("show_effect");
  EXPECT_EQ(effect->GetProperty("speed").ToInt(), 3);
  effect->SetProperty("speed", Variant(4));
  EXPECT_EQ(effect->GetProperty("speed").ToInt(), 4);
  EXPECT_EQ(params->GetValue("speed").ToInt(), 3);  // a copy
  EXPECT_EQ(effect->GetProperty("durationtime").ToInt(), 100);
  EXPECT_TRUE(effect->IsVisible());
  effects->SetState(1);
  EXPECT_FALSE(effect->IsVisible());
  EXPECT_TRUE(effect->IsPaused());
  EXPECT_FALSE(effects->HasEffect("nothing"));
}

}  // namespace
