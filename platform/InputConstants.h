#pragma once
// Message numbers, virtual-key codes and flags that game code tests as numbers. Every
// platform backend translates its events into these, so game code never sees a backend.

#include <cstdint>

namespace input {

// Keyboard messages.
constexpr uint32_t kKeyDown = 256;
constexpr uint32_t kKeyUp = 257;
constexpr uint32_t kChar = 258;

// Mouse messages.
constexpr uint32_t kMouseMove = 512;
constexpr uint32_t kLeftButtonDown = 513;
constexpr uint32_t kLeftButtonUp = 514;
constexpr uint32_t kLeftButtonDoubleClick = 515;
constexpr uint32_t kRightButtonDown = 516;
constexpr uint32_t kRightButtonUp = 517;
constexpr uint32_t kRightButtonDoubleClick = 518;
constexpr uint32_t kMiddleButtonDown = 519;
constexpr uint32_t kMiddleButtonUp = 520;
constexpr uint32_t kMiddleButtonDoubleClick = 521;

// A press or a release of any of the three buttons (a double-click is neither).
constexpr bool IsButtonDown(uint32_t message) {
  return message == kLeftButtonDown || message == kRightButtonDown || message == kMiddleButtonDown;
}
constexpr bool IsButtonUp(uint32_t message) {
  return message == kLeftButtonUp || message == kRightButtonUp || message == kMiddleButtonUp;
}

// Virtual-key codes. Letters and digits are their upper-case characters ('A', '0').
constexpr uint32_t kVkBack = 8;
constexpr uint32_t kVkTab = 9;
constexpr uint32_t kVkClear = 12;
constexpr uint32_t kVkReturn = 13;
constexpr uint32_t kVkShift = 16;
constexpr uint32_t kVkControl = 17;
constexpr uint32_t kVkAlt = 18;  // either Alt key
constexpr uint32_t kVkPause = 19;
constexpr uint32_t kVkCapsLock = 20;
constexpr uint32_t kVkEscape = 27;
constexpr uint32_t kVkSpace = 32;
constexpr uint32_t kVkPageUp = 33;
constexpr uint32_t kVkPageDown = 34;
constexpr uint32_t kVkEnd = 35;
constexpr uint32_t kVkHome = 36;
constexpr uint32_t kVkLeft = 37;
constexpr uint32_t kVkUp = 38;
constexpr uint32_t kVkRight = 39;
constexpr uint32_t kVkDown = 40;
constexpr uint32_t kVkPrintScreen = 44;
constexpr uint32_t kVkInsert = 45;
constexpr uint32_t kVkDelete = 46;
constexpr uint32_t kVkLeftWindows = 91;
constexpr uint32_t kVkRightWindows = 92;
constexpr uint32_t kVkApplications = 93;
constexpr uint32_t kVkNumpad0 = 96;  // the keypad's 0; its 1 to 9 follow
constexpr uint32_t kVkMultiply = 106;
constexpr uint32_t kVkAdd = 107;
constexpr uint32_t kVkSubtract = 109;
constexpr uint32_t kVkDecimal = 110;
constexpr uint32_t kVkDivide = 111;
constexpr uint32_t kVkF1 = 112;   // F1 to F12 follow in order
constexpr uint32_t kVkF13 = 124;  // F13 to F24 follow in order
constexpr uint32_t kVkNumLock = 144;
constexpr uint32_t kVkScrollLock = 145;
// The keys of these characters on a US keyboard.
constexpr uint32_t kVkSemicolon = 186;
constexpr uint32_t kVkEquals = 187;
constexpr uint32_t kVkComma = 188;
constexpr uint32_t kVkMinus = 189;
constexpr uint32_t kVkPeriod = 190;
constexpr uint32_t kVkSlash = 191;
constexpr uint32_t kVkBackquote = 192;
constexpr uint32_t kVkLeftBracket = 219;
constexpr uint32_t kVkBackslash = 220;
constexpr uint32_t kVkRightBracket = 221;
constexpr uint32_t kVkQuote = 222;
// The extra key beside the left Shift of European keyboards.
constexpr uint32_t kVkNonUsBackslash = 226;

// Set in a key message's flags while Alt is held.
constexpr uint32_t kAltBit = 0x20000000;

}  // namespace input
