#pragma once
// The backend for play: an SDL window with its renderer. The frame goes to one
// streaming texture (only its dirty rectangles are uploaded) that is drawn onto the
// window: 1:1 in a window, scaled to fit in full screen, stretched onto the engine's
// rectangle in wide full screen. Full screen is a desktop-size window; the display
// mode is never switched.

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace platform {

// Opens the display; none, with a one-line message, when that fails.
std::unique_ptr<Platform> CreateSdlPlatform(std::string& error);

}  // namespace platform
