#pragma once
// The display and the picture on it: what the desktop offers, how the frame is shown
// (in a window, full screen at 4:3, or wide full screen), and presenting a frame.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace platform {

struct DisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;  // 32 for every true-colour mode
  friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// The channel layout of display pixels.
struct PixelFormat {
  int32_t bitsPerPixel = 32;
  uint32_t redMask = 0x00FF0000;
  uint32_t greenMask = 0x0000FF00;
  uint32_t blueMask = 0x000000FF;
};

enum class PresentMode : uint8_t {
  // A window of the frame's size, the frame shown pixel for pixel.
  Windowed,
  // The whole desktop shows the frame as a display of the frame's size would: scaled
  // to fit, centred, black bars. Mouse positions are given back in frame pixels.
  FullScreen,
  // The whole desktop; the frame is stretched with linear filtering onto dest (desktop
  // pixels) and the rest is black. Mouse positions stay in desktop pixels.
  WideFullScreen,
};

struct VideoMode {
  PresentMode mode = PresentMode::Windowed;
  Size frame;  // the part of the frame that is shown, from (0, 0)
  Rect dest;   // WideFullScreen only
};

// A frame to show: 0xAARRGGBB pixels (alpha ignored), stride pixels from one row's
// start to the next, and the rectangles that changed since the last frame. Only those
// are sent to the display, so the platform keeps the rest from earlier frames.
struct Frame {
  const uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;
  std::span<const Rect> dirty;
};

// The part of R that lies on the frame (empty when none does).
inline Rect OnFrame(const Frame& frame, const Rect& r) {
  return {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, frame.width),
          std::min(r.Bottom, frame.height)};
}

class Video {
 public:
  virtual ~Video() = default;

  virtual Size DesktopSize() = 0;
  // The display's modes in the order the system lists them.
  virtual std::vector<DisplayMode> DisplayModes() = 0;
  virtual PixelFormat DisplayFormat() = 0;

  // Sets the window up for the mode (placement, size, full screen) and forgets what
  // the display held, so the next frame is sent whole. False when the mode cannot be
  // had; the caller tries again later.
  virtual bool SetMode(const VideoMode& mode) = 0;
  // Shows the frame. A frame whose size differs from the last one is sent whole.
  virtual void Present(const Frame& frame) = 0;
  // Writes the picture the display holds of the last frame as an RGB PNG file, one
  // frame pixel a file pixel whatever the scaling: what was sent, rectangle by rectangle.
  virtual bool Screenshot(const std::string& path, std::string& error) = 0;
};

}  // namespace platform
