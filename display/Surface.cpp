// Surface: ownership, colour key and pixel reads of one SDL surface.
#include "display/Surface.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "platform/ProgramOutput.h"

#ifdef TARNWICK_COUNT_SURFACES
namespace {

int liveSurfaces = 0;

// Every surface goes back to its owner, and through it to the display, before the process
// ends, whichever way it ends; one still alive then was leaked or outlived Shutdown.
void CheckNoSurfaceLeft() {
  if (liveSurfaces == 0) return;
  WriteErrorLine(std::to_string(liveSurfaces) + " surfaces still alive at exit");
  std::abort();
}

}  // namespace

Surface::LiveCount::LiveCount() noexcept {
  [[maybe_unused]] static const bool checked = std::atexit(CheckNoSurfaceLeft) == 0;
  ++liveSurfaces;
}

Surface::LiveCount::LiveCount(const LiveCount&) noexcept : LiveCount() {}

Surface::LiveCount::~LiveCount() { --liveSurfaces; }
#else
Surface::LiveCount::LiveCount() noexcept = default;

Surface::LiveCount::LiveCount(const LiveCount&) noexcept = default;

Surface::LiveCount::~LiveCount() = default;
#endif

void SdlSurfaceDeleter::operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }

Surface::Surface(SdlSurfacePtr pixels) : pixels_(std::move(pixels)) {}

int32_t Surface::Width() const { return pixels_ ? pixels_->w : 0; }

int32_t Surface::Height() const { return pixels_ ? pixels_->h : 0; }

uint32_t Surface::Format() const { return pixels_ ? pixels_->format->format : 0; }

void Surface::SetColorKey(uint32_t key) {
  if (!pixels_) return;
  runs_.clear();
  rowStarts_.assign(static_cast<size_t>(pixels_->h) + 1, 0);
  for (int32_t y = 0; y < pixels_->h; ++y) {
    rowStarts_[static_cast<size_t>(y)] = runs_.size();
    int32_t x = 0;
    while (x < pixels_->w) {
      while (x < pixels_->w && Pixel(x, y) == key) ++x;
      const int32_t start = x;
      while (x < pixels_->w && Pixel(x, y) != key) ++x;
      if (x > start) runs_.push_back(Run{start, x - start});
    }
  }
  rowStarts_.back() = runs_.size();
  keyed_ = true;
  key_ = key;
}

uint32_t Surface::Pixel(int32_t x, int32_t y) const {
  if (!pixels_ || x < 0 || y < 0 || x >= pixels_->w || y >= pixels_->h) return 0;
  const int bytes = pixels_->format->BytesPerPixel;
  const auto* at = static_cast<const uint8_t*>(pixels_->pixels) +
                   static_cast<ptrdiff_t>(y) * pixels_->pitch + static_cast<ptrdiff_t>(x) * bytes;
  switch (bytes) {
    case 1:
      return at[0];
    case 2: {
      uint16_t value;
      std::memcpy(&value, at, sizeof value);
      return value;
    }
    case 3:
      return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
             static_cast<uint32_t>(at[2]) << 16;
    default: {
      uint32_t value;
      std::memcpy(&value, at, sizeof value);
      return value;
    }
  }
}
