// The balance scales: cargo units against plummets until a pattern's weight balances.
#include <gtest/gtest.h>

#include "minigames/MiniGameScales.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/FeedbackFactories.h"
#include "tests/support/WidgetFixture.h"

namespace {

const char* const kBowls =
    R"(<bowls><bowl is_for_plummets="yes" name="pb"/><bowl name="cb"/></bowls>)";

class Scales : public WidgetFixture {
 protected:
  Scales() { RegisterMiniGamesClasses(); }
  // Cargos c0 and c1, plummets p5, p7 and p1 (their weights), bowls pb and cb.
  TScalesWidget* ShowGame(int c0Weight, int c0Amount, const std::string& patterns,
                          const std::string& bowls = kBowls, int c1Weight = 5) {
    std::string cargos = "<cargos><cargo name=\"c0\" weight=\"" + std::to_string(c0Weight) +
                         "\" amount=\"" + std::to_string(c0Amount) +
                         "\"/><cargo name=\"c1\" weight=\"" + std::to_string(c1Weight) +
                         "\" amount=\"1\"/></cargos>";
    Ref<IWidget> w = Show(
        R"(<widget type="mg_scales_widget" name="minigame_scales" visible="yes" mousestop="yes">)" +
        FeedbackFactories({{"move_cargo_animation", "cargo_id,amount,weight,name"},
                           {"remove_cargo_animation", "cargo_id,amount,weight,name"},
                           {"wrong_animation", "cargo_id,name"},
                           {"move_plummet_animation", "plummet_id,name"},
                           {"remove_plummet_animation", "plummet_id,name"},
                           {"update_animation", "overweight"},
                           {"done_animation", "cargo_id,name,donecount"},
                           {"win", ""}}) +
        cargos +
        R"(<plummets><plummet name="p5" weight="5"/><plummet name="p7" weight="7"/><plummet name="p1" weight="1"/></plummets>)" +
        bowls + "<patterns>" + patterns + "</patterns><widgets>" +
        TestBoxes({{"c0", 0, 0},
                   {"c1", 20, 0},
                   {"p5", 40, 0},
                   {"p7", 60, 0},
                   {"p1", 80, 0},
                   {"pb", 100, 0},
                   {"cb", 120, 0}}) +
        "</widgets></widget>");
    return dynamic_cast<TScalesWidget*>(w.get());
  }
  void Click(const char* name) {
    static const char* const order[] = {"c0", "c1", "p5", "p7", "p1", "pb", "cb"};
    int x = 5;
    for (const char* n : order) {
      if (std::string(n) == name) break;
      x += 20;
    }
    window->mouse = {x, 5};
    window->HandleMouse(513, {x, 5}, 0);
  }
};

TEST_F(Scales, APatternBalancesWithinItsTolerance) {
  struct Case {
    int unitWeight, units;
    std::vector<const char*> plummets;
    bool balanced;
  } cases[] =
      {
          {11, 1, {"p5", "p7"}, true},        {12, 1, {"p5", "p7"}, true},
          {13, 1, {"p5", "p7"}, true},        {6, 2, {"p5", "p7"}, true},
          {14, 1, {"p5", "p7", "p1"}, false},  // beams level within 1, but 2 off the pattern
          {10, 1, {"p5", "p7"}, false},        // 12 against 10
      };
  for (const Case& c : cases) {
    TScalesWidget* game =
        ShowGame(c.unitWeight, 3, R"(<pattern weight="12:1"/><pattern weight="1"/>)");
    for (int i = 0; i < c.units; ++i) Click("c0");
    for (const char* p : c.plummets) Click(p);
    EXPECT_EQ(game->BalanceCount(), c.balanced ? 1 : 0) << c.unitWeight;
    if (!c.balanced) continue;
    // After a balance both bowls are empty and every plummet is off.
    EXPECT_EQ(game->CargoBowl().cargo, -1);
    EXPECT_EQ(game->CargoBowl().weight, 0);
    EXPECT_EQ(game->PlummetBowl().weight, 0);
    EXPECT_EQ(game->PlummetBowl().count, 0);
    for (const auto& p : game->Plummets()) EXPECT_FALSE(p.onBowl);
    EXPECT_EQ(game->Cargos()[0].amount, 3);
    EXPECT_EQ(MadeValues(game, "done_animation", "donecount"), (std::vector<std::string>{"1"}));
    EXPECT_EQ(MadeWidgets(game, "remove_plummet_animation_").size(), c.plummets.size());
    EXPECT_FALSE(game->IsWon());
  }
}

TEST_F(Scales, RefusedCargosAndClicksOnEmptyBowls) {
  TScalesWidget* game = ShowGame(4, 1, R"(<pattern weight="12"/>)");
  Click("cb");  // an empty bowl still reports the balance
  EXPECT_EQ(MadeValues(game, "update_animation", "overweight"), (std::vector<std::string>{"0"}));
  Click("c0");
  EXPECT_EQ(MadeValues(game, "move_cargo_animation", "weight"), (std::vector<std::string>{"4"}));
  Click("c0");  // no amount left
  Click("c1");  // another cargo is on the bowl
  EXPECT_EQ(MadeValues(game, "wrong_animation", "name"), (std::vector<std::string>{"c0", "c1"}));
  EXPECT_EQ(game->CargoBowl().weight, 4);
  EXPECT_EQ(game->CargoBowl().count, 1);
  EXPECT_EQ(game->Cargos()[1].amount, 1);
  Click("p5");
  EXPECT_EQ(MadeValues(game, "update_animation", "overweight").back(), "1");
  // The refusal plays after the cargo's move without taking its place in the chain.
  Ref<IWidget> move = MadeWidgets(game, "move_cargo_animation_")[0];
  EXPECT_FALSE(move->IsPaused());
  std::vector<Ref<IWidget>> wrong = MadeWidgets(game, "wrong_animation_");
  EXPECT_EQ(move->GetProperty("next").ToString(), ";" + wrong[0]->GetName());
  EXPECT_TRUE(wrong[0]->IsPaused());
  Click("cb");
  EXPECT_EQ(
      move->GetProperty("next").ToString(),
      ";" + wrong[0]->GetName() + ";" + MadeWidgets(game, "remove_cargo_animation_")[0]->GetName());
}

TEST_F(Scales, EmptyingTheCargoBowlCountsUnitsWhateverTheyWeigh) {
  for (int weight : {0, -3}) {
    TScalesWidget* game = ShowGame(weight, 2, R"(<pattern weight="50"/>)");
    Click("c0");
    Click("c0");
    Click("cb");
    EXPECT_EQ(game->CargoBowl().count, 0) << weight;
    EXPECT_EQ(game->CargoBowl().cargo, -1);
    EXPECT_EQ(game->Cargos()[0].amount, 2);
    EXPECT_EQ(MadeWidgets(game, "remove_cargo_animation_").size(), 2u);
  }
}

TEST_F(Scales, EachPatternCountsOnceAndAllOfThemWin) {
  // Cargo 0 has a pattern of 12, cargo 1 (unit 5) one of 5.
  TScalesWidget* game = ShowGame(12, 3, R"(<pattern weight="12"/><pattern weight="5"/>)");
  for (int round = 0; round < 2; ++round) {
    Click("c0");
    Click("p5");
    Click("p7");
  }
  EXPECT_EQ(game->BalanceCount(), 1);  // the second balance of cargo 0 counts nothing
  EXPECT_FALSE(game->IsWon());
  Click("cb");
  Click("pb");
  Click("c1");
  Click("p5");
  EXPECT_EQ(game->BalanceCount(), 2);
  EXPECT_TRUE(game->IsWon());
  EXPECT_TRUE(game->FindWidget("win"));
}

TEST_F(Scales, AMissingBowlIsAnEmptyOne) {
  TScalesWidget* game =
      ShowGame(5, 1, R"(<pattern weight="5"/>)", R"(<bowls><bowl name="cb"/></bowls>)");
  Click("pb");  // names no bowl: nothing
  EXPECT_TRUE(MadeWidgets(game, "update_animation_").empty());
  Click("c0");
  Click("p5");
  EXPECT_TRUE(game->IsWon());
  ShowGame(5, 1, "", "");
  Click("c0");
  Click("cb");
  Click("p5");
}

}  // namespace
