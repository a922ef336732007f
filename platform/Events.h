#pragma once
// What the window reports to the engine, one event at a time. Key and mouse events
// carry the message numbers, virtual-key codes and flags of InputConstants.h, so game
// code tests the same numbers whatever the backend.

#include <cstdint>

#include "platform/InputConstants.h"

namespace platform {

enum class EventType : uint8_t {
  Quit,          // the loop must end (after a quit request or a granted close)
  CloseRequest,  // the player asks to close the window; the engine asks the game first
  FocusGained,   // the window got the keyboard focus (activation)
  FocusLost,     // the window lost it (deactivation)
  Minimised,     // the window was minimised
  Restored,      // the window came back from being minimised
  VideoReset,    // the display lost its picture state: set the video mode up again
  Key,           // message kKeyDown, kKeyUp or kChar
  Mouse,         // message kMouseMove .. kMiddleButtonDoubleClick
};

// Button and modifier flags of a mouse event, the key state the game is handed.
constexpr uint32_t kMouseFlagLeft = 0x01;
constexpr uint32_t kMouseFlagRight = 0x02;
constexpr uint32_t kMouseFlagShift = 0x04;
constexpr uint32_t kMouseFlagControl = 0x08;
constexpr uint32_t kMouseFlagMiddle = 0x10;

// Bits of a key event's key data besides input::kAltBit: the repeat count is 1 in the
// low word; a repeated key-down has kKeyWasDown; a key-up has both high bits.
constexpr uint32_t kKeyRepeatOne = 0x00000001;
constexpr uint32_t kKeyWasDown = 0x40000000;
constexpr uint32_t kKeyReleased = 0x80000000;

struct Event {
  EventType type = EventType::Quit;
  // Key and mouse events: the message number.
  uint32_t message = 0;
  // Key events: the virtual-key code (kKeyDown, kKeyUp) or the Unicode character
  // (kChar; also 8, 9, 13 and 27 for Backspace, Tab, Enter and Escape).
  uint32_t key = 0;
  // Key events: the key data. A character typed with Alt held has exactly input::kAltBit.
  uint32_t keyData = 0;
  // Mouse events: kMouseFlag* bits, the buttons and modifiers held after the event.
  uint32_t mouseFlags = 0;
  // Mouse events: the pointer, in frame pixels in a window and in 4:3 full screen (the
  // platform undoes its own scaling), in desktop pixels in wide full screen.
  int32_t x = 0;
  int32_t y = 0;
};

// Backspace, Tab, Enter and Escape type a character too, whose code is the key's own.
inline bool KeyTypesControlCharacter(uint32_t virtualKey) {
  return virtualKey == input::kVkBack || virtualKey == input::kVkTab ||
         virtualKey == input::kVkReturn || virtualKey == input::kVkEscape;
}

inline Event KeyEvent(uint32_t message, uint32_t key, uint32_t keyData) {
  Event e;
  e.type = EventType::Key;
  e.message = message;
  e.key = key;
  e.keyData = keyData;
  return e;
}

inline Event MouseEvent(uint32_t message, int32_t x, int32_t y, uint32_t flags) {
  Event e;
  e.type = EventType::Mouse;
  e.message = message;
  e.x = x;
  e.y = y;
  e.mouseFlags = flags;
  return e;
}

inline Event PlainEvent(EventType type) {
  Event e;
  e.type = type;
  return e;
}

}  // namespace platform
