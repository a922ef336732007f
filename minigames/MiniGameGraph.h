#pragma once
// "mg_graph_widget", in two modes. "ravel": the player drags the vertices of a tangled
// graph until no two edges cross; the edges are curve widgets the game makes and moves.
// "pathfinding": a token walks the graph from the start vertex; a click on a vertex finds
// a route there within step and cost limits and walks it; the walk wins when it ends on the
// final vertex having visited every required one.

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TGraphWidget : public TMiniGameWidget {
 public:
  struct TVertex {
    int32_t id = 0;
    std::string widget;
    std::vector<int32_t> neighbours;  // vertex indexes, both ends of every edge
    std::vector<int32_t> edges;       // the edge to each neighbour
    int32_t x = 0, y = 0;
    bool crossed = false;
    bool isOriginal = false, isFinal = false, visitIt = false;
  };
  struct TEdge {
    std::string key;       // smaller id, "_", larger id
    int32_t a = 0, b = 0;  // vertex indexes: the smaller id, the larger one
    double cost = 1;
    std::string widget;
    bool crossed = false;
    bool shownCrossed = false;  // the colour the widget was given
  };
  struct TNode {
    int32_t vertex = 0;
    int32_t step = 0;
    double cost = 0;
    int32_t parent = -1;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SetOwner(IWidgetOwner* owner) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  bool IsRavel() const { return ravel_; }
  const std::vector<TVertex>& Vertices() const { return vertices_; }
  const std::vector<TEdge>& Edges() const { return edges_; }
  // The walk so far, as vertex indexes.
  const std::vector<int32_t>& Path() const { return path_; }
  bool IsDragging() const { return dragging_; }

  // Whether two segments cross: non-parallel ones where their lines meet (rounded to
  // pixels) within both; parallel ones on one line overlapping. Sharing an end vertex
  // (Shared), a meeting at that end does not count, nor an overlap of a single point.
  static bool SegmentsCross(TPoint a1, TPoint a2, TPoint b1, TPoint b2, bool shared);
  // Sets the crossed flags of every edge and vertex, with "state_animation" per change.
  void ComputeCrossings();
  // Breadth by levels from S (vertex index) towards T (-1: every vertex in reach); the
  // route from S to T, empty when there is none. Without a target, Reached gets every
  // vertex in reach but S.
  std::vector<int32_t> FindRoute(int32_t s, int32_t t, int32_t maxSteps, double maxCost,
                                 std::vector<int32_t>* reached = nullptr);
  // A click on the named child in pathfinding mode.
  void ClickVertex(const std::string& name);
  // More edges than this are dropped: every drag frame tests every pair.
  static constexpr size_t kMaxEdges = 1000;

 protected:
  const TPropertyTable& Properties() override;

 private:
  void ReadVertices(const Ref<IHierStorage>& node);
  int32_t IndexOfId(int32_t id) const;
  int32_t VertexNamed(const std::string& name) const;
  void AddEdge(const Ref<IHierStorage>& node, int32_t from, const std::string& entry);
  void MakeEdgeWidgets();
  void ShowEdge(TEdge& edge, bool ends);
  Ref<IParamCollection> VertexParams(int32_t vertex, bool idAsText, bool link = true);
  // Moves the vertex (position, widget, "move_animation"); in pathfinding mode it joins
  // the walk, and Move gets the widget made.
  Ref<IWidget> MoveStep(int32_t vertex, int32_t x, int32_t y);
  double StepAngle(int32_t from, int32_t to);
  bool OnPath(int32_t vertex) const;
  void EndDrag();
  void UpdateDrag(int32_t dt);
  void TakeRoute(const std::vector<int32_t>& route);
  bool StepBackTo(int32_t vertex);
  void WalkStep(int32_t vertex);
  void TestWin();

  std::string mode_ = "pathfinding";
  bool ravel_ = false;
  bool zeroCost_ = false, revisiting_ = true, visitEvery_ = false, shuffle_ = true;
  int32_t maxPathLength_ = 0;
  double maxPathCost_ = 0;
  int32_t neighbourPathLength_ = 0;
  double neighbourPathCost_ = 0;
  std::string crossedColor_ = "$FFFF0000", uncrossedColor_ = "$FFFFFFFF";
  int32_t areaLeft_ = 0, areaTop_ = 0, areaWidth_ = 0, areaHeight_ = 0;
  int32_t deltaLimit_ = 500;
  double dragTimer_ = 0;
  int32_t start_ = -1, final_ = -1;
  std::vector<TVertex> vertices_;
  std::vector<TEdge> edges_;
  std::vector<int32_t> path_;
  std::vector<int32_t> required_;
  bool dragging_ = false;
  int32_t dragged_ = -1;
  bool lastDragState_ = false;
  TPoint dragOffset_;
  double direction_ = 0;
  // Scratch of the route search, kept to spare allocations.
  std::vector<TNode> nodes_;
  std::vector<int32_t> nodeOf_;
};
