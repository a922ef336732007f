// The rhythm game: program playback, hits by click and by collision, the dead zone, the
// random spawner, recording and the program text, and the win.
#include <gtest/gtest.h>

#include "foundation/Random.h"
#include "minigames/MiniGameGuitarHero.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/ChildClicks.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

using child_clicks::Named;
using Game = TMiniGameGuitarHero;

constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="blip" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="blip_%id%" paused="yes" anchor_left="%start_x%"
        anchor_top="%start_y%" width="10" height="10" visible="yes"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="update_blip" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="upd_%id%" paused="yes" extraparams="\blip=%name%\kind=%layer%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="success_blip" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="hit_%id%" paused="yes" extraparams="\blip=%name%\control=%widget%\lane=%layer%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="dead_blip" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="dead_%id%" paused="yes" extraparams="\blip=%name%\lane=%layer%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="check_blip" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="miss_%id%" paused="yes" extraparams="\lane=%layer%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="update_score" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="score_%id%" paused="yes" extraparams="\score=%score%\rev=%reverse_score%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

// Lane I: control widget ctlI at x = 20 I, y = 100; blips start at (20 I, 0); the check
// zone is y 50..60, the dead zone y 90..95, both across the game.
std::string Lane(int i, const std::string& extra = "", const std::string& blip = "") {
  std::string x = std::to_string(i * 20);
  return "<layer control_widget=\"ctl" + std::to_string(i) + "\" score_widget=\"hits" +
         std::to_string(i) + "\" reverse_score_widget=\"left" + std::to_string(i) +
         "\" respawn_left=\"" + x +
         "\" check_left=\"-1000\" check_right=\"1000\" check_top=\"50\" check_bottom=\"60\" "
         "dead_left=\"-1000\" "
         "dead_right=\"1000\" dead_top=\"90\" dead_bottom=\"95\" " +
         extra + "><blips><blip dead_cost=\"2\" " + blip + "/></blips></layer>";
}

class GuitarHero : public WidgetFixture {
 protected:
  GuitarHero() { RegisterMiniGamesClasses(); }
  Game* ShowGame(const std::string& attributes, const std::string& layers,
                 const std::string& program = "") {
    std::string children;
    for (int i = 0; i < 3; ++i) {
      std::string n = std::to_string(i);
      children +=
          "<widget type=\"test_box\" name=\"ctl" + n + "\" anchor_left=\"" +
          std::to_string(i * 20) +
          "\" anchor_top=\"100\" width=\"10\" height=\"10\" visible=\"yes\" mousestop=\"yes\"/>"
          "<widget type=\"test_box\" name=\"hits" +
          n +
          "\" extraparams=\"\\text=\"/>"
          "<widget type=\"test_box\" name=\"left" +
          n + "\" extraparams=\"\\text=\"/>";
    }
    for (const char* button : {"record", "game", "play"})
      children += std::string("<widget type=\"test_box\" name=\"") + button + "\" anchor_left=\"" +
                  std::to_string(100 + 20 * (button[0] == 'r'   ? 0
                                             : button[0] == 'g' ? 1
                                                                : 2)) +
                  "\" width=\"10\" height=\"10\" visible=\"yes\" mousestop=\"yes\"/>";
    Ref<IWidget> w = Show(
        R"(<widget type="mg_guitarhero_widget" name="minigame_pendulum" visible="yes" mousestop="yes" )" +
        attributes + ">" + kFactories + "<layers>" + layers + "</layers>" + program + "<widgets>" +
        children + "</widgets></widget>");
    return dynamic_cast<Game*>(w.get());
  }
  void Click(const std::string& name) { child_clicks::Press(*window, *window->root, name); }
  static Game::TLayer& LaneOf(Game* game, int i) { return *game->Lanes()[size_t(i)]; }
  // The lane's newest blip widget, moved to Y.
  static void MoveBlip(Game* game, int lane, double y) {
    LaneOf(game, lane).Blips().back().widget->SetAnchorTop(y);
  }
};

TEST_F(GuitarHero, ProgramEntriesAreIntervalsFromThePreviousEvent) {
  Game* game =
      ShowGame("score=\"100\"", Lane(0) + Lane(1) + Lane(2), R"(<program track="1:500;2:250"/>)");
  EXPECT_EQ(game->GameMode(), Game::kProgram);
  struct Step {
    int dt;
    size_t lane1, lane2;
  } steps[] = {{250, 0, 0}, {250, 1, 0}, {250, 1, 1}, {250, 1, 1}, {250, 2, 1}};
  for (const Step& s : steps) {
    Frame(s.dt);
    EXPECT_EQ(LaneOf(game, 1).Blips().size(), s.lane1);
    EXPECT_EQ(LaneOf(game, 2).Blips().size(), s.lane2);
  }
  // The update widget names its blip and the kind drawn.
  auto updates = Named(*game, "upd_");
  ASSERT_EQ(updates.size(), 3u);
  EXPECT_EQ(updates[0]->GetProperty("blip").ToString(),
            LaneOf(game, 1).Blips()[0].widget->GetName());
  EXPECT_EQ(updates[0]->GetProperty("kind").ToInt(), 0);
  EXPECT_FALSE(LaneOf(game, 1).Blips()[0].widget->IsPaused());

  // Lane 0 entries never play, but still take their turn.
  game = ShowGame("score=\"100\"", Lane(0) + Lane(1), R"(<program track="0:100;1:100"/>)");
  for (int i = 0; i < 4; ++i) Frame(100);
  EXPECT_EQ(LaneOf(game, 0).Blips().size(), 0u);
  EXPECT_EQ(LaneOf(game, 1).Blips().size(), 2u);
}

TEST_F(GuitarHero, ClicksHitBlipsInTheCheckZone) {
  Game* game = ShowGame("score=\"5\"", Lane(0) + Lane(1, "score=\"1\""), R"(<program track=""/>)");
  EXPECT_EQ(window->root->FindWidget("left1")->GetProperty("text").ToString(),
            "1");  // shown at load
  LaneOf(game, 1).Spawn();
  std::string blip = LaneOf(game, 1).Blips().back().widget->GetName();
  Click("ctl1");  // the blip is not in the zone yet
  auto misses = Named(*game, "miss_");
  ASSERT_EQ(misses.size(), 1u);
  EXPECT_EQ(misses[0]->GetProperty("lane").ToInt(), 1);
  EXPECT_EQ(LaneOf(game, 1).Blips().size(), 1u);

  MoveBlip(game, 1, 45);  // its bottom edge touches the zone
  Click("ctl1");
  auto hits = Named(*game, "hit_");
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0]->GetProperty("blip").ToString(), blip);
  EXPECT_EQ(hits[0]->GetProperty("control").ToString(), "ctl1");
  EXPECT_EQ(hits[0]->GetProperty("lane").ToInt(), 1);
  EXPECT_TRUE(LaneOf(game, 1).Blips().empty());
  EXPECT_EQ(LaneOf(game, 1).Hits(), 1);
  EXPECT_EQ(game->Total(), 1);
  auto scores = Named(*game, "score_");
  ASSERT_EQ(scores.size(), 1u);
  EXPECT_EQ(scores[0]->GetProperty("score").ToInt(), 1);
  EXPECT_EQ(scores[0]->GetProperty("rev").ToInt(), 4);
  Click("ctl0");  // lane 0 has nothing: a miss; clicks in random mode would do nothing
  EXPECT_EQ(Named(*game, "miss_").size(), 2u);
}

TEST_F(GuitarHero, DeadZoneAndBlipsThatWentByThemselves) {
  Game* game = ShowGame("score=\"50\"", Lane(0) + Lane(1), R"(<program track=""/>)");
  LaneOf(game, 0).Spawn();
  LaneOf(game, 0).Spawn();
  LaneOf(game, 1).Spawn();
  std::string dying = LaneOf(game, 0).Blips().back().widget->GetName();
  MoveBlip(game, 0, 92);
  // The widget of lane 1's blip ends by itself: it can never reach a zone.
  LaneOf(game, 1).Blips().back().widget->SetDead(true);
  Frame(16);
  EXPECT_EQ(LaneOf(game, 0).Blips().size(), 1u);
  EXPECT_EQ(LaneOf(game, 1).Blips().size(), 0u);
  auto dead = Named(*game, "dead_");
  ASSERT_EQ(dead.size(), 1u);  // the blip that went by itself leaves without a word
  EXPECT_EQ(dead[0]->GetProperty("blip").ToString(), dying);
  EXPECT_EQ(dead[0]->GetProperty("lane").ToInt(), 0);
  EXPECT_EQ(LaneOf(game, 0).Hits(), 2);  // the dead cost
  EXPECT_EQ(game->Total(), 2);
  EXPECT_EQ(Named(*game, "score_").size(), 1u);
}

TEST_F(GuitarHero, CollisionControlScoresByReachingTheZones) {
  struct Case {
    const char* blip;
    int otherHits;  // lane 0's hits after lane 1's blip reaches the check zone
    int ownHits;
  } cases[] = {
      {"cost=\"3\"", 4, 3},
      {"cost=\"3\" reset_layer_by_check=\"yes\"", 4, 0},
      {"cost=\"3\" reset_by_check=\"yes\"", 0, 0},
  };
  for (const Case& c : cases) {
    Game* game = ShowGame("control_mode=\"by_collision\" game_mode=\"record\" score=\"100\"",
                          Lane(0, "", "cost=\"4\"") + Lane(1, "", c.blip));
    LaneOf(game, 0).Spawn();
    MoveBlip(game, 0, 55);
    Frame(16);
    EXPECT_EQ(LaneOf(game, 0).Hits(), 4) << c.blip;
    EXPECT_EQ(window->root->FindWidget("hits0")->GetProperty("text").ToString(), "4");
    LaneOf(game, 1).Spawn();
    MoveBlip(game, 1, 55);
    Frame(16);
    EXPECT_EQ(LaneOf(game, 0).Hits(), c.otherHits) << c.blip;
    EXPECT_EQ(LaneOf(game, 1).Hits(), c.ownHits) << c.blip;
    EXPECT_EQ(game->Total(), c.otherHits + c.ownHits) << c.blip;
    EXPECT_EQ(Named(*game, "hit_").size(), 2u);
  }
}

TEST_F(GuitarHero, RandomSpawnsSkipFullLanes) {
  SetRandomSeed(9);
  // Lane 1 stops once it holds its one point: every blip lands on lane 0 from then on.
  Game* game = ShowGame("control_mode=\"by_collision\" duration=\"100\" score=\"1000\"",
                        Lane(0, "score=\"100\"") + Lane(1, "score=\"1\" stop_full=\"yes\""));
  LaneOf(game, 1).Spawn();
  MoveBlip(game, 1, 55);
  Frame(16);
  ASSERT_EQ(LaneOf(game, 1).Hits(), 1);
  EXPECT_FALSE(LaneOf(game, 1).IsActive());
  for (int i = 0; i < 30; ++i) Frame(100);
  EXPECT_EQ(LaneOf(game, 1).Blips().size(), 0u);
  EXPECT_EQ(LaneOf(game, 0).Blips().size(), 30u);  // equal bounds: a constant interval
}

TEST_F(GuitarHero, RecordingAndTheProgramText) {
  Game* game = ShowGame("score=\"100\" duration=\"100000\"", Lane(0) + Lane(1) + Lane(2));
  Frame(1000);
  Click("record");
  EXPECT_EQ(game->GameMode(), Game::kRecord);
  Frame(300);
  Click("ctl2");
  Frame(200);
  Click("ctl1");
  EXPECT_EQ(game->GetProperty("programm").ToString(), "2:300;1:200;");
  EXPECT_EQ(Named(*game, "miss_").size(), 2u);
  EXPECT_EQ(LaneOf(game, 1).Blips().size(), 0u);  // recording spawns nothing
  Click("game");
  EXPECT_EQ(game->GameMode(), Game::kProgram);
  Click("play");
  EXPECT_EQ(game->GameMode(), Game::kProgramPlay);

  struct Case {
    const char* text;
    const char* readBack;
  } cases[] = {
      {"2:300;1:200;", "2:300;1:200;"},  // what was read back reads back the same
      {"1:5", "1:5;"},
      {"", ""},
      {"1:100;x;2:5", "1:100;0:0;0:0;"},  // a malformed entry ends the parse
      {"1:100;;", "1:100;0:0;"},
      {";", "0:0;"},
  };
  for (const Case& c : cases) {
    game->SetProperty("programm", Variant(c.text));
    EXPECT_EQ(game->GetProperty("programm").ToString(), c.readBack) << c.text;
  }
}

TEST_F(GuitarHero, ProgramPlayHitsWithoutScoring) {
  Game* game = ShowGame("game_mode=\"program_play\" score=\"100\"", Lane(0) + Lane(1),
                        R"(<program track="1:100"/>)");
  EXPECT_EQ(game->GameMode(), Game::kProgram);  // a program makes it mode 1
  Click("play");
  Frame(100);
  ASSERT_EQ(LaneOf(game, 1).Blips().size(), 1u);
  MoveBlip(game, 1, 55);
  Frame(16);
  EXPECT_EQ(LaneOf(game, 1).Blips().size(), 0u);
  EXPECT_EQ(Named(*game, "hit_").size(), 1u);
  EXPECT_EQ(LaneOf(game, 1).Hits(), 0);
}

TEST_F(GuitarHero, WinsWhenEveryTargetIsReached) {
  Game* game = ShowGame("", Lane(0) + Lane(1));  // every target 0
  EXPECT_FALSE(game->IsWon());
  Frame(16);
  EXPECT_TRUE(game->IsWon());

  game = ShowGame("score=\"2\"", Lane(0, "score=\"1\"") + Lane(1, "score=\"1\""),
                  R"(<program track=""/>)");
  LaneOf(game, 0).Spawn();
  LaneOf(game, 1).Spawn();
  LaneOf(game, 1).Spawn();
  MoveBlip(game, 0, 55);
  Click("ctl0");
  Frame(16);
  EXPECT_FALSE(game->IsWon());
  LaneOf(game, 1).Blips()[0].widget->SetAnchorTop(55);
  Click("ctl1");
  Frame(16);
  EXPECT_TRUE(game->IsWon());
  // The blip left on lane 1 leaves with its dead widget and no cost.
  EXPECT_TRUE(LaneOf(game, 1).Blips().empty());
  EXPECT_EQ(Named(*game, "dead_").size(), 1u);
  EXPECT_EQ(LaneOf(game, 1).Hits(), 1);
  EXPECT_TRUE(game->GetChildren()->GetByName("win"));
}

TEST_F(GuitarHero, LanesThatCannotSpawnAndBadTracks) {
  WarningCapture warnings;
  Game* game = ShowGame("score=\"9\"",
                        "<layer control_widget=\"ghost\"><blips><blip/></blips></layer><layer "
                        "control_widget=\"ctl1\"/>",
                        R"(<program track="1:50;oops"/>)");
  EXPECT_EQ(warnings.Lines().size(), 3u);
  EXPECT_EQ(game->GetProperty("programm").ToString(), "1:50;0:0;");
  for (int i = 0; i < 4; ++i) Frame(50);
  LaneOf(game, 0).Spawn();
  LaneOf(game, 1).Spawn();
  EXPECT_TRUE(LaneOf(game, 0).Blips().empty());
  EXPECT_TRUE(LaneOf(game, 1).Blips().empty());
}

}  // namespace
