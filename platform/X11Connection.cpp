// X11Connection: the connection from SDL's window manager information.
#include "platform/X11Connection.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <gdk/gdkx.h>

namespace {

bool X11InfoOf(SDL_Window* window, SDL_SysWMinfo& info) {
  SDL_VERSION(&info.version);
  return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
}

::Display* X11DisplayOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  return X11InfoOf(window, info) ? info.info.x11.display : nullptr;
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

void X11SetUserTime(SDL_Window* window, unsigned long time) {
  SDL_SysWMinfo info;
  if (time == 0 || !X11InfoOf(window, info)) return;
  ::Display* display = info.info.x11.display;
  const Atom userTime = XInternAtom(display, "_NET_WM_USER_TIME", False);
  const long value = static_cast<long>(time);
  XChangeProperty(display, info.info.x11.window, userTime, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&value), 1);
}

uint32_t X11GtkUserTime() {
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return 0;
  return gdk_x11_display_get_user_time(display);
}
