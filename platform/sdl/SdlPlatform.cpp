#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/DocumentOpener.h"
#include "platform/EventQueue.h"
#include "platform/Letterbox.h"
#include "platform/Png.h"
#include "platform/PresentSchedule.h"
#include "platform/StopRequests.h"
#include "platform/sdl/SdlInput.h"
#include "platform/sdl/SdlWindowManager.h"

namespace platform {
namespace {

// How long a wait for events goes before it looks for a stop request.
constexpr int kStopRequestCheckMs = 100;

std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

class SdlPlatform final : public Platform, public Window, public Video, public Clock, public Shell {
 public:
  SdlPlatform() = default;
  ~SdlPlatform() override {
    Destroy();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // The last user of SDL ends it wholly, which also closes its desktop-bus link.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  }

  // Platform
  BackendKind Kind() const override { return BackendKind::Sdl; }
  Window& GetWindow() override { return *this; }
  Video& GetVideo() override { return *this; }
  Clock& GetClock() override { return *this; }
  Shell& GetShell() override { return *this; }

  // Window
  bool Create(bool doubleClicks) override;
  void Destroy() override;
  bool IsCreated() const override { return window_ != nullptr; }
  void SetCaption(const std::string& caption) override {
    if (window_) SDL_SetWindowTitle(window_, caption.c_str());
  }
  void SetIcon(const uint32_t* pixels, int32_t width, int32_t height) override;
  void Show() override {
    if (!window_) return;
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
  }
  void Minimise() override {
    if (window_) SDL_MinimizeWindow(window_);
  }
  bool PollEvent(Event& event) override;
  bool WaitEvent(Event& event) override;
  void PostEvent(const Event& event) override { queue_.Push(event); }
  Point CursorPosition() override;
  void WarpCursor(Point p) override;
  void ShowCursor(bool show) override { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

  // Video
  Size DesktopSize() override;
  std::vector<DisplayMode> DisplayModes() override;
  PixelFormat DisplayFormat() override { return {}; }
  bool SetMode(const VideoMode& mode) override;
  void Present(const Frame& frame) override;
  bool Screenshot(const std::string& path, std::string& error) override;

  // Clock
  uint32_t Milliseconds() override { return SDL_GetTicks(); }
  void Sleep(uint32_t milliseconds) override { SDL_Delay(milliseconds); }

  // Shell
  bool OpenDocument(const std::string& pathOrAddress) override {
    return StartDocumentOpener(pathOrAddress);
  }
  bool StartProgram(const std::string& path) override { return StartProgramFile(path); }
  std::string ClipboardText() override;

 private:
  int DisplayIndex() const {
    int index = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
    return index < 0 ? 0 : index;
  }
  // Reads SDL events until one gives events of ours; wait: block for the first.
  bool Translate(bool wait);
  bool EnterFullScreen();
  bool EnterWindowed();
  // Sizes the window for the windowed mode; move: places it too.
  void PlaceWindowed(bool move);
  Borders CurrentBorders();
  // Places the window again once the window manager has told its borders.
  void CheckBorders();
  void DropTexture();
  bool EnsureTexture(Size size);
  // Window changes after which the window must be drawn again.
  void NoteWindowChange(Uint8 change);
  void Upload(const Frame& frame, const Rect& rect);
  // Draws the texture onto the window as the mode says and updates the pointer map.
  void Compose();

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  Size textureSize_;
  PresentSchedule schedule_;
  bool placed_ = false;
  // Full screen made by the program: a borderless window over the whole display.
  bool fullScreenByHand_ = false;
  // The window was placed before its borders were known.
  bool awaitingBorders_ = false;
  Borders bordersUsed_;
  VideoMode mode_;
  InputContext input_;
  EventQueue queue_;
};

bool SdlPlatform::Create(bool doubleClicks) {
  if (window_) return true;
  input_ = {};
  input_.doubleClicks = doubleClicks;
  window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480,
                             SDL_WINDOW_HIDDEN);
  if (!window_) return false;
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    Destroy();
    return false;
  }
  SDL_StartTextInput();
  return true;
}

void SdlPlatform::SetIcon(const uint32_t* pixels, int32_t width, int32_t height) {
  if (!window_ || !pixels || width <= 0 || height <= 0) return;
  // The window takes its own copy; the surface only lends it the pixels.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(pixels), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return;
  SDL_SetWindowIcon(window_, surface);
  SDL_FreeSurface(surface);
}

void SdlPlatform::Destroy() {
  DropTexture();
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  renderer_ = nullptr;
  window_ = nullptr;
}

bool SdlPlatform::Translate(bool wait) {
  SDL_Event event;
  while (queue_.Empty()) {
    if (TakeStopRequest()) {
      queue_.Push(PlainEvent(EventType::Quit));
      return true;
    }
    if (wait) {
      // A signal does not wake SDL's wait: it comes back now and then to look.
      if (!SDL_WaitEventTimeout(&event, kStopRequestCheckMs)) continue;
      wait = false;  // after the first, take only what is already there
    } else if (!SDL_PollEvent(&event)) {
      return false;
    }
    if (event.type == SDL_RENDER_DEVICE_RESET) DropTexture();
    if (event.type == SDL_WINDOWEVENT) {
      CheckBorders();
      NoteWindowChange(event.window.event);
    }
    input_.modifiers = static_cast<uint16_t>(SDL_GetModState());
    TranslateSdlEvent(event, input_, queue_);
  }
  return true;
}

bool SdlPlatform::PollEvent(Event& event) {
  if (queue_.Empty()) Translate(false);
  return queue_.Pop(event);
}

bool SdlPlatform::WaitEvent(Event& event) {
  if (queue_.Empty()) Translate(true);
  return queue_.Pop(event);
}

Point SdlPlatform::CursorPosition() {
  int x = 0, y = 0;
  if (window_ && SDL_GetMouseFocus() == window_) {
    SDL_GetMouseState(&x, &y);
  } else {
    // Off the window SDL keeps no position: ask the desktop.
    int wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&x, &y);
    if (window_) SDL_GetWindowPosition(window_, &wx, &wy);
    x -= wx;
    y -= wy;
  }
  return MapPointer(input_.pointer, {x, y});
}

void SdlPlatform::WarpCursor(Point p) {
  if (!window_) return;
  PointerMap& map = input_.pointer;
  if (map.scaled) {
    // Where the window is smaller than the frame, several frame pixels share one window
    // pixel; the pointer put there still reports the one it was sent to.
    Point output = FrameToOutput(p, map.dest, map.frame);
    map.pinned = true;
    map.pinnedOutput = output;
    map.pinnedFrame = p;
    p = output;
  }
  SDL_WarpMouseInWindow(window_, p.X, p.Y);
}

Size SdlPlatform::DesktopSize() {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(DisplayIndex(), &mode) != 0) return {};
  return {mode.w, mode.h};
}

std::vector<DisplayMode> SdlPlatform::DisplayModes() {
  std::vector<DisplayMode> modes;
  int index = DisplayIndex();
  int count = SDL_GetNumDisplayModes(index);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(index, i, &mode) == 0) {
      modes.push_back({mode.w, mode.h, ModeBitsPerPixel(mode.format)});
    }
  }
  return modes;
}

bool SdlPlatform::SetMode(const VideoMode& mode) {
  if (!window_ || mode.frame.Width <= 0 || mode.frame.Height <= 0) return false;
  mode_ = mode;
  schedule_.SendWholeNext();
  return mode.mode == PresentMode::Windowed ? EnterWindowed() : EnterFullScreen();
}

bool SdlPlatform::EnterFullScreen() {
  awaitingBorders_ = false;
  if (FullScreenRequestsHonoured(window_)) {
    return SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
  }
  // Nothing would act on a request: the window itself covers the display.
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(DisplayIndex(), &bounds) != 0) return false;
  SDL_SetWindowFullscreen(window_, 0);
  SDL_SetWindowBordered(window_, SDL_FALSE);
  SDL_SetWindowPosition(window_, bounds.x, bounds.y);
  SDL_SetWindowSize(window_, bounds.w, bounds.h);
  fullScreenByHand_ = true;
  return true;
}

bool SdlPlatform::EnterWindowed() {
  if (SDL_SetWindowFullscreen(window_, 0) != 0) return false;
  SDL_SetWindowBordered(window_, SDL_TRUE);
  // Centred the first time and after a full screen made by hand; otherwise where the
  // player has put it, unless it no longer fits there.
  PlaceWindowed(!placed_ || fullScreenByHand_);
  fullScreenByHand_ = false;
  placed_ = true;
  return true;
}

Borders SdlPlatform::CurrentBorders() {
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) return {};
  return {left, top, right, bottom};
}

void SdlPlatform::PlaceWindowed(bool move) {
  int index = DisplayIndex();
  SDL_Rect display, usable;
  if (SDL_GetDisplayBounds(index, &display) != 0 || display.w <= 0 || display.h <= 0) {
    // Nothing is known of the display: the frame's size, centred by the system.
    SDL_SetWindowSize(window_, mode_.frame.Width, mode_.frame.Height);
    if (move) SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    return;
  }
  if (SDL_GetDisplayUsableBounds(index, &usable) != 0 || usable.w <= 0 || usable.h <= 0) {
    usable = display;
  }
  Borders borders = CurrentBorders();
  WindowPlacement placement =
      PlaceWindow(mode_.frame, {display.x, display.y, display.x + display.w, display.y + display.h},
                  {usable.x, usable.y, usable.x + usable.w, usable.y + usable.h}, borders);
  SDL_SetWindowSize(window_, placement.client.Width(), placement.client.Height());
  move = move || placement.scaled;
  if (move) SDL_SetWindowPosition(window_, placement.client.Left, placement.client.Top);
  // A window manager tells the borders only once the window is on the screen.
  awaitingBorders_ = move;
  bordersUsed_ = borders;
}

void SdlPlatform::CheckBorders() {
  if (!awaitingBorders_ || mode_.mode != PresentMode::Windowed || fullScreenByHand_) return;
  if (CurrentBorders() == bordersUsed_) return;
  PlaceWindowed(true);
  awaitingBorders_ = false;
}

void SdlPlatform::DropTexture() {
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
  textureSize_ = {};
}

bool SdlPlatform::EnsureTexture(Size size) {
  if (texture_ && textureSize_ == size) return true;
  DropTexture();
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                               size.Width, size.Height);
  if (!texture_) return false;
  // The frame's alpha means nothing on the display.
  SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
  textureSize_ = size;
  schedule_.SendWholeNext();
  return true;
}

void SdlPlatform::NoteWindowChange(Uint8 change) {
  switch (change) {
    case SDL_WINDOWEVENT_EXPOSED:
      // The window lost its picture; the last frame is still in the texture. A window
      // that gets no frames (minimised, inactive) is drawn at once.
      if (texture_) {
        Compose();
        SDL_RenderPresent(renderer_);
      }
      break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_DISPLAY_CHANGED:
      schedule_.RepaintNext();
      break;
    default:
      break;
  }
}

void SdlPlatform::Upload(const Frame& frame, const Rect& rect) {
  Rect r = OnFrame(frame, rect);
  if (r.Empty()) return;
  SDL_Rect area{r.Left, r.Top, r.Width(), r.Height()};
  const uint32_t* first = frame.pixels + size_t(r.Top) * size_t(frame.stride) + size_t(r.Left);
  SDL_UpdateTexture(texture_, &area, first, frame.stride * 4);
}

void SdlPlatform::Compose() {
  int outW = 0, outH = 0;
  SDL_GetRendererOutputSize(renderer_, &outW, &outH);
  Size frame = textureSize_;
  Rect dest{0, 0, frame.Width, frame.Height};
  if (mode_.mode == PresentMode::WideFullScreen) {
    dest = mode_.dest;
  } else if (mode_.mode == PresentMode::FullScreen || outW != frame.Width || outH != frame.Height) {
    dest = FitRect(frame, {outW, outH});
  }
  bool stretched = dest.Width() != frame.Width || dest.Height() != frame.Height;
  if (dest != input_.pointer.dest || frame != input_.pointer.frame) input_.pointer.pinned = false;
  // The engine maps wide full screen itself, from desktop pixels.
  input_.pointer.scaled =
      mode_.mode != PresentMode::WideFullScreen && dest != Rect{0, 0, frame.Width, frame.Height};
  input_.pointer.clamp = mode_.mode == PresentMode::FullScreen;
  input_.pointer.dest = dest;
  input_.pointer.frame = frame;
  SDL_SetTextureScaleMode(texture_, stretched ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_Rect target{dest.Left, dest.Top, dest.Width(), dest.Height()};
  SDL_RenderCopy(renderer_, texture_, nullptr, &target);
}

void SdlPlatform::Present(const Frame& frame) {
  if (!renderer_ || !frame.pixels || frame.width <= 0 || frame.height <= 0 ||
      frame.stride < frame.width) {
    return;
  }
  if (!EnsureTexture({frame.width, frame.height})) return;
  PresentPlan plan = schedule_.Take(frame);
  if (plan.sendWhole) Upload(frame, {0, 0, frame.width, frame.height});
  if (plan.sendDirty)
    for (const Rect& r : frame.dirty) Upload(frame, r);
  if (!plan.show) return;
  Compose();
  SDL_RenderPresent(renderer_);
}

bool SdlPlatform::Screenshot(const std::string& path, std::string& error) {
  if (!texture_) {
    error = "no frame has been shown yet";
    return false;
  }
  // The texture drawn pixel for pixel into a picture of its own and read back: the frame
  // as the display received it, whatever the window's size.
  Size size = textureSize_;
  SDL_Texture* picture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                           SDL_TEXTUREACCESS_TARGET, size.Width, size.Height);
  if (!picture || SDL_SetRenderTarget(renderer_, picture) != 0) {
    error = OneLine(std::string("cannot read the display back: ") + SDL_GetError());
    if (picture) SDL_DestroyTexture(picture);
    return false;
  }
  SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  std::vector<uint32_t> pixels(size_t(size.Width) * size_t(size.Height));
  bool read = SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                                   size.Width * 4) == 0;
  if (!read) error = OneLine(std::string("cannot read the display back: ") + SDL_GetError());
  SDL_SetRenderTarget(renderer_, nullptr);
  SDL_DestroyTexture(picture);
  if (!read) return false;
  return WritePng(path, pixels.data(), size.Width, size.Height, size.Width, error);
}

std::string SdlPlatform::ClipboardText() {
  char* text = SDL_GetClipboardText();
  std::string result = text ? text : "";
  SDL_free(text);
  return result;
}

}  // namespace

std::unique_ptr<Platform> CreateSdlPlatform(std::string& error) {
  const char* kAdvice = "; set GAME_PLATFORM=headless to run without one";
  // SIGTERM and SIGINT are no click on the close button: the stop requests are the
  // program's (StopRequests.h).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = OneLine(std::string("cannot open a display (") + SDL_GetError() + ")" + kAdvice);
    return nullptr;
  }
  // Without a display SDL falls back to drivers that show nothing; the player would see
  // no window and no reason. Only someone who asks for one by name gets it.
  std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if ((driver == "offscreen" || driver == "dummy") && !(asked && driver == asked)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    error = std::string("cannot open a display (no X11 or Wayland display found)") + kAdvice;
    return nullptr;
  }
  return std::make_unique<SdlPlatform>();
}

}  // namespace platform
