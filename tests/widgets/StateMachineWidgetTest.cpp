// The state-machine widget: weighted picks, the action cycle and its XML.

#include <string>
#include <vector>

#include "foundation/Random.h"
#include "foundation/XMLStorage.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/StateMachineWidget.h"
#include "widgets/WidgetsRegistration.h"

namespace {

class StateMachines : public WidgetFixture {
 protected:
  StateMachines() { RegisterWidgetsClasses(); }

  // A machine with the children "a", "b", "c" and the given "actiondef" elements.
  TStateMachineWidget* Build(const std::string& defs, bool show = true) {
    std::string xml = R"(<widget type="statemachine_widget" name="m" visible="yes"><widgets>
                           <widget type="test_box" name="a" visible="yes"/>
                           <widget type="test_box" name="b" visible="yes"/>
                           <widget type="test_box" name="c" visible="yes"/></widgets>
                         <actiondefs>)" +
                      defs + "</actiondefs></widget>";
    machine = show ? Show(xml) : Load(xml);
    return dynamic_cast<TStateMachineWidget*>(machine.get());
  }

  static std::string Def(int state, int weight, int duration, int next, const char* widget) {
    return "<actiondef state=\"" + std::to_string(state) + "\" probability=\"" +
           std::to_string(weight) + "\" duration=\"" + std::to_string(duration) +
           "\" nextstate=\"" + std::to_string(next) + "\" widgetname=\"" + widget + "\"/>";
  }

  // The visible children.
  std::string Running() {
    std::string shown;
    for (const char* name : {"a", "b", "c"}) {
      Ref<IWidget> child = machine->FindWidget(name);
      EXPECT_EQ(child->IsVisible(), !child->IsPaused()) << name;
      if (child->IsVisible()) shown += name;
    }
    return shown;
  }

  Ref<IWidget> machine;
};

TEST_F(StateMachines, PickActionByWalksTheWeightsInOrder) {
  struct Case {
    std::vector<std::pair<int, const char*>> weights;  // of state 0, in file order
    std::vector<const char*> byDraw;                   // the pick for draws 0, 1, ...
  } cases[] = {
      {{{3, "a"}, {1, "b"}}, {"a", "a", "a", "a"}},  // "at least what is left" favours A
      {{{1, "b"}, {3, "a"}}, {"b", "b", "a", "a"}},
      {{{0, "a"}, {2, "b"}}, {"a", "b"}},  // weight 0 wins a draw of 0
      {{{0, "a"}, {0, "b"}}, {"a"}},       // sum 0: the first
      {{{1, "a"}}, {"a", "a", ""}},        // past the sum: none
  };
  for (const Case& c : cases) {
    std::string defs = Def(1, 5, 10, 0, "c");  // another state is never looked at
    for (const auto& [weight, widget] : c.weights) defs += Def(0, weight, 10, 0, widget);
    TStateMachineWidget* m = Build(defs, false);
    for (size_t draw = 0; draw < c.byDraw.size(); ++draw) {
      SCOPED_TRACE(defs + " draw " + std::to_string(draw));
      Ref<IActionDef> pick = m->PickActionBy(0, int32_t(draw));
      EXPECT_EQ(pick ? pick->GetWidgetName() : std::string(), c.byDraw[draw]);
    }
  }
  TStateMachineWidget* m =
      Build(Def(0, 3, 1, 0, "a") + Def(0, 1, 1, 0, "b") + Def(2, 9, 1, 0, "c"), false);
  EXPECT_EQ(m->SumProbability(0), 4);
  EXPECT_EQ(m->SumProbability(2), 9);
  EXPECT_EQ(m->SumProbability(7), 0);
  EXPECT_EQ(m->PickActionBy(7, 0), nullptr);
}

TEST_F(StateMachines, ChildrenWaitUntilTheOwnerStartsTheFirstAction) {
  Build(Def(0, 1, 100, 1, "b") + Def(1, 1, 50, 0, "c"), false);
  EXPECT_EQ(Running(), "");
  window->SetRoot(machine);
  EXPECT_EQ(Running(), "b");
  Frame(60);
  Frame(40);  // 100: state 1
  EXPECT_EQ(Running(), "c");
  Frame(50);
  EXPECT_EQ(Running(), "b");
  EXPECT_EQ(machine->FindWidget("b")->GetProperty("currenttime").ToInt(), 0);  // restarted
}

TEST_F(StateMachines, AnActionOfNoDurationIsReplacedAtEveryUpdate) {
  TStateMachineWidget* m = Build(Def(0, 1, 0, 1, "a") + Def(1, 1, 0, 0, "b"));
  EXPECT_EQ(Running(), "a");
  Frame(16);
  EXPECT_EQ(Running(), "b");
  Frame(16);
  EXPECT_EQ(Running(), "a");
  EXPECT_EQ(m->GetState(), 0);
}

TEST_F(StateMachines, ANextStateWithoutDefinitionsPausesForOneDuration) {
  TStateMachineWidget* m = Build(Def(0, 1, 100, 5, "a"));
  EXPECT_EQ(Running(), "a");
  Frame(100);  // state 5 has nothing: no action, the last duration again
  EXPECT_EQ(Running(), "");
  EXPECT_EQ(m->GetCurrentAction(), nullptr);
  EXPECT_EQ(m->GetActionDuration(), 100);
  Frame(99);
  EXPECT_EQ(Running(), "");
  Frame(1);  // from state 0 again
  EXPECT_EQ(Running(), "a");
}

TEST_F(StateMachines, TwoDefinitionsOfOneChildRestartIt) {
  Build(Def(0, 1, 100, 1, "a") + Def(1, 1, 100, 0, "a"));
  Frame(60);  // the child was updated by its restart in this frame already
  Frame(30);
  EXPECT_EQ(machine->FindWidget("a")->GetProperty("currenttime").ToInt(), 30);
  Frame(10);
  EXPECT_EQ(Running(), "a");
  EXPECT_EQ(machine->FindWidget("a")->GetProperty("currenttime").ToInt(), 0);
}

TEST_F(StateMachines, DrawsFollowTheWeightsOverManyActions) {
  SetRandomSeed(11);
  TStateMachineWidget* m =
      Build(Def(0, 1, 0, 0, "a") + Def(0, 2, 0, 0, "b") + Def(0, 1, 0, 0, "c"));
  int counts[3] = {};
  for (int i = 0; i < 400; ++i) {
    Frame(1);
    counts[m->GetCurrentAction()->GetWidgetName()[0] - 'a']++;
  }
  // Draws 0..3: a takes 0 and 1, b takes 2 and 3, c never.
  EXPECT_GT(counts[0], 150);
  EXPECT_GT(counts[1], 150);
  EXPECT_EQ(counts[2], 0);
}

TEST_F(StateMachines, DefinitionsAreSavedBack) {
  Build(Def(0, 3, 120, 1, "a") + Def(1, 1, 40, 0, "b"), false);
  Ref<IHierStorageRoot> saved = CreateXmlStorage("widget");
  SaveObject(Ref<IInterface>(machine.get()), Ref<IHierStorage>(saved.get()));
  Ref<IHierStorage> defs = saved->GetChildByName("actiondefs");
  ASSERT_TRUE(defs);
  ASSERT_EQ(defs->GetChildCount("actiondef"), 2);
  Ref<IHierStorage> first = defs->GetChild("actiondef", 0);
  EXPECT_EQ(first->GetAttr("state").ToString(), "0");
  EXPECT_EQ(first->GetAttr("probability").ToString(), "3");
  EXPECT_EQ(first->GetAttr("duration").ToString(), "120");
  EXPECT_EQ(first->GetAttr("nextstate").ToString(), "1");
  EXPECT_EQ(first->GetAttr("widgetname").ToString(), "a");
  EXPECT_EQ(defs->GetChild("actiondef", 1)->GetAttr("widgetname").ToString(), "b");
}

}  // namespace
