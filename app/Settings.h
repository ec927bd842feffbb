// Settings: the process-wide options. The configuration dialog writes the colour depth, the
// display mode and the frame-rate cap at each start; nothing else configures the program.
// Whether the frame-rate line is shown is kept with the frame composition (ShowFps).
#pragma once

#include <cstdint>

#include "display/FramePresenter.h"

extern int32_t AppActive;     // 1 while the program is the active application
extern int32_t ColorDepth;    // 16, 24 or 32 bits per pixel
extern int32_t DisplayMode;   // 1 windowed, 2 full screen
extern int32_t MaxFrameRate;  // 1 to 60 frames per second

// From the command line: the play window's scale (0 for the desktop's), and how full screen
// scales the play screen.
extern int32_t WindowScale;
extern ScaleMode FullScreenScaleMode;

constexpr int32_t DisplayWindowed = 1;
constexpr int32_t DisplayFullScreen = 2;
