// The error texts, exactly as the program has always shown them.
#include "platform/Errors.h"

int32_t LastError = 0;

const char* const ErrorMessages[11] = {
    "",
    "Failed to register window class",
    "Failed to create the window",
    "Failed to create DirectDraw7 object",
    "Failed to set cooperative level",
    "Failed to set display mode (full screen)",
    "Failed to create primary surface (font buffer)",
    "Failed to retrieve secondary surface (back bufer)",
    "Failed to Release DirectDraw object. Buffers still exist",
    "Failed to activate performance counter",
    "Alpha blending only available in full screen mode",
};
