// When a frame reaches the display: a still frame costs nothing, a changed one sends only
// its rectangles, and a window that lost its picture or a new mode is drawn again.
#include <gtest/gtest.h>

#include <vector>

#include "platform/PresentSchedule.h"

namespace platform {
namespace {

TEST(PresentSchedule, StillFramesAreNotShownUntilSomethingChanges) {
  enum Before { None, Whole, Repaint };
  struct Case {
    const char* name;
    Before before;
    std::vector<Rect> dirty;
    PresentPlan expected;
  };
  const Case cases[] = {
      {"nothing dirty", None, {}, {false, false, false}},
      {"dirty only outside the frame", None, {{-9, 0, 0, 5}, {20, 0, 30, 5}}, {false, false, false}},
      {"an empty rectangle", None, {{3, 3, 3, 7}}, {false, false, false}},
      {"a dirty rectangle", None, {{2, 2, 4, 4}}, {false, true, true}},
      {"a rectangle partly inside", None, {{-5, -5, 1, 1}}, {false, true, true}},
      {"exposed, nothing dirty", Repaint, {}, {false, false, true}},
      {"exposed and dirty", Repaint, {{0, 0, 1, 1}}, {false, true, true}},
      {"a new mode, nothing dirty", Whole, {}, {true, false, true}},
      {"a new mode and dirty", Whole, {{0, 0, 1, 1}}, {true, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PresentSchedule schedule;
    std::vector<uint32_t> pixels(10 * 8);
    Frame frame{pixels.data(), 10, 8, 10, {}};
    schedule.Take(frame);  // the first frame goes whole
    if (c.before == Whole) schedule.SendWholeNext();
    if (c.before == Repaint) schedule.RepaintNext();
    frame.dirty = c.dirty;
    PresentPlan plan = schedule.Take(frame);
    EXPECT_EQ(plan.sendWhole, c.expected.sendWhole);
    EXPECT_EQ(plan.sendDirty, c.expected.sendDirty);
    EXPECT_EQ(plan.show, c.expected.show);
    // What was owed is done: the same still frame again shows nothing.
    frame.dirty = {};
    PresentPlan after = schedule.Take(frame);
    EXPECT_FALSE(after.show || after.sendWhole || after.sendDirty);
  }
}

TEST(PresentSchedule, TheFirstFrameGoesWhole) {
  PresentSchedule schedule;
  std::vector<uint32_t> pixels(4);
  PresentPlan plan = schedule.Take({pixels.data(), 2, 2, 2, {}});
  EXPECT_TRUE(plan.sendWhole);
  EXPECT_TRUE(plan.show);
}

}  // namespace
}  // namespace platform
