#include "platform/PresentSchedule.h"

namespace platform {

PresentPlan PresentSchedule::Take(const Frame& frame) {
  PresentPlan plan;
  bool dirty = false;
  for (const Rect& r : frame.dirty) {
    Rect c{r.Left < 0 ? 0 : r.Left, r.Top < 0 ? 0 : r.Top,
           r.Right > frame.width ? frame.width : r.Right,
           r.Bottom > frame.height ? frame.height : r.Bottom};
    if (!c.Empty()) {
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
