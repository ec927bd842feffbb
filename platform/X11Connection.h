// X11Connection: what the frame loop's waits need to know of an SDL window's X server
// connection, and the one property the window manager needs that SDL does not set. Kept apart
// because the X11 headers name types (Window, Display) that the rest of the layer uses too.
#pragma once

#include <cstdint>

struct SDL_Window;

// The descriptor of the window's X connection, or -1 when the window is not on X11.
int X11ConnectionOf(SDL_Window* window);

// Whether Xlib holds events it has already read from the connection (as it does after waiting
// for a reply), which no wait on the descriptor would report.
bool X11HasQueuedEvents(SDL_Window* window);

// Marks the window, before it is mapped, as opened in answer to the input of that X server
// time (_NET_WM_USER_TIME); nothing for a time of 0 or a window not on X11.
void X11SetUserTime(SDL_Window* window, unsigned long time);

// The X server time of the last input the player gave a window on GDK's default display, the
// time for that property; 0 when that display is not on X11. Called only once GTK is up.
uint32_t X11GtkUserTime();
