#include "platform/Letterbox.h"

#include <algorithm>
#include <cstdint>

namespace platform {
namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Maps a pixel's centre from a span of `from` pixels to a span of `to` pixels.
int32_t MapCentre(int64_t offset, int64_t from, int64_t to) {
  return static_cast<int32_t>(FloorDiv((2 * offset + 1) * to, 2 * from));
}

}  // namespace

Rect FitRect(Size frame, Size output) {
  if (frame.width <= 0 || frame.height <= 0 || output.width <= 0 || output.height <= 0) {
    return {};
  }
  int64_t fw = frame.width, fh = frame.height, ow = output.width, oh = output.height;
  int64_t w = ow, h = oh;
  if (ow * fh > oh * fw) {
    w = (2 * oh * fw + fh) / (2 * fh);  // output wider: bars left and right
  } else {
    h = (2 * ow * fh + fw) / (2 * fw);  // output narrower: bars top and bottom
  }
  int32_t left = static_cast<int32_t>((ow - w) / 2);
  int32_t top = static_cast<int32_t>((oh - h) / 2);
  return {left, top, left + static_cast<int32_t>(w), top + static_cast<int32_t>(h)};
}

WindowPlacement PlaceWindow(Size frame, const Rect& display, const Rect& usable,
                            const Borders& borders) {
  frame = {std::max(frame.width, 1), std::max(frame.height, 1)};
  Size room{usable.Width() - borders.left - borders.right,
            usable.Height() - borders.top - borders.bottom};
  WindowPlacement placement;
  if (frame.width <= room.width && frame.height <= room.height) {
    // Centred as the system centres a window, then held inside the usable area.
    int32_t x = display.left + (display.Width() - frame.width) / 2;
    int32_t y = display.top + (display.Height() - frame.height) / 2;
    x = std::clamp(x, usable.left + borders.left, usable.right - borders.right - frame.width);
    y = std::clamp(y, usable.top + borders.top, usable.bottom - borders.bottom - frame.height);
    placement.client = {x, y, x + frame.width, y + frame.height};
  } else {
    Rect fit = FitRect(frame, {std::max(room.width, 1), std::max(room.height, 1)});
    Size size{std::max(fit.Width(), 1), std::max(fit.Height(), 1)};
    int32_t x = usable.left + borders.left + std::max(room.width - size.width, 0) / 2;
    int32_t y = usable.top + borders.top + std::max(room.height - size.height, 0) / 2;
    placement.client = {x, y, x + size.width, y + size.height};
  }
  Size client{placement.client.Width(), placement.client.Height()};
  placement.picture = FitRect(frame, client);
  placement.scaled = client != frame;
  return placement;
}

Point OutputToFrame(Point p, const Rect& dest, Size frame, bool clamp) {
  if (dest.Empty() || frame.width <= 0 || frame.height <= 0) return p;
  Point f{MapCentre(int64_t{p.x} - dest.left, dest.Width(), frame.width),
          MapCentre(int64_t{p.y} - dest.top, dest.Height(), frame.height)};
  if (clamp) {
    f.x = std::clamp(f.x, 0, frame.width - 1);
    f.y = std::clamp(f.y, 0, frame.height - 1);
  }
  return f;
}

Point FrameToOutput(Point p, const Rect& dest, Size frame) {
  if (dest.Empty() || frame.width <= 0 || frame.height <= 0) return p;
  return {dest.left + MapCentre(p.x, frame.width, dest.Width()),
          dest.top + MapCentre(p.y, frame.height, dest.Height())};
}

}  // namespace platform
