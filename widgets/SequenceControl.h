#pragma once
// "SequenceControl": shows its children one after another, each for
// "step_duration_time" milliseconds, or (with 0) one further on each click. A child whose
// picture is empty is skipped. Stepping past the last child sends event 10 and changes
// nothing, so the last picture stays; while the screen does not react, every further
// step sends it again (after the last child's time, every update).

#include <cstdint>

#include "widgets/ControlWidget.h"

class TSequenceControl : public TControlWidget {
 public:
  void Init() override;
  void Update(int32_t dt) override;
  // The base's press (the focus), then the next child; reported as not handled.
  bool MouseDown(const TPoint& point, uint32_t keys, int button) override;

  // Shows child I (or the first after it with a picture); event 10 past the last child.
  void ShowStep(int32_t i);
  int32_t GetCurrentStep() const { return current_; }

  void LoadFromXml(const Ref<IHierStorage>& node) override;

 protected:
  const TPropertyTable& Properties() override;
  // Child I shows an image resource that is empty.
  bool IsEmptyPicture(IWidget* child);

  int32_t stepDuration_ = 0;
  int32_t current_ = -1;
};
