#pragma once
// The arithmetic of showing a frame on an output of another size: where the picture
// lands, and how pointer positions travel between output and frame pixels.

#include "platform/Geometry.h"

namespace platform {

// The largest rectangle of the frame's proportions inside the output, centred; the
// rest of the output is the black bars. Empty when either size is empty.
Rect FitRect(Size frame, Size output);

// What a window manager adds around a window's client area (title bar, edges), in pixels.
struct Borders {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  friend bool operator==(const Borders&, const Borders&) = default;
};

struct WindowPlacement {
  Rect client;          // the window's client area, in desktop pixels
  Rect picture;         // where the frame lands in it, in client pixels; the rest is black bars
  bool scaled = false;  // the window is not the frame's size
};

// Where a window showing the frame opens. When the frame fits the usable area (the
// display less panels and docks) with the borders around it, the window has the frame's
// size, centred on the display and moved inside the usable area where centring would
// leave part of it out. Otherwise it has the largest size of the frame's proportions
// that fits, centred in the usable area, and the frame is scaled onto it as in full
// screen. A usable area too small for any picture gives a one-pixel window.
WindowPlacement PlaceWindow(Size frame, const Rect& display, const Rect& usable,
                            const Borders& borders);

// The frame pixel under an output pixel when the frame is stretched onto dest. With
// clamp, a point in the bars (or off the output) goes to the nearest frame edge pixel.
Point OutputToFrame(Point p, const Rect& dest, Size frame, bool clamp);

// The output pixel at the centre of a frame pixel stretched onto dest; OutputToFrame
// of it gives the frame pixel back whenever dest is at least the frame's size.
Point FrameToOutput(Point p, const Rect& dest, Size frame);

}  // namespace platform
