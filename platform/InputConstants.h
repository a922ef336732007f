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

// Virtual-key codes.
constexpr uint32_t kVkBack = 8;
constexpr uint32_t kVkTab = 9;
constexpr uint32_t kVkReturn = 13;
constexpr uint32_t kVkEscape = 27;
constexpr uint32_t kVkEnd = 35;
constexpr uint32_t kVkHome = 36;
constexpr uint32_t kVkLeft = 37;
constexpr uint32_t kVkUp = 38;
constexpr uint32_t kVkRight = 39;
constexpr uint32_t kVkDown = 40;

// Set in a key message's flags while Alt is held.
constexpr uint32_t kAltBit = 0x20000000;

}  // namespace input
