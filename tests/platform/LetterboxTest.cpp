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

TEST(Letterbox, NoDestinationLeavesPointsAlone) {
  EXPECT_EQ(OutputToFrame({5, 6}, {}, {1024, 768}, true), (Point{5, 6}));
  EXPECT_EQ(FrameToOutput({5, 6}, {0, 0, 10, 10}, {0, 0}), (Point{5, 6}));
}

}  // namespace
}  // namespace platform
