// The cost of composing one frame of the sample game (panel buttons, board, overlay, every
// character standing on the board, the frame-rate line) into the back buffer, at each colour
// depth, without presenting it, held against a plain copy of as many bytes as the frame has;
// and the clearing of what the frame's pictures leave uncovered. Runs in full screen on SDL's
// offscreen video driver, where the back buffer has the depth asked for.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "SampleGame.h"
#include "app/Shutdown.h"
#include "board/BoardLayout.h"
#include "board/GameEngine.h"
#include "composition/FrameComposition.h"
#include "content/Character.h"
#include "content/DefinitionFile.h"
#include "display/DisplayDevice.h"
#include "platform/Platform.h"

namespace {

int64_t Procedure(WindowHandle, uint32_t, uint64_t, int64_t) { return 0; }

// Loads the sample game at a colour depth and stands its characters on the board, in rows.
bool OpenSampleGame(uint32_t depth, WindowHandle window) {
  Display = std::make_unique<DisplayDevice>();
  Engine = std::make_unique<GameEngine>();
  if (!Display->Init(FullScreenFlag, window, 640, 480, depth, 0) || !LoadSampleGame()) {
    return false;
  }
  for (int32_t i = 0; i < CharacterCount; ++i) {
    Characters[i]->orientation = Horizontal;
    Characters[i]->SetPosition(0, 2 * i);
    Characters[i]->SetShown(1);
  }
  return true;
}

// Composing a frame, then copying a frame's worth of bytes with memcpy, in every iteration:
// both meet the same machine and each starts with the caches the other left, as a frame does
// in the program. Measured seconds apart instead, the two drift on a shared virtual machine
// by more than the difference between them. Reports each one's time and the ratio.
void BM_RenderFrameAgainstCopy(benchmark::State& state) {
  const auto depth = static_cast<uint32_t>(state.range(0));
  const size_t bytes = size_t{640} * 480 * depth / 8;
  std::vector<uint8_t> from(bytes, 1), to(bytes);
  WindowHandle window = CreatePlatformWindow("Tarnwick", 50, 50, 640, 480, true, Procedure);
  if (!window || !OpenSampleGame(depth, window)) {
    state.SkipWithError("the sample game did not load");
  } else {
    using Clock = std::chrono::steady_clock;
    Clock::duration composing{}, copying{};
    for (auto _ : state) {
      const Clock::time_point start = Clock::now();
      Engine->RenderFrame(window, 1);
      const Clock::time_point composed = Clock::now();
      std::memcpy(to.data(), from.data(), bytes);
      benchmark::DoNotOptimize(to.data());
      benchmark::ClobberMemory();
      copying += Clock::now() - composed;
      composing += composed - start;
    }
    const auto perFrame = [&state](Clock::duration total) {
      return std::chrono::duration<double, std::micro>(total).count() /
             static_cast<double>(state.iterations());
    };
    state.counters["compose_us"] = perFrame(composing);
    state.counters["copy_us"] = perFrame(copying);
    state.counters["ratio"] = perFrame(composing) / perFrame(copying);
  }
  Shutdown();
  DestroyWindow(window);
}
BENCHMARK(BM_RenderFrameAgainstCopy)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMicrosecond);

// The part of a frame that clears what the buttons and the board picture leave uncovered.
void BM_ClearUncovered(benchmark::State& state) {
  const auto depth = static_cast<uint32_t>(state.range(0));
  WindowHandle window = CreatePlatformWindow("Tarnwick", 50, 50, 640, 480, true, Procedure);
  if (!window || !OpenSampleGame(depth, window)) {
    state.SkipWithError("the sample game did not load");
  } else {
    std::vector<SurfaceRect> covered{BoardLayout::kBoardArea};
    for (int32_t i = 0; i < CharacterCount; ++i) covered.push_back(BoardLayout::ButtonArea(i));
    for (auto _ : state) {
      for (const SurfaceRect& gap : FrameComposition::Uncovered({0, 0, 640, 480}, covered)) {
        Display->Clear(gap);
      }
    }
  }
  Shutdown();
  DestroyWindow(window);
}
BENCHMARK(BM_ClearUncovered)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  const char* root = std::getenv("TARNWICK_SOURCE_DIR");
  if (chdir(root ? root : ".") != 0 || chdir("game") != 0 || !InitVideo()) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  ShutdownPlatform();
  return 0;
}
