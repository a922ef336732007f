#pragma once
// "mg_xmatch_widget": match three on a board of any shape. The data lists cells with
// their places and directed, weighted links, each link with a direction number. The
// player swaps the elements of two linked cells; a line of "min_length" cells of one group
// along links of one direction number explodes and scores for that group; emptied cells
// pull elements along their links, and respawn cells make new ones. Won when every
// element kind has reached its "score".

#include <cstdint>
#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TXMatchWidget : public TMiniGameWidget {
 public:
  enum : uint8_t {
    kFillBoard = 0,
    kReady = 1,
    kInput = 2,
    kSwap = 3,
    kSwapBack = 4,
    kExplode = 5,
    kRefill = 6,
    kSettle = 7,
    kWon = 8,
  };
  struct TLink {
    int32_t cell = 0;  // position among the cells
    double weight = 0;
    int32_t direction = 0;
  };
  struct TCell {
    int32_t id = 0;
    double left = 0, top = 0;
    std::vector<TLink> links;
    bool respawn = false;
    int32_t mark = 0;  // -1: exploding or emptied
    // The element record, exchanged as a whole.
    int32_t group = -1;  // -1: no element
    std::string element = "null_widget";
    Ref<IWidget> anim;  // the running animation of the element
  };
  struct TKind {
    int32_t group = 0;
    std::string blipFactory = "blip_factory";
    std::string scoreAnimation = "score_animation";
    int32_t need = 0;
    int32_t score = 0;
    int32_t delta = 0;
    bool changed = false;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void SaveToXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  bool IsQueueBusy() override;

  void NextState();
  void ClickCell(const std::string& elementName);
  // Marks every cell that starts a line; true when one does.
  bool FindRuns();
  // A cell whose swap along one of its links makes a line, -1 when none.
  int32_t FindPossibleMove();

  uint8_t State() const { return state_; }
  bool IsBoardReady() const { return boardReady_; }
  int32_t Selected() const { return selected_; }
  std::vector<TCell>& Cells() { return cells_; }
  const std::vector<TKind>& Kinds() const { return kinds_; }

 private:
  void ReadCells(const Ref<IHierStorage>& node);
  void ReadKinds(const Ref<IHierStorage>& node);
  void SetState(uint8_t state);
  // Fills the board until a move exists and no line stands, a bounded number of times;
  // true when it got there.
  bool SettleFill();
  void NewElement(TCell& cell);
  void KillElement(TCell& cell);
  void Refill(int32_t cell);
  int32_t ChooseSourceLink(int32_t cell);
  void PlayMove(int32_t a, int32_t b);
  void ShuffleCells();
  void Explode();
  void Select(int32_t cell);
  void Deselect();
  void ElementAnimation(const char* factory, const TCell& cell);
  bool IsAnimating(const TCell& cell) const { return cell.anim && !cell.anim->IsDead(); }
  // Cells of Start's group reachable from it along links of Direction, up to Enough.
  int32_t CountLine(int32_t start, int32_t direction, int32_t enough);
  bool StartsLine(int32_t cell);
  // Whether some cell of group A or B (of any group with AnyGroup) starts a line.
  bool AnyLineOfGroups(int32_t a, int32_t b, bool anyGroup);

  std::vector<TCell> cells_;
  std::vector<TKind> kinds_;
  int32_t minLength_ = 3;
  int32_t selected_ = -1;
  int32_t second_ = -1;
  uint8_t state_ = kFillBoard;
  bool boardReady_ = false;
  bool unsettled_ = false;
  // Line counting: a cell is counted once per start, by stamp; kept to allocate once.
  std::vector<uint32_t> stamps_;
  uint32_t stamp_ = 0;
  std::vector<int32_t> lineStack_;
};
