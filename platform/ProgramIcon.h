// ProgramIcon: Tarnwick's own icon, the picture installed for the menu entry, compiled in so
// that every window carries it wherever the program runs from.
#pragma once

struct SDL_Window;

// Gives every GTK window made from now on (the dialog, message boxes) the icon.
void SetGtkProgramIcon();
// Gives an SDL window the icon.
void SetSdlProgramIcon(SDL_Window* window);
