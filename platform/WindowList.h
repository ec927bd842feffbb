// WindowList: the program's top-level windows, which own their SDL windows. The platform's
// window calls and the message source both look windows up here; it calls neither of them.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Window.h"

class WindowList {
 public:
  // Adding takes ownership; removing destroys the window. Clear destroys them all.
  static WindowHandle Add(std::unique_ptr<Window> window);
  static bool Remove(WindowHandle window);
  static void Clear();

  // Whether the handle names a window still in the list; the window of an SDL window id; the
  // first window made of those still standing (null when none is).
  static bool Contains(WindowHandle window);
  static WindowHandle FindById(uint32_t sdlWindowId);
  static WindowHandle First();

  // The descriptor that the windows' X11 input arrives on, or -1 when there is none to watch;
  // and whether input has been read from it already and waits to be fetched.
  static int InputConnection();
  static bool InputQueued();
};
