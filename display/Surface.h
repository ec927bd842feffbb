// Surface: a picture in memory in the display's pixel format, owned, with the colour key that
// keyed copies from it leave out. Content code only ever holds a Surface* it got from the
// display device and gives it back there.
#pragma once

#include <cstdint>
#include <memory>

struct SDL_Surface;

// A rectangle as left, top, right, bottom; right and bottom are exclusive.
struct SurfaceRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Frees what SDL_CreateRGBSurface and its relatives hand out.
struct SdlSurfaceDeleter {
  void operator()(SDL_Surface* surface) const;
};
using SdlSurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

class Surface {
 public:
  explicit Surface(SdlSurfacePtr pixels);
  Surface(Surface&&) noexcept = default;
  Surface& operator=(Surface&&) noexcept = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  SDL_Surface* Sdl() const { return pixels_.get(); }
  int32_t Width() const;
  int32_t Height() const;

  // Colour key: the raw pixel value that keyed copies leave out. The keyed source is a
  // run-length encoded twin of the pixels as they were when the key was set, so that keyed
  // copies skip transparent runs instead of testing every pixel; pictures do not change after
  // loading. Null until a key is set.
  void SetColorKey(uint32_t key);
  bool HasColorKey() const { return keyed_ != nullptr; }
  uint32_t ColorKey() const { return key_; }
  SDL_Surface* KeyedSource() const { return keyed_.get(); }

  // The raw value of one pixel in the surface's own format; 0 outside the surface.
  uint32_t Pixel(int32_t x, int32_t y) const;

 private:
  // Counts the surfaces alive; the sanitizer build checks at exit that none is left.
  struct LiveCount {
    LiveCount() noexcept;
    LiveCount(const LiveCount&) noexcept;
    LiveCount& operator=(const LiveCount&) = default;
    ~LiveCount();
  };

  [[no_unique_address]] LiveCount live_;
  SdlSurfacePtr pixels_;
  SdlSurfacePtr keyed_;
  uint32_t key_ = 0;
};
