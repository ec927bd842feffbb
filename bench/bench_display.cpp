// Display costs in each colour depth, each beside a memcpy of the same bytes: one windowed
// Present of the 640x480 play screen through the window surface (and, for comparison, through
// SDL renderers with a streaming texture, vsync off), one full-screen Present scaled to the
// desktop, and the conversion of the game's 432x432 board picture into the display format at
// load; and presents at a window scale and in full screen with sharp-bilinear scaling. Run it
// under an X server (make bench does).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "display/BitmapFile.h"
#include "display/DisplayDevice.h"
#include "display/Surface.h"
#include "platform/Platform.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPictureSide = 432;

int64_t Procedure(WindowHandle, uint32_t, uint64_t, int64_t) { return 0; }

uint32_t FormatOf(int depth) {
  return depth == 16   ? SDL_PIXELFORMAT_RGB565
         : depth == 24 ? SDL_PIXELFORMAT_BGR24
                       : SDL_PIXELFORMAT_RGB888;
}

std::string BoardPicture() {
  const char* root = std::getenv("TARNWICK_SOURCE_DIR");
  return std::string(root ? root : ".") + "/game/images/Board.bmp";
}

// The play window, made once for all benchmarks.
WindowHandle PlayWindow() {
  static const WindowHandle window =
      InitVideo() ? CreatePlatformWindow("Tarnwick", 50, 50, kWidth, kHeight, true, Procedure)
                  : nullptr;
  return window;
}

// Fills a surface with a gradient, so that nothing is presented as one flat colour.
void Paint(SDL_Surface* surface) {
  for (int y = 0; y < surface->h; y += 8) {
    for (int x = 0; x < surface->w; x += 8) {
      const SDL_Rect block{x, y, 8, 8};
      SDL_FillRect(surface, &block,
                   SDL_MapRGB(surface->format, static_cast<Uint8>(x), static_cast<Uint8>(y),
                              static_cast<Uint8>(x + y)));
    }
  }
}

void Memcpy(benchmark::State& state, size_t bytes) {
  std::vector<uint8_t> from(bytes, 0x5A), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}

void PresentWindowSurface(benchmark::State& state, int depth) {
  const WindowHandle window = PlayWindow();
  DisplayDevice device;
  if (!window || !device.Init(1, window, kWidth, kHeight, static_cast<uint32_t>(depth), 0)) {
    state.SkipWithError("no window: run under an X server");
    return;
  }
  Paint(device.ActiveBackBuffer()->Sdl());
  for (auto _ : state) device.Present(window);
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * depth / 8);
}

// A play window at a scale, or full screen on the desktop's mode (make bench also runs these on
// a 3840x2160 screen): the flip, the conversion to the screen's format and the scaling, presented
// the way the program presents, through the window surface or, with `renderer`, SDL's renderer.
void PresentScaled(benchmark::State& state, int depth, int scale, bool fullScreen, bool renderer) {
  const WindowHandle window = PlayWindow() ? CreatePlatformWindow("Tarnwick", 0, 0, kWidth, kHeight,
                                                                  !fullScreen, Procedure, scale)
                                           : nullptr;
  auto device = std::make_unique<DisplayDevice>();
  device->preferRenderer = renderer;
  if (!window || !device->Init(fullScreen ? FullScreenFlag : 1, window, kWidth, kHeight,
                               static_cast<uint32_t>(depth), 0)) {
    state.SkipWithError("no window: run under an X server");
    return;
  }
  Paint(device->ActiveBackBuffer()->Sdl());
  device->Present(window);
  Paint(device->ActiveBackBuffer()->Sdl());
  for (auto _ : state) device->Present(window);
  int width = 0, height = 0;
  SDL_GetWindowSizeInPixels(window->Sdl(), &width, &height);
  state.SetLabel(std::to_string(width) + "x" + std::to_string(height));
  device.reset();
  DestroyWindow(window);
}

// The alternative to the window surface: a streaming texture of the back buffer's format,
// drawn by an SDL renderer on a window of its own.
void PresentRenderer(benchmark::State& state, int depth, Uint32 rendererFlags) {
  if (!PlayWindow()) {
    state.SkipWithError("no window: run under an X server");
    return;
  }
  SDL_Window* window = SDL_CreateWindow("renderer", 60, 60, kWidth, kHeight, SDL_WINDOW_SHOWN);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, rendererFlags) : nullptr;
  SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, FormatOf(depth),
                                                      SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight)
                                  : nullptr;
  SdlSurfacePtr frame(SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, depth, FormatOf(depth)));
  if (texture && frame) {
    Paint(frame.get());
    for (auto _ : state) {
      SDL_UpdateTexture(texture, nullptr, frame->pixels, frame->pitch);
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      SDL_RenderPresent(renderer);
    }
    state.SetBytesProcessed(state.iterations() * kWidth * kHeight * depth / 8);
  } else {
    state.SkipWithError(SDL_GetError());
  }
  if (texture) SDL_DestroyTexture(texture);
  if (renderer) SDL_DestroyRenderer(renderer);
  if (window) SDL_DestroyWindow(window);
}

void ConvertPicture(benchmark::State& state, int depth) {
  BitmapFile file;
  SdlSurfacePtr picture = file.Read(BoardPicture().c_str()) ? file.Decode() : nullptr;
  if (!picture || picture->w != kPictureSide) {
    state.SkipWithError("game/images/Board.bmp not found: run from the repository");
    return;
  }
  for (auto _ : state) {
    SdlSurfacePtr converted(SDL_ConvertSurfaceFormat(picture.get(), FormatOf(depth), 0));
    benchmark::DoNotOptimize(converted.get());
  }
  state.SetBytesProcessed(state.iterations() * kPictureSide * kPictureSide * depth / 8);
}

void LoadPicture(benchmark::State& state, int depth) {
  const WindowHandle window = PlayWindow();
  DisplayDevice device;
  if (!window || !device.Init(1, window, kWidth, kHeight, static_cast<uint32_t>(depth), 0)) {
    state.SkipWithError("no window: run under an X server");
    return;
  }
  const std::string path = BoardPicture();
  for (auto _ : state) {
    Surface* surface = device.LoadBitmap(0, path.c_str());
    if (!surface) {
      state.SkipWithError("game/images/Board.bmp not found: run from the repository");
      break;
    }
    device.ReleaseSurface(surface);
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const int depth : {16, 24, 32}) {
    const size_t pixelBytes = static_cast<size_t>(depth / 8);
    const auto add = [depth](const char* label, auto function, auto... arguments) {
      const std::string name = std::string(label).append(" ").append(std::to_string(depth));
      benchmark::RegisterBenchmark(name.c_str(), function, arguments...)
          ->Unit(benchmark::kMicrosecond);
    };
    add("Present 640x480 window surface", PresentWindowSurface, depth);
    add("Present 640x480 renderer, software", PresentRenderer, depth,
        Uint32{SDL_RENDERER_SOFTWARE});
    add("Present 640x480 renderer, accelerated", PresentRenderer, depth,
        Uint32{SDL_RENDERER_ACCELERATED});
    add("Present full screen, scaled", PresentScaled, depth, 1, true, false);
    add("memcpy 640x480", Memcpy, size_t{kWidth * kHeight} * pixelBytes);
    add("Convert 432x432 at load", ConvertPicture, depth);
    add("LoadBitmap 432x432, whole", LoadPicture, depth);
    add("memcpy 432x432", Memcpy, size_t{kPictureSide * kPictureSide} * pixelBytes);
  }
  for (const bool renderer : {false, true}) {
    const std::string way = renderer ? ", renderer" : ", window surface";
    for (const int scale : {1, 3}) {
      benchmark::RegisterBenchmark(("Present at scale " + std::to_string(scale) + way).c_str(),
                                   PresentScaled, 32, scale, false, renderer)
          ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark(("Present full screen sharp-bilinear" + way).c_str(),
                                 PresentScaled, 32, 1, true, renderer)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  ShutdownPlatform();
  return 0;
}
