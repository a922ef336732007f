// The move-objects game: items dragged inside the block rectangle, never won but by skip.
#include <gtest/gtest.h>

#include "minigames/MiniGameMoveObjects.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/FeedbackFactories.h"
#include "tests/support/WidgetFixture.h"

namespace {

class MoveObjects : public WidgetFixture {
 protected:
  MoveObjects() { RegisterMiniGamesClasses(); }
  // Items a (10,10) and b (40,10), 10 x 10, over a 200 x 200 background; block 0..100.
  TMoverWidget* ShowGame(
      const std::string& attrs = R"(block_drag="yes" block_width="100" block_height="100")") {
    Ref<IWidget> w = Show(
        R"(<widget type="mg_move_widget" name="minigame_move" visible="yes"
        mousestop="yes" itemcount="2" )" +
        attrs + ">" + FeedbackFactories({{"pick", "id"}, {"unpick", "id"}, {"win", ""}}) +
        R"(<sounds><sound name="pick" resourcename="pick.wav"/><sound name="unpick" resourcename="unpick.wav"/></sounds>
        <item name="a"/><item name="b"/><widgets>)" +
        TestBoxes({{"bg", 0, 0, 200, 200}, {"a", 10, 10}, {"b", 40, 10}}) + "</widgets></widget>");
    return dynamic_cast<TMoverWidget*>(w.get());
  }
  void Mouse(uint32_t message, int x, int y) {
    window->mouse = {x, y};
    window->HandleMouse(message, {x, y}, 0);
  }
  TPoint At(TMoverWidget* game, const char* name) {
    Ref<IWidget> w = game->FindWidget(name);
    return {int32_t(w->GetAnchorLeft()), int32_t(w->GetAnchorTop())};
  }
};

TEST_F(MoveObjects, DragsAnItemByItsGrip) {
  TMoverWidget* game = ShowGame();
  Mouse(513, 15, 15);
  EXPECT_EQ(game->DraggedItem(), "a");
  EXPECT_EQ(MadeWidgets(game, "pick_").size(), 1u);
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"pick.wav"}));
  Mouse(512, 35, 45);
  Frame(16);
  EXPECT_EQ(At(game, "a"), (TPoint{30, 40}));
  Mouse(514, 35, 45);
  EXPECT_FALSE(game->IsDragging());
  EXPECT_EQ(At(game, "a"), (TPoint{30, 40}));
  EXPECT_EQ(MadeWidgets(game, "unpick_").size(), 1u);
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"pick.wav", "unpick.wav"}));
  EXPECT_FALSE(game->IsWon());
}

TEST_F(MoveObjects, PastTheBlockEdgeTheItemDropsBackInside) {
  struct Case {
    int x, y;
    TPoint expected;
  } cases[] = {
      {105, 50, {90, 45}},  // right edge pushed back to the block's right
      {50, 98, {45, 90}},   // bottom
      {2, 50, {0, 45}},     // left edge pushed to the block's left
      {50, 3, {45, 0}},
  };
  for (const Case& c : cases) {
    TMoverWidget* game = ShowGame();
    Mouse(513, 15, 15);
    Mouse(512, c.x, c.y);
    Frame(16);
    EXPECT_FALSE(game->IsDragging()) << c.x << "," << c.y;
    EXPECT_EQ(At(game, "a"), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(MadeWidgets(game, "unpick_").size(), 1u);
  }
}

TEST_F(MoveObjects, APressBesideTheItemsForgetsTheDragSilently) {
  TMoverWidget* game = ShowGame();
  Mouse(513, 15, 15);
  Mouse(513, 150, 150);  // on the background
  EXPECT_FALSE(game->IsDragging());
  EXPECT_EQ(game->DraggedItem(), "null_widget");
  EXPECT_TRUE(MadeWidgets(game, "unpick_").empty());
  EXPECT_EQ(engine->playedSounds, (std::vector<std::string>{"pick.wav"}));
  // A press on an item while dragging drops the dragged one.
  Mouse(513, 15, 15);
  Mouse(513, 45, 15);
  EXPECT_FALSE(game->IsDragging());
  EXPECT_EQ(MadeWidgets(game, "unpick_").size(), 1u);
}

TEST_F(MoveObjects, OnlyTheSkipWinsAndReleaseEmptiesTheItems) {
  TMoverWidget* game = ShowGame();
  for (int i = 0; i < 3; ++i) {
    Mouse(513, 15, 15);
    Mouse(514, 15, 15);
  }
  EXPECT_FALSE(game->IsWon());
  EXPECT_TRUE(game->GetProperty("need_skip").ToBool());
  game->SetProperty("need_skip", Variant(false));
  EXPECT_TRUE(game->GetProperty("win").ToBool());
  EXPECT_TRUE(game->FindWidget("win"));
  Mouse(513, 15, 15);
  EXPECT_FALSE(game->IsDragging());  // no input after the win
  window->SetRoot(nullptr);
  Mouse(513, 15, 15);
}

}  // namespace
