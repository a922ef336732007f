// Video output: which mode the frame is shown in, where it lands on the display, and
// presenting it.
#include <algorithm>
#include <cmath>

#include "engine/Engine.h"
#include "foundation/CheckedMath.h"
#include "foundation/EngineDeclarations.h"

namespace {

int32_t OptionInt(const Variant& value, int32_t def) {
  std::optional<int64_t> number = value.TryInt();
  if (!number) return def;
  return SaturateInt32(*number);
}

// A frame side the surfaces can hold: at least one pixel.
uint32_t FrameSide(int32_t value) {
  return uint32_t(std::clamp(value, 1, TSurface::kMaxSide));
}

}  // namespace

bool TEngine::ReadVideoOptions() {
  resetPending_ = false;
  uint32_t width = FrameSide(OptionInt(GetOption("ScreenWidth"), DesignWidth));
  if (width != screenWidth_) resetPending_ = true;
  screenWidth_ = width;
  uint32_t height = FrameSide(OptionInt(GetOption("ScreenHeight"), DesignHeight));
  if (height != screenHeight_) resetPending_ = true;
  screenHeight_ = height;
  bool full = GetOption("FullScreenMode").ToString() == "yes";
  if (full != fullScreen_) resetPending_ = true;
  fullScreen_ = full;
  bool wide = GetOption("WideScreenMode").ToString() == "yes";
  if (wide != wide_) {
    if (fullScreen_) {
      resetPending_ = true;
      EnterWindowed();
    }
    wide_ = wide;
  }
  int32_t bpp = OptionInt(GetOption("ScreenBPP"), 0);
  if (bpp != screenBpp_) {
    if (fullScreen_) resetPending_ = true;
    screenBpp_ = bpp;
  }
  // The first frame always sets a mode up.
  if (!modeOk_) resetPending_ = true;
  return true;
}

bool TEngine::SetVideoMode() {
  int32_t w = int32_t(screenWidth_), h = int32_t(screenHeight_);
  frameRect_ = destRect_ = TRect{0, 0, w, h};
  wide_ = false;
  shiftX_ = shiftY_ = 0;
  destWidth_ = w;
  destHeight_ = h;
  pointerPinned_ = false;
  wide_ = DecideWideScreen();
  bool ok = fullScreen_ ? EnterFullScreen() : EnterWindowed();
  if (surface_->GetWidth() != frameRect_.Right || surface_->GetHeight() != frameRect_.Bottom) {
    if (wide_) {
      surface_->SetSize(frameRect_.Right, frameRect_.Bottom);
    } else {
      surface_->SetSize(w, h);
    }
  }
  InvalidateWholeFrame();
  resetPending_ = !ok;
  return ok;
}

void TEngine::InvalidateWholeFrame() {
  RedrawRect(TRect{-shiftX_, -shiftY_, frameRect_.Right, frameRect_.Bottom});
}

bool TEngine::DecideWideScreen() {
  float sw = float(screenWidth_), sh = float(screenHeight_);
  bool force = sh != sw / 4 * 3;
  if (!force) {
    // A 4:3 frame is shown as it is only where the display can show it at its size.
    force = true;
    for (const platform::DisplayMode& mode : video_->DisplayModes()) {
      if (mode.width == int32_t(screenWidth_) && mode.height == int32_t(screenHeight_) &&
          mode.bitsPerPixel == 32) {
        force = false;
        break;
      }
    }
  }
  platform::Size desktop = video_->DesktopSize();
  desktopWidth_ = uint32_t(std::max(desktop.Width, 1));
  desktopHeight_ = uint32_t(std::max(desktop.Height, 1));
  float desk = float(desktopWidth_) / float(desktopHeight_);
  float frame = sw / sh;
  float diff = desk - frame;

  bool wide = true;
  if (!force) {
    Variant option = options_->GetValue("WideScreenMode", Variant());
    if (!option.IsClear() && option.ToString() != "system") {
      wide = option.ToString() == "yes";
    } else {
      wide = std::fabs(diff) >= 0.1f;
    }
  }

  int64_t outW = desktopWidth_, outH = desktopHeight_;
  int64_t w = screenWidth_, h = screenHeight_;
  aspect_ = desk;
  if (diff > 0) {
    aspect_ = std::min(aspect_, MaxAspectRatio);
    outW = RoundHalfEven64(double(aspect_) * double(desktopHeight_));
    w = TruncSat64(double(aspect_) * double(screenHeight_));
  } else if (diff < 0) {
    aspect_ = std::max(aspect_, MinAspectRatio);
    outH = RoundHalfEven64(double(desktopWidth_) / double(aspect_));
    h = RoundHalfEven64(double(screenWidth_) / double(aspect_));
  }
  // A frame wider (or taller) than the output aspect allows keeps its whole game area
  // with no offset rather than an offset that wraps around.
  w = std::clamp<int64_t>(w, screenWidth_, TSurface::kMaxSide);
  h = std::clamp<int64_t>(h, screenHeight_, TSurface::kMaxSide);
  frameRect_ = TRect{0, 0, int32_t(w), int32_t(h)};
  shiftX_ = int32_t((w - int64_t(screenWidth_)) >> 1);
  shiftY_ = int32_t((h - int64_t(screenHeight_)) >> 1);
  if (shiftX_ != 0 || shiftY_ != 0) wide = true;

  if (wide) {
    int32_t left = int32_t((int64_t(desktopWidth_) - outW) >> 1);
    int32_t top = int32_t((int64_t(desktopHeight_) - outH) >> 1);
    destRect_ = TRect{left, top, int32_t(left + outW), int32_t(top + outH)};
    destWidth_ = destRect_.Width();
    destHeight_ = destRect_.Height();
  } else {
    destRect_ = TRect{0, 0, int32_t(screenWidth_), int32_t(screenHeight_)};
  }
  options_->SetValue("WideScreenMode", Variant(wide ? "yes" : "no"));

  barRects_.clear();
  int32_t dw = int32_t(desktopWidth_), dh = int32_t(desktopHeight_);
  if (destRect_.Left >= 1) {
    barRects_.push_back({0, 0, destRect_.Left, destRect_.Bottom});
    barRects_.push_back({destRect_.Right, 0, dw, destRect_.Bottom});
  } else if (destRect_.Top >= 1) {
    barRects_.push_back({0, 0, destRect_.Right, destRect_.Top});
    barRects_.push_back({0, destRect_.Bottom, dw, dh});
  }
  uint64_t edge = uint64_t(w) * desktopHeight_ / uint64_t(h);
  if (edge < desktopWidth_) barRects_.push_back({int32_t(edge), 0, dw, destRect_.Bottom});
  return wide;
}

bool TEngine::EnterFullScreen() {
  modeOk_ = false;
  platform::VideoMode mode;
  if (wide_) {
    mode.mode = platform::PresentMode::WideFullScreen;
    mode.frame = {frameRect_.Right, frameRect_.Bottom};
    mode.dest = {destRect_.Left, destRect_.Top, destRect_.Right, destRect_.Bottom};
  } else {
    // The platform scales a 4:3 frame to the display itself; no display mode changes.
    int32_t w = int32_t(screenWidth_), h = int32_t(screenHeight_);
    mode.mode = platform::PresentMode::FullScreen;
    mode.frame = {w, h};
    frameRect_ = destRect_ = TRect{0, 0, w, h};
    destWidth_ = w;
    destHeight_ = h;
    shiftX_ = shiftY_ = 0;
  }
  modeOk_ = video_->SetMode(mode);
  if (modeOk_) window_->Show();
  return modeOk_;
}

bool TEngine::EnterWindowed() {
  int32_t w = int32_t(screenWidth_), h = int32_t(screenHeight_);
  platform::VideoMode mode;
  mode.mode = platform::PresentMode::Windowed;
  mode.frame = {w, h};
  frameRect_ = TRect{0, 0, w, h};
  wide_ = false;
  shiftX_ = shiftY_ = 0;
  modeOk_ = video_->SetMode(mode);
  window_->Show();
  return modeOk_;
}

void TEngine::ReadDisplayFormat() {
  platform::PixelFormat format = video_->DisplayFormat();
  displayBpp_ = format.bitsPerPixel;
  auto channel = [](uint32_t mask, uint32_t& outMask, uint8_t& shift, uint8_t& width) {
    outMask = mask;
    shift = LowestSetBit(mask);
    width = mask ? uint8_t(HighestSetBit(mask) - shift + 1) : 0;
  };
  channel(format.redMask, pixelFormat_.RedMask, pixelFormat_.RedShift, pixelFormat_.RedWidth);
  channel(format.greenMask, pixelFormat_.GreenMask, pixelFormat_.GreenShift,
          pixelFormat_.GreenWidth);
  channel(format.blueMask, pixelFormat_.BlueMask, pixelFormat_.BlueShift, pixelFormat_.BlueWidth);
}

bool TEngine::PrepareFrame() {
  while (resetPending_) {
    if (!SetVideoMode()) return false;
  }
  return modeOk_;
}

void TEngine::Present() {
  dirty_.clear();
  const TRegion& region = surface_->Region();
  for (int32_t i = 0; i < region.Count(); ++i) {
    const TRect& r = region.Rect(i);
    dirty_.push_back({r.Left, r.Top, r.Right, r.Bottom});
  }
  platform::Frame frame;
  frame.pixels = surface_->GetScanLine(0);
  frame.width = std::min(frameRect_.Right, surface_->GetWidth());
  frame.height = std::min(frameRect_.Bottom, surface_->GetHeight());
  frame.stride = surface_->GetWidth();
  frame.dirty = dirty_;
  video_->Present(frame);
}

void TEngine::ShiftPoint(TPoint& point, int32_t offsetX, int32_t offsetY) const {
  int64_t x = int64_t(point.X) - destRect_.Left;
  int64_t y = int64_t(point.Y) - destRect_.Top;
  point.X = SaturateInt32(offsetX + DivSafe64(x * frameRect_.Right, destWidth_));
  point.Y = SaturateInt32(offsetY + DivSafe64(y * frameRect_.Bottom, destHeight_));
}

TPoint TEngine::DisplayToGame(platform::Point display) const {
  TPoint point{display.X, display.Y};
  if (!fullScreen_ || !wide_) return point;
  if (pointerPinned_ && display == pinnedDisplay_) return pinnedDesign_;
  ShiftPoint(point, -shiftX_, -shiftY_);
  return point;
}

platform::Point TEngine::DesignToWindow(platform::Point design) {
  if (!fullScreen_ || !wide_) return design;
  // The first display pixel that ShiftPoint takes to the frame pixel; a frame pixel of
  // a shrunk picture may have none, and the picture's last one none on the display.
  auto toDisplay = [](int64_t framePixel, int64_t start, int64_t destSize, int64_t frameSize) {
    if (frameSize <= 0 || destSize <= 0) return SaturateInt32(start + framePixel);
    int64_t scaled = framePixel * destSize;
    int64_t up = scaled >= 0 ? (scaled + frameSize - 1) / frameSize : scaled / frameSize;
    if (framePixel >= 0 && framePixel < frameSize) up = std::min(up, destSize - 1);
    return SaturateInt32(start + up);
  };
  platform::Point display{
      toDisplay(int64_t(design.X) + shiftX_, destRect_.Left, destWidth_, frameRect_.Right),
      toDisplay(int64_t(design.Y) + shiftY_, destRect_.Top, destHeight_, frameRect_.Bottom)};
  pointerPinned_ = true;
  pinnedDisplay_ = display;
  pinnedDesign_ = TPoint{design.X, design.Y};
  return display;
}

void TEngine::GetPixelFormat(TPixelFormat& format) {
  format = pixelFormat_;
}

uint32_t TEngine::ColorToPixel(uint32_t rgb) {
  if (!modeOk_) return 0;
  auto channel = [](uint32_t value, uint8_t width, uint8_t shift) -> uint32_t {
    if (width == 0) return 0;
    return (width >= 8 ? value : value >> (8 - width)) << shift;
  };
  return channel((rgb >> 16) & 0xFF, pixelFormat_.RedWidth, pixelFormat_.RedShift) |
         channel((rgb >> 8) & 0xFF, pixelFormat_.GreenWidth, pixelFormat_.GreenShift) |
         channel(rgb & 0xFF, pixelFormat_.BlueWidth, pixelFormat_.BlueShift);
}

uint8_t TEngine::LowestSetBit(uint32_t mask) {
  if (mask == 0) return 255;
  return uint8_t(__builtin_ctz(mask));
}

uint8_t TEngine::HighestSetBit(uint32_t mask) {
  if (mask == 0) return 255;
  return uint8_t(31 - __builtin_clz(mask));
}
