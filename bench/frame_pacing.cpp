// Measures the frame loop on a real window: how late frames start after their deadline and
// how much of a core the loop uses while the play screen stands idle at 60 frames a second.
// Run it under an X server (make bench does); it prints its figures and takes about 6 s.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/FrameLoop.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "app/Shutdown.h"
#include "board/GameEngine.h"
#include "display/DisplayDevice.h"
#include "platform/Platform.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main() {
  constexpr int kFrames = 360;
  MaxFrameRate = 60;
  Display = std::make_unique<DisplayDevice>();
  Engine = std::make_unique<GameEngine>();
  if (!CreateMainWindow() || !Display->Init(DisplayWindowed, MainWindow, 640, 480, 32, 0)) {
    std::fprintf(stderr, "frame_pacing: no window (is DISPLAY set?)\n");
    return 1;
  }
  int64_t frequency = 0;
  QueryPerformanceFrequency(frequency);
  const int64_t ticksPerFrame = frequency / MaxFrameRate;

  std::vector<double> lateness;
  int64_t previousStart = 0;
  double cpuStart = 0;
  int64_t wallStart = 0;
  RunFrameLoop(frequency, [&] {
    const int64_t now = QueryPerformanceCounter();
    if (previousStart != 0) {
      lateness.push_back(static_cast<double>(now - (previousStart + ticksPerFrame)) * 1e3 /
                         static_cast<double>(frequency));
    } else {
      cpuStart = CpuSeconds();
      wallStart = now;
    }
    previousStart = now;
    Display->Present(MainWindow);
    if (static_cast<int>(lateness.size()) == kFrames) PostQuitMessage(0);
  });
  const double wall =
      static_cast<double>(QueryPerformanceCounter() - wallStart) / static_cast<double>(frequency);
  const double cpu = CpuSeconds() - cpuStart;
  Shutdown();
  ShutdownPlatform();

  std::printf("frames: %d at %d fps over %.2f s\n", kFrames, MaxFrameRate, wall);
  std::printf("lateness after deadline: median %.3f ms, p99 %.3f ms, max %.3f ms\n",
              Percentile(lateness, 0.5), Percentile(lateness, 0.99), Percentile(lateness, 1.0));
  std::printf("cpu: %.2f %% of one core (goal: at most 3 %%; median at most 0.2 ms, p99 1 ms)\n",
              100.0 * cpu / wall);
  return 0;
}
