// Fuzz target of bitmap loading: any bytes, written to a real file, loaded by display devices
// at 16, 24 and 32 bits, then copied into the back buffer plainly and with the green colour key
// at the places frame composition copies pictures to, and every copied pixel checked.
#include <SDL.h>
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/BitmapFile.h"
#include "display/DisplayDevice.h"
#include "display/Surface.h"
#include "fuzz/ScratchFile.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"

namespace {

constexpr int32_t kScreenWidth = 640;
constexpr int32_t kScreenHeight = 480;

void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

// One window on SDL's dummy driver and one windowed device for each colour depth, all kept for
// the whole run; the window is only the devices' anchor, nothing is presented.
struct Displays {
  Displays() {
    SetMessageBoxHandler([](const std::string&, const std::string&) {});
    SetMessageBoxEcho(false);
    Check(InitVideo());
    window = CreatePlatformWindow(
        "Tarnwick", 0, 0, kScreenWidth, kScreenHeight, true,
        [](WindowHandle, uint32_t, uint64_t, int64_t) -> int64_t { return 0; });
    Check(window != nullptr);
    for (uint32_t depth : {16u, 24u, 32u}) {
      devices.push_back(std::make_unique<DisplayDevice>());
      Check(devices.back()->Init(1, window, kScreenWidth, kScreenHeight, depth, 0) == 1);
    }
  }

  WindowHandle window = nullptr;
  std::vector<std::unique_ptr<DisplayDevice>> devices;
};

// A part of a picture and where in the back buffer its top left corner goes.
struct Placement {
  SurfaceRect source;
  int32_t x, y;
};

// The whole picture at the top left as far as it fits, its bottom right corner at the back
// buffer's, and a part from inside it at the board's corner, as wide as the board at most.
std::vector<Placement> Placements(int32_t width, int32_t height) {
  const int32_t fitWidth = std::min(width, kScreenWidth);
  const int32_t fitHeight = std::min(height, kScreenHeight);
  const int32_t insideLeft = width / 3, insideTop = height / 3;
  const int32_t insideWidth = std::min(width - insideLeft, 432);
  const int32_t insideHeight = std::min(height - insideTop, 432);
  return {
      {{0, 0, fitWidth, fitHeight}, 0, 0},
      {{width - fitWidth, height - fitHeight, width, height},
       kScreenWidth - fitWidth,
       kScreenHeight - fitHeight},
      {{insideLeft, insideTop, insideLeft + insideWidth, insideTop + insideHeight}, 15, 33},
  };
}

// Copies one part into a back buffer cleared to a colour of its own under it, and checks
// every pixel of the destination: the source's, or under a keyed copy the cleared colour where
// the source holds the key.
void CopyAndCheck(DisplayDevice& device, Surface& picture, const Placement& placement, bool keyed) {
  Surface& buffer = *device.ActiveBackBuffer();
  const SurfaceRect& from = placement.source;
  const SurfaceRect to{placement.x, placement.y, placement.x + from.right - from.left,
                       placement.y + from.bottom - from.top};
  SDL_Rect area{to.left, to.top, to.right - to.left, to.bottom - to.top};
  const uint32_t cleared = SDL_MapRGB(buffer.Sdl()->format, 0x80, 0x40, 0xC0);
  Check(SDL_FillRect(buffer.Sdl(), &area, cleared) == 0);
  device.Blit(to, &picture, from, BlitWait | (keyed ? BlitKeySource : 0));
  const uint32_t key = buffer.Sdl()->format->Gmask;
  for (int32_t y = 0; y < area.h; ++y) {
    for (int32_t x = 0; x < area.w; ++x) {
      const uint32_t source = picture.Pixel(from.left + x, from.top + y);
      const uint32_t expected = keyed && source == key ? cleared : source;
      Check(buffer.Pixel(to.left + x, to.top + y) == expected);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile scratch;
  static Displays displays;
  const char* path = scratch.Write(data, size);

  BitmapFile file;
  const bool parsed = file.Parse(std::vector<uint8_t>(data, data + size));
  for (const std::unique_ptr<DisplayDevice>& device : displays.devices) {
    const int32_t before = device->surfaceCount;
    Surface* picture = device->LoadBitmap(0, path);
    if (!picture) {
      Check(device->surfaceCount == before);
      continue;
    }
    // Only files whose headers pass are loaded, at the size the headers give, in the back
    // buffer's format.
    Check(parsed && device->surfaceCount == before + 1);
    Check(picture->Width() == file.Width() && picture->Height() == file.Height());
    Check(picture->Sdl()->format->format == device->ActiveBackBuffer()->Sdl()->format->format);

    const std::vector<Placement> placements = Placements(picture->Width(), picture->Height());
    for (const Placement& placement : placements) CopyAndCheck(*device, *picture, placement, false);
    device->SetColorKeyMode(KeyGreen);
    device->ApplyColorKey(picture);
    Check(picture->HasColorKey());
    for (const Placement& placement : placements) CopyAndCheck(*device, *picture, placement, true);

    device->ReleaseSurface(picture);
    Check(device->surfaceCount == before);
  }
  return 0;
}
