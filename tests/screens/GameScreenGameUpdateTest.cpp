// The play screen's frame: timer bank, pulse and hands, score count-up, hints and the
// completion of a level.

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/EngineRoutines.h"
#include "foundation/MultiLanguages.h"
#include "tests/support/PlayScreenFixture.h"

namespace {

using Ids = std::vector<std::string>;

class GameScreenGameUpdate : public PlayScreenFixture {
 protected:
  void StartTimed(int32_t given) {
    Progress(0, Param("given_time", std::to_string(given)));
    ASSERT_TRUE(StartLevel());
  }
  int Count(const std::string& sound) {
    return int(std::count(engine->playedSounds.begin(), engine->playedSounds.end(), sound));
  }
  double Angle(const std::string& path) { return W(path)->GetProperty("angle").ToDouble(); }
};

TEST_F(GameScreenGameUpdate, LongFramesAreBankedAndPaidOutBySeconds) {
  StartTimed(300000);
  screen->TickTimer(3500);
  EXPECT_EQ(screen->GetTimer(), 299000);
  EXPECT_EQ(screen->GetBankedTime(), 2500);
  const int32_t charge = screen->GetHintCharge();
  screen->TickTimer(16);
  EXPECT_EQ(screen->GetTimer(), 298000);
  EXPECT_EQ(screen->GetBankedTime(), 1516);
  screen->TickTimer(16);
  screen->TickTimer(16);
  EXPECT_EQ(screen->GetTimer(), 296452);
  EXPECT_EQ(screen->GetBankedTime(), 0);
  EXPECT_EQ(screen->GetHintCharge(), charge) << "banked updates charge nothing";
  screen->TickTimer(16);
  EXPECT_EQ(screen->GetTimer(), 296436);
  EXPECT_EQ(screen->GetHintCharge(), charge + 16);
}

TEST_F(GameScreenGameUpdate, HandsAndTextFollowTheRemainingTime) {
  StartTimed(125000);
  screen->TickTimer(0);
  EXPECT_EQ(Angle("ui_group/clock_second_arrow"), 210);
  EXPECT_EQ(Angle("ui_group/clock_minute_arrow"), 192);
  EXPECT_EQ(W("ui_group/ui_level_timer/timer")->GetProperty("text").ToString(),
            FormatMinSec(125, TranslateText("%time_separator%")));
}

TEST_F(GameScreenGameUpdate, LastTenSecondsPulseAndTheAccentStops) {
  StartTimed(10500);
  Ref<IWidget> text = W("ui_group/ui_level_timer/timer");
  engine->playedSounds.clear();
  screen->TickTimer(16);
  EXPECT_EQ(Count("sound_accent_time"), 1) << "asked for at every update before the pulse";
  screen->TickTimer(600);  // 9884 ms left: starts the pulse
  EXPECT_EQ(Count("sound_accent_time"), 2);
  EXPECT_EQ(text->GetTransparentLevel(), 255);
  screen->TickTimer(16);
  screen->TickTimer(16);
  EXPECT_EQ(Count("sound_accent_time"), 2);
  EXPECT_EQ(text->GetTransparentLevel(), 241) << "reversed above 248, then 7 per update";
}

TEST_F(GameScreenGameUpdate, TimeRunningOutLosesTheLevel) {
  Progress(0, Param("given_time", "1500") + Param("scores", "200"),
           R"(play_mode="0" scores="700")");
  ASSERT_TRUE(StartLevel());
  for (int i = 0; i < 5 && !screen->IsLevelOver(); ++i) Frame(1000);
  EXPECT_TRUE(screen->IsLevelOver());
  EXPECT_FALSE(screen->IsCompleted());
  EXPECT_EQ(screen->GetTimer(), 0);
  EXPECT_TRUE(W("animation_group/loose_level_anim"));
  EXPECT_EQ(Count("sound_level_failed"), 1);
  EXPECT_EQ(progress->GetScores(), 500) << "the task's points leave the total";
  EXPECT_TRUE(screen->IsInputBlocked());
}

TEST_F(GameScreenGameUpdate, ScoreCountsUpWithoutPassingTheTarget) {
  StartTimed(300000);
  int32_t start = screen->GetShownScore();
  screen->AddScores(300);
  std::vector<int32_t> steps;
  int32_t last = screen->GetShownScore();
  steps.push_back(last - start);
  while (screen->GetPendingScore() > 0 && steps.size() < 100) {
    screen->AddScores(0);
    steps.push_back(screen->GetShownScore() - last);
    last = screen->GetShownScore();
  }
  EXPECT_EQ(screen->GetShownScore(), start + 300);
  ASSERT_GE(steps.size(), 5u);
  EXPECT_EQ(std::vector<int32_t>(steps.begin(), steps.begin() + 5),
            (std::vector<int32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(W("ui_group/ui_scores_text")->GetProperty("text").ToString(), "300");
}

TEST_F(GameScreenGameUpdate, FirstHintIsReadyAfterHalfASecondThenNeedsThirty) {
  StartTimed(300000);
  Ref<IWidget> button = W("ui_group/hint_group/button_hint");
  Ref<IWidget> cup = AddObject("objects_group", "cup", 0, 400, 300);
  manager->wantedHint = cup;
  // 22500 at the start, 250 ms of it spent past the input guard.
  ASSERT_EQ(screen->GetHintCharge(), 22750);
  Frame(16);
  EXPECT_FALSE(button->IsEnabled());
  Frame(234);
  EXPECT_TRUE(button->IsEnabled());
  Ref<IWidget> sparkle = W("animation_group/hint_activationps_star_circle");
  ASSERT_TRUE(sparkle);
  EXPECT_TRUE(W("ui_group/hint_group/image_hint_front")->IsVisible());
  Frame(0);
  Frame(0);
  EXPECT_EQ(W("animation_group/hint_activationps_star_circle"), sparkle)
      << "the sparkle starts once while the charge stands at the requirement";

  screen->OnWidgetEvent(button.get(), 1, 0);
  Ref<IWidget> hint = W("animation_group/hint_scenario_cup");
  ASSERT_TRUE(hint);
  // (410 - 55, 310 - 728) is 548.3 px from the button: 914 ms at 600 px/s.
  EXPECT_EQ(hint->GetProperty("caption").ToString().substr(0, 8), "400,300,");
  EXPECT_EQ(hint->GetProperty("widget").RawInterface(), Ref<IInterface>(cup.get()))
      << "the scenario is handed the widget it points at: the parameters hold no path to it";
  EXPECT_EQ(screen->GetHintsUsed(), 1);
  EXPECT_EQ(screen->GetHintRequirement(), 30000);
  EXPECT_EQ(screen->GetHintCharge(), 0);
  Frame(16);  // the after-image starts a new activation
  EXPECT_TRUE(W("animation_group/hint_activation"));
  EXPECT_FALSE(button->IsEnabled());
  for (int i = 0; i < 59; ++i) Frame(500);
  EXPECT_FALSE(button->IsEnabled());
  Frame(500);
  EXPECT_TRUE(button->IsEnabled());
  EXPECT_EQ(Count("sound_hint_ready"), 1) << "only after a used hint recharged";
}

TEST_F(GameScreenGameUpdate, HintWithoutTargetShowsTheOutOfHintsText) {
  StartTimed(300000);
  screen->UseHint();
  EXPECT_EQ(manager->calls.back(), "ShowHintText(hint_cupidon_out_of_cash)");
  EXPECT_EQ(screen->GetHintsUsed(), 0);
}

TEST_F(GameScreenGameUpdate, AllFoundRunsTheCompletionThenWins) {
  StartTimed(300000);
  Ref<IWidget> finale = screen->CreateWidget("shine_effect", nullptr);
  manager->completeScene = finale;
  manager->allFound = true;
  Frame(16);
  EXPECT_EQ(manager->calls.back(), "RunSceneAction(complete_scene)");
  Frame(16);
  EXPECT_FALSE(task->IsCompleted()) << "while the completion plays";
  finale->SetDead(true);
  Frame(16);
  Frame(16);
  EXPECT_TRUE(task->IsCompleted());
  EXPECT_TRUE(screen->IsLevelOver());
  EXPECT_TRUE(W("animation_group/win_level_anim"));
  EXPECT_EQ(Count("sound_level_complete"), 1);
}

TEST_F(GameScreenGameUpdate, DebugModeNeverEndsTheLevel) {
  Progress(0, {}, R"(play_mode="0" debug_mode="1")");
  ASSERT_TRUE(StartLevel());
  manager->allFound = true;
  for (int i = 0; i < 5; ++i) Frame(16);
  EXPECT_FALSE(task->IsCompleted());
  EXPECT_FALSE(screen->IsLevelOver());
}

TEST_F(GameScreenGameUpdate, LoadingPictureFadesOutOnceInputFlows) {
  StartTimed(300000);
  Ref<IWidget> loading = W("loading_screen");
  for (int i = 0; i < 10 && loading->IsVisible(); ++i) Frame(16);
  EXPECT_FALSE(loading->IsVisible());
  screen->SetBlackScreen(true);
  EXPECT_TRUE(W("black_screen")->IsVisible());
  Frame(16);
  EXPECT_EQ(W("black_screen")->GetTransparentLevel(), 40);
  screen->SetBlackScreen(false);
  Frame(16);
  EXPECT_FALSE(W("black_screen")->IsVisible());
}

TEST_F(GameScreenGameUpdate, IdleShineFollowsSixSecondsWithoutAFind) {
  StartTimed(300000);
  Ref<IWidget> cup = AddObject("objects_group", "cup", 0, 400, 300);
  manager->hintObject = cup;
  // 250 ms idle already from the start.
  for (int i = 0; i < 5; ++i) Frame(1000);
  Frame(700);
  EXPECT_FALSE(W("animation_group/shine_effect"));
  Frame(100);
  Ref<IWidget> shine = W("animation_group/shine_effect");
  ASSERT_TRUE(shine);
  EXPECT_EQ(shine->GetAnchorLeft(), 400);
  for (int i = 0; i < 7; ++i) Frame(1000);
  EXPECT_EQ(W("animation_group/shine_effect"), shine) << "not the object that shone last";
}

}  // namespace
