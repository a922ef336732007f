#pragma once
// "mg_thimble_widget": the shell game. A ball is shown under one cup, the cups are shuffled
// by animated moves, and the player clicks the cup that holds it. A right guess finishes
// the task, a wrong one plays the same task again; the last task wins. All motion is
// feedback made from factories: the game only follows which cup holds the ball.

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TThimbleWidget : public TMiniGameWidget {
 public:
  enum TState : uint8_t { kBegin, kShowBall, kShuffle, kWait, kWrong, kRight, kWon };

  struct TElement {
    std::string widget;
    std::string fail, success, showBall, showEmpty;
    bool hasBall = false;
  };
  struct TGameAction {
    std::string animation;
    // For each position i, the position whose cup comes to i.
    std::vector<int32_t> order;
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;
  // Busy while the feedback queued last plays; the "next" chain is not consulted.
  bool IsQueueBusy() override;

  // A click on the child of that name, taken while the game waits for a guess.
  void ClickCup(const std::string& name);

  TState State() const { return state_; }
  const std::vector<TElement>& Cups() const { return cups_; }
  const std::vector<TGameAction>& Moves() const { return moves_; }
  int32_t CurrentTask() const { return current_; }
  // The position of the cup holding the ball; -1 before one is placed.
  int BallPosition() const;

 private:
  void ReadCups(const Ref<IHierStorage>& node);
  void ReadMoves(const Ref<IHierStorage>& node);
  void ReadTasks(const Ref<IHierStorage>& node);
  void SetState(TState state);
  void ShowBall();
  void Shuffle();
  void PlayMove(const TGameAction& move);
  // The cup's feedback with its numbered values and "elem_widget" when its widget exists.
  Ref<IParamCollection> CupParams(const TElement& cup, std::string_view prefix);

  std::vector<TElement> cups_;
  std::vector<TGameAction> moves_;
  std::vector<int32_t> tasks_;
  int32_t current_ = 0;
  TState state_ = kBegin;
  // Cups, moves and tasks are all there: without them only the skip ends the game.
  bool playable_ = false;
};
