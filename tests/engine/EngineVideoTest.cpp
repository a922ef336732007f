// Choosing the output mode, letterboxing, and mapping points between display and game.
#include <gtest/gtest.h>

#include "tests/support/EngineHarness.h"

namespace {

using platform::DisplayMode;
using platform::Size;

struct Video : EngineHarness {
  Video(Size desktop, std::vector<DisplayMode> modes) {
    platform->headless.SetDesktop(desktop, std::move(modes));
    EXPECT_TRUE(Start());
  }
  bool Decide(int32_t width, int32_t height, const char* wide) {
    engine->SetOption("ScreenWidth", Variant(width));
    engine->SetOption("ScreenHeight", Variant(height));
    engine->SetOption("WideScreenMode", Variant(wide));
    engine->ReadVideoOptions();
    return engine->DecideWideScreen();
  }
  // Runs full screen so that the mode is in force.
  void RunFullScreen(int32_t width, int32_t height, const char* wide) {
    engine->SetOption("ScreenWidth", Variant(width));
    engine->SetOption("ScreenHeight", Variant(height));
    engine->SetOption("WideScreenMode", Variant(wide));
    engine->SetOption("FullScreenMode", Variant("yes"));
    engine->StartRunning();
    EXPECT_TRUE(StepFrame());
    game->log.clear();
  }
};

const std::vector<DisplayMode> kModes = {{1024, 768, 32}, {1280, 1024, 32}, {1920, 1080, 32}};

}  // namespace

TEST(EngineVideo, DecideWideScreenTable) {
  struct Case {
    const char* name;
    Size desktop;
    int32_t width, height;
    const char* option;
    bool wide;
    int32_t shiftX, shiftY;
    TRect frame, dest;
    std::vector<TRect> bars;
    bool checkDest = true;
  } cases[] = {
      {"1024x768 on 1920x1080",
       {1920, 1080},
       1024,
       768,
       "system",
       true,
       170,
       0,
       {0, 0, 1365, 768},
       {0, 0, 1920, 1080},
       {{1919, 0, 1920, 1080}}},
      {"1024x768 on 1366x768",
       {1366, 768},
       1024,
       768,
       "system",
       true,
       171,
       0,
       {0, 0, 1366, 768},
       {0, 0, 1366, 768},
       {}},
      {"1024x768 on 1280x1024, listed mode",
       {1280, 1024},
       1024,
       768,
       "system",
       false,
       0,
       0,
       {0, 0, 1024, 768},
       {0, 0, 1024, 768},
       {}},
      {"1024x768 on 1280x1024, asked wide",
       {1280, 1024},
       1024,
       768,
       "yes",
       true,
       0,
       0,
       {0, 0, 1024, 768},
       {0, 32, 1280, 992},
       {{0, 0, 1280, 32}, {0, 992, 1280, 1024}}},
      {"4:3 on 4:3, listed mode",
       {1024, 768},
       1024,
       768,
       "system",
       false,
       0,
       0,
       {0, 0, 1024, 768},
       {0, 0, 1024, 768},
       {}},
      {"4:3 on 4:3, asked wide",
       {1024, 768},
       1024,
       768,
       "yes",
       true,
       0,
       0,
       {0, 0, 1024, 768},
       {0, 0, 1024, 768},
       {}},
      // Frames wider or taller than the output aspect allows keep a shift of 0.
      {"1600x768 on 2560x1080",
       {2560, 1080},
       1600,
       768,
       "system",
       true,
       0,
       0,
       {0, 0, 1600, 768},
       {},
       {},
       false},
      {"1000x1000 on 900x1000",
       {900, 1000},
       1000,
       1000,
       "system",
       true,
       0,
       0,
       {0, 0, 1000, 1000},
       {},
       {},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Video h(c.desktop, kModes);
    EXPECT_EQ(h.Decide(c.width, c.height, c.option), c.wide);
    EXPECT_EQ(h.engine->ShiftX(), c.shiftX);
    EXPECT_EQ(h.engine->ShiftY(), c.shiftY);
    EXPECT_EQ(h.engine->FrameRect(), c.frame);
    if (c.checkDest) {
      EXPECT_EQ(h.engine->DestRect(), c.dest);
      EXPECT_EQ(h.engine->BarRects(), c.bars);
    }
    // The decision replaces "system" in the options.
    EXPECT_EQ(h.engine->GetOption("WideScreenMode").ToString(), c.wide ? "yes" : "no");
  }
}

TEST(EngineVideo, A43FrameWithoutItsModeIsForcedWide) {
  Video h({1280, 1024}, {{1280, 1024, 32}});
  EXPECT_TRUE(h.Decide(1024, 768, "no"));
}

TEST(EngineVideo, WideFullScreenPresentsTheShiftedFrame) {
  Video h({1920, 1080}, kModes);
  h.RunFullScreen(1024, 768, "system");
  const platform::VideoMode& mode = h.platform->headless.Mode();
  EXPECT_EQ(mode.mode, platform::PresentMode::WideFullScreen);
  EXPECT_EQ(mode.frame, (Size{1365, 768}));
  EXPECT_EQ(mode.dest, (platform::Rect{0, 0, 1920, 1080}));
  EXPECT_EQ(h.engine->FrameSurface()->GetWidth(), 1365);
  EXPECT_EQ(h.engine->GetOption("ShiftLeft").ToInt(), 170);
  // The game draws at its offset and its rectangles move with it.
  h.game->invalidate = TRect{0, 0, 4, 4};
  h.game->color = 0xFFFF0000;
  h.engine->ProcessStep();
  EXPECT_EQ(h.game->log.back(), "Draw 170 0");
  EXPECT_EQ(h.platform->headless.ShownPixel(170, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(h.platform->headless.ShownPixel(169, 0) & 0xFFFFFF, 0u);
}

TEST(EngineVideo, ShiftPointMapsDisplayToFrame) {
  Video h({1920, 1080}, kModes);
  h.RunFullScreen(1024, 768, "system");
  struct Case {
    TPoint display, frame;
  } cases[] = {{{0, 0}, {0, 0}}, {{960, 540}, {682, 384}}, {{1919, 1079}, {1364, 767}}};
  for (const Case& c : cases) {
    TPoint p = c.display;
    h.engine->ShiftPoint(p, 0, 0);
    EXPECT_EQ(p, c.frame);
  }
}

TEST(EngineVideo, MouseInWideFullScreenReachesTheGameInGameCoordinates) {
  Video h({1280, 1024}, kModes);
  h.RunFullScreen(1024, 768, "yes");  // picture (0, 32)-(1280, 992), bars above and below
  struct Case {
    platform::Point display;
    std::string seen;
  } cases[] = {
      {{640, 512}, "Mouse 512 512 384 0"},
      {{0, 32}, "Mouse 512 0 0 0"},
      {{640, 10}, "Mouse 512 512 -17 0"},  // in the top bar: outside the game
      {{1279, 1000}, "Mouse 512 1023 774 0"},
  };
  for (const Case& c : cases) {
    h.game->log.clear();
    h.platform->headless.PostEvent(
        platform::MouseEvent(input::kMouseMove, c.display.X, c.display.Y, 0));
    h.engine->ProcessStep();
    EXPECT_EQ(h.game->log, std::vector<std::string>{c.seen});
  }
}

TEST(EngineVideo, ScriptPointsLandWhereTheGameSeesThem) {
  Video h({1920, 1080}, kModes);
  h.RunFullScreen(1024, 768, "system");
  for (platform::Point design :
       {platform::Point{0, 0}, platform::Point{512, 384}, platform::Point{1023, 767}}) {
    platform::Point window = h.engine->DesignToWindow(design);
    TPoint p{window.X, window.Y};
    h.engine->ShiftPoint(p, -h.engine->ShiftX(), -h.engine->ShiftY());
    EXPECT_EQ(p, (TPoint{design.X, design.Y}));
  }
}

// Full screen over common desktops, each listing only its own mode (so a 1024 x 768
// frame is always letterboxed): the frame, the picture on the display, the bars, and two
// design points as a script sends them to the display and the game then receives them.
TEST(EngineVideo, FullScreenOverDesktops) {
  struct Case {
    Size desktop;
    TRect frame, dest;
    std::vector<TRect> bars;
    platform::Point middle, last;  // design (512, 384) and (1023, 767) on the display
  } cases[] = {
      {{640, 480}, {0, 0, 1024, 768}, {0, 0, 640, 480}, {}, {320, 240}, {639, 479}},
      {{1024, 600},
       {0, 0, 1310, 768},
       {0, 0, 1024, 600},
       {{1023, 0, 1024, 600}},
       {512, 300},
       {912, 599}},
      {{1280, 720},
       {0, 0, 1365, 768},
       {0, 0, 1280, 720},
       {{1279, 0, 1280, 720}},
       {640, 360},
       {1119, 719}},
      {{1366, 768}, {0, 0, 1366, 768}, {0, 0, 1366, 768}, {}, {683, 384}, {1194, 767}},
      {{1920, 1080},
       {0, 0, 1365, 768},
       {0, 0, 1920, 1080},
       {{1919, 0, 1920, 1080}},
       {960, 540},
       {1679, 1079}},
      {{2560, 1440},
       {0, 0, 1365, 768},
       {0, 0, 2560, 1440},
       {{2559, 0, 2560, 1440}},
       {1280, 720},
       {2238, 1439}},
      {{1080, 1920},
       {0, 0, 1024, 768},
       {0, 555, 1080, 1365},
       {{0, 0, 1080, 555}, {0, 1365, 1080, 1920}},
       {540, 960},
       {1079, 1364}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.desktop.Width << "x" << c.desktop.Height);
    Video h(c.desktop, {{c.desktop.Width, c.desktop.Height, 32}});
    h.RunFullScreen(1024, 768, "system");
    EXPECT_EQ(h.engine->FrameRect(), c.frame);
    EXPECT_EQ(h.engine->DestRect(), c.dest);
    EXPECT_EQ(h.engine->BarRects(), c.bars);
    const struct {
      platform::Point design, display;
    } points[] = {{{512, 384}, c.middle}, {{1023, 767}, c.last}};
    for (const auto& p : points) {
      platform::Point display = h.engine->DesignToWindow(p.design);
      EXPECT_EQ(display, p.display);
      // The pointer put there reaches the game at the design point, as an event and as
      // the cursor's position, though a shrunk picture may map the pixel elsewhere.
      h.game->log.clear();
      h.platform->headless.WarpCursor(display);
      h.platform->headless.PostEvent(
          platform::MouseEvent(input::kMouseMove, display.X, display.Y, 0));
      h.engine->ProcessStep();
      EXPECT_EQ(h.game->log, std::vector<std::string>{"Mouse 512 " + std::to_string(p.design.X) +
                                                      " " + std::to_string(p.design.Y) + " 0"});
      TPoint cursor;
      h.engine->GetCursorPos(cursor);
      EXPECT_EQ(cursor, (TPoint{p.design.X, p.design.Y}));
    }
  }
}

TEST(EngineVideo, CursorInABarIsPutBackAtThePictureEdge) {
  Video h({1280, 1024}, kModes);
  h.RunFullScreen(1024, 768, "yes");
  h.platform->headless.WarpCursor({640, 10});
  TPoint p;
  h.engine->GetCursorPos(p);
  EXPECT_EQ(p, (TPoint{512, 0}));
  EXPECT_EQ(h.platform->headless.CursorPosition(), (platform::Point{640, 32}));
  // Inside the picture nothing moves.
  h.platform->headless.WarpCursor({320, 512});
  h.engine->GetCursorPos(p);
  EXPECT_EQ(p, (TPoint{256, 384}));
  EXPECT_EQ(h.platform->headless.CursorPosition(), (platform::Point{320, 512}));
}

TEST(EngineVideo, WindowedCursorIsTheWindowsOwn) {
  Video h({1920, 1080}, kModes);
  h.engine->StartRunning();
  ASSERT_TRUE(h.StepFrame());
  EXPECT_EQ(h.platform->headless.Mode().mode, platform::PresentMode::Windowed);
  h.engine->SetCursorPos({30, 40});
  TPoint p;
  h.engine->GetCursorPos(p);
  EXPECT_EQ(p, (TPoint{30, 40}));
}

TEST(EngineVideo, EveryHideOfTheSystemCursorCounts) {
  EngineHarness h;
  ASSERT_TRUE(h.Start());
  platform::HeadlessPlatform& headless = h.platform->headless;
  h.engine->HideSystemCursor();
  EXPECT_FALSE(headless.CursorVisible());
  h.engine->HideSystemCursor();
  h.engine->ShowSystemCursor();
  EXPECT_FALSE(headless.CursorVisible());
  EXPECT_FALSE(h.engine->CursorWanted());
  h.engine->ShowSystemCursor();
  EXPECT_TRUE(headless.CursorVisible());
  h.engine->ShowSystemCursor();  // nested shows need as many hides
  h.engine->HideSystemCursor();
  EXPECT_TRUE(headless.CursorVisible());
}

TEST(EngineVideo, PixelFormatAndColourConversion) {
  EXPECT_EQ(TEngine::LowestSetBit(0xF800), 11);
  EXPECT_EQ(TEngine::HighestSetBit(0xF800), 15);
  EXPECT_EQ(TEngine::LowestSetBit(0), 255);
  EXPECT_EQ(TEngine::HighestSetBit(0), 255);
  Video h({1920, 1080}, kModes);
  EXPECT_EQ(h.engine->ColorToPixel(0xFF8040), 0u);  // no mode yet
  h.engine->StartRunning();
  ASSERT_TRUE(h.StepFrame());
  TPixelFormat format;
  h.engine->GetPixelFormat(format);
  EXPECT_EQ(format.RedShift, 16);
  EXPECT_EQ(format.RedWidth, 8);
  EXPECT_EQ(h.engine->ColorToPixel(0xFF8040), 0xFF8040u);
}
