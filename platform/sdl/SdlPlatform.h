#pragma once
// The backend for play: an SDL window with its renderer. The frame goes to one
// streaming texture (only its dirty rectangles are uploaded) that is drawn onto the
// window: 1:1 in a window, scaled to fit in full screen, stretched onto the engine's
// rectangle in wide full screen. A window that the usable desktop area cannot hold at
// the frame's size opens smaller, the frame scaled to fit it (Letterbox.h). Full screen
// is a desktop-size window, asked of the window manager, or made by the program (a
// borderless window over the display) where there is none; the display mode is never
// switched. Screenshots are the frame itself, read back from the texture.

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace platform {

// Opens the display; none, with a one-line message, when that fails.
std::unique_ptr<Platform> CreateSdlPlatform(std::string& error);

}  // namespace platform
