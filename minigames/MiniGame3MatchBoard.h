#pragma once
// The match-three board without its looks: columns of cells, each column twice as tall
// as the visible board (the upper half is a store the falls draw from), runs, possible
// moves, falls, fills and shuffles. What the player sees of a move is left to a view,
// which may be absent (the board then only keeps the kinds).

#include <cstdint>
#include <vector>

#include "shell/GameInterfaces.h"

class T3MatchBoard {
 public:
  struct TCell {
    int32_t kind = -1;  // -1: empty
    int32_t item = -1;  // number of the item widget; -1: no item
    Ref<IWidget> anim;  // the cell's last animation widget
  };
  enum class TMove : uint8_t { Swap, Shuffle, Fall };

  class IView {
   public:
    // Cell now stands at (column, row) after a move of that kind.
    virtual void ItemMoved(int32_t column, int32_t row, TCell& cell, TMove move) = 0;
    // Cell was given a new kind: its item is to be made.
    virtual void ItemMade(int32_t column, int32_t row, TCell& cell) = 0;

   protected:
    ~IView() = default;
  };

  // Columns x (2 x Rows) empty cells; Rows is the visible height.
  void Resize(int32_t columns, int32_t rows);
  int32_t Columns() const { return columns_; }
  int32_t VisibleRows() const { return rows_; }
  // Rows of a column, the store included.
  int32_t Height() const { return 2 * rows_; }
  bool IsVisible(int32_t column, int32_t row) const {
    return column >= 0 && column < columns_ && row >= rows_ && row < 2 * rows_;
  }

  TCell& At(int32_t column, int32_t row) { return cells_[Index(column, row)]; }
  const TCell& At(int32_t column, int32_t row) const { return cells_[Index(column, row)]; }
  bool IsMarked(int32_t column, int32_t row) const { return marks_[Index(column, row)] != 0; }

  // Marks every visible run of MinSize or more equal kinds; true when any cell is marked.
  bool FindMatches(int32_t minSize);
  // Some swap of two visible neighbours makes a run through one of them.
  bool FindPossibleMove(int32_t minSize);
  // Exchanges the two cells' records (kind, item, last animation).
  void Swap(int32_t c1, int32_t r1, int32_t c2, int32_t r2);
  // The same, shown to the view as two moves.
  void SwapAnimated(int32_t c1, int32_t r1, int32_t c2, int32_t r2, TMove move, IView* view);
  // Every marked cell's record gives way to those above it, which fall one row per mark;
  // true when an item fell.
  bool Fall(IView* view);
  // Every empty cell, the store included, takes a random kind and loses its mark.
  void Fill(int32_t kinds, IView* view);
  // Every visible cell swaps with a random visible cell.
  void Shuffle(IView* view);

 private:
  size_t Index(int32_t column, int32_t row) const {
    return size_t(column) * size_t(2 * rows_) + size_t(row);
  }
  // A run of MinSize through the visible cell, along its row or its column.
  bool HasRunThrough(int32_t column, int32_t row, int32_t minSize) const;
  bool TrySwap(int32_t c1, int32_t r1, int32_t c2, int32_t r2, int32_t minSize);

  int32_t columns_ = 0;
  int32_t rows_ = 0;
  std::vector<TCell> cells_;
  std::vector<uint8_t> marks_;
};
