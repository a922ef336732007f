// Scripts of input and checks: the parser's reading of each line, and the runner
// driving the headless backend against a fake engine.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Png.h"
#include "platform/Script.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace platform {
namespace {

TEST(ScriptParser, ReadsEveryCommand) {
  struct Case {
    const char* line;
    ScriptOp op;
    uint32_t milliseconds;
    Point point;
    ScriptButton button;
    uint32_t key;
    const char* text;
  };
  const Case cases[] = {
      {"wait 250", ScriptOp::Wait, 250, {}, ScriptButton::Left, 0, ""},
      {"wait-screen MainMenu",
       ScriptOp::WaitScreen,
       kDefaultScreenWait,
       {},
       ScriptButton::Left,
       0,
       "MainMenu"},
      {"wait-screen options 1500",
       ScriptOp::WaitScreen,
       1500,
       {},
       ScriptButton::Left,
       0,
       "options"},
      {"move 10 -20", ScriptOp::Move, 0, {10, -20}, ScriptButton::Left, 0, ""},
      {"click 512 384", ScriptOp::Click, 0, {512, 384}, ScriptButton::Left, 0, ""},
      {"click 1 2 right", ScriptOp::Click, 0, {1, 2}, ScriptButton::Right, 0, ""},
      {"  click\t3 4 left  ", ScriptOp::Click, 0, {3, 4}, ScriptButton::Left, 0, ""},
      {"press 5 6", ScriptOp::Press, 0, {5, 6}, ScriptButton::Left, 0, ""},
      {"release -7 8 right", ScriptOp::Release, 0, {-7, 8}, ScriptButton::Right, 0, ""},
      {"key 27", ScriptOp::Key, 0, {}, ScriptButton::Left, 27, ""},
      {"key 0x41", ScriptOp::Key, 0, {}, ScriptButton::Left, 0x41, ""},
      {"char Hello  world ", ScriptOp::Char, 0, {}, ScriptButton::Left, 0, "Hello  world"},
      {"char \xC3\xA9t\xC3\xA9", ScriptOp::Char, 0, {}, ScriptButton::Left, 0, "\xC3\xA9t\xC3\xA9"},
      {"screenshot out/menu one.PNG",
       ScriptOp::Screenshot,
       0,
       {},
       ScriptButton::Left,
       0,
       "out/menu one.PNG"},
      {"expect-screen game", ScriptOp::ExpectScreen, 0, {}, ScriptButton::Left, 0, "game"},
      {"close", ScriptOp::Close, 0, {}, ScriptButton::Left, 0, ""},
      {"quit", ScriptOp::Quit, 0, {}, ScriptButton::Left, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseScript(c.line, commands, error)) << error;
    ASSERT_EQ(commands.size(), 1u);
    const ScriptCommand& got = commands[0];
    EXPECT_EQ(got.op, c.op);
    EXPECT_EQ(got.line, 1);
    EXPECT_EQ(got.milliseconds, c.milliseconds);
    EXPECT_EQ(got.point, c.point);
    EXPECT_EQ(got.button, c.button);
    EXPECT_EQ(got.key, c.key);
    EXPECT_EQ(got.text, c.text);
  }
}

TEST(ScriptParser, SkipsBlankAndCommentLinesAndCountsThem) {
  std::vector<ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(ParseScript("# start\r\n\r\n   \nwait 1\r\n  # note\nquit", commands, error));
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].line, 4);
  EXPECT_EQ(commands[1].line, 6);
  ASSERT_TRUE(ParseScript("", commands, error));
  EXPECT_TRUE(commands.empty());
}

TEST(ScriptParser, BadLinesNameTheLineAndTheUsage) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"wait 1\njump 3", "line 2: unknown command \"jump\""},
      {"Wait 1", "line 1: unknown command \"Wait\""},
      {"wait", "line 1: expected \"wait MS\""},
      {"wait -5", "line 1: expected \"wait MS\""},
      {"wait 5ms", "line 1: expected \"wait MS\""},
      {"wait 99999999999", "line 1: expected \"wait MS\""},
      {"wait-screen", "line 1: expected \"wait-screen NAME [MS]\""},
      {"wait-screen a b", "line 1: expected \"wait-screen NAME [MS]\""},
      {"move 1", "line 1: expected \"move X Y\""},
      {"move 1 2 left", "line 1: expected \"move X Y\""},
      {"move 1 y", "line 1: expected \"move X Y\""},
      {"click 1 2 middle", "line 1: expected \"click X Y [left|right]\""},
      {"click 1 2 left 4", "line 1: expected \"click X Y [left|right]\""},
      {"click 1 99999999", "line 1: expected \"click X Y [left|right]\""},
      {"press 1", "line 1: expected \"press X Y [left|right]\""},
      {"release 1 2 middle", "line 1: expected \"release X Y [left|right]\""},
      {"key",
       "line 1: expected \"key [MOD+]VK (MOD: alt, ctrl or shift; VK: a virtual-key code from 1 to "
       "254)\""},
      {"key 0",
       "line 1: expected \"key [MOD+]VK (MOD: alt, ctrl or shift; VK: a virtual-key code from 1 to "
       "254)\""},
      {"key 300",
       "line 1: expected \"key [MOD+]VK (MOD: alt, ctrl or shift; VK: a virtual-key code from 1 to "
       "254)\""},
      {"key alt+",
       "line 1: expected \"key [MOD+]VK (MOD: alt, ctrl or shift; VK: a virtual-key code from 1 to "
       "254)\""},
      {"key meta+13",
       "line 1: expected \"key [MOD+]VK (MOD: alt, ctrl or shift; VK: a virtual-key code from 1 to "
       "254)\""},
      {"key alt++13",
       "line 1: expected \"key [MOD+]VK (MOD: alt, ctrl or shift; VK: a virtual-key code from 1 to "
       "254)\""},
      {"key 13+alt",
       "line 1: expected \"key [MOD+]VK (MOD: alt, ctrl or shift; VK: a virtual-key code from 1 to "
       "254)\""},
      {"key 0x",
       "line 1: expected \"key [MOD+]VK (MOD: alt, ctrl or shift; VK: a virtual-key code from 1 to "
       "254)\""},
      {"char", "line 1: expected \"char TEXT\""},
      {"char \xC3", "line 1: char: the text is not valid UTF-8"},
      {"char \xED\xA0\x80", "line 1: char: the text is not valid UTF-8"},  // a surrogate
      {"char \xC0\xAF", "line 1: char: the text is not valid UTF-8"},      // overlong
      {"screenshot", "line 1: expected \"screenshot FILE.png\""},
      {"screenshot shot.jpg", "line 1: expected \"screenshot FILE.png\""},
      {"screenshot .png", "line 1: expected \"screenshot FILE.png\""},
      {"expect-screen", "line 1: expected \"expect-screen NAME\""},
      {"quit now", "line 1: expected \"quit\""},
      {"close now", "line 1: expected \"close\""},
      {"seed", "line 1: expected \"seed N\""},
      {"seed -1", "line 1: expected \"seed N\""},
      {"seed 7 8", "line 1: expected \"seed N\""},
      {"seed 99999999999999999999", "line 1: expected \"seed N\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_FALSE(ParseScript(c.text, commands, error));
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(commands.empty());
  }
}

// The engine as the script sees it: a screen name, and design space twice as large as
// the window's coordinates.
class FakeHost : public ScriptHost {
 public:
  std::string TopScreenName() override { return screen; }
  Point DesignToWindow(Point design) override { return {design.X / 2, design.Y / 2}; }
  void Reseed(uint64_t seed) override { seeds.push_back(seed); }
  std::string screen = "logo";
  std::vector<uint64_t> seeds;
};

// Runs frames the way the engine does: handle every waiting event, present, step.
class ScriptRun {
 public:
  explicit ScriptRun(const std::string& text) {
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_TRUE(ParseScript(text, commands, error)) << error;
    platform.Create(false);
    runner =
        std::make_unique<ScriptRunner>(std::move(commands), platform, platform, platform, true);
  }
  // Runs up to max frames; true when the loop got the Quit event.
  bool Frames(int max) {
    uint32_t pixel = 0xFF00FF00;
    for (int i = 0; i < max; ++i) {
      Event e;
      while (platform.PollEvent(e)) {
        if (e.type == EventType::Quit) return true;
        events.push_back(e);
      }
      platform.Present({&pixel, 1, 1, 1, {}});
      runner->Step(host);
    }
    return false;
  }

  HeadlessPlatform platform;
  FakeHost host;
  std::unique_ptr<ScriptRunner> runner;
  std::vector<Event> events;
};

TEST(ScriptRunner, InputArrivesAsEventsInWindowCoordinates) {
  ScriptRun run("click 100 60\nclick 10 20 right\nmove 4 6\nkey 13\nkey 65\nchar a\xC3\xA9\nquit");
  ASSERT_TRUE(run.Frames(20));
  struct Expected {
    uint32_t message, key, data;
    int32_t x, y;
    uint32_t flags;
  };
  const uint32_t up = kKeyRepeatOne | kKeyWasDown | kKeyReleased;
  const Expected expected[] = {
      {512, 0, 0, 50, 30, 0},
      {513, 0, 0, 50, 30, kMouseFlagLeft},
      {514, 0, 0, 50, 30, 0},
      {512, 0, 0, 5, 10, 0},
      {516, 0, 0, 5, 10, kMouseFlagRight},
      {517, 0, 0, 5, 10, 0},
      {512, 0, 0, 2, 3, 0},
      {256, 13, 1, 0, 0, 0},
      {258, 13, 1, 0, 0, 0},
      {257, 13, up, 0, 0, 0},
      {256, 65, 1, 0, 0, 0},
      {257, 65, up, 0, 0, 0},
      {258, 'a', 1, 0, 0, 0},
      {258, 0xE9, 1, 0, 0, 0},
  };
  ASSERT_EQ(run.events.size(), std::size(expected));
  for (size_t i = 0; i < run.events.size(); ++i) {
    SCOPED_TRACE(i);
    const Event& e = run.events[i];
    EXPECT_EQ(e.message, expected[i].message);
    EXPECT_EQ(e.key, expected[i].key);
    EXPECT_EQ(e.keyData, expected[i].data);
    if (e.type == EventType::Mouse) {
      EXPECT_EQ((Point{e.x, e.y}), (Point{expected[i].x, expected[i].y}));
      EXPECT_EQ(e.mouseFlags, expected[i].flags);
    }
  }
  // The pointer itself went along, for what reads its position.
  EXPECT_EQ(run.platform.CursorPosition(), (Point{2, 3}));
  EXPECT_TRUE(run.runner->Finished());
  EXPECT_FALSE(run.runner->Failed());
}

// A drag: the button goes down at the first point and up at the last; the moves between
// carry the held button.
TEST(ScriptRunner, PressAndReleaseMakeADrag) {
  ScriptRun run("press 10 20\nmove 30 20\nrelease 40 24\nmove 50 20\nquit");
  ASSERT_TRUE(run.Frames(20));
  struct Expected {
    uint32_t message;
    int32_t x, y;
    uint32_t flags;
  };
  const Expected expected[] = {
      {512, 5, 10, 0},
      {513, 5, 10, kMouseFlagLeft},
      {512, 15, 10, kMouseFlagLeft},
      {512, 20, 12, kMouseFlagLeft},
      {514, 20, 12, 0},
      {512, 25, 10, 0},
  };
  ASSERT_EQ(run.events.size(), std::size(expected));
  for (size_t i = 0; i < run.events.size(); ++i) {
    SCOPED_TRACE(i);
    const Event& e = run.events[i];
    EXPECT_EQ(e.message, expected[i].message);
    EXPECT_EQ((Point{e.x, e.y}), (Point{expected[i].x, expected[i].y}));
    EXPECT_EQ(e.mouseFlags, expected[i].flags);
  }
}

TEST(ScriptRunner, KeysWithModifiersComeAsAKeyboardSendsThem) {
  const uint32_t up = kKeyRepeatOne | kKeyWasDown | kKeyReleased;
  const uint32_t alt = input::kAltBit;
  struct Expected {
    uint32_t message, key, data;
  };
  struct Case {
    const char* line;
    uint8_t modifiers;
    std::vector<Expected> events;
  } cases[] = {
      // Alt+Enter: a character message whose data is exactly the Alt bit.
      {"key alt+0x0D",
       kScriptAlt,
       {{256, 18, 1 | alt},
        {256, 13, 1 | alt},
        {258, 13, alt},
        {257, 13, up | alt},
        {257, 18, up}}},
      {"key ALT+70",
       kScriptAlt,
       {{256, 18, 1 | alt},
        {256, 70, 1 | alt},
        {258, 'f', alt},
        {257, 70, up | alt},
        {257, 18, up}}},
      {"key shift+alt+0x46",
       kScriptAlt | kScriptShift,
       {{256, 16, 1},
        {256, 18, 1 | alt},
        {256, 70, 1 | alt},
        {258, 'F', alt},
        {257, 70, up | alt},
        {257, 18, up},
        {257, 16, up}}},
      // Keys that type nothing with Alt send only their key messages.
      {"key alt+115",
       kScriptAlt,
       {{256, 18, 1 | alt}, {256, 115, 1 | alt}, {257, 115, up | alt}, {257, 18, up}}},
      {"key ctrl+65", kScriptControl, {{256, 17, 1}, {256, 65, 1}, {257, 65, up}, {257, 17, up}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ScriptRun run(std::string(c.line) + "\nquit");
    ASSERT_TRUE(run.Frames(5));
    ASSERT_EQ(run.events.size(), c.events.size());
    for (size_t i = 0; i < c.events.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(run.events[i].message, c.events[i].message);
      EXPECT_EQ(run.events[i].key, c.events[i].key);
      EXPECT_EQ(run.events[i].keyData, c.events[i].data);
    }
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(ParseScript(c.line, commands, error));
    EXPECT_EQ(commands[0].modifiers, c.modifiers);
  }
}

TEST(ScriptRunner, CloseAsksAsTheWindowsCloseButtonDoes) {
  ScriptRun run("close\nwait 20\nquit");
  ASSERT_TRUE(run.Frames(20));
  ASSERT_EQ(run.events.size(), 1u);
  EXPECT_EQ(run.events[0].type, EventType::CloseRequest);
}

TEST(ScriptRunner, WaitsCountPlatformTime) {
  ScriptRun run("wait 100\nquit");
  ASSERT_TRUE(run.Frames(100));
  // 8 ms a frame: the wait ends on the first step at least 100 ms after it began.
  EXPECT_GE(run.platform.Milliseconds(), 100u);
  EXPECT_LE(run.platform.Milliseconds(), 100u + 3 * HeadlessPlatform::kDefaultFrameInterval);
}

TEST(ScriptRunner, SeedReseedsThroughTheHostInOrder) {
  ScriptRun run("seed 7\nwait 20\nseed 0\nseed 18446744073709551\nquit");
  ASSERT_TRUE(run.Frames(20));
  EXPECT_EQ(run.host.seeds, (std::vector<uint64_t>{7, 0, 18446744073709551u}));
}

TEST(ScriptRunner, WaitScreenWaitsForTheScreenWithoutCase) {
  ScriptRun run("wait-screen MainMenu 1000\nexpect-screen mainmenu\nquit");
  EXPECT_FALSE(run.Frames(10));
  run.host.screen = "mainMENU";
  EXPECT_TRUE(run.Frames(3));
  EXPECT_FALSE(run.runner->Failed());
}

TEST(ScriptRunner, FailedChecksEndTheRunWithTheirLine) {
  struct Case {
    const char* script;
    const char* failure;
  };
  const Case cases[] = {
      {"wait 1\nexpect-screen menu\nquit",
       "script line 2: expected screen \"menu\", top is \"logo\""},
      {"wait-screen menu 80\nquit",
       "script line 1: screen \"menu\" not on top after 80 ms (top: \"logo\")"},
      {"screenshot /nonexistent-folder/x.png",
       "script line 1: screenshot: cannot write /nonexistent-folder/x.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    ScriptRun run(c.script);
    ASSERT_TRUE(run.Frames(50));
    EXPECT_TRUE(run.runner->Failed());
    EXPECT_EQ(run.runner->Failure().substr(0, std::string(c.failure).size()), c.failure);
  }
}

TEST(ScriptRunner, EndOfScriptQuitsOnlyWhenAsked) {
  ScriptRun run("wait 1");
  EXPECT_TRUE(run.Frames(5));
  EXPECT_TRUE(run.runner->Finished());
  // A player's backend keeps running after the script.
  HeadlessPlatform p;
  FakeHost host;
  ScriptRunner runner({}, p, p, p, false);
  runner.Step(host);
  EXPECT_TRUE(runner.Finished());
  Event e;
  EXPECT_FALSE(p.PollEvent(e));
}

TEST(ScriptRunner, ScreenshotWritesTheLastFrame) {
  TempFolder folder;
  ScriptRun run("wait 20\nscreenshot " + (folder / "shot.png") + "\nquit");
  ASSERT_TRUE(run.Frames(20));
  ASSERT_FALSE(run.runner->Failed()) << run.runner->Failure();
  PngImage image;
  std::string error;
  ASSERT_TRUE(ReadPng(folder / "shot.png", image, error)) << error;
  ASSERT_EQ(image.width, 1);
  EXPECT_EQ(image.At(0, 0), 0xFF00FF00u);
}

}  // namespace
}  // namespace platform
