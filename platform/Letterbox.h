#pragma once
// The arithmetic of showing a frame on an output of another size: where the picture
// lands, and how pointer positions travel between output and frame pixels.

#include "platform/Geometry.h"

namespace platform {

// The largest rectangle of the frame's proportions inside the output, centred; the
// rest of the output is the black bars. Empty when either size is empty.
Rect FitRect(Size frame, Size output);

// The frame pixel under an output pixel when the frame is stretched onto dest. With
// clamp, a point in the bars (or off the output) goes to the nearest frame edge pixel.
Point OutputToFrame(Point p, const Rect& dest, Size frame, bool clamp);

// The output pixel at the centre of a frame pixel stretched onto dest; OutputToFrame
// of it gives the frame pixel back whenever dest is at least the frame's size.
Point FrameToOutput(Point p, const Rect& dest, Size frame);

}  // namespace platform
