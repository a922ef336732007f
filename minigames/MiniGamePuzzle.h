#pragma once
// "puzzle_widget": a jigsaw. The children laid out in the data are the solved picture; at
// load the game keeps each piece's offsets to its neighbours and scatters the pieces over
// an area. The player drags pieces and joined groups; a drop close enough to the right
// offset from a neighbour joins the two groups, and the puzzle is solved when one group
// holds every piece.

#include <cstdint>
#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TPuzzleWidget : public TMiniGameWidget {
 public:
  struct TNeighbour {
    int32_t piece = 0;       // index among the pieces
    int32_t dx = 0, dy = 0;  // the piece's solved position minus the neighbour's
  };
  struct TPiece {
    bool locked = false;
    std::string widget;
    int32_t left = 0, top = 0;
    int32_t group = 0;
    std::vector<TNeighbour> neighbours;
    bool moved = false;
    bool joined = false;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  const std::vector<TPiece>& Pieces() const { return pieces_; }
  bool IsDragging() const { return dragging_; }
  bool IsSolved() const;
  bool IsGroupLocked(int32_t piece) const;
  // The z of a group: the larger the group, the lower it lies.
  int32_t GroupZ(int32_t group) const;

 protected:
  const TPropertyTable& Properties() override;

 private:
  void ReadPieces();
  void StoreHomeOffsets();
  void Scatter();
  void MovePiece(int32_t piece, int32_t x, int32_t y);
  // Moves Piece to (x, y) and the rest of its group after it, by their offsets.
  void MoveGroup(int32_t piece, int32_t x, int32_t y);
  void ClearVisited();
  // Puts Piece's group at its exact offsets: around a locked piece when the group holds
  // one (locked pieces never move), else around Piece where it lies.
  void SnapGroup(int32_t piece);
  void BeginDrag(int32_t piece);
  void EndDrag();
  bool JoinNeighbours(int32_t piece);
  void UpdateZOrder();
  int32_t PieceOf(const std::string& widgetName) const;
  // The owner's mouse position in the children's space.
  TPoint ChildMouse();

  std::string elementsText_;
  std::string lockText_;
  std::vector<TPiece> pieces_;
  int32_t infelicity_ = 0;
  int32_t areaLeft_ = 0, areaTop_ = 0, areaWidth_ = 0, areaHeight_ = 0;
  int32_t dragX_ = 0, dragY_ = 0;
  bool dragging_ = false;
  int32_t dragged_ = -1;
  bool solvedOnce_ = false;
  // The traversal stacks, kept to allocate once.
  struct TMoveStep {
    int32_t piece, x, y;
  };
  std::vector<TMoveStep> moveStack_;
  struct TJoinFrame {
    int32_t piece, group;
    size_t next;
  };
  std::vector<TJoinFrame> joinStack_;
};
