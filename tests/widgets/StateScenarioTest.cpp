// The state scenario: the order of a state's callbacks within an update, transitions,
// the timer, the wait list, children from factories and finishing by force or by click.

#include <string>
#include <vector>

#include "foundation/XMLStorage.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/StateScenario.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// A scenario whose states log what runs: "name.enter", "name.update(dt)", "name.leave?",
// "name.next".
class LoggedScenario : public TStateScenario {
 public:
  std::vector<std::string> log;

  // A state with every callback logged. CanLeave answers Leave (when set), GetNext writes
  // Next (when set).
  void Add(const std::string& name, const std::string& next, const bool* leave = nullptr,
           const char* nextOverride = nullptr) {
    TStateCallbacks callbacks;
    callbacks.OnEnter = [this](TState& s) { log.push_back(s.GetName() + ".enter"); };
    callbacks.OnUpdate = [this](TState& s, int32_t dt) {
      log.push_back(s.GetName() + ".update(" + std::to_string(dt) + ")");
    };
    if (leave)
      callbacks.CanLeave = [this, leave](TState& s) {
        log.push_back(s.GetName() + ".leave?");
        return *leave;
      };
    if (nextOverride)
      callbacks.GetNext = [this, nextOverride](TState& s, std::string& successor) {
        log.push_back(s.GetName() + ".next");
        successor = nextOverride;
      };
    EXPECT_TRUE(AddState(name, next, std::move(callbacks)));
  }

  std::vector<std::string> TakeLog() { return std::exchange(log, {}); }
};

class StateScenarios : public WidgetFixture {
 protected:
  StateScenarios() { RegisterWidgetsClasses(); }

  // A scenario as the child "run" of a visible mouse-stop root group.
  Ref<LoggedScenario> Attach(const std::string& attributes = "") {
    root = Show(R"(<widget type="group_widget" name="root" visible="yes" mousestop="yes">
                     <widgetfactories>
                       <widgetfactory type="WidgetFactory" name="spark"><widgetstring>
                         <widget type="test_box" name="%id%" visible="yes" width="4" height="4"
                                 timetolive="%life%"/>
                       </widgetstring></widgetfactory>
                     </widgetfactories>
                   </widget>)");
    auto scenario = TAbstractObject::Create<LoggedScenario>();
    scenario->SetName("run");
    if (!attributes.empty())
      scenario->LoadFromXml(LoadXmlStorageFromText("<widget name=\"run\" " + attributes + "/>"));
    root->GetChildren()->Add(Ref<IWidget>(scenario.get()));
    return scenario;
  }

  static Ref<IParamCollection> Params(const std::string& text) { return ParamsFromString(text); }

  Ref<IWidget> root;
  bool yes = true;
  bool no = false;
};

// ---------------------------------------------------------------------------------------
// The machine

TEST_F(StateScenarios, FirstUpdateEntersUpdatesAndChecksTheSameState) {
  Ref<LoggedScenario> s = Attach();
  s->Add("first", "second", &no);
  s->Add("enter", "first", &yes);
  s->Add("second", "", &yes);

  Frame(16);
  EXPECT_EQ(s->TakeLog(), (std::vector<std::string>{"enter.enter", "enter.update(16)",
                                                    "enter.leave?", "first.enter"}));
  EXPECT_EQ(s->GetPreviousStateName(), "enter");

  Frame(16);  // "first" may not be left: it stays
  EXPECT_EQ(s->TakeLog(), (std::vector<std::string>{"first.update(16)", "first.leave?"}));
  EXPECT_EQ(s->GetStateTime(), 16);

  no = true;
  Frame(16);
  EXPECT_EQ(s->TakeLog(),
            (std::vector<std::string>{"first.update(16)", "first.leave?", "second.enter"}));
  EXPECT_EQ(s->GetStateTime(), 0);
  EXPECT_FALSE(s->IsDead());

  Frame(16);  // "second" has no successor: the scenario ends
  EXPECT_EQ(s->TakeLog(), (std::vector<std::string>{"second.update(16)", "second.leave?"}));
  EXPECT_TRUE(s->IsDead());
  EXPECT_EQ(root->GetChildren()->Count(), 0);
}

TEST_F(StateScenarios, StartsInTheFirstStateAddedWithoutEnter) {
  Ref<LoggedScenario> s = Attach();
  s->Add("idle", "idle", &no);
  s->Add("other", "", &yes);
  Frame(10);
  ASSERT_TRUE(s->GetCurrentState());
  EXPECT_EQ(s->GetCurrentState()->GetName(), "idle");
}

TEST_F(StateScenarios, AStateWithoutTestsIsLeftAtItsFirstUpdate) {
  Ref<LoggedScenario> s = Attach();
  ASSERT_TRUE(s->AddState("enter", "b"));
  ASSERT_TRUE(s->AddState("b", "c"));
  ASSERT_TRUE(s->AddState("c", ""));
  Frame(10);
  EXPECT_EQ(s->GetCurrentState()->GetName(), "b");  // one transition per update
  Frame(10);
  EXPECT_EQ(s->GetCurrentState()->GetName(), "c");
  Frame(10);
  EXPECT_TRUE(s->IsDead());
}

TEST_F(StateScenarios, LastStateWithAlwaysTrueEndsAtItsFirstUpdate) {
  Ref<LoggedScenario> s = Attach();
  ASSERT_TRUE(s->AddState("enter", "", {.CanLeave = s->When(&TStateScenario::AlwaysTrue)}));
  Frame(1);
  EXPECT_TRUE(s->IsDead());
}

TEST_F(StateScenarios, XmlScenarioWithoutStatesLivesOn) {
  Ref<IWidget> w = Show(R"(<widget type="state_scenario" name="s"/>)");
  for (int i = 0; i < 5; ++i) Frame(100);
  EXPECT_FALSE(w->IsDead());
  EXPECT_EQ(w->GetProperty("currenttime").ToInt(), 500);
}

TEST_F(StateScenarios, GetNextChoosesTheSuccessor) {
  struct Case {
    const char* written;
    const char* expected;
  } cases[] = {
      {"next", "b"},      // the state's own next name
      {"c", "c"},         // another state
      {"", ""},           // none: the scenario ends
      {"ghost", ""},      // no such state: ends too
      {"enter", "enter"}  // the same state again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    Ref<LoggedScenario> s = Attach();
    s->Add("enter", "b", nullptr, c.written);
    s->Add("b", "b", &no);
    s->Add("c", "c", &no);
    Frame(5);
    if (*c.expected) {
      ASSERT_TRUE(s->GetCurrentState());
      EXPECT_EQ(s->GetCurrentState()->GetName(), c.expected);
    }
    EXPECT_EQ(s->IsDead(), !*c.expected);
    window->SetRoot(nullptr);
  }
}

TEST_F(StateScenarios, ASuccessorOfItsOwnNameEntersTheStateAgain) {
  Ref<LoggedScenario> s = Attach();
  s->Add("enter", "enter");
  Frame(7);
  Frame(7);
  EXPECT_EQ(s->TakeLog(), (std::vector<std::string>{"enter.enter", "enter.update(7)", "enter.enter",
                                                    "enter.update(7)", "enter.enter"}));
  EXPECT_EQ(s->GetStateTime(), 0);
}

TEST_F(StateScenarios, ANegativeClockDelaysTheStart) {
  Ref<LoggedScenario> s = Attach(R"(currenttime="-30")");
  s->Add("enter", "enter", &no);
  Frame(20);
  EXPECT_TRUE(s->TakeLog().empty());
  Frame(20);  // the clock reaches -10 + 20 = 10
  EXPECT_EQ(s->TakeLog(),
            (std::vector<std::string>{"enter.enter", "enter.update(20)", "enter.leave?"}));
}

TEST_F(StateScenarios, FindStateByNameInAnyCaseOrByPosition) {
  Ref<LoggedScenario> s = Attach();
  ASSERT_TRUE(s->AddState("Fly", "land"));
  ASSERT_TRUE(s->AddState("land", ""));
  EXPECT_FALSE(s->AddState("FLY", "other"));
  EXPECT_EQ(s->StateCount(), 2);
  EXPECT_EQ(s->FindState(Variant("fly"))->GetNextName(), "land");
  EXPECT_EQ(s->FindState(Variant(1))->GetName(), "land");
  EXPECT_EQ(s->FindState(Variant(2)), nullptr);
  EXPECT_EQ(s->FindState(Variant(-1)), nullptr);
  EXPECT_EQ(s->FindState(Variant()), nullptr);
}

// ---------------------------------------------------------------------------------------
// Timer and wait list

TEST_F(StateScenarios, TimerRunsOnTheScenarioClock) {
  Ref<LoggedScenario> s = Attach();
  s->AddState("enter", "");  // nothing but a clock
  Frame(50);
  s->RestartTimer(0);
  EXPECT_EQ(s->GetCurrentTime(), 0);
  EXPECT_TRUE(s->TimerElapsed());  // 0 >= 0 at once
  EXPECT_TRUE(s->TimerElapsed());  // and stays elapsed

  s->RestartTimer(100);
  EXPECT_FALSE(s->TimerElapsed());
  s->SetProperty("currenttime", Variant(99));
  EXPECT_FALSE(s->TimerElapsed());
  s->SetProperty("currenttime", Variant(100));
  EXPECT_TRUE(s->TimerElapsed());
  EXPECT_EQ(s->GetTimerDuration(), 0);

  s->SetProperty("currenttime", Variant(-40));  // a start delay is kept
  s->RestartTimer(10);
  EXPECT_EQ(s->GetCurrentTime(), -40);
  EXPECT_FALSE(s->TimerElapsed());
}

TEST_F(StateScenarios, TimerAsALeaveTest) {
  Ref<LoggedScenario> s = Attach();
  ASSERT_TRUE(s->AddState("enter", "done",
                          {.OnEnter = [&](TState&) { s->RestartTimer(40); },
                           .CanLeave = s->When(&TStateScenario::TimerElapsed)}));
  ASSERT_TRUE(s->AddState("done", "done", {.CanLeave = [](TState&) { return false; }}));
  Frame(16);  // entering sets the clock back to 0
  Frame(16);
  Frame(16);  // 32
  EXPECT_EQ(s->GetCurrentState()->GetName(), "enter");
  Frame(16);  // 48 >= 40
  EXPECT_EQ(s->GetCurrentState()->GetName(), "done");
}

TEST_F(StateScenarios, WaitListCountsLivingChildrenOnly) {
  Ref<LoggedScenario> s = Attach();
  EXPECT_TRUE(s->WaitListDone());  // empty

  s->AddWaitWidget("never_made");
  s->AddWaitWidget("../ghost");
  EXPECT_EQ(s->GetWaitList(), "../ghost;never_made");
  EXPECT_TRUE(s->WaitListDone());
  EXPECT_EQ(s->GetWaitList(), "");

  Ref<IWidget> a = s->CreateChildWidget("spark", Params("id=a\\life=0"), true);
  Ref<IWidget> b = s->CreateChildWidget("spark", Params("id=b\\life=30"), true);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(s->GetWaitList(), "b;a");
  EXPECT_FALSE(s->WaitListDone());
  a->SetDead(true);
  Frame(16);  // b lives 30 ms
  EXPECT_FALSE(s->WaitListDone());
  EXPECT_EQ(s->GetWaitList(), "b;a");
  Frame(16);
  EXPECT_TRUE(s->WaitListDone());
  EXPECT_EQ(s->GetWaitList(), "");
}

TEST_F(StateScenarios, ChildWidgetsFromFactories) {
  Ref<LoggedScenario> s = Attach();
  Ref<IWidget> holder = Load(R"(<widget type="group_widget" name="holder"/>)");
  ASSERT_TRUE(root->GetChildren()->Add(holder));

  // Into another parent, the first form, found through the root's factories.
  Ref<IWidget> one = s->CreateChildWidget(holder.get(), "spark", false, Params("id=one\\life=0"));
  ASSERT_TRUE(one);
  EXPECT_EQ(one->GetOwner(), dynamic_cast<IWidgetOwner*>(holder.get()));
  EXPECT_EQ(s->GetWaitList(), "");
  // A second widget of that name is dropped.
  EXPECT_FALSE(s->CreateChildWidget(holder.get(), "spark", true, Params("id=ONE\\life=0")));
  EXPECT_EQ(s->GetWaitList(), "");
  EXPECT_EQ(holder->GetChildren()->Count(), 1);

  // Into the scenario, the second form.
  Ref<IWidget> two = s->CreateChildWidget("spark", Params("id=two\\life=0"), true);
  ASSERT_TRUE(two);
  EXPECT_EQ(s->GetChildren()->GetByName("two"), two);
  EXPECT_EQ(s->GetWaitList(), "two");

  // No such factory, no parent, a parent without children: nothing.
  EXPECT_FALSE(s->CreateChildWidget("ghost", nullptr, true));
  EXPECT_FALSE(s->CreateChildWidget(nullptr, "spark", true, Params("id=x\\life=0")));
  Ref<IWidget> leaf = Load(R"(<widget type="test_box" name="leaf"/>)");
  EXPECT_FALSE(s->CreateChildWidget(leaf.get(), "spark", true, Params("id=y\\life=0")));
  EXPECT_EQ(s->GetWaitList(), "two");
}

// ---------------------------------------------------------------------------------------
// Finishing

class FinishCounting : public LoggedScenario {
 public:
  int finishes = 0;
  void Finish() override {
    ++finishes;
    LoggedScenario::Finish();
  }
};

TEST_F(StateScenarios, ForceCompleteThePropertyOnlySetsTheFlag) {
  auto s = TAbstractObject::Create<FinishCounting>();
  s->AddState("enter", "enter", {.CanLeave = [](TState&) { return false; }});
  window->SetRoot(Ref<IWidget>(s.get()));

  s->SetProperty("force_complete", Variant(true));
  EXPECT_TRUE(s->IsForceComplete());
  EXPECT_TRUE(s->GetProperty("force_complete").ToBool());
  EXPECT_EQ(s->finishes, 0);
  EXPECT_FALSE(s->IsDead());

  s->SetForceComplete(false);
  EXPECT_EQ(s->finishes, 0);
  EXPECT_FALSE(s->IsDead());

  s->SetForceComplete(true);
  EXPECT_EQ(s->finishes, 1);
  EXPECT_TRUE(s->IsDead());

  auto k = TAbstractObject::Create<FinishCounting>();
  k->Kill();
  EXPECT_TRUE(k->IsDead());
  EXPECT_EQ(k->finishes, 0);
}

TEST_F(StateScenarios, ClickToCompleteTakesEmptyAreasAndAnyRelease) {
  for (uint32_t release : {514u, 517u, 520u}) {
    SCOPED_TRACE(release);
    auto s = TAbstractObject::Create<FinishCounting>();
    s->LoadFromXml(LoadXmlStorageFromText(
        R"(<widget name="s" visible="yes" mousestop="yes"><widgets>
             <widget type="test_box" name="b" visible="yes" mousestop="yes" width="10"
                     height="10" handles="yes"/></widgets></widget>)"));
    window->SetRoot(Ref<IWidget>(s.get()));

    EXPECT_EQ(s->WidgetAtPos({50, 50}), nullptr);  // not yet in the mode
    s->SetClickToComplete(true);
    EXPECT_EQ(s->WidgetAtPos({50, 50}), Ref<IWidget>(s.get()));
    EXPECT_EQ(s->WidgetAtPos({5, 5}), s->FindWidget("b"));  // a child first

    EXPECT_FALSE(s->HandleMouse(release - 1, {50, 50}, 0));  // a press does nothing
    EXPECT_EQ(s->finishes, 0);
    s->HandleMouse(release, {50, 50}, 0);
    EXPECT_EQ(s->finishes, 1);
    EXPECT_TRUE(s->IsForceComplete());
    EXPECT_TRUE(s->IsDead());
  }
}

TEST_F(StateScenarios, ClickToCompleteFinishesEvenWhenAChildHandledTheRelease) {
  auto s = TAbstractObject::Create<FinishCounting>();
  s->LoadFromXml(LoadXmlStorageFromText(
      R"(<widget name="s" visible="yes" mousestop="yes" process_mouse_type="give_to_all">
           <widgets><widget type="test_box" name="b" visible="yes" mousestop="yes" width="10"
                            height="10" handles="yes"/></widgets></widget>)"));
  window->SetRoot(Ref<IWidget>(s.get()));
  s->SetClickToComplete(true);
  EXPECT_TRUE(s->HandleMouse(514, {5, 5}, 0));
  EXPECT_EQ(Box(s->FindWidget("b"))->mouseMessages, (std::vector<uint32_t>{514}));
  EXPECT_EQ(s->finishes, 1);
}

}  // namespace
