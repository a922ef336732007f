// Opens the platform GAME_PLATFORM names, shows a known frame, then a change of part
// of it, and lets the script GAME_SCRIPT take a screenshot. The screenshot must hold
// the frame with the change made inside the dirty rectangle and not the one outside:
// so every backend shows the same pixels and sends only dirty rectangles.
//
// The pointer is moved by the program too: it must come back, as an event and as the
// pointer's position, at the frame pixel it was sent to, whatever the scaling.
//
//   platform_smoke SHOT.png [full-screen|wide]   run (the script saves SHOT.png), check it
//   platform_smoke --same A.png B.png       check that two screenshots are equal
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/Png.h"

namespace {

using namespace platform;

constexpr int32_t kWidth = 160;
constexpr int32_t kHeight = 120;
constexpr int32_t kStride = 168;  // rows longer than the frame, as a surface may have
constexpr Rect kChanged{40, 30, 72, 50};
constexpr Point kOutside{150, 5};

uint32_t Pattern(int32_t x, int32_t y) {
  return 0xFF000000u | uint32_t(x * 255 / kWidth) << 16 | uint32_t(y * 255 / kHeight) << 8 |
         uint32_t((x ^ y) & 0xFF);
}

// What the display must hold after both frames.
uint32_t Expected(int32_t x, int32_t y) {
  bool changed =
      x >= kChanged.Left && x < kChanged.Right && y >= kChanged.Top && y < kChanged.Bottom;
  return changed ? 0xFF000000u | (~Pattern(x, y) & 0xFFFFFF) : Pattern(x, y);
}

class Host : public ScriptHost {
 public:
  std::string TopScreenName() override { return "smoke"; }
  Point DesignToWindow(Point design) override { return design; }
  void Reseed(uint64_t) override {}
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "platform_smoke: %s\n", message.c_str());
  return 1;
}

int CompareShots(const std::string& a, const std::string& b) {
  PngImage first, second;
  std::string error;
  if (!ReadPng(a, first, error) || !ReadPng(b, second, error)) return Fail(error);
  if (first.width != second.width || first.height != second.height ||
      first.pixels != second.pixels) {
    return Fail(a + " and " + b + " differ");
  }
  return 0;
}

int CheckShot(const std::string& path) {
  PngImage shot;
  std::string error;
  if (!ReadPng(path, shot, error)) return Fail(error);
  if (shot.width != kWidth || shot.height != kHeight) {
    return Fail(path + ": " + std::to_string(shot.width) + "x" + std::to_string(shot.height));
  }
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      if (shot.At(x, y) != Expected(x, y)) {
        char text[128];
        std::snprintf(text, sizeof text, "pixel (%d, %d) is %08X, not %08X", x, y, shot.At(x, y),
                      Expected(x, y));
        return Fail(path + ": " + text);
      }
    }
  }
  return 0;
}

// The desktop must list its own size among its modes, as a true-colour mode.
bool DesktopIsListed(Video& video) {
  Size desktop = video.DesktopSize();
  for (const DisplayMode& mode : video.DisplayModes()) {
    if (mode == DisplayMode{desktop.Width, desktop.Height, 32}) return true;
  }
  return false;
}

int Run(const std::string& shot, PresentMode mode) {
  std::string error;
  std::unique_ptr<Platform> platform = CreatePlatform(error);
  if (!platform) return Fail(error);
  ScriptRunner* script = platform->Script();
  if (!script) return Fail("GAME_SCRIPT names no script");
  Window& window = platform->GetWindow();
  Video& video = platform->GetVideo();
  Clock& clock = platform->GetClock();
  if (!window.Create(false)) return Fail("cannot make the window");
  window.SetCaption("platform smoke");
  // Wide: stretched to twice its size at (100, 50) of the desktop, as the engine may ask.
  Rect dest{100, 50, 100 + 2 * kWidth, 50 + 2 * kHeight};
  if (!video.SetMode({mode, {kWidth, kHeight}, dest})) return Fail("no video mode");
  window.Show();
  if (!DesktopIsListed(video)) return Fail("the desktop's size is not a listed 32-bit mode");

  std::vector<uint32_t> pixels(size_t(kStride) * kHeight, 0xFFFF00FF);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) pixels[size_t(y * kStride + x)] = Pattern(x, y);
  }
  Host host;
  bool moved = false;
  bool warped = false;
  bool warpSent = false;
  Point last;
  constexpr Point kWarp{33, 44};
  uint32_t start = clock.Milliseconds();
  for (int frame = 0; clock.Milliseconds() - start < 20000; ++frame) {
    Event e;
    bool quit = false;
    while (window.PollEvent(e)) {
      quit = quit || e.type == EventType::Quit;
      moved = moved || (e.type == EventType::Mouse && e.x == 10 && e.y == 12);
      warped = warped || (e.type == EventType::Mouse && e.x == kWarp.X && e.y == kWarp.Y);
      if (e.type == EventType::Mouse) last = {e.x, e.y};
    }
    if (quit) break;
    // Once frames have set the scaling up, and after the script's move.
    if (!warpSent && frame >= 3 && clock.Milliseconds() - start >= 150) {
      window.WarpCursor(kWarp);
      warpSent = true;
    }
    Rect whole{0, 0, kWidth, kHeight};
    std::span<const Rect> dirty;
    if (frame == 0) dirty = {&whole, 1};
    if (frame == 1) {
      for (int32_t y = kChanged.Top; y < kChanged.Bottom; ++y) {
        for (int32_t x = kChanged.Left; x < kChanged.Right; ++x) {
          pixels[size_t(y * kStride + x)] ^= 0xFFFFFF;
        }
      }
      pixels[size_t(kOutside.Y * kStride + kOutside.X)] = 0xFF123456;  // never sent
      dirty = {&kChanged, 1};
    }
    video.Present({pixels.data(), kWidth, kHeight, kStride, dirty});
    script->Step(host);
    clock.Sleep(8);
  }
  Point pointer = window.CursorPosition();
  window.Destroy();
  if (script->Failed()) return Fail(script->Failure());
  // Only a real pointer reports a move of its own.
  if (!warped && platform->Kind() == BackendKind::Sdl) {
    return Fail("the pointer moved by the program did not arrive");
  }
  // A real pointer is where its last report put it (the moves of the script and of the
  // program may arrive in either order); the headless one where it was last sent.
  Point expected = platform->Kind() == BackendKind::Sdl ? last : kWarp;
  if (pointer != expected) {
    return Fail("the pointer is at " + std::to_string(pointer.X) + "," + std::to_string(pointer.Y));
  }
  if (!script->Finished()) return Fail("the script did not end in time");
  if (!moved) return Fail("the script's pointer move did not arrive");
  return CheckShot(PathFromStartFolder(shot));
}

}  // namespace

int main(int argc, char** argv) {
  SetProgramArguments(argc, argv);
  if (argc == 4 && std::string(argv[1]) == "--same") return CompareShots(argv[2], argv[3]);
  std::string mode = argc == 3 ? argv[2] : "";
  if (argc < 2 || argc > 3 || (argc == 3 && mode != "full-screen" && mode != "wide")) {
    return Fail("usage: platform_smoke SHOT.png [full-screen|wide] | --same A.png B.png");
  }
  return Run(argv[1], mode == "wide"          ? PresentMode::WideFullScreen
                      : mode == "full-screen" ? PresentMode::FullScreen
                                              : PresentMode::Windowed);
}
