// Measures start-up from the inside: from the configuration dialog's answer to the first frame
// presented, with the program's own counter, over runs of the whole of WinMain on the sample
// game. The dialog is answered at once; what it costs to close is measured from the outside by
// bench/first_frame.py. Run it under an X server from the repository; --json prints the median.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/ConfigDialog.h"
#include "app/ConfigWindow.h"
#include "app/WinMain.h"
#include "display/DisplayDevice.h"
#include "platform/Platform.h"
#include "platform/SdlMessageSource.h"
#include "platform/Sound.h"

namespace {

constexpr int kRuns = 10;

// The real message source, watching for the first frame on screen; the run then ends.
class FirstFrameProbe : public MessageSource {
 public:
  bool Poll(Message& message) override {
    if (first_ == 0 && Display && Display->framesPresented > 0) {
      first_ = QueryPerformanceCounter();
      PostQuitMessage(0);
    }
    return real_.Poll(message);
  }
  void Wait() override { real_.Wait(); }
  void WaitUntil(int64_t deadline) override { real_.WaitUntil(deadline); }

  int64_t first_ = 0;

 private:
  SdlMessageSource real_;
};

}  // namespace

int main(int argc, char** argv) {
  const bool json = argc > 1 && std::strcmp(argv[1], "--json") == 0;
  const char* root = std::getenv("TARNWICK_SOURCE_DIR");
  if (chdir(root ? root : ".") != 0 || chdir("game") != 0) return 1;
  int64_t frequency = 0;
  QueryPerformanceFrequency(frequency);
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    int64_t answered = 0;
    SetConfigDialogHandler([&answered] {
      answered = QueryPerformanceCounter();
      return ConfigStart;
    });
    FirstFrameProbe probe;
    SetMessageSource(&probe);
    WinMain();
    SetMessageSource(nullptr);
    ShutdownSound();
    ShutdownPlatform();
    if (probe.first_ == 0) {
      std::fprintf(stderr, "first_frame: no frame was presented (is DISPLAY set?)\n");
      return 1;
    }
    times.push_back(static_cast<double>(probe.first_ - answered) * 1e3 /
                    static_cast<double>(frequency));
  }
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  if (json) {
    std::printf("{\"inside_ms\": %.2f}\n", median);
  } else {
    std::printf(
        "dialog answered to first frame presented, inside: median %.1f ms of %d runs "
        "(fastest %.1f, slowest %.1f)\n",
        median, kRuns, times.front(), times.back());
  }
  return 0;
}
