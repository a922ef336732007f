#include "minigames/MiniGame15Puzzle.h"

#include <algorithm>

#include "foundation/CheckedMath.h"
#include "foundation/Random.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

constexpr int32_t kScrambleMoves = 1000;
// Boards past this many cells a side are refused.
constexpr int32_t kLargestSide = 64;

}  // namespace

void T15PuzzleWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  dimX_ = std::max(ReadXmlInt(node, "dim_x", 3), 0);
  dimY_ = std::max(ReadXmlInt(node, "dim_y", 3), 0);
  if (dimX_ > kLargestSide || dimY_ > kLargestSide) {
    WarnAboutNode(node, "a board of " + std::to_string(dimX_) + " x " + std::to_string(dimY_) +
                            " cells is past " + std::to_string(kLargestSide) + " x " +
                            std::to_string(kLargestSide) + "; it is left empty");
    dimX_ = dimY_ = 0;
  }
  swapMode_ = ReadXmlBool(node, "all_neibours", false);
  allHoles_ = ReadXmlBool(node, "all_holes", false);
  picked_ = {-1, -1};
  ReadItems(node);
  shiftLeft_ = ReadXmlInt(node, "shift_left", 0);
  shiftTop_ = ReadXmlInt(node, "shift_top", 0);
  shiftWidth_ = ReadXmlInt(node, "shift_width", 50);
  shiftHeight_ = ReadXmlInt(node, "shift_height", 50);
  SetState(kShuffle);
  playing_ = !won_;
}

void T15PuzzleWidget::ReadItems(const Ref<IHierStorage>& node) {
  // The grid is always set, so a puzzle without tiles is a solved board, not garbage.
  items_.assign(size_t(dimX_) * size_t(dimY_), TItem{});
  for (size_t i = 0; i < items_.size(); ++i) items_[i].home = int32_t(i);
  std::string names = ReadXmlStr(node, "items");
  if (names.empty()) return;
  std::vector<std::string> entries = Split(names, ';');
  if (entries.size() > items_.size())
    WarnAboutNode(node, std::to_string(entries.size()) + " items for " +
                            std::to_string(items_.size()) + " cells; the rest are left out");
  for (size_t i = 0; i < entries.size() && i < items_.size(); ++i) {
    if (!entries[i].empty()) items_[i].widget = entries[i];
    items_[i].hole = allHoles_;
  }
  std::string holes = ReadXmlStr(node, "hole_ids");
  if (holes.empty()) return;
  for (const std::string& entry : Split(holes, ';')) {
    int32_t cell = -1;
    if (entry.empty()) continue;
    if (!TryTextToInt(entry, cell)) {
      WarnAboutNode(node, "hole \"" + entry + "\" is no cell number; left out");
      continue;
    }
    if (cell >= 0 && size_t(cell) < items_.size()) items_[size_t(cell)].hole = true;
  }
}

TPoint T15PuzzleWidget::CellPoint(int32_t x, int32_t y) const {
  return {SaturateInt32(int64_t(shiftWidth_) * x + shiftLeft_),
          SaturateInt32(int64_t(shiftHeight_) * y + shiftTop_)};
}

void T15PuzzleWidget::Neighbours(TPoint cell, std::vector<TPoint>& out) const {
  out.clear();
  if (swapMode_) {
    for (int32_t x = 0; x < dimX_; ++x)
      for (int32_t y = 0; y < dimY_; ++y)
        if (x != cell.X || y != cell.Y) out.push_back({x, y});
    return;
  }
  if (cell.X > 0) out.push_back({cell.X - 1, cell.Y});
  if (cell.X + 1 < dimX_) out.push_back({cell.X + 1, cell.Y});
  if (cell.Y > 0) out.push_back({cell.X, cell.Y - 1});
  if (cell.Y + 1 < dimY_) out.push_back({cell.X, cell.Y + 1});
}

void T15PuzzleWidget::Holes(std::vector<TPoint>& out) const {
  out.clear();
  for (int32_t x = 0; x < dimX_; ++x)
    for (int32_t y = 0; y < dimY_; ++y)
      if (At(x, y).hole) out.push_back({x, y});
}

bool T15PuzzleWidget::IsNeighbourOfHole(TPoint cell) const {
  std::vector<TPoint> neighbours;
  Neighbours(cell, neighbours);
  return std::any_of(neighbours.begin(), neighbours.end(),
                     [&](TPoint n) { return At(n.X, n.Y).hole; });
}

bool T15PuzzleWidget::IsSolved() const {
  for (int32_t y = 0; y < dimY_; ++y)
    for (int32_t x = 0; x < dimX_; ++x)
      if (size_t(At(x, y).home) != Index(x, y)) return false;
  return true;
}

bool T15PuzzleWidget::IsQueueBusy() {
  Ref<IWidget> tail = FindWidget(lastQueued_);
  return tail && !tail->IsDead();
}

bool T15PuzzleWidget::Move(TPoint a, TPoint b, const char* factory) {
  TItem& first = items_[Index(a.X, a.Y)];
  TItem& second = items_[Index(b.X, b.Y)];
  if (!FindWidget(first.widget) || !FindWidget(second.widget)) return false;
  TPoint to = CellPoint(b.X, b.Y), from = CellPoint(a.X, a.Y);
  Ref<IParamCollection> params = NewParams();
  params->SetValue("name1", Variant(first.widget));
  params->SetValue("name2", Variant(second.widget));
  params->SetValue("x1", Variant::Integer(to.X));
  params->SetValue("y1", Variant::Integer(to.Y));
  params->SetValue("x2", Variant::Integer(from.X));
  params->SetValue("y2", Variant::Integer(from.Y));
  MakeFeedback(factory, params);
  std::swap(first, second);
  return true;
}

void T15PuzzleWidget::Scramble() {
  std::vector<TPoint> holes, movable, neighbours, targets;
  for (int32_t n = 0; n < kScrambleMoves; ++n) {
    // Sliding moves cannot part two holes again, so holes move only with tiles; any two
    // cells swap in swap mode.
    Holes(holes);
    movable.clear();
    for (TPoint hole : holes) {
      if (swapMode_) {
        if (items_.size() > 1) movable.push_back(hole);
        continue;
      }
      Neighbours(hole, neighbours);
      if (std::any_of(neighbours.begin(), neighbours.end(),
                      [&](TPoint c) { return !At(c.X, c.Y).hole; }))
        movable.push_back(hole);
    }
    if (movable.empty()) return;  // no hole can move: the board stays as it is
    TPoint hole = movable[size_t(Random(int32_t(movable.size())))];
    Neighbours(hole, neighbours);
    targets.clear();
    for (TPoint c : neighbours)
      if (swapMode_ || !At(c.X, c.Y).hole) targets.push_back(c);
    Move(hole, targets[size_t(Random(int32_t(targets.size())))], "shuffle");
  }
}

void T15PuzzleWidget::SetState(TState state) {
  state_ = state;
  switch (state) {
    case kPlay:
      playing_ = true;
      break;
    case kCheck:
      break;
    case kShuffle:
      Scramble();
      SetState(kPlay);
      break;
    case kWon:
      Win();
      break;
  }
}

void T15PuzzleWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (won_ || state_ != kCheck || IsQueueBusy()) return;
  SetState(IsSolved() ? kWon : kPlay);
}

bool T15PuzzleWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message == input::kLeftButtonDown && hovered_) ClickTile(GetHoveredWidgetName());
  return result;
}

void T15PuzzleWidget::TileFeedback(const char* factory, const std::string& name) {
  Ref<IParamCollection> params = NewParams();
  params->SetValue("id", Variant::Integer(NextId()));
  params->SetValue("name", Variant(name));
  if (Ref<IWidget> widget = MakeChild(factory, params)) widget->SetPaused(false);
}

void T15PuzzleWidget::ClickTile(const std::string& name) {
  if (!playing_ || state_ != kPlay) return;
  TPoint cell{-1, -1};
  for (int32_t x = 0; x < dimX_; ++x)
    for (int32_t y = 0; y < dimY_; ++y)
      if (At(x, y).widget == name) cell = {x, y};
  if (cell.X < 0 || !IsNeighbourOfHole(cell)) return;
  if (!swapMode_) {
    std::vector<TPoint> neighbours;
    Neighbours(cell, neighbours);
    for (TPoint n : neighbours)
      if (At(n.X, n.Y).hole) {
        Move(cell, n, "move");
        break;
      }
    SetState(kCheck);
    return;
  }
  if (picked_.X < 0) {
    picked_ = cell;
    TileFeedback("pick", name);
    return;
  }
  Move(picked_, cell, "move");
  TileFeedback("unpick", name);
  picked_ = {-1, -1};
  SetState(kCheck);
}
