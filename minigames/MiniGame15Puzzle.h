#pragma once
// "mg_15puzzle_widget": the sliding-tile puzzle. Tiles sit in a grid of cells, some cells
// are holes, and a click on a tile next to a hole slides it in. The puzzle starts from the
// solved layout scrambled by random moves and is won when every tile (holes too) is back
// in its home cell. In swap mode any tile may be picked and swapped with any other. Tiles
// move only through feedback widgets.

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class T15PuzzleWidget : public TMiniGameWidget {
 public:
  enum TState : uint8_t { kPlay, kCheck, kShuffle, kWon };

  struct TItem {
    int32_t home = 0;
    std::string widget = "null_widget";
    bool hole = false;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  // Busy while the feedback queued last plays; the "next" chain is not consulted.
  bool IsQueueBusy() override;

  // A click on the tile of that name.
  void ClickTile(const std::string& name);
  bool IsSolved() const;

  int32_t DimX() const { return dimX_; }
  int32_t DimY() const { return dimY_; }
  const TItem& At(int32_t x, int32_t y) const { return items_[Index(x, y)]; }
  TState State() const { return state_; }
  // Cell (x, y) on the screen: x = shift_width * column + shift_left.
  TPoint CellPoint(int32_t x, int32_t y) const;

 private:
  size_t Index(int32_t x, int32_t y) const { return size_t(x) + size_t(dimX_) * size_t(y); }
  void ReadItems(const Ref<IHierStorage>& node);
  // Left, right, up, down; in swap mode every other cell, column by column.
  void Neighbours(TPoint cell, std::vector<TPoint>& out) const;
  // The holes column by column.
  void Holes(std::vector<TPoint>& out) const;
  bool IsNeighbourOfHole(TPoint cell) const;
  // Swaps the two cells' items when both widgets exist, with Factory's feedback queued.
  bool Move(TPoint a, TPoint b, const char* factory);
  void Scramble();
  void SetState(TState state);
  void TileFeedback(const char* factory, const std::string& name);

  int32_t dimX_ = 3, dimY_ = 3;
  bool swapMode_ = false, allHoles_ = false;
  std::vector<TItem> items_;
  TPoint picked_{-1, -1};
  TState state_ = kPlay;
  int32_t shiftLeft_ = 0, shiftTop_ = 0, shiftWidth_ = 50, shiftHeight_ = 50;
};
