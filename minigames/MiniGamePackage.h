#pragma once
// "package_widget": items of several shapes are packed into a grid of cells. A click
// picks an item up, it follows the mouse, and a second click drops it: it snaps onto the
// free cells under its parts or is refused. Cells and items carry groups; the game is won
// when every item lies on a cell of its own group. Cells show their state through
// feedback widgets ("no_cell", "green_cell", "red_cell").

#include <cstdint>
#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TPackageWidget : public TMiniGameWidget {
 public:
  struct TPart {
    int32_t dx = 0, dy = 0;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  void Win(const Ref<IParamCollection>& params = nullptr) override;

  void BeginDrag(const std::string& item);
  void EndDrag();
  // Answers whether Item was placed.
  bool PlaceItem(const std::string& item);
  bool IsSolved() const;
  // The highest-numbered free cell; the remembered cell when none is free; -1 while not
  // playing or without cells.
  int32_t FindFreeCell() const;

  bool IsDragging() const { return dragging_; }
  const std::string& DraggedName() const { return dragged_; }
  int32_t CellCount() const { return int32_t(cells_.size()); }
  const std::string& Occupant(int32_t cell) const { return cells_[size_t(cell)].occupant; }
  bool IsCellVisible(int32_t cell) const { return cells_[size_t(cell)].visible; }

 protected:
  const TPropertyTable& Properties() override;

 private:
  struct TCell {
    int32_t x = 0, y = 0;
    bool visible = true;
    int32_t group = 0;
    std::string widget;
    Ref<IWidget> tail;
    std::string occupant;
  };
  struct TItem {
    std::string name;
    int32_t group = 0;
    std::vector<TPart> parts;
  };

  TItem* FindItem(const std::string& name);
  const TItem* FindItem(const std::string& name) const;
  // Part of the item whose widget is Widget lies on Cell within the tolerance; the
  // distance from the cell's snap point to the part goes to Dx, Dy.
  bool LiesOn(IWidget* widget, const TPart& part, const TCell& cell, int32_t& dx,
              int32_t& dy) const;
  // Frees Item's cells and raises its widget above the others.
  void Lift(const std::string& item, bool refresh);
  void UpdateCells(const std::string& placed);
  void CheckFullGroups();
  void ReturnItem(const std::string& item);
  void Shuffle();
  // The item widget moved so that Part lies on Cell's snap point.
  void MoveOnto(const TItem& item, const TCell& cell);
  // The owner's mouse position in the game's child space.
  TPoint ChildMouse();
  void PushInsideBlock(IWidget* widget);

  int32_t infelicity_ = 0, infelicityX_ = 0, infelicityY_ = 0;
  int32_t cellCount_ = 0;
  bool solvedOnce_ = false;
  bool engageAlien_ = true, shuffle_ = false, switch_ = false, return_ = false;
  bool hideFullGroup_ = false;
  int32_t rememberedCell_ = -1;
  std::vector<TCell> cells_;
  std::vector<TItem> items_;
  std::string dragged_;
  TPoint dragOffset_;
  bool dragging_ = false;
};
