// PixelRoutines: the display's pure pixel work on SDL surfaces in memory: buffers, copies with
// and without a colour key, format conversion of whole frames, and scaling into a rectangle.
#include "display/PixelRoutines.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// One row of 5-6-5 pixels as X-8-8-8, each channel widened as SDL reads it (v * 255 / 31 and
// v * 255 / 63, truncated) in 16-bit arithmetic that the compiler vectorises.
void WidenRow565(const uint16_t* __restrict in, uint32_t* __restrict out, int width,
                 uint32_t opaque) {
  for (int x = 0; x < width; ++x) {
    const uint16_t pixel = in[x];
    const auto red = static_cast<uint16_t>(((pixel >> 11) * 1053) >> 7);
    const auto green = static_cast<uint16_t>((((pixel >> 5) & 0x3F) * 259 + 3) >> 6);
    const auto blue = static_cast<uint16_t>(((pixel & 0x1F) * 1053) >> 7);
    out[x] = opaque | uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
  }
}

// Nearest-neighbour scaling of `from` into `area` of `to`, both of one format. Window pixel x
// shows source pixel x * from.w / area.w, the same rule by which the window maps the pointer
// back to the play screen, so a click lands on the pixel it is seen on.
template <int Bytes>
void StretchRows(const SDL_Surface& from, SDL_Surface& to, const SDL_Rect& area) {
  std::vector<int> columns(static_cast<size_t>(area.w));
  for (int x = 0; x < area.w; ++x) {
    columns[static_cast<size_t>(x)] = static_cast<int>(int64_t{x} * from.w / area.w) * Bytes;
  }
  const size_t rowBytes = static_cast<size_t>(area.w) * Bytes;
  int previousRow = -1;
  for (int y = 0; y < area.h; ++y) {
    auto* out = static_cast<uint8_t*>(to.pixels) + ptrdiff_t{area.y + y} * to.pitch +
                ptrdiff_t{area.x} * Bytes;
    const int row = static_cast<int>(int64_t{y} * from.h / area.h);
    if (row == previousRow) {
      std::memcpy(out, out - to.pitch, rowBytes);
      continue;
    }
    previousRow = row;
    const auto* in = static_cast<const uint8_t*>(from.pixels) + ptrdiff_t{row} * from.pitch;
    for (size_t x = 0; x < columns.size(); ++x) {
      std::memcpy(out + x * Bytes, in + columns[x], Bytes);
    }
  }
}

// Whether a copy between the two surfaces is a plain copy of bytes: one format, no blending.
bool SameBytes(const SDL_Surface& from, const SDL_Surface& to) {
  SDL_BlendMode blend = SDL_BLENDMODE_NONE;
  SDL_GetSurfaceBlendMode(const_cast<SDL_Surface*>(&from), &blend);
  return from.format->format == to.format->format && blend == SDL_BLENDMODE_NONE &&
         !SDL_MUSTLOCK(&from) && !SDL_MUSTLOCK(&to);
}

// Copies `count` pixels of `Bytes` bytes each. Runs of a keyed picture are a few dozen bytes,
// where a call to memcpy for each costs more than the copy: sixteen bytes at a time, then the
// rest, all with copies of fixed size that the compiler turns into plain moves.
template <int Bytes>
void CopyPixels(const uint8_t* in, uint8_t* out, int32_t count) {
  size_t left = static_cast<size_t>(count) * Bytes;
  for (; left >= 16; left -= 16, in += 16, out += 16) std::memcpy(out, in, 16);
  if (left >= 8) {
    std::memcpy(out, in, 8);
    left -= 8, in += 8, out += 8;
  }
  if (left >= 4) {
    std::memcpy(out, in, 4);
    left -= 4, in += 4, out += 4;
  }
  if (left >= 2) {
    std::memcpy(out, in, 2);
    left -= 2, in += 2, out += 2;
  }
  if (left) *out = *in;
}

template <int Bytes>
void CopyRunsOf(const Surface& source, const SurfaceRect& fromRect, SDL_Surface& to,
                const SurfaceRect& toRect) {
  const SDL_Surface& from = *source.Sdl();
  for (int32_t y = fromRect.top; y < fromRect.bottom; ++y) {
    const auto* in = static_cast<const uint8_t*>(from.pixels) + ptrdiff_t{y} * from.pitch;
    auto* out = static_cast<uint8_t*>(to.pixels) +
                ptrdiff_t{toRect.top + y - fromRect.top} * to.pitch +
                ptrdiff_t{toRect.left - fromRect.left} * Bytes;
    for (const Surface::Run& run : source.Runs(y)) {
      const int32_t start = std::max(run.start, fromRect.left);
      const int32_t end = std::min(run.start + run.length, fromRect.right);
      if (end > start) {
        CopyPixels<Bytes>(in + ptrdiff_t{start} * Bytes, out + ptrdiff_t{start} * Bytes,
                          end - start);
      }
    }
  }
}

// Where one target pixel of a sharp-bilinear scale takes its colour from along one axis: the
// two neighbouring source pixels and the weight of the second, in 256ths.
struct Tap {
  int first;
  int second;
  uint32_t weight;
};

// The taps of `target` pixels scaled from `source` ones. A target pixel's centre falls at a
// position within a source pixel; near that pixel's middle it takes the pixel itself, and
// only within half a prescaled pixel of its edges does it blend towards the neighbour.
std::vector<Tap> SharpTaps(int source, int target) {
  const int prescale = std::max(1, (target + source - 1) / source);
  const double flat = 0.5 - 0.5 / prescale;
  std::vector<Tap> taps(static_cast<size_t>(target));
  for (int i = 0; i < target; ++i) {
    const double texel = (i + 0.5) * source / target;
    const double whole = std::floor(texel);
    const double fromMiddle = texel - whole - 0.5;
    const double edge = (fromMiddle - std::clamp(fromMiddle, -flat, flat)) * prescale;
    const double at = whole + edge;
    const double below = std::floor(at);
    auto weight = static_cast<uint32_t>(std::lround((at - below) * 256));
    int first = std::clamp(static_cast<int>(below), 0, source - 1);
    const int second = std::clamp(static_cast<int>(below) + 1, 0, source - 1);
    if (weight >= 256) first = second;
    if (weight >= 256 || first == second) weight = 0;
    taps[static_cast<size_t>(i)] = Tap{first, second, weight};
  }
  return taps;
}

// Two pixels of four 8-bit channels mixed, the second weighing `weight` 256ths.
uint32_t Mix(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t keep = 256 - weight;
  const uint32_t redBlue = (((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * weight) >> 8) & 0xFF00FFu;
  const uint32_t alphaGreen =
      (((a >> 8) & 0xFF00FFu) * keep + ((b >> 8) & 0xFF00FFu) * weight) & 0xFF00FF00u;
  return redBlue | alphaGreen;
}

// One source row scaled across, by the column taps.
void ScaleRow(const uint32_t* in, const std::vector<Tap>& columns, uint32_t* out) {
  for (size_t x = 0; x < columns.size(); ++x) {
    const Tap& tap = columns[x];
    out[x] = tap.weight ? Mix(in[tap.first], in[tap.second], tap.weight) : in[tap.first];
  }
}

}  // namespace

// A surface of the given size and format, cleared to black; null if SDL refuses it.
std::unique_ptr<Surface> NewBuffer(int64_t width, int64_t height, uint32_t format) {
  if (width > INT_MAX || height > INT_MAX) return nullptr;
  SdlSurfacePtr pixels(SDL_CreateRGBSurfaceWithFormat(
      0, static_cast<int>(width), static_cast<int>(height), SDL_BITSPERPIXEL(format), format));
  if (!pixels) return nullptr;
  SDL_FillRect(pixels.get(), nullptr, SDL_MapRGB(pixels->format, 0, 0, 0));
  return std::make_unique<Surface>(std::move(pixels));
}

bool Inside(const SurfaceRect& rect, const Surface& surface) {
  return rect.left >= 0 && rect.top >= 0 && rect.right <= surface.Width() &&
         rect.bottom <= surface.Height();
}

SDL_Rect ToSdl(const SurfaceRect& rect) {
  return SDL_Rect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// Copies a whole frame of the back buffer into `to` at (x, y), converting 5-6-5 pixels into
// the X-8-8-8 pixels of a window: about twice as fast as SDL's converter, and presenting does
// it every frame. False for any other pair of formats, which SDL then converts.
bool ConvertFrame(const SDL_Surface& from, SDL_Surface& to, int x, int y) {
  const uint32_t target = to.format->format;
  if (from.format->format != SDL_PIXELFORMAT_RGB565 ||
      (target != SDL_PIXELFORMAT_RGB888 && target != SDL_PIXELFORMAT_ARGB8888) ||
      SDL_MUSTLOCK(&to) || x < 0 || y < 0 || x + from.w > to.w || y + from.h > to.h) {
    return false;
  }
  const uint32_t opaque = target == SDL_PIXELFORMAT_ARGB8888 ? 0xFF000000u : 0;
  const auto* sourceRows = static_cast<const uint8_t*>(from.pixels);
  auto* targetRows = static_cast<uint8_t*>(to.pixels) + ptrdiff_t{y} * to.pitch + ptrdiff_t{x} * 4;
  for (int row = 0; row < from.h; ++row) {
    WidenRow565(reinterpret_cast<const uint16_t*>(sourceRows + ptrdiff_t{row} * from.pitch),
                reinterpret_cast<uint32_t*>(targetRows + ptrdiff_t{row} * to.pitch), from.w,
                opaque);
  }
  return true;
}

void Stretch(const SDL_Surface& from, SDL_Surface& to, const SDL_Rect& area) {
  switch (to.format->BytesPerPixel) {
    case 1:
      return StretchRows<1>(from, to, area);
    case 2:
      return StretchRows<2>(from, to, area);
    case 3:
      return StretchRows<3>(from, to, area);
    default:
      return StretchRows<4>(from, to, area);
  }
}

// A keyed copy within one format: the picture's runs of pixels that are not the key, clipped
// to the source rectangle. False when the formats differ, for SDL to convert.
bool CopyRuns(const Surface& source, const SurfaceRect& fromRect, SDL_Surface& to,
              const SurfaceRect& toRect) {
  if (!SameBytes(*source.Sdl(), to)) return false;
  switch (to.format->BytesPerPixel) {
    case 2:
      CopyRunsOf<2>(source, fromRect, to, toRect);
      return true;
    case 3:
      CopyRunsOf<3>(source, fromRect, to, toRect);
      return true;
    case 4:
      CopyRunsOf<4>(source, fromRect, to, toRect);
      return true;
    default:
      return false;
  }
}

// A plain copy between surfaces of one format, row by row: what SDL's blit does for it, without
// the cost of its set-up, which a frame of small copies pays often. False when the copy
// converts or blends, for SDL to do.
bool CopyRows(const SDL_Surface& from, const SurfaceRect& fromRect, SDL_Surface& to,
              const SurfaceRect& toRect) {
  if (!SameBytes(from, to)) return false;
  const int bytes = from.format->BytesPerPixel;
  const size_t length = static_cast<size_t>(fromRect.right - fromRect.left) * bytes;
  const auto* in = static_cast<const uint8_t*>(from.pixels) + ptrdiff_t{fromRect.top} * from.pitch +
                   ptrdiff_t{fromRect.left} * bytes;
  auto* out = static_cast<uint8_t*>(to.pixels) + ptrdiff_t{toRect.top} * to.pitch +
              ptrdiff_t{toRect.left} * bytes;
  for (int32_t row = fromRect.top; row < fromRect.bottom; ++row) {
    std::memcpy(out, in, length);
    in += from.pitch;
    out += to.pitch;
  }
  return true;
}

// Blackens the screen around `area`.
void FillBars(SDL_Surface& screen, const SDL_Rect& area) {
  const Uint32 black = SDL_MapRGB(screen.format, 0, 0, 0);
  const SDL_Rect bars[] = {
      {0, 0, screen.w, area.y},
      {0, area.y + area.h, screen.w, screen.h - area.y - area.h},
      {0, area.y, area.x, area.h},
      {area.x + area.w, area.y, screen.w - area.x - area.w, area.h},
  };
  for (const SDL_Rect& bar : bars) {
    if (bar.w > 0 && bar.h > 0) SDL_FillRect(&screen, &bar, black);
  }
}

void StretchSharpBilinear(const SDL_Surface& from, SDL_Surface& to, const SDL_Rect& area) {
  if (from.format->BytesPerPixel != 4 || to.format->BytesPerPixel != 4 || area.w <= 0 ||
      area.h <= 0) {
    Stretch(from, to, area);
    return;
  }
  const std::vector<Tap> columns = SharpTaps(from.w, area.w);
  const std::vector<Tap> rows = SharpTaps(from.h, area.h);
  const auto sourceRow = [&from](int y) {
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(from.pixels) +
                                             ptrdiff_t{y} * from.pitch);
  };
  // Source rows scaled across, kept while target rows still need them (rows come in order).
  std::vector<uint32_t> upper(static_cast<size_t>(area.w)), lower(upper.size());
  int upperRow = -1, lowerRow = -1;
  const size_t rowBytes = upper.size() * 4;
  const Tap* previous = nullptr;
  for (int y = 0; y < area.h; ++y) {
    auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(to.pixels) +
                                            ptrdiff_t{area.y + y} * to.pitch) +
                area.x;
    const Tap& tap = rows[static_cast<size_t>(y)];
    if (previous && previous->first == tap.first && previous->second == tap.second &&
        previous->weight == tap.weight) {
      std::memcpy(out, reinterpret_cast<const uint8_t*>(out) - to.pitch, rowBytes);
      continue;
    }
    previous = &tap;
    if (upperRow != tap.first) {
      if (lowerRow == tap.first) {
        std::swap(upper, lower);
        std::swap(upperRow, lowerRow);
      } else {
        ScaleRow(sourceRow(tap.first), columns, upper.data());
        upperRow = tap.first;
      }
    }
    if (!tap.weight) {
      std::memcpy(out, upper.data(), rowBytes);
      continue;
    }
    if (lowerRow != tap.second) {
      ScaleRow(sourceRow(tap.second), columns, lower.data());
      lowerRow = tap.second;
    }
    for (size_t x = 0; x < upper.size(); ++x) out[x] = Mix(upper[x], lower[x], tap.weight);
  }
}
