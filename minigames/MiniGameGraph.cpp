#include "minigames/MiniGameGraph.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"
#include "widgets/CurveWidgets.h"

namespace {

// Vertex positions are kept where products of their differences fit in 64 bits.
constexpr int32_t kPositionLimit = 1 << 29;

int32_t ClampPosition(int64_t v) {
  return int32_t(std::clamp<int64_t>(v, -kPositionLimit, kPositionLimit));
}

int64_t Cross(int64_t ax, int64_t ay, int64_t bx, int64_t by) {
  return ax * by - ay * bx;
}

std::string Text(int64_t value) {
  return std::to_string(value);
}

}  // namespace

const TPropertyTable& TGraphWidget::Properties() {
  using G = TGraphWidget;
  static const TPropertyTable table(
      TMiniGameWidget::Properties(),
      {
          Attr("mode", &G::mode_).Str("pathfinding"),
          Attr("zero_cost", &G::zeroCost_).Bool(),
          Attr("max_path_length", &G::maxPathLength_).Int(),
          Attr("max_path_cost", &G::maxPathCost_).Float(),
          Attr("neighbor_path_length", &G::neighbourPathLength_).Int(&G::maxPathLength_),
          Attr("neighbor_path_cost", &G::neighbourPathCost_).Float(&G::maxPathCost_),
          Attr("revisiting", &G::revisiting_).Bool(true),
          Attr("visit_every", &G::visitEvery_).Bool(),
          Attr("crossed_edge_color", &G::crossedColor_).Str("$FFFF0000"),
          Attr("uncrossed_edge_color", &G::uncrossedColor_).Str("$FFFFFFFF"),
          Attr("area_left", &G::areaLeft_).Int(),
          Attr("area_top", &G::areaTop_).Int(),
          Attr("area_width", &G::areaWidth_).Int(),
          Attr("area_height", &G::areaHeight_).Int(),
          Attr("delta_limit", &G::deltaLimit_).Int(500),
          Attr("shuffle", &G::shuffle_).Bool(true),
      });
  return table;
}

// ---------------------------------------------------------------------------------------
// Loading

void TGraphWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  ravel_ = mode_ == "ravel";
  start_ = final_ = -1;
  dragging_ = lastDragState_ = false;
  dragged_ = -1;
  direction_ = 0;
  ReadVertices(node);
  path_.clear();
  if (!ravel_ && start_ >= 0) path_.push_back(start_);
  if (ravel_) MakeEdgeWidgets();
  if (shuffle_)
    for (size_t v = 0; v < vertices_.size(); ++v) {
      // Two statements: the order of a call's arguments is unspecified, x comes first.
      int32_t x = SaturateInt32(int64_t(areaLeft_) + Random(areaWidth_));
      int32_t y = SaturateInt32(int64_t(areaTop_) + Random(areaHeight_));
      MoveStep(int32_t(v), x, y);
    }
  playing_ = true;
}

void TGraphWidget::ReadVertices(const Ref<IHierStorage>& node) {
  vertices_.clear();
  edges_.clear();
  required_.clear();
  Ref<IHierStorage> list = node->GetChild("vertice", 0);
  int32_t count = list ? list->GetChildCount("vertex") : 0;
  for (int32_t i = 0; i < count; ++i) {
    Ref<IHierStorage> v = list->GetChild("vertex", i);
    TVertex vertex;
    vertex.id = ReadXmlInt(v, "id", i);
    vertex.widget = ReadXmlStr(v, "name");
    if (Ref<IWidget> widget = FindWidget(vertex.widget)) {
      vertex.x = ClampPosition(RoundHalfEven64(widget->GetAnchorLeft()));
      vertex.y = ClampPosition(RoundHalfEven64(widget->GetAnchorTop()));
    }
    vertex.isOriginal = ReadXmlBool(v, "is_original");
    vertex.isFinal = ReadXmlBool(v, "is_final");
    vertex.visitIt = ReadXmlBool(v, "visit_it");
    if (vertex.isOriginal) start_ = i;
    if (vertex.isFinal) final_ = i;
    vertices_.push_back(std::move(vertex));
  }
  // Neighbours name vertices by id: read once every vertex is known.
  for (int32_t i = 0; i < count; ++i) {
    Ref<IHierStorage> v = list->GetChild("vertex", i);
    std::string neighbours = ReadXmlStr(v, "neighbors");
    if (neighbours.empty()) continue;
    for (const std::string& entry : Split(neighbours, ';'))
      if (!entry.empty()) AddEdge(v, i, entry);
  }
  for (size_t i = 0; i < vertices_.size(); ++i)
    if (visitEvery_ || vertices_[i].visitIt) required_.push_back(int32_t(i));
}

int32_t TGraphWidget::IndexOfId(int32_t id) const {
  for (size_t i = 0; i < vertices_.size(); ++i)
    if (vertices_[i].id == id) return int32_t(i);
  return -1;
}

void TGraphWidget::AddEdge(const Ref<IHierStorage>& node, int32_t from, const std::string& entry) {
  std::vector<std::string> parts = Split(entry, ':');
  int32_t id = 0;
  int32_t to = TryTextToInt(parts[0], id) ? IndexOfId(id) : -1;
  if (to < 0 || to == from) {
    WarnAboutNode(node, "neighbour \"" + entry + "\" is no other vertex: skipped");
    return;
  }
  TEdge edge;
  edge.cost = 1.0;
  if (parts.size() > 1) TryTextToFloat(CommaToPoint(parts[1]), edge.cost);
  bool fromSmaller = vertices_[size_t(from)].id < vertices_[size_t(to)].id;
  edge.a = fromSmaller ? from : to;
  edge.b = fromSmaller ? to : from;
  edge.key = Text(vertices_[size_t(edge.a)].id) + "_" + Text(vertices_[size_t(edge.b)].id);
  // Listed by both ends, an edge is made once, with the first cost given.
  for (const TEdge& e : edges_)
    if (e.key == edge.key) return;
  if (edges_.size() >= kMaxEdges) {
    WarnAboutNode(node, "more than " + Text(kMaxEdges) + " edges: \"" + entry + "\" dropped");
    return;
  }
  int32_t index = int32_t(edges_.size());
  vertices_[size_t(from)].neighbours.push_back(to);
  vertices_[size_t(from)].edges.push_back(index);
  vertices_[size_t(to)].neighbours.push_back(from);
  vertices_[size_t(to)].edges.push_back(index);
  edges_.push_back(std::move(edge));
}

void TGraphWidget::MakeEdgeWidgets() {
  for (TEdge& edge : edges_) {
    Ref<IParamCollection> params = NewParams();
    params->SetValue("id", Variant(edge.key));
    Ref<IWidget> widget = MakeChild("graph_edge", params);
    edge.widget = widget ? widget->GetName() : std::string();
  }
}

void TGraphWidget::SetOwner(IWidgetOwner* owner) {
  TMiniGameWidget::SetOwner(owner);
  dragTimer_ = deltaLimit_;
  if (!ravel_) return;
  ComputeCrossings();
  for (TEdge& edge : edges_) ShowEdge(edge, true);
}

// ---------------------------------------------------------------------------------------
// Feedback

int32_t TGraphWidget::VertexNamed(const std::string& name) const {
  if (name.empty()) return -1;
  for (size_t i = 0; i < vertices_.size(); ++i)
    if (vertices_[i].widget == name) return int32_t(i);
  return -1;
}

bool TGraphWidget::OnPath(int32_t vertex) const {
  return std::find(path_.begin(), path_.end(), vertex) != path_.end();
}

// "id", "name", "toID", "x2", "y2", "link": the vertex and where it stands.
Ref<IParamCollection> TGraphWidget::VertexParams(int32_t vertex, bool idAsText, bool link) {
  const TVertex& v = vertices_[size_t(vertex)];
  Ref<IParamCollection> params = NewParams();
  int32_t id = NextId();
  params->SetValue("id", idAsText ? Variant(Text(id)) : Variant::Integer(id));
  params->SetValue("name", Variant(v.widget));
  params->SetValue("toID", Variant(Text(v.id)));
  params->SetValue("x2", Variant(Text(v.x)));
  params->SetValue("y2", Variant(Text(v.y)));
  if (link) params->SetValue("link", Variant(v.widget));
  return params;
}

void TGraphWidget::ShowEdge(TEdge& edge, bool ends) {
  auto* curve = InterfaceCast<ICurveWidget>(FindWidget(edge.widget).get());
  if (!curve) return;
  if (ends) {
    const TVertex& a = vertices_[size_t(edge.a)];
    const TVertex& b = vertices_[size_t(edge.b)];
    curve->SetProperty("x1", Variant(a.x));
    curve->SetProperty("y1", Variant(a.y));
    curve->SetProperty("x2", Variant(b.x));
    curve->SetProperty("y2", Variant(b.y));
  }
  if (ends || edge.shownCrossed != edge.crossed) {
    curve->SetProperty("fillcolor", Variant(edge.crossed ? crossedColor_ : uncrossedColor_));
    edge.shownCrossed = edge.crossed;
  }
  if (ends) curve->Reinit();
}

double TGraphWidget::StepAngle(int32_t from, int32_t to) {
  const TVertex& a = vertices_[size_t(from)];
  const TVertex& b = vertices_[size_t(to)];
  double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
  double length = std::hypot(dx, dy);
  double angle =
      length == 0 ? 0 : std::acos(std::clamp(dx / length, -1.0, 1.0)) * 180 / std::numbers::pi;
  if (dy > 0) angle = -angle;
  // The turn the token makes is the shortest one from where it faced.
  angle += 360 * std::round((direction_ - angle) / 360);
  direction_ = angle;
  return angle;
}

Ref<IWidget> TGraphWidget::MoveStep(int32_t vertex, int32_t x, int32_t y) {
  TVertex& v = vertices_[size_t(vertex)];
  v.x = ClampPosition(x);
  v.y = ClampPosition(y);
  if (Ref<IWidget> widget = FindWidget(v.widget)) {
    widget->SetAnchorLeft(v.x);
    widget->SetAnchorTop(v.y);
  }
  Ref<IParamCollection> params = VertexParams(vertex, true);
  if (!ravel_ && !path_.empty()) {
    int32_t previous = path_.back();
    const TVertex& p = vertices_[size_t(previous)];
    params->SetValue("fromID", Variant(Text(p.id)));
    params->SetValue("x1", Variant(Text(p.x)));
    params->SetValue("y1", Variant(Text(p.y)));
    params->SetValue("angle", Variant(StepAngle(previous, vertex)));
    path_.push_back(vertex);
  }
  Ref<IWidget> move = MakeChild("move_animation", params);
  EnqueueWidget(move);
  return move;
}

// ---------------------------------------------------------------------------------------
// Crossings

bool TGraphWidget::SegmentsCross(TPoint a1, TPoint a2, TPoint b1, TPoint b2, bool shared) {
  int64_t adx = int64_t(a2.X) - a1.X, ady = int64_t(a2.Y) - a1.Y;
  int64_t bdx = int64_t(b2.X) - b1.X, bdy = int64_t(b2.Y) - b1.Y;
  auto lo = [](int32_t p, int32_t q) { return std::min(p, q); };
  auto hi = [](int32_t p, int32_t q) { return std::max(p, q); };
  int64_t d = Cross(adx, ady, bdx, bdy);
  if (d == 0) {
    if (Cross(int64_t(b1.X) - a1.X, int64_t(b1.Y) - a1.Y, adx, ady) != 0) return false;
    int64_t overlapX = int64_t(std::min(hi(a1.X, a2.X), hi(b1.X, b2.X))) -
                       std::max(lo(a1.X, a2.X), lo(b1.X, b2.X));
    int64_t overlapY = int64_t(std::min(hi(a1.Y, a2.Y), hi(b1.Y, b2.Y))) -
                       std::max(lo(a1.Y, a2.Y), lo(b1.Y, b2.Y));
    if (overlapX < 0 || overlapY < 0) return false;
    // Two edges going opposite ways from their shared vertex touch there only.
    return !shared || overlapX > 0 || overlapY > 0;
  }
  double t = double(Cross(int64_t(b1.X) - a1.X, int64_t(b1.Y) - a1.Y, bdx, bdy)) / double(d);
  int64_t x = RoundHalfEven64(a1.X + t * double(adx));
  int64_t y = RoundHalfEven64(a1.Y + t * double(ady));
  auto within = [&](TPoint p, TPoint q) {
    return lo(p.X, q.X) <= x && x <= hi(p.X, q.X) && lo(p.Y, q.Y) <= y && y <= hi(p.Y, q.Y);
  };
  if (!within(a1, a2) || !within(b1, b2)) return false;
  if (shared && ((x == a1.X && y == a1.Y) || (x == a2.X && y == a2.Y))) return false;
  return true;
}

void TGraphWidget::ComputeCrossings() {
  for (TEdge& edge : edges_) edge.crossed = false;
  auto at = [&](int32_t v) { return TPoint{vertices_[size_t(v)].x, vertices_[size_t(v)].y}; };
  for (size_t i = 0; i < edges_.size(); ++i)
    for (size_t j = i + 1; j < edges_.size(); ++j) {
      TEdge& e = edges_[i];
      TEdge& f = edges_[j];
      if (e.crossed && f.crossed) continue;
      // Edges whose boxes are apart cannot meet: most pairs end here.
      const TVertex &ea = vertices_[size_t(e.a)], &eb = vertices_[size_t(e.b)];
      const TVertex &fa = vertices_[size_t(f.a)], &fb = vertices_[size_t(f.b)];
      if (std::max(ea.x, eb.x) < std::min(fa.x, fb.x) ||
          std::max(fa.x, fb.x) < std::min(ea.x, eb.x) ||
          std::max(ea.y, eb.y) < std::min(fa.y, fb.y) ||
          std::max(fa.y, fb.y) < std::min(ea.y, eb.y))
        continue;
      bool shared = e.a == f.a || e.a == f.b || e.b == f.a || e.b == f.b;
      if (SegmentsCross(at(e.a), at(e.b), at(f.a), at(f.b), shared)) e.crossed = f.crossed = true;
    }
  for (size_t v = 0; v < vertices_.size(); ++v) {
    TVertex& vertex = vertices_[v];
    bool crossed = false;
    for (int32_t e : vertex.edges) crossed = crossed || edges_[size_t(e)].crossed;
    if (crossed == vertex.crossed) continue;
    vertex.crossed = crossed;
    Ref<IParamCollection> params = NewParams();
    params->SetValue("id", Variant(Text(NextId())));
    params->SetValue("name", Variant(vertex.widget));
    params->SetValue("state", Variant(crossed));
    params->SetValue("link", Variant(vertex.widget));
    EnqueueWidget(MakeChild("state_animation", params));
  }
}

// ---------------------------------------------------------------------------------------
// Ravel: dragging vertices

bool TGraphWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (!playing_) return result;
  if (!ravel_) {
    if (message == input::kLeftButtonUp && !IsQueueBusy() && hovered_)
      ClickVertex(hovered_->GetName());
    return result;
  }
  if (message == input::kLeftButtonDown && hovered_ && !dragging_) {
    // Only a vertex can be dragged.
    int32_t vertex = VertexNamed(hovered_->GetName());
    if (vertex < 0) return result;
    Ref<IWidget> widget = FindWidget(vertices_[size_t(vertex)].widget);
    dragging_ = true;
    dragged_ = vertex;
    dragOffset_ = {SaturateInt32(RoundHalfEven64(widget->GetAnchorLeft()) - mouse_.X),
                   SaturateInt32(RoundHalfEven64(widget->GetAnchorTop()) - mouse_.Y)};
    Ref<IParamCollection> params = NewParams();
    params->SetValue("id", Variant::Integer(NextId()));
    EnqueueWidget(MakeChild("pick", params));
  } else if (message == input::kLeftButtonUp) {
    EndDrag();
  }
  return result;
}

void TGraphWidget::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  lastDragState_ = false;
  Ref<IParamCollection> drag = VertexParams(dragged_, true);
  drag->SetValue("state", Variant(false));
  drag->SetValue("angle", Variant(dragTimer_));
  EnqueueWidget(MakeChild("drag_animation", drag));
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(NextId()));
  EnqueueWidget(MakeChild("unpick", params));
  TestWin();
}

void TGraphWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (ravel_) UpdateDrag(dt);
}

void TGraphWidget::UpdateDrag(int32_t dt) {
  dragTimer_ += dt;
  if (!dragging_ || !playing_) return;
  int64_t targetX = int64_t(mouse_.X) + dragOffset_.X, targetY = int64_t(mouse_.Y) + dragOffset_.Y;
  int64_t right = int64_t(areaLeft_) + areaWidth_, bottom = int64_t(areaTop_) + areaHeight_;
  int64_t x = std::max<int64_t>(std::min(targetX, right), areaLeft_);
  int64_t y = std::max<int64_t>(std::min(targetY, bottom), areaTop_);
  bool clamped = x != targetX || y != targetY;
  TVertex& vertex = vertices_[size_t(dragged_)];
  bool moving = vertex.x != ClampPosition(x) || vertex.y != ClampPosition(y);
  if (moving != lastDragState_ && dragTimer_ > deltaLimit_) {
    Ref<IParamCollection> params = VertexParams(dragged_, true);
    params->SetValue("state", Variant(moving));
    params->SetValue("angle", Variant(dragTimer_));
    EnqueueWidget(MakeChild("drag_animation", params));
    dragTimer_ = 0;
    lastDragState_ = moving;
  }
  // A vertex held still changes nothing.
  if (moving) {
    MoveStep(dragged_, int32_t(x), int32_t(y));
    ComputeCrossings();
    for (int32_t e : vertex.edges) ShowEdge(edges_[size_t(e)], true);
    for (TEdge& edge : edges_) ShowEdge(edge, false);
  }
  if (clamped) EndDrag();
}

// ---------------------------------------------------------------------------------------
// Pathfinding: the route search and the walk

std::vector<int32_t> TGraphWidget::FindRoute(int32_t s, int32_t t, int32_t maxSteps, double maxCost,
                                             std::vector<int32_t>* reached) {
  nodes_.clear();
  nodeOf_.assign(vertices_.size(), -1);
  nodes_.push_back({s, 0, 0, -1});
  nodeOf_[size_t(s)] = 0;
  bool towardsFinal = t >= 0 && t == final_;
  size_t levelBegin = 0, levelEnd = 1;
  for (int32_t level = 1; !(t >= 0 && nodeOf_[size_t(t)] >= 0); ++level) {
    if (maxSteps >= 1 && level > maxSteps) break;
    size_t newBegin = nodes_.size();
    for (size_t i = levelBegin; i < levelEnd; ++i) {
      const TVertex& vertex = vertices_[size_t(nodes_[i].vertex)];
      for (size_t k = 0; k < vertex.neighbours.size(); ++k) {
        int32_t w = vertex.neighbours[k];
        // Routes pass neither the final vertex nor, without revisiting, the walk; the
        // target itself may lie on the walk, so that a click there steps back to it.
        if (!towardsFinal && w != t && (w == final_ || (!revisiting_ && OnPath(w)))) continue;
        double cost = nodes_[i].cost + edges_[size_t(vertex.edges[k])].cost;
        int32_t existing = nodeOf_[size_t(w)];
        if (existing < 0) {
          nodeOf_[size_t(w)] = int32_t(nodes_.size());
          nodes_.push_back({w, level, cost, int32_t(i)});
        } else if (size_t(existing) >= newBegin && cost < nodes_[size_t(existing)].cost) {
          nodes_[size_t(existing)].cost = cost;
          nodes_[size_t(existing)].parent = int32_t(i);
        }
      }
    }
    if (nodes_.size() == newBegin) break;
    levelBegin = newBegin;
    levelEnd = nodes_.size();
    double lowest = nodes_[newBegin].cost;
    for (size_t i = newBegin; i < levelEnd; ++i) lowest = std::min(lowest, nodes_[i].cost);
    if (maxCost > 0 && maxCost < lowest) break;
  }
  auto within = [&](const TNode& n) {
    return (maxCost <= 0 || n.cost <= maxCost) && (maxSteps < 1 || n.step <= maxSteps);
  };
  std::vector<int32_t> route;
  if (t < 0) {
    if (reached)
      for (size_t i = 1; i < nodes_.size(); ++i)
        if (within(nodes_[i])) reached->push_back(nodes_[i].vertex);
    return route;
  }
  int32_t at = nodeOf_[size_t(t)];
  if (at < 0 || !within(nodes_[size_t(at)])) return route;
  for (; at >= 0; at = nodes_[size_t(at)].parent) route.push_back(nodes_[size_t(at)].vertex);
  std::reverse(route.begin(), route.end());
  return route;
}

void TGraphWidget::WalkStep(int32_t vertex) {
  const TVertex& v = vertices_[size_t(vertex)];
  Ref<IWidget> tail = MoveStep(vertex, v.x, v.y);
  std::vector<int32_t> reached;
  FindRoute(vertex, -1, neighbourPathLength_, neighbourPathCost_, &reached);
  for (int32_t r : reached) {
    Ref<IParamCollection> params = VertexParams(r, true);
    params->SetValue("fromID", Variant(Text(v.id)));
    AppendNext(MakeChild("neighbor_animation", params), tail);
  }
  if (v.visitIt) {
    EnqueueWidget(MakeChild("visit_animation", VertexParams(vertex, true, false)));
  }
}

void TGraphWidget::TakeRoute(const std::vector<int32_t>& route) {
  for (size_t i = 1; i < route.size(); ++i) WalkStep(route[i]);
  TestWin();
}

bool TGraphWidget::StepBackTo(int32_t vertex) {
  if (!OnPath(vertex)) return false;
  bool stepped = false;
  // The start vertex stays.
  while (path_.size() > 1 && path_.back() != vertex) {
    int32_t left = path_.back();
    path_.pop_back();
    int32_t back = path_.back();
    const TVertex& to = vertices_[size_t(back)];
    Ref<IParamCollection> params = VertexParams(left, true);
    params->SetValue("fromID", Variant(Text(to.id)));
    params->SetValue("x1", Variant(Text(to.x)));
    params->SetValue("y1", Variant(Text(to.y)));
    params->SetValue("angle", Variant(StepAngle(left, back)));
    EnqueueWidget(MakeChild("unmove_animation", params));
    stepped = true;
  }
  return stepped;
}

void TGraphWidget::ClickVertex(const std::string& name) {
  // Without a start vertex there is no walk.
  if (ravel_ || path_.empty()) return;
  int32_t b = name == "button_reset" ? start_ : VertexNamed(name);
  int32_t c = path_.back();
  if (b < 0 || b == c) return;
  bool acted = false;
  std::vector<int32_t> route = FindRoute(c, b, maxPathLength_, maxPathCost_);
  if (!route.empty()) {
    if (b == final_) {
      bool all = !visitEvery_ || std::all_of(required_.begin(), required_.end(), [&](int32_t r) {
        return OnPath(r) || std::find(route.begin(), route.end(), r) != route.end();
      });
      if (all) {
        TakeRoute(route);
        acted = true;
      } else if (!revisiting_) {
        acted = StepBackTo(final_);
      }
    } else if (revisiting_ || !OnPath(b)) {
      TakeRoute(route);
      acted = true;
    } else {
      acted = StepBackTo(b);
    }
  } else if (zeroCost_ && !revisiting_) {
    acted = StepBackTo(b);
  } else if (zeroCost_) {
    // Back to the latest earlier vertex from which B is in reach, then on to B.
    for (size_t i = path_.size() - 1; i-- > 0 && !acted;) {
      int32_t via = path_[i];
      std::vector<int32_t> onward = FindRoute(via, b, maxPathLength_, maxPathCost_);
      if (onward.empty()) continue;
      std::vector<int32_t> back = FindRoute(c, via, 0, 0);
      if (back.empty()) continue;
      for (size_t k = 1; k < back.size(); ++k) WalkStep(back[k]);
      TakeRoute(onward);
      acted = true;
    }
  }
  if (acted) return;
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant(Text(NextId())));
  params->SetValue("name", Variant(vertices_[size_t(b)].widget));
  params->SetValue("fromID", Variant(Text(vertices_[size_t(c)].id)));
  params->SetValue("toID", Variant(Text(vertices_[size_t(b)].id)));
  params->SetValue("link", Variant(vertices_[size_t(b)].widget));
  EnqueueWidget(MakeChild("wrong_animation", params));
}

void TGraphWidget::TestWin() {
  if (ravel_) {
    for (const TEdge& edge : edges_)
      if (edge.crossed) return;
  } else {
    if (path_.empty() || !vertices_[size_t(path_.back())].isFinal) return;
    for (int32_t r : required_)
      if (!OnPath(r)) return;
  }
  Win();
}
