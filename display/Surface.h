// Surface: a picture in memory in the display's pixel format, owned, with the colour key that
// keyed copies from it leave out. Content code only ever holds a Surface* it got from the
// display device and gives it back there.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct SDL_Surface;

// A rectangle as left, top, right, bottom; right and bottom are exclusive.
struct SurfaceRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  bool operator==(const SurfaceRect&) const = default;
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
  // SDL's name of the pixel format.
  uint32_t Format() const;

  // Colour key: the raw pixel value that keyed copies leave out. Setting it finds, row by row,
  // the runs of pixels that are not the key, so that keyed copies copy those runs instead of
  // testing every pixel; pictures do not change after loading.
  void SetColorKey(uint32_t key);
  bool HasColorKey() const { return keyed_; }
  uint32_t ColorKey() const { return key_; }

  // A run of pixels of one row that keyed copies copy: from column `start`, `length` pixels.
  struct Run {
    int32_t start;
    int32_t length;
  };
  // The runs of row `y`, left to right; none for a row outside the picture.
  std::span<const Run> Runs(int32_t y) const {
    if (!keyed_ || y < 0 || static_cast<size_t>(y) + 1 >= rowStarts_.size()) return {};
    const size_t row = static_cast<size_t>(y);
    return {runs_.data() + rowStarts_[row], rowStarts_[row + 1] - rowStarts_[row]};
  }

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
  bool keyed_ = false;
  uint32_t key_ = 0;
  // Every row's runs one after the other; row y's start at rowStarts_[y].
  std::vector<Run> runs_;
  std::vector<size_t> rowStarts_;
};
