#include "platform/sdl/SdlInput.h"

#include "platform/Letterbox.h"
#include "platform/Utf8.h"

namespace platform {
namespace {

struct KeyCode {
  SDL_Keycode key;
  uint32_t virtualKey;
};

constexpr KeyCode kKeys[] = {
    {SDLK_BACKSPACE, input::kVkBack},
    {SDLK_TAB, input::kVkTab},
    {SDLK_CLEAR, input::kVkClear},
    {SDLK_RETURN, input::kVkReturn},
    {SDLK_KP_ENTER, input::kVkReturn},
    {SDLK_LSHIFT, input::kVkShift},
    {SDLK_RSHIFT, input::kVkShift},
    {SDLK_LCTRL, input::kVkControl},
    {SDLK_RCTRL, input::kVkControl},
    {SDLK_LALT, input::kVkAlt},
    {SDLK_RALT, input::kVkAlt},
    {SDLK_PAUSE, input::kVkPause},
    {SDLK_CAPSLOCK, input::kVkCapsLock},
    {SDLK_ESCAPE, input::kVkEscape},
    {SDLK_SPACE, input::kVkSpace},
    {SDLK_PAGEUP, input::kVkPageUp},
    {SDLK_PAGEDOWN, input::kVkPageDown},
    {SDLK_END, input::kVkEnd},
    {SDLK_HOME, input::kVkHome},
    {SDLK_LEFT, input::kVkLeft},
    {SDLK_UP, input::kVkUp},
    {SDLK_RIGHT, input::kVkRight},
    {SDLK_DOWN, input::kVkDown},
    {SDLK_PRINTSCREEN, input::kVkPrintScreen},
    {SDLK_INSERT, input::kVkInsert},
    {SDLK_DELETE, input::kVkDelete},
    {SDLK_LGUI, input::kVkLeftWindows},
    {SDLK_RGUI, input::kVkRightWindows},
    {SDLK_APPLICATION, input::kVkApplications},
    {SDLK_KP_0, input::kVkNumpad0},
    {SDLK_KP_1, input::kVkNumpad0 + 1},
    {SDLK_KP_2, input::kVkNumpad0 + 2},
    {SDLK_KP_3, input::kVkNumpad0 + 3},
    {SDLK_KP_4, input::kVkNumpad0 + 4},
    {SDLK_KP_5, input::kVkNumpad0 + 5},
    {SDLK_KP_6, input::kVkNumpad0 + 6},
    {SDLK_KP_7, input::kVkNumpad0 + 7},
    {SDLK_KP_8, input::kVkNumpad0 + 8},
    {SDLK_KP_9, input::kVkNumpad0 + 9},
    {SDLK_KP_MULTIPLY, input::kVkMultiply},
    {SDLK_KP_PLUS, input::kVkAdd},
    {SDLK_KP_MINUS, input::kVkSubtract},
    {SDLK_KP_PERIOD, input::kVkDecimal},
    {SDLK_KP_DIVIDE, input::kVkDivide},
    {SDLK_NUMLOCKCLEAR, input::kVkNumLock},
    {SDLK_SCROLLLOCK, input::kVkScrollLock},
    {SDLK_SEMICOLON, input::kVkSemicolon},
    {SDLK_EQUALS, input::kVkEquals},
    {SDLK_COMMA, input::kVkComma},
    {SDLK_MINUS, input::kVkMinus},
    {SDLK_PERIOD, input::kVkPeriod},
    {SDLK_SLASH, input::kVkSlash},
    {SDLK_BACKQUOTE, input::kVkBackquote},
    {SDLK_LEFTBRACKET, input::kVkLeftBracket},
    {SDLK_BACKSLASH, input::kVkBackslash},
    {SDLK_RIGHTBRACKET, input::kVkRightBracket},
    {SDLK_QUOTE, input::kVkQuote},
};

// Keys whose code is tied to their place on the keyboard when the layout gives them
// a character the table does not know (the number row of a French keyboard, the
// letters of a Cyrillic one, punctuation keys of other layouts).
struct PlaceCode {
  SDL_Scancode scancode;
  uint32_t virtualKey;
};

constexpr PlaceCode kPlaces[] = {
    {SDL_SCANCODE_SEMICOLON, input::kVkSemicolon},
    {SDL_SCANCODE_EQUALS, input::kVkEquals},
    {SDL_SCANCODE_COMMA, input::kVkComma},
    {SDL_SCANCODE_MINUS, input::kVkMinus},
    {SDL_SCANCODE_PERIOD, input::kVkPeriod},
    {SDL_SCANCODE_SLASH, input::kVkSlash},
    {SDL_SCANCODE_GRAVE, input::kVkBackquote},
    {SDL_SCANCODE_LEFTBRACKET, input::kVkLeftBracket},
    {SDL_SCANCODE_BACKSLASH, input::kVkBackslash},
    {SDL_SCANCODE_RIGHTBRACKET, input::kVkRightBracket},
    {SDL_SCANCODE_APOSTROPHE, input::kVkQuote},
    {SDL_SCANCODE_NONUSBACKSLASH, input::kVkNonUsBackslash},
};

bool AltHeld(uint16_t modifiers) {
  return (modifiers & KMOD_LALT) != 0;
}

uint32_t MouseFlags(uint32_t buttons, uint16_t modifiers) {
  uint32_t flags = 0;
  if (buttons & SDL_BUTTON_LMASK) flags |= kMouseFlagLeft;
  if (buttons & SDL_BUTTON_RMASK) flags |= kMouseFlagRight;
  if (buttons & SDL_BUTTON_MMASK) flags |= kMouseFlagMiddle;
  if (modifiers & KMOD_SHIFT) flags |= kMouseFlagShift;
  if (modifiers & KMOD_CTRL) flags |= kMouseFlagControl;
  return flags;
}

void TranslateKey(const SDL_KeyboardEvent& key, EventQueue& out) {
  bool down = key.type == SDL_KEYDOWN;
  uint16_t modifiers = key.keysym.mod;
  uint32_t virtualKey = VirtualKeyOf(key.keysym.sym, key.keysym.scancode);
  uint32_t data = kKeyRepeatOne | (AltHeld(modifiers) ? input::kAltBit : 0);
  if (!down)
    data |= kKeyWasDown | kKeyReleased;
  else if (key.repeat)
    data |= kKeyWasDown;
  if (virtualKey != 0) out.Push(KeyEvent(down ? input::kKeyDown : input::kKeyUp, virtualKey, data));
  if (!down) return;
  // SDL types no text for these keys, nor for anything pressed with Alt.
  if (KeyTypesControlCharacter(virtualKey)) {
    out.Push(
        KeyEvent(input::kChar, virtualKey, AltHeld(modifiers) ? input::kAltBit : kKeyRepeatOne));
  } else if (AltHeld(modifiers)) {
    if (uint32_t c = AltCharacterOf(key.keysym.sym, modifiers)) {
      out.Push(KeyEvent(input::kChar, c, input::kAltBit));
    }
  }
}

void TranslateText(const SDL_TextInputEvent& text, uint16_t modifiers, EventQueue& out) {
  // With Alt held the key-down has typed the character already.
  if (AltHeld(modifiers)) return;
  ForEachCodePoint(
      text.text, [&out](uint32_t code) { out.Push(KeyEvent(input::kChar, code, kKeyRepeatOne)); });
}

void TranslateButton(const SDL_MouseButtonEvent& button, InputContext& context, EventQueue& out) {
  uint32_t downMessage, upMessage;
  switch (button.button) {
    case SDL_BUTTON_LEFT:
      downMessage = input::kLeftButtonDown;
      upMessage = input::kLeftButtonUp;
      break;
    case SDL_BUTTON_RIGHT:
      downMessage = input::kRightButtonDown;
      upMessage = input::kRightButtonUp;
      break;
    case SDL_BUTTON_MIDDLE:
      downMessage = input::kMiddleButtonDown;
      upMessage = input::kMiddleButtonUp;
      break;
    default:
      return;  // side buttons have no message
  }
  bool down = button.type == SDL_MOUSEBUTTONDOWN;
  if (down)
    context.buttons |= SDL_BUTTON(button.button);
  else
    context.buttons &= ~uint32_t(SDL_BUTTON(button.button));
  // Double-click messages follow the down message in number: 513 -> 515 and so on.
  uint32_t message = !down ? upMessage
                     : (context.doubleClicks && button.clicks >= 2 && button.clicks % 2 == 0)
                         ? downMessage + 2
                         : downMessage;
  Point p = MapPointer(context.pointer, {button.x, button.y});
  out.Push(MouseEvent(message, p.X, p.Y, MouseFlags(context.buttons, context.modifiers)));
}

void TranslateWindow(const SDL_WindowEvent& window, EventQueue& out) {
  switch (window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      out.Push(PlainEvent(EventType::FocusGained));
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      out.Push(PlainEvent(EventType::FocusLost));
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      out.Push(PlainEvent(EventType::Minimised));
      break;
    case SDL_WINDOWEVENT_RESTORED:
      out.Push(PlainEvent(EventType::Restored));
      break;
    default:
      break;
  }
}

}  // namespace

uint32_t VirtualKeyOf(SDL_Keycode key, SDL_Scancode scancode) {
  if (key >= SDLK_a && key <= SDLK_z) return uint32_t('A' + (key - SDLK_a));
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return uint32_t('1' + (scancode - SDL_SCANCODE_1));
  }
  if (scancode == SDL_SCANCODE_0) return '0';
  if (key >= SDLK_F1 && key <= SDLK_F12) return uint32_t(input::kVkF1 + (key - SDLK_F1));
  if (key >= SDLK_F13 && key <= SDLK_F24) return uint32_t(input::kVkF13 + (key - SDLK_F13));
  for (const KeyCode& k : kKeys) {
    if (k.key == key) return k.virtualKey;
  }
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return uint32_t('A' + (scancode - SDL_SCANCODE_A));
  }
  for (const PlaceCode& p : kPlaces) {
    if (p.scancode == scancode) return p.virtualKey;
  }
  return 0;
}

uint32_t AltCharacterOf(SDL_Keycode key, uint16_t modifiers) {
  if (key >= SDLK_a && key <= SDLK_z) {
    bool upper = ((modifiers & KMOD_SHIFT) != 0) != ((modifiers & KMOD_CAPS) != 0);
    return uint32_t(upper ? key - SDLK_a + 'A' : key);
  }
  if (key == SDLK_KP_ENTER) return input::kVkReturn;
  // Keycodes of keys that type something are that character; others carry a flag bit.
  if (key < 32 || key == SDLK_DELETE || (key & SDLK_SCANCODE_MASK) != 0) return 0;
  return uint32_t(key);
}

Point MapPointer(const PointerMap& map, Point windowPoint) {
  if (!map.scaled) return windowPoint;
  if (map.pinned && windowPoint == map.pinnedOutput) return map.pinnedFrame;
  return OutputToFrame(windowPoint, map.dest, map.frame, map.clamp);
}

void TranslateSdlEvent(const SDL_Event& event, InputContext& context, EventQueue& out) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      TranslateKey(event.key, out);
      break;
    case SDL_TEXTINPUT:
      TranslateText(event.text, context.modifiers, out);
      break;
    case SDL_MOUSEMOTION: {
      context.buttons = event.motion.state;
      Point p = MapPointer(context.pointer, {event.motion.x, event.motion.y});
      out.Push(
          MouseEvent(input::kMouseMove, p.X, p.Y, MouseFlags(context.buttons, context.modifiers)));
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      TranslateButton(event.button, context, out);
      break;
    case SDL_WINDOWEVENT:
      TranslateWindow(event.window, out);
      break;
    case SDL_QUIT:
      out.Push(PlainEvent(EventType::CloseRequest));
      break;
    case SDL_RENDER_DEVICE_RESET:
      out.Push(PlainEvent(EventType::VideoReset));
      break;
    default:
      break;
  }
}

int32_t ModeBitsPerPixel(uint32_t sdlPixelFormat) {
  int32_t bits = int32_t(SDL_BITSPERPIXEL(sdlPixelFormat));
  if (bits >= 24 && !SDL_ISPIXELFORMAT_INDEXED(sdlPixelFormat)) return 32;
  return bits;
}

}  // namespace platform
