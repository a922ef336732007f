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
  if (frame.Width <= 0 || frame.Height <= 0 || output.Width <= 0 || output.Height <= 0) {
    return {};
  }
  int64_t fw = frame.Width, fh = frame.Height, ow = output.Width, oh = output.Height;
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
  frame = {std::max(frame.Width, 1), std::max(frame.Height, 1)};
  Size room{usable.Width() - borders.Left - borders.Right,
            usable.Height() - borders.Top - borders.Bottom};
  WindowPlacement placement;
  if (frame.Width <= room.Width && frame.Height <= room.Height) {
    // Centred as the system centres a window, then held inside the usable area.
    int32_t x = display.Left + (display.Width() - frame.Width) / 2;
    int32_t y = display.Top + (display.Height() - frame.Height) / 2;
    x = std::clamp(x, usable.Left + borders.Left, usable.Right - borders.Right - frame.Width);
    y = std::clamp(y, usable.Top + borders.Top, usable.Bottom - borders.Bottom - frame.Height);
    placement.client = {x, y, x + frame.Width, y + frame.Height};
  } else {
    Rect fit = FitRect(frame, {std::max(room.Width, 1), std::max(room.Height, 1)});
    Size size{std::max(fit.Width(), 1), std::max(fit.Height(), 1)};
    int32_t x = usable.Left + borders.Left + std::max(room.Width - size.Width, 0) / 2;
    int32_t y = usable.Top + borders.Top + std::max(room.Height - size.Height, 0) / 2;
    placement.client = {x, y, x + size.Width, y + size.Height};
  }
  Size client{placement.client.Width(), placement.client.Height()};
  placement.picture = FitRect(frame, client);
  placement.scaled = client != frame;
  return placement;
}

Point OutputToFrame(Point p, const Rect& dest, Size frame, bool clamp) {
  if (dest.Empty() || frame.Width <= 0 || frame.Height <= 0) return p;
  Point f{MapCentre(int64_t{p.X} - dest.Left, dest.Width(), frame.Width),
          MapCentre(int64_t{p.Y} - dest.Top, dest.Height(), frame.Height)};
  if (clamp) {
    f.X = std::clamp(f.X, 0, frame.Width - 1);
    f.Y = std::clamp(f.Y, 0, frame.Height - 1);
  }
  return f;
}

Point FrameToOutput(Point p, const Rect& dest, Size frame) {
  if (dest.Empty() || frame.Width <= 0 || frame.Height <= 0) return p;
  return {dest.Left + MapCentre(p.X, frame.Width, dest.Width()),
          dest.Top + MapCentre(p.Y, frame.Height, dest.Height())};
}

}  // namespace platform
