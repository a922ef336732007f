// The category-matching game, driven through its properties as the participant page does.
#include <gtest/gtest.h>

#include "minigames/MiniGameCategory.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/FeedbackFactories.h"
#include "tests/support/WidgetFixture.h"

namespace {

// A category chip: a group hit as a whole, holding its two click animations.
std::string Chip(const std::string& name, int left) {
  return R"(<widget type="group_widget" name=")" + name + R"(" visible="yes" mousestop="yes"
      process_mouse_type="top_or_self_by_pos" anchor_left=")" +
         std::to_string(left) + R"("><widgets>
      <widget type="test_box" name="succsess_click" width="10" height="10" visible="yes" paused="yes"/>
      <widget type="test_box" name="wrong_click" width="10" height="10" visible="yes" paused="yes"/>
      </widgets></widget>)";
}

// A candidate's card at row Top with chips A, B, C, D at x = 0, 20, 40, 60.
std::string Card(const std::string& name, int top) {
  return R"(<widget type="group_widget" name=")" + name +
         R"(" visible="yes" mousestop="yes" anchor_top=")" + std::to_string(top) +
         R"("><widgets><widget type="group_widget" name="chips" visible="yes" mousestop="yes"><widgets>)" +
         Chip("A", 0) + Chip("B", 20) + Chip("C", 40) + Chip("D", 60) +
         "</widgets></widget></widgets></widget>";
}

class Category : public WidgetFixture {
 protected:
  Category() { RegisterMiniGamesClasses(); }
  // The page holds the game (cards cand1 at y 0, cand2 at y 20) and a hint per client.
  TMiniGameCategoryWidget* ShowPage(const std::string& attrs = "") {
    page = Show(
        R"(<widget type="group_widget" name="page" visible="yes" mousestop="yes" extraparams="\match_client="><widgets>
        <widget type="test_box" name="show_minigame_hint_odile" paused="yes"/>
        <widget type="mg_category_widget" name="minigame_category" visible="yes" mousestop="yes" )" +
        attrs + ">" +
        FeedbackFactories(
            {{"start_play", "control_category,test_category_1,test_category_2"},
             {"win", "client_name,ideal_match_name,split_slot,candidate_1,candidate_2"}}) +
        "<widgets>" + Card("cand1", 0) + Card("cand2", 20) +
        "</widgets></widget></widgets></widget>");
    return dynamic_cast<TMiniGameCategoryWidget*>(page->FindWidget("minigame_category").get());
  }
  // The page's start: client, control categories, candidates, play.
  void Start(TMiniGameCategoryWidget* game, const char* control, std::vector<const char*> tests) {
    game->SetProperty("match_client", Variant("odile"));
    game->SetProperty("control_categories", Variant(control));
    for (const char* t : tests) game->SetProperty("test_categories", Variant(t));
    game->SetProperty("start_play", Variant(1));
  }
  void Click(const char* card, char chip) {
    TPoint p{(chip - 'A') * 20 + 5, (card[4] - '1') * 20 + 5};
    window->mouse = p;
    window->HandleMouse(513, p, 0);
  }
  static bool Restarted(IWidget* game, const char* card, char chip, const char* animation) {
    return !game->FindWidget(std::string(card) + "/chips/" + chip + "/" + animation)->IsPaused();
  }
  Ref<IWidget> page;
};

TEST_F(Category, MarkingTheLastClientCategoryWinsTheCandidate) {
  TMiniGameCategoryWidget* game = ShowPage();
  EXPECT_FALSE(game->IsPlaying());  // loading does not start play
  Start(game, "A;B;C", {"cand1:A;B", "cand2:A;D"});
  Ref<IWidget> start = game->FindWidget(MadeWidgets(game, "start_play_")[0]->GetName());
  EXPECT_EQ(start->GetProperty("control_category").ToString(), "odile");
  EXPECT_EQ(start->GetProperty("test_category_2").ToString(), "cand2");
  EXPECT_FALSE(page->FindWidget("show_minigame_hint_odile")->IsPaused());
  // cand2 holds D, which odile lacks: it never matches.
  for (char chip : {'A', 'B', 'C'}) Click("cand2", chip);
  EXPECT_FALSE(game->IsWon());
  Click("cand1", 'C');
  EXPECT_TRUE(Restarted(game, "cand1", 'C', "succsess_click"));
  ASSERT_TRUE(game->IsWon());
  Ref<IWidget> win = game->FindWidget("win");
  EXPECT_EQ(win->GetProperty("ideal_match_name").ToString(), "cand1");
  EXPECT_EQ(win->GetProperty("split_slot").ToInt(), 0);
  EXPECT_EQ(win->GetProperty("candidate_1").ToString(), "cand2");
  EXPECT_EQ(win->GetProperty("client_name").ToString(), "odile");
  // When the win has played out, the page learns the client's match.
  Frame(16);
  EXPECT_EQ(page->GetProperty("match_client").ToString(), "");
  win->SetDead(true);
  Frame(16);
  Frame(16);
  EXPECT_EQ(page->GetProperty("match_client").ToString(), "odile");
  EXPECT_FALSE(game->GetProperty("win").ToBool());
}

TEST_F(Category, WrongChipsAndRepeatsChangeNothing) {
  TMiniGameCategoryWidget* game = ShowPage();
  Start(game, "A;B", {"cand1:", "cand2:A"});
  Click("cand1", 'D');
  EXPECT_TRUE(Restarted(game, "cand1", 'D', "wrong_click"));
  EXPECT_TRUE(game->Candidates()[0].categories.empty());
  Click("cand1", 'A');
  Click("cand1", 'A');
  EXPECT_EQ(game->Candidates()[0].categories, (std::vector<std::string>{"A"}));
  EXPECT_FALSE(game->IsWon());
  // The control categories wipe the candidates: they are set first.
  game->SetProperty("control_categories", Variant("A"));
  EXPECT_TRUE(game->Candidates().empty());
}

TEST_F(Category, TheFirstFittingCandidateIsTheOneMatch) {
  TMiniGameCategoryWidget* game = ShowPage();
  Start(game, "A;B", {"cand1:A;B", "cand2:A"});  // cand1 fits already, untested
  Click("cand2", 'B');                           // cand2 fits too now
  EXPECT_EQ(game->IdealMatch(), "cand1");
  Ref<IWidget> win = game->FindWidget("win");
  EXPECT_EQ(win->GetProperty("ideal_match_name").ToString(), "cand1");
  EXPECT_EQ(win->GetProperty("split_slot").ToInt(), 0);
  EXPECT_EQ(win->GetProperty("candidate_1").ToString(), "cand2");
}

TEST_F(Category, ASkipNamesNoSlot) {
  TMiniGameCategoryWidget* game = ShowPage();
  Start(game, "A", {"cand1:B", "cand2:"});
  game->SetProperty("need_skip", Variant(true));
  Ref<IWidget> win = game->FindWidget("win");
  ASSERT_TRUE(win);
  EXPECT_EQ(win->GetProperty("split_slot").ToInt(), -1);
  EXPECT_EQ(win->GetProperty("ideal_match_name").ToString(), "");
  EXPECT_EQ(win->GetProperty("candidate_1").ToString(), "cand1");
  EXPECT_EQ(win->GetProperty("candidate_2").ToString(), "cand2");
}

TEST_F(Category, ClearKeepsChildrenNamedWithinTheLockText) {
  TMiniGameCategoryWidget* game = ShowPage(R"(lock_widgets="cand10;chips")");
  game->SetProperty("clear", Variant(1));
  // "cand1" occurs within "cand10": kept as the data expects.
  EXPECT_FALSE(game->FindWidget("cand1")->IsDead());
  EXPECT_TRUE(game->FindWidget("cand2")->IsDead());
}

}  // namespace
