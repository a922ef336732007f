#pragma once
// Turning SDL's events into the platform's: Windows virtual-key codes, character
// messages (also for Backspace, Tab, Enter and Escape, which SDL types no text for),
// Alt+key as a character with the Alt bit, and mouse messages in frame pixels.
// Left Alt is the Alt of shortcuts; right Alt is left to the keyboard layout (AltGr).

#include <SDL.h>

#include "platform/EventQueue.h"
#include "platform/Geometry.h"

namespace platform {

// How pointer positions in the window reach the engine.
struct PointerMap {
  bool scaled = false;  // the frame is stretched onto dest: map positions back
  bool clamp = false;   // hold mapped positions inside the frame (full screen)
  Rect dest;
  Size frame;
  // A pointer the program put at pinnedOutput reports pinnedFrame, the point it was
  // sent to, though the scaling may map that window pixel to a neighbour.
  bool pinned = false;
  Point pinnedOutput;
  Point pinnedFrame;
};

struct InputContext {
  bool doubleClicks = false;
  PointerMap pointer;
  // The keyboard's modifiers (SDL_Keymod) when the event is read.
  uint16_t modifiers = 0;
  // The mouse buttons held (SDL_BUTTON_*MASK), kept up to date by the translation.
  uint32_t buttons = 0;
};

// The virtual-key code of a key, 0 for keys the game has no code for.
uint32_t VirtualKeyOf(SDL_Keycode key, SDL_Scancode scancode);

// The character that Alt+key types, 0 for none.
uint32_t AltCharacterOf(SDL_Keycode key, uint16_t modifiers);

// The window position mapped as the engine receives it.
Point MapPointer(const PointerMap& map, Point windowPoint);

// Appends to out the events that one SDL event gives (none, one or several). Window
// state events (focus, minimise, close) are translated too; SDL_QUIT, which closing
// the last window and the terminal's interrupt both send, becomes a close request.
void TranslateSdlEvent(const SDL_Event& event, InputContext& context, EventQueue& out);

// Bits per pixel of a display mode, 32 for any true-colour mode (SDL names a 32-bit
// X11 desktop 24-bit).
int32_t ModeBitsPerPixel(uint32_t sdlPixelFormat);

}  // namespace platform
