// X11Connection: the connection from SDL's window manager information.
#include "platform/X11Connection.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace {

::Display* X11DisplayOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return nullptr;
  }
  return info.info.x11.display;
}

}  // namespace

int X11ConnectionOf(SDL_Window* window) {
  ::Display* display = X11DisplayOf(window);
  return display ? ConnectionNumber(display) : -1;
}

bool X11HasQueuedEvents(SDL_Window* window) {
  ::Display* display = X11DisplayOf(window);
  return display && QLength(display) > 0;
}
