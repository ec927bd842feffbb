// Settings: initial values.
#include "app/Settings.h"

int32_t AppActive = 1;
int32_t ColorDepth = 16;
int32_t DisplayMode = DisplayWindowed;
int32_t MaxFrameRate = 60;
int32_t WindowScale = 0;
ScaleMode FullScreenScaleMode = ScaleMode::SharpBilinear;
