// The main window: its creation in the style of the display mode, and its window procedure,
// which routes input to the game engine and ends the program when the window is destroyed.
#pragma once

#include <cstdint>

#include "platform/Message.h"

// Creates and shows the main window into MainWindow: 1, or 0 with LastError 1 or 2.
int32_t CreateMainWindow();

int64_t WindowProc(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam);
