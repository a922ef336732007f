#include "minigames/MiniGame3MatchBoard.h"

#include <algorithm>
#include <utility>

#include "foundation/Random.h"

void T3MatchBoard::Resize(int32_t columns, int32_t rows) {
  columns_ = std::max(columns, 0);
  rows_ = std::max(rows, 0);
  cells_.assign(size_t(columns_) * size_t(2 * rows_), TCell{});
  marks_.assign(cells_.size(), 0);
}

bool T3MatchBoard::FindMatches(int32_t minSize) {
  std::fill(marks_.begin(), marks_.end(), uint8_t(0));
  bool any = false;
  auto markRun = [&](int32_t c, int32_t r, int32_t dc, int32_t dr, int32_t length) {
    for (int32_t k = 0; k < length; ++k) marks_[Index(c + k * dc, r + k * dr)] = 1;
    any = true;
  };
  // Rows, then columns, each cut into stretches of one kind.
  for (int32_t r = rows_; r < 2 * rows_; ++r)
    for (int32_t c = 0; c < columns_;) {
      int32_t kind = At(c, r).kind, end = c + 1;
      while (end < columns_ && At(end, r).kind == kind) ++end;
      if (kind >= 0 && end - c >= minSize) markRun(c, r, 1, 0, end - c);
      c = end;
    }
  for (int32_t c = 0; c < columns_; ++c)
    for (int32_t r = rows_; r < 2 * rows_;) {
      int32_t kind = At(c, r).kind, end = r + 1;
      while (end < 2 * rows_ && At(c, end).kind == kind) ++end;
      if (kind >= 0 && end - r >= minSize) markRun(c, r, 0, 1, end - r);
      r = end;
    }
  return any;
}

bool T3MatchBoard::HasRunThrough(int32_t column, int32_t row, int32_t minSize) const {
  int32_t kind = At(column, row).kind;
  if (kind < 0) return false;
  int32_t left = column, right = column;
  while (left > 0 && At(left - 1, row).kind == kind) --left;
  while (right + 1 < columns_ && At(right + 1, row).kind == kind) ++right;
  if (right - left + 1 >= minSize) return true;
  int32_t top = row, bottom = row;
  while (top > rows_ && At(column, top - 1).kind == kind) --top;
  while (bottom + 1 < 2 * rows_ && At(column, bottom + 1).kind == kind) ++bottom;
  return bottom - top + 1 >= minSize;
}

bool T3MatchBoard::TrySwap(int32_t c1, int32_t r1, int32_t c2, int32_t r2, int32_t minSize) {
  int32_t& a = At(c1, r1).kind;
  int32_t& b = At(c2, r2).kind;
  if (a == b) return false;
  std::swap(a, b);
  bool run = HasRunThrough(c1, r1, minSize) || HasRunThrough(c2, r2, minSize);
  std::swap(a, b);
  return run;
}

// Only the swapped cells changed, so only a run through one of them is new; a swap to the
// right and one downwards from every cell try every pair once.
bool T3MatchBoard::FindPossibleMove(int32_t minSize) {
  for (int32_t c = 0; c < columns_; ++c)
    for (int32_t r = rows_; r < 2 * rows_; ++r) {
      if (c + 1 < columns_ && TrySwap(c, r, c + 1, r, minSize)) return true;
      if (r + 1 < 2 * rows_ && TrySwap(c, r, c, r + 1, minSize)) return true;
    }
  return false;
}

void T3MatchBoard::Swap(int32_t c1, int32_t r1, int32_t c2, int32_t r2) {
  TCell& a = At(c1, r1);
  TCell& b = At(c2, r2);
  std::swap(a.kind, b.kind);
  std::swap(a.item, b.item);
  std::swap(a.anim, b.anim);
}

void T3MatchBoard::SwapAnimated(int32_t c1, int32_t r1, int32_t c2, int32_t r2, TMove move,
                                IView* view) {
  if (c1 == c2 && r1 == r2) return;
  Swap(c1, r1, c2, r2);
  if (!view) return;
  view->ItemMoved(c2, r2, At(c2, r2), move);
  view->ItemMoved(c1, r1, At(c1, r1), move);
}

bool T3MatchBoard::Fall(IView* view) {
  bool fell = false;
  for (int32_t c = 0; c < columns_; ++c)
    for (int32_t row = 0; row < 2 * rows_; ++row) {
      if (!marks_[Index(c, row)]) continue;
      // The mark climbs to the top; every record above it comes down one row.
      for (int32_t r = row - 1; r >= 0; --r) {
        std::swap(marks_[Index(c, r)], marks_[Index(c, r + 1)]);
        TCell& above = At(c, r);
        if (above.kind < 0) continue;
        TCell& below = At(c, r + 1);
        below.kind = std::exchange(above.kind, -1);
        below.item = std::exchange(above.item, -1);
        below.anim = std::move(above.anim);
        above.anim = nullptr;
        fell = true;
        if (view) view->ItemMoved(c, r + 1, below, TMove::Fall);
      }
    }
  return fell;
}

void T3MatchBoard::Fill(int32_t kinds, IView* view) {
  for (int32_t c = 0; c < columns_; ++c)
    for (int32_t r = 0; r < 2 * rows_; ++r) {
      TCell& cell = At(c, r);
      if (cell.kind != -1) continue;
      cell.kind = Random(kinds);
      marks_[Index(c, r)] = 0;
      if (view) view->ItemMade(c, r, cell);
    }
}

void T3MatchBoard::Shuffle(IView* view) {
  for (int32_t c = 0; c < columns_; ++c)
    for (int32_t r = rows_; r < 2 * rows_; ++r) {
      // The column is drawn first.
      int32_t c2 = Random(columns_);
      int32_t r2 = rows_ + Random(rows_);
      SwapAnimated(c, r, c2, r2, TMove::Shuffle, view);
    }
}
