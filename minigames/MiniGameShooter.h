#pragma once
// "shooter_widget": targets appear one after another at a pace, stay a while and leave;
// hits score their cost and speed the pace up by "delta", a miss restores it, and the
// game is won when the score reaches "maxscore". Every step of a target is an animation
// widget made from the target's factories; the target moves on when it has ended.

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TShooterWidget : public TMiniGameWidget {
 public:
  enum : uint8_t { kHidden = 0, kAppearing = 1, kIdle = 2, kLeaving = 3, kHit = 4 };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  void SpawnTarget();
  int32_t Score() const { return score_; }
  double CurrentInterval() const { return interval_; }
  // The state of the target named Name, -1 when no target bears it.
  int TargetState(const std::string& name) const;

 protected:
  const TPropertyTable& Properties() override;

 private:
  struct TTarget {
    uint8_t state = kHidden;
    std::string name;
    int32_t cost = 1;
    std::string templates[4];  // appearing, idle, hit, leaving
    std::string stateWidget = "null_widget";
  };

  void SetState(TTarget& target, uint8_t state);
  void UpdateTarget(TTarget& target);

  std::vector<TTarget> targets_;
  int32_t baseInterval_ = 500;
  double interval_ = 500;
  double delta_ = 1;
  int32_t score_ = 0;
  int32_t maxScore_ = 10;
  int32_t targetCount_ = 0;
  std::string lastShot_ = "NONE_WIDGET";
};
