#pragma once
// Scripts of input and checks that drive the game without a player (GAME_SCRIPT=FILE),
// the same under every backend. One command a line; blank lines and lines starting
// with "#" are skipped:
//   wait MS                   let MS milliseconds of the platform clock pass
//   wait-screen NAME [MS]     run until the top screen is NAME; fail after MS (30000)
//   move X Y                  move the pointer to (X, Y)
//   click X Y [left|right]    move there, press and release the button (left)
//   press X Y [left|right]    move there and press the button (left): a drag begins
//   release X Y [left|right]  move there and release the button (left): a drag ends
//   key [MOD+]...VK           press and release the key of that virtual-key code, with
//                             modifier keys held (MOD: alt, ctrl, shift), as "key alt+0x0D"
//   char TEXT                 type TEXT (the rest of the line), one character message each
//   screenshot FILE.png       save the display's picture of the last frame
//   expect-screen NAME        fail unless the top screen is NAME
//   seed N                    re-seed the random generator with N (decimal, 0 or more):
//                             the draws that follow repeat from run to run
//   close                     the window's close button: the game is asked first
//   quit                      end the program at once
// Points are in the game's design space. A failed check ends the program, which then
// exits non-zero with the failure's message.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace platform {

class Clock;
class Video;
class Window;

enum class ScriptOp : uint8_t {
  Wait,
  WaitScreen,
  Move,
  Click,
  Press,
  Release,
  Key,
  Char,
  Screenshot,
  ExpectScreen,
  Seed,
  Close,
  Quit,
};

enum class ScriptButton : uint8_t { Left, Right };

// Modifier keys a Key command holds (bits of ScriptCommand::modifiers).
constexpr uint8_t kScriptShift = 1;
constexpr uint8_t kScriptControl = 2;
constexpr uint8_t kScriptAlt = 4;

constexpr uint32_t kDefaultScreenWait = 30000;

struct ScriptCommand {
  ScriptOp op = ScriptOp::Quit;
  int line = 0;
  uint32_t milliseconds = 0;  // Wait; WaitScreen's limit
  Point point;                // Move, Click, Press, Release
  ScriptButton button = ScriptButton::Left;
  uint32_t key = 0;       // Key: virtual-key code
  uint8_t modifiers = 0;  // Key: kScript* bits
  uint64_t seed = 0;      // Seed
  std::string text;       // Char: the characters; Screenshot: the file; screen name otherwise
};

// The commands of a script's text; false with "line N: ..." for the first bad line.
bool ParseScript(const std::string& text, std::vector<ScriptCommand>& commands, std::string& error);
// The same for a file; the message then names the file.
bool LoadScript(const std::string& path, std::vector<ScriptCommand>& commands, std::string& error);

// What the script needs from the engine.
class ScriptHost {
 public:
  virtual ~ScriptHost() = default;
  // The name of the screen on top of the game's screen stack, empty when none.
  virtual std::string TopScreenName() = 0;
  // A design-space point in the coordinates the engine receives mouse events in.
  virtual Point DesignToWindow(Point design) = 0;
  // Re-seeds the game's random generator, which lives above the platform.
  virtual void Reseed(uint64_t seed) = 0;
};

// Runs a script against the platform's window (input goes in as events, the same way
// the player's does), video (screenshots) and clock.
class ScriptRunner {
 public:
  // quitAtEnd: when the script runs out of commands the program ends, as with "quit"
  // (for backends where nothing else could ever end it).
  ScriptRunner(std::vector<ScriptCommand> commands, Window& window, Video& video, Clock& clock,
               bool quitAtEnd);

  // Carries the script on; call once per frame, after the frame is presented. Runs
  // commands until one has to wait or has put input in, which the engine then handles.
  void Step(ScriptHost& host);

  bool Finished() const { return finished_; }
  bool Failed() const { return !failure_.empty(); }
  // "script line N: ..." for a failed check.
  const std::string& Failure() const { return failure_; }

 private:
  // Runs the current command; true when it is done and the next may follow at once.
  bool Run(const ScriptCommand& command, ScriptHost& host, bool& yield);
  void Fail(const ScriptCommand& command, const std::string& message);
  // Posts what a keyboard sends for the key with its modifiers.
  void PostKey(const ScriptCommand& command);

  std::vector<ScriptCommand> commands_;
  Window& window_;
  Video& video_;
  Clock& clock_;
  bool quitAtEnd_;
  size_t next_ = 0;
  bool started_ = false;  // the current command has begun waiting
  uint32_t startTime_ = 0;
  bool finished_ = false;
  std::string failure_;
  // The mouse buttons pressed and not yet released: moves carry them, as a drag's do.
  uint32_t heldButtons_ = 0;
};

}  // namespace platform
