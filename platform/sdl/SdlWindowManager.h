#pragma once
// What the desktop's window manager will do for the game's window.

#include <SDL.h>

namespace platform {

// True when something will carry out a request to show the window full screen: a
// window manager that follows the desktop conventions on X11, or any other video
// system (Wayland compositors, other platforms). False on an X11 display that has no
// such manager (kiosk sessions, bare X servers), where the window keeps its size and
// place unless the program changes them itself.
bool FullScreenRequestsHonoured(SDL_Window* window);

}  // namespace platform
