// The pyramid stacking game: drawn tasks, the stack, stages, the win and its hit test.
#include <gtest/gtest.h>

#include <set>

#include "foundation/Random.h"
#include "minigames/MiniGamePyramid.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

// Menu items 10 x 10 along y 0 (apex, a, b, c at x 0, 20, 40, 60; "Trash" at 100); the
// stack grows upwards from (0, 100) by 12 pixels; two task slots.
constexpr const char* kChildren = R"(
  <widgetfactories>
    <widgetfactory name="pyramiditem" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="%name%" anchor_left="%pleft%" anchor_top="%ptop%"
        z="%z%" width="%width%" height="%height%" visible="yes" mousestop="yes"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win"/></widgetstring>
    </widgetfactory>
  </widgetfactories>
  <widgets>
    <widget type="group_widget" name="menu" visible="yes" mousestop="yes"><widgets>
      <widget type="test_box" name="apex" width="10" height="10" visible="yes" mousestop="yes"
              extraparams="\px=0\py=-12\dx=0\dy=0"/>
      <widget type="test_box" name="a" anchor_left="20" width="10" height="10" visible="yes"
              mousestop="yes" extraparams="\px=0\py=-12\dx=0\dy=0"/>
      <widget type="test_box" name="b" anchor_left="40" width="10" height="10" visible="yes"
              mousestop="yes" extraparams="\px=0\py=-12\dx=0\dy=0"/>
      <widget type="test_box" name="c" anchor_left="60" width="10" height="10" visible="yes"
              mousestop="yes" extraparams="\px=0\py=-12\dx=0\dy=0"/>
    </widgets></widget>
    <widget type="group_widget" name="pyramid" anchor_top="100" visible="yes" mousestop="yes"
            extraparams="\px=0\py=0"/>
    <widget type="group_widget" name="tasks" anchor_left="200" visible="yes" extraparams="\tasks=2"><widgets>
      <widget type="group_widget" name="task0" visible="yes"><widgets>
        <widget type="group_widget" name="inner" visible="yes" extraparams="\px=0\py=100"/>
      </widgets></widget>
      <widget type="group_widget" name="task1" anchor_left="50" visible="yes"><widgets>
        <widget type="group_widget" name="inner" visible="yes" extraparams="\px=0\py=100"/>
      </widgets></widget>
    </widgets></widget>
    <widget type="test_box" name="Trash" anchor_left="100" width="10" height="10" visible="yes"
            mousestop="yes"/>
  </widgets>)";

class Pyramid : public WidgetFixture {
 protected:
  Pyramid() { RegisterMiniGamesClasses(); }
  TPyramidWidget* ShowGame(const std::string& attributes) {
    Ref<IWidget> w = Show(R"(<widget type="pyramid_widget" name="pyramid_game" visible="yes"
        mousestop="yes" )" +
                          attributes + ">" + kChildren + "</widget>");
    return dynamic_cast<TPyramidWidget*>(w.get());
  }
  void ClickAt(int x, int y) {
    window->mouse = {x, y};
    window->HandleMouse(513, {x, y}, 0);
  }
  void ClickItem(const std::string& item) {
    int x = item == "apex" ? 5 : item == "a" ? 25 : item == "b" ? 45 : item == "c" ? 65 : 105;
    ClickAt(x, 5);
  }
  // The top of a stack of N items.
  void ClickTop(size_t n) { ClickAt(5, 105 - 12 * int(n - 1)); }
};

TEST_F(Pyramid, TaskKeepsOneEntryOfEveryLevelUnderARandomApex) {
  std::set<std::string> middles;
  for (uint64_t seed = 1; seed <= 20; ++seed) {
    SetRandomSeed(seed);
    TPyramidWidget* game = ShowGame(R"(items="apex;a-b;c" dubl="2" stages="3")");
    std::vector<std::string> task = game->TaskItems(0);
    ASSERT_EQ(task.size(), 3u);
    EXPECT_EQ(task[0], "c");
    EXPECT_TRUE(task[1] == "a" || task[1] == "b") << task[1];
    EXPECT_EQ(task[2], "apex");
    middles.insert(task[1]);
  }
  EXPECT_EQ(middles.size(), 2u);  // both level-1 items come up
}

TEST_F(Pyramid, StageSizesAreRaisedAndLoweredToWhatCanBeDrawn) {
  struct Case {
    const char* attributes;
    const char* stages;  // as read back
    size_t taskSize;
  } cases[] = {
      {R"(items="apex;a-b;c" stages="1")", "3;", 3},         // raised to levels + 1
      {R"(items="apex;a-b;c" stages="-4")", "3;", 3},        // negative counts as 0
      {R"(items="apex;a" dubl="1" stages="9")", "2;", 2},    // pool of 1 + the apex
      {R"(items="apex;a-b" dubl="0" stages="3")", "1;", 1},  // no copies: the apex alone
      {R"(items="apex-top;a-b" dubl="2" stages="5;2")", "5;2;", 5},
  };
  for (const Case& c : cases) {
    TPyramidWidget* game = ShowGame(c.attributes);
    EXPECT_EQ(game->GetProperty("stages").ToString(), c.stages) << c.attributes;
    EXPECT_EQ(game->TaskItems(0).size(), c.taskSize) << c.attributes;
  }
}

TEST_F(Pyramid, ItemsReadBackInTheirSyntax) {
  for (const char* items : {"apex;a-b;c", "x-y;;z", ""}) {
    TPyramidWidget* game = ShowGame(std::string("items=\"") + items + "\" stages=\"\"");
    EXPECT_EQ(game->GetProperty("items").ToString(), items);
  }
}

TEST_F(Pyramid, StackPopAndTrash) {
  TPyramidWidget* game = ShowGame(R"(items="apex;a-b;c" stages="3;2")");  // largest 3
  ClickItem("a");
  ClickItem("a");
  EXPECT_EQ(game->Stack(), (std::vector<std::string>{"pyramid/a_1", "pyramid/a_2"}));
  Ref<IWidget> second = game->FindWidget("pyramid/a_2");
  ASSERT_TRUE(second);
  EXPECT_EQ(second->GetAnchorTop(), -12);  // above the first by the menu's "py"
  EXPECT_FALSE(game->FindWidget("pyramid/a_1")->IsMouseStop());  // only the top takes clicks
  ClickTop(2);
  EXPECT_EQ(game->Stack(), (std::vector<std::string>{"pyramid/a_1"}));
  EXPECT_FALSE(game->FindWidget("pyramid/a_2"));
  EXPECT_TRUE(game->FindWidget("pyramid/a_1")->IsMouseStop());
  // Never beyond the largest stage size.
  for (const char* item : {"b", "b", "b", "b"}) ClickItem(item);
  EXPECT_EQ(game->Stack().size(), 3u);
  ClickItem("Trash");
  EXPECT_TRUE(game->Stack().empty());
  EXPECT_EQ(game->FindWidget("pyramid")->GetChildren()->Count(), 0);
}

TEST_F(Pyramid, StagesAdvanceToTheWin) {
  TPyramidWidget* game = ShowGame(R"(items="apex;a-b;c" stages="3;3")");
  // The slots show the current stage and the next one.
  auto slotItems = [&](int k) {
    return game->FindWidget("tasks/task" + std::to_string(k) + "/inner")->GetChildren()->Count();
  };
  EXPECT_EQ(slotItems(0), 3);
  EXPECT_EQ(slotItems(1), 3);
  for (int stage = 0; stage < 2; ++stage) {
    EXPECT_EQ(game->CurrentStage(), stage);
    for (const std::string& item : game->TaskItems(stage)) ClickItem(item);
    EXPECT_TRUE(game->Stack().empty());
  }
  EXPECT_EQ(game->CurrentStage(), 2);
  EXPECT_FALSE(game->FindWidget("tasks/task0")->IsVisible());  // no stage left to show
  EXPECT_TRUE(game->GetChildren()->GetByName("win"));
  EXPECT_FALSE(game->IsMouseStop());
  // The clicks now fall through.
  EXPECT_FALSE(window->WidgetAtPos({25, 5}));
}

TEST_F(Pyramid, AWrongStackStaysUntilMended) {
  TPyramidWidget* game = ShowGame(R"(items="apex;a-b;c" stages="3")");
  std::vector<std::string> task = game->TaskItems(0);
  ClickItem(task[0]);
  ClickItem(task[1] == "a" ? "b" : "a");  // the other level-1 item
  ClickItem("apex");
  EXPECT_EQ(game->CurrentStage(), 0);
  ClickTop(3);
  ClickTop(2);
  ClickItem(task[1]);
  ClickItem("apex");
  EXPECT_EQ(game->CurrentStage(), 1);
}

TEST_F(Pyramid, HitTestAnswersEverywhereOnlyWhileShownAndTakingTheMouse) {
  TPyramidWidget* game = ShowGame(R"(items="apex;a" stages="2")");
  EXPECT_EQ(game->WidgetAtPos({500, 500}).get(), game);  // no child there: still the pyramid
  ClickAt(500, 500);
  EXPECT_TRUE(game->Stack().empty());
  game->SetVisible(false);
  EXPECT_FALSE(game->WidgetAtPos({5, 5}));
  game->SetVisible(true);
  game->SetMouseStop(false);
  EXPECT_FALSE(game->WidgetAtPos({5, 5}));
}

TEST_F(Pyramid, MissingPiecesAreGuarded) {
  WarningCapture warnings;
  // No items: nothing to draw or stack.
  TPyramidWidget* game = ShowGame(R"(stages="3")");
  EXPECT_TRUE(game->TaskItems(0).empty());
  ClickItem("a");
  EXPECT_TRUE(game->Stack().empty());
  // Items without menu widgets still stack, at the pyramid's own place.
  game = ShowGame(R"(items="top;x" stages="2")");
  EXPECT_EQ(game->TaskItems(0), (std::vector<std::string>{"x", "top"}));
  game->StackItem("x");
  game->StackItem("top");
  EXPECT_TRUE(game->GetChildren()->GetByName("win"));
  // No apex item: the column has no top.
  game = ShowGame(R"(items=";a" dubl="1" stages="2")");
  EXPECT_EQ(game->TaskItems(0), (std::vector<std::string>{"a"}));
  // Copies beyond the limit are cut, with a warning.
  game = ShowGame(R"(items="apex;a" dubl="1000000" stages="2")");
  EXPECT_EQ(game->TaskItems(0).size(), 2u);
  ASSERT_EQ(warnings.Lines().size(), 1u);
  EXPECT_NE(warnings.Lines()[0].find("\"dubl\" 1000000"), std::string::npos);
}

}  // namespace
