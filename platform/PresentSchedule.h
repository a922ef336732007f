#pragma once
// What a frame asks of the display. A still frame (nothing dirty) costs nothing: no
// upload, no composing, no present. The window is shown again when it lost its picture
// or changed size, and the frame goes whole after a mode change or a new texture.

#include "platform/Video.h"

namespace platform {

struct PresentPlan {
  bool sendWhole = false;  // upload the whole frame
  bool sendDirty = false;  // upload the frame's dirty rectangles
  bool show = false;       // compose the window and present it
};

class PresentSchedule {
 public:
  // The display holds nothing of the frame any more (mode set, texture made anew).
  void SendWholeNext() { whole_ = true; }
  // The window must be drawn again from what the display holds (exposed, resized).
  void RepaintNext() { repaint_ = true; }
  bool RepaintPending() const { return repaint_; }
  // The plan for this frame; what it covers is taken as done.
  PresentPlan Take(const Frame& frame);

 private:
  bool whole_ = true;
  bool repaint_ = false;
};

}  // namespace platform
