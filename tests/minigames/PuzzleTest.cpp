// The jigsaw: scattering, drags, joins within the tolerance, locked pieces, the block
// rectangle and the win.
#include <gtest/gtest.h>

#include "foundation/Random.h"
#include "minigames/MiniGamePuzzle.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/support/GameFeedback.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"

namespace {

// Feedback without "next" starts at once; the "win" dies after a frame.
constexpr const char* kFactories = R"(
  <widgetfactories>
    <widgetfactory name="pick" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="pick_%id%" paused="yes"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="connect" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="connect_%id%" paused="yes"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="unpick" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="unpick_%id%" paused="yes"/></widgetstring>
    </widgetfactory>
    <widgetfactory name="win" type="WidgetFactory">
      <widgetstring><widget type="test_box" name="win" paused="yes" timetolive="1"/></widgetstring>
    </widgetfactory>
  </widgetfactories>)";

// 50 x 50 pieces of a picture two pieces wide: a (0,0), b (50,0), c (0,50), d (50,50).
std::string Piece(const char* name, int x, int y) {
  return "<widget type=\"test_box\" name=\"" + std::string(name) + "\" anchor_left=\"" +
         std::to_string(x) + "\" anchor_top=\"" + std::to_string(y) +
         "\" width=\"50\" height=\"50\" visible=\"yes\" mousestop=\"yes\"/>";
}

class Puzzle : public WidgetFixture {
 protected:
  Puzzle() { RegisterMiniGamesClasses(); }

  // The game at Origin; the scatter area is a point at (200, 200) unless Attributes say
  // otherwise. A full-area background below the pieces takes the releases.
  TPuzzleWidget* ShowGame(const std::string& attributes, const std::string& pieces,
                          TPoint origin = {0, 0}) {
    Ref<IWidget> w = Show(
        "<widget type=\"puzzle_widget\" name=\"minigame_jigsaw\" visible=\"yes\" mousestop=\"yes\" "
        "anchor_left=\"" +
        std::to_string(origin.X) + "\" anchor_top=\"" + std::to_string(origin.Y) +
        "\" area_left=\"200\" area_top=\"200\" " + attributes + ">" + kFactories +
        "<widgets><widget type=\"test_box\" name=\"bg\" z=\"-100\" width=\"600\" height=\"600\" "
        "visible=\"yes\" mousestop=\"yes\"/>" +
        pieces + "</widgets></widget>");
    origin_ = origin;
    return dynamic_cast<TPuzzleWidget*>(w.get());
  }
  // Presses at From, moves to To for one frame and releases there (game coordinates).
  void Drag(TPoint from, TPoint to, bool release = true) {
    TPoint a{from.X + origin_.X, from.Y + origin_.Y}, b{to.X + origin_.X, to.Y + origin_.Y};
    window->mouse = a;
    window->HandleMouse(513, a, 1);
    window->mouse = b;
    window->HandleMouse(512, b, 1);
    Frame(16);
    if (release) window->HandleMouse(514, b, 0);
  }
  TPoint At(TPuzzleWidget* game, const char* name) {
    Ref<IWidget> w = game->FindWidget(name);
    return {int32_t(w->GetAnchorLeft()), int32_t(w->GetAnchorTop())};
  }
  TPoint origin_;
};

TEST_F(Puzzle, DropsJoinWithinTheTolerance) {
  struct Case {
    int infelicity, dx, dy;
    bool joins;
  } cases[] = {
      {0, 0, 0, true},  {0, 1, 0, false}, {5, 5, -5, true},
      {5, 6, 0, false}, {5, 0, 6, false}, {-3, 0, 0, true},  // a negative tolerance counts as 0
  };
  for (const Case& c : cases) {
    // a stays home; b, scattered to (200, 200), is dropped next to it.
    TPuzzleWidget* game = ShowGame(
        "lock=\"a\" infelicity=\"" + std::to_string(c.infelicity) + "\" elements=\"a:b;b:a\"",
        Piece("a", 0, 0) + Piece("b", 50, 0));
    ASSERT_EQ(At(game, "b"), (TPoint{200, 200}));
    Drag({210, 210}, {60 + c.dx, 10 + c.dy});
    std::string label = "infelicity " + std::to_string(c.infelicity) + " off " +
                        std::to_string(c.dx) + "," + std::to_string(c.dy);
    EXPECT_EQ(At(game, "a"), (TPoint{0, 0})) << label;  // locked: never moves, even joined
    if (c.joins)
      EXPECT_EQ(At(game, "b"), (TPoint{50, 0})) << label;  // snapped to the locked piece
    else
      EXPECT_EQ(At(game, "b"), (TPoint{50 + c.dx, c.dy})) << label;
    EXPECT_EQ(game->IsWon(), c.joins) << label;
    EXPECT_EQ(CountChildren(game, "connect_"), c.joins ? 1 : 0) << label;
    EXPECT_EQ(CountChildren(game, "unpick_"), c.joins ? 0 : 1) << label;
    EXPECT_EQ(CountChildren(game, "pick_"), 1) << label;
  }
}

TEST_F(Puzzle, JoinedGroupsMoveAndSnapTogether) {
  // Nothing locked: the area is a point, so every piece starts at (200, 200); the last
  // listed lies on top.
  TPuzzleWidget* game = ShowGame("infelicity=\"3\" elements=\"a:b,c;b:a;c:a\"",
                                 Piece("a", 0, 0) + Piece("b", 50, 0) + Piece("c", 0, 50));
  Drag({210, 210}, {10, 310});  // c to (0, 300)
  Drag({210, 210}, {310, 10});  // b to (300, 0)
  ASSERT_EQ(At(game, "a"), (TPoint{200, 200}));
  Drag({210, 210}, {12, 262});  // a to (2, 252): 2 pixels off c's offset
  // The dropped piece stays; the group it joined snaps to the exact offset.
  EXPECT_EQ(At(game, "a"), (TPoint{2, 252}));
  EXPECT_EQ(At(game, "c"), (TPoint{2, 302}));
  EXPECT_EQ(game->Pieces()[0].group, game->Pieces()[2].group);
  // The joined pair is larger, so it lies below the single piece.
  EXPECT_EQ(game->FindWidget("a")->GetZ(), 1);
  EXPECT_EQ(game->FindWidget("b")->GetZ(), 2);

  // Dragging c drags a by its offset; b joins the pair and the puzzle is done.
  Drag({10, 310}, {110, 110});
  EXPECT_EQ(At(game, "c"), (TPoint{102, 102}));
  EXPECT_EQ(At(game, "a"), (TPoint{102, 52}));
  EXPECT_FALSE(game->IsWon());
  Drag({310, 10}, {162, 62});
  EXPECT_EQ(At(game, "b"), (TPoint{152, 52}));
  EXPECT_TRUE(game->IsSolved());
  EXPECT_TRUE(game->IsWon());
  EXPECT_FALSE(game->GetProperty("need_skip").ToBool());
}

TEST_F(Puzzle, WinsOnceAndStaysDraggable) {
  TPuzzleWidget* game =
      ShowGame("lock=\"a\" elements=\"a:b;b:a\"", Piece("a", 0, 0) + Piece("b", 50, 0));
  Drag({210, 210}, {60, 10});
  ASSERT_TRUE(game->IsWon());
  EXPECT_EQ(CountChildren(game, "win"), 1);
  for (int i = 0; i < 4; ++i) Frame(16);  // the feedback has played and gone
  EXPECT_EQ(CountChildren(game, "win"), 0);
  // A later drop (of the locked group: nothing moves) tests again, but wins no more.
  Drag({60, 10}, {300, 300});
  EXPECT_EQ(At(game, "b"), (TPoint{50, 0}));
  EXPECT_EQ(CountChildren(game, "win"), 0);
  EXPECT_EQ(CountChildren(game, "connect_"), 1);
  EXPECT_EQ(CountChildren(game, "unpick_"), 1);
}

TEST_F(Puzzle, LockedPiecesStayHome) {
  TPuzzleWidget* game =
      ShowGame("lock=\"a;ghost\" elements=\"a:b;b:a\"", Piece("a", 0, 0) + Piece("b", 50, 0));
  EXPECT_TRUE(game->Pieces()[0].locked);
  EXPECT_FALSE(game->Pieces()[1].locked);
  Drag({10, 10}, {300, 300});
  EXPECT_EQ(At(game, "a"), (TPoint{0, 0}));
  EXPECT_TRUE(game->IsGroupLocked(0));
  EXPECT_FALSE(game->IsGroupLocked(1));
}

TEST_F(Puzzle, TheBlockDropsADragThatLeavesIt) {
  struct Case {
    TPoint to;
    TPoint at;
    bool dropped;
  } cases[] = {
      {{-30, 300}, {40, 290}, true},   // past the left edge: 40 inside it
      {{300, -5}, {290, 40}, true},    // past the top
      {{470, 300}, {360, 290}, true},  // past the right edge (400): 40 inside it
      {{10, 300}, {0, 290}, false},    // on the left edge: inside, the drag goes on
  };
  for (const Case& c : cases) {
    TPuzzleWidget* game = ShowGame(
        "block_drag=\"yes\" block_left=\"0\" block_top=\"0\" block_width=\"400\" "
        "block_height=\"400\" elements=\"a:b;b:a\"",
        Piece("a", 0, 0) + Piece("b", 50, 0));
    Drag({210, 210}, c.to, false);
    EXPECT_EQ(At(game, "b"), c.at) << c.to.X << "," << c.to.Y;
    EXPECT_EQ(game->IsDragging(), !c.dropped) << c.to.X << "," << c.to.Y;
    EXPECT_EQ(CountChildren(game, "unpick_"), c.dropped ? 1 : 0) << c.to.X << "," << c.to.Y;
  }
}

TEST_F(Puzzle, ScatterDrawsTheRowFirstAndAreaZeroIsAPoint) {
  TPuzzleWidget* game = ShowGame("area_width=\"0\" area_height=\"-5\" elements=\"a;b;c\"",
                                 Piece("a", 0, 0) + Piece("b", 50, 0) + Piece("c", 0, 50));
  for (const char* name : {"a", "b", "c"}) EXPECT_EQ(At(game, name), (TPoint{200, 200})) << name;

  SetRandomSeed(7);
  int32_t y = Random(100), x = Random(300);
  SetRandomSeed(7);
  game = ShowGame("area_width=\"300\" area_height=\"100\" elements=\"a\"", Piece("a", 0, 0));
  EXPECT_EQ(At(game, "a"), (TPoint{200 + x, 200 + y}));
}

TEST_F(Puzzle, ReleasesWithoutADrag) {
  TPuzzleWidget* game =
      ShowGame("lock=\"a\" elements=\"a:b;b:a\"", Piece("a", 0, 0) + Piece("b", 50, 0));
  // Before any drag there is no piece to test: nothing happens.
  window->HandleMouse(514, {500, 500}, 0);
  EXPECT_EQ(game->GetChildren()->Count(), 3);
  // Afterwards a release re-tests the last piece dragged.
  Drag({210, 210}, {310, 310});
  Frame(16);
  window->HandleMouse(514, {500, 500}, 0);
  EXPECT_EQ(CountChildren(game, "unpick_"), 2);
  EXPECT_FALSE(game->IsWon());
}

TEST_F(Puzzle, BadPieceListsAreLeftOutWithAMessage) {
  WarningCapture warnings;
  TPuzzleWidget* game =
      ShowGame("elements=\"a:b,ghost,a;ghost:a;a;;b:a\"", Piece("a", 0, 0) + Piece("b", 50, 0));
  ASSERT_EQ(game->Pieces().size(), 2u);
  EXPECT_EQ(game->Pieces()[0].neighbours.size(), 1u);  // b only
  EXPECT_EQ(warnings.Lines().size(), 4u);  // ghost as piece, ghost and a as a's neighbours, a twice
  for (const std::string& line : warnings.Lines())
    EXPECT_NE(line.find("minigame_jigsaw"), std::string::npos) << line;

  // No pieces at all: clicks and releases do nothing, the puzzle is never solved.
  game = ShowGame("", "");
  Drag({10, 10}, {20, 20});
  EXPECT_FALSE(game->IsSolved());
  EXPECT_FALSE(game->IsWon());
  EXPECT_TRUE(game->GetProperty("need_skip").ToBool());
}

TEST_F(Puzzle, AnOffsetGameDragsInItsOwnSpace) {
  TPuzzleWidget* game =
      ShowGame("lock=\"a\" elements=\"a:b;b:a\"", Piece("a", 0, 0) + Piece("b", 50, 0), {232, 110});
  Drag({210, 210}, {60, 10});  // Drag adds the origin to the screen points
  EXPECT_EQ(At(game, "b"), (TPoint{50, 0}));
  EXPECT_TRUE(game->IsWon());
}

}  // namespace
