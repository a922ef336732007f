#pragma once
// The game's one window and its event stream, plus the pointer over it.

#include <cstdint>
#include <string>

#include "platform/Events.h"
#include "platform/Geometry.h"

namespace platform {

class Window {
 public:
  virtual ~Window() = default;

  // Makes the window, hidden. doubleClicks: a second press in quick succession is
  // reported as a double-click message instead of a button-down message.
  virtual bool Create(bool doubleClicks) = 0;
  // Closes the window; events already queued stay readable. Safe to call twice.
  virtual void Destroy() = 0;
  virtual bool IsCreated() const = 0;

  // UTF-8 text of the title bar.
  virtual void SetCaption(const std::string& caption) = 0;
  // The picture the desktop shows for the window (title bar, task switcher):
  // width x height 0xAARRGGBB pixels, copied.
  virtual void SetIcon(const uint32_t* pixels, int32_t width, int32_t height) = 0;
  virtual void Show() = 0;
  // Minimises the window (as when a document opens over the game); a Minimised event
  // follows, and a Restored one when the player brings it back.
  virtual void Minimise() = 0;

  // Takes the next waiting event without blocking; false when none is waiting.
  virtual bool PollEvent(Event& event) = 0;
  // Blocks until something happens to the window and takes the event it gave. False
  // when it gave none, or when nothing can ever arrive (no player behind the window):
  // the caller's step then simply ends.
  virtual bool WaitEvent(Event& event) = 0;
  // Queues an event behind those waiting, as if it came from the player.
  virtual void PostEvent(const Event& event) = 0;
  // Queues the Quit event that ends the loop.
  void PostQuit() { PostEvent(PlainEvent(EventType::Quit)); }

  // The pointer in the coordinates mouse events carry (see Event::x). In 4:3 full
  // screen it is held inside the frame.
  virtual Point CursorPosition() = 0;
  // Moves the pointer to a point given in those coordinates. A real pointer then
  // reports the move as an event of its own, in its own time.
  virtual void WarpCursor(Point p) = 0;
  // Shows or hides the system pointer over the window.
  virtual void ShowCursor(bool show) = 0;
};

}  // namespace platform
