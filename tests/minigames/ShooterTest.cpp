// The shooting game: targets spawned at a pace, hits, misses and the win.
#include <gtest/gtest.h>

#include "foundation/Random.h"
#include "minigames/MiniGameShooter.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/WidgetFixture.h"

namespace {

class Shooter : public WidgetFixture {
 protected:
  Shooter() { RegisterMiniGamesClasses(); }
  // Targets t1, t2 at x = 0, 20 (10 x 10); their animations live until killed, except
  // where a test kills them. The pacing timer "time" too.
  TShooterWidget* ShowGame(const std::string& attributes, int cost = 1) {
    std::string c = std::to_string(cost);
    Ref<IWidget> w = Show(R"(<widget type="shooter_widget" name="minigame_shoot" visible="yes"
        mousestop="yes" targetcount="2" )" +
                          attributes + R"(>
      <target name="t1" cost=")" +
                          c + R"(" init="anim" idle="anim" dead="anim" leave="anim"/>
      <target name="t2" cost=")" +
                          c + R"(" init="anim" idle="anim" dead="anim" leave="anim"/>
      <target name="t3" init="anim"/>
      <widgetfactories>
        <widgetfactory name="anim" type="WidgetFactory">
          <widgetstring><widget type="test_box" name="anim_%name%" extraparams="\mx=%mouse_x%"/></widgetstring>
        </widgetfactory>
        <widgetfactory name="time" type="WidgetFactory">
          <widgetstring><widget type="test_box" name="time" extraparams="\t=%time%"/></widgetstring>
        </widgetfactory>
        <widgetfactory name="shoot" type="WidgetFactory">
          <widgetstring><widget type="test_box" name="shot_%id%"/></widgetstring>
        </widgetfactory>
      </widgetfactories><widgets>
        <widget type="test_box" name="t1" anchor_left="0" width="10" height="10" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="t2" anchor_left="20" width="10" height="10" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="bg" anchor_left="40" width="10" height="10" visible="yes" mousestop="yes"/>
      </widgets></widget>)");
    return dynamic_cast<TShooterWidget*>(w.get());
  }
  void Click(int x) {
    window->mouse = {x, 5};
    window->HandleMouse(513, {x, 5}, 0);
  }
  void EndChild(TShooterWidget* game, const std::string& name) {
    if (Ref<IWidget> w = game->GetChildren()->GetByName(name)) w->SetDead(true);
  }
  // The target that is not hidden, by its x.
  int Shown(TShooterWidget* game) { return game->TargetState("t1") ? 5 : 25; }
};

TEST_F(Shooter, TargetsGoThroughTheirStates) {
  TShooterWidget* game = ShowGame("");
  Frame(16);  // the timer is made and a target spawned
  ASSERT_TRUE(game->GetChildren()->GetByName("time"));
  EXPECT_EQ(game->GetChildren()->GetByName("time")->GetProperty("t").ToInt(), 500);
  const char* name = game->TargetState("t1") ? "t1" : "t2";
  EXPECT_EQ(game->TargetState(name), TShooterWidget::kAppearing);
  for (int expected : {TShooterWidget::kIdle, TShooterWidget::kLeaving, TShooterWidget::kHidden}) {
    EndChild(game, std::string("anim_") + name);
    Frame(16);
    EXPECT_EQ(game->TargetState(name), expected);
  }
  EXPECT_EQ(game->TargetState("t3"), -1);  // beyond "targetcount"
}

TEST_F(Shooter, HitsSpeedThePaceUpAndMissesRestoreIt) {
  TShooterWidget* game = ShowGame("delta=\"0.9\" maxscore=\"5\"");
  Frame(16);
  Click(Shown(game));
  EXPECT_EQ(game->Score(), 1);
  EXPECT_DOUBLE_EQ(game->CurrentInterval(), 450);
  EXPECT_EQ(game->TargetState(game->TargetState("t1") == TShooterWidget::kHit ? "t1" : "t2"),
            TShooterWidget::kHit);
  // A hit target, a hidden one and the background are all misses.
  for (int x : {5, 25, 45}) {
    Click(x);
    EXPECT_DOUBLE_EQ(game->CurrentInterval(), 500) << x;
  }
  EXPECT_EQ(game->Score(), 1);
  // One "shoot" widget at a time.
  int shots = 0;
  for (int i = 0; i < game->GetChildren()->Count(); ++i)
    shots += game->GetChildren()->GetByIndex(i)->GetName().rfind("shot_", 0) == 0;
  EXPECT_EQ(shots, 1);
}

TEST_F(Shooter, SpawnDoesNothingWithEveryTargetInPlay) {
  TShooterWidget* game = ShowGame("");
  Frame(16);
  EndChild(game, "time");
  Frame(16);  // the second target
  EXPECT_NE(game->TargetState("t1"), TShooterWidget::kHidden);
  EXPECT_NE(game->TargetState("t2"), TShooterWidget::kHidden);
  EndChild(game, "time");
  Frame(16);  // nothing hidden: the timer restarts only
  EXPECT_TRUE(game->GetChildren()->GetByName("time"));
}

TEST_F(Shooter, ACostlyFirstHitWins) {
  TShooterWidget* game = ShowGame("maxscore=\"3\"", 3);
  Frame(16);
  Click(Shown(game));
  EXPECT_TRUE(game->IsWon());
  EXPECT_FALSE(game->IsPlaying());
}

}  // namespace
