#pragma once
// "MiniGame3MatchWidget": match three. The player selects an item and swaps it with an
// orthogonal neighbour; a swap that makes a run of "minsize" equal items stands, the run
// explodes and scores, the items above fall and new ones fill the board. Won when every
// target of "targets" is reached, or without targets when the score reaches
// "global_target". Every motion is a feedback widget; the board waits for them.
//
// A board that can never settle (no cells, fewer than two kinds, runs shorter than two or
// longer than the board allows a move for) stays empty and offers only its skip; boards
// beyond 64 x 64 are refused.

#include <cstdint>
#include <string>
#include <vector>

#include "minigames/MiniGame.h"
#include "minigames/MiniGame3MatchBoard.h"

class T3MatchWidget : public TMiniGameWidget, private T3MatchBoard::IView {
 public:
  enum : uint8_t {
    kBegin = 0,
    kInput = 1,
    kSwap = 2,
    kSwapBack = 3,
    kExplode = 4,
    kFall = 5,
    kFill = 6,
    kSettle = 7,
    kWon = 8,
  };
  struct TTarget {
    int32_t remaining = 0;
    std::string widget;
    int32_t turn = 0;
    int32_t total = 0;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  bool IsQueueBusy() override;

  void ClickCell(int32_t column, int32_t row);
  void NextState();
  uint8_t State() const { return state_; }
  bool IsBoardReady() const { return boardReady_; }
  bool IsInitialPhase() const { return initial_; }
  int32_t Score() const { return score_; }
  int32_t Pitch() const { return pitch_; }
  const std::vector<TTarget>& Targets() const { return targets_; }
  T3MatchBoard& Board() { return board_; }
  // The selected cell, (-1, -1) when none.
  TPoint Selected() const { return selected_ ? selectedCell_ : TPoint{-1, -1}; }
  std::string ItemPath(const T3MatchBoard::TCell& cell) const;

 protected:
  const TPropertyTable& Properties() override;

 private:
  void SetState(uint8_t state);
  bool CanSettle() const;
  void ReadTargets();
  bool IsWinReached() const;
  void Select(int32_t column, int32_t row);
  void Deselect();
  void Explode();
  void RemoveMarkedItems();
  // Shuffles a bounded number of times towards a board with a move and no run; true when
  // it got there.
  bool Reshuffle();
  // A widget of the item's "select"/"deselect" animation.
  void SelectionAnimation(const char* factory, const char* prefix);

  void ItemMoved(int32_t column, int32_t row, T3MatchBoard::TCell& cell,
                 T3MatchBoard::TMove move) override;
  void ItemMade(int32_t column, int32_t row, T3MatchBoard::TCell& cell) override;

  T3MatchBoard board_;
  bool initial_ = true;
  bool boardReady_ = false;
  bool unsettled_ = false;
  int32_t score_ = 0;
  int32_t globalTarget_ = -999;
  uint8_t state_ = kFill;
  int32_t kinds_ = 0;
  int32_t resDelta_ = 1;
  int32_t step_ = 0;
  int32_t pitch_ = 1;
  bool selected_ = false;
  TPoint selectedCell_{-1, -1};
  TPoint secondCell_{-1, -1};
  int32_t minSize_ = 3;
  int32_t deskX_ = 0;
  int32_t deskY_ = 0;
  std::string targetsText_;
  std::vector<TTarget> targets_;
  // Where the items live: "board/inner/item_", or the game itself when it has no inner
  // board group.
  std::string itemPrefix_;
  Ref<IWidget> itemGroup_;
};
