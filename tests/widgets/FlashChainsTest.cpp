// Flash steps starting and stopping one another: the lists and their commands, cycles,
// restarts, steps timed by a sound, the mouse and pausing.

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/XMLStorage.h"
#include "tests/widgets/FlashTestSupport.h"

namespace {

class FlashChains : public FlashFixture {
 protected:
  int Played(const std::string& resource) const {
    return int(std::count(engine->playedSounds.begin(), engine->playedSounds.end(), resource));
  }
};

// A step that waits for ever once started, for the lists to start and stop.
std::string Waiter(const std::string& name, const std::string& more = "") {
  return R"(<widget type="flash_scenario" name=")" + name + R"(" paused="yes" )" + more + "/>";
}

// ---------------------------------------------------------------------------------------
// Lists

TEST_F(FlashChains, NextListRestartsStepsPicksAtRandomAndPlaysSounds) {
  int pickedC = 0, pickedD = 0;
  for (uint64_t seed = 1; seed <= 12; ++seed) {
    SetRandomSeed(seed);
    Build(R"(<widget type="flash_scenario" name="a" duration="10"
                     next="b;rnd:c,d;playsound:S;shown"/>)" +
              Waiter("b") + Waiter("c") + Waiter("d") +
              R"(<widget type="test_box" name="shown" paused="yes"/>)",
          "");
    Frame(16);
    Frame(16);
    EXPECT_FALSE(Step("a")->IsRunning());
    EXPECT_TRUE(Step("b")->IsRunning());
    EXPECT_NE(Step("c")->IsRunning(), Step("d")->IsRunning());
    pickedC += Step("c")->IsRunning();
    pickedD += Step("d")->IsRunning();
    EXPECT_EQ(Played("snd_S"), 1);
    Ref<IWidget> shown = root->FindWidget("shown");
    EXPECT_TRUE(shown->IsVisible());
    EXPECT_FALSE(shown->IsPaused());
    engine->playedSounds.clear();
  }
  EXPECT_GT(pickedC, 0);
  EXPECT_GT(pickedD, 0);
}

TEST_F(FlashChains, PreviousListPausesAndHidesOrCompletes) {
  Build(R"(<widget type="flash_scenario" name="a" previos="p;hidden"/>
           <widget type="test_box" name="hidden" visible="yes"/>)" +
            Waiter("p", R"(next="playsound:S")"),
        "");
  Step("p")->Restart();
  Frame(16);
  EXPECT_TRUE(Step("p")->IsPaused());
  EXPECT_TRUE(Step("p")->IsRunning());  // only paused
  EXPECT_FALSE(root->FindWidget("hidden")->IsVisible());
  EXPECT_TRUE(root->FindWidget("hidden")->IsPaused());
  EXPECT_EQ(Played("snd_S"), 0);

  Build(R"(<widget type="flash_scenario" name="a" previos="p" stop_previos="yes"/>)" +
            Waiter("p", R"(next="playsound:S")"),
        "");
  Step("p")->Restart();
  Frame(16);
  EXPECT_FALSE(Step("p")->IsRunning());  // completed: its next list ran
  EXPECT_EQ(Played("snd_S"), 1);
}

TEST_F(FlashChains, PlayNextNoOnlyUnpauses) {
  // b comes first, so it is not updated again in the frame in which a completes.
  Build(Waiter("b", R"(duration="1000" previos="playsound:T")") +
            R"(<widget type="flash_scenario" name="a" duration="0" next="b" play_next="no"/>)",
        "");
  Frame(16);
  EXPECT_FALSE(Step("b")->IsPaused());
  EXPECT_FALSE(Step("b")->IsRunning());
  EXPECT_EQ(Played("snd_T"), 0);
  Frame(16);  // it starts at its own update
  EXPECT_TRUE(Step("b")->IsRunning());
  EXPECT_EQ(Played("snd_T"), 1);
}

TEST_F(FlashChains, CompletingAStepThatNeverRanStartsItFirst) {
  Build(Waiter("x", R"(previos="playsound:S" next="playsound:T")"), "");
  Step("x")->Pause();
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"snd_S", "snd_T"}));
  EXPECT_FALSE(Step("x")->IsRunning());
}

TEST_F(FlashChains, RestartStartsOnce) {
  Build(Waiter("x", R"(duration="rnd:1000" previos="playsound:S")"), "");
  SetRandomSeed(5);
  int32_t draw = Random(1000);
  Random(1000);
  SetRandomSeed(5);
  Step("x")->Restart();
  EXPECT_EQ(Played("snd_S"), 1);
  EXPECT_EQ(Step("x")->GetCurrentDuration(), draw);
  EXPECT_TRUE(Step("x")->IsRunning());
  // Again while it runs: a new run, started once.
  Step("x")->Restart();
  EXPECT_EQ(Played("snd_S"), 2);
  EXPECT_EQ(Step("x")->GetCurrentTime(), 0);
}

TEST_F(FlashChains, ResetByPauseCompletesAndRestarts) {
  Build(Waiter("x", R"(reset_by_pause="yes" duration="1000" next="playsound:S")"), "");
  Step("x")->SetPaused(false);
  EXPECT_TRUE(Step("x")->IsRunning());
  Step("x")->SetPaused(true);
  EXPECT_FALSE(Step("x")->IsRunning());
  EXPECT_EQ(Played("snd_S"), 1);
}

TEST_F(FlashChains, PausingTheGroupCompletesItsSteps) {
  Build(R"(<widget type="flash_scenario" name="a" duration="1000" next="playsound:S"/>)", "");
  Frame(16);
  EXPECT_TRUE(Step("a")->IsRunning());
  root->Pause();
  EXPECT_FALSE(Step("a")->IsRunning());
  EXPECT_EQ(Played("snd_S"), 1);
}

// ---------------------------------------------------------------------------------------
// Cycles

TEST_F(FlashChains, AStepStoppingItsPredecessorThatStartedItRunsItsCourse) {
  Build(R"(<widget type="flash_scenario" name="a" duration="20" previos="playsound:S" next="b"/>)" +
            Waiter("b", R"(duration="50" previos="a" stop_previos="yes" next="c")") + Waiter("c"),
        "");
  for (int i = 0; i < 10; ++i) Frame(16);
  EXPECT_EQ(Played("snd_S"), 1);  // a ran once
  EXPECT_FALSE(Step("a")->IsRunning());
  EXPECT_FALSE(Step("b")->IsRunning());
  EXPECT_TRUE(Step("c")->IsRunning());
}

TEST_F(FlashChains, AnInstantStepNamingItselfRunsOncePerFrame) {
  Build(R"(<widget type="flash_scenario" name="x" duration="0" next="x;playsound:S"/>)", "");
  for (int i = 1; i <= 5; ++i) {
    Frame(16);
    EXPECT_EQ(Played("snd_S"), i);
  }
}

TEST_F(FlashChains, AStepStoppingItselfCompletesAtItsNextUpdate) {
  Build(R"(<widget type="flash_scenario" name="x" duration="1000" previos="x"
                   stop_previos="yes" next="playsound:S"/>)",
        "");
  Frame(16);
  EXPECT_EQ(Played("snd_S"), 0);
  Frame(16);
  EXPECT_EQ(Played("snd_S"), 1);
  EXPECT_FALSE(Step("x")->IsRunning());
}

TEST_F(FlashChains, ALongChainOfInstantStepsSpreadsOverFrames) {
  std::string steps = R"(<widget type="flash_scenario" name="s0" duration="0" next="s1"/>)";
  const int kSteps = 300;
  for (int i = 1; i < kSteps; ++i)
    steps += Waiter("s" + std::to_string(i),
                    R"(duration="0" next=")" +
                        (i + 1 < kSteps ? "s" + std::to_string(i + 1) : "playsound:S") + "\"");
  Build(steps, "");
  Frame(16);
  EXPECT_EQ(Played("snd_S"), 0);
  for (int i = 0; i < 40 && Played("snd_S") == 0; ++i) Frame(16);
  EXPECT_EQ(Played("snd_S"), 1);
}

// ---------------------------------------------------------------------------------------
// Steps timed by a sound

TEST_F(FlashChains, ASoundStepEndsItsDelayAfterTheSound) {
  engine->soundsLast = true;
  Build(R"(<widget type="flash_scenario" name="x" duration="playsound:S:500:3000"
                   next="playsound:T"/>)",
        "");
  Frame(16);
  EXPECT_EQ(Played("snd_S"), 1);
  for (int i = 0; i < 100; ++i) Frame(100);  // the sound plays on: the step waits
  EXPECT_TRUE(Step("x")->IsRunning());
  engine->soundsPlaying.clear();
  Frame(100);  // the end is seen: 500 ms from now
  EXPECT_TRUE(Step("x")->IsLimited());
  Frame(400);
  EXPECT_TRUE(Step("x")->IsRunning());
  Frame(100);
  EXPECT_FALSE(Step("x")->IsRunning());
  EXPECT_EQ(Played("snd_T"), 1);
  EXPECT_TRUE(engine->stoppedSounds.empty());
}

TEST_F(FlashChains, ASoundThatCannotPlayGivesTheFallback) {
  Build(R"(<widget type="flash_scenario" name="x" duration="playsound:ghost:500:3000"/>
           <widget type="flash_scenario" name="y" duration="playsound:ghost:500"/>)",
        "");
  Frame(16);
  EXPECT_EQ(Step("x")->GetCurrentDuration(), 3000);
  EXPECT_TRUE(Step("x")->IsLimited());
  EXPECT_FALSE(Step("y")->IsLimited());  // no fallback: it waits for ever
  Frame(2999);
  EXPECT_TRUE(Step("x")->IsRunning());
  Frame(1);
  EXPECT_FALSE(Step("x")->IsRunning());
  EXPECT_TRUE(Step("y")->IsRunning());
}

TEST_F(FlashChains, ASoundStepWithoutDelayEndsWithItsSound) {
  engine->soundsLast = true;
  Build(R"(<widget type="flash_scenario" name="x" duration="playsound:S"/>)", "");
  Frame(16);
  Frame(16);
  EXPECT_TRUE(Step("x")->IsRunning());
  engine->soundsPlaying.clear();
  Frame(16);
  EXPECT_FALSE(Step("x")->IsRunning());
}

TEST_F(FlashChains, CompletingASoundStepStopsItsSoundAndARestartPlaysItAgain) {
  engine->soundsLast = true;
  Build(R"(<widget type="flash_scenario" name="x" duration="playsound:S:500:3000"/>)", "");
  Frame(16);
  Step("x")->Pause();
  EXPECT_EQ(engine->stoppedSounds, (std::vector<std::string>{"snd_S"}));
  engine->soundsPlaying.clear();

  Step("x")->Restart();
  EXPECT_EQ(Played("snd_S"), 2);
  EXPECT_FALSE(Step("x")->IsLimited());  // timed by the sound again
  Frame(16);
  EXPECT_TRUE(Step("x")->IsRunning());

  EXPECT_EQ(Saved(Step("x"))->GetAttr("duration").ToString(), "playsound:S:500:3000");
}

// ---------------------------------------------------------------------------------------
// Mouse

TEST_F(FlashChains, WaitMouseUpTakesTheFirstReleaseAnywhere) {
  Build(R"(<widget type="flash_scenario" name="x" duration="waitmouseup" paused="yes"
                   next="playsound:S"/>)",
        "");
  EXPECT_EQ(root->FindWidget("x")->WidgetAtPos({500, 400}), nullptr);  // not running
  Step("x")->Restart();
  for (int i = 0; i < 50; ++i) Frame(100);
  EXPECT_TRUE(Step("x")->IsRunning());  // time does not end it
  Ref<IWidget> x = root->FindWidget("x");
  EXPECT_EQ(x->WidgetAtPos({500, 400}), x);
  EXPECT_EQ(x->WidgetAtPos({-3, 9000}), x);
  x->HandleMouse(517, {500, 400}, 0);  // a release without a press will do
  EXPECT_FALSE(Step("x")->IsRunning());
  EXPECT_EQ(Played("snd_S"), 1);
  EXPECT_EQ(x->WidgetAtPos({500, 400}), nullptr);
  x->HandleMouse(514, {500, 400}, 0);  // no longer running: nothing
  EXPECT_EQ(Played("snd_S"), 1);
}

TEST_F(FlashChains, AMouseStopStepCompletesOnAPressAndRelease) {
  Build(R"(<widget type="flash_scenario" name="x" duration="5000" mousestop="yes"
                   next="playsound:S"/>)",
        "");
  Frame(16);
  Ref<IWidget> x = root->FindWidget("x");
  x->HandleMouse(514, {1, 1}, 0);
  EXPECT_TRUE(Step("x")->IsRunning());
  x->HandleMouse(519, {1, 1}, 0);
  x->HandleMouse(520, {1, 1}, 0);
  EXPECT_FALSE(Step("x")->IsRunning());
  EXPECT_EQ(Played("snd_S"), 1);
}

}  // namespace
