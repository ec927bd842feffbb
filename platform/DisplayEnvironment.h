// DisplayEnvironment: whether the environment names a display that GTK and SDL can try. Without
// one, trying costs each library a line of noise on standard error and ends in nothing.
#pragma once

// True when DISPLAY is set (X11), or WAYLAND_SOCKET, a WAYLAND_DISPLAY path, or the runtime
// directory where a Wayland display's socket lies (Wayland).
bool DisplayNamed();
