// Measures the frame rate of the frame loop with --watch on a copy of the sample game while a
// file in the game folder is written every 20 ms: a log the game does not read, appended to;
// then one of its pictures, saved anew (renamed over) with the same bytes. The loop, the watch
// and the window are the program's own, on a real window at 60 frames a second. Run it under
// an X server from the repository (make bench does); it prints its figures, or one JSON object
// with --json.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "SampleGame.h"
#include "app/ContentWatch.h"
#include "app/FrameLoop.h"
#include "app/MainWindow.h"
#include "app/Settings.h"
#include "app/Shutdown.h"
#include "display/DisplayDevice.h"
#include "platform/Platform.h"

namespace {

namespace fs = std::filesystem;

constexpr double kSeconds = 5;
constexpr auto kWriteEvery = std::chrono::milliseconds(20);

struct Run {
  double framesPerSecond = 0;
  int reloads = 0;
};

// Frames composed at the cap, and reloads, over kSeconds while `write` runs every 20 ms on
// another thread.
template <typename Write>
Run Measure(ContentWatch& watch, int64_t frequency, Write write) {
  std::atomic<bool> writing = true;
  std::thread writer([&] {
    for (auto next = std::chrono::steady_clock::now(); writing; next += kWriteEvery) {
      write();
      std::this_thread::sleep_until(next + kWriteEvery);
    }
  });
  Run run;
  int calls = 0;
  const int64_t end = QueryPerformanceCounter() + static_cast<int64_t>(kSeconds * frequency);
  RunFrameLoop(
      frequency,
      [&] {
        ++calls;
        Engine->RenderFrame(MainWindow, 0);
        if (QueryPerformanceCounter() > end) PostQuitMessage(0);
      },
      [&] {
        const bool changed = watch.Changed();
        run.reloads += changed;
        return changed;
      });
  writing = false;
  writer.join();
  // The loop composes a frame after each reload too, besides the paced ones.
  run.framesPerSecond = (calls - run.reloads) / kSeconds;
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  const bool json = argc > 1 && std::strcmp(argv[1], "--json") == 0;
  const char* root = std::getenv("TARNWICK_SOURCE_DIR");
  const fs::path copy =
      fs::temp_directory_path() / ("tarnwick-watch-frames-" + std::to_string(getpid()));
  std::error_code failed;
  fs::copy(fs::path(root ? root : ".") / "game", copy, fs::copy_options::recursive, failed);
  MaxFrameRate = 60;
  Display = std::make_unique<DisplayDevice>();
  Engine = std::make_unique<GameEngine>();
  if (failed || chdir(copy.c_str()) != 0 || !CreateMainWindow() ||
      !Display->Init(DisplayWindowed, MainWindow, 640, 480, 32, 0) || !LoadSampleGame()) {
    std::fprintf(stderr, "watch_frames: the sample game did not open (is DISPLAY set?)\n");
    return 1;
  }
  int64_t frequency = 0;
  QueryPerformanceFrequency(frequency);
  Run log, picture;
  {
    ContentWatch watch;
    // The first reload tells the watch which files the game reads.
    watch.Reload();
    const int logFile = open("play.log", O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    log = Measure(watch, frequency, [logFile] {
      [[maybe_unused]] const ssize_t written = write(logFile, "a line of the log\n", 18);
    });
    close(logFile);
    std::ifstream in("images/Board.bmp", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    picture = Measure(watch, frequency, [&bytes] {
      std::ofstream("images/.Board.bmp.saving", std::ios::binary) << bytes;
      fs::rename("images/.Board.bmp.saving", "images/Board.bmp");
    });
  }
  Shutdown();
  ShutdownPlatform();
  fs::remove_all(copy, failed);
  if (json) {
    std::printf(
        "{\"cap\": %d, \"log_fps\": %.1f, \"log_reloads\": %d, \"picture_fps\": %.1f, "
        "\"picture_reloads\": %d, \"seconds\": %.0f}\n",
        MaxFrameRate, log.framesPerSecond, log.reloads, picture.framesPerSecond, picture.reloads,
        kSeconds);
    return 0;
  }
  std::printf("--watch at %d fps, a file in the game folder written every 20 ms for %.0f s:\n",
              MaxFrameRate, kSeconds);
  std::printf("  a log the game does not read: %.1f frames a second, %d reloads\n",
              log.framesPerSecond, log.reloads);
  std::printf("  a picture the game shows, saved anew: %.1f frames a second, %d reloads\n",
              picture.framesPerSecond, picture.reloads);
  return 0;
}
