// Transparent and move scenarios, the butterfly test scenario and the sequence of
// transition children.

#include <string>
#include <vector>

#include "tests/support/WidgetFixture.h"
#include "widgets/SimpleScenarios.h"
#include "widgets/WidgetsRegistration.h"

namespace {

class SimpleScenarios : public WidgetFixture {
 protected:
  SimpleScenarios() { RegisterWidgetsClasses(); }

  // A root group holding the box "box" (transparency 200) and Widgets.
  void Build(const std::string& widgets) {
    root = Show(R"(<widget type="group_widget" name="root" visible="yes"><widgets>
                     <widget type="test_box" name="box" visible="yes" transparentlevel="200"
                             anchor_left="1" anchor_top="2"/>)" +
                widgets + "</widgets></widget>");
    box = root->FindWidget("box");
  }

  void Link(const std::string& scenario, const Ref<IWidget>& widget) {
    root->FindWidget(scenario)->SetProperty("widget", Variant(Ref<IInterface>(widget.get())));
  }

  Ref<IWidget> root;
  Ref<IWidget> box;
};

// ---------------------------------------------------------------------------------------
// Transparent scenario

TEST_F(SimpleScenarios, FadeReachesHalfWayAtHalfTimeAndRestoresTheLevel) {
  Build(R"(<widget type="transparent_scenario" name="fade" timetolive="1000"
                   start_trans_level="0" end_trans_level="255"/>)");
  Link("fade", box);
  EXPECT_EQ(box->GetTransparentLevel(), 0);
  for (int i = 0; i < 5; ++i) Frame(100);
  EXPECT_EQ(box->GetTransparentLevel(), 127);  // 255 * 500 div 1000
  Frame(250);
  EXPECT_EQ(box->GetTransparentLevel(), 191);
  Frame(250);  // the lifetime is over: the level it had comes back
  EXPECT_EQ(box->GetTransparentLevel(), 200);
  EXPECT_TRUE(box->IsVisible());
  EXPECT_EQ(root->FindWidget("fade"), nullptr);
}

TEST_F(SimpleScenarios, MakeInvisibleHidesWithTheSavedLevel) {
  Build(R"(<widget type="transparent_scenario" name="fade" timetolive="100" start_trans_level="255"
                   end_trans_level="0" makeinvisible="yes"/>)");
  Link("fade", box);
  Frame(50);
  EXPECT_EQ(box->GetTransparentLevel(), 128);
  Frame(60);
  EXPECT_FALSE(box->IsVisible());
  EXPECT_EQ(box->GetTransparentLevel(), 200);
}

TEST_F(SimpleScenarios, WithoutALifetimeTheStartLevelHoldsUntilTheFirstUpdate) {
  Build(R"(<widget type="transparent_scenario" name="fade" start_trans_level="40"
                   end_trans_level="255"/>)");
  Link("fade", box);  // no division by the lifetime of 0
  EXPECT_EQ(box->GetTransparentLevel(), 40);
  Frame(16);
  EXPECT_EQ(box->GetTransparentLevel(), 200);
  EXPECT_EQ(root->FindWidget("fade"), nullptr);
}

TEST_F(SimpleScenarios, ANegativeClockWaitsAtTheStartLevel) {
  Build(R"(<widget type="transparent_scenario" name="fade" timetolive="100"
                   start_trans_level="0" end_trans_level="200"/>)");
  Link("fade", box);
  root->FindWidget("fade")->SetProperty("currenttime", Variant(-300));
  Frame(200);
  EXPECT_EQ(box->GetTransparentLevel(), 0);
  Frame(150);  // 50 of 100
  EXPECT_EQ(box->GetTransparentLevel(), 100);
}

TEST_F(SimpleScenarios, RelinkingReleasesTheFirstWidgetsOwner) {
  Build(R"(<widget type="transparent_scenario" name="fade" timetolive="100" start_trans_level="0"
                   end_trans_level="255"/>
           <widget type="test_box" name="other" transparentlevel="90"/>)");
  Ref<IWidget> other = root->FindWidget("other");
  Link("fade", box);
  Link("fade", other);
  EXPECT_EQ(box->GetOwner(), nullptr);
  EXPECT_EQ(root->FindWidget("fade")->GetProperty("widget").RawInterface(),
            Ref<IInterface>(other.get()));
  EXPECT_EQ(other->GetTransparentLevel(), 0);
}

// ---------------------------------------------------------------------------------------
// Move scenario

TEST_F(SimpleScenarios, MoveFollowsTimeAndEndsAtTheEndPoint) {
  Build(R"(<widget type="move_scenario" name="move" timetolive="200" startposx="10"
                   startposy="-20" endposx="30" endposy="20" start_trans_level="0"
                   end_trans_level="255"/>)");
  Link("move", box);
  EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), 1);  // nothing moves before the clock runs
  Frame(50);
  EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), 15);
  EXPECT_DOUBLE_EQ(box->GetAnchorTop(), -10);
  EXPECT_EQ(box->GetTransparentLevel(), 63);
  Frame(100);
  EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), 25);
  EXPECT_DOUBLE_EQ(box->GetAnchorTop(), 10);
  Frame(100);
  EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), 30);
  EXPECT_DOUBLE_EQ(box->GetAnchorTop(), 20);
  EXPECT_EQ(box->GetTransparentLevel(), 200);
}

// ---------------------------------------------------------------------------------------
// Butterflies

TEST_F(SimpleScenarios, TheTestScenarioFillsTheScreenOnce) {
  root = Show(R"(<widget type="group_widget" name="root" visible="yes">
                   <widgetfactories><widgetfactory type="WidgetFactory" name="Butterfly">
                     <widgetstring><widget type="test_box" name="%name%" anchor_left="%left%"
                                           anchor_top="%top%"/></widgetstring>
                   </widgetfactory></widgetfactories>
                   <widgets><widget type="scenario" name="test"/></widgets></widget>)");
  Frame(0);
  EXPECT_EQ(root->GetChildren()->Count(), 1);  // the clock is not above 0 yet
  Frame(16);
  ASSERT_EQ(root->GetChildren()->Count(), 101);
  Ref<IWidget> last = root->FindWidget("butterfly100");
  ASSERT_TRUE(last);
  EXPECT_GE(last->GetAnchorLeft(), 0);
  EXPECT_LT(last->GetAnchorLeft(), 640);
  EXPECT_LT(last->GetAnchorTop(), 480);
  Ref<IWidget> test = root->FindWidget("test");
  EXPECT_TRUE(test->IsPaused());
  EXPECT_EQ(test->GetProperty("currenttime").ToInt(), 0);
}

// ---------------------------------------------------------------------------------------
// Sequence

class Sequences : public SimpleScenarios {
 protected:
  void BuildSequence(const std::string& extra) {
    std::string children;
    for (int i = 0; i < 4; ++i)
      children += R"(<widget type="test_box" name="p)" + std::to_string(i) +
                  R"(" visible="yes" extraparams="\surface1=\surface2="/>)";
    Build(R"(<widget type="sequience_transition_effect" name="seq" visible="yes"
                     durationtime="1000" )" +
          extra + "><widgets>" + children + "</widgets></widget>");
    seq = dynamic_cast<TSequienceTransitionEffectWidget*>(root->FindWidget("seq").get());
    ASSERT_TRUE(seq);
  }

  // The shown children as indexes, "" for none.
  std::string Shown() {
    std::string shown;
    for (int i = 0; i < 4; ++i) {
      Ref<IWidget> child = root->FindWidget("seq/p" + std::to_string(i));
      if (child->IsVisible()) {
        shown += std::to_string(i);
        EXPECT_FALSE(child->IsPaused());
      } else {
        EXPECT_TRUE(child->IsPaused());
      }
    }
    return shown;
  }

  TSequienceTransitionEffectWidget* seq = nullptr;
};

TEST_F(Sequences, ChildrenTakeTurnsAcrossTheDuration) {
  for (bool loop : {false, true}) {
    SCOPED_TRACE(loop);
    BuildSequence(loop ? R"(extraparams="\loop=yes")" : "");
    EXPECT_EQ(Shown(), "");  // loaded hidden and paused
    EXPECT_EQ(seq->GetCurrentIndex(), -1);
    const char* expected[] = {"0", "0", "1", "2", "2", "2", "3"};  // every 125 ms
    Frame(0);
    EXPECT_EQ(Shown(), expected[0]);
    for (int i = 1; i < 7; ++i) {
      Frame(125);
      EXPECT_EQ(Shown(), expected[i]) << "at " << i * 125;
    }
    Frame(125);  // 875 ms: index 3.5 rounds to 4
    EXPECT_EQ(Shown(), loop ? "0" : "");
    EXPECT_EQ(seq->GetCurrentIndex(), loop ? 0 : 4);
  }
}

TEST_F(Sequences, EachChildGetsTheTwoSurfaces) {
  BuildSequence("");
  Ref<ISurface> one = Ref<ISurface>(NewSurface(2, 2).get());
  seq->SetProperty("surface1", Variant(Ref<IInterface>(one.get())));
  seq->SetProperty("surface2", Variant(5));  // no surface: none
  EXPECT_EQ(seq->GetProperty("surface1").RawInterface(), Ref<IInterface>(one.get()));
  EXPECT_TRUE(seq->GetProperty("surface2").IsNull());
  Frame(0);
  Ref<IWidget> first = root->FindWidget("seq/p0");
  EXPECT_EQ(first->GetProperty("surface1").RawInterface(), Ref<IInterface>(one.get()));
  EXPECT_TRUE(first->GetProperty("surface2").IsClear());
  EXPECT_EQ(seq->GetProperty("durationtime").ToInt(), 1000);
}

TEST_F(Sequences, NothingWithoutADuration) {
  BuildSequence(R"(durationtime="0")");
  Frame(100);
  EXPECT_EQ(Shown(), "");
}

}  // namespace
