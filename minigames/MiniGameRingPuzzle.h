#pragma once
// "mg_ring_widget": rings turned by dragging them round their centres; a ring may turn
// others along by a factor. Solved when every ring stands at the angle of each ring it
// lists as a neighbour.

#include <string>
#include <vector>

#include "minigames/MiniGame.h"

class TRingPuzzleWidget : public TMiniGameWidget {
 public:
  struct TWeight {
    int32_t ring = -1;  // the ring turned along, by position
    double factor = 0;
    int32_t direction = 0;  // 1: only turning positively, 2: only negatively, else always
  };
  struct TRing {
    int32_t id = 0;
    std::string widget = "null_widget";
    TPoint root;
    double angle = 0;  // degrees, within -360 to 360
    double step = 0;   // radians
    bool locked = false;
    std::string turn, turnLeft, turnRight;
    double weight = 1;
    std::vector<TWeight> weights;
    std::vector<int32_t> neighbours;  // positions
  };

  void LoadFromXml(const Ref<IHierStorage>& node) override;
  void Update(int32_t dt) override;
  bool HandleMouse(uint32_t message, const TPoint& point, uint32_t keys) override;

  // Turns ring Index by A radians, as a drag does.
  void TurnRing(int32_t index, double a);
  bool IsSolved() const;
  const std::vector<TRing>& Rings() const { return rings_; }
  int32_t Grabbed() const { return grabbed_; }
  // The angle of P about C in -pi to pi, y growing downwards.
  static double PointerAngle(const TPoint& c, const TPoint& p);

 protected:
  const TPropertyTable& Properties() override;

 private:
  void ReadRings(const Ref<IHierStorage>& node);
  void Scramble();
  void SetLastSign(int32_t sign);
  void TurnAlong(TRing& ring, double degrees);
  bool HoversRing() const;
  void WinWhenSolved();

  std::vector<TRing> rings_;
  double infelicity_ = 1;
  bool shuffle_ = false;
  int32_t grabbed_ = -1;
  TPoint last_;
  bool held_ = false;
  int32_t lastSign_ = 0;
};
