#include "platform/sdl/SdlWindowManager.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {
namespace {

int IgnoreError(Display*, XErrorEvent*) {
  return 0;
}

// The window a WINDOW property of w names, None when it has none.
::Window WindowProperty(Display* display, ::Window w, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ::Window result = None;
  if (XGetWindowProperty(display, w, property, 0, 1, False, XA_WINDOW, &type, &format, &count,
                         &after, &data) == Success &&
      type == XA_WINDOW && format == 32 && count == 1 && data) {
    result = ::Window(*reinterpret_cast<unsigned long*>(data));
  }
  if (data) XFree(data);
  return result;
}

}  // namespace

bool FullScreenRequestsHonoured(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return true;
  }
  Display* display = info.info.x11.display;
  Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  // A manager marks the root with a window of its own that names itself the same way;
  // a mark left behind by a manager that has gone names a window that no longer exists,
  // which X reports as an error rather than an empty answer.
  XSync(display, False);
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(IgnoreError);
  ::Window marker = WindowProperty(display, DefaultRootWindow(display), check);
  bool present = marker != None && WindowProperty(display, marker, check) == marker;
  XSync(display, False);
  XSetErrorHandler(previous);
  return present;
}

}  // namespace platform
