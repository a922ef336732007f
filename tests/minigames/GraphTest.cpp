// The graph game: crossings and dragging in ravel mode, route search and the walk in
// pathfinding mode.
#include <gtest/gtest.h>

#include "foundation/Random.h"
#include "functions/FunctionRegistration.h"
#include "minigames/MiniGameGraph.h"
#include "minigames/MiniGamesRegistration.h"
#include "tests/minigames/FeedbackFactories.h"
#include "tests/support/WarningCapture.h"
#include "tests/support/WidgetFixture.h"
#include "widgets/CurveWidgets.h"
#include "widgets/WidgetsRegistration.h"

namespace {

// Edges are curve widgets over a segment, named after their key.
const char* const kEdgeFactory = R"(
  <widgetfactory name="graph_edge" type="WidgetFactory"><widgetstring>
    <widget type="curve_widget" name="edge_%id%" visible="yes" smooth="no"><widgets>
      <widget type="test_box" name="pen" width="1" height="1"/></widgets>
      <function type="path_segment"><paramspace><paramdefs>
        <paramdef name="x" col="0" row="0" static="yes"/><paramdef name="y" col="0" row="1" static="yes"/>
        <paramdef name="s" col="1" row="0" static="yes"/>
        <paramdef name="x1" col="2" row="0" static="yes"/><paramdef name="y1" col="2" row="1" static="yes"/>
        <paramdef name="x2" col="2" row="2" static="yes"/><paramdef name="y2" col="2" row="3" static="yes"/>
        <paramdef name="TotalTime" col="2" row="4" static="yes"/><paramdef name="length" col="2" row="5" static="yes"/>
      </paramdefs></paramspace></function></widget>
  </widgetstring></widgetfactory>)";

class Graph : public WidgetFixture {
 protected:
  Graph() {
    RegisterFunctionsClasses();
    RegisterWidgetsClasses();
    RegisterMiniGamesClasses();
  }
  // Vertices v0, v1, ... (10 x 10 boxes at the given points) over a 200 x 200 background.
  TGraphWidget* ShowGame(const std::string& attrs, const std::string& vertices,
                         const std::vector<TPoint>& at) {
    std::vector<TestBoxSpec> boxes{{"bg", 0, 0, 200, 200}};
    for (size_t i = 0; i < at.size(); ++i)
      boxes.push_back({"v" + std::to_string(i), at[i].X, at[i].Y});
    Ref<IWidget> w = Show(
        R"(<widget type="mg_graph_widget" name="minigame_graph" visible="yes" mousestop="yes" )" +
        attrs + ">" +
        FeedbackFactories({{"pick", "id"},
                           {"unpick", "id"},
                           {"drag_animation", "name,toID,x2,y2,state,angle"},
                           {"move_animation", "name,toID,x2,y2,link,fromID,x1,y1,angle"},
                           {"neighbor_animation", "name,fromID,toID"},
                           {"visit_animation", "name"},
                           {"unmove_animation", "name,fromID,toID,angle"},
                           {"wrong_animation", "name,fromID,toID"},
                           {"state_animation", "name,state"},
                           {"win", ""}},
                          kEdgeFactory) +
        "<vertice>" + vertices + "</vertice><widgets>" + TestBoxes(boxes) + "</widgets></widget>");
    return dynamic_cast<TGraphWidget*>(w.get());
  }
  void Mouse(uint32_t message, TPoint p) {
    window->mouse = p;
    window->HandleMouse(message, p, 0);
  }
  // Ends the feedback made so far (kept as children until the next update), so that the
  // queue is idle again.
  void Settle(TGraphWidget* game) {
    for (const Ref<IWidget>& w : MadeWidgets(game, ""))
      if (w->GetName().find("_animation_") != std::string::npos) w->SetDead(true);
  }
  // A click in pathfinding mode: the release over vertex I.
  void Click(TGraphWidget* game, int i) {
    const auto& v = game->Vertices()[size_t(i)];
    Mouse(514, {v.x + 5, v.y + 5});
    Settle(game);
  }
  static std::vector<int32_t> Walk(TGraphWidget* game) { return game->Path(); }
};

// ---------------------------------------------------------------------------------------
// Crossings

TEST_F(Graph, SegmentsCross) {
  struct Case {
    TPoint a1, a2, b1, b2;
    bool shared, cross;
    const char* what;
  } cases[] = {
      {{0, 0}, {10, 10}, {0, 10}, {10, 0}, false, true, "an X"},
      {{0, 0}, {10, 0}, {20, -5}, {20, 5}, false, false, "lines meeting beyond a segment"},
      {{0, 0}, {10, 0}, {5, 0}, {5, 10}, false, true, "one end on the other edge"},
      {{0, 0}, {10, 0}, {0, 0}, {0, 10}, true, false, "a shared vertex"},
      {{0, 0}, {10, 0}, {10, 0}, {5, 10}, true, false, "a shared vertex at the far end"},
      {{0, 0}, {10, 0}, {0, 5}, {10, 5}, false, false, "parallel apart"},
      {{0, 0}, {10, 0}, {5, 0}, {15, 0}, false, true, "collinear, overlapping"},
      {{0, 0}, {10, 0}, {20, 0}, {30, 0}, false, false, "collinear, apart"},
      {{0, 0}, {10, 0}, {10, 0}, {20, 0}, false, true, "collinear, one common point"},
      {{0, 0}, {10, 0}, {10, 0}, {20, 0}, true, false, "collinear, one common point, shared"},
      {{0, 0}, {0, 10}, {0, 10}, {0, 20}, true, false, "upright, one common point, shared"},
      {{0, 0}, {10, 0}, {0, 0}, {5, 0}, true, true, "collinear, shared, folded back"},
      {{0, 0}, {10, 10}, {0, 0}, {5, 5}, true, true, "diagonal, shared, folded back"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TGraphWidget::SegmentsCross(c.a1, c.a2, c.b1, c.b2, c.shared), c.cross) << c.what;
    EXPECT_EQ(TGraphWidget::SegmentsCross(c.b1, c.b2, c.a1, c.a2, c.shared), c.cross) << c.what;
  }
}

// A square's diagonals cross: v0 (10,10), v1 (50,10), v2 (50,50), v3 (10,50); edges
// 0-2, 1-3 and 0-1.
const char* const kSquare =
    R"(<vertex name="v0" neighbors="2;1"/><vertex name="v1" neighbors="3;0:9"/><vertex name="v2"/><vertex name="v3"/>)";
const std::vector<TPoint> kCorners{{10, 10}, {50, 10}, {50, 50}, {10, 50}};
const char* const kRavel =
    R"(mode="ravel" shuffle="no" area_width="100" area_height="100" delta_limit="0")";

TEST_F(Graph, RavelEdgesAreCurvesShowingTheirCrossings) {
  TGraphWidget* game = ShowGame(kRavel, kSquare, kCorners);
  ASSERT_EQ(game->Edges().size(), 3u);  // 0-1 is listed by both ends: once, first cost
  EXPECT_EQ(game->Edges()[1].key, "0_1");
  EXPECT_EQ(game->Edges()[1].cost, 1);
  EXPECT_EQ(MadeValues(game, "state_animation", "name"),
            (std::vector<std::string>{"v0", "v1", "v2", "v3"}));
  auto* diagonal = dynamic_cast<TCurveWidget*>(game->FindWidget("edge_0_2").get());
  ASSERT_TRUE(diagonal);
  EXPECT_EQ(diagonal->GetProperty("x1").ToInt(), 10);
  EXPECT_EQ(diagonal->GetProperty("y2").ToInt(), 50);
  EXPECT_EQ(uint32_t(diagonal->GetProperty("fillcolor").ToInt()), 0xFFFF0000u);
  EXPECT_EQ(uint32_t(game->FindWidget("edge_0_1")->GetProperty("fillcolor").ToInt()), 0xFFFFFFFFu);

  // v3 dragged to (60,30) uncrosses the diagonals; the release wins.
  Mouse(513, {12, 52});
  EXPECT_EQ(MadeWidgets(game, "pick_").size(), 1u);
  Mouse(512, {62, 32});
  Frame(16);
  EXPECT_EQ(game->Vertices()[3].x, 60);
  EXPECT_EQ(game->FindWidget("v3")->GetAnchorTop(), 30);
  auto* moved = dynamic_cast<TCurveWidget*>(game->FindWidget("edge_1_3").get());
  EXPECT_EQ(moved->GetProperty("x2").ToInt(), 60);
  EXPECT_EQ(uint32_t(moved->GetProperty("fillcolor").ToInt()), 0xFFFFFFFFu);
  EXPECT_EQ(uint32_t(diagonal->GetProperty("fillcolor").ToInt()), 0xFFFFFFFFu);
  EXPECT_FALSE(game->IsWon());
  Mouse(514, {62, 32});
  EXPECT_EQ(MadeValues(game, "drag_animation", "state"),
            (std::vector<std::string>{Variant(true).ToString(), Variant(false).ToString()}));
  EXPECT_EQ(MadeWidgets(game, "unpick_").size(), 1u);
  EXPECT_TRUE(game->IsWon());
}


// Each vertex in order draws its x, then its y, within the area.
TEST_F(Graph, TheScatterDrawsXBeforeY) {
  SetRandomSeed(7);
  std::vector<std::pair<int32_t, int32_t>> expected;
  for (int v = 0; v < 2; ++v) {
    int32_t x = 20 + Random(300);
    expected.emplace_back(x, 10 + Random(100));
  }
  SetRandomSeed(7);
  TGraphWidget* game = ShowGame(
      R"(mode="ravel" area_left="20" area_top="10" area_width="300" area_height="100")",
      R"(<vertex name="v0" neighbors="1"/><vertex name="v1"/>)", {{0, 0}, {0, 0}});
  for (size_t v = 0; v < expected.size(); ++v) {
    EXPECT_EQ(std::make_pair(game->Vertices()[v].x, game->Vertices()[v].y), expected[v]) << v;
    EXPECT_EQ(game->FindWidget("v" + std::to_string(v))->GetAnchorLeft(), expected[v].first);
  }
}
TEST_F(Graph, RavelDragsOnlyMovingVerticesInsideTheArea) {
  TGraphWidget* game = ShowGame(kRavel, kSquare, kCorners);
  Mouse(513, {100, 100});  // the background: no vertex, no drag
  EXPECT_FALSE(game->IsDragging());
  EXPECT_TRUE(MadeWidgets(game, "pick_").empty());
  Mouse(514, {100, 100});
  EXPECT_TRUE(MadeWidgets(game, "unpick_").empty());

  Mouse(513, {12, 12});
  Mouse(512, {22, 12});
  Frame(16);
  size_t moves = MadeWidgets(game, "move_animation_").size();
  size_t states = MadeWidgets(game, "state_animation_").size();
  for (int i = 0; i < 3; ++i) Frame(16);  // held still: no moves, no new states
  EXPECT_EQ(MadeWidgets(game, "move_animation_").size(), moves);
  EXPECT_EQ(MadeWidgets(game, "state_animation_").size(), states);
  // Past the area's right edge the vertex stops at it and the drag ends.
  Mouse(512, {160, 12});
  Frame(16);
  EXPECT_EQ(game->Vertices()[0].x, 100);
  EXPECT_FALSE(game->IsDragging());
}

TEST_F(Graph, DragStatesWaitForTheDeltaLimit) {
  TGraphWidget* game =
      ShowGame(R"(mode="ravel" shuffle="no" area_width="100" area_height="100" delta_limit="100")",
               kSquare, kCorners);
  const std::string yes = Variant(true).ToString(), no = Variant(false).ToString();
  Mouse(513, {12, 12});
  Mouse(512, {14, 12});
  Frame(16);  // attached with the timer at the limit
  EXPECT_EQ(MadeValues(game, "drag_animation", "angle"), (std::vector<std::string>{"116"}));
  for (int i = 0; i < 6; ++i) Frame(16);  // held still, but too soon to say so
  EXPECT_EQ(MadeWidgets(game, "drag_animation_").size(), 1u);
  Frame(16);
  EXPECT_EQ(MadeValues(game, "drag_animation", "state"), (std::vector<std::string>{yes, no}));
  EXPECT_EQ(MadeValues(game, "drag_animation", "angle").back(), "112");
}

TEST_F(Graph, ShuffleScattersIntoTheArea) {
  TGraphWidget* game =
      ShowGame(R"(mode="ravel" area_left="20" area_top="30" area_width="5" area_height="7")",
               kSquare, kCorners);
  for (const auto& v : game->Vertices()) {
    EXPECT_GE(v.x, 20);
    EXPECT_LT(v.x, 25);
    EXPECT_GE(v.y, 30);
    EXPECT_LT(v.y, 37);
  }
  EXPECT_EQ(MadeWidgets(game, "move_animation_").size(), 4u);
}

TEST_F(Graph, UnknownNeighboursAreSkipped) {
  WarningCapture warnings;
  TGraphWidget* game =
      ShowGame(kRavel, R"(<vertex name="v0" neighbors="1;7;x;0;"/><vertex name="v1"/>)",
               {{10, 10}, {50, 10}});
  EXPECT_EQ(game->Edges().size(), 1u);
  EXPECT_EQ(warnings.Lines().size(), 3u);
}

// ---------------------------------------------------------------------------------------
// Pathfinding

// A row of vertices 20 apart: 0 (start) - 1 - 2 - 3 (final), with 0 - 3 direct and 1 - 4 -
// 2 a detour.
const char* const kRow =
    R"(<vertex name="v0" is_original="yes" neighbors="1;3"/><vertex name="v1" neighbors="2;4"/>)"
    R"(<vertex name="v2" neighbors="3"/><vertex name="v3" is_final="yes"/><vertex name="v4" neighbors="2"/>)";
const std::vector<TPoint> kRowAt{{0, 0}, {20, 0}, {40, 0}, {60, 0}, {40, 20}};

TEST_F(Graph, RouteSearch) {
  struct Case {
    int32_t maxSteps;
    double maxCost;
    int from, to;
    std::vector<int32_t> route;
    const char* what;
  } cases[] = {
      {0, 0, 0, 2, {0, 1, 2}, "never through the final vertex towards another"},
      {0, 0, 0, 3, {0, 3}, "straight to the final vertex"},
      {1, 0, 0, 2, {}, "one step: direct neighbours only"},
      {1, 0, 0, 1, {0, 1}, "one step"},
      {0, 1.5, 0, 2, {}, "over the cost limit"},
      {0, 0, 4, 0, {4, 1, 0}, "edges go both ways"},
  };
  TGraphWidget* game = ShowGame(R"(shuffle="no")", kRow, kRowAt);
  for (const Case& c : cases)
    EXPECT_EQ(game->FindRoute(c.from, c.to, c.maxSteps, c.maxCost), c.route) << c.what;
  // Within one level the cheaper way wins: 0-1 costs 5, 0-2-3 and 0-1-3 tie on steps.
  game = ShowGame(
      R"(shuffle="no")",
      R"(<vertex name="v0" is_original="yes" neighbors="1:5;2"/><vertex name="v1" neighbors="3"/>)"
      R"(<vertex name="v2" neighbors="3"/><vertex name="v3"/>)",
      {{0, 0}, {20, 0}, {40, 0}, {60, 0}});
  EXPECT_EQ(game->FindRoute(0, 3, 0, 0), (std::vector<int32_t>{0, 2, 3}));
  EXPECT_EQ(game->FindRoute(0, 3, 0, 1.5), (std::vector<int32_t>{}));
  std::vector<int32_t> reached;
  game->FindRoute(0, -1, 1, 0, &reached);
  EXPECT_EQ(reached, (std::vector<int32_t>{1, 2}));
}

TEST_F(Graph, TheWalkFollowsClicksToTheFinalVertex) {
  TGraphWidget* game =
      ShowGame(R"(shuffle="no" max_path_length="1" neighbor_path_length="1")", kRow, kRowAt);
  EXPECT_EQ(Walk(game), (std::vector<int32_t>{0}));
  Click(game, 2);  // two steps away
  EXPECT_EQ(MadeValues(game, "wrong_animation", "toID"), (std::vector<std::string>{"2"}));
  Click(game, 1);
  EXPECT_EQ(Walk(game), (std::vector<int32_t>{0, 1}));
  std::vector<Ref<IWidget>> moves = MadeWidgets(game, "move_animation_");
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0]->GetProperty("fromID").ToString(), "0");
  EXPECT_EQ(moves[0]->GetProperty("x1").ToString(), "0");
  EXPECT_EQ(moves[0]->GetProperty("angle").ToDouble(), 0);
  // The neighbours in reach play after the move: 0, 2 and 4 (never the final vertex).
  EXPECT_EQ(MadeValues(game, "neighbor_animation", "toID"),
            (std::vector<std::string>{"0", "2", "4"}));
  Click(game, 4);  // down the screen: -45 degrees
  EXPECT_NEAR(MadeWidgets(game, "move_animation_")[1]->GetProperty("angle").ToDouble(), -45, 1e-9);
  Click(game, 2);
  Click(game, 3);
  EXPECT_EQ(Walk(game), (std::vector<int32_t>{0, 1, 4, 2, 3}));
  EXPECT_TRUE(game->IsWon());
}

TEST_F(Graph, WithoutRevisitingAClickOnTheWalkStepsBack) {
  TGraphWidget* game = ShowGame(R"(shuffle="no" revisiting="no")", kRow, kRowAt);
  Click(game, 2);
  Click(game, 4);
  EXPECT_EQ(Walk(game), (std::vector<int32_t>{0, 1, 2, 4}));
  Click(game, 1);
  EXPECT_EQ(Walk(game), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(MadeValues(game, "unmove_animation", "toID"), (std::vector<std::string>{"4", "2"}));
  EXPECT_EQ(MadeValues(game, "unmove_animation", "fromID"), (std::vector<std::string>{"2", "1"}));
  // "button_reset" stands for the start vertex.
  Mouse(514, {150, 150});
  game->ClickVertex("button_reset");
  EXPECT_EQ(Walk(game), (std::vector<int32_t>{0}));
}

TEST_F(Graph, ZeroCostBacksUpToWhereTheTargetIsInReach) {
  TGraphWidget* game =
      ShowGame(R"(shuffle="no" zero_cost="yes" max_path_length="1")", kRow, kRowAt);
  Click(game, 1);
  Click(game, 4);
  Click(game, 0);  // not in one step from 4: back to 1, then on to 0
  EXPECT_EQ(Walk(game), (std::vector<int32_t>{0, 1, 4, 1, 0}));
  EXPECT_TRUE(MadeWidgets(game, "wrong_animation_").empty());
}

TEST_F(Graph, VisitEveryAndRequiredVertices) {
  const char* vertices =
      R"(<vertex name="v0" is_original="yes" neighbors="1;3"/><vertex name="v1" visit_it="yes" neighbors="2"/>)"
      R"(<vertex name="v2" neighbors="3"/><vertex name="v3" is_final="yes"/>)";
  TGraphWidget* game =
      ShowGame(R"(shuffle="no" visit_every="yes" max_path_length="1")", vertices, kRowAt);
  Click(game, 3);  // the final vertex before the others: refused
  EXPECT_EQ(Walk(game), (std::vector<int32_t>{0}));
  EXPECT_EQ(MadeWidgets(game, "wrong_animation_").size(), 1u);
  Click(game, 1);
  EXPECT_EQ(MadeValues(game, "visit_animation", "name"), (std::vector<std::string>{"v1"}));
  Click(game, 2);
  Click(game, 3);
  EXPECT_TRUE(game->IsWon());
}

TEST_F(Graph, NoStartVertexNoWalk) {
  TGraphWidget* game = ShowGame(
      R"(shuffle="no")", R"(<vertex name="v0" neighbors="1"/><vertex name="v1" is_final="yes"/>)",
      {{0, 0}, {20, 0}});
  Click(game, 1);
  Click(game, 0);
  EXPECT_TRUE(game->Path().empty());
  EXPECT_FALSE(game->IsWon());
  EXPECT_TRUE(MadeWidgets(game, "wrong_animation_").empty());
}

}  // namespace
