// DisplayDevice: the play screen on SDL. Frames are composed in memory in the chosen pixel
// format and copied to the window's own surface, which SDL shows through shared memory on X11:
// measured cheaper than a renderer with a streaming texture, and never tied to vsync.
#include "display/DisplayDevice.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "display/BitmapFile.h"
#include "display/TextRenderer.h"
#include "platform/Errors.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/ProgramOutput.h"

namespace {

// 16 bits are 5-6-5, 24 bits packed B, G, R bytes, 32 bits X-8-8-8.
uint32_t FormatForDepth(uint32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 16:
      return SDL_PIXELFORMAT_RGB565;
    case 24:
      return SDL_PIXELFORMAT_BGR24;
    case 32:
      return SDL_PIXELFORMAT_RGB888;
    default:
      return SDL_PIXELFORMAT_UNKNOWN;
  }
}

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

}  // namespace

std::unique_ptr<DisplayDevice> Display;

DisplayDevice::DisplayDevice() = default;

DisplayDevice::~DisplayDevice() { Release(); }

int32_t DisplayDevice::Init(uint32_t flags, WindowHandle window, uint32_t width, uint32_t height,
                            uint32_t bitsPerPixel, uint32_t refreshRate) {
  Release();
  const bool fullScreen = (flags & FullScreenFlag) != 0;
  if ((flags & AlphaFlag) && !fullScreen) {
    LastError = ErrorAlphaWindowed;
    return 0;
  }
  if (flags & AlphaFlag) ShowMessageBox("3DAlpha is on", "DEBUG");
  SDL_ClearError();

  // The video system stands for the device object; one hold suffices.
  if (!videoHeld_) {
    if (Refused(InitStep::Video) || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      return Fail(ErrorCreateDisplay, "SDL_InitSubSystem");
    }
    videoHeld_ = true;
  }

  // Cooperative level: the window must exist on a display; windowed use gives up full screen.
  if (Refused(InitStep::CooperativeLevel) || !IsWindow(window) ||
      SDL_GetWindowDisplayIndex(window->Sdl()) < 0) {
    return Fail(ErrorCooperativeLevel, "SDL_GetWindowDisplayIndex");
  }
  if (!fullScreen) LeaveFullScreen();
  window_ = window;
  SDL_Window* sdlWindow = window->Sdl();
  const uint32_t depthFormat = FormatForDepth(bitsPerPixel);

  if (fullScreen && (Refused(InitStep::FullScreenMode) || depthFormat == SDL_PIXELFORMAT_UNKNOWN ||
                     !EnterFullScreen(width, height, refreshRate))) {
    return Fail(ErrorDisplayMode, "SDL_SetWindowFullscreen");
  }

  // The primary surface, with the front buffer of the flip chain in full screen.
  SDL_Surface* screen =
      Refused(InitStep::PrimarySurface) ? nullptr : SDL_GetWindowSurface(sdlWindow);
  if (!screen) return Fail(ErrorPrimarySurface, "SDL_GetWindowSurface");
  // The colour depth sets the display mode of full screen; a window shares the desktop with
  // other programs, so it, its back buffer and every picture take the desktop's own format.
  const uint32_t format = fullScreen ? depthFormat : screen->format->format;
  if (fullScreen) {
    frontBuffer_ = NewBuffer(width, height, format);
    if (!frontBuffer_) return Fail(ErrorPrimarySurface, "SDL_CreateRGBSurfaceWithFormat");
  }
  primarySurface_ = true;
  SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
  SDL_UpdateWindowSurface(sdlWindow);
  ++surfaceCount;

  // The back buffer: the play screen's size in full screen, the client area's windowed.
  if (fullScreen) {
    if (!Refused(InitStep::BackBuffer)) backBuffer_ = NewBuffer(width, height, format);
    if (!backBuffer_) return Fail(ErrorBackBuffer, "SDL_CreateRGBSurfaceWithFormat");
    PlacePlayScreen(screen->w, screen->h);
  } else {
    int clientWidth = 0, clientHeight = 0;
    SDL_GetWindowSize(sdlWindow, &clientWidth, &clientHeight);
    if (!Refused(InitStep::BackBuffer)) {
      windowedBackBuffer_ = NewBuffer(clientWidth, clientHeight, format);
    }
    if (!windowedBackBuffer_) return Fail(ErrorBackBuffer, "SDL_CreateRGBSurfaceWithFormat");
    window->SetPlayArea(0, 0, clientWidth, clientHeight, clientWidth, clientHeight);
  }
  ++surfaceCount;
  ready = 1;
  pixelFormat_ = format;
  // The alpha option would add a 3D device here; there is none, so the plain set-up stands.
  return 1;
}

int32_t DisplayDevice::Fail(int32_t code, const char* call) {
  // SDL's own reason goes to standard error beside the code's message, which names only the
  // step; a step refused without an SDL call has no reason to add.
  const char* reason = SDL_GetError();
  if (reason && *reason) WriteErrorLine(std::string(call) + ": " + reason);
  // Released first, so that a refusal to release cannot hide the step that failed.
  Release();
  LastError = code;
  return 0;
}

bool DisplayDevice::EnterFullScreen(uint32_t width, uint32_t height, uint32_t refreshRate) {
  SDL_Window* sdlWindow = window_->Sdl();
  fullScreen_ = true;
  // A real mode of the play screen's size where the display has one; otherwise the desktop's
  // mode, with the play screen scaled into it.
  if (width <= INT_MAX && height <= INT_MAX && refreshRate <= INT_MAX) {
    const SDL_DisplayMode wanted{SDL_PIXELFORMAT_UNKNOWN, static_cast<int>(width),
                                 static_cast<int>(height), static_cast<int>(refreshRate), nullptr};
    SDL_DisplayMode closest;
    if (SDL_GetClosestDisplayMode(SDL_GetWindowDisplayIndex(sdlWindow), &wanted, &closest) &&
        closest.w == wanted.w && closest.h == wanted.h) {
      return SDL_SetWindowDisplayMode(sdlWindow, &closest) == 0 &&
             SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN) == 0;
    }
  }
  return SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
}

void DisplayDevice::LeaveFullScreen() {
  if (fullScreen_ && IsWindow(window_)) {
    SDL_Window* sdlWindow = window_->Sdl();
    SDL_SetWindowFullscreen(sdlWindow, 0);
    int width = 0, height = 0;
    SDL_GetWindowSize(sdlWindow, &width, &height);
    window_->SetPlayArea(0, 0, width, height, width, height);
  }
  fullScreen_ = false;
}

void DisplayDevice::Release() {
  showing_ = false;
  ++generation;
  if (backBuffer_) {
    backBuffer_.reset();
    --surfaceCount;
  }
  if (primarySurface_) {
    primarySurface_ = false;
    frontBuffer_.reset();
    screenFormatFrame_.reset();
    --surfaceCount;
  }
  if (windowedBackBuffer_) {
    windowedBackBuffer_.reset();
    --surfaceCount;
  }
  ready = 0;
  if (surfaceCount > 0) {
    LastError = ErrorBuffersAlive;
    return;
  }
  if (videoHeld_) {
    LeaveFullScreen();
    window_ = nullptr;
    pixelFormat_ = SDL_PIXELFORMAT_UNKNOWN;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoHeld_ = false;
    --surfaceCount;
  }
}

void DisplayDevice::Present(WindowHandle window) {
  if (backBuffer_ && frontBuffer_) {
    std::swap(frontBuffer_, backBuffer_);
    ShowFullScreen(*frontBuffer_);
    ++framesPresented;
    return;
  }
  if (!windowedBackBuffer_ || !primarySurface_ || !IsWindow(window)) return;
  SDL_Surface* screen = SDL_GetWindowSurface(window->Sdl());
  if (!screen) return;
  SDL_Surface* frame = windowedBackBuffer_->Sdl();
  if (frame->w == screen->w && frame->h == screen->h) {
    if (!ConvertFrame(*frame, *screen, 0, 0)) SDL_BlitSurface(frame, nullptr, screen, nullptr);
  } else {
    SDL_BlitScaled(frame, nullptr, screen, nullptr);
  }
  window->SetPlayArea(0, 0, screen->w, screen->h, frame->w, frame->h);
  SDL_UpdateWindowSurface(window->Sdl());
  ++framesPresented;
}

SurfaceRect DisplayDevice::FitPlayScreen(int32_t screenWidth, int32_t screenHeight,
                                         int32_t playWidth, int32_t playHeight) {
  if (screenWidth <= 0 || screenHeight <= 0 || playWidth <= 0 || playHeight <= 0) return {};
  int64_t width = screenWidth, height = screenHeight;
  if (int64_t{screenWidth} * playHeight <= int64_t{screenHeight} * playWidth) {
    height = int64_t{screenWidth} * playHeight / playWidth;
  } else {
    width = int64_t{screenHeight} * playWidth / playHeight;
  }
  const auto left = static_cast<int32_t>((screenWidth - width) / 2);
  const auto top = static_cast<int32_t>((screenHeight - height) / 2);
  return SurfaceRect{left, top, left + static_cast<int32_t>(width),
                     top + static_cast<int32_t>(height)};
}

SurfaceRect DisplayDevice::PlacePlayScreen(int32_t screenWidth, int32_t screenHeight) {
  const SurfaceRect area =
      FitPlayScreen(screenWidth, screenHeight, frontBuffer_->Width(), frontBuffer_->Height());
  window_->SetPlayArea(area.left, area.top, area.right - area.left, area.bottom - area.top,
                       frontBuffer_->Width(), frontBuffer_->Height());
  return area;
}

void DisplayDevice::ShowFullScreen(const Surface& frame) {
  if (!IsWindow(window_)) return;
  SDL_Window* sdlWindow = window_->Sdl();
  SDL_Surface* screen = SDL_GetWindowSurface(sdlWindow);
  if (!screen) return;
  const SDL_Rect area = ToSdl(PlacePlayScreen(screen->w, screen->h));
  SDL_Surface* source = frame.Sdl();
  if (area.w == source->w && area.h == source->h) {
    FillBars(*screen, area);
    SDL_Rect at = area;
    if (!ConvertFrame(*source, *screen, at.x, at.y)) SDL_BlitSurface(source, nullptr, screen, &at);
  } else if (area.w > 0 && area.h > 0) {
    FillBars(*screen, area);
    // Converted once at play-screen size, then scaled within one format.
    const uint32_t screenFormat = screen->format->format;
    if (!screenFormatFrame_ || screenFormatFrame_->Sdl()->format->format != screenFormat) {
      screenFormatFrame_ = NewBuffer(source->w, source->h, screenFormat);
      if (!screenFormatFrame_) return;
    }
    if (!ConvertFrame(*source, *screenFormatFrame_->Sdl(), 0, 0)) {
      SDL_BlitSurface(source, nullptr, screenFormatFrame_->Sdl(), nullptr);
    }
    Stretch(*screenFormatFrame_->Sdl(), *screen, area);
  }
  SDL_UpdateWindowSurface(sdlWindow);
}

Surface* DisplayDevice::LoadBitmap(uint32_t, const char* path) {
  if (!videoHeld_ || pixelFormat_ == SDL_PIXELFORMAT_UNKNOWN) return nullptr;
  BitmapFile file;
  if (!file.Read(path)) return nullptr;
  const SdlSurfacePtr picture = file.Decode();
  if (!picture) return nullptr;
  SdlSurfacePtr converted(SDL_ConvertSurfaceFormat(picture.get(), pixelFormat_, 0));
  if (!converted) return nullptr;
  SDL_SetSurfaceBlendMode(converted.get(), SDL_BLENDMODE_NONE);
  auto* surface = new Surface(std::move(converted));
  ++surfaceCount;
  return surface;
}

void DisplayDevice::ReleaseSurface(Surface* surface) {
  if (!surface || OwnBuffer(surface)) return;
  delete surface;
  --surfaceCount;
}

SurfaceRect DisplayDevice::GetSurfaceSize(const Surface* surface) {
  if (!surface) return {};
  return SurfaceRect{0, 0, surface->Width(), surface->Height()};
}

void DisplayDevice::SetColorKeyMode(uint32_t mode) {
  // Without a primary surface there is no pixel format, and every mask reads as 0.
  Uint32 red = 0, green = 0, blue = 0, alpha = 0;
  int bits = 0;
  if (primarySurface_) SDL_PixelFormatEnumToMasks(pixelFormat_, &bits, &red, &green, &blue, &alpha);
  if (mode & KeyGreen) {
    colorKey_ = green;
  } else if (mode & KeyBlue) {
    colorKey_ = blue;
  } else if (mode & KeyRed) {
    colorKey_ = red;
  } else if (mode & KeyBlack) {
    colorKey_ = 0;
  } else {
    colorKey_ = mode;
  }
}

void DisplayDevice::ApplyColorKey(Surface* surface) {
  if (!surface || OwnBuffer(surface)) return;
  surface->SetColorKey(colorKey_);
}

bool DisplayDevice::IsShowing(const FrameKey& key) const {
  return showing_ && IsWindow(window_) && window_->Spoiled() == shownSpoiled_ && key == shownKey_;
}

void DisplayDevice::RememberShown(const FrameKey& key) {
  if (!ready || !IsWindow(window_)) return;
  shownKey_ = key;
  shownSpoiled_ = window_->Spoiled();
  showing_ = true;
}

Surface* DisplayDevice::ActiveBackBuffer() {
  return backBuffer_ ? backBuffer_.get() : windowedBackBuffer_.get();
}

bool DisplayDevice::Blit(const SurfaceRect& destination, Surface* source,
                         const SurfaceRect& sourceRect, uint32_t flags) {
  Surface* target = ActiveBackBuffer();
  return target && BlitInto(*target, destination, source, sourceRect, flags);
}

std::unique_ptr<Surface> DisplayDevice::NewPicture(int32_t width, int32_t height) {
  const Surface* back = ActiveBackBuffer();
  if (!back || width <= 0 || height <= 0) return nullptr;
  return NewBuffer(width, height, back->Sdl()->format->format);
}

bool DisplayDevice::BlitInto(Surface& target, const SurfaceRect& destination, Surface* source,
                             const SurfaceRect& sourceRect, uint32_t flags) {
  if (!source || source == &target || !source->Sdl()) return false;
  // One-to-one copies only, and both rectangles inside their surfaces, as without a clipper.
  const int64_t width = int64_t{sourceRect.right} - sourceRect.left;
  const int64_t height = int64_t{sourceRect.bottom} - sourceRect.top;
  if (width <= 0 || height <= 0 || int64_t{destination.right} - destination.left != width ||
      int64_t{destination.bottom} - destination.top != height) {
    return false;
  }
  if (!Inside(sourceRect, *source) || !Inside(destination, target)) return false;
  const bool keyed = (flags & BlitKeySource) && source->HasColorKey();
  if (keyed ? CopyRuns(*source, sourceRect, *target.Sdl(), destination)
            : CopyRows(*source->Sdl(), sourceRect, *target.Sdl(), destination)) {
    return true;
  }
  // Between formats SDL converts; the key then still leaves out the key's pixels.
  SDL_Surface* from = source->Sdl();
  if (keyed) SDL_SetColorKey(from, SDL_TRUE, source->ColorKey());
  SDL_Rect sourceArea = ToSdl(sourceRect);
  SDL_Rect destinationArea = ToSdl(destination);
  const bool copied = SDL_BlitSurface(from, &sourceArea, target.Sdl(), &destinationArea) == 0;
  if (keyed) SDL_SetColorKey(from, SDL_FALSE, 0);
  return copied;
}

void DisplayDevice::Clear(const SurfaceRect& area) {
  Surface* target = ActiveBackBuffer();
  if (!target || !Inside(area, *target) || area.right <= area.left || area.bottom <= area.top) {
    return;
  }
  SDL_Surface* pixels = target->Sdl();
  const Uint32 black = SDL_MapRGB(pixels->format, 0, 0, 0);
  if (black != 0 || SDL_MUSTLOCK(pixels)) {
    SDL_Rect sdlArea = ToSdl(area);
    SDL_FillRect(pixels, &sdlArea, black);
    return;
  }
  // Black is all zero bytes: row by row with memset, which SDL does not do for 3-byte pixels.
  const int bytes = pixels->format->BytesPerPixel;
  auto* row = static_cast<uint8_t*>(pixels->pixels) + ptrdiff_t{area.top} * pixels->pitch +
              ptrdiff_t{area.left} * bytes;
  const size_t length = static_cast<size_t>(area.right - area.left) * static_cast<size_t>(bytes);
  for (int32_t y = area.top; y < area.bottom; ++y, row += pixels->pitch) {
    std::memset(row, 0, length);
  }
}

bool DisplayDevice::OwnBuffer(const Surface* surface) const {
  return surface == frontBuffer_.get() || surface == backBuffer_.get() ||
         surface == windowedBackBuffer_.get() || surface == screenFormatFrame_.get();
}

SurfaceRect DisplayDevice::DrawText(int32_t x, int32_t y, const std::string& text,
                                    uint32_t textColor, uint32_t backgroundColor) {
  Surface* target = ActiveBackBuffer();
  if (!target) return {};
  if (!text_) text_ = std::make_unique<TextRenderer>();
  if (!text_->Draw(target->Sdl(), x, y, text, textColor, backgroundColor)) return {};
  return SurfaceRect{x, y, x + text_->Width(), y + text_->Height()};
}
