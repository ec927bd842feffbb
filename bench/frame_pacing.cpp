// Measures the frame loop on a real window with the sample game: how late frames start after
// their deadline while the pointer moves over the board with a character selected, whether any
// frame whose picture changed went unshown, and the longest gap between frames around the
// first warning sound, and the time from a key press or a pointer move to the frame that shows
// its result. Pointer, button and key events are pushed into SDL's queue, so they take the
// program's own path from the window system to the handlers. Run it under an X server from the
// repository (make bench does); it prints its figures, or one JSON object with --json.
#include <SDL.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include "SampleGame.h"
#include "app/FrameLoop.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "app/Shutdown.h"
#include "board/GameEngine.h"
#include "composition/FrameComposition.h"
#include "content/Character.h"
#include "content/DefinitionFile.h"
#include "content/GameFiles.h"
#include "display/DisplayDevice.h"
#include "platform/MonotonicCounter.h"
#include "platform/Platform.h"
#include "platform/Sound.h"

namespace {

constexpr int kMovingFrames = 600;
constexpr int kWarningFrame = 60;
constexpr int kSoundFrames = 120;
constexpr int kPresses = 120;

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

// Start-up as the program does it, from the main window to the engine, in windowed mode.
bool OpenSampleGame() {
  Display = std::make_unique<DisplayDevice>();
  Engine = std::make_unique<GameEngine>();
  if (!CreateMainWindow() || !Display->Init(DisplayWindowed, MainWindow, 640, 480, 32, 0)) {
    return false;
  }
  OpenSound(kWarningSound);
  return LoadSampleGame();
}

// An SDL event at a play-screen pixel of the main window.
void Push(Uint32 type, int x, int y) {
  SDL_Event event{};
  event.type = type;
  if (type == SDL_MOUSEMOTION) {
    event.motion.windowID = MainWindow->Id();
    event.motion.x = x;
    event.motion.y = y;
  } else {
    event.button.windowID = MainWindow->Id();
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
  }
  SDL_PushEvent(&event);
}

// A key press in the main window.
void PushKey(SDL_Keycode key) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.windowID = MainWindow->Id();
  event.key.state = SDL_PRESSED;
  event.key.keysym.sym = key;
  SDL_PushEvent(&event);
}

void Click(int x, int y) {
  Push(SDL_MOUSEBUTTONDOWN, x, y);
  Push(SDL_MOUSEBUTTONUP, x, y);
}

int SquareX(int column) { return 17 + 43 * column + 20; }
int SquareY(int row) { return 35 + 43 * row + 20; }

struct Figures {
  std::vector<double> lateness;  // ms after the deadline, per frame
  int changed = 0;               // frames whose picture changed
  int unshown = 0;               // of those, frames not presented
  double longestGap = 0;         // ms between two frame starts, around the first warning
  double periodMs = 0;
  std::vector<double> keyToFrame;      // ms from a key press to the frame that shows it
  std::vector<double> pointerToFrame;  // the same for a pointer move
};

// Events that move the selected character one square, each pushed at a random point of a
// frame period, as a player's input comes, and the time from each to the end of the first
// frame presented after it: every one of them changes the picture.
std::vector<double> EventToFrame(int64_t frequency, const std::function<void(int)>& push) {
  std::vector<double> times;
  std::mt19937 random(12);
  std::uniform_int_distribution<int> offset(0, 1000000 / MaxFrameRate);
  int64_t pushed = 0;
  int count = 0;
  RunFrameLoop(frequency, [&] {
    const uint64_t shownBefore = Display->framesPresented;
    Engine->RenderFrame(MainWindow, 0);
    if (pushed != 0 && Display->framesPresented != shownBefore) {
      times.push_back(static_cast<double>(QueryPerformanceCounter() - pushed) * 1e3 /
                      static_cast<double>(frequency));
      pushed = 0;
    }
    if (pushed != 0) return;
    if (static_cast<int>(times.size()) == kPresses) {
      PostQuitMessage(0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(offset(random)));
    pushed = QueryPerformanceCounter();
    push(count++);
  });
  return times;
}

Figures Measure() {
  Figures figures;
  int64_t frequency = 0;
  QueryPerformanceFrequency(frequency);
  const int64_t ticksPerFrame = frequency / MaxFrameRate;
  figures.periodMs = 1e3 / MaxFrameRate;
  const auto ms = [frequency](int64_t ticks) {
    return static_cast<double>(ticks) * 1e3 / static_cast<double>(frequency);
  };

  // Phase one: the Puffballs selected, the pointer on a new square every frame.
  Click(555, 300 + 40 * 4 - 20);
  int frame = 0;
  int64_t previous = 0;
  std::vector<int64_t> key, lastKey;
  RunFrameLoop(frequency, [&] {
    const int64_t now = QueryPerformanceCounter();
    if (previous != 0) figures.lateness.push_back(ms(now - (previous + ticksPerFrame)));
    previous = now;
    FrameComposition::FrameKey(*Engine, key);
    const uint64_t shownBefore = Display->framesPresented;
    Engine->RenderFrame(MainWindow, 0);
    if (frame > 0 && key != lastKey) {
      ++figures.changed;
      if (Display->framesPresented == shownBefore) ++figures.unshown;
    }
    lastKey = key;
    if (++frame == kMovingFrames) {
      PostQuitMessage(0);
    } else {
      Push(SDL_MOUSEMOTION, SquareX(frame % 10), SquareY(frame / 10 % 10));
    }
  });

  // Phase two: the Puffballs placed at (0, 0), the Toadstools selected over them; the left
  // button released there is a blocked placement, the first warning of the run.
  Click(SquareX(0), SquareY(0));
  Click(555, 300 + 40 * 1 - 20);
  Push(SDL_MOUSEMOTION, SquareX(0), SquareY(0));
  frame = 0;
  previous = 0;
  RunFrameLoop(frequency, [&] {
    const int64_t now = QueryPerformanceCounter();
    if (previous != 0 && std::abs(frame - kWarningFrame) <= 10) {
      figures.longestGap = std::max(figures.longestGap, ms(now - previous));
    }
    previous = now;
    Engine->RenderFrame(MainWindow, 0);
    if (++frame == kWarningFrame) Push(SDL_MOUSEBUTTONUP, SquareX(0), SquareY(0));
    if (frame == kSoundFrames) PostQuitMessage(0);
  });

  // Phase three: the Toadstools still selected, moved by the arrow keys and by the pointer.
  figures.keyToFrame =
      EventToFrame(frequency, [](int i) { PushKey(i % 2 ? SDLK_LEFT : SDLK_RIGHT); });
  figures.pointerToFrame = EventToFrame(
      frequency, [](int i) { Push(SDL_MOUSEMOTION, SquareX(i % 2 ? 0 : 1), SquareY(0)); });
  return figures;
}

// The clock the frame loop's counter reads, read directly.
MonotonicCounter monotonic;

void SleepUntil(int64_t deadline) {
  const timespec wake{static_cast<time_t>(deadline / 1000000000),
                      static_cast<long>(deadline % 1000000000)};
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr);
}

// How late a bare sleep to an absolute deadline wakes on this machine, at the frame rate: the
// floor under any frame loop's lateness, since each frame starts after one such wake-up.
std::vector<double> BareSleepLateness(int count, int64_t period) {
  std::vector<double> lateness;
  int64_t deadline = monotonic.Now();
  for (int i = 0; i < count; ++i) {
    deadline += period;
    SleepUntil(deadline);
    lateness.push_back(static_cast<double>(monotonic.Now() - deadline) / 1e6);
  }
  return lateness;
}

// The longest time a thread that spins through the last 3 ms before each deadline goes
// without running: on a virtual machine the host pauses it, and a frame loop that burnt a core
// spinning instead of sleeping would be as late as such a pause is long.
std::vector<double> BusyWaitPauses(int count, int64_t period) {
  std::vector<double> pauses;
  int64_t deadline = monotonic.Now();
  for (int i = 0; i < count; ++i) {
    deadline += period;
    SleepUntil(deadline - 3000000);
    int64_t last = monotonic.Now(), longest = 0;
    while (last < deadline) {
      const int64_t now = monotonic.Now();
      longest = std::max(longest, now - last);
      last = now;
    }
    pauses.push_back(static_cast<double>(longest) / 1e6);
  }
  return pauses;
}

}  // namespace

int main(int argc, char** argv) {
  const bool json = argc > 1 && std::strcmp(argv[1], "--json") == 0;
  const char* root = std::getenv("TARNWICK_SOURCE_DIR");
  MaxFrameRate = 60;
  if (chdir(root ? root : ".") != 0 || chdir("game") != 0 || !OpenSampleGame()) {
    std::fprintf(stderr, "frame_pacing: the sample game did not open (is DISPLAY set?)\n");
    return 1;
  }
  const Figures f = Measure();
  const char* audio = SDL_GetCurrentAudioDriver();
  Shutdown();
  ShutdownSound();
  ShutdownPlatform();
  const double p50 = Percentile(f.lateness, 0.5), p99 = Percentile(f.lateness, 0.99);
  const std::vector<double> bare = BareSleepLateness(kMovingFrames, 1000000000 / MaxFrameRate);
  const double bare50 = Percentile(bare, 0.5), bare99 = Percentile(bare, 0.99);
  const double busy99 = Percentile(BusyWaitPauses(kMovingFrames, 1000000000 / MaxFrameRate), 0.99);
  if (json) {
    std::printf(
        "{\"lateness_p50_ms\": %.4f, \"lateness_p99_ms\": %.4f, \"changed\": %d, "
        "\"unshown\": %d, \"first_sound_gap_ms\": %.3f, \"period_ms\": %.3f, "
        "\"audio\": \"%s\", \"bare_p50_ms\": %.4f, \"bare_p99_ms\": %.4f, "
        "\"busy_pause_p99_ms\": %.4f, \"key_p50_ms\": %.3f, \"key_p95_ms\": %.3f, "
        "\"pointer_p50_ms\": %.3f, \"pointer_p95_ms\": %.3f, \"presses\": %zu}\n",
        p50, p99, f.changed, f.unshown, f.longestGap, f.periodMs, audio ? audio : "none", bare50,
        bare99, busy99, Percentile(f.keyToFrame, 0.5), Percentile(f.keyToFrame, 0.95),
        Percentile(f.pointerToFrame, 0.5), Percentile(f.pointerToFrame, 0.95), f.keyToFrame.size());
    return 0;
  }
  std::printf("pointer moving over the board, %zu frames at %d fps:\n", f.lateness.size() + 1,
              MaxFrameRate);
  std::printf("  lateness after deadline: median %.3f ms, p99 %.3f ms (goals 0.2 and 1 ms)\n", p50,
              p99);
  std::printf("  a bare sleep to a deadline on this machine: median %.3f ms, p99 %.3f ms\n", bare50,
              bare99);
  std::printf("  a thread spinning to a deadline is paused for up to %.3f ms (p99)\n", busy99);
  std::printf("  frames whose picture changed: %d, of them not shown: %d\n", f.changed, f.unshown);
  std::printf("first warning (audio driver %s): longest frame gap %.2f ms, %.2f frame periods\n",
              audio ? audio : "none", f.longestGap, f.longestGap / f.periodMs);
  std::printf(
      "to the frame that shows it, %zu of each: key press median %.1f ms, p95 %.1f ms; "
      "pointer move median %.1f ms, p95 %.1f ms\n",
      f.keyToFrame.size(), Percentile(f.keyToFrame, 0.5), Percentile(f.keyToFrame, 0.95),
      Percentile(f.pointerToFrame, 0.5), Percentile(f.pointerToFrame, 0.95));
  return 0;
}
