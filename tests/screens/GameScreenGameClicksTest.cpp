// The play screen's presses: near misses retried, finds and their combo, misses and their
// penalty, carrying.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/PlayScreenFixture.h"

namespace {

using Ids = std::vector<std::string>;

class GameScreenGameClicks : public PlayScreenFixture {
 protected:
  void StartWith(int type = 0, const std::string& attrs = "play_mode=\"0\"") {
    Progress(type, Param("given_time", "300000"), attrs);
    ASSERT_TRUE(StartLevel());
  }
  int Count(const std::vector<std::string>& lines, const std::string& prefix) {
    return int(std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
  }
  // Scores counted up to the end.
  void CountUp() {
    for (int i = 0; i < 400 && screen->GetPendingScore() > 0; ++i) screen->AddScores(0);
  }
};

// The box takes x 100..120 and y 100..120 (its edges included).
TEST_F(GameScreenGameClicks, NearMissesAreRetriedAroundThePress) {
  struct Case {
    int x, y;
    bool found;
  };
  const Case cases[] = {
      {110, 110, true},   // inside
      {122, 110, true},   // 2 px right of the edge
      {124, 110, false},  // 4 px right
      {110, 97, true},    // 3 px above
      {122, 122, true},   // 2 px off the corner diagonally
      {123, 123, false},  // 3 px diagonally
      {96, 110, false},   // 4 px left
  };
  StartWith();
  AddObject("objects_group", "cup", 0, 100, 100);
  manager->findable = {"cup"};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    manager->calls.clear();
    int wrong = screen->GetWrongClicks();
    Click({c.x, c.y});
    EXPECT_EQ(Count(manager->calls, "ObjectClicked(cup"), c.found ? 1 : 0);
    EXPECT_EQ(screen->GetWrongClicks(), wrong + (c.found ? 0 : 1));
  }
}

TEST_F(GameScreenGameClicks, FindsInARowPayTheComboAndAPauseEndsIt) {
  StartWith();
  AddObject("objects_group", "cup", 0, 100, 100);
  manager->findable = {"cup"};
  for (int i = 0; i < 3; ++i) {
    Click({110, 110});
    Frame(300);
  }
  CountUp();
  EXPECT_EQ(screen->GetShownScore(), 300);
  EXPECT_TRUE(W("animation_group/ps_star_circle_wide"));
  EXPECT_EQ(Count(engine->playedSounds, "sound_success_click"), 3);

  Frame(4000);
  EXPECT_EQ(screen->GetCombo(), 0) << "4000 ms after the last click";
  Click({110, 110});
  Click({110, 110});
  Click({110, 110});
  CountUp();
  EXPECT_EQ(screen->GetShownScore(), 600);
}

TEST_F(GameScreenGameClicks, FifteenFindsPayEveryStepAndStartAgain) {
  StartWith();
  AddObject("objects_group", "cup", 0, 100, 100);
  manager->findable = {"cup"};
  for (int i = 0; i < 15; ++i) Click({110, 110});
  CountUp();
  EXPECT_EQ(screen->GetShownScore(), 300 + 700 + 1200 + 2000 + 3000);
  EXPECT_EQ(screen->GetCombo(), 0);
  // Each step's label with its bonus, at the place of the find that earned it.
  const char* labels[] = {"%SUPER!% +300", "%EXCELLENT!% +700", "%GRAND!% +1200",
                          "%PERFECT!% +2000", "%PERFECT!% +3000"};
  for (int step = 0; step < 5; ++step) {
    Ref<IWidget> label =
        W("animation_group/combo_bonus" + (step ? std::to_string(step) : std::string()));
    ASSERT_TRUE(label) << step;
    EXPECT_EQ(label->GetProperty("caption").ToString(), labels[step]);
  }
  EXPECT_FALSE(W("animation_group/combo_bonus5"));
}

TEST_F(GameScreenGameClicks, SixQuickMissesCostThirtySecondsFiveDoNot) {
  struct Case {
    int type;
    const char* attrs;
    int misses;
    bool penalty;
  };
  const Case cases[] = {
      {0, "play_mode=\"0\"", 5, false},
      {0, "play_mode=\"0\"", 6, true},
      {4, "play_mode=\"0\"", 6, false},  // find places: no accumulator
      {0, "play_mode=\"1\"", 6, false},  // untimed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + " " + c.attrs + " " + std::to_string(c.misses));
    manager = TAbstractObject::Create<PlayLevelManager>();
    TestPlayScreen::nextLevelManager = Ref<ILevelManager>(manager.get());
    StartGame();
    StartWith(c.type, c.attrs);
    int32_t timer = screen->GetTimer();
    engine->playedSounds.clear();
    for (int i = 0; i < c.misses; ++i) Click({600, 300});
    EXPECT_EQ(screen->GetWrongClicks(), c.misses);
    EXPECT_EQ(
        std::count(engine->playedSounds.begin(), engine->playedSounds.end(), "sound_wrong_click"),
        c.misses);
    EXPECT_EQ(bool(W("animation_group/wrong_clicks_penalty")), c.penalty);
    if (c.penalty)  // the time lost in whole seconds beside the milliseconds, for its text
      EXPECT_EQ(W("animation_group/wrong_clicks_penalty")->GetProperty("caption").ToString(),
                "30000 30");
    EXPECT_EQ(Count(engine->playedSounds, "sound_wrong_clicks_penalty"), c.penalty ? 1 : 0);
    if (c.penalty) {
      EXPECT_EQ(screen->GetTimer(), timer - 1000) << "paid out 1000 ms per update";
      EXPECT_EQ(screen->GetBankedTime(), 29000);
      EXPECT_EQ(screen->GetWrongClickAccumulator(), 0);
    } else if (c.type != 4) {
      EXPECT_EQ(screen->GetTimer(), timer);
    }
    if (c.type == 4) {
      EXPECT_EQ(screen->GetWrongClickAccumulator(), 0);
    }
    game->Done();
    game = nullptr;
  }
}

TEST_F(GameScreenGameClicks, PressesOverAnimationsOrInTheBlackAreIgnored) {
  StartWith();
  AddObject("objects_group", "cup", 0, 100, 100);
  manager->findable = {"cup"};
  screen->SetBlackScreen(true);
  Click({110, 110});
  EXPECT_EQ(Count(manager->calls, "ObjectClicked"), 0);
  screen->SetBlackScreen(false);
  W("animation_group")->SetMouseStop(true);
  AddObject("animation_group", "effect", 5, 90, 90, 50, 50);
  Click({110, 110});
  EXPECT_EQ(Count(manager->calls, "ObjectClicked"), 0);
  EXPECT_EQ(screen->GetWrongClicks(), 0);
}

TEST_F(GameScreenGameClicks, CarriedItemIsPlacedOnlyAboveThePanel) {
  StartWith();
  Ref<IWidget> key = AddObject("objects_group", "key", 4, 100, 100);
  Ref<IWidget> lock = AddObject("objects_group", "lock", 4, 400, 300);
  manager->placeTarget = lock;
  manager->findable = {"lock"};
  ASSERT_TRUE(screen->TakeSceneObject(key, key, true, {110, 110}, {110, 110}));
  ASSERT_TRUE(screen->IsCarrying());
  EXPECT_TRUE(W("animation_group/key"));
  Release({410, 700});
  EXPECT_EQ(Count(manager->calls, "ObjectClicked"), 0) << "over the panel";
  EXPECT_TRUE(screen->IsCarrying());
  Release({410, 310});
  EXPECT_EQ(Count(manager->calls, "AfterActivation(lock"), 1);
  EXPECT_EQ(Count(manager->calls, "ObjectClicked(lock"), 1);
  EXPECT_FALSE(screen->IsCarrying());
  EXPECT_FALSE(W("animation_group/key"));
}

TEST_F(GameScreenGameClicks, RightPressPutsACarriedSceneItemBack) {
  StartWith();
  Ref<IWidget> key = AddObject("objects_group", "key", 0, 100, 100);
  Ref<IWidget> drawer = AddObject("objects_group", "drawer", 6, 300, 300);
  key->SetVisible(false);
  ASSERT_TRUE(screen->TakeSceneObject(key, drawer, false, {310, 310}, {310, 310}));
  Press({600, 300}, 1);
  EXPECT_FALSE(screen->IsCarrying());
  EXPECT_TRUE(drawer->IsVisible());
}

TEST_F(GameScreenGameClicks, IdenticalHalvesAreBothTested) {
  StartWith(2);
  AddObject("left_part/objects_group", "lamp_l", 1, 100, 100);
  AddObject("right_part/objects_group", "lamp_r", 1, 100, 100);
  W("right_part")->SetAnchorLeft(512);
  manager->findable = {"lamp_r"};
  Click({612, 110});
  EXPECT_EQ(Count(manager->calls, "ActivateAtLocation(lamp_r"), 1);
  EXPECT_EQ(Count(manager->calls, "ObjectClicked(lamp_r"), 1);
  EXPECT_EQ(screen->GetCombo(), 1);
}

}  // namespace
