// The compare game: groups resolved by a click on any of their elements.
#include <gtest/gtest.h>

#include "foundation/Random.h"
#include "minigames/MiniGameCompare.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/WidgetFixture.h"

namespace {

class Compare : public WidgetFixture {
 protected:
  Compare() { RegisterMiniGamesClasses(); }
  // Elements a, b, c, d, x at x = 0, 20, 40, 60, 80 (10 x 10).
  TCompareWidget* ShowGame(const std::string& elements) {
    std::string children;
    int x = 0;
    for (const char* n : {"a", "b", "c", "d", "x"}) {
      children += std::string("<widget type=\"test_box\" name=\"") + n + "\" anchor_left=\"" +
                  std::to_string(x) +
                  "\" width=\"10\" height=\"10\" visible=\"yes\" mousestop=\"yes\"/>";
      x += 20;
    }
    Ref<IWidget> w = Show(R"(<widget type="mg_compare_widget" name="minigame_compare" visible="yes"
        mousestop="yes" elements=")" +
                          elements + R"(">
      <widgetfactories>
        <widgetfactory name="pick" type="WidgetFactory">
          <widgetstring><widget type="test_box" name="pick_%id%" paused="yes" extraparams="\elem=%elem%\counter=%counter%"/></widgetstring>
        </widgetfactory>
        <widgetfactory name="win" type="WidgetFactory">
          <widgetstring><widget type="test_box" name="win" paused="yes"/></widgetstring>
        </widgetfactory>
      </widgetfactories><widgets>)" +
                          children + "</widgets></widget>");
    return dynamic_cast<TCompareWidget*>(w.get());
  }
  void Click(char element) {
    int x = (element == 'x' ? 4 : element - 'a') * 20 + 5;
    window->mouse = {x, 5};
    window->HandleMouse(513, {x, 5}, 0);
  }
  // "elem:counter" of every pick made, in order.
  static std::vector<std::string> Picks(TCompareWidget* game) {
    std::vector<std::string> picks;
    for (int i = 0; i < game->GetChildren()->Count(); ++i) {
      Ref<IWidget> w = game->GetChildren()->GetByIndex(i);
      if (w->GetName().rfind("pick_", 0) != 0) continue;
      EXPECT_FALSE(w->IsPaused());  // started at once, not queued
      picks.push_back(w->GetProperty("elem").ToString() + ":" +
                      w->GetProperty("counter").ToString());
    }
    return picks;
  }
};

TEST_F(Compare, ClicksResolveGroupsUntilTheWin) {
  struct Case {
    const char* elements;
    const char* clicks;
    std::vector<std::string> picks;
    bool won;
  } cases[] = {
      {"a,b;c,d", "b", {"a:1", "b:1"}, false},
      {"a,b;c,d", "bc", {"a:1", "b:1", "c:0", "d:0"}, true},
      {"a,b;b,c;d", "b", {"a:1", "b:1", "b:1", "c:1"}, false},  // both groups with b at once
      {"a,b;c,d", "x", {}, false},                              // listed nowhere
      {"a,ghost;c;", "ac", {"a:1", "c:0"}, true},  // no widget: no pick; the empty group is dropped
  };
  for (const Case& c : cases) {
    TCompareWidget* game = ShowGame(c.elements);
    for (const char* k = c.clicks; *k; ++k) Click(*k);
    EXPECT_EQ(Picks(game), c.picks) << c.elements << " " << c.clicks;
    EXPECT_EQ(game->IsWon(), c.won) << c.elements;
    EXPECT_EQ(bool(game->GetChildren()->GetByName("win")), c.won) << c.elements;
  }
}

TEST_F(Compare, HintTargetIsAnElementOfAGroupLeft) {
  TCompareWidget* game = ShowGame("a,b;c,d");
  Click('a');
  SetRandomSeed(7);
  for (int i = 0; i < 20; ++i) {
    std::string hint = game->GetProperty("hint_target").ToString();
    EXPECT_TRUE(hint == "c" || hint == "d") << hint;
  }
  Click('d');
  EXPECT_EQ(game->GetProperty("hint_target").ToString(), "");
  Click('c');  // no input once won
  EXPECT_EQ(Picks(game).size(), 4u);
}

}  // namespace
