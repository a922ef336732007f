#pragma once
// The backend without a window or a display, for tests and scripted runs: events come
// only from PostEvent (the script, a test), the clock is virtual and moves only by
// sleeping and by one frame interval per presented frame, and presented frames are
// kept in memory. What it was asked to do is readable for tests.

#include <string>
#include <vector>

#include "platform/EventQueue.h"
#include "platform/LargeBlock.h"
#include "platform/Platform.h"
#include "platform/PresentSchedule.h"

namespace platform {

class HeadlessPlatform final : public Platform,
                               public Window,
                               public Video,
                               public Clock,
                               public Shell {
 public:
  static constexpr uint32_t kDefaultFrameInterval = 8;

  HeadlessPlatform();

  // Platform
  BackendKind Kind() const override { return BackendKind::Headless; }
  Window& GetWindow() override { return *this; }
  Video& GetVideo() override { return *this; }
  Clock& GetClock() override { return *this; }
  Shell& GetShell() override { return *this; }

  // Window
  bool Create(bool doubleClicks) override;
  void Destroy() override { created_ = false; }
  bool IsCreated() const override { return created_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetIcon(const uint32_t* pixels, int32_t width, int32_t height) override;
  void Show() override { visible_ = true; }
  // Nobody can bring the window back, so it comes back at once.
  void Minimise() override;
  bool PollEvent(Event& event) override;
  // With nothing queued, lets one frame interval pass and returns false.
  bool WaitEvent(Event& event) override;
  void PostEvent(const Event& event) override { queue_.Push(event); }
  Point CursorPosition() override { return cursor_; }
  void WarpCursor(Point p) override { cursor_ = p; }
  void ShowCursor(bool show) override { cursorVisible_ = show; }

  // Video
  Size DesktopSize() override { return desktop_; }
  std::vector<DisplayMode> DisplayModes() override { return modes_; }
  PixelFormat DisplayFormat() override { return {}; }
  bool SetMode(const VideoMode& mode) override;
  void Present(const Frame& frame) override;
  bool Screenshot(const std::string& path, std::string& error) override;

  // Clock
  uint32_t Milliseconds() override { return now_; }
  void Sleep(uint32_t milliseconds) override { now_ += milliseconds; }

  // Shell: documents and programs are only recorded.
  bool OpenDocument(const std::string& pathOrAddress) override;
  bool StartProgram(const std::string& path) override;
  std::string ClipboardText() override { return clipboard_; }

  // For tests.
  void SetDesktop(Size desktop, std::vector<DisplayMode> modes);
  void SetFrameInterval(uint32_t milliseconds) { frameInterval_ = milliseconds; }
  void SetClipboardText(std::string text) { clipboard_ = std::move(text); }
  const std::string& Caption() const { return caption_; }
  Size IconSize() const { return iconSize_; }
  const std::vector<uint32_t>& IconPixels() const { return icon_; }
  bool Visible() const { return visible_; }
  bool CursorVisible() const { return cursorVisible_; }
  bool DoubleClicks() const { return doubleClicks_; }
  const VideoMode& Mode() const { return mode_; }
  // The picture the display holds: every frame's dirty rectangles laid over the last.
  Size ShownSize() const { return shownSize_; }
  uint32_t ShownPixel(int32_t x, int32_t y) const {
    return ShownPixels()[size_t(y) * size_t(shownSize_.Width) + size_t(x)];
  }
  // Frames handed over, and of them the ones that reached the display: a frame with
  // nothing dirty is not shown unless the window needs drawing again.
  uint32_t PresentCount() const { return presents_; }
  uint32_t DisplayCount() const { return displays_; }
  // What a window system would report: the window lost its picture or changed size.
  void Expose() { schedule_.RepaintNext(); }
  const std::vector<std::string>& OpenedDocuments() const { return opened_; }
  const std::vector<std::string>& StartedPrograms() const { return started_; }

 private:
  EventQueue queue_;
  bool created_ = false;
  bool visible_ = false;
  bool doubleClicks_ = false;
  bool cursorVisible_ = true;
  std::string caption_;
  std::vector<uint32_t> icon_;
  Size iconSize_;
  Point cursor_;
  Size desktop_{1920, 1080};
  std::vector<DisplayMode> modes_;
  VideoMode mode_;
  PresentSchedule schedule_;
  uint32_t* ShownPixels() const { return static_cast<uint32_t*>(shown_.Data()); }

  LargeBlock shown_;
  Size shownSize_;
  uint32_t presents_ = 0;
  uint32_t displays_ = 0;
  uint32_t now_ = 0;
  uint32_t frameInterval_ = kDefaultFrameInterval;
  std::string clipboard_;
  std::vector<std::string> opened_;
  std::vector<std::string> started_;
};

}  // namespace platform
