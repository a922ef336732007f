// The start's screens: the splash protocol, the progress splash, the logos, screens that
// rebuild themselves and the loading screens with their synthetic clock.

#include "engine/EngineResourceDefs.h"
#include "shell/GameScreenSplash.h"
#include "shell/GameScreenSplashLoad.h"
#include "tests/support/FakeResources.h"
#include "tests/support/GameFixture.h"
#include "widgets/WidgetsRegistration.h"

namespace {

using Ids = std::vector<std::string>;

class SplashScreens : public GameFixture {
 protected:
  SplashScreens() { RegisterWidgetsClasses(); }

  static std::string Widgets(const std::string& children) {
    return "<widgets>" + children + "</widgets>";
  }
  static std::string BoxWidget(const std::string& name, const std::string& attrs = {}) {
    return R"(<widget type="test_box" name=")" + name + R"(" width="4" height="4" )" + attrs + "/>";
  }
  // The start with a splash screen of that type, attributes and window, and GS_Main.
  // The start with a splash screen of that type, attributes and window, and GS_Main; a
  // frame runs while each of three lists loads.
  void StartWithSplash(const std::string& type, const std::string& attrs,
                       const std::string& window) {
    std::string lists = "<resourcefiles>";
    for (const char* name : {"a", "b", "c"})
      lists +=
          std::string(R"(<resourcefile name=")") + name + R"(" filename="x" loadmode="asynch"/>)";
    Start(GameXml(
        ScreenXml("GS_Splash", window, type, attrs) + ScreenXml("GS_Main", Widgets(BoxWidget("m"))),
        R"(splashgs="GS_Splash" maings="GS_Main")", lists + "</resourcefiles>"));
  }
  template <class T>
  T* As(const std::string& id) {
    return dynamic_cast<T*>(game->GetScreens()->GetScreen(Variant(id)).get());
  }
  static Ref<IParamCollection> LoadComplete() { return SingleParam("LoadComplete", Variant(true)); }
  int StoppedGroups(const std::string& id) {
    return int(std::count(engine->stoppedGroups.begin(), engine->stoppedGroups.end(), id));
  }
};

// ---------------------------------------------------------------------------------------
// The splash protocol

TEST_F(SplashScreens, LoadCompleteClosesAtOnceOrWaitsForTheButton) {
  struct Case {
    const char* attrs;
    bool hasButton;
    bool waits;
  } cases[] = {
      {"", true, false},  // the default, empty name: no wait button (not the root)
      {R"(wait_button_name="button_continue")", true, true},
      {R"(wait_button_name="button_continue")", false, false},  // named but missing
      {R"(wait_button_name="ghost")", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attrs);
    StartWithSplash("GameScreenSplash", c.attrs,
                    c.hasButton ? Widgets(BoxWidget("button_continue")) : std::string());
    Frame(16);
    if (!c.waits) {
      EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
      EXPECT_TRUE(As<TGameScreenSplash>("GS_Splash")->IsMainScreenRequested());
    } else {
      EXPECT_EQ(Stack(), (Ids{"GS_Splash"}));
      EXPECT_TRUE(As<TGameScreenSplash>("GS_Splash")->IsWaitingForLoad());
      // Any event of the button: it sends event 1 as a button without an action type.
      As<TGameScreenSplash>("GS_Splash")
          ->OnWidgetEvent(Find("GS_Splash", "button_continue").get(), 1, 0);
      Frame(16);
      EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
    }
    game->Done();
    game = nullptr;
  }
}

TEST_F(SplashScreens, NamelessSendersDoNotCloseASplashWithoutWaitButton) {
  Start(GameXml(ScreenXml("GS_Splash", Widgets(BoxWidget("")), "GameScreenSplash")));
  ASSERT_TRUE(game->ShowScreen("GS_Splash", nullptr));
  TestBoxWidget nameless;
  As<TGameScreenSplash>("GS_Splash")->OnWidgetEvent(&nameless, 1, 0);
  EXPECT_EQ(Stack(), (Ids{"GS_Splash"}));
}

TEST_F(SplashScreens, TheMainScreenIsAskedForOnlyAfterLoadCompleteAndOnce) {
  StartWithSplash("GameScreenSplash", {}, {});
  auto* splash = As<TGameScreenSplash>("GS_Splash");
  // Before the start's "LoadComplete" nothing is asked for, when shown or when hidden.
  ASSERT_TRUE(game->ShowScreen("GS_Splash", nullptr));
  ASSERT_TRUE(game->CloseScreen(splash, nullptr));
  EXPECT_TRUE(Stack().empty());
  EXPECT_FALSE(splash->IsMainScreenRequested());

  Frame(16);  // the start: the splash screen hears "LoadComplete" and hands over
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_TRUE(splash->IsMainScreenRequested());

  // Told again and hidden again, it does not ask again.
  ASSERT_TRUE(game->CloseScreen(Screen("GS_Main"), nullptr));
  ASSERT_TRUE(game->ShowScreen("GS_Splash", LoadComplete()));
  EXPECT_TRUE(Stack().empty());
}

// ---------------------------------------------------------------------------------------
// The progress splash

std::string ProgressWindow() {
  return R"(<widgets>
    <widget type="group_widget" name="image_loading" visible="yes"><widgets>
      <widget type="test_box" name="progress" visible="yes" extraparams="\position=0"/>
    </widgets></widget>
    <widget type="test_box" name="image_loaded" paused="yes"/>
    <widget type="test_box" name="button_continue" paused="yes"/>
  </widgets>)";
}

TEST_F(SplashScreens, ProgressAdvancesOneUnitPerFrameAndMayPassTheEnd) {
  struct Case {
    const char* total;
    std::vector<double> positions;
  } cases[] = {
      {"4", {0.25, 0.5, 0.75, 1.0, 1.25}},
      {"0", {1.0, 1.0}},  // nothing to count towards: full, not a division by zero
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.total);
    Start(GameXml(ScreenXml("GS_Splash", ProgressWindow(), "GameScreenSplashProgress",
                            std::string("total_updates=\"") + c.total + "\"")));
    ASSERT_TRUE(game->ShowScreen("GS_Splash", nullptr));
    Ref<IWidget> progress = Find("GS_Splash", "image_loading/progress");
    for (double expected : c.positions) {
      Frame(16);
      EXPECT_DOUBLE_EQ(progress->GetProperty("position").ToDouble(-1), expected);
    }
    game->Done();
    game = nullptr;
  }
}

TEST_F(SplashScreens, ProgressSplashShowsTheLoadedLookThenRemovesItsResources) {
  StartWithSplash("GameScreenSplashProgress",
                  R"(wait_button_name="button_continue" TotalUpdates="10")", ProgressWindow());
  Frame(16);
  auto* splash = As<TGameScreenSplashProgress>("GS_Splash");
  ASSERT_EQ(Stack(), (Ids{"GS_Splash"}));
  EXPECT_TRUE(splash->IsLoadShown());
  int counted = splash->GetProgressCount();
  EXPECT_EQ(counted, 3) << "a frame ran while each list loaded";
  EXPECT_FALSE(Find("GS_Splash", "image_loading")->IsVisible());
  EXPECT_TRUE(Find("GS_Splash", "image_loading")->IsPaused());
  EXPECT_TRUE(Find("GS_Splash", "image_loaded")->IsVisible());
  EXPECT_FALSE(Find("GS_Splash", "button_continue")->IsPaused());
  Frame(16);
  EXPECT_EQ(splash->GetProgressCount(), counted) << "counting stops once loading is shown";
  EXPECT_TRUE(engine->removedGroups.empty());

  splash->OnWidgetEvent(Find("GS_Splash", "button_continue").get(), 1, 0);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(engine->removedGroups, (Ids{"splash", "splash2"}));
}

// ---------------------------------------------------------------------------------------
// Logos

TEST_F(SplashScreens, LogosCloseOnceWhenTheSequenceEnds) {
  std::string sequence = R"(<widgets>
    <widget type="SequenceControl" name="logos" width="4" height="4" step_duration_time="50"
            visible="yes"><widgets>)" +
                         BoxWidget("logo_1") + BoxWidget("logo_2") +
                         "</widgets></widget></widgets>";
  Start(GameXml(ScreenXml("GS_SplashLogos", HideEffect(200) + sequence, "GameScreenSplashLogos") +
                    ScreenXml("GS_Main", Widgets(BoxWidget("m"))),
                R"(splashlogosgs="GS_SplashLogos" maings="GS_Main")"));
  for (int i = 0; i < 40 && !game->GetStack()->Contains("GS_Main"); ++i) Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(StoppedGroups("GS_SplashLogos"), 1) << "closed (its sounds stopped) once";

  // After its last picture the sequence repeats its end event at every update it gets;
  // the screen, still hiding, does not close (nor play its hide sound) again.
  ASSERT_TRUE(game->ShowScreen("GS_SplashLogos", nullptr));
  auto* logos = As<TGameScreenSplashLogos>("GS_SplashLogos");
  Ref<IWidget> control = Find("GS_SplashLogos", "logos");
  for (int i = 0; i < 3; ++i) logos->OnWidgetEvent(control.get(), 10, 0);
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_SplashLogos"})) << "hiding";
  EXPECT_EQ(StoppedGroups("GS_SplashLogos"), 2);
  for (int i = 0; i < 20; ++i) Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
}

// ---------------------------------------------------------------------------------------
// Self-refresh

TEST_F(SplashScreens, SelfRefreshKeepsTheFirstWidgetsThenRebuildsFromItsXml) {
  struct Case {
    const char* attrs;
    bool rebuiltAtFirstShow;
  } cases[] = {{"", false}, {R"(refresh_on_first_show="yes")", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attrs);
    Start(GameXml(ScreenXml("GS_Rules", Widgets(BoxWidget("page", R"(visible="yes")")),
                            "GameScreenSplashSelfRefresh", c.attrs)));
    Ref<IWidget> loaded = Find("GS_Rules", "page");
    EXPECT_EQ(bool(loaded), !c.rebuiltAtFirstShow) << "only the name is read until the show";
    ASSERT_TRUE(game->ShowScreen("GS_Rules", nullptr));
    Ref<IWidget> first = Find("GS_Rules", "page");
    ASSERT_TRUE(first);
    EXPECT_EQ(first == loaded, !c.rebuiltAtFirstShow);
    first->SetVisible(false);

    ASSERT_TRUE(game->CloseScreen(Slave("GS_Rules"), nullptr));
    ASSERT_TRUE(game->ShowScreen("GS_Rules", nullptr));
    Ref<IWidget> second = Find("GS_Rules", "page");
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_TRUE(second->IsVisible()) << "as its XML says";
    EXPECT_EQ(second->GetOwner()->GetName(), Slave("GS_Rules")->GetRootWidget()->GetName());
    game->Done();
    game = nullptr;
  }
}

TEST_F(SplashScreens, SelfRefreshFactoryAddsItsContentAtEveryShow) {
  std::string window = R"(<widgetfactories>
      <widgetfactory type="WidgetFactory" name="refresh_content"><widgetstring>
        <widget type="test_box" name="content_%page%" visible="yes"/>
      </widgetstring></widgetfactory></widgetfactories>)" +
                       Widgets(BoxWidget("frame"));
  Start(GameXml(ScreenXml("GS_Rules", window, "GameScreenSplashSelfRefreshFactory")));
  for (int visit = 0; visit < 2; ++visit) {
    ASSERT_TRUE(game->ShowScreen("GS_Rules", SingleParam("page", Variant("1"))));
    Ref<IWidgetCollection> children = Slave("GS_Rules")->GetRootWidget()->GetChildren();
    EXPECT_EQ(children->Count(), 2) << "visit " << visit;
    EXPECT_TRUE(children->GetByName("content_1"));
    ASSERT_TRUE(game->CloseScreen(Slave("GS_Rules"), nullptr));
  }
}

// ---------------------------------------------------------------------------------------
// Loading screens

class LoadScreens : public SplashScreens {
 protected:
  // GS_Main below a loading screen GS_Load of that type holding the box "clock".
  void StartLoad(const std::string& type, const std::string& attrs = {},
                 const std::string& effects = {}) {
    std::string window = effects + Widgets(BoxWidget("clock", R"(visible="yes")") +
                                           BoxWidget("progress", R"(visible="yes")") +
                                           BoxWidget("image_loaded", R"(paused="yes")"));
    Start(GameXml(
        ScreenXml("GS_Load", window, type, attrs) + ScreenXml("GS_Main", Widgets(BoxWidget("m"))),
        R"(maings="GS_Main")"));
    Frame(16);
  }
  TGameScreenSplashAbstractLoad* Load() { return As<TGameScreenSplashAbstractLoad>("GS_Load"); }
  TestBoxWidget* Clock() { return dynamic_cast<TestBoxWidget*>(Find("GS_Load", "clock").get()); }
  // The times the clock box got in the frames that performed steps.
  std::vector<int> StepTimes() {
    std::vector<int> times;
    while (Load()->GetStepIndex() < Load()->GetStepCount()) {
      Frame(16);
      times.push_back(Clock()->lastDt);
    }
    return times;
  }
  static std::string Names(int count) {
    std::string list;
    for (int i = 0; i < count; ++i) list += "r" + std::to_string(i) + ";";
    return list;
  }
};

TEST_F(LoadScreens, TheSyntheticClockHandsOutTheTotalOverTheSteps) {
  struct Case {
    const char* attrs;
    int steps;
    std::vector<int> first;  // the first times, then...
    int last;                // ...the last step's
  } cases[] = {
      {"", 3, {67, 67}, 66},
      {R"(total_updates="0")", 3, {0, 0}, 0},
      {"", 250, {1, 1}, 0},  // more steps than milliseconds: not -49
      {R"(total_updates="90" TotalUpdates="30")", 1, {}, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.attrs) + " " + std::to_string(c.steps));
    StartLoad("GameScreenSplashResourceLoad", c.attrs);
    ASSERT_TRUE(game->ShowScreen("GS_Load", SingleParam("load_list", Variant(Names(c.steps)))));
    std::vector<int> times = StepTimes();
    ASSERT_EQ(int(times.size()), c.steps);
    for (size_t i = 0; i < c.first.size(); ++i) EXPECT_EQ(times[i], c.first[i]);
    EXPECT_EQ(times.back(), c.last);
    EXPECT_FALSE(Load()->IsFinished());
    int updates = Clock()->updates;
    Frame(16);
    EXPECT_TRUE(Load()->IsFinished());
    EXPECT_EQ(Clock()->updates, updates) << "the frame that ends loading updates nothing";
    Frame(16);
    EXPECT_EQ(Clock()->lastDt, 16) << "then the real time";
    game->Done();
    game = nullptr;
  }
}

TEST_F(LoadScreens, WithoutParamsLoadingEndsAtTheFirstUpdate) {
  StartLoad("GameScreenSplashResourceLoad");
  ASSERT_TRUE(game->ShowScreen("GS_Load", nullptr));
  Frame(16);
  EXPECT_TRUE(Load()->IsFinished());
  EXPECT_FALSE(Find("GS_Load", "progress")->IsVisible());
  EXPECT_TRUE(Find("GS_Load", "image_loaded")->IsVisible());
  EXPECT_FALSE(Find("GS_Load", "image_loaded")->IsPaused());
}

TEST_F(LoadScreens, EveryShowCountsFromTheConfiguredTotal) {
  StartLoad("GameScreenSplashResourceLoad", R"(total_updates="100")", ShowEffect(48));
  std::vector<int> firstSteps;
  for (int visit = 0; visit < 3; ++visit) {
    ASSERT_TRUE(game->ShowScreen("GS_Load", SingleParam("load_list", Variant("a"))));
    Frame(16);
    firstSteps.push_back(Load()->GetTimePerStep());
    for (int i = 0; i < 6; ++i) Frame(16);
    ASSERT_TRUE(game->CloseScreen(Slave("GS_Load"), nullptr));
    Frame(16);
  }
  // The first frame falls into the show effect: one step of 100 + 16, at every visit.
  EXPECT_EQ(firstSteps, (std::vector<int>{116, 116, 116}));
}

TEST_F(LoadScreens, ANameOnBothListsIsNeitherUnloadedNorLoaded) {
  StartLoad("GameScreenSplashResourceLoad");
  Ref<FakeImageResource> a = MakeImage(nullptr), b = MakeImage(nullptr), c = MakeImage(nullptr);
  engine->resources["a"] = a;
  engine->resources["b"] = b;
  engine->resources["c"] = c;
  Ref<TParamCollection> params = TAbstractObject::Create<TParamCollection>();
  params->SetValue("unload_list", Variant("a;B"));
  params->SetValue("load_list", Variant("b;c;missing"));
  ASSERT_TRUE(game->ShowScreen("GS_Load", Ref<IParamCollection>(params.get())));
  for (int i = 0; i < 5; ++i) Frame(16);
  EXPECT_EQ(std::make_pair(a->unloads, a->loads), std::make_pair(1, 0));
  EXPECT_EQ(std::make_pair(b->unloads, b->loads), std::make_pair(0, 0));
  EXPECT_EQ(std::make_pair(c->unloads, c->loads), std::make_pair(0, 1));
  EXPECT_TRUE(Load()->IsFinished());
  EXPECT_TRUE(As<TGameScreenSplashResourceLoad>("GS_Load")->GetLoadList().empty());
}

TEST_F(LoadScreens, ImageLoadedClosesTheScreenOnlyOnceLoadingHasEnded) {
  StartLoad("GameScreenSplashResourceLoad");
  ASSERT_TRUE(game->ShowScreen("GS_Load", SingleParam("load_list", Variant("a;b"))));
  Frame(16);
  Ref<IWidget> loaded = Find("GS_Load", "image_loaded");
  Load()->OnWidgetEvent(loaded.get(), 1, 0);
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_Load"}));
  for (int i = 0; i < 3; ++i) Frame(16);
  Load()->OnWidgetEvent(loaded.get(), 1, 0);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
}

TEST_F(LoadScreens, CloseAfterLoadHidesTheScreenAndStopsItsSounds) {
  StartLoad("GameScreenSplashResourceLoad", R"(close_after_load="yes")", HideEffect(50));
  ASSERT_TRUE(game->ShowScreen("GS_Load", SingleParam("load_list", Variant("a"))));
  TakeLog();
  Frame(16);
  Frame(16);
  EXPECT_TRUE(Load()->IsFinished());
  EXPECT_EQ(StoppedGroups("GS_Load"), 1);
  EXPECT_EQ(Stack(), (Ids{"GS_Main", "GS_Load"})) << "its hide effect runs";
  for (int i = 0; i < 6; ++i) Frame(16);
  EXPECT_EQ(Stack(), (Ids{"GS_Main"}));
  EXPECT_EQ(TakeLog(), (Ids{"GS_Main.OnChildClosed(GS_Load,)"}));
}

TEST_F(LoadScreens, DefinitionsLoadOnePerStepAndAreEmptiedAtTheEnd) {
  StartLoad("GameScreenSplashResourceDefsLoad");
  Ref<TResourceDefCollection> definitions = TAbstractObject::Create<TResourceDefCollection>();
  definitions->SetTarget(engine.get());
  definitions->SetGroup("scene");
  definitions->Define("img_a", "ImageResource", "\\format=png", "a.png");
  definitions->Define("img_b", "ImageResource", "\\format=png", "b.png");
  Ref<IInterface> held(static_cast<IResourceDefCollection*>(definitions.get()));
  ASSERT_TRUE(game->ShowScreen("GS_Load", SingleParam("resource_defs", Variant(held))));
  EXPECT_EQ(Load()->GetStepCount(), 2);
  Frame(16);
  EXPECT_EQ(engine->storageLoads.size(), 1u);
  Frame(16);
  EXPECT_EQ(engine->storageLoads.size(), 2u);
  Frame(16);
  EXPECT_TRUE(Load()->IsFinished());
  EXPECT_EQ(definitions->Count(), 0) << "emptied for their other holders too";

  // Any other value of the parameter: no definitions, no steps.
  ASSERT_TRUE(game->CloseScreen(Slave("GS_Load"), nullptr));
  ASSERT_TRUE(game->ShowScreen("GS_Load", SingleParam("resource_defs", Variant("defs"))));
  EXPECT_EQ(Load()->GetStepCount(), 0);
}

}  // namespace
