// The SDL backend's translation of keyboard, text, mouse and window events into the
// messages, key codes, characters and flags the game tests.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Letterbox.h"
#include "platform/sdl/SdlInput.h"

namespace platform {
namespace {

std::vector<Event> Drain(EventQueue& queue) {
  std::vector<Event> events;
  Event e;
  while (queue.Pop(e)) events.push_back(e);
  return events;
}

SDL_Event Key(Uint32 type, SDL_Keycode key, SDL_Scancode scancode, Uint16 mod, Uint8 repeat = 0) {
  SDL_Event e{};
  e.type = type;
  e.key.type = type;
  e.key.keysym.sym = key;
  e.key.keysym.scancode = scancode;
  e.key.keysym.mod = mod;
  e.key.repeat = repeat;
  return e;
}

struct Message {
  uint32_t message;
  uint32_t key;
  uint32_t keyData;
};

TEST(SdlInput, KeysGiveVirtualKeyCodesAndCharacters) {
  struct Case {
    const char* name;
    SDL_Event event;
    std::vector<Message> expected;
  };
  const uint32_t up = kKeyRepeatOne | kKeyWasDown | kKeyReleased;
  const Case cases[] = {
      {"letter down gives only the key (text comes separately)",
       Key(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A, 0),
       {{256, 'A', 1}}},
      {"letter up", Key(SDL_KEYUP, SDLK_q, SDL_SCANCODE_Q, 0), {{257, 'Q', up}}},
      {"repeated key-down says the key was down",
       Key(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT, 0, 1),
       {{256, 37, 1 | kKeyWasDown}}},
      {"Escape types character 27",
       Key(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0),
       {{256, 27, 1}, {258, 27, 1}}},
      {"Backspace types character 8",
       Key(SDL_KEYDOWN, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0),
       {{256, 8, 1}, {258, 8, 1}}},
      {"Tab types character 9",
       Key(SDL_KEYDOWN, SDLK_TAB, SDL_SCANCODE_TAB, 0),
       {{256, 9, 1}, {258, 9, 1}}},
      {"keypad Enter is Enter",
       Key(SDL_KEYDOWN, SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0),
       {{256, 13, 1}, {258, 13, 1}}},
      {"Escape up types nothing",
       Key(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0),
       {{257, 27, up}}},
      {"Alt+Enter is character 13 with exactly the Alt bit",
       Key(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT),
       {{256, 13, 1 | input::kAltBit}, {258, 13, input::kAltBit}}},
      {"Alt+f types f with the Alt bit",
       Key(SDL_KEYDOWN, SDLK_f, SDL_SCANCODE_F, KMOD_LALT),
       {{256, 'F', 1 | input::kAltBit}, {258, 'f', input::kAltBit}}},
      {"Alt+Shift+r types R",
       Key(SDL_KEYDOWN, SDLK_r, SDL_SCANCODE_R, KMOD_LALT | KMOD_LSHIFT),
       {{256, 'R', 1 | input::kAltBit}, {258, 'R', input::kAltBit}}},
      {"Alt+F4 types nothing",
       Key(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT),
       {{256, 115, 1 | input::kAltBit}}},
      {"right Alt (AltGr) is not the Alt of shortcuts",
       Key(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q, KMOD_RALT),
       {{256, 'Q', 1}}},
      {"F12", Key(SDL_KEYDOWN, SDLK_F12, SDL_SCANCODE_F12, 0), {{256, 123, 1}}},
      {"Home", Key(SDL_KEYDOWN, SDLK_HOME, SDL_SCANCODE_HOME, 0), {{256, 36, 1}}},
      {"keypad 7", Key(SDL_KEYDOWN, SDLK_KP_7, SDL_SCANCODE_KP_7, 0), {{256, 103, 1}}},
      {"French number row: the key's place gives the digit",
       Key(SDL_KEYDOWN, SDLK_AMPERSAND, SDL_SCANCODE_1, 0),
       {{256, '1', 1}}},
      {"letter of a non-Latin layout: the key's place gives the letter",
       Key(SDL_KEYDOWN, 0x0444, SDL_SCANCODE_A, 0),
       {{256, 'A', 1}}},
      {"punctuation", Key(SDL_KEYDOWN, SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, 0), {{256, 186, 1}}},
      {"either Shift is 16",
       Key(SDL_KEYDOWN, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT),
       {{256, 16, 1}}},
      {"a key without a code gives nothing",
       Key(SDL_KEYDOWN, SDLK_AUDIONEXT, SDL_SCANCODE_AUDIONEXT, 0),
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InputContext context;
    context.modifiers = c.event.key.keysym.mod;
    EventQueue queue;
    TranslateSdlEvent(c.event, context, queue);
    std::vector<Event> events = Drain(queue);
    ASSERT_EQ(events.size(), c.expected.size());
    for (size_t i = 0; i < events.size(); ++i) {
      EXPECT_EQ(events[i].type, EventType::Key);
      EXPECT_EQ(events[i].message, c.expected[i].message);
      EXPECT_EQ(events[i].key, c.expected[i].key);
      EXPECT_EQ(events[i].keyData, c.expected[i].keyData);
    }
  }
}

SDL_Event Text(const char* utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
  return e;
}

TEST(SdlInput, TextBecomesOneCharacterMessagePerCharacter) {
  InputContext context;
  EventQueue queue;
  TranslateSdlEvent(Text("a\xC3\xA9\xE2\x82\xAC"), context, queue);  // a, e acute, euro
  std::vector<Event> events = Drain(queue);
  ASSERT_EQ(events.size(), 3u);
  const uint32_t codes[] = {'a', 0xE9, 0x20AC};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(events[i].message, input::kChar);
    EXPECT_EQ(events[i].key, codes[i]);
    EXPECT_EQ(events[i].keyData, kKeyRepeatOne);
  }
  // With left Alt held the key-down has typed the character already.
  context.modifiers = KMOD_LALT;
  TranslateSdlEvent(Text("f"), context, queue);
  EXPECT_TRUE(queue.Empty());
  // Malformed text stops at the bad byte and never reads past the text.
  context.modifiers = 0;
  TranslateSdlEvent(Text("x\xC3"), context, queue);
  EXPECT_EQ(Drain(queue).size(), 1u);
}

SDL_Event Button(Uint32 type, Uint8 button, Uint8 clicks, Sint32 x, Sint32 y) {
  SDL_Event e{};
  e.type = type;
  e.button.type = type;
  e.button.button = button;
  e.button.clicks = clicks;
  e.button.x = x;
  e.button.y = y;
  return e;
}

SDL_Event Motion(Sint32 x, Sint32 y, Uint32 state) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  e.motion.state = state;
  return e;
}

TEST(SdlInput, MouseMessagesAndFlags) {
  struct Case {
    const char* name;
    bool doubleClicks;
    SDL_Event event;
    uint32_t message;
    uint32_t flags;
  };
  const Case cases[] = {
      {"move", false, Motion(5, 6, 0), 512, 0},
      {"move dragging left", false, Motion(5, 6, SDL_BUTTON_LMASK), 512, kMouseFlagLeft},
      {"left down", false, Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 5, 6), 513,
       kMouseFlagLeft},
      {"left up", false, Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 5, 6), 514, 0},
      {"right down", false, Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 5, 6), 516,
       kMouseFlagRight},
      {"right up", false, Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 5, 6), 517, 0},
      {"middle down", false, Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 5, 6), 519,
       kMouseFlagMiddle},
      {"middle up", false, Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1, 5, 6), 520, 0},
      {"second click without double clicks is a press", false,
       Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2, 5, 6), 513, kMouseFlagLeft},
      {"second click with double clicks", true,
       Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2, 5, 6), 515, kMouseFlagLeft},
      {"third click is a press again", true, Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 3, 5, 6),
       513, kMouseFlagLeft},
      {"right double click", true, Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 2, 5, 6), 518,
       kMouseFlagRight},
      {"middle double click", true, Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 2, 5, 6), 521,
       kMouseFlagMiddle},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InputContext context;
    context.doubleClicks = c.doubleClicks;
    EventQueue queue;
    TranslateSdlEvent(c.event, context, queue);
    std::vector<Event> events = Drain(queue);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, EventType::Mouse);
    EXPECT_EQ(events[0].message, c.message);
    EXPECT_EQ(events[0].mouseFlags, c.flags);
    EXPECT_EQ(events[0].x, 5);
    EXPECT_EQ(events[0].y, 6);
  }
}

TEST(SdlInput, ButtonsHeldAndModifiersReachTheFlags) {
  InputContext context;
  EventQueue queue;
  TranslateSdlEvent(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 0, 0), context, queue);
  context.modifiers = KMOD_LSHIFT | KMOD_RCTRL;
  TranslateSdlEvent(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 0, 0), context, queue);
  TranslateSdlEvent(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 0, 0), context, queue);
  TranslateSdlEvent(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 0, 0), context, queue);
  std::vector<Event> events = Drain(queue);
  ASSERT_EQ(events.size(), 3u);  // side buttons have no message
  EXPECT_EQ(events[0].mouseFlags, kMouseFlagLeft);
  EXPECT_EQ(events[1].mouseFlags,
            kMouseFlagLeft | kMouseFlagRight | kMouseFlagShift | kMouseFlagControl);
  EXPECT_EQ(events[2].mouseFlags, kMouseFlagRight | kMouseFlagShift | kMouseFlagControl);
}

TEST(SdlInput, ScaledFullScreenMapsThePointerIntoTheFrame) {
  // A 1024 x 768 frame fitted to a 1920 x 1080 desktop: 1440 x 1080 from x = 240.
  InputContext context;
  context.pointer.scaled = context.pointer.clamp = true;
  context.pointer.dest = {240, 0, 1680, 1080};
  context.pointer.frame = {1024, 768};
  EventQueue queue;
  TranslateSdlEvent(Motion(960, 540, 0), context, queue);
  TranslateSdlEvent(Motion(100, 10, 0), context, queue);     // in the left bar
  TranslateSdlEvent(Motion(1919, 1079, 0), context, queue);  // in the right bar
  std::vector<Event> events = Drain(queue);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ((Point{events[0].x, events[0].y}), (Point{512, 384}));
  EXPECT_EQ((Point{events[1].x, events[1].y}), (Point{0, 7}));
  EXPECT_EQ((Point{events[2].x, events[2].y}), (Point{1023, 767}));
}

TEST(SdlInput, APointerPutInAShrunkWindowReportsThePointItWasSentTo) {
  // A 1024 x 768 frame in a 960 x 720 window: frame pixel 7 shares window pixel 7 with
  // frame pixel 8, which the window pixel's centre maps back to.
  PointerMap map;
  map.scaled = true;
  map.dest = {0, 0, 960, 720};
  map.frame = {1024, 768};
  Point output = FrameToOutput({7, 7}, map.dest, map.frame);
  EXPECT_EQ(output, (Point{7, 7}));
  EXPECT_EQ(MapPointer(map, output), (Point{8, 8}));
  map.pinned = true;
  map.pinnedOutput = output;
  map.pinnedFrame = {7, 7};
  EXPECT_EQ(MapPointer(map, output), (Point{7, 7}));
  EXPECT_EQ(MapPointer(map, {7, 8}), (Point{8, 9})) << "elsewhere the scaling alone";
}

TEST(SdlInput, WindowEventsAndCloseRequest) {
  struct Case {
    Uint32 type;
    Uint8 windowEvent;
    EventType expected;
  };
  const Case cases[] = {
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED, EventType::FocusGained},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST, EventType::FocusLost},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_MINIMIZED, EventType::Minimised},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_RESTORED, EventType::Restored},
      {SDL_QUIT, 0, EventType::CloseRequest},
      {SDL_RENDER_DEVICE_RESET, 0, EventType::VideoReset},
  };
  for (const Case& c : cases) {
    SDL_Event e{};
    e.type = c.type;
    e.window.event = c.windowEvent;
    InputContext context;
    EventQueue queue;
    TranslateSdlEvent(e, context, queue);
    std::vector<Event> events = Drain(queue);
    ASSERT_EQ(events.size(), 1u) << c.type;
    EXPECT_EQ(events[0].type, c.expected);
  }
  SDL_Event moved{};
  moved.type = SDL_WINDOWEVENT;
  moved.window.event = SDL_WINDOWEVENT_MOVED;
  InputContext context;
  EventQueue queue;
  TranslateSdlEvent(moved, context, queue);
  EXPECT_TRUE(queue.Empty());
}

TEST(SdlInput, TrueColourModesAre32Bit) {
  EXPECT_EQ(ModeBitsPerPixel(SDL_PIXELFORMAT_RGB888), 32);  // what X11 reports as 24-bit
  EXPECT_EQ(ModeBitsPerPixel(SDL_PIXELFORMAT_ARGB8888), 32);
  EXPECT_EQ(ModeBitsPerPixel(SDL_PIXELFORMAT_RGB24), 32);
  EXPECT_EQ(ModeBitsPerPixel(SDL_PIXELFORMAT_RGB565), 16);
  EXPECT_EQ(ModeBitsPerPixel(SDL_PIXELFORMAT_INDEX8), 8);
}

}  // namespace
}  // namespace platform
