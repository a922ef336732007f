#pragma once
// Handing a file or an address to the desktop's opener (xdg-open), and starting a
// program file, as argument lists: no shell ever reads the path, so no character in it
// can run a command.

#include <string>

namespace platform {

// Starts the opener on the path without waiting for it; false when it cannot be
// started. The opener is looked up on PATH.
bool StartDocumentOpener(const std::string& pathOrAddress);
// Starts the program file at Path (absolute) with no arguments, as an argument list: no
// shell and no search on PATH. False when it cannot be started.
bool StartProgramFile(const std::string& path);

}  // namespace platform
