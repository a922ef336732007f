#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>

#include "platform/Png.h"
#include "platform/StopRequests.h"

namespace platform {

HeadlessPlatform::HeadlessPlatform() {
  static constexpr Size kModes[] = {{640, 480},   {800, 600},  {1024, 768}, {1280, 720},
                                    {1280, 1024}, {1366, 768}, {1920, 1080}};
  for (Size s : kModes) modes_.push_back({s.Width, s.Height, 32});
}

bool HeadlessPlatform::Create(bool doubleClicks) {
  created_ = true;
  doubleClicks_ = doubleClicks;
  return true;
}

void HeadlessPlatform::SetIcon(const uint32_t* pixels, int32_t width, int32_t height) {
  if (!pixels || width <= 0 || height <= 0) return;
  icon_.assign(pixels, pixels + size_t(width) * size_t(height));
  iconSize_ = {width, height};
}

void HeadlessPlatform::Minimise() {
  queue_.Push(PlainEvent(EventType::Minimised));
  queue_.Push(PlainEvent(EventType::Restored));
}

bool HeadlessPlatform::PollEvent(Event& event) {
  if (TakeStopRequest()) {
    event = PlainEvent(EventType::Quit);
    return true;
  }
  if (!queue_.Pop(event)) return false;
  if (event.type == EventType::Mouse) cursor_ = {event.x, event.y};
  return true;
}

bool HeadlessPlatform::WaitEvent(Event& event) {
  if (PollEvent(event)) return true;
  now_ += frameInterval_;
  return false;
}

bool HeadlessPlatform::SetMode(const VideoMode& mode) {
  if (!created_) return false;
  mode_ = mode;
  schedule_.SendWholeNext();
  return true;
}

void HeadlessPlatform::Present(const Frame& frame) {
  now_ += frameInterval_;
  if (!frame.pixels || frame.width <= 0 || frame.height <= 0 || frame.stride < frame.width) {
    return;
  }
  ++presents_;
  if (shownSize_ != Size{frame.width, frame.height}) {
    shownSize_ = {frame.width, frame.height};
    // The whole frame is copied in below: its pages are made present at once.
    shown_ = LargeBlock(size_t(frame.width) * size_t(frame.height) * 4, true);
    schedule_.SendWholeNext();
  }
  auto copy = [&](const Rect& r) {
    Rect c = OnFrame(frame, r);
    if (c.Empty() || !ShownPixels()) return;
    for (int32_t y = c.Top; y < c.Bottom; ++y) {
      const uint32_t* from = frame.pixels + size_t(y) * size_t(frame.stride) + size_t(c.Left);
      std::copy(from, from + c.Width(),
                ShownPixels() + size_t(y) * size_t(frame.width) + size_t(c.Left));
    }
  };
  PresentPlan plan = schedule_.Take(frame);
  if (plan.sendWhole) copy({0, 0, frame.width, frame.height});
  if (plan.sendDirty)
    for (const Rect& r : frame.dirty) copy(r);
  if (plan.show) ++displays_;
}

bool HeadlessPlatform::Screenshot(const std::string& path, std::string& error) {
  if (!ShownPixels()) {
    error = "no frame has been shown yet";
    return false;
  }
  return WritePng(path, ShownPixels(), shownSize_.Width, shownSize_.Height, shownSize_.Width,
                  error);
}

bool HeadlessPlatform::OpenDocument(const std::string& pathOrAddress) {
  if (pathOrAddress.empty()) return false;
  opened_.push_back(pathOrAddress);
  return true;
}

bool HeadlessPlatform::StartProgram(const std::string& path) {
  if (path.empty()) return false;
  started_.push_back(path);
  return true;
}

void HeadlessPlatform::SetDesktop(Size desktop, std::vector<DisplayMode> modes) {
  desktop_ = desktop;
  modes_ = std::move(modes);
}

}  // namespace platform
