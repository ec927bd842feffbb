// The frame loop.
#include "app/FrameLoop.h"

#include "app/Settings.h"
#include "composition/FrameComposition.h"
#include "platform/Platform.h"

int32_t RunFrameLoop(int64_t counterFrequency, const std::function<void()>& renderFrame,
                     const std::function<bool()>& changed) {
  const int64_t ticksPerFrame = counterFrequency / (MaxFrameRate > 0 ? MaxFrameRate : 1);
  const double secondsPerTick = 1.0 / static_cast<double>(counterFrequency);
  int64_t lastFrameTime = QueryPerformanceCounter();
  int64_t nextFrameTime = lastFrameTime;
  int32_t frameCount = 0;
  double elapsedSeconds = 0.0;

  for (;;) {
    Message message;
    if (PeekMessage(message)) {
      if (message.message == WM_QUIT) return static_cast<int32_t>(message.wParam);
      DispatchMessage(message);
      continue;
    }
    if (changed && changed()) {
      renderFrame();
      continue;
    }
    if (!AppActive) {
      WaitMessage();
      continue;
    }
    const int64_t now = QueryPerformanceCounter();
    if (now <= nextFrameTime) {
      WaitMessageUntil(nextFrameTime);
      continue;
    }
    ++frameCount;
    elapsedSeconds += static_cast<double>(now - lastFrameTime) * secondsPerTick;
    if (elapsedSeconds > 1.0) {
      FramesPerSecond = frameCount;
      frameCount = 0;
      elapsedSeconds = 0.0;
    }
    renderFrame();
    lastFrameTime = now;
    nextFrameTime = now + ticksPerFrame;
  }
}
