// The repeat-the-sequence game: drawing, showing, repeating, wrong clicks, stages,
// shootout removals and per-stage subsets.
#include <gtest/gtest.h>

#include <algorithm>

#include "foundation/Random.h"
#include "minigames/MiniGameSimon.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/WidgetFixture.h"

namespace {

constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="show" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="show_%id%" paused="yes" extraparams="\next=\element=%element%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="pick" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="pick_%id%" paused="yes" extraparams="\next=\element=%element%\mx=%mouse_x%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="remove" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="remove_%id%" paused="yes" extraparams="\next=\element=%element%"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="wrong" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="wrong" paused="yes" extraparams="\next="/></widgetstring>
    </widgetfactory>
    <widgetfactory name="next" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="next_%stage_num%" paused="yes" extraparams="\next="/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

class Simon : public WidgetFixture {
 protected:
  Simon() { RegisterMiniGamesClasses(); }
  // Elements a, b, c, d at x = 0, 20, 40, 60 (10 x 10), a background "bg" below them.
  TSimonWidget* ShowGame(const std::string& attributes) {
    Ref<IWidget> w = Show(R"(<widget type="simon_widget" name="minigame_simon" visible="yes"
        mousestop="yes" )" +
                          attributes + ">" + kFactories + R"(<widgets>
        <widget type="test_box" name="bg" anchor_top="20" width="80" height="10" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="a" width="10" height="10" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="b" anchor_left="20" width="10" height="10" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="c" anchor_left="40" width="10" height="10" visible="yes" mousestop="yes"/>
        <widget type="test_box" name="d" anchor_left="60" width="10" height="10" visible="yes" mousestop="yes"/>
      </widgets></widget>)");
    return dynamic_cast<TSimonWidget*>(w.get());
  }
  void Click(const std::string& element) {
    int x = element == "a"   ? 5
            : element == "b" ? 25
            : element == "c" ? 45
            : element == "d" ? 65
                             : 75;
    int y = element.size() == 1 ? 5 : 25;
    window->mouse = {x, y};
    window->HandleMouse(513, {x, y}, 0);
  }
  // Every feedback widget ends; the next update moves the state on.
  void Settle(TSimonWidget* game) {
    Ref<IWidgetCollection> children = game->GetChildren();
    for (int i = 0; i < children->Count(); ++i) {
      Ref<IWidget> child = children->GetByIndex(i);
      if (child->GetName().size() > 2) child->SetDead(true);
    }
    Frame(16);
  }
  std::vector<std::string> Named(TSimonWidget* game, const std::string& prefix) {
    std::vector<std::string> names;
    Ref<IWidgetCollection> children = game->GetChildren();
    for (int i = 0; i < children->Count(); ++i) {
      std::string name = children->GetByIndex(i)->GetName();
      if (name.rfind(prefix, 0) == 0) names.push_back(name);
    }
    return names;
  }
  void Repeat(TSimonWidget* game) {
    for (const std::string& element : game->SequenceNames()) Click(element);
  }
};

TEST_F(Simon, SequencesKeepNeighboursApart) {
  for (uint64_t seed = 1; seed <= 10; ++seed) {
    SetRandomSeed(seed);
    TSimonWidget* game = ShowGame(R"(items="a;b;c" start_task_size="8" tasks_count="1")");
    std::vector<std::string> sequence = game->SequenceNames();
    ASSERT_EQ(sequence.size(), 8u);
    for (size_t i = 1; i < sequence.size(); ++i) EXPECT_NE(sequence[i], sequence[i - 1]);
  }
  TSimonWidget* game = ShowGame(R"(items="b" start_task_size="4" tasks_count="1")");
  EXPECT_EQ(game->SequenceNames(), (std::vector<std::string>(4, "b")));
}

TEST_F(Simon, ShowsChainThenClicksRepeatThemStageByStage) {
  TSimonWidget* game =
      ShowGame(R"(items="a;b;c" start_task_size="2" increase="1" tasks_count="2")");
  EXPECT_EQ(game->State(), TSimonWidget::kShow);
  // The first show plays, the second waits in its "next".
  std::vector<std::string> shows = Named(game, "show_");
  ASSERT_EQ(shows.size(), 2u);
  Ref<IWidget> first = game->FindWidget(shows[0]);
  EXPECT_FALSE(first->IsPaused());
  EXPECT_TRUE(game->FindWidget(shows[1])->IsPaused());
  EXPECT_EQ(first->GetProperty("next").ToString(), shows[1]);
  EXPECT_EQ(first->GetProperty("element").ToString(), game->SequenceNames()[0]);
  Frame(16);
  EXPECT_EQ(game->State(), TSimonWidget::kShow);  // busy while the shows play
  Settle(game);
  EXPECT_EQ(game->State(), TSimonWidget::kInput);

  std::vector<std::string> kept = game->SequenceNames();
  Repeat(game);
  EXPECT_EQ(game->Matched(), 2);
  std::vector<std::string> picks = Named(game, "pick_");
  ASSERT_EQ(picks.size(), 2u);
  EXPECT_EQ(game->FindWidget(picks[0])->GetProperty("next").ToString(), picks[1]);
  // A click while the last pick plays is passed over: the stage stands.
  Click("d");
  EXPECT_EQ(game->State(), TSimonWidget::kInput);
  EXPECT_TRUE(Named(game, "wrong").empty());

  Settle(game);  // stage complete: longer, the kept sequence grows
  EXPECT_EQ(game->Stage(), 2);
  EXPECT_TRUE(game->GetChildren()->GetByName("next_2"));
  std::vector<std::string> grown = game->SequenceNames();
  ASSERT_EQ(grown.size(), 3u);
  EXPECT_TRUE(std::equal(kept.begin(), kept.end(), grown.begin()));
  Settle(game);
  Settle(game);
  EXPECT_EQ(game->State(), TSimonWidget::kInput);
  Repeat(game);
  Settle(game);
  EXPECT_TRUE(game->IsWon());
  EXPECT_TRUE(game->GetChildren()->GetByName("win"));
}

TEST_F(Simon, AWrongClickDrawsAgainAtTheSameLength) {
  TSimonWidget* game =
      ShowGame(R"(items="a;b;c;d" start_task_size="3" tasks_count="3" snowball="no")");
  Settle(game);
  std::vector<std::string> sequence = game->SequenceNames();
  Click(sequence[0]);
  // Anything but the next element is wrong, the background too.
  Click("bg");
  EXPECT_EQ(game->State(), TSimonWidget::kWrong);
  EXPECT_TRUE(game->GetChildren()->GetByName("wrong"));
  EXPECT_FALSE(game->GetChildren()->GetByName("wrong")->IsPaused());
  EXPECT_EQ(game->SequenceNames().size(), 3u);
  Settle(game);
  EXPECT_EQ(game->State(), TSimonWidget::kShow);
  Settle(game);
  EXPECT_EQ(game->Matched(), 0);  // the clicks made before are gone
  EXPECT_EQ(game->Stage(), 1);
}

TEST_F(Simon, OneStageWinsAfterTheFirstSequence) {
  TSimonWidget* game = ShowGame(R"(items="a;b" start_task_size="1" tasks_count="1")");
  Settle(game);
  Repeat(game);
  Settle(game);
  EXPECT_TRUE(game->IsWon());
  EXPECT_FALSE(game->GetProperty("need_skip").ToBool());
}

TEST_F(Simon, ShootoutNeverRemovesLockedElements) {
  struct Case {
    const char* locked;
    bool removesSomething;  // when an unlocked element is in the sequence
  } cases[] = {{"a", true}, {"a;b", true}, {"a;b;c", false}};
  for (const Case& c : cases)
    for (uint64_t seed = 1; seed <= 8; ++seed) {
      SetRandomSeed(seed);
      TSimonWidget* game = ShowGame(
          std::string(
              R"(items="a;b;c" shootout="yes" start_task_size="3" tasks_count="2" locked=")") +
          c.locked + "\"");
      Settle(game);
      std::vector<std::string> sequence = game->SequenceNames();
      bool freeInSequence = std::any_of(
          sequence.begin(), sequence.end(),
          [&](const std::string& e) { return std::string(c.locked).find(e) == std::string::npos; });
      Repeat(game);
      Settle(game);
      const std::vector<std::string>& active = game->ActiveElements();
      for (const char* locked : {"a", "b", "c"}) {
        if (std::string(c.locked).find(locked) == std::string::npos) continue;
        EXPECT_NE(std::find(active.begin(), active.end(), locked), active.end()) << c.locked;
      }
      EXPECT_EQ(active.size(), c.removesSomething && freeInSequence ? 2u : 3u) << c.locked << seed;
      EXPECT_EQ(Named(game, "remove_").size(), active.size() == 2u ? 1u : 0u);
      // The kept sequence names only elements still in play.
      for (const std::string& e : game->SequenceNames())
        EXPECT_NE(std::find(active.begin(), active.end(), e), active.end());
    }
}

TEST_F(Simon, EachStageDrawsFromItsList) {
  TSimonWidget* game =
      ShowGame(R"(items="a;b;c;d" start_task_size="4" tasks_count="3" index_buffer="c;zz,b")");
  EXPECT_EQ(game->ActiveElements(), (std::vector<std::string>{"c"}));
  EXPECT_EQ(game->SequenceNames(), (std::vector<std::string>(4, "c")));
  Settle(game);
  Repeat(game);
  Settle(game);
  // A name that is no item stands for the first item.
  EXPECT_EQ(game->ActiveElements(), (std::vector<std::string>{"a", "b"}));
  Settle(game);
  Settle(game);
  Repeat(game);
  Settle(game);
  // Past the lists, the stage keeps its elements.
  EXPECT_EQ(game->Stage(), 3);
  EXPECT_EQ(game->ActiveElements(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(Simon, EmptyAndOversizedDataStayPlayable) {
  TSimonWidget* game = ShowGame(R"(items="" start_task_size="3" tasks_count="1")");
  EXPECT_EQ(game->SequenceNames(), (std::vector<std::string>(3, "")));
  Settle(game);
  Click("a");
  EXPECT_EQ(game->State(), TSimonWidget::kWrong);
  game =
      ShowGame(R"(items="a;b" start_task_size="2000000000" increase="2000000000" tasks_count="2")");
  EXPECT_EQ(game->SequenceNames().size(), size_t(TSimonWidget::kMaxLength));
  game = ShowGame(R"(items="a;b" start_task_size="0" tasks_count="0")");
  Settle(game);
  Settle(game);
  EXPECT_TRUE(game->IsWon());
}

// A stage's growth at the integer limits: the next stage still waits for its clicks, its
// sequence as long as a sequence can be, or as long as before.
TEST_F(Simon, GrowthAtTheLimitsStillAsksForTheClicks) {
  struct Case {
    const char* increase;
    size_t length;  // of the second stage
  } cases[] = {{"2147483647", size_t(TSimonWidget::kMaxLength)}, {"-2147483648", 2u}};
  for (const Case& c : cases) {
    TSimonWidget* game =
        ShowGame(std::string(R"(items="a;b" start_task_size="2" tasks_count="3" increase=")") +
                 c.increase + "\"");
    Settle(game);
    Repeat(game);
    Settle(game);
    EXPECT_EQ(game->Stage(), 2) << c.increase;
    EXPECT_EQ(game->SequenceNames().size(), c.length) << c.increase;
    Settle(game);
    Settle(game);
    EXPECT_EQ(game->Stage(), 2) << c.increase;
    EXPECT_FALSE(game->IsWon()) << c.increase;
  }
}

}  // namespace
