// The stand-in for the Windows services the shell uses: windows and their procedures, the
// thread's message queue, the high-resolution counter. Each call keeps the Windows call's
// meaning; the message source and the counter behind them can be replaced by tests.
#pragma once

#include <cstdint>

#include "platform/Counter.h"
#include "platform/Message.h"
#include "platform/MessageSource.h"
#include "platform/Window.h"

// Windows: the video system must be up before a window is made; DestroyWindow sends
// WM_DESTROY to the window's procedure before it returns, then the window is gone. A window's
// client area is clientWidth x clientHeight pixels times its scale (1 to kLargestScale), or
// the largest smaller scale at which it fits the desktop.
constexpr int kLargestScale = 8;
bool InitVideo();
WindowHandle CreatePlatformWindow(const char* title, int x, int y, int clientWidth,
                                  int clientHeight, bool decorated, Window::Procedure procedure,
                                  int scale = 1);
// A scale in pixels as a scale in window units, on an output of `pixels` pixels across `units`
// units: divided by the whole pixels a unit where there are several, but never below 1.
int ScaleInUnits(int scale, int units, int pixels);
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);
WindowHandle FindWindowById(uint32_t sdlWindowId);
int64_t DefWindowProc(WindowHandle window, uint32_t message, uint64_t wParam, int64_t lParam);

// The message queue: a poll that returns at once, waits that block, the quit message, and
// delivery of a message to its window's procedure.
bool PeekMessage(Message& message);
void WaitMessage();
void WaitMessageUntil(int64_t deadline);
// A descriptor besides the window system's that the waits also return on when it has
// something to read, such as a watch on the game's files; -1 (the default) for none.
void SetWakeDescriptor(int fd);
void PostQuitMessage(int32_t exitCode);
int64_t DispatchMessage(const Message& message);

// The high-resolution counter.
bool QueryPerformanceFrequency(int64_t& ticksPerSecond);
int64_t QueryPerformanceCounter();

// Replacing the backends (null restores the real ones), and the end of the process's use
// of the window system: windows still standing are destroyed without messages.
void SetMessageSource(MessageSource* source);
void SetCounter(Counter* counter);
void ShutdownPlatform();
