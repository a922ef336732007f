#include "minigames/MiniGame3Match.h"

#include <algorithm>
#include <cstdlib>

#include "foundation/CheckedMath.h"
#include "foundation/XmlAttributes.h"
#include "platform/InputConstants.h"

namespace {

constexpr int32_t kMaxSide = 64;
// Shuffles tried in one frame before the board waits for the next.
constexpr int kShufflesPerFrame = 4;
constexpr int32_t kNoGlobalTarget = -999;

Variant Int(int64_t value) {
  return Variant::Integer(SaturateInt32(value));
}

}  // namespace

const TPropertyTable& T3MatchWidget::Properties() {
  using M = T3MatchWidget;
  static const TPropertyTable table(
      TMiniGameWidget::Properties(),
      {
          Attr("minsize", &M::minSize_).Int(3),
          Attr("resdelta", &M::resDelta_).Int(1),
          Attr("step", &M::step_).Int(),
          Attr("deskx", &M::deskX_).Int(),
          Attr("desky", &M::deskY_).Int(),
          Attr("itemcount", &M::kinds_).Int(),
          Attr("targets", &M::targetsText_).Str(),
          Attr("global_target", &M::globalTarget_).Int(kNoGlobalTarget),
      });
  return table;
}

void T3MatchWidget::LoadFromXml(const Ref<IHierStorage>& node) {
  TMiniGameWidget::LoadFromXml(node);
  if (!node) return;
  selected_ = false;
  selectedCell_ = secondCell_ = {-1, -1};
  initial_ = true;
  unsettled_ = false;
  targets_.clear();
  score_ = 0;
  pitch_ = SaturateInt32(int64_t(resDelta_) + step_);
  deskX_ = std::max(deskX_, 0);
  deskY_ = std::max(deskY_, 0);
  itemGroup_ = FindWidget("board/inner");
  itemPrefix_ = itemGroup_ ? "board/inner/item_" : "item_";
  boardReady_ = CanSettle();
  board_.Resize(boardReady_ ? deskX_ : 0, boardReady_ ? deskY_ : 0);
  if (boardReady_) SetState(kFill);
  ReadTargets();
  score_ = 0;
  playing_ = true;
}

// Boards that could never settle would fill, explode or shuffle for ever.
bool T3MatchWidget::CanSettle() const {
  if (deskX_ > kMaxSide || deskY_ > kMaxSide) {
    WarnAboutGame("a board of " + std::to_string(deskX_) + " x " + std::to_string(deskY_) +
                  " is more than 64 x 64; it is left empty");
    return false;
  }
  // A run needs MinSize cells in a line and, to be made by a swap, one more cell beside
  // the line or a second line.
  int32_t x = deskX_, y = deskY_, n = minSize_;
  bool runPossible = (x >= n && (x > n || y >= 2)) || (y >= n && (y > n || x >= 2));
  if (x < 1 || y < 1 || kinds_ < 2 || n < 2 || !runPossible) {
    WarnAboutGame("a board of " + std::to_string(x) + " x " + std::to_string(y) + " with " +
                  std::to_string(kinds_) + " kinds and runs of " + std::to_string(n) +
                  " can never be played; it is left empty");
    return false;
  }
  return true;
}

void T3MatchWidget::ReadTargets() {
  targets_.clear();
  if (targetsText_.empty()) return;
  for (const std::string& entry : Split(targetsText_, ';')) {
    if (entry.empty()) continue;
    std::vector<std::string> parts = Split(entry, ':');
    TTarget target;
    TryTextToInt(parts[0], target.remaining);
    if (parts.size() > 1) target.widget = parts[1];
    if (Ref<IWidget> widget = FindWidget(target.widget))
      widget->SetProperty("text", Variant::Integer(target.remaining));
    targets_.push_back(std::move(target));
  }
  if (boardReady_ && int32_t(targets_.size()) > kinds_)
    WarnAboutGame(std::to_string(targets_.size()) + " targets for " + std::to_string(kinds_) +
                  " kinds; the targets past the kinds can never be reached");
}

std::string T3MatchWidget::ItemPath(const T3MatchBoard::TCell& cell) const {
  return cell.item < 0 ? std::string("delete") : itemPrefix_ + std::to_string(cell.item);
}

bool T3MatchWidget::IsQueueBusy() {
  for (int32_t c = 0; c < board_.Columns(); ++c)
    for (int32_t r = 0; r < board_.Height(); ++r) {
      const Ref<IWidget>& anim = board_.At(c, r).anim;
      if (anim && !anim->IsDead()) return true;
    }
  return false;
}

void T3MatchWidget::Update(int32_t dt) {
  TMiniGameWidget::Update(dt);
  if (boardReady_ && !IsQueueBusy()) NextState();
}

// ---------------------------------------------------------------------------------------
// States

bool T3MatchWidget::IsWinReached() const {
  if (!targets_.empty())
    return std::all_of(targets_.begin(), targets_.end(),
                       [](const TTarget& t) { return t.remaining < 1; });
  return score_ >= (globalTarget_ == kNoGlobalTarget ? 0 : globalTarget_);
}

void T3MatchWidget::SetState(uint8_t state) {
  state_ = state;
  switch (state) {
    case kBegin:
      MakeFeedback("begin_animation");
      break;
    case kInput:
      // A game skipped while its board settled takes no input.
      playing_ = !won_;
      initial_ = false;
      if (IsWinReached()) SetState(kWon);
      break;
    case kSwap:
      board_.SwapAnimated(selectedCell_.X, selectedCell_.Y, secondCell_.X, secondCell_.Y,
                          T3MatchBoard::TMove::Swap, this);
      break;
    case kSwapBack:
      board_.SwapAnimated(selectedCell_.X, selectedCell_.Y, secondCell_.X, secondCell_.Y,
                          T3MatchBoard::TMove::Swap, this);
      Deselect();
      break;
    case kExplode:
      Explode();
      break;
    case kFall:
      if (board_.Fall(this) && !initial_) PlaySound("fall");
      break;
    case kFill:
      board_.Fill(kinds_, this);
      NextState();
      break;
    case kSettle:
      unsettled_ = false;
      if (!board_.FindPossibleMove(minSize_)) {
        PlaySound("no_turn");
        unsettled_ = !Reshuffle();
      }
      break;
    case kWon:
      Win();
      break;
    default:
      break;
  }
}

bool T3MatchWidget::Reshuffle() {
  for (int tries = 0; tries < kShufflesPerFrame; ++tries) {
    board_.Shuffle(this);
    if (board_.FindPossibleMove(minSize_) && !board_.FindMatches(minSize_)) return true;
  }
  return false;
}

void T3MatchWidget::NextState() {
  switch (state_) {
    case kBegin:
      SetState(kInput);
      break;
    case kSwap:
      SetState(board_.FindMatches(minSize_) ? kExplode : kSwapBack);
      break;
    case kSwapBack:
      SetState(kInput);
      break;
    case kExplode:
      RemoveMarkedItems();
      SetState(kFall);
      break;
    case kFall:
      SetState(kFill);
      break;
    case kFill:
      SetState(board_.FindMatches(minSize_) ? kExplode : kSettle);
      break;
    case kSettle:
      // Still no move, or a run, after this frame's shuffles: more next frame, unless the
      // game was skipped meanwhile and needs no board any more.
      if (unsettled_) {
        if (!won_) unsettled_ = !Reshuffle();
        break;
      }
      SetState(initial_ ? kBegin : kInput);
      break;
    default:
      break;
  }
}

void T3MatchWidget::RemoveMarkedItems() {
  for (int32_t c = 0; c < board_.Columns(); ++c)
    for (int32_t r = 0; r < board_.Height(); ++r) {
      if (!board_.IsMarked(c, r)) continue;
      T3MatchBoard::TCell& cell = board_.At(c, r);
      if (cell.item >= 0)
        if (Ref<IWidget> item = FindWidget(ItemPath(cell))) item->SetDead(true);
      cell.item = -1;
      cell.kind = -1;
    }
}

void T3MatchWidget::Explode() {
  selected_ = false;
  selectedCell_ = {-1, -1};
  for (TTarget& target : targets_) target.turn = 0;
  int32_t scoreBefore = score_;
  for (int32_t c = 0; c < board_.Columns(); ++c)
    for (int32_t r = 0; r < board_.Height(); ++r) {
      T3MatchBoard::TCell& cell = board_.At(c, r);
      if (!board_.IsMarked(c, r) || cell.item < 0) continue;
      Ref<IParamCollection> params = NewParams();
      params->SetValue("name", Variant("boom_" + std::to_string(NextId())));
      params->SetValue("link", Variant(ItemPath(cell)));
      if (Ref<IWidget> boom = MakeChild(initial_ ? "boom_animation_i" : "boom_animation", params)) {
        boom->SetPaused(false);
        cell.anim = boom;
      }
      if (initial_) continue;
      score_ = SaturateInt32(int64_t(score_) + 1);
      if (cell.kind >= 0 && size_t(cell.kind) < targets_.size()) {
        TTarget& target = targets_[size_t(cell.kind)];
        if (target.remaining > 0) {
          ++target.turn;
          target.total = SaturateInt32(int64_t(target.total) + 1);
        }
      }
    }
  bool success = false;
  for (TTarget& target : targets_) {
    PlaySound("combo_" + std::to_string(target.turn));
    // Reached this turn: a target reached before no longer counts.
    if (target.remaining > 0 && target.remaining - target.turn < 1) success = true;
    target.remaining = std::max(target.remaining - target.turn, 0);
    Ref<IParamCollection> params = NewParams();
    params->SetValue("id", Variant::Integer(NextId()));
    params->SetValue("score", Variant::Integer(target.total));
    params->SetValue("score_need", Variant::Integer(target.remaining));
    params->SetValue("score_name", Variant(target.widget));
    MakeChild("scoring", params);
  }
  int32_t globalTarget = globalTarget_ == kNoGlobalTarget ? 0 : globalTarget_;
  if (score_ > scoreBefore && score_ < globalTarget) {
    Ref<IParamCollection> params = NewParams();
    params->SetValue("score", Variant::Integer(score_));
    params->SetValue("score_need", Variant::Integer(globalTarget));
    params->SetValue("reverce_score", Int(int64_t(globalTarget) - score_));
    MakeFeedback("scoring", params);
  }
  if (!initial_) {
    if (success) PlaySound("success");
    PlaySound("boom");
    return;
  }
  RemoveMarkedItems();
  SetState(kFall);
}

// ---------------------------------------------------------------------------------------
// The player

bool T3MatchWidget::HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) {
  bool result = TMiniGameWidget::HandleMouse(message, point, keys);
  if (message != input::kLeftButtonDown || !hovered_ || state_ != kInput || !playing_ ||
      pitch_ <= 0)
    return result;
  // The items stand at the board's anchor: a group's "left" and "top" follow what it
  // holds, the store above the board included.
  Ref<IWidget> board = FindWidget("board");
  int64_t x = int64_t(mouse_.X) - (board ? RoundHalfEven(board->GetAnchorLeft()) : 0);
  int64_t y = int64_t(mouse_.Y) - (board ? RoundHalfEven(board->GetAnchorTop()) : 0);
  // Left of or above the board is no cell, not column or row 0.
  if (x < 0 || y < 0) return result;
  int64_t row = y / pitch_ + deskY_;
  ClickCell(SaturateInt32(x / pitch_), SaturateInt32(row));
  return result;
}

void T3MatchWidget::ClickCell(int32_t column, int32_t row) {
  if (!board_.IsVisible(column, row)) return;
  if (!selected_) {
    Select(column, row);
    return;
  }
  int32_t dc = std::abs(column - selectedCell_.X), dr = std::abs(row - selectedCell_.Y);
  if (dc + dr == 1) {
    secondCell_ = {column, row};
    SetState(kSwap);
  } else if (dc + dr == 0) {
    Deselect();
  } else {
    Select(column, row);
  }
}

void T3MatchWidget::SelectionAnimation(const char* factory, const char* prefix) {
  T3MatchBoard::TCell& cell = board_.At(selectedCell_.X, selectedCell_.Y);
  if (cell.item < 0) return;
  std::string path = ItemPath(cell);
  std::string name = prefix + path;
  if (HasChild(name)) return;
  Ref<IWidget> item = FindWidget(path);
  Ref<IParamCollection> params = NewParams();
  params->SetValue("name", Variant(name));
  params->SetValue("link", Variant(path));
  params->SetValue("x", Variant(item ? item->GetAnchorLeft() : 0.0));
  params->SetValue("y", Variant(item ? item->GetAnchorTop() : 0.0));
  MakeChild(factory, params);
}

void T3MatchWidget::Select(int32_t column, int32_t row) {
  if (selected_) Deselect();
  selected_ = true;
  selectedCell_ = {column, row};
  PlaySound("select");
  SelectionAnimation("select_animation", "select_");
}

void T3MatchWidget::Deselect() {
  if (selected_) SelectionAnimation("deselect_animation", "deselect_");
  PlaySound("deselect");
  selected_ = false;
  selectedCell_ = {-1, -1};
}

// ---------------------------------------------------------------------------------------
// What the board shows

void T3MatchWidget::ItemMoved(int32_t column, int32_t row, T3MatchBoard::TCell& cell,
                              T3MatchBoard::TMove move) {
  if (cell.item < 0) return;
  const char* factory = move == T3MatchBoard::TMove::Swap      ? "move_animation"
                        : move == T3MatchBoard::TMove::Shuffle ? "move_animation_i"
                        : initial_                             ? "fall_animation_i"
                                                               : "fall_animation";
  const char* prefix = move == T3MatchBoard::TMove::Fall ? "fall_" : "move_";
  Ref<IParamCollection> params = NewParams();
  params->SetValue("name", Variant(prefix + std::to_string(NextId())));
  params->SetValue("link", Variant(ItemPath(cell)));
  params->SetValue("valX", Int(int64_t(column) * pitch_));
  params->SetValue("valY", Int((int64_t(row) - deskY_) * pitch_));
  // After the cell's running animation, else at once; either way the cell's last one now.
  if (Ref<IWidget> widget = MakeChild(factory, params)) AppendNext(widget, cell.anim);
}

void T3MatchWidget::ItemMade(int32_t column, int32_t row, T3MatchBoard::TCell& cell) {
  int32_t n = NextId();
  Ref<IParamCollection> params = NewParams();
  params->SetValue("name", Variant("item_" + std::to_string(n)));
  params->SetValue("left", Int(int64_t(column) * pitch_));
  params->SetValue("top", Int((int64_t(row) - deskY_) * pitch_));
  params->SetValue("resD", Int(int64_t(cell.kind) * resDelta_));
  Ref<IWidget> item = CreateWidgetFromFactory("desk_item", params);
  cell.item = -1;
  if (!item) return;
  Ref<IWidgetCollection> children = itemGroup_ ? itemGroup_->GetChildren() : nullptr;
  if (children ? children->Add(item) : children_->Add(item)) cell.item = n;
}
