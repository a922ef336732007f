#include "platform/PresentSchedule.h"

namespace platform {

PresentPlan PresentSchedule::Take(const Frame& frame) {
  PresentPlan plan;
  bool dirty = false;
  for (const Rect& r : frame.dirty) {
    if (!OnFrame(frame, r).Empty()) {
      dirty = true;
      break;
    }
  }
  plan.sendWhole = whole_;
  plan.sendDirty = !whole_ && dirty;
  plan.show = whole_ || dirty || repaint_;
  whole_ = false;
  repaint_ = false;
  return plan;
}

}  // namespace platform
