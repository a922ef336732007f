#include "minigames/MiniGamePuzzle.h"

#include <algorithm>
#include <cstdlib>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

// More pieces than a 64 x 64 board holds are refused.
constexpr size_t kMaxPieces = 64 * 64;
// How far inside the block rectangle a drag that left it is dropped.
constexpr int32_t kBlockPullBack = 40;

int32_t Offset(int64_t value, int64_t delta) {
  return ClampCoordinate(value - delta);
}

}  // namespace

const TPropertyTable& TPuzzleWidget::Properties() {
  using P = TPuzzleWidget;
  static const TPropertyTable table(TMiniGameWidget::Properties(),
                                    {
                                        Attr("elements", &P::elementsText_).Str(),
                                        Attr("lock", &P::lockText_).Str(),
                                        Attr("area_left", &P::areaLeft_).Int(),
                                        Attr("area_top", &P::areaTop_).Int(),
                                        Attr("area_width", &P::areaWidth_).Int(),
                                        Attr("area_height", &P::areaHeight_).Int(),
                                        Attr("infelicity", &P::infelicity_).Int(),
                                    });
  return table;
}

void TPuzzleWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  dragging_ = false;
  dragged_ = -1;
  solvedOnce_ = false;
  ReadPieces();
  if (elementsText_.empty()) WarnAboutGame("no \"elements\": only its skip ends the game");
  StoreHomeOffsets();
  Scatter();
  playing_ = true;
}

int32_t TPuzzleWidget::PieceOf(const std::string& widgetName) const {
  for (size_t i = 0; i < pieces_.size(); ++i)
    if (pieces_[i].widget == widgetName) return int32_t(i);
  return -1;
}

// "elements" is "piece:neighbour,neighbour;piece:...". A piece without a widget could
// never join anything, so it is left out, and so is every neighbour that is no piece.
void TPuzzleWidget::ReadPieces() {
  pieces_.clear();
  std::vector<std::vector<std::string>> neighbourNames;
  if (!elementsText_.empty()) {
    for (const std::string& entry : Split(elementsText_, ';')) {
      size_t colon = entry.find(':');
      std::string name = entry.substr(0, colon);
      if (name.empty()) continue;
      if (!FindWidget(name)) {
        WarnAboutGame("piece \"" + name + "\" has no widget; it is left out");
        continue;
      }
      if (PieceOf(name) >= 0) {
        WarnAboutGame("piece \"" + name + "\" is listed twice; the second is left out");
        continue;
      }
      TPiece piece;
      piece.widget = name;
      piece.group = int32_t(pieces_.size());
      pieces_.push_back(std::move(piece));
      neighbourNames.push_back(colon == std::string::npos
                                   ? std::vector<std::string>{}
                                   : Split(std::string_view(entry).substr(colon + 1), ','));
    }
  }
  if (pieces_.size() > kMaxPieces) {
    WarnAboutGame(std::to_string(pieces_.size()) +
                  " pieces are more than a 64 x 64 board; the puzzle is left empty");
    pieces_.clear();
    return;
  }
  for (size_t i = 0; i < pieces_.size(); ++i) {
    for (const std::string& name : neighbourNames[i]) {
      if (name.empty()) continue;
      int32_t n = PieceOf(name);
      if (n < 0 || size_t(n) == i) {
        WarnAboutGame("neighbour \"" + name + "\" of \"" + pieces_[i].widget +
                      "\" is no other piece; it is left out");
        continue;
      }
      pieces_[i].neighbours.push_back({n, 0, 0});
    }
  }
  if (!lockText_.empty())
    for (const std::string& name : Split(lockText_, ';'))
      if (int32_t p = PieceOf(name); p >= 0) pieces_[size_t(p)].locked = true;
}

void TPuzzleWidget::StoreHomeOffsets() {
  for (TPiece& piece : pieces_) {
    Ref<IWidget> widget = FindWidget(piece.widget);
    piece.left = widget ? widget->GetProperty("left").ToInt() : 0;
    piece.top = widget ? widget->GetProperty("top").ToInt() : 0;
  }
  for (TPiece& piece : pieces_)
    for (TNeighbour& n : piece.neighbours) {
      const TPiece& other = pieces_[size_t(n.piece)];
      n.dx = SaturateInt32(int64_t(piece.left) - other.left);
      n.dy = SaturateInt32(int64_t(piece.top) - other.top);
    }
}

void TPuzzleWidget::Scatter() {
  for (size_t i = 0; i < pieces_.size(); ++i) {
    if (pieces_[i].locked) continue;
    // The vertical value is drawn first.
    int32_t y = SaturateInt32(int64_t(areaTop_) + Random(areaHeight_));
    int32_t x = SaturateInt32(int64_t(areaLeft_) + Random(areaWidth_));
    MovePiece(int32_t(i), x, y);
  }
}

void TPuzzleWidget::MovePiece(int32_t index, int32_t x, int32_t y) {
  TPiece& piece = pieces_[size_t(index)];
  piece.left = ClampCoordinate(x);
  piece.top = ClampCoordinate(y);
  if (Ref<IWidget> widget = FindWidget(piece.widget)) {
    widget->SetAnchorLeft(piece.left);
    widget->SetAnchorTop(piece.top);
  }
}

// Walks the group from Piece, each piece placed by the offset of the one it was reached
// from; locked pieces are passed through but never moved.
void TPuzzleWidget::MoveGroup(int32_t start, int32_t x, int32_t y) {
  moveStack_.clear();
  moveStack_.push_back({start, x, y});
  while (!moveStack_.empty()) {
    TMoveStep step = moveStack_.back();
    moveStack_.pop_back();
    TPiece& piece = pieces_[size_t(step.piece)];
    if (piece.moved) continue;
    if (!piece.locked) MovePiece(step.piece, step.x, step.y);
    piece.moved = true;
    // Pushed backwards, so that the first neighbour is walked first.
    for (size_t k = piece.neighbours.size(); k-- > 0;) {
      const TNeighbour& n = piece.neighbours[k];
      const TPiece& other = pieces_[size_t(n.piece)];
      if (other.group != piece.group || other.moved) continue;
      moveStack_.push_back({n.piece, Offset(piece.left, n.dx), Offset(piece.top, n.dy)});
    }
  }
}

void TPuzzleWidget::ClearVisited() {
  for (TPiece& piece : pieces_) piece.moved = false;
}

void TPuzzleWidget::SnapGroup(int32_t index) {
  int32_t anchor = index;
  int32_t group = pieces_[size_t(index)].group;
  for (size_t i = 0; i < pieces_.size(); ++i)
    if (pieces_[i].group == group && pieces_[i].locked) {
      anchor = int32_t(i);
      break;
    }
  ClearVisited();
  MoveGroup(anchor, pieces_[size_t(anchor)].left, pieces_[size_t(anchor)].top);
  ClearVisited();
}

bool TPuzzleWidget::IsSolved() const {
  if (pieces_.empty()) return false;
  for (const TPiece& piece : pieces_)
    if (piece.group != pieces_[0].group) return false;
  return true;
}

bool TPuzzleWidget::IsGroupLocked(int32_t index) const {
  int32_t group = pieces_[size_t(index)].group;
  for (const TPiece& piece : pieces_)
    if (piece.group == group && piece.locked) return true;
  return false;
}

int32_t TPuzzleWidget::GroupZ(int32_t group) const {
  int32_t inGroup = 0;
  for (const TPiece& piece : pieces_)
    if (piece.group == group) ++inGroup;
  return int32_t(pieces_.size()) - inGroup;
}

void TPuzzleWidget::UpdateZOrder() {
  std::vector<int32_t> sizes(pieces_.size(), 0);
  for (const TPiece& piece : pieces_) ++sizes[size_t(piece.group)];
  for (const TPiece& piece : pieces_)
    if (Ref<IWidget> widget = FindWidget(piece.widget))
      widget->SetZ(int32_t(pieces_.size()) - sizes[size_t(piece.group)]);
}

// ---------------------------------------------------------------------------------------
// Dragging

TPoint TPuzzleWidget::ChildMouse() {
  return ToChildSpace(ScreenToLocalPoint(owner_ ? owner_->GetMousePos() : mouse_));
}

bool TPuzzleWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  // Pieces stay draggable after the win.
  if (message == input::kLeftButtonDown && hovered_) {
    int32_t piece = PieceOf(hovered_->GetName());
    if (piece >= 0) BeginDrag(piece);
  } else if (message == input::kLeftButtonUp) {
    EndDrag();
  }
  return result;
}

void TPuzzleWidget::BeginDrag(int32_t piece) {
  dragging_ = true;
  Ref<IWidget> widget = FindWidget(pieces_[size_t(piece)].widget);
  double left = widget ? widget->GetAnchorLeft() : 0;
  double top = widget ? widget->GetAnchorTop() : 0;
  dragX_ = SaturateInt32(RoundHalfEven(left) - int64_t(mouse_.X));
  dragY_ = SaturateInt32(RoundHalfEven(top) - int64_t(mouse_.Y));
  dragged_ = piece;
  MakeFeedback("pick");
}

void TPuzzleWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (!dragging_ || dragged_ < 0 || IsGroupLocked(dragged_)) return;
  TPoint mouse = ChildMouse();
  TPoint p{SaturateInt32(int64_t(mouse.X) + dragX_), SaturateInt32(int64_t(mouse.Y) + dragY_)};
  if (!IsOutsideBlock(p)) {
    MoveGroup(dragged_, p.X, p.Y);
    ClearVisited();
    return;
  }
  // Leaving the block drops the group a little inside the edge it crossed.
  int64_t right = int64_t(blockLeft_) + blockWidth_, bottom = int64_t(blockTop_) + blockHeight_;
  int64_t x = p.X, y = p.Y;
  if (x < blockLeft_) x = int64_t(blockLeft_) + kBlockPullBack;
  if (x > right) x = right - kBlockPullBack;
  if (y < blockTop_) y = int64_t(blockTop_) + kBlockPullBack;
  if (y > bottom) y = bottom - kBlockPullBack;
  MoveGroup(dragged_, ClampCoordinate(x), ClampCoordinate(y));
  ClearVisited();
  EndDrag();
}

void TPuzzleWidget::EndDrag() {
  dragging_ = false;
  // Nothing was ever dragged: there is no piece to test.
  if (dragged_ < 0 || size_t(dragged_) >= pieces_.size()) return;
  MakeFeedback(JoinNeighbours(dragged_) ? "connect" : "unpick");
  UpdateZOrder();
  for (TPiece& piece : pieces_) piece.joined = false;
  if (IsSolved() && !solvedOnce_) {
    solvedOnce_ = true;
    Win();
  }
}

// Depth first from Piece through every neighbour: each neighbour in another group that
// lies within the tolerance of its offset brings its group into the walker's group, which
// then snaps to the exact offsets.
bool TPuzzleWidget::JoinNeighbours(int32_t start) {
  bool joined = false;
  int32_t tolerance = std::max(infelicity_, 0);
  joinStack_.clear();
  auto enter = [&](int32_t index) {
    TPiece& piece = pieces_[size_t(index)];
    if (piece.joined) return;
    piece.joined = true;
    if (Ref<IWidget> widget = FindWidget(piece.widget)) widget->SetZ(GroupZ(piece.group));
    joinStack_.push_back({index, piece.group, 0});
  };
  enter(start);
  while (!joinStack_.empty()) {
    TJoinFrame& frame = joinStack_.back();
    const TPiece& piece = pieces_[size_t(frame.piece)];
    if (frame.next >= piece.neighbours.size()) {
      joinStack_.pop_back();
      continue;
    }
    TNeighbour n = piece.neighbours[frame.next++];
    int32_t group = frame.group;
    int32_t index = frame.piece;
    const TPiece& other = pieces_[size_t(n.piece)];
    int64_t offX = int64_t(piece.left) - other.left - n.dx;
    int64_t offY = int64_t(piece.top) - other.top - n.dy;
    if (other.group != group && std::llabs(offX) <= tolerance && std::llabs(offY) <= tolerance) {
      int32_t from = other.group;
      for (TPiece& p : pieces_)
        if (p.group == from) p.group = group;
      int32_t z = GroupZ(group);
      for (TPiece& p : pieces_)
        if (p.group == group)
          if (Ref<IWidget> widget = FindWidget(p.widget)) widget->SetZ(z);
      SnapGroup(index);
      joined = true;
    }
    enter(n.piece);  // may grow the stack: Frame is not used after this
  }
  return joined;
}
