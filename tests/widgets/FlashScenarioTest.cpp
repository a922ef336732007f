// Flash steps: the duration and value texts and how they are written back, and linear
// and tracking runs on fixed time steps.

#include <string>
#include <vector>

#include "foundation/XMLStorage.h"
#include "tests/widgets/FlashTestSupport.h"

namespace {

// ---------------------------------------------------------------------------------------
// Texts

TEST(FlashTexts, DurationsReadAndWrittenBack) {
  struct Case {
    const char* text;
    int32_t configured;
    int32_t range;
    bool valid;
    const char* written;
  } cases[] = {
      {"500", 500, 0, true, "500"},
      {"0", 0, 0, true, "0"},
      {"-5", -5, 0, true, "-5"},  // a leading "-" is no separator
      {"", -1, 0, true, ""},
      {"-1", -1, 0, true, ""},
      {"waitmouseup", -1, 0, true, "waitmouseup"},
      {"rnd:100", -1, 100, true, "rnd:100"},
      {"rnd:100:50", 100, 50, true, "rnd:100:50"},
      {"rnd:-5:10", -5, 10, true, "rnd:-5:10"},
      {"rnd:0", -1, 0, true, ""},  // no range: no duration
      {"playsound:S", -1, 0, true, "playsound:S"},
      {"playsound:S:500", -1, 500, true, "playsound:S:500"},
      {"playsound:S:500:3000", 3000, 500, true, "playsound:S:500:3000"},
      // The delay stays in front of the fallback, or the fallback would read back as it.
      {"playsound:S:0:3000", 3000, 0, true, "playsound:S:0:3000"},
      {"abc", -1, 0, false, ""},
      {"12.5", -1, 0, false, ""},
      {"wait:5", -1, 0, false, ""},
      {"rnd:x", -1, 0, false, ""},
      {"rnd:", -1, 0, false, ""},
      {":5", -1, 0, false, ""},
      {"playsound:S:soon", -1, 0, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TFlashDuration d = TFlashDuration::Parse(c.text);
    EXPECT_EQ(d.configured, c.configured);
    EXPECT_EQ(d.range, c.range);
    EXPECT_EQ(d.valid, c.valid);
    EXPECT_EQ(d.ToString(), c.written);
    EXPECT_EQ(TFlashDuration::Parse(d.ToString()).ToString(), c.written);
  }
  EXPECT_TRUE(TFlashDuration::Parse("waitmouseup").waitMouseUp);
  TFlashDuration sound = TFlashDuration::Parse("playsound:sound_page:250");
  EXPECT_TRUE(sound.soundTimed);
  EXPECT_EQ(sound.soundName, "sound_page");
}

TEST(FlashTexts, ValuesReadAndWrittenBack) {
  struct Case {
    const char* text;
    const char* property;
    const char* target;
    bool integer, inc, rnd, str;
    const char* written;
  } cases[] = {
      {"10", "anchor_left", "10", false, false, false, false, "float:10"},
      {"10", "transparentlevel", "10", true, false, false, false, "int:10"},
      {"10", "zoomy", "10", false, false, false, false, "float:10"},
      {"inc:5", "transparentlevel", "5", true, true, false, false, "int_inc:5"},
      {"rnd:100:50", "width", "100:50", true, false, true, false, "int_rnd:100:50"},
      {"rnd_inc:5-10", "angle", "5-10", false, true, true, false, "float_rnd_inc:5-10"},
      {"float:2.5", "transparentlevel", "2.5", false, false, false, false, "float:2.5"},
      {"int:7", "anchor_top", "7", true, false, false, false, "int:7"},
      {"str:Hello: you", "text", "Hello: you", true, false, false, true, "int_str:Hello: you"},
      {"str_inc:more", "text", "more", true, true, false, true, "int_inc_str:more"},
      // A head that is not all flags belongs to the value.
      {"12:30", "text", "12:30", true, false, false, false, "int:12:30"},
      {"bogus_inc:5", "width", "bogus_inc:5", true, false, false, false, "int:bogus_inc:5"},
      {"-5", "anchor_left", "-5", false, false, false, false, "float:-5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TFlashValue v = TFlashValue::Parse(c.text);
    EXPECT_EQ(v.target, c.target);
    EXPECT_EQ(v.IsInteger(c.property), c.integer);
    EXPECT_EQ(v.inc, c.inc);
    EXPECT_EQ(v.rnd, c.rnd);
    EXPECT_EQ(v.str, c.str);
    EXPECT_EQ(v.ToString(c.property), c.written);
    TFlashValue again = TFlashValue::Parse(v.ToString(c.property));
    EXPECT_EQ(again.ToString(c.property), c.written);
    EXPECT_EQ(again.target, c.target);
  }
}

TEST(FlashTexts, Ranges) {
  struct Case {
    const char* text;
    bool ok;
    double base, span;
  } cases[] = {
      {"100:50", true, 100, 50}, {"5-10", true, 5, 5},    {"10", true, 0, 10},
      {"-5", true, 0, -5},       {"2.5:1", true, 2.5, 1}, {"5--3", true, 5, -8},
      {"-5-3", false, 0, 0},     {"a:b", false, 0, 0},    {"", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    double base = -99, span = -99;
    EXPECT_EQ(ParseFlashRange(c.text, base, span), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(base, c.base);
    EXPECT_EQ(span, c.span);
  }
}

TEST(FlashTexts, SplitOnceAndCommandArguments) {
  std::string_view head, rest;
  EXPECT_TRUE(SplitOnce("a:b:c", ':', head, rest));
  EXPECT_EQ(head, "a");
  EXPECT_EQ(rest, "b:c");
  EXPECT_FALSE(SplitOnce(":b", ':', head, rest));
  EXPECT_FALSE(SplitOnce("plain", ':', head, rest));
  EXPECT_EQ(GetCommandArgument("closegamescreen:a=1"), "a=1");
  EXPECT_EQ(GetCommandArgument("closegamescreen"), "closegamescreen");
}

// ---------------------------------------------------------------------------------------
// XML

class FlashXml : public FlashFixture {};

TEST_F(FlashXml, StepsReadAndWriteTheirKeys) {
  Ref<IWidget> w = Load(
      R"(<widget type="flash_scenario" name="s" linked_widget_name="box" duration="playsound:S:0:900"
                 actiontype="linear" properties="anchor_left;text" value="rnd_inc:5-10;str:Hi"
                 show_on_start="yes" play_next="no" stop_previos="yes" previos="a" next="b;c"
                 z="3"/>)");
  Ref<IHierStorage> saved = Saved(w.get());
  auto attr = [&](const char* name) { return saved->GetAttr(name).ToString(); };
  EXPECT_EQ(attr("linked_widget_name"), "box");
  EXPECT_EQ(attr("duration"), "playsound:S:0:900");
  EXPECT_EQ(attr("actiontype"), "");  // linear is not written
  EXPECT_EQ(attr("properties"), "anchor_left;text");
  EXPECT_EQ(attr("value"), "float_rnd_inc:5-10;int_str:Hi");
  EXPECT_EQ(attr("show_on_start"), "yes");
  EXPECT_EQ(attr("play_next"), "no");
  EXPECT_EQ(attr("stop_previos"), "yes");
  EXPECT_EQ(attr("hide_on_end"), "");
  EXPECT_EQ(attr("mousestop"), "");
  EXPECT_EQ(attr("previos"), "a");
  EXPECT_EQ(attr("next"), "b;c");
  EXPECT_EQ(attr("z"), "3");

  EXPECT_EQ(w->GetProperty("duration").ToInt(), 900);
  EXPECT_EQ(w->GetProperty("properties").ToString(), "anchor_left;text");
  EXPECT_EQ(w->GetProperty("value").ToString(), "5-10;Hi");
  EXPECT_EQ(w->GetZ(), 3);
}

TEST_F(FlashXml, WaitMouseUpMakesAMouseStopByDefault) {
  Ref<IWidget> a = Load(R"(<widget type="flash_scenario" name="a" duration="waitmouseup"/>)");
  Ref<IWidget> b =
      Load(R"(<widget type="flash_scenario" name="b" duration="waitmouseup" mousestop="no"/>)");
  auto* fa = dynamic_cast<TFlashScenario*>(a.get());
  auto* fb = dynamic_cast<TFlashScenario*>(b.get());
  fa->Start();
  fb->Start();
  EXPECT_TRUE(a->IsMouseStop());
  EXPECT_FALSE(b->IsMouseStop());
}

TEST_F(FlashXml, IdleStepsReadNoValuesAndBadDataIsReported) {
  WarningCapture warnings;
  Ref<IWidget> idle = Load(R"(<widget type="flash_scenario" name="i" actiontype="idle"
                                      properties="a" value="1"/>)");
  EXPECT_EQ(idle->GetProperty("properties").ToString(), "");
  EXPECT_TRUE(warnings.Lines().empty());

  Load(R"(<widget type="flash_scenario" name="bad" duration="soon" properties="a;b" value="1"/>)");
  EXPECT_EQ(warnings.Lines(),
            (std::vector<std::string>{
                "warning: flash_scenario \"bad\": duration \"soon\" not understood; the step "
                "has no duration",
                "warning: flash_scenario \"bad\": 2 properties but 1 values; the step only "
                "waits"}));
}

// ---------------------------------------------------------------------------------------
// Linear runs

class FlashRuns : public FlashFixture {};

TEST_F(FlashRuns, IntegersRoundHalfToEvenAndFloatsFollowTime) {
  Build(R"(<widget type="flash_scenario" name="s" linked_widget_name="box" duration="100"
                   properties="transparentlevel;anchor_left" value="5;2.5"/>)",
        R"(transparentlevel="0")");
  struct Frame_ {
    int32_t dt;
    int32_t level;
    double left;
  } frames[] = {
      {10, 0, 0},                    // the first update starts the run
      {10, 0, 0.25},                 // 0.5 rounds to 0
      {10, 1, 0.5},  {10, 2, 0.75},  // 1.5 rounds to 2
      {20, 2, 1.25},                 // 2.5 rounds to 2
      {20, 4, 1.75},                 // 3.5 rounds to 4
      {20, 4, 2.25},                 // 4.5 rounds to 4
      {10, 5, 2.5},                  // 100: complete, the targets written
  };
  for (const Frame_& f : frames) {
    Frame(f.dt);
    SCOPED_TRACE(Step("s")->GetCurrentTime());
    EXPECT_EQ(box->GetTransparentLevel(), f.level);
    EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), f.left);
  }
  EXPECT_FALSE(Step("s")->IsRunning());
  EXPECT_TRUE(Step("s")->IsPaused());
}

TEST_F(FlashRuns, IncrementsGoFromTheStartValue) {
  Build(R"(<widget type="flash_scenario" name="s" linked_widget_name="box" duration="100"
                   properties="anchor_left;width" value="inc:10;inc:-4"/>)",
        R"(anchor_left="3" width="10")");
  Frame(16);
  Frame(50);
  EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), 8);
  EXPECT_EQ(box->GetWidth(), 8);
  Frame(50);
  EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), 13);
  EXPECT_EQ(box->GetWidth(), 6);
}

TEST_F(FlashRuns, DurationZeroCompletesAtOnceWithTheTargets) {
  // With no time to go through, an increment's end is its target itself.
  Build(R"(<widget type="flash_scenario" name="s" linked_widget_name="box" duration="0"
                   properties="anchor_left;width" value="inc:10;7"/>)",
        R"(anchor_left="3" width="1")");
  Frame(16);
  EXPECT_FALSE(Step("s")->IsRunning());
  EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), 10);
  EXPECT_EQ(box->GetWidth(), 7);
}

TEST_F(FlashRuns, DurationOneWaitsAnUpdateBeforeItsFirstStep) {
  Build(R"(<widget type="flash_scenario" name="s" linked_widget_name="box" duration="1"
                   properties="width" value="7"/>)",
        R"(width="1")");
  Frame(16);
  EXPECT_TRUE(Step("s")->IsRunning());
  EXPECT_EQ(box->GetWidth(), 1);
  Frame(16);
  EXPECT_FALSE(Step("s")->IsRunning());
  EXPECT_EQ(box->GetWidth(), 7);
}

TEST_F(FlashRuns, WithoutADurationTheValueIsAChangePerMillisecond) {
  Build(R"(<widget type="flash_scenario" name="s" linked_widget_name="box"
                   properties="anchor_left;width" value="0.5;inc:2"/>)",
        R"(anchor_left="4" width="10")");
  Frame(16);  // started
  Frame(10);
  EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), 9);
  EXPECT_EQ(box->GetWidth(), 30);
  for (int i = 0; i < 10; ++i) Frame(10);
  EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), 59);
  EXPECT_TRUE(Step("s")->IsRunning());
}

TEST_F(FlashRuns, RandomEndsAndDurations) {
  SetRandomSeed(7);
  for (int i = 0; i < 40; ++i) {
    Build(R"(<widget type="flash_scenario" name="s" linked_widget_name="box" duration="rnd:100:50"
                     properties="width;anchor_left" value="rnd:100:50;rnd_inc:5-10"/>)",
          R"(width="0" anchor_left="20")");
    Frame(16);
    int32_t d = Step("s")->GetCurrentDuration();
    EXPECT_GE(d, 101);
    EXPECT_LE(d, 150);
    Step("s")->Pause();
    EXPECT_GE(box->GetWidth(), 100);
    EXPECT_LE(box->GetWidth(), 150);
    EXPECT_GE(box->GetAnchorLeft(), 25);
    EXPECT_LT(box->GetAnchorLeft(), 30);
  }
  int32_t low = 1000, high = -1000;
  for (int i = 0; i < 400; ++i) {
    Build(R"(<widget type="flash_scenario" name="s" duration="rnd:100"/>)", "");
    Frame(16);
    low = std::min(low, Step("s")->GetCurrentDuration());
    high = std::max(high, Step("s")->GetCurrentDuration());
  }
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 99);
}

TEST_F(FlashRuns, TextValuesAreWrittenAtTheEnd) {
  Build(R"(<widget type="flash_scenario" name="s" linked_widget_name="box" duration="100"
                   properties="caption;caption" value="str:Hello;str_inc:World"/>)",
        R"(caption="Old")");
  Frame(16);
  Frame(50);
  EXPECT_EQ(Box(box)->caption, "Old");
  Frame(60);
  // Entries run in order: the second takes the start value read before the first wrote.
  EXPECT_EQ(Box(box)->caption, "Old;World");
}

TEST_F(FlashRuns, ValuesThatDoNotConvertLeaveAnIdleRunThatStillWaits) {
  struct Case {
    const char* properties;
    const char* values;
  } cases[] = {
      {"width;height", "5"},  // counts differ
      {"width", "wide"},      // no number
      {"width", "rnd:a-b"},   // no range
      {"caption", "5"},       // a text start without "str"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.values);
    Build(std::string(R"(<widget type="flash_scenario" name="s" linked_widget_name="box"
                            duration="50" next="after" properties=")") +
              c.properties + R"(" value=")" + c.values +
              R"("/><widget type="flash_scenario" name="after" paused="yes"/>)",
          R"(width="3" caption="abc")");
    Frame(16);
    EXPECT_EQ(Step("s")->GetRunAction(), TFlashScenario::atIdle);
    EXPECT_EQ(Step("s")->GetActionType(), TFlashScenario::atLinear);
    Frame(30);
    EXPECT_TRUE(Step("s")->IsRunning());
    Frame(30);
    EXPECT_FALSE(Step("s")->IsRunning());
    EXPECT_EQ(box->GetWidth(), 3);
    EXPECT_TRUE(Step("after")->IsRunning());
  }
}

TEST_F(FlashRuns, WithoutALinkedWidgetTheRunIsIdle) {
  Build(R"(<widget type="flash_scenario" name="s" linked_owner="ghost" linked_widget_name="box"
                   duration="20" properties="width" value="5"/>)",
        R"(width="3")");
  Frame(16);
  EXPECT_FALSE(Step("s")->GetLinkedWidget());
  EXPECT_EQ(Step("s")->GetRunAction(), TFlashScenario::atIdle);
  Frame(30);
  EXPECT_FALSE(Step("s")->IsRunning());
  EXPECT_EQ(box->GetWidth(), 3);
}

TEST_F(FlashRuns, LinkedOwnerAndWidgetProperty) {
  Build(R"(<widget type="group_widget" name="holder"><widgets>
             <widget type="test_box" name="inner" width="1"/></widgets></widget>
           <widget type="flash_scenario" name="s" linked_owner="holder" linked_widget_name="inner"
                   duration="0" properties="width" value="9"/>
           <widget type="flash_scenario" name="t" duration="0" properties="width" value="4"/>)",
        "");
  Frame(16);
  EXPECT_EQ(root->FindWidget("holder/inner")->GetWidth(), 9);
  // "widget" links the step for good: no name is looked up again.
  Step("t")->SetProperty("widget", Variant(Ref<IInterface>(box.get())));
  Step("t")->Restart();
  EXPECT_EQ(box->GetWidth(), 4);
  EXPECT_EQ(Step("t")->GetProperty("widget").RawInterface(), Ref<IInterface>(box.get()));
  // The step answers paths through its linked widget.
  EXPECT_EQ(Step("t")->GetProperty("anything/width").ToInt(), 4);
}

TEST_F(FlashRuns, ShowOnStartHideDeadOnEnd) {
  Build(R"(<widget type="flash_scenario" name="s" linked_widget_name="box" duration="20"
                   show_on_start="yes" hide_on_end="yes" linked_dead_on_end="yes"
                   dead_on_end="yes"/>)",
        R"(visible="no")");
  Frame(16);
  EXPECT_TRUE(box->IsVisible());
  Frame(16);
  Frame(16);
  EXPECT_FALSE(box->IsVisible());
  EXPECT_EQ(root->FindWidget("box"), nullptr);  // dead and removed
  EXPECT_EQ(root->FindWidget("s"), nullptr);
}

// ---------------------------------------------------------------------------------------
// Tracking

TEST_F(FlashRuns, TrackingWaitsForEveryPropertyInItsRange) {
  Build(R"(<widget type="flash_scenario" name="s" linked_widget_name="box" actiontype="tracking"
                   properties="anchor_left;width" value="10:5;inc:-2:4" next="after"/>
           <widget type="flash_scenario" name="after" paused="yes"/>)",
        R"(anchor_left="0" width="4")");
  Frame(16);  // width must reach [2, 6) around its start 4; anchor_left [10, 15)
  EXPECT_TRUE(Step("s")->IsRunning());
  box->SetAnchorLeft(15);  // the high end is outside
  Frame(16);
  EXPECT_TRUE(Step("s")->IsRunning());
  box->SetAnchorLeft(10);
  Frame(16);
  EXPECT_FALSE(Step("s")->IsRunning());
  EXPECT_TRUE(Step("after")->IsRunning());
  EXPECT_DOUBLE_EQ(box->GetAnchorLeft(), 10);  // tracking writes nothing
}

}  // namespace
