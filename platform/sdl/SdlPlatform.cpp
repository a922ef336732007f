#include "platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/DocumentOpener.h"
#include "platform/EventQueue.h"
#include "platform/Letterbox.h"
#include "platform/Png.h"
#include "platform/sdl/SdlInput.h"

namespace platform {
namespace {

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
  void DropTexture();
  bool EnsureTexture(Size size);
  void Upload(const Frame& frame, const Rect& rect);
  // Draws the texture onto the window as the mode says and updates the pointer map.
  void Compose();

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  Size textureSize_;
  bool wholeNext_ = true;
  bool placed_ = false;
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
    if (wait) {
      if (!SDL_WaitEvent(&event)) return false;
      wait = false;  // after the first, take only what is already there
    } else if (!SDL_PollEvent(&event)) {
      return false;
    }
    if (event.type == SDL_RENDER_DEVICE_RESET) DropTexture();
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED &&
        texture_) {
      Compose();  // the window lost its picture; the last frame is still in the texture
      SDL_RenderPresent(renderer_);
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
  const PointerMap& map = input_.pointer;
  if (map.scaled) p = FrameToOutput(p, map.dest, map.frame);
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
  wholeNext_ = true;
  if (mode.mode != PresentMode::Windowed) {
    return SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
  }
  if (SDL_SetWindowFullscreen(window_, 0) != 0) return false;
  SDL_SetWindowBordered(window_, SDL_TRUE);
  SDL_SetWindowSize(window_, mode.frame.Width, mode.frame.Height);
  if (!placed_) {
    // Centred the first time; afterwards where the player has put it.
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    placed_ = true;
  }
  return true;
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
  textureSize_ = size;
  wholeNext_ = true;
  return true;
}

void SdlPlatform::Upload(const Frame& frame, const Rect& rect) {
  Rect r{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, frame.width),
         std::min(rect.Bottom, frame.height)};
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
  if (wholeNext_) {
    Upload(frame, {0, 0, frame.width, frame.height});
    wholeNext_ = false;
  } else {
    for (const Rect& r : frame.dirty) Upload(frame, r);
  }
  Compose();
  SDL_RenderPresent(renderer_);
}

bool SdlPlatform::Screenshot(const std::string& path, std::string& error) {
  if (!texture_) {
    error = "no frame has been shown yet";
    return false;
  }
  int outW = 0, outH = 0;
  SDL_GetRendererOutputSize(renderer_, &outW, &outH);
  Size size = textureSize_;
  if (outW < size.Width || outH < size.Height) {
    error = "the window is smaller than the frame";
    return false;
  }
  // Draw the texture unscaled and read it back: the picture as the display has it.
  SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
  SDL_Rect area{0, 0, size.Width, size.Height};
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, &area);
  std::vector<uint32_t> pixels(size_t(size.Width) * size_t(size.Height));
  bool read = SDL_RenderReadPixels(renderer_, &area, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                                   size.Width * 4) == 0;
  Compose();  // leave the drawing as it was for the next present
  if (!read) {
    error = OneLine(std::string("cannot read the display back: ") + SDL_GetError());
    return false;
  }
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
