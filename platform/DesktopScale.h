// DesktopScale: the integer scale the desktop asks windows to draw at, as GTK knows it.
#pragma once

// On X11: GDK_SCALE (or the desktop's window scaling setting), else Xft.dpi / 96 rounded down;
// on Wayland: the scale of the output. 1 when there is no display or nothing says otherwise.
int DesktopScale();
