#pragma once
// Path functions: an integer step becomes a point of a two-dimensional path. Cells: (0, 0)
// and (0, 1) the point, (1, 0) the step, (2, 0..3) the start and end points, (2, 4) the
// duration in steps and (2, 5) the length that Execute stores; further cells per class.
//
// A path reads only bound cells: when a cell its class needs is missing or unbound at
// binding, Calculate leaves the point as it is. A duration of 0 puts every step at the
// end of the path.

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "functions/FunctionClasses.h"

class TAbstractPathFunction : public TFunction, public virtual IPathFunction {
 public:
  int32_t GetDuration() override;
  float GetStoredLength() override;
  // All zero unless the class knows better.
  void GetBounds(TRect& bounds) override { bounds = TRect{}; }
  float GetX() override { return paramSpace_->GetCellValue(0, 0); }
  float GetY() override { return paramSpace_->GetCellValue(0, 1); }
  void SetStep(int32_t step) override;
  void SetOwner(IFunctionOwner* owner) override;
  void Clear() override;

  virtual float GetLength() { return 0; }

  bool GetLoop() const { return loop_; }
  void SetLoop(bool loop) { loop_ = loop; }

 protected:
  // "loop", written only when set.
  const TPropertyTable& Properties() override;
  // Stores the length into (2, 5).
  void DoCalculate() override;
  // The step of (1, 0); with Loop, its remainder by the duration (sign of the step).
  int32_t GetStep();
  // Step / duration as a 4-byte float; 1 for a duration of 0.
  float GetT();
  // Whether every cell the class needs is bound; asked at every binding.
  virtual bool CellsReady() { return true; }
  bool Bound(std::initializer_list<std::pair<int32_t, int32_t>> cells) const;

  bool ready_ = false;
  bool loop_ = false;
};

// "path_segment": a straight line from the start to the end point.
class TSegmentPathFunction : public TAbstractPathFunction {
 public:
  void Calculate() override;
  // The square root of the squared length rounded to an integer.
  float GetLength() override;
  void GetBounds(TRect& bounds) override;

 protected:
  bool CellsReady() override;
};

// "path_segment_accelerate": the segment walked from (2, 6) initial speed with (2, 7)
// acceleration; distance s*s*a/2 + s*v along the stored length, not clamped at the end.
class TAccelerateSegmentPathFunction : public TSegmentPathFunction {
 public:
  void Calculate() override;

 protected:
  bool CellsReady() override;
};

// "path_arc": an arc or spiral about the centre (2, 6), (2, 7); Execute stores the radii
// and angles into (3, 0..3); (4, 0) is the direction (1 increasing, 0 decreasing).
class TArcPathFunction : public TAbstractPathFunction {
 public:
  void Execute() override;
  void Calculate() override;
  float GetLength() override;
  void GetBounds(TRect& bounds) override;

 protected:
  bool CellsReady() override;
};

// "path_bezier": a cubic Bezier curve with controls (2, 6..7) and (2, 8..9).
class TBezierPathFunction : public TAbstractPathFunction {
 public:
  // Halving stops this deep, taking the chord, so degenerate curves end.
  static constexpr int kMaxLengthDepth = 12;
  void Calculate() override;
  float GetLength() override;
  // The curve's own extent (the controls pull it only part of the way): the end points and
  // the turning points of each coordinate, Floor at the low and away from zero at the high
  // side, as the arc's.
  void GetBounds(TRect& bounds) override;

 protected:
  bool CellsReady() override;
};

// Paths with children in "functions", bound to the path's own cells.
using TComplexPathFunction = TParentFunction<TAbstractPathFunction>;

// "path_composite": the children played one after another; Execute sums their durations
// into (2, 4). Past the last child the point is the composite's own end point.
class TCompositePathFunction : public TComplexPathFunction {
 public:
  void SetOwner(IFunctionOwner* owner) override;
  void Clear() override;
  void Calculate() override;
  float GetLength() override;
  void GetBounds(TRect& bounds) override;

 protected:
  void RunBefore() override;
  bool CellsReady() override;

 private:
  int64_t ChildDuration(size_t index) const;
  void DropCursor();

  // The children as paths, in order (null for a child that is no path), taken at binding.
  std::vector<Ref<IPathFunction>> paths_;
  int32_t cursor_ = -1;
  int64_t cursorStart_ = 0;
};

// "path_arbitrary": children compute x and y into the path's cells.
class TArbitraryPathFunction : public TComplexPathFunction {
 public:
  void Calculate() override;
};
