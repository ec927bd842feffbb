// The cost of composing one frame of the sample game (panel buttons, board, overlay, every
// character standing on the board, the frame-rate line) into the back buffer, at each colour
// depth, without presenting it. Runs on SDL's dummy video driver from the repository's root.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "app/Shutdown.h"
#include "board/GameEngine.h"
#include "content/Character.h"
#include "content/DefinitionFile.h"
#include "display/DisplayDevice.h"
#include "display/FrameComposition.h"
#include "platform/Platform.h"

namespace {

int64_t Procedure(WindowHandle, uint32_t, uint64_t, int64_t) { return 0; }

// Loads the sample game at a colour depth and stands its characters on the board, in rows.
bool OpenSampleGame(uint32_t depth, WindowHandle window) {
  Display = std::make_unique<DisplayDevice>();
  Engine = std::make_unique<GameEngine>();
  if (!Display->Init(1, window, 640, 480, depth, 0)) return false;
  DefinitionFile definition;
  DefinitionHeader header;
  definition.ReadHeader("packages/morrels.pkg", &header);
  if (!header.complete || header.characterCount <= 0) return false;
  Characters = std::make_unique<std::unique_ptr<Character>[]>(header.characterCount);
  for (int32_t i = 0; i < header.characterCount; ++i) {
    Characters[i] = definition.ReadCharacter(i);
    if (!Characters[i]) return false;
  }
  CharacterCount = header.characterCount;
  if (!Engine->Init()) return false;
  for (int32_t i = 0; i < CharacterCount; ++i) {
    Characters[i]->orientation = Horizontal;
    Characters[i]->SetPosition(0, 2 * i);
    Characters[i]->SetShown(1);
  }
  return true;
}

void BM_RenderFrame(benchmark::State& state) {
  const auto depth = static_cast<uint32_t>(state.range(0));
  WindowHandle window = CreatePlatformWindow("Tarnwick", 50, 50, 640, 480, true, Procedure);
  if (!window || !OpenSampleGame(depth, window)) {
    state.SkipWithError("the sample game did not load");
  } else {
    for (auto _ : state) Engine->RenderFrame(window, 1);
  }
  Shutdown();
  DestroyWindow(window);
}
BENCHMARK(BM_RenderFrame)->Arg(16)->Arg(24)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  const char* root = std::getenv("TARNWICK_SOURCE_DIR");
  if (chdir(root ? root : ".") != 0 || chdir("game") != 0 || !InitVideo()) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  ShutdownPlatform();
  return 0;
}
