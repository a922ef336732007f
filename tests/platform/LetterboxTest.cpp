// Fitting a frame onto an output of another size and mapping the pointer both ways.
#include <gtest/gtest.h>

#include "platform/Letterbox.h"

namespace platform {
namespace {

TEST(Letterbox, FitKeepsTheFrameProportionsCentred) {
  struct Case {
    Size frame, output;
    Rect expected;
  };
  const Case cases[] = {
      {{1024, 768}, {1920, 1080}, {240, 0, 1680, 1080}},  // bars left and right
      {{1024, 768}, {1280, 1024}, {0, 32, 1280, 992}},    // bars top and bottom
      {{1024, 768}, {1024, 768}, {0, 0, 1024, 768}},      // same size: no bars
      {{1024, 768}, {800, 600}, {0, 0, 800, 600}},        // same shape, smaller
      {{1366, 768}, {1024, 768}, {0, 96, 1024, 672}},     // wide frame on 4:3 (575.8 rounds up)
      {{1024, 768}, {1366, 768}, {171, 0, 1195, 768}},    // odd bar: the extra pixel goes right
      {{0, 768}, {1920, 1080}, {}},                       // empty frame
      {{1024, 768}, {0, 0}, {}},                          // no output
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.frame.Width << "x" << c.frame.Height << " on "
                                    << c.output.Width << "x" << c.output.Height);
    EXPECT_EQ(FitRect(c.frame, c.output), c.expected);
  }
}

TEST(Letterbox, PointerMapsIntoTheFrameAndOutOfTheBars) {
  const Size frame{1024, 768};
  const Rect dest{240, 0, 1680, 1080};
  struct Case {
    Point output;
    bool clamp;
    Point expected;
  };
  const Case cases[] = {
      {{240, 0}, true, {0, 0}},           // the picture's corner
      {{1679, 1079}, true, {1023, 767}},  // its last pixel
      {{960, 540}, true, {512, 384}},     // the middle
      {{0, 540}, true, {0, 384}},         // left bar: the left edge
      {{1919, 540}, true, {1023, 384}},   // right bar: the right edge
      {{-50, -50}, true, {0, 0}},         // off the output
      {{0, 540}, false, {-171, 384}},     // unclamped: outside the frame, rounding down
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.output.X << "," << c.output.Y);
    EXPECT_EQ(OutputToFrame(c.output, dest, frame, c.clamp), c.expected);
  }
}

TEST(Letterbox, FramePixelsSurviveTheRoundTrip) {
  struct Case {
    Size frame, output;
  };
  const Case cases[] = {{{1024, 768}, {1920, 1080}},
                        {{1024, 768}, {1280, 1024}},
                        {{640, 480}, {641, 481}},
                        {{800, 600}, {800, 600}}};
  for (const Case& c : cases) {
    Rect dest = FitRect(c.frame, c.output);
    for (int32_t x = 0; x < c.frame.Width; x += 7) {
      for (int32_t y = 0; y < c.frame.Height; y += 5) {
        Point out = FrameToOutput({x, y}, dest, c.frame);
        ASSERT_TRUE(out.X >= dest.Left && out.X < dest.Right && out.Y >= dest.Top &&
                    out.Y < dest.Bottom);
        ASSERT_EQ(OutputToFrame(out, dest, c.frame, true), (Point{x, y}));
      }
    }
  }
}

// The 1024 x 768 window over common desktops, bare (no window manager: the whole
// display, no borders) and with a manager (a 32-pixel panel along the top, a 24-pixel
// title bar and one-pixel edges). Rows whose window fits show the window exactly as it
// opens at its own size; the others, scaled to the largest 4:3 size the area holds.
TEST(Letterbox, WindowsOpenWhollyOnTheUsableArea) {
  const Size frame{1024, 768};
  const Borders bare{}, framed{1, 24, 1, 1};
  struct Case {
    Size desktop;
    bool managed;
    Rect client;  // on the desktop
    // A design point in the window and back: the middle and the last pixel.
    Point middleInWindow, lastInWindow;
  };
  const Case cases[] = {
      {{640, 480}, false, {0, 0, 640, 480}, {320, 240}, {639, 479}},
      {{640, 480}, true, {38, 56, 602, 479}, {282, 211}, {563, 422}},
      {{1024, 600}, false, {112, 0, 912, 600}, {400, 300}, {799, 599}},
      {{1024, 600}, true, {150, 56, 874, 599}, {362, 271}, {723, 542}},
      {{1280, 720}, false, {160, 0, 1120, 720}, {480, 360}, {959, 719}},
      {{1280, 720}, true, {198, 56, 1082, 719}, {442, 331}, {883, 662}},
      {{1366, 768}, false, {171, 0, 1195, 768}, {512, 384}, {1023, 767}},
      {{1366, 768}, true, {209, 56, 1157, 767}, {474, 355}, {947, 710}},
      {{1920, 1080}, false, {448, 156, 1472, 924}, {512, 384}, {1023, 767}},
      {{1920, 1080}, true, {448, 156, 1472, 924}, {512, 384}, {1023, 767}},
      {{2560, 1440}, false, {768, 336, 1792, 1104}, {512, 384}, {1023, 767}},
      {{2560, 1440}, true, {768, 336, 1792, 1104}, {512, 384}, {1023, 767}},
      {{1080, 1920}, false, {28, 576, 1052, 1344}, {512, 384}, {1023, 767}},
      {{1080, 1920}, true, {28, 576, 1052, 1344}, {512, 384}, {1023, 767}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.desktop.Width << "x" << c.desktop.Height
                                    << (c.managed ? " with a panel" : " bare"));
    const Rect display{0, 0, c.desktop.Width, c.desktop.Height};
    const Rect usable = c.managed ? Rect{0, 32, c.desktop.Width, c.desktop.Height} : display;
    const Borders& borders = c.managed ? framed : bare;
    WindowPlacement p = PlaceWindow(frame, display, usable, borders);
    EXPECT_EQ(p.client, c.client);
    // The window and its borders lie on the usable area.
    EXPECT_GE(p.client.Left - borders.Left, usable.Left);
    EXPECT_GE(p.client.Top - borders.Top, usable.Top);
    EXPECT_LE(p.client.Right + borders.Right, usable.Right);
    EXPECT_LE(p.client.Bottom + borders.Bottom, usable.Bottom);
    // The picture fills the window: no bars.
    EXPECT_EQ(p.picture, (Rect{0, 0, c.client.Width(), c.client.Height()}));
    EXPECT_EQ(p.scaled, c.client.Width() != 1024);
    EXPECT_EQ(FrameToOutput({512, 384}, p.picture, frame), c.middleInWindow);
    EXPECT_EQ(FrameToOutput({1023, 767}, p.picture, frame), c.lastInWindow);
    EXPECT_EQ(OutputToFrame(c.middleInWindow, p.picture, frame, false), (Point{512, 384}));
    EXPECT_EQ(OutputToFrame(c.lastInWindow, p.picture, frame, false), (Point{1023, 767}));
  }
}

TEST(Letterbox, AFittingWindowIsMovedOnlyOffPanelsAndOutOfCorners) {
  const Size frame{1024, 768};
  const Borders framed{1, 24, 1, 1};
  struct Case {
    const char* name;
    Rect display, usable;
    Rect client;
  };
  const Case cases[] = {
      // Centred on the display, its title bar would sit under a 200-pixel panel.
      {"tall panel", {0, 0, 1280, 1024}, {0, 200, 1280, 1024}, {128, 224, 1152, 992}},
      // A dock on the left of a display that is the second of two.
      {"dock, second display", {1920, 0, 3286, 820}, {2100, 0, 3286, 820}, {2101, 26, 3125, 794}},
      // A usable area that holds the window only to the pixel.
      {"exact", {0, 0, 1026, 793}, {0, 0, 1026, 793}, {1, 24, 1025, 792}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowPlacement p = PlaceWindow(frame, c.display, c.usable, framed);
    EXPECT_EQ(p.client, c.client);
    EXPECT_FALSE(p.scaled);
  }
}

TEST(Letterbox, NoRoomStillGivesAWindow) {
  WindowPlacement p = PlaceWindow({1024, 768}, {0, 0, 20, 20}, {0, 0, 20, 20}, {1, 24, 1, 1});
  EXPECT_EQ(p.client, (Rect{9, 24, 10, 25}));
  EXPECT_FALSE(p.picture.Empty());
}

TEST(Letterbox, NoDestinationLeavesPointsAlone) {
  EXPECT_EQ(OutputToFrame({5, 6}, {}, {1024, 768}, true), (Point{5, 6}));
  EXPECT_EQ(FrameToOutput({5, 6}, {0, 0, 10, 10}, {0, 0}), (Point{5, 6}));
}

}  // namespace
}  // namespace platform
