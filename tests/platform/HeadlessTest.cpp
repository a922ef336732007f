// The headless backend: virtual clock, injected events, frames kept as the display
// would keep them, and screenshots written as PNG.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Png.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace platform {
namespace {

TEST(Headless, ClockMovesBySleepAndOneIntervalPerFrame) {
  HeadlessPlatform p;
  Clock& clock = p.GetClock();
  EXPECT_EQ(clock.Milliseconds(), 0u);
  clock.Sleep(5);
  EXPECT_EQ(clock.Milliseconds(), 5u);
  uint32_t pixel = 0;
  p.Present({&pixel, 1, 1, 1, {}});
  EXPECT_EQ(clock.Milliseconds(), 5u + HeadlessPlatform::kDefaultFrameInterval);
  // Nothing can arrive: waiting lets a frame interval pass instead of blocking.
  Event e;
  EXPECT_FALSE(p.GetWindow().WaitEvent(e));
  EXPECT_EQ(clock.Milliseconds(), 5u + 2 * HeadlessPlatform::kDefaultFrameInterval);
}

TEST(Headless, PostedEventsComeBackInOrderAndMoveThePointer) {
  HeadlessPlatform p;
  Window& w = p.GetWindow();
  ASSERT_TRUE(w.Create(false));
  // More than the queue's first ring holds, to cover its growth.
  for (int i = 0; i < 100; ++i) w.PostEvent(MouseEvent(input::kMouseMove, i, 2 * i, 0));
  w.PostQuit();
  Event e;
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(w.PollEvent(e));
    ASSERT_EQ(e.x, i);
  }
  EXPECT_EQ(w.CursorPosition(), (Point{99, 198}));
  ASSERT_TRUE(w.PollEvent(e));
  EXPECT_EQ(e.type, EventType::Quit);
  EXPECT_FALSE(w.PollEvent(e));
}

TEST(Headless, MinimisingComesBackAtOnce) {
  HeadlessPlatform p;
  p.GetWindow().Minimise();
  Event e;
  ASSERT_TRUE(p.GetWindow().PollEvent(e));
  EXPECT_EQ(e.type, EventType::Minimised);
  ASSERT_TRUE(p.GetWindow().PollEvent(e));
  EXPECT_EQ(e.type, EventType::Restored);
}

TEST(Headless, OnlyDirtyRectanglesReachTheDisplay) {
  HeadlessPlatform p;
  ASSERT_TRUE(p.Create(false));
  ASSERT_TRUE(p.SetMode({PresentMode::Windowed, {4, 3}, {}}));
  // Rows of 6 pixels, of which the frame uses 4.
  std::vector<uint32_t> pixels(6 * 3, 0xFF111111);
  p.Present({pixels.data(), 4, 3, 6, {}});  // the first frame after a mode goes whole
  EXPECT_EQ(p.ShownPixel(3, 2), 0xFF111111u);
  pixels[0] = 0xFF222222;          // not in a dirty rectangle
  pixels[1 * 6 + 2] = 0xFF333333;  // in one
  const Rect dirty[] = {{2, 1, 3, 2}, {-5, -5, 0, 10}, {3, 2, 99, 99}};
  p.Present({pixels.data(), 4, 3, 6, dirty});
  EXPECT_EQ(p.ShownPixel(0, 0), 0xFF111111u);
  EXPECT_EQ(p.ShownPixel(2, 1), 0xFF333333u);
  // A new mode sends the next frame whole again.
  ASSERT_TRUE(p.SetMode({PresentMode::Windowed, {4, 3}, {}}));
  p.Present({pixels.data(), 4, 3, 6, {}});
  EXPECT_EQ(p.ShownPixel(0, 0), 0xFF222222u);
  EXPECT_EQ(p.PresentCount(), 3u);
}

TEST(Headless, StillFramesReachTheDisplayOnlyWhenExposed) {
  HeadlessPlatform p;
  ASSERT_TRUE(p.Create(false));
  ASSERT_TRUE(p.SetMode({PresentMode::Windowed, {4, 3}, {}}));
  std::vector<uint32_t> pixels(4 * 3, 0xFF111111);
  p.Present({pixels.data(), 4, 3, 4, {}});
  EXPECT_EQ(p.DisplayCount(), 1u);
  // Nothing dirty: handed over (the clock moves), not shown.
  uint32_t before = p.Milliseconds();
  pixels[0] = 0xFF222222;
  p.Present({pixels.data(), 4, 3, 4, {}});
  EXPECT_EQ(p.PresentCount(), 2u);
  EXPECT_EQ(p.DisplayCount(), 1u);
  EXPECT_EQ(p.Milliseconds(), before + HeadlessPlatform::kDefaultFrameInterval);
  EXPECT_EQ(p.ShownPixel(0, 0), 0xFF111111u);
  // The window lost its picture: the next frame is shown again, though still.
  p.Expose();
  p.Present({pixels.data(), 4, 3, 4, {}});
  EXPECT_EQ(p.DisplayCount(), 2u);
  EXPECT_EQ(p.ShownPixel(0, 0), 0xFF111111u);
  p.Present({pixels.data(), 4, 3, 4, {}});
  EXPECT_EQ(p.DisplayCount(), 2u);
  // A changed rectangle is shown once.
  const Rect dirty[] = {{0, 0, 1, 1}};
  p.Present({pixels.data(), 4, 3, 4, dirty});
  EXPECT_EQ(p.DisplayCount(), 3u);
  EXPECT_EQ(p.ShownPixel(0, 0), 0xFF222222u);
}

TEST(Headless, ScreenshotIsReadBackAsTheShownPixels) {
  TempFolder folder;
  HeadlessPlatform p;
  std::string error;
  EXPECT_FALSE(p.Screenshot(folder / "none.png", error));
  EXPECT_EQ(error, "no frame has been shown yet");
  std::vector<uint32_t> pixels(7 * 5);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0x7F000000u | uint32_t(i * 0x030507);
  p.Present({pixels.data(), 7, 5, 7, {}});
  ASSERT_TRUE(p.Screenshot(folder / "shot.png", error)) << error;
  PngImage image;
  ASSERT_TRUE(ReadPng(folder / "shot.png", image, error)) << error;
  ASSERT_EQ(image.width, 7);
  ASSERT_EQ(image.height, 5);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 7; ++x) {
      // Alpha is not part of the picture: the file is opaque.
      ASSERT_EQ(image.At(x, y), 0xFF000000u | (pixels[size_t(y * 7 + x)] & 0xFFFFFF));
    }
  }
  EXPECT_FALSE(p.Screenshot(folder / "missing/folder/shot.png", error));
  EXPECT_NE(error.find("missing/folder/shot.png"), std::string::npos);
}

TEST(Headless, ShellAndDisplayAreRecordedAndConfigurable) {
  HeadlessPlatform p;
  EXPECT_TRUE(p.GetShell().OpenDocument("/tmp/manual.pdf"));
  EXPECT_FALSE(p.GetShell().OpenDocument(""));
  EXPECT_EQ(p.OpenedDocuments(), std::vector<std::string>{"/tmp/manual.pdf"});
  p.SetClipboardText("pasted");
  EXPECT_EQ(p.GetShell().ClipboardText(), "pasted");
  p.SetDesktop({1280, 1024}, {{1024, 768, 32}});
  EXPECT_EQ(p.DesktopSize(), (Size{1280, 1024}));
  EXPECT_EQ(p.DisplayModes(), (std::vector<DisplayMode>{{1024, 768, 32}}));
  EXPECT_EQ(p.DisplayFormat().redMask, 0x00FF0000u);
  EXPECT_FALSE(p.SetMode({}));  // no window yet
}

TEST(Headless, FactoryFollowsTheEnvironment) {
  TempFolder folder;
  std::string error;
  {
    ScopedEnv backend("GAME_PLATFORM", "headless");
    ScopedEnv script("GAME_SCRIPT", nullptr);
    auto platform = CreatePlatform(error);
    ASSERT_TRUE(platform) << error;
    EXPECT_EQ(platform->Kind(), BackendKind::Headless);
    EXPECT_EQ(platform->Script(), nullptr);
  }
  {
    ScopedEnv backend("GAME_PLATFORM", "vulkan");
    EXPECT_FALSE(CreatePlatform(error));
    EXPECT_EQ(error, "GAME_PLATFORM=vulkan names no backend; use sdl or headless");
  }
  {
    std::string path = folder / "bad.script";
    FILE* f = fopen(path.c_str(), "w");
    fputs("wait 10\nclick 1\n", f);
    fclose(f);
    ScopedEnv backend("GAME_PLATFORM", "headless");
    ScopedEnv script("GAME_SCRIPT", path.c_str());
    EXPECT_FALSE(CreatePlatform(error));
    EXPECT_EQ(error, "script " + path + ", line 2: expected \"click X Y [left|right]\"");
  }
  {
    ScopedEnv backend("GAME_PLATFORM", "headless");
    ScopedEnv script("GAME_SCRIPT", (folder / "absent.script").c_str());
    EXPECT_FALSE(CreatePlatform(error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace platform
