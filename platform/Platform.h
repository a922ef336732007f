#pragma once
// The one seam between the engine and the operating system: a backend object that
// hands out the window, video, clock and shell, chosen at start-up by GAME_PLATFORM
// ("sdl", the default, for play; "headless" for tests: no window, a virtual clock).
// Folder, file, registry and error-text services do not depend on the backend and are
// plain functions (Folders.h, Registry.h, ErrorText.h).
//
// How the engine's loop meets it: create the window hidden (Window::Create), set a video
// mode (Video::SetMode) and Show; each step takes one event (PollEvent, or WaitEvent when
// inactive): Key and Mouse events go to the game, FocusGained/FocusLost are activation,
// Minimised/Restored pause and resume, CloseRequest asks the game, VideoReset means the
// mode must be set up again, Quit ends the loop. A frame is presented with its dirty
// rectangles (Video::Present), then the script, when there is one, is stepped.

#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/Script.h"
#include "platform/Shell.h"
#include "platform/Video.h"
#include "platform/Window.h"

namespace platform {

enum class BackendKind : uint8_t { Sdl, Headless };

class Platform {
 public:
  virtual ~Platform();

  virtual BackendKind Kind() const = 0;
  virtual Window& GetWindow() = 0;
  virtual Video& GetVideo() = 0;
  virtual Clock& GetClock() = 0;
  virtual Shell& GetShell() = 0;

  // The script named by GAME_SCRIPT, or none. The engine steps it once per frame and,
  // when it failed, prints Failure() and exits non-zero after the loop ends.
  ScriptRunner* Script() { return script_.get(); }
  void SetScript(std::unique_ptr<ScriptRunner> script) { script_ = std::move(script); }

 private:
  std::unique_ptr<ScriptRunner> script_;
};

// The backend GAME_PLATFORM names, with the script GAME_SCRIPT names. None, with a
// one-line message for the player, when the variable names no backend, the display
// cannot be opened or the script cannot be read.
std::unique_ptr<Platform> CreatePlatform(std::string& error);
// The given backend, without a script.
std::unique_ptr<Platform> CreatePlatform(BackendKind kind, std::string& error);

}  // namespace platform
