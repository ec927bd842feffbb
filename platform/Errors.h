// The error code reported at shutdown, and its texts.
#pragma once

#include <cstdint>

// Index into ErrorMessages of the last failure to report; 0 means nothing to report.
extern int32_t LastError;
extern const char* const ErrorMessages[11];

constexpr int32_t ErrorRegisterClass = 1;
constexpr int32_t ErrorCreateWindow = 2;
constexpr int32_t ErrorCreateDisplay = 3;
constexpr int32_t ErrorCooperativeLevel = 4;
constexpr int32_t ErrorDisplayMode = 5;
constexpr int32_t ErrorPrimarySurface = 6;
constexpr int32_t ErrorBackBuffer = 7;
constexpr int32_t ErrorBuffersAlive = 8;
constexpr int32_t ErrorPerformanceCounter = 9;
constexpr int32_t ErrorAlphaWindowed = 10;
